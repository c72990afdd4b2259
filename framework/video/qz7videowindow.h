// The video layer's output windows: what it needs of one, the headless one
// of tests and machines without a display, and the main window as one (paint
// requests and client size changes reach the video, presented frames reach
// the window).
#pragma once

#include "qz7core.h"
#include "qz7videostate.h"
#include "qz7window.h"

#include <functional>
#include <memory>
#include <utility>
#include <vector>

// What the video layer needs of its output window. The main window
// implements it; without a window system a headless window stands in.
class TQZVideoWindowBase : public TQZClass {
public:
    virtual void* Handle() = 0;
    virtual TQZRect ClientRect() = 0;
    virtual void SetClientSize(int32_t width, int32_t height) = 0;
    // Style bits and client size for a window kind and the mode flags.
    virtual void SetStyle(int32_t width, int32_t height, int32_t windowKind, uint32_t flags) = 0;
    virtual void Maximise() = 0;
    virtual void Show() = 0;
    virtual void Invalidate() = 0;
    virtual void ValidateRect() = 0;
    // Shows a presented frame (32-bit pixels, pitch in bytes).
    virtual void PresentFrame(const uint32_t* pixels, int32_t pitchBytes, int32_t width, int32_t height) = 0;
    // A part of the client area to draw again (never erased first).
    virtual void InvalidateRect(const TQZRect& rect) { (void)rect; Invalidate(); }
    // A timer whose handler runs every interval, so that frames keep coming
    // (0 when the window cannot run one); ids as the main window's.
    virtual uint32_t SetTimer(uint32_t milliseconds, std::function<void(uint32_t)> handler)
    {
        (void)milliseconds;
        (void)handler;
        return 0;
    }
    virtual void KillTimer(uint32_t id) { (void)id; }

    // Wired by the video layer: paint requests and client size changes.
    std::function<void()> onPaint;
    std::function<void()> onResize;
};

// The window the tests and machines without a display use.
class TQZHeadlessVideoWindow : public TQZVideoWindowBase {
public:
    TQZHeadlessVideoWindow(int32_t width, int32_t height) : client_{0, 0, width, height} {}
    void* Handle() override { return this; }
    TQZRect ClientRect() override { return client_; }
    void SetClientSize(int32_t width, int32_t height) override { client_ = {0, 0, width, height}; }
    void SetStyle(int32_t width, int32_t height, int32_t windowKind, uint32_t flags) override;
    void Maximise() override { maximised = true; }
    void Show() override { shown = true; }
    void Invalidate() override { invalid = true; }
    void ValidateRect() override { invalid = false; }
    void PresentFrame(const uint32_t*, int32_t, int32_t, int32_t) override { ++presented; }
    void InvalidateRect(const TQZRect& rect) override
    {
        invalid = true;
        invalidRects.push_back(rect);
    }
    uint32_t SetTimer(uint32_t milliseconds, std::function<void(uint32_t)> handler) override;
    void KillTimer(uint32_t id) override;
    // Runs a timer as its interval passing would (false for an unknown id).
    bool FireTimer(uint32_t id);
    bool HasTimer(uint32_t id) const;
    // The user resizes the window: new client size, then the resize notice.
    void UserResize(int32_t width, int32_t height);

    bool maximised = false, shown = false, invalid = false;
    int32_t presented = 0;
    int32_t windowKind = 0;
    uint32_t styleFlags = 0;
    std::vector<TQZRect> invalidRects;

private:
    TQZRect client_;
    std::vector<std::pair<uint32_t, std::function<void(uint32_t)>>> timers_;
};

// A headless window styled for the kind and mode flags.
std::unique_ptr<TQZVideoWindowBase> CreateHeadlessVideoWindow(int32_t width, int32_t height, int32_t windowKind,
                                                              uint32_t flags);

// The main window as an output window.
class TQZVideoWindow : public TQZVideoWindowBase {
public:
    explicit TQZVideoWindow(std::unique_ptr<TQZWindow> window);
    ~TQZVideoWindow() override;

    TQZWindow* MainWindow() const { return window_.get(); }
    plat::os::WindowHandle OsHandle() const { return window_->Handle(); }

    void* Handle() override;
    TQZRect ClientRect() override;
    void SetClientSize(int32_t width, int32_t height) override;
    void SetStyle(int32_t width, int32_t height, int32_t windowKind, uint32_t flags) override;
    void Maximise() override;
    void Show() override;
    void Invalidate() override;
    void ValidateRect() override;
    void PresentFrame(const uint32_t* pixels, int32_t pitchBytes, int32_t width, int32_t height) override;
    uint32_t SetTimer(uint32_t milliseconds, std::function<void(uint32_t)> handler) override
    {
        return window_->SetWindowTimer(milliseconds, std::move(handler));
    }
    void KillTimer(uint32_t id) override { window_->KillWindowTimer(id); }
    // The window system's full-screen mode of a window kind: none when
    // windowed, an exclusive mode for full screen, and the desktop's for a
    // borderless window the size of the screen (a smaller one stays a
    // plain borderless window).
    void ApplyWindowKind(int32_t windowKind);

private:
    bool Paint(TQZWindow* window, int64_t argument);
    void Resized(int32_t width, int32_t height);

    std::unique_ptr<TQZWindow> window_;
};

// The window style flags of a video window of the kind and mode flags.
uint32_t VideoWindowStyle(int32_t windowKind, uint32_t modeFlags);
// The default maker of video windows: a main window made by CreateVideoWindow.
std::unique_ptr<TQZVideoWindowBase> CreateMainVideoWindow(int32_t width, int32_t height, int32_t windowKind,
                                                          uint32_t flags);
