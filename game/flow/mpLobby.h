// The lobby's rules over the lobby message (game message 1): players take
// seats and ready up, and the host starts the game. The host is the
// authority: seat and ready requests go to it and act only there, a start
// counts only on a client and only from the host, and the sender is always
// the one the transport reports (the party id written in the body is not
// read). The lobby screen keeps one of these while it is shown. A started
// game is announced with the game-flow event "GAME_STARTED" as well.
#pragma once

#include "mpMessages.h"
#include "coreGame.h"

#include <cstdint>
#include <vector>

enum TMPLobbyKind : int32_t { LOBBY_SEAT_REQUEST = 0, LOBBY_READY = 1, LOBBY_GAME_START = 2 };

// {i32 kind, i32 sender's party id, i32 value}.
constexpr size_t kLobbyMessageSize = 12;
std::vector<uint8_t> PackLobbyMessage(int32_t kind, int32_t partyId, int32_t value);

class TMPLobby {
public:
    TMPLobby() = default;
    ~TMPLobby();
    TMPLobby(const TMPLobby&) = delete;
    TMPLobby& operator=(const TMPLobby&) = delete;

    // Registers the handler of message 1; on the host the party opens.
    void Open();
    void Close();

    // The screen's commands: take seat n (1..4), flip ready, start (host).
    void TakeSeat(TSeat seat);
    void ToggleReady();
    // False when this is no host or not every person is ready.
    [[nodiscard]] bool StartGame();

    // Every person's seat is ready and there is more than one person.
    static bool CanStart();
    static bool LocalReady();

    void OnMessage(uint8_t sender, const std::vector<uint8_t>& body);

private:
    // Moves the sender's player to the seat when it is free of other people.
    [[nodiscard]] static bool MoveToSeat(TSeat from, TSeat to);
    bool open_ = false;
};
