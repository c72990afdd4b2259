#include "qz7events.h"
#include "qz7window.h"
#include "osDesktop.h"
#include "osFileDialog.h"
#include "osKeys.h"

#include <gtest/gtest.h>

namespace os = plat::os;

namespace {

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        os::SelectWindowBackEnd(os::WindowBackEnd::Headless);
        FrameworkStart("test");
    }
    void TearDown() override
    {
        os::SetMessageBoxHandler(nullptr);
        os::SetDefaultProcedureObserver(nullptr);
        FrameworkStop();
        os::ResetWindowSystem();
    }
    static void Pump() { PumpFrame(); }
};

// Records what the window's owner hears, in order.
struct Owner {
    std::vector<std::string> log;
    int32_t queryAnswer = 1;
    bool restoreFlagSeen = false;
    TQZWindow* window = nullptr;

    void Resize(int32_t w, int32_t h)
    {
        log.push_back("size " + std::to_string(w) + "x" + std::to_string(h));
        if (window) restoreFlagSeen = window->RestoreFlag();
    }
    bool PaintIt(TQZWindow*, int64_t)
    {
        log.push_back("paint");
        return false;
    }
    int32_t Query(TQZWindow*)
    {
        log.push_back("query");
        return queryAnswer;
    }
    void Closing(TQZWindow*) { log.push_back("close"); }
    bool Message(uint32_t m, uint64_t, int64_t)
    {
        log.push_back("user " + std::to_string(m));
        return true;
    }
};

TEST_F(WindowTest, CreationDeliversSizeThenActivationThenPaint)
{
    Owner owner;
    TQZWindow w;
    owner.window = &w;
    w.onResize = MakeMethod<&Owner::Resize>(&owner);
    w.onPaint = MakeMethod<&Owner::PaintIt>(&owner);
    w.Create("Main", QZWS_SIZING | QZWS_MAXBOX, 640, 480);
    EXPECT_FALSE(w.Closed());
    EXPECT_EQ(w.ShowState(), QZSHOW_NORMAL);
    EXPECT_FALSE(w.Active());
    Pump();
    // The size given is the client size; the frame comes on top of it.
    ASSERT_EQ(owner.log, (std::vector<std::string>{"size 640x480", "paint"}));
    EXPECT_TRUE(w.Active());
    EXPECT_TRUE(w.Focused());
    EXPECT_EQ(w.GetClientSize(), (TQZPoint{640, 480}));
    Pump();
    EXPECT_EQ(owner.log.size(), 2u) << "nothing new: no second paint";
}

TEST_F(WindowTest, PaintComesAfterEverythingElseQueued)
{
    TQZWindow w("Main", 0, 320, 200);
    Pump();
    struct Probe {
        int32_t keysAtPaint = -1;
        TQZPoint mouseAtPaint;
        bool PaintIt(TQZWindow*, int64_t)
        {
            keysAtPaint = GetKeyboard()->KeyCount();
            mouseAtPaint = GetMouse()->GetPosition();
            return true;
        }
    } probe;
    w.onPaint = MakeMethod<&Probe::PaintIt>(&probe);
    w.Invalidate();
    os::InjectInput(os::KeyInput(true, w.Handle(), os::kVkA));
    os::InjectInput(os::MakeInput(os::InputKind::MouseMove, w.Handle(), 12, 34));
    Pump();
    EXPECT_EQ(probe.keysAtPaint, 1);
    EXPECT_EQ(probe.mouseAtPaint, (TQZPoint{12, 34}));
}

TEST_F(WindowTest, CloseConfirmationCancelKeepsTheWindowOkClosesIt)
{
    std::vector<os::MessageBoxRequest> shown;
    os::BoxAnswer answer = os::BoxAnswer::Cancel;
    TQZWindow w("Main", 0, 320, 200);
    Pump();
    os::SetMessageBoxHandler([&](const os::MessageBoxRequest& r) {
        shown.push_back(r);
        return answer;
    });
    w.Close(true);
    Pump();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].caption, "Close");
    EXPECT_EQ(shown[0].text, "Are you sure you want to close?");
    EXPECT_EQ(shown[0].buttons, os::BoxButtons::OkCancel);
    EXPECT_EQ(shown[0].icon, os::BoxIcon::Question);
    EXPECT_FALSE(w.Closed());
    EXPECT_TRUE(w.HandleExists());

    // The user closing the window asks the same question.
    answer = os::BoxAnswer::Ok;
    os::InjectInput(os::MakeInput(os::InputKind::CloseRequest, w.Handle()));
    Pump();
    EXPECT_EQ(shown.size(), 2u);
    EXPECT_TRUE(w.Closed());
    EXPECT_FALSE(w.HandleExists());
}

TEST_F(WindowTest, CloseWithoutConfirmationAsksNothing)
{
    int boxes = 0;
    TQZWindow w("Main", 0, 320, 200);
    w.confirmation = "Quit?";
    os::SetMessageBoxHandler([&](const os::MessageBoxRequest&) {
        ++boxes;
        return os::BoxAnswer::Cancel;
    });
    w.Close(false);
    Pump();
    EXPECT_EQ(boxes, 0);
    EXPECT_TRUE(w.Closed());
    EXPECT_TRUE(w.confirmation.empty());
}

TEST_F(WindowTest, CloseCallbacksAndKeepFlagDecide)
{
    struct Case {
        const char* name;
        uint32_t flags;
        int32_t queryAnswer;  // -1: no query callback
        bool closeCallback;
        bool closes;
        std::vector<std::string> heard;
    };
    const Case cases[] = {
        {"nothing set", 0, -1, false, true, {}},
        {"query refuses", 0, 0, true, false, {"query"}},
        {"query allows, close callback decides", 0, 1, true, false, {"query", "close"}},
        {"keep flag", QZWS_KEEPONCLOSE, -1, false, false, {}},
        {"query allows", 0, 1, false, true, {"query"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Owner owner;
        owner.queryAnswer = c.queryAnswer;
        TQZWindow w("Main", c.flags, 100, 100);
        if (c.queryAnswer >= 0) w.onCloseQuery = MakeMethod<&Owner::Query>(&owner);
        if (c.closeCallback) w.onClose = MakeMethod<&Owner::Closing>(&owner);
        os::InjectInput(os::MakeInput(os::InputKind::CloseRequest, w.Handle()));
        Pump();
        EXPECT_EQ(w.Closed(), c.closes);
        EXPECT_EQ(w.HandleExists(), !c.closes);
        EXPECT_EQ(owner.log, c.heard);
    }
}

TEST_F(WindowTest, MinimumAndMaximumClientSizeLimitUserSizing)
{
    Owner owner;
    TQZWindow w("Main", QZWS_SIZING | QZWS_MAXBOX, 1024, 768);
    owner.window = &w;
    w.onResize = MakeMethod<&Owner::Resize>(&owner);
    w.SetMinClientSize(900, 700);
    w.SetMaxClientSize(1200, 1000);

    os::MinMaxInfo info;
    w.GetMinMaxInfo(info);
    os::OsRect frame = os::AdjustForFrame({0, 0, 0, 0}, os::kStyleCaption | os::kStyleSizingFrame, 0);
    ASSERT_GT(frame.Width(), 0);
    EXPECT_EQ(info.minTrackSize, (os::OsPoint{900 + frame.Width(), 700 + frame.Height()}));
    EXPECT_EQ(info.maxTrackSize, (os::OsPoint{1200 + frame.Width(), 1000 + frame.Height()}));
    Pump();

    struct Drag {
        int32_t w, h;
        TQZPoint expected;
    };
    const Drag drags[] = {
        {500, 400, {900, 700}},    // below the minimum on both sides
        {950, 300, {950, 700}},    // one side only
        {1100, 900, {1100, 900}},  // inside
        {3000, 3000, {1200, 1000}},
    };
    for (const Drag& d : drags) {
        owner.log.clear();
        os::InjectInput(os::MakeInput(os::InputKind::Resized, w.Handle(), d.w, d.h));
        Pump();
        EXPECT_EQ(w.GetClientSize(), d.expected) << d.w << "x" << d.h;
        ASSERT_FALSE(owner.log.empty());
        EXPECT_EQ(owner.log[0], "size " + std::to_string(d.expected.x) + "x" + std::to_string(d.expected.y));
    }
}

TEST_F(WindowTest, LimitsNeedBothPartsAndFollowTheFrameFlags)
{
    TQZWindow plain("A", QZWS_NOADJUST | QZWS_SIZING, 300, 300);
    plain.SetMinClientSize(900, 700);
    os::MinMaxInfo info;
    plain.GetMinMaxInfo(info);
    EXPECT_EQ(info.minTrackSize, (os::OsPoint{900, 700})) << "no frame added";

    TQZWindow half("B", QZWS_SIZING, 300, 300);
    half.SetMinClientSize(900, 0);
    os::MinMaxInfo none;
    half.GetMinMaxInfo(none);
    EXPECT_EQ(none.minTrackSize, (os::OsPoint{0, 0}));
    EXPECT_EQ(none.maxTrackSize, (os::OsPoint{0, 0}));
}

TEST_F(WindowTest, ShowStatesFollowSizeMessagesAndRestoreFlag)
{
    Owner owner;
    TQZWindow w("Main", QZWS_SIZING | QZWS_MAXBOX, 640, 480);
    owner.window = &w;
    w.onResize = MakeMethod<&Owner::Resize>(&owner);
    Pump();
    w.SetShowState(QZSHOW_MAXIMISED);
    Pump();
    EXPECT_EQ(w.ShowState(), QZSHOW_MAXIMISED);
    TQZPoint max = GetMaxClientSize(QZWS_SIZING | QZWS_MAXBOX);
    EXPECT_EQ(w.GetClientSize(), max);
    w.SetShowState(QZSHOW_NORMAL);
    Pump();
    EXPECT_EQ(w.ShowState(), QZSHOW_NORMAL);
    EXPECT_FALSE(owner.restoreFlagSeen) << "restored from maximised";
    EXPECT_EQ(w.GetClientSize(), (TQZPoint{640, 480}));
    os::InjectInput(os::MakeInput(os::InputKind::Resized, w.Handle(), 700, 500));
    Pump();
    EXPECT_TRUE(owner.restoreFlagSeen) << "a plain resize of a normal window";
    EXPECT_FALSE(w.RestoreFlag());
    w.SetShowState(QZSHOW_MINIMISED);
    Pump();
    EXPECT_EQ(w.ShowState(), QZSHOW_MINIMISED);
    EXPECT_FALSE(w.Active());
}

TEST_F(WindowTest, SystemKeysReachTheKeyboardOnlyForF10)
{
    TQZWindow w("Main", 0, 100, 100);
    Pump();
    TQZKeyboard* kb = GetKeyboard();
    kb->translateKeys = false;
    os::InjectInput(os::KeyInput(true, w.Handle(), os::kVkA + ('X' - 'A'), os::kModAlt));
    os::InjectInput(os::KeyInput(true, w.Handle(), os::kVkF10));
    Pump();
    ASSERT_EQ(kb->KeyCount(), 1);
    EXPECT_EQ(kb->ReadKey(), 0x01000079u);
}

TEST_F(WindowTest, UserMessagesGoToTheCallbackOthersToDefaultHandling)
{
    Owner owner;
    std::vector<uint32_t> defaults;  // outlives the window, which closes at the end
    TQZWindow w("Main", 0, 100, 100);
    w.onMessage = MakeMethod<&Owner::Message>(&owner);
    Pump();
    os::SetDefaultProcedureObserver([&](const os::WindowMessage& m) { defaults.push_back(m.message); });
    // Setup: what the test checks after it shows whether it took.
    (void)os::PostWindowMessage(w.Handle(), 0x0401, 0, 0);
    (void)os::PostWindowMessage(w.Handle(), 0x0300, 0, 0);
    Pump();
    EXPECT_EQ(owner.log, (std::vector<std::string>{"user 1025"}));
    EXPECT_EQ(defaults, (std::vector<uint32_t>{0x0300}));
}

TEST_F(WindowTest, LastWindowGoneUnregistersClassAndPump)
{
    int32_t before = EventManager()->HandlerCount(QZEVENT_FRAME);
    auto a = std::make_unique<TQZWindow>("A", 0, 100, 100);
    auto b = std::make_unique<TQZWindow>("B", 0, 100, 100);
    EXPECT_TRUE(WindowClassRegistered());
    EXPECT_EQ(EventManager()->HandlerCount(QZEVENT_FRAME), before + 1);
    a.reset();
    EXPECT_TRUE(WindowClassRegistered());
    b.reset();
    EXPECT_FALSE(WindowClassRegistered());
    EXPECT_EQ(EventManager()->HandlerCount(QZEVENT_FRAME), before);
    EXPECT_EQ(os::WindowCount(), 0u);
}

TEST_F(WindowTest, WindowKeptByItsCallbacksStillGoesWithItsObject)
{
    auto w = std::make_unique<TQZWindow>("A", QZWS_KEEPONCLOSE, 100, 100);
    os::WindowHandle h = w->Handle();
    w->SetTimer(7, 50);
    w.reset();
    EXPECT_FALSE(os::WindowExists(h));
    EXPECT_FALSE(os::KillWindowTimer(h, 7)) << "the timer went with the window";
}

TEST_F(WindowTest, MouseButtonsCaptureAndCarryModifiers)
{
    TQZWindow w("Main", 0, 300, 300);
    Pump();
    os::InjectInput(os::ButtonInput(true, w.Handle(), 1, 10, 20, os::kModShift));
    Pump();
    TQZMouse* mouse = GetMouse();
    EXPECT_EQ(os::CaptureWindow(), w.Handle());
    EXPECT_TRUE(mouse->IsButtonDown(1));
    os::InjectInput(os::ButtonInput(true, w.Handle(), 2, 11, 21));
    os::InjectInput(os::ButtonInput(false, w.Handle(), 1, 12, 22, os::kModCtrl));
    Pump();
    EXPECT_EQ(os::CaptureWindow(), w.Handle()) << "right button still down";
    os::InjectInput(os::ButtonInput(false, w.Handle(), 2, 13, 23));
    Pump();
    EXPECT_EQ(os::CaptureWindow(), 0u);

    TQZMouseEvent e = mouse->PopEventFor(0);
    EXPECT_EQ(e.button, 1);
    EXPECT_TRUE(e.down);
    EXPECT_EQ(e.modifiers, QZKEY_SHIFT);
    EXPECT_EQ((TQZPoint{e.x, e.y}), (TQZPoint{10, 20}));
    mouse->PopEventFor(0);
    e = mouse->PopEventFor(0);
    EXPECT_EQ(e.button, 1);
    EXPECT_FALSE(e.down);
    EXPECT_EQ(e.modifiers, QZKEY_CTRL);
}

TEST_F(WindowTest, DeactivationReleasesHeldButtonsAtNowhere)
{
    TQZWindow w("Main", 0, 300, 300);
    Pump();
    os::InjectInput(os::ButtonInput(true, w.Handle(), 3, 5, 5));
    Pump();
    GetMouse()->PopEventFor(0);
    os::InjectInput(os::MakeInput(os::InputKind::FocusLost, w.Handle()));
    Pump();
    EXPECT_FALSE(w.Active());
    TQZMouseEvent e = GetMouse()->PopEventFor(0);
    EXPECT_EQ(e.button, 3);
    EXPECT_FALSE(e.down);
    EXPECT_EQ((TQZPoint{e.x, e.y}), QZ_NOWHERE);
    EXPECT_FALSE(GetMouse()->HasPosition());
}

TEST_F(WindowTest, WheelMovesAndLeavingTheWindow)
{
    TQZWindow w("Main", 0, 300, 300);
    Pump();
    os::InjectInput(os::MakeInput(os::InputKind::MouseMove, w.Handle(), -3, 40));
    os::InputEvent wheel = os::MakeInput(os::InputKind::Wheel, w.Handle(), 5, 5);
    wheel.wheel = -2;
    os::InjectInput(wheel);
    Pump();
    EXPECT_EQ(GetMouse()->TakeWheel(), -240);
    EXPECT_EQ(GetMouse()->GetPosition(), (TQZPoint{-3, 40})) << "signed 16-bit positions";
    os::InjectInput(os::MakeInput(os::InputKind::MouseLeave, w.Handle()));
    Pump();
    EXPECT_EQ(GetMouse()->GetPosition(), QZ_NOWHERE);
    // Leaving again without a move in between tells nothing new.
    os::InjectInput(os::MakeInput(os::InputKind::MouseMove, w.Handle(), 1, 1));
    os::InjectInput(os::MakeInput(os::InputKind::MouseLeave, w.Handle()));
    os::InjectInput(os::MakeInput(os::InputKind::MouseLeave, w.Handle()));
    Pump();
    EXPECT_EQ(GetMouse()->GetPosition(), QZ_NOWHERE);
}

TEST_F(WindowTest, CursorRequestsSetOrHideThePointerAndFireTheEvent)
{
    static int fired = 0;
    fired = 0;
    AddHandler(QZEVENT_CURSOR, [](void*) -> int32_t { ++fired; return 0; }, QZHANDLER_PERSISTENT);
    TQZWindow w("Main", 0, 300, 300);
    Pump();
    os::InjectInput(os::MakeInput(os::InputKind::MouseMove, w.Handle(), 1, 1));
    Pump();
    EXPECT_EQ(os::CurrentCursor(), os::kCursorArrow) << "nothing set: the class cursor";
    EXPECT_EQ(fired, 0);
    w.cursor = os::LoadSystemCursor(os::kCursorHand);
    os::InjectInput(os::MakeInput(os::InputKind::MouseMove, w.Handle(), 2, 2));
    Pump();
    EXPECT_EQ(os::CurrentCursor(), os::kCursorHand);
    w.cursorVisible = false;
    os::InjectInput(os::MakeInput(os::InputKind::MouseMove, w.Handle(), 3, 3));
    Pump();
    EXPECT_EQ(os::CurrentCursor(), 0u);
    EXPECT_EQ(fired, 2);
}

TEST_F(WindowTest, ScreenRoutinesUseTheDisplay)
{
    os::DisplayInfo d;
    d.bounds = {0, 0, 2560, 1440};
    d.workArea = {0, 0, 2560, 1400};
    d.dpiX = 144;
    d.dpiY = 120;
    os::SetHeadlessDisplays({d});
    EXPECT_EQ(GetScreenSize(), (TQZPoint{2560, 1440}));
    EXPECT_EQ(GetWorkArea(), (TQZRect{0, 0, 2560, 1400}));
    os::OsRect f = os::AdjustForFrame({0, 0, 0, 0}, 0xCA0000 | os::kStyleSizingFrame, 0);
    EXPECT_EQ(GetMaxClientSize(QZWS_SIZING), (TQZPoint{2560 - f.Width(), 1400 - f.Height()}));
    EXPECT_EQ(GetMaxClientSize(QZWS_POPUP), (TQZPoint{2560, 1400}));
    EXPECT_FLOAT_EQ(GetMonitorScale(nullptr), 1.25f);
    d.dpiX = 0;
    os::SetHeadlessDisplays({d});
    EXPECT_FLOAT_EQ(GetMonitorScale(nullptr), 1.0f);
}

TEST_F(WindowTest, VideoWindowStylesByKind)
{
    struct Case {
        int32_t kind;
        uint32_t mode;
        uint32_t flags;
        bool shown;
    };
    const Case cases[] = {
        {0, 0, QZWS_SIZING | QZWS_MAXBOX, false},
        {0, 0x0008, QZWS_SIZING | QZWS_MAXBOX | QZWS_TOPMOST, false},
        {0, 0x0004, QZWS_MAXBOX, false},
        {1, 0, QZWS_POPUP, true},
        {2, 0x0008, QZWS_POPUP | QZWS_TOPMOST, true},
    };
    for (const Case& c : cases) {
        auto w = CreateVideoWindow(800, 600, c.kind, c.mode);
        EXPECT_EQ(w->Flags(), c.flags) << c.kind << "/" << c.mode;
        EXPECT_EQ(os::IsWindowShown(w->Handle()), c.shown);
        EXPECT_EQ(w->Title(), "QZ7Application");
    }
}

TEST_F(WindowTest, ClientSizeIsSetThroughTheFrame)
{
    TQZWindow framed("A", QZWS_SIZING, 640, 480);
    framed.SetClientSize(800, 600);
    EXPECT_EQ(framed.GetClientSize(), (TQZPoint{800, 600}));
    os::OsRect outer;
    os::GetWindowRect(framed.Handle(), outer);
    EXPECT_GT(outer.Width(), 800);

    TQZWindow popup("B", QZWS_POPUP, 640, 480);
    popup.SetClientSize(320, 200);
    os::GetWindowRect(popup.Handle(), outer);
    EXPECT_EQ(outer, (os::OsRect{0, 0, 320, 200}));

    TQZWindow unmade("C", QZWS_NOHANDLE, 640, 480);
    unmade.SetClientSize(10, 10);  // no window: nothing happens
    EXPECT_EQ(unmade.GetClientSize(), (TQZPoint{0, 0}));
    EXPECT_TRUE(unmade.Closed());
}

TEST_F(WindowTest, SwitchingIntoPopupCoversTheScreen)
{
    TQZWindow w("Main", QZWS_SIZING | QZWS_MAXBOX, 640, 480);
    w.SetStyle(QZWS_POPUP);
    Pump();
    EXPECT_EQ(w.GetClientSize(), GetScreenSize());
    uint32_t style = 0, ex = 0;
    os::GetWindowStyle(w.Handle(), style, ex);
    EXPECT_EQ(style & (os::kStyleCaption | os::kStyleSizingFrame), 0u);
    EXPECT_NE(style & os::kStylePopup, 0u);
}

}  // namespace

namespace {

TEST(WindowFileDialog, TheChosenNameOrEmptyWhenCancelled)
{
    const std::string chosen = "/home/u/" + std::string(300, 'd') + "/Basic deck.cards";
    os::PushFileDialogAnswer(chosen);
    os::PushFileDialogAnswer(std::nullopt);
    EXPECT_EQ(chosen, ShowFileDialog(nullptr, "Open Cardset", "Basic.cards", false));
    EXPECT_EQ("", ShowFileDialog(nullptr, "", "", true));
    const std::vector<os::FileDialogRequest> shown = os::TakeFileDialogRequests();
    ASSERT_EQ(2u, shown.size());
    EXPECT_EQ("Open Cardset", shown[0].title);
    EXPECT_EQ("Basic.cards", shown[0].initialName);
    EXPECT_FALSE(shown[0].save);
    EXPECT_TRUE(shown[1].save);
    EXPECT_EQ("All Files", shown[1].filterName);
}

}  // namespace
