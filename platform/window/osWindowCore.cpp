// The window stand-in's core: window records, geometry, the back-end
// choice, icons, frames, cursors, capture and display facts. Main thread
// only, like the windows it stands in for.
#include "osWindow.h"
#include "osMachine.h"

#include "osKeys.h"
#include "osWindowBackEnd.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>

namespace plat::os {
using namespace detail;

namespace detail {
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

void Post(WindowHandle w, uint32_t message, uint64_t wParam, int64_t lParam, uint32_t modifiers)
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

void SetModifierKeys(bool* table, uint32_t modifiers)
{
    table[kVkShift] = (modifiers & kModShift) != 0;
    table[kVkControl] = (modifiers & kModCtrl) != 0;
    table[kVkMenu] = (modifiers & kModAlt) != 0;
}

BackEnd& EnsureBackEnd()
{
    WindowSystem& s = S();
    if (s.backEnd) return *s.backEnd;
    WindowBackEnd want = s.chosen;
    bool paced = false;
    if (want == WindowBackEnd::Automatic) {
        // The test harness sets VQ_TEST: a test never opens a real window
        // unless it asks for SDL by name, and never waits.
        auto set = [](const char* name) {
            const char* v = std::getenv(name);
            return v && *v && std::string(v) != "0";
        };
        const bool test = set("VQ_TEST");
        paced = set("VANTOREL_HEADLESS") && !test;
        want = paced || test ? WindowBackEnd::Headless : WindowBackEnd::Sdl;
    }
    if (want == WindowBackEnd::Sdl) {
        std::string failure;
        s.backEnd = detail::MakeSdlBackEnd(failure);
        // The headless back end still answers questions about displays,
        // but no window is made: nobody would see it.
        if (!s.backEnd) s.failure = failure.empty() ? std::string("the window system did not start") : failure;
    }
    if (!s.backEnd) s.backEnd = MakeHeadlessBackEnd();
    SetMonitorDpiSource(MonitorDpi);
    if (paced) SetHeadlessPacing(true);
    return *s.backEnd;
}

std::shared_ptr<WindowRecord> Shared(WindowHandle w)
{
    auto it = S().windows.find(w);
    return it == S().windows.end() ? nullptr : it->second;
}
}  // namespace detail


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

std::string WindowSystemFailure()
{
    EnsureBackEnd();
    return S().failure;
}

void ResetWindowSystem()
{
    SetHeadlessPacing(false);
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
    if (!s.failure.empty()) return 0;
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
    // False only for a window already gone: nothing left to change.
    if (c.show) (void)ShowNativeWindow(h, (c.style & kStyleMaximize) ? ShowCommand::Maximize : ShowCommand::Show);
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

}  // namespace plat::os
