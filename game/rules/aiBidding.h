// The computer opponents' bid: each trump suit and no trumps weighed against
// thresholds of the play style and of what partner and opponents have bid.
// The computer never bids misere.
#pragma once

#include "coreGame.h"

#include <string>

class TSession;

enum TPlayStyle : int32_t { STYLE_CONSERVATIVE = 0, STYLE_MODERATE = 1, STYLE_AGGRESSIVE = 2 };
// "Conservative", "Moderate"; anything else plays aggressively.
TPlayStyle PlayStyleFromText(const std::string& text);
std::string PlayStyleText(TPlayStyle style);

struct TAIBidOutput {
    TBid bid{};
    std::string note;
};

struct TSuitEvaluation {
    int32_t count = 0;
    int32_t strength = 0;
    int32_t highest = 0;
    int32_t sideAces = 0;
};

class TAIBidding {
public:
    TSuitEvaluation EvaluateSuit(const TSession& session, TSeat seat, TSuit suit) const;
    int32_t Situation(const TSession& session, TSeat seat, TSuit suit) const;
    // The no-trumps level of the hand (6..10), 0 when none.
    int32_t NoTrumpsLevel(const TSession& session, TSeat seat) const;
    // styleText is the "Game.PlayStyle" value; it heads the note.
    TAIBidOutput ChooseBid(const TSession& session, TSeat seat, const std::string& styleText) const;
};
