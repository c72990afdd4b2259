// The packed interface textures ("Textures.ice", children 1 to 31): their
// sizes, and the one table of every cell drawn into them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "agArt.h"
#include "qz7icedata.h"

namespace ag {

struct TextureSheet {
    uint32_t id;       // resource id and child id in the archive
    const char* name;  // the resource table's file name
    int32_t width, height;
};

// One cell (or a grid of equal cells, columns x rows, left to right then
// top to bottom) of a texture, with the widget that uses it.
struct TextureCell {
    uint32_t texture;
    int32_t x, y, w, h;
    int32_t columns, rows;
    CellArt art;
    const char* use;
};

const std::vector<TextureSheet>& TextureSheets();
const std::vector<TextureCell>& TextureCells();

// The PNG file of one texture.
std::vector<uint8_t> DrawTextureSheet(const TextureSheet& sheet);

// The archive: a root with one child per texture, its id the resource id
// and its data the PNG file; pngs in the order of TextureSheets().
std::unique_ptr<TQZIceData> BuildTextureArchive(const std::vector<std::vector<uint8_t>>& pngs);

}  // namespace ag
