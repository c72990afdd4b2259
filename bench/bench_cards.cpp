// Reading a cardset as the game does at start-up: a 53-card `.cards` file
// of 142 x 192 pictures (twice the classic card size, noisy enough that PNG
// cannot shrink it to nothing), with and without the game's own corner
// indices composed onto every card; and the header checks alone.
#include "clCardGraphics.h"
#include "imImage.h"
#include "ioCardset.h"
#include "qz7memory.h"
#include "qz7video.h"
#include "qz7videochoice.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <random>

namespace {

constexpr int32_t kWidth = 142, kHeight = 192;

std::vector<uint8_t> CardPng(uint32_t seed)
{
    plat::imaging::Image img;
    (void)img.Allocate(kWidth, kHeight, 0xFFFFFFFF);  // setup the unit tests prove; not checked again in a benchmark
    std::mt19937 gen(seed);
    for (int32_t y = 0; y < kHeight; ++y)
        for (int32_t x = 0; x < kWidth; ++x)
            if (gen() % 7 == 0) img.SetPixel(x, y, 0xFF000000u | (gen() & 0xFFFFFF));
    std::vector<uint8_t> out;
    // Setup the unit tests prove; not checked again in a benchmark.
    (void)plat::imaging::EncodeImage(img, plat::imaging::EncodeFormat::Png, out);
    return out;
}

const std::vector<uint8_t>& Deck(bool ownIndices)
{
    static std::vector<uint8_t> plain, indexed;
    if (plain.empty()) {
        TCardsFileContent c;
        c.width = kWidth;
        c.height = kHeight;
        c.title = "Bench";
        for (size_t i = 0; i < c.images.size(); ++i) c.images[i] = CardPng(uint32_t(i) + 1);
        (void)BuildCardsFile(c, plain);  // setup the unit tests prove; not checked again in a benchmark
        indexed = plain;
        uint32_t flags = CARDS_FLAG_MARKER | CARDS_FLAG_OWN_INDICES;
        std::memcpy(indexed.data() + CARDS_AT_FLAGS, &flags, 4);
    }
    return ownIndices ? indexed : plain;
}

bool StartDevice()
{
    FrameworkStart("bench_cards");
    TQZVideo* video = GetVideo();
    return video && video->SetMode(64, 64, std::make_unique<TQZHeadlessVideoWindow>(0, 0), QZWINDOW_WINDOWED, 0) ==
                        QZRES_OK;
}

void BM_LoadCardset(benchmark::State& state)
{
    static const bool device = StartDevice();
    if (!device) {
        state.SkipWithError("no device");
        return;
    }
    const std::vector<uint8_t>& bytes = Deck(state.range(0) != 0);
    TQZMemory memory;
    if (memory.AssignBytes(bytes.data(), int32_t(bytes.size())) != QZRES_OK) {
        state.SkipWithError("the deck does not fit in memory");
        return;
    }
    TLoaderCardset loader;
    for (auto _ : state) {
        std::unique_ptr<TCardGraphics> cs = loader.Load(memory);
        benchmark::DoNotOptimize(cs.get());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes.size()));
    state.counters["file_KiB"] = double(bytes.size()) / 1024.0;
}
BENCHMARK(BM_LoadCardset)->Arg(0)->Arg(1)->ArgNames({"own_indices"})->Unit(benchmark::kMillisecond);

void BM_ParseCardsHeader(benchmark::State& state)
{
    const std::vector<uint8_t>& bytes = Deck(false);
    TCardsFileInfo info;
    for (auto _ : state) benchmark::DoNotOptimize(ParseCardsFile(bytes.data(), bytes.size(), info));
}
BENCHMARK(BM_ParseCardsHeader);

}  // namespace

BENCHMARK_MAIN();
