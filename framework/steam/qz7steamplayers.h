// The Players capability: the local user's record, the friend list with
// names, relations, states, games and avatars, and rich presence.
//
// Threads: the records are read under a lock (the network thread asks for
// the local name); everything else runs on the main thread.
#pragma once

#include "qz7steamcallbacks.h"
#include "qz7steamimages.h"

#include <functional>
#include <mutex>

struct TQZSteamPlayer {
    uint64_t id = 0;
    std::string name;
    int32_t relation = 0;
    int32_t state = 0;
    uint64_t game = 0, lobby = 0;
    int32_t image = 0;
};

using TQZSteamPersonaHandler = std::function<void(const plat::steamworks::PersonaChanged&)>;

class TQZSteamCapPlayers : public TQZSteamCapability {
public:
    TQZSteamCapPlayers(TQZSteamOwner* owner, TQZSteamCapCallbacks* callbacks, TQZSteamCapImages* images);

    // Reads the local record and the friend list; installs the handlers of
    // persona changes and loaded avatars.
    void PostCreate() override;
    TQZSteamPlayer LocalPlayer();
    std::vector<TQZSteamPlayer> Friends();
    void RefreshFriends();
    // The user's large avatar image id, the image kept by Images.
    int32_t LargeAvatar(uint64_t user);
    bool SetRichPresence(const std::string& key, const std::string& value);
    // Called after the records follow a persona change.
    void SetPersonaHandler(TQZSteamPersonaHandler handler);

private:
    TQZSteamPlayer ReadPlayer(uint64_t id);
    void OnPersonaChanged(const plat::steamworks::PersonaChanged& change);
    void OnAvatarLoaded(const plat::steamworks::AvatarLoaded& loaded);

    TQZSteamCapCallbacks* callbacks_;
    TQZSteamCapImages* images_;
    std::mutex lock_;
    TQZSteamPlayer local_;
    std::vector<TQZSteamPlayer> friends_;
    TQZSteamPersonaHandler persona_;
};
