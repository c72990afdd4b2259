// The game-service client stand-in: what one signed-in user's program calls.
// A client comes from the hub it is signed in to (swHub.h); Init gives the
// one the process is configured with, or none: the service is then not
// running, which is all the game's own build ever sees.
//
// Threads: every call may come from any thread (the hub serialises them).
// Callbacks are only ever handed out by NextCallback, on the caller's thread.
#pragma once
#include "swTypes.h"

#include <functional>
#include <memory>

namespace plat::steamworks {

class Hub;

class Client {
public:
    Client(std::shared_ptr<Hub> hub, UserId user);
    // Signs the user out: lobbies are left and open sessions fail.
    ~Client();
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    // ------------------------------------------------------------ utils
    AppId GetAppId();
    void SetWarningHook(WarningHook hook);
    void SetNotificationPosition(int32_t position);
    [[nodiscard]] bool ImageSize(ImageId image, uint32_t& width, uint32_t& height);
    [[nodiscard]] bool ImageRGBA(ImageId image, std::vector<uint8_t>& rgba);

    // ------------------------------------------------------------ callbacks
    // Nothing is handed out before ManualDispatchInit. RunFrame makes what
    // was posted so far available; NextCallback hands it out one at a time,
    // each released by FreeLastCallback before the next.
    [[nodiscard]] bool ManualDispatchInit();
    Pipe GetPipe();
    void RunFrame(Pipe pipe);
    [[nodiscard]] bool NextCallback(Pipe pipe, CallbackView& out);
    void FreeLastCallback(Pipe pipe);
    // The result of a completed call (announced by kCbCallCompleted): false
    // unless the id matches and the buffer holds the whole result.
    bool GetCallResult(Pipe pipe, CallHandle call, void* buffer, uint32_t size, int32_t expectedId, bool& failed);

    // ------------------------------------------------------------ user, friends
    UserId GetUserId();
    std::string PersonaName();
    int32_t FriendCount();
    UserId FriendByIndex(int32_t index);
    std::string FriendPersonaName(UserId user);
    Relation FriendRelation(UserId user);
    PersonaState FriendPersonaState(UserId user);
    [[nodiscard]] bool FriendGamePlayed(UserId user, FriendGame& out);
    ImageId MediumAvatar(UserId user);
    ImageId LargeAvatar(UserId user);
    // An empty value removes the key. False for a bad key or value.
    [[nodiscard]] bool SetRichPresence(const std::string& key, const std::string& value);

    // ------------------------------------------------------------ statistics
    // Reads the user's statistics; kCbStatsReceived follows.
    [[nodiscard]] bool RequestCurrentStats();
    // Completes as a call with a GlobalStatsReceived result.
    CallHandle RequestGlobalStats(int32_t days);
    bool GetStat(const std::string& name, int32_t& value);
    [[nodiscard]] bool SetStat(const std::string& name, int32_t value);
    // Writes the user's file; kCbStatsStored and, per achievement changed,
    // kCbAchievementStored follow.
    [[nodiscard]] bool StoreStats();
    bool GetAchievement(const std::string& name, bool& achieved);
    [[nodiscard]] bool SetAchievement(const std::string& name);
    [[nodiscard]] bool ClearAchievement(const std::string& name);
    // Completes as a call with a LeaderboardFound result.
    CallHandle FindLeaderboard(const std::string& name);
    std::string LeaderboardName(LeaderboardHandle board);

    // ------------------------------------------------------------ lobbies
    // kCbLobbyEnter follows; the other members get kCbLobbyRoomUpdate.
    CallHandle JoinLobby(LobbyId lobby);
    void LeaveLobby(LobbyId lobby);
    UserId LobbyOwner(LobbyId lobby);
    std::string LobbyData(LobbyId lobby, const std::string& key);
    // The owner only; every member gets kCbLobbyDataUpdate.
    [[nodiscard]] bool SetLobbyData(LobbyId lobby, const std::string& key, const std::string& value);
    int32_t LobbyMemberCount(LobbyId lobby);
    int32_t LobbyMemberLimit(LobbyId lobby);
    UserId LobbyMemberByIndex(LobbyId lobby, int32_t index);

    // ------------------------------------------------------------ messages
    // A first message to a user who has no session with the sender waits
    // until that user accepts (kCbSessionRequest tells them).
    [[nodiscard]] bool AcceptSession(const NetIdentity& remote);
    [[nodiscard]] bool CloseSession(const NetIdentity& remote);
    Result SendMessage(const NetIdentity& remote, const void* data, uint32_t size, int32_t flags, int32_t channel);
    int32_t ReceiveMessages(int32_t channel, int32_t max, std::vector<NetMessage>& out);
    // Called, on the sender's or the accepting thread, whenever messages
    // become ready for this user; none with an empty hook.
    void SetMessageHook(std::function<void()> hook);

private:
    std::shared_ptr<Hub> hub_;
    UserId user_;
};

// The hub this process signs in to and as whom; a null hub clears it.
void ConfigureHub(std::shared_ptr<Hub> hub, UserId user);
// Signs in to the configured hub; none when no hub is configured (the
// service is not running) or the user cannot sign in.
std::unique_ptr<Client> Init();

}  // namespace plat::steamworks
