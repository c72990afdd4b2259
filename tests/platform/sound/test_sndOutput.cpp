#include "sndOutput.h"
#include "testutil.h"
#include "wavutil.h"

#include <gtest/gtest.h>

namespace snd = plat::sound;

namespace {

// SDL's dummy driver plays in real time without a sound card, so playbacks
// really run; the test sounds last long enough never to end during a test.
class SoundTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(snd::OpenLibrary());
        ASSERT_TRUE(snd::InitDevice(-1, 44100));
        vqtest::WriteFile(dir.File("long.wav"), vqtest::MakeWav(20.0));
    }
    void TearDown() override { snd::CloseLibrary(); }

    vqtest::ScopedEnv driver{"SDL_AUDIODRIVER", "dummy"};
    vqtest::TempDir dir;
};

TEST(SoundMissing, NoDeviceMeansNoLibraryAndEveryCallFails)
{
    vqtest::ScopedEnv driver("SDL_AUDIODRIVER", "no-such-driver");
    EXPECT_FALSE(snd::OpenLibrary());
    EXPECT_FALSE(snd::LibraryOpen());
    std::string name;
    EXPECT_FALSE(snd::GetDeviceName(0, name));
    EXPECT_FALSE(snd::InitDevice(-1, 44100));
    EXPECT_EQ(snd::LoadSample("/nonexistent.wav", 1, 0), 0u);
    EXPECT_EQ(snd::GetSampleChannel(1), 0u);
    EXPECT_FALSE(snd::PlayChannel(1, true));
}

TEST_F(SoundTest, DevicesAreNumberedFromNoSound)
{
    std::string name;
    ASSERT_TRUE(snd::GetDeviceName(0, name));
    EXPECT_EQ(name, "No sound");
    ASSERT_TRUE(snd::GetDeviceName(1, name));
    EXPECT_EQ(name, "Default");
    EXPECT_TRUE(snd::GetDeviceName(2, name)) << "the dummy driver lists one output";
    EXPECT_FALSE(snd::GetDeviceName(3, name));
    EXPECT_EQ(snd::CurrentDevice(), 1) << "the default device is reported as device 1";
    EXPECT_FALSE(snd::InitDevice(-1, 44100)) << "already open";
}

TEST_F(SoundTest, PlaybackLimitWithTakeoverOfTheFurthestAlong)
{
    snd::SampleHandle s = snd::LoadSample(dir.File("long.wav"), 2, snd::kSampleOverPosition);
    ASSERT_NE(s, 0u);
    snd::ChannelHandle a = snd::GetSampleChannel(s);
    ASSERT_TRUE(snd::PlayChannel(a, true));
    snd::ChannelHandle b = snd::GetSampleChannel(s);
    ASSERT_TRUE(snd::PlayChannel(b, true));
    EXPECT_EQ(snd::SamplePlaybacks(s), 2);
    snd::ChannelHandle c = snd::GetSampleChannel(s);
    ASSERT_NE(c, 0u);
    EXPECT_FALSE(snd::ChannelValid(a)) << "the oldest playback was taken over";
    EXPECT_FALSE(snd::StopChannel(a));
    ASSERT_TRUE(snd::PlayChannel(c, true));
    EXPECT_TRUE(snd::ChannelPlaying(b));
    EXPECT_TRUE(snd::ChannelPlaying(c));
    EXPECT_EQ(snd::SamplePlaybacks(s), 2);
}

TEST_F(SoundTest, WithoutTakeoverTheLimitRefuses)
{
    snd::SampleHandle s = snd::LoadSample(dir.File("long.wav"), 1, 0);
    ASSERT_NE(s, 0u);
    snd::ChannelHandle a = snd::GetSampleChannel(s);
    ASSERT_TRUE(snd::PlayChannel(a, true));
    EXPECT_EQ(snd::GetSampleChannel(s), 0u);
    ASSERT_TRUE(snd::StopChannel(a));
    EXPECT_FALSE(snd::ChannelPlaying(a));
    EXPECT_NE(snd::GetSampleChannel(s), 0u) << "a stopped playback frees its place";
}

TEST_F(SoundTest, ManyPlaybacksGrowTheMixer)
{
    std::vector<snd::ChannelHandle> playing;
    snd::SampleHandle s = snd::LoadSample(dir.File("long.wav"), 40, 0);
    ASSERT_NE(s, 0u);
    for (int i = 0; i < 40; ++i) {
        snd::ChannelHandle c = snd::GetSampleChannel(s);
        ASSERT_TRUE(snd::PlayChannel(c, true)) << i;
        playing.push_back(c);
    }
    for (snd::ChannelHandle c : playing) EXPECT_TRUE(snd::ChannelPlaying(c));
}

TEST_F(SoundTest, VolumeIsClampedAndLoopKept)
{
    snd::SampleHandle s = snd::LoadSample(dir.File("long.wav"), 1, 0);
    snd::ChannelHandle c = snd::GetSampleChannel(s);
    EXPECT_TRUE(snd::SetChannelLoop(c, true));
    const float volumes[][2] = {{0.5f, 0.5f}, {-1.0f, 0.0f}, {3.0f, 1.0f}};
    for (auto& v : volumes) {
        EXPECT_TRUE(snd::SetChannelVolume(c, v[0]));
        EXPECT_FLOAT_EQ(snd::ChannelVolume(c), v[1]);
    }
    EXPECT_TRUE(snd::PlayChannel(c, true));
    EXPECT_TRUE(snd::ChannelPlaying(c));
}

TEST_F(SoundTest, BadFilesLoadNothing)
{
    vqtest::WriteFile(dir.File("bad.wav"), "RIFF\x10\0\0\0WAVEjunkjunk");
    std::string truncated = vqtest::MakeWav(0.5).substr(0, 30);
    vqtest::WriteFile(dir.File("short.wav"), truncated);
    EXPECT_EQ(snd::LoadSample(dir.File("bad.wav"), 1, 0), 0u);
    EXPECT_EQ(snd::LoadSample(dir.File("short.wav"), 1, 0), 0u);
    EXPECT_EQ(snd::LoadSample(dir.File("missing.wav"), 1, 0), 0u);
    EXPECT_EQ(snd::LoadSample(dir.File("long.wav"), 0, 0), 0u) << "a limit below one";
}

TEST_F(SoundTest, FreeingTheDeviceTakesSamplesAndChannels)
{
    snd::SampleHandle s = snd::LoadSample(dir.File("long.wav"), 1, 0);
    snd::ChannelHandle c = snd::GetSampleChannel(s);
    ASSERT_TRUE(snd::PlayChannel(c, true));
    EXPECT_TRUE(snd::FreeDevice());
    EXPECT_FALSE(snd::ChannelValid(c));
    EXPECT_FALSE(snd::FreeSample(s));
    EXPECT_FALSE(snd::FreeDevice());
    EXPECT_EQ(snd::CurrentDevice(), -1);
}

}  // namespace

namespace {

TEST(SoundDevices, ChosenDevicesOpenAndPlay)
{
    vqtest::ScopedEnv driver("SDL_AUDIODRIVER", "dummy");
    vqtest::TempDir dir;
    ASSERT_TRUE(snd::OpenLibrary());
    const int32_t devices[] = {0, 1, 2};  // no sound, the default, the listed output
    for (int32_t d : devices) {
        ASSERT_TRUE(snd::InitDevice(d, 22050)) << d;
        EXPECT_EQ(snd::CurrentDevice(), d);
        vqtest::WriteFile(dir.File("s.wav"), vqtest::MakeWav(20.0));
        snd::SampleHandle s = snd::LoadSample(dir.File("s.wav"), 1, 0);
        ASSERT_NE(s, 0u);
        snd::ChannelHandle c = snd::GetSampleChannel(s);
        EXPECT_TRUE(snd::PlayChannel(c, true));
        EXPECT_TRUE(snd::ChannelPlaying(c)) << "device " << d << " plays, silently for device 0";
        EXPECT_TRUE(snd::FreeDevice());
    }
    EXPECT_FALSE(snd::InitDevice(3, 44100)) << "past the last device";
    EXPECT_FALSE(snd::InitDevice(-2, 44100));
    snd::CloseLibrary();
}

}  // namespace
