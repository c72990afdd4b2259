#include "clCardGraphics.h"

#include "qz7texture.h"

TCardGraphics::TCardGraphics() = default;

TCardGraphics::~TCardGraphics()
{
    FreeImages();
}

void TCardGraphics::SetCardSize(int32_t width, int32_t height)
{
    if (width <= 0 || height <= 0) {
        width = CARDGFX_FALLBACK_WIDTH;
        height = CARDGFX_FALLBACK_HEIGHT;
    }
    width_ = width;
    height_ = height;
    aspect_ = float(height) / float(width);
}

TQZTexture* TCardGraphics::GetImage(int32_t index)
{
    if (index < 0 || index >= CARDGFX_SLOTS) return nullptr;
    TQZTexture* t = images_[size_t(index)].get();
    if (t && t->TakeRestoreFailed()) texturesLost_ = true;
    return t;
}

void TCardGraphics::SetImage(int32_t index, std::unique_ptr<TQZTexture> texture)
{
    if (index < 0 || index >= CARDGFX_SLOTS) return;
    images_[size_t(index)] = std::move(texture);
}

bool TCardGraphics::HasImage(int32_t index) const
{
    return index >= 0 && index < CARDGFX_SLOTS && images_[size_t(index)] != nullptr;
}

bool TCardGraphics::DrawCard(int32_t index, TQZPoint position, TQZColour colour, TQZPoint size)
{
    TQZTexture* t = GetImage(index);
    if (!t) return false;
    t->DrawPart(CardRect(), {position.x, position.y, position.x + size.x, position.y + size.y}, colour);
    return true;
}

void TCardGraphics::FreeImages()
{
    for (int32_t i = CARDGFX_SLOTS - 1; i >= 0; --i) images_[size_t(i)].reset();
    texturesLost_ = false;
}
