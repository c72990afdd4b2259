// REKO decks in their Amiga form: big-endian header, a palette, then every
// card as bit planes row by row, plain or hold-and-modify (HAM).
#pragma once

#include "ioLoader.h"

#include <cstddef>
#include <cstdint>

constexpr int32_t REKO_AMIGA_HEADER_SIZE = 22;
constexpr uint32_t REKO_AMIGA_HAM = 0x800;

struct TRekoAmigaHeader {
    int32_t width = 0, height = 0;
    uint32_t displayMode = 0;
    int32_t planes = 0;
    int32_t cards = 0;
    bool Ham() const { return (displayMode & REKO_AMIGA_HAM) != 0; }
    // Entries of the palette that follows the header.
    int32_t PaletteEntries() const { return 1 << (planes - (Ham() ? 2 : 0)); }
    // Bytes of one card: every plane of every row.
    size_t CardBytes() const { return size_t(planes) * size_t(height) * size_t(width / 8); }
};

// True for a REKO Amiga deck the reader can decode: the signature, cards of
// 88 x 130, and a plane count the format has (1 to 8 planes, HAM with 6 or
// 8); anything else would index outside the palette.
[[nodiscard]] bool ReadRekoAmigaHeader(const uint8_t* data, size_t size, TRekoAmigaHeader& out);

class TLoaderRekoAmiga : public TLoader {
public:
    int32_t HeaderSize() const override { return REKO_AMIGA_HEADER_SIZE; }
    std::unique_ptr<TCardGraphics> Load(const TQZMemory& memory) override;
    bool Detect(const TQZMemory& memory) const override;
};
