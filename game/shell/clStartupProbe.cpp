#include "clStartupProbe.h"

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {
double ProcessorSeconds()
{
    rusage use{};
    getrusage(RUSAGE_SELF, &use);
    return double(use.ru_utime.tv_sec + use.ru_stime.tv_sec) + double(use.ru_utime.tv_usec + use.ru_stime.tv_usec) / 1e6;
}

// A "Vm..." line of /proc/self/status in KiB, 0 when absent.
long StatusKiB(const std::string& key)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(key + ":", 0) == 0) return std::strtol(line.c_str() + key.size() + 1, nullptr, 10);
    return 0;
}
}  // namespace

TStartupProbe::TStartupProbe()
{
    if (const char* value = std::getenv("VANTOREL_MEASURE")) seconds_ = std::atof(value);
    if (const char* value = std::getenv("VANTOREL_MEASURE_SETTLE")) settle_ = std::max(0.0, std::atof(value));
}

bool TStartupProbe::FramePresented()
{
    if (!Active()) return false;
    const TClock::time_point now = TClock::now();
    if (++frames_ == 1) {
        const double ms = std::chrono::duration<double, std::milli>(now - started_).count();
        std::printf("first frame: %.1f ms after the start of main\n", ms);
        std::fflush(stdout);
        firstFrame_ = now;
        return false;
    }
    // The screen counts as idle once the engine has slowed down.
    if (idleFrom_ == TClock::time_point{}) {
        if (std::chrono::duration<double>(now - firstFrame_).count() < settle_) return false;
        idleFrom_ = now;
        idleCpuFrom_ = ProcessorSeconds();
        idleFrames_ = frames_;
        return false;
    }
    const double idle = std::chrono::duration<double>(now - idleFrom_).count();
    if (idle < seconds_) return false;
    const double cpu = ProcessorSeconds() - idleCpuFrom_;
    std::printf("idle: %lld frames in %.2f s, %.1f %% of one core\n", static_cast<long long>(frames_ - idleFrames_), idle,
                100.0 * cpu / idle);
    std::printf("memory: resident %ld KiB, peak %ld KiB\n", StatusKiB("VmRSS"), StatusKiB("VmHWM"));
    std::fflush(stdout);
    return true;
}
