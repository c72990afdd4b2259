// What keeps a session standing when the other end is hostile: a join salt
// nobody can work out, the host's ledger of what each address has asked of
// it, the one budget of bytes the session keeps for what peers sent ahead of
// time, and the throttle that holds a flood of refusals to a line a second.
#pragma once

#include "qz7nettypes.h"

#include <functional>
#include <map>
#include <unordered_map>
#include <vector>

// A connection salt from the system's random source: a join's salt is all
// that tells its welcome from a forged one, so it must not be the clock.
int32_t NewConnectionSalt();

// Wrong salts one address may try, or anybody may try at one member's
// identity, in a window: once they are spent, the address's joins for a
// connected identity and any join that would move the identity to a new
// address are refused, right salt or not, until the window has passed.
constexpr int32_t kSaltGuessesMax = 8;
constexpr uint32_t kSaltGuessWindow = 60000;
// Joins that start or start over a peer: a burst of two per address, then
// one every two seconds (a real client repeats its join every 3.5 s).
constexpr int32_t kJoinBurst = 2;
constexpr uint32_t kJoinRefill = 2000;
// An address that left a welcome unanswered is shut out this long, twice as
// long each time again, up to the longest.
constexpr uint32_t kUnansweredBlock = 10000;
constexpr uint32_t kUnansweredBlockMax = 80000;
// Addresses the ledger keeps; the one heard from longest ago makes room.
constexpr size_t kLedgerAddresses = 1024;

// Any thread (its own lock). Addresses are the plain "address:port" texts.
class TQZJoinLedger {
public:
    // Shut out now (a welcome left unanswered).
    bool Blocked(const std::string& address, uint32_t now);
    // A join that would start, or start over, a peer for the address; false
    // when the address has used up its joins for now.
    [[nodiscard]] bool TakeJoin(const std::string& address, uint32_t now);
    // One wrong salt from the address; false once its guesses are spent.
    [[nodiscard]] bool GuessSalt(const std::string& address, uint32_t now);
    bool GuessesSpent(const std::string& address, uint32_t now);
    // Our welcome to the address was never answered.
    void Unanswered(const std::string& address, uint32_t now);
    // Joins seen from the address lately (halved every ten seconds).
    int32_t RecentJoins(const std::string& address, uint32_t now);
    size_t Size();

private:
    struct TEntry {
        uint32_t seen = 0;
        int32_t tokens = kJoinBurst;
        uint32_t refilled = 0;
        int32_t joins = 0;
        uint32_t joinsHalved = 0;
        int32_t guesses = 0;
        uint32_t guessStart = 0;
        uint32_t blockedUntil = 0;
        int32_t strikes = 0;
    };
    TEntry& Entry(const std::string& address, uint32_t now);

    TQZCriticalSection lock_{"Join Ledger"};
    std::unordered_map<std::string, TEntry> entries_;
};

// Counts wrong salts against one identity (or one join's welcome) in the
// window; not locked: its owner's lock guards it.
class TQZSaltGuesses {
public:
    // One wrong salt; false once the guesses of the window are spent.
    [[nodiscard]] bool Guess(uint32_t now);
    bool Spent(uint32_t now);
    void Clear() { count_ = 0; }

private:
    int32_t count_ = 0;
    uint32_t start_ = 0;
};

// Bytes the session keeps for what peers sent ahead of time: messages that
// wait for an earlier one, parts of unfinished multipart messages, slices of
// unfinished chunk transfers. One budget for every peer; payload bytes are
// counted (the allocator's own overhead comes on top).
constexpr int64_t kSessionCacheBudget = int64_t(64) << 20;

// Any thread (its own lock). Holders are the peers, by address.
class TQZCacheBudget {
public:
    explicit TQZCacheBudget(int64_t limit = kSessionCacheBudget) : limit_(limit) {}
    // Takes the bytes for the holder; false (nothing taken) when they do not
    // fit.
    [[nodiscard]] bool Charge(const void* holder, int64_t bytes);
    void Release(const void* holder, int64_t bytes);
    int64_t InUse();
    int64_t Peak();
    int64_t Held(const void* holder);
    int64_t Limit() const { return limit_; }
    // The holder of the most bytes (nullptr when nothing is held).
    const void* Largest();

private:
    TQZCriticalSection lock_{"Cache Budget"};
    const int64_t limit_;
    int64_t inUse_ = 0;
    int64_t peak_ = 0;
    std::unordered_map<const void*, int64_t> held_;
};

// Lines a flood would repeat (mostly refusals), held to a few a second: a
// line of one kind about one source is written when it is the first of its
// kind from there in a period; the others are counted, and the count is
// told with that entry's next line (or, when the flood has stopped, on its
// own). One source at a time has entries of its own for a kind; lines of
// that kind about any other source share one entry with every kind. During
// a flood (kThrottleFlood lines held in this second or the last) no more
// than kThrottleLines are written in a second, whatever the kinds and
// sources.
constexpr uint32_t kThrottlePeriod = 1000;
constexpr int32_t kThrottleLines = 4;
constexpr int64_t kThrottleFlood = 16;

// Any thread (its own lock); lines are written outside it.
class TQZLogThrottle {
public:
    using TWrite = std::function<void(const std::string& line)>;
    void Repeated(const std::string& kind, const std::string& source, const std::string& line, uint32_t now,
                  const TWrite& write);
    // Tells the counts of floods that have stopped (call now and then).
    void Flush(uint32_t now, const TWrite& write);
    size_t Entries();

private:
    struct TEntry {
        uint32_t start = 0;
        int64_t held = 0;
        std::string last;
        bool told = false;  // a line of it was written
    };
    // Starts the next second when this one has passed; true when a line may
    // be written now.
    bool MayWrite(uint32_t now);
    static std::string Counted(const std::string& line, int64_t held, bool others);

    TQZCriticalSection lock_{"Log Throttle"};
    // By kind and source; the entry of an empty kind and source is the one
    // the other sources share.
    std::map<std::pair<std::string, std::string>, TEntry> entries_;
    uint32_t second_ = 0;
    int32_t written_ = 0;
    int64_t held_ = 0;
    int64_t heldBefore_ = 0;
};
