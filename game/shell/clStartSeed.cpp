#include "clStartSeed.h"

#include "coreGameDiagnostics.h"
#include "osClock.h"
#include "qz7core.h"

#include <chrono>
#include <cstdlib>
#include <exception>
#include <limits>
#include <random>

bool ParseSeed(const std::string& text, uint64_t& seed)
{
    if (text.empty()) return false;
    uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        const uint64_t digit = uint64_t(c - '0');
        if (value > (std::numeric_limits<uint64_t>::max() - digit) / 10) return false;
        value = value * 10 + digit;
    }
    seed = value;
    return true;
}

uint64_t FreshSeed()
{
    // The wall clock alone repeats when two starts fall in one tick; the
    // system's entropy makes them differ, and the clocks stand in should it
    // be unavailable.
    uint64_t seed = uint64_t(std::chrono::system_clock::now().time_since_epoch().count());
    seed ^= plat::os::MonotonicNanoseconds() * 0x9E3779B97F4A7C15ull;
    try {
        std::random_device device;
        seed ^= (uint64_t(device()) << 32) | uint64_t(device());
    } catch (const std::exception&) {
    }
    return seed;
}

uint64_t StartSeed()
{
    const char* value = std::getenv(kSeedVariable);
    if (!value) return FreshSeed();
    uint64_t seed = 0;
    if (ParseSeed(value, seed)) return seed;
    WriteLog(std::string(kSeedVariable) + "=\"" + value + "\" is not a decimal number: a fresh seed is used");
    return FreshSeed();
}

uint64_t SeedStartRandom()
{
    const uint64_t seed = StartSeed();
    SeedRandom(seed);
    return seed;
}
