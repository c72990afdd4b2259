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

TQZChannelAdmin::TQZChannelAdmin(TQZAdminPeer* peer) : TQZChannel(peer, CHANNEL_ADMIN), peer_(peer)
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
    TQZAdminSession* session = &peer_->AdminSession();
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
    WriteIdentity(w, peer_->AdminSession().LocalIdentity());
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
    peer_->Disconnect(true);
}

uint32_t TQZChannelAdmin::GetConnectTimeRemaining()
{
    // The owner asks on its thread while the network thread sends the joins.
    TQZLock hold(SessionLock());
    if (peer_->AdminSession().State() != FS_CLIENT_CONNECTING) return 0;
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
        if (peer_->AdminSession().IsConnected()) peer_->Disconnect(true);
        break;
    default: break;  // keep-alives exist for their header
    }
}

void TQZChannelAdmin::ReceiveJoin(const TQZByteArray& payload)
{
    TQZAdminSession* session = &peer_->AdminSession();
    if (!session->IsHost()) return;
    TQZJoinRequest join;
    if (!ReadJoinRequest(payload, join) || join.magic != kJoinMagic || join.sessionId != session->SessionId()) {
        peer_->LogRepeated("invalid join", "Ignoring invalid Join Request");
        return;
    }
    peer_->LogRepeated("rejoin", "ChannelAdmin.MessageJoinRequest(Receive,from a peer we already recognise)");
    if (session->ConnectedElsewhere(join.identity, peer_)) {
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
    TQZAdminSession* session = &peer_->AdminSession();
    peer_->LogRepeated("accepted join",
                       " JoinReq.Identity=" + join.identity.name + ", Salt=" + std::to_string(join.salt));
    peer_->SetIdentity(join.identity);
    peer_->SetSalt(join.salt);
    peer_->SetAnswered(false);
    peer_->SetAcceptTime(GetNetTime());
    SendWelcome();
    peer_->SetConnected(true);
    peer_->QueueConnect();
    if (session->State() == FS_HOST_READY) session->StateChange(FS_HOST_CONNECTED);
}

void TQZChannelAdmin::HandleWelcome(const TQZWelcome& welcome)
{
    TQZAdminSession* session = &peer_->AdminSession();
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
    peer_->QueueConnect();
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
    TQZAdminSession* session = &peer_->AdminSession();
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
            peer_->Disconnect(false);
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
