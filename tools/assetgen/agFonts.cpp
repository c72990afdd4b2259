#include "agFonts.h"

#include <algorithm>
#include <stdexcept>

#include "agCanvas.h"
#include "imImage.h"
#include "qz7core.h"
#include "qz7fontfile.h"
#include "tfFace.h"

namespace ag {

const std::vector<FontSpec>& FontSpecs()
{
    // The resource ids 1..5 in order: alien 17, 20 and 36 are the bold sans
    // of the interface, narrow 20 a condensed sans for tight columns,
    // monospace 20 the list boxes and the console.
    static const std::vector<FontSpec> specs = {
        {"alien17.qz7", "DejaVu Sans", true, 17, 2},
        {"alien20.qz7", "DejaVu Sans", true, 20, 2},
        {"alien36.qz7", "DejaVu Sans", true, 36, 3},
        {"narrow20.qz7", "DejaVu Sans Condensed", true, 20, 2},
        {"monospace20.qz7", "DejaVu Sans Mono", false, 20, 1},
    };
    return specs;
}

namespace {

using plat::typeface::Typeface;

// The largest size whose line (ascent + descent) fits the font's line height.
std::unique_ptr<Typeface> FittingFace(const FontSpec& spec)
{
    RequireFaceFile(spec.family, spec.bold);
    for (int32_t size = spec.lineHeight; size >= 4; --size) {
        auto face = Typeface::Open(spec.family, size, spec.bold);
        if (!face) throw std::runtime_error(std::string("no installed face for ") + spec.family);
        if (face->LineHeight() <= spec.lineHeight) return face;
    }
    throw std::runtime_error(std::string("no size of ") + spec.family + " fits");
}

struct Cell {
    int32_t x = 0, y = 0, width = 0;
    int32_t origin = 0;  // pen position inside the cell
};

}  // namespace

std::vector<uint8_t> RenderFont(const FontSpec& spec)
{
    std::unique_ptr<Typeface> face = FittingFace(spec);
    const int32_t lineHeight = spec.lineHeight;
    const int32_t baseline = (lineHeight - face->LineHeight()) / 2 + face->Ascent();

    // A glyph's quad is its advance wide and overlaps the next one by 2
    // pixels (the pen moves advance - 2), so the pen stands 1 pixel into
    // its cell; ink that reaches further widens the cell.
    std::vector<Cell> cells(QZ7FONT_GLYPHS);
    const int32_t textureWidth = lineHeight > 30 ? 512 : 256, gap = 2;
    int32_t x = gap, y = gap;
    for (int32_t n = 0; n < QZ7FONT_GLYPHS; ++n) {
        const auto& g = face->GetGlyph(uint8_t(QZ7FONT_FIRST_CODE + n));
        Cell& c = cells[size_t(n)];
        c.origin = std::max(1, -g.left);
        c.width = std::max(g.advance + 2, c.origin + g.left + g.width);
        if (x + c.width + gap > textureWidth) {
            x = gap;
            y += lineHeight + gap;
        }
        c.x = x;
        c.y = y;
        x += c.width + gap;
    }
    int32_t textureHeight = 16;
    while (textureHeight < y + lineHeight + gap) textureHeight *= 2;

    plat::imaging::Image image;
    if (!image.Allocate(textureWidth, textureHeight, 0x00FFFFFF))
        throw std::runtime_error("cannot make a " + std::to_string(textureWidth) + "x" + std::to_string(textureHeight) +
                                 " font texture");
    TQZ7FontFile font;
    font.lineHeight = lineHeight;
    font.lineGap = spec.lineGap;
    for (int32_t n = 0; n < QZ7FONT_GLYPHS; ++n) {
        const auto& g = face->GetGlyph(uint8_t(QZ7FONT_FIRST_CODE + n));
        const Cell& c = cells[size_t(n)];
        // White glyphs whose alpha is the coverage: the draw colour tints them.
        for (int32_t gy = 0; gy < g.height; ++gy) {
            int32_t py = c.y + baseline - g.top + gy;
            if (py < c.y || py >= c.y + lineHeight) continue;
            for (int32_t gx = 0; gx < g.width; ++gx) {
                uint8_t cover = g.coverage[size_t(gy) * size_t(g.width) + size_t(gx)];
                if (cover) image.SetPixel(c.x + c.origin + g.left + gx, py, (uint32_t(cover) << 24) | 0xFFFFFF);
            }
        }
        TQZ7FontGlyph& out = font.glyphs[size_t(n)];
        out.advance = c.width;
        out.left = float(c.x) / float(textureWidth);
        out.top = float(c.y) / float(textureHeight);
        out.right = float(c.x + c.width) / float(textureWidth);
        out.bottom = float(c.y + lineHeight) / float(textureHeight);
    }
    std::vector<uint8_t> png, file;
    if (!plat::imaging::EncodeImage(image, plat::imaging::EncodeFormat::Png, png))
        throw std::runtime_error("PNG encoding failed");
    if (WriteQZ7Font(font, png.data(), png.size(), file) != QZRES_OK)
        throw std::runtime_error(std::string("cannot write ") + spec.file);
    return file;
}

}  // namespace ag
