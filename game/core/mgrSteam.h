// The Steam manager. This is the game build's: its operations answer
// without Steam. A Steam-enabled manager overrides them (chosen at start-up
// by which one the program registers); callers see the same operations.
#pragma once

#include "coreManager.h"

#include <cstdint>
#include <string>

class TSteamManager : public TManagerClass {
public:
    void Initialize() override {}
    virtual void Start();
    virtual void Process() {}
    virtual void LobbyChanged() {}
    virtual void PlayerDisconnected() {}
    virtual void AchievementsShown() {}
    virtual void UpdateRichPresence() {}
    virtual void JoinLobby(const std::string& /*id*/) {}
    virtual void LeaveLobby() {}
    virtual bool InLobby() const { return false; }
    virtual std::string PlayerName(const std::string& identity) const { return identity; }
    virtual std::string GetLocalPlayerName() const { return "Player"; }
    // The local user's SteamID; 0 without Steam.
    virtual uint64_t GetLocalSteamID() const { return 0; }
    bool IsAutoPlay() const;
    bool IsEditor() const { return isEditor_; }

protected:
    bool isEditor_ = false;
};

extern TSteamManager* SteamManager;
void RegisterSteamManager();
// The local player's name, also when no Steam manager exists.
std::string LocalPlayerName();
// The local SteamID, 0 when no Steam manager exists.
uint64_t LocalSteamID();
