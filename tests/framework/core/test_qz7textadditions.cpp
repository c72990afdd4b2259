#include "qz7text.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

TEST(TextAdditions, FloatsTrimTheirTrailingZeros)
{
    const std::pair<float, const char*> cases[] = {
        {1.5f, "1.5"}, {2.0f, "2"}, {0.0f, "0"}, {-0.25f, "-0.25"}, {-0.0f, "0"}, {100.0f, "100"}, {0.1f, "0.1"}};
    for (const auto& [value, text] : cases) EXPECT_EQ(text, FloatToTextTrim(value)) << value;
}

TEST(TextAdditions, NumbersFromTextAreZeroWhenTheTextIsNone)
{
    EXPECT_EQ(42, TextToInt("42"));
    EXPECT_EQ(-7, TextToInt("-7"));
    EXPECT_EQ(0, TextToInt("12a"));
    EXPECT_EQ(0, TextToInt(""));
    EXPECT_FLOAT_EQ(1.25f, TextToFloat("1.25"));
    EXPECT_FLOAT_EQ(0.0f, TextToFloat("1.2.3"));
    EXPECT_FLOAT_EQ(0.0f, TextToFloat("x"));
}

TEST(TextAdditions, StepTowardStopsAtTheTarget)
{
    EXPECT_FLOAT_EQ(5.0f, StepToward(0, 10, 5));
    EXPECT_FLOAT_EQ(10.0f, StepToward(8, 10, 5));
    EXPECT_FLOAT_EQ(-190.0f, StepToward(-200, 0, 10));
    EXPECT_FLOAT_EQ(0.0f, StepToward(3, 0, 16));
}

TEST(TextAdditions, FloatModKeepsTheSignOfTheValue)
{
    EXPECT_NEAR(0.2f, FloatMod(2.8f, 3.0f), 1e-5f);
    EXPECT_NEAR(-0.2f, FloatMod(2.8f, -3.0f), 1e-5f);
    EXPECT_FLOAT_EQ(3.0f, FloatMod(0, 3.0f));
}

TEST(TextAdditions, HexTextNeedsTheDollarAndOneDigit)
{
    EXPECT_TRUE(IsHexText("$FF"));
    EXPECT_TRUE(IsHexText("$ff202020"));
    EXPECT_FALSE(IsHexText("$"));
    EXPECT_FALSE(IsHexText("FF"));
    EXPECT_FALSE(IsHexText("$FG"));
}

TEST(TextAdditions, RectanglesReadAndWriteTheirText)
{
    const TQZRect def{1, 2, 3, 4};
    EXPECT_EQ((TQZRect{10, 20, 110, 70}), TextToRect("[10,20]-[110,70]", def));
    EXPECT_EQ((TQZRect{-5, 0, 5, -1}), TextToRect("[-5,0]-[5,-1]", def));
    EXPECT_EQ(def, TextToRect("10,20,110,70", def));
    EXPECT_EQ("[10,20]-[110,70]", RectToText({10, 20, 110, 70}));
    EXPECT_EQ((TQZRect{7, 8, 9, 10}), TextToRect(RectToText({7, 8, 9, 10}), def));
}

TEST(TextAdditions, TokensListsAndPadding)
{
    EXPECT_EQ("b", Token("a|b|c", '|', 2));
    EXPECT_EQ("", Token("a|b|c", '|', 4));
    EXPECT_EQ("a", Token("a", '|', 1));
    EXPECT_EQ("", Token("a|b", '|', 0));
    EXPECT_EQ("80,120,60", IntListToText({80, 120, 60}));
    EXPECT_EQ("", IntListToText({}));
    EXPECT_EQ("ab  ", PadRight("ab", 4));
    EXPECT_EQ("abc", PadRight("abc", 2));
    EXPECT_TRUE(MatchText("B", {"a", "b", "c"}, 1, false));
    EXPECT_FALSE(MatchText("B", {"a", "b", "c"}, 1, true));
    EXPECT_FALSE(MatchText("c", {"a", "b", "c"}, 1, false));
    EXPECT_FALSE(MatchText("c", {"a"}, 5, false));
}

// The count runs on the local clock: two hours east of UTC, midnight UTC of
// 2024-01-01 is already two hours into the year.
TEST(TextAdditions, SecondsSince2024CountLocalTime)
{
    const char* old = std::getenv("TZ");
    const std::string saved = old ? old : "";
    struct Case {
        const char* tz;
        int64_t unix, expected;
    };
    for (const Case& c : {Case{"UTC0", 1704067200, 0}, Case{"UTC0", 1704067200 + 86400 + 5, 86405},
                          Case{"XYZ-2", 1704067200, 7200}, Case{"UTC0", 1704067200 - 60, -60}}) {
        setenv("TZ", c.tz, 1);
        tzset();
        EXPECT_EQ(c.expected, SecondsSince2024(c.unix)) << c.tz << " " << c.unix;
    }
    if (old) setenv("TZ", saved.c_str(), 1); else unsetenv("TZ");
    tzset();
}

TEST(TextAdditions, GuidOfAValueHoldsItLittleEndianThenTheFill)
{
    const auto g = GuidFromUInt64(0x0102030405060708ull, 0xAB);
    const std::array<uint8_t, 16> expected{8, 7, 6, 5, 4, 3, 2, 1, 0xAB, 0xAB, 0xAB, 0xAB, 0xAB, 0xAB, 0xAB, 0xAB};
    EXPECT_EQ(expected, g);
    EXPECT_EQ((std::array<uint8_t, 16>{}), GuidFromUInt64(0));
}
