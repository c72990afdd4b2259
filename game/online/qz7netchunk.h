// The chunk channel: payloads over 16384 bytes streamed as numbered
// 1024-byte slices through the relay channel under a bandwidth budget, with
// the receiver's own acknowledgement of ranges of slices.
#pragma once

#include "qz7netchannel.h"

#include <deque>

constexpr size_t kChunkSliceSize = 1024;
constexpr uint32_t kChunkTick = 128;
constexpr int32_t kChunkBudget = 65536;
constexpr int32_t kChunkSliceCost = 1056;
constexpr int32_t kChunkMaxRanges = 20;
constexpr int32_t kChunkMaxSingles = 60;

// Received transfers are kept in pages allocated as their slices arrive,
// out of the session's budget for what peers send ahead of time; a transfer
// whose slices stop coming is given up after kChunkReceiveExpiry, whether
// or not its peer ever connected.
constexpr size_t kChunkPageSlices = 64;
constexpr size_t kChunkPageSize = kChunkPageSlices * kChunkSliceSize;
constexpr uint32_t kChunkReceiveExpiry = 30000;

enum TQZChunkKind { CHUNK_CONTROL = 0, CHUNK_SLICE = 1, CHUNK_ACK = 2 };
enum TQZChunkOp { CHUNK_ANNOUNCE = 0, CHUNK_DONE = 1, CHUNK_COMPLETE = 2, CHUNK_QUEUED = 3 };

struct TQZSliceState {
    bool acknowledged = false;
    bool sent = false;
    uint32_t lastSend = 0;
};

struct TQZChunkOperation {
    int32_t transferId = 0;
    int32_t ticket = 0;
    uint16_t target = 0;
    TQZByteArray payload;
};

class TQZChannelChunk : public TQZChannel {
public:
    explicit TQZChannelChunk(TQZChannelHost* host);
    ~TQZChannelChunk() override;

    // Returns the ticket named by the final receipt; -1 when too long. Any
    // thread; takes "Falcon Logic".
    int32_t SendData(const TQZByteArray& bytes, uint16_t target);
    // Network thread: slices, acknowledgements and the pump.
    void OnReceiveTS(const TQZByteArray& payload) override;
    void OnReceiptTS(int32_t ticket, TQZNetPacketState state) override;
    void OnThreadTick() override;
    void Reset() override;
    void ReleaseCaches() override;

    // Read under "Falcon Logic".
    int32_t SendState() const { return sendState_; }
    int32_t ReceiveState() const { return recvState_; }
    int32_t QueuedTransfers() const { return int32_t(queue_.size()); }
    // Bytes of received pages held now.
    int64_t PageBytes() const { return pageBytes_; }

private:
    static int32_t SliceCount(int64_t length) { return int32_t((length + int64_t(kChunkSliceSize) - 1) / int64_t(kChunkSliceSize)); }
    int32_t Start(TQZChunkOperation op);
    int32_t SendControl(int32_t op, int32_t id, int64_t length, uint16_t target, bool receipt);
    void SendSlice(int32_t index);
    void Pump(uint32_t now);
    void SendAck();
    void OnControl(TQZNetReader& r);
    void OnSlice(TQZNetReader& r);
    void OnAck(TQZNetReader& r);
    // Receiving: the page of a slice, allocated on first use within the
    // budget (nullptr when the budget is spent); the whole transfer; freeing.
    uint8_t* PageFor(int32_t index);
    TQZByteArray Assemble();
    void ReleasePages();

    // Sending side. Everything here runs under the session's lock.
    int32_t sendState_ = 0;
    TQZChunkOperation current_;
    int32_t announceTicket_ = 0;
    std::vector<TQZSliceState> out_;
    int32_t cursor_ = 0;
    int32_t ackedPrefix_ = -1;
    std::deque<TQZChunkOperation> queue_;
    TQZNetTicketer ids_;
    // Receiving side.
    int32_t recvState_ = 0;
    int64_t recvLength_ = 0;
    uint32_t recvLast_ = 0;
    std::vector<TQZByteArray> pages_;
    int64_t pageBytes_ = 0;
    int32_t recvId_ = 0;
    uint16_t recvTarget_ = 0;
    std::vector<bool> in_;
    int32_t ackCursor_ = 0;
    int32_t gapFree_ = -1;
};
