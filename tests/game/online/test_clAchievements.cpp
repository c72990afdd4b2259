// The condition language: the specified table of expressions, with its
// quirks ("&" splits first, one pair of parentheses at a time, one-character
// operators), and the warnings its errors raise.
#include "clAchievements.h"
#include "mgrSession.h"
#include "mgrSettings.h"
#include "qz7kvdata.h"
#include "osDesktop.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace {

class TTestTrigger : public TTrigger {
public:
    TTestTrigger() : TTrigger("Hand")
    {
        AddVariable("WIN", [this] { return win; });
        AddVariable("TRICKS.WON", [this] { return tricks; });
        AddVariable("TRUMPS", [this] { return trumps; });
        AddVariable("HOUR", [] { return 13; });
    }
    int32_t win = 1, tricks = 7, trumps = 3;
};

struct ExpressionCase {
    const char* expression;
    int32_t win, tricks, trumps;
    int32_t expected;
    const char* warning;  // "" when none
};

const ExpressionCase kCases[] = {
    {"WIN=1&TRICKS.WON>6", 1, 7, 3, 1, ""},
    {"WIN=1&TRICKS.WON>6", 1, 6, 3, 0, ""},
    {"WIN=1&TRICKS.WON>6", 0, 9, 3, 0, ""},
    {"WIN=1|WIN=0&HOUR>25", 1, 7, 3, 0, ""},  // (WIN=1|WIN=0)&HOUR>25
    {"HOUR>25&WIN=0|WIN=1", 1, 7, 3, 0, ""},
    {"WIN=0|TRICKS.WON=7", 1, 7, 3, 1, ""},
    {"TRUMPS=HEARTS", 1, 7, 3, 1, ""},
    {"TRUMPS=HEARTS", 1, 7, 2, 0, ""},
    {"TRUMPS=NO TRUMPS", 1, 7, 4, 1, ""},
    {"TRUMPS<HEARTS", 1, 7, 0, 1, ""},
    {"TRICKS.WON!10", 1, 7, 3, 1, ""},
    {"TRICKS.WON=-3", 1, -3, 3, 1, ""},
    {"(WIN=1&(TRICKS.WON=10))", 1, 10, 3, 1, ""},
    {"(WIN=1&(TRICKS.WON=10))", 1, 9, 3, 0, ""},
    {"WIN=(TRUE)", 1, 7, 3, 1, ""},
    {"", 0, 0, 0, 1, ""},
    {"TRUE", 0, 0, 0, 1, ""},
    {"FALSE", 1, 7, 3, 0, ""},
    {"WIN=", 0, 7, 3, 1, ""},  // an empty operand is 0
    {"(WIN=1)&(TRICKS.WON=10)", 1, 10, 3, 0, "Syntax error Unmatched parenthesis in code block \"WIN=1)&(TRICKS.WON=10\""},
    {"(WIN=1", 1, 7, 3, 0, "Syntax error Unmatched parenthesis in code block \"(WIN=1\""},
    // The unknown right side counts as 0, so the comparison still holds.
    {"WIN>=1", 1, 7, 3, 1, "Syntax error Unrecognised identifier in code block \"=1\""},
    {"LOSS=1", 1, 7, 3, 0, "Syntax error Unrecognised identifier in code block \"LOSS\""},
    {"=1", 1, 7, 3, 0, "Syntax error Operand missing in code block \"=1\""},
    {"WIN", 1, 7, 3, 0, "Syntax error Operand missing in code block \"WIN\""},
};

// Test names: the expression with its operators spelled out.
void PrintTo(const ExpressionCase& c, std::ostream* os)
{
    std::string name;
    for (const char* p = c.expression; *p; ++p) {
        switch (*p) {
        case '&': name += "_and_"; break;
        case '|': name += "_or_"; break;
        case '=': name += "_eq_"; break;
        case '<': name += "_lt_"; break;
        case '>': name += "_gt_"; break;
        case '!': name += "_ne_"; break;
        case '(': name += "_open_"; break;
        case ')': name += "_close_"; break;
        case ' ': name += "_"; break;
        default: name += *p;
        }
    }
    *os << (name.empty() ? "empty" : name) << "_" << c.win << "_" << c.tricks << "_" << c.trumps;
}

class ExpressionTest : public ::testing::TestWithParam<ExpressionCase> {
protected:
    void SetUp() override
    {
        plat::os::SetMessageBoxHandler([this](const plat::os::MessageBoxRequest& r) {
            warnings.push_back(r.text);
            return plat::os::BoxAnswer::Ok;
        });
    }
    void TearDown() override { plat::os::SetMessageBoxHandler(nullptr); }
    std::vector<std::string> warnings;
};

TEST_P(ExpressionTest, EvaluatesAsSpecified)
{
    const ExpressionCase& c = GetParam();
    TTestTrigger trigger;
    trigger.win = c.win;
    trigger.tricks = c.tricks;
    trigger.trumps = c.trumps;
    EXPECT_EQ(trigger.EvaluateExpression(c.expression), c.expected) << c.expression;
    if (*c.warning) {
        ASSERT_FALSE(warnings.empty()) << c.expression;
        EXPECT_EQ(warnings.front(), c.warning);
    } else {
        EXPECT_TRUE(warnings.empty()) << c.expression << ": " << (warnings.empty() ? "" : warnings.front());
    }
}

INSTANTIATE_TEST_SUITE_P(Table, ExpressionTest, ::testing::ValuesIn(kCases));

TEST(TriggerTest, ConditionsAreUpperCasedAndLaterVariablesHideEarlierOnes)
{
    TTestTrigger trigger;
    EXPECT_EQ(trigger.Name(), "HAND");
    EXPECT_TRUE(trigger.EvaluateCondition("win=1&trumps=hearts"));
    trigger.AddVariable("win", [] { return 5; });
    EXPECT_EQ(trigger.Evaluate("WIN"), 5);
    EXPECT_EQ(trigger.Evaluate("DIAMONDS"), 2);
    EXPECT_EQ(trigger.Evaluate("42"), 42);
}

// The game trigger's WIN: the local team reached 500, or the other fell to
// -500; exactly on the line counts.
TEST(GameTriggerTest, WinCountsFromExactlyFiveHundred)
{
    TQZKeyValue settings;
    Settings = &settings;
    TSession session;
    session.NewGame(1);
    Session = &session;
    ASSERT_EQ(TeamOfSeat(session.LocalSeat()), 1);
    TTriggerGame trigger(nullptr);
    const struct {
        int32_t us, them, win;
    } cases[] = {{500, 0, 1},   {499, 0, 0},   {0, -500, 1},  {0, -499, 0}, {520, 480, 1},
                 {-500, 0, 0},  {0, 500, 0},   {499, -499, 0}, {-20, -500, 1}};
    for (const auto& c : cases) {
        session.SetScore(1, c.us);
        session.SetScore(2, c.them);
        EXPECT_EQ(trigger.Evaluate("WIN"), c.win) << c.us << " : " << c.them;
    }
    Session = nullptr;
    Settings = nullptr;
}

}  // namespace
