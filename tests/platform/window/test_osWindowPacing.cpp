// The window system where none is shown: the headless back end paced on the
// clock and closed by a termination signal, and a window system that did
// not start refusing windows instead of running unseen.
#include "osClock.h"
#include "osWindow.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <csignal>

namespace os = plat::os;

namespace {

class HeadlessPacingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        os::SelectWindowBackEnd(os::WindowBackEnd::Headless);
        os::SetClockSource([this] { return now; });
        os::SetSleepSource([this](uint32_t ms) {
            slept.push_back(ms);
            now += uint64_t(ms) * 1000000ull;
        });
    }
    void TearDown() override
    {
        os::ResetWindowSystem();
        os::SetSleepSource(nullptr);
        os::SetClockSource(nullptr);
    }
    os::WindowHandle Make()
    {
        os::WindowCreation c;
        c.title = "T";
        c.width = 300;
        c.height = 200;
        return os::CreateNativeWindow(c, [this](const os::WindowMessage& m) {
            if (m.message == os::kMsgClose) ++closes;
            return os::DefaultWindowProcedure(m);
        });
    }
    void Drain()
    {
        os::WindowMessage m;
        while (os::PeekWindowMessage(m)) os::DispatchWindowMessage(m);
    }
    static bool TermCaught()
    {
        struct sigaction now{};
        ::sigaction(SIGTERM, nullptr, &now);
        return now.sa_handler != SIG_DFL && now.sa_handler != SIG_IGN;
    }

    uint64_t now = 5000000000ull;
    std::vector<uint32_t> slept;
    int closes = 0;
};

TEST_F(HeadlessPacingTest, PacedWaitsSleepOnTheClockUnlessInputIsQueued)
{
    const os::WindowHandle w = Make();
    ASSERT_NE(w, 0u);
    Drain();
    os::WaitForWindowMessages(16);
    EXPECT_TRUE(slept.empty()) << "unpaced (tests) never waits";

    os::SetHeadlessPacing(true);
    os::WaitForWindowMessages(16);
    os::WaitForWindowMessages(100);
    EXPECT_EQ((std::vector<uint32_t>{16, 100}), slept);
    EXPECT_EQ(5116u, os::TickMilliseconds());

    slept.clear();
    ASSERT_TRUE(os::PostWindowMessage(w, os::kMsgUser, 0, 0));
    os::WaitForWindowMessages(16);
    EXPECT_TRUE(slept.empty()) << "a queued message is taken at once";
}

TEST_F(HeadlessPacingTest, SigtermClosesTheShownWindowsOnceAndIsReleasedWhenUnpaced)
{
    const os::WindowHandle shown = Make();
    ASSERT_NE(shown, 0u);
    Drain();
    ASSERT_FALSE(TermCaught());
    os::SetHeadlessPacing(true);
    ASSERT_TRUE(TermCaught());  // else the raise below would end the test program
    std::raise(SIGTERM);
    Drain();
    EXPECT_EQ(1, closes);
    EXPECT_FALSE(os::WindowExists(shown)) << "the default handling of a close destroys the window";
    Drain();
    EXPECT_EQ(1, closes);

    os::SetHeadlessPacing(false);
    EXPECT_FALSE(TermCaught()) << "the signal's default action is given back";
}

TEST_F(HeadlessPacingTest, ASignalBeforeAnyWindowIsShownWaitsForOne)
{
    os::SetHeadlessPacing(true);
    ASSERT_TRUE(TermCaught());
    std::raise(SIGTERM);
    Drain();
    EXPECT_EQ(0, closes);
    const os::WindowHandle w = Make();
    ASSERT_NE(w, 0u);
    Drain();
    EXPECT_EQ(1, closes);
}

TEST(HeadlessChoice, OnlyTheProgramsOwnSwitchPacesTheHeadlessBackEnd)
{
    struct Case {
        const char* headless;
        const char* test;
        bool paced;
    };
    const Case cases[] = {{"1", "0", true}, {"1", "1", false}, {"0", "1", false}};
    for (const Case& c : cases) {
        vqtest::ScopedEnv headless("VANTOREL_HEADLESS", c.headless);
        vqtest::ScopedEnv test("VQ_TEST", c.test);
        os::SelectWindowBackEnd(os::WindowBackEnd::Automatic);
        EXPECT_EQ(os::WindowBackEnd::Headless, os::ActiveWindowBackEnd()) << c.headless << c.test;
        EXPECT_EQ(c.paced, os::HeadlessPacing()) << c.headless << c.test;
        EXPECT_EQ("", os::WindowSystemFailure());
        os::ResetWindowSystem();
        EXPECT_FALSE(os::HeadlessPacing());
    }
}

TEST(WindowSystemFailure, AWindowSystemThatDidNotStartRefusesWindowsAndSaysWhy)
{
    vqtest::ScopedEnv driver("SDL_VIDEODRIVER", "no-such-driver");
    os::SelectWindowBackEnd(os::WindowBackEnd::Sdl);
    const std::string failure = os::WindowSystemFailure();
    EXPECT_NE(std::string::npos, failure.find("the window system did not start")) << failure;
    EXPECT_NE(std::string::npos, failure.find("no-such-driver")) << failure;
    os::WindowCreation c;
    c.title = "T";
    c.width = 300;
    c.height = 200;
    EXPECT_EQ(0u, os::CreateNativeWindow(c, [](const os::WindowMessage& m) { return os::DefaultWindowProcedure(m); }));
    EXPECT_EQ(0u, os::WindowCount());
    // Displays are still answered.
    EXPECT_GT(os::GetDisplayInfo(0).bounds.Width(), 0);
    os::ResetWindowSystem();
    os::SelectWindowBackEnd(os::WindowBackEnd::Automatic);
    EXPECT_EQ("", os::WindowSystemFailure());
}

TEST(WindowSystemFailure, WithoutADisplaySdlsInvisibleDriversDoNotCount)
{
    vqtest::ScopedEnv display("DISPLAY", "");
    vqtest::ScopedEnv wayland("WAYLAND_DISPLAY", "");
    vqtest::ScopedEnv driver("SDL_VIDEODRIVER", "");
    ::unsetenv("SDL_VIDEODRIVER");  // SDL then falls back to a driver that shows nothing
    os::SelectWindowBackEnd(os::WindowBackEnd::Sdl);
    const std::string failure = os::WindowSystemFailure();
    EXPECT_NE(std::string::npos, failure.find("DISPLAY is empty")) << failure;
    EXPECT_EQ(os::WindowBackEnd::Headless, os::ActiveWindowBackEnd());
    os::ResetWindowSystem();
    os::SelectWindowBackEnd(os::WindowBackEnd::Automatic);
}

}  // namespace
