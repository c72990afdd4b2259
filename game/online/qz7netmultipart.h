// The multipart channel: messages of up to 16384 bytes cut into 1024-byte
// parts, each sent reliably through the relay channel and joined again.
#pragma once

#include "qz7netchannel.h"

constexpr size_t kMultipartPartSize = 1024;
constexpr size_t kMultipartHeadSize = 6;
// A message whose parts stop arriving is forgotten after this long, and at
// most this many messages are joined at once.
constexpr uint32_t kMultipartExpiry = 30000;
constexpr size_t kMultipartPending = 64;

struct TMultiSendInfo {
    int32_t ticket = 0;
    uint16_t target = 0;
    uint16_t number = 0;
    int32_t remaining = 0;
    std::vector<int32_t> tickets;
};

class TQZChannelMultipart : public TQZChannel {
public:
    explicit TQZChannelMultipart(TQZChannelHost* host);
    ~TQZChannelMultipart() override;

    // Any thread; takes "Falcon Logic".
    int32_t SendData(const TQZByteArray& bytes, uint16_t target);
    // Network thread: parts and their receipts.
    void OnReceiveTS(const TQZByteArray& payload) override;
    void OnReceiptTS(int32_t ticket, TQZNetPacketState state) override;
    void Reset() override;
    void ReleaseCaches() override;

    // Any thread (the channel's own lock).
    int32_t PendingSends();
    int32_t PendingJoins();
    int64_t JoinBytes();

private:
    struct TJoin {
        uint16_t target = 0;
        uint16_t number = 0;
        uint8_t count = 0;
        int32_t missing = 0;
        uint32_t lastTime = 0;
        int64_t bytes = 0;  // taken from the session's budget
        std::vector<TQZByteArray> parts;
        std::vector<bool> have;
    };
    // Forgets joins whose parts stopped coming; returns how many.
    int32_t Expire(uint32_t now);
    // Forgets the joins the predicate picks, giving their bytes back.
    template <class F> int32_t Forget(F pick);

    std::atomic<uint32_t> counter_{0};
    TQZCriticalSection lock_;
    std::vector<TMultiSendInfo> sends_;
    std::vector<TJoin> joins_;
};
