#include "qz7netconnection.h"

#include <algorithm>

namespace {

constexpr uint8_t kMagic0 = 0x51, kMagic1 = 0x5A;  // "QZ"

}  // namespace

bool ReadNetHeader(const uint8_t* data, size_t length, TQZNetHeader& header)
{
    if (length < kNetHeaderSize || data[0] != kMagic0 || data[1] != kMagic1) return false;
    TQZNetReader r(data + 2, kNetHeaderSize - 2);
    header.channel = r.U16();
    header.sequence = r.I32();
    header.ack = r.I32();
    header.ackBits = r.U32();
    header.delay = r.U16();
    return true;
}

void WriteNetHeader(TQZByteArray& out, const TQZNetHeader& header)
{
    TQZNetWriter w(out);
    w.U8(kMagic0);
    w.U8(kMagic1);
    w.U16(header.channel);
    w.I32(header.sequence);
    w.I32(header.ack);
    w.U32(header.ackBits);
    w.U16(header.delay);
}

std::string NetPacketStateName(TQZNetPacketState state)
{
    switch (state) {
    case PKT_INFLIGHT: return "Inflight";
    case PKT_LOST: return "Lost";
    case PKT_ACKNOWLEDGED: return "Acknowledged";
    default: return "Unknown";
    }
}

TQZConnection::TQZConnection(TQZNetworkThread* thread, const std::string& address, uint16_t port)
    : thread_(thread)
{
    address_ = ClampNetAddress(address);
    port_ = port;
    if (thread_) thread_->RegisterReceiveTarget(address_, port_, &TQZConnection::OnTarget, this);
    Reset(address_, port_);
}

TQZConnection::~TQZConnection()
{
    if (thread_) thread_->UnregisterReceiveTarget(address_, port_);
}

void TQZConnection::OnTarget(void* user, const TQZNetPacket& packet)
{
    static_cast<TQZConnection*>(user)->OnDatagram(packet);
}

std::string TQZConnection::Address()
{
    TQZLock guard(lock_);
    return address_;
}

uint16_t TQZConnection::Port()
{
    TQZLock guard(lock_);
    return port_;
}

void TQZConnection::Readdress(const std::string& address, uint16_t port)
{
    TQZLock guard(lock_);
    std::string clamped = ClampNetAddress(address);
    if (clamped == address_ && port == port_) return;
    if (thread_) {
        thread_->UnregisterReceiveTarget(address_, port_);
        thread_->RegisterReceiveTarget(clamped, port, &TQZConnection::OnTarget, this);
    }
    address_ = clamped;
    port_ = port;
}

void TQZConnection::Reset(const std::string& address, uint16_t port)
{
    Readdress(address, port);
    const uint32_t now = GetNetTime();
    TQZLock guard(lock_);
    // Whatever was in flight belongs to the old numbering; the channels are
    // reset with the connection, so its receipts would only re-send stale data.
    table_.fill(TQZInFlightEntry{});
    deferred_.clear();
    firstReceive_ = 0;
    lastReceive_ = lastSend_ = now;
    received_ = sent_ = lost_ = inFlight_ = receivedSinceSend_ = 0;
    rtt_ = 150;
    rawRtt_ = 0;
    ratio_ = 1.0f;
    for (auto& b : buckets_) b = TQZBandwidthBucket{now, 0};
    bucket_ = 0;
    sequence_ = 0;
    latest_ = bits_ = 0;
}

void TQZConnection::AddBandwidth(uint32_t now, int32_t bytes)
{
    if ((buckets_[size_t(bucket_)].start & ~0xFFu) != (now & ~0xFFu)) {
        bucket_ = (bucket_ + 1) % kBuckets;
        buckets_[size_t(bucket_)] = TQZBandwidthBucket{now, 0};
    }
    buckets_[size_t(bucket_)].bytes += bytes;
}

int32_t TQZConnection::BytesPerSecond()
{
    const uint32_t now = GetNetTime();
    TQZLock guard(lock_);
    const auto& b = buckets_[size_t(bucket_)];
    return (b.start & ~0xFFu) == (now & ~0xFFu) ? 4 * b.bytes : 0;
}

int32_t TQZConnection::SendDatagram(const TQZByteArray& payload, uint16_t channel, bool tracked)
{
    const uint32_t now = GetNetTime();
    TQZNetPacket packet;
    int32_t sequence = kNetUntracked;
    {
        TQZLock guard(lock_);
        // The number is taken under the lock that fills the table, so the
        // table stays in numbering order when several threads send.
        if (tracked) sequence = ++sequence_;
        TQZNetHeader header;
        header.channel = channel;
        header.sequence = sequence;
        header.delay = uint16_t(std::clamp<int32_t>(NetTimeDiff(now, lastReceive_), 0, 512));
        AddBandwidth(now, int32_t(payload.size() + kNetHeaderSize));
        if (tracked) {
            std::move_backward(table_.begin(), table_.end() - 1, table_.end());
            table_[0] = TQZInFlightEntry{sequence, now, channel, PKT_INFLIGHT};
            ++inFlight_;
            TQZInFlightEntry& oldest = table_[kTableSize - 1];
            if (oldest.state == PKT_INFLIGHT) {
                MarkLocked(kTableSize - 1, PKT_LOST, now);
                deferred_.emplace_back(oldest.channel, oldest.sequence);
            }
        }
        header.ack = int32_t(latest_);
        header.ackBits = bits_;
        lastSend_ = now;
        receivedSinceSend_ = 0;
        ++sent_;
        packet.address = address_;
        packet.port = port_;
        packet.time = now;
        packet.bytes.reserve(kNetHeaderSize + payload.size());
        WriteNetHeader(packet.bytes, header);
        packet.bytes.insert(packet.bytes.end(), payload.begin(), payload.end());
    }
    if (thread_) thread_->QueueDatagram(packet);
    return sequence;
}

void TQZConnection::DeliverDeferredReceipts()
{
    std::vector<std::pair<uint16_t, int32_t>> due;
    {
        TQZLock guard(lock_);
        due.swap(deferred_);
    }
    if (!receipt_) return;
    for (const auto& [channel, sequence] : due) receipt_(receiptUser_, channel, sequence, PKT_LOST);
}

void TQZConnection::UpdateWindow(uint32_t s)
{
    if (s > latest_) {
        uint32_t d = s - latest_;
        if (d <= 32) {
            bits_ = d == 32 ? 0 : bits_ << d;
            bits_ |= 1u << (d - 1);
        } else {
            bits_ = 0;
        }
        latest_ = s;
    } else if (s < latest_) {
        uint32_t e = latest_ - s;
        if (e <= 32) bits_ |= 1u << (e - 1);
    }
}

bool TQZConnection::MarkLocked(int slot, TQZNetPacketState state, uint32_t now)
{
    TQZInFlightEntry& e = table_[size_t(slot)];
    if (state == PKT_ACKNOWLEDGED && (e.state == PKT_INFLIGHT || e.state == PKT_LOST)) {
        int32_t sample = std::max<int32_t>(0, NetTimeDiff(now, e.sendTime));
        rawRtt_ = int32_t(0.8 * rawRtt_ + 0.2 * sample);
        rtt_ = int32_t(0.8 * rtt_ + 0.2 * sample);
    }
    if (e.state != PKT_INFLIGHT) return false;
    --inFlight_;
    if (state == PKT_LOST) ++lost_;
    ratio_ = 0.9f * ratio_ + 0.1f * (state == PKT_ACKNOWLEDGED ? 1.0f : 0.0f);
    e.state = state;
    return true;
}

void TQZConnection::MarkPacket(int32_t sequence, TQZNetPacketState state)
{
    if (sequence == 0) return;
    const uint32_t now = GetNetTime();
    uint16_t channel = 0;
    bool due = false;
    {
        TQZLock guard(lock_);
        int64_t slot = int64_t(sequence_) - sequence;
        if (slot < 0 || slot >= kTableSize || table_[size_t(slot)].sequence != sequence) return;
        channel = table_[size_t(slot)].channel;
        due = MarkLocked(int(slot), state, now);
    }
    if (due && receipt_) receipt_(receiptUser_, channel, sequence, state);
}

void TQZConnection::OnDatagram(const TQZNetPacket& packet)
{
    TQZNetHeader header;
    // Nothing of ours is longer: the rest is refused before it counts as
    // received (so it is never acknowledged) or reaches a channel.
    if (packet.bytes.size() > kNetMaxDatagram) return;
    if (!ReadNetHeader(packet.bytes.data(), packet.bytes.size(), header)) return;
    const uint32_t now = GetNetTime();
    std::vector<std::pair<uint16_t, int32_t>> acknowledged;
    {
        TQZLock guard(lock_);
        lastReceive_ = now;
        if (++received_ == 1) firstReceive_ = now;
        if (header.sequence != kNetUntracked) {
            UpdateWindow(uint32_t(header.sequence));
            ++receivedSinceSend_;
        }
        auto markAck = [&](int64_t sequence, bool onlyInFlight) {
            if (sequence == 0) return;
            int64_t slot = int64_t(sequence_) - sequence;
            if (slot < 0 || slot >= kTableSize) return;
            TQZInFlightEntry& e = table_[size_t(slot)];
            if (e.sequence != sequence || (onlyInFlight && e.state != PKT_INFLIGHT)) return;
            if (MarkLocked(int(slot), PKT_ACKNOWLEDGED, now)) acknowledged.emplace_back(e.channel, e.sequence);
        };
        for (int n = 32; n >= 1; --n)
            if (header.ackBits & (1u << (n - 1))) markAck(int64_t(header.ack) - n, true);
        markAck(header.ack, false);
        int32_t sample = std::clamp<int32_t>(rawRtt_ - header.delay, 0, 2000);
        rtt_ = int32_t(0.3 * rtt_ + 0.7 * sample);
    }
    if (receipt_)
        for (const auto& [channel, sequence] : acknowledged) receipt_(receiptUser_, channel, sequence, PKT_ACKNOWLEDGED);
    TQZByteArray payload(packet.bytes.begin() + kNetHeaderSize, packet.bytes.end());
    if (log_)
        log_(logUser_, "Received packet: target channel " + std::to_string(header.channel) + " size " +
                           std::to_string(payload.size()));
    if (receive_) receive_(receiveUser_, header.channel, header.sequence, payload);
}

void TQZConnection::CheckLoss(uint32_t timeout)
{
    DeliverDeferredReceipts();
    const uint32_t now = GetNetTime();
    const uint32_t deadline = now - timeout;
    std::vector<std::pair<uint16_t, int32_t>> lost;
    {
        TQZLock guard(lock_);
        for (int slot = kTableSize - 1; slot >= 0; --slot) {
            TQZInFlightEntry& e = table_[size_t(slot)];
            if (e.state == PKT_NIL) continue;
            if (NetTimeDiff(e.sendTime, deadline) >= 0) break;
            if (e.state == PKT_INFLIGHT && MarkLocked(slot, PKT_LOST, now)) lost.emplace_back(e.channel, e.sequence);
        }
    }
    if (receipt_)
        for (const auto& [channel, sequence] : lost) receipt_(receiptUser_, channel, sequence, PKT_LOST);
}

uint32_t TQZConnection::LossTimeout()
{
    TQZLock guard(lock_);
    return uint32_t(std::clamp(rawRtt_ + rawRtt_ / 2, 1000, 3000));
}

#define VQ_CONNECTION_FIGURE(type, name, field) \
    type TQZConnection::name()                  \
    {                                           \
        TQZLock guard(lock_);                   \
        return field;                           \
    }
VQ_CONNECTION_FIGURE(int32_t, Rtt, rtt_)
VQ_CONNECTION_FIGURE(int32_t, RawRtt, rawRtt_)
VQ_CONNECTION_FIGURE(float, DeliveryRatio, ratio_)
VQ_CONNECTION_FIGURE(int32_t, InFlight, inFlight_)
VQ_CONNECTION_FIGURE(int32_t, Lost, lost_)
VQ_CONNECTION_FIGURE(int32_t, Sent, sent_)
VQ_CONNECTION_FIGURE(int32_t, Received, received_)
VQ_CONNECTION_FIGURE(int32_t, ReceivedSinceSend, receivedSinceSend_)
VQ_CONNECTION_FIGURE(uint32_t, LastReceiveTime, lastReceive_)
VQ_CONNECTION_FIGURE(uint32_t, LastSendTime, lastSend_)
VQ_CONNECTION_FIGURE(uint32_t, AckLatest, latest_)
VQ_CONNECTION_FIGURE(uint32_t, AckBits, bits_)
VQ_CONNECTION_FIGURE(int32_t, SequenceCounter, sequence_)
#undef VQ_CONNECTION_FIGURE

TQZInFlightEntry TQZConnection::Entry(int slot)
{
    TQZLock guard(lock_);
    return slot >= 0 && slot < kTableSize ? table_[size_t(slot)] : TQZInFlightEntry{};
}
