#include "qz7files.h"
#include "qz7kvdata.h"
#include "mgrSettings.h"
#include "mgrSteam.h"
#include "osFiles.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

namespace {

// A working folder with "Assets/Misc/Default.cfg" and a per-user folder.
class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        old_ = std::filesystem::current_path();
        std::filesystem::current_path(work.Path());
        std::filesystem::create_directories("Assets/Misc");
        vqtest::WriteFile("Assets/Misc/Default.cfg",
                          "Audio.Volume=\"50\"\r\nSpeed.Deal=\"300\"\r\nGame.PlayStyle=\"Moderate\"\r\n");
        user = plat::os::NativePath(UserFolder());
    }
    void TearDown() override
    {
        manager.reset();
        std::filesystem::current_path(old_);
    }
    void Start()
    {
        manager = std::make_unique<TSettingsManager>();
        manager->Initialize();
    }
    std::string UserFile(const std::string& name) { return vqtest::ReadFile(user + name); }

    vqtest::TempDir work;
    vqtest::TempDir home;
    vqtest::ScopedEnv env{"VANTOREL_DATA_HOME", home.Path()};
    std::string user;
    std::unique_ptr<TSettingsManager> manager;
    std::filesystem::path old_;
};

TEST_F(SettingsTest, StartingClearsTemporaryFilesThatACrashLeftInTheUserFolder)
{
    const std::string stale = "Settings.txt.tmp.k3Jq9Z", other = "Settings.txt.old";
    for (const std::string& name : {stale, other}) {
        vqtest::WriteFile(user + name, "x");
        std::filesystem::last_write_time(user + name,
                                         std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));
    }
    vqtest::WriteFile(user + "Settings.txt", "Speed.Deal=\"700\"\r\n");
    Start();
    EXPECT_FALSE(std::filesystem::exists(user + stale));
    EXPECT_TRUE(std::filesystem::exists(user + other));
    EXPECT_EQ(SettingInt("Speed.Deal"), 700);
}

TEST_F(SettingsTest, UserValuesOverrideDefaultsAndOnlyDifferencesAreSaved)
{
    vqtest::WriteFile(user + "Settings.txt",
                      "Audio.Volume=\"50\"\r\nSpeed.Deal=\"700\"\r\nDebug.AutoPlay=\"true\"\r\n"
                      "Game.Lastversion=\"Version 1.89\"\r\nTutorials.Whatsnew=\"3\"\r\n");
    Start();
    EXPECT_EQ(SettingInt("Speed.Deal"), 700);
    EXPECT_EQ(SettingInt("Audio.Volume"), 50);
    EXPECT_TRUE(SettingBool("Debug.AutoPlay"));
    EXPECT_EQ(SettingText("Tutorials.Whatsnew"), "") << "an older version ran last";
    EXPECT_EQ(SettingText("Game.Lastversion"), "Version 1.90");
    ASSERT_TRUE(manager->SaveSettings());
    std::string saved = UserFile("Settings.txt");
    EXPECT_EQ(saved.find("Audio.Volume"), std::string::npos) << "equal to its default";
    EXPECT_EQ(saved.find("Debug"), std::string::npos) << "never saved";
    EXPECT_NE(saved.find("Speed.Deal=\"700\""), std::string::npos);
    EXPECT_NE(saved.find("Game.Lastversion=\"Version 1.90\""), std::string::npos);
}

TEST_F(SettingsTest, TypedReadsFollowTheirRules)
{
    Start();
    SetSetting("Gameplay.Discardwarning", "yes");
    SetSetting("Speed.Play", "12a");
    EXPECT_FALSE(SettingBool("Gameplay.Discardwarning"));
    EXPECT_EQ(SettingInt("Speed.Play"), 0);
    EXPECT_EQ(GetSpeedSetting("Speed.Deal"), 300);
    SetSetting("Debug.InstantPlay", "True");
    EXPECT_EQ(GetSpeedSetting("Speed.Deal"), 1);
    EXPECT_EQ(SettingText("video.displaymode"), SettingText("Video.DisplayMode"));
}

TEST_F(SettingsTest, FailedSaveIsReported)
{
    Start();
    // A folder where the file should go: the rename over it fails.
    std::filesystem::create_directories(user + "Settings.txt/inside");
    SetSetting("Speed.Deal", "800");
    EXPECT_FALSE(manager->SaveSettings());
    EXPECT_TRUE(std::filesystem::is_directory(user + "Settings.txt/inside"));
}

TEST_F(SettingsTest, OutdatedFolderLosesOnlyTheProgramsOwnFiles)
{
    vqtest::WriteFile(user + "Version.txt", "Version 1.80\r\nSettings 1.80");
    vqtest::WriteFile(user + "Settings.txt", "x");
    vqtest::WriteFile(user + "Savedgame.txt", "x");
    vqtest::WriteFile(user + "ann.userdata", "x");
    vqtest::WriteFile(user + "notes.doc", "mine");
    ResetSettingsIfOutdated();
    EXPECT_FALSE(IsFile(user + "Settings.txt"));
    EXPECT_FALSE(IsFile(user + "Savedgame.txt"));
    EXPECT_FALSE(IsFile(user + "ann.userdata"));
    EXPECT_EQ(UserFile("notes.doc"), "mine");
    EXPECT_EQ(UserFile("Version.txt"), "Version 1.90\r\nSettings 1.90");
    EXPECT_TRUE(IsSettingsFolderCurrent("Version 1.90", "Settings 1.90"));
}

// A version file that names no settings layout is damaged, not outdated: the
// player's progress stays, the file is written anew and the log says so.
TEST_F(SettingsTest, DamagedVersionFileKeepsTheUsersFiles)
{
    const struct {
        const char* name;
        std::string text;
    } cases[] = {
        {"empty", ""},
        {"one line", "Version 1.90"},
        {"cut short", "Version 1.90\r\nSettings 1.9"},
        {"lower-case key", "Version 1.90\r\nsettings 1.80"},
        {"no number", "Version 1.90\r\nSettings"},
        {"letters in the number", "Version 1.90\r\nSettings 1.8x"},
        {"garbled", std::string("\x01\xff\r\n\x00\x7f\r\n", 6)},
        {"blank second line", "Version 1.90\r\n\r\nSettings 1.80"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        vqtest::WriteFile(user + "Version.txt", c.text);
        for (const char* file : {"Savedgame.txt", "Player.userdata", "Player.statistics"})
            vqtest::WriteFile(user + file, "kept");
        std::filesystem::remove(user + "log.txt");
        ResetSettingsIfOutdated();
        for (const char* file : {"Savedgame.txt", "Player.userdata", "Player.statistics"})
            EXPECT_EQ(UserFile(file), "kept") << file;
        EXPECT_EQ(UserFile("Version.txt"), "Version 1.90\r\nSettings 1.90");
        EXPECT_NE(UserFile("log.txt").find("Version.txt"), std::string::npos);
    }
}

TEST_F(SettingsTest, MissingVersionFileKeepsTheUsersFilesAndIsWritten)
{
    vqtest::WriteFile(user + "Savedgame.txt", "kept");
    ResetSettingsIfOutdated();
    EXPECT_EQ(UserFile("Savedgame.txt"), "kept");
    EXPECT_EQ(UserFile("Version.txt"), "Version 1.90\r\nSettings 1.90");
}

// Only a well-formed older layout wipes; the same or a newer one is current.
TEST_F(SettingsTest, SettingsLayoutDecidesTheWipe)
{
    const struct {
        const char* second;
        bool wiped;
    } cases[] = {
        {"Settings 1.80", true}, {"Settings 0.99", true},  {"Settings 1.89", true},
        {"Settings 1.90", false}, {"Settings 1.91", false}, {"Settings 2.00", false}, {"Settings 10.00", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.second);
        vqtest::WriteFile(user + "Version.txt", std::string("Version 1.80\r\n") + c.second);
        vqtest::WriteFile(user + "Savedgame.txt", "x");
        ResetSettingsIfOutdated();
        EXPECT_EQ(IsFile(user + "Savedgame.txt"), !c.wiped);
    }
}

TEST_F(SettingsTest, CurrentFolderIsKeptWhateverTheFirstLine)
{
    vqtest::WriteFile(user + "Version.txt", "Anything\r\nSettings 1.90");
    vqtest::WriteFile(user + "Settings.txt", "x");
    ResetSettingsIfOutdated();
    EXPECT_TRUE(IsFile(user + "Settings.txt"));
}

TEST_F(SettingsTest, SteamManagerOfTheGameBuildAnswersAlone)
{
    Start();
    TSteamManager steam;
    EXPECT_EQ(steam.GetLocalPlayerName(), "Player");
    EXPECT_EQ(steam.PlayerName("someone"), "someone");
    EXPECT_FALSE(steam.IsAutoPlay());
    SetSetting("Debug.AutoPlay", "true");
    EXPECT_TRUE(steam.IsAutoPlay());
}

}  // namespace

namespace {

TEST(DefaultSettingsTest, ShippedDefaultsSitWithinTheirRanges)
{
    TQZKeyValue defaults;
    ASSERT_TRUE(defaults.LoadFromFile(std::string(VQ_SOURCE_DIR) + "/assets/Misc/Default.cfg", KVFORM_LINES, true));
    struct Range {
        const char* key;
        int32_t lo, hi;
    } ranges[] = {{"Speed.Deal", 100, 900}, {"Speed.Play", 100, 400}, {"Speed.Thinking", 50, 800},
                  {"Audio.Volume", 0, 100}, {"Audio.Music.Volume", 0, 100}};
    for (const Range& r : ranges) {
        int32_t v = defaults.GetInt(r.key);
        EXPECT_GE(v, r.lo) << r.key;
        EXPECT_LE(v, r.hi) << r.key;
    }
    EXPECT_EQ(defaults.GetString("Video.DisplayMode"), "Windowed");
    EXPECT_FALSE(defaults.GetBool("Debug.AutoPlay", true));
}

}  // namespace

namespace {

TEST(UserFolderTest, AMissingDataFolderIsMadeRatherThanFallingBackToTheProgramFolder)
{
    vqtest::TempDir scratch;
    const std::string data = scratch.Path() + "/not/yet/there";
    vqtest::ScopedEnv env{"VANTOREL_DATA_HOME", data};
    const std::string folder = plat::os::NativePath(UserFolder());
    EXPECT_EQ(0u, folder.rfind(data, 0)) << folder;
    EXPECT_TRUE(std::filesystem::is_directory(folder));
}

// What messages show and the desktop opens: one separator throughout.
TEST(UserFolderTest, IsWrittenWithThePlatformsSeparator)
{
    vqtest::TempDir scratch;
    vqtest::ScopedEnv env{"VANTOREL_DATA_HOME", scratch.Path()};
    EXPECT_EQ(scratch.Path() + "VantorelQar/", UserFolder());
}

}  // namespace

namespace {

// The editor's start: Debug.Reveal false between the defaults and the user's
// file, and the game's version keys left alone.
class SettingsIdentityTest : public SettingsTest, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override
    {
        FrameworkStart(GetParam() ? QZ_EDITOR_IDENTITY : "Vantorel Qar");
        SettingsTest::SetUp();
    }
    void TearDown() override
    {
        SettingsTest::TearDown();
        FrameworkStop();
    }
};

TEST_P(SettingsIdentityTest, TheEditorRevealsNothingByDefaultAndKeepsTheVersionKeys)
{
    const bool editor = GetParam();
    vqtest::WriteFile("Assets/Misc/Default.cfg", "Debug.Reveal=\"true\"\r\nSpeed.Deal=\"300\"\r\n");
    vqtest::WriteFile(user + "Settings.txt", "Game.Lastversion=\"Version 1.89\"\r\nTutorials.Whatsnew=\"3\"\r\n");
    Start();
    EXPECT_EQ(!editor, SettingBool("Debug.Reveal"));
    EXPECT_EQ(editor ? "Version 1.89" : "Version 1.90", SettingText("Game.Lastversion"));
    EXPECT_EQ(editor ? "3" : "", SettingText("Tutorials.Whatsnew"));

    // A user's file still decides over the editor's default.
    vqtest::WriteFile(user + "Settings.txt", "Debug.Reveal=\"true\"\r\n");
    Start();
    EXPECT_TRUE(SettingBool("Debug.Reveal"));
}

INSTANTIATE_TEST_SUITE_P(Builds, SettingsIdentityTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Editor" : "Game"; });

}  // namespace
