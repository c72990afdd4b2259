#include "coreGame.h"

#include "qz7text.h"

namespace {
constexpr int32_t kLowestRank[4] = {3, 3, 2, 2};
constexpr TSeat kPartner[4] = {3, 4, 1, 2};
constexpr TSeat kOpponents[4][2] = {{2, 4}, {3, 1}, {4, 2}, {1, 3}};

// The integer between two markers; 0 when missing or not a number.
int32_t IntBetween(std::string_view text, size_t from, std::string_view start, std::string_view end,
                   size_t* after = nullptr)
{
    size_t s = text.find(start, from);
    if (s == std::string_view::npos) return 0;
    s += start.size();
    size_t e = text.find(end, s);
    if (e == std::string_view::npos) e = text.size();
    if (after) *after = e + end.size();
    return TextToIntDef(text.substr(s, e - s), 0);
}

// Strict readers: a literal, or a whole number up to a delimiter; each steps
// past what it read.
bool Expect(std::string_view text, size_t& pos, std::string_view literal)
{
    if (text.substr(pos, literal.size()) != literal) return false;
    pos += literal.size();
    return true;
}

bool IntUntil(std::string_view text, size_t& pos, std::string_view delimiter, int32_t& value)
{
    size_t e = text.find(delimiter, pos);
    if (e == std::string_view::npos || !TextToIntChecked(text.substr(pos, e - pos), value)) return false;
    pos = e + delimiter.size();
    return true;
}

bool AtEnd(std::string_view text, size_t pos) { return TrimText(text.substr(pos)).empty(); }
}  // namespace


int32_t LowestRank(TSuit suit) { return suit >= SUIT_SPADES && suit <= SUIT_HEARTS ? kLowestRank[suit] : 0; }

bool IsCardInDeck(TCard card)
{
    if (card == CARD_JOKER) return true;
    TSuit suit = CardSuit(card);
    if (suit == SUIT_NOTRUMPS) return false;
    return CardRank(card) >= kLowestRank[suit];
}


TTeam TeamOfSeat(TSeat seat) { return (seat % 2 == 1) ? 1 : 2; }
TSeat PartnerOf(TSeat seat) { return IsSeat(seat) ? kPartner[seat - 1] : 0; }

void OpponentsOf(TSeat seat, TSeat& first, TSeat& second)
{
    first = second = 0;
    if (!IsSeat(seat)) return;
    first = kOpponents[seat - 1][0];
    second = kOpponents[seat - 1][1];
}

TTeam OtherTeam(TTeam team) { return team == 1 ? 2 : 1; }

void TeamSeats(TTeam team, TSeat& first, TSeat& second)
{
    first = team == 1 ? 1 : 2;
    second = team == 1 ? 3 : 4;
}

TBid MakeBid(TSuit suit, int32_t count) { return TBid{suit, count}; }
bool BidEquals(const TBid& a, const TBid& b) { return a.suit == b.suit && a.count == b.count; }
bool SameBid(TBid a, TBid b) { return BidEquals(a, b); }
bool IsMisereBid(const TBid& bid) { return BidEquals(bid, BID_MISERE); }
TQZPoint BidToPoint(const TBid& bid) { return TQZPoint{bid.suit, bid.count}; }

int32_t BidPoints(const TBid& bid)
{
    if (bid.count == 0 || bid.count == 1) return 0;
    // The editor's build knows no misère score: one formula for every bid.
    if (EditorVariant()) return bid.suit * 20 + bid.count * 100 - 560;
    if (IsMisereBid(bid)) return 250;
    if (!IsSuit(bid.suit) || bid.count < 6 || bid.count > 10) return 0;
    return bid.suit * 20 + bid.count * 100 - 560;
}

bool IsValidBid(const TBid& bid)
{
    if (!IsSuit(bid.suit)) return false;
    return bid.count == 1 || IsMisereBid(bid) || (bid.count >= 6 && bid.count <= 10);
}

std::string BidToText(const TBid& bid)
{
    return "bid:{" + std::to_string(bid.suit) + "," + std::to_string(bid.count) + "}";
}

TBid BidFromText(const std::string& text)
{
    TBid bid{};
    bid.suit = static_cast<TSuit>(IntBetween(text, 0, "bid:{", ","));
    size_t comma = text.find(',');
    bid.count = comma == std::string::npos ? 0 : IntBetween(text, comma, ",", "}");
    return bid;
}

bool BidFromTextChecked(const std::string& text, TBid& bid)
{
    std::string_view s = text;
    size_t pos = 0;
    int32_t suit = 0, count = 0;
    while (pos < s.size() && IsBlank(s[pos])) ++pos;
    if (!Expect(s, pos, "bid:{") || !IntUntil(s, pos, ",", suit) || !IntUntil(s, pos, "}", count) || !AtEnd(s, pos))
        return false;
    bid = TBid{static_cast<TSuit>(suit), count};
    return true;
}

std::string ContractToText(const TContract& c)
{
    return BidToText(c.bid) + ",player:" + std::to_string(c.declarer) + ",team:" + std::to_string(c.team) +
           ",trump:" + std::to_string(c.trump) + "}";
}

std::string TrickToText(const TTrick& t)
{
    return "{played:{" + std::to_string(t.cards[0]) + "," + std::to_string(t.cards[1]) + "," +
           std::to_string(t.cards[2]) + "," + std::to_string(t.cards[3]) + "},lead:" + std::to_string(t.leader) +
           ",winning:" + std::to_string(t.winner) + "}";
}

TTrick TrickFromText(const std::string& text)
{
    TTrick t;
    std::string_view s(text);
    if (s.size() < 9) return t;
    size_t pos = 9;
    for (int i = 0; i < 4; ++i) {
        std::string_view end = i < 3 ? "," : "},";
        size_t e = s.find(end, pos);
        if (e == std::string_view::npos) return t;
        t.cards[i] = TextToIntDef(s.substr(pos, e - pos), 0);
        pos = e + end.size();
    }
    t.leader = IntBetween(s, pos, "lead:", ",");
    t.winner = IntBetween(s, pos, "winning:", "}");
    return t;
}

bool TrickFromTextChecked(const std::string& text, TTrick& trick)
{
    std::string_view s = text;
    size_t pos = 0;
    TTrick t;
    while (pos < s.size() && IsBlank(s[pos])) ++pos;
    if (!Expect(s, pos, "{played:{")) return false;
    for (int i = 0; i < 4; ++i)
        if (!IntUntil(s, pos, i < 3 ? "," : "},", t.cards[i])) return false;
    if (!Expect(s, pos, "lead:") || !IntUntil(s, pos, ",", t.leader) || !Expect(s, pos, "winning:") ||
        !IntUntil(s, pos, "}", t.winner) || !AtEnd(s, pos))
        return false;
    trick = t;
    return true;
}

int32_t DrawBetween(const TRandomSource& source, int32_t lo, int32_t hi)
{
    return source ? source(lo, hi) : RandomBetween(lo, hi);
}
