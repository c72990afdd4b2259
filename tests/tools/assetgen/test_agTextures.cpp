#include <gtest/gtest.h>

#include <memory>
#include <set>

#include "agTextures.h"
#include "agtestutil.h"
#include "qz7icedata.h"

namespace {

using ag::TextureCell;
using ag::TextureSheet;

struct Rect {
    uint32_t texture;
    int32_t x, y, w, h;
};

// Each grid element of the table's cells as a rectangle.
std::vector<Rect> TableRects()
{
    std::vector<Rect> out;
    for (const TextureCell& c : ag::TextureCells())
        for (int32_t i = 0; i < c.columns * c.rows; ++i)
            out.push_back({c.texture, c.x + (i % c.columns) * c.w, c.y + (i / c.columns) * c.h, c.w, c.h});
    return out;
}

const TextureSheet& Sheet(uint32_t id)
{
    for (const TextureSheet& s : ag::TextureSheets())
        if (s.id == id) return s;
    throw std::runtime_error("no sheet");
}

bool Overlap(const Rect& a, const Rect& b)
{
    return a.texture == b.texture && a.x < b.x + b.w && b.x < a.x + a.w && a.y < b.y + b.h && b.y < a.y + a.h;
}

}  // namespace

TEST(AssetTextures, SheetsAreTheThirtyOneResourcesInOrder)
{
    const auto& sheets = ag::TextureSheets();
    ASSERT_EQ(sheets.size(), 31u);
    for (size_t i = 0; i < sheets.size(); ++i) EXPECT_EQ(sheets[i].id, i + 1);
    EXPECT_STREQ(sheets.front().name, "Title2.png");
    EXPECT_STREQ(sheets[16].name, "Buttons.png");
    EXPECT_STREQ(sheets.back().name, "AIAvatars.png");
}

TEST(AssetTextures, CellsTheWidgetsCutAreInTheTable)
{
    // Rectangles the widgets and drawing helpers take from the textures.
    const Rect wanted[] = {
        {17, 0, 0, 126, 53},  {17, 128, 0, 126, 53}, {17, 0, 64, 126, 53},   // button faces
        {20, 0, 0, 51, 22},   {20, 0, 32, 51, 22},   {20, 64, 0, 51, 22},    {20, 64, 32, 51, 22},
        {19, 0, 0, 23, 23},   {19, 0, 32, 23, 23},                           // knobs
        {18, 0, 0, 204, 22},  {18, 0, 32, 256, 22},                          // fill, track row
        {25, 0, 0, 48, 24},   {25, 0, 24, 48, 24},   {25, 64, 48, 48, 24},   // badges
        {21, 0, 0, 512, 49},  {21, 0, 64, 512, 49},                          // plate, glow band
        {8, 0, 0, 32, 32},    {8, 96, 32, 32, 32},   {8, 96, 96, 32, 32},    // icons 0, 7, row 3
        {8, 0, 160, 32, 32},  {8, 128, 160, 32, 32}, {8, 160, 160, 32, 32},  // suit icons, misere
        {8, 0, 192, 32, 32},  {8, 128, 224, 32, 32},                         // icon 24, header 5
        {10, 0, 0, 26, 46},   {10, 312, 230, 26, 46}, {10, 336, 0, 26, 94}, {10, 362, 0, 26, 46},
        {12, 64, 64, 64, 64}, {24, 192, 192, 64, 64}, {22, 448, 448, 64, 64}, {27, 0, 448, 64, 64},
        {31, 448, 448, 64, 64}, {2, 0, 0, 32, 32},
    };
    std::vector<Rect> table = TableRects();
    for (const Rect& r : wanted) {
        bool found = false;
        for (const Rect& t : table)
            found = found || (t.texture == r.texture && t.x == r.x && t.y == r.y && t.w == r.w && t.h == r.h);
        EXPECT_TRUE(found) << "texture " << r.texture << " cell (" << r.x << ", " << r.y << ", " << r.w << ", " << r.h
                           << ")";
    }
}

TEST(AssetTextures, CellsLieInsideTheirSheetAndApart)
{
    std::vector<Rect> table = TableRects();
    for (const Rect& r : table) {
        const TextureSheet& s = Sheet(r.texture);
        EXPECT_TRUE(r.x >= 0 && r.y >= 0 && r.x + r.w <= s.width && r.y + r.h <= s.height)
            << s.name << " cell at (" << r.x << ", " << r.y << ")";
    }
    // The joker's index overlaps the aces' cells by two columns, as the
    // index sheet's layout has it; nothing else overlaps.
    auto jokerAndAce = [](const Rect& a, const Rect& b) {
        return a.texture == 10 && ((a.x == 336 && b.x == 312) || (a.x == 312 && b.x == 336));
    };
    for (size_t i = 0; i < table.size(); ++i)
        for (size_t j = i + 1; j < table.size(); ++j)
            if (Overlap(table[i], table[j]) && !jokerAndAce(table[i], table[j]))
                ADD_FAILURE() << "texture " << table[i].texture << ": cells at (" << table[i].x << ", " << table[i].y
                              << ") and (" << table[j].x << ", " << table[j].y << ") overlap";
}

TEST(AssetTextures, ShadowAndBorderSheetsHaveTheSizesTheirFormulasAssume)
{
    // The card shadow scales its edges by 17 / 200 and 15 / 200; the
    // animated border moves 0..31 pixels along.
    EXPECT_EQ(Sheet(7).width, 217);
    EXPECT_EQ(Sheet(7).height, 215);
    EXPECT_EQ(Sheet(9).width, 32);
}

class GeneratedArchive : public ::testing::Test {
protected:
    void SetUp() override
    {
        archive = TQZIceData::CreateFromFile(agtest::RuntimePath("Assets/Misc/Textures.ice"));
        ASSERT_TRUE(archive) << "the build makes Textures.ice before the tests run";
    }
    plat::imaging::Image Texture(uint32_t id)
    {
        TQZIceData* node = archive->GetChildById(id);
        std::vector<uint8_t> bytes(size_t(node ? node->Data().Size() : 0));
        if (node) node->ReadData(0, bytes.data(), int32_t(bytes.size()));
        return agtest::Decode(bytes);
    }
    std::unique_ptr<TQZIceData> archive;
};

TEST_F(GeneratedArchive, HoldsChildrenOneToThirtyOneThatDecodeAtTheirSizes)
{
    ASSERT_EQ(archive->ChildCount(), 31);
    for (const TextureSheet& s : ag::TextureSheets()) {
        ASSERT_TRUE(archive->HasChild(s.id)) << s.name;
        plat::imaging::Image image = Texture(s.id);
        EXPECT_EQ(image.width, s.width) << s.name;
        EXPECT_EQ(image.height, s.height) << s.name;
    }
}

TEST_F(GeneratedArchive, TransparentWhereTheWidgetsExpectNothing)
{
    struct Probe {
        uint32_t texture;
        int32_t x, y;
        bool ink;
        const char* why;
    };
    const Probe probes[] = {
        {2, 16, 16, false, "the panel's centre is left empty"},
        {2, 2, 16, true, "the panel's left edge"},
        {5, 0, 0, false, "the veil keeps the card's rounded corner clear"},
        {5, 64, 90, true, "the veil covers the card"},
        {10, 336, 40, false, "the joker's first columns are shared with the aces"},
        {10, 13, 12, true, "the index of the two of spades"},
        {10, 375, 23, true, "the index backing is solid"},
        {17, 127, 20, false, "between two button faces"},
        {17, 60, 26, true, "the middle of a face"},
        {7, 100, 100, true, "the shadow under a card"},
        {7, 216, 214, false, "the shadow fades out at its corner"},
    };
    for (const Probe& p : probes) {
        plat::imaging::Image image = Texture(p.texture);
        ASSERT_FALSE(image.Empty());
        EXPECT_EQ(agtest::Alpha(image, p.x, p.y) > 0, p.ink) << "texture " << p.texture << ": " << p.why;
    }
}
