#include "UIBidButton.h"
#include "UIBidding.h"

#include "tablefixture.h"

#include "GameTextHelpers.h"

#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <vector>

namespace {

constexpr TBid kPass{SUIT_NOTRUMPS, 1};

class BiddingTest : public tabletest::TableFixture {
public:
    void SetUp() override
    {
        TableFixture::SetUp();
        settings.SetBool("Variation.Misere", true);
        screen.id = STATE_BIDDING;
    }
    // The seats before seat 1 bid, then it is this machine's player's turn.
    void LocalTurnAfter(const std::vector<TBid>& bids)
    {
        Auction(NextSeat(1, 5 - int32_t(bids.size())), {});
        for (const TBid& b : bids) S().Bidding().PlaceBid(b, "");
        S().SetStatus(STATUS_BIDDING);
        ASSERT_EQ(1, S().Bidding().CurrentBidder());
        panel = NewWindow<TUIBidding>(root.get());
        panel->Arrange();
    }
    static std::string Enabled(const std::array<TUIBidButton*, 5>& buttons)
    {
        std::string s;
        for (TUIBidButton* b : buttons) s += b->IsEnabled() ? '1' : '0';
        return s;
    }
    std::string Suits() const { return Enabled({panel->SuitButton(0), panel->SuitButton(1), panel->SuitButton(2),
                                                panel->SuitButton(3), panel->SuitButton(4)}); }
    std::string Tricks() const { return Enabled({panel->TrickButton(6), panel->TrickButton(7), panel->TrickButton(8),
                                                 panel->TrickButton(9), panel->TrickButton(10)}); }
    // The bid the governor holds from the panel, or nothing.
    const TActionBid* Queued() const { return dynamic_cast<const TActionBid*>(session->Governor().Head()); }

    TUIBidding* panel = nullptr;
};

struct AuctionCase {
    const char* what;
    std::vector<TBid> bids;  // seats 2, 3, 4
    TSuit suit;              // the suit chosen on the panel
    const char* suits;       // enabled suit tiles, spades to no trumps
    const char* tricks;      // enabled trick tiles, 6 to 10
    bool misere;
};

TEST_F(BiddingTest, OnlyBidsThatBeatTheHighBidAreOffered)
{
    const AuctionCase cases[] = {
        {"nothing bid yet", {}, SUIT_SPADES, "11111", "11111", true},
        {"six spades stand", {kPass, kPass, {SUIT_SPADES, 6}}, SUIT_SPADES, "11111", "01111", true},
        {"seven hearts (200)", {{SUIT_HEARTS, 7}, kPass, kPass}, SUIT_SPADES, "11111", "00111", true},
        {"eight spades (240)", {{SUIT_SPADES, 8}, kPass, kPass}, SUIT_CLUBS, "11111", "00111", true},
        {"misere (250)", {BID_MISERE, kPass, kPass}, SUIT_SPADES, "11111", "00011", false},
        {"ten clubs (460)", {{SUIT_CLUBS, 10}, kPass, kPass}, SUIT_DIAMONDS, "00111", "00001", false},
        {"ten no trumps (520)", {{SUIT_NOTRUMPS, 10}, kPass, kPass}, SUIT_NOTRUMPS, "00000", "00000", false},
    };
    for (const AuctionCase& c : cases) {
        SCOPED_TRACE(c.what);
        TearDown();
        SetUp();
        LocalTurnAfter(c.bids);
        panel->SelectSuit(c.suit);
        EXPECT_TRUE(panel->ButtonArea()->IsVisible());
        EXPECT_EQ(c.suits, Suits());
        EXPECT_EQ(c.tricks, Tricks());
        EXPECT_EQ(c.misere, panel->MisereButton()->IsEnabled());
        EXPECT_TRUE(panel->PassButton()->IsEnabled());
        // Every count the panel offers can be placed and passes the rules.
        for (int32_t n = 6; n <= 10; ++n) {
            panel->TrickButton(n)->Press();
            const bool offered = panel->TrickButton(n)->IsEnabled();
            EXPECT_EQ(offered, panel->PlaceBidButton()->IsEnabled()) << n << " tricks";
            EXPECT_EQ(offered ? n : 0, panel->selectedCount);
            EXPECT_EQ(offered, TActionBid(1, "", MakeBid(c.suit, n)).IsLegal(S())) << n << " tricks";
        }
    }
}

TEST_F(BiddingTest, ComposingSelectsTilesAndASuitClearsMisere)
{
    LocalTurnAfter({kPass, kPass});
    panel->SuitButton(SUIT_HEARTS)->Press();
    panel->TrickButton(8)->Press();
    EXPECT_TRUE(BidEquals(MakeBid(SUIT_HEARTS, 8), panel->ComposedBid()));
    EXPECT_TRUE(panel->SuitButton(SUIT_HEARTS)->IsSelected());
    EXPECT_TRUE(panel->TrickButton(8)->IsSelected());
    EXPECT_FALSE(panel->MisereButton()->IsSelected());

    panel->MisereButton()->Press();
    EXPECT_TRUE(IsMisereBid(panel->ComposedBid()));
    EXPECT_TRUE(panel->MisereButton()->IsSelected());
    EXPECT_FALSE(panel->SuitButton(SUIT_NOTRUMPS)->IsSelected());
    EXPECT_EQ("00000", Tricks());  // no count with misere

    panel->SuitButton(SUIT_CLUBS)->Press();
    EXPECT_TRUE(BidEquals(MakeBid(SUIT_CLUBS, 0), panel->ComposedBid()));
    EXPECT_FALSE(panel->PlaceBidButton()->IsEnabled());
}

TEST_F(BiddingTest, PlaceBidSubmitsTheComposedBidForTheLocalSeatOnce)
{
    LocalTurnAfter({{SUIT_SPADES, 7}, kPass, kPass});
    panel->SuitButton(SUIT_DIAMONDS)->Press();
    panel->TrickButton(7)->Press();
    panel->HandleCommand(nullptr, BIDCMD_PLACE);
    ASSERT_NE(nullptr, Queued());
    EXPECT_EQ(1, Queued()->Seat());
    EXPECT_TRUE(BidEquals(MakeBid(SUIT_DIAMONDS, 7), Queued()->Bid()));
    EXPECT_FALSE(panel->PlaceBidButton()->IsEnabled());
    EXPECT_FALSE(panel->PassButton()->IsEnabled());

    panel->HandleCommand(nullptr, BIDCMD_PLACE);  // again, before the bid is made
    panel->HandleCommand(nullptr, BIDCMD_PASS);
    EXPECT_EQ(1, S().Governor().QueueLength());

    S().ProcessActions();
    EXPECT_EQ(2, S().Bidding().CurrentBidder());
    panel->Update();
    EXPECT_FALSE(panel->ButtonArea()->IsVisible());
    EXPECT_EQ("Waiting for other player...", S().Prompt());
}

TEST_F(BiddingTest, PassStaysLockedUntilTheTurnChanges)
{
    LocalTurnAfter({{SUIT_SPADES, 7}, kPass});
    panel->HandleCommand(nullptr, BIDCMD_PASS);
    ASSERT_NE(nullptr, Queued());
    EXPECT_TRUE(BidEquals(kPass, Queued()->Bid()));
    panel->Update();
    EXPECT_FALSE(panel->PassButton()->IsEnabled());
    EXPECT_TRUE(panel->Locked());
}

// Place Bid takes only a bid worth more than the high bid: the same bid
// again is not enough.
TEST_F(BiddingTest, PlaceBidNeedsMoreThanTheHighBid)
{
    const struct {
        TBid high, composed;
        bool placeable;
    } cases[] = {
        {{SUIT_HEARTS, 8}, {SUIT_HEARTS, 8}, false},   {{SUIT_HEARTS, 8}, {SUIT_NOTRUMPS, 8}, true},
        {{SUIT_SPADES, 6}, {SUIT_SPADES, 6}, false},   {{SUIT_SPADES, 6}, {SUIT_CLUBS, 6}, true},
        {{SUIT_NOTRUMPS, 7}, {SUIT_HEARTS, 7}, false}, {{SUIT_CLUBS, 10}, {SUIT_CLUBS, 10}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(BidText(c.high) + " against " + BidText(c.composed));
        TearDown();
        SetUp();
        LocalTurnAfter({c.high, kPass, kPass});
        panel->selectedSuit = c.composed.suit;
        panel->selectedCount = c.composed.count;
        panel->Refresh();
        EXPECT_EQ(c.placeable, panel->PlaceBidButton()->IsEnabled());
        panel->HandleCommand(nullptr, BIDCMD_PLACE);
        EXPECT_EQ(c.placeable, Queued() != nullptr);
    }
}

TEST_F(BiddingTest, ABidThatDoesNotBeatTheHighBidCannotBePlaced)
{
    LocalTurnAfter({{SUIT_HEARTS, 8}, kPass, kPass});
    panel->selectedSuit = SUIT_SPADES;
    panel->selectedCount = 8;  // 240 against 300
    panel->Refresh();
    EXPECT_FALSE(panel->PlaceBidButton()->IsEnabled());
    EXPECT_EQ(0, panel->selectedCount);
    panel->HandleCommand(nullptr, BIDCMD_PLACE);
    EXPECT_EQ(nullptr, Queued());
}

TEST_F(BiddingTest, MisereIsOfferedOnlyWhereTheSessionAllowsIt)
{
    struct Case {
        const char* what;
        bool setting;
        std::optional<bool> host;
        bool offered;
    };
    const Case cases[] = {
        {"allowed here", true, std::nullopt, true},
        {"not played here", false, std::nullopt, false},
        {"the host refuses it", true, false, false},
        {"the host plays it", false, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TearDown();
        SetUp();
        settings.SetBool("Variation.Misere", c.setting);
        S().SetHostMisere(c.host);
        LocalTurnAfter({kPass, kPass});
        EXPECT_EQ(c.offered, panel->MisereButton()->IsVisible());
        EXPECT_EQ(c.offered, panel->MisereButton()->IsEnabled());
        panel->selectedSuit = SUIT_NOTRUMPS;
        panel->selectedCount = 5;  // misere composed all the same
        panel->Refresh();
        EXPECT_EQ(c.offered, panel->PlaceBidButton()->IsEnabled());
        panel->HandleCommand(nullptr, BIDCMD_PLACE);
        EXPECT_EQ(c.offered, Queued() != nullptr);
    }
}

TEST_F(BiddingTest, AnotherSeatsTurnOffersNothing)
{
    Auction(3, {kPass});  // seat 4, a computer, is to bid
    S().SetStatus(STATUS_BIDDING);
    panel = NewWindow<TUIBidding>(root.get());
    panel->Arrange();
    EXPECT_FALSE(panel->ButtonArea()->IsVisible());
    EXPECT_EQ("Waiting for other player...", S().Prompt());
    panel->HandleCommand(nullptr, BIDCMD_PASS);
    panel->HandleCommand(nullptr, BIDCMD_PLACE);
    EXPECT_EQ(0, S().Governor().QueueLength());
}

TEST_F(BiddingTest, PromptNamesTheWinnerOnceTheAuctionIsOver)
{
    LocalTurnAfter({{SUIT_HEARTS, 8}, kPass, kPass});
    EXPECT_EQ("Place your bid", S().Prompt());
    S().Bidding().PlaceBid(kPass, "");
    panel->Update();
    const std::string name = S().Players().GetPlayer(2)->Name();
    EXPECT_EQ(name + " WINS: " + BidText(MakeBid(SUIT_HEARTS, 8)), S().Prompt());
    EXPECT_FALSE(panel->ButtonArea()->IsVisible());
}

TEST_F(BiddingTest, PanelSitsAboveTheMiddleOfItsParent)
{
    LocalTurnAfter({kPass});
    // y = min((800 - 380) div 2 - 40, 800 - 380 - 170) - 10
    EXPECT_EQ((TQZRect{(1280 - 635) / 2, 160, (1280 - 635) / 2 + 635, 540}), panel->GetRect());
    EXPECT_EQ("Bidding", panel->caption);
}

}  // namespace
