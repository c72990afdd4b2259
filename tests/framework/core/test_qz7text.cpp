#include "qz7text.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

TEST(TextTest, RecognisingNumbers)
{
    struct Case {
        const char* text;
        bool isInt, isFloat;
    };
    const Case cases[] = {
        {"-", true, true},   {"1-", false, false}, {"1.2.3", false, false}, {"", true, true},
        {" 12", true, true}, {"007", true, true},  {"-1.5", false, true},   {"12a", false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsIntegerText(c.text), c.isInt) << c.text;
        EXPECT_EQ(IsFloatText(c.text), c.isFloat) << c.text;
    }
    EXPECT_EQ(TextToIntDef("12a", 0), 0);
    EXPECT_EQ(TextToIntDef("-12", 0), -12);
    EXPECT_EQ(TextToIntDef("99999999999", 7), 7);
    EXPECT_EQ(TextToIntDef("-", 5), 5);
    EXPECT_TRUE(IsBoolText("TRUE"));
    EXPECT_FALSE(IsBoolText("yes"));
    EXPECT_TRUE(TextToBoolDef("t", false));
    EXPECT_FALSE(TextToBoolDef("False", true));
    EXPECT_TRUE(TextToBoolDef("Yes", true));
}

TEST(TextTest, CheckedWholeNumbersRefuseWhatDoesNotFit)
{
    struct Case {
        const char* text;
        bool ok;
        int32_t value;
    };
    const Case cases[] = {
        {"0", true, 0},
        {" -12 ", true, -12},
        {"2147483647", true, INT32_MAX},
        {"-2147483648", true, INT32_MIN},
        {"2147483648", false, 0},
        {"-2147483649", false, 0},
        {"4294967296", false, 0},
        {"100000000000000000000000", false, 0},
        {"1e23", false, 0},
        {"", false, 0},
        {"-", false, 0},
        {"+5", false, 0},
        {"1 2", false, 0},
        {"0x10", false, 0},
    };
    for (const auto& c : cases) {
        int32_t v = 77;
        EXPECT_EQ(TextToIntChecked(c.text, v), c.ok) << c.text;
        EXPECT_EQ(v, c.ok ? c.value : 77) << c.text;
    }
}

TEST(TextTest, HexAndPoints)
{
    EXPECT_EQ(HexToIntDef("0x1F", -1), 31);
    EXPECT_EQ(HexToIntDef("$FF", -1), 255);
    EXPECT_EQ(HexToIntDef("#ff", -1), 255);
    EXPECT_EQ(HexToIntDef("1G", -1), -1);
    EXPECT_EQ(HexToIntDef("123456789", -1), -1);
    EXPECT_EQ(TextToPoint("[10,-5]", {1, 1}), (TQZPoint{10, -5}));
    EXPECT_EQ(TextToPoint("10 5", {1, 1}), (TQZPoint{1, 1}));
    EXPECT_EQ(TextToPoint("", {1, 1}), (TQZPoint{1, 1}));
    EXPECT_EQ(PointToText({3, -4}), "[3,-4]");
    std::vector<int32_t> arr{9};
    TextToIntArray("1, x,3", arr);
    EXPECT_EQ(arr, (std::vector<int32_t>{9, 1, 0, 3}));
}

TEST(TextTest, SizeToText)
{
    EXPECT_EQ(SizeToText(1536), "1.5K");
    EXPECT_EQ(SizeToText(1024), "1K");
    EXPECT_EQ(SizeToText(1000), "1000");
    EXPECT_EQ(SizeToText(1024LL * 1024 * 3 + 1024 * 900), "3.8M");
    EXPECT_EQ(SizeToText(1023LL * 1024 + 1000), "1023K");
}

TEST(TextTest, CuttingAndSearching)
{
    EXPECT_EQ(MidText("abcdef", 2, 3), "bcd");
    EXPECT_EQ(MidText("abcdef", 5, -1), "ef");
    EXPECT_EQ(MidText("abcdef", 5, 10), "ef");
    EXPECT_EQ(MidText("abcdef", 0, 2), "");
    EXPECT_EQ(MidText("abcdef", 7, 2), "");
    EXPECT_EQ(MidText("abcdef", 2, -2), "");
    EXPECT_EQ(LeftText("abc", 5), "abc");
    EXPECT_EQ(RightText("abc", 2), "bc");
    EXPECT_EQ(RepeatText("ab", 3), "ababab");
    EXPECT_EQ(RepeatText("ab", -1), "");
    EXPECT_EQ(PosNth("a.b.c", ".", 2), 4);
    EXPECT_EQ(PosNth("a.b.c", ".", 3), 0);
    EXPECT_EQ(PosOfAny("abc", "xc"), 3);
    EXPECT_EQ(CountChar("a\"b\"", '"'), 2);
    EXPECT_EQ(IndexOfText({"One", "Two"}, "two", false), 1);
    EXPECT_EQ(IndexOfText({"One", "Two"}, "two", true), -1);
    EXPECT_EQ(TextBetween("key=[value]", "[", "]"), "value");
    EXPECT_EQ(TextBetween("key", "[", "]"), "");
    EXPECT_EQ(TextBetween("key=value", "", "="), "key");
    EXPECT_EQ(ExtractQuoted("say \"a\\\"b\" end", "\"", "\"", '\\'), "a\\\"b");
    EXPECT_EQ(TrimText("\t x \r\n"), "x");
}

TEST(TextTest, MatchingBrackets)
{
    EXPECT_EQ(FindMatchingClose("x[a[b]c]d", '[', ']'), 8);
    EXPECT_EQ(FindMatchingClose("[a", '[', ']'), 0);
    EXPECT_EQ(FindMatchingClose("[\"]\"]", '[', ']'), 3);
    EXPECT_EQ(FindMatchingCloseQuoted("[\"]\"]", '[', ']'), 5);
    EXPECT_EQ(FindMatchingCloseQuoted("{\"a\\\"}\"}", '{', '}'), 8);
}

TEST(TextTest, Splitting)
{
    EXPECT_EQ(SplitCommaList("a,,b", false), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(SplitCommaList(" 'x, y' , \"z\" ", true), (std::vector<std::string>{"x, y", "z"}));
    EXPECT_EQ(GetField("a|b|c", "|", 2), "b");
    EXPECT_EQ(GetField("a|b|c", "|", 3), "c");
    EXPECT_EQ(GetField("a|b|c", "|", 4), "");
    std::string head, tail;
    EXPECT_EQ(SplitAt("k=v=w", "=", head, tail), 2);
    EXPECT_EQ(head, "k");
    EXPECT_EQ(tail, "v=w");
    EXPECT_EQ(SplitAt("kv", "=", head, tail), 0);
    EXPECT_EQ(head, "kv");
    SplitFirst(" \"a=b\" = c", "=", true, head, tail);
    EXPECT_EQ(head, "a=b");
    EXPECT_EQ(tail, " c");
    EXPECT_EQ(UnquoteText("\"'x'\""), "x");
    EXPECT_EQ(ReplacePairs("%1 and %2", {{"%1", "%2"}, {"%2", "two"}}), "two and two");
    EXPECT_EQ(ReplacePairs("aaa", {{"a", "aa"}}), "aaaaaa");
}

TEST(TextTest, SplittingLines)
{
    using Lines = std::vector<std::string>;
    const struct {
        const char* text;
        Lines lines;
    } cases[] = {
        {"", {}},
        {"one", {"one"}},
        {"one\ntwo\n", {"one", "two"}},
        {"one\r\ntwo", {"one", "two"}},
        {"\n\nthree\n", {"", "", "three"}},
        {"keeps\rinner\r\n", {"keeps\rinner"}},
        {" \r\n", {" "}},
    };
    for (const auto& c : cases) EXPECT_EQ(SplitLines(c.text), c.lines) << '"' << c.text << '"';
}

TEST(TextTest, EscapingAndStripping)
{
    EXPECT_EQ(EscapeText("a\"b\\c"), "a\\\"b\\\\c");
    EXPECT_EQ(UnescapeText(EscapeText("a\"b\\c")), "a\"b\\c");
    EXPECT_EQ(StripWhitespace("{ \"a b\" : 1,\n \"c\\\" d\" }"), "{\"a b\":1,\"c\\\" d\"}");
}

}  // namespace

namespace {

TEST(TextTest, StripWhitespaceKeepsEscapedBackslashesInsideStrings)
{
    struct Case {
        const char* in;
        const char* out;
    };
    const Case cases[] = {
        // A value ending in an escaped backslash closes its string; the blanks
        // after it are outside and go.
        {"{ \"dir\" : \"C:\\\\Games\\\\\" , \"n\" : 1 }", "{\"dir\":\"C:\\\\Games\\\\\",\"n\":1}"},
        {"[ \"a\\\\\" , \"b c\" ]", "[\"a\\\\\",\"b c\"]"},
        {"\"x \\\" y\" z", "\"x \\\" y\"z"},
        {"", ""},
        {"\" open", "\" open"},
    };
    for (const auto& c : cases) EXPECT_EQ(StripWhitespace(c.in), c.out) << c.in;
}

TEST(TextTest, HexDigitsAndEmptyNumbers)
{
    struct Case {
        const char* text;
        int32_t value;
    };
    const Case cases[] = {
        {"0x1F", 31},        {"$FF", 255},         {"#ff", 255},     {"1G", -1},
        {"123456789", -1},   {"0000000001F", 31},  {"$FFFFFFFF", -1}, {"0X0000000080000000", INT32_MIN},
        {"", -1},            {"$", -1},            {"0x", -1},       {"ab#10", 16},
    };
    for (const auto& c : cases) EXPECT_EQ(HexToIntDef(c.text, -1), c.value) << c.text;
    EXPECT_EQ(HexToIntDef("", 7), 7);
}

TEST(TextTest, CommaListsLoseOnePairOfQuotes)
{
    EXPECT_EQ(SplitCommaList("\"'a'\",'\"b\"',c", false), (std::vector<std::string>{"'a'", "\"b\"", "c"}));
    // Trimmed first, then unquoted: double quotes, then single ones.
    EXPECT_EQ(SplitCommaList("\"'a'\", ' \"b\" ' ", true), (std::vector<std::string>{"a", " \"b\" "}));
    EXPECT_EQ(SplitCommaList("'a\",b", false), (std::vector<std::string>{"'a\",b"}));
    EXPECT_TRUE(SplitCommaList("", true).empty());
    EXPECT_TRUE(SplitCommaList(" , ,", true).empty());
}

TEST(TextTest, PointsRoundTripAtTheLimits)
{
    for (TQZPoint p : {TQZPoint{INT32_MIN, INT32_MAX}, TQZPoint{INT32_MAX, INT32_MIN}, TQZPoint{0, -1}})
        EXPECT_EQ(TextToPoint(PointToText(p), {1, 1}), p) << PointToText(p);
    EXPECT_EQ(TextToPoint("(99999999999, -99999999999)", {1, 1}), (TQZPoint{INT32_MAX, INT32_MIN}));
    EXPECT_EQ(TextToPoint("pos: 3 ,  7px", {1, 1}), (TQZPoint{3, 7}));
}

TEST(TextTest, EmptyIntegerListAppendsNothing)
{
    std::vector<int32_t> arr{9};
    TextToIntArray("", arr);
    TextToIntArray("  ", arr);
    EXPECT_EQ(arr, (std::vector<int32_t>{9}));
    TextToIntArray("-4,,7", arr);
    EXPECT_EQ(arr, (std::vector<int32_t>{9, -4, 0, 7}));
}

}  // namespace
