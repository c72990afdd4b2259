// What the screens of a hand in progress share: the card table they show,
// the session's step once a frame, which seats this machine plays for, and
// moves asked of the governor that are not asked again while they wait.
#pragma once

#include "mgrStates.h"
#include "coreGame.h"
#include "sessionGovernor.h"

#include <cstdint>
#include <map>
#include <string>
#include <utility>

// The code the game-over screen returns to the game screen with when every
// seat has continued: the game is over.
constexpr int32_t STATE_RETURN_GAME_OVER = 2000;

class TUIContinueBar;
class TUIGameBoard;

class TStateTable : public TState {
public:
    TStateTable() = default;
    ~TStateTable() override;

    void Enter(TState* previous, int32_t param) override;
    void Leave(TState* next) override;
    // TState's update, then the governor's queue.
    void Update() override;

    TUIGameBoard* Board() const { return board_; }
    // The board's blocking animations (card flights) are running.
    bool BoardAnimating() const;
    bool IsCurrent() const { return StateEngine && StateEngine->Current() == this; }
    // Where the local seat's player icon stands on the board (screen buttons
    // are placed by it).
    TQZRect LocalIconRect() const;
    // The bar of who has continued on a result screen's window (nil until
    // the screen shows it).
    TUIContinueBar* ContinueBar() const;

    // This machine decides for the seat: a computer seat where it is the
    // authority, or its own seat played by the computer (AutoPlay), which a
    // client decides for itself.
    static bool DecidesFor(TSeat seat);
    // The local seat's human player (not computer-controlled).
    static bool LocalHumanSeat(TSeat seat);

protected:
    void CreateBoard();
    void FreeBoard();
    // A move asked of the governor counts until it runs (or a while passes,
    // in case the answer was lost): it is not asked again every frame.
    bool Asked(TGovernActionType type, TSeat seat) const;
    void MarkAsked(TGovernActionType type, TSeat seat);
    // The local player's Continue on a result screen, asked once.
    void ContinueLocal();
    // The result screens' continue bar: made on the window when missing,
    // shown while two or more seats are human, above the board when raised.
    void UpdateContinueBar(bool raise);
    // Every executed action, while the screen is on the stack.
    virtual void ActionExecuted(TGovernAction* action) { (void)action; }

private:
    void OnExecuted(TGovernAction* action);

    TUIGameBoard* board_ = nullptr;  // owned by the screen's window
    bool listening_ = false;
    std::map<std::pair<int32_t, TSeat>, uint32_t> asked_;
};

// How long a move asked of the governor is not asked again.
constexpr uint32_t kAskAgainMs = 3000;
