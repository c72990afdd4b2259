// The achievements screen over none, one and many achievements, and the
// reset behind its confirmation.
#include "shellfixture.h"

#include "UIAchievement.h"
#include "UIButton.h"
#include "UILabel.h"
#include "UIProgressBar.h"
#include "qz7fonts.h"
#include "UIScrollBar.h"
#include "mgrAchievements.h"
#include "mgrGameflow.h"
#include "stateAchievements.h"
#include "stateConfirm.h"

namespace {

class AchievementsScreen : public shelltest::EngineFixture {
protected:
    // The manager started again over definitions of the test's own.
    void Reload(const std::vector<TAchievementDef>& defs)
    {
        vqtest::TempDir dir;
        std::filesystem::create_directories(std::filesystem::path(dir.Path()) / "Assets/Config");
        std::filesystem::current_path(dir.Path());
        std::string error;
        ASSERT_TRUE(WriteAchievementConfig(kAchievementConfigFile, defs, &error)) << error;
        ASSERT_TRUE(WriteStatisticConfig(kStatisticConfigFile, {{1, "hands", "Hands", "HAND", "TRUE"}}, &error))
            << error;
        Achievements->Initialize();
        std::filesystem::current_path(VQ_RUNTIME_DIR);
    }
    static TAchievementDef Def(int32_t id, const std::string& kind, int32_t target = 1)
    {
        TAchievementDef d;
        d.id = id;
        d.target = target;
        d.title = "Title " + std::to_string(id);
        d.description = "About " + std::to_string(id);
        d.kind = kind;
        d.trigger = "TRICK";
        d.condition = "TRUE";
        return d;
    }
    TAchieveGUI* Open()
    {
        // Setup: what the test checks after it shows whether it took.
        (void)StateEngine->PushById(STATE_ACHIEVEMENTS, true);
        Frame();
        EXPECT_EQ(STATE_ACHIEVEMENTS, CurrentId());
        return dynamic_cast<TAchieveGUI*>(StateEngine->Current()->Window());
    }
};

}  // namespace

TEST_F(AchievementsScreen, WithoutAchievementsShowsAnEmptyListAndNoDetails)
{
    Reload({});
    TAchieveGUI* gui = Open();
    ASSERT_NE(nullptr, gui);
    EXPECT_EQ(0, gui->TileCount());
    EXPECT_EQ(0, gui->Shown());
    EXPECT_FALSE(gui->Title()->IsVisible());
    EXPECT_FALSE(gui->Progress()->IsVisible());
    EXPECT_FALSE(gui->ScrollBar()->IsVisible());
    StateEngine->Current()->HandleEvent(2);  // the second of none
    EXPECT_EQ(0, gui->Shown());
    StateEngine->Current()->HandleEvent(998);
    Frame();
    EXPECT_EQ(STATE_MENU, CurrentId());
}

TEST_F(AchievementsScreen, OneHiddenLockedAchievementShowsTheHiddenTextsAndNoUnlockLine)
{
    Reload({Def(7, "hidden", 3)});
    Achievements->SetProgress(7, 1);
    TAchieveGUI* gui = Open();
    ASSERT_NE(nullptr, gui);
    ASSERT_EQ(1, gui->TileCount());
    EXPECT_EQ(1, gui->Shown()) << "the one there is, not a second";
    EXPECT_EQ("Hidden Achievement", gui->Title()->Caption());
    EXPECT_EQ("Details for achievement hidden until unlocked", gui->Description()->Caption());
    EXPECT_EQ("", gui->UnlockText()->Caption());
    EXPECT_EQ(3, gui->Progress()->max);
    EXPECT_EQ(1, gui->Progress()->position);
    EXPECT_EQ("1 of 3", gui->Progress()->caption);
    EXPECT_EQ(7, gui->Image()->achievementId);
    EXPECT_EQ(1, gui->Tile(1)->commandId);
    EXPECT_EQ(7, gui->Tile(1)->AchievementId());
}

TEST_F(AchievementsScreen, ManyAchievementsScrollShowTheChosenOneAndResetBehindTheConfirmation)
{
    TAchieveGUI* gui = Open();  // the shipped set
    ASSERT_NE(nullptr, gui);
    const int32_t count = Achievements->GetAchievementCount();
    ASSERT_GE(count, 12);
    EXPECT_EQ(count, gui->TileCount());
    EXPECT_EQ(1, gui->Shown());
    EXPECT_TRUE(gui->ScrollBar()->IsVisible());
    EXPECT_GT(gui->ScrollBar()->Max(), 0);
    EXPECT_FALSE(gui->Button(997)->IsEnabled());
    EXPECT_FALSE(gui->Button(996)->IsEnabled());

    // Unlocking sorts the list: the unlocked one comes first.
    const int32_t id = Achievements->GetAchievement(count - 1)->id;
    Achievements->SetProgress(id, Achievements->FindAchievementById(id)->target);
    StateEngine->Current()->HandleEvent(1);
    EXPECT_EQ(Achievements->FindAchievementById(id)->title, gui->Title()->Caption());
    EXPECT_EQ(UnlockedText(Achievements->FindAchievementById(id)->unlockTime), gui->UnlockText()->Caption());
    EXPECT_EQ(0u, gui->UnlockText()->Caption().find("Unlocked on "));

    // A click on a tile flashes it and shows its details.
    gui->Tile(count)->Click();
    EXPECT_EQ(2, gui->Tile(count)->Phase());
    Frame();
    EXPECT_EQ(count, gui->Shown());
    EXPECT_EQ(Achievements->GetAchievementRec(count - 1).description, gui->Description()->Caption());

    StateEngine->Current()->HandleEvent(999);
    Frame();
    ASSERT_EQ(STATE_CONFIRM, CurrentId());
    StateEngine->Current()->HandleEvent(CONFIRM_CANCEL);
    Frame();
    ASSERT_EQ(STATE_ACHIEVEMENTS, CurrentId());
    EXPECT_TRUE(Achievements->FindAchievementById(id)->unlocked) << "cancel keeps everything";
    StateEngine->Current()->HandleEvent(999);
    Frame();
    StateEngine->Current()->HandleEvent(CONFIRM_OK);
    Frame();
    ASSERT_EQ(STATE_ACHIEVEMENTS, CurrentId());
    EXPECT_FALSE(Achievements->FindAchievementById(id)->unlocked);
    EXPECT_EQ(1, gui->Shown());
    EXPECT_EQ("", gui->UnlockText()->Caption());
    EXPECT_EQ(Achievements->GetAchievement(0)->id, gui->Tile(1)->AchievementId()) << "tiles follow the new order";
}

// The wheel over the screen scrolls the list a tile at a time, within its
// ends, as the bar does.
TEST_F(AchievementsScreen, TheWheelScrollsTheListByWholeTiles)
{
    TAchieveGUI* gui = Open();
    ASSERT_NE(nullptr, gui);
    ASSERT_GT(gui->ScrollBar()->Max(), 0);
    TGUIWindow* root = engine->Root();
    const int32_t firstTop = gui->Tile(1)->GetRect().top;
    const int32_t step = gui->ScrollBar()->step;
    EXPECT_TRUE(root->DispatchWheel(-1));  // towards the user: down the list
    Frame();
    EXPECT_EQ(step, gui->ScrollBar()->Position());
    EXPECT_EQ(firstTop - step, gui->Tile(1)->GetRect().top) << "the tiles moved with the bar";
    root->DispatchWheel(1);
    root->DispatchWheel(1);  // not past the start
    Frame();
    EXPECT_EQ(0, gui->ScrollBar()->Position());
    EXPECT_EQ(firstTop, gui->Tile(1)->GetRect().top);
    for (int32_t i = 0; i < 100; ++i) root->DispatchWheel(-1);
    Frame();
    EXPECT_EQ(gui->ScrollBar()->Max(), gui->ScrollBar()->Position());
}

// Every title of the shipped set, and the hidden one's, fits the detail
// panel whole: a long one is written smaller, never cut at the edge.
TEST_F(AchievementsScreen, EveryTitleFitsTheDetailPanel)
{
    Reload({Def(7, "hidden", 3)});
    TAchieveGUI* gui = Open();
    ASSERT_NE(nullptr, gui);
    auto fits = [&gui] {
        const TUILabel* title = gui->Title();
        return title->GetFont()->TextWidth(title->Caption()) <= title->GetWidth();
    };
    EXPECT_TRUE(fits()) << gui->Title()->Caption();
    StateEngine->PopState();
    Frame();
    Achievements->Initialize();  // the shipped set again
    gui = Open();
    ASSERT_NE(nullptr, gui);
    for (int32_t n = 1; n <= gui->TileCount(); ++n) {
        gui->ShowDetails(n);
        EXPECT_TRUE(fits()) << gui->Title()->Caption();
    }
}
