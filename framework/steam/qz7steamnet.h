// The Networking capability: messages to and from users on numbered
// channels, and the sessions they travel in.
//
// Threads: Send and Receive run on the network thread; Accept, CloseSession
// and the session notices on the main thread. The session-request handler
// is set and called under the capability's lock.
#pragma once

#include "qz7steamcallbacks.h"

#include <functional>
#include <mutex>

// Every message goes reliably, and a broken session is started again.
constexpr int32_t kSteamSendFlags = 0x28;

struct TQZSteamMessage {
    uint64_t sender = 0;
    int32_t channel = 0;
    std::vector<uint8_t> bytes;
};

using TQZSteamSessionHandler = std::function<void(uint64_t user)>;

class TQZSteamCapNetworking : public TQZSteamCapability {
public:
    TQZSteamCapNetworking(TQZSteamOwner* owner, TQZSteamCapCallbacks* callbacks);

    void PostCreate() override;
    void Accept(uint64_t user);
    void CloseSession(uint64_t user);
    bool SendMessage(int32_t channel, uint64_t user, const uint8_t* bytes, uint32_t size);
    std::vector<TQZSteamMessage> Receive(int32_t channel, int32_t max);
    // The transport's; cleared with an empty handler.
    void SetSessionRequestHandler(TQZSteamSessionHandler handler);
    // Called on whichever thread makes messages ready for the user (a
    // sender's or the one accepting a session); cleared with an empty hook.
    void SetMessageHook(std::function<void()> hook);

private:
    void OnSessionRequest(const plat::steamworks::SessionRequest& request);

    TQZSteamCapCallbacks* callbacks_;
    std::recursive_mutex lock_;
    TQZSteamSessionHandler sessionRequest_;
};
