#include "stateGame.h"

#include "GameTextHelpers.h"
#include "UICardset.h"
#include "UIGameBoard.h"
#include "UIPlayerIcon.h"
#include "clShellLinks.h"
#include "mgrAI.h"
#include "mgrAudio.h"
#include "mgrGameflow.h"
#include "mgrSession.h"
#include "mgrSettings.h"
#include "mgrTimers.h"

namespace {
constexpr uint32_t kThinkingKey = 1;
constexpr uint32_t kTrickKey = 2;
constexpr int32_t kTrickSound = 3;
}  // namespace

TStateGame::~TStateGame() { CancelTimers(); }

void TStateGame::CancelTimers()
{
    if (!Timers) return;
    Timers->Cancel(MakeMethod<&TStateGame::OnAIThinking>(this), TIMER_ANY_KEY);
    Timers->Cancel(MakeMethod<&TStateGame::OnTrickComplete>(this), TIMER_ANY_KEY);
}

void TStateGame::Enter(TState* previous, int32_t param)
{
    TStateTable::Enter(previous, param);
    leaving_ = false;
    if (param == GUICMD_BACK) {
        StateEngine->PopState(GUICMD_BACK);
        return;
    }
    if (param == STATE_RETURN_GAME_OVER) {
        StateEngine->PopState(GUICMD_BACK);
        if (IsMultiplayerActive())
            (void)StateEngine->PushById(STATE_LOBBY, true);  // a screen not in this build is refused and logged inside
        else if (SettingBool("Debug.AutoPlay") && Gameflow)
            Gameflow->NewGame(true);
        return;
    }
    if (Session && Session->Status() == STATUS_PLAYING && Gameflow) Gameflow->TriggerTutorial("playing", 1);
    CreateBoard();
    backRequested_ = false;
}

void TStateGame::Leave(TState* next)
{
    // Nothing is left half done: a trick being gathered closes now.
    leaving_ = true;
    if (Timers) Timers->FlushAll();
    leaving_ = false;
    FreeBoard();
    TStateTable::Leave(next);
}

void TStateGame::ActionExecuted(TGovernAction* action)
{
    if (action && action->Type() == ACTION_PLAYCARD && Session) Session->SetPrompt("");
}

bool TStateGame::Busy() const
{
    if (BoardAnimating()) return true;
    if (Timers && (Timers->IsPending(MakeMethod<&TStateGame::OnAIThinking>(const_cast<TStateGame*>(this)), TIMER_ANY_KEY) ||
                   Timers->IsPending(MakeMethod<&TStateGame::OnTrickComplete>(const_cast<TStateGame*>(this)), TIMER_ANY_KEY)))
        return true;
    return Session && Session->MoveInProgress();
}

bool TStateGame::HandClosed() const
{
    const TSessionTricks& t = Session->Tricks();
    return t.Current() >= 10 && t.TrickComplete() && t.GetTrick(t.Current()).winner != 0;
}

void TStateGame::HandleEvent(int32_t commandId)
{
    if (!IsCurrent() || !Session) return;
    if (commandId == GUICMD_BACK) {
        backRequested_ = true;
        return;
    }
    const int32_t position = commandId - GUICMD_CARD;
    if (position < 1 || position > 15) return;
    TSession& s = *Session;
    // Only the local player's own card, on its own turn.
    const TSeat seat = s.Tricks().SeatToPlay();
    if (s.Status() != STATUS_PLAYING || !LocalHumanSeat(seat) || s.Tricks().TrickComplete() || trickStep_ != 0) return;
    const TCardset& hand = s.HandOf(seat);
    if (position > hand.Count() || s.Governor().CountActions(ACTION_PLAYCARD, seat) > 0 || Asked(ACTION_PLAYCARD, seat))
        return;
    MarkAsked(ACTION_PLAYCARD, seat);
    if (Gameflow) Gameflow->PlayCard(hand.Get(position), seat);
}

void TStateGame::Update()
{
    TStateTable::Update();
    if (!Session || !StateEngine || !IsCurrent()) return;
    TSession& s = *Session;
    const bool busy = Busy();
    // Once the player has asked to leave nothing new is opened over the
    // screen: a deal or auction pushed now would drop the request.
    if (backRequested_) {
        if (busy) return;
        // A deal begun but not yet on screen is finished as the deal's own
        // screen finishes it when left.
        s.DealOutNow();
        StateEngine->PopState(GUICMD_BACK);
        return;
    }
    switch (s.Status()) {
    case STATUS_STARTING:
        if (Gameflow && s.Governor().CountActions(ACTION_NEWHAND) == 0) Gameflow->NewHand();
        return;
    // A screen not in this build is refused and logged inside.
    case STATUS_DEALING: (void)StateEngine->PushById(STATE_DEALING, true); return;
    case STATUS_BIDDING: (void)StateEngine->PushById(STATE_BIDDING, true); return;
    case STATUS_BID_COMPLETE: (void)StateEngine->PushById(STATE_BIDCOMPLETE, true); return;
    case STATUS_KITTY: (void)StateEngine->PushById(STATE_KITTY, true); return;
    case STATUS_PLAYING: break;
    }
    if (busy || !Window() || !Window()->IsEnabled()) return;
    PlayTricks();
}

void TStateGame::PlayTricks()
{
    TSession& s = *Session;
    if (HandClosed()) {
        (void)StateEngine->PushById(STATE_HANDWIN, true);  // a screen not in this build is refused and logged inside
        return;
    }
    if (s.Tricks().TrickComplete()) {
        trickStep_ = 1;
        Timers->Add(MakeMethod<&TStateGame::OnTrickComplete>(this), GetSpeedSetting("Speed.Play"), s.Tricks().TrickWinner(),
                    kTrickKey);
        return;
    }
    const TSeat seat = s.Tricks().SeatToPlay();
    const TSessionPlayer* p = s.Players().GetPlayer(seat);
    if (!p) return;
    if (p->IsComputerControlled()) {
        if (!p->IsLocal() || !IsMultiplayerActive()) s.SetPrompt("");
        if (DecidesFor(seat) && !Asked(ACTION_PLAYCARD, seat) && s.Governor().CountActions(ACTION_PLAYCARD, seat) == 0)
            Timers->Add(MakeMethod<&TStateGame::OnAIThinking>(this), GetSpeedSetting("Speed.Thinking"), seat,
                        kThinkingKey);
    } else if (LocalHumanSeat(seat)) {
        if (s.Prompt() != "Play a card") s.SetPrompt("Play a card");
        if (s.Tricks().Current() != alertedTrick_) {
            if (Gameflow) Gameflow->PlayMultiplayerAlert();
            alertedTrick_ = s.Tricks().Current();
        }
    } else {
        s.SetPrompt("Waiting for other player...");
    }
}

void TStateGame::GatherTrick(TSeat winner)
{
    TUIGameBoard* board = Board();
    TUICardset* table = board ? board->GetSeatCards(0) : nullptr;
    const TUIPlayerIcon* icon = board ? board->PlayerIcon(winner) : nullptr;
    if (!table || !icon || leaving_) return;
    const TQZPoint target = BoardGatherPoint(icon->GetScreenRect(), table->CardSize(),
                                             {board->GetWidth(), board->GetHeight()});
    const int32_t duration = GetSpeedSetting("Speed.Play");
    for (TSeat seat = 1; seat <= 4; ++seat) {
        const TCard c = seat <= Session->Deck().Count() ? Session->Deck().Get(seat) : 0;
        if (c == 0) continue;
        const TQZRect from = table->CalcCardPositions(seat);
        board->StartCardMove({from.left, from.top}, target, 0, false, false, true, c, duration);
    }
}

int32_t TStateGame::OnAIThinking(int64_t seat, uint32_t)
{
    if (!Session || !AI || leaving_ || !IsCurrent()) return 0;
    TSession& s = *Session;
    if (s.Status() != STATUS_PLAYING || s.Tricks().TrickComplete() || s.Tricks().SeatToPlay() != seat ||
        !DecidesFor(TSeat(seat)) || s.Governor().CountActions(ACTION_PLAYCARD, TSeat(seat)) > 0)
        return 0;
    const TCard card = AI->ChooseCard(s, TSeat(seat));
    MarkAsked(ACTION_PLAYCARD, TSeat(seat));
    if (Gameflow) Gameflow->PlayCard(card, TSeat(seat));
    return 1;
}

int32_t TStateGame::OnTrickComplete(int64_t winner, uint32_t)
{
    if (!Session || !Timers) return 0;
    TSession& s = *Session;
    if (s.Status() != STATUS_PLAYING || !s.Tricks().TrickComplete() || HandClosed()) {
        trickStep_ = 0;
        return 0;
    }
    if (trickStep_ == 1) {
        const TSessionPlayer* w = s.Players().GetPlayer(TSeat(winner));
        s.SetPrompt(FormatNumbered("%1 wins trick", {w ? w->Name() : std::string()}));
        GatherTrick(TSeat(winner));
        s.Deck().Clear();
        if (Audio) Audio->PlaySound(kTrickSound, false);
        trickStep_ = 2;
        Timers->Add(MakeMethod<&TStateGame::OnTrickComplete>(this), GetSpeedSetting("Speed.Play"), winner, kTrickKey);
        return 1;
    }
    trickStep_ = 0;
    const bool handOver = s.Tricks().CloseTrick();
    // Leaving: the hand's result is shown when the game is taken up again.
    // A screen not in this build is refused and logged inside.
    if (handOver && !leaving_ && IsCurrent()) (void)StateEngine->PushById(STATE_HANDWIN, true);
    return 1;
}
