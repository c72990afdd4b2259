#include "ioRekoPC.h"

#include "clCardGraphics.h"
#include "ioDeckReader.h"
#include "qz7memory.h"
#include "qz7texture.h"

#include <array>
#include <cstring>

namespace {
constexpr int32_t kWidth = 88, kHeight = 130;
constexpr size_t kPaletteBytes = 512;

using TPalette = std::array<uint32_t, 256>;

bool DecodeCard(TDeckReader& r, const TRekoPCHeader& h, const TPalette& palette, TQZTexture* target)
{
    TDeckPixels px(target);
    if (!px.Ok()) return false;
    for (int32_t y = 0; y < h.height; ++y) {
        uint32_t* out = px.Row(y);
        for (int32_t x = 0; x < h.width; ++x) out[x] = h.bits == 8 ? palette[r.U8()] : RekoColour(r.U16LE());
    }
    return true;
}
}  // namespace

uint32_t RekoColour(uint16_t v)
{
    const uint32_t red = ((v >> 10) & 31u) << 3, green = ((v >> 5) & 31u) << 3, blue = (v & 31u) << 3;
    return 0xFF000000u | red << 16 | green << 8 | blue;
}

bool ReadRekoPCHeader(const uint8_t* data, size_t size, TRekoPCHeader& out)
{
    out = TRekoPCHeader();
    if (!data || size < size_t(REKO_PC_HEADER_SIZE) || std::memcmp(data, "PCREKO", 6) != 0) return false;
    TDeckReader r(data, size);
    r.Seek(16);
    out.width = r.U16LE();
    out.height = r.U16LE();
    out.bits = r.U8();
    out.cards = r.U8();
    return out.width == kWidth && out.height == kHeight && (out.bits == 8 || out.bits == 16);
}

bool TLoaderRekoPC::Detect(const TQZMemory& memory) const
{
    TRekoPCHeader h;
    return ReadRekoPCHeader(memory.Data(), size_t(memory.Size()), h);
}

std::unique_ptr<TCardGraphics> TLoaderRekoPC::Load(const TQZMemory& memory)
{
    TRekoPCHeader h;
    if (!ReadRekoPCHeader(memory.Data(), size_t(memory.Size()), h)) return nullptr;
    auto cardset = NewDeckCardset("RekoSet (PC)", "Not Specified", "Reko - PC format", h.width, h.height);

    TDeckReader r(memory);
    r.Seek(REKO_PC_HEADER_SIZE);
    const TDeckPositions positions = DeckPositions(1, 4, 1, 0);
    const size_t cardBytes = h.PixelBytes() + (h.bits == 8 ? kPaletteBytes : 0);
    TPalette palette{};
    for (int32_t position = 0; position < h.cards; ++position) {
        r.Skip(4);
        // A card cut short by the end of the data is left out, as are the rest.
        if (r.Remaining() < cardBytes) break;
        const int32_t slot = SlotAtPosition(positions, position);
        if (slot < 0) {
            r.Skip(cardBytes);
            continue;
        }
        if (h.bits == 8)
            for (uint32_t& colour : palette) colour = RekoColour(r.U16LE());
        const bool joker = slot == 52;
        auto picture =
            joker ? NewDeckPicture(h.width, h.height) : NewDeckPicture(DECK_PICTURE_SIDE, DECK_PICTURE_SIDE);
        const size_t start = r.Position();
        if (!picture || !DecodeCard(r, h, palette, picture.get())) {
            r.Seek(start + h.PixelBytes());
            continue;
        }
        if (joker) picture = ComposeCardImage(52, picture.get(), false, {h.width, h.height});
        cardset->SetImage(slot, std::move(picture));
    }
    return cardset;
}
