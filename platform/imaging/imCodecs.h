// Decoders and encoders behind imImage.h, one per library.
#pragma once
#include "imPixels.h"

#include <string>
#include <vector>

namespace plat::imaging::detail {

bool PngInfo(const uint8_t* data, size_t size, ImageInfo& info);
bool PngDecode(const uint8_t* data, size_t size, Image& out, std::string& error);
bool PngEncode(const Image& image, std::vector<uint8_t>& out);

bool JpegInfo(const uint8_t* data, size_t size, ImageInfo& info);
bool JpegDecode(const uint8_t* data, size_t size, Image& out, std::string& error);
bool JpegEncode(const Image& image, int quality, std::vector<uint8_t>& out);

// BMP, GIF (first frame) and TGA.
bool StbInfo(const uint8_t* data, size_t size, ImageInfo& info);
bool StbDecode(const uint8_t* data, size_t size, Image& out, std::string& error);
bool StbLooksLikeTga(const uint8_t* data, size_t size);

bool BmpEncode(const Image& image, std::vector<uint8_t>& out);

}  // namespace plat::imaging::detail
