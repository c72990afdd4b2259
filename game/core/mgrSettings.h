// The program's settings: one key/value tree with the defaults from
// "Assets\Misc\Default.cfg" and the user's values from "Settings.txt" in the
// per-user folder, of which only what differs from the defaults is saved.
// Also the per-user folder and its version check ("Version.txt").
#pragma once

#include "coreManager.h"

#include <cstdint>
#include <string>
#include <vector>

class TQZKeyValue;

class TSettingsManager : public TManagerClass {
public:
    TSettingsManager();
    ~TSettingsManager() override;
    // Loads the settings; first removes the temporary files that writes cut
    // short by a crash left in the per-user folder.
    void Initialize() override;
    // Writes "Settings.txt" through a temporary file; false (with the old
    // file untouched and a log line) when it cannot be written.
    [[nodiscard]] bool SaveSettings();

private:
    std::unique_ptr<TQZKeyValue> tree_;
};

extern TSettingsManager* SettingsManager;
// The settings tree; nullptr while no settings manager exists.
extern TQZKeyValue* Settings;
void RegisterSettingsManager();

// Typed reads and writes of the settings tree by dotted key; with no tree,
// reads give what an absent key gives and writes do nothing.
bool SettingBool(const std::string& key);
int32_t SettingInt(const std::string& key);
std::string SettingText(const std::string& key);
void SetSetting(const std::string& key, const std::string& value);
// Every pause of the game: the key's value in milliseconds, or 1 while
// "Debug.InstantPlay" is on.
int32_t GetSpeedSetting(TQZKeyValue* tree, const std::string& key);
int32_t GetSpeedSetting(const std::string& key);

constexpr const char* kProgramVersion = "Version 1.90";
constexpr const char* kSettingsVersion = "Settings 1.90";
constexpr const char* kDefaultsFile = "Assets\\Misc\\Default.cfg";
constexpr const char* kSettingsFile = "Settings.txt";
constexpr const char* kVersionFile = "Version.txt";
constexpr const char* kSavedGameFile = "Savedgame.txt";

// The per-user folder with a trailing separator, created when missing; the
// program's folder when it cannot be created.
std::string UserFolder();
bool IsSettingsFolderCurrent(const std::string& version, const std::string& settingsVersion);
// When "Version.txt" names an older settings layout, deletes the files the
// program itself keeps there (never anything else) and writes "Version.txt"
// anew. A missing, unreadable or damaged one keeps every file and is written
// anew (a damaged one with a log line).
void ResetSettingsIfOutdated();
// The names of the files the program writes into the per-user folder.
const std::vector<std::string>& OwnUserFiles();
