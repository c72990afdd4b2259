// The screens of a game at the card table, on the whole engine without a
// display: a hand bid, discarded and played for the local seat with injected
// input, whole games played by the computer, and input that arrives at the
// wrong moment.
#include "UIGameBoard.h"
#include "clTableReport.h"
#include "tablescreens.h"

#include "qz7files.h"

#include <functional>
#include <map>
#include <sstream>

namespace {

using shelltest::TableScreens;

TEST_F(TableScreens, StartNewGameDealsAndTheLocalSeatPlaysAHandToItsResult)
{
    ASSERT_EQ(STATE_MENU, CurrentId());
    Command(5);  // "Start New Game"
    ASSERT_EQ(STATE_GAME, CurrentId());
    ASSERT_TRUE(RunUntil(STATE_DEALING));
    ASSERT_TRUE(RunUntil(STATE_BIDDING));
    for (TSeat s = 1; s <= 4; ++s) EXPECT_EQ(10, S().HandOf(s).Count()) << s;
    EXPECT_EQ(3, S().Deck().Count());
    bool declared = false;
    // Hands are thrown in or won by others until the local seat declares.
    for (int32_t hand = 0; hand < 12 && !declared; ++hand) {
        PlayLocalHand(declared);
        ASSERT_EQ(STATE_HANDWIN, CurrentId());
        EXPECT_EQ(10, S().Tricks().TricksWon(1) + S().Tricks().TricksWon(2));
        EXPECT_EQ(STATUS_STARTING, S().Status());
        if (declared) break;
        engine->Root()->DispatchKey(' ');  // Continue
        ASSERT_TRUE(RunUntil(STATE_BIDDING));
    }
    ASSERT_TRUE(declared) << "the local seat never won an auction";
    EXPECT_NE(0, S().Score(1) + S().Score(2));
    // Continue (Enter) deals the next hand.
    engine->Root()->DispatchKey(GUIKEY_ENTER);
    EXPECT_TRUE(RunUntil(STATE_DEALING));
}

TEST_F(TableScreens, WithWaitAfterBidTheBidResultWaitsForContinue)
{
    SetSetting("Gameplay.WaitAfterBid", "true");
    Command(5);
    // The local seat passes; hands are dealt until one has a contract.
    for (int32_t guard = 0; guard < 20000 && CurrentId() != STATE_BIDCOMPLETE; ++guard) {
        if (CurrentId() == STATE_BIDDING && !S().Bidding().IsComplete() && S().Bidding().CurrentBidder() == Local() &&
            S().Governor().CountActions(ACTION_BID) == 0)
            S().Governor().Submit(
                std::make_unique<TActionBid>(Local(), "LOCAL_PLAYER", TBid{S().Bidding().GetBid(Local()).suit, 1}));
        Step();
    }
    ASSERT_EQ(STATE_BIDCOMPLETE, CurrentId());
    for (int32_t i = 0; i < 100; ++i) Step();
    EXPECT_EQ(STATE_BIDCOMPLETE, CurrentId());
    EXPECT_EQ("Bidding completed!", S().Prompt());
    // Back to the menu and on again: the bid result is where the game stands.
    Command(GUICMD_BACK);
    ASSERT_TRUE(RunUntil(STATE_MENU, 200));
    EXPECT_EQ(STATUS_BID_COMPLETE, S().Status());
    Command(1);  // "Continue Game"
    EXPECT_TRUE(RunUntil(STATE_BIDCOMPLETE, 50));
    for (int32_t i = 0; i < 100; ++i) Step();
    EXPECT_EQ(STATE_BIDCOMPLETE, CurrentId());
    engine->Root()->DispatchKey(' ');
    EXPECT_TRUE(RunUntil(STATE_KITTY, 50));
}

TEST_F(TableScreens, AClickForASeatThatIsNotTheLocalPlayersPlaysNothing)
{
    Command(5);
    for (int32_t guard = 0; guard < 20000; ++guard) {
        if (CurrentId() == STATE_GAME && S().Status() == STATUS_PLAYING && !S().Tricks().TrickComplete() &&
            S().Tricks().SeatToPlay() != Local())
            break;
        if (CurrentId() == STATE_BIDDING || CurrentId() == STATE_KITTY) {
            // Let the computer decide for the local seat too, to get to play.
            SetSetting("Debug.AutoPlay", "true");
        }
        Step();
    }
    SetSetting("Debug.AutoPlay", "false");
    ASSERT_EQ(STATE_GAME, CurrentId());
    const TSeat toPlay = S().Tricks().SeatToPlay();
    ASSERT_NE(Local(), toPlay);
    const int32_t held = S().HandOf(toPlay).Count();
    for (int32_t i = 1; i <= 10; ++i) Command(GUICMD_CARD + i);
    EXPECT_EQ(0, S().Governor().CountActions(ACTION_PLAYCARD));
    S().ProcessActions();
    EXPECT_EQ(held, S().HandOf(toPlay).Count());
}

// Scripts that drive the real program click a card when the table report
// shows the local player to play and nothing moving; every such click must
// be taken. (While a complete trick waits to be gathered, the table takes no
// card: the report must not name anybody to play then.)
TEST_F(TableScreens, ACardClickedWhenTheReportShowsThePlayerToPlayIsPlayed)
{
    // The report's lines by key; "card <p>" lines keyed with their position.
    auto report = [] {
        std::map<std::string, std::string> lines;
        std::istringstream in(TTableReport::Text());
        for (std::string line; std::getline(in, line);) {
            std::istringstream words(line);
            std::string key, rest;
            words >> key;
            if (key == "card") {
                std::string position;
                words >> position;
                key += ' ' + position;
            }
            std::getline(words >> std::ws, rest);
            lines[key] = rest;
        }
        return lines;
    };
    auto toPlay = [&](std::map<std::string, std::string>& r) {
        return CurrentId() == STATE_GAME && r["status"] == std::to_string(STATUS_PLAYING) &&
               r["toplay"] == r["local"] && r["moving"] == "0";
    };
    Command(5);
    int32_t clicks = 0;
    for (int32_t guard = 0; guard < 40000 && CurrentId() != STATE_HANDWIN; ++guard) {
        if (CurrentId() == STATE_BIDDING || CurrentId() == STATE_KITTY) SetSetting("Debug.AutoPlay", "true");
        if (CurrentId() == STATE_GAME && S().Status() == STATUS_PLAYING) SetSetting("Debug.AutoPlay", "false");
        auto r = report();
        if (!toPlay(r)) {
            Step();
            continue;
        }
        const int32_t position = LegalPosition();
        ASSERT_NE(0, position);
        int32_t x = 0, y = 0;
        std::istringstream(r["card " + std::to_string(position)]) >> x >> y;
        const int32_t held = S().HandOf(Local()).Count();
        const TQZPoint at{x, y};
        GetMouse()->SetPosition(at);
        Step();
        GetMouse()->AddButtonEvent(1, true, 0, 0, at);
        Step();
        GetMouse()->AddButtonEvent(1, false, 0, 0, at);
        for (int32_t i = 0; i < 300 && S().HandOf(Local()).Count() == held; ++i) Step();
        ASSERT_EQ(held - 1, S().HandOf(Local()).Count())
            << "the click in trick " << S().Tricks().Current() << " was not taken\n" << TTableReport::Text();
        ++clicks;
    }
    EXPECT_EQ(STATE_HANDWIN, CurrentId());
    EXPECT_GT(clicks, 0) << "the local seat never played by a click";
}

// The declarer keeps ten cards: with thirteen, three discard clicks are
// taken, however fast they come, and a fourth is refused by the screen
// itself; not even the trump warning answers it.
TEST_F(TableScreens, ADiscardClickBeyondTheKittyIsRefused)
{
    SetSetting("Gameplay.Discardwarning", "true");
    Command(5);
    ASSERT_TRUE(RunUntil(STATE_BIDDING));
    SettleAuction(Local(), {SUIT_HEARTS, 7});
    ASSERT_TRUE(RunUntil(STATE_KITTY));
    auto* kitty = static_cast<TStateKitty*>(StateEngine->Current());
    for (int32_t i = 0; i < 1000 && kitty->Phase() != 1; ++i) Step();
    ASSERT_EQ(1, kitty->Phase());
    const TCardset& hand = S().HandOf(Local());
    ASSERT_EQ(13, hand.Count());
    std::vector<int32_t> plain, trump;
    for (int32_t i = 1; i <= hand.Count(); ++i) (IsTrumpCard(hand.Get(i), SUIT_HEARTS) ? trump : plain).push_back(i);
    ASSERT_GE(plain.size(), 3u);
    ASSERT_GE(trump.size(), 1u);
    for (int32_t k = 0; k < 3; ++k) Command(GUICMD_CARD + plain[size_t(k)]);
    EXPECT_EQ(3, S().Governor().CountActions(ACTION_DISCARD, Local()));
    Command(GUICMD_CARD + trump[0]);
    EXPECT_EQ(3, S().Governor().CountActions(ACTION_DISCARD, Local()));
    EXPECT_FALSE(Logged(
        "*Discarding Trump warning*<HR>click again to continue<BR>(you can disable this warning in Game Options)"));
    S().ProcessActions();
    S().FinishMoves();
    EXPECT_EQ(10, hand.Count());
}

TEST_F(TableScreens, InputAndTimersInTheWrongStateAreIgnored)
{
    Command(5);
    ASSERT_TRUE(RunUntil(STATE_BIDDING));
    TState* bidding = StateEngine->Current();
    // The game screen under the auction gets a card click: it is not on top.
    // The auction screen gets clicks far outside any hand, and Continue.
    for (int32_t id : {1, GUICMD_CARD, GUICMD_CARD + 16, GUICMD_CARD + 99, 65534}) bidding->HandleEvent(id);
    EXPECT_EQ(0, S().Governor().CountActions(ACTION_PLAYCARD));
    EXPECT_EQ(0, S().Governor().CountActions(ACTION_DISCARD));
    EXPECT_EQ(STATE_BIDDING, CurrentId());
    // Flushing every timer at a moment none was meant for breaks nothing.
    Timers->FlushAll();
    for (int32_t i = 0; i < 5; ++i) Step();
    EXPECT_EQ(0, S().Governor().CountActions(ACTION_PLAYCARD));
    EXPECT_EQ(0, S().Governor().CountActions(ACTION_DISCARD));
}

TEST_F(TableScreens, AutoPlayPlaysWholeGamesAndStartsANewOne)
{
    SetSetting("Debug.AutoPlay", "true");
    Command(5);
    for (int32_t i = 0; i < 200000 && !Logged("Game Over! Winning Team = "); ++i) Step();
    ASSERT_TRUE(Logged("Game Over! Winning Team = "));
    EXPECT_TRUE(S().WinningTeam() != 0 || S().Score(1) == 0);
    // A new game starts by itself.
    EXPECT_TRUE(RunUntil(STATE_BIDDING));
    EXPECT_EQ(3, StateEngine->Depth());  // the menu, the game and the auction
}

// Escape while a flight still holds the game screen up as the next hand
// starts: the deal's screen must not open over the request and drop it.
TEST_F(TableScreens, BackWhileTheNextHandStartsLeavesForTheMenu)
{
    SetSetting("Debug.AutoPlay", "true");
    Command(5);
    ASSERT_TRUE(RunUntil(STATE_HANDWIN, 100000));
    ASSERT_TRUE(RunUntil(STATE_GAME, 5000));
    ASSERT_EQ(STATUS_STARTING, S().Status());
    auto* game = static_cast<TStateTable*>(StateEngine->Current());
    ASSERT_NE(nullptr, game->Board());
    game->Board()->StartCardMove({0, 0}, {300, 300}, 0, false, false, false, 0, 500);
    Command(GUICMD_BACK);
    EXPECT_TRUE(RunUntil(STATE_MENU, 5000)) << "still in screen " << CurrentId();
    EXPECT_EQ(1, StateEngine->Depth());
}

// Leaving the table half way through handing out cards (the next hand's deal
// just begun or under way, the kitty on its way to the declarer) finishes
// handing them out: the hands the menu, a saved game or a recording keep are
// whole, whatever the frame rate let the screens deal before.
TEST_F(TableScreens, LeavingWhileCardsAreHandedOutFinishesHandingThemOut)
{
    SetSetting("Debug.AutoPlay", "true");
    Command(5);
    const struct {
        const char* name;
        std::function<bool()> moment;
    } cases[] = {
        {"the deal queued", [&] { return S().Governor().CountActions(ACTION_NEWHAND) > 0; }},
        {"the deal begun", [&] { return S().Status() == STATUS_DEALING && S().Deck().Count() >= 40; }},
        {"the deal under way",
         [&] { return S().Status() == STATUS_DEALING && S().Deck().Count() < 30 && S().Deck().Count() > 3; }},
        {"the kitty under way", [&] { return S().Status() == STATUS_KITTY && S().Deck().Count() == 2; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        int32_t i = 0;
        for (; i < 100000 && !c.moment(); ++i) Step();
        ASSERT_TRUE(c.moment());
        const bool kitty = S().Status() == STATUS_KITTY;
        for (int32_t k = 0; k < 1000 && CurrentId() != STATE_MENU; ++k) {
            Command(GUICMD_BACK);
            Step();
        }
        ASSERT_EQ(STATE_MENU, CurrentId());
        EXPECT_FALSE(S().MoveInProgress());
        if (kitty) {
            EXPECT_EQ(0, S().Deck().Count());
            EXPECT_EQ(13, S().HandOf(S().Bidding().HighBidder()).Count());
        } else {
            EXPECT_EQ(STATUS_DEALING, S().Status());
            EXPECT_EQ(3, S().Deck().Count());
            for (TSeat seat = 1; seat <= 4; ++seat) EXPECT_EQ(10, S().HandOf(seat).Count()) << "seat " << seat;
        }
        Command(1);  // "Continue Game"; the game goes on from there
    }
}

TEST_F(TableScreens, BackingOutMidHandAndContinuingResumesTheSameHand)
{
    Command(5);
    SetSetting("Debug.AutoPlay", "true");
    for (int32_t i = 0; i < 20000; ++i) {
        if (CurrentId() == STATE_GAME && S().Status() == STATUS_PLAYING && S().Tricks().Current() == 4 &&
            S().Tricks().CardsPlayed() == 2)
            break;
        Step();
    }
    ASSERT_EQ(STATE_GAME, CurrentId());
    SetSetting("Debug.AutoPlay", "false");
    Command(GUICMD_BACK);
    ASSERT_TRUE(RunUntil(STATE_MENU, 200));
    EXPECT_EQ(1, StateEngine->Depth());
    std::string before;
    ASSERT_TRUE(SaveGameText(S(), before));
    (void)Gameflow->SaveGame();
    ASSERT_TRUE(IsFile(UserFolder() + "Savedgame.txt"));
    // As after a restart: a fresh session reads the saved game.
    S().NewGame(1);
    Gameflow->LoadGame();
    std::string after;
    ASSERT_TRUE(SaveGameText(S(), after));
    EXPECT_EQ(before, after);
    Command(1);  // "Continue Game"
    ASSERT_EQ(STATE_GAME, CurrentId());
    Step();
    EXPECT_EQ(STATUS_PLAYING, S().Status());
    EXPECT_EQ(4, S().Tricks().Current());
}

TEST_F(TableScreens, LeavingTheGameWhileATrickIsGatheredClosesIt)
{
    SetSetting("Debug.AutoPlay", "true");
    SetSetting("Debug.InstantPlay", "false");
    SetSetting("Speed.Play", "500");
    Command(5);
    auto* game = static_cast<TStateGame*>(StateEngine->Current());
    for (int32_t i = 0; i < 50000; ++i) {
        if (CurrentId() == STATE_GAME && S().Status() == STATUS_PLAYING && S().Tricks().TrickComplete() &&
            game->GatheringTrick())
            break;
        Step();
    }
    ASSERT_TRUE(S().Tricks().TrickComplete());
    const int32_t trick = S().Tricks().Current();
    const int32_t won = S().Tricks().TricksWon(1) + S().Tricks().TricksWon(2);
    StateEngine->PopState(GUICMD_BACK);
    EXPECT_EQ(won + 1, S().Tricks().TricksWon(1) + S().Tricks().TricksWon(2));
    if (trick < 10) {
        EXPECT_EQ(trick + 1, S().Tricks().Current());
    }
}

}  // namespace
