#include "agTutorials.h"

#include "agCanvas.h"
#include "agSuits.h"
#include "qz7kvdata.h"

#include <cmath>
#include <map>
#include <set>
#include <stdexcept>

namespace ag {

namespace {
enum Kind : int32_t { WELCOME, DECK, WHATSNEW, BIDDING, MISERE, KITTY, PLAYING, BOWERS };

const Rgb kGold = Rgb::Hex(0xE8B84A);
const Rgb kGoldDark = Rgb::Hex(0x8A6A22);
const Rgb kCloth = Rgb::Hex(0x1E5A3A);
const Rgb kClothDark = Rgb::Hex(0x0E3320);
const Rgb kRed = Rgb::Hex(0xD02030);
const Rgb kInk = Rgb::Hex(0x1A1A1A);
const Rgb kBack = Rgb::Hex(0x2A4C9A);

constexpr double kPi = 3.14159265358979323846;

void Cloth(cairo_t* cr, int32_t w, int32_t h)
{
    cairo_pattern_t* p = cairo_pattern_create_radial(w / 2.0, h / 2.0, 10, w / 2.0, h / 2.0, w * 0.75);
    AddStop(p, 0, kCloth);
    AddStop(p, 1, kClothDark);
    cairo_set_source(cr, p);
    cairo_paint(cr);
    cairo_pattern_destroy(p);
}

// A small card, face up (suit 0..3 with a rank letter, 4 the joker) or down,
// centred on (cx, cy) and turned by angle.
void MiniCard(cairo_t* cr, double cx, double cy, double angle, int32_t suit, const char* rank, bool faceUp = true)
{
    const double w = 34, h = 48;
    Saved s(cr);
    cairo_translate(cr, cx, cy);
    cairo_rotate(cr, angle);
    RoundedRect(cr, -w / 2 + 1.5, -h / 2 + 2, w, h, 4);
    SetColour(cr, Rgb{}, 0.35);
    cairo_fill(cr);
    RoundedRect(cr, -w / 2, -h / 2, w, h, 4);
    SetColour(cr, faceUp ? Rgb::Hex(0xFBFBF6) : kBack);
    cairo_fill_preserve(cr);
    cairo_set_line_width(cr, 1);
    SetColour(cr, Rgb::Hex(0x303030));
    cairo_stroke(cr);
    if (!faceUp) {
        RoundedRect(cr, -w / 2 + 4, -h / 2 + 4, w - 8, h - 8, 2);
        SetColour(cr, Rgb::Hex(0xC8D4F0));
        cairo_set_line_width(cr, 1.5);
        cairo_stroke(cr);
        for (int i = -3; i <= 3; ++i) {
            cairo_move_to(cr, -w / 2 + 6, i * 6.0);
            cairo_line_to(cr, w / 2 - 6, i * 6.0 + 5);
        }
        SetColour(cr, Rgb::Hex(0x8FA6DA), 0.8);
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
        return;
    }
    if (suit == 4) {
        StarPath(cr, 0, 2, 13);
        SetColour(cr, kGold);
        cairo_fill_preserve(cr);
        SetColour(cr, kRed);
        cairo_set_line_width(cr, 1.2);
        cairo_stroke(cr);
        UseFont(cr, Face::SansBold, 9);
        CentredTextPath(cr, "JOKER", 0, -16);
        SetColour(cr, kRed);
        cairo_fill(cr);
        return;
    }
    const Rgb colour = suit >= 2 ? kRed : kInk;
    UseFont(cr, Face::SansBold, 15);
    CentredTextPath(cr, rank, -w / 2 + 9, -h / 2 + 10, 14);
    SetColour(cr, colour);
    cairo_fill(cr);
    SuitPath(cr, suit, 2, 6, 22);
    SetColour(cr, colour);
    cairo_fill(cr);
}

void Label(cairo_t* cr, const std::string& text, double cx, double cy, double size, const Rgb& colour, double maxWidth)
{
    UseFont(cr, Face::SansBold, size);
    CentredTextPath(cr, text, cx + 1, cy + 1.5, maxWidth);
    SetColour(cr, Rgb{}, 0.6);
    cairo_fill(cr);
    CentredTextPath(cr, text, cx, cy, maxWidth);
    SetColour(cr, colour);
    cairo_fill(cr);
}

void DrawPicture(cairo_t* cr, int32_t kind)
{
    Cloth(cr, 128, 128);
    switch (kind) {
        case WELCOME:
            // Four seats round the table, partners in the same colour.
            MiniCard(cr, 64, 100, 0, 3, "A");
            MiniCard(cr, 64, 28, kPi, 0, "A");
            MiniCard(cr, 22, 64, kPi / 2, 2, "K");
            MiniCard(cr, 106, 64, -kPi / 2, 1, "K");
            Label(cr, "500", 64, 64, 20, kGold, 60);
            break;
        case DECK:
            for (int i = 0; i < 5; ++i)
                MiniCard(cr, 30 + i * 17, 62 + std::abs(i - 2) * 4, (i - 2) * 0.22, i == 2 ? 4 : i % 4,
                         i == 0 ? "5" : i == 1 ? "4" : i == 3 ? "4" : "5");
            Label(cr, "43 cards", 64, 112, 16, kGold, 110);
            break;
        case WHATSNEW: {
            StarPath(cr, 64, 58, 40);
            cairo_pattern_t* p = cairo_pattern_create_linear(0, 18, 0, 98);
            AddStop(p, 0, Rgb::Hex(0xFFE8A0));
            AddStop(p, 1, kGold);
            cairo_set_source(cr, p);
            cairo_fill_preserve(cr);
            cairo_pattern_destroy(p);
            SetColour(cr, kGoldDark);
            cairo_set_line_width(cr, 2);
            cairo_stroke(cr);
            Label(cr, "NEW", 64, 60, 17, kRed, 50);
            Label(cr, "1.90", 64, 112, 16, kGold, 100);
            break;
        }
        case BIDDING: {
            const char* bids[5] = {"6", "7", "8", "9", "10"};
            for (int i = 0; i < 5; ++i) {
                const double y = 106 - i * 20;
                RoundedRect(cr, 18 + i * 4, y - 8, 92 - i * 8, 17, 5);
                SetColour(cr, Rgb::Hex(0x202838).Mix(kGold, i * 0.18), 0.95);
                cairo_fill_preserve(cr);
                SetColour(cr, kGold);
                cairo_set_line_width(cr, 1);
                cairo_stroke(cr);
                Label(cr, bids[i], 44, y + 0.5, 12, Rgb::Hex(0xFFFFFF), 30);
                SuitPath(cr, i % 4, 84, y, 12);
                SetColour(cr, Rgb::Hex(0xFFFFFF));
                cairo_fill(cr);
            }
            break;
        }
        case MISERE:
            MiniCard(cr, 44, 60, -0.25, 1, "5");
            MiniCard(cr, 64, 56, 0, 4, "");
            MiniCard(cr, 84, 60, 0.25, 2, "4");
            cairo_arc(cr, 64, 60, 40, 0, 2 * kPi);
            cairo_move_to(cr, 36, 88);
            cairo_line_to(cr, 92, 32);
            SetColour(cr, kRed, 0.85);
            cairo_set_line_width(cr, 5);
            cairo_stroke(cr);
            Label(cr, "0 tricks", 64, 114, 14, kGold, 110);
            break;
        case KITTY:
            for (int i = 0; i < 3; ++i) MiniCard(cr, 34 + i * 30, 50, (i - 1) * 0.12, 0, "", false);
            cairo_move_to(cr, 64, 80);
            cairo_line_to(cr, 64, 98);
            cairo_move_to(cr, 56, 91);
            cairo_line_to(cr, 64, 100);
            cairo_line_to(cr, 72, 91);
            SetColour(cr, kGold);
            cairo_set_line_width(cr, 3);
            cairo_stroke(cr);
            Label(cr, "+3  -3", 64, 115, 14, kGold, 110);
            break;
        case PLAYING:
            MiniCard(cr, 64, 92, 0, 3, "Q");
            MiniCard(cr, 30, 62, 0.3, 3, "9");
            MiniCard(cr, 64, 34, 0.05, 3, "A");
            MiniCard(cr, 98, 62, -0.3, 2, "J");
            StarPath(cr, 64, 34, 8);
            SetColour(cr, kGold);
            cairo_fill(cr);
            break;
        case BOWERS:
            MiniCard(cr, 30, 58, -0.2, 4, "");
            MiniCard(cr, 64, 52, 0, 3, "J");
            MiniCard(cr, 98, 58, 0.2, 2, "J");
            Label(cr, "1", 30, 100, 14, kGold, 20);
            Label(cr, "2", 64, 94, 14, kGold, 20);
            Label(cr, "3", 98, 100, 14, kGold, 20);
            Label(cr, "Trumps", 64, 117, 12, Rgb::Hex(0xFFFFFF), 110);
            break;
        default: break;
    }
    // A thin inner edge, so the picture sits in the frame's window cleanly.
    cairo_rectangle(cr, 0.5, 0.5, 127, 127);
    SetColour(cr, Rgb{}, 0.5);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
}

bool HasBracket(const std::string& s) { return s.find_first_of("[]{}") != std::string::npos; }
}  // namespace

const std::vector<TutorialPicture>& TutorialPictures()
{
    static const std::vector<TutorialPicture> pictures = {
        {"Tutorial_Welcome.png", WELCOME}, {"Tutorial_Deck.png", DECK},       {"Tutorial_Whatsnew.png", WHATSNEW},
        {"Tutorial_Bidding.png", BIDDING}, {"Tutorial_Misere.png", MISERE},   {"Tutorial_Kitty.png", KITTY},
        {"Tutorial_Playing.png", PLAYING}, {"Tutorial_Bowers.png", BOWERS},
    };
    return pictures;
}

std::vector<uint8_t> TutorialFile(const std::string& sourceText)
{
    TQZKeyValue root;
    if (!root.ParseText(sourceText) || !root.IsArray() || root.ChildCount() == 0)
        throw std::runtime_error("Tutorial.json: not an array of page records");
    std::set<std::string> pictures;
    for (const TutorialPicture& p : TutorialPictures()) pictures.insert(p.file);
    std::map<std::string, int32_t> totals;
    std::set<std::string> pages;
    for (const TQZKeyValue* r : root.Children()) {
        const std::string id = r->GetString("ID");
        const int32_t page = r->GetInt("Page"), total = r->GetInt("TotalPages");
        const std::string where = "Tutorial.json: " + id + " page " + std::to_string(page);
        if (id.empty() || id.find(' ') != std::string::npos) throw std::runtime_error(where + ": bad ID");
        if (page < 1 || total < page) throw std::runtime_error(where + ": page outside 1..TotalPages");
        if (totals.count(id) && totals[id] != total) throw std::runtime_error(where + ": TotalPages differs");
        totals[id] = total;
        if (!pages.insert(id + " " + std::to_string(page)).second) throw std::runtime_error(where + ": twice");
        for (const char* key : {"Title", "Content", "Caption"})
            if (r->GetString(key).empty()) throw std::runtime_error(where + ": no " + key);
        const std::string image = r->GetString("Image");
        if (!image.empty() && !pictures.count(image)) throw std::runtime_error(where + ": no picture " + image);
        for (const TQZKeyValue* field : r->Children())
            if (HasBracket(field->Value())) throw std::runtime_error(where + ": brackets in " + field->Name());
    }
    for (const auto& [id, total] : totals)
        for (int32_t p = 1; p <= total; ++p)
            if (!pages.count(id + " " + std::to_string(p)))
                throw std::runtime_error("Tutorial.json: " + id + " has no page " + std::to_string(p));
    for (const TQZKeyValue* r : root.Children()) {
        const std::string next = r->GetString("NextPage");
        if (!next.empty() && !pages.count(next)) throw std::runtime_error("Tutorial.json: no next page " + next);
    }
    return std::vector<uint8_t>(sourceText.begin(), sourceText.end());
}

std::vector<uint8_t> TutorialFramePng()
{
    Canvas canvas(160, 190);
    cairo_t* cr = canvas.Context();
    // Gilt moulding lit from the top.
    RoundedRect(cr, 1, 1, 158, 188, 8);
    cairo_pattern_t* p = cairo_pattern_create_linear(0, 0, 0, 190);
    AddStop(p, 0, Rgb::Hex(0xFFE9A8));
    AddStop(p, 0.45, kGold);
    AddStop(p, 1, kGoldDark);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    RoundedRect(cr, 5, 5, 150, 180, 6);
    SetColour(cr, Rgb::Hex(0x5A4216));
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);
    // The picture's window, sunk into the moulding.
    cairo_rectangle(cr, 12, 15, 132, 132);
    SetColour(cr, Rgb::Hex(0x3A2A0C));
    cairo_fill(cr);
    cairo_rectangle(cr, 14, 17, 128, 128);
    SetColour(cr, kClothDark);
    cairo_fill(cr);
    // The caption plate.
    RoundedRect(cr, 18, 147, 124, 35, 4);
    cairo_pattern_t* plate = cairo_pattern_create_linear(0, 147, 0, 182);
    AddStop(plate, 0, Rgb::Hex(0xFFF8E4));
    AddStop(plate, 1, Rgb::Hex(0xE6D6AE));
    cairo_set_source(cr, plate);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(plate);
    SetColour(cr, kGoldDark);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    return canvas.Png();
}

std::vector<uint8_t> TutorialPicturePng(const TutorialPicture& picture)
{
    Canvas canvas(128, 128);
    DrawPicture(canvas.Context(), picture.kind);
    return canvas.Png();
}

}  // namespace ag
