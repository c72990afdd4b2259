#include "gdiContext.h"

#include <gtest/gtest.h>

using namespace plat::gdi;
namespace tf = plat::typeface;

namespace {

constexpr uint32_t WHITE = 0xFFFFFFFF;

// Counts the pixels that differ from a colour, inside and outside a rectangle.
struct Ink {
    int inside = 0, outside = 0;
};
Ink CountNot(const Bitmap& bm, uint32_t colour, const Rect& r)
{
    Ink ink;
    for (int32_t y = 0; y < bm.Height(); ++y)
        for (int32_t x = 0; x < bm.Width(); ++x)
            if (bm.Pixel(x, y) != colour)
                (x >= r.left && x < r.right && y >= r.top && y < r.bottom ? ink.inside : ink.outside)++;
    return ink;
}

}  // namespace

TEST(GdiColours, ColorRefSwapsRedAndBlueAndDropsAlpha)
{
    EXPECT_EQ(ColorRefFromArgb(0x80FF0000), 0x000000FFu);
    EXPECT_EQ(ColorRefFromArgb(0x12345678), 0x00785634u);
    EXPECT_EQ(ArgbFromColorRef(0x00785634), 0xFF345678u);
    EXPECT_EQ(MakeColorRef(1, 2, 3), 0x00030201u);
}

TEST(GdiContext, FillsAreOpaqueAndStayInsideClipAndBitmap)
{
    Bitmap bm;
    ASSERT_TRUE(bm.Create(8, 6, 0));
    DeviceContext dc(&bm);
    ASSERT_TRUE(dc.FillRect({-5, -5, 3, 2}, ColorRefFromArgb(0x80FF0000)));
    EXPECT_EQ(bm.Pixel(0, 0), 0xFFFF0000u);
    EXPECT_EQ(bm.Pixel(2, 1), 0xFFFF0000u);
    EXPECT_EQ(bm.Pixel(3, 1), 0u);
    EXPECT_EQ(bm.Pixel(2, 2), 0u);

    Rect clip;
    EXPECT_FALSE(dc.GetClipRect(clip));
    dc.SetClipRect({4, 2, 20, 4});
    ASSERT_TRUE(dc.GetClipRect(clip));
    EXPECT_EQ(clip, (Rect{4, 2, 20, 4}));
    // Setup: what the test checks after it shows whether it took.
    (void)dc.FillRect({0, 0, 8, 6}, MakeColorRef(0, 0, 255));
    Ink ink = CountNot(bm, 0xFF0000FF, {4, 2, 8, 4});
    EXPECT_EQ(ink.inside, 0);
    EXPECT_EQ(ink.outside, 48 - 8);
    dc.ClearClip();
    EXPECT_FALSE(dc.GetClipRect(clip));
    dc.SetClipRect({3, 3, 3, 9});  // empty: clipping ends
    EXPECT_FALSE(dc.GetClipRect(clip));

    DeviceContext none;
    EXPECT_FALSE(none.FillRect({0, 0, 1, 1}, 0));
}

TEST(GdiContext, DestinationInvertKeepsAlphaAndUndoesItself)
{
    Bitmap bm;
    ASSERT_TRUE(bm.Create(4, 4, 0x40102030));
    DeviceContext dc(&bm);
    ASSERT_TRUE(dc.PatBlt(1, 1, 2, 2, ROP_DSTINVERT));
    EXPECT_EQ(bm.Pixel(1, 1), 0x40EFDFCFu);
    EXPECT_EQ(bm.Pixel(0, 0), 0x40102030u);
    EXPECT_EQ(bm.Pixel(3, 3), 0x40102030u);
    // Setup: what the test checks after it shows whether it took.
    (void)dc.PatBlt(3, 3, -2, -2, ROP_DSTINVERT);  // the same square given from its far corner
    EXPECT_EQ(CountNot(bm, 0x40102030, {}).outside, 0);
    dc.SetBrushColor(MakeColorRef(0, 255, 0));
    ASSERT_TRUE(dc.PatBlt(0, 0, 1, 1, ROP_PATCOPY));
    EXPECT_EQ(bm.Pixel(0, 0), 0xFF00FF00u);
    EXPECT_FALSE(dc.PatBlt(0, 0, 1, 1, 0x12345678));
}

TEST(GdiContext, PolylineLeavesOutTheLastPoint)
{
    Bitmap bm;
    ASSERT_TRUE(bm.Create(8, 8, 0));
    DeviceContext dc(&bm);
    dc.SetPenColor(MakeColorRef(255, 255, 255));
    const Point path[] = {{1, 1}, {5, 1}, {5, 4}};
    ASSERT_TRUE(dc.Polyline(path, 3));
    std::vector<std::pair<int, int>> lit;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            if (bm.Pixel(x, y)) lit.emplace_back(x, y);
    const std::vector<std::pair<int, int>> want = {{1, 1}, {2, 1}, {3, 1}, {4, 1}, {5, 1}, {5, 2}, {5, 3}};
    EXPECT_EQ(lit, want);
    EXPECT_FALSE(dc.Polyline(path, 1));
}

TEST(GdiContext, GradientTrianglesCoverTheirRectangleWithCornerColours)
{
    Bitmap bm;
    ASSERT_TRUE(bm.Create(12, 12, 0));
    DeviceContext dc(&bm);
    auto v = [](int32_t x, int32_t y, uint32_t rgb) {
        return TriVertex{x, y, uint16_t(((rgb >> 16) & 0xFF) * 257), uint16_t(((rgb >> 8) & 0xFF) * 257),
                         uint16_t((rgb & 0xFF) * 257), 0xFFFF};
    };
    TriVertex tl = v(1, 1, 0xFF0000), tr = v(11, 1, 0x00FF00), br = v(11, 11, 0x0000FF), bl = v(1, 11, 0xFFFFFF);
    ASSERT_TRUE(dc.GradientTriangle(tl, tr, br));
    ASSERT_TRUE(dc.GradientTriangle(tl, br, bl));
    Ink ink = CountNot(bm, 0, {1, 1, 11, 11});
    EXPECT_EQ(ink.inside, 100);  // no gaps along the shared edge
    EXPECT_EQ(ink.outside, 0);
    auto near = [](uint32_t got, uint32_t want) {
        for (int s = 0; s < 24; s += 8)
            if (std::abs(int((got >> s) & 0xFF) - int((want >> s) & 0xFF)) > 40) return false;
        return true;
    };
    EXPECT_TRUE(near(bm.Pixel(1, 1), 0xFF0000)) << std::hex << bm.Pixel(1, 1);
    EXPECT_TRUE(near(bm.Pixel(10, 1), 0x00FF00)) << std::hex << bm.Pixel(10, 1);
    EXPECT_TRUE(near(bm.Pixel(10, 10), 0x0000FF)) << std::hex << bm.Pixel(10, 10);
    EXPECT_TRUE(near(bm.Pixel(1, 10), 0xFFFFFF)) << std::hex << bm.Pixel(1, 10);
    EXPECT_EQ(bm.Pixel(1, 1) >> 24, 0xFFu);
}

TEST(GdiContext, TextIsClippedToItsRectangleAndAligned)
{
    auto face = tf::Typeface::Open("Arial", 14);
    ASSERT_TRUE(face);
    Bitmap bm;
    ASSERT_TRUE(bm.Create(200, 60, WHITE));
    DeviceContext dc(&bm);
    dc.SelectFont(face.get());
    dc.SetTextColor(0);
    dc.SetBkMode(BKMODE_TRANSPARENT);

    Rect measure{10, 5, 200, 60};
    int32_t h = dc.DrawText("Hello world", measure, tf::TEXT_CALCRECT);
    EXPECT_EQ(h, face->LineHeight());
    EXPECT_EQ(measure, (Rect{10, 5, 10 + face->TextWidth("Hello world"), 5 + h}));
    EXPECT_EQ(CountNot(bm, WHITE, {}).outside, 0);  // measuring draws nothing

    Rect box{10, 5, 60, 55};  // narrower than the text
    dc.DrawText("Hello world", box, tf::TEXT_BOTTOM);
    Ink ink = CountNot(bm, WHITE, {10, 55 - face->LineHeight(), 60, 55});
    EXPECT_GT(ink.inside, 20);
    EXPECT_EQ(ink.outside, 0);

    (void)bm.Create(200, 60, WHITE);  // setup: what the test checks after it shows whether it took
    Rect wide{0, 0, 200, 60};
    dc.DrawText("Hi", wide, tf::TEXT_CENTER | tf::TEXT_VCENTER | tf::TEXT_NOCLIP);
    int32_t w = face->TextWidth("Hi"), lh = face->LineHeight();
    Rect centre{(200 - w) / 2, (60 - lh) / 2, (200 - w) / 2 + w, (60 - lh) / 2 + lh};
    ink = CountNot(bm, WHITE, centre);
    EXPECT_GT(ink.inside, 10);
    EXPECT_EQ(ink.outside, 0);
}

TEST(GdiContext, OpaqueTextOutPaintsItsBackground)
{
    auto face = tf::Typeface::Open("Arial", 12);
    ASSERT_TRUE(face);
    Bitmap bm;
    ASSERT_TRUE(bm.Create(100, 30, WHITE));
    DeviceContext dc(&bm);
    dc.SelectFont(face.get());
    dc.SetBkColor(MakeColorRef(0, 0, 255));
    dc.SetTextColor(MakeColorRef(255, 255, 0));
    ASSERT_TRUE(dc.TextOut(5, 5, "ab"));
    Rect extent{5, 5, 5 + face->TextWidth("ab"), 5 + face->LineHeight()};
    EXPECT_EQ(CountNot(bm, WHITE, extent).outside, 0);
    EXPECT_EQ(bm.Pixel(extent.left, extent.top), 0xFF0000FFu);
    int yellowish = 0;  // more text colour than background
    for (int32_t y = extent.top; y < extent.bottom; ++y)
        for (int32_t x = extent.left; x < extent.right; ++x) {
            uint32_t p = bm.Pixel(x, y);
            yellowish += ((p >> 16) & 0xFF) > 128 && (p & 0xFF) < 128;
        }
    EXPECT_GT(yellowish, 5);
}

TEST(GdiContext, CopiesClipAndStretch)
{
    Bitmap src, dst;
    ASSERT_TRUE(src.Create(4, 4));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) src.Row(y)[x] = 0xFF000000u | uint32_t(y * 4 + x) * 16;
    ASSERT_TRUE(dst.Create(6, 6, 0));
    DeviceContext s(&src), d(&dst);
    ASSERT_TRUE(d.BitBlt(-1, 4, 4, 4, s, 0, 0));  // falls partly off the target
    EXPECT_EQ(dst.Pixel(0, 4), src.Pixel(1, 0));
    EXPECT_EQ(dst.Pixel(2, 5), src.Pixel(3, 1));
    EXPECT_EQ(dst.Pixel(3, 4), 0u);

    (void)dst.Create(2, 2, 0);  // setup: what the test checks after it shows whether it took
    d.SetStretchBltMode(STRETCH_HALFTONE);
    ASSERT_TRUE(d.StretchBlt(0, 0, 2, 2, s, 0, 0, 4, 4));
    // Each target pixel averages a 2 x 2 block: (0 + 1 + 4 + 5) x 16 / 4 = 40.
    EXPECT_EQ(dst.Pixel(0, 0), 0xFF000028u);
    EXPECT_EQ(dst.Pixel(1, 1), 0xFF0000C8u);  // (10 + 11 + 14 + 15) x 16 / 4

    (void)dst.Create(8, 8, 0);  // setup: what the test checks after it shows whether it took
    d.SetStretchBltMode(STRETCH_COLORONCOLOR);
    ASSERT_TRUE(d.StretchBlt(0, 0, 8, 8, s, 0, 0, 4, 4));
    EXPECT_EQ(dst.Pixel(7, 7), src.Pixel(3, 3));
    EXPECT_EQ(dst.Pixel(2, 1), src.Pixel(1, 0));

    // Overlapping copy inside one bitmap reads the original pixels.
    ASSERT_TRUE(s.BitBlt(1, 0, 3, 1, s, 0, 0));
    EXPECT_EQ(src.Pixel(1, 0), 0xFF000000u);
    EXPECT_EQ(src.Pixel(3, 0), 0xFF000020u);
}
