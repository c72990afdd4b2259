#include "cardOrder.h"

#include "qz7core.h"

TSuit EffectiveSuit(TCard card, TSuit trump)
{
    if (IsTrumpCard(card, trump)) return trump;
    return CardSuit(card);
}

int32_t CardStrength(TCard card, TSuit ledSuit, TSuit trump, bool misere)
{
    if (card == 0) return 0;
    if (IsJoker(card)) return misere && !EditorVariant() ? -1 : 25;
    if (IsRightBower(card, trump)) return 24;
    if (IsLeftBower(card, trump)) return 23;
    if (trump != SUIT_NOTRUMPS && CardSuit(card) == trump) return CardRank(card) + 10;
    if (CardSuit(card) == ledSuit) return CardRank(card) - 1;
    return 0;
}

int32_t CardSortKey(TCard card, TSuit trump)
{
    if (IsTrumpCard(card, trump)) return CardStrength(card, trump, trump, false) + 100;
    static constexpr int32_t kBlackTrump[5] = {25, 75, 0, 50, 100};
    static constexpr int32_t kRedTrump[5] = {0, 50, 25, 75, 100};
    const int32_t* offsets = (trump == SUIT_SPADES || trump == SUIT_CLUBS) ? kBlackTrump : kRedTrump;
    return CardRank(card) + offsets[CardSuit(card)];
}
