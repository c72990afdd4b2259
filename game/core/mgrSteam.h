// The Steam manager of the game's build: its operations answer without Steam.
#pragma once

#include "coreManager.h"

#include <string>

class TSteamManager : public TManagerClass {
public:
    void Initialize() override {}
    void Start();
    void Process() {}
    void LobbyChanged() {}
    void PlayerDisconnected() {}
    void AchievementsShown() {}
    std::string PlayerName(const std::string& identity) const { return identity; }
    std::string GetLocalPlayerName() const { return "Player"; }
    bool IsAutoPlay() const;
    bool IsEditor() const { return isEditor_; }

private:
    bool isEditor_ = false;
};

extern TSteamManager* SteamManager;
void RegisterSteamManager();
// The local player's name, also when no Steam manager exists.
std::string LocalPlayerName();
