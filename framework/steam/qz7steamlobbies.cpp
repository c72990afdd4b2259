#include "qz7steamlobbies.h"

namespace sw = plat::steamworks;

TQZSteamCapLobbies::TQZSteamCapLobbies(TQZSteamOwner* owner, TQZSteamCapCallbacks* callbacks, TQZSteamCapPlayers* players)
    : TQZSteamCapability(owner, "Lobbies"), callbacks_(callbacks), players_(players)
{
}

void TQZSteamCapLobbies::PostCreate()
{
    TQZSteamCapability::PostCreate();
    callbacks_->SetSlotFor<sw::LobbyInvite>(sw::kCbLobbyInvite, [this](const sw::LobbyInvite& i) { OnInvite(i); });
    callbacks_->SetSlotFor<sw::LobbyEnter>(sw::kCbLobbyEnter, [this](const sw::LobbyEnter& e) { OnEnter(e); });
    callbacks_->SetSlotFor<sw::LobbyDataUpdate>(sw::kCbLobbyDataUpdate,
                                                [this](const sw::LobbyDataUpdate& u) { OnDataUpdate(u); });
    callbacks_->SetSlotFor<sw::LobbyRoomUpdate>(sw::kCbLobbyRoomUpdate,
                                                [this](const sw::LobbyRoomUpdate& u) { OnRoomUpdate(u); });
    callbacks_->SetSlotFor<sw::LobbyJoinRequested>(sw::kCbLobbyJoinRequested,
                                                   [this](const sw::LobbyJoinRequested& r) { OnJoinRequested(r); });
}

void TQZSteamCapLobbies::JoinLobby(uint64_t id)
{
    if (!Api()) return;
    const sw::CallHandle call = Api()->JoinLobby(id);
    Log("JoinLobby " + SteamIdText(id) + " request issued (APICall " + std::to_string(call) + ")");
}

void TQZSteamCapLobbies::LeaveLobby()
{
    if (!InLobby()) return;
    Log("Leaving lobby");
    Api()->LeaveLobby(lobby_.id);
    lobby_ = TQZSteamLobby();
    Left();
}

void TQZSteamCapLobbies::Refresh()
{
    if (!InLobby() || !Api()) return;
    const uint64_t id = lobby_.id;
    lobby_.owner = Api()->LobbyOwner(id);
    lobby_.title = Api()->LobbyData(id, "Title");
    lobby_.host = Api()->LobbyData(id, "Host");
    lobby_.memberCount = Api()->LobbyMemberCount(id);
    lobby_.memberLimit = Api()->LobbyMemberLimit(id);
    lobby_.members.clear();
    for (int32_t i = 0; i < lobby_.memberCount; ++i) lobby_.members.push_back(Api()->LobbyMemberByIndex(id, i));
    const TQZSteamPlayer local = players_->LocalPlayer();
    // Refused only for a lobby gone or no longer ours: the next owner writes it.
    if (lobby_.owner == local.id && lobby_.host != local.name) (void)Api()->SetLobbyData(id, "Host", local.name);
}

void TQZSteamCapLobbies::Changed()
{
    if (changed_) {
        auto handler = changed_;
        handler();
    }
}

void TQZSteamCapLobbies::Left()
{
    if (left_) {
        auto handler = left_;
        handler();
    }
}

void TQZSteamCapLobbies::OnInvite(const sw::LobbyInvite& invite)
{
    if (invite.game != sw::GameId(Api()->GetAppId())) {
        Log("OnLobbyInvite to other game $" + std::to_string(invite.game) + " ignored");
        return;
    }
    Log("OnLobbyInvite received from " + SteamIdText(invite.from));
    if (invite_) {
        auto handler = invite_;
        handler(invite);
    }
}

void TQZSteamCapLobbies::OnEnter(const sw::LobbyEnter& enter)
{
    Log("OnLobbyEnter received");
    Log("   SteamIDLobby: " + SteamIdText(enter.lobby));
    Log("   Success code: " + std::to_string(enter.response));
    if (enter.response == sw::kEnterSuccess) {
        // One lobby at a time: the one left behind would keep a seat.
        if (InLobby() && lobby_.id != enter.lobby) Api()->LeaveLobby(lobby_.id);
        lobby_ = TQZSteamLobby();
        lobby_.id = enter.lobby;
        Refresh();
    }
    Changed();
}

void TQZSteamCapLobbies::OnDataUpdate(const sw::LobbyDataUpdate& update)
{
    Log("OnLobbyDataUpdate received");
    if (!InLobby() || update.lobby != lobby_.id) return;
    Refresh();
    Log("Title=" + lobby_.title + ", Host=" + lobby_.host);
    Changed();
}

void TQZSteamCapLobbies::OnRoomUpdate(const sw::LobbyRoomUpdate& update)
{
    Log("OnLobbyRoomUpdate received");
    if (!InLobby() || update.lobby != lobby_.id) return;
    const uint32_t gone = sw::kMemberLeft | sw::kMemberDisconnected | sw::kMemberKicked;
    if (update.changed == players_->LocalPlayer().id && (update.change & gone)) {
        Log("Localuser has left the lobby!");
        lobby_ = TQZSteamLobby();
        Left();
        return;
    }
    Refresh();
    Changed();
}

void TQZSteamCapLobbies::OnJoinRequested(const sw::LobbyJoinRequested& request)
{
    Log("User initiated lobby join request");
    if (joinRequest_) {
        auto handler = joinRequest_;
        handler(request.lobby, request.friendUser);
    }
}
