// The one container of cards: the deck, the table slots of a trick, the
// out-of-play pile and every hand. Fixed capacity of one deck, 1-based.
#pragma once

#include "coreGame.h"

#include <string>

class TCardset {
public:
    static constexpr int32_t kCapacity = DECK_SIZE;

    void Clear();
    // Appends; a full set ignores the card (the game never overfills one).
    void Add(TCard card);
    void CopyFrom(const TCardset& other) { *this = other; }
    TCard Get(int32_t i) const { return i >= 1 && i <= count_ && i <= kCapacity ? cards_[i - 1] : 0; }
    void SetAt(int32_t i, TCard card);
    void Exchange(int32_t i, int32_t j);
    TCard Delete(int32_t i);
    int32_t IndexOf(TCard card) const;
    bool Contains(TCard card) const
    {
        return card >= 0 && card <= CARD_JOKER ? held_[card] > 0 : IndexOf(card) > 0;
    }
    // Removes the first occurrence; false when absent.
    [[nodiscard]] bool Remove(TCard card);
    int32_t Count() const { return count_; }
    int32_t CountSuit(TSuit suit, TSuit trump) const;

    void FillDeck();
    void Shuffle(const TRandomSource& random = nullptr);
    void SortForTrump(TSuit trump);
    void ResetTable();
    TCard BestCard(TSuit trump, TSuit ledSuit, bool misere) const;

    std::string ToText() const;
    void FromText(const std::string& text);
    // Strictly, for saved games: false (the set unchanged) unless the text is
    // empty or holds "{...}" with whole numbers that fit, no more than the
    // capacity.
    [[nodiscard]] bool FromTextChecked(const std::string& text);
    std::string ShortText() const;

    bool operator==(const TCardset& o) const;

private:
    void Count(TCard card, int delta)
    {
        if (card >= 0 && card <= CARD_JOKER) held_[card] = uint8_t(held_[card] + delta);
    }

    int32_t count_ = 0;
    TCard cards_[kCapacity] = {};
    uint8_t held_[CARD_JOKER + 1] = {};  // how often each card is in the set, for quick lookups
};

// Whether the card may be played from the hand on the led suit.
bool IsLegalPlay(TCard card, const TCardset& hand, TSuit ledSuit, TSuit trump);
