// The composite widgets: container, dialog, panel and its scroll bar, panel
// set and fancy button.
#include "qz7videochoice.h"
#include "guitestutil.h"

#include "qz7guibuttonfancy.h"
#include "qz7guicontainer.h"
#include "qz7guidialog.h"
#include "qz7guipanel.h"
#include "qz7guipanelset.h"
#include "qz7resource.h"

namespace {

class CompositeTest : public guitest::GuiFixture {};

// ---------------------------------------------------------------- container

TEST_F(CompositeTest, ContainerScrollsItsContentUnderFixedSliders)
{
    auto* c = Make<TQZGUIContainer>({0, 0, 200, 100});
    TQZGUIWindow* content = Make({0, 0, 400, 300}, c);
    root->UpdateTree();
    EXPECT_EQ((TQZPoint{400, 300}), c->ContentExtent());
    ASSERT_TRUE(c->VerticalBar()->Visible());
    ASSERT_TRUE(c->HorizontalBar()->Visible());
    EXPECT_EQ(88, c->VerticalBar()->PageSize());
    c->VerticalBar()->SetValue(50);
    c->HorizontalBar()->SetValue(30);
    EXPECT_EQ((TQZPoint{-30, -50}), c->ClientOffset());
    EXPECT_EQ((TQZRect{-30, -50, 370, 250}), content->GetScreenRect());
    // The bars stay where they were on the screen.
    EXPECT_EQ((TQZRect{188, 0, 200, 88}), c->VerticalBar()->GetScreenRect());
    EXPECT_EQ((TQZRect{188, 88, 200, 100}), c->CornerButton()->GetScreenRect());
    ClickAt({194, 94});  // the corner button scrolls home
    EXPECT_EQ((TQZPoint{0, 0}), c->ClientOffset());
    EXPECT_EQ(0, c->VerticalBar()->Value());
}

TEST_F(CompositeTest, ContainerNeverScrollsPastItsContent)
{
    auto* c = Make<TQZGUIContainer>({0, 0, 200, 100});
    TQZGUIWindow* content = Make({0, 0, 400, 300}, c);
    root->UpdateTree();
    c->VerticalBar()->SetValue(250);
    EXPECT_EQ(-212, c->ClientOffset().y);  // 300 less the 88 that show
    content->SetPosition({0, 0, 100, 50});
    root->UpdateTree();
    EXPECT_EQ((TQZPoint{0, 0}), c->ClientOffset());
    EXPECT_FALSE(c->VerticalBar()->Visible());
    c->SetShowSliders(false);
    content->SetPosition({0, 0, 900, 900});
    root->UpdateTree();
    EXPECT_FALSE(c->VerticalBar()->Visible());
}

// ---------------------------------------------------------------- dialog

TEST_F(CompositeTest, DialogPlacesItsButtonsAndContent)
{
    auto* d = Make<TQZGUIDialog>({0, 0, 300, 200});
    d->LayoutPass();
    EXPECT_EQ((TQZRect{75, 153, 225, 193}), d->OKButton()->GetPosition());
    EXPECT_FALSE(d->CancelButton()->Visible());
    d->SetDlgButtons(dlgOKCancel);
    EXPECT_EQ((TQZRect{50, 153, 149, 193}), d->OKButton()->GetPosition());
    EXPECT_EQ((TQZRect{151, 153, 250, 193}), d->CancelButton()->GetPosition());
    EXPECT_TRUE(d->CancelButton()->Visible());
    d->SetPrompt("Save the cardset?");
    TQZGUIWindow* content = d->FindChildByTitle("Content");
    ASSERT_NE(nullptr, content);
    EXPECT_EQ((TQZRect{11, 41, 289, 143}), content->GetPosition());
    TQZGUIWindow* prompt = content->FindChildByTitle("Prompt");
    ASSERT_NE(nullptr, prompt);
    EXPECT_EQ((TQZRect{0, 0, 8 * 17 + 2, 18}), prompt->GetPosition());
    EXPECT_EQ(81u, prompt->TextDraw());
    d->SetPrompt("");
    EXPECT_EQ(nullptr, content->FindChildByTitle("Prompt"));
}

TEST_F(CompositeTest, ModalDialogDisablesItsSiblingsAndGivesThemBack)
{
    TQZGUIWindow* a = Make({0, 0, 10, 10});
    TQZGUIWindow* b = Make({0, 0, 10, 10});
    b->SetEnabled(false);
    auto* d = Make<TQZGUIDialog>({0, 0, 300, 200});
    d->SetVisible(false);
    d->ShowModal();
    EXPECT_TRUE(d->Modal());
    EXPECT_TRUE(d->Visible());
    EXPECT_EQ((TQZRect{170, 140, 470, 340}), d->GetPosition());  // centred in 640 x 480
    EXPECT_FALSE(a->Enabled());
    d->EndModal();
    EXPECT_TRUE(a->Enabled());
    EXPECT_FALSE(b->Enabled());
    EXPECT_FALSE(d->Visible());
}

TEST_F(CompositeTest, SiblingsFreedWhileADialogIsModalAreLeftAlone)
{
    TQZGUIWindow* a = Make({0, 0, 10, 10});
    auto* d = Make<TQZGUIDialog>({0, 0, 300, 200});
    TQZGUIWindow* later = Make({0, 0, 10, 10});
    d->ShowModal();
    (void)root->RemoveChild(a);  // setup: what the test checks after it shows whether it took
    d->EndModal();  // must not touch the freed sibling
    EXPECT_TRUE(later->Enabled());
    d->ShowModal();
    root.reset();  // the parent goes: later siblings first, then the modal dialog
    SUCCEED();
}

TEST_F(CompositeTest, DialogButtonsReportThroughTheDialog)
{
    auto* d = Make<TQZGUIDialog>({0, 0, 300, 200});
    d->SetDlgButtons(dlgOKCancel);
    std::vector<int32_t> got;
    d->onMessage = [&](int32_t id, TQZGUIWindow*) { got.push_back(id); };
    ClickAt({200, 170});
    EXPECT_EQ((std::vector<int32_t>{2}), got);
    EXPECT_EQ(2, d->Result());
}

TEST_F(CompositeTest, DialogDragsStayInsideTheParent)
{
    auto* d = Make<TQZGUIDialog>({100, 100, 400, 300});
    MoveTo({150, 110});
    EXPECT_EQ(QZCURSOR_MOVE, d->PointerShape());
    Press({150, 110});
    MoveTo({160, 130});
    EXPECT_EQ((TQZRect{110, 120, 410, 320}), d->GetPosition());
    MoveTo({-400, -400});
    EXPECT_EQ((TQZRect{0, 0, 300, 200}), d->GetPosition());
    MoveTo({5000, 5000});
    EXPECT_EQ((TQZRect{340, 280, 640, 480}), d->GetPosition());
    Release({5000, 5000});
}

TEST_F(CompositeTest, ADialogWiderThanItsParentStaysAtItsLeftEdge)
{
    TQZGUIWindow* parent = Make({0, 0, 200, 100});
    auto* d = Make<TQZGUIDialog>({0, 0, 300, 200}, parent);
    d->DragMove({50, 30});
    EXPECT_EQ((TQZRect{0, 0, 300, 200}), d->GetPosition());
}

TEST_F(CompositeTest, DialogPaintsFrameTitleBodyAndShadows)
{
    Make<TQZGUIDialog>({10, 10, 110, 90}, nullptr, 0, "Title");
    Paint();
    EXPECT_TRUE(video->Has("fill 11,11,109,41 " + guitest::Hex(root->GetThemeColor(6))));
    EXPECT_TRUE(video->Has("fill 11,41,109,89 FFFFFFFF"));
    EXPECT_TRUE(video->Has("fill 20,90,120,100 60000000"));
    EXPECT_TRUE(video->Has("text 'Title' 13,11,109,41 f17 FFFFFFFF"));
}

// ---------------------------------------------------------------- panel

TEST_F(CompositeTest, PanelRowsFollowItsHeight)
{
    const std::pair<int32_t, int32_t> cases[] = {{120, 30}, {400, 50}, {800, 60}};
    for (const auto& [height, rows] : cases) {
        auto* p = Make<TQZGUIPanel>({0, 0, 200, height});
        p->Update();
        EXPECT_EQ(rows, p->RowHeight()) << height;
    }
}

TEST_F(CompositeTest, PanelPlacesChildrenInRowsAndScrollsThem)
{
    auto* p = Make<TQZGUIPanel>({0, 0, 200, 120});
    TQZGUIWindow* w = Make({}, p);
    TQZGUILayout l;
    l.mode = LayoutParentManaged;
    l.position = {0, 1, 50, 2};
    w->SetLayout(l);
    EXPECT_EQ((TQZRect{5, 36, 75, 58}), w->GetPosition());
    TQZGUIWindow* far = Make({}, p);
    l.position = {0, 9, 100, 10};
    far->SetLayout(l);
    p->Update();
    EXPECT_TRUE(p->Scroll()->Visible());
    EXPECT_EQ(298, p->Scroll()->Maximum());
    p->Scroll()->SetValue(100);
    EXPECT_EQ((TQZPoint{0, -100}), p->ClientOffset());
    EXPECT_EQ((TQZRect{180, 5, 200, 115}), p->Scroll()->GetScreenRect());  // stays in view
}

TEST_F(CompositeTest, PanelScrollClampsAndMovesByItsStep)
{
    auto* s = Make<TQZGUIPanelScroll>({0, 0, 20, 100});
    s->SetMaximum(100);
    s->SetValueSize(25);
    s->SetStep(10);
    s->SetValue(500);
    EXPECT_EQ(76, s->Value());
    s->SetValueSize(90);
    EXPECT_EQ(11, s->Value());
    s->SetValue(0);
    ClickAt({10, 95});  // after the thumb
    EXPECT_EQ(10, s->Value());
    root->SetFocus(s);
    root->RouteKey(0x1000026);
    EXPECT_EQ(0, s->Value());
    s->SetValueSize(200);  // more than the range: the thumb fills the track
    EXPECT_EQ(s->TrackLength(), s->ThumbLength());
    MoveTo({10, 50});
    Press({10, 50});
    MoveTo({10, 90});  // nothing to divide by
    EXPECT_EQ(0, s->Value());
    Release({10, 90});
}

// ---------------------------------------------------------------- panel set

TEST_F(CompositeTest, PanelSetMakesOneTabPerPage)
{
    auto* set = Make<TQZGUIPanelSet>({0, 0, 400, 300});
    for (const char* name : {"Cards", "Backs", "Music"}) Make({}, set->Area(), 0, name);
    root->UpdateTree();
    ASSERT_EQ(3, set->Buttons()->ChildCount());
    auto* tab = dynamic_cast<TQZGUIButton*>(set->Buttons()->GetChild(1));
    ASSERT_NE(nullptr, tab);
    EXPECT_EQ("Backs", tab->Text());
    EXPECT_EQ((TQZRect{100, 0, 200, 30}), tab->GetPosition());  // 25 percent wide
    set->SelectPage(7);
    EXPECT_EQ(2, set->CurrentPage());
    EXPECT_TRUE(set->Area()->GetChild(2)->Visible());
    EXPECT_FALSE(set->Area()->GetChild(0)->Visible());
    ClickAt({150, 10});
    EXPECT_EQ(1, set->CurrentPage());
    EXPECT_TRUE(tab->Selected());
}

TEST_F(CompositeTest, PanelSetTabsNarrowToOnePercentAndVanishWithTheirPages)
{
    auto* set = Make<TQZGUIPanelSet>({0, 0, 400, 300});
    for (int i = 0; i < 150; ++i) Make({}, set->Area());
    root->UpdateTree();
    EXPECT_EQ((TQZRect{4, 0, 8, 30}), set->Buttons()->GetChild(1)->GetPosition());
    set->Area()->FreeChildren(true);
    root->UpdateTree();  // no pages: no tabs, and no division by zero
    EXPECT_EQ(0, set->Buttons()->ChildCount());
    set->SelectPage(3);
    EXPECT_EQ(0, set->CurrentPage());
}

// ---------------------------------------------------------------- fancy button

class FancyTest : public CompositeTest {
protected:
    void SetUp() override
    {
        CompositeTest::SetUp();
        ASSERT_EQ(QZRES_OK, GetVideo()->SetMode(160, 120, std::make_unique<TQZHeadlessVideoWindow>(0, 0),
                                                QZWINDOW_WINDOWED, 0));
    }
};

TEST_F(FancyTest, CornerTextureIsDrawnOnceAndShared)
{
    TQZTexture* t = TQZGUIButtonFancy::CornerTexture();
    ASSERT_NE(nullptr, t);
    EXPECT_EQ(t, TQZGUIButtonFancy::CornerTexture());
    EXPECT_EQ(0, GetResourceManager()->Find(QZRES_TEXTURE, TQZGUIButtonFancy::CORNER_TEXTURE));
    TQZTexturePixelData* pd = t->PixelData();
    ASSERT_EQ(QZRES_OK, pd->Lock(1));
    EXPECT_EQ(0x00FFFFFFu, pd->GetPixel(12, 0));   // row 0 starts 13 in
    EXPECT_EQ(0xFFFFFFFFu, pd->GetPixel(13, 0));
    EXPECT_EQ(0x00FFFFFFu, pd->GetPixel(51, 63));
    EXPECT_EQ(0xFFFFFFFFu, pd->GetPixel(0, 30));   // the middle band
    EXPECT_EQ(0xFFFFFFFFu, pd->GetPixel(0, 13));
    pd->Unlock();
}

TEST_F(FancyTest, PressSinksAndGlowFollowsThePointer)
{
    auto* b = Make<TQZGUIButtonFancy>({0, 0, 100, 40});
    b->SetState(QZSTATE_HOVER, true);
    EXPECT_TRUE(b->AnimationStep(0.2f));
    EXPECT_FLOAT_EQ(0.2f, b->Glow());
    EXPECT_TRUE(b->AnimationStep(0.4f));
    EXPECT_FLOAT_EQ(0.5f, b->Glow());
    b->SetState(QZSTATE_PRESSED, true);
    EXPECT_TRUE(b->AnimationStep(0.05f));
    EXPECT_FALSE(b->AnimationStep(0.05f));  // at the bottom and fully lit: done
    EXPECT_FLOAT_EQ(TQZGUIButtonFancy::MAX_DEPTH, b->Depth());
    b->SetState(QZSTATE_PRESSED | QZSTATE_HOVER, false);
    EXPECT_TRUE(b->AnimationStep(0.3f));
    EXPECT_FLOAT_EQ(0.0f, b->Depth());
    EXPECT_FLOAT_EQ(0.2f, b->Glow());
}

TEST_F(FancyTest, SmallFancyButtonsArePaintedPlainly)
{
    Make<TQZGUIButtonFancy>({10, 10, 110, 40}, nullptr, 0, "Go");
    Paint();
    ASSERT_FALSE(video->log.empty());
    EXPECT_EQ("fill 10,10,110,40 FF000000", video->log[0]);
    EXPECT_TRUE(video->Has("fill 12,12,108,32 " + guitest::Hex(root->GetThemeColor(6))));
}

}  // namespace
