#include "clAchievementConfig.h"

#include "qz7crc.h"
#include "qz7files.h"
#include "qz7text.h"

#include <cstdio>

namespace {

// Field n (1-based) of the line: the text between the (n-1)-th and the n-th
// comma; empty beyond the last comma.
std::string CommaField(const std::string& line, int32_t n)
{
    size_t start = 0;
    for (int32_t i = 1; i < n; ++i) {
        size_t comma = line.find(',', start);
        if (comma == std::string::npos) return std::string();
        start = comma + 1;
    }
    size_t end = line.find(',', start);
    return line.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

std::string Quoted(const std::string& field) { return TextBetween(field, "\"", "\""); }

bool SameAchievement(const TAchievementDef& a, const TAchievementDef& b)
{
    return a.id == b.id && a.target == b.target && a.icon == b.icon && a.title == b.title &&
           a.description == b.description && a.kind == b.kind && a.trigger == b.trigger &&
           a.condition == b.condition && a.statistic == b.statistic;
}

bool SameStatistic(const TStatisticDef& a, const TStatisticDef& b)
{
    return a.id == b.id && a.name == b.name && a.caption == b.caption && a.trigger == b.trigger &&
           a.condition == b.condition;
}

bool Fail(std::string* error, const std::string& reason)
{
    if (error) *error = reason;
    return false;
}

bool HasLineBreak(const std::string& text) { return text.find_first_of("\r\n") != std::string::npos; }

std::string AchievementLine(const TAchievementDef& d)
{
    auto q = [](const std::string& t) { return "\"" + t + "\""; };
    return std::to_string(d.id) + "," + std::to_string(d.target) + "," + std::to_string(d.icon.x) + "x" +
           std::to_string(d.icon.y) + "," + q(d.title) + "," + q(d.description) + "," + q(d.kind) + "," +
           q(UpperText(d.trigger)) + "," + q(UpperText(d.condition)) + "," + q(LowerText(d.statistic));
}

std::string StatisticLine(const TStatisticDef& d)
{
    return std::to_string(d.id) + "," + LowerText(d.name) + ",\"" + d.caption + "\"," + UpperText(d.trigger) + "," +
           UpperText(d.condition);
}

bool WriteScrambled(const std::string& path, const std::string& text, std::string* error)
{
    std::string bytes = ScrambleConfigText(text);
    if (WriteFileAtomic(path, bytes.data(), static_cast<int64_t>(bytes.size())) != QZRES_OK)
        return Fail(error, "Unable to write file \"" + path + "\"");
    return true;
}

}  // namespace

std::string ScrambleConfigText(const std::string& bytes)
{
    const std::string key = kConfigScrambleKey;
    std::string out = bytes;
    for (size_t i = 0; i < out.size(); ++i) out[i] = static_cast<char>(out[i] ^ key[i % key.size()]);
    return out;
}

TAchievementDef ParseAchievementLine(const std::string& line)
{
    TAchievementDef d;
    d.id = TextToIntDef(TrimText(CommaField(line, 1)), 0);
    d.target = TextToIntDef(TrimText(CommaField(line, 2)), 0);
    std::string icon = CommaField(line, 3);
    size_t x = icon.find('x');
    if (x != std::string::npos) {
        d.icon.x = TextToIntDef(TrimText(icon.substr(0, x)), 0);
        d.icon.y = TextToIntDef(TrimText(icon.substr(x + 1)), 0);
    }
    d.title = Quoted(CommaField(line, 4));
    d.description = Quoted(CommaField(line, 5));
    d.kind = Quoted(CommaField(line, 6));
    d.trigger = UpperText(Quoted(CommaField(line, 7)));
    d.condition = UpperText(Quoted(CommaField(line, 8)));
    d.statistic = LowerText(Quoted(CommaField(line, 9)));
    return d;
}

bool ParseStatisticLine(const std::string& line, TStatisticDef& def)
{
    std::vector<std::string> items = SplitCommaList(line, true);
    if (items.size() < 5) return false;
    def.id = TextToIntDef(items[0], 0);
    def.name = LowerText(items[1]);
    def.caption = items[2];
    def.trigger = UpperText(items[3]);
    def.condition = UpperText(items[4]);
    return true;
}

uint32_t AchievementCheckStep(uint32_t crc, const TAchievementDef& def)
{
    uint8_t numbers[8];
    for (int i = 0; i < 4; ++i) {
        numbers[i] = static_cast<uint8_t>(uint32_t(def.id) >> (8 * i));
        numbers[4 + i] = static_cast<uint8_t>(uint32_t(def.target) >> (8 * i));
    }
    crc = CRC32Update(numbers, 8, crc, false);
    crc = CRC32String(UpperText(def.trigger), crc, false);
    return CRC32String(UpperText(def.condition), crc, false);
}

uint32_t AchievementCheckValue(const std::vector<TAchievementDef>& defs)
{
    uint32_t crc = 0;
    for (const TAchievementDef& d : defs) crc = AchievementCheckStep(crc, d);
    return crc;
}

bool FormatAchievementConfig(const std::vector<TAchievementDef>& defs, std::string& text, std::string* error)
{
    char check[16];
    std::snprintf(check, sizeof check, "%08X", AchievementCheckValue(defs));
    std::string out = std::string(check) + "\r\n";
    for (const TAchievementDef& d : defs) {
        std::string line = AchievementLine(d);
        TAchievementDef expected = d;
        expected.trigger = UpperText(d.trigger);
        expected.condition = UpperText(d.condition);
        expected.statistic = LowerText(d.statistic);
        // The reader cuts at every comma and stops at the first quote: what
        // it would not give back must not be written.
        if (HasLineBreak(line) || !SameAchievement(ParseAchievementLine(line), expected))
            return Fail(error, "Achievement " + std::to_string(d.id) + " has a field the file cannot hold");
        out += line + "\r\n";
    }
    text = std::move(out);
    return true;
}

bool FormatStatisticConfig(const std::vector<TStatisticDef>& defs, std::string& text, std::string* error)
{
    std::string out;
    for (const TStatisticDef& d : defs) {
        std::string line = StatisticLine(d);
        TStatisticDef expected = d;
        expected.name = LowerText(d.name);
        expected.trigger = UpperText(d.trigger);
        expected.condition = UpperText(d.condition);
        TStatisticDef back;
        if (HasLineBreak(line) || !ParseStatisticLine(line, back) || !SameStatistic(back, expected))
            return Fail(error, "Statistic \"" + d.name + "\" has a field the file cannot hold");
        out += line + "\r\n";
    }
    text = std::move(out);
    return true;
}

bool WriteAchievementConfig(const std::string& path, const std::vector<TAchievementDef>& defs, std::string* error)
{
    std::string text;
    return FormatAchievementConfig(defs, text, error) && WriteScrambled(path, text, error);
}

bool WriteStatisticConfig(const std::string& path, const std::vector<TStatisticDef>& defs, std::string* error)
{
    std::string text;
    return FormatStatisticConfig(defs, text, error) && WriteScrambled(path, text, error);
}
