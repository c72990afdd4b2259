#include "clCardset.h"

#include <gtest/gtest.h>

namespace {

TCardset Make(std::initializer_list<TCard> cards)
{
    TCardset s;
    for (TCard c : cards) s.Add(c);
    return s;
}

TEST(CardsetTest, FillDeckHoldsTheFortyThreeCardsInOrder)
{
    TCardset d;
    d.FillDeck();
    EXPECT_EQ(d.Count(), 43);
    EXPECT_EQ(d.Get(1), 3);
    EXPECT_EQ(d.Get(11), 16);
    EXPECT_EQ(d.Get(21), 28);
    EXPECT_EQ(d.Get(32), 41);
    EXPECT_EQ(d.Get(43), 52);
    EXPECT_EQ(d.Get(0), 0);
    EXPECT_EQ(d.Get(44), 0);
    d.Add(7);  // full: ignored
    EXPECT_EQ(d.Count(), 43);
}

TEST(CardsetTest, TextFormsRoundTrip)
{
    TCardset empty;
    EXPECT_EQ(empty.ToText(), "cardset:{}");
    TCardset back = Make({5});
    back.FromText(empty.ToText());
    EXPECT_EQ(back.Count(), 0);
    TCardset d;
    d.FillDeck();
    SeedRandom(5);
    d.Shuffle();
    back.FromText(d.ToText());
    EXPECT_EQ(back, d);
    back.FromText("no braces");
    EXPECT_EQ(back.Count(), 0);
    EXPECT_EQ(Make({12, 47, 52}).ShortText(), "aS,tH,JK");
}

TEST(CardsetTest, StrictTextRefusesBadNumbersAndMoreThanADeck)
{
    std::string full = "cardset:{3";
    for (int i = 1; i < TCardset::kCapacity; ++i) full += ",3";
    struct Case {
        std::string text;
        bool ok;
        int32_t count;
    } cases[] = {
        {"cardset:{5,52,0}", true, 3},
        {"cardset:{}", true, 0},
        {"", true, 0},
        {full + "}", true, TCardset::kCapacity},
        {full + ",3}", false, 0},
        {"cardset:{5,99999999999}", false, 0},
        {"cardset:{5,,6}", false, 0},
        {"cardset:{5,x}", false, 0},
        {"cardset:{5", false, 0},
        {"cardset:{5}6", false, 0},
        {"5,6", false, 0},
    };
    for (const Case& c : cases) {
        TCardset set;
        set.Add(7);
        EXPECT_EQ(set.FromTextChecked(c.text), c.ok) << c.text;
        EXPECT_EQ(set.Count(), c.ok ? c.count : 1) << c.text << ": a refused text leaves the set alone";
    }
}

TEST(CardsetTest, DeleteShiftsAndZeroesTheFreedSlot)
{
    TCardset s = Make({5, 9, 52});
    EXPECT_EQ(s.Delete(1), 5);
    EXPECT_EQ(s.Count(), 2);
    EXPECT_EQ(s.Get(1), 9);
    EXPECT_EQ(s.Get(2), 52);
    s.Add(0);
    EXPECT_EQ(s.Get(3), 0) << "the freed slot was zeroed";
    EXPECT_EQ(s.Delete(9), 0);
}

TEST(CardsetTest, CountSuitPutsTheLeftBowerWithTheTrumps)
{
    TCardset s = Make({22, 14, 20, 9, 52});  // jack, 3 and 9 of clubs; jack of spades; joker
    EXPECT_EQ(s.CountSuit(SUIT_CLUBS, SUIT_SPADES), 2);
    EXPECT_EQ(s.CountSuit(SUIT_SPADES, SUIT_SPADES), 3);  // both jacks and the joker
    EXPECT_EQ(s.CountSuit(SUIT_CLUBS, SUIT_NOTRUMPS), 3);
}

TEST(CardsetTest, SortForTrumpAlternatesColoursWithTrumpsLast)
{
    // Hearts trumps: spades, diamonds, clubs, then trumps rising with the bowers and joker on top.
    TCardset s = Make({52, 48, 35, 40, 3, 16, 28, 12});
    s.SortForTrump(SUIT_HEARTS);
    EXPECT_EQ(s.ToText(), "cardset:{3,12,28,16,40,35,48,52}");
}

TEST(CardsetTest, BestCardNeverPicksTheJokerInMisere)
{
    TCardset s = Make({52, 5, 7});
    EXPECT_EQ(s.BestCard(SUIT_NOTRUMPS, SUIT_SPADES, true), 7);
    EXPECT_EQ(s.BestCard(SUIT_NOTRUMPS, SUIT_SPADES, false), 52);
    EXPECT_EQ(TCardset().BestCard(SUIT_HEARTS, SUIT_HEARTS, false), 0);
}

TEST(CardsetTest, ShuffleWithAnInjectedSourceIsRepeatable)
{
    TCardset a, b;
    a.FillDeck();
    b.FillDeck();
    int32_t n = 0;
    auto source = [&n](int32_t lo, int32_t hi) { int32_t k = n++; return lo + (k * k + 3 * k) % (hi - lo + 1); };
    a.Shuffle(source);
    n = 0;
    b.Shuffle(source);
    EXPECT_EQ(a, b);
    TCardset d;
    d.FillDeck();
    EXPECT_NE(a, d);
}

}  // namespace
