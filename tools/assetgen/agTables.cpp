#include "agTables.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "agArt.h"
#include "agCards.h"
#include "agSuits.h"

namespace ag {

const std::vector<TableStyle>& Tables()
{
    static const std::vector<TableStyle> tables = {
        {"Green.jpg", Rgb::Hex(0x1F6A3C), Rgb::Hex(0x0F3F22)},
        {"Blue.jpg", Rgb::Hex(0x1F4E86), Rgb::Hex(0x0F2A4F)},
    };
    return tables;
}

namespace {

// Smooth value noise on a coarse grid, for the cloth's faint mottling.
class Mottle {
public:
    Mottle(int32_t width, int32_t height, int32_t cell, uint64_t seed)
        : cell_(cell), columns_(width / cell + 2), values_(size_t(columns_) * size_t(height / cell + 2))
    {
        Random rnd(seed);
        for (float& v : values_) v = float(rnd.Range(-1, 1));
    }
    float At(int32_t x, int32_t y) const
    {
        int32_t cx = x / cell_, cy = y / cell_;
        float fx = float(x % cell_) / float(cell_), fy = float(y % cell_) / float(cell_);
        fx = fx * fx * (3 - 2 * fx);
        fy = fy * fy * (3 - 2 * fy);
        auto v = [&](int32_t i, int32_t j) { return values_[size_t(j) * size_t(columns_) + size_t(i)]; };
        float top = v(cx, cy) + (v(cx + 1, cy) - v(cx, cy)) * fx;
        float bottom = v(cx, cy + 1) + (v(cx + 1, cy + 1) - v(cx, cy + 1)) * fx;
        return top + (bottom - top) * fy;
    }

private:
    int32_t cell_, columns_;
    std::vector<float> values_;
};

uint8_t Channel(double v) { return uint8_t(std::clamp(std::lround(v), 0L, 255L)); }

}  // namespace

std::vector<uint8_t> TableJpeg(const TableStyle& style)
{
    const int32_t w = TABLE_WIDTH, h = TABLE_HEIGHT;
    // The cloth: its colour, a faint mottling and a fine grain per pixel.
    plat::imaging::Image cloth;
    if (!cloth.Allocate(w, h)) throw std::runtime_error("cannot make the table cloth");
    Random grain(uint64_t(style.centre.r * 1000) + 7);
    Mottle mottle(w, h, 48, 8);
    for (int32_t y = 0; y < h; ++y) {
        uint8_t* row = cloth.pixels.data() + size_t(y) * size_t(w) * 4;
        for (int32_t x = 0; x < w; ++x) {
            double n = (grain.Unit() + grain.Unit() - 1.0) * 9.0 + mottle.At(x, y) * 3.0;
            // A faint weave: alternate threads a shade apart.
            n += ((x + y) % 2 == 0) ? 1.0 : -1.0;
            row[4 * x + 0] = Channel(style.centre.b * 255 + n);
            row[4 * x + 1] = Channel(style.centre.g * 255 + n);
            row[4 * x + 2] = Channel(style.centre.r * 255 + n);
            row[4 * x + 3] = 255;
        }
    }
    Canvas canvas(w, h);
    canvas.FromImage(cloth);
    cairo_t* cr = canvas.Context();
    // A soft vignette towards the edge colour.
    const double r = std::hypot(w / 2.0, h / 2.0);
    cairo_pattern_t* v = cairo_pattern_create_radial(w / 2.0, h / 2.0, r * 0.35, w / 2.0, h / 2.0, r);
    AddStop(v, 0, style.edge, 0);
    AddStop(v, 0.6, style.edge, 0.45);
    AddStop(v, 1, style.edge.Mix(kInk, 0.4), 0.9);
    cairo_set_source(cr, v);
    cairo_paint(cr);
    cairo_pattern_destroy(v);
    std::vector<uint8_t> out;
    if (!plat::imaging::EncodeImage(canvas.ToImage(), plat::imaging::EncodeFormat::Jpeg, out))
        throw std::runtime_error("JPEG encoding failed");
    return out;
}

std::vector<uint8_t> WindowIconPng()
{
    // Two cards fanned on a felt square: reads at 16 pixels as well as 256.
    const double s = ICON_SIZE;
    Canvas canvas(ICON_SIZE, ICON_SIZE);
    cairo_t* cr = canvas.Context();
    RoundedRect(cr, 4, 4, s - 8, s - 8, s * 0.16);
    cairo_pattern_t* felt = cairo_pattern_create_radial(s / 2, s * 0.4, s * 0.1, s / 2, s / 2, s * 0.7);
    AddStop(felt, 0, Rgb::Hex(0x2A8A4E));
    AddStop(felt, 1, Rgb::Hex(0x0F4424));
    cairo_set_source(cr, felt);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(felt);
    SetColour(cr, kAccent);
    cairo_set_line_width(cr, s * 0.03);
    cairo_stroke(cr);
    const struct {
        double angle;
        int32_t suit;
    } cards[2] = {{-0.28, 3}, {0.2, 0}};
    for (const auto& c : cards) {
        Saved k(cr);
        cairo_translate(cr, s / 2, s * 0.56);
        cairo_rotate(cr, c.angle);
        RoundedRect(cr, -s * 0.21, -s * 0.32, s * 0.42, s * 0.6, s * 0.04);
        SetColour(cr, Rgb::Hex(0xFFFFFF));
        cairo_fill_preserve(cr);
        SetColour(cr, kInk);
        cairo_set_line_width(cr, s * 0.012);
        cairo_stroke(cr);
        SuitPath(cr, c.suit, 0, -s * 0.02, s * 0.3);
        SetColour(cr, c.suit >= 2 ? kCardRed : kCardBlack);
        cairo_fill(cr);
    }
    return canvas.Png();
}

}  // namespace ag
