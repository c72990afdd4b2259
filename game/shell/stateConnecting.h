// The screen a client shows while it connects to a host: the session's
// state, the current join attempt against its time, "Retry" and "Cancel".
// The host's welcome replaces it by the lobby.
#pragma once

#include "mgrStates.h"

#include <string>

class TUIButton;
class TUILabel;
class TUIProgressBar;
class TQZClass;

// The text of a session state (0..6); empty for any other.
std::string ConnectionStateText(int32_t state);

class TConnectingGUI : public TStateGUI {
public:
    TConnectingGUI(TState* owner, TGUIWindow* layout);
    bool Arrange() override;
    // Status, bar and buttons from the multiplayer manager's session.
    void Refresh();

    TUILabel* Status() const { return status_; }
    TUIProgressBar* Bar() const { return bar_; }
    TUIButton* RetryButton() const { return retry_; }

private:
    TGUIWindow* frame_ = nullptr;
    TUILabel* address_ = nullptr;
    TUILabel* status_ = nullptr;
    TUIProgressBar* bar_ = nullptr;
    TUIButton* retry_ = nullptr;
};

class TStateConnecting : public TState {
public:
    void CreateGUI() override;
    void Enter(TState* previous, int32_t param) override;
    void Leave(TState* next) override;
    void Update() override;
    void HandleEvent(int32_t commandId) override;

private:
    void OnWelcome(TQZClass* payload);
    bool subscribed_ = false;
};
