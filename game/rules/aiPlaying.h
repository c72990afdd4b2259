// The card a computer player plays: a fixed decision tree over a few card
// queries. It remembers nothing between calls; everything comes from the
// session. The result is always a legal card of the seat's hand.
#pragma once

#include "aiDiscard.h"
#include "coreGame.h"

class TSession;

class TAIPlaying {
public:
    TCard ChooseCard(const TSession& session, TSeat seat) const;
    // Where the one random choice (a first-trick lead) draws from.
    void SetRandomSource(TRandomSource source) { random_ = std::move(source); }

private:
    TRandomSource random_;
    TAIDiscard discard_;
};
