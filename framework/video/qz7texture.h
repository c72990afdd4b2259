// Every image the game draws: a device texture with its size and the
// arithmetic from source rectangles to texture coordinates, sub-rectangles
// sharing a parent's texture, and locked 32-bit pixel access with fills,
// copies, scaling and a blending copy. Drawing appends to the render cache
// of the running frame and never talks to the device.
#pragma once

#include "qz7core.h"
#include "qz7direct3d.h"
#include "qz7memory.h"
#include "qz7surface.h"
#include "qz7videostate.h"

#include <memory>
#include <stdexcept>
#include <string>

class TQZTexturePixelData;
class TQZRenderCache;

// Raised by LoadFromFile when the image file cannot be read.
class EQZTextureError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// SaveToMemory formats.
constexpr int32_t QZTEXFMT_PNG = 1;
constexpr int32_t QZTEXFMT_JPEG = 2;
constexpr int32_t QZTEXFMT_BMP = 7;

// LoadFromMemory option: no filtering.
constexpr uint32_t QZTEXLOAD_NOFILTER = 0x1;

class TQZTexture : public TQZD3DImageClass {
public:
    TQZTexture() = default;
    ~TQZTexture() override;

    // LoadFromFile's exception passes through; other failures give nullptr.
    static std::unique_ptr<TQZTexture> CreateFromFile(const std::string& fileName, TQZColour colourKey,
                                                      bool mipmapped);
    static std::unique_ptr<TQZTexture> CreateFromMemory(const void* data, int32_t length, TQZColour colourKey);
    [[nodiscard]] static int32_t CreateRenderTarget(std::unique_ptr<TQZTexture>& out, int32_t width, int32_t height);
    // An empty texture of that size; nullptr when the device refuses it.
    static std::unique_ptr<TQZTexture> CreateOfSize(int32_t width, int32_t height);
    static std::unique_ptr<TQZTexture> CreateResampled(TQZTexture* source, int32_t width, int32_t height);
    // The part of the source as the device draws it at width x height with
    // its present sampler states and a white diffuse, texel for texel: the
    // result drawn unscaled (DrawWhole) at a whole-pixel position gives the
    // pixels the scaled draw would. nullptr without a device or texture.
    // The device's present filter and address modes packed into one value
    // (what CreateDrawnAt's result depends on besides the source); 0 without
    // a device.
    static uint32_t SamplerStates();
    static std::unique_ptr<TQZTexture> CreateDrawnAt(TQZTexture* source, const TQZRect& part, int32_t width,
                                                     int32_t height);

    [[nodiscard]] int32_t LoadFromFile(const std::string& fileName, TQZColour colourKey, bool mipmapped);
    [[nodiscard]] int32_t LoadFromMemory(const void* data, int32_t length, uint32_t options, TQZColour colourKey);
    [[nodiscard]] int32_t CreateD3DTexture(int32_t width, int32_t height);
    // As CreateD3DTexture, made to be drawn into (RenderTargetSurface).
    [[nodiscard]] int32_t CreateD3DRenderTarget(int32_t width, int32_t height);
    // The memory object is made when empty, else resized, and gets the bytes.
    [[nodiscard]] int32_t SaveToMemory(std::unique_ptr<TQZMemory>& memory, int32_t format);
    // PNG into a temporary file renamed over the name, so a failed save
    // leaves an existing file as it was.
    [[nodiscard]] int32_t SaveToFile(const std::string& fileName);
    // The four one-pixel edges of the rectangle written into this texture's
    // own pixels, cut to the texture. 2 for an empty rectangle.
    [[nodiscard]] int32_t DrawRectOutline(const TQZRect& rect, TQZColour colour);

    void Draw(const TQZRect& dest, TQZColour colour);
    void DrawPart(const TQZRect& source, const TQZRect& dest, TQZColour colour);
    // The whole texture with texture coordinates 0..1 exactly, so that an
    // unscaled draw reads one texel per pixel on any filter.
    void DrawWhole(const TQZRect& dest, TQZColour colour);
    void DrawNineSlice(const TQZRect& dest, const TQZRect& borders, bool drawCentre, TQZColour colour,
                       const TQZRect& source);
    // Nine slices cut by an inner rectangle in texture pixels: corners at
    // their size, edges stretched along one axis, the centre both ways when
    // asked. Nothing is drawn for a colour whose alpha is 0.
    void DrawNineSlice(const TQZRect& inner, const TQZRect& dest, bool drawCentre, TQZColour colour);
    // Texture coordinates of a rectangle of this texture's pixels.
    TQZRectF RectToUV(const TQZRect& rect) const { return TextureCoords(rect); }
    void DrawScaled(const TQZRect& source, TQZPoint position, TQZColour colour, float xScale, float yScale);
    void DrawRotated(const TQZRect& source, const TQZRect& dest, TQZColour colour, float angle);
    // Turns about the pivot, a point on the screen.
    void DrawRotated(const TQZRect& source, const TQZRect& dest, TQZColour colour, float angle, TQZPointF pivot);

    bool HasTexture() const { return texture_ != nullptr; }
    TQZRect GetRect() const { return {0, 0, width, height}; }
    int32_t GetWidth() const { return width; }
    int32_t GetHeight() const { return height; }
    bool TakeRestoreFailed();
    TQZTexturePixelData* PixelData();
    bool IsRenderTarget() const { return renderTarget_; }
    uint32_t Format() const { return format_; }
    TQZSurfaceRenderTarget* RenderTargetSurface() const { return rtSurface_.get(); }
    // Texture coordinates of a source rectangle in this texture's pixels.
    TQZRectF TextureCoords(const TQZRect& source) const;

    virtual void Release();
    void OnLostDevice() override;
    void OnResetDevice() override;
    std::shared_ptr<plat::softgpu::Texture> DeviceTexture() const override { return texture_; }
    std::shared_ptr<plat::softgpu::Surface> DeviceSurface() const override { return surface_; }

protected:
    // Size, texel size, offset and format from the device texture's level 0.
    void TakeLevel0();
    int32_t CreateDeviceTexture(int32_t width, int32_t height, bool renderTarget);
    void AddRotatedQuad(const TQZRect& source, const TQZRect& dest, TQZColour colour, float angle, TQZPointF pivot);

    bool restoreFailed_ = false;
    std::shared_ptr<plat::softgpu::Texture> texture_;
    std::shared_ptr<plat::softgpu::Surface> surface_;
    bool renderTarget_ = false;
    float texelWidth_ = 0, texelHeight_ = 0;
    int32_t offsetX_ = 0, offsetY_ = 0;
    uint32_t format_ = 0;
    std::unique_ptr<TQZSurfaceRenderTarget> rtSurface_;
    bool markedForRecreation_ = false;
    std::unique_ptr<TQZTexturePixelData> pixelData_;
};

// One rectangle of a parent texture, drawn from the parent's device texture.
class TQZTextureSubrect : public TQZTexture {
public:
    TQZTextureSubrect(TQZTexture* parent, const TQZRect& rect) { SetRect(parent, rect); }
    void SetRect(TQZTexture* parent, const TQZRect& rect);
    const TQZRect& SubRect() const { return rect_; }
    // The parent's texture stays the parent's: nothing to let go of here.
    void Release() override;
    void OnLostDevice() override {}
    void OnResetDevice() override {}

private:
    TQZRect rect_;
};

// Pixel function of CopyTransformed: (source pixel, destination pixel) -> result.
using TQZPixelFunction = uint32_t (*)(uint32_t source, uint32_t dest);
// The unit's blending function: opaque result, colour channels mixed by the
// source's alpha.
uint32_t BlendPixel(uint32_t source, uint32_t dest);

class TQZTexturePixelData : public TQZClass {
public:
    explicit TQZTexturePixelData(TQZTexture* texture) : texture_(texture) {}
    ~TQZTexturePixelData() override;

    // Mode 1 read-only, any other read and write.
    [[nodiscard]] int32_t Lock(int32_t mode);
    int32_t Unlock();
    bool Locked() const { return bits_ != nullptr; }
    int32_t Pitch() const { return pitch_; }
    uint8_t* Bits() const { return bits_; }

    // Outside the texture or while not locked: 0, and nothing is written.
    uint32_t GetPixel(int32_t x, int32_t y) const;
    void SetPixel(int32_t x, int32_t y, uint32_t value);
    int32_t Clear(uint32_t value);
    int32_t FillRect(const TQZRect& rect, uint32_t value);
    int32_t CopyScaled(TQZTexturePixelData* source, const TQZRect& sourceRect, const TQZRect& destRect);
    int32_t CopyResampled(TQZTexturePixelData* source, const TQZRect& sourceRect, const TQZRect& destRect);
    int32_t CopyTransformed(TQZTexturePixelData* source, const TQZRect& sourceRect, const TQZRect& destRect,
                            TQZPixelFunction function);

private:
    bool Inside(const TQZRect& r) const;
    uint32_t& At(int32_t x, int32_t y) const
    {
        return *reinterpret_cast<uint32_t*>(bits_ + ptrdiff_t(pitch_) * y + 4 * x);
    }

    int32_t pitch_ = 0;
    uint8_t* bits_ = nullptr;
    TQZTexture* texture_;
    // The texture the lock was taken on, so a release in between does not
    // unlock another one.
    std::shared_ptr<plat::softgpu::Texture> locked_;
};
