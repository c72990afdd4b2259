// The kitty: its three cards fly to the declarer, who then discards down to
// ten (the local player by clicking cards, a computer seat by itself); then
// trick play begins.
#pragma once

#include "stateTable.h"

class TStateKitty : public TStateTable {
public:
    void Enter(TState* previous, int32_t param) override;
    void Leave(TState* next) override;
    void HandleEvent(int32_t commandId) override;
    void Update() override;

    int32_t Phase() const { return phase_; }
    bool WarningArmed() const { return warning_; }

protected:
    void ActionExecuted(TGovernAction* action) override;

private:
    TSeat Declarer() const;
    void RefreshPrompt();

    int32_t phase_ = 0;  // 0 the kitty is handed over, 1 discards
    bool warning_ = false;
    bool alerted_ = false;
};
