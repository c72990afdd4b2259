// The Steam layer: starts the service client and owns eight capabilities,
// each a thin logging layer over one part of it. Callbacks are pumped by hand
// (RunFrame, once a frame). A singleton (slot 11); nothing here runs unless
// the Steam manager starts it. When the client cannot start (no hub is
// configured, as in the game's own build) the layer is not initialised and
// has no capabilities.
//
// Threads: Log and the log callback may be reached from the network thread;
// everything else belongs to the main thread.
#pragma once

#include "qz7steamcallbacks.h"
#include "qz7steamimages.h"
#include "qz7steamleaderboards.h"
#include "qz7steamlobbies.h"
#include "qz7steamnet.h"
#include "qz7steamplayers.h"
#include "qz7steamstats.h"
#include "qz7steamutils.h"

#include <deque>
#include <functional>
#include <memory>
#include <mutex>

using TQZSteamLogCallback = std::function<void(const std::string& line)>;

class TQZSteam : public TQZClassSingleton, public TQZSteamOwner {
public:
    // Signs in to the configured hub when initialised.
    TQZSteam();
    // Uses a client already signed in (several users in one process).
    explicit TQZSteam(std::unique_ptr<plat::steamworks::Client> client);
    ~TQZSteam() override;

    void Initialise() override;
    bool Initialised() const { return initialised_; }

    void Log(const std::string& text) override;
    // Lines logged while no callback was set are handed to the new one.
    void SetLogCallback(TQZSteamLogCallback callback);
    plat::steamworks::Client* Client() override { return client_.get(); }

    uint32_t GetAppID();
    uint64_t GetSteamID();
    // The callbacks of this frame (nothing when not initialised).
    void RunFrame();

    const std::vector<TQZSteamCapability*>& Capabilities() const { return capabilities_; }
    TQZSteamCapCallbacks* Callbacks() const { return callbacks_; }
    TQZSteamCapImages* Images() const { return images_; }
    TQZSteamCapLeaderboards* Leaderboards() const { return leaderboards_; }
    TQZSteamCapLobbies* Lobbies() const { return lobbies_; }
    TQZSteamCapNetworking* Networking() const { return networking_; }
    TQZSteamCapPlayers* Players() const { return players_; }
    TQZSteamCapStatistics* Statistics() const { return statistics_; }
    TQZSteamCapUtils* Utils() const { return utils_; }

private:
    template <class T, class... A> T* Create(A&&... args)
    {
        T* cap = AddOwned(std::make_unique<T>(this, std::forward<A>(args)...));
        capabilities_.push_back(cap);
        return cap;
    }
    void PostCreate();

    std::unique_ptr<plat::steamworks::Client> client_;
    std::vector<TQZSteamCapability*> capabilities_;
    TQZSteamCapCallbacks* callbacks_ = nullptr;
    TQZSteamCapImages* images_ = nullptr;
    TQZSteamCapLeaderboards* leaderboards_ = nullptr;
    TQZSteamCapLobbies* lobbies_ = nullptr;
    TQZSteamCapNetworking* networking_ = nullptr;
    TQZSteamCapPlayers* players_ = nullptr;
    TQZSteamCapStatistics* statistics_ = nullptr;
    TQZSteamCapUtils* utils_ = nullptr;
    std::mutex logLock_;
    TQZSteamLogCallback log_;
    std::deque<std::string> held_;
    bool initialised_ = false;
};
