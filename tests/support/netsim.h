// Sessions on the in-memory transport, stepped by hand in simulated
// milliseconds, and a host and client joined with their game channels: used
// by the online tests, the network fuzz targets and the network benchmark.
#pragma once

#include "qz7falcon.h"
#include "qz7netadmin.h"
#include "qz7netchunk.h"
#include "qz7netmemory.h"
#include "qz7netmultipart.h"
#include "qz7netparty.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace nettest {

constexpr int32_t kSessionId = 731;

// A session and its endpoint; its log captured when asked (a fuzz run would
// pile up lines without end).
struct TNode {
    TNode(TQZMemoryNetwork& net, const std::string& address, bool keepLog = true) : thread(nullptr)
    {
        auto t = net.CreateEndpoint(address);
        thread = t.get();
        session = std::make_unique<TQZFalcon>(kSessionId, std::move(t));
        if (keepLog) session->SetLogCallback(&TNode::OnLog, this);
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

// Collects what a channel delivers on the main thread, or only counts it.
struct TInbox {
    static void OnReceive(void* user, TQZChannel*, const TQZByteArray& payload)
    {
        auto* self = static_cast<TInbox*>(user);
        ++self->received;
        if (self->keep) self->messages.push_back(payload);
    }
    static void OnReceipt(void* user, TQZChannel*, const TReceiptRec& receipt)
    {
        auto* self = static_cast<TInbox*>(user);
        if (self->keep) self->receipts.push_back(receipt);
    }
    bool keep = true;
    size_t received = 0;
    std::vector<TQZByteArray> messages;
    std::vector<TReceiptRec> receipts;
};

class TSim {
public:
    explicit TSim(uint64_t seed = 1, uint32_t start = 1000) : net(seed, start) { net.UseAsNetClock(); }

    TNode& Add(const std::string& address, bool keepLog = true)
    {
        nodes.push_back(std::make_unique<TNode>(net, address, keepLog));
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

struct TPairOptions {
    bool keepLog = true;         // each session's log lines kept in its node
    bool keepDeliveries = true;  // game channel deliveries kept in the inboxes, not only counted
    bool party = false;          // both sessions with their party service before joining
};

// A host and a client joined, each with an ordered game channel whose
// deliveries land in an inbox. A pair that cannot join is a broken harness:
// it says so and stops the program.
struct TPair {
    explicit TPair(uint64_t seed = 1, uint32_t start = 1000, TPairOptions options = {})
        : sim(seed, start), host(sim.Add("host", options.keepLog)), client(sim.Add("client", options.keepLog))
    {
        hostInbox.keep = clientInbox.keep = options.keepDeliveries;
        if (options.party) {
            host.session->GetPartyService();
            client.session->GetPartyService();
        }
        if (!Join()) {
            std::fprintf(stderr, "netsim: the host and the client did not join\n");
            std::abort();
        }
    }

    void Step(uint32_t ms) { sim.Run(ms); }
    bool Joined() { return client.session->State() == FS_CLIENT_CONNECTED && host.session->IsConnected(); }
    // Joins the pair again when something broke it apart; false when it could not.
    bool Heal()
    {
        if (Joined()) return true;
        client.session->Close();
        host.session->Close();
        return Join();
    }

    static TQZChannelReliable* AddGame(TNode& node, TInbox& inbox)
    {
        TQZPeer* peer = node.FirstPeer();
        if (!peer) return nullptr;
        if (auto existing = peer->FindChannel(CHANNEL_GAME))
            return dynamic_cast<TQZChannelReliable*>(existing.get());
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

private:
    bool Join()
    {
        if (host.session->Host() != 0 || client.session->Open("host") != 0) return false;
        if (!sim.RunUntil(3000, [&] { return client.session->State() == FS_CLIENT_CONNECTED; })) return false;
        sim.Run(10);
        hostGame = AddGame(host, hostInbox);
        clientGame = AddGame(client, clientInbox);
        return hostGame && clientGame;
    }
};

// An endpoint that speaks hand-built datagrams: a hostile peer. It counts
// what reaches it.
struct TRaw {
    TRaw(TSim& sim, const std::string& address, uint16_t port = 77) : thread(sim.net.CreateEndpoint(address))
    {
        (void)thread->Host(port);  // the in-memory transport takes any port
        thread->SetUnknownCallback(&TRaw::OnHeard, this);
    }
    static void OnHeard(void* user, const TQZNetPacket&) { ++static_cast<TRaw*>(user)->heard; }
    // Queued; it goes out with the next Pump (or Send).
    void Queue(const std::string& to, uint16_t port, uint16_t channel, const TQZByteArray& payload, int32_t seq = -1)
    {
        TQZNetPacket p{to, port, 0, {}};
        WriteNetHeader(p.bytes, {channel, seq, 0, 0, 0});
        p.bytes.insert(p.bytes.end(), payload.begin(), payload.end());
        thread->QueueDatagram(p);
    }
    void Send(const std::string& to, uint16_t port, uint16_t channel, const TQZByteArray& payload, int32_t seq = -1)
    {
        Queue(to, port, channel, payload, seq);
        thread->Pump();
    }
    std::unique_ptr<TQZMemoryNetworkThread> thread;
    int64_t heard = 0;
};

inline TQZByteArray JoinPayload(uint32_t magic, int32_t sessionId, const TQZIdentity& identity, int32_t salt,
                                int32_t kind = 1)
{
    TQZByteArray m;
    TQZNetWriter w(m);
    w.I32(kind);
    w.U32(magic);
    w.I32(sessionId);
    WriteIdentity(w, identity);
    w.I32(salt);
    return m;
}

inline TQZByteArray WelcomePayload(const TQZIdentity& identity, int32_t salt)
{
    TQZByteArray m;
    TQZNetWriter w(m);
    w.I32(ADMIN_WELCOME);
    WriteIdentity(w, identity);
    w.I32(salt);
    return m;
}

// Chunk channel messages as a sender writes them.
inline TQZByteArray ChunkControl(int32_t op, int32_t id, int64_t length, uint16_t target)
{
    TQZByteArray m;
    TQZNetWriter w(m);
    w.I32(CHUNK_CONTROL);
    w.I32(op);
    w.I32(id);
    w.Zero(4);
    w.I64(length);
    w.U16(target);
    w.Zero(6);
    return m;
}

inline TQZByteArray ChunkSlice(int32_t id, int32_t index, size_t length)
{
    TQZByteArray m;
    TQZNetWriter w(m);
    w.I32(CHUNK_SLICE);
    w.I32(id);
    w.I32(index);
    w.Zero(length);
    return m;
}

inline TQZByteArray Numbered(uint32_t n, size_t size)
{
    TQZByteArray b(size, uint8_t(n * 7 + 1));
    for (size_t i = 0; i < 4 && i < size; ++i) b[i] = uint8_t(n >> (8 * i));
    return b;
}

}  // namespace nettest
