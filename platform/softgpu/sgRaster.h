// The CPU rasterizer behind the device: triangles of screen vertices drawn as
// spans with fixed-point edge stepping and the top-left fill rule, pixel
// centres on whole coordinates. Axis-aligned quads take a faster road with
// the same coverage and texel choice.
#pragma once

#include "sgTypes.h"

#include <cstdint>

namespace plat::softgpu {

struct RasterState {
    // Target pixels (pitch in pixels) and the rectangle drawing may touch
    // (already limited to the target).
    uint32_t* target = nullptr;
    int32_t targetPitch = 0;
    Rect clip;
    // Texture of stage 0; nullptr when none is bound (it then reads white).
    const uint32_t* texture = nullptr;
    int32_t texturePitch = 0, textureWidth = 0, textureHeight = 0;
    bool linear = false;
    uint32_t addressU = kAddressWrap, addressV = kAddressWrap;
    uint32_t colourOp = kTopModulate, colourArg1 = kArgTexture, colourArg2 = kArgDiffuse;
    uint32_t alphaOp = kTopModulate, alphaArg1 = kArgTexture, alphaArg2 = kArgDiffuse;
    bool blend = false;
    uint32_t srcBlend = kBlendOne, destBlend = kBlendZero;
    uint32_t srcBlendAlpha = kBlendOne, destBlendAlpha = kBlendZero;  // already resolved: equal to the
                                                                      // colour factors unless separate
    uint32_t writeMask = 0xF;  // kWriteRed | kWriteGreen | kWriteBlue | kWriteAlpha
    uint32_t cull = kCullNone;
    // The target has no alpha channel: destination alpha reads 0xFF and
    // every written pixel stays opaque.
    bool opaqueTarget = false;
};

// n pixels copied with orMask OR-ed into each (a memcpy when it is 0); the
// ranges must not overlap.
void CopyPixels(uint32_t* dst, const uint32_t* src, int32_t n, uint32_t orMask);

// Rows drawn with AVX2 where the processor has it (the default), or with the
// baseline SSE2 code (tests compare both). Returns whether AVX2 is now used.
bool UseWideVectors(bool on);

class Rasterizer {
public:
    explicit Rasterizer(const RasterState& state);

    void Triangle(const ScreenVertex& a, const ScreenVertex& b, const ScreenVertex& c);
    // Corners top-left, top-right, bottom-right, bottom-left of a quad drawn as
    // triangles (0, 1, 2) and (0, 2, 3). Draws it and returns true when it is
    // axis-aligned with one colour and axis-aligned texture coordinates;
    // otherwise returns false and draws nothing.
    bool AlignedQuad(const ScreenVertex& tl, const ScreenVertex& tr, const ScreenVertex& br, const ScreenVertex& bl);

    // One row of pixels: count pixels from (x, y); texture coordinates in
    // texel units, 32.32 fixed point, with their step per pixel; diffuse
    // either constant or as 16.16 channels (A, R, G, B) with steps.
    struct Span {
        int32_t x = 0, y = 0, count = 0;
        int64_t u = 0, v = 0, du = 0, dv = 0;
        bool gouraud = false;
        uint32_t colour = 0xFFFFFFFF;
        int64_t c[4] = {}, dc[4] = {};
    };
    void DrawSpan(const Span& span);
    // Colours made elsewhere (an effect) written at (x, y) through the
    // blend and write-mask states; the row must lie inside the clip.
    void WriteRow(int32_t x, int32_t y, const uint32_t* colours, int32_t count) const
    {
        Write(st_.target + int64_t(y) * st_.targetPitch + x, colours, count);
    }

private:
    enum class Writer { Copy, AlphaBlend, Generic };
    const uint32_t* Source(const Span& s, int32_t offset, int32_t n, uint32_t* texels, uint32_t* diffuse,
                           uint32_t* out);
    void Write(uint32_t* dst, const uint32_t* src, int32_t n) const;
    bool CopyRows(const Span& s, int64_t v, int64_t dv, int64_t ys, int64_t ye);

    RasterState st_;
    bool textured_;
    bool plainModulate_;  // colour and alpha: texture (or white) x diffuse
    bool wrapPow2U_, wrapPow2V_;
    Writer writer_;
    uint32_t orMask_ = 0;  // OR-ed into written pixels: keeps targets without alpha opaque
};

}  // namespace plat::softgpu
