#include "agConfig.h"

#include <algorithm>
#include <stdexcept>

#include "qz7kvdata.h"

namespace ag {

namespace {

std::string Trim(const std::string& s)
{
    size_t a = s.find_first_not_of(" \t\r\n"), b = s.find_last_not_of(" \t\r\n");
    return a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
}

std::vector<uint8_t> Bytes(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

// The ranges of the options screen's sliders, in milliseconds.
struct SpeedRange {
    const char* key;
    int32_t low, high;
};
constexpr SpeedRange kSpeeds[] = {
    {"Speed.Deal", 100, 900}, {"Speed.Play", 100, 400}, {"Speed.Thinking", 50, 800}, {"Speed.Prompt", 1, 100000},
    {"Speed.Bid", 1, 100000}};

}  // namespace

std::vector<uint8_t> DefaultSettings(const std::string& sourceText, const ChoiceFiles& choices)
{
    TQZKeyValue tree;
    tree.ReadLines(sourceText);
    for (const auto& [key, files] : choices) {
        std::string value = tree.GetString(key);
        if (std::find(files.begin(), files.end(), value) == files.end())
            throw std::runtime_error("Default.cfg: " + key + " names \"" + value + "\", which is not generated");
    }
    for (const SpeedRange& s : kSpeeds) {
        if (!tree.HasPath(s.key)) throw std::runtime_error(std::string("Default.cfg lacks ") + s.key);
        int32_t v = tree.GetInt(s.key);
        if (v < s.low || v > s.high)
            throw std::runtime_error(std::string("Default.cfg: ") + s.key + " = " + std::to_string(v) +
                                     " lies outside " + std::to_string(s.low) + ".." + std::to_string(s.high));
    }
    return Bytes(sourceText);
}

std::vector<std::string> ReadNameList(const std::string& sourceText)
{
    std::vector<std::string> names;
    size_t start = 0;
    while (start <= sourceText.size()) {
        size_t end = sourceText.find('\n', start);
        if (end == std::string::npos) end = sourceText.size();
        std::string line = sourceText.substr(start, end - start);
        size_t hash = line.find('#');
        if (hash != std::string::npos) line.erase(hash);
        line = Trim(line);
        if (!line.empty()) names.push_back(line);
        start = end + 1;
    }
    return names;
}

std::vector<uint8_t> OpponentsFile(const std::vector<std::string>& names)
{
    // Three computer seats need three different names.
    std::vector<std::string> unique = names;
    std::sort(unique.begin(), unique.end());
    if (std::unique(unique.begin(), unique.end()) - unique.begin() < 3)
        throw std::runtime_error("the opponent list needs at least three different names");
    std::string line;
    for (const std::string& n : names) {
        if (n.find(',') != std::string::npos) throw std::runtime_error("an opponent name holds a comma: " + n);
        line += (line.empty() ? "" : ",") + n;
    }
    return Bytes(line + "\r\n");
}

std::vector<uint8_t> LobbiesFile(const std::vector<std::string>& texts)
{
    if (texts.size() != 3) throw std::runtime_error("the lobby list needs exactly three lines");
    return Bytes(texts[0] + "\r\n" + texts[1] + "\r\n" + texts[2] + "\r\n");
}

}  // namespace ag
