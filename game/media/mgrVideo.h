// The game's main window and display mode over the framework's video layer:
// the window and device of the chosen mode, the saved window placement, the
// frame time that drives the timers, and the size at which cards are drawn.
#pragma once

#include "coreManager.h"
#include "qz7window.h"

#include <functional>
#include <memory>
#include <string>

class TQZVideo;
class TQZVideoWindow;
class TVideo;
class TVideoDraw;

// Told of the client area now and on every resize; the widget layer's root
// window is the one the game installs.
class TResizeReceiver {
public:
    virtual ~TResizeReceiver() = default;
    virtual void ClientResized(const TQZRect& client) = 0;
};

constexpr int32_t DISPLAY_WINDOWED = 0;
constexpr int32_t DISPLAY_FULLSCREEN_WINDOW = 1;
constexpr int32_t DISPLAY_FULLSCREEN = 2;
// By mode number, in the order the Options screen lists them.
extern const char* const kDisplayModeNames[3];
// The display mode a "Video.DisplayMode" text names (exact text; anything
// else is windowed).
int32_t DisplayModeOfName(const std::string& name);

constexpr const char* kVideoWindowTitle = "Vantorel Qar";
constexpr const char* kWindowIconName = "JACKICON";
// The picture the window icon is made from when no program resource holds it.
constexpr const char* kWindowIconFile = "Assets\\Misc\\Icon.png";
constexpr int32_t kMinClientWidth = 900;
constexpr int32_t kMinClientHeight = 700;
constexpr const char* kVideoFatal =
    "Unable to initialise video. Vantorel Qar requires a Direct3D9-compatible video card.";

// What the fatal error says when the window cannot be made: the window
// system's failure when there is one.
std::string VideoFailureText();

// The main window: paints through the video manager's render callback.
class TVideoWindow : public TQZWindow {
public:
    TVideoWindow(int32_t width, int32_t height, int32_t mode);
    bool Paint(int64_t argument) override;

private:
    bool painting_ = false;
};

class TVideo : public TManagerClass {
public:
    TVideo();
    ~TVideo() override;
    void Initialize() override;

    void CreateDisplay(int32_t mode);
    void SetDisplayMode(int32_t mode);
    int32_t DisplayMode() const { return mode_; }
    void SaveWindowPlacement();
    void RestoreWindowPlacement();
    void SetResizeReceiver(TResizeReceiver* receiver);
    // Milliseconds between the last two painted frames, at least 1.
    int32_t FrameTime() const;
    void Redraw();
    TQZRect ClientRect() const;
    // The size at which cards are drawn in the current client area.
    TQZPoint CardSize() const;
    TVideoDraw* Draw() const { return draw_.get(); }
    TVideoWindow* Window() const { return window_; }
    bool Initialised() const { return initialised_; }

    // The frame's drawing (the state engine's render); the engine sets it
    // once the screens exist and clears it before shut-down.
    std::function<void()> renderCallback;

private:
    friend class TVideoWindow;
    void FramePainted();
    void OnVideoResize(TQZVideo* video);
    void SetWindowIcon();

    bool initialised_ = false;
    std::unique_ptr<TVideoDraw> draw_;
    uint32_t previousTime_ = 0, lastTime_ = 0;
    TResizeReceiver* receiver_ = nullptr;
    int32_t mode_ = DISPLAY_WINDOWED;
    TVideoWindow* window_ = nullptr;  // owned by the framework's video
    TQZVideoWindow* videoWindow_ = nullptr;
};

extern TVideo* Video;
void RegisterVideoManager();

// The card size for a client area and a native card size (the rules the
// video manager follows; a size not positive both ways is taken as 71 x 96).
TQZPoint ComputeCardSize(TQZPoint client, TQZPoint card, bool forceSize);
