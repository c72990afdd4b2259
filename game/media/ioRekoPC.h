// REKO decks in their PC form: little-endian header, then every card as a
// palette of 15-bit colours and a byte per pixel, or a 15-bit colour per
// pixel.
#pragma once

#include "ioLoader.h"

#include <cstddef>
#include <cstdint>

constexpr int32_t REKO_PC_HEADER_SIZE = 22;

struct TRekoPCHeader {
    int32_t width = 0, height = 0;
    int32_t bits = 0;  // 8 or 16
    int32_t cards = 0;
    size_t PixelBytes() const { return size_t(width) * size_t(height) * size_t(bits / 8); }
};

// True for a REKO PC deck the reader can decode: the signature, cards of
// 88 x 130, and 8 or 16 bits per pixel.
[[nodiscard]] bool ReadRekoPCHeader(const uint8_t* data, size_t size, TRekoPCHeader& out);

// A 15-bit colour (five bits each of red, green and blue) as opaque ARGB.
uint32_t RekoColour(uint16_t v);

class TLoaderRekoPC : public TLoader {
public:
    int32_t HeaderSize() const override { return REKO_PC_HEADER_SIZE; }
    std::unique_ptr<TCardGraphics> Load(const TQZMemory& memory) override;
    bool Detect(const TQZMemory& memory) const override;
};
