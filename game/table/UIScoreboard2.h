// The scoreboard docked at the bottom left of the table: one row per seat,
// team 1 (seats 1 and 3) above team 2, with the seat's direction, avatar and
// name, each team's game score and tricks this hand, and the contract beside
// the declarer. The seat to play is lit.
#pragma once

#include "UIFrame.h"
#include "arcqz7guiwidgets.h"
#include "coreGame.h"

#include <string>
#include <vector>

class TSession;

constexpr int32_t SCOREBOARD_FONT_SCORE = 4;
constexpr TQZColour SCOREBOARD_TO_PLAY = 0xA0FFA0;
// Where the rows begin below the top of the board.
constexpr int32_t SCOREBOARD_ROWS_TOP = 24;

// The board's rectangle in its parent and its column widths.
struct TScoreboardLayout {
    TQZRect rect;
    int32_t rowWidth = 0, rowHeight = 0;
    int32_t seatColumn = 0, avatarColumn = 0, nameColumn = 0, scoreColumn = 0, tricksColumn = 0, bidColumn = 0;
};
TScoreboardLayout ScoreboardLayout(int32_t parentWidth, int32_t parentHeight);
// How the players' names are written, all alike: in the rows' own face, or a
// smaller one where a name is wider than its column, on two lines where even
// that is too wide. A name is never cut.
struct TScoreboardName {
    int32_t font = 0;
    bool wrap = false;
};
TScoreboardName ScoreboardNameStyle(const std::vector<std::string>& names, const TScoreboardLayout& layout);

// What one row shows.
struct TScoreboardRow {
    TSeat seat = 0;
    int32_t position = 0;  // where the seat sits on the table: 1 bottom .. 4 right
    std::string name;
    bool toPlay = false;
    bool teamFirst = false;  // seats 1 and 2 carry their team's score and tricks
    std::string score, tricks;
    bool declarer = false;  // the contract is shown in this row
    TBid bid;
};
// The rows in the order shown: seats 1, 3, 2, 4.
std::vector<TScoreboardRow> ScoreboardRows(const TSession& session);
// Where a seat sits on the table for a view rotation: 1 bottom (the local
// player), 2 left, 3 top, 4 right.
int32_t DisplayPosition(TSeat seat, int32_t rotation);

class TUIScoreboard2 : public TUIFrame {
public:
    explicit TUIScoreboard2(TGUIWindow* parent);

    bool Arrange() override;
    void Draw(const TQZRect& rect) override;

    const TScoreboardLayout& Layout() const { return layout_; }
    // The screen rectangle of a team's score cell (two rows high).
    TQZRect TeamScoreCell(TTeam team) const;

private:
    void DrawHeader(const TQZRect& rect);
    void DrawRow(const TScoreboardRow& row, const TQZRect& rowRect, const TScoreboardName& nameStyle);

    TScoreboardLayout layout_;
};
