#include "qz7netmemory.h"

TQZMemoryNetwork::TQZMemoryNetwork(uint64_t seed, uint32_t startTime) : now_(startTime), random_(seed) {}

TQZMemoryNetwork::~TQZMemoryNetwork()
{
    if (ownsClock_) SetNetTimeSource(nullptr);
}

void TQZMemoryNetwork::UseAsNetClock()
{
    ownsClock_ = true;
    SetNetTimeSource([this] { return Now(); });
}

uint64_t TQZMemoryNetwork::NextRandom()
{
    // splitmix64: the same seed gives the same run on every machine.
    uint64_t z = (random_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

double TQZMemoryNetwork::Unit()
{
    return double(NextRandom() >> 11) * (1.0 / 9007199254740992.0);
}

void TQZMemoryNetwork::SetFaults(const TQZNetFaults& faults)
{
    std::lock_guard<std::mutex> guard(lock_);
    faults_ = faults;
}

void TQZMemoryNetwork::Partition(const std::string& address, bool cut)
{
    std::lock_guard<std::mutex> guard(lock_);
    if (cut) cut_.insert(address);
    else cut_.erase(address);
}

std::unique_ptr<TQZMemoryNetworkThread> TQZMemoryNetwork::CreateEndpoint(const std::string& address)
{
    return std::make_unique<TQZMemoryNetworkThread>(*this, address);
}

TQZMemoryNetworkStats TQZMemoryNetwork::Stats()
{
    std::lock_guard<std::mutex> guard(lock_);
    return stats_;
}

bool TQZMemoryNetwork::Bind(const std::string& address, uint16_t port)
{
    std::lock_guard<std::mutex> guard(lock_);
    if (port == 0) port = nextPort_++;
    bound_[address] = port;
    return true;
}

void TQZMemoryNetwork::Unbind(const std::string& address)
{
    std::lock_guard<std::mutex> guard(lock_);
    bound_.erase(address);
}

uint16_t TQZMemoryNetwork::BoundPort(const std::string& address)
{
    std::lock_guard<std::mutex> guard(lock_);
    auto it = bound_.find(address);
    return it == bound_.end() ? 0 : it->second;
}

void TQZMemoryNetwork::Transmit(const std::string& from, const TQZNetPacket& packet)
{
    std::lock_guard<std::mutex> guard(lock_);
    auto source = bound_.find(from);
    if (source == bound_.end()) return;
    ++stats_.sent;
    stats_.bytesSent += int64_t(packet.bytes.size());
    if (cut_.count(from) || cut_.count(packet.address) || Unit() < faults_.loss) {
        ++stats_.lost;
        return;
    }
    const int copies = Unit() < faults_.duplicate ? 2 : 1;
    if (copies == 2) ++stats_.duplicated;
    for (int i = 0; i < copies; ++i) {
        uint64_t delay = faults_.delay;
        if (faults_.jitter) delay += NextRandom() % (uint64_t(faults_.jitter) + 1);
        if (Unit() < faults_.reorder) delay += NextRandom() % (uint64_t(faults_.reorderDelay) + 1);
        TWire wire{packet.address, packet.port, packet};
        wire.packet.address = from;
        wire.packet.port = source->second;
        wire_.emplace(std::make_pair(now_.load() + delay, order_++), std::move(wire));
    }
}

bool TQZMemoryNetwork::Take(const std::string& address, TQZNetPacket& packet)
{
    std::lock_guard<std::mutex> guard(lock_);
    const uint64_t now = now_.load();
    for (auto it = wire_.begin(); it != wire_.end() && it->first.first <= now;) {
        if (it->second.toAddress != address) {
            ++it;
            continue;
        }
        auto bound = bound_.find(address);
        const bool deliverable = bound != bound_.end() && bound->second == it->second.toPort && !cut_.count(address);
        if (deliverable) {
            packet = std::move(it->second.packet);
            packet.time = uint32_t(now);
            wire_.erase(it);
            ++stats_.delivered;
            return true;
        }
        ++stats_.undeliverable;
        it = wire_.erase(it);
    }
    return false;
}

TQZMemoryNetworkThread::TQZMemoryNetworkThread(TQZMemoryNetwork& network, const std::string& address)
    : network_(network), address_(ClampNetAddress(address))
{
}

TQZMemoryNetworkThread::~TQZMemoryNetworkThread()
{
    Stop();
    network_.Unbind(address_);
}

int32_t TQZMemoryNetworkThread::Host(uint16_t port)
{
    return network_.Bind(address_, port) ? QZRES_OK : QZRES_FAILED;
}

int32_t TQZMemoryNetworkThread::Connect(const std::string& address, uint16_t port, TQZNetPacket& remote)
{
    if (address.empty()) return QZRES_BADARG;
    if (network_.BoundPort(address_) == 0) network_.Bind(address_, 0);
    remote.address = ClampNetAddress(address);
    remote.port = port;
    return QZRES_OK;
}

void TQZMemoryNetworkThread::Close()
{
    network_.Unbind(address_);
}

bool TQZMemoryNetworkThread::IsOpen()
{
    return network_.BoundPort(address_) != 0;
}

uint16_t TQZMemoryNetworkThread::LocalPort()
{
    return network_.BoundPort(address_);
}

bool TQZMemoryNetworkThread::Receive(TQZNetPacket& packet)
{
    return network_.Take(address_, packet);
}

bool TQZMemoryNetworkThread::Send(const TQZNetPacket& packet)
{
    network_.Transmit(address_, packet);
    return true;
}
