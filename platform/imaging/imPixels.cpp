#include "imPixels.h"

#include <cstring>

namespace plat::imaging {

namespace detail {
bool SizeAllowed(int64_t width, int64_t height)
{
    return width > 0 && height > 0 && width <= MAX_IMAGE_SIDE && height <= MAX_IMAGE_SIDE &&
           width * height <= MAX_IMAGE_PIXELS;
}
}  // namespace detail

uint32_t Image::Pixel(int32_t x, int32_t y) const
{
    if (x < 0 || y < 0 || x >= width || y >= height) return 0;
    uint32_t v;
    std::memcpy(&v, pixels.data() + (size_t(y) * size_t(width) + size_t(x)) * 4, 4);
    return v;
}

void Image::SetPixel(int32_t x, int32_t y, uint32_t argb)
{
    if (x < 0 || y < 0 || x >= width || y >= height) return;
    std::memcpy(pixels.data() + (size_t(y) * size_t(width) + size_t(x)) * 4, &argb, 4);
}

bool Image::Allocate(int32_t w, int32_t h, uint32_t argb)
{
    if (!detail::SizeAllowed(w, h)) {
        *this = Image();
        return false;
    }
    width = w;
    height = h;
    pixels.resize(size_t(w) * size_t(h) * 4);
    for (size_t i = 0; i < pixels.size(); i += 4) std::memcpy(pixels.data() + i, &argb, 4);
    return true;
}

}  // namespace plat::imaging
