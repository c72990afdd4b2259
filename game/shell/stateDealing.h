// The deal: the cards fly from the deck to the seats, a new one starting
// every quarter of a flight, until each seat holds ten and three are left
// for the kitty; then the auction begins.
#pragma once

#include "stateTable.h"

class TStateDealing : public TStateTable {
public:
    ~TStateDealing() override;
    void Enter(TState* previous, int32_t param) override;
    void Leave(TState* next) override;
    void HandleEvent(int32_t commandId) override;
    void Update() override;

    int32_t Credit() const { return credit_; }

private:
    int32_t OnCardDeal(int64_t param1, uint32_t key);

    int32_t credit_ = 0;
};
