// Window stand-in: top-level windows, their message queue, cursors, mouse
// capture, keyboard state and display facts. Two back ends share one queue:
// the SDL back end turns SDL events into messages, the headless back end takes
// the input that tests inject. Message numbers and parameter packing are the
// ones the framework's window procedure expects.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace plat::os {

using WindowHandle = uint32_t;  // 0 = no window
using CursorHandle = uint32_t;  // 0 = no cursor (hidden)
using IconHandle = uint32_t;    // 0 = none

struct OsPoint { int32_t x = 0, y = 0; bool operator==(const OsPoint&) const = default; };
struct OsRect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    int32_t Width() const { return right - left; }
    int32_t Height() const { return bottom - top; }
    bool operator==(const OsRect&) const = default;
};

// ---------------------------------------------------------------- messages
inline constexpr uint32_t kMsgCreate = 0x0001;
inline constexpr uint32_t kMsgDestroy = 0x0002;
inline constexpr uint32_t kMsgMove = 0x0003;
inline constexpr uint32_t kMsgSize = 0x0005;
inline constexpr uint32_t kMsgActivate = 0x0006;
inline constexpr uint32_t kMsgSetFocus = 0x0007;
inline constexpr uint32_t kMsgKillFocus = 0x0008;
inline constexpr uint32_t kMsgPaint = 0x000F;
inline constexpr uint32_t kMsgClose = 0x0010;
inline constexpr uint32_t kMsgQueryEndSession = 0x0011;
inline constexpr uint32_t kMsgEraseBackground = 0x0014;
inline constexpr uint32_t kMsgSetCursor = 0x0020;
inline constexpr uint32_t kMsgGetMinMaxInfo = 0x0024;
inline constexpr uint32_t kMsgDisplayChange = 0x007E;
inline constexpr uint32_t kMsgSetIcon = 0x0080;
inline constexpr uint32_t kMsgKeyDown = 0x0100;
inline constexpr uint32_t kMsgKeyUp = 0x0101;
inline constexpr uint32_t kMsgSysKeyDown = 0x0104;
inline constexpr uint32_t kMsgSysKeyUp = 0x0105;
inline constexpr uint32_t kMsgCommand = 0x0111;
inline constexpr uint32_t kMsgSysCommand = 0x0112;
inline constexpr uint32_t kMsgTimer = 0x0113;
inline constexpr uint32_t kMsgMouseMove = 0x0200;
inline constexpr uint32_t kMsgLButtonDown = 0x0201;
inline constexpr uint32_t kMsgLButtonUp = 0x0202;
inline constexpr uint32_t kMsgLButtonDblClk = 0x0203;
inline constexpr uint32_t kMsgRButtonDown = 0x0204;
inline constexpr uint32_t kMsgRButtonUp = 0x0205;
inline constexpr uint32_t kMsgRButtonDblClk = 0x0206;
inline constexpr uint32_t kMsgMButtonDown = 0x0207;
inline constexpr uint32_t kMsgMButtonUp = 0x0208;
inline constexpr uint32_t kMsgMouseWheel = 0x020A;
inline constexpr uint32_t kMsgPowerBroadcast = 0x0218;
inline constexpr uint32_t kMsgEnterSizeMove = 0x0231;
inline constexpr uint32_t kMsgExitSizeMove = 0x0232;
inline constexpr uint32_t kMsgDropFiles = 0x0233;
// A drag over the window: entering, moving, leaving without a drop. The first
// parameter is the drag's id (the drop's id when it ends in kMsgDropFiles),
// the second the pointer in client coordinates (enter and over).
inline constexpr uint32_t kMsgDragEnter = 0x0238;
inline constexpr uint32_t kMsgDragOver = 0x0239;
inline constexpr uint32_t kMsgDragLeave = 0x023A;
inline constexpr uint32_t kMsgMouseLeave = 0x02A3;
inline constexpr uint32_t kMsgUser = 0x0400;
inline constexpr uint32_t kMsgUserLast = 0x7FFF;

// Size kinds (first parameter of kMsgSize).
inline constexpr uint32_t kSizeRestored = 0;
inline constexpr uint32_t kSizeMinimized = 1;
inline constexpr uint32_t kSizeMaximized = 2;
// Activation (low word of the first parameter of kMsgActivate).
inline constexpr uint32_t kActivateInactive = 0;
inline constexpr uint32_t kActivateActive = 1;
// System commands.
inline constexpr uint32_t kCommandMinimize = 0xF020;
inline constexpr uint32_t kCommandMaximize = 0xF030;
inline constexpr uint32_t kCommandClose = 0xF060;
inline constexpr uint32_t kCommandRestore = 0xF120;
// Mouse-message key flags (first parameter of button and move messages).
inline constexpr uint32_t kMouseFlagLeft = 0x0001;
inline constexpr uint32_t kMouseFlagRight = 0x0002;
inline constexpr uint32_t kMouseFlagShift = 0x0004;
inline constexpr uint32_t kMouseFlagControl = 0x0008;
inline constexpr uint32_t kMouseFlagMiddle = 0x0010;
inline constexpr int32_t kWheelStep = 120;
// Hit-test code carried by kMsgSetCursor: the client area.
inline constexpr uint32_t kHitClient = 1;

// Packing of two signed 16-bit values into one parameter (x low, y high).
inline int64_t PackPoint(int32_t x, int32_t y)
{
    return int64_t((uint32_t(uint16_t(int16_t(x)))) | (uint32_t(uint16_t(int16_t(y))) << 16));
}
inline int32_t PointX(int64_t p) { return int16_t(uint16_t(uint64_t(p) & 0xFFFF)); }
inline int32_t PointY(int64_t p) { return int16_t(uint16_t((uint64_t(p) >> 16) & 0xFFFF)); }

// Modifier state carried by every message (what the keyboard held when the
// message was made).
inline constexpr uint32_t kModShift = 0x1;
inline constexpr uint32_t kModCtrl = 0x2;
inline constexpr uint32_t kModAlt = 0x4;

struct WindowMessage {
    WindowHandle window = 0;
    uint32_t message = 0;
    uint64_t wParam = 0;
    int64_t lParam = 0;
    uint32_t modifiers = 0;
};

// Sent with kMsgGetMinMaxInfo; the second parameter points to it. Sizes are
// outer (frame included); 0 x 0 means no limit.
struct MinMaxInfo {
    OsPoint minTrackSize;
    OsPoint maxTrackSize;
};

// The window's procedure: handles a message and returns its answer. Messages
// it leaves alone should go to DefaultWindowProcedure.
using WindowProcedure = std::function<int64_t(const WindowMessage&)>;

// ---------------------------------------------------------------- styles
inline constexpr uint32_t kStylePopup = 0x80000000u;
inline constexpr uint32_t kStyleMaximize = 0x01000000u;
inline constexpr uint32_t kStyleCaption = 0x00C00000u;
inline constexpr uint32_t kStyleBorder = 0x00800000u;
inline constexpr uint32_t kStyleDialogFrame = 0x00400000u;
inline constexpr uint32_t kStyleSystemMenu = 0x00080000u;
inline constexpr uint32_t kStyleSizingFrame = 0x00040000u;
inline constexpr uint32_t kStyleMinimizeBox = 0x00020000u;
inline constexpr uint32_t kStyleMaximizeBox = 0x00010000u;
inline constexpr uint32_t kExStyleTopmost = 0x00000008u;
inline constexpr uint32_t kExStyleAppWindow = 0x00040000u;

// A position or size the window system chooses.
inline constexpr int32_t kUseDefault = int32_t(0x80000000u);

// The outer rectangle of a window whose client area is `client`.
OsRect AdjustForFrame(const OsRect& client, uint32_t style, uint32_t exStyle);

// ---------------------------------------------------------------- back end
enum class WindowBackEnd { Automatic, Headless, Sdl };
// Automatic (the default) takes SDL, or headless when VANTOREL_HEADLESS (or
// the test harness's VQ_TEST) is set. SDL that cannot open a display leaves
// the headless back end answering, but refuses windows (WindowSystemFailure).
// Choose before the first window.
void SelectWindowBackEnd(WindowBackEnd backEnd);
// The back end in use, deciding an Automatic choice now.
WindowBackEnd ActiveWindowBackEnd();
// Why no window can be made: the window system asked for did not start (its
// own words and the likely cause). Windows are then refused, never made
// invisibly headless. Empty while windows can be made.
std::string WindowSystemFailure();
// The headless back end paced like a window system: waits sleep on the
// clock for the time asked, and a termination signal (SIGTERM, SIGINT) asks
// every shown window to close, as a window system's close would. On when
// VANTOREL_HEADLESS chose it; tests (VQ_TEST) never wait.
void SetHeadlessPacing(bool on);
bool HeadlessPacing();
// The program's last words when the connection to the display is lost:
// logging and saving what it can. The window system cannot be used from it;
// the process then ends at once with kDisplayLostExitCode (no destructors
// run over a half-torn window system).
void SetDisplayLostHandler(std::function<void()> handler);
inline constexpr int kDisplayLostExitCode = 3;
// Closes every window and the back end, empties the queue and forgets every
// injected state (tests start clean with it).
void ResetWindowSystem();

// ---------------------------------------------------------------- windows
struct WindowCreation {
    std::string title;
    uint32_t style = 0;
    uint32_t exStyle = 0;
    int32_t x = kUseDefault, y = kUseDefault;  // outer rectangle
    int32_t width = 0, height = 0;
    bool show = true;
};

WindowHandle CreateNativeWindow(const WindowCreation& creation, WindowProcedure procedure);
// The SDL window behind a window (an SDL_Window*, for presenting frames);
// nullptr headless.
void* SdlWindowOf(WindowHandle window);
// Sends kMsgDestroy, then forgets the window and its queued messages.
[[nodiscard]] bool DestroyNativeWindow(WindowHandle window);
bool WindowExists(WindowHandle window);
size_t WindowCount();

bool GetWindowRect(WindowHandle window, OsRect& outer);
bool GetClientRect(WindowHandle window, OsRect& client);  // (0, 0, w, h)
// Moves and sizes the outer rectangle without activating.
[[nodiscard]] bool SetWindowBounds(WindowHandle window, int32_t x, int32_t y, int32_t width, int32_t height);
[[nodiscard]] bool SetWindowStyle(WindowHandle window, uint32_t style, uint32_t exStyle);
bool GetWindowStyle(WindowHandle window, uint32_t& style, uint32_t& exStyle);
[[nodiscard]] bool SetWindowTitle(WindowHandle window, const std::string& title);
std::string GetWindowTitle(WindowHandle window);

enum class ShowCommand { Hide, Show, Minimize, Maximize, Restore };
[[nodiscard]] bool ShowNativeWindow(WindowHandle window, ShowCommand command);
bool IsWindowShown(WindowHandle window);
bool IsWindowMinimized(WindowHandle window);
bool IsWindowMaximized(WindowHandle window);

// ---------------------------------------------------------------- placement
// The system's window placement record as the settings keep it: 44 bytes,
// little-endian 32-bit fields: length (44), flags, show command, minimised
// position (x, y), maximised position (x, y), normal outer rectangle (left,
// top, right, bottom) in screen coordinates.
inline constexpr uint32_t kPlacementRecordSize = 44;
inline constexpr uint32_t kShowNormal = 1;
inline constexpr uint32_t kShowMinimized = 2;
inline constexpr uint32_t kShowMaximized = 3;
struct WindowPlacement {
    uint32_t flags = 0;
    uint32_t showCommand = kShowNormal;
    OsPoint minPosition{-1, -1};
    OsPoint maxPosition{-1, -1};
    OsRect normalPosition;  // the outer rectangle when neither minimised nor maximised
    bool operator==(const WindowPlacement&) const = default;
};
std::vector<uint8_t> EncodePlacement(const WindowPlacement& placement);
// False unless the record is exactly 44 bytes and its length field says 44.
[[nodiscard]] bool DecodePlacement(const uint8_t* data, size_t size, WindowPlacement& out);
// The normal rectangle has a size, lies within signed 16-bit coordinates and
// overlaps the work area of a display.
bool PlacementOnDisplay(const WindowPlacement& placement);
bool GetWindowPlacement(WindowHandle window, WindowPlacement& out);
// Moves and sizes the window to the normal rectangle and maximises it when
// the record says so (a minimised record shows the window normally). False,
// with the window untouched, when the placement is not on a display.
[[nodiscard]] bool SetWindowPlacement(WindowHandle window, const WindowPlacement& placement);

// ---------------------------------------------------------------- full screen
// Off, the desktop's own mode (a borderless window over the display), or an
// exclusive mode of the window's size.
enum class FullScreenMode { Off, Desktop, Exclusive };
// Desktop and exclusive full screen cover the display the window is on.
[[nodiscard]] bool SetWindowFullScreen(WindowHandle window, FullScreenMode mode);
FullScreenMode GetWindowFullScreen(WindowHandle window);

void InvalidateWindow(WindowHandle window);
void ValidateWindow(WindowHandle window);
bool IsWindowInvalidated(WindowHandle window);
void FocusWindow(WindowHandle window);
WindowHandle FocusedWindow();
// Asks the window procedure for its size limits again and applies them.
void RefreshSizeLimits(WindowHandle window);
// The next time the pointer leaves the window, kMsgMouseLeave is posted once.
void TrackMouseLeave(WindowHandle window);

// Icons: images registered by name stand in for program resources.
IconHandle RegisterIcon(const std::string& name, int32_t width, int32_t height,
                        std::vector<uint32_t> argbPixels);
IconHandle LoadIconResource(const std::string& name);  // 0 when missing
[[nodiscard]] bool SetWindowIcon(WindowHandle window, IconHandle icon);
IconHandle GetWindowIcon(WindowHandle window);

// Frames: 32-bit pixels (bytes B, G, R, A) shown in the window's client
// area, scaled to fit. The SDL back end copies them into a streaming
// texture; the headless back end keeps them to be read back.
[[nodiscard]] bool PresentPixels(WindowHandle window, const uint32_t* pixels, int32_t pitchBytes, int32_t width, int32_t height);
// The frame last presented, as shown (false when none).
[[nodiscard]] bool ReadPresentedFrame(WindowHandle window, std::vector<uint32_t>& pixels, int32_t& width, int32_t& height);
// Writes the frame last presented as a BMP file.
[[nodiscard]] bool SavePresentedFrame(WindowHandle window, const std::string& path);

// ---------------------------------------------------------------- queue
[[nodiscard]] bool PostWindowMessage(WindowHandle window, uint32_t message, uint64_t wParam, int64_t lParam);
// Calls the window procedure at once and returns its answer (0 without window).
int64_t SendWindowMessage(WindowHandle window, uint32_t message, uint64_t wParam, int64_t lParam);
// Takes the next message of any window (0 = any) or of the one given. The
// paint message comes only when the window was invalidated and nothing else
// is queued for it; due timers come after paint. queuedOnly leaves paint
// and timers out (a window draining its queue before it goes).
[[nodiscard]] bool PeekWindowMessage(WindowMessage& out, WindowHandle window = 0, bool queuedOnly = false);
int64_t DispatchWindowMessage(const WindowMessage& message);
// Waits up to the time given for input (the headless back end only when paced).
void WaitForWindowMessages(uint32_t milliseconds);
size_t QueuedMessageCount();

// The handling of messages a window procedure leaves alone: closing
// destroys, paint validates, system commands change the show state.
int64_t DefaultWindowProcedure(const WindowMessage& message);
// Tests: sees every message that reaches the default handling.
void SetDefaultProcedureObserver(std::function<void(const WindowMessage&)> observer);

// Timers post kMsgTimer (first parameter = id) every interval (at least
// kMinimumTimerInterval, so a zero interval cannot flood the queue).
inline constexpr uint32_t kMinimumTimerInterval = 10;
void SetWindowTimer(WindowHandle window, uint32_t id, uint32_t milliseconds);
[[nodiscard]] bool KillWindowTimer(WindowHandle window, uint32_t id);

// Dragged and dropped files: the first parameter of the drag messages and
// of kMsgDropFiles is a drop id. A drag that carries no files (text) has an
// empty list. The record lives until FinishDrop (the default procedure
// finishes drops and leaves nobody handled).
std::vector<std::string> DroppedFiles(uint64_t drop);
OsPoint DropPoint(uint64_t drop);
void FinishDrop(uint64_t drop);

// ---------------------------------------------------------------- keyboard
// Whether the key was down as of the message last taken from the queue.
bool KeyStateDown(uint8_t virtualKey);
// Whether the key is down now.
bool AsyncKeyDown(uint8_t virtualKey);

// ---------------------------------------------------------------- mouse
void SetMouseCapture(WindowHandle window);
void ReleaseMouseCapture();
WindowHandle CaptureWindow();

// Cursors by the system's numeric ids.
inline constexpr uint32_t kCursorArrow = 32512;
inline constexpr uint32_t kCursorIBeam = 32513;
inline constexpr uint32_t kCursorWait = 32514;
inline constexpr uint32_t kCursorCross = 32515;
inline constexpr uint32_t kCursorSizeNWSE = 32642;
inline constexpr uint32_t kCursorSizeNESW = 32643;
inline constexpr uint32_t kCursorSizeWE = 32644;
inline constexpr uint32_t kCursorSizeNS = 32645;
inline constexpr uint32_t kCursorSizeAll = 32646;
inline constexpr uint32_t kCursorNo = 32648;
inline constexpr uint32_t kCursorHand = 32649;
CursorHandle LoadSystemCursor(uint32_t id);  // 0 for an unknown id
// Shows the cursor given; 0 hides the pointer.
void SetCursorShape(CursorHandle cursor);
CursorHandle CurrentCursor();

// ---------------------------------------------------------------- displays
struct DisplayInfo {
    OsRect bounds;
    OsRect workArea;
    uint32_t dpiX = 96, dpiY = 96;  // effective: 96 = 100 %
};
int32_t DisplayCount();
// Index 0 is the primary display; a bad index answers the primary one.
DisplayInfo GetDisplayInfo(int32_t display);
// The display holding most of the window; 0 without a window.
int32_t DisplayOfWindow(WindowHandle window);
// The display's effective DPI; false (and 96 x 96) when unknown.
[[nodiscard]] bool MonitorDpi(int32_t display, uint32_t& dpiX, uint32_t& dpiY);
// Per-pixel drawing is always on here; true when a display is present.
[[nodiscard]] bool EnableDpiAwareness();

// ---------------------------------------------------------------- input
// Input in back-end-neutral form. The SDL back end makes these from SDL
// events; tests inject them into the headless back end. Either way they
// become the messages a window would get.
enum class InputKind {
    KeyDown, KeyUp, MouseMove, ButtonDown, ButtonUp, Wheel, MouseLeave,
    Resized, Minimized, Maximized, Restored, Moved, FocusGained, FocusLost,
    CloseRequest, Exposed, DropFile, DisplayChanged, SizeMoveStart, SizeMoveEnd,
    // A drag over the window (text: the files it carries, one a line; none
    // for a drag of something else); DropFile ends it with a drop.
    DragEnter, DragOver, DragLeave
};
struct InputEvent {
    InputKind kind = InputKind::MouseMove;
    WindowHandle window = 0;
    int32_t x = 0, y = 0;       // pointer (client), new client size, or new position
    uint8_t key = 0;            // virtual key
    bool repeat = false;
    uint32_t modifiers = 0;     // kMod* held
    int32_t button = 0;         // 1 left, 2 right, 3 middle
    int32_t wheel = 0;          // steps, positive away from the user
    std::string text;           // dropped or dragged files, one a line
};
inline InputEvent MakeInput(InputKind kind, WindowHandle window, int32_t x = 0, int32_t y = 0)
{
    InputEvent e;
    e.kind = kind;
    e.window = window;
    e.x = x;
    e.y = y;
    return e;
}
inline InputEvent KeyInput(bool down, WindowHandle window, uint8_t key, uint32_t modifiers = 0)
{
    InputEvent e = MakeInput(down ? InputKind::KeyDown : InputKind::KeyUp, window);
    e.key = key;
    e.modifiers = modifiers;
    return e;
}
inline InputEvent ButtonInput(bool down, WindowHandle window, int32_t button, int32_t x, int32_t y,
                              uint32_t modifiers = 0)
{
    InputEvent e = MakeInput(down ? InputKind::ButtonDown : InputKind::ButtonUp, window, x, y);
    e.button = button;
    e.modifiers = modifiers;
    return e;
}
void InjectInput(const InputEvent& event);

// Headless: the displays reported (the first is the primary).
void SetHeadlessDisplays(std::vector<DisplayInfo> displays);

}  // namespace plat::os
