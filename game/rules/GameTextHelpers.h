// Display texts of bids and player kinds (those of cards are in cardNames),
// the numbered-placeholder formatter, and the opponent and lobby name lists
// read at start-up.
#pragma once

#include "cardNames.h"
#include "coreGame.h"

#include <string>
#include <vector>

std::string BidText(const TBid& bid);
std::string PlayerKindName(int32_t kind);

// Replaces %1..%N by the arguments in order, every occurrence, on the result
// of the previous step. Arguments are cut to 255 characters.
std::string FormatNumbered(const std::string& message, const std::vector<std::string>& arguments);
// The two texts with " vs " between them, taken as they are.
std::string FormatVersusLabel(const std::string& left, const std::string& right);

// "AI " and a name drawn from the opponent list.
std::string OpponentName();
void LoadOpponentLists();
void SetOpponentList(const std::string& commaSeparated);  // tests and tools
const std::string& OpponentList();
const std::string& LobbyText(int32_t index);  // 1..3
void FreeOpponentLists();
