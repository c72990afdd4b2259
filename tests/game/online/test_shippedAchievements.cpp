// The achievement and statistic files the build generates: they load with
// their check value, every condition parses, and played-out sequences of
// triggers unlock what the player would expect.
#include "achievementFixture.h"

#include <map>

namespace {

class ShippedAchievements : public AchievementTest {
public:
    void SetUp() override
    {
        AchievementTest::SetUp();
        for (const char* file : {"Achievements.cfg", "Statistics.cfg"})
            std::filesystem::copy_file(std::filesystem::path(VQ_RUNTIME_DIR) / "Assets/Config" / file,
                                       std::filesystem::path("Assets/Config") / file);
    }

    // Scripted values hide the session's: a later variable of the same name
    // is found first.
    void Script(TAchievements& a)
    {
        for (const char* trigger : {"GAME", "HAND", "TRICK"}) {
            TTrigger* t = a.FindTrigger(trigger);
            ASSERT_NE(t, nullptr);
            for (const char* name : {"WIN", "HANDS.LOST", "OPPONENTS.SCORE", "AI.PLAYSTYLE", "MULTIPLAYER", "HOUR",
                                     "TRUMPS", "TRICKS.WON", "TRICKS.WON.PLAYER", "PLAYER.NOBID", "PLAYER.OVERBID",
                                     "CONTRACT.WIN"}) {
                std::string key = std::string(trigger) + ":" + name;
                t->AddVariable(name, [this, key] { return values.count(key) ? values[key] : 0; });
            }
        }
    }

    std::vector<int32_t> Unlocked(TAchievements& a)
    {
        std::vector<int32_t> ids;
        for (int32_t i = 0; i < a.GetAchievementCount(); ++i)
            if (a.GetAchievement(i)->unlocked) ids.push_back(a.GetAchievement(i)->id);
        std::sort(ids.begin(), ids.end());
        return ids;
    }

    std::map<std::string, int32_t> values;
};

// One step: a trigger fired with the variables it reads ("HAND:WIN" = 1 …);
// unnamed variables read 0.
struct Step {
    const char* trigger;
    std::map<std::string, int32_t> values;
    int repeat = 1;
};

struct Sequence {
    const char* what;
    std::vector<Step> steps;
    std::vector<int32_t> unlocked;
};

}  // namespace

TEST_F(ShippedAchievements, LoadWithTheirCheckValueAndEveryConditionParses)
{
    TAchievements& a = Start();
    EXPECT_FALSE(a.Disabled());
    EXPECT_TRUE(warnings.empty()) << warnings.front();
    EXPECT_GE(a.GetAchievementCount(), 12);
    EXPECT_GE(a.GetStatisticCount(), 5);
    std::vector<TAchievementDef> defs;
    std::vector<TStatisticDef> stats;
    for (int32_t i = 0; i < a.GetAchievementCount(); ++i) defs.push_back(a.GetAchievementRec(i));
    for (int32_t i = 0; i < a.GetStatisticCount(); ++i) stats.push_back(a.GetStatistic(i));
    EXPECT_EQ(CheckAchievementDefinitions(defs, stats), std::vector<std::string>{});
    // Every condition once more through the engine's own triggers.
    for (const TAchievementDef& d : defs) {
        if (d.condition == "@STATISTIC") continue;
        a.FindTrigger(d.trigger)->EvaluateCondition(d.condition);
    }
    for (const TStatisticDef& s : stats)
        if (s.condition != "$POINTS_FUNCTION") a.FindTrigger(s.trigger)->EvaluateCondition(s.condition);
    EXPECT_TRUE(warnings.empty()) << warnings.front();
}

TEST_F(ShippedAchievements, TriggerSequencesUnlockWhatThePlayerEarned)
{
    const std::map<std::string, int32_t> lostHand = {{"HAND:CONTRACT.WIN", 1}, {"HAND:TRICKS.WON", 3}};
    const std::map<std::string, int32_t> madeSpades = {
        {"HAND:CONTRACT.WIN", 1}, {"HAND:WIN", 1}, {"HAND:TRICKS.WON", 7}, {"HAND:TRUMPS", 0}};
    const std::map<std::string, int32_t> plainWin = {{"GAME:WIN", 1}, {"GAME:HANDS.LOST", 2},
                                                     {"GAME:OPPONENTS.SCORE", 120}, {"GAME:AI.PLAYSTYLE", 1},
                                                     {"GAME:HOUR", 14}};
    auto with = [](std::map<std::string, int32_t> base, const std::map<std::string, int32_t>& more) {
        for (const auto& [k, v] : more) base[k] = v;
        return base;
    };
    const Sequence sequences[] = {
        {"a game lost", {{"GAME", with(plainWin, {{"GAME:WIN", 0}})}}, {}},
        {"the first game won", {{"GAME", plainWin}}, {1}},
        {"ten games won", {{"GAME", plainWin, 10}}, {1, 2}},
        {"fifty games won", {{"GAME", plainWin, 50}}, {1, 2, 3}},
        {"a made misere", {{"HAND", {{"HAND:CONTRACT.WIN", 1}, {"HAND:WIN", 1}, {"HAND:TRUMPS", 4}}}}, {4}},
        {"the opponents' misere defeated: not ours",
         {{"HAND", {{"HAND:WIN", 1}, {"HAND:TRUMPS", 4}, {"HAND:TRICKS.WON", 1}}}}, {}},
        {"all ten tricks in spades", {{"HAND", with(madeSpades, {{"HAND:TRICKS.WON", 10}})}}, {5}},
        {"six tricks of the player's own", {{"HAND", with(madeSpades, {{"HAND:TRICKS.WON.PLAYER", 6}})}}, {6}},
        {"five tricks of the player's own", {{"HAND", with(madeSpades, {{"HAND:TRICKS.WON.PLAYER", 5}})}}, {}},
        {"a comeback after five lost hands", {{"GAME", with(plainWin, {{"GAME:HANDS.LOST", 5}})}}, {1, 7}},
        {"a win with the opponents below zero", {{"GAME", with(plainWin, {{"GAME:OPPONENTS.SCORE", -40}})}}, {1, 8}},
        {"a win without a hand lost", {{"GAME", with(plainWin, {{"GAME:HANDS.LOST", 0}})}}, {1, 9}},
        {"five contracts defeated", {{"HAND", {{"HAND:WIN", 1}, {"HAND:TRICKS.WON", 5}}, 5}}, {10}},
        {"four contracts defeated", {{"HAND", {{"HAND:WIN", 1}, {"HAND:TRICKS.WON", 5}}, 4}}, {}},
        {"no trumps made", {{"HAND", with(madeSpades, {{"HAND:TRUMPS", 4}})}}, {11}},
        {"hearts made", {{"HAND", with(madeSpades, {{"HAND:TRUMPS", 3}})}}, {12}},
        {"hearts lost", {{"HAND", with(lostHand, {{"HAND:TRUMPS", 3}})}}, {}},
        {"the partner outbid and the contract made", {{"HAND", with(madeSpades, {{"HAND:PLAYER.OVERBID", 1}})}}, {13}},
        {"a hand won without bidding", {{"HAND", with(madeSpades, {{"HAND:PLAYER.NOBID", 1}})}}, {14}},
        {"a hundred tricks", {{"TRICK", {{"TRICK:WIN", 1}}, 100}}, {15}},
        {"ninety-nine tricks and one lost", {{"TRICK", {{"TRICK:WIN", 1}}, 99}, {"TRICK", {}}}, {}},
        {"a hundred hands played", {{"HAND", lostHand, 100}}, {17}},
        {"aggressive opponents beaten", {{"GAME", with(plainWin, {{"GAME:AI.PLAYSTYLE", 2}})}}, {1, 18}},
        {"a shared game won", {{"GAME", with(plainWin, {{"GAME:MULTIPLAYER", 1}})}}, {1, 19}},
        {"a win at three in the morning", {{"GAME", with(plainWin, {{"GAME:HOUR", 3}})}}, {1, 20}},
        {"a win at five in the morning", {{"GAME", with(plainWin, {{"GAME:HOUR", 5}})}}, {1}},
    };
    for (const Sequence& s : sequences) {
        SCOPED_TRACE(s.what);
        TAchievements& a = Start();
        Script(a);
        for (const Step& step : s.steps)
            for (int i = 0; i < step.repeat; ++i) {
                values = step.values;
                a.ProcessTrigger(step.trigger);
            }
        EXPECT_EQ(Unlocked(a), s.unlocked);
        EXPECT_TRUE(warnings.empty()) << warnings.front();
    }
}

TEST_F(ShippedAchievements, HiddenOnesAreMarkedAndEveryUnlockNamesItsTitle)
{
    TAchievements& a = Start();
    int32_t hidden = 0;
    for (int32_t i = 0; i < a.GetAchievementCount(); ++i) {
        const TAchieveRec& r = *a.GetAchievement(i);
        hidden += r.kind == "hidden";
        EXPECT_FALSE(r.title.empty());
        EXPECT_FALSE(r.description.empty());
        EXPECT_EQ(r.progress, 0) << "a new player has nothing";
    }
    EXPECT_GE(hidden, 1);
}
