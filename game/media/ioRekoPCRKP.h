// REKO decks in their PC-RKP form: a little-endian header with the card
// size and the number of entries, the author and comments texts, and a
// directory of image files, one per card.
#pragma once

#include "ioLoader.h"

#include <cstddef>
#include <cstdint>

constexpr int32_t REKO_RKP_HEADER_SIZE = 36;
constexpr int32_t REKO_RKP_AUTHOR_AT = 36;
constexpr int32_t REKO_RKP_COMMENTS_AT = 804;
constexpr int32_t REKO_RKP_DIRECTORY_AT = 1104;
constexpr int32_t REKO_RKP_MAX_SIDE = 512;
constexpr int32_t REKO_RKP_MIN_ENTRIES = 51;
// Largest side of a card picture a PC-RKP or WizSolitaire entry may hold:
// the decks' cards are far smaller, and a larger picture would only cost
// memory (53 of them are decoded).
constexpr int32_t FOREIGN_PICTURE_MAX_SIDE = 1024;

struct TRekoRkpHeader {
    int32_t width = 0, height = 0;
    int32_t entries = 0;
};

// True for a PC-RKP deck: the signature, a card size of 1..512 each way
// and at least 51 entries.
[[nodiscard]] bool ReadRekoRkpHeader(const uint8_t* data, size_t size, TRekoRkpHeader& out);

class TLoaderRekoPCRKP : public TLoader {
public:
    int32_t HeaderSize() const override { return REKO_RKP_HEADER_SIZE; }
    std::unique_ptr<TCardGraphics> Load(const TQZMemory& memory) override;
    bool Detect(const TQZMemory& memory) const override;
};
