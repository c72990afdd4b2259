// The interface of the cardset readers, and the composition of a card
// picture with the game's own corner indices that every reader shares.
#pragma once

#include "qz7core.h"

#include <memory>

class TQZMemory;
class TQZTexture;
class TCardGraphics;

class TLoader : public TQZClass {
public:
    // Bytes of the format's fixed header.
    virtual int32_t HeaderSize() const { return 0; }
    // A new cardset, or nullptr; every Load begins with Detect.
    virtual std::unique_ptr<TCardGraphics> Load(const TQZMemory& memory) = 0;
    virtual bool Detect(const TQZMemory& memory) const { (void)memory; return false; }
};

// Cells of the index sheet (texture 10): 26 x 46 per rank and suit, the
// joker's tall cell and the backing drawn under every index.
constexpr int32_t INDEX_CELL_WIDTH = 26;
constexpr int32_t INDEX_CELL_HEIGHT = 46;
constexpr TQZRect INDEX_JOKER_CELL{336, 0, 362, 94};
constexpr TQZRect INDEX_BACKING_CELL{362, 0, 388, 46};
// Largest card side a cardset may give; larger sizes are refused.
constexpr int32_t CARD_MAX_SIDE = 4096;

// The index cell of a slot (0..52) on the sheet.
TQZRect IndexCellOf(int32_t slot, bool altColours);
// The side of the square texture a card of this size is composed on: 128
// doubled until it holds both sides; 0 for a size outside 1..CARD_MAX_SIDE.
int32_t ComposedTextureSide(TQZPoint size);

// A new texture holding the picture scaled into (0, 0, w, h) with the
// slot's index in its corners (top corners only when the card is too short
// for four). Without a sheet the picture is composed without indices.
// nullptr for a size outside 1..CARD_MAX_SIDE or when a texture cannot be
// made. The picture stays the caller's.
std::unique_ptr<TQZTexture> ComposeCardImage(int32_t slot, TQZTexture* picture, bool altColours, TQZPoint size,
                                             TQZTexture* indexSheet);
// As above with the index sheet of the installed source (the resource
// manager installs one that gives its texture 10).
std::unique_ptr<TQZTexture> ComposeCardImage(int32_t slot, TQZTexture* picture, bool altColours, TQZPoint size);
using TIndexSheetSource = TQZTexture* (*)();
void SetIndexSheetSource(TIndexSheetSource source);
