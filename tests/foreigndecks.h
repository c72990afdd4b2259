// Builders of card decks in the foreign formats the cardset readers accept
// (REKO Amiga, REKO PC, REKO PC-RKP, WizSolitaire), written byte by byte
// from the formats' descriptions, independently of the readers. Pictures of
// PC-RKP and WizSolitaire entries are whole image files the caller encodes.
// Media tests and the editor's end-to-end test write their decks with them.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vqdecks {

using Bytes = std::vector<uint8_t>;

inline void PutBE16(Bytes& b, size_t at, uint32_t v)
{
    b[at] = uint8_t(v >> 8);
    b[at + 1] = uint8_t(v);
}
inline void PutBE32(Bytes& b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i) b[at + size_t(i)] = uint8_t(v >> (8 * (3 - i)));
}
inline void PutLE16(Bytes& b, size_t at, uint32_t v)
{
    b[at] = uint8_t(v);
    b[at + 1] = uint8_t(v >> 8);
}
inline void PutLE32(Bytes& b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i) b[at + size_t(i)] = uint8_t(v >> (8 * i));
}
inline void AppendLE32(Bytes& b, uint32_t v)
{
    b.resize(b.size() + 4);
    PutLE32(b, b.size() - 4, v);
}
inline void Append(Bytes& b, const Bytes& more) { b.insert(b.end(), more.begin(), more.end()); }

// Card slots: suit x 13 + rank (rank 0 = "2" .. 12 = ace; spades 0, clubs 1,
// diamonds 2, hearts 3), 52 the joker. The formats order their cards by
// r' (ace 0, then "2".."K" 1..12) and s' (clubs 0, diamonds 1, hearts 2,
// spades 3).
inline int RankPrime(int slot) { return slot % 13 == 12 ? 0 : slot % 13 + 1; }
inline int SuitPrime(int slot)
{
    static const int prime[4] = {3, 0, 1, 2};
    return prime[slot / 13];
}
inline int RekoAmigaPosition(int slot) { return slot == 52 ? 2 : 3 + 4 * RankPrime(slot) + SuitPrime(slot); }
inline int RekoPCPosition(int slot) { return slot == 52 ? 0 : 1 + 4 * RankPrime(slot) + SuitPrime(slot); }
inline int RekoRkpPosition(int slot) { return slot == 52 ? 53 : 1 + 4 * RankPrime(slot) + SuitPrime(slot); }
inline int WizSolPosition(int slot) { return slot == 52 ? 0 : 1 + 13 * SuitPrime(slot) + RankPrime(slot); }

// ---------------------------------------------------------------- REKO Amiga
struct RekoAmiga {
    int width = 88, height = 130;
    bool ham = false;
    int planes = 8;
    int cards = 55;
    // {red, green, blue} per entry; 1 << (planes - (ham ? 2 : 0)) entries are
    // written, missing ones as black.
    std::vector<uint32_t> paletteRgb;
    // The pixel value (sum of plane bits) of a card at a file position.
    std::function<uint8_t(int position, int x, int y)> value = [](int position, int, int) {
        return uint8_t(position);
    };
};

inline Bytes Build(const RekoAmiga& d)
{
    Bytes b(22, 0);
    b[0] = 'R', b[1] = 'E', b[2] = 'K', b[3] = 'O';
    PutBE16(b, 12, uint32_t(d.height));
    PutBE16(b, 14, uint32_t(d.width));
    PutBE32(b, 16, d.ham ? 0x800u : 0u);
    b[20] = uint8_t(d.planes);
    b[21] = uint8_t(d.cards);
    const int entries = 1 << (d.planes - (d.ham ? 2 : 0));
    for (int i = 0; i < entries; ++i) {
        const uint32_t c = size_t(i) < d.paletteRgb.size() ? d.paletteRgb[size_t(i)] : 0;
        b.push_back(uint8_t(c >> 16));
        b.push_back(uint8_t(c >> 8));
        b.push_back(uint8_t(c));
    }
    const int rowBytes = d.width / 8;
    for (int position = 0; position < d.cards; ++position)
        for (int y = 0; y < d.height; ++y)
            for (int p = 0; p < d.planes; ++p)
                for (int byte = 0; byte < rowBytes; ++byte) {
                    uint8_t bits = 0;
                    for (int k = 0; k < 8; ++k)
                        if ((d.value(position, byte * 8 + k, y) >> p) & 1) bits |= uint8_t(0x80 >> k);
                    b.push_back(bits);
                }
    return b;
}

// ---------------------------------------------------------------- REKO PC
struct RekoPC {
    int width = 88, height = 130;
    int bits = 16;  // 8: palette index per pixel; 16: a 15-bit colour per pixel
    int cards = 53;
    // 16 bits: the colour of a pixel; 8 bits: the palette index of a pixel.
    std::function<uint16_t(int position, int x, int y)> pixel = [](int position, int, int) {
        return uint16_t(position);
    };
    // 8 bits: entry i of the card's palette.
    std::function<uint16_t(int position, int index)> palette = [](int, int index) { return uint16_t(index); };
};

inline Bytes Build(const RekoPC& d)
{
    Bytes b(22, 0);
    const char sig[] = "PCREKO";
    for (int i = 0; i < 6; ++i) b[size_t(i)] = uint8_t(sig[i]);
    PutLE16(b, 16, uint32_t(d.width));
    PutLE16(b, 18, uint32_t(d.height));
    b[20] = uint8_t(d.bits);
    b[21] = uint8_t(d.cards);
    for (int position = 0; position < d.cards; ++position) {
        b.insert(b.end(), 4, 0);
        if (d.bits == 8)
            for (int i = 0; i < 256; ++i) {
                b.resize(b.size() + 2);
                PutLE16(b, b.size() - 2, d.palette(position, i));
            }
        for (int y = 0; y < d.height; ++y)
            for (int x = 0; x < d.width; ++x) {
                const uint16_t v = d.pixel(position, x, y);
                if (d.bits == 8) {
                    b.push_back(uint8_t(v));
                } else {
                    b.resize(b.size() + 2);
                    PutLE16(b, b.size() - 2, v);
                }
            }
    }
    return b;
}

// ---------------------------------------------------------------- REKO PC-RKP
struct RekoRkp {
    int32_t width = 40, height = 60;
    std::string author, comments;
    // Image files at positions 0, 1, ...
    std::vector<Bytes> entries;
    // The header's entry count; -1: entries.size() + 1 (the reader takes
    // count - 1 entries).
    int64_t count = -1;
};

inline Bytes Build(const RekoRkp& d)
{
    Bytes b(1104, 0);
    b[0] = 'P', b[1] = 'C', b[2] = 'R', b[3] = 'K';
    PutLE32(b, 16, uint32_t(d.width));
    PutLE32(b, 20, uint32_t(d.height));
    PutLE32(b, 28, uint32_t(d.count < 0 ? int64_t(d.entries.size()) + 1 : d.count));
    for (size_t i = 0; i < d.author.size() && i < 768; ++i) b[36 + i] = uint8_t(d.author[i]);
    for (size_t i = 0; i < d.comments.size() && i < 300; ++i) b[804 + i] = uint8_t(d.comments[i]);
    for (const Bytes& e : d.entries) {
        AppendLE32(b, uint32_t(e.size()));
        Append(b, e);
    }
    return b;
}

// ---------------------------------------------------------------- WizSolitaire
struct WizSolEntry {
    int32_t width = 0, height = 0;
    Bytes image;
};

// Entries at positions 0, 1, ... (a full deck has 53).
inline Bytes BuildWizSol(const std::vector<WizSolEntry>& entries)
{
    const char sig[] = "WizSolitaireDeck";
    Bytes b(sig, sig + 16);
    b.resize(24, 0);
    for (const WizSolEntry& e : entries) {
        AppendLE32(b, uint32_t(e.width));
        AppendLE32(b, uint32_t(e.height));
        b.insert(b.end(), 2, 0);
        AppendLE32(b, uint32_t(e.image.size()));
        Append(b, e.image);
        b.insert(b.end(), 4, 0);
    }
    return b;
}

}  // namespace vqdecks
