// Logical channels above a peer's connection: the base channel with its
// receive and receipt queues, the reliable channel (ordered or not) and the
// relay channel that forwards reliable messages to another channel.
//
// A TS suffix: the method runs on the network thread, as datagrams
// and acknowledgements arrive; the main thread's loss check also reports
// lost datagrams through OnReceiptTS. Both hold "Falcon Logic".
#pragma once

#include "qz7netconnection.h"

#include <deque>
#include <memory>

constexpr uint16_t CHANNEL_ADMIN = 0xFFFF;
constexpr uint16_t CHANNEL_RELAY = 0xFFFE;
constexpr uint16_t CHANNEL_CHUNK = 0xFFFD;
constexpr uint16_t CHANNEL_MULTIPART = 0xFFFC;
constexpr uint16_t CHANNEL_PARTY = 0xFFFB;
constexpr uint16_t CHANNEL_GAME = 1;

// Carriers (multipart, chunk, relay, admin) are never the target of a carrier,
// so a peer cannot nest carried messages.
inline bool IsCarrierChannel(uint16_t id) { return id >= CHANNEL_MULTIPART; }

// Largest message that goes as a single reliable datagram, and the largest
// that the multipart channel carries; above that the chunk channel.
constexpr size_t kReliableSingleMax = 1400;
constexpr size_t kMultipartMax = 16384;
// The largest transfer the chunk channel takes (a receiver refuses more).
constexpr int64_t kChunkMaxLength = int64_t(64) << 20;
// How far ahead of the last delivered number an ordered channel keeps
// messages, and how many bytes it keeps at most.
constexpr uint32_t kFutureWindow = 8192;
constexpr size_t kFutureBytesMax = 32u << 20;

class TQZPeer;
class TQZChannel;
class TQZChannelRelay;

// What a channel needs of the peer that owns it: the session's lock and
// log, and the ways to send. Channels reach nothing else of the peer or the
// session, so they sit below both; the peer is the host.
// Channels call it on either thread, holding "Falcon Logic" or taking it
// through SessionLock.
class TQZChannelHost {
public:
    // The session's lock "Falcon Logic".
    virtual TQZCriticalSection& SessionLock() = 0;
    virtual void Log(const std::string& line) = 0;
    // Sending: datagrams, reliable messages through the relay channel, and
    // long messages through the multipart channel (up to kMultipartMax) or
    // else the chunk channel, to the target channel at the other end.
    virtual TQZConnection& Connection() = 0;
    virtual TQZChannelRelay* Relay() const = 0;
    virtual int32_t SendCarried(const TQZByteArray& message, uint16_t target) = 0;
    // Carriers hand what they carry to the channel of the id.
    virtual std::shared_ptr<TQZChannel> FindChannel(uint16_t id) = 0;
    virtual bool IsConnected() const = 0;
    // The host as the layers above the channels know it.
    virtual TQZPeer* AsPeer() = 0;
    // A reliable message was given up after its datagram was acknowledged:
    // the other end will never send it again, so whatever waits for it would
    // wait for good. The connection is ended instead, with the reason logged.
    virtual void Abandon(const std::string& reason) = 0;
    // Bytes kept for what the other end sent ahead of time come out of one
    // budget for the whole session: false when they do not fit (the data is
    // dropped). Every byte taken is given back when it is delivered or freed.
    [[nodiscard]] virtual bool TakeCacheBytes(int64_t bytes) = 0;
    virtual void ReturnCacheBytes(int64_t bytes) = 0;
    // A line that a flood from the other end would repeat (mostly a
    // refusal): held to one a second per kind, with a count.
    virtual void LogRepeated(const std::string& kind, const std::string& line) = 0;

protected:
    ~TQZChannelHost() = default;
};

struct TReceiptRec {
    int32_t ticket = 0;
    TQZNetPacketState state = PKT_NIL;
    TQZByteArray payload;
};

using TQZChannelReceive = void (*)(void* user, TQZChannel* channel, const TQZByteArray& payload);
using TQZChannelReceipt = void (*)(void* user, TQZChannel* channel, const TReceiptRec& receipt);

class TQZChannel : public TQZClass {
public:
    TQZChannel(TQZChannelHost* host, uint16_t id);

    uint16_t Id() const { return id_; }
    TQZChannelHost* Host() const { return host_; }
    TQZPeer* Peer() const { return host_->AsPeer(); }

    // Network thread, under "Falcon Logic": the tick and the TS receipts
    // and receptions, which hand on through Deliver and DeliverReceipt.
    virtual void OnThreadTick();
    virtual void OnReceiptTS(int32_t ticket, TQZNetPacketState state);
    virtual void OnReceiveTS(const TQZByteArray& payload);
    // Main thread, inside the session's step: the queued deliveries go to
    // the callbacks.
    virtual void Process();
    // Under "Falcon Logic", on the thread that resets the peer.
    virtual void Reset();
    // Any thread: sends take "Falcon Logic" themselves.
    virtual int32_t Send(const TQZByteArray& bytes, bool tracked);
    // From the TS methods: queued for Process, or handed to the callback at
    // once when deliveries are on the network thread.
    virtual void Deliver(const TQZByteArray& payload);
    virtual void DeliverReceipt(int32_t ticket, TQZNetPacketState state, const TQZByteArray& payload);
    // Sends what waits for room in the connection's window (network thread).
    virtual void FlushResends() {}
    // Frees what the other end sent ahead of time (its peer has gone, or
    // holds the most when the session's budget is spent). Under "Falcon Logic".
    virtual void ReleaseCaches() {}

    // One datagram, the multipart channel or the chunk channel, by length.
    int32_t SendPath(const TQZByteArray& bytes, bool tracked);

    // The callbacks (set from any thread) run on the main thread inside
    // Process, or on the network thread as deliveries arrive when
    // SetDeliverOnNetworkThread is on.
    void SetTickInterval(uint32_t interval);
    uint32_t TickInterval() const { return interval_; }
    uint32_t NextTick() const { return nextTick_; }
    void SetDeliverOnNetworkThread(bool on) { onNetworkThread_ = on; }
    void SetReceiveCallback(TQZChannelReceive callback, void* user);
    void SetReceiptCallback(TQZChannelReceipt callback, void* user);
    uint32_t LastSendTime() const { return lastSend_; }
    uint32_t LastReceiveTime() const { return lastReceive_; }
    int32_t QueuedReceives() { return receiveQueue_.Count(); }

protected:
    void Log(const std::string& line);
    // Every entry from outside the session's own steps holds its lock, so
    // sends from the owner never interleave with the network thread.
    TQZCriticalSection& SessionLock() { return host_->SessionLock(); }

    TQZChannelHost* host_;
    uint16_t id_;
    uint32_t interval_ = 0;
    uint32_t nextTick_ = kNetNoTick;
    std::atomic<uint32_t> lastSend_{0};
    std::atomic<uint32_t> lastReceive_{0};
    bool onNetworkThread_ = false;
    TQZCriticalSection callbackLock_{"Channel Callbacks"};
    TQZChannelReceive receive_ = nullptr;
    void* receiveUser_ = nullptr;
    TQZChannelReceipt receipt_ = nullptr;
    void* receiptUser_ = nullptr;
    TQZSafeQueue<TQZByteArray> receiveQueue_;
    TQZSafeQueue<TReceiptRec> receiptQueue_;
};

struct TPacketSendCache {
    int32_t ticket = 0;
    int32_t current = 0;
    bool reportReceipt = false;
    TQZByteArray message;
};

struct TPacketRecvCache {
    uint32_t number = 0;
    TQZByteArray payload;
};

class TQZChannelReliable : public TQZChannel {
public:
    TQZChannelReliable(TQZChannelHost* host, bool ordered, uint16_t id);

    // The flag asks for a receipt; returns the ticket. Any thread.
    int32_t Send(const TQZByteArray& bytes, bool reportReceipt) override;
    void OnReceiptTS(int32_t ticket, TQZNetPacketState state) override;
    void OnReceiveTS(const TQZByteArray& bytes) override;
    void Reset() override;
    void FlushResends() override;
    void ReleaseCaches() override;
    ~TQZChannelReliable() override;

    bool Ordered() const { return ordered_; }
    // Any thread (the channel's own lock). Messages sent and not yet
    // acknowledged (an owner's flow control).
    int32_t PendingCount();
    int32_t FutureCount();
    size_t FutureBytes();
    uint32_t LastDelivered();

private:
    // False when the message had to be dropped (too far ahead).
    [[nodiscard]] bool FutureCacheAdd(uint32_t number, TQZByteArray payload);
    // Moves the messages that now follow in order from the cache to due.
    void FutureCheck(std::vector<TQZByteArray>& due);
    // Empties the future cache, giving its bytes back (under lock_).
    void DropFuture();
    int32_t SendCarried(const TQZByteArray& message);

    bool ordered_;
    TQZCriticalSection lock_;
    uint32_t lastDelivered_ = 0;
    std::atomic<uint32_t> counter_{0};
    std::vector<TPacketSendCache> sendCache_;
    // Tickets of lost messages waiting for room in the window, oldest first.
    std::deque<int32_t> resend_;
    std::vector<TPacketRecvCache> future_;
    size_t futureBytes_ = 0;
};

struct TRelayReceiptRec {
    int32_t ticket = 0;
    uint16_t target = 0;
    bool operator==(const TRelayReceiptRec&) const = default;
};

class TQZChannelRelay : public TQZChannelReliable {
public:
    explicit TQZChannelRelay(TQZChannelHost* host);
    // Any thread; takes "Falcon Logic". Delivery is on the network thread.
    int32_t RelaySend(uint16_t target, const TQZByteArray& bytes, bool wantReceipt);
    void Deliver(const TQZByteArray& payload) override;
    void DeliverReceipt(int32_t ticket, TQZNetPacketState state, const TQZByteArray& payload) override;
    void Reset() override;

private:
    TQZSafeArray<TRelayReceiptRec> receipts_;
};
