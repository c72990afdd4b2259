#include "qz7events.h"
#include "qz7input.h"
#include "qz7window.h"
#include "osKeys.h"

#include <gtest/gtest.h>

#include <string>

namespace os = plat::os;

namespace {

// Keys reach the keyboard the way a user types them: through the window.
class KeyboardTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        os::SelectWindowBackEnd(os::WindowBackEnd::Headless);
        FrameworkStart("test");
        window = std::make_unique<TQZWindow>("Keys", 0, 200, 200);
        PumpFrame();
        kb = GetKeyboard();
    }
    void TearDown() override
    {
        window.reset();
        FrameworkStop();
        os::ResetWindowSystem();
    }
    void Type(uint8_t key, uint32_t modifiers = 0)
    {
        os::InjectInput(os::KeyInput(true, window->Handle(), key, modifiers));
        os::InjectInput(os::KeyInput(false, window->Handle(), key, modifiers));
    }
    std::unique_ptr<TQZWindow> window;
    TQZKeyboard* kb = nullptr;
};

TEST_F(KeyboardTest, CodesAndTheirTranslation)
{
    struct Case {
        const char* name;
        uint8_t key;
        uint32_t modifiers;
        uint32_t code;        // as recorded
        uint32_t translated;  // what ReadKey gives with translation on
    };
    const Case cases[] = {
        {"Shift+A", os::kVkA, os::kModShift, 0x01010041, 'A'},
        {"a", os::kVkA, 0, 0x01000041, 'a'},
        {"Ctrl+C", os::kVkA + 2, os::kModCtrl, 0x01040043, 0x01040043},
        {"F5", 0x74, 0, 0x01000074, 0x01000074},
        {"Tab", os::kVkTab, 0, 0x01000009, 9},
        {"Shift+Tab", os::kVkTab, os::kModShift, 0x01010009, 0x10009},
        {"Shift+1", os::kVk0 + 1, os::kModShift, 0x01010031, '!'},
        {"Enter", os::kVkReturn, 0, 0x0100000D, 13},
        {"keypad 5", os::kVkNumpad0 + 5, 0, 0x01000065, 0x01000065},
        {"Shift+slash", os::kVkOem2, os::kModShift, 0x010100BF, '?'},
        {"Alt+F4 is not a key here", os::kVkF4, os::kModAlt, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        kb->translateKeys = false;
        Type(c.key, c.modifiers);
        PumpFrame();
        EXPECT_EQ(kb->ReadKey(), c.code);
        kb->translateKeys = true;
        Type(c.key, c.modifiers);
        PumpFrame();
        EXPECT_EQ(kb->ReadKey(), c.translated);
        EXPECT_FALSE(kb->HasKeys());
    }
}

TEST_F(KeyboardTest, KeysTypedWithinOneFrameAreReadInTypingOrder)
{
    Type(os::kVkA + ('H' - 'A'));
    Type(os::kVkA + ('I' - 'A'));
    Type(os::kVkReturn);
    PumpFrame();
    EXPECT_EQ(kb->ReadKey(), uint32_t('h'));
    EXPECT_EQ(kb->ReadKey(), uint32_t('i'));
    EXPECT_EQ(kb->ReadKey(), 13u);
    EXPECT_EQ(kb->ReadKey(), 0u);
}

TEST_F(KeyboardTest, SeventeenthKeyDropsTheOldest)
{
    kb->translateKeys = false;
    for (int i = 0; i < 17; ++i) Type(uint8_t(os::kVkA + i));
    PumpFrame();
    EXPECT_EQ(kb->KeyCount(), 16);
    EXPECT_EQ(kb->ReadKey(), QZKEY_VIRTUAL | (os::kVkA + 1u));
    uint32_t last = 0;
    while (kb->HasKeys()) last = kb->ReadKey();
    EXPECT_EQ(last, QZKEY_VIRTUAL | (os::kVkA + 16u));
}

TEST_F(KeyboardTest, ShiftReleasedBeforeReadingStillGivesTheCapital)
{
    os::InjectInput(os::KeyInput(true, window->Handle(), os::kVkShift, os::kModShift));
    Type(os::kVkA, os::kModShift);
    os::InjectInput(os::KeyInput(false, window->Handle(), os::kVkShift, 0));
    Type(os::kVkA);
    PumpFrame();
    EXPECT_EQ(kb->ReadKey(), QZKEY_BARE_SHIFT);
    EXPECT_EQ(kb->ReadKey(), uint32_t('A'));
    EXPECT_EQ(kb->ReadKey(), uint32_t('a'));
}

TEST_F(KeyboardTest, BareModifiersRecordedUnlessSwitchedOff)
{
    kb->recordBareShift = false;
    kb->recordBareCtrl = false;
    os::InjectInput(os::KeyInput(true, window->Handle(), os::kVkShift, os::kModShift));
    os::InjectInput(os::KeyInput(true, window->Handle(), os::kVkControl, os::kModCtrl));
    PumpFrame();
    EXPECT_FALSE(kb->HasKeys());
    kb->recordBareCtrl = true;
    os::InjectInput(os::KeyInput(true, window->Handle(), os::kVkControl, os::kModCtrl));
    PumpFrame();
    EXPECT_EQ(kb->ReadKey(), QZKEY_BARE_CTRL);
}

TEST_F(KeyboardTest, F12AloneFiresItsEvent)
{
    static int fired = 0;
    fired = 0;
    AddHandler(QZEVENT_F12, [](void*) -> int32_t { ++fired; return 0; }, QZHANDLER_PERSISTENT);
    Type(os::kVkF12, os::kModShift);
    PumpFrame();
    EXPECT_EQ(fired, 0);
    Type(os::kVkF12);
    PumpFrame();
    EXPECT_EQ(fired, 1);
}

TEST_F(KeyboardTest, KeyDownAsksForVirtualKeysOnly)
{
    os::InjectInput(os::KeyInput(true, window->Handle(), os::kVkA));
    EXPECT_TRUE(kb->IsKeyDown(0x41));
    EXPECT_TRUE(kb->IsKeyDown(QZKEY_VIRTUAL | 0x41));
    EXPECT_FALSE(kb->IsKeyDown(97)) << "a lower-case character is no key";
    os::InjectInput(os::KeyInput(false, window->Handle(), os::kVkA));
    EXPECT_TRUE(kb->IsKeyUp(0x41));
    EXPECT_EQ(kb->QueryState(), 0);
}

// Two quick clicks whose presses and releases all arrive within one frame
// reach the mouse's queue whole and in order, each at its own point: the
// widget tree takes one a frame and misses none.
using WindowMouseTest = KeyboardTest;  // a window to click in
TEST_F(WindowMouseTest, QuickClicksWithinOneFrameKeepEveryPressAndRelease)
{
    const os::WindowHandle h = window->Handle();
    os::InjectInput(os::ButtonInput(true, h, 1, 30, 40));
    os::InjectInput(os::ButtonInput(false, h, 1, 30, 40));
    os::InjectInput(os::ButtonInput(true, h, 1, 90, 60));
    os::InjectInput(os::ButtonInput(false, h, 1, 90, 60));
    PumpFrame();
    TQZMouse* mouse = GetMouse();
    ASSERT_EQ(mouse->MainWindow(), h);
    const struct {
        bool down;
        int32_t x, y;
    } expected[] = {{true, 30, 40}, {false, 30, 40}, {true, 90, 60}, {false, 90, 60}};
    for (const auto& e : expected) {
        ASSERT_TRUE(mouse->HasEventFor(0));
        const TQZMouseEvent got = mouse->PopEventFor(0);
        EXPECT_EQ(got.button, 1);
        EXPECT_EQ(got.down, e.down);
        EXPECT_EQ((TQZPoint{got.x, got.y}), (TQZPoint{e.x, e.y}));
    }
    EXPECT_FALSE(mouse->HasEvent());
    EXPECT_FALSE(mouse->IsButtonDown(1));
}

// A key, a click and a key within one frame: taken by arrival, whichever
// queue holds each, so a click cannot overtake the text typed before it.
TEST_F(WindowMouseTest, KeysAndClicksWithinOneFrameAreTakenInArrivalOrder)
{
    const os::WindowHandle h = window->Handle();
    Type(os::kVkA);
    os::InjectInput(os::ButtonInput(true, h, 1, 30, 40));
    os::InjectInput(os::ButtonInput(false, h, 1, 30, 40));
    Type(os::kVkA + 1);
    PumpFrame();
    TQZMouse* mouse = GetMouse();
    std::string order;
    for (TQZInputKind next; (next = NextInputKind()) != TQZInputKind::None;) {
        if (next == TQZInputKind::Key) {
            order += char(kb->ReadKey());
        } else {
            order += mouse->PopEventFor(0).down ? 'v' : '^';
        }
    }
    EXPECT_EQ("av^b", order);
    EXPECT_EQ(QZINPUT_NO_ARRIVAL, kb->OldestArrival());
    EXPECT_EQ(QZINPUT_NO_ARRIVAL, mouse->OldestArrivalFor(0));
}

TEST(KeyboardTranslate, VirtualOnlyKeysAndPlainCharacters)
{
    TQZKeyboard kb;
    int virtualOnly = 0;
    for (uint32_t k = 0; k < 256; ++k) virtualOnly += TQZKeyboard::IsVirtualOnlyKey(k) ? 1 : 0;
    EXPECT_EQ(virtualOnly, 35);
    EXPECT_EQ(kb.Translate('x'), 'x');
    EXPECT_EQ(kb.Translate(QZKEY_VIRTUAL | 0x7B), 0);  // F12
    EXPECT_EQ(kb.Translate(QZKEY_VIRTUAL | QZKEY_SHIFT | os::kVkOem4), '{');
    EXPECT_EQ(kb.Translate(QZKEY_VIRTUAL | 0x5B), 0);  // a key without a character
}

class MouseTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        os::SelectWindowBackEnd(os::WindowBackEnd::Headless);
        FrameworkStart("test");
        mouse = GetMouse();
        mouse->SetMainWindow(1);
    }
    void TearDown() override
    {
        FrameworkStop();
        os::ResetWindowSystem();
    }
    TQZMouse* mouse = nullptr;
};

TEST_F(MouseTest, OnlyWhileTheFrameworkRuns)
{
    EXPECT_NE(mouse, nullptr);
    FrameworkStop();
    EXPECT_EQ(GetMouse(), nullptr);
    FrameworkStart("again");
}

TEST_F(MouseTest, EventQueueKeepsSixteenPerWindowOrder)
{
    for (int i = 0; i < 17; ++i) mouse->AddButtonEvent(1, i % 2 == 0, i == 5 ? 2 : 1, 0, {i, i});
    // The first event (0) was dropped; window 2's event is taken apart.
    EXPECT_TRUE(mouse->HasEventFor(2));
    TQZMouseEvent other = mouse->PopEventFor(2);
    EXPECT_EQ(other.x, 5);
    EXPECT_FALSE(mouse->HasEventFor(2));
    EXPECT_EQ(mouse->PopEventFor(0).x, 1);
    EXPECT_EQ(mouse->PopEventFor(0).x, 2);
    TQZMouseEvent none = mouse->PopEventFor(2);
    EXPECT_EQ(none.button, 0);
    EXPECT_EQ((TQZPoint{none.x, none.y}), mouse->GetPosition());
}

TEST_F(MouseTest, MovesFireTheEventOnlyOnChange)
{
    static std::vector<TQZPoint> seen;
    seen.clear();
    AddHandler(QZEVENT_MOUSEMOVED, [](void* p) -> int32_t {
        seen.push_back(*static_cast<TQZPoint*>(p));
        return 0;
    }, QZHANDLER_PERSISTENT);
    mouse->SetWindowPosition({4, 5}, 1);
    mouse->SetWindowPosition({4, 5}, 1);
    mouse->SetWindowPosition({9, 9}, 3);  // another window without a record
    EXPECT_EQ(seen, (std::vector<TQZPoint>{{4, 5}}));
    EXPECT_TRUE(mouse->HasMoved());
    mouse->SetPreviousPosition({4, 5});
    EXPECT_FALSE(mouse->HasMoved());

    mouse->AddWindow(3);
    EXPECT_FALSE(mouse->HasMoved(3));
    mouse->SetWindowPosition({7, 8}, 3);
    EXPECT_TRUE(mouse->HasMoved(3));
    EXPECT_EQ(mouse->WindowPosition(3), (TQZPoint{7, 8}));
    EXPECT_EQ(mouse->GetPosition(), (TQZPoint{4, 5}));
}

TEST_F(MouseTest, WheelCountsForTheMainWindowOnly)
{
    mouse->AddWheel(120, 1);
    mouse->AddWheel(-360, 1);
    mouse->AddWheel(120, 2);
    EXPECT_TRUE(mouse->HasWheel());
    EXPECT_EQ(mouse->TakeWheel(), -240);
    EXPECT_FALSE(mouse->HasWheel());
}

}  // namespace

TEST_F(MouseTest, DeltaIsTheMovementSinceTheLastRead)
{
    mouse->SetPosition({10, 10});
    EXPECT_EQ((TQZPoint{0, 0}), mouse->ReadMouseDelta());
    mouse->SetPosition({15, 7});
    EXPECT_EQ((TQZPoint{5, -3}), mouse->ReadMouseDelta());
    EXPECT_EQ((TQZPoint{0, 0}), mouse->ReadMouseDelta());
    mouse->SetPosition(QZ_NOWHERE);
    EXPECT_EQ((TQZPoint{0, 0}), mouse->ReadMouseDelta());
    mouse->SetPosition({40, 40});
    EXPECT_EQ((TQZPoint{0, 0}), mouse->ReadMouseDelta());  // back in: no jump
}

TEST_F(MouseTest, EachButtonKeepsWhereItWasLastPressedOrReleased)
{
    mouse->AddButtonEvent(2, true, 1, 0, {10, 20});
    mouse->AddButtonEvent(3, true, 1, QZKEY_SHIFT, {30, 40});
    mouse->AddButtonEvent(2, false, 1, 0, {12, 22});  // released elsewhere: the later place counts
    mouse->SetPosition({50, 60});

    EXPECT_TRUE(mouse->IsButtonPositionPending(QZKEY_RBUTTON));
    EXPECT_EQ((TQZPoint{12, 22}), mouse->ReadButtonPosition(QZKEY_RBUTTON));
    EXPECT_FALSE(mouse->IsButtonPositionPending(QZKEY_RBUTTON));
    EXPECT_EQ((TQZPoint{12, 22}), mouse->ReadButtonPosition(QZKEY_RBUTTON)) << "read again: same place";
    EXPECT_TRUE(mouse->IsButtonPositionPending(QZKEY_MBUTTON)) << "each button is its own record";
    EXPECT_EQ((TQZPoint{30, 40}), mouse->ReadButtonPosition(QZKEY_MBUTTON));
    mouse->AddButtonEvent(3, false, 1, 0, {31, 41});
    EXPECT_EQ((TQZPoint{31, 41}), mouse->ReadButtonPosition(QZKEY_MBUTTON));

    // The primary button and code 0 read where the pointer is now.
    mouse->AddButtonEvent(1, true, 1, 0, {1, 2});
    mouse->SetPosition({7, 8});
    EXPECT_TRUE(mouse->IsButtonPositionPending(QZKEY_LBUTTON));
    EXPECT_EQ((TQZPoint{7, 8}), mouse->ReadButtonPosition(QZKEY_LBUTTON));
    EXPECT_FALSE(mouse->IsButtonPositionPending(QZKEY_LBUTTON));
    EXPECT_EQ((TQZPoint{7, 8}), mouse->ReadButtonPosition(0));

    for (uint32_t unknown : {2u, 0x41u, QZKEY_VIRTUAL | 0x41u, QZKEY_RBUTTON | QZKEY_SHIFT}) {
        EXPECT_EQ(QZ_NOWHERE, mouse->ReadButtonPosition(unknown)) << std::hex << unknown;
        EXPECT_FALSE(mouse->IsButtonPositionPending(unknown));
    }
    // Letting go of the window releases the held button nowhere.
    mouse->ReleaseAllButtons();
    EXPECT_TRUE(mouse->IsButtonPositionPending(QZKEY_LBUTTON));
    EXPECT_FALSE(mouse->IsButtonPositionPending(QZKEY_MBUTTON)) << "the middle button was not held";
    EXPECT_EQ(QZ_NOWHERE, mouse->ReadButtonPosition(QZKEY_LBUTTON));
}

TEST_F(MouseTest, ButtonRecordsStartEmpty)
{
    mouse->AddButtonEvent(2, true, 1, 0, {3, 3});
    FrameworkStop();
    FrameworkStart("again");
    mouse = GetMouse();
    EXPECT_EQ(QZ_NOWHERE, mouse->ReadButtonPosition(QZKEY_RBUTTON));
    EXPECT_FALSE(mouse->IsButtonPositionPending(QZKEY_RBUTTON));
}
