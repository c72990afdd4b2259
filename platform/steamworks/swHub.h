// The in-process hub behind the client stand-in: users with persona names and
// friends, rich presence, lobbies, networking messages between users with
// session requests, statistics and achievements kept per user in a file, and
// asynchronous call results. Tests and tools drive it through the control
// operations below; programs only ever see a Client.
//
// Threads: every operation takes the hub's one lock; hooks are called after
// it is released.
#pragma once
#include "swStats.h"
#include "swTypes.h"

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>

namespace plat::steamworks {

class Client;

class Hub : public std::enable_shared_from_this<Hub> {
public:
    // Statistics files go to the folder (DefaultStatsFolder() when empty).
    explicit Hub(const std::string& statsFolder = std::string(), AppId app = kDefaultAppId);
    ~Hub();
    Hub(const Hub&) = delete;
    Hub& operator=(const Hub&) = delete;

    AppId App() const { return app_; }
    const std::string& StatsFolder() const { return statsFolder_; }

    // ------------------------------------------------------------ users
    void AddUser(UserId user, const std::string& persona);
    // None for an unknown user or one already signed in.
    std::unique_ptr<Client> SignIn(UserId user);
    bool SignedIn(UserId user);
    void MakeFriends(UserId a, UserId b);
    // Friends signed in get kCbPersonaChanged.
    void SetPersonaState(UserId user, PersonaState state);
    // The user and the friends signed in get kCbAvatarLoaded.
    ImageId SetAvatar(UserId user, int32_t width, int32_t height, std::vector<uint8_t> rgba);
    std::string RichPresence(UserId user, const std::string& key);

    // ------------------------------------------------------------ lobbies
    // The owner is its first member and gets kCbLobbyCreated, then
    // kCbLobbyEnter.
    LobbyId CreateLobby(UserId owner, int32_t limit, const std::map<std::string, std::string>& data = {});
    // The invitee gets kCbLobbyInvite (game 0: this hub's application).
    void Invite(UserId from, UserId to, LobbyId lobby, GameId game = 0);
    // The user asked, through a friend, to join the lobby: kCbLobbyJoinRequested.
    void RequestJoin(UserId user, LobbyId lobby, UserId friendUser);
    // The user enters (signed in or not), as a client's JoinLobby does;
    // returns the enter response.
    uint32_t EnterLobby(LobbyId lobby, UserId user);
    // Every member, the removed one too, gets kCbLobbyRoomUpdate; a kicked
    // one also gets kCbLobbyRemoved.
    void RemoveMember(LobbyId lobby, UserId user, bool kicked);
    [[nodiscard]] bool SetLobbyData(LobbyId lobby, const std::string& key, const std::string& value);
    std::vector<UserId> LobbyMembers(LobbyId lobby);
    UserId LobbyOwnerOf(LobbyId lobby);

    // ------------------------------------------------------------ statistics
    // Straight to and from the user's file; false or none when the file
    // cannot be read cleanly (it is then left as it is).
    [[nodiscard]] bool SetStat(UserId user, const std::string& name, int32_t value);
    [[nodiscard]] std::optional<int32_t> ReadStat(UserId user, const std::string& name);
    [[nodiscard]] bool SetAchievement(UserId user, const std::string& name, bool achieved);
    [[nodiscard]] std::optional<bool> ReadAchievement(UserId user, const std::string& name);
    // The last file that could not be read or written, with the reason.
    std::string LastStatsError();
    void DefineLeaderboard(const std::string& name);
    void SetGlobalStatsResult(Result result);

    // ------------------------------------------------------------ raw
    // Any callback, with any data (malformed ones too).
    void Post(UserId user, int32_t id, std::vector<uint8_t> data);
    // A completed call with any result data; the handle is returned.
    CallHandle PostCallResult(UserId user, int32_t callbackId, std::vector<uint8_t> data, bool failed = false);
    void Warn(UserId user, int32_t severity, const std::string& text);
    int32_t NotificationPosition(UserId user);

private:
    friend class Client;

    struct Callback {
        int32_t id = 0;
        std::vector<uint8_t> data;
    };
    struct CallResult {
        int32_t id = 0;
        std::vector<uint8_t> data;
        bool failed = false;
    };
    struct Image {
        int32_t width = 0, height = 0;
        std::vector<uint8_t> rgba;
    };
    struct Lobby {
        UserId owner = 0;
        int32_t limit = 0;
        std::vector<UserId> members;
        std::map<std::string, std::string> data;
    };
    // What a signed-in user has; cleared at sign-out.
    struct Online {
        Pipe pipe = 0;
        bool dispatch = false;
        std::deque<Callback> posted, ready;
        std::optional<Callback> current;
        std::map<CallHandle, CallResult> results;
        WarningHook warning;
        int32_t notificationPosition = 0;
        std::map<std::string, std::string> presence;
        // Networking: users this side has a session with, messages waiting
        // for this side to accept, requests raised, messages by channel.
        std::set<UserId> sessions;
        std::map<UserId, std::deque<NetMessage>> waiting;
        std::set<UserId> requested;
        std::map<int32_t, std::deque<NetMessage>> inbound;
        std::function<void()> messageHook;
        // Statistics as read by RequestCurrentStats and as last stored.
        bool statsLoaded = false;
        bool statsBroken = false;
        StatsRecord stats, stored;
    };
    struct Account {
        std::string persona;
        PersonaState state = PersonaState::Offline;
        std::vector<UserId> friends;
        ImageId avatar = 0;
        std::unique_ptr<Online> online;
    };

    // Everything below runs under lock_.
    Account* Find(UserId user);
    Online* OnlineOf(UserId user);
    void PostLocked(UserId user, int32_t id, std::vector<uint8_t> data);
    CallHandle CompleteLocked(UserId user, int32_t id, std::vector<uint8_t> data, bool failed);
    uint32_t EnterLocked(LobbyId lobby, UserId user);
    void LeaveLocked(LobbyId lobby, UserId user, uint32_t change, UserId by, bool tellLeaver);
    void PostToMembers(const Lobby& lobby, int32_t id, const std::vector<uint8_t>& data);
    [[nodiscard]] bool LoadFileLocked(UserId user, StatsRecord& record);
    [[nodiscard]] bool SaveFileLocked(UserId user, const StatsRecord& record);
    // One entry of a user's statistics or achievements (the map of the
    // record), written through or read from the file; these take lock_.
    template <class T>
    [[nodiscard]] bool SetRecordEntry(UserId user, std::map<std::string, T> StatsRecord::*entries,
                                      const std::string& name, T value);
    template <class T>
    [[nodiscard]] std::optional<T> ReadRecordEntry(UserId user, std::map<std::string, T> StatsRecord::*entries,
                                                   const std::string& name);
    void SignOut(UserId user);

    std::mutex lock_;
    AppId app_;
    std::string statsFolder_;
    std::map<UserId, Account> accounts_;
    std::map<LobbyId, Lobby> lobbies_;
    std::map<ImageId, Image> images_;
    std::vector<std::string> leaderboards_;
    Result globalStats_ = Result::Ok;
    std::string statsError_;
    LobbyId nextLobby_ = 0x1000000000000001ull;
    CallHandle nextCall_ = 1;
    Pipe nextPipe_ = 1;
    ImageId nextImage_ = 1;
};

}  // namespace plat::steamworks
