// Outlines of the suit symbols and a few other marks, drawn into a box of
// height 1 centred on the origin; callers translate and scale.
#pragma once

#include <cairo.h>

#include <cstdint>

namespace ag {

// Suits in the game's order: spades, clubs, diamonds, hearts.
enum SuitShape : int32_t { SHAPE_SPADE = 0, SHAPE_CLUB = 1, SHAPE_DIAMOND = 2, SHAPE_HEART = 3 };

// Adds the suit's outline (nonzero fill rule) for a symbol of the given
// height centred on (cx, cy), turned upside down when flipped.
void SuitPath(cairo_t* cr, int32_t suit, double cx, double cy, double height, bool flipped = false);
// Width of a suit symbol per unit of height.
double SuitAspect(int32_t suit);

// A five-pointed star with the given outer radius.
void StarPath(cairo_t* cr, double cx, double cy, double radius, double innerRatio = 0.45);

}  // namespace ag
