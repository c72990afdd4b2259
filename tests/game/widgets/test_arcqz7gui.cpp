#include "widgettestutil.h"

#include "arcqz7guiwidgets.h"

#include "qz7input.h"
#include "qz7texture.h"

#include <gtest/gtest.h>

using widgettest::ManualClock;
using widgettest::TProbe;

namespace {

TQZMouseEvent Button(bool down, int32_t x, int32_t y)
{
    TQZMouseEvent e;
    e.button = 1;
    e.down = down;
    e.x = x;
    e.y = y;
    return e;
}

// A root of 800 x 600 with a log shared by every window of the test.
class TreeTest : public ::testing::Test {
protected:
    std::vector<std::string> log;
    TGUIWindowPtr<TProbe> root = NewRootWindow<TProbe>(TQZRect{0, 0, 800, 600}, nullptr, 0, &log, "root");

    TProbe* Child(TGUIWindow* parent, TQZRect rect, int32_t id, const std::string& name)
    {
        return NewWindow<TProbe>(rect, parent, id, &log, name);
    }
    bool Logged(const std::string& line) const
    {
        return std::find(log.begin(), log.end(), line) != log.end();
    }
};

}  // namespace

// ---------------------------------------------------------------- mouse

TEST_F(TreeTest, PressInsideTheMarginsReleaseOutsideSendsNothing)
{
    TProbe* button = Child(root.get(), {100, 100, 200, 150}, 7, "button");
    button->marginLeft = button->marginTop = button->marginRight = button->marginBottom = 5;

    EXPECT_FALSE(root->DispatchMouseButton(Button(true, 102, 102)));  // in the margin: no press
    EXPECT_FALSE(button->IsPressedRaw());

    EXPECT_TRUE(root->DispatchMouseButton(Button(true, 150, 120)));
    EXPECT_TRUE(button->IsPressed());
    EXPECT_TRUE(root->DispatchMouseButton(Button(false, 300, 300)) == false);
    EXPECT_FALSE(button->IsPressedRaw());
    root->UpdateTree();
    EXPECT_FALSE(Logged("button: click"));
    EXPECT_FALSE(Logged("root: command 7 from button"));
}

TEST_F(TreeTest, PressAndReleaseOnAWindowSendsItsCommandToTheParent)
{
    TProbe* button = Child(root.get(), {100, 100, 200, 150}, 7, "button");
    root->DispatchMouseButton(Button(true, 150, 120));
    root->DispatchMouseButton(Button(false, 199, 149));
    EXPECT_FALSE(button->IsPressedRaw());
    root->UpdateTree();
    EXPECT_TRUE(Logged("root: command 7 from button"));
}

TEST_F(TreeTest, LeavingTheClientAreaReleasesThePressWithoutAClick)
{
    TProbe* button = Child(root.get(), {100, 100, 200, 150}, 7, "button");
    root->DispatchMouseMove({150, 120}, root->FindWindowAt({150, 120}));
    root->DispatchMouseButton(Button(true, 150, 120));
    ASSERT_TRUE(button->IsPressed());
    ASSERT_TRUE(button->IsHover());

    root->DispatchMouseMove(QZ_NOWHERE, nullptr);
    EXPECT_FALSE(button->IsPressedRaw());
    EXPECT_FALSE(button->IsHover());
    root->UpdateTree();
    EXPECT_FALSE(Logged("button: click"));
}

TEST_F(TreeTest, TheLaterOfTwoOverlappingChildrenTakesThePressAndTheHover)
{
    TProbe* under = Child(root.get(), {100, 100, 300, 300}, 1, "under");
    TProbe* over = Child(root.get(), {200, 200, 400, 400}, 2, "over");
    EXPECT_EQ(over, root->FindWindowAt({250, 250}));
    root->DispatchMouseMove({250, 250}, root->FindWindowAt({250, 250}));
    EXPECT_TRUE(over->IsHover());
    EXPECT_FALSE(under->IsHover());
    EXPECT_FALSE(root->IsHover());

    root->DispatchMouseButton(Button(true, 250, 250));
    EXPECT_TRUE(over->IsPressed());
    EXPECT_FALSE(under->IsPressedRaw());

    root->DispatchMouseMove({150, 150}, root->FindWindowAt({150, 150}));
    EXPECT_TRUE(under->IsHover());
    EXPECT_FALSE(over->IsHover());
}

TEST_F(TreeTest, PressesReachOnlyWindowsUnderThePointerReleasesReachTheWholeTree)
{
    // The child hangs outside its parent: a press there is not offered to it.
    TProbe* parent = Child(root.get(), {100, 100, 200, 200}, 1, "parent");
    parent->mouseEnabled = false;
    TProbe* outside = Child(parent, {150, 0, 250, 50}, 2, "outside");
    EXPECT_FALSE(root->DispatchMouseButton(Button(true, 260, 110)));
    EXPECT_FALSE(outside->IsPressedRaw());

    // A press that started inside ends wherever the release happens.
    TProbe* inside = Child(parent, {0, 0, 50, 50}, 3, "inside");
    EXPECT_TRUE(root->DispatchMouseButton(Button(true, 110, 110)));
    ASSERT_TRUE(inside->IsPressed());
    root->DispatchMouseButton(Button(false, 700, 500));
    EXPECT_FALSE(inside->IsPressedRaw());
}

TEST_F(TreeTest, ClickThroughWindowsAreNeverHit)
{
    TProbe* below = Child(root.get(), {0, 0, 100, 100}, 1, "below");
    TProbe* label = Child(root.get(), {0, 0, 100, 100}, 2, "label");
    label->clickThrough = true;
    label->mouseEnabled = false;  // as a label
    EXPECT_EQ(below, root->FindWindowAt({50, 50}));
    root->DispatchMouseButton(Button(true, 50, 50));
    EXPECT_TRUE(below->IsPressed());
}

TEST_F(TreeTest, HiddenAndDisabledWindowsTakeNoInput)
{
    TProbe* hidden = Child(root.get(), {0, 0, 100, 100}, 1, "hidden");
    hidden->SetVisible(false);
    EXPECT_EQ(root.get(), root->FindWindowAt({50, 50}));

    TProbe* box = Child(root.get(), {200, 0, 300, 100}, 2, "box");
    TProbe* inner = Child(box, {0, 0, 100, 100}, 3, "inner");
    box->SetEnabled(false);
    EXPECT_FALSE(inner->IsEnabled());
    EXPECT_FALSE(root->DispatchMouseButton(Button(true, 250, 50)));
    EXPECT_FALSE(inner->IsPressedRaw());
}

TEST_F(TreeTest, WheelAndKeysGoToTheTopMostTakerFirst)
{
    TProbe* a = Child(root.get(), {0, 0, 10, 10}, 1, "a");
    TProbe* b = Child(root.get(), {0, 0, 10, 10}, 2, "b");
    a->takesWheel = b->takesWheel = true;
    a->handledKey = b->handledKey = 'x';
    EXPECT_TRUE(root->DispatchWheel(120));
    EXPECT_TRUE(root->DispatchKey('x'));
    EXPECT_EQ((std::vector<std::string>{"b: wheel 120", "b: key 120"}), log);
    EXPECT_FALSE(root->DispatchKey('y'));
}

// ---------------------------------------------------------------- commands

TEST_F(TreeTest, ForwardedCommandsLandInTheGrandparentWithTheSenderKept)
{
    TProbe* panel = Child(root.get(), {0, 0, 400, 400}, 0, "panel");
    panel->forwardCommands = true;
    TProbe* button = Child(panel, {10, 10, 100, 50}, 42, "button");
    button->SendCommand(42);
    EXPECT_FALSE(panel->HasQueuedCommands());
    ASSERT_EQ(1, root->QueuedCommandCount());
    root->UpdateTree();
    EXPECT_TRUE(Logged("root: command 42 from button"));
}

TEST_F(TreeTest, ACommandPostedFromAChildsUpdateIsHandledTheSameFrame)
{
    TProbe* child = Child(root.get(), {0, 0, 10, 10}, 5, "child");
    child->onUpdate = [child] { child->SendCommand(5); };
    root->onCommand = [&](TGUIWindow*, int32_t id) {
        if (id == 5) root->PostCommand(root.get(), 6);  // posted while draining: same pass
    };
    root->UpdateTree();
    EXPECT_EQ((std::vector<std::string>{"root: command 5 from child", "root: command 6 from root"}), log);
    EXPECT_FALSE(root->HasQueuedCommands());
}

TEST_F(TreeTest, ASubtreeHandlesItsCommandsBeforeItsAncestors)
{
    TProbe* panel = Child(root.get(), {0, 0, 100, 100}, 0, "panel");
    TProbe* button = Child(panel, {0, 0, 10, 10}, 1, "button");
    panel->SendCommand(2);
    button->SendCommand(1);
    root->UpdateTree();
    EXPECT_EQ((std::vector<std::string>{"panel: command 1 from button", "root: command 2 from panel"}), log);
}

TEST_F(TreeTest, ADisabledSubtreeKeepsItsCommandsQueued)
{
    TProbe* panel = Child(root.get(), {0, 0, 100, 100}, 0, "panel");
    TProbe* button = Child(panel, {0, 0, 10, 10}, 1, "button");
    button->SendCommand(1);
    panel->SetEnabled(false);
    root->UpdateTree();
    EXPECT_TRUE(panel->HasQueuedCommands());
    panel->SetEnabled(true);
    root->UpdateTree();
    EXPECT_TRUE(Logged("panel: command 1 from button"));
}

TEST_F(TreeTest, AFreedSendersCommandsLeaveEveryQueueEvenInAnotherTree)
{
    std::vector<std::string> otherLog;
    auto other = NewRootWindow<TProbe>(TQZRect{0, 0, 10, 10}, nullptr, 0, &otherLog, "other");
    TProbe* button = Child(root.get(), {0, 0, 10, 10}, 1, "button");
    TProbe* keeper = Child(root.get(), {0, 0, 10, 10}, 2, "keeper");
    button->SendCommand(1);                 // to root
    button->SendCommand(3, other.get());    // to another tree
    keeper->SendCommand(2);
    TGUIWindow::Free(button);
    EXPECT_EQ(1, root->QueuedCommandCount());
    EXPECT_FALSE(other->HasQueuedCommands());
    root->UpdateTree();
    other->UpdateTree();
    EXPECT_EQ((std::vector<std::string>{"root: command 2 from keeper"}), log);
    EXPECT_TRUE(otherLog.empty());
}

TEST_F(TreeTest, AWindowFreedByAHandlerTakesItsLaterCommandsWithIt)
{
    TProbe* a = Child(root.get(), {0, 0, 10, 10}, 1, "a");
    TProbe* b = Child(root.get(), {0, 0, 10, 10}, 2, "b");
    a->SendCommand(1);
    b->SendCommand(2);
    root->onCommand = [&](TGUIWindow*, int32_t id) {
        if (id == 1) TGUIWindow::Free(b);
    };
    root->UpdateTree();
    EXPECT_EQ((std::vector<std::string>{"root: command 1 from a"}), log);
}

TEST_F(TreeTest, KeyboardActivationShowsThePressForFiftyMillisecondsThenClicks)
{
    ManualClock clock;
    TProbe* button = Child(root.get(), {0, 0, 10, 10}, 9, "button");
    button->ClickDelayed();
    EXPECT_TRUE(button->IsPressed());
    clock.Advance(49);
    root->UpdateTree();
    EXPECT_TRUE(button->IsPressed());
    EXPECT_FALSE(Logged("root: command 9 from button"));
    clock.Advance(1);
    root->UpdateTree();
    EXPECT_FALSE(button->IsPressedRaw());
    EXPECT_EQ(0u, button->clickDeadline);
    EXPECT_TRUE(Logged("root: command 9 from button"));
}

TEST_F(TreeTest, TheClickDeadlineFiresAcrossTheClockWrap)
{
    ManualClock clock;
    clock.Set(0xFFFFFFF0u);
    TProbe* button = Child(root.get(), {0, 0, 10, 10}, 9, "button");
    button->ClickDelayed();
    clock.Advance(20);  // wraps to 4: not yet 50 ms
    root->UpdateTree();
    EXPECT_FALSE(Logged("button: click"));
    clock.Advance(30);
    root->UpdateTree();
    EXPECT_TRUE(Logged("button: click"));
}

// ---------------------------------------------------------------- focus

TEST_F(TreeTest, PressTakesTheFocusAndAFocusParentHandsItUp)
{
    TProbe* list = Child(root.get(), {0, 0, 100, 100}, 1, "list");
    list->focusable = true;
    TProbe* bar = Child(list, {80, 0, 100, 100}, 2, "bar");
    bar->focusable = true;
    bar->focusParent = true;
    root->DispatchMouseButton(Button(true, 90, 50));
    EXPECT_EQ(list, root->GetFocused());
    EXPECT_TRUE(bar->IsFocused());
    EXPECT_TRUE(list->IsFocused());

    TProbe* other = Child(root.get(), {200, 0, 300, 100}, 3, "other");
    other->focusable = true;
    other->SetFocus(true);
    EXPECT_EQ((std::vector<std::string>{"list: got focus", "list: lost focus", "other: got focus"}), log);
}

TEST_F(TreeTest, AWindowThatCannotFocusLeavesNoFocus)
{
    TProbe* w = Child(root.get(), {0, 0, 10, 10}, 1, "w");
    w->focusable = true;
    w->SetVisible(false);
    root->ChangeFocus(w);
    EXPECT_EQ(nullptr, root->GetFocused());
}

TEST_F(TreeTest, FreeChildrenExceptTakesTheFocusOfADescendantFromTheRoot)
{
    TProbe* keep = Child(root.get(), {0, 0, 10, 10}, 1, "keep");
    TProbe* panel = Child(root.get(), {0, 0, 100, 100}, 2, "panel");
    TProbe* edit = Child(panel, {0, 0, 50, 20}, 3, "edit");
    edit->focusable = true;
    edit->SetFocus(true);
    ASSERT_EQ(edit, root->GetFocused());

    root->FreeChildrenExcept({keep});
    EXPECT_EQ(nullptr, root->GetFocused());
    EXPECT_EQ(1, root->ChildCount());
    EXPECT_EQ(keep, root->GetChild(1));
    EXPECT_TRUE(Logged("edit: lost focus"));
}

TEST_F(TreeTest, FreeingASubtreeDropsTheFocusOfAnyWindowInIt)
{
    TProbe* panel = Child(root.get(), {0, 0, 100, 100}, 2, "panel");
    TProbe* box = Child(panel, {0, 0, 50, 20}, 3, "box");
    TProbe* edit = Child(box, {0, 0, 50, 20}, 4, "edit");
    edit->focusable = true;
    edit->SetFocus(true);
    root->FreeChildren();
    EXPECT_EQ(nullptr, root->GetFocused());
    EXPECT_EQ(0, root->ChildCount());
}

// ---------------------------------------------------------------- layout

struct ArrangeCase {
    const char* what;
    int32_t anchors[4];
    int32_t minW, minH, maxW, maxH;
    TQZRect parent;
    TQZRect expected;
};

class ArrangeTest : public ::testing::TestWithParam<ArrangeCase> {};

TEST_P(ArrangeTest, PlacesTheWindowByItsAnchors)
{
    const ArrangeCase& c = GetParam();
    auto root = NewRootWindow<TGUIWindow>(c.parent, nullptr, 0);
    TGUIWindow* w = NewWindow<TGUIWindow>(TQZRect{1, 2, 3, 4}, root.get(), 0);
    w->anchorLeft = c.anchors[0];
    w->anchorTop = c.anchors[1];
    w->anchorRight = c.anchors[2];
    w->anchorBottom = c.anchors[3];
    w->minWidth = c.minW;
    w->minHeight = c.minH;
    w->maxWidth = c.maxW;
    w->maxHeight = c.maxH;
    root->ArrangeTree();
    EXPECT_EQ(c.expected, w->GetRect()) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ArrangeTest,
    ::testing::Values(
        ArrangeCase{"fixed size centred", {-200, -100, 40, 50}, 0, 0, 0, 0, {0, 0, 800, 600}, {220, 250, 420, 350}},
        ArrangeCase{"odd fixed size", {-5, -3, 50, 50}, 0, 0, 0, 0, {0, 0, 100, 100}, {48, 49, 53, 52}},
        ArrangeCase{"max width", {0, 0, 100, 100}, 0, 0, 400, 0, {0, 0, 1000, 500}, {300, 0, 700, 500}},
        ArrangeCase{"min size", {50, 50, 50, 50}, 100, 40, 0, 0, {0, 0, 400, 400}, {150, 180, 250, 220}},
        ArrangeCase{"a max height alone leaves the width", {10, 0, 90, 100}, 0, 0, 0, 100, {0, 0, 200, 400},
                    {20, 150, 180, 250}},
        ArrangeCase{"larger than the parent", {-900, -700, 50, 50}, 0, 0, 0, 0, {0, 0, 800, 600}, {0, 0, 900, 700}},
        ArrangeCase{"pushed back from the bottom right", {-100, -100, 95, 95}, 0, 0, 0, 0, {0, 0, 200, 200},
                    {100, 100, 200, 200}},
        ArrangeCase{"no anchors: untouched", {0, 0, 0, 0}, 0, 0, 0, 0, {0, 0, 800, 600}, {1, 2, 3, 4}}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

namespace {

// A screen that rebuilds its buttons on every arrange.
class TRebuilding : public TGUIWindow {
public:
    using TGUIWindow::TGUIWindow;
    bool Arrange() override
    {
        FreeChildren();
        for (int32_t id : ids) {
            TGUIWindow* b = NewWindow<TGUIWindow>(TQZRect{0, 0, 10, 10}, this, id);
            b->focusable = true;
        }
        return true;
    }
    std::vector<int32_t> ids{1, 2, 3};
};

}  // namespace

TEST(ArrangeTree, TheFocusFollowsTheCommandIdToTheRebuiltWindow)
{
    auto root = NewRootWindow<TGUIWindow>(TQZRect{0, 0, 100, 100}, nullptr, 0);
    TRebuilding* screen = NewWindow<TRebuilding>(TQZRect{0, 0, 100, 100}, root.get(), 0);
    screen->ArrangeTree();
    TGUIWindow* old = screen->FindByCommandId(2);
    old->SetFocus(true);

    root->ArrangeTree();
    TGUIWindow* rebuilt = root->GetFocused();
    ASSERT_NE(nullptr, rebuilt);
    EXPECT_EQ(2, rebuilt->commandId);
    EXPECT_EQ(screen, rebuilt->GetParent());

    screen->ids = {1, 3};
    root->ArrangeTree();
    EXPECT_EQ(nullptr, root->GetFocused());
}

TEST(SetBounds, NormalisesTheRectangleAndTellsTheChildren)
{
    struct TChild : TGUIWindow {
        using TGUIWindow::TGUIWindow;
        void ParentResized() override { ++told; }
        int told = 0;
    };
    auto root = NewRootWindow<TGUIWindow>(TQZRect{}, nullptr, 0);
    TChild* child = NewWindow<TChild>(TQZRect{}, root.get(), 0);
    root->SetBounds({100, 80, 0, 10});
    EXPECT_EQ((TQZRect{0, 10, 100, 80}), root->GetRect());
    EXPECT_EQ(1, child->told);
    root->MoveTo({5, 6});
    EXPECT_EQ((TQZRect{5, 6, 105, 76}), root->GetRect());
    EXPECT_EQ((TQZRect{10, 7, 50, 35}), root->PercentRect(10, 10, 50, 50));
}

// ---------------------------------------------------------------- tree edits

TEST_F(TreeTest, BringToFrontMovesAWindowAboveItsSiblings)
{
    TProbe* a = Child(root.get(), {}, 1, "a");
    TProbe* b = Child(root.get(), {}, 2, "b");
    TProbe* c = Child(root.get(), {}, 3, "c");
    auto order = [&] {
        std::string s;
        for (int32_t i = 1; i <= root->ChildCount(); ++i) s += static_cast<TProbe*>(root->GetChild(i))->Name();
        return s;
    };
    a->BringToFront(b);
    EXPECT_EQ("bac", order());
    a->BringToFront(b);  // already above: nothing
    EXPECT_EQ("bac", order());
    b->BringToFront();
    EXPECT_EQ("acb", order());
    TProbe* stranger = Child(a, {}, 4, "x");
    c->BringToFront(stranger);  // not a sibling: nothing
    EXPECT_EQ("acb", order());
    EXPECT_EQ(3, b->GetIndex());
    EXPECT_EQ(nullptr, root->GetChild(4));
    EXPECT_EQ(nullptr, root->GetChild(0));
}

TEST_F(TreeTest, FindByCommandIdSearchesDepthFirstInCreationOrder)
{
    TProbe* a = Child(root.get(), {}, 1, "a");
    TProbe* deep = Child(a, {}, 5, "deep");
    Child(root.get(), {}, 5, "late");
    EXPECT_EQ(deep, root->FindByCommandId(5));
    EXPECT_EQ(nullptr, root->FindByCommandId(99));
}

TEST_F(TreeTest, ScreenAndDrawRectanglesAddUpTheAncestors)
{
    TProbe* panel = Child(root.get(), {100, 50, 300, 250}, 0, "panel");
    TProbe* inner = Child(panel, {10, 20, 60, 70}, 0, "inner");
    EXPECT_EQ((TQZRect{110, 70, 160, 120}), inner->GetScreenRect());
    EXPECT_EQ((TQZRect{110, 70, 160, 120}), inner->GetDrawRect());
    EXPECT_TRUE(inner->HitTest({110, 70}));
    EXPECT_FALSE(inner->HitTest({160, 120}));  // right and bottom are exclusive
}

// ---------------------------------------------------------------- framework input

class InputTest : public ::testing::Test {
protected:
    void SetUp() override { FrameworkStart("Test"); }
    void TearDown() override { FrameworkStop(); }
};

TEST_F(InputTest, DispatchInputTakesOneButtonEventAFrame)
{
    std::vector<std::string> log;
    auto root = NewRootWindow<TProbe>(TQZRect{0, 0, 640, 480}, nullptr, 0, &log, "root");
    TProbe* button = NewWindow<TProbe>(TQZRect{10, 10, 110, 60}, root.get(), 4, &log, "button");
    TQZMouse* mouse = GetMouse();
    mouse->SetPosition({20, 20});
    mouse->AddButtonEvent(1, true, 0, 0, {20, 20});
    mouse->AddButtonEvent(1, false, 0, 0, {21, 21});

    root->DispatchInput();
    EXPECT_TRUE(button->IsHover());
    EXPECT_TRUE(button->IsPressed());
    EXPECT_FALSE(mouse->HasMoved());  // the tree moved the previous position on
    root->DispatchInput();
    EXPECT_FALSE(button->IsPressedRaw());
    root->UpdateTree();
    EXPECT_EQ((std::vector<std::string>{"button: click", "root: command 4 from button"}), log);

    mouse->SetPosition(QZ_NOWHERE);
    root->DispatchInput();
    EXPECT_FALSE(button->IsHover());
}

TEST_F(InputTest, DispatchInputHandsTheWheelAndOneKey)
{
    std::vector<std::string> log;
    auto root = NewRootWindow<TProbe>(TQZRect{0, 0, 640, 480}, nullptr, 0, &log, "root");
    root->takesWheel = true;
    root->handledKey = 13;
    GetMouse()->AddWheel(-120, GetMouse()->MainWindow());
    GetKeyboard()->RecordKey(0x0D);
    root->DispatchInput();
    EXPECT_EQ((std::vector<std::string>{"root: wheel -120", "root: key 13"}), log);
}

// A key typed just before a press on another box, both in one frame, goes to
// the box that had the focus: a frame takes one key and one button event,
// in the order they came.
TEST_F(InputTest, DispatchInputTakesKeysAndButtonsInTheOrderTheyCame)
{
    auto root = NewRootWindow<TProbe>(TQZRect{0, 0, 640, 480}, nullptr, 0);
    TGUIEditbox* first = NewWindow<TGUIEditbox>("", TQZRect{10, 10, 210, 40}, root.get(), 1);
    TGUIEditbox* second = NewWindow<TGUIEditbox>("", TQZRect{10, 60, 210, 90}, root.get(), 2);
    first->SetFocus(true);
    TQZKeyboard* keyboard = GetKeyboard();
    TQZMouse* mouse = GetMouse();
    keyboard->RecordKey('X');
    mouse->AddButtonEvent(1, true, 0, 0, {20, 70});
    mouse->AddButtonEvent(1, false, 0, 0, {20, 70});
    keyboard->RecordKey('Y');

    root->DispatchInput();
    EXPECT_EQ("x", first->Caption());
    EXPECT_TRUE(second->IsFocused());
    EXPECT_EQ("", second->Caption()) << "the later key waits for the release before it";
    root->DispatchInput();
    EXPECT_EQ("y", second->Caption());
    EXPECT_FALSE(mouse->HasEvent());
    EXPECT_FALSE(keyboard->HasKeys());
}

// ---------------------------------------------------------------- drawing

class DrawTreeTest : public widgettest::VideoFixture {};

TEST_F(DrawTreeTest, LaterChildrenDrawOnTopAndHiddenOnesNotAtAll)
{
    auto root = NewRootWindow<TProbe>(TQZRect{0, 0, 160, 120}, nullptr, 0);
    TProbe* back = NewWindow<TProbe>(TQZRect{10, 10, 60, 60}, root.get(), 0);
    back->fill = 0xFFFF0000;
    TProbe* front = NewWindow<TProbe>(TQZRect{30, 30, 80, 80}, root.get(), 0);
    front->fill = 0xFF00FF00;
    TProbe* inner = NewWindow<TProbe>(TQZRect{5, 5, 10, 10}, front, 0);
    inner->fill = 0xFF0000FF;
    TProbe* hidden = NewWindow<TProbe>(TQZRect{100, 100, 150, 110}, root.get(), 0);
    hidden->fill = 0xFFFFFFFF;
    hidden->SetVisible(false);

    ASSERT_TRUE(Frame([&](TQZVideo*) { root->DrawTree(); }));
    EXPECT_EQ(0xFFFF0000u, BackPixel(15, 15));
    EXPECT_EQ(0xFF00FF00u, BackPixel(40, 40));  // overlap: the later child
    EXPECT_EQ(0xFF0000FFu, BackPixel(36, 36));  // grandchild at parent + offset
    EXPECT_EQ(0xFF000000u, BackPixel(120, 105));
    EXPECT_EQ((TQZRect{35, 35, 40, 40}), inner->drawnAt);
}

TEST_F(DrawTreeTest, AWindowWithARenderTargetDrawsItsSubtreeIntoIt)
{
    auto root = NewRootWindow<TProbe>(TQZRect{0, 0, 160, 120}, nullptr, 0);
    TProbe* frame = NewWindow<TProbe>(TQZRect{40, 40, 72, 72}, root.get(), 0);
    frame->fill = 0xFF112233;
    TProbe* child = NewWindow<TProbe>(TQZRect{4, 4, 8, 8}, frame, 0);
    child->fill = 0xFFFFFFFF;
    std::unique_ptr<TQZTexture> target;
    ASSERT_EQ(QZRES_OK, TQZTexture::CreateRenderTarget(target, 32, 32));
    TQZTexture* picture = target.get();
    frame->SetRenderTarget(std::move(target));

    ASSERT_TRUE(Frame([&](TQZVideo*) { root->DrawTree(); }));
    EXPECT_EQ((TQZRect{0, 0, 32, 32}), frame->drawnAt);
    EXPECT_EQ((TQZRect{4, 4, 8, 8}), child->drawnAt);
    EXPECT_EQ((TQZRect{44, 44, 48, 48}), child->GetScreenRect());  // hit tests stay on the screen
    EXPECT_EQ(0xFF000000u, BackPixel(45, 45));                      // nothing reached the screen

    TQZTexturePixelData* pixels = picture->PixelData();
    ASSERT_EQ(QZRES_OK, pixels->Lock(1));
    EXPECT_EQ(0xFF112233u, pixels->GetPixel(1, 1));
    EXPECT_EQ(0xFFFFFFFFu, pixels->GetPixel(5, 5));
    pixels->Unlock();
}
