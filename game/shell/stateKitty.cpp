#include "stateKitty.h"

#include "GameTextHelpers.h"
#include "UICardset.h"
#include "clNotice.h"
#include "mgrAI.h"
#include "mgrGameflow.h"
#include "mgrSession.h"
#include "mgrSettings.h"
#include "sessionTricks.h"

namespace {
constexpr int32_t kHandSize = 10;
}

TSeat TStateKitty::Declarer() const { return Session ? Session->Bidding().HighBidder() : 0; }

void TStateKitty::Enter(TState* previous, int32_t param)
{
    TStateTable::Enter(previous, param);
    CreateBoard();
    warning_ = SettingBool("Gameplay.Discardwarning");
    alerted_ = false;
    if (!Session) return;
    if (Session->Deck().Count() == 0) {
        phase_ = 1;
        RefreshPrompt();
    } else {
        phase_ = 0;
        Session->SetPrompt("Distributing kitty...");
        if (Declarer() == Session->LocalSeat() && Gameflow) Gameflow->TriggerTutorial("kitty", 1);
    }
}

void TStateKitty::Leave(TState* next)
{
    if (Session) Session->Governor().RemoveActions(ACTION_DISCARD);
    FreeBoard();
    TStateTable::Leave(next);
}

void TStateKitty::ActionExecuted(TGovernAction*)
{
    if (phase_ == 1) RefreshPrompt();
}

void TStateKitty::RefreshPrompt()
{
    if (!Session) return;
    const TSeat d = Declarer();
    if (LocalHumanSeat(d)) {
        const int32_t extra = Session->HandOf(d).Count() - kHandSize;
        // After the last discard the line waits for the next step's prompt.
        if (extra <= 0) {
            Session->SetPrompt("");
            return;
        }
        Session->SetPrompt(FormatNumbered("Discard %1 card(s)", {std::to_string(extra)}));
        if (!alerted_ && Gameflow) Gameflow->PlayMultiplayerAlert();
        alerted_ = true;
    } else {
        Session->SetPrompt("Waiting for other player...");
    }
}

void TStateKitty::HandleEvent(int32_t commandId)
{
    if (!IsCurrent() || !Session) return;
    if (commandId == GUICMD_BACK) {
        // The kitty is handed out now, not left half way for a saved game
        // or a recording to keep.
        Session->DealOutNow();
        StateEngine->PopState(GUICMD_BACK);
        return;
    }
    const int32_t position = commandId - GUICMD_CARD;
    if (position < 1 || position > 15 || phase_ != 1) return;
    TSession& s = *Session;
    const TSeat d = Declarer();
    if (!LocalHumanSeat(d)) return;
    const TCardset& hand = s.HandOf(d);
    // Discards already on their way count: never below ten.
    if (position > hand.Count() || hand.Count() - s.Governor().CountActions(ACTION_DISCARD, d) <= kHandSize) return;
    const TCard card = hand.Get(position);
    if (warning_ && IsTrumpCard(card, s.GetContract().trump)) {
        ShowNoticeText("*Discarding Trump warning*<HR>click again to continue<BR>(you can disable this warning in Game "
                       "Options)");
        warning_ = false;
        return;
    }
    if (Gameflow) Gameflow->Discard(card, d);
}

void TStateKitty::Update()
{
    TStateTable::Update();
    if (!Session || !IsCurrent()) return;
    TSession& s = *Session;
    if (s.Status() != STATUS_KITTY) {
        StateEngine->PopState(0);
        return;
    }
    const TSeat d = Declarer();
    if (!IsSeat(d)) return;
    const bool idle = !BoardAnimating() && !s.MoveInProgress();
    if (phase_ == 0) {
        if (!idle) return;
        if (s.Deck().Count() == 0) {
            phase_ = 1;
            RefreshPrompt();
        } else {
            s.DealNextCard();
        }
        return;
    }
    const int32_t held = s.HandOf(d).Count();
    if (held > kHandSize) {
        if (idle && DecidesFor(d) && AI && s.Governor().CountActions(ACTION_DISCARD, d) == 0 &&
            !Asked(ACTION_DISCARD, d)) {
            MarkAsked(ACTION_DISCARD, d);
            if (Gameflow) Gameflow->Discard(AI->ChooseDiscard(s, d), d);
        }
        return;
    }
    if (!idle) return;
    s.StartPlay();
    s.SetStatus(STATUS_PLAYING);
    StateEngine->PopState(0);
}
