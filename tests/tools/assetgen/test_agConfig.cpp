#include <gtest/gtest.h>

#include <stdexcept>

#include "agConfig.h"
#include "agtestutil.h"
#include "qz7kvdata.h"

namespace {

const ag::ChoiceFiles kChoices = {{"Video.Table", {"Green.jpg"}}, {"Video.Cardface", {"Basic.cards"}}};

std::string Settings(const std::string& deal, const std::string& prompt, const std::string& table = "Green.jpg")
{
    return "// defaults\r\nSpeed.Bid=\"400\"\r\nSpeed.Deal=\"" + deal + "\"\r\nSpeed.Play=\"250\"\r\nSpeed.Prompt=\"" +
           prompt + "\"\r\nSpeed.Thinking=\"400\"\r\nVideo.Cardface=\"Basic.cards\"\r\nVideo.Table=\"" + table + "\"\r\n";
}

}  // namespace

TEST(AssetConfig, DefaultSettingsAreCheckedBeforeTheyAreCopied)
{
    EXPECT_NO_THROW(ag::DefaultSettings(Settings("250", "10"), kChoices));
    const std::string bad[] = {
        Settings("950", "10"),             // beyond the dealing slider
        Settings("99", "10"),              // below it
        Settings("250", "0"),              // the prompt would never show
        Settings("250", "10", "Red.jpg"),  // a table the build does not make
    };
    for (const std::string& text : bad) EXPECT_THROW(ag::DefaultSettings(text, kChoices), std::runtime_error) << text;
}

TEST(AssetConfig, NameListsComeOutInTheFormsTheRulesRead)
{
    std::vector<std::string> names = ag::ReadNameList("# comment\r\nAnna\r\n\r\n  Bo  # trailing\nCai\n");
    ASSERT_EQ(names, (std::vector<std::string>{"Anna", "Bo", "Cai"}));
    std::vector<uint8_t> line = ag::OpponentsFile(names);
    EXPECT_EQ(std::string(line.begin(), line.end()), "Anna,Bo,Cai\r\n");
    EXPECT_THROW(ag::OpponentsFile({"Anna", "Bo", "Anna"}), std::runtime_error) << "three seats need three names";
    EXPECT_THROW(ag::OpponentsFile({"Anna", "Bo", "C,D"}), std::runtime_error);
    EXPECT_THROW(ag::LobbiesFile({"one", "two"}), std::runtime_error);
}

TEST(AssetConfig, GeneratedDefaultsNameGeneratedFilesAndKeepSpeedsInRange)
{
    std::vector<uint8_t> bytes = agtest::ReadRuntimeFile("Assets/Misc/Default.cfg");
    TQZKeyValue tree;
    tree.ReadLines(std::string(bytes.begin(), bytes.end()));
    EXPECT_FALSE(agtest::ReadRuntimeFile("Tables/" + tree.GetString("Video.Table")).empty());
    EXPECT_FALSE(agtest::ReadRuntimeFile("Cardbacks/" + tree.GetString("Video.Cardback")).empty());
    EXPECT_FALSE(agtest::ReadRuntimeFile("Cardsets/" + tree.GetString("Video.Cardface")).empty());
    EXPECT_FALSE(tree.GetString("Game.Username").empty());
    EXPECT_GE(tree.GetInt("Speed.Deal"), 100);
    EXPECT_LE(tree.GetInt("Speed.Deal"), 900);
    EXPECT_GT(tree.GetInt("Speed.Prompt"), 0);

    std::vector<uint8_t> opponents = agtest::ReadRuntimeFile("Assets/Config/Opponents.txt");
    std::string first(opponents.begin(), opponents.end());
    first = first.substr(0, first.find('\r'));
    EXPECT_GE(std::count(first.begin(), first.end(), ','), 2);
    std::vector<uint8_t> lobbies = agtest::ReadRuntimeFile("Assets/Config/Lobbies.txt");
    EXPECT_EQ(std::count(lobbies.begin(), lobbies.end(), '\n'), 3);
}
