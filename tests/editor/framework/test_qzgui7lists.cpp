// The item and layout widgets: list base, list view, tree view, drop-down,
// table and flow.
#include "guitestutil.h"

#include "qzgui7dropdown.h"
#include "qzgui7flow.h"
#include "qzgui7listview.h"
#include "qzgui7table.h"
#include "qzgui7treeview.h"

namespace {

class ListTest : public guitest::GuiFixture {
protected:
    // Rows of 16 pixels (the test font): a list 100 high shows
    // (100 - 6) / 16 = 5 rows.
    TQZGUIListView* List(int32_t items, const TQZRect& r = {0, 0, 200, 100})
    {
        auto* l = Make<TQZGUIListView>(r);
        for (int32_t i = 0; i < items; ++i) l->AddItem("item" + std::to_string(i));
        root->UpdateTree();
        return l;
    }
};

// A font whose lines have no height.
class FlatFont : public guitest::RecordingFont {
public:
    using RecordingFont::RecordingFont;
    int32_t TextHeight(const std::string&) override { return 0; }
};

// ---------------------------------------------------------------- list base

TEST_F(ListTest, SelectionScrollsItsRowIntoViewAndReportsIt)
{
    TQZGUIListView* l = List(20);
    l->SetMessageOnChange(31);
    std::vector<int32_t> got;
    root->onMessage = [&](int32_t id, TQZGUIWindow*) { got.push_back(id); };
    EXPECT_EQ(5, l->VisibleRows());
    l->SetSelected(12);
    EXPECT_EQ(8, l->TopRow());  // the selected row is the last one showing
    EXPECT_EQ("item12", l->Text());
    l->SetSelected(12);  // already selected with its text: nothing
    l->SetSelected(3);
    EXPECT_EQ(3, l->TopRow());
    l->SetSelected(99);
    EXPECT_EQ(-1, l->Selected());
    EXPECT_EQ("", l->Text());
    EXPECT_EQ((std::vector<int32_t>{31, 31, 31}), got);
}

TEST_F(ListTest, KeysMoveTheSelectionWithinTheItems)
{
    TQZGUIListView* l = List(20);
    root->SetFocus(l);
    l->SetSelected(0);
    root->RouteKey(0x1000028);
    EXPECT_EQ(1, l->Selected());
    root->RouteKey(0x1000022);
    EXPECT_EQ(6, l->Selected());
    for (int i = 0; i < 5; ++i) root->RouteKey(0x1000022);
    EXPECT_EQ(19, l->Selected());
    root->RouteKey(0x1000021);
    EXPECT_EQ(14, l->Selected());
    for (int i = 0; i < 20; ++i) root->RouteKey(0x1000026);
    EXPECT_EQ(0, l->Selected());
}

TEST_F(ListTest, ClicksSelectTheRowUnderThePointerAndTheWheelScrolls)
{
    TQZGUIListView* l = List(20);
    ClickAt({20, 3 + 16 * 2 + 5});
    EXPECT_EQ(2, l->Selected());
    EXPECT_EQ(l, root->Focused());
    MoveTo({20, 40});
    GetMouse()->AddWheel(-240, 0);  // toward the user: two rows down
    root->ProcessMouse();
    EXPECT_EQ(2, l->TopRow());
    GetMouse()->AddWheel(120, 0);
    root->ProcessMouse();
    EXPECT_EQ(1, l->TopRow());
    EXPECT_LT(l->ScrollAnimation(), 0.0f);
}

TEST_F(ListTest, ScrollingStopsWhereTheLastRowsFill)
{
    TQZGUIListView* l = List(20);
    l->ScrollTo(18);
    EXPECT_EQ(15, l->TopRow());
    EXPECT_EQ(19, l->LastVisibleRow());
    l->ScrollTo(-3);
    EXPECT_EQ(0, l->TopRow());
    EXPECT_TRUE(l->VerticalBar()->Visible());
    l->VerticalBar()->SetValue(7);
    EXPECT_EQ(7, l->TopRow());
}

TEST_F(ListTest, AFontWithoutHeightStillMakesRowsOfOnePixel)
{
    FlatFont flat(video.get());
    TQZGUIListView* l = List(0);
    l->SetFont(&flat);
    for (int i = 0; i < 3; ++i) l->AddItem("x");
    root->UpdateTree();
    EXPECT_EQ(1, l->RowHeight());
    EXPECT_EQ(94, l->VisibleRows());
    Paint();
    EXPECT_EQ(1, l->RowAt({5, 4}));
}

TEST_F(ListTest, SettingTheTextSelectsTheItemOrBecomesTheCaption)
{
    TQZGUIListView* l = List(5);
    l->SetText("item3");
    EXPECT_EQ(3, l->Selected());
    l->SetText("other");
    EXPECT_EQ("other", l->Text());
    EXPECT_EQ(3, l->Selected());
    EXPECT_EQ(-1, l->IndexOfText(""));
}

// ---------------------------------------------------------------- list view

TEST_F(ListTest, ColumnsAreAsWideAsTheirWidestFieldAndAFewPixels)
{
    auto* l = Make<TQZGUIListView>({0, 0, 300, 100});
    l->SetHeader("Name|Cards");
    l->AddItem("Basic|53");
    l->AddItem("Ornate deck|1");
    root->UpdateTree();
    EXPECT_EQ((std::vector<int32_t>{8 * 11 + 5, 8 * 5 + 5}), l->ColumnWidths());
    EXPECT_EQ("Ornate deck", l->ItemText(1));
    EXPECT_EQ(1, l->IndexOfText("Ornate deck"));
    EXPECT_EQ(4, l->VisibleRows());  // the header takes a row
    std::string many;
    for (int i = 0; i < 150; ++i) many += "|";
    EXPECT_EQ(101u, l->Fields(many).size());
    l->SetSelected(0);
    Paint();
    // Rows start below the header row and the spacing; fields 2 pixels into their columns.
    EXPECT_TRUE(video->Has("text 'Basic' 2,19,93,35 f17 FFFFFFFF"));
    EXPECT_TRUE(video->Has("text '53' 95,19,138,35 f17 FFFFFFFF"));
    EXPECT_TRUE(video->Has("fill 90,19,91,35 FFA0A0A0"));
    EXPECT_TRUE(video->Has("text 'Cards' 98,3,141,21 f17 FFFFFFFF"));
}

TEST_F(ListTest, AutoScrollFollowsNewItems)
{
    TQZGUIListView* l = List(10);
    l->SetAutoScroll(true);
    l->AddItem("new");
    EXPECT_EQ(10, l->LastVisibleRow());
}

// ---------------------------------------------------------------- tree view

TEST_F(ListTest, TreeRowsAreTheExpandedBranches)
{
    auto* t = Make<TQZGUITreeView>({0, 0, 200, 200});
    t->AddNode(1, 0, "Decks");
    t->AddNode(2, 1, "Basic");
    t->AddNode(3, 2, "Spades");
    t->AddNode(4, 0, "Music");
    t->AddNode(5, 9, "Orphan");
    root->UpdateTree();
    ASSERT_EQ(4, t->ItemCount());
    EXPECT_EQ(3, t->Rows()[2].depth);
    EXPECT_EQ(1, t->Rows()[0].children);
    t->SetExpanded(2, false);
    root->UpdateTree();
    EXPECT_EQ(3, t->ItemCount());
    EXPECT_EQ("Music", t->ItemText(2));
    t->SetExpanded(77, false);  // no such node: nothing
    t->SelectNodeId(4);
    EXPECT_EQ(4, t->SelectedNodeId());
    root->SetFocus(t);
    t->SelectNodeId(1);
    root->RouteKey(0x1000025);
    root->UpdateTree();
    EXPECT_EQ(2, t->ItemCount());
    t->RemoveNode(1);
    root->UpdateTree();
    EXPECT_EQ(1, t->ItemCount());
}

TEST_F(ListTest, ClickingTheExpanderOrTheSelectedRowToggles)
{
    auto* t = Make<TQZGUITreeView>({0, 0, 200, 200});
    t->AddNode(1, 0, "Decks");
    t->AddNode(2, 1, "Basic");
    root->UpdateTree();
    // Row 0 runs from y 3 to 19; its 14-pixel expander is centred on (9, 9) of the row.
    EXPECT_EQ((TQZRect{2, 2, 16, 16}), t->ExpanderBox(0, {0, 0, 188, 16}));
    ClickAt({9, 12});
    root->UpdateTree();
    EXPECT_FALSE(t->IsExpanded(1));
    ClickAt({100, 12});  // selects
    EXPECT_EQ(0, t->Selected());
    ClickAt({100, 12});  // the selected row: toggles
    root->UpdateTree();
    EXPECT_TRUE(t->IsExpanded(1));
    EXPECT_EQ(2, t->ItemCount());
}

// ---------------------------------------------------------------- drop-down

TEST_F(ListTest, DropDownOpensFiveRowsDeeperAndClosesOnAChoice)
{
    auto* d = Make<TQZGUIDropdown>({10, 10, 150, 34});
    for (const char* s : {"Small", "Medium", "Large"}) d->AddItem(s);
    d->SetSelected(-1);
    root->UpdateTree();
    ClickAt({50, 20});
    ASSERT_TRUE(d->IsOpen());
    EXPECT_EQ((TQZRect{10, 10, 150, 114}), d->GetPosition());
    root->UpdateTree();
    ClickAt({50, 10 + 3 + 16 + 5});  // the second row
    EXPECT_FALSE(d->IsOpen());
    EXPECT_EQ("Medium", d->Text());
    EXPECT_EQ((TQZRect{10, 10, 150, 34}), d->GetPosition());
}

TEST_F(ListTest, DropDownWithoutASelectionShowsNothingAfterClosing)
{
    auto* d = Make<TQZGUIDropdown>({10, 10, 150, 34});
    d->AddItem("Small");
    d->SetText("typed");
    d->SetSelected(-1);
    d->Open();
    d->Close();
    EXPECT_EQ("", d->Text());
    root->SetFocus(d);
    d->Open();
    root->SetFocus(nullptr);  // losing the focus closes it
    EXPECT_FALSE(d->IsOpen());
}

// ---------------------------------------------------------------- table

TEST_F(ListTest, TableChildrenFillTheirCellsLessThePadding)
{
    auto* t = Make<TQZGUITable>({0, 0, 300, 200});
    t->SetColWidths("1,2");
    t->SetRowHeights("50,50");
    t->SetPadding(4);
    TQZGUIWindow* cell = Make({}, t);
    TQZGUILayout l;
    l.mode = LayoutParentManaged;
    l.position = {1, 1, 1, 1};
    cell->SetLayout(l);
    EXPECT_EQ((TQZRect{4, 4, 96, 96}), cell->GetPosition());
    t->SetFixedSizes(true);
    EXPECT_EQ((TQZRect{4, 4, -3, 46}), cell->GetPosition());
    t->SetColWidths("100,200");
    EXPECT_EQ((TQZRect{4, 4, 96, 46}), cell->GetPosition());
    EXPECT_EQ("100,200", t->ColWidths());
    EXPECT_EQ((TQZPoint{300, 100}), t->GridPoint(9, 9));
}

TEST_F(ListTest, DraggingAColumnBoundaryMovesWidthBetweenItsColumns)
{
    auto* t = Make<TQZGUITable>({0, 0, 300, 200});
    t->SetCanDragColumns(true);
    t->SetColWidths("100,100,100");
    t->SetFixedSizes(true);
    MoveTo({101, 50});
    EXPECT_EQ(1, t->ActiveColumn());
    EXPECT_EQ(10, t->PointerShape());
    Press({101, 50});
    MoveTo({121, 50});  // d = round(20 * 300 / 200 * 0.5) = 15
    EXPECT_EQ((std::vector<int32_t>{115, 85, 100}), t->Columns());
    Release({121, 50});
    EXPECT_EQ(0, t->ActiveColumn());
}

TEST_F(ListTest, DraggingTheLastColumnBoundaryChangesOnlyTheLastColumn)
{
    auto* t = Make<TQZGUITable>({0, 0, 400, 200});
    t->SetCanDragColumns(true);
    t->SetColWidths("100,100,100");
    t->SetFixedSizes(true);
    MoveTo({300, 50});
    ASSERT_EQ(3, t->ActiveColumn());
    Press({300, 50});
    MoveTo({340, 50});  // d = round(40 * 300 / 100 * 0.5) = 60
    EXPECT_EQ((std::vector<int32_t>{100, 100, 160}), t->Columns());
    MoveTo({-2000, 50});
    EXPECT_EQ((std::vector<int32_t>{100, 100, 1}), t->Columns());
    Release({-2000, 50});
}

TEST_F(ListTest, TableBorderDrawsTheInnerBoundaries)
{
    auto* t = Make<TQZGUITable>({10, 10, 310, 110});
    t->SetColWidths("1,1,1");
    t->SetRowHeights("1,1");
    t->SetBorder(true);
    t->SetColor(0xFF112233);
    Paint();
    EXPECT_EQ((std::vector<std::string>{"line 110,10-110,110 w1 FF112233", "line 210,10-210,110 w1 FF112233",
                                        "line 10,60-310,60 w1 FF112233"}),
              video->Lines("line"));
}

// ---------------------------------------------------------------- flow

TEST_F(ListTest, FlowPlacesItsChildrenOneAfterAnother)
{
    auto* f = Make<TQZGUIFlow>({0, 0, 300, 300});
    EXPECT_EQ((TQZPoint{12, 12}), f->GetMinSize());
    f->SetPadding(2);
    TQZGUILayout managed;
    managed.mode = LayoutParentManaged;
    TQZGUIWindow* a = Make({}, f, 0, "Short");
    TQZGUIWindow* b = Make({}, f, 0, "A longer one");
    TQZGUIWindow* loose = Make({50, 50, 60, 60}, f);
    a->SetLayout(managed);
    b->SetLayout(managed);
    EXPECT_EQ((TQZRect{2, 2, 98, 18}), a->GetPosition());
    EXPECT_EQ((TQZRect{2, 20, 98, 36}), b->GetPosition());
    EXPECT_EQ((TQZRect{50, 50, 60, 60}), loose->GetPosition());
    EXPECT_EQ((TQZPoint{100, 38}), f->GetMinSize());
    f->SetFlowStyle(flowHorizontal);
    EXPECT_EQ((TQZRect{2, 2, 42, 18}), a->GetPosition());
    EXPECT_EQ((TQZRect{44, 2, 140, 18}), b->GetPosition());
    f->SetMinChildHeight(30);
    EXPECT_EQ((TQZRect{44, 2, 140, 32}), b->GetPosition());
}

}  // namespace
