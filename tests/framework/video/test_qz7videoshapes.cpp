// The editor's additions to the video layer: rounded rectangles, ellipses,
// linear filtering and the output window's dirty rectangles and timers.
#include "mediatestutil.h"

namespace {

class VideoShapesTest : public mediatest::VideoFixture {};

constexpr uint32_t kRed = 0xFFFF0000;
constexpr uint32_t kBlack = 0xFF000000;

TEST_F(VideoShapesTest, FilledRoundRectLeavesItsCornersOut)
{
    Frame([](TQZVideo* v) { EXPECT_EQ(QZRES_OK, v->DrawRoundRect({10, 10, 50, 40}, kRed, 0)); });
    EXPECT_EQ(kBlack, BackPixel(10, 10));   // corner cut by the indent of 6
    EXPECT_EQ(kBlack, BackPixel(15, 10));
    EXPECT_EQ(kRed, BackPixel(16, 10));
    EXPECT_EQ(kRed, BackPixel(10, 25));     // middle band reaches the edges
    EXPECT_EQ(kRed, BackPixel(49, 25));
    EXPECT_EQ(kRed, BackPixel(30, 39));     // bottom row, indented again
    EXPECT_EQ(kBlack, BackPixel(12, 39));
    EXPECT_EQ(kBlack, BackPixel(30, 40));
}

TEST_F(VideoShapesTest, OutlinedRoundRectIsHollow)
{
    Frame([](TQZVideo* v) { EXPECT_EQ(QZRES_OK, v->DrawRoundRect({10, 10, 50, 40}, kRed, 1)); });
    EXPECT_EQ(kRed, BackPixel(30, 10));
    EXPECT_EQ(kRed, BackPixel(10, 25));
    EXPECT_EQ(kRed, BackPixel(49, 25));
    EXPECT_EQ(kBlack, BackPixel(30, 25));
    EXPECT_EQ(kBlack, BackPixel(30, 12));
}

TEST_F(VideoShapesTest, RoundRectRefusesEmptyRectanglesAndNegativeThickness)
{
    Frame([](TQZVideo* v) {
        EXPECT_EQ(QZRES_BADARG, v->DrawRoundRect({10, 10, 10, 40}, kRed, 0));
        EXPECT_EQ(QZRES_BADARG, v->DrawRoundRect({10, 40, 50, 40}, kRed, 0));
        EXPECT_EQ(QZRES_BADARG, v->DrawRoundRect({10, 10, 50, 40}, kRed, -1));
    });
    EXPECT_EQ(kBlack, BackPixel(30, 25));
}

TEST_F(VideoShapesTest, EllipseFillsAroundItsCentreOnly)
{
    Frame([](TQZVideo* v) { EXPECT_EQ(QZRES_OK, v->FillEllipse({64, 48}, {20, 10}, kRed)); });
    EXPECT_EQ(kRed, BackPixel(64, 48));
    EXPECT_EQ(kRed, BackPixel(50, 48));
    EXPECT_EQ(kRed, BackPixel(64, 42));
    EXPECT_EQ(kBlack, BackPixel(64, 36));   // beyond the vertical radius
    EXPECT_EQ(kBlack, BackPixel(47, 40));   // outside, near the box corner
    EXPECT_EQ(kBlack, BackPixel(90, 48));
}

TEST_F(VideoShapesTest, LinearFilterFollowsTheDevice)
{
    const bool supported = Direct3D()->linearFiltering;
    video->SetLinearFilter(true);
    EXPECT_EQ(supported, video->GetLinearFilter());
    video->SetLinearFilter(false);
    EXPECT_FALSE(video->GetLinearFilter());
}

TEST(HeadlessVideoWindow, KeepsDirtyRectanglesAndRunsTimers)
{
    TQZHeadlessVideoWindow w(100, 100);
    w.InvalidateRect({1, 2, 3, 4});
    EXPECT_TRUE(w.invalid);
    ASSERT_EQ(1u, w.invalidRects.size());
    EXPECT_EQ((TQZRect{1, 2, 3, 4}), w.invalidRects[0]);
    int calls = 0;
    uint32_t id = w.SetTimer(50, [&](uint32_t) { ++calls; });
    EXPECT_EQ(400u, id);
    EXPECT_TRUE(w.FireTimer(id));
    w.KillTimer(id);
    EXPECT_FALSE(w.FireTimer(id));
    EXPECT_EQ(1, calls);
}

}  // namespace
