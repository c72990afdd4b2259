// BMP writer: 32 bits a pixel, rows from the bottom as the format expects,
// alpha kept in the fourth byte.
#include "imCodecs.h"

namespace plat::imaging::detail {

namespace {
void Put16(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v)
{
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}
}  // namespace

bool BmpEncode(const Image& image, std::vector<uint8_t>& out)
{
    constexpr uint32_t FILE_HEADER = 14, INFO_HEADER = 40;
    uint32_t rowBytes = uint32_t(image.width) * 4;
    uint64_t dataBytes = uint64_t(rowBytes) * uint32_t(image.height);
    if (dataBytes + FILE_HEADER + INFO_HEADER > 0xFFFFFFFFu) return false;
    out.clear();
    out.reserve(size_t(dataBytes) + FILE_HEADER + INFO_HEADER);
    out.push_back('B');
    out.push_back('M');
    Put32(out, uint32_t(dataBytes) + FILE_HEADER + INFO_HEADER);
    Put32(out, 0);
    Put32(out, FILE_HEADER + INFO_HEADER);
    Put32(out, INFO_HEADER);
    Put32(out, uint32_t(image.width));
    Put32(out, uint32_t(image.height));
    Put16(out, 1);   // planes
    Put16(out, 32);  // bits a pixel
    Put32(out, 0);   // uncompressed
    Put32(out, uint32_t(dataBytes));
    Put32(out, 2835);  // 72 dpi
    Put32(out, 2835);
    Put32(out, 0);
    Put32(out, 0);
    for (int32_t y = image.height - 1; y >= 0; --y) {
        const uint8_t* row = image.pixels.data() + size_t(y) * rowBytes;
        out.insert(out.end(), row, row + rowBytes);
    }
    return true;
}

}  // namespace plat::imaging::detail
