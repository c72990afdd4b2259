// What a shared game costs on the wire and in time. Prints:
// - per hand, the game messages and bytes between the host and its three
//   clients, and the datagrams and bytes the session protocol puts on the
//   wire for them (in memory; clean, and with 10% loss, duplication and
//   reordering);
// - the time of a whole AutoPlay game shared over UDP loopback (host and
//   three clients, each with its own network thread) beside the same game
//   (same seed, same deals and choices) played single-player.
#include "mptable.h"
#include "osClock.h"
#include "qz7netudp.h"
#include "testutil.h"

#include <cstdio>
#include <thread>

using namespace mptest;

namespace {

TTableOptions Options(const std::string& name, uint64_t seed, int32_t people = 4)
{
    TTableOptions o;
    o.seed = seed;
    o.name = name;
    o.expectPeople = people;
    return o;
}

struct TWireFigures {
    int64_t hands = 0;
    int64_t hostMessages = 0, hostBytes = 0, clientMessages = 0, clientBytes = 0;
    int64_t datagrams = 0, datagramBytes = 0;
    int64_t simulatedMs = 0;
};

bool PlayInMemory(uint64_t seed, const TQZNetFaults& faults, TWireFigures& f)
{
    SeedRandom(seed);
    TSharedGame game(seed);
    game.net.SetFaults(faults);
    TPeerRig& host = game.AddHost(Options("Host", seed));
    for (int i = 1; i <= 3; ++i) {
        const std::string name = "Client" + std::to_string(i);
        game.AddClient(Options(name, seed), "c" + std::to_string(i));
        if (!game.RunUntil(600000, [&] { return host.session.Players().CountHumans() == i + 1; })) return false;
    }
    // Only the game itself is counted: from the start to the lobby again.
    const TQZMemoryNetworkStats before = game.net.Stats();
    const TMPTraffic hostBefore = host.multiplayer.Traffic();
    int64_t clientsBefore[2] = {0, 0};
    for (size_t i = 1; i < game.rigs.size(); ++i) {
        clientsBefore[0] += game.rigs[i]->multiplayer.Traffic().messagesSent;
        clientsBefore[1] += game.rigs[i]->multiplayer.Traffic().bytesSent;
    }
    const uint32_t start = game.net.Now();
    if (!game.RunUntil(6000000, [&] { return game.AllBackInLobby(); })) return false;
    const TQZMemoryNetworkStats after = game.net.Stats();
    f.hands += host.table.handsScored;
    f.hostMessages += host.multiplayer.Traffic().messagesSent - hostBefore.messagesSent;
    f.hostBytes += host.multiplayer.Traffic().bytesSent - hostBefore.bytesSent;
    for (size_t i = 1; i < game.rigs.size(); ++i) {
        f.clientMessages += game.rigs[i]->multiplayer.Traffic().messagesSent;
        f.clientBytes += game.rigs[i]->multiplayer.Traffic().bytesSent;
    }
    f.clientMessages -= clientsBefore[0];
    f.clientBytes -= clientsBefore[1];
    f.datagrams += after.sent - before.sent;
    f.datagramBytes += after.bytesSent - before.bytesSent;
    f.simulatedMs += game.net.Now() - start;
    return true;
}

void PrintWire(const char* title, const TWireFigures& f)
{
    const double h = double(std::max<int64_t>(f.hands, 1));
    std::printf("%s: %lld hands\n", title, static_cast<long long>(f.hands));
    std::printf("  game messages per hand: host -> clients %.1f (%.0f bytes), clients -> host %.1f (%.0f bytes)\n",
                double(f.hostMessages) / h, double(f.hostBytes) / h, double(f.clientMessages) / h,
                double(f.clientBytes) / h);
    std::printf("  on the wire per hand: %.1f datagrams, %.0f bytes (all four peers, headers and repeats included)\n",
                double(f.datagrams) / h, double(f.datagramBytes) / h);
    std::printf("  simulated time per hand: %.0f ms\n", double(f.simulatedMs) / h);
}

// A real-time loop over the rigs until done; the wall time in ms.
template <class Done> uint32_t RunRealTime(std::vector<TPeerRig*> rigs, Done done, uint32_t limit)
{
    const uint32_t start = plat::os::TickMilliseconds();
    uint32_t last = start;
    while (!done() && plat::os::TickMilliseconds() - start < limit) {
        const uint32_t now = plat::os::TickMilliseconds();
        if (now == last) {
            std::this_thread::sleep_for(std::chrono::microseconds(100));
            continue;
        }
        for (TPeerRig* rig : rigs) rig->Frame(int32_t(now - last));
        last = now;
    }
    return plat::os::TickMilliseconds() - start;
}

struct TTimedGame {
    uint32_t ms = 0;
    int32_t hands = 0;
    int32_t score[2] = {0, 0};
    bool done = false;
};

TTimedGame SharedOverLoopback(uint64_t seed, int32_t speed)
{
    TLogRouter router;
    std::vector<std::unique_ptr<TPeerRig>> rigs;
    for (int i = 0; i < 4; ++i) {
        TTableOptions o = Options(i ? "Client" + std::to_string(i) : "Host", seed);
        o.speed = speed;
        rigs.push_back(std::make_unique<TPeerRig>(o));
        rigs.back()->keepLog = false;
        rigs.back()->multiplayer.UseNetworkThread(std::make_unique<TQZUdpNetworkThread>(o.name));
    }
    TPeerRig& host = *rigs[0];
    {
        TPeerRig::TScope scope(host);
        // A host that did not open leaves the game undone, which the figures say.
        if (!host.multiplayer.Host(0, "Bench")) return TTimedGame{};
        host.table.EnterLobby();
    }
    std::vector<TPeerRig*> all;
    for (auto& r : rigs) all.push_back(r.get());
    for (int i = 1; i <= 3; ++i) {
        {
            TPeerRig::TScope scope(*rigs[size_t(i)]);
            rigs[size_t(i)]->multiplayer.JoinHost("127.0.0.1", host.multiplayer.LocalPort());
        }
        RunRealTime(all, [&] { return host.session.Players().CountHumans() == i + 1; }, 10000);
    }
    TTimedGame t;
    t.ms = RunRealTime(all, [&] { return host.table.gamesWon > 0 && host.table.CurrentStateId() == STATE_LOBBY; }, 300000);
    t.done = host.table.gamesWon > 0;
    t.hands = host.table.handsScored;
    // The finished game's scores, as the game-won screen saw them.
    TQZKeyValue tree;
    if (tree.ParseText(host.table.gameWonText)) {
        const std::string score = tree.GetString("state.score");
        std::sscanf(score.c_str(), "{%d,%d}", &t.score[0], &t.score[1]);
    }
    for (auto& r : rigs) {
        TPeerRig::TScope scope(*r);
        r->multiplayer.Leave(false);
    }
    return t;
}

TTimedGame SinglePlayer(uint64_t seed, int32_t speed)
{
    TLogRouter router;
    TTableOptions o = Options("Solo", seed);
    o.speed = speed;
    TPeerRig rig(o);
    rig.keepLog = false;
    {
        TPeerRig::TScope scope(rig);
        SeedRandom(seed);
        rig.table.StartSinglePlayer();
    }
    TTimedGame t;
    t.ms = RunRealTime({&rig}, [&] { return rig.table.gamesWon > 0 && rig.table.CurrentStateId() == kScreenMenu; },
                       300000);
    t.done = rig.table.gamesWon > 0;
    t.hands = rig.table.handsScored;
    TQZKeyValue tree;
    if (tree.ParseText(rig.table.gameWonText)) {
        const std::string score = tree.GetString("state.score");
        std::sscanf(score.c_str(), "{%d,%d}", &t.score[0], &t.score[1]);
    }
    return t;
}

}  // namespace

int main()
{
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    vqtest::TempDir home;
    vqtest::ScopedEnv env{"VANTOREL_DATA_HOME", home.Path()};
    TWireFigures clean, lossy;
    TQZNetFaults faults;
    faults.loss = faults.duplicate = faults.reorder = 0.10;
    faults.delay = 5;
    faults.jitter = 10;
    for (uint64_t seed = 1; seed <= 5; ++seed) {
        if (!PlayInMemory(seed, {}, clean) || !PlayInMemory(seed, faults, lossy)) {
            std::printf("a game did not finish (seed %llu)\n", static_cast<unsigned long long>(seed));
            return 1;
        }
    }
    PrintWire("Shared games in memory, five seeds, no faults", clean);
    PrintWire("The same games with 10% loss, duplication and reordering, 5-15 ms delay", lossy);

    const int32_t speed = 2;
    std::printf("\nWhole AutoPlay games, every Speed setting %d ms (wall time):\n", speed);
    for (uint64_t seed = 1; seed <= 3; ++seed) {
        const TTimedGame solo = SinglePlayer(seed, speed);
        const TTimedGame shared = SharedOverLoopback(seed, speed);
        std::printf("  seed %llu: single-player %u ms (%d hands, %d:%d); shared over UDP loopback %u ms (%d hands, "
                    "%d:%d)%s\n",
                    static_cast<unsigned long long>(seed), solo.ms, solo.hands, solo.score[0], solo.score[1],
                    shared.ms, shared.hands, shared.score[0], shared.score[1],
                    solo.done && shared.done ? "" : " [did not finish]");
    }
    return 0;
}
