// The card a computer player gives up, to the kitty or when it cannot or
// need not win a trick: keeps trumps and side aces, shortens the shortest
// side suit.
#pragma once

#include "coreGame.h"

class TSession;
class TCardset;

class TAIDiscard {
public:
    TCard ChooseDiscard(const TSession& session, TSeat seat) const;
    // The same choice for a hand under a trump.
    TCard ChooseFrom(const TCardset& hand, TSuit trump) const;
};
