#include "backdropfixture.h"
#include "clAnimBackdrop.h"
#include "clCardGraphics.h"
#include "clVideoDraw.h"
#include "coreGameDiagnostics.h"
#include "osClock.h"
#include "qz7memory.h"
#include "qz7video.h"
#include "qz7videochoice.h"
#include "runtimefixture.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace os = plat::os;

namespace {

TEST(CardSizeTest, FollowsTheClientAreaAndTheCardsetsProportions)
{
    struct Case {
        TQZPoint client, card;
        bool force;
        TQZPoint size;
    };
    const Case cases[] = {
        {{1024, 768}, {71, 96}, false, {118, 159}},   // B wins: (118, 159) against (158, 214)
        {{1920, 1080}, {71, 96}, false, {196, 263}},  // H' 263, W' 213: B (194.5 -> 195, made even 196)
        {{800, 600}, {71, 96}, false, {76, 103}},     // H' 103, W' 83
        {{400, 300}, {71, 96}, false, {72, 96}},      // both at their lower bounds; 71 made even
        {{1024, 768}, {71, 96}, true, {72, 96}},      // forced down to the native size
        {{1024, 768}, {0, 96}, false, {118, 159}},    // no width: the 71 x 96 fallback
        {{1024, 768}, {0, 0}, false, {118, 159}},
        {{1024, 768}, {200, 100}, false, {158, 79}},  // a wide card: A wins
        {{0, 0}, {71, 96}, false, {72, 96}},          // a client of nothing: lower bounds
        {{1024, 768}, {10, 10}, false, {72, 71}},     // bounds cross (96 > 30, 71 > 30): the lower wins
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.size, ComputeCardSize(c.client, c.card, c.force))
            << c.client.x << "x" << c.client.y << " card " << c.card.x << "x" << c.card.y;
}

TEST(DisplayModeTest, NamesAreComparedExactly)
{
    EXPECT_EQ(DISPLAY_FULLSCREEN, DisplayModeOfName("Fullscreen"));
    EXPECT_EQ(DISPLAY_FULLSCREEN_WINDOW, DisplayModeOfName("Fullscreen Window"));
    EXPECT_EQ(DISPLAY_WINDOWED, DisplayModeOfName("Windowed"));
    EXPECT_EQ(DISPLAY_WINDOWED, DisplayModeOfName("fullscreen"));
    EXPECT_EQ(DISPLAY_WINDOWED, DisplayModeOfName(""));
    EXPECT_STREQ("Fullscreen Window", kDisplayModeNames[1]);
}

std::string Hex(const std::vector<uint8_t>& bytes)
{
    std::string s = "0x";
    char b[3];
    for (uint8_t v : bytes) {
        std::snprintf(b, sizeof b, "%02X", v);
        s += b;
    }
    return s;
}

std::vector<uint8_t> Record(std::initializer_list<int32_t> fields)
{
    std::vector<uint8_t> b;
    for (int32_t v : fields)
        for (int i = 0; i < 4; ++i) b.push_back(uint8_t(uint32_t(v) >> (8 * i)));
    return b;
}

class VideoManagerTest : public mediatest::MediaFixture {
protected:
    os::WindowHandle Handle() { return Video->Window()->Handle(); }
    os::OsRect Outer()
    {
        os::OsRect r;
        os::GetWindowRect(Handle(), r);
        return r;
    }
    void Pump()
    {
        for (int i = 0; i < 4; ++i) PumpFrame();
    }
};

TEST_F(VideoManagerTest, StartsWindowedAt1024x768WithItsTitleLimitsAndIcon)
{
    runtime.Everything();
    plat::imaging::Image icon;
    (void)icon.Allocate(256, 256, 0xFF336699);  // setup: what the test checks after it shows whether it took
    std::vector<uint8_t> png;
    // Setup: what the test checks after it shows whether it took.
    (void)plat::imaging::EncodeImage(icon, plat::imaging::EncodeFormat::Png, png);
    runtime.Write("Assets/Misc/Icon.png", png);
    Start();
    ASSERT_NE(nullptr, Video);
    EXPECT_EQ(ManagerDescription(MGR_VIDEO), "Video Engine");
    EXPECT_TRUE(Video->Initialised());
    EXPECT_EQ(DISPLAY_WINDOWED, Video->DisplayMode());
    EXPECT_EQ((TQZRect{0, 0, 1024, 768}), Video->ClientRect());
    EXPECT_EQ("Vantorel Qar", os::GetWindowTitle(Handle()));
    EXPECT_TRUE(os::IsWindowShown(Handle()));
    EXPECT_EQ(os::FullScreenMode::Off, os::GetWindowFullScreen(Handle()));
    EXPECT_EQ((TQZPoint{900, 700}), Video->Window()->MinClientSize());
    EXPECT_FALSE(WindowWaitForInput);
    EXPECT_EQ(0, GetVideo()->repaintMode);
    ASSERT_NE(0u, os::GetWindowIcon(Handle()));
    EXPECT_EQ(os::LoadIconResource("JACKICON"), os::GetWindowIcon(Handle()));
    // The user cannot make it smaller than the minimum.
    os::InjectInput(os::MakeInput(os::InputKind::Resized, Handle(), 500, 400));
    Pump();
    EXPECT_EQ((TQZRect{0, 0, 900, 700}), Video->ClientRect());
}

TEST_F(VideoManagerTest, FullScreenModesComeFromTheSetting)
{
    struct Case {
        const char* name;
        int32_t mode;
        os::FullScreenMode fullScreen;
    } cases[] = {{"Fullscreen Window", DISPLAY_FULLSCREEN_WINDOW, os::FullScreenMode::Desktop},
                 {"Fullscreen", DISPLAY_FULLSCREEN, os::FullScreenMode::Exclusive},
                 {"fullscreen", DISPLAY_WINDOWED, os::FullScreenMode::Off}};
    runtime.Everything();
    for (const Case& c : cases) {
        runtime.Defaults(std::string("Video.DisplayMode=\"") + c.name + "\"\r\n");
        Start();
        EXPECT_EQ(c.mode, Video->DisplayMode()) << c.name;
        EXPECT_EQ(c.fullScreen, os::GetWindowFullScreen(Handle())) << c.name;
        if (c.mode != DISPLAY_WINDOWED) {
            TQZPoint screen = GetScreenSize();
            EXPECT_EQ((TQZRect{0, 0, screen.x, screen.y}), Video->ClientRect()) << c.name;
        }
        ResetManagerRegistry();
    }
}

// A saved placement and where the window ends up: only a whole record that
// says it is one and that lands on a display is applied.
TEST_F(VideoManagerTest, TheSavedPlacementIsAppliedOnlyWhenItIsWholeAndOnADisplay)
{
    const os::OsRect normal{120, 80, 1160, 886};
    std::vector<uint8_t> good = Record({44, 0, 1, -1, -1, -1, -1, 120, 80, 1160, 886});
    std::vector<uint8_t> shortRecord(good.begin(), good.end() - 1), longRecord = good;
    longRecord.push_back(0);
    struct Case {
        const char* name;
        std::string value;  // empty: no such setting
        bool applied;
        bool maximised;
    } cases[] = {
        {"absent", "", false, false},
        {"the record", Hex(good), true, false},
        {"maximised", Hex(Record({44, 0, 3, -1, -1, -1, -1, 120, 80, 1160, 886})), true, true},
        {"length field 40", Hex(Record({40, 0, 1, -1, -1, -1, -1, 120, 80, 1160, 886})), false, false},
        {"43 bytes", Hex(shortRecord), false, false},
        {"45 bytes", Hex(longRecord), false, false},
        {"off every display", Hex(Record({44, 0, 1, -1, -1, -1, -1, 5000, 80, 6040, 886})), false, false},
        {"no size", Hex(Record({44, 0, 1, -1, -1, -1, -1, 120, 80, 120, 886})), false, false},
        {"not bytes", "hello", false, false},
    };
    runtime.Everything();
    for (const Case& c : cases) {
        runtime.Defaults(c.value.empty() ? std::string() : "Window.Position=\"" + c.value + "\"\r\n");
        Start();
        Pump();
        EXPECT_TRUE(os::IsWindowShown(Handle())) << c.name;
        EXPECT_EQ(c.maximised, os::IsWindowMaximized(Handle())) << c.name;
        os::WindowPlacement p;
        ASSERT_TRUE(os::GetWindowPlacement(Handle(), p));
        EXPECT_EQ(c.applied, p.normalPosition == normal) << c.name;
        if (!c.applied) {
            EXPECT_EQ(1024, Video->ClientRect().Width()) << c.name;
        }
        ResetManagerRegistry();
    }
}

TEST_F(VideoManagerTest, LeavingAndReturningToWindowedModeKeepsThePlacement)
{
    runtime.Everything();
    Start();
    os::WindowPlacement p;
    p.normalPosition = {200, 150, 1240, 956};
    ASSERT_TRUE(os::SetWindowPlacement(Handle(), p));
    Pump();
    Video->SetDisplayMode(DISPLAY_FULLSCREEN_WINDOW);
    Pump();
    EXPECT_EQ(os::FullScreenMode::Desktop, os::GetWindowFullScreen(Handle()));
    std::unique_ptr<TQZMemory> saved = Settings->GetBytes("Window.Position");
    ASSERT_NE(nullptr, saved);
    EXPECT_EQ(os::EncodePlacement(p), std::vector<uint8_t>(saved->Data(), saved->Data() + saved->Size()));
    Video->SaveWindowPlacement();  // not windowed: nothing is saved
    Video->SetDisplayMode(DISPLAY_FULLSCREEN_WINDOW);  // the same mode: nothing
    Video->SetDisplayMode(DISPLAY_WINDOWED);
    Pump();
    EXPECT_EQ(os::FullScreenMode::Off, os::GetWindowFullScreen(Handle()));
    EXPECT_EQ((os::OsRect{200, 150, 1240, 956}), Outer());
}

struct Receiver : TResizeReceiver {
    std::vector<TQZRect> seen;
    void ClientResized(const TQZRect& client) override { seen.push_back(client); }
};

TEST_F(VideoManagerTest, TheResizeReceiverHearsOfTheClientAreaNowAndOnEveryResize)
{
    runtime.Everything();
    Start();
    Receiver receiver;
    Video->SetResizeReceiver(&receiver);
    ASSERT_EQ(1u, receiver.seen.size());
    EXPECT_EQ((TQZRect{0, 0, 1024, 768}), receiver.seen[0]);
    os::InjectInput(os::MakeInput(os::InputKind::Resized, Handle(), 1100, 800));
    Pump();
    ASSERT_FALSE(receiver.seen.empty());
    EXPECT_EQ((TQZRect{0, 0, 1100, 800}), receiver.seen.back());
    Video->SetResizeReceiver(nullptr);
}

TEST_F(VideoManagerTest, FramesArePaintedByTheRenderCallbackAndTimed)
{
    runtime.Everything();
    uint64_t now = 5000ull * 1000000ull;
    os::SetClockSource([&] { return now; });
    Start();
    int painted = 0;
    Video->renderCallback = [&] { ++painted; };
    Video->Redraw();
    Pump();
    EXPECT_EQ(1, painted);
    EXPECT_FALSE(os::IsWindowInvalidated(Handle()));
    now += 16ull * 1000000ull;
    Video->Redraw();
    Pump();
    EXPECT_EQ(2, painted);
    EXPECT_EQ(16, Video->FrameTime());
    Video->Redraw();  // no time passed
    Pump();
    EXPECT_EQ(3, painted);
    EXPECT_EQ(1, Video->FrameTime());
    Video->renderCallback = nullptr;
    os::SetClockSource(nullptr);
}

TEST_F(VideoManagerTest, CardsAreSizedByTheCurrentCardsetOrTheFallback)
{
    runtime.Everything();
    runtime.Write("Cardsets/Basic.cards", mediatest::TwoCardset("Basic", 0xFF204080, 71, 96));
    Start();
    EXPECT_EQ((TQZPoint{118, 159}), Video->CardSize());
    SetSetting("Cards.ForceSize", "true");
    EXPECT_EQ((TQZPoint{72, 96}), Video->CardSize());
}

using VideoManagerDeathTest = VideoManagerTest;

TEST_F(VideoManagerDeathTest, NoDeviceIsFatal)
{
    vqtest::ScopedEnv logToStderr(kLogToStderrVariable, "1");
    runtime.Everything();
    SetDirect3DMissing(true);
    EXPECT_EXIT(Start(), ::testing::ExitedWithCode(kFatalExitCode),
                "Unable to initialise video\\. Vantorel Qar requires a Direct3D9-compatible video card\\.");
    SetDirect3DMissing(false);
}

// ---------------------------------------------------------------- drawing

TEST(VideoDrawTest, PulseRisesFrom40To90AndBackEveryTwoSeconds)
{
    const std::pair<uint32_t, uint32_t> cases[] = {{0, 40},     {19, 40},  {20, 41},   {1000, 90},
                                                   {1019, 90},  {1500, 65}, {1999, 41}, {2000, 40},
                                                   {0xFFFFFFFF, 40 + 100 - (0xFFFFFFFFu % 2000) / 20}};
    for (auto [clock, alpha] : cases) EXPECT_EQ(alpha, TVideoDraw::PulseAlpha(clock)) << clock;
}

TEST(VideoDrawTest, TheCardShadowIsFourPiecesAroundTheCard)
{
    auto pieces = TVideoDraw::ShadowPieces({100, 80}, {10, 20}, {118, 159});
    ASSERT_EQ(4u, pieces.size());
    // dx = round(17 / 200 * 118) = 10, dy = round(15 / 200 * 159) = 12
    EXPECT_EQ((TQZRect{0, 0, 83, 65}), pieces[0].source);
    EXPECT_EQ((TQZRect{10, 20, 127, 178}), pieces[0].dest);
    EXPECT_EQ((TQZRect{83, 0, 100, 65}), pieces[1].source);
    EXPECT_EQ((TQZRect{127, 20, 138, 179}), pieces[1].dest);
    EXPECT_EQ((TQZRect{0, 65, 83, 80}), pieces[2].source);
    EXPECT_EQ((TQZRect{10, 178, 128, 191}), pieces[2].dest);
    EXPECT_EQ((TQZRect{83, 65, 100, 80}), pieces[3].source);
    EXPECT_EQ((TQZRect{128, 179, 138, 191}), pieces[3].dest);
}

TEST(VideoDrawTest, TheBackdropCoversTheRectangleKeepingItsProportions)
{
    EXPECT_EQ((TQZRect{50, 0, 150, 100}), TVideoDraw::CoverSource({200, 100}, {0, 0, 100, 100}));
    EXPECT_EQ((TQZRect{0, 75, 100, 125}), TVideoDraw::CoverSource({100, 200}, {0, 0, 200, 100}));
    EXPECT_EQ((TQZRect{0, 0, 64, 32}), TVideoDraw::CoverSource({64, 32}, {0, 0, 128, 64}));
    EXPECT_EQ((TQZRect{0, 0, 64, 32}), TVideoDraw::CoverSource({64, 32}, {0, 0, 0, 50})) << "an empty rectangle";
}

TEST(VideoDrawTest, BidIcons)
{
    EXPECT_EQ(6, TVideoDraw::BidIcon(MakeBid(SUIT_SPADES, 1)));
    EXPECT_EQ(7, TVideoDraw::BidIcon(BID_NOT_YET));
    EXPECT_EQ(2, TVideoDraw::BidIcon(MakeBid(SUIT_DIAMONDS, 7)));
    EXPECT_EQ(4, TVideoDraw::BidIcon(MakeBid(SUIT_NOTRUMPS, 8)));
}

class VideoDrawFrameTest : public VideoManagerTest {
protected:
    static uint32_t BackPixel(int32_t x, int32_t y)
    {
        std::shared_ptr<plat::softgpu::Surface> back;
        Direct3DDevice()->Device()->GetBackBuffer(0, 0, back);
        return back->PixelAt(x, y);
    }
    // One frame drawn with the function through the video manager's window.
    void Frame(std::function<void()> draw)
    {
        Video->renderCallback = [draw] {
            TQZVideo* v = GetVideo();
            if (v->BeginFrame() != QZRES_OK) return;
            v->Clear(0xFF808080);
            draw();
            (void)v->EndFrame();  // the presented frame the test reads shows whether it was drawn
            (void)v->Present();  // setup: what the test checks after it shows whether it took
        };
        Video->Redraw();
        for (int i = 0; i < 4; ++i) PumpFrame();
        Video->renderCallback = nullptr;
    }
};

TEST_F(VideoDrawFrameTest, CardsDrawTheirFaceOrTheBackAtTheCardSize)
{
    runtime.Everything();
    runtime.Write("Cardsets/Basic.cards", mediatest::TwoCardset("Basic", 0xFFC00000, 71, 96));
    Start();
    TQZPoint size = Video->CardSize();
    ASSERT_EQ((TQZPoint{118, 159}), size);
    Frame([] {
        Video->Draw()->DrawCard({10, 10}, 12, 0xFFFFFFFF, true);
        Video->Draw()->DrawCard({300, 10}, 12, 0xFFFFFFFF, false);
        Video->Draw()->DrawCard({600, 10}, 0, 0xFFFFFFFF, true);
    });
    EXPECT_EQ(0xFFC00000u, BackPixel(10, 10));
    EXPECT_EQ(0xFFC00000u, BackPixel(10 + size.x - 1, 10 + size.y - 1));
    EXPECT_EQ(0xFF808080u, BackPixel(10 + size.x, 10));
    EXPECT_EQ(0xFF0000C0u, BackPixel(300, 10));
    EXPECT_EQ(0xFF0000C0u, BackPixel(300 + size.x - 1, 10 + size.y - 1));
    EXPECT_EQ(0xFF808080u, BackPixel(600, 10)) << "card 0 is no card";
}

TEST_F(VideoDrawFrameTest, WithoutABackdropTheTableIsBlack)
{
    runtime.Everything();
    runtime.Write("Tables/Green.jpg", std::string("not a picture"));
    Start();
    Frame([] { Video->Draw()->DrawBackdrop(0xFFFFFFFF, {0, 0, 100, 100}); });
    EXPECT_EQ(0xFF000000u, BackPixel(50, 50));
    EXPECT_EQ(0xFF808080u, BackPixel(150, 50));
    TakeBoxes();
}

TEST_F(VideoDrawFrameTest, TheBackdropIsStretchedOrTiledBySetting)
{
    runtime.Everything();
    plat::imaging::Image img;
    (void)img.Allocate(64, 32, 0xFF00A000);  // setup: what the test checks after it shows whether it took
    for (int32_t y = 0; y < 32; ++y) img.SetPixel(0, y, 0xFFFF0000);  // a red left column
    std::vector<uint8_t> png;
    // Setup: what the test checks after it shows whether it took.
    (void)plat::imaging::EncodeImage(img, plat::imaging::EncodeFormat::Png, png);
    runtime.Write("Tables/Green.jpg", png);
    Start();
    Frame([] { Video->Draw()->DrawBackdrop(0xFFFFFFFF, {0, 0, 128, 64}); });
    EXPECT_EQ(0xFFFF0000u, BackPixel(1, 10)) << "stretched twice: two red columns";
    EXPECT_EQ(0xFF00A000u, BackPixel(2, 10));
    EXPECT_EQ(0xFF00A000u, BackPixel(127, 63));
    SetSetting("Video.Table.TileBelowSize", "64");
    Frame([] { Video->Draw()->DrawBackdrop(0xFFFFFFFF, {0, 0, 128, 64}); });
    EXPECT_EQ(0xFFFF0000u, BackPixel(0, 40));
    EXPECT_EQ(0xFF00A000u, BackPixel(1, 10));
    EXPECT_EQ(0xFFFF0000u, BackPixel(64, 10)) << "the second tile";
}

TEST_F(VideoDrawFrameTest, AnAnimatedTableMovesFromFrameToFrame)
{
    runtime.Everything();
    runtime.Write("Tables/Ripples.ice", vqbackdrop::Archive(mediatest::PngOf(16, 16, 0xFF808080)));
    runtime.Defaults("Video.Table=\"Ripples.ice\"\r\n");
    Start();
    ASSERT_NE(nullptr, Resources->GetBackdrop(1));
    EXPECT_FALSE(Resources->GetBackdrop(1)->Still());
    static uint32_t now = 1000;
    Video->Draw()->clock = [] { return now; };
    Frame([] { Video->Draw()->DrawBackdrop(0xFFFFFFFF, {0, 0, 200, 100}); });
    const uint32_t early = BackPixel(100, 50);
    EXPECT_EQ(0xFF808080u, BackPixel(250, 50)) << "only the rectangle";
    now = 4000;
    Frame([] { Video->Draw()->DrawBackdrop(0xFFFFFFFF, {0, 0, 200, 100}); });
    EXPECT_NE(early, BackPixel(100, 50));
    EXPECT_GT((BackPixel(100, 50) >> 8) & 0xFF, (BackPixel(100, 50) >> 16) & 0xFF) << "a green cloth";
    EXPECT_DOUBLE_EQ(4.0, Resources->GetBackdrop(1)->lastSeconds);
}

}  // namespace
