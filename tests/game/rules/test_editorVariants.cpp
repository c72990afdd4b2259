// The editor's build differs from the game's in a few rules, chosen by the
// application identity at start-up; the game's answers must not change.
#include "coreGame.h"
#include "qz7kvdata.h"
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
    ASSERT_EQ(Editor(), IsEditorApplication());
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

INSTANTIATE_TEST_SUITE_P(Builds, EditorVariantTest,
                         ::testing::Values(Identity{"Vantorel Qar", false}, Identity{QZ_EDITOR_IDENTITY, true}),
                         [](const auto& info) { return info.param.editor ? "Editor" : "Game"; });

}  // namespace
