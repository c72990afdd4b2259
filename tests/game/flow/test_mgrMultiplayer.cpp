// The multiplayer manager between a host and clients on the in-memory
// transport: its game messages, the lobby's rules, the party's joins and
// leaves, and what hand-built messages from the wrong side cannot do.
#include "mgrSteam.h"
#include "mptable.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

using namespace mptest;

// What a rig's game flow announced.
class TEventLog : public TQZClass {
public:
    void Attach(TPeerRig& rig)
    {
        TPeerRig::TScope scope(rig);
        for (const char* name : {"LOBBY_WELCOME", "LOBBY_CHANGED", "GAME_STARTED", "CHAT_MESSAGE", "ACTION_REFUSED"})
            rig.gameflow.Subscribe(name, MakeMethod<&TEventLog::OnObject>(this));
        for (const char* name : {"PLAYER_JOINED", "PLAYER_LEFT", "NOTICE"})
            rig.gameflow.SubscribeText(name, MakeMethod<&TEventLog::OnText>(this));
    }
    void OnObject(TQZClass* payload)
    {
        if (auto* chat = dynamic_cast<TMPChatLine*>(payload))
            heard.push_back("chat " + std::to_string(chat->seat) + " " + chat->name + ": " + chat->text);
        else if (auto* refused = dynamic_cast<TMPRefusedAction*>(payload))
            heard.push_back("refused " + ActionTypeName(refused->action->Type()));
        else
            heard.push_back("event");
    }
    void OnText(const std::string& text) { heard.push_back("text " + text); }
    int32_t Count(const std::string& prefix) const
    {
        return int32_t(std::count_if(heard.begin(), heard.end(), [&](const std::string& h) { return h.rfind(prefix, 0) == 0; }));
    }
    std::vector<std::string> heard;
};

TTableOptions Passive(const std::string& name)
{
    TTableOptions o;
    o.name = name;
    o.drive = false;
    return o;
}

class MultiplayerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SeedRandom(3);
        host = &game.AddHost(Passive("Hannah"));
        client = &game.AddClient(Passive("Cleo"), "c1");
        ASSERT_TRUE(Seated(*client));
    }

    bool Seated(TPeerRig& rig)
    {
        return game.RunUntil(5000, [&] { return rig.session.Players().LocalPlayer() != nullptr && !rig.log.empty() && rig.Logged("Receive session data"); });
    }
    void Run(uint32_t ms = 200) { game.Run(ms); }
    // Bytes as the client's own manager would send them to the host.
    void ClientSends(int32_t id, const std::vector<uint8_t>& body, TPeerRig* from = nullptr)
    {
        TPeerRig& rig = from ? *from : *client;
        TPeerRig::TScope scope(rig);
        rig.multiplayer.SendToHost(PrependMessageID(id, body));
    }
    void HostSends(int32_t id, const std::vector<uint8_t>& body)
    {
        TPeerRig::TScope scope(*host);
        host->multiplayer.SendToPeers(PrependMessageID(id, body));
    }
    std::string Text(TPeerRig& rig)
    {
        TPeerRig::TScope scope(rig);
        return SharedSessionText(rig.session);
    }
    TSeat SeatOf(TPeerRig& rig, const std::string& name)
    {
        for (TSeat s = 1; s <= 4; ++s)
            if (rig.session.Players().GetPlayer(s)->Name() == name) return s;
        return 0;
    }

    vqtest::TempDir home;
    vqtest::ScopedEnv env{"VANTOREL_DATA_HOME", home.Path()};
    TSharedGame game{3};
    TPeerRig* host = nullptr;
    TPeerRig* client = nullptr;
};

TEST_F(MultiplayerTest, AJoinerTakesAComputerSeatAndSeesItselfLocal)
{
    const TSeat seat = SeatOf(*host, "Cleo");
    ASSERT_NE(seat, 0);
    const TSessionPlayer* onHost = host->session.Players().GetPlayer(seat);
    EXPECT_EQ(onHost->PlayerType(), PLAYER_REMOTE);
    EXPECT_EQ(onHost->PartyId(), 2);
    // The client's copy: its own seat is local, the host's remote.
    EXPECT_EQ(client->session.Players().LocalPlayer()->Name(), "Cleo");
    EXPECT_EQ(client->session.Players().LocalPlayer()->SeatId(), seat);
    EXPECT_EQ(client->session.Players().GetPlayer(SeatOf(*client, "Hannah"))->PlayerType(), PLAYER_REMOTE);
    EXPECT_EQ(client->session.ViewRotation(), SeatRotation(seat));
    EXPECT_EQ(client->multiplayer.LobbyName(), "Test lobby");
    EXPECT_EQ(Text(*client), Text(*host));
    EXPECT_EQ(client->multiplayer.GetLocalPartyID(), 2);
    EXPECT_FALSE(client->multiplayer.IsHost());
    EXPECT_TRUE(host->multiplayer.IsHost());
}

TEST_F(MultiplayerTest, WithoutASharedGameTheAnswersAreSinglePlayers)
{
    TPeerRig alone(Passive("Solo"));
    TPeerRig::TScope scope(alone);
    EXPECT_EQ(alone.multiplayer.GetLocalPartyID(), 1);
    EXPECT_FALSE(alone.multiplayer.IsHost());
    EXPECT_FALSE(alone.multiplayer.IsSessionActive());
    const std::string before = SharedSessionText(alone.session);
    alone.multiplayer.Leave(true);  // never joined: nothing happens
    alone.multiplayer.SendAction("hello", "Solo", 1);
    EXPECT_EQ(SharedSessionText(alone.session), before);
    EXPECT_FALSE(alone.Logged("SetIsMultiplayer"));
}

// Hand-built messages from a client that only the host may send, or that
// act only on a client: the host's game stays as it was.
TEST_F(MultiplayerTest, AClientCannotSpeakWithTheHostsVoice)
{
    TEventLog hostEvents;
    hostEvents.Attach(*host);
    TSession forged;
    {
        TPeerRig::TScope scope(*client);
        forged.Initialize();
        forged.SetScore(1, 499);
    }
    TQZKeyValue tree("samegameQar");
    forged.SaveTo(&tree);
    TCardset deck;
    deck.FillDeck();
    const struct {
        const char* what;
        int32_t id;
        std::vector<uint8_t> body;
    } cases[] = {
        {"a lobby welcome", GAMEMSG_LOBBY_WELCOME, PackLobbyWelcome("Mallory's")},
        {"a session update", GAMEMSG_SESSION_UPDATE, tree.SaveToBytes()},
        {"a broadcast new game", GAMEMSG_ACTION_BROADCAST, TActionNewGame(2).SaveTo()},
        {"a broadcast deal", GAMEMSG_ACTION_BROADCAST, TActionNewHand(deck.ToText()).SaveTo()},
        {"a refusal", GAMEMSG_ACTION_REFUSED, PackRefusal(TActionNewGame(1), "no")},
        {"a game start", GAMEMSG_LOBBY, PackLobbyMessage(LOBBY_GAME_START, 1, 1)},
        {"the host's seat", GAMEMSG_LOBBY, PackLobbyMessage(LOBBY_SEAT_REQUEST, 2, SeatOf(*host, "Hannah"))},
        {"seat 0", GAMEMSG_LOBBY, PackLobbyMessage(LOBBY_SEAT_REQUEST, 2, 0)},
        {"seat 5", GAMEMSG_LOBBY, PackLobbyMessage(LOBBY_SEAT_REQUEST, 2, 5)},
        {"seat -1", GAMEMSG_LOBBY, PackLobbyMessage(LOBBY_SEAT_REQUEST, 2, -1)},
        {"a short lobby message", GAMEMSG_LOBBY, {0, 0, 0, 0, 2, 0}},
        {"a chat longer than its body", GAMEMSG_CHAT, {1, 0xFF, 0, 0, 0, 'h', 'i'}},
        {"a chat whose name runs past the end", GAMEMSG_CHAT, {1, 1, 0, 0, 0, 'h', 50, 0, 0, 0, 'x'}},
        {"a new game submitted", GAMEMSG_ACTION_SUBMITTED, TActionNewGame(1).SaveTo()},
        {"an unknown message", 99, {1, 2, 3}},
    };
    {
        TPeerRig::TScope scope(*host);
        host->table.Frame(0);
    }
    const std::string before = Text(*host);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        hostEvents.heard.clear();
        ClientSends(c.id, c.body);
        Run();
        EXPECT_EQ(Text(*host), before);
        EXPECT_EQ(host->session.Governor().QueueLength(), 0);
        EXPECT_EQ(host->multiplayer.LobbyName(), "Test lobby");
        EXPECT_EQ(hostEvents.Count("event"), 0) << "no welcome, lobby change or start";
        EXPECT_EQ(hostEvents.Count("chat"), 0);
    }
    EXPECT_EQ(host->CountLogged("Dropped game message"), 5);
    EXPECT_EQ(host->CountLogged("Dropped a chat message whose lengths do not fit"), 2);
    EXPECT_EQ(host->table.CurrentStateId(), STATE_LOBBY);
    EXPECT_TRUE(client->Logged("Refused by the host: ACTION_NEWGAME"));
}

TEST_F(MultiplayerTest, AClientTakesNoRequestsAndOnlyTheHostsWord)
{
    TEventLog clientEvents;
    clientEvents.Attach(*client);
    const std::string before = Text(*client);
    HostSends(GAMEMSG_ACTION_SUBMITTED, TActionNewGame(1).SaveTo());
    HostSends(GAMEMSG_LOBBY, PackLobbyMessage(LOBBY_SEAT_REQUEST, 1, 1));
    HostSends(GAMEMSG_LOBBY, PackLobbyMessage(LOBBY_READY, 1, 1));
    HostSends(GAMEMSG_HELP, {});
    Run();
    EXPECT_EQ(Text(*client), before);
    EXPECT_EQ(client->session.Governor().QueueLength(), 0);
    EXPECT_EQ(client->CountLogged("Dropped game message"), 2);
    // Broken records from the host itself are read only as far as they go.
    std::vector<uint8_t> welcome = {200, 'S', 'h', 'o', 'r', 't'};
    HostSends(GAMEMSG_LOBBY_WELCOME, welcome);
    Run();
    EXPECT_EQ(client->multiplayer.LobbyName(), "Short");
    HostSends(GAMEMSG_LOBBY_WELCOME, PackLobbyWelcome(std::string(80, 'L')));
    Run();
    EXPECT_EQ(client->multiplayer.LobbyName(), std::string(kLobbyNameMax, 'L'));
    HostSends(GAMEMSG_SESSION_UPDATE, {1, 2, 3, 4, 5});
    Run();
    EXPECT_EQ(Text(*client), before);
    EXPECT_TRUE(client->Logged("Session data refused"));
}

TEST_F(MultiplayerTest, SeatsMoveOnlyIntoComputerSeatsAndTheSenderIsTheTransports)
{
    TEventLog hostEvents;
    hostEvents.Attach(*host);
    const TSeat hostSeat = SeatOf(*host, "Hannah");
    TSeat free = 0;
    for (TSeat s = 1; s <= 4 && !free; ++s)
        if (host->session.Players().GetPlayer(s)->IsAI()) free = s;
    // A body that claims to come from the host (party 1) moves the sender.
    ClientSends(GAMEMSG_LOBBY, PackLobbyMessage(LOBBY_SEAT_REQUEST, 1, free));
    Run();
    EXPECT_EQ(SeatOf(*host, "Cleo"), free);
    EXPECT_EQ(SeatOf(*host, "Hannah"), hostSeat);
    EXPECT_EQ(SeatOf(*client, "Cleo"), free) << "the host's session reached the client";
    EXPECT_EQ(client->session.LocalSeat(), free);
    // The seat it holds: nothing changes.
    const std::string before = Text(*host);
    ClientSends(GAMEMSG_LOBBY, PackLobbyMessage(LOBBY_SEAT_REQUEST, 2, free));
    Run();
    EXPECT_EQ(Text(*host), before);
    // Ready: only the sender's own flag, whatever party the body names.
    ClientSends(GAMEMSG_LOBBY, PackLobbyMessage(LOBBY_READY, 1, 1));
    Run();
    EXPECT_TRUE(host->session.Players().GetPlayer(free)->Continued());
    EXPECT_FALSE(host->session.Players().GetPlayer(hostSeat)->Continued());
    EXPECT_TRUE(client->session.Players().GetPlayer(free)->Continued());
    // A party id without a seat changes nothing and triggers nothing.
    hostEvents.heard.clear();
    {
        TPeerRig::TScope scope(*host);
        TMPLobby lobby;
        const std::string was = SharedSessionText(host->session);
        lobby.OnMessage(9, PackLobbyMessage(LOBBY_SEAT_REQUEST, 9, free));
        lobby.OnMessage(9, PackLobbyMessage(LOBBY_READY, 9, 0));
        EXPECT_EQ(SharedSessionText(host->session), was);
    }
    EXPECT_EQ(hostEvents.Count("event"), 0);
}

TEST_F(MultiplayerTest, StartCountsOnlyFromTheHostOnceEveryPersonIsReady)
{
    {
        TPeerRig::TScope scope(*host);
        TMPLobby lobby;
        EXPECT_FALSE(lobby.StartGame()) << "the client is not ready";
        lobby.ToggleReady();
        EXPECT_FALSE(lobby.StartGame());
    }
    ClientSends(GAMEMSG_LOBBY, PackLobbyMessage(LOBBY_READY, 2, 1));
    Run();
    {
        TPeerRig::TScope scope(*host);
        TMPLobby lobby;
        EXPECT_TRUE(lobby.StartGame());
        EXPECT_EQ(host->multiplayer.Party()->PartyState(), PARTY_CLOSED);
    }
    Run();
    EXPECT_EQ(client->CountLogged("EVENT TRIGGERED: GAME_STARTED"), 1);
    EXPECT_EQ(client->table.CurrentStateId(), STATE_GAME);
}

// A host on its own is no shared game: ready or not, it cannot start one.
TEST(LobbyAloneTest, AHostAloneMarkedReadyCannotStart)
{
    vqtest::TempDir home;
    vqtest::ScopedEnv env{"VANTOREL_DATA_HOME", home.Path()};
    SeedRandom(3);
    TSharedGame game{3};
    TPeerRig& host = game.AddHost(Passive("Hannah"));
    game.Run(200);
    TPeerRig::TScope scope(host);
    ASSERT_EQ(host.session.Players().CountHumans(), 1);
    TMPLobby lobby;
    lobby.ToggleReady();
    ASSERT_TRUE(TMPLobby::LocalReady());
    EXPECT_FALSE(TMPLobby::CanStart());
    EXPECT_FALSE(lobby.StartGame());
    EXPECT_NE(host.multiplayer.Party()->PartyState(), PARTY_CLOSED);
}

TEST_F(MultiplayerTest, AChatLineReachesEveryoneOnceAsItsSenderWrote)
{
    TPeerRig& other = game.AddClient(Passive("Otto"), "c2");
    ASSERT_TRUE(Seated(other));
    TEventLog hostEvents, clientEvents, otherEvents;
    hostEvents.Attach(*host);
    clientEvents.Attach(*client);
    otherEvents.Attach(other);
    const TSeat cleo = SeatOf(*host, "Cleo");
    {
        TPeerRig::TScope scope(*client);
        // The record claims another seat and name: the host sends it on as
        // the member's own.
        client->multiplayer.SendAction("hello all", "Hannah", SeatOf(*client, "Hannah"));
    }
    EXPECT_EQ(clientEvents.Count("chat"), 0) << "not shown before the host's copy comes back";
    Run();
    const std::string line = "chat " + std::to_string(cleo) + " Cleo: hello all";
    for (TEventLog* log : {&hostEvents, &clientEvents, &otherEvents}) {
        ASSERT_EQ(log->Count("chat"), 1);
        EXPECT_EQ(log->heard.back(), line);
    }
    {
        TPeerRig::TScope scope(*host);
        host->multiplayer.SendAction("from the host", "Hannah", host->session.LocalSeat());
    }
    Run();
    EXPECT_EQ(hostEvents.Count("chat"), 2);
    EXPECT_EQ(clientEvents.Count("chat"), 2);
}

TEST_F(MultiplayerTest, ARefusedMoveReachesThePlayerAsAMessage)
{
    TEventLog clientEvents;
    clientEvents.Attach(*client);
    {
        TPeerRig::TScope scope(*client);
        // Not the bidding screen at the host: the bid cannot be taken now.
        client->session.Governor().Submit(
            std::make_unique<TActionBid>(client->session.LocalSeat(), "", TBid{SUIT_HEARTS, 7}));
    }
    Run();
    EXPECT_EQ(clientEvents.Count("refused ACTION_BID"), 1);
    EXPECT_EQ(clientEvents.Count("text The host did not accept that move"), 1);
    EXPECT_EQ(host->session.Governor().QueueLength(), 0);
}

TEST_F(MultiplayerTest, AClientOffersMisereOnlyAsTheHostPlays)
{
    for (bool hostMisere : {false, true}) {
        SCOPED_TRACE(hostMisere);
        host->settings.SetBool("Variation.Misere", hostMisere);
        client->settings.SetBool("Variation.Misere", !hostMisere);
        {
            TPeerRig::TScope scope(*host);
            host->multiplayer.SendSessionUpdate();
        }
        Run();
        TPeerRig::TScope scope(*client);
        EXPECT_EQ(client->session.MisereAllowed(), hostMisere);
    }
    {
        TPeerRig::TScope scope(*client);
        client->multiplayer.Leave(false);
        EXPECT_FALSE(client->session.MisereAllowed()) << "alone again: its own setting";
    }
}

TEST_F(MultiplayerTest, APlayerWhoLeavesIsAnnouncedOnceAndTheLastTakesTheSharedGameAlong)
{
    TPeerRig& other = game.AddClient(Passive("Otto"), "c2");
    ASSERT_TRUE(Seated(other));
    TEventLog hostEvents;
    hostEvents.Attach(*host);
    const TSeat cleo = SeatOf(*host, "Cleo");
    {
        TPeerRig::TScope scope(*client);
        client->multiplayer.Leave(true);
    }
    game.Run(kPartyGoodbyeRemoval + 1500);
    EXPECT_EQ(hostEvents.Count("text Cleo"), 1);
    EXPECT_TRUE(host->session.Players().GetPlayer(cleo)->IsAI());
    EXPECT_TRUE(host->multiplayer.IsMultiplayer()) << "Otto is still there";
    EXPECT_EQ(SeatOf(other, "Cleo"), 0);
    EXPECT_FALSE(client->multiplayer.IsMultiplayer());
    EXPECT_EQ(client->table.CurrentStateId(), kScreenMenu);
    {
        TPeerRig::TScope scope(other);
        other.multiplayer.Leave(true);
    }
    game.Run(kPartyGoodbyeRemoval + 1500);
    EXPECT_EQ(hostEvents.Count("text Otto"), 1);
    EXPECT_FALSE(host->multiplayer.IsMultiplayer());
    EXPECT_TRUE(host->Logged("Last remote player has left; no longer multiplayer"));
    EXPECT_EQ(host->session.Players().CountHumans(), 1);
}

// A Steam manager that keeps a lobby: the shared game outlives its last
// remote player while the lobby is there, and leaving leaves the lobby.
class TLobbySteam : public TSteamManager {
public:
    bool InLobby() const override { return true; }
    void LeaveLobby() override { ++leaves; }
    int leaves = 0;
};

TEST_F(MultiplayerTest, WhileTheSteamLobbyIsThereTheHostStaysShared)
{
    TLobbySteam steam;
    SteamManager = &steam;
    {
        TPeerRig::TScope scope(*client);
        client->multiplayer.Leave(true);
    }
    game.Run(kPartyGoodbyeRemoval + 1500);
    EXPECT_TRUE(host->multiplayer.IsMultiplayer());
    EXPECT_FALSE(host->Logged("Last remote player has left"));
    EXPECT_GE(steam.leaves, 1) << "the client's leave left its lobby";
    const int before = steam.leaves;
    {
        TPeerRig::TScope scope(*host);
        host->multiplayer.Leave(false);
    }
    EXPECT_EQ(steam.leaves, before + 1);
    SteamManager = nullptr;
}

TEST_F(MultiplayerTest, TheHostLeavingEndsTheClientsGame)
{
    TEventLog clientEvents;
    clientEvents.Attach(*client);
    {
        TPeerRig::TScope scope(*host);
        host->multiplayer.Leave(true);
    }
    Run(500);
    EXPECT_FALSE(client->multiplayer.IsMultiplayer());
    EXPECT_TRUE(client->session.Governor().Authority());
    EXPECT_EQ(clientEvents.Count("text Multiplayer disconnected"), 1);
    EXPECT_EQ(client->session.Players().CountHumans(), 1);
    EXPECT_EQ(client->session.Players().LocalPlayer()->SeatId(), 1) << "a new single-player game";
}

TEST_F(MultiplayerTest, AHostThatVanishesEndsTheClientsGameWhenItsLinkTimesOut)
{
    game.net.Partition("host", true);
    game.Run(kPeerTimeout + 1500);
    EXPECT_FALSE(client->multiplayer.IsMultiplayer());
    EXPECT_TRUE(client->Logged("Multiplayer disconnected"));
}

TEST_F(MultiplayerTest, LinesLoggedOnTheNetworkThreadReachTheAdminLogOnTheMainThread)
{
    // The admin log feeds the console, a widget of the main thread.
    std::thread([&] { host->multiplayer.GetFalcon()->Log("logged far away"); }).join();
    EXPECT_FALSE(host->Logged("logged far away"));
    host->Frame(1);
    EXPECT_TRUE(host->Logged("logged far away"));
}

TEST_F(MultiplayerTest, TheGameMessagesAreCounted)
{
    const TMPTraffic before = client->multiplayer.Traffic();
    ClientSends(GAMEMSG_HELP, {});
    Run();
    EXPECT_EQ(client->multiplayer.Traffic().messagesSent, before.messagesSent + 1);
    EXPECT_EQ(client->multiplayer.Traffic().bytesSent, before.bytesSent + 4);
    EXPECT_GE(host->multiplayer.Traffic().messagesReceived, 1);
}

TEST(MultiplayerRecords, ChatAndWelcomeRoundTripAndRefuseWhatDoesNotFit)
{
    TMPChatLine line;
    ASSERT_TRUE(UnpackChatLine(PackChatLine(3, "hi", "Ann"), line));
    EXPECT_EQ(line.seat, 3);
    EXPECT_EQ(line.text, "hi");
    EXPECT_EQ(line.name, "Ann");
    std::vector<uint8_t> cut = PackChatLine(3, "hello", "Ann");
    cut.resize(cut.size() - 1);
    EXPECT_FALSE(UnpackChatLine(cut, line));
    EXPECT_EQ(PackLobbyWelcome("Lobby").size(), kLobbyWelcomeSize);
    EXPECT_EQ(UnpackLobbyWelcome(PackLobbyWelcome("Lobby")), "Lobby");
    EXPECT_EQ(UnpackLobbyWelcome({}), "");
    EXPECT_EQ(UnpackLobbyWelcome({255}), "");
    EXPECT_EQ(PrependMessageID(6, {9}), (std::vector<uint8_t>{6, 0, 0, 0, 9}));
    int32_t id = 0;
    std::vector<uint8_t> body;
    EXPECT_FALSE(SplitMessageID({1, 0, 0}, id, body));
    ASSERT_TRUE(SplitMessageID({2, 1, 0, 0, 7}, id, body));
    EXPECT_EQ(id, 258);
    EXPECT_EQ(body, std::vector<uint8_t>{7});
}

// Handlers of one id are called in order; one may unregister meanwhile.
class THandlerProbe {
public:
    void A(uint8_t party, const std::vector<uint8_t>&)
    {
        calls.push_back("A" + std::to_string(party));
        if (table) table->Unregister(5, MakeMethod<&THandlerProbe::B>(this));
    }
    void B(uint8_t party, const std::vector<uint8_t>&) { calls.push_back("B" + std::to_string(party)); }
    std::vector<std::string> calls;
    TMPMsgHandlers* table = nullptr;
};

TEST(MultiplayerHandlers, DispatchRunsOverACopyAndUnregisterTakesTheLastEntry)
{
    TMPMsgHandlers table;
    THandlerProbe probe;
    probe.table = &table;
    table.Register(5, MakeMethod<&THandlerProbe::A>(&probe));
    table.Register(5, MakeMethod<&THandlerProbe::B>(&probe));
    table.Register(6, MakeMethod<&THandlerProbe::B>(&probe));
    table.Dispatch(5, 2, {});
    EXPECT_EQ(probe.calls, (std::vector<std::string>{"A2", "B2"})) << "the copy still held B";
    probe.calls.clear();
    table.Dispatch(5, 3, {});
    EXPECT_EQ(probe.calls, (std::vector<std::string>{"A3"}));
    EXPECT_EQ(table.Count(6), 1);
    table.Dispatch(7, 1, {});
    EXPECT_EQ(probe.calls.size(), 1u);
}

}  // namespace
