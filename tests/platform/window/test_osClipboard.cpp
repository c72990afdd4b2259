#include "osClipboard.h"
#include "osWindow.h"

#include "testutil.h"

#include <gtest/gtest.h>

#include <optional>

namespace os = plat::os;

namespace {

class ClipboardTest : public ::testing::TestWithParam<os::WindowBackEnd> {
protected:
    void SetUp() override
    {
        // SDL on its offscreen driver: no display needed, named so that it counts.
        if (GetParam() == os::WindowBackEnd::Sdl) driver.emplace("SDL_VIDEODRIVER", "offscreen");
        os::SelectWindowBackEnd(GetParam());
        if (os::ActiveWindowBackEnd() != GetParam()) GTEST_SKIP() << "back end not available";
    }
    void TearDown() override
    {
        os::ResetWindowSystem();
        os::SelectWindowBackEnd(os::WindowBackEnd::Automatic);
        driver.reset();
    }
    std::optional<vqtest::ScopedEnv> driver;
};

TEST_P(ClipboardTest, EightBitTextComesBackAsItWent)
{
    const std::string text = "Caf\xE9 \x80 5 \x93quoted\x94 \xFF";
    ASSERT_TRUE(os::SetClipboardText(text));
    EXPECT_TRUE(os::HasClipboardText());
    EXPECT_EQ(text, os::GetClipboardText());
}

TEST_P(ClipboardTest, EmptyTextLeavesNothingToPaste)
{
    ASSERT_TRUE(os::SetClipboardText(""));
    EXPECT_FALSE(os::HasClipboardText());
    EXPECT_EQ("", os::GetClipboardText());
}

INSTANTIATE_TEST_SUITE_P(BackEnds, ClipboardTest,
                         ::testing::Values(os::WindowBackEnd::Headless, os::WindowBackEnd::Sdl));

TEST(ClipboardText, EightBitBytesBecomeTheirUtf8Characters)
{
    EXPECT_EQ("abc", os::Text8ToUtf8("abc"));
    EXPECT_EQ("\xC3\xA9", os::Text8ToUtf8("\xE9"));         // e acute
    EXPECT_EQ("\xE2\x82\xAC", os::Text8ToUtf8("\x80"));     // euro sign
    EXPECT_EQ("\xE2\x80\x9C", os::Text8ToUtf8("\x93"));     // left double quote
}

TEST(ClipboardText, Utf8WithoutAnEightBitFormBecomesQuestionMarks)
{
    EXPECT_EQ("\xE9", os::Utf8ToText8("\xC3\xA9"));
    EXPECT_EQ("\x80", os::Utf8ToText8("\xE2\x82\xAC"));
    EXPECT_EQ("a?b", os::Utf8ToText8("a\xE4\xB8\xAD" "b"));       // a CJK character
    EXPECT_EQ("?", os::Utf8ToText8("\xF0\x9F\x98\x80"));        // outside the basic plane
    EXPECT_EQ("???x", os::Utf8ToText8("\xC3\xE2\x82x"));       // cut short: a ? per byte
}

}  // namespace
