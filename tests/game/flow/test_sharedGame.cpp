// Whole shared games of headless tables over the multiplayer manager on the
// in-memory transport: through the lobby, played to game won and back.
#include "mptable.h"
#include "testutil.h"

#include <gtest/gtest.h>

namespace {

using namespace mptest;

class SharedGameTest : public ::testing::Test {
protected:
    // No per-user folder: the log goes nowhere but the rigs.
    vqtest::TempDir home;
    vqtest::ScopedEnv env{"VANTOREL_DATA_HOME", home.Path()};
};

TTableOptions Options(const std::string& name, TSeat wantSeat = 0, int32_t people = 2)
{
    TTableOptions o;
    o.seed = 5;
    o.name = name;
    o.wantSeat = wantSeat;
    o.expectPeople = people;
    return o;
}

TEST_F(SharedGameTest, HostAndThreeClientsPlayAWholeGameThroughTheLobby)
{
    SeedRandom(5);
    TSharedGame game;
    TPeerRig& host = game.AddHost(Options("Hannah", 0, 4));
    for (int i = 1; i <= 3; ++i) game.AddClient(Options("Client" + std::to_string(i)), "c" + std::to_string(i));
    ASSERT_TRUE(game.RunUntil(600000, [&] { return game.AllBackInLobby(); }));
    for (auto& rig : game.rigs) {
        EXPECT_EQ(rig->table.gamesWon, 1);
        EXPECT_EQ(rig->table.gameWonText, host.table.gameWonText);
        EXPECT_EQ(rig->table.handsScored, host.table.handsScored);
    }
    EXPECT_GT(host.table.handsScored, 0);
}

}  // namespace
