// Image stand-in: decodes PNG, JPEG, BMP, GIF and TGA into 32-bit BGRA rows
// and encodes PNG, JPEG and BMP, all in memory. Every decoder checks the
// sizes it is given against the data it has and never reads past it.
#pragma once
#include "imPixels.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace plat::imaging {

// Format from the leading bytes; TGA, which has no signature, is recognised
// by a plausible header.
ImageFormat DetectFormat(const uint8_t* data, size_t size);

// Size and format without decoding the pixels; false for data no decoder
// accepts or a size outside the limits.
[[nodiscard]] bool ReadImageInfo(const uint8_t* data, size_t size, ImageInfo& info);

// Whole image; on failure the image is left empty and error (when given)
// says why.
[[nodiscard]] bool DecodeImage(const uint8_t* data, size_t size, Image& out, std::string* error = nullptr);
[[nodiscard]] bool DecodeImageFile(std::string_view fileName, Image& out, std::string* error = nullptr);

// Reads a whole file (Windows-style names accepted); false when it cannot.
[[nodiscard]] bool ReadWholeFile(std::string_view fileName, std::vector<uint8_t>& out);

// Pixels equal to the ARGB key become transparent black; a key of 0 means
// no key. Returns the number of pixels changed.
size_t ApplyColourKey(Image& image, uint32_t key);

enum class EncodeFormat { Png, Jpeg, Bmp };
constexpr int JPEG_QUALITY = 90;

[[nodiscard]] bool EncodeImage(const Image& image, EncodeFormat format, std::vector<uint8_t>& out);

}  // namespace plat::imaging
