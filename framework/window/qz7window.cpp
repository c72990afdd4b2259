// Sections, in order: life (making the native window and its handle,
// freeing it); style; geometry (bounds, client size, size limits); showing
// (invalidation, show states, icon, mouse leave, window timers); closing
// (the close query, commands, paint); messages (the window procedure: size,
// mouse, drag and drop); pump (the frame's message loop); screen.
#include "qz7window.h"

#include <algorithm>

#include "qz7events.h"
#include "osDesktop.h"
#include "osFileDialog.h"
#include "osKeys.h"

namespace os = plat::os;

const char* const QZ_CLOSE_CONFIRMATION = "Are you sure you want to close?";
bool WindowWaitForInput = true;
std::string ApplicationTitle = "QZ7Application";

namespace {
int32_t liveWindows = 0;
bool classRegistered = false;

constexpr uint32_t kCaptionStyle = 0xCA0000;  // border, dialog frame, system menu, minimise box
constexpr uint32_t kStyleKeepMask = 0xFF30FFFF;

void RegisterWindowClass()
{
    if (classRegistered) return;
    classRegistered = true;
    AddHandler(QZEVENT_FRAME, &PumpWindowMessages, QZHANDLER_PERSISTENT);
}

void UnregisterWindowClass()
{
    if (!classRegistered) return;
    classRegistered = false;
    if (FrameworkStarted()) RemoveHandler(QZEVENT_FRAME, &PumpWindowMessages);
}
}  // namespace

int32_t LiveWindowCount() { return liveWindows; }
bool WindowClassRegistered() { return classRegistered; }

// ---------------------------------------------------------------- life
void TQZWindow::Create(const std::string& title, uint32_t flags, int32_t width, int32_t height)
{
    RegisterWindowClass();
    if (!counted_) {
        ++liveWindows;
        counted_ = true;
    }
    title_ = title;
    flags_ = flags & ~(QZWS_HIDDEN | QZWS_NOHANDLE);
    closed_ = true;
    showState_ = QZSHOW_NONE;
    minClient_ = {40, 40};
    if (!(flags & QZWS_NOHANDLE)) CreateHandle(MakeRect(os::kUseDefault, 0, width, height), !(flags & QZWS_HIDDEN));
    if (os::IconHandle icon = os::LoadIconResource("APPICON")) SetIcon(icon);
    if (SingletonExists(QZSLOT_MOUSE) && handle_) {
        TQZMouse* mouse = GetMouse();
        if (mouse && !mouse->MainWindow()) mouse->SetMainWindow(handle_);
    }
}

void TQZWindow::CreateHandle(TQZRect rect, bool show)
{
    if (HandleExists()) return;
    uint32_t style = 0, exStyle = 0;
    GetStyle(style, exStyle, rect);
    os::WindowCreation c;
    c.title = title_;
    c.style = style;
    c.exStyle = exStyle;
    bool defaultPlace = rect.left == os::kUseDefault;
    c.x = defaultPlace ? os::kUseDefault : rect.left;
    c.y = defaultPlace ? os::kUseDefault : rect.top;
    c.width = rect.right - (defaultPlace ? 0 : rect.left);
    c.height = rect.bottom - rect.top;
    c.show = show;
    showState_ = QZSHOW_NORMAL;
    closed_ = false;
    handle_ = os::CreateNativeWindow(c, [this](const os::WindowMessage& m) {
        return WindowProc(m.window, m.message, m.wParam, m.lParam);
    });
    if (!handle_) {
        showState_ = QZSHOW_NONE;
        closed_ = true;
    }
}

TQZWindow::~TQZWindow()
{
    if (HandleExists()) {
        Close(false);
        os::WindowMessage m;
        while (HandleExists() && os::PeekWindowMessage(m, handle_, true)) os::DispatchWindowMessage(m);
    }
    // False only for a window already gone: nothing left to change.
    for (uint32_t id : timers_) (void)os::KillWindowTimer(handle_, id);
    timers_.clear();
    for (uint32_t id : windowTimers_.Ids()) KillWindowTimer(id);
    // A window kept open by its close callbacks still goes with its object.
    // False only for a window already gone: nothing left to change.
    if (HandleExists()) (void)os::DestroyNativeWindow(handle_);
    if (counted_ && --liveWindows == 0) UnregisterWindowClass();
}

bool TQZWindow::HandleExists() const
{
    return handle_ != 0 && os::WindowExists(handle_);
}

// ---------------------------------------------------------------- style
void TQZWindow::GetStyle(uint32_t& style, uint32_t& exStyle, TQZRect& rect) const
{
    if (flags_ & QZWS_POPUP) {
        style = os::kStylePopup;
        exStyle = os::kExStyleTopmost;
        return;
    }
    style = (flags_ & QZWS_NOCAPTION) ? 0 : kCaptionStyle;
    if (flags_ & QZWS_SIZING) style |= os::kStyleSizingFrame;
    if (flags_ & QZWS_MAXBOX) style |= os::kStyleMaximizeBox;
    if (flags_ & QZWS_MAXIMIZE) style |= os::kStyleMaximize;
    exStyle = os::kExStyleAppWindow;
    if (flags_ & QZWS_TOPMOST) exStyle |= os::kExStyleTopmost;
    if (flags_ & QZWS_NOADJUST) return;
    bool defaultPlace = rect.left == os::kUseDefault;
    os::OsRect r{defaultPlace ? 0 : rect.left, rect.top, rect.right, rect.bottom};
    os::OsRect g = os::AdjustForFrame(r, style, exStyle);
    if (defaultPlace) {
        // The position stays the system's choice; only the size grows.
        rect = {os::kUseDefault, g.top, g.right - g.left, g.bottom};
    } else {
        rect = {g.left, g.top, g.right, g.bottom};
    }
}

void TQZWindow::SetStyle(uint32_t flags)
{
    if (flags == flags_) return;
    bool intoPopup = (flags & QZWS_POPUP) && !(flags_ & QZWS_POPUP);
    flags_ = flags;
    if (!HandleExists()) return;
    uint32_t style = 0, exStyle = 0, old = 0, oldEx = 0;
    TQZRect none = MakeRect(0, 0, 0, 0);
    GetStyle(style, exStyle, none);
    os::GetWindowStyle(handle_, old, oldEx);
    style |= old & kStyleKeepMask;
    if (intoPopup) {
        TQZPoint screen = GetScreenSize();
        style &= ~(os::kStyleCaption | os::kStyleSizingFrame);
        // False only for a window already gone: nothing left to change.
        (void)os::SetWindowStyle(handle_, style, exStyle);
        (void)os::SetWindowBounds(handle_, 0, 0, screen.x, screen.y);
    } else {
        // False only for a window already gone: nothing left to change.
        (void)os::SetWindowStyle(handle_, style, exStyle);
    }
    // False only for a window already gone: nothing left to change.
    (void)os::ShowNativeWindow(handle_, os::ShowCommand::Show);
}

// ---------------------------------------------------------------- geometry
void TQZWindow::SetBounds(const TQZRect& rect)
{
    if (!HandleExists()) return;
    // False only for a window already gone: nothing left to change.
    (void)os::SetWindowBounds(handle_, rect.left, rect.top, rect.Width(), rect.Height());
}

void TQZWindow::SetClientSize(int32_t width, int32_t height)
{
    if (!HandleExists()) return;
    if (flags_ & QZWS_POPUP) {
        SetBounds(MakeRect(0, 0, width, height));
        return;
    }
    TQZPoint now = GetClientSize();
    if (now.x == width && now.y == height) return;
    os::OsRect outer;
    os::GetWindowRect(handle_, outer);
    uint32_t style = 0, exStyle = 0;
    TQZRect r = MakeRect(0, 0, width, height);
    GetStyle(style, exStyle, r);
    SetBounds(MakeRect(outer.left, outer.top, outer.left + r.Width(), outer.top + r.Height()));
}

TQZPoint TQZWindow::GetClientSize() const
{
    os::OsRect r;
    if (!os::GetClientRect(handle_, r)) return {0, 0};
    return {r.Width(), r.Height()};
}

void TQZWindow::GetMinMaxInfo(os::MinMaxInfo& info) const
{
    uint32_t style = 0, exStyle = 0;
    if (minClient_.x != 0 && minClient_.y != 0) {
        TQZRect r = MakeRect(0, 0, minClient_.x, minClient_.y);
        GetStyle(style, exStyle, r);
        info.minTrackSize = {r.Width(), r.Height()};
    }
    if (maxClient_.x != 0 && maxClient_.y != 0) {
        TQZRect r = MakeRect(0, 0, maxClient_.x, maxClient_.y);
        GetStyle(style, exStyle, r);
        info.maxTrackSize = {r.Width(), r.Height()};
    }
}

void TQZWindow::SetMinClientSize(int32_t width, int32_t height)
{
    minClient_ = {width, height};
    ApplyLimits();
}

void TQZWindow::SetMaxClientSize(int32_t width, int32_t height)
{
    maxClient_ = {width, height};
    ApplyLimits();
}

void TQZWindow::ApplyLimits()
{
    if (HandleExists()) os::RefreshSizeLimits(handle_);
}

// ---------------------------------------------------------------- showing
void TQZWindow::Invalidate()
{
    if (HandleExists()) os::InvalidateWindow(handle_);
}

void TQZWindow::Maximize()
{
    // False only for a window already gone: nothing left to change.
    if (HandleExists()) (void)os::ShowNativeWindow(handle_, os::ShowCommand::Maximize);
}

void TQZWindow::SetShowState(int32_t state)
{
    if (!HandleExists() || state == showState_) return;
    switch (state) {
    case QZSHOW_NONE: Close(true); break;
    // False only for a window already gone, which needs no message.
    case QZSHOW_NORMAL: (void)os::PostWindowMessage(handle_, os::kMsgSysCommand, os::kCommandRestore, 0); break;
    case QZSHOW_MINIMISED: (void)os::PostWindowMessage(handle_, os::kMsgSysCommand, os::kCommandMinimize, 0); break;
    case QZSHOW_MAXIMISED: (void)os::PostWindowMessage(handle_, os::kMsgSysCommand, os::kCommandMaximize, 0); break;
    default: break;
    }
}

void TQZWindow::ShowHide(bool hide)
{
    // False only for a window already gone: nothing left to change.
    if (HandleExists()) (void)os::ShowNativeWindow(handle_, hide ? os::ShowCommand::Hide : os::ShowCommand::Show);
}

void TQZWindow::SetIcon(os::IconHandle icon)
{
    if (icon == icon_) return;
    icon_ = icon;
    // False only for a window already gone: nothing left to change.
    if (HandleExists()) (void)os::SetWindowIcon(handle_, icon);
}

void TQZWindow::TrackMouseLeave()
{
    leaveTracking_ = true;
    if (HandleExists()) os::TrackMouseLeave(handle_);
}

void TQZWindow::SetTimer(uint32_t id, uint32_t milliseconds)
{
    if (!HandleExists()) return;
    os::SetWindowTimer(handle_, id, milliseconds);
    timers_.push_back(id);
}

uint32_t TQZWindow::SetWindowTimer(uint32_t milliseconds, TQZWindowTimerHandler handler)
{
    if (!HandleExists()) return 0;
    uint32_t id = windowTimers_.Add(std::move(handler));
    os::SetWindowTimer(handle_, id, milliseconds);
    return id;
}

void TQZWindow::KillWindowTimer(uint32_t id)
{
    if (!windowTimers_.Remove(id)) return;
    if (handle_) (void)os::KillWindowTimer(handle_, id);  // false only for a window already gone: nothing left to change
}

uint32_t TQZWindowTimerList::Add(TQZWindowTimerHandler handler)
{
    uint32_t id = QZ_FIRST_WINDOW_TIMER;
    auto at = timers_.begin();
    while (at != timers_.end() && at->first == id) {
        ++id;
        ++at;
    }
    timers_.insert(at, {id, std::move(handler)});
    return id;
}

bool TQZWindowTimerList::Remove(uint32_t id)
{
    auto it = std::find_if(timers_.begin(), timers_.end(), [&](const auto& t) { return t.first == id; });
    if (it == timers_.end()) return false;
    timers_.erase(it);
    return true;
}

bool TQZWindowTimerList::Fire(uint32_t id) const
{
    auto it = std::find_if(timers_.begin(), timers_.end(), [&](const auto& t) { return t.first == id; });
    if (it == timers_.end()) return false;
    // The handler may kill its own timer: call a copy.
    TQZWindowTimerHandler handler = it->second;
    if (handler) handler(id);
    return true;
}

bool TQZWindowTimerList::Has(uint32_t id) const
{
    return std::any_of(timers_.begin(), timers_.end(), [&](const auto& t) { return t.first == id; });
}

std::vector<uint32_t> TQZWindowTimerList::Ids() const
{
    std::vector<uint32_t> ids;
    for (const auto& t : timers_) ids.push_back(t.first);
    return ids;
}

// ---------------------------------------------------------------- closing
void TQZWindow::Close(bool confirm)
{
    if (closed_) return;
    if (confirm) {
        if (confirmation.empty()) confirmation = QZ_CLOSE_CONFIRMATION;
    } else {
        confirmation.clear();
    }
    // False only for a window already gone, which needs no message.
    (void)os::PostWindowMessage(handle_, os::kMsgClose, 0, 0);
}

bool TQZWindow::CloseQuery(int64_t)
{
    if (onCloseQuery && onCloseQuery(this) != 1) return true;
    if (!confirmation.empty()) {
        os::MessageBoxRequest box;
        box.caption = "Close";
        box.text = confirmation;
        box.icon = os::BoxIcon::Question;
        box.buttons = os::BoxButtons::OkCancel;
        if (os::ShowMessageBox(box) == os::BoxAnswer::Cancel) return true;
    }
    if (onClose) {
        onClose(this);
        return true;
    }
    if (flags_ & QZWS_KEEPONCLOSE) return true;
    closed_ = true;
    return false;
}

bool TQZWindow::DoCommand(uint64_t wParam, int64_t lParam)
{
    if (!onCommand) return false;
    onCommand(LoWord(uint32_t(wParam)), HiWord(uint32_t(wParam)), lParam);
    return true;
}

bool TQZWindow::Paint(int64_t argument)
{
    return onPaint ? onPaint(this, argument) : false;
}

// ---------------------------------------------------------------- messages

int64_t TQZWindow::Default(TQZWindowHandle handle, uint32_t message, uint64_t wParam, int64_t lParam)
{
    return os::DefaultWindowProcedure(os::WindowMessage{handle, message, wParam, lParam, 0});
}

bool TQZWindow::SizeMessage(uint64_t kind, int64_t lParam)
{
    int32_t w = LoWord(uint32_t(lParam)), h = HiWord(uint32_t(lParam));
    switch (kind) {
    case os::kSizeRestored:
        restoreFlag_ = showState_ == QZSHOW_NORMAL;
        showState_ = QZSHOW_NORMAL;
        if (onResize) onResize(w, h);
        restoreFlag_ = false;
        Invalidate();
        return true;
    case os::kSizeMinimized: showState_ = QZSHOW_MINIMISED; return true;
    case os::kSizeMaximized:
        showState_ = QZSHOW_MAXIMISED;
        Invalidate();
        if (onResize) onResize(w, h);
        return true;
    default: return false;
    }
}

bool TQZWindow::MouseMessage(TQZWindowHandle handle, uint32_t message, uint64_t wParam, int64_t lParam)
{
    TQZPoint p = SplitMessageParam(lParam);
    switch (message) {
    case os::kMsgMouseMove:
        if (!FrameworkStarted()) return false;
        GetMouse()->SetWindowPosition(p, handle);
        if (!leaveTracking_) TrackMouseLeave();
        return true;
    case os::kMsgMouseWheel:
        if (!FrameworkStarted()) return false;
        GetMouse()->AddWheel(int16_t(HiWord(uint32_t(wParam))), handle);
        return true;
    case os::kMsgMouseLeave:
        if (!FrameworkStarted()) return false;
        leaveTracking_ = false;
        GetMouse()->SetWindowPosition(QZ_NOWHERE, handle);
        return true;
    default: break;
    }
    TQZMouse* mouse = GetMouse();
    if (!mouse) return false;
    int32_t button = 0;
    bool down = false;
    switch (message) {
    case os::kMsgLButtonDown: button = 1; down = true; break;
    case os::kMsgLButtonUp: button = 1; break;
    case os::kMsgRButtonDown: button = 2; down = true; break;
    case os::kMsgRButtonUp: button = 2; break;
    case os::kMsgMButtonDown: button = 3; down = true; break;
    case os::kMsgMButtonUp: button = 3; break;
    default: return false;
    }
    uint32_t modifiers = 0;
    if (wParam & os::kMouseFlagShift) modifiers |= QZKEY_SHIFT;
    if (wParam & os::kMouseFlagControl) modifiers |= QZKEY_CTRL;
    mouse->AddButtonEvent(button, down, handle, modifiers, p);
    return true;
}

bool TQZWindow::RegisterDragDrop(TQZWindowDropTarget* target)
{
    if (dropTarget_ && target) return false;
    dropTarget_ = target;
    return true;
}

// Drags go to the registered target; a drop or a leave ends the window
// system's record of the drag.
bool TQZWindow::DragMessage(uint32_t message, uint64_t wParam, int64_t lParam, int64_t& answer)
{
    if (!dropTarget_) return false;
    switch (message) {
    case os::kMsgDragEnter: answer = dropTarget_->DragEnter(os::DroppedFiles(wParam), SplitMessageParam(lParam)); break;
    case os::kMsgDragOver: answer = dropTarget_->DragOver(SplitMessageParam(lParam)); break;
    case os::kMsgDragLeave:
        dropTarget_->DragLeave();
        os::FinishDrop(wParam);
        break;
    default: {
        const os::OsPoint p = os::DropPoint(wParam);
        const std::vector<std::string> files = os::DroppedFiles(wParam);
        os::FinishDrop(wParam);
        answer = dropTarget_->Drop(files, {p.x, p.y});
        break;
    }
    }
    return true;
}

int64_t TQZWindow::WindowProc(TQZWindowHandle handle, uint32_t message, uint64_t wParam, int64_t lParam)
{
    switch (message) {
    case os::kMsgSize:
        if (SizeMessage(wParam, lParam)) return 0;
        break;
    case os::kMsgActivate:
        if (LoWord(uint32_t(wParam)) != os::kActivateInactive) {
            if (HiWord(uint32_t(wParam))) {
                showState_ = QZSHOW_MINIMISED;
            } else {
                active_ = true;
                showState_ = QZSHOW_NORMAL;
                os::FocusWindow(handle);
            }
        } else {
            active_ = false;
            if (TQZMouse* mouse = GetMouse()) mouse->ReleaseAllButtons();
        }
        Invalidate();
        return 0;
    case os::kMsgMove: return 0;
    case os::kMsgSetFocus:
    case os::kMsgKillFocus:
        focused_ = message == os::kMsgSetFocus;
        break;
    case os::kMsgPaint:
        if (Paint(0)) return 0;
        break;
    case os::kMsgClose:
        if (CloseQuery(0)) return 0;
        break;
    case os::kMsgQueryEndSession: return 1;
    case os::kMsgEraseBackground:
        if (eraseBackground) return 1;
        break;
    case os::kMsgSetCursor:
        if (!cursorVisible || cursor) {
            os::SetCursorShape(cursorVisible ? cursor : 0);
            EventManager()->Fire(QZEVENT_CURSOR, this);
            return 1;
        }
        break;
    case os::kMsgGetMinMaxInfo:
        if (lParam) GetMinMaxInfo(*reinterpret_cast<os::MinMaxInfo*>(intptr_t(lParam)));
        return 0;
    case os::kMsgDisplayChange:
        if (DisplayChanged()) return 0;
        break;
    case os::kMsgSysKeyDown:
        if (wParam != os::kVkF10) break;
        [[fallthrough]];
    case os::kMsgKeyDown:
        GetKeyboard()->RecordKey(uint8_t(wParam));
        return 0;
    case os::kMsgCommand:
        if (DoCommand(wParam, lParam)) return 0;
        break;
    case os::kMsgTimer:
        if (windowTimers_.Fire(uint32_t(wParam))) return 0;
        break;
    case os::kMsgEnterSizeMove:
    case os::kMsgExitSizeMove:
        inSizeMove_ = message == os::kMsgEnterSizeMove;
        return 0;
    case os::kMsgDragEnter:
    case os::kMsgDragOver:
    case os::kMsgDragLeave:
    case os::kMsgDropFiles: {
        int64_t answer = 0;
        if (DragMessage(message, wParam, lParam, answer)) return answer;
        break;
    }
    default:
        if (MouseMessage(handle, message, wParam, lParam)) return 0;
        if (message >= os::kMsgUser && message <= os::kMsgUserLast && onMessage) {
            if (onMessage(message, wParam, lParam)) return 0;
        }
        break;
    }
    return Default(handle, message, wParam, lParam);
}

// ---------------------------------------------------------------- pump
int32_t PumpWindowMessages(void*)
{
    if (LiveWindowCount() == 0) return 0;
    if (WindowWaitForInput) os::WaitForWindowMessages(10);
    os::WindowMessage m;
    while (os::PeekWindowMessage(m)) os::DispatchWindowMessage(m);
    return 0;
}

// ---------------------------------------------------------------- screen
std::unique_ptr<TQZWindow> CreateVideoWindow(int32_t width, int32_t height, int32_t kind, uint32_t modeFlags)
{
    uint32_t flags = kind == 0 ? (QZWS_HIDDEN | QZWS_SIZING | QZWS_MAXBOX) : QZWS_POPUP;
    if (modeFlags & 0x0008) flags |= QZWS_TOPMOST;
    if (modeFlags & 0x0004) flags &= ~QZWS_SIZING;
    return std::make_unique<TQZWindow>(ApplicationTitle, flags, width, height);
}

TQZPoint GetScreenSize()
{
    os::OsRect b = os::GetDisplayInfo(0).bounds;
    return {b.Width(), b.Height()};
}

TQZRect GetWorkArea()
{
    os::OsRect w = os::GetDisplayInfo(0).workArea;
    return {w.left, w.top, w.right, w.bottom};
}

TQZPoint GetMaxClientSize(uint32_t flags)
{
    TQZWindow probe;
    probe.SetStyle(flags);
    uint32_t style = 0, exStyle = 0;
    TQZRect r = MakeRect(0, 0, 200, 200);
    probe.GetStyle(style, exStyle, r);
    TQZRect work = GetWorkArea();
    return {work.Width() - (r.Width() - 200), work.Height() - (r.Height() - 200)};
}

float GetMonitorScale(const TQZWindow* window)
{
    int32_t display = window ? os::DisplayOfWindow(window->Handle()) : 0;
    uint32_t x = 0, y = 0;
    if (!os::MonitorDpi(display, x, y) || x == 0 || y == 0) return 1.0f;
    return float(MinOf(int32_t(x), int32_t(y))) / 96.0f;
}

bool SetDpiAwareness()
{
    return os::EnableDpiAwareness();
}

std::string ShowFileDialog(TQZWindow*, const std::string& title, const std::string& initialName, bool save)
{
    os::FileDialogRequest request;
    request.title = title;
    request.initialName = initialName;
    request.save = save;
    return os::ShowFileDialog(request).value_or(std::string());
}

TQZPoint SplitMessageParam(int64_t lParam)
{
    return {os::PointX(lParam), os::PointY(lParam)};
}
