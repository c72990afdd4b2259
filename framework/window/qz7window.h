// The framework's main window: window messages become virtual operations,
// owner callbacks, mouse and keyboard input and framework events; closing
// can ask for confirmation; the client size can be limited. The thread's
// messages are pumped once a frame from the frame event.
#pragma once

#include "qz7core.h"
#include "qz7input.h"
#include "osWindow.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

// Style flags of a window.
constexpr uint32_t QZWS_POPUP = 0x0001;         // borderless full-screen popup, topmost
constexpr uint32_t QZWS_TOPMOST = 0x0002;
constexpr uint32_t QZWS_SIZING = 0x0004;        // sizing frame
constexpr uint32_t QZWS_MAXBOX = 0x0008;
constexpr uint32_t QZWS_NOADJUST = 0x0010;      // client size = window size
constexpr uint32_t QZWS_NOCAPTION = 0x1000;
constexpr uint32_t QZWS_MAXIMIZE = 0x2000;
constexpr uint32_t QZWS_HIDDEN = 0x4000;        // creation only
constexpr uint32_t QZWS_NOHANDLE = 0x8000;      // creation only
constexpr uint32_t QZWS_KEEPONCLOSE = 0x10000;  // only the close callbacks decide

constexpr int32_t QZSHOW_NONE = 0;
constexpr int32_t QZSHOW_NORMAL = 1;
constexpr int32_t QZSHOW_MINIMISED = 2;
constexpr int32_t QZSHOW_MAXIMISED = 3;

extern const char* const QZ_CLOSE_CONFIRMATION;  // "Are you sure you want to close?"

class TQZWindow;

// Timers a window runs for its owners: each calls its handler with its id.
using TQZWindowTimerHandler = std::function<void(uint32_t id)>;
constexpr uint32_t QZ_FIRST_WINDOW_TIMER = 400;

// A window's timers, sorted by id; a new one takes the lowest id from 400
// up that is free.
class TQZWindowTimerList {
public:
    uint32_t Add(TQZWindowTimerHandler handler);
    bool Remove(uint32_t id);
    // Runs the timer's handler; false for an unknown id.
    bool Fire(uint32_t id) const;
    bool Has(uint32_t id) const;
    size_t Count() const { return timers_.size(); }
    std::vector<uint32_t> Ids() const;

private:
    std::vector<std::pair<uint32_t, TQZWindowTimerHandler>> timers_;
};

using TQZCloseQueryEvent = TQZMethod<int32_t(TQZWindow*)>;  // 1 = go on
using TQZCommandProc = void (*)(int32_t id, int32_t code, int64_t lParam);
using TQZPaintEvent = TQZMethod<bool(TQZWindow*, int64_t)>;
using TQZCloseEvent = TQZMethod<void(TQZWindow*)>;
using TQZResizeEvent = TQZMethod<void(int32_t, int32_t)>;
using TQZMessageEvent = TQZMethod<bool(uint32_t, uint64_t, int64_t)>;

// Process-wide: the pump waits up to 10 ms for input while this is on.
extern bool WindowWaitForInput;
// The title of video windows ("QZ7Application" until the program sets its own).
extern std::string ApplicationTitle;

class TQZWindow : public TQZClass {
public:
    TQZWindow() = default;
    TQZWindow(const std::string& title, uint32_t flags, int32_t width, int32_t height)
    {
        Create(title, flags, width, height);
    }
    ~TQZWindow() override;

    void Create(const std::string& title, uint32_t flags, int32_t width, int32_t height);
    void CreateHandle(TQZRect rect, bool show);

    // Virtual operations.
    virtual bool CloseQuery(int64_t argument);
    virtual bool DoCommand(uint64_t wParam, int64_t lParam);
    virtual bool DisplayChanged() { return false; }
    virtual bool Paint(int64_t argument);
    virtual int64_t WindowProc(TQZWindowHandle handle, uint32_t message, uint64_t wParam, int64_t lParam);
    virtual void GetStyle(uint32_t& style, uint32_t& exStyle, TQZRect& rect) const;

    void Close(bool confirm);
    void Invalidate();
    void Maximize();
    void SetBounds(const TQZRect& rect);
    void SetClientSize(int32_t width, int32_t height);
    TQZPoint GetClientSize() const;
    void SetShowState(int32_t state);
    void SetStyle(uint32_t flags);
    void SetIcon(plat::os::IconHandle icon);
    void TrackMouseLeave();
    void ShowHide(bool hide);
    void GetMinMaxInfo(plat::os::MinMaxInfo& info) const;
    // Records a timer that the window kills when it goes.
    void SetTimer(uint32_t id, uint32_t milliseconds);
    // A timer calling the handler every interval: its id, 0 without a handle.
    uint32_t SetWindowTimer(uint32_t milliseconds, TQZWindowTimerHandler handler);
    // An unknown id does nothing.
    void KillWindowTimer(uint32_t id);
    const TQZWindowTimerList& WindowTimers() const { return windowTimers_; }

    // Size limits of the client area (0 x 0 = none); the window system takes
    // them at once.
    void SetMinClientSize(int32_t width, int32_t height);
    void SetMaxClientSize(int32_t width, int32_t height);
    TQZPoint MinClientSize() const { return minClient_; }
    TQZPoint MaxClientSize() const { return maxClient_; }

    bool Active() const { return active_; }
    bool RestoreFlag() const { return restoreFlag_; }
    bool Closed() const { return closed_; }
    bool Focused() const { return focused_; }
    bool InSizeMove() const { return inSizeMove_; }
    int32_t ShowState() const { return showState_; }
    uint32_t Flags() const { return flags_; }
    TQZWindowHandle Handle() const { return handle_; }
    bool HandleExists() const;
    const std::string& Title() const { return title_; }

    std::string confirmation;              // empty = close without asking
    bool cursorVisible = true;
    bool eraseBackground = false;
    plat::os::CursorHandle cursor = 0;     // 0 = leave the cursor alone
    TQZCloseQueryEvent onCloseQuery;
    TQZCommandProc onCommand = nullptr;
    TQZPaintEvent onPaint;
    TQZCloseEvent onClose;
    TQZResizeEvent onResize;
    TQZMessageEvent onMessage;

private:
    int64_t Default(TQZWindowHandle handle, uint32_t message, uint64_t wParam, int64_t lParam);
    bool MouseMessage(TQZWindowHandle handle, uint32_t message, uint64_t wParam, int64_t lParam);
    bool SizeMessage(uint64_t kind, int64_t lParam);
    void ApplyLimits();

    bool active_ = false;
    bool restoreFlag_ = false;
    bool closed_ = true;
    bool leaveTracking_ = false;
    TQZWindowHandle handle_ = 0;
    bool focused_ = false;
    plat::os::IconHandle icon_ = 0;
    TQZPoint maxClient_{0, 0};
    TQZPoint minClient_{0, 0};
    std::vector<uint32_t> timers_;
    TQZWindowTimerList windowTimers_;
    std::string title_;
    bool inSizeMove_ = false;
    int32_t showState_ = QZSHOW_NONE;
    uint32_t flags_ = 0;
    bool counted_ = false;
};

// The window a video layer creates for a window kind (0 windowed, 1 and 2
// borderless full screen) and video mode flags.
std::unique_ptr<TQZWindow> CreateVideoWindow(int32_t width, int32_t height, int32_t kind, uint32_t modeFlags);
TQZPoint GetScreenSize();
TQZRect GetWorkArea();
// The largest client area a window with these style flags can show.
TQZPoint GetMaxClientSize(uint32_t flags);
// The monitor's scale (1.0 = 96 DPI) for a window (nullptr: the primary).
float GetMonitorScale(const TQZWindow* window);
bool SetDpiAwareness();
TQZPoint SplitMessageParam(int64_t lParam);
// The frame handler that pumps every window's messages.
int32_t PumpWindowMessages(void* param);
int32_t LiveWindowCount();
bool WindowClassRegistered();
