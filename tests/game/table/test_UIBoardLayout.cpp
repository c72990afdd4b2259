#include "UIBoardLayout.h"

#include <gtest/gtest.h>

namespace {

struct SeatCase {
    int32_t position;
    TQZRect hand, icon;
    int32_t layout;
};

void CheckBoard(TQZPoint board, TQZPoint card, const SeatCase (&cases)[5])
{
    for (const SeatCase& c : cases) {
        const TQZRect hand = BoardSeatRect(c.position, board, card);
        EXPECT_EQ(c.hand, hand) << board.x << " position " << c.position;
        EXPECT_EQ(c.layout, BoardSeatLayout(c.position)) << c.position;
        if (c.position != BOARD_TABLE) {
            EXPECT_EQ(c.icon, BoardIconRect(c.position, hand, board.x)) << board.x << " position " << c.position;
        }
    }
}

TEST(BoardLayout, SeatsAt1280x800)
{
    // R = 320; the icon side is 1280 / 30 = 42.
    const SeatCase cases[5] = {
        {BOARD_TABLE, {550, 278, 730, 522}, {}, 2},
        {BOARD_BOTTOM, {320, 668, 960, 790}, {970, 726, 1012, 768}, 0},
        {BOARD_LEFT, {10, 50, 100, 570}, {110, 60, 152, 102}, 1},
        {BOARD_TOP, {320, 25, 960, 147}, {970, 25, 1012, 67}, 0},
        {BOARD_RIGHT, {1180, 230, 1270, 750}, {1206, 156, 1248, 198}, 1},
    };
    CheckBoard({1280, 800}, {90, 122}, cases);
}

TEST(BoardLayout, SeatsAt1920x1080)
{
    // R is held at 400; the icon side at 64.
    const SeatCase cases[5] = {
        {BOARD_TABLE, {840, 377, 1080, 703}, {}, 2},
        {BOARD_BOTTOM, {560, 907, 1360, 1070}, {1370, 1006, 1434, 1070}, 0},
        {BOARD_LEFT, {10, 50, 130, 780}, {140, 60, 204, 124}, 1},
        {BOARD_TOP, {560, 25, 1360, 188}, {1370, 25, 1434, 89}, 0},
        {BOARD_RIGHT, {1790, 300, 1910, 1030}, {1846, 226, 1910, 290}, 1},
    };
    CheckBoard({1920, 1080}, {120, 163}, cases);
}

TEST(BoardLayout, NarrowBoardsKeepTheHandsClearOfTheLeftCorner)
{
    // R = 200: the bottom hand would span 200..600; it moves to 250..650.
    EXPECT_EQ((TQZRect{250, 494, 650, 590}), BoardSeatRect(BOARD_BOTTOM, {800, 600}, {71, 96}));
    EXPECT_EQ((TQZRect{250, 25, 650, 121}), BoardSeatRect(BOARD_TOP, {800, 600}, {71, 96}));
    // 1600 x 900: R = 400, icons 53 square.
    const TQZRect hand = BoardSeatRect(BOARD_BOTTOM, {1600, 900}, {71, 96});
    EXPECT_EQ((TQZRect{400, 794, 1200, 890}), hand);
    EXPECT_EQ(53, BoardIconRect(BOARD_BOTTOM, hand, 1600).Width());
    EXPECT_EQ(32, BoardIconRect(BOARD_BOTTOM, hand, 600).Width());
}

TEST(BoardLayout, OtherPositionsAndTheNameStrip)
{
    EXPECT_EQ((TQZRect{0, 0, 1, 1}), BoardSeatRect(5, {1280, 800}, {71, 96}));
    EXPECT_EQ((TQZRect{0, 0, 1, 1}), BoardSeatRect(-1, {1280, 800}, {71, 96}));
    EXPECT_EQ((TQZRect{10, 50, 100, 80}), BoardNameRect(BOARD_LEFT, {10, 50, 100, 570}, {110, 60, 152, 102}, 1280));
    // The top hand's cards reach its top edge: the name stands beside the
    // seat's icon instead, to the board's right margin.
    EXPECT_EQ((TQZRect{1020, 25, 1270, 55}), BoardNameRect(BOARD_TOP, {320, 25, 960, 147}, {970, 25, 1012, 67}, 1280));
}

TEST(BoardLayout, GatheredCardsRestWholeOnTheBoardBelowTheTopBar)
{
    const TQZPoint board{1024, 768}, card{114, 159};
    struct {
        TQZRect icon;
        TQZPoint at;
    } cases[] = {
        {{400, 400, 440, 440}, {363, 340}},  // room all round: centred on the icon
        {{778, 25, 812, 59}, {738, BOARD_TOP_MARGIN}},  // the top seat: not over the bar or off the window
        {{990, 700, 1024, 734}, {910, 609}},  // a corner: kept inside
        {{-20, -20, 0, 0}, {0, BOARD_TOP_MARGIN}},
    };
    for (const auto& c : cases) EXPECT_EQ(c.at, BoardGatherPoint(c.icon, card, board)) << c.icon.left;
}

}  // namespace
