#include "UIPrompt.h"
#include "boardfixture.h"

#include <cmath>

namespace {

using boardtest::TableSessionTest;

class PromptTest : public TableSessionTest {
protected:
    TUIPrompt* MakePrompt(const TQZRect& hand = {100, 600, 900, 700})
    {
        return NewWindow<TUIPrompt>(Root(1000, 800), hand);
    }
};

TEST_F(PromptTest, SitsAboveAWideHandElseAtTheTopLeft)
{
    EXPECT_EQ((TQZRect{100, 550, 900, 595}), TUIPrompt::PromptRect({100, 600, 900, 700}));
    EXPECT_EQ((TQZRect{10, 20, 515, 65}), TUIPrompt::PromptRect({100, 600, 604, 700}));  // 504 wide
    TUIPrompt* wide = MakePrompt();
    EXPECT_TRUE(wide->centreHorizontal);
    TUIPrompt* narrow = MakePrompt({0, 0, 300, 90});
    EXPECT_FALSE(narrow->centreHorizontal);
}

// The reveal divides by "Speed.Prompt": absent or 0 (or below) must count
// as 1, never give an infinite or undefined step.
TEST_F(PromptTest, RevealSpeedWithoutAUsableSetting)
{
    struct Case {
        const char* value;  // nullptr: the key is absent
        float step16;       // pixels for a 16 ms frame
    };
    const Case cases[] = {{nullptr, 160.0f}, {"0", 160.0f}, {"-5", 160.0f}, {"1", 160.0f}, {"4", 40.0f}};
    for (const Case& c : cases) {
        settings.Clear();
        if (c.value) settings.SetString(kPromptSpeedKey, c.value);
        const float step = TUIPrompt::RevealStep(16);
        EXPECT_TRUE(std::isfinite(step)) << (c.value ? c.value : "absent");
        EXPECT_FLOAT_EQ(c.step16, step) << (c.value ? c.value : "absent");
    }
    settings.Clear();
    EXPECT_FLOAT_EQ(0.0f, TUIPrompt::RevealStep(0));  // no 0 / 0
}

TEST_F(PromptTest, RevealsFromTheLeftAndRestartsOnANewText)
{
    settings.SetString(kPromptSpeedKey, "8");
    S().SetPrompt("Place your bid");
    TUIPrompt* prompt = MakePrompt();
    ASSERT_EQ(800, prompt->GetWidth());
    prompt->Advance(16);  // 20 pixels a 16 ms frame
    EXPECT_EQ("Place your bid", prompt->Caption());
    EXPECT_FLOAT_EQ(20.0f, prompt->RevealWidth());
    prompt->Advance(16);
    EXPECT_FLOAT_EQ(40.0f, prompt->RevealWidth());

    S().SetPrompt("Waiting for other player...");
    prompt->Advance(16);
    EXPECT_EQ("Waiting for other player...", prompt->Caption());
    EXPECT_FLOAT_EQ(20.0f, prompt->RevealWidth());  // from the left again

    for (int i = 0; i < 100; ++i) prompt->Advance(16);
    EXPECT_FLOAT_EQ(800.0f, prompt->RevealWidth());  // never past the width
}

TEST_F(PromptTest, AnAbsentSpeedRevealsQuicklyButStopsAtTheWidth)
{
    S().SetPrompt("Hello");
    TUIPrompt* prompt = MakePrompt();
    prompt->Advance(100);  // 1000 pixels: more than the width
    EXPECT_FLOAT_EQ(800.0f, prompt->RevealWidth());
}

}  // namespace
