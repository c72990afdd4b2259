#include "qz7videochoice.h"
#include "qzgui7table.h"

#include "qz7text.h"

#include <cmath>

const TQZGUIPropertyList& TQZGUITable::Properties() const
{
    using W = TQZGUITable;
    namespace p = qz7props;
    static const TQZGUIPropertyList list = p::Extend(
        ContainerProperties(),
        {p::Boolean<W>("Border", &W::Border, &W::SetBorder, false),
         p::Boolean<W>("CanDragColumns", &W::CanDragColumns, &W::SetCanDragColumns, false),
         p::Boolean<W>("CanDragRows", &W::CanDragRows, &W::SetCanDragRows, false),
         p::String<W>("ColWidths", &W::ColWidths, &W::SetColWidths),
         p::Boolean<W>("FixedSizes", &W::FixedSizes, &W::SetFixedSizes, false),
         p::Integer<W>("Padding", &W::Padding, &W::SetPadding, true, 0),
         p::String<W>("RowHeights", &W::RowHeights, &W::SetRowHeights)});
    return list;
}

void TQZGUITable::InitDefaults()
{
    TQZGUIContainer::InitDefaults();
    SetCanClick(true);
    SetCanDrag(true);
}

// ---------------------------------------------------------------- settings

std::string TQZGUITable::ColWidths() const { return IntListToText(columns_); }
std::string TQZGUITable::RowHeights() const { return IntListToText(rows_); }

void TQZGUITable::SetColWidths(const std::string& text)
{
    columns_.clear();
    TextToIntArray(text, columns_);
    LayoutPass();
    Invalidate(true);
}

void TQZGUITable::SetRowHeights(const std::string& text)
{
    rows_.clear();
    TextToIntArray(text, rows_);
    LayoutPass();
    Invalidate(true);
}

void TQZGUITable::SetFixedSizes(bool b)
{
    fixed_ = b;
    LayoutPass();
    Invalidate(true);
}

void TQZGUITable::SetPadding(int32_t v)
{
    padding_ = v;
    LayoutPass();
    Invalidate(true);
}

void TQZGUITable::SetBorder(bool b)
{
    border_ = b;
    Invalidate(true);
}

// ---------------------------------------------------------------- grid

int32_t TQZGUITable::Sum(const std::vector<int32_t>& v)
{
    int64_t s = 0;
    for (int32_t x : v) s += x;
    return int32_t(std::clamp<int64_t>(s, INT32_MIN, INT32_MAX));
}

int32_t TQZGUITable::Grid(const std::vector<int32_t>& sizes, int32_t n, int32_t length, bool fixed)
{
    int64_t x = 0;
    for (int32_t i = 0; i < n && i < int32_t(sizes.size()); ++i) x += sizes[size_t(i)];
    if (fixed) return int32_t(std::clamp<int64_t>(x, INT32_MIN, INT32_MAX));
    int64_t sum = Sum(sizes);
    if (sum == 0) sum = 1;
    return int32_t(int64_t(length) * x / sum);
}

TQZPoint TQZGUITable::GridPoint(int32_t c, int32_t r) const
{
    return {Grid(columns_, c, GetWidth(), fixed_), Grid(rows_, r, GetHeight(), fixed_)};
}

void TQZGUITable::PlaceChild(TQZGUIWindow*, const TQZGUILayout& layout, TQZRect& out)
{
    const TQZRect& p = layout.position;
    const TQZPoint a = GridPoint(p.left - 1, p.top - 1), b = GridPoint(p.right, p.bottom);
    out = {a.x + padding_, a.y + padding_, b.x - padding_, b.y - padding_};
}

// ---------------------------------------------------------------- dragging

void TQZGUITable::MouseMove(TQZPoint point)
{
    if (HasState(QZSTATE_PRESSED)) return;  // the active boundary stays while pressed
    activeColumn_ = 0;
    activeRow_ = 0;
    if (dragColumns_) {
        for (int32_t i = 1; i <= int32_t(columns_.size()); ++i) {
            if (std::abs(point.x - GridPoint(i, 0).x) <= 4) {
                activeColumn_ = i;
                break;
            }
        }
    }
    if (dragRows_ && activeColumn_ == 0) {
        for (int32_t i = 1; i <= int32_t(rows_.size()); ++i) {
            if (std::abs(point.y - GridPoint(0, i).y) <= 4) {
                activeRow_ = i;
                break;
            }
        }
    }
    SetPointerShape(activeColumn_ ? 10 : activeRow_ ? 9 : 1);
}

void TQZGUITable::DragBoundary(std::vector<int32_t>& sizes, int32_t i, int32_t movement, bool columns)
{
    const int32_t count = int32_t(sizes.size());
    if (i < 1 || i > count || movement == 0) return;
    const int32_t sum = Sum(sizes);
    auto at = [&](int32_t n) { return columns ? GridPoint(n, 0).x : GridPoint(0, n).y; };
    int32_t distance = at(MinOf(i + 1, count)) - at(i - 1);
    if (distance == 0) distance = 1;
    const int32_t d = int32_t(std::lround(double(movement) * sum / distance * 0.5));
    sizes[size_t(i - 1)] = ClampInt(1, sizes[size_t(i - 1)] + d, MaxOf(1, sum));
    // The last boundary has no column after it: only its own one changes.
    if (i < count) sizes[size_t(i)] = ClampInt(1, sizes[size_t(i)] - d, MaxOf(1, sum));
}

void TQZGUITable::DragMove(TQZPoint delta)
{
    const TQZPoint step{delta.x - dragDone_.x, delta.y - dragDone_.y};
    dragDone_ = delta;
    if (activeColumn_) DragBoundary(columns_, activeColumn_, step.x, true);
    if (activeRow_) DragBoundary(rows_, activeRow_, step.y, false);
    if (activeColumn_ || activeRow_) {
        LayoutPass();
        Invalidate(true);
    }
}

void TQZGUITable::DragEnd(TQZPoint)
{
    dragDone_ = {0, 0};
    activeColumn_ = 0;
    activeRow_ = 0;
}

// ---------------------------------------------------------------- painting

void TQZGUITable::Paint(const TQZRect& r)
{
    PaintBackgroundAndText(r);
    TQZVideo* video = GetVideo();
    if (!border_ || !video) return;
    const int32_t cols = int32_t(columns_.size()), rows = int32_t(rows_.size());
    auto screen = [&](TQZPoint p) { return TQZPoint{p.x + r.left, p.y + r.top}; };
    const TQZPoint end = screen(GridPoint(cols + 1, rows + 1));
    video->DrawFrame({r.left, r.top, end.x, end.y}, Color(), 1, Color());
    for (int32_t i = 1; i < cols; ++i) {
        const TQZPoint a = screen(GridPoint(i, 0)), b = screen(GridPoint(i, rows + 1));
        if (i == activeColumn_) video->FillRect({a.x - 4, a.y, a.x + 4, b.y}, GetThemeColor(5));
        video->DrawLine(a, b, Color(), Color(), 1);
    }
    for (int32_t i = 1; i < rows; ++i) {
        const TQZPoint a = screen(GridPoint(0, i)), b = screen(GridPoint(cols + 1, i));
        if (i == activeRow_) video->FillRect({a.x, a.y - 4, b.x, a.y + 4}, GetThemeColor(5));
        video->DrawLine(a, b, Color(), Color(), 1);
    }
}
