// The thumbnail loader over a folder of 200 generated table pictures
// (1024 x 640 JPEG): a first run that decodes, scales and caches every
// picture, and a second run that takes them all from the cache. The cost
// per picture is reported as "per_image".
#include "benchutil.h"
#include "clThreadLoader.h"
#include "qz7core.h"
#include "qz7files.h"
#include "testutil.h"

#include "imImage.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <filesystem>

namespace {

constexpr int kImages = 200;
constexpr int kWidth = 1024, kHeight = 640;

struct Folder {
    vqtest::TempDir dir;
    vqtest::ScopedEnv home{"VANTOREL_DATA_HOME", dir.Path() + "User/"};
    std::string tables = dir.Path() + "Tables/";
    std::string cache = dir.Path() + "Tables.ice";
    Folder()
    {
        std::filesystem::create_directories(tables);
        plat::imaging::Image image;
        (void)image.Allocate(kWidth, kHeight, 0);  // setup the unit tests prove; not checked again in a benchmark
        for (int n = 0; n < kImages; ++n) {
            // A felt-like gradient with a pattern of its own per picture.
            for (int y = 0; y < kHeight; ++y)
                for (int x = 0; x < kWidth; ++x) {
                    const int g = 90 + int(40 * std::sin((x + n * 7) / 37.0) * std::cos((y + n * 3) / 23.0));
                    image.SetPixel(x, y, 0xFF000000u | uint32_t(20 + n % 40) << 16 | uint32_t(g) << 8 | 40u);
                }
            std::vector<uint8_t> jpeg;
            // Setup the unit tests prove; not checked again in a benchmark.
            (void)plat::imaging::EncodeImage(image, plat::imaging::EncodeFormat::Jpeg, jpeg);
            vqtest::WriteFile(tables + "Table" + std::to_string(n) + ".jpg", std::string(jpeg.begin(), jpeg.end()));
        }
    }
};

Folder& TheFolder()
{
    static Folder folder;
    return folder;
}

// One whole run of a loader; the main thread serves what the worker queues.
int32_t RunLoader(Folder& f)
{
    TThreadLoader loader(f.tables, ThumbnailMasks(), nullptr, f.cache);
    loader.Start();
    while (!loader.Finished()) {
        WaitForQueuedWork(50);
        ProcessSynchronize();
    }
    ProcessSynchronize();
    return loader.DecodedCount();
}

void BM_ThumbnailsFirstRun(benchmark::State& state)
{
    Folder& f = TheFolder();
    int32_t decoded = 0;
    for (auto _ : state) {
        state.PauseTiming();
        (void)RemoveFile(f.cache);
        state.ResumeTiming();
        decoded = RunLoader(f);
    }
    state.counters["decoded"] = decoded;
    state.counters["per_image"] =
        benchmark::Counter(double(kImages), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_ThumbnailsFromCache(benchmark::State& state)
{
    Folder& f = TheFolder();
    (void)RemoveFile(f.cache);
    RunLoader(f);
    int32_t decoded = 0;
    for (auto _ : state) decoded = RunLoader(f);
    state.counters["decoded"] = decoded;
    state.counters["per_image"] =
        benchmark::Counter(double(kImages), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

BENCHMARK(BM_ThumbnailsFirstRun)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_ThumbnailsFromCache)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
