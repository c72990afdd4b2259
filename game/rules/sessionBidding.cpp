#include "sessionBidding.h"

#include "qz7kvdata.h"
#include "qz7text.h"
#include "GameTextHelpers.h"
#include "sessionPlayer.h"

void TSessionBidding::Reset()
{
    current_ = opening_;
    for (int i = 0; i < 4; ++i) {
        bids_[i] = BID_NOT_YET;
        notes_[i].clear();
        made_[i] = 0;
    }
}

const std::string& TSessionBidding::Note(TSeat seat) const
{
    static const std::string none;
    return IsSeat(seat) ? notes_[seat - 1] : none;
}

void TSessionBidding::PlaceBid(const TBid& bid, const std::string& note)
{
    if (!IsSeat(current_)) return;
    TBid& previous = bids_[current_ - 1];
    if (IsScoringBid(previous) && IsScoringBid(bid) && previous.suit != bid.suit) {
        for (auto& b : bids_)
            if (b.count == 1) b.count = 0;
    }
    previous = bid;
    notes_[current_ - 1] = note;
    if (IsScoringBid(bid)) made_[current_ - 1] += 1;
    // At most four steps: a seat that has not passed always exists while
    // the auction runs.
    for (int step = 0; step < 4; ++step) {
        current_ = TSeat(current_ % 4 + 1);
        if (bids_[current_ - 1].count != 1) break;
    }
}

int32_t TSessionBidding::SeatsNotPassed() const
{
    int32_t n = 0;
    for (const auto& b : bids_) n += b.count != 1 ? 1 : 0;
    return n;
}

TSeat TSessionBidding::HighBidder() const
{
    TSeat best = 1;
    int32_t bestPoints = BidPoints(bids_[0]);
    for (TSeat s = 2; s <= 4; ++s) {
        int32_t p = BidPoints(bids_[s - 1]);
        if (p > bestPoints) {
            bestPoints = p;
            best = s;
        }
    }
    return best;
}

std::string TSessionBidding::BidText(TSeat seat, const TSessionPlayers* players) const
{
    const TSessionPlayer* player = players ? players->GetPlayer(seat) : nullptr;
    std::string name = player ? player->Name() : std::string();
    TBid bid = GetBid(seat);
    if (bid.count == 1) return FormatNumbered("%1 passed", {name});
    if (bid.count == 0) return FormatNumbered("%1 has not yet bid", {name});
    return FormatNumbered("%1 bid %2 (%3 points)", {name, ::BidText(bid), std::to_string(BidPoints(bid))});
}

namespace {
bool SeatText(const std::string& text, TSeat& seat)
{
    int32_t v = TextToIntDef(text, 0);
    if (!IsSeat(v)) return false;
    seat = TSeat(v);
    return true;
}
}  // namespace

bool TSessionBidding::LoadFrom(TQZKeyValue* node)
{
    if (!node) return false;
    TSessionBidding loaded;
    if (!SeatText(node->GetString("CurrentPlayer"), loaded.current_)) return false;
    if (!SeatText(node->GetString("OpeningPlayer"), loaded.opening_)) return false;
    for (int n = 1; n <= 4; ++n) {
        std::string index = "[" + std::to_string(n) + "]";
        TBid bid;
        if (!BidFromTextChecked(node->GetString("PlayerBid" + index), bid)) return false;
        bool notYet = bid.count == 0 && IsSuit(bid.suit);
        if (!notYet && !IsValidBid(bid)) return false;
        int32_t made = TextToIntDef(node->GetString("PlayerBidsMade" + index), -1);
        if (made < 0 || made > 100) return false;
        loaded.bids_[n - 1] = bid;
        loaded.made_[n - 1] = made;
    }
    if (loaded.SeatsNotPassed() < 1) return false;
    *this = loaded;
    return true;
}

void TSessionBidding::SaveTo(TQZKeyValue* node) const
{
    node->SetInt("CurrentPlayer", current_);
    node->SetInt("OpeningPlayer", opening_);
    for (int n = 1; n <= 4; ++n) {
        std::string index = "[" + std::to_string(n) + "]";
        node->SetString("PlayerBid" + index, BidToText(bids_[n - 1]));
        node->SetInt("PlayerBidsMade" + index, made_[n - 1]);
    }
}
