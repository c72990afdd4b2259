#include "qz7videochoice.h"
#include "qz7guiedit.h"

#include "qz7guiclipboard.h"
#include "qz7timer.h"

namespace {
constexpr uint32_t kBackspace = 8, kEnter = 13;
constexpr uint32_t kDelete = 0x100002E, kHome = 0x1000024, kEnd = 0x1000023, kLeft = 0x1000025, kRight = 0x1000027;
constexpr uint32_t kShift = 0x10000;
constexpr uint32_t kKeypad0 = 0x1000060, kKeypad9 = 0x1000069;
// Ctrl with a letter: the documented codes, and the control characters the
// keyboard gives for them.
constexpr uint32_t kCopy = 0x1040043, kCut = 0x1040058, kPaste = 0x1040056, kRedo = 0x1040059;
}  // namespace

const TQZGUIPropertyList& TQZGUIEdit::Properties() const
{
    using W = TQZGUIEdit;
    namespace p = qz7props;
    static const TQZGUIPropertyList list =
        p::Extend(WindowProperties(), {p::Integer<W>("MaxLength", &W::MaxLength, &W::SetMaxLength, true, 255),
                                       p::Integer<W>("MessageOnChange", &W::MessageOnChange,
                                                     &W::SetMessageOnChange, true, 0)});
    return list;
}

void TQZGUIEdit::InitDefaults()
{
    SetTextDraw(QZFD_ALIGN_LEFT | QZFD_ALIGN_MIDDLE);
    cursor_ = Length();
    selStart_ = selEnd_ = cursor_;
    SetRepaintOptions(RepaintOptions() | QZREPAINT_DIRTYTARGET | QZREPAINT_CLIP);
    SetCanClick(true);
    SetCanFocus(true);
    SetCanDrag(true);
    SetPointerShape(QZCURSOR_IBEAM);
}

// ---------------------------------------------------------------- text and cursor

void TQZGUIEdit::SetText(const std::string& text)
{
    if (text == Text()) return;
    std::string t = text;
    for (size_t i = t.find("\r\n"); i != std::string::npos; i = t.find("\r\n", i)) t.erase(i, 2);
    TQZGUIWindow::SetText(t);
    const int32_t n = Length();
    cursor_ = MinOf(cursor_, n);
    anchor_ = MinOf(anchor_, n);
    selStart_ = MinOf(selStart_, n);
    selEnd_ = MinOf(selEnd_, n);
    first_ = MinOf(first_, cursor_);
    if (messageOnChange_ > 0) Notify(messageOnChange_, this);
}

int32_t TQZGUIEdit::WidthOf(int32_t count) const
{
    return count <= 0 ? 0 : TextWidth(Text().substr(0, size_t(MinOf(count, Length()))));
}

int32_t TQZGUIEdit::VisibleEnd(int32_t first) const
{
    const int32_t avail = GetWidth() - (first > 0 ? 12 : 6) - 2;
    int32_t j = first;
    while (j < Length() && TextWidth(Text().substr(size_t(first), size_t(j + 1 - first))) <= avail) ++j;
    return j;
}

void TQZGUIEdit::SetCursor(int32_t position)
{
    cursor_ = ClampInt(0, position, Length());
    if (TextWidth(Text()) < GetWidth() - 2) {
        first_ = 0;
    } else if (cursor_ < first_) {
        first_ = cursor_;
    } else {
        while (first_ < cursor_ && cursor_ > VisibleEnd(first_)) ++first_;
    }
    Invalidate(true);
}

void TQZGUIEdit::SetSelection(int32_t from, int32_t to)
{
    selStart_ = ClampInt(0, MinOf(from, to), Length());
    selEnd_ = ClampInt(0, MaxOf(from, to), Length());
    Invalidate(true);
}

std::string TQZGUIEdit::SelectedText() const
{
    return HasSelection() ? Text().substr(size_t(selStart_), size_t(selEnd_ - selStart_)) : std::string();
}

int32_t TQZGUIEdit::CharAt(int32_t x) const
{
    const int32_t xp = WidthOf(first_) + x;
    if (TextWidth(Text()) < xp) return Length();
    int32_t i = 0;
    while (i < Length() && WidthOf(i + 1) <= xp) ++i;
    return i;
}

void TQZGUIEdit::MoveCursor(int32_t position, bool extend)
{
    if (extend && !HasSelection()) anchor_ = cursor_;
    SetCursor(position);
    if (extend) {
        SetSelection(anchor_, cursor_);
    } else {
        SetSelection(cursor_, cursor_);
    }
}

void TQZGUIEdit::DeleteRange(int32_t from, int32_t to)
{
    from = ClampInt(0, from, Length());
    to = ClampInt(from, to, Length());
    if (from == to) return;
    std::string t = Text();
    t.erase(size_t(from), size_t(to - from));
    cursor_ = from;
    selStart_ = selEnd_ = from;
    SetText(t);
    SetCursor(from);
}

void TQZGUIEdit::Insert(const std::string& text)
{
    std::string add;
    for (char c : text) {
        if (PassesFilter(c)) add += c;
    }
    if (HasSelection()) DeleteRange(selStart_, selEnd_);
    if (maxLength_ > 0) add = add.substr(0, size_t(MaxOf(0, maxLength_ - Length())));
    if (add.empty()) return;
    std::string t = Text();
    const int32_t at = cursor_;
    t.insert(size_t(at), add);
    SetText(t);
    SetCursor(at + int32_t(add.size()));
    SetSelection(cursor_, cursor_);
}

// ---------------------------------------------------------------- input

void TQZGUIEdit::MouseDown(bool down, TQZPoint point)
{
    TQZGUIWindow::MouseDown(down, point);
    if (!down || !PointInRect(point, {0, 0, GetWidth(), GetHeight()})) return;
    const int32_t pos = CharAt(point.x);
    anchor_ = pos;
    SetCursor(pos);
    SetSelection(cursor_, cursor_);
}

void TQZGUIEdit::DragMove(TQZPoint delta)
{
    const int32_t pos = CharAt(DragOrigin().x + delta.x);
    SetCursor(pos);
    SetSelection(anchor_, pos);
}

void TQZGUIEdit::Click()
{
    // Typing, not clicking, is what an edit box reports.
    SetState(QZSTATE_PRESSED, false);
}

bool TQZGUIEdit::ClipboardKey(uint32_t key)
{
    if (key == kCopy || key == 3) {
        // A clipboard that cannot be set keeps what it had.
        if (HasSelection()) (void)SetClipboardText(this, SelectedText());
        return true;
    }
    if (key == kCut || key == 24) {
        if (HasSelection()) {
            (void)SetClipboardText(this, SelectedText());  // a clipboard that cannot be set keeps what it had
            DeleteRange(selStart_, selEnd_);
        }
        return true;
    }
    if (key == kPaste || key == 22) {
        if (IsClipboardTextAvailable()) Insert(GetClipboardText(this));
        return true;
    }
    return key == kRedo || key == 25;  // taken, nothing to redo
}

bool TQZGUIEdit::HandleKey(uint32_t key)
{
    if (!Enabled() || !HasFocus()) return TQZGUIWindow::HandleKey(key);
    if (ClipboardKey(key)) return true;
    switch (key) {
    case kBackspace:
        if (cursor_ > 0) DeleteRange(cursor_ - 1, cursor_);
        return true;
    case kDelete:
        if (HasSelection()) {
            DeleteRange(selStart_, selEnd_);
        } else {
            DeleteRange(cursor_, cursor_ + 1);
        }
        return true;
    case kEnter: Notify(ID(), this); return true;
    case kHome: case kHome | kShift: MoveCursor(0, key & kShift); return true;
    case kEnd: case kEnd | kShift: MoveCursor(Length(), key & kShift); return true;
    case kLeft: case kLeft | kShift: MoveCursor(cursor_ - 1, key & kShift); return true;
    case kRight: case kRight | kShift: MoveCursor(cursor_ + 1, key & kShift); return true;
    default: break;
    }
    if (key >= 32 && key <= 126) {
        Insert(std::string(1, char(key)));
        return true;
    }
    if (key >= kKeypad0 && key <= kKeypad9) {
        Insert(std::string(1, char('0' + (key - kKeypad0))));
        return true;
    }
    return TQZGUIWindow::HandleKey(key);
}

// ---------------------------------------------------------------- painting

void TQZGUIEdit::Paint(const TQZRect& r)
{
    TQZVideo* video = GetVideo();
    if (!video) return;
    TQZColour background = BGColor() != 0 ? BGColor() : GetThemeColor(8);
    // Greyed also when a parent is disabled (a modal dialog disables the screen's panels).
    if (!IsShownInTree()) background = GetThemeColor(2);
    const TQZRect inner = AdjustRect(r, 1, 1, -1, -1);
    video->FillRect(r, background);
    video->FillRect({r.left, inner.bottom - 3, r.right, r.bottom}, GetThemeColor(6));
    video->DrawFrame(r, GetThemeColor(9), 1, GetThemeColor(9));
    const bool scrolled = first_ > 0, beyond = VisibleEnd(first_) < Length();
    const TQZRect a{inner.left + (scrolled ? 7 : 2), inner.top + 1, inner.right - (beyond ? 7 : 2), inner.bottom - 4};
    const int32_t offset = scrolled ? WidthOf(first_) : 0;
    DrawText(a, Text().substr(size_t(first_)), TextDraw(), Color());
    if (HasSelection()) {
        const TQZRect sel{a.left + WidthOf(selStart_) - offset, a.top, a.left + WidthOf(selEnd_) - offset, a.bottom};
        video->FillRect(sel, GetThemeColor(HasFocus() ? 7 : 3));
        DrawText(sel, SelectedText(), TextDraw(), GetThemeColor(4));
    }
    if (HasFocus()) {
        const int32_t x = WidthOf(cursor_) - offset;
        const int32_t blink = GetTickMS() % 1000 < 600 ? 6 : 7;
        video->FillRect({a.left + x + 1, a.top + 2, a.left + x + 2, a.bottom - 4}, GetThemeColor(blink));
    }
    const int32_t y = (a.top + a.bottom) / 2;
    if (scrolled)
        video->FillTriangle({{inner.left, y}, {inner.left + 5, y - 5}, {inner.left + 5, y + 5}}, GetThemeColor(6));
    if (beyond)
        video->FillTriangle({{inner.right - 5, y - 5}, {inner.right, y}, {inner.right - 5, y + 5}}, GetThemeColor(6));
}
