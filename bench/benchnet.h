// Shared by the network benchmarks: messages of 32 bytes per second, one
// way, through the reliable ordered game channel of two connected sessions
// on their real network threads, at most 256 unacknowledged, whatever
// transport carries them.
#pragma once

#include "qz7falcon.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace bench {

// Counts the messages delivered and wakes the sender once a batch is in.
struct TMessageCounter {
    static void OnReceive(void* user, TQZChannel*, const TQZByteArray&)
    {
        auto* self = static_cast<TMessageCounter*>(user);
        if (++self->count >= self->target) {
            std::lock_guard<std::mutex> g(self->lock);
            self->done.notify_all();
        }
    }
    std::atomic<int64_t> count{0};
    int64_t target = 0;
    std::mutex lock;
    std::condition_variable done;
};

// The client sends to the host; both are connected, the client closes at
// the end.
inline void ReliableOrderedThroughput(benchmark::State& state, TQZFalcon& host, TQZFalcon& client)
{
    TMessageCounter counter;
    TQZChannelReliable* out;
    {
        TQZLock hold(host.Lock());
        TQZPeer* peer = host.Peers().First().get();
        auto* in = peer->AddChannel(std::make_shared<TQZChannelReliable>(peer, true, CHANNEL_GAME));
        in->SetDeliverOnNetworkThread(true);
        in->SetReceiveCallback(&TMessageCounter::OnReceive, &counter);
    }
    {
        TQZLock hold(client.Lock());
        TQZPeer* peer = client.Peers().First().get();
        out = peer->AddChannel(std::make_shared<TQZChannelReliable>(peer, true, CHANNEL_GAME));
    }
    const int64_t batch = 20000;
    int64_t total = 0;
    for (auto _ : state) {
        counter.target = total + batch;
        for (int64_t i = 0; i < batch; ++i) {
            while (out->PendingCount() >= 256) {
                client.Process();
                host.Process();
                std::this_thread::yield();
            }
            out->Send(TQZByteArray(32, 1), false);
        }
        while (counter.count.load() < counter.target) {
            client.Process();
            host.Process();
            std::unique_lock<std::mutex> g(counter.lock);
            counter.done.wait_for(g, std::chrono::milliseconds(1));
        }
        total += batch;
    }
    state.SetItemsProcessed(total);
    client.Close();
}

}  // namespace bench
