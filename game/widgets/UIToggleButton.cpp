#include "UIToggleButton.h"

#include "UITheme.h"
#include "qz7texture.h"

TUIToggleButton::TUIToggleButton(bool state, TQZPoint topLeft, TGUIWindow* parent, int32_t commandId)
    : TUIButton("", {topLeft.x, topLeft.y, topLeft.x + UITOGGLE_WIDTH, topLeft.y + UITOGGLE_HEIGHT}, parent,
                commandId),
      state(state)
{
}

TUIToggleButton* MakeUIToggleButton(bool state, TQZPoint topLeft, TGUIWindow* parent, int32_t commandId)
{
    return NewWindow<TUIToggleButton>(state, topLeft, parent, commandId);
}

void TUIToggleButton::Press()
{
    TUIButton::Press();
    state = !state;
}

void TUIToggleButton::Draw(const TQZRect& rect)
{
    const int32_t dx = style == 1 ? 64 : 0;
    if (TQZTexture* cells = UITexture(UITEX_ONOFF)) {
        const TQZRect cell = state ? TQZRect{dx, 0, dx + 51, 22} : TQZRect{dx, 32, dx + 51, 54};
        cells->DrawPart(cell, rect, 0xFFFFFFFF);
    }
    const TQZRect knob = state ? TQZRect{rect.right - 27, rect.top + 4, rect.right - 4, rect.bottom - 4}
                               : TQZRect{rect.left + 4, rect.top + 4, rect.left + 27, rect.bottom - 4};
    UIDrawKnob(knob, IsFocused(), UIKnobColour(IsPressed() || IsFocused(), IsHover()));
    if (!IsEnabled()) UIFill(rect, UICOLOUR_VEIL);
}
