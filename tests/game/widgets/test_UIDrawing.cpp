// What the themed widgets draw, read back from the headless device, and the
// widget render cache's recordings.
#include "UIButton.h"
#include "UIContainer.h"
#include "UIEditBox.h"
#include "UIFrame.h"
#include "UIListbox.h"
#include "UIProgressBar.h"
#include "UIRootWindow.h"
#include "UITheme.h"
#include "UIToggleButton.h"
#include "clRenderer.h"
#include "mgrStates.h"
#include "themefixture.h"

#include "qz7direct3d.h"
#include "qz7texture.h"

#include <gtest/gtest.h>

using namespace themetest;

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

// Each channel of a over black at the alpha, within rounding.
::testing::AssertionResult Faded(uint32_t colour, int32_t alpha, uint32_t pixel)
{
    for (int shift : {0, 8, 16}) {
        const int32_t want = int32_t((colour >> shift) & 0xFF) * alpha / 255;
        const int32_t got = int32_t((pixel >> shift) & 0xFF);
        if (std::abs(want - got) > 3)
            return ::testing::AssertionFailure()
                   << std::hex << pixel << " is not " << colour << " at alpha " << std::dec << alpha;
    }
    return ::testing::AssertionSuccess();
}

class DrawingTest : public ThemeFixture {
protected:
    void SetUp() override
    {
        ThemeFixture::SetUp();
        root = NewRootWindow<TGUIRootWindow>();
        Video->SetResizeReceiver(root.get());
    }
    void TearDown() override
    {
        Video->SetResizeReceiver(nullptr);
        root.reset();
        ThemeFixture::TearDown();
    }
    void DrawTree()
    {
        Frame([&] { root->DrawTree(); });
    }

    TGUIWindowPtr<TGUIRootWindow> root;
};

}  // namespace

TEST_F(DrawingTest, TheRootTakesTheClientAreaAndLaysTheTreeOut)
{
    EXPECT_EQ((TQZRect{0, 0, 1024, 768}), root->GetRect());
    TGUIWindow* half = NewWindow<TGUIWindow>(TQZRect{}, root.get(), 0);
    half->anchorRight = 50;
    half->anchorBottom = 100;
    root->ClientResized({0, 0, 1280, 800});
    EXPECT_EQ((TQZRect{0, 0, 640, 800}), half->GetRect());
}

// ---------------------------------------------------------------- render cache

TEST_F(DrawingTest, ARecordingIsReplayedUntilItsKeyOrTheResourcesChange)
{
    TRenderer renderer;
    int32_t recorded = 0;
    uint32_t key = 1;
    auto frame = [&] {
        Frame([&] {
            DrawCached(renderer, key, [&] {
                ++recorded;
                UITexture(UITEX_SMOOTH)->Draw({10, 10, 30, 30}, 0xFFFFFFFF);
                UIFill({40, 10, 60, 30}, 0xFFFF0000);
            });
        });
    };
    frame();
    frame();
    EXPECT_EQ(1, recorded);
    EXPECT_EQ(PlainColour(UITEX_SMOOTH), Pixel(20, 20));  // replayed in the second frame
    EXPECT_EQ(0xFFFF0000u, Pixel(50, 20));

    // Two textures, two batches: texture, draw, texture (none), draw.
    const auto& commands = renderer.Cache()->Commands();
    ASSERT_EQ(4u, commands.size());
    EXPECT_EQ(QZCMD_TEXTURE, commands[0].kind);
    EXPECT_EQ(QZCMD_DRAW, commands[1].kind);
    EXPECT_EQ(nullptr, commands[2].texture);
    EXPECT_EQ(QZCMD_DRAW, commands[3].kind);

    key = 2;
    frame();
    EXPECT_EQ(2, recorded);
    Resources->Unload(RES_TEXTURE, UITEX_PLASMA);  // a recording may name what was unloaded
    frame();
    EXPECT_EQ(3, recorded);
    frame();
    EXPECT_EQ(3, recorded);
}

// ---------------------------------------------------------------- buttons

TEST_F(DrawingTest, AButtonsFaceFollowsHoverPressAndTheEnabledFlag)
{
    TUIButton* button = MakeUIButton("", {100, 100, 300, 160}, root.get(), 1);
    DrawTree();
    EXPECT_EQ(kFace, Pixel(110, 130));
    root->DispatchMouseMove({150, 130}, root->FindWindowAt({150, 130}));
    DrawTree();
    EXPECT_EQ(kFaceHover, Pixel(110, 130));
    root->DispatchMouseButton(Button(true, 150, 130));
    DrawTree();
    EXPECT_EQ(kFacePressed, Pixel(110, 130));
    root->DispatchMouseButton(Button(false, 150, 130));
    root->DispatchMouseMove({500, 500}, root->FindWindowAt({500, 500}));
    button->SetEnabled(false);
    DrawTree();
    // Tinted (128, 80, 80, 80): a dark red over the black.
    EXPECT_GT(Channel(Pixel(110, 130), 16), 10);
    EXPECT_LT(Channel(Pixel(110, 130), 16), 0x40);
}

TEST_F(DrawingTest, FocusingAButtonRedrawsItsCaptionInTheFocusColour)
{
    TUIButton* button = MakeUIButton("M", {100, 100, 300, 160}, root.get(), 1);
    DrawTree();
    EXPECT_EQ(0xFFFFFFFFu, Pixel(200, 130));
    button->SetFocus(true);
    DrawTree();
    EXPECT_EQ(0xFF80FFFFu, Pixel(200, 130));
}

// A disabled button reads as disabled at a glance: its caption greyed, its
// picture dimmed, not only its face.
TEST_F(DrawingTest, ADisabledButtonsCaptionAndPictureAreDimmed)
{
    TUIButton* button = MakeUIButton("M", {100, 100, 300, 160}, root.get(), 1);
    TUIButton* picture = MakeUIButton("", {100, 200, 300, 260}, root.get(), 2);
    picture->picture = UITexture(UITEX_SMOOTH);
    DrawTree();
    ASSERT_EQ(0xFFFFFFFFu, Pixel(200, 130));
    const uint32_t shown = Pixel(200, 230);
    button->SetEnabled(false);
    picture->SetEnabled(false);
    DrawTree();
    for (int shift : {0, 8, 16}) {
        EXPECT_LT(Channel(Pixel(200, 130), shift), 0xA0) << "caption, channel at " << shift;
        EXPECT_LE(Channel(Pixel(200, 230), shift), Channel(shown, shift) / 2 + 1) << "picture, channel at " << shift;
    }
}

TEST_F(DrawingTest, AToggleButtonShowsItsStateAndMovesItsKnob)
{
    TUIToggleButton* toggle = MakeUIToggleButton(true, {400, 100}, root.get(), 1);
    DrawTree();
    EXPECT_EQ(kOn, Pixel(403, 102));
    EXPECT_EQ(0xFF808000u, Pixel(455, 115));  // the knob at the right, idle
    EXPECT_EQ(kOn, Pixel(410, 115));
    toggle->Press();  // also takes the focus: a lit knob in white
    DrawTree();
    EXPECT_EQ(kOff, Pixel(403, 102));
    EXPECT_EQ(kKnobLit, Pixel(410, 115));
    EXPECT_EQ(kOff, Pixel(455, 115));
}

// ---------------------------------------------------------------- frames and bars

TEST_F(DrawingTest, AFadingFrameIsDrawnThroughItsPictureAtItsAlpha)
{
    TUIFrame* frame = MakeUIFrame("", {100, 100, 300, 200}, root.get());
    frame->SetShown(true);
    ASSERT_NE(nullptr, frame->GetRenderTarget());
    EXPECT_EQ(200, frame->GetRenderTarget()->GetWidth());
    frame->AdvanceFade(800);  // alpha 128
    DrawTree();
    EXPECT_TRUE(Faded(PlainColour(UITEX_SMOOTH), frame->GetAlpha(), Pixel(200, 150)));
    EXPECT_EQ(0xFF000000u, Pixel(90, 150));

    frame->AdvanceFade(2000);
    DrawTree();
    EXPECT_EQ(PlainColour(UITEX_SMOOTH), Pixel(200, 150));

    frame->SetBounds({0, 0, 50, 40});  // a new size makes a new picture
    EXPECT_EQ(50, frame->GetRenderTarget()->GetWidth());
}

TEST_F(DrawingTest, AFrameClipsItsChildrenToItsInside)
{
    TUIFrame* frame = MakeUIFrame("", {100, 100, 300, 200}, root.get());
    frame->noBackground = true;
    frame->borderColour = 0;
    TUIButton* wide = MakeUIButton("", {-50, 20, 400, 60}, frame, 1);
    (void)wide;
    DrawTree();
    EXPECT_EQ(kFace, Pixel(110, 140));
    EXPECT_EQ(0xFF000000u, Pixel(102, 140));  // inside the frame, outside its 5-pixel inset
    EXPECT_EQ(0xFF000000u, Pixel(310, 140));
}

TEST_F(DrawingTest, AProgressBarFillsItsShareOfTheBarPart)
{
    TUIProgressBar* bar = MakeUIProgressBar({100, 300, 356, 322}, root.get(), 0);
    bar->position = 50;
    DrawTree();
    // Bar part 204 wide, half of it filled.
    EXPECT_EQ(kFill, Pixel(150, 310));
    EXPECT_EQ(kFill, Pixel(201, 310));
    EXPECT_EQ(kTrack, Pixel(203, 310));
    EXPECT_EQ(kTrack, Pixel(290, 310));
    bar->max = 0;
    DrawTree();
    EXPECT_EQ(kTrack, Pixel(101, 310));
}

// ---------------------------------------------------------------- lists and badges

TEST_F(DrawingTest, AListRedrawsWhenItsSelectionMoves)
{
    TUIListBox* list = MakeUIListBox({100, 100, 300, 200}, root.get(), 5);
    for (const char* item : {"One.cards", "Two.cards", "Three.cards"}) list->AddItem(item);
    // Rows of 14 from y 102; the right end of a row, clear of its text.
    const int32_t x = 270;
    DrawTree();
    const uint32_t selected = Pixel(x, 108), plain = Pixel(x, 122);
    EXPECT_EQ(0xFFA0A0A0u, plain);
    EXPECT_NE(plain, selected);
    list->SetSelected(1);
    DrawTree();
    EXPECT_EQ(plain, Pixel(x, 108));
    EXPECT_EQ(selected, Pixel(x, 122));
    EXPECT_EQ(0xFF000000u, Pixel(100, 150));  // the outline
}

TEST_F(DrawingTest, AContainerDrawsItsBadgeAndNothingWhenTiny)
{
    MakeUIContainer({100, 100, 300, 160}, root.get(), 0);
    MakeUIContainer({400, 100, 401, 160}, root.get(), 0);
    DrawTree();
    EXPECT_EQ(PlainColour(25), Pixel(200, 130));
    EXPECT_EQ(0xFF000000u, Pixel(400, 130));
}

TEST_F(DrawingTest, AnEditBoxPulsesOnlyWhileFocused)
{
    TUIEditBox* box = MakeUIEditBox("name", {100, 100, 300, 130}, root.get());
    EXPECT_EQ(32, box->BackgroundAlpha(250));
    box->SetFocus(true);
    EXPECT_EQ(96, box->BackgroundAlpha(0));
    EXPECT_EQ(141, box->BackgroundAlpha(250));
    EXPECT_EQ(160, box->BackgroundAlpha(1500));
    EXPECT_EQ(96, box->BackgroundAlpha(1000));
}

// ---------------------------------------------------------------- the state engine on the video manager

TEST_F(DrawingTest, TheStateEngineReadsTheVideoManagersWindow)
{
    TStateEngine engine;
    engine.Initialize();
    EXPECT_FALSE(engine.WindowMinimised());
    EXPECT_FALSE(engine.WindowQuitting());
    EXPECT_GE(engine.FrameTime(), 1u);
    Video->Window()->SetShowState(QZSHOW_MINIMISED);
    PumpWindowMessages(nullptr);
    EXPECT_TRUE(engine.WindowMinimised());
    Video->Window()->Close(false);
    PumpWindowMessages(nullptr);
    EXPECT_TRUE(engine.WindowQuitting());
}
