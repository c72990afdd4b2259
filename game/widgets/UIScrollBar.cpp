#include "UIScrollBar.h"

#include "UITheme.h"

TUIScrollBar::TUIScrollBar(const TQZRect& rect, TGUIWindow* parent, int32_t commandId)
    : TGUIScrollBar(rect, parent, commandId)
{
    thumbWidth = thumbHeight = UIKNOB_SIZE;
}

void TUIScrollBar::Draw(const TQZRect& rect)
{
    UIFillOutlined(rect, 0xFF808080);
    const TQZRect& own = GetRect();
    const TQZRect thumb = OffsetRectBy(ThumbRect(), {rect.left - own.left, rect.top - own.top});
    UIDrawKnob(thumb, Dragging(), UIKnobColour(IsPressed() || IsFocused(), IsHover()));
}
