// System typefaces by face name: fontconfig picks an installed face for the
// name asked for (metric-compatible stand-ins where there are some), and
// FreeType rasterises its glyphs into 8-bit coverage bitmaps.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tfLayout.h"

namespace plat::typeface {

struct FaceFile {
    std::string path;
    int32_t index = 0;
    std::string family;  // the installed family that stands in
};

// The installed face that serves the name; false only when the system has
// no fonts at all.
[[nodiscard]] bool ResolveFace(std::string_view name, bool bold, bool italic, FaceFile& out);

// One rasterised glyph: coverage rows of width bytes, 0 (none) to 255
// (full), placed left pixels right of the pen and top pixels above the
// baseline.
struct Glyph {
    int32_t width = 0;
    int32_t height = 0;
    int32_t left = 0;
    int32_t top = 0;
    int32_t advance = 0;
    std::vector<uint8_t> coverage;
};

// The Unicode character an 8-bit text byte stands for (Windows-1252).
uint32_t CodePointOf(uint8_t ch);

class Typeface final : public TextMetrics {
public:
    // size is the character height in pixels (the em square). Null when the
    // face cannot be loaded or the size is below 1.
    static std::unique_ptr<Typeface> Open(std::string_view name, int32_t size, bool bold = false,
                                          bool italic = false);
    ~Typeface() override;
    Typeface(const Typeface&) = delete;
    Typeface& operator=(const Typeface&) = delete;

    const FaceFile& File() const { return file_; }
    int32_t Size() const { return size_; }
    int32_t Ascent() const { return ascent_; }
    int32_t Descent() const { return descent_; }
    // Ascent + descent: the height of one line of text.
    int32_t LineHeight() const override { return ascent_ + descent_; }
    int32_t Advance(uint8_t ch) const override;

    // Rasterised on first use and kept.
    const Glyph& GetGlyph(uint8_t ch) const;

private:
    struct Impl;
    explicit Typeface(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
    FaceFile file_;
    int32_t size_ = 0;
    int32_t ascent_ = 0;
    int32_t descent_ = 0;
    mutable std::array<std::optional<Glyph>, 256> glyphs_;
};

// Coverage of text laid out by LayoutText, handed over glyph by glyph with
// the pixel position of each bitmap's top-left corner.
template <class Visit>
void ForEachGlyphBitmap(const Typeface& face, const TextLayout& layout, Visit&& visit)
{
    for (const PlacedGlyph& p : layout.glyphs) {
        const Glyph& g = face.GetGlyph(p.ch);
        if (g.width > 0 && g.height > 0)
            visit(g, p.x + g.left, p.y + face.Ascent() - g.top);
    }
}

}  // namespace plat::typeface
