// Placement records and full-screen modes, headless and on SDL's dummy video.
#include "osWindow.h"
#include "testutil.h"

#include <SDL.h>
#include <gtest/gtest.h>

namespace os = plat::os;

namespace {

std::vector<uint8_t> Record(std::initializer_list<int32_t> fields)
{
    std::vector<uint8_t> b;
    for (int32_t v : fields)
        for (int i = 0; i < 4; ++i) b.push_back(uint8_t(uint32_t(v) >> (8 * i)));
    return b;
}

TEST(PlacementRecordTest, EncodesTheSystemsFieldOrder)
{
    os::WindowPlacement p;
    p.flags = 2;
    p.showCommand = os::kShowMaximized;
    p.minPosition = {-1, -1};
    p.maxPosition = {-8, -8};
    p.normalPosition = {100, 50, 1124, 818};
    std::vector<uint8_t> b = os::EncodePlacement(p);
    EXPECT_EQ(b, Record({44, 2, 3, -1, -1, -8, -8, 100, 50, 1124, 818}));
    os::WindowPlacement back;
    ASSERT_TRUE(os::DecodePlacement(b.data(), b.size(), back));
    EXPECT_EQ(back, p);
}

TEST(PlacementRecordTest, OnlyA44ByteRecordThatSaysSoIsRead)
{
    const std::vector<uint8_t> good = Record({44, 0, 1, -1, -1, -1, -1, 10, 10, 500, 400});
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        bool ok;
    };
    std::vector<uint8_t> shortRecord(good.begin(), good.end() - 1), longRecord = good;
    longRecord.push_back(0);
    const Case cases[] = {
        {"the record", good, true},
        {"length field 40", Record({40, 0, 1, -1, -1, -1, -1, 10, 10, 500, 400}), false},
        {"length field 0", Record({0, 0, 1, -1, -1, -1, -1, 10, 10, 500, 400}), false},
        {"43 bytes", shortRecord, false},
        {"45 bytes", longRecord, false},
        {"empty", {}, false},
        {"four bytes saying 44", Record({44}), false},
    };
    for (const Case& c : cases) {
        os::WindowPlacement p;
        EXPECT_EQ(c.ok, os::DecodePlacement(c.bytes.data(), c.bytes.size(), p)) << c.name;
    }
}

class PlacementTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        os::SelectWindowBackEnd(os::WindowBackEnd::Headless);
        os::DisplayInfo one, two;
        one.bounds = {0, 0, 1920, 1080};
        one.workArea = {0, 0, 1920, 1040};
        two.bounds = {1920, 0, 3200, 1024};
        two.workArea = {1920, 0, 3200, 1024};
        os::SetHeadlessDisplays({one, two});
        os::WindowCreation c;
        c.title = "T";
        c.style = os::kStyleCaption | os::kStyleSizingFrame;
        c.x = 40;
        c.y = 30;
        c.width = 640;
        c.height = 480;
        window = os::CreateNativeWindow(c, [](const os::WindowMessage& m) { return os::DefaultWindowProcedure(m); });
        ASSERT_NE(window, 0u);
        Drain();
    }
    void TearDown() override { os::ResetWindowSystem(); }
    void Drain()
    {
        os::WindowMessage m;
        while (os::PeekWindowMessage(m)) os::DispatchWindowMessage(m);
    }
    os::OsRect Outer()
    {
        os::OsRect r;
        os::GetWindowRect(window, r);
        return r;
    }
    os::WindowPlacement At(os::OsRect normal, uint32_t show = os::kShowNormal)
    {
        os::WindowPlacement p;
        p.showCommand = show;
        p.normalPosition = normal;
        return p;
    }
    os::WindowHandle window = 0;
};

TEST_F(PlacementTest, NormalAndMaximisedPlacementsComeBackAsSaved)
{
    ASSERT_TRUE(os::SetWindowPlacement(window, At({200, 100, 1224, 868})));
    Drain();
    EXPECT_EQ(Outer(), (os::OsRect{200, 100, 1224, 868}));
    EXPECT_FALSE(os::IsWindowMaximized(window));
    os::WindowPlacement got;
    ASSERT_TRUE(os::GetWindowPlacement(window, got));
    EXPECT_EQ(got.showCommand, os::kShowNormal);
    EXPECT_EQ(got.normalPosition, (os::OsRect{200, 100, 1224, 868}));

    ASSERT_TRUE(os::SetWindowPlacement(window, At({2000, 50, 2800, 650}, os::kShowMaximized)));
    Drain();
    EXPECT_TRUE(os::IsWindowMaximized(window));
    ASSERT_TRUE(os::GetWindowPlacement(window, got));
    EXPECT_EQ(got.showCommand, os::kShowMaximized);
    EXPECT_EQ(got.normalPosition, (os::OsRect{2000, 50, 2800, 650})) << "the rectangle to restore";

    // Back to a normal placement from the maximised one.
    ASSERT_TRUE(os::SetWindowPlacement(window, At({10, 10, 810, 610})));
    Drain();
    EXPECT_FALSE(os::IsWindowMaximized(window));
    EXPECT_EQ(Outer(), (os::OsRect{10, 10, 810, 610}));
}

TEST_F(PlacementTest, APlacementOffEveryDisplayOrWithoutASizeIsRefused)
{
    const os::OsRect before = Outer();
    const os::OsRect refused[] = {
        {-3000, 100, -2000, 700},   // left of every display
        {100, 1040, 900, 1600},     // below the first display's work area, beside none
        {3200, 0, 4000, 600},       // just right of the second display
        {500, 500, 500, 900},       // no width
        {500, 500, 900, 400},       // upside down
        {INT32_MAX - 1, 0, INT32_MIN + 5, 600},  // a width that wraps 32 bits
        {INT32_MIN, 0, INT32_MAX, 600},          // covers the display, but no screen is that wide
        {100, -40000, 900, 600},                 // beyond the 16-bit coordinates of window messages
    };
    for (const os::OsRect& r : refused)
        EXPECT_FALSE(os::SetWindowPlacement(window, At(r))) << r.left << "," << r.top << "," << r.right << "," << r.bottom;
    Drain();
    EXPECT_EQ(Outer(), before);
    // A rectangle that only partly overlaps the second display is fine.
    EXPECT_TRUE(os::SetWindowPlacement(window, At({3000, 900, 3800, 1500})));
}

TEST_F(PlacementTest, FullScreenCoversTheWindowsDisplay)
{
    EXPECT_EQ(os::GetWindowFullScreen(window), os::FullScreenMode::Off);
    (void)os::SetWindowStyle(window, os::kStylePopup, 0);  // setup: what the test checks after it shows whether it took
    ASSERT_TRUE(os::SetWindowFullScreen(window, os::FullScreenMode::Desktop));
    EXPECT_EQ(os::GetWindowFullScreen(window), os::FullScreenMode::Desktop);
    EXPECT_EQ(Outer(), (os::OsRect{0, 0, 1920, 1080}));
    os::OsRect client;
    os::GetClientRect(window, client);
    EXPECT_EQ(client, (os::OsRect{0, 0, 1920, 1080}));
    ASSERT_TRUE(os::SetWindowFullScreen(window, os::FullScreenMode::Exclusive));
    EXPECT_EQ(os::GetWindowFullScreen(window), os::FullScreenMode::Exclusive);
    ASSERT_TRUE(os::SetWindowFullScreen(window, os::FullScreenMode::Off));
    EXPECT_EQ(os::GetWindowFullScreen(window), os::FullScreenMode::Off);
    EXPECT_FALSE(os::SetWindowFullScreen(0, os::FullScreenMode::Desktop));
}

class SdlPlacementTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        os::SelectWindowBackEnd(os::WindowBackEnd::Sdl);
        if (os::ActiveWindowBackEnd() != os::WindowBackEnd::Sdl) GTEST_SKIP() << "SDL's dummy video is missing";
        os::WindowCreation c;
        c.title = "T";
        c.style = os::kStyleCaption | os::kStyleSizingFrame;
        c.x = 40;
        c.y = 30;
        c.width = 400;
        c.height = 300;
        window = os::CreateNativeWindow(c, [](const os::WindowMessage& m) { return os::DefaultWindowProcedure(m); });
        ASSERT_NE(window, 0u);
    }
    void TearDown() override
    {
        os::ResetWindowSystem();
        os::SelectWindowBackEnd(os::WindowBackEnd::Automatic);
    }
    SDL_Window* Sdl() { return static_cast<SDL_Window*>(os::SdlWindowOf(window)); }

    vqtest::ScopedEnv driver{"SDL_VIDEODRIVER", "dummy"};
    os::WindowHandle window = 0;
};

TEST_F(SdlPlacementTest, ThePlacementReachesTheSdlWindow)
{
    os::WindowPlacement p;
    os::OsRect frame = os::AdjustForFrame({}, os::kStyleCaption | os::kStyleSizingFrame, 0);
    p.normalPosition = {100, 80, 100 + 500 + frame.Width(), 80 + 350 + frame.Height()};
    ASSERT_TRUE(os::SetWindowPlacement(window, p));
    int x = 0, y = 0, w = 0, h = 0;
    SDL_GetWindowPosition(Sdl(), &x, &y);
    SDL_GetWindowSize(Sdl(), &w, &h);
    EXPECT_EQ(x, 100 - frame.left);
    EXPECT_EQ(y, 80 - frame.top);
    EXPECT_EQ(w, 500);
    EXPECT_EQ(h, 350);
}

TEST_F(SdlPlacementTest, FullScreenModesAreSdlsDesktopAndExclusiveModes)
{
    ASSERT_TRUE(os::SetWindowFullScreen(window, os::FullScreenMode::Desktop));
    EXPECT_EQ(SDL_GetWindowFlags(Sdl()) & SDL_WINDOW_FULLSCREEN_DESKTOP, uint32_t(SDL_WINDOW_FULLSCREEN_DESKTOP));
    ASSERT_TRUE(os::SetWindowFullScreen(window, os::FullScreenMode::Exclusive));
    EXPECT_EQ(SDL_GetWindowFlags(Sdl()) & SDL_WINDOW_FULLSCREEN_DESKTOP, uint32_t(SDL_WINDOW_FULLSCREEN));
    ASSERT_TRUE(os::SetWindowFullScreen(window, os::FullScreenMode::Off));
    EXPECT_EQ(SDL_GetWindowFlags(Sdl()) & SDL_WINDOW_FULLSCREEN_DESKTOP, 0u);
}

}  // namespace
