#include "tfFace.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tfAtlas.h"

using namespace plat::typeface;

TEST(Typeface, SystemFaceNamesResolveToInstalledFiles)
{
    for (const char* name : {"Segoe UI", "Arial", "Tahoma", "Courier New", "No Such Face 123"}) {
        SCOPED_TRACE(name);
        FaceFile f;
        ASSERT_TRUE(ResolveFace(name, false, false, f));
        EXPECT_TRUE(std::filesystem::exists(f.path));
        EXPECT_FALSE(f.family.empty());
    }
    FaceFile regular, bold;
    ASSERT_TRUE(ResolveFace("Arial", false, false, regular));
    ASSERT_TRUE(ResolveFace("Arial", true, false, bold));
    EXPECT_NE(regular.path, bold.path);
}

TEST(Typeface, GlyphsHaveCoverageAndAdvances)
{
    auto face = Typeface::Open("Arial", 20);
    ASSERT_TRUE(face);
    EXPECT_EQ(face->Size(), 20);
    EXPECT_GE(face->LineHeight(), 20);
    EXPECT_LE(face->LineHeight(), 30);
    const Glyph& a = face->GetGlyph('A');
    EXPECT_GT(a.width, 5);
    EXPECT_GT(a.height, 10);
    EXPECT_LE(a.top, face->Ascent());
    int full = 0;
    for (uint8_t c : a.coverage) full += c == 255;
    EXPECT_GT(full, 5);
    const Glyph& space = face->GetGlyph(' ');
    EXPECT_EQ(space.width, 0);
    EXPECT_GT(space.advance, 0);
    EXPECT_EQ(face->GetGlyph('\n').advance, 0);
    EXPECT_GT(face->Advance('W'), face->Advance('i'));
    EXPECT_EQ(face->TextWidth("AB"), face->Advance('A') + face->Advance('B'));
    EXPECT_GT(face->GetGlyph(0x80).width, 0);  // the euro sign of the 8-bit code page
    EXPECT_FALSE(Typeface::Open("Arial", 0));
}

TEST(Typeface, BitmapsSitOnTheBaselineOfTheirLine)
{
    auto face = Typeface::Open("Segoe UI", 16);
    ASSERT_TRUE(face);
    TextLayout l = LayoutText(*face, "x_", {0, 0, 200, 100}, TEXT_LEFT);
    int32_t xBottom = -1, underTop = -1;
    ForEachGlyphBitmap(*face, l, [&](const Glyph& g, int32_t, int32_t y) {
        if (&g == &face->GetGlyph('x')) xBottom = y + g.height;
        else underTop = y;
    });
    EXPECT_NEAR(xBottom, face->Ascent(), 1);  // x rests on the baseline
    EXPECT_GE(underTop, face->Ascent() - 1);  // the underscore hangs below it
    EXPECT_LE(underTop + face->GetGlyph('_').height, face->LineHeight() + 1);
}

TEST(GlyphAtlas, PacksEveryGlyphWithoutOverlap)
{
    auto face = Typeface::Open("Arial", 24, true);
    ASSERT_TRUE(face);
    GlyphAtlas atlas;
    ASSERT_TRUE(atlas.Build(*face));
    int32_t side = atlas.Side();
    ASSERT_GE(side, 64);
    std::vector<uint8_t> used(size_t(side) * size_t(side), 0);
    for (int ch = 32; ch < 256; ++ch) {
        const GlyphAtlas::Entry& e = atlas.At(uint8_t(ch));
        const Glyph& g = face->GetGlyph(uint8_t(ch));
        ASSERT_EQ(e.width, g.width);
        ASSERT_LE(e.x + e.width, side);
        ASSERT_LE(e.y + e.height, side);
        for (int32_t y = 0; y < e.height; ++y)
            for (int32_t x = 0; x < e.width; ++x) {
                size_t at = size_t(e.y + y) * size_t(side) + size_t(e.x + x);
                ASSERT_EQ(used[at], 0) << "glyph " << ch << " overlaps";
                used[at] = 1;
                ASSERT_EQ(atlas.Page()[at], g.coverage[size_t(y * g.width + x)]);
            }
    }
    GlyphAtlas tooSmall;
    EXPECT_FALSE(tooSmall.Build(*face, 32));
}
