// The game flow: the screen classes by number, named events between loosely
// coupled parts (the table caption, tutorial triggers, lobby changes), and
// the game's commands in one place.
#pragma once

#include "coreManager.h"
#include "mgrStates.h"
#include "qz7core.h"
#include "coreGame.h"
#include "sessionGovernor.h"

#include <cstdint>
#include <string>
#include <vector>

// The payload of a text event.
class TEventStringWrapper : public TQZClass {
public:
    explicit TEventStringWrapper(std::string value) : text(std::move(value)) {}
    std::string text;
};

using TGameEventHandler = TQZMethod<void(TQZClass*)>;
using TGameTextHandler = TQZMethod<void(const std::string&)>;

// The screens' ids (those the actions wait for come with the governor).
constexpr int32_t STATE_ABOUT = 1;
constexpr int32_t STATE_ACHIEVEMENTS = 2;
constexpr int32_t STATE_CHECKVERSION = 4;
constexpr int32_t STATE_CONFIRM = 5;
constexpr int32_t STATE_MULTIPLAYER_ENTRY = 13;
constexpr int32_t STATE_OPTIONS = 14;
constexpr int32_t STATE_PREFERENCES = 15;
constexpr int32_t STATE_TESTING = 16;
constexpr int32_t STATE_LOBBY = 17;
constexpr int32_t STATE_CONNECTING = 18;
constexpr int32_t STATE_FURTHER = 19;

// The screen classes the program has. An empty entry stays unregistered,
// so a push of its id is refused (the screen is not part of this build).
struct TStateClassTable {
    TStateClass classes[STATE_CLASS_SLOTS + 1];  // index = id
};

class TGameflow : public TManagerClass {
public:
    void Initialize() override;

    void Subscribe(const std::string& name, TGameEventHandler handler);
    void SubscribeText(const std::string& name, TGameTextHandler handler);
    void Unsubscribe(const std::string& name, TGameEventHandler handler);
    void UnsubscribeText(const std::string& name, TGameTextHandler handler);
    // An object payload stays the caller's.
    void Trigger(const std::string& name, TQZClass* payload);
    // A text payload is given up by the caller and freed after the handlers.
    void Trigger(const std::string& name, std::unique_ptr<TEventStringWrapper> payload);
    void TriggerTutorial(const std::string& name, int32_t number);
    int32_t SubscriptionCount() const { return int32_t(table_.size()); }

    // Registers the program's screens in the fixed registration order.
    void RegisterStates(const TStateClassTable& table);

    void SetViewSeat();
    void ResetForNewGame();
    void NewGame(bool keep);
    void NewHand();
    void Discard(TCard card, TSeat seat);
    void PlayCard(TCard card, TSeat seat);
    void ContinueGame(TSeat seat);
    // Saves the game in progress to "Savedgame.txt", or deletes that file
    // when there is none to keep; false (and a log line) when that fails.
    [[nodiscard]] bool SaveGame();
    // Whether the last SaveGame failed: the engine names it at shut-down.
    bool SaveFailed() const { return saveFailed_; }
    void LoadGame();
    void PlayMultiplayerAlert();

private:
    struct TSubscription {
        std::string name;
        int32_t kind;  // 0 object, 1 text
        TGameEventHandler objectHandler;
        TGameTextHandler textHandler;
    };
    void Dispatch(const std::string& name, TQZClass* payload);

    std::vector<TSubscription> table_;
    bool saveFailed_ = false;
};

extern TGameflow* Gameflow;
void RegisterGameflowManager();

// The longest event name; longer names are cut.
constexpr size_t kEventNameLength = 24;
// Board rotation for the local seat.
int32_t SeatRotation(TSeat localSeat);
// The table caption through the event "TABLE_CAPTION", when the flow exists.
void SetTableCaption(const std::string& text);
