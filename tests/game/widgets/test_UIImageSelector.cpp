// The image selector and its thumbnail loader on the headless device: the
// grid for any width, thumbnails made on the worker and kept in the cache,
// a click storing the choice, and a selector freed while its worker runs.
#include "themefixture.h"

#include "UIImageSelector.h"
#include "UIScrollBar.h"
#include "clThreadLoader.h"
#include "qz7core.h"
#include "qz7files.h"
#include "qz7threads.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

namespace {

using themetest::Picture;
using themetest::ThemeFixture;

TEST(ImageGridTest, AtLeastOneColumnAndRowsForEveryItem)
{
    struct {
        int32_t width, height, items, columns, visibleRows, rows, range;
    } cases[] = {
        {0, 0, 3, 1, 0, 3, 3 * 188},         // nothing to lay out in: one column, all rows scroll
        {100, 400, 3, 1, 2, 3, 188},         // narrower than one tile
        {227, 400, 2, 1, 2, 2, 0},           // one pixel short of a tile and its border
        {228, 400, 2, 1, 2, 2, 0},           // exactly one column
        {415, 196, 4, 1, 1, 4, 3 * 188},     // one short of two columns
        {416, 196, 4, 2, 1, 2, 188},         // two columns
        {1000, 800, 0, 5, 4, 0, 0},          // an empty folder
        {1000, 800, 11, 5, 4, 3, 0},         // a remainder adds a row
    };
    for (const auto& c : cases) {
        const TImageGrid g = ImageGridFor(c.width, c.height, c.items);
        EXPECT_EQ(c.columns, g.columns) << c.width;
        EXPECT_EQ(c.visibleRows, g.visibleRows) << c.height;
        EXPECT_EQ(c.rows, g.rows) << c.width << " " << c.items;
        EXPECT_EQ(c.range, g.scrollRange) << c.width << " " << c.items;
    }
}

TEST(ThumbnailTest, ResamplingAveragesBlocksAndStretchesSmallPictures)
{
    // 4 x 2: left half red, right half blue, down to 2 x 2 and up to 8 x 8.
    std::vector<uint8_t> px;
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x) {
            const uint8_t b = x < 2 ? 0 : 200, r = x < 2 ? 200 : 0;
            px.insert(px.end(), {b, 0, r, 255});
        }
    const TThumbnail small = ResampleThumbnail(px.data(), 4, 2, 16, 2);
    ASSERT_EQ(2, small.width);
    EXPECT_EQ(200, small.pixels[2]);    // top-left red
    EXPECT_EQ(200, small.pixels[4]);    // top-right blue
    const TThumbnail big = ResampleThumbnail(px.data(), 4, 2, 16, 8);
    ASSERT_EQ(8 * 8 * 4u, big.pixels.size());
    EXPECT_EQ(200, big.pixels[(7 * 8 + 7) * 4]);  // bottom-right blue
    EXPECT_TRUE(ResampleThumbnail(px.data(), 0, 2, 16, 8).pixels.empty());
}

class ImageSelectorTest : public ThemeFixture {
protected:
    TGUIWindowPtr<TGUIWindow> root;
    void SetUp() override
    {
        ThemeFixture::SetUp();
        root = NewRootWindow<TGUIWindow>(TQZRect{0, 0, 1280, 800}, nullptr, 0);
        WritePng("Cardbacks/Red.png", 0xFFC00000);
        WritePng("Cardbacks/Dark.JPG", 0xFF202020);
        // An image deck: a picture a cardset reader turns into a whole deck.
        WritePng("Cardbacks/Picture.deck", 0xFF00C0C0);
        vqtest::WriteFile("Cardbacks/Broken.cards", "not a cardset at all");
    }
    void TearDown() override
    {
        root.reset();
        ThemeFixture::TearDown();
    }
    static void WritePng(const std::string& name, uint32_t colour, int32_t w = 40, int32_t h = 60)
    {
        std::vector<uint8_t> png = Picture(w, h, [colour](int32_t, int32_t) { return colour; });
        vqtest::WriteFile(name, std::string(png.begin(), png.end()));
    }
    // Runs what the worker hands to the main thread until it is done.
    static void RunUntilFinished(TThreadLoader* loader)
    {
        while (!loader->Finished()) {
            WaitForQueuedWork(100);
            ProcessSynchronize();
        }
        ProcessSynchronize();
    }
    TUIImageSelector* MakeSelector(const std::string& key, const std::string& folder, TQZRect rect = {0, 0, 1000, 600})
    {
        return NewWindow<TUIImageSelector>(rect, key, folder, root.get());
    }
    static int32_t IndexOf(TThreadLoader* loader, const std::string& name)
    {
        const auto items = loader->GetItems();
        for (size_t i = 0; i < items.size(); ++i)
            if (items[i].fileName == name) return int32_t(i);
        return -1;
    }
};

TEST_F(ImageSelectorTest, NarrowRectangleGivesOneColumnOfTiles)
{
    TUIImageSelector* s = MakeSelector("", "Cardbacks\\", {100, 0, 250, 500});
    ASSERT_EQ(5, s->TileCount());
    EXPECT_EQ(1, s->Columns());
    EXPECT_EQ(5, s->Rows());
    EXPECT_EQ(228, s->GetWidth());
    // Centred on the rectangle's centre, as high as it.
    EXPECT_EQ(175 - 114, s->GetRect().left);
    EXPECT_EQ(500, s->GetHeight());
    for (int32_t i = 0; i < 5; ++i) EXPECT_EQ(4 + i * 188, s->Tile(i)->GetRect().top);
    EXPECT_EQ((5 - 2) * 188, s->ScrollBar()->Max());
    // Wider: five columns and nothing to scroll.
    s->SetRect({0, 0, 1000, 500});
    EXPECT_EQ(5, s->Columns());
    EXPECT_EQ(0, s->ScrollBar()->Max());
    EXPECT_EQ(4 + 4 * 188, s->Tile(4)->GetRect().left);
    RunUntilFinished(s->Loader());
}

TEST_F(ImageSelectorTest, ThumbnailsLoadCaptionsFollowAndFailuresStayWithoutImage)
{
    TUIImageSelector* s = MakeSelector("Video.Cardback", "Cardbacks\\");
    RunUntilFinished(s->Loader());
    root->UpdateTree();
    const auto items = s->Loader()->GetItems();
    ASSERT_EQ(5u, items.size());
    // The masks' order: pictures first, the cardset formats after.
    EXPECT_EQ("Broken.cards", items[3].fileName);
    EXPECT_EQ("Picture.deck", items[4].fileName);
    for (size_t i = 0; i < items.size(); ++i) {
        const bool broken = items[i].fileName == "Broken.cards";
        EXPECT_EQ(broken ? LOADER_FAILED : LOADER_LOADED, items[i].state) << items[i].fileName;
        EXPECT_EQ(broken, s->Tile(int32_t(i))->image == nullptr) << items[i].fileName;
        if (items[i].image) {
            EXPECT_EQ(THUMBNAIL_SIDE, items[i].image->width);
            EXPECT_EQ(THUMBNAIL_SIDE, items[i].image->height);
        }
    }
    EXPECT_EQ("Broken", s->Tile(3)->caption);
    EXPECT_EQ("Dark", s->Tile(IndexOf(s->Loader(), "Dark.JPG"))->caption);
    EXPECT_FLOAT_EQ(IMAGETILE_PORTRAIT_SCALE, s->Tile(0)->scale);
    // The red picture's thumbnail is red.
    const auto& red = *items[size_t(IndexOf(s->Loader(), "Red.png"))].image;
    EXPECT_EQ(0xC0, red.pixels[2]);
    EXPECT_EQ(0x00, red.pixels[1]);
    // A tile draws its picture.
    Frame([&] { root->DrawTree(); });
}

TEST_F(ImageSelectorTest, ClickStoresTheFileNameAndPreselectsWithoutCase)
{
    SetSetting("Video.Cardback", "RED.PNG");
    TUIImageSelector* s = MakeSelector("Video.Cardback", "Cardbacks\\");
    const int32_t red = IndexOf(s->Loader(), "Red.png"), dark = IndexOf(s->Loader(), "Dark.JPG");
    EXPECT_EQ(red, s->SelectedIndex());
    EXPECT_EQ(TILE_SELECTED, s->Tile(red)->highlight);
    // A click of the pointer on the tile's middle, as the player makes it.
    const TQZRect r = s->Tile(dark)->GetScreenRect();
    const int32_t x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;
    root->DispatchMouseButton(TQZMouseEvent{1, true, x, y, 0, 0});
    root->DispatchMouseButton(TQZMouseEvent{1, false, x, y, 0, 0});
    root->UpdateTree();
    EXPECT_EQ(dark, s->SelectedIndex());
    EXPECT_EQ(TILE_NORMAL, s->Tile(red)->highlight);
    EXPECT_EQ(TILE_SELECTED, s->Tile(dark)->highlight);
    EXPECT_EQ("Dark.JPG", SettingText("Video.Cardback"));
    s->Select(99);
    EXPECT_EQ(-1, s->SelectedIndex());
    EXPECT_EQ(TILE_NORMAL, s->Tile(dark)->highlight);
    RunUntilFinished(s->Loader());
}

TEST_F(ImageSelectorTest, EmptySettingKeySelectsAndStoresNothing)
{
    SetSetting("Video.Cardback", "Blue.png");
    TUIImageSelector* s = MakeSelector("", "Cardbacks\\");
    EXPECT_EQ(-1, s->SelectedIndex());
    s->Tile(1)->Click();
    root->UpdateTree();
    EXPECT_EQ(1, s->SelectedIndex());
    EXPECT_EQ("Blue.png", SettingText("Video.Cardback"));
    RunUntilFinished(s->Loader());
}

TEST_F(ImageSelectorTest, SecondRunTakesThumbnailsFromTheCacheAndDropsGoneFiles)
{
    const std::string cache = ThumbnailCacheFile("Cardbacks\\");
    EXPECT_EQ(UserFolder() + "Cardbacks.ice", cache);
    {
        TUIImageSelector* s = MakeSelector("Video.Cardback", "Cardbacks\\");
        RunUntilFinished(s->Loader());
        EXPECT_EQ(4, s->Loader()->DecodedCount());
        EXPECT_TRUE(s->Loader()->CacheSaved());
        TGUIWindow::Free(s);
    }
    ASSERT_TRUE(IsFile(cache));
    std::unique_ptr<TQZIceData> tree = TQZIceData::CreateFromFile(cache);
    ASSERT_NE(nullptr, tree);
    EXPECT_EQ(4, tree->ChildCount());  // the broken cardset has nothing to keep
    TQZIceData* red = tree->GetChildById(tree->IdOfName("Red.png"));
    ASSERT_NE(nullptr, red);
    uint8_t stamp[16] = {};
    ASSERT_EQ(QZRES_OK, red->ReadData(1, stamp, 16));
    int64_t size = 0;
    std::memcpy(&size, stamp, 8);
    EXPECT_EQ(FileSizeOf("Cardbacks/Red.png"), size);

    ASSERT_EQ(QZRES_OK, RemoveFile("Cardbacks/Dark.JPG"));
    TUIImageSelector* s = MakeSelector("Video.Cardback", "Cardbacks\\");
    RunUntilFinished(s->Loader());
    EXPECT_EQ(0, s->Loader()->DecodedCount());
    for (const TLoaderFile& item : s->Loader()->GetItems())
        if (item.state == LOADER_LOADED) {
            EXPECT_TRUE(item.fromCache) << item.fileName;
        }
    root->UpdateTree();
    EXPECT_NE(nullptr, s->Tile(IndexOf(s->Loader(), "Red.png"))->image);
    tree = TQZIceData::CreateFromFile(cache);
    ASSERT_NE(nullptr, tree);
    EXPECT_EQ(3, tree->ChildCount());
    EXPECT_EQ(0u, tree->IdOfName("Dark.JPG"));
}

// A file changed since its thumbnail was cached is decoded again, in the
// same run, and its new thumbnail replaces the old in the cache.
TEST_F(ImageSelectorTest, AChangedFileIsDecodedAgainNotTakenFromTheCache)
{
    {
        TUIImageSelector* s = MakeSelector("Video.Cardback", "Cardbacks\\");
        RunUntilFinished(s->Loader());
        TGUIWindow::Free(s);
    }
    WritePng("Cardbacks/Red.png", 0xFF00C000, 50, 70);  // another size, another picture
    TUIImageSelector* s = MakeSelector("Video.Cardback", "Cardbacks\\");
    RunUntilFinished(s->Loader());
    EXPECT_EQ(1, s->Loader()->DecodedCount());
    const TLoaderFile red = s->Loader()->GetItems()[size_t(IndexOf(s->Loader(), "Red.png"))];
    EXPECT_FALSE(red.fromCache);
    TGUIWindow::Free(s);
    TUIImageSelector* third = MakeSelector("Video.Cardback", "Cardbacks\\");
    RunUntilFinished(third->Loader());
    EXPECT_EQ(0, third->Loader()->DecodedCount());
}

// The same number of bytes is not the same picture: a file rewritten with a
// later date is decoded again too.
TEST_F(ImageSelectorTest, ARewrittenFileOfTheSameSizeIsDecodedAgain)
{
    {
        TUIImageSelector* s = MakeSelector("Video.Cardback", "Cardbacks\\");
        RunUntilFinished(s->Loader());
        TGUIWindow::Free(s);
    }
    const int64_t size = FileSizeOf("Cardbacks/Red.png");
    const auto written = std::filesystem::last_write_time("Cardbacks/Red.png");
    WritePng("Cardbacks/Red.png", 0xFFC00001);  // one shade off: the same bytes' count
    ASSERT_EQ(size, FileSizeOf("Cardbacks/Red.png"));
    std::filesystem::last_write_time("Cardbacks/Red.png", written + std::chrono::hours(1));
    TUIImageSelector* s = MakeSelector("Video.Cardback", "Cardbacks\\");
    RunUntilFinished(s->Loader());
    EXPECT_EQ(1, s->Loader()->DecodedCount());
    EXPECT_FALSE(s->Loader()->GetItems()[size_t(IndexOf(s->Loader(), "Red.png"))].fromCache);
}

TEST_F(ImageSelectorTest, FreedWhileLoadingStopsTheWorkerAndItsQueuedCallsDoNothing)
{
    // Enough pictures that the worker is still busy when the selector goes.
    for (int i = 0; i < 16; ++i) WritePng("Tables/T" + std::to_string(i) + ".png", 0xFF102030u + uint32_t(i), 300, 200);
    for (int round = 0; round < 3; ++round) {
        TUIImageSelector* s = MakeSelector("Video.Table", "Tables\\");
        EXPECT_EQ(17, s->TileCount());
        TGUIWindow::Free(s);
        // The save and log the worker queued run after the selector is gone.
        ProcessSynchronize();
    }
    // A worker waiting for the main thread to draw a cardset is let go too.
    for (int i = 0; i < 3; ++i) vqtest::WriteFile("Cardsets/Junk" + std::to_string(i) + ".cards", "junk");
    TUIImageSelector* s = MakeSelector("Video.Cardface", "Cardsets\\");
    TGUIWindow::Free(s);
    ProcessSynchronize();
    // And a selector freed with its tree.
    MakeSelector("Video.Table", "Tables\\");
    root.reset();
    ProcessSynchronize();
}

}  // namespace
