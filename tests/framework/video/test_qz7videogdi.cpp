#include "qz7surface.h"
#include "qz7videochoice.h"
#include "qz7videogdi.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

// The device-context back end alone: no Direct3D device is made.
class VideoGDITest : public ::testing::Test {
protected:
    TQZVideoGDI* video = nullptr;

    void SetUp() override
    {
        FrameworkStart("Test");
        video = GetVideoGDI();
        ASSERT_NE(nullptr, video);
        ASSERT_EQ(QZRES_OK, video->SetMode(64, 48, std::make_unique<TQZHeadlessVideoWindow>(0, 0), 0, 0));
    }
    void TearDown() override
    {
        VideoBackEnd = QZVIDEO_BACKEND_DX9;
        FrameworkStop();
    }

    // One frame on a white window, drawn with the function.
    bool Frame(const std::function<void(TQZVideo*)>& draw)
    {
        static std::function<void(TQZVideo*)> current;
        current = draw;
        video->drawProc = [](TQZVideo* v) {
            v->FillRect({0, 0, 64, 48}, 0xFFFFFFFF);
            current(v);
        };
        return video->Redraw();
    }
    uint32_t Shown(int32_t x, int32_t y) const { return video->WindowSurface()->BitmapPixels()->Pixel(x, y); }
};

}  // namespace

TEST_F(VideoGDITest, FramesAreDrawnOnlyWhenColourOneHasAlpha)
{
    struct Case {
        TQZColour colour1;
        bool drawn;
    };
    const Case cases[] = {
        {0xFFFF0000, true},
        {0x80FF0000, true},   // above 0x7FFFFFFF: the compare is unsigned
        {0x01000000, true},   // the smallest value with alpha
        {0x00FFFFFF, false},  // alpha 0 draws nothing, not even colour 2's edges
        {0x00000000, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.colour1);
        ASSERT_TRUE(Frame([&](TQZVideo* v) { EXPECT_EQ(QZRES_OK, v->DrawFrame({10, 10, 30, 30}, c.colour1, 2, 0xFF0000FF)); }));
        const uint32_t top = Shown(20, 10), left = Shown(10, 20), right = Shown(29, 20), bottom = Shown(20, 29);
        if (c.drawn) {
            EXPECT_EQ(0xFF000000u | c.colour1, top);
            EXPECT_EQ(0xFF000000u | c.colour1, left);
            EXPECT_EQ(0xFF0000FFu, right);
            EXPECT_EQ(0xFF0000FFu, bottom);
        } else {
            for (uint32_t p : {top, left, right, bottom}) EXPECT_EQ(0xFFFFFFFFu, p);
        }
        EXPECT_EQ(0xFFFFFFFFu, Shown(20, 20));  // the inside stays
    }
}

TEST_F(VideoGDITest, TheRunningFrameIsWhatSurfacesDrawOn)
{
    EXPECT_EQ(nullptr, RunningFrame());
    EXPECT_EQ(nullptr, ScreenSurface());
    Frame([&](TQZVideo* v) {
        EXPECT_EQ(v, CurrentVideo());
        EXPECT_EQ(static_cast<TQZVideoFrame*>(v), RunningFrame());
        EXPECT_EQ(nullptr, CurrentRenderCache());  // no render cache under GDI
        TQZSurface* screen = ScreenSurface();
        ASSERT_NE(nullptr, screen);
        EXPECT_EQ(video->BackBufferSurface(), screen);
        // A surface drawn to the screen lands in the frame's back buffer.
        VideoBackEnd = QZVIDEO_BACKEND_GDI;
        auto green = CreateSurface(4, 4, 0, QZSURFACE_VIDEO);
        ASSERT_TRUE(green);
        green->Clear(0xFF00FF00);
        EXPECT_EQ(QZRES_OK, green->DrawToScreenAt({40, 40, 44, 44}, {0, 0, 4, 4}));
    });
    EXPECT_EQ(nullptr, RunningFrame());
    EXPECT_EQ(nullptr, CurrentVideo());
    EXPECT_EQ(0xFF00FF00u, Shown(41, 41));
}

TEST_F(VideoGDITest, TheBackEndChoiceDecidesSurfaceKindsWithoutAVideoObject)
{
    // The choice is read below the video layer: no device and no frame needed.
    const int32_t kinds[] = {QZSURFACE_SYSMEM, QZSURFACE_VIDEO, QZSURFACE_MIRROR, QZSURFACE_RENDERTARGET,
                             QZSURFACE_BITMAP};
    for (int32_t kind : kinds) {
        SCOPED_TRACE(kind);
        VideoBackEnd = QZVIDEO_BACKEND_GDI;
        auto s = CreateSurface(4, 4, 0, kind);
        ASSERT_TRUE(s);
        EXPECT_EQ(QZSURFACE_BITMAP, s->Kind());
        VideoBackEnd = QZVIDEO_BACKEND_DX9;  // device kinds need the device, which is missing here
        EXPECT_FALSE(CreateSurface(4, 4, 0, kind));
    }
    VideoBackEnd = QZVIDEO_BACKEND_GDI;
    EXPECT_EQ(static_cast<TQZVideo*>(video), GetVideo());
}
