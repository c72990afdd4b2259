#include "agContactSheet.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "agArt.h"
#include "agCards.h"
#include "agTextures.h"

namespace ag {

namespace {

// A decoded image file as a cairo surface (premultiplied).
cairo_surface_t* Decode(const std::vector<uint8_t>& bytes)
{
    plat::imaging::Image image;
    if (!plat::imaging::DecodeImage(bytes.data(), bytes.size(), image))
        throw std::runtime_error("contact sheet: an image does not decode");
    Canvas c(image.width, image.height);
    c.FromImage(image);
    cairo_surface_t* s = cairo_surface_reference(c.Surface());
    return s;
}

void Caption(cairo_t* cr, const std::string& text, double x, double y)
{
    UseFont(cr, Face::Sans, 13);
    cairo_move_to(cr, x, y);
    cairo_text_path(cr, text.c_str());
    SetColour(cr, Rgb::Hex(0xE0E0E0));
    cairo_fill(cr);
}

// A checkerboard behind textures, so their transparent parts show.
void Checker(cairo_t* cr, double x, double y, double w, double h)
{
    Saved s(cr);
    cairo_rectangle(cr, x, y, w, h);
    cairo_clip(cr);
    SetColour(cr, Rgb::Hex(0x6A6A6A));
    cairo_paint(cr);
    for (double j = 0; j < h; j += 8)
        for (double i = (int(j / 8) % 2) * 8; i < w; i += 16) cairo_rectangle(cr, x + i, y + j, 8, 8);
    SetColour(cr, Rgb::Hex(0x8A8A8A));
    cairo_fill(cr);
}

const AssetFile* Find(const std::vector<AssetFile>& files, const std::string& path)
{
    for (const AssetFile& f : files)
        if (f.path == path) return &f;
    return nullptr;
}

}  // namespace

std::vector<uint8_t> ContactSheetPng(const std::vector<AssetFile>& files)
{
    const int32_t width = 2780;
    const CardsetStyle& basic = Cardsets()[0];
    const CardsetStyle& four = Cardsets()[1];
    const int32_t cardRows = (basic.height + 8) * 5 + (four.height + 8) * 5 + 120;
    // Where each texture goes, rows filled left to right.
    struct Place {
        double x, y;
    };
    std::vector<Place> places;
    double px = 10, py = cardRows + 20, rowHeight = 0;
    for (const TextureSheet& sheet : TextureSheets()) {
        if (px + sheet.width > width - 10) {
            px = 10;
            py += rowHeight + 30;
            rowHeight = 0;
        }
        places.push_back({px, py});
        px += std::max(sheet.width, 170) + 20;  // room for the caption
        rowHeight = std::max<double>(rowHeight, sheet.height + 18);
    }
    Canvas canvas(width, int32_t(py + rowHeight + 20));
    cairo_t* cr = canvas.Context();
    SetColour(cr, Rgb::Hex(0x2B2E33));
    cairo_paint(cr);

    // The cardsets, on the green table, then the backs.
    double y = 10;
    if (const AssetFile* table = Find(files, "Tables/Green.jpg")) {
        cairo_surface_t* t = Decode(table->bytes);
        Saved s(cr);
        cairo_rectangle(cr, 0, 0, width, cardRows);
        cairo_clip(cr);
        cairo_scale(cr, double(width) / 1920.0, double(cardRows) / 1080.0);
        cairo_set_source_surface(cr, t, 0, 0);
        cairo_paint(cr);
        cairo_surface_destroy(t);
    }
    for (const CardsetStyle* set : {&basic, &four}) {
        Caption(cr, set->file, 10, y + 12);
        y += 20;
        for (int32_t card = 0; card < CARD_SLOTS + 2; ++card) {
            Saved s(cr);
            cairo_translate(cr, 10 + (card % 13) * (set->width + 8), y + (card / 13) * (set->height + 8));
            if (card < CARD_SLOTS) {
                DrawCard(cr, *set, card);
            } else {
                const CardbackStyle& back = Cardbacks()[size_t(card - CARD_SLOTS)];
                cairo_surface_t* b = Decode(CardbackPng(back, set->width, set->height));
                cairo_set_source_surface(cr, b, 0, 0);
                cairo_paint(cr);
                cairo_surface_destroy(b);
            }
        }
        y += 5 * (set->height + 8) + 20;
    }

    // The textures, each on a checkerboard.
    const AssetFile* archive = Find(files, "Assets/Misc/Textures.ice");
    auto ice = std::make_unique<TQZIceData>();
    // A sheet without a readable archive shows its textures as missing cells.
    if (archive) (void)ice->LoadFromBytes(archive->bytes.data(), int64_t(archive->bytes.size()));
    for (size_t i = 0; i < TextureSheets().size(); ++i) {
        const TextureSheet& sheet = TextureSheets()[i];
        const TQZIceData* node = ice->GetChildById(sheet.id);
        if (!node) continue;
        std::vector<uint8_t> png(size_t(node->Data().Size()));
        node->ReadData(0, png.data(), int32_t(png.size()));
        const double x = places[i].x, ty = places[i].y;
        Caption(cr, std::to_string(sheet.id) + " " + sheet.name, x, ty + 13);
        Checker(cr, x, ty + 18, sheet.width, sheet.height);
        cairo_surface_t* t = Decode(png);
        cairo_set_source_surface(cr, t, x, ty + 18);
        cairo_paint(cr);
        cairo_surface_destroy(t);
    }
    return canvas.Png();
}

}  // namespace ag
