// The capabilities over the hub: lobbies, statistics, players and
// leaderboards, their notices delivered by RunFrame.
#include "steamtest.h"

using namespace steamtest;

namespace {

struct LobbyTest : THubFixture {
    std::unique_ptr<TUser> anna = User(kAnna);
    std::unique_ptr<TUser> bram = User(kBram);
    int annaChanged = 0, bramChanged = 0, bramLeft = 0;
    LobbyTest()
    {
        anna->steam->Lobbies()->SetLobbyChangedHandler([this] { ++annaChanged; });
        bram->steam->Lobbies()->SetLobbyChangedHandler([this] { ++bramChanged; });
        bram->steam->Lobbies()->SetLobbyLeftHandler([this] { ++bramLeft; });
    }
    void Frame()
    {
        anna->steam->RunFrame();
        bram->steam->RunFrame();
    }
};

TEST_F(LobbyTest, EnterDataAndMemberChangesReachTheHandlers)
{
    const sw::LobbyId id = hub->CreateLobby(kAnna, 4, {{"Title", "Friday table"}});
    Frame();
    TQZSteamCapLobbies& mine = *anna->steam->Lobbies();
    ASSERT_TRUE(mine.InLobby());
    EXPECT_EQ(annaChanged, 1);
    EXPECT_EQ(mine.Lobby().id, id);
    EXPECT_EQ(mine.Lobby().owner, kAnna);
    EXPECT_EQ(mine.Lobby().title, "Friday table");
    EXPECT_EQ(mine.Lobby().memberLimit, 4);
    EXPECT_TRUE(anna->Logged("Lobbies: OnLobbyEnter received"));
    EXPECT_TRUE(anna->Logged("Lobbies:    SteamIDLobby: " + std::to_string(id)));
    EXPECT_TRUE(anna->Logged("Lobbies:    Success code: 1"));
    // The owner names itself the host; the data update follows next frame.
    EXPECT_EQ(hub->LobbyMembers(id), std::vector<sw::UserId>{kAnna});
    Frame();
    EXPECT_EQ(mine.Lobby().host, "Anna");
    EXPECT_TRUE(anna->Logged("Title=Friday table, Host=Anna"));
    EXPECT_EQ(annaChanged, 2);

    bram->steam->Lobbies()->JoinLobby(id);
    EXPECT_TRUE(bram->Logged("JoinLobby " + std::to_string(id) + " request issued (APICall "));
    Frame();
    TQZSteamCapLobbies& theirs = *bram->steam->Lobbies();
    ASSERT_TRUE(theirs.InLobby());
    EXPECT_EQ(bramChanged, 1);
    EXPECT_EQ(theirs.Lobby().owner, kAnna);
    EXPECT_EQ(theirs.Lobby().host, "Anna");
    EXPECT_EQ(theirs.Lobby().members, (std::vector<uint64_t>{kAnna, kBram}));
    EXPECT_TRUE(anna->Logged("OnLobbyRoomUpdate received"));
    EXPECT_EQ(annaChanged, 3);
    EXPECT_EQ(mine.Lobby().memberCount, 2);

    // Setup: what the test checks after it shows whether it took.
    (void)hub->SetLobbyData(id, "Title", "Saturday table");
    Frame();
    EXPECT_EQ(theirs.Lobby().title, "Saturday table");
    EXPECT_TRUE(bram->Logged("Title=Saturday table, Host=Anna"));
    EXPECT_EQ(bramChanged, 2);

    hub->RemoveMember(id, kBram, true);
    Frame();
    EXPECT_TRUE(bram->Logged("Localuser has left the lobby!"));
    EXPECT_FALSE(theirs.InLobby());
    EXPECT_EQ(bramLeft, 1);
    EXPECT_EQ(mine.Lobby().members, std::vector<uint64_t>{kAnna});
}

TEST_F(LobbyTest, LeavingClearsTheRecordAndTellsTheOthers)
{
    const sw::LobbyId id = hub->CreateLobby(kAnna, 4);
    bram->steam->Lobbies()->JoinLobby(id);
    Frame();
    Frame();
    ASSERT_TRUE(bram->steam->Lobbies()->InLobby());
    bram->steam->Lobbies()->LeaveLobby();
    EXPECT_TRUE(bram->Logged("Leaving lobby"));
    EXPECT_FALSE(bram->steam->Lobbies()->InLobby());
    EXPECT_EQ(bramLeft, 1);
    Frame();
    EXPECT_EQ(anna->steam->Lobbies()->Lobby().members, std::vector<uint64_t>{kAnna});
    bram->ClearLog();
    bram->steam->Lobbies()->LeaveLobby();
    EXPECT_FALSE(bram->Logged("Leaving lobby")) << "not in a lobby any more";
}

// One lobby at a time: entering B leaves A, whose members see the seat free.
TEST_F(LobbyTest, EnteringAnotherLobbyLeavesTheFirst)
{
    const sw::LobbyId a = hub->CreateLobby(kAnna, 4);
    bram->steam->Lobbies()->JoinLobby(a);
    Frame();
    Frame();
    ASSERT_EQ(hub->LobbyMembers(a), (std::vector<sw::UserId>{kAnna, kBram}));
    const sw::LobbyId b = hub->CreateLobby(kCora, 4);
    bram->steam->Lobbies()->JoinLobby(b);
    Frame();
    Frame();
    EXPECT_EQ(bram->steam->Lobbies()->Lobby().id, b);
    EXPECT_EQ(hub->LobbyMembers(a), std::vector<sw::UserId>{kAnna}) << "the seat in A is given up";
    EXPECT_EQ(anna->steam->Lobbies()->Lobby().members, std::vector<uint64_t>{kAnna});
    EXPECT_EQ(hub->LobbyMembers(b), (std::vector<sw::UserId>{kCora, kBram}));
    // Entering the lobby it is in leaves nothing.
    bram->steam->Lobbies()->JoinLobby(b);
    Frame();
    EXPECT_EQ(hub->LobbyMembers(b), (std::vector<sw::UserId>{kCora, kBram}));
    EXPECT_EQ(bram->steam->Lobbies()->Lobby().id, b);
}

TEST_F(LobbyTest, AFullOrMissingLobbyIsNotEntered)
{
    const sw::LobbyId id = hub->CreateLobby(kAnna, 1);
    bram->steam->Lobbies()->JoinLobby(id);
    bram->steam->Lobbies()->JoinLobby(id + 100);
    Frame();
    EXPECT_FALSE(bram->steam->Lobbies()->InLobby());
    EXPECT_TRUE(bram->Logged("Success code: " + std::to_string(sw::kEnterFull)));
    EXPECT_TRUE(bram->Logged("Success code: " + std::to_string(sw::kEnterNoLobby)));
}

TEST_F(LobbyTest, InvitesAndJoinRequestsArePassedOn)
{
    const sw::LobbyId id = hub->CreateLobby(kAnna, 4);
    std::vector<uint64_t> invitedTo;
    std::vector<std::pair<uint64_t, uint64_t>> requests;
    bram->steam->Lobbies()->SetInviteHandler([&](const sw::LobbyInvite& i) { invitedTo.push_back(i.lobby); });
    bram->steam->Lobbies()->SetJoinRequestHandler([&](uint64_t l, uint64_t f) { requests.emplace_back(l, f); });
    hub->Invite(kAnna, kBram, id);
    hub->Invite(kAnna, kBram, id + 1, 12345);
    hub->RequestJoin(kBram, id, kAnna);
    Frame();
    EXPECT_EQ(invitedTo, std::vector<uint64_t>{id});
    EXPECT_TRUE(bram->Logged("OnLobbyInvite received from " + std::to_string(kAnna)));
    EXPECT_TRUE(bram->Logged("OnLobbyInvite to other game $12345 ignored"));
    EXPECT_TRUE(bram->Logged("User initiated lobby join request"));
    EXPECT_EQ(requests, (std::vector<std::pair<uint64_t, uint64_t>>{{id, kAnna}}));
}

struct StatsLayerTest : THubFixture {
    std::unique_ptr<TUser> anna = User(kAnna);
    TQZSteamCapStatistics& stats = *anna->steam->Statistics();
};

TEST_F(StatsLayerTest, StatisticsSetThroughTheHubAreReadAndStoredBack)
{
    ASSERT_TRUE(hub->SetStat(kAnna, "GamesWon", 7));
    std::vector<int32_t> received, stored;
    std::vector<std::string> achievements;
    stats.SetStatsReceivedHandler([&](const sw::StatsReceived& r) { received.push_back(r.result); });
    stats.SetStatsStoredHandler([&](const sw::StatsStored& s) { stored.push_back(s.result); });
    stats.SetAchievementStoredHandler(
        [&](const sw::AchievementStored& a) { achievements.push_back(SteamFieldText(a.name)); });

    ASSERT_TRUE(stats.RequestCurrentStats());
    anna->steam->RunFrame();
    EXPECT_EQ(received, std::vector<int32_t>{int32_t(sw::Result::Ok)});
    int32_t value = 0;
    ASSERT_TRUE(stats.GetStat("GamesWon", value));
    EXPECT_EQ(value, 7);

    ASSERT_TRUE(stats.SetStat("GamesWon", 8));
    ASSERT_TRUE(stats.SetAchievement("FirstWin", true));
    ASSERT_TRUE(stats.StoreStats());
    anna->steam->RunFrame();
    EXPECT_EQ(stored, std::vector<int32_t>{int32_t(sw::Result::Ok)});
    EXPECT_EQ(achievements, std::vector<std::string>{"FirstWin"});
    EXPECT_EQ(hub->ReadStat(kAnna, "GamesWon"), 8);
    EXPECT_EQ(hub->ReadAchievement(kAnna, "FirstWin"), true);
    EXPECT_NE(vqtest::ReadFile(sw::StatsFilePath(hub->StatsFolder(), kAnna)).find("stat GamesWon 8"),
              std::string::npos);
}

TEST_F(StatsLayerTest, FailuresAreLoggedAndGoNoFurther)
{
    int32_t value = 0;
    EXPECT_FALSE(stats.GetStat("GamesWon", value));  // not requested yet
    EXPECT_TRUE(anna->Logged("Statistics: GetStat[\"GamesWon\"] failed"));
    EXPECT_FALSE(stats.SetStat("GamesWon", 3));
    EXPECT_TRUE(anna->Logged("Statistics: SetStat[\"GamesWon\"]:=3 failed"));
    EXPECT_FALSE(stats.StoreStats());
    EXPECT_TRUE(anna->Logged("Statistics: StoreStats failed"));
    stats.RequestCurrentStats();
    EXPECT_FALSE(stats.SetAchievement("two words", true));
    EXPECT_TRUE(anna->Logged("Statistics: SetAchievement[\"two words\"] failed"));
    EXPECT_FALSE(stats.SetAchievement("two words", false));
    EXPECT_TRUE(anna->Logged("Statistics: ClearAchievement[\"two words\"]"));
}

TEST_F(StatsLayerTest, GlobalStatisticsAndAchievementIcons)
{
    int global = 0;
    stats.SetGlobalStatsHandler([&](const sw::GlobalStatsReceived&) { ++global; });
    stats.RequestGlobalStats(7);
    anna->steam->RunFrame();
    EXPECT_EQ(global, 1);
    hub->SetGlobalStatsResult(sw::Result::Busy);
    stats.RequestGlobalStats(7);
    anna->steam->RunFrame();
    EXPECT_EQ(global, 1);
    EXPECT_TRUE(anna->Logged("RetrieveGlobalStats failed, error " + std::to_string(int32_t(sw::Result::Busy))));

    sw::AchievementIcon icon{hub->App(), {}, 1, 5};
    std::memcpy(icon.name, "FirstWin", 8);
    hub->Post(kAnna, sw::kCbAchievementIcon, sw::RecordBytes(icon));
    icon.game = 5;
    hub->Post(kAnna, sw::kCbAchievementIcon, sw::RecordBytes(icon));
    anna->steam->RunFrame();
    EXPECT_TRUE(anna->Logged("Fetched icon for achievement \"FirstWin"));
    EXPECT_TRUE(anna->Logged("Ignoring achievement icon received for GameID 5"));
}

TEST_F(THubFixture, PlayersKnowFriendsAvatarsAndRichPresence)
{
    hub->MakeFriends(kAnna, kBram);
    auto anna = User(kAnna);
    TQZSteamCapPlayers& players = *anna->steam->Players();
    ASSERT_EQ(players.Friends().size(), 1u);
    EXPECT_EQ(players.Friends()[0].name, "Bram");
    EXPECT_EQ(players.Friends()[0].state, int32_t(sw::PersonaState::Offline));

    std::vector<uint64_t> changed;
    players.SetPersonaHandler([&](const sw::PersonaChanged& c) { changed.push_back(c.user); });
    auto bram = User(kBram);
    hub->SetPersonaState(kBram, sw::PersonaState::Away);
    anna->steam->RunFrame();
    EXPECT_EQ(changed, std::vector<uint64_t>{kBram});
    EXPECT_EQ(players.Friends()[0].state, int32_t(sw::PersonaState::Away));

    const sw::ImageId image = hub->SetAvatar(kBram, 1, 1, {1, 2, 3, 4});
    hub->SetAvatar(kCora, 1, 1, {1, 2, 3, 4});
    hub->Post(kAnna, sw::kCbAvatarLoaded, sw::RecordBytes(sw::AvatarLoaded{kCora, 99, 1, 1}));
    anna->steam->RunFrame();
    EXPECT_TRUE(anna->Logged("AvatarImageLoaded - Bram is now ImageID " + std::to_string(image)));
    EXPECT_TRUE(anna->Logged("AvatarImageLoaded - Cannot find steamID " + std::to_string(kCora) + " in friend list"));
    EXPECT_EQ(players.Friends()[0].image, image);
    ASSERT_NE(anna->steam->Images()->Find(image), nullptr);
    EXPECT_EQ(anna->steam->Images()->Find(image)->rgba.size(), 4u);
    EXPECT_EQ(players.LargeAvatar(kBram), image);

    EXPECT_TRUE(players.SetRichPresence("mode", "Single player"));
    EXPECT_EQ(hub->RichPresence(kAnna, "mode"), "Single player");
    EXPECT_FALSE(players.SetRichPresence("", "x"));
    EXPECT_TRUE(anna->Logged("Failed to set rich presence \"\" := \"x\""));
}

TEST_F(THubFixture, LeaderboardsAreFoundByName)
{
    hub->DefineLeaderboard("Fastest500");
    auto anna = User(kAnna);
    TQZSteamCapLeaderboards& boards = *anna->steam->Leaderboards();
    boards.Find("Fastest500");
    boards.Find("Missing");
    EXPECT_EQ(boards.Waiting(), 2u);
    anna->steam->RunFrame();
    EXPECT_NE(boards.Board("Fastest500"), 0u);
    EXPECT_EQ(boards.Board("Missing"), 0u);
    EXPECT_TRUE(anna->Logged("Leaderboard query \"Fastest500\""));
    EXPECT_TRUE(anna->Logged("Leaderboard query failed (Missing)"));
    EXPECT_EQ(boards.Waiting(), 0u);
}

}  // namespace
