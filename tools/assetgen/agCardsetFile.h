// A cardset's `.cards` file: its 53 pictures and texts through the game's
// own cardset writer.
#pragma once

#include <cstdint>
#include <vector>

#include "agCards.h"

namespace ag {

// pictures: the PNG files of slots 0..52.
std::vector<uint8_t> CardsetFile(const CardsetStyle& style, const std::vector<std::vector<uint8_t>>& pictures);

}  // namespace ag
