#include "qz7timer.h"

#include "qz7events.h"
#include "osClock.h"

#include <chrono>

namespace {

// Measured once per process; 0 = not yet.
double mediaResolution = 0;

uint32_t startTick = 0;
uint32_t periodMin = 1;
uint32_t periodMax = 30;

bool frameRegistered = false;
uint32_t frameTickPrevious = 0;
uint32_t frameTickCurrent = 0;

// The tick step: wait until the tick changes. The wait is bounded in real
// time, since a stopped clock (a test's) would never change.
uint32_t MeasureTickStep()
{
    constexpr auto kMaxWait = std::chrono::milliseconds(20);
    const auto deadline = std::chrono::steady_clock::now() + kMaxWait;
    uint32_t first = plat::os::TickMilliseconds();
    uint32_t now = first;
    while (now == first && std::chrono::steady_clock::now() < deadline) now = plat::os::TickMilliseconds();
    uint32_t step = now - first;
    return step == 0 ? 1 : step;
}

int32_t ForgetFrameRegistration(void*)
{
    // The bus goes away after the shut-down event; a later bus needs the
    // frame handler again.
    frameRegistered = false;
    return 0;
}

struct ModuleInit {
    ModuleInit() { TimerModuleInitialise(); }
} moduleInit;

}  // namespace

// ---------------------------------------------------------------- TQZTimer
void TQZTimer::Calibrate()
{
    frequency = 0;
    secondsPerCount = 0;
    startCount = 0;
    stopCount = 0;
    running = false;
    speed = 1.0;
}

void TQZTimer::Start()
{
    running = true;
    startCount = GetCounter();
}

void TQZTimer::Stop()
{
    if (!running) return;
    stopCount = GetCounter();
    running = false;
}

void TQZTimer::Reset()
{
    Stop();
    startCount = stopCount;
}

double TQZTimer::Elapsed()
{
    if (frequency == 0) return 0;
    uint64_t end = running ? GetCounter() : stopCount;
    uint64_t span = end - startCount;
    // The millisecond tick is 32 bits wide: a span across its wrap is the
    // small positive difference, not one near 2^64.
    if (kind == QZTIMER_MEDIA) span &= 0xFFFFFFFFull;
    return double(span) / double(frequency) * speed;
}

// ---------------------------------------------------------------- kinds
std::unique_ptr<TQZTimerMedia> TQZTimerMedia::Create()
{
    std::unique_ptr<TQZTimerMedia> t(new TQZTimerMedia());
    t->Calibrate();
    return t;
}

uint64_t TQZTimerMedia::GetCounter()
{
    return plat::os::TickMilliseconds();
}

void TQZTimerMedia::Calibrate()
{
    TQZTimer::Calibrate();
    frequency = 1000;
    if (mediaResolution == 0) mediaResolution = double(frequency) / MeasureTickStep();
    secondsPerCount = 1.0 / mediaResolution;
}

std::unique_ptr<TQZTimerHighperf> TQZTimerHighperf::Create()
{
    if (plat::os::CounterFrequency() == 0) return nullptr;
    std::unique_ptr<TQZTimerHighperf> t(new TQZTimerHighperf());
    t->Calibrate();
    return t;
}

uint64_t TQZTimerHighperf::GetCounter()
{
    return plat::os::MonotonicNanoseconds();
}

void TQZTimerHighperf::Calibrate()
{
    TQZTimer::Calibrate();
    frequency = plat::os::CounterFrequency();
    secondsPerCount = frequency ? 1.0 / double(frequency) : 0;
}

std::unique_ptr<TQZTimer> CreateTimer(bool highResolution)
{
    if (highResolution) {
        if (auto t = TQZTimerHighperf::Create()) return t;
    }
    return TQZTimerMedia::Create();
}

double MediaTimerResolution()
{
    return mediaResolution;
}

void ForgetMediaTimerResolution()
{
    mediaResolution = 0;
}

// ---------------------------------------------------------------- ticks
uint32_t GetTickMS()
{
    return plat::os::TickMilliseconds();
}

uint32_t TickDiff(uint32_t a, uint32_t b)
{
    return b - a;
}

float SecondsSinceStart()
{
    return float(GetTickMS() - startTick) / 1000.0f;
}

int32_t StoreFrameTick(void*)
{
    frameTickPrevious = frameTickCurrent;
    frameTickCurrent = GetTickMS();
    return 0;
}

float FrameDeltaSeconds()
{
    if (!frameRegistered) {
        AddHandler(QZEVENT_FRAME, &StoreFrameTick, QZHANDLER_PERSISTENT);
        AddHandler(QZEVENT_SHUTDOWN, &ForgetFrameRegistration, QZHANDLER_ONESHOT);
        frameRegistered = true;
        frameTickCurrent = frameTickPrevious = GetTickMS();
    }
    return float(frameTickCurrent - frameTickPrevious) / 1000.0f;
}

// ---------------------------------------------------------------- module
void TimerModuleInitialise()
{
    startTick = plat::os::TickMilliseconds();
    if (!plat::os::TimerPeriodRange(periodMin, periodMax)) {
        periodMin = 1;
        periodMax = 30;
    }
    if (frameRegistered) {
        RemoveHandler(QZEVENT_FRAME, &StoreFrameTick);
        RemoveHandler(QZEVENT_SHUTDOWN, &ForgetFrameRegistration);
        frameRegistered = false;
    }
    frameTickPrevious = frameTickCurrent = 0;
}

void TimerPeriodRange(uint32_t& minimum, uint32_t& maximum)
{
    minimum = periodMin;
    maximum = periodMax;
}
