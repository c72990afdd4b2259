#include "swHub.h"

#include <algorithm>

namespace plat::steamworks {

Hub::Hub(const std::string& statsFolder, AppId app)
    : app_(app), statsFolder_(statsFolder.empty() ? DefaultStatsFolder() : statsFolder)
{
    if (!statsFolder_.empty() && statsFolder_.back() != '/') statsFolder_ += '/';
}

Hub::~Hub() = default;

// ---------------------------------------------------------------- internals

Hub::Account* Hub::Find(UserId user)
{
    auto it = accounts_.find(user);
    return it == accounts_.end() ? nullptr : &it->second;
}

Hub::Online* Hub::OnlineOf(UserId user)
{
    Account* account = Find(user);
    return account ? account->online.get() : nullptr;
}

void Hub::PostLocked(UserId user, int32_t id, std::vector<uint8_t> data)
{
    // Users who are not signed in miss what happens, as they would.
    if (Online* online = OnlineOf(user)) online->posted.push_back(Callback{id, std::move(data)});
}

CallHandle Hub::CompleteLocked(UserId user, int32_t id, std::vector<uint8_t> data, bool failed)
{
    Online* online = OnlineOf(user);
    if (!online) return 0;
    const CallHandle call = nextCall_++;
    const CallCompleted done{call, id, uint32_t(data.size())};
    online->results[call] = CallResult{id, std::move(data), failed};
    online->posted.push_back(Callback{kCbCallCompleted, RecordBytes(done)});
    return call;
}

void Hub::PostToMembers(const Lobby& lobby, int32_t id, const std::vector<uint8_t>& data)
{
    for (UserId member : lobby.members) PostLocked(member, id, data);
}

uint32_t Hub::EnterLocked(LobbyId id, UserId user)
{
    auto it = lobbies_.find(id);
    uint32_t response = kEnterSuccess;
    if (it == lobbies_.end()) {
        response = kEnterNoLobby;
    } else if (!Find(user)) {
        response = kEnterRefused;
    } else if (std::find(it->second.members.begin(), it->second.members.end(), user) == it->second.members.end()) {
        Lobby& lobby = it->second;
        if (int32_t(lobby.members.size()) >= lobby.limit) {
            response = kEnterFull;
        } else {
            PostToMembers(lobby, kCbLobbyRoomUpdate, RecordBytes(LobbyRoomUpdate{id, user, user, kMemberEntered}));
            lobby.members.push_back(user);
        }
    }
    PostLocked(user, kCbLobbyEnter, RecordBytes(LobbyEnter{id, response}));
    return response;
}

void Hub::LeaveLocked(LobbyId id, UserId user, uint32_t change, UserId by, bool tellLeaver)
{
    auto it = lobbies_.find(id);
    if (it == lobbies_.end()) return;
    Lobby& lobby = it->second;
    auto member = std::find(lobby.members.begin(), lobby.members.end(), user);
    if (member == lobby.members.end()) return;
    lobby.members.erase(member);
    const auto update = RecordBytes(LobbyRoomUpdate{id, user, by, change});
    if (tellLeaver) PostLocked(user, kCbLobbyRoomUpdate, update);
    if (lobby.members.empty()) {
        lobbies_.erase(it);
        return;
    }
    // The longest-standing member takes over an abandoned lobby.
    if (lobby.owner == user) lobby.owner = lobby.members.front();
    PostToMembers(lobby, kCbLobbyRoomUpdate, update);
}

bool Hub::LoadFileLocked(UserId user, StatsRecord& record)
{
    if (statsFolder_.empty()) {
        statsError_ = "no per-user folder for statistics";
        return false;
    }
    std::string error;
    switch (LoadStats(StatsFilePath(statsFolder_, user), record, error)) {
    case StatsLoad::Ok: return true;
    case StatsLoad::Missing: record = StatsRecord(); return true;
    case StatsLoad::Broken: statsError_ = error; return false;
    }
    return false;
}

bool Hub::SaveFileLocked(UserId user, const StatsRecord& record)
{
    const std::string path = StatsFilePath(statsFolder_, user);
    if (statsFolder_.empty() || !SaveStats(path, user, record)) {
        statsError_ = path + ": cannot be written";
        return false;
    }
    return true;
}

void Hub::SignOut(UserId user)
{
    std::lock_guard<std::mutex> guard(lock_);
    Account* account = Find(user);
    if (!account || !account->online) return;
    account->online.reset();
    std::vector<LobbyId> joined;
    for (const auto& [id, lobby] : lobbies_)
        if (std::find(lobby.members.begin(), lobby.members.end(), user) != lobby.members.end()) joined.push_back(id);
    for (LobbyId id : joined) LeaveLocked(id, user, kMemberDisconnected, user, false);
    for (auto& [other, rest] : accounts_) {
        if (!rest.online) continue;
        Online& o = *rest.online;
        const bool had = o.sessions.erase(user) + o.waiting.erase(user) + o.requested.erase(user) > 0;
        if (had) o.posted.push_back(Callback{kCbSessionFailed, RecordBytes(SessionFailed{user, 0})});
    }
}

// ---------------------------------------------------------------- users

void Hub::AddUser(UserId user, const std::string& persona)
{
    std::lock_guard<std::mutex> guard(lock_);
    if (user == 0) return;
    accounts_[user].persona = persona;
}

bool Hub::SignedIn(UserId user)
{
    std::lock_guard<std::mutex> guard(lock_);
    return OnlineOf(user) != nullptr;
}

void Hub::MakeFriends(UserId a, UserId b)
{
    std::lock_guard<std::mutex> guard(lock_);
    Account* first = Find(a);
    Account* second = Find(b);
    if (!first || !second || a == b) return;
    if (std::find(first->friends.begin(), first->friends.end(), b) != first->friends.end()) return;
    first->friends.push_back(b);
    second->friends.push_back(a);
    PostLocked(a, kCbPersonaChanged, RecordBytes(PersonaChanged{b, kPersonaFriendship}));
    PostLocked(b, kCbPersonaChanged, RecordBytes(PersonaChanged{a, kPersonaFriendship}));
}

void Hub::SetPersonaState(UserId user, PersonaState state)
{
    std::lock_guard<std::mutex> guard(lock_);
    Account* account = Find(user);
    if (!account) return;
    account->state = state;
    for (UserId f : account->friends) PostLocked(f, kCbPersonaChanged, RecordBytes(PersonaChanged{user, kPersonaStatus}));
}

ImageId Hub::SetAvatar(UserId user, int32_t width, int32_t height, std::vector<uint8_t> rgba)
{
    std::lock_guard<std::mutex> guard(lock_);
    Account* account = Find(user);
    if (!account || width <= 0 || height <= 0 || rgba.size() != size_t(width) * size_t(height) * 4) return 0;
    const ImageId image = nextImage_++;
    images_[image] = Image{width, height, std::move(rgba)};
    account->avatar = image;
    const auto loaded = RecordBytes(AvatarLoaded{user, image, width, height});
    PostLocked(user, kCbAvatarLoaded, loaded);
    for (UserId f : account->friends) PostLocked(f, kCbAvatarLoaded, loaded);
    return image;
}

std::string Hub::RichPresence(UserId user, const std::string& key)
{
    std::lock_guard<std::mutex> guard(lock_);
    Online* online = OnlineOf(user);
    if (!online) return std::string();
    auto it = online->presence.find(key);
    return it == online->presence.end() ? std::string() : it->second;
}

// ---------------------------------------------------------------- lobbies

LobbyId Hub::CreateLobby(UserId owner, int32_t limit, const std::map<std::string, std::string>& data)
{
    std::lock_guard<std::mutex> guard(lock_);
    if (!Find(owner) || limit < 1) return 0;
    const LobbyId id = nextLobby_++;
    lobbies_[id] = Lobby{owner, limit, {owner}, data};
    PostLocked(owner, kCbLobbyCreated, RecordBytes(LobbyCreated{id, int32_t(Result::Ok)}));
    PostLocked(owner, kCbLobbyEnter, RecordBytes(LobbyEnter{id, kEnterSuccess}));
    return id;
}

void Hub::Invite(UserId from, UserId to, LobbyId lobby, GameId game)
{
    std::lock_guard<std::mutex> guard(lock_);
    PostLocked(to, kCbLobbyInvite, RecordBytes(LobbyInvite{from, lobby, game ? game : GameId(app_)}));
}

void Hub::RequestJoin(UserId user, LobbyId lobby, UserId friendUser)
{
    std::lock_guard<std::mutex> guard(lock_);
    PostLocked(user, kCbLobbyJoinRequested, RecordBytes(LobbyJoinRequested{lobby, friendUser}));
}

uint32_t Hub::EnterLobby(LobbyId lobby, UserId user)
{
    std::lock_guard<std::mutex> guard(lock_);
    return EnterLocked(lobby, user);
}

void Hub::RemoveMember(LobbyId lobby, UserId user, bool kicked)
{
    std::lock_guard<std::mutex> guard(lock_);
    auto it = lobbies_.find(lobby);
    if (it == lobbies_.end()) return;
    const UserId owner = it->second.owner;
    LeaveLocked(lobby, user, kicked ? kMemberKicked : kMemberDisconnected, kicked ? owner : user, true);
    if (kicked) PostLocked(user, kCbLobbyRemoved, RecordBytes(LobbyRemoved{lobby, owner}));
}

bool Hub::SetLobbyData(LobbyId lobby, const std::string& key, const std::string& value)
{
    std::lock_guard<std::mutex> guard(lock_);
    auto it = lobbies_.find(lobby);
    if (it == lobbies_.end() || key.empty() || key.size() > kLobbyKeyMax || value.size() > kLobbyValueMax) return false;
    it->second.data[key] = value;
    PostToMembers(it->second, kCbLobbyDataUpdate, RecordBytes(LobbyDataUpdate{lobby, lobby, 1}));
    return true;
}

std::vector<UserId> Hub::LobbyMembers(LobbyId lobby)
{
    std::lock_guard<std::mutex> guard(lock_);
    auto it = lobbies_.find(lobby);
    return it == lobbies_.end() ? std::vector<UserId>() : it->second.members;
}

UserId Hub::LobbyOwnerOf(LobbyId lobby)
{
    std::lock_guard<std::mutex> guard(lock_);
    auto it = lobbies_.find(lobby);
    return it == lobbies_.end() ? 0 : it->second.owner;
}

// ---------------------------------------------------------------- statistics

template <class T>
bool Hub::SetRecordEntry(UserId user, std::map<std::string, T> StatsRecord::*entries, const std::string& name,
                         T value)
{
    std::lock_guard<std::mutex> guard(lock_);
    StatsRecord record;
    if (!Find(user) || !ValidStatName(name) || !LoadFileLocked(user, record)) return false;
    (record.*entries)[name] = value;
    return SaveFileLocked(user, record);
}

template <class T>
std::optional<T> Hub::ReadRecordEntry(UserId user, std::map<std::string, T> StatsRecord::*entries,
                                      const std::string& name)
{
    std::lock_guard<std::mutex> guard(lock_);
    StatsRecord record;
    if (!Find(user) || !LoadFileLocked(user, record)) return std::nullopt;
    auto it = (record.*entries).find(name);
    if (it == (record.*entries).end()) return std::nullopt;
    return it->second;
}

bool Hub::SetStat(UserId user, const std::string& name, int32_t value)
{
    return SetRecordEntry(user, &StatsRecord::stats, name, value);
}

std::optional<int32_t> Hub::ReadStat(UserId user, const std::string& name)
{
    return ReadRecordEntry(user, &StatsRecord::stats, name);
}

bool Hub::SetAchievement(UserId user, const std::string& name, bool achieved)
{
    return SetRecordEntry(user, &StatsRecord::achievements, name, achieved);
}

std::optional<bool> Hub::ReadAchievement(UserId user, const std::string& name)
{
    return ReadRecordEntry(user, &StatsRecord::achievements, name);
}

std::string Hub::LastStatsError()
{
    std::lock_guard<std::mutex> guard(lock_);
    return statsError_;
}

void Hub::DefineLeaderboard(const std::string& name)
{
    std::lock_guard<std::mutex> guard(lock_);
    if (std::find(leaderboards_.begin(), leaderboards_.end(), name) == leaderboards_.end())
        leaderboards_.push_back(name);
}

void Hub::SetGlobalStatsResult(Result result)
{
    std::lock_guard<std::mutex> guard(lock_);
    globalStats_ = result;
}

// ---------------------------------------------------------------- raw

void Hub::Post(UserId user, int32_t id, std::vector<uint8_t> data)
{
    std::lock_guard<std::mutex> guard(lock_);
    PostLocked(user, id, std::move(data));
}

CallHandle Hub::PostCallResult(UserId user, int32_t callbackId, std::vector<uint8_t> data, bool failed)
{
    std::lock_guard<std::mutex> guard(lock_);
    return CompleteLocked(user, callbackId, std::move(data), failed);
}

void Hub::Warn(UserId user, int32_t severity, const std::string& text)
{
    WarningHook hook;
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (Online* online = OnlineOf(user)) hook = online->warning;
    }
    if (hook) hook(severity, text);
}

int32_t Hub::NotificationPosition(UserId user)
{
    std::lock_guard<std::mutex> guard(lock_);
    Online* online = OnlineOf(user);
    return online ? online->notificationPosition : -1;
}

// ---------------------------------------------------------------- helpers

std::string ResultName(Result result)
{
    switch (result) {
    case Result::Ok: return "Ok";
    case Result::Fail: return "Fail";
    case Result::NoConnection: return "NoConnection";
    case Result::InvalidParam: return "InvalidParam";
    case Result::LimitExceeded: return "LimitExceeded";
    case Result::AccessDenied: return "AccessDenied";
    case Result::NotFound: return "NotFound";
    case Result::Busy: return "Busy";
    }
    return "Unknown(" + std::to_string(int32_t(result)) + ")";
}

std::string NetIdentity::ToText() const
{
    return "user:" + std::to_string(user_);
}

}  // namespace plat::steamworks
