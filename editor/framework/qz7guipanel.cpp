#include "qz7videochoice.h"
#include "qz7guipanel.h"

#include <algorithm>
#include <cmath>

// ---------------------------------------------------------------- panel scroll bar

const TQZGUIPropertyList& TQZGUIPanelScroll::Properties() const
{
    using W = TQZGUIPanelScroll;
    namespace p = qz7props;
    static const TQZGUIPropertyList list = p::Extend(
        WindowProperties(),
        {p::Boolean<W>("ChangeMessage", &W::ChangeMessage, &W::SetChangeMessage, true),
         p::Integer<W>("Step", &W::Step, &W::SetStep, true, 1), p::Integer<W>("Maximum", &W::Maximum, &W::SetMaximum, true, 1),
         p::Integer<W>("Minimum", &W::Minimum, &W::SetMinimum, true, 0), p::Integer<W>("Value", &W::Value, &W::SetValue, false),
         p::Integer<W>("ValueSize", &W::ValueSize, &W::SetValueSize, true, 1)});
    return list;
}

void TQZGUIPanelScroll::InitDefaults()
{
    SetCanClick(true);
    SetCanFocus(true);
    SetRepaintOptions(RepaintOptions() | QZREPAINT_PRESSED | QZREPAINT_DIRTYTARGET);
    SetBGColor(GetThemeColor(4));
}

int32_t TQZGUIPanelScroll::ValueHigh() const
{
    return MaxOf(minimum_, int32_t(std::clamp<int64_t>(int64_t(maximum_) - valueSize_ + 1, INT32_MIN, INT32_MAX)));
}

void TQZGUIPanelScroll::SetValue(int32_t v)
{
    v = ClampInt(minimum_, v, ValueHigh());
    if (v == value_) return;
    value_ = v;
    Invalidate(true);
    if (changeMessage_) Notify(ID(), this);
}

void TQZGUIPanelScroll::Reclamp()
{
    if (value_ < minimum_ || value_ > ValueHigh()) SetValue(value_);
}

void TQZGUIPanelScroll::SetBound(int32_t& field, int32_t v)
{
    field = v;
    Reclamp();
    Invalidate(true);
}

void TQZGUIPanelScroll::SetMaximum(int32_t v) { SetBound(maximum_, v); }

void TQZGUIPanelScroll::SetMinimum(int32_t v) { SetBound(minimum_, v); }

void TQZGUIPanelScroll::SetValueSize(int32_t v) { SetBound(valueSize_, v); }

int32_t TQZGUIPanelScroll::ThumbLength() const
{
    const int32_t track = TrackLength();
    const int64_t range = int64_t(maximum_) - minimum_ + 1;
    if (range <= 0 || valueSize_ >= range) return track;
    const int32_t thickness = Horizontal() ? GetHeight() : GetWidth();
    const int32_t thumb = int32_t(int64_t(track) * MaxOf(valueSize_, 0) / range);
    return ClampInt(MinOf(thickness, track), thumb, track);
}

int32_t TQZGUIPanelScroll::ThumbStart() const
{
    const int32_t free = TrackLength() - ThumbLength();
    const int64_t span = int64_t(maximum_) - valueSize_ - minimum_ + 1;
    if (span <= 0) return span == 0 ? free : 0;
    return int32_t(std::lround(double(int64_t(value_) - minimum_) / double(span) * free));
}

TQZRect TQZGUIPanelScroll::ThumbRect() const
{
    const int32_t start = ThumbStart(), end = start + ThumbLength();
    const int32_t cx = GetWidth() / 2, cy = GetHeight() / 2;
    if (Horizontal()) return {start, cy - 3, end, cy + 3};
    return {cx - 3, start, cx + 3, end};
}

void TQZGUIPanelScroll::MouseDown(bool down, TQZPoint point)
{
    TQZGUIWindow::MouseDown(down, point);
    if (!down || !PointInRect(point, {0, 0, GetWidth(), GetHeight()})) return;
    const int32_t along = Horizontal() ? point.x : point.y;
    const int32_t start = ThumbStart(), end = start + ThumbLength();
    if (along < start) {
        SetValue(value_ - step_);
    } else if (along >= end) {
        SetValue(value_ + step_);
    } else {
        // On the thumb: a drag of its own, whatever CanDrag says.
        SetState(QZSTATE_DRAGGING, true);
        SetDragOrigin(point);
        dragStartValue_ = value_;
    }
}

void TQZGUIPanelScroll::MouseUp(bool released, TQZPoint point)
{
    if (released && HasState(QZSTATE_DRAGGING)) SetState(QZSTATE_DRAGGING, false);
    TQZGUIWindow::MouseUp(released, point);
}

void TQZGUIPanelScroll::DragMove(TQZPoint delta)
{
    // A thumb that fills its track cannot move.
    const int32_t free = TrackLength() - ThumbLength();
    if (free <= 0) return;
    const int64_t span = int64_t(maximum_) - valueSize_ - minimum_ + 1;
    const double moved = double(Horizontal() ? delta.x : delta.y) * double(span) / free;
    SetValue(int32_t(std::clamp<double>(std::nearbyint(moved) + dragStartValue_, INT32_MIN, INT32_MAX)));
}

bool TQZGUIPanelScroll::HandleKey(uint32_t key)
{
    if (Enabled() && HasFocus()) {
        if (key == 0x1000025 || key == 0x1000026) {
            SetValue(value_ - step_);
            return true;
        }
        if (key == 0x1000027 || key == 0x1000028) {
            SetValue(value_ + step_);
            return true;
        }
    }
    return TQZGUIWindow::HandleKey(key);
}

void TQZGUIPanelScroll::Paint(const TQZRect& r)
{
    TQZVideo* video = GetVideo();
    if (!video) return;
    const int32_t cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
    const TQZRect track = Horizontal() ? TQZRect{r.left, cy - 3, r.right, cy + 3} : TQZRect{cx - 3, r.top, cx + 3, r.bottom};
    if (BGColor() != 0) video->FillRect(r, BGColor());
    video->FillRect(track, GetThemeColor(2));
    const TQZRect thumb = OffsetRectBy(ThumbRect(), {r.left, r.top});
    video->FillRect(thumb, GetThemeColor(HasState(QZSTATE_HOVER) ? 7 : 6));
    video->DrawFrame(thumb, GetThemeColor(9), 1, GetThemeColor(9));
    // The grip: two lines 3 pixels either side of the thumb's centre.
    const TQZColour grip = GetThemeColor(4);
    if (Horizontal()) {
        const int32_t mx = (thumb.left + thumb.right) / 2;
        video->DrawLine({mx - 3, thumb.top}, {mx - 3, thumb.bottom}, grip, grip, 1);
        video->DrawLine({mx + 3, thumb.top}, {mx + 3, thumb.bottom}, grip, grip, 1);
        if (!Text().empty()) DrawText(r, Text(), TextDraw(), GetThemeColor(0));
    } else {
        const int32_t my = (thumb.top + thumb.bottom) / 2;
        video->DrawLine({thumb.left, my - 3}, {thumb.right, my - 3}, grip, grip, 1);
        video->DrawLine({thumb.left, my + 3}, {thumb.right, my + 3}, grip, grip, 1);
    }
    video->DrawFrame(r, 0xFFFF0000, 1, 0xFFFF0000);
}

// ---------------------------------------------------------------- panel

void TQZGUIPanel::InitDefaults()
{
    scroll_ = CreateChild<TQZGUIPanelScroll>(this, {}, "", SCROLL_ID);
    scroll_->SetTitle(QZGUI_BUILTIN);
    scroll_->SetMaximum(1000);
    SetRepaintOptions(RepaintOptions() | QZREPAINT_DIRTYTARGET | QZREPAINT_CLIP);
    rowHeight_ = 30;
    pending_ = true;
}

void TQZGUIPanel::PlaceChild(TQZGUIWindow*, const TQZGUILayout& layout, TQZRect& out)
{
    const int32_t w = GetWidth();
    const TQZRect& p = layout.position;
    auto pc = [w](int32_t v) { return int32_t(int64_t(w) * v / 100); };
    auto row = [this](int32_t v) { return int32_t(std::clamp<int64_t>(int64_t(rowHeight_) * v, INT32_MIN / 2, INT32_MAX / 2)); };
    out = {pc(p.left) + 5, row(p.top) + 6, pc(p.right) - 25, row(p.bottom) - 2};
}

void TQZGUIPanel::Resized()
{
    TQZGUIWindow::Resized();
    pending_ = true;
}

void TQZGUIPanel::ChildrenChanged(TQZGUIWindow*)
{
    pending_ = true;
}

void TQZGUIPanel::Update()
{
    if (!pending_ || !scroll_) return;
    const int32_t h = GetHeight();
    // Rows first, so that the content's height is that of the rows in use.
    const int32_t rows = ClampInt(30, h / 8, 60);
    if (rows != rowHeight_) {
        rowHeight_ = rows;
        for (int32_t i = 0; i < ChildCount(); ++i) {
            if (GetChild(i) != scroll_) GetChild(i)->LayoutPass();
        }
    }
    int32_t content = h;
    for (int32_t i = 0; i < ChildCount(); ++i) {
        if (GetChild(i) != scroll_) content = MaxOf(content, GetChild(i)->GetPosition().bottom);
    }
    scroll_->SetValueSize(h);
    scroll_->SetStep(h / 2 + 1);
    scroll_->SetMaximum(content);
    scroll_->SetVisible(content > h);
    Scrolled();
    pending_ = false;
}

void TQZGUIPanel::Scrolled()
{
    const int32_t w = GetWidth(), h = GetHeight(), v = scroll_->Value();
    SetClientOffset({ClientOffset().x, -v});
    scroll_->SetPosition({w - 20, v + 5, w, h + v - 5});
}

void TQZGUIPanel::Notify(int32_t id, TQZGUIWindow* sender)
{
    if (id == SCROLL_ID && sender == scroll_) {
        Scrolled();
        return;
    }
    TQZGUIWindow::Notify(id, sender);
}

void TQZGUIPanel::Paint(const TQZRect& r)
{
    if (TQZVideo* video = GetVideo()) video->FillRect(r, GetThemeColor(4));
}
