// The confirmation dialog over the screen that asked, and the minimised
// state that waits while the window is minimised.
#pragma once

#include "mgrStates.h"

#include <string>

constexpr int32_t CONFIRM_OK = 65534;
constexpr int32_t CONFIRM_CANCEL = 65533;

constexpr int32_t CONFIRM_QUIT = 1;
constexpr int32_t CONFIRM_ABORT_DOWNLOAD = 2;
constexpr int32_t CONFIRM_RESTART = 3;
constexpr int32_t CONFIRM_RESET_ACHIEVEMENTS = 4;
constexpr int32_t CONFIRM_LEAVE_PARTY = 5;

// The question of a confirmation kind; empty for an unknown kind.
std::string ConfirmText(int32_t kind);

class TConfirmGUI : public TStateGUI {
public:
    TConfirmGUI(TState* owner, TGUIWindow* layout, const std::string& text);
    bool Arrange() override;
    void Draw(const TQZRect& rect) override;

private:
    TGUIWindow* frame_ = nullptr;
};

class TStateConfirm : public TState {
public:
    void CreateGUI() override {}
    void Enter(TState* previous, int32_t kind) override;
    void HandleEvent(int32_t code) override;
    int32_t Kind() const { return kind_; }

private:
    int32_t kind_ = 0;
    bool answered_ = false;
};

class TStateMinimised : public TState {
public:
    void Enter(TState* previous, int32_t param) override;
    void Update() override;
    // How long one wait for window messages may last (the window is
    // checked again after it).
    static constexpr uint32_t kWaitMs = 250;
};
