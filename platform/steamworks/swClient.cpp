#include "swClient.h"

#include "swHub.h"

#include <algorithm>
#include <cstring>

namespace plat::steamworks {

namespace {

// Messages that wait for a user to accept a session, per sender at most.
constexpr size_t kWaitingMax = 1024;

std::mutex configLock;
std::shared_ptr<Hub> configuredHub;
UserId configuredUser = 0;

template <size_t N> void CopyName(char (&to)[N], const std::string& from)
{
    std::memset(to, 0, N);
    std::memcpy(to, from.data(), std::min(from.size(), N - 1));
}

}  // namespace

void ConfigureHub(std::shared_ptr<Hub> hub, UserId user)
{
    std::lock_guard<std::mutex> guard(configLock);
    configuredHub = std::move(hub);
    configuredUser = user;
}

std::unique_ptr<Client> Init()
{
    std::shared_ptr<Hub> hub;
    UserId user;
    {
        std::lock_guard<std::mutex> guard(configLock);
        hub = configuredHub;
        user = configuredUser;
    }
    return hub ? hub->SignIn(user) : nullptr;
}

Client::Client(std::shared_ptr<Hub> hub, UserId user) : hub_(std::move(hub)), user_(user) {}

Client::~Client()
{
    hub_->SignOut(user_);
}

// Every operation below holds the hub's lock and works on this user's part.
#define HUB_LOCK std::lock_guard<std::mutex> guard(hub_->lock_)

// ---------------------------------------------------------------- utils

AppId Client::GetAppId()
{
    return hub_->app_;
}

void Client::SetWarningHook(WarningHook hook)
{
    HUB_LOCK;
    if (auto* online = hub_->OnlineOf(user_)) online->warning = std::move(hook);
}

void Client::SetNotificationPosition(int32_t position)
{
    HUB_LOCK;
    if (auto* online = hub_->OnlineOf(user_)) online->notificationPosition = position;
}

bool Client::ImageSize(ImageId image, uint32_t& width, uint32_t& height)
{
    HUB_LOCK;
    auto it = hub_->images_.find(image);
    if (it == hub_->images_.end()) return false;
    width = uint32_t(it->second.width);
    height = uint32_t(it->second.height);
    return true;
}

bool Client::ImageRGBA(ImageId image, std::vector<uint8_t>& rgba)
{
    HUB_LOCK;
    auto it = hub_->images_.find(image);
    if (it == hub_->images_.end()) return false;
    rgba = it->second.rgba;
    return true;
}

// ---------------------------------------------------------------- callbacks

bool Client::ManualDispatchInit()
{
    HUB_LOCK;
    auto* online = hub_->OnlineOf(user_);
    if (!online) return false;
    online->dispatch = true;
    return true;
}

Pipe Client::GetPipe()
{
    HUB_LOCK;
    auto* online = hub_->OnlineOf(user_);
    return online ? online->pipe : 0;
}

void Client::RunFrame(Pipe pipe)
{
    HUB_LOCK;
    auto* online = hub_->OnlineOf(user_);
    if (!online || !online->dispatch || pipe != online->pipe) return;
    // What handlers post while this frame is handed out waits for the next.
    for (auto& c : online->posted) online->ready.push_back(std::move(c));
    online->posted.clear();
}

bool Client::NextCallback(Pipe pipe, CallbackView& out)
{
    HUB_LOCK;
    auto* online = hub_->OnlineOf(user_);
    if (!online || pipe != online->pipe || online->current || online->ready.empty()) return false;
    online->current = std::move(online->ready.front());
    online->ready.pop_front();
    out.id = online->current->id;
    out.data = online->current->data.data();
    out.size = uint32_t(online->current->data.size());
    return true;
}

void Client::FreeLastCallback(Pipe pipe)
{
    HUB_LOCK;
    auto* online = hub_->OnlineOf(user_);
    if (online && pipe == online->pipe) online->current.reset();
}

bool Client::GetCallResult(Pipe pipe, CallHandle call, void* buffer, uint32_t size, int32_t expectedId,
                           bool& failed)
{
    HUB_LOCK;
    auto* online = hub_->OnlineOf(user_);
    if (!online || pipe != online->pipe) return false;
    auto it = online->results.find(call);
    if (it == online->results.end() || it->second.id != expectedId || size < it->second.data.size()) return false;
    if (!it->second.data.empty()) std::memcpy(buffer, it->second.data.data(), it->second.data.size());
    failed = it->second.failed;
    online->results.erase(it);
    return true;
}

// ---------------------------------------------------------------- user, friends

UserId Client::GetUserId()
{
    return user_;
}

std::string Client::PersonaName()
{
    HUB_LOCK;
    auto* account = hub_->Find(user_);
    return account ? account->persona : std::string();
}

int32_t Client::FriendCount()
{
    HUB_LOCK;
    auto* account = hub_->Find(user_);
    return account ? int32_t(account->friends.size()) : 0;
}

UserId Client::FriendByIndex(int32_t index)
{
    HUB_LOCK;
    auto* account = hub_->Find(user_);
    if (!account || index < 0 || size_t(index) >= account->friends.size()) return 0;
    return account->friends[size_t(index)];
}

std::string Client::FriendPersonaName(UserId user)
{
    HUB_LOCK;
    auto* account = hub_->Find(user);
    return account ? account->persona : std::string();
}

Relation Client::FriendRelation(UserId user)
{
    HUB_LOCK;
    auto* account = hub_->Find(user_);
    if (!account) return Relation::None;
    const bool isFriend = std::find(account->friends.begin(), account->friends.end(), user) != account->friends.end();
    return isFriend ? Relation::Friend : Relation::None;
}

PersonaState Client::FriendPersonaState(UserId user)
{
    HUB_LOCK;
    auto* account = hub_->Find(user);
    return account && account->online ? account->state : PersonaState::Offline;
}

bool Client::FriendGamePlayed(UserId user, FriendGame& out)
{
    HUB_LOCK;
    if (!hub_->OnlineOf(user)) return false;
    out.game = hub_->app_;
    out.lobby = 0;
    for (const auto& [id, lobby] : hub_->lobbies_)
        if (std::find(lobby.members.begin(), lobby.members.end(), user) != lobby.members.end()) {
            out.lobby = id;
            break;
        }
    return true;
}

ImageId Client::MediumAvatar(UserId user)
{
    HUB_LOCK;
    auto* account = hub_->Find(user);
    return account ? account->avatar : 0;
}

ImageId Client::LargeAvatar(UserId user)
{
    return MediumAvatar(user);
}

bool Client::SetRichPresence(const std::string& key, const std::string& value)
{
    HUB_LOCK;
    auto* online = hub_->OnlineOf(user_);
    if (!online || key.empty() || key.size() > kRichKeyMax || value.size() > kRichValueMax) return false;
    if (value.empty()) {
        online->presence.erase(key);
        return true;
    }
    if (!online->presence.count(key) && online->presence.size() >= kRichKeysMax) return false;
    online->presence[key] = value;
    return true;
}

// ---------------------------------------------------------------- statistics

bool Client::RequestCurrentStats()
{
    HUB_LOCK;
    auto* online = hub_->OnlineOf(user_);
    if (!online) return false;
    StatsRecord record;
    const bool read = hub_->LoadFileLocked(user_, record);
    online->statsLoaded = true;
    online->statsBroken = !read;
    if (read) online->stats = online->stored = record;
    const StatsReceived received{hub_->app_, int32_t(read ? Result::Ok : Result::Fail), user_};
    hub_->PostLocked(user_, kCbStatsReceived, RecordBytes(received));
    return true;
}

CallHandle Client::RequestGlobalStats(int32_t days)
{
    HUB_LOCK;
    const Result result = days < 0 ? Result::InvalidParam : hub_->globalStats_;
    const GlobalStatsReceived received{hub_->app_, int32_t(result)};
    return hub_->CompleteLocked(user_, kCbGlobalStatsReceived, RecordBytes(received), false);
}

bool Client::GetStat(const std::string& name, int32_t& value)
{
    HUB_LOCK;
    auto* online = hub_->OnlineOf(user_);
    if (!online || !online->statsLoaded || online->statsBroken || !ValidStatName(name)) return false;
    auto it = online->stats.stats.find(name);
    value = it == online->stats.stats.end() ? 0 : it->second;
    return true;
}

bool Client::SetStat(const std::string& name, int32_t value)
{
    HUB_LOCK;
    auto* online = hub_->OnlineOf(user_);
    if (!online || !online->statsLoaded || online->statsBroken || !ValidStatName(name)) return false;
    online->stats.stats[name] = value;
    return true;
}

bool Client::StoreStats()
{
    HUB_LOCK;
    auto* online = hub_->OnlineOf(user_);
    if (!online || !online->statsLoaded || online->statsBroken) return false;
    const bool saved = hub_->SaveFileLocked(user_, online->stats);
    hub_->PostLocked(user_, kCbStatsStored,
                     RecordBytes(StatsStored{hub_->app_, int32_t(saved ? Result::Ok : Result::Fail)}));
    if (!saved) return false;
    for (const auto& [name, done] : online->stats.achievements) {
        auto before = online->stored.achievements.find(name);
        if (before != online->stored.achievements.end() && before->second == done) continue;
        AchievementStored stored{hub_->app_, {}};
        CopyName(stored.name, name);
        hub_->PostLocked(user_, kCbAchievementStored, RecordBytes(stored));
    }
    online->stored = online->stats;
    return true;
}

bool Client::GetAchievement(const std::string& name, bool& achieved)
{
    HUB_LOCK;
    auto* online = hub_->OnlineOf(user_);
    if (!online || !online->statsLoaded || online->statsBroken || !ValidStatName(name)) return false;
    auto it = online->stats.achievements.find(name);
    achieved = it != online->stats.achievements.end() && it->second;
    return true;
}

bool Client::SetAchievement(const std::string& name)
{
    HUB_LOCK;
    auto* online = hub_->OnlineOf(user_);
    if (!online || !online->statsLoaded || online->statsBroken || !ValidStatName(name)) return false;
    online->stats.achievements[name] = true;
    return true;
}

bool Client::ClearAchievement(const std::string& name)
{
    HUB_LOCK;
    auto* online = hub_->OnlineOf(user_);
    if (!online || !online->statsLoaded || online->statsBroken || !ValidStatName(name)) return false;
    online->stats.achievements[name] = false;
    return true;
}

CallHandle Client::FindLeaderboard(const std::string& name)
{
    HUB_LOCK;
    auto& boards = hub_->leaderboards_;
    auto it = std::find(boards.begin(), boards.end(), name);
    const LeaderboardHandle board = it == boards.end() ? 0 : LeaderboardHandle(it - boards.begin()) + 1;
    const LeaderboardFound found{board, uint8_t(board != 0)};
    return hub_->CompleteLocked(user_, kCbLeaderboardFound, RecordBytes(found), false);
}

std::string Client::LeaderboardName(LeaderboardHandle board)
{
    HUB_LOCK;
    if (board == 0 || board > hub_->leaderboards_.size()) return std::string();
    return hub_->leaderboards_[size_t(board - 1)];
}

// ---------------------------------------------------------------- lobbies

CallHandle Client::JoinLobby(LobbyId lobby)
{
    HUB_LOCK;
    if (!hub_->OnlineOf(user_)) return 0;
    hub_->EnterLocked(lobby, user_);
    return hub_->nextCall_++;
}

void Client::LeaveLobby(LobbyId lobby)
{
    HUB_LOCK;
    hub_->LeaveLocked(lobby, user_, kMemberLeft, user_, false);
}

UserId Client::LobbyOwner(LobbyId lobby)
{
    HUB_LOCK;
    auto it = hub_->lobbies_.find(lobby);
    return it == hub_->lobbies_.end() ? 0 : it->second.owner;
}

std::string Client::LobbyData(LobbyId lobby, const std::string& key)
{
    HUB_LOCK;
    auto it = hub_->lobbies_.find(lobby);
    if (it == hub_->lobbies_.end()) return std::string();
    auto value = it->second.data.find(key);
    return value == it->second.data.end() ? std::string() : value->second;
}

bool Client::SetLobbyData(LobbyId lobby, const std::string& key, const std::string& value)
{
    HUB_LOCK;
    auto it = hub_->lobbies_.find(lobby);
    if (it == hub_->lobbies_.end() || it->second.owner != user_) return false;
    if (key.empty() || key.size() > kLobbyKeyMax || value.size() > kLobbyValueMax) return false;
    it->second.data[key] = value;
    hub_->PostToMembers(it->second, kCbLobbyDataUpdate, RecordBytes(LobbyDataUpdate{lobby, lobby, 1}));
    return true;
}

int32_t Client::LobbyMemberCount(LobbyId lobby)
{
    HUB_LOCK;
    auto it = hub_->lobbies_.find(lobby);
    return it == hub_->lobbies_.end() ? 0 : int32_t(it->second.members.size());
}

int32_t Client::LobbyMemberLimit(LobbyId lobby)
{
    HUB_LOCK;
    auto it = hub_->lobbies_.find(lobby);
    return it == hub_->lobbies_.end() ? 0 : it->second.limit;
}

UserId Client::LobbyMemberByIndex(LobbyId lobby, int32_t index)
{
    HUB_LOCK;
    auto it = hub_->lobbies_.find(lobby);
    if (it == hub_->lobbies_.end() || index < 0 || size_t(index) >= it->second.members.size()) return 0;
    return it->second.members[size_t(index)];
}

// ---------------------------------------------------------------- messages

bool Client::AcceptSession(const NetIdentity& remote)
{
    std::function<void()> notify;
    {
        HUB_LOCK;
        auto* online = hub_->OnlineOf(user_);
        const UserId from = remote.GetUserId();
        if (!online || !hub_->Find(from) || from == user_) return false;
        online->sessions.insert(from);
        online->requested.erase(from);
        auto waiting = online->waiting.find(from);
        if (waiting != online->waiting.end()) {
            for (auto& m : waiting->second) online->inbound[m.channel].push_back(std::move(m));
            online->waiting.erase(waiting);
            notify = online->messageHook;
        }
    }
    if (notify) notify();
    return true;
}

bool Client::CloseSession(const NetIdentity& remote)
{
    HUB_LOCK;
    auto* online = hub_->OnlineOf(user_);
    const UserId from = remote.GetUserId();
    if (!online) return false;
    online->requested.erase(from);
    online->waiting.erase(from);
    return online->sessions.erase(from) > 0;
}

Result Client::SendMessage(const NetIdentity& remote, const void* data, uint32_t size, int32_t flags, int32_t channel)
{
    (void)flags;  // every message arrives, in order
    std::function<void()> notify;
    {
        HUB_LOCK;
        auto* online = hub_->OnlineOf(user_);
        const UserId to = remote.GetUserId();
        if (!online) return Result::NoConnection;
        if (to == 0 || to == user_ || channel < 0 || size == 0 || !data) return Result::InvalidParam;
        if (size > kMessageMax) return Result::LimitExceeded;
        auto* target = hub_->OnlineOf(to);
        if (!target) return Result::NoConnection;
        const auto* bytes = static_cast<const uint8_t*>(data);
        NetMessage message{user_, channel, std::vector<uint8_t>(bytes, bytes + size)};
        online->sessions.insert(to);
        if (target->sessions.count(user_)) {
            target->inbound[channel].push_back(std::move(message));
            notify = target->messageHook;
        } else {
            auto& waiting = target->waiting[user_];
            if (waiting.size() >= kWaitingMax) return Result::LimitExceeded;
            waiting.push_back(std::move(message));
            if (target->requested.insert(user_).second)
                target->posted.push_back(Hub::Callback{kCbSessionRequest, RecordBytes(SessionRequest{user_})});
        }
    }
    // Outside the hub's lock: the hook may take locks of its own.
    if (notify) notify();
    return Result::Ok;
}

void Client::SetMessageHook(std::function<void()> hook)
{
    HUB_LOCK;
    if (auto* online = hub_->OnlineOf(user_)) online->messageHook = std::move(hook);
}

int32_t Client::ReceiveMessages(int32_t channel, int32_t max, std::vector<NetMessage>& out)
{
    HUB_LOCK;
    out.clear();
    auto* online = hub_->OnlineOf(user_);
    if (!online) return 0;
    auto it = online->inbound.find(channel);
    if (it == online->inbound.end()) return 0;
    while (int32_t(out.size()) < max && !it->second.empty()) {
        out.push_back(std::move(it->second.front()));
        it->second.pop_front();
    }
    return int32_t(out.size());
}

#undef HUB_LOCK

// The hub's side of signing in lives with the client it makes, so the hub
// needs nothing of the client.
std::unique_ptr<Client> Hub::SignIn(UserId user)
{
    {
        std::lock_guard<std::mutex> guard(lock_);
        Account* account = Find(user);
        if (!account || account->online) return nullptr;
        account->online = std::make_unique<Online>();
        account->online->pipe = nextPipe_++;
        account->state = PersonaState::Online;
    }
    return std::make_unique<Client>(shared_from_this(), user);
}

}  // namespace plat::steamworks
