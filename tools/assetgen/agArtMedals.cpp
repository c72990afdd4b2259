// The emblems of the shipped achievements: each medal of the icon sheets
// that an achievement names carries a picture of what it is for, and its
// own metal and ribbon.
#include <array>
#include <cmath>

#include "agArt.h"
#include "agSuits.h"

namespace ag {

namespace {

enum class Emblem {
    Trophy, Laurel, Crown, Zero, Ten, Single, Rising, BelowZero, Shield, Cross, NoTrumps, Heart, Bolt, Hush,
    Tricks, Coins, Hundred, Flame, Company, Moon
};

struct Design {
    Emblem emblem;
    uint32_t metal, ribbon;
};

constexpr uint32_t kGold = 0xD9AE3C, kSilver = 0xC9CED6, kBronze = 0xC07A3E, kJade = 0x3FAE72, kSky = 0x4A7BD0,
                   kRuby = 0xC8414B, kAmethyst = 0x9A5BC4, kTeal = 0x58A6A6;

// Cell index (row x 8 + column) to design; the order of the shipped list.
constexpr std::array<Design, 20> kDesigns = {{
    {Emblem::Trophy, kGold, 0xB3283A},     {Emblem::Laurel, kSilver, 0x2E5FA8},
    {Emblem::Crown, kGold, 0x6A3C96},      {Emblem::Zero, kAmethyst, 0x1F1F28},
    {Emblem::Ten, kGold, 0x2E8A4E},        {Emblem::Single, kSky, 0xD19A22},
    {Emblem::Rising, kJade, 0xC25A1E},     {Emblem::BelowZero, kTeal, 0x2E5FA8},
    {Emblem::Shield, kSilver, 0xB3283A},   {Emblem::Cross, kRuby, 0x4A4F58},
    {Emblem::NoTrumps, kSky, 0xD19A22},    {Emblem::Heart, kRuby, 0xF2EEE4},
    {Emblem::Bolt, kGold, 0x1F7A7A},       {Emblem::Hush, kTeal, 0x6A3C96},
    {Emblem::Tricks, kBronze, 0x2E8A4E},   {Emblem::Coins, kGold, 0x8C6A1A},
    {Emblem::Hundred, kBronze, 0x2E5FA8},  {Emblem::Flame, kRuby, 0x262C35},
    {Emblem::Company, kJade, 0xD19A22},    {Emblem::Moon, kSky, 0x14181E},
}};

void Fill(cairo_t* cr, const Rgb& ink, double alpha)
{
    SetColour(cr, ink, alpha);
    cairo_fill(cr);
}

void Line(cairo_t* cr, const Rgb& ink, double alpha, double width)
{
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    SetColour(cr, ink, alpha);
    cairo_set_line_width(cr, width);
    cairo_stroke(cr);
}

// Bold figures centred on the point, as tall as asked, no wider than maxWidth.
void Figures(cairo_t* cr, const std::string& text, double cx, double cy, double height, double maxWidth,
             const Rgb& ink, double alpha)
{
    UseFont(cr, Face::SansBold, 100);
    UseFont(cr, Face::SansBold, 100 * height / MeasureText(cr, "0").height);
    CentredTextPath(cr, text, cx, cy, maxWidth);
    Fill(cr, ink, alpha);
}

void Card(cairo_t* cr, double x, double y, double w, double h, double angle, const Rgb& ink, double alpha)
{
    Saved s(cr);
    cairo_translate(cr, x, y);
    cairo_rotate(cr, angle);
    RoundedRect(cr, -w / 2, -h / 2, w, h, w * 0.15);
    SetColour(cr, Rgb::Hex(0xF2EEE4), alpha);
    cairo_fill_preserve(cr);
    Line(cr, ink, alpha, 1);
}

void Person(cairo_t* cr, double cx, double cy, double s)
{
    cairo_new_sub_path(cr);
    cairo_arc(cr, cx, cy - s * 0.25, s * 0.2, 0, 2 * M_PI);
    cairo_new_sub_path(cr);
    cairo_move_to(cr, cx - s * 0.36, cy + s * 0.4);
    cairo_curve_to(cr, cx - s * 0.36, cy + s * 0.02, cx - s * 0.18, cy - s * 0.02, cx, cy - s * 0.02);
    cairo_curve_to(cr, cx + s * 0.18, cy - s * 0.02, cx + s * 0.36, cy + s * 0.02, cx + s * 0.36, cy + s * 0.4);
    cairo_close_path(cr);
}

void DrawEmblem(cairo_t* cr, Emblem e, double cx, double cy, double s, const Rgb& ink, double alpha)
{
    switch (e) {
    case Emblem::Trophy:
        cairo_move_to(cr, cx - s * 0.3, cy - s * 0.38);
        cairo_line_to(cr, cx + s * 0.3, cy - s * 0.38);
        cairo_curve_to(cr, cx + s * 0.3, cy, cx + s * 0.12, cy + s * 0.08, cx + s * 0.06, cy + s * 0.1);
        cairo_line_to(cr, cx + s * 0.06, cy + s * 0.24);
        cairo_line_to(cr, cx + s * 0.2, cy + s * 0.36);
        cairo_line_to(cr, cx - s * 0.2, cy + s * 0.36);
        cairo_line_to(cr, cx - s * 0.06, cy + s * 0.24);
        cairo_line_to(cr, cx - s * 0.06, cy + s * 0.1);
        cairo_curve_to(cr, cx - s * 0.12, cy + s * 0.08, cx - s * 0.3, cy, cx - s * 0.3, cy - s * 0.38);
        cairo_close_path(cr);
        Fill(cr, ink, alpha);
        for (int side = -1; side <= 1; side += 2) {  // handles
            cairo_new_path(cr);
            cairo_arc(cr, cx + side * s * 0.3, cy - s * 0.22, s * 0.11, side < 0 ? M_PI * 0.5 : -M_PI * 0.5,
                      side < 0 ? M_PI * 1.5 : M_PI * 0.5);
            Line(cr, ink, alpha, s * 0.07);
        }
        break;
    case Emblem::Laurel:
        for (int side = -1; side <= 1; side += 2)
            for (int i = 0; i < 5; ++i) {
                double a = M_PI * (0.6 + i * 0.17);
                double lx = cx - side * std::cos(a) * s * 0.4, ly = cy + std::sin(a) * s * 0.4 - s * 0.05;
                cairo_save(cr);
                cairo_translate(cr, lx, ly);
                cairo_rotate(cr, side * (a - M_PI / 2));
                cairo_scale(cr, s * 0.07, s * 0.13);
                cairo_new_sub_path(cr);
                cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
                cairo_restore(cr);  // the path stays where it was drawn
            }
        Fill(cr, ink, alpha);
        Figures(cr, "10", cx, cy - s * 0.02, s * 0.32, s * 0.5, ink, alpha);
        break;
    case Emblem::Crown:
        cairo_move_to(cr, cx - s * 0.45, cy + s * 0.3);
        cairo_line_to(cr, cx - s * 0.45, cy - s * 0.25);
        cairo_line_to(cr, cx - s * 0.22, cy);
        cairo_line_to(cr, cx, cy - s * 0.4);
        cairo_line_to(cr, cx + s * 0.22, cy);
        cairo_line_to(cr, cx + s * 0.45, cy - s * 0.25);
        cairo_line_to(cr, cx + s * 0.45, cy + s * 0.3);
        cairo_close_path(cr);
        Fill(cr, ink, alpha);
        break;
    case Emblem::Zero:  // no trick taken: an empty ring
        cairo_save(cr);
        cairo_translate(cr, cx, cy);
        cairo_scale(cr, s * 0.26, s * 0.36);
        cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
        cairo_restore(cr);
        Line(cr, ink, alpha, s * 0.12);
        break;
    case Emblem::Ten: Figures(cr, "10", cx, cy, s * 0.5, s * 0.8, ink, alpha); break;
    case Emblem::Single:
        Card(cr, cx, cy, s * 0.46, s * 0.66, 0.12, ink, alpha);
        Figures(cr, "6", cx + s * 0.02, cy, s * 0.3, 0, ink, alpha);
        break;
    case Emblem::Rising:
        cairo_move_to(cr, cx - s * 0.42, cy + s * 0.3);
        cairo_line_to(cr, cx - s * 0.18, cy + s * 0.08);
        cairo_line_to(cr, cx, cy + s * 0.22);
        cairo_line_to(cr, cx + s * 0.3, cy - s * 0.2);
        Line(cr, ink, alpha, s * 0.1);
        cairo_move_to(cr, cx + s * 0.42, cy - s * 0.38);
        cairo_line_to(cr, cx + s * 0.4, cy - s * 0.06);
        cairo_line_to(cr, cx + s * 0.12, cy - s * 0.3);
        cairo_close_path(cr);
        Fill(cr, ink, alpha);
        break;
    case Emblem::BelowZero:
        Figures(cr, "-0", cx - s * 0.04, cy - s * 0.04, s * 0.4, s * 0.75, ink, alpha);
        cairo_move_to(cr, cx - s * 0.4, cy + s * 0.3);
        cairo_line_to(cr, cx + s * 0.4, cy + s * 0.3);
        Line(cr, ink, alpha, s * 0.06);
        break;
    case Emblem::Shield:
        cairo_move_to(cr, cx, cy - s * 0.42);
        cairo_line_to(cr, cx + s * 0.34, cy - s * 0.3);
        cairo_curve_to(cr, cx + s * 0.34, cy + s * 0.1, cx + s * 0.16, cy + s * 0.32, cx, cy + s * 0.44);
        cairo_curve_to(cr, cx - s * 0.16, cy + s * 0.32, cx - s * 0.34, cy + s * 0.1, cx - s * 0.34, cy - s * 0.3);
        cairo_close_path(cr);
        Fill(cr, ink, alpha);
        cairo_move_to(cr, cx - s * 0.16, cy);
        cairo_line_to(cr, cx - s * 0.03, cy + s * 0.14);
        cairo_line_to(cr, cx + s * 0.18, cy - s * 0.14);
        Line(cr, Rgb::Hex(0xF2EEE4), alpha, s * 0.08);
        break;
    case Emblem::Cross:
        cairo_move_to(cr, cx - s * 0.3, cy - s * 0.3);
        cairo_line_to(cr, cx + s * 0.3, cy + s * 0.3);
        cairo_move_to(cr, cx + s * 0.3, cy - s * 0.3);
        cairo_line_to(cr, cx - s * 0.3, cy + s * 0.3);
        Line(cr, ink, alpha, s * 0.14);
        break;
    case Emblem::NoTrumps: Figures(cr, "NT", cx, cy, s * 0.38, s * 0.8, ink, alpha); break;
    case Emblem::Heart:
        SuitPath(cr, SHAPE_HEART, cx, cy, s * 0.75);
        Fill(cr, ink, alpha);
        break;
    case Emblem::Bolt:
        cairo_move_to(cr, cx + s * 0.1, cy - s * 0.5);
        cairo_line_to(cr, cx - s * 0.3, cy + s * 0.08);
        cairo_line_to(cr, cx - s * 0.02, cy + s * 0.08);
        cairo_line_to(cr, cx - s * 0.12, cy + s * 0.5);
        cairo_line_to(cr, cx + s * 0.3, cy - s * 0.1);
        cairo_line_to(cr, cx + s * 0.02, cy - s * 0.1);
        cairo_close_path(cr);
        Fill(cr, ink, alpha);
        break;
    case Emblem::Hush:  // a speech bubble struck through: no bid said
        RoundedRect(cr, cx - s * 0.36, cy - s * 0.3, s * 0.72, s * 0.44, s * 0.12);
        cairo_move_to(cr, cx - s * 0.16, cy + s * 0.14);
        cairo_line_to(cr, cx - s * 0.22, cy + s * 0.34);
        cairo_line_to(cr, cx + s * 0.02, cy + s * 0.14);
        Line(cr, ink, alpha, s * 0.07);
        cairo_move_to(cr, cx - s * 0.42, cy + s * 0.36);
        cairo_line_to(cr, cx + s * 0.42, cy - s * 0.4);
        Line(cr, ink, alpha, s * 0.08);
        break;
    case Emblem::Tricks:
        for (int i = 0; i < 3; ++i)
            Card(cr, cx - s * 0.16 + i * s * 0.16, cy + s * 0.02, s * 0.34, s * 0.5, -0.3 + i * 0.3, ink, alpha);
        break;
    case Emblem::Coins:
        for (int i = 3; i >= 0; --i) {
            cairo_save(cr);
            cairo_translate(cr, cx, cy + s * 0.26 - i * s * 0.15);
            cairo_scale(cr, s * 0.32, s * 0.11);
            cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
            cairo_restore(cr);
            SetColour(cr, Rgb::Hex(0xF4D98A), alpha);
            cairo_fill_preserve(cr);
            Line(cr, ink, alpha, 1.2);
        }
        break;
    case Emblem::Hundred: Figures(cr, "100", cx, cy, s * 0.34, s * 0.82, ink, alpha); break;
    case Emblem::Flame:
        cairo_move_to(cr, cx, cy + s * 0.42);
        cairo_curve_to(cr, cx - s * 0.4, cy + s * 0.4, cx - s * 0.36, cy - s * 0.06, cx - s * 0.08, cy - s * 0.46);
        cairo_curve_to(cr, cx - s * 0.04, cy - s * 0.18, cx + s * 0.12, cy - s * 0.16, cx + s * 0.14, cy - s * 0.3);
        cairo_curve_to(cr, cx + s * 0.42, cy - s * 0.02, cx + s * 0.38, cy + s * 0.4, cx, cy + s * 0.42);
        cairo_close_path(cr);
        Fill(cr, ink, alpha);
        break;
    case Emblem::Company:
        Person(cr, cx - s * 0.2, cy + s * 0.02, s * 0.78);
        Person(cr, cx + s * 0.2, cy + s * 0.02, s * 0.78);
        Fill(cr, ink, alpha);
        break;
    case Emblem::Moon: {
        Saved clip(cr);
        cairo_arc(cr, cx - s * 0.04, cy, s * 0.36, 0, 2 * M_PI);
        cairo_clip(cr);
        cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
        cairo_rectangle(cr, cx - s, cy - s, 2 * s, 2 * s);
        cairo_arc(cr, cx + s * 0.12, cy - s * 0.1, s * 0.3, 0, 2 * M_PI);
        Fill(cr, ink, alpha);
    }
        StarPath(cr, cx + s * 0.3, cy - s * 0.3, s * 0.12);
        Fill(cr, ink, alpha);
        break;
    }
    cairo_new_path(cr);
}

}  // namespace

bool AchievementIconDesigned(int32_t index) { return index >= 0 && size_t(index) < kDesigns.size(); }

bool AchievementMedalColours(int32_t index, Rgb& metal, Rgb& ribbon)
{
    if (!AchievementIconDesigned(index)) return false;
    metal = Rgb::Hex(kDesigns[size_t(index)].metal);
    ribbon = Rgb::Hex(kDesigns[size_t(index)].ribbon);
    return true;
}

bool DrawAchievementEmblem(cairo_t* cr, int32_t index, double cx, double cy, double s, const Rgb& ink, double alpha)
{
    if (!AchievementIconDesigned(index)) return false;
    Saved saved(cr);
    cairo_new_path(cr);
    DrawEmblem(cr, kDesigns[size_t(index)].emblem, cx, cy, s, ink, alpha);
    return true;
}

}  // namespace ag
