#include "UIListbox.h"

#include "UITheme.h"
#include "qz7fonts.h"

#include <algorithm>

TUIListBox::TUIListBox(const TQZRect& rect, TGUIWindow* parent, int32_t commandId)
    : TGUIListbox(rect, parent, commandId)
{
    font = UIFont(UIFONT_LIST);
    marginLeft = 2;
    marginTop = 2;
    marginRight = 25;
    marginBottom = 2;
}

TUIListBox* MakeUIListBox(const TQZRect& rect, TGUIWindow* parent, int32_t commandId)
{
    return NewWindow<TUIListBox>(rect, parent, commandId);
}

void TUIListBox::AfterCreate()
{
    TGUIListbox::AfterCreate();
    scrollBarWidget_ = NewWindow<TUIScrollBar>(TQZRect{}, this, 0);
    PlaceScrollBar();
    SetScrollBar(scrollBarWidget_);
}

void TUIListBox::PlaceScrollBar()
{
    if (!scrollBarWidget_) return;
    scrollBarWidget_->SetBounds({GetWidth() - 25, 2, GetWidth() - 2, GetHeight() - 2});
    // The bar is made before the list has its size: take its direction now.
    scrollBarWidget_->horizontal = false;
}

void TUIListBox::SetRect(const TQZRect& rect)
{
    TGUIListbox::SetRect(rect);
    PlaceScrollBar();
}

std::string TUIListBox::ShownText(int32_t index) const
{
    const std::string& text = Item(index);
    return hideExtensions ? text.substr(0, text.find('.')) : text;
}

void TUIListBox::Draw(const TQZRect& rect)
{
    TRenderKey key;
    key.Add(rect).Add(TopIndex()).Add(GetVisibleCount()).Add(Count()).Add(SelectedIndex());
    key.Add(Count() > 0 ? Item(Count() - 1) : std::string());
    DrawCached(renderer_, key.Value(), [&] {
        UIFillOutlined(rect, 0xFFA0A0A0);
        TQZFont* f = GetFont();
        const TQZRect& own = GetRect();
        const TQZPoint shift{rect.left - own.left, rect.top - own.top};
        const int32_t last = std::min(Count(), TopIndex() + GetVisibleCount()) - 1;
        for (int32_t i = TopIndex(); i <= last; ++i) {
            const TQZRect row = OffsetRectBy(GetItemRect(i), shift);
            if (i == SelectedIndex()) UIFill(row, 0x806080C0);
            if (f) f->DrawText(AdjustRect(row, 2, 2, -2, -2), ShownText(i), 0, itemColour);
        }
    });
}
