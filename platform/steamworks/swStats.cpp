#include "swStats.h"

#include "osDesktop.h"
#include "osFiles.h"

#include <cctype>
#include <charconv>
#include <sstream>

namespace plat::steamworks {

namespace {

bool ParseInt(const std::string& text, int32_t& value)
{
    const char* end = text.data() + text.size();
    auto [p, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && p == end;
}

bool ParseLine(const std::string& line, StatsRecord& record, std::string& why)
{
    std::istringstream in(line);
    std::string kind, name, value, extra;
    in >> kind >> name >> value;
    if (kind.empty() || name.empty() || value.empty() || (in >> extra)) {
        why = "expected three fields";
        return false;
    }
    if (!ValidStatName(name)) {
        why = "bad name";
        return false;
    }
    int32_t number = 0;
    if (!ParseInt(value, number)) {
        why = "bad value \"" + value + "\"";
        return false;
    }
    if (kind == "stat") {
        record.stats[name] = number;
    } else if (kind == "achievement" && (number == 0 || number == 1)) {
        record.achievements[name] = number == 1;
    } else {
        why = "unknown entry \"" + kind + " " + value + "\"";
        return false;
    }
    return true;
}

bool MakeFolders(const std::string& path)
{
    // Every folder of the path up to its last '/'.
    for (size_t at = path.find('/', 1); at != std::string::npos; at = path.find('/', at + 1))
        if (plat::os::MakeFolder(path.substr(0, at)) == plat::os::MakeFolderResult::Failed) return false;
    return true;
}

}  // namespace

std::string DefaultStatsFolder()
{
    const std::string home = plat::os::UserDataHome();
    return home.empty() ? std::string() : home + "VantorelQar/Steam/";
}

std::string StatsFilePath(const std::string& folder, UserId user)
{
    return folder + std::to_string(user) + ".stats";
}

bool ValidStatName(const std::string& name)
{
    if (name.empty() || name.size() > kNameMax) return false;
    for (unsigned char c : name)
        if (!std::isgraph(c)) return false;
    return true;
}

StatsLoad LoadStats(const std::string& path, StatsRecord& out, std::string& error)
{
    plat::os::FileHandle file = plat::os::OpenFile(path, plat::os::OpenMode::Read);
    if (!file.Valid()) {
        if (!plat::os::Facts(path).exists) return StatsLoad::Missing;
        error = path + ": cannot be read";
        return StatsLoad::Broken;
    }
    std::string text;
    char buffer[4096];
    for (int64_t n; (n = file.Read(buffer, sizeof(buffer))) != 0;) {
        if (n < 0) {
            error = path + ": cannot be read";
            return StatsLoad::Broken;
        }
        text.append(buffer, size_t(n));
    }
    StatsRecord record;
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.find_first_not_of(" \t") == std::string::npos || line[0] == '#') continue;
        std::string why;
        if (!ParseLine(line, record, why)) {
            error = path + ": line " + std::to_string(number) + ": " + why;
            return StatsLoad::Broken;
        }
    }
    out = std::move(record);
    return StatsLoad::Ok;
}

bool SaveStats(const std::string& path, UserId user, const StatsRecord& record)
{
    if (!MakeFolders(path)) return false;
    std::string text = "# statistics and achievements of user " + std::to_string(user) + "\n";
    for (const auto& [name, value] : record.stats) text += "stat " + name + " " + std::to_string(value) + "\n";
    for (const auto& [name, done] : record.achievements)
        text += "achievement " + name + (done ? " 1\n" : " 0\n");
    std::string temp;
    plat::os::FileHandle file = plat::os::CreateTempBeside(path, temp);
    if (!file.Valid()) return false;
    const bool written = file.Write(text.data(), int64_t(text.size())) == int64_t(text.size()) && file.Sync();
    const bool closed = file.Close();
    if (!written || !closed || !plat::os::RenameFile(temp, path)) {
        (void)plat::os::RemoveFile(temp);  // the failure is reported; nothing more to do with a temp file
        return false;
    }
    return true;
}

}  // namespace plat::steamworks
