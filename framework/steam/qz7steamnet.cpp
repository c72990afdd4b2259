#include "qz7steamnet.h"

namespace sw = plat::steamworks;

namespace {

sw::NetIdentity IdentityOf(uint64_t user)
{
    sw::NetIdentity identity;
    identity.SetUserId(user);
    return identity;
}

}  // namespace

TQZSteamCapNetworking::TQZSteamCapNetworking(TQZSteamOwner* owner, TQZSteamCapCallbacks* callbacks)
    : TQZSteamCapability(owner, "Networking"), callbacks_(callbacks)
{
}

void TQZSteamCapNetworking::PostCreate()
{
    TQZSteamCapability::PostCreate();
    callbacks_->SetSlotFor<sw::SessionRequest>(sw::kCbSessionRequest,
                                               [this](const sw::SessionRequest& r) { OnSessionRequest(r); });
    callbacks_->SetSlotFor<sw::SessionFailed>(sw::kCbSessionFailed, [this](const sw::SessionFailed& f) {
        Log("Session failed with " + IdentityOf(f.remote).ToText());
    });
}

void TQZSteamCapNetworking::Accept(uint64_t user)
{
    if (!Api()) return;
    Log("Accepting session with user " + SteamIdText(user));
    // Refused for a user gone or unknown: its messages then never arrive.
    (void)Api()->AcceptSession(IdentityOf(user));
}

void TQZSteamCapNetworking::CloseSession(uint64_t user)
{
    if (!Api()) return;
    (void)Api()->CloseSession(IdentityOf(user));  // false only when signed out, with no session left
    Log("Closed session with user " + SteamIdText(user));
}

bool TQZSteamCapNetworking::SendMessage(int32_t channel, uint64_t user, const uint8_t* bytes, uint32_t size)
{
    if (!Api()) return false;
    const sw::Result result = Api()->SendMessage(IdentityOf(user), bytes, size, kSteamSendFlags, channel);
    if (result == sw::Result::Ok) return true;
    Log("SendMessage failed - error " + sw::ResultName(result));
    return false;
}

std::vector<TQZSteamMessage> TQZSteamCapNetworking::Receive(int32_t channel, int32_t max)
{
    std::vector<TQZSteamMessage> out;
    if (!Api()) return out;
    std::vector<sw::NetMessage> messages;
    Api()->ReceiveMessages(channel, max, messages);
    out.reserve(messages.size());
    for (auto& m : messages) out.push_back(TQZSteamMessage{m.sender, m.channel, std::move(m.bytes)});
    return out;
}

void TQZSteamCapNetworking::SetSessionRequestHandler(TQZSteamSessionHandler handler)
{
    std::lock_guard<std::recursive_mutex> guard(lock_);
    sessionRequest_ = std::move(handler);
}

void TQZSteamCapNetworking::SetMessageHook(std::function<void()> hook)
{
    if (Api()) Api()->SetMessageHook(std::move(hook));
}

void TQZSteamCapNetworking::OnSessionRequest(const sw::SessionRequest& request)
{
    Log("Session request received from " + IdentityOf(request.remote).ToText());
    // Under the lock, so a transport that detaches waits until its handler
    // has returned and is never called afterwards.
    std::lock_guard<std::recursive_mutex> guard(lock_);
    if (sessionRequest_) sessionRequest_(request.remote);
}
