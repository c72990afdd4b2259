#include "UIScoreboard2.h"

#include "UIAvatar.h"
#include "UITheme.h"
#include "clVideoDraw.h"
#include "mgrSession.h"
#include "mgrVideo.h"
#include "qz7fonts.h"

namespace {
constexpr uint32_t kNameFlags = 0x11;
constexpr uint32_t kScoreFlags = 0x12;
constexpr uint32_t kBidFlags = GUITEXT_RIGHT | GUITEXT_VCENTRE;
constexpr int32_t kHeaderTop = 6;
constexpr int32_t kInset = 4;

TVideoDraw* VideoDraw() { return Video ? Video->Draw() : nullptr; }
}  // namespace

int32_t DisplayPosition(TSeat seat, int32_t rotation)
{
    int32_t p = int32_t(seat) + rotation;
    while (p > 4) p -= 4;
    while (p < 1) p += 4;
    return p;
}

TScoreboardLayout ScoreboardLayout(int32_t parentWidth, int32_t parentHeight)
{
    TScoreboardLayout l;
    const int32_t w = MaxOf(parentWidth / 4, 250), h = MaxOf(parentHeight / 4, 160);
    l.rect = {0, parentHeight - h, w, parentHeight};
    l.rowWidth = w - 8;
    l.rowHeight = (h - 32) / 4;
    l.seatColumn = ClampLowWins(16, w / 12, 36);
    l.avatarColumn = MinOf(ClampLowWins(26, w / 10, 68), l.rowHeight);
    l.bidColumn = ClampLowWins(40, w / 9, 80);
    l.scoreColumn = ClampLowWins(40, w / 12, 64);
    l.tricksColumn = ClampLowWins(40, w / 12, 64);
    l.nameColumn = w - 8 - l.seatColumn - 8 - l.avatarColumn - l.scoreColumn - l.tricksColumn - l.bidColumn;
    return l;
}

TScoreboardName ScoreboardNameStyle(const std::vector<std::string>& names, const TScoreboardLayout& layout)
{
    // The widest name decides, in the rows' own face.
    std::string widest;
    if (TQZFont* f = UIFont(UIFONT_BUTTON))
        for (const std::string& name : names)
            if (f->TextWidth(name) > f->TextWidth(widest)) widest = name;
    TScoreboardName style;
    style.font = UIFontThatFits(widest, layout.nameColumn, {UIFONT_BUTTON, UIFONT_SMALL});
    TQZFont* f = UIFont(style.font);
    style.wrap = f && f->TextWidth(widest) > layout.nameColumn;
    return style;
}

std::vector<TScoreboardRow> ScoreboardRows(const TSession& session)
{
    std::vector<TScoreboardRow> rows;
    const TSeat toPlay = session.Tricks().SeatToPlay();
    const bool contract = session.Bidding().HasContract();
    const TSeat declarer = contract ? session.Bidding().HighBidder() : TSeat(0);
    for (TSeat seat : {TSeat(1), TSeat(3), TSeat(2), TSeat(4)}) {
        TScoreboardRow row;
        row.seat = seat;
        row.position = DisplayPosition(seat, session.ViewRotation());
        if (const TSessionPlayer* p = session.Players().GetPlayer(seat)) row.name = p->Name();
        row.toPlay = seat == toPlay;
        row.teamFirst = seat == 1 || seat == 2;
        if (row.teamFirst) {
            const TTeam team = TeamOfSeat(seat);
            row.score = std::to_string(session.Score(team));
            row.tricks = std::to_string(session.Tricks().TricksWon(team));
        }
        row.declarer = contract && seat == declarer;
        if (row.declarer) row.bid = session.Bidding().GetBid(seat);
        rows.push_back(row);
    }
    return rows;
}

TUIScoreboard2::TUIScoreboard2(TGUIWindow* parent) : TUIFrame("", TQZRect{}, parent)
{
    Arrange();
}

bool TUIScoreboard2::Arrange()
{
    TGUIWindow* parent = GetParent();
    if (!parent) return true;
    layout_ = ScoreboardLayout(parent->GetWidth(), parent->GetHeight());
    SetRect(layout_.rect);
    return true;
}

TQZRect TUIScoreboard2::TeamScoreCell(TTeam team) const
{
    const TQZRect s = GetScreenRect();
    const int32_t left = s.left + layout_.seatColumn + layout_.avatarColumn + layout_.nameColumn;
    const int32_t top = s.top + SCOREBOARD_ROWS_TOP + (team - 1) * 2 * layout_.rowHeight;
    return {left, top, left + layout_.scoreColumn, top + 2 * layout_.rowHeight};
}

void TUIScoreboard2::Draw(const TQZRect& rect)
{
    TUIFrame::Draw(rect);
    DrawHeader(rect);
    if (!Session) return;
    int32_t top = rect.top + SCOREBOARD_ROWS_TOP;
    const std::vector<TScoreboardRow> rows = ScoreboardRows(*Session);
    std::vector<std::string> names;
    for (const TScoreboardRow& row : rows) names.push_back(row.name);
    const TScoreboardName nameStyle = ScoreboardNameStyle(names, layout_);
    for (const TScoreboardRow& row : rows) {
        DrawRow(row, {rect.left + kInset, top, rect.left + kInset + layout_.rowWidth, top + layout_.rowHeight},
                nameStyle);
        top += layout_.rowHeight;
    }
}

void TUIScoreboard2::DrawHeader(const TQZRect& rect)
{
    TVideoDraw* d = VideoDraw();
    if (!d) return;
    // Seat, Avatar, Name, Score, Tricks, Bid; the avatar column has no icon.
    const int32_t widths[6] = {layout_.seatColumn,  layout_.avatarColumn, layout_.nameColumn,
                               layout_.scoreColumn, layout_.tricksColumn, layout_.bidColumn};
    const int32_t icons[6] = {1, 0, 2, 3, 4, 5};
    int32_t x = rect.left + kInset;
    const int32_t y = rect.top + kHeaderTop;
    for (int32_t c = 0; c < 6; ++c) {
        if (icons[c] != 0) {
            const int32_t w = MaxOf(widths[c], 32);
            d->DrawIconCell(icons[c], 8, {x, y, x + w, y + SCOREBOARD_ROWS_TOP - kHeaderTop});
        }
        x += widths[c];
    }
}

void TUIScoreboard2::DrawRow(const TScoreboardRow& row, const TQZRect& r, const TScoreboardName& nameStyle)
{
    TVideoDraw* d = VideoDraw();
    if (row.toPlay && d) d->FillPulse(SCOREBOARD_TO_PLAY, r);
    int32_t x = r.left;
    const TQZRect seatCell{x, r.top, x + layout_.seatColumn, r.bottom};
    if (d) d->DrawIconRow3(row.position - 1, seatCell);
    x = seatCell.right;

    // The avatar in a square centred in its cell, inside a black outline.
    const TQZRect avatarCell{x, r.top, x + layout_.avatarColumn, r.bottom};
    const int32_t side = layout_.avatarColumn - 2;
    const int32_t ax = avatarCell.left + (avatarCell.Width() - side) / 2;
    const int32_t ay = avatarCell.top + (avatarCell.Height() - side) / 2;
    if (side > 2) {
        UIFill({ax, ay, ax + side, ay + side}, 0xFF000000);
        DrawAvatar(Session ? Session->Players().GetPlayer(row.seat) : nullptr,
                   {ax + 1, ay + 1, ax + side - 1, ay + side - 1}, 0xFFFFFFFF);
    }
    x = avatarCell.right;

    const TQZRect nameCell{x, r.top, x + layout_.nameColumn, r.bottom};
    if (TQZFont* f = UIFont(nameStyle.font))
        f->DrawText(nameCell, row.name, kNameFlags | (nameStyle.wrap ? QZTEXT_WORDWRAP : 0), 0xFFFFFFFF);
    x = nameCell.right;

    TQZFont* scoreFont = UIFont(SCOREBOARD_FONT_SCORE);
    if (row.teamFirst && scoreFont) {
        const TQZRect scoreCell{x, r.top, x + layout_.scoreColumn, r.top + 2 * layout_.rowHeight};
        scoreFont->DrawText(scoreCell, row.score, kScoreFlags, 0xFFFFFFFF);
        const TQZRect tricksCell{scoreCell.right, r.top, scoreCell.right + layout_.tricksColumn, scoreCell.bottom};
        scoreFont->DrawText(tricksCell, row.tricks, kScoreFlags, 0xFFFFFFFF);
    }
    x += layout_.scoreColumn + layout_.tricksColumn;

    if (!row.declarer) return;
    const TQZRect bidCell{x, r.top, x + layout_.bidColumn, r.bottom};
    if (IsMisereBid(row.bid)) {
        if (d) d->DrawIconCell(6, 6, bidCell);
        return;
    }
    // The count right-aligned in the upper part, the suit icon beside it.
    const int32_t icon = MinOf(bidCell.Height(), bidCell.Width() / 2);
    const int32_t split = bidCell.right - icon;
    if (scoreFont)
        scoreFont->DrawText({bidCell.left, bidCell.top, split - 2, bidCell.top + bidCell.Height() * 2 / 3},
                            std::to_string(row.bid.count), kBidFlags, 0xFFFFFFFF);
    if (d) d->DrawSuitIcon(row.bid.suit, {split, bidCell.top, bidCell.right, bidCell.top + icon});
}
