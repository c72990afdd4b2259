// The ten tricks of a hand: whose turn it is, which suit must be followed and
// who wins. Also the card-strength rules: the joker, both bowers, trumps,
// no trumps and misere.
#pragma once

#include "clCardset.h"
#include "coreGame.h"

class TQZKeyValue;

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
bool IsLegalPlay(TCard card, const TCardset& hand, TSuit ledSuit, TSuit trump);

class TSessionTricks {
public:
    // The table slots of the current trick (owned by the session).
    void SetTable(TCardset* table) { table_ = table; }
    // The contract the tricks are played under; set when play starts.
    void SetContract(const TContract& contract);
    const TContract& Contract() const { return contract_; }
    TSuit CurrentTrump() const { return contract_.trump; }
    bool IsMisere() const { return IsMisereBid(contract_.bid); }

    void Reset();
    void StartTrick(TSeat leader);
    void SetCard(TSeat seat, TCard card);
    TTrick GetTrick(int32_t n) const;
    const TTrick& CurrentTrickRef() const { return tricks_[current_ > 0 ? current_ - 1 : 0]; }
    int32_t Current() const { return current_; }
    int32_t TricksWon(TTeam team) const { return team == 1 ? won_[0] : team == 2 ? won_[1] : 0; }

    int32_t CardsPlayed() const;
    bool TrickComplete() const { return CardsPlayed() == 4; }
    TSeat SeatToPlay() const;
    TSuit LedSuit() const;
    TSeat TrickWinner() const;
    // Records the winner; true when the hand is over.
    bool CloseTrick();

    // Whether the seat sits this hand out (the misere declarer's partner).
    bool SitsOut(TSeat seat) const;

    // Restores a saved state; false (and nothing changed) when it is not
    // consistent: tricks beyond the current one, bad seats or cards.
    bool LoadFrom(TQZKeyValue* node);
    void SaveTo(TQZKeyValue* node) const;

    // Direct restore used by the loader after validation.
    void Restore(int32_t current, const TTrick* tricks, int32_t won1, int32_t won2);

private:
    TCardset* table_ = nullptr;
    TContract contract_{};
    int32_t current_ = 0;
    TTrick tricks_[10];
    int32_t won_[2] = {0, 0};
};

// The "{a,b}" pair texts of the saved game.
std::string PairToText(int32_t a, int32_t b);
bool PairFromTextChecked(const std::string& text, int32_t& a, int32_t& b);
