// The music player service on the generated music: what it lists, the
// instructions, the settings it reads and the end of a piece moving on.
#include "coreGameDiagnostics.h"
#include "coreManager.h"
#include "mgrAudio.h"
#include "microMusicPlayer.h"
#include "mgrSettings.h"
#include "qz7kvdata.h"
#include "sndMusic.h"
#include "testutil.h"
#include "wavutil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;
namespace snd = plat::sound;

namespace {

class MusicPlayerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories(dir.File("Assets/Music"));
        home = fs::current_path();
        fs::current_path(dir.Path());
        Settings = &settings;
        settings.SetInt("Audio.Music.Volume", 40);
        settings.SetBool("Audio.Music.Enabled", false);
        SetAdminConsole([this](const std::string& line) { log.push_back(line); });
        FrameworkStart("test");
        ASSERT_EQ(QZRES_OK, AudioDevice()->InitDevice(-1, 44100));
    }
    void TearDown() override
    {
        FrameworkStop();
        SetAdminConsole(nullptr);
        Settings = nullptr;
        fs::current_path(home);
    }
    void AddMusic(const std::string& name)
    {
        fs::copy_file(std::string(VQ_RUNTIME_DIR) + "/Assets/Music/Interlude.mp3", dir.File("Assets/Music/" + name));
    }
    bool Logged(const std::string& line) const { return std::find(log.begin(), log.end(), line) != log.end(); }

    vqtest::ScopedEnv driver{"SDL_AUDIODRIVER", "dummy"};
    vqtest::TempDir dir;
    fs::path home;
    TQZKeyValue settings;
    std::vector<std::string> log;
};

TEST_F(MusicPlayerTest, StartsQuietWhenMusicIsOffAndPlaysNothingWithoutFiles)
{
    TMusicPlayerService music;
    EXPECT_EQ("MUSIC", music.name);
    EXPECT_TRUE(Logged("Microservice TMusicPlayerService: constructed."));
    EXPECT_TRUE(Logged("Music volume set to 40"));
    EXPECT_TRUE(music.Queue().Shuffle());
    EXPECT_FALSE(music.Queue().IsPlaying());
    vqtest::WriteFile(dir.File("Assets/Music/notes.txt"), "not music");
    music.Execute("play");
    EXPECT_FALSE(music.Queue().IsPlaying());
    EXPECT_TRUE(music.Queue().Items().empty());
}

TEST_F(MusicPlayerTest, PlaysTheFoldersMp3FilesOnly)
{
    AddMusic("one.mp3");
    AddMusic("Two.MP3");
    vqtest::WriteFile(dir.File("Assets/Music/three.wav"), vqtest::MakeWav(1.0));
    TMusicPlayerService music;
    music.Execute("PLAY");
    ASSERT_TRUE(music.Queue().IsPlaying());
    std::vector<std::string> items = music.Queue().Items();
    std::sort(items.begin(), items.end());
    EXPECT_EQ((std::vector<std::string>{"Assets\\Music\\Two.MP3", "Assets\\Music\\one.mp3"}), items);
    EXPECT_TRUE(music.Queue().Current()->Playing());
    EXPECT_FLOAT_EQ(0.4f, snd::MusicVolume(music.Queue().Current()->stream));

    // The end of the piece is heard on the mixer's thread and acted on here.
    const int32_t before = music.Queue().Position();
    ASSERT_TRUE(snd::SimulateMusicEnd());
    ProcessSynchronize();
    EXPECT_EQ((before + 1) % 2, music.Queue().Position());
    EXPECT_TRUE(music.Queue().Current()->Playing());
}

TEST_F(MusicPlayerTest, InstructionsStopRescanAndTakeTheVolume)
{
    AddMusic("one.mp3");
    settings.SetBool("Audio.Music.Enabled", true);
    TMusicPlayerService music;
    ASSERT_TRUE(music.Queue().IsPlaying()) << "enabled music starts at once";
    settings.SetInt("Audio.Music.Volume", 75);
    music.Execute("volume");
    EXPECT_FLOAT_EQ(0.75f, snd::MusicVolume(music.Queue().Current()->stream));
    AddMusic("two.mp3");
    log.clear();
    music.Execute("list");
    EXPECT_TRUE(Logged("Listing available music..."));
    EXPECT_EQ(2u, music.Queue().Items().size());
    EXPECT_TRUE(music.Queue().IsPlaying()) << "a scan while playing plays on";
    music.Execute("stop");
    EXPECT_FALSE(music.Queue().IsPlaying());
    music.Execute("rewind");
    EXPECT_FALSE(music.Queue().IsPlaying());
    music.Execute("list");
    EXPECT_FALSE(music.Queue().IsPlaying()) << "a scan while stopped stays stopped";
}

// The audio manager passing the music settings on to the running player.
class MusicSettingsTest : public MusicPlayerTest {
protected:
    void SetUp() override
    {
        MusicPlayerTest::SetUp();
        ASSERT_EQ(QZRES_OK, AudioDevice()->FreeDevice());  // the manager opens it
        settings.SetBool("Audio.Enabled", true);
    }
    void TearDown() override
    {
        SetRunningServiceLookup(nullptr);
        audio.reset();
        ResetManagerRegistry();  // drops the manager's queued start-up call
        MusicPlayerTest::TearDown();
    }
    float Volume() { return snd::MusicVolume(music->Queue().Current()->stream); }

    std::unique_ptr<TAudio> audio;
    std::unique_ptr<TMusicPlayerService> music;
};

TEST_F(MusicSettingsTest, ChangedSettingsReachTheStreamThroughTheAudioManager)
{
    AddMusic("one.mp3");
    audio = std::make_unique<TAudio>();
    audio->Initialize();
    ASSERT_TRUE(audio->IsReady());
    music = std::make_unique<TMusicPlayerService>();
    SetRunningServiceLookup([this](const std::string& n) { return n == "MUSIC" ? music.get() : nullptr; });
    ASSERT_FALSE(music->Queue().IsPlaying());

    settings.SetBool("Audio.Music.Enabled", true);
    ASSERT_TRUE(music->Queue().IsPlaying());
    EXPECT_FLOAT_EQ(0.4f, Volume());
    settings.SetInt("Audio.Music.Volume", 70);
    EXPECT_FLOAT_EQ(0.7f, Volume());

    settings.SetBool("Audio.Enabled", false);
    EXPECT_FALSE(music->Queue().IsPlaying()) << "every sound off stops the music too";
    settings.SetBool("Audio.Enabled", true);
    ASSERT_TRUE(music->Queue().IsPlaying());
    EXPECT_FLOAT_EQ(0.7f, Volume());
    settings.SetBool("Audio.Music.Enabled", false);
    EXPECT_FALSE(music->Queue().IsPlaying());

    // Once the player is gone the manager finds nothing to tell.
    SetRunningServiceLookup(nullptr);
    music.reset();
    settings.SetBool("Audio.Music.Enabled", true);
    audio->ApplyMusicSettings();
}

}  // namespace
