#include "arcqz7guiwidgets.h"

#include "qz7fonts.h"
#include "qz7texture.h"
#include "qz7video.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

bool IsVirtualKey(uint32_t key)
{
    return (key & QZKEY_VIRTUAL) != 0;
}

}  // namespace

// ---------------------------------------------------------------- label

TGUILabel::TGUILabel(const std::string& caption, const TQZRect& rect, TGUIWindow* parent, int32_t commandId)
    : TGUIWindow(rect, parent, commandId), caption_(caption)
{
    clickThrough = true;
}

void TGUILabel::SetCaption(const std::string& text)
{
    caption_ = text;
}

TQZFont* TGUILabel::GetFont() const
{
    if (font) return font;
    TQZFonts* fonts = GetFonts();
    return fonts ? fonts->GetFont("Arial", 14, 0) : nullptr;
}

void TGUILabel::Draw(const TQZRect& rect)
{
    if (TQZFont* f = GetFont()) f->DrawText(rect, caption_, 0, colour);
}

// ---------------------------------------------------------------- button

TGUIButton::TGUIButton(const std::string& caption, const TQZRect& rect, TGUIWindow* parent, int32_t commandId)
    : TGUILabel(caption, rect, parent, commandId)
{
    clickThrough = false;
    mouseEnabled = true;
    focusable = true;
}

bool TGUIButton::KeyPress(uint32_t key)
{
    if (TGUILabel::KeyPress(key)) return true;
    if ((IsFocused() && key == GUIKEY_ENTER) || (hotKey != 0 && hotKey == key)) {
        ClickDelayed();
        return true;
    }
    return false;
}

// ---------------------------------------------------------------- bitmap

TGUIBitmap::TGUIBitmap(const TQZRect& rect, TGUIWindow* parent, int32_t commandId)
    : TGUIWindow(rect, parent, commandId)
{
}

void TGUIBitmap::SetTexture(TQZTexture* texture)
{
    texture_ = texture;
    if (texture) sourceRect = {0, 0, float(texture->GetWidth()), float(texture->GetHeight())};
}

void TGUIBitmap::Draw(const TQZRect& rect)
{
    if (texture_) {
        const TQZRect source{int32_t(std::lround(sourceRect.left)), int32_t(std::lround(sourceRect.top)),
                             int32_t(std::lround(sourceRect.right)), int32_t(std::lround(sourceRect.bottom))};
        texture_->DrawPart(source, rect, 0xFFFFFFFF);
    } else if (TQZVideo* video = CurrentVideo()) {
        video->FillRect(rect, tint);
    }
}

// ---------------------------------------------------------------- edit box

TGUIEditbox::TGUIEditbox(const std::string& caption, const TQZRect& rect, TGUIWindow* parent, int32_t commandId)
    : TGUILabel("", rect, parent, commandId)
{
    clickThrough = false;
    mouseEnabled = true;
    focusable = true;
    SetCaption(caption);
    cursor_ = int32_t(caption_.size());
}

void TGUIEditbox::SetCaption(const std::string& text)
{
    TGUILabel::SetCaption(text.substr(0, size_t(std::max(0, maxLength_))));
}

void TGUIEditbox::SetMaxLength(int32_t n)
{
    maxLength_ = n;
    if (int32_t(caption_.size()) > n) SetCaption(caption_);
}

void TGUIEditbox::SetCursor(int32_t n)
{
    cursor_ = ClampInt(0, n, int32_t(caption_.size()));
}

bool TGUIEditbox::IsCharAllowed(uint32_t ch) const
{
    if (ch < 32 || ch >= 128) return false;
    if (ch >= '0' && ch <= '9') return allowDigits;
    return allowText;
}

void TGUIEditbox::Insert(char ch)
{
    SetCursor(cursor_);  // the caption may have been set shorter since
    std::string text = caption_;
    text.insert(size_t(cursor_), 1, ch);
    SetCaption(text);
    SetCursor(cursor_ + 1);
}

bool TGUIEditbox::KeyPress(uint32_t key)
{
    if (TGUILabel::KeyPress(key)) return true;
    if (!IsFocused() || !IsVisible()) return false;
    SetCursor(cursor_);
    if (key == GUIKEY_BACKSPACE) {
        if (cursor_ > 0) {
            std::string text = caption_;
            text.erase(size_t(cursor_ - 1), 1);
            SetCaption(text);
            SetCursor(cursor_ - 1);
        }
    } else if (key == GUIKEY_ENTER) {
        SendCommand(commandId);
    } else if (key >= 32 && key <= 126) {
        if (IsCharAllowed(key)) Insert(char(key));
    } else if (key == GUIKEY_END) {
        SetCursor(int32_t(caption_.size()));
    } else if (key == GUIKEY_HOME) {
        SetCursor(0);
    } else if (key == GUIKEY_LEFT) {
        SetCursor(cursor_ - 1);
    } else if (key == GUIKEY_RIGHT) {
        SetCursor(cursor_ + 1);
    } else if (key == GUIKEY_DELETE) {
        if (cursor_ < int32_t(caption_.size())) {
            std::string text = caption_;
            text.erase(size_t(cursor_), 1);
            SetCaption(text);
        }
    } else if (key >= GUIKEY_NUMPAD0 && key <= GUIKEY_NUMPAD9) {
        Insert(char('0' + (key - GUIKEY_NUMPAD0)));
    } else {
        return false;
    }
    return true;
}

// ---------------------------------------------------------------- list box

TGUIListbox::TGUIListbox(const TQZRect& rect, TGUIWindow* parent, int32_t commandId)
    : TGUILabel("", rect, parent, commandId)
{
    clickThrough = false;
    mouseEnabled = true;
    focusable = true;
}

int32_t TGUIListbox::RowHeight() const
{
    TQZFont* f = GetFont();
    return (f ? f->LineHeight() : 0) + itemSpacing;
}

int32_t TGUIListbox::GetVisibleCount() const
{
    const int32_t row = RowHeight();
    if (row <= 0) return 0;
    return std::max(0, (GetHeight() - marginTop - marginBottom) / row);
}

TQZRect TGUIListbox::GetItemRect(int32_t index)
{
    if (index < topIndex_ || index > topIndex_ + GetVisibleCount() - 1) return {};
    const int32_t row = RowHeight(), k = index - topIndex_;
    const TQZRect& r = GetRect();
    return {r.left + marginLeft, r.top + marginTop + row * k, r.right - marginRight, r.top + marginTop + row * (k + 1)};
}

void TGUIListbox::SetSelected(int32_t index)
{
    index = std::max(std::min(index, Count() - 1), 0);
    const bool changed = index != selectedIndex_;
    selectedIndex_ = index;
    const int32_t visible = GetVisibleCount();
    if (index > topIndex_ + visible - 1) SetTopIndex(index - visible + 1);
    else if (index < topIndex_) SetTopIndex(index);
    if (!changed) return;
    SendCommand(commandId);
    if (scrollBar_) scrollBar_->SetPosition(index);
}

void TGUIListbox::SetTopIndex(int32_t index)
{
    topIndex_ = std::max(std::min(index, Count() - GetVisibleCount()), 0);
}

void TGUIListbox::SetScrollBar(TGUIScrollBar* bar)
{
    scrollBar_ = bar;
    if (!bar) return;
    bar->focusParent = true;
    bar->commandId = GUICMD_BACK;
    bar->SetMin(0);
    bar->SetMax(Count() - 1);
    bar->SetPosition(selectedIndex_);
    bar->step = 1;
}

void TGUIListbox::Refresh()
{
    SetSelected(selectedIndex_);
    SetTopIndex(topIndex_);
    SetScrollBar(scrollBar_);
}

int32_t TGUIListbox::AddItem(const std::string& text, void* object)
{
    objects_.push_back(object);
    items_.push_back(text);
    Refresh();
    return Count();
}

void TGUIListbox::DeleteItem(int32_t index)
{
    if (index < 0 || index >= Count()) return;
    objects_.erase(objects_.begin() + index);
    items_.erase(items_.begin() + index);
    Refresh();
}

void TGUIListbox::Clear()
{
    objects_.clear();
    items_.clear();
    hoverIndex_ = -1;
    Refresh();
}

void TGUIListbox::HandleCommand(TGUIWindow* sender, int32_t id)
{
    TGUILabel::HandleCommand(sender, id);
    if (scrollBar_ && sender == scrollBar_) SetSelected(scrollBar_->Position());
}

void TGUIListbox::MouseMove(TQZPoint point, TGUIWindow* hit)
{
    TGUILabel::MouseMove(point, hit);
    const TQZRect& r = GetRect();
    const int32_t last = std::min(Count(), topIndex_ + GetVisibleCount()) - 1;
    for (int32_t i = topIndex_; i <= last; ++i) {
        // Items are placed in the parent's coordinates; the point is the list's own.
        if (PointInRect(point, OffsetRectBy(GetItemRect(i), {-r.left, -r.top}))) {
            hoverIndex_ = i;
            return;
        }
    }
}

void TGUIListbox::Update()
{
    TGUILabel::Update();
    if (IsFocused() && IsPressed() && hoverIndex_ >= 0) SetSelected(hoverIndex_);
}

bool TGUIListbox::KeyPress(uint32_t key)
{
    if (TGUILabel::KeyPress(key)) return true;
    if (!IsFocused() || !IsVirtualKey(key)) return false;
    switch (key) {
    case GUIKEY_END: SetSelected(Count() - 1); return true;
    case GUIKEY_HOME: SetSelected(0); return true;
    case GUIKEY_UP: SetSelected(selectedIndex_ - 1); return true;
    case GUIKEY_DOWN: SetSelected(selectedIndex_ + 1); return true;
    default: return false;
    }
}

// ---------------------------------------------------------------- scroll bar

TGUIScrollBar::TGUIScrollBar(const TQZRect& rect, TGUIWindow* parent, int32_t commandId)
    : TGUIWindow(rect, parent, commandId)
{
    mouseEnabled = true;
    focusable = true;
    const TQZPoint client = GetClientSize();
    horizontal = client.y < client.x;
    thumbWidth = thumbHeight = std::min(client.x, client.y);
}

// An empty list sets Max below Min: the range is then the single value Min.
void TGUIScrollBar::SetPosition(int32_t n)
{
    n = std::max(min_, std::min(n, std::max(min_, max_)));
    if (n == position_) return;
    position_ = n;
    if (notify) SendCommand(commandId);
}

void TGUIScrollBar::SetMax(int32_t n)
{
    max_ = n;
    if (position_ > n) SetPosition(n);
}

void TGUIScrollBar::SetMin(int32_t n)
{
    min_ = n;
    if (position_ < n) SetPosition(n);
}

void TGUIScrollBar::StepBack()
{
    SetPosition(position_ - step);
}

void TGUIScrollBar::StepForward()
{
    SetPosition(position_ + step);
}

TQZRect TGUIScrollBar::ThumbRect() const
{
    const double f = max_ > min_ ? double(position_ - min_) / double(max_ - min_) : 0.5;
    const TQZPoint client = GetClientSize();
    const TQZRect& r = GetRect();
    const int32_t x = r.left + marginLeft + int32_t(std::lround((client.x - thumbWidth) * f));
    const int32_t y = r.top + marginTop + int32_t(std::lround((client.y - thumbHeight) * f));
    return {x, y, x + thumbWidth, y + thumbHeight};
}

// The nearest value of the step grid to the pointer, the first on a tie, as a
// walk over every value from Min to Max would find it; without a usable
// track, range or step the position stays.
int32_t TGUIScrollBar::PositionAt(TQZPoint point) const
{
    const TQZPoint client = GetClientSize();
    const int64_t track = horizontal ? client.x - thumbWidth : client.y - thumbHeight;
    const int64_t coord = horizontal ? point.x - thumbWidth / 2 : point.y - thumbHeight / 2;
    if (track <= 0 || max_ <= min_) return position_;
    const int64_t stride = std::max(1, step);
    const int64_t last = (int64_t(max_) - min_) / stride;
    const double scale = double(int64_t(max_) - min_) / double(track);
    auto offset = [&](int64_t k) { return int64_t(std::llround(double(k * stride) / scale)); };
    auto firstAtLeast = [&](int64_t target) {  // first k whose offset reaches target, last + 1 if none
        int64_t lo = 0, hi = last + 1;
        while (lo < hi) {
            const int64_t mid = lo + (hi - lo) / 2;
            if (offset(mid) >= target) hi = mid;
            else lo = mid + 1;
        }
        return lo;
    };
    int64_t best = -1, bestDistance = 10000;
    const int64_t above = firstAtLeast(coord);
    if (above > 0) {
        const int64_t below = firstAtLeast(offset(above - 1));
        const int64_t d = coord - offset(below);
        if (d < bestDistance) best = below, bestDistance = d;
    }
    if (above <= last) {
        const int64_t d = offset(above) - coord;
        if (d < bestDistance) best = above;
    }
    return best < 0 ? position_ : int32_t(min_ + best * stride);
}

bool TGUIScrollBar::MouseDown(TQZPoint point)
{
    if (!TGUIWindow::MouseDown(point)) return false;
    const TQZRect& r = GetRect();
    const TQZRect thumb = OffsetRectBy(ThumbRect(), {-r.left, -r.top});
    if (PointInRect(point, thumb)) {
        dragging_ = true;
    } else if (horizontal ? point.x < thumb.left : point.y < thumb.top) {
        StepBack();
    } else {
        StepForward();
    }
    return true;
}

bool TGUIScrollBar::MouseUp(TQZPoint point)
{
    const bool result = TGUIWindow::MouseUp(point);
    dragging_ = false;
    return result;
}

void TGUIScrollBar::MouseMove(TQZPoint point, TGUIWindow* hit)
{
    TGUIWindow::MouseMove(point, hit);
    if (dragging_) SetPosition(PositionAt(point));
}

bool TGUIScrollBar::MouseWheel(int32_t delta)
{
    if (delta == 0 || !IsVisible() || max_ <= min_) return false;
    // Away from the user (a positive delta) goes back towards the start.
    if (delta > 0) StepBack();
    else StepForward();
    return true;
}

bool TGUIScrollBar::KeyPress(uint32_t key)
{
    if (TGUIWindow::KeyPress(key)) return true;
    if (!IsFocused() || !IsVirtualKey(key)) return false;
    const uint32_t back = horizontal ? GUIKEY_LEFT : GUIKEY_UP;
    const uint32_t forward = horizontal ? GUIKEY_RIGHT : GUIKEY_DOWN;
    if (key == back) StepBack();
    else if (key == forward) StepForward();
    else return false;
    return true;
}
