// The SDL back end of the window stand-in: SDL windows, SDL events turned
// into input, cursors, capture, display facts and message boxes.
#include "osDesktop.h"
#include "osKeys.h"
#include "osWindowBackEnd.h"
#include "osInputScript.h"
#include "osClock.h"

#include <SDL.h>

#include <cmath>
#include <cstdlib>
#include <map>
#include <memory>

namespace plat::os::detail {
namespace {

SDL_Window* Native(const WindowRecord& r) { return static_cast<SDL_Window*>(r.native); }

uint8_t KeyFromSdl(const SDL_Keysym& k)
{
    SDL_Keycode c = k.sym;
    if (c >= SDLK_a && c <= SDLK_z) return uint8_t(kVkA + (c - SDLK_a));
    if (c >= SDLK_0 && c <= SDLK_9) return uint8_t(kVk0 + (c - SDLK_0));
    SDL_Scancode s = k.scancode;
    if (s >= SDL_SCANCODE_F1 && s <= SDL_SCANCODE_F12) return uint8_t(kVkF1 + (s - SDL_SCANCODE_F1));
    if (s >= SDL_SCANCODE_F13 && s <= SDL_SCANCODE_F24) return uint8_t(kVkF1 + 12 + (s - SDL_SCANCODE_F13));
    if (s >= SDL_SCANCODE_KP_1 && s <= SDL_SCANCODE_KP_9) return uint8_t(kVkNumpad0 + 1 + (s - SDL_SCANCODE_KP_1));
    switch (s) {
    case SDL_SCANCODE_KP_0: return kVkNumpad0;
    case SDL_SCANCODE_KP_MULTIPLY: return kVkMultiply;
    case SDL_SCANCODE_KP_PLUS: return kVkAdd;
    case SDL_SCANCODE_KP_MINUS: return kVkSubtract;
    case SDL_SCANCODE_KP_PERIOD: return kVkDecimal;
    case SDL_SCANCODE_KP_DIVIDE: return kVkDivide;
    case SDL_SCANCODE_KP_ENTER: return kVkReturn;
    default: break;
    }
    switch (c) {
    case SDLK_BACKSPACE: return kVkBack;
    case SDLK_TAB: return kVkTab;
    case SDLK_RETURN: return kVkReturn;
    case SDLK_LSHIFT: case SDLK_RSHIFT: return kVkShift;
    case SDLK_LCTRL: case SDLK_RCTRL: return kVkControl;
    case SDLK_LALT: case SDLK_RALT: return kVkMenu;
    case SDLK_PAUSE: return kVkPause;
    case SDLK_CAPSLOCK: return kVkCapital;
    case SDLK_ESCAPE: return kVkEscape;
    case SDLK_SPACE: return kVkSpace;
    case SDLK_PAGEUP: return kVkPrior;
    case SDLK_PAGEDOWN: return kVkNext;
    case SDLK_END: return kVkEnd;
    case SDLK_HOME: return kVkHome;
    case SDLK_LEFT: return kVkLeft;
    case SDLK_UP: return kVkUp;
    case SDLK_RIGHT: return kVkRight;
    case SDLK_DOWN: return kVkDown;
    case SDLK_PRINTSCREEN: return kVkSnapshot;
    case SDLK_INSERT: return kVkInsert;
    case SDLK_DELETE: return kVkDelete;
    case SDLK_LGUI: return kVkLeftWin;
    case SDLK_RGUI: return kVkRightWin;
    case SDLK_APPLICATION: return kVkApps;
    case SDLK_SLEEP: return kVkSleep;
    case SDLK_NUMLOCKCLEAR: return kVkNumLock;
    case SDLK_SCROLLLOCK: return kVkScroll;
    case SDLK_SEMICOLON: return kVkOem1;
    case SDLK_EQUALS: return kVkOemPlus;
    case SDLK_COMMA: return kVkOemComma;
    case SDLK_MINUS: return kVkOemMinus;
    case SDLK_PERIOD: return kVkOemPeriod;
    case SDLK_SLASH: return kVkOem2;
    case SDLK_BACKQUOTE: return kVkOem3;
    case SDLK_LEFTBRACKET: return kVkOem4;
    case SDLK_BACKSLASH: return kVkOem5;
    case SDLK_RIGHTBRACKET: return kVkOem6;
    case SDLK_QUOTE: return kVkOem7;
    default: return 0;
    }
}

uint32_t Modifiers(uint16_t mod)
{
    uint32_t m = 0;
    if (mod & KMOD_SHIFT) m |= kModShift;
    if (mod & KMOD_CTRL) m |= kModCtrl;
    if (mod & KMOD_ALT) m |= kModAlt;
    return m;
}

int32_t ButtonFromSdl(uint8_t b)
{
    switch (b) {
    case SDL_BUTTON_LEFT: return 1;
    case SDL_BUTTON_RIGHT: return 2;
    case SDL_BUTTON_MIDDLE: return 3;
    default: return 0;
    }
}

SDL_SystemCursor SdlCursor(CursorHandle c)
{
    switch (c) {
    case kCursorIBeam: return SDL_SYSTEM_CURSOR_IBEAM;
    case kCursorWait: return SDL_SYSTEM_CURSOR_WAIT;
    case kCursorCross: return SDL_SYSTEM_CURSOR_CROSSHAIR;
    case kCursorSizeNWSE: return SDL_SYSTEM_CURSOR_SIZENWSE;
    case kCursorSizeNESW: return SDL_SYSTEM_CURSOR_SIZENESW;
    case kCursorSizeWE: return SDL_SYSTEM_CURSOR_SIZEWE;
    case kCursorSizeNS: return SDL_SYSTEM_CURSOR_SIZENS;
    case kCursorSizeAll: return SDL_SYSTEM_CURSOR_SIZEALL;
    case kCursorNo: return SDL_SYSTEM_CURSOR_NO;
    case kCursorHand: return SDL_SYSTEM_CURSOR_HAND;
    default: return SDL_SYSTEM_CURSOR_ARROW;
    }
}

std::map<CursorHandle, SDL_Cursor*>& Cursors()
{
    static std::map<CursorHandle, SDL_Cursor*> cursors;
    return cursors;
}

// The desktop's scale as a DPI in quarter steps from 100 %: what the system
// would call the effective DPI. Physical DPI a display reports is only a hint.
uint32_t EffectiveDpi(float dpi)
{
    if (!(dpi > 0)) return 96;
    double steps = std::round(dpi / 96.0 * 4.0) / 4.0;
    if (steps < 1.0) steps = 1.0;
    if (steps > 4.0) steps = 4.0;
    return uint32_t(std::lround(steps * 96.0));
}

uint32_t WindowFlags(uint32_t style, uint32_t exStyle)
{
    uint32_t f = 0;
    if ((style & kStylePopup) || (style & kStyleCaption) != kStyleCaption) f |= SDL_WINDOW_BORDERLESS;
    if (style & kStyleSizingFrame) f |= SDL_WINDOW_RESIZABLE;
    if (exStyle & kExStyleTopmost) f |= SDL_WINDOW_ALWAYS_ON_TOP;
    return f;
}

void ClientOrigin(const WindowRecord& r, int32_t& x, int32_t& y)
{
    OsRect f = AdjustForFrame(OsRect{}, r.style, r.exStyle);
    x = r.outer.left - f.left;
    y = r.outer.top - f.top;
}

struct Presenter {
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    int width = 0, height = 0;
    Presenter() = default;
    Presenter(const Presenter&) = delete;
    Presenter& operator=(const Presenter&) = delete;
    ~Presenter()
    {
        if (texture) SDL_DestroyTexture(texture);
        if (renderer) SDL_DestroyRenderer(renderer);
    }
};

// The frame texture fills the client area.
void DrawFrame(Presenter& p)
{
    SDL_RenderClear(p.renderer);
    SDL_RenderCopy(p.renderer, p.texture, nullptr, nullptr);
}

class SdlBackEnd final : public BackEnd {
public:
    WindowBackEnd Kind() const override { return WindowBackEnd::Sdl; }

    bool Create(WindowRecord& r) override
    {
        int32_t x = 0, y = 0;
        ClientOrigin(r, x, y);
        uint32_t flags = SDL_WINDOW_HIDDEN | WindowFlags(r.style, r.exStyle);
        SDL_Window* w = SDL_CreateWindow(r.title.c_str(), x, y, std::max(1, r.clientWidth),
                                         std::max(1, r.clientHeight), flags);
        if (!w) return false;
        r.native = w;
        return true;
    }

    void Destroy(WindowRecord& r) override
    {
        presenters_.erase(r.handle);  // before its window
        if (r.native) SDL_DestroyWindow(Native(r));
        r.native = nullptr;
    }

    void ApplyBounds(WindowRecord& r) override
    {
        int32_t x = 0, y = 0;
        ClientOrigin(r, x, y);
        SDL_SetWindowPosition(Native(r), x, y);
        SDL_SetWindowSize(Native(r), std::max(1, r.clientWidth), std::max(1, r.clientHeight));
    }

    void ApplyStyle(WindowRecord& r) override
    {
        uint32_t f = WindowFlags(r.style, r.exStyle);
        SDL_SetWindowBordered(Native(r), (f & SDL_WINDOW_BORDERLESS) ? SDL_FALSE : SDL_TRUE);
        SDL_SetWindowResizable(Native(r), (f & SDL_WINDOW_RESIZABLE) ? SDL_TRUE : SDL_FALSE);
        SDL_SetWindowAlwaysOnTop(Native(r), (f & SDL_WINDOW_ALWAYS_ON_TOP) ? SDL_TRUE : SDL_FALSE);
    }

    void ApplyTitle(WindowRecord& r) override { SDL_SetWindowTitle(Native(r), r.title.c_str()); }

    void ApplyIcon(WindowRecord& r) override
    {
        int32_t w = 0, h = 0;
        const std::vector<uint32_t>* px = IconPixels(r.icon, w, h);
        if (!px) return;
        SDL_Surface* s = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t*>(px->data()), w, h, 32, w * 4,
                                                            SDL_PIXELFORMAT_ARGB8888);
        if (!s) return;
        SDL_SetWindowIcon(Native(r), s);
        SDL_FreeSurface(s);
    }

    void ApplyLimits(WindowRecord& r) override
    {
        OsRect f = AdjustForFrame(OsRect{}, r.style, r.exStyle);
        int32_t minW = std::max(1, r.limits.minTrackSize.x - f.Width());
        int32_t minH = std::max(1, r.limits.minTrackSize.y - f.Height());
        SDL_SetWindowMinimumSize(Native(r), minW, minH);
        int32_t maxW = r.limits.maxTrackSize.x > 0 ? r.limits.maxTrackSize.x - f.Width() : 16384;
        int32_t maxH = r.limits.maxTrackSize.y > 0 ? r.limits.maxTrackSize.y - f.Height() : 16384;
        SDL_SetWindowMaximumSize(Native(r), std::max(minW, maxW), std::max(minH, maxH));
    }

    void ApplyFullScreen(WindowRecord& r) override
    {
        SDL_Window* w = Native(r);
        if (r.fullScreen == FullScreenMode::Exclusive) {
            // The display mode nearest the window's size; SDL keeps the
            // desktop's when there is none.
            SDL_DisplayMode want{}, got{};
            want.w = std::max(1, r.clientWidth);
            want.h = std::max(1, r.clientHeight);
            int display = SDL_GetWindowDisplayIndex(w);
            if (SDL_GetClosestDisplayMode(display < 0 ? 0 : display, &want, &got)) SDL_SetWindowDisplayMode(w, &got);
        }
        uint32_t flag = r.fullScreen == FullScreenMode::Desktop    ? SDL_WINDOW_FULLSCREEN_DESKTOP
                        : r.fullScreen == FullScreenMode::Exclusive ? SDL_WINDOW_FULLSCREEN
                                                                    : 0;
        SDL_SetWindowFullscreen(w, flag);
    }

    void Show(WindowRecord& r, ShowCommand command) override
    {
        switch (command) {
        case ShowCommand::Hide: SDL_HideWindow(Native(r)); r.shown = false; break;
        case ShowCommand::Show:
            SDL_ShowWindow(Native(r));
            r.shown = true;
            r.invalid = true;
            break;
        case ShowCommand::Minimize: SDL_MinimizeWindow(Native(r)); break;
        case ShowCommand::Maximize:
            SDL_ShowWindow(Native(r));
            r.shown = true;
            SDL_MaximizeWindow(Native(r));
            break;
        case ShowCommand::Restore:
            SDL_ShowWindow(Native(r));
            r.shown = true;
            SDL_RestoreWindow(Native(r));
            break;
        }
    }

    void Focus(WindowRecord& r) override
    {
        SDL_RaiseWindow(Native(r));
        SDL_SetWindowInputFocus(Native(r));
    }

    void Poll() override
    {
        SDL_Event e;
        while (SDL_PollEvent(&e)) Translate(e);
        PlayInputScript(TickMilliseconds());
    }

    void Wait(uint32_t milliseconds) override { SDL_WaitEventTimeout(nullptr, int(milliseconds)); }

    void SetCursor(CursorHandle c) override
    {
        if (c == 0) {
            SDL_ShowCursor(SDL_DISABLE);
            return;
        }
        SDL_Cursor*& cursor = Cursors()[c];
        if (!cursor) cursor = SDL_CreateSystemCursor(SdlCursor(c));
        if (cursor) SDL_SetCursor(cursor);
        SDL_ShowCursor(SDL_ENABLE);
    }

    void Capture(WindowHandle, bool on) override { SDL_CaptureMouse(on ? SDL_TRUE : SDL_FALSE); }

    std::vector<DisplayInfo> Displays() override
    {
        std::vector<DisplayInfo> out;
        int n = SDL_GetNumVideoDisplays();
        for (int i = 0; i < n; ++i) {
            SDL_Rect b{}, u{};
            if (SDL_GetDisplayBounds(i, &b) != 0) continue;
            if (SDL_GetDisplayUsableBounds(i, &u) != 0) u = b;
            DisplayInfo d;
            d.bounds = {b.x, b.y, b.x + b.w, b.y + b.h};
            d.workArea = {u.x, u.y, u.x + u.w, u.y + u.h};
            float ddpi = 0, hdpi = 0, vdpi = 0;
            if (SDL_GetDisplayDPI(i, &ddpi, &hdpi, &vdpi) == 0) {
                d.dpiX = EffectiveDpi(hdpi);
                d.dpiY = EffectiveDpi(vdpi);
            }
            out.push_back(d);
        }
        return out;
    }

    int32_t DisplayOf(const WindowRecord& r) override
    {
        int i = SDL_GetWindowDisplayIndex(Native(r));
        return i < 0 ? 0 : i;
    }

    bool Present(WindowRecord& r, const uint32_t* pixels, int32_t pitch, int32_t w, int32_t h) override
    {
        std::unique_ptr<Presenter>& slot = presenters_[r.handle];
        if (!slot) {
            auto made = std::make_unique<Presenter>();
            made->renderer = SDL_CreateRenderer(Native(r), -1, 0);
            if (!made->renderer) return false;
            slot = std::move(made);
        }
        Presenter& p = *slot;
        if (!p.texture || p.width != w || p.height != h) {
            if (p.texture) SDL_DestroyTexture(p.texture);
            p.texture = SDL_CreateTexture(p.renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, w, h);
            p.width = w;
            p.height = h;
            if (!p.texture) return false;
        }
        if (SDL_UpdateTexture(p.texture, nullptr, pixels, pitch) != 0) return false;
        DrawFrame(p);
        SDL_RenderPresent(p.renderer);
        return true;
    }

    bool ReadFrame(WindowRecord& r, std::vector<uint32_t>& pixels, int32_t& w, int32_t& h) override
    {
        auto it = presenters_.find(r.handle);
        Presenter* p = it == presenters_.end() ? nullptr : it->second.get();
        if (!p || !p->texture) return false;
        if (SDL_GetRendererOutputSize(p->renderer, &w, &h) != 0 || w <= 0 || h <= 0) return false;
        DrawFrame(*p);  // the back buffer is undefined after a present: draw it again
        pixels.assign(size_t(w) * size_t(h), 0);
        return SDL_RenderReadPixels(p->renderer, nullptr, SDL_PIXELFORMAT_ARGB8888, pixels.data(), w * 4) == 0;
    }

    bool SetClipboard(const std::string& utf8) override { return SDL_SetClipboardText(utf8.c_str()) == 0; }
    bool GetClipboard(std::string& utf8) override
    {
        if (!SDL_HasClipboardText()) return false;
        char* text = SDL_GetClipboardText();
        if (!text) return false;
        utf8 = text;
        SDL_free(text);
        return true;
    }
    bool HasClipboard() override { return SDL_HasClipboardText() == SDL_TRUE; }

private:
    WindowHandle HandleOf(uint32_t windowId)
    {
        SDL_Window* w = SDL_GetWindowFromID(windowId);
        WindowRecord* r = w ? FindRecordByNative(w) : nullptr;
        return r ? r->handle : 0;
    }

    void Translate(const SDL_Event& e)
    {
        switch (e.type) {
        case SDL_KEYDOWN:
        case SDL_KEYUP: {
            uint8_t key = KeyFromSdl(e.key.keysym);
            if (!key) return;
            InputEvent in = KeyInput(e.type == SDL_KEYDOWN, HandleOf(e.key.windowID), key, Modifiers(e.key.keysym.mod));
            in.repeat = e.key.repeat != 0;
            InjectInput(in);
            return;
        }
        case SDL_MOUSEMOTION: {
            InputEvent in = MakeInput(InputKind::MouseMove, HandleOf(e.motion.windowID), e.motion.x, e.motion.y);
            in.modifiers = Modifiers(SDL_GetModState());
            InjectInput(in);
            return;
        }
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            InjectInput(ButtonInput(e.type == SDL_MOUSEBUTTONDOWN, HandleOf(e.button.windowID), ButtonFromSdl(e.button.button),
                                    e.button.x, e.button.y, Modifiers(SDL_GetModState())));
            return;
        case SDL_MOUSEWHEEL: {
            int x = 0, y = 0;
            SDL_GetMouseState(&x, &y);
            InputEvent in = MakeInput(InputKind::Wheel, HandleOf(e.wheel.windowID), x, y);
            in.wheel = e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.wheel.y : e.wheel.y;
            in.modifiers = Modifiers(SDL_GetModState());
            InjectInput(in);
            return;
        }
        case SDL_DROPBEGIN:
            dropped_.clear();
            droppedText_ = false;
            dropWindow_ = HandleOf(e.drop.windowID);
            return;
        case SDL_DROPFILE:
        case SDL_DROPTEXT:
            if (e.drop.file) {
                if (e.type == SDL_DROPFILE) dropped_ += std::string(e.drop.file) + "\n";
                else droppedText_ = true;
                if (!dropWindow_) dropWindow_ = HandleOf(e.drop.windowID);
                SDL_free(e.drop.file);
            }
            return;
        case SDL_DROPCOMPLETE: FinishDrag(e.drop.windowID); return;
        case SDL_DISPLAYEVENT: InjectInput(MakeInput(InputKind::DisplayChanged, 0)); return;
        case SDL_WINDOWEVENT: TranslateWindow(e.window); return;
        case SDL_QUIT:
            // A termination signal (or the session ending) asks every shown
            // window to close, as its close button would.
            for (const auto& [handle, record] : S().windows)
                if (record && record->shown) InjectInput(MakeInput(InputKind::CloseRequest, handle));
            return;
        default: return;
        }
    }

    // SDL tells only of the drop itself: the drag's enter and move are made
    // up at the drop point, so a drop target sees a whole drag. A drag of
    // text carries no files and ends with a leave instead of a drop.
    void FinishDrag(uint32_t windowId)
    {
        int x = 0, y = 0;
        SDL_GetMouseState(&x, &y);
        WindowHandle w = dropWindow_ ? dropWindow_ : HandleOf(windowId);
        if (w && (!dropped_.empty() || droppedText_)) {
            InputEvent enter = MakeInput(InputKind::DragEnter, w, x, y);
            enter.text = dropped_;
            InjectInput(enter);
            InjectInput(MakeInput(InputKind::DragOver, w, x, y));
            InjectInput(MakeInput(dropped_.empty() ? InputKind::DragLeave : InputKind::DropFile, w, x, y));
        }
        dropped_.clear();
        droppedText_ = false;
        dropWindow_ = 0;
    }

    void TranslateWindow(const SDL_WindowEvent& e)
    {
        WindowHandle h = HandleOf(e.windowID);
        WindowRecord* r = FindRecord(h);
        if (!r) return;
        int w = 0, hh = 0;
        SDL_GetWindowSize(Native(*r), &w, &hh);
        switch (e.event) {
        case SDL_WINDOWEVENT_SHOWN: r->shown = true; r->invalid = true; return;
        case SDL_WINDOWEVENT_HIDDEN: r->shown = false; return;
        case SDL_WINDOWEVENT_EXPOSED: InjectInput(MakeInput(InputKind::Exposed, h)); return;
        case SDL_WINDOWEVENT_MOVED: InjectInput(MakeInput(InputKind::Moved, h, e.data1, e.data2)); return;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            // A size change of a maximised window is its maximising: the
            // rectangle before it is the one to restore.
            if ((SDL_GetWindowFlags(Native(*r)) & SDL_WINDOW_MAXIMIZED) && !r->maximized)
                InjectInput(MakeInput(InputKind::Maximized, h, e.data1, e.data2));
            else
                InjectInput(MakeInput(InputKind::Resized, h, e.data1, e.data2));
            return;
        case SDL_WINDOWEVENT_MINIMIZED: InjectInput(MakeInput(InputKind::Minimized, h)); return;
        case SDL_WINDOWEVENT_MAXIMIZED: InjectInput(MakeInput(InputKind::Maximized, h, w, hh)); return;
        case SDL_WINDOWEVENT_RESTORED: InjectInput(MakeInput(InputKind::Restored, h, w, hh)); return;
        case SDL_WINDOWEVENT_LEAVE: InjectInput(MakeInput(InputKind::MouseLeave, h)); return;
        case SDL_WINDOWEVENT_FOCUS_GAINED: InjectInput(MakeInput(InputKind::FocusGained, h)); return;
        case SDL_WINDOWEVENT_FOCUS_LOST: InjectInput(MakeInput(InputKind::FocusLost, h)); return;
        case SDL_WINDOWEVENT_CLOSE: InjectInput(MakeInput(InputKind::CloseRequest, h)); return;
        case SDL_WINDOWEVENT_DISPLAY_CHANGED: InjectInput(MakeInput(InputKind::DisplayChanged, 0)); return;
        default: return;
        }
    }

    std::string dropped_;
    bool droppedText_ = false;
    WindowHandle dropWindow_ = 0;
    std::map<WindowHandle, std::unique_ptr<Presenter>> presenters_;
};

BoxAnswer SdlMessageBox(const MessageBoxRequest& request)
{
    uint32_t flags = request.icon == BoxIcon::Error ? SDL_MESSAGEBOX_ERROR
                   : request.icon == BoxIcon::Warning ? SDL_MESSAGEBOX_WARNING
                                                       : SDL_MESSAGEBOX_INFORMATION;
    SDL_MessageBoxButtonData buttons[2];
    int count = 0;
    BoxAnswer answers[2];
    auto add = [&](const char* text, BoxAnswer answer, uint32_t f) {
        buttons[count] = SDL_MessageBoxButtonData{f, count, text};
        answers[count++] = answer;
    };
    switch (request.buttons) {
    case BoxButtons::Ok: add("OK", BoxAnswer::Ok, SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT); break;
    case BoxButtons::OkCancel:
        add("OK", BoxAnswer::Ok, SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT);
        add("Cancel", BoxAnswer::Cancel, SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT);
        break;
    case BoxButtons::YesNo:
        add("Yes", BoxAnswer::Yes, SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT);
        add("No", BoxAnswer::No, SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT);
        break;
    }
    SDL_MessageBoxData data{};
    data.flags = flags | SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT;
    data.window = SDL_GetKeyboardFocus();
    data.title = request.caption.c_str();
    data.message = request.text.c_str();
    data.numbuttons = count;
    data.buttons = buttons;
    int chosen = -1;
    if (SDL_ShowMessageBox(&data, &chosen) != 0) {
        // No box could be shown: say it in the log and take the default button,
        // as the headless back end does.
        SDL_Log("[%s] %s", request.caption.c_str(), request.text.c_str());
        return answers[0];
    }
    if (chosen < 0 || chosen >= count) return answers[count - 1];  // closed: the escape answer
    return answers[chosen];
}

}  // namespace

std::unique_ptr<BackEnd> MakeSdlBackEnd(std::string& failure)
{
    // A window's close button is reported once, as that window's close
    // event; SDL_QUIT is left for a signal or the session ending.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    const char* display = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    const bool noDisplay = (!display || !*display) && (!wayland || !*wayland);
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        failure = std::string("the window system did not start (") + SDL_GetError() + ")" +
                  (noDisplay ? "; DISPLAY is empty" : "");
        return nullptr;
    }
    // Without a display SDL falls back to drivers that show nothing; they
    // count only when asked for by name (tests run SDL on its dummy driver).
    const std::string driver = SDL_GetCurrentVideoDriver() ? SDL_GetCurrentVideoDriver() : "";
    const char* named = std::getenv("SDL_VIDEODRIVER");
    if ((driver == "offscreen" || driver == "dummy") && !(named && std::string(named).find(driver) != std::string::npos)) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        failure = noDisplay ? std::string("no display is available (DISPLAY is empty)")
                            : "no display could be opened (SDL found only its " + driver + " driver)";
        return nullptr;
    }
    if (driver == "x11") WatchX11Connection(true);
    UseWindowedMessageBoxes();
    return std::make_unique<SdlBackEnd>();
}

void ShutdownSdlVideo()
{
    SetMessageBoxHandler(nullptr);  // boxes go back to the headless answer
    for (auto& [id, c] : Cursors()) SDL_FreeCursor(c);
    Cursors().clear();
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    WatchX11Connection(false);  // after the display is closed: that may still fail
    if (SDL_WasInit(SDL_INIT_EVERYTHING) == 0) SDL_Quit();  // SDL's own globals go with the last part
}

void UseWindowedMessageBoxes() { SetMessageBoxHandler(SdlMessageBox); }

}  // namespace plat::os::detail

namespace plat::os {
void* SdlWindowOf(WindowHandle window)
{
    detail::WindowRecord* r = detail::FindRecord(window);
    return r ? r->native : nullptr;
}
}  // namespace plat::os
