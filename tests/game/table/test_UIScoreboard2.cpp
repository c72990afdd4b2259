#include "UIScoreboard2.h"
#include "UIScorefloat.h"
#include "mgrSession.h"
#include "boardfixture.h"

namespace {

using boardtest::TableSessionTest;

TEST(ScoreboardLayout, ColumnsAtTheCommonSizes)
{
    struct Case {
        int32_t w, h;
        TQZRect rect;
        int32_t row, seat, avatar, name, score, tricks, bid;
    };
    const Case cases[] = {
        // 320 x 200: avatar 32, bid 35 -> 40, score and tricks 26 -> 40
        {1280, 800, {0, 600, 320, 800}, 42, 26, 32, 126, 40, 40, 40},
        // 480 x 270: everything at its natural size but the avatar (row 59)
        {1920, 1080, {0, 810, 480, 1080}, 59, 36, 48, 247, 40, 40, 53},
        // the minimum 250 x 160
        {800, 600, {0, 440, 250, 600}, 32, 20, 26, 68, 40, 40, 40},
    };
    for (const Case& c : cases) {
        const TScoreboardLayout l = ScoreboardLayout(c.w, c.h);
        EXPECT_EQ(c.rect, l.rect) << c.w;
        EXPECT_EQ(c.rect.Width() - 8, l.rowWidth) << c.w;
        EXPECT_EQ(c.row, l.rowHeight) << c.w;
        EXPECT_EQ(c.seat, l.seatColumn) << c.w;
        EXPECT_EQ(c.avatar, l.avatarColumn) << c.w;
        EXPECT_EQ(c.name, l.nameColumn) << c.w;
        EXPECT_EQ(c.score, l.scoreColumn) << c.w;
        EXPECT_EQ(c.tricks, l.tricksColumn) << c.w;
        EXPECT_EQ(c.bid, l.bidColumn) << c.w;
    }
}

TEST(ScoreboardLayout, DisplayPositionTurnsWithTheRotation)
{
    // rotation r puts seat 5 - r (mod 4) at the bottom
    for (int32_t r = 0; r < 4; ++r)
        for (TSeat s = 1; s <= 4; ++s) EXPECT_EQ((s + r - 1) % 4 + 1, DisplayPosition(s, r)) << int(s) << " " << r;
}

class ScoreboardTest : public TableSessionTest {
protected:
    void Contract(TSeat declarer, TBid bid)
    {
        TCardset deck;
        deck.FillDeck();
        S().NewHand(deck.ToText());
        S().Bidding().SetOpeningSeat(declarer);
        S().Bidding().Reset();
        S().StartBidding();
        S().Bidding().PlaceBid(bid, "");
        for (int i = 0; i < 3; ++i) S().Bidding().PlaceBid({SUIT_SPADES, 1}, "");
        ASSERT_TRUE(S().Bidding().IsComplete());
    }
};

TEST_F(ScoreboardTest, RowsFromTheSession)
{
    for (TSeat s = 1; s <= 4; ++s) S().Players().GetPlayer(s)->SetName("P" + std::to_string(s));
    S().SetScore(1, 120);
    S().SetScore(2, -40);
    Contract(3, {SUIT_HEARTS, 8});
    S().CompleteBidding();
    S().StartPlay();
    S().SetStatus(STATUS_PLAYING);
    TTrick tricks[10] = {};
    S().Tricks().Restore(1, tricks, 2, 5);
    S().Tricks().StartTrick(3);
    S().SetViewRotation(2);  // seat 3 at the bottom

    const std::vector<TScoreboardRow> rows = ScoreboardRows(S());
    ASSERT_EQ(4u, rows.size());
    const TSeat order[4] = {1, 3, 2, 4};
    const int32_t positions[4] = {3, 1, 4, 2};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(order[i], rows[i].seat);
        EXPECT_EQ(positions[i], rows[i].position) << i;
        EXPECT_EQ("P" + std::to_string(order[i]), rows[i].name);
        EXPECT_EQ(order[i] == 3, rows[i].toPlay) << i;
        EXPECT_EQ(order[i] == 3, rows[i].declarer) << i;
    }
    EXPECT_TRUE(rows[0].teamFirst);
    EXPECT_EQ("120", rows[0].score);
    EXPECT_EQ("2", rows[0].tricks);
    EXPECT_FALSE(rows[1].teamFirst);
    EXPECT_EQ("", rows[1].score);
    EXPECT_TRUE(rows[2].teamFirst);
    EXPECT_EQ("-40", rows[2].score);
    EXPECT_EQ("5", rows[2].tricks);
    EXPECT_EQ(SUIT_HEARTS, rows[1].bid.suit);
    EXPECT_EQ(8, rows[1].bid.count);
}

TEST_F(ScoreboardTest, NoContractShownWhileTheAuctionRuns)
{
    Contract(2, {SUIT_CLUBS, 7});
    S().Bidding().Reset();
    S().StartBidding();
    S().Bidding().PlaceBid({SUIT_CLUBS, 7}, "");
    for (const TScoreboardRow& row : ScoreboardRows(S())) EXPECT_FALSE(row.declarer) << int(row.seat);
}

TEST_F(ScoreboardTest, DocksAtTheBottomLeftOfItsParent)
{
    TUIScoreboard2* board = NewWindow<TUIScoreboard2>(Root(1280, 800));
    EXPECT_EQ((TQZRect{0, 600, 320, 800}), board->GetRect());
    // Team 2's cell: two rows down from the first, after seat, avatar and name.
    EXPECT_EQ((TQZRect{26 + 32 + 126, 600 + 24 + 84, 26 + 32 + 126 + 40, 600 + 24 + 168}), board->TeamScoreCell(2));
    root->SetBounds({0, 0, 1920, 1080});
    root->ArrangeTree();
    EXPECT_EQ((TQZRect{0, 810, 480, 1080}), board->GetRect());
}

// A loss of 20: "-20" in red, a second in the middle, then a drift to the
// team's cell and a fade; then it is done and hidden.
TEST_F(ScoreboardTest, ScoreFloatDriftsToTheTeamsCellAndFades)
{
    TGUIWindow* r = Root(1280, 800);
    TUIScoreboard2* board = NewWindow<TUIScoreboard2>(r);
    TUIScorefloat* f = NewWindow<TUIScorefloat>(r, 2, -20, board);
    EXPECT_EQ("-20", f->Text());
    EXPECT_EQ(0xFFFF6040u, f->Colour());
    EXPECT_EQ((TQZRect{565, 200, 715, 250}), f->GetRect());  // centred on (640, 225)

    f->Advance(0.9f);
    EXPECT_EQ(0, f->Phase());
    f->Advance(0.1f);
    EXPECT_EQ(1, f->Phase());
    f->Advance(1.6f);
    const TQZRect cell = board->TeamScoreCell(2);
    EXPECT_EQ(((cell.left + cell.right) / 2), (f->GetRect().left + f->GetRect().right) / 2);
    EXPECT_EQ(((cell.top + cell.bottom) / 2), (f->GetRect().top + f->GetRect().bottom) / 2);
    EXPECT_EQ(2, f->Phase());
    f->Advance(0.25f);
    EXPECT_EQ(128, f->Alpha());  // 255 - trunc(0.25 x 2 x 255)
    EXPECT_FALSE(f->Done());
    f->Advance(0.25f);
    EXPECT_TRUE(f->Done());
    EXPECT_EQ(0, f->Alpha());
    EXPECT_FALSE(f->IsVisible());

    TUIScorefloat* gain = NewWindow<TUIScorefloat>(r, 1, 0, board);
    EXPECT_EQ("+0", gain->Text());
    EXPECT_EQ(0xFF40FF70u, gain->Colour());
}

}  // namespace
