// Test sounds: WAV files made in memory (16-bit mono PCM, a square wave).
#pragma once

#include <cstdint>
#include <string>

namespace vqtest {

inline std::string MakeWav(double seconds, uint32_t rate = 22050)
{
    uint32_t frames = uint32_t(seconds * rate);
    uint32_t dataBytes = frames * 2;
    std::string w;
    auto u32 = [&](uint32_t v) { for (int i = 0; i < 4; ++i) w.push_back(char((v >> (8 * i)) & 0xFF)); };
    auto u16 = [&](uint16_t v) { w.push_back(char(v & 0xFF)); w.push_back(char(v >> 8)); };
    w += "RIFF";
    u32(36 + dataBytes);
    w += "WAVEfmt ";
    u32(16);
    u16(1);  // PCM
    u16(1);  // mono
    u32(rate);
    u32(rate * 2);
    u16(2);
    u16(16);
    w += "data";
    u32(dataBytes);
    for (uint32_t i = 0; i < frames; ++i) u16(uint16_t((i / 50) % 2 ? 8000 : -8000));
    return w;
}

}  // namespace vqtest
