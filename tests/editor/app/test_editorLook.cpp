// What the editor's screen and dialogs look like, read back from the frames
// the headless device draws: texts readable against what is behind them
// (contrast of WCAG's relative luminance), controls greyed while a dialog is
// up, the zoom bar's caption clear of its thumb, slot captions inside slots.
#include "UICarddeckview.h"
#include "editorfixture.h"
#include "GameTextHelpers.h"
#include "qz7direct3d.h"
#include "qz7guihost.h"
#include "qz7guiscrollbar.h"

#include <cmath>
#include <map>
#include <typeinfo>

namespace {

using editortest::EditorTest;

double Luminance(uint32_t argb)
{
    auto linear = [](uint32_t c) {
        const double v = double(c & 0xFF) / 255.0;
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(argb >> 16) + 0.7152 * linear(argb >> 8) + 0.0722 * linear(argb);
}

double Contrast(uint32_t a, uint32_t b)
{
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// A text over its background: the background is the rectangle's commonest
// colour, the ink its pixel that stands out most (the full-cover core of a
// glyph); `skip` is left out.
struct TextLook {
    uint32_t background = 0, ink = 0;
    double contrast = 1;
};

class EditorLookTest : public EditorTest {
protected:
    void Frame()
    {
        app->Host()->Invalidate(true);
        app->Step();
        app->Step();  // the paint the first step asked for
    }
    static uint32_t Pixel(int32_t x, int32_t y)
    {
        std::shared_ptr<plat::softgpu::Surface> back;
        Direct3DDevice()->Device()->GetBackBuffer(0, 0, back);
        return back ? back->PixelAt(x, y) | 0xFF000000u : 0;
    }
    static TextLook Measure(const TQZRect& r, const TQZRect& skip = {})
    {
        std::map<uint32_t, int32_t> count;
        for (int32_t y = r.top; y < r.bottom; ++y)
            for (int32_t x = r.left; x < r.right; ++x)
                if (!PointInRect({x, y}, skip)) ++count[Pixel(x, y)];
        TextLook look;
        int32_t most = 0;
        for (auto [colour, n] : count)
            if (n > most) most = n, look.background = colour;
        for (auto [colour, n] : count)
            if (Contrast(colour, look.background) > look.contrast)
                look.contrast = Contrast(colour, look.background), look.ink = colour;
        return look;
    }
    // Every label (a plain window with a text) shown under the root.
    static void Labels(TQZGUIWindow* root, std::vector<TQZGUIWindow*>& out)
    {
        for (int32_t i = 0; i < root->ChildCount(); ++i) {
            TQZGUIWindow* w = root->GetChild(i);
            if (!w->Visible()) continue;
            if (typeid(*w) == typeid(TQZGUIWindow) && !w->Text().empty()) out.push_back(w);
            Labels(w, out);
        }
    }
    void ExpectLabelsReadable(TQZGUIWindow* root, const std::string& where)
    {
        std::vector<TQZGUIWindow*> labels;
        Labels(root, labels);
        EXPECT_GT(labels.size(), 2u) << where;
        for (TQZGUIWindow* label : labels) {
            const TextLook look = Measure(label->GetScreenRect());
            EXPECT_GE(look.contrast, 4.5) << where << ": \"" << label->Text() << "\" " << std::hex << look.ink
                                          << " on " << look.background;
        }
    }
    // A button's caption on its face (above the band along its bottom).
    void ExpectButtonReadable(TQZGUIWindow* button)
    {
        const TQZRect r = button->GetScreenRect();
        const TextLook look = Measure({r.left + 1, r.top + 1, r.right - 1, r.bottom - 6});
        EXPECT_EQ(button->GetThemeColor(6), look.background) << button->Text();
        EXPECT_GE(look.contrast, 4.5) << button->Text() << ": " << std::hex << look.ink << " on " << look.background;
    }
    TQZGUIScrollBar* ZoomBar() const { return dynamic_cast<TQZGUIScrollBar*>(app->FindWidget("ViewSizeScroll")); }
};

TEST_F(EditorLookTest, TheScreensLabelsAndButtonsRead)
{
    Frame();
    ExpectLabelsReadable(app->Host(), "main screen");
    for (int32_t id : {EDCMD_NEW, EDCMD_RESIZE, EDCMD_ZOOM_3, EDCMD_OVERLAY_CARD}) {
        TQZGUIWindow* button = app->Host()->FindByID(id);
        ASSERT_NE(nullptr, button) << id;
        ExpectButtonReadable(button);
    }
}

// The ratio keeps its three colours (not a number, outside the usual card
// shapes, a usual shape); each must read on the dialog.
TEST_F(EditorLookTest, TheSizeDialogsTextsAndRatioColoursRead)
{
    struct Case {
        const char *width, *height;
        TQZColour colour;
    } cases[] = {{"0", "96", 0xFFD08080}, {"100", "100", 0xFFD0D080}, {"100", "120", 0xFF80D080}};
    for (int32_t command : {EDCMD_NEW, EDCMD_RESIZE}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::to_string(command) + ": " + c.width + " x " + c.height);
            int32_t frame = 0;
            app->onDialogFrame = [&](TQZGUIDialog* d) {
                if (frame++ == 0) {
                    SetField(d, "editWidth", c.width);
                    SetField(d, "editHeight", c.height);
                    return;
                }
                Frame();
                TQZGUIWindow* ratio = FindByTitleDeep(d, "editAspectRatio");
                ASSERT_NE(nullptr, ratio);
                EXPECT_EQ(c.colour, ratio->Color());
                const TextLook look = Measure(ratio->GetScreenRect());
                EXPECT_EQ(c.colour, look.ink) << "the ratio in its own colour";
                EXPECT_GE(look.contrast, 4.5) << std::hex << look.ink << " on " << look.background;
                ExpectLabelsReadable(d, "dialog");
                ExpectButtonReadable(d->OKButton() && d->OKButton()->Enabled() ? d->OKButton() : d->CancelButton());
                const TQZRect r = d->GetScreenRect();
                const TextLook title = Measure({r.left + 1, r.top + 1, r.right - 1, r.top + 31});
                EXPECT_GE(title.contrast, 4.5) << "the dialog's title";
                d->CancelButton()->Click();
            };
            app->OnCommand(command);
            app->onDialogFrame = nullptr;
            EXPECT_EQ(2, frame);
        }
    }
}

// At every zoom the caption keeps off the thumb and reads on the track.
TEST_F(EditorLookTest, TheZoomBarsCaptionStaysClearOfItsThumb)
{
    TQZGUIScrollBar* bar = ZoomBar();
    ASSERT_NE(nullptr, bar);
    for (int32_t command : {EDCMD_ZOOM_1, EDCMD_ZOOM_2, EDCMD_ZOOM_3}) {
        SCOPED_TRACE(command);
        app->OnCommand(command);
        Frame();
        const TQZRect screen = bar->GetScreenRect();
        TQZRect thumb = bar->ThumbRect();
        thumb = {thumb.left + screen.left, thumb.top + screen.top, thumb.right + screen.left, thumb.bottom + screen.top};
        const uint32_t face = Pixel((thumb.left + thumb.right) / 2, (thumb.top + thumb.bottom) / 2);
        int32_t covered = 0;
        // Inside the thumb's rounded corners.
        for (int32_t y = thumb.top + 3; y < thumb.bottom - 3; ++y)
            for (int32_t x = thumb.left + 3; x < thumb.right - 3; ++x) covered += Pixel(x, y) != face;
        EXPECT_EQ(0, covered) << "caption pixels on the thumb at " << bar->Text();
        const TextLook look = Measure(screen, thumb);
        EXPECT_GE(look.contrast, 4.5) << bar->Text() << ": " << std::hex << look.ink << " on " << look.background;
    }
}

// A modal dialog disables the screen's panels: what is in them looks it.
TEST_F(EditorLookTest, WhileADialogIsUpTheScreensControlsLookDisabled)
{
    TQZGUIWindow* edit = app->FindWidget("editCardTitle");
    TQZGUIWindow* box = app->FindWidget("AlignLeftCheckBox");
    TQZGUIScrollBar* bar = ZoomBar();
    ASSERT_TRUE(edit && box && bar && app->DeckView());
    // Points with no text: the edit's right end, the check box's corner
    // inside its frame, the thumb's middle, the card view's last corner.
    const TQZRect e = edit->GetScreenRect(), b = box->GetScreenRect(), s = bar->GetScreenRect();
    const TQZRect t = bar->ThumbRect(), v = app->DeckView()->GetScreenRect();
    const TQZPoint points[] = {{e.right - 6, e.top + 4},
                               {b.left + 3, (b.top + b.bottom) / 2 - 7},
                               {s.left + (t.left + t.right) / 2, s.top + (t.top + t.bottom) / 2},
                               {v.right - 20, v.bottom - 3}};
    Frame();
    std::vector<uint32_t> live;
    for (TQZPoint p : points) live.push_back(Pixel(p.x, p.y));
    EXPECT_EQ(app->Host()->GetThemeColor(8), live[0]);
    EXPECT_EQ(app->Host()->GetThemeColor(4), live[1]);
    bool looked = false;
    app->onDialogFrame = [&](TQZGUIDialog* d) {
        Frame();
        EXPECT_EQ(app->Host()->GetThemeColor(2), Pixel(points[0].x, points[0].y)) << "edit";
        EXPECT_EQ(app->Host()->GetThemeColor(3), Pixel(points[1].x, points[1].y)) << "check box";
        EXPECT_EQ(app->Host()->GetThemeColor(3), Pixel(points[2].x, points[2].y)) << "zoom bar's thumb";
        EXPECT_NE(live[3], Pixel(points[3].x, points[3].y)) << "card view";
        looked = true;
        d->CancelButton()->Click();
    };
    app->OnCommand(EDCMD_RESIZE);
    app->onDialogFrame = nullptr;
    EXPECT_TRUE(looked);
    Frame();
    for (size_t i = 0; i < std::size(points); ++i) EXPECT_EQ(live[i], Pixel(points[i].x, points[i].y)) << i;
}

// An empty slot shows its number and the card's name, kept off its edges
// ("Queen of Spades" is wider than a 71-pixel card in one line).
TEST_F(EditorLookTest, EmptySlotCaptionsStayInsideTheirSlots)
{
    NewCardset(71, 96);
    app->OnCommand(EDCMD_ZOOM_1);
    app->DeckView()->SetSelected(-1);
    Frame();
    const TQZRect view = app->DeckView()->GetScreenRect();
    int32_t seen = 0;
    for (int32_t slot = 0; slot < DECKVIEW_SLOTS; ++slot) {
        TQZRect r = app->DeckView()->SlotRect(slot);
        r = {r.left + view.left, r.top + view.top, r.right + view.left, r.bottom + view.top};
        if (r.bottom > view.bottom) continue;
        ++seen;
        int32_t ink = 0, atEdge = 0;
        for (int32_t y = r.top; y < r.bottom; ++y)
            for (int32_t x = r.left; x < r.right; ++x) {
                const bool lit = (Pixel(x, y) & 0xFF) > 0x40;
                ink += lit;
                atEdge += lit && (x < r.left + 2 || x >= r.right - 2 || y >= r.bottom - 2);
            }
        EXPECT_GT(ink, 20) << "slot " << slot << " shows its captions";
        EXPECT_EQ(0, atEdge) << "slot " << slot << " (" << CardName(slot) << ")";
    }
    EXPECT_GT(seen, 20);
}

}  // namespace
