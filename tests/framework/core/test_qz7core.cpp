#include "qz7core.h"
#include "qz7events.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<int>* freedLog = nullptr;

class Tracked : public TQZClass {
public:
    explicit Tracked(int id) : id_(id) {}
    ~Tracked() override
    {
        if (freedLog) freedLog->push_back(id_);
    }
    int id_;
};

class FrameworkFixture : public ::testing::Test {
protected:
    void SetUp() override { FrameworkStart("Test"); }
    void TearDown() override
    {
        FrameworkStop();
        freedLog = nullptr;
    }
};

TEST(TQZClassTest, FreesOwnedLastAddedFirstAndRemovedSurvives)
{
    std::vector<int> log;
    freedLog = &log;
    auto removed = std::make_unique<Tracked>(2);
    {
        TQZClass owner;
        owner.AddOwned(std::make_unique<Tracked>(1));
        owner.AddOwned(removed.get());
        owner.AddOwned(std::make_unique<Tracked>(3));
        owner.AddOwned(std::make_unique<Tracked>(4));
        ASSERT_TRUE(owner.RemoveOwned(removed.get()));
        // The last one takes the removed one's place.
        EXPECT_EQ(static_cast<Tracked*>(owner.OwnedAt(1))->id_, 4);
        EXPECT_FALSE(owner.RemoveOwned(removed.get()));
    }
    EXPECT_EQ(log, (std::vector<int>{3, 4, 1}));
    removed.reset();
    EXPECT_EQ(log.back(), 2);
    freedLog = nullptr;
}

struct SelfAsking : TQZClassSingleton {
    static inline int initialised = 0;
    static inline TQZClassSingleton* seen = nullptr;
    void Initialise() override
    {
        ++initialised;
        seen = GetInstance<SelfAsking>(1);
    }
};

TEST(SingletonTest, NothingBeforeStart)
{
    ASSERT_FALSE(FrameworkStarted());
    EXPECT_EQ(GetInstance<SelfAsking>(1), nullptr);
    EXPECT_FALSE(SingletonExists(1));
}

TEST_F(FrameworkFixture, InitialiseAskingForItsOwnSlotGetsItself)
{
    SelfAsking::initialised = 0;
    SelfAsking* s = GetInstance<SelfAsking>(1);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(SelfAsking::seen, s);
    EXPECT_EQ(SelfAsking::initialised, 1);
    EXPECT_EQ(GetInstance<SelfAsking>(1), s);
    EXPECT_EQ(GetInstance<SelfAsking>(12), nullptr);
}

struct Plain : TQZClassSingleton {
    int initialised = 0;
    void Initialise() override { ++initialised; }
};

TEST_F(FrameworkFixture, DirectlyCreatedSingletonInitialisesOutsideTheTable)
{
    auto s = CreateSingleton<Plain>();
    EXPECT_EQ(s->initialised, 1);
    EXPECT_FALSE(SingletonExists(3));
}

TEST_F(FrameworkFixture, FrameCounterWrapsToTwo)
{
    PumpFrame();
    EXPECT_EQ(FrameCounter(), 1);
    SetFrameCounter(2147483647);
    PumpFrame();
    EXPECT_EQ(FrameCounter(), 2);
}

TEST_F(FrameworkFixture, PumpRunsQueuedWorkAndLeavesStateWorking)
{
    int ran = 0;
    QueueForMainThread([&] {
        ++ran;
        // Queued while draining: waits for the next pump.
        QueueForMainThread([&] { ran += 10; });
    });
    AddHandler(QZEVENT_FRAME, +[](void*) -> int32_t {
        EXPECT_EQ(EventManager()->State(), QZAPPSTATE_WAIT_WINDOWS);
        return 0;
    }, QZHANDLER_PERSISTENT);
    PumpFrame();
    EXPECT_EQ(ran, 1);
    EXPECT_EQ(EventManager()->State(), QZAPPSTATE_WORKING);
    PumpFrame();
    EXPECT_EQ(ran, 11);
}

TEST(FrameworkStopTest, StopTwiceDoesNothingTheSecondTime)
{
    std::vector<int> log;
    freedLog = &log;
    FrameworkStart("Test");
    AddAutoFree(new Tracked(7));
    FrameworkStop();
    EXPECT_EQ(log, std::vector<int>{7});
    FrameworkStop();
    EXPECT_EQ(log, std::vector<int>{7});
    EXPECT_EQ(GetInstance<SelfAsking>(1), nullptr);
    freedLog = nullptr;
}

struct RectCase {
    int x, y, w, h;
    TQZRect expected;
};

TEST(ValueHelpersTest, CentredRectPutsTheOddPixelRightAndBelow)
{
    const RectCase cases[] = {
        {10, 10, 5, 5, {8, 8, 13, 13}},
        {10, 10, 4, 4, {8, 8, 12, 12}},
        {0, 0, 1, 0, {0, 0, 1, 0}},
    };
    for (const auto& c : cases) EXPECT_EQ(CentredRect(c.x, c.y, c.w, c.h), c.expected);
}

TEST(ValueHelpersTest, ClampAndRandom)
{
    EXPECT_EQ(ClampInt(0, 7, 5), 5);
    EXPECT_EQ(ClampInt(0, -3, 5), 0);
    SeedRandom(42);
    for (int i = 0; i < 100; ++i) EXPECT_EQ(RandomBetween(3, 3), 3);
    for (int i = 0; i < 1000; ++i) {
        int v = RandomBetween(-2, 2);
        EXPECT_GE(v, -2);
        EXPECT_LE(v, 2);
    }
}

TEST(ValueHelpersTest, RectanglesAndConversions)
{
    TQZRect out{1, 1, 1, 1};
    EXPECT_FALSE(IntersectRects({0, 0, 10, 10}, {10, 0, 20, 10}, out));
    EXPECT_EQ(out, (TQZRect{0, 0, 0, 0}));
    EXPECT_TRUE(IntersectRects({0, 0, 10, 10}, {5, 5, 20, 20}, out));
    EXPECT_EQ(out, (TQZRect{5, 5, 10, 10}));
    TQZRect self{0, 0, 10, 10};
    EXPECT_TRUE(IntersectRects(self, {5, 5, 20, 20}, self));  // out may alias an input
    EXPECT_EQ(self, (TQZRect{5, 5, 10, 10}));
    EXPECT_TRUE(PointInRect({0, 0}, {0, 0, 1, 1}));
    EXPECT_FALSE(PointInRect({1, 0}, {0, 0, 1, 1}));
    EXPECT_EQ(PointFToPoint({1.5f, -1.4f}), (TQZPoint{2, -1}));
    EXPECT_EQ(MakeColour(0x80, 1, 2, 3), 0x80010203u);
    EXPECT_EQ(PackColourBytes(1, 2, 3, 4), 0x04030201u);
    EXPECT_EQ(SingleToString(1.25f, 2), "1.25");
    EXPECT_EQ(StringToInt("12a"), 0);
    EXPECT_EQ(StringToInt("-12"), -12);
}

struct Counter {
    int hits = 0;
    int32_t Hit(void*) { return ++hits; }
};

TEST(MethodTest, EqualOnlyForSameMethodAndObject)
{
    Counter a, b;
    auto ma = MakeMethod<&Counter::Hit>(&a);
    auto mb = MakeMethod<&Counter::Hit>(&b);
    EXPECT_FALSE(ma == mb);
    EXPECT_TRUE(ma.SameMethod(mb));
    EXPECT_TRUE(ma == MakeMethod<&Counter::Hit>(&a));
    ma(nullptr);
    EXPECT_EQ(a.hits, 1);
    EXPECT_EQ(b.hits, 0);
}

}  // namespace

namespace {

TEST(ValueHelpersTest, RandomBetweenCoversRangesWiderThanInt32)
{
    SeedRandom(7);
    bool negative = false, positive = false;
    for (int i = 0; i < 200; ++i) {
        int32_t v = RandomBetween(INT32_MIN, INT32_MAX);
        negative |= v < 0;
        positive |= v > 0;
        int32_t w = RandomBetween(-5, INT32_MAX);
        EXPECT_GE(w, -5);
    }
    EXPECT_TRUE(negative);
    EXPECT_TRUE(positive);
}

}  // namespace

TEST(ApplicationIdentity, OnlyTheEditorsNameMakesTheEditor)
{
    FrameworkStart("Vantorel Qar");
    EXPECT_FALSE(EditorVariant());
    FrameworkStop();
    FrameworkStart(QZ_EDITOR_IDENTITY);
    EXPECT_TRUE(EditorVariant());
    FrameworkStop();
    EXPECT_FALSE(EditorVariant());
}
