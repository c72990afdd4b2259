// Decoders and encoders behind imImage.h, one per library.
#pragma once
#include "imPixels.h"

#include <string>
#include <vector>

namespace plat::imaging::detail {

[[nodiscard]] bool PngInfo(const uint8_t* data, size_t size, ImageInfo& info);
[[nodiscard]] bool PngDecode(const uint8_t* data, size_t size, Image& out, std::string& error);
[[nodiscard]] bool PngEncode(const Image& image, std::vector<uint8_t>& out);

[[nodiscard]] bool JpegInfo(const uint8_t* data, size_t size, ImageInfo& info);
[[nodiscard]] bool JpegDecode(const uint8_t* data, size_t size, Image& out, std::string& error);
[[nodiscard]] bool JpegEncode(const Image& image, int quality, std::vector<uint8_t>& out);

// BMP, GIF (first frame) and TGA.
[[nodiscard]] bool StbInfo(const uint8_t* data, size_t size, ImageInfo& info);
[[nodiscard]] bool StbDecode(const uint8_t* data, size_t size, Image& out, std::string& error);
bool StbLooksLikeTga(const uint8_t* data, size_t size);

[[nodiscard]] bool BmpEncode(const Image& image, std::vector<uint8_t>& out);

}  // namespace plat::imaging::detail
