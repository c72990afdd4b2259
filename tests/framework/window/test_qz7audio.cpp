#include "qz7audio.h"
#include "sndOutput.h"
#include "testutil.h"
#include "wavutil.h"

#include <gtest/gtest.h>

namespace {

class AudioTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        vqtest::WriteFile(dir.File("Card.wav"), vqtest::MakeWav(20.0));
        FrameworkStart("test");
    }
    void TearDown() override { FrameworkStop(); }

    vqtest::ScopedEnv driver{"SDL_AUDIODRIVER", "dummy"};
    vqtest::TempDir dir;
};

TEST_F(AudioTest, DevicesAreListedWithEveryName)
{
    TQZAudio* audio = AudioDevice();
    ASSERT_TRUE(audio->libraryLoaded);
    EXPECT_EQ(audio->deviceCount, 2) << "no sound, default, the dummy output";
    ASSERT_EQ(audio->deviceNames.size(), 3u);
    EXPECT_EQ(audio->deviceNames[0], "No sound");
    EXPECT_EQ(audio->deviceNames[1], "Default");
    EXPECT_FALSE(audio->deviceNames[2].empty());
}

TEST_F(AudioTest, InitDeviceChecksItsArgumentsFirst)
{
    TQZAudio* audio = AudioDevice();
    struct Case {
        int32_t device, rate, result;
    };
    const Case cases[] = {
        {-1, 1999, QZRES_BADARG}, {-1, 250001, QZRES_BADARG}, {-2, 44100, QZRES_BADARG},
        {3, 44100, QZRES_BADARG}, {-1, 44100, QZRES_OK},      {-1, 44100, QZRES_AUDIO_NOINIT},
    };
    for (const Case& c : cases) EXPECT_EQ(audio->InitDevice(c.device, c.rate), c.result) << c.device << "@" << c.rate;
    EXPECT_TRUE(audio->deviceOpen);
    EXPECT_EQ(audio->device, 1);
    EXPECT_EQ(audio->CheckReady(), QZRES_OK);
    EXPECT_EQ(audio->FreeDevice(), QZRES_OK);
    EXPECT_EQ(audio->FreeDevice(), QZRES_AUDIO_NODEVICE);
    EXPECT_EQ(audio->CheckReady(), QZRES_AUDIO_NODEVICE);
}

TEST_F(AudioTest, LoadSoundNeedsAReadyDeviceAndAFile)
{
    EXPECT_EQ(LoadSound(dir.File("Card.wav")), nullptr) << "device not open yet";
    ASSERT_EQ(AudioDevice()->InitDevice(-1, 44100), QZRES_OK);
    EXPECT_EQ(LoadSound(""), nullptr);
    EXPECT_EQ(LoadSound(dir.File("Missing.wav")), nullptr);
    vqtest::WriteFile(dir.File("Broken.wav"), "not a sound");
    EXPECT_EQ(LoadSound(dir.File("Broken.wav")), nullptr);
    std::string windowsStyle = dir.Path() + "CARD.WAV";
    auto sound = LoadSound(windowsStyle);
    ASSERT_NE(sound, nullptr) << "names are matched without regard to case";
    EXPECT_EQ(sound->channel, 0u);
    EXPECT_EQ(sound->volume, 100);
}

TEST_F(AudioTest, PlayingTwiceRestartsTheOnePlayback)
{
    ASSERT_EQ(AudioDevice()->InitDevice(-1, 44100), QZRES_OK);
    auto sound = LoadSound(dir.File("Card.wav"));
    ASSERT_NE(sound, nullptr);
    ASSERT_EQ(sound->Play(false), QZRES_OK);
    uint32_t first = sound->channel;
    EXPECT_TRUE(plat::sound::ChannelPlaying(first));
    ASSERT_EQ(sound->Play(true), QZRES_OK);
    EXPECT_EQ(plat::sound::SamplePlaybacks(sound->sample), 1);
    EXPECT_TRUE(plat::sound::ChannelPlaying(sound->channel));
    EXPECT_NE(first, sound->channel);
    EXPECT_FALSE(plat::sound::ChannelValid(first)) << "the first playback was taken over";
    sound->SetVolume(40);
    EXPECT_FLOAT_EQ(plat::sound::ChannelVolume(sound->channel), 0.4f);
    EXPECT_EQ(sound->Stop(), QZRES_OK);
    EXPECT_FALSE(plat::sound::ChannelPlaying(sound->channel));
}

TEST_F(AudioTest, SoundsOutlivingTheDeviceAnswerFailure)
{
    ASSERT_EQ(AudioDevice()->InitDevice(-1, 44100), QZRES_OK);
    auto sound = LoadSound(dir.File("Card.wav"));
    ASSERT_NE(sound, nullptr);
    AudioDevice()->FreeDevice();
    EXPECT_EQ(sound->Play(false), QZRES_FAILED);
    EXPECT_EQ(sound->Stop(), QZRES_FAILED);
    sound.reset();  // frees a sample the device already took: harmless
}

TEST(AudioMissing, WithoutADeviceEverythingAnswersNoLibrary)
{
    vqtest::ScopedEnv driver("SDL_AUDIODRIVER", "no-such-driver");
    vqtest::TempDir dir;
    vqtest::WriteFile(dir.File("Card.wav"), vqtest::MakeWav(0.1));
    FrameworkStart("test");
    TQZAudio* audio = AudioDevice();
    EXPECT_FALSE(audio->libraryLoaded);
    EXPECT_FALSE(IsBassLoaded());
    EXPECT_EQ(audio->InitDevice(-1, 1999), QZRES_BADARG);
    EXPECT_EQ(audio->InitDevice(-1, 44100), QZRES_AUDIO_NOLIBRARY);
    EXPECT_EQ(audio->FreeDevice(), QZRES_FAILED);
    EXPECT_EQ(audio->CheckReady(), QZRES_AUDIO_NOLIBRARY);
    EXPECT_EQ(LoadSound(dir.File("Card.wav")), nullptr);
    EXPECT_EQ(TQZSound::Create(dir.File("Card.wav"), 1), nullptr);
    FrameworkStop();
}

}  // namespace
