#include "sessionBidding.h"
#include "sessionPlayer.h"

#include <gtest/gtest.h>

namespace {

constexpr TBid PASS{SUIT_SPADES, 1};

class BiddingTest : public ::testing::Test {
protected:
    void Open(TSeat seat)
    {
        auction.SetOpeningSeat(seat);
        auction.Reset();
    }
    TSessionBidding auction;
};

TEST_F(BiddingTest, TurnsGoClockwiseFromTheOpeningSeatSkippingPasses)
{
    Open(2);
    EXPECT_EQ(auction.CurrentBidder(), 2);
    auction.PlaceBid({SUIT_SPADES, 6}, "");
    EXPECT_EQ(auction.CurrentBidder(), 3);
    auction.PlaceBid(PASS, "");
    auction.PlaceBid({SUIT_CLUBS, 6}, "");
    EXPECT_EQ(auction.CurrentBidder(), 1);
    auction.PlaceBid(PASS, "");
    EXPECT_EQ(auction.CurrentBidder(), 2);
    auction.PlaceBid({SUIT_SPADES, 7}, "");
    EXPECT_EQ(auction.CurrentBidder(), 4) << "seats 3 and 1 passed";
}

TEST_F(BiddingTest, ChangingSuitReopensPassedSeatsRaisingTheSameSuitDoesNot)
{
    Open(1);
    auction.PlaceBid({SUIT_SPADES, 7}, "");
    auction.PlaceBid(PASS, "");
    auction.PlaceBid({SUIT_HEARTS, 7}, "");
    auction.PlaceBid(PASS, "");
    auction.PlaceBid({SUIT_SPADES, 8}, "");  // same suit: nobody reopened
    EXPECT_EQ(auction.GetBid(2).count, 1);
    EXPECT_EQ(auction.CurrentBidder(), 3);
    auction.PlaceBid({SUIT_HEARTS, 8}, "");
    EXPECT_EQ(auction.GetBid(4).count, 1);
    EXPECT_EQ(auction.CurrentBidder(), 1);
    auction.PlaceBid({SUIT_CLUBS, 9}, "");  // spades to clubs: 2 and 4 may bid again
    EXPECT_EQ(auction.GetBid(2).count, 0);
    EXPECT_EQ(auction.GetBid(4).count, 0);
    EXPECT_EQ(auction.CurrentBidder(), 2);
    EXPECT_EQ(auction.BidsMade(1), 3);
}

TEST_F(BiddingTest, ThreePassesWithoutAScoringBidLeaveNoContract)
{
    Open(1);
    auction.PlaceBid(PASS, "");
    auction.PlaceBid(PASS, "");
    auction.PlaceBid(PASS, "");
    EXPECT_TRUE(auction.IsComplete());
    EXPECT_EQ(auction.HighBidder(), 1);
    EXPECT_FALSE(auction.HasContract());
    Open(1);
    auction.PlaceBid(PASS, "");
    auction.PlaceBid({SUIT_HEARTS, 6}, "");
    auction.PlaceBid(PASS, "");
    auction.PlaceBid(PASS, "");
    EXPECT_TRUE(auction.HasContract());
    EXPECT_EQ(auction.HighBidder(), 2);
}

TEST_F(BiddingTest, MisereRanksBetweenEightSpadesAndEightClubs)
{
    Open(1);
    auction.PlaceBid({SUIT_SPADES, 8}, "");
    auction.PlaceBid(BID_MISERE, "");
    EXPECT_EQ(auction.HighBidder(), 2);
    auction.PlaceBid({SUIT_CLUBS, 8}, "");
    EXPECT_EQ(auction.HighBidder(), 3);
}

TEST_F(BiddingTest, BidTextWordsEachState)
{
    SeedRandom(2);
    TSessionPlayers players;
    players.GetPlayer(1)->SetName("Ann");
    players.GetPlayer(2)->SetName("Bo");
    players.GetPlayer(3)->SetName("Cy");
    Open(1);
    auction.PlaceBid(PASS, "");
    auction.PlaceBid(BID_MISERE, "");
    EXPECT_EQ(auction.BidText(1, &players), "Ann passed");
    EXPECT_EQ(auction.BidText(2, &players), "Bo bid Misere (250 points)");
    EXPECT_EQ(auction.BidText(3, &players), "Cy has not yet bid");
}

}  // namespace
