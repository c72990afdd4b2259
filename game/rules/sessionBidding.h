// The auction of one hand: whose turn it is, each seat's last bid, and when
// the auction is over.
#pragma once

#include "coreGame.h"

#include <string>

class TQZKeyValue;
class TSessionPlayers;

class TSessionBidding {
public:
    void Reset();
    // The current bidder bids; reopens passed seats when a scoring bidder
    // changes suit.
    void PlaceBid(const TBid& bid, const std::string& note);
    TBid GetBid(TSeat seat) const { return IsSeat(seat) ? bids_[seat - 1] : BID_NOT_YET; }
    const std::string& Note(TSeat seat) const;
    int32_t BidsMade(TSeat seat) const { return IsSeat(seat) ? made_[seat - 1] : 0; }
    int32_t SeatsNotPassed() const;
    bool IsComplete() const { return SeatsNotPassed() == 1; }
    // Complete with a scoring bid standing: there is a contract.
    bool HasContract() const { return IsComplete() && BidPoints(WinningBid()) > 0; }
    TSeat HighBidder() const;
    TBid WinningBid() const { return GetBid(HighBidder()); }
    std::string BidText(TSeat seat, const TSessionPlayers* players) const;

    TSeat CurrentBidder() const { return current_; }
    TSeat OpeningSeat() const { return opening_; }
    void SetOpeningSeat(TSeat seat) { opening_ = seat; }

    // Restores the auction; false, with nothing changed, when the node does
    // not hold a consistent one.
    [[nodiscard]] bool LoadFrom(TQZKeyValue* node);
    void SaveTo(TQZKeyValue* node) const;

private:
    TSeat current_ = 1;
    TSeat opening_ = 1;
    TBid bids_[4] = {BID_NOT_YET, BID_NOT_YET, BID_NOT_YET, BID_NOT_YET};
    std::string notes_[4];
    int32_t made_[4] = {0, 0, 0, 0};
};
