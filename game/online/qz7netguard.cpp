#include "qz7netguard.h"

#include "osRandom.h"

#include <algorithm>

namespace {

// Later than `at` on the wrapping clock.
bool Passed(uint32_t now, uint32_t at, uint32_t span) { return NetTimeDiff(now, at) >= int32_t(span); }

constexpr uint32_t kJoinsHalfLife = 10000;

}  // namespace

int32_t NewConnectionSalt() { return int32_t(plat::os::SystemRandom32()); }

// ---------------------------------------------------------------- ledger

TQZJoinLedger::TEntry& TQZJoinLedger::Entry(const std::string& address, uint32_t now)
{
    auto it = entries_.find(address);
    if (it == entries_.end()) {
        if (entries_.size() >= kLedgerAddresses) {
            // Make room with the address heard from longest ago, sparing the
            // ones shut out while any other can go.
            auto victim = entries_.end();
            for (auto e = entries_.begin(); e != entries_.end(); ++e) {
                const bool shut = NetTimeDiff(e->second.blockedUntil, now) > 0;
                const bool victimShut = victim != entries_.end() && NetTimeDiff(victim->second.blockedUntil, now) > 0;
                if (victim == entries_.end() || (victimShut && !shut) ||
                    (victimShut == shut && NetTimeDiff(victim->second.seen, e->second.seen) > 0))
                    victim = e;
            }
            entries_.erase(victim);
        }
        TEntry fresh;
        fresh.refilled = fresh.joinsHalved = fresh.blockedUntil = now;
        it = entries_.emplace(address, fresh).first;
    }
    TEntry& e = it->second;
    e.seen = now;
    if (Passed(now, e.refilled, kJoinRefill)) {
        const uint32_t periods = uint32_t(NetTimeDiff(now, e.refilled)) / kJoinRefill;
        e.tokens = int32_t(std::min<uint32_t>(uint32_t(kJoinBurst), uint32_t(e.tokens) + periods));
        e.refilled = e.tokens == kJoinBurst ? now : e.refilled + periods * kJoinRefill;
    }
    for (int i = 0; i < 32 && e.joins > 0 && Passed(now, e.joinsHalved, kJoinsHalfLife); ++i) {
        e.joins /= 2;
        e.joinsHalved += kJoinsHalfLife;
    }
    if (e.joins == 0 || Passed(now, e.joinsHalved, kJoinsHalfLife)) e.joinsHalved = now;
    return e;
}

bool TQZJoinLedger::Blocked(const std::string& address, uint32_t now)
{
    TQZLock guard(lock_);
    auto it = entries_.find(address);
    return it != entries_.end() && NetTimeDiff(it->second.blockedUntil, now) > 0;
}

bool TQZJoinLedger::TakeJoin(const std::string& address, uint32_t now)
{
    TQZLock guard(lock_);
    TEntry& e = Entry(address, now);
    ++e.joins;
    if (e.tokens <= 0) return false;
    --e.tokens;
    return true;
}

bool TQZJoinLedger::GuessSalt(const std::string& address, uint32_t now)
{
    TQZLock guard(lock_);
    TEntry& e = Entry(address, now);
    if (e.guesses == 0 || Passed(now, e.guessStart, kSaltGuessWindow)) {
        e.guesses = 0;
        e.guessStart = now;
    }
    return ++e.guesses < kSaltGuessesMax;
}

bool TQZJoinLedger::GuessesSpent(const std::string& address, uint32_t now)
{
    TQZLock guard(lock_);
    auto it = entries_.find(address);
    return it != entries_.end() && it->second.guesses >= kSaltGuessesMax &&
           !Passed(now, it->second.guessStart, kSaltGuessWindow);
}

void TQZJoinLedger::Unanswered(const std::string& address, uint32_t now)
{
    TQZLock guard(lock_);
    TEntry& e = Entry(address, now);
    // Strikes are forgotten after a long quiet spell.
    if (e.strikes > 0 && Passed(now, e.blockedUntil, 2 * kUnansweredBlockMax)) e.strikes = 0;
    const int32_t shift = std::min(e.strikes, 3);
    ++e.strikes;
    const uint32_t span = std::min(kUnansweredBlock << shift, kUnansweredBlockMax);
    if (NetTimeDiff(now + span, e.blockedUntil) > 0) e.blockedUntil = now + span;
}

int32_t TQZJoinLedger::RecentJoins(const std::string& address, uint32_t now)
{
    TQZLock guard(lock_);
    auto it = entries_.find(address);
    if (it == entries_.end()) return 0;
    return Entry(address, now).joins;
}

size_t TQZJoinLedger::Size()
{
    TQZLock guard(lock_);
    return entries_.size();
}

bool TQZSaltGuesses::Guess(uint32_t now)
{
    if (count_ == 0 || Passed(now, start_, kSaltGuessWindow)) {
        count_ = 0;
        start_ = now;
    }
    return ++count_ < kSaltGuessesMax;
}

bool TQZSaltGuesses::Spent(uint32_t now) { return count_ >= kSaltGuessesMax && !Passed(now, start_, kSaltGuessWindow); }

// ---------------------------------------------------------------- budget

bool TQZCacheBudget::Charge(const void* holder, int64_t bytes)
{
    if (bytes <= 0) return true;
    TQZLock guard(lock_);
    if (inUse_ + bytes > limit_) return false;
    inUse_ += bytes;
    peak_ = std::max(peak_, inUse_);
    held_[holder] += bytes;
    return true;
}

void TQZCacheBudget::Release(const void* holder, int64_t bytes)
{
    if (bytes <= 0) return;
    TQZLock guard(lock_);
    auto it = held_.find(holder);
    if (it == held_.end()) return;
    const int64_t taken = std::min(bytes, it->second);
    inUse_ -= taken;
    it->second -= taken;
    if (it->second == 0) held_.erase(it);
}

int64_t TQZCacheBudget::InUse()
{
    TQZLock guard(lock_);
    return inUse_;
}

int64_t TQZCacheBudget::Peak()
{
    TQZLock guard(lock_);
    return peak_;
}

int64_t TQZCacheBudget::Held(const void* holder)
{
    TQZLock guard(lock_);
    auto it = held_.find(holder);
    return it == held_.end() ? 0 : it->second;
}

const void* TQZCacheBudget::Largest()
{
    TQZLock guard(lock_);
    const void* largest = nullptr;
    int64_t most = 0;
    for (const auto& [holder, bytes] : held_) {
        if (bytes > most) {
            most = bytes;
            largest = holder;
        }
    }
    return largest;
}

// ---------------------------------------------------------------- throttle

std::string TQZLogThrottle::Counted(const std::string& line, int64_t held, bool others)
{
    if (held <= 0) return line;
    return line + " (and " + std::to_string(held) + (others ? " more from other sources)" : " more like it)");
}

bool TQZLogThrottle::MayWrite(uint32_t now)
{
    if (Passed(now, second_, kThrottlePeriod)) {
        heldBefore_ = Passed(now, second_, 2 * kThrottlePeriod) ? 0 : held_;
        held_ = 0;
        written_ = 0;
        second_ = now;
    }
    const bool flood = held_ >= kThrottleFlood || heldBefore_ >= kThrottleFlood;
    return !flood || written_ < kThrottleLines;
}

void TQZLogThrottle::Repeated(const std::string& kind, const std::string& source, const std::string& line, uint32_t now,
                              const TWrite& write)
{
    std::string out;
    {
        TQZLock guard(lock_);
        auto it = entries_.find({kind, source});
        if (it == entries_.end()) {
            // The kind's one source, or the entry of all the others.
            auto mine = entries_.lower_bound({kind, std::string()});
            const bool taken = mine != entries_.end() && mine->first.first == kind;
            const auto key = taken ? std::make_pair(std::string(), std::string()) : std::make_pair(kind, source);
            it = entries_.try_emplace(key, TEntry{now, 0, line, false}).first;
        }
        TEntry& e = it->second;
        const bool due = !e.told || Passed(now, e.start, kThrottlePeriod);
        if (due && MayWrite(now)) {
            // The first, or the first of a new period with the count of the last.
            out = Counted(line, e.held, it->first.first.empty());
            e = TEntry{now, 0, line, true};
            ++written_;
        } else {
            ++e.held;
            e.last = line;
            ++held_;
        }
    }
    if (!out.empty()) write(out);
}

void TQZLogThrottle::Flush(uint32_t now, const TWrite& write)
{
    std::vector<std::string> out;
    {
        TQZLock guard(lock_);
        // An entry quiet for a whole period is over: its count is told and it
        // goes (a flood still going tells its count with its next line).
        for (auto it = entries_.begin(); it != entries_.end();) {
            if (!Passed(now, it->second.start, 2 * kThrottlePeriod)) {
                ++it;
                continue;
            }
            if (it->second.held > 0) {
                if (!MayWrite(now)) break;
                out.push_back(Counted(it->second.last, it->second.held, it->first.first.empty()));
                ++written_;
            }
            it = entries_.erase(it);
        }
    }
    for (const auto& l : out) write(l);
}

size_t TQZLogThrottle::Entries()
{
    TQZLock guard(lock_);
    return entries_.size();
}
