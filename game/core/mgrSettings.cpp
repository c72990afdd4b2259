#include "mgrSettings.h"

#include "qz7files.h"
#include "qz7kvdata.h"
#include "coreGameDiagnostics.h"
#include "osFiles.h"

TSettingsManager* SettingsManager = nullptr;
TQZKeyValue* Settings = nullptr;

namespace {
// Groups the program never writes back, whatever they hold.
const char* const kNeverSave[] = {"Debug"};
constexpr const char* kUserFolderName = "VantorelQar";

void ClearModifiedTree(TQZKeyValue* node)
{
    node->modified = false;
    for (int32_t i = 0; i < node->ChildCount(); ++i) ClearModifiedTree(node->GetChild(i));
}

void CollectDifferences(const TQZKeyValue* node, const TQZKeyValue& defaults, TQZKeyValue& diff)
{
    std::string path = node->GetPath();
    if (!path.empty()) {
        const TQZKeyValue* d = defaults.FindNode(path);
        std::string def = d ? d->Value() : std::string();
        if (def != node->Value()) diff.SetPath(path, node->Value());
    }
    for (int32_t i = 0; i < node->ChildCount(); ++i) CollectDifferences(node->GetChild(i), defaults, diff);
}
}  // namespace

void RegisterSettingsManager()
{
    RegisterManagerClass<TSettingsManager, &SettingsManager>(MGR_SETTINGS, 0, "User Settings");
}

TSettingsManager::TSettingsManager() = default;

TSettingsManager::~TSettingsManager()
{
    if (Settings == tree_.get()) Settings = nullptr;
}

void TSettingsManager::Initialize()
{
    tree_ = std::make_unique<TQZKeyValue>();
    Settings = tree_.get();
    // A missing or unreadable file is no error: the tree holds what could be read.
    (void)tree_->LoadFromFile(kDefaultsFile, KVFORM_LINES, true);
    // The editor never reveals hidden cards; a user's file may still say so.
    if (EditorVariant()) tree_->SetBool("Debug.Reveal", false);
    // What writes cut short by a crash left behind is cleared away first.
    int32_t stale = plat::os::RemoveStaleTemporaryFiles(UserFolder());
    if (stale > 0) WriteLog("Removed " + std::to_string(stale) + " unfinished temporary files");
    std::string user = UserFolder() + kSettingsFile;
    if (IsFile(user)) (void)tree_->LoadFromFile(user, KVFORM_LINES, true);
    // The editor leaves the game's version keys alone.
    if (EditorVariant()) {
        ClearModifiedTree(tree_.get());
        return;
    }
    if (tree_->GetString("Game.Lastversion") < kProgramVersion) tree_->DeletePath("Tutorials.Whatsnew");
    ClearModifiedTree(tree_.get());
    tree_->SetString("Game.Lastversion", kProgramVersion);
}

bool TSettingsManager::SaveSettings()
{
    TQZKeyValue defaults;
    (void)defaults.LoadFromFile(kDefaultsFile, KVFORM_LINES, true);  // as in Initialize
    TQZKeyValue diff;
    CollectDifferences(tree_.get(), defaults, diff);
    for (const char* group : kNeverSave) diff.DeletePath(group);
    std::string file = UserFolder() + kSettingsFile;
    if (!diff.SaveToFile(file, KVFORM_LINES)) {
        WriteLog("Unable to save settings to " + file);
        return false;
    }
    ClearModifiedTree(tree_.get());
    return true;
}

bool SettingBool(const std::string& key) { return Settings && Settings->GetBool(key, false); }
int32_t SettingInt(const std::string& key) { return Settings ? Settings->GetInt(key) : 0; }
std::string SettingText(const std::string& key) { return Settings ? Settings->GetString(key) : std::string(); }

void SetSetting(const std::string& key, const std::string& value)
{
    if (Settings) Settings->SetString(key, value);
}

int32_t GetSpeedSetting(TQZKeyValue* tree, const std::string& key)
{
    if (!tree) return 0;
    if (tree->GetBool("Debug.InstantPlay", false)) return 1;
    return tree->GetInt(key);
}

int32_t GetSpeedSetting(const std::string& key) { return GetSpeedSetting(Settings, key); }

namespace {
// The data folder may not exist yet on a fresh account (or a moved one):
// every missing folder on the way is made, so the user's files never fall
// back into the program folder.
void MakeFolderChain(const std::string& path)
{
    for (size_t i = 1; i < path.size(); ++i)
        if ((path[i] == '/' || path[i] == '\\') && !IsFolder(path.substr(0, i))) (void)CreateFolder(path.substr(0, i));
}
}  // namespace

std::string UserFolder()
{
    std::string base = AppDataFolder();
    if (!base.empty()) {
        MakeFolderChain(AddTrailingBackslash(base));
        std::string folder = AddTrailingBackslash(base + kUserFolderName);
        if (IsFolder(folder) || CreateFolder(folder) == QZRES_OK) return folder;
    }
    return AddTrailingBackslash(ProgramFolder());
}

const std::vector<std::string>& OwnUserFiles()
{
    static const std::vector<std::string> files = {
        "Settings.txt", "Version.txt", "Savedgame.txt", "changelog.txt", "benchmark.txt", "debugsave.txt", "recording.dat",
        "log.txt",      "log.1.txt",   "Tables.ice",    "Cardsets.ice",  "Cardbacks.ice", "*.userdata",
        "*.statistics",
    };
    return files;
}

namespace {
enum class TFolderState { Current, Outdated, Missing, Damaged };

// "Settings <major>.<two-digit minor>" as two numbers; false for any other text.
bool ParseSettingsVersion(const std::string& text, int32_t& major, int32_t& minor)
{
    const std::string prefix = "Settings ";
    if (text.compare(0, prefix.size(), prefix) != 0) return false;
    std::string number = text.substr(prefix.size());
    size_t dot = number.find('.');
    if (dot == 0 || dot == std::string::npos || dot > 4 || number.size() - dot - 1 != 2) return false;
    for (size_t i = 0; i < number.size(); ++i)
        if (i != dot && (number[i] < '0' || number[i] > '9')) return false;
    major = std::stoi(number.substr(0, dot));
    minor = std::stoi(number.substr(dot + 1));
    return true;
}

// Only a second line that names a settings layout, older or not, is trusted;
// an unreadable, empty, cut or garbled file names none and so never wipes.
TFolderState SettingsFolderState(const std::string& settingsVersion)
{
    std::string file = UserFolder() + kVersionFile;
    if (!IsFile(file)) return TFolderState::Missing;
    int32_t result = QZRES_OK;
    std::unique_ptr<TQZMemory> bytes = TQZMemory::CreateFromFile(file, &result);
    if (!bytes) return TFolderState::Damaged;
    std::string text = bytes->AsString();
    size_t crlf = text.find("\r\n");
    std::string second = crlf == std::string::npos ? std::string() : text.substr(crlf + 2);
    size_t end = second.find("\r\n");
    if (end != std::string::npos) second.resize(end);
    int32_t major = 0, minor = 0, currentMajor = 0, currentMinor = 0;
    if (!ParseSettingsVersion(second, major, minor) || !ParseSettingsVersion(settingsVersion, currentMajor, currentMinor))
        return TFolderState::Damaged;
    if (major < currentMajor || (major == currentMajor && minor < currentMinor)) return TFolderState::Outdated;
    return TFolderState::Current;
}

void WriteVersionFile(const std::string& folder)
{
    std::string text = std::string(kProgramVersion) + "\r\n" + kSettingsVersion;
    if (int32_t result = WriteTextFile(folder + kVersionFile, text); result != QZRES_OK)
        WriteLog(std::string("Unable to write ") + kVersionFile + ": " + ResultText(result));
}
}  // namespace

bool IsSettingsFolderCurrent(const std::string&, const std::string& settingsVersion)
{
    return SettingsFolderState(settingsVersion) == TFolderState::Current;
}

void ResetSettingsIfOutdated()
{
    TFolderState state = SettingsFolderState(kSettingsVersion);
    if (state == TFolderState::Current) return;
    std::string folder = UserFolder();
    if (state == TFolderState::Damaged)
        WriteLog(std::string(kVersionFile) + " is unreadable or names no settings layout; the per-user files are kept");
    if (state == TFolderState::Outdated)
        for (const std::string& mask : OwnUserFiles())
            for (const std::string& name : ListFiles(folder + mask, true, false, true))
                if (int32_t result = RemoveFile(folder + name); result != QZRES_OK)
                    WriteLog("Unable to delete " + folder + name + ": " + ResultText(result));
    WriteVersionFile(folder);
}
