// The panel on which this machine's player bids: five suit tiles, five
// trick-count tiles, misere, "Place Bid" and "Pass", above the four seats
// with their bids so far and a prompt line. Only bids that may be made now
// are offered; the panel submits the bid to the session's governor itself.
#pragma once

#include "UIFrame.h"
#include "clRenderer.h"
#include "coreGame.h"

#include <array>
#include <string>

class TUIBidButton;

constexpr int32_t BIDCMD_PLACE = 10;
constexpr int32_t BIDCMD_PASS = 11;
constexpr int32_t BIDDING_WIDTH = 635;
constexpr int32_t BIDDING_HEIGHT = 380;
// The least height that still holds the buttons, where the board is short.
constexpr int32_t BIDDING_MIN_HEIGHT = 360;

// Where the panel stands on a board of the given size with cards of the
// given size: centred across and above the middle, but never over the top
// hand or the prompt line over the local hand (on a short board it gives up
// some of its empty bottom edge rather than cover either).
TQZRect BiddingPanelRect(TQZPoint board, TQZPoint card);
constexpr const char* kBidOrigin = "LOCAL_PLAYER";

class TUIBidding : public TUIFrame {
public:
    explicit TUIBidding(TGUIWindow* parent);

    bool Arrange() override;
    void Update() override;
    void HandleCommand(TGUIWindow* sender, int32_t id) override;
    void Draw(const TQZRect& rect) override;

    // The bidding screen chooses the suit of a card clicked in the hand.
    void SelectSuit(TSuit suit);
    void Refresh();
    void Lock(bool flag);

    TBid ComposedBid() const { return MakeBid(TSuit(selectedSuit), selectedCount); }
    // Whether the seat to bid is this machine's own player, in a running auction.
    bool IsLocalTurn() const;
    std::string PromptText() const;

    TGUIWindow* ButtonArea() const { return buttonArea_; }
    TUIBidButton* SuitButton(int32_t suit) const { return suitButtons_[size_t(suit)]; }
    TUIBidButton* TrickButton(int32_t count) const { return trickButtons_[size_t(count - 6)]; }
    TUIBidButton* MisereButton() const { return misereButton_; }
    TGUIWindow* PlaceBidButton() const { return placeBidButton_; }
    TGUIWindow* PassButton() const { return passButton_; }
    bool Locked() const { return locked_; }

    int32_t selectedSuit = SUIT_SPADES;
    int32_t selectedCount = 0;  // 0 none, 5 misere, 6..10

private:
    void OnBidButton(int32_t value);
    TBid OnCheck() { return ComposedBid(); }
    // The bid may be placed now: it beats the high bid and, for misere, the
    // game allows misere (in a shared game, the host's rule).
    bool MayPlace(const TBid& bid) const;
    void Submit(const TBid& bid);

    TGUIWindow* buttonArea_ = nullptr;
    TGUIWindow* placeBidButton_ = nullptr;
    TGUIWindow* passButton_ = nullptr;
    std::array<TUIBidButton*, 5> suitButtons_{};
    std::array<TUIBidButton*, 5> trickButtons_{};
    TUIBidButton* misereButton_ = nullptr;
    int32_t lastPoints_ = 0;
    TRenderer renderer_;
    bool locked_ = false;
};
