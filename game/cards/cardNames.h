// The display texts of cards: suits, ranks and whole cards ("Queen of
// Hearts", "Joker"); empty for a value that is none.
#pragma once

#include "coreGame.h"

#include <string>

std::string SuitName(TSuit suit);
std::string RankName(int32_t rank);
std::string CardName(TCard card);
