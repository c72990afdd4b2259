#include "stateOptions.h"

#include "UIButton.h"
#include "UICycleButton.h"
#include "UIFrame.h"
#include "UILabel.h"
#include "UISliderBar.h"
#include "UITheme.h"
#include "UIToggleButton.h"
#include "mgrServices.h"
#include "mgrSettings.h"
#include "mgrVideo.h"
#include "qz7kvdata.h"

#include <algorithm>

const char* const kOptionResetKeys[14] = {
    "Audio.Volume",           "Audio.Enabled",       "Game.Achievements",       "Cards.BringToFront",
    "Cards.ForceSize",        "Speed.Deal",          "Speed.Play",              "Speed.Thinking",
    "Audio.Music.Volume",     "Audio.Music.Enabled", "Gameplay.WaitAfterBid",   "Gameplay.Discardwarning",
    "Video.Effects.TrumpPlay", "Audio.Multiplayer.Alert",
};

namespace {
constexpr int32_t kFrameWidth = 860;
constexpr int32_t kRows = 12;  // ten option rows, display and play style, sound
constexpr int32_t kFrameHeight = 40 + kRows * 45 + 10;
constexpr int32_t kButtonWidth = 180, kButtonHeight = 45;
constexpr const char* kPlayStyles[] = {"Conservative", "Moderate", "Aggressive"};
}  // namespace

int32_t SliderPositionOf(int32_t value, int32_t minimum, int32_t maximum)
{
    if (maximum <= minimum) return 0;
    value = std::clamp(value, minimum, maximum);
    return 100 - (value - minimum) * 100 / (maximum - minimum);
}

int32_t SliderValueAt(int32_t position, int32_t minimum, int32_t maximum)
{
    position = std::clamp(position, 0, 100);
    return maximum - (maximum - minimum) * position / 100;
}

// ---------------------------------------------------------------- window

TOptionsGUI::TOptionsGUI(TState* owner, TGUIWindow* layout) : TStateGUI(owner, layout)
{
    frame_ = MakeUIFrame("Game Options", TQZRect{0, 0, kFrameWidth, kFrameHeight}, this);
    AddRow("Dealing speed", nullptr, 1, "Speed.Deal", 100, 900);
    AddRow("Playing speed", nullptr, 1, "Speed.Play", 100, 400);
    AddRow("Thinking speed", nullptr, 1, "Speed.Thinking", 50, 800);
    AddRow("Alert notification", "In multiplayer: play alert sound when it's your turn", 0, "Audio.Multiplayer.Alert",
           0, 0);
    AddRow("Bidding Pause", "(Single player only) pause after bidding completes", 0, "Gameplay.WaitAfterBid", 0, 0);
    AddRow("Trump animation", "Special effect when playing a winning trump", 0, "Video.Effects.TrumpPlay", 0, 0);
    AddRow("Tutorials", "Show tutorials", 0, "Tutorial.Enabled", 0, 0);
    NewWindow<TUIButton>("Mark all as unread", TQZRect{540, RowTop(6) + 3, 740, RowTop(6) + 39}, frame_, 4);
    AddRow("Discard Protection", "Warning before discarding trumps from kitty", 0, "Gameplay.Discardwarning", 0, 0);
    AddRow("Hover in front", "Card drawn in full when mouse hovers over", 0, "Cards.BringToFront", 0, 0);
    AddRow("Limit card size", "Limit size of cards to graphic designed size", 0, "Cards.ForceSize", 0, 0);

    const int32_t modes = RowTop(rowCount_), sound = RowTop(rowCount_ + 1);
    MakeUILabel("Display Mode", TQZRect{20, modes + 8, 200, modes + 36}, frame_, 0xFFFFFFFF, UIFONT_BUTTON);
    displayMode_ = MakeUICycleButton("", TQZRect{200, modes + 3, 420, modes + 41}, frame_, 0);
    for (const char* name : kDisplayModeNames) displayMode_->AddOption(name);
    MakeUILabel("AI Play Style", TQZRect{450, modes + 8, 610, modes + 36}, frame_, 0xFFFFFFFF, UIFONT_BUTTON);
    playStyle_ = MakeUICycleButton("", TQZRect{620, modes + 3, 830, modes + 41}, frame_, 0);
    for (const char* style : kPlayStyles) playStyle_->AddOption(style);
    MakeUILabel("Audio & Volume", TQZRect{20, sound + 8, 200, sound + 36}, frame_, 0xFFFFFFFF, UIFONT_BUTTON);
    sound_ = MakeUIToggleButton(false, TQZPoint{200, sound + 6}, frame_, 0);
    volume_ = MakeUISliderBar(TQZRect{290, sound + 10, 830, sound + 33}, frame_, 0);
    // Music has its settings but no music plays in the game: its row stays hidden.
    TUILabel* musicLabel =
        MakeUILabel("Music & Volume", TQZRect{20, sound + 8, 200, sound + 36}, frame_, 0xFFFFFFFF, UIFONT_BUTTON);
    musicLabel->SetVisible(false);
    music_ = MakeUIToggleButton(false, TQZPoint{200, sound + 6}, frame_, 0);
    music_->SetVisible(false);
    musicVolume_ = MakeUISliderBar(TQZRect{290, sound + 10, 830, sound + 33}, frame_, 0);
    musicVolume_->SetVisible(false);

    buttons_[0] = NewWindow<TUIButton>("Apply", TQZRect{0, 0, kButtonWidth, kButtonHeight}, this, 2);
    buttons_[1] = NewWindow<TUIButton>("Main Menu", TQZRect{0, 0, kButtonWidth, kButtonHeight}, this, 1);
    buttons_[2] = NewWindow<TUIButton>("Reset Default", TQZRect{0, 0, kButtonWidth, kButtonHeight}, this, 3);
    Arrange();
    Refresh();
    ChangeFocus(buttons_[1]);
}

void TOptionsGUI::AddRow(const char* title, const char* description, int32_t kind, const char* key, int32_t minimum,
                         int32_t maximum)
{
    const int32_t top = RowTop(rowCount_++);
    MakeUILabel(title, TQZRect{20, top + (description ? 2 : 8), 420, top + (description ? 24 : 36)}, frame_,
                0xFFFFFFFF, UIFONT_BUTTON);
    if (description) MakeUILabel(description, TQZRect{20, top + 24, 540, top + 42}, frame_, 0xFFC0C0C0, UIFONT_SMALL);
    TOptionMeta row{kind, key, minimum, maximum, nullptr};
    if (kind == 1)
        row.widget = MakeUISliderBar(TQZRect{430, top + 10, 830, top + 33}, frame_, 0);
    else
        row.widget = MakeUIToggleButton(false, TQZPoint{830 - UITOGGLE_WIDTH, top + 6}, frame_, 0);
    rows_.push_back(row);
}

bool TOptionsGUI::Arrange()
{
    TStateGUI::Arrange();
    const int32_t w = GetWidth(), h = GetHeight();
    const int32_t total = kFrameHeight + 10 + kButtonHeight;
    const int32_t top = std::max(28, (h - total) / 2);
    const int32_t left = (w - kFrameWidth) / 2;
    frame_->SetRect({left, top, left + kFrameWidth, top + kFrameHeight});
    const int32_t y = top + kFrameHeight + 10;
    for (int32_t i = 0; i < 3; ++i) {
        const int32_t x = w / 2 + (i - 1) * (kButtonWidth + 20) - kButtonWidth / 2;
        buttons_[i]->SetRect({x, y, x + kButtonWidth, y + kButtonHeight});
    }
    return false;
}

void TOptionsGUI::Refresh()
{
    if (Video) displayMode_->SetCaption(kDisplayModeNames[std::clamp(Video->DisplayMode(), 0, 2)]);
    playStyle_->SetCaption(SettingText("Game.PlayStyle"));
    sound_->state = SettingBool("Audio.Enabled");
    volume_->position = std::clamp(SettingInt("Audio.Volume"), 0, 100);
    music_->state = SettingBool("Audio.Music.Enabled");
    musicVolume_->position = std::clamp(SettingInt("Audio.Music.Volume"), 0, 100);
    for (TOptionMeta& row : rows_) {
        if (row.kind == 1)
            static_cast<TUISliderBar*>(row.widget)->position =
                SliderPositionOf(SettingInt(row.key), row.minimum, row.maximum);
        else
            static_cast<TUIToggleButton*>(row.widget)->state = SettingBool(row.key);
    }
}

void TOptionsGUI::Apply()
{
    if (!Settings) return;
    Settings->SetString("Video.DisplayMode", displayMode_->Caption());
    Settings->SetInt("Audio.Volume", std::clamp(volume_->position, 0, 100));
    Settings->SetBool("Audio.Enabled", sound_->state);
    Settings->SetInt("Audio.Music.Volume", std::clamp(musicVolume_->position, 0, 100));
    Settings->SetBool("Audio.Music.Enabled", music_->state);
    Settings->SetString("Game.PlayStyle", playStyle_->Caption());
    for (const TOptionMeta& row : rows_) {
        if (row.kind == 1) {
            // A slider left where the stored value puts it keeps that value:
            // the slider's hundred steps would otherwise round it on every Apply.
            const int32_t position = static_cast<TUISliderBar*>(row.widget)->position;
            if (position != SliderPositionOf(SettingInt(row.key), row.minimum, row.maximum))
                Settings->SetInt(row.key, SliderValueAt(position, row.minimum, row.maximum));
        } else
            Settings->SetBool(row.key, static_cast<TUIToggleButton*>(row.widget)->state);
    }
    const int32_t mode = displayMode_->GetSelectedIndex();
    if (Video && mode >= 0 && mode != Video->DisplayMode()) Video->SetDisplayMode(mode);
}

void TOptionsGUI::ResetDefaults()
{
    TQZKeyValue defaults;
    if (!Settings || !defaults.LoadFromFile(kDefaultsFile, KVFORM_LINES, true)) return;
    for (const char* key : kOptionResetKeys)
        if (defaults.FindNode(key)) Settings->SetString(key, defaults.GetString(key));
    Refresh();
}

// ---------------------------------------------------------------- state

void TStateOptions::CreateGUI()
{
    MakeWindow<TOptionsGUI>();
}

void TStateOptions::HandleEvent(int32_t command)
{
    auto* w = dynamic_cast<TOptionsGUI*>(Window());
    switch (command) {
        case 1:
        case GUICMD_BACK:
            if (StateEngine) StateEngine->PopState();
            break;
        case 2:
            if (w) w->Apply();
            break;
        case 3:
            if (w) w->ResetDefaults();
            break;
        case 4:
            if (ServiceManager) ServiceManager->MarshalInstruction("tutorial.reset");
            break;
        default: break;
    }
}
