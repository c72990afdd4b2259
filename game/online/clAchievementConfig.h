// The achievement and statistic definition files: scrambled text under a
// fixed key, one definition a line, the achievement file headed by a check
// value over its lines. The engine reads them here and the asset generator
// writes them here, so both always agree on the format and the key.
#pragma once

#include "qz7core.h"

#include <cstdint>
#include <string>
#include <vector>

constexpr const char* kAchievementConfigFile = "Assets\\Config\\Achievements.cfg";
constexpr const char* kStatisticConfigFile = "Assets\\Config\\Statistics.cfg";
// Two upper-case words of eight letters and a year, joined by underscores.
constexpr const char* kConfigScrambleKey = "VANTOREL_MISERIES_2025";

// One achievement as defined; the progress fields belong to the engine.
struct TAchievementDef {
    int32_t id = 0;
    int32_t target = 0;
    TQZPoint icon{};          // column and row of the 64 x 64 icon cell
    std::string title;
    std::string description;
    std::string kind;         // "hidden" hides a locked achievement
    std::string trigger;      // upper case
    std::string condition;    // upper case: an expression or "@STATISTIC"
    std::string statistic;    // lower case
};

struct TStatisticDef {
    int32_t id = 0;
    std::string name;       // lower case
    std::string caption;
    std::string trigger;    // upper case
    std::string condition;  // upper case: an expression or "$POINTS_FUNCTION"
};

// XOR with the key, repeated over the bytes; applying it twice restores them.
std::string ScrambleConfigText(const std::string& bytes);

// One definition line. Fields are cut at every comma, quoted or not; text
// fields are what stands between the field's first pair of double quotes.
TAchievementDef ParseAchievementLine(const std::string& line);
// Items split as a comma list (quoted commas stay); false when the line has
// fewer than the five items of a statistic.
[[nodiscard]] bool ParseStatisticLine(const std::string& line, TStatisticDef& def);

// The running check value: CRC-32 from 0, never inverted, over each record's
// id and target (little-endian) and its upper-cased trigger and condition.
uint32_t AchievementCheckStep(uint32_t crc, const TAchievementDef& def);
uint32_t AchievementCheckValue(const std::vector<TAchievementDef>& defs);

// The plain (unscrambled) file texts, lines ending CR LF. Fields that the
// reader could not give back (commas or double quotes inside a text field,
// an empty statistic item) make them fail with the reason in *error.
[[nodiscard]] bool FormatAchievementConfig(const std::vector<TAchievementDef>& defs, std::string& text, std::string* error);
[[nodiscard]] bool FormatStatisticConfig(const std::vector<TStatisticDef>& defs, std::string& text, std::string* error);

// Formats, scrambles and writes the file in place of the old one (temporary
// file and rename). False, with the reason in *error, when nothing was written.
[[nodiscard]] bool WriteAchievementConfig(const std::string& path, const std::vector<TAchievementDef>& defs, std::string* error);
[[nodiscard]] bool WriteStatisticConfig(const std::string& path, const std::vector<TStatisticDef>& defs, std::string* error);
