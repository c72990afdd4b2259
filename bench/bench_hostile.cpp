// Hostile peers against a real host over UDP loopback, in real time. The
// host is the shared-game driver (tests/game/flow/driver) in a process of
// its own, so that its memory and its log are its alone; the attackers and
// the real clients are sockets and sessions of this program. Figures, one
// benchmark each (run by hand; every run starts its own host):
//   salt guessing  - guesses until a member's identity is taken over, or 0
//                    when 100,000 guesses took nothing (Arg 1: the right salt
//                    among them);
//   join floods    - how long a real client takes to join while 40 sockets
//                    repeat joins they never complete, and while joins with
//                    fresh identities arrive at 28,000 a second;
//   early messages - the host's resident memory at the start, at its peak
//                    and after the members left, while N members send
//                    messages ahead of a gap on channels 1, FFFB and FFFE;
//   refusal floods - the host's log lines a second while a member, or
//                    unknown addresses, send 25,000 refused datagrams a second.
#include "childprocess.h"
#include "mgrMultiplayer.h"
#include "qz7falcon.h"
#include "qz7netadmin.h"
#include "qz7netparty.h"
#include "qz7netudp.h"
#include "osClock.h"
#include "osSocket.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

uint32_t Now() { return plat::os::TickMilliseconds(); }
void Nap() { std::this_thread::sleep_for(std::chrono::microseconds(200)); }

// The driver as a host: started, its port read, its memory and log watched,
// and ended.
class THost {
public:
    explicit THost(int32_t party = 0) : dir_(TempDir()), log_(dir_ + "/host.log"), driver_(Args(party))
    {
        const std::string line = driver_.Line();
        if (line.rfind("PORT ", 0) == 0) port_ = uint16_t(std::stoi(line.substr(5)));
    }
    ~THost()
    {
        driver_.Kill();
        std::error_code ignored;
        if (dir_.rfind("/tmp/vq_hostile", 0) == 0) std::filesystem::remove_all(dir_, ignored);
    }
    uint16_t Port() const { return port_; }
    // Resident and peak resident memory in MiB.
    double Rss() const { return Status("VmRSS:"); }
    double Peak() const { return Status("VmHWM:"); }
    int64_t LogLines() const
    {
        std::ifstream in(log_);
        int64_t n = 0;
        for (std::string l; std::getline(in, l);) ++n;
        return n;
    }

private:
    static std::string TempDir()
    {
        char dir[] = "/tmp/vq_hostileXXXXXX";
        return ::mkdtemp(dir) ? dir : "";
    }
    std::vector<std::string> Args(int32_t party) const
    {
        std::vector<std::string> args{VQ_MPDRIVER, "--host", "--people", "4", "--name", "Host", "--out",
                                      dir_ + "/host.txt", "--log", log_, "--timeout", "3600000"};
        if (party > 0) args.insert(args.end(), {"--party", std::to_string(party)});
        return args;
    }
    double Status(const char* key) const
    {
        std::ifstream in("/proc/" + std::to_string(driver_.Pid()) + "/status");
        for (std::string l; std::getline(in, l);)
            if (l.rfind(key, 0) == 0) return double(std::stol(l.substr(std::strlen(key)))) / 1024.0;
        return 0;
    }
    std::string dir_, log_;
    vqtest::TChildProcess driver_;
    uint16_t port_ = 0;
};

// A real client: a session with its party over its own UDP socket.
struct TClient {
    explicit TClient(const std::string& name, uint16_t port)
        : session(kMultiplayerSessionId, std::make_unique<TQZUdpNetworkThread>(name))
    {
        session.GetPartyService();
        session.SetIdentity(MakeIdentity(name));
        session.SetPort(port);
    }
    void Open() { (void)session.Open("127.0.0.1"); }  // the bench waits for the join it measures
    bool Joined() { return session.State() == FS_CLIENT_CONNECTED && session.GetPartyService()->LocalPartyId() != 0; }
    TQZConnection& Link() { return session.Peers().First()->Connection(); }
    TQZFalcon session;
};

TQZByteArray Datagram(uint16_t channel, const TQZByteArray& payload)
{
    TQZByteArray d;
    WriteNetHeader(d, {channel, -1, 0, 0, 0});
    d.insert(d.end(), payload.begin(), payload.end());
    return d;
}

TQZByteArray Join(const TQZIdentity& identity, int32_t salt)
{
    TQZByteArray m;
    TQZNetWriter w(m);
    w.I32(ADMIN_JOIN);
    w.U32(kJoinMagic);
    w.I32(kMultiplayerSessionId);
    WriteIdentity(w, identity);
    w.I32(salt);
    return Datagram(CHANNEL_ADMIN, m);
}

std::vector<std::unique_ptr<plat::os::UdpSocket>> Sockets(int n)
{
    std::vector<std::unique_ptr<plat::os::UdpSocket>> s;
    for (int i = 0; i < n; ++i) {
        s.push_back(std::make_unique<plat::os::UdpSocket>());
        (void)s.back()->Bind(0);  // setup the unit tests prove; not checked again in a benchmark
    }
    return s;
}

void Send(plat::os::UdpSocket& s, uint16_t port, const TQZByteArray& d)
{
    // Setup the unit tests prove; not checked again in a benchmark.
    (void)s.SendTo("127.0.0.1", port, d.data(), d.size());
}

// Runs `each` `rate` times a second for `ms`, stepping the sessions between.
template <class F> void Paced(uint32_t ms, int32_t rate, const std::vector<TQZFalcon*>& sessions, F each)
{
    const uint32_t start = Now();
    int64_t done = 0;
    while (Now() - start < ms) {
        const int64_t due = int64_t(Now() - start) * rate / 1000;
        for (; done < due; ++done) each(done);
        for (auto* s : sessions) s->Process();
        Nap();
    }
}

// Steps the sessions until `done` holds or the time is up; the time taken.
template <class F>
uint32_t Until(uint32_t limit, const std::vector<TQZFalcon*>& sessions, F done, const std::function<void()>& flood = {})
{
    const uint32_t start = Now();
    while (!done() && Now() - start < limit) {
        if (flood) flood();
        for (auto* s : sessions) s->Process();
        Nap();
    }
    return Now() - start;
}

void BM_SaltGuessing(benchmark::State& state)
{
    for (auto _ : state) {
        THost host;
        TClient victim("victim", host.Port());
        const uint32_t opened = Now();
        victim.Open();
        Until(5000, {&victim.session}, [&] { return victim.Joined(); });
        const TQZIdentity identity = victim.session.LocalIdentity();
        const int32_t salt = victim.session.Peers().First()->Salt();
        auto sockets = Sockets(50);
        const int64_t linesBefore = host.LogLines();
        // Sweep from three seconds before the join was opened (the salt was
        // once the clock); with Arg 1 the right salt also comes early and
        // midway, as if the attacker had read it.
        const bool told = state.range(0) == 1;
        int64_t guesses = 0, taken = 0;
        const uint32_t start = Now();
        auto guess = [&](int64_t i) {
            const int32_t g = told && (i == 20 || i == 50000) ? salt : int32_t(opened - 3000 + uint32_t(i));
            Send(*sockets[size_t(i) % sockets.size()], host.Port(), Join(identity, g));
            guesses = i + 1;
        };
        while (guesses < 100000 && !taken) {
            const int64_t from = guesses;
            // 6,000 a second: much faster, the host's queue drops most.
            Paced(10, 6000, {&victim.session}, [&](int64_t k) {
                if (from + k < 100000) guess(from + k);
            });
            std::string a;
            uint16_t p;
            std::vector<uint8_t> d;
            for (auto& s : sockets)
                while (s->ReceiveFrom(a, p, d)) taken = guesses;
        }
        const double seconds = double(Now() - start) / 1000.0;
        state.counters["guesses_sent"] = double(guesses);
        state.counters["takeover_after_guesses"] = double(taken);
        state.counters["takeover_after_ms"] = taken ? seconds * 1000.0 : 0;
        state.counters["log_lines_per_s"] = double(host.LogLines() - linesBefore) / seconds;
        state.counters["victim_still_joined"] = victim.session.IsConnected() ? 1 : 0;
    }
}
BENCHMARK(BM_SaltGuessing)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// Arg 0: 40 sockets repeat their joins (new salt each time) every 5 ms.
// Arg 1: 28,000 joins a second with fresh identities from 64 sockets.
void BM_JoinFlood(benchmark::State& state)
{
    for (auto _ : state) {
        THost host;
        const bool fresh = state.range(0) == 1;
        auto sockets = Sockets(fresh ? 64 : 40);
        std::vector<TQZIdentity> ids;
        for (size_t i = 0; i < sockets.size(); ++i) ids.push_back(MakeIdentity("j" + std::to_string(i)));
        const uint32_t start = Now();
        int64_t sent = 0;
        auto flood = [&] {
            const int64_t due = int64_t(Now() - start) * (fresh ? 28000 : 8000) / 1000;
            for (; sent < due; ++sent) {
                const size_t i = size_t(sent) % sockets.size();
                Send(*sockets[i], host.Port(),
                     Join(fresh ? MakeIdentity("f" + std::to_string(sent)) : ids[i], int32_t(sent)));
            }
        };
        Until(
            2000, {}, [] { return false; }, flood);
        const int64_t linesBefore = host.LogLines();
        const uint32_t before = Now();
        TClient player("player", host.Port());
        player.Open();
        const uint32_t took = Until(
            20000, {&player.session}, [&] { return player.Joined(); }, flood);
        Until(
            3000, {&player.session}, [] { return false; }, flood);
        const double seconds = double(Now() - before) / 1000.0;
        state.counters["joins_per_s"] = double(sent) * 1000.0 / double(Now() - start);
        state.counters["join_ms"] = player.Joined() ? double(took) : -1;
        state.counters["log_lines_per_s"] = double(host.LogLines() - linesBefore) / seconds;
    }
}
BENCHMARK(BM_JoinFlood)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// N members hold back message 1 and send datagrams of 60,000 bytes, then of
// the protocol's largest, on channels 1, FFFB and FFFE.
void BM_EarlyMessages(benchmark::State& state)
{
    for (auto _ : state) {
        const int32_t members = int32_t(state.range(0));
        THost host(members + 1);
        std::vector<std::unique_ptr<TClient>> m;
        std::vector<TQZFalcon*> sessions;
        for (int32_t i = 0; i < members; ++i) {
            m.push_back(std::make_unique<TClient>("m" + std::to_string(i), host.Port()));
            sessions.push_back(&m.back()->session);
            m.back()->Open();
            Until(8000, sessions, [&] { return m.back()->Joined(); });
        }
        Until(1500, sessions, [] { return false; });
        const double start = host.Rss();
        const uint16_t channels[] = {CHANNEL_GAME, CHANNEL_PARTY, CHANNEL_RELAY};
        const int32_t large = 546, small = 3000;  // numbers per channel of each size
        int64_t bytes = 0;
        // Round by round: every member, every channel, the next number; the
        // large datagrams at 4,000 a second (the host takes no more of them),
        // the others at 20,000.
        auto send = [&](int64_t k, int32_t first, size_t size) {
            const int64_t round = k / (int64_t(members) * 3);
            const uint32_t number = uint32_t(first + round) + 2;
            TQZByteArray payload(size - 4, uint8_t(number));
            TQZNetWriter(payload).U32(number);
            bytes += int64_t(payload.size());
            m[size_t(k % members)]->Link().SendDatagram(payload, channels[(k / members) % 3], true);
        };
        const int64_t bigs = int64_t(members) * 3 * large, smalls = int64_t(members) * 3 * small;
        Paced(uint32_t(bigs * 1000 / 4000), 4000, sessions, [&](int64_t k) {
            if (k < bigs) send(k, 0, 60000);
        });
        Paced(uint32_t(smalls * 1000 / 20000), 20000, sessions, [&](int64_t k) {
            if (k < smalls) send(k, large, kNetMaxDatagramPayload);
        });
        Until(2000, sessions, [] { return false; });
        const double peak = host.Peak();
        for (auto& c : m) c->session.Close();
        m.clear();
        std::this_thread::sleep_for(std::chrono::seconds(3));
        state.counters["sent_MiB"] = double(bytes) / (1 << 20);
        state.counters["rss_start_MiB"] = start;
        state.counters["rss_peak_MiB"] = peak;
        state.counters["rss_after_MiB"] = host.Rss();
    }
}
BENCHMARK(BM_EarlyMessages)->Arg(8)->Arg(16)->Arg(32)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// Arg 0: a member sends datagrams the host refuses (no such channel, no
// message number, an invalid join, a malformed part), 25,000 a second for
// five seconds. Arg 1: unknown addresses (16 sockets) send 40-byte junk.
void BM_RefusalFlood(benchmark::State& state)
{
    for (auto _ : state) {
        THost host;
        TClient member("member", host.Port());
        member.Open();
        Until(5000, {&member.session}, [&] { return member.Joined(); });
        auto sockets = Sockets(16);
        const TQZByteArray payloads[] = {{1, 2, 3}, {1, 2}, TQZByteArray(64, 9), {1, 0, 1, 0, 9, 3, 7}};
        const uint16_t channels[] = {77, CHANNEL_GAME, CHANNEL_ADMIN, CHANNEL_MULTIPART};
        const int64_t linesBefore = host.LogLines();
        const uint32_t start = Now();
        Paced(5000, 25000, {&member.session}, [&](int64_t k) {
            if (state.range(0) == 0)
                member.Link().SendDatagram(payloads[k % 4], channels[k % 4], false);
            else
                Send(*sockets[size_t(k) % sockets.size()], host.Port(), TQZByteArray(40, uint8_t(k)));
        });
        const double seconds = double(Now() - start) / 1000.0;
        state.counters["log_lines_per_s"] = double(host.LogLines() - linesBefore) / seconds;
        state.counters["member_still_joined"] = member.session.IsConnected() ? 1 : 0;
    }
}
BENCHMARK(BM_RefusalFlood)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
