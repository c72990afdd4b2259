// The lobby and connecting screens of two peers in one process, each with
// its own managers and state engine over the in-memory transport: seats
// taken and readied through the screens' buttons, the host's start taking
// both to the table, a join that never finds its host, and seat requests
// the host must refuse.
#include "UIButton.h"
#include "UILabel.h"
#include "UILobbyPlayer.h"
#include "UIProgressBar.h"
#include "coreGameDiagnostics.h"
#include "clCardset.h"
#include "mgrAI.h"
#include "mgrGameflow.h"
#include "mgrMultiplayer.h"
#include "mgrSession.h"
#include "mgrSettings.h"
#include "mgrSteam.h"
#include "mgrTimers.h"
#include "mpLobby.h"
#include "qz7kvdata.h"
#include "qz7netadmin.h"
#include "qz7netmemory.h"
#include "stateConfirm.h"
#include "stateConnecting.h"
#include "stateLobby.h"

#include "sgCapture.h"
#include "qz7direct3d.h"
#include "shellfixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <memory>

namespace {

// The screens below and above the lobby stand in for the menu and the table.
class TStubScreen : public TState {};
class TStubMenu : public TStubScreen {};
class TStubGame : public TStubScreen {};

class TEngineLink : public TScreenLink {
public:
    int32_t CurrentStateId() const override { return StateEngine ? StateEngine->CurrentId() : 0; }
};

class TScreenPeer;
TScreenPeer*& CurrentPeer()
{
    static TScreenPeer* peer = nullptr;
    return peer;
}

// One peer: settings, timers, session, game flow, computer players, the
// multiplayer manager and a state engine over a headless widget tree. While
// a scope is open they are the game's globals.
class TScreenPeer {
public:
    TScreenPeer(TQZMemoryNetwork& net, const std::string& address, const std::string& name)
    {
        settings.SetString("Game.PlayStyle", "moderate");
        TScope scope(*this);
        timers.Initialize();
        session.Initialize();
        gameflow.Initialize();
        multiplayer.Initialize();
        multiplayer.UseNetworkThread(net.CreateEndpoint(address));
        pump = dynamic_cast<TQZMemoryNetworkThread*>(multiplayer.GetFalcon()->Thread());
        session.Players().LocalPlayer()->SetName(name);
        engine.Initialize();
        engine.SetWindows(root.get(), layout);
        engine.frameTime = [] { return 10u; };
        engine.windowMinimised = [] { return false; };
        engine.windowQuitting = [] { return false; };
        TStateClassTable t{};
        t.classes[STATE_MENU] = StateClass<TStubMenu>();
        t.classes[STATE_GAME] = StateClass<TStubGame>();
        t.classes[STATE_CONFIRM] = StateClass<TStateConfirm>();
        t.classes[STATE_LOBBY] = StateClass<TStateLobby>();
        t.classes[STATE_CONNECTING] = StateClass<TStateConnecting>();
        gameflow.RegisterStates(t);
        (void)engine.PushById(STATE_MENU, false);  // setup: what the test checks after it shows whether it took
    }
    ~TScreenPeer()
    {
        TScope scope(*this);
        engine.Clear();
        root.reset();
        multiplayer.Leave(false);
    }

    class TScope {
    public:
        explicit TScope(TScreenPeer& p)
            : settings_(Settings), timers_(Timers), session_(Session), gameflow_(Gameflow), ai_(AI),
              multiplayer_(Multiplayer), states_(StateEngine), steam_(SteamManager), screen_(&ScreenLink()),
              link_(&MultiplayerLink()), peer_(CurrentPeer())
        {
            CurrentPeer() = &p;
            Settings = &p.settings;
            Timers = &p.timers;
            Session = &p.session;
            Gameflow = &p.gameflow;
            AI = &p.ai;
            Multiplayer = &p.multiplayer;
            StateEngine = &p.engine;
            SteamManager = nullptr;
            SetScreenLink(&p.link);
            SetMultiplayerLink(&p.multiplayer);
        }
        ~TScope()
        {
            CurrentPeer() = peer_;
            SetMultiplayerLink(link_);
            SetScreenLink(screen_);
            SteamManager = steam_;
            StateEngine = states_;
            Multiplayer = multiplayer_;
            AI = ai_;
            Gameflow = gameflow_;
            Session = session_;
            Timers = timers_;
            Settings = settings_;
        }
        TScope(const TScope&) = delete;
        TScope& operator=(const TScope&) = delete;

    private:
        TQZKeyValue* settings_;
        TTimers* timers_;
        TSession* session_;
        TGameflow* gameflow_;
        TAI* ai_;
        TMultiplayer* multiplayer_;
        TStateEngine* states_;
        TSteamManager* steam_;
        TScreenLink* screen_;
        TMultiplayerLink* link_;
        TScreenPeer* peer_;
    };

    // One frame of the program: the session's step, then the screens.
    void Frame()
    {
        TScope scope(*this);
        multiplayer.Process();
        engine.Update();
        timers.Tick(10);
    }
    void Pump()
    {
        TScope scope(*this);
        if (pump) pump->Pump();
    }
    void Push(int32_t id, bool keep = true)
    {
        TScope scope(*this);
        (void)engine.PushById(id, keep);  // setup: what the test checks after it shows whether it took
    }
    // A click on a button: its command goes round the widget tree to the screen.
    void Click(TGUIWindow* button)
    {
        ASSERT_NE(nullptr, button);
        ASSERT_TRUE(button->IsVisible() && button->IsEnabled());
        {
            TScope scope(*this);
            button->Click();
        }
        Frame();
    }
    int32_t CurrentId() const { return engine.CurrentId(); }
    TLobbyGUI* LobbyGUI() const { return dynamic_cast<TLobbyGUI*>(engine.Current() ? engine.Current()->Window() : nullptr); }
    TConnectingGUI* ConnectingGUI() const
    {
        return dynamic_cast<TConnectingGUI*>(engine.Current() ? engine.Current()->Window() : nullptr);
    }
    TSeat LocalSeat() { return session.Players().LocalPlayer() ? session.Players().LocalPlayer()->SeatId() : 0; }
    bool Logged(const std::string& text) const
    {
        return std::any_of(log.begin(), log.end(), [&](const std::string& l) { return l.find(text) != std::string::npos; });
    }

    TQZKeyValue settings;
    TTimers timers;
    TSession session;
    TGameflow gameflow;
    TAI ai;
    TMultiplayer multiplayer;
    TStateEngine engine;
    TEngineLink link;
    TGUIWindowPtr<TGUIWindow> root = NewRootWindow<TGUIWindow>(TQZRect{0, 0, 1280, 800}, nullptr, 0);
    TGUIWindow* layout = NewWindow<TGUIWindow>(TQZRect{0, 0, 1280, 800}, root.get(), 0);
    TQZMemoryNetworkThread* pump = nullptr;
    std::vector<std::string> log;
};

class LobbyScreensTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SeedRandom(5);
        net.UseAsNetClock();
        SetAdminConsole([](const std::string& line) {
            if (CurrentPeer()) CurrentPeer()->log.push_back(line);
        });
    }
    void TearDown() override
    {
        peers.clear();
        SetAdminConsole(nullptr);
    }
    TScreenPeer& AddPeer(const std::string& address, const std::string& name)
    {
        peers.push_back(std::make_unique<TScreenPeer>(net, address, name));
        return *peers.back();
    }
    TScreenPeer& AddHost()
    {
        TScreenPeer& host = AddPeer("host", "Hannah");
        TScreenPeer::TScope scope(host);
        EXPECT_TRUE(host.multiplayer.Host(kFalconPort, "Test lobby"));
        (void)host.engine.PushById(STATE_LOBBY, true);  // setup: what the test checks after it shows whether it took
        return host;
    }
    TScreenPeer& AddClient(const std::string& address, const std::string& name, const std::string& to = "host")
    {
        TScreenPeer& client = AddPeer(address, name);
        TScreenPeer::TScope scope(client);
        client.multiplayer.JoinHost(to);
        // Setup: what the test checks after it shows whether it took.
        (void)client.engine.PushById(STATE_CONNECTING, true);
        return client;
    }
    void Run(uint32_t ms)
    {
        for (uint32_t t = 0; t < ms; t += 10) {
            net.Advance(10);
            for (auto& p : peers) p->Frame();
            for (auto& p : peers) p->Pump();
        }
    }
    template <class F> bool RunUntil(uint32_t limit, F done)
    {
        for (uint32_t t = 0; t < limit; t += 10) {
            if (done()) return true;
            Run(10);
        }
        return done();
    }
    // A client in the lobby that the host's session has seated.
    bool InLobby(TScreenPeer& p)
    {
        return p.CurrentId() == STATE_LOBBY && p.LobbyGUI() &&
               p.LobbyGUI()->Instructions()->Caption() != "Waiting for lobby details from host...";
    }
    static TSeat OpenSeat(TScreenPeer& p)
    {
        for (TSeat s = 1; s <= 4; ++s)
            if (p.session.Players().GetPlayer(s)->IsAI()) return s;
        return 0;
    }

    TQZMemoryNetwork net;
    std::vector<std::unique_ptr<TScreenPeer>> peers;
};

TEST_F(LobbyScreensTest, HostAndClientTakeSeatsReadyUpAndTheHostsStartTakesBothToTheTable)
{
    TScreenPeer& host = AddHost();
    host.Frame();
    TLobbyGUI* hostGUI = host.LobbyGUI();
    ASSERT_NE(nullptr, hostGUI);
    EXPECT_TRUE(host.Logged("Opening party"));
    // Alone: nothing to start, and leaving needs no question.
    EXPECT_TRUE(hostGUI->StartButton()->IsVisible());
    EXPECT_FALSE(hostGUI->StartButton()->IsEnabled());
    EXPECT_EQ("Cancel", hostGUI->LeaveButton()->Caption());
    EXPECT_EQ("Lobby: Test lobby", hostGUI->LobbyLabel()->Caption());

    TScreenPeer& client = AddClient("c1", "Cleo");
    client.Frame();
    ASSERT_NE(nullptr, client.ConnectingGUI());
    ASSERT_TRUE(RunUntil(5000, [&] { return InLobby(client); }));
    // The welcome put the lobby in the connecting screen's place.
    EXPECT_EQ(2, client.engine.Depth());
    TLobbyGUI* clientGUI = client.LobbyGUI();
    EXPECT_FALSE(clientGUI->StartButton()->IsVisible());
    EXPECT_EQ("Leave Party", clientGUI->LeaveButton()->Caption());
    EXPECT_EQ("Lobby: Test lobby", clientGUI->LobbyLabel()->Caption());
    EXPECT_EQ("Choose a seat, Ready Up when happy!", clientGUI->Instructions()->Caption());

    // The client asks for an open seat with the row's button; the host moves it.
    const TSeat want = OpenSeat(client);
    ASSERT_NE(0, want);
    client.Click(clientGUI->Row(want)->TakeSeatButton());
    EXPECT_TRUE(client.Logged(": sending seat request to host"));
    ASSERT_TRUE(RunUntil(3000, [&] { return client.LocalSeat() == want; }));
    EXPECT_TRUE(host.Logged("wants seat " + std::to_string(want)));
    EXPECT_FALSE(clientGUI->Row(want)->TakeSeatButton()->IsVisible());  // no longer open

    // The host moves too, to an open seat of its own choosing.
    const TSeat hostWant = OpenSeat(host);
    host.Click(hostGUI->Row(hostWant)->TakeSeatButton());
    EXPECT_EQ(hostWant, host.LocalSeat());
    ASSERT_TRUE(RunUntil(3000, [&] { return client.session.Players().GetPlayer(hostWant)->Name() == "Hannah"; }));

    client.Click(clientGUI->ReadyButton());
    ASSERT_TRUE(RunUntil(3000, [&] { return client.session.Players().LocalPlayer()->Continued(); }));
    EXPECT_EQ("Waiting for other players to ready up.", clientGUI->Instructions()->Caption());
    EXPECT_FALSE(hostGUI->StartButton()->IsEnabled());
    host.Click(hostGUI->ReadyButton());
    host.Frame();
    EXPECT_TRUE(hostGUI->StartButton()->IsEnabled());
    EXPECT_EQ("Waiting for host to start the game...", hostGUI->Instructions()->Caption());
    ASSERT_TRUE(RunUntil(3000, [&] {
        return clientGUI->Instructions()->Caption() == "Waiting for host to start the game...";
    }));

    host.Click(hostGUI->StartButton());
    EXPECT_TRUE(host.Logged("Sending game start"));
    EXPECT_EQ(STATE_GAME, host.CurrentId());
    ASSERT_TRUE(RunUntil(3000, [&] { return client.CurrentId() == STATE_GAME; }));
    // The table took the lobby's place on both.
    EXPECT_EQ(2, host.engine.Depth());
    EXPECT_EQ(2, client.engine.Depth());
    EXPECT_TRUE(host.multiplayer.IsMultiplayer());
    EXPECT_TRUE(client.multiplayer.IsMultiplayer());
}

// A client whose link was lost comes back while the game goes on: the host's
// session takes it past the lobby to the table.
TEST_F(LobbyScreensTest, AClientThatComesBackToAGameGoingOnGoesToTheTable)
{
    TScreenPeer& host = AddHost();
    TScreenPeer& client = AddClient("c1", "Cleo");
    ASSERT_TRUE(RunUntil(5000, [&] { return InLobby(client); }));
    client.Click(client.LobbyGUI()->ReadyButton());
    ASSERT_TRUE(RunUntil(3000, [&] { return TMPLobby::CanStart() || host.session.Players().AllContinued() ||
                                             host.session.Players().GetPlayer(client.LocalSeat())->Continued(); }));
    host.Click(host.LobbyGUI()->ReadyButton());
    host.Click(host.LobbyGUI()->StartButton());
    ASSERT_TRUE(RunUntil(3000, [&] { return client.CurrentId() == STATE_GAME; }));
    {
        // The first hand is dealt and the auction is under way.
        TScreenPeer::TScope scope(host);
        TCardset deck;
        deck.FillDeck();
        deck.Shuffle();
        host.session.NewHand(deck.ToText());
        for (int32_t n = host.session.Deck().Count(); n > 3; n = host.session.Deck().Count())
            host.session.MoveCard(TSeat((n - 3) % 4 + 1), host.session.Deck().Get(n), MOVE_DEAL);
        host.session.FinishMoves();
        host.session.StartBidding();
    }

    net.Partition("c1", true);
    ASSERT_TRUE(RunUntil(kPeerTimeout + 3000, [&] { return !client.multiplayer.IsMultiplayer(); }));
    EXPECT_EQ(STATE_MENU, client.CurrentId());
    net.Partition("c1", false);
    {
        TScreenPeer::TScope scope(client);
        client.session.Players().LocalPlayer()->SetName("Cleo");
        client.multiplayer.JoinHost("host");
        // Setup: what the test checks after it shows whether it took.
        (void)client.engine.PushById(STATE_CONNECTING, true);
    }
    ASSERT_TRUE(RunUntil(10000, [&] { return client.CurrentId() == STATE_GAME; }));
    EXPECT_EQ(2, client.engine.Depth());
    EXPECT_TRUE(host.Logged("HOST - Player Cleo takes seat"));
}

TEST_F(LobbyScreensTest, SeatRequestsOutsideTheSeatsOrForAnotherPersonsSeatChangeNothing)
{
    TScreenPeer& host = AddHost();
    TScreenPeer& client = AddClient("c1", "Cleo");
    ASSERT_TRUE(RunUntil(5000, [&] { return InLobby(client); }));
    const TSeat hostSeat = host.LocalSeat();
    const TSeat clientSeat = client.LocalSeat();
    for (int32_t value : {0, 5, -1, 255, int32_t(hostSeat)}) {
        {
            TScreenPeer::TScope scope(client);
            client.multiplayer.SendToHost(
                PrependMessageID(GAMEMSG_LOBBY, PackLobbyMessage(LOBBY_SEAT_REQUEST, 2, value)));
        }
        Run(300);
        EXPECT_EQ(hostSeat, host.LocalSeat()) << value;
        EXPECT_EQ(clientSeat, client.LocalSeat()) << value;
        EXPECT_EQ(STATE_LOBBY, host.CurrentId());
    }
    // The host's own button for the client's seat is not offered, and the
    // command alone does not take it either.
    host.Frame();
    EXPECT_FALSE(host.LobbyGUI()->Row(clientSeat)->TakeSeatButton()->IsVisible());
    {
        TScreenPeer::TScope scope(host);
        host.engine.Current()->HandleEvent(clientSeat);
    }
    EXPECT_EQ(hostSeat, host.LocalSeat());
    // A start sent by the client to the host is no start.
    {
        TScreenPeer::TScope scope(client);
        client.multiplayer.SendToHost(PrependMessageID(GAMEMSG_LOBBY, PackLobbyMessage(LOBBY_GAME_START, 1, 1)));
    }
    Run(300);
    EXPECT_EQ(STATE_LOBBY, host.CurrentId());
}

TEST_F(LobbyScreensTest, LeavingAPartyOfTwoAsksFirstAndOKLeavesTheSession)
{
    TScreenPeer& host = AddHost();
    TScreenPeer& client = AddClient("c1", "Cleo");
    ASSERT_TRUE(RunUntil(5000, [&] { return InLobby(client); }));
    client.Click(client.LobbyGUI()->LeaveButton());
    ASSERT_EQ(STATE_CONFIRM, client.CurrentId());
    {
        TScreenPeer::TScope scope(client);
        client.engine.Current()->HandleEvent(CONFIRM_OK);
    }
    client.Frame();
    EXPECT_EQ(STATE_MENU, client.CurrentId());
    EXPECT_FALSE(client.multiplayer.IsMultiplayer());
    // The host is alone again and no longer shared.
    ASSERT_TRUE(RunUntil(15000, [&] { return !host.multiplayer.IsMultiplayer(); }));
}

// A host that never answers (nobody there) and an address that cannot be
// opened: the screen says "Disconnected", offers "Retry", and "Cancel"
// returns to the screen below with the session left.
TEST_F(LobbyScreensTest, AJoinThatFindsNoHostSaysDisconnectedAndCancelReturns)
{
    struct {
        const char* address;
        uint32_t within;
    } cases[] = {{"nobody", (kJoinAttempts + 1) * kJoinInterval}, {"", 100}};
    for (const auto& c : cases) {
        TScreenPeer& client = AddClient(std::string("c-") + c.address, "Cleo", c.address);
        client.Frame();
        TConnectingGUI* gui = client.ConnectingGUI();
        ASSERT_NE(nullptr, gui);
        if (*c.address) {
            EXPECT_EQ("Connecting", gui->Status()->Caption());
            EXPECT_TRUE(gui->Bar()->IsVisible());
            EXPECT_EQ("Attempt 1", gui->Bar()->caption);
            EXPECT_FALSE(gui->RetryButton()->IsVisible());
            Run(kJoinInterval + kAdminTick + 100);  // the admin tick repeats the join
            EXPECT_EQ("Attempt 2", gui->Bar()->caption);
            EXPECT_GT(gui->Bar()->position, 0);
            EXPECT_LE(gui->Bar()->position, gui->Bar()->max);
        }
        ASSERT_TRUE(RunUntil(c.within, [&] { return gui->Status()->Caption() == "Disconnected"; })) << c.address;
        EXPECT_FALSE(gui->Bar()->IsVisible());
        EXPECT_TRUE(gui->RetryButton()->IsVisible());
        EXPECT_EQ(STATE_CONNECTING, client.CurrentId());
        if (*c.address) {
            client.Click(gui->RetryButton());  // tries again
            EXPECT_EQ("Connecting", gui->Status()->Caption());
            EXPECT_EQ("Attempt 1", gui->Bar()->caption);
        }
        {
            TScreenPeer::TScope scope(client);
            client.engine.Current()->HandleEvent(GUICMD_BACK);
        }
        client.Frame();
        EXPECT_EQ(STATE_MENU, client.CurrentId()) << c.address;
        EXPECT_FALSE(client.multiplayer.IsMultiplayer());
    }
}


// The lobby drawn by the real engine on the generated assets. With
// VQ_LOBBY_FRAMES set to a folder the frame is written there as a PNG file.
using LobbyLookTest = shelltest::EngineFixture;

TEST_F(LobbyLookTest, TheLobbyIsDrawnWithItsSeatsAndButtons)
{
    ASSERT_TRUE(StateEngine->PushById(STATE_LOBBY, true));
    Frame();
    auto* gui = dynamic_cast<TLobbyGUI*>(StateEngine->Current()->Window());
    ASSERT_NE(nullptr, gui);
    EXPECT_FALSE(gui->StartButton()->IsVisible());  // no host here
    EXPECT_EQ("Cancel", gui->LeaveButton()->Caption());
    EXPECT_EQ("Choose a seat, Ready Up when happy!", gui->Instructions()->Caption());
    StateEngine->Render();
    std::shared_ptr<plat::softgpu::Surface> back;
    Direct3DDevice()->Device()->GetBackBuffer(0, 0, back);
    ASSERT_NE(nullptr, back);
    // Every row lies inside the window.
    for (TSeat s = 1; s <= 4; ++s) {
        const TQZRect r = gui->Row(s)->GetScreenRect();
        EXPECT_GE(r.left, 0);
        EXPECT_LE(r.bottom, back->Height()) << int(s);
    }
    if (const char* folder = std::getenv("VQ_LOBBY_FRAMES")) {
        (void)plat::softgpu::WritePng(*back, std::string(folder) + "/lobby-screen.png");  // a look, not a check
    }
    StateEngine->Current()->HandleEvent(GUICMD_BACK);  // alone: no question
    Frame();
    EXPECT_EQ(STATE_MENU, CurrentId());
}

TEST(ConnectionStateTextTest, EveryStateHasItsText)
{
    const char* texts[] = {"Disconnected", "Listening (Host)", "Connected (Host)", "Connecting",
                           "Connected",    "Searching (Host)", "Searching (Outbound)"};
    for (int32_t s = 0; s <= 6; ++s) EXPECT_EQ(texts[s], ConnectionStateText(s));
    EXPECT_EQ("", ConnectionStateText(7));
}

}  // namespace
