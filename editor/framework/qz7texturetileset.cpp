#include "qz7texturetileset.h"

std::unique_ptr<TQZTileset> TQZTileset::Create(const std::string& fileName, TQZColour colourKey, int32_t tileSize)
{
    // A tile size below 1 cuts nothing (and would divide by zero).
    if (tileSize < 1) return nullptr;
    std::unique_ptr<TQZTexture> texture;
    try {
        texture = TQZTexture::CreateFromFile(fileName, colourKey, false);
    } catch (const EQZTextureError&) {
        return nullptr;
    }
    if (!texture) return nullptr;
    auto set = std::make_unique<TQZTileset>();
    set->tileSize_ = tileSize;
    set->columns_ = texture->GetWidth() / tileSize;
    set->rows_ = texture->GetHeight() / tileSize;
    set->texture_ = std::move(texture);
    set->loaded_ = true;
    return set;
}

TQZRect TQZTileset::TileRect(int32_t n) const
{
    if (n < 0 || columns_ < 1 || n >= columns_ * rows_) return {};
    const int32_t x = (n % columns_) * tileSize_, y = (n / columns_) * tileSize_;
    return {x, y, x + tileSize_, y + tileSize_};
}

std::unique_ptr<TQZTileset> CreateTileset(const std::string& fileName, int32_t tileSize, TQZColour colourKey)
{
    return TQZTileset::Create(fileName, colourKey, tileSize);
}
