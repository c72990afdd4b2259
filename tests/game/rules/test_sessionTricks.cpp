#include "sessionTricks.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr TCard JH = 48, JD = 35, AH = 51, JS = 9, JC = 22, KC = 24, TC = 21;

TCardset Make(std::initializer_list<TCard> cards)
{
    TCardset s;
    for (TCard c : cards) s.Add(c);
    return s;
}

TEST(CardRulesTest, StrengthOfJokerBowersTrumpsAndLedSuit)
{
    struct Row {
        TCard card;
        TSuit led, trump;
        bool misere;
        int32_t strength;
    } rows[] = {
        {52, SUIT_HEARTS, SUIT_HEARTS, false, 25},  {JH, SUIT_HEARTS, SUIT_HEARTS, false, 24},
        {JD, SUIT_HEARTS, SUIT_HEARTS, false, 23},  {AH, SUIT_HEARTS, SUIT_HEARTS, false, 22},
        {41, SUIT_HEARTS, SUIT_HEARTS, false, 12},  {KC, SUIT_CLUBS, SUIT_HEARTS, false, 10},
        {KC, SUIT_SPADES, SUIT_HEARTS, false, 0},   {52, SUIT_SPADES, SUIT_NOTRUMPS, true, -1},
        {JS, SUIT_SPADES, SUIT_NOTRUMPS, false, 8}, {0, SUIT_SPADES, SUIT_SPADES, false, 0},
        {JC, SUIT_CLUBS, SUIT_SPADES, false, 23},   {JD, SUIT_DIAMONDS, SUIT_NOTRUMPS, false, 8},
    };
    for (const Row& r : rows)
        EXPECT_EQ(CardStrength(r.card, r.led, r.trump, r.misere), r.strength) << r.card << " under " << r.trump;
}

TEST(CardRulesTest, LegalPlayUnderEveryTrump)
{
    struct Row {
        TCard card;
        TCardset hand;
        TSuit led, trump;
        bool legal;
    } rows[] = {
        // No trumps: a hand with spades may not play the joker; without spades it may.
        {52, Make({52, 5, 7}), SUIT_SPADES, SUIT_NOTRUMPS, false},
        {5, Make({52, 5, 7}), SUIT_SPADES, SUIT_NOTRUMPS, true},
        {52, Make({52, 20}), SUIT_SPADES, SUIT_NOTRUMPS, true},
        // Hearts trumps, hearts led: the left bower follows as a trump.
        {JD, Make({JD, 30}), SUIT_HEARTS, SUIT_HEARTS, true},
        // ... and diamonds led: the left bower is not a diamond.
        {JD, Make({JD, 30}), SUIT_DIAMONDS, SUIT_HEARTS, false},
        {JD, Make({JD, 45}), SUIT_DIAMONDS, SUIT_HEARTS, true},  // void in diamonds
        // A led bower calls for trumps: a hand with a heart must play a heart.
        {30, Make({30, 44}), SUIT_HEARTS, SUIT_HEARTS, false},
        {44, Make({30, 44}), SUIT_HEARTS, SUIT_HEARTS, true},
        // Spades trumps: the jack of clubs does not follow clubs.
        {JC, Make({JC, KC}), SUIT_CLUBS, SUIT_SPADES, false},
        {KC, Make({JC, KC}), SUIT_CLUBS, SUIT_SPADES, true},
    };
    for (const Row& r : rows)
        EXPECT_EQ(IsLegalPlay(r.card, r.hand, r.led, r.trump), r.legal)
            << r.card << " from " << r.hand.ToText() << " led " << r.led << " trump " << r.trump;
}

// Strongest first: every card must be strictly stronger than the next.
void ExpectDescending(const std::vector<TCard>& cards, TSuit led, TSuit trump, bool misere, const char* what)
{
    for (size_t i = 0; i + 1 < cards.size(); ++i)
        EXPECT_GT(CardStrength(cards[i], led, trump, misere), CardStrength(cards[i + 1], led, trump, misere))
            << what << ": card " << cards[i] << " against " << cards[i + 1] << " under " << trump;
}

TEST(CardRulesTest, StrengthOrderUnderEveryTrump)
{
    for (int t = SUIT_SPADES; t <= SUIT_HEARTS; ++t) {
        TSuit trump = TSuit(t), partnerSuit = SameColourSuit(trump);
        TCard right = CardOf(trump, RANK_JACK), left = CardOf(partnerSuit, RANK_JACK);
        EXPECT_TRUE(IsRightBower(right, trump) && IsLeftBower(left, trump)) << trump;
        EXPECT_EQ(EffectiveSuit(left, trump), trump) << "the left bower is a trump";
        // Joker, right bower, left bower, then the trump suit from the ace down.
        std::vector<TCard> order = {CARD_JOKER, right, left};
        for (int32_t r = RANK_ACE; r >= LowestRank(trump); --r)
            if (r != RANK_JACK) order.push_back(CardOf(trump, r));
        // The led side suit of the same colour, without its jack, then any other suit.
        for (int32_t r = RANK_ACE; r >= LowestRank(partnerSuit); --r)
            if (r != RANK_JACK) order.push_back(CardOf(partnerSuit, r));
        TSuit otherColour = TSuit((t + 2) % 4);
        order.push_back(CardOf(otherColour, RANK_ACE));
        ExpectDescending(order, partnerSuit, trump, false, "trump order");
        EXPECT_EQ(CardStrength(CardOf(otherColour, RANK_ACE), partnerSuit, trump, false), 0);
        // The left bower leaves its printed suit: a hand of it alone is void there.
        TCardset hand;
        hand.Add(left);
        EXPECT_EQ(hand.CountSuit(partnerSuit, trump), 0);
        EXPECT_EQ(hand.CountSuit(trump, trump), 1);
    }
}

TEST(CardRulesTest, StrengthOrderWithoutTrumpsAndInMisere)
{
    // No trumps: the joker above all, the jacks plain cards of their suit.
    std::vector<TCard> noTrumps = {CARD_JOKER, CardOf(SUIT_CLUBS, RANK_ACE), CardOf(SUIT_CLUBS, RANK_QUEEN),
                                   CardOf(SUIT_CLUBS, RANK_JACK), CardOf(SUIT_CLUBS, 8), CardOf(SUIT_SPADES, RANK_ACE)};
    ExpectDescending(noTrumps, SUIT_CLUBS, SUIT_NOTRUMPS, false, "no trumps");
    for (int s = SUIT_SPADES; s <= SUIT_HEARTS; ++s)
        EXPECT_FALSE(IsTrumpCard(CardOf(TSuit(s), RANK_JACK), SUIT_NOTRUMPS)) << "no bowers without trumps";
    // Misere: the joker below everything, even a card of another suit.
    std::vector<TCard> misere = {CardOf(SUIT_CLUBS, RANK_ACE), CardOf(SUIT_CLUBS, RANK_JACK), CardOf(SUIT_CLUBS, 3),
                                 CardOf(SUIT_HEARTS, RANK_ACE), CARD_JOKER};
    ExpectDescending(misere, SUIT_CLUBS, SUIT_NOTRUMPS, true, "misere");
}

class TricksTest : public ::testing::Test {
protected:
    void Contract(TSeat declarer, TBid bid)
    {
        TContract c;
        c.bid = bid;
        c.declarer = declarer;
        c.team = TeamOfSeat(declarer);
        c.trump = bid.suit;
        tricks.SetTable(&table);
        tricks.SetContract(c);
        tricks.Reset();
    }
    TSessionTricks tricks;
    TCardset table;
};

TEST_F(TricksTest, MisereSkipsTheDeclarersPartner)
{
    Contract(1, BID_MISERE);
    tricks.StartTrick(2);
    EXPECT_EQ(tricks.SeatToPlay(), 2);
    tricks.SetCard(2, 5);
    EXPECT_EQ(tricks.SeatToPlay(), 4);
    tricks.SetCard(4, 6);
    EXPECT_EQ(tricks.SeatToPlay(), 1);
    EXPECT_FALSE(tricks.TrickComplete());
    tricks.SetCard(1, 7);
    EXPECT_EQ(tricks.CardsPlayed(), 4);
    EXPECT_TRUE(tricks.TrickComplete());
    EXPECT_EQ(tricks.TrickWinner(), 1);
}

TEST_F(TricksTest, MisereJokerLedTakesTheSuitOfTheNextCardAndLoses)
{
    Contract(2, BID_MISERE);  // partner 4 sits out
    tricks.StartTrick(3);
    tricks.SetCard(3, 52);
    EXPECT_EQ(tricks.LedSuit(), SUIT_NOTRUMPS);
    EXPECT_EQ(tricks.TrickWinner(), 3) << "the only card so far";
    tricks.SetCard(1, TC);  // seat 4 sits out, so seat 1 is second
    EXPECT_EQ(tricks.LedSuit(), SUIT_CLUBS);
    tricks.SetCard(2, 14);
    EXPECT_TRUE(tricks.TrickComplete());
    EXPECT_EQ(tricks.TrickWinner(), 1);
    EXPECT_NE(tricks.TrickWinner(), 4) << "the seat that sits out never wins";
}

TEST_F(TricksTest, JokerWinsUnderNoTrumpsAndBowerBeatsTheAce)
{
    Contract(1, {SUIT_NOTRUMPS, 7});
    tricks.StartTrick(1);
    tricks.SetCard(1, 12);  // ace of spades
    tricks.SetCard(2, 52);  // void, joker
    tricks.SetCard(3, 11);
    tricks.SetCard(4, 10);
    EXPECT_EQ(tricks.TrickWinner(), 2);
    Contract(1, {SUIT_HEARTS, 7});
    tricks.StartTrick(3);
    tricks.SetCard(3, AH);
    tricks.SetCard(4, JD);
    tricks.SetCard(1, 41);
    tricks.SetCard(2, 44);
    EXPECT_EQ(tricks.TrickWinner(), 4);
    EXPECT_EQ(table.Count(), 4) << "a new trick empties the four table slots";
}

TEST_F(TricksTest, TenthTrickEndsTheHand)
{
    Contract(1, {SUIT_SPADES, 6});
    tricks.StartTrick(1);
    for (int n = 1; n <= 10; ++n) {
        TSeat leader = TSeat(tricks.CurrentTrickRef().leader);
        for (int i = 1; i <= 4; ++i) tricks.SetCard(NextSeat(leader, i), 3 + i + n);
        bool over = tricks.CloseTrick();
        EXPECT_EQ(over, n == 10);
    }
    EXPECT_EQ(tricks.Current(), 10);
    EXPECT_EQ(tricks.TricksWon(1) + tricks.TricksWon(2), 10);
}

TEST_F(TricksTest, MisereLegalPlayAfterAJokerLeadFollowsTheSecondCard)
{
    Contract(1, BID_MISERE);  // seat 3 sits out
    tricks.StartTrick(4);
    tricks.SetCard(4, CARD_JOKER);
    TCardset declarer = Make({KC, 5, 40});
    for (TCard c : {KC, TCard(5), TCard(40)})
        EXPECT_TRUE(IsLegalPlay(c, declarer, tricks.LedSuit(), tricks.CurrentTrump())) << "anything follows a lone joker";
    tricks.SetCard(1, 5);  // the seven of spades sets the suit
    EXPECT_EQ(tricks.LedSuit(), SUIT_SPADES);
    EXPECT_EQ(tricks.SeatToPlay(), 2);
    TCardset defender = Make({KC, 6});
    EXPECT_FALSE(IsLegalPlay(KC, defender, tricks.LedSuit(), tricks.CurrentTrump()));
    EXPECT_TRUE(IsLegalPlay(6, defender, tricks.LedSuit(), tricks.CurrentTrump()));
    tricks.SetCard(2, 6);
    EXPECT_TRUE(tricks.TrickComplete());
    EXPECT_EQ(tricks.TrickWinner(), 2) << "the eight of spades; the joker never wins";
}

}  // namespace
