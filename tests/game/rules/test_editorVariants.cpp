// The editor's build differs from the game's in a few rules, chosen by the
// application identity at start-up; the game's answers must not change.
#include "coreGame.h"
#include "mgrSteam.h"
#include "qz7kvdata.h"
#include "qz7text.h"
#include "sessionPlayer.h"
#include "sessionTricks.h"

#include <gtest/gtest.h>

namespace {

struct Identity {
    const char* name;
    bool editor;
};

class EditorVariantTest : public ::testing::TestWithParam<Identity> {
protected:
    void SetUp() override { FrameworkStart(GetParam().name); }
    void TearDown() override { FrameworkStop(); }
    bool Editor() const { return GetParam().editor; }
};

TEST_P(EditorVariantTest, MisereScoresAndTheJokersStrength)
{
    ASSERT_EQ(Editor(), EditorVariant());
    EXPECT_EQ(Editor() ? 20 : 250, BidPoints(BID_MISERE));
    EXPECT_EQ(Editor() ? 25 : -1, CardStrength(CARD_JOKER, SUIT_SPADES, SUIT_NOTRUMPS, true));
    // Everything else scores alike.
    EXPECT_EQ(0, BidPoints(TBid{SUIT_HEARTS, 1}));
    EXPECT_EQ(SUIT_HEARTS * 20 + 800 - 560, BidPoints(TBid{SUIT_HEARTS, 8}));
    EXPECT_EQ(25, CardStrength(CARD_JOKER, SUIT_SPADES, SUIT_HEARTS, false));
}

TEST_P(EditorVariantTest, APlayerNodeCarriesTheAvatarTileOnlyInTheGame)
{
    TSessionPlayer player(2);
    player.MakeAI();
    TQZKeyValue node;
    player.SaveTo(&node);
    EXPECT_EQ(!Editor(), node.FindChild("AvatarSubIcon") != nullptr);
    TSessionPlayer back(2);
    EXPECT_TRUE(back.LoadFrom(&node)) << "each build reads what it writes";
}

struct FakeSteam : TSteamManager {
    uint64_t GetLocalSteamID() const override { return 0x1122334455667788ull; }
};

TEST_P(EditorVariantTest, TheLocalPlayersGuidIsItsSteamIdOnlyInTheEditor)
{
    FakeSteam steam;
    TSteamManager* old = SteamManager;
    SteamManager = &steam;
    TSessionPlayer local(1);
    local.MakeLocal();
    TSessionPlayer again(1);
    again.MakeLocal();
    SteamManager = old;
    const bool fromSteam = local.GUID() == GuidFromUInt64(0x1122334455667788ull);
    EXPECT_EQ(Editor(), fromSteam);
    EXPECT_EQ(Editor(), local.GUID() == again.GUID()) << "the game draws a new GUID each time";
}

TEST_P(EditorVariantTest, AComputerPlayerKeepsItsTileAndResetKeepsNamesOnlyInTheEditor)
{
    TSessionPlayer ai(3);
    const TQZPoint tile = ai.AvatarTile();
    bool moved = false;
    for (int i = 0; i < 20; ++i) {
        ai.MakeAI();
        moved = moved || !(ai.AvatarTile() == tile);
    }
    EXPECT_EQ(!Editor(), moved) << "the game draws a tile each time";
    EXPECT_EQ(PLAYER_AI, ai.PlayerType());
    EXPECT_EQ(0, ai.PartyId());

    TSessionPlayers players(false);
    players.Reset();
    for (TSeat s = 2; s <= 4; ++s)
        EXPECT_EQ(Editor(), players.GetPlayer(s)->Name() == "UNNAMED AI") << "seat " << s;
}

INSTANTIATE_TEST_SUITE_P(Builds, EditorVariantTest,
                         ::testing::Values(Identity{"Vantorel Qar", false}, Identity{QZ_EDITOR_IDENTITY, true}),
                         [](const auto& info) { return info.param.editor ? "Editor" : "Game"; });

}  // namespace
