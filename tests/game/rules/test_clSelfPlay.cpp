#include "clSelfPlay.h"

#include <gtest/gtest.h>

namespace {

TEST(SelfPlayTest, WholeGamesKeepEveryInvariant)
{
    for (TSelfPlayStyle style : {SELFPLAY_CONSERVATIVE, SELFPLAY_MODERATE, SELFPLAY_AGGRESSIVE}) {
        TSelfPlayConfig c;
        c.games = 20;
        c.seed = 7;
        c.team[0] = style;
        c.team[1] = SELFPLAY_BASELINE;
        TSelfPlayResult r = RunSelfPlay(c);
        EXPECT_TRUE(r.failures.empty()) << r.failures.front();
        EXPECT_EQ(r.games, 20);
        EXPECT_EQ(r.wins[0] + r.wins[1] + r.unfinished, 20);
        EXPECT_GT(r.hands, 20);
    }
}

TEST(SelfPlayTest, SameSeedSameGamesAndSwappingReplaysTheDeals)
{
    TSelfPlayConfig c;
    c.games = 10;
    c.seed = 99;
    c.team[0] = SELFPLAY_CONSERVATIVE;
    c.team[1] = SELFPLAY_AGGRESSIVE;
    TSelfPlayResult a = RunSelfPlay(c), b = RunSelfPlay(c);
    EXPECT_EQ(a.hands, b.hands);
    EXPECT_EQ(a.wins[0], b.wins[0]);
    EXPECT_EQ(a.points[1], b.points[1]);
    // With both teams alike the swap changes nothing: the deals are the same.
    c.team[1] = SELFPLAY_CONSERVATIVE;
    TSelfPlayResult same = RunSelfPlay(c);
    std::swap(c.team[0], c.team[1]);
    TSelfPlayResult swapped = RunSelfPlay(c);
    EXPECT_EQ(same.hands, swapped.hands);
    EXPECT_EQ(same.points[0], swapped.points[0]);
}

TEST(SelfPlayTest, BaselineAgainstBaselineThrowsHandsIn)
{
    TSelfPlayConfig c;
    c.games = 3;
    c.team[0] = c.team[1] = SELFPLAY_BASELINE;
    c.handLimit = 30;
    TSelfPlayResult r = RunSelfPlay(c);
    EXPECT_TRUE(r.failures.empty()) << r.failures.front();
    EXPECT_GT(r.thrownIn, 0);
}

TEST(SelfPlayTest, StyleNames)
{
    TSelfPlayStyle s;
    EXPECT_TRUE(SelfPlayStyleFromText("Baseline", s));
    EXPECT_EQ(s, SELFPLAY_BASELINE);
    EXPECT_FALSE(SelfPlayStyleFromText("wild", s));
    EXPECT_EQ(SelfPlayStyleText(SELFPLAY_MODERATE), "Moderate");
}

}  // namespace
