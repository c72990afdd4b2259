// Text layout shared by every text drawer: lines, word breaks, alignment and
// the measuring pass, with the format bits the system's text calls use.
#pragma once
#include <cstdint>
#include <string_view>
#include <vector>

namespace plat::typeface {

// Format bits of a text call (the system's own numeric values).
constexpr uint32_t TEXT_LEFT = 0x000;
constexpr uint32_t TEXT_CENTER = 0x001;
constexpr uint32_t TEXT_RIGHT = 0x002;
constexpr uint32_t TEXT_VCENTER = 0x004;
constexpr uint32_t TEXT_BOTTOM = 0x008;
constexpr uint32_t TEXT_WORDBREAK = 0x010;
constexpr uint32_t TEXT_SINGLELINE = 0x020;
constexpr uint32_t TEXT_NOCLIP = 0x100;
constexpr uint32_t TEXT_CALCRECT = 0x400;

struct TextRect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    int32_t Width() const { return right - left; }
    int32_t Height() const { return bottom - top; }
    bool operator==(const TextRect&) const = default;
};

// What layout needs to know of a face: whole-pixel advances of 8-bit
// characters and the height of one line.
class TextMetrics {
public:
    virtual ~TextMetrics() = default;
    virtual int32_t Advance(uint8_t ch) const = 0;
    virtual int32_t LineHeight() const = 0;
    int32_t TextWidth(std::string_view text) const;
};

struct PlacedGlyph {
    uint8_t ch;
    int32_t x;  // pen position of the glyph's origin
    int32_t y;  // top of its line
};

struct TextLayout {
    std::vector<PlacedGlyph> glyphs;
    // The rectangle the text takes: left and top of the layout rectangle
    // with CALCRECT, else the lines' own box after alignment.
    TextRect bounds;
    int32_t lines = 0;
    // Where drawing is clipped: the layout rectangle, unless NOCLIP.
    bool clipped = true;
};

// Lines end at CR, LF or CR LF (unless SINGLELINE) and, with WORDBREAK, at
// the last space before the width is passed; a word longer than the width
// stays whole on its own line. Spaces that end a broken line take no room.
// Vertical centring and bottom alignment apply to the whole block of lines.
// With CALCRECT nothing is placed: bounds keep the rectangle's left and top
// and get the widest line's width and the lines' height.
TextLayout LayoutText(const TextMetrics& metrics, std::string_view text, const TextRect& rect,
                      uint32_t format);

}  // namespace plat::typeface
