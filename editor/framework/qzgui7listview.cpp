#include "qz7videochoice.h"
#include "qzgui7listview.h"

#include "qz7text.h"
#include "qz7timer.h"

namespace {
constexpr uint32_t kPageUp = 0x1000021, kPageDown = 0x1000022, kLeft = 0x1000025, kUp = 0x1000026,
                   kRight = 0x1000027, kDown = 0x1000028;
}  // namespace

// ---------------------------------------------------------------- list base

const TQZGUIPropertyList& TQZGUICustomList::ListProperties()
{
    using W = TQZGUICustomList;
    namespace p = qz7props;
    static const TQZGUIPropertyList list =
        p::Extend(WindowProperties(), {p::String<W>("Header", &W::Header, &W::SetHeader),
                                       p::Integer<W>("MessageOnChange", &W::MessageOnChange,
                                                     &W::SetMessageOnChange, true, 0)});
    return list;
}

const TQZGUIPropertyList& TQZGUICustomList::Properties() const
{
    return ListProperties();
}

void TQZGUICustomList::InitDefaults()
{
    SetCanFocus(true);
    SetCanClick(true);
    SetBGColor(GetThemeColor(8));
    selected_ = 0;
    hover_ = -1;
    top_ = 0;
    auto bar = [this](TScrollBarStyle style) {
        TQZGUIScrollBar* b = CreateChild<TQZGUIScrollBar>(this, {});
        b->SetStyle(style);
        b->SetTitle(QZGUI_BUILTIN);
        b->SetAlwaysOnTop(true);
        b->SetCanFocus(false);
        b->SetVisible(false);
        b->onValueChange = [this](TQZGUIWindow* s) { BarMoved(s); };
        return b;
    };
    vertical_ = bar(scrVertical);
    horizontal_ = bar(scrHorizontal);
    lastTick_ = GetTickMS();
}

void TQZGUICustomList::SetHeader(const std::string& h)
{
    header_ = h;
    MarkItemsChanged();
    Invalidate(true);
}

int32_t TQZGUICustomList::RowHeight() const
{
    // A font that measures no height would make rows of 0: at least 1.
    return MaxOf(1, TextHeight("Wg"));
}

int32_t TQZGUICustomList::VisibleRows() const
{
    const int32_t g = horizontal_ && horizontal_->Visible() ? BAR : 0;
    const int32_t h = header_.empty() ? 0 : 1;
    return MaxOf(1, (GetHeight() - 2 * RowSpacing() - g) / RowHeight() - h);
}

int32_t TQZGUICustomList::LastVisibleRow() const
{
    return MinOf(top_ + VisibleRows() - 1, ItemCount() - 1);
}

TQZRect TQZGUICustomList::RowRectAt(int32_t index) const
{
    const int32_t rowH = RowHeight();
    const int32_t y = HeaderHeight() + RowSpacing() + (index - top_) * rowH;
    const int32_t right = GetWidth() - (vertical_ && vertical_->Visible() ? BAR : 0);
    return {0, y, right, y + rowH};
}

TQZRect TQZGUICustomList::RowRect(int32_t index) const
{
    if (index < top_ || index >= top_ + VisibleRows()) return {};
    return RowRectAt(index);
}

int32_t TQZGUICustomList::RowAt(TQZPoint point) const
{
    for (int32_t i = top_; i < ItemCount(); ++i) {
        const TQZRect r = RowRectAt(i);
        if (r.top >= GetHeight()) break;
        if (PointInRect(point, r)) return i;
    }
    return -1;
}

int32_t TQZGUICustomList::IndexOfText(const std::string& text) const
{
    if (text.empty()) return -1;
    for (int32_t i = 0; i < ItemCount(); ++i) {
        if (ItemText(i) == text) return i;
    }
    return -1;
}

// ---------------------------------------------------------------- selection and scrolling

void TQZGUICustomList::SetSelected(int32_t index)
{
    const bool valid = index >= 0 && index < ItemCount();
    if (!valid) index = -1;
    if (index == selected_ && Text() == (valid ? ItemText(index) : std::string())) return;
    selected_ = index;
    if (valid) {
        if (index < top_) {
            ScrollTo(index);
        } else if (index > LastVisibleRow()) {
            ScrollTo(index - VisibleRows() + 1);
        }
    }
    TQZGUIWindow::SetText(valid ? ItemText(index) : std::string());
    if (messageOnChange_ > 0) Notify(messageOnChange_, this);
    SelectionChanged();
    Invalidate(true);
}

void TQZGUICustomList::SetText(const std::string& text)
{
    const int32_t i = IndexOfText(text);
    if (i >= 0) {
        SetSelected(i);
    } else {
        TQZGUIWindow::SetText(text);
    }
}

void TQZGUICustomList::ScrollTo(int32_t row)
{
    const int32_t count = ItemCount();
    if (row < 0 || row >= count) row = 0;
    if (row + VisibleRows() > count) row = MaxOf(0, count - VisibleRows());
    if (row == top_) return;
    animation_ = row < top_ ? -200.0f : 200.0f;
    top_ = row;
    if (vertical_ && vertical_->Value() != row) {
        rebuilding_ = true;
        vertical_->SetValue(row);
        rebuilding_ = false;
    }
    Invalidate(true);
}

void TQZGUICustomList::BarMoved(TQZGUIWindow* sender)
{
    if (rebuilding_) return;
    if (sender == vertical_) ScrollTo(vertical_->Value());
    Invalidate(true);
}

void TQZGUICustomList::Rebuild()
{
    if (!vertical_ || !horizontal_) return;
    rebuilding_ = true;
    const int32_t w = GetWidth(), h = GetHeight(), count = ItemCount();
    const int32_t content = ContentWidth();
    horizontal_->SetVisible(content > w - 2 * RowSpacing());
    const int32_t rows = VisibleRows();
    vertical_->SetVisible(count > rows);
    const int32_t barW = vertical_->Visible() ? BAR : 0;
    vertical_->SetPosition({w - BAR, HeaderHeight(), w, h - (horizontal_->Visible() ? BAR : 0)});
    vertical_->SetRange(0, MaxOf(0, count - 1), rows);
    vertical_->SetValue(top_);
    horizontal_->SetPosition({0, h - BAR, w - barW, h});
    horizontal_->SetRange(0, MaxOf(0, content - 1), MaxOf(1, w - barW));
    rebuilding_ = false;
    if (top_ + rows > count) ScrollTo(MaxOf(0, count - rows));
    lastCount_ = count;
    itemsChanged_ = false;
    Invalidate(true);
}

void TQZGUICustomList::Resized()
{
    TQZGUIWindow::Resized();
    itemsChanged_ = true;
}

void TQZGUICustomList::Update()
{
    if (itemsChanged_ || ItemCount() != lastCount_) Rebuild();
    const uint32_t now = GetTickMS();
    const float elapsed = float(TickDiff(lastTick_, now));
    lastTick_ = now;
    if (animation_ != 0) {
        animation_ = StepToward(animation_, 0, elapsed);
        Invalidate(true);
    }
}

// ---------------------------------------------------------------- input

void TQZGUICustomList::MouseDown(bool down, TQZPoint point)
{
    TQZGUIWindow::MouseDown(down, point);
    if (!down) return;
    const int32_t row = RowAt(point);
    if (row < 0) return;
    const TQZRect r = RowRectAt(row);
    ItemClick(row, {point.x - r.left, point.y - r.top});
}

void TQZGUICustomList::ItemClick(int32_t index, TQZPoint)
{
    Root()->SetFocus(this);
    SetSelected(index);
}

void TQZGUICustomList::MouseMove(TQZPoint point)
{
    const int32_t row = RowAt(point);
    if (row != hover_) {
        hover_ = row;
        Invalidate(true);
    }
}

void TQZGUICustomList::MouseLeave()
{
    TQZGUIWindow::MouseLeave();
    if (hover_ != -1) {
        hover_ = -1;
        Invalidate(true);
    }
}

bool TQZGUICustomList::MouseWheel(int32_t delta)
{
    if (!IsShownInTree() || delta == 0) return false;
    int32_t notches = delta / 120;
    if (notches == 0) notches = delta > 0 ? 1 : -1;
    const int32_t next = top_ - notches;  // forward: up
    if (next < 0 || next >= ItemCount()) return false;
    ScrollTo(next);
    return true;
}

bool TQZGUICustomList::HandleKey(uint32_t key)
{
    if (!Enabled() || !HasFocus()) return TQZGUIWindow::HandleKey(key);
    const int32_t last = ItemCount() - 1;
    auto select = [&](int32_t i) {
        if (last >= 0) SetSelected(ClampInt(0, i, last));
        return true;
    };
    switch (key) {
    case kUp: return select(selected_ - 1);
    case kDown: return select(selected_ + 1);
    case kPageUp: return select(selected_ - VisibleRows());
    case kPageDown: return select(selected_ + VisibleRows());
    case kLeft:
    case kRight: {
        const int32_t step = horizontal_->SmallStep() * (key == kLeft ? -1 : 1);
        horizontal_->SetValue(ClampInt(0, horizontal_->Value() + step, horizontal_->Max()));
        return true;
    }
    default: return TQZGUIWindow::HandleKey(key);
    }
}

// ---------------------------------------------------------------- painting

void TQZGUICustomList::DrawHeader(const TQZRect& rect)
{
    if (TQZVideo* video = GetVideo()) video->FillRect(rect, GetThemeColor(2));
    DrawText(rect, header_, QZFD_ALIGN_LEFT | QZFD_ALIGN_MIDDLE, GetThemeColor(4));
}

void TQZGUICustomList::Paint(const TQZRect& r)
{
    TQZVideo* video = GetVideo();
    if (!video) return;
    const int32_t rowH = RowHeight(), spacing = RowSpacing(), rows = VisibleRows();
    const int32_t g = horizontal_->Visible() ? BAR : 0, h = header_.empty() ? 0 : 1;
    const int32_t bottom = r.top + g + 2 * spacing + (rows + h) * rowH + 2;
    video->FillRect({r.left + 1, r.top + 1, r.right - 1, bottom - 3}, IsShownInTree() ? BGColor() : GetThemeColor(2));
    video->FillRect({r.left, bottom - 3, r.right, bottom}, GetThemeColor(6));
    video->DrawFrame({r.left, r.top, r.right, bottom}, GetThemeColor(9), 1, GetThemeColor(9));
    const int32_t v = vertical_->Visible() ? BAR : 3;
    video->PushClip({r.left + 3, r.top + 3, r.right - v, bottom - 4});
    const int32_t first = animation_ > 0 ? top_ - 1 : top_;
    for (int32_t i = first; i <= LastVisibleRow() + 1; ++i) {
        if (i < 0 || i >= ItemCount()) continue;
        const TQZRect row = RowRectAt(i);
        DrawRow(i, OffsetRectBy(row, {r.left, r.top}));
        if (row.bottom >= GetHeight() - spacing) break;
    }
    if (!header_.empty())
        DrawHeader({r.left + spacing - horizontal_->Value(), r.top + spacing, r.right, r.top + spacing + rowH + 2});
    video->PopClip();
}

// ---------------------------------------------------------------- list view

const TQZGUIPropertyList& TQZGUIListView::ListViewProperties()
{
    using W = TQZGUIListView;
    namespace p = qz7props;
    static const TQZGUIPropertyList list =
        p::Extend(ListProperties(), {p::Boolean<W>("AutoScroll", &W::AutoScroll, &W::SetAutoScroll, false),
                                     p::Unsettable("Separator", TQZPropKind::Char)});
    return list;
}

const TQZGUIPropertyList& TQZGUIListView::Properties() const
{
    return ListViewProperties();
}

void TQZGUIListView::InitDefaults()
{
    TQZGUICustomList::InitDefaults();
    items_.clear();
    columns_.clear();
    columnMode_ = true;
}

void TQZGUIListView::SetSeparator(char c)
{
    separator_ = c;
    measure_ = true;
    Invalidate(true);
}

std::vector<std::string> TQZGUIListView::Fields(const std::string& text) const
{
    std::vector<std::string> fields;
    size_t from = 0;
    for (int searches = 0; searches < 100; ++searches) {
        const size_t at = text.find(separator_, from);
        if (at == std::string::npos) break;
        fields.push_back(text.substr(from, at - from));
        from = at + 1;
    }
    fields.push_back(text.substr(from));
    return fields;
}

std::string TQZGUIListView::ItemText(int32_t index) const
{
    if (index < 0 || index >= ItemCount()) return {};
    const std::string& item = items_[size_t(index)];
    return item.substr(0, item.find(separator_));
}

void TQZGUIListView::AddItem(const std::string& text)
{
    items_.push_back(text);
    measure_ = true;
    MarkItemsChanged();
    if (autoScroll_) {
        Rebuild();
        ScrollTo(ItemCount() - 1);
    }
}

void TQZGUIListView::SetItem(int32_t index, const std::string& text)
{
    if (index < 0 || index >= ItemCount()) return;
    items_[size_t(index)] = text;
    measure_ = true;
    Invalidate(true);
}

void TQZGUIListView::DeleteItem(int32_t index)
{
    if (index < 0 || index >= ItemCount()) return;
    items_.erase(items_.begin() + index);
    measure_ = true;
    MarkItemsChanged();
    if (Selected() >= ItemCount()) SetSelected(ItemCount() - 1);
}

void TQZGUIListView::ClearItems()
{
    items_.clear();
    measure_ = true;
    MarkItemsChanged();
    SetSelected(-1);
}

void TQZGUIListView::MeasureColumns()
{
    measure_ = false;
    columns_.clear();
    if (!columnMode_) return;
    for (const std::string& f : Fields(Header())) columns_.push_back(TextWidth(f));
    for (const std::string& item : items_) {
        const std::vector<std::string> fields = Fields(item);
        for (size_t c = 0; c < fields.size() && c < columns_.size(); ++c)
            columns_[c] = MaxOf(columns_[c], TextWidth(fields[c]));
    }
    for (int32_t& w : columns_) w += 5;
}

void TQZGUIListView::Update()
{
    if (measure_) MeasureColumns();
    TQZGUICustomList::Update();
}

int32_t TQZGUIListView::ContentWidth() const
{
    int32_t sum = 0;
    for (int32_t w : columns_) sum += w;
    return MaxOf(GetWidth() - 2 * RowSpacing(), sum);
}

void TQZGUIListView::DrawFields(const std::vector<std::string>& fields, const TQZRect& rect, TQZColour colour)
{
    TQZVideo* video = GetVideo();
    int32_t x = rect.left - HorizontalBar()->Value();
    for (size_t c = 0; c < fields.size(); ++c) {
        const int32_t width = c < columns_.size() ? columns_[c] : TextWidth(fields[c]) + 5;
        if (c > 0 && video) video->FillRect({x - 3, rect.top, x - 2, rect.bottom}, GetThemeColor(2));
        DrawText({x + 2, rect.top, x + width, rect.bottom}, fields[c], QZFD_ALIGN_LEFT | QZFD_ALIGN_MIDDLE, colour);
        x += width;
    }
}

void TQZGUIListView::DrawHeader(const TQZRect& rect)
{
    if (TQZVideo* video = GetVideo()) video->FillRect(rect, GetThemeColor(2));
    int32_t x = rect.left;
    const std::vector<std::string> fields = Fields(Header());
    for (size_t c = 0; c < fields.size(); ++c) {
        const int32_t width = c < columns_.size() ? columns_[c] : TextWidth(fields[c]) + 5;
        DrawText({x + 2, rect.top, x + width, rect.bottom}, fields[c], QZFD_ALIGN_LEFT | QZFD_ALIGN_MIDDLE,
                 GetThemeColor(4));
        x += width;
    }
}

void TQZGUIListView::DrawRow(int32_t index, const TQZRect& rect)
{
    TQZVideo* video = GetVideo();
    const bool selected = index == Selected();
    if (video && selected) {
        video->FillRect(rect, GetThemeColor(6));
    } else if (video && index == HoverRow()) {
        video->FillRect(rect, GetThemeColor(7));
    }
    DrawFields(Fields(items_[size_t(index)]), rect, GetThemeColor(selected ? 4 : 0));
}
