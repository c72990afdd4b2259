// The game in progress: drives the hand through the session's status,
// putting the deal, auction, bid result and kitty screens over itself, plays
// the ten tricks (the player's cards by clicks, the computer seats' after a
// moment's thought), and shows the hand's result at its end.
#pragma once

#include "stateTable.h"

class TStateGame : public TStateTable {
public:
    ~TStateGame() override;
    void Enter(TState* previous, int32_t param) override;
    void Leave(TState* next) override;
    void HandleEvent(int32_t commandId) override;
    void Update() override;

    bool Busy() const;
    bool BackRequested() const { return backRequested_; }
    // The complete trick is being gathered to its winner.
    bool GatheringTrick() const { return trickStep_ != 0; }

protected:
    void ActionExecuted(TGovernAction* action) override;

private:
    int32_t OnAIThinking(int64_t seat, uint32_t key);
    int32_t OnTrickComplete(int64_t winner, uint32_t key);
    void CancelTimers();
    // The last trick of the hand is closed but the hand not yet scored (a
    // game left or saved at that moment).
    bool HandClosed() const;
    void PlayTricks();
    // The table cards fly to the trick's winner.
    void GatherTrick(TSeat winner);

    bool backRequested_ = false;
    bool leaving_ = false;
    int32_t trickStep_ = 0;   // 1 the cards go to the winner, 2 the trick closes
    int32_t alertedTrick_ = 0;
};
