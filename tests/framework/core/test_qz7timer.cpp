#include "qz7events.h"
#include "qz7timer.h"
#include "osClock.h"

#include <gtest/gtest.h>

namespace {

constexpr uint64_t kMs = 1000000;  // nanoseconds per millisecond

// A clock the test moves by hand; each read may also step it.
class TimerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        plat::os::SetClockSource([this] {
            uint64_t t = now;
            now += stepPerRead;
            return t;
        });
        ForgetMediaTimerResolution();
        TimerModuleInitialise();
        FrameworkStart("timer test");
    }
    void TearDown() override
    {
        FrameworkStop();
        TimerModuleInitialise();
        ForgetMediaTimerResolution();
        plat::os::SetCounterAvailable(true);
        plat::os::SetClockSource(nullptr);
    }
    // Puts the millisecond tick at a value (upper bits kept above 32).
    void SetTick(uint32_t tick) { now = (uint64_t(7) << 32 | tick) * kMs; }
    void Advance(uint64_t ms) { now += ms * kMs; }

    uint64_t now = 1000 * kMs;
    uint64_t stepPerRead = 0;
};

TEST_F(TimerTest, StopwatchElapsedWhileRunningStoppedAndReset)
{
    for (bool high : {false, true}) {
        SCOPED_TRACE(high ? "high resolution" : "millisecond");
        auto t = CreateTimer(high);
        t->Start();
        Advance(1500);
        EXPECT_DOUBLE_EQ(t->Elapsed(), 1.5);
        t->Stop();
        Advance(700);
        EXPECT_DOUBLE_EQ(t->Elapsed(), 1.5);  // stopped: constant
        t->Stop();                             // not running: no new stop count
        EXPECT_DOUBLE_EQ(t->Elapsed(), 1.5);
        t->speed = 2.0;
        EXPECT_DOUBLE_EQ(t->Elapsed(), 3.0);
        t->Reset();
        EXPECT_FALSE(t->running);
        EXPECT_DOUBLE_EQ(t->Elapsed(), 0.0);
        Advance(100);
        EXPECT_DOUBLE_EQ(t->Elapsed(), 0.0);
    }
}

TEST_F(TimerTest, CalibrateClearsTheStopwatch)
{
    auto t = CreateTimer(true);
    t->Start();
    Advance(10);
    t->speed = 3.0;
    t->Calibrate();
    EXPECT_FALSE(t->running);
    EXPECT_EQ(t->startCount, 0u);
    EXPECT_DOUBLE_EQ(t->speed, 1.0);
    EXPECT_EQ(t->frequency, plat::os::kCounterFrequency);
    EXPECT_DOUBLE_EQ(t->secondsPerCount, 1e-9);
}

TEST_F(TimerTest, MillisecondTimerElapsedAcrossTickWrap)
{
    SetTick(0xFFFFFFFFu - 99);
    auto t = TQZTimerMedia::Create();
    t->Start();
    Advance(300);
    EXPECT_LT(GetTickMS(), 1000u);  // the tick has wrapped
    EXPECT_DOUBLE_EQ(t->Elapsed(), 0.3);
    t->Stop();
    EXPECT_DOUBLE_EQ(t->Elapsed(), 0.3);
}

TEST_F(TimerTest, TimerKindFollowsWishAndCounterAvailability)
{
    struct Case { bool wanted, available; int32_t kind; uint64_t frequency; };
    const Case cases[] = {
        {true, true, QZTIMER_HIGHPERF, plat::os::kCounterFrequency},
        {true, false, QZTIMER_MEDIA, 1000},
        {false, true, QZTIMER_MEDIA, 1000},
        {false, false, QZTIMER_MEDIA, 1000},
    };
    for (const Case& c : cases) {
        plat::os::SetCounterAvailable(c.available);
        auto t = CreateTimer(c.wanted);
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(t->kind, c.kind) << c.wanted << c.available;
        EXPECT_EQ(t->frequency, c.frequency) << c.wanted << c.available;
    }
    plat::os::SetCounterAvailable(false);
    EXPECT_EQ(TQZTimerHighperf::Create(), nullptr);
}

TEST_F(TimerTest, MillisecondTimerMeasuresTheTickStepOnce)
{
    stepPerRead = 16 * kMs;  // a coarse tick: every read moves 16 ms
    auto t = TQZTimerMedia::Create();
    EXPECT_DOUBLE_EQ(MediaTimerResolution(), 1000.0 / 16);
    EXPECT_DOUBLE_EQ(t->secondsPerCount, 0.016);
    stepPerRead = 1 * kMs;
    auto again = TQZTimerMedia::Create();
    EXPECT_DOUBLE_EQ(MediaTimerResolution(), 1000.0 / 16);  // kept for the process
}

TEST_F(TimerTest, MillisecondTimerCalibrationEndsOnAStoppedClock)
{
    auto t = TQZTimerMedia::Create();  // the clock never moves here
    ASSERT_NE(t, nullptr);
    EXPECT_DOUBLE_EQ(MediaTimerResolution(), 1000.0);
    EXPECT_EQ(t->frequency, 1000u);
}

TEST(TickDiffTest, UnsignedDifferenceWraps)
{
    struct Case { uint32_t a, b, diff; };
    const Case cases[] = {
        {0, 5, 5},
        {1000, 1000, 0},
        {0xFFFFFFF0u, 0x10, 0x20},
        {0xFFFFFFFFu, 0, 1},
        {10, 5, 0xFFFFFFFBu},  // b before a: a large unsigned difference
    };
    for (const Case& c : cases) EXPECT_EQ(TickDiff(c.a, c.b), c.diff) << c.a << " " << c.b;
}

TEST_F(TimerTest, SecondsSinceStartAcrossTickWrap)
{
    SetTick(0xFFFFFFFFu - 499);
    TimerModuleInitialise();
    EXPECT_FLOAT_EQ(SecondsSinceStart(), 0.0f);
    Advance(1250);
    EXPECT_FLOAT_EQ(SecondsSinceStart(), 1.25f);
}

TEST_F(TimerTest, FrameDeltaIsTheLastFrameAndStableWithinAFrame)
{
    SetTick(0xFFFFFFFFu - 9);
    EXPECT_FLOAT_EQ(FrameDeltaSeconds(), 0.0f);  // first call: listening starts
    Advance(16);
    PumpFrame();
    EXPECT_FLOAT_EQ(FrameDeltaSeconds(), 0.016f);  // across the tick wrap
    Advance(5);
    EXPECT_FLOAT_EQ(FrameDeltaSeconds(), 0.016f);  // same frame, same answer
    Advance(28);
    PumpFrame();
    EXPECT_FLOAT_EQ(FrameDeltaSeconds(), 0.033f);
    EXPECT_EQ(EventManager()->HandlerCount(QZEVENT_FRAME), 1);  // registered once
}

TEST_F(TimerTest, FrameDeltaListensAgainAfterFrameworkRestart)
{
    FrameDeltaSeconds();
    FrameworkStop();  // the bus and its handlers go
    FrameworkStart("timer test again");
    EXPECT_FLOAT_EQ(FrameDeltaSeconds(), 0.0f);
    Advance(20);
    PumpFrame();
    EXPECT_FLOAT_EQ(FrameDeltaSeconds(), 0.020f);
}

}  // namespace
