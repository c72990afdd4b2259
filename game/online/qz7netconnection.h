// The datagram header and the connection to one remote peer: numbering of
// tracked datagrams, the 32-datagram acknowledgement window, loss detection,
// RTT and bandwidth figures.
#pragma once

#include "qz7netthread.h"

#include <array>

constexpr size_t kNetHeaderSize = 18;
constexpr size_t kNetMaxDatagramPayload = 1472;
// The longest datagram the protocol sends; anything longer is refused.
constexpr size_t kNetMaxDatagram = kNetHeaderSize + kNetMaxDatagramPayload;
constexpr int32_t kNetUntracked = -1;
// Repeats and paced senders keep fewer tracked datagrams than this in
// flight, so the 33-entry table is not turned over faster than the round
// trip and acknowledgements still find their entries.
constexpr int32_t kNetSendWindow = 24;

struct TQZNetHeader {
    uint16_t channel = 0;
    int32_t sequence = kNetUntracked;
    int32_t ack = 0;
    uint32_t ackBits = 0;
    uint16_t delay = 0;
};

// False for datagrams shorter than the header or without the magic "QZ".
// (Receiving also refuses datagrams over kNetMaxDatagram.)
[[nodiscard]] bool ReadNetHeader(const uint8_t* data, size_t length, TQZNetHeader& header);
void WriteNetHeader(TQZByteArray& out, const TQZNetHeader& header);

enum TQZNetPacketState { PKT_NIL = 0, PKT_INFLIGHT = 1, PKT_LOST = 2, PKT_ACKNOWLEDGED = 3 };
std::string NetPacketStateName(TQZNetPacketState state);

struct TQZInFlightEntry {
    int32_t sequence = 0;
    uint32_t sendTime = 0;
    uint16_t channel = 0;
    TQZNetPacketState state = PKT_NIL;
};

struct TQZBandwidthBucket {
    uint32_t start = 0;
    int32_t bytes = 0;
};

class TQZConnection : public TQZClass {
public:
    static constexpr int kTableSize = 33;
    static constexpr int kBuckets = 16;

    using TReceiptCallback = void (*)(void* user, uint16_t channel, int32_t sequence, TQZNetPacketState state);
    using TReceiveCallback = void (*)(void* user, uint16_t channel, int32_t sequence, const TQZByteArray& payload);
    using TLogCallback = void (*)(void* user, const std::string& line);

    TQZConnection(TQZNetworkThread* thread, const std::string& address, uint16_t port);
    ~TQZConnection() override;

    // Under "Falcon Logic". Restarts numbering, window and statistics,
    // moving to the address.
    void Reset(const std::string& address, uint16_t port);
    // Moves the receive target to a new address, keeping everything else.
    void Readdress(const std::string& address, uint16_t port);

    // Any thread (the connection's own lock "Connection").
    int32_t SendDatagram(const TQZByteArray& payload, uint16_t channel, bool tracked);
    // Receive processing of one datagram from the network thread.
    void OnDatagram(const TQZNetPacket& packet);
    // Main thread, inside the peer's step.
    void CheckLoss(uint32_t timeout);
    void MarkPacket(int32_t sequence, TQZNetPacketState state);
    int32_t BytesPerSecond();
    // Receipts of datagrams pushed out of the full table are handed out here,
    // never from inside a send, so a re-send cannot recurse into the sender.
    // Called by either step, under "Falcon Logic".
    void DeliverDeferredReceipts();
    // The loss time-out the peer's step uses: 1.5 x raw RTT within 1..3 s.
    uint32_t LossTimeout();

    // Set before the connection is in use. The callbacks run outside the
    // connection's lock, under "Falcon Logic": on the network thread as
    // datagrams arrive, on the main thread for losses found by CheckLoss.
    void SetReceiptCallback(TReceiptCallback callback, void* user) { receipt_ = callback; receiptUser_ = user; }
    void SetReceiveCallback(TReceiveCallback callback, void* user) { receive_ = callback; receiveUser_ = user; }
    void SetLogCallback(TLogCallback callback, void* user) { log_ = callback; logUser_ = user; }

    TQZNetworkThread* Thread() const { return thread_; }
    std::string Address();
    uint16_t Port();

    // Figures, each read under the lock.
    int32_t Rtt();
    int32_t RawRtt();
    float DeliveryRatio();
    int32_t InFlight();
    int32_t Lost();
    int32_t Sent();
    int32_t Received();
    int32_t ReceivedSinceSend();
    uint32_t LastReceiveTime();
    uint32_t LastSendTime();
    uint32_t AckLatest();
    uint32_t AckBits();
    int32_t SequenceCounter();
    TQZInFlightEntry Entry(int slot);

private:
    static void OnTarget(void* user, const TQZNetPacket& packet);
    void UpdateWindow(uint32_t sequence);
    void AddBandwidth(uint32_t now, int32_t bytes);
    // Marks an in-flight entry under the lock; true when a receipt is due.
    bool MarkLocked(int slot, TQZNetPacketState state, uint32_t now);

    TQZNetworkThread* thread_;
    TQZCriticalSection lock_{"Connection"};
    std::string address_;
    uint16_t port_ = 0;
    int32_t sequence_ = 0;
    std::array<TQZInFlightEntry, kTableSize> table_{};
    uint32_t latest_ = 0;
    uint32_t bits_ = 0;
    uint32_t firstReceive_ = 0, lastReceive_ = 0, lastSend_ = 0;
    int32_t received_ = 0, sent_ = 0, lost_ = 0, inFlight_ = 0, receivedSinceSend_ = 0;
    int32_t rtt_ = 150, rawRtt_ = 0;
    float ratio_ = 1.0f;
    std::array<TQZBandwidthBucket, kBuckets> buckets_{};
    int bucket_ = 0;
    std::vector<std::pair<uint16_t, int32_t>> deferred_;
    TReceiptCallback receipt_ = nullptr;
    void* receiptUser_ = nullptr;
    TReceiveCallback receive_ = nullptr;
    void* receiveUser_ = nullptr;
    TLogCallback log_ = nullptr;
    void* logUser_ = nullptr;
};
