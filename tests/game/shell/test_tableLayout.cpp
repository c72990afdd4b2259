// The card table where the layout meets real fonts and card sizes, at the
// window sizes players use: nothing a player reads or clicks lies over the
// cards of a hand. With VQ_TABLE_FRAMES set to a folder the frames are
// written there (<size>-<moment>.png) to look at.
#include "tablescreens.h"

#include "UIBidding.h"
#include "UIButton.h"
#include "UICardset.h"
#include "UIChatWindow.h"
#include "UIGameBoard.h"
#include "UILabel.h"
#include "UIPrompt.h"
#include "UIScoreboard2.h"
#include "UITheme.h"
#include "qz7files.h"
#include "qz7fonts.h"
#include "stateBidding.h"
#include "stateMenu.h"

namespace {

struct TSize {
    int32_t width, height;
};

std::string Text(const TQZRect& r)
{
    return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ", " + std::to_string(r.right) + ", " +
           std::to_string(r.bottom) + ")";
}

class TableLayout : public shelltest::TableScreens, public ::testing::WithParamInterface<TSize> {
protected:
    void SetUp() override
    {
        TableScreens::SetUp();
        // Fades move on with painted frames, as in the program.
        paintFrames = true;
        Video->Window()->SetClientSize(GetParam().width, GetParam().height);
        PumpFrame();
        Step();
    }
    std::string Name(const std::string& moment) const
    {
        return std::to_string(GetParam().width) + "x" + std::to_string(GetParam().height) + "-" + moment;
    }
    TUIGameBoard* Board() const
    {
        auto* table = dynamic_cast<TStateTable*>(StateEngine->Current());
        return table ? table->Board() : nullptr;
    }
    TSeat SeatAt(int32_t position) const
    {
        for (TSeat s = 1; s <= 4; ++s)
            if (Board()->SeatPosition(s) == position) return s;
        return 0;
    }
    // The cards of the hand at a display position, where they are drawn.
    std::vector<TQZRect> Cards(int32_t position) const
    {
        std::vector<TQZRect> cards;
        const TUICardset* hand = Board()->GetSeatCards(SeatAt(position));
        for (int32_t p = 1; hand && p <= hand->Count(); ++p) cards.push_back(hand->CalcCardPositions(p));
        return cards;
    }
    // Fails naming the first card of the hand the box overlaps.
    void ExpectClearOf(const TQZRect& box, int32_t position, const std::string& what) const
    {
        const std::vector<TQZRect> cards = Cards(position);
        ASSERT_FALSE(cards.empty()) << what;
        for (size_t i = 0; i < cards.size(); ++i)
            if (RectsIntersect(box, cards[i])) {
                ADD_FAILURE() << what << " " << Text(box) << " overlaps card " << i + 1 << " " << Text(cards[i])
                              << " of the hand at position " << position;
                return;
            }
    }
    // A pixel of the frame last drawn.
    static uint32_t PixelAt(int32_t x, int32_t y)
    {
        std::shared_ptr<plat::softgpu::Surface> back;
        Direct3DDevice()->Device()->GetBackBuffer(0, 0, back);
        return back->PixelAt(x, y);
    }
    // Plays on until the local player is to bid and the panel has faded in.
    void ToTheLocalBid()
    {
        Command(5);
        ASSERT_TRUE(RunUntil(STATE_BIDDING));
        for (int32_t i = 0; i < 20000; ++i) {
            if (CurrentId() == STATE_BIDDING && !S().Bidding().IsComplete() &&
                S().Bidding().CurrentBidder() == Local())
                break;
            Step();
        }
        ASSERT_EQ(STATE_BIDDING, CurrentId());
        for (int32_t i = 0; i < 120; ++i) Step();
    }
};

TEST_P(TableLayout, TheNamesAndTheBiddingPanelStayOffTheHands)
{
    ASSERT_EQ(GetParam().width, engine->Root()->GetWidth());
    ASSERT_EQ(GetParam().height, engine->Root()->GetHeight());
    ToTheLocalBid();
    ASSERT_NE(nullptr, Board());
    Render(Name("auction"));
    const TSeat top = SeatAt(BOARD_TOP);
    ASSERT_NE(nullptr, Board()->NameLabel(top));
    ExpectClearOf(Board()->NameLabel(top)->GetScreenRect(), BOARD_TOP, "the top player's name");
    const TUIBidding* panel = static_cast<TStateBidding*>(StateEngine->Current())->Panel();
    ASSERT_NE(nullptr, panel);
    const TQZRect box = panel->GetScreenRect();
    for (int32_t position : {BOARD_TOP, BOARD_BOTTOM}) ExpectClearOf(box, position, "the bidding panel");
    EXPECT_FALSE(RectsIntersect(box, Board()->Prompt()->GetScreenRect()))
        << "the panel " << Text(box) << " lies over the prompt line " << Text(Board()->Prompt()->GetScreenRect());
    EXPECT_GE(box.top, 0);
    EXPECT_LE(box.bottom, GetParam().height);
    // Faded in, the panel is solid: a seat's row reads the same over the
    // kitty as beside it.
    const TQZRect kitty = Board()->GetSeatCards(0)->GetScreenRect();
    const int32_t rowMiddle = box.top + 32 * 2 + 47 + 16;
    ASSERT_LT(kitty.top, rowMiddle);
    EXPECT_EQ(PixelAt(box.right - 20, rowMiddle), PixelAt(kitty.right - 10, rowMiddle))
        << "the kitty shows through the panel";

    // The chat opened over the table: the left player's cards under it stay
    // dark enough for white text to read.
    engine->Root()->DispatchKey(UICHAT_KEY_TOGGLE);
    Step();
    Render(Name("chat"));
    TQZRect under;
    ASSERT_TRUE(IntersectRects(engine->Chat()->GetScreenRect(), Cards(BOARD_LEFT).back(), under));
    const uint32_t pixel = PixelAt((under.left + under.right) / 2, (under.top + under.bottom) / 2);
    for (int shift : {0, 8, 16}) EXPECT_LT(int((pixel >> shift) & 0xFF), 0x30) << std::hex << pixel;
}

// The waving fan of the menu lies between the title and the buttons, its
// last card whole.
TEST_P(TableLayout, TheMenuFanStandsWholeBetweenTheTitleAndTheButtons)
{
    auto* menu = dynamic_cast<TMainMenuGUI*>(StateEngine->Current()->Window());
    ASSERT_NE(nullptr, menu);
    Render(Name("menu"));
    const TQZPoint card = Video->CardSize();
    const TMenuFan fan = menu->Anim()->fan;
    const int32_t top = fan.base - 20, bottom = fan.base + 20 + card.y;
    EXPECT_GE(top, menu->Title()->GetRect().bottom) << "the title covers the fan";
    EXPECT_LE(bottom, menu->Button(1)->GetRect().top) << "the fan runs under the buttons";
    EXPECT_LE(42 * fan.step + card.x, GetParam().width) << "the last card is cut";
    EXPECT_GE(42 * fan.step + card.x, GetParam().width - 42) << "the fan leaves the right side empty";
}

// Every name the computer players can have is written whole in the
// scoreboard's name column, alone or beside the longest of them: on one
// line, or on two of whole words.
TEST_P(TableLayout, EveryOpponentsNameFitsTheScoreboard)
{
    const std::string list = ReadTextFile("Assets\\Config\\Opponents.txt");
    const std::string line = list.substr(0, list.find_first_of("\r\n"));
    std::vector<std::string> names;
    for (size_t from = 0; from <= line.size();) {
        const size_t end = std::min(line.find(',', from), line.size());
        names.push_back("AI " + line.substr(from, end - from));
        from = end + 1;
    }
    ASSERT_GE(names.size(), 3u);
    const TScoreboardLayout layout = ScoreboardLayout(GetParam().width, GetParam().height);
    for (const std::string& name : names) {
        for (const TScoreboardName& style :
             {ScoreboardNameStyle({name, "Player"}, layout), ScoreboardNameStyle(names, layout)}) {
            TQZFont* font = UIFont(style.font);
            ASSERT_NE(nullptr, font);
            if (!style.wrap) {
                EXPECT_LE(font->TextWidth(name), layout.nameColumn) << name;
                continue;
            }
            for (const std::string& word : {name.substr(0, 2), name.substr(3)})
                EXPECT_LE(font->TextWidth(word), layout.nameColumn) << name;
            EXPECT_LE(2 * font->LineHeight(), layout.rowHeight) << name;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, TableLayout,
                         ::testing::Values(TSize{1024, 768}, TSize{1280, 800}, TSize{1920, 1080}),
                         [](const ::testing::TestParamInfo<TSize>& info) {
                             return std::to_string(info.param.width) + "x" + std::to_string(info.param.height);
                         });

}  // namespace
