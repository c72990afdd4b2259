#include "GameTextHelpers.h"

#include "qz7files.h"
#include "qz7text.h"
#include "coreGameDiagnostics.h"

namespace {
const char* const kKindNames[3] = {"local", "remote", "AI"};
const char* const kDefaultOpponents = "Maren,Oskar,Lidia,Tobin";
const char* const kOpponentsFile = "Assets\\Config\\Opponents.txt";
const char* const kLobbiesFile = "Assets\\Config\\Lobbies.txt";

struct Lists {
    std::string opponents = kDefaultOpponents;
    std::string lobbies[3] = {"Unadorned", "Empty", "Building"};
};
Lists& L()
{
    static Lists l;
    return l;
}

void ReplaceAllNoCase(std::string& text, const std::string& what, const std::string& with)
{
    if (what.empty()) return;
    std::string lowerText = LowerText(text);
    std::string lowerWhat = LowerText(what);
    std::string out;
    size_t pos = 0;
    for (;;) {
        size_t hit = lowerText.find(lowerWhat, pos);
        if (hit == std::string::npos) break;
        out.append(text, pos, hit - pos);
        out += with;
        pos = hit + what.size();
    }
    out.append(text, pos, std::string::npos);
    text = std::move(out);
}

void Unloadable(const char* path) { ShowWarning("Unable to load file \"" + ShownPath(path) + "\""); }

bool ReadLines(const char* path, std::vector<std::string>& lines)
{
    if (!IsFile(path)) return false;
    std::string text = ReadTextFile(path);
    lines.clear();
    std::string line;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == '\n' || text[i] == '\r') {
            if (i < text.size() && text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            if (i < text.size() || !line.empty()) lines.push_back(line);
            line.clear();
        } else {
            line += text[i];
        }
    }
    return true;
}
}  // namespace

std::string BidText(const TBid& bid)
{
    if (IsMisereBid(bid)) return "Misere";
    if (BidEquals(bid, BID_NONE)) return "no bid";
    return std::to_string(bid.count) + " " + SuitName(bid.suit);
}

std::string PlayerKindName(int32_t kind) { return kind >= 0 && kind < 3 ? kKindNames[kind] : std::string(); }

std::string FormatNumbered(const std::string& message, const std::vector<std::string>& arguments)
{
    std::string out = message;
    for (size_t i = 0; i < arguments.size(); ++i) {
        std::string arg = arguments[i].substr(0, 255);
        ReplaceAllNoCase(out, "%" + std::to_string(i + 1), arg);
    }
    return out;
}

std::string FormatVersusLabel(const std::string& left, const std::string& right) { return left + " vs " + right; }

std::string OpponentName()
{
    const std::string& list = L().opponents;
    int32_t commas = CountChar(list, ',');
    int32_t pick = RandomBetween(0, commas);
    size_t start = 0;
    for (int32_t i = 0; i < pick; ++i) start = list.find(',', start) + 1;
    size_t end = list.find(',', start);
    return "AI " + list.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

void LoadOpponentLists()
{
    std::vector<std::string> lines;
    if (ReadLines(kOpponentsFile, lines) && !lines.empty()) {
        L().opponents = lines[0];
    } else {
        Unloadable(kOpponentsFile);
        L().opponents = kDefaultOpponents;
    }
    if (ReadLines(kLobbiesFile, lines) && lines.size() >= 3) {
        for (int i = 0; i < 3; ++i) L().lobbies[i] = lines[i];
    } else {
        Unloadable(kLobbiesFile);
        L().lobbies[0] = "Unadorned";
        L().lobbies[1] = "Empty";
        L().lobbies[2] = "Building";
    }
}

void SetOpponentList(const std::string& commaSeparated) { L().opponents = commaSeparated; }
const std::string& OpponentList() { return L().opponents; }

const std::string& LobbyText(int32_t index)
{
    static const std::string none;
    return index >= 1 && index <= 3 ? L().lobbies[index - 1] : none;
}

void FreeOpponentLists() { L() = Lists{}; }
