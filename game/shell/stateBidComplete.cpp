#include "stateBidComplete.h"

#include "UIButton.h"
#include "clShellLinks.h"
#include "coreGameDiagnostics.h"
#include "mgrGameflow.h"
#include "mgrSession.h"
#include "mgrServices.h"
#include "mgrSettings.h"
#include "microTutorial.h"

namespace {
constexpr int32_t kContinueCommand = 1;
constexpr int32_t kButtonWidth = 126, kButtonHeight = 45;

bool TutorialPageShown()
{
    auto* tutorial = ServiceManager ? dynamic_cast<TTutorialService*>(ServiceManager->Running("TUTORIAL")) : nullptr;
    return tutorial && tutorial->WindowShown();
}
}  // namespace

void AddContinueButtons(TStateGUI* window, const std::string& caption, TUIButton*& shown, TUIButton*& enter)
{
    shown = NewWindow<TUIButton>(caption, TQZRect{0, 0, kButtonWidth, kButtonHeight}, window, kContinueCommand);
    shown->hotKey = ' ';
    enter = NewWindow<TUIButton>("", TQZRect{0, 0, 1, 1}, window, kContinueCommand);
    enter->hotKey = GUIKEY_ENTER;
    enter->SetVisible(false);
    PlaceContinueButton(window, shown);
}

void EnableContinueButton(TUIButton* shown, const TSessionPlayer& local)
{
    // Pressed once: it stays down while the others decide.
    if (shown) shown->SetEnabled(!local.Continued());
}

void PlaceContinueButton(TStateGUI* window, TUIButton* shown)
{
    auto* table = dynamic_cast<TStateTable*>(window ? window->Owner() : nullptr);
    if (!table || !shown) return;
    const TQZRect icon = table->LocalIconRect();
    // Above the icon, kept inside the window.
    int32_t left = MinOf(icon.left, window->GetWidth() - kButtonWidth - 10);
    int32_t top = icon.top - kButtonHeight - 10;
    shown->SetRect({left, top, left + kButtonWidth, top + kButtonHeight});
    shown->BringToFront();
}

TBidCompleteGUI::TBidCompleteGUI(TState* owner, TGUIWindow* layout, const std::string& caption)
    : TStateGUI(owner, layout)
{
    AddContinueButtons(this, caption, continue_, enter_);
}

bool TBidCompleteGUI::Arrange()
{
    TStateGUI::Arrange();
    PlaceContinueButton(this, continue_);
    return false;
}

void TStateBidComplete::CreateGUI()
{
    MakeWindow<TBidCompleteGUI>();
}

void TStateBidComplete::Enter(TState* previous, int32_t param)
{
    TStateTable::Enter(previous, param);
    CreateBoard();
    backedOut_ = false;
    if (auto* w = dynamic_cast<TBidCompleteGUI*>(Window())) PlaceContinueButton(w, w->ContinueButton());
    UpdateContinueBar(true);
    if (!Session) return;
    TSession& s = *Session;
    s.SetPrompt("Bidding completed!");
    s.Players().SetAllContinue(false);
    const TContract c = s.GetContract();
    if (!IsMisereBid(c.bid)) return;
    if (Gameflow) Gameflow->TriggerTutorial("misere", 1);
    if (!s.Governor().Authority()) return;
    const TSeat partner = PartnerOf(c.declarer);
    const TSessionPlayer* p = s.Players().GetPlayer(partner);
    if (!p) return;
    AdminLog("Sitting out player " + p->Name());
    // A copy: the hand changes as the discards run.
    const TCardset hand = s.HandOf(partner);
    if (s.Governor().CountActions(ACTION_DISCARD, partner) > 0 || !Gameflow) return;  // already on their way
    for (int32_t i = 1; i <= hand.Count(); ++i) Gameflow->Discard(hand.Get(i), partner);
}

void TStateBidComplete::Leave(TState* next)
{
    // Backing out keeps the phase, so that it is shown again on return.
    if (Session && !backedOut_ && Session->Status() == STATUS_BID_COMPLETE) Session->SetStatus(STATUS_KITTY);
    FreeBoard();
    TStateTable::Leave(next);
}


void TStateBidComplete::HandleEvent(int32_t commandId)
{
    if (!IsCurrent()) return;
    if (commandId == kContinueCommand) {
        ContinueLocal();
    } else if (commandId == GUICMD_BACK && !IsMultiplayerActive()) {
        backedOut_ = true;
        StateEngine->PopState(GUICMD_BACK);
    }
}

void TStateBidComplete::Update()
{
    TStateTable::Update();
    if (!Session || !IsCurrent()) return;
    TSession& s = *Session;
    const TSessionPlayer* local = s.Players().GetPlayer(s.LocalSeat());
    UpdateContinueBar(false);
    if (auto* w = dynamic_cast<TBidCompleteGUI*>(Window()); w && local) EnableContinueButton(w->ContinueButton(), *local);
    if (local && !local->Continued()) {
        if (local->IsComputerControlled())
            ContinueLocal();
        else if (!BoardAnimating() && !s.MoveInProgress() && !SettingBool("Gameplay.WaitAfterBid") &&
                 !TutorialPageShown())  // the misere page is read before the hand goes on
            ContinueLocal();
    }
    if (s.Status() != STATUS_BID_COMPLETE) {
        StateEngine->PopState(0);
        return;
    }
    // The sitting-out partner's cards go before the kitty is taken up.
    const TContract c = s.GetContract();
    const bool sittingOut = IsMisereBid(c.bid) && s.Governor().CountActions(ACTION_DISCARD, PartnerOf(c.declarer)) > 0;
    if (s.Players().AllContinued() && !sittingOut) StateEngine->PopState(0);
}
