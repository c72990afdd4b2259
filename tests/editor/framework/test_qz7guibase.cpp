// The standard widgets: buttons, checkbox, scroll bar, edit box, progress
// meter, busy symbol, host and image.
#include "qz7videochoice.h"
#include "guitestutil.h"

#include "osClipboard.h"
#include "osClock.h"
#include "qz7guibusy.h"
#include "qz7guibutton.h"
#include "qz7guiedit.h"
#include "qz7guihost.h"
#include "qz7guiimage.h"
#include "qz7guiprogress.h"
#include "qz7guiscrollbar.h"
#include "qz7timer.h"

namespace {

class WidgetTest : public guitest::GuiFixture {
protected:
    void SetUp() override
    {
        GuiFixture::SetUp();
        plat::os::SetClockSource([this] { return now * 1000000ull; });
    }
    void TearDown() override
    {
        GuiFixture::TearDown();
        plat::os::SetClockSource(nullptr);
    }
    void Keys(TQZGUIWindow* w, std::initializer_list<uint32_t> keys)
    {
        for (uint32_t k : keys) w->RouteKey(k);
    }
    uint64_t now = 1000;  // milliseconds
};

// ---------------------------------------------------------------- button

TEST_F(WidgetTest, EnterPressesTheFocusedButtonFor120Milliseconds)
{
    auto* b = Make<TQZGUIButton>({0, 0, 80, 24}, nullptr, 7);
    std::vector<int32_t> got;
    root->onMessage = [&](int32_t id, TQZGUIWindow*) { got.push_back(id); };
    root->RouteKey(13);
    EXPECT_FALSE(b->HasState(QZSTATE_PRESSED));  // not focused
    root->SetFocus(b);
    root->RouteKey(13);
    EXPECT_TRUE(b->HasState(QZSTATE_PRESSED));
    now += 119;
    root->UpdateTree();
    EXPECT_TRUE(got.empty());
    now += 1;
    root->UpdateTree();
    EXPECT_EQ((std::vector<int32_t>{7}), got);
    EXPECT_FALSE(b->HasState(QZSTATE_PRESSED));
}

TEST_F(WidgetTest, ButtonFaceFollowsItsState)
{
    auto* b = Make<TQZGUIButton>({10, 10, 90, 40}, nullptr, 0, "Go");
    const std::string face = "fill 10,10,90,34 ";
    Paint();
    EXPECT_TRUE(video->Has(face + guitest::Hex(root->GetThemeColor(6))));
    EXPECT_TRUE(video->Has("fill 10,34,90,40 " + guitest::Hex(root->GetThemeColor(5))));
    EXPECT_TRUE(video->Has("text 'Go' 10,10,90,40 f18 FFFFFFFF"));
    b->SetState(QZSTATE_HOVER, true);
    Paint();
    EXPECT_TRUE(video->Has(face + guitest::Hex(root->GetThemeColor(7))));
    b->SetState(QZSTATE_PRESSED, true);
    Paint();
    EXPECT_TRUE(video->Has(face + guitest::Hex(root->GetThemeColor(5))));
    b->SetSelected(true);
    Paint();
    EXPECT_TRUE(video->Has(face + "FFFFFFFF"));
    EXPECT_TRUE(video->Has("text 'Go' 10,10,90,40 f18 FF000000"));
    b->SetSelected(false);
    b->SetEnabled(false);
    Paint();
    EXPECT_TRUE(video->Has(face + guitest::Hex(root->GetThemeColor(2))));
    EXPECT_TRUE(video->Has("text 'Go' 10,10,90,40 f18 " + guitest::Hex(root->GetThemeColor(3))));
}

TEST_F(WidgetTest, CheckboxTogglesBeforeItsIdIsSent)
{
    auto* c = Make<TQZGUICheckbox>({0, 0, 100, 30}, nullptr, 3, "Sound");
    std::vector<bool> seen;
    root->onMessage = [&](int32_t, TQZGUIWindow*) { seen.push_back(c->Value()); };
    ClickAt({5, 15});
    ClickAt({5, 15});
    EXPECT_EQ((std::vector<bool>{true, false}), seen);
}

TEST_F(WidgetTest, CheckboxDrawsItsBoxAndTick)
{
    auto* c = Make<TQZGUICheckbox>({10, 10, 110, 40}, nullptr, 0, "Sound");
    c->SetValue(true);
    Paint();
    // The 20-pixel box centred on the left edge, then the tick's four lines.
    EXPECT_TRUE(video->Has("fill 10,15,30,35 FFFFFFFF"));
    EXPECT_TRUE(video->Has("text 'Sound' 35,10,110,40 f16 FF000000"));
    const std::string tick = guitest::Hex(root->GetThemeColor(6));
    EXPECT_TRUE(video->Has("line 14,25-18,29 w2 " + tick));
    EXPECT_TRUE(video->Has("line 18,28-26,20 w2 " + tick));
    EXPECT_EQ(4u, video->Lines("line").size());
}

// A modal dialog disables the panel, not the controls in it: they must look
// disabled all the same, as the button always did (the scroll bar's thumb
// is read back from a drawn frame in the editor's tests).
TEST_F(WidgetTest, ControlsInADisabledParentLookDisabled)
{
    auto* panel = Make<TQZGUIWindow>({0, 0, 300, 200});
    Make<TQZGUIEdit>({10, 10, 110, 34}, panel, 0, "text");
    auto* box = Make<TQZGUICheckbox>({10, 40, 110, 70}, panel, 0, "Sound");
    box->SetValue(true);
    auto hex = [&](int32_t index) { return guitest::Hex(root->GetThemeColor(index)); };
    const std::string greyed[] = {"fill 10,10,110,34 " + hex(2), "fill 10,45,30,65 " + hex(3),
                                  "text 'Sound' 35,40,110,70 f16 " + hex(2), "line 14,55-18,59 w2 " + hex(2)};
    Paint();
    for (const std::string& line : greyed) EXPECT_FALSE(video->Has(line)) << line;
    panel->SetEnabled(false);
    video->log.clear();
    Paint();
    for (const std::string& line : greyed) EXPECT_TRUE(video->Has(line)) << line;
}

// ---------------------------------------------------------------- scroll bar

TEST_F(WidgetTest, ScrollValueStaysWithinTheRangeLessAPage)
{
    auto* s = Make<TQZGUIScrollBar>({0, 0, 16, 200});
    int changes = 0;
    s->onValueChange = [&](TQZGUIWindow* sender) {
        EXPECT_EQ(s, sender);
        ++changes;
    };
    s->SetValue(90);
    EXPECT_EQ(81, s->Value());
    s->SetValue(-5);
    EXPECT_EQ(0, s->Value());
    EXPECT_EQ(2, changes);
    s->SetValue(0);
    EXPECT_EQ(2, changes);
    s->SetPageSize(0);
    EXPECT_EQ(1, s->PageSize());
    s->SetValue(100);
    EXPECT_EQ(100, s->Value());
    s->SetMax(50);  // the value follows the smaller range
    EXPECT_EQ(50, s->Value());
    s->SetMin(60);  // an empty range keeps everything at the minimum
    EXPECT_EQ(60, s->Value());
    EXPECT_FLOAT_EQ(1.0f, s->Coverage());
}

TEST_F(WidgetTest, APageLargerThanTheRangeFillsTheTrackAndDraggingItMovesNothing)
{
    auto* s = Make<TQZGUIScrollBar>({0, 0, 16, 200});
    s->SetPageSize(400);
    EXPECT_EQ(101, s->PageSize());
    EXPECT_EQ(0, s->Value());
    EXPECT_EQ(s->TrackLength(), s->ThumbLength());
    EXPECT_EQ(0, s->ThumbStart());
    MoveTo({8, 100});
    Press({8, 100});
    ASSERT_TRUE(s->HasState(QZSTATE_DRAGGING));
    MoveTo({8, 150});  // the free length is 0: nothing to divide by
    EXPECT_EQ(0, s->Value());
    Release({8, 150});
}

TEST_F(WidgetTest, DraggingTheThumbCarriesFractionsAndPressesBesideItStepALargeStep)
{
    auto* s = Make<TQZGUIScrollBar>({0, 0, 16, 200});
    s->SetValue(0);
    // Track 198, thumb round(198 * 20/101) = 39, free 159; 81 values over 159 pixels.
    EXPECT_EQ(39, s->ThumbLength());
    MoveTo({8, 10});
    Press({8, 10});
    for (int y = 11; y <= 20; ++y) MoveTo({8, y});  // ten single pixels: 10 * 81 / 159 = 5.09
    EXPECT_EQ(5, s->Value());
    Release({8, 20});
    Press({8, 190});  // below the thumb: one large step down, and no drag
    EXPECT_EQ(25, s->Value());
    EXPECT_FALSE(s->HasState(QZSTATE_DRAGGING));
    Release({8, 190});
    Press({8, 2});
    EXPECT_EQ(5, s->Value());
    Release({8, 2});
}

TEST_F(WidgetTest, ScrollKeysNeedTheFocus)
{
    auto* s = Make<TQZGUIScrollBar>({0, 0, 16, 200});
    s->SetValue(40);
    Keys(root.get(), {0x1000028});
    EXPECT_EQ(40, s->Value());
    root->SetFocus(s);
    Keys(root.get(), {0x1000028, 0x1000027, 0x1000022, 0x1000026, 0x1000021});
    EXPECT_EQ(41, s->Value());
}

TEST_F(WidgetTest, ScrollBarPaintsTrackThumbAndCaption)
{
    auto* s = Make<TQZGUIScrollBar>({0, 0, 200, 16});
    s->SetStyle(scrHorizontal);
    s->SetValue(0);
    s->SetText("Zoom %value%x");
    Paint();
    // The caption keeps to the longer free side of the track, in the bar's
    // colour, so the thumb never covers it.
    EXPECT_EQ((TQZRect{1, 1, 40, 15}), s->ThumbRect());  // 198 * 20/101 = 39 long
    EXPECT_TRUE(video->Has("text 'Zoom 0x' 40,0,200,16 f18 FF000000"));
    s->SetValue(81);
    s->SetColor(0xFF202020);
    video->log.clear();
    Paint();
    EXPECT_EQ((TQZRect{160, 1, 199, 15}), s->ThumbRect());
    EXPECT_TRUE(video->Has("text 'Zoom 81x' 0,0,160,16 f18 FF202020"));
}

// ---------------------------------------------------------------- edit box

TEST_F(WidgetTest, BackspaceDeletesBeforeTheCursor)
{
    auto* e = Make<TQZGUIEdit>({0, 0, 200, 24}, nullptr, 0, "abc");
    root->SetFocus(e);
    e->SetCursor(3);
    root->RouteKey(8);
    EXPECT_EQ("ab", e->Text());
    EXPECT_EQ(2, e->Cursor());
    e->SetCursor(0);
    root->RouteKey(8);
    EXPECT_EQ("ab", e->Text());
    EXPECT_EQ(0, e->Cursor());
}

TEST_F(WidgetTest, TypingSelectingAndDeleting)
{
    auto* e = Make<TQZGUIEdit>({0, 0, 200, 24});
    root->SetFocus(e);
    Keys(root.get(), {'h', 'e', 'l', 'l', 'o', 0x1000063, 200, 127});
    EXPECT_EQ("hello3", e->Text());  // keypad digit in, codes above 126 out
    Keys(root.get(), {0x1000024, 0x1000027, 0x1010027, 0x1010027});
    EXPECT_EQ(1, e->SelStart());
    EXPECT_EQ(3, e->SelEnd());
    EXPECT_EQ("el", e->SelectedText());
    root->RouteKey('E');  // replaces the selection
    EXPECT_EQ("hElo3", e->Text());
    Keys(root.get(), {0x1000023, 0x1010025, 0x1010025, 0x100002E});
    EXPECT_EQ("hEl", e->Text());
    Keys(root.get(), {0x1000024, 0x100002E});
    EXPECT_EQ("El", e->Text());
}

TEST_F(WidgetTest, ClipboardKeysCopyCutAndPaste)
{
    (void)plat::os::SetClipboardText("");  // setup: what the test checks after it shows whether it took
    auto* e = Make<TQZGUIEdit>({0, 0, 200, 24}, nullptr, 0, "cards");
    root->SetFocus(e);
    e->SetSelection(0, 4);
    root->RouteKey(0x1040043);
    EXPECT_EQ("card", plat::os::GetClipboardText());
    root->RouteKey(24);  // Ctrl+X as the keyboard gives it
    EXPECT_EQ("s", e->Text());
    e->SetCursor(1);
    root->RouteKey(0x1040056);
    EXPECT_EQ("scard", e->Text());
    (void)plat::os::SetClipboardText("a\r\nb\x01" "c");  // setup: what the test checks after it shows whether it took
    root->RouteKey(22);
    EXPECT_EQ("scardabc", e->Text());  // line breaks and control characters stay out
    EXPECT_TRUE(root->RouteKey(0x1040059));
}

TEST_F(WidgetTest, MaxLengthLimitsTypingAndChangesAreReported)
{
    auto* e = Make<TQZGUIEdit>({0, 0, 200, 24});
    e->SetMaxLength(3);
    e->SetMessageOnChange(44);
    std::vector<int32_t> got;
    root->onMessage = [&](int32_t id, TQZGUIWindow*) { got.push_back(id); };
    root->SetFocus(e);
    Keys(root.get(), {'a', 'b', 'c', 'd'});
    EXPECT_EQ("abc", e->Text());
    EXPECT_EQ(3u, got.size());
    e->SetText("abc");  // the same text: nothing
    EXPECT_EQ(3u, got.size());
    e->SetText("x\r\ny");
    EXPECT_EQ("xy", e->Text());
    EXPECT_EQ(2, e->Cursor());
    e->SetID(9);
    root->RouteKey(13);
    EXPECT_EQ(9, got.back());
}

TEST_F(WidgetTest, ClicksPlaceTheCursorAndDragsSelect)
{
    auto* e = Make<TQZGUIEdit>({0, 0, 200, 24}, nullptr, 0, "abcdef");
    int messages = 0;
    root->onMessage = [&](int32_t, TQZGUIWindow*) { ++messages; };
    MoveTo({17, 10});
    Press({17, 10});  // 8 pixels a character: position 2
    EXPECT_EQ(2, e->Cursor());
    EXPECT_EQ(e, root->Focused());
    MoveTo({33, 10});
    Release({33, 10});
    EXPECT_EQ(2, e->SelStart());
    EXPECT_EQ(4, e->SelEnd());
    EXPECT_EQ(0, messages);  // a click on an edit box sends nothing
    EXPECT_EQ(6, e->CharAt(500));
    EXPECT_EQ(0, e->CharAt(-5));
}

TEST_F(WidgetTest, LongTextScrollsToKeepTheCursorInView)
{
    auto* e = Make<TQZGUIEdit>({0, 0, 80, 24});
    root->SetFocus(e);
    for (int i = 0; i < 20; ++i) root->RouteKey('a' + i);
    EXPECT_EQ(20, e->Cursor());
    EXPECT_GT(e->FirstVisible(), 0);
    EXPECT_LE(e->Cursor(), e->VisibleEnd(e->FirstVisible()));
    root->RouteKey(0x1000024);
    EXPECT_EQ(0, e->FirstVisible());
    Paint();
    EXPECT_EQ(1u, video->Lines("triangle").size());  // more to the right only
}

// ---------------------------------------------------------------- meter, busy symbol, host

TEST_F(WidgetTest, ProgressBarGrowsWithTheValueAndNeedsAMaximum)
{
    auto* p = Make<TQZGUIProgressMeter>({0, 0, 102, 20});
    p->SetMaximum(4);
    p->SetValue(1);
    EXPECT_EQ(100 - 74, p->BarLength(100) + 0);  // 100 - 0.75 * 98 = 26.5
    p->SetValue(9);
    EXPECT_EQ(100, p->BarLength(100));
    p->SetValue(-50);
    EXPECT_EQ(0, p->BarLength(100));
    p->SetTextLabel(true);
    p->SetValue(1.5f);
    Paint();
    EXPECT_TRUE(video->Has("text '1.5 / 4' 0,0,102,20 f18 FF000000"));
    p->SetMaximum(0);
    Paint();
    EXPECT_EQ(2u, video->Lines("fill").size());
}

TEST_F(WidgetTest, BusySymbolRunsATimerOnlyWhileItShows)
{
    auto* b = Make<TQZGUIBusySymbol>({0, 0, 64, 64});
    TQZHeadlessVideoWindow* window = video->Headless();
    b->SetVisible(false);
    b->SetVisible(true);
    const uint32_t id = b->TimerId();
    ASSERT_NE(0u, id);
    EXPECT_TRUE(window->HasTimer(id));
    root->PaintTree();
    EXPECT_TRUE(window->FireTimer(id));
    EXPECT_TRUE(root->HasState(QZSTATE_REPAINT));
    b->SetVisible(false);
    EXPECT_FALSE(window->HasTimer(id));
    b->SetVisible(true);
    const uint32_t again = b->TimerId();
    (void)root->RemoveChild(b);  // setup: what the test checks after it shows whether it took
    EXPECT_FALSE(window->HasTimer(again));
}

TEST_F(WidgetTest, BusySpokesAndDotsDrawWithTheirColours)
{
    auto* b = Make<TQZGUIBusySymbol>({0, 0, 64, 64});
    b->SetColor(0xFF123456);
    Paint();
    const auto spokes = video->Lines("line");
    ASSERT_EQ(8u, spokes.size());
    EXPECT_NE(std::string::npos, spokes[0].find("w4 00123456"));
    EXPECT_NE(std::string::npos, spokes[7].find("w4 E0123456"));
    b->SetAnim(Dots);
    Paint();
    EXPECT_EQ(4u, video->Lines("ellipse").size());
    b->SetPosition({0, 0, 20, 64});  // too narrow for dots: nothing, no fault
    Paint();
    EXPECT_TRUE(video->Lines("ellipse").empty());
}

TEST_F(WidgetTest, HostFollowsItsVideoAndTimesItsFrames)
{
    auto host = TQZGUIWindow::CreateRoot<TQZGUIHost>({});
    EXPECT_EQ(0xFF204065u, host->Color());
    guitest::RecordingVideo other(320, 200);
    host->SetVideo(&other);
    EXPECT_TRUE(host->IsEventPrimary());
    EXPECT_EQ((TQZRect{0, 0, 320, 200}), host->GetPosition());
    TQZGUIWindow* half = TQZGUIWindow::CreateChild(host.get(), {0, 0, 50, 100}, "", 0, true);
    other.resizeMethod(&other);
    EXPECT_EQ((TQZRect{0, 0, 160, 200}), half->GetPosition());
    now += 16;
    host->UpdateTree();
    EXPECT_EQ(16u, host->FrameTime());
    TQZKeyValue node;
    (void)host->SaveToKeyValue(&node);
    EXPECT_FALSE(node.HasPath("Color"));  // the host's own default
    EXPECT_FALSE(node.HasPath("FrameTime"));
    host.reset();
    EXPECT_FALSE(bool(other.resizeMethod));
}

// ---------------------------------------------------------------- image

class ImageTest : public WidgetTest {
protected:
    void SetUp() override
    {
        WidgetTest::SetUp();
        // Textures need the device; the widgets still draw to the recording video.
        ASSERT_EQ(QZRES_OK, GetVideo()->SetMode(160, 120, std::make_unique<TQZHeadlessVideoWindow>(0, 0),
                                                QZWINDOW_WINDOWED, 0));
    }
    TQZGUIImage* Image(const TQZRect& r, int32_t w, int32_t h)
    {
        auto* img = Make<TQZGUIImage>(r);
        auto t = std::make_unique<TQZTexture>();
        EXPECT_EQ(QZRES_OK, t->CreateD3DTexture(w, h));
        img->SetTexture(std::move(t));
        return img;
    }
};

TEST_F(ImageTest, ModesPlaceThePicture)
{
    struct Case {
        TQZGUIImageMode mode;
        int32_t w, h;
        float scale;
        TQZRect source, dest;
    } cases[] = {
        {IMAGE_SCALE, 50, 20, 1, {0, 0, 50, 20}, {0, 0, 100, 100}},
        {IMAGE_ASPECT, 50, 20, 1, {0, 0, 50, 20}, {0, 30, 100, 70}},   // spans the width
        {IMAGE_ASPECT, 20, 50, 1, {0, 0, 20, 50}, {30, 0, 70, 100}},   // spans the height
        {IMAGE_CENTRE, 40, 20, 1, {0, 0, 40, 20}, {30, 40, 70, 60}},
        {IMAGE_CENTRE, 40, 20, 2, {0, 0, 40, 20}, {10, 30, 90, 70}},
        {IMAGE_CENTRE, 300, 20, 1, {100, 0, 200, 20}, {0, 40, 100, 60}},  // cut, centred
    };
    for (const Case& c : cases) {
        TQZGUIImage* img = Image({0, 0, 100, 100}, c.w, c.h);
        img->SetDisplayMode(c.mode);
        img->SetDisplayScale(c.scale);
        TQZRect s, d;
        EXPECT_TRUE(img->PlaceImage({0, 0, 100, 100}, s, d));
        EXPECT_EQ(c.source, s) << c.mode << " " << c.w << "x" << c.h;
        EXPECT_EQ(c.dest, d) << c.mode << " " << c.w << "x" << c.h;
    }
}

TEST_F(ImageTest, NoPictureOrAMissingResourceLeavesTheImageEmpty)
{
    auto* img = Make<TQZGUIImage>({0, 0, 100, 100});
    img->SetDisplayMode(IMAGE_ASPECT);
    TQZRect s, d;
    EXPECT_FALSE(img->PlaceImage({0, 0, 100, 100}, s, d));
    img->SetResourceID("nowhere");
    EXPECT_EQ(QZIMAGE_NONE, img->SourceKind());
    img->SetImageSource("/no/such/file.png");
    EXPECT_EQ((TQZPoint{0, 0}), img->PictureSize());
    img->SetBorder(true);
    Paint();
    EXPECT_TRUE(video->Has("fill 0,0,100,4 30000000"));
}

TEST_F(ImageTest, DraggingMovesTheViewWithinThePicture)
{
    TQZGUIImage* img = Image({0, 0, 100, 100}, 300, 150);
    img->SetCanDrag(true);
    MoveTo({50, 50});
    Press({50, 50});
    MoveTo({20, 40});
    EXPECT_EQ((TQZPoint{30, 10}), img->ViewOffset());
    MoveTo({-500, -500});
    EXPECT_EQ((TQZPoint{200, 50}), img->ViewOffset());
    Release({-500, -500});
    TQZGUIImage* small = Image({200, 0, 300, 100}, 10, 10);
    small->SetCanDrag(true);
    MoveTo({250, 50});
    Press({250, 50});
    MoveTo({200, 20});
    EXPECT_EQ((TQZPoint{0, 0}), small->ViewOffset());  // smaller than the window: no room
    Release({200, 20});
}

}  // namespace
