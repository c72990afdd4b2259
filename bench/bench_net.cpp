// The session protocol measured: (a) latency of small reliable ordered
// messages over a lossy link with a varying round trip and (b) the time of a
// 1 MiB chunk transfer, both in simulated time on the in-memory transport,
// so the figures are exact and the same on every machine; (c) messages per
// second one way through the reliable ordered game channel on loopback UDP.
#include "benchnet.h"
#include "netsim.h"
#include "qz7netudp.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <thread>

namespace {

// A joined pair that keeps neither logs nor deliveries (the benchmarks set their own receivers).
constexpr nettest::TPairOptions kQuiet{.keepLog = false, .keepDeliveries = false};

struct TArrivals {
    static void OnReceive(void* user, TQZChannel*, const TQZByteArray& payload)
    {
        auto* self = static_cast<TArrivals*>(user);
        TQZNetReader r(payload);
        self->at.push_back({r.U32(), self->net->Now()});
    }
    TQZMemoryNetwork* net = nullptr;
    std::vector<std::pair<uint32_t, uint32_t>> at;  // message, arrival time
};

// (a) 10% loss, one-way delay 30..62 ms (a round trip of 60 to 125 ms), an
// 8-byte message every 20 ms, 1000 messages.
void BM_ReliableOrderedLatencyUnderLoss(benchmark::State& state)
{
    double average = 0, maximum = 0;
    for (auto _ : state) {
        nettest::TPair pair(uint64_t(state.range(0)), 1000, kQuiet);
        TQZMemoryNetwork& net = pair.sim.net;
        TArrivals arrivals;
        arrivals.net = &net;
        pair.hostGame->SetReceiveCallback(&TArrivals::OnReceive, &arrivals);
        TQZChannelReliable* out = pair.clientGame;
        net.SetFaults({0.10, 0, 0, 30, 32, 0});
        const uint32_t count = 1000;
        std::vector<uint32_t> sentAt(count);
        for (uint32_t i = 0; i < count; ++i) {
            TQZByteArray m;
            TQZNetWriter w(m);
            w.U32(i);
            w.U32(0);
            sentAt[i] = net.Now();
            out->Send(m, false);
            pair.Step(20);
        }
        while (arrivals.at.size() < count) pair.Step(1);
        double sum = 0;
        maximum = 0;
        for (auto [n, t] : arrivals.at) {
            const double latency = double(t - sentAt[n]);
            sum += latency;
            maximum = std::max(maximum, latency);
        }
        average = sum / count;
    }
    state.counters["avg_ms"] = average;
    state.counters["max_ms"] = maximum;
}
BENCHMARK(BM_ReliableOrderedLatencyUnderLoss)->Arg(1)->Arg(2)->Arg(3)->Iterations(1)->Unit(benchmark::kMillisecond);

struct TWhole {
    static void OnReceive(void* user, TQZChannel*, const TQZByteArray& payload)
    {
        static_cast<TWhole*>(user)->size = payload.size();
    }
    size_t size = 0;
};

// (b) 1 MiB through the chunk channel at a 50 ms round trip; the argument is
// the loss in percent.
void BM_ChunkMebibyte(benchmark::State& state)
{
    double seconds = 0;
    for (auto _ : state) {
        nettest::TPair pair(7, 1000, kQuiet);
        TQZPeer* hostPeer = pair.host.FirstPeer();
        TQZPeer* clientPeer = pair.client.FirstPeer();
        TWhole whole;
        auto* in = hostPeer->AddChannel(std::make_shared<TQZChannel>(hostPeer, 9));
        in->SetReceiveCallback(&TWhole::OnReceive, &whole);
        clientPeer->AddChannel(std::make_shared<TQZChannel>(clientPeer, 9));
        pair.sim.net.SetFaults({double(state.range(0)) / 100.0, 0, 0, 25, 0, 0});
        const uint32_t start = pair.sim.net.Now();
        clientPeer->Chunk()->SendData(TQZByteArray(1 << 20, 0x5A), 9);
        while (whole.size == 0) pair.Step(1);
        seconds = double(pair.sim.net.Now() - start) / 1000.0;
    }
    state.counters["sim_seconds"] = seconds;
}
BENCHMARK(BM_ChunkMebibyte)->Arg(0)->Arg(5)->Arg(20)->Iterations(1)->Unit(benchmark::kMillisecond);

// (c) Real time on loopback UDP: messages of 32 bytes, one way, through the
// reliable ordered game channel, with at most 256 unacknowledged.
void BM_UdpReliableOrderedThroughput(benchmark::State& state)
{
    SetNetTimeSource(nullptr);
    TQZFalcon host(731, std::make_unique<TQZUdpNetworkThread>("bench-host"));
    TQZFalcon client(731, std::make_unique<TQZUdpNetworkThread>("bench-client"));
    host.SetPort(0);
    if (host.Host() != 0) {
        state.SkipWithError("the host did not open a loopback port");
        return;
    }
    client.SetPort(static_cast<TQZUdpNetworkThread*>(host.Thread())->LocalPort());
    (void)client.Open("127.0.0.1");
    while (client.State() != FS_CLIENT_CONNECTED) {
        host.Process();
        client.Process();
        std::this_thread::yield();
    }
    bench::ReliableOrderedThroughput(state, host, client);
}
BENCHMARK(BM_UdpReliableOrderedThroughput)->UseRealTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
