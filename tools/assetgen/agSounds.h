// The game's sounds, synthesised: short and soft, normalised to one
// loudness without clipping; WAV as 16-bit mono PCM, MP3 through LAME.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ag {

constexpr int32_t SOUND_RATE = 44100;

struct SoundSpec {
    const char* file;  // in Assets/Audio/; the extension picks the encoding
    std::vector<float> (*synthesise)();
};

const std::vector<SoundSpec>& SoundSpecs();

struct SoundLevels {
    double loudness = 0;  // dBFS, loudest 50 ms window
    double peak = 0;      // dBFS
};

// Scales the samples to the common loudness, lowered where the peak would
// otherwise pass -1 dBFS.
SoundLevels Normalise(std::vector<float>& samples);
SoundLevels Measure(const std::vector<float>& samples);

std::vector<uint8_t> EncodeWav(const std::vector<float>& samples);
std::vector<uint8_t> EncodeMp3(const std::vector<float>& samples);

// The finished file of one sound.
std::vector<uint8_t> MakeSound(const SoundSpec& spec, SoundLevels* levels = nullptr);

}  // namespace ag
