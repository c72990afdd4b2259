// The base window: settings by name, layout, tree order, pointer, focus,
// keys and repainting, by recorded commands.
#include "guitestutil.h"

#include "qz7text.h"

namespace {

using guitest::GuiFixture;

class WindowTest : public GuiFixture {};

// A window that logs what reaches it.
class Probe : public TQZGUIWindow {
public:
    const char* ClassName() const override { return "Probe"; }
    void InitDefaults() override
    {
        SetCanClick(true);
        SetCanFocus(true);
    }
    void CancelPress() override
    {
        TQZGUIWindow::CancelPress();
        events.push_back("cancel");
    }
    void Click() override
    {
        events.push_back("click");
        TQZGUIWindow::Click();
    }
    bool HandleKey(uint32_t key) override
    {
        if (key != 'k') return TQZGUIWindow::HandleKey(key);
        events.push_back("key");
        return true;
    }
    void DragMove(TQZPoint d) override { events.push_back("drag " + std::to_string(d.x) + "," + std::to_string(d.y)); }
    void DragEnd(TQZPoint d) override { events.push_back("end " + std::to_string(d.x) + "," + std::to_string(d.y)); }
    std::vector<std::string> events;
};

TEST_F(WindowTest, PositionTextPlacesTheWindowOnlyInItsBracketForm)
{
    TQZGUIWindow* w = Make({1, 2, 3, 4});
    w->SetProperty("position", "[10,20]-[110,70]");
    EXPECT_EQ((TQZRect{10, 20, 110, 70}), w->GetPosition());
    w->SetProperty("POSITION", "10,20,110,70");
    EXPECT_EQ((TQZRect{10, 20, 110, 70}), w->GetPosition());
}

TEST_F(WindowTest, IntegerTextsAreDecimalOrDollarHexadecimal)
{
    TQZGUIWindow* w = Make({});
    const struct {
        const char* text;
        int32_t expected;
    } cases[] = {{"$FF", 255}, {"$", 255}, {"12a", 255}, {"42", 42}, {"-7", -7}, {"", 0}, {" 5", 5},
                 {"99999999999", 5}, {"$FFFFFFFF", -1}};
    for (const auto& c : cases) {
        w->SetProperty("id", c.text);
        EXPECT_EQ(c.expected, w->ID()) << c.text;
    }
    w->SetProperty("BgColor", "$FF202020");
    EXPECT_EQ(0xFF202020u, w->BGColor());
    w->SetProperty("color", "4278190335");
    EXPECT_EQ(0xFF0000FFu, w->Color());
}

TEST_F(WindowTest, BooleansSetsAndUnknownNames)
{
    TQZGUIWindow* w = Make({});
    w->SetProperty("canclick", "TRUE");
    EXPECT_TRUE(w->CanClick());
    w->SetProperty("canclick", "yes");
    EXPECT_TRUE(w->CanClick());
    w->SetProperty("AlwaysOnTop", "true");
    EXPECT_TRUE(w->AlwaysOnTop());
    w->SetProperty("textdraw", "[QZFD_ALIGN_LEFT,QZFD_ALIGN_MIDDLE,QZFD_WORD_WRAP]");
    EXPECT_EQ(81u, w->TextDraw());
    w->SetProperty("textdraw", "[QZFD_ALIGN_LEFT,NOSUCH]");
    EXPECT_EQ(81u, w->TextDraw());
    w->SetProperty("nosuchkey", "1");
    w->SetProperty("class", "Button");
    w->SetProperty("text", "Hello");
    EXPECT_EQ("Hello", w->Text());
}

TEST_F(WindowTest, KeyValueTextSkipsEmptyItemsAndKeepsQuotedCommas)
{
    TQZGUIWindow* w = Make({});
    w->ApplyKeyValueText("visible=false,enabled=false,=x,id=,text=\"a,b\"");
    EXPECT_FALSE(w->Visible());
    EXPECT_FALSE(w->Enabled());
    EXPECT_EQ(0, w->ID());
    EXPECT_EQ("a,b", w->Text());
}

TEST_F(WindowTest, PlainLayoutWordsOnlyParentManagedSwitchesTheMode)
{
    TQZGUIWindow* w = Make({5, 5, 50, 50});
    w->SetProperty("layout", "somethingelse");
    EXPECT_FALSE(w->HasLayout());
    w->SetProperty("layout", "ParentManaged");
    EXPECT_EQ(LayoutParentManaged, w->LayoutMode());
}

TEST_F(WindowTest, RelativeLayoutIsPercentOfTheParentTruncated)
{
    TQZGUIWindow* parent = Make({0, 0, 301, 200});
    TQZGUIWindow* w = Make({}, parent);
    w->SetProperty("layout", R"({"Layoutmode":"LayoutRelative","Position":"[0,0]-[50,100]"})");
    EXPECT_EQ((TQZRect{0, 0, 150, 200}), w->GetPosition());
    parent->SetPosition({0, 0, 100, 50});  // children follow their parent's size
    EXPECT_EQ((TQZRect{0, 0, 50, 50}), w->GetPosition());
}

TEST_F(WindowTest, SizeLimitsNeedAnXAboveZero)
{
    TQZGUIWindow* w = Make({});
    TQZGUILayout l;
    l.mode = LayoutPixel;
    l.position = {10, 10, 30, 30};
    l.minimumSize = {0, 40};  // ignored: x is 0
    w->SetLayout(l);
    EXPECT_EQ((TQZRect{10, 10, 30, 30}), w->GetPosition());
    l.maximumSize = {200, 0};  // limits the height to 0
    w->SetLayout(l);
    EXPECT_EQ((TQZRect{10, 10, 30, 10}), w->GetPosition());
    l.minimumSize = {50, 40};
    l.maximumSize = {};
    w->SetLayout(l);
    EXPECT_EQ((TQZRect{10, 10, 60, 50}), w->GetPosition());
}

TEST_F(WindowTest, AnchorsFollowTheirSiblingsFromTheRoot)
{
    TQZGUIWindow* panel = Make({100, 100, 300, 300});
    Make({10, 20, 60, 40}, panel, 7);  // screen (110, 120, 160, 140)
    TQZGUIWindow* w = Make({}, panel);
    w->SetProperty("layout", R"({"Layoutmode":"LayoutAnchor","Position":"[0,0]-[30,10]",
        "Anchorleft":{"Anchorstyle":"anchorMax","SiblingID":7,"Margin":5},
        "Anchortop":{"Anchorstyle":"anchorMid","SiblingID":7},
        "Anchorbottom":{"Anchorstyle":"anchorMax","SiblingID":99}})");
    // Left: right edge 60 + 5; top: middle 30; the missing sibling leaves the bottom.
    EXPECT_EQ((TQZRect{65, 30, 30, 10}), w->GetPosition());
}

TEST_F(WindowTest, ParentManagedChildOfAParentOfSizeZeroGetsZeros)
{
    TQZGUIWindow* parent = Make({0, 0, 0, 0});
    TQZGUIWindow* w = Make({}, parent);
    TQZGUILayout l;
    l.mode = LayoutParentManaged;
    l.position = {10, 10, 20, 20};
    w->SetLayout(l);  // the base placement divides by the parent's size
    EXPECT_EQ((TQZRect{0, 0, 0, 0}), w->GetPosition());
    parent->SetPosition({0, 0, 200, 50});
    EXPECT_EQ((TQZRect{5, 20, 10, 40}), w->GetPosition());
}

TEST_F(WindowTest, FindByIDLooksAtChildrenBeforeGrandchildren)
{
    TQZGUIWindow* a = Make({}, nullptr, 1);
    TQZGUIWindow* deep = Make({}, a, 5);
    TQZGUIWindow* b = Make({}, nullptr, 5);
    EXPECT_EQ(b, root->FindByID(5));
    EXPECT_EQ(deep, a->FindByID(5));
    EXPECT_EQ(nullptr, root->FindByID(77));
    EXPECT_EQ(a, root->FindByID(1));
}

TEST_F(WindowTest, AlwaysOnTopPaintsLastAndIsHitFirst)
{
    TQZGUIWindow* top = Make({0, 0, 100, 100});
    top->SetAlwaysOnTop(true);
    top->SetBGColor(0xFF0000FF);
    TQZGUIWindow* below = Make({0, 0, 100, 100});
    below->SetBGColor(0xFFFF0000);
    Paint();
    EXPECT_EQ((std::vector<std::string>{"fill 0,0,100,100 FFFF0000", "fill 0,0,100,100 FF0000FF"}),
              video->Lines("fill"));
    EXPECT_EQ(top, root->HitTest({50, 50}));
    top->SetCanMouseOver(false);
    EXPECT_EQ(below, root->HitTest({50, 50}));
    below->SetVisible(false);
    EXPECT_EQ(root.get(), root->HitTest({50, 50}));
    EXPECT_EQ(nullptr, root->HitTest({700, 50}));
}

TEST_F(WindowTest, ChildrenAreShiftedByTheClientOffsetAndClipped)
{
    TQZGUIWindow* box = Make({100, 100, 200, 200});
    box->SetRepaintOptions(QZREPAINT_CLIP);
    TQZGUIWindow* inner = Make({10, 10, 20, 20}, box);
    inner->SetBGColor(0xFF00FF00);
    box->SetClientOffset({-5, 3});
    EXPECT_EQ((TQZRect{105, 113, 115, 123}), inner->GetScreenRect());
    Paint();
    EXPECT_EQ((std::vector<std::string>{"clip 100,100,200,200", "fill 105,113,115,123 FF00FF00", "unclip"}),
              video->log);
}

TEST_F(WindowTest, ClickSendsTheIdUpToTheFirstHandler)
{
    Probe* p = Make<Probe>({10, 10, 60, 40}, nullptr, 42);
    std::vector<int32_t> got;
    root->onMessage = [&](int32_t id, TQZGUIWindow* sender) {
        got.push_back(id);
        EXPECT_EQ(p, sender);
    };
    ClickAt({20, 20});
    EXPECT_EQ((std::vector<std::string>{"click"}), p->events);
    EXPECT_EQ((std::vector<int32_t>{42}), got);
    EXPECT_EQ(p, root->Focused());
}

TEST_F(WindowTest, ReleaseOutsideThePressedWindowCancelsAndSendsNothing)
{
    Probe* p = Make<Probe>({10, 10, 60, 40}, nullptr, 42);
    int messages = 0;
    root->onMessage = [&](int32_t, TQZGUIWindow*) { ++messages; };
    MoveTo({20, 20});
    Press({20, 20});
    EXPECT_TRUE(p->HasState(QZSTATE_PRESSED));
    MoveTo({300, 300});
    Release({300, 300});
    EXPECT_EQ((std::vector<std::string>{"cancel"}), p->events);
    EXPECT_EQ(0, messages);
    EXPECT_FALSE(p->HasState(QZSTATE_PRESSED));
}

TEST_F(WindowTest, MutedWindowsSwallowMessages)
{
    TQZGUIWindow* panel = Make({0, 0, 100, 100});
    Probe* p = Make<Probe>({10, 10, 60, 40}, panel, 42);
    int messages = 0;
    root->onMessage = [&](int32_t, TQZGUIWindow*) { ++messages; };
    panel->SetState(QZSTATE_MUTED, true);
    ClickAt({20, 20});
    EXPECT_EQ((std::vector<std::string>{"click"}), p->events);
    EXPECT_EQ(0, messages);
}

TEST_F(WindowTest, DisabledAncestorsBlockPressesOnTheirChildren)
{
    TQZGUIWindow* panel = Make({0, 0, 100, 100});
    Probe* p = Make<Probe>({10, 10, 60, 40}, panel, 42);
    panel->SetEnabled(false);
    ClickAt({20, 20});
    EXPECT_TRUE(p->events.empty());
}

TEST_F(WindowTest, DraggingReportsMovementFromThePressPoint)
{
    Probe* p = Make<Probe>({10, 10, 60, 40});
    p->SetCanDrag(true);
    MoveTo({20, 20});
    Press({20, 20});
    MoveTo({25, 18});
    MoveTo({700, 30});  // beyond the host: the drag goes on
    Release({700, 30});
    EXPECT_EQ((std::vector<std::string>{"drag 5,-2", "drag 680,10", "end 680,10", "cancel"}), p->events);
}

TEST_F(WindowTest, HoverFollowsTheWindowUnderThePointerAndLeavesWithIt)
{
    TQZGUIWindow* a = Make({0, 0, 100, 100});
    TQZGUIWindow* b = Make({100, 0, 200, 100});
    MoveTo({50, 50});
    EXPECT_TRUE(a->HasState(QZSTATE_HOVER));
    MoveTo({150, 50});
    EXPECT_FALSE(a->HasState(QZSTATE_HOVER));
    EXPECT_TRUE(b->HasState(QZSTATE_HOVER));
    MoveTo(QZ_NOWHERE);
    EXPECT_FALSE(b->HasState(QZSTATE_HOVER));
}

TEST_F(WindowTest, TabWalksTheTreeInDepthFirstOrderAndWraps)
{
    Probe* a = Make<Probe>({0, 0, 10, 10});
    TQZGUIWindow* panel = Make({});
    Probe* b = Make<Probe>({}, panel);
    Probe* hidden = Make<Probe>({}, panel);
    hidden->SetVisible(false);
    Probe* c = Make<Probe>({});
    std::vector<TQZGUIWindow*> seen;
    for (int i = 0; i < 4; ++i) {
        root->RouteKey(9);
        seen.push_back(root->Focused());
    }
    EXPECT_EQ((std::vector<TQZGUIWindow*>{a, b, c, a}), seen);
    root->RouteKey(0x10009);
    EXPECT_EQ(c, root->Focused());
    EXPECT_TRUE(c->HasFocus());
    EXPECT_FALSE(a->HasFocus());
}

TEST_F(WindowTest, KeysGoFromTheLastChildAndNeverIntoDisabledOrHiddenWindows)
{
    TQZGUIWindow* panel = Make({});
    Probe* first = Make<Probe>({}, panel);
    Probe* second = Make<Probe>({}, panel);
    EXPECT_TRUE(root->RouteKey('k'));
    EXPECT_EQ(1u, second->events.size());
    EXPECT_TRUE(first->events.empty());
    second->SetVisible(false);
    root->RouteKey('k');
    EXPECT_EQ(1u, first->events.size());
    panel->SetEnabled(false);
    EXPECT_FALSE(root->RouteKey('k'));
    EXPECT_EQ(1u, first->events.size());
}

TEST_F(WindowTest, FreeingTheFocusedWindowLeavesNoFocus)
{
    TQZGUIWindow* panel = Make({});
    Probe* p = Make<Probe>({}, panel);
    root->SetFocus(p);
    ASSERT_EQ(p, root->Focused());
    EXPECT_EQ(QZRES_OK, root->RemoveChild(panel));
    EXPECT_EQ(nullptr, root->Focused());
    root->RouteKey(9);  // the walk starts from the root again
    EXPECT_EQ(nullptr, root->Focused());
    EXPECT_EQ(QZRES_BADARG, root->RemoveChild(panel));
}

TEST_F(WindowTest, FreeChildrenKeepsBuiltInOnesUnlessAll)
{
    TQZGUIWindow* builtIn = Make({});
    builtIn->SetTitle(QZGUI_BUILTIN);
    Make({});
    Make({});
    root->ClearChildren();
    ASSERT_EQ(1, root->ChildCount());
    EXPECT_EQ(builtIn, root->GetChild(0));
    root->FreeChildren(true);
    EXPECT_EQ(0, root->ChildCount());
}

TEST_F(WindowTest, DirtyTargetsAddTheirRectangleOthersBubbleUp)
{
    TQZGUIWindow* target = Make({100, 100, 200, 150});
    target->SetRepaintOptions(QZREPAINT_DIRTYTARGET);
    TQZGUIWindow* inner = Make({10, 10, 20, 20}, target);
    TQZGUIWindow* other = Make({300, 300, 310, 310});
    root->PaintTree();
    EXPECT_TRUE(RectIsEmpty(root->DirtyRect()));
    inner->Invalidate(true);
    EXPECT_EQ((TQZRect{100, 100, 200, 150}), root->DirtyRect());
    EXPECT_FALSE(root->HasState(QZSTATE_REPAINT));
    root->FlushDirtyRect();
    ASSERT_EQ(1u, video->Headless()->invalidRects.size());
    EXPECT_EQ((TQZRect{100, 100, 200, 150}), video->Headless()->invalidRects[0]);
    other->Invalidate(true);  // no target on its way: the root repaints whole
    EXPECT_TRUE(root->HasState(QZSTATE_REPAINT));
    video->Headless()->invalid = false;
    root->FlushDirtyRect();
    EXPECT_EQ(root->GetPosition(), root->DirtyRect());
    EXPECT_TRUE(video->Headless()->invalid);
    root->PaintTree();
    EXPECT_TRUE(RectIsEmpty(root->DirtyRect()));
    EXPECT_FALSE(root->HasState(QZSTATE_REPAINT));
}

TEST_F(WindowTest, ShowingAWindowThatWasNeverPaintedRepaintsItsArea)
{
    TQZGUIWindow* target = Make({100, 100, 200, 150});
    target->SetRepaintOptions(QZREPAINT_DIRTYTARGET);
    TQZGUIWindow* dialog = Make({10, 10, 50, 50}, target);
    dialog->SetVisible(false);
    root->PaintTree();  // the hidden window is not painted: its repaint bit stays
    ASSERT_TRUE(dialog->HasState(QZSTATE_REPAINT));
    dialog->SetVisible(true);
    EXPECT_EQ((TQZRect{100, 100, 200, 150}), root->DirtyRect());
}

TEST_F(WindowTest, MovingAWindowDirtiesWhereItWasAndWhereItGoes)
{
    TQZGUIWindow* w = Make({10, 10, 20, 20});
    root->PaintTree();
    w->SetPosition({50, 50, 60, 60});
    EXPECT_EQ((TQZRect{10, 10, 60, 60}), root->DirtyRect());
}

TEST_F(WindowTest, UpdateRunsStateChangesOnEnabledWindowsOnly)
{
    Probe* p = Make<Probe>({});
    p->SetState(QZSTATE_HOVER, true);
    EXPECT_TRUE(p->HasState(QZSTATE_CHANGED));
    p->SetEnabled(false);
    root->UpdateTree();
    EXPECT_TRUE(p->HasState(QZSTATE_CHANGED));
    p->SetEnabled(true);
    root->UpdateTree();
    EXPECT_FALSE(p->HasState(QZSTATE_CHANGED));
    p->SetState(QZSTATE_HOVER, true);  // no change, no mark
    EXPECT_FALSE(p->HasState(QZSTATE_CHANGED));
}

TEST_F(WindowTest, ThemeColoursComeFromTheNearestTheme)
{
    TQZGUIWindow* panel = Make({});
    TQZGUIWindow* w = Make({}, panel);
    EXPECT_EQ(0xFF0078D7u, w->GetThemeColor(6));
    EXPECT_EQ(MakeColour(255, 0, 72, 129), w->GetThemeColor(5));
    EXPECT_EQ(MakeColour(255, 102, 174, 231), w->GetThemeColor(7));
    panel->SetTheme(0xFF204065);
    EXPECT_EQ(0xFF204065u, w->GetThemeColor(6));
    EXPECT_EQ(0x00FF0000u, w->GetThemeColor(9));
    EXPECT_EQ(0xFFFF00FFu, w->GetThemeColor(10));
}

TEST_F(WindowTest, BasePaintFillsAndWritesItsCaption)
{
    TQZGUIWindow* w = Make({10, 10, 110, 30}, nullptr, 0, "Hi");
    w->SetBGColor(0xFF112233);
    Paint();
    EXPECT_EQ((std::vector<std::string>{"fill 10,10,110,30 FF112233", "text 'Hi' 10,10,110,30 f18 FF000000"}),
              video->log);
    EXPECT_EQ((TQZPoint{16, 16}), w->GetMinSize());
}

}  // namespace
