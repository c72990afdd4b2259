// The network thread over the service's networking messages: an address is
// a user id written in decimal and the port picks the message channel. A
// host accepts every session a user asks for; a client greets the host with
// the hello word first, so the host learns of it from both.
//
// Threads: Host, Connect and Close run on the main thread, as do the session
// requests (they arrive through the layer's RunFrame); Receive, Send and Wait
// on the loop's thread. The peer list is shared by both, under its lock.
#pragma once

#include "qz7netthread.h"
#include "qz7steam.h"

#include <condition_variable>
#include <deque>

// The greeting a client sends first: bytes D0 EA ED 1C.
constexpr uint32_t kSteamHelloWord = 0x1CEDEAD0;
// Messages taken from the channel in one go, at most.
constexpr int32_t kSteamReceiveBatch = 32;
constexpr int32_t kSteamWaitMax = 2500;

// Port 6969 is channel 2; any other port is the channel of its low byte.
uint8_t SteamChannelForPort(uint16_t port);
// How long the loop waits for the next due time: at most 25 ms ahead,
// never less than 1 ms, and -1 (not at all) when that time has passed.
int32_t SteamWaitTime(uint32_t nextDue, uint32_t now);

class TQZNetworkThreadSteam : public TQZNetworkThread {
public:
    enum TState { Closed = 0, Hosting = 1, Connecting = 2 };

    // The layer is not owned. Without a thread of its own (ownThread false)
    // the owner runs the loop by hand with Pump.
    explicit TQZNetworkThreadSteam(TQZSteam* steam, bool ownThread = true);
    ~TQZNetworkThreadSteam() override;

    [[nodiscard]] int32_t Host(uint16_t port) override;
    // Fails for an address that is not a user id.
    [[nodiscard]] int32_t Connect(const std::string& address, uint16_t port, TQZNetPacket& remote) override;
    void Close() override;
    std::string GetLocalAddress() override;
    bool IsOpen() override { return state_.load() != Closed; }
    void Wait(uint32_t until) override;
    [[nodiscard]] bool Receive(TQZNetPacket& packet) override;
    [[nodiscard]] bool Send(const TQZNetPacket& packet) override;
    void Clear() override;
    // Stops taking session requests and being woken by arriving messages.
    void Detach();

    // Any thread.
    std::vector<uint64_t> Peers();
    TState State() const { return state_.load(); }
    uint8_t Channel() const { return channel_.load(); }

protected:
    void DoWake() override;

private:
    void OnSessionRequest(uint64_t user);
    void AddPeer(uint64_t user);
    void Pull();
    void Begin();

    TQZSteam* steam_;
    bool ownThread_;
    std::atomic<TState> state_{Closed};
    std::atomic<uint8_t> channel_{0};
    std::mutex peersLock_;
    std::vector<uint64_t> peers_;
    // Received datagrams not yet handed out; the loop's thread only.
    std::deque<TQZNetPacket> inbox_;
    // The wake-up event; shared with the message hook, which a sender may
    // still hold while this transport goes away.
    struct TWake {
        std::mutex lock;
        std::condition_variable signal;
        bool woken = false;
        void Set();
        void WaitFor(int32_t ms);
    };
    std::shared_ptr<TWake> wake_ = std::make_shared<TWake>();
};

// Makes this transport, on the layer's singleton, the class the session
// instantiates.
void RegisterSteamNetworkThread();
