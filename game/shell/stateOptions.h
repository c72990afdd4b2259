// The game options: speeds, toggles, display mode, sound and the computers'
// play style, stored in the settings on "Apply".
#pragma once

#include "mgrStates.h"

#include <string>
#include <vector>

class TUICycleButton;
class TUISliderBar;
class TUIToggleButton;

// One option row: a toggle or a slider over a setting.
struct TOptionMeta {
    int32_t kind = 0;  // 0 toggle, 1 slider
    std::string key;
    int32_t minimum = 0, maximum = 0;  // sliders only, in milliseconds
    TGUIWindow* widget = nullptr;
};

// The slider position (0 to 100, fastest at the right) of a value, and the
// value a position stores; both clamped to the slider's range.
int32_t SliderPositionOf(int32_t value, int32_t minimum, int32_t maximum);
int32_t SliderValueAt(int32_t position, int32_t minimum, int32_t maximum);

class TOptionsGUI : public TStateGUI {
public:
    TOptionsGUI(TState* owner, TGUIWindow* layout);
    bool Arrange() override;

    void Refresh();
    void Apply();
    void ResetDefaults();

    const std::vector<TOptionMeta>& Rows() const { return rows_; }
    TUICycleButton* DisplayMode() const { return displayMode_; }
    TUICycleButton* PlayStyle() const { return playStyle_; }
    TUISliderBar* Volume() const { return volume_; }
    TUIToggleButton* Sound() const { return sound_; }

private:
    void AddRow(const char* title, const char* description, int32_t kind, const char* key, int32_t minimum,
                int32_t maximum);
    int32_t RowTop(int32_t row) const { return 40 + row * 45; }

    TGUIWindow* frame_ = nullptr;
    TGUIWindow* buttons_[3] = {};
    std::vector<TOptionMeta> rows_;
    int32_t rowCount_ = 0;
    TUICycleButton* displayMode_ = nullptr;
    TUICycleButton* playStyle_ = nullptr;
    TUIToggleButton* sound_ = nullptr;
    TUISliderBar* volume_ = nullptr;
    TUIToggleButton* music_ = nullptr;
    TUISliderBar* musicVolume_ = nullptr;
};

class TStateOptions : public TState {
public:
    void CreateGUI() override;
    void HandleEvent(int32_t commandId) override;
};

// The settings that "Reset Default" restores, in order.
extern const char* const kOptionResetKeys[14];
