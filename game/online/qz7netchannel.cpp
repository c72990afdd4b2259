#include "qz7netchannel.h"

#include <algorithm>

TQZChannel::TQZChannel(TQZChannelHost* host, uint16_t id) : host_(host), id_(id)
{
    TQZChannel::Reset();
}

void TQZChannel::Log(const std::string& line)
{
    host_->Log(line);
}

void TQZChannel::SetTickInterval(uint32_t interval)
{
    interval_ = interval;
    nextTick_ = interval ? GetNetTime() : kNetNoTick;
}

void TQZChannel::SetReceiveCallback(TQZChannelReceive callback, void* user)
{
    TQZLock guard(callbackLock_);
    receive_ = callback;
    receiveUser_ = user;
}

void TQZChannel::SetReceiptCallback(TQZChannelReceipt callback, void* user)
{
    TQZLock guard(callbackLock_);
    receipt_ = callback;
    receiptUser_ = user;
}

void TQZChannel::Reset()
{
    const uint32_t now = GetNetTime();
    lastSend_ = now;
    lastReceive_ = now;
}

void TQZChannel::OnThreadTick()
{
    nextTick_ = interval_ ? GetNetTime() + interval_ : kNetNoTick;
}

void TQZChannel::OnReceiptTS(int32_t ticket, TQZNetPacketState state)
{
    DeliverReceipt(ticket, state, {});
}

void TQZChannel::OnReceiveTS(const TQZByteArray& payload)
{
    lastReceive_ = GetNetTime();
    Deliver(payload);
}

int32_t TQZChannel::Send(const TQZByteArray& bytes, bool tracked)
{
    TQZLock hold(SessionLock());
    lastSend_ = GetNetTime();
    return host_->Connection().SendDatagram(bytes, id_, tracked);
}

int32_t TQZChannel::SendPath(const TQZByteArray& bytes, bool tracked)
{
    TQZLock hold(SessionLock());
    if (bytes.size() <= kNetMaxDatagramPayload) return TQZChannel::Send(bytes, tracked);
    return host_->SendCarried(bytes, id_);
}

void TQZChannel::Deliver(const TQZByteArray& payload)
{
    if (!onNetworkThread_) {
        receiveQueue_.Push(payload);
        return;
    }
    TQZChannelReceive callback;
    void* user;
    {
        TQZLock guard(callbackLock_);
        callback = receive_;
        user = receiveUser_;
    }
    if (callback) callback(user, this, payload);
}

void TQZChannel::DeliverReceipt(int32_t ticket, TQZNetPacketState state, const TQZByteArray& payload)
{
    TReceiptRec rec{ticket, state, payload};
    if (!onNetworkThread_) {
        receiptQueue_.Push(rec);
        return;
    }
    TQZChannelReceipt callback;
    void* user;
    {
        TQZLock guard(callbackLock_);
        callback = receipt_;
        user = receiptUser_;
    }
    if (callback) callback(user, this, rec);
}

void TQZChannel::Process()
{
    if (onNetworkThread_) return;
    TQZChannelReceive receive;
    TQZChannelReceipt receipt;
    void *receiveUser, *receiptUser;
    {
        TQZLock guard(callbackLock_);
        receive = receive_;
        receiveUser = receiveUser_;
        receipt = receipt_;
        receiptUser = receiptUser_;
    }
    if (!receipt) {
        receiptQueue_.Clear();
    } else {
        TReceiptRec rec;
        while (receiptQueue_.Pop(rec)) receipt(receiptUser, this, rec);
    }
    if (!receive) {
        int32_t count = receiveQueue_.Count();
        if (count > 0) {
            host_->LogRepeated("purging " + std::to_string(id_), "Channel " + std::to_string(id_) + " purging " +
                                                                std::to_string(count) +
                                                                " received packets; no callback!");
            receiveQueue_.Clear();
        }
    } else {
        TQZByteArray payload;
        while (receiveQueue_.Pop(payload)) receive(receiveUser, this, payload);
    }
}

// ---------------------------------------------------------------- reliable

TQZChannelReliable::TQZChannelReliable(TQZChannelHost* host, bool ordered, uint16_t id)
    : TQZChannel(host, id), ordered_(ordered), lock_("Channel[" + std::to_string(int16_t(id)) + "] - Reliable")
{
}

int32_t TQZChannelReliable::SendCarried(const TQZByteArray& message)
{
    // Messages over one reliable datagram always travel through a carrier
    // that repeats what is lost, so an ordered channel never waits for good.
    return host_->SendCarried(message, id_);
}

int32_t TQZChannelReliable::Send(const TQZByteArray& bytes, bool reportReceipt)
{
    // The session's lock orders sends against receipts; the channel's own
    // lock is never held while another channel is called.
    TQZLock hold(SessionLock());
    // A message that no carrier takes must not use up a number: an ordered
    // receiver would wait for that number for good.
    if (bytes.size() + (ordered_ ? 4 : 0) > size_t(kChunkMaxLength)) {
        Log("Channel " + std::to_string(id_) + " refusing a message of " + std::to_string(bytes.size()) + " bytes");
        return kNetUntracked;
    }
    TQZByteArray copy = bytes;
    if (ordered_) {
        TQZNetWriter w(copy);
        w.U32(++counter_);
    }
    int32_t ticket;
    if (copy.size() > kReliableSingleMax) {
        ticket = SendCarried(copy);
    } else {
        lastSend_ = GetNetTime();
        ticket = host_->Connection().SendDatagram(copy, id_, true);
    }
    TQZLock guard(lock_);
    sendCache_.push_back(TPacketSendCache{ticket, ticket, reportReceipt, std::move(copy)});
    return ticket;
}

void TQZChannelReliable::OnReceiptTS(int32_t sequence, TQZNetPacketState state)
{
    TQZLock hold(SessionLock());
    std::unique_lock<TQZCriticalSection> guard(lock_);
    auto it = std::find_if(sendCache_.begin(), sendCache_.end(),
                           [&](const TPacketSendCache& e) { return e.current == sequence; });
    if (it == sendCache_.end()) {
        Log("Error! Reliable receipt received with no cache (SeqID=" + std::to_string(sequence) + ", receipt " +
            NetPacketStateName(state) + ")");
        return;
    }
    if (state == PKT_ACKNOWLEDGED) {
        TPacketSendCache entry = std::move(*it);
        sendCache_.erase(it);
        guard.unlock();
        if (entry.reportReceipt) DeliverReceipt(entry.ticket, PKT_ACKNOWLEDGED, entry.message);
    } else if (state == PKT_LOST) {
        if (!host_->IsConnected()) {
            sendCache_.erase(it);
        } else if (it->message.size() <= kReliableSingleMax) {
            // Repeated when the window has room: repeating at once would push
            // the next datagram out of a full table, and so on for ever.
            it->current = 0;
            resend_.push_back(it->ticket);
            guard.unlock();
            FlushResends();
        } else {
            // Carried messages are repeated by their carrier and never
            // reported lost; should one be, it is given up and reported.
            TPacketSendCache entry = std::move(*it);
            sendCache_.erase(it);
            guard.unlock();
            if (entry.reportReceipt) DeliverReceipt(entry.ticket, PKT_LOST, entry.message);
        }
    } else {
        Log("Error! Unexpected packet state " + NetPacketStateName(state));
    }
}

void TQZChannelReliable::OnReceiveTS(const TQZByteArray& bytes)
{
    TQZLock hold(SessionLock());
    lastReceive_ = GetNetTime();
    if (!ordered_) {
        Deliver(bytes);
        return;
    }
    if (bytes.size() < 4) {
        host_->LogRepeated("unnumbered", "Channel " + std::to_string(id_) + " dropping a message without its number");
        return;
    }
    TQZNetReader r(bytes.data() + bytes.size() - 4, 4);
    const uint32_t n = r.U32();
    std::vector<TQZByteArray> due;
    bool dropped = false;
    uint32_t waiting = 0;
    {
        TQZLock guard(lock_);
        if (n <= lastDelivered_) return;
        TQZByteArray payload(bytes.begin(), bytes.end() - 4);
        if (n == lastDelivered_ + 1) {
            lastDelivered_ = n;
            due.push_back(std::move(payload));
            FutureCheck(due);
        } else {
            dropped = !FutureCacheAdd(n, std::move(payload));
            waiting = lastDelivered_ + 1;
        }
    }
    // Its datagram is acknowledged, so the sender never repeats it: the
    // channel would wait for it for good.
    if (dropped) host_->Abandon("channel " + std::to_string(id_) + " cannot go on past message " + std::to_string(waiting));
    // Delivered outside the channel's lock: a relay hands these to other
    // channels, which may send on this one.
    for (const auto& payload : due) Deliver(payload);
}

bool TQZChannelReliable::FutureCacheAdd(uint32_t number, TQZByteArray payload)
{
    const std::string dropping = "Channel " + std::to_string(id_) + " dropping message " + std::to_string(number);
    if (number - lastDelivered_ > kFutureWindow || futureBytes_ + payload.size() > kFutureBytesMax) {
        host_->LogRepeated("too far ahead", dropping + ": too far ahead of " + std::to_string(lastDelivered_));
        return false;
    }
    auto it = std::lower_bound(future_.begin(), future_.end(), number,
                               [](const TPacketRecvCache& e, uint32_t n) { return e.number < n; });
    if (it != future_.end() && it->number == number) return true;
    if (!host_->TakeCacheBytes(int64_t(payload.size()))) {
        host_->LogRepeated("no budget", dropping + ": no room left for early messages");
        return false;
    }
    futureBytes_ += payload.size();
    future_.insert(it, TPacketRecvCache{number, std::move(payload)});
    return true;
}

void TQZChannelReliable::FutureCheck(std::vector<TQZByteArray>& due)
{
    size_t taken = 0;
    size_t bytes = 0;
    while (taken < future_.size() && future_[taken].number == lastDelivered_ + 1) {
        lastDelivered_ = future_[taken].number;
        bytes += future_[taken].payload.size();
        due.push_back(std::move(future_[taken].payload));
        ++taken;
    }
    future_.erase(future_.begin(), future_.begin() + ptrdiff_t(taken));
    futureBytes_ -= bytes;
    host_->ReturnCacheBytes(int64_t(bytes));
}

void TQZChannelReliable::DropFuture()
{
    if (futureBytes_ > 0) host_->ReturnCacheBytes(int64_t(futureBytes_));
    futureBytes_ = 0;
    std::vector<TPacketRecvCache>().swap(future_);
}

void TQZChannelReliable::ReleaseCaches()
{
    TQZLock guard(lock_);
    DropFuture();
}

TQZChannelReliable::~TQZChannelReliable()
{
    TQZLock guard(lock_);
    DropFuture();
}

void TQZChannelReliable::FlushResends()
{
    TQZLock hold(SessionLock());
    TQZLock guard(lock_);
    TQZConnection& connection = host_->Connection();
    while (!resend_.empty()) {
        const int32_t ticket = resend_.front();
        auto it = std::find_if(sendCache_.begin(), sendCache_.end(),
                               [&](const TPacketSendCache& e) { return e.ticket == ticket && e.current == 0; });
        if (it == sendCache_.end()) {
            resend_.pop_front();
            continue;
        }
        if (!host_->IsConnected()) {
            sendCache_.erase(it);
            resend_.pop_front();
            continue;
        }
        if (connection.InFlight() >= kNetSendWindow) break;
        lastSend_ = GetNetTime();
        it->current = connection.SendDatagram(it->message, id_, true);
        resend_.pop_front();
    }
}

void TQZChannelReliable::Reset()
{
    TQZChannel::Reset();
    TQZLock guard(lock_);
    lastDelivered_ = 0;
    counter_ = 0;
    sendCache_.clear();
    resend_.clear();
    DropFuture();
}

int32_t TQZChannelReliable::PendingCount()
{
    TQZLock guard(lock_);
    return int32_t(sendCache_.size());
}

int32_t TQZChannelReliable::FutureCount()
{
    TQZLock guard(lock_);
    return int32_t(future_.size());
}

size_t TQZChannelReliable::FutureBytes()
{
    TQZLock guard(lock_);
    return futureBytes_;
}

uint32_t TQZChannelReliable::LastDelivered()
{
    TQZLock guard(lock_);
    return lastDelivered_;
}

// ---------------------------------------------------------------- relay

TQZChannelRelay::TQZChannelRelay(TQZChannelHost* host)
    : TQZChannelReliable(host, true, CHANNEL_RELAY), receipts_([](const TRelayReceiptRec& a, const TRelayReceiptRec& b) {
          return a.ticket == b.ticket && a.target == b.target;
      })
{
}

int32_t TQZChannelRelay::RelaySend(uint16_t target, const TQZByteArray& bytes, bool wantReceipt)
{
    TQZLock hold(SessionLock());
    TQZByteArray message;
    message.reserve(bytes.size() + 2);
    TQZNetWriter(message).U16(target);
    message.insert(message.end(), bytes.begin(), bytes.end());
    int32_t ticket = TQZChannelReliable::Send(message, wantReceipt);
    if (wantReceipt) receipts_.Add(TRelayReceiptRec{ticket, target});
    return ticket;
}

void TQZChannelRelay::Deliver(const TQZByteArray& payload)
{
    if (payload.size() < 2) return;
    TQZNetReader r(payload);
    uint16_t target = r.U16();
    if (target == CHANNEL_RELAY || target == CHANNEL_ADMIN) return;
    auto channel = host_->FindChannel(target);
    if (!channel) return;
    channel->OnReceiveTS(TQZByteArray(payload.begin() + 2, payload.end()));
}

void TQZChannelRelay::DeliverReceipt(int32_t ticket, TQZNetPacketState state, const TQZByteArray& payload)
{
    TQZChannelReliable::DeliverReceipt(ticket, state, payload);
    for (const auto& rec : receipts_.Snapshot()) {
        if (rec.ticket != ticket) continue;
        receipts_.Remove(rec);
        if (auto channel = host_->FindChannel(rec.target)) channel->OnReceiptTS(ticket, state);
    }
}

void TQZChannelRelay::Reset()
{
    TQZChannelReliable::Reset();
    receipts_.Clear();
}
