#include "mgrAchievements.h"

#include "coreGameDiagnostics.h"
#include "mgrSettings.h"
#include "qz7files.h"
#include "qz7memory.h"
#include "qz7text.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstdio>
#include <ctime>

TAchievements* Achievements = nullptr;

void RegisterAchievementsManager()
{
    RegisterManagerClass<TAchievements, &Achievements>(MGR_ACHIEVEMENTS, DomainBit(MGR_SETTINGS),
                                                       "Achievement Engine");
}

namespace {

constexpr const char* kStatisticCondition = "@STATISTIC";
constexpr const char* kPointsCondition = "$POINTS_FUNCTION";
constexpr size_t kMaxUserNameLength = 200;  // the file names stay within the system's limit
const TQZRect kPopupRect{220, 25, 660, 74};

std::string Hex8(uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%08X", value);
    return text;
}

// Lines of a text file, CR LF or LF; blank lines dropped.
std::vector<std::string> TextLines(const std::string& text)
{
    std::vector<std::string> lines = SplitLines(text);
    std::erase_if(lines, [](const std::string& line) { return TrimText(line).empty(); });
    return lines;
}

// The scrambled file as its plain lines; a missing file ends the program.
std::vector<std::string> LoadConfigLines(const std::string& file)
{
    int32_t result = QZRES_OK;
    std::unique_ptr<TQZMemory> memory = TQZMemory::CreateFromFile(file, &result);
    // An empty file is there and defines nothing; only a missing or
    // unreadable one is fatal.
    if (!memory && IsFile(file) && FileSizeOf(file) == 0) return {};
    if (!memory) FatalError("Unable to load file \"" + ShownPath(file) + "\"");
    std::string plain = ScrambleConfigText(memory->AsString());
    std::vector<std::string> lines;
    TQZBytesStream stream(plain.data(), plain.size());
    while (!StreamAtEnd(stream)) lines.push_back(ReadStreamLine(stream));
    return lines;
}

int32_t AddClamped(int32_t value, int32_t add)
{
    int64_t sum = int64_t(value) + int64_t(add);
    return static_cast<int32_t>(std::clamp<int64_t>(sum, 0, INT32_MAX));
}

using namespace std::chrono;
constexpr sys_days kDateEpoch = sys_days{year{1899} / December / 30};
constexpr double kLastDay = 2958465.0;  // 9999-12-31

}  // namespace

// ---------------------------------------------------------------- dates
std::string DateTimeToText(double days)
{
    if (!(days >= 0 && days < kLastDay + 1)) days = 0;
    int64_t whole = static_cast<int64_t>(std::floor(days));
    int64_t seconds = std::llround((days - double(whole)) * 86400.0);
    if (seconds >= 86400) {
        whole += 1;
        seconds -= 86400;
    }
    year_month_day ymd{kDateEpoch + std::chrono::days{whole}};
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u %02lld:%02lld:%02lld", int(ymd.year()), unsigned(ymd.month()),
                  unsigned(ymd.day()), static_cast<long long>(seconds / 3600),
                  static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
    return text;
}

double TextToDateTime(const std::string& text)
{
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    char tail = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%c", &y, &mo, &d, &h, &mi, &s, &tail) != 6) return 0;
    year_month_day ymd{year{y}, month{unsigned(mo)}, day{unsigned(d)}};
    if (!ymd.ok() || h > 23 || mi > 59 || s > 59 || h < 0 || mi < 0 || s < 0) return 0;
    double days = double((sys_days{ymd} - kDateEpoch).count());
    if (days < 0) return 0;
    return days + (h * 3600 + mi * 60 + s) / 86400.0;
}

double LocalNowDays()
{
    std::time_t t = std::time(nullptr);
    std::tm local{};
    localtime_r(&t, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return TextToDateTime(text);
}

// ---------------------------------------------------------------- user files
bool IsPlainFileName(const std::string& name)
{
    if (name.empty() || name == "." || name == ".." || name.size() > kMaxUserNameLength) return false;
    for (unsigned char c : name)
        if (c == '/' || c == '\\' || c < 0x20 || c == 0x7F) return false;
    return true;
}

std::string AchievementUserName()
{
    std::string name = SettingText("Game.Username");
    if (name.empty()) name = "Player";
    return IsPlainFileName(name) ? name : std::string();
}

std::string TAchievements::UserDataPath() const
{
    std::string name = AchievementUserName();
    return name.empty() ? std::string() : UserFolder() + name + ".userdata";
}

std::string TAchievements::StatisticsPath() const
{
    std::string name = AchievementUserName();
    return name.empty() ? std::string() : UserFolder() + name + ".statistics";
}

// ---------------------------------------------------------------- engine
TAchievements::TAchievements() = default;

TAchievements::~TAchievements()
{
    if (&AchievementLink() == this) SetAchievementLink(nullptr);
}

double TAchievements::Now() const { return now_ ? now_() : LocalNowDays(); }

void TAchievements::Initialize()
{
    achievements_.clear();
    triggers_.clear();
    statistics_.clear();
    disabled_ = false;
    changed_ = false;
    onUnlock_ = nullptr;
    onStatistic_ = nullptr;
    triggers_.push_back(std::make_unique<TTriggerGame>([this] { return Now(); }));
    triggers_.push_back(std::make_unique<TTriggerHand>());
    triggers_.push_back(std::make_unique<TTriggerTrick>());
    LoadAchievementConfig();
    LoadStatisticConfig();
    LoadProgress();
    CheckStatisticAchievements();
    SetAchievementLink(this);
}

void TAchievements::LoadAchievementConfig()
{
    WriteLog(std::string("Loading achievement configuration: ") + kAchievementConfigFile);
    std::vector<std::string> lines = LoadConfigLines(kAchievementConfigFile);
    uint32_t stored = lines.empty() ? 0 : uint32_t(HexToIntDef(TrimText(lines[0]), 0));
    uint32_t computed = 0;
    for (size_t i = 1; i < lines.size(); ++i) {
        if (TrimText(lines[i]).empty()) continue;
        TAchieveRec rec;
        static_cast<TAchievementDef&>(rec) = ParseAchievementLine(lines[i]);
        computed = AchievementCheckStep(computed, rec);
        achievements_.push_back(std::move(rec));
    }
    if (computed != stored) {
        ShowWarning("Achievement data altered! Achievements disabled. " + Hex8(computed) + " " + Hex8(stored));
        disabled_ = true;
    }
    WriteLog("Achievement configuration complete; " + std::to_string(achievements_.size()) +
             " achievement criteria established.");
}

void TAchievements::LoadStatisticConfig()
{
    WriteLog(std::string("Loading statistic configuration: ") + kStatisticConfigFile);
    std::vector<std::string> lines = LoadConfigLines(kStatisticConfigFile);
    int32_t ignored = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (TrimText(lines[i]).empty()) continue;
        TStatisticRec rec;
        if (!ParseStatisticLine(lines[i], rec)) {
            WriteLog("Statistic line " + std::to_string(i + 1) + " ignored: fewer than five items");
            ++ignored;
            continue;
        }
        statistics_.push_back(std::move(rec));
    }
    WriteLog("Statistic configuration complete; " + std::to_string(statistics_.size()) + " metrics configured.");
    WarnOfMissingStatistics(ignored);
}

// A damaged file is told once; the achievements that count a statistic it
// no longer defines then stand still (CheckStatisticAchievements skips them).
void TAchievements::WarnOfMissingStatistics(int32_t ignoredLines)
{
    std::vector<std::string> missing;
    for (const TAchieveRec& a : achievements_)
        if (a.condition == kStatisticCondition && StatisticIndex(a.statistic) < 0 &&
            std::find(missing.begin(), missing.end(), a.statistic) == missing.end())
            missing.push_back(a.statistic);
    if (ignoredLines == 0 && missing.empty()) return;
    std::string text = std::string("The statistic definitions in \"") + kStatisticConfigFile + "\" are damaged";
    if (ignoredLines > 0) text += "; " + std::to_string(ignoredLines) + " lines could not be read";
    if (!missing.empty()) {
        text += "; missing:";
        for (size_t i = 0; i < missing.size(); ++i) text += (i ? ", " : " ") + missing[i];
        text += ". The achievements that count them will not advance";
    }
    ShowWarning(text + ".");
}

TTrigger* TAchievements::FindTrigger(const std::string& name)
{
    std::string upper = UpperText(name);
    for (auto& t : triggers_)
        if (t->Name() == upper) return t.get();
    return nullptr;
}

void TAchievements::ProcessTrigger(const std::string& name)
{
    if (disabled_) return;
    std::string upper = UpperText(name);
    TTrigger* trigger = FindTrigger(upper);
    if (!trigger) {
        AdminLog(name + " statistic error - no associated trigger");
        return;
    }
    for (size_t i = 0; i < statistics_.size(); ++i) {
        const TStatisticRec& s = statistics_[i];
        if (s.trigger != upper) continue;
        if (s.condition == kPointsCondition) {
            int32_t points = LocalHandPoints();
            AdminLog("SPECIAL - evaluating points_scored (+" + std::to_string(points) + ")");
            if (points > 0) SetStatistic(int32_t(i), AddClamped(s.value, points));
            changed_ = true;
        } else if (trigger->EvaluateCondition(s.condition)) {
            AdminLog(s.name + ": Evaluated for conditions \"" + s.condition + "\" result TRUE");
            SetStatistic(int32_t(i), AddClamped(s.value, 1));
            changed_ = true;
        }
    }
    // An unlock sorts the list: take the ids first so none is skipped or
    // counted twice.
    std::vector<std::pair<int32_t, std::string>> due;
    for (const TAchieveRec& a : achievements_)
        if (a.trigger == upper && a.condition != kStatisticCondition) due.emplace_back(a.id, a.condition);
    for (const auto& [id, condition] : due)
        if (trigger->EvaluateCondition(condition)) IncrementProgress(id);
    CheckStatisticAchievements();
}

void TAchievements::CheckStatisticAchievements()
{
    std::vector<std::pair<int32_t, std::string>> due;
    for (const TAchieveRec& a : achievements_)
        if (a.condition == kStatisticCondition) due.emplace_back(a.id, a.statistic);
    for (const auto& [id, statistic] : due)
        if (const TStatisticRec* s = StatisticNamed(statistic)) SetProgress(id, s->value);
}

void TAchievements::SetStatistic(int32_t index, int32_t value)
{
    if (index < 0 || size_t(index) >= statistics_.size()) return;
    statistics_[size_t(index)].value = MaxOf(0, value);
    if (onStatistic_) onStatistic_(statistics_[size_t(index)].name);
}

void TAchievements::IncrementProgress(int32_t id)
{
    if (TAchieveRec* a = FindAchievementById(id)) SetProgress(id, AddClamped(a->progress, 1));
}

void TAchievements::SetProgress(int32_t id, int32_t value)
{
    TAchieveRec* a = FindAchievementById(id);
    if (!a) return;
    // Progress of any kind is worth saving, not only statistics.
    if (a->progress != value) changed_ = true;
    a->progress = value;
    if (value < a->target || a->unlocked) return;
    a->unlockTime = Now();
    a->unlocked = true;
    changed_ = true;
    std::string title = a->title;
    WriteLog("Achievement unlocked: " + title);
    Sort();
    if (onUnlock_) onUnlock_(title);
    if (popup_) popup_(id, kPopupRect);
}

void TAchievements::Sort()
{
    std::stable_sort(achievements_.begin(), achievements_.end(), [](const TAchieveRec& a, const TAchieveRec& b) {
        bool ua = a.progress >= a.target, ub = b.progress >= b.target;
        if (ua != ub) return ua;
        return ua ? a.unlockTime < b.unlockTime : a.id < b.id;
    });
}

TAchieveRec* TAchievements::GetAchievement(int32_t index)
{
    return index >= 0 && size_t(index) < achievements_.size() ? &achievements_[size_t(index)] : nullptr;
}

int32_t TAchievements::IndexOfAchievement(const std::string& title) const
{
    for (size_t i = 0; i < achievements_.size(); ++i)
        if (achievements_[i].title == title) return int32_t(i);
    return -1;
}

TAchieveRec TAchievements::GetAchievementRec(int32_t index) const
{
    return index >= 0 && size_t(index) < achievements_.size() ? achievements_[size_t(index)] : TAchieveRec{};
}

TAchieveRec* TAchievements::FindAchievementById(int32_t id)
{
    for (TAchieveRec& a : achievements_)
        if (a.id == id) return &a;
    return nullptr;
}

int32_t TAchievements::StatisticIndex(const std::string& name) const
{
    std::string upper = UpperText(name);
    for (size_t i = 0; i < statistics_.size(); ++i)
        if (UpperText(statistics_[i].name) == upper) return int32_t(i);
    return -1;
}

TStatisticRec* TAchievements::StatisticNamed(const std::string& name)
{
    int32_t index = StatisticIndex(name);
    return index < 0 ? nullptr : &statistics_[size_t(index)];
}

TStatisticRec TAchievements::FindStatistic(const std::string& name) const
{
    int32_t index = StatisticIndex(name);
    if (index >= 0) return statistics_[size_t(index)];
    ShowWarning("Statistic not found \"" + name + "\"");
    return TStatisticRec{};
}

void TAchievements::ResetProgress()
{
    for (TAchieveRec& a : achievements_) {
        a.progress = 0;
        a.unlocked = false;
        a.unlockTime = 0;
    }
    for (TStatisticRec& s : statistics_) s.value = 0;
    unknownStatistics_.clear();
    changed_ = true;
    Sort();
}

// ---------------------------------------------------------------- progress
void TAchievements::LoadProgress()
{
    changed_ = false;
    unknownStatistics_.clear();
    WriteLog("Loading achievement progress");
    std::string userData = UserDataPath();
    if (userData.empty())
        ShowWarning("The user name \"" + SettingText("Game.Username") +
                    "\" cannot name a file; achievement progress is not kept");
    else if (IsFile(userData))
        LoadUserData(userData);
    WriteLog("Loading statistics progress");
    std::string statistics = StatisticsPath();
    if (!statistics.empty() && IsFile(statistics)) LoadStatistics(statistics);
    CatchUpStatistics();
    WriteLog("Player progress loaded successfully.");
    Sort();
}

// The two files cannot be replaced together. The progress is written first,
// so a crash between the writes leaves new progress over old statistics; an
// achievement that counts a statistic was last saved with that statistic's
// value as its progress, so the statistic is at least that. Statistics that
// no achievement counts may stay one session behind, which nothing contradicts.
void TAchievements::CatchUpStatistics()
{
    for (const TAchieveRec& a : achievements_) {
        if (a.condition != kStatisticCondition) continue;
        TStatisticRec* s = StatisticNamed(a.statistic);
        if (s && s->value < a.progress) {
            WriteLog("Statistic " + s->name + " behind its achievement's progress; raised from " +
                     std::to_string(s->value) + " to " + std::to_string(a.progress));
            s->value = a.progress;
        }
    }
}

void TAchievements::LoadUserData(const std::string& path)
{
    for (const std::string& line : TextLines(ReadTextFile(path))) {
        TAchievementDef fields = ParseAchievementLine(line);  // fields cut as the definitions are
        int32_t id = TextToIntDef(TrimText(line.substr(0, line.find(','))), INT32_MIN);
        TAchieveRec* a = id == INT32_MIN ? nullptr : FindAchievementById(id);
        if (!a) continue;
        a->progress = fields.target;  // field 2
        size_t open = line.find('"');
        a->unlockTime = open == std::string::npos ? 0 : TextToDateTime(TextBetween(line.substr(open), "\"", "\""));
        a->unlocked = a->unlockTime > 0;
    }
}

void TAchievements::LoadStatistics(const std::string& path)
{
    for (const std::string& line : TextLines(ReadTextFile(path))) {
        size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        std::string key = TrimText(line.substr(0, eq));
        int32_t value = MaxOf(0, TextToIntDef(TrimText(line.substr(eq + 1)), 0));
        if (TStatisticRec* s = StatisticNamed(key))
            s->value = value;
        else if (!key.empty())
            unknownStatistics_.push_back(line);  // kept for definitions that come back
    }
}

bool TAchievements::SaveProgress()
{
    if (!changed_) {
        WriteLog("Not saving statistics - no changes made");
        return true;
    }
    std::string userData = UserDataPath(), statistics = StatisticsPath();
    if (userData.empty()) {
        WriteLog("Achievement progress not saved: the user name cannot name a file");
        return false;
    }
    std::string progress, values;
    for (const TAchieveRec& a : achievements_)
        progress += std::to_string(a.id) + "," + std::to_string(a.progress) + ",\"" +
                    DateTimeToText(a.unlocked ? a.unlockTime : 0) + "\"\r\n";
    for (const TStatisticRec& s : statistics_) values += s.name + "=" + std::to_string(s.value) + "\r\n";
    for (const std::string& line : unknownStatistics_) values += line + "\r\n";
    // The progress first: LoadProgress mends statistics left behind it.
    if (WriteTextFile(userData, progress) != QZRES_OK || WriteTextFile(statistics, values) != QZRES_OK) {
        WriteLog("Unable to save achievement progress in \"" + UserFolder() + "\"");
        return false;
    }
    changed_ = false;
    return true;
}
