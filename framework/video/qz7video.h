// The framework's 2-D output: one frame at a time (begin, draw callbacks, end,
// present), a few untextured primitives, clipping, and textured drawing
// through the render cache of the running frame. TQZVideoDX9 is the back end
// over the device layer.
#pragma once

#include "qz7core.h"
#include "qz7direct3d.h"
#include "qz7rendercache.h"
#include "qz7timer.h"
#include "qz7videostate.h"
#include "qz7videowindow.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

// Gradient kinds 0-7 (one quad) and 8-10 (made of those).
constexpr int32_t QZGRADIENT_HORIZONTAL = 0;
constexpr int32_t QZGRADIENT_VERTICAL = 1;
constexpr int32_t QZGRADIENT_CENTRE = 10;

// Makes the output window. The default makes a main window (qz7videowindow);
// tests may make headless ones instead.
using TQZCreateVideoWindowProc = std::unique_ptr<TQZVideoWindowBase> (*)(int32_t width, int32_t height,
                                                                        int32_t windowKind, uint32_t flags);
void SetCreateVideoWindowProc(TQZCreateVideoWindowProc proc);
// Largest client size that fits the desktop work area (by default the main
// window's answer for a sizable window).
using TQZWorkAreaProc = TQZPoint (*)();
void SetWorkAreaProc(TQZWorkAreaProc proc);

class TQZVideo;
using TQZVideoProc = void (*)(TQZVideo* video);
using TQZVideoMethod = TQZMethod<void(TQZVideo*)>;

class TQZVideo : public TQZClassSingleton, public TQZVideoFrame {
public:
    ~TQZVideo() override;

    // Slots 13-38.
    void Initialise() override;
    virtual void Finalise();
    virtual void UnbindTarget() {}
    virtual void BindTarget(bool resetStates) { (void)resetStates; }
    // The window handed in is owned by the video from here on (nullptr: make one).
    [[nodiscard]] virtual int32_t SetMode(int32_t width, int32_t height, std::unique_ptr<TQZVideoWindowBase> window,
                            int32_t windowKind, uint32_t flags);
    [[nodiscard]] virtual int32_t SetWindowStyle(int32_t width, int32_t height, int32_t windowKind);
    [[nodiscard]] virtual int32_t Present();
    [[nodiscard]] virtual int32_t BeginFrame();
    [[nodiscard]] virtual int32_t EndFrame();
    virtual bool GetDC(void*& dc);
    virtual void ReleaseDC(void* dc) { (void)dc; }
    virtual int32_t Clear(TQZColour colour);
    virtual void PopClip(uint8_t flag = 0) { (void)flag; }
    virtual void PushClip(const TQZRect& rect) { (void)rect; }
    virtual int32_t FillRect(const TQZRect& rect, TQZColour colour);
    virtual int32_t InvertRect(const TQZRect& rect);
    virtual int32_t FillGradient(const TQZRect& rect, TQZColour colour1, int32_t kind, TQZColour colour2);
    virtual int32_t DrawLine(TQZPoint from, TQZPoint to, TQZColour colourFrom, TQZColour colourTo, int32_t width);
    virtual int32_t FillTriangle(const std::vector<TQZPoint>& points, TQZColour colour);
    virtual TQZRect GetClipRect() { return {}; }
    virtual bool InFrame() { return false; }
    virtual TQZD3DImageClass* GetRenderTarget() { return nullptr; }
    [[nodiscard]] virtual int32_t SetRenderTarget(TQZD3DImageClass* surface);
    virtual void HandlePaint();
    virtual void UpdateClientRect();
    [[nodiscard]] virtual int32_t PrepareUntextured() { return QZRES_VIDEO_NOTSUPPORTED; }
    // A rectangle with corners rounded by the row indents 6, 4, 3, 2, 1, 1:
    // filled for thickness 0, else an outline that thick. 2 (nothing drawn)
    // for a negative thickness or an empty rectangle.
    virtual int32_t DrawRoundRect(const TQZRect& rect, TQZColour colour, int32_t thickness);
    // A filled ellipse as a fan of 16 to 36 segments; 0x2001 on the GDI back end.
    virtual int32_t FillEllipse(TQZPointF centre, TQZPointF radii, TQZColour colour);
    // Linear texture filtering of the device: false on the GDI back end.
    virtual bool GetLinearFilter();
    // Flushes the pending quads before the device's filtering changes.
    virtual void SetLinearFilter(bool flag);

    bool Redraw();
    void Repaint();
    // Top and left edges in colour 1, right and bottom in colour 2.
    virtual int32_t DrawFrame(const TQZRect& rect, TQZColour colour1, int32_t thickness, TQZColour colour2);
    void SelectRenderCache(TQZRenderCache* cache);
    TQZRenderCache* GetRenderCache() const { return selectedCache_ ? selectedCache_ : defaultCache_.get(); }
    virtual bool IsReady();
    TQZPoint GetSize() const { return {outputRect_.right, outputRect_.bottom}; }
    int32_t GetWidth() const { return outputRect_.right; }
    int32_t GetHeight() const { return outputRect_.bottom; }
    TQZVideoWindowBase* Window() const { return window_.get(); }
    int32_t BackEndKind() const { return kind_; }
    int32_t WindowKind() const { return windowKind_; }
    uint32_t Flags() const { return flags_; }
    int32_t LastFrameNumber() const { return frameNumber_; }
    float SmoothedFrameTime() const { return smoothedFrameTime_; }
    // The running frame as surfaces, textures and fonts reach it.
    TQZRenderCache* FrameRenderCache() final { return GetRenderCache(); }
    TQZD3DImageClass* FrameRenderTarget() final { return GetRenderTarget(); }

    TQZVideoProc drawProc = nullptr;
    TQZVideoMethod drawMethod;
    TQZVideoProc resizeProc = nullptr;
    TQZVideoMethod resizeMethod;
    int32_t repaintMode = 0;  // 0 draw on paint requests, 1 draw at once
    // Busy from BeginFrame to Present; the frame timer restarts once a frame
    // in the statistics panel.
    std::unique_ptr<TQZTimer> busyTimer, frameTimer;

protected:
    // Direct3D-only steps of SetMode once the window is wired.
    [[nodiscard]] virtual int32_t SetModeDevice(bool windowCreatedHere) { (void)windowCreatedHere; return QZRES_OK; }
    void DrawStatistics();
    // The frame is over for CurrentVideo.
    void LeaveFrame();

    TQZRect outputRect_;
    TQZRenderCache* selectedCache_ = nullptr;
    std::unique_ptr<TQZRenderCache> defaultCache_;
    int32_t kind_ = QZVIDEO_BACKEND_DX9;
    uint32_t flags_ = 0;
    int32_t windowKind_ = 0;
    std::unique_ptr<TQZVideoWindowBase> window_;

private:
    int32_t RaisePaintException(void* param);

    float smoothedFrameTime_ = 0;
    int32_t frameNumber_ = 0;
    std::string pendingPaintException_;
};

class TQZVideoDX9 : public TQZVideo {
public:
    ~TQZVideoDX9() override;
    void Initialise() override;
    void Finalise() override;
    void UnbindTarget() override;
    void BindTarget(bool resetStates) override;
    [[nodiscard]] int32_t SetWindowStyle(int32_t width, int32_t height, int32_t windowKind) override;
    [[nodiscard]] int32_t Present() override;
    [[nodiscard]] int32_t BeginFrame() override;
    [[nodiscard]] int32_t EndFrame() override;
    bool GetDC(void*& dc) override;
    void ReleaseDC(void* dc) override;
    int32_t Clear(TQZColour colour) override;
    void PopClip(uint8_t flag = 0) override;
    void PushClip(const TQZRect& rect) override;
    int32_t FillRect(const TQZRect& rect, TQZColour colour) override;
    int32_t InvertRect(const TQZRect& rect) override;
    int32_t FillGradient(const TQZRect& rect, TQZColour colour1, int32_t kind, TQZColour colour2) override;
    int32_t DrawLine(TQZPoint from, TQZPoint to, TQZColour colourFrom, TQZColour colourTo, int32_t width) override;
    int32_t FillTriangle(const std::vector<TQZPoint>& points, TQZColour colour) override;
    TQZRect GetClipRect() override;
    bool InFrame() override;
    TQZD3DImageClass* GetRenderTarget() override;
    [[nodiscard]] int32_t SetRenderTarget(TQZD3DImageClass* surface) override;
    void UpdateClientRect() override;
    [[nodiscard]] int32_t PrepareUntextured() override;
    bool IsReady() override;

protected:
    [[nodiscard]] int32_t SetModeDevice(bool windowCreatedHere) override;

private:
    void TakeBackBufferSize();
};

// Process-wide values (the back-end choice is in qz7videostate, the video
// object of it comes from GetVideo in qz7videochoice).
extern bool ShowVideoStatistics;      // off; nothing in the system turns it on
// The video object between BeginFrame and EndFrame, else nullptr.
TQZVideo* CurrentVideo();

// Text lines of the statistics panel, drawn by the font unit when it is
// installed (right-aligned, vertically centred, black, 24 pixels).
using TQZStatisticsTextProc = void (*)(TQZVideo* video, const TQZRect& line, const std::string& text);
void SetStatisticsTextProc(TQZStatisticsTextProc proc);

// Appended to an exception raised while painting, when it is raised again.
extern const char* const QZPAINT_EXCEPTION_NOTE;
