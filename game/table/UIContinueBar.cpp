#include "UIContinueBar.h"

#include "UIPlayerIcon.h"

namespace {
constexpr int32_t kIconSize = 64;
}

TQZRect TUIContinueBar::PlaceIn(TQZPoint parentSize)
{
    const int32_t cx = parentSize.x / 2, cy = parentSize.y * 2 / 3;
    const int32_t left = cx - CONTINUEBAR_WIDTH / 2, top = cy - CONTINUEBAR_HEIGHT / 2;
    return {left, top, left + CONTINUEBAR_WIDTH, top + CONTINUEBAR_HEIGHT};
}

TUIContinueBar::TUIContinueBar(TGUIWindow* parent)
    : TUIContainer(PlaceIn(parent ? TQZPoint{parent->GetWidth(), parent->GetHeight()} : TQZPoint{}), parent, 0)
{
    for (TSeat s = 1; s <= 4; ++s) {
        const int32_t x = kIconSize * s - 60;
        icons_[s - 1] = NewWindow<TUIPlayerIcon>(s, this, TQZRect{x, 4, x + kIconSize, 4 + kIconSize});
        icons_[s - 1]->showMarker = true;
    }
}

TUIContinueBar* MakeUIContinueBar(TGUIWindow* parent) { return NewWindow<TUIContinueBar>(parent); }

bool TUIContinueBar::Arrange()
{
    if (TGUIWindow* parent = GetParent()) SetRect(PlaceIn({parent->GetWidth(), parent->GetHeight()}));
    return true;
}
