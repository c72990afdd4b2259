// Tutorial pages on the screens of the real engine: a page belongs to the
// screen it opened on, is hidden while another screen covers it, comes back
// where the player left it, and goes (still unseen) with its screen.
#include "tablescreens.h"

#include "UITutorial.h"
#include "microTutorial.h"

namespace {

class TutorialScreens : public shelltest::TableScreens {
protected:
    void SetUp() override
    {
        TableScreens::SetUp();
        tickServices = true;
        SetSetting("Tutorial.Enabled", "true");
    }
    TTutorialService* Tutorial() const { return dynamic_cast<TTutorialService*>(ServiceManager->Running("TUTORIAL")); }
    std::string PageId() const { return Tutorial()->Window()->Page().id; }
};

TEST_F(TutorialScreens, APageCoveredByAnotherScreenComesBackWhereItWasLeft)
{
    TTutorialService* tutorial = Tutorial();
    ASSERT_NE(nullptr, tutorial);
    Gameflow->TriggerTutorial("welcome", 1);
    ASSERT_TRUE(tutorial->WindowShown());
    // The player moved it.
    TQZRect moved = tutorial->Window()->GetRect();
    moved.left += 40, moved.right += 40, moved.top -= 30, moved.bottom -= 30;
    tutorial->Window()->SetRect(moved);

    ASSERT_TRUE(StateEngine->PushById(STATE_OPTIONS, true));
    Step();
    EXPECT_FALSE(tutorial->WindowShown()) << "the options screen is on top";
    StateEngine->PopState(0);
    Step();
    EXPECT_TRUE(tutorial->WindowShown());
    EXPECT_EQ("welcome", PageId());
    EXPECT_EQ(moved, tutorial->Window()->GetRect());
    EXPECT_EQ(0, SettingInt("Tutorials.welcome")) << "hidden is not seen";
}

TEST_F(TutorialScreens, APageGoesWithItsScreenUnseenAndShowsAgainNextTime)
{
    TTutorialService* tutorial = Tutorial();
    ASSERT_NE(nullptr, tutorial);
    Gameflow->TriggerTutorial("welcome", 1);
    ASSERT_TRUE(tutorial->WindowShown());
    Command(5);  // "Start New Game"
    Step();
    EXPECT_FALSE(tutorial->WindowShown()) << "the welcome page stays with the menu";

    // The auction's own page, then the auction ends: the page goes.
    ASSERT_TRUE(RunUntil(STATE_BIDDING));
    Step();
    ASSERT_TRUE(tutorial->WindowShown());
    EXPECT_EQ("bidding", PageId());
    // Looked at once the page and the panel have faded in.
    paintFrames = true;
    for (int32_t i = 0; i < 120; ++i) Step();
    paintFrames = false;
    ASSERT_EQ(STATE_BIDDING, CurrentId());
    Render("tutorial-bidding");
    SettleAuction(2, {SUIT_HEARTS, 7});
    ASSERT_TRUE(RunUntil(STATE_BIDCOMPLETE));
    Step();
    EXPECT_FALSE(tutorial->WindowShown());
    Render("tutorial-bidcomplete");
    EXPECT_EQ(0, SettingInt("Tutorials.bidding"));

    // Not seen: the next auction shows it again.
    SetSetting("Debug.AutoPlay", "true");
    ASSERT_TRUE(RunUntil(STATE_HANDWIN, 100000));
    ASSERT_TRUE(RunUntil(STATE_BIDDING, 100000));
    Step();
    ASSERT_TRUE(tutorial->WindowShown());
    EXPECT_EQ("bidding", PageId());

    // Seen ("OK" on the last page): not again.
    tutorial->Execute("OK");
    EXPECT_GE(SettingInt("Tutorials.bidding"), 1);
    Command(GUICMD_BACK);
    ASSERT_TRUE(RunUntil(STATE_MENU, 500));
    Step();
    EXPECT_FALSE(tutorial->WindowShown()) << "the welcome page went when the auction's page replaced it";
}

TEST_F(TutorialScreens, TheMiserePageHoldsTheBidResultUntilItIsClosed)
{
    TTutorialService* tutorial = Tutorial();
    ASSERT_NE(nullptr, tutorial);
    Command(5);
    ASSERT_TRUE(RunUntil(STATE_BIDDING));
    SettleAuction(2, BID_MISERE);
    ASSERT_TRUE(RunUntil(STATE_BIDCOMPLETE));
    for (int32_t i = 0; i < 200; ++i) Step();
    // Without the page the result would have gone on by itself by now.
    ASSERT_EQ(STATE_BIDCOMPLETE, CurrentId());
    ASSERT_TRUE(tutorial->WindowShown());
    EXPECT_EQ("misere", PageId());
    tutorial->Window()->HandleCommand(nullptr, UITUTORIAL_GOTIT);  // "OK": one page
    EXPECT_FALSE(tutorial->WindowShown());
    EXPECT_EQ(1, SettingInt("Tutorials.misere"));
    EXPECT_TRUE(RunUntil(STATE_KITTY, 500));
}

}  // namespace
