#include "coreGameDiagnostics.h"
#include "microService.h"
#include "qz7audio.h"
#include "runtimefixture.h"

#include <gtest/gtest.h>

namespace {

constexpr const char* kWarning = "Vantorel Qar - Warning: ";

class AudioManagerTest : public mediatest::MediaFixture {
protected:
    // Whether the last PlaySound of the id started a playback.
    bool Played(int32_t id)
    {
        TQZSound* sound = Resources->GetSound(id);
        return sound && sound->channel != 0;
    }
};

TEST_F(AudioManagerTest, SoundsPlayAtTheSettingsVolume)
{
    runtime.Everything();
    Start();
    EXPECT_EQ(ManagerDescription(MGR_AUDIO), "Audio Engine");
    ASSERT_TRUE(Audio->IsReady());
    EXPECT_TRUE(Audio->DeviceOpen());
    EXPECT_EQ(60, Audio->Volume());
    EXPECT_FALSE(Played(SOUND_TRICK));
    Audio->PlaySound(SOUND_TRICK, false);
    EXPECT_TRUE(Played(SOUND_TRICK));
    EXPECT_EQ(60, Resources->GetSound(SOUND_TRICK)->volume);
    Audio->StopSound(SOUND_TRICK);
    Audio->PlaySound(99, false);  // no such sound: nothing
    EXPECT_TRUE(TakeBoxes().empty());
}

TEST_F(AudioManagerTest, SwitchedOffAtStartTheDeviceStillOpensAndTurningOnDoesNotOpenItAgain)
{
    runtime.Everything();
    runtime.Defaults("Audio.Enabled=\"false\"\r\n");
    Start();
    EXPECT_TRUE(Audio->DeviceOpen());
    EXPECT_FALSE(Audio->Enabled());
    EXPECT_FALSE(Audio->IsReady());
    Audio->PlaySound(SOUND_BUTTON, false);
    EXPECT_FALSE(Played(SOUND_BUTTON));
    SetSetting("Audio.Enabled", "true");
    EXPECT_TRUE(Audio->IsReady());
    EXPECT_FALSE(Audio->Failed()) << "a second open of the device would have failed";
    Audio->PlaySound(SOUND_BUTTON, false);
    EXPECT_TRUE(Played(SOUND_BUTTON));
    EXPECT_TRUE(TakeBoxes().empty());
}

TEST_F(AudioManagerTest, NothingPlaysAtVolumeZeroOrWhileTheGamePlaysItself)
{
    struct Case {
        const char* key;
        const char* value;
    } cases[] = {{"Audio.Volume", "0"}, {"Debug.AutoPlay", "true"}};
    runtime.Everything();
    Start();
    for (const Case& c : cases) {
        Resources->Unload(RES_SOUND, SOUND_THUMP);  // a fresh sound, never played
        SetSetting(c.key, c.value);
        Audio->PlaySound(SOUND_THUMP, false);
        EXPECT_FALSE(Played(SOUND_THUMP)) << c.key;
        SetSetting("Audio.Volume", "60");
        SetSetting("Debug.AutoPlay", "false");
    }
}

TEST_F(AudioManagerTest, ASoundThatDidNotLoadIsSkippedWithOneWarning)
{
    runtime.Everything();
    runtime.Write("Assets/Audio/Cardplay.wav", std::string("RIFF but no wave at all"));
    Start();
    for (int i = 0; i < 3; ++i) Audio->PlaySound(SOUND_CARDPLAY, false);
    EXPECT_EQ(TakeBoxes(), std::vector<std::string>{std::string(kWarning) +
                                                    "ERROR failed to load audio file \"Assets/Audio/Cardplay.wav\""});
    Audio->PlaySound(SOUND_DEALING, false);
    EXPECT_TRUE(Played(SOUND_DEALING)) << "the other sounds play";
}

TEST_F(AudioManagerTest, ADeviceThatCannotOpenWarnsOnceAndTheGameRunsSilent)
{
    vqtest::ScopedEnv noSound("SDL_AUDIODRIVER", "no-such-driver");
    UnloadBassLibrary();
    runtime.Everything();
    Start();
    EXPECT_TRUE(Audio->Failed());
    EXPECT_FALSE(Audio->IsReady());
    EXPECT_EQ(nullptr, Resources->GetSound(SOUND_ALERT));
    Audio->PlaySound(SOUND_ALERT, false);
    SetSetting("Audio.Enabled", "false");
    SetSetting("Audio.Enabled", "true");
    EXPECT_EQ(TakeBoxes(), std::vector<std::string>{std::string(kWarning) +
                                                    "Unable to initialize audio; sounds will not play"});
}

// Stands in for the editor's music player: records what it is sent.
class TRecordingMusic : public TMicroService {
public:
    TRecordingMusic() : TMicroService("TRecordingMusic") { name = "MUSIC"; }
    void Execute(const std::string& arguments) override { sent.push_back(arguments); }
    std::vector<std::string> sent;
};

class MusicSettingsTest : public AudioManagerTest {
protected:
    void TearDown() override
    {
        SetRunningServiceLookup(nullptr);
        AudioManagerTest::TearDown();
    }
    void RunMusic()
    {
        SetRunningServiceLookup([this](const std::string& n) { return n == "MUSIC" ? &music : nullptr; });
    }
    std::vector<std::string> TakeSent()
    {
        std::vector<std::string> out;
        out.swap(music.sent);
        return out;
    }
    TRecordingMusic music;
};

TEST_F(MusicSettingsTest, MusicFollowsBothSwitchesAndTakesTheVolumeAfter)
{
    runtime.Everything();
    runtime.Defaults("Audio.Music.Enabled=\"true\"\r\n");
    Start();
    Audio->ApplyMusicSettings();
    EXPECT_TRUE(TakeSent().empty()) << "no music service runs: nothing to tell";
    RunMusic();
    Audio->ApplyMusicSettings();
    EXPECT_EQ((std::vector<std::string>{"play", "volume"}), TakeSent());
    struct Case {
        const char* key;
        const char* value;
        std::vector<std::string> want;
    };
    const Case cases[] = {
        {"Audio.Music.Volume", "40", {"play", "volume"}},
        {"Audio.Music.Enabled", "false", {"stop", "volume"}},
        {"Audio.Music.Enabled", "true", {"play", "volume"}},
        // Switching every sound off reaches the music too.
        {"Audio.Enabled", "false", {"stop", "volume"}},
        {"Audio.Music.Volume", "50", {"stop", "volume"}},
        {"Audio.Enabled", "true", {"play", "volume"}},
    };
    for (const Case& c : cases) {
        SetSetting(c.key, c.value);
        EXPECT_EQ(c.want, TakeSent()) << c.key << " = " << c.value;
    }
}

TEST_F(MusicSettingsTest, WithoutAWorkingDeviceTheMusicIsNotTold)
{
    vqtest::ScopedEnv noSound("SDL_AUDIODRIVER", "no-such-driver");
    UnloadBassLibrary();
    runtime.Everything();
    Start();
    RunMusic();
    ASSERT_TRUE(Audio->Failed());
    Audio->ApplyMusicSettings();
    SetSetting("Audio.Music.Enabled", "true");
    EXPECT_TRUE(TakeSent().empty());
    TakeBoxes();
}

}  // namespace
