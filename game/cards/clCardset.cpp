#include "clCardset.h"

#include "cardOrder.h"
#include "qz7text.h"

#include <cstring>

void TCardset::Clear()
{
    for (int32_t i = 0; i < count_; ++i) cards_[i] = 0;
    count_ = 0;
    std::memset(held_, 0, sizeof held_);
}

void TCardset::Add(TCard card)
{
    if (count_ >= kCapacity) return;
    cards_[count_++] = card;
    Count(card, 1);
}

void TCardset::SetAt(int32_t i, TCard card)
{
    if (i < 1 || i > kCapacity) return;
    if (i <= count_) Count(cards_[i - 1], -1);
    cards_[i - 1] = card;
    if (i <= count_) Count(card, 1);
}

void TCardset::Exchange(int32_t i, int32_t j)
{
    if (i == j || i < 1 || j < 1 || i > kCapacity || j > kCapacity) return;
    std::swap(cards_[i - 1], cards_[j - 1]);
}

TCard TCardset::Delete(int32_t i)
{
    if (i < 1 || i > count_) return 0;
    TCard removed = cards_[i - 1];
    Count(removed, -1);
    for (int32_t k = i; k < count_; ++k) cards_[k - 1] = cards_[k];
    cards_[--count_] = 0;
    return removed;
}

int32_t TCardset::IndexOf(TCard card) const
{
    for (int32_t i = 0; i < count_; ++i)
        if (cards_[i] == card) return i + 1;
    return 0;
}

bool TCardset::Remove(TCard card)
{
    int32_t i = IndexOf(card);
    if (i == 0) return false;
    Delete(i);
    return true;
}

int32_t TCardset::CountSuit(TSuit suit, TSuit trump) const
{
    int32_t n = 0;
    for (int32_t i = 0; i < count_; ++i) {
        TCard c = cards_[i];
        if (suit == trump) n += IsTrumpCard(c, trump) ? 1 : 0;
        else n += (CardSuit(c) == suit && !IsTrumpCard(c, trump)) ? 1 : 0;
    }
    return n;
}

void TCardset::FillDeck()
{
    Clear();
    for (int s = SUIT_SPADES; s <= SUIT_HEARTS; ++s)
        for (int32_t r = LowestRank(TSuit(s)); r <= RANK_ACE; ++r) Add(CardOf(TSuit(s), r));
    Add(CARD_JOKER);
}

void TCardset::Shuffle(const TRandomSource& random)
{
    for (int pass = 0; pass < 3; ++pass)
        for (int32_t i = 1; i <= count_; ++i) Exchange(i, DrawBetween(random, 1, count_));
}

void TCardset::SortForTrump(TSuit trump)
{
    int32_t keys[kCapacity];
    for (int32_t i = 0; i < count_; ++i) keys[i] = CardSortKey(cards_[i], trump);
    for (int32_t pass = 0; pass < count_; ++pass) {
        bool swapped = false;
        for (int32_t j = 0; j + 1 < count_; ++j) {
            if (keys[j + 1] < keys[j]) {
                std::swap(keys[j], keys[j + 1]);
                std::swap(cards_[j], cards_[j + 1]);
                swapped = true;
            }
        }
        if (!swapped) break;  // already in order: later passes change nothing
    }
}

void TCardset::ResetTable()
{
    Clear();
    for (int i = 0; i < 4; ++i) Add(0);
}

TCard TCardset::BestCard(TSuit trump, TSuit ledSuit, bool misere) const
{
    if (count_ == 0) return 0;
    TCard best = cards_[0];
    int32_t bestStrength = CardStrength(best, ledSuit, trump, misere);
    for (int32_t i = 1; i < count_; ++i) {
        int32_t s = CardStrength(cards_[i], ledSuit, trump, misere);
        if (s > bestStrength) {
            best = cards_[i];
            bestStrength = s;
        }
    }
    return best;
}

std::string TCardset::ToText() const
{
    std::string out = "cardset:{";
    for (int32_t i = 0; i < count_; ++i) {
        if (i) out += ',';
        out += std::to_string(cards_[i]);
    }
    return out + "}";
}

namespace {
// A decimal integer between blanks; anything else reads as 0.
TCard ParseCard(std::string_view text)
{
    size_t b = 0, e = text.size();
    while (b < e && IsBlank(text[b])) ++b;
    while (e > b && IsBlank(text[e - 1])) --e;
    if (b == e) return 0;
    bool negative = text[b] == '-';
    if (negative || text[b] == '+') ++b;
    if (b == e || e - b > 9) return e - b > 9 ? TextToIntDef(text, 0) : 0;
    int32_t v = 0;
    for (size_t i = b; i < e; ++i) {
        if (text[i] < '0' || text[i] > '9') return 0;
        v = v * 10 + (text[i] - '0');
    }
    return negative ? -v : v;
}
}  // namespace

void TCardset::FromText(const std::string& text)
{
    Clear();
    size_t open = text.find('{');
    if (open == std::string::npos) return;
    size_t close = text.find('}', open + 1);
    if (close == std::string::npos) return;
    std::string_view inner(text.data() + open + 1, close - open - 1);
    if (inner.empty()) return;
    size_t pos = 0;
    for (;;) {
        size_t comma = inner.find(',', pos);
        Add(ParseCard(inner.substr(pos, comma == std::string_view::npos ? std::string_view::npos : comma - pos)));
        if (comma == std::string_view::npos) break;
        pos = comma + 1;
    }
}

bool TCardset::FromTextChecked(const std::string& text)
{
    TCardset set;
    if (TrimText(text).empty()) {
        *this = set;
        return true;
    }
    size_t open = text.find('{');
    if (open == std::string::npos) return false;
    size_t close = text.find('}', open + 1);
    if (close == std::string::npos || !TrimText(std::string_view(text).substr(close + 1)).empty()) return false;
    std::string_view inner(text.data() + open + 1, close - open - 1);
    if (!TrimText(inner).empty()) {
        for (size_t pos = 0;;) {
            size_t comma = inner.find(',', pos);
            int32_t card = 0;
            if (set.Count() >= kCapacity ||
                !TextToIntChecked(inner.substr(pos, comma == std::string_view::npos ? inner.npos : comma - pos), card))
                return false;
            set.Add(card);
            if (comma == std::string_view::npos) break;
            pos = comma + 1;
        }
    }
    *this = set;
    return true;
}

std::string TCardset::ShortText() const
{
    static const char kRanks[] = "23456789tjqka";
    static const char kSuits[] = "SCDH!";
    std::string out;
    for (int32_t i = 0; i < count_; ++i) {
        if (i) out += ',';
        TCard c = cards_[i];
        if (c == CARD_JOKER) {
            out += "JK";
        } else {
            int32_t r = CardRank(c);
            out += r >= 0 && r < 13 ? kRanks[r] : '?';
            out += kSuits[CardSuit(c)];
        }
    }
    return out;
}

bool TCardset::operator==(const TCardset& o) const
{
    if (count_ != o.count_) return false;
    for (int32_t i = 0; i < count_; ++i)
        if (cards_[i] != o.cards_[i]) return false;
    return true;
}

bool IsLegalPlay(TCard card, const TCardset& hand, TSuit ledSuit, TSuit trump)
{
    bool trumpCard = IsTrumpCard(card, trump);
    if (ledSuit == trump && trumpCard) return true;
    if (ledSuit == CardSuit(card) && !trumpCard) return true;
    return hand.CountSuit(ledSuit, trump) == 0;
}
