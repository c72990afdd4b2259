#include "shellfixture.h"

#include "UICycleButton.h"
#include "UISliderBar.h"
#include "UIToggleButton.h"
#include "mgrGameflow.h"
#include "mgrSettings.h"
#include "qz7kvdata.h"
#include "stateOptions.h"

namespace {

using shelltest::EngineFixture;

TEST(OptionSliderTest, PositionsAndValuesMapBothWaysWithinTheRange)
{
    struct {
        int32_t value, minimum, maximum, position;
    } shown[] = {{300, 100, 900, 75}, {900, 100, 900, 0}, {100, 100, 900, 100},
                 {0, 100, 900, 100},  // an absent setting shows at the fast end, not past it
                 {5000, 100, 900, 0}, {250, 100, 400, 50}, {400, 400, 400, 0}};
    for (const auto& c : shown)
        EXPECT_EQ(c.position, SliderPositionOf(c.value, c.minimum, c.maximum)) << c.value;
    struct {
        int32_t position, minimum, maximum, value;
    } stored[] = {{50, 100, 900, 500}, {0, 100, 900, 900}, {100, 100, 900, 100}, {112, 100, 900, 100},
                  {-5, 50, 800, 800}};
    for (const auto& c : stored) EXPECT_EQ(c.value, SliderValueAt(c.position, c.minimum, c.maximum)) << c.position;
}

class OptionsScreenTest : public EngineFixture {
protected:
    TOptionsGUI* gui = nullptr;
    void SetUp() override
    {
        EngineFixture::SetUp();
        StateEngine->Current()->HandleEvent(7);
        ASSERT_EQ(STATE_OPTIONS, CurrentId());
        gui = dynamic_cast<TOptionsGUI*>(StateEngine->Current()->Window());
        ASSERT_NE(nullptr, gui);
    }
    TUISliderBar* Slider(const std::string& key)
    {
        for (const TOptionMeta& row : gui->Rows())
            if (row.key == key) return dynamic_cast<TUISliderBar*>(row.widget);
        return nullptr;
    }
};

TEST_F(OptionsScreenTest, MainMenuAfterMovingSlidersStoresNothing)
{
    SetSetting("Speed.Deal", "300");
    gui->Refresh();
    ASSERT_EQ(75, Slider("Speed.Deal")->position);
    Slider("Speed.Deal")->position = 10;
    StateEngine->Current()->HandleEvent(1);
    Frame();
    EXPECT_EQ(STATE_MENU, CurrentId());
    EXPECT_EQ(300, SettingInt("Speed.Deal"));
}

TEST_F(OptionsScreenTest, ApplyStoresEveryRowAndStaysOpen)
{
    Slider("Speed.Deal")->position = 50;
    Slider("Speed.Thinking")->position = 100;
    gui->PlayStyle()->SetCaption("Aggressive");
    gui->Volume()->position = 33;
    StateEngine->Current()->HandleEvent(2);
    EXPECT_EQ(STATE_OPTIONS, CurrentId());
    EXPECT_EQ(500, SettingInt("Speed.Deal"));
    EXPECT_EQ(50, SettingInt("Speed.Thinking"));
    EXPECT_EQ("Aggressive", SettingText("Game.PlayStyle"));
    EXPECT_EQ(33, SettingInt("Audio.Volume"));
    EXPECT_EQ("Windowed", SettingText("Video.DisplayMode"));
}

TEST_F(OptionsScreenTest, ApplyKeepsTheValuesOfSlidersNobodyMoved)
{
    // 250 shows at position 82, which would give back 244.
    SetSetting("Speed.Deal", "250");
    SetSetting("Speed.Thinking", "395");
    gui->Refresh();
    Slider("Speed.Play")->position = 0;
    StateEngine->Current()->HandleEvent(2);
    EXPECT_EQ(250, SettingInt("Speed.Deal"));
    EXPECT_EQ(395, SettingInt("Speed.Thinking"));
    EXPECT_EQ(400, SettingInt("Speed.Play")) << "the moved one is stored";
}

TEST_F(OptionsScreenTest, ResetDefaultRestoresItsListButNotTheDisplayModeOrPlayStyle)
{
    SetSetting("Speed.Play", "390");
    SetSetting("Video.DisplayMode", "Fullscreen Window");
    SetSetting("Game.PlayStyle", "Aggressive");
    SetSetting("Tutorial.Enabled", "false");
    StateEngine->Current()->HandleEvent(3);
    TQZKeyValue defaults;
    ASSERT_TRUE(defaults.LoadFromFile("Assets\\Misc\\Default.cfg", KVFORM_LINES, true));
    EXPECT_EQ(defaults.GetInt("Speed.Play"), SettingInt("Speed.Play"));
    EXPECT_EQ("Fullscreen Window", SettingText("Video.DisplayMode"));
    EXPECT_EQ("Aggressive", SettingText("Game.PlayStyle"));
    EXPECT_FALSE(SettingBool("Tutorial.Enabled"));
    EXPECT_EQ(SliderPositionOf(defaults.GetInt("Speed.Play"), 100, 400), Slider("Speed.Play")->position);
}

}  // namespace
