// The table of game-message handlers: every handler registered for an id is
// called, in table order, with the sender's party id and the message body.
#pragma once

#include "qz7core.h"

#include <cstdint>
#include <functional>
#include <vector>

// The game messages on the game channel (the governor's 3, 4 and 7 are
// declared with it).
constexpr int32_t GAMEMSG_LOBBY_WELCOME = 0;
constexpr int32_t GAMEMSG_LOBBY = 1;
constexpr int32_t GAMEMSG_SESSION_UPDATE = 2;
constexpr int32_t GAMEMSG_HELP = 5;
constexpr int32_t GAMEMSG_CHAT = 6;

using TMPMsgMethod = TQZMethod<void(uint8_t partyId, const std::vector<uint8_t>& body)>;
using TMPMsgFunction = std::function<void(uint8_t partyId, const std::vector<uint8_t>& body)>;

class TMPMsgHandlers {
public:
    void Register(int32_t id, TMPMsgMethod method);
    void Register(int32_t id, TMPMsgFunction function);
    // Removes the last entry of that id with the same method code.
    void Unregister(int32_t id, TMPMsgMethod method);
    // Over a copy of the table: handlers may register or unregister meanwhile.
    void Dispatch(int32_t id, uint8_t partyId, const std::vector<uint8_t>& body) const;
    int32_t Count(int32_t id) const;
    void Clear() { entries_.clear(); }

private:
    struct TEntry {
        int32_t id = 0;
        TMPMsgMethod method;
        TMPMsgFunction function;
    };
    std::vector<TEntry> entries_;
};

// A game message on the wire: the 32-bit little-endian id, then the body.
std::vector<uint8_t> PrependMessageID(int32_t id, const std::vector<uint8_t>& body);
// Takes the id off; false when the message is too short to hold one.
[[nodiscard]] bool SplitMessageID(const std::vector<uint8_t>& message, int32_t& id, std::vector<uint8_t>& body);
