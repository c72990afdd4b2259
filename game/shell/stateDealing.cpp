#include "stateDealing.h"

#include "mgrAudio.h"
#include "mgrSession.h"
#include "mgrSettings.h"
#include "mgrTimers.h"

namespace {
constexpr int32_t kDealSound = 4;
}  // namespace

TStateDealing::~TStateDealing()
{
    if (Timers) Timers->Cancel(MakeMethod<&TStateDealing::OnCardDeal>(this), TIMER_ANY_KEY);
}

void TStateDealing::Enter(TState* previous, int32_t param)
{
    TStateTable::Enter(previous, param);
    CreateBoard();
    credit_ = 1;
    if (Session) Session->SetPrompt("Dealing...");
    if (Audio) Audio->PlaySound(kDealSound, true);
}

void TStateDealing::Leave(TState* next)
{
    if (Audio) Audio->StopSound(kDealSound);
    if (Timers) Timers->Cancel(MakeMethod<&TStateDealing::OnCardDeal>(this), TIMER_ANY_KEY);
    FreeBoard();
    TStateTable::Leave(next);
}

void TStateDealing::HandleEvent(int32_t commandId)
{
    if (commandId != GUICMD_BACK || !IsCurrent()) return;
    // The player leaves the table: the deal is finished now, not left half
    // done for a saved game or a recording to keep.
    if (Session) Session->DealOutNow();
    StateEngine->PopState(GUICMD_BACK);
}

int32_t TStateDealing::OnCardDeal(int64_t, uint32_t)
{
    ++credit_;
    return 1;
}

void TStateDealing::Update()
{
    TStateTable::Update();
    if (!Session || !IsCurrent()) return;
    TSession& s = *Session;
    if (s.Status() != STATUS_DEALING) {
        // The hand moved on under us (a shared game's update): nothing to deal.
        StateEngine->PopState(0);
        return;
    }
    if (s.CardsLeftToDeal() <= 0) {
        if (!BoardAnimating() && !s.MoveInProgress()) {
            s.StartBidding();
            StateEngine->PopState(0);
        }
        return;
    }
    if (!Window() || !Window()->IsEnabled() || credit_ <= 0) return;
    --credit_;
    s.DealNextCard();
    const int32_t quarter = Timers && !Timers->Immediate() ? MaxOf(0, GetSpeedSetting("Speed.Deal")) / 4 : 0;
    if (Timers) Timers->Add(MakeMethod<&TStateDealing::OnCardDeal>(this), quarter, 0, 0);
    else ++credit_;
}
