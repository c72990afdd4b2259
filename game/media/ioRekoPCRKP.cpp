#include "ioRekoPCRKP.h"

#include "clCardGraphics.h"
#include "ioDeckReader.h"
#include "qz7memory.h"
#include "qz7texture.h"

#include <cstring>

namespace {
constexpr size_t kTextLimit = 255;

bool SideFits(int32_t side) { return side >= 1 && side <= REKO_RKP_MAX_SIDE; }
}  // namespace

bool ReadRekoRkpHeader(const uint8_t* data, size_t size, TRekoRkpHeader& out)
{
    out = TRekoRkpHeader();
    if (!data || size < size_t(REKO_RKP_HEADER_SIZE) || std::memcmp(data, "PCRK", 4) != 0) return false;
    TDeckReader r(data, size);
    r.Seek(16);
    out.width = int32_t(r.U32LE());
    out.height = int32_t(r.U32LE());
    r.Seek(28);
    out.entries = int32_t(r.U32LE());
    return SideFits(out.width) && SideFits(out.height) && out.entries >= REKO_RKP_MIN_ENTRIES;
}

bool TLoaderRekoPCRKP::Detect(const TQZMemory& memory) const
{
    TRekoRkpHeader h;
    return ReadRekoRkpHeader(memory.Data(), size_t(memory.Size()), h);
}

std::unique_ptr<TCardGraphics> TLoaderRekoPCRKP::Load(const TQZMemory& memory)
{
    TRekoRkpHeader h;
    if (!ReadRekoRkpHeader(memory.Data(), size_t(memory.Size()), h)) return nullptr;
    TDeckReader r(memory);
    TDeckPixelBudget budget(r.Size());
    r.Seek(REKO_RKP_AUTHOR_AT);
    const std::string author = r.Text(kTextLimit);
    r.Seek(REKO_RKP_COMMENTS_AT);
    const std::string comments = r.Text(kTextLimit);
    auto cardset = NewDeckCardset("Rekoset (PC-RKP)", author, comments, h.width, h.height);

    const TDeckPositions positions = DeckPositions(1, 4, 1, 53);
    r.Seek(REKO_RKP_DIRECTORY_AT);
    // The count comes from the file: the walk ends with the data, however
    // many entries the header promises.
    for (int32_t position = 0; position < h.entries - 1 && !r.AtEnd(); ++position) {
        size_t taken = 0;
        const uint8_t* image = r.Take(r.U32LE(), taken);
        const int32_t slot = SlotAtPosition(positions, position);
        if (slot < 0) continue;
        // An entry that does not decode leaves its slot empty.
        auto picture = LoadDeckPicture(image, taken, FOREIGN_PICTURE_MAX_SIDE, &budget);
        if (!picture) continue;
        if (slot == 52) picture = ComposeCardImage(52, picture.get(), false, {h.width, h.height});
        cardset->SetImage(slot, std::move(picture));
    }
    return cardset;
}
