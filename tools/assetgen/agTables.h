// Table backdrops (cloth with fine noise and a soft vignette, as JPEG) and
// the window icon.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "agCanvas.h"

namespace ag {

struct TableStyle {
    std::string file;  // in Tables/
    Rgb centre, edge;
};

const std::vector<TableStyle>& Tables();
constexpr int32_t TABLE_WIDTH = 1920, TABLE_HEIGHT = 1080;
std::vector<uint8_t> TableJpeg(const TableStyle& style);

constexpr int32_t ICON_SIZE = 256;
std::vector<uint8_t> WindowIconPng();

}  // namespace ag
