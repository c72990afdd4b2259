#include "tfAtlas.h"

#include <algorithm>
#include <cstring>

namespace plat::typeface {

bool GlyphAtlas::Build(const Typeface& face, int32_t maxSide)
{
    for (int32_t side = 64; side <= maxSide; side *= 2)
        if (Pack(face, side)) return true;
    side_ = 0;
    page_.clear();
    entries_ = {};
    return false;
}

bool GlyphAtlas::Pack(const Typeface& face, int32_t side)
{
    entries_ = {};
    int32_t x = 1, y = 1, rowHeight = 0;
    for (int ch = 32; ch < 256; ++ch) {
        const Glyph& g = face.GetGlyph(uint8_t(ch));
        Entry& e = entries_[size_t(ch)];
        e.left = g.left;
        e.top = g.top;
        e.advance = g.advance;
        if (g.width == 0 || g.height == 0) continue;
        if (x + g.width + 1 > side) {
            x = 1;
            y += rowHeight + 1;
            rowHeight = 0;
        }
        if (x + g.width + 1 > side || y + g.height + 1 > side) return false;
        e.x = x;
        e.y = y;
        e.width = g.width;
        e.height = g.height;
        x += g.width + 1;
        rowHeight = std::max(rowHeight, g.height);
    }
    side_ = side;
    page_.assign(size_t(side) * size_t(side), 0);
    for (int ch = 32; ch < 256; ++ch) {
        const Entry& e = entries_[size_t(ch)];
        if (e.width == 0) continue;
        const Glyph& g = face.GetGlyph(uint8_t(ch));
        for (int32_t r = 0; r < e.height; ++r)
            std::memcpy(page_.data() + size_t(e.y + r) * size_t(side) + size_t(e.x),
                        g.coverage.data() + size_t(r) * size_t(g.width), size_t(g.width));
    }
    return true;
}

}  // namespace plat::typeface
