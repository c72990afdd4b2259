// Shared helpers of the generator's tests: the generated files in the
// build's runtime folder, decoded.
#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "imImage.h"

namespace agtest {

inline std::string RuntimePath(const std::string& relative) { return std::string(VQ_RUNTIME_DIR) + "/" + relative; }

inline std::vector<uint8_t> ReadRuntimeFile(const std::string& relative)
{
    std::ifstream in(RuntimePath(relative), std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline plat::imaging::Image Decode(const std::vector<uint8_t>& bytes)
{
    plat::imaging::Image image;
    // Setup: what the test checks after it shows whether it took.
    (void)plat::imaging::DecodeImage(bytes.data(), bytes.size(), image);
    return image;
}

inline uint32_t Alpha(const plat::imaging::Image& image, int32_t x, int32_t y) { return image.Pixel(x, y) >> 24; }

}  // namespace agtest
