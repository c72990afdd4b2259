#include "aiDiscard.h"

#include "mgrSession.h"

TCard TAIDiscard::ChooseDiscard(const TSession& session, TSeat seat) const
{
    if (!IsSeat(seat)) return 0;
    return ChooseFrom(session.HandOf(seat), session.GetContract().trump);
}

TCard TAIDiscard::ChooseFrom(const TCardset& hand, TSuit trump) const
{
    if (hand.Count() == 0) return 0;
    TCardset copy = hand;
    copy.SortForTrump(trump);
    for (int s = SUIT_SPADES; s <= SUIT_HEARTS; ++s) {
        TCard ace = CardOf(TSuit(s), RANK_ACE);
        if (s != trump && !IsTrumpCard(ace, trump)) (void)copy.Remove(ace);  // an ace not held: nothing to take out
    }
    int32_t bestSuit = -1, bestLength = 10, bestRank = RANK_KING;
    for (int s = SUIT_SPADES; s <= SUIT_HEARTS; ++s) {
        TSuit suit = TSuit(s);
        if (suit == trump) continue;
        int32_t n = copy.CountSuit(suit, trump);
        if (n == 0 || n > bestLength) continue;
        // The lowest card of the suit that is not a trump: the left bower
        // belongs to the trumps and is never taken for its printed suit.
        int32_t lowest = -1;
        for (int32_t r = 0; r <= RANK_KING && lowest < 0; ++r) {
            TCard c = CardOf(suit, r);
            if (copy.Contains(c) && !IsTrumpCard(c, trump)) lowest = r;
        }
        if (lowest < 0) continue;
        if (n < bestLength || lowest < bestRank) {
            bestSuit = s;
            bestLength = n;
            bestRank = lowest;
        }
    }
    if (bestSuit >= 0) return CardOf(TSuit(bestSuit), bestRank);
    // Only trumps and side aces left: an ace goes before any trump.
    TCardset sorted = hand;
    sorted.SortForTrump(trump);
    for (int32_t i = 1; i <= sorted.Count(); ++i)
        if (!IsTrumpCard(sorted.Get(i), trump)) return sorted.Get(i);
    return sorted.Get(1);
}
