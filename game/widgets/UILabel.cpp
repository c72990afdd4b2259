#include "UILabel.h"

#include "UITheme.h"
#include "qz7fonts.h"
#include "qz7texture.h"

TUILabel::TUILabel(const std::string& caption, TQZColour colour, int32_t fontId, TGUIWindow* parent,
                   const TQZRect& rect)
    : TGUILabel(caption, rect, parent, 0), fontId_(fontId)
{
    this->colour = colour;
    font = UIFont(fontId);
}

TUILabel* MakeUILabel(const std::string& caption, const TQZRect& rect, TGUIWindow* parent, TQZColour colour,
                      int32_t fontId)
{
    return NewWindow<TUILabel>(caption, colour, fontId, parent, rect);
}

// A label lets clicks through, so it is never the hit window: the tooltip
// follows the pointer being inside the label instead.
void TUILabel::MouseMove(TQZPoint point, TGUIWindow* hit)
{
    TGUILabel::MouseMove(point, hit);
    if (tooltip) tooltip->SetVisible(PointInRect(point, {0, 0, GetWidth(), GetHeight()}) && IsVisible());
}

void TUILabel::MouseLeave()
{
    TGUILabel::MouseLeave();
    if (tooltip) tooltip->SetVisible(false);
}

uint32_t TUILabel::TextFlags() const
{
    return (centreHorizontal ? GUITEXT_CENTRE : 0) | (centreVertical ? GUITEXT_VCENTRE : 0) |
           (wordWrap ? GUITEXT_WORDWRAP : 0) | (justify ? GUITEXT_JUSTIFY : 0);
}

// The colour and the flags are part of the key: either changes the drawing.
void TUILabel::Draw(const TQZRect& rect)
{
    TRenderKey key;
    key.Add(rect).Add(caption_).Add(int32_t(colour)).Add(int32_t(TextFlags())).Add(fontId_);
    DrawCached(renderer_, key.Value(), [&] {
        if (background) background->Draw(rect, 0xFFFFFFFF);
        TQZFont* f = GetFont();
        if (!f) return;
        if (f == UIFont(UIFONT_SMALL) && colour != 0xFF000000)
            f->DrawText(OffsetRectBy(rect, {1, 1}), caption_, TextFlags(), 0xFF000000);  // the shadow
        f->DrawText(rect, caption_, TextFlags(), colour);
    });
}
