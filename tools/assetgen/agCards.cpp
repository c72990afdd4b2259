#include "agCards.h"

#include <cmath>

#include "agSuits.h"

namespace ag {

namespace {

constexpr Rgb kWhite = Rgb::Hex(0xFFFFFF);
constexpr Rgb kEdge = Rgb::Hex(0x2B2F36);

// Where pips stand on a number card, as fractions of the card's width and
// height; those below the middle are drawn upside down, as on real cards.
struct Pip {
    double x, y;
};
constexpr double L = 0.33, C = 0.5, R = 0.67;

std::vector<Pip> PipLayout(int32_t rank)
{
    switch (rank + 2) {
    case 2: return {{C, 0.2}, {C, 0.8}};
    case 3: return {{C, 0.2}, {C, 0.5}, {C, 0.8}};
    case 4: return {{L, 0.2}, {R, 0.2}, {L, 0.8}, {R, 0.8}};
    case 5: return {{L, 0.2}, {R, 0.2}, {C, 0.5}, {L, 0.8}, {R, 0.8}};
    case 6: return {{L, 0.2}, {R, 0.2}, {L, 0.5}, {R, 0.5}, {L, 0.8}, {R, 0.8}};
    case 7: return {{L, 0.2}, {R, 0.2}, {C, 0.35}, {L, 0.5}, {R, 0.5}, {L, 0.8}, {R, 0.8}};
    case 8: return {{L, 0.2}, {R, 0.2}, {C, 0.35}, {L, 0.5}, {R, 0.5}, {C, 0.65}, {L, 0.8}, {R, 0.8}};
    case 9: return {{L, 0.2}, {R, 0.2}, {L, 0.4}, {R, 0.4}, {C, 0.5}, {L, 0.6}, {R, 0.6}, {L, 0.8}, {R, 0.8}};
    case 10:
        return {{L, 0.2}, {R, 0.2}, {C, 0.3}, {L, 0.4}, {R, 0.4}, {L, 0.6}, {R, 0.6}, {C, 0.7}, {L, 0.8}, {R, 0.8}};
    default: return {};
    }
}

double FontSizeForCaps(cairo_t* cr, Face face, double capHeight)
{
    UseFont(cr, face, 100);
    TextBox k = MeasureText(cr, "K");
    return 100 * capHeight / k.height;
}

void FillSuit(cairo_t* cr, int32_t suit, double cx, double cy, double h, bool flipped, const Rgb& colour)
{
    SuitPath(cr, suit, cx, cy, h, flipped);
    SetColour(cr, colour);
    cairo_fill(cr);
}

// The court panel's emblems: a crown for the king, a tiara for the queen, a
// shield for the jack; gold with a dark rim, jewels in the suit's colour.
void Crown(cairo_t* cr, double cx, double cy, double w, double h, int32_t peaks, const Rgb& jewel)
{
    double left = cx - w / 2, bottom = cy + h / 2, top = cy - h / 2;
    cairo_move_to(cr, left, bottom);
    cairo_line_to(cr, left, cy);
    for (int32_t i = 0; i < peaks; ++i) {
        double px = left + w * (i + 0.5) / peaks;
        double tall = (peaks % 2 == 1 && i == peaks / 2) ? top : top + h * 0.18;
        cairo_line_to(cr, px - w * 0.5 / peaks, cy + h * 0.05);
        cairo_line_to(cr, px, tall + h * 0.12);
        cairo_line_to(cr, px + w * 0.5 / peaks, cy + h * 0.05);
    }
    cairo_line_to(cr, left + w, cy);
    cairo_line_to(cr, left + w, bottom);
    cairo_close_path(cr);
    SetColour(cr, kGold);
    cairo_fill_preserve(cr);
    SetColour(cr, kGoldDark);
    cairo_set_line_width(cr, std::max(1.0, w * 0.03));
    cairo_stroke(cr);
    for (int32_t i = 0; i < peaks; ++i) {
        double px = left + w * (i + 0.5) / peaks;
        double tall = (peaks % 2 == 1 && i == peaks / 2) ? top : top + h * 0.18;
        cairo_arc(cr, px, tall + h * 0.1, w * 0.055, 0, 2 * M_PI);
        SetColour(cr, kGold);
        cairo_fill_preserve(cr);
        SetColour(cr, kGoldDark);
        cairo_stroke(cr);
    }
    for (int32_t i = 0; i < 3; ++i) {
        cairo_arc(cr, cx + (i - 1) * w * 0.28, cy + h * 0.3, w * 0.06, 0, 2 * M_PI);
        SetColour(cr, jewel);
        cairo_fill(cr);
    }
}

void Shield(cairo_t* cr, double cx, double cy, double w, double h, const Rgb& band)
{
    double top = cy - h / 2, left = cx - w / 2;
    auto outline = [&] {
        cairo_move_to(cr, left, top);
        cairo_line_to(cr, left + w, top);
        cairo_curve_to(cr, left + w, cy + h * 0.1, cx + w * 0.25, cy + h * 0.38, cx, cy + h / 2);
        cairo_curve_to(cr, cx - w * 0.25, cy + h * 0.38, left, cy + h * 0.1, left, top);
        cairo_close_path(cr);
    };
    outline();
    SetColour(cr, kGold);
    cairo_fill(cr);
    {
        Saved s(cr);
        outline();
        cairo_clip(cr);
        cairo_move_to(cr, left, top + h * 0.15);
        cairo_line_to(cr, left + w * 0.25, top);
        cairo_line_to(cr, left + w, top + h * 0.75);
        cairo_line_to(cr, left + w * 0.75, top + h);
        cairo_close_path(cr);
        SetColour(cr, band);
        cairo_fill(cr);
    }
    outline();
    SetColour(cr, kGoldDark);
    cairo_set_line_width(cr, std::max(1.0, w * 0.04));
    cairo_stroke(cr);
}

void CardOutline(cairo_t* cr, double w, double h)
{
    RoundedRect(cr, 0.5, 0.5, w - 1, h - 1, w * 0.06);
}

// The framed panel of court cards and the joker.
struct Panel {
    double x0, y0, x1, y1;
};
Panel CourtPanel(double w, double h) { return {std::round(w * 0.27) + 0.5, std::round(h * 0.045) + 0.5, std::round(w * 0.73) - 0.5, std::round(h * 0.955) - 0.5}; }

void FramePanel(cairo_t* cr, const Panel& p, const Rgb& fill, const Rgb& rim)
{
    RoundedRect(cr, p.x0, p.y0, p.x1 - p.x0, p.y1 - p.y0, 3);
    SetColour(cr, fill);
    cairo_fill_preserve(cr);
    SetColour(cr, rim);
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);
    RoundedRect(cr, p.x0 + 3, p.y0 + 3, p.x1 - p.x0 - 6, p.y1 - p.y0 - 6, 2);
    SetColour(cr, kGold);
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
}

// Draws the top half of a court's emblems, then the same turned about the
// card's centre, so the card reads either way up.
template <class DrawHalf>
void BothWays(cairo_t* cr, double w, double h, DrawHalf&& half)
{
    half();
    Saved s(cr);
    cairo_translate(cr, w, h);
    cairo_rotate(cr, M_PI);
    half();
}

void DrawCourt(cairo_t* cr, const CardsetStyle& style, int32_t rank, int32_t suit, double w, double h)
{
    const Rgb& ink = style.suitColour[size_t(suit)];
    Panel p = CourtPanel(w, h);
    FramePanel(cr, p, style.courtTint, ink);
    double pw = p.x1 - p.x0;
    BothWays(cr, w, h, [&] {
        double ey = h * 0.155, ew = pw * 0.74, eh = h * 0.13;
        if (rank == 11) Crown(cr, w / 2, ey, ew, eh, 3, ink);
        else if (rank == 10) Crown(cr, w / 2, ey, ew * 0.9, eh * 0.85, 5, ink);
        else Shield(cr, w / 2, ey, ew * 0.62, eh * 1.05, ink);
        FillSuit(cr, suit, w / 2, h * 0.3, h * 0.085, false, ink);
    });
    // The letter, once, upright in the middle, light on a band of the
    // suit's colour between two gold rules.
    double cap = h * 0.15;
    double bandTop = h / 2 - cap * 0.85, bandBottom = h / 2 + cap * 0.85;
    cairo_rectangle(cr, p.x0 + 3, bandTop, pw - 6, bandBottom - bandTop);
    SetColour(cr, ink);
    cairo_fill(cr);
    UseFont(cr, Face::SerifBold, FontSizeForCaps(cr, Face::SerifBold, cap));
    CentredTextPath(cr, RankText(rank), w / 2, h / 2, pw * 0.8);
    SetColour(cr, style.courtTint);
    cairo_fill(cr);
    for (double y : {bandTop, bandBottom}) {
        cairo_move_to(cr, p.x0 + 3, y);
        cairo_line_to(cr, p.x1 - 3, y);
    }
    SetColour(cr, kGold);
    cairo_set_line_width(cr, 2.0);
    cairo_stroke(cr);
}

// A jester's cap: three horns in red and black with gold bells on a gold band.
void JesterCap(cairo_t* cr, double cx, double cy, double w, const Rgb& red, const Rgb& black)
{
    double band = w * 0.16, bottom = cy + w * 0.3;
    struct Horn {
        double tipX, tipY;
        const Rgb* colour;
    };
    const Horn horns[3] = {{cx - w * 0.5, cy - w * 0.25, &red}, {cx + w * 0.5, cy - w * 0.25, &red},
                           {cx, cy - w * 0.55, &black}};
    for (const Horn& k : horns) {
        double baseL = k.tipX < cx ? cx - w * 0.34 : (k.tipX > cx ? cx - w * 0.02 : cx - w * 0.2);
        double baseR = k.tipX < cx ? cx + w * 0.02 : (k.tipX > cx ? cx + w * 0.34 : cx + w * 0.2);
        cairo_move_to(cr, baseL, bottom - band);
        cairo_curve_to(cr, baseL, cy - w * 0.1, k.tipX * 0.5 + cx * 0.5, k.tipY, k.tipX, k.tipY);
        cairo_curve_to(cr, k.tipX * 0.6 + cx * 0.4, k.tipY + w * 0.2, baseR, cy - w * 0.05, baseR, bottom - band);
        cairo_close_path(cr);
        SetColour(cr, *k.colour);
        cairo_fill_preserve(cr);
        SetColour(cr, kGoldDark);
        cairo_set_line_width(cr, 1.2);
        cairo_stroke(cr);
    }
    RoundedRect(cr, cx - w * 0.38, bottom - band, w * 0.76, band, band * 0.3);
    SetColour(cr, kGold);
    cairo_fill_preserve(cr);
    SetColour(cr, kGoldDark);
    cairo_stroke(cr);
    for (const Horn& k : horns) {
        cairo_arc(cr, k.tipX, k.tipY, w * 0.07, 0, 2 * M_PI);
        SetColour(cr, kGold);
        cairo_fill_preserve(cr);
        SetColour(cr, kGoldDark);
        cairo_stroke(cr);
    }
}

}  // namespace

void DrawJokerIndex(cairo_t* cr, double cx, double top, double starRadius, double letterCap, double step,
                    const Rgb& red, const Rgb& black)
{
    StarPath(cr, cx, top + starRadius, starRadius);
    SetColour(cr, kGold);
    cairo_fill_preserve(cr);
    SetColour(cr, kGoldDark);
    cairo_set_line_width(cr, 1.2);
    cairo_stroke(cr);
    UseFont(cr, Face::SansCondensedBold, FontSizeForCaps(cr, Face::SansCondensedBold, letterCap));
    const char* word = "JOKER";
    for (int i = 0; i < 5; ++i) {
        CentredTextPath(cr, std::string(1, word[i]), cx, top + starRadius * 2 + step * (i + 0.5) + letterCap * 0.2);
        SetColour(cr, i % 2 ? black : red);
        cairo_fill(cr);
    }
}

namespace {

void DrawJoker(cairo_t* cr, const CardsetStyle& style, double w, double h)
{
    const Rgb& red = style.suitColour[3];
    const Rgb& black = style.suitColour[0];
    Panel p = CourtPanel(w, h);
    FramePanel(cr, p, Rgb::Hex(0xFFF1C4), kGoldDark);
    double pw = p.x1 - p.x0;
    JesterCap(cr, w / 2, h * 0.46, pw * 0.95, red, black);
    for (int i = 0; i < 3; ++i) {
        StarPath(cr, w / 2 + (i - 1) * pw * 0.3, h * (i == 1 ? 0.13 : 0.17), pw * 0.07);
        SetColour(cr, kGold);
        cairo_fill(cr);
    }
    UseFont(cr, Face::SansBold, FontSizeForCaps(cr, Face::SansBold, h * 0.06));
    CentredTextPath(cr, "JOKER", w / 2, h * 0.74, pw * 0.86);
    SetColour(cr, kGoldDark);
    cairo_fill(cr);
    for (int i = 0; i < 3; ++i) {
        StarPath(cr, w / 2 + (i - 1) * pw * 0.3, h * (i == 1 ? 0.87 : 0.83), pw * 0.07);
        SetColour(cr, kGold);
        cairo_fill(cr);
    }
    const double cap = h / 6.5;
    BothWays(cr, w, h, [&] { DrawJokerIndex(cr, w * 0.135, h * 0.04, cap * 0.5, cap * 0.36, cap * 0.47, red, black); });
}

}  // namespace

std::string RankText(int32_t rank)
{
    static const char* const kRanks[13] = {"2", "3", "4", "5", "6", "7", "8", "9", "10", "J", "Q", "K", "A"};
    return rank >= 0 && rank < 13 ? kRanks[rank] : "";
}

void DrawIndex(cairo_t* cr, int32_t rank, int32_t suit, const Rgb& colour, double cx, double top,
               double capHeight, double suitHeight, double maxWidth)
{
    UseFont(cr, Face::SansCondensedBold, FontSizeForCaps(cr, Face::SansCondensedBold, capHeight));
    // "10" is squeezed into the width the single letters take.
    CentredTextPath(cr, RankText(rank), cx, top + capHeight / 2, maxWidth);
    SetColour(cr, colour);
    cairo_fill(cr);
    double suitTop = top + capHeight + capHeight * 0.16;
    FillSuit(cr, suit, cx, suitTop + suitHeight / 2, suitHeight, false, colour);
}

void DrawCard(cairo_t* cr, const CardsetStyle& style, int32_t card)
{
    const double w = style.width, h = style.height;
    CardOutline(cr, w, h);
    SetColour(cr, kWhite);
    cairo_fill_preserve(cr);
    SetColour(cr, kEdge);
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
    {
        Saved s(cr);
        CardOutline(cr, w, h);
        cairo_clip(cr);
        if (card == CARD_SLOTS - 1) {
            DrawJoker(cr, style, w, h);
            return;
        }
        const int32_t suit = card / 13, rank = card % 13;
        const Rgb& ink = style.suitColour[size_t(suit)];
        if (rank >= 9 && rank <= 11) {
            DrawCourt(cr, style, rank, suit, w, h);
        } else if (rank == 12) {
            FillSuit(cr, suit, w / 2, h / 2, h * 0.34, false, ink);
        } else {
            // Nine and ten stand closer together, so their pips are smaller.
            double pip = rank >= 7 ? h * 0.1 : h * 0.11;
            for (const Pip& p : PipLayout(rank))
                FillSuit(cr, suit, w * (0.5 + (p.x - 0.5) * (rank >= 7 ? 0.95 : 1.0)), h * p.y, pip, p.y > 0.5, ink);
        }
        BothWays(cr, w, h, [&] { DrawIndex(cr, rank, suit, ink, w * 0.135, h * 0.04, h / 6.5, h * 0.105, w * 0.22); });
    }
}

std::vector<uint8_t> CardPng(const CardsetStyle& style, int32_t card)
{
    Canvas canvas(style.width, style.height);
    DrawCard(canvas.Context(), style, card);
    return canvas.Png();
}

const std::vector<CardsetStyle>& Cardsets()
{
    static const std::vector<CardsetStyle> sets = {
        {"Basic.cards", "Basic", "Vantorel Qar", "Two-colour deck drawn by the asset generator.", 180, 252,
         {kCardBlack, kCardBlack, kCardRed, kCardRed}, Rgb::Hex(0xFBF5E6)},
        {"FourColour.cards", "Four Colour", "Vantorel Qar",
         "Every suit in its own colour: spades black, clubs green, diamonds blue, hearts red.", 200, 280,
         {kCardBlack, kCardGreen, kCardBlue, kCardRed}, Rgb::Hex(0xF4F6FA)},
    };
    return sets;
}

// Card backs --------------------------------------------------------------

const std::vector<CardbackStyle>& Cardbacks()
{
    static const std::vector<CardbackStyle> backs = {
        {"Blue.png", Rgb::Hex(0x173A78), Rgb::Hex(0x3F6FC4), Rgb::Hex(0xE8EEF8), 0},
        {"Red.png", Rgb::Hex(0x7A1424), Rgb::Hex(0xB3293D), Rgb::Hex(0xE9C46A), 1},
    };
    return backs;
}

namespace {

// One tile of the back's repeating pattern.
cairo_pattern_t* BackPattern(const CardbackStyle& style, double cell)
{
    int32_t side = int32_t(std::ceil(cell));
    cairo_surface_t* tile = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, side, side);
    cairo_t* cr = cairo_create(tile);
    double s = side;
    SetColour(cr, style.dark);
    cairo_paint(cr);
    if (style.pattern == 0) {
        // A lattice of diamonds with a small one inside each.
        cairo_move_to(cr, s / 2, 0);
        cairo_line_to(cr, s, s / 2);
        cairo_line_to(cr, s / 2, s);
        cairo_line_to(cr, 0, s / 2);
        cairo_close_path(cr);
        SetColour(cr, style.light);
        cairo_fill_preserve(cr);
        SetColour(cr, style.line, 0.9);
        cairo_set_line_width(cr, s * 0.06);
        cairo_stroke(cr);
        cairo_move_to(cr, s / 2, s * 0.32);
        cairo_line_to(cr, s * 0.68, s / 2);
        cairo_line_to(cr, s / 2, s * 0.68);
        cairo_line_to(cr, s * 0.32, s / 2);
        cairo_close_path(cr);
        SetColour(cr, style.dark);
        cairo_fill(cr);
    } else {
        // Interlocking rings with a dot where four meet.
        cairo_set_line_width(cr, s * 0.07);
        for (int i = 0; i < 4; ++i) {
            cairo_new_sub_path(cr);
            cairo_arc(cr, (i % 2) * s, (i / 2) * s, s * 0.5, 0, 2 * M_PI);
        }
        cairo_new_sub_path(cr);
        cairo_arc(cr, s / 2, s / 2, s * 0.5, 0, 2 * M_PI);
        SetColour(cr, style.light);
        cairo_stroke(cr);
        cairo_arc(cr, s / 2, s / 2, s * 0.12, 0, 2 * M_PI);
        SetColour(cr, style.line);
        cairo_fill(cr);
        for (int i = 0; i < 4; ++i) {
            cairo_new_sub_path(cr);
            cairo_arc(cr, (i % 2) * s, (i / 2) * s, s * 0.08, 0, 2 * M_PI);
        }
        SetColour(cr, style.line, 0.8);
        cairo_fill(cr);
    }
    cairo_destroy(cr);
    cairo_pattern_t* p = cairo_pattern_create_for_surface(tile);
    cairo_surface_destroy(tile);
    cairo_pattern_set_extend(p, CAIRO_EXTEND_REPEAT);
    return p;
}

}  // namespace

std::vector<uint8_t> CardbackPng(const CardbackStyle& style, int32_t width, int32_t height)
{
    Canvas canvas(width, height);
    cairo_t* cr = canvas.Context();
    const double w = width, h = height;
    CardOutline(cr, w, h);
    SetColour(cr, kWhite);
    cairo_fill_preserve(cr);
    SetColour(cr, kEdge);
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
    // The white margin keeps the cards of a fanned hand apart.
    const double m = std::round(w * 0.06);
    RoundedRect(cr, m, m, w - 2 * m, h - 2 * m, w * 0.03);
    double cell = std::round(w * 0.12);
    cairo_pattern_t* pattern = BackPattern(style, cell);
    cairo_matrix_t shift;
    // Centre the pattern on the card so its two halves mirror.
    cairo_matrix_init_translate(&shift, -(w / 2 - cell / 2), -(h / 2 - cell / 2));
    cairo_pattern_set_matrix(pattern, &shift);
    cairo_set_source(cr, pattern);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(pattern);
    SetColour(cr, style.dark);
    cairo_set_line_width(cr, 2.0);
    cairo_stroke(cr);
    RoundedRect(cr, m + 4, m + 4, w - 2 * m - 8, h - 2 * m - 8, w * 0.02);
    SetColour(cr, style.line, 0.9);
    cairo_set_line_width(cr, 1.2);
    cairo_stroke(cr);
    // A medallion in the middle.
    double r = w * 0.17;
    cairo_arc(cr, w / 2, h / 2, r, 0, 2 * M_PI);
    SetColour(cr, style.dark);
    cairo_fill_preserve(cr);
    SetColour(cr, style.line);
    cairo_set_line_width(cr, 2.0);
    cairo_stroke(cr);
    StarPath(cr, w / 2, h / 2, r * 0.7, 0.42);
    SetColour(cr, style.line);
    cairo_fill(cr);
    return canvas.Png();
}

}  // namespace ag
