#include "qz7kvdata.h"
#include "clSelfPlay.h"
#include "osDesktop.h"
#include "sessionFixture.h"
#include "testutil.h"

#include <functional>

namespace {

class SavedGameTest : public SessionTest {
protected:
    void SetUp() override
    {
        SessionTest::SetUp();
        plat::os::SetMessageBoxHandler([this](const plat::os::MessageBoxRequest& r) {
            warnings.push_back(r.text);
            return plat::os::BoxAnswer::Ok;
        });
    }
    void TearDown() override
    {
        plat::os::SetMessageBoxHandler(nullptr);
        SessionTest::TearDown();
    }

    // A game three tricks into a hand of seven hearts.
    void ThreeTricksIn()
    {
        Contract(2, {SUIT_HEARTS, 7});
        TCardset deck;
        deck.FillDeck();
        for (TSeat s = 1; s <= 4; ++s) S().HandOf(s).Clear();
        for (int32_t i = 1; i <= 40; ++i) S().HandOf(TSeat((i - 1) % 4 + 1)).Add(deck.Get(i));
        for (int32_t i = 41; i <= 43; ++i) S().OutOfPlay().Add(deck.Get(i));
        S().Deck().Clear();
        S().StartPlay();
        S().SetStatus(STATUS_PLAYING);
        screen.id = STATE_GAME;
        for (int trick = 0; trick < 3; ++trick) {
            for (int k = 0; k < 4; ++k) {
                TSeat seat = S().Tricks().SeatToPlay();
                const TCardset& hand = S().HandOf(seat);
                const TSessionTricks& t = S().Tricks();
                for (int32_t i = 1; i <= hand.Count(); ++i) {
                    bool leading = t.CardsPlayed() == 0;
                    if (leading || IsLegalPlay(hand.Get(i), hand, t.LedSuit(), t.CurrentTrump())) {
                        Play(seat, hand.Get(i));
                        break;
                    }
                }
            }
            S().Tricks().CloseTrick();
        }
        S().SetScore(1, 120);
        S().SetScore(2, -40);
        S().SetPrompt("Say \"hi\"");
    }

    std::string Text()
    {
        std::string text;
        (void)SaveGameText(S(), text);
        return text;
    }

    // The text with the first occurrence of `from` replaced.
    static std::string Replaced(std::string text, const std::string& from, const std::string& to)
    {
        size_t at = text.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        if (at != std::string::npos) text.replace(at, from.size(), to);
        return text;
    }

    // The text is refused with one warning and leaves the session as it was.
    void ExpectRefused(const char* what, const std::string& text)
    {
        TSession target;
        target.Initialize();
        target.SetScore(1, 77);
        std::string before;
        (void)SaveGameText(target, before);
        warnings.clear();
        EXPECT_FALSE(LoadGameText(target, text)) << what;
        std::string after;
        (void)SaveGameText(target, after);
        EXPECT_EQ(after, before) << what;
        EXPECT_EQ(warnings.size(), 1u) << what;
    }

    std::vector<std::string> warnings;
};

TEST_F(SavedGameTest, AGameLoadsBackToTheSameState)
{
    ThreeTricksIn();
    std::string saved = Text();
    TSession other;
    other.Initialize();
    ASSERT_TRUE(LoadGameText(other, saved)) << (warnings.empty() ? "" : warnings[0]);
    std::string again;
    (void)SaveGameText(other, again);
    EXPECT_EQ(again, saved);
    EXPECT_EQ(other.Tricks().Current(), 4);
    EXPECT_EQ(other.Tricks().GetTrick(2), S().Tricks().GetTrick(2));
    EXPECT_EQ(other.Score(2), -40);
    EXPECT_EQ(other.Prompt(), "Say \"hi\"");
    EXPECT_EQ(other.Status(), STATUS_PLAYING);
    EXPECT_EQ(other.Tricks().CurrentTrump(), SUIT_HEARTS);
    EXPECT_EQ(other.Tricks().SeatToPlay(), S().Tricks().SeatToPlay());
    EXPECT_TRUE(warnings.empty());
}

// The table's widgets hold the players' hands across a load and a new game
// (a replay starts one under a drawn table): the hands stay where they are.
TEST_F(SavedGameTest, LoadsAndNewGamesKeepEachHandWhereItIs)
{
    ThreeTricksIn();
    const std::string saved = Text();
    TSession other;
    other.Initialize();
    const TCardset* hands[4];
    for (TSeat s = 1; s <= 4; ++s) hands[s - 1] = &other.HandOf(s);
    ASSERT_TRUE(LoadGameText(other, saved));
    for (TSeat s = 1; s <= 4; ++s) {
        EXPECT_EQ(hands[s - 1], &other.HandOf(s));
        EXPECT_EQ(S().HandOf(s).Count(), other.HandOf(s).Count());
    }
    other.NewGame(1);
    for (TSeat s = 1; s <= 4; ++s) EXPECT_EQ(hands[s - 1], &other.HandOf(s));
}

TEST_F(SavedGameTest, HandsWonKeepTheirOrderThroughSaveAndLoad)
{
    ThreeTricksIn();
    TQZKeyValue tree;
    ASSERT_TRUE(tree.ParseText(Text()));
    tree.SetString("state.handswon", "{3,1}");
    ASSERT_TRUE(LoadGameText(S(), tree.ToText(false)));
    EXPECT_EQ(S().HandsWon(1), 3);
    EXPECT_EQ(S().HandsWon(2), 1);
    TQZKeyValue again;
    ASSERT_TRUE(again.ParseText(Text()));
    EXPECT_EQ(again.GetString("state.handswon"), "{3,1}");
    // The byte form the session update carries keeps the same order.
    TQZKeyValue root("samegameQar");
    S().SaveTo(&root);
    TQZKeyValue received("savegameQar");
    ASSERT_TRUE(received.LoadFromBytes(root.SaveToBytes()));
    TSession other;
    other.Initialize();
    ASSERT_TRUE(other.LoadFrom(&received));
    EXPECT_EQ(other.HandsWon(1), 3);
    EXPECT_EQ(other.HandsWon(2), 1);
}

TEST_F(SavedGameTest, ATableCardStillInAHandIsRefused)
{
    ThreeTricksIn();
    const TSeat seat = S().Tricks().SeatToPlay();
    const TCard card = S().HandOf(seat).Get(1);
    Play(seat, card);
    ASSERT_EQ(S().Deck().Get(seat), card);
    TQZKeyValue tree;
    ASSERT_TRUE(tree.ParseText(Text()));
    const std::string hand = "state.players.Player[" + std::to_string(seat) + "].Hand";
    TCardset held = S().HandOf(seat);
    held.Add(card);
    tree.SetString(hand, held.ToText());
    ExpectRefused("held and on the table", tree.ToText(false));
    // Taken out of the played cards as well: it is still not in the hand.
    TCardset played = S().OutOfPlay();
    (void)played.Remove(card);  // setup: what the test checks after it shows whether it took
    tree.SetString("state.deckplayed", played.ToText());
    ExpectRefused("in the hand instead of played", tree.ToText(false));
}

TEST_F(SavedGameTest, BadFilesAreRefusedAndChangeNothing)
{
    ThreeTricksIn();
    std::string good = Text();
    auto replace = [&](const std::string& from, const std::string& to) {
        std::string t = good;
        size_t at = t.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        if (at != std::string::npos) t.replace(at, from.size(), to);
        return t;
    };
    TCard held = S().HandOf(1).Get(1);
    struct Row {
        const char* what;
        std::string text;
    } rows[] = {
        {"older version", replace("Version 1.90", "Version 1.89")},
        {"status out of range", replace("\"Status\": 5", "\"Status\": 9")},
        {"a card held twice", replace(S().OutOfPlay().ToText(), S().OutOfPlay().ToText().substr(0, 9) +
                                                                  std::to_string(held) + "," +
                                                                  S().OutOfPlay().ToText().substr(9))},
        {"a card not in the deck", replace("cardset:{" + std::to_string(held), "cardset:{2")},
        {"no local player", replace("\"Playertype\": 0", "\"Playertype\": 2")},
        {"bad seat", replace("\"Currentplayer\": ", "\"Currentplayer\": 7")},
        {"a score no game reaches", replace("{120,-40}", "{2147483600,-40}")},
        {"hands won no game reaches", replace("\"Handswon\": \"{0,0}", "\"Handswon\": \"{2147483647,0}")},
        {"not a saved game", "{ \"game_version\": "},
        {"empty", ""},
    };
    for (const Row& r : rows) {
        TSession target;
        target.Initialize();
        target.SetScore(1, 77);
        std::string before;
        (void)SaveGameText(target, before);
        warnings.clear();
        EXPECT_FALSE(LoadGameText(target, r.text)) << r.what;
        std::string after;
        (void)SaveGameText(target, after);
        EXPECT_EQ(after, before) << r.what;
        EXPECT_EQ(warnings.size(), 1u) << r.what;
    }
}

// Numbers are read whole or not at all: one that does not fit 32 bits (or
// would overflow once added) is refused, never read as 0.
TEST_F(SavedGameTest, NumbersThatDoNotFitAreRefused)
{
    ThreeTricksIn();
    std::string good = Text();
    std::string won = PairToText(S().Tricks().TricksWon(1), S().Tricks().TricksWon(2));
    std::string table = "\"Deck\": \"cardset:{0,0,0,0}";
    std::string current = TrickToText(S().Tricks().GetTrick(4));
    struct Row {
        const char* what;
        std::string text;
    } rows[] = {
        {"a score of 1e23", Replaced(good, "{120,-40}", "{100000000000000000000000,-40}")},
        {"a score in exponent form", Replaced(good, "{120,-40}", "{1e23,-40}")},
        {"hands won of 2^32", Replaced(good, "\"Handswon\": \"{0,0}", "\"Handswon\": \"{4294967296,0}")},
        {"tricks won that overflow once added", Replaced(good, won, "{2147483647,2147483647}")},
        {"tricks won of 2^32", Replaced(good, won, "{4294967296,0}")},
        {"a table card of 2^32", Replaced(good, table, "\"Deck\": \"cardset:{4294967296,0,0,0}")},
        {"a trick card of 2^32", Replaced(good, current, "{played:{4294967296,0,0,0},lead:1,winning:0}")},
        {"a trick leader of 2^32 + 1", Replaced(good, current, "{played:{0,0,0,0},lead:4294967297,winning:0}")},
        {"a bid of 2^32 + 1 tricks", Replaced(good, "bid:{0,1}", "bid:{0,4294967297}")},
        {"a bid that is not a number", Replaced(good, "bid:{0,1}", "bid:{0,x}")},
        {"a party id of 1e11", Replaced(good, "\"Partyid\": 1", "\"Partyid\": 99999999999")},
        {"a hand card of 2^32", Replaced(good, "cardset:{" + std::to_string(S().HandOf(1).Get(1)),
                                         "cardset:{4294967296")},
    };
    for (const Row& r : rows) ExpectRefused(r.what, r.text);
}

// Empty places are only the table's, and the table shows the current trick.
TEST_F(SavedGameTest, CardsInPlacesTheyCannotBeAreRefused)
{
    ThreeTricksIn();
    std::string playing = Text();
    std::string table = "\"Deck\": \"cardset:{0,0,0,0}";
    TCard firstPlayed = S().Tricks().GetTrick(1).cards[0];
    S().NewHand(DeckText());
    for (int32_t i = 43; i > 3; --i) S().MoveCard(TSeat(i % 4 + 1), S().Deck().Get(i), MOVE_DEAL);
    S().StartBidding();
    std::string bidding = Text();
    std::string kitty = S().Deck().ToText();
    TCard kept = S().Deck().Get(1);
    struct Row {
        const char* what;
        std::string text;
    } rows[] = {
        {"an empty card among the played ones", Replaced(playing, "\"Deckplayed\": \"cardset:{",
                                                          "\"Deckplayed\": \"cardset:{0,")},
        {"a table card that is not the trick's", Replaced(playing, table,
                                                           "\"Deck\": \"cardset:{" + std::to_string(firstPlayed) +
                                                               ",0,0,0")},
        {"a table of five places", Replaced(playing, table, "\"Deck\": \"cardset:{0,0,0,0,0")},
        {"an empty card in the kitty", Replaced(bidding, kitty, "cardset:{0," + kitty.substr(9))},
        {"a kitty card in a hand while bidding",
         Replaced(Replaced(bidding, kitty, "cardset:{" + std::to_string(S().Deck().Get(2)) + "," +
                                               std::to_string(S().Deck().Get(3)) + "}"),
                  "\"Hand\": \"cardset:{", "\"Hand\": \"cardset:{" + std::to_string(kept) + ",")},
    };
    ASSERT_TRUE(LoadGameText(S(), playing)) << "the game itself loads";
    ASSERT_TRUE(LoadGameText(S(), bidding)) << "the auction itself loads";
    for (const Row& r : rows) ExpectRefused(r.what, r.text);
}

TEST_F(SavedGameTest, TricksThatDisagreeWithTheRestOfTheGameAreRefused)
{
    ThreeTricksIn();
    std::string good = Text();
    auto replace = [&](const std::string& text, const std::string& from, const std::string& to) {
        std::string t = text;
        size_t at = t.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        if (at != std::string::npos) t.replace(at, from.size(), to);
        return t;
    };
    TTrick first = S().Tricks().GetTrick(1);
    TTrick stolen = first;
    TSeat holder = S().Tricks().SeatToPlay();
    stolen.cards[first.leader - 1] = S().HandOf(holder).Get(1);  // a card still in a hand
    int32_t w1 = S().Tricks().TricksWon(1), w2 = S().Tricks().TricksWon(2);

    // A game still in its auction, with a trick already begun.
    S().NewHand(DeckText());
    for (int32_t i = 43; i > 3; --i) S().MoveCard(TSeat(i % 4 + 1), S().Deck().Get(i), MOVE_DEAL);
    S().StartBidding();
    std::string bidding = Text();
    TTrick begun;
    begun.leader = 1;

    struct Row {
        const char* what;
        std::string text;
    } rows[] = {
        {"a trick card still in a hand", replace(good, TrickToText(first), TrickToText(stolen))},
        {"tricks won that the tricks do not show", replace(good, PairToText(w1, w2), PairToText(w2, w1))},
        {"a trick before the cards are played",
         replace(replace(bidding, "\"Current\": 0", "\"Current\": 1"), TrickToText(TTrick{}), TrickToText(begun))},
    };
    ASSERT_TRUE(LoadGameText(S(), bidding)) << "the auction itself loads";
    for (const Row& r : rows) {
        TSession target;
        target.Initialize();
        warnings.clear();
        EXPECT_FALSE(LoadGameText(target, r.text)) << r.what;
        EXPECT_EQ(warnings.size(), 1u) << r.what;
    }
}

TEST_F(SavedGameTest, VersionMismatchWarningNamesBothVersions)
{
    ThreeTricksIn();
    std::string text = Text();
    text.replace(text.find("Version 1.90"), 12, "Version 1.89");
    EXPECT_FALSE(LoadGameText(S(), text));
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0], "Load game version mismatch! Loading \"Version 1.89\", expected \"Version 1.90\"");
}

struct Other {
    int fired = 0;
    int32_t Fire(int64_t, uint32_t) { return ++fired; }
};

TEST_F(SavedGameTest, SavingLandsFlyingCardsAndLeavesOtherTimersWaiting)
{
    ThreeTricksIn();
    SetSetting("Speed.Play", "300");
    Other other;
    timers.Add(MakeMethod<&Other::Fire>(&other), 500, 0, 0);
    TSeat seat = S().Tricks().SeatToPlay();
    TCard card = S().HandOf(seat).Get(1);
    Play(seat, card);
    ASSERT_TRUE(S().MoveInProgress());
    vqtest::TempDir dir;
    ASSERT_TRUE(S().SaveGame(dir.File("Savedgame.txt")));
    EXPECT_FALSE(S().MoveInProgress());
    EXPECT_EQ(S().Tricks().CurrentTrickRef().Card(seat), card);
    EXPECT_EQ(other.fired, 0) << "only the card moves were hurried";
    EXPECT_EQ(timers.CountActive(), 1);
    TSession loaded;
    loaded.Initialize();
    ASSERT_TRUE(loaded.LoadGame(dir.File("Savedgame.txt")));
    EXPECT_EQ(loaded.Tricks().CurrentTrickRef().Card(seat), card);
    EXPECT_FALSE(loaded.LoadGame(dir.File("missing.txt")));
    SetSetting("Speed.Play", "");
}

// A save taken while a card flies holds it where it lands, for every kind of
// move (the computer never bids misere, so self-play does not reach the
// sitting-out partner's discards).
TEST_F(SavedGameTest, ASaveWithACardInFlightHoldsItWhereItLands)
{
    auto deal = [&](int32_t cards) {
        for (int32_t i = 0; i < cards; ++i)
            S().MoveCard(TSeat(i % 4 + 1), S().Deck().Get(S().Deck().Count()), MOVE_DEAL);
    };
    auto dealt = [&](TSeat declarer, TBid bid) {
        Contract(declarer, bid);
        deal(40);
        S().SetStatus(STATUS_BID_COMPLETE);
    };
    auto kitty = [&] {
        dealt(2, {SUIT_CLUBS, 8});
        S().SetStatus(STATUS_KITTY);
        while (S().Deck().Count() > 0) S().MoveCard(2, S().Deck().Get(1), MOVE_DEAL);
    };
    auto firstLegal = [&](TSeat seat) {
        const TCardset& hand = S().HandOf(seat);
        const TSessionTricks& t = S().Tricks();
        for (int32_t i = 1; i <= hand.Count(); ++i)
            if (t.CardsPlayed() == 0 || IsLegalPlay(hand.Get(i), hand, t.LedSuit(), t.CurrentTrump()))
                return hand.Get(i);
        return TCard(0);
    };
    auto speed = [](const char* ms) {
        SetSetting("Speed.Deal", ms);
        SetSetting("Speed.Play", ms);
    };
    struct Row {
        const char* what;
        std::function<void()> setUp;  // cards move at once
        std::function<void()> move;   // cards fly
    } rows[] = {
        {"the first card dealt", [&] { S().NewHand(DeckText()); }, [&] { deal(1); }},
        {"cards dealt to every seat", [&] { S().NewHand(DeckText()); deal(9); }, [&] { deal(6); }},
        {"the kitty to the declarer", [&] { dealt(2, {SUIT_CLUBS, 8}); S().SetStatus(STATUS_KITTY); },
         [&] { S().MoveCard(2, S().Deck().Get(3), MOVE_DEAL); S().MoveCard(2, S().Deck().Get(1), MOVE_DEAL); }},
        {"a discard", kitty, [&] { S().MoveCard(2, S().HandOf(2).Get(5), MOVE_DISCARD); }},
        {"the misere partner's discards", [&] { dealt(1, BID_MISERE); },
         [&] { for (int i = 0; i < 3; ++i) S().MoveCard(3, S().HandOf(3).Get(1), MOVE_DISCARD); }},
        {"the lead of a trick", [&] { ThreeTricksIn(); },
         [&] { TSeat s = S().Tricks().SeatToPlay(); Play(s, firstLegal(s)); }},
        {"the card that completes a trick",
         [&] {
             ThreeTricksIn();
             for (int i = 0; i < 3; ++i) Play(S().Tricks().SeatToPlay(), firstLegal(S().Tricks().SeatToPlay()));
         },
         [&] { TSeat s = S().Tricks().SeatToPlay(); Play(s, firstLegal(s)); }},
    };
    for (const Row& r : rows) {
        session = std::make_unique<TSession>();
        S().Initialize();
        speed("");
        r.setUp();
        speed("300");
        r.move();
        ASSERT_TRUE(S().MoveInProgress()) << r.what;
        std::string saved = Text();
        TSession loaded;
        loaded.Initialize();
        warnings.clear();
        EXPECT_TRUE(LoadGameText(loaded, saved)) << r.what << ": " << (warnings.empty() ? "" : warnings[0]);
        std::string again;
        (void)SaveGameText(loaded, again);
        EXPECT_TRUE(again == saved) << r.what;
        S().FinishMoves();
        EXPECT_TRUE(Text() == saved) << r.what << ": the save holds the game as it is once the cards land";
    }
    speed("");
}

TEST(SelfPlayResumeTest, GamesResumedFromSavesGoOnAsIfUninterrupted)
{
    TSelfPlayConfig c;
    c.games = 8;
    c.seed = 5;
    c.resumeChance = 0.05;
    c.compareResumed = true;
    c.team[1] = SELFPLAY_AGGRESSIVE;
    TSelfPlayResult r = RunSelfPlay(c);
    EXPECT_TRUE(r.failures.empty()) << r.failures.front();
    EXPECT_GT(r.resumes, 10);
    EXPECT_EQ(r.resumeMismatches, 0);
}

// Whole games saved and loaded at every step: every card dealt, discarded or
// played while it is still in flight and again once it has landed, mid-trick
// and between tricks. Each save must load back to the same game, which then
// plays on state by state as the game that was never saved.
TEST(SelfPlayResumeTest, SavedAtEveryStepEvenWithACardInFlightLoadsBackAndGoesOnUnchanged)
{
    std::vector<std::string> warnings;
    plat::os::SetMessageBoxHandler([&](const plat::os::MessageBoxRequest& r) {
        warnings.push_back(r.text);
        return plat::os::BoxAnswer::Ok;
    });
    struct Row {
        TSelfPlayStyle team1, team2;
        uint64_t seed;
        int32_t games;
    } rows[] = {
        {SELFPLAY_MODERATE, SELFPLAY_AGGRESSIVE, 3, 1},
        {SELFPLAY_AGGRESSIVE, SELFPLAY_BASELINE, 11, 1},
        {SELFPLAY_CONSERVATIVE, SELFPLAY_CONSERVATIVE, 21, 1},
    };
    for (const Row& row : rows) {
        TSelfPlayConfig c;
        c.games = row.games;
        c.seed = row.seed;
        c.team[0] = row.team1;
        c.team[1] = row.team2;
        c.cardsFly = true;
        c.saveEveryStep = true;
        c.compareResumed = true;
        warnings.clear();
        TSelfPlayResult r = RunSelfPlay(c);
        EXPECT_TRUE(r.failures.empty()) << "seed " << row.seed << ": " << r.failures.front() << " - "
                                        << (warnings.empty() ? "" : warnings.front());
        EXPECT_EQ(r.resumeMismatches, 0) << "seed " << row.seed;
        // Each hand dealt has 40 cards dealt in flight, and each hand played
        // 3 more of the kitty, the discards and 40 plays.
        EXPECT_GE(r.inFlightSaves, 40 * r.hands) << "seed " << row.seed;
        EXPECT_GT(r.roundTrips, r.inFlightSaves) << "seed " << row.seed;
    }
    plat::os::SetMessageBoxHandler(nullptr);
}

}  // namespace
