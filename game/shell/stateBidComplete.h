// The end of the auction: the contract is shown until every person at the
// table has pressed Continue (or at once, unless the player asked to wait);
// in a misere contract the declarer's partner sits the hand out.
#pragma once

#include "stateTable.h"

class TSessionPlayer;
class TUIButton;

// The result screens' window: the table, a Continue button at the local
// seat's icon (space), the same command on Enter, and the bar of who has
// continued when more than one person plays.
class TBidCompleteGUI : public TStateGUI {
public:
    TBidCompleteGUI(TState* owner, TGUIWindow* layout, const std::string& caption = "Continue");
    bool Arrange() override;
    TUIButton* ContinueButton() const { return continue_; }

private:
    TUIButton* continue_ = nullptr;
    TUIButton* enter_ = nullptr;
};

// Shared by the result screens: the Continue buttons and the continue bar.
void AddContinueButtons(TStateGUI* window, const std::string& caption, TUIButton*& shown, TUIButton*& enter);
void PlaceContinueButton(TStateGUI* window, TUIButton* shown);
void EnableContinueButton(TUIButton* shown, const TSessionPlayer& local);

class TStateBidComplete : public TStateTable {
public:
    void CreateGUI() override;
    void Enter(TState* previous, int32_t param) override;
    void Leave(TState* next) override;
    void HandleEvent(int32_t commandId) override;
    void Update() override;

private:
    bool backedOut_ = false;
};
