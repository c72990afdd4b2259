// `recording.dat` as the recorder replays it: loaded from the per-user
// folder and replayed through the running game's screens and governor, each
// action going in only when the game would take it. With VQ_FUZZ_SEEDS
// naming a folder, a hand the computer plays is recorded there first.
#include "enginefuzz.h"
#include "microGameRecorder.h"
#include "mgrSession.h"
#include "osFiles.h"

#include <cstdlib>
#include <filesystem>

namespace {
TRecorderService* Recorder()
{
    static TRecorderService* recorder = [] {
        fuzz::Engine();
        ServiceManager->MarshalInstruction("Recorder.nothing");
        auto* r = dynamic_cast<TRecorderService*>(ServiceManager->Running("RECORDER"));
        if (r) r->clock = [] { return fuzz::Engine().Milliseconds(); };
        return r;
    }();
    return recorder;
}

void RecordSeed(TRecorderService& recorder, const std::string& folder)
{
    fuzz::TEngineRun& engine = fuzz::Engine();
    SetSetting("Debug.AutoPlay", "true");
    recorder.Execute("CLEAR");
    recorder.Execute("START");
    StateEngine->Current()->HandleEvent(5);  // "Start New Game"
    for (int32_t i = 0; i < 100000 && Session->Score(1) == 0 && Session->Score(2) == 0; ++i) engine.Step();
    StateEngine->PopUntil(STATE_MENU);
    engine.Step();
    recorder.Execute("SAVE");
    recorder.Execute("CLEAR");
    SetSetting("Debug.AutoPlay", "false");
    std::filesystem::copy_file(plat::os::NativePath(recorder.FileName()), folder + "/hand.dat",
                               std::filesystem::copy_options::overwrite_existing);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TRecorderService* recorder = Recorder();
    fuzz::Check(recorder != nullptr);
    fuzz::TEngineRun& engine = fuzz::Engine();
    static const bool seeded = [recorder] {
        if (const char* folder = std::getenv("VQ_FUZZ_SEEDS")) RecordSeed(*recorder, folder);
        return true;
    }();
    (void)seeded;
    fuzz::WriteBinary(recorder->FileName(), std::string(reinterpret_cast<const char*>(data), size));

    SeedRandom(1);
    recorder->Execute("CLEAR");
    recorder->Execute("LOAD");
    fuzz::Check(recorder->Position() == int32_t(size));
    recorder->Execute("REPLAY");
    // Frames longer than a replay step: every frame may take an action. A
    // replay whose next action the game never takes stands still; it is
    // left after 200 frames without progress, as a player would leave it.
    for (int32_t i = 0, still = 0, at = -1; i < 4000 && recorder->Mode() == 2 && still < 200; ++i) {
        engine.Step(kReplayStepMs + 1);
        still = recorder->Position() == at ? still + 1 : 0;
        at = recorder->Position();
    }
    if (StateEngine) StateEngine->PopUntil(STATE_MENU);
    engine.Step();
    return 0;
}
