#include "qz7netadmin.h"

#include <algorithm>

bool ReadJoinRequest(const TQZByteArray& payload, TQZJoinRequest& join)
{
    if (payload.size() != kJoinSize) return false;
    TQZNetReader r(payload);
    join.kind = r.I32();
    join.magic = r.U32();
    join.sessionId = r.I32();
    join.identity = ReadIdentity(r);
    join.salt = r.I32();
    return r.Ok();
}

bool ReadWelcome(const TQZByteArray& payload, TQZWelcome& welcome)
{
    // The whole record is required: identity and salt are 52 bytes.
    if (payload.size() < kWelcomeSize) return false;
    TQZNetReader r(payload);
    if (r.I32() != ADMIN_WELCOME) return false;
    welcome.identity = ReadIdentity(r);
    welcome.salt = r.I32();
    return r.Ok();
}

TQZChannelAdmin::TQZChannelAdmin(TQZPeer* peer) : TQZChannel(peer, CHANNEL_ADMIN), peer_(peer)
{
    SetDeliverOnNetworkThread(true);
    SetTickInterval(kAdminTick);
}

void TQZChannelAdmin::StartJoin()
{
    attempts_ = 0;
    welcomeGuesses_.Clear();
    // Not the clock: whoever knows the salt can answer for the host.
    peer_->SetSalt(NewConnectionSalt());
    SendJoinRequest();
}

void TQZChannelAdmin::SendJoinRequest()
{
    TQZFalcon* session = peer_->Session();
    ++attempts_;
    TQZIdentity local = session->LocalIdentity();
    session->Log("ChannelAdmin.MessageJoinRequest(Sending,attempt=" + std::to_string(attempts_) +
                 ",Identity=" + local.name + ")");
    TQZByteArray m;
    TQZNetWriter w(m);
    w.I32(ADMIN_JOIN);
    w.U32(kJoinMagic);
    w.I32(session->SessionId());
    WriteIdentity(w, local);
    w.I32(peer_->Salt());
    Send(m, false);
    lastJoin_ = GetNetTime();
}

void TQZChannelAdmin::SendWelcome()
{
    TQZByteArray m;
    TQZNetWriter w(m);
    w.I32(ADMIN_WELCOME);
    WriteIdentity(w, peer_->Session()->LocalIdentity());
    w.I32(peer_->Salt());
    lastWelcome_ = GetNetTime();
    welcomeTicket_ = Send(m, true);
}

void TQZChannelAdmin::SendKeepAlive()
{
    TQZByteArray m;
    TQZNetWriter w(m);
    w.I32(ADMIN_KEEPALIVE);
    w.I32(NetTimeDiff(GetNetTime(), peer_->Connection().LastReceiveTime()));
    Send(m, true);
}

void TQZChannelAdmin::Goodbye()
{
    TQZLock hold(SessionLock());
    TQZByteArray m;
    TQZNetWriter(m).I32(ADMIN_GOODBYE);
    for (int i = 0; i < 3; ++i) Send(m, false);
    peer_->Session()->DisconnectPeer(peer_, true);
}

uint32_t TQZChannelAdmin::GetConnectTimeRemaining()
{
    // The owner asks on its thread while the network thread sends the joins.
    TQZLock hold(SessionLock());
    if (peer_->Session()->State() != FS_CLIENT_CONNECTING) return 0;
    int32_t waited = NetTimeDiff(GetNetTime(), lastJoin_);
    return uint32_t(std::max<int32_t>(0, int32_t(kJoinInterval) - waited) +
                    (kJoinAttempts - attempts_) * int32_t(kJoinInterval));
}

void TQZChannelAdmin::OnReceiveTS(const TQZByteArray& payload)
{
    TQZLock hold(SessionLock());
    lastReceive_ = GetNetTime();
    TQZNetReader r(payload);
    const int32_t kind = r.I32();
    if (!r.Ok()) return;
    switch (kind) {
    case ADMIN_JOIN: ReceiveJoin(payload); break;
    case ADMIN_WELCOME: {
        TQZWelcome welcome;
        if (ReadWelcome(payload, welcome)) HandleWelcome(welcome);
        else peer_->LogRepeated("short welcome", "Ignoring a short welcome");
        break;
    }
    case ADMIN_GOODBYE:
        if (peer_->Session()->IsConnected()) peer_->Session()->DisconnectPeer(peer_, true);
        break;
    default: break;  // keep-alives exist for their header
    }
}

void TQZChannelAdmin::ReceiveJoin(const TQZByteArray& payload)
{
    TQZFalcon* session = peer_->Session();
    if (!session->IsHost()) return;
    TQZJoinRequest join;
    if (!ReadJoinRequest(payload, join) || join.magic != kJoinMagic || join.sessionId != session->SessionId()) {
        peer_->LogRepeated("invalid join", "Ignoring invalid Join Request");
        return;
    }
    peer_->LogRepeated("rejoin", "ChannelAdmin.MessageJoinRequest(Receive,from a peer we already recognise)");
    std::shared_ptr<TQZPeer> holder = session->Peers().FindByIdentity(join.identity);
    if (holder && holder.get() != peer_ && holder->IsConnected()) {
        // Identities are no secret (every party update carries them): one
        // still connected elsewhere is not handed to another address.
        peer_->LogRepeated("taken identity",
                           " Ignoring join request: " + join.identity.name + " is connected from another address");
        return;
    }
    const uint32_t now = GetNetTime();
    if (peer_->IsConnected() && join.salt == peer_->Salt() && join.identity.SamePeer(peer_->Identity())) {
        // The same join again: our welcome was lost or is late. Starting the
        // channels over would throw away what is already flowing; a flood of
        // it gets the welcome once a second.
        if (NetTimeDiff(now, lastWelcome_) < int32_t(kRewelcomeInterval)) return;
        peer_->LogRepeated("repeated join", " Repeated join request; sending the welcome again");
        SendWelcome();
        return;
    }
    if (!session->Ledger().TakeJoin(peer_->PlainAddress(), now)) {
        peer_->LogRepeated("too many joins", " Ignoring join request: too many joins from " + peer_->PlainAddress());
        return;
    }
    // A join still waiting for its answer keeps its deadline: joining again
    // and again must not hold a place for good.
    const bool pending = peer_->Pending();
    const uint32_t acceptedAt = peer_->AcceptTime();
    peer_->ResetAddress(peer_->Connection().Address(), peer_->Connection().Port());
    AcceptJoin(join);
    if (pending) peer_->SetAcceptTime(acceptedAt);
}

void TQZChannelAdmin::AcceptJoin(const TQZJoinRequest& join)
{
    TQZFalcon* session = peer_->Session();
    peer_->LogRepeated("accepted join",
                       " JoinReq.Identity=" + join.identity.name + ", Salt=" + std::to_string(join.salt));
    peer_->SetIdentity(join.identity);
    peer_->SetSalt(join.salt);
    peer_->SetAnswered(false);
    peer_->SetAcceptTime(GetNetTime());
    SendWelcome();
    peer_->SetConnected(true);
    session->QueueEvent(PEER_CONNECT, peer_);
    if (session->State() == FS_HOST_READY) session->StateChange(FS_HOST_CONNECTED);
}

void TQZChannelAdmin::HandleWelcome(const TQZWelcome& welcome)
{
    TQZFalcon* session = peer_->Session();
    const TQZFalconState state = session->State();
    if (session->IsHost() || (state != FS_CLIENT_CONNECTING && state != FS_CLIENT_CONNECTED)) return;
    if (welcome.salt != peer_->Salt()) {
        // A welcome to another join (an old one, or not ours) is refused.
        peer_->LogRepeated("wrong salt", "WARNING in MessageWelcome(); mismatching connection salt!");
        return;
    }
    if (state == FS_CLIENT_CONNECTED && peer_->IsConnected()) {
        SendKeepAlive();  // a repeated welcome: acknowledge it, nothing more
        return;
    }
    session->StateChange(FS_CLIENT_CONNECTED);
    peer_->SetConnected(true);
    peer_->SetAnswered(true);
    peer_->SetIdentity(welcome.identity);
    session->Log("Welcome Received - host is " + welcome.identity.name);
    session->QueueEvent(PEER_CONNECT, peer_);
    SendKeepAlive();
}

void TQZChannelAdmin::OnReceiptTS(int32_t ticket, TQZNetPacketState state)
{
    TQZLock hold(SessionLock());
    TQZChannel::OnReceiptTS(ticket, state);
    if (welcomeTicket_ == 0 || ticket != welcomeTicket_) return;
    welcomeTicket_ = 0;
    if (state == PKT_ACKNOWLEDGED) peer_->SetAnswered(true);
    if (state == PKT_LOST && peer_->IsConnected()) SendWelcome();
}

void TQZChannelAdmin::OnThreadTick()
{
    TQZLock hold(SessionLock());
    TQZChannel::OnThreadTick();
    TQZFalcon* session = peer_->Session();
    const uint32_t now = GetNetTime();
    TQZConnection& c = peer_->Connection();
    if (session->IsConnected() && peer_->IsConnected()) {
        const int32_t sinceSend = NetTimeDiff(now, c.LastSendTime());
        const int32_t received = c.ReceivedSinceSend();
        if (sinceSend > int32_t(kKeepAliveIdle) ||
            (received > 0 && (sinceSend > int32_t(peer_->AckDelay()) || received >= kKeepAliveBatch)))
            SendKeepAlive();
        const uint32_t lastReceive = c.LastReceiveTime();
        if (NetTimeDiff(now, lastReceive) > int32_t(kPeerTimeout)) {
            session->Log("Disconnecting due to timeout. LastReceivedTime=" + std::to_string(lastReceive) +
                         ", current time=" + std::to_string(now));
            session->DisconnectPeer(peer_, false);
        }
    } else if (session->State() == FS_CLIENT_CONNECTING && attempts_ > 0 &&
               NetTimeDiff(now, lastJoin_) > int32_t(kJoinInterval)) {
        if (attempts_ >= kJoinAttempts) {
            session->Log("Maximum join attempts reached - unsuccessful");
            session->StateChange(FS_DISCONNECTED);
        } else {
            SendJoinRequest();
        }
    }
}

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
        peer->SaltGuesses().Guess(now);
        session.Ledger().GuessSalt(source, now);
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
        guesses.Guess(now);
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
