// The Steam-enabled manager over the in-process hub: dormant for the
// editor's identity, the command line's lobby, lobbies that lead to the
// owner's shared game over the Steam transport, rich presence, statistics
// and achievements.
#include "mgrSteamOnline.h"

#include "clAchievementConfig.h"
#include "mgrAchievements.h"
#include "mptable.h"
#include "osDesktop.h"
#include "qz7netsteam.h"
#include "qz7steam.h"
#include "swClient.h"
#include "swHub.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>

namespace {

namespace sw = plat::steamworks;
using namespace mptest;

constexpr sw::UserId kAnna = 76561001;
constexpr sw::UserId kBram = 76561002;
constexpr sw::UserId kCora = 76561003;

class SteamManagerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        hub->AddUser(kAnna, "Anna");
        hub->AddUser(kBram, "Bram");
        hub->AddUser(kCora, "Cora");
        hub->MakeFriends(kAnna, kBram);
        SetNetTimeSource([this] { return clock.load(); });
        plat::os::SetMessageBoxHandler([this](const plat::os::MessageBoxRequest& r) {
            warnings.push_back(r.text);
            return plat::os::BoxAnswer::Ok;
        });
    }
    void TearDown() override
    {
        plat::os::SetMessageBoxHandler(nullptr);
        SetNetTimeSource(nullptr);
    }
    std::unique_ptr<TQZSteam> Layer(sw::UserId user) { return CreateSingleton<TQZSteam>(hub->SignIn(user)); }

    vqtest::TempDir home;
    vqtest::ScopedEnv env{"VANTOREL_DATA_HOME", home.Path()};
    std::shared_ptr<sw::Hub> hub = std::make_shared<sw::Hub>(home.Path());
    std::atomic<uint32_t> clock{1000};
    std::vector<std::string> warnings;
};

TEST_F(SteamManagerTest, WithTheEditorsIdentityNoSteamOperationIsCalled)
{
    FrameworkStart(QZ_EDITOR_IDENTITY);
    sw::ConfigureHub(hub, kAnna);
    {
        TSteamManagerOnline manager;
        manager.SetCommandLine({"+connect_lobby", "12345"});
        manager.Initialize();
        manager.PostInitialize();
        manager.Process();
        manager.JoinLobby("12345");
        manager.UpdateRichPresence();
        manager.LeaveLobby();
        manager.AchievementChanged("First");
        EXPECT_TRUE(manager.IsEditor());
        EXPECT_FALSE(manager.Active());
        EXPECT_FALSE(manager.InLobby());
        EXPECT_EQ(manager.GetLocalPlayerName(), "Player");
    }
    EXPECT_FALSE(hub->SignedIn(kAnna)) << "the client was never started";
    EXPECT_FALSE(SingletonExists(QZSLOT_STEAM));
    FrameworkStop();
    sw::ConfigureHub(nullptr, 0);
}

TEST_F(SteamManagerTest, TheGamesIdentityStartsTheLayerAndWithoutAHubStaysOff)
{
    FrameworkStart("Vantorel Qar");
    sw::ConfigureHub(hub, kAnna);
    {
        TSteamManagerOnline manager;
        manager.Initialize();
        EXPECT_TRUE(manager.Active());
        EXPECT_TRUE(hub->SignedIn(kAnna));
        EXPECT_EQ(manager.GetLocalPlayerName(), "Anna");
    }
    FrameworkStop();
    sw::ConfigureHub(nullptr, 0);
    FrameworkStart("Vantorel Qar");
    {
        TSteamManagerOnline manager;
        manager.Initialize();
        EXPECT_FALSE(manager.Active()) << "Steam is not running";
        EXPECT_EQ(manager.GetLocalPlayerName(), "Player");
        manager.JoinLobby("12345");
        EXPECT_FALSE(manager.InLobby());
    }
    FrameworkStop();
}

TEST_F(SteamManagerTest, TheCommandLinesLobbyIsJoinedOnlyWhenItIsALobbyNumber)
{
    const sw::LobbyId lobby = hub->CreateLobby(kBram, 4, {{"Title", "Bram's table"}});
    const struct {
        const char* what;
        std::vector<std::string> args;
        bool joins;
    } rows[] = {
        {"no lobby after the switch", {"+connect_lobby"}, false},
        {"a name instead of a number", {"+connect_lobby", "bram's-table"}, false},
        {"a number beyond 64 bits", {"+connect_lobby", "99999999999999999999999"}, false},
        {"another switch", {"+join", std::to_string(lobby)}, false},
        {"the lobby's number", {"+connect_lobby", std::to_string(lobby)}, true},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        auto layer = Layer(kAnna);
        TQZKeyValue settings;
        Settings = &settings;
        TSteamManagerOnline manager(layer.get());
        manager.SetCommandLine(r.args);
        manager.Initialize();
        manager.PostInitialize();
        manager.Process();
        EXPECT_EQ(manager.InLobby(), r.joins);
        EXPECT_EQ(settings.GetString("Game.Playername"), "Anna");
        EXPECT_EQ(settings.GetString("Multiplayer.Playername"), "Anna");
        manager.LeaveLobby();
        manager.Process();
        Settings = nullptr;
    }
}

// Anna joins Bram's lobby: the manager connects her to the owner through
// the multiplayer manager, and the peer session joins over Steam messages.
TEST_F(SteamManagerTest, AJoinedLobbyLeadsToItsOwnersSharedGame)
{
    TLogRouter router;
    auto bramLayer = Layer(kBram);
    auto annaLayer = Layer(kAnna);
    TPeerRig bram(TTableOptions{1, 4, "Bram", 0, 2, false, 1, false});
    TPeerRig anna(TTableOptions{1, 4, "Anna", 0, 2, false, 1, false});
    auto bramThread = std::make_unique<TQZNetworkThreadSteam>(bramLayer.get(), false);
    auto annaThread = std::make_unique<TQZNetworkThreadSteam>(annaLayer.get(), false);
    bram.pump = bramThread.get();
    anna.pump = annaThread.get();
    bram.multiplayer.UseNetworkThread(std::move(bramThread));
    anna.multiplayer.UseNetworkThread(std::move(annaThread));
    TSteamManagerOnline manager(annaLayer.get());
    {
        TPeerRig::TScope scope(bram);
        ASSERT_TRUE(bram.multiplayer.Host(kFalconPort, "Bram's table"));
        bram.table.EnterLobby();
    }
    const sw::LobbyId lobby = hub->CreateLobby(kBram, 4, {{"Title", "Bram's table"}, {"Host", "Bram"}});
    auto step = [&](int ms) {
        for (int i = 0; i < ms; ++i) {
            ++clock;
            bramLayer->RunFrame();
            {
                TPeerRig::TScope scope(anna);
                manager.Process();
            }
            bram.Frame(1);
            anna.Frame(1);
            bram.Pump();
            anna.Pump();
        }
    };
    {
        TPeerRig::TScope scope(anna);
        manager.Initialize();
        manager.JoinLobby(std::to_string(lobby));
    }
    step(20);
    EXPECT_TRUE(manager.InLobby());
    EXPECT_EQ(manager.LobbyCaption(), "Bram's table");
    EXPECT_TRUE(anna.Logged("Have joined a lobby! Connecting to it's owner"));
    EXPECT_TRUE(anna.multiplayer.IsMultiplayer());
    auto seated = [&] { return bram.session.Players().CountHumans() == 2 && anna.Logged("Receive session data"); };
    for (int i = 0; i < 5000 && !seated(); i += 10) step(10);
    ASSERT_TRUE(seated()) << "Anna holds a seat at Bram's table";
    EXPECT_EQ(anna.session.Players().LocalPlayer()->Name(), "Anna");
    EXPECT_EQ(anna.multiplayer.LobbyName(), "Bram's table");
    EXPECT_EQ(bram.session.Players().CountHumans(), 2);
    // Data and membership changes reach the manager; they join nothing more.
    const int32_t before = manager.LobbyChanges();
    // Setup: what the test checks after it shows whether it took.
    (void)hub->SetLobbyData(lobby, "Title", "Bram's new table");
    hub->EnterLobby(lobby, kCora);
    step(5);
    EXPECT_EQ(manager.LobbyChanges(), before + 2);
    EXPECT_EQ(anna.CountLogged("Have joined a lobby!"), 1);
    {
        TPeerRig::TScope scope(anna);
        manager.LeaveLobby();
    }
    step(5);
    EXPECT_FALSE(manager.InLobby());
    EXPECT_TRUE(anna.Logged("No longer in a lobby"));
}

TEST_F(SteamManagerTest, RichPresenceTellsTheGameAndItsPlayers)
{
    TLogRouter router;
    auto layer = Layer(kAnna);
    TPeerRig rig(TTableOptions{});
    TSteamManagerOnline manager(layer.get());
    TPeerRig::TScope scope(rig);
    manager.Initialize();
    rig.session.SetScore(1, 120);
    rig.session.SetScore(2, -40);
    manager.UpdateRichPresence();
    EXPECT_EQ(hub->RichPresence(kAnna, "score"), "120 - -40");
    EXPECT_EQ(hub->RichPresence(kAnna, "players"), "1");
    EXPECT_EQ(hub->RichPresence(kAnna, "mode"), "Single player");
    EXPECT_EQ(hub->RichPresence(kAnna, "steam_player_group_size"), "1");
    TPlayerGUID guid{};
    rig.session.Players().GetPlayer(3)->MakeRemote(2, guid, "Bram");
    manager.UpdateRichPresence();
    EXPECT_EQ(hub->RichPresence(kAnna, "players"), "2");
    EXPECT_EQ(hub->RichPresence(kAnna, "mode"), "Multiplayer");
    EXPECT_EQ(hub->RichPresence(kAnna, "steam_player_group_size"), "2");
}

// The achievement engine over definition files in a working folder.
class SteamStatisticsTest : public SteamManagerTest {
protected:
    void SetUp() override
    {
        SteamManagerTest::SetUp();
        old = std::filesystem::current_path();
        std::filesystem::current_path(work.Path());
        std::filesystem::create_directories("Assets/Config");
        Settings = &settings;
        TAchievementDef first;
        first.id = 1;
        first.target = 1;
        first.title = "First";
        first.description = "The first";
        first.kind = "normal";
        first.trigger = "GAME";
        first.condition = "1";
        std::string error;
        ASSERT_TRUE(WriteAchievementConfig(kAchievementConfigFile, {first}, &error)) << error;
        ASSERT_TRUE(WriteStatisticConfig(kStatisticConfigFile,
                                         {{1, "games", "Games", "GAME", "1"}, {2, "hands", "Hands", "HAND", "1"}},
                                         &error))
            << error;
        engine.Initialize();
        Achievements = &engine;
    }
    void TearDown() override
    {
        Achievements = nullptr;
        Settings = nullptr;
        std::filesystem::current_path(old);
        SteamManagerTest::TearDown();
    }
    int32_t Find(const std::string& name)
    {
        for (int32_t i = 0; i < engine.GetStatisticCount(); ++i)
            if (engine.GetStatistic(i).name == name) return i;
        return -1;
    }

    vqtest::TempDir work;
    std::filesystem::path old;
    TQZKeyValue settings;
    TAchievements engine;
};

TEST_F(SteamStatisticsTest, StatisticsFromSteamReplaceTheLocalOnesThatDiffer)
{
    TLogRouter router;
    TPeerRig rig(TTableOptions{});
    TPeerRig::TScope scope(rig);
    Settings = &settings;
    ASSERT_EQ(engine.GetStatisticCount(), 2);
    engine.SetStatistic(Find("games"), 3);
    engine.SetStatistic(Find("hands"), 5);
    ASSERT_TRUE(hub->SetStat(kAnna, "games", 7));
    ASSERT_TRUE(hub->SetStat(kAnna, "hands", 5));
    auto layer = Layer(kAnna);
    TSteamManagerOnline manager(layer.get());
    manager.Initialize();
    manager.PostInitialize();
    manager.Process();
    EXPECT_TRUE(rig.Logged("Steam Statistics downloaded..."));
    EXPECT_EQ(engine.GetStatistic(Find("games")).value, 7);
    EXPECT_EQ(engine.GetStatistic(Find("hands")).value, 5);
    EXPECT_TRUE(rig.Logged(" Statistic \"games\"                      has value   3, Steam's value is=7"));
    EXPECT_EQ(rig.CountLogged(" Statistic "), 1) << "an agreeing statistic is not logged";
}

TEST_F(SteamStatisticsTest, AnAchievementOfTheEngineIsSetInSteamByItsName)
{
    TLogRouter router;
    TPeerRig rig(TTableOptions{});
    TPeerRig::TScope scope(rig);
    Settings = &settings;
    auto layer = Layer(kAnna);
    TSteamManagerOnline manager(layer.get());
    manager.Initialize();
    manager.PostInitialize();
    manager.Process();
    engine.GetAchievement(0)->unlocked = true;
    manager.AchievementChanged("First");
    EXPECT_EQ(hub->ReadAchievement(kAnna, "First"), std::optional<bool>(true));
    manager.AchievementChanged("Nope");
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0], "Cannot find achievement \"Nope\"");
}

}  // namespace
