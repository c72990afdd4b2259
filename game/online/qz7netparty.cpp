#include "qz7netparty.h"

#include <algorithm>
#include <cmath>

namespace {

const char* PartyEventName(uint8_t event)
{
    switch (event) {
    case PARTY_PENDING: return "Pending";
    case PARTY_JOINED: return "Joined";
    case PARTY_LEAVE: return "Leave";
    case PARTY_DISCONNECT: return "Disconnect";
    case PARTY_LEAD_CHANGED: return "Lead changed";
    case PARTY_DISBANDED: return "Disbanded";
    default: return "Unknown";
    }
}

bool TimeHasCome(uint32_t now, uint32_t at)
{
    return at == 0 || NetTimeDiff(now, at) >= 0;
}

}  // namespace

void WritePartyMember(TQZNetWriter& w, const TQZPartyMember& m)
{
    w.U8(m.partyId);
    w.Zero(3);
    WriteIdentity(w, m.identity);
    w.U32(m.flags);
    w.I32(m.rtt);
    w.I32(m.quality);
    w.Zero(4);  // the member's peer on the host means nothing elsewhere
    w.U32(m.removalTime);
}

TQZPartyMember ReadPartyMember(TQZNetReader& r)
{
    TQZPartyMember m;
    m.partyId = r.U8();
    r.Skip(3);
    m.identity = ReadIdentity(r);
    m.flags = r.U32();
    m.rtt = r.I32();
    m.quality = r.I32();
    r.Skip(4);
    m.removalTime = r.U32();
    return m;
}

std::string PartyChangeText(const TQZPartyChange& change)
{
    return std::string("{Event=") + PartyEventName(change.event) + ",PartyID=" + std::to_string(change.partyId) + "}";
}

TQZPartyService::TQZPartyService(TQZFalcon* session) : TQZFalconService(session, "Party") {}

TQZPartyService* TQZFalcon::GetPartyService()
{
    auto make = [](TQZFalcon* session) -> std::shared_ptr<TQZFalconService> {
        return std::make_shared<TQZPartyService>(session);
    };
    return static_cast<TQZPartyService*>(GetService("Party", make));
}

void TQZPartyService::OnPeerAdded(TQZPeer* peer)
{
    auto channel = std::make_shared<TQZChannelReliable>(peer, true, CHANNEL_PARTY);
    channel->SetReceiveCallback(&TQZPartyService::OnPartyReceive, this);
    channel->SetReceiptCallback(&TQZPartyService::OnPartyReceipt, this);
    peer->AddChannel(channel);
}

TQZPartyMember TQZPartyService::GetMember(uint8_t partyId)
{
    TQZLock guard(lock_);
    for (const auto& m : members_)
        if (m.partyId == partyId) return m;
    return TQZPartyMember{};
}

std::shared_ptr<TQZPeer> TQZPartyService::GetMemberPeer(uint8_t partyId)
{
    return GetMember(partyId).peer.lock();
}

int32_t TQZPartyService::MemberCount()
{
    TQZLock guard(lock_);
    return int32_t(members_.size());
}

std::vector<TQZPartyMember> TQZPartyService::Members()
{
    TQZLock guard(lock_);
    return members_;
}

int32_t TQZPartyService::PresentCount()
{
    return int32_t(std::count_if(members_.begin(), members_.end(), [](const TQZPartyMember& m) { return m.Present(); }));
}

int32_t TQZPartyService::SetMaxPartySize(int32_t size)
{
    TQZLock guard(lock_);
    if (size == maxSize_) return QZRES_OK;
    if (size <= 0) return QZRES_BADARG;
    maxSize_ = size;
    if (session_->IsConnected()) needsUpdate_ = true;
    return QZRES_OK;
}

int32_t TQZPartyService::MaxPartySize()
{
    TQZLock guard(lock_);
    return maxSize_;
}

void TQZPartyService::SetPartyState(TQZPartyState state)
{
    TQZLock guard(lock_);
    state_ = state;
    const int32_t present = PresentCount();
    if (state_ == PARTY_OPEN && present >= maxSize_) state_ = PARTY_FULL;
    else if (state_ == PARTY_FULL && present < maxSize_) state_ = PARTY_OPEN;
}

TQZPartyState TQZPartyService::PartyState()
{
    TQZLock guard(lock_);
    return state_;
}

uint8_t TQZPartyService::LocalPartyId()
{
    TQZLock guard(lock_);
    return localId_;
}

void TQZPartyService::AddChangeEvent(uint8_t event, uint8_t partyId)
{
    TQZPartyChange change{event, partyId};
    session_->Log("AddChangeEvent(" + PartyChangeText(change) + ")");
    TQZLock guard(lock_);
    outgoing_.push_back(change);
    incoming_.push_back(change);
}

void TQZPartyService::Sort()
{
    std::stable_sort(members_.begin(), members_.end(),
                     [](const TQZPartyMember& a, const TQZPartyMember& b) { return a.partyId < b.partyId; });
}

uint8_t TQZPartyService::AllocateId()
{
    if (members_.empty()) return 1;
    int32_t id = members_.front().partyId + 1;
    for (size_t i = 1; i < members_.size() && members_[i].partyId == id; ++i) ++id;
    if (id > maxSize_ || id > 255) {
        session_->Log("Party exceeds max party size - rejecting");
        return 0;
    }
    return uint8_t(id);
}

int32_t TQZPartyService::FindByPeer(const TQZPeer* peer)
{
    if (!peer) return -1;
    TQZIdentity identity = const_cast<TQZPeer*>(peer)->Identity();
    for (size_t i = 0; i < members_.size(); ++i)
        if (members_[i].partyId != 1 && members_[i].identity.SamePeer(identity)) return int32_t(i);
    return -1;
}

void TQZPartyService::SendWelcome(TQZPartyMember& member, const std::shared_ptr<TQZPeer>& peer)
{
    auto channel = std::dynamic_pointer_cast<TQZChannelReliable>(peer->FindChannel(CHANNEL_PARTY));
    if (!channel) return;
    TQZByteArray m;
    TQZNetWriter w(m);
    w.U16(PARTY_MSG_WELCOME);
    w.U8(member.partyId);
    w.U8(0);
    int32_t ticket = channel->Send(m, true);
    pending_.push_back(TQZPartyPending{ticket, member.partyId, peer.get()});
}

void TQZPartyService::AddMember(const std::shared_ptr<TQZPeer>& peer)
{
    const uint8_t id = AllocateId();
    if (id == 0 || state_ == PARTY_CLOSED) {
        session_->Log("Party FORCE KICK peer " + peer->Identity().name + ", party state is PARTY_CLOSED");
        session_->ForceKick(peer.get());
        return;
    }
    TQZPartyMember m;
    m.partyId = id;
    m.identity = peer->Identity();
    m.rtt = 100;
    m.peer = peer;
    members_.push_back(m);
    AddChangeEvent(PARTY_PENDING, id);
    Sort();
    for (auto& member : members_)
        if (member.partyId == id) SendWelcome(member, peer);
    needsUpdate_ = true;
}

void TQZPartyService::MemberLeaves(size_t index, bool goodbye)
{
    TQZPartyMember& m = members_[index];
    if (m.flags & PARTY_FLAG_LEAVING) return;
    if (m.flags & PARTY_FLAG_LEADER) {
        m.flags &= ~PARTY_FLAG_LEADER;
        for (auto& host : members_)
            if (host.partyId == 1) host.flags |= PARTY_FLAG_LEADER;
        AddChangeEvent(PARTY_LEAD_CHANGED, 1);
    }
    const uint32_t now = GetNetTime();
    if (goodbye) {
        m.flags |= PARTY_FLAG_LEAVING;
        m.removalTime = now + kPartyGoodbyeRemoval;
        AddChangeEvent(PARTY_LEAVE, m.partyId);
    } else {
        m.flags |= PARTY_FLAG_NOT_CONNECTED;
        m.removalTime = now + kPartyDisconnectRemoval;
        AddChangeEvent(PARTY_DISCONNECT, m.partyId);
    }
    scanNow_ = true;
}

void TQZPartyService::Scan()
{
    const uint32_t now = GetNetTime();
    lastScan_ = now;
    scanNow_ = false;
    if (members_.empty()) {
        TQZPartyMember self;
        self.partyId = 1;
        self.identity = session_->LocalIdentity();
        self.flags = PARTY_FLAG_HOST | PARTY_FLAG_LEADER;
        self.rtt = 0;
        members_.push_back(self);
        localId_ = 1;
    }
    for (size_t i = 0; i < members_.size(); ++i) {
        TQZPartyMember& m = members_[i];
        if (m.partyId == 1) continue;
        std::shared_ptr<TQZPeer> peer = session_->Peers().FindByIdentity(m.identity);
        if (!peer) {
            if (m.Present()) {
                session_->Log("Internal scan, partymember IsConnected state mismatch - correcting");
                MemberLeaves(i, false);
            }
        } else if (!peer->IsConnected()) {
            // First sight of the loss: it counts as a disconnect, which keeps
            // the id for a rejoin within the disconnect grace.
            if (m.Present()) MemberLeaves(i, false);
        } else if (!peer->Answered()) {
            // Joined again and not yet answered the welcome: nothing changes
            // until it does (or the join is dropped).
        } else {
            const uint32_t was = m.flags;
            m.flags &= ~(PARTY_FLAG_NOT_CONNECTED | PARTY_FLAG_LEAVING);
            if (m.flags != was) {
                m.peer = peer;
                m.identity = peer->Identity();
                m.removalTime = 0;
                AddChangeEvent(PARTY_PENDING, m.partyId);
                SendWelcome(m, peer);
            }
            TQZConnection& c = peer->Connection();
            const float ratio = c.DeliveryRatio();
            if (ratio <= 0.75f) m.flags |= PARTY_FLAG_POOR_LINK;
            else m.flags &= ~PARTY_FLAG_POOR_LINK;
            m.rtt = c.Rtt();
            m.quality = int32_t(std::lround(ratio * 100.0f));
        }
    }
    for (size_t i = 0; i < members_.size();) {
        TQZPartyMember& m = members_[i];
        if (m.partyId != 1 && !m.Present() && TimeHasCome(now, m.removalTime)) {
            if (!(m.flags & PARTY_FLAG_LEAVING)) {
                MemberLeaves(i, true);
            } else {
                session_->Log("Killing party entry #" + std::to_string(i));
                members_.erase(members_.begin() + ptrdiff_t(i));
                Sort();
                continue;
            }
        }
        ++i;
    }
    for (const auto& peer : session_->Peers().ConnectedPeers()) {
        // A join costs one datagram that anyone can forge: only a peer that
        // answered the welcome may take a place in the party.
        if (!peer->Answered()) continue;
        const TQZIdentity identity = peer->Identity();
        bool known = std::any_of(members_.begin(), members_.end(),
                                 [&](const TQZPartyMember& m) { return m.identity.SamePeer(identity); });
        if (!known) AddMember(peer);
    }
    needsUpdate_ = true;
}

void TQZPartyService::SendUpdate()
{
    TQZByteArray m;
    TQZNetWriter w(m);
    w.U16(PARTY_MSG_UPDATE);
    w.U8(uint8_t(std::clamp(maxSize_, 0, 255)));
    w.U8(uint8_t(members_.size()));
    w.U8(state_ == PARTY_OPEN ? 1 : 0);
    w.Zero(3);
    w.U32(GetNetTime());
    for (const auto& member : members_) WritePartyMember(w, member);
    w.U16(uint16_t(outgoing_.size()));
    for (const auto& change : outgoing_) {
        w.U8(change.event);
        w.U8(change.partyId);
    }
    for (const auto& member : members_) {
        std::shared_ptr<TQZPeer> peer = member.peer.lock();
        if (member.partyId == 1 || !peer || !peer->IsConnected()) continue;
        auto channel = std::dynamic_pointer_cast<TQZChannelReliable>(peer->FindChannel(CHANNEL_PARTY));
        if (!channel) {
            session_->Log("?Send update failed - no assigned PartyService channel for Peer " + peer->Identity().name);
            continue;
        }
        channel->Send(m, false);
    }
    outgoing_.clear();
    needsUpdate_ = false;
}

void TQZPartyService::OnThreadTick()
{
    TQZLock guard(lock_);
    if (!session_->IsHost()) {
        needsUpdate_ = false;
        return;
    }
    if (!session_->IsConnected()) {
        outgoing_.clear();
        needsUpdate_ = false;
        return;
    }
    if (scanNow_ || NetTimeDiff(GetNetTime(), lastScan_) > int32_t(kPartyScanInterval)) Scan();
    if (needsUpdate_) SendUpdate();
}

void TQZPartyService::ReceiveUpdate(TQZNetReader& r, TQZPeer* from)
{
    const uint8_t maxSize = r.U8();
    const uint8_t count = r.U8();
    const uint8_t open = r.U8();
    r.Skip(3);
    r.U32();  // the host's clock: not needed here
    if (!r.Ok() || r.Remaining() < size_t(count) * kPartyMemberSize + 2) {
        from->LogRepeated("party update", "Party update dropped: too short for its members");
        return;
    }
    std::vector<TQZPartyMember> members;
    for (uint8_t i = 0; i < count; ++i) members.push_back(ReadPartyMember(r));
    const uint16_t changes = r.U16();
    if (!r.Ok() || r.Remaining() != size_t(changes) * 2) {
        from->LogRepeated("party update", "Party update dropped: its changes do not fit");
        return;
    }
    std::vector<TQZPartyChange> list;
    for (uint16_t i = 0; i < changes; ++i) {
        TQZPartyChange c;
        c.event = r.U8();
        c.partyId = r.U8();
        list.push_back(c);
    }
    for (auto& m : members) m.peer = session_->Peers().FindByIdentity(m.identity);
    TQZLock guard(lock_);
    maxSize_ = maxSize;
    state_ = open == 0 ? PARTY_CLOSED : (count >= maxSize ? PARTY_FULL : PARTY_OPEN);
    members_ = std::move(members);
    incoming_.insert(incoming_.end(), list.begin(), list.end());
    changed_ = true;
}

void TQZPartyService::OnPartyReceive(void* user, TQZChannel* channel, const TQZByteArray& payload)
{
    auto* self = static_cast<TQZPartyService*>(user);
    // Only a client takes the host's messages.
    if (self->session_->IsHost()) return;
    TQZPeer* from = channel->Peer();
    TQZNetReader r(payload);
    const uint16_t kind = r.U16();
    if (!r.Ok()) return;
    if (kind == PARTY_MSG_UPDATE) {
        self->ReceiveUpdate(r, from);
    } else if (kind == PARTY_MSG_WELCOME) {
        const uint8_t id = r.U8();
        if (!r.Ok() || id == 0) return;
        {
            TQZLock guard(self->lock_);
            self->localId_ = id;
        }
        from->LogRepeated("party welcome", "Welcome to party - Local PartyID is " + std::to_string(id));
    }
}

void TQZPartyService::OnPartyReceipt(void* user, TQZChannel* channel, const TReceiptRec& receipt)
{
    auto* self = static_cast<TQZPartyService*>(user);
    TQZLock guard(self->lock_);
    auto it = std::find_if(self->pending_.begin(), self->pending_.end(), [&](const TQZPartyPending& p) {
        return p.ticket == receipt.ticket && p.peer == channel->Peer();
    });
    if (it == self->pending_.end()) return;
    const uint8_t id = it->partyId;
    self->pending_.erase(it);
    if (receipt.state == PKT_ACKNOWLEDGED) self->AddChangeEvent(PARTY_JOINED, id);
    else self->session_->Log("Party welcome receipt problem; PartyID" + std::to_string(id) + " not joined.");
}

void TQZPartyService::Process()
{
    std::vector<TQZPartyChange> changes;
    bool changed;
    {
        TQZLock guard(lock_);
        if (session_->IsHost() && localId_ == 0) localId_ = 1;
        changes.swap(incoming_);
        changed = changed_;
        changed_ = false;
    }
    for (const auto& change : changes) {
        session_->Log("DoChangeEvent(" + PartyChangeText(change) + ")");
        if (onChange_) onChange_(onChangeUser_, change);
    }
    if (changed && onList_) onList_(onListUser_);
}

void TQZPartyService::OnEvent(const TQZFalconEventRec& event)
{
    // Joins and drops come as fast as a flood of joins does.
    const std::string name = FalconEventName(event.event);
    session_->LogRepeated("party " + name, event.peer ? event.peer->PlainAddress() : std::string("session"),
                          "PartyService.OnEvent(\"" + name + "\")");
    TQZLock guard(lock_);
    if (session_->IsHost()) {
        switch (event.event) {
        case PEER_GOODBYE:
        case PEER_DISCONNECT: {
            int32_t i = FindByPeer(event.peer.get());
            if (i >= 0) MemberLeaves(size_t(i), event.event == PEER_GOODBYE);
            break;
        }
        case PEER_RELEASE: Reset(); break;
        case PEER_CONNECT:
        case IDENTITY_CHANGE: scanNow_ = true; break;
        }
        return;
    }
    bool fromHost = false;
    if (event.event == PEER_GOODBYE && event.peer) {
        for (const auto& m : members_)
            if (m.partyId == 1 && m.identity.SamePeer(event.peer->Identity())) fromHost = true;
        if (fromHost) session_->Log("The goodbye message was from the host... time to disband");
    }
    if (fromHost || event.event == PEER_RELEASE) {
        AddChangeEvent(PARTY_DISBANDED, localId_);
        Reset();
    }
}

void TQZPartyService::Reset()
{
    TQZLock guard(lock_);
    localId_ = session_->IsHost() ? 1 : 0;
    members_.clear();
    pending_.clear();
    lastScan_ = 0;
    needsUpdate_ = true;
    state_ = PARTY_OPEN;
}

void TQZPartyService::Close()
{
    Reset();
}
