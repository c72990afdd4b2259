// Every glyph of one typeface packed into one 8-bit coverage page, so that a
// device can draw text as textured quads from a single texture.
#pragma once
#include <array>
#include <cstdint>
#include <vector>

#include "tfFace.h"

namespace plat::typeface {

class GlyphAtlas {
public:
    struct Entry {
        int32_t x = 0, y = 0;           // top-left corner in the page
        int32_t width = 0, height = 0;  // 0 for glyphs without pixels
        int32_t left = 0, top = 0;      // placement relative to pen and baseline
        int32_t advance = 0;
    };

    // Packs the glyphs of bytes 32 to 255 in rows, one pixel apart, into the
    // smallest power-of-two square (at most maxSide) that holds them. False
    // when they do not fit.
    [[nodiscard]] bool Build(const Typeface& face, int32_t maxSide = 2048);

    int32_t Side() const { return side_; }
    const std::vector<uint8_t>& Page() const { return page_; }  // side x side bytes
    const Entry& At(uint8_t ch) const { return entries_[ch]; }

private:
    [[nodiscard]] bool Pack(const Typeface& face, int32_t side);
    int32_t side_ = 0;
    std::vector<uint8_t> page_;
    std::array<Entry, 256> entries_{};
};

}  // namespace plat::typeface
