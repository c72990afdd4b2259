// The version check screen over the HTTP check and the taskbar progress.
#pragma once

#include "mgrStates.h"

#include <memory>

class TVersionCheck;
class TTaskBarProgress;
class TUIButton;
class TUILabel;
class TUIProgressBar;

class TCheckVersionGUI : public TStateGUI {
public:
    TCheckVersionGUI(TState* owner, TGUIWindow* layout);
    bool Arrange() override;
    // Buttons, status, bar and taskbar from the check's state.
    void Refresh(TVersionCheck& check, TTaskBarProgress* taskbar);
    TUIButton* Button(int32_t command) const;
    TUILabel* Status() const { return status_; }
    TUIProgressBar* Bar() const { return bar_; }

private:
    TGUIWindow* frame_ = nullptr;
    TUILabel* status_ = nullptr;
    TUIProgressBar* bar_ = nullptr;
};

class TStateCheckVersion : public TState {
public:
    TStateCheckVersion();
    ~TStateCheckVersion() override;
    void CreateGUI() override;
    void Enter(TState* previous, int32_t param) override;
    void Leave(TState* next) override;
    void Update() override;
    void HandleEvent(int32_t commandId) override;
    TVersionCheck& Check() { return *check_; }

private:
    std::unique_ptr<TVersionCheck> check_;
    std::unique_ptr<TTaskBarProgress> taskbar_;
    bool savedMinimise_ = true;
};
