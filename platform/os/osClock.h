// Clock stand-in: the millisecond tick and the high-resolution counter, both
// from the monotonic clock. Tests may replace the source.
#pragma once
#include <cstdint>
#include <functional>

namespace plat::os {

// Monotonic nanoseconds (the high-resolution counter; frequency 1e9).
uint64_t MonotonicNanoseconds();
constexpr uint64_t kCounterFrequency = 1000000000ull;

// The monotonic clock in milliseconds, truncated to 32 bits (wraps).
uint32_t TickMilliseconds();

// Replace the nanosecond source (tests); an empty function restores the clock.
void SetClockSource(std::function<uint64_t()> source);

// Sleeps up to the time given on the clock in use; a signal ends it early.
// With a replaced source nothing waits: the sleeper a test sets is told the
// time instead (and may move its clock), or the call returns at once.
void SleepMilliseconds(uint32_t milliseconds);
// The sleeper used while the source is replaced; empty removes it.
void SetSleepSource(std::function<void(uint32_t)> sleeper);

// Counts per second of the high-resolution counter; 0 when it is not
// available (only when a test has switched it off).
uint64_t CounterFrequency();
void SetCounterAvailable(bool available);

// The range of millisecond timer periods the machine supports; false when
// it cannot be told.
[[nodiscard]] bool TimerPeriodRange(uint32_t& minimum, uint32_t& maximum);

}  // namespace plat::os
