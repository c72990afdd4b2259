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

// Counts per second of the high-resolution counter; 0 when it is not
// available (only when a test has switched it off).
uint64_t CounterFrequency();
void SetCounterAvailable(bool available);

// The range of millisecond timer periods the machine supports; false when
// it cannot be told.
bool TimerPeriodRange(uint32_t& minimum, uint32_t& maximum);

}  // namespace plat::os
