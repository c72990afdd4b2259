// The benchmark service: walks the game through a few screens, samples the
// frame rate of each and writes the results to "benchmark.txt" in the
// per-user folder.
#pragma once

#include "microService.h"

#include <cstdint>
#include <functional>
#include <string>

class TBenchmarkService : public TMicroService {
public:
    TBenchmarkService();

    // "START" (any case) starts, or restarts, from stage 1.
    void Execute(const std::string& arguments) override;
    void Tick() override;

    // Seconds since program start and the wall-clock time for the file's
    // first line; tests replace them.
    std::function<float()> clock;
    std::function<std::string()> wallClock;

    std::string FileName() const;
    int32_t Stage() const { return stage_; }
    int32_t Mode() const { return mode_; }
    float Average() const { return average_; }

private:
    void Start();
    void GoToStage(int32_t stage);
    void Measure();
    void Append(const std::string& line) const;

    int32_t stage_ = 0;
    int32_t mode_ = 0;  // 0 idle, 1 measuring, 2 waiting
    int32_t lastFrames_ = 0;
    float lastSample_ = 0;
    float stageStart_ = 0;
    float average_ = 0;
    float wait_ = 0;
};

// "hh:nn:ss.zzz" of the local time.
std::string BenchmarkTimeText();
