#include "platform/os/osClock.h"

#include <atomic>
#include <mutex>
#include <time.h>

namespace plat::os {
namespace {
std::mutex sourceLock;
std::function<uint64_t()> source;
std::atomic<bool> overridden{false};
}  // namespace

uint64_t MonotonicNanoseconds()
{
    if (overridden.load(std::memory_order_acquire)) {
        std::lock_guard<std::mutex> g(sourceLock);
        if (source) return source();
    }
    timespec ts;
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<uint64_t>(ts.tv_sec) * kCounterFrequency + static_cast<uint64_t>(ts.tv_nsec);
}

uint32_t TickMilliseconds()
{
    return static_cast<uint32_t>(MonotonicNanoseconds() / 1000000ull);
}

void SetClockSource(std::function<uint64_t()> s)
{
    std::lock_guard<std::mutex> g(sourceLock);
    source = std::move(s);
    overridden.store(static_cast<bool>(source), std::memory_order_release);
}

}  // namespace plat::os
