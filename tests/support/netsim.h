// Test helpers: sessions on the in-memory transport, stepped by hand in
// simulated milliseconds.
#pragma once

#include "qz7netadmin.h"
#include "qz7netchunk.h"
#include "qz7netmemory.h"
#include "qz7netmultipart.h"
#include "qz7netparty.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace nettest {

constexpr int32_t kSessionId = 731;

// A session with its log captured.
struct TNode {
    TNode(TQZMemoryNetwork& net, const std::string& address) : thread(nullptr)
    {
        auto t = net.CreateEndpoint(address);
        thread = t.get();
        session = std::make_unique<TQZFalcon>(kSessionId, std::move(t));
        session->SetLogCallback(&TNode::OnLog, this);
    }
    static void OnLog(void* user, const std::string& line)
    {
        // Drop the "hh:nn:ss.zzz: " stamp.
        static_cast<TNode*>(user)->log.push_back(line.size() > 14 ? line.substr(14) : line);
    }
    bool Logged(const std::string& text) const
    {
        for (const auto& l : log)
            if (l.find(text) != std::string::npos) return true;
        return false;
    }
    int CountLogged(const std::string& text) const
    {
        int n = 0;
        for (const auto& l : log)
            if (l.find(text) != std::string::npos) ++n;
        return n;
    }
    TQZPeer* FirstPeer() { return session->Peers().First().get(); }

    TQZMemoryNetworkThread* thread;
    std::unique_ptr<TQZFalcon> session;
    std::vector<std::string> log;
};

// Collects what a channel delivers on the main thread.
struct TInbox {
    static void OnReceive(void* user, TQZChannel*, const TQZByteArray& payload)
    {
        static_cast<TInbox*>(user)->messages.push_back(payload);
    }
    static void OnReceipt(void* user, TQZChannel*, const TReceiptRec& receipt)
    {
        static_cast<TInbox*>(user)->receipts.push_back(receipt);
    }
    std::vector<TQZByteArray> messages;
    std::vector<TReceiptRec> receipts;
};

class TSim {
public:
    explicit TSim(uint64_t seed = 1, uint32_t start = 1000) : net(seed, start) { net.UseAsNetClock(); }

    TNode& Add(const std::string& address)
    {
        nodes.push_back(std::make_unique<TNode>(net, address));
        return *nodes.back();
    }
    // One simulated millisecond per pass: every session's step, then every
    // network thread's pass.
    void Run(uint32_t ms)
    {
        for (uint32_t i = 0; i < ms; ++i) {
            net.Advance(1);
            for (auto& n : nodes) n->session->Process();
            for (auto& n : nodes) n->thread->Pump();
        }
    }
    template <class F> bool RunUntil(uint32_t limit, F done)
    {
        for (uint32_t i = 0; i < limit; ++i) {
            if (done()) return true;
            Run(1);
        }
        return done();
    }

    TQZMemoryNetwork net;
    std::vector<std::unique_ptr<TNode>> nodes;
};

// A host and a client joined, each with an ordered game channel whose
// deliveries land in an inbox.
struct TPair {
    explicit TPair(uint64_t seed = 1, uint32_t start = 1000)
        : sim(seed, start), host(sim.Add("host")), client(sim.Add("client"))
    {
        EXPECT_EQ(host.session->Host(), 0);
        EXPECT_EQ(client.session->Open("host"), 0);
        EXPECT_TRUE(sim.RunUntil(2000, [&] { return client.session->State() == FS_CLIENT_CONNECTED; }));
        sim.Run(10);
        hostGame = AddGame(host, hostInbox);
        clientGame = AddGame(client, clientInbox);
    }
    static TQZChannelReliable* AddGame(TNode& node, TInbox& inbox)
    {
        TQZPeer* peer = node.FirstPeer();
        auto* channel = peer->AddChannel(std::make_shared<TQZChannelReliable>(peer, true, CHANNEL_GAME));
        channel->SetReceiveCallback(&TInbox::OnReceive, &inbox);
        channel->SetReceiptCallback(&TInbox::OnReceipt, &inbox);
        return channel;
    }

    TSim sim;
    TNode& host;
    TNode& client;
    TInbox hostInbox, clientInbox;
    TQZChannelReliable* hostGame = nullptr;
    TQZChannelReliable* clientGame = nullptr;
};

inline TQZByteArray Numbered(uint32_t n, size_t size)
{
    TQZByteArray b(size, uint8_t(n * 7 + 1));
    for (size_t i = 0; i < 4 && i < size; ++i) b[i] = uint8_t(n >> (8 * i));
    return b;
}

}  // namespace nettest
