#include "UICardset.h"

#include "tablefixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace {

using tabletest::TableFixture;

constexpr TQZPoint kCard{71, 96};  // the fallback size: no video manager here

// ---------------------------------------------------------------- steps

struct StepCase {
    int32_t layout;
    TQZPoint area, card;
    int32_t count;
    TQZPoint step;
};

TEST(CardsetStep, FollowsTheLayoutAndSpreadsAtLeastNine)
{
    const StepCase cases[] = {
        {CARDSET_FAN, {600, 96}, {80, 96}, 10, {40, 0}},     // half a card is the widest step
        {CARDSET_FAN, {400, 96}, {80, 96}, 10, {32, 0}},     // (400 - 80) div 10
        {CARDSET_FAN, {400, 96}, {80, 96}, 3, {35, 0}},      // few cards stay close: div 9
        {CARDSET_COLUMN, {80, 500}, {80, 96}, 12, {0, 33}},  // (500 - 96) div 12
        {CARDSET_COLUMN, {80, 900}, {80, 96}, 12, {0, 48}},
        {CARDSET_CIRCLE, {160, 192}, {80, 96}, 4, {40, 33}},  // the two radii
    };
    for (const StepCase& c : cases) {
        const TQZPoint step = CardsetStep(c.layout, c.area, c.card, c.count);
        EXPECT_EQ(c.step, step) << "layout " << c.layout << " count " << c.count;
    }
}

// ---------------------------------------------------------------- layout

class CardsetTest : public TableFixture {
public:
    TUICardset* Make(const TQZRect& rect, int32_t layout, const TCardset* cards)
    {
        return NewWindow<TUICardset>(rect, root.get(), layout, cards);
    }
    static TQZPoint TopLeft(const TQZRect& r) { return {r.left, r.top}; }
    static TQZPoint Centre(const TQZRect& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }
    // A point on the visible part of the card at the position, relative to the set.
    static TQZPoint On(const TUICardset* set, int32_t position)
    {
        const TQZRect r = set->CalcCardPositions(position), s = set->GetScreenRect();
        return {r.left + 3 - s.left, r.top + 3 - s.top};
    }

    TCardset ten = Set({3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
};

TEST_F(CardsetTest, FanCentresItsBlockAndStepsRight)
{
    TUICardset* set = Make({340, 694, 940, 790}, CARDSET_FAN, &ten);
    // Step min((600 - 71) div 10, 35) = 35; block 9 * 35 + 71 = 386 wide.
    const int32_t left = 340 + (600 - 386) / 2;
    EXPECT_EQ((TQZRect{left, 694, left + 71, 790}), set->CalcCardPositions(1));
    EXPECT_EQ((TQZPoint{left + 9 * 35, 694}), TopLeft(set->CalcCardPositions(10)));
    EXPECT_EQ((TQZPoint{340 + (600 - 71) / 2, 694}), set->GetCardOrigin());
}

TEST_F(CardsetTest, ColumnStepsDownAndLiftsSideways)
{
    TUICardset* set = Make({10, 50, 81, 550}, CARDSET_COLUMN, &ten);
    // Step min((500 - 96) div 10, 48) = 40; block 9 * 40 + 96 = 456 high.
    const int32_t top = 50 + (500 - 456) / 2;
    EXPECT_EQ((TQZPoint{10, top}), TopLeft(set->CalcCardPositions(1)));
    EXPECT_EQ((TQZPoint{10, top + 2 * 40}), TopLeft(set->CalcCardPositions(3)));
}

TEST_F(CardsetTest, CircleLaysEachSeatsCardTowardsItsPlayer)
{
    TCardset table;
    table.ResetTable();
    for (TSeat s = 1; s <= 4; ++s) table.SetAt(s, 3 + s);
    const TQZRect rect{640 - kCard.x, 400 - kCard.y, 640 + kCard.x, 400 + kCard.y};
    TUICardset* set = Make(rect, CARDSET_CIRCLE, &table);
    const TQZPoint centre = Centre(rect);
    auto at = [&](int32_t position) { return Centre(set->CalcCardPositions(position)); };
    // Slot 0 below the centre, then left, top and right (the base angle
    // turns the circle a little).
    EXPECT_GT(at(1).y, centre.y + 20);
    EXPECT_LT(at(2).x, centre.x - 20);
    EXPECT_LT(at(3).y, centre.y - 20);
    EXPECT_GT(at(4).x, centre.x + 20);
    EXPECT_EQ((TQZPoint{rect.left - 35 + 71 + int32_t(std::lround(0.1 - std::sin(0.2) * 35)),
                        rect.top + 288 / 3 - 48 + int32_t(std::lround(std::cos(0.2) * 33 + 0.1))}),
              TopLeft(set->CalcCardPositions(1)));

    // Seat 2 at the bottom: the circle turns with the view.
    S().SetViewRotation(3);
    EXPECT_GT(at(2).y, centre.y + 20);
    EXPECT_LT(at(3).x, centre.x - 20);
}

TEST_F(CardsetTest, HitFindsTheTopMostCardAndOnlyCards)
{
    TUICardset* set = Make({340, 694, 940, 790}, CARDSET_FAN, &ten);
    const TQZRect s = set->GetScreenRect();
    const TQZRect third = set->CalcCardPositions(3);
    // Where cards 3 and 4 overlap, 4 (drawn later) is on top.
    EXPECT_EQ(4, set->HitCard({third.right - 5 - s.left, third.top + 5 - s.top}));
    EXPECT_EQ(3, set->HitCard({third.left + 5 - s.left, third.top + 5 - s.top}));
    EXPECT_EQ(0, set->HitCard({2, 2}));  // left of the block
}

TEST_F(CardsetTest, CardsSlideToNewPlacesAndALeftCardIsForgotten)
{
    TCardset hand = Set({3, 4, 5});
    TUICardset* set = Make({340, 694, 940, 790}, CARDSET_FAN, &hand);
    set->Animate(16);
    EXPECT_EQ(set->CalcCardPositions(1), set->CardRect(3));  // unplaced cards jump

    hand.Delete(1);
    set->Animate(16);  // at most trunc(16 / 6 * 1.5 + 0.99) = 4 pixels an edge
    const TQZRect target = set->CalcCardPositions(1), was = set->CardRect(4);
    EXPECT_NE(target, was);
    EXPECT_EQ(TQZRect{}, set->CardRect(3));
    set->Animate(16);
    const TQZRect now = set->CardRect(4);
    EXPECT_EQ(4, std::abs(now.left - was.left));
    EXPECT_EQ(target.top, now.top);

    hand.Add(3);  // back again: starts at its place, not where it left
    set->Animate(16);
    EXPECT_EQ(set->CalcCardPositions(3), set->CardRect(3));
}

TEST_F(CardsetTest, CardUnderThePointerRisesAndOthersSink)
{
    TUICardset* set = Make({340, 694, 940, 790}, CARDSET_FAN, &ten);
    set->interactive = true;
    set->MouseMove(On(set, 2), set);
    for (int i = 0; i < 10; ++i) set->Animate(16);
    EXPECT_EQ(CARDSET_MAX_LIFT, set->Lift(2));
    EXPECT_EQ(0.0f, set->Lift(1));
    EXPECT_EQ(694 - 20, set->CalcCardPositions(2).top);

    set->MouseMove(On(set, 2), root.get());  // the pointer is elsewhere
    EXPECT_EQ((TQZPoint{-1, -1}), set->Pointer());
    set->Animate(6);
    EXPECT_FLOAT_EQ(CARDSET_MAX_LIFT - 1.0f / 3, set->Lift(2));
}

TEST_F(CardsetTest, ASpinningCircleTurnsWithTheClockAndNeverSlides)
{
    TUICardset* set = Make({500, 300, 642, 492}, CARDSET_CIRCLE, &ten);
    set->spinning = true;
    const TQZRect before = set->CalcCardPositions(1);
    ms += 400;  // two radians on
    EXPECT_NE(before, set->CalcCardPositions(1));
    set->Animate(16);
    EXPECT_EQ(TQZRect{}, set->CardRect(3));
}

TEST_F(CardsetTest, FullyRaisedCardComesToTheFrontOnlyWhenAsked)
{
    TUICardset* set = Make({340, 694, 940, 790}, CARDSET_FAN, &ten);
    set->interactive = true;
    set->MouseMove(On(set, 4), set);
    for (int i = 0; i < 10; ++i) set->Animate(16);
    EXPECT_EQ(CARDMARK_NORMAL, set->GetCardMark(4));
    settings.SetBool("Cards.BringToFront", true);
    EXPECT_EQ(CARDMARK_ON_TOP, set->GetCardMark(4));
    EXPECT_EQ(CARDMARK_NORMAL, set->GetCardMark(3));
    EXPECT_FALSE(set->IsRevealed());
    settings.SetBool("Debug.Reveal", true);
    EXPECT_TRUE(set->IsRevealed());
}

// ---------------------------------------------------------------- clicks

// Seat 4 leads a spade; seat 1 (this machine's player) must follow with its
// spade, and its club may not be played.
class CardClickTest : public CardsetTest {
public:
    static constexpr TCard kSpade = 5, kClub = 13 + 6, kLead = 8;

    void SetUp() override
    {
        CardsetTest::SetUp();
        StartPlay(4, {SUIT_HEARTS, 6}, {Set({kSpade, kClub}), Set({26 + 5}), Set({26 + 6}), Set({kLead, 13 + 8})});
        Play(4, kLead);
        S().FinishMoves();
        ASSERT_EQ(1, S().Tricks().SeatToPlay());
        hand = Make({340, 694, 940, 790}, CARDSET_FAN, &S().HandOf(1));
        hand->seat = 1;
        hand->interactive = hand->faceUp = true;
    }
    int32_t PositionOf(TCard card) { return S().HandOf(1).IndexOf(card); }
    void Click(TCard card) { hand->MouseDown(On(hand, PositionOf(card))); }

    TUICardset* hand = nullptr;
};

TEST_F(CardClickTest, OnlyAPlayableCardSendsItsPosition)
{
    EXPECT_EQ(CARDMARK_NOT_ALLOWED, hand->GetCardMark(PositionOf(kClub)));
    EXPECT_EQ(CARDMARK_NORMAL, hand->GetCardMark(PositionOf(kSpade)));

    Click(kClub);
    EXPECT_TRUE(Heard().empty());
    EXPECT_FALSE(hand->IsClickLocked());

    Click(kSpade);
    EXPECT_EQ((std::vector<int32_t>{GUICMD_CARD + PositionOf(kSpade)}), Heard());
    EXPECT_TRUE(hand->IsClickLocked());
    Click(kSpade);  // the same turn again
    EXPECT_TRUE(Heard().empty());
}

TEST_F(CardClickTest, APressOnTheScreenReachesTheOwnerOfTheSet)
{
    const TQZRect r = hand->CalcCardPositions(PositionOf(kSpade));
    TQZMouseEvent press;
    press.button = 1;
    press.down = true;
    press.x = r.left + 3;
    press.y = r.top + 3;
    root->DispatchMouseButton(press);
    EXPECT_EQ((std::vector<int32_t>{GUICMD_CARD + PositionOf(kSpade)}), Heard());
}

TEST_F(CardClickTest, ClicksThatMayNotPlaySendNothing)
{
    struct Case {
        const char* what;
        std::function<void(CardClickTest&)> arrange;
    };
    const Case cases[] = {
        {"a computer plays the seat", [](CardClickTest& t) { t.S().Players().GetPlayer(1)->MakeAI(); }},
        {"another machine's player", [](CardClickTest& t) { t.S().Players().GetPlayer(1)->SetLocalControl(false); }},
        {"not the set's turn", [](CardClickTest& t) { t.hand->seat = 2; }},
        {"not interactive", [](CardClickTest& t) { t.hand->interactive = false; }},
        {"a card still moving", [](CardClickTest& t) {
             t.settings.SetString("Speed.Play", "500");
             t.S().MoveCard(2, 26 + 5, MOVE_PLAY);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TearDown();
        SetUp();
        c.arrange(*this);
        Click(kSpade);
        EXPECT_TRUE(Heard().empty());
    }
}

TEST_F(CardClickTest, OutsideTrickPlayTheClickIsSentAndLogged)
{
    screen.id = STATE_KITTY;
    Click(kSpade);
    EXPECT_EQ((std::vector<int32_t>{GUICMD_CARD + PositionOf(kSpade)}), Heard());
    EXPECT_EQ("ActiveStateiD=10", admin.back());
}

TEST_F(CardClickTest, TheLockHoldsUntilCardsGoOutOfPlay)
{
    hand->SetClickLock(true);
    EXPECT_TRUE(hand->IsClickLocked());
    S().OutOfPlay().Add(kLead);
    EXPECT_FALSE(hand->IsClickLocked());
    hand->SetClickLock(true);
    hand->SetClickLock(false);
    EXPECT_FALSE(hand->IsClickLocked());
}

TEST_F(CardsetTest, TheTableMarksTheCardWinningSoFar)
{
    // Spades are trumps and a club was led: an empty slot (0, a spade by
    // number) must never count as the winning card.
    StartPlay(4, {SUIT_SPADES, 6}, {Set({13 + 5}), Set({26 + 5}), Set({26 + 6}), Set({13 + 8})});
    Play(4, 13 + 8);
    S().FinishMoves();
    TCardset table;
    table.ResetTable();
    table.SetAt(4, 13 + 8);
    table.SetAt(1, 13 + 5);
    TUICardset* middle = Make({500, 300, 642, 492}, CARDSET_CIRCLE, &table);
    middle->seat = CARDSET_TABLE_SEAT;
    EXPECT_EQ(CARDMARK_ON_TOP, middle->GetCardMark(4));
    EXPECT_EQ(CARDMARK_NOT_ALLOWED, middle->GetCardMark(1));
    EXPECT_EQ(CARDMARK_NORMAL, middle->GetCardMark(2));
}

}  // namespace
