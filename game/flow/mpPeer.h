// The game's peer: every peer of the session gets the reliable, ordered game
// channel (id 1) as soon as it is made; what arrives on it goes to the
// receiver set for its session (the multiplayer manager).
#pragma once

#include "qz7falcon.h"

#include <functional>

class TMPPeer;
// Main thread, inside the session's Process: one whole game message.
using TMPReceiver = std::function<void(TMPPeer& peer, const std::vector<uint8_t>& message)>;

class TMPPeer : public TQZPeer {
public:
    TMPPeer(TQZFalcon* session, const std::string& address, uint16_t port);

    void Setup() override;
    // Any thread; takes "Falcon Logic" (the channel's Send).
    void Send(const std::vector<uint8_t>& message);
    TQZChannelReliable* GameChannel() const { return game_; }

    static std::shared_ptr<TQZPeer> Make(TQZFalcon* session, const std::string& address, uint16_t port);

private:
    static void OnReceive(void* user, TQZChannel* channel, const TQZByteArray& payload);
    TQZChannelReliable* game_ = nullptr;
};

// Where the game messages of a session's peers go; an empty receiver
// forgets the session.
void SetGameReceiver(TQZFalcon* session, TMPReceiver receiver);

