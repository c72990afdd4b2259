#include "UIAvatar.h"
#include "UIPlayerIcon.h"
#include "boardfixture.h"

namespace {

using boardtest::TableSessionTest;

class PlayerIconTest : public TableSessionTest {
protected:
    TUIPlayerIcon* MakeIcon(TSeat seat)
    {
        return NewWindow<TUIPlayerIcon>(seat, Root(200, 200), TQZRect{0, 0, 64, 64});
    }
};

TEST_F(PlayerIconTest, ShowsTheSeatsTypeWithoutFlipping)
{
    S().Players().GetPlayer(1)->MakeLocal();
    TUIPlayerIcon* icon = MakeIcon(1);
    icon->Advance(500);
    EXPECT_EQ(PLAYER_LOCAL, icon->ShownType());
    EXPECT_EQ(0, icon->FlipTime());
    EXPECT_EQ((TQZRect{0, 0, 64, 64}), icon->AvatarRect({0, 0, 64, 64}));
}

// A computer taking over a remote player's seat: the old picture narrows
// for 300 ms, then the new one widens for 300 ms.
TEST_F(PlayerIconTest, TurnsOverWhenTheSeatChangesHands)
{
    TSessionPlayer* p = S().Players().GetPlayer(2);
    p->MakeRemote(5, TPlayerGUID{}, "Remote");
    TUIPlayerIcon* icon = MakeIcon(2);
    ASSERT_EQ(PLAYER_REMOTE, icon->ShownType());
    p->MakeAI();

    const TQZRect r{0, 0, 64, 64};  // insets go up to 64 / 2 - 4 = 28
    struct Step {
        int32_t ms;
        TPlayerType shown;
        int32_t flip;
        int32_t inset;
    };
    const Step steps[] = {
        {0, PLAYER_REMOTE, 300, 0},     // starts closing
        {150, PLAYER_REMOTE, 150, 14},  // half closed
        {150, PLAYER_AI, 300, 28},      // swapped, fully narrow
        {225, PLAYER_AI, 75, 7},        // almost open
        {100, PLAYER_AI, 0, 0},         // done, never below 0
        {100, PLAYER_AI, 0, 0},
    };
    for (const Step& s : steps) {
        icon->Advance(s.ms);
        EXPECT_EQ(s.shown, icon->ShownType()) << s.ms;
        EXPECT_EQ(s.flip, icon->FlipTime()) << s.ms;
        EXPECT_EQ((TQZRect{s.inset, 0, 64 - s.inset, 64}), icon->AvatarRect(r)) << s.ms;
    }
}

TEST_F(PlayerIconTest, AClickSendsNothing)
{
    TUIPlayerIcon* icon = MakeIcon(1);
    icon->Click();
    EXPECT_EQ(0, root->QueuedCommandCount());
}

TEST_F(PlayerIconTest, WithoutASessionNothingFlips)
{
    TUIPlayerIcon* icon = MakeIcon(3);
    Session = nullptr;
    icon->Advance(1000);
    EXPECT_EQ(0, icon->FlipTime());
}

TEST_F(PlayerIconTest, AvatarPictureByKind)
{
    TSessionPlayer* p = S().Players().GetPlayer(3);
    p->MakeLocal();
    EXPECT_EQ(14, AvatarPicture(p).textureId);
    p->MakeRemote(2, TPlayerGUID{}, "R");
    EXPECT_EQ(15, AvatarPicture(p).textureId);
    p->MakeAI();
    const TAvatarPicture tile = AvatarPicture(p);
    EXPECT_EQ(TEXTURE_AVATAR_SHEET, tile.textureId);
    EXPECT_EQ((TQZRect{p->AvatarTile().x * 64, p->AvatarTile().y * 64, p->AvatarTile().x * 64 + 64,
                       p->AvatarTile().y * 64 + 64}),
              tile.source);
    EXPECT_EQ(0, AvatarPicture(nullptr).textureId);
}

}  // namespace
