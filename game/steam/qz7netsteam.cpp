#include "qz7netsteam.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace {

constexpr uint16_t kSessionPort = 6969;
constexpr uint8_t kSessionChannel = 2;

bool IsHello(const std::vector<uint8_t>& bytes)
{
    if (bytes.size() != 4) return false;
    const uint32_t word = uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 |
                          uint32_t(bytes[3]) << 24;
    return word == kSteamHelloWord;
}

std::unique_ptr<TQZNetworkThread> MakeSteamThread()
{
    return std::make_unique<TQZNetworkThreadSteam>(GetInstance<TQZSteam>(QZSLOT_STEAM));
}

}  // namespace

uint8_t SteamChannelForPort(uint16_t port)
{
    return port == kSessionPort ? kSessionChannel : uint8_t(port & 0xFF);
}

int32_t SteamWaitTime(uint32_t nextDue, uint32_t now)
{
    uint32_t until = now + kNetMaxWait;
    if (nextDue != kNetNoTick && NetTimeDiff(nextDue, until) < 0) until = nextDue;
    const int32_t ahead = NetTimeDiff(until, now);
    if (ahead < 0) return -1;
    return std::clamp(ahead, 1, kSteamWaitMax);
}

void RegisterSteamNetworkThread()
{
    RegisterNetworkThreadClass(&MakeSteamThread);
}

TQZNetworkThreadSteam::TQZNetworkThreadSteam(TQZSteam* steam, bool ownThread) : steam_(steam), ownThread_(ownThread) {}

TQZNetworkThreadSteam::~TQZNetworkThreadSteam()
{
    Stop();
    Detach();
}

void TQZNetworkThreadSteam::Begin()
{
    // Messages that arrive end the loop's wait at once.
    steam_->Networking()->SetMessageHook([wake = wake_] { wake->Set(); });
    if (ownThread_) Start();
}

int32_t TQZNetworkThreadSteam::Host(uint16_t port)
{
    if (!steam_ || !steam_->Initialised()) return QZRES_FAILED;
    if (IsOpen()) Close();
    steam_->Networking()->SetSessionRequestHandler([this](uint64_t user) { OnSessionRequest(user); });
    state_.store(Hosting);
    channel_.store(SteamChannelForPort(port));
    Begin();
    return QZRES_OK;
}

void TQZNetworkThreadSteam::OnSessionRequest(uint64_t user)
{
    if (state_.load() != Hosting) return;
    steam_->Networking()->Accept(user);
    AddPeer(user);
}

void TQZNetworkThreadSteam::AddPeer(uint64_t user)
{
    std::lock_guard<std::mutex> guard(peersLock_);
    if (std::find(peers_.begin(), peers_.end(), user) == peers_.end()) peers_.push_back(user);
}

std::vector<uint64_t> TQZNetworkThreadSteam::Peers()
{
    std::lock_guard<std::mutex> guard(peersLock_);
    return peers_;
}

int32_t TQZNetworkThreadSteam::Connect(const std::string& address, uint16_t port, TQZNetPacket& remote)
{
    // Anything but a user id would be sent to nobody (or to user 0).
    uint64_t user = 0;
    if (!ParseSteamId(address, user)) return QZRES_BADARG;
    if (!steam_ || !steam_->Initialised()) return QZRES_FAILED;
    if (IsOpen()) Close();
    state_.store(Connecting);
    channel_.store(SteamChannelForPort(port));
    remote.address = SteamIdText(user);
    remote.port = channel_.load();
    uint8_t hello[4];
    for (int i = 0; i < 4; ++i) hello[i] = uint8_t(kSteamHelloWord >> (8 * i));
    if (!steam_->Networking()->SendMessage(channel_.load(), user, hello, sizeof(hello))) {
        state_.store(Closed);
        return QZRES_FAILED;
    }
    Begin();
    return QZRES_OK;
}

void TQZNetworkThreadSteam::Close()
{
    std::vector<uint64_t> peers;
    {
        std::lock_guard<std::mutex> guard(peersLock_);
        peers.swap(peers_);
    }
    if (steam_ && steam_->Initialised())
        for (auto it = peers.rbegin(); it != peers.rend(); ++it) steam_->Networking()->CloseSession(*it);
    state_.store(Closed);
    DoWake();
}

std::string TQZNetworkThreadSteam::GetLocalAddress()
{
    if (!steam_ || !steam_->Initialised()) return "Unnamed";
    return steam_->Players()->LocalPlayer().name;
}

void TQZNetworkThreadSteam::TWake::Set()
{
    {
        std::lock_guard<std::mutex> guard(lock);
        woken = true;
    }
    signal.notify_all();
}

void TQZNetworkThreadSteam::TWake::WaitFor(int32_t ms)
{
    std::unique_lock<std::mutex> guard(lock);
    signal.wait_for(guard, std::chrono::milliseconds(ms), [this] { return woken; });
    woken = false;
}

void TQZNetworkThreadSteam::DoWake()
{
    wake_->Set();
}

void TQZNetworkThreadSteam::Wait(uint32_t until)
{
    const int32_t ms = SteamWaitTime(until, GetNetTime());
    if (ms >= 0) wake_->WaitFor(ms);
}

void TQZNetworkThreadSteam::Pull()
{
    const uint8_t channel = channel_.load();
    for (auto& m : steam_->Networking()->Receive(channel, kSteamReceiveBatch)) {
        if (IsHello(m.bytes)) {
            AddPeer(m.sender);
            continue;
        }
        TQZNetPacket packet;
        packet.address = SteamIdText(m.sender);
        packet.port = uint16_t(m.channel);
        packet.time = GetNetTime();
        packet.bytes = std::move(m.bytes);
        inbox_.push_back(std::move(packet));
    }
}

bool TQZNetworkThreadSteam::Receive(TQZNetPacket& packet)
{
    if (!steam_ || !steam_->Initialised() || !IsOpen()) return false;
    if (inbox_.empty()) Pull();
    if (inbox_.empty()) return false;
    packet = std::move(inbox_.front());
    inbox_.pop_front();
    return true;
}

bool TQZNetworkThreadSteam::Send(const TQZNetPacket& packet)
{
    if (!steam_ || !steam_->Initialised()) return false;
    uint64_t user = 0;
    if (!ParseSteamId(packet.address, user)) {
        steam_->Log("Send to " + packet.address + " refused - not a user id");
        return false;
    }
    return steam_->Networking()->SendMessage(channel_.load(), user, packet.bytes.data(), uint32_t(packet.bytes.size()));
}

void TQZNetworkThreadSteam::Clear()
{
    inbox_.clear();
}

void TQZNetworkThreadSteam::Detach()
{
    if (!steam_ || !steam_->Initialised()) return;
    steam_->Networking()->SetSessionRequestHandler(nullptr);
    steam_->Networking()->SetMessageHook(nullptr);
}
