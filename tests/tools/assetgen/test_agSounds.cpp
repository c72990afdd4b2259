#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "agSounds.h"
#include "agtestutil.h"
#include "sndMusic.h"
#include "sndOutput.h"
#include "testutil.h"

namespace snd = plat::sound;

namespace {

uint32_t U32(const std::vector<uint8_t>& b, size_t at)
{
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

bool IsMp3(const std::string& name) { return name.size() > 4 && name.substr(name.size() - 4) == ".mp3"; }

}  // namespace

TEST(AssetSounds, WavFilesAreShortMonoPcmWithoutClipping)
{
    for (const ag::SoundSpec& spec : ag::SoundSpecs()) {
        if (IsMp3(spec.file)) continue;
        std::vector<uint8_t> w = agtest::ReadRuntimeFile(std::string("Assets/Audio/") + spec.file);
        ASSERT_GT(w.size(), 44u) << spec.file;
        EXPECT_EQ(std::memcmp(w.data(), "RIFF", 4), 0);
        EXPECT_EQ(U32(w, 24), 44100u) << spec.file;
        EXPECT_EQ(w[22], 1) << "mono";
        EXPECT_EQ(w[34], 16) << "16-bit";
        uint32_t bytes = U32(w, 40);
        ASSERT_EQ(size_t(bytes) + 44, w.size());
        EXPECT_LT(bytes / 2, 2u * 44100u) << spec.file << " is short";
        int32_t peak = 0;
        for (size_t i = 44; i + 1 < w.size(); i += 2) peak = std::max(peak, std::abs(int32_t(int16_t(w[i] | w[i + 1] << 8))));
        EXPECT_LT(peak, 32000) << spec.file << " clips";
        EXPECT_GT(peak, 1000) << spec.file << " is silent";
    }
}

TEST(AssetSounds, LevelsAreEvenAndBelowTheCeiling)
{
    for (const ag::SoundSpec& spec : ag::SoundSpecs()) {
        std::vector<float> samples = spec.synthesise();
        ag::SoundLevels l = ag::Normalise(samples);
        EXPECT_NEAR(l.loudness, -22.0, 1.0) << spec.file;
        EXPECT_LE(l.peak, -1.0 + 1e-6) << spec.file;
    }
}

TEST(AssetSounds, EverySoundDecodesThroughTheSoundLayer)
{
    vqtest::ScopedEnv driver("SDL_AUDIODRIVER", "dummy");
    ASSERT_TRUE(snd::OpenLibrary());
    ASSERT_TRUE(snd::InitDevice(-1, 44100));
    for (const ag::SoundSpec& spec : ag::SoundSpecs()) {
        snd::SampleHandle s = snd::LoadSample(agtest::RuntimePath(std::string("Assets/Audio/") + spec.file), 1, 0);
        EXPECT_NE(s, 0u) << spec.file;
        if (s) (void)snd::FreeSample(s);  // setup: what the test checks after it shows whether it took
    }
    snd::CloseLibrary();
}

TEST(AssetSounds, MusicStreamsToItsEnd)
{
    vqtest::ScopedEnv driver("SDL_AUDIODRIVER", "dummy");
    ASSERT_TRUE(snd::OpenLibrary());
    ASSERT_TRUE(snd::InitDevice(-1, 44100));
    for (const ag::SoundSpec& spec : ag::MusicSpecs()) {
        std::vector<float> samples = spec.synthesise();
        ag::SoundLevels l = ag::Normalise(samples);
        EXPECT_LE(l.peak, -1.0 + 1e-6) << spec.file;
        EXPECT_LT(samples.size(), size_t(5 * 44100)) << spec.file << " stays short enough for tests";
        snd::MusicHandle m = snd::OpenMusic(agtest::RuntimePath(std::string("Assets/Music/") + spec.file));
        EXPECT_NE(m, 0u) << spec.file;
        if (m) (void)snd::FreeMusic(m);  // setup: what the test checks after it shows whether it took
    }
    snd::CloseLibrary();
}
