// The Steam transport over the in-process hub: (a) raw datagrams per second
// between two transports stepped by hand (the cost of the layer and the hub
// without threads); (b) messages of 32 bytes per second, one way, through the
// reliable ordered game channel of two sessions on their real network
// threads, at most 256 unacknowledged: the figure to set beside loopback UDP
// in bench_net.
#include "benchnet.h"
#include "qz7falcon.h"
#include "qz7netsteam.h"
#include "swHub.h"
#include "testutil.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <thread>

namespace sw = plat::steamworks;

namespace {

constexpr sw::UserId kHost = 9001;
constexpr sw::UserId kClient = 9002;

struct THubPair {
    vqtest::TempDir home;
    std::shared_ptr<sw::Hub> hub = std::make_shared<sw::Hub>(home.Path());
    std::unique_ptr<TQZSteam> host, client;
    THubPair()
    {
        hub->AddUser(kHost, "bench-host");
        hub->AddUser(kClient, "bench-client");
        host = CreateSingleton<TQZSteam>(hub->SignIn(kHost));
        client = CreateSingleton<TQZSteam>(hub->SignIn(kClient));
    }
};

struct TCounter {
    static void OnPacket(void* user, const TQZNetPacket&) { ++static_cast<TCounter*>(user)->count; }
    std::atomic<int64_t> count{0};
};

// (a) 100-byte datagrams in batches of 32, one way.
void BM_SteamTransportDatagrams(benchmark::State& state)
{
    THubPair pair;
    TQZNetworkThreadSteam host(pair.host.get(), false), client(pair.client.get(), false);
    TCounter counter;
    if (host.Host(6969) != 0) {
        state.SkipWithError("the host transport did not open");
        return;
    }
    TQZNetPacket remote;
    (void)client.Connect(std::to_string(kHost), 6969, remote);
    pair.host->RunFrame();
    host.SetUnknownCallback(&TCounter::OnPacket, &counter);
    const TQZNetPacket datagram{remote.address, remote.port, 0, TQZByteArray(100, 7)};
    int64_t sent = 0;
    for (auto _ : state) {
        for (int i = 0; i < 32; ++i) client.QueueDatagram(datagram);
        client.Pump();
        host.Pump();
        sent += 32;
    }
    if (counter.count.load() != sent) state.SkipWithError("datagrams lost");
    state.SetItemsProcessed(sent);
}
BENCHMARK(BM_SteamTransportDatagrams);

// (b) Real threads, real clock.
void BM_SteamReliableOrderedThroughput(benchmark::State& state)
{
    SetNetTimeSource(nullptr);
    THubPair pair;
    TQZFalcon host(731, std::make_unique<TQZNetworkThreadSteam>(pair.host.get()));
    TQZFalcon client(731, std::make_unique<TQZNetworkThreadSteam>(pair.client.get()));
    if (host.Host() != 0) {
        state.SkipWithError("the host did not open");
        return;
    }
    (void)client.Open(std::to_string(kHost));
    while (client.State() != FS_CLIENT_CONNECTED) {
        pair.host->RunFrame();
        pair.client->RunFrame();
        host.Process();
        client.Process();
        std::this_thread::yield();
    }
    bench::ReliableOrderedThroughput(state, host, client);
}
BENCHMARK(BM_SteamReliableOrderedThroughput)->UseRealTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
