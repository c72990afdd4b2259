#include "d3dtestutil.h"

#include "qz7surface.h"
#include "qz7videochoice.h"
#include "qz7videogdi.h"
#include "qz7videowindow.h"

#include <stdexcept>

namespace sg = plat::softgpu;
using d3dtest::TestImage;
using d3dtest::kUntouched;

namespace {

class VideoTest : public d3dtest::D3DFixture {
protected:
    TQZVideo* video = nullptr;
    TQZHeadlessVideoWindow* window = nullptr;

    void SetUp() override
    {
        D3DFixture::SetUp();
        video = GetVideo();
        ASSERT_NE(nullptr, video);
        auto w = std::make_unique<TQZHeadlessVideoWindow>(0, 0);
        window = w.get();
        ASSERT_EQ(QZRES_OK, video->SetMode(128, 96, std::move(w), QZWINDOW_WINDOWED, 0));
    }

    // Runs one frame drawing with the function given.
    template <class F> bool Frame(F draw)
    {
        static std::function<void(TQZVideo*)> current;
        current = draw;
        video->drawProc = [](TQZVideo* v) { current(v); };
        return video->Redraw();
    }
};

}  // namespace

TEST_F(VideoTest, SetModeMakesTheDeviceAndShowsTheWindow)
{
    EXPECT_TRUE(video->IsReady());
    EXPECT_EQ((TQZPoint{128, 96}), video->GetSize());
    EXPECT_TRUE(window->shown);
    EXPECT_EQ(QZVIDEO_BACKEND_DX9, video->BackEndKind());
    EXPECT_EQ(128, video->GetRenderCache()->QuadCapacity());
    EXPECT_TRUE(video->GetRenderCache()->Immediate());
}

TEST_F(VideoTest, SetModeWithoutASizeTakesTheWorkAreaAndMaximises)
{
    auto w = std::make_unique<TQZHeadlessVideoWindow>(0, 0);
    TQZHeadlessVideoWindow* raw = w.get();
    ASSERT_EQ(QZRES_OK, video->SetMode(0, 0, std::move(w), QZWINDOW_WINDOWED, 0));
    EXPECT_TRUE(raw->maximised);
    EXPECT_EQ(GetMaxClientSize(QZWS_SIZING | QZWS_MAXBOX).x, video->GetWidth());
    EXPECT_GT(video->GetWidth(), 0);
    EXPECT_TRUE(video->Flags() & QZVIDEO_MAXIMISE);
}

TEST_F(VideoTest, FullScreenWithoutANearModeFailsWithOne)
{
    sg::SetDisplayInfoSource([] {
        sg::DisplayInfo info;
        info.desktop = {9000, 9000, 60, sg::kFormatX8R8G8B8};
        info.modes = {{9000, 9000, 60, sg::kFormatX8R8G8B8}};
        return info;
    });
    Direct3D()->RefreshCaps();
    EXPECT_EQ(QZRES_FAILED, video->SetMode(1024, 768, nullptr, QZWINDOW_FULLSCREEN, 0));
    EXPECT_EQ(nullptr, video->Window());
}

TEST_F(VideoTest, RedrawRunsOneFrameAndRefusesToNest)
{
    EXPECT_FALSE(video->Redraw());  // no draw callback
    int calls = 0;
    bool nested = false;
    EXPECT_TRUE(Frame([&](TQZVideo* v) {
        ++calls;
        EXPECT_EQ(v, CurrentVideo());
        EXPECT_TRUE(v->InFrame());
        nested = v->Redraw();
        v->Clear(0xFF102030);
        v->FillRect({10, 10, 20, 20}, 0xFFFF0000);
    }));
    EXPECT_EQ(1, calls);
    EXPECT_TRUE(nested);
    EXPECT_EQ(nullptr, CurrentVideo());
    EXPECT_FALSE(video->InFrame());
    EXPECT_EQ(0xFFFF0000u, BackPixel(10, 10));
    EXPECT_EQ(0xFFFF0000u, BackPixel(19, 19));
    EXPECT_EQ(0xFF102030u, BackPixel(20, 20));
    EXPECT_EQ(1, Direct3DDevice()->Device()->PresentCount());
}

TEST_F(VideoTest, PaintRequestsDrawOnlyInRepaintModeZero)
{
    int calls = 0;
    static int* counter;
    counter = &calls;
    video->drawProc = [](TQZVideo*) { ++*counter; };
    video->Repaint();
    EXPECT_TRUE(window->invalid);
    EXPECT_EQ(0, calls);
    window->onPaint();
    EXPECT_EQ(1, calls);
    EXPECT_FALSE(window->invalid);
    video->repaintMode = 1;
    window->onPaint();
    EXPECT_EQ(1, calls);
    video->Repaint();
    EXPECT_EQ(2, calls);
}

TEST_F(VideoTest, GradientCornersFollowTheirKind)
{
    const uint32_t c1 = 0xFFFFFFFF, c2 = 0xFF000000;
    Frame([&](TQZVideo* v) {
        v->FillGradient({0, 0, 100, 90}, c1, QZGRADIENT_CENTRE, c2);
        v->FillGradient({100, 0, 128, 40}, c1, 0, c2);
        v->FillGradient({100, 40, 128, 90}, c1, 3, c2);
    });
    // Kind 10: colour 1 in each outer corner, colour 2 at the centre.
    for (auto p : {TQZPoint{0, 0}, TQZPoint{99, 0}, TQZPoint{0, 89}, TQZPoint{99, 89}})
        EXPECT_GE(Channel(BackPixel(p.x, p.y), 0), 235) << p.x << "," << p.y;
    EXPECT_LE(Channel(BackPixel(50, 45), 0), 12);
    EXPECT_LE(Channel(BackPixel(49, 44), 0), 12);
    // Quarters meet without gaps: every pixel got drawn (opaque).
    for (int32_t y = 0; y < 90; ++y)
        for (int32_t x = 0; x < 100; ++x) ASSERT_EQ(0xFFu, BackPixel(x, y) >> 24) << x << "," << y;
    // Kind 0: colour 1 on the left.
    EXPECT_GE(Channel(BackPixel(100, 20), 0), 240);
    EXPECT_LE(Channel(BackPixel(127, 20), 0), 15);
    // Kind 3: colour 1 along the top-right to bottom-left diagonal.
    EXPECT_GE(Channel(BackPixel(127, 40), 0), 230);
    EXPECT_GE(Channel(BackPixel(100, 89), 0), 230);
    EXPECT_LE(Channel(BackPixel(100, 40), 0), 25);
    EXPECT_EQ(QZRES_VIDEO_NOTSUPPORTED, video->FillGradient({0, 0, 10, 10}, c1, 11, c2));
}

TEST_F(VideoTest, BaseGradientSplitsIntoHalvesAndQuarters)
{
    // A back end that records the gradient calls the base makes.
    struct Recorder : TQZVideoDX9 {
        std::vector<std::pair<TQZRect, int32_t>> calls;
        int32_t FillGradient(const TQZRect& r, TQZColour c1, int32_t kind, TQZColour c2) override
        {
            if (kind >= 8) return TQZVideo::FillGradient(r, c1, kind, c2);
            calls.push_back({r, kind});
            return QZRES_OK;
        }
    } rec;
    rec.FillGradient({0, 0, 100, 100}, 1, 10, 2);
    ASSERT_EQ(4u, rec.calls.size());
    EXPECT_EQ((TQZRect{0, 0, 50, 50}), rec.calls[0].first);
    EXPECT_EQ(4, rec.calls[0].second);
    EXPECT_EQ((TQZRect{50, 50, 100, 100}), rec.calls[3].first);
    EXPECT_EQ(7, rec.calls[3].second);
    rec.calls.clear();
    rec.FillGradient({0, 0, 101, 10}, 1, 8, 2);
    ASSERT_EQ(2u, rec.calls.size());
    EXPECT_EQ((TQZRect{50, 0, 101, 10}), rec.calls[1].first);
}

TEST_F(VideoTest, ClipsNestAndLimitDrawing)
{
    Frame([&](TQZVideo* v) {
        v->PushClip({10, 10, 50, 50});
        v->PushClip({30, 30, 80, 80});
        EXPECT_EQ((TQZRect{30, 30, 50, 50}), v->GetClipRect());
        v->FillRect({0, 0, 128, 96}, 0xFF00FF00);
        v->PopClip();
        v->FillRect({0, 60, 128, 96}, 0xFFFF0000);  // outside the outer clip
        v->FillRect({0, 0, 128, 12}, 0xFF0000FF);
        v->PopClip();
        EXPECT_EQ((TQZRect{}), v->GetClipRect());
        v->FillRect({120, 90, 128, 96}, 0xFFFFFFFF);
    });
    EXPECT_EQ(0xFF00FF00u, BackPixel(30, 30));
    EXPECT_EQ(0xFF00FF00u, BackPixel(49, 49));
    EXPECT_EQ(kUntouched, BackPixel(50, 49));
    EXPECT_EQ(kUntouched, BackPixel(29, 35));
    EXPECT_EQ(kUntouched, BackPixel(20, 70));
    EXPECT_EQ(0xFF0000FFu, BackPixel(10, 10));
    EXPECT_EQ(kUntouched, BackPixel(9, 10));
    EXPECT_EQ(0xFFFFFFFFu, BackPixel(127, 95));
}

TEST_F(VideoTest, InvertLinesFramesAndTriangles)
{
    Frame([&](TQZVideo* v) {
        v->Clear(0xFF000000);
        v->FillRect({0, 0, 10, 10}, 0xFFFFFFFF);
        v->InvertRect({0, 0, 20, 10});
        v->DrawLine({30, 5}, {20, 5}, 0xFFFF0000, 0xFFFF0000, 2);  // right to left: reordered
        v->DrawLine({40, 30}, {40, 20}, 0xFF00FF00, 0xFF00FF00, 3);  // steep, upwards
        v->DrawFrame({50, 50, 70, 70}, 0xFFFF0000, 2, 0xFF0000FF);
        v->FillTriangle({{80, 10}, {100, 10}, {80, 30}}, 0xFFFFFF00);
        EXPECT_EQ(QZRES_BADARG, v->FillTriangle({{0, 0}, {1, 1}}, 0xFFFFFFFF));
    });
    EXPECT_EQ(0x00000000u, BackPixel(5, 5) & 0x00FFFFFF);  // white became black
    EXPECT_EQ(0x00FFFFFFu, BackPixel(15, 5) & 0x00FFFFFF);  // black became white
    EXPECT_EQ(0xFFFF0000u, BackPixel(20, 5));
    EXPECT_EQ(0xFFFF0000u, BackPixel(29, 6));
    EXPECT_NE(0xFFFF0000u, BackPixel(30, 5));
    EXPECT_NE(0xFFFF0000u, BackPixel(25, 7));
    EXPECT_EQ(0xFF00FF00u, BackPixel(40, 20));
    EXPECT_EQ(0xFF00FF00u, BackPixel(42, 29));
    EXPECT_NE(0xFF00FF00u, BackPixel(43, 25));
    EXPECT_EQ(0xFFFF0000u, BackPixel(50, 50));  // top and left in colour 1
    EXPECT_EQ(0xFFFF0000u, BackPixel(51, 69));
    EXPECT_EQ(0xFF0000FFu, BackPixel(69, 52));  // right and bottom in colour 2
    EXPECT_EQ(0xFF0000FFu, BackPixel(60, 68));
    EXPECT_EQ(0xFF000000u, BackPixel(60, 60));
    EXPECT_EQ(0xFFFFFF00u, BackPixel(81, 11));
    EXPECT_NE(0xFFFFFF00u, BackPixel(99, 29));
}

TEST_F(VideoTest, DrawingIntoARenderTargetAndThenFromIt)
{
    TestImage target(16, 16, true);
    Frame([&](TQZVideo* v) {
        ASSERT_EQ(QZRES_OK, v->SetRenderTarget(&target));
        EXPECT_EQ(&target, v->GetRenderTarget());
        v->FillRect({0, 0, 16, 16}, 0xFF0000FF);
        v->FillRect({4, 4, 8, 8}, 0xFFFFFF00);
        EXPECT_EQ(QZRES_OK, v->SetRenderTarget(nullptr));
        TQZRenderCache* c = v->GetRenderCache();
        c->SetTexture(&target);
        c->AddQuad({40, 40, 72, 72}, 0xFFFFFFFF, {0, 0, 1, 1});  // twice the size
    });
    EXPECT_EQ(kUntouched, BackPixel(4, 4));  // nothing reached the back buffer directly
    EXPECT_EQ(0xFF0000FFu, BackPixel(40, 40));
    EXPECT_EQ(0xFFFFFF00u, BackPixel(48, 48));
    EXPECT_EQ(0xFFFFFF00u, BackPixel(55, 55));
    EXPECT_EQ(0xFF0000FFu, BackPixel(56, 56));
    EXPECT_EQ(0xFF0000FFu, BackPixel(71, 71));
}

TEST_F(VideoTest, ExceptionWhilePaintingIsRaisedAtTheNextPump)
{
    Frame([](TQZVideo*) { throw std::runtime_error("boom"); });
    EXPECT_FALSE(video->InFrame());
    try {
        PumpFrame();
        FAIL() << "no exception";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string("boom") + QZPAINT_EXCEPTION_NOTE, e.what());
    }
    EXPECT_NO_THROW(PumpFrame());  // raised once
    // Drawing at once lets the exception through, and the frame is over.
    video->repaintMode = 1;
    EXPECT_THROW(Frame([](TQZVideo*) { throw std::runtime_error("now"); }), std::runtime_error);
    EXPECT_FALSE(video->InFrame());
    EXPECT_EQ(nullptr, CurrentVideo());
    EXPECT_TRUE(Frame([](TQZVideo* v) { v->Clear(0xFF00FF00); }));
    EXPECT_EQ(0xFF00FF00u, BackPixel(0, 0));
}

TEST_F(VideoTest, FramesSurviveDeviceLoss)
{
    TestImage target(8, 8, true);
    auto draw = [](TQZVideo* v) { v->Clear(0xFF445566); };
    EXPECT_TRUE(Frame(draw));
    Direct3DDevice()->Device()->SimulateDeviceLoss();
    EXPECT_TRUE(Frame(draw));  // Present finds the loss: listeners release their memory
    EXPECT_EQ(nullptr, target.texture);
    EXPECT_FALSE(Frame(draw));  // still lost: the frame is skipped
    EXPECT_TRUE(Frame([](TQZVideo* v) { v->Clear(0xFF112233); }));  // reset, drawn
    EXPECT_NE(nullptr, target.texture);
    EXPECT_EQ(0xFF112233u, BackPixel(3, 3));
}

TEST_F(VideoTest, ResizingResetsTheDeviceToTheNewClientSize)
{
    int resized = 0;
    static int* counter;
    counter = &resized;
    video->resizeProc = [](TQZVideo*) { ++*counter; };
    window->UserResize(200, 150);
    EXPECT_EQ(1, resized);
    EXPECT_EQ((TQZPoint{200, 150}), video->GetSize());
    std::shared_ptr<sg::Surface> back;
    Direct3DDevice()->Device()->GetBackBuffer(0, 0, back);
    EXPECT_EQ(200, back->Width());
    EXPECT_EQ(QZRES_OK, video->SetWindowStyle(300, 200, QZWINDOW_BORDERLESS));
    EXPECT_EQ(300, video->GetWidth());
    EXPECT_EQ(QZWINDOW_BORDERLESS, window->windowKind);
}

TEST_F(VideoTest, SelectedCacheRecordsAndReplaysIntoTheFrame)
{
    auto widgetCache = TQZRenderCache::Create(64);
    widgetCache->growable = true;
    Frame([&](TQZVideo* v) {
        v->SelectRenderCache(widgetCache.get());
        v->FillRect({0, 0, 8, 8}, 0xFFFF00FF);
        v->SelectRenderCache(nullptr);
    });
    EXPECT_EQ(kUntouched, BackPixel(2, 2));  // recorded, not drawn
    EXPECT_FALSE(widgetCache->Commands().empty());
    Frame([&](TQZVideo*) { widgetCache->Replay(); });
    EXPECT_EQ(0xFFFF00FFu, BackPixel(2, 2));
    EXPECT_EQ(0xFFFF00FFu, BackPixel(7, 7));
}

TEST_F(VideoTest, UnitsBelowTheVideoSeeTheRunningFramesCacheAndTarget)
{
    auto widgetCache = TQZRenderCache::Create(64);
    EXPECT_EQ(nullptr, CurrentRenderCache());
    Frame([&](TQZVideo* v) {
        EXPECT_EQ(static_cast<TQZVideoFrame*>(v), RunningFrame());
        EXPECT_EQ(v->GetRenderCache(), CurrentRenderCache());
        v->SelectRenderCache(widgetCache.get());  // asked afresh, not kept from BeginFrame
        EXPECT_EQ(widgetCache.get(), CurrentRenderCache());
        v->SelectRenderCache(nullptr);
        EXPECT_EQ(dynamic_cast<TQZSurface*>(v->GetRenderTarget()), ScreenSurface());
    });
    EXPECT_EQ(nullptr, RunningFrame());
    EXPECT_EQ(nullptr, CurrentRenderCache());
}

TEST_F(VideoTest, StatisticsPanelShowsFourLines)
{
    static std::vector<std::string> lines;
    lines.clear();
    SetStatisticsTextProc([](TQZVideo*, const TQZRect&, const std::string& text) { lines.push_back(text); });
    ShowVideoStatistics = true;
    Frame([](TQZVideo* v) {
        v->FillRect({0, 0, 4, 4}, 0xFFFF0000);
        v->FillRect({4, 0, 8, 4}, 0xFFFF0000);  // flushes the first: one draw call so far
    });
    ShowVideoStatistics = false;
    SetStatisticsTextProc(nullptr);
    EXPECT_EQ(0xFF000000u, BackPixel(127, 95));  // the black rim at the bottom
    EXPECT_EQ(0xFFFFFFFFu, BackPixel(100, 10));  // white: draw calls were counted
    ASSERT_EQ(4u, lines.size());
    EXPECT_NE(std::string::npos, lines[0].find("fps"));
    EXPECT_NE(std::string::npos, lines[1].find("% CPU busy"));
    EXPECT_NE(std::string::npos, lines[2].find(" draw calls"));
    EXPECT_NE(std::string::npos, lines[3].find(" tri/s"));
}

TEST_F(VideoTest, TheMainWindowPaintsResizesAndShowsPresentedFrames)
{
    ASSERT_EQ(QZRES_OK, video->SetMode(96, 64, nullptr, QZWINDOW_WINDOWED, 0));
    auto* main = dynamic_cast<TQZVideoWindow*>(video->Window());
    ASSERT_NE(nullptr, main);
    EXPECT_EQ((TQZPoint{96, 64}), video->GetSize());
    static int paints;
    paints = 0;
    video->drawProc = [](TQZVideo* v) {
        ++paints;
        v->Clear(0xFF336699);
    };
    video->Repaint();  // invalidates: the frame runs from the paint message
    for (int i = 0; i < 3 && paints == 0; ++i) PumpFrame();
    EXPECT_EQ(1, paints);
    std::vector<uint32_t> pixels;
    int32_t w = 0, h = 0;
    ASSERT_TRUE(plat::os::ReadPresentedFrame(main->OsHandle(), pixels, w, h));
    EXPECT_EQ(96, w);
    EXPECT_EQ(64, h);
    EXPECT_EQ(0xFF336699u, pixels[0]);
    plat::os::InjectInput(plat::os::MakeInput(plat::os::InputKind::Resized, main->OsHandle(), 120, 80));
    for (int i = 0; i < 3 && video->GetWidth() != 120; ++i) PumpFrame();
    EXPECT_EQ((TQZPoint{120, 80}), video->GetSize());
    // Borderless: a popup of the size asked for, and the device follows.
    EXPECT_EQ(QZRES_OK, video->SetWindowStyle(200, 150, QZWINDOW_BORDERLESS));
    EXPECT_TRUE(main->MainWindow()->Flags() & QZWS_POPUP);
    EXPECT_EQ((TQZPoint{200, 150}), main->MainWindow()->GetClientSize());
    EXPECT_EQ((TQZPoint{200, 150}), video->GetSize());
}

TEST_F(VideoTest, BackEndChoiceAndAWindowThatCannotBeMade)
{
    VideoBackEnd = QZVIDEO_BACKEND_GDI;
    TQZVideo* gdiVideo = GetVideo();
    ASSERT_NE(nullptr, gdiVideo);
    EXPECT_EQ(gdiVideo, GetVideoGDI());
    EXPECT_NE(video, gdiVideo);
    VideoBackEnd = 7;
    EXPECT_EQ(nullptr, GetVideo());
    VideoBackEnd = QZVIDEO_BACKEND_DX9;
    SetCreateVideoWindowProc([](int32_t, int32_t, int32_t, uint32_t) -> std::unique_ptr<TQZVideoWindowBase> {
        return nullptr;
    });
    EXPECT_EQ(QZRES_FAILED, video->SetMode(64, 48, nullptr, QZWINDOW_WINDOWED, 0));
    SetCreateVideoWindowProc(nullptr);
    EXPECT_EQ(QZRES_OK, video->SetMode(64, 48, CreateHeadlessVideoWindow(64, 48, 0, 0), QZWINDOW_WINDOWED, 0));
    EXPECT_EQ(64, video->GetWidth());
}

TEST_F(VideoTest, BorderlessAndFullScreenKindsTakeTheWindowSystemsFullScreenModes)
{
    namespace os = plat::os;
    ASSERT_EQ(QZRES_OK, video->SetMode(96, 64, nullptr, QZWINDOW_WINDOWED, 0));
    auto* main = dynamic_cast<TQZVideoWindow*>(video->Window());
    ASSERT_NE(nullptr, main);
    EXPECT_EQ(os::FullScreenMode::Off, os::GetWindowFullScreen(main->OsHandle()));
    TQZPoint screen = GetScreenSize();
    ASSERT_EQ(QZRES_OK, video->SetWindowStyle(screen.x, screen.y, QZWINDOW_BORDERLESS));
    EXPECT_EQ(os::FullScreenMode::Desktop, os::GetWindowFullScreen(main->OsHandle()));
    EXPECT_EQ(screen, main->MainWindow()->GetClientSize());
    ASSERT_EQ(QZRES_OK, video->SetWindowStyle(screen.x, screen.y, QZWINDOW_FULLSCREEN));
    EXPECT_EQ(os::FullScreenMode::Exclusive, os::GetWindowFullScreen(main->OsHandle()));
    // A borderless window smaller than the screen is no full screen at all.
    ASSERT_EQ(QZRES_OK, video->SetWindowStyle(200, 150, QZWINDOW_BORDERLESS));
    EXPECT_EQ(os::FullScreenMode::Off, os::GetWindowFullScreen(main->OsHandle()));
    EXPECT_EQ((TQZPoint{200, 150}), main->MainWindow()->GetClientSize());
    ASSERT_EQ(QZRES_OK, video->SetWindowStyle(320, 200, QZWINDOW_WINDOWED));
    EXPECT_EQ(os::FullScreenMode::Off, os::GetWindowFullScreen(main->OsHandle()));
    EXPECT_EQ((TQZPoint{320, 200}), main->MainWindow()->GetClientSize());
    EXPECT_FALSE(main->MainWindow()->Flags() & QZWS_POPUP);
}
