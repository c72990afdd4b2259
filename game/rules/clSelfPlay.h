// Self-play: whole games of four computer seats in memory, driven through the
// governor the way the game screens drive them, with every timer instant.
// Checks the game's invariants after every action and can save and resume a
// game at random points, which must not change how it goes on.
#pragma once

#include "coreGame.h"

#include <cstdint>
#include <string>
#include <vector>

// How a team bids and plays: one of the computer's styles, or the baseline
// that bids only with a very strong hand and plays a random legal card.
enum TSelfPlayStyle : int32_t {
    SELFPLAY_CONSERVATIVE = 0,
    SELFPLAY_MODERATE = 1,
    SELFPLAY_AGGRESSIVE = 2,
    SELFPLAY_BASELINE = 3,
};
[[nodiscard]] bool SelfPlayStyleFromText(const std::string& text, TSelfPlayStyle& style);
std::string SelfPlayStyleText(TSelfPlayStyle style);

struct TSelfPlayConfig {
    int32_t games = 1;
    uint64_t seed = 1;
    TSelfPlayStyle team[2] = {SELFPLAY_MODERATE, SELFPLAY_MODERATE};
    bool checkInvariants = true;
    // Chance, per processed action, of saving the game and continuing from
    // a fresh session loaded from the save. 0 = never.
    double resumeChance = 0.0;
    // Also play every game uninterrupted and compare the two, hand by hand
    // and, with saveEveryStep, state by state.
    bool compareResumed = false;
    // Cards take time to fly, on timers the player runs forward, so that the
    // game passes through the moments when a card has left its place and has
    // not yet landed.
    bool cardsFly = false;
    // Save and load at every step, a card in flight or not: the loaded game
    // must save to the same text, and play goes on from the loaded game.
    bool saveEveryStep = false;
    int32_t handLimit = 400;  // a game that has not ended by then is stopped
};

struct TSelfPlayResult {
    int32_t games = 0;
    int64_t hands = 0;         // hands dealt, thrown-in ones included
    int64_t thrownIn = 0;      // hands where every seat passed
    int64_t actions = 0;       // actions executed through the governor
    int32_t wins[2] = {0, 0};  // games won by team 1 and team 2
    int32_t unfinished = 0;
    int64_t contracts[2] = {0, 0};  // contracts declared by each team
    int64_t made[2] = {0, 0};       // of those, made
    int64_t misere = 0;             // of all contracts, misere ones
    int64_t points[2] = {0, 0};     // sum of final game scores
    int32_t resumes = 0;            // saves and reloads done
    int32_t resumeMismatches = 0;   // resumed games that went differently
    int64_t roundTrips = 0;         // saves and loads at single steps
    int64_t inFlightSaves = 0;      // of those, taken while a card was moving
    std::vector<std::string> failures;  // broken invariants, first few
};

// Plays the configured games. Deterministic for a given configuration: the
// deals, the openings and every random choice derive from the seed, the game
// and the hand alone, so the same deals come back with the teams swapped.
TSelfPlayResult RunSelfPlay(const TSelfPlayConfig& config);
