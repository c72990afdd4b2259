#include "osClock.h"

#include <atomic>
#include <mutex>
#include <time.h>

namespace plat::os {
namespace {
std::mutex sourceLock;
std::function<uint64_t()> source;
std::function<void(uint32_t)> sleeper;
std::atomic<bool> overridden{false};
std::atomic<bool> counterAvailable{true};
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

void SleepMilliseconds(uint32_t milliseconds)
{
    if (overridden.load(std::memory_order_acquire)) {
        std::function<void(uint32_t)> s;
        {
            std::lock_guard<std::mutex> g(sourceLock);
            s = sleeper;
        }
        if (s) s(milliseconds);
        return;
    }
    // One sleep, not resumed after a signal: a termination request is
    // looked at as soon as it arrives.
    timespec ts{time_t(milliseconds / 1000), long(milliseconds % 1000) * 1000000L};
    ::nanosleep(&ts, nullptr);
}

void SetSleepSource(std::function<void(uint32_t)> s)
{
    std::lock_guard<std::mutex> g(sourceLock);
    sleeper = std::move(s);
}

uint64_t CounterFrequency()
{
    return counterAvailable.load(std::memory_order_acquire) ? kCounterFrequency : 0;
}

void SetCounterAvailable(bool available)
{
    counterAvailable.store(available, std::memory_order_release);
}

bool TimerPeriodRange(uint32_t& minimum, uint32_t& maximum)
{
    // Sleeps and timers here are not bound to a tick period: any whole
    // millisecond from 1 up to about a quarter of an hour is served.
    minimum = 1;
    maximum = 1000000;
    return true;
}

}  // namespace plat::os
