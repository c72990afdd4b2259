// Self-play throughput: whole games of four computer seats with instant
// timers, on one core. Reported as hands per second; the game counts show
// that the time grows in line with the number of hands.
#include "clSelfPlay.h"

#include <benchmark/benchmark.h>

namespace {

void RunGames(benchmark::State& state, bool checks)
{
    TSelfPlayConfig config;
    config.games = int32_t(state.range(0));
    config.seed = 2024;
    config.checkInvariants = checks;
    int64_t hands = 0;
    for (auto _ : state) {
        TSelfPlayResult r = RunSelfPlay(config);
        hands += r.hands;
        benchmark::DoNotOptimize(r.points[0]);
    }
    state.counters["hands/s"] = benchmark::Counter(double(hands), benchmark::Counter::kIsRate);
    state.counters["hands"] = benchmark::Counter(double(hands), benchmark::Counter::kAvgIterations);
}

void BM_SelfPlay(benchmark::State& state) { RunGames(state, false); }
void BM_SelfPlayChecked(benchmark::State& state) { RunGames(state, true); }

}  // namespace

BENCHMARK(BM_SelfPlay)->Arg(50)->Arg(100)->Arg(200)->Arg(400)->Arg(800)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SelfPlayChecked)->Arg(100)->Arg(400)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
