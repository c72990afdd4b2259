#include "UIBoardLayout.h"

#include "UITheme.h"
#include "clCardGraphics.h"
#include "mgrVideo.h"

#include <algorithm>

namespace {
// The layouts of the card-set widget.
constexpr int32_t kFan = 0, kColumn = 1, kCircle = 2;
}  // namespace

TQZRect BoardSeatRect(int32_t position, TQZPoint board, TQZPoint card)
{
    const int32_t w = board.x, h = board.y, cw = card.x, ch = card.y;
    const int32_t r = ClampLowWins(200, w / 4, 400);
    TQZRect rect;
    switch (position) {
    case BOARD_TABLE: return {w / 2 - cw, h / 2 - ch, w / 2 + cw, h / 2 + ch};
    case BOARD_BOTTOM: rect = {w / 2 - r, h - ch - 10, w / 2 + r, h - 10}; break;
    case BOARD_LEFT: return {10, 50, cw + 10, h - h / 4 - 30};
    case BOARD_TOP: rect = {w / 2 - r, BOARD_TOP_MARGIN, w / 2 + r, ch + BOARD_TOP_MARGIN}; break;
    case BOARD_RIGHT: return {w - cw - 10, h / 4 + 30, w - 10, h - 50};
    default: return {0, 0, 1, 1};
    }
    if (rect.left < BOARD_MIN_HAND_LEFT) rect = OffsetRectBy(rect, {BOARD_MIN_HAND_LEFT - rect.left, 0});
    return rect;
}

int32_t BoardSeatLayout(int32_t position)
{
    switch (position) {
    case BOARD_TABLE: return kCircle;
    case BOARD_LEFT:
    case BOARD_RIGHT: return kColumn;
    default: return kFan;
    }
}

TQZRect BoardIconRect(int32_t position, const TQZRect& hand, int32_t boardWidth)
{
    const int32_t side = ClampLowWins(32, boardWidth / 30, 64);
    TQZPoint at;
    switch (position) {
    case BOARD_BOTTOM: at = {hand.right + 10, hand.bottom - 64}; break;
    case BOARD_LEFT: at = {hand.right + 10, hand.top + 10}; break;
    case BOARD_TOP: at = {hand.right + 10, hand.top}; break;
    case BOARD_RIGHT: at = {hand.right - 64, hand.top - 74}; break;
    default: return {0, 0, side, side};
    }
    return {at.x, at.y, at.x + side, at.y + side};
}

TQZRect BoardNameRect(int32_t position, const TQZRect& hand, const TQZRect& icon, int32_t boardWidth)
{
    // The top hand's cards fill its rectangle from its first row: a name
    // written over the hand would cover them.
    if (position == BOARD_TOP)
        return {icon.right + 8, icon.top, std::max(icon.right + 8, boardWidth - 10), icon.top + BOARD_NAME_HEIGHT};
    return {hand.left, hand.top, hand.right, hand.top + BOARD_NAME_HEIGHT};
}

TQZPoint BoardGatherPoint(const TQZRect& icon, TQZPoint card, TQZPoint board)
{
    const TQZPoint centred{(icon.left + icon.right - card.x) / 2, (icon.top + icon.bottom - card.y) / 2};
    return {std::clamp(centred.x, 0, std::max(0, board.x - card.x)),
            std::clamp(centred.y, BOARD_TOP_MARGIN, std::max(BOARD_TOP_MARGIN, board.y - card.y))};
}

TQZPoint BoardCardSize()
{
    if (Video) return Video->CardSize();
    return {CARDGFX_FALLBACK_WIDTH, CARDGFX_FALLBACK_HEIGHT};
}
