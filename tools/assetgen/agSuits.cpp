#include "agSuits.h"

#include <cmath>

namespace ag {

namespace {

void Heart(cairo_t* cr)
{
    cairo_move_to(cr, 0, 0.5);
    cairo_curve_to(cr, -0.16, 0.3, -0.5, 0.1, -0.5, -0.17);
    cairo_curve_to(cr, -0.5, -0.39, -0.35, -0.5, -0.24, -0.5);
    cairo_curve_to(cr, -0.1, -0.5, -0.02, -0.41, 0, -0.3);
    cairo_curve_to(cr, 0.02, -0.41, 0.1, -0.5, 0.24, -0.5);
    cairo_curve_to(cr, 0.35, -0.5, 0.5, -0.39, 0.5, -0.17);
    cairo_curve_to(cr, 0.5, 0.1, 0.16, 0.3, 0, 0.5);
    cairo_close_path(cr);
}

void Spade(cairo_t* cr)
{
    cairo_move_to(cr, 0, -0.5);
    cairo_curve_to(cr, 0.14, -0.29, 0.47, -0.12, 0.47, 0.1);
    cairo_curve_to(cr, 0.47, 0.27, 0.34, 0.35, 0.23, 0.35);
    cairo_curve_to(cr, 0.13, 0.35, 0.06, 0.3, 0.035, 0.24);
    cairo_curve_to(cr, 0.05, 0.36, 0.09, 0.45, 0.17, 0.5);
    cairo_line_to(cr, -0.17, 0.5);
    cairo_curve_to(cr, -0.09, 0.45, -0.05, 0.36, -0.035, 0.24);
    cairo_curve_to(cr, -0.06, 0.3, -0.13, 0.35, -0.23, 0.35);
    cairo_curve_to(cr, -0.34, 0.35, -0.47, 0.27, -0.47, 0.1);
    cairo_curve_to(cr, -0.47, -0.12, -0.14, -0.29, 0, -0.5);
    cairo_close_path(cr);
}

void Club(cairo_t* cr)
{
    const double r = 0.215;
    cairo_new_sub_path(cr);
    cairo_arc(cr, 0, -0.27, r, 0, 2 * M_PI);
    cairo_new_sub_path(cr);
    cairo_arc(cr, -0.255, 0.09, r, 0, 2 * M_PI);
    cairo_new_sub_path(cr);
    cairo_arc(cr, 0.255, 0.09, r, 0, 2 * M_PI);
    // The middle, so the three leaves join, and the stem.
    cairo_new_sub_path(cr);
    cairo_arc(cr, 0, -0.02, 0.13, 0, 2 * M_PI);
    cairo_move_to(cr, -0.04, 0.05);
    cairo_curve_to(cr, -0.04, 0.3, -0.08, 0.43, -0.17, 0.5);
    cairo_line_to(cr, 0.17, 0.5);
    cairo_curve_to(cr, 0.08, 0.43, 0.04, 0.3, 0.04, 0.05);
    cairo_close_path(cr);
}

void Diamond(cairo_t* cr)
{
    cairo_move_to(cr, 0, -0.5);
    cairo_curve_to(cr, 0.1, -0.33, 0.24, -0.15, 0.37, 0);
    cairo_curve_to(cr, 0.24, 0.15, 0.1, 0.33, 0, 0.5);
    cairo_curve_to(cr, -0.1, 0.33, -0.24, 0.15, -0.37, 0);
    cairo_curve_to(cr, -0.24, -0.15, -0.1, -0.33, 0, -0.5);
    cairo_close_path(cr);
}

}  // namespace

double SuitAspect(int32_t suit)
{
    switch (suit) {
    case SHAPE_SPADE: return 0.94;
    case SHAPE_CLUB: return 0.98;
    case SHAPE_DIAMOND: return 0.74;
    default: return 1.0;
    }
}

void SuitPath(cairo_t* cr, int32_t suit, double cx, double cy, double height, bool flipped)
{
    cairo_matrix_t saved;
    cairo_get_matrix(cr, &saved);
    cairo_translate(cr, cx, cy);
    cairo_scale(cr, height, flipped ? -height : height);
    switch (suit) {
    case SHAPE_SPADE: Spade(cr); break;
    case SHAPE_CLUB: Club(cr); break;
    case SHAPE_DIAMOND: Diamond(cr); break;
    default: Heart(cr); break;
    }
    cairo_set_matrix(cr, &saved);
}

void StarPath(cairo_t* cr, double cx, double cy, double radius, double innerRatio)
{
    for (int i = 0; i < 10; ++i) {
        double a = -M_PI / 2 + i * M_PI / 5;
        double r = (i % 2 == 0) ? radius : radius * innerRatio;
        double x = cx + r * std::cos(a), y = cy + r * std::sin(a);
        if (i == 0) cairo_move_to(cr, x, y);
        else cairo_line_to(cr, x, y);
    }
    cairo_close_path(cr);
}

}  // namespace ag
