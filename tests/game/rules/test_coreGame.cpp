#include "GameTextHelpers.h"
#include "coreGame.h"

#include <gtest/gtest.h>

namespace {

TEST(CardsTest, SuitsRanksAndDeckMembership)
{
    EXPECT_EQ(CardSuit(52), SUIT_NOTRUMPS);
    EXPECT_EQ(CardRank(52), 0);
    EXPECT_EQ(CardSuit(-1), SUIT_NOTRUMPS);
    EXPECT_EQ(CardSuit(53), SUIT_NOTRUMPS);
    EXPECT_EQ(CardSuit(25), SUIT_CLUBS);
    EXPECT_EQ(CardSuit(26), SUIT_DIAMONDS);
    EXPECT_TRUE(IsCardInDeck(52));
    EXPECT_FALSE(IsCardInDeck(2));   // four of spades
    EXPECT_TRUE(IsCardInDeck(41));   // four of hearts
    EXPECT_FALSE(IsCardInDeck(15));  // four of clubs
    EXPECT_TRUE(IsCardInDeck(3));    // five of spades
    EXPECT_FALSE(IsCardInDeck(0));
    EXPECT_FALSE(IsCardInDeck(60));
}

TEST(CardsTest, ScoringTable)
{
    struct Row {
        TBid bid;
        int32_t points;
    } rows[] = {
        {{SUIT_SPADES, 6}, 40},    {{SUIT_NOTRUMPS, 6}, 120}, {{SUIT_HEARTS, 7}, 200},  {{SUIT_DIAMONDS, 8}, 280},
        {{SUIT_CLUBS, 9}, 360},    {{SUIT_NOTRUMPS, 10}, 520}, {{SUIT_NOTRUMPS, 5}, 250}, {{SUIT_HEARTS, 1}, 0},
        {{SUIT_NOTRUMPS, 0}, 0},   {{SUIT_SPADES, 8}, 240},   {{SUIT_CLUBS, 8}, 260},   {{SUIT_SPADES, 11}, 0},
        {{SUIT_HEARTS, 5}, 0},
    };
    for (const Row& r : rows) EXPECT_EQ(BidPoints(r.bid), r.points) << BidToText(r.bid);
}

TEST(CardsTest, EveryEntryOfTheScoringTable)
{
    // Rows 6..10 tricks; columns spades, clubs, diamonds, hearts, no trumps.
    const int32_t table[5][5] = {{40, 60, 80, 100, 120},
                                 {140, 160, 180, 200, 220},
                                 {240, 260, 280, 300, 320},
                                 {340, 360, 380, 400, 420},
                                 {440, 460, 480, 500, 520}};
    for (int32_t tricks = 6; tricks <= 10; ++tricks)
        for (int s = SUIT_SPADES; s <= SUIT_NOTRUMPS; ++s)
            EXPECT_EQ(BidPoints({TSuit(s), tricks}), table[tricks - 6][s]) << tricks << " of suit " << s;
}

TEST(CardsTest, SeatsAndTeams)
{
    EXPECT_EQ(NextSeat(1, 1), 1);
    EXPECT_EQ(NextSeat(3, 3), 1);
    EXPECT_EQ(NextSeat(4, 4), 3);
    EXPECT_EQ(NextSeat(4, 2), 1);
    TSeat a, b;
    OpponentsOf(2, a, b);
    EXPECT_EQ(a, 3);
    EXPECT_EQ(b, 1);
    EXPECT_EQ(PartnerOf(4), 2);
    EXPECT_EQ(TeamOfSeat(3), 1);
    EXPECT_EQ(SameColourSuit(SUIT_DIAMONDS), SUIT_HEARTS);
}

TEST(CardsTest, TextFormsRoundTrip)
{
    EXPECT_EQ(BidToText({SUIT_HEARTS, 7}), "bid:{3,7}");
    TBid b = BidFromText("bid:{4,5}");
    EXPECT_TRUE(IsMisereBid(b));
    b = BidFromText("bid:{x,y}");
    EXPECT_EQ(b.suit, 0);
    EXPECT_EQ(b.count, 0);
    TContract c{{SUIT_HEARTS, 7}, 2, 2, SUIT_HEARTS};
    EXPECT_EQ(ContractToText(c), "bid:{3,7},player:2,team:2,trump:3}");
    TTrick t;
    t.cards[1] = 52;
    t.cards[2] = 17;
    t.leader = 2;
    t.winner = 2;
    EXPECT_EQ(TrickToText(t), "{played:{0,52,17,0},lead:2,winning:2}");
    EXPECT_EQ(TrickFromText(TrickToText(t)), t);
    EXPECT_EQ(TrickFromText("garbage"), TTrick{});
}

TEST(CardsTest, StrictTextFormsRefuseWhatTheLenientOnesReadAsZero)
{
    TTrick t;
    t.cards[0] = 52;
    t.cards[2] = 9;
    t.leader = 3;
    t.winner = 1;
    struct Case {
        std::string text;
        bool ok;
    };
    const Case tricks[] = {
        {TrickToText(t), true},
        {" " + TrickToText(TTrick{}), true},
        {"{played:{4294967296,0,0,0},lead:1,winning:0}", false},
        {"{played:{0,0,0},lead:1,winning:0}", false},
        {"{played:{0,0,0,0},lead:,winning:0}", false},
        {"{played:{0,0,0,0},lead:1}", false},
        {"{played:{0,0,0,0},lead:1,winning:0}x", false},
        {"garbage", false},
    };
    for (const Case& c : tricks) {
        TTrick read;
        EXPECT_EQ(TrickFromTextChecked(c.text, read), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(read, TrickFromText(c.text)) << c.text;
        }
    }
    const Case bids[] = {
        {"bid:{4,5}", true}, {"bid:{0,1}", true},  {"bid:{0,4294967297}", false},
        {"bid:{x,y}", false}, {"bid:{3}", false},   {"", false},
    };
    for (const Case& c : bids) {
        TBid read;
        EXPECT_EQ(BidFromTextChecked(c.text, read), c.ok) << c.text;
        if (c.ok) {
            EXPECT_TRUE(BidEquals(read, BidFromText(c.text))) << c.text;
        }
    }
}

TEST(TextHelpersTest, NamesAndFormatting)
{
    EXPECT_EQ(CardName(48), "Jack of Hearts");
    EXPECT_EQ(CardName(52), "Joker");
    EXPECT_EQ(BidText({SUIT_HEARTS, 7}), "7 Hearts");
    EXPECT_EQ(BidText({SUIT_NOTRUMPS, 6}), "6 No Trumps");
    EXPECT_EQ(BidText(BID_MISERE), "Misere");
    EXPECT_EQ(BidText(BID_NONE), "no bid");
    EXPECT_EQ(FormatNumbered("%1 bid %2 (%3 points)", {"A", "7 Hearts", "200"}), "A bid 7 Hearts (200 points)");
    // Replacement runs on the previous result.
    EXPECT_EQ(FormatNumbered("%1-%2", {"%2", "x"}), "x-x");
    EXPECT_EQ(FormatNumbered("%1", {std::string(300, 'a')}).size(), 255u);
}

TEST(TextHelpersTest, VersusLabelJoinsTheTextsAsTheyAre)
{
    struct Case {
        const char *left, *right, *want;
    } cases[] = {
        {"North-South", "East-West", "North-South vs East-West"},
        {"%2", "%1", "%2 vs %1"},  // no placeholders: the texts are not formats
        {"", "", " vs "},
    };
    for (const Case& c : cases) EXPECT_EQ(c.want, FormatVersusLabel(c.left, c.right));
}

TEST(TextHelpersTest, OpponentNamesComeFromTheList)
{
    SetOpponentList("Ann,Bo,Cy");
    SeedRandom(3);
    for (int i = 0; i < 50; ++i) {
        std::string n = OpponentName();
        EXPECT_TRUE(n == "AI Ann" || n == "AI Bo" || n == "AI Cy") << n;
    }
    FreeOpponentLists();
}

}  // namespace

#include "osDesktop.h"
#include "testutil.h"

#include <filesystem>

namespace {

class NameListsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        old_ = std::filesystem::current_path();
        std::filesystem::current_path(dir.Path());
        std::filesystem::create_directories("Assets/Config");
        plat::os::SetMessageBoxHandler([this](const plat::os::MessageBoxRequest& r) {
            warnings.push_back(r.text);
            return plat::os::BoxAnswer::Ok;
        });
    }
    void TearDown() override
    {
        plat::os::SetMessageBoxHandler(nullptr);
        std::filesystem::current_path(old_);
        FreeOpponentLists();
    }
    vqtest::TempDir dir;
    std::filesystem::path old_;
    std::vector<std::string> warnings;
};

TEST_F(NameListsTest, MissingLobbiesFallBackAndOpponentsStillLoad)
{
    vqtest::WriteFile("Assets/Config/Opponents.txt", "Zed,Yan\r\nignored\r\n");
    LoadOpponentLists();
    EXPECT_EQ(OpponentList(), "Zed,Yan");
    EXPECT_EQ(LobbyText(1), "Unadorned");
    EXPECT_EQ(LobbyText(3), "Building");
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0], "Unable to load file \"Assets/Config/Lobbies.txt\"");
}

TEST_F(NameListsTest, MissingOpponentsFallBackAndLobbiesStillLoad)
{
    vqtest::WriteFile("Assets/Config/Lobbies.txt", "One\nTwo\nThree\n");
    LoadOpponentLists();
    EXPECT_EQ(LobbyText(2), "Two");
    EXPECT_FALSE(OpponentList().empty());
    EXPECT_EQ(warnings.size(), 1u);
}

}  // namespace
