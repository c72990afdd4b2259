// The game's own cardset file, `.cards`: a 457-byte header (magic, flags,
// text offset, card size, version, a directory of 53 images), the title,
// author and comments, then one image file per present slot. The reader
// checks every field against the file; the writer builds the bytes from
// encoded pictures, so tools without a video device can write cardsets.
#pragma once

#include "ioLoader.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TCardGraphics;

constexpr char CARDS_MAGIC[] = "Vantorel-Qar";  // 12 characters, no terminator in the file
constexpr int32_t CARDS_MAGIC_SIZE = 12;
constexpr int32_t CARDS_HEADER_SIZE = 457;
constexpr uint32_t CARDS_VERSION = 3;
constexpr uint32_t CARDS_FLAG_OPTION_B = 0x1;
constexpr uint32_t CARDS_FLAG_NOT_ALIGN_LEFT = 0x2;
constexpr uint32_t CARDS_FLAG_OWN_INDICES = 0x4;
constexpr uint32_t CARDS_FLAG_MARKER = 0x10000;
// The pictures of a file flagged for the game's own indices are composed at
// this size, whatever the card size.
constexpr int32_t CARDS_OWN_INDICES_SIDE = 256;

// Header fields by offset.
constexpr int32_t CARDS_AT_FLAGS = 13;
constexpr int32_t CARDS_AT_TEXT = 17;
constexpr int32_t CARDS_AT_WIDTH = 21;
constexpr int32_t CARDS_AT_HEIGHT = 25;
constexpr int32_t CARDS_AT_VERSION = 29;
constexpr int32_t CARDS_AT_DIRECTORY = 33;

struct TCardsImageEntry {
    uint32_t offset = 0;
    uint32_t size = 0;  // 0: no picture
};

// What a `.cards` file holds once checked. Directory entries that reach
// past the file are cleared to empty slots; a text block that runs past
// the end leaves the strings from there on empty.
struct TCardsFileInfo {
    uint32_t flags = 0;
    int32_t width = 0, height = 0;
    std::string title, author, comments;
    std::array<TCardsImageEntry, 53> images{};
    int32_t badEntries = 0;  // directory entries cleared
    bool textCut = false;    // the text block ran past the end
};

enum class TCardsParse { Ok, NotCards, BadSize };

// True when the bytes begin a `.cards` file: at least a header, the magic,
// the format marker flag and version 3.
bool DetectCardsFile(const uint8_t* data, size_t size);
// Checks and reads the header, texts and directory. BadSize: a card side
// outside 1..4096.
TCardsParse ParseCardsFile(const uint8_t* data, size_t size, TCardsFileInfo& out);

// What the writer stores: the encoded picture of each slot (empty: none).
struct TCardsFileContent {
    int32_t width = 0, height = 0;
    bool alignLeft = true;
    bool optionB = false;
    std::string title, author, comments;
    std::array<std::vector<uint8_t>, 53> images;
};

// The file's bytes: pictures back to back in slot order after the texts,
// an absent slot given the current end as offset and size 0. False (and
// nothing in out) for a card side outside 1..4096 or a file beyond 4 GiB.
[[nodiscard]] bool BuildCardsFile(const TCardsFileContent& content, std::vector<uint8_t>& out);

// The editor's writer: the cardset's pictures encoded as PNG; with deckOnly
// only the joker and the cards of the 43-card deck. nullptr when a picture
// cannot be encoded or the size cannot be stored.
std::unique_ptr<TQZMemory> WriteCardsetFile(TCardGraphics& cardset, bool deckOnly);

class TLoaderCardset : public TLoader {
public:
    int32_t HeaderSize() const override { return CARDS_HEADER_SIZE; }
    std::unique_ptr<TCardGraphics> Load(const TQZMemory& memory) override;
    bool Detect(const TQZMemory& memory) const override;
};
