#include "mgrSettings.h"
#include "mgrSteam.h"
#include "mgrTimers.h"
#include "mgrAI.h"
#include "mgrSession.h"
#include "testutil.h"

#include <gtest/gtest.h>

namespace {

TEST(RulesManagersTest, RegisteredManagersComeUpInOrderAndGoDownInReverse)
{
    vqtest::TempDir home;
    vqtest::ScopedEnv env("VANTOREL_DATA_HOME", home.Path());
    ResetManagerRegistry();
    RegisterAIManager();
    RegisterSettingsManager();
    RegisterTimersManager();
    RegisterSteamManager();
    RegisterSessionManager();
    CreateManagers();
    ASSERT_NE(Session, nullptr);
    ASSERT_NE(AI, nullptr);
    EXPECT_GT(ManagerCreationNumber(MGR_SESSION), ManagerCreationNumber(MGR_SETTINGS));
    EXPECT_GT(ManagerCreationNumber(MGR_SESSION), ManagerCreationNumber(MGR_TIMERS));
    EXPECT_EQ(ManagerDescription(MGR_SESSION), "Game Session Management");
    EXPECT_EQ(Session->Players().GetPlayer(1)->Name(), "Player");
    EXPECT_EQ(Session->Status(), STATUS_STARTING);
    EXPECT_TRUE(IsSeat(Session->Bidding().OpeningSeat()));
    SetSetting("Game.PlayStyle", "Conservative");
    TAIBidOutput out = AI->ChooseBid(*Session, 1);
    EXPECT_EQ(out.note.rfind("Conservative", 0), 0u);
    ResetManagerRegistry();
    EXPECT_EQ(Session, nullptr);
    EXPECT_EQ(Settings, nullptr);
    EXPECT_EQ(Timers, nullptr);
}

}  // namespace
