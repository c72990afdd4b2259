// Icons of the icon sheet, the index sheet, player icons, the computer
// opponents' faces and the achievement medals.
#include <array>
#include <cmath>

#include "agArt.h"
#include "agCards.h"
#include "agSuits.h"

namespace ag {

namespace {

constexpr Rgb kWhite = Rgb::Hex(0xFFFFFF);

void Stroke(cairo_t* cr, const Rgb& c, double alpha, double width)
{
    SetColour(cr, c, alpha);
    cairo_set_line_width(cr, width);
    cairo_stroke(cr);
}

void Text(cairo_t* cr, Face face, double capHeight, const std::string& text, double cx, double cy, const Rgb& colour,
          double maxWidth = 0)
{
    UseFont(cr, face, 100);
    UseFont(cr, face, 100 * capHeight / MeasureText(cr, "H").height);
    CentredTextPath(cr, text, cx, cy, maxWidth);
    SetColour(cr, colour);
    cairo_fill(cr);
}

const Rgb& TwoColourInk(int32_t suit) { return suit >= 2 ? kCardRed : kCardBlack; }

// The current path filled, with a rim that lets it read on light and dark.
void FillRimmed(cairo_t* cr, const Rgb& fill, const Rgb& rim, double width)
{
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    SetColour(cr, rim);
    cairo_set_line_width(cr, width);
    cairo_stroke_preserve(cr);
    SetColour(cr, fill);
    cairo_fill(cr);
}

void Disc(cairo_t* cr, double cx, double cy, double r, const Rgb& fill, const Rgb& rim)
{
    cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
    cairo_pattern_t* p = cairo_pattern_create_radial(cx - r * 0.35, cy - r * 0.45, r * 0.1, cx, cy, r);
    AddStop(p, 0, fill.Mix(kWhite, 0.35));
    AddStop(p, 1, fill);
    cairo_set_source(cr, p);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(p);
    Stroke(cr, rim, 1, 1.2);
}

void Arrow(cairo_t* cr, double cx, double cy, double size, double angle)
{
    Saved s(cr);
    cairo_translate(cr, cx, cy);
    cairo_rotate(cr, angle);  // 0 points right
    cairo_move_to(cr, size * 0.55, 0);
    cairo_line_to(cr, -size * 0.05, -size * 0.5);
    cairo_line_to(cr, -size * 0.05, -size * 0.2);
    cairo_line_to(cr, -size * 0.5, -size * 0.2);
    cairo_line_to(cr, -size * 0.5, size * 0.2);
    cairo_line_to(cr, -size * 0.05, size * 0.2);
    cairo_line_to(cr, -size * 0.05, size * 0.5);
    cairo_close_path(cr);
}

void NullSign(cairo_t* cr, double cx, double cy, double r, const Rgb& ink)
{
    cairo_new_sub_path(cr);
    cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
    Stroke(cr, ink, 1, r * 0.28);
    cairo_move_to(cr, cx - r * 0.95, cy + r * 0.95);
    cairo_line_to(cr, cx + r * 0.95, cy - r * 0.95);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    Stroke(cr, ink, 1, r * 0.28);
}

void Bust(cairo_t* cr, double cx, double cy, double s)
{
    cairo_new_sub_path(cr);
    cairo_arc(cr, cx, cy - s * 0.22, s * 0.2, 0, 2 * M_PI);
    cairo_new_sub_path(cr);
    cairo_move_to(cr, cx - s * 0.38, cy + s * 0.42);
    cairo_curve_to(cr, cx - s * 0.38, cy + s * 0.05, cx - s * 0.2, cy, cx, cy);
    cairo_curve_to(cr, cx + s * 0.2, cy, cx + s * 0.38, cy + s * 0.05, cx + s * 0.38, cy + s * 0.42);
    cairo_close_path(cr);
}

void SmallCrown(cairo_t* cr, double cx, double cy, double s)
{
    cairo_move_to(cr, cx - s * 0.45, cy + s * 0.3);
    cairo_line_to(cr, cx - s * 0.45, cy - s * 0.25);
    cairo_line_to(cr, cx - s * 0.22, cy);
    cairo_line_to(cr, cx, cy - s * 0.4);
    cairo_line_to(cr, cx + s * 0.22, cy);
    cairo_line_to(cr, cx + s * 0.45, cy - s * 0.25);
    cairo_line_to(cr, cx + s * 0.45, cy + s * 0.3);
    cairo_close_path(cr);
}

void Bolt(cairo_t* cr, double cx, double cy, double s)
{
    cairo_move_to(cr, cx + s * 0.1, cy - s * 0.5);
    cairo_line_to(cr, cx - s * 0.3, cy + s * 0.08);
    cairo_line_to(cr, cx - s * 0.02, cy + s * 0.08);
    cairo_line_to(cr, cx - s * 0.12, cy + s * 0.5);
    cairo_line_to(cr, cx + s * 0.3, cy - s * 0.1);
    cairo_line_to(cr, cx + s * 0.02, cy - s * 0.1);
    cairo_close_path(cr);
}

void Tick(cairo_t* cr, double cx, double cy, double s)
{
    cairo_move_to(cr, cx - s * 0.42, cy);
    cairo_line_to(cr, cx - s * 0.12, cy + s * 0.32);
    cairo_line_to(cr, cx + s * 0.45, cy - s * 0.35);
    cairo_line_to(cr, cx + s * 0.32, cy - s * 0.45);
    cairo_line_to(cr, cx - s * 0.12, cy + s * 0.1);
    cairo_line_to(cr, cx - s * 0.3, cy - s * 0.12);
    cairo_close_path(cr);
}

}  // namespace

void ArtSuitIcon(cairo_t* cr, double w, double h, int32_t suit)
{
    SuitPath(cr, suit, w / 2, h / 2, h * 0.78);
    FillRimmed(cr, TwoColourInk(suit), kWhite, 2.0);
}

void ArtBidIcon(cairo_t* cr, double w, double h, int32_t which)
{
    const double cx = w / 2, cy = h / 2, r = w * 0.42;
    switch (which) {
    case 0:  // no trumps
        Disc(cr, cx, cy, r, kAccent, kAccentDark);
        Text(cr, Face::SansCondensedBold, h * 0.32, "NT", cx, cy, kInk, r * 1.5);
        break;
    case 1:  // this seat bids now
        Arrow(cr, cx, cy, w * 0.75, 0);
        FillRimmed(cr, kAccent, kInk, 1.5);
        break;
    case 2:  // passed
        Disc(cr, cx, cy, r, Rgb::Hex(0x7C848F), Rgb::Hex(0x3A4048));
        cairo_rectangle(cr, cx - r * 0.55, cy - r * 0.16, r * 1.1, r * 0.32);
        SetColour(cr, kWhite);
        cairo_fill(cr);
        break;
    default:  // has not bid yet
        cairo_arc(cr, cx, cy, r - 1, 0, 2 * M_PI);
        SetColour(cr, kWhite, 0.85);
        cairo_fill_preserve(cr);
        Stroke(cr, Rgb::Hex(0x8A929C), 1, 1.5);
        Text(cr, Face::SansBold, h * 0.42, "?", cx, cy, Rgb::Hex(0x6A727C));
        break;
    }
}

void ArtDirectionIcon(cairo_t* cr, double w, double h, int32_t position)
{
    // Bottom and top sit together, left and right together.
    const Rgb team = (position % 2 == 0) ? Rgb::Hex(0x2F62C0) : Rgb::Hex(0xC0392F);
    Disc(cr, w / 2, h / 2, w * 0.44, team, kInk);
    static const double kAngles[4] = {M_PI / 2, M_PI, -M_PI / 2, 0};  // down, left, up, right
    Arrow(cr, w / 2, h / 2, w * 0.55, kAngles[position & 3]);
    SetColour(cr, kWhite);
    cairo_fill(cr);
}

void ArtSuitBadge(cairo_t* cr, double w, double h, int32_t which)
{
    RoundedRect(cr, 3.5, 1.5, w - 7, h - 3, 3);
    SetColour(cr, kWhite);
    cairo_fill_preserve(cr);
    Stroke(cr, kInk, 0.8, 1);
    if (which == 0) {
        Text(cr, Face::SansCondensedBold, h * 0.34, "NT", w / 2, h / 2, kInk, w - 12);
    } else if (which <= 4) {
        SuitPath(cr, which - 1, w / 2, h / 2, h * 0.62);
        SetColour(cr, TwoColourInk(which - 1));
        cairo_fill(cr);
    } else {
        NullSign(cr, w / 2, h / 2, h * 0.26, Rgb::Hex(0x6B2D8F));
    }
}

void ArtMisereIcon(cairo_t* cr, double w, double h, int32_t)
{
    NullSign(cr, w / 2, h / 2, h * 0.32, Rgb::Hex(0x6B2D8F));
}

void ArtHeaderIcon(cairo_t* cr, double w, double h, int32_t which)
{
    const double cx = w / 2, cy = h / 2, s = w * 0.8;
    const Rgb light = Rgb::Hex(0xF2F2F2);
    switch (which) {
    case 0:  // seat: a round table with its four places
        cairo_new_sub_path(cr);
        cairo_arc(cr, cx, cy, s * 0.22, 0, 2 * M_PI);
        for (int i = 0; i < 4; ++i) {
            cairo_new_sub_path(cr);
            cairo_arc(cr, cx + std::cos(i * M_PI / 2) * s * 0.42, cy + std::sin(i * M_PI / 2) * s * 0.42, s * 0.1,
                      0, 2 * M_PI);
        }
        break;
    case 1:  // name: a person
        Bust(cr, cx, cy + s * 0.05, s * 0.95);
        break;
    case 2:  // score: a trophy
        cairo_move_to(cr, cx - s * 0.3, cy - s * 0.4);
        cairo_line_to(cr, cx + s * 0.3, cy - s * 0.4);
        cairo_curve_to(cr, cx + s * 0.3, cy - s * 0.05, cx + s * 0.15, cy + s * 0.05, cx + s * 0.05, cy + s * 0.08);
        cairo_line_to(cr, cx + s * 0.05, cy + s * 0.25);
        cairo_line_to(cr, cx + s * 0.22, cy + s * 0.35);
        cairo_line_to(cr, cx - s * 0.22, cy + s * 0.35);
        cairo_line_to(cr, cx - s * 0.05, cy + s * 0.25);
        cairo_line_to(cr, cx - s * 0.05, cy + s * 0.08);
        cairo_curve_to(cr, cx - s * 0.15, cy + s * 0.05, cx - s * 0.3, cy - s * 0.05, cx - s * 0.3, cy - s * 0.4);
        cairo_close_path(cr);
        FillRimmed(cr, kAccent, kInk, 1.5);
        return;
    case 3:  // tricks: three cards
        for (int i = 2; i >= 0; --i) {
            RoundedRect(cr, cx - s * 0.28 + i * s * 0.12, cy - s * 0.4 + i * s * 0.08, s * 0.36, s * 0.5, 2);
            SetColour(cr, light);
            cairo_fill_preserve(cr);
            Stroke(cr, kInk, 1, 1.2);
        }
        return;
    default:  // bid: a raised paddle
        cairo_new_sub_path(cr);
        cairo_arc(cr, cx, cy - s * 0.15, s * 0.28, 0, 2 * M_PI);
        cairo_rectangle(cr, cx - s * 0.06, cy + s * 0.1, s * 0.12, s * 0.35);
        FillRimmed(cr, kAccent, kInk, 1.5);
        Text(cr, Face::SansBold, s * 0.25, "7", cx, cy - s * 0.15, kInk);
        return;
    }
    FillRimmed(cr, light, kInk, 1.5);
}

void ArtIndexCell(cairo_t* cr, double w, double h, int32_t index)
{
    // Rows: spades, clubs, diamonds, hearts in four colours, then clubs and
    // diamonds again in the two-colour deck's black and red.
    static const int32_t kRowSuit[6] = {0, 1, 2, 3, 1, 2};
    static const Rgb kRowInk[6] = {kCardBlack, kCardGreen, kCardBlue, kCardRed, kCardBlack, kCardRed};
    const int32_t rank = index % 13, row = index / 13;
    DrawIndex(cr, rank, kRowSuit[row], kRowInk[row], w / 2, 3, h * 0.36, h * 0.3, w - 6);
}

void ArtJokerIndex(cairo_t* cr, double w, double, int32_t)
{
    // The first two columns are shared with the aces' cells and stay clear.
    DrawJokerIndex(cr, w / 2 + 1, 3, 10, 8.5, 13, kCardRed, kCardBlack);
}

void ArtIndexBacking(cairo_t* cr, double w, double h, int32_t)
{
    RoundedRect(cr, 0, 0, w, h, kRadius);
    SetColour(cr, kWhite);
    cairo_fill(cr);
}

void ArtPlayerIcon(cairo_t* cr, double w, double h, int32_t which)
{
    const double cx = w / 2, cy = h / 2, r = w * 0.46;
    if (which == 2) {  // a globe
        Disc(cr, cx, cy, r, Rgb::Hex(0x2C6FB5), kInk);
        Saved s(cr);
        cairo_arc(cr, cx, cy, r - 1, 0, 2 * M_PI);
        cairo_clip(cr);
        for (double k : {-0.5, 0.0, 0.5}) {
            cairo_move_to(cr, cx - r, cy + k * r);
            cairo_line_to(cr, cx + r, cy + k * r);
        }
        for (double k : {0.35, 0.75}) {
            Saved e(cr);
            cairo_translate(cr, cx, cy);
            cairo_scale(cr, k, 1);
            cairo_new_sub_path(cr);
            cairo_arc(cr, 0, 0, r, 0, 2 * M_PI);
        }
        cairo_move_to(cr, cx, cy - r);
        cairo_line_to(cr, cx, cy + r);
        Stroke(cr, Rgb::Hex(0xCFE6FF), 0.9, w * 0.025);
        cairo_new_sub_path(cr);
        cairo_arc(cr, cx - r * 0.3, cy - r * 0.2, r * 0.28, 0, 2 * M_PI);
        cairo_new_sub_path(cr);
        cairo_arc(cr, cx + r * 0.35, cy + r * 0.3, r * 0.22, 0, 2 * M_PI);
        SetColour(cr, Rgb::Hex(0x4CAF6A), 0.85);
        cairo_fill(cr);
        return;
    }
    const Rgb back = which == 0 ? Rgb::Hex(0x24406E) : Rgb::Hex(0x1D5B5E);
    Disc(cr, cx, cy, r, back, kAccent);
    {
        Saved s(cr);
        cairo_arc(cr, cx, cy, r - 1, 0, 2 * M_PI);
        cairo_clip(cr);
        Bust(cr, cx, cy + r * 0.25, w * 0.8);
        SetColour(cr, which == 0 ? kAccentLight : Rgb::Hex(0xEAF4F4));
        cairo_fill(cr);
    }
    if (which == 1) {  // signal arcs: a player elsewhere
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        for (int i = 1; i <= 3; ++i) {
            cairo_new_path(cr);
            cairo_arc(cr, cx + r * 0.55, cy - r * 0.45, r * 0.16 * i, -M_PI * 0.75, -M_PI * 0.25);
            Stroke(cr, kAccentLight, 1, w * 0.045);
        }
    }
}

void ArtAvatar(cairo_t* cr, double w, double h, int32_t index)
{
    static const std::array<Rgb, 8> kBacks = {Rgb::Hex(0x3E6B8A), Rgb::Hex(0x7A4E7E), Rgb::Hex(0x4E7A52),
                                              Rgb::Hex(0x8A5B3E), Rgb::Hex(0x45507F), Rgb::Hex(0x7F4549),
                                              Rgb::Hex(0x3F7474), Rgb::Hex(0x6E6A3A)};
    static const std::array<Rgb, 6> kSkins = {Rgb::Hex(0xF6D5B8), Rgb::Hex(0xE8B994), Rgb::Hex(0xD19C72),
                                              Rgb::Hex(0xA8714A), Rgb::Hex(0x7D4E2E), Rgb::Hex(0x5C3A22)};
    static const std::array<Rgb, 7> kHair = {Rgb::Hex(0x1E1A17), Rgb::Hex(0x4A2F1C), Rgb::Hex(0x8A5A2B),
                                             Rgb::Hex(0xD8B15E), Rgb::Hex(0xA8431E), Rgb::Hex(0x9A9A9A),
                                             Rgb::Hex(0xE8E4DA)};
    static const std::array<Rgb, 8> kShirts = {Rgb::Hex(0xC0392B), Rgb::Hex(0x2E86C1), Rgb::Hex(0x27AE60),
                                               Rgb::Hex(0xF1C40F), Rgb::Hex(0x8E44AD), Rgb::Hex(0xECF0F1),
                                               Rgb::Hex(0x34495E), Rgb::Hex(0xE67E22)};
    Random rnd(uint64_t(index) + 3100);
    const Rgb back = kBacks[size_t(index % 8)];
    const Rgb skin = kSkins[size_t(rnd.Int(0, 5))];
    const Rgb hair = kHair[size_t(rnd.Int(0, 6))];
    const Rgb shirt = kShirts[size_t((index / 8 + index) % 8)];
    const int32_t style = rnd.Int(0, 5);
    const bool glasses = rnd.Int(0, 3) == 0, beard = rnd.Int(0, 4) == 0;

    RoundedRect(cr, 1, 1, w - 2, h - 2, 6);
    cairo_pattern_t* bg = cairo_pattern_create_linear(0, 0, 0, h);
    AddStop(bg, 0, back.Mix(kWhite, 0.25));
    AddStop(bg, 1, back.Mix(kInk, 0.3));
    cairo_set_source(cr, bg);
    cairo_fill(cr);
    cairo_pattern_destroy(bg);
    Saved clip(cr);
    RoundedRect(cr, 1, 1, w - 2, h - 2, 6);
    cairo_clip(cr);
    const double cx = w / 2, fy = h * 0.43, fr = w * 0.2;
    // Shoulders.
    cairo_move_to(cr, cx - w * 0.42, h);
    cairo_curve_to(cr, cx - w * 0.42, h * 0.72, cx - w * 0.2, h * 0.66, cx, h * 0.66);
    cairo_curve_to(cr, cx + w * 0.2, h * 0.66, cx + w * 0.42, h * 0.72, cx + w * 0.42, h);
    cairo_close_path(cr);
    SetColour(cr, shirt);
    cairo_fill(cr);
    // Hair behind the head.
    if (style == 1 || style == 4) {
        RoundedRect(cr, cx - fr * 1.25, fy - fr * 1.1, fr * 2.5, fr * (style == 1 ? 2.9 : 2.2), fr);
        SetColour(cr, hair);
        cairo_fill(cr);
    }
    cairo_arc(cr, cx, fy, fr, 0, 2 * M_PI);
    SetColour(cr, skin);
    cairo_fill(cr);
    // Hair on top.
    switch (style) {
    case 0:
    case 1:
    case 4:
        cairo_arc(cr, cx, fy, fr * 1.06, M_PI * 1.05, M_PI * 1.95);
        cairo_close_path(cr);
        SetColour(cr, hair);
        cairo_fill(cr);
        break;
    case 2:  // curls
        for (int i = 0; i < 7; ++i) {
            double a = M_PI + i * M_PI / 6;
            cairo_new_sub_path(cr);
            cairo_arc(cr, cx + std::cos(a) * fr * 0.95, fy + std::sin(a) * fr * 0.95, fr * 0.32, 0, 2 * M_PI);
        }
        SetColour(cr, hair);
        cairo_fill(cr);
        break;
    case 3:  // a hat
        cairo_rectangle(cr, cx - fr * 1.4, fy - fr * 0.75, fr * 2.8, fr * 0.28);
        cairo_rectangle(cr, cx - fr * 0.85, fy - fr * 1.55, fr * 1.7, fr * 0.85);
        SetColour(cr, back.Mix(kInk, 0.6));
        cairo_fill(cr);
        break;
    default:  // spikes
        cairo_move_to(cr, cx - fr, fy - fr * 0.3);
        for (int i = 0; i <= 5; ++i) {
            double x = cx - fr + i * fr * 0.4;
            cairo_line_to(cr, x + fr * 0.2, fy - fr * (1.45 + (i % 2) * 0.15));
            cairo_line_to(cr, x + fr * 0.4, fy - fr * 0.8);
        }
        cairo_line_to(cr, cx + fr, fy - fr * 0.3);
        cairo_close_path(cr);
        SetColour(cr, hair);
        cairo_fill(cr);
        break;
    }
    if (style == 4) {  // a bun
        cairo_arc(cr, cx, fy - fr * 1.25, fr * 0.42, 0, 2 * M_PI);
        SetColour(cr, hair);
        cairo_fill(cr);
    }
    if (beard) {
        cairo_arc(cr, cx, fy + fr * 0.2, fr * 0.85, M_PI * 0.05, M_PI * 0.95);
        cairo_close_path(cr);
        SetColour(cr, hair);
        cairo_fill(cr);
    }
    // Eyes and a smile.
    for (int side = -1; side <= 1; side += 2) {
        cairo_new_sub_path(cr);
        cairo_arc(cr, cx + side * fr * 0.38, fy - fr * 0.05, fr * 0.11, 0, 2 * M_PI);
    }
    SetColour(cr, kInk);
    cairo_fill(cr);
    cairo_new_path(cr);
    cairo_arc(cr, cx, fy + fr * 0.2, fr * 0.4, M_PI * 0.2, M_PI * 0.8);
    Stroke(cr, beard ? skin : kInk, 0.9, 1.3);
    if (glasses) {
        for (int side = -1; side <= 1; side += 2) {
            cairo_new_sub_path(cr);
            cairo_arc(cr, cx + side * fr * 0.4, fy - fr * 0.05, fr * 0.27, 0, 2 * M_PI);
        }
        cairo_move_to(cr, cx - fr * 0.13, fy - fr * 0.05);
        cairo_line_to(cr, cx + fr * 0.13, fy - fr * 0.05);
        Stroke(cr, kInk, 0.9, 1.2);
    }
}

namespace {

void DrawMedal(cairo_t* cr, double w, double h, int32_t index, bool locked)
{
    static const std::array<Rgb, 8> kMetals = {kAccent, Rgb::Hex(0xC9CED6), Rgb::Hex(0xC07A3E),
                                               Rgb::Hex(0x3FAE72), Rgb::Hex(0x4A7BD0), Rgb::Hex(0xC8414B),
                                               Rgb::Hex(0x9A5BC4), Rgb::Hex(0x58A6A6)};
    static const std::array<Rgb, 8> kRibbons = {Rgb::Hex(0xB3283A), Rgb::Hex(0x2E5FA8), Rgb::Hex(0x2E8A4E),
                                                Rgb::Hex(0xD19A22), Rgb::Hex(0x6A3C96), Rgb::Hex(0x1F7A7A),
                                                Rgb::Hex(0xC25A1E), Rgb::Hex(0x4A4F58)};
    const int32_t row = index / 8, column = index % 8;
    Rgb metal = kMetals[size_t(row)], ribbon = kRibbons[size_t(column)];
    AchievementMedalColours(index, metal, ribbon);
    if (locked) {
        metal = Rgb::Hex(0x5A5F66);
        ribbon = Rgb::Hex(0x3A3E44);
    }
    const double cx = w / 2, cy = h * 0.58, r = w * 0.3;
    // Ribbon tails behind the medal.
    for (int side = -1; side <= 1; side += 2) {
        cairo_move_to(cr, cx + side * w * 0.05, cy - r);
        cairo_line_to(cr, cx + side * w * 0.3, h * 0.04);
        cairo_line_to(cr, cx + side * w * 0.12, h * 0.04);
        cairo_line_to(cr, cx - side * w * 0.08, cy - r);
        cairo_close_path(cr);
    }
    SetColour(cr, ribbon);
    cairo_fill_preserve(cr);
    Stroke(cr, kInk, 0.7, 1);
    Disc(cr, cx, cy, r, metal, locked ? kInk : metal.Mix(kInk, 0.5));
    cairo_arc(cr, cx, cy, r * 0.78, 0, 2 * M_PI);
    Stroke(cr, locked ? kInk : metal.Mix(kWhite, 0.5), 0.6, 1.2);
    const Rgb ink = locked ? Rgb::Hex(0x2E3238) : kInk;
    const double s = r * 1.05;
    if (!DrawAchievementEmblem(cr, index, cx, cy, s, ink, locked ? 0.8 : 0.9)) {
        switch (column) {
        case 0: SuitPath(cr, 0, cx, cy, s); break;
        case 1: SuitPath(cr, 3, cx, cy, s); break;
        case 2: SuitPath(cr, 1, cx, cy, s); break;
        case 3: SuitPath(cr, 2, cx, cy, s); break;
        case 4: StarPath(cr, cx, cy, s * 0.55); break;
        case 5: SmallCrown(cr, cx, cy + s * 0.05, s); break;
        case 6: Bolt(cr, cx, cy, s); break;
        default: Tick(cr, cx, cy, s); break;
        }
        SetColour(cr, ink, locked ? 0.8 : 0.9);
        cairo_fill(cr);
    }
    if (locked) {  // a padlock
        const double lx = w * 0.76, ly = h * 0.8;
        cairo_new_path(cr);
        cairo_arc(cr, lx, ly - 5, 4, M_PI, 2 * M_PI);
        Stroke(cr, Rgb::Hex(0xB8BDC4), 1, 2);
        RoundedRect(cr, lx - 6, ly - 5, 12, 10, 2);
        SetColour(cr, Rgb::Hex(0xB8BDC4));
        cairo_fill_preserve(cr);
        Stroke(cr, kInk, 0.9, 1);
    }
}

}  // namespace

void ArtAchievement(cairo_t* cr, double w, double h, int32_t index) { DrawMedal(cr, w, h, index, false); }

void ArtAchievementLocked(cairo_t* cr, double w, double h, int32_t index) { DrawMedal(cr, w, h, index, true); }

}  // namespace ag
