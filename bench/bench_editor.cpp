// The cardset editor headless, from its runtime folder: start to the first
// frame presented; opening a 53-card deck of 71 x 96 pictures and drawing
// the deck view at the 2x zoom; saving the open cardset.
#include "CardsetEditor.h"
#include "clCardGraphics.h"
#include "coreManager.h"
#include "imImage.h"
#include "ioCardset.h"
#include "mgrLoaders.h"
#include "mgrResources.h"
#include "mgrSettings.h"
#include "mgrSteam.h"
#include "mgrTimers.h"
#include "osWindow.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <unistd.h>
#include <random>

namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> CardPng(uint32_t seed)
{
    plat::imaging::Image img;
    (void)img.Allocate(71, 96, 0xFFFFFFFF);  // setup the unit tests prove; not checked again in a benchmark
    std::mt19937 gen(seed);
    for (int32_t y = 0; y < 96; ++y)
        for (int32_t x = 0; x < 71; ++x)
            if (gen() % 7 == 0) img.SetPixel(x, y, 0xFF000000u | (gen() & 0xFFFFFF));
    std::vector<uint8_t> out;
    // Setup the unit tests prove; not checked again in a benchmark.
    (void)plat::imaging::EncodeImage(img, plat::imaging::EncodeFormat::Png, out);
    return out;
}

const std::string& DeckFile()
{
    static std::string name;
    if (name.empty()) {
        TCardsFileContent c;
        c.width = 71;
        c.height = 96;
        c.title = "Bench";
        for (int slot = 0; slot < 53; ++slot) c.images[size_t(slot)] = CardPng(uint32_t(slot));
        std::vector<uint8_t> bytes;
        (void)BuildCardsFile(c, bytes);  // setup the unit tests prove; not checked again in a benchmark
        name = (fs::temp_directory_path() / ("bench_editor_" + std::to_string(getpid()) + ".cards")).string();
        std::ofstream(name, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    return name;
}

// The editor as the program makes it, in the runtime folder, headless.
struct Editor {
    std::unique_ptr<TEditorApp> app;
    Editor()
    {
        RegisterSettingsManager();
        RegisterTimersManager();
        RegisterSteamManager();
        RegisterLoadersManager();
        RegisterEditorResourcesManager();
        app = std::make_unique<TEditorApp>();
        app->onWarning = [](const std::string&) {};
        app->Init();
        // The figures are the editor's work, not the headless frame pacing.
        plat::os::SetHeadlessPacing(false);
    }
    ~Editor()
    {
        app.reset();
        FreeManagers();
        FrameworkStop();
        ResetManagerRegistry();
    }
};

bool Setup()
{
    static bool ready = [] {
        setenv("VANTOREL_HEADLESS", "1", 1);
        const fs::path home = fs::temp_directory_path() / ("bench_editor_home_" + std::to_string(getpid()));
        fs::create_directories(home);
        setenv("VANTOREL_DATA_HOME", home.c_str(), 1);
        std::error_code ec;
        fs::current_path(VQ_RUNTIME_DIR, ec);
        return !ec;
    }();
    return ready;
}

void BM_EditorStartToFirstFrame(benchmark::State& state)
{
    if (!Setup()) return state.SkipWithError("no runtime folder");
    for (auto _ : state) {
        std::optional<Editor> e;
        e.emplace();
        e->app->Step();
        // Taking it down is not part of the start.
        state.PauseTiming();
        e.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_EditorStartToFirstFrame)->Unit(benchmark::kMillisecond);

void BM_EditorOpen53CardsAndDrawAt2x(benchmark::State& state)
{
    if (!Setup()) return state.SkipWithError("no runtime folder");
    const std::string deck = DeckFile();
    Editor e;
    e.app->Step();
    for (auto _ : state) {
        if (!e.app->OpenCardset(deck)) return state.SkipWithError("the deck did not open");
        e.app->OnCommand(EDCMD_ZOOM_2);
        e.app->Step();
    }
}
BENCHMARK(BM_EditorOpen53CardsAndDrawAt2x)->Unit(benchmark::kMillisecond);

void BM_EditorSaveCardset(benchmark::State& state)
{
    if (!Setup()) return state.SkipWithError("no runtime folder");
    const std::string deck = DeckFile();
    const std::string out = deck + ".saved.cards";
    Editor e;
    if (!e.app->OpenCardset(deck)) return state.SkipWithError("the deck did not open");
    for (auto _ : state)
        if (!SaveCardset(*e.app->Cardset(), out, false)) return state.SkipWithError("not saved");
    state.counters["bytes"] = double(fs::file_size(out));
}
BENCHMARK(BM_EditorSaveCardset)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
