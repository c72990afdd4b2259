#include "qz7steamplayers.h"

namespace sw = plat::steamworks;

TQZSteamCapPlayers::TQZSteamCapPlayers(TQZSteamOwner* owner, TQZSteamCapCallbacks* callbacks, TQZSteamCapImages* images)
    : TQZSteamCapability(owner, "Players"), callbacks_(callbacks), images_(images)
{
}

void TQZSteamCapPlayers::PostCreate()
{
    TQZSteamCapability::PostCreate();
    if (!Api()) return;
    {
        std::lock_guard<std::mutex> guard(lock_);
        local_.id = Api()->GetUserId();
        local_.name = Api()->PersonaName();
    }
    RefreshFriends();
    callbacks_->SetSlotFor<sw::PersonaChanged>(sw::kCbPersonaChanged,
                                               [this](const sw::PersonaChanged& c) { OnPersonaChanged(c); });
    callbacks_->SetSlotFor<sw::AvatarLoaded>(sw::kCbAvatarLoaded, [this](const sw::AvatarLoaded& l) { OnAvatarLoaded(l); });
}

TQZSteamPlayer TQZSteamCapPlayers::LocalPlayer()
{
    std::lock_guard<std::mutex> guard(lock_);
    return local_;
}

std::vector<TQZSteamPlayer> TQZSteamCapPlayers::Friends()
{
    std::lock_guard<std::mutex> guard(lock_);
    return friends_;
}

TQZSteamPlayer TQZSteamCapPlayers::ReadPlayer(uint64_t id)
{
    TQZSteamPlayer p;
    p.id = id;
    p.name = Api()->FriendPersonaName(id);
    p.relation = int32_t(Api()->FriendRelation(id));
    p.state = int32_t(Api()->FriendPersonaState(id));
    sw::FriendGame game;
    if (Api()->FriendGamePlayed(id, game)) {
        p.game = game.game;
        p.lobby = game.lobby;
    }
    p.image = Api()->MediumAvatar(id);
    return p;
}

void TQZSteamCapPlayers::RefreshFriends()
{
    if (!Api()) return;
    std::vector<TQZSteamPlayer> list;
    const int32_t count = Api()->FriendCount();
    for (int32_t i = 0; i < count; ++i)
        if (const uint64_t id = Api()->FriendByIndex(i)) list.push_back(ReadPlayer(id));
    std::lock_guard<std::mutex> guard(lock_);
    friends_ = std::move(list);
}

int32_t TQZSteamCapPlayers::LargeAvatar(uint64_t user)
{
    if (!Api()) return 0;
    const int32_t image = Api()->LargeAvatar(user);
    if (image > 0) images_->Fetch(image);
    return image;
}

bool TQZSteamCapPlayers::SetRichPresence(const std::string& key, const std::string& value)
{
    if (Api() && Api()->SetRichPresence(key, value)) return true;
    Log("Failed to set rich presence \"" + key + "\" := \"" + value + "\"");
    return false;
}

void TQZSteamCapPlayers::SetPersonaHandler(TQZSteamPersonaHandler handler)
{
    std::lock_guard<std::mutex> guard(lock_);
    persona_ = std::move(handler);
}

void TQZSteamCapPlayers::OnPersonaChanged(const sw::PersonaChanged& change)
{
    TQZSteamPersonaHandler handler;
    if (change.changes & sw::kPersonaFriendship) RefreshFriends();
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (change.user == local_.id) local_.name = Api()->PersonaName();
        handler = persona_;
    }
    if (!(change.changes & sw::kPersonaFriendship)) {
        TQZSteamPlayer fresh = ReadPlayer(change.user);
        std::lock_guard<std::mutex> guard(lock_);
        for (auto& f : friends_)
            if (f.id == change.user) f = fresh;
    }
    if (handler) handler(change);
}

void TQZSteamCapPlayers::OnAvatarLoaded(const sw::AvatarLoaded& loaded)
{
    images_->Fetch(loaded.image);
    bool local = false, found = false;
    std::string name;
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (loaded.user == local_.id) {
            local_.image = loaded.image;
            local = true;
        }
        for (auto& f : friends_)
            if (f.id == loaded.user) {
                f.image = loaded.image;
                name = f.name;
                found = true;
            }
    }
    if (found) Log("AvatarImageLoaded - " + name + " is now ImageID " + std::to_string(loaded.image));
    else if (!local) Log("AvatarImageLoaded - Cannot find steamID " + SteamIdText(loaded.user) + " in friend list");
}
