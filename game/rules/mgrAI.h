// The computer opponents' manager: bidding, discard and card play advisers,
// asked about the session in progress.
#pragma once

#include "coreManager.h"
#include "aiBidding.h"
#include "aiDiscard.h"
#include "aiPlaying.h"

class TAI : public TManagerClass {
public:
    void Initialize() override {}

    // The seat's choices in the session; bids follow "Game.PlayStyle".
    TAIBidOutput ChooseBid(const TSession& session, TSeat seat) const;
    TCard ChooseDiscard(const TSession& session, TSeat seat) const { return discard_.ChooseDiscard(session, seat); }
    TCard ChooseCard(const TSession& session, TSeat seat) const { return playing_.ChooseCard(session, seat); }

    TAIBidding& Bidding() { return bidding_; }
    TAIDiscard& Discard() { return discard_; }
    TAIPlaying& Playing() { return playing_; }

private:
    TAIBidding bidding_;
    TAIDiscard discard_;
    TAIPlaying playing_;
};

extern TAI* AI;
void RegisterAIManager();
