#include "ioRekoAmiga.h"

#include "clCardGraphics.h"
#include "ioDeckReader.h"
#include "qz7memory.h"
#include "qz7texture.h"

#include <cstring>
#include <vector>

namespace {
constexpr int32_t kWidth = 88, kHeight = 130;

uint32_t Opaque(uint8_t r, uint8_t g, uint8_t b) { return 0xFF000000u | uint32_t(r) << 16 | uint32_t(g) << 8 | b; }

bool PlanesFit(int32_t planes, bool ham)
{
    if (ham) return planes == 6 || planes == 8;
    return planes >= 1 && planes <= 8;
}

// One card's pixel values (sum of plane bits) for every row.
void PixelValues(const uint8_t* card, const TRekoAmigaHeader& h, std::vector<uint8_t>& values)
{
    const int32_t rowBytes = h.width / 8;
    values.assign(size_t(h.width) * size_t(h.height), 0);
    for (int32_t y = 0; y < h.height; ++y) {
        uint8_t* row = values.data() + size_t(y) * size_t(h.width);
        for (int32_t p = 0; p < h.planes; ++p) {
            const uint8_t* bits = card + (size_t(y) * size_t(h.planes) + size_t(p)) * size_t(rowBytes);
            for (int32_t x = 0; x < h.width; ++x)
                row[x] |= uint8_t(((bits[x / 8] >> (7 - x % 8)) & 1) << p);
        }
    }
}

// HAM: the top two bits of a value say what to hold and what to modify; the
// rest is the data (six bits with eight planes, scaled to eight bits).
uint32_t HamPixel(uint8_t value, uint32_t current, const std::vector<uint32_t>& palette, int32_t planes)
{
    const int32_t dataBits = planes - 2;
    const uint32_t control = value >> dataBits, d = value & ((1u << dataBits) - 1);
    const uint32_t c = (d << (10 - planes)) & 0xFF;
    switch (control) {
    case 0: return palette[d];
    case 1: return (current & 0xFFFFFF00u) | c;
    case 2: return (current & 0xFF00FFFFu) | c << 16;
    default: return (current & 0xFFFF00FFu) | c << 8;
    }
}

bool DecodeCard(const uint8_t* card, const TRekoAmigaHeader& h, const std::vector<uint32_t>& palette,
                TQZTexture* target)
{
    std::vector<uint8_t> values;
    PixelValues(card, h, values);
    TDeckPixels px(target);
    if (!px.Ok()) return false;
    for (int32_t y = 0; y < h.height; ++y) {
        uint32_t* out = px.Row(y);
        const uint8_t* in = values.data() + size_t(y) * size_t(h.width);
        uint32_t current = palette[0];
        for (int32_t x = 0; x < h.width; ++x) {
            current = h.Ham() ? HamPixel(in[x], current, palette, h.planes) : palette[in[x]];
            out[x] = current;
        }
    }
    return true;
}

// The card into its slot: a 256 x 256 picture, or the joker composed with
// the program's indices from a picture of the card's own size.
void PlaceCard(TCardGraphics& cardset, int32_t slot, const uint8_t* card, const TRekoAmigaHeader& h,
               const std::vector<uint32_t>& palette)
{
    const bool joker = slot == 52;
    auto picture = joker ? NewDeckPicture(h.width, h.height) : NewDeckPicture(DECK_PICTURE_SIDE, DECK_PICTURE_SIDE);
    if (!picture || !DecodeCard(card, h, palette, picture.get())) return;
    if (joker) picture = ComposeCardImage(52, picture.get(), false, {h.width, h.height});
    cardset.SetImage(slot, std::move(picture));
}
}  // namespace

bool ReadRekoAmigaHeader(const uint8_t* data, size_t size, TRekoAmigaHeader& out)
{
    out = TRekoAmigaHeader();
    if (!data || size < size_t(REKO_AMIGA_HEADER_SIZE) || std::memcmp(data, "REKO", 4) != 0) return false;
    TDeckReader r(data, size);
    r.Seek(12);
    out.height = r.U16BE();
    out.width = r.U16BE();
    out.displayMode = r.U32BE();
    out.planes = r.U8();
    out.cards = r.U8();
    return out.width == kWidth && out.height == kHeight && PlanesFit(out.planes, out.Ham());
}

bool TLoaderRekoAmiga::Detect(const TQZMemory& memory) const
{
    TRekoAmigaHeader h;
    return ReadRekoAmigaHeader(memory.Data(), size_t(memory.Size()), h);
}

std::unique_ptr<TCardGraphics> TLoaderRekoAmiga::Load(const TQZMemory& memory)
{
    TRekoAmigaHeader h;
    if (!ReadRekoAmigaHeader(memory.Data(), size_t(memory.Size()), h)) return nullptr;
    auto cardset = NewDeckCardset("RekoSet (Amiga)", "Not Specified", "Reko - Amiga format", h.width, h.height);

    TDeckReader r(memory);
    r.Seek(REKO_AMIGA_HEADER_SIZE);
    // A palette cut short reads as black.
    std::vector<uint32_t> palette(size_t(h.PaletteEntries()));
    for (uint32_t& colour : palette) {
        const uint8_t red = r.U8(), green = r.U8(), blue = r.U8();
        colour = Opaque(red, green, blue);
    }
    const TDeckPositions positions = DeckPositions(3, 4, 1, 2);
    for (int32_t position = 0; position < h.cards; ++position) {
        size_t taken = 0;
        const uint8_t* card = r.Take(h.CardBytes(), taken);
        if (taken < h.CardBytes()) break;  // the data ends inside this card
        const int32_t slot = SlotAtPosition(positions, position);
        if (slot >= 0) PlaceCard(*cardset, slot, card, h, palette);
    }
    return cardset;
}
