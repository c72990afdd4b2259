// One peer of a shared game in a process of its own, over UDP: the tests
// start a host and its clients as separate programs on loopback.
//
//   mpdriver --host --people N [--party M] [--seed S] [--speed MS] --out FILE [--log FILE]
//   mpdriver --join ADDRESS --port P --name NAME [--seed S] [--speed MS] --out FILE [--log FILE]
//
// The host prints "PORT <n>" once it listens; a client prints "SEATED <n>"
// once it holds a seat. Back in the lobby after the game each writes what it
// saw to the out file (games won, hands scored, the finished game's text and
// the session in the lobby, one a line). A client then says "done" in the
// chat and waits; once every client has, the host leaves, which ends the
// clients too (so nobody leaves while another has yet to write what it saw).
// Exit code 0 when the game was played.
#include "mptable.h"
#include "osClock.h"
#include "qz7netudp.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>

namespace {

struct TArgs {
    bool host = false;
    std::string join;
    uint16_t port = 0;
    int32_t people = 2;
    int32_t party = 0;  // the party's size when not the game's (benchmarks)
    mptest::TTableOptions table;
    std::string out, log;
    uint32_t timeout = 120000;
};

bool Parse(int argc, char** argv, TArgs& a)
{
    a.table.seed = 5;
    for (int i = 1; i < argc; ++i) {
        const std::string k = argv[i];
        auto next = [&]() -> std::string { return i + 1 < argc ? argv[++i] : std::string(); };
        if (k == "--host") a.host = true;
        else if (k == "--join") a.join = next();
        else if (k == "--port") a.port = uint16_t(std::stoi(next()));
        else if (k == "--people") a.people = std::stoi(next());
        else if (k == "--party") a.party = std::stoi(next());
        else if (k == "--seed") a.table.seed = std::stoull(next());
        else if (k == "--speed") a.table.speed = std::stoi(next());
        else if (k == "--name") a.table.name = next();
        else if (k == "--out") a.out = next();
        else if (k == "--log") a.log = next();
        else if (k == "--timeout") a.timeout = uint32_t(std::stoul(next()));
        else return false;
    }
    a.table.expectPeople = a.people;
    return !a.out.empty() && (a.host || (!a.join.empty() && a.port != 0));
}

// The "done" lines the host has seen in the chat.
class TDoneCounter : public TQZClass {
public:
    void OnChat(TQZClass* payload)
    {
        if (auto* line = dynamic_cast<TMPChatLine*>(payload); line && line->text == kDone) ++count;
    }
    static constexpr const char* kDone = "done";
    int32_t count = 0;
};

void WriteOut(const TArgs& a, mptest::TPeerRig& rig)
{
    mptest::TPeerRig::TScope scope(rig);
    std::ofstream out(a.out);
    out << "games " << rig.table.gamesWon << "\n";
    out << "hands " << rig.table.handsScored << "\n";
    out << rig.table.gameWonText << "\n";
    out << mptest::SharedSessionText(rig.session) << "\n";
}

}  // namespace

int main(int argc, char** argv)
{
    TArgs a;
    if (!Parse(argc, argv, a)) {
        std::fprintf(stderr, "mpdriver: bad arguments\n");
        return 2;
    }
    SeedRandom(a.table.seed);
    mptest::TPeerRig rig(a.table);
    // The network thread logs too: one line at a time into the file.
    std::ofstream log;
    std::mutex logLock;
    rig.keepLog = false;
    if (!a.log.empty()) {
        log.open(a.log);
        rig.echo = [&log, &logLock](const std::string& line) {
            std::lock_guard<std::mutex> guard(logLock);
            log << line << std::endl;  // read while the driver runs
        };
    }
    mptest::TLogRouter router(&rig);
    rig.multiplayer.UseNetworkThread(std::make_unique<TQZUdpNetworkThread>(a.table.name));
    TDoneCounter done;
    {
        mptest::TPeerRig::TScope scope(rig);
        rig.gameflow.Subscribe("CHAT_MESSAGE", MakeMethod<&TDoneCounter::OnChat>(&done));
        if (a.host) {
            if (!rig.multiplayer.Host(0, "Loopback lobby")) return 3;
            // Setup: what the test checks after it shows whether it took.
            if (a.party > 0) (void)rig.multiplayer.Party()->SetMaxPartySize(a.party);
            rig.table.EnterLobby();
            std::printf("PORT %u\n", unsigned(rig.multiplayer.LocalPort()));
        } else {
            rig.multiplayer.JoinHost(a.join, a.port);
        }
        std::fflush(stdout);
    }
    const uint32_t start = plat::os::TickMilliseconds();
    uint32_t last = start;
    bool seated = false, written = false;
    while (plat::os::TickMilliseconds() - start < a.timeout) {
        uint32_t now = plat::os::TickMilliseconds();
        if (now == last) {
            std::this_thread::sleep_for(std::chrono::microseconds(200));
            continue;
        }
        rig.Frame(int32_t(now - last));
        last = now;
        // Seated once the host's session has come: it holds the host and us.
        if (!a.host && !seated && rig.session.Players().LocalPlayer() && rig.session.Players().CountHumans() >= 2 &&
            rig.table.CurrentStateId() == STATE_LOBBY) {
            seated = true;
            std::printf("SEATED %d\n", rig.session.Players().LocalPlayer()->SeatId());
            std::fflush(stdout);
        }
        if (rig.table.backInLobby && !written) {
            WriteOut(a, rig);
            written = true;
            if (!a.host) {
                mptest::TPeerRig::TScope scope(rig);
                rig.multiplayer.SendAction(TDoneCounter::kDone, a.table.name, rig.session.LocalSeat());
            }
        }
        if (a.host && written && done.count >= a.people - 1 && rig.multiplayer.IsMultiplayer()) {
            mptest::TPeerRig::TScope scope(rig);
            rig.multiplayer.Leave(false);
        }
        if (written && !rig.multiplayer.IsMultiplayer()) break;
    }
    {
        mptest::TPeerRig::TScope scope(rig);
        rig.gameflow.Unsubscribe("CHAT_MESSAGE", MakeMethod<&TDoneCounter::OnChat>(&done));
    }
    if (!written) std::fprintf(stderr, "mpdriver: %s timed out\n", a.table.name.c_str());
    return written ? 0 : 1;
}
