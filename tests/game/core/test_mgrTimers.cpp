#include "mgrTimers.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Recorder {
    std::vector<std::pair<int64_t, uint32_t>> calls;
    TTimers* timers = nullptr;
    int32_t Fire(int64_t p1, uint32_t p2)
    {
        calls.push_back({p1, p2});
        return 42;
    }
    int32_t FireAndRearm(int64_t p1, uint32_t p2)
    {
        calls.push_back({p1, p2});
        if (p1 < 3) timers->Add(MakeMethod<&Recorder::FireAndRearm>(this), 10, p1 + 1, p2);
        return 0;
    }
};

class TimersTest : public ::testing::Test {
protected:
    void SetUp() override { timers.Initialize(); }
    TTimers timers;
    Recorder rec;
    TTimerMethod Method(Recorder& r) { return MakeMethod<&Recorder::Fire>(&r); }
};

TEST_F(TimersTest, ZeroDelayRunsAtOnceAndReturnsNoId)
{
    EXPECT_EQ(timers.Add(Method(rec), 0, 7, 1), 0u);  // not the callback's 42
    EXPECT_EQ(rec.calls.size(), 1u);
    EXPECT_EQ(timers.CountActive(), 0);
    timers.SetImmediate(true);
    EXPECT_EQ(timers.Add(Method(rec), 500, 8, 1), 0u);
    EXPECT_EQ(rec.calls.size(), 2u);
}

TEST_F(TimersTest, TickFiresWhatHasRunOut)
{
    uint32_t a = timers.Add(Method(rec), 100, 1, 0);
    uint32_t b = timers.Add(Method(rec), 50, 2, 0);
    EXPECT_LT(a, b);
    timers.Tick(60);
    ASSERT_EQ(rec.calls.size(), 1u);
    EXPECT_EQ(rec.calls[0].first, 2);
    timers.Tick(40);  // remaining 0 is below 1
    ASSERT_EQ(rec.calls.size(), 2u);
    EXPECT_EQ(rec.calls[1].first, 1);
}

TEST_F(TimersTest, CancelAndPendingMatchTheObjectAsWellAsTheMethod)
{
    Recorder other;
    timers.Add(Method(rec), 100, 1, 5);
    timers.Add(Method(rec), 100, 2, 6);
    timers.Add(Method(other), 100, 3, 5);
    EXPECT_TRUE(timers.IsPending(Method(other), 5));
    EXPECT_FALSE(timers.IsPending(Method(other), 6));
    timers.Cancel(Method(rec), TIMER_ANY_KEY);
    EXPECT_FALSE(timers.IsPending(Method(rec), TIMER_ANY_KEY));
    EXPECT_TRUE(timers.IsPending(Method(other), 5)) << "another object's timer survives";
    EXPECT_EQ(timers.CountActive(), 1);
}

TEST_F(TimersTest, ImmediateModeFiresEverythingInSlotOrder)
{
    timers.Add(Method(rec), 300, 1, 0);
    timers.Add(Method(rec), 100, 2, 0);
    timers.Add(Method(rec), 200, 3, 0);
    timers.SetImmediate(true);
    ASSERT_EQ(rec.calls.size(), 3u);
    EXPECT_EQ(rec.calls[0].first, 1);
    EXPECT_EQ(rec.calls[2].first, 3);
}

TEST_F(TimersTest, FireNowAndFlushAll)
{
    EXPECT_EQ(timers.FireNow(0), 0);
    uint32_t id = timers.Add(Method(rec), 100, 1, 0);
    timers.Add(Method(rec), 100, 2, 0);
    EXPECT_EQ(timers.FireNow(id), 42);
    EXPECT_EQ(timers.CountActive(), 1);
    timers.FlushAll();
    EXPECT_EQ(timers.CountActive(), 0);
    EXPECT_FALSE(timers.Immediate());
    EXPECT_EQ(rec.calls.size(), 2u);
}

TEST_F(TimersTest, CallbacksMayRearmAndTheTableGrowsWhenFull)
{
    rec.timers = &timers;
    timers.Add(MakeMethod<&Recorder::FireAndRearm>(&rec), 10, 1, 0);
    timers.Tick(10);
    timers.Tick(10);
    EXPECT_EQ(rec.calls.size(), 2u);
    Recorder many;
    for (int i = 0; i < 15; ++i) EXPECT_NE(timers.Add(Method(many), 50, i, 0), 0u);
    timers.Tick(50);
    EXPECT_EQ(many.calls.size(), 15u);
}

TEST_F(TimersTest, FireMatchingLeavesOtherTimersWaiting)
{
    Recorder other;
    timers.Add(Method(rec), 100, 1, 0);
    timers.Add(Method(other), 100, 2, 0);
    timers.FireMatching(Method(rec), false);
    EXPECT_EQ(rec.calls.size(), 1u);
    EXPECT_TRUE(other.calls.empty());
    EXPECT_EQ(timers.CountActive(), 1);
}

}  // namespace
