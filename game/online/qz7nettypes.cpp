#include "qz7nettypes.h"

#include "osClock.h"

namespace {

std::function<uint32_t()>& NetTimeSource()
{
    static std::function<uint32_t()> source;
    return source;
}

}  // namespace

uint32_t GetNetTime()
{
    const auto& source = NetTimeSource();
    return source ? source() : plat::os::TickMilliseconds();
}

void SetNetTimeSource(std::function<uint32_t()> source)
{
    NetTimeSource() = std::move(source);
}

std::string NetAddressText(const std::string& address, uint16_t port)
{
    return "[" + address + "]:" + std::to_string(port);
}

std::string NetAddressPlain(const std::string& address, uint16_t port)
{
    return address + ":" + std::to_string(port);
}

std::string ClampNetAddress(const std::string& address)
{
    return address.size() > kNetAddressMax ? address.substr(0, kNetAddressMax) : address;
}

std::string NetEndPointStateName(TQZNetEndPointState state)
{
    switch (state) {
    case ES_SELF: return "Self";
    case ES_INVITED: return "Invited";
    case ES_CONNECTED: return "Connected";
    case ES_DISCONNECTED: return "Disconnected";
    default: return "Unknown";
    }
}

int32_t TQZNetQueueManager::Push(const TQZNetPacket& packet)
{
    TQZLock guard(lock_);
    items_.push_back(packet);
    int32_t count = int32_t(items_.size() - head_);
    if (count > largest_) largest_ = count;
    return count - 1;
}

bool TQZNetQueueManager::Pop(TQZNetPacket& packet)
{
    TQZLock guard(lock_);
    if (head_ >= items_.size()) return false;
    packet = std::move(items_[head_++]);
    // Compact once the consumed front dominates, so Pop stays cheap.
    if (head_ == items_.size()) {
        items_.clear();
        head_ = 0;
    } else if (head_ > 64 && head_ * 2 > items_.size()) {
        items_.erase(items_.begin(), items_.begin() + ptrdiff_t(head_));
        head_ = 0;
    }
    return true;
}

int32_t TQZNetQueueManager::Count()
{
    TQZLock guard(lock_);
    return int32_t(items_.size() - head_);
}

void TQZNetQueueManager::Clear()
{
    TQZLock guard(lock_);
    items_.clear();
    head_ = 0;
}

int32_t TQZNetQueueManager::Largest()
{
    TQZLock guard(lock_);
    return largest_;
}
