// A developer's measurement of the program (VANTOREL_MEASURE=<seconds>):
// the time from the start of main to the first presented frame, then the
// processor time and memory while the first screen sits idle for that
// many seconds (from two seconds after the first frame, when the engine has
// slowed to its idle rate, or VANTOREL_MEASURE_SETTLE seconds when set, so
// that a script can first lead the program to the screen it measures);
// printed to standard output, then the program ends.
#pragma once

#include <chrono>
#include <cstdint>

class TStartupProbe {
public:
    // Reads the switch; inactive without it.
    TStartupProbe();
    bool Active() const { return seconds_ > 0; }
    // Called for every presented frame; true when the measurement is over
    // and the program should end.
    bool FramePresented();

private:
    using TClock = std::chrono::steady_clock;
    double seconds_ = 0;
    TClock::time_point started_ = TClock::now();
    double settle_ = 2;
    TClock::time_point firstFrame_{};
    TClock::time_point idleFrom_{};
    int64_t idleFrames_ = 0;
    double idleCpuFrom_ = 0;
    int64_t frames_ = 0;
};
