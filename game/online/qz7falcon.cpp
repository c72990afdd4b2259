// Sections, in order: identity (the 48-byte record, state and event
// names); peers (a peer as its channels' host, routing, steps, the peer
// list); services (the list the session calls); session (open, host,
// close, events, the main-thread step, the network-thread step, datagrams
// from unknown addresses).
#include "qz7falcon.h"

#include "qz7netadmin.h"
#include "qz7netchunk.h"
#include "qz7netmultipart.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <random>

// ---------------------------------------------------------------- identity

void WriteIdentity(TQZNetWriter& w, const TQZIdentity& identity)
{
    const size_t length = std::min(identity.name.size(), kIdentityTextMax);
    w.U8(uint8_t(length));
    w.Bytes(reinterpret_cast<const uint8_t*>(identity.name.data()), length);
    w.Zero(kIdentityTextMax - length);
    w.Bytes(identity.guid.data(), identity.guid.size());
}

TQZIdentity ReadIdentity(TQZNetReader& r)
{
    TQZIdentity identity;
    const size_t length = std::min<size_t>(r.U8(), kIdentityTextMax);
    TQZByteArray text = r.Bytes(kIdentityTextMax);
    if (text.size() == kIdentityTextMax) identity.name.assign(text.begin(), text.begin() + ptrdiff_t(length));
    TQZByteArray guid = r.Bytes(16);
    if (guid.size() == 16) std::copy(guid.begin(), guid.end(), identity.guid.begin());
    return identity;
}

TQZIdentity MakeIdentity(const std::string& name)
{
    TQZIdentity identity;
    identity.name = name.substr(0, kIdentityTextMax);
    std::random_device device;
    for (size_t i = 0; i < identity.guid.size(); i += 4) {
        uint32_t v = device();
        for (size_t k = 0; k < 4; ++k) identity.guid[i + k] = uint8_t(v >> (8 * k));
    }
    return identity;
}

std::string FalconStateName(TQZFalconState state)
{
    switch (state) {
    case FS_DISCONNECTED: return "Disconnected";
    case FS_HOST_READY: return "Listening (Host)";
    case FS_HOST_CONNECTED: return "Connected (Host)";
    case FS_CLIENT_CONNECTING: return "Connecting";
    case FS_CLIENT_CONNECTED: return "Connected";
    case FS_SEARCH_HOST: return "Searching (Host)";
    case FS_SEARCH_CLIENT: return "Searching (Outbound)";
    }
    return "Unknown";
}

std::string FalconEventName(TQZFalconEvent event)
{
    switch (event) {
    case IDENTITY_CHANGE: return "IDENTITY_CHANGE";
    case PEER_CONNECT: return "PEER_CONNECT";
    case PEER_GOODBYE: return "PEER_GOODBYE";
    case PEER_DISCONNECT: return "PEER_DISCONNECT";
    case PEER_RELEASE: return "PEER_RELEASE";
    }
    return "Unknown";
}

// ---------------------------------------------------------------- peers

std::shared_ptr<TQZChannel> TQZChannels::Find(uint16_t id)
{
    TQZLock guard(lock_);
    for (const auto& c : items_)
        if (c->Id() == id) return c;
    return nullptr;
}

TQZPeer::TQZPeer(TQZFalcon* session, const std::string& address, uint16_t port)
    : session_(session), connection_(std::make_unique<TQZConnection>(session->Thread(), address, port))
{
    connection_->SetReceiptCallback(&TQZPeer::RouteReceipt, this);
    connection_->SetReceiveCallback(&TQZPeer::RouteReceive, this);
    admin_ = AddChannel(std::make_shared<TQZChannelAdmin>(this));
    relay_ = AddChannel(std::make_shared<TQZChannelRelay>(this));
    relay_->SetDeliverOnNetworkThread(true);
    chunk_ = AddChannel(std::make_shared<TQZChannelChunk>(this));
    multipart_ = AddChannel(std::make_shared<TQZChannelMultipart>(this));
}

TQZPeer::~TQZPeer()
{
    // The last reference may be dropped by any owner on any thread; the
    // network thread dispatches to this peer's connection under the session's
    // lock, so the receive target goes away under it too.
    TQZLock hold(session_->Lock());
    // Channels go before the connection they send through.
    channels_.Clear();
    connection_.reset();
}

TQZCriticalSection& TQZPeer::SessionLock() { return session_->Lock(); }

void TQZPeer::Log(const std::string& line) { session_->Log(line); }

int32_t TQZPeer::SendCarried(const TQZByteArray& message, uint16_t target)
{
    if (message.size() <= kMultipartMax) return multipart_->SendData(message, target);
    return chunk_->SendData(message, target);
}

void TQZPeer::Abandon(const std::string& reason)
{
    TQZLock hold(session_->Lock());
    if (!IsConnected()) return;
    session_->Log("Ending the connection to " + NetAddressText(connection_->Address(), connection_->Port()) + ": " +
                  reason);
    // The goodbye tells the other end at once instead of after its time-out.
    admin_->Goodbye();
}

TQZIdentity TQZPeer::Identity()
{
    TQZLock guard(identityLock_);
    return identity_;
}

void TQZPeer::SetIdentity(const TQZIdentity& identity)
{
    TQZLock guard(identityLock_);
    identity_ = identity;
}

void TQZPeer::ResetAddress(const std::string& address, uint16_t port)
{
    TQZLock hold(session_->Lock());
    connection_->Reset(address, port);
    for (const auto& channel : channels_.Snapshot()) channel->Reset();
}

void TQZPeer::RouteReceipt(void* user, uint16_t channel, int32_t sequence, TQZNetPacketState state)
{
    auto* peer = static_cast<TQZPeer*>(user);
    if (auto c = peer->FindChannel(channel)) c->OnReceiptTS(sequence, state);
}

void TQZPeer::RouteReceive(void* user, uint16_t channel, int32_t sequence, const TQZByteArray& payload)
{
    (void)sequence;
    auto* peer = static_cast<TQZPeer*>(user);
    if (auto c = peer->FindChannel(channel)) {
        c->OnReceiveTS(payload);
    } else {
        peer->session_->Log("Abandoning packet for channel " + std::to_string(channel) + " as doesn't exist!");
    }
    // Acknowledge at once before the window of 32 runs past what we hold;
    // a peer we have given up hears nothing, so that it times out as well.
    if (peer->IsConnected() && peer->connection_->ReceivedSinceSend() >= kImmediateAck)
        peer->admin_->SendKeepAlive();
}

void TQZPeer::Step()
{
    connection_->CheckLoss(connection_->LossTimeout());
    for (const auto& channel : channels_.Snapshot()) channel->Process();
    Process();
}

namespace {

// The earlier of two tick times as the wrapping clock sees them from now.
uint32_t EarlierTick(uint32_t a, uint32_t b, uint32_t now)
{
    if (a == kNetNoTick) return b;
    if (b == kNetNoTick) return a;
    return NetTimeDiff(a, now) <= NetTimeDiff(b, now) ? a : b;
}

}  // namespace

uint32_t TQZPeer::TickChannels(uint32_t now)
{
    connection_->DeliverDeferredReceipts();
    uint32_t next = kNetNoTick;
    for (const auto& channel : channels_.Snapshot()) {
        channel->FlushResends();
        if (channel->TickInterval() > 0 && NetTimeDiff(now, channel->NextTick()) >= 0) channel->OnThreadTick();
        if (channel->TickInterval() > 0) next = EarlierTick(next, channel->NextTick(), now);
    }
    return next;
}

std::shared_ptr<TQZPeer> TQZPeers::AddPeer(const std::string& address, uint16_t port)
{
    std::shared_ptr<TQZPeer> peer =
        peerClass_ ? peerClass_(session_, address, port) : std::make_shared<TQZPeer>(session_, address, port);
    peer->Setup();
    Add(peer);
    session_->Services().OnPeerAdded(peer.get());
    return peer;
}

std::shared_ptr<TQZPeer> TQZPeers::FindByIdentity(const TQZIdentity& identity)
{
    TQZLock guard(lock_);
    for (const auto& p : items_)
        if (p->Identity().SamePeer(identity)) return p;
    return nullptr;
}

std::shared_ptr<TQZPeer> TQZPeers::Find(const TQZPeer* peer)
{
    TQZLock guard(lock_);
    for (const auto& p : items_)
        if (p.get() == peer) return p;
    return nullptr;
}

std::shared_ptr<TQZPeer> TQZPeers::First()
{
    TQZLock guard(lock_);
    return items_.empty() ? nullptr : items_.front();
}

bool TQZPeers::ReleaseIdlest()
{
    std::shared_ptr<TQZPeer> idlest;
    const uint32_t now = GetNetTime();
    for (const auto& p : Snapshot()) {
        if (p->IsConnected()) continue;
        if (!idlest || NetTimeDiff(now, p->Connection().LastReceiveTime()) >
                           NetTimeDiff(now, idlest->Connection().LastReceiveTime()))
            idlest = p;
    }
    if (!idlest) return false;
    // Freed when idlest goes, outside the list's lock.
    Remove(idlest);
    return true;
}

std::vector<std::shared_ptr<TQZPeer>> TQZPeers::ConnectedPeers()
{
    std::vector<std::shared_ptr<TQZPeer>> out;
    for (const auto& p : Snapshot())
        if (p->IsConnected()) out.push_back(p);
    return out;
}

// ---------------------------------------------------------------- services

std::shared_ptr<TQZFalconService> TQZFalconServices::FindByName(const std::string& name)
{
    TQZLock guard(lock_);
    for (const auto& s : items_)
        if (s->Name() == name) return s;
    return nullptr;
}

void TQZFalconServices::Close()
{
    for (const auto& s : Snapshot()) s->Close();
}

void TQZFalconServices::OnEvent(const TQZFalconEventRec& event)
{
    for (const auto& s : Snapshot()) s->OnEvent(event);
}

void TQZFalconServices::OnPeerAdded(TQZPeer* peer)
{
    for (const auto& s : Snapshot()) s->OnPeerAdded(peer);
}

void TQZFalconServices::Process()
{
    for (const auto& s : Snapshot()) s->Process();
}

void TQZFalconServices::OnThreadTick()
{
    for (const auto& s : Snapshot()) {
        s->OnThreadTick();
        s->lastThreadTick = GetNetTime();
    }
}

// ---------------------------------------------------------------- session

TQZFalcon::TQZFalcon(int32_t sessionId, std::unique_ptr<TQZNetworkThread> thread)
    : sessionId_(sessionId), thread_(thread ? std::move(thread) : CreateNetworkThread()),
      mainThread_(std::this_thread::get_id())
{
    identity_ = MakeIdentity(thread_ ? thread_->GetLocalAddress() : std::string());
    if (thread_) {
        thread_->SetDispatchLock(&logic_);
        thread_->SetTickCallback(&TQZFalcon::ThreadTick, this);
        thread_->SetUnknownCallback(&TQZFalcon::OnUnknown, this);
    }
}

TQZFalcon::~TQZFalcon()
{
    if (thread_) {
        thread_->Stop();
        thread_->SetTickCallback(nullptr, nullptr);
        thread_->SetUnknownCallback(nullptr, nullptr);
    }
    TQZLock hold(logic_);
    services_.Clear();
    events_.Clear();
    peers_.Clear();
}

void TQZFalcon::SetLogCallback(TQZLogCallback callback, void* user)
{
    TQZLock guard(logLock_);
    log_ = callback;
    logUser_ = user;
}

void TQZFalcon::Log(const std::string& text)
{
    TQZLogCallback callback;
    void* user;
    {
        TQZLock guard(logLock_);
        callback = log_;
        user = logUser_;
    }
    if (!callback) return;
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&seconds, &local);
    char stamp[32];
    std::snprintf(stamp, sizeof(stamp), "%02d:%02d:%02d.%03d", local.tm_hour, local.tm_min, local.tm_sec,
                  int(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000));
    callback(user, std::string(stamp) + ": " + text);
}

TQZIdentity TQZFalcon::LocalIdentity()
{
    TQZLock guard(identityLock_);
    return identity_;
}

void TQZFalcon::SetIdentity(const TQZIdentity& identity)
{
    {
        TQZLock guard(identityLock_);
        identity_ = identity;
        identity_.name = identity_.name.substr(0, kIdentityTextMax);
    }
    QueueEvent(IDENTITY_CHANGE, nullptr);
}

bool TQZFalcon::IsHost() const
{
    const TQZFalconState s = state_.load();
    return s == FS_HOST_READY || s == FS_HOST_CONNECTED || s == FS_SEARCH_HOST;
}

bool TQZFalcon::IsConnected() const
{
    const TQZFalconState s = state_.load();
    return s == FS_HOST_CONNECTED || s == FS_CLIENT_CONNECTED;
}

void TQZFalcon::StateChange(TQZFalconState state)
{
    const TQZFalconState old = state_.load();
    if (old == state) return;
    Log("StateChange from (" + FalconStateName(old) + ") to " + FalconStateName(state));
    state_.store(state);
    stateChanged_.store(true);
}

int32_t TQZFalcon::Open(const std::string& address)
{
    TQZLock hold(logic_);
    CloseConnection();
    if (!thread_) return QZRES_FAILED;
    TQZNetPacket remote;
    const int32_t result = thread_->Connect(address, port_, remote);
    if (result != 0) {
        Log("Error - Failed to open Outbound channel");
        StateChange(FS_DISCONNECTED);
        return result;
    }
    StateChange(FS_CLIENT_CONNECTING);
    Log("Open - connecting to " + NetAddressText(remote.address, remote.port));
    std::shared_ptr<TQZPeer> peer = peers_.AddPeer(remote.address, remote.port);
    peer->Admin()->StartJoin();
    return result;
}

int32_t TQZFalcon::Host()
{
    TQZLock hold(logic_);
    CloseConnection();
    if (!thread_) return QZRES_FAILED;
    const int32_t result = thread_->Host(port_);
    if (result != 0) {
        Log("Error - Failed to open the host port " + std::to_string(port_));
        return result;
    }
    StateChange(FS_HOST_READY);
    return result;
}

void TQZFalcon::Close()
{
    TQZLock hold(logic_);
    if (state_.load() == FS_DISCONNECTED) return;
    services_.Close();
    if (IsConnected())
        for (const auto& peer : peers_.ConnectedPeers()) peer->Admin()->Goodbye();
    CloseConnection();
}

void TQZFalcon::CloseConnection()
{
    if (thread_) {
        // The goodbyes queued just now leave before the transport closes.
        thread_->Flush();
        thread_->Close();
    }
    Log("Close connection");
    StateChange(FS_DISCONNECTED);
    for (const auto& peer : peers_.Snapshot()) QueueEvent(PEER_RELEASE, peer.get());
    if (std::this_thread::get_id() == mainThread_) DispatchEvents();
}

void TQZFalcon::DisconnectPeer(TQZPeer* peer, bool goodbye)
{
    TQZLock hold(logic_);
    if (!peer || !peer->IsConnected()) return;
    peer->SetConnected(false);
    if (IsHost()) {
        if (peers_.ConnectedPeers().empty()) StateChange(FS_HOST_READY);
    } else {
        StateChange(FS_DISCONNECTED);
    }
    if (goodbye) {
        Log(IsHost() ? "Client has closed the connection" : "Host initiated disconnection");
        QueueEvent(PEER_GOODBYE, peer);
    } else {
        QueueEvent(PEER_DISCONNECT, peer);
    }
}

void TQZFalcon::QueueEvent(TQZFalconEvent event, TQZPeer* peer)
{
    events_.Push(TQZFalconEventRec{event, peer ? peers_.Find(peer) : nullptr});
}

void TQZFalcon::ReleaseAll()
{
    TQZLock hold(logic_);
    if (peers_.Count() == 0) return;
    peers_.Clear();
    Log("All Peers Released");
}

void TQZFalcon::DropUnansweredJoins()
{
    const uint32_t now = GetNetTime();
    for (const auto& peer : peers_.Snapshot()) {
        if (!peer->IsConnected() || peer->Answered()) continue;
        if (NetTimeDiff(now, peer->AcceptTime()) <= int32_t(kWelcomeAnswerTime)) continue;
        TQZConnection& c = peer->Connection();
        Log("Dropping the join of " + peer->Identity().name + " at " + NetAddressText(c.Address(), c.Port()) +
            ": the welcome was never answered");
        DisconnectPeer(peer.get(), false);
        peers_.Remove(peer);
    }
}

void TQZFalcon::ForceKick(TQZPeer* peer)
{
    Log("Force-kicking peer");
    peer->Admin()->Goodbye();
}

TQZFalconService* TQZFalcon::GetService(const std::string& name, TQZServiceMaker make)
{
    TQZLock hold(logic_);
    auto service = services_.FindByName(name);
    if (!service) {
        service = make(this);
        services_.Add(service);
        for (const auto& peer : peers_.Snapshot()) service->OnPeerAdded(peer.get());
    }
    return service.get();
}

void TQZFalcon::DispatchEvents()
{
    TQZFalconEventRec rec;
    while (events_.Pop(rec)) {
        services_.OnEvent(rec);
        switch (rec.event) {
        case PEER_CONNECT:
            if (onConnect_) onConnect_(onConnectUser_, rec.peer.get());
            break;
        case PEER_GOODBYE:
        case PEER_DISCONNECT:
            if (onDisconnect_) onDisconnect_(onDisconnectUser_, rec.peer.get());
            break;
        case PEER_RELEASE: ReleaseAll(); break;
        case IDENTITY_CHANGE: break;
        }
    }
    if (stateChanged_.load() && onState_) {
        stateChanged_.store(false);
        onState_(onStateUser_, this);
    }
}

void TQZFalcon::Process()
{
    TQZLock hold(logic_);
    TQZNetPacket packet;
    while (unknown_.Pop(packet)) AdminProcessUnknown(*this, packet);
    services_.Process();
    for (const auto& peer : peers_.Snapshot()) peer->Step();
    if (IsHost()) DropUnansweredJoins();
    DispatchEvents();
}

uint32_t TQZFalcon::ThreadTick(void* user)
{
    return static_cast<TQZFalcon*>(user)->DoThread();
}

uint32_t TQZFalcon::DoThread()
{
    TQZLock hold(logic_);
    services_.OnThreadTick();
    const uint32_t now = GetNetTime();
    uint32_t next = kNetNoTick;
    for (const auto& peer : peers_.Snapshot()) next = EarlierTick(next, peer->TickChannels(now), now);
    return next;
}

void TQZFalcon::OnUnknown(void* user, const TQZNetPacket& packet)
{
    auto* self = static_cast<TQZFalcon*>(user);
    const TQZFalconState state = self->state_.load();
    if (self->IsHost()) {
        if (packet.bytes.size() != kNetHeaderSize + kJoinSize) {
            self->Log("Packet from unknown address, unexpected size - purging");
            return;
        }
    } else if (state == FS_CLIENT_CONNECTING) {
        self->Log("Packet from unknown address, while we were connecting... allow it");
    } else {
        self->Log("Received packet from unknown address " + NetAddressPlain(packet.address, packet.port) +
                  " - ignoring");
        return;
    }
    if (self->unknown_.Count() >= kUnknownQueueMax) {
        self->Log("Unknown packet queue full - purging");
        return;
    }
    self->Log("Adding packet from \"" + NetAddressPlain(packet.address, packet.port) + "\" to unknown_packet_queue");
    self->unknown_.Push(packet);
}
