// An on/off switch of 68 x 30 with a sliding knob.
#pragma once

#include "UIButton.h"

constexpr int32_t UITOGGLE_WIDTH = 68;
constexpr int32_t UITOGGLE_HEIGHT = 30;

class TUIToggleButton : public TUIButton {
public:
    TUIToggleButton(bool state, TQZPoint topLeft, TGUIWindow* parent, int32_t commandId);

    void Press() override;
    void Draw(const TQZRect& rect) override;

    bool state;
    int32_t style = 0;  // 1 takes the cells 64 pixels to the right
};

TUIToggleButton* MakeUIToggleButton(bool state, TQZPoint topLeft, TGUIWindow* parent, int32_t commandId);
