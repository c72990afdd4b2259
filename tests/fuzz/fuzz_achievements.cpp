// `Achievements.cfg` and `Statistics.cfg` through the achievement engine: the
// plain lines of both (cut at a NUL byte) are written as the generator writes
// them, the engine starts over them, the triggers of a self-played hand are
// fired, and the progress is saved and read back.
#include "achievefuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static fuzz::TAchievementRun run;
    std::string achievements, statistics;
    fuzz::SplitInput(data, size, std::string(1, '\0'), achievements, statistics);
    fuzz::WriteConfigs(achievements, statistics);
    run.ClearProgress();
    TAchievements& engine = run.Start();
    fuzz::Check(!engine.Disabled());
    run.PlayHands(1, 7);
    for (const char* trigger : {"TRICK", "HAND", "GAME", "NOSUCH"}) engine.ProcessTrigger(trigger);
    for (int32_t i = 0; i < engine.GetStatisticCount(); ++i) fuzz::Check(engine.GetStatistic(i).value >= 0);
    for (int32_t i = 0; i < engine.GetAchievementCount(); ++i) {
        const TAchieveRec* a = engine.GetAchievement(i);
        fuzz::Check(a->progress >= 0 && a->unlocked == (a->unlockTime > 0));
    }
    fuzz::Check(engine.SaveProgress());
    run.Start();
    return 0;
}
