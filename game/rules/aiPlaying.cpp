#include "aiPlaying.h"

#include "mgrSession.h"

namespace {
// Everything one decision looks at, gathered once.
class TPlayContext {
public:
    TPlayContext(const TSession& s, TSeat seat)
        : s_(s), seat_(seat), hand_(s.HandOf(seat)), tricks_(s.Tricks()), trump_(tricks_.CurrentTrump()),
          misere_(tricks_.IsMisere()), led_(tricks_.LedSuit()), leading_(tricks_.CardsPlayed() == 0),
          holdsLed_(!leading_ && led_ != SUIT_NOTRUMPS && hand_.CountSuit(led_, trump_) > 0)
    {
    }

    const TSession& s_;
    TSeat seat_;
    const TCardset& hand_;
    const TSessionTricks& tricks_;
    TSuit trump_;
    bool misere_;
    TSuit led_;
    bool leading_;
    bool holdsLed_;  // must follow suit

    // The follow-suit rule with the hand's answer worked out once.
    bool Playable(TCard c) const
    {
        if (!hand_.Contains(c)) return false;
        return !holdsLed_ || EffectiveSuit(c, trump_) == led_;
    }
    int32_t Strength(TCard c) const { return CardStrength(c, led_, trump_, false); }
    int32_t MisereStrength(TCard c) const { return CardStrength(c, led_, trump_, true); }
    bool Played(TCard c) const { return s_.OutOfPlay().Contains(c); }

    TCard Master(TSuit suit) const
    {
        if (suit == trump_) {
            if (!Played(CARD_JOKER)) return CARD_JOKER;
            if (trump_ == SUIT_NOTRUMPS) return 0;
            TCard right = CardOf(trump_, RANK_JACK), left = CardOf(SameColourSuit(trump_), RANK_JACK);
            if (!Played(right)) return right;
            if (!Played(left)) return left;
            for (int32_t r = RANK_ACE; r >= LowestRank(trump_); --r)
                if (r != RANK_JACK && !Played(CardOf(trump_, r))) return CardOf(trump_, r);
            return 0;
        }
        for (int32_t r = RANK_ACE; r >= LowestRank(suit); --r) {
            TCard c = CardOf(suit, r);
            if (!IsTrumpCard(c, trump_) && !Played(c)) return c;
        }
        return 0;
    }

    TCard Lowest(TSuit suit) const
    {
        if (suit == SUIT_NOTRUMPS && trump_ != SUIT_NOTRUMPS) return 0;
        for (int32_t r = 0; r <= RANK_ACE && suit != SUIT_NOTRUMPS; ++r) {
            TCard c = CardOf(suit, r);
            if (suit != trump_ && IsTrumpCard(c, trump_)) continue;
            if (suit == trump_ && IsRightBower(c, trump_)) continue;
            if (Playable(c)) return c;
        }
        if (suit == trump_) {
            if (trump_ != SUIT_NOTRUMPS) {
                TCard left = CardOf(SameColourSuit(trump_), RANK_JACK), right = CardOf(trump_, RANK_JACK);
                if (Playable(left)) return left;
                if (Playable(right)) return right;
            }
            if (Playable(CARD_JOKER)) return CARD_JOKER;
        }
        return 0;
    }

    TCard Highest(TSuit suit, bool jokerAllowed) const
    {
        if (suit == trump_) {
            if (jokerAllowed && Playable(CARD_JOKER)) return CARD_JOKER;
            if (trump_ != SUIT_NOTRUMPS) {
                TCard right = CardOf(trump_, RANK_JACK), left = CardOf(SameColourSuit(trump_), RANK_JACK);
                if (Playable(right)) return right;
                if (Playable(left)) return left;
            }
        }
        if (suit == SUIT_NOTRUMPS) return 0;
        for (int32_t r = RANK_ACE; r >= 0; --r) {
            TCard c = CardOf(suit, r);
            if (IsRightBower(c, trump_) || IsLeftBower(c, trump_)) continue;
            if (Playable(c)) return c;
        }
        return 0;
    }

    TCard HighestSideCard() const
    {
        TCard best = 0;
        int32_t bestRank = -1;
        for (int s = SUIT_SPADES; s <= SUIT_HEARTS; ++s) {
            if (s == trump_) continue;
            for (int32_t i = 1; i <= hand_.Count(); ++i) {
                TCard c = hand_.Get(i);
                if (CardSuit(c) != s || IsTrumpCard(c, trump_) || !Playable(c)) continue;
                if (CardRank(c) > bestRank) {
                    bestRank = CardRank(c);
                    best = c;
                }
            }
        }
        return best;
    }

    TCard CheapestWinner(TCard against) const
    {
        int32_t bar = Strength(against);
        TCard best = 0;
        int32_t bestStrength = 1000;
        for (int32_t i = 1; i <= hand_.Count(); ++i) {
            TCard c = hand_.Get(i);
            int32_t st = Strength(c);
            if (st > bar && st < bestStrength && Playable(c)) {
                best = c;
                bestStrength = st;
            }
        }
        return best;
    }

    static TSuit TrickLed(const TTrick& t, TSuit trump, bool misere)
    {
        if (!IsSeat(t.leader)) return SUIT_NOTRUMPS;
        TCard lead = t.Card(TSeat(t.leader));
        if (lead == 0) return SUIT_NOTRUMPS;
        if (misere && IsJoker(lead)) {
            for (int32_t i = 2; i <= 3; ++i)
                if (TCard c = t.Card(NextSeat(TSeat(t.leader), i))) return EffectiveSuit(c, trump);
            return SUIT_NOTRUMPS;
        }
        return EffectiveSuit(lead, trump);
    }

    bool KnownVoid(TSeat player, TSuit suit) const
    {
        for (int32_t n = 1; n <= tricks_.Current(); ++n) {
            TTrick t = tricks_.GetTrick(n);
            TSuit led = TrickLed(t, trump_, misere_);
            if (led != suit || (led == SUIT_NOTRUMPS && trump_ == SUIT_NOTRUMPS)) continue;
            TCard c = t.Card(player);
            if (c != 0 && int(player) != t.leader && EffectiveSuit(c, trump_) != suit) return true;
        }
        return false;
    }

    bool OpponentsVoid(TSuit suit) const
    {
        TSeat a, b;
        OpponentsOf(seat_, a, b);
        return KnownVoid(a, suit) && KnownVoid(b, suit);
    }

    TCard WinningCard() const
    {
        const TTrick& t = tricks_.CurrentTrickRef();
        return t.Card(tricks_.TrickWinner());
    }

    bool PlaysLast() const
    {
        int32_t active = misere_ ? 3 : 4;
        return tricks_.CardsPlayed() - (misere_ && PassedSitter() ? 1 : 0) == active - 1;
    }

    // Whether the seat that sits out has already been passed over.
    bool PassedSitter() const
    {
        const TTrick& t = tricks_.CurrentTrickRef();
        int32_t played = tricks_.CardsPlayed();
        for (int32_t i = 1; i <= played; ++i)
            if (tricks_.SitsOut(NextSeat(TSeat(t.leader), i))) return true;
        return false;
    }
};

TCard FirstPlayable(const TPlayContext& x)
{
    for (int32_t i = 1; i <= x.hand_.Count(); ++i)
        if (x.Playable(x.hand_.Get(i))) return x.hand_.Get(i);
    return x.hand_.Get(1);
}
}  // namespace

namespace {
TCard Lead(const TPlayContext& x, const TRandomSource& random)
{
    const TSuit T = x.trump_;
    TCard candidate = 0;
    for (int s = SUIT_SPADES; s <= SUIT_HEARTS && !candidate; ++s) {
        if (s == T) continue;
        TCard m = x.Master(TSuit(s));
        if (m && x.Playable(m)) candidate = m;
    }
    if (candidate && x.tricks_.Current() == 1 && DrawBetween(random, 1, 3) == 1) return candidate;
    TSeat partner = PartnerOf(x.seat_);
    TCard masterTrump = x.Master(T);
    auto sideLowest = [&](auto voidTest) -> TCard {
        for (int s = SUIT_SPADES; s <= SUIT_HEARTS; ++s) {
            if (s == T) continue;
            TCard c = x.Lowest(TSuit(s));
            if (c && voidTest(TSuit(s))) return c;
        }
        return 0;
    };
    auto opponentsVoid = [&](TSuit s) { return x.OpponentsVoid(s); };
    auto partnerVoid = [&](TSuit s) { return x.KnownVoid(partner, s); };
    if (masterTrump && x.Playable(masterTrump)) {
        if (x.KnownVoid(partner, T) || !x.OpponentsVoid(T)) return masterTrump;
        if (candidate) return candidate;
        if (TCard c = sideLowest(opponentsVoid)) return c;
        if (TCard c = sideLowest(partnerVoid)) return c;
        return x.Lowest(T);
    }
    if (candidate) return candidate;
    if (x.OpponentsVoid(T))
        if (TCard c = sideLowest(opponentsVoid)) return c;
    if (!x.KnownVoid(partner, T))
        if (TCard c = sideLowest(partnerVoid)) return c;
    if (TCard c = x.HighestSideCard()) return c;
    return x.Lowest(T);
}

TCard Follow(const TPlayContext& x)
{
    const TSuit L = x.led_;
    TCard winning = x.WinningCard();
    if (x.tricks_.TrickWinner() == PartnerOf(x.seat_)) {
        if (x.PlaysLast()) return x.Lowest(L);
        TCard high = x.Highest(L, true);
        if (!IsTrumpCard(winning, x.trump_) && high && x.Strength(high) > x.Strength(winning) + 1) return high;
        return x.Lowest(L);
    }
    if (x.PlaysLast()) {
        if (TCard c = x.CheapestWinner(winning)) return c;
        return x.Lowest(L);
    }
    TCard high = x.Highest(L, true);
    if (high && x.Strength(high) >= x.Strength(winning)) return high;
    return x.Lowest(L);
}

TCard Void(const TPlayContext& x, const TAIDiscard& discard)
{
    if (x.tricks_.CardsPlayed() > 0 && x.tricks_.TrickWinner() == PartnerOf(x.seat_))
        return discard.ChooseDiscard(x.s_, x.seat_);
    if (TCard c = x.CheapestWinner(x.WinningCard())) return c;
    return discard.ChooseDiscard(x.s_, x.seat_);
}

TCard Normal(const TPlayContext& x, const TRandomSource& random, const TAIDiscard& discard)
{
    if (x.leading_) return Lead(x, random);
    if (x.led_ != SUIT_NOTRUMPS && x.hand_.CountSuit(x.led_, x.trump_) > 0) return Follow(x);
    return Void(x, discard);
}

TCard Misere(const TPlayContext& x, const TRandomSource& random, const TAIDiscard& discard)
{
    if (x.hand_.Count() == 1) return x.hand_.Get(1);
    TSeat d = x.tricks_.Contract().declarer;
    if (x.seat_ == d) return Normal(x, random, discard);
    const TTrick& t = x.tricks_.CurrentTrickRef();
    if (x.leading_) {
        TCard best = 0;
        for (int s = SUIT_SPADES; s <= SUIT_HEARTS; ++s) {
            if (x.KnownVoid(d, TSuit(s))) continue;
            TCard c = x.Lowest(TSuit(s));
            if (c && c != CARD_JOKER && (!best || CardRank(c) < CardRank(best))) best = c;
        }
        return best ? best : Lead(x, random);
    }
    const TSuit L = x.led_;
    if (L != SUIT_NOTRUMPS && x.hand_.CountSuit(L, x.trump_) > 0) {
        TCard dCard = t.Card(d);
        if (dCard == 0) return x.Lowest(L);
        TCard low = x.Lowest(L);
        bool dWinning = x.tricks_.TrickWinner() == d;
        if (dWinning && x.MisereStrength(low) > x.MisereStrength(dCard)) {
            if (x.Playable(CARD_JOKER)) return CARD_JOKER;
            return x.Highest(L, false);
        }
        if (dWinning) return low;
        return x.Highest(L, false);
    }
    TCard best = 0;
    for (int s = SUIT_SPADES; s <= SUIT_HEARTS; ++s) {
        if (x.KnownVoid(d, TSuit(s))) continue;
        TCard c = x.Highest(TSuit(s), false);
        if (c && c != CARD_JOKER && (!best || CardRank(c) > CardRank(best))) best = c;
    }
    return best ? best : x.hand_.Get(1);
}
}  // namespace

TCard TAIPlaying::ChooseCard(const TSession& session, TSeat seat) const
{
    if (!IsSeat(seat)) return 0;
    TPlayContext x(session, seat);
    if (x.hand_.Count() == 0) return 0;
    TCard c = x.misere_ ? Misere(x, random_, discard_) : Normal(x, random_, discard_);
    // The tree is meant to pick only legal cards; never hand back anything else.
    if (!c || !x.Playable(c)) c = FirstPlayable(x);
    return c;
}
