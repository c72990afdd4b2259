#include "UIBidButton.h"

#include "UITheme.h"
#include "clVideoDraw.h"
#include "mgrVideo.h"
#include "qz7fonts.h"

TUIBidButton::TUIBidButton(const std::string& caption, TGUIWindow* parent, TBidButtonCheck onCheck, int32_t value,
                           TBidButtonClick onClick, int32_t icon, const TQZRect& rect)
    : TGUILabel(caption, rect, parent, 0), onClick(onClick), onCheck(onCheck), value(value), icon(icon)
{
    mouseEnabled = true;
    clickThrough = false;
    font = UIFont(UIFONT_SMALL);
}

void TUIBidButton::Press()
{
    TGUILabel::Press();
    if (IsEnabled() && onClick) onClick(value);
}

bool TUIBidButton::IsSelected() const
{
    if (!onCheck) return false;
    const TBid bid = onCheck();
    if (value >= SUIT_SPADES && value <= SUIT_NOTRUMPS) return bid.suit == value && !IsMisereBid(bid);
    if (value >= 6 && value <= 10) return bid.count == value;
    if (value == BIDVALUE_MISERE) return IsMisereBid(bid);
    return false;
}

void TUIBidButton::Draw(const TQZRect& rect)
{
    TVideoDraw* draw = Video ? Video->Draw() : nullptr;
    if (!draw) return;
    const bool selected = IsSelected();
    TRenderKey key;
    // A chosen tile has a moving border: it is drawn afresh every frame
    // (a count, not the random generator, which the game's deals share).
    key.Add(rect).Add(caption_).Add(IsEnabled()).Add(selected ? ++redraws_ : 0);
    DrawCached(renderer_, key.Value(), [&] {
        const TQZRect text = icon >= 0 ? AdjustRect(rect, 32, 0, 0, 0) : rect;
        draw->Fill(BIDBUTTON_FACE, rect);
        if (icon >= 0) draw->DrawIcon(icon, {rect.left + 2, rect.top + 2, rect.left + 34, rect.top + 34});
        if (TQZFont* f = GetFont()) f->DrawText(text, caption_, 0x52, 0xFF000000);
        if (selected) {
            draw->Bevel(rect, 0xFF000000, 0xFFFFFFFF);
            draw->DrawAnimatedBorder(0xFF000000, AdjustRect(rect, 2, 2, -2, -2));
        } else {
            draw->Bevel(rect, 0xFFFFFFFF, 0xFF000000);
        }
        if (!IsEnabled()) draw->Fill(0x80808080, rect);
    });
}
