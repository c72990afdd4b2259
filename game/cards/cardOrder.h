// The strength and order of cards: the joker, both bowers, trumps, no trumps
// and misere. Pure functions of the card values.
#pragma once

#include "coreGame.h"

inline bool IsJoker(TCard card) { return card == CARD_JOKER; }
inline bool IsRightBower(TCard card, TSuit trump)
{
    return trump >= SUIT_SPADES && trump < SUIT_NOTRUMPS && card == CardOf(trump, RANK_JACK);
}
inline bool IsLeftBower(TCard card, TSuit trump)
{
    return trump >= SUIT_SPADES && trump < SUIT_NOTRUMPS && card == CardOf(SameColourSuit(trump), RANK_JACK);
}
// The joker under every trump, both bowers, and the cards of the trump suit.
inline bool IsTrumpCard(TCard card, TSuit trump)
{
    if (card == CARD_JOKER) return true;
    if (trump < SUIT_SPADES || trump >= SUIT_NOTRUMPS) return false;
    return CardSuit(card) == trump || card == CardOf(trump, RANK_JACK) ||
           card == CardOf(SameColourSuit(trump), RANK_JACK);
}
TSuit EffectiveSuit(TCard card, TSuit trump);
int32_t CardStrength(TCard card, TSuit ledSuit, TSuit trump, bool misere);
int32_t CardSortKey(TCard card, TSuit trump);
