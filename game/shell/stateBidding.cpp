#include "stateBidding.h"

#include "UIBidding.h"
#include "UICardset.h"
#include "mgrAI.h"
#include "mgrGameflow.h"
#include "mgrSession.h"
#include "mgrSettings.h"
#include "mgrTimers.h"

namespace {
constexpr uint32_t kBidKey = 1;
constexpr uint32_t kDoneKey = 2;
}  // namespace

TStateBidding::~TStateBidding() { CancelTimers(); }

void TStateBidding::CancelTimers()
{
    if (!Timers) return;
    Timers->Cancel(MakeMethod<&TStateBidding::OnBidCallback>(this), TIMER_ANY_KEY);
    Timers->Cancel(MakeMethod<&TStateBidding::OnBiddingDone>(this), TIMER_ANY_KEY);
}

void TStateBidding::Enter(TState* previous, int32_t param)
{
    TStateTable::Enter(previous, param);
    if (Session) Session->Governor().RemoveActions(ACTION_CONTINUE);
    CreateBoard();
    TGUIWindow::Free(panel_);
    panel_ = Window() ? NewWindow<TUIBidding>(Window()) : nullptr;
    if (panel_) {
        panel_->Arrange();
        panel_->Refresh();
    }
    if (Gameflow) Gameflow->TriggerTutorial("bidding", 1);
}

void TStateBidding::Leave(TState* next)
{
    CancelTimers();
    if (Session) Session->Governor().RemoveActions(ACTION_BID);
    TGUIWindow::Free(panel_);
    panel_ = nullptr;
    FreeBoard();
    TStateTable::Leave(next);
}

void TStateBidding::HandleEvent(int32_t commandId)
{
    if (!IsCurrent() || !Session) return;
    if (commandId == GUICMD_BACK) {
        StateEngine->PopState(GUICMD_BACK);
        return;
    }
    // A click on a card of the local hand picks its suit on the panel.
    const int32_t position = commandId - GUICMD_CARD;
    if (position < 1 || position > 15 || !panel_) return;
    const TCardset& hand = Session->HandOf(Session->LocalSeat());
    if (position > hand.Count()) return;
    panel_->SelectSuit(CardSuit(hand.Get(position)));
}

void TStateBidding::Update()
{
    TStateTable::Update();
    if (!Session || !Timers || !IsCurrent() || !Window() || !Window()->IsEnabled()) return;
    TSession& s = *Session;
    if (s.Status() != STATUS_BIDDING) {
        StateEngine->PopState(0);
        return;
    }
    const auto done = MakeMethod<&TStateBidding::OnBiddingDone>(this);
    const auto bid = MakeMethod<&TStateBidding::OnBidCallback>(this);
    if (s.Bidding().IsComplete()) {
        if (!Timers->IsPending(done, kDoneKey)) Timers->Add(done, GetSpeedSetting("Speed.Bid"), 0, kDoneKey);
        return;
    }
    const TSeat bidder = s.Bidding().CurrentBidder();
    if (!Timers->IsPending(bid, kBidKey) && DecidesFor(bidder) && !Asked(ACTION_BID, bidder) &&
        s.Governor().CountActions(ACTION_BID, bidder) == 0)
        Timers->Add(bid, GetSpeedSetting("Speed.Bid"), bidder, kBidKey);
}

int32_t TStateBidding::OnBidCallback(int64_t seat, uint32_t)
{
    // Only while the auction still waits for that computer seat here.
    if (!Session || !AI || !IsCurrent()) return 0;
    TSession& s = *Session;
    if (s.Status() != STATUS_BIDDING || s.Bidding().IsComplete() || s.Bidding().CurrentBidder() != seat ||
        !DecidesFor(TSeat(seat)))
        return 0;
    const TAIBidOutput out = AI->ChooseBid(s, TSeat(seat));
    MarkAsked(ACTION_BID, TSeat(seat));
    s.Governor().Submit(std::make_unique<TActionBid>(TSeat(seat), out.note, out.bid));
    return 1;
}

int32_t TStateBidding::OnBiddingDone(int64_t, uint32_t)
{
    if (!Session || !IsCurrent() || Session->Status() != STATUS_BIDDING || !Session->Bidding().IsComplete()) return 0;
    // With a contract the hand goes on; when every seat passed it is thrown in.
    Session->CompleteBidding();
    StateEngine->PopState(0);
    return 1;
}
