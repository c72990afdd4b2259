#include "agAchievements.h"

#include <stdexcept>

#include "agArt.h"
#include "clAchievements.h"
#include "qz7text.h"

namespace ag {

namespace {

// The source's definition lines: blank lines and "#" comments dropped.
std::vector<std::string> DefinitionLines(const std::string& text)
{
    std::vector<std::string> lines = SplitLines(text);
    std::erase_if(lines, [](const std::string& line) {
        size_t first = line.find_first_not_of(" \t");
        return first == std::string::npos || line[first] == '#';
    });
    return lines;
}

std::vector<uint8_t> Bytes(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

}  // namespace

std::vector<TAchievementDef> ReadAchievementSource(const std::string& sourceText)
{
    std::vector<TAchievementDef> defs;
    for (const std::string& line : DefinitionLines(sourceText)) defs.push_back(ParseAchievementLine(line));
    return defs;
}

std::vector<TStatisticDef> ReadStatisticSource(const std::string& sourceText)
{
    std::vector<TStatisticDef> defs;
    for (const std::string& line : DefinitionLines(sourceText)) {
        TStatisticDef d;
        if (!ParseStatisticLine(line, d)) throw std::runtime_error("Statistics source: not a statistic: " + line);
        defs.push_back(d);
    }
    return defs;
}

AchievementFiles AchievementConfigFiles(const std::string& achievementSource, const std::string& statisticSource)
{
    std::vector<TAchievementDef> achievements = ReadAchievementSource(achievementSource);
    std::vector<TStatisticDef> statistics = ReadStatisticSource(statisticSource);
    std::vector<std::string> faults = CheckAchievementDefinitions(achievements, statistics);
    for (const TAchievementDef& a : achievements) {
        if (a.title.empty() || a.description.empty())
            faults.push_back("achievement " + std::to_string(a.id) + ": no title or description");
        if (a.icon.x < 0 || a.icon.x > 7 || a.icon.y < 0 || a.icon.y > 7 ||
            !AchievementIconDesigned(a.icon.y * 8 + a.icon.x))
            faults.push_back("achievement " + std::to_string(a.id) + ": no medal is drawn for its icon cell");
    }
    if (achievements.empty()) faults.push_back("no achievement is defined");
    std::string achievementText, statisticText, error;
    if (!FormatAchievementConfig(achievements, achievementText, &error)) faults.push_back(error);
    if (!FormatStatisticConfig(statistics, statisticText, &error)) faults.push_back(error);
    if (!faults.empty()) {
        std::string all = "the achievement definitions are faulty:";
        for (const std::string& f : faults) all += "\n  " + f;
        throw std::runtime_error(all);
    }
    return {Bytes(ScrambleConfigText(achievementText)), Bytes(ScrambleConfigText(statisticText))};
}

}  // namespace ag
