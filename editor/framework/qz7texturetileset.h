// A texture cut into square tiles.
#pragma once

#include "qz7texture.h"

#include <memory>
#include <string>

class TQZTileset : public TQZClass {
public:
    TQZTileset() = default;
    // nullptr when the image cannot be loaded or the tile size is below 1.
    static std::unique_ptr<TQZTileset> Create(const std::string& fileName, TQZColour colourKey, int32_t tileSize);

    bool Loaded() const { return loaded_; }
    TQZTexture* Texture() const { return texture_.get(); }
    int32_t TileSize() const { return tileSize_; }
    int32_t Rows() const { return rows_; }
    int32_t Columns() const { return columns_; }
    // The texture pixels of tile n, counted along the rows; empty outside.
    TQZRect TileRect(int32_t n) const;

private:
    bool loaded_ = false;
    std::unique_ptr<TQZTexture> texture_;
    int32_t tileSize_ = 0, rows_ = 0, columns_ = 0;
};

std::unique_ptr<TQZTileset> CreateTileset(const std::string& fileName, int32_t tileSize, TQZColour colourKey);
