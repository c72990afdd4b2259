// Values shared by the device-context stand-in and its callers: colour
// references, rectangles, points, gradient vertices and the numeric codes
// the system passes.
#pragma once
#include <algorithm>
#include <cstdint>

namespace plat::gdi {

// 0x00BBGGRR: red in the low byte, no alpha.
using ColorRef = uint32_t;
constexpr ColorRef MakeColorRef(uint8_t r, uint8_t g, uint8_t b)
{
    return uint32_t(r) | (uint32_t(g) << 8) | (uint32_t(b) << 16);
}
// From an ARGB value: red and blue swap places, alpha is dropped.
constexpr ColorRef ColorRefFromArgb(uint32_t argb)
{
    return ((argb >> 16) & 0xFF) | (argb & 0xFF00) | ((argb & 0xFF) << 16);
}
// To the opaque ARGB pixel a colour reference paints.
constexpr uint32_t ArgbFromColorRef(ColorRef c)
{
    return 0xFF000000u | ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

struct Point {
    int32_t x = 0, y = 0;
};

struct Rect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    int32_t Width() const { return right - left; }
    int32_t Height() const { return bottom - top; }
    bool Empty() const { return right <= left || bottom <= top; }
    Rect Intersect(const Rect& o) const
    {
        return {std::max(left, o.left), std::max(top, o.top), std::min(right, o.right),
                std::min(bottom, o.bottom)};
    }
    bool operator==(const Rect&) const = default;
};

// A gradient vertex: 16 bits a channel (an 8-bit value x 257).
struct TriVertex {
    int32_t x = 0, y = 0;
    uint16_t red = 0, green = 0, blue = 0, alpha = 0;
};

// Raster operations.
constexpr uint32_t ROP_SRCCOPY = 0x00CC0020;
constexpr uint32_t ROP_PATCOPY = 0x00F00021;
constexpr uint32_t ROP_DSTINVERT = 0x00550009;
constexpr uint32_t ROP_BLACKNESS = 0x00000042;
constexpr uint32_t ROP_WHITENESS = 0x00FF0062;

// Background modes and stretching modes.
constexpr int32_t BKMODE_TRANSPARENT = 1;
constexpr int32_t BKMODE_OPAQUE = 2;
constexpr int32_t STRETCH_COLORONCOLOR = 3;
constexpr int32_t STRETCH_HALFTONE = 4;

}  // namespace plat::gdi
