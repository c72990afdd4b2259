#include "mgrSteam.h"

#include "mgrSettings.h"

TSteamManager* SteamManager = nullptr;

void RegisterSteamManager()
{
    RegisterManagerClass<TSteamManager, &SteamManager>(MGR_STEAM, 0, "Steam functionality");
}

void TSteamManager::Start() { isEditor_ = EditorVariant(); }

bool TSteamManager::IsAutoPlay() const { return SettingBool("Debug.AutoPlay"); }

std::string LocalPlayerName() { return SteamManager ? SteamManager->GetLocalPlayerName() : "Player"; }
uint64_t LocalSteamID() { return SteamManager ? SteamManager->GetLocalSteamID() : 0; }
