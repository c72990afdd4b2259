#include "cardNames.h"

namespace {
const char* const kSuitNames[5] = {"Spades", "Clubs", "Diamonds", "Hearts", "No Trumps"};
const char* const kRankNames[13] = {"2", "3", "4", "5", "6", "7", "8", "9", "10", "Jack", "Queen", "King", "Ace"};
}  // namespace

std::string SuitName(TSuit suit) { return IsSuit(suit) ? kSuitNames[suit] : std::string(); }
std::string RankName(int32_t rank) { return rank >= 0 && rank < 13 ? kRankNames[rank] : std::string(); }

std::string CardName(TCard card)
{
    if (card == CARD_JOKER) return "Joker";
    return RankName(CardRank(card)) + " of " + SuitName(CardSuit(card));
}
