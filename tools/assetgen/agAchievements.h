// The achievement and statistic definition files, from their text sources:
// one definition a line in the form the game's files hold, "#" lines as
// comments. Checked before they are written: every condition parses over
// its trigger's variables, every named statistic exists, every icon cell has
// a medal drawn for it; then scrambled, the achievements with their check
// value.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "clAchievementConfig.h"

namespace ag {

std::vector<TAchievementDef> ReadAchievementSource(const std::string& sourceText);
std::vector<TStatisticDef> ReadStatisticSource(const std::string& sourceText);

struct AchievementFiles {
    std::vector<uint8_t> achievements;  // Assets/Config/Achievements.cfg
    std::vector<uint8_t> statistics;    // Assets/Config/Statistics.cfg
};

// Throws std::runtime_error listing every fault found.
AchievementFiles AchievementConfigFiles(const std::string& achievementSource, const std::string& statisticSource);

}  // namespace ag
