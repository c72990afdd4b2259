// Plays games of four computer seats in memory and prints how fast and how
// each team did. Usage:
//   selfplay [--games N] [--seed S] [--team1 STYLE] [--team2 STYLE]
//            [--resume CHANCE] [--every-step] [--swap] [--no-checks]
// STYLE is conservative, moderate, aggressive or baseline. --swap plays the
// same deals again with the teams' styles exchanged. --every-step lets cards
// fly and saves and loads the game at every step, a card in flight or not.
#include "clSelfPlay.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {
int Usage()
{
    std::fprintf(stderr,
                 "usage: selfplay [--games N] [--seed S] [--team1 STYLE] [--team2 STYLE] [--resume CHANCE] "
                 "[--every-step] [--swap] [--no-checks]\n  STYLE: conservative, moderate, aggressive, baseline\n");
    return 2;
}

void Report(const char* title, const TSelfPlayConfig& c, const TSelfPlayResult& r, double seconds)
{
    std::printf("%s: team 1 %s vs team 2 %s, seed %llu\n", title, SelfPlayStyleText(c.team[0]).c_str(),
                SelfPlayStyleText(c.team[1]).c_str(), static_cast<unsigned long long>(c.seed));
    std::printf("  games %d, hands %lld (thrown in %lld), actions %lld\n", r.games, static_cast<long long>(r.hands),
                static_cast<long long>(r.thrownIn), static_cast<long long>(r.actions));
    std::printf("  %.0f hands per second (%.3f s)\n", seconds > 0 ? double(r.hands) / seconds : 0.0, seconds);
    for (int t = 0; t < 2; ++t)
        std::printf("  team %d: won %d (%.1f%%), contracts %lld made %lld, mean final score %.1f\n", t + 1, r.wins[t],
                    r.games ? 100.0 * r.wins[t] / r.games : 0.0, static_cast<long long>(r.contracts[t]),
                    static_cast<long long>(r.made[t]), r.games ? double(r.points[t]) / r.games : 0.0);
    if (r.unfinished) std::printf("  unfinished games %d\n", r.unfinished);
    if (r.resumes) std::printf("  saved and resumed %d times\n", r.resumes);
    if (r.roundTrips)
        std::printf("  saved and loaded at %lld steps, %lld with a card in flight\n", static_cast<long long>(r.roundTrips),
                    static_cast<long long>(r.inFlightSaves));
    if (r.resumes || r.roundTrips) std::printf("  %d games went differently\n", r.resumeMismatches);
    for (const auto& f : r.failures) std::printf("  FAILED: %s\n", f.c_str());
}

bool Run(const char* title, const TSelfPlayConfig& c)
{
    auto start = std::chrono::steady_clock::now();
    TSelfPlayResult r = RunSelfPlay(c);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    Report(title, c, r, seconds);
    return r.failures.empty() && r.resumeMismatches == 0;
}
}  // namespace

int main(int argc, char** argv)
{
    TSelfPlayConfig config;
    config.games = 100;
    bool swap = false;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto next = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        if (a == "--games") {
            const char* v = next();
            if (!v) return Usage();
            config.games = std::atoi(v);
        } else if (a == "--seed") {
            const char* v = next();
            if (!v) return Usage();
            config.seed = std::strtoull(v, nullptr, 10);
        } else if (a == "--team1" || a == "--team2") {
            const char* v = next();
            if (!v || !SelfPlayStyleFromText(v, config.team[a == "--team1" ? 0 : 1])) return Usage();
        } else if (a == "--resume") {
            const char* v = next();
            if (!v) return Usage();
            config.resumeChance = std::atof(v);
            config.compareResumed = true;
        } else if (a == "--every-step") {
            config.cardsFly = config.saveEveryStep = config.compareResumed = true;
        } else if (a == "--swap") {
            swap = true;
        } else if (a == "--no-checks") {
            config.checkInvariants = false;
        } else {
            return Usage();
        }
    }
    bool ok = Run("as given", config);
    if (swap) {
        std::swap(config.team[0], config.team[1]);
        ok = Run("teams swapped", config) && ok;
    }
    return ok ? 0 : 1;
}
