// Input in back-end-neutral form turned into the messages a window gets.
#include "osWindow.h"

#include "osKeys.h"
#include "osWindowBackEnd.h"

#include <algorithm>
#include <cstdint>
#include <sstream>

namespace plat::os {
using namespace detail;

namespace {
uint32_t MouseFlags(uint32_t modifiers)
{
    uint32_t f = S().mouseButtons;
    if (modifiers & kModShift) f |= kMouseFlagShift;
    if (modifiers & kModCtrl) f |= kMouseFlagControl;
    return f;
}

uint32_t ButtonFlag(int32_t button)
{
    switch (button) {
    case 1: return kMouseFlagLeft;
    case 2: return kMouseFlagRight;
    case 3: return kMouseFlagMiddle;
    default: return 0;
    }
}

uint32_t ButtonMessage(int32_t button, bool down)
{
    switch (button) {
    case 1: return down ? kMsgLButtonDown : kMsgLButtonUp;
    case 2: return down ? kMsgRButtonDown : kMsgRButtonUp;
    case 3: return down ? kMsgMButtonDown : kMsgMButtonUp;
    default: return 0;
    }
}


void TranslateKey(WindowRecord& r, const InputEvent& e, bool down)
{
    WindowSystem& s = S();
    // A modifier key's own message already shows it held (or released).
    uint32_t mods = e.modifiers;
    uint32_t own = e.key == kVkShift ? kModShift : e.key == kVkControl ? kModCtrl : e.key == kVkMenu ? kModAlt : 0;
    mods = down ? (mods | own) : (mods & ~own);
    SetModifierKeys(s.keyAsync, mods);
    s.keyAsync[e.key] = down;
    // Keys typed with Alt (but not AltGr, which holds Ctrl too), Alt itself
    // and F10 are system keys.
    bool alt = (mods & kModAlt) && !(mods & kModCtrl);
    bool system = alt || e.key == kVkF10 || e.key == kVkMenu;
    uint32_t message = down ? (system ? kMsgSysKeyDown : kMsgKeyDown) : (system ? kMsgSysKeyUp : kMsgKeyUp);
    int64_t lParam = 1;
    if (alt) lParam |= int64_t(1) << 29;
    if (e.repeat || !down) lParam |= int64_t(1) << 30;
    if (!down) lParam |= int64_t(1) << 31;
    Post(r.handle, message, e.key, lParam, mods);
}

void TranslateFocus(WindowRecord& r, bool gained)
{
    WindowSystem& s = S();
    if (gained) {
        if (s.focused == r.handle) return;
        if (WindowRecord* old = detail::FindRecord(s.focused)) TranslateFocus(*old, false);
        s.focused = r.handle;
        uint64_t w = kActivateActive | (r.minimized ? 0x10000u : 0u);
        Post(r.handle, kMsgActivate, w, 0);
        Post(r.handle, kMsgSetFocus, 0, 0);
    } else {
        if (s.focused != r.handle) return;
        s.focused = 0;
        Post(r.handle, kMsgActivate, kActivateInactive, 0);
        Post(r.handle, kMsgKillFocus, 0, 0);
    }
}

void TranslateResize(WindowRecord& r, int32_t w, int32_t h)
{
    // The user sizes within the limits the window gives at that moment.
    AskLimits(r);
    int32_t cw = w, ch = h;
    ClampToLimits(r, cw, ch);
    bool pushBack = cw != w || ch != h;
    if (cw == r.clientWidth && ch == r.clientHeight && !pushBack) return;
    ResizeRecord(r, cw, ch);
    if (pushBack && S().backEnd) S().backEnd->ApplyBounds(r);
    PostSize(r, r.maximized ? kSizeMaximized : kSizeRestored);
    r.invalid = true;
}

void TranslateState(WindowRecord& r, const InputEvent& e)
{
    switch (e.kind) {
    case InputKind::Minimized:
        if (r.minimized) return;
        if (!r.maximized) r.restoreOuter = r.outer;
        r.minimized = true;
        Post(r.handle, kMsgSize, kSizeMinimized, 0);
        break;
    case InputKind::Maximized:
        if (!r.maximized && !r.minimized) r.restoreOuter = r.outer;
        r.minimized = false;
        r.maximized = true;
        if (e.x > 0 && e.y > 0) ResizeRecord(r, e.x, e.y);
        PostSize(r, kSizeMaximized);
        r.invalid = true;
        break;
    default:  // Restored
        if (!r.minimized && !r.maximized) return;
        r.minimized = false;
        r.maximized = false;
        if (e.x > 0 && e.y > 0) ResizeRecord(r, e.x, e.y);
        PostSize(r, kSizeRestored);
        r.invalid = true;
        break;
    }
}

std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty()) out.push_back(line);
    }
    return out;
}
}  // namespace

// ---------------------------------------------------------------- input
void InjectInput(const InputEvent& e)
{
    WindowSystem& s = S();
    if (e.kind == InputKind::DisplayChanged) {
        OsRect b = GetDisplayInfo(0).bounds;
        for (auto& [h, r] : s.windows) Post(h, kMsgDisplayChange, 32, PackSize(b.Width(), b.Height()));
        return;
    }
    std::shared_ptr<WindowRecord> keep = Shared(e.window);
    if (!keep) return;
    WindowRecord& r = *keep;
    switch (e.kind) {
    case InputKind::KeyDown: TranslateKey(r, e, true); break;
    case InputKind::KeyUp: TranslateKey(r, e, false); break;
    case InputKind::MouseMove:
        SetModifierKeys(s.keyAsync, e.modifiers);
        Post(r.handle, kMsgSetCursor, r.handle, int64_t(kHitClient | (kMsgMouseMove << 16)), e.modifiers);
        Post(r.handle, kMsgMouseMove, MouseFlags(e.modifiers), PackPoint(e.x, e.y), e.modifiers);
        break;
    case InputKind::ButtonDown:
    case InputKind::ButtonUp: {
        bool down = e.kind == InputKind::ButtonDown;
        uint32_t message = ButtonMessage(e.button, down);
        if (!message) return;
        if (down) s.mouseButtons |= ButtonFlag(e.button);
        else s.mouseButtons &= ~ButtonFlag(e.button);
        Post(r.handle, message, MouseFlags(e.modifiers), PackPoint(e.x, e.y), e.modifiers);
        break;
    }
    case InputKind::Wheel: {
        OsRect f = FrameOf(r.style, r.exStyle);
        // The delta is a signed 16-bit word: a fast burst saturates instead
        // of wrapping round to the opposite direction.
        int64_t delta = std::clamp<int64_t>(int64_t(e.wheel) * kWheelStep, INT16_MIN, INT16_MAX);
        uint64_t w = (uint64_t(uint16_t(int16_t(delta))) << 16) | MouseFlags(e.modifiers);
        int32_t sx = r.outer.left - f.left + e.x, sy = r.outer.top - f.top + e.y;
        Post(r.handle, kMsgMouseWheel, w, PackPoint(sx, sy), e.modifiers);
        break;
    }
    case InputKind::MouseLeave: Post(r.handle, kMsgMouseLeave, 0, 0); break;
    case InputKind::Resized: TranslateResize(r, e.x, e.y); break;
    case InputKind::Minimized:
    case InputKind::Maximized:
    case InputKind::Restored: TranslateState(r, e); break;
    case InputKind::Moved: {
        OsRect f = FrameOf(r.style, r.exStyle);
        int32_t x = e.x + f.left, y = e.y + f.top;  // outer corner of the new client origin
        if (x == r.outer.left && y == r.outer.top) return;
        r.outer = {x, y, x + r.outer.Width(), y + r.outer.Height()};
        PostMove(r);
        break;
    }
    case InputKind::FocusGained: TranslateFocus(r, true); break;
    case InputKind::FocusLost: TranslateFocus(r, false); break;
    case InputKind::CloseRequest: Post(r.handle, kMsgClose, 0, 0); break;
    case InputKind::Exposed: r.invalid = true; break;
    case InputKind::DragEnter: {
        if (r.drag) Post(r.handle, kMsgDragLeave, r.drag, 0);  // a new drag ends one left hanging
        r.drag = s.nextDrop++;
        s.drops[r.drag] = Drop{SplitLines(e.text), OsPoint{e.x, e.y}};
        Post(r.handle, kMsgDragEnter, r.drag, PackPoint(e.x, e.y));
        break;
    }
    case InputKind::DragOver:
        if (!r.drag) return;
        s.drops[r.drag].point = OsPoint{e.x, e.y};
        Post(r.handle, kMsgDragOver, r.drag, PackPoint(e.x, e.y));
        break;
    case InputKind::DragLeave:
        if (!r.drag) return;
        Post(r.handle, kMsgDragLeave, r.drag, 0);
        r.drag = 0;
        break;
    case InputKind::DropFile: {
        // The drop ends the drag in progress, if any, under the same id.
        uint64_t id = r.drag ? r.drag : s.nextDrop++;
        r.drag = 0;
        Drop& d = s.drops[id];
        if (!e.text.empty() || d.files.empty()) d.files = SplitLines(e.text);
        d.point = OsPoint{e.x, e.y};
        Post(r.handle, kMsgDropFiles, id, PackPoint(e.x, e.y));
        break;
    }
    case InputKind::SizeMoveStart: Post(r.handle, kMsgEnterSizeMove, 0, 0); break;
    case InputKind::SizeMoveEnd: Post(r.handle, kMsgExitSizeMove, 0, 0); break;
    case InputKind::DisplayChanged: break;
    }
}

}  // namespace plat::os
