// The network thread: a worker named "Network" that owns a packet transport.
// Its loop calls the session's tick, sends every queued datagram and hands
// each received datagram to the receive target registered for its sender.
// Transports subclass it; the class the session instantiates by default is a
// registration point.
#pragma once

#include "qz7nettypes.h"

#include <memory>

using TQZNetReceiveCallback = void (*)(void* user, const TQZNetPacket& packet);
// Returns the earliest next tick time, or 0xFFFFFFFF for none.
using TQZNetTickCallback = uint32_t (*)(void* user);

struct TQZNetReceiveTarget {
    std::string address;
    uint16_t port = 0;
    TQZNetReceiveCallback callback = nullptr;
    void* user = nullptr;
};

constexpr uint32_t kNetNoTick = 0xFFFFFFFFu;
// Longest single wait of the loop, so ticks and a stop are never missed.
constexpr uint32_t kNetMaxWait = 25;
// Received datagrams dispatched in one pass at most: a peer that floods the
// link cannot keep the loop from its ticks and its own sends.
constexpr int32_t kNetReceiveBatch = 1024;

class TQZNetworkThread : public TQZThread {
public:
    TQZNetworkThread();
    ~TQZNetworkThread() override;

    // Any thread.
    void QueueDatagram(const TQZNetPacket& packet);
    void RegisterReceiveTarget(const std::string& address, uint16_t port, TQZNetReceiveCallback callback,
                               void* user);
    void UnregisterReceiveTarget(const std::string& address, uint16_t port);
    int32_t QueuedCount() { return queue_.Count(); }
    // Sends every queued datagram from the calling thread.
    void Flush();
    void Wake() { DoWake(); }
    void Stop();

    // Any thread (the callback lock); the callbacks run on the loop's thread
    // under the dispatch lock.
    void SetTickCallback(TQZNetTickCallback callback, void* user);
    void SetUnknownCallback(TQZNetReceiveCallback callback, void* user);
    // A lock held while received datagrams are dispatched and while the tick
    // runs, so that their owners cannot be freed in the middle.
    void SetDispatchLock(TQZCriticalSection* lock) { dispatchLock_ = lock; }

    // The transport: Host, Connect and Close from the main thread (the
    // session's Open, Host and Close); Wait, Receive and Send from the loop.
    [[nodiscard]] virtual int32_t Host(uint16_t port) = 0;
    [[nodiscard]] virtual int32_t Connect(const std::string& address, uint16_t port, TQZNetPacket& remote) = 0;
    virtual void Close() = 0;
    virtual std::string GetLocalAddress() = 0;
    virtual bool IsOpen() = 0;
    virtual void Wait(uint32_t until) = 0;
    [[nodiscard]] virtual bool Receive(TQZNetPacket& packet) = 0;
    [[nodiscard]] virtual bool Send(const TQZNetPacket& packet) = 0;
    virtual void Clear() = 0;

    // One pass of the loop without waiting: tick, send the queue, dispatch
    // everything received. Returns the next tick time. The real thread runs
    // it between waits; a stand-in is stepped by hand.
    uint32_t Pump();

protected:
    void Execute() override;
    virtual void DoWake() {}
    void Dispatch(const TQZNetPacket& packet);

private:
    TQZNetQueueManager queue_;
    TQZSafeArray<TQZNetReceiveTarget> targets_{[](const TQZNetReceiveTarget& a, const TQZNetReceiveTarget& b) {
        return a.address == b.address && a.port == b.port;
    }};
    TQZCriticalSection callbackLock_{"Network Callbacks"};
    TQZNetTickCallback tick_ = nullptr;
    void* tickUser_ = nullptr;
    TQZNetReceiveCallback unknown_ = nullptr;
    void* unknownUser_ = nullptr;
    TQZCriticalSection* dispatchLock_ = nullptr;
};

using TQZNetworkThreadClass = std::unique_ptr<TQZNetworkThread> (*)();
// The class CreateNetworkThread instantiates; none by default.
void RegisterNetworkThreadClass(TQZNetworkThreadClass make);
std::unique_ptr<TQZNetworkThread> CreateNetworkThread();
