// The Leaderboards capability: boards found by name, each query answered
// by an asynchronous call. Main thread only.
#pragma once

#include "qz7steamcallbacks.h"

#include <deque>
#include <map>

class TQZSteamCapLeaderboards : public TQZSteamCapability {
public:
    TQZSteamCapLeaderboards(TQZSteamOwner* owner, TQZSteamCapCallbacks* callbacks);

    void Find(const std::string& name);
    // The handle of a board found by name; 0 when none (yet).
    uint64_t Board(const std::string& name) const;
    size_t Waiting() const { return waiting_.size(); }

private:
    void OnFound(const plat::steamworks::LeaderboardFound& found);

    TQZSteamCapCallbacks* callbacks_;
    std::deque<std::string> waiting_;
    std::map<std::string, uint64_t> boards_;
};
