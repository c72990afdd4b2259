// Drawing surfaces for the generator: a cairo ARGB canvas that hands its
// pixels over as an image of the imaging stand-in, colours, rounded shapes
// and text in the installed faces (found by name through fontconfig).
#pragma once

#include <cairo.h>

#include <cstdint>
#include <string>
#include <vector>

#include "imImage.h"

namespace ag {

// An RGB colour from 0xRRGGBB, with components 0..1 for cairo.
struct Rgb {
    double r = 0, g = 0, b = 0;
    static constexpr Rgb Hex(uint32_t rgb)
    {
        return {double((rgb >> 16) & 0xFF) / 255.0, double((rgb >> 8) & 0xFF) / 255.0, double(rgb & 0xFF) / 255.0};
    }
    // This colour moved towards another by t (0 keeps it, 1 gives the other).
    Rgb Mix(const Rgb& other, double t) const
    {
        return {r + (other.r - r) * t, g + (other.g - g) * t, b + (other.b - b) * t};
    }
};

void SetColour(cairo_t* cr, const Rgb& c, double alpha = 1.0);
void AddStop(cairo_pattern_t* p, double offset, const Rgb& c, double alpha = 1.0);

// One image surface with its context; transparent when made.
class Canvas {
public:
    Canvas(int32_t width, int32_t height);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    cairo_t* Context() const { return cr_; }
    cairo_surface_t* Surface() const { return surface_; }
    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }

    // Straight (not premultiplied) BGRA pixels.
    plat::imaging::Image ToImage() const;
    std::vector<uint8_t> Png() const;
    // Pixels given back from an image (straight alpha), for pixel work such
    // as noise that is then composed further with cairo.
    void FromImage(const plat::imaging::Image& image);

private:
    int32_t width_, height_;
    cairo_surface_t* surface_;
    cairo_t* cr_;
};

// Saves the context's state for the scope.
class Saved {
public:
    explicit Saved(cairo_t* cr) : cr_(cr) { cairo_save(cr_); }
    ~Saved() { cairo_restore(cr_); }
    Saved(const Saved&) = delete;
    Saved& operator=(const Saved&) = delete;

private:
    cairo_t* cr_;
};

void RoundedRect(cairo_t* cr, double x, double y, double w, double h, double radius);

// The installed file of a typeface family; throws when fontconfig can only
// offer a stand-in (the generated files would silently change).
std::string RequireFaceFile(const std::string& family, bool bold, int32_t* index = nullptr);

// The typefaces the generator draws text with.
enum class Face { SansBold, SansCondensedBold, SerifBold, Sans };

// A cairo face for the installed typeface (cached for the run); the same
// files serve the texture fonts, so the two look alike.
cairo_font_face_t* FontFace(Face face);
void UseFont(cairo_t* cr, Face face, double size);

struct TextBox {
    double x = 0, y = 0, width = 0, height = 0;  // ink box relative to the origin
    double advance = 0;
};
TextBox MeasureText(cairo_t* cr, const std::string& text);

// Adds the outline of the text with its ink box centred on (cx, cy),
// squeezed horizontally to at most maxWidth (0 = no limit).
void CentredTextPath(cairo_t* cr, const std::string& text, double cx, double cy, double maxWidth = 0);

// A fixed pseudo-random sequence, the same on every machine (the standard
// distributions are not), for noise and scattered details.
class Random {
public:
    explicit Random(uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 1) {}
    uint64_t Next();
    double Unit();                          // 0 <= x < 1
    double Range(double low, double high);  // low <= x < high
    int32_t Int(int32_t low, int32_t high);  // low..high inclusive

private:
    uint64_t state_;
};

}  // namespace ag
