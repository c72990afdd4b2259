// Behaviour of the themed widgets that does not depend on what they draw.
#include "UIButton.h"
#include "UICycleButton.h"
#include "UIFrame.h"
#include "UILabel.h"
#include "UIListbox.h"
#include "UIMovableFrame.h"
#include "UIProgressBar.h"
#include "UISliderBar.h"
#include "UITitle.h"
#include "UIToggleButton.h"
#include "widgettestutil.h"

#include <gtest/gtest.h>

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

class ThemedTest : public ::testing::Test {
protected:
    std::vector<std::string> log;
    TGUIWindowPtr<TProbe> root = NewRootWindow<TProbe>(TQZRect{0, 0, 800, 600}, nullptr, 0, &log, "root");

    size_t Commands(int32_t id) const
    {
        return size_t(std::count(log.begin(), log.end(), "root: command " + std::to_string(id) + " from ?"));
    }
    void Move(TQZPoint p) { root->DispatchMouseMove(p, root->FindWindowAt(p)); }
};

}  // namespace

// ---------------------------------------------------------------- buttons

TEST_F(ThemedTest, ACycleButtonGoesToItsFirstOptionFromAForeignCaption)
{
    TUICycleButton* cycle = MakeUICycleButton("Custom", {0, 0, 100, 30}, root.get(), 8);
    cycle->AddOption("Slow");
    cycle->AddOption("Fast");
    cycle->AddOption("Slow");
    EXPECT_EQ(2u, cycle->Options().size());
    EXPECT_EQ(-1, cycle->GetSelectedIndex());
    for (const char* expected : {"Slow", "Fast", "Slow"}) {
        cycle->Click();
        EXPECT_EQ(expected, cycle->Caption());
    }
    root->UpdateTree();
    EXPECT_EQ(3u, Commands(8));
}

TEST_F(ThemedTest, AToggleButtonFlipsOnEveryPress)
{
    TUIToggleButton* toggle = MakeUIToggleButton(true, {10, 20}, root.get(), 4);
    EXPECT_EQ((TQZRect{10, 20, 78, 50}), toggle->GetRect());
    root->DispatchMouseButton(Button(true, 15, 25));
    EXPECT_FALSE(toggle->state);
    root->DispatchMouseButton(Button(false, 15, 25));
    root->DispatchMouseButton(Button(true, 15, 25));
    EXPECT_TRUE(toggle->state);
}

TEST_F(ThemedTest, ASendOnPressButtonSendsOnThePressAndAgainOnTheRelease)
{
    TUIButton* grip = MakeUIButton("/", {100, 100, 130, 130}, root.get(), 21);
    grip->sendOnPress = true;
    root->DispatchMouseButton(Button(true, 110, 110));
    root->UpdateTree();
    EXPECT_EQ(1u, Commands(21));
    root->DispatchMouseButton(Button(false, 500, 500));  // released outside
    root->UpdateTree();
    EXPECT_EQ(2u, Commands(21));
    root->DispatchMouseButton(Button(true, 110, 110));
    root->DispatchMouseButton(Button(false, 111, 111));  // released inside: the click
    root->UpdateTree();
    EXPECT_EQ(4u, Commands(21));

    TUIButton* plain = MakeUIButton("OK", {200, 100, 300, 130}, root.get(), 22);
    root->DispatchMouseButton(Button(true, 210, 110));
    root->DispatchMouseButton(Button(false, 500, 500));
    root->UpdateTree();
    EXPECT_EQ(0u, Commands(22));
    EXPECT_FALSE(plain->IsPressed());
}

TEST_F(ThemedTest, AButtonKnowsThePointerOnlyWhileItIsTheHitWindow)
{
    TUIButton* button = MakeUIButton("OK", {100, 100, 200, 130}, root.get(), 1);
    Move({120, 110});
    EXPECT_EQ((TQZPoint{20, 10}), button->Pointer());
    Move({300, 300});
    EXPECT_EQ(QZ_NOWHERE, button->Pointer());
}

// ---------------------------------------------------------------- frames

TEST_F(ThemedTest, AShownFrameFadesInAtOneHundredSixtyASecond)
{
    TUIFrame* frame = MakeUIFrame("Options", {0, 0, 200, 100}, root.get());
    EXPECT_TRUE(frame->forwardCommands);
    EXPECT_EQ(255, frame->GetAlpha());
    frame->SetShown(true);
    EXPECT_EQ(0, frame->GetAlpha());
    frame->AdvanceFade(1000);
    EXPECT_EQ(160, frame->GetAlpha());
    frame->AdvanceFade(593);
    EXPECT_EQ(254, frame->GetAlpha());
    frame->AdvanceFade(1);
    EXPECT_EQ(255, frame->GetAlpha());
    frame->AdvanceFade(60000);
    EXPECT_EQ(255, frame->GetAlpha());

    frame->SetHiding(true);
    EXPECT_FALSE(frame->Shown());
    EXPECT_EQ(255, frame->GetAlpha());
    frame->AdvanceFade(1594);
    EXPECT_EQ(0, frame->GetAlpha());
    frame->SetShown(true);
    EXPECT_FALSE(frame->Hiding());

    frame->maxAlpha = -20;  // crossed bounds: the lower one wins
    EXPECT_EQ(0, frame->GetAlpha());
}

TEST_F(ThemedTest, ShowingAHiddenFrameRestartsItsFade)
{
    TUIFrame* frame = MakeUIFrame("", {0, 0, 200, 100}, root.get());
    frame->SetShown(true);
    frame->AdvanceFade(800);
    frame->SetVisible(false);
    frame->SetVisible(true);
    EXPECT_EQ(0u, frame->FadeTime());
}

TEST_F(ThemedTest, AFrameScrollsItsChildrenButNotItsScrollBar)
{
    TUIFrame* frame = MakeUIFrame("", {0, 0, 200, 100}, root.get());
    TGUIWindow* line = NewWindow<TGUIWindow>(TQZRect{10, 50, 150, 70}, frame, 0);
    TGUIScrollBar* bar = NewWindow<TGUIScrollBar>(TQZRect{180, 0, 200, 100}, frame, 0);
    frame->scrollBar = bar;
    bar->SetPosition(30);
    root->UpdateTree();
    EXPECT_EQ((TQZRect{10, 20, 150, 40}), line->GetRect());
    EXPECT_EQ((TQZRect{180, 0, 200, 100}), bar->GetRect());
    bar->SetPosition(10);
    root->UpdateTree();
    EXPECT_EQ((TQZRect{10, 40, 150, 60}), line->GetRect());
    EXPECT_EQ((TQZPoint{0, 10}), frame->Scroll());
}

TEST_F(ThemedTest, AMovableFrameIsCentredAndStaysInsideWhenDragged)
{
    TUIMovableFrame* frame = NewWindow<TUIMovableFrame>("Chat", root.get(), TQZPoint{300, 200});
    EXPECT_EQ((TQZRect{250, 200, 550, 400}), frame->GetRect());
    EXPECT_TRUE(frame->Shown());
    EXPECT_EQ((TQZRect{270, 0, 300, 30}), frame->CloseButton()->GetRect());
    EXPECT_EQ((TQZRect{265, 160, 295, 195}), frame->GripButton()->GetRect());

    Move({300, 300});
    root->DispatchMouseButton(Button(true, 300, 300));
    ASSERT_TRUE(frame->Dragging());
    Move({350, 320});
    EXPECT_EQ((TQZRect{300, 220, 600, 420}), frame->GetRect());
    Move({2000, 2000});
    EXPECT_EQ((TQZRect{500, 400, 800, 600}), frame->GetRect());
    root->DispatchMouseButton(Button(false, 2000, 2000));
    EXPECT_FALSE(frame->Dragging());
}

TEST_F(ThemedTest, AMovableFrameResizesByItsGripButNotBelowItsFirstSize)
{
    TUIMovableFrame* frame = NewWindow<TUIMovableFrame>("Chat", root.get(), TQZPoint{300, 200});
    const TQZRect grip = frame->GripButton()->GetScreenRect();
    const TQZPoint at{grip.left + 5, grip.top + 5};
    Move(at);
    root->DispatchMouseButton(Button(true, at.x, at.y));
    root->UpdateTree();  // the grip's press starts resizing
    ASSERT_TRUE(frame->Resizing());
    Move({at.x + 40, at.y + 30});
    EXPECT_EQ(340, frame->GetWidth());
    EXPECT_EQ(230, frame->GetHeight());
    Move({at.x - 200, at.y - 200});
    EXPECT_EQ(300, frame->GetWidth());
    EXPECT_EQ(200, frame->GetHeight());
    root->DispatchMouseButton(Button(false, at.x, at.y));
    root->UpdateTree();  // and its release ends it
    EXPECT_FALSE(frame->Resizing());
}

TEST_F(ThemedTest, AMovableFrameLargerThanItsParentEndsAtTheTopLeft)
{
    TGUIWindow* small = NewWindow<TGUIWindow>(TQZRect{0, 0, 200, 100}, root.get(), 0);
    TUIMovableFrame* frame = NewWindow<TUIMovableFrame>("Big", small, TQZPoint{300, 200});
    frame->left = 40;
    frame->top = -10;
    frame->Arrange();
    EXPECT_EQ((TQZRect{0, 0, 300, 200}), frame->GetRect());
}

TEST_F(ThemedTest, AMovableFramesCloseButtonHidesIt)
{
    TUIMovableFrame* frame = NewWindow<TUIMovableFrame>("Chat", root.get(), TQZPoint{300, 200});
    frame->CloseButton()->Click();
    root->UpdateTree();
    EXPECT_FALSE(frame->IsVisible());
}

// ---------------------------------------------------------------- bars

TEST(ProgressBar, TheFractionIsZeroWithoutAMaximumAndOneAtIt)
{
    auto root = NewRootWindow<TGUIWindow>(TQZRect{0, 0, 800, 600}, nullptr, 0);
    TUIProgressBar* bar = MakeUIProgressBar({0, 0, 256, 22}, root.get(), 0);
    struct Case {
        int32_t position, max;
        double fraction;
    };
    for (const Case c : {Case{0, 0, 0}, Case{50, 0, 0}, Case{-5, 100, 0}, Case{25, 100, 0.25}, Case{100, 100, 1},
                         Case{300, 100, 1}}) {
        bar->position = c.position;
        bar->max = c.max;
        EXPECT_DOUBLE_EQ(c.fraction, bar->Fraction()) << c.position << "/" << c.max;
    }
    EXPECT_EQ(52, bar->TextPartWidth());
}

TEST_F(ThemedTest, DraggingASliderSetsItsPositionInsideItsRange)
{
    TUISliderBar* slider = MakeUISliderBar({100, 100, 356, 120}, root.get(), 3);  // track 204
    slider->position = 0;
    EXPECT_EQ((TQZRect{0, 0, 20, 20}), slider->ThumbRect());
    root->DispatchMouseButton(Button(true, 105, 110));
    ASSERT_TRUE(slider->Dragging());
    Move({202, 110});
    EXPECT_EQ(50, slider->position);
    Move({900, 110});
    EXPECT_EQ(100, slider->position);
    Move({0, 110});
    EXPECT_EQ(0, slider->position);
    slider->max = -10;  // crossed bounds: the lower one wins
    Move({300, 110});
    EXPECT_EQ(0, slider->position);
    root->DispatchMouseButton(Button(false, 300, 110));
    EXPECT_FALSE(slider->Dragging());
}

TEST_F(ThemedTest, ASliderWithoutRoomKeepsItsPosition)
{
    TUISliderBar* slider = MakeUISliderBar({100, 100, 100, 120}, root.get(), 3);
    slider->position = 40;
    slider->MouseDown({0, 5});
    slider->MouseMove({50, 5}, nullptr);
    EXPECT_EQ(40, slider->position);
}

// ---------------------------------------------------------------- labels, lists, titles

TEST_F(ThemedTest, ALabelShowsItsTooltipOnlyWhileThePointerIsOverIt)
{
    TUILabel* label = MakeUILabel("Speed", {100, 100, 200, 120}, root.get(), 0xFFFFFFFF, 1);
    TGUIWindow* tip = NewWindow<TGUIWindow>(TQZRect{100, 80, 200, 100}, root.get(), 0);
    tip->SetVisible(false);
    label->tooltip = tip;
    EXPECT_TRUE(label->clickThrough);
    Move({150, 110});
    EXPECT_TRUE(tip->IsVisible());
    Move({150, 130});
    EXPECT_FALSE(tip->IsVisible());
    Move({150, 110});
    root->DispatchMouseLeave();
    EXPECT_FALSE(tip->IsVisible());
}

TEST_F(ThemedTest, AListBoxHidesExtensionsAndKeepsItsScrollBarAtTheRight)
{
    TUIListBox* list = MakeUIListBox({10, 10, 210, 110}, root.get(), 5);
    list->AddItem("Basic.cards");
    list->AddItem("Old.Style.cards");
    list->AddItem("Plain");
    EXPECT_EQ("Basic", list->ShownText(0));
    EXPECT_EQ("Old", list->ShownText(1));
    EXPECT_EQ("Plain", list->ShownText(2));
    list->hideExtensions = false;
    EXPECT_EQ("Basic.cards", list->ShownText(0));

    TUIScrollBar* bar = list->ScrollBarWidget();
    ASSERT_NE(nullptr, bar);
    EXPECT_EQ(list->ScrollBar(), bar);
    EXPECT_EQ((TQZRect{175, 2, 198, 98}), bar->GetRect());
    EXPECT_EQ(2, bar->Max());
    list->SetBounds({0, 0, 300, 200});
    EXPECT_EQ((TQZRect{275, 2, 298, 198}), bar->GetRect());
    bar->SetPosition(2);
    root->UpdateTree();
    EXPECT_EQ(2, list->SelectedIndex());
}

TEST(Title, IsPlacedByItsParentsSize)
{
    EXPECT_EQ((TQZRect{64, 272, 1216, 528}), TUITitle::PlaceIn({1280, 800}, true));
    EXPECT_EQ((TQZRect{64, 40, 1216, 296}), TUITitle::PlaceIn({1280, 800}, false));
    EXPECT_EQ((TQZRect{37, 40, 863, 227}), TUITitle::PlaceIn({900, 700}, false));
    EXPECT_EQ((TQZRect{25, 40, 75, 40}), TUITitle::PlaceIn({100, 100}, false));  // no room: empty
    auto root = NewRootWindow<TGUIWindow>(TQZRect{0, 0, 1280, 800}, nullptr, 0);
    TUITitle* title = NewWindow<TUITitle>(root.get(), false);
    root->SetBounds({0, 0, 900, 700});
    EXPECT_EQ((TQZRect{37, 40, 863, 227}), title->GetRect());
}
