#include "aiBidding.h"

#include "mgrSession.h"

namespace {
// Weights by index: ranks 0..12, then left bower, right bower, joker.
constexpr int32_t kWeights[16] = {0, 0, 1, 2, 3, 4, 5, 6, 7, 8, 10, 14, 19, 22, 25, 30};

struct TThreshold {
    int32_t count, strength, highest;
};

// [style][situation][level 6..10]
constexpr TThreshold kThresholds[3][4][5] = {
    {// conservative
     {{3, 30, 0}, {4, 60, 12}, {6, 89, 14}, {7, 110, 15}, {8, 140, 15}},
     {{0, 0, 0}, {5, 60, 13}, {6, 95, 14}, {7, 115, 15}, {8, 150, 15}},
     {{0, 0, 0}, {3, 50, 10}, {4, 70, 12}, {5, 80, 14}, {6, 100, 15}},
     {{4, 40, 12}, {6, 80, 13}, {7, 100, 14}, {8, 125, 15}, {9, 155, 15}}},
    {// moderate
     {{3, 25, 0}, {4, 65, 11}, {6, 80, 13}, {6, 110, 15}, {8, 130, 15}},
     {{0, 0, 0}, {5, 70, 12}, {6, 100, 14}, {7, 115, 15}, {8, 150, 15}},
     {{0, 0, 0}, {3, 40, 10}, {4, 70, 12}, {5, 80, 14}, {6, 100, 15}},
     {{4, 40, 12}, {4, 65, 12}, {7, 100, 13}, {7, 115, 14}, {8, 145, 15}}},
    {// aggressive
     {{3, 25, 0}, {4, 55, 11}, {6, 76, 13}, {6, 100, 15}, {8, 140, 15}},
     {{0, 0, 0}, {5, 60, 12}, {6, 90, 14}, {7, 115, 15}, {8, 150, 15}},
     {{0, 0, 0}, {3, 40, 10}, {5, 65, 12}, {5, 75, 14}, {6, 95, 15}},
     {{4, 40, 12}, {4, 55, 12}, {7, 90, 13}, {7, 115, 14}, {8, 145, 15}}},
};

int32_t WeightIndex(TCard card, TSuit trump)
{
    if (IsJoker(card)) return 15;
    if (IsRightBower(card, trump)) return 14;
    if (IsLeftBower(card, trump)) return 13;
    return CardRank(card);
}
}  // namespace

TPlayStyle PlayStyleFromText(const std::string& text)
{
    if (text == "Conservative") return STYLE_CONSERVATIVE;
    if (text == "Moderate") return STYLE_MODERATE;
    return STYLE_AGGRESSIVE;
}

std::string PlayStyleText(TPlayStyle style)
{
    return style == STYLE_CONSERVATIVE ? "Conservative" : style == STYLE_MODERATE ? "Moderate" : "Aggressive";
}

TSuitEvaluation TAIBidding::EvaluateSuit(const TSession& session, TSeat seat, TSuit suit) const
{
    TSuitEvaluation e;
    if (!IsSeat(seat)) return e;
    const TCardset& hand = session.HandOf(seat);
    for (int32_t i = 1; i <= hand.Count(); ++i) {
        TCard c = hand.Get(i);
        if (IsTrumpCard(c, suit)) {
            int32_t index = WeightIndex(c, suit);
            e.count += 1;
            e.strength += kWeights[index];
            e.highest = MaxOf(e.highest, index);
        } else if (CardRank(c) == RANK_ACE) {
            e.sideAces += 1;
        }
    }
    e.count += e.sideAces;
    e.strength += e.sideAces * 10;
    return e;
}

int32_t TAIBidding::Situation(const TSession& session, TSeat seat, TSuit suit) const
{
    const TSessionBidding& auction = session.Bidding();
    TBid partner = auction.GetBid(PartnerOf(seat));
    if (IsScoringBid(partner) && partner.suit == suit) return 2;
    TSeat a, b;
    OpponentsOf(seat, a, b);
    for (TSeat o : {a, b}) {
        TBid bid = auction.GetBid(o);
        if (IsScoringBid(bid) && bid.suit == suit) return 1;
    }
    if (IsScoringBid(partner)) return 3;
    return 0;
}

int32_t TAIBidding::NoTrumpsLevel(const TSession& session, TSeat seat) const
{
    if (!IsSeat(seat)) return 0;
    const TCardset& hand = session.HandOf(seat);
    int32_t k = 0;
    for (int s = SUIT_SPADES; s <= SUIT_HEARTS; ++s)
        for (int32_t r = RANK_ACE; r >= LowestRank(TSuit(s)) && hand.Contains(CardOf(TSuit(s), r)); --r) ++k;
    int32_t n = hand.Contains(CARD_JOKER) ? k + 2 : k;
    if (n <= 5) return 0;
    return MinOf(n, 10);  // a joker and nine top cards would say eleven
}

TAIBidOutput TAIBidding::ChooseBid(const TSession& session, TSeat seat, const std::string& styleText) const
{
    if (!IsSeat(seat)) return TAIBidOutput{TBid{SUIT_NOTRUMPS, 1}, std::string()};
    TPlayStyle style = PlayStyleFromText(styleText);
    const TSessionBidding& auction = session.Bidding();
    int32_t standing = BidPoints(auction.WinningBid());
    TBid best{auction.GetBid(seat).suit, 1};
    std::string note;
    auto consider = [&](TBid candidate, const std::string& why) {
        int32_t p = BidPoints(candidate);
        if (p > BidPoints(best) && p > standing) {
            best = candidate;
            note = why;
        }
    };
    for (int s = SUIT_SPADES; s <= SUIT_HEARTS; ++s) {
        TSuit suit = TSuit(s);
        TSuitEvaluation e = EvaluateSuit(session, seat, suit);
        int32_t situation = Situation(session, seat, suit);
        int32_t level = 0;
        for (int32_t L = 6; L <= 10; ++L) {
            const TThreshold& t = kThresholds[style][situation][L - 6];
            if (t.count == 0 && t.strength == 0 && t.highest == 0) continue;
            if (e.count >= t.count + 1 && e.strength >= t.strength + 10 && e.highest >= t.highest) level = L;
        }
        if (level)
            consider(TBid{suit, level}, std::to_string(e.count) + "," + std::to_string(e.strength) + "," +
                                            std::to_string(e.highest) + "(+aces)");
    }
    if (int32_t n = NoTrumpsLevel(session, seat)) consider(TBid{SUIT_NOTRUMPS, n}, std::to_string(n) + ",-1,-1");
    TAIBidOutput out;
    out.bid = best;
    out.note = styleText + ",\"" + session.HandOf(seat).ShortText() + "\"," + note;
    return out;
}
