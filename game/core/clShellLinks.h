// What the game rules ask of the shell's screens, the multiplayer layer,
// achievements and tutorials, behind small interfaces. Each has a plain
// single-player answer until the real manager is put behind it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The id of the screen on top of the state stack (0 when none).
class TScreenLink {
public:
    virtual ~TScreenLink() = default;
    virtual int32_t CurrentStateId() const { return 0; }
};

class TGovernAction;

// The shared game: whether one runs, this peer's role, and the messages the
// governor sends. Single player: no session, nothing sent.
class TMultiplayerLink {
public:
    using THandler = std::function<void(const std::vector<uint8_t>& bytes, int32_t senderPartyId)>;
    virtual ~TMultiplayerLink() = default;
    virtual bool IsSessionActive() const { return false; }
    virtual bool IsHost() const { return true; }
    virtual void SendToHost(int32_t /*messageId*/, const std::vector<uint8_t>& /*bytes*/) {}
    virtual void Broadcast(int32_t /*messageId*/, const std::vector<uint8_t>& /*bytes*/) {}
    // A client's action to the host (game message 3), and the host's action
    // to every peer (game message 4).
    virtual void SubmitAction(const TGovernAction& /*action*/) {}
    virtual void BroadcastAction(const TGovernAction& /*action*/) {}
    // From the host to the one player of the party id.
    virtual void SendToPlayer(int32_t /*partyId*/, int32_t /*messageId*/, const std::vector<uint8_t>& /*bytes*/) {}
    virtual void RegisterHandler(int32_t /*messageId*/, THandler /*handler*/) {}
    // A request of the party id refused: the multiplayer layer holds a flood
    // of them to a few lines a second.
    virtual void LogRefusal(int32_t partyId, const std::string& line);
};

class TAchievementLink {
public:
    virtual ~TAchievementLink() = default;
    virtual void Trigger(const std::string& /*name*/) {}
};

class TTutorialLink {
public:
    virtual ~TTutorialLink() = default;
    virtual void Trigger(const std::string& /*name*/, int32_t /*page*/) {}
};

// The links in use. Setting nullptr restores the single-player answers; the
// caller keeps the object alive while it is set.
TScreenLink& ScreenLink();
void SetScreenLink(TScreenLink* link);
TMultiplayerLink& MultiplayerLink();
void SetMultiplayerLink(TMultiplayerLink* link);
TAchievementLink& AchievementLink();
void SetAchievementLink(TAchievementLink* link);
TTutorialLink& TutorialLink();
void SetTutorialLink(TTutorialLink* link);

inline int32_t CurrentStateId() { return ScreenLink().CurrentStateId(); }
inline bool IsMultiplayerActive() { return MultiplayerLink().IsSessionActive(); }
inline bool IsMultiplayerHost() { return IsMultiplayerActive() && MultiplayerLink().IsHost(); }
inline void AchievementTrigger(const std::string& name) { AchievementLink().Trigger(name); }
inline void TutorialTrigger(const std::string& name, int32_t page) { TutorialLink().Trigger(name, page); }
