// Light and particles: glows, firework sparks, smoke puffs, the glint. All
// white (the widgets tint them) with soft alpha edges.
#include <cmath>

#include "agArt.h"

namespace ag {

namespace {

constexpr Rgb kWhite = Rgb::Hex(0xFFFFFF);

void RadialGlow(cairo_t* cr, double cx, double cy, double r, double alpha)
{
    cairo_pattern_t* p = cairo_pattern_create_radial(cx, cy, 0, cx, cy, r);
    AddStop(p, 0, kWhite, alpha);
    AddStop(p, 0.2, kWhite, alpha * 0.7);
    AddStop(p, 0.5, kWhite, alpha * 0.22);
    AddStop(p, 1, kWhite, 0);
    cairo_set_source(cr, p);
    cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
}

// A ray from the centre, bright at the middle and fading out.
void Ray(cairo_t* cr, double cx, double cy, double angle, double length, double width, double alpha)
{
    Saved s(cr);
    cairo_translate(cr, cx, cy);
    cairo_rotate(cr, angle);
    cairo_pattern_t* p = cairo_pattern_create_linear(0, 0, length, 0);
    AddStop(p, 0, kWhite, alpha);
    AddStop(p, 1, kWhite, 0);
    cairo_move_to(cr, 0, -width / 2);
    cairo_line_to(cr, length, 0);
    cairo_line_to(cr, 0, width / 2);
    cairo_close_path(cr);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
}

}  // namespace

void ArtGlow(cairo_t* cr, double w, double h, int32_t)
{
    RadialGlow(cr, w / 2, h / 2, w / 2, 1.0);
}

void ArtFireworkCell(cairo_t* cr, double w, double h, int32_t variant)
{
    const double cx = w / 2, cy = h / 2, r = w / 2 - 1;
    switch (variant) {
    case 0:  // a burst of eight rays
        for (int i = 0; i < 8; ++i) Ray(cr, cx, cy, i * M_PI / 4, r, w * 0.09, 0.95);
        RadialGlow(cr, cx, cy, r * 0.45, 1.0);
        break;
    case 1:  // a round sparkle with a cross
        RadialGlow(cr, cx, cy, r * 0.8, 0.9);
        for (int i = 0; i < 4; ++i) Ray(cr, cx, cy, i * M_PI / 2, r, w * 0.06, 1.0);
        break;
    case 2:  // a ring of sparks
        for (int i = 0; i < 12; ++i) {
            double a = i * M_PI / 6;
            RadialGlow(cr, cx + std::cos(a) * r * 0.6, cy + std::sin(a) * r * 0.6, r * 0.22, 1.0);
        }
        RadialGlow(cr, cx, cy, r * 0.3, 0.8);
        break;
    default:  // a four-pointed star
        for (int i = 0; i < 4; ++i) Ray(cr, cx, cy, M_PI / 4 + i * M_PI / 2, r * 0.7, w * 0.12, 0.9);
        for (int i = 0; i < 4; ++i) Ray(cr, cx, cy, i * M_PI / 2, r, w * 0.1, 1.0);
        RadialGlow(cr, cx, cy, r * 0.35, 1.0);
        break;
    }
}

void ArtSmokePuff(cairo_t* cr, double w, double h, int32_t index)
{
    // A cluster of soft blobs, denser in the middle, kept inside the cell.
    Random rnd(uint64_t(index) + 2400);
    const double cx = w / 2, cy = h / 2;
    const int blobs = 12;
    for (int i = 0; i < blobs; ++i) {
        double a = rnd.Range(0, 2 * M_PI), d = rnd.Range(w * 0.05, w * 0.2);
        double r = rnd.Range(w * 0.13, w * 0.26);
        double x = cx + std::cos(a) * d, y = cy + std::sin(a) * d;
        cairo_pattern_t* p = cairo_pattern_create_radial(x, y, 0, x, y, r);
        AddStop(p, 0, Rgb::Hex(0xF4F4F4), 0.3);
        AddStop(p, 0.55, Rgb::Hex(0xE0E0E0), 0.14);
        AddStop(p, 1, Rgb::Hex(0xD0D0D0), 0);
        cairo_set_source(cr, p);
        cairo_arc(cr, x, y, r, 0, 2 * M_PI);
        cairo_fill(cr);
        cairo_pattern_destroy(p);
    }
}

void ArtShine(cairo_t* cr, double w, double h, int32_t)
{
    {
        Saved s(cr);
        cairo_translate(cr, w / 2, h / 2);
        cairo_scale(cr, w / 2, h / 2);
        cairo_pattern_t* p = cairo_pattern_create_radial(0, 0, 0, 0, 0, 1);
        AddStop(p, 0, kWhite, 1);
        AddStop(p, 0.3, kWhite, 0.5);
        AddStop(p, 1, kWhite, 0);
        cairo_set_source(cr, p);
        cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
        cairo_fill(cr);
        cairo_pattern_destroy(p);
    }
    Ray(cr, w / 2, h / 2, 0, w * 0.48, h * 0.12, 0.9);
    Ray(cr, w / 2, h / 2, M_PI, w * 0.48, h * 0.12, 0.9);
}

void ArtParticle(cairo_t* cr, double w, double h, int32_t)
{
    RadialGlow(cr, w / 2, h / 2, w / 2, 1.0);
}

}  // namespace ag
