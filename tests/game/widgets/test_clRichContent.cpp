#include "UIRichContent.h"
#include "clRichContent.h"
#include "widgettestutil.h"

#include "qz7fonts.h"

#include <gtest/gtest.h>

#include <random>

namespace {

// Characters of different widths (so that fitting is not a matter of
// counting), lines of a fixed height; drawing is recorded.
class TRecordingFont : public TQZFont {
public:
    struct Drawn {
        TQZRect rect;
        std::string text;
        uint32_t flags;
        TQZColour colour;
    };

    explicit TRecordingFont(int32_t size, bool varied = false) : TQZFont("Recording", size), varied_(varied) {}
    int32_t CharWidth(uint8_t ch) override { return varied_ ? size / 2 + int32_t(ch % 7) : size; }
    int32_t TextWidth(const std::string& text) override
    {
        int32_t w = 0;
        for (char c : text) w += CharWidth(uint8_t(c));
        return w;
    }
    int32_t TextHeight(const std::string&) override { return size; }
    int32_t GetMetric() override { return 2; }
    void DrawText(const TQZRect& rect, const std::string& text, uint32_t flags, TQZColour colour) override
    {
        drawn.push_back({rect, text, flags, colour});
    }

    std::vector<Drawn> drawn;

private:
    bool varied_;
};

std::vector<std::string> RunTexts(const TRichContent& content)
{
    std::vector<std::string> out;
    for (int32_t i = 0; i < content.ItemCount(); ++i) {
        if (auto* t = dynamic_cast<TRichTextItem*>(content.Item(i)))
            for (const auto& r : t->runs) out.push_back(r.text);
    }
    return out;
}

// The runs in order, with only the spaces dropped at the breaks put back,
// give the source text.
::testing::AssertionResult RunsRebuildTheText(const TRichTextItem& item)
{
    size_t at = 0;
    for (size_t i = 0; i < item.runs.size(); ++i) {
        const std::string& run = item.runs[i].text;
        if (run[0] != ' ')  // spaces dropped at a break
            while (at < item.text.size() && item.text[at] == ' ') ++at;
        if (item.text.compare(at, run.size(), run) != 0) {
            return ::testing::AssertionFailure()
                   << "run " << i << " \"" << run << "\" is not the text at " << at << " of \"" << item.text << "\"";
        }
        at += run.size();
    }
    if (item.text.find_first_not_of(' ', at) != std::string::npos)
        return ::testing::AssertionFailure() << "text after " << at << " lost from \"" << item.text << "\"";
    return ::testing::AssertionSuccess();
}

class RichTextTest : public ::testing::Test {
protected:
    TRecordingFont font{10};
    TRichContent content;

    void SetUp() override
    {
        for (int32_t pass = 0; pass < RICH_PASSES; ++pass) content.SetFont(pass, &font);
    }
};

}  // namespace

TEST_F(RichTextTest, AForcedBreakInsideAWordKeepsEveryLetter)
{
    content.AddText("abcdefghij");
    content.SetSize(35, 200);
    EXPECT_EQ((std::vector<std::string>{"abc", "def", "ghi", "j"}), RunTexts(content));
}

TEST_F(RichTextTest, AWordMovedWholeToTheNextLineKeepsItsFirstLetter)
{
    content.AddText("aa");
    content.AddText("bbbb");
    content.SetSize(50, 200);
    EXPECT_EQ((std::vector<std::string>{"aa", "bbbb"}), RunTexts(content));
    auto* second = static_cast<TRichTextItem*>(content.Item(1));
    EXPECT_EQ(1, second->runs[0].line);
    EXPECT_EQ(0, second->runs[0].x);
}

TEST_F(RichTextTest, ABreakAtASpaceDropsTheSpace)
{
    content.AddText("aaa bbb cc");
    content.SetSize(65, 200);
    EXPECT_EQ((std::vector<std::string>{"aaa", "bbb cc"}), RunTexts(content));
    const auto& lines = content.Cursor().lines;
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ(30, lines[0].width);
    EXPECT_EQ(70, lines[1].width);   // the last run takes a space after it
    EXPECT_EQ(12, lines[0].height);  // text height plus the line spacing
}

// Where a text breaks, with 10-pixel characters: only a space at the break
// is dropped, never a letter.
TEST(RichTextBreaks, EachBreakKeepsEveryLetterAndDropsOnlyTheSpaceItFallsOn)
{
    struct Case {
        const char* begun;  // text already on the first line, "" for none
        const char* text;
        int32_t box;
        std::vector<std::string> runs;
        std::vector<int32_t> lines;
    };
    const Case cases[] = {
        {"", "abcdefghij", 35, {"abc", "def", "ghi", "j"}, {0, 1, 2, 3}},  // forced inside a long word
        {"", "abc def", 30, {"abc", "def"}, {0, 1}},                       // exactly at a space
        {"", "aaa bbb cc", 65, {"aaa", "bbb cc"}, {0, 1}},
        {"", "ab  cd", 30, {"ab ", "cd"}, {0, 1}},                         // only the break's space goes
        {"", "ab cdefghij", 40, {"ab", "cdef", "ghij"}, {0, 1, 2}},        // a long word after a short one
        {"", "abc", 5, {"a", "b", "c"}, {0, 1, 2}},                        // at least a letter a line
        {"aa", "bbbb", 50, {"bbbb"}, {1}},                                 // moved whole to the next line
        {"aa", "bb cccccc", 70, {"bb", "cccccc"}, {0, 1}},                 // the first word stays
        {"aa", "bbbbbbbbb", 70, {"bbbbbbb", "bb"}, {1, 2}},                // moved, then forced
        {"", "abc", 40, {"abc"}, {0}},                                     // fits whole
    };
    for (const Case& c : cases) {
        TRecordingFont font(10);
        TRichContent content;
        for (int32_t pass = 0; pass < RICH_PASSES; ++pass) content.SetFont(pass, &font);
        if (*c.begun) content.AddText(c.begun);
        TRichTextItem* item = content.AddText(c.text);
        content.SetSize(c.box, 1000);
        std::vector<std::string> runs;
        std::vector<int32_t> lines;
        for (const auto& r : item->runs) {
            runs.push_back(r.text);
            lines.push_back(r.line);
        }
        EXPECT_EQ(c.runs, runs) << "\"" << c.text << "\" in " << c.box;
        EXPECT_EQ(c.lines, lines) << "\"" << c.text << "\" in " << c.box;
        EXPECT_TRUE(RunsRebuildTheText(*item));
    }
}

TEST(RichTextProperty, RunsPutBackTogetherGiveTheSourceForManyTextsAndWidths)
{
    TRecordingFont font(12, true);
    std::mt19937 random(20240611);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    for (int round = 0; round < 400; ++round) {
        std::string text(size_t(pick(0, 2)), ' ');
        for (int words = pick(0, 12); words > 0; --words) {
            for (int n = pick(1, 18); n > 0; --n) text += char('a' + pick(0, 25));
            text += std::string(size_t(pick(words > 1 ? 1 : 0, 3)), ' ');
        }
        TRichContent content;
        for (int32_t pass = 0; pass < RICH_PASSES; ++pass) content.SetFont(pass, &font);
        if (pick(0, 1)) content.AddText(std::string(size_t(pick(1, 5)), 'z'));  // a line already begun
        TRichTextItem* item = content.AddText(text);
        content.SetSize(pick(1, 220), 10000);
        ASSERT_TRUE(RunsRebuildTheText(*item)) << "width " << content.BoxWidth();
        for (size_t i = 1; i < item->runs.size(); ++i) ASSERT_NE(' ', item->runs[i].text[0]);
    }
}

TEST_F(RichTextTest, AnEmptyTextAddsNothingAndALineBreakOnAnEmptyLineOnlyItsOwnLine)
{
    content.AddText("");
    content.AddLineBreak(true);
    content.SetSize(100, 100);
    const auto& lines = content.Cursor().lines;
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ(94, lines[0].width);
    EXPECT_EQ(4, lines[0].height);
    EXPECT_EQ(0, lines[1].height);
    EXPECT_EQ(4, content.TextHeight());

    content.Clear();
    content.AddText("ab");
    TRichLineBreakItem* rule = content.AddLineBreak(false);
    content.AddText("cd");
    content.Update();
    EXPECT_EQ(1, rule->line);
    EXPECT_EQ(3u, content.Cursor().lines.size());
    EXPECT_EQ(12 + 4 + 12, content.TextHeight());
}

TEST_F(RichTextTest, TextTooTallIsLaidOutAgainInTheSmallerFontsUpToTheThirdPass)
{
    TRecordingFont middle(8), small(7);
    content.SetFont(1, &middle);
    content.SetFont(2, &small);
    content.AddText("aaaa aaaa aaaa aaaa");
    content.SetSize(160, 20);  // 10 px: two lines of 12; 8 px: one line of 10
    EXPECT_EQ(1, content.Pass());
    EXPECT_EQ(10, content.TextHeight());

    content.SetSize(20, 30);  // too tall in every font
    EXPECT_EQ(2, content.Pass());
    EXPECT_GT(content.TextHeight(), 30);
}

TEST_F(RichTextTest, LinesAreAlignedInTheBox)
{
    content.AddText("abc");
    content.SetSize(100, 50);
    // One line of 40 (three letters and a space) and 12 high.
    content.hAlign = 0;
    EXPECT_EQ((TQZPoint{0, 19}), content.LineOffset(0));
    content.hAlign = 1;
    EXPECT_EQ((TQZPoint{30, 19}), content.LineOffset(0));
    content.hAlign = 2;
    content.vAlign = 2;
    EXPECT_EQ((TQZPoint{60, 38}), content.LineOffset(0));
}

TEST_F(RichTextTest, RunsAreDrawnAtTheirLinesOffsetInTheirColour)
{
    TRecordingFont big(20);
    content.AddText("aaaa bb", 0xFF00FF00);
    content.AddText("c", 0xFFFF0000)->font = &big;
    content.hAlign = 0;
    content.SetSize(60, 100);
    content.Draw({100, 200, 160, 300});
    // Lines: "aaaa" (12 high), then "bb" and "c" (22 high); 34 in a box of 100.
    ASSERT_EQ(2u, font.drawn.size());
    EXPECT_EQ("aaaa", font.drawn[0].text);
    EXPECT_EQ((TQZRect{100, 234, 140, 244}), font.drawn[0].rect);
    EXPECT_EQ((TQZRect{100, 251, 120, 261}), font.drawn[1].rect);  // centred in the taller line
    EXPECT_EQ(RICH_TEXT_FLAGS, font.drawn[1].flags);
    EXPECT_EQ(0xFF00FF00u, font.drawn[1].colour);
    ASSERT_EQ(1u, big.drawn.size());
    EXPECT_EQ((TQZRect{130, 246, 150, 266}), big.drawn[0].rect);
    EXPECT_EQ(0xFFFF0000u, big.drawn[0].colour);

    font.drawn.clear();
    content.Item(0)->visible = false;
    content.Draw({0, 0, 60, 100});
    EXPECT_TRUE(font.drawn.empty());
}

TEST(SplitMarkup, TagsComeOutInLowerCaseBetweenTheTextPieces)
{
    EXPECT_EQ((std::vector<std::string>{"one", "<b>", "two", "</b>", "three"}), SplitMarkup("one<B>two</B>three"));
    EXPECT_EQ((std::vector<std::string>{"<hr>", "click again", "<br>"}), SplitMarkup("<HR>click again<BR>"));
    EXPECT_EQ((std::vector<std::string>{"a", "b"}), SplitMarkup("a<>b"));
    EXPECT_EQ((std::vector<std::string>{"a", "<open>"}), SplitMarkup("a<OPEN"));  // an open tag ends the text
    EXPECT_TRUE(SplitMarkup("").empty());
}

// ---------------------------------------------------------------- widget and drawing

class RichDrawTest : public widgettest::VideoFixture {};

TEST_F(RichDrawTest, ARuleIsAOnePixelLineAcrossTheBoxLessItsOffset)
{
    auto root = NewRootWindow<TGUIWindow>(TQZRect{0, 0, 160, 120}, nullptr, 0);
    TUIRichContent* widget = NewWindow<TUIRichContent>(TQZRect{20, 10, 120, 60}, root.get());
    TRecordingFont font(10);
    for (int32_t pass = 0; pass < RICH_PASSES; ++pass) widget->Content()->SetFont(pass, &font);
    widget->Content()->AddLineBreak(true, 0xFFFFFF00);
    root->UpdateTree();  // lays the dirty content out

    // One 4-pixel line centred in 50: its top at 23, 3 pixels in from each side.
    ASSERT_TRUE(Frame([&](TQZVideo*) { root->DrawTree(); }));
    EXPECT_EQ(0xFFFFFF00u, BackPixel(23, 33));
    EXPECT_EQ(0xFFFFFF00u, BackPixel(116, 33));
    EXPECT_EQ(0xFF000000u, BackPixel(22, 33));
    EXPECT_EQ(0xFF000000u, BackPixel(117, 33));
    EXPECT_EQ(0xFF000000u, BackPixel(50, 34));

    widget->SetBounds({0, 0, 100, 20});  // a new size lays the content out again
    EXPECT_EQ(100, widget->Content()->BoxWidth());
    EXPECT_EQ(20, widget->Content()->BoxHeight());
}
