// The seed of the game's one random generator for a start of the program:
// dealing, the opening seat, opponents' names and the computer players'
// choices all draw from it. VANTOREL_SEED=<decimal> gives a known seed (tests,
// end-to-end runs that need known deals); without it every start draws a seed
// of its own, so no two starts deal alike.
#pragma once

#include <cstdint>
#include <string>

inline constexpr const char* kSeedVariable = "VANTOREL_SEED";

// A seed written as a decimal number (digits only, fits 64 bits).
[[nodiscard]] bool ParseSeed(const std::string& text, uint64_t& seed);
// A seed that differs from start to start.
uint64_t FreshSeed();
// The seed of this start: the variable's when it holds one, else a fresh one
// (a value that does not parse is logged and ignored).
uint64_t StartSeed();
// Seeds the generator for this start; the seed, for the log (a run can be
// repeated with VANTOREL_SEED).
uint64_t SeedStartRandom();
