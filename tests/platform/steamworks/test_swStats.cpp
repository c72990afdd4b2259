// Statistics kept per user in a file of the per-user folder, through the
// hub's control operations and through a signed-in client.
#include "swClient.h"
#include "swHub.h"
#include "testutil.h"

#include <gtest/gtest.h>

namespace sw = plat::steamworks;

namespace {

constexpr sw::UserId kAnna = 7656001;
constexpr sw::UserId kBram = 7656002;

struct StatsTest : ::testing::Test {
    vqtest::TempDir home;
    vqtest::ScopedEnv env{"VANTOREL_DATA_HOME", home.Path()};
    std::shared_ptr<sw::Hub> hub = std::make_shared<sw::Hub>();
    StatsTest()
    {
        hub->AddUser(kAnna, "Anna");
        hub->AddUser(kBram, "Bram");
    }
    std::string FileOf(sw::UserId user) { return sw::StatsFilePath(hub->StatsFolder(), user); }
    // Ids of the callbacks the client has this frame.
    static std::vector<int32_t> Frame(sw::Client& c)
    {
        std::vector<int32_t> ids;
        const sw::Pipe pipe = c.GetPipe();
        c.RunFrame(pipe);
        sw::CallbackView view;
        while (c.NextCallback(pipe, view)) {
            ids.push_back(view.id);
            c.FreeLastCallback(pipe);
        }
        return ids;
    }
};

TEST_F(StatsTest, HubStatisticsLiveInOneFilePerUserInThePerUserFolder)
{
    EXPECT_EQ(hub->StatsFolder(), home.Path() + "VantorelQar/Steam/");
    ASSERT_TRUE(hub->SetStat(kAnna, "GamesWon", 12));
    ASSERT_TRUE(hub->SetStat(kAnna, "GamesPlayed", 30));
    ASSERT_TRUE(hub->SetStat(kBram, "GamesWon", 4));
    ASSERT_TRUE(hub->SetAchievement(kBram, "FirstWin", true));

    EXPECT_EQ(hub->ReadStat(kAnna, "GamesWon"), 12);
    EXPECT_EQ(hub->ReadStat(kAnna, "GamesPlayed"), 30);
    EXPECT_EQ(hub->ReadStat(kBram, "GamesWon"), 4);
    EXPECT_EQ(hub->ReadStat(kBram, "GamesPlayed"), std::nullopt);
    EXPECT_EQ(hub->ReadAchievement(kBram, "FirstWin"), true);
    EXPECT_EQ(hub->ReadAchievement(kAnna, "FirstWin"), std::nullopt);

    const std::string anna = vqtest::ReadFile(FileOf(kAnna));
    EXPECT_NE(anna.find("stat GamesWon 12\n"), std::string::npos);
    EXPECT_EQ(anna.find("FirstWin"), std::string::npos);
    EXPECT_NE(vqtest::ReadFile(FileOf(kBram)).find("achievement FirstWin 1\n"), std::string::npos);

    // A second hub on the same folder reads the same values.
    sw::Hub again(hub->StatsFolder());
    again.AddUser(kAnna, "Anna");
    EXPECT_EQ(again.ReadStat(kAnna, "GamesWon"), 12);
}

TEST_F(StatsTest, ClientReadsWhatTheHubSetAndStoresItsOwnChanges)
{
    ASSERT_TRUE(hub->SetStat(kAnna, "GamesWon", 5));
    auto anna = hub->SignIn(kAnna);
    ASSERT_TRUE(anna->ManualDispatchInit());

    int32_t value = -1;
    EXPECT_FALSE(anna->GetStat("GamesWon", value)) << "nothing before the statistics are requested";
    ASSERT_TRUE(anna->RequestCurrentStats());
    EXPECT_EQ(Frame(*anna), std::vector<int32_t>{sw::kCbStatsReceived});
    ASSERT_TRUE(anna->GetStat("GamesWon", value));
    EXPECT_EQ(value, 5);
    ASSERT_TRUE(anna->GetStat("NeverSet", value));
    EXPECT_EQ(value, 0);

    ASSERT_TRUE(anna->SetStat("GamesWon", 6));
    ASSERT_TRUE(anna->SetAchievement("FirstWin"));
    EXPECT_EQ(hub->ReadStat(kAnna, "GamesWon"), 5) << "kept in memory until stored";
    ASSERT_TRUE(anna->StoreStats());
    EXPECT_EQ(Frame(*anna), (std::vector<int32_t>{sw::kCbStatsStored, sw::kCbAchievementStored}));
    EXPECT_EQ(hub->ReadStat(kAnna, "GamesWon"), 6);
    EXPECT_EQ(hub->ReadAchievement(kAnna, "FirstWin"), true);

    // Storing again without a change of achievement announces none.
    ASSERT_TRUE(anna->StoreStats());
    EXPECT_EQ(Frame(*anna), std::vector<int32_t>{sw::kCbStatsStored});
}

TEST_F(StatsTest, AFileThatDoesNotReadCleanlyIsNeverWrittenOver)
{
    const std::vector<std::string> broken = {
        "stat GamesWon twelve\n",
        "stat GamesWon 12 extra\n",
        "achievement FirstWin 2\n",
        "score GamesWon 1\n",
        "stat GamesWon 99999999999\n",
    };
    for (const std::string& text : broken) {
        SCOPED_TRACE(text);
        ASSERT_TRUE(hub->SetStat(kAnna, "Kept", 1));
        const std::string content = vqtest::ReadFile(FileOf(kAnna)) + text;
        vqtest::WriteFile(FileOf(kAnna), content);

        EXPECT_FALSE(hub->SetStat(kAnna, "GamesWon", 3));
        EXPECT_EQ(hub->ReadStat(kAnna, "Kept"), std::nullopt);
        EXPECT_NE(hub->LastStatsError().find("line 3"), std::string::npos) << hub->LastStatsError();

        auto anna = hub->SignIn(kAnna);
        (void)anna->ManualDispatchInit();  // setup: what the test checks after it shows whether it took
        ASSERT_TRUE(anna->RequestCurrentStats());
        const sw::Pipe pipe = anna->GetPipe();
        anna->RunFrame(pipe);
        sw::CallbackView view;
        ASSERT_TRUE(anna->NextCallback(pipe, view));
        ASSERT_EQ(view.id, sw::kCbStatsReceived);
        sw::StatsReceived received;
        std::memcpy(&received, view.data, sizeof(received));
        EXPECT_EQ(received.result, int32_t(sw::Result::Fail));
        anna->FreeLastCallback(pipe);
        int32_t value = 0;
        EXPECT_FALSE(anna->GetStat("Kept", value));
        EXPECT_FALSE(anna->SetStat("GamesWon", 3));
        EXPECT_FALSE(anna->StoreStats());

        EXPECT_EQ(vqtest::ReadFile(FileOf(kAnna)), content);
        std::filesystem::remove(FileOf(kAnna));
    }
}

TEST_F(StatsTest, NamesWithBlanksOrBeyondTheLimitAreRefused)
{
    for (const std::string& name : {std::string(), std::string("two words"), std::string(sw::kNameMax + 1, 'x'),
                                    std::string("tab\tname")}) {
        EXPECT_FALSE(hub->SetStat(kAnna, name, 1)) << name;
        EXPECT_FALSE(hub->SetAchievement(kAnna, name, true)) << name;
    }
    EXPECT_TRUE(hub->SetStat(kAnna, std::string(sw::kNameMax, 'x'), 1));
}

TEST_F(StatsTest, WithoutAPerUserFolderNothingIsStored)
{
    sw::Hub nowhere("/proc/no-such-folder/");
    nowhere.AddUser(kAnna, "Anna");
    EXPECT_FALSE(nowhere.SetStat(kAnna, "GamesWon", 1));
    EXPECT_FALSE(nowhere.LastStatsError().empty());
}

}  // namespace
