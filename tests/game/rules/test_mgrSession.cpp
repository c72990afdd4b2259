#include "GameTextHelpers.h"
#include "sessionFixture.h"

#include <ostream>

namespace {

// Tricks won by each team, then the hand is scored.
void Finish(TSession& s, int32_t team1Tricks)
{
    TTrick tricks[10];
    for (int i = 0; i < 10; ++i) {
        tricks[i].leader = 1;
        tricks[i].winner = i < team1Tricks ? 1 : 2;
    }
    s.Tricks().Restore(10, tricks, team1Tricks, 10 - team1Tricks);
    s.ScoreHand();
}

struct ScoreRow {
    const char* what;
    TSeat declarer;
    TBid bid;
    int32_t team1Tricks;
    int32_t score[2];
    int32_t handsWon[2];
};

// Named by what the row shows: the discovered test names stay the same from
// run to run instead of holding the row's raw bytes (a pointer among them).
void PrintTo(const ScoreRow& r, std::ostream* os) { *os << r.what; }

class ScoringTest : public SessionTest, public ::testing::WithParamInterface<ScoreRow> {};

TEST_P(ScoringTest, ScoresTheHand)
{
    const ScoreRow& r = GetParam();
    Contract(r.declarer, r.bid);
    Finish(S(), r.team1Tricks);
    EXPECT_EQ(S().Score(1), r.score[0]) << r.what;
    EXPECT_EQ(S().Score(2), r.score[1]) << r.what;
    EXPECT_EQ(S().HandsWon(1), r.handsWon[0]) << r.what;
    EXPECT_EQ(S().HandsWon(2), r.handsWon[1]) << r.what;
    EXPECT_EQ(S().Status(), STATUS_STARTING);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ScoringTest,
    ::testing::Values(ScoreRow{"seven hearts made exactly", 1, {SUIT_HEARTS, 7}, 7, {200, 30}, {1, 0}},
                      ScoreRow{"six spades slam scores 250", 1, {SUIT_SPADES, 6}, 10, {250, 0}, {1, 0}},
                      ScoreRow{"ten no trumps", 3, {SUIT_NOTRUMPS, 10}, 10, {520, 0}, {1, 0}},
                      ScoreRow{"eight diamonds failed", 1, {SUIT_DIAMONDS, 8}, 6, {-280, 40}, {0, 1}},
                      ScoreRow{"misere made", 2, BID_MISERE, 10, {0, 250}, {0, 1}},
                      ScoreRow{"misere failed", 2, BID_MISERE, 8, {80, -250}, {1, 0}}));

TEST_F(SessionTest, MadeContractPromptAndResultText)
{
    Contract(1, {SUIT_HEARTS, 7});
    S().Players().GetPlayer(1)->SetName("A");
    S().Players().GetPlayer(3)->SetName("C");
    Finish(S(), 7);
    EXPECT_EQ(S().Prompt(), "A & C: 200 points won!");
    EXPECT_EQ(S().ResultText(), "Contract successful (7 tricks / 7 bid)");
    EXPECT_EQ(S().LastHandTeam(), 1);
    EXPECT_EQ(S().LastHandPoints(1), 200);
    EXPECT_EQ(S().LastHandPoints(2), 30);
}

TEST_F(SessionTest, FailedContractPromptShowsTheSizeOfTheLoss)
{
    Contract(1, {SUIT_DIAMONDS, 8});
    S().Players().GetPlayer(1)->SetName("A");
    S().Players().GetPlayer(3)->SetName("C");
    Finish(S(), 6);
    EXPECT_EQ(S().Prompt(), "A & C: 280 points lost!");
    EXPECT_EQ(S().ResultText(), "Contract failed (6 tricks / 8 bid)");
    EXPECT_EQ(S().LastHandTeam(), 2);
    EXPECT_EQ(S().LastHandPoints(1), -280);
}

TEST_F(SessionTest, DefendersStopAt490)
{
    // Team 2 defends twice: 480 + 40 stops at 490; 495 is brought down to 490.
    struct Row {
        int32_t start, team1Tricks, end;
    } rows[] = {{480, 6, 490}, {495, 10, 490}, {100, 7, 130}};
    for (const Row& r : rows) {
        S().NewGame(1);
        S().SetScore(2, r.start);
        Contract(1, {SUIT_SPADES, 6});
        Finish(S(), r.team1Tricks);
        EXPECT_EQ(S().Score(2), r.end);
    }
}

TEST_F(SessionTest, AllPassesThrowTheHandInAndTheNextSeatOpens)
{
    S().NewGame(1);
    S().NewHand(DeckText());
    EXPECT_EQ(S().Bidding().OpeningSeat(), 2);
    S().StartBidding();
    for (int i = 0; i < 3; ++i) S().Bidding().PlaceBid({SUIT_SPADES, 1}, "");
    S().CompleteBidding();
    EXPECT_EQ(S().Status(), STATUS_STARTING);
    EXPECT_EQ(S().Score(1), 0);
    EXPECT_EQ(S().Score(2), 0);
    EXPECT_EQ(S().HandsWon(1) + S().HandsWon(2), 0);
    S().ScoreHand();  // a screen that scores anyway changes nothing
    EXPECT_EQ(S().Score(1), 0);
    S().NewHand(DeckText());
    EXPECT_EQ(S().Bidding().OpeningSeat(), 3);
    EXPECT_EQ(S().Bidding().CurrentBidder(), 3);
}

TEST_F(SessionTest, GetContractBeforeTheAuctionEnds)
{
    S().NewHand(DeckText());
    TContract c = S().GetContract();
    EXPECT_EQ(c.declarer, 1);
    EXPECT_EQ(c.trump, SUIT_NOTRUMPS);
    EXPECT_EQ(c.bid.count, 0);
}

TEST_F(SessionTest, GameEndsAtFiveHundredOrMinusFiveHundred)
{
    Contract(1, {SUIT_NOTRUMPS, 10});
    Finish(S(), 10);
    EXPECT_EQ(S().WinningTeam(), 1);  // 520
    S().NewGame(1);
    for (int i = 0; i < 2; ++i) {
        Contract(2, {SUIT_NOTRUMPS, 10});
        Finish(S(), 1);  // team 2 fails: -520 on the first
    }
    EXPECT_LE(S().Score(2), -500);
    EXPECT_EQ(S().WinningTeam(), 1);
}

TEST_F(SessionTest, AGameEndsAtExactlyFiveHundred)
{
    const struct {
        int32_t score[2];
        TTeam winner;
    } rows[] = {
        {{499, 0}, 0}, {{500, 0}, 1}, {{0, 500}, 2}, {{490, 499}, 0}, {{0, -500}, 1},
        {{-500, 0}, 2}, {{-499, 499}, 0}, {{500, 500}, 1},
    };
    for (const auto& r : rows) {
        S().SetScore(1, r.score[0]);
        S().SetScore(2, r.score[1]);
        EXPECT_EQ(S().WinningTeam(), r.winner) << r.score[0] << "," << r.score[1];
    }
    // Seven hearts made from 300: exactly 500 ends the game.
    S().NewGame(1);
    S().SetScore(1, 300);
    Contract(1, {SUIT_HEARTS, 7});
    Finish(S(), 7);
    EXPECT_EQ(S().Score(1), 500);
    EXPECT_EQ(S().WinningTeam(), 1);
}

struct MoveSpy {
    std::vector<TCardMove> moves;
    std::vector<std::pair<TSeat, bool>> landed;
    void OnMove(const TCardMove& m) { moves.push_back(m); }
    void OnPlayed(TSeat s, bool trumped) { landed.push_back({s, trumped}); }
};

TEST_F(SessionTest, ImmediateMovesLandCompletelyAndKeepCountsBalanced)
{
    timers.SetImmediate(true);
    MoveSpy spy;
    S().SetCardMoveHook(MakeMethod<&MoveSpy::OnMove>(&spy));
    S().NewHand(DeckText());
    S().MoveCard(2, S().Deck().Get(43), MOVE_DEAL);
    EXPECT_EQ(S().HandOf(2).Count(), 1);
    EXPECT_EQ(S().HandOf(2).Get(1), 52);
    EXPECT_EQ(S().Deck().Count(), 42);
    EXPECT_EQ(S().MoveCount(2), 0);
    EXPECT_FALSE(S().MoveInProgress());
    ASSERT_EQ(spy.moves.size(), 1u);
    EXPECT_EQ(spy.moves[0].card, 52);
    EXPECT_EQ(spy.moves[0].timerId, 0u);
}

TEST_F(SessionTest, DelayedMovesLandWhenTheirTimerFires)
{
    SetSetting("Speed.Play", "200");
    MoveSpy spy;
    S().SetCardPlayedHook(MakeMethod<&MoveSpy::OnPlayed>(&spy));
    StartPlay(1, {SUIT_HEARTS, 6}, {Set({12, 4}), Set({30, 44}), Set({10, 5}), Set({9, 6})});
    Play(1, 12);
    EXPECT_TRUE(S().MoveInProgress());
    EXPECT_EQ(S().MoveCount(1), 1);
    EXPECT_TRUE(S().OutOfPlay().Contains(12));
    EXPECT_FALSE(S().HandOf(1).Contains(12));
    EXPECT_EQ(S().Tricks().CardsPlayed(), 0);
    timers.Tick(200);
    EXPECT_FALSE(S().MoveInProgress());
    EXPECT_EQ(S().MoveCount(1), 0);
    EXPECT_EQ(S().Tricks().CardsPlayed(), 1);
    EXPECT_EQ(S().Deck().Get(1), 12);
    Play(2, 44);  // void in spades: trumps in with the six of hearts
    timers.Tick(200);
    ASSERT_EQ(spy.landed.size(), 2u);
    EXPECT_FALSE(spy.landed[0].second);
    EXPECT_TRUE(spy.landed[1].second);
    SetSetting("Speed.Play", "");
}

}  // namespace

namespace {

TEST_F(SessionTest, LocalSeatAndGameInProgress)
{
    EXPECT_EQ(S().LocalSeat(), 1);
    TPlayerGUID guid{};
    S().Players().GetPlayer(1)->MakeRemote(4, guid, "Far");
    S().Players().GetPlayer(3)->MakeLocal();
    EXPECT_EQ(S().LocalSeat(), 3);
    SetSetting("Debug.AutoPlay", "true");
    EXPECT_EQ(S().LocalSeat(), 1);
    EXPECT_TRUE(S().Players().GetPlayer(3)->IsComputerControlled());
    SetSetting("Debug.AutoPlay", "false");
    EXPECT_FALSE(S().Players().GetPlayer(3)->IsComputerControlled());

    EXPECT_FALSE(S().GameInProgress());
    S().NewHand(DeckText());
    EXPECT_FALSE(S().GameInProgress()) << "dealing alone is no game yet";
    S().StartBidding();
    EXPECT_TRUE(S().GameInProgress());
    S().NewGame(2);
    S().SetScore(2, -30);
    EXPECT_TRUE(S().GameInProgress());
}

}  // namespace

namespace {

TEST_F(SessionTest, ANewHandIsNotJoinedByCardsOfTheLastOneStillFlying)
{
    SetSetting("Speed.Deal", "100");
    S().NewHand(DeckText());
    S().MoveCard(3, S().Deck().Get(43), MOVE_DEAL);
    ASSERT_TRUE(S().MoveInProgress());
    S().NewHand(DeckText());  // a new game started in the middle of the deal
    timers.Tick(100);
    EXPECT_EQ(S().Deck().Count(), 43);
    EXPECT_EQ(S().HandOf(3).Count(), 0);
    EXPECT_EQ(S().MoveCount(3), 0);
    EXPECT_FALSE(S().MoveInProgress());
    SetSetting("Speed.Deal", "");
}

}  // namespace
