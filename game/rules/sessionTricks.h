// The ten tricks of a hand: whose turn it is, which suit must be followed and
// who wins, by the card-strength rules of cardOrder.
#pragma once

#include "cardOrder.h"
#include "clCardset.h"
#include "coreGame.h"

class TQZKeyValue;

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
    [[nodiscard]] bool LoadFrom(TQZKeyValue* node);
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
[[nodiscard]] bool PairFromTextChecked(const std::string& text, int32_t& a, int32_t& b);
