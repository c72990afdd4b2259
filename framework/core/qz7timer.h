// Stopwatches over the millisecond tick or the high-resolution counter, the
// process tick, the seconds since start and the duration of the last frame.
#pragma once

#include "qz7core.h"

#include <cstdint>
#include <memory>

constexpr int32_t QZTIMER_MEDIA = 0;
constexpr int32_t QZTIMER_HIGHPERF = 1;

class TQZTimer : public TQZClass {
public:
    uint64_t frequency = 0;  // counts per second
    double secondsPerCount = 0;
    double speed = 1.0;  // factor applied to every elapsed time
    uint64_t startCount = 0;
    uint64_t stopCount = 0;
    bool running = false;
    int32_t kind = QZTIMER_MEDIA;

    virtual uint64_t GetCounter() = 0;
    virtual void Calibrate();

    void Start();
    void Stop();
    // Stopped with nothing elapsed.
    void Reset();
    double Elapsed();

protected:
    explicit TQZTimer(int32_t timerKind) : kind(timerKind) {}
};

// Counts the millisecond tick.
class TQZTimerMedia : public TQZTimer {
public:
    static std::unique_ptr<TQZTimerMedia> Create();
    uint64_t GetCounter() override;
    void Calibrate() override;

private:
    TQZTimerMedia() : TQZTimer(QZTIMER_MEDIA) {}
};

// Counts the high-resolution counter.
class TQZTimerHighperf : public TQZTimer {
public:
    // nullptr when the machine has no high-resolution counter.
    static std::unique_ptr<TQZTimerHighperf> Create();
    uint64_t GetCounter() override;
    void Calibrate() override;

private:
    TQZTimerHighperf() : TQZTimer(QZTIMER_HIGHPERF) {}
};

// A high-resolution timer when wanted and available, else a millisecond one.
std::unique_ptr<TQZTimer> CreateTimer(bool highResolution);

// Ticks per second of the millisecond tick as measured once per process
// (1000 divided by the observed tick step); 0 before any media timer.
double MediaTimerResolution();
// Forgets the measured figure so the next media timer measures again (tests).
void ForgetMediaTimerResolution();

uint32_t GetTickMS();
// b - a on the 32-bit tick, right across its wrap.
uint32_t TickDiff(uint32_t a, uint32_t b);
float SecondsSinceStart();
// Handler of the frame event: the previous frame tick becomes the current.
int32_t StoreFrameTick(void* param);
// Seconds between the last two frame events. The first call starts
// listening to the frame event and answers 0.
float FrameDeltaSeconds();

// Takes the start tick and the timer period range, and forgets the frame
// ticks. Runs when the module loads; tests run it again after setting the
// clock.
void TimerModuleInitialise();
void TimerPeriodRange(uint32_t& minimum, uint32_t& maximum);
