#include "qz7videochoice.h"
#include "qz7guiscrollbar.h"

#include "qz7text.h"

#include <algorithm>
#include <cmath>

const std::vector<std::string>& ScrollBarStyleNames()
{
    static const std::vector<std::string> names = {"scrVertical", "scrHorizontal"};
    return names;
}

const TQZGUIPropertyList& TQZGUIScrollBar::Properties() const
{
    using W = TQZGUIScrollBar;
    namespace p = qz7props;
    static const TQZGUIPropertyList list = p::Extend(
        WindowProperties(),
        {p::Float<W>("Coverage", &W::Coverage, nullptr), p::Integer<W>("InsetPixels", &W::InsetPixels, &W::SetInsetPixels, true, 1),
         p::Integer<W>("LargeStep", &W::LargeStep, &W::SetLargeStep, true, 20),
         p::Integer<W>("Max", &W::Max, &W::SetMax, true, 100), p::Integer<W>("Min", &W::Min, &W::SetMin, true, 0),
         p::Integer<W>("PageSize", &W::PageSize, &W::SetPageSize, true, 20),
         p::Integer<W>("SmallStep", &W::SmallStep, &W::SetSmallStep, true, 1),
         p::Enumeration<W, TScrollBarStyle>("Style", ScrollBarStyleNames(), &W::Style, &W::SetStyle),
         p::Integer<W>("Value", &W::Value, &W::SetValue, true, 50),
         p::Unsettable("OnValueChange", TQZPropKind::Method)});
    return list;
}

void TQZGUIScrollBar::InitDefaults()
{
    SetRepaintOptions(QZREPAINT_PRESSED);
    SetCanClick(true);
    SetCanDrag(true);
    SetCanFocus(true);
}

// ---------------------------------------------------------------- value

namespace {
int32_t Saturate(int64_t v)
{
    return int32_t(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}
}  // namespace

int32_t TQZGUIScrollBar::ValueHigh() const
{
    return MaxOf(min_, Saturate(int64_t(max_) - pageSize_ + 1));
}

void TQZGUIScrollBar::Clamp()
{
    pageSize_ = ClampInt(1, pageSize_, MaxOf(1, Saturate(int64_t(max_) - min_ + 1)));
    SetValue(value_);
}

void TQZGUIScrollBar::SetValue(int32_t v)
{
    v = ClampInt(min_, v, ValueHigh());
    if (v == value_) return;
    value_ = v;
    Invalidate(true);
    if (auto handler = onValueChange) handler(this);
}

void TQZGUIScrollBar::SetBound(int32_t& field, int32_t v)
{
    field = v;
    Clamp();
    Invalidate(true);
}

void TQZGUIScrollBar::SetMax(int32_t v) { SetBound(max_, v); }

void TQZGUIScrollBar::SetMin(int32_t v) { SetBound(min_, v); }

void TQZGUIScrollBar::SetPageSize(int32_t v) { SetBound(pageSize_, v); }

void TQZGUIScrollBar::SetRange(int32_t lo, int32_t hi, int32_t page)
{
    if (lo == min_ && hi == max_ && page == pageSize_) return;
    min_ = lo;
    max_ = hi;
    pageSize_ = page;
    Clamp();
    Invalidate(true);
}

void TQZGUIScrollBar::SetInsetPixels(int32_t v)
{
    inset_ = v;
    Invalidate(true);
}

void TQZGUIScrollBar::SetStyle(TScrollBarStyle s)
{
    style_ = s;
    Invalidate(true);
}

float TQZGUIScrollBar::Coverage() const
{
    const int64_t range = int64_t(max_) - min_ + 1;
    if (range <= 0) return 1.0f;
    return ClampSingle(0.0f, float(pageSize_) / float(range), 1.0f);
}

// ---------------------------------------------------------------- geometry

int32_t TQZGUIScrollBar::TrackLength() const
{
    return MaxOf(0, (Vertical() ? GetHeight() : GetWidth()) - 2 * inset_);
}

int32_t TQZGUIScrollBar::ThumbLength() const
{
    const int32_t track = TrackLength();
    const int32_t thickness = (Vertical() ? GetWidth() : GetHeight()) - 2 * inset_;
    const int32_t thumb = MaxOf(int32_t(std::lround(track * Coverage())), thickness);
    return ClampInt(0, thumb, track);
}

int32_t TQZGUIScrollBar::ThumbStart() const
{
    const int64_t span = int64_t(max_) - min_ - pageSize_;
    if (span < 0) return 0;
    const int32_t free = TrackLength() - ThumbLength();
    return int32_t(std::lround(double(int64_t(value_) - min_) / double(span + 1) * free));
}

TQZRect TQZGUIScrollBar::ThumbRect() const
{
    const int32_t start = inset_ + ThumbStart(), end = start + ThumbLength();
    if (Vertical()) return {inset_, start, GetWidth() - inset_, end};
    return {start, inset_, end, GetHeight() - inset_};
}

// ---------------------------------------------------------------- input

void TQZGUIScrollBar::MouseDown(bool down, TQZPoint point)
{
    TQZGUIWindow::MouseDown(down, point);
    if (!down || !HasState(QZSTATE_DRAGGING)) return;
    dragDone_ = 0;
    dragCarry_ = 0;
    const TQZRect thumb = ThumbRect();
    if (PointInRect(point, thumb)) return;
    // Beside the thumb: a large step toward the press, and no drag.
    SetState(QZSTATE_DRAGGING, false);
    const bool before = Vertical() ? point.y < thumb.top : point.x < thumb.left;
    SetValue(value_ + (before ? -largeStep_ : largeStep_));
}

void TQZGUIScrollBar::DragMove(TQZPoint delta)
{
    const int32_t along = Vertical() ? delta.y : delta.x;
    const int32_t movement = along - dragDone_;
    dragDone_ = along;
    // A thumb that fills its track has no room to move in: nothing to do.
    const int32_t free = TrackLength() - ThumbLength();
    if (free <= 0 || movement == 0) return;
    dragCarry_ += double(movement) * double(int64_t(max_) - min_ - pageSize_ + 1) / free;
    const double whole = std::trunc(dragCarry_);
    dragCarry_ -= whole;
    if (whole != 0) SetValue(Saturate(int64_t(std::clamp(whole, -4e9, 4e9)) + value_));
}

bool TQZGUIScrollBar::HandleKey(uint32_t key)
{
    if (Enabled() && HasFocus()) {
        switch (key) {
        case 0x1000021: SetValue(value_ - largeStep_); return true;
        case 0x1000022: SetValue(value_ + largeStep_); return true;
        case 0x1000025:
        case 0x1000026: SetValue(value_ - smallStep_); return true;
        case 0x1000027:
        case 0x1000028: SetValue(value_ + smallStep_); return true;
        default: break;
        }
    }
    return TQZGUIWindow::HandleKey(key);
}

// ---------------------------------------------------------------- painting

void TQZGUIScrollBar::Paint(const TQZRect& r)
{
    TQZVideo* video = GetVideo();
    if (!video) return;
    if (BGColor() != 0) video->FillRect(r, BGColor());
    video->DrawRoundRect(AdjustRect(r, inset_, inset_, -inset_, -inset_), GetThemeColor(2), 0);
    const TQZRect thumb = OffsetRectBy(ThumbRect(), {r.left, r.top});
    int32_t face = HasState(QZSTATE_DRAGGING) ? 5 : HasState(QZSTATE_HOVER) ? 7 : 6;
    if (!IsShownInTree()) face = 3;  // greyed while it or a parent is disabled
    video->DrawRoundRect(thumb, GetThemeColor(face), 0);
    if (HasFocus()) video->DrawRoundRect(thumb, GetThemeColor(3), 1);
    if (!Text().empty()) {
        const std::string caption = ReplacePairs(Text(), {{"%value%", std::to_string(value_)}});
        DrawText(CaptionRect(r, thumb, TextWidth(caption)), caption, QZFD_ALIGN_CENTRE | QZFD_ALIGN_MIDDLE, GetColor());
    }
}

TQZRect TQZGUIScrollBar::CaptionRect(const TQZRect& r, const TQZRect& thumb, int32_t textWidth) const
{
    // The caption keeps to the track's longer free part, so the thumb never
    // covers it; it is drawn in the window's colour, which reads on the track.
    if (Vertical()) return r;
    const int32_t before = thumb.left - r.left, after = r.right - thumb.right;
    const TQZRect side = before >= after ? TQZRect{r.left, r.top, thumb.left, r.bottom}
                                         : TQZRect{thumb.right, r.top, r.right, r.bottom};
    return side.Width() >= textWidth ? side : r;
}
