#include "GameTextHelpers.h"
#include "sessionPlayer.h"

#include <gtest/gtest.h>

namespace {

TEST(PlayersTest, NewSeatsAreOneLocalAndThreeDifferentComputers)
{
    SeedRandom(4);
    SetOpponentList("Ann,Bo,Cy,Di,Ed");
    TSessionPlayers players;
    EXPECT_TRUE(players.GetPlayer(1)->IsLocal());
    EXPECT_EQ(players.GetPlayer(1)->Name(), "Player");
    EXPECT_EQ(players.LocalPlayer(), players.GetPlayer(1));
    for (TSeat s = 2; s <= 4; ++s) EXPECT_TRUE(players.GetPlayer(s)->IsAI());
    EXPECT_NE(players.GetPlayer(2)->Name(), players.GetPlayer(3)->Name());
    EXPECT_NE(players.GetPlayer(2)->Name(), players.GetPlayer(4)->Name());
    EXPECT_NE(players.GetPlayer(3)->Name(), players.GetPlayer(4)->Name());
    FreeOpponentLists();
}

TEST(PlayersTest, TooFewNamesStillFinish)
{
    SetOpponentList("Solo");
    TSessionPlayers players;
    EXPECT_EQ(players.GetPlayer(3)->Name(), "AI Solo");
    FreeOpponentLists();
}

TEST(PlayersTest, RemotePlayersContinueAndTeamNames)
{
    TSessionPlayers players;
    TPlayerGUID guid{};
    guid[0] = 0xAB;
    players.GetPlayer(2)->MakeRemote(5, guid, "B");
    players.GetPlayer(4)->SetName("D");
    EXPECT_EQ(players.GetPlayer(2)->AvatarIconId(), 15);
    EXPECT_FALSE(players.GetPlayer(2)->IsComputerControlled());
    EXPECT_EQ(players.TeamName(2), "B & D");
    EXPECT_EQ(players.TeamName(3), "??");
    EXPECT_EQ(players.CountHumans(), 2);
    TSeat seat = 0;
    EXPECT_TRUE(players.FindSeatByPartyID(5, seat));
    EXPECT_EQ(seat, 2);
    players.GetPlayer(1)->SetContinue(true);
    EXPECT_FALSE(players.AllContinued());
    players.GetPlayer(2)->SetContinue(true);
    EXPECT_TRUE(players.AllContinued());
    players.SwapPlayers(2, 4);
    EXPECT_EQ(players.GetPlayer(4)->Name(), "B");
    EXPECT_EQ(players.GetPlayer(4)->SeatId(), 4);
    EXPECT_EQ(players.GetPlayer(2)->SeatId(), 2);
}

TEST(PlayersTest, GUIDTextRoundTrips)
{
    TPlayerGUID g{};
    for (int i = 0; i < 16; ++i) g[i] = uint8_t(i * 17);
    TPlayerGUID back{};
    ASSERT_TRUE(GUIDFromText(GUIDToText(g), back));
    EXPECT_EQ(back, g);
    EXPECT_FALSE(GUIDFromText("{12-zz}", back));
}

}  // namespace
