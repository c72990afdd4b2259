#include "UIEditBox.h"

#include "UITheme.h"
#include "qz7fonts.h"
#include "qz7texture.h"
#include "qz7timer.h"

#include <cmath>
#include <numbers>

TUIEditBox::TUIEditBox(const std::string& caption, const TQZRect& rect, TGUIWindow* parent, int32_t commandId)
    : TGUIEditbox(caption, rect, parent, commandId)
{
    font = UIFont(UIFONT_BUTTON);
    colour = 0xFFFFFF00;
    centreVertical = true;
}

TUIEditBox* MakeUIEditBox(const std::string& caption, const TQZRect& rect, TGUIWindow* parent)
{
    return NewWindow<TUIEditBox>(caption, rect, parent);
}

uint8_t TUIEditBox::BackgroundAlpha(uint32_t clock) const
{
    if (!IsFocused()) return 32;
    return uint8_t(96 + std::lround(std::sin(double(clock % 1000) / 1000.0 * std::numbers::pi) * 64));
}

void TUIEditBox::Draw(const TQZRect& rect)
{
    UIDrawPanel(0xFFFFFFFF, rect);
    if (TQZTexture* smooth = UITexture(UITEX_SMOOTH))
        smooth->Draw(AdjustRect(rect, 4, 4, -4, -4), (TQZColour(BackgroundAlpha(GetTickMS())) << 24) | 0xFFFFFF);
    TQZFont* f = GetFont();
    if (!f) return;
    const TQZRect text{rect.left + 4, rect.top + 2, rect.right - 2, rect.bottom - 4};
    const uint32_t flags = centreVertical ? GUITEXT_VCENTRE : 0;
    f->DrawText(text, caption_, flags, colour);
    if (IsFocused()) {
        const size_t before = size_t(ClampInt(0, Cursor(), int32_t(caption_.size())));
        const int32_t x = text.left + f->TextWidth(caption_.substr(0, before));
        f->DrawText({x, text.top, text.right, text.bottom}, "_", flags, colour);
    }
}
