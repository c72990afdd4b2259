// Interim store until the key/value tree lands; replaced by the tree.
#include "game/core/mgrSettings.h"

#include <map>

TSettingsManager* SettingsManager = nullptr;
TQZKeyValue* Settings = nullptr;

namespace {
std::map<std::string, std::string>& Store()
{
    static std::map<std::string, std::string> s;
    return s;
}
std::string Get(const std::string& k)
{
    auto it = Store().find(k);
    return it == Store().end() ? std::string() : it->second;
}
}  // namespace

TSettingsManager::TSettingsManager() = default;
TSettingsManager::~TSettingsManager() = default;
void TSettingsManager::Initialize() {}
bool TSettingsManager::SaveSettings() { return true; }
void RegisterSettingsManager()
{
    RegisterManagerClass<TSettingsManager, &SettingsManager>(MGR_SETTINGS, 0, "User Settings");
}
bool SettingBool(const std::string& key)
{
    std::string v = Get(key);
    return !v.empty() && (v[0] == 't' || v[0] == 'T');
}
int32_t SettingInt(const std::string& key)
{
    try {
        return std::stoi(Get(key));
    } catch (...) {
        return 0;
    }
}
std::string SettingText(const std::string& key) { return Get(key); }
void SetSetting(const std::string& key, const std::string& value) { Store()[key] = value; }
int32_t GetSpeedSetting(TQZKeyValue*, const std::string& key) { return GetSpeedSetting(key); }
int32_t GetSpeedSetting(const std::string& key) { return SettingBool("Debug.InstantPlay") ? 1 : SettingInt(key); }
