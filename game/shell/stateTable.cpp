#include "stateTable.h"

#include "UIContinueBar.h"
#include "UIGameBoard.h"
#include "UIPlayerIcon.h"
#include "clShellLinks.h"

#include "mgrGameflow.h"
#include "mgrSession.h"

#include <algorithm>

TStateTable::~TStateTable()
{
    if (listening_ && Session) Session->Governor().RemoveListener(MakeMethod<&TStateTable::OnExecuted>(this));
}

void TStateTable::Enter(TState* previous, int32_t param)
{
    TState::Enter(previous, param);
    asked_.clear();
    if (!listening_ && Session) {
        Session->Governor().AddListener(MakeMethod<&TStateTable::OnExecuted>(this));
        listening_ = true;
    }
}

void TStateTable::Leave(TState* next)
{
    if (listening_ && Session) Session->Governor().RemoveListener(MakeMethod<&TStateTable::OnExecuted>(this));
    listening_ = false;
    TState::Leave(next);
}

void TStateTable::Update()
{
    TState::Update();
    if (Session) Session->ProcessActions();
}

void TStateTable::CreateBoard()
{
    FreeBoard();
    if (Window()) board_ = NewWindow<TUIGameBoard>(Window());
}

void TStateTable::FreeBoard()
{
    TGUIWindow::Free(board_);
    board_ = nullptr;
}

bool TStateTable::BoardAnimating() const { return board_ && board_->IsAnimating(); }

TQZRect TStateTable::LocalIconRect() const
{
    // The board's own icon where there is one.
    if (board_ && Session && Window())
        if (const TUIPlayerIcon* icon = board_->PlayerIcon(Session->LocalSeat())) {
            const TQZRect r = icon->GetScreenRect(), o = Window()->GetScreenRect();
            return {r.left - o.left, r.top - o.top, r.right - o.left, r.bottom - o.top};
        }
    const TGUIWindow* w = Window();
    const int32_t W = w ? w->GetWidth() : 1280, H = w ? w->GetHeight() : 800;
    const int32_t r = std::clamp(W / 4, 200, 400);
    int32_t left = W / 2 - r;
    if (left < 250) left = 250;
    const int32_t right = left + 2 * r, bottom = H - 10;
    const int32_t side = std::clamp(W / 30, 32, 64);
    return {right + 10, bottom - 64, right + 10 + side, bottom - 64 + side};
}

// Without the authority outside a shared game a recording is being replayed:
// it alone moves every seat, the local one too, or the game would part from it.
static bool Replaying() { return Session && !Session->Governor().Authority() && !IsMultiplayerActive(); }

bool TStateTable::DecidesFor(TSeat seat)
{
    if (!Session || Replaying()) return false;
    const TSessionPlayer* p = Session->Players().GetPlayer(seat);
    return p && p->IsComputerControlled() && (Session->Governor().Authority() || p->IsLocal());
}

bool TStateTable::LocalHumanSeat(TSeat seat)
{
    if (!Session || !IsSeat(seat) || seat != Session->LocalSeat()) return false;
    const TSessionPlayer* p = Session->Players().GetPlayer(seat);
    return p && p->IsLocal() && !p->IsComputerControlled();
}

bool TStateTable::Asked(TGovernActionType type, TSeat seat) const
{
    auto it = asked_.find({int32_t(type), seat});
    return it != asked_.end() && TimeInState() - it->second < kAskAgainMs;
}

void TStateTable::MarkAsked(TGovernActionType type, TSeat seat) { asked_[{int32_t(type), seat}] = TimeInState(); }

void TStateTable::ContinueLocal()
{
    if (!Session || !Gameflow || Replaying()) return;
    const TSeat local = Session->LocalSeat();
    const TSessionPlayer* p = Session->Players().GetPlayer(local);
    if (!p || p->Continued() || Asked(ACTION_CONTINUE, local)) return;
    MarkAsked(ACTION_CONTINUE, local);
    Gameflow->ContinueGame(local);
}

TUIContinueBar* TStateTable::ContinueBar() const
{
    // Looked up, not kept: the bar goes with the window.
    if (TGUIWindow* w = Window())
        for (int32_t i = 0; i < w->ChildCount(); ++i)
            if (auto* bar = dynamic_cast<TUIContinueBar*>(w->GetChild(i))) return bar;
    return nullptr;
}

void TStateTable::UpdateContinueBar(bool raise)
{
    if (!Window()) return;
    TUIContinueBar* bar = ContinueBar();
    if (!bar) bar = MakeUIContinueBar(Window());
    bar->SetVisible(Session && Session->Players().CountHumans() >= 2);
    if (raise) bar->BringToFront();
}

void TStateTable::OnExecuted(TGovernAction* action)
{
    if (!action) return;
    asked_.erase({int32_t(action->Type()), action->Seat()});
    ActionExecuted(action);
}
