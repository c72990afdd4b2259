#include "qz7steamstats.h"

namespace sw = plat::steamworks;

namespace {

std::string Quoted(const std::string& name)
{
    return "\"" + name + "\"";
}

}  // namespace

TQZSteamCapStatistics::TQZSteamCapStatistics(TQZSteamOwner* owner, TQZSteamCapCallbacks* callbacks)
    : TQZSteamCapability(owner, "Statistics"), callbacks_(callbacks)
{
}

void TQZSteamCapStatistics::PostCreate()
{
    TQZSteamCapability::PostCreate();
    callbacks_->SetSlotFor<sw::StatsReceived>(sw::kCbStatsReceived, [this](const sw::StatsReceived& r) {
        Pass(&TQZSteamCapStatistics::received_, r);
    });
    callbacks_->SetSlotFor<sw::StatsStored>(sw::kCbStatsStored, [this](const sw::StatsStored& s) {
        Pass(&TQZSteamCapStatistics::stored_, s);
    });
    callbacks_->SetSlotFor<sw::AchievementStored>(sw::kCbAchievementStored, [this](const sw::AchievementStored& a) {
        Pass(&TQZSteamCapStatistics::achievement_, a);
    });
    callbacks_->SetSlotFor<sw::AchievementIcon>(sw::kCbAchievementIcon,
                                                [this](const sw::AchievementIcon& i) { OnAchievementIcon(i); });
}

bool TQZSteamCapStatistics::RequestCurrentStats()
{
    return Api() && Api()->RequestCurrentStats();
}

void TQZSteamCapStatistics::RequestGlobalStats(int32_t days)
{
    if (!Api()) return;
    const sw::CallHandle call = Api()->RequestGlobalStats(days);
    if (call == 0) {
        Log("RetrieveGlobalStats failed, error " + std::to_string(int32_t(sw::Result::Fail)));
        return;
    }
    callbacks_->RegisterAPICall(
        call,
        [this](const uint8_t* data, uint32_t) {
            OnGlobalStats(TQZSteamCapCallbacks::ReadRecord<sw::GlobalStatsReceived>(data));
        },
        sizeof(sw::GlobalStatsReceived));
}

void TQZSteamCapStatistics::OnGlobalStats(const sw::GlobalStatsReceived& received)
{
    if (received.result != int32_t(sw::Result::Ok)) {
        Log("RetrieveGlobalStats failed, error " + std::to_string(received.result));
        return;
    }
    Pass(&TQZSteamCapStatistics::global_, received);
}

bool TQZSteamCapStatistics::GetStat(const std::string& name, int32_t& value)
{
    if (Api() && Api()->GetStat(name, value)) return true;
    Log("GetStat[" + Quoted(name) + "] failed");
    return false;
}

bool TQZSteamCapStatistics::SetStat(const std::string& name, int32_t value)
{
    if (Api() && Api()->SetStat(name, value)) return true;
    Log("SetStat[" + Quoted(name) + "]:=" + std::to_string(value) + " failed");
    return false;
}

bool TQZSteamCapStatistics::StoreStats()
{
    if (Api() && Api()->StoreStats()) return true;
    Log("StoreStats failed");
    return false;
}

bool TQZSteamCapStatistics::SetAchievement(const std::string& name, bool achieved)
{
    if (achieved) {
        if (Api() && Api()->SetAchievement(name)) return true;
        Log("SetAchievement[" + Quoted(name) + "] failed");
        return false;
    }
    if (Api() && Api()->ClearAchievement(name)) return true;
    Log("ClearAchievement[" + Quoted(name) + "]");
    return false;
}

void TQZSteamCapStatistics::OnAchievementIcon(const sw::AchievementIcon& icon)
{
    if (icon.game != sw::GameId(Api()->GetAppId())) {
        Log("Ignoring achievement icon received for GameID " + std::to_string(icon.game));
        return;
    }
    Log("Fetched icon for achievement \"" + SteamFieldText(icon.name));
}

void TQZSteamCapStatistics::SetStatsReceivedHandler(THandler<sw::StatsReceived> handler)
{
    std::lock_guard<std::mutex> guard(lock_);
    received_ = std::move(handler);
}

void TQZSteamCapStatistics::SetStatsStoredHandler(THandler<sw::StatsStored> handler)
{
    std::lock_guard<std::mutex> guard(lock_);
    stored_ = std::move(handler);
}

void TQZSteamCapStatistics::SetAchievementStoredHandler(THandler<sw::AchievementStored> handler)
{
    std::lock_guard<std::mutex> guard(lock_);
    achievement_ = std::move(handler);
}

void TQZSteamCapStatistics::SetGlobalStatsHandler(THandler<sw::GlobalStatsReceived> handler)
{
    std::lock_guard<std::mutex> guard(lock_);
    global_ = std::move(handler);
}
