#include "arcqz7guiwidgets.h"
#include "widgettestutil.h"

#include "qz7fonts.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

using widgettest::TProbe;

namespace {

// Every character 10 pixels wide and lines 10 pixels high.
TQZFont* TenPixelFont()
{
    static TQZFont font("Test", 10);
    return &font;
}

class WidgetTest : public ::testing::Test {
protected:
    std::vector<std::string> log;
    TGUIWindowPtr<TProbe> root = NewRootWindow<TProbe>(TQZRect{0, 0, 800, 600}, nullptr, 0, &log, "root");

    size_t Commands(int32_t id) const
    {
        const std::string tail = "command " + std::to_string(id) + " from ?";
        return size_t(std::count(log.begin(), log.end(), "root: " + tail));
    }
};

}  // namespace

// ---------------------------------------------------------------- edit box

struct EditCase {
    const char* what;
    std::string caption;
    int32_t maxLength;
    int32_t cursor;
    std::vector<uint32_t> keys;
    std::string expectedCaption;
    int32_t expectedCursor;
};

class EditboxKeys : public ::testing::TestWithParam<EditCase> {};

TEST_P(EditboxKeys, EditTheCaptionAndKeepTheCursorInside)
{
    const EditCase& c = GetParam();
    auto root = NewRootWindow<TGUIWindow>(TQZRect{0, 0, 100, 100}, nullptr, 0);
    TGUIEditbox* box = NewWindow<TGUIEditbox>(c.caption, TQZRect{0, 0, 100, 20}, root.get(), 1);
    box->SetMaxLength(c.maxLength);
    box->SetCursor(c.cursor);
    box->SetFocus(true);
    for (uint32_t key : c.keys) box->KeyPress(key);
    EXPECT_EQ(c.expectedCaption, box->Caption()) << c.what;
    EXPECT_EQ(c.expectedCursor, box->Cursor()) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EditboxKeys,
    ::testing::Values(
        EditCase{"typing at the cursor", "ac", 10, 1, {'b'}, "abc", 2},
        EditCase{"typing at MaxLength cuts the end", "abcd", 4, 1, {'x'}, "axbc", 2},
        EditCase{"typing at the end of a full box", "abcd", 4, 4, {'x'}, "abcd", 4},
        EditCase{"backspace at 0", "abc", 10, 0, {GUIKEY_BACKSPACE}, "abc", 0},
        EditCase{"backspace", "abc", 10, 2, {GUIKEY_BACKSPACE}, "ac", 1},
        EditCase{"left at 0", "abc", 10, 0, {GUIKEY_LEFT, GUIKEY_LEFT, 'x'}, "xabc", 1},
        EditCase{"right at the end", "abc", 10, 3, {GUIKEY_RIGHT, GUIKEY_RIGHT, GUIKEY_BACKSPACE}, "ab", 2},
        EditCase{"keypad digits at MaxLength", "12", 3, 2,
                 {GUIKEY_NUMPAD0 + 7, GUIKEY_NUMPAD0 + 8, GUIKEY_NUMPAD0 + 9, GUIKEY_BACKSPACE}, "12", 2},
        EditCase{"home and end", "abc", 10, 1, {GUIKEY_HOME, 'x', GUIKEY_END, 'y'}, "xabcy", 5},
        EditCase{"delete stays", "abc", 10, 1, {GUIKEY_DELETE}, "ac", 1},
        EditCase{"delete at the end", "abc", 10, 3, {GUIKEY_DELETE}, "abc", 3},
        EditCase{"control characters are not typed", "abc", 10, 3, {1, 7, 9, 27}, "abc", 3}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

TEST(Editbox, ACaptionSetShorterDoesNotLeaveTheCursorOutside)
{
    auto root = NewRootWindow<TGUIWindow>(TQZRect{0, 0, 100, 100}, nullptr, 0);
    TGUIEditbox* box = NewWindow<TGUIEditbox>("abcdef", TQZRect{0, 0, 100, 20}, root.get(), 1);
    box->SetFocus(true);
    EXPECT_EQ(6, box->Cursor());
    box->SetCaption("ab");
    EXPECT_TRUE(box->KeyPress(GUIKEY_NUMPAD0 + 1));
    EXPECT_EQ("ab1", box->Caption());
    EXPECT_EQ(3, box->Cursor());
}

TEST(Editbox, CharactersFollowTheAllowFlags)
{
    auto root = NewRootWindow<TGUIWindow>(TQZRect{0, 0, 100, 100}, nullptr, 0);
    TGUIEditbox* box = NewWindow<TGUIEditbox>("", TQZRect{0, 0, 100, 20}, root.get(), 1);
    box->SetFocus(true);
    box->allowText = false;
    for (uint32_t key : {uint32_t('a'), uint32_t('5'), uint32_t(' '), GUIKEY_NUMPAD0 + 3}) box->KeyPress(key);
    EXPECT_EQ("53", box->Caption());
    EXPECT_FALSE(box->IsCharAllowed(200));
    EXPECT_FALSE(box->IsCharAllowed(31));
    box->allowDigits = false;
    EXPECT_FALSE(box->IsCharAllowed('0'));
}

TEST_F(WidgetTest, EnterSendsTheCommandOnlyWhileFocused)
{
    TGUIEditbox* box = NewWindow<TGUIEditbox>("name", TQZRect{0, 0, 100, 20}, root.get(), 77);
    EXPECT_FALSE(box->KeyPress(GUIKEY_ENTER));
    EXPECT_FALSE(box->KeyPress('x'));
    box->SetFocus(true);
    EXPECT_TRUE(box->KeyPress(GUIKEY_ENTER));
    root->UpdateTree();
    EXPECT_EQ(1u, Commands(77));
    EXPECT_EQ("name", box->Caption());
}

TEST(Editbox, ShorterMaxLengthCutsTheCaption)
{
    auto root = NewRootWindow<TGUIWindow>(TQZRect{0, 0, 100, 100}, nullptr, 0);
    TGUIEditbox* box = NewWindow<TGUIEditbox>("abcdef", TQZRect{0, 0, 100, 20}, root.get(), 1);
    box->SetMaxLength(3);
    EXPECT_EQ("abc", box->Caption());
    box->SetCaption("wxyz");
    EXPECT_EQ("wxy", box->Caption());
}

// ---------------------------------------------------------------- labels and buttons

TEST_F(WidgetTest, AClickOnALabelReachesTheWindowBelow)
{
    TProbe* below = NewWindow<TProbe>(TQZRect{0, 0, 100, 100}, root.get(), 5, &log, "below");
    NewWindow<TGUILabel>("caption", TQZRect{0, 0, 100, 100}, root.get(), 6);
    EXPECT_EQ(below, root->FindWindowAt({50, 50}));
}

TEST_F(WidgetTest, ButtonsAnswerEnterWhenFocusedAndTheirHotKeyAlways)
{
    widgettest::ManualClock clock;
    TGUIButton* ok = NewWindow<TGUIButton>("OK", TQZRect{0, 0, 100, 30}, root.get(), 11);
    TGUIButton* quit = NewWindow<TGUIButton>("Quit", TQZRect{0, 40, 100, 70}, root.get(), 12);
    quit->hotKey = 'q';
    EXPECT_FALSE(root->DispatchKey(GUIKEY_ENTER));  // nothing focused
    EXPECT_TRUE(root->DispatchKey('q'));
    EXPECT_TRUE(quit->IsPressed());
    ok->SetFocus(true);
    EXPECT_TRUE(root->DispatchKey(GUIKEY_ENTER));
    clock.Advance(GUI_CLICK_DELAY_MS);
    root->UpdateTree();
    EXPECT_EQ(1u, Commands(11));
    EXPECT_EQ(1u, Commands(12));
}

// ---------------------------------------------------------------- list box

namespace {

class ListTest : public WidgetTest {
protected:
    TGUIListbox* list = nullptr;

    void SetUp() override
    {
        list = NewWindow<TGUIListbox>(TQZRect{100, 100, 300, 150}, root.get(), 30);  // five rows of 10
        list->font = TenPixelFont();
    }
    void Fill(int32_t n)
    {
        for (int32_t i = 0; i < n; ++i) list->AddItem("item" + std::to_string(i));
        log.clear();
    }
};

}  // namespace

TEST_F(ListTest, AnEmptyListSelectsZeroWhateverIsAsked)
{
    for (int32_t asked : {-5, 0, 3, 1000}) {
        list->SetSelected(asked);
        EXPECT_EQ(0, list->SelectedIndex()) << asked;
    }
    EXPECT_EQ(0, list->TopIndex());
}

TEST_F(ListTest, DeleteItemRefusesIndicesOutsideTheList)
{
    Fill(3);
    list->DeleteItem(-1);
    list->DeleteItem(3);
    EXPECT_EQ(3, list->Count());
    list->SetSelected(2);
    list->DeleteItem(2);
    EXPECT_EQ(2, list->Count());
    EXPECT_EQ(1, list->SelectedIndex());
    EXPECT_EQ("item1", list->Item(1));
}

TEST_F(ListTest, SelectingScrollsTheRowsAndTellsTheParentOfChanges)
{
    Fill(20);
    EXPECT_EQ(5, list->GetVisibleCount());
    list->SetSelected(7);
    EXPECT_EQ(3, list->TopIndex());
    list->SetSelected(7);  // unchanged: no command
    list->SetSelected(1);
    EXPECT_EQ(1, list->TopIndex());
    list->SetTopIndex(100);
    EXPECT_EQ(15, list->TopIndex());
    root->UpdateTree();
    EXPECT_EQ(2u, Commands(30));
    EXPECT_EQ((TQZRect{100, 100, 300, 110}), list->GetItemRect(15));
    EXPECT_EQ((TQZRect{}), list->GetItemRect(14));
    EXPECT_EQ((TQZRect{}), list->GetItemRect(20));
}

TEST_F(ListTest, KeysMoveTheSelection)
{
    Fill(4);
    list->SetFocus(true);
    EXPECT_TRUE(list->KeyPress(GUIKEY_END));
    EXPECT_EQ(3, list->SelectedIndex());
    EXPECT_TRUE(list->KeyPress(GUIKEY_DOWN));
    EXPECT_EQ(3, list->SelectedIndex());
    EXPECT_TRUE(list->KeyPress(GUIKEY_UP));
    EXPECT_EQ(2, list->SelectedIndex());
    EXPECT_TRUE(list->KeyPress(GUIKEY_HOME));
    EXPECT_EQ(0, list->SelectedIndex());
    EXPECT_FALSE(list->KeyPress(GUIKEY_LEFT));
    EXPECT_FALSE(list->KeyPress('a'));
}

TEST_F(ListTest, TheScrollBarAndTheSelectionFollowEachOther)
{
    Fill(10);
    TGUIScrollBar* bar = NewWindow<TGUIScrollBar>(TQZRect{180, 0, 200, 50}, list, 0);
    list->SetScrollBar(bar);
    EXPECT_EQ(GUICMD_BACK, bar->commandId);
    EXPECT_TRUE(bar->focusParent);
    EXPECT_EQ(9, bar->Max());

    bar->SetPosition(6);
    root->UpdateTree();
    EXPECT_EQ(6, list->SelectedIndex());

    list->SetFocus(true);
    list->KeyPress(GUIKEY_DOWN);
    EXPECT_EQ(7, bar->Position());
    EXPECT_EQ(list, root->GetFocused());
}

TEST_F(ListTest, AnEmptyListsScrollBarStaysAtZero)
{
    TGUIScrollBar* bar = NewWindow<TGUIScrollBar>(TQZRect{180, 0, 200, 50}, list, 0);
    list->SetScrollBar(bar);
    EXPECT_EQ(0, bar->Position());
    bar->SetPosition(3);
    EXPECT_EQ(0, bar->Position());
    bar->StepForward();
    EXPECT_EQ(0, bar->Position());
}

TEST_F(ListTest, DraggingWithTheButtonDownMovesTheSelection)
{
    Fill(10);
    root->DispatchMouseMove({150, 125}, root->FindWindowAt({150, 125}));
    EXPECT_EQ(2, list->HoverIndex());
    TQZMouseEvent press;
    press.button = 1;
    press.down = true;
    press.x = 150;
    press.y = 125;
    root->DispatchMouseButton(press);
    root->DispatchMouseMove({150, 141}, root->FindWindowAt({150, 141}));
    root->UpdateTree();
    EXPECT_EQ(4, list->SelectedIndex());
    root->DispatchMouseMove({150, 400}, root->FindWindowAt({150, 400}));  // over no item
    EXPECT_EQ(4, list->HoverIndex());
}

// ---------------------------------------------------------------- scroll bar

namespace {

// The nearest step value to the pointer, tried one value at a time.
int32_t WalkedPosition(const TGUIScrollBar& bar, TQZPoint point)
{
    const TQZPoint client = bar.GetClientSize();
    const double track = bar.horizontal ? client.x - bar.thumbWidth : client.y - bar.thumbHeight;
    const int32_t coord = bar.horizontal ? point.x - bar.thumbWidth / 2 : point.y - bar.thumbHeight / 2;
    const double scale = (bar.Max() - bar.Min()) / track;
    int32_t best = bar.Position(), bestDistance = 10000;
    for (int32_t v = bar.Min(); v <= bar.Max(); ++v) {
        if ((v - bar.Min()) % bar.step != 0) continue;
        const int32_t d = std::abs(coord - int32_t(std::llround((v - bar.Min()) / scale)));
        if (d < bestDistance) best = v, bestDistance = d;
    }
    return best;
}

}  // namespace

TEST(ScrollBar, PositionFromThePointerMatchesTheWalkOverEveryValue)
{
    auto root = NewRootWindow<TGUIWindow>(TQZRect{0, 0, 1000, 1000}, nullptr, 0);
    struct Range {
        int32_t width, min, max, step;
    };
    for (const Range r : {Range{220, 0, 100, 1}, Range{120, 0, 1000, 1}, Range{120, 0, 1000, 7}, Range{520, -50, 50, 3},
                          Range{60, 5, 9, 1}, Range{1020, 0, 10, 4}}) {
        TGUIScrollBar* bar = NewWindow<TGUIScrollBar>(TQZRect{0, 0, r.width, 20}, root.get(), 0);
        bar->SetMin(r.min);
        bar->SetMax(r.max);
        bar->step = r.step;
        ASSERT_TRUE(bar->horizontal);
        for (int32_t x = -30; x < r.width + 30; ++x) {
            ASSERT_EQ(WalkedPosition(*bar, {x, 5}), bar->PositionAt({x, 5}))
                << r.width << " " << r.min << ".." << r.max << " step " << r.step << " at " << x;
        }
        TGUIWindow::Free(bar);
    }
}

TEST(ScrollBar, ANullTrackOrStepKeepsThePositionInsteadOfDividingByZero)
{
    auto root = NewRootWindow<TGUIWindow>(TQZRect{0, 0, 1000, 1000}, nullptr, 0);
    TGUIScrollBar* square = NewWindow<TGUIScrollBar>(TQZRect{0, 0, 20, 20}, root.get(), 0);  // track 0
    square->SetPosition(40);
    EXPECT_EQ(40, square->PositionAt({15, 15}));
    TGUIScrollBar* stepless = NewWindow<TGUIScrollBar>(TQZRect{0, 0, 120, 20}, root.get(), 0);
    stepless->step = 0;
    EXPECT_EQ(50, stepless->PositionAt({60, 10}));
    stepless->step = -3;
    EXPECT_EQ(100, stepless->PositionAt({200, 10}));
}

TEST(ScrollBar, EqualBoundsPutTheThumbInTheMiddleAndIgnoreDragging)
{
    auto root = NewRootWindow<TGUIWindow>(TQZRect{0, 0, 1000, 1000}, nullptr, 0);
    TGUIScrollBar* bar = NewWindow<TGUIScrollBar>(TQZRect{100, 0, 220, 20}, root.get(), 0);
    bar->SetMax(0);
    EXPECT_EQ((TQZRect{150, 0, 170, 20}), bar->ThumbRect());
    EXPECT_TRUE(bar->MouseDown({60, 10}));
    EXPECT_TRUE(bar->Dragging());
    bar->MouseMove({5, 10}, nullptr);
    EXPECT_EQ(0, bar->Position());
}

TEST_F(WidgetTest, ScrollBarsStepByPressAndKeysAndNotifyTheirParent)
{
    TGUIScrollBar* bar = NewWindow<TGUIScrollBar>(TQZRect{0, 0, 20, 220}, root.get(), 50);  // vertical
    ASSERT_FALSE(bar->horizontal);
    bar->step = 10;
    EXPECT_TRUE(bar->MouseDown({10, 150}));  // below the thumb
    EXPECT_EQ(10, bar->Position());
    bar->MouseUp({10, 150});
    bar->SetFocus(true);
    EXPECT_TRUE(bar->KeyPress(GUIKEY_DOWN));
    EXPECT_TRUE(bar->KeyPress(GUIKEY_DOWN));
    EXPECT_TRUE(bar->KeyPress(GUIKEY_UP));
    EXPECT_FALSE(bar->KeyPress(GUIKEY_LEFT));
    EXPECT_EQ(20, bar->Position());
    EXPECT_EQ((TQZRect{0, 40, 20, 60}), bar->ThumbRect());
    bar->MouseDown({10, 5});  // above the thumb
    EXPECT_EQ(10, bar->Position());
    bar->MouseUp({10, 5});

    bar->SetPosition(500);
    EXPECT_EQ(100, bar->Position());
    bar->SetMax(60);
    EXPECT_EQ(60, bar->Position());
    bar->notify = false;
    bar->SetPosition(0);
    root->UpdateTree();
    EXPECT_EQ(9u, Commands(50));  // seven moves and two clicks
}

TEST_F(WidgetTest, DraggingTheThumbFollowsThePointerEvenOutsideTheBar)
{
    TGUIScrollBar* bar = NewWindow<TGUIScrollBar>(TQZRect{100, 100, 320, 120}, root.get(), 50);
    TQZMouseEvent press;
    press.button = 1;
    press.down = true;
    press.x = 110;
    press.y = 110;
    root->DispatchMouseButton(press);
    ASSERT_TRUE(bar->Dragging());
    root->DispatchMouseMove({210, 300}, root->FindWindowAt({210, 300}));
    EXPECT_EQ(50, bar->Position());
    root->DispatchMouseMove({900, 300}, root->FindWindowAt({900, 300}));
    EXPECT_EQ(100, bar->Position());
    press.down = false;
    root->DispatchMouseButton(press);
    EXPECT_FALSE(bar->Dragging());
}
