// Sections, in order: the device and its back buffer and default states;
// life cycle (cooperative level, loss, reset, present and frame capture);
// objects (textures, surfaces, render targets, vertex and index buffers);
// scene and states (begin and end, clear, render, stage and sampler states,
// streams, targets, scissor); drawing (primitives, the raster state, the
// triangles, effects); copies (stretch, fill, update).
#include "sgDevice.h"

#include "sgCapture.h"
#include "sgEffect.h"
#include "sgRaster.h"

#include <algorithm>
#include <vector>
#include <cstdio>
#include <cstring>
#include <string>
#include <system_error>
#include <thread>

namespace plat::softgpu {

namespace {

bool Intersect(const Rect& a, const Rect& b, Rect& out)
{
    out = {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
    return out.left < out.right && out.top < out.bottom;
}

bool Inside(const Rect& r, const Surface& s)
{
    return r.left >= 0 && r.top >= 0 && r.right <= s.Width() && r.bottom <= s.Height() && r.left < r.right &&
           r.top < r.bottom;
}

// Surfaces without an alpha channel hold opaque pixels whatever is written.
inline uint32_t AlphaFix(const Surface& s) { return HasAlphaChannel(s.GetDesc().format) ? 0u : 0xFF000000u; }

}  // namespace

Device::Device(const PresentParameters& params)
    : params_(params), liveDefault_(std::make_shared<std::atomic<int32_t>>(0))
{
    MakeBackBuffer();
    DefaultStates();
}

Device::~Device() = default;

void Device::MakeBackBuffer()
{
    SurfaceDesc d;
    d.format = params_.backBufferFormat == kFormatUnknown ? kFormatX8R8G8B8 : params_.backBufferFormat;
    d.usage = kUsageRenderTarget;
    d.width = params_.backBufferWidth;
    d.height = params_.backBufferHeight;
    backBuffer_ = std::make_shared<Surface>(d);
    target_ = backBuffer_;
    depth_.reset();
    if (params_.enableAutoDepthStencil) {
        d.format = params_.autoDepthStencilFormat;
        d.usage = kUsageDepthStencil;
        depth_ = std::make_shared<Surface>(d);
    }
}

void Device::DefaultStates()
{
    renderStates_.fill(0);
    renderStates_[kRsZEnable] = params_.enableAutoDepthStencil ? 1 : 0;
    renderStates_[kRsFillMode] = kFillSolid;
    renderStates_[kRsZWriteEnable] = 1;
    renderStates_[kRsSrcBlend] = kBlendOne;
    renderStates_[kRsDestBlend] = kBlendZero;
    // Only screen-space 2-D triangles are drawn here: nothing is culled unless asked.
    renderStates_[kRsCullMode] = kCullNone;
    renderStates_[kRsLighting] = 1;
    renderStates_[kRsColorWriteEnable] = 0xF;
    renderStates_[kRsBlendOp] = kBlendOpAdd;
    renderStates_[kRsSrcBlendAlpha] = kBlendOne;
    renderStates_[kRsDestBlendAlpha] = kBlendZero;
    renderStates_[kRsBlendOpAlpha] = kBlendOpAdd;
    stageStates_.fill(0);
    stageStates_[kTssColorOp] = kTopModulate;
    stageStates_[kTssColorArg1] = kArgTexture;
    stageStates_[kTssColorArg2] = kArgCurrent;
    stageStates_[kTssAlphaOp] = kTopSelectArg1;
    stageStates_[kTssAlphaArg1] = kArgTexture;
    stageStates_[kTssAlphaArg2] = kArgCurrent;
    samplerStates_.fill(0);
    samplerStates_[kSampAddressU] = kAddressWrap;
    samplerStates_[kSampAddressV] = kAddressWrap;
    samplerStates_[kSampMagFilter] = kFilterPoint;
    samplerStates_[kSampMinFilter] = kFilterPoint;
    scissor_ = {0, 0, int32_t(params_.backBufferWidth), int32_t(params_.backBufferHeight)};
    texture_.reset();
    stream_.reset();
    indexBuffer_.reset();
    streamOffset_ = streamStride_ = fvf_ = 0;
}

// ---------------------------------------------------------------- life cycle

int32_t Device::TestCooperativeLevel()
{
    switch (lost_) {
    case LossState::None: return kOk;
    case LossState::Lost: lost_ = LossState::NotReset; return kDeviceLost;
    case LossState::NotReset: return kDeviceNotReset;
    }
    return kOk;
}

void Device::SimulateDeviceLoss()
{
    lost_ = LossState::Lost;
    inScene_ = false;
}

int32_t Device::Reset(PresentParameters& params)
{
    if (liveDefault_->load() != 0) return kInvalidCall;
    if (!SizeAllowed(params.backBufferWidth, params.backBufferHeight)) return kBadArgument;
    if (params.backBufferFormat == kFormatUnknown) params.backBufferFormat = kFormatX8R8G8B8;
    void* window = params_.deviceWindow;
    params_ = params;
    if (!params_.deviceWindow) params_.deviceWindow = window;
    MakeBackBuffer();
    DefaultStates();
    inScene_ = false;
    lost_ = LossState::None;
    return kOk;
}

int32_t Device::Present()
{
    if (lost_ != LossState::None) return kDeviceLost;
    if (inScene_) return kInvalidCall;
    ++presents_;
    const Surface& b = *backBuffer_;
    if (sink_) sink_(b.Pixels(), b.Width() * 4, b.Width(), b.Height());
    else RoutePresent(params_.deviceWindow, b.Pixels(), b.Width() * 4, b.Width(), b.Height());
    const std::string folder = FrameCaptureFolder();
    if (!folder.empty()) {
        char name[32];
        std::snprintf(name, sizeof name, "frame_%06lld.png", static_cast<long long>(presents_));
        (void)WritePng(b, folder + (folder.back() == '/' ? "" : "/") + name);  // a developer aid: a lost frame is skipped
    }
    return kOk;
}

// ---------------------------------------------------------------- objects

int32_t Device::CreateTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage, uint32_t format,
                              uint32_t pool, std::shared_ptr<Texture>& out)
{
    out.reset();
    if (!SizeAllowed(width, height)) return kBadArgument;
    if (!IsColourFormat(format)) return kInvalidCall;
    if ((usage & kUsageRenderTarget) && pool != kPoolDefault) return kInvalidCall;
    out = Texture::Make(width, height, levels, usage, format, pool, liveDefault_);
    return kOk;
}

int32_t Device::CreateOffscreenPlainSurface(uint32_t width, uint32_t height, uint32_t format, uint32_t pool,
                                            std::shared_ptr<Surface>& out)
{
    out.reset();
    if (!SizeAllowed(width, height)) return kBadArgument;
    if (!IsColourFormat(format) || pool == kPoolManaged) return kInvalidCall;
    SurfaceDesc d;
    d.format = format;
    d.pool = pool;
    d.width = width;
    d.height = height;
    out = std::make_shared<Surface>(d, liveDefault_);
    return kOk;
}

int32_t Device::CreateRenderTarget(uint32_t width, uint32_t height, uint32_t format, uint32_t, uint32_t, bool,
                                   std::shared_ptr<Surface>& out)
{
    out.reset();
    if (!SizeAllowed(width, height)) return kBadArgument;
    if (!IsColourFormat(format)) return kInvalidCall;
    SurfaceDesc d;
    d.format = format;
    d.usage = kUsageRenderTarget;
    d.width = width;
    d.height = height;
    out = std::make_shared<Surface>(d, liveDefault_);
    return kOk;
}

int32_t Device::CreateVertexBuffer(uint32_t length, uint32_t usage, uint32_t fvf, uint32_t pool,
                                   std::shared_ptr<Buffer>& out)
{
    out.reset();
    if (length == 0) return kInvalidCall;
    out = std::make_shared<Buffer>(length, usage, fvf, pool, false, liveDefault_);
    return kOk;
}

int32_t Device::CreateIndexBuffer(uint32_t length, uint32_t usage, uint32_t format, uint32_t pool,
                                  std::shared_ptr<Buffer>& out)
{
    out.reset();
    if (length == 0 || (format != kFormatIndex16 && format != kFormatIndex32)) return kInvalidCall;
    out = std::make_shared<Buffer>(length, usage, format, pool, true, liveDefault_);
    return kOk;
}

int32_t Device::GetBackBuffer(uint32_t swapChain, uint32_t index, std::shared_ptr<Surface>& out) const
{
    out.reset();
    if (swapChain != 0 || index != 0) return kInvalidCall;
    out = backBuffer_;
    return kOk;
}

int32_t Device::GetDepthStencilSurface(std::shared_ptr<Surface>& out) const
{
    out = depth_;
    return depth_ ? kOk : kNotAvailable;
}

// ---------------------------------------------------------------- scene and states

int32_t Device::BeginScene()
{
    if (inScene_) return kInvalidCall;
    inScene_ = true;
    return kOk;
}

int32_t Device::EndScene()
{
    if (!inScene_) return kInvalidCall;
    inScene_ = false;
    return kOk;
}

int32_t Device::Clear(uint32_t count, const Rect* rects, uint32_t flags, uint32_t colour, float, uint32_t)
{
    if ((flags & (kClearZBuffer | kClearStencil)) && !depth_) return kInvalidCall;
    if (!(flags & kClearTarget) || lost_ != LossState::None) return kOk;
    Rect limit = target_->Bounds(), area;
    if (renderStates_[kRsScissorTestEnable] && !Intersect(limit, scissor_, limit)) return kOk;
    colour |= AlphaFix(*target_);
    auto fill = [&](const Rect& r) {
        if (!Intersect(limit, r, area)) return;
        for (int32_t y = area.top; y < area.bottom; ++y) {
            uint32_t* row = target_->Pixels() + int64_t(y) * target_->PitchPixels();
            std::fill(row + area.left, row + area.right, colour);
        }
    };
    if (!rects || count == 0) fill(limit);
    else
        for (uint32_t i = 0; i < count; ++i) fill(rects[i]);
    return kOk;
}

int32_t Device::SetRenderState(uint32_t state, uint32_t value)
{
    if (state >= kRenderStateCount) return kInvalidCall;
    renderStates_[state] = value;
    return kOk;
}

int32_t Device::GetRenderState(uint32_t state, uint32_t& value) const
{
    if (state >= kRenderStateCount) return kInvalidCall;
    value = renderStates_[state];
    return kOk;
}

int32_t Device::SetTextureStageState(uint32_t stage, uint32_t type, uint32_t value)
{
    if (type >= kStageStateCount) return kInvalidCall;
    if (stage == 0) stageStates_[type] = value;  // later stages are accepted and never used
    return stage < 8 ? kOk : kInvalidCall;
}

int32_t Device::GetTextureStageState(uint32_t stage, uint32_t type, uint32_t& value) const
{
    if (stage != 0 || type >= kStageStateCount) return kInvalidCall;
    value = stageStates_[type];
    return kOk;
}

int32_t Device::SetSamplerState(uint32_t sampler, uint32_t type, uint32_t value)
{
    if (type >= kSamplerStateCount) return kInvalidCall;
    if (sampler == 0) samplerStates_[type] = value;
    return sampler < 16 ? kOk : kInvalidCall;
}

int32_t Device::GetSamplerState(uint32_t sampler, uint32_t type, uint32_t& value) const
{
    if (sampler != 0 || type >= kSamplerStateCount) return kInvalidCall;
    value = samplerStates_[type];
    return kOk;
}

int32_t Device::SetTexture(uint32_t stage, std::shared_ptr<Texture> texture)
{
    if (stage >= 8) return kInvalidCall;
    if (stage == 0) texture_ = std::move(texture);
    return kOk;
}

std::shared_ptr<Texture> Device::GetTexture(uint32_t stage) const
{
    return stage == 0 ? texture_ : nullptr;
}

int32_t Device::SetFVF(uint32_t fvf)
{
    fvf_ = fvf;
    return kOk;
}

int32_t Device::SetStreamSource(uint32_t stream, std::shared_ptr<Buffer> buffer, uint32_t offset, uint32_t stride)
{
    if (stream != 0 || (buffer && buffer->HoldsIndices())) return kInvalidCall;
    stream_ = std::move(buffer);
    streamOffset_ = offset;
    streamStride_ = stride;
    return kOk;
}

int32_t Device::SetIndices(std::shared_ptr<Buffer> buffer)
{
    if (buffer && !buffer->HoldsIndices()) return kInvalidCall;
    indexBuffer_ = std::move(buffer);
    return kOk;
}

int32_t Device::SetRenderTarget(uint32_t index, std::shared_ptr<Surface> surface)
{
    if (index != 0 || !surface || !(surface->GetDesc().usage & kUsageRenderTarget) || !surface->HasPixels())
        return kInvalidCall;
    target_ = std::move(surface);
    // Setting a target resets the scissor rectangle to its size.
    scissor_ = target_->Bounds();
    return kOk;
}

int32_t Device::GetRenderTarget(uint32_t index, std::shared_ptr<Surface>& out) const
{
    out.reset();
    if (index != 0) return kInvalidCall;
    out = target_;
    return kOk;
}

int32_t Device::SetScissorRect(const Rect& rect)
{
    if (rect.left > rect.right || rect.top > rect.bottom) return kInvalidCall;
    scissor_ = rect;
    return kOk;
}

int32_t Device::GetScissorRect(Rect& out) const
{
    out = scissor_;
    return kOk;
}

// ---------------------------------------------------------------- drawing

int32_t Device::DrawIndexedPrimitive(uint32_t type, int32_t baseVertex, uint32_t, uint32_t, uint32_t startIndex,
                                     uint32_t primitiveCount)
{
    if (type != kPrimitiveTriangleList || !stream_ || !indexBuffer_) return kInvalidCall;
    if (primitiveCount == 0) return kOk;
    if (primitiveCount > 0x3FFFFFFFu) return kInvalidCall;
    bool wide = indexBuffer_->IndexFormat() == kFormatIndex32;
    uint64_t indexBytes = (uint64_t(startIndex) + uint64_t(primitiveCount) * 3) * (wide ? 4 : 2);
    if (indexBytes > indexBuffer_->Length()) return kInvalidCall;
    if (streamOffset_ > stream_->Length()) return kInvalidCall;
    const uint8_t* indices = indexBuffer_->Data() + size_t(startIndex) * (wide ? 4 : 2);
    return DrawTriangles(stream_->Data() + streamOffset_, stream_->Length() - streamOffset_, streamStride_, indices,
                         wide, primitiveCount * 3, baseVertex);
}

int32_t Device::DrawIndexedPrimitiveUP(uint32_t type, uint32_t, uint32_t numVertices, uint32_t primitiveCount,
                                       const void* indices, uint32_t indexFormat, const void* vertices,
                                       uint32_t stride)
{
    if (type != kPrimitiveTriangleList || !indices || !vertices) return kInvalidCall;
    if (indexFormat != kFormatIndex16 && indexFormat != kFormatIndex32) return kInvalidCall;
    // Drawing from user memory leaves no stream or indices bound.
    stream_.reset();
    indexBuffer_.reset();
    if (uint64_t(numVertices) * stride > 0xFFFFFFFFu || primitiveCount > 0x3FFFFFFFu) return kInvalidCall;
    return DrawTriangles(static_cast<const uint8_t*>(vertices), numVertices * stride, stride, indices,
                         indexFormat == kFormatIndex32, primitiveCount * 3, 0);
}

int32_t Device::DrawPrimitiveUP(uint32_t type, uint32_t primitiveCount, const void* vertices, uint32_t stride)
{
    if (type != kPrimitiveTriangleList || !vertices || primitiveCount > 0x1000000u) return kInvalidCall;
    if (uint64_t(primitiveCount) * 3 * stride > 0xFFFFFFFFu) return kInvalidCall;
    std::vector<uint32_t> indices(size_t(primitiveCount) * 3);
    for (size_t i = 0; i < indices.size(); ++i) indices[i] = uint32_t(i);
    stream_.reset();
    indexBuffer_.reset();
    return DrawTriangles(static_cast<const uint8_t*>(vertices), uint32_t(indices.size()) * stride, stride,
                         indices.data(), true, uint32_t(indices.size()), 0);
}

// The render target, clip, texture and states drawing uses now; false when
// nothing could be drawn (clipped away, or no channel written).
bool Device::CurrentRasterState(RasterState& st) const
{
    st.target = target_->Pixels();
    st.targetPitch = target_->PitchPixels();
    st.clip = target_->Bounds();
    if (renderStates_[kRsScissorTestEnable] && !Intersect(st.clip, scissor_, st.clip)) return false;
    if (texture_) {
        const Surface& level = texture_->Level0();
        st.texture = level.Pixels();
        st.texturePitch = level.PitchPixels();
        st.textureWidth = level.Width();
        st.textureHeight = level.Height();
    }
    st.linear = samplerStates_[kSampMagFilter] == kFilterLinear || samplerStates_[kSampMinFilter] == kFilterLinear;
    st.addressU = samplerStates_[kSampAddressU];
    st.addressV = samplerStates_[kSampAddressV];
    st.colourOp = stageStates_[kTssColorOp];
    st.colourArg1 = stageStates_[kTssColorArg1];
    st.colourArg2 = stageStates_[kTssColorArg2];
    st.alphaOp = stageStates_[kTssAlphaOp];
    st.alphaArg1 = stageStates_[kTssAlphaArg1];
    st.alphaArg2 = stageStates_[kTssAlphaArg2];
    st.blend = renderStates_[kRsAlphaBlendEnable] != 0;
    st.srcBlend = renderStates_[kRsSrcBlend];
    st.destBlend = renderStates_[kRsDestBlend];
    bool separate = renderStates_[kRsSeparateAlphaBlendEnable] != 0;
    st.srcBlendAlpha = separate ? renderStates_[kRsSrcBlendAlpha] : st.srcBlend;
    st.destBlendAlpha = separate ? renderStates_[kRsDestBlendAlpha] : st.destBlend;
    st.writeMask = renderStates_[kRsColorWriteEnable] & 0xF;
    st.cull = renderStates_[kRsCullMode];
    st.opaqueTarget = !HasAlphaChannel(target_->GetDesc().format);
    return st.writeMask != 0;
}

int32_t Device::DrawTriangles(const uint8_t* vertices, uint32_t vertexBytes, uint32_t stride, const void* indices,
                              bool indices32, uint32_t indexCount, int32_t baseVertex)
{
    if (fvf_ != kFvfScreenVertex || stride < sizeof(ScreenVertex)) return kInvalidCall;
    ++drawCalls_;
    triangles_ += indexCount / 3;
    if (lost_ != LossState::None) return kOk;  // a lost device swallows drawing

    RasterState st;
    if (!CurrentRasterState(st)) return kOk;
    Rasterizer raster(st);

    const uint32_t vertexCount = vertexBytes / stride;
    auto indexAt = [&](uint32_t i) -> int64_t {
        int64_t v = indices32 ? int64_t(static_cast<const uint32_t*>(indices)[i])
                              : int64_t(static_cast<const uint16_t*>(indices)[i]);
        return v + baseVertex;
    };
    auto fetch = [&](int64_t index, ScreenVertex& out) {
        if (index < 0 || index >= int64_t(vertexCount)) return false;
        std::memcpy(&out, vertices + size_t(index) * stride, sizeof(ScreenVertex));
        return true;
    };
    ScreenVertex v[4];
    int32_t result = kOk;
    for (uint32_t t = 0; t + 3 <= indexCount; t += 3) {
        int64_t i0 = indexAt(t), i1 = indexAt(t + 1), i2 = indexAt(t + 2);
        if (!fetch(i0, v[0]) || !fetch(i1, v[1]) || !fetch(i2, v[2])) {
            result = kInvalidCall;  // an index outside the vertices: that triangle is skipped
            continue;
        }
        // Two triangles (a, b, c) and (a, c, d) of an axis-aligned quad go together.
        if (t + 6 <= indexCount && indexAt(t + 3) == i0 && indexAt(t + 4) == i2 && fetch(indexAt(t + 5), v[3]) &&
            raster.AlignedQuad(v[0], v[1], v[2], v[3])) {
            t += 3;
            continue;
        }
        raster.Triangle(v[0], v[1], v[2]);
    }
    return result;
}

int32_t DefaultEffectThreads()
{
    const unsigned n = std::thread::hardware_concurrency();
    return n == 0 ? 1 : int32_t(std::min(n, 4u));
}

int32_t Device::DrawEffect(Effect& effect, int32_t technique, const Rect& dest, float u0, float v0, float u1,
                           float v1)
{
    if (dest.left > dest.right || dest.top > dest.bottom) return kInvalidCall;
    ++drawCalls_;
    triangles_ += 2;
    if (lost_ != LossState::None) return kOk;
    const int32_t w = dest.Width(), h = dest.Height();
    if (w == 0 || h == 0) return kOk;
    if (!effect.Begin(technique, w, h)) return kInvalidCall;
    RasterState st;
    Rect area;
    if (!CurrentRasterState(st) || !Intersect(st.clip, dest, area)) return kOk;
    st.texture = nullptr;  // the effect samples its own textures
    const Rasterizer raster(st);
    const float du = (u1 - u0) / float(w), dv = (v1 - v0) / float(h);
    // Rows are independent: bands of them are shaded side by side.
    auto band = [&](int32_t top, int32_t bottom) {
        std::vector<float> scratch = effect.NewScratch();
        std::vector<uint32_t> row(size_t(area.Width()));
        for (int32_t y = top; y < bottom; ++y) {
            effect.Shade(scratch, area.left - dest.left, y - dest.top, area.Width(), u0, v0, du, dv, row.data());
            raster.WriteRow(area.left, y, row.data(), area.Width());
        }
    };
    const int64_t pixels = int64_t(area.Width()) * area.Height();
    const int32_t workers = int32_t(std::clamp<int64_t>(pixels / kEffectPixelsPerThread, 1, effectThreads_));
    const int32_t rows = area.Height(), step = (rows + workers - 1) / workers;
    std::vector<std::thread> helpers;
    for (int32_t top = area.top + step; top < area.bottom; top += step) {
        const int32_t bottom = std::min(top + step, area.bottom);
        try {
            helpers.emplace_back(band, top, bottom);
        } catch (const std::system_error&) {
            band(top, bottom);  // no thread to be had: this one does it
        }
    }
    band(area.top, std::min(area.top + step, area.bottom));
    for (std::thread& t : helpers) t.join();
    return kOk;
}

// ---------------------------------------------------------------- copies

int32_t Device::StretchRect(Surface* source, const Rect* sourceRect, Surface* dest, const Rect* destRect,
                            uint32_t filter)
{
    if (!source || !dest || !source->HasPixels() || !dest->HasPixels()) return kInvalidCall;
    Rect sr = sourceRect ? *sourceRect : source->Bounds(), dr = destRect ? *destRect : dest->Bounds();
    if (!Inside(sr, *source) || !Inside(dr, *dest)) return kInvalidCall;
    if (source == dest) {
        Rect overlap;
        if (Intersect(sr, dr, overlap)) return kInvalidCall;
    }
    const uint32_t fix = AlphaFix(*source) | AlphaFix(*dest);
    const int32_t sw = sr.Width(), sh = sr.Height(), dw = dr.Width(), dh = dr.Height();
    if (sw == dw && sh == dh) {
        for (int32_t y = 0; y < dh; ++y) {
            const uint32_t* s = source->Pixels() + int64_t(sr.top + y) * source->PitchPixels() + sr.left;
            uint32_t* d = dest->Pixels() + int64_t(dr.top + y) * dest->PitchPixels() + dr.left;
            CopyPixels(d, s, dw, fix);
        }
        return kOk;
    }
    if (filter != kFilterLinear) {
        // Nearest texel: the column of each destination pixel is the same on
        // every row, so it is worked out once.
        std::vector<int32_t> columns(size_t(dw), 0);
        for (int32_t x = 0; x < dw; ++x) columns[size_t(x)] = sr.left + std::clamp(int32_t((x + 0.5) * sw / dw), 0, sw - 1);
        for (int32_t y = 0; y < dh; ++y) {
            const int32_t sy = std::clamp(int32_t((y + 0.5) * sh / dh), 0, sh - 1);
            const uint32_t* s = source->Pixels() + int64_t(sr.top + sy) * source->PitchPixels();
            uint32_t* d = dest->Pixels() + int64_t(dr.top + y) * dest->PitchPixels() + dr.left;
            for (int32_t x = 0; x < dw; ++x) d[x] = s[columns[size_t(x)]] | fix;
        }
        return kOk;
    }
    for (int32_t y = 0; y < dh; ++y) {
        uint32_t* d = dest->Pixels() + int64_t(dr.top + y) * dest->PitchPixels() + dr.left;
        // Sample positions at destination pixel centres, in source texels.
        double fy = (y + 0.5) * sh / dh - 0.5;
        for (int32_t x = 0; x < dw; ++x) {
            double fx = (x + 0.5) * sw / dw - 0.5;
            double cx = std::clamp(fx, 0.0, double(sw - 1)), cy = std::clamp(fy, 0.0, double(sh - 1));
            int32_t x0 = int32_t(cx), y0 = int32_t(cy);
            int32_t x1 = std::min(x0 + 1, sw - 1), y1 = std::min(y0 + 1, sh - 1);
            double wx = cx - x0, wy = cy - y0;
            uint32_t p[4] = {source->PixelAt(sr.left + x0, sr.top + y0) | fix,
                             source->PixelAt(sr.left + x1, sr.top + y0) | fix,
                             source->PixelAt(sr.left + x0, sr.top + y1) | fix,
                             source->PixelAt(sr.left + x1, sr.top + y1) | fix};
            uint32_t out = 0;
            for (int shift = 0; shift < 32; shift += 8) {
                double top = ((p[0] >> shift) & 0xFF) * (1 - wx) + ((p[1] >> shift) & 0xFF) * wx;
                double bottom = ((p[2] >> shift) & 0xFF) * (1 - wx) + ((p[3] >> shift) & 0xFF) * wx;
                out |= uint32_t(top * (1 - wy) + bottom * wy + 0.5) << shift;
            }
            d[x] = out;
        }
    }
    return kOk;
}

int32_t Device::ColorFill(Surface* surface, const Rect* rect, uint32_t colour)
{
    if (!surface || !surface->HasPixels()) return kInvalidCall;
    Rect r = rect ? *rect : surface->Bounds(), area;
    if (!Intersect(r, surface->Bounds(), area)) return rect ? kInvalidCall : kOk;
    colour |= AlphaFix(*surface);
    for (int32_t y = area.top; y < area.bottom; ++y) {
        uint32_t* row = surface->Pixels() + int64_t(y) * surface->PitchPixels();
        std::fill(row + area.left, row + area.right, colour);
    }
    return kOk;
}

int32_t Device::UpdateSurface(Surface* source, const Rect* sourceRect, Surface* dest, const Point* destPoint)
{
    if (!source || !dest) return kInvalidCall;
    Rect sr = sourceRect ? *sourceRect : source->Bounds();
    Point p = destPoint ? *destPoint : Point{sr.left, sr.top};
    Rect dr{p.x, p.y, p.x + sr.Width(), p.y + sr.Height()};
    if (source->GetDesc().format != dest->GetDesc().format) return kInvalidCall;
    return StretchRect(source, &sr, dest, &dr, kFilterNone);
}

}  // namespace plat::softgpu
