// The card table in the middle of a trick, drawn by the real game's screens
// on the CPU device: four hands, the table cards with a card flying, the
// scoreboard and the prompt line, the chat closed. One frame is the engine's
// own work for it: input, the screens' update and the widget tree, then the
// drawing and the present (headless: the frame goes nowhere). Median and
// 99th percentile of the frame time at 1024 x 768, 1280 x 800 and
// 1920 x 1080. Also the share of one core the program's own loop takes while
// the table waits for the player's card, and whole games a second through the
// real screens at instant speed without drawing. Run it pinned to one core
// (taskset -c 3 build/bench/bench_table).
#include "UIGameBoard.h"
#include "UICardset.h"
#include "coreEngine.h"
#include "coreGameDiagnostics.h"
#include "mgrGameflow.h"
#include "mgrSession.h"
#include "mgrSettings.h"
#include "mgrStates.h"
#include "mgrTimers.h"
#include "mgrVideo.h"
#include "osClock.h"
#include "qz7window.h"
#include "sessionTricks.h"
#include "stateTable.h"
#include "testutil.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <memory>
#include <vector>

namespace {

uint64_t fakeNow = 0;

class TTableRig {
public:
    TTableRig(int32_t width, int32_t height, bool toMidTrick = true)
    {
        setenv("VANTOREL_DATA_HOME", home.Path().c_str(), 1);
        setenv("VANTOREL_HEADLESS", "1", 1);
        std::filesystem::current_path(VQ_RUNTIME_DIR);
        fakeNow = plat::os::MonotonicNanoseconds();
        plat::os::SetClockSource([] { return fakeNow; });
        ResetManagerRegistry();
        RegisterGameManagers();
        FrameworkStart("Vantorel Qar");
        engine = std::make_unique<TMainEngine>();
        if (Video && Video->Window()) Video->Window()->SetClientSize(width, height);
        SetSetting("Debug.AutoPlay", "true");
        SetSetting("Debug.Reveal", "true");
        engine->Start();
        if (!toMidTrick) return;
        if (StateEngine && StateEngine->Current()) StateEngine->Current()->HandleEvent(5);  // "Start New Game"
        // Played on until a trick is half done with its third card on the way.
        for (int32_t i = 0; i < 100000 && !MidTrick(); ++i) Step(16, true);
    }
    ~TTableRig()
    {
        engine.reset();
        FrameworkStop();
        ResetManagerRegistry();
        plat::os::SetClockSource(nullptr);
    }
    bool MidTrick() const
    {
        if (!StateEngine || StateEngine->CurrentId() != STATE_GAME || !Session) return false;
        const TSession& s = *Session;
        return s.Status() == STATUS_PLAYING && s.Tricks().Current() >= 2 && s.Tricks().CardsPlayed() == 2 &&
               Board() && Board()->IsAnimating();
    }
    TUIGameBoard* Board() const
    {
        auto* table = StateEngine ? dynamic_cast<TStateTable*>(StateEngine->Current()) : nullptr;
        return table ? dynamic_cast<TUIGameBoard*>(table->Board()) : nullptr;
    }
    // One frame of the program; the game's timers run only while it is set up.
    void Step(int32_t ms, bool play, bool draw = true)
    {
        fakeNow += uint64_t(ms) * 1000000ull;
        PumpFrame();
        if (StateEngine) StateEngine->Update();
        if (play && Timers) Timers->Tick(ms);
        if (draw && StateEngine) StateEngine->Render();
    }
    // The local player's card is asked for and nothing moves: the computers
    // play until then, the local seat's auction and kitty left to them too.
    bool WaitingForLocalCard() const
    {
        if (!StateEngine || StateEngine->CurrentId() != STATE_GAME || !Session) return false;
        const TSession& s = *Session;
        return s.Status() == STATUS_PLAYING && !s.Tricks().TrickComplete() && s.Tricks().Current() >= 2 &&
               s.Tricks().SeatToPlay() == s.LocalSeat() && Board() && !Board()->IsAnimating();
    }
    void PlayToLocalCard()
    {
        SetSetting("Debug.AutoPlay", "true");
        SetSetting("Debug.Reveal", "false");
        if (StateEngine && StateEngine->Current()) StateEngine->Current()->HandleEvent(5);
        for (int32_t i = 0; i < 100000 && !WaitingForLocalCard(); ++i) {
            // The local seat is the computer's until its card is next.
            const bool localNext = Session && Session->Status() == STATUS_PLAYING &&
                                   Session->Tricks().Current() >= 2 &&
                                   Session->Tricks().SeatToPlay() == Session->LocalSeat();
            SetSetting("Debug.AutoPlay", localNext ? "false" : "true");
            Step(16, true);
        }
    }
    // Keeps a card in the air: a new flight from the seat to play when the
    // last one has landed.
    void KeepFlying()
    {
        TUIGameBoard* board = Board();
        if (!board || board->IsAnimating() || !Session) return;
        const TSeat seat = Session->Tricks().SeatToPlay();
        TUICardset* hand = board->GetSeatCards(board->SeatPosition(seat) == 0 ? 0 : seat);
        TUICardset* table = board->GetSeatCards(0);
        if (!hand || !table || hand->Count() == 0) return;
        const TQZRect from = hand->CalcCardPositions(1);
        const TQZRect to = table->CalcCardPositions(seat);
        board->StartCardMove({from.left, from.top}, {to.left, to.top}, 0, false, false, true,
                             Session->HandOf(seat).Get(1), 250);
    }

    vqtest::TempDir home;
    std::unique_ptr<TMainEngine> engine;
};

void BM_TableMidTrick(benchmark::State& state)
{
    TTableRig rig(int32_t(state.range(0)), int32_t(state.range(1)));
    if (!rig.MidTrick()) {
        state.SkipWithError("the table never reached the middle of a trick");
        return;
    }
    std::vector<double> ms;
    for (auto _ : state) {
        rig.KeepFlying();
        const auto t0 = std::chrono::steady_clock::now();
        rig.Step(16, false);
        ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
    }
    std::sort(ms.begin(), ms.end());
    if (!ms.empty()) {
        state.counters["median_ms"] = ms[ms.size() / 2];
        state.counters["p99_ms"] = ms[std::min(ms.size() - 1, ms.size() * 99 / 100)];
    }
    const TQZRect client = Video ? Video->ClientRect() : TQZRect{};
    state.counters["width"] = client.Width();
    state.counters["height"] = client.Height();
}
BENCHMARK(BM_TableMidTrick)
    ->Args({1024, 768})
    ->Args({1280, 800})
    ->Args({1920, 1080})
    ->Iterations(600)
    ->Unit(benchmark::kMillisecond);

double ThreadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

// The real loop (input, screens, services, timers, drawing, present) while the
// table waits for the player's card. The clock is simulated: each frame is
// charged the period the loop asked for, or its work when that is longer, so
// the figure is the loop's CPU time over the wall time it would take.
void BM_WaitingForCard(benchmark::State& state)
{
    TTableRig rig(int32_t(state.range(0)), int32_t(state.range(1)), false);
    rig.PlayToLocalCard();
    if (!rig.WaitingForLocalCard()) {
        state.SkipWithError("the table never asked for the player's card");
        return;
    }
    double work = 0, wall = 0, steadyWork = 0, steadyWall = 0;
    for (auto _ : state) {
        work = wall = steadyWork = steadyWall = 0;
        while (wall < 30000.0) {
            const double t0 = ThreadCpuMs();
            rig.engine->Tick();
            const double spent = ThreadCpuMs() - t0;
            const double period = std::max(double(rig.engine->FramePeriodMs()), spent);
            fakeNow += uint64_t(period * 1e6);
            work += spent;
            wall += period;
            if (wall > 5000.0) {  // after the prompt has finished revealing
                steadyWork += spent;
                steadyWall += period;
            }
        }
    }
    state.counters["cpu_percent_30s"] = 100.0 * work / wall;
    state.counters["cpu_percent_steady"] = steadyWall > 0 ? 100.0 * steadyWork / steadyWall : 0;
    state.counters["still_waiting"] = rig.WaitingForLocalCard() ? 1 : 0;
}
BENCHMARK(BM_WaitingForCard)
    ->Args({1024, 768})
    ->Args({1280, 800})
    ->Args({1920, 1080})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

// Whole games through the real screens: computers on every seat, instant
// speed, the screens' updates and the game's timers, nothing drawn.
void BM_WholeGames(benchmark::State& state)
{
    TTableRig rig(1280, 800, false);
    SetSetting("Debug.AutoPlay", "true");
    SetSetting("Debug.InstantPlay", "true");
    if (StateEngine && StateEngine->Current()) StateEngine->Current()->HandleEvent(5);
    int64_t games = 0, frames = 0;
    for (auto _ : state) {
        for (int32_t i = 0; i < 1000000 && StateEngine && StateEngine->CurrentId() != STATE_GAMEWIN; ++i) {
            rig.Step(16, true, false);
            ++frames;
        }
        // On past the game-won screen into the next game.
        for (int32_t i = 0; i < 100000 && StateEngine && StateEngine->CurrentId() == STATE_GAMEWIN; ++i) {
            rig.Step(16, true, false);
            ++frames;
        }
        ++games;
    }
    state.counters["games_per_s"] = benchmark::Counter(double(games), benchmark::Counter::kIsRate);
    state.counters["frames_per_game"] = games ? double(frames) / double(games) : 0;
}
BENCHMARK(BM_WholeGames)->Iterations(20)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
