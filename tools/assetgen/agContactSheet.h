// One picture of every card, back, table and texture the generator made,
// for people to look at.
#pragma once

#include <cstdint>
#include <vector>

#include "agGenerate.h"

namespace ag {

std::vector<uint8_t> ContactSheetPng(const std::vector<AssetFile>& files);

}  // namespace ag
