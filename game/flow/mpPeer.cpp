#include "mpPeer.h"

#include <map>
#include <mutex>

namespace {
std::mutex receiversLock;
std::map<const TQZFalcon*, TMPReceiver>& Receivers()
{
    static std::map<const TQZFalcon*, TMPReceiver> receivers;
    return receivers;
}

TMPReceiver ReceiverOf(const TQZFalcon* session)
{
    std::lock_guard<std::mutex> guard(receiversLock);
    auto it = Receivers().find(session);
    return it == Receivers().end() ? TMPReceiver() : it->second;
}
}  // namespace

void SetGameReceiver(TQZFalcon* session, TMPReceiver receiver)
{
    std::lock_guard<std::mutex> guard(receiversLock);
    if (receiver) Receivers()[session] = std::move(receiver);
    else Receivers().erase(session);
}

TMPPeer::TMPPeer(TQZFalcon* session, const std::string& address, uint16_t port) : TQZPeer(session, address, port) {}

std::shared_ptr<TQZPeer> TMPPeer::Make(TQZFalcon* session, const std::string& address, uint16_t port)
{
    return std::make_shared<TMPPeer>(session, address, port);
}

void TMPPeer::Setup()
{
    game_ = AddChannel(std::make_shared<TQZChannelReliable>(this, true, CHANNEL_GAME));
    game_->SetReceiveCallback(&TMPPeer::OnReceive, this);
    // Once for every peer, so as often as a flood of joins makes them.
    LogRepeated("game channel", "GameChannel connected");
}

void TMPPeer::Send(const std::vector<uint8_t>& message)
{
    if (game_) game_->Send(message, false);
}

void TMPPeer::OnReceive(void* user, TQZChannel*, const TQZByteArray& payload)
{
    auto* self = static_cast<TMPPeer*>(user);
    if (TMPReceiver receiver = ReceiverOf(self->Session())) receiver(*self, payload);
}
