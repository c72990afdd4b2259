#include "qz7crc.h"

#include <array>

namespace {

constexpr std::array<uint32_t, 256> MakeTable()
{
    std::array<uint32_t, 256> table{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c = i;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
        table[i] = c;
    }
    return table;
}

// Built once, at compile time; read-only, so any thread may use it.
constexpr std::array<uint32_t, 256> kTable = MakeTable();

inline uint32_t Step(uint32_t crc, uint8_t b)
{
    return (crc >> 8) ^ kTable[(crc ^ b) & 0xFF];
}

uint32_t Run(const uint8_t* p, int64_t n, uint32_t crc)
{
    for (int64_t i = 0; i < n; ++i) crc = Step(crc, p[i]);
    return crc;
}

}  // namespace

uint32_t CRC32Update(const void* buffer, int32_t length, uint32_t start, bool invert)
{
    if (!buffer || length <= 0) return start;
    uint32_t crc = Run(static_cast<const uint8_t*>(buffer), length, start);
    return invert ? ~crc : crc;
}

uint32_t CRC32UpdateToIndex(const void* buffer, int32_t last, uint32_t start)
{
    if (!buffer || last < 0) return start;
    return Run(static_cast<const uint8_t*>(buffer), int64_t(last) + 1, start);
}

uint32_t CRC32UpdateDWords(const uint32_t* items, int32_t last, uint32_t start)
{
    if (!items) return start;
    uint32_t crc = start;
    for (int64_t i = 0; i <= last; ++i) {
        uint32_t v = items[i];
        for (int k = 0; k < 4; ++k) crc = Step(crc, uint8_t(v >> (8 * k)));
    }
    return crc;
}

uint32_t CRC32String(const std::string& text, uint32_t start, bool invert)
{
    if (text.empty()) return start;
    uint32_t crc = Run(reinterpret_cast<const uint8_t*>(text.data()), static_cast<int64_t>(text.size()), start);
    return invert ? ~crc : crc;
}
