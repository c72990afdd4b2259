// What the foreign deck readers share: a reader whose reads past the end of
// the data yield nothing instead of failing, the tables that map a deck's
// file positions to card slots, and the pictures the decks decode into.
#pragma once

#include "qz7core.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

class TCardGraphics;
class TQZMemory;
class TQZTexture;
class TQZTexturePixelData;

// Reads from a block of bytes; past the end every read gives zeros (or
// fewer bytes) and the position stays at the end.
class TDeckReader {
public:
    TDeckReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    explicit TDeckReader(const TQZMemory& memory);

    size_t Position() const { return at_; }
    size_t Size() const { return size_; }
    size_t Remaining() const { return size_ - at_; }
    bool AtEnd() const { return at_ >= size_; }
    void Seek(uint64_t position) { at_ = position < size_ ? size_t(position) : size_; }
    void Skip(uint64_t count) { Seek(uint64_t(at_) + count); }

    // Up to count bytes from the position (fewer at the end); the position
    // moves past them.
    const uint8_t* Take(uint64_t count, size_t& taken);
    uint8_t U8();
    uint16_t U16LE();
    uint16_t U16BE();
    uint32_t U32LE();
    uint32_t U32BE();
    // Bytes up to the first 0 or the limit, whichever comes first.
    std::string Text(size_t limit);

private:
    uint64_t Bytes(int count, bool bigEndian);

    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

// An empty cardset for a foreign deck: its title, author, comments and
// card size.
std::unique_ptr<TCardGraphics> NewDeckCardset(const std::string& title, const std::string& author,
                                              const std::string& comments, int32_t width, int32_t height);

// Where each slot's picture sits in a deck file: position = base +
// rankStep x r' + suitStep x s', with r' 0 for the ace and rank + 1 for the
// others, and s' clubs 0, diamonds 1, hearts 2, spades 3; the joker apart.
using TDeckPositions = std::array<int32_t, 53>;
TDeckPositions DeckPositions(int32_t base, int32_t rankStep, int32_t suitStep, int32_t joker);
// The first slot whose position it is, or -1 for a position no slot names.
int32_t SlotAtPosition(const TDeckPositions& positions, int32_t position);

// The side of the texture an ordinary REKO card is decoded into.
constexpr int32_t DECK_PICTURE_SIDE = 256;

// A new texture of the size with every pixel 0, or nullptr.
std::unique_ptr<TQZTexture> NewDeckPicture(int32_t width, int32_t height);

// Write access to a texture's pixels for as long as the object lives.
class TDeckPixels {
public:
    explicit TDeckPixels(TQZTexture* texture);
    ~TDeckPixels();
    TDeckPixels(const TDeckPixels&) = delete;
    TDeckPixels& operator=(const TDeckPixels&) = delete;
    bool Ok() const { return row0_ != nullptr; }
    uint32_t* Row(int32_t y) const { return reinterpret_cast<uint32_t*>(row0_ + ptrdiff_t(pitch_) * y); }

private:
    TQZTexturePixelData* data_ = nullptr;
    uint8_t* row0_ = nullptr;
    int32_t pitch_ = 0;
};

// The pixels one deck file may have decoded and composed: a floor that any
// real card fits in, plus an allowance per byte of the file. Image files
// compress well, so a few hundred bytes could otherwise ask for pictures of
// millions of pixels; a real deck, whose every picture takes bytes, never
// comes near the bound.
constexpr int64_t DECK_PIXEL_FLOOR = int64_t(1) << 20;
constexpr int64_t DECK_PIXELS_PER_BYTE = 64;
class TDeckPixelBudget {
public:
    explicit TDeckPixelBudget(size_t fileSize);
    // Whether a width x height picture fits in the whole budget.
    bool Allows(int64_t width, int64_t height) const;
    // Takes the picture's pixels from what is left; false (taking nothing)
    // when they are not left.
    [[nodiscard]] bool Take(int64_t width, int64_t height);

private:
    int64_t total_;
    int64_t left_;
};

// A picture from the bytes of an image file, or nullptr when they do not
// decode, either side is above maxSide or its pixels are not left in the
// budget (the size is read before anything is decoded, so a file cannot ask
// for a huge picture).
std::unique_ptr<TQZTexture> LoadDeckPicture(const uint8_t* data, size_t size, int32_t maxSide,
                                            TDeckPixelBudget* budget = nullptr);
