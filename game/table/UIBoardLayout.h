// Where things stand on the card table: the table cards in the middle and
// the four seats around it, each with its hand, player icon and name. Seats
// are placed by display position: 1 bottom (the local player), 2 left, 3 top,
// 4 right; 0 is the table.
#pragma once

#include "qz7core.h"

constexpr int32_t BOARD_TABLE = 0;
constexpr int32_t BOARD_BOTTOM = 1;
constexpr int32_t BOARD_LEFT = 2;
constexpr int32_t BOARD_TOP = 3;
constexpr int32_t BOARD_RIGHT = 4;
// A bottom or top hand never starts left of this (the top bar's button and
// the scoreboard's corner stay clear).
constexpr int32_t BOARD_MIN_HAND_LEFT = 250;
constexpr int32_t BOARD_NAME_HEIGHT = 30;
// The top hand's top: just below the table's top bar.
constexpr int32_t BOARD_TOP_MARGIN = 25;

// The rectangle of a display position on a board of the given size with
// cards of the given size; (0, 0, 1, 1) for anything else.
TQZRect BoardSeatRect(int32_t position, TQZPoint board, TQZPoint card);
// The card layout of the position's set: the circle for the table, a fan at
// the bottom and top, a column at the sides.
int32_t BoardSeatLayout(int32_t position);
// The player icon's square beside a hand.
TQZRect BoardIconRect(int32_t position, const TQZRect& hand, int32_t boardWidth);
// The player's name over a hand; the top seat's beside its icon, where it
// stays off the cards that fill the top of the board.
TQZRect BoardNameRect(int32_t position, const TQZRect& hand, const TQZRect& icon, int32_t boardWidth);
// Where a card gathered to a player's icon comes to rest: centred on the
// icon, kept whole on the board below the top bar.
TQZPoint BoardGatherPoint(const TQZRect& icon, TQZPoint card, TQZPoint board);
// The size cards are drawn at now: the video manager's, or the fallback
// size without one.
TQZPoint BoardCardSize();
