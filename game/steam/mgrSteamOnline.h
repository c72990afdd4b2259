// The Steam-enabled manager: the same operations as the game build's Steam
// manager, done over the Steam layer. Its start returns at once for the
// identity "CardsetEditor" (no Steam operation is called then), and when the
// layer reports Steam as not running it logs so and stays inactive.
//
// Threads: main thread (the layer's callbacks arrive in Process).
#pragma once

#include "mgrSteam.h"

#include <cstdint>
#include <string>
#include <vector>

class TQZSteam;

enum TSteamVariant : int32_t { STEAM_DORMANT = 0, STEAM_ENABLED = 1 };

class TSteamManagerOnline : public TSteamManager {
public:
    // Without a layer the layer's singleton is used (created on first use).
    explicit TSteamManagerOnline(TQZSteam* layer = nullptr) : layer_(layer) {}
    void Initialize() override { Start(); }

    void Start() override;
    void Process() override;
    void LobbyChanged() override;
    void PlayerDisconnected() override { UpdateRichPresence(); }
    void UpdateRichPresence() override;
    void JoinLobby(const std::string& id) override;
    void LeaveLobby() override;
    bool InLobby() const override;
    std::string GetLocalPlayerName() const override;
    uint64_t GetLocalSteamID() const override;

    // The program's arguments, for "+connect_lobby <id>" (before Start).
    void SetCommandLine(std::vector<std::string> args) { args_ = std::move(args); }
    // The leaderboards queried at start.
    void SetLeaderboards(std::vector<std::string> names) { leaderboards_ = std::move(names); }
    // An achievement of the engine was unlocked (or locked again).
    void AchievementChanged(const std::string& name);
    // The post-initialisation step (run by the registry after every manager
    // exists; tests call it).
    void PostInitialize();

    // Made by the registry: the post-initialisation step is queued with it.
    void QueuePostInitialize() { queuePostInit_ = true; }

    bool Active() const { return steam_ != nullptr; }
    int32_t LobbyChanges() const { return lobbyChanges_; }
    TQZSteam* Steam() const { return steam_; }
    const std::string& LobbyCaption() const { return caption_; }
    double GlobalStatsTime() const { return globalTime_; }

private:
    void OnStatsReceived();
    void OnJoinRequest(uint64_t lobby, uint64_t friendUser);
    void Notice(const std::string& text);

    TQZSteam* layer_;
    TQZSteam* steam_ = nullptr;
    std::string caption_;
    int32_t statsPending_ = 0;
    bool joining_ = false;
    bool queuePostInit_ = false;
    int32_t lobbyChanges_ = 0;
    double globalTime_ = 0;
    std::vector<std::string> args_;
    std::vector<std::string> leaderboards_;
};

// Registers the game build's dormant manager or the Steam-enabled one.
void RegisterSteamManagerVariant(TSteamVariant variant);
