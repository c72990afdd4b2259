// The hand's result: the hand is scored and its result shown with the score
// changes until every person at the table has pressed Continue; a hand that
// wins the game goes on to the game-won screen.
#pragma once

#include "stateTable.h"

class TUIButton;
class TUILabel;

class THandWinGUI : public TStateGUI {
public:
    THandWinGUI(TState* owner, TGUIWindow* layout);
    bool Arrange() override;
    void ShowResult(const std::string& text);
    TUIButton* ContinueButton() const { return continue_; }
    TUILabel* ResultLabel() const { return result_; }

private:
    TUIButton* continue_ = nullptr;
    TUIButton* enter_ = nullptr;
    TUILabel* result_ = nullptr;
};

class TStateHandWin : public TStateTable {
public:
    void CreateGUI() override;
    void Enter(TState* previous, int32_t param) override;
    void Leave(TState* next) override;
    void HandleEvent(int32_t commandId) override;
    void Update() override;

private:
    bool done_ = false;
};
