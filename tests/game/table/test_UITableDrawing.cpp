// What the card-table widgets draw, read back from the headless device over
// interface textures of one colour each (and white blocks for glyphs).
#include "UIGameBoard.h"
#include "UIPlayerIcon.h"
#include "UIPrompt.h"
#include "clShellLinks.h"
#include "themefixture.h"
#include "ioCardset.h"
#include "mgrSession.h"
#include "mgrTimers.h"
#include "qz7kvdata.h"

#include <gtest/gtest.h>

using namespace themetest;

namespace {

class TableDrawingTest : public ThemeFixture {
protected:
    void SetUp() override
    {
        ThemeFixture::SetUp();
        WriteCardset();
        timers.Initialize();
        Timers = &timers;
        session = std::make_unique<TSession>();
        session->Initialize();
        Session = session.get();
        const TQZRect client = Video->ClientRect();
        root = NewRootWindow<TGUIWindow>(TQZRect{0, 0, client.Width(), client.Height()}, nullptr, 0);
    }
    void TearDown() override
    {
        root.reset();
        Session = nullptr;
        session.reset();
        Timers = nullptr;
        ThemeFixture::TearDown();
    }
    // The cardset the settings name, every card one colour (it loads on
    // first use, in the working folder).
    static void WriteCardset()
    {
        TCardsFileContent c;
        c.width = 40;
        c.height = 56;
        c.title = "Basic";
        for (auto& image : c.images) image = Picture(40, 56, [](int32_t, int32_t) { return 0xFF204080u; });
        std::vector<uint8_t> bytes;
        ASSERT_TRUE(BuildCardsFile(c, bytes));
        vqtest::WriteFile("Cardsets/Basic.cards", std::string(bytes.begin(), bytes.end()));
    }
    void DrawTree()
    {
        Frame([&] { root->DrawTree(); });
    }
    // Glyph pixels (white) inside a rectangle: count and right-most column.
    std::pair<int32_t, int32_t> Glyphs(const TQZRect& r) const
    {
        int32_t n = 0, right = -1;
        for (int32_t y = r.top; y < r.bottom; ++y)
            for (int32_t x = r.left; x < r.right; ++x)
                if (Pixel(x, y) == kGlyph) {
                    ++n;
                    right = std::max(right, x);
                }
        return {n, right};
    }

    TTimers timers;
    std::unique_ptr<TSession> session;
    TGUIWindowPtr<TGUIWindow> root;
};

TEST_F(TableDrawingTest, IconsShowTheSeatsAvatar)
{
    session->Players().GetPlayer(1)->MakeLocal();
    session->Players().GetPlayer(2)->MakeAI();
    session->Players().GetPlayer(3)->MakeRemote(3, TPlayerGUID{}, "R");
    TUIGameBoard* board = NewWindow<TUIGameBoard>(root.get());
    DrawTree();
    const struct {
        TSeat seat;
        int32_t texture;
    } cases[] = {{1, 14}, {2, 31}, {3, 15}};
    for (const auto& c : cases) {
        const TQZRect r = board->PlayerIcon(c.seat)->GetScreenRect();
        EXPECT_EQ(PlainColour(c.texture), Pixel((r.left + r.right) / 2, (r.top + r.bottom) / 2)) << int(c.seat);
    }
}

// The continue bar's marker: on for a computer or a player who pressed
// continue, off for a player who has not.
TEST_F(TableDrawingTest, TheMarkerShowsWhoHasContinued)
{
    session->Players().GetPlayer(1)->MakeLocal();
    session->Players().GetPlayer(2)->MakeAI();
    TUIPlayerIcon* local = NewWindow<TUIPlayerIcon>(TSeat(1), root.get(), TQZRect{100, 100, 164, 164});
    TUIPlayerIcon* computer = NewWindow<TUIPlayerIcon>(TSeat(2), root.get(), TQZRect{200, 100, 264, 164});
    local->showMarker = computer->showMarker = true;
    DrawTree();
    EXPECT_EQ(kOff, Pixel(132, 153));
    EXPECT_EQ(kOn, Pixel(232, 153));
    session->Players().GetPlayer(1)->SetContinue(true);
    DrawTree();
    EXPECT_EQ(kOn, Pixel(132, 153));
    local->showMarker = false;
    DrawTree();
    EXPECT_EQ(PlainColour(14), Pixel(132, 153));
}

// The prompt types itself in from the left: nothing at first, only the
// part left of the reveal (and its soft edge) halfway, all of it at the end.
TEST_F(TableDrawingTest, ThePromptIsRevealedFromTheLeft)
{
    Settings->SetString(kPromptSpeedKey, "10");
    session->SetPrompt("WWWWWWWWWWWWWWWWWWWWWWWWWWWWWW");  // 30 glyphs, 240 pixels
    TUIGameBoard* board = NewWindow<TUIGameBoard>(root.get());
    TUIPrompt* prompt = board->Prompt();
    ASSERT_NE(nullptr, prompt->Picture());
    const TQZRect r = prompt->GetScreenRect();
    prompt->Advance(0);
    DrawTree();
    EXPECT_EQ(0, Glyphs(r).first);

    for (int32_t width = 0; width < prompt->GetWidth() / 2;) {
        prompt->Advance(10);  // 10 pixels a step
        width += 10;
    }
    DrawTree();
    const auto half = Glyphs(r);
    EXPECT_GT(half.first, 0);
    // Full opacity stops at the first strip of the soft edge; the others
    // are never pure white.
    EXPECT_LE(half.second, r.left + int32_t(prompt->RevealWidth()) + PROMPT_EDGE_STRIP - 1);

    for (int i = 0; i < 200; ++i) prompt->Advance(10);
    DrawTree();
    const auto whole = Glyphs(r);
    EXPECT_GT(whole.first, half.first);
    EXPECT_GT(whole.second, half.second);
}

}  // namespace
