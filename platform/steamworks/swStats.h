// One user's statistics and achievements, kept in a text file of the per-user
// folder: a line "stat <name> <value>" or "achievement <name> <0|1>" each.
// A file that does not read cleanly is never written over.
#pragma once
#include "swTypes.h"

#include <map>
#include <string>

namespace plat::steamworks {

struct StatsRecord {
    std::map<std::string, int32_t> stats;
    std::map<std::string, bool> achievements;
    bool operator==(const StatsRecord&) const = default;
};

// The per-user folder's "VantorelQar/Steam/"; empty when there is none.
std::string DefaultStatsFolder();
// "<folder><user>.stats"
std::string StatsFilePath(const std::string& folder, UserId user);

// 1 to kNameMax printable characters without blanks.
bool ValidStatName(const std::string& name);

enum class StatsLoad { Ok, Missing, Broken };
// Broken: the reason (with the line number) is in error, out is untouched.
StatsLoad LoadStats(const std::string& path, StatsRecord& out, std::string& error);
// Writes a replacement beside the file and renames it over, making the
// folders that are missing. False when any step fails.
[[nodiscard]] bool SaveStats(const std::string& path, UserId user, const StatsRecord& record);

}  // namespace plat::steamworks
