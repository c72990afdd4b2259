// WizSolitaire decks: a 24-byte header, then 53 entries, each a record with
// the card's size and the length of the image file that follows it.
#pragma once

#include "ioLoader.h"

#include <cstddef>
#include <cstdint>

constexpr int32_t WIZSOL_HEADER_SIZE = 24;
constexpr int32_t WIZSOL_RECORD_SIZE = 14;
constexpr int32_t WIZSOL_ENTRIES = 53;

bool DetectWizSolDeck(const uint8_t* data, size_t size);

class TLoaderWizSol : public TLoader {
public:
    int32_t HeaderSize() const override { return WIZSOL_HEADER_SIZE; }
    std::unique_ptr<TCardGraphics> Load(const TQZMemory& memory) override;
    bool Detect(const TQZMemory& memory) const override;
};
