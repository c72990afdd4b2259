// The user's `.userdata` and `.statistics` files (cut at a NUL byte) read by
// the achievement engine over fixed definitions; a hand's triggers change
// them, and what is then saved loads back to the same progress.
#include "achievefuzz.h"

namespace {
const char* const kAchievements =
    "1, 1, 0x0, \"First\", \"Win a game\", \"normal\", \"GAME\", \"WIN=1\", \"\"\r\n"
    "2, 10, 1x0, \"Ten\", \"Win ten games\", \"normal\", \"GAME\", \"@STATISTIC\", \"games_won\"\r\n"
    "3, 3, 2x0, \"Hands\", \"Play three hands\", \"hidden\", \"HAND\", \"@STATISTIC\", \"hands_played\"\r\n"
    "4, 2, 3x0, \"Tricks\", \"Win two tricks\", \"normal\", \"TRICK\", \"WIN=1\", \"\"\r\n"
    "5, 40, 4x0, \"Many\", \"Win forty tricks\", \"normal\", \"TRICK\", \"@STATISTIC\", \"tricks_won\"\r\n";
const char* const kStatistics =
    "1, games_won, \"Games won\", GAME, WIN=1\r\n"
    "2, hands_played, \"Hands played\", HAND, TRUE\r\n"
    "3, tricks_won, \"Tricks won\", TRICK, WIN=1\r\n"
    "4, points, \"Points\", HAND, $POINTS_FUNCTION\r\n";

// Everything the files carry, as one text (by id: achievements unlocked in
// the same second may be listed in either order).
std::string Progress(TAchievements& engine)
{
    std::string text;
    for (int32_t id = 1; id <= 5; ++id) {
        const TAchieveRec* a = engine.FindAchievementById(id);
        text += std::to_string(a->id) + ":" + std::to_string(a->progress) + ":" + (a->unlocked ? "u" : "l") +
                DateTimeToText(a->unlockTime) + "\n";
    }
    for (int32_t i = 0; i < engine.GetStatisticCount(); ++i)
        text += engine.GetStatistic(i).name + "=" + std::to_string(engine.GetStatistic(i).value) + "\n";
    return text;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static fuzz::TAchievementRun run;
    static const bool written = (fuzz::WriteConfigs(kAchievements, kStatistics), true);
    (void)written;
    std::string userData, statistics;
    fuzz::SplitInput(data, size, std::string(1, '\0'), userData, statistics);
    fuzz::WriteBinary(run.UserFile(".userdata"), userData);
    fuzz::WriteBinary(run.UserFile(".statistics"), statistics);

    TAchievements& engine = run.Start();
    fuzz::Check(!engine.Disabled() && engine.GetAchievementCount() == 5);
    run.PlayHands(1, 3);
    engine.ProcessTrigger("GAME");
    fuzz::Check(engine.Changed());
    const std::string played = Progress(engine);
    fuzz::Check(engine.SaveProgress());
    fuzz::Check(Progress(run.Start()) == played);
    return 0;
}
