// The governor's actions: what each checks of the session and does to it.
// The queue that runs them (sessionGovernor.cpp) needs nothing of the session
// itself.
#include "sessionGovernor.h"

#include "GameTextHelpers.h"
#include "clShellLinks.h"
#include "coreGameDiagnostics.h"
#include "mgrSession.h"
#include "mgrSettings.h"
#include "qz7memory.h"

namespace {
bool StateIs(int32_t id) { return CurrentStateId() == id; }

const std::string& PlayerName(const TSession& s, TSeat seat)
{
    static const std::string none;
    const TSessionPlayer* p = s.Players().GetPlayer(seat);
    return p ? p->Name() : none;
}

// The seats that play to the current trick, in order.
int32_t ActiveOrder(const TSessionTricks& tricks, TSeat order[4])
{
    const TTrick& t = tricks.CurrentTrickRef();
    int32_t n = 0;
    for (int32_t i = 1; i <= 4; ++i) {
        TSeat seat = NextSeat(TSeat(t.leader), i);
        if (!tricks.SitsOut(seat)) order[n++] = seat;
    }
    return n;
}
}  // namespace

// ---------------------------------------------------------------- base
TGovernAction::TGovernAction(TGovernActionType type, int32_t awaitedState) : type_(type), awaited_(awaitedState)
{
    block_.AddField(&type_, sizeof(type_));
}

std::string TGovernAction::Describe(const TSession&) const { return ActionTypeName(type_); }
void TGovernAction::Execute(TSession&) {}
bool TGovernAction::Acceptable(const TSession&) const { return true; }
bool TGovernAction::IsLegal(const TSession&) const { return true; }
bool TGovernAction::IsReady(const TSession&) const { return awaited_ == 0 || StateIs(awaited_); }

// ---------------------------------------------------------------- new game
TActionNewGame::TActionNewGame(TSeat seat) : TGovernAction(ACTION_NEWGAME, 0), seat_(seat)
{
    block_.AddField(&seat_, sizeof(seat_));
}

void TActionNewGame::Execute(TSession& s) { s.NewGame(seat_); }

// ---------------------------------------------------------------- new hand
TActionNewHand::TActionNewHand(const std::string& deckText) : TGovernAction(ACTION_NEWHAND, STATE_GAME), deck_(deckText)
{
    block_.AddString(&deck_);
}

std::string TActionNewHand::Describe(const TSession&) const { return ActionTypeName(Type()) + " " + deck_; }
void TActionNewHand::Execute(TSession& s) { s.NewHand(deck_); }
bool TActionNewHand::HasValidFields() const { return IsValidDeckText(deck_); }

bool TActionNewHand::IsLegal(const TSession& s) const
{
    // A hand in progress is never replaced: only a finished or thrown-in one.
    return s.Status() == STATUS_STARTING && IsValidDeckText(deck_);
}

// ---------------------------------------------------------------- bid
TActionBid::TActionBid(TSeat seat, const std::string& note, TBid bid)
    : TGovernAction(ACTION_BID, STATE_BIDDING), seat_(seat), bid_(bid), note_(note)
{
    block_.AddField(&seat_, sizeof(seat_));
    block_.AddField(&bid_, sizeof(bid_));
}

std::string TActionBid::Describe(const TSession& s) const
{
    const std::string& name = PlayerName(s, seat_);
    std::string wording;
    if (bid_.count == 1) wording = FormatNumbered("%1 passed", {name});
    else if (bid_.count == 0) wording = FormatNumbered("%1 has not yet bid", {name});
    else if (EditorVariant()) wording = FormatNumbered("%1 bid %2 %3", {name, BidText(bid_), std::to_string(BidPoints(bid_))});
    else wording = FormatNumbered("%1 bid %2 (%3 points)", {name, BidText(bid_), std::to_string(BidPoints(bid_))});
    return ActionTypeName(Type()) + " " + wording;
}

bool TActionBid::Acceptable(const TSession&) const { return StateIs(STATE_BIDDING); }

bool TActionBid::SameAs(const TGovernAction& other) const
{
    auto* o = dynamic_cast<const TActionBid*>(&other);
    return o && o->seat_ == seat_ && BidEquals(o->bid_, bid_);
}

bool TActionBid::IsLegal(const TSession& s) const
{
    const TSessionBidding& auction = s.Bidding();
    if (s.Status() != STATUS_BIDDING || !StateIs(STATE_BIDDING)) return false;
    if (seat_ != auction.CurrentBidder() || auction.SeatsNotPassed() <= 1) return false;
    if (s.Governor().IsQueued(*this)) return false;
    if (!IsValidBid(bid_)) return false;
    if (bid_.count == 1) return true;  // a pass is always allowed
    if (IsMisereBid(bid_) && !s.MisereAllowed()) return false;
    // A scoring bid must beat the highest bid standing.
    return BidPoints(bid_) > BidPoints(auction.WinningBid());
}

void TActionBid::Execute(TSession& s)
{
    // Only for the seat the action names.
    if (s.Bidding().CurrentBidder() != seat_) return;
    s.Bidding().PlaceBid(bid_, note_);
}

// ---------------------------------------------------------------- play
TActionPlaycard::TActionPlaycard(TSeat seat, TCard card) : TActionPlaycard(ACTION_PLAYCARD, STATE_GAME, seat, card) {}

TActionPlaycard::TActionPlaycard(TGovernActionType type, int32_t awaited, TSeat seat, TCard card)
    : TGovernAction(type, awaited), seat_(seat), card_(card)
{
    block_.AddField(&seat_, sizeof(seat_));
    block_.AddField(&card_, sizeof(card_));
}

std::string TActionPlaycard::Describe(const TSession& s) const
{
    return ActionTypeName(Type()) + " " + PlayerName(s, seat_) + " plays " + CardName(card_);
}

bool TActionPlaycard::Acceptable(const TSession& s) const
{
    if (!StateIs(STATE_GAME) || s.Governor().CountActions(ACTION_PLAYCARD, seat_) > 0) return false;
    if (s.Status() != STATUS_PLAYING || !IsSeat(seat_)) return false;
    // Out of turn: the seat is not the one to play once the cards in flight
    // and the plays already queued have landed. A play for the next trick,
    // whose leader is not known yet, waits.
    const TSessionTricks& tricks = s.Tricks();
    TSeat order[4];
    int32_t active = ActiveOrder(tricks, order);
    int32_t played = 0;
    for (int32_t i = 0; i < active; ++i) played += tricks.CurrentTrickRef().Card(order[i]) != 0 ? 1 : 0;
    int32_t inFlight = s.MovesInFlight(MOVE_PLAY);
    int32_t projected = played + inFlight + s.Governor().CountActions(ACTION_PLAYCARD);
    if (projected < active) return order[projected] == seat_;
    // The trick is full: the next one is led by its winner, known once every
    // card has landed; after the tenth trick nobody plays.
    if (projected == active && inFlight == 0 && tricks.TrickComplete())
        return tricks.Current() < 10 && seat_ == tricks.TrickWinner();
    return true;
}

bool TActionPlaycard::IsStale(const TSession& s) const
{
    // Everything has landed and the trick is open, yet it is not this seat's
    // turn: it never will be for this action.
    return StateIs(STATE_GAME) && s.Status() == STATUS_PLAYING && !s.MoveInProgress() &&
           !s.Tricks().TrickComplete() && seat_ != s.Tricks().SeatToPlay();
}

bool TActionPlaycard::SameAs(const TGovernAction& other) const
{
    auto* o = dynamic_cast<const TActionPlaycard*>(&other);
    return o && o->Type() == Type() && o->seat_ == seat_ && o->card_ == card_;
}

bool TActionPlaycard::IsReady(const TSession& s) const
{
    return TGovernAction::IsReady(s) && !s.MoveInProgress() && seat_ == s.Tricks().SeatToPlay() &&
           !s.Tricks().TrickComplete();
}

bool TActionPlaycard::IsLegal(const TSession& s) const
{
    auto refuse = [&](const std::string& reason) {
        AdminLog("ActionPlayCard (" + CardName(card_) + ") not legal - " + reason);
        return false;
    };
    const TSessionTricks& tricks = s.Tricks();
    if (!IsSeat(seat_)) return refuse("no such seat");
    if (s.Status() != STATUS_PLAYING || tricks.TrickComplete()) return refuse("no trick to play to");
    if (seat_ != tricks.SeatToPlay()) return refuse(" not player " + std::to_string(seat_) + "'s turn");
    const TCardset& hand = s.HandOf(seat_);
    if (!hand.Contains(card_)) return refuse("player " + std::to_string(seat_) + " not holding card.");
    if (s.OutOfPlay().Contains(card_)) return refuse("card already played");
    if (s.MoveCount(seat_) >= 1) return refuse("action already in progress for this player");
    if (s.Governor().IsQueued(*this)) return refuse("duplicate action already in queue");
    bool leading = tricks.CardsPlayed() == 0 || tricks.LedSuit() == SUIT_NOTRUMPS;
    if (!leading && !IsLegalPlay(card_, hand, tricks.LedSuit(), tricks.CurrentTrump()))
        return refuse("must follow suit");
    return true;
}

void TActionPlaycard::Execute(TSession& s)
{
    if (!IsSeat(seat_)) return;
    if (seat_ != s.Tricks().SeatToPlay() || !s.HandOf(seat_).Contains(card_)) return;
    s.MoveCard(seat_, card_, MOVE_PLAY);
}

// ---------------------------------------------------------------- discard
TActionDiscard::TActionDiscard(TSeat seat, TCard card) : TActionPlaycard(ACTION_DISCARD, STATE_KITTY, seat, card) {}

// Discards belong to the kitty (and, in the game's build, the bid-complete) screen.
static bool DiscardStateAllowed()
{
    return StateIs(STATE_KITTY) || (StateIs(STATE_BIDCOMPLETE) && !EditorVariant());
}

bool TActionDiscard::Acceptable(const TSession& s) const
{
    if (!IsSeat(seat_)) return false;
    if (!DiscardStateAllowed()) return false;
    // More discards than the declarer can make are refused as they come.
    TContract c = s.GetContract();
    bool sittingOut = IsMisereBid(c.bid) && seat_ == PartnerOf(c.declarer);
    int32_t held = s.HandOf(seat_).Count() + s.CardsComing(seat_);
    return sittingOut || held - s.Governor().CountActions(ACTION_DISCARD, seat_) > 10;
}

// The kitty lands first: until then the hand does not show what may go.
// A discard decided by the host may reach a client before that client has
// dealt the kitty out (the deal is each peer's own): a card the hand does
// not hold yet waits while the kitty still holds cards, or it would run as
// nothing and the kitty screen would wait for a discard that never comes.
bool TActionDiscard::IsReady(const TSession& s) const
{
    if (!DiscardStateAllowed()) return false;
    if (!IsSeat(seat_)) return true;
    if (s.CardsComing(seat_) != 0) return false;
    return s.HandOf(seat_).Contains(card_) || s.Deck().Count() == 0;
}

bool TActionDiscard::IsLegal(const TSession& s) const
{
    auto refuse = [&](const std::string& reason) {
        AdminLog(Describe(s) + reason);
        return false;
    };
    if (!IsSeat(seat_)) return refuse(" not legal; no such seat");
    if (EditorVariant() && !StateIs(STATE_KITTY)) return refuse(" not legal; not in KITTY state");
    if (!StateIs(STATE_KITTY) && !StateIs(STATE_BIDCOMPLETE))
        return refuse(" not legal; not in KITTY or BID_COMPLETE state");
    if (!s.HasContract()) return refuse(" not legal; no contract");
    TContract c = s.GetContract();
    bool sittingOut = IsMisereBid(c.bid) && seat_ == PartnerOf(c.declarer);
    if (seat_ != c.declarer && !sittingOut) return refuse(" not legal; only the declarer discards");
    // The declarer keeps ten cards, in misere too; the partner who sits a
    // misere out gives up every card. Cards leave the hand as their move
    // starts, so the hand itself tells how many are left.
    if (!sittingOut && s.HandOf(seat_).Count() <= 10)
        return refuse(" not legal; cannot discard so many cards");
    if (!s.HandOf(seat_).Contains(card_)) return refuse(" not legal; hand does not contain card");
    if (s.Governor().IsQueued(*this)) return refuse(" not legal; duplicate discard action already queued");
    return true;
}

void TActionDiscard::Execute(TSession& s)
{
    if (!IsSeat(seat_)) return;
    if (!s.HandOf(seat_).Contains(card_)) return;
    s.MoveCard(seat_, card_, MOVE_DISCARD);
}

// ---------------------------------------------------------------- continue
TActionContinue::TActionContinue(TSeat seat) : TGovernAction(ACTION_CONTINUE, 0), seat_(seat)
{
    block_.AddField(&seat_, sizeof(seat_));
}

std::string TActionContinue::Describe(const TSession& s) const
{
    return ActionTypeName(Type()) + " " + PlayerName(s, seat_) + " continues";
}

bool TActionContinue::Acceptable(const TSession&) const
{
    return StateIs(STATE_GAMEWIN) || StateIs(STATE_HANDWIN) || (StateIs(STATE_BIDCOMPLETE) && !EditorVariant());
}
bool TActionContinue::IsReady(const TSession& s) const { return Acceptable(s); }

bool TActionContinue::SameAs(const TGovernAction& other) const
{
    auto* o = dynamic_cast<const TActionContinue*>(&other);
    return o && o->seat_ == seat_;
}

void TActionContinue::Execute(TSession& s)
{
    if (TSessionPlayer* p = s.Players().GetPlayer(seat_)) p->SetContinue(true);
}

bool TGovernAction::SentBySeatOwner(const TSession& session, int32_t partyId) const
{
    const TSessionPlayer* p = session.Players().GetPlayer(Seat());
    return p && p->PartyId() == partyId && !p->IsAI();
}
