// Scene windows drawn by the headless Direct3D device, read back by pixel.
#include "guitestutil.h"

#include "qz7guibuttonfancy.h"
#include "qz7guiimage.h"
#include "qz7guiscrollbar.h"

namespace {

class PixelTest : public guitest::PixelFixture {
protected:
    void SetUp() override
    {
        PixelFixture::SetUp();
        root = TQZGUIWindow::CreateRoot({0, 0, 160, 120});
        root->SetBGColor(0xFF102030);
    }
    void TearDown() override
    {
        root.reset();
        PixelFixture::TearDown();
    }
    std::unique_ptr<TQZGUIWindow> root;
};

TEST_F(PixelTest, WindowsFillInPaintOrderWithAlwaysOnTopLast)
{
    TQZGUIWindow* top = TQZGUIWindow::CreateChild(root.get(), {10, 10, 60, 60});
    top->SetBGColor(0xFF0000FF);
    top->SetAlwaysOnTop(true);
    TQZGUIWindow* later = TQZGUIWindow::CreateChild(root.get(), {40, 40, 90, 90});
    later->SetBGColor(0xFFFF0000);
    Frame(root.get());
    EXPECT_EQ(0xFF102030u, Pixel(5, 5));
    EXPECT_EQ(0xFF0000FFu, Pixel(50, 50));  // the overlap: the top one wins
    EXPECT_EQ(0xFFFF0000u, Pixel(80, 80));
    EXPECT_EQ(1u, top->PaintCount());
}

TEST_F(PixelTest, ClippingParentsCutTheirChildrenAndOffsetsShiftThem)
{
    TQZGUIWindow* box = TQZGUIWindow::CreateChild(root.get(), {20, 20, 60, 60});
    box->SetRepaintOptions(QZREPAINT_CLIP);
    box->SetClientOffset({-10, 5});
    TQZGUIWindow* inner = TQZGUIWindow::CreateChild(box, {30, 0, 80, 20});
    inner->SetBGColor(0xFF00FF00);
    TQZGUIWindow* loose = TQZGUIWindow::CreateChild(root.get(), {100, 20, 120, 40});
    TQZGUIWindow* spill = TQZGUIWindow::CreateChild(loose, {10, 10, 40, 40});
    spill->SetBGColor(0xFFFFFF00);
    Frame(root.get());
    EXPECT_EQ(0xFF00FF00u, Pixel(45, 30));  // 20 + 30 - 10, 20 + 5
    EXPECT_EQ(0xFF00FF00u, Pixel(59, 44));
    EXPECT_EQ(0xFF102030u, Pixel(60, 30));  // cut at the box's edge
    EXPECT_EQ(0xFF102030u, Pixel(45, 24));  // above the offset content
    EXPECT_EQ(0xFFFFFF00u, Pixel(135, 45)); // no clipping asked: it spills
}

TEST_F(PixelTest, ScrollBarThumbShowsWhereTheValueIs)
{
    auto* bar = TQZGUIWindow::CreateChild<TQZGUIScrollBar>(root.get(), {10, 10, 26, 110});
    bar->SetValue(81);  // at the end: the thumb at the bottom
    Frame(root.get());
    const uint32_t thumb = root->GetThemeColor(6), track = root->GetThemeColor(2);
    EXPECT_EQ(thumb, Pixel(18, 100));
    EXPECT_EQ(track, Pixel(18, 20));
    bar->SetValue(0);
    Frame(root.get());
    EXPECT_EQ(thumb, Pixel(18, 20));
    EXPECT_EQ(track, Pixel(18, 100));
}

TEST_F(PixelTest, ImagesStretchOrKeepTheirProportion)
{
    auto* image = TQZGUIWindow::CreateChild<TQZGUIImage>(root.get(), {0, 0, 80, 80});
    auto texture = std::make_unique<TQZTexture>();
    ASSERT_EQ(QZRES_OK, texture->CreateD3DTexture(8, 4));
    TQZTexturePixelData* pd = texture->PixelData();
    ASSERT_EQ(QZRES_OK, pd->Lock(0));
    pd->Clear(0xFFFF8000);
    pd->Unlock();
    image->SetTexture(std::move(texture));
    Frame(root.get());
    EXPECT_EQ(0xFFFF8000u, Pixel(40, 5));
    EXPECT_EQ(0xFFFF8000u, Pixel(40, 75));
    image->SetDisplayMode(IMAGE_ASPECT);  // 80 x 40, centred down
    Frame(root.get());
    EXPECT_EQ(0xFF102030u, Pixel(40, 5));
    EXPECT_EQ(0xFFFF8000u, Pixel(40, 25));
    EXPECT_EQ(0xFFFF8000u, Pixel(40, 55));
    EXPECT_EQ(0xFF102030u, Pixel(40, 65));
}

TEST_F(PixelTest, FancyButtonsHaveRoundedCornersAndAShadow)
{
    auto* b = TQZGUIWindow::CreateChild<TQZGUIButtonFancy>(root.get(), {20, 20, 120, 80});
    (void)b;
    Frame(root.get());
    EXPECT_EQ(root->GetThemeColor(6), Pixel(70, 40));   // the face
    EXPECT_EQ(root->GetThemeColor(5), Pixel(70, 76));   // the border band below it
    EXPECT_EQ(0xFF000000u, Pixel(121, 50));             // the shadow beyond the right edge
    EXPECT_EQ(0xFF102030u, Pixel(18, 18));              // the shadow's rounded corner
    EXPECT_EQ(0xFF102030u, Pixel(20, 20));              // and the button's
}

TEST_F(PixelTest, OnlyDirtyWindowsAskForARepaintOfTheirArea)
{
    TQZGUIWindow* panel = TQZGUIWindow::CreateChild(root.get(), {10, 10, 50, 50});
    panel->SetRepaintOptions(QZREPAINT_DIRTYTARGET);
    panel->SetBGColor(0xFF00FF00);
    root->SetVideo(video);
    Frame(root.get());
    auto* window = static_cast<TQZHeadlessVideoWindow*>(video->Window());
    window->invalidRects.clear();
    panel->SetBGColor(0xFF0000FF);
    panel->Invalidate(true);
    root->FlushDirtyRect();
    ASSERT_EQ(1u, window->invalidRects.size());
    EXPECT_EQ((TQZRect{10, 10, 50, 50}), window->invalidRects[0]);
    Frame(root.get());
    EXPECT_EQ(0xFF0000FFu, Pixel(30, 30));
    EXPECT_TRUE(RectIsEmpty(root->DirtyRect()));
}

}  // namespace
