#include "UITitle.h"

#include "UITheme.h"

#include <algorithm>

TUITitle::TUITitle(TGUIWindow* parent, bool centred)
    : TGUIBitmap(parent ? PlaceIn({parent->GetWidth(), parent->GetHeight()}, centred) : TQZRect{}, parent, 0),
      centred_(centred)
{
}

void TUITitle::AfterCreate()
{
    TGUIBitmap::AfterCreate();
    SetTexture(UITexture(UITEX_TITLE));
}

TQZRect TUITitle::PlaceIn(TQZPoint parentSize, bool centred)
{
    const int32_t W = parentSize.x, H = parentSize.y;
    const int32_t w = std::max(0, std::min(W - 150, 1024));
    const int32_t x = (W - w) / 2;
    const int32_t y = centred ? (H - w / 4) / 2 : 40;
    return {x / 2, y, W - x / 2, y + w / 4};
}

void TUITitle::ParentResized()
{
    if (const TGUIWindow* parent = GetParent())
        SetBounds(PlaceIn({parent->GetWidth(), parent->GetHeight()}, centred_));
}
