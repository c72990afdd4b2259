#include "ioWizSolitaire.h"

#include "clCardGraphics.h"
#include "ioDeckReader.h"
#include "ioRekoPCRKP.h"
#include "qz7memory.h"
#include "qz7texture.h"

#include <cstring>

namespace {
constexpr char kSignature[] = "WizSolitaireDeck";

bool SizeFits(TQZPoint size)
{
    return size.x >= 1 && size.y >= 1 && size.x <= CARD_MAX_SIDE && size.y <= CARD_MAX_SIDE;
}

// The square texture a card of this size is composed on must fit the deck's
// budget: the size is only a claim of the file's.
bool SizeFitsBudget(TQZPoint size, const TDeckPixelBudget& budget)
{
    const int64_t side = ComposedTextureSide(size);
    return SizeFits(size) && budget.Allows(side, side);
}
}  // namespace

bool DetectWizSolDeck(const uint8_t* data, size_t size)
{
    return data && size >= 16 && std::memcmp(data, kSignature, 16) == 0;
}

bool TLoaderWizSol::Detect(const TQZMemory& memory) const
{
    return DetectWizSolDeck(memory.Data(), size_t(memory.Size()));
}

std::unique_ptr<TCardGraphics> TLoaderWizSol::Load(const TQZMemory& memory)
{
    if (!Detect(memory)) return nullptr;
    auto cardset = std::make_unique<TCardGraphics>();
    cardset->Title = "WizSolitaire";
    cardset->Author = "Unknown";
    cardset->Comments = "Unknown";

    const TDeckPositions positions = DeckPositions(1, 1, 13, 0);
    TDeckReader r(memory);
    TDeckPixelBudget budget(r.Size());
    r.Seek(WIZSOL_HEADER_SIZE);
    TQZPoint cardSize{0, 0};
    for (int32_t position = 0; position < WIZSOL_ENTRIES && !r.AtEnd(); ++position) {
        TQZPoint size;
        size.x = int32_t(r.U32LE());
        size.y = int32_t(r.U32LE());
        r.Skip(2);
        size_t taken = 0;
        const uint8_t* image = r.Take(r.U32LE(), taken);
        r.Skip(4);
        cardSize = size;
        const int32_t slot = SlotAtPosition(positions, position);
        if (slot < 0) continue;
        auto picture = LoadDeckPicture(image, taken, FOREIGN_PICTURE_MAX_SIDE, &budget);
        if (!picture) continue;
        if (slot == 52) {
            // Composing needs a size it can draw and the deck can pay for; an
            // entry without one stays empty.
            const int64_t side = ComposedTextureSide(size);
            if (!SizeFits(size) || !budget.Take(side, side)) continue;
            picture = ComposeCardImage(52, picture.get(), false, size);
        }
        cardset->SetImage(slot, std::move(picture));
    }
    // The deck's card size is the last entry's; one no texture can hold, or
    // one far beyond what the file's bytes can back, falls back to the
    // game's own size.
    if (!SizeFitsBudget(cardSize, budget)) cardSize = {0, 0};
    cardset->SetCardSize(cardSize.x, cardSize.y);
    return cardset;
}
