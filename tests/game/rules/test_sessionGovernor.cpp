#include "sessionFixture.h"

#include <functional>
#include <map>

namespace {

std::vector<uint8_t> Bytes(std::initializer_list<uint8_t> b) { return b; }

TEST(GovernActionTest, PlayAndBidByteForms)
{
    EXPECT_EQ(TActionPlaycard(3, 52).SaveTo(), Bytes({5, 0, 0, 0, 3, 0x34, 0, 0, 0}));
    EXPECT_EQ(TActionBid(2, "note", {SUIT_HEARTS, 7}).SaveTo(),
              Bytes({3, 0, 0, 0, 2, 3, 0, 0, 0, 7, 0, 0, 0}));  // the note is not sent
    std::vector<uint8_t> hand = TActionNewHand("cardset:{}").SaveTo();
    EXPECT_EQ(hand.size(), 4u + 4u + 10u);
}

TEST(GovernActionTest, DecodingDropsWhatIsNotAWellFormedAction)
{
    TCardset d;
    d.FillDeck();
    struct Row {
        const char* what;
        std::vector<uint8_t> bytes;
        bool decoded;
    } rows[] = {
        {"a play", TActionPlaycard(3, 52).SaveTo(), true},
        {"type 7", Bytes({7, 0, 0, 0, 1}), false},
        {"too short for the type", Bytes({5, 0}), false},
        {"play cut short", Bytes({5, 0, 0, 0, 3, 0x34}), false},
        {"seat 9", Bytes({5, 0, 0, 0, 9, 0x34, 0, 0, 0}), false},
        {"card 2 is not in the deck", Bytes({5, 0, 0, 0, 1, 2, 0, 0, 0}), false},
        {"bid of eleven", TActionBid(1, "", {SUIT_HEARTS, 11}).SaveTo(), false},
        {"bid of suit 9", Bytes({3, 0, 0, 0, 1, 9, 0, 0, 0, 7, 0, 0, 0}), false},
        {"string longer than the bytes", Bytes({2, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0x7F, 'c'}), false},
        {"negative string length", Bytes({2, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}), false},
        {"deck of 42 cards", TActionNewHand("cardset:{3,4,5}").SaveTo(), false},
        {"a full deck", TActionNewHand(d.ToText()).SaveTo(), true},
        {"continue of seat 0", Bytes({6, 0, 0, 0, 0}), false},
    };
    for (const Row& r : rows) {
        auto a = TSessionGovernor::DecodeGovernAction(r.bytes);
        EXPECT_EQ(a != nullptr, r.decoded) << r.what;
    }
    auto a = TSessionGovernor::DecodeGovernAction(TActionPlaycard(3, 52).SaveTo());
    auto* play = dynamic_cast<TActionPlaycard*>(a.get());
    ASSERT_NE(play, nullptr);
    EXPECT_EQ(play->Seat(), 3);
    EXPECT_EQ(play->Card(), 52);
}

class GovernorTest : public SessionTest {
protected:
    // Spades trumps by seat 1; each seat's hand.
    void Spades()
    {
        StartPlay(1, {SUIT_SPADES, 7},
                  {Set({12, 11, 40}), Set({10, 41, 42}), Set({8, 43, 30}), Set({7, 44, 31})});
    }
};

TEST_F(GovernorTest, PlayWaitsWhileTheCardBeforeItIsFlying)
{
    SetSetting("Speed.Play", "100");
    Spades();
    Play(1, 12);
    Play(2, 10);  // queued behind the flight
    EXPECT_EQ(S().Governor().QueueLength(), 1);
    EXPECT_TRUE(S().HandOf(2).Contains(10));
    timers.Tick(100);
    S().ProcessActions();
    EXPECT_EQ(S().Governor().QueueLength(), 0);
    EXPECT_FALSE(S().HandOf(2).Contains(10));
    SetSetting("Speed.Play", "");
}

TEST_F(GovernorTest, OutOfTurnPlayIsRejectedWhenQueuedAndHoldsNothingBack)
{
    Spades();
    Play(3, 8);  // seat 1 leads
    EXPECT_EQ(S().Governor().QueueLength(), 0);
    EXPECT_TRUE(S().HandOf(3).Contains(8));
    Play(1, 12);
    Play(2, 10);
    EXPECT_EQ(S().Tricks().CardsPlayed(), 2);
}

TEST_F(GovernorTest, PlaysMustFollowSuitAndComeFromTheHand)
{
    Spades();
    Play(1, 40);  // the three of hearts... led by seat 1
    Play(2, 10);  // holds hearts: a spade may not be played
    EXPECT_TRUE(S().HandOf(2).Contains(10));
    EXPECT_EQ(S().Tricks().CardsPlayed(), 1);
    Play(2, 42);  // a card it holds, of the led suit
    EXPECT_EQ(S().Tricks().CardsPlayed(), 2);
    Play(3, 52);  // not held
    EXPECT_EQ(S().Tricks().CardsPlayed(), 2);
}

TEST_F(GovernorTest, BidsExecuteOnlyForTheSeatTheyNameAndMustRaise)
{
    S().NewHand(DeckText());
    S().StartBidding();
    screen.id = STATE_BIDDING;
    TSeat first = S().Bidding().CurrentBidder();
    TSeat other = NextSeat(first, 2);
    auto bid = [&](TSeat seat, TBid b) {
        S().Governor().Submit(std::make_unique<TActionBid>(seat, "", b));
        S().ProcessActions();
    };
    bid(other, {SUIT_HEARTS, 7});  // not its turn
    EXPECT_EQ(S().Bidding().GetBid(first).count, 0);
    EXPECT_EQ(S().Bidding().GetBid(other).count, 0);
    bid(first, {SUIT_HEARTS, 7});
    EXPECT_EQ(S().Bidding().GetBid(first).count, 7);
    bid(other, {SUIT_SPADES, 7});  // 140 does not beat 200
    EXPECT_EQ(S().Bidding().CurrentBidder(), other);
    bid(other, BID_MISERE);  // misere is off
    EXPECT_EQ(S().Bidding().CurrentBidder(), other);
    SetSetting("Variation.Misere", "true");
    bid(other, BID_MISERE);
    EXPECT_TRUE(IsMisereBid(S().Bidding().GetBid(other)));
    SetSetting("Variation.Misere", "");
    TSeat third = S().Bidding().CurrentBidder();
    bid(third, {SUIT_SPADES, 1});
    EXPECT_EQ(S().Bidding().GetBid(third).count, 1);
}

TEST_F(GovernorTest, DiscardsComeFromTheDeclarerWhoKeepsTen)
{
    Contract(2, {SUIT_CLUBS, 7});
    for (TSeat s = 1; s <= 4; ++s) S().HandOf(s).Clear();
    for (TCard c = 3; c <= 15; ++c) S().HandOf(2).Add(c);  // 13 cards after the kitty
    for (TCard c = 16; c <= 25; ++c) S().HandOf(3).Add(c);
    S().SetStatus(STATUS_KITTY);
    screen.id = STATE_KITTY;
    auto discard = [&](TSeat seat, TCard card) {
        S().Governor().Submit(std::make_unique<TActionDiscard>(seat, card));
    };
    discard(3, 16);  // not the declarer
    for (TCard c = 3; c <= 6; ++c) discard(2, c);  // the fourth would leave nine
    S().ProcessActions();
    EXPECT_EQ(S().HandOf(3).Count(), 10);
    EXPECT_EQ(S().HandOf(2).Count(), 10);
    EXPECT_TRUE(S().HandOf(2).Contains(6));
}

TEST_F(GovernorTest, InMisereThePartnerDiscardsAllAndTheDeclarerStillKeepsTen)
{
    SetSetting("Variation.Misere", "true");
    Contract(1, BID_MISERE);
    for (TSeat s = 1; s <= 4; ++s) S().HandOf(s).Clear();
    for (TCard c = 3; c <= 15; ++c) S().HandOf(1).Add(c);
    for (TCard c = 16; c <= 25; ++c) S().HandOf(3).Add(c);
    S().SetStatus(STATUS_BID_COMPLETE);
    screen.id = STATE_BIDCOMPLETE;
    for (TCard c = 16; c <= 25; ++c) S().Governor().Submit(std::make_unique<TActionDiscard>(3, c));
    S().ProcessActions();
    EXPECT_EQ(S().HandOf(3).Count(), 0);
    screen.id = STATE_KITTY;
    for (TCard c = 3; c <= 8; ++c) S().Governor().Submit(std::make_unique<TActionDiscard>(1, c));
    S().ProcessActions();
    EXPECT_EQ(S().HandOf(1).Count(), 10);
    SetSetting("Variation.Misere", "");
}

struct Listener {
    int calls = 0;
    void Heard(TGovernAction*) { ++calls; }
};

TEST_F(GovernorTest, RemovingAListenerLeavesOtherObjectsListening)
{
    Listener a, b;
    S().Governor().AddListener(MakeMethod<&Listener::Heard>(&a));
    S().Governor().AddListener(MakeMethod<&Listener::Heard>(&b));
    S().Governor().RemoveListener(MakeMethod<&Listener::Heard>(&a));
    S().Governor().Submit(std::make_unique<TActionNewGame>(2));
    S().ProcessActions();
    EXPECT_EQ(a.calls, 0);
    EXPECT_EQ(b.calls, 1);
}

TEST_F(GovernorTest, ContinueWaitsForAResultScreen)
{
    screen.id = STATE_GAME;
    S().Governor().Enqueue(std::make_unique<TActionContinue>(1));
    EXPECT_EQ(S().Governor().QueueLength(), 0) << "not acceptable outside the result screens";
    screen.id = STATE_HANDWIN;
    S().Governor().Submit(std::make_unique<TActionContinue>(1));
    screen.id = STATE_GAME;
    S().ProcessActions();
    EXPECT_EQ(S().Governor().QueueLength(), 1);
    screen.id = STATE_HANDWIN;
    S().ProcessActions();
    EXPECT_TRUE(S().Players().GetPlayer(1)->Continued());
}

class FakeNetwork : public TMultiplayerLink {
public:
    bool IsSessionActive() const override { return true; }
    bool IsHost() const override { return host; }
    void SendToHost(int32_t id, const std::vector<uint8_t>& b) override { sent.push_back({id, b}); }
    void Broadcast(int32_t id, const std::vector<uint8_t>& b) override { sent.push_back({id, b}); }
    void SubmitAction(const TGovernAction& a) override { sent.push_back({GAMEMSG_ACTION_SUBMITTED, a.SaveTo()}); }
    void BroadcastAction(const TGovernAction& a) override { sent.push_back({GAMEMSG_ACTION_BROADCAST, a.SaveTo()}); }
    void RegisterHandler(int32_t id, THandler h) override { handlers[id] = std::move(h); }
    void SendToPlayer(int32_t party, int32_t id, const std::vector<uint8_t>& b) override
    {
        toPlayer.push_back({party, id, b});
    }
    struct TToPlayer {
        int32_t party, id;
        std::vector<uint8_t> bytes;
    };
    bool host = true;
    std::vector<TToPlayer> toPlayer;
    std::vector<std::pair<int32_t, std::vector<uint8_t>>> sent;
    std::map<int32_t, THandler> handlers;
};

TEST_F(GovernorTest, HostAcceptsOnlyActionsForSeatsTheSenderOwns)
{
    FakeNetwork net;
    SetMultiplayerLink(&net);
    Spades();
    TPlayerGUID guid{};
    S().Players().GetPlayer(2)->MakeRemote(7, guid, "Remote");
    S().Governor().RegisterHandlers();
    Play(1, 12);
    ASSERT_EQ(net.sent.size(), 1u);
    EXPECT_EQ(net.sent[0].first, GAMEMSG_ACTION_BROADCAST);
    net.handlers[GAMEMSG_ACTION_SUBMITTED](TActionPlaycard(2, 10).SaveTo(), 9);  // party 9 is not seat 2
    S().ProcessActions();
    EXPECT_TRUE(S().HandOf(2).Contains(10));
    net.handlers[GAMEMSG_ACTION_SUBMITTED](TActionPlaycard(2, 10).SaveTo(), 7);
    S().ProcessActions();
    EXPECT_FALSE(S().HandOf(2).Contains(10));
    net.handlers[GAMEMSG_ACTION_SUBMITTED](TActionNewGame(1).SaveTo(), 7);  // only the host starts games
    EXPECT_EQ(S().Governor().QueueLength(), 0);
    SetMultiplayerLink(nullptr);
}

TEST_F(GovernorTest, ClientSendsToTheHostAndRunsWhatTheHostBroadcasts)
{
    FakeNetwork net;
    net.host = false;
    SetMultiplayerLink(&net);
    Spades();
    S().Governor().RegisterHandlers();
    Play(1, 12);
    ASSERT_EQ(net.sent.size(), 1u);
    EXPECT_EQ(net.sent[0].first, GAMEMSG_ACTION_SUBMITTED);
    EXPECT_TRUE(S().HandOf(1).Contains(12)) << "nothing runs until the host says so";
    net.handlers[GAMEMSG_ACTION_BROADCAST](net.sent[0].second, 0);
    S().ProcessActions();
    EXPECT_FALSE(S().HandOf(1).Contains(12));
    net.handlers[GAMEMSG_ACTION_BROADCAST](Bytes({5, 0, 0, 0}), 0);  // cut short: dropped
    EXPECT_EQ(S().Governor().QueueLength(), 0);
    SetMultiplayerLink(nullptr);
}

// The host's own checks, each met by an action a client sent: dropped, and
// the client told so (never left waiting for a move that will not come).
class GovernorLegalityTest : public SessionTest {
protected:
    void SetUp() override
    {
        SessionTest::SetUp();
        SetMultiplayerLink(&net);
        S().Governor().RegisterHandlers();
        TPlayerGUID guid{};
        for (TSeat s = 2; s <= 4; ++s) S().Players().GetPlayer(s)->MakeRemote(s, guid, "R" + std::to_string(s));
    }
    void TearDown() override
    {
        SetMultiplayerLink(nullptr);
        SessionTest::TearDown();
    }
    // The seat's client sends the action; the host runs its queue.
    void FromClient(const TGovernAction& action)
    {
        net.handlers[GAMEMSG_ACTION_SUBMITTED](action.SaveTo(), action.Seat());
        S().ProcessActions();
    }
    void ExpectRefused(const TGovernAction& action)
    {
        ASSERT_EQ(net.toPlayer.size(), 1u);
        EXPECT_EQ(net.toPlayer[0].party, action.Seat());
        EXPECT_EQ(net.toPlayer[0].id, GAMEMSG_ACTION_REFUSED);
        std::string reason;
        std::unique_ptr<TGovernAction> back;
        ASSERT_TRUE(UnpackRefusal(net.toPlayer[0].bytes, reason, back));
        EXPECT_EQ(back->SaveTo(), action.SaveTo());
        EXPECT_FALSE(reason.empty());
        for (const auto& [id, bytes] : net.sent) EXPECT_NE(bytes, action.SaveTo()) << "never broadcast";
    }
    // Bids in turn from seat 2, by the host's own queue.
    void Auction(std::initializer_list<TBid> bids)
    {
        S().NewHand(DeckText());
        S().Bidding().SetOpeningSeat(2);
        S().Bidding().Reset();
        S().StartBidding();
        screen.id = STATE_BIDDING;
        for (TBid b : bids) {
            S().Governor().Submit(std::make_unique<TActionBid>(S().Bidding().CurrentBidder(), "", b));
            S().ProcessActions();
        }
        net.sent.clear();
    }
    FakeNetwork net;
};

TEST_F(GovernorLegalityTest, ABidAfterTheAuctionIsOverIsDropped)
{
    Auction({{SUIT_HEARTS, 7}, {SUIT_SPADES, 1}, {SUIT_SPADES, 1}, {SUIT_SPADES, 1}});
    ASSERT_EQ(S().Bidding().SeatsNotPassed(), 1);
    const TSeat last = S().Bidding().CurrentBidder();
    const TBid before = S().Bidding().GetBid(last);
    TActionBid late(last, "", {SUIT_NOTRUMPS, 8});
    FromClient(late);
    EXPECT_TRUE(BidEquals(S().Bidding().GetBid(last), before));
    ExpectRefused(late);
}

TEST_F(GovernorLegalityTest, AnEqualBidIsDropped)
{
    Auction({{SUIT_HEARTS, 7}});
    const TSeat next = S().Bidding().CurrentBidder();
    ASSERT_EQ(next, 3);
    TActionBid equal(next, "", {SUIT_HEARTS, 7});
    FromClient(equal);
    EXPECT_EQ(S().Bidding().CurrentBidder(), next) << "the turn did not move on";
    ExpectRefused(equal);
}

TEST_F(GovernorLegalityTest, ADeclarersDiscardBeyondTheLimitIsDropped)
{
    Contract(2, {SUIT_CLUBS, 7});
    for (TSeat s = 1; s <= 4; ++s) S().HandOf(s).Clear();
    for (TCard c = 3; c <= 13; ++c) S().HandOf(2).Add(c);  // eleven cards
    S().Deck().Clear();
    screen.id = STATE_KITTY;
    FromClient(TActionDiscard(2, 3));
    ASSERT_EQ(S().HandOf(2).Count(), 10);
    net.sent.clear();
    TActionDiscard tooMany(2, 4);
    FromClient(tooMany);
    EXPECT_EQ(S().HandOf(2).Count(), 10);
    EXPECT_TRUE(S().HandOf(2).Contains(4));
    ExpectRefused(tooMany);
}

TEST_F(GovernorLegalityTest, AMisereBidIsDroppedWhileTheHostPlaysWithoutIt)
{
    SetSetting("Variation.Misere", "false");
    Auction({});
    TActionBid misere(S().Bidding().CurrentBidder(), "", BID_MISERE);
    FromClient(misere);
    EXPECT_FALSE(IsMisereBid(S().Bidding().GetBid(misere.Seat())));
    ExpectRefused(misere);
    // A client learns the host's choice with the session: its own setting
    // does not decide what it may offer.
    SetSetting("Variation.Misere", "true");
    S().SetHostMisere(false);
    EXPECT_FALSE(S().MisereAllowed());
    S().SetHostMisere(std::nullopt);
    EXPECT_TRUE(S().MisereAllowed());
}

}  // namespace

namespace {

class GovernorQueueTest : public SessionTest {};

TEST_F(GovernorQueueTest, NewHandOnlyBetweenHandsAndWithAWholeDeck)
{
    screen.id = STATE_GAME;
    S().Governor().Submit(std::make_unique<TActionNewHand>("cardset:{3,4}"));
    S().ProcessActions();
    EXPECT_EQ(S().Status(), STATUS_STARTING);
    S().Governor().Submit(std::make_unique<TActionNewHand>(DeckText()));
    S().ProcessActions();
    EXPECT_EQ(S().Status(), STATUS_DEALING);
    S().Governor().Submit(std::make_unique<TActionNewHand>(DeckText()));
    S().MoveCard(1, S().Deck().Get(43), MOVE_DEAL);
    S().ProcessActions();
    EXPECT_EQ(S().Deck().Count(), 42) << "a hand in progress is not replaced";
}

TEST_F(GovernorQueueTest, ActionsWaitForTheirScreenAndCanBeRemoved)
{
    S().NewHand(DeckText());
    S().StartBidding();
    screen.id = STATE_BIDDING;
    TSeat bidder = S().Bidding().CurrentBidder();
    S().Governor().Submit(std::make_unique<TActionBid>(bidder, "", TBid{SUIT_SPADES, 1}));
    screen.id = STATE_GAME;
    S().ProcessActions();
    EXPECT_EQ(S().Governor().CountActions(ACTION_BID), 1) << "waits for the bidding screen";
    EXPECT_TRUE(S().Governor().IsQueued(TActionBid(bidder, "", TBid{SUIT_SPADES, 1})));
    EXPECT_FALSE(S().Governor().IsQueued(TActionBid(bidder, "", TBid{SUIT_HEARTS, 1})));
    S().Governor().Enqueue(std::make_unique<TActionNewGame>(1));
    S().Governor().RemoveActions(ACTION_BID);
    EXPECT_EQ(S().Governor().QueueLength(), 1);
    S().Governor().RemoveActions(ACTION_NULL);
    EXPECT_EQ(S().Governor().QueueLength(), 0);
}

TEST_F(GovernorQueueTest, DescriptionsNameTheAction)
{
    S().Players().GetPlayer(3)->SetName("Cy");
    EXPECT_EQ(TActionPlaycard(3, 52).Describe(S()), "ACTION_PLAYCARD Cy plays Joker");
    EXPECT_EQ(TActionBid(3, "", {SUIT_HEARTS, 7}).Describe(S()), "ACTION_BID Cy bid 7 Hearts (200 points)");
    EXPECT_EQ(TActionBid(3, "", {SUIT_HEARTS, 1}).Describe(S()), "ACTION_BID Cy passed");
    EXPECT_EQ(TActionContinue(3).Describe(S()), "ACTION_CONTINUE Cy continues");
    EXPECT_EQ(TActionNewGame(1).Describe(S()), "ACTION_NEWGAME");
}

}  // namespace

namespace {

class GovernorTurnTest : public SessionTest {};

TEST_F(GovernorTurnTest, PlaysForTheNextTrickWaitForItsLeaderOnly)
{
    StartPlay(1, {SUIT_SPADES, 7}, {Set({12, 40}), Set({10, 41}), Set({8, 43}), Set({7, 44})});
    Play(1, 12);
    Play(2, 10);
    Play(3, 8);
    Play(4, 7);
    ASSERT_TRUE(S().Tricks().TrickComplete());
    Play(2, 41);  // seat 1 won: seat 2 may not lead
    EXPECT_EQ(S().Governor().QueueLength(), 0);
    Play(1, 40);  // the winner's lead waits for the trick to close
    EXPECT_EQ(S().Governor().QueueLength(), 1);
    S().Tricks().CloseTrick();
    S().ProcessActions();
    EXPECT_EQ(S().Tricks().CurrentTrickRef().Card(1), 40);
}

TEST_F(GovernorTurnTest, AnOutOfTurnPlayThatSlippedInIsDroppedAtTheHead)
{
    StartPlay(1, {SUIT_SPADES, 7}, {Set({12, 40}), Set({10, 41}), Set({8, 43}), Set({7, 44})});
    // Queued directly, as a host's broadcast would be, past the turn check.
    S().Governor().Enqueue(std::make_unique<TActionPlaycard>(3, 8), true);
    S().Governor().Enqueue(std::make_unique<TActionPlaycard>(1, 12), true);
    S().ProcessActions();
    EXPECT_TRUE(S().HandOf(3).Contains(8));
    EXPECT_FALSE(S().HandOf(1).Contains(12)) << "the action behind it ran";
}

}  // namespace

namespace {

class GovernorHostTest : public SessionTest {};

TEST_F(GovernorHostTest, AClientCannotStartAGameEvenForItsOwnSeat)
{
    FakeNetwork net;
    SetMultiplayerLink(&net);
    TPlayerGUID guid{};
    S().Players().GetPlayer(2)->MakeRemote(7, guid, "Remote");
    S().Governor().RegisterHandlers();
    S().SetScore(1, 120);
    screen.id = STATE_GAME;
    TCardset deck;
    deck.FillDeck();
    net.handlers[GAMEMSG_ACTION_SUBMITTED](TActionNewGame(2).SaveTo(), 7);
    net.handlers[GAMEMSG_ACTION_SUBMITTED](TActionNewHand(deck.ToText()).SaveTo(), 7);
    EXPECT_EQ(S().Governor().QueueLength(), 0);
    S().ProcessActions();
    EXPECT_EQ(S().Score(1), 120) << "the game was not restarted";
    EXPECT_EQ(S().Status(), STATUS_STARTING) << "nothing was dealt";
    EXPECT_TRUE(net.sent.empty());
    SetMultiplayerLink(nullptr);
}

}  // namespace

namespace {

class GovernorClientTest : public SessionTest {};

TEST_F(GovernorClientTest, AClientRunsTheHostsDecisionWhateverItsOwnSettings)
{
    // The host plays with misere on; this client's own setting is off.
    FakeNetwork net;
    net.host = false;
    SetMultiplayerLink(&net);
    S().Governor().RegisterHandlers();
    S().NewHand(DeckText());
    S().StartBidding();
    screen.id = STATE_BIDDING;
    TSeat bidder = S().Bidding().CurrentBidder();
    net.handlers[GAMEMSG_ACTION_BROADCAST](TActionBid(bidder, "", BID_MISERE).SaveTo(), 0);
    S().ProcessActions();
    EXPECT_TRUE(IsMisereBid(S().Bidding().GetBid(bidder))) << "the auction stays in step with the host's";
    SetMultiplayerLink(nullptr);
}

}  // namespace

namespace {

class GovernorKittyTest : public SessionTest {};

TEST_F(GovernorKittyTest, ADiscardWaitsForTheKittyCardsStillFlyingToTheDeclarer)
{
    SetSetting("Speed.Deal", "100");
    Contract(2, {SUIT_CLUBS, 7});
    for (TSeat s = 1; s <= 4; ++s) S().HandOf(s).Clear();
    for (TCard c = 3; c <= 12; ++c) S().HandOf(2).Add(c);
    S().Deck() = Set({40, 41, 42});
    S().SetStatus(STATUS_KITTY);
    screen.id = STATE_KITTY;
    for (TCard c : {42, 41, 40}) S().MoveCard(2, c, MOVE_DEAL);  // the kitty is in the air
    S().Governor().Submit(std::make_unique<TActionDiscard>(2, 3));
    S().ProcessActions();
    EXPECT_EQ(S().Governor().QueueLength(), 1) << "waits for the cards in flight rather than being refused";
    timers.Tick(100);
    S().ProcessActions();
    EXPECT_EQ(S().Governor().QueueLength(), 0);
    EXPECT_FALSE(S().HandOf(2).Contains(3));
    EXPECT_EQ(S().HandOf(2).Count(), 12);
    SetSetting("Speed.Deal", "");
}

TEST_F(GovernorKittyTest, TheHostsDiscardOfAKittyCardWaitsForTheKittyToBeDealtOut)
{
    // A client still on the bid-complete screen gets the declarer's
    // discards, decided at the host after its own kitty was dealt.
    Contract(2, {SUIT_CLUBS, 7});
    for (TSeat s = 1; s <= 4; ++s) S().HandOf(s).Clear();
    for (TCard c = 3; c <= 12; ++c) S().HandOf(2).Add(c);
    S().Deck() = Set({40, 41, 42});
    screen.id = STATE_BIDCOMPLETE;
    S().Governor().Enqueue(std::make_unique<TActionDiscard>(2, 41), true);
    S().Governor().Enqueue(std::make_unique<TActionDiscard>(2, 3), true);
    S().ProcessActions();
    EXPECT_EQ(S().Governor().QueueLength(), 2) << "the kitty card is not in the hand yet";
    screen.id = STATE_KITTY;
    while (S().Deck().Count() > 0) S().MoveCard(2, S().Deck().Get(S().Deck().Count()), MOVE_DEAL);
    S().ProcessActions();
    EXPECT_EQ(S().Governor().QueueLength(), 0);
    EXPECT_EQ(S().HandOf(2).Count(), 11);
    EXPECT_FALSE(S().HandOf(2).Contains(41));
    EXPECT_FALSE(S().HandOf(2).Contains(3));
}

}  // namespace
