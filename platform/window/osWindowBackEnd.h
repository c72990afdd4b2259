// Inside the window stand-in: the window records and what a back end does
// with them. Not for use outside platform/os.
#pragma once

#include "osWindow.h"

#include <deque>
#include <functional>
#include <map>
#include <memory>

namespace plat::os::detail {

struct WindowRecord {
    WindowHandle handle = 0;
    WindowProcedure procedure;
    std::string title;
    uint32_t style = 0, exStyle = 0;
    OsRect outer;              // frame included, screen coordinates
    int32_t clientWidth = 0, clientHeight = 0;
    OsRect restoreOuter;       // the normal rectangle while maximised or minimised
    bool shown = false, minimized = false, maximized = false;
    bool invalid = false;
    bool trackLeave = false;
    uint64_t drag = 0;         // the drag over the window, 0 none
    IconHandle icon = 0;
    FullScreenMode fullScreen = FullScreenMode::Off;
    MinMaxInfo limits;
    void* native = nullptr;    // the back end's own window
    std::vector<uint32_t> frame;  // headless: the last frame presented
    int32_t frameWidth = 0, frameHeight = 0;
};

class BackEnd {
public:
    virtual ~BackEnd() = default;
    virtual WindowBackEnd Kind() const = 0;
    // Makes the native window for a filled record (false: no window).
    [[nodiscard]] virtual bool Create(WindowRecord& record) = 0;
    virtual void Destroy(WindowRecord& record) = 0;
    // The record's outer rectangle changed by a call (not by the user).
    virtual void ApplyBounds(WindowRecord& record) = 0;
    virtual void ApplyStyle(WindowRecord& record) = 0;
    virtual void ApplyTitle(WindowRecord& record) = 0;
    virtual void ApplyIcon(WindowRecord& record) = 0;
    virtual void ApplyLimits(WindowRecord& record) = 0;
    // The record's full-screen mode changed; its bounds are already set.
    virtual void ApplyFullScreen(WindowRecord& record) = 0;
    virtual void Show(WindowRecord& record, ShowCommand command) = 0;
    virtual void Focus(WindowRecord& record) = 0;
    // Turns pending native events into input (InjectInput).
    virtual void Poll() = 0;
    virtual void Wait(uint32_t milliseconds) = 0;
    virtual void SetCursor(CursorHandle cursor) = 0;
    virtual void Capture(WindowHandle window, bool on) = 0;
    virtual std::vector<DisplayInfo> Displays() = 0;
    virtual int32_t DisplayOf(const WindowRecord& record) = 0;
    [[nodiscard]] virtual bool Present(WindowRecord& record, const uint32_t* pixels, int32_t pitchBytes, int32_t width,
                         int32_t height) = 0;
    [[nodiscard]] virtual bool ReadFrame(WindowRecord& record, std::vector<uint32_t>& pixels, int32_t& width, int32_t& height) = 0;
    // Clipboard text in UTF-8; Get is false when there is none.
    [[nodiscard]] virtual bool SetClipboard(const std::string& utf8) = 0;
    virtual bool GetClipboard(std::string& utf8) = 0;
    virtual bool HasClipboard() = 0;
};

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

// What every part of the window stand-in shares.
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
    std::string headlessClipboard;
    bool headlessClipboardSet = false;
    std::string failure;  // why the window system wanted did not start
};

WindowSystem& S();
std::vector<DisplayInfo> DefaultDisplays();
OsRect FrameOf(uint32_t style, uint32_t exStyle);
void SetClientFromOuter(WindowRecord& r);
void Post(WindowHandle w, uint32_t message, uint64_t wParam, int64_t lParam, uint32_t modifiers = 0);
int64_t PackSize(int32_t w, int32_t h);
void PostSize(WindowRecord& r, uint32_t kind);
void PostMove(WindowRecord& r);
// Sends the limits request to the window procedure and keeps the answer.
void AskLimits(WindowRecord& r);
// Keeps a client size the user asks for inside the window's limits.
void ClampToLimits(const WindowRecord& r, int32_t& w, int32_t& h);
void ResizeRecord(WindowRecord& r, int32_t w, int32_t h);
void SetModifierKeys(bool* table, uint32_t modifiers);
BackEnd& EnsureBackEnd();
std::shared_ptr<WindowRecord> Shared(WindowHandle w);
std::unique_ptr<BackEnd> MakeHeadlessBackEnd();

// The SDL back end, or nullptr with the reason when SDL's video cannot start.
std::unique_ptr<BackEnd> MakeSdlBackEnd(std::string& failure);
// Termination signals for the paced headless back end: caught while on,
// the default action again when off.
void CatchTerminationSignals(bool on);
// Takes a termination signal caught since the last call.
bool TakeTerminationRequest();
// Watches the X connection SDL opened: its loss ends the program through
// DisplayLost. Off gives Xlib back its own handling.
void WatchX11Connection(bool on);
// Tells of the lost display, runs the program's handler and ends the process.
[[noreturn]] void DisplayLost();
// Frees what the SDL back end keeps process-wide (cursors, video) and gives
// message boxes back to the headless back end.
void ShutdownSdlVideo();

// Record lookup for the back ends (nullptr when gone).
WindowRecord* FindRecord(WindowHandle window);
WindowRecord* FindRecordByNative(const void* native);
// The client size of an outer rectangle under the record's style.
void ClientFromOuter(const WindowRecord& record, const OsRect& outer, int32_t& width, int32_t& height);
void UseWindowedMessageBoxes();
// A 32-bit top-down BMP of the pixels.
[[nodiscard]] bool WriteBmp(const std::string& path, const std::vector<uint32_t>& pixels, int32_t width, int32_t height);
// The pixels of a registered icon (nullptr when unknown).
const std::vector<uint32_t>* IconPixels(IconHandle icon, int32_t& width, int32_t& height);

}  // namespace plat::os::detail
