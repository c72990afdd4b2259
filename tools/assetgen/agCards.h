// Card faces, the joker and card backs, drawn with cairo at a cardset's
// native size: white faces with a thin dark edge and transparent rounded
// corners, big corner indices, standard pip layouts, framed court panels.
#pragma once

#include <cairo.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "agCanvas.h"

namespace ag {

struct CardsetStyle {
    std::string file;  // in Cardsets/
    std::string title, author, comments;
    int32_t width = 0, height = 0;
    std::array<Rgb, 4> suitColour;  // spades, clubs, diamonds, hearts
    Rgb courtTint;                  // background of the court panels
};

// The cardsets the generator makes; the first is the default one.
const std::vector<CardsetStyle>& Cardsets();

constexpr int32_t CARD_SLOTS = 53;  // suit x 13 + rank, 52 the joker

// One card (0..52) as a PNG file of the set's size.
std::vector<uint8_t> CardPng(const CardsetStyle& style, int32_t card);
void DrawCard(cairo_t* cr, const CardsetStyle& style, int32_t card);

// A corner index: the rank over the suit, centred on cx, from top down;
// rank 0 = "2" .. 12 = ace. capHeight is the height of the rank's capitals.
void DrawIndex(cairo_t* cr, int32_t rank, int32_t suit, const Rgb& colour, double cx, double top,
               double capHeight, double suitHeight, double maxWidth);
std::string RankText(int32_t rank);
// The joker's index: a gold star over the word stacked letter by letter.
void DrawJokerIndex(cairo_t* cr, double cx, double top, double starRadius, double letterCap, double step,
                    const Rgb& red, const Rgb& black);

struct CardbackStyle {
    std::string file;  // in Cardbacks/
    Rgb dark, light, line;
    int32_t pattern = 0;  // 0 lattice of diamonds, 1 rings
};
const std::vector<CardbackStyle>& Cardbacks();
std::vector<uint8_t> CardbackPng(const CardbackStyle& style, int32_t width, int32_t height);

// Colours shared with the textures that show cards (index sheet, icons).
inline constexpr Rgb kCardRed = Rgb::Hex(0xC8102E);
inline constexpr Rgb kCardBlack = Rgb::Hex(0x111418);
inline constexpr Rgb kCardGreen = Rgb::Hex(0x0E7A3A);
inline constexpr Rgb kCardBlue = Rgb::Hex(0x1C4FB8);
inline constexpr Rgb kGold = Rgb::Hex(0xD4A62A);
inline constexpr Rgb kGoldDark = Rgb::Hex(0x8A6512);

}  // namespace ag
