// The SDL back end on SDL's own dummy video driver: real SDL windows and
// events, no display needed.
#include "osKeys.h"
#include "osWindow.h"
#include "testutil.h"

#include <SDL.h>
#include <gtest/gtest.h>

namespace os = plat::os;

namespace {

class SdlWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        os::SelectWindowBackEnd(os::WindowBackEnd::Sdl);
        if (os::ActiveWindowBackEnd() != os::WindowBackEnd::Sdl) GTEST_SKIP() << "SDL's dummy video is missing";
        os::WindowCreation c;
        c.title = "T";
        c.style = os::kStyleCaption | os::kStyleSizingFrame;
        c.x = 100;
        c.y = 100;
        c.width = 300 + 16;
        c.height = 200 + 39;
        window = os::CreateNativeWindow(c, [this](const os::WindowMessage& m) {
            log.push_back(m);
            return os::DefaultWindowProcedure(m);
        });
        ASSERT_NE(window, 0u);
        Drain();
        log.clear();
    }
    void TearDown() override
    {
        os::ResetWindowSystem();
        os::SelectWindowBackEnd(os::WindowBackEnd::Automatic);
    }
    void Drain()
    {
        os::WindowMessage m;
        while (os::PeekWindowMessage(m)) os::DispatchWindowMessage(m);
    }
    uint32_t SdlId() { return SDL_GetWindowID(static_cast<SDL_Window*>(os::SdlWindowOf(window))); }
    // The messages of one kind that reached the window.
    std::vector<os::WindowMessage> Of(uint32_t message)
    {
        std::vector<os::WindowMessage> out;
        for (const auto& m : log) {
            if (m.message == message) out.push_back(m);
        }
        return out;
    }
    void PushKey(SDL_Keycode sym, SDL_Scancode scan, uint16_t mod)
    {
        SDL_Event e{};
        e.type = SDL_KEYDOWN;
        e.key.windowID = SdlId();
        e.key.state = SDL_PRESSED;
        e.key.keysym.sym = sym;
        e.key.keysym.scancode = scan;
        e.key.keysym.mod = mod;
        SDL_PushEvent(&e);
    }

    vqtest::ScopedEnv driver{"SDL_VIDEODRIVER", "dummy"};
    os::WindowHandle window = 0;
    std::vector<os::WindowMessage> log;
};

TEST_F(SdlWindowTest, SdlKeysBecomeVirtualKeys)
{
    struct Case {
        SDL_Keycode sym;
        SDL_Scancode scan;
        uint16_t mod;
        uint8_t key;
        uint32_t modifiers;
    };
    const Case cases[] = {
        {SDLK_a, SDL_SCANCODE_A, KMOD_LSHIFT, os::kVkA, os::kModShift},
        {SDLK_z, SDL_SCANCODE_Z, KMOD_RCTRL, os::kVkA + 25, os::kModCtrl},
        {SDLK_7, SDL_SCANCODE_7, 0, os::kVk0 + 7, 0},
        {SDLK_F12, SDL_SCANCODE_F12, 0, os::kVkF12, 0},
        {SDLK_KP_3, SDL_SCANCODE_KP_3, 0, os::kVkNumpad0 + 3, 0},
        {SDLK_KP_ENTER, SDL_SCANCODE_KP_ENTER, 0, os::kVkReturn, 0},
        {SDLK_PAGEDOWN, SDL_SCANCODE_PAGEDOWN, 0, os::kVkNext, 0},
        {SDLK_LSHIFT, SDL_SCANCODE_LSHIFT, KMOD_LSHIFT, os::kVkShift, os::kModShift},
        {SDLK_QUOTE, SDL_SCANCODE_APOSTROPHE, 0, os::kVkOem7, 0},
        {SDLK_DELETE, SDL_SCANCODE_DELETE, 0, os::kVkDelete, 0},
    };
    for (const Case& c : cases) PushKey(c.sym, c.scan, c.mod);
    Drain();
    std::vector<os::WindowMessage> keys = Of(os::kMsgKeyDown);
    ASSERT_EQ(keys.size(), std::size(cases));
    for (size_t i = 0; i < keys.size(); ++i) {
        EXPECT_EQ(keys[i].wParam, cases[i].key) << i;
        EXPECT_EQ(keys[i].modifiers, cases[i].modifiers) << i;
    }
}

TEST_F(SdlWindowTest, PointerEventsBecomePointerMessages)
{
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.windowID = SdlId();
    e.motion.x = 40;
    e.motion.y = 50;
    SDL_PushEvent(&e);
    e = SDL_Event{};
    e.type = SDL_MOUSEBUTTONDOWN;
    e.button.windowID = SdlId();
    e.button.button = SDL_BUTTON_MIDDLE;
    e.button.x = 41;
    e.button.y = 51;
    SDL_PushEvent(&e);
    Drain();
    ASSERT_EQ(Of(os::kMsgMouseMove).size(), 1u);
    EXPECT_EQ(os::PointX(Of(os::kMsgMouseMove)[0].lParam), 40);
    ASSERT_EQ(Of(os::kMsgMButtonDown).size(), 1u);
    EXPECT_EQ(os::PointY(Of(os::kMsgMButtonDown)[0].lParam), 51);
    EXPECT_EQ(Of(os::kMsgMButtonDown)[0].wParam & os::kMouseFlagMiddle, os::kMouseFlagMiddle);
}

TEST_F(SdlWindowTest, DropsBecomeWholeDragsAtTheDropPoint)
{
    auto push = [this](uint32_t type, const char* text) {
        SDL_Event e{};
        e.type = type;
        e.drop.windowID = SdlId();
        e.drop.file = text ? SDL_strdup(text) : nullptr;
        SDL_PushEvent(&e);
    };
    push(SDL_DROPBEGIN, nullptr);
    push(SDL_DROPFILE, "/tmp/one.png");
    push(SDL_DROPFILE, "/tmp/two.png");
    push(SDL_DROPCOMPLETE, nullptr);
    std::vector<uint64_t> ids;
    std::vector<std::vector<std::string>> files;
    std::vector<uint32_t> order;
    auto watch = [&](uint32_t message) {
        return message == os::kMsgDragEnter || message == os::kMsgDragOver || message == os::kMsgDragLeave ||
               message == os::kMsgDropFiles;
    };
    os::WindowMessage m;
    while (os::PeekWindowMessage(m)) {
        if (watch(m.message)) {
            order.push_back(m.message);
            ids.push_back(m.wParam);
            files.push_back(os::DroppedFiles(m.wParam));
        }
        os::DispatchWindowMessage(m);
    }
    ASSERT_EQ(order, (std::vector<uint32_t>{os::kMsgDragEnter, os::kMsgDragOver, os::kMsgDropFiles}));
    EXPECT_EQ(ids[0], ids[2]);
    EXPECT_EQ(files[2], (std::vector<std::string>{"/tmp/one.png", "/tmp/two.png"}));

    // Text carries no files: the drag enters with none and leaves.
    push(SDL_DROPBEGIN, nullptr);
    push(SDL_DROPTEXT, "some words");
    push(SDL_DROPCOMPLETE, nullptr);
    order.clear();
    files.clear();
    while (os::PeekWindowMessage(m)) {
        if (watch(m.message)) {
            order.push_back(m.message);
            files.push_back(os::DroppedFiles(m.wParam));
        }
        os::DispatchWindowMessage(m);
    }
    ASSERT_EQ(order, (std::vector<uint32_t>{os::kMsgDragEnter, os::kMsgDragOver, os::kMsgDragLeave}));
    EXPECT_TRUE(files[0].empty());
}

TEST_F(SdlWindowTest, CloseButtonBecomesCloseAndDefaultDestroys)
{
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.windowID = SdlId();
    e.window.event = SDL_WINDOWEVENT_CLOSE;
    SDL_PushEvent(&e);
    Drain();
    EXPECT_EQ(Of(os::kMsgClose).size(), 1u);
    EXPECT_FALSE(os::WindowExists(window));
}

TEST_F(SdlWindowTest, PresentedFrameIsWhatTheWindowShows)
{
    os::OsRect client;
    ASSERT_TRUE(os::GetClientRect(window, client));
    ASSERT_EQ(client, (os::OsRect{0, 0, 300, 200}));
    // A frame with a pitch wider than its rows.
    const int32_t pitchPixels = 320;
    std::vector<uint32_t> px(size_t(pitchPixels) * 200, 0xFF000000);
    for (int32_t y = 0; y < 200; ++y) {
        for (int32_t x = 0; x < 300; ++x) px[size_t(y) * pitchPixels + size_t(x)] = 0xFF000000u | uint32_t(x << 16) | uint32_t(y);
    }
    ASSERT_TRUE(os::PresentPixels(window, px.data(), pitchPixels * 4, 300, 200));
    std::vector<uint32_t> shown;
    int32_t w = 0, h = 0;
    ASSERT_TRUE(os::ReadPresentedFrame(window, shown, w, h));
    ASSERT_EQ(w, 300);
    ASSERT_EQ(h, 200);
    for (auto [x, y] : {std::pair{0, 0}, {299, 0}, {150, 199}, {77, 33}}) {
        EXPECT_EQ(shown[size_t(y) * 300 + size_t(x)] & 0xFFFFFF, px[size_t(y) * pitchPixels + size_t(x)] & 0xFFFFFF)
            << x << "," << y;
    }
    vqtest::TempDir dir;
    ASSERT_TRUE(os::SavePresentedFrame(window, dir.File("f.bmp")));
    std::string bmp = vqtest::ReadFile(dir.File("f.bmp"));
    EXPECT_EQ(bmp.size(), 54u + 300u * 200u * 4u);
    EXPECT_EQ(bmp.substr(0, 2), "BM");
}

TEST_F(SdlWindowTest, DisplaysComeFromSdl)
{
    EXPECT_GE(os::DisplayCount(), 1);
    os::DisplayInfo d = os::GetDisplayInfo(0);
    EXPECT_GT(d.bounds.Width(), 0);
    EXPECT_GE(d.dpiX, 96u) << "unknown or small physical DPI counts as 100 %";
    uint32_t x = 0, y = 0;
    // Setup: what the test checks after it shows whether it took.
    (void)os::MonitorDpi(os::DisplayOfWindow(window), x, y);
    EXPECT_EQ(x % 24, 0u) << "quarter steps of 96";
}

}  // namespace
