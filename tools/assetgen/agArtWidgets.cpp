// Widget pieces: frames, buttons, bars, knobs, toggles, badges, plates and
// the larger pictures of the menu.
#include <cmath>

#include "agArt.h"
#include "agCards.h"
#include "agSuits.h"

namespace ag {

namespace {

cairo_pattern_t* Vertical(double top, double bottom, const Rgb& a, double alphaA, const Rgb& b, double alphaB)
{
    cairo_pattern_t* p = cairo_pattern_create_linear(0, top, 0, bottom);
    AddStop(p, 0, a, alphaA);
    AddStop(p, 1, b, alphaB);
    return p;
}

void FillWith(cairo_t* cr, cairo_pattern_t* p, bool preserve = false)
{
    cairo_set_source(cr, p);
    if (preserve) cairo_fill_preserve(cr);
    else cairo_fill(cr);
    cairo_pattern_destroy(p);
}

void Stroke(cairo_t* cr, const Rgb& c, double alpha, double width)
{
    SetColour(cr, c, alpha);
    cairo_set_line_width(cr, width);
    cairo_stroke(cr);
}

// Text with its ink box centred on (cx, cy), in a colour, with a soft dark
// shadow below it when asked.
void Label(cairo_t* cr, Face face, double capHeight, const std::string& text, double cx, double cy,
           const Rgb& colour, double maxWidth = 0, bool shadow = false)
{
    UseFont(cr, face, 100);
    double size = 100 * capHeight / MeasureText(cr, "H").height;
    UseFont(cr, face, size);
    if (shadow) {
        CentredTextPath(cr, text, cx, cy + std::max(1.0, capHeight * 0.08), maxWidth);
        SetColour(cr, kInk, 0.6);
        cairo_fill(cr);
    }
    CentredTextPath(cr, text, cx, cy, maxWidth);
    SetColour(cr, colour);
    cairo_fill(cr);
}

// A plate of the interface: a rounded slate body lit from the top with a
// gold rim.
void Plate(cairo_t* cr, double x, double y, double w, double h, const Rgb& top, const Rgb& bottom, double alpha,
           const Rgb& rim)
{
    RoundedRect(cr, x + 0.5, y + 0.5, w - 1, h - 1, kRadius);
    FillWith(cr, Vertical(y, y + h, top, alpha, bottom, alpha), true);
    Stroke(cr, rim, 1, 1);
    cairo_move_to(cr, x + kRadius, y + 1.5);
    cairo_line_to(cr, x + w - kRadius, y + 1.5);
    Stroke(cr, Rgb::Hex(0xFFFFFF), 0.25, 1);
}

}  // namespace

void ArtTitle(cairo_t* cr, double w, double h, int32_t)
{
    // The title is stretched wider than it is drawn (about 1.2x at 1280
    // pixels, 1.65x at 1920), so it is drawn narrower by about their mean.
    const double squeeze = 0.72;
    Saved s(cr);
    cairo_translate(cr, w / 2, 0);
    cairo_scale(cr, squeeze, 1);
    cairo_translate(cr, -w / 2, 0);
    const double cap = h * 0.36, cy = h * 0.42;
    UseFont(cr, Face::SerifBold, 100);
    double size = 100 * cap / MeasureText(cr, "H").height;
    UseFont(cr, Face::SerifBold, size);
    const std::string title = "Vantorel Qar";
    for (int i = 3; i >= 1; --i) {  // a soft shadow below
        CentredTextPath(cr, title, w / 2, cy + i * 2.5);
        SetColour(cr, kInk, 0.18);
        cairo_fill(cr);
    }
    CentredTextPath(cr, title, w / 2, cy);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    SetColour(cr, kInk, 0.9);
    cairo_set_line_width(cr, cap * 0.1);
    cairo_stroke_preserve(cr);
    cairo_pattern_t* gold = cairo_pattern_create_linear(0, cy - cap / 2, 0, cy + cap / 2);
    AddStop(gold, 0, kAccentLight);
    AddStop(gold, 0.5, kAccent);
    AddStop(gold, 1, kAccentDark);
    FillWith(cr, gold);
    // A rule with the four suits under the name.
    const double ruleY = h * 0.76, half = w * 0.34;
    for (int side = -1; side <= 1; side += 2) {
        cairo_move_to(cr, w / 2 + side * w * 0.13, ruleY);
        cairo_line_to(cr, w / 2 + side * half, ruleY);
    }
    Stroke(cr, kAccent, 0.9, 3);
    const int order[4] = {0, 3, 1, 2};
    for (int i = 0; i < 4; ++i) {
        double x = w / 2 + (i - 1.5) * h * 0.16;
        SuitPath(cr, order[i], x, ruleY, h * 0.13);
        SetColour(cr, Rgb::Hex(0xFFFFFF));
        cairo_fill_preserve(cr);
        Stroke(cr, kInk, 0.8, 2);
        SuitPath(cr, order[i], x, ruleY, h * 0.13);
        SetColour(cr, (order[i] >= 2) ? kCardRed : kCardBlack);
        cairo_fill(cr);
    }
}

void ArtTileFrame(cairo_t* cr, double w, double h, int32_t)
{
    RoundedRect(cr, 0.5, 0.5, w - 1, h - 1, kRadius + 1);
    Stroke(cr, kInk, 0.85, 1);
    RoundedRect(cr, 2, 2, w - 4, h - 4, kRadius);
    Stroke(cr, kAccent, 1, 2);
    RoundedRect(cr, 3.5, 3.5, w - 7, h - 7, kRadius - 1);
    Stroke(cr, kAccentLight, 0.35, 1);
}

void ArtCycleIcon(cairo_t* cr, double w, double h, int32_t)
{
    const double cx = w / 2, cy = h / 2, r = w * 0.3;
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    for (int half = 0; half < 2; ++half) {
        double a0 = half * M_PI + 0.35, a1 = a0 + M_PI - 0.9;
        cairo_new_path(cr);
        cairo_arc(cr, cx, cy, r, a0, a1);
        SetColour(cr, kInk, 0.6);
        cairo_set_line_width(cr, w * 0.14);
        cairo_stroke_preserve(cr);
        Stroke(cr, kAccentLight, 1, w * 0.09);
        // The arrow head at the end of each arc.
        double ex = cx + r * std::cos(a1), ey = cy + r * std::sin(a1);
        double tx = -std::sin(a1), ty = std::cos(a1);  // direction of travel
        double nx = std::cos(a1), ny = std::sin(a1);
        double s = w * 0.15;
        cairo_move_to(cr, ex + tx * s * 1.2, ey + ty * s * 1.2);
        cairo_line_to(cr, ex + nx * s, ey + ny * s);
        cairo_line_to(cr, ex - nx * s, ey - ny * s);
        cairo_close_path(cr);
        SetColour(cr, kAccentLight);
        cairo_fill_preserve(cr);
        Stroke(cr, kInk, 0.6, 1.5);
    }
}

void ArtPanelFill(cairo_t* cr, double w, double h, int32_t)
{
    // A mid slate: dark enough for the white captions, light enough for the
    // black texts some widgets write on it.
    cairo_rectangle(cr, 0, 0, w, h);
    cairo_pattern_t* p = cairo_pattern_create_linear(0, 0, 0, h);
    AddStop(p, 0, kSlateLight, 0.94);
    AddStop(p, 0.08, kSlateLight.Mix(kSlate, 0.35), 0.93);
    AddStop(p, 1, kSlate, 0.92);
    FillWith(cr, p);
}

void ArtCardVeil(cairo_t* cr, double w, double h, int32_t)
{
    // The shape of a card (its rounded corners stay clear); the widget tints it.
    RoundedRect(cr, 0, 0, w, h, w * 0.06);
    SetColour(cr, Rgb::Hex(0xFFFFFF));
    cairo_fill(cr);
}

void ArtLogo(cairo_t* cr, double w, double h, int32_t)
{
    const double r = h * 0.36, cx = h * 0.5, cy = h * 0.5;
    cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
    SetColour(cr, kSlateDark, 0.9);
    cairo_fill_preserve(cr);
    Stroke(cr, kAccent, 1, 2);
    SuitPath(cr, 0, cx, cy, r * 1.15);
    SetColour(cr, kAccentLight);
    cairo_fill(cr);
    Label(cr, Face::SerifBold, h * 0.3, "Vantorel Qar", h + (w - h - 8) / 2, h * 0.5, kAccentLight, w - h - 12, true);
}

void ArtCardShadow(cairo_t* cr, double w, double h, int32_t)
{
    // Body 200 x 200 under the card, then the edges fading out to the right
    // and below: light falls from the top.
    const double bw = w - 17, bh = h - 15, a = 0.55;
    cairo_rectangle(cr, 0, 0, bw, bh);
    SetColour(cr, kInk, a);
    cairo_fill(cr);
    cairo_pattern_t* right = cairo_pattern_create_linear(bw, 0, w, 0);
    AddStop(right, 0, kInk, a);
    AddStop(right, 0.45, kInk, a * 0.45);
    AddStop(right, 1, kInk, 0);
    cairo_rectangle(cr, bw, 0, w - bw, bh);
    FillWith(cr, right);
    cairo_pattern_t* below = cairo_pattern_create_linear(0, bh, 0, h);
    AddStop(below, 0, kInk, a);
    AddStop(below, 0.45, kInk, a * 0.45);
    AddStop(below, 1, kInk, 0);
    cairo_rectangle(cr, 0, bh, bw, h - bh);
    FillWith(cr, below);
    cairo_pattern_t* corner = cairo_pattern_create_radial(bw, bh, 0, bw, bh, std::max(w - bw, h - bh));
    AddStop(corner, 0, kInk, a);
    AddStop(corner, 0.45, kInk, a * 0.45);
    AddStop(corner, 1, kInk, 0);
    cairo_rectangle(cr, bw, bh, w - bw, h - bh);
    FillWith(cr, corner);
}

void ArtMarchingBorder(cairo_t* cr, double w, double h, int32_t)
{
    // Diagonal gold and dark bands of period 16 px: any row or column of
    // the texture, moved along, reads as marching dashes.
    SetColour(cr, kInk, 0.9);
    cairo_paint(cr);
    for (double k = -w; k < w + h; k += 16) {
        cairo_move_to(cr, k, 0);
        cairo_line_to(cr, k + 8, 0);
        cairo_line_to(cr, k + 8 - h, h);
        cairo_line_to(cr, k - h, h);
        cairo_close_path(cr);
    }
    SetColour(cr, kAccentLight);
    cairo_fill(cr);
}

void ArtButtonFace(cairo_t* cr, double w, double h, int32_t state)
{
    // Corners and edges lie within the 4-px borders that stay unscaled; the
    // middle only varies from top to bottom, so it stretches cleanly.
    Rgb top = Rgb::Hex(0x46505E), bottom = Rgb::Hex(0x232932), rim = kAccent;
    if (state == 1) {
        top = Rgb::Hex(0x5C6879);
        bottom = Rgb::Hex(0x313947);
        rim = kAccentLight;
    } else if (state == 2) {
        top = Rgb::Hex(0x1A1F26);
        bottom = Rgb::Hex(0x333B47);
        rim = kAccentDark;
    }
    RoundedRect(cr, 0.5, 0.5, w - 1, h - 1, kRadius);
    FillWith(cr, Vertical(0, h, top, 0.96, bottom, 0.96), true);
    Stroke(cr, rim, 1, 1);
    if (state != 2) {
        cairo_move_to(cr, kRadius, 1.5);
        cairo_line_to(cr, w - kRadius, 1.5);
        Stroke(cr, Rgb::Hex(0xFFFFFF), state == 1 ? 0.35 : 0.22, 1);
    } else {
        cairo_move_to(cr, kRadius, 1.5);
        cairo_line_to(cr, w - kRadius, 1.5);
        Stroke(cr, kInk, 0.6, 1);
    }
}

void ArtProgressFill(cairo_t* cr, double w, double h, int32_t)
{
    RoundedRect(cr, 1, 2, w - 2, h - 4, kRadius - 1);
    cairo_pattern_t* p = cairo_pattern_create_linear(0, 2, 0, h - 2);
    AddStop(p, 0, kAccentLight);
    AddStop(p, 0.45, kAccent);
    AddStop(p, 1, kAccentDark);
    FillWith(cr, p, true);
    Stroke(cr, kAccentDark, 1, 1);
    cairo_move_to(cr, 3, 4.5);
    cairo_line_to(cr, w - 3, 4.5);
    Stroke(cr, Rgb::Hex(0xFFFFFF), 0.4, 1.5);
}

void ArtProgressTrack(cairo_t* cr, double w, double h, int32_t)
{
    const double bar = 204;
    // The groove under the fill, then the plate for the percentage.
    RoundedRect(cr, 0.5, 1.5, bar - 1, h - 3, kRadius - 1);
    FillWith(cr, Vertical(0, h, kInk, 0.85, kSlateDark, 0.85), true);
    Stroke(cr, kSlateLight, 0.7, 1);
    RoundedRect(cr, bar + 2.5, 1.5, w - bar - 3, h - 3, kRadius - 1);
    FillWith(cr, Vertical(0, h, Rgb::Hex(0xF4F1EA), 1, Rgb::Hex(0xCFCAC0), 1), true);
    Stroke(cr, kAccentDark, 1, 1);
}

void ArtKnob(cairo_t* cr, double w, double h, int32_t focused)
{
    const double cx = w / 2, cy = h / 2, r = w / 2 - 1;
    cairo_arc(cr, cx, cy + 0.8, r, 0, 2 * M_PI);
    SetColour(cr, kInk, 0.45);
    cairo_fill(cr);
    cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
    cairo_pattern_t* p = cairo_pattern_create_radial(cx - r * 0.3, cy - r * 0.4, r * 0.1, cx, cy, r);
    AddStop(p, 0, Rgb::Hex(0xFFFFFF));
    AddStop(p, 1, Rgb::Hex(0xB8BDC4));
    FillWith(cr, p, true);
    Stroke(cr, kInk, 0.8, 1);
    cairo_arc(cr, cx, cy, r * 0.35, 0, 2 * M_PI);
    SetColour(cr, focused ? kAccent : Rgb::Hex(0x8A9099));
    cairo_fill(cr);
    if (focused) {
        cairo_arc(cr, cx, cy, r - 1.5, 0, 2 * M_PI);
        Stroke(cr, kAccent, 1, 1.5);
    }
}

void ArtToggle(cairo_t* cr, double w, double h, int32_t off)
{
    RoundedRect(cr, 0.5, 0.5, w - 1, h - 1, h / 2 - 0.5);
    if (!off) FillWith(cr, Vertical(0, h, Rgb::Hex(0x49B86A), 1, Rgb::Hex(0x23783E), 1), true);
    else FillWith(cr, Vertical(0, h, Rgb::Hex(0x1C2128), 1, Rgb::Hex(0x3A424D), 1), true);
    Stroke(cr, off ? kSlateLight : kAccent, 1, 1);
    // The word sits on the side the knob leaves free.
    if (!off) Label(cr, Face::SansBold, h * 0.36, "ON", w * 0.3, h / 2, Rgb::Hex(0xFFFFFF), 0, true);
    else Label(cr, Face::SansBold, h * 0.36, "OFF", w * 0.68, h / 2, Rgb::Hex(0xAEB5BE));
}

void ArtTabMarker(cairo_t* cr, double w, double h, int32_t off)
{
    RoundedRect(cr, 0.5, 0.5, w - 1, h - 1, kRadius);
    if (!off) FillWith(cr, Vertical(0, h, Rgb::Hex(0x4CC273), 1, Rgb::Hex(0x207A3B), 1), true);
    else FillWith(cr, Vertical(0, h, Rgb::Hex(0x5B636E), 1, Rgb::Hex(0x343A43), 1), true);
    Stroke(cr, off ? kInk : kAccent, 0.9, 1);
    const double cx = w / 2, cy = h / 2;
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    if (!off) {  // a tick
        cairo_move_to(cr, cx - 7, cy);
        cairo_line_to(cr, cx - 2, cy + 5);
        cairo_line_to(cr, cx + 8, cy - 5);
        Stroke(cr, Rgb::Hex(0xFFFFFF), 1, 3);
    } else {  // three dots: waiting
        for (int i = -1; i <= 1; ++i) {
            cairo_new_sub_path(cr);
            cairo_arc(cr, cx + i * 7, cy, 2, 0, 2 * M_PI);
        }
        SetColour(cr, Rgb::Hex(0xC8CDD3));
        cairo_fill(cr);
    }
}

void ArtBadge(cairo_t* cr, double w, double h, int32_t kind)
{
    // Nine cells with 8-px borders: only the rims vary near the edges.
    if (kind == 0) {
        Plate(cr, 0, 0, w, h, Rgb::Hex(0x3A424E), Rgb::Hex(0x252B33), 0.9, kAccent);
    } else if (kind == 1) {
        RoundedRect(cr, 0.5, 0.5, w - 1, h - 1, kRadius);
        FillWith(cr, Vertical(0, h, Rgb::Hex(0x111418), 0.9, Rgb::Hex(0x2A313B), 0.9), true);
        Stroke(cr, kSlateLight, 0.8, 1);
        cairo_move_to(cr, kRadius, 1.5);
        cairo_line_to(cr, w - kRadius, 1.5);
        Stroke(cr, kInk, 0.8, 1);
    } else {
        Plate(cr, 0, 0, w, h, Rgb::Hex(0x7A5F22), Rgb::Hex(0x4A3912), 0.92, kAccentLight);
    }
}

void ArtAchievePlate(cairo_t* cr, double w, double h, int32_t)
{
    Plate(cr, 0, 0, w, h, Rgb::Hex(0x3C4656), Rgb::Hex(0x1E242D), 0.95, kAccent);
    // The well behind the 32-px icon at (6, 6), inside the left 64 pixels.
    RoundedRect(cr, 4.5, 4.5, 35, 35, kRadius);
    FillWith(cr, Vertical(4, 40, kInk, 0.9, kSlateDark, 0.9), true);
    Stroke(cr, kAccentDark, 1, 1);
}

void ArtAchieveGlow(cairo_t* cr, double w, double h, int32_t)
{
    cairo_pattern_t* p = cairo_pattern_create_linear(0, 0, w, 0);
    AddStop(p, 0, Rgb::Hex(0xFFFFFF), 0);
    AddStop(p, 0.5, Rgb::Hex(0xFFF3C8), 0.9);
    AddStop(p, 1, Rgb::Hex(0xFFFFFF), 0);
    cairo_rectangle(cr, 0, 0, w, h);
    cairo_set_source(cr, p);
    cairo_pattern_t* mask = cairo_pattern_create_linear(0, 0, 0, h);
    cairo_pattern_add_color_stop_rgba(mask, 0, 0, 0, 0, 0);
    cairo_pattern_add_color_stop_rgba(mask, 0.5, 0, 0, 0, 1);
    cairo_pattern_add_color_stop_rgba(mask, 1, 0, 0, 0, 0);
    cairo_mask(cr, mask);
    cairo_pattern_destroy(mask);
    cairo_pattern_destroy(p);
    cairo_new_path(cr);
}

void ArtStoreButton(cairo_t* cr, double w, double h, int32_t)
{
    // Drawn over up to 512 x 256 beside the menu buttons: a plate with a
    // fan of cards and the invitation, clear margins around it.
    const double x = 16, y = 56, pw = w - 32, ph = h - 72;
    RoundedRect(cr, x + 2, y + 4, pw, ph, kRadius * 2);
    SetColour(cr, kInk, 0.35);
    cairo_fill(cr);
    RoundedRect(cr, x + 0.5, y + 0.5, pw, ph, kRadius * 2);
    FillWith(cr, Vertical(y, y + ph, Rgb::Hex(0x3E4857), 0.95, Rgb::Hex(0x1F252E), 0.95), true);
    Stroke(cr, kAccent, 1, 2);
    const int suits[3] = {3, 2, 0};
    for (int i = 0; i < 3; ++i) {  // a small fan of cards
        Saved s(cr);
        cairo_translate(cr, x + ph * 0.55, y + ph * 0.62);
        cairo_rotate(cr, (i - 1) * 0.3);
        RoundedRect(cr, -ph * 0.19, -ph * 0.5, ph * 0.38, ph * 0.53, 5);
        SetColour(cr, Rgb::Hex(0xFFFFFF));
        cairo_fill_preserve(cr);
        Stroke(cr, kInk, 0.8, 1.5);
        SuitPath(cr, suits[i], -ph * 0.09, -ph * 0.36, ph * 0.14);
        SetColour(cr, suits[i] == 0 ? kCardBlack : kCardRed);
        cairo_fill(cr);
    }
    const double textLeft = x + ph * 1.05, textWidth = x + pw - 20 - textLeft, tx = textLeft + textWidth / 2;
    Label(cr, Face::SansBold, ph * 0.14, "Visit the store", tx, y + ph * 0.38, kAccentLight, textWidth, true);
    Label(cr, Face::Sans, ph * 0.095, "news, cardsets and more", tx, y + ph * 0.66, Rgb::Hex(0xE8E8E8), textWidth);
}

void ArtMultiplayerNotice(cairo_t* cr, double w, double h, int32_t)
{
    RoundedRect(cr, 8.5, 8.5, w - 17, h - 17, kRadius * 2);
    FillWith(cr, Vertical(8, h - 8, Rgb::Hex(0x3D4756), 0.95, Rgb::Hex(0x1C2129), 0.95), true);
    Stroke(cr, kAccent, 1, 3);
    {
        Saved s(cr);
        cairo_translate(cr, w / 2 - 48, 34);
        ArtPlayerIcon(cr, 96, 96, 1);
    }
    Label(cr, Face::SansBold, 17, "Multiplayer game", w / 2, 158, kAccentLight, w - 40, true);
    Label(cr, Face::SansBold, 17, "in progress", w / 2, 184, kAccentLight, w - 40, true);
    Label(cr, Face::Sans, 12, "Click to return to the table", w / 2, 216, Rgb::Hex(0xE8E8E8), w - 40);
}

void ArtFlowers(cairo_t* cr, double w, double h, int32_t)
{
    // Dark rosettes gathered in the top right corner, fading towards the
    // bottom left: drawn over black, they only just show.
    Random rnd(30);
    for (int i = 0; i < 70; ++i) {
        double d = std::pow(rnd.Unit(), 1.6);  // distance from the corner, mostly small
        double a = rnd.Range(M_PI / 2, M_PI);
        double cx = w + std::cos(a) * d * w * 1.1, cy = -std::sin(a) * d * h * 1.1 + h * 0.02;
        cy = std::fabs(cy);
        double r = rnd.Range(14, 42) * (1.1 - d * 0.5);
        double fade = std::max(0.0, 1.0 - d);
        int petals = rnd.Int(5, 7);
        double turn = rnd.Range(0, M_PI);
        Saved s(cr);
        cairo_translate(cr, cx, cy);
        for (int p = 0; p < petals; ++p) {
            Saved t(cr);
            cairo_rotate(cr, turn + p * 2 * M_PI / petals);
            cairo_translate(cr, r * 0.55, 0);
            cairo_scale(cr, r * 0.5, r * 0.22);
            cairo_new_sub_path(cr);
            cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
        }
        SetColour(cr, Rgb::Hex(0x3A3D44), 0.55 * fade);
        cairo_fill_preserve(cr);
        SetColour(cr, Rgb::Hex(0x5A5E66), 0.5 * fade);
        cairo_set_line_width(cr, 1.2);
        cairo_stroke(cr);
        cairo_arc(cr, 0, 0, r * 0.18, 0, 2 * M_PI);
        SetColour(cr, kAccentDark, 0.45 * fade);
        cairo_fill(cr);
    }
}

}  // namespace ag
