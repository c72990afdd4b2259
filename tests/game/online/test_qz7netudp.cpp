// Two sessions in one process over loopback UDP, each with its real network
// thread. The main thread steps the sessions and waits on what the threads
// report, never on a fixed sleep.
#include "qz7falcon.h"
#include "qz7netadmin.h"
#include "qz7netudp.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace {

struct TWatch {
    std::mutex lock;
    std::condition_variable changed;
    uint64_t events = 0;
    std::vector<TQZByteArray> received;

    void Poke()
    {
        {
            std::lock_guard<std::mutex> g(lock);
            ++events;
        }
        changed.notify_all();
    }
    static void OnLog(void* user, const std::string&) { static_cast<TWatch*>(user)->Poke(); }
    static void OnReceive(void* user, TQZChannel*, const TQZByteArray& payload)
    {
        auto* self = static_cast<TWatch*>(user);
        {
            std::lock_guard<std::mutex> g(self->lock);
            self->received.push_back(payload);
            ++self->events;
        }
        self->changed.notify_all();
    }
    size_t Count()
    {
        std::lock_guard<std::mutex> g(lock);
        return received.size();
    }
};

// Steps both sessions until the condition holds, waking whenever a network
// thread reports something; false after the deadline.
template <class F> bool StepUntil(TWatch& watch, TQZFalcon& a, TQZFalcon& b, F done)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
        a.Process();
        b.Process();
        if (done()) return true;
        std::unique_lock<std::mutex> g(watch.lock);
        const uint64_t seen = watch.events;
        watch.changed.wait_for(g, std::chrono::milliseconds(20), [&] { return watch.events != seen; });
    }
    return done();
}

TEST(NetUdp, TwoSessionsJoinAndTalkOverLoopback)
{
    TWatch watch;
    TQZFalcon host(731, std::make_unique<TQZUdpNetworkThread>("udp-host"));
    TQZFalcon client(731, std::make_unique<TQZUdpNetworkThread>("udp-client"));
    host.SetLogCallback(&TWatch::OnLog, &watch);
    client.SetLogCallback(&TWatch::OnLog, &watch);
    host.SetPort(0);
    ASSERT_EQ(host.Host(), 0);
    const uint16_t port = static_cast<TQZUdpNetworkThread*>(host.Thread())->LocalPort();
    ASSERT_NE(port, 0);
    client.SetPort(port);
    ASSERT_EQ(client.Open("127.0.0.1"), 0);
    ASSERT_TRUE(StepUntil(watch, host, client, [&] { return client.State() == FS_CLIENT_CONNECTED; }));
    EXPECT_EQ(host.State(), FS_HOST_CONNECTED);
    EXPECT_EQ(host.Peers().First()->Identity().name, "udp-client");

    TQZChannelReliable* game;
    {
        TQZLock hold(host.Lock());
        TQZPeer* peer = host.Peers().First().get();
        auto* inbox = peer->AddChannel(std::make_shared<TQZChannelReliable>(peer, true, CHANNEL_GAME));
        inbox->SetDeliverOnNetworkThread(true);
        inbox->SetReceiveCallback(&TWatch::OnReceive, &watch);
    }
    {
        TQZLock hold(client.Lock());
        TQZPeer* peer = client.Peers().First().get();
        game = peer->AddChannel(std::make_shared<TQZChannelReliable>(peer, true, CHANNEL_GAME));
    }
    const uint32_t count = 500;
    for (uint32_t i = 0; i < count; ++i) {
        TQZByteArray m(4 + i % 300, uint8_t(i));
        TQZNetWriter(m).U32(i);
        game->Send(m, false);
        if (i % 50 == 49) {
            ASSERT_TRUE(StepUntil(watch, host, client, [&] { return watch.Count() >= i - 20; }));
        }
    }
    ASSERT_TRUE(StepUntil(watch, host, client, [&] { return watch.Count() >= count; }));
    {
        std::lock_guard<std::mutex> g(watch.lock);
        ASSERT_EQ(watch.received.size(), count);
        for (uint32_t i = 0; i < count; ++i) {
            ASSERT_EQ(watch.received[i].size(), 8 + i % 300);
            TQZNetReader r(watch.received[i].data() + watch.received[i].size() - 4, 4);
            EXPECT_EQ(r.U32(), i);
        }
    }
    client.Close();
    ASSERT_TRUE(StepUntil(watch, host, client, [&] { return host.State() == FS_HOST_READY; }));
}

TEST(NetUdp, PeersFreedWhileDatagramsArriveAreNeverTouched)
{
    // The host lets its peers go while the client's datagrams keep landing on
    // its network thread, three times over.
    TWatch watch;
    TQZFalcon host(731, std::make_unique<TQZUdpNetworkThread>("udp-host"));
    TQZFalcon client(731, std::make_unique<TQZUdpNetworkThread>("udp-client"));
    host.SetLogCallback(&TWatch::OnLog, &watch);
    client.SetLogCallback(&TWatch::OnLog, &watch);
    host.SetPort(0);
    ASSERT_EQ(host.Host(), 0);
    client.SetPort(static_cast<TQZUdpNetworkThread*>(host.Thread())->LocalPort());
    for (int round = 0; round < 3; ++round) {
        ASSERT_EQ(client.Open("127.0.0.1"), 0);
        ASSERT_TRUE(StepUntil(watch, host, client, [&] { return client.State() == FS_CLIENT_CONNECTED; }));
        TQZChannelReliable* out;
        {
            TQZLock hold(client.Lock());
            TQZPeer* peer = client.Peers().First().get();
            out = peer->AddChannel(std::make_shared<TQZChannelReliable>(peer, true, CHANNEL_GAME));
        }
        for (int i = 0; i < 120; ++i) {
            out->Send(TQZByteArray(40, uint8_t(i)), false);
            if (i == 60) host.ReleaseAll();  // the port stays bound
            if (i % 30 == 0) {
                host.Process();
                client.Process();
            }
        }
        client.Close();
        host.Process();
    }
    EXPECT_TRUE(host.IsHost());
    EXPECT_EQ(host.Peers().Count(), 0);
}

TEST(NetUdp, OpenRefusesAnAddressItCannotReach)
{
    TQZFalcon client(731, std::make_unique<TQZUdpNetworkThread>("udp-client"));
    EXPECT_NE(client.Open("not an address"), 0);
    EXPECT_EQ(client.State(), FS_DISCONNECTED);
}

TEST(NetUdp, RegisteredClassIsWhatTheSessionMakes)
{
    RegisterNetworkThreadClass(nullptr);
    EXPECT_EQ(CreateNetworkThread(), nullptr);
    RegisterUdpNetworkThread();
    TQZFalcon session(731, nullptr);
    EXPECT_NE(dynamic_cast<TQZUdpNetworkThread*>(session.Thread()), nullptr);
    RegisterNetworkThreadClass(nullptr);
}

}  // namespace
