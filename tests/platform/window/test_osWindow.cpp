#include "osClock.h"
#include "osKeys.h"
#include "osWindow.h"

#include <gtest/gtest.h>

namespace os = plat::os;

namespace {

class OsWindowTest : public ::testing::Test {
protected:
    void SetUp() override { os::SelectWindowBackEnd(os::WindowBackEnd::Headless); }
    void TearDown() override
    {
        os::ResetWindowSystem();
        os::SetClockSource(nullptr);
    }

    // A window whose procedure logs every message and leaves it to the
    // default handling.
    os::WindowHandle Make(uint32_t style = os::kStyleCaption | os::kStyleSizingFrame, bool show = true)
    {
        os::WindowCreation c;
        c.title = "T";
        c.style = style;
        c.width = 300;
        c.height = 200;
        c.show = show;
        return os::CreateNativeWindow(c, [this](const os::WindowMessage& m) {
            log.push_back(m);
            return os::DefaultWindowProcedure(m);
        });
    }
    std::vector<uint32_t> Drain()
    {
        std::vector<uint32_t> out;
        os::WindowMessage m;
        while (os::PeekWindowMessage(m)) {
            out.push_back(m.message);
            os::DispatchWindowMessage(m);
        }
        return out;
    }
    std::vector<os::WindowMessage> log;
};

TEST(OsWindowPacking, PointsAreSigned16Bit)
{
    const os::OsPoint points[] = {{0, 0}, {-1, -1}, {32767, -32768}, {1280, 800}};
    for (os::OsPoint p : points) {
        int64_t packed = os::PackPoint(p.x, p.y);
        EXPECT_EQ(os::PointX(packed), p.x);
        EXPECT_EQ(os::PointY(packed), p.y);
    }
}

TEST(OsWindowFrame, FrameByStyle)
{
    struct Case {
        uint32_t style;
        os::OsRect frame;
    };
    const Case cases[] = {
        {os::kStylePopup, {0, 0, 0, 0}},
        {0, {0, 0, 0, 0}},
        {os::kStyleBorder, {-1, -1, 1, 1}},
        {0xCA0000, {-3, -26, 3, 3}},
        {0xCA0000 | os::kStyleSizingFrame, {-8, -31, 8, 8}},
        {os::kStylePopup | os::kStyleSizingFrame, {-8, -8, 8, 8}},
    };
    for (const Case& c : cases) EXPECT_EQ(os::AdjustForFrame({0, 0, 0, 0}, c.style, 0), c.frame) << std::hex << c.style;
}

TEST_F(OsWindowTest, CreationSizeMoveActivationThenPaint)
{
    os::WindowHandle w = Make();
    ASSERT_NE(w, 0u);
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log[0].message, os::kMsgGetMinMaxInfo) << "limits are asked before anything is shown";
    EXPECT_EQ(Drain(), (std::vector<uint32_t>{os::kMsgSize, os::kMsgMove, os::kMsgActivate, os::kMsgSetFocus,
                                              os::kMsgPaint}));
    os::OsRect client, outer;
    ASSERT_TRUE(os::GetClientRect(w, client));
    ASSERT_TRUE(os::GetWindowRect(w, outer));
    EXPECT_EQ(client, (os::OsRect{0, 0, 300 - 16, 200 - 39})) << "the size given is the outer size";
    EXPECT_EQ(outer.Width(), 300);
    EXPECT_TRUE(Drain().empty());
}

TEST_F(OsWindowTest, HiddenAndMinimisedWindowsAreNotPainted)
{
    os::WindowHandle w = Make(0, false);
    Drain();
    os::InvalidateWindow(w);
    EXPECT_TRUE(Drain().empty());
    (void)os::ShowNativeWindow(w, os::ShowCommand::Show);  // setup: what the test checks after it shows whether it took
    EXPECT_EQ(Drain().back(), os::kMsgPaint);
    // Setup: what the test checks after it shows whether it took.
    (void)os::ShowNativeWindow(w, os::ShowCommand::Minimize);
    os::InvalidateWindow(w);
    std::vector<uint32_t> got = Drain();
    EXPECT_EQ(std::count(got.begin(), got.end(), os::kMsgPaint), 0);
    EXPECT_TRUE(os::IsWindowMinimized(w));
}

TEST_F(OsWindowTest, KeysBecomeKeyOrSystemKeyMessages)
{
    os::WindowHandle w = Make();
    Drain();
    struct Case {
        uint8_t key;
        uint32_t modifiers;
        uint32_t message;
    };
    const Case cases[] = {
        {os::kVkA, 0, os::kMsgKeyDown},
        {os::kVkA, os::kModAlt, os::kMsgSysKeyDown},
        {os::kVkA, os::kModAlt | os::kModCtrl, os::kMsgKeyDown},  // AltGr
        {os::kVkF10, 0, os::kMsgSysKeyDown},
        {os::kVkMenu, 0, os::kMsgSysKeyDown},
        {os::kVkF12, os::kModShift, os::kMsgKeyDown},
    };
    for (const Case& c : cases) {
        os::InjectInput(os::KeyInput(true, w, c.key, c.modifiers));
        os::WindowMessage m;
        ASSERT_TRUE(os::PeekWindowMessage(m));
        EXPECT_EQ(m.message, c.message) << int(c.key);
        EXPECT_EQ(m.wParam, c.key);
        EXPECT_TRUE(os::KeyStateDown(c.key));
        os::InjectInput(os::KeyInput(false, w, c.key, 0));
        ASSERT_TRUE(os::PeekWindowMessage(m));
        EXPECT_FALSE(os::KeyStateDown(c.key));
    }
}

TEST_F(OsWindowTest, KeyStateFollowsTheMessagesTakenNotTheKeyboardNow)
{
    os::WindowHandle w = Make();
    Drain();
    os::InjectInput(os::KeyInput(true, w, os::kVkShift, os::kModShift));
    os::InjectInput(os::KeyInput(false, w, os::kVkShift, 0));
    EXPECT_FALSE(os::AsyncKeyDown(os::kVkShift));
    os::WindowMessage m;
    ASSERT_TRUE(os::PeekWindowMessage(m));
    EXPECT_TRUE(os::KeyStateDown(os::kVkShift));
    EXPECT_TRUE(os::KeyStateDown(os::kVkLeftShift));
    ASSERT_TRUE(os::PeekWindowMessage(m));
    EXPECT_FALSE(os::KeyStateDown(os::kVkShift));
}

TEST_F(OsWindowTest, PointerMessagesAndTheirParameters)
{
    os::WindowHandle w = Make();
    Drain();
    os::InjectInput(os::MakeInput(os::InputKind::MouseMove, w, 10, -5));
    os::InjectInput(os::ButtonInput(true, w, 2, 10, 11, os::kModShift | os::kModCtrl));
    os::WindowMessage m;
    ASSERT_TRUE(os::PeekWindowMessage(m));
    EXPECT_EQ(m.message, os::kMsgSetCursor) << "the cursor is asked for before the move";
    EXPECT_EQ(m.lParam & 0xFFFF, int64_t(os::kHitClient));
    ASSERT_TRUE(os::PeekWindowMessage(m));
    EXPECT_EQ(m.message, os::kMsgMouseMove);
    EXPECT_EQ(os::PointY(m.lParam), -5);
    ASSERT_TRUE(os::PeekWindowMessage(m));
    EXPECT_EQ(m.message, os::kMsgRButtonDown);
    EXPECT_EQ(m.wParam, os::kMouseFlagRight | os::kMouseFlagShift | os::kMouseFlagControl);
}

TEST_F(OsWindowTest, WheelTurnsKeepTheirDirectionWhenFast)
{
    os::WindowHandle w = Make();
    Drain();
    // (steps, signed delta in the high word): a burst of many steps saturates
    // rather than wrapping round to the other direction.
    const std::pair<int32_t, int32_t> cases[] = {{1, 120}, {-2, -240}, {300, 32767}, {-300, -32768}};
    for (auto [steps, delta] : cases) {
        os::InputEvent e = os::MakeInput(os::InputKind::Wheel, w, 5, 5);
        e.wheel = steps;
        os::InjectInput(e);
        os::WindowMessage m;
        ASSERT_TRUE(os::PeekWindowMessage(m));
        ASSERT_EQ(m.message, os::kMsgMouseWheel);
        EXPECT_EQ(int16_t(uint16_t(m.wParam >> 16)), delta) << steps;
    }
}

TEST_F(OsWindowTest, DefaultHandlingClosesAndChangesShowState)
{
    os::WindowHandle w = Make();
    Drain();
    // Setup: what the test checks after it shows whether it took.
    (void)os::PostWindowMessage(w, os::kMsgSysCommand, os::kCommandMaximize, 0);
    Drain();
    EXPECT_TRUE(os::IsWindowMaximized(w));
    os::OsRect client;
    os::GetClientRect(w, client);
    EXPECT_EQ(client.Width(), 1920 - 16);
    // Setup: what the test checks after it shows whether it took.
    (void)os::PostWindowMessage(w, os::kMsgSysCommand, os::kCommandRestore, 0);
    Drain();
    os::GetClientRect(w, client);
    EXPECT_EQ(client, (os::OsRect{0, 0, 300 - 16, 200 - 39}));
    os::InjectInput(os::KeyInput(true, w, os::kVkF4, os::kModAlt));
    Drain();
    EXPECT_FALSE(os::WindowExists(w)) << "Alt+F4 closes through the default handling";
    EXPECT_EQ(log.back().message, os::kMsgDestroy);
}

TEST_F(OsWindowTest, MessagesOfAGoneWindowAreNeverDelivered)
{
    os::WindowHandle a = Make();
    os::WindowHandle b = Make();
    Drain();
    // Setup: what the test checks after it shows whether it took.
    (void)os::PostWindowMessage(a, os::kMsgUser, 1, 0);
    (void)os::PostWindowMessage(b, os::kMsgUser, 2, 0);
    (void)os::DestroyNativeWindow(a);
    log.clear();
    Drain();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].window, b);
    EXPECT_FALSE(os::PostWindowMessage(a, os::kMsgUser, 0, 0));
}

TEST_F(OsWindowTest, TimersComeWhenDueAfterPaint)
{
    uint64_t now = 1'000'000'000;
    os::SetClockSource([&] { return now; });
    os::WindowHandle w = Make();
    Drain();
    os::SetWindowTimer(w, 5, 0);  // raised to the minimum interval
    EXPECT_TRUE(Drain().empty());
    now += uint64_t(os::kMinimumTimerInterval) * 1'000'000;
    os::InvalidateWindow(w);
    EXPECT_EQ(Drain(), (std::vector<uint32_t>{os::kMsgPaint, os::kMsgTimer}));
    EXPECT_EQ(log.back().wParam, 5u);
    EXPECT_TRUE(os::KillWindowTimer(w, 5));
    now += 1'000'000'000;
    EXPECT_TRUE(Drain().empty());
}

TEST_F(OsWindowTest, DroppedFilesCarryNamesAndPoint)
{
    os::WindowHandle w = Make();
    Drain();
    os::InputEvent e = os::MakeInput(os::InputKind::DropFile, w, 7, 8);
    e.text = "/tmp/a.png\n/tmp/b c.jpg\n";
    os::InjectInput(e);
    os::WindowMessage m;
    ASSERT_TRUE(os::PeekWindowMessage(m));
    ASSERT_EQ(m.message, os::kMsgDropFiles);
    EXPECT_EQ(os::DroppedFiles(m.wParam), (std::vector<std::string>{"/tmp/a.png", "/tmp/b c.jpg"}));
    EXPECT_EQ(os::DropPoint(m.wParam), (os::OsPoint{7, 8}));
    os::FinishDrop(m.wParam);
    EXPECT_TRUE(os::DroppedFiles(m.wParam).empty());
}

TEST_F(OsWindowTest, InjectedDragsBecomeDragMessagesSharingTheDropsId)
{
    os::WindowHandle w = Make();
    Drain();
    os::InputEvent enter = os::MakeInput(os::InputKind::DragEnter, w, 3, 4);
    enter.text = "/tmp/a.png\n";
    os::InjectInput(enter);
    os::InjectInput(os::MakeInput(os::InputKind::DragOver, w, 5, 6));
    os::InjectInput(os::MakeInput(os::InputKind::DropFile, w, 7, 8));
    os::WindowMessage m[3];
    for (auto& one : m) ASSERT_TRUE(os::PeekWindowMessage(one));
    EXPECT_EQ(m[0].message, os::kMsgDragEnter);
    EXPECT_EQ(m[1].message, os::kMsgDragOver);
    EXPECT_EQ(m[2].message, os::kMsgDropFiles);
    EXPECT_EQ(os::PointX(m[1].lParam), 5);
    EXPECT_EQ(os::PointY(m[1].lParam), 6);
    EXPECT_EQ(m[0].wParam, m[2].wParam) << "the drop ends the drag it belongs to";
    EXPECT_EQ(os::DroppedFiles(m[2].wParam), (std::vector<std::string>{"/tmp/a.png"}));
    EXPECT_EQ(os::DropPoint(m[2].wParam), (os::OsPoint{7, 8}));
    for (auto& one : m) os::DispatchWindowMessage(one);
    EXPECT_TRUE(os::DroppedFiles(m[2].wParam).empty()) << "the default handling finishes the drop";

    // Over and leave without a drag are not messages; a leave ends the drag.
    log.clear();
    os::InjectInput(os::MakeInput(os::InputKind::DragOver, w, 5, 6));
    os::InjectInput(os::MakeInput(os::InputKind::DragLeave, w, 0, 0));
    EXPECT_TRUE(Drain().empty());
    os::InjectInput(os::MakeInput(os::InputKind::DragEnter, w, 1, 1));
    os::InjectInput(os::MakeInput(os::InputKind::DragLeave, w, 0, 0));
    os::InjectInput(os::MakeInput(os::InputKind::DragOver, w, 5, 6));
    EXPECT_EQ(Drain(), (std::vector<uint32_t>{os::kMsgDragEnter, os::kMsgDragLeave}));
}

TEST(OsKeys, CharactersOfKeys)
{
    struct Case {
        uint8_t key;
        bool shift, ctrl;
        uint8_t ch;
    };
    const Case cases[] = {
        {os::kVkA, false, false, 'a'},  {os::kVkA, true, false, 'A'},     {os::kVkA, false, true, 1},
        {os::kVk0 + 2, true, false, '@'}, {os::kVk0 + 2, false, true, 0}, {os::kVkOem7, true, false, '"'},
        {os::kVkSpace, false, false, ' '}, {os::kVkF1, false, false, 0},  {os::kVkDivide, true, false, '/'},
        {os::kVkEscape, false, false, 27}, {os::kVkBack, false, false, 8},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(os::VirtualKeyToChar(c.key, c.shift, c.ctrl), c.ch) << int(c.key) << c.shift << c.ctrl;
    }
}

TEST_F(OsWindowTest, IconsByNameAndCursorsByNumber)
{
    EXPECT_EQ(os::LoadIconResource("APPICON"), 0u);
    EXPECT_EQ(os::RegisterIcon("bad", 2, 2, {1, 2, 3}), 0u) << "pixel count must match";
    os::IconHandle icon = os::RegisterIcon("APPICON", 1, 1, {0xFF00FF00});
    EXPECT_EQ(os::LoadIconResource("APPICON"), icon);
    os::WindowHandle w = Make();
    EXPECT_TRUE(os::SetWindowIcon(w, icon));
    EXPECT_EQ(os::GetWindowIcon(w), icon);
    EXPECT_EQ(os::LoadSystemCursor(os::kCursorIBeam), os::kCursorIBeam);
    EXPECT_EQ(os::LoadSystemCursor(12345), 0u);
}

}  // namespace
