// The end of a game: the winners are named (with fireworks when they are the
// player's team) until every person at the table has pressed Finish; then a
// new game is made ready.
#pragma once

#include "stateTable.h"

class TUIButton;

class TGameWinGUI : public TStateGUI {
public:
    TGameWinGUI(TState* owner, TGUIWindow* layout);
    bool Arrange() override;
    TUIButton* FinishButton() const { return finish_; }
    // Fireworks for the player's own team's win.
    void Celebrate();
    TGUIWindow* Fireworks() const { return fireworks_; }
    TGUIWindow* Title() const { return title_; }
    // The title and the fireworks stand over the board made after them.
    void RaiseOverBoard();

private:
    TGUIWindow* title_ = nullptr;
    TGUIWindow* host_ = nullptr;
    TGUIWindow* fireworks_ = nullptr;
    TUIButton* finish_ = nullptr;
    TUIButton* enter_ = nullptr;
};

class TStateGameWin : public TStateTable {
public:
    void CreateGUI() override;
    void Enter(TState* previous, int32_t param) override;
    void Leave(TState* next) override;
    void HandleEvent(int32_t commandId) override;
    void Update() override;

    TTeam Winner() const { return winner_; }

private:
    TTeam winner_ = 0;
    bool done_ = false;
};
