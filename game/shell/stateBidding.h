// The auction: the bidding panel for the local player, the computer seats'
// bids after a pause each, and the end of the auction after one more pause.
#pragma once

#include "stateTable.h"

class TUIBidding;

class TStateBidding : public TStateTable {
public:
    ~TStateBidding() override;
    void Enter(TState* previous, int32_t param) override;
    void Leave(TState* next) override;
    void HandleEvent(int32_t commandId) override;
    void Update() override;

    TUIBidding* Panel() const { return panel_; }

private:
    int32_t OnBidCallback(int64_t seat, uint32_t key);
    int32_t OnBiddingDone(int64_t param1, uint32_t key);
    void CancelTimers();

    TUIBidding* panel_ = nullptr;  // owned by the screen's window
};
