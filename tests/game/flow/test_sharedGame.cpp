// Whole shared games of headless tables over the multiplayer manager, on
// the in-memory transport and between processes over UDP loopback: through
// the lobby, played to game won and back.
#include "childprocess.h"
#include "mptable.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

using namespace mptest;

class SharedGameTest : public ::testing::Test {
protected:
    // No per-user folder: the log goes nowhere but the rigs.
    vqtest::TempDir home;
    vqtest::ScopedEnv env{"VANTOREL_DATA_HOME", home.Path()};
};

TTableOptions Options(const std::string& name, TSeat wantSeat = 0, int32_t people = 2)
{
    TTableOptions o;
    o.seed = 5;
    o.name = name;
    o.wantSeat = wantSeat;
    o.expectPeople = people;
    return o;
}

// Every table's view of the session, as all must agree on it.
std::vector<std::string> Texts(TSharedGame& game)
{
    std::vector<std::string> texts;
    for (auto& rig : game.rigs) {
        TPeerRig::TScope scope(*rig);
        texts.push_back(SharedSessionText(rig->session));
    }
    return texts;
}

TSeat SeatOf(TPeerRig& rig, const std::string& name)
{
    for (TSeat s = 1; s <= 4; ++s)
        if (rig.session.Players().GetPlayer(s)->Name() == name) return s;
    return 0;
}

// Host and three clients, through the lobby to game won and back: the
// finished game's text, the hands scored and the session in the lobby
// afterwards, the same at every table. Returns the finished game's text.
std::string PlayFourPeople(const TQZNetFaults& faults, uint32_t limit)
{
    SeedRandom(5);
    TSharedGame game(9);
    game.net.SetFaults(faults);
    TPeerRig& host = game.AddHost(Options("Hannah", 0, 4));
    // One after another, so that the seats are the same whatever the network.
    for (int i = 1; i <= 3; ++i) {
        const std::string name = "Client" + std::to_string(i);
        game.AddClient(Options(name), "c" + std::to_string(i));
        EXPECT_TRUE(game.RunUntil(limit, [&] { return SeatOf(host, name) == i + 1; })) << name;
    }
    EXPECT_TRUE(game.RunUntil(limit, [&] { return game.AllBackInLobby(); }));
    EXPECT_GT(host.table.handsScored, 0);
    const std::vector<std::string> after = Texts(game);
    for (size_t i = 0; i < game.rigs.size(); ++i) {
        TPeerRig& rig = *game.rigs[i];
        EXPECT_EQ(rig.table.gamesWon, 1) << i;
        EXPECT_EQ(rig.table.gameWonText, host.table.gameWonText) << i;
        EXPECT_EQ(rig.table.handsScored, host.table.handsScored) << i;
        EXPECT_EQ(rig.table.CurrentStateId(), STATE_LOBBY) << i;
        EXPECT_TRUE(rig.multiplayer.IsMultiplayer()) << i;
        EXPECT_EQ(after[i], after[0]) << i;
    }
    EXPECT_EQ(host.session.Players().CountHumans(), 4);
    return host.table.gameWonText;
}

TEST_F(SharedGameTest, HostAndThreeClientsPlayAWholeGameThroughTheLobby)
{
    PlayFourPeople({}, 600000);
}

// The identities are made up anew by each run; the game is what counts.
std::string WithoutIdentities(const std::string& text)
{
    TQZKeyValue tree;
    EXPECT_TRUE(tree.ParseText(text));
    for (int n = 1; n <= 4; ++n) tree.SetString("state.players.Player[" + std::to_string(n) + "].GUID", "");
    return tree.ToText(true);
}

TEST_F(SharedGameTest, TheSameGameCompletesIdenticallyOverALossyNetwork)
{
    const std::string clean = WithoutIdentities(PlayFourPeople({}, 600000));
    TQZNetFaults faults;
    faults.loss = 0.10;
    faults.duplicate = 0.10;
    faults.reorder = 0.10;
    faults.delay = 5;
    faults.jitter = 10;
    EXPECT_EQ(WithoutIdentities(PlayFourPeople(faults, 6000000)), clean);
}

TEST_F(SharedGameTest, AClientTakesTheSeatItAsksForAndTwoComputersPlay)
{
    SeedRandom(8);
    TSharedGame game(2);
    TPeerRig& host = game.AddHost(Options("Hannah", 0, 2));
    TPeerRig& client = game.AddClient(Options("Cleo", 3), "c1");
    ASSERT_TRUE(game.RunUntil(600000, [&] { return game.AllBackInLobby(); }));
    for (TPeerRig* rig : {&host, &client}) {
        EXPECT_EQ(SeatOf(*rig, "Cleo"), 3);
        EXPECT_EQ(SeatOf(*rig, "Hannah"), 1);
        EXPECT_EQ(rig->session.Players().CountHumans(), 2);
    }
    EXPECT_EQ(client.table.gameWonText, host.table.gameWonText);
    EXPECT_TRUE(client.Logged("Player 2: sending seat request to host"));
    EXPECT_TRUE(host.Logged("Seat request: PartyID 2 wants seat 3"));
}

// A client's link is cut in the middle of trick play: both sides time out.
class SharedGameLinkTest : public SharedGameTest {
protected:
    void SetUp() override
    {
        SeedRandom(4);
        host = &game.AddHost(Options("Hannah", 0, 3));
        cleo = &game.AddClient(Options("Cleo"), "c1");
        otto = &game.AddClient(Options("Otto"), "c2");
        ASSERT_TRUE(game.RunUntil(600000, [&] {
            return host->table.handsScored >= 1 && host->session.Status() == STATUS_PLAYING &&
                   host->session.Tricks().Current() >= 3;
        }));
        seat = SeatOf(*host, "Cleo");
        ASSERT_NE(seat, 0);
        game.net.Partition("c1", true);
        ASSERT_TRUE(game.RunUntil(kPeerTimeout + 3000, [&] { return !cleo->multiplayer.IsMultiplayer(); }));
    }
    TSharedGame game{6};
    TPeerRig* host = nullptr;
    TPeerRig* cleo = nullptr;
    TPeerRig* otto = nullptr;
    TSeat seat = 0;
};

TEST_F(SharedGameLinkTest, AClientBackWithinTheGraceGetsItsSeatBack)
{
    EXPECT_TRUE(host->session.Players().GetPlayer(seat)->PlayerType() == PLAYER_REMOTE) << "the seat waits";
    EXPECT_EQ(cleo->table.CurrentStateId(), kScreenMenu);
    game.net.Partition("c1", false);
    {
        TPeerRig::TScope scope(*cleo);
        cleo->session.Players().LocalPlayer()->SetName("Cleo");
        cleo->multiplayer.JoinHost("host");
    }
    ASSERT_TRUE(game.RunUntil(600000, [&] { return game.AllBackInLobby(); }));
    EXPECT_TRUE(host->Logged("HOST - Player Cleo takes seat " + std::to_string(seat) + " again"));
    EXPECT_FALSE(host->Logged("Last remote player has left"));
    for (TPeerRig* rig : {host, cleo, otto}) {
        EXPECT_EQ(SeatOf(*rig, "Cleo"), seat);
        EXPECT_EQ(rig->table.gameWonText, host->table.gameWonText);
    }
    EXPECT_EQ(cleo->session.Players().LocalPlayer()->SeatId(), seat);
}

TEST_F(SharedGameLinkTest, AClientThatDoesNotComeBackIsReplacedByAComputer)
{
    ASSERT_TRUE(game.RunUntil(kPartyDisconnectRemoval + kPartyGoodbyeRemoval + 5000,
                              [&] { return host->session.Players().GetPlayer(seat)->IsAI(); }));
    EXPECT_TRUE(host->multiplayer.IsMultiplayer()) << "Otto still plays";
    ASSERT_TRUE(game.RunUntil(600000, [&] { return host->table.backInLobby && otto->table.backInLobby; }));
    EXPECT_EQ(otto->table.gameWonText, host->table.gameWonText);
    EXPECT_EQ(SeatOf(*host, "Cleo"), 0);
    EXPECT_EQ(host->session.Players().CountHumans(), 2);
}

TEST_F(SharedGameTest, TheHostLeavingEndsEveryClientsGameCleanly)
{
    SeedRandom(7);
    TSharedGame game(7);
    TPeerRig& host = game.AddHost(Options("Hannah", 0, 3));
    TPeerRig& a = game.AddClient(Options("Ann"), "c1");
    TPeerRig& b = game.AddClient(Options("Bob"), "c2");
    ASSERT_TRUE(game.RunUntil(600000, [&] { return host.session.Status() == STATUS_PLAYING; }));
    {
        TPeerRig::TScope scope(host);
        host.multiplayer.Leave(true);
    }
    game.Run(1000);
    for (TPeerRig* rig : {&a, &b}) {
        EXPECT_FALSE(rig->multiplayer.IsMultiplayer());
        EXPECT_EQ(rig->table.CurrentStateId(), kScreenMenu);
        EXPECT_TRUE(rig->session.Governor().Authority());
        EXPECT_EQ(rig->session.Governor().QueueLength(), 0);
        EXPECT_EQ(rig->session.Score(1), 0);
        EXPECT_EQ(rig->session.Players().CountHumans(), 1);
        EXPECT_TRUE(rig->Logged("Multiplayer disconnected"));
    }
    // Nothing more comes from the host's side.
    game.Run(kPeerTimeout + 1000);
    EXPECT_EQ(a.table.CurrentStateId(), kScreenMenu);
}

// A started driver (it ends itself after its own time-out).
class TDriver : public vqtest::TChildProcess {
public:
    explicit TDriver(std::vector<std::string> args) : TChildProcess(WithProgram(std::move(args))) {}

private:
    static std::vector<std::string> WithProgram(std::vector<std::string> args)
    {
        args.insert(args.begin(), VQ_MPDRIVER);
        return args;
    }
};

std::vector<std::string> ReadLines(const std::string& file)
{
    std::ifstream in(file);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// A whole game with every peer a process of its own over UDP loopback:
// the host and three clients are the driver program, started here.
TEST_F(SharedGameTest, HostAndThreeClientsInProcessesOfTheirOwnEndAlike)
{
    const std::string dir = home.Path();
    TDriver host({"--host", "--people", "4", "--speed", "2", "--name", "Hannah", "--out", dir + "host.txt", "--log", dir + "host.log"});
    const std::string portLine = host.Line();
    ASSERT_EQ(portLine.rfind("PORT ", 0), 0u) << portLine;
    const std::string port = portLine.substr(5);
    std::vector<std::unique_ptr<TDriver>> clients;
    for (int i = 1; i <= 3; ++i) {
        const std::string name = "Client" + std::to_string(i);
        clients.push_back(std::make_unique<TDriver>(std::vector<std::string>{
            "--join", "127.0.0.1", "--port", port, "--speed", "2", "--name", name, "--out", dir + name + ".txt", "--log",
            dir + name + ".log"}));
        // One at a time, so that the seats are the same as in memory.
        EXPECT_EQ(clients.back()->Line(), "SEATED " + std::to_string(i + 1)) << name;
    }
    for (auto& c : clients) EXPECT_EQ(c->Wait(), 0);
    EXPECT_EQ(host.Wait(), 0);
    const std::vector<std::string> hostOut = ReadLines(dir + "host.txt");
    ASSERT_EQ(hostOut.size(), 4u);
    EXPECT_EQ(hostOut[0], "games 1");
    EXPECT_NE(hostOut[1], "hands 0");
    for (int i = 1; i <= 3; ++i) {
        SCOPED_TRACE(i);
        const std::vector<std::string> out = ReadLines(dir + "Client" + std::to_string(i) + ".txt");
        EXPECT_EQ(out, hostOut);
    }
    // The same game as in memory: the network decides nothing.
    EXPECT_EQ(WithoutIdentities(hostOut[2]), WithoutIdentities(PlayFourPeople({}, 600000)));
}

}  // namespace
