// The Statistics capability: the user's integer statistics and achievements,
// stored on request, and the global statistics. The manager's handlers get
// the received, stored and achievement-stored notices.
//
// Threads: main thread; handlers may be set from any thread.
#pragma once

#include "qz7steamcallbacks.h"

#include <functional>
#include <mutex>

class TQZSteamCapStatistics : public TQZSteamCapability {
public:
    template <class T> using THandler = std::function<void(const T&)>;

    TQZSteamCapStatistics(TQZSteamOwner* owner, TQZSteamCapCallbacks* callbacks);

    void PostCreate() override;
    bool RequestCurrentStats();
    void RequestGlobalStats(int32_t days);
    bool GetStat(const std::string& name, int32_t& value);
    bool SetStat(const std::string& name, int32_t value);
    bool StoreStats();
    bool SetAchievement(const std::string& name, bool achieved);

    void SetStatsReceivedHandler(THandler<plat::steamworks::StatsReceived> handler);
    void SetStatsStoredHandler(THandler<plat::steamworks::StatsStored> handler);
    void SetAchievementStoredHandler(THandler<plat::steamworks::AchievementStored> handler);
    void SetGlobalStatsHandler(THandler<plat::steamworks::GlobalStatsReceived> handler);

private:
    void OnAchievementIcon(const plat::steamworks::AchievementIcon& icon);
    void OnGlobalStats(const plat::steamworks::GlobalStatsReceived& received);
    template <class T> void Pass(THandler<T> TQZSteamCapStatistics::*slot, const T& record)
    {
        THandler<T> handler;
        {
            std::lock_guard<std::mutex> guard(lock_);
            handler = this->*slot;
        }
        if (handler) handler(record);
    }

    TQZSteamCapCallbacks* callbacks_;
    std::mutex lock_;
    THandler<plat::steamworks::StatsReceived> received_;
    THandler<plat::steamworks::StatsStored> stored_;
    THandler<plat::steamworks::AchievementStored> achievement_;
    THandler<plat::steamworks::GlobalStatsReceived> global_;
};
