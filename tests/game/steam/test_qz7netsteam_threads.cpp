// The network thread over the hub with real threads: session requests reach
// the peer list on the main thread while the loop adds greeting users on its
// own. The main thread waits on what the threads report, with a deadline.
#include "steamtest.h"

#include "qz7falcon.h"
#include "qz7netadmin.h"
#include "qz7netsteam.h"

#include <chrono>
#include <condition_variable>
#include <set>

using namespace steamtest;

namespace {

struct TWatch {
    std::mutex lock;
    std::condition_variable changed;
    uint64_t events = 0;
    size_t received = 0;

    void Poke()
    {
        {
            std::lock_guard<std::mutex> g(lock);
            ++events;
        }
        changed.notify_all();
    }
    static void OnLog(void* user, const std::string&) { static_cast<TWatch*>(user)->Poke(); }
    static void OnPacket(void* user, const TQZNetPacket&)
    {
        auto* self = static_cast<TWatch*>(user);
        {
            std::lock_guard<std::mutex> g(self->lock);
            ++self->received;
            ++self->events;
        }
        self->changed.notify_all();
    }
    static void OnReceive(void* user, TQZChannel*, const TQZByteArray&) { OnPacket(user, TQZNetPacket{}); }
    size_t Received()
    {
        std::lock_guard<std::mutex> g(lock);
        return received;
    }
    // Runs the step until the condition holds, waiting between steps for
    // what a thread reports; false after the deadline.
    template <class S, class F> bool Until(S step, F done)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < deadline) {
            step();
            if (done()) return true;
            std::unique_lock<std::mutex> g(lock);
            const uint64_t seen = events;
            changed.wait_for(g, std::chrono::milliseconds(20), [&] { return events != seen; });
        }
        return done();
    }
};

TEST_F(THubFixture, GreetingsAndSessionRequestsShareThePeerListSafely)
{
    TWatch watch;
    auto anna = User(kAnna);
    TQZNetworkThreadSteam host(anna->steam.get());
    host.SetUnknownCallback(&TWatch::OnPacket, &watch);
    std::vector<std::unique_ptr<TUser>> users;
    std::vector<std::unique_ptr<TQZNetworkThreadSteam>> clients;
    for (sw::UserId id : {kBram, kCora, kDirk}) {
        users.push_back(User(id));
        clients.push_back(std::make_unique<TQZNetworkThreadSteam>(users.back()->steam.get(), false));
    }
    const size_t rounds = 200;
    for (size_t round = 0; round < rounds; ++round) {
        ASSERT_EQ(host.Host(6969), 0);
        for (auto& c : clients) {
            TQZNetPacket remote;
            ASSERT_EQ(c->Connect(std::to_string(kAnna), 6969, remote), 0);
            c->QueueDatagram(TQZNetPacket{remote.address, remote.port, 0, {1, 2, 3}});
            c->Pump();
        }
        // The requests are accepted here while the loop takes the greetings.
        const size_t expected = clients.size() * (round + 1);
        ASSERT_TRUE(watch.Until([&] { anna->steam->RunFrame(); }, [&] { return watch.Received() == expected; }))
            << "round " << round;
        const auto peers = host.Peers();
        EXPECT_EQ(std::set<uint64_t>(peers.begin(), peers.end()), (std::set<uint64_t>{kBram, kCora, kDirk}));
        EXPECT_EQ(peers.size(), 3u) << "no user twice";
        host.Close();
    }
}

TEST_F(THubFixture, SessionsOnRealThreadsJoinAndCarryAGame)
{
    TWatch watch;
    auto anna = User(kAnna);
    std::vector<std::unique_ptr<TUser>> users;
    std::vector<std::unique_ptr<TQZFalcon>> clients;
    TQZFalcon host(731, std::make_unique<TQZNetworkThreadSteam>(anna->steam.get()));
    host.SetLogCallback(&TWatch::OnLog, &watch);
    for (sw::UserId id : {kBram, kCora, kDirk}) {
        users.push_back(User(id));
        clients.push_back(std::make_unique<TQZFalcon>(731, std::make_unique<TQZNetworkThreadSteam>(users.back()->steam.get())));
        clients.back()->SetLogCallback(&TWatch::OnLog, &watch);
    }
    auto step = [&] {
        anna->steam->RunFrame();
        for (auto& u : users) u->steam->RunFrame();
        host.Process();
        for (auto& c : clients) c->Process();
    };
    ASSERT_EQ(host.Host(), 0);
    for (auto& c : clients) ASSERT_EQ(c->Open(std::to_string(kAnna)), 0);
    ASSERT_TRUE(watch.Until(step, [&] {
        for (auto& c : clients)
            if (c->State() != FS_CLIENT_CONNECTED) return false;
        return host.Peers().ConnectedPeers().size() == clients.size();
    }));
    auto* transport = static_cast<TQZNetworkThreadSteam*>(host.Thread());
    EXPECT_EQ(transport->Peers().size(), 3u);

    // Every client sends its part of a game to the host.
    for (const auto& peer : host.Peers().Snapshot()) {
        TQZLock hold(host.Lock());
        auto* inbox = peer->AddChannel(std::make_shared<TQZChannelReliable>(peer.get(), true, CHANNEL_GAME));
        inbox->SetDeliverOnNetworkThread(true);
        inbox->SetReceiveCallback(&TWatch::OnReceive, &watch);
    }
    std::vector<TQZChannelReliable*> games;
    for (auto& c : clients) {
        TQZLock hold(c->Lock());
        TQZPeer* peer = c->Peers().First().get();
        games.push_back(peer->AddChannel(std::make_shared<TQZChannelReliable>(peer, true, CHANNEL_GAME)));
    }
    const size_t each = 100;
    for (size_t i = 0; i < each; ++i)
        for (auto* g : games) g->Send(TQZByteArray(16 + i % 50, uint8_t(i)), false);
    ASSERT_TRUE(watch.Until(step, [&] { return watch.Received() == each * games.size(); }));

    for (auto& c : clients) c->Close();
    ASSERT_TRUE(watch.Until(step, [&] { return host.State() == FS_HOST_READY; }));
    host.Close();
    EXPECT_TRUE(transport->Peers().empty());
    clients.clear();
}

}  // namespace
