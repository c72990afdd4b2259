// Taskbar progress stand-in. Linux desktops share no taskbar progress, so
// both back ends keep the state and value a window's taskbar button would
// show, and tests read them back. Windows are named by their id; 0 is none.
#pragma once
#include <cstdint>
#include <vector>

namespace plat::os {

enum class TaskbarState { None, Normal };

struct TaskbarProgress {
    TaskbarState state = TaskbarState::None;
    uint64_t value = 0;
    uint64_t total = 0;
    bool operator==(const TaskbarProgress&) const = default;
};

// Whether a taskbar progress can be shown at all.
bool TaskbarProgressAvailable();
// A window that is open: not 0 and not reported closed.
bool TaskbarWindowValid(uint64_t window);
// The window layer reports a closed window; its record goes.
void TaskbarWindowClosed(uint64_t window);

void SetTaskbarState(uint64_t window, TaskbarState state);
void SetTaskbarValue(uint64_t window, uint64_t value, uint64_t total);

// What the window's button shows now, and every change so far, oldest first.
TaskbarProgress TaskbarProgressOf(uint64_t window);
std::vector<TaskbarProgress> TaskbarHistory(uint64_t window);
// Forgets every record and closed window (tests).
void ResetTaskbarRecord();

}  // namespace plat::os
