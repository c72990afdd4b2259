// The vocabulary of the game: cards, suits, bids, seats and teams, the fixed
// tables between them, the scoring table and the text forms used in logs,
// saved games and network payloads. Pure functions only.
#pragma once

#include "qz7core.h"

#include <cstdint>
#include <functional>
#include <string>

enum TSuit : int32_t {
    SUIT_SPADES = 0,
    SUIT_CLUBS = 1,
    SUIT_DIAMONDS = 2,
    SUIT_HEARTS = 3,
    SUIT_NOTRUMPS = 4,  // also "no suit": the joker's, or no led suit yet
};

using TCard = int32_t;  // suit * 13 + rank; 52 the joker; 0 the empty marker
using TSeat = uint8_t;  // 1..4, clockwise
using TTeam = int32_t;  // 1 or 2

constexpr TCard CARD_JOKER = 52;
constexpr int32_t RANK_JACK = 9;
constexpr int32_t RANK_QUEEN = 10;
constexpr int32_t RANK_KING = 11;
constexpr int32_t RANK_ACE = 12;
constexpr int32_t DECK_SIZE = 43;

struct TBid {
    TSuit suit = SUIT_SPADES;
    int32_t count = 0;  // 0 not yet bid, 1 passed, 6..10 tricks, 5 with no trumps = misere
};
static_assert(sizeof(TBid) == 8, "a bid is two 32-bit fields on the wire");

constexpr TBid BID_NONE{SUIT_SPADES, 0};
constexpr TBid BID_NOT_YET{SUIT_NOTRUMPS, 0};
constexpr TBid BID_MISERE{SUIT_NOTRUMPS, 5};

struct TContract {
    TBid bid{SUIT_NOTRUMPS, 0};
    TSeat declarer = 1;
    TTeam team = 1;
    TSuit trump = SUIT_NOTRUMPS;
};

constexpr int32_t CardRank(TCard card) { return card % 13; }
constexpr TSuit CardSuit(TCard card) { return card < 0 || card > 51 ? SUIT_NOTRUMPS : static_cast<TSuit>(card / 13); }
constexpr TCard CardOf(TSuit suit, int32_t rank) { return suit * 13 + rank; }
int32_t LowestRank(TSuit suit);
bool IsCardInDeck(TCard card);
inline bool IsSuit(int32_t value) { return value >= SUIT_SPADES && value <= SUIT_NOTRUMPS; }
inline bool IsSeat(int32_t value) { return value >= 1 && value <= 4; }

// n counts the seat itself as 1: NextSeat(s, 2) is the seat after s.
inline TSeat NextSeat(TSeat seat, int32_t n) { return static_cast<TSeat>(((int32_t(seat) - 2 + n) % 4 + 4) % 4 + 1); }
TTeam TeamOfSeat(TSeat seat);
TSeat PartnerOf(TSeat seat);
void OpponentsOf(TSeat seat, TSeat& first, TSeat& second);
TTeam OtherTeam(TTeam team);
void TeamSeats(TTeam team, TSeat& first, TSeat& second);
// Spades and clubs, diamonds and hearts; no trumps stays.
inline TSuit SameColourSuit(TSuit suit) { return suit >= SUIT_NOTRUMPS || suit < 0 ? SUIT_NOTRUMPS : TSuit(suit ^ 1); }

TBid MakeBid(TSuit suit, int32_t count);
bool BidEquals(const TBid& a, const TBid& b);
bool SameBid(TBid a, TBid b);
bool IsMisereBid(const TBid& bid);
TQZPoint BidToPoint(const TBid& bid);
int32_t BidPoints(const TBid& bid);
inline bool IsScoringBid(const TBid& bid) { return BidPoints(bid) > 0; }
// A bid anyone could make: a pass, misere, or 6..10 in a suit or no trumps.
bool IsValidBid(const TBid& bid);

std::string BidToText(const TBid& bid);
TBid BidFromText(const std::string& text);
// "bid:{suit,count}" read strictly: false when a part is missing or a number
// does not fit, where BidFromText reads 0.
[[nodiscard]] bool BidFromTextChecked(const std::string& text, TBid& bid);
std::string ContractToText(const TContract& contract);

struct TTrick {
    int32_t cards[4] = {0, 0, 0, 0};  // seats 1..4; 0 = not played
    int32_t leader = 0;
    int32_t winner = 0;
    TCard Card(TSeat seat) const { return cards[seat - 1]; }
    bool operator==(const TTrick&) const = default;
};

std::string TrickToText(const TTrick& trick);
TTrick TrickFromText(const std::string& text);
// The same, strictly: false when a part is missing or a number does not fit.
[[nodiscard]] bool TrickFromTextChecked(const std::string& text, TTrick& trick);

// A source of whole numbers lo..hi inclusive; empty means the process
// generator (RandomBetween). Injected where a caller needs its own sequence.
using TRandomSource = std::function<int32_t(int32_t lo, int32_t hi)>;
int32_t DrawBetween(const TRandomSource& source, int32_t lo, int32_t hi);
