// The window stand-in's core: window records, the message queue and its
// paint and timer rules, the translation of input into messages, and the
// headless back end. Main thread only, like the windows it stands in for.
#include "platform/os/osWindow.h"

#include "platform/os/osClock.h"
#include "platform/os/osKeys.h"
#include "platform/os/osWindowBackEnd.h"

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <fstream>
#include <map>
#include <sstream>

namespace plat::os {
using detail::BackEnd;
using detail::WindowRecord;

namespace {

struct Timer {
    WindowHandle window;
    uint32_t id;
    uint32_t interval;
    uint64_t due;  // nanoseconds
};

struct Drop {
    std::vector<std::string> files;
    OsPoint point;
};

struct Icon {
    std::string name;
    int32_t width = 0, height = 0;
    std::vector<uint32_t> pixels;
};

struct WindowSystem {
    WindowBackEnd chosen = WindowBackEnd::Automatic;
    std::unique_ptr<BackEnd> backEnd;
    std::map<WindowHandle, std::shared_ptr<WindowRecord>> windows;
    WindowHandle nextHandle = 1;
    std::deque<WindowMessage> queue;
    WindowHandle focused = 0;
    WindowHandle capture = 0;
    CursorHandle cursor = kCursorArrow;
    std::function<void(const WindowMessage&)> defaultObserver;
    bool keyRetrieved[256] = {};
    bool keyAsync[256] = {};
    uint32_t retrievedModifiers = 0;
    uint32_t mouseButtons = 0;  // kMouseFlag* of buttons held
    std::vector<Timer> timers;
    std::map<uint64_t, Drop> drops;
    uint64_t nextDrop = 1;
    std::vector<Icon> icons;
    std::vector<DisplayInfo> headlessDisplays;
};

WindowSystem& S()
{
    static WindowSystem s;
    return s;
}

std::vector<DisplayInfo> DefaultDisplays()
{
    DisplayInfo d;
    d.bounds = {0, 0, 1920, 1080};
    d.workArea = {0, 0, 1920, 1040};
    return {d};
}

OsRect FrameOf(uint32_t style, uint32_t exStyle)
{
    return AdjustForFrame(OsRect{}, style, exStyle);
}

void SetClientFromOuter(WindowRecord& r)
{
    detail::ClientFromOuter(r, r.outer, r.clientWidth, r.clientHeight);
}

void Post(WindowHandle w, uint32_t message, uint64_t wParam, int64_t lParam, uint32_t modifiers = 0)
{
    S().queue.push_back(WindowMessage{w, message, wParam, lParam, modifiers});
}

int64_t PackSize(int32_t w, int32_t h)
{
    return int64_t(uint32_t(uint16_t(w)) | (uint32_t(uint16_t(h)) << 16));
}

void PostSize(WindowRecord& r, uint32_t kind)
{
    Post(r.handle, kMsgSize, kind, kind == kSizeMinimized ? 0 : PackSize(r.clientWidth, r.clientHeight));
}

void PostMove(WindowRecord& r)
{
    OsRect f = FrameOf(r.style, r.exStyle);
    Post(r.handle, kMsgMove, 0, PackPoint(r.outer.left - f.left, r.outer.top - f.top));
}

void AskLimits(WindowRecord& r)
{
    MinMaxInfo info;
    SendWindowMessage(r.handle, kMsgGetMinMaxInfo, 0, int64_t(reinterpret_cast<intptr_t>(&info)));
    if (WindowRecord* still = detail::FindRecord(r.handle)) still->limits = info;
}

// Keeps a client size the user asks for inside the window's limits.
void ClampToLimits(const WindowRecord& r, int32_t& w, int32_t& h)
{
    OsRect f = FrameOf(r.style, r.exStyle);
    int32_t fw = f.Width(), fh = f.Height();
    if (r.limits.minTrackSize.x > 0) w = std::max(w, r.limits.minTrackSize.x - fw);
    if (r.limits.minTrackSize.y > 0) h = std::max(h, r.limits.minTrackSize.y - fh);
    if (r.limits.maxTrackSize.x > 0) w = std::min(w, r.limits.maxTrackSize.x - fw);
    if (r.limits.maxTrackSize.y > 0) h = std::min(h, r.limits.maxTrackSize.y - fh);
    w = std::max(w, 0);
    h = std::max(h, 0);
}

void ResizeRecord(WindowRecord& r, int32_t w, int32_t h)
{
    OsRect f = FrameOf(r.style, r.exStyle);
    r.clientWidth = w;
    r.clientHeight = h;
    r.outer.right = r.outer.left + w + f.Width();
    r.outer.bottom = r.outer.top + h + f.Height();
}

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

void SetModifierKeys(bool* table, uint32_t modifiers)
{
    table[kVkShift] = (modifiers & kModShift) != 0;
    table[kVkControl] = (modifiers & kModCtrl) != 0;
    table[kVkMenu] = (modifiers & kModAlt) != 0;
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

// ---------------------------------------------------------------- headless
class HeadlessBackEnd final : public BackEnd {
public:
    WindowBackEnd Kind() const override { return WindowBackEnd::Headless; }
    bool Create(WindowRecord&) override { return true; }
    void Destroy(WindowRecord&) override {}
    void ApplyBounds(WindowRecord&) override {}
    void ApplyStyle(WindowRecord&) override {}
    void ApplyTitle(WindowRecord&) override {}
    void ApplyIcon(WindowRecord&) override {}
    void ApplyLimits(WindowRecord&) override {}
    void Focus(WindowRecord& r) override { InjectInput(MakeInput(InputKind::FocusGained, r.handle)); }
    void Poll() override {}
    void Wait(uint32_t) override {}  // tests never wait
    void SetCursor(CursorHandle) override {}
    void Capture(WindowHandle, bool) override {}
    std::vector<DisplayInfo> Displays() override
    {
        return S().headlessDisplays.empty() ? DefaultDisplays() : S().headlessDisplays;
    }
    int32_t DisplayOf(const WindowRecord&) override { return 0; }

    bool Present(WindowRecord& r, const uint32_t* pixels, int32_t pitch, int32_t w, int32_t h) override
    {
        r.frame.resize(size_t(w) * size_t(h));
        for (int32_t y = 0; y < h; ++y) {
            const auto* row = reinterpret_cast<const uint32_t*>(reinterpret_cast<const uint8_t*>(pixels) + size_t(y) * size_t(pitch));
            std::copy(row, row + w, r.frame.begin() + ptrdiff_t(y) * w);
        }
        r.frameWidth = w;
        r.frameHeight = h;
        return true;
    }

    bool ReadFrame(WindowRecord& r, std::vector<uint32_t>& pixels, int32_t& w, int32_t& h) override
    {
        if (r.frame.empty()) return false;
        pixels = r.frame;
        w = r.frameWidth;
        h = r.frameHeight;
        return true;
    }

    void Show(WindowRecord& r, ShowCommand command) override
    {
        WindowHandle h = r.handle;
        switch (command) {
        case ShowCommand::Hide:
            r.shown = false;
            InjectInput(MakeInput(InputKind::FocusLost, h));
            break;
        case ShowCommand::Show:
            if (r.shown) return;
            r.shown = true;
            r.invalid = true;
            InjectInput(MakeInput(InputKind::FocusGained, h));
            break;
        case ShowCommand::Minimize:
            r.shown = true;
            InjectInput(MakeInput(InputKind::FocusLost, h));
            InjectInput(MakeInput(InputKind::Minimized, h));
            break;
        case ShowCommand::Maximize: {
            r.shown = true;
            OsRect work = GetDisplayInfo(0).workArea;
            int32_t w = 0, hh = 0;
            detail::ClientFromOuter(r, work, w, hh);
            InjectInput(MakeInput(InputKind::Maximized, h, w, hh));
            InjectInput(MakeInput(InputKind::FocusGained, h));
            break;
        }
        case ShowCommand::Restore: {
            r.shown = true;
            int32_t w = 0, hh = 0;
            detail::ClientFromOuter(r, r.restoreOuter, w, hh);
            InjectInput(MakeInput(InputKind::Restored, h, w, hh));
            InjectInput(MakeInput(InputKind::FocusGained, h));
            break;
        }
        }
    }
};

BackEnd& EnsureBackEnd()
{
    WindowSystem& s = S();
    if (s.backEnd) return *s.backEnd;
    WindowBackEnd want = s.chosen;
    if (want == WindowBackEnd::Automatic) {
        const char* v = std::getenv("VANTOREL_HEADLESS");
        bool headless = v && *v && std::string(v) != "0";
        want = headless ? WindowBackEnd::Headless : WindowBackEnd::Sdl;
    }
    if (want == WindowBackEnd::Sdl) s.backEnd = detail::MakeSdlBackEnd();
    if (!s.backEnd) s.backEnd = std::make_unique<HeadlessBackEnd>();
    return *s.backEnd;
}

std::shared_ptr<WindowRecord> Shared(WindowHandle w)
{
    auto it = S().windows.find(w);
    return it == S().windows.end() ? nullptr : it->second;
}

void NoteRetrieved(const WindowMessage& m)
{
    WindowSystem& s = S();
    s.retrievedModifiers = m.modifiers;
    switch (m.message) {
    case kMsgKeyDown:
    case kMsgSysKeyDown: s.keyRetrieved[m.wParam & 0xFF] = true; break;
    case kMsgKeyUp:
    case kMsgSysKeyUp: s.keyRetrieved[m.wParam & 0xFF] = false; break;
    default: break;
    }
    SetModifierKeys(s.keyRetrieved, m.modifiers);
}

}  // namespace

// ---------------------------------------------------------------- detail
namespace detail {
WindowRecord* FindRecord(WindowHandle window)
{
    auto it = S().windows.find(window);
    return it == S().windows.end() ? nullptr : it->second.get();
}

WindowRecord* FindRecordByNative(const void* native)
{
    for (auto& [h, r] : S().windows) {
        if (r->native == native) return r.get();
    }
    return nullptr;
}

bool WriteBmp(const std::string& path, const std::vector<uint32_t>& pixels, int32_t width, int32_t height)
{
    if (width <= 0 || height <= 0 || pixels.size() != size_t(width) * size_t(height)) return false;
    std::string b;
    auto u32 = [&](uint32_t v) { for (int i = 0; i < 4; ++i) b.push_back(char((v >> (8 * i)) & 0xFF)); };
    auto u16 = [&](uint16_t v) { b.push_back(char(v & 0xFF)); b.push_back(char(v >> 8)); };
    uint32_t dataBytes = uint32_t(pixels.size() * 4);
    b += "BM";
    u32(54 + dataBytes);
    u32(0);
    u32(54);
    u32(40);
    u32(uint32_t(width));
    u32(uint32_t(-height));  // top-down rows
    u16(1);
    u16(32);
    u32(0);  // no compression
    u32(dataBytes);
    u32(2835);
    u32(2835);
    u32(0);
    u32(0);
    for (uint32_t p : pixels) u32(p);
    std::ofstream f(path, std::ios::binary);
    f.write(b.data(), std::streamsize(b.size()));
    return bool(f);
}

void ClientFromOuter(const WindowRecord& r, const OsRect& outer, int32_t& width, int32_t& height)
{
    OsRect f = FrameOf(r.style, r.exStyle);
    width = std::max(0, outer.Width() - f.Width());
    height = std::max(0, outer.Height() - f.Height());
}
}  // namespace detail

// ---------------------------------------------------------------- frame
OsRect AdjustForFrame(const OsRect& client, uint32_t style, uint32_t)
{
    int32_t border = 0;
    if (style & kStyleSizingFrame) border = 8;
    else if (style & kStyleDialogFrame) border = 3;
    else if (style & kStyleBorder) border = 1;
    int32_t caption = (style & kStyleCaption) == kStyleCaption ? 23 : 0;
    return {client.left - border, client.top - border - caption, client.right + border, client.bottom + border};
}

// ---------------------------------------------------------------- back end
void SelectWindowBackEnd(WindowBackEnd backEnd)
{
    ResetWindowSystem();
    S().chosen = backEnd;
}

WindowBackEnd ActiveWindowBackEnd()
{
    return EnsureBackEnd().Kind();
}

void ResetWindowSystem()
{
    WindowSystem& s = S();
    for (auto& [h, r] : s.windows) {
        if (s.backEnd) s.backEnd->Destroy(*r);
    }
    s.windows.clear();
    bool hadSdl = s.backEnd && s.backEnd->Kind() == WindowBackEnd::Sdl;
    s.backEnd.reset();
    if (hadSdl) detail::ShutdownSdlVideo();
    WindowBackEnd chosen = s.chosen;
    s = WindowSystem();
    s.chosen = chosen;
}

// ---------------------------------------------------------------- windows
WindowHandle CreateNativeWindow(const WindowCreation& c, WindowProcedure procedure)
{
    WindowSystem& s = S();
    BackEnd& be = EnsureBackEnd();
    auto r = std::make_shared<WindowRecord>();
    r->handle = s.nextHandle++;
    r->procedure = std::move(procedure);
    r->title = c.title;
    r->style = c.style;
    r->exStyle = c.exStyle;
    OsRect work = GetDisplayInfo(0).workArea;
    int32_t x = c.x == kUseDefault ? work.left : c.x;
    int32_t y = c.y == kUseDefault ? work.top : c.y;
    r->outer = {x, y, x + std::max(0, c.width), y + std::max(0, c.height)};
    r->restoreOuter = r->outer;
    SetClientFromOuter(*r);
    s.windows[r->handle] = r;
    if (!be.Create(*r)) {
        s.windows.erase(r->handle);
        return 0;
    }
    WindowHandle h = r->handle;
    AskLimits(*r);
    if (WindowRecord* live = detail::FindRecord(h)) be.ApplyLimits(*live);
    PostSize(*r, kSizeRestored);
    PostMove(*r);
    if (c.show) ShowNativeWindow(h, (c.style & kStyleMaximize) ? ShowCommand::Maximize : ShowCommand::Show);
    return h;
}

bool DestroyNativeWindow(WindowHandle window)
{
    WindowSystem& s = S();
    std::shared_ptr<WindowRecord> r = Shared(window);
    if (!r) return false;
    SendWindowMessage(window, kMsgDestroy, 0, 0);
    if (s.capture == window) ReleaseMouseCapture();
    if (s.focused == window) s.focused = 0;
    std::erase_if(s.timers, [&](const Timer& t) { return t.window == window; });
    std::erase_if(s.queue, [&](const WindowMessage& m) { return m.window == window; });
    if (s.backEnd) s.backEnd->Destroy(*r);
    s.windows.erase(window);
    return true;
}

bool WindowExists(WindowHandle window) { return detail::FindRecord(window) != nullptr; }
size_t WindowCount() { return S().windows.size(); }

bool GetWindowRect(WindowHandle window, OsRect& outer)
{
    WindowRecord* r = detail::FindRecord(window);
    if (!r) return false;
    outer = r->outer;
    return true;
}

bool GetClientRect(WindowHandle window, OsRect& client)
{
    WindowRecord* r = detail::FindRecord(window);
    if (!r) return false;
    client = {0, 0, r->clientWidth, r->clientHeight};
    return true;
}

bool SetWindowBounds(WindowHandle window, int32_t x, int32_t y, int32_t width, int32_t height)
{
    WindowRecord* r = detail::FindRecord(window);
    if (!r) return false;
    OsRect old = r->outer;
    int32_t oldW = r->clientWidth, oldH = r->clientHeight;
    r->outer = {x, y, x + std::max(0, width), y + std::max(0, height)};
    SetClientFromOuter(*r);
    if (r->outer == old) return true;
    EnsureBackEnd().ApplyBounds(*r);
    if (old.left != x || old.top != y) PostMove(*r);
    if (oldW != r->clientWidth || oldH != r->clientHeight) {
        PostSize(*r, r->maximized ? kSizeMaximized : kSizeRestored);
        r->invalid = true;
    }
    return true;
}

bool SetWindowStyle(WindowHandle window, uint32_t style, uint32_t exStyle)
{
    WindowRecord* r = detail::FindRecord(window);
    if (!r) return false;
    int32_t oldW = r->clientWidth, oldH = r->clientHeight;
    r->style = style;
    r->exStyle = exStyle;
    SetClientFromOuter(*r);
    EnsureBackEnd().ApplyStyle(*r);
    if (oldW != r->clientWidth || oldH != r->clientHeight) {
        PostSize(*r, r->maximized ? kSizeMaximized : kSizeRestored);
        r->invalid = true;
    }
    return true;
}

bool GetWindowStyle(WindowHandle window, uint32_t& style, uint32_t& exStyle)
{
    WindowRecord* r = detail::FindRecord(window);
    if (!r) return false;
    style = r->style;
    exStyle = r->exStyle;
    return true;
}

bool SetWindowTitle(WindowHandle window, const std::string& title)
{
    WindowRecord* r = detail::FindRecord(window);
    if (!r) return false;
    r->title = title;
    EnsureBackEnd().ApplyTitle(*r);
    return true;
}

std::string GetWindowTitle(WindowHandle window)
{
    WindowRecord* r = detail::FindRecord(window);
    return r ? r->title : std::string();
}

bool ShowNativeWindow(WindowHandle window, ShowCommand command)
{
    WindowRecord* r = detail::FindRecord(window);
    if (!r) return false;
    EnsureBackEnd().Show(*r, command);
    return true;
}

bool IsWindowShown(WindowHandle window)
{
    WindowRecord* r = detail::FindRecord(window);
    return r && r->shown;
}
bool IsWindowMinimized(WindowHandle window)
{
    WindowRecord* r = detail::FindRecord(window);
    return r && r->minimized;
}
bool IsWindowMaximized(WindowHandle window)
{
    WindowRecord* r = detail::FindRecord(window);
    return r && r->maximized;
}

void InvalidateWindow(WindowHandle window)
{
    if (WindowRecord* r = detail::FindRecord(window)) r->invalid = true;
}
void ValidateWindow(WindowHandle window)
{
    if (WindowRecord* r = detail::FindRecord(window)) r->invalid = false;
}
bool IsWindowInvalidated(WindowHandle window)
{
    WindowRecord* r = detail::FindRecord(window);
    return r && r->invalid;
}

void FocusWindow(WindowHandle window)
{
    if (WindowRecord* r = detail::FindRecord(window)) EnsureBackEnd().Focus(*r);
}
WindowHandle FocusedWindow() { return S().focused; }

void RefreshSizeLimits(WindowHandle window)
{
    WindowRecord* r = detail::FindRecord(window);
    if (!r) return;
    AskLimits(*r);
    if ((r = detail::FindRecord(window))) EnsureBackEnd().ApplyLimits(*r);
}

void TrackMouseLeave(WindowHandle window)
{
    if (WindowRecord* r = detail::FindRecord(window)) r->trackLeave = true;
}

IconHandle RegisterIcon(const std::string& name, int32_t width, int32_t height, std::vector<uint32_t> pixels)
{
    if (width <= 0 || height <= 0 || pixels.size() != size_t(width) * size_t(height)) return 0;
    auto& icons = S().icons;
    icons.push_back(Icon{name, width, height, std::move(pixels)});
    return IconHandle(icons.size());
}

IconHandle LoadIconResource(const std::string& name)
{
    auto& icons = S().icons;
    for (size_t i = icons.size(); i > 0; --i) {
        if (icons[i - 1].name == name) return IconHandle(i);
    }
    return 0;
}

bool SetWindowIcon(WindowHandle window, IconHandle icon)
{
    WindowRecord* r = detail::FindRecord(window);
    if (!r) return false;
    r->icon = icon;
    EnsureBackEnd().ApplyIcon(*r);
    return true;
}

IconHandle GetWindowIcon(WindowHandle window)
{
    WindowRecord* r = detail::FindRecord(window);
    return r ? r->icon : 0;
}

namespace detail {
// The pixels of a registered icon, for the back end (nullptr when unknown).
const std::vector<uint32_t>* IconPixels(IconHandle icon, int32_t& width, int32_t& height)
{
    auto& icons = S().icons;
    if (icon == 0 || icon > icons.size()) return nullptr;
    width = icons[icon - 1].width;
    height = icons[icon - 1].height;
    return &icons[icon - 1].pixels;
}
}  // namespace detail

// ---------------------------------------------------------------- frames
bool PresentPixels(WindowHandle window, const uint32_t* pixels, int32_t pitchBytes, int32_t width, int32_t height)
{
    WindowRecord* r = detail::FindRecord(window);
    if (!r || !pixels || width <= 0 || height <= 0 || pitchBytes < width * 4) return false;
    return EnsureBackEnd().Present(*r, pixels, pitchBytes, width, height);
}

bool ReadPresentedFrame(WindowHandle window, std::vector<uint32_t>& pixels, int32_t& width, int32_t& height)
{
    WindowRecord* r = detail::FindRecord(window);
    return r && EnsureBackEnd().ReadFrame(*r, pixels, width, height);
}

bool SavePresentedFrame(WindowHandle window, const std::string& path)
{
    std::vector<uint32_t> px;
    int32_t w = 0, h = 0;
    if (!ReadPresentedFrame(window, px, w, h)) return false;
    return detail::WriteBmp(path, px, w, h);
}

// ---------------------------------------------------------------- queue
bool PostWindowMessage(WindowHandle window, uint32_t message, uint64_t wParam, int64_t lParam)
{
    if (!WindowExists(window)) return false;
    Post(window, message, wParam, lParam, S().retrievedModifiers);
    return true;
}

int64_t SendWindowMessage(WindowHandle window, uint32_t message, uint64_t wParam, int64_t lParam)
{
    return DispatchWindowMessage(WindowMessage{window, message, wParam, lParam, S().retrievedModifiers});
}

bool PeekWindowMessage(WindowMessage& out, WindowHandle window, bool queuedOnly)
{
    WindowSystem& s = S();
    auto matches = [&](const WindowMessage& m) { return window == 0 || m.window == window; };
    if (std::none_of(s.queue.begin(), s.queue.end(), matches)) EnsureBackEnd().Poll();
    for (auto it = s.queue.begin(); it != s.queue.end();) {
        if (!matches(*it)) {
            ++it;
            continue;
        }
        out = *it;
        it = s.queue.erase(it);
        // Leaving counts only while tracking was asked when the message is
        // taken: a move taken just before may have asked for it.
        if (out.message == kMsgMouseLeave) {
            WindowRecord* r = detail::FindRecord(out.window);
            if (!r || !r->trackLeave) continue;
            r->trackLeave = false;
        }
        NoteRetrieved(out);
        return true;
    }
    if (queuedOnly) return false;
    // Nothing queued: paint what was invalidated, then due timers.
    for (auto& [h, r] : s.windows) {
        if ((window == 0 || h == window) && r->invalid && r->shown && !r->minimized) {
            r->invalid = false;  // handed out; a paint handler that forgets to validate cannot spin
            out = WindowMessage{h, kMsgPaint, 0, 0, s.retrievedModifiers};
            return true;
        }
    }
    uint64_t now = MonotonicNanoseconds();
    for (Timer& t : s.timers) {
        if ((window == 0 || t.window == window) && now >= t.due) {
            t.due = now + uint64_t(t.interval) * 1000000ull;
            out = WindowMessage{t.window, kMsgTimer, t.id, 0, s.retrievedModifiers};
            return true;
        }
    }
    return false;
}

int64_t DispatchWindowMessage(const WindowMessage& message)
{
    std::shared_ptr<WindowRecord> r = Shared(message.window);
    if (!r) return 0;
    WindowProcedure procedure = r->procedure;  // the window may go while it runs
    return procedure ? procedure(message) : DefaultWindowProcedure(message);
}

void WaitForWindowMessages(uint32_t milliseconds)
{
    if (!S().queue.empty()) return;
    EnsureBackEnd().Wait(milliseconds);
}

size_t QueuedMessageCount() { return S().queue.size(); }

int64_t DefaultWindowProcedure(const WindowMessage& m)
{
    if (S().defaultObserver) S().defaultObserver(m);
    switch (m.message) {
    case kMsgClose: DestroyNativeWindow(m.window); return 0;
    case kMsgSysCommand:
        switch (m.wParam & 0xFFF0) {
        case kCommandMinimize: ShowNativeWindow(m.window, ShowCommand::Minimize); break;
        case kCommandMaximize: ShowNativeWindow(m.window, ShowCommand::Maximize); break;
        case kCommandRestore: ShowNativeWindow(m.window, ShowCommand::Restore); break;
        case kCommandClose: PostWindowMessage(m.window, kMsgClose, 0, 0); break;
        default: break;
        }
        return 0;
    case kMsgSysKeyDown:
        if (m.wParam == kVkF4 && (m.modifiers & kModAlt)) PostWindowMessage(m.window, kMsgSysCommand, kCommandClose, 0);
        return 0;
    case kMsgPaint: ValidateWindow(m.window); return 0;
    case kMsgSetCursor:
        if ((m.lParam & 0xFFFF) == kHitClient) SetCursorShape(kCursorArrow);
        return 0;
    case kMsgEraseBackground:
    case kMsgQueryEndSession: return 1;
    default: return 0;
    }
}

void SetDefaultProcedureObserver(std::function<void(const WindowMessage&)> observer)
{
    S().defaultObserver = std::move(observer);
}

void SetWindowTimer(WindowHandle window, uint32_t id, uint32_t milliseconds)
{
    if (!WindowExists(window)) return;
    KillWindowTimer(window, id);
    milliseconds = std::max<uint32_t>(milliseconds, kMinimumTimerInterval);
    S().timers.push_back(Timer{window, id, milliseconds, MonotonicNanoseconds() + uint64_t(milliseconds) * 1000000ull});
}

bool KillWindowTimer(WindowHandle window, uint32_t id)
{
    return std::erase_if(S().timers, [&](const Timer& t) { return t.window == window && t.id == id; }) > 0;
}

std::vector<std::string> DroppedFiles(uint64_t drop)
{
    auto it = S().drops.find(drop);
    return it == S().drops.end() ? std::vector<std::string>() : it->second.files;
}

OsPoint DropPoint(uint64_t drop)
{
    auto it = S().drops.find(drop);
    return it == S().drops.end() ? OsPoint{} : it->second.point;
}

void FinishDrop(uint64_t drop) { S().drops.erase(drop); }

// ---------------------------------------------------------------- keyboard
bool KeyStateDown(uint8_t key)
{
    switch (key) {
    case kVkLeftShift: case kVkRightShift: key = kVkShift; break;
    case kVkLeftControl: case kVkRightControl: key = kVkControl; break;
    case kVkLeftMenu: case kVkRightMenu: key = kVkMenu; break;
    default: break;
    }
    return S().keyRetrieved[key];
}

bool AsyncKeyDown(uint8_t key)
{
    EnsureBackEnd().Poll();
    return S().keyAsync[key];
}

// ---------------------------------------------------------------- mouse
void SetMouseCapture(WindowHandle window)
{
    if (!WindowExists(window)) return;
    WindowSystem& s = S();
    if (s.capture && s.capture != window) EnsureBackEnd().Capture(s.capture, false);
    s.capture = window;
    EnsureBackEnd().Capture(window, true);
}

void ReleaseMouseCapture()
{
    WindowSystem& s = S();
    if (!s.capture) return;
    if (s.backEnd) s.backEnd->Capture(s.capture, false);
    s.capture = 0;
}

WindowHandle CaptureWindow() { return S().capture; }

CursorHandle LoadSystemCursor(uint32_t id)
{
    switch (id) {
    case kCursorArrow: case kCursorIBeam: case kCursorWait: case kCursorCross:
    case kCursorSizeNWSE: case kCursorSizeNESW: case kCursorSizeWE: case kCursorSizeNS:
    case kCursorSizeAll: case kCursorNo: case kCursorHand: return id;
    default: return 0;
    }
}

void SetCursorShape(CursorHandle cursor)
{
    S().cursor = cursor;
    if (S().backEnd) S().backEnd->SetCursor(cursor);
}

CursorHandle CurrentCursor() { return S().cursor; }

// ---------------------------------------------------------------- displays
int32_t DisplayCount()
{
    return int32_t(std::max<size_t>(1, EnsureBackEnd().Displays().size()));
}

DisplayInfo GetDisplayInfo(int32_t display)
{
    std::vector<DisplayInfo> all = EnsureBackEnd().Displays();
    if (all.empty()) all = DefaultDisplays();
    if (display < 0 || size_t(display) >= all.size()) display = 0;
    return all[size_t(display)];
}

int32_t DisplayOfWindow(WindowHandle window)
{
    WindowRecord* r = detail::FindRecord(window);
    return r ? EnsureBackEnd().DisplayOf(*r) : 0;
}

bool MonitorDpi(int32_t display, uint32_t& dpiX, uint32_t& dpiY)
{
    DisplayInfo d = GetDisplayInfo(display);
    dpiX = d.dpiX ? d.dpiX : 96;
    dpiY = d.dpiY ? d.dpiY : 96;
    return d.dpiX != 0 && d.dpiY != 0;
}

bool EnableDpiAwareness()
{
    return ActiveWindowBackEnd() == WindowBackEnd::Sdl;
}

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
        uint64_t w = (uint64_t(uint16_t(int16_t(e.wheel * kWheelStep))) << 16) | MouseFlags(e.modifiers);
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
    case InputKind::DropFile: {
        uint64_t id = s.nextDrop++;
        s.drops[id] = Drop{SplitLines(e.text), OsPoint{e.x, e.y}};
        Post(r.handle, kMsgDropFiles, id, 0);
        break;
    }
    case InputKind::SizeMoveStart: Post(r.handle, kMsgEnterSizeMove, 0, 0); break;
    case InputKind::SizeMoveEnd: Post(r.handle, kMsgExitSizeMove, 0, 0); break;
    case InputKind::DisplayChanged: break;
    }
}

void SetHeadlessDisplays(std::vector<DisplayInfo> displays)
{
    S().headlessDisplays = std::move(displays);
}

}  // namespace plat::os
