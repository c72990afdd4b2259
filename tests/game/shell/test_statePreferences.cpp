// The preferences and test screens on the whole engine: previews, the
// selector over each folder, a click storing the choice at once, reset, and
// the choice kept for the next start.
#include "shellfixture.h"

#include "UIFrame.h"
#include "UIImageSelector.h"
#include "clCardGraphics.h"
#include "clThreadLoader.h"
#include "mgrGameflow.h"
#include "mgrResources.h"
#include "mgrSettings.h"
#include "qz7core.h"
#include "qz7files.h"
#include "statePreferences.h"
#include "stateTesting.h"

namespace {

using shelltest::EngineFixture;

void RunLoader(TUIImageSelector* s)
{
    while (!s->Loader()->Finished()) {
        WaitForQueuedWork(100);
        ProcessSynchronize();
    }
    ProcessSynchronize();
}

int32_t TileNamed(TUIImageSelector* s, const std::string& name)
{
    const auto items = s->Loader()->GetItems();
    for (size_t i = 0; i < items.size(); ++i)
        if (items[i].fileName == name) return int32_t(i);
    return -1;
}

class PreferencesScreenTest : public EngineFixture {
protected:
    TPreferenceGUI* gui = nullptr;
    void SetUp() override
    {
        EngineFixture::SetUp();
        StateEngine->Current()->HandleEvent(2);  // the menu's "Preferences"
        ASSERT_EQ(STATE_PREFERENCES, CurrentId());
        gui = dynamic_cast<TPreferenceGUI*>(StateEngine->Current()->Window());
        ASSERT_NE(nullptr, gui);
    }
    void Command(int32_t id) { StateEngine->Current()->HandleEvent(id); }
    // A click on a thumbnail, as the widget tree delivers it.
    void Choose(const std::string& name)
    {
        TUIImageSelector* s = gui->Selector();
        ASSERT_NE(nullptr, s);
        const int32_t index = TileNamed(s, name);
        ASSERT_GE(index, 0) << name;
        s->Tile(index)->Click();
        Frame();
    }
};

TEST_F(PreferencesScreenTest, PreviewsNameTheChosenFiles)
{
    EXPECT_EQ("Green", gui->Preview(PREFERENCE_TABLE)->caption);
    EXPECT_EQ("Basic", gui->Preview(PREFERENCE_CARDSET)->caption);
    EXPECT_EQ("Red", gui->Preview(PREFERENCE_CARDBACK)->caption);
    EXPECT_FLOAT_EQ(1.0f, gui->Preview(PREFERENCE_TABLE)->scale);
    EXPECT_FLOAT_EQ(0.7518797f, gui->Preview(PREFERENCE_CARDSET)->scale);
    EXPECT_FALSE(gui->Panel()->IsVisible());
    EXPECT_EQ(nullptr, gui->Selector());
}

TEST_F(PreferencesScreenTest, EachPreviewOpensItsSelectorOverItsFolder)
{
    struct {
        int32_t command;
        const char *key, *title, *current;
    } cases[] = {{PREFCMD_TABLE, "Video.Table", "Choose Table", "Green.jpg"},
                 {PREFCMD_CARDSET, "Video.Cardface", "Choose Cardset", "Basic.cards"},
                 {PREFCMD_CARDBACK, "Video.Cardback", "Choose Cardback", "Red.png"}};
    for (const auto& c : cases) {
        Command(c.command);  // frees the one before
        TUIImageSelector* s = gui->Selector();
        ASSERT_NE(nullptr, s) << c.key;
        EXPECT_EQ(c.key, s->SettingKey());
        EXPECT_TRUE(gui->Panel()->IsVisible());
        EXPECT_EQ(c.title, gui->Panel()->caption);
        EXPECT_EQ(2, s->TileCount()) << c.key;
        EXPECT_EQ(TileNamed(s, c.current), s->SelectedIndex()) << c.key;
    }
    Command(PREFCMD_CLOSE);
    EXPECT_EQ(nullptr, gui->Selector());
    EXPECT_FALSE(gui->Panel()->IsVisible());
}

TEST_F(PreferencesScreenTest, ChoosingTheSecondCardsetStoresItReloadsAndCachesThumbnails)
{
    const std::string before = Resources->GetCardset()->Title;
    Command(PREFCMD_CARDSET);
    RunLoader(gui->Selector());
    Frame();
    for (int32_t i = 0; i < gui->Selector()->TileCount(); ++i)
        EXPECT_NE(nullptr, gui->Selector()->Tile(i)->image) << i;
    Choose("FourColour.cards");
    EXPECT_EQ("FourColour.cards", SettingText("Video.Cardface"));
    EXPECT_NE(before, Resources->GetCardset()->Title);
    Command(PREFCMD_CLOSE);
    EXPECT_EQ("FourColour", gui->Preview(PREFERENCE_CARDSET)->caption);
    EXPECT_TRUE(IsFile(UserFolder() + "Cardsets.ice"));
    // Opened again: every thumbnail from the cache.
    Command(PREFCMD_CARDSET);
    RunLoader(gui->Selector());
    EXPECT_EQ(0, gui->Selector()->Loader()->DecodedCount());
    EXPECT_EQ(TileNamed(gui->Selector(), "FourColour.cards"), gui->Selector()->SelectedIndex());
}

TEST_F(PreferencesScreenTest, ResetRestoresTheThreeChoicesOnly)
{
    SetSetting("Video.Table", "Blue.jpg");
    SetSetting("Video.Cardface", "FourColour.cards");
    SetSetting("Video.Cardback", "Blue.png");
    SetSetting("Speed.Deal", "300");
    Command(PREFCMD_RESET);
    EXPECT_EQ("Green.jpg", SettingText("Video.Table"));
    EXPECT_EQ("Basic.cards", SettingText("Video.Cardface"));
    EXPECT_EQ("Red.png", SettingText("Video.Cardback"));
    EXPECT_EQ(300, SettingInt("Speed.Deal"));
    EXPECT_EQ("Basic", gui->Preview(PREFERENCE_CARDSET)->caption);
    EXPECT_EQ(STATE_PREFERENCES, CurrentId());
}

// Reset puts the default cardset back on the table, not only in the settings.
TEST_F(PreferencesScreenTest, ResetReloadsTheDefaultCardset)
{
    const std::string basic = Resources->GetCardset()->Title;
    Command(PREFCMD_CARDSET);
    RunLoader(gui->Selector());
    Choose("FourColour.cards");
    Command(PREFCMD_CLOSE);
    const std::string chosen = Resources->GetCardset()->Title;
    ASSERT_NE(basic, chosen);
    Command(PREFCMD_RESET);
    EXPECT_EQ("Basic.cards", SettingText("Video.Cardface"));
    // Known by its title: a new cardset object may take the old one's address.
    EXPECT_NE(chosen, Resources->GetCardset()->Title);
    EXPECT_EQ(basic, Resources->GetCardset()->Title);
    // With the choices already the defaults the cardset is read again too:
    // what is on the table is what the file holds.
    Resources->GetCardset()->Title = "changed since it was read";
    Command(PREFCMD_RESET);
    EXPECT_EQ(basic, Resources->GetCardset()->Title);
}

TEST_F(PreferencesScreenTest, ContinueKeepsTheChoiceAndItIsSavedForTheNextStart)
{
    Command(PREFCMD_CARDBACK);
    Choose("Blue.png");
    // Leaving with the selector open frees it with the screen.
    Command(1);
    Frame();
    EXPECT_EQ(STATE_MENU, CurrentId());
    EXPECT_EQ("Blue.png", SettingText("Video.Cardback"));
    const std::string settings = UserFolder() + kSettingsFile;
    engine.reset();
    EXPECT_NE(std::string::npos, ReadTextFile(settings).find("Video.Cardback=\"Blue.png\""));
}

TEST_F(PreferencesScreenTest, BackLeavesWithoutChangingAnything)
{
    Command(PREFCMD_TABLE);
    Command(GUICMD_BACK);
    Frame();
    EXPECT_EQ(STATE_MENU, CurrentId());
    EXPECT_EQ("Green.jpg", SettingText("Video.Table"));
    ProcessSynchronize();
}

TEST_F(EngineFixture, TestingScreenPointsItsSelectorAtEachFolder)
{
    ASSERT_TRUE(StateEngine->PushById(STATE_TESTING, true));
    auto* gui = dynamic_cast<TTestingGUI*>(StateEngine->Current()->Window());
    ASSERT_NE(nullptr, gui);
    ASSERT_NE(nullptr, gui->Selector());
    EXPECT_EQ("Video.Table", gui->Selector()->SettingKey());
    struct {
        int32_t command;
        const char* key;
    } cases[] = {{10, "Video.Cardback"}, {11, "Video.Table"}, {12, "Video.Cardface"}};
    for (const auto& c : cases) {
        StateEngine->Current()->HandleEvent(c.command);
        ASSERT_NE(nullptr, gui->Selector());
        EXPECT_EQ(c.key, gui->Selector()->SettingKey());
        EXPECT_GE(gui->Selector()->Columns(), 1);
    }
    StateEngine->Current()->HandleEvent(GUICMD_BACK);
    Frame();
    EXPECT_EQ(STATE_MENU, CurrentId());
    ProcessSynchronize();
}

}  // namespace
