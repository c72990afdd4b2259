// The Lobbies capability: the lobby the user is in (owner, title, host,
// members and limit), joining and leaving, and the notices of invitations,
// entering, data and membership changes and join requests, passed on to the
// manager's handlers. Main thread only.
#pragma once

#include "qz7steamplayers.h"

#include <functional>

struct TQZSteamLobby {
    uint64_t id = 0;
    uint64_t owner = 0;
    std::string title, host;
    int32_t memberCount = 0, memberLimit = 0;
    std::vector<uint64_t> members;
};

class TQZSteamCapLobbies : public TQZSteamCapability {
public:
    TQZSteamCapLobbies(TQZSteamOwner* owner, TQZSteamCapCallbacks* callbacks, TQZSteamCapPlayers* players);

    void PostCreate() override;
    void JoinLobby(uint64_t id);
    void LeaveLobby();
    bool InLobby() const { return lobby_.id != 0; }
    const TQZSteamLobby& Lobby() const { return lobby_; }
    // Reads the lobby's record again; the owner puts its own name in "Host".
    void Refresh();

    // The lobby was entered, its data or members changed (or entering failed).
    void SetLobbyChangedHandler(std::function<void()> handler) { changed_ = std::move(handler); }
    void SetLobbyLeftHandler(std::function<void()> handler) { left_ = std::move(handler); }
    void SetJoinRequestHandler(std::function<void(uint64_t lobby, uint64_t friendUser)> handler)
    {
        joinRequest_ = std::move(handler);
    }
    void SetInviteHandler(std::function<void(const plat::steamworks::LobbyInvite&)> handler)
    {
        invite_ = std::move(handler);
    }

private:
    void OnInvite(const plat::steamworks::LobbyInvite& invite);
    void OnEnter(const plat::steamworks::LobbyEnter& enter);
    void OnDataUpdate(const plat::steamworks::LobbyDataUpdate& update);
    void OnRoomUpdate(const plat::steamworks::LobbyRoomUpdate& update);
    void OnJoinRequested(const plat::steamworks::LobbyJoinRequested& request);
    void Changed();
    void Left();

    TQZSteamCapCallbacks* callbacks_;
    TQZSteamCapPlayers* players_;
    TQZSteamLobby lobby_;
    std::function<void()> changed_, left_;
    std::function<void(uint64_t, uint64_t)> joinRequest_;
    std::function<void(const plat::steamworks::LobbyInvite&)> invite_;
};
