// The result screens with two people at the table (the bar of who has
// continued, the Continue button pressed once), a misere hand in which the
// declarer's partner sits out, and the warning before a trump is discarded
// from the kitty. With VQ_TABLE_FRAMES set to a folder the result screens
// are written there as PNG files to look at.
#include "tablescreens.h"

#include "UIButton.h"
#include "UICardset.h"
#include "UIContinueBar.h"
#include "UIGameBoard.h"
#include "UIPlayerIcon.h"
#include "UIToast.h"
#include "stateBidComplete.h"
#include "stateGameWin.h"
#include "stateHandWin.h"

#include <algorithm>
#include <functional>

namespace {

class TContinues : public TQZClass {
public:
    void OnAction(TGovernAction* action)
    {
        if (action && action->Type() == ACTION_CONTINUE && action->Seat() == seat) ++count;
    }
    TSeat seat = 0;
    int32_t count = 0;
};

class ResultScreens : public shelltest::TableScreens {
protected:
    void TearDown() override
    {
        if (Session) Session->Governor().RemoveListener(MakeMethod<&TContinues::OnAction>(&continues));
        TableScreens::TearDown();
    }

    // The frame's pixels in a rectangle, row by row.
    static std::vector<uint32_t> Pixels(const TQZRect& r)
    {
        std::shared_ptr<plat::softgpu::Surface> back;
        Direct3DDevice()->Device()->GetBackBuffer(0, 0, back);
        std::vector<uint32_t> out;
        for (int32_t y = r.top; y < r.bottom; ++y)
            for (int32_t x = r.left; x < r.right; ++x) out.push_back(back->PixelAt(x, y) & 0xFFFFFF);
        return out;
    }
    // Mean difference per colour channel (0..255) of two equal areas.
    static double Difference(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b)
    {
        if (a.size() != b.size() || a.empty()) return 255;
        double sum = 0;
        for (size_t i = 0; i < a.size(); ++i)
            for (int32_t shift : {0, 8, 16})
                sum += std::abs(int32_t((a[i] >> shift) & 0xFF) - int32_t((b[i] >> shift) & 0xFF));
        return sum / double(a.size() * 3);
    }
    // Where the continue marker of the bar's icon is drawn.
    static TQZRect MarkerRect(TUIContinueBar* bar, TSeat seat)
    {
        const TQZRect r = bar->Icon(seat)->GetScreenRect();
        const int32_t x = (r.left + r.right) / 2 - 26, y = r.bottom - 22;
        return {x, y, x + 51, y + 22};
    }
    // Continue bars anywhere on screen.
    static int32_t VisibleBars(TGUIWindow* w)
    {
        int32_t n = w && dynamic_cast<TUIContinueBar*>(w) && w->IsVisible() ? 1 : 0;
        for (int32_t i = 0; w && i < w->ChildCount(); ++i) n += VisibleBars(w->GetChild(i));
        return n;
    }

    // On a result screen with the local person alone: no bar. Seat 3 becomes
    // another person's: the bar shows the four seats, the computer seats
    // marked. The local button continues once and its marker turns on; the
    // screen waits for seat 3, then leaves and the bar goes with it.
    void CheckContinueBar(int32_t screen, const std::string& frame, const std::function<TUIButton*()>& button)
    {
        ASSERT_EQ(screen, CurrentId());
        auto* table = dynamic_cast<TStateTable*>(StateEngine->Current());
        ASSERT_NE(nullptr, table);
        Step();
        ASSERT_EQ(screen, CurrentId());
        TUIContinueBar* bar = table->ContinueBar();
        ASSERT_NE(nullptr, bar);
        EXPECT_FALSE(bar->IsVisible()) << "one person at the table";
        Render(frame + "-alone");
        const TQZRect area = bar->GetScreenRect();
        const std::vector<uint32_t> without = Pixels(area);

        S().Players().GetPlayer(3)->MakeRemote(9, TPlayerGUID{}, "Remote");
        Step();
        ASSERT_EQ(screen, CurrentId());
        EXPECT_TRUE(bar->IsVisible());
        Render(frame);
        EXPECT_GT(Difference(without, Pixels(area)), 20.0) << "the bar is drawn";
        const std::vector<uint32_t> localOff = Pixels(MarkerRect(bar, Local()));
        const std::vector<uint32_t> computerOn = Pixels(MarkerRect(bar, 2));
        EXPECT_GT(Difference(localOff, computerOn), 10.0);
        EXPECT_LT(Difference(Pixels(MarkerRect(bar, 3)), localOff), 2.0) << "seat 3 has not continued either";

        continues.seat = Local();
        S().Governor().AddListener(MakeMethod<&TContinues::OnAction>(&continues));
        TUIButton* pressed = button();
        ASSERT_NE(nullptr, pressed);
        ASSERT_TRUE(pressed->IsEnabled());
        Click(pressed);
        Click(pressed);
        engine->Root()->DispatchKey(' ');
        for (int32_t i = 0; i < 10; ++i) Step();
        EXPECT_EQ(1, continues.count) << "continued once";
        EXPECT_TRUE(S().Players().GetPlayer(Local())->Continued());
        EXPECT_FALSE(pressed->IsEnabled());
        ASSERT_EQ(screen, CurrentId()) << "seat 3 has not continued";
        Render(frame + "-pressed");
        EXPECT_LT(Difference(Pixels(MarkerRect(bar, Local())), computerOn), 2.0) << "the local marker is on";

        // The screen and its bar are freed once left: where it stood is kept.
        const TQZRect localMarker = MarkerRect(bar, Local());
        S().Governor().Submit(std::make_unique<TActionContinue>(3));
        Step();
        EXPECT_NE(screen, CurrentId());
        EXPECT_EQ(0, VisibleBars(engine->Root()));
        Render(frame + "-left");
        EXPECT_GT(Difference(localOff, Pixels(localMarker)), 10.0);
    }

    TContinues continues;
};

TEST_F(ResultScreens, TheBidResultShowsWhoHasContinued)
{
    SetSetting("Gameplay.WaitAfterBid", "true");
    Command(5);
    ASSERT_TRUE(RunUntil(STATE_BIDDING));
    SettleAuction(2, {SUIT_HEARTS, 7});
    ASSERT_TRUE(RunUntil(STATE_BIDCOMPLETE));
    CheckContinueBar(STATE_BIDCOMPLETE, "result-bidcomplete", [] {
        return static_cast<TBidCompleteGUI*>(StateEngine->Current()->Window())->ContinueButton();
    });
    EXPECT_TRUE(RunUntil(STATE_KITTY, 50));
}

TEST_F(ResultScreens, TheHandResultShowsWhoHasContinued)
{
    SetSetting("Debug.AutoPlay", "true");
    Command(5);
    ASSERT_TRUE(RunUntil(STATE_HANDWIN, 100000));
    // From here the local seat is a person's.
    SetSetting("Debug.AutoPlay", "false");
    CheckContinueBar(STATE_HANDWIN, "result-handwin", [] {
        return static_cast<THandWinGUI*>(StateEngine->Current()->Window())->ContinueButton();
    });
}

TEST_F(ResultScreens, TheGameWonScreenShowsWhoHasContinued)
{
    Command(5);
    ASSERT_TRUE(RunUntil(STATE_BIDDING));
    ASSERT_TRUE(StateEngine->PushById(STATE_GAMEWIN, true, TeamOfSeat(Local())));
    // The title and the fireworks are not hidden under the table's cards.
    auto* won = static_cast<TStateGameWin*>(StateEngine->Current());
    auto* gui = static_cast<TGameWinGUI*>(won->Window());
    ASSERT_NE(nullptr, gui->Fireworks());
    EXPECT_GT(gui->Title()->GetIndex(), won->Board()->GetIndex());
    EXPECT_GT(gui->Fireworks()->GetParent()->GetIndex(), won->Board()->GetIndex());
    CheckContinueBar(STATE_GAMEWIN, "result-gamewin", [] {
        return static_cast<TGameWinGUI*>(StateEngine->Current()->Window())->FinishButton();
    });
}

TEST_F(ResultScreens, InMisereTheDeclarersPartnerSitsOutAndEachTrickHasThreeCards)
{
    SetSetting("Debug.AutoPlay", "true");
    Command(5);
    ASSERT_TRUE(RunUntil(STATE_BIDDING));
    const TSeat declarer = 2, partner = PartnerOf(declarer);
    SettleAuction(declarer, BID_MISERE);
    ASSERT_TRUE(RunUntil(STATE_BIDCOMPLETE));
    EXPECT_TRUE(Logged("Sitting out player " + S().Players().GetPlayer(partner)->Name()));
    ASSERT_TRUE(RunUntil(STATE_KITTY));
    EXPECT_EQ(0, S().HandOf(partner).Count()) << "the partner's ten cards are discarded first";
    int32_t tricks = 0;
    bool looked = false;
    for (int32_t guard = 0; guard < 50000 && CurrentId() != STATE_HANDWIN; ++guard) {
        Step();
        if (CurrentId() != STATE_GAME || S().Status() != STATUS_PLAYING) continue;
        auto* board = static_cast<TStateTable*>(StateEngine->Current())->Board();
        ASSERT_NE(nullptr, board);
        EXPECT_EQ(0, board->GetSeatCards(partner)->Count());
        EXPECT_NE(partner, S().Tricks().SeatToPlay());
        // The table's four places: a card or 0.
        int32_t onTable = 0;
        for (int32_t i = 1; i <= S().Deck().Count(); ++i) onTable += S().Deck().Get(i) != 0 ? 1 : 0;
        EXPECT_LE(onTable, 3);
        if (S().Tricks().TrickComplete() && onTable == 3 && !looked) {
            // The trick in the middle: three cards, none from the partner.
            EXPECT_EQ(0, S().Tricks().CurrentTrickRef().Card(partner));
            EXPECT_EQ(board->TableCards()->Cards(), &S().Deck());
            Render("misere-trick");
            looked = true;
        }
        if (S().Tricks().TrickComplete()) tricks = S().Tricks().Current();
    }
    ASSERT_EQ(STATE_HANDWIN, CurrentId());
    EXPECT_TRUE(looked);
    EXPECT_EQ(10, tricks);
    EXPECT_EQ(10, S().Tricks().TricksWon(1) + S().Tricks().TricksWon(2));
    EXPECT_EQ(0, S().HandOf(partner).Count());
}

TEST_F(ResultScreens, TheTrumpWarningShowsOnceAndTheSecondClickDiscards)
{
    SetSetting("Gameplay.Discardwarning", "true");
    const std::string warning =
        "*Discarding Trump warning*<HR>click again to continue<BR>(you can disable this warning in Game Options)";
    Command(5);
    ASSERT_TRUE(RunUntil(STATE_BIDDING));
    // Trumps are the suit of the local player's first card.
    const TCardset& hand = S().HandOf(Local());
    TSuit trump = SUIT_SPADES;
    for (int32_t i = 1; i <= hand.Count(); ++i)
        if (!IsJoker(hand.Get(i))) {
            trump = CardSuit(hand.Get(i));
            break;
        }
    SettleAuction(Local(), {trump, 7});
    ASSERT_TRUE(RunUntil(STATE_KITTY));
    auto* kitty = static_cast<TStateKitty*>(StateEngine->Current());
    for (int32_t i = 0; i < 2000 && kitty->Phase() != 1; ++i) Step();
    ASSERT_EQ(1, kitty->Phase());
    ASSERT_EQ(13, hand.Count());
    auto position = [&](bool trumps, int32_t skip) {
        for (int32_t i = 1; i <= hand.Count(); ++i)
            if (IsTrumpCard(hand.Get(i), trump) == trumps && skip-- == 0) return i;
        return 0;
    };
    auto warnings = [&] { return std::count(admin.begin(), admin.end(), warning); };
    // A side card goes at once.
    const int32_t side = position(false, 0);
    ASSERT_NE(0, side);
    const TCard sideCard = hand.Get(side);
    Command(GUICMD_CARD + side);
    Step();
    EXPECT_EQ(0, warnings());
    EXPECT_FALSE(hand.Contains(sideCard));
    // The first trump warns and stays.
    const int32_t first = position(true, 0);
    ASSERT_NE(0, first);
    const TCard trumpCard = hand.Get(first);
    Command(GUICMD_CARD + first);
    Step();
    EXPECT_EQ(1, warnings());
    EXPECT_EQ(0, S().Governor().CountActions(ACTION_DISCARD));
    EXPECT_TRUE(hand.Contains(trumpCard));
    EXPECT_TRUE(engine->Toast()->IsVisible());
    paintFrames = true;
    for (int32_t i = 0; i < 30; ++i) Step();
    paintFrames = false;
    EXPECT_TRUE(hand.Contains(trumpCard));
    Render("kitty-trump-warning");
    // The second click on it discards it; the next trump goes without a word.
    Command(GUICMD_CARD + first);
    Step();
    EXPECT_FALSE(hand.Contains(trumpCard));
    if (const int32_t next = position(true, 0); next != 0) {
        const TCard nextCard = hand.Get(next);
        Command(GUICMD_CARD + next);
        Step();
        EXPECT_FALSE(hand.Contains(nextCard));
    }
    EXPECT_EQ(1, warnings());
}

// The prompts the local declarer reads while discarding: one for each card
// still to go, then the next step's, never a count of none.
TEST_F(ResultScreens, TheDiscardPromptCountsDownAndEndsWithTheNextStep)
{
    Command(5);
    ASSERT_TRUE(RunUntil(STATE_BIDDING));
    SettleAuction(Local(), {SUIT_NOTRUMPS, 7});
    ASSERT_TRUE(RunUntil(STATE_KITTY));
    auto* kitty = static_cast<TStateKitty*>(StateEngine->Current());
    for (int32_t i = 0; i < 2000 && kitty->Phase() != 1; ++i) Step();
    ASSERT_EQ(1, kitty->Phase());
    std::vector<std::string> prompts{S().Prompt()};
    for (int32_t guard = 0; guard < 2000 && CurrentId() != STATE_GAME; ++guard) {
        if (CurrentId() == STATE_KITTY && S().HandOf(Local()).Count() > 10 && S().Governor().QueueLength() == 0)
            Command(GUICMD_CARD + 1);
        Step();
        if (prompts.back() != S().Prompt()) prompts.push_back(S().Prompt());
    }
    ASSERT_EQ(STATE_GAME, CurrentId());
    for (int32_t i = 0; i < 20; ++i) {
        Step();
        if (prompts.back() != S().Prompt()) prompts.push_back(S().Prompt());
    }
    prompts.erase(std::remove(prompts.begin(), prompts.end(), std::string()), prompts.end());
    ASSERT_GE(prompts.size(), 3u);
    EXPECT_EQ((std::vector<std::string>{"Discard 3 card(s)", "Discard 2 card(s)", "Discard 1 card(s)"}),
              std::vector<std::string>(prompts.begin(), prompts.begin() + 3));
    EXPECT_EQ(0, std::count(prompts.begin(), prompts.end(), "Discard 0 card(s)"));
}

// The hand's result shows the deck gathered face down from its first frame:
// the frame drawn right after the last trick shows no card face that was
// never played.
TEST_F(ResultScreens, TheHandResultNeverShowsTheDeckFaceUp)
{
    SetSetting("Debug.AutoPlay", "true");
    Command(5);
    ASSERT_TRUE(RunUntil(STATE_HANDWIN, 100000));
    auto* table = static_cast<TStateTable*>(StateEngine->Current());
    ASSERT_NE(nullptr, table->Board());
    TUICardset* deck = table->Board()->GetSeatCards(0);
    ASSERT_NE(nullptr, deck);
    EXPECT_EQ(43, deck->Count());
    EXPECT_FALSE(deck->faceUp) << "the frame drawn now";
    Step();
    EXPECT_FALSE(deck->faceUp);
}

}  // namespace
