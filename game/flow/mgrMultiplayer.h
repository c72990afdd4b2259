// The multiplayer manager: puts the game on the peer session. It owns the
// session object, knows whether a shared game is set up and whether this
// machine hosts it, carries the game messages over each peer's game channel,
// keeps the clients' copy of the session in step with the host's, and
// answers the party's joins and leaves. The governor reaches it as the
// multiplayer link.
//
// What it tells the rest of the game goes through game-flow events:
// "LOBBY_WELCOME" and "LOBBY_CHANGED" (no payload), "CHAT_MESSAGE" (a
// TMPChatLine), "ACTION_REFUSED" (a TMPRefusedAction), and the text events
// "PLAYER_JOINED" and "PLAYER_LEFT" (the player's name) and "NOTICE" (a
// notice for the player).
//
// Threads: main thread only; the session's callbacks arrive inside Process.
#pragma once

#include "clShellLinks.h"
#include "coreManager.h"
#include "mpMessages.h"
#include "qz7falcon.h"
#include "sessionGovernor.h"
#include "sessionPlayer.h"

#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class TQZPartyService;
class TMPPeer;
struct TQZPartyChange;

constexpr int32_t kMultiplayerSessionId = 731;
constexpr size_t kLobbyNameMax = 47;
constexpr size_t kLobbyWelcomeSize = 48;
// A chat line longer than this is cut (the chat entry takes 100 characters).
constexpr size_t kChatTextMax = 1000;

// Payload of "CHAT_MESSAGE".
class TMPChatLine : public TQZClass {
public:
    TSeat seat = 0;
    std::string text;
    std::string name;
};

// Payload of "ACTION_REFUSED": what this player asked for and the host
// dropped; the screens offer the move again.
class TMPRefusedAction : public TQZClass {
public:
    std::string reason;
    std::unique_ptr<TGovernAction> action;
    std::string text;  // for the player
};

// The chat record (message 6): byte seat, string text, string name. False
// when a length runs past the body.
std::vector<uint8_t> PackChatLine(TSeat seat, const std::string& text, const std::string& name);
[[nodiscard]] bool UnpackChatLine(const std::vector<uint8_t>& body, TMPChatLine& line);
// The lobby welcome (message 0): a length byte and up to 47 characters in
// 48 bytes. Reading takes no more than the bytes present and 47.
std::vector<uint8_t> PackLobbyWelcome(const std::string& lobby);
std::string UnpackLobbyWelcome(const std::vector<uint8_t>& body);

// Game messages this machine sent and received (ids and bodies counted).
struct TMPTraffic {
    int64_t messagesSent = 0, bytesSent = 0, messagesReceived = 0, bytesReceived = 0;
};

class TMultiplayer : public TManagerClass, public TMultiplayerLink {
public:
    TMultiplayer() = default;
    ~TMultiplayer() override;
    void Initialize() override;

    TQZFalcon* GetFalcon();
    void Init();
    void Process();

    // Joins the host at the address (a client); the port is the session's
    // (6969) unless given.
    void JoinHost(const std::string& address, uint16_t port = kFalconPort);
    // The host last joined (the connecting screen shows it and tries again).
    const std::string& HostAddress() const { return hostAddress_; }
    uint16_t HostPort() const { return hostPort_; }
    void Leave(bool backToMenu);
    void SetIsMultiplayer(bool value);
    bool IsMultiplayer() const { return isMultiplayer_; }
    const std::string& LobbyName() const { return lobbyName_; }
    uint8_t GetLocalPartyID();
    TQZPartyService* Party();

    // Hosting. No screen of the game offers it; tests (and a lobby when it
    // offers hosting) put the manager into host mode here. Port 0 takes any
    // free port (LocalPort tells which).
    [[nodiscard]] bool Host(uint16_t port = kFalconPort, const std::string& lobbyName = std::string());
    uint16_t LocalPort() const;
    // The transport the session object is made with (before first use);
    // without one the registered network-thread class is used.
    void UseNetworkThread(std::unique_ptr<TQZNetworkThread> thread) { thread_ = std::move(thread); }

    void SendToPeers(const std::vector<uint8_t>& message);
    void SendToHost(const std::vector<uint8_t>& message);
    void SubmitAction(const TGovernAction& action) override;
    void BroadcastAction(const TGovernAction& action) override;
    // Chat: a line typed on this machine, for every peer's chat window.
    void SendAction(const std::string& text, const std::string& name, TSeat seat);
    void SendSessionUpdate();

    TMPMsgHandlers& Handlers() { return handlers_; }
    const TMPTraffic& Traffic() const { return traffic_; }
    // The party id a game message from the peer counts as: on a client its
    // one peer is the host (1); on the host the member whose peer it is, or
    // 0 for a peer that holds no place in the party.
    uint8_t SenderOf(TQZPeer* peer);

    // The multiplayer link of the rules.
    bool IsSessionActive() const override { return isMultiplayer_; }
    bool IsHost() const override;
    void SendToHost(int32_t messageId, const std::vector<uint8_t>& bytes) override;
    void Broadcast(int32_t messageId, const std::vector<uint8_t>& bytes) override;
    void SendToPlayer(int32_t partyId, int32_t messageId, const std::vector<uint8_t>& bytes) override;
    void RegisterHandler(int32_t messageId, THandler handler) override;
    void LogRefusal(int32_t partyId, const std::string& line) override;
    // A line that a flood from the source would repeat: held to one a second
    // per kind, with a count (TQZLogThrottle).
    void LogRepeated(const std::string& kind, const std::string& source, const std::string& line);

    // The host's answers to the party (public for the tests).
    void OnPlayerJoinedParty(uint8_t id);
    void OnPlayerLeftParty(uint8_t id);

private:
    static void OnLog(void* user, const std::string& line);
    static void OnPartyChange(void* user, const TQZPartyChange& change);
    static void OnStateChange(void* user, TQZFalcon* session);
    void PartyChanged(const TQZPartyChange& change);
    void SessionStateChanged();
    void Receive(TMPPeer& peer, const std::vector<uint8_t>& message);
    bool Accepts(int32_t id, uint8_t sender) const;
    void ReceiveWelcome(const std::vector<uint8_t>& body);
    void ReceiveSessionUpdate(const std::vector<uint8_t>& body);
    void OnHelp(uint8_t partyId, const std::vector<uint8_t>& body);
    void OnChat(uint8_t partyId, const std::vector<uint8_t>& body);
    void OnRefused(uint8_t partyId, const std::vector<uint8_t>& body);
    void OnLobbyChanged(TQZClass* payload);
    void ShowChat(const TMPChatLine& line);
    void SetLocalIdentity();
    void Send(TMPPeer& peer, const std::vector<uint8_t>& message);
    void FlushLog();
    void HostLost();
    std::string MemberName(uint8_t id);

    std::unique_ptr<TQZFalcon> falcon_;
    std::unique_ptr<TQZNetworkThread> thread_;
    bool isMultiplayer_ = false;
    bool wasConnected_ = false;
    std::string lobbyName_;
    std::string hostAddress_;
    uint16_t hostPort_ = kFalconPort;
    TMPMsgHandlers handlers_;
    TPlayerGUID localGuid_{};
    TMPTraffic traffic_;
    TQZLogThrottle throttle_;
    // Lines the session logs on its network thread wait here for the main
    // thread: the admin log feeds the console, a widget.
    std::thread::id mainThread_;
    std::mutex logLock_;
    std::vector<std::string> pendingLog_;
};

extern TMultiplayer* Multiplayer;
void RegisterMultiplayerManager();
