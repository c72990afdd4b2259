#include "stateHandWin.h"

#include "UIButton.h"
#include "UIGameBoard.h"
#include "UIScorefloat.h"
#include "UILabel.h"
#include "UITheme.h"
#include "clShellLinks.h"
#include "coreGameDiagnostics.h"
#include "mgrGameflow.h"
#include "mgrSession.h"
#include "stateBidComplete.h"

namespace {
constexpr int32_t kContinueCommand = 1;
constexpr int32_t kLabelWidth = 800, kLabelHeight = 50, kLabelTop = 100;
}  // namespace

THandWinGUI::THandWinGUI(TState* owner, TGUIWindow* layout) : TStateGUI(owner, layout)
{
    AddContinueButtons(this, "Continue", continue_, enter_);
}

bool THandWinGUI::Arrange()
{
    TStateGUI::Arrange();
    PlaceContinueButton(this, continue_);
    if (result_) {
        const int32_t left = (GetWidth() - kLabelWidth) / 2;
        result_->SetRect({left, kLabelTop, left + kLabelWidth, kLabelTop + kLabelHeight});
    }
    return false;
}

void THandWinGUI::ShowResult(const std::string& text)
{
    if (!result_) {
        result_ = MakeUILabel(text, TQZRect{0, 0, kLabelWidth, kLabelHeight}, this, 0xFFFFFFFF, UIFONT_BUTTON);
        result_->centreHorizontal = true;
        result_->centreVertical = true;
    } else {
        result_->SetCaption(text);
    }
    Arrange();
    result_->BringToFront();
}

void TStateHandWin::CreateGUI()
{
    MakeWindow<THandWinGUI>();
}

void TStateHandWin::Enter(TState* previous, int32_t param)
{
    TStateTable::Enter(previous, param);
    done_ = false;
    if (Session) {
        // The board shows the whole deck again while the result is up. The
        // hand is scored first: the board then finds the hand over and shows
        // the deck face down from its first frame.
        Session->Deck().FillDeck();
        Session->ScoreHand();
    }
    CreateBoard();
    auto* w = dynamic_cast<THandWinGUI*>(Window());
    if (w) PlaceContinueButton(w, w->ContinueButton());
    UpdateContinueBar(true);
    if (!Session || !StateEngine) return;
    TSession& s = *Session;
    s.Players().SetAllContinue(false);
    s.Governor().RemoveActions(ACTION_PLAYCARD);
    if (const TTeam t = s.WinningTeam()) {
        AchievementTrigger("GAME");
        done_ = true;
        (void)StateEngine->PushById(STATE_GAMEWIN, false, t);  // a screen not in this build is refused and logged inside
        return;
    }
    if (w) w->ShowResult(s.ResultText());
    // Each team's points of the hand drift to its score.
    if (TUIGameBoard* board = Board())
        for (TTeam t = 1; t <= 2; ++t) NewWindow<TUIScorefloat>(board, t, s.LastHandPoints(t), board->Scoreboard());
}

void TStateHandWin::Leave(TState* next)
{
    FreeBoard();
    TStateTable::Leave(next);
}


void TStateHandWin::HandleEvent(int32_t commandId)
{
    if (!IsCurrent() || done_) return;
    if (commandId == kContinueCommand) {
        ContinueLocal();
    } else if (commandId == GUICMD_BACK && !IsMultiplayerActive()) {
        done_ = true;
        StateEngine->PopState(GUICMD_BACK);
    }
}

void TStateHandWin::Update()
{
    TStateTable::Update();
    if (!Session || !IsCurrent() || done_) return;
    TSession& s = *Session;
    const TSessionPlayer* local = s.Players().GetPlayer(s.LocalSeat());
    UpdateContinueBar(false);
    if (auto* w = dynamic_cast<THandWinGUI*>(Window()); w && local) EnableContinueButton(w->ContinueButton(), *local);
    if (local && local->IsComputerControlled() && !local->Continued()) ContinueLocal();
    if (s.Players().AllContinued()) {
        done_ = true;
        StateEngine->PopState(0);
    } else if (s.Status() != STATUS_STARTING) {
        AdminLog("TStateHandWin: Session.Status isn't STATUS_STARTING... leaving my Continue wait");
        done_ = true;
        StateEngine->PopState(0);
    }
}
