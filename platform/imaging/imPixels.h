// The image in memory: 32-bit BGRA rows with their size limits, and what a
// decoder reports before decoding. Shared by imImage and the codecs.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace plat::imaging {

// Largest side and pixel count a decoder accepts; larger images are refused
// before anything is allocated for them.
constexpr int32_t MAX_IMAGE_SIDE = 16384;
constexpr int64_t MAX_IMAGE_PIXELS = int64_t(8192) * 8192;

enum class ImageFormat { Unknown, Png, Jpeg, Bmp, Gif, Tga };

// Rows from the top, stride width x 4, each pixel the bytes B, G, R, A
// (an ARGB value when read as a little-endian 32-bit word).
struct Image {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> pixels;

    bool Empty() const { return width <= 0 || height <= 0; }
    uint32_t Pixel(int32_t x, int32_t y) const;
    void SetPixel(int32_t x, int32_t y, uint32_t argb);
    // A width x height image filled with one ARGB value; false when the size
    // is outside the limits above.
    [[nodiscard]] bool Allocate(int32_t w, int32_t h, uint32_t argb = 0);
};

struct ImageInfo {
    int32_t width = 0;
    int32_t height = 0;
    ImageFormat format = ImageFormat::Unknown;
};

namespace detail {
// Whether a decoder may allocate an image of this size (the limits above).
bool SizeAllowed(int64_t width, int64_t height);
}  // namespace detail

}  // namespace plat::imaging
