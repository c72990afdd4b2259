#include "clTaskbarProgress.h"

#include "osTaskbar.h"

TTaskBarProgress::TTaskBarProgress(uint64_t window)
{
    if (!plat::os::TaskbarProgressAvailable() || !plat::os::TaskbarWindowValid(window)) return;
    window_ = window;
    SetState(true);
}

TTaskBarProgress::~TTaskBarProgress() { SetState(false); }

bool TTaskBarProgress::WindowValid()
{
    // A window that has gone is forgotten.
    if (window_ != 0 && !plat::os::TaskbarWindowValid(window_)) window_ = 0;
    return window_ != 0;
}

void TTaskBarProgress::Send()
{
    uint64_t total = total_ > 0 ? uint64_t(total_) : 0;
    uint64_t value = value_ > 0 ? uint64_t(value_) : 0;
    plat::os::SetTaskbarValue(window_, value, total);
}

void TTaskBarProgress::SetState(bool on)
{
    if (on == active_) return;
    active_ = on;
    if (!WindowValid()) return;
    plat::os::SetTaskbarState(window_, on ? plat::os::TaskbarState::Normal : plat::os::TaskbarState::None);
    Send();
}

void TTaskBarProgress::SetTotal(int64_t total)
{
    total_ = total;
    if (active_ && WindowValid()) Send();
}

void TTaskBarProgress::SetValue(int64_t value)
{
    value_ = value;
    if (active_ && WindowValid()) Send();
}
