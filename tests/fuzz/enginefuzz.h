// Shared by the fuzz targets that run the whole game headless: the engine
// started once in the runtime folder (the generated assets), on a clock the
// target moves, with the admin log and every message box kept quiet.
#pragma once

#include "coreEngine.h"
#include "coreGameDiagnostics.h"
#include "coreManager.h"
#include "fuzzsupport.h"
#include "mgrServices.h"
#include "mgrSettings.h"
#include "mgrStates.h"
#include "mgrTimers.h"
#include "osClock.h"

#include <filesystem>
#include <memory>

namespace fuzz {

class TEngineRun {
public:
    TEngineRun()
    {
        StartQuiet();
        plat::os::SetClockSource([this] { return now_; });
        std::filesystem::current_path(VQ_RUNTIME_DIR);
        ResetManagerRegistry();
        RegisterGameManagers();
        FrameworkStart("Vantorel Qar");
        engine_ = std::make_unique<TMainEngine>();
        SetAdminConsole([](const std::string&) {});
        engine_->Start();
        SeedRandom(1);
        SetSetting("Debug.InstantPlay", "true");
        SetSetting("Tutorial.Enabled", "false");
        if (ServiceManager) ServiceManager->MarshalInstruction("Tutorial.Off");
    }
    ~TEngineRun()
    {
        SetAdminConsole(nullptr);
        engine_.reset();
        FrameworkStop();
        ResetManagerRegistry();
        plat::os::SetClockSource(nullptr);
    }
    TEngineRun(const TEngineRun&) = delete;
    TEngineRun& operator=(const TEngineRun&) = delete;

    // One frame of the program: the screens, the services, the timers.
    void Step(uint32_t ms = 16)
    {
        now_ += uint64_t(ms) * 1000000ull;
        if (StateEngine) StateEngine->Update();
        if (ServiceManager) ServiceManager->Tick();
        if (Timers) Timers->Tick(int32_t(ms));
    }
    uint32_t Milliseconds() const { return uint32_t(now_ / 1000000ull); }
    int32_t CurrentId() const { return StateEngine ? StateEngine->CurrentId() : 0; }

private:
    uint64_t now_ = 1000000000ull;
    std::unique_ptr<TMainEngine> engine_;
};

inline std::unique_ptr<TEngineRun>& EngineSlot()
{
    static std::unique_ptr<TEngineRun> run;
    return run;
}

// The one engine of the process, started on first use; it stops at exit
// before the statics it made are gone.
inline TEngineRun& Engine()
{
    std::unique_ptr<TEngineRun>& run = EngineSlot();
    if (!run) {
        run = std::make_unique<TEngineRun>();
        std::atexit([] { EngineSlot().reset(); });
    }
    return *run;
}

}  // namespace fuzz
