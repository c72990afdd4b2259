#include "stateGameWin.h"

#include "UIAnim.h"
#include "UIAnimFireWorks.h"
#include "UIButton.h"
#include "UITitle.h"
#include "clShellLinks.h"
#include "coreGameDiagnostics.h"
#include "mgrGameflow.h"
#include "mgrSession.h"
#include "stateBidComplete.h"

namespace {
constexpr int32_t kFinishCommand = 1;
}

TGameWinGUI::TGameWinGUI(TState* owner, TGUIWindow* layout) : TStateGUI(owner, layout)
{
    title_ = NewWindow<TUITitle>(this, false);
    AddContinueButtons(this, "Finish", finish_, enter_);
    host_ = NewWindow<TUIAnimHost>(this);
}

void TGameWinGUI::Celebrate()
{
    if (fireworks_) return;
    auto* f = NewWindow<TUIAnimFireworks>(host_, false);
    f->blocking = false;
    fireworks_ = f;
}

void TGameWinGUI::RaiseOverBoard()
{
    title_->BringToFront();
    host_->BringToFront();
}

bool TGameWinGUI::Arrange()
{
    TStateGUI::Arrange();
    PlaceContinueButton(this, finish_);
    return false;
}

void TStateGameWin::CreateGUI()
{
    MakeWindow<TGameWinGUI>();
}

void TStateGameWin::Enter(TState* previous, int32_t param)
{
    TStateTable::Enter(previous, param);
    winner_ = TTeam(param);
    done_ = false;
    CreateBoard();
    if (auto* w = dynamic_cast<TGameWinGUI*>(Window())) {
        w->RaiseOverBoard();
        PlaceContinueButton(w, w->FinishButton());
    }
    UpdateContinueBar(true);
    AdminLog("Game Over! Winning Team = " + std::to_string(winner_));
    if (!Session) return;
    const bool ours = winner_ == TeamOfSeat(Session->LocalSeat());
    if (auto* w = dynamic_cast<TGameWinGUI*>(Window()); w && ours) w->Celebrate();
    Session->SetPrompt(ours ? "Congratulations!" : "Game Over");
    Session->Players().SetAllContinue(false);
}

void TStateGameWin::Leave(TState* next)
{
    FreeBoard();
    if (Session) {
        Session->NewGame(1);
        if (IsMultiplayerHost())
            Session->Governor().Submit(std::make_unique<TActionNewGame>(TSeat(RandomBetween(1, 4))));
    }
    TStateTable::Leave(next);
}


void TStateGameWin::HandleEvent(int32_t commandId)
{
    if (!IsCurrent() || done_) return;
    if (commandId == kFinishCommand || commandId == GUICMD_BACK) ContinueLocal();
}

void TStateGameWin::Update()
{
    TStateTable::Update();
    if (!Session || !IsCurrent() || done_) return;
    TSession& s = *Session;
    const TSessionPlayer* local = s.Players().GetPlayer(s.LocalSeat());
    UpdateContinueBar(false);
    if (auto* w = dynamic_cast<TGameWinGUI*>(Window()); w && local) EnableContinueButton(w->FinishButton(), *local);
    if (local && local->IsComputerControlled() && !local->Continued()) ContinueLocal();
    if (s.Players().AllContinued()) {
        done_ = true;
        StateEngine->PopState(STATE_RETURN_GAME_OVER);
    }
}
