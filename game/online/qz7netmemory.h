// An in-memory packet transport: endpoints with addresses exchange datagrams
// through a hub with a simulated clock and seeded faults (loss, duplication,
// reordering, delay with jitter, a partition that cuts an endpoint off).
// Its network threads never run on their own; the owner pumps them by hand.
#pragma once

#include "qz7netthread.h"

#include <map>
#include <set>

struct TQZNetFaults {
    double loss = 0.0;       // chance a datagram vanishes
    double duplicate = 0.0;  // chance it arrives twice
    double reorder = 0.0;    // chance it is held back by up to reorderDelay
    uint32_t delay = 0;      // one-way delay in ms
    uint32_t jitter = 0;     // extra delay 0..jitter ms
    uint32_t reorderDelay = 50;
};

struct TQZMemoryNetworkStats {
    int64_t sent = 0, lost = 0, duplicated = 0, delivered = 0, undeliverable = 0;
    int64_t bytesSent = 0;  // whole datagrams, headers included
};

class TQZMemoryNetworkThread;

class TQZMemoryNetwork {
public:
    explicit TQZMemoryNetwork(uint64_t seed = 1, uint32_t startTime = 1000);
    ~TQZMemoryNetwork();
    TQZMemoryNetwork(const TQZMemoryNetwork&) = delete;
    TQZMemoryNetwork& operator=(const TQZMemoryNetwork&) = delete;

    uint32_t Now() const { return uint32_t(now_.load()); }
    void Advance(uint32_t ms) { now_ += ms; }
    // Makes the hub's clock the network clock (GetNetTime) until destruction.
    void UseAsNetClock();

    void SetFaults(const TQZNetFaults& faults);
    // Cuts an endpoint off (both directions) or joins it again.
    void Partition(const std::string& address, bool cut);
    std::unique_ptr<TQZMemoryNetworkThread> CreateEndpoint(const std::string& address);
    TQZMemoryNetworkStats Stats();

private:
    friend class TQZMemoryNetworkThread;
    struct TWire {
        std::string toAddress;
        uint16_t toPort = 0;
        TQZNetPacket packet;
    };
    bool Bind(const std::string& address, uint16_t port);
    void Unbind(const std::string& address);
    uint16_t BoundPort(const std::string& address);
    void Transmit(const std::string& from, const TQZNetPacket& packet);
    [[nodiscard]] bool Take(const std::string& address, TQZNetPacket& packet);
    double Unit();
    uint64_t NextRandom();

    std::mutex lock_;
    std::atomic<uint64_t> now_;
    uint64_t random_;
    uint64_t order_ = 0;
    bool ownsClock_ = false;
    TQZNetFaults faults_;
    std::set<std::string> cut_;
    std::map<std::string, uint16_t> bound_;
    uint16_t nextPort_ = 50000;
    // Datagrams on the wire by arrival time, then by sending order.
    std::map<std::pair<uint64_t, uint64_t>, TWire> wire_;
    TQZMemoryNetworkStats stats_;
};

class TQZMemoryNetworkThread : public TQZNetworkThread {
public:
    TQZMemoryNetworkThread(TQZMemoryNetwork& network, const std::string& address);
    ~TQZMemoryNetworkThread() override;

    [[nodiscard]] int32_t Host(uint16_t port) override;
    [[nodiscard]] int32_t Connect(const std::string& address, uint16_t port, TQZNetPacket& remote) override;
    void Close() override;
    std::string GetLocalAddress() override { return address_; }
    bool IsOpen() override;
    void Wait(uint32_t until) override { (void)until; }
    [[nodiscard]] bool Receive(TQZNetPacket& packet) override;
    [[nodiscard]] bool Send(const TQZNetPacket& packet) override;
    void Clear() override {}
    uint16_t LocalPort();

private:
    TQZMemoryNetwork& network_;
    std::string address_;
};
