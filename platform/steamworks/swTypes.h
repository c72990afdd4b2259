// Values the game-service client stand-in speaks in: numeric ids, result
// codes and the records its callbacks carry. Callback records are plain
// fixed-width structures copied byte for byte; a reader takes one only when
// the data is at least as long as the record.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace plat::steamworks {

using UserId = uint64_t;  // a signed-in person; 0 is nobody
using LobbyId = uint64_t;
using GameId = uint64_t;
using AppId = uint32_t;
using CallHandle = uint64_t;  // an asynchronous request; 0 is none
using LeaderboardHandle = uint64_t;
using Pipe = int32_t;
using ImageId = int32_t;  // 0 none

inline constexpr AppId kDefaultAppId = 27310;

// Callback ids.
inline constexpr int32_t kCbPersonaChanged = 304;
inline constexpr int32_t kCbOverlayActivated = 331;
inline constexpr int32_t kCbLobbyJoinRequested = 333;
inline constexpr int32_t kCbAvatarLoaded = 334;
inline constexpr int32_t kCbLobbyInvite = 503;
inline constexpr int32_t kCbLobbyEnter = 504;
inline constexpr int32_t kCbLobbyDataUpdate = 505;
inline constexpr int32_t kCbLobbyRoomUpdate = 506;
inline constexpr int32_t kCbLobbyList = 510;
inline constexpr int32_t kCbLobbyRemoved = 512;
inline constexpr int32_t kCbLobbyCreated = 513;
inline constexpr int32_t kCbCallCompleted = 703;
inline constexpr int32_t kCbStatsReceived = 1101;
inline constexpr int32_t kCbStatsStored = 1102;
inline constexpr int32_t kCbAchievementStored = 1103;
inline constexpr int32_t kCbAchievementIcon = 1109;
inline constexpr int32_t kCbLeaderboardFound = 1160;
inline constexpr int32_t kCbGlobalStatsReceived = 1161;
inline constexpr int32_t kCbSessionRequest = 1251;
inline constexpr int32_t kCbSessionFailed = 1252;

enum class Result : int32_t {
    Ok = 1,
    Fail = 2,
    NoConnection = 3,
    InvalidParam = 4,
    LimitExceeded = 5,
    AccessDenied = 6,
    NotFound = 7,
    Busy = 8,
};
std::string ResultName(Result result);

enum class Relation : int32_t { None = 0, Requested = 1, Friend = 2, Blocked = 3 };
enum class PersonaState : int32_t { Offline = 0, Online = 1, Busy = 2, Away = 3 };

// Lobby enter responses.
inline constexpr uint32_t kEnterSuccess = 1;
inline constexpr uint32_t kEnterNoLobby = 2;
inline constexpr uint32_t kEnterFull = 3;
inline constexpr uint32_t kEnterRefused = 4;

// Room update change bits.
inline constexpr uint32_t kMemberEntered = 0x01;
inline constexpr uint32_t kMemberLeft = 0x02;
inline constexpr uint32_t kMemberDisconnected = 0x04;
inline constexpr uint32_t kMemberKicked = 0x08;

// Persona change bits.
inline constexpr uint32_t kPersonaName = 0x01;
inline constexpr uint32_t kPersonaStatus = 0x02;
inline constexpr uint32_t kPersonaAvatar = 0x04;
inline constexpr uint32_t kPersonaFriendship = 0x08;

// Send flags: a reliable message, and a broken session started again.
inline constexpr int32_t kSendReliable = 0x08;
inline constexpr int32_t kSendRestartSession = 0x20;

// Longest message a user sends in one piece.
inline constexpr size_t kMessageMax = 512 * 1024;
// Names of statistics, achievements and leaderboards, at most.
inline constexpr size_t kNameMax = 127;
inline constexpr size_t kRichKeyMax = 64;
inline constexpr size_t kRichValueMax = 256;
inline constexpr size_t kRichKeysMax = 20;
inline constexpr size_t kLobbyKeyMax = 255;
inline constexpr size_t kLobbyValueMax = 8192;

struct PersonaChanged {
    UserId user;
    uint32_t changes;
};
struct OverlayActivated {
    uint8_t active;
};
struct LobbyJoinRequested {
    LobbyId lobby;
    UserId friendUser;
};
struct AvatarLoaded {
    UserId user;
    ImageId image;
    int32_t width;
    int32_t height;
};
struct LobbyInvite {
    UserId from;
    LobbyId lobby;
    GameId game;
};
struct LobbyEnter {
    LobbyId lobby;
    uint32_t response;
};
// member == lobby when the lobby's own data changed.
struct LobbyDataUpdate {
    LobbyId lobby;
    UserId member;
    uint8_t success;
};
struct LobbyRoomUpdate {
    LobbyId lobby;
    UserId changed;
    UserId changedBy;
    uint32_t change;
};
struct LobbyRemoved {
    LobbyId lobby;
    UserId by;
};
struct LobbyCreated {
    LobbyId lobby;
    int32_t result;
};
struct CallCompleted {
    CallHandle call;
    int32_t callbackId;
    uint32_t size;
};
struct StatsReceived {
    GameId game;
    int32_t result;
    UserId user;
};
struct StatsStored {
    GameId game;
    int32_t result;
};
struct AchievementStored {
    GameId game;
    char name[kNameMax + 1];
};
struct AchievementIcon {
    GameId game;
    char name[kNameMax + 1];
    uint8_t achieved;
    ImageId icon;
};
struct LeaderboardFound {
    LeaderboardHandle board;
    uint8_t found;
};
struct GlobalStatsReceived {
    GameId game;
    int32_t result;
};
struct SessionRequest {
    UserId remote;
};
struct SessionFailed {
    UserId remote;
    int32_t reason;
};

// A remote end of the networking messages: a user, written "user:" + id.
class NetIdentity {
public:
    void SetUserId(UserId user) { user_ = user; }
    UserId GetUserId() const { return user_; }
    std::string ToText() const;

private:
    UserId user_ = 0;
};

// One received networking message, owned by the receiver.
struct NetMessage {
    UserId sender = 0;
    int32_t channel = 0;
    std::vector<uint8_t> bytes;
};

// One pending callback as handed out by NextCallback; the data stays valid
// until FreeLastCallback.
struct CallbackView {
    int32_t id = 0;
    const uint8_t* data = nullptr;
    uint32_t size = 0;
};

// Notices of the client about itself.
using WarningHook = std::function<void(int32_t severity, const std::string& text)>;

struct FriendGame {
    GameId game = 0;
    LobbyId lobby = 0;
};

// A record's bytes, for posting it as callback data.
template <class T> std::vector<uint8_t> RecordBytes(const T& record)
{
    const auto* p = reinterpret_cast<const uint8_t*>(&record);
    return std::vector<uint8_t>(p, p + sizeof(T));
}

}  // namespace plat::steamworks
