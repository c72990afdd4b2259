#include "osTaskbar.h"

#include <map>
#include <mutex>
#include <set>

namespace plat::os {
namespace {

// Enough for any progress run; older changes are dropped first.
constexpr size_t kHistoryLimit = 4096;

struct Record {
    std::mutex lock;
    std::map<uint64_t, std::vector<TaskbarProgress>> history;
    std::set<uint64_t> closed;
};

Record& R()
{
    static Record r;
    return r;
}

void Push(uint64_t window, const TaskbarProgress& p)
{
    std::vector<TaskbarProgress>& h = R().history[window];
    if (h.size() >= kHistoryLimit) h.erase(h.begin());
    h.push_back(p);
}

TaskbarProgress Current(uint64_t window)
{
    auto it = R().history.find(window);
    return it == R().history.end() || it->second.empty() ? TaskbarProgress{} : it->second.back();
}

}  // namespace

bool TaskbarProgressAvailable() { return true; }

bool TaskbarWindowValid(uint64_t window)
{
    std::lock_guard<std::mutex> g(R().lock);
    return window != 0 && R().closed.count(window) == 0;
}

void TaskbarWindowClosed(uint64_t window)
{
    std::lock_guard<std::mutex> g(R().lock);
    R().closed.insert(window);
    R().history.erase(window);
}

void SetTaskbarState(uint64_t window, TaskbarState state)
{
    std::lock_guard<std::mutex> g(R().lock);
    if (window == 0 || R().closed.count(window)) return;
    TaskbarProgress p = Current(window);
    p.state = state;
    Push(window, p);
}

void SetTaskbarValue(uint64_t window, uint64_t value, uint64_t total)
{
    std::lock_guard<std::mutex> g(R().lock);
    if (window == 0 || R().closed.count(window)) return;
    TaskbarProgress p = Current(window);
    p.value = value;
    p.total = total;
    Push(window, p);
}

TaskbarProgress TaskbarProgressOf(uint64_t window)
{
    std::lock_guard<std::mutex> g(R().lock);
    return Current(window);
}

std::vector<TaskbarProgress> TaskbarHistory(uint64_t window)
{
    std::lock_guard<std::mutex> g(R().lock);
    auto it = R().history.find(window);
    return it == R().history.end() ? std::vector<TaskbarProgress>{} : it->second;
}

void ResetTaskbarRecord()
{
    std::lock_guard<std::mutex> g(R().lock);
    R().history.clear();
    R().closed.clear();
}

}  // namespace plat::os
