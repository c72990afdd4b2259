#include "GameTextHelpers.h"
#include "mgrAI.h"
#include "sessionFixture.h"

namespace {

// Cards by suit and rank.
constexpr TCard S_(int r) { return CardOf(SUIT_SPADES, r); }
constexpr TCard C_(int r) { return CardOf(SUIT_CLUBS, r); }
constexpr TCard D_(int r) { return CardOf(SUIT_DIAMONDS, r); }
constexpr TCard H_(int r) { return CardOf(SUIT_HEARTS, r); }
constexpr int J = RANK_JACK, Q = RANK_QUEEN, K = RANK_KING, A = RANK_ACE;

class AIBidTest : public SessionTest {
protected:
    void SetUp() override
    {
        SessionTest::SetUp();
        S().NewHand(DeckText());
        S().Bidding().SetOpeningSeat(1);
        S().Bidding().Reset();
    }
    TAIBidOutput Choose(TSeat seat, const char* style) { return bidding.ChooseBid(S(), seat, style); }
    TAIBidding bidding;
};

TEST_F(AIBidTest, StrongHeartsBidSevenConservatively)
{
    // Joker, both bowers, ace and king of hearts, no side ace: 5, 110, 15.
    S().HandOf(1) = Set({52, H_(J), D_(J), H_(A), H_(K), S_(3), S_(5), C_(4), C_(6), D_(3)});
    TSuitEvaluation e = bidding.EvaluateSuit(S(), 1, SUIT_HEARTS);
    EXPECT_EQ(e.count, 5);
    EXPECT_EQ(e.strength, 110);
    EXPECT_EQ(e.highest, 15);
    TAIBidOutput out = Choose(1, "Conservative");
    EXPECT_TRUE(BidEquals(out.bid, {SUIT_HEARTS, 7})) << BidToText(out.bid);
    EXPECT_EQ(out.note.rfind("Conservative,\"", 0), 0u) << out.note;
}

TEST_F(AIBidTest, AWeakHandPassesWithItsPreviousSuit)
{
    S().HandOf(1) = Set({S_(3), S_(5), C_(4), C_(6), D_(3), D_(5), H_(3), H_(5), C_(8), D_(7)});
    TAIBidOutput out = Choose(1, "Moderate");
    EXPECT_EQ(out.bid.count, 1);
    EXPECT_EQ(out.bid.suit, SUIT_NOTRUMPS);  // not yet bid is {no trumps, 0}
}

TEST_F(AIBidTest, SupportingThePartnerStartsAtSeven)
{
    // Seat 3's partner (seat 1) bid 6 hearts; seat 3 has a fair heart suit.
    S().Bidding().PlaceBid({SUIT_HEARTS, 6}, "");
    S().Bidding().PlaceBid({SUIT_SPADES, 1}, "");
    S().HandOf(3) = Set({H_(A), H_(K), H_(Q), H_(9), S_(3), S_(5), C_(4), C_(6), D_(3), D_(5)});
    EXPECT_EQ(bidding.Situation(S(), 3, SUIT_HEARTS), 2);
    TAIBidOutput out = Choose(3, "Aggressive");
    EXPECT_TRUE(BidEquals(out.bid, {SUIT_HEARTS, 7})) << BidToText(out.bid);
}

TEST_F(AIBidTest, NoTrumpsBidIsNotMadeBelowTheStandingBid)
{
    // Top sequences: A K Q of spades, A K of clubs, A of diamonds, plus the joker: 6 + 2 = 8.
    S().HandOf(2) = Set({S_(A), S_(K), S_(Q), C_(A), C_(K), D_(A), 52, H_(3), H_(5), D_(4)});
    EXPECT_EQ(bidding.NoTrumpsLevel(S(), 2), 8);
    S().HandOf(3) = Set({S_(A), S_(K), S_(Q), C_(A), C_(K), D_(A), D_(K), 52, H_(3), H_(5)});
    S().HandOf(3).Add(H_(A));
    S().HandOf(3).Add(H_(K));
    EXPECT_EQ(bidding.NoTrumpsLevel(S(), 3), 10) << "capped at ten";
    S().Bidding().PlaceBid({SUIT_HEARTS, 10}, "");  // 500 points standing
    TAIBidOutput out = Choose(2, "Aggressive");
    EXPECT_LE(BidPoints(out.bid), 0) << "nothing it could bid beats 500 except 10 no trumps it does not have";
}

TEST(AIDiscardTest, ShortestSideSuitGoesFirst)
{
    TAIDiscard d;
    TCardset hand;
    for (TCard c : {S_(3), S_(7), S_(K), C_(5), C_(Q), D_(A), H_(4), H_(6), H_(8), H_(9)}) hand.Add(c);
    EXPECT_EQ(d.ChooseFrom(hand, SUIT_HEARTS), C_(5)) << "the seven of clubs";
    TCardset equal;
    for (TCard c : {S_(4), S_(K), C_(3), C_(Q), H_(4), H_(6), H_(8), H_(9), H_(10), H_(11)}) equal.Add(c);
    EXPECT_EQ(d.ChooseFrom(equal, SUIT_HEARTS), C_(3));
}

TEST(AIDiscardTest, NeverATrumpWhileAnotherCardRemains)
{
    TAIDiscard d;
    struct Row {
        const char* what;
        std::vector<TCard> hand;
        TSuit trump;
        TCard expected;
    } rows[] = {
        // Hearts trumps: the jack of diamonds is the left bower, not the lowest diamond.
        {"left bower kept", {D_(J), D_(Q), H_(3), H_(4), H_(5), H_(6), H_(7), H_(8), H_(9), H_(10), S_(A)}, SUIT_HEARTS,
         D_(Q)},
        // Only trumps and side aces: an ace goes, not a trump.
        {"ace before trump", {S_(A), H_(3), H_(4), H_(5), H_(6), H_(7), H_(8), H_(9), H_(10), H_(K)}, SUIT_HEARTS,
         S_(A)},
        // Only trumps: the lowest by sort key.
        {"all trumps", {52, H_(J), D_(J), H_(A), H_(K), H_(Q), H_(10), H_(9), H_(8), H_(4)}, SUIT_HEARTS, H_(4)},
        // No trumps: the joker is kept.
        {"joker kept", {52, S_(3), S_(4), C_(5), C_(6), C_(7), D_(4), D_(5), H_(4), H_(5)}, SUIT_NOTRUMPS, S_(3)},
    };
    for (const Row& r : rows) {
        TCardset hand;
        for (TCard c : r.hand) hand.Add(c);
        EXPECT_EQ(d.ChooseFrom(hand, r.trump), r.expected) << r.what;
    }
}

class AIPlayTest : public SessionTest {
protected:
    TAIPlaying ai;
};

TEST_F(AIPlayTest, LastToPlayWinsCheaplyOrPlaysLow)
{
    // Spades trumps, seat 1 leads the queen of clubs; seat 2 and 3 follow; seat 4 last.
    StartPlay(1, {SUIT_SPADES, 7},
              {Set({C_(Q), S_(5)}), Set({C_(6), D_(4)}), Set({C_(4), D_(5)}), Set({C_(K), C_(7), D_(6)})});
    Play(1, C_(Q));
    Play(2, C_(6));
    Play(3, C_(4));
    EXPECT_EQ(ai.ChooseCard(S(), 4), C_(K));
    S().HandOf(4) = Set({C_(7), C_(8), D_(6)});
    EXPECT_EQ(ai.ChooseCard(S(), 4), C_(7));
}

TEST_F(AIPlayTest, ThirdHandDoesNotOvertakeThePartnersAce)
{
    StartPlay(1, {SUIT_SPADES, 7},
              {Set({C_(A), S_(5)}), Set({C_(6), D_(4)}), Set({C_(K), C_(4), D_(5)}), Set({C_(8), D_(6)})});
    Play(1, C_(A));
    Play(2, C_(6));
    EXPECT_EQ(ai.ChooseCard(S(), 3), C_(4));
}

TEST_F(AIPlayTest, VoidWithThePartnerWinningDiscardsANonTrump)
{
    StartPlay(1, {SUIT_HEARTS, 7},
              {Set({C_(A), S_(5)}), Set({C_(6), D_(4)}), Set({H_(4), H_(9), D_(J), S_(7), D_(5)}), Set({C_(8), D_(6)})});
    Play(1, C_(A));
    Play(2, C_(6));
    TCard c = ai.ChooseCard(S(), 3);
    EXPECT_FALSE(IsTrumpCard(c, SUIT_HEARTS)) << c;
}

TEST_F(AIPlayTest, MisereDefenderLeadsLowInASuitTheDeclarerHolds)
{
    SetSetting("Variation.Misere", "true");
    StartPlay(1, BID_MISERE, {Set({C_(A), S_(5), D_(9)}), Set({C_(6), S_(K), D_(10)}), Set({}), Set({C_(8), D_(6), S_(9)})});
    // Trick 1: seat 1 leads spades, seat 2 and 4 follow; seat 4 wins with the nine.
    Play(1, S_(5));
    Play(2, S_(K));
    Play(4, S_(9));
    ASSERT_TRUE(S().Tricks().TrickComplete());
    S().Tricks().CloseTrick();
    TSeat leader = S().Tricks().SeatToPlay();
    EXPECT_EQ(leader, 2);
    EXPECT_EQ(ai.ChooseCard(S(), 2), C_(6));  // lowest strength among clubs 6 and diamonds 10
    SetSetting("Variation.Misere", "");
}

TEST_F(AIPlayTest, AlwaysALegalCardOfTheHand)
{
    // Follow-suit under a trump: whatever the tree prefers, the card follows hearts.
    StartPlay(1, {SUIT_HEARTS, 7},
              {Set({H_(5), S_(5)}), Set({D_(J), C_(A), S_(A)}), Set({H_(7), D_(5)}), Set({C_(8), D_(6)})});
    Play(1, H_(5));
    EXPECT_EQ(ai.ChooseCard(S(), 2), D_(J)) << "the left bower is its only trump";
}

}  // namespace

namespace {

class AILeadTest : public SessionTest {
protected:
    TAIPlaying ai;
};

TEST_F(AILeadTest, LeadsTheMasterTrumpWhileTheOpponentsMayHoldTrumps)
{
    StartPlay(1, {SUIT_HEARTS, 7},
              {Set({52, H_(4), S_(5), C_(6)}), Set({H_(5), S_(6), C_(7), D_(4)}), Set({H_(6), S_(7), C_(8), D_(5)}),
               Set({H_(7), S_(8), C_(9), D_(6)})});
    ai.SetRandomSource([](int32_t lo, int32_t) { return lo + 1; });  // never the early side lead
    EXPECT_EQ(ai.ChooseCard(S(), 1), 52);
}

TEST_F(AILeadTest, OnTheFirstTrickASideMasterGoesOutOneTimeInThree)
{
    StartPlay(1, {SUIT_HEARTS, 7},
              {Set({52, H_(4), S_(A), C_(6)}), Set({H_(5), S_(6), C_(7), D_(4)}), Set({H_(6), S_(7), C_(8), D_(5)}),
               Set({H_(7), S_(8), C_(9), D_(6)})});
    ai.SetRandomSource([](int32_t lo, int32_t) { return lo; });  // draws 1
    EXPECT_EQ(ai.ChooseCard(S(), 1), S_(A));
    ai.SetRandomSource([](int32_t lo, int32_t) { return lo + 2; });
    EXPECT_EQ(ai.ChooseCard(S(), 1), 52);
}

TEST_F(AILeadTest, MisereDefenderAvoidsASuitTheDeclarerHasShownOutOf)
{
    SetSetting("Variation.Misere", "true");
    // Declarer 1 (partner 3 sits out). Seat 2 wins the first trick and leads
    // diamonds, on which the declarer throws a spade.
    StartPlay(1, BID_MISERE,
              {Set({C_(4), S_(5), S_(6)}), Set({C_(A), D_(4), C_(3), D_(6)}), Set({}), Set({C_(5), D_(5), D_(7), S_(9)})});
    Play(1, C_(4));
    Play(2, C_(A));
    Play(4, C_(5));
    S().Tricks().CloseTrick();
    ASSERT_EQ(S().Tricks().SeatToPlay(), 2);
    Play(2, D_(4));
    Play(4, D_(5));
    Play(1, S_(5));  // void in diamonds
    S().Tricks().CloseTrick();
    ASSERT_EQ(S().Tricks().SeatToPlay(), 4);
    // Seat 4 holds D7 and S9: diamonds are out for the declarer, so the spade goes.
    EXPECT_EQ(ai.ChooseCard(S(), 4), S_(9));
    SetSetting("Variation.Misere", "");
}

}  // namespace

namespace {

class AIMisereFollowTest : public SessionTest {
protected:
    void SetUp() override
    {
        SessionTest::SetUp();
        SetSetting("Variation.Misere", "true");
    }
    // Declarer 1 (seat 3 sits out) leads the eight of clubs; seat 2 follows
    // with the given cards, seat 4 holds the rest.
    TCard SecondToDeclarer(std::initializer_list<TCard> second)
    {
        StartPlay(1, BID_MISERE, {Set({C_(8), S_(5)}), Set(second), Set({}), Set({C_(7), D_(6), H_(4)})});
        Play(1, C_(8));
        return ai.ChooseCard(S(), 2);
    }
    TAIPlaying ai;
};

TEST_F(AIMisereFollowTest, DefendersLeaveTheDeclarerTheTrickOrGoHighWhenItIsLost)
{
    EXPECT_EQ(SecondToDeclarer({C_(6), C_(K), D_(4)}), C_(6)) << "a low card leaves the declarer winning";
    EXPECT_EQ(SecondToDeclarer({C_(9), C_(K), D_(4)}), C_(K)) << "even the lowest beats it: the highest goes";
    // The declarer no longer winning: the defender after it throws its highest.
    StartPlay(1, BID_MISERE, {Set({C_(8), S_(5)}), Set({C_(Q), D_(4)}), Set({}), Set({C_(5), C_(A), H_(4)})});
    Play(1, C_(8));
    Play(2, C_(Q));
    EXPECT_EQ(ai.ChooseCard(S(), 4), C_(A));
}

TEST_F(AIMisereFollowTest, TheDeclarerPlayingLastOfThreePlaysAsTheLastSeat)
{
    // Declarer 1, seat 3 sits out; the declarer holds D5, DJ and DK against
    // the ten of diamonds winning (ranks are indexes: D_(8) is the ten). Led by seat 2 the order is 2, (3), 4, 1:
    // the declarer plays last of three and takes the trick as cheaply as it
    // can (the jack). Led by seat 4 the order is 4, 1, 2, (3): the declarer
    // is second and plays its highest.
    const struct {
        const char* what;
        TSeat leader;
        TCard declarerPlays;
    } rows[] = {
        {"last of three", 2, D_(J)},
        {"second of three", 4, D_(K)},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        const bool twoLeads = r.leader == 2;
        StartPlay(1, BID_MISERE,
                  {Set({C_(4), D_(3), D_(J), D_(K)}), Set({twoLeads ? C_(A) : C_(5), D_(7), H_(4)}), Set({}),
                   Set({twoLeads ? C_(5) : C_(A), D_(8), H_(5)})});
        Play(1, C_(4));
        Play(2, twoLeads ? C_(A) : C_(5));
        Play(4, twoLeads ? C_(5) : C_(A));
        S().Tricks().CloseTrick();
        ASSERT_EQ(S().Tricks().SeatToPlay(), r.leader);
        if (twoLeads) {
            Play(2, D_(7));
            Play(4, D_(8));
        } else {
            Play(4, D_(8));
        }
        ASSERT_EQ(S().Tricks().SeatToPlay(), 1);
        EXPECT_EQ(ai.ChooseCard(S(), 1), r.declarerPlays);
    }
}

TEST_F(AIMisereFollowTest, BeforeTheDeclarerPlaysADefenderGoesLow)
{
    // Seat 2 wins the first trick and leads; seat 4 plays before the declarer.
    StartPlay(1, BID_MISERE,
              {Set({C_(4), S_(5), D_(9)}), Set({C_(A), D_(4), H_(9)}), Set({}), Set({C_(5), D_(5), D_(K), H_(4)})});
    Play(1, C_(4));
    Play(2, C_(A));
    Play(4, C_(5));
    S().Tricks().CloseTrick();
    Play(2, D_(4));
    EXPECT_EQ(ai.ChooseCard(S(), 4), D_(5));
}

}  // namespace

namespace {

class AIMisereHandTest : public SessionTest {};

TEST_F(AIMisereHandTest, ComputersPlayAWholeMisereHandThroughTheGovernor)
{
    // Computers never bid misere, so self-play never reaches it: play out
    // shuffled misere hands here, the partner sitting out.
    SetSetting("Variation.Misere", "true");
    TAIPlaying ai;
    ai.SetRandomSource([](int32_t lo, int32_t) { return lo; });
    for (int deal = 0; deal < 20; ++deal) {
        SeedRandom(uint32_t(100 + deal));
        TSeat declarer = TSeat(deal % 4 + 1), sitter = PartnerOf(declarer);
        Contract(declarer, BID_MISERE);
        TCardset deck;
        deck.FillDeck();
        deck.Shuffle();
        for (TSeat s = 1; s <= 4; ++s) S().HandOf(s).Clear();
        for (int32_t i = 1; i <= 40; ++i) S().HandOf(TSeat((i - 1) % 4 + 1)).Add(deck.Get(i));
        S().HandOf(sitter).Clear();
        S().Deck().Clear();
        S().StartPlay();
        S().SetStatus(STATUS_PLAYING);
        screen.id = STATE_GAME;
        bool over = false;
        for (int plays = 0; plays < 40 && !over; ++plays) {
            if (S().Tricks().TrickComplete()) {
                over = S().Tricks().CloseTrick();
                continue;
            }
            TSeat seat = S().Tricks().SeatToPlay();
            ASSERT_NE(seat, sitter);
            TCard card = ai.ChooseCard(S(), seat);
            Play(seat, card);
            ASSERT_FALSE(S().HandOf(seat).Contains(card)) << "deal " << deal << ": refused " << CardName(card);
        }
        ASSERT_TRUE(over) << "deal " << deal;
        for (int32_t n = 1; n <= 10; ++n) {
            EXPECT_EQ(S().Tricks().GetTrick(n).Card(sitter), 0);
            EXPECT_NE(S().Tricks().GetTrick(n).winner, sitter);
        }
        int32_t before = S().Score(TeamOfSeat(declarer));
        S().ScoreHand();
        int32_t gained = S().Score(TeamOfSeat(declarer)) - before;
        EXPECT_EQ(gained, S().Tricks().TricksWon(TeamOfSeat(declarer)) == 0 ? 250 : -250) << "deal " << deal;
    }
}

}  // namespace
