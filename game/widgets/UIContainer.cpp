#include "UIContainer.h"

#include "UITheme.h"

TUIContainer::TUIContainer(const TQZRect& rect, TGUIWindow* parent, int32_t style)
    : TGUIWindow(rect, parent, 0), style(style)
{
}

TUIContainer* MakeUIContainer(const TQZRect& rect, TGUIWindow* parent, int32_t style)
{
    return NewWindow<TUIContainer>(rect, parent, style);
}

void TUIContainer::Draw(const TQZRect& rect)
{
    if (rect.Width() < 2 || rect.Height() < 2) return;
    TRenderKey key;
    key.Add(rect).Add(style).Add(IsEnabled()).Add(IsHover()).Add(IsPressed());
    DrawCached(renderer_, key.Value(), [&] { UIDrawBadge(style, rect); });
}
