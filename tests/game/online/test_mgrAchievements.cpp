// The achievement engine over its definition files and the user's files,
// and the triggers the rules fire while games are played.
#include "achievementFixture.h"

#include "coreGameDiagnostics.h"

#include "clSelfPlay.h"
#include "mgrSession.h"
#include "qz7text.h"

#include <algorithm>
#include <filesystem>

namespace {

std::vector<TAchievementDef> ThreeTrickAchievements()
{
    return {AchievementTest::Achievement(1, 3, "TRICK", "TRUE"),
            AchievementTest::Achievement(2, 1, "HAND", "WIN=1"),
            AchievementTest::Achievement(3, 5, "HAND", "@STATISTIC", "hands_seen")};
}

std::vector<TStatisticDef> BasicStatistics()
{
    return {AchievementTest::Statistic(1, "hands_seen", "HAND", "TRUE"),
            AchievementTest::Statistic(2, "points", "HAND", "$POINTS_FUNCTION")};
}

TEST_F(AchievementTest, DefinitionsRoundTripThroughTheScrambledFiles)
{
    std::vector<TAchievementDef> defs = ThreeTrickAchievements();
    defs[0].condition = "trumps=no trumps";
    WriteDefinitions(defs, BasicStatistics());
    std::string raw = vqtest::ReadFile("Assets/Config/Achievements.cfg");
    EXPECT_EQ(raw.find("TRICK"), std::string::npos) << "the file is scrambled";
    std::string plain = ScrambleConfigText(raw);
    char check[16];
    std::snprintf(check, sizeof check, "%08X\r\n", AchievementCheckValue(defs));
    EXPECT_EQ(plain.rfind(check, 0), 0u) << plain;

    TAchievements& a = Start();
    EXPECT_FALSE(a.Disabled());
    EXPECT_TRUE(warnings.empty());
    ASSERT_EQ(a.GetAchievementCount(), 3);
    TAchieveRec* first = a.FindAchievementById(1);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->condition, "TRUMPS=NO TRUMPS");
    EXPECT_EQ(first->icon, (TQZPoint{1, 0}));
    EXPECT_EQ(first->title, "Title 1");
    EXPECT_EQ(first->kind, "hidden");
    ASSERT_EQ(a.GetStatisticCount(), 2);
    EXPECT_EQ(a.GetStatistic(1).condition, "$POINTS_FUNCTION");
    EXPECT_EQ(a.GetStatistic(1).caption, "Caption points");
}

TEST_F(AchievementTest, MissingDefinitionFileIsFatal)
{
    std::string error;
    ASSERT_TRUE(WriteAchievementConfig(kAchievementConfigFile, ThreeTrickAchievements(), &error));
    EXPECT_EXIT(Start(), ::testing::ExitedWithCode(kFatalExitCode), "");
}

// No statistics is a definition file of no lines, not a missing file.
TEST_F(AchievementTest, EmptyStatisticFileDefinesNoStatistics)
{
    WriteDefinitions(ThreeTrickAchievements(), {});
    ASSERT_EQ(0, std::filesystem::file_size(plat::os::NativePath(kStatisticConfigFile)));
    TAchievements& a = Start();
    EXPECT_EQ(0, a.GetStatisticCount());
    EXPECT_EQ(3, a.GetAchievementCount());
    EXPECT_FALSE(a.Disabled());
}

TEST_F(AchievementTest, WriterRefusesFieldsTheReaderWouldCut)
{
    std::vector<TAchievementDef> defs = ThreeTrickAchievements();
    defs[1].title = "Win, then win again";
    std::string text, error;
    EXPECT_FALSE(FormatAchievementConfig(defs, text, &error));
    EXPECT_NE(error.find("Achievement 2"), std::string::npos);
    std::vector<TStatisticDef> stats = BasicStatistics();
    stats[0].caption = "";
    EXPECT_FALSE(FormatStatisticConfig(stats, text, &error));
    EXPECT_FALSE(WriteStatisticConfig("Assets/Config/Statistics.cfg", stats, &error));
    EXPECT_FALSE(std::filesystem::exists("Assets/Config/Statistics.cfg")) << "nothing written";
}

TEST_F(AchievementTest, AlteredConditionDisablesTheEngineShowingBothCheckValues)
{
    std::vector<TAchievementDef> defs = ThreeTrickAchievements();
    std::string text, error;
    ASSERT_TRUE(FormatAchievementConfig(defs, text, &error));
    size_t at = text.find("\"WIN=1\"");
    ASSERT_NE(at, std::string::npos);
    text[at + 5] = '0';  // WIN=1 becomes WIN=0
    vqtest::WriteFile("Assets/Config/Achievements.cfg", ScrambleConfigText(text));
    std::string statText;
    ASSERT_TRUE(FormatStatisticConfig(BasicStatistics(), statText, &error));
    vqtest::WriteFile("Assets/Config/Statistics.cfg", ScrambleConfigText(statText));

    std::vector<TAchievementDef> altered = defs;
    altered[1].condition = "WIN=0";
    char expected[128];
    std::snprintf(expected, sizeof expected, "Achievement data altered! Achievements disabled. %08X %08X",
                  AchievementCheckValue(altered), AchievementCheckValue(defs));
    TAchievements& a = Start();
    EXPECT_TRUE(a.Disabled());
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0], expected);
    for (int i = 0; i < 5; ++i) a.ProcessTrigger("TRICK");
    EXPECT_FALSE(a.FindAchievementById(1)->unlocked) << "no trigger is processed";
    EXPECT_EQ(a.FindStatistic("hands_seen").value, 0);
}

TEST_F(AchievementTest, UnlocksOnTheThirdTrickWithOnePopupAndSortsUnlockedFirst)
{
    WriteDefinitions(ThreeTrickAchievements(), BasicStatistics());
    TAchievements& a = Start();
    std::vector<std::string> unlocked;
    a.SetUnlockCallback([&](const std::string& title) { unlocked.push_back(title); });
    a.ProcessTrigger("trick");
    a.ProcessTrigger("TRICK");
    EXPECT_FALSE(a.FindAchievementById(1)->unlocked);
    a.ProcessTrigger("TRICK");
    EXPECT_TRUE(a.FindAchievementById(1)->unlocked);
    EXPECT_DOUBLE_EQ(a.FindAchievementById(1)->unlockTime, now);
    for (int i = 0; i < 7; ++i) a.ProcessTrigger("TRICK");
    EXPECT_EQ(a.FindAchievementById(1)->progress, 10);
    EXPECT_EQ(popups, std::vector<int32_t>{1});
    EXPECT_EQ(unlocked, std::vector<std::string>{"Title 1"});
    EXPECT_TRUE(a.Changed()) << "achievement progress alone is worth saving";
    EXPECT_EQ(a.GetAchievement(0)->id, 1) << "unlocked first";
    EXPECT_EQ(a.GetAchievement(1)->id, 2);
}

TEST_F(AchievementTest, PointsStatisticIsUnchangedByAHandWithoutPointsButMarksChanged)
{
    WriteDefinitions(ThreeTrickAchievements(), BasicStatistics());
    TAchievements& a = Start();
    EXPECT_FALSE(a.Changed());
    a.ProcessTrigger("HAND");  // no session: the partnership scored nothing
    EXPECT_EQ(a.FindStatistic("points").value, 0);
    EXPECT_EQ(a.FindStatistic("HANDS_SEEN").value, 1);
    EXPECT_EQ(a.FindAchievementById(3)->progress, 1) << "follows its statistic";
    EXPECT_TRUE(a.Changed());
    a.ProcessTrigger("NOSUCH");
    EXPECT_TRUE(warnings.empty());
    EXPECT_EQ(a.FindStatistic("missing").value, 0);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0], "Statistic not found \"missing\"");
}

TEST_F(AchievementTest, UserFilesRoundTrip)
{
    WriteDefinitions(ThreeTrickAchievements(), BasicStatistics());
    SetSetting("Game.Username", "Ann");
    TAchievements& a = Start();
    for (int i = 0; i < 3; ++i) a.ProcessTrigger("TRICK");
    now += 1.25;  // a day and six hours later
    for (int i = 0; i < 2; ++i) a.ProcessTrigger("HAND");
    ASSERT_TRUE(a.SaveProgress());
    EXPECT_FALSE(a.Changed());
    std::string userdata = UserFile("Ann.userdata");
    EXPECT_NE(userdata.find("1,3,\"2023-03-15 12:00:00\"\r\n"), std::string::npos) << userdata;
    EXPECT_NE(userdata.find("3,2,\"1899-12-30 00:00:00\"\r\n"), std::string::npos) << userdata;
    EXPECT_EQ(UserFile("Ann.statistics"), "hands_seen=2\r\npoints=0\r\n");

    std::vector<TAchieveRec> before;
    for (int32_t i = 0; i < a.GetAchievementCount(); ++i) before.push_back(a.GetAchievementRec(i));
    TAchievements& b = Start();
    ASSERT_EQ(b.GetAchievementCount(), int32_t(before.size()));
    for (int32_t i = 0; i < b.GetAchievementCount(); ++i) {
        TAchieveRec r = b.GetAchievementRec(i);
        EXPECT_EQ(r.id, before[size_t(i)].id);
        EXPECT_EQ(r.progress, before[size_t(i)].progress);
        EXPECT_EQ(r.unlocked, before[size_t(i)].unlocked);
        EXPECT_NEAR(r.unlockTime, before[size_t(i)].unlockTime, 1.0 / 86400);
    }
    EXPECT_EQ(b.FindStatistic("hands_seen").value, 2);
    EXPECT_EQ(popups, std::vector<int32_t>{1}) << "nothing unlocks again when loaded";
    EXPECT_TRUE(b.SaveProgress());
}

// Progress short of an unlock, on an achievement that counts no statistic,
// is a change worth saving on its own: it is in the file and comes back.
TEST_F(AchievementTest, ProgressWithoutAnUnlockOrAStatisticIsSavedAndReloads)
{
    WriteDefinitions(ThreeTrickAchievements(), BasicStatistics());
    TAchievements& a = Start();
    a.ProcessTrigger("TRICK");
    ASSERT_EQ(a.FindAchievementById(1)->progress, 1);
    ASSERT_FALSE(a.FindAchievementById(1)->unlocked);
    EXPECT_TRUE(a.Changed());
    ASSERT_TRUE(a.SaveProgress());
    EXPECT_NE(UserFile("Player.userdata").find("1,1,\"1899-12-30 00:00:00\"\r\n"), std::string::npos);
    TAchievements& b = Start();
    EXPECT_EQ(b.FindAchievementById(1)->progress, 1);
    EXPECT_FALSE(b.FindAchievementById(1)->unlocked);
}

TEST_F(AchievementTest, UserFilesSkipUnknownIdsAndBadValues)
{
    WriteDefinitions(ThreeTrickAchievements(), BasicStatistics());
    vqtest::WriteFile(UserPath("Player.userdata"),
                      "99,5,\"2020-01-01 00:00:00\"\r\nx,1,\"\"\r\n2,7,\"2020-02-30 10:00:00\"\r\n1,2,\"2021-06-01 08:30:00\"\n");
    vqtest::WriteFile(UserPath("Player.statistics"), "HANDS_SEEN=4\r\npoints=-20\r\nnoise\r\n");
    TAchievements& a = Start();
    EXPECT_EQ(a.FindAchievementById(2)->progress, 7);
    EXPECT_FALSE(a.FindAchievementById(2)->unlocked) << "an impossible date reads as locked";
    EXPECT_EQ(a.FindAchievementById(1)->progress, 2);
    EXPECT_TRUE(a.FindAchievementById(1)->unlocked);
    EXPECT_EQ(DateTimeToText(a.FindAchievementById(1)->unlockTime), "2021-06-01 08:30:00");
    EXPECT_EQ(a.FindStatistic("hands_seen").value, 4);
    EXPECT_EQ(a.FindStatistic("points").value, 0) << "never negative";
}

// Six achievements that count statistics, and their statistics.
std::vector<TAchievementDef> SixStatisticAchievements()
{
    std::vector<TAchievementDef> defs;
    for (int32_t id = 1; id <= 6; ++id)
        defs.push_back(AchievementTest::Achievement(id, 5, "HAND", "@STATISTIC", "count_" + std::to_string(id)));
    return defs;
}

std::string SixStatisticsText()
{
    std::vector<TStatisticDef> stats;
    for (int32_t id = 1; id <= 6; ++id)
        stats.push_back(AchievementTest::Statistic(id, "count_" + std::to_string(id), "HAND", "TRUE"));
    std::string text, error;
    EXPECT_TRUE(FormatStatisticConfig(stats, text, &error)) << error;
    return text;
}

// A damaged statistic file is told once, not once per lookup; the game goes
// on, the achievements it can no longer count keep the progress they had,
// and the user's values of the missing statistics are kept in their file.
TEST_F(AchievementTest, DamagedStatisticFileWarnsOnceAndLosesNothing)
{
    const std::string good = SixStatisticsText();
    std::string garbled = good;
    for (size_t i = 0; i < garbled.size() / 2; i += 3) garbled[i] = '\xFF';  // the first three lines
    std::string renamed = good;
    for (size_t at = renamed.find("count_"); at != std::string::npos; at = renamed.find("count_", at + 1))
        renamed[at] = 'k';
    const struct {
        const char* name;
        std::string plain;
    } cases[] = {
        {"names changed", renamed},
        {"garbled bytes", garbled},
        {"lines cut short", "1,count_1,Caption\r\n2,count_2\r\n"},
        {"no lines", "\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteDefinitions(SixStatisticAchievements(), {});
        vqtest::WriteFile("Assets/Config/Statistics.cfg", ScrambleConfigText(c.plain));
        vqtest::WriteFile(UserPath("Player.userdata"), "2,3,\"1899-12-30 00:00:00\"\r\n");
        vqtest::WriteFile(UserPath("Player.statistics"), "count_2=3\r\n");
        warnings.clear();
        TAchievements& a = Start();
        ASSERT_EQ(warnings.size(), 1u) << warnings.back();
        EXPECT_NE(warnings[0].find("Statistics.cfg"), std::string::npos) << warnings[0];
        for (int i = 0; i < 3; ++i) a.ProcessTrigger("HAND");
        EXPECT_EQ(warnings.size(), 1u) << warnings.back();
        EXPECT_EQ(a.FindAchievementById(2)->progress, 3) << "the progress it had";
        a.SetProgress(1, 1);  // something to save
        ASSERT_TRUE(a.SaveProgress());
        EXPECT_NE(UserFile("Player.statistics").find("count_2=3\r\n"), std::string::npos) << UserFile("Player.statistics");
        EXPECT_EQ(warnings.size(), 1u);
    }
    // The whole file again: no warning, and the kept value counts once more.
    WriteDefinitions(SixStatisticAchievements(), {});
    vqtest::WriteFile("Assets/Config/Statistics.cfg", ScrambleConfigText(good));
    warnings.clear();
    TAchievements& a = Start();
    EXPECT_TRUE(warnings.empty()) << warnings.front();
    EXPECT_EQ(a.FindStatistic("count_2").value, 3);
}

// A crash between the two writes leaves the new progress beside the old
// statistics: the next start brings the statistics the progress counted up
// to it, so unlocks and statistics agree again.
TEST_F(AchievementTest, StatisticsLeftBehindTheProgressAreCaughtUp)
{
    WriteDefinitions(ThreeTrickAchievements(), BasicStatistics());
    TAchievements& a = Start();
    for (int i = 0; i < 2; ++i) a.ProcessTrigger("HAND");
    ASSERT_TRUE(a.SaveProgress());
    const std::string oldStatistics = UserFile("Player.statistics");
    ASSERT_EQ(oldStatistics, "hands_seen=2\r\npoints=0\r\n");
    for (int i = 0; i < 4; ++i) a.ProcessTrigger("HAND");
    ASSERT_TRUE(a.FindAchievementById(3)->unlocked);
    ASSERT_TRUE(a.SaveProgress());
    // The kill: the progress file was replaced, the statistics file not yet.
    vqtest::WriteFile(UserPath("Player.statistics"), oldStatistics);

    TAchievements& b = Start();
    EXPECT_EQ(b.FindStatistic("hands_seen").value, 6);
    EXPECT_EQ(b.FindAchievementById(3)->progress, 6);
    EXPECT_TRUE(b.FindAchievementById(3)->unlocked);
    EXPECT_EQ(popups, std::vector<int32_t>{3}) << "nothing unlocks twice";
    b.ProcessTrigger("HAND");
    EXPECT_EQ(b.FindStatistic("hands_seen").value, 7);
}

// Whatever instant a save is cut short at, the next start finds a pair that
// agrees: both files old, the progress new over old statistics (caught up),
// or both new.
TEST_F(AchievementTest, ProgressIsWrittenBeforeTheStatistics)
{
    WriteDefinitions(ThreeTrickAchievements(), BasicStatistics());
    TAchievements& a = Start();
    a.ProcessTrigger("HAND");
    std::vector<std::string> order;
    plat::os::SetFolderSyncObserver([&](const std::string&) {
        const bool userdata = std::filesystem::exists(UserPath("Player.userdata"));
        const bool statistics = std::filesystem::exists(UserPath("Player.statistics"));
        order.push_back(std::string(userdata ? "U" : "-") + (statistics ? "S" : "-"));
    });
    EXPECT_TRUE(a.SaveProgress());
    plat::os::SetFolderSyncObserver(nullptr);
    EXPECT_EQ(order, (std::vector<std::string>{"U-", "US"}));
}

struct NameCase {
    const char* name;
    const char* file;  // "" when refused
};

TEST_F(AchievementTest, UserNameNamesOnlyAPlainFileOfTheUserFolder)
{
    WriteDefinitions(ThreeTrickAchievements(), BasicStatistics());
    const NameCase cases[] = {{"", "Player"}, {"Bea", "Bea"}, {".hidden", ".hidden"}, {"../x", ""},
                              {"..", ""},     {".", ""},      {"a/b", ""},          {"a\\b", ""},
                              {"tab\there", ""}};
    for (const NameCase& c : cases) {
        warnings.clear();
        SetSetting("Game.Username", c.name);
        TAchievements& a = Start();
        a.ProcessTrigger("HAND");
        bool saved = a.SaveProgress();
        if (*c.file) {
            EXPECT_TRUE(saved) << c.name;
            EXPECT_TRUE(warnings.empty()) << c.name;
            EXPECT_TRUE(std::filesystem::exists(UserPath(std::string(c.file) + ".userdata"))) << c.name;
            EXPECT_TRUE(std::filesystem::exists(UserPath(std::string(c.file) + ".statistics"))) << c.name;
        } else {
            EXPECT_FALSE(saved) << c.name;
            ASSERT_EQ(warnings.size(), 1u) << c.name;
            EXPECT_NE(warnings[0].find("cannot name a file"), std::string::npos);
        }
    }
    // Nothing but the plain names landed anywhere.
    std::vector<std::string> found;
    for (const auto& e : std::filesystem::recursive_directory_iterator(home.Path()))
        if (e.is_regular_file() && e.path().filename() != "log.txt") found.push_back(e.path().filename().string());
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, (std::vector<std::string>{".hidden.statistics", ".hidden.userdata", "Bea.statistics",
                                               "Bea.userdata", "Player.statistics", "Player.userdata"}));
    }

TEST(AchievementDates, TextFormRoundTripsAndRefusesImpossibleDates)
{
    EXPECT_EQ(DateTimeToText(0), "1899-12-30 00:00:00");
    EXPECT_EQ(DateTimeToText(45000.5), "2023-03-15 12:00:00");
    EXPECT_EQ(DateTimeToText(TextToDateTime("2024-02-29 23:59:59")), "2024-02-29 23:59:59");
    EXPECT_DOUBLE_EQ(TextToDateTime("2023-02-29 10:00:00"), 0);
    EXPECT_DOUBLE_EQ(TextToDateTime("2023-01-01 24:00:00"), 0);
    EXPECT_DOUBLE_EQ(TextToDateTime("yesterday"), 0);
    EXPECT_EQ(DateTimeToText(-5), "1899-12-30 00:00:00");
}

// Records, for every trigger the rules fire, what the session shows at that
// moment, then lets the engine process it.
class TRecordingLink : public TAchievementLink {
public:
    explicit TRecordingLink(TAchievements& engine) : engine_(engine) {}
    void Trigger(const std::string& name) override
    {
        TTeam us = TeamOfSeat(Session->LocalSeat());
        if (name == "TRICK") {
            const TSessionTricks& t = Session->Tricks();
            ++tricks;
            if (TeamOfSeat(TSeat(t.GetTrick(t.Current()).winner)) == us) ++tricksWon;
        } else if (name == "HAND") {
            ++hands;
            int32_t won = Session->Tricks().TricksWon(us);
            handTricks += won;
            if (won == 10) ++allTen;
            // The session counts the hands each side won; a new game starts again at 0.
            int32_t total = Session->HandsWon(1) + Session->HandsWon(2);
            if (total <= totalBefore_) usBefore_ = 0;
            if (Session->HandsWon(us) > usBefore_) ++handsWon;
            usBefore_ = Session->HandsWon(us);
            totalBefore_ = total;
            points += std::max(0, Session->LastHandPoints(us));
            if (Session->GetContract().bid.suit == SUIT_HEARTS && !IsMisereBid(Session->GetContract().bid))
                ++hearts;
        }
        engine_.ProcessTrigger(name);
    }
    int32_t tricks = 0, tricksWon = 0, hands = 0, handTricks = 0, allTen = 0, handsWon = 0, hearts = 0;
    int64_t points = 0;

private:
    TAchievements& engine_;
    int32_t usBefore_ = 0, totalBefore_ = 0;
};

TEST_F(AchievementTest, TriggerValuesFollowSelfPlayedHands)
{
    WriteDefinitions({Achievement(1, 1, "HAND", "WIN=1"), Achievement(2, 40, "TRICK", "@STATISTIC", "tricks_won"),
                      Achievement(3, 1, "HAND", "TRICKS.WON=10")},
                     {Statistic(1, "tricks_won", "TRICK", "WIN=1"), Statistic(2, "tricks", "TRICK", "TRUE"),
                      Statistic(3, "hands_won", "HAND", "WIN=1"), Statistic(4, "hand_tricks_10", "HAND", "TRICKS.WON=10"),
                      Statistic(5, "points", "HAND", "$POINTS_FUNCTION"), Statistic(6, "hearts", "HAND", "TRUMPS=HEARTS"),
                      Statistic(7, "hand_tricks_total", "HAND", "TRICKS.WON>-1")});
    TAchievements& a = Start();
    TRecordingLink link(a);
    SetAchievementLink(&link);
    TSelfPlayConfig config;
    config.games = 3;
    config.seed = 20250607;
    TSelfPlayResult result = RunSelfPlay(config);
    SetAchievementLink(nullptr);
    ASSERT_TRUE(result.failures.empty()) << result.failures.front();
    EXPECT_EQ(Session, nullptr) << "the self-play session is withdrawn";

    ASSERT_GT(link.hands, 10);
    EXPECT_TRUE(warnings.empty()) << warnings.front();
    EXPECT_EQ(link.tricks, 10 * link.hands);
    EXPECT_EQ(a.FindStatistic("tricks").value, link.tricks);
    EXPECT_EQ(a.FindStatistic("tricks_won").value, link.tricksWon);
    EXPECT_EQ(link.tricksWon, link.handTricks) << "tricks won one by one add up to the hands' totals";
    EXPECT_EQ(a.FindStatistic("hands_won").value, link.handsWon);
    EXPECT_EQ(a.FindStatistic("hand_tricks_10").value, link.allTen);
    EXPECT_EQ(a.FindStatistic("hearts").value, link.hearts);
    EXPECT_EQ(a.FindStatistic("hand_tricks_total").value, link.hands);
    EXPECT_EQ(a.FindStatistic("points").value, link.points);
    EXPECT_GT(link.handsWon, 0);
    EXPECT_GT(link.points, 0);
    EXPECT_TRUE(a.FindAchievementById(1)->unlocked);
    EXPECT_EQ(a.FindAchievementById(2)->progress, link.tricksWon);
    EXPECT_EQ(a.FindAchievementById(2)->unlocked, link.tricksWon >= 40);
    EXPECT_EQ(a.FindAchievementById(3)->unlocked, link.allTen > 0);
    EXPECT_EQ(std::count(popups.begin(), popups.end(), 1), 1);
}

}  // namespace

TEST_F(AchievementTest, TheSteamManagersLookupsFindAnAchievementByTitleAndStatisticsByIndex)
{
    WriteDefinitions({Achievement(4, 1, "HAND", "WIN=1"), Achievement(7, 1, "HAND", "WIN=1")},
                     {Statistic(1, "tricks", "TRICK", "TRUE")});
    TAchievements& a = Start();
    EXPECT_EQ(a.GetAchievement(a.IndexOfAchievement("Title 7"))->id, 7);
    EXPECT_EQ(a.GetAchievement(a.IndexOfAchievement("Title 4"))->id, 4);
    EXPECT_EQ(a.IndexOfAchievement("Title 5"), -1);
    EXPECT_EQ(a.IndexOfAchievement("title 7"), -1) << "titles compare exactly";
    ASSERT_EQ(a.GetStatisticCount(), 1);
    EXPECT_EQ(a.GetStatistic(0).name, "tricks");
}

// The contract variable: the editor's build counts a misère like any bid.
class ContractVariantTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override { FrameworkStart(GetParam() ? QZ_EDITOR_IDENTITY : "Vantorel Qar"); }
    void TearDown() override { FrameworkStop(); }
};

TEST_P(ContractVariantTest, AMisereIsMadeWithNoTrickOnlyInTheGame)
{
    const bool editor = GetParam();
    ASSERT_EQ(editor, EditorVariant());
    struct Case {
        TBid bid;
        int32_t taken;
        bool game, editor;
    } cases[] = {
        {BID_MISERE, 0, true, false},
        {BID_MISERE, 1, false, false},
        {BID_MISERE, BID_MISERE.count, false, true},
        {BID_MISERE, 10, false, true},
        {TBid{SUIT_HEARTS, 7}, 6, false, false},
        {TBid{SUIT_HEARTS, 7}, 7, true, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(editor ? c.editor : c.game, ContractMadeWith(c.bid, c.taken)) << c.bid.count << " " << c.taken;
}

INSTANTIATE_TEST_SUITE_P(Builds, ContractVariantTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Editor" : "Game"; });
