#include "agCanvas.h"

#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <stdexcept>

#include "tfFace.h"

namespace ag {

void SetColour(cairo_t* cr, const Rgb& c, double alpha)
{
    cairo_set_source_rgba(cr, c.r, c.g, c.b, alpha);
}

void AddStop(cairo_pattern_t* p, double offset, const Rgb& c, double alpha)
{
    cairo_pattern_add_color_stop_rgba(p, offset, c.r, c.g, c.b, alpha);
}

Canvas::Canvas(int32_t width, int32_t height)
    : width_(width), height_(height),
      surface_(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height)),
      cr_(cairo_create(surface_))
{
    if (cairo_surface_status(surface_) != CAIRO_STATUS_SUCCESS)
        throw std::runtime_error("cannot make a " + std::to_string(width) + "x" + std::to_string(height) + " canvas");
    cairo_set_antialias(cr_, CAIRO_ANTIALIAS_GOOD);
}

Canvas::~Canvas()
{
    cairo_destroy(cr_);
    cairo_surface_destroy(surface_);
}

plat::imaging::Image Canvas::ToImage() const
{
    cairo_surface_flush(surface_);
    plat::imaging::Image image;
    if (!image.Allocate(width_, height_)) throw std::runtime_error("cannot hold the canvas as a picture");
    const uint8_t* data = cairo_image_surface_get_data(surface_);
    const int stride = cairo_image_surface_get_stride(surface_);
    for (int32_t y = 0; y < height_; ++y) {
        const uint32_t* row = reinterpret_cast<const uint32_t*>(data + size_t(y) * size_t(stride));
        uint8_t* out = image.pixels.data() + size_t(y) * size_t(width_) * 4;
        for (int32_t x = 0; x < width_; ++x) {
            uint32_t p = row[x];
            uint32_t a = p >> 24;
            uint32_t r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
            if (a != 0 && a != 255) {  // cairo keeps colour premultiplied by alpha
                r = (r * 255 + a / 2) / a;
                g = (g * 255 + a / 2) / a;
                b = (b * 255 + a / 2) / a;
            }
            if (a == 0) r = g = b = 0;
            out[4 * x + 0] = uint8_t(b > 255 ? 255 : b);
            out[4 * x + 1] = uint8_t(g > 255 ? 255 : g);
            out[4 * x + 2] = uint8_t(r > 255 ? 255 : r);
            out[4 * x + 3] = uint8_t(a);
        }
    }
    return image;
}

std::vector<uint8_t> Canvas::Png() const
{
    std::vector<uint8_t> out;
    if (!plat::imaging::EncodeImage(ToImage(), plat::imaging::EncodeFormat::Png, out))
        throw std::runtime_error("PNG encoding failed");
    return out;
}

void Canvas::FromImage(const plat::imaging::Image& image)
{
    cairo_surface_flush(surface_);
    uint8_t* data = cairo_image_surface_get_data(surface_);
    const int stride = cairo_image_surface_get_stride(surface_);
    for (int32_t y = 0; y < height_ && y < image.height; ++y) {
        uint32_t* row = reinterpret_cast<uint32_t*>(data + size_t(y) * size_t(stride));
        const uint8_t* in = image.pixels.data() + size_t(y) * size_t(image.width) * 4;
        for (int32_t x = 0; x < width_ && x < image.width; ++x) {
            uint32_t a = in[4 * x + 3];
            uint32_t r = (in[4 * x + 2] * a + 127) / 255, g = (in[4 * x + 1] * a + 127) / 255,
                     b = (in[4 * x + 0] * a + 127) / 255;
            row[x] = (a << 24) | (r << 16) | (g << 8) | b;
        }
    }
    cairo_surface_mark_dirty(surface_);
}

void RoundedRect(cairo_t* cr, double x, double y, double w, double h, double radius)
{
    double r = std::min(radius, std::min(w, h) / 2);
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
    cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
    cairo_arc(cr, x + r, y + r, r, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr);
}

namespace {

struct FaceSpec {
    const char* family;
    bool bold;
};
// Each face is asked for by family; fontconfig names the installed file.
constexpr std::array<FaceSpec, 4> kFaces = {{
    {"DejaVu Sans", true},
    {"DejaVu Sans Condensed", true},
    {"DejaVu Serif", true},
    {"DejaVu Sans", false},
}};

struct LoadedFaces {
    FT_Library library = nullptr;
    std::array<FT_Face, kFaces.size()> ft{};
    std::array<cairo_font_face_t*, kFaces.size()> cairo{};
    ~LoadedFaces()
    {
        for (size_t i = 0; i < ft.size(); ++i) {
            if (cairo[i]) cairo_font_face_destroy(cairo[i]);
            if (ft[i]) FT_Done_Face(ft[i]);
        }
        if (library) FT_Done_FreeType(library);
    }
};

LoadedFaces& Faces()
{
    static LoadedFaces faces;
    return faces;
}

}  // namespace

std::string RequireFaceFile(const std::string& family, bool bold, int32_t* index)
{
    plat::typeface::FaceFile file;
    if (!plat::typeface::ResolveFace(family, bold, false, file))
        throw std::runtime_error("no installed face for " + family);
    std::string stem = family;
    stem.erase(std::remove(stem.begin(), stem.end(), ' '), stem.end());
    std::string base = file.path.substr(file.path.find_last_of('/') + 1);
    if (base.rfind(stem, 0) != 0)
        throw std::runtime_error("the typeface " + family + " is not installed (fontconfig offers " + base +
                                 "); see scripts/packages.txt");
    if (index) *index = file.index;
    return file.path;
}

cairo_font_face_t* FontFace(Face face)
{
    LoadedFaces& f = Faces();
    size_t i = size_t(face);
    if (f.cairo[i]) return f.cairo[i];
    if (!f.library && FT_Init_FreeType(&f.library) != 0) throw std::runtime_error("FreeType does not start");
    int32_t index = 0;
    std::string path = RequireFaceFile(kFaces[i].family, kFaces[i].bold, &index);
    if (FT_New_Face(f.library, path.c_str(), index, &f.ft[i]) != 0) throw std::runtime_error("cannot open " + path);
    // Unhinted outlines: the same shapes at every size and on every machine.
    f.cairo[i] = cairo_ft_font_face_create_for_ft_face(f.ft[i], FT_LOAD_NO_HINTING);
    return f.cairo[i];
}

void UseFont(cairo_t* cr, Face face, double size)
{
    cairo_set_font_face(cr, FontFace(face));
    cairo_set_font_size(cr, size);
    cairo_font_options_t* o = cairo_font_options_create();
    cairo_font_options_set_hint_style(o, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(o, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_antialias(o, CAIRO_ANTIALIAS_GRAY);
    cairo_set_font_options(cr, o);
    cairo_font_options_destroy(o);
}

TextBox MeasureText(cairo_t* cr, const std::string& text)
{
    cairo_text_extents_t e;
    cairo_text_extents(cr, text.c_str(), &e);
    return {e.x_bearing, e.y_bearing, e.width, e.height, e.x_advance};
}

void CentredTextPath(cairo_t* cr, const std::string& text, double cx, double cy, double maxWidth)
{
    TextBox b = MeasureText(cr, text);
    double sx = (maxWidth > 0 && b.width > maxWidth) ? maxWidth / b.width : 1.0;
    Saved s(cr);
    cairo_translate(cr, cx, cy);
    cairo_scale(cr, sx, 1.0);
    cairo_move_to(cr, -b.x - b.width / 2, -b.y - b.height / 2);
    cairo_text_path(cr, text.c_str());
}

uint64_t Random::Next()
{
    // splitmix64
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

double Random::Unit() { return double(Next() >> 11) * (1.0 / 9007199254740992.0); }

double Random::Range(double low, double high) { return low + (high - low) * Unit(); }

int32_t Random::Int(int32_t low, int32_t high)
{
    return low + int32_t(Next() % uint64_t(int64_t(high) - low + 1));
}

}  // namespace ag
