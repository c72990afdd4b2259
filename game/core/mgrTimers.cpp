#include "mgrTimers.h"

TTimers* Timers = nullptr;

void RegisterTimersManager()
{
    RegisterManagerClass<TTimers, &Timers>(MGR_TIMERS, 0, "Timer Subsystem");
}

void TTimers::Initialize()
{
    slots_.assign(TIMER_SLOTS, Slot{});
    immediate_ = false;
    nextId_ = 1;
}

uint32_t TTimers::Add(TTimerMethod method, int32_t delay, int64_t param1, uint32_t param2)
{
    if (!method) return 0;
    if (delay <= 0 || immediate_) {
        method(param1, param2);
        return 0;
    }
    size_t i = 0;
    while (i < slots_.size() && slots_[i].method) ++i;
    if (i == slots_.size()) slots_.push_back(Slot{});  // the table grows rather than refuse
    Slot& s = slots_[i];
    s.method = method;
    s.remaining = delay;
    s.param1 = param1;
    s.param2 = param2;
    s.id = nextId_++;
    return s.id;
}

bool TTimers::Matches(const Slot& s, const TTimerMethod& method, uint32_t key)
{
    return s.method && s.method == method && (key == TIMER_ANY_KEY || s.param2 == key);
}

void TTimers::Cancel(TTimerMethod method, uint32_t key)
{
    for (auto& s : slots_)
        if (Matches(s, method, key)) s = Slot{};
}

bool TTimers::IsPending(TTimerMethod method, uint32_t key) const
{
    for (const auto& s : slots_)
        if (Matches(s, method, key)) return true;
    return false;
}

int32_t TTimers::CountActive() const
{
    int32_t n = 0;
    for (const auto& s : slots_) n += s.method ? 1 : 0;
    return n;
}

void TTimers::Tick(int32_t elapsed)
{
    // By index: a callback may add timers, which can grow the table.
    for (size_t i = 0; i < slots_.size(); ++i) {
        if (!slots_[i].method) continue;
        slots_[i].remaining -= elapsed;
        if (slots_[i].remaining < 1 || immediate_) {
            Slot fired = slots_[i];
            slots_[i] = Slot{};
            fired.method(fired.param1, fired.param2);
        }
    }
}

int32_t TTimers::FireNow(uint32_t id)
{
    if (id == 0) return 0;
    for (size_t i = 0; i < slots_.size(); ++i) {
        if (slots_[i].method && slots_[i].id == id) {
            Slot fired = slots_[i];
            slots_[i] = Slot{};
            return fired.method(fired.param1, fired.param2);
        }
    }
    return 0;
}

void TTimers::SetImmediate(bool on)
{
    immediate_ = on;
    if (on) Tick(0);
}

void TTimers::FlushAll()
{
    if (CountActive() == 0) return;
    bool was = immediate_;
    SetImmediate(true);
    immediate_ = was;
}

void TTimers::FireMatching(TTimerMethod method, bool anyObject)
{
    // Repeated so that a timer which a callback adds for the same method fires too.
    for (bool fired = true; fired;) {
        fired = false;
        for (size_t i = 0; i < slots_.size(); ++i) {
            const Slot& s = slots_[i];
            if (!s.method) continue;
            bool hit = anyObject ? s.method.SameMethod(method) : s.method == method;
            if (!hit) continue;
            Slot f = s;
            slots_[i] = Slot{};
            f.method(f.param1, f.param2);
            fired = true;
        }
    }
}
