// Off-screen 2-D images that can be drawn on with a device context or with
// locked pixels, copied to each other and to the screen: the abstract
// TQZSurface and its five kinds, made by CreateSurface.
#pragma once

#include "qz7core.h"
#include "qz7direct3d.h"
#include "gdiContext.h"
#include "tfFace.h"

#include <memory>
#include <string>
#include <vector>


constexpr int32_t QZRES_SURFACE_NOTMADE = 10753;
constexpr int32_t QZRES_SURFACE_NOACCESS = 10755;
constexpr int32_t QZRES_SURFACE_OTHERACCESS = 10756;
constexpr int32_t QZRES_SURFACE_NOCOPY = 10757;

// Kinds.
constexpr int32_t QZSURFACE_SYSMEM = 0;
constexpr int32_t QZSURFACE_VIDEO = 1;
constexpr int32_t QZSURFACE_MIRROR = 2;
constexpr int32_t QZSURFACE_RENDERTARGET = 3;
constexpr int32_t QZSURFACE_BITMAP = 4;

// Creation flags.
constexpr uint32_t QZSURFACE_TEXTUREFORMAT = 0x1;
constexpr uint32_t QZSURFACE_LOCKABLE = 0x2;

// Access modes.
constexpr int32_t QZACCESS_NONE = 0;
constexpr int32_t QZACCESS_PLAIN = 1;
constexpr int32_t QZACCESS_DC = 2;
constexpr int32_t QZACCESS_LOCKED = 3;

// The device context type of this system's drawing calls.
using TQZDC = plat::gdi::DeviceContext*;

class TQZSurface : public TQZD3DImageClass {
public:
    ~TQZSurface() override;

    // Slots 13-35.
    void OnLostDevice() override {}
    void OnResetDevice() override {}
    TQZPoint GetSize() override { return {width, height}; }
    [[nodiscard]] virtual int32_t Allocate(int32_t width, int32_t height, uint32_t flags) = 0;
    [[nodiscard]] virtual int32_t Blit(const TQZRect& destRect, TQZSurface* target, const TQZRect& sourceRect);
    [[nodiscard]] virtual int32_t DrawToScreen();
    [[nodiscard]] virtual int32_t LoadFromD3DSurface(std::shared_ptr<plat::softgpu::Surface> surface);
    [[nodiscard]] virtual int32_t LoadFromFileInMemory(const void* data, int32_t length);
    [[nodiscard]] virtual int32_t LoadFromFile(const std::string& fileName);
    [[nodiscard]] virtual int32_t LoadFromPixels(int32_t width, int32_t height, const std::vector<uint32_t>& pixels);
    virtual void Release();
    [[nodiscard]] virtual int32_t BeginAccess(int32_t mode);
    virtual int32_t EndAccess();
    virtual void FrameRect(const TQZRect& rect, TQZColour colour);
    virtual void Clear(TQZColour colour);
    virtual void FillRect(const TQZRect& rect, TQZColour colour);
    virtual void Polyline(const std::vector<TQZPoint>& points, TQZColour colour);
    virtual void SetPixel(TQZPoint point, TQZColour colour);
    virtual void TextOut(TQZPoint point, const std::string& text, TQZColour colour);
    virtual std::shared_ptr<plat::softgpu::Surface> GetD3DSurface() const { return surface_; }
    virtual TQZDC GetDC();
    virtual void ReleaseDC();
    virtual TQZRect GetBounds() { return {0, 0, width, height}; }

    std::shared_ptr<plat::softgpu::Surface> DeviceSurface() const override { return GetD3DSurface(); }
    bool GetImageDC(void*& dc) override;
    void ReleaseImageDC(void*) override { ReleaseDC(); }

    [[nodiscard]] int32_t DrawToScreenAt(const TQZRect& dest, const TQZRect& source);
    [[nodiscard]] int32_t DrawTiled(const TQZRect& rect, TQZPoint offset);

    bool Allocated() const { return allocated_; }
    bool Lost() const { return lost_; }
    int32_t Kind() const { return kind_; }
    uint32_t Flags() const { return flags_; }
    uint32_t Format() const { return format_; }
    int32_t AccessMode() const { return accessMode_; }
    int32_t AccessDepth() const { return accessDepth_; }
    int32_t LockedPitch() const { return pitch_; }
    uint8_t* LockedBits() const { return bits_; }
    // The copy method the last Blit succeeded with: 1 StretchRect, 2 the
    // scaled loader, 3 locked copy, 4 device-context copy; 0 none.
    int32_t LastBlitMethod() const { return lastBlitMethod_; }
    // For a picture that does not change (a still backdrop): a stretching
    // blit keeps the stretched copy and copies only that while the source
    // rectangle and the size stay, with the same pixels. Any access to the
    // surface drops the copy.
    void KeepStretched(bool on);

private:
    bool StretchBlit(plat::softgpu::Device& device, const plat::softgpu::Rect& source,
                     plat::softgpu::Surface& target, const plat::softgpu::Rect& dest);
    bool keepStretched_ = false;
    std::shared_ptr<plat::softgpu::Surface> stretched_;
    const plat::softgpu::Surface* stretchedFrom_ = nullptr;
    TQZRect stretchedSource_;

protected:
    explicit TQZSurface(int32_t kind) : kind_(kind) {}
    // Device kinds: a device surface of the format the flags choose.
    [[nodiscard]] int32_t AllocateDevice(int32_t width, int32_t height, uint32_t flags, bool renderTarget);
    void Allocated(int32_t width, int32_t height, uint32_t flags);
    int32_t BlitMethods(const TQZRect& destRect, TQZSurface* target, const TQZRect& sourceRect);
    int32_t CopyByDC(const TQZRect& destRect, TQZSurface* target, const TQZRect& sourceRect);
    virtual bool TakeDC();
    virtual void DropDC();
    virtual bool LockPixels();
    virtual void UnlockPixels();
    const plat::typeface::Typeface* Font();
    // The image changed outside an access: one empty access lets kinds that
    // keep a second copy bring it up to date.
    void Touched();

    bool allocated_ = false;
    uint32_t flags_ = 0;
    uint32_t format_ = 0;
    std::shared_ptr<plat::softgpu::Surface> surface_;
    int32_t pitch_ = 0;
    uint8_t* bits_ = nullptr;
    std::unique_ptr<plat::gdi::Bitmap> dcBitmap_;
    std::unique_ptr<plat::gdi::DeviceContext> dc_;
    std::unique_ptr<plat::typeface::Typeface> font_;
    bool fontTried_ = false;
    bool lost_ = false;
    int32_t kind_;
    int32_t accessDepth_ = 0, accessStartDepth_ = 0, accessMode_ = QZACCESS_NONE;
    int32_t lastBlitMethod_ = 0;
};

class TQZSurfaceSysMem : public TQZSurface {
public:
    TQZSurfaceSysMem() : TQZSurface(QZSURFACE_SYSMEM) {}
    [[nodiscard]] int32_t Allocate(int32_t width, int32_t height, uint32_t flags) override;
    [[nodiscard]] int32_t Blit(const TQZRect& destRect, TQZSurface* target, const TQZRect& sourceRect) override;
    void FrameRect(const TQZRect& rect, TQZColour colour) override;
};

class TQZSurfaceVideo : public TQZSurface {
public:
    TQZSurfaceVideo() : TQZSurface(QZSURFACE_VIDEO) {}
    void OnLostDevice() override;
    void OnResetDevice() override;
    [[nodiscard]] int32_t Allocate(int32_t width, int32_t height, uint32_t flags) override;
    [[nodiscard]] int32_t Blit(const TQZRect& destRect, TQZSurface* target, const TQZRect& sourceRect) override;
    void FillRect(const TQZRect& rect, TQZColour colour) override;

protected:
    explicit TQZSurfaceVideo(int32_t kind) : TQZSurface(kind) {}
};

// A video surface whose image lives in a system-memory copy, so a device
// loss loses nothing; the video surface is refreshed from the copy.
class TQZSurfaceMirror : public TQZSurfaceVideo {
public:
    TQZSurfaceMirror();
    ~TQZSurfaceMirror() override;
    void OnLostDevice() override;
    void OnResetDevice() override;
    [[nodiscard]] int32_t Allocate(int32_t width, int32_t height, uint32_t flags) override;
    [[nodiscard]] int32_t LoadFromD3DSurface(std::shared_ptr<plat::softgpu::Surface> surface) override;
    void Release() override;
    int32_t EndAccess() override;
    void FrameRect(const TQZRect& rect, TQZColour colour) override;
    void FillRect(const TQZRect& rect, TQZColour colour) override;
    void Polyline(const std::vector<TQZPoint>& points, TQZColour colour) override;
    void TextOut(TQZPoint point, const std::string& text, TQZColour colour) override;
    std::shared_ptr<plat::softgpu::Surface> GetD3DSurface() const override;
    TQZDC GetDC() override;
    void ReleaseDC() override;
    TQZSurfaceSysMem* Copy() const { return copy_.get(); }
    // The video surface itself (the copy is what GetD3DSurface gives).
    std::shared_ptr<plat::softgpu::Surface> VideoSurface() const { return surface_; }

private:
    void Refresh();
    std::unique_ptr<TQZSurfaceSysMem> copy_;
};

class TQZSurfaceRenderTarget : public TQZSurfaceVideo {
public:
    TQZSurfaceRenderTarget() : TQZSurfaceVideo(QZSURFACE_RENDERTARGET) {}
    [[nodiscard]] int32_t Allocate(int32_t width, int32_t height, uint32_t flags) override;
    TQZRect GetBounds() override { return {0, 0, width, height}; }
    void OnLostDevice() override;
    void OnResetDevice() override;
    // Wraps a surface that belongs to someone else (the back buffer, a
    // texture's level 0); nullptr gives 2.
    [[nodiscard]] int32_t Attach(std::shared_ptr<plat::softgpu::Surface> surface);
    // Attach for the texture and device layers: nullptr lets go.
    void AttachDevice(std::shared_ptr<plat::softgpu::Surface> surface);
    bool Attached() const { return attached_; }

private:
    bool attached_ = false;
};

// A 32-bit bitmap with its own device context.
class TQZSurfaceBitmap : public TQZSurface {
public:
    TQZSurfaceBitmap();
    ~TQZSurfaceBitmap() override;
    TQZPoint GetSize() override { return {width, height}; }
    [[nodiscard]] int32_t Allocate(int32_t width, int32_t height, uint32_t flags) override;
    [[nodiscard]] int32_t Blit(const TQZRect& destRect, TQZSurface* target, const TQZRect& sourceRect) override;
    [[nodiscard]] int32_t LoadFromFile(const std::string& fileName) override;
    [[nodiscard]] int32_t LoadFromPixels(int32_t width, int32_t height, const std::vector<uint32_t>& pixels) override;
    void Release() override;
    [[nodiscard]] int32_t BeginAccess(int32_t mode) override;
    TQZDC GetDC() override;
    void ReleaseDC() override {}
    plat::gdi::Bitmap* BitmapPixels() const { return bitmap_.get(); }

protected:
    bool TakeDC() override { return dc_ != nullptr; }
    void DropDC() override {}

private:
    std::unique_ptr<plat::gdi::Bitmap> bitmap_;
};

// Under the GDI back end every kind is a bitmap; under Direct3D a bitmap
// request gives system memory. nullptr when the surface cannot be made.
std::unique_ptr<TQZSurface> CreateSurface(int32_t width, int32_t height, uint32_t flags, int32_t kind);
std::unique_ptr<TQZSurface> CreateSurfaceFromFile(const std::string& fileName, int32_t kind);
// The device's current render target, else the video's render-target surface.
TQZSurface* ScreenSurface();
// Makes the device layer wrap its back buffer in a render-target surface.
void InstallSurfaceUnit();
