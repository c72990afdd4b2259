#include "qz7netmultipart.h"

#include <algorithm>

TQZChannelMultipart::TQZChannelMultipart(TQZChannelHost* host)
    : TQZChannel(host, CHANNEL_MULTIPART), lock_("Channel[" + std::to_string(int16_t(CHANNEL_MULTIPART)) + "] - Multipart")
{
    SetDeliverOnNetworkThread(true);
}

int32_t TQZChannelMultipart::SendData(const TQZByteArray& bytes, uint16_t target)
{
    TQZLock hold(SessionLock());
    TQZChannelRelay* relay = host_->Relay();
    if (bytes.size() <= kMultipartPartSize) return relay->RelaySend(target, bytes, true);
    if (bytes.size() > kMultipartMax) return kNetUntracked;
    const uint16_t number = uint16_t(++counter_);
    const size_t count = (bytes.size() + kMultipartPartSize - 1) / kMultipartPartSize;
    TMultiSendInfo info;
    info.target = target;
    info.number = number;
    info.remaining = int32_t(count);
    for (size_t i = 0; i < count; ++i) {
        const size_t from = i * kMultipartPartSize;
        const size_t length = std::min(kMultipartPartSize, bytes.size() - from);
        TQZByteArray part;
        part.reserve(kMultipartHeadSize + length);
        TQZNetWriter w(part);
        w.U16(number);
        w.U16(target);
        w.U8(uint8_t(i));
        w.U8(uint8_t(count));
        w.Bytes(bytes.data() + from, length);
        info.tickets.push_back(relay->RelaySend(CHANNEL_MULTIPART, part, true));
    }
    info.ticket = info.tickets.front();
    lastSend_ = GetNetTime();
    TQZLock guard(lock_);
    sends_.push_back(std::move(info));
    return sends_.back().ticket;
}

void TQZChannelMultipart::OnReceiptTS(int32_t ticket, TQZNetPacketState state)
{
    // Lost parts are repeated by the relay channel; only arrivals count.
    if (state != PKT_ACKNOWLEDGED) return;
    TQZLock hold(SessionLock());
    uint16_t target = 0;
    int32_t first = 0;
    {
        TQZLock guard(lock_);
        auto it = std::find_if(sends_.begin(), sends_.end(), [&](const TMultiSendInfo& s) {
            return std::find(s.tickets.begin(), s.tickets.end(), ticket) != s.tickets.end();
        });
        if (it == sends_.end() || --it->remaining > 0) return;
        target = it->target;
        first = it->ticket;
        sends_.erase(it);
    }
    if (auto channel = host_->FindChannel(target)) channel->OnReceiptTS(first, PKT_ACKNOWLEDGED);
}

TQZChannelMultipart::~TQZChannelMultipart() { ReleaseCaches(); }

template <class F> int32_t TQZChannelMultipart::Forget(F pick)
{
    int32_t gone = 0;
    for (auto it = joins_.begin(); it != joins_.end();) {
        if (!pick(*it)) {
            ++it;
            continue;
        }
        if (it->bytes > 0) host_->ReturnCacheBytes(it->bytes);
        it = joins_.erase(it);
        ++gone;
    }
    return gone;
}

int32_t TQZChannelMultipart::Expire(uint32_t now)
{
    return Forget([&](const TJoin& j) { return NetTimeDiff(now, j.lastTime) > int32_t(kMultipartExpiry); });
}

void TQZChannelMultipart::ReleaseCaches()
{
    TQZLock guard(lock_);
    Forget([](const TJoin&) { return true; });
}

void TQZChannelMultipart::OnReceiveTS(const TQZByteArray& payload)
{
    TQZLock hold(SessionLock());
    const uint32_t now = GetNetTime();
    lastReceive_ = now;
    TQZNetReader r(payload);
    const uint16_t number = r.U16();
    const uint16_t target = r.U16();
    const uint8_t index = r.U8();
    const uint8_t count = r.U8();
    const size_t length = r.Remaining();
    const size_t maxCount = kMultipartMax / kMultipartPartSize;
    const bool last = index + 1 == count;
    if (!r.Ok() || count == 0 || count > maxCount || index >= count || IsCarrierChannel(target) ||
        length == 0 || length > kMultipartPartSize || (!last && length != kMultipartPartSize)) {
        host_->LogRepeated("malformed part", "Multipart dropping a malformed part");
        return;
    }
    TQZByteArray whole;
    int32_t lost = 0;
    {
        TQZLock guard(lock_);
        lost = Expire(now);
        auto it = std::find_if(joins_.begin(), joins_.end(),
                               [&](const TJoin& j) { return j.number == number && j.target == target; });
        if (it == joins_.end()) {
            if (joins_.size() >= kMultipartPending) {
                const uint16_t oldest = joins_.front().number;
                const uint16_t oldestTarget = joins_.front().target;
                lost += Forget([&](const TJoin& j) { return j.number == oldest && j.target == oldestTarget; });
            }
            TJoin join;
            join.target = target;
            join.number = number;
            join.count = count;
            join.missing = count;
            join.parts.resize(count);
            join.have.resize(count, false);
            joins_.push_back(std::move(join));
            it = joins_.end() - 1;
        }
        if (it->count == count && !it->have[index]) {
            if (!host_->TakeCacheBytes(int64_t(length))) {
                // Its relay datagram was acknowledged: the message is lost.
                host_->LogRepeated("no budget", "Multipart dropping a part: no room left for early messages");
                const uint16_t n = it->number, t = it->target;
                lost += Forget([&](const TJoin& j) { return j.number == n && j.target == t; });
            } else {
                it->have[index] = true;
                it->bytes += int64_t(length);
                it->parts[index] = TQZByteArray(r.Here(), r.Here() + length);
                it->lastTime = now;
                if (--it->missing == 0) {
                    for (auto& part : it->parts) whole.insert(whole.end(), part.begin(), part.end());
                    host_->ReturnCacheBytes(it->bytes);
                    joins_.erase(it);
                }
            }
        }
    }
    // The parts came reliably and are acknowledged: a message given up here
    // is never sent again, and a channel waiting for it would wait for good.
    if (lost > 0) {
        host_->Abandon(std::to_string(lost) + " multipart message(s) could not be completed");
        return;
    }
    if (!whole.empty()) {
        if (auto channel = host_->FindChannel(target)) channel->OnReceiveTS(whole);
    }
}

void TQZChannelMultipart::Reset()
{
    TQZChannel::Reset();
    TQZLock guard(lock_);
    sends_.clear();
    Forget([](const TJoin&) { return true; });
}

int32_t TQZChannelMultipart::PendingSends()
{
    TQZLock guard(lock_);
    return int32_t(sends_.size());
}

int32_t TQZChannelMultipart::PendingJoins()
{
    TQZLock guard(lock_);
    return int32_t(joins_.size());
}

int64_t TQZChannelMultipart::JoinBytes()
{
    TQZLock guard(lock_);
    int64_t bytes = 0;
    for (const auto& j : joins_) bytes += j.bytes;
    return bytes;
}
