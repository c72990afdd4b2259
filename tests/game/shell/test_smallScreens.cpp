#include "shellfixture.h"

#include "UIButton.h"
#include "UILabel.h"
#include "mgrGameflow.h"
#include "mgrSettings.h"
#include "osDesktop.h"
#include "stateCheckVersion.h"
#include "stateConfirm.h"

namespace {

using shelltest::EngineFixture;

TEST_F(EngineFixture, AboutReturnsToTheMenuAndItsBlogButtonNeedsAWebAddress)
{
    plat::os::TakeOpenRequests();
    StateEngine->Current()->HandleEvent(3);
    ASSERT_EQ(STATE_ABOUT, CurrentId());
    SetSetting("Internet.BlogURL", "");
    StateEngine->Current()->HandleEvent(2);
    SetSetting("Internet.BlogURL", "https://example.org/blog");
    StateEngine->Current()->HandleEvent(2);
    EXPECT_EQ((std::vector<std::string>{"https://example.org/blog"}), plat::os::TakeOpenRequests());
    StateEngine->Current()->HandleEvent(GUICMD_BACK);
    Frame();
    EXPECT_EQ(STATE_MENU, CurrentId());
}

// The default settings name no update address: no request is made.
TEST_F(EngineFixture, VersionCheckWithoutAnAddressSaysSoAndLeavesAtOnce)
{
    ASSERT_EQ("", SettingText("Internet.CheckUpdateURL"));
    StateEngine->Current()->HandleEvent(8);
    ASSERT_EQ(STATE_CHECKVERSION, CurrentId());
    EXPECT_FALSE(StateEngine->minimiseHandling);
    Frame();
    auto* gui = dynamic_cast<TCheckVersionGUI*>(StateEngine->Current()->Window());
    ASSERT_NE(nullptr, gui);
    EXPECT_EQ("No update address is configured.", gui->Status()->Caption());
    EXPECT_FALSE(gui->Button(2)->IsEnabled());
    EXPECT_FALSE(gui->Button(3)->IsEnabled());
    EXPECT_EQ("Download", gui->Button(3)->Caption());
    StateEngine->Current()->HandleEvent(GUICMD_BACK);  // nothing downloads: no question
    Frame();
    EXPECT_EQ(STATE_MENU, CurrentId());
    EXPECT_TRUE(StateEngine->minimiseHandling);
}

TEST_F(EngineFixture, AConfirmationAnsweredWithCancelLeavesTheScreenBelowAsItWas)
{
    SetSetting("Internet.CheckUpdateURL", "");
    StateEngine->Current()->HandleEvent(8);
    TState* below = StateEngine->Current();
    // Setup: what the test checks after it shows whether it took.
    (void)StateEngine->PushById(STATE_CONFIRM, true, CONFIRM_ABORT_DOWNLOAD);
    EXPECT_TRUE(below->Window()->IsVisible());  // stays visible underneath
    StateEngine->Current()->HandleEvent(CONFIRM_CANCEL);
    Frame();
    EXPECT_EQ(below, StateEngine->Current());
    // Setup: what the test checks after it shows whether it took.
    (void)StateEngine->PushById(STATE_CONFIRM, true, CONFIRM_ABORT_DOWNLOAD);
    StateEngine->Current()->HandleEvent(CONFIRM_OK);  // OK on this one leaves the check
    Frame();
    EXPECT_EQ(STATE_MENU, CurrentId());
}

TEST(ConfirmTextTest, EveryKindHasItsQuestion)
{
    EXPECT_EQ("Are you sure you want to quit?", ConfirmText(1));
    EXPECT_EQ("This will abort download. Continue?", ConfirmText(2));
    EXPECT_EQ("Game in progress. Restart anyway?", ConfirmText(3));
    EXPECT_EQ("Reset all achievements. Are you SURE?", ConfirmText(4));
    EXPECT_EQ("Leave party - are you sure?", ConfirmText(5));
    EXPECT_EQ("", ConfirmText(6));
}

}  // namespace
