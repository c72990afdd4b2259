#include <gtest/gtest.h>

#include <stdexcept>

#include "agAchievements.h"
#include <cstdio>

namespace {

const std::string kStatistics = "# counted\n1, games_won, \"Games won\", GAME, WIN=1\n"
                                "2, points, \"Points\", HAND, $POINTS_FUNCTION\n";

std::string Achievement(const std::string& icon, const std::string& trigger, const std::string& condition,
                        const std::string& statistic = "")
{
    return "1, 1, " + icon + ", \"First\", \"Win a game\", \"normal\", \"" + trigger + "\", \"" + condition +
           "\", \"" + statistic + "\"\n";
}

std::string Plain(const std::vector<uint8_t>& bytes)
{
    return ScrambleConfigText(std::string(bytes.begin(), bytes.end()));
}

}  // namespace

TEST(AssetAchievements, SourcesBecomeScrambledFilesWithTheirCheckValue)
{
    ag::AchievementFiles files =
        ag::AchievementConfigFiles("# comment\n\n" + Achievement("0x0", "GAME", "win=1&HANDS.LOST<3"), kStatistics);
    std::string text = Plain(files.achievements);
    EXPECT_EQ(text.substr(text.find("\r\n") + 2),
              "1,1,0x0,\"First\",\"Win a game\",\"normal\",\"GAME\",\"WIN=1&HANDS.LOST<3\",\"\"\r\n");
    std::vector<TAchievementDef> defs = {ParseAchievementLine(text.substr(text.find("\r\n") + 2))};
    char check[16];
    std::snprintf(check, sizeof check, "%08X", AchievementCheckValue(defs));
    EXPECT_EQ(text.substr(0, text.find("\r\n")), check);
    EXPECT_EQ(Plain(files.statistics),
              "1,games_won,\"Games won\",GAME,WIN=1\r\n2,points,\"Points\",HAND,$POINTS_FUNCTION\r\n");
    EXPECT_NE(std::string(files.statistics.begin(), files.statistics.end()).substr(0, 5), "1,gam") << "scrambled";
}

TEST(AssetAchievements, FaultyDefinitionsAreRefused)
{
    const std::string bad[] = {
        Achievement("0x0", "GAME", "WINS=1"),                    // no such variable
        Achievement("0x0", "HAND", "(WIN=1)&(TRICKS.WON=10)"),   // groups side by side
        Achievement("0x0", "GAME", "=1"),                        // no operand
        Achievement("0x0", "DEAL", "TRUE"),                      // a trigger never fired
        Achievement("0x0", "GAME", "@STATISTIC", "games_lost"),  // no such statistic
        Achievement("7x7", "GAME", "WIN=1"),                     // no medal drawn there
        Achievement("0x0", "GAME", "WIN=1") + Achievement("1x0", "GAME", "WIN=0"),  // id 1 twice
        "1, 1, 0x0, \"First, and best\", \"Win\", \"normal\", \"GAME\", \"WIN=1\", \"\"\n",  // comma in a text
    };
    for (const std::string& source : bad)
        EXPECT_THROW(ag::AchievementConfigFiles(source, kStatistics), std::runtime_error) << source;
    EXPECT_THROW(ag::AchievementConfigFiles(Achievement("0x0", "GAME", "WIN=1"), "1, won, \"Won\", GAME, WON=1\n"),
                 std::runtime_error);
}
