#include "qz7steamleaderboards.h"

namespace sw = plat::steamworks;

TQZSteamCapLeaderboards::TQZSteamCapLeaderboards(TQZSteamOwner* owner, TQZSteamCapCallbacks* callbacks)
    : TQZSteamCapability(owner, "Leaderboards"), callbacks_(callbacks)
{
}

void TQZSteamCapLeaderboards::Find(const std::string& name)
{
    if (!Api()) return;
    Log("Leaderboard query \"" + name + "\"");
    const sw::CallHandle call = Api()->FindLeaderboard(name);
    if (call == 0) {
        Log("Leaderboard query failed (" + name + ")");
        return;
    }
    waiting_.push_back(name);
    callbacks_->RegisterAPICall(
        call, [this](const uint8_t* data, uint32_t) { OnFound(TQZSteamCapCallbacks::ReadRecord<sw::LeaderboardFound>(data)); },
        sizeof(sw::LeaderboardFound));
}

uint64_t TQZSteamCapLeaderboards::Board(const std::string& name) const
{
    auto it = boards_.find(name);
    return it == boards_.end() ? 0 : it->second;
}

void TQZSteamCapLeaderboards::OnFound(const sw::LeaderboardFound& found)
{
    if (waiting_.empty()) {
        Log("Warning - no leaderboard expecting API callback");
        return;
    }
    const std::string asked = waiting_.front();
    waiting_.pop_front();
    if (!found.found || found.board == 0) {
        Log("Leaderboard query failed (" + asked + ")");
        return;
    }
    const std::string name = Api()->LeaderboardName(found.board);
    boards_[name.empty() ? asked : name] = found.board;
    Log("Leaderboard \"" + name + "\" found");
}
