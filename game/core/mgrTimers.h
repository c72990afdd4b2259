// Delayed calls of the game, driven once a frame with the elapsed frame time.
// An immediate mode makes every timer fire at once (saving, benchmarks).
#pragma once

#include "coreManager.h"

#include <cstdint>
#include <vector>

// The callback: parameter 1 (a value or a reference) and parameter 2 (the key).
using TTimerMethod = TQZMethod<int32_t(int64_t param1, uint32_t param2)>;

constexpr uint32_t TIMER_ANY_KEY = 0xF0000000u;
constexpr int32_t TIMER_SLOTS = 10;

class TTimers : public TManagerClass {
public:
    void Initialize() override;

    // The timer's id; 0 when the call ran at once (delay 0 or less, or
    // immediate mode). When all slots are taken the table grows.
    uint32_t Add(TTimerMethod method, int32_t delay, int64_t param1, uint32_t param2);
    // Method and object must both match, and the key (or TIMER_ANY_KEY).
    void Cancel(TTimerMethod method, uint32_t key);
    bool IsPending(TTimerMethod method, uint32_t key) const;
    int32_t CountActive() const;
    void Tick(int32_t elapsed);
    int32_t FireNow(uint32_t id);
    void SetImmediate(bool on);
    bool Immediate() const { return immediate_; }
    void FlushAll();
    // Fires at once every pending timer of the method (any object when
    // anyObject), leaving the others waiting.
    void FireMatching(TTimerMethod method, bool anyObject);

private:
    struct Slot {
        TTimerMethod method;
        int32_t remaining = 0;
        int64_t param1 = 0;
        uint32_t param2 = 0;
        uint32_t id = 0;
    };
    static bool Matches(const Slot& s, const TTimerMethod& method, uint32_t key);

    std::vector<Slot> slots_ = std::vector<Slot>(TIMER_SLOTS);
    bool immediate_ = false;
    uint32_t nextId_ = 1;
};

extern TTimers* Timers;
void RegisterTimersManager();
