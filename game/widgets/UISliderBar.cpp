#include "UISliderBar.h"

#include "UITheme.h"

#include <cmath>

TUISliderBar::TUISliderBar(const TQZRect& rect, TGUIWindow* parent, int32_t commandId)
    : TUIProgressBar(rect, parent, commandId)
{
    mouseEnabled = true;
    focusable = true;
    SetGlow(false);
}

TUISliderBar* MakeUISliderBar(const TQZRect& rect, TGUIWindow* parent, int32_t commandId)
{
    return NewWindow<TUISliderBar>(rect, parent, commandId);
}

TQZRect TUISliderBar::ThumbRect() const
{
    const int32_t h = GetHeight();
    const int32_t cx = int32_t(std::lround((GetWidth() - TextPartWidth() - h) * Fraction())) + h / 2;
    return CentredRect(cx, h / 2, h, h);
}

bool TUISliderBar::MouseDown(TQZPoint point)
{
    const bool pressed = TUIProgressBar::MouseDown(point);
    if (PointInRect(point, ThumbRect())) dragging_ = true;
    return pressed;
}

bool TUISliderBar::MouseUp(TQZPoint point)
{
    const bool result = TUIProgressBar::MouseUp(point);
    dragging_ = false;
    return result;
}

// A slider with no room for its bar keeps its position.
void TUISliderBar::MouseMove(TQZPoint point, TGUIWindow* hit)
{
    TUIProgressBar::MouseMove(point, hit);
    if (!dragging_) return;
    const int32_t track = GetWidth() - int32_t(std::lround(GetWidth() * 0.203125));
    if (track <= 0) return;
    position = ClampLowWins(0, int32_t(std::lround(double(point.x) * max / track)), max);
}

void TUISliderBar::Draw(const TQZRect& rect)
{
    DrawBar(rect);
    UIDrawKnob(OffsetRectBy(ThumbRect(), {rect.left, rect.top}), dragging_,
               UIKnobColour(IsPressed() || IsFocused(), IsHover()));
    if (!IsEnabled()) UIFill(rect, UICOLOUR_VEIL);
}
