// Sections, in order: events (their names); peers (a peer as its channels'
// host and its admin channel's, routing, steps, the peer list); services
// (the list the session calls); session (open, host, close, events, the
// main-thread step, the network-thread step, datagrams from unknown
// addresses); unknown addresses (joins at a host, a welcome from a new
// address).
#include "qz7falcon.h"

#include "qz7netchunk.h"
#include "qz7netmultipart.h"

#include "osMemory.h"

#include <chrono>
#include <cstdio>
#include <ctime>

// ---------------------------------------------------------------- events

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
    // What the channels keep goes back to the session's budget while this
    // peer, its holder, is whole.
    ReleaseCaches();
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

bool TQZPeer::TakeCacheBytes(int64_t bytes) { return session_->TakeCacheBytes(this, bytes); }

void TQZPeer::ReturnCacheBytes(int64_t bytes) { session_->CacheBudget().Release(this, bytes); }

void TQZPeer::LogRepeated(const std::string& kind, const std::string& line)
{
    session_->LogRepeated(kind, PlainAddress(), line);
}

void TQZPeer::ReleaseCaches()
{
    TQZLock hold(session_->Lock());
    for (const auto& channel : channels_.Snapshot()) channel->ReleaseCaches();
}

TQZAdminSession& TQZPeer::AdminSession() { return *session_; }

void TQZPeer::Disconnect(bool goodbye) { session_->DisconnectPeer(this, goodbye); }

void TQZPeer::QueueConnect() { session_->QueueEvent(PEER_CONNECT, this); }

std::string TQZPeer::PlainAddress()
{
    return NetAddressPlain(connection_->Address(), connection_->Port());
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
        peer->LogRepeated("no channel",
                          "Abandoning packet for channel " + std::to_string(channel) + " as doesn't exist!");
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

std::shared_ptr<TQZPeer> TQZPeers::FindByAddress(const std::string& address, uint16_t port)
{
    for (const auto& p : Snapshot())
        if (p->Connection().Port() == port && p->Connection().Address() == address) return p;
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

void TQZFalcon::LogRepeated(const std::string& kind, const std::string& source, const std::string& line)
{
    throttle_.Repeated(kind, source, line, GetNetTime(), [this](const std::string& l) { Log(l); });
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

bool TQZFalcon::ConnectedElsewhere(const TQZIdentity& identity, const TQZAdminPeer* peer)
{
    std::shared_ptr<TQZPeer> holder = peers_.FindByIdentity(identity);
    return holder && holder.get() != peer && holder->IsConnected();
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
    // What it sent ahead of time can no longer be used: its return starts
    // the channels over.
    peer->ReleaseCaches();
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
        if (!peer->Pending() || NetTimeDiff(now, peer->AcceptTime()) <= int32_t(kWelcomeAnswerTime)) continue;
        // Nobody answered from there: a forged sender, or one that only asks.
        ledger_.Unanswered(peer->PlainAddress(), now);
        DropJoin(peer, "the welcome was never answered");
    }
}

void TQZFalcon::DropJoin(const std::shared_ptr<TQZPeer>& peer, const std::string& reason)
{
    TQZConnection& c = peer->Connection();
    LogRepeated("dropped join", peer->PlainAddress(),
                "Dropping the join of " + peer->Identity().name + " at " + NetAddressText(c.Address(), c.Port()) +
                    ": " + reason);
    DisconnectPeer(peer.get(), false);
    peers_.Remove(peer);
}

bool TQZFalcon::MakeRoomForJoin(int32_t joins)
{
    const uint32_t now = GetNetTime();
    std::shared_ptr<TQZPeer> giveWay;
    int32_t pending = 0, mostJoins = -1;
    for (const auto& peer : peers_.Snapshot()) {
        if (!peer->Pending()) continue;
        ++pending;
        const int32_t asked = ledger_.RecentJoins(peer->PlainAddress(), now);
        const bool sheltered = NetTimeDiff(now, peer->AcceptTime()) < int32_t(kPendingShelter);
        if (asked <= joins && sheltered) continue;
        // The one whose address asked the most gives way (of those, the
        // oldest): a real client asks once or twice.
        if (asked > mostJoins || (asked == mostJoins && NetTimeDiff(giveWay->AcceptTime(), peer->AcceptTime()) > 0)) {
            giveWay = peer;
            mostJoins = asked;
        }
    }
    if (pending < kPendingJoinsMax && (peers_.Count() < kPeersMax || peers_.ReleaseIdlest())) return true;
    if (!giveWay) return false;
    DropJoin(giveWay, "room for a newer one");
    return true;
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

void TQZFalcon::WatchCaches()
{
    const int64_t inUse = cacheBudget_.InUse();
    if (inUse < cacheBudget_.Limit() / 2) budgetSpentLogged_.store(false);
    cacheHigh_ = std::max(cacheHigh_, inUse);
    // Caches are many small blocks: once most of a large amount has been
    // freed (its peers gone), the allocator is told to give the pages back.
    if (cacheHigh_ >= kCacheTrimFrom && inUse < cacheHigh_ / 4) {
        plat::os::ReturnFreeMemory();
        cacheHigh_ = inUse;
    }
}

void TQZFalcon::Process()
{
    TQZLock hold(logic_);
    throttle_.Flush(GetNetTime(), [this](const std::string& l) { Log(l); });
    WatchCaches();
    TQZNetPacket packet;
    while (PopUnknown(packet)) AdminProcessUnknown(*this, packet);
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
    static_cast<TQZFalcon*>(user)->Unknown(packet);
}

void TQZFalcon::Unknown(const TQZNetPacket& packet)
{
    const std::string source = NetAddressPlain(packet.address, packet.port);
    if (IsHost()) {
        if (packet.bytes.size() != kNetHeaderSize + kJoinSize) {
            LogRepeated("unexpected size", source, "Packet from unknown address, unexpected size - purging");
            return;
        }
        // Shut out cheaply, before anything is queued for the main thread.
        if (ledger_.Blocked(source, GetNetTime())) {
            LogRepeated("shut out", source, "Ignoring joins from " + source + " for a while");
            return;
        }
    } else if (state_.load() == FS_CLIENT_CONNECTING) {
        if (packet.bytes.size() > kNetMaxDatagram) {
            LogRepeated("oversize", source, "Packet from unknown address " + source + " is too long - purging");
            return;
        }
        LogRepeated("while connecting", source, "Packet from unknown address, while we were connecting... allow it");
    } else {
        LogRepeated("ignoring", source, "Received packet from unknown address " + source + " - ignoring");
        return;
    }
    QueueUnknown(packet, source);
}

void TQZFalcon::QueueUnknown(const TQZNetPacket& packet, const std::string& source)
{
    std::string kind, refused;
    {
        TQZLock guard(unknownLock_);
        auto [from, fresh] = unknownFrom_.try_emplace(source, 0);
        if (unknown_.Count() >= kUnknownQueueMax) {
            kind = "queue full";
            refused = "Unknown packet queue full - purging";
        } else if (from->second >= kUnknownPerAddress) {
            kind = "queue share";
            refused = "Unknown packet queue holds enough from " + source + " - purging";
        }
        if (refused.empty()) {
            ++from->second;
            unknown_.Push(packet);
        } else if (from->second == 0) {
            unknownFrom_.erase(from);
        }
        (void)fresh;
    }
    if (!refused.empty()) {
        LogRepeated(kind, source, refused);
        return;
    }
    LogRepeated("queued", source, "Adding packet from \"" + source + "\" to unknown_packet_queue");
}

bool TQZFalcon::PopUnknown(TQZNetPacket& packet)
{
    TQZLock guard(unknownLock_);
    if (!unknown_.Pop(packet)) return false;
    auto from = unknownFrom_.find(NetAddressPlain(packet.address, packet.port));
    if (from != unknownFrom_.end() && --from->second <= 0) unknownFrom_.erase(from);
    return true;
}

int32_t TQZFalcon::UnknownQueued() { return unknown_.Count(); }

bool TQZFalcon::TakeCacheBytes(TQZPeer* peer, int64_t bytes)
{
    if (peer->Gone()) return false;
    if (cacheBudget_.Charge(peer, bytes)) return true;
    if (!budgetSpentLogged_.exchange(true))
        Log("The session's room for early messages (" + std::to_string(cacheBudget_.Limit() >> 20) +
            " MiB) is spent: the peer that holds the most gives it up");
    const auto* largest = static_cast<const TQZPeer*>(cacheBudget_.Largest());
    if (!largest || largest == peer) return false;
    std::shared_ptr<TQZPeer> victim = peers_.Find(largest);
    if (!victim) return false;
    victim->ReleaseCaches();
    victim->Abandon("it sent more ahead of time than the session keeps");
    return cacheBudget_.Charge(peer, bytes);
}

// ---------------------------------------------------------------- unknown addresses

namespace {

// A join request from an address without a peer, at a host.
void JoinFromUnknown(TQZFalcon& session, const TQZNetPacket& packet, const TQZJoinRequest& join,
                     const std::string& source, uint32_t now)
{
    std::shared_ptr<TQZPeer> peer = session.Peers().FindByIdentity(join.identity);
    if (peer) {
        TQZConnection& c = peer->Connection();
        session.LogRepeated("moved", source,
                            "Peer already exists but address changed - " + NetAddressText(c.Address(), c.Port()) +
                                " to " + NetAddressText(packet.address, packet.port));
    }
    if (peer && peer->IsConnected()) {
        // Anyone may send a join with a member's identity: only the salt of
        // the member's own join moves it, and wrong salts are few before the
        // address, and the identity, are shut out for a while.
        TQZConnection& c = peer->Connection();
        if (session.Ledger().GuessesSpent(source, now) || peer->SaltGuesses().Spent(now)) {
            session.LogRepeated("guesses spent", source,
                                "Ignoring join request: too many wrong salts for " + join.identity.name +
                                    " or from " + source);
            return;
        }
        if (peer->Salt() == join.salt) {
            // The same join from a new address: follow it, keep the channels.
            c.Readdress(packet.address, packet.port);
            peer->Admin()->SendWelcome();
            return;
        }
        // Counted only: whether they are spent is asked above, at the next join.
        (void)peer->SaltGuesses().Guess(now);
        (void)session.Ledger().GuessSalt(source, now);
        session.LogRepeated("still connected", source,
                            "Ignoring join request: " + join.identity.name + " is still connected from " +
                                NetAddressText(c.Address(), c.Port()));
        return;
    }
    if (!session.Ledger().TakeJoin(source, now)) {
        session.LogRepeated("too many joins", source, "Ignoring join request: too many joins from " + source);
        return;
    }
    if (peer) {
        peer->ResetAddress(packet.address, packet.port);
    } else {
        // Every new identity costs a peer with its channels and buffers.
        if (!session.MakeRoomForJoin(session.Ledger().RecentJoins(source, now))) {
            session.LogRepeated("too many peers", source, "Ignoring join request: too many peers");
            return;
        }
        session.LogRepeated("new peer", source,
                            "Adding new peer:" + join.identity.name + " at " +
                                NetAddressText(packet.address, packet.port));
        peer = session.Peers().AddPeer(packet.address, packet.port);
    }
    peer->Admin()->AcceptJoin(join);
}

// The welcome of the host being joined, from an address it was not joined at.
void WelcomeFromUnknown(TQZFalcon& session, const TQZNetPacket& packet, const TQZByteArray& payload,
                        const std::string& source, uint32_t now)
{
    session.LogRepeated("welcome elsewhere", source,
                        "DoProcessUnknown - we got a welcome message from an unknown address!");
    TQZWelcome welcome;
    std::shared_ptr<TQZPeer> host = session.Peers().First();
    if (!host || !ReadWelcome(payload, welcome)) return;
    TQZSaltGuesses& guesses = host->Admin()->WelcomeGuesses();
    if (guesses.Spent(now)) {
        session.LogRepeated("welcomes shut out", source,
                            "Ignoring welcomes from unknown addresses: too many came with the wrong salt");
        return;
    }
    if (welcome.salt != host->Salt()) {
        (void)guesses.Guess(now);  // counted only: Spent above shuts the next ones out
        session.LogRepeated("wrong salt", source, "WARNING in MessageWelcome(); mismatching connection salt!");
        return;
    }
    // The host answers from another address: follow it, then take the
    // datagram through the connection so its header is counted too.
    host->Connection().Readdress(packet.address, packet.port);
    host->Connection().OnDatagram(packet);
}

}  // namespace

void AdminProcessUnknown(TQZFalcon& session, const TQZNetPacket& packet)
{
    const std::string source = NetAddressPlain(packet.address, packet.port);
    const uint32_t now = GetNetTime();
    session.LogRepeated("unknown", source, "DoProcessUnknown - incoming packet from \"" + source + "\"");
    TQZNetHeader header;
    if (!ReadNetHeader(packet.bytes.data(), packet.bytes.size(), header)) return;
    const TQZByteArray payload(packet.bytes.begin() + kNetHeaderSize, packet.bytes.end());
    // Joins and welcomes are admin messages; the same bytes on another
    // channel are something else.
    const bool admin = header.channel == CHANNEL_ADMIN;
    if (session.IsHost()) {
        if (payload.size() != kJoinSize) {
            session.LogRepeated("unknown client", source, "Ignoring packet from unknown client");
            return;
        }
        TQZJoinRequest join;
        if (!admin || !ReadJoinRequest(payload, join) || join.kind != ADMIN_JOIN || join.magic != kJoinMagic ||
            join.sessionId != session.SessionId()) {
            session.LogRepeated("invalid join", source, "Ignoring invalid Join Request");
            return;
        }
        // Shut out since it was queued.
        if (session.Ledger().Blocked(source, now)) {
            session.LogRepeated("shut out", source, "Ignoring joins from " + source + " for a while");
            return;
        }
        // Queued before the address had a peer: its peer takes it now.
        if (auto known = session.Peers().FindByAddress(ClampNetAddress(packet.address), packet.port)) {
            known->Connection().OnDatagram(packet);
            return;
        }
        JoinFromUnknown(session, packet, join, source, now);
        return;
    }
    if (session.State() != FS_CLIENT_CONNECTING || !admin) return;
    TQZNetReader r(payload);
    if (r.I32() != ADMIN_WELCOME || !r.Ok()) return;
    WelcomeFromUnknown(session, packet, payload, source, now);
}
