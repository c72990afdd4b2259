#include "UIAnim.h"
#include "UIAnimCardMove.h"
#include "UIAnimSmoke.h"
#include "UICardset.h"
#include "UIGameBoard.h"
#include "UILabel.h"
#include "UIPlayerIcon.h"
#include "UIPrompt.h"
#include "UIScoreboard2.h"
#include "boardfixture.h"

namespace {

using boardtest::TableSessionTest;

constexpr TQZPoint kCard{71, 96};  // no video: the fallback card size

class BoardTest : public TableSessionTest {
protected:
    // The local player at the seat, computers elsewhere, the view turned so
    // that the local seat is at the bottom.
    void SeatLocal(TSeat local)
    {
        for (TSeat s = 1; s <= 4; ++s) {
            if (s == local) S().Players().GetPlayer(s)->MakeLocal();
            else S().Players().GetPlayer(s)->MakeAI();
        }
        S().SetViewRotation((5 - local) % 4);
    }
    TUIGameBoard* MakeBoard(int32_t w = 1280, int32_t h = 800) { return NewWindow<TUIGameBoard>(Root(w, h)); }
    template <class T> int32_t CountIn(TGUIWindow* host) const
    {
        int32_t n = 0;
        for (int32_t i = 1; i <= host->ChildCount(); ++i) n += dynamic_cast<T*>(host->GetChild(i)) ? 1 : 0;
        return n;
    }
    TUIAnimCardMove* OnlyFlight(TUIGameBoard* board) const
    {
        if (board->AnimHost()->ChildCount() != 1) return nullptr;
        return dynamic_cast<TUIAnimCardMove*>(board->AnimHost()->GetChild(1));
    }
    void Speeds(int32_t deal, int32_t play)
    {
        settings.SetString("Speed.Deal", std::to_string(deal));
        settings.SetString("Speed.Play", std::to_string(play));
    }
};

// Whichever seat is local, its hand is at the bottom and the others follow
// clockwise: left, top, right; the table in the middle.
TEST_F(BoardTest, LocalSeatAtTheBottomAtBothSizes)
{
    for (TQZPoint size : {TQZPoint{1280, 800}, TQZPoint{1920, 1080}}) {
        for (TSeat local = 1; local <= 4; ++local) {
            SeatLocal(local);
            TUIGameBoard* board = MakeBoard(size.x, size.y);
            EXPECT_EQ((TQZRect{0, 0, size.x, size.y}), board->GetRect());
            EXPECT_EQ(BoardSeatRect(BOARD_TABLE, size, kCard), board->GetSeatCards(0)->GetRect());
            for (int32_t k = 0; k < 4; ++k) {
                const TSeat s = NextSeat(local, k + 1);
                const int32_t position = BOARD_BOTTOM + k;
                EXPECT_EQ(position, board->SeatPosition(s));
                TUICardset* hand = board->GetSeatCards(s);
                EXPECT_EQ(BoardSeatRect(position, size, kCard), hand->GetRect()) << size.x << " local " << int(local);
                EXPECT_EQ(BoardSeatLayout(position), hand->layout);
                EXPECT_EQ(BoardIconRect(position, hand->GetRect(), size.x), board->PlayerIcon(s)->GetRect());
                EXPECT_EQ(s == local, hand->interactive);
                EXPECT_EQ(s == local, hand->faceUp);
                EXPECT_EQ(s == local, board->NameLabel(s) == nullptr);
            }
            // The prompt sits above the local hand (wider than 504 at both sizes).
            EXPECT_EQ(TUIPrompt::PromptRect(board->GetSeatCards(local)->GetRect()), board->Prompt()->GetRect());
            EXPECT_EQ(ScoreboardLayout(size.x, size.y).rect, board->Scoreboard()->GetRect());
            root.reset();
        }
    }
}

TEST_F(BoardTest, ANewViewRotationRebuildsTheBoard)
{
    SeatLocal(1);
    TUIGameBoard* board = MakeBoard();
    ASSERT_EQ(BOARD_BOTTOM, board->SeatPosition(1));
    SeatLocal(3);
    root->UpdateTree();
    EXPECT_EQ(2, board->ViewRotation());
    EXPECT_EQ(BOARD_BOTTOM, board->SeatPosition(3));
    EXPECT_EQ(BoardSeatRect(BOARD_BOTTOM, {1280, 800}, kCard), board->GetSeatCards(3)->GetRect());
    EXPECT_EQ(BoardSeatRect(BOARD_TOP, {1280, 800}, kCard), board->GetSeatCards(1)->GetRect());
    EXPECT_TRUE(board->GetSeatCards(3)->interactive);
    EXPECT_FALSE(board->GetSeatCards(1)->interactive);
}

TEST_F(BoardTest, HooksAreSetOnCreateAndClearedOnDestroy)
{
    TUIGameBoard* board = MakeBoard();
    EXPECT_TRUE(board->HasSessionHooks());
    TGUIWindow::Free(board);
    EXPECT_FALSE(S().CardMoveHook());
    EXPECT_FALSE(S().CardPlayedHook());

    // Without hooks the session still moves cards (no flights, no crash).
    Speeds(100, 100);
    S().NewHand([] {
        TCardset d;
        d.FillDeck();
        return d.ToText();
    }());
    const TCard card = S().Deck().Get(1);
    S().MoveCard(2, card, MOVE_DEAL);
    timers.Tick(200);
    EXPECT_TRUE(S().HandOf(2).Contains(card));
}

// The next screen's board may be made before the last one is freed: the
// old board must not take the new board's hooks away with it.
TEST_F(BoardTest, AnOldBoardLeavesANewBoardsHooks)
{
    TGUIWindow* r = Root(1280, 800);
    TUIGameBoard* old = NewWindow<TUIGameBoard>(r);
    TUIGameBoard* next = NewWindow<TUIGameBoard>(r);
    EXPECT_FALSE(old->HasSessionHooks());
    TGUIWindow::Free(old);
    EXPECT_TRUE(next->HasSessionHooks());
}

TEST_F(BoardTest, DealtCardsFlyFromTheTableToTheHand)
{
    SeatLocal(1);
    Speeds(120, 300);
    TUIGameBoard* board = MakeBoard();
    TCardset deck;
    deck.FillDeck();
    S().NewHand(deck.ToText());
    const TCard card = S().Deck().Get(S().Deck().Count());
    TUICardset* table = board->GetSeatCards(0);
    S().MoveCard(3, card, MOVE_DEAL);

    TUIAnimCardMove* flight = OnlyFlight(board);
    ASSERT_NE(nullptr, flight);
    EXPECT_TRUE(board->IsAnimating());
    EXPECT_EQ(card, flight->card);
    EXPECT_FLOAT_EQ(0.12f, flight->duration);
    EXPECT_NE(0u, flight->timerId);  // the flight's end lands the card
    const TQZRect last = table->CalcCardPositions(table->DrawOrder(table->Count()));
    EXPECT_EQ((TQZPoint{last.left, last.top}), flight->from);
    EXPECT_EQ(board->GetSeatCards(3)->GetCardOrigin(), flight->to);
    EXPECT_FALSE(flight->faceUp);  // a computer's hand
    EXPECT_FALSE(flight->fadeOut);
}

TEST_F(BoardTest, PlayedCardsFlyToTheSeatsPlaceOnTheTable)
{
    SeatLocal(1);
    Speeds(120, 300);
    TUIGameBoard* board = MakeBoard();
    TCardset hand;
    for (TCard c : {3, 5, 16}) hand.Add(c);
    S().HandOf(2) = hand;
    root->UpdateTree();  // the hand is laid out once
    const TQZRect place = board->GetSeatCards(2)->CalcCardPositions(2);
    S().MoveCard(2, 5, MOVE_PLAY);

    TUIAnimCardMove* flight = OnlyFlight(board);
    ASSERT_NE(nullptr, flight);
    EXPECT_EQ((TQZPoint{place.left, place.top}), flight->from);
    const TQZRect target = board->GetSeatCards(0)->CalcCardPositions(2);
    EXPECT_EQ((TQZPoint{target.left, target.top}), flight->to);
    EXPECT_TRUE(flight->faceUp);
    EXPECT_FALSE(flight->fadeOut);
}

TEST_F(BoardTest, DiscardsFadeIntoTheTable)
{
    SeatLocal(1);
    Speeds(120, 300);
    TUIGameBoard* board = MakeBoard();
    TCardset hand;
    for (TCard c : {3, 4, 6}) hand.Add(c);
    S().HandOf(1) = hand;
    root->UpdateTree();
    const TQZRect place = board->GetSeatCards(1)->CalcCardPositions(3);
    S().MoveCard(1, 6, MOVE_DISCARD);
    TUIAnimCardMove* flight = OnlyFlight(board);
    ASSERT_NE(nullptr, flight);
    EXPECT_EQ((TQZPoint{place.left, place.top}), flight->from);
    EXPECT_EQ(board->GetSeatCards(0)->GetCardOrigin(), flight->to);
    EXPECT_TRUE(flight->fadeOut);
}

TEST_F(BoardTest, InstantMovesFlyNothing)
{
    TUIGameBoard* board = MakeBoard();
    timers.SetImmediate(true);
    TCardset deck;
    deck.FillDeck();
    S().NewHand(deck.ToText());
    S().MoveCard(2, S().Deck().Get(1), MOVE_DEAL);
    EXPECT_EQ(0, board->AnimHost()->ChildCount());
    EXPECT_FALSE(board->IsAnimating());
}

TEST_F(BoardTest, TrumpingInPuffsSmokeWhenTheEffectIsOn)
{
    TUIGameBoard* board = MakeBoard();
    board->OnCardPlayed(2, true);
    EXPECT_EQ(0, CountIn<TUIAnimSmoke>(board->AnimHost()));
    settings.SetString(kTrumpEffectKey, "true");
    board->OnCardPlayed(2, false);
    EXPECT_EQ(0, CountIn<TUIAnimSmoke>(board->AnimHost()));
    board->OnCardPlayed(2, true);
    EXPECT_EQ(1, CountIn<TUIAnimSmoke>(board->AnimHost()));
}

// Card commands reach the screen only from the local player's hand: a set
// of a computer's seat never speaks for it, whatever it sends.
TEST_F(BoardTest, CardCommandsOnlyFromTheLocalHand)
{
    SeatLocal(1);
    TUIGameBoard* board = MakeBoard();
    for (TSeat s = 2; s <= 4; ++s) board->GetSeatCards(s)->SendCommand(GUICMD_CARD + 1);
    EXPECT_EQ(0, root->QueuedCommandCount());
    board->GetSeatCards(1)->SendCommand(GUICMD_CARD + 1);
    TGUIWindow* sender = nullptr;
    int32_t id = 0;
    ASSERT_TRUE(root->PopCommand(sender, id));
    EXPECT_EQ(GUICMD_CARD + 1, id);
    EXPECT_EQ(board->GetSeatCards(1), sender);
    // Other commands pass whatever sends them.
    board->GetSeatCards(3)->SendCommand(GUICMD_BACK);
    EXPECT_EQ(1, root->QueuedCommandCount());
}

// In trick play with a computer to play, clicking the local hand or a
// computer's hand sends nothing.
TEST_F(BoardTest, ClicksWhileAComputerIsToPlaySendNothing)
{
    SeatLocal(1);
    TCardset h1, h2;
    for (TCard c : {5, 6, 7}) h1.Add(c);
    for (TCard c : {18, 19, 20}) h2.Add(c);
    S().NewHand([] {
        TCardset d;
        d.FillDeck();
        return d.ToText();
    }());
    S().Bidding().SetOpeningSeat(2);
    S().Bidding().Reset();
    S().StartBidding();
    S().Bidding().PlaceBid({SUIT_NOTRUMPS, 6}, "");
    for (int i = 0; i < 3; ++i) S().Bidding().PlaceBid({SUIT_SPADES, 1}, "");
    S().CompleteBidding();
    S().HandOf(1) = h1;
    S().HandOf(2) = h2;
    S().Deck().Clear();
    S().StartPlay();  // seat 2 leads
    S().SetStatus(STATUS_PLAYING);
    screen.id = STATE_GAME;
    ASSERT_EQ(2, S().Tricks().SeatToPlay());

    TUIGameBoard* board = MakeBoard();
    settings.SetString("Debug.Reveal", "true");
    root->UpdateTree();
    for (TSeat s : {TSeat(1), TSeat(2)}) {
        TUICardset* set = board->GetSeatCards(s);
        const TQZRect card = set->CalcCardPositions(1);
        const TQZRect at = set->GetScreenRect();
        set->MouseDown({card.left - at.left + 3, card.top - at.top + 3});
    }
    EXPECT_EQ(0, root->QueuedCommandCount());
    EXPECT_EQ(3, S().HandOf(2).Count());
    EXPECT_FALSE(S().MoveInProgress());

    // The same click on the local hand once it is the local player's turn.
    S().Tricks().StartTrick(1);
    TUICardset* local = board->GetSeatCards(1);
    const TQZRect card = local->CalcCardPositions(1);
    const TQZRect at = local->GetScreenRect();
    local->MouseDown({card.left - at.left + 3, card.top - at.top + 3});
    EXPECT_EQ(1, root->QueuedCommandCount());
}

}  // namespace
