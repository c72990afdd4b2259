#include "ioImage.h"

#include "clCardGraphics.h"
#include "coreGame.h"
#include "ioDeckReader.h"
#include "qz7memory.h"
#include "qz7texture.h"

#include <algorithm>
#include <cmath>

bool DetectImageDeck(const uint8_t* data, size_t size)
{
    return data && size > 4 && data[0] == 0x89 && data[1] == 'P' && data[2] == 'N' && data[3] == 'G';
}

TQZPoint ImageDeckCardSize(int32_t pictureWidth, int32_t pictureHeight)
{
    if (pictureWidth < 1 || pictureHeight < 1) return {0, 0};
    // nearbyint rounds halves to even in the default rounding mode.
    const double width = std::nearbyint(double(IMAGE_DECK_CARD_HEIGHT) * pictureWidth / pictureHeight);
    return {int32_t(std::clamp(width, 1.0, double(IMAGE_DECK_MAX_WIDTH))), IMAGE_DECK_CARD_HEIGHT};
}

bool TLoaderImage::Detect(const TQZMemory& memory) const
{
    return DetectImageDeck(memory.Data(), size_t(memory.Size()));
}

std::unique_ptr<TCardGraphics> TLoaderImage::Load(const TQZMemory& memory)
{
    if (!Detect(memory)) return nullptr;
    auto picture = LoadDeckPicture(memory.Data(), size_t(memory.Size()), IMAGE_DECK_MAX_SIDE);
    if (!picture) return nullptr;
    const TQZPoint size = ImageDeckCardSize(picture->GetWidth(), picture->GetHeight());
    auto cardset = std::make_unique<TCardGraphics>();
    cardset->SetCardSize(size.x, size.y);
    cardset->AlignLeft = false;
    for (int32_t slot = 0; slot < CARDGFX_SLOTS; ++slot)
        if (IsCardInDeck(slot)) cardset->SetImage(slot, ComposeCardImage(slot, picture.get(), false, size));
    return cardset;
}
