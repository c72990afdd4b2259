#include "qz7netchunk.h"

#include <algorithm>

TQZChannelChunk::TQZChannelChunk(TQZChannelHost* host) : TQZChannel(host, CHANNEL_CHUNK)
{
    SetDeliverOnNetworkThread(true);
}

TQZChannelChunk::~TQZChannelChunk() { ReleasePages(); }

uint8_t* TQZChannelChunk::PageFor(int32_t index)
{
    TQZByteArray& page = pages_[size_t(index) / kChunkPageSlices];
    if (page.empty()) {
        const int64_t from = int64_t(size_t(index) / kChunkPageSlices * kChunkPageSize);
        const size_t size = size_t(std::min<int64_t>(int64_t(kChunkPageSize), recvLength_ - from));
        if (!host_->TakeCacheBytes(int64_t(size))) return nullptr;
        page.resize(size);
        pageBytes_ += int64_t(size);
    }
    return page.data();
}

TQZByteArray TQZChannelChunk::Assemble()
{
    TQZByteArray whole;
    whole.reserve(size_t(recvLength_));
    for (auto& page : pages_) {
        whole.insert(whole.end(), page.begin(), page.end());
        TQZByteArray().swap(page);
    }
    host_->ReturnCacheBytes(pageBytes_);
    pageBytes_ = 0;
    return whole;
}

void TQZChannelChunk::ReleasePages()
{
    if (pageBytes_ > 0) host_->ReturnCacheBytes(pageBytes_);
    pageBytes_ = 0;
    std::vector<TQZByteArray>().swap(pages_);
    std::vector<bool>().swap(in_);
}

void TQZChannelChunk::ReleaseCaches()
{
    if (recvState_ == 3) recvState_ = 0;
    ReleasePages();
}

int32_t TQZChannelChunk::SendControl(int32_t op, int32_t id, int64_t length, uint16_t target, bool receipt)
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
    return host_->Relay()->RelaySend(CHANNEL_CHUNK, m, receipt);
}

int32_t TQZChannelChunk::Start(TQZChunkOperation op)
{
    current_ = std::move(op);
    out_.assign(size_t(SliceCount(int64_t(current_.payload.size()))), TQZSliceState{});
    cursor_ = 0;
    ackedPrefix_ = -1;
    sendState_ = 1;
    SetTickInterval(kChunkTick);
    announceTicket_ = SendControl(CHUNK_ANNOUNCE, current_.transferId, int64_t(current_.payload.size()),
                                  current_.target, true);
    return announceTicket_;
}

int32_t TQZChannelChunk::SendData(const TQZByteArray& bytes, uint16_t target)
{
    TQZLock hold(SessionLock());
    if (bytes.empty() || int64_t(bytes.size()) > kChunkMaxLength) return kNetUntracked;
    lastSend_ = GetNetTime();
    TQZChunkOperation op{ids_.Next(), 0, target, bytes};
    if (sendState_ == 0 || sendState_ == 4) {
        int32_t ticket = Start(std::move(op));
        current_.ticket = ticket;
        return ticket;
    }
    op.ticket = SendControl(CHUNK_QUEUED, op.transferId, int64_t(bytes.size()), target, false);
    queue_.push_back(std::move(op));
    return queue_.back().ticket;
}

void TQZChannelChunk::SendSlice(int32_t index)
{
    const size_t from = size_t(index) * kChunkSliceSize;
    const size_t length = std::min(kChunkSliceSize, current_.payload.size() - from);
    TQZByteArray m;
    m.reserve(12 + length);
    TQZNetWriter w(m);
    w.I32(CHUNK_SLICE);
    w.I32(current_.transferId);
    w.I32(index);
    w.Bytes(current_.payload.data() + from, length);
    host_->Relay()->RelaySend(CHANNEL_CHUNK, m, false);
}

void TQZChannelChunk::Pump(uint32_t now)
{
    TQZConnection& connection = host_->Connection();
    const int32_t count = int32_t(out_.size());
    if (ackedPrefix_ + 1 >= count) return;
    int32_t budget = kChunkBudget - connection.BytesPerSecond();
    if (budget > 0) budget -= 1400 * connection.Thread()->QueuedCount();
    const int32_t resendAge = std::clamp(connection.RawRtt() * 3 / 2, 1000, 3000);
    if (cursor_ <= ackedPrefix_ || cursor_ >= count) cursor_ = ackedPrefix_ + 1;
    const int32_t start = cursor_;
    while (budget > 0 && connection.InFlight() < kNetSendWindow) {
        TQZSliceState& s = out_[size_t(cursor_)];
        if (!s.acknowledged) {
            if (s.sent && NetTimeDiff(now, s.lastSend) < resendAge) break;
            SendSlice(cursor_);
            s.sent = true;
            s.lastSend = now;
            budget -= kChunkSliceCost;
        }
        if (++cursor_ >= count) cursor_ = ackedPrefix_ + 1;
        if (cursor_ == start) break;
    }
}

void TQZChannelChunk::SendAck()
{
    const int32_t count = int32_t(in_.size());
    std::vector<std::pair<int32_t, int32_t>> ranges;
    std::vector<int32_t> singles;
    int32_t i = std::max(ackCursor_, gapFree_ + 1);
    while (i < count && int32_t(ranges.size()) < kChunkMaxRanges && int32_t(singles.size()) < kChunkMaxSingles) {
        if (!in_[size_t(i)]) {
            ++i;
            continue;
        }
        int32_t j = i;
        while (j + 1 < count && in_[size_t(j + 1)]) ++j;
        if (j > i) ranges.emplace_back(i, j);
        else singles.push_back(i);
        i = j + 1;
    }
    ackCursor_ = i >= count ? gapFree_ + 1 : i;
    TQZByteArray m;
    TQZNetWriter w(m);
    w.I32(CHUNK_ACK);
    w.I32(recvId_);
    w.I32(gapFree_);
    w.I32(int32_t(ranges.size()));
    w.I32(int32_t(singles.size()));
    for (auto [first, last] : ranges) {
        w.I32(first);
        w.I32(last);
    }
    for (int32_t s : singles) w.I32(s);
    TQZChannel::Send(m, false);
}

void TQZChannelChunk::OnThreadTick()
{
    TQZLock hold(SessionLock());
    TQZChannel::OnThreadTick();
    const uint32_t now = GetNetTime();
    // A peer that is gone hears nothing until it is back; its join starts
    // the channels over, a return from a new address carries on.
    const bool connected = host_->IsConnected();
    if (sendState_ == 2 && connected) Pump(now);
    if (recvState_ == 3 && NetTimeDiff(now, recvLast_) > int32_t(kChunkReceiveExpiry)) {
        // The sender went quiet mid-transfer: what it carried is lost for
        // good. Its pages go even when it never connected (or is gone).
        ReleasePages();
        recvState_ = 0;
        host_->Abandon("chunk transfer " + std::to_string(recvId_) + " stopped arriving");
        if (sendState_ != 1 && sendState_ != 2) SetTickInterval(0);
        return;
    }
    if (recvState_ == 3 && connected) SendAck();
    if (sendState_ != 1 && sendState_ != 2 && recvState_ != 3) SetTickInterval(0);
}

void TQZChannelChunk::OnReceiptTS(int32_t ticket, TQZNetPacketState state)
{
    TQZLock hold(SessionLock());
    if (sendState_ == 1 && ticket == announceTicket_ && state == PKT_ACKNOWLEDGED) {
        sendState_ = 2;
        SetTickInterval(kChunkTick);
    }
}

void TQZChannelChunk::OnReceiveTS(const TQZByteArray& payload)
{
    TQZLock hold(SessionLock());
    lastReceive_ = GetNetTime();
    TQZNetReader r(payload);
    const int32_t kind = r.I32();
    if (!r.Ok()) return;
    switch (kind) {
    case CHUNK_CONTROL: OnControl(r); break;
    case CHUNK_SLICE: OnSlice(r); break;
    case CHUNK_ACK: OnAck(r); break;
    default: break;
    }
}

void TQZChannelChunk::OnControl(TQZNetReader& r)
{
    const int32_t op = r.I32();
    const int32_t id = r.I32();
    r.Skip(4);
    const int64_t length = r.I64();
    const uint16_t target = r.U16();
    r.Skip(6);
    if (!r.Ok()) return;
    if (op == CHUNK_ANNOUNCE) {
        if (length <= 0 || length > kChunkMaxLength || IsCarrierChannel(target)) {
            host_->LogRepeated("chunk announce", "Chunk announce refused: length " + std::to_string(length));
            return;
        }
        if (recvState_ == 3 && recvId_ == id) return;
        // Nothing is allocated for the announced length until slices come.
        ReleasePages();
        recvLength_ = length;
        recvLast_ = GetNetTime();
        pages_.resize((size_t(SliceCount(length)) + kChunkPageSlices - 1) / kChunkPageSlices);
        in_.assign(size_t(SliceCount(length)), false);
        recvId_ = id;
        recvTarget_ = target;
        gapFree_ = -1;
        ackCursor_ = 0;
        recvState_ = 3;
        SetTickInterval(kChunkTick);
    } else if ((op == CHUNK_DONE || op == CHUNK_COMPLETE) && (sendState_ == 1 || sendState_ == 2) &&
               id == current_.transferId) {
        sendState_ = 4;
        const int32_t ticket = current_.ticket;
        const uint16_t to = current_.target;
        current_ = TQZChunkOperation{};
        out_.clear();
        if (!queue_.empty()) {
            TQZChunkOperation next = std::move(queue_.front());
            queue_.pop_front();
            const int32_t keep = next.ticket;
            Start(std::move(next));
            current_.ticket = keep;
        }
        if (auto channel = host_->FindChannel(to)) channel->OnReceiptTS(ticket, PKT_ACKNOWLEDGED);
    }
}

void TQZChannelChunk::OnSlice(TQZNetReader& r)
{
    const int32_t id = r.I32();
    const int32_t index = r.I32();
    if (!r.Ok() || recvState_ != 3 || id != recvId_) return;
    const int32_t count = int32_t(in_.size());
    if (index < 0 || index >= count) return;
    const size_t from = size_t(index) * kChunkSliceSize;
    const size_t expected = size_t(std::min<int64_t>(int64_t(kChunkSliceSize), recvLength_ - int64_t(from)));
    if (r.Remaining() != expected || in_[size_t(index)]) return;
    // Without room in the budget the slice is not taken (nor acknowledged):
    // the sender repeats it later.
    uint8_t* page = PageFor(index);
    if (!page) return;
    std::copy(r.Here(), r.Here() + expected, page + (size_t(index) % kChunkPageSlices) * kChunkSliceSize);
    in_[size_t(index)] = true;
    recvLast_ = GetNetTime();
    while (gapFree_ + 1 < count && in_[size_t(gapFree_ + 1)]) ++gapFree_;
    if (gapFree_ + 1 < count) return;
    recvState_ = 4;
    SendControl(CHUNK_COMPLETE, recvId_, recvLength_, recvTarget_, false);
    TQZByteArray whole = Assemble();
    ReleasePages();
    if (auto channel = host_->FindChannel(recvTarget_)) channel->OnReceiveTS(whole);
}

void TQZChannelChunk::OnAck(TQZNetReader& r)
{
    const int32_t id = r.I32();
    const int32_t gapFree = r.I32();
    const int32_t ranges = r.I32();
    const int32_t singles = r.I32();
    if (!r.Ok() || sendState_ != 2 || id != current_.transferId) return;
    const int32_t count = int32_t(out_.size());
    if (gapFree < -1 || gapFree >= count || ranges < 0 || ranges > kChunkMaxRanges || singles < 0 ||
        singles > kChunkMaxSingles || r.Remaining() != size_t(ranges) * 8 + size_t(singles) * 4)
        return;
    std::vector<std::pair<int32_t, int32_t>> spans;
    spans.emplace_back(0, gapFree);
    for (int32_t i = 0; i < ranges; ++i) {
        int32_t first = r.I32(), last = r.I32();
        if (first < 0 || last < first || last >= count) return;
        spans.emplace_back(first, last);
    }
    for (int32_t i = 0; i < singles; ++i) {
        int32_t s = r.I32();
        if (s < 0 || s >= count) return;
        spans.emplace_back(s, s);
    }
    for (auto [first, last] : spans)
        for (int32_t i = first; i <= last; ++i) out_[size_t(i)].acknowledged = true;
    while (ackedPrefix_ + 1 < count && out_[size_t(ackedPrefix_ + 1)].acknowledged) ++ackedPrefix_;
    if (cursor_ <= ackedPrefix_) cursor_ = ackedPrefix_ + 1;
}

void TQZChannelChunk::Reset()
{
    TQZChannel::Reset();
    sendState_ = 0;
    current_ = TQZChunkOperation{};
    announceTicket_ = 0;
    out_.clear();
    cursor_ = 0;
    ackedPrefix_ = -1;
    queue_.clear();
    recvState_ = 0;
    ReleasePages();
    recvLength_ = 0;
    recvId_ = 0;
    gapFree_ = -1;
    ackCursor_ = 0;
}
