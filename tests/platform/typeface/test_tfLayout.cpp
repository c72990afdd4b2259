#include "tfLayout.h"

#include <gtest/gtest.h>

#include <string>

using namespace plat::typeface;

namespace {

// Every printable byte 10 pixels wide, lines 16 high: positions are exact.
class MonoMetrics : public TextMetrics {
public:
    int32_t Advance(uint8_t ch) const override { return ch >= 32 ? 10 : 0; }
    int32_t LineHeight() const override { return 16; }
};

std::vector<std::string> LineTexts(const TextLayout& layout)
{
    std::vector<std::string> lines;
    int32_t lastY = INT32_MIN;
    for (const PlacedGlyph& g : layout.glyphs) {
        if (g.y != lastY) lines.emplace_back(), lastY = g.y;
        lines.back() += char(g.ch);
    }
    return lines;
}

const MonoMetrics kMono;

}  // namespace

TEST(TextLayout, WordBreakSplitsAtSpacesAndKeepsLongWordsWhole)
{
    struct Case {
        const char* text;
        int32_t width;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"abcd efgh", 60, {"abcd", "efgh"}},
        {"abcd efgh", 90, {"abcd efgh"}},
        {"ab cd ef gh", 50, {"ab cd", "ef gh"}},
        {"abcdefghij kl", 50, {"abcdefghij", "kl"}},
        {"one\r\ntwo\nthree\rfour", 500, {"one", "two", "three", "four"}},
        {"ab    cd", 30, {"ab", "cd"}},  // spaces at a break take no line
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        TextLayout l = LayoutText(kMono, c.text, {0, 0, c.width, 200}, TEXT_WORDBREAK);
        EXPECT_EQ(LineTexts(l), c.lines);
        EXPECT_EQ(l.lines, int32_t(c.lines.size()));
    }
}

TEST(TextLayout, CalcRectMeasuresWithoutPlacing)
{
    struct Case {
        const char* text;
        uint32_t format;
        TextRect want;
    };
    const Case cases[] = {
        {"hello", TEXT_CALCRECT, {5, 7, 55, 23}},
        {"", TEXT_CALCRECT, {5, 7, 5, 7}},
        {"abcd efgh ij", TEXT_CALCRECT | TEXT_WORDBREAK, {5, 7, 45, 55}},
        {"abcdefghijkl", TEXT_CALCRECT | TEXT_WORDBREAK, {5, 7, 125, 23}},  // grows for a long word
        {"a\nbcd", TEXT_CALCRECT | TEXT_CENTER | TEXT_BOTTOM, {5, 7, 35, 39}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        TextLayout l = LayoutText(kMono, c.text, {5, 7, 65, 100}, c.format);
        EXPECT_EQ(l.bounds, c.want);
        EXPECT_TRUE(l.glyphs.empty());
    }
}

TEST(TextLayout, AlignmentPlacesTheBlock)
{
    const TextRect r{10, 20, 110, 100};  // 100 x 80
    struct Case {
        uint32_t format;
        int32_t x, y;
    };
    const Case cases[] = {
        {TEXT_LEFT, 10, 20},
        {TEXT_CENTER, 45, 20},
        {TEXT_RIGHT, 80, 20},
        {TEXT_VCENTER, 10, 52},
        {TEXT_BOTTOM, 10, 84},
        {TEXT_CENTER | TEXT_BOTTOM, 45, 84},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        TextLayout l = LayoutText(kMono, "abc", r, c.format);
        ASSERT_EQ(l.glyphs.size(), 3u);
        EXPECT_EQ(l.glyphs[0].x, c.x);
        EXPECT_EQ(l.glyphs[0].y, c.y);
        EXPECT_EQ(l.glyphs[2].x, c.x + 20);
        EXPECT_EQ(l.bounds, (TextRect{c.x, c.y, c.x + 30, c.y + 16}));
    }
    // Two wrapped lines centred each on its own and as a block at the bottom.
    TextLayout l = LayoutText(kMono, "abcdef ghij", r, TEXT_WORDBREAK | TEXT_CENTER | TEXT_BOTTOM);
    ASSERT_EQ(l.glyphs.size(), 10u);
    EXPECT_EQ(l.glyphs[0].x, 30);
    EXPECT_EQ(l.glyphs[0].y, 68);
    EXPECT_EQ(l.glyphs[6].x, 40);
    EXPECT_EQ(l.glyphs[6].y, 84);
}

TEST(TextLayout, SingleLineIgnoresBreaksAndNoClipIsReported)
{
    TextLayout l = LayoutText(kMono, "ab\ncd", {0, 0, 20, 20}, TEXT_SINGLELINE | TEXT_WORDBREAK | TEXT_NOCLIP);
    EXPECT_EQ(l.lines, 1);
    EXPECT_EQ(l.glyphs.size(), 5u);
    EXPECT_EQ(l.glyphs[4].x, 30);  // the line feed takes no room
    EXPECT_FALSE(l.clipped);
    EXPECT_TRUE(LayoutText(kMono, "ab", {0, 0, 20, 20}, 0).clipped);
}
