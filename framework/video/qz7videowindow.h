// The main window as the video layer's output window: paint requests and
// client size changes reach the video, presented frames reach the window.
#pragma once

#include "qz7video.h"
#include "qz7window.h"

#include <memory>

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
