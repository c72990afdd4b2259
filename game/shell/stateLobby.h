// The multiplayer lobby: the four seats with their players, "Ready Up!",
// "Start Game" on the host, and leaving the party. The seat and ready rules
// and the lobby messages are the lobby model's (game flow); this screen
// shows the session and hands the model the player's commands.
#pragma once

#include "mgrStates.h"
#include "mpLobby.h"

#include <string>

class TQZClass;
class TUIButton;
class TUICycleButton;
class TUILabel;
class TUILobbyPlayer;

// The line under the seats that tells the player what happens next.
std::string LobbyInstructions();

class TLobbyGUI : public TStateGUI {
public:
    TLobbyGUI(TState* owner, TGUIWindow* layout);
    bool Arrange() override;
    // Buttons, captions and texts from the session, once a frame.
    void Refresh();

    TUIButton* StartButton() const { return start_; }
    TUIButton* ReadyButton() const { return ready_; }
    TUIButton* LeaveButton() const { return leave_; }
    TUICycleButton* PublicButton() const { return public_; }
    TUILabel* LobbyLabel() const { return lobby_; }
    TUILabel* Instructions() const { return instructions_; }
    TUILobbyPlayer* Row(TSeat seat) const { return IsSeat(seat) ? rows_[seat - 1] : nullptr; }

private:
    TGUIWindow* panel_ = nullptr;
    TUILabel* lobby_ = nullptr;
    TUILabel* instructions_ = nullptr;
    TUIButton* start_ = nullptr;
    TUIButton* ready_ = nullptr;
    TUIButton* leave_ = nullptr;
    TUICycleButton* public_ = nullptr;
    TUILobbyPlayer* rows_[4] = {};
    std::string shownLobby_;
};

class TStateLobby : public TState {
public:
    void CreateGUI() override;
    void Enter(TState* previous, int32_t result) override;
    void Leave(TState* next) override;
    void Update() override;
    void HandleEvent(int32_t commandId) override;

    TMPLobby& Lobby() { return lobby_; }

private:
    void OnLobbyChanged(TQZClass* payload);
    // A client whose host's session shows a game going on joins it at the table.
    void JoinGameInProgress();

    TMPLobby lobby_;
    bool subscribed_ = false;
};
