// The progress bar on the program's taskbar button, through the platform's
// taskbar stand-in. Created for a window it switches itself on; freed, off.
#pragma once

#include <cstdint>

class TTaskBarProgress {
public:
    // window: the platform id of the program's window (0: none, and then
    // nothing is shown).
    explicit TTaskBarProgress(uint64_t window);
    ~TTaskBarProgress();
    TTaskBarProgress(const TTaskBarProgress&) = delete;
    TTaskBarProgress& operator=(const TTaskBarProgress&) = delete;

    void SetState(bool on);
    void SetTotal(int64_t total);
    void SetValue(int64_t value);
    bool Active() const { return active_; }
    int64_t Total() const { return total_; }
    int64_t Value() const { return value_; }

private:
    bool WindowValid();
    void Send();

    bool active_ = false;
    uint64_t window_ = 0;
    int64_t total_ = 100;
    int64_t value_ = 0;
};
