// A single PNG picture turned into a whole deck: every card of the game's
// deck shows the picture with the program's own indices in its corners.
#pragma once

#include "ioLoader.h"

#include <cstddef>
#include <cstdint>

// Largest side of the picture: it is scaled down to a card 240 high anyway.
constexpr int32_t IMAGE_DECK_MAX_SIDE = CARD_MAX_SIDE;
constexpr int32_t IMAGE_DECK_CARD_HEIGHT = 240;
constexpr int32_t IMAGE_DECK_MAX_WIDTH = 176;

bool DetectImageDeck(const uint8_t* data, size_t size);
// The cards' size for a picture: 240 high, as wide as the picture's aspect
// gives (to the nearest, ties to even), at most 176 and at least 1.
TQZPoint ImageDeckCardSize(int32_t pictureWidth, int32_t pictureHeight);

class TLoaderImage : public TLoader {
public:
    int32_t HeaderSize() const override { return 0; }
    std::unique_ptr<TCardGraphics> Load(const TQZMemory& memory) override;
    bool Detect(const TQZMemory& memory) const override;
};
