// Image stand-in: decodes PNG, JPEG, BMP, GIF and TGA into 32-bit BGRA rows
// and encodes PNG, JPEG and BMP, all in memory. Every decoder checks the
// sizes it is given against the data it has and never reads past it.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
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
    bool Allocate(int32_t w, int32_t h, uint32_t argb = 0);
};

struct ImageInfo {
    int32_t width = 0;
    int32_t height = 0;
    ImageFormat format = ImageFormat::Unknown;
};

// Format from the leading bytes; TGA, which has no signature, is recognised
// by a plausible header.
ImageFormat DetectFormat(const uint8_t* data, size_t size);

// Size and format without decoding the pixels; false for data no decoder
// accepts or a size outside the limits.
bool ReadImageInfo(const uint8_t* data, size_t size, ImageInfo& info);

// Whole image; on failure the image is left empty and error (when given)
// says why.
bool DecodeImage(const uint8_t* data, size_t size, Image& out, std::string* error = nullptr);
bool DecodeImageFile(std::string_view fileName, Image& out, std::string* error = nullptr);

// Reads a whole file (Windows-style names accepted); false when it cannot.
bool ReadWholeFile(std::string_view fileName, std::vector<uint8_t>& out);

// Pixels equal to the ARGB key become transparent black; a key of 0 means
// no key. Returns the number of pixels changed.
size_t ApplyColourKey(Image& image, uint32_t key);

enum class EncodeFormat { Png, Jpeg, Bmp };
constexpr int JPEG_QUALITY = 90;

bool EncodeImage(const Image& image, EncodeFormat format, std::vector<uint8_t>& out);

}  // namespace plat::imaging
