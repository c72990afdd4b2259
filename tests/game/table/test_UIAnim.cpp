#include "UIAnim.h"
#include "UIAnimCardMove.h"
#include "UIAnimFireWorks.h"
#include "UIAnimSmoke.h"

#include "tablefixture.h"

#include <gtest/gtest.h>

namespace {

class AnimTest : public tabletest::TableFixture {
public:
    void SetUp() override
    {
        TableFixture::SetUp();
        host = NewWindow<TUIAnimHost>(root.get());
    }
    TUIAnimCardMove* Flight(int32_t duration, bool fadeOut = false)
    {
        return NewWindow<TUIAnimCardMove>(host, false, fadeOut, true, TCard(5), duration, TQZPoint{500, 300},
                                          TQZPoint{100, 700});
    }
    // One frame of the tree after the clock moved on.
    void Frame(uint32_t elapsed)
    {
        ms += elapsed;
        root->UpdateTree();
    }
    int32_t Fire(int64_t, uint32_t)
    {
        ++fired;
        return 0;
    }
    void Done(TUIAnim*, void* argument) { doneWith.push_back(argument); }

    TUIAnimHost* host = nullptr;
    int32_t fired = 0;
    std::vector<void*> doneWith;
};

TEST_F(AnimTest, HostCoversItsParentAndLetsClicksThrough)
{
    EXPECT_EQ((TQZRect{0, 0, 1280, 800}), host->GetRect());
    EXPECT_TRUE(host->clickThrough);
    root->SetRect({0, 0, 1920, 1080});
    root->ArrangeTree();
    EXPECT_EQ((TQZRect{0, 0, 1920, 1080}), host->GetRect());
    TUIAnim* anim = Flight(100);
    EXPECT_TRUE(anim->clickThrough);
    EXPECT_EQ(host->GetRect(), anim->GetRect());
}

TEST_F(AnimTest, FlightSlowsAsItArrives)
{
    TUIAnimCardMove* f = Flight(1000);
    EXPECT_EQ((TQZPoint{100, 700}), f->PositionAt(0));
    const TQZPoint half = f->PositionAt(0.5f);  // sin(pi / 4): past half way
    EXPECT_EQ((TQZPoint{100 + 283, 700 - 283}), half);
    EXPECT_EQ((TQZPoint{500, 300}), f->PositionAt(1.0f));
    EXPECT_EQ((TQZPoint{500, 300}), f->PositionAt(7.0f));
}

TEST_F(AnimTest, FadeOutFollowsTheFlightAndIsGoneWithoutDuration)
{
    struct Case {
        int32_t duration;
        float t;
        uint8_t alpha;
    };
    const Case cases[] = {
        {1000, 0.0f, 255}, {1000, 0.5f, 127}, {1000, 1.0f, 0}, {1000, 3.0f, 0},
        {0, 0.0f, 0},      {0, 1.0f, 0},      {-50, 0.0f, 0},
    };
    for (const Case& c : cases) {
        TUIAnimCardMove* f = Flight(c.duration, true);
        EXPECT_EQ(c.alpha, f->AlphaAt(c.t)) << c.duration << " ms at " << c.t << " s";
        EXPECT_EQ(255, Flight(c.duration, false)->AlphaAt(c.t));
    }
}

TEST_F(AnimTest, FlightOfNoDurationStandsAtItsTargetAndEndsAfterAFewFrames)
{
    TUIAnimCardMove* f = Flight(0, true);
    EXPECT_EQ((TQZPoint{500, 300}), f->PositionAt(f->ElapsedSeconds()));
    f->timerId = Timers->Add(MakeMethod<&AnimTest::Fire>(this), 10000, 0, 0);
    f->onDone = MakeMethod<&AnimTest::Done>(this);
    f->argument = this;

    ms += 16;
    f->Advance(16);  // 16 ms frames: rests 2.8 frames (44.8 ms)
    EXPECT_FALSE(f->finished);
    ms += 30;
    f->Advance(16);
    EXPECT_TRUE(f->finished);
    host->Update();
    EXPECT_EQ(0, host->ChildCount());
    EXPECT_EQ(1, fired);  // the flight's end completes what waited for it at once
    EXPECT_EQ(std::vector<void*>{this}, doneWith);
    EXPECT_EQ(0, Timers->CountActive());
}

TEST_F(AnimTest, HostIsBusyUntilEveryBlockingAnimationIsGone)
{
    Flight(100);
    Flight(300);
    NewWindow<TUIAnimFireworks>(host, true);  // never ends: never holds the game up
    EXPECT_EQ(2, host->CountBlocking());
    Frame(200);  // the first ends; the host frees it on the next frame
    EXPECT_EQ(2, host->CountBlocking());
    Frame(200);
    EXPECT_EQ(1, host->CountBlocking());
    EXPECT_TRUE(host->IsBusy());
    Frame(16);
    EXPECT_FALSE(host->IsBusy());
    EXPECT_EQ(1, host->ChildCount());
}

TEST_F(AnimTest, FreeingTheHostDropsAnimationsWithoutCompletion)
{
    TUIAnimCardMove* f = Flight(0);
    f->onDone = MakeMethod<&AnimTest::Done>(this);
    f->timerId = Timers->Add(MakeMethod<&AnimTest::Fire>(this), 10000, 0, 0);
    TGUIWindow::Free(host);
    EXPECT_TRUE(doneWith.empty());
    EXPECT_EQ(0, fired);
}

TEST_F(AnimTest, SmokeStartsRoundTheRectangleSpreadsAndFades)
{
    const TQZRect r{400, 300, 600, 420};
    auto* smoke = NewWindow<TUIAnimSmoke>(host, SMOKE_FAST, r);
    for (const TSmokeParticle& p : smoke->Particles()) {
        // On the rectangle's border band (the walk steps a tenth across).
        const float x = p.position.x, y = p.position.y, band = r.Width() / 10.0f + 1;
        const bool within = x >= r.left - 1 && x <= r.right + 1 && y >= r.top - r.Height() / 6.0f - 1 && y <= r.bottom + 1;
        const bool inside = x > r.left + band && x < r.right - band && y > r.top + 1 && y < r.bottom - 1;
        EXPECT_TRUE(within && !inside) << x << "," << y;
        EXPECT_GE(p.alpha, 120);
        EXPECT_LE(p.alpha, 180);
    }
    EXPECT_EQ((TQZPointF{float(r.left), float(r.top)}), smoke->Particles()[0].position);

    auto* frozen = NewWindow<TUIAnimSmoke>(host, 7, r);
    for (int i = 0; i < 40 && !smoke->finished; ++i) {
        smoke->Advance(16);
        frozen->Advance(16);
    }
    EXPECT_TRUE(smoke->finished);
    EXPECT_FALSE(frozen->finished);
    EXPECT_FLOAT_EQ(float(r.left), frozen->Particles()[0].position.x);
}

TEST_F(AnimTest, FireworksKeepTheirRocketsAndBurstIntoSparks)
{
    auto* loud = NewWindow<TUIAnimFireworks>(host, false);
    auto* quiet = NewWindow<TUIAnimFireworks>(host, true);
    loud->Advance(16);
    quiet->Advance(16);
    EXPECT_EQ(10, loud->CountInUse());
    EXPECT_EQ(5, quiet->CountInUse());

    // A falling rocket with sparks bursts: a flash of twice its size and its sparks.
    for (TFireworkSlot& s : loud->Slots()) s = {};
    TFireworkSlot& rocket = loud->Slots()[0];
    rocket = {FIREWORK_ROCKET, 0xFFFF6060, 1, {0, 1}, {300, 300}, {100, 100}, 4};
    loud->Advance(15);
    EXPECT_EQ(FIREWORK_FLASH, rocket.kind);
    EXPECT_FLOAT_EQ(200, rocket.size.x);
    loud->Advance(15);  // a flash grows from the next frame on
    EXPECT_FLOAT_EQ(200 + 8, rocket.size.x);
    int32_t sparks = 0;
    for (const TFireworkSlot& s : loud->Slots()) sparks += s.kind == FIREWORK_SPARK ? 1 : 0;
    EXPECT_EQ(4, sparks);
}

TEST_F(AnimTest, FireworksWithEverySlotTakenAddNothing)
{
    auto* f = NewWindow<TUIAnimFireworks>(host, false);
    for (TFireworkSlot& s : f->Slots()) s = {FIREWORK_ROCKET, 0xFFFFFFFF, 0, {0, 1}, {300, 300}, {100, 100}, 5};
    f->Advance(15);
    int32_t flashes = 0, others = 0;
    for (const TFireworkSlot& s : f->Slots()) (s.kind == FIREWORK_FLASH ? flashes : others)++;
    EXPECT_EQ(FIREWORK_SLOTS, flashes);
    EXPECT_EQ(0, others);
}

TEST_F(AnimTest, AParticleBelowTheWindowIsFreed)
{
    auto* f = NewWindow<TUIAnimFireworks>(host, true);
    for (TFireworkSlot& s : f->Slots()) s = {FIREWORK_SPARK, 0xFFFFFFFF, 0, {0, 0}, {300, 300}, {10, 10}, 1};
    f->Slots()[3].position.y = 800 + 6;
    f->Advance(15);
    EXPECT_EQ(FIREWORK_FREE, f->Slots()[3].kind);
    EXPECT_EQ(FIREWORK_SLOTS - 1, f->CountInUse());
}

}  // namespace
