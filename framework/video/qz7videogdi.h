// The device-context back end of the video layer: the same primitives drawn
// on 32-bit bitmaps inside a paint, through a back-buffer bitmap unless the
// mode asks to draw straight into the window's one. It has no render cache:
// textures need the Direct3D back end.
#pragma once

#include "qz7surface.h"
#include "qz7video.h"

class TQZVideoGDI : public TQZVideo {
public:
    ~TQZVideoGDI() override;
    void Initialise() override;
    void Finalise() override;
    [[nodiscard]] int32_t SetWindowStyle(int32_t width, int32_t height, int32_t windowKind) override;
    [[nodiscard]] int32_t Present() override;
    [[nodiscard]] int32_t BeginFrame() override;
    [[nodiscard]] int32_t EndFrame() override;
    bool GetDC(void*& dc) override;
    void ReleaseDC(void*) override {}
    void PopClip(uint8_t flag = 0) override;
    void PushClip(const TQZRect& rect) override;
    int32_t FillRect(const TQZRect& rect, TQZColour colour) override;
    int32_t InvertRect(const TQZRect& rect) override;
    int32_t FillGradient(const TQZRect& rect, TQZColour colour1, int32_t kind, TQZColour colour2) override;
    int32_t DrawLine(TQZPoint from, TQZPoint to, TQZColour colourFrom, TQZColour colourTo, int32_t width) override;
    int32_t FillTriangle(const std::vector<TQZPoint>& points, TQZColour colour) override;
    // Drawn only when colour 1 is above 0xFFFFFF: an alpha byte of 0 skips it.
    int32_t DrawFrame(const TQZRect& rect, TQZColour colour1, int32_t thickness, TQZColour colour2) override;
    TQZRect GetClipRect() override;
    bool InFrame() override { return inPaint_; }
    TQZD3DImageClass* GetRenderTarget() override;
    void UpdateClientRect() override;
    [[nodiscard]] int32_t PrepareUntextured() override { return inPaint_ ? QZRES_OK : QZRES_FAILED; }

    // What the window shows: the bitmap a frame ends in.
    TQZSurfaceBitmap* WindowSurface() const { return windowSurface_.get(); }
    TQZSurfaceBitmap* BackBufferSurface() const { return backBuffer_.get(); }

protected:
    [[nodiscard]] int32_t SetModeDevice(bool windowCreatedHere) override;

private:
    void MakeWindowSurface();
    int32_t GradientTriangle(const TQZPoint (&p)[3], const TQZColour (&c)[3]);

    bool inPaint_ = false;
    plat::gdi::DeviceContext* drawDC_ = nullptr;
    std::unique_ptr<TQZSurfaceBitmap> windowSurface_;
    std::unique_ptr<TQZSurfaceBitmap> backBuffer_;
    plat::gdi::DeviceContext* paintDC_ = nullptr;
};

// The device-context video object (slot 8), made on first use while the
// framework runs.
TQZVideoGDI* GetVideoGDI();
