#include "ioLoader.h"

#include "qz7texture.h"

namespace {
TIndexSheetSource indexSheetSource = nullptr;

// Locks a texture's pixels for as long as the object lives.
class PixelLock {
public:
    PixelLock(TQZTexture* texture, int32_t mode)
        : data_(texture && texture->HasTexture() ? texture->PixelData() : nullptr)
    {
        if (data_ && data_->Lock(mode) != QZRES_OK) data_ = nullptr;
    }
    ~PixelLock()
    {
        if (data_) data_->Unlock();
    }
    PixelLock(const PixelLock&) = delete;
    PixelLock& operator=(const PixelLock&) = delete;
    TQZTexturePixelData* Data() const { return data_; }

private:
    TQZTexturePixelData* data_;
};

void DrawIndices(TQZTexturePixelData* card, TQZTexturePixelData* sheet, const TQZRect& cell, TQZPoint size)
{
    const int32_t cw = cell.Width(), ch = cell.Height();
    const int32_t dx = size.x - cw, dy = size.y - ch;
    TQZPoint corners[4] = {{0, 0}, {dx, 0}, {0, dy}, {dx, dy}};
    const int count = size.y / 2 < ch ? 2 : 4;
    for (int i = 0; i < count; ++i) {
        TQZRect at{corners[i].x, corners[i].y, corners[i].x + cw, corners[i].y + ch};
        // A corner that does not fit the card is left out by the copy itself.
        card->CopyTransformed(sheet, INDEX_BACKING_CELL, at, BlendPixel);
        card->CopyTransformed(sheet, cell, at, BlendPixel);
    }
}
}  // namespace

TQZRect IndexCellOf(int32_t slot, bool altColours)
{
    if (slot == 52) return INDEX_JOKER_CELL;
    const int32_t rank = slot % 13, suit = slot / 13;
    int32_t row = suit;
    // Rows 4 and 5 hold clubs and diamonds in their other colours.
    if (!altColours && (suit == 1 || suit == 2)) row += 3;
    return {rank * INDEX_CELL_WIDTH, row * INDEX_CELL_HEIGHT, (rank + 1) * INDEX_CELL_WIDTH,
            (row + 1) * INDEX_CELL_HEIGHT};
}

int32_t ComposedTextureSide(TQZPoint size)
{
    if (size.x < 1 || size.y < 1 || size.x > CARD_MAX_SIDE || size.y > CARD_MAX_SIDE) return 0;
    int32_t s = 128;
    while (s < size.x || s < size.y) s *= 2;
    return s;
}

std::unique_ptr<TQZTexture> ComposeCardImage(int32_t slot, TQZTexture* picture, bool altColours, TQZPoint size,
                                             TQZTexture* indexSheet)
{
    const int32_t side = ComposedTextureSide(size);
    if (side == 0 || !picture || !picture->HasTexture() || slot < 0 || slot > 52) return nullptr;
    auto composed = std::make_unique<TQZTexture>();
    if (composed->CreateD3DTexture(side, side) != QZRES_OK) return nullptr;
    {
        PixelLock to(composed.get(), 0);
        PixelLock from(picture, 1);
        if (!to.Data() || !from.Data()) return nullptr;
        to.Data()->Clear(0);
        to.Data()->CopyScaled(from.Data(), picture->GetRect(), {0, 0, size.x, size.y});
        if (indexSheet != picture) {
            PixelLock sheet(indexSheet, 1);
            if (sheet.Data()) DrawIndices(to.Data(), sheet.Data(), IndexCellOf(slot, altColours), size);
        }
    }
    return composed;
}

std::unique_ptr<TQZTexture> ComposeCardImage(int32_t slot, TQZTexture* picture, bool altColours, TQZPoint size)
{
    return ComposeCardImage(slot, picture, altColours, size, indexSheetSource ? indexSheetSource() : nullptr);
}

void SetIndexSheetSource(TIndexSheetSource source)
{
    indexSheetSource = source;
}
