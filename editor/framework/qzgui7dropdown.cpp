#include "qz7videochoice.h"
#include "qzgui7dropdown.h"

void TQZGUIDropdown::InitDefaults()
{
    TQZGUIListView::InitDefaults();
    SetCanClick(true);
    open_ = false;
    SetRepaintOptions(RepaintOptions() | QZREPAINT_PRESSED);
    SetTextDraw(QZFD_ALIGN_LEFT | QZFD_ALIGN_MIDDLE);
}

void TQZGUIDropdown::AfterCreate()
{
    closed_ = GetPosition();
}

void TQZGUIDropdown::ApplyLayout()
{
    TQZGUIListView::ApplyLayout();
    if (!open_) closed_ = GetPosition();
}

void TQZGUIDropdown::SetText(const std::string& text)
{
    if (open_) {
        TQZGUIWindow::SetText(text);
    } else {
        TQZGUIListView::SetText(text);
    }
}

void TQZGUIDropdown::Open()
{
    if (open_) return;
    closed_ = GetPosition();
    open_ = true;
    SetPosition({closed_.left, closed_.top, closed_.right, closed_.bottom + OPEN_ROWS * TextHeight(".")});
    MarkItemsChanged();
}

void TQZGUIDropdown::Close()
{
    if (!open_) return;
    const int32_t s = Selected();
    TQZGUIWindow::SetText(s >= 0 && s < ItemCount() ? ItemText(s) : std::string());
    open_ = false;
    SetPosition(closed_);
    MarkItemsChanged();
}

void TQZGUIDropdown::MouseDown(bool down, TQZPoint point)
{
    const bool inside = PointInRect(point, {0, 0, GetWidth(), GetHeight()});
    if (!open_) {
        TQZGUIWindow::MouseDown(down, point);
        if (down && inside) {
            Root()->SetFocus(this);
            Open();
        }
        return;
    }
    TQZGUIListView::MouseDown(down, point);
    Close();
}

bool TQZGUIDropdown::HandleKey(uint32_t key)
{
    if (open_ && key == 13 && Enabled() && HasFocus()) {
        Close();
        Click();
        return true;
    }
    return TQZGUIListView::HandleKey(key);
}

void TQZGUIDropdown::SetFocused(bool flag)
{
    TQZGUIListView::SetFocused(flag);
    // A click elsewhere closes an open list.
    if (!flag) Close();
}

void TQZGUIDropdown::Paint(const TQZRect& r)
{
    if (open_) {
        TQZGUIListView::Paint(r);
        return;
    }
    TQZVideo* video = GetVideo();
    if (!video) return;
    const TQZRect i = AdjustRect(r, 1, 1, -1, -1);
    video->DrawFrame(r, GetThemeColor(9), 1, GetThemeColor(9));
    video->FillRect(i, GetThemeColor(8));
    video->FillRect({i.left, i.bottom - 2, i.right, i.bottom}, GetThemeColor(6));
    DrawText({i.left + 2, i.top + 2, i.right - 30, i.bottom - 4}, Text(), TextDraw(), GetThemeColor(0));
    video->FillRect({i.right - 30, i.top, i.right, i.bottom - 2}, GetThemeColor(HasState(QZSTATE_HOVER) ? 7 : 6));
    video->FillRect({i.right - 30, i.bottom - 2, i.right, i.bottom}, GetThemeColor(5));
    const TQZPoint p{i.right - 15, (i.top + i.bottom) / 2 + 2};
    const TQZColour arrow = GetThemeColor(4);
    video->DrawLine({p.x - 6, p.y - 6}, p, arrow, arrow, 2);
    video->DrawLine(p, {p.x + 5, p.y - 5}, arrow, arrow, 2);
}
