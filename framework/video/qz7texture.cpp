#include "qz7texture.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "qz7files.h"
#include "qz7rendercache.h"
#include "qz7surface.h"
#include "imImage.h"
#include "sgImageFiles.h"
#include "sgRaster.h"

namespace sg = plat::softgpu;

namespace {

sg::Device* NativeDevice()
{
    TQZDirect3DDevice* device = Direct3DDevice();
    return device ? device->Device() : nullptr;
}

uint32_t TextureFormat()
{
    TQZDirect3D* d3d = SingletonExists(QZSLOT_DIRECT3D) ? Direct3D() : nullptr;
    return d3d ? d3d->textureFormat : sg::kFormatA8R8G8B8;
}

// Largest side the device takes; the device's own limit without caps.
bool SizeFits(int64_t w, int64_t h)
{
    int64_t maxW = sg::kMaxTextureSize, maxH = sg::kMaxTextureSize;
    if (TQZDirect3D* d3d = SingletonExists(QZSLOT_DIRECT3D) ? Direct3D() : nullptr) {
        if (d3d->maxTextureWidth > 0) maxW = d3d->maxTextureWidth;
        if (d3d->maxTextureHeight > 0) maxH = d3d->maxTextureHeight;
    }
    return w >= 1 && h >= 1 && w <= maxW && h <= maxH;
}

std::string CurrentFolder()
{
    std::error_code ec;
    std::string dir = std::filesystem::current_path(ec).string();
    return ec ? std::string() : dir;
}

}  // namespace

// ---------------------------------------------------------------- creation

TQZTexture::~TQZTexture() { Release(); }

std::unique_ptr<TQZTexture> TQZTexture::CreateFromFile(const std::string& fileName, TQZColour colourKey,
                                                       bool mipmapped)
{
    auto t = std::make_unique<TQZTexture>();
    if (t->LoadFromFile(fileName, colourKey, mipmapped) != QZRES_OK) return nullptr;
    return t;
}

std::unique_ptr<TQZTexture> TQZTexture::CreateFromMemory(const void* data, int32_t length, TQZColour colourKey)
{
    auto t = std::make_unique<TQZTexture>();
    if (t->LoadFromMemory(data, length, 0, colourKey) != QZRES_OK) return nullptr;
    return t;
}

int32_t TQZTexture::CreateRenderTarget(std::unique_ptr<TQZTexture>& out, int32_t w, int32_t h)
{
    out.reset();
    auto t = std::make_unique<TQZTexture>();
    int32_t r = t->CreateD3DRenderTarget(w, h);
    if (r != QZRES_OK) return r;
    out = std::move(t);
    return QZRES_OK;
}

std::unique_ptr<TQZTexture> TQZTexture::CreateOfSize(int32_t w, int32_t h)
{
    auto t = std::make_unique<TQZTexture>();
    if (t->CreateD3DTexture(w, h) != QZRES_OK) return nullptr;
    return t;
}

std::unique_ptr<TQZTexture> TQZTexture::CreateResampled(TQZTexture* source, int32_t w, int32_t h)
{
    if (!source || !source->HasTexture()) return nullptr;
    auto t = std::make_unique<TQZTexture>();
    if (t->CreateD3DTexture(w, h) != QZRES_OK) return nullptr;
    TQZTexturePixelData* from = source->PixelData();
    TQZTexturePixelData* to = t->PixelData();
    if (from->Lock(1) != QZRES_OK) return nullptr;
    int32_t r = to->Lock(0);
    if (r == QZRES_OK) {
        r = to->CopyResampled(from, source->GetRect(), t->GetRect());
        to->Unlock();
    }
    from->Unlock();
    return r == QZRES_OK ? std::move(t) : nullptr;
}

uint32_t TQZTexture::SamplerStates()
{
    sg::Device* device = NativeDevice();
    if (!device) return 0;
    uint32_t mag = 0, min = 0, u = 0, v = 0;
    (void)device->GetSamplerState(0, sg::kSampMagFilter, mag);
    (void)device->GetSamplerState(0, sg::kSampMinFilter, min);
    (void)device->GetSamplerState(0, sg::kSampAddressU, u);
    (void)device->GetSamplerState(0, sg::kSampAddressV, v);
    const uint32_t linear = mag == sg::kFilterLinear || min == sg::kFilterLinear;
    return 0x80000000u | linear << 16 | (u & 0xFF) << 8 | (v & 0xFF);
}

std::unique_ptr<TQZTexture> TQZTexture::CreateDrawnAt(TQZTexture* source, const TQZRect& part, int32_t w, int32_t h)
{
    sg::Device* device = NativeDevice();
    std::shared_ptr<sg::Texture> from = source ? source->DeviceTexture() : nullptr;
    if (!device || !from || w < 1 || h < 1) return nullptr;
    auto t = std::make_unique<TQZTexture>();
    if (t->CreateD3DTexture(w, h) != QZRES_OK || !t->texture_) return nullptr;
    sg::Surface& to = t->texture_->Level0();
    const sg::Surface& level = from->Level0();
    sg::RasterState st;
    st.target = to.Pixels();
    st.targetPitch = to.PitchPixels();
    st.clip = to.Bounds();
    st.texture = level.Pixels();
    st.texturePitch = level.PitchPixels();
    st.textureWidth = level.Width();
    st.textureHeight = level.Height();
    uint32_t mag = 0, min = 0;
    (void)device->GetSamplerState(0, sg::kSampMagFilter, mag);
    (void)device->GetSamplerState(0, sg::kSampMinFilter, min);
    st.linear = mag == sg::kFilterLinear || min == sg::kFilterLinear;
    (void)device->GetSamplerState(0, sg::kSampAddressU, st.addressU);
    (void)device->GetSamplerState(0, sg::kSampAddressV, st.addressV);
    // The quad the render cache makes for the part at (0, 0), copied: the
    // samples exactly as a scaled draw takes them, before tint and blending.
    const TQZRectF uv = source->TextureCoords(part);
    const float r = float(w) - 0.5f, b = float(h) - 0.5f;
    const sg::ScreenVertex tl{-0.5f, -0.5f, 0, 1, 0xFFFFFFFF, 0xFFFFFFFF, uv.left, uv.top};
    const sg::ScreenVertex tr{r, -0.5f, 0, 1, 0xFFFFFFFF, 0xFFFFFFFF, uv.right, uv.top};
    const sg::ScreenVertex br{r, b, 0, 1, 0xFFFFFFFF, 0xFFFFFFFF, uv.right, uv.bottom};
    const sg::ScreenVertex bl{-0.5f, b, 0, 1, 0xFFFFFFFF, 0xFFFFFFFF, uv.left, uv.bottom};
    sg::Rasterizer raster(st);
    if (!raster.AlignedQuad(tl, tr, br, bl)) return nullptr;
    return t;
}

void TQZTexture::TakeLevel0()
{
    sg::SurfaceDesc desc;
    texture_->GetLevelDesc(0, desc);
    texture_->GetSurfaceLevel(0, surface_);
    width = int32_t(desc.width);
    height = int32_t(desc.height);
    texelWidth_ = 1.0f / float(width);
    texelHeight_ = 1.0f / float(height);
    offsetX_ = offsetY_ = 0;
    format_ = desc.format;
}

int32_t TQZTexture::LoadFromFile(const std::string& fileName, TQZColour colourKey, bool mipmapped)
{
    (void)mipmapped;  // the device keeps one level: a mip chain adds nothing
    Release();
    if (fileName.empty()) return ErrorResult(QZRES_BADARG);
    sg::ImageFileInfo info;
    if (sg::GetImageInfoFromFile(fileName, info) != sg::kOk) {
        bool missing = !IsFile(fileName);
        std::string message = "Texture.LoadFromFile(\"" + fileName + "\") error";
        if (missing) message += " - file not found (current dir=\"" + CurrentFolder() + "\")";
        ErrorResult(missing ? QZRES_NOFILE : QZRES_FAILED);
        throw EQZTextureError(message);
    }
    if (!SizeFits(info.width, info.height)) return ErrorResult(QZRES_BADARG);
    sg::Device* device = NativeDevice();
    if (!device) return ErrorResult(QZRES_FAILED);
    std::shared_ptr<sg::Texture> tex;
    int32_t r = sg::CreateTextureFromFile(*device, fileName, 0, TextureFormat(), sg::kPoolManaged, colourKey, tex);
    if (r != sg::kOk) return ErrorResult(r == sg::kBadArgument ? QZRES_BADARG : QZRES_FAILED);
    texture_ = std::move(tex);
    TakeLevel0();
    return QZRES_OK;
}

int32_t TQZTexture::LoadFromMemory(const void* data, int32_t length, uint32_t options, TQZColour colourKey)
{
    (void)options;  // images keep their size, so there is nothing to filter
    Release();
    if (!data || length < 1) return ErrorResult(QZRES_BADARG);
    sg::ImageFileInfo info;
    sg::Device* device = NativeDevice();
    if (sg::GetImageInfoFromFileInMemory(data, size_t(length), info) != sg::kOk || !device)
        return ErrorResult(QZRES_FAILED);
    if (!SizeFits(info.width, info.height)) return ErrorResult(QZRES_BADARG);
    std::shared_ptr<sg::Texture> tex;
    int32_t r = sg::CreateTextureFromFileInMemory(*device, data, size_t(length), 0, TextureFormat(),
                                                  sg::kPoolManaged, colourKey, tex);
    if (r != sg::kOk) return ErrorResult(r == sg::kBadArgument ? QZRES_BADARG : QZRES_FAILED);
    texture_ = std::move(tex);
    TakeLevel0();
    return QZRES_OK;
}

int32_t TQZTexture::CreateD3DTexture(int32_t w, int32_t h) { return CreateDeviceTexture(w, h, false); }

int32_t TQZTexture::CreateD3DRenderTarget(int32_t w, int32_t h) { return CreateDeviceTexture(w, h, true); }

int32_t TQZTexture::CreateDeviceTexture(int32_t w, int32_t h, bool rt)
{
    Release();
    if (!SizeFits(w, h)) return ErrorResult(QZRES_BADARG);
    sg::Device* device = NativeDevice();
    if (!device) return ErrorResult(QZRES_FAILED);
    std::shared_ptr<sg::Texture> tex;
    int32_t r = device->CreateTexture(uint32_t(w), uint32_t(h), 1, rt ? sg::kUsageRenderTarget : 0, TextureFormat(),
                                      rt ? sg::kPoolDefault : sg::kPoolManaged, tex);
    if (r != sg::kOk) return ErrorResult(r == sg::kBadArgument ? QZRES_BADARG : QZRES_FAILED);
    texture_ = std::move(tex);
    TakeLevel0();
    renderTarget_ = rt;
    if (rt) {
        rtSurface_ = std::make_unique<TQZSurfaceRenderTarget>();
        rtSurface_->AttachDevice(surface_);
    }
    return QZRES_OK;
}

int32_t TQZTexture::SaveToMemory(std::unique_ptr<TQZMemory>& memory, int32_t format)
{
    if (!texture_) return ErrorResult(QZRES_FAILED);
    uint32_t fileFormat = format == 0 || format == QZTEXFMT_PNG ? sg::kImageFilePng
                          : format == QZTEXFMT_JPEG             ? sg::kImageFileJpg
                                                                : sg::kImageFileBmp;
    std::vector<uint8_t> bytes;
    if (sg::SaveTextureToFileInMemory(bytes, fileFormat, *texture_) != sg::kOk) return ErrorResult(QZRES_FAILED);
    if (!memory) memory = std::make_unique<TQZMemory>();
    // A buffer that cannot hold the image is a failure, not an empty success.
    if (int32_t r = memory->Resize(int32_t(bytes.size())); r != QZRES_OK) return r;
    return memory->Write(bytes.data(), int32_t(bytes.size()), 0);
}

int32_t TQZTexture::SaveToFile(const std::string& fileName)
{
    std::unique_ptr<TQZMemory> png;
    if (fileName.empty() || SaveToMemory(png, QZTEXFMT_PNG) != QZRES_OK || !png) return ErrorResult(QZRES_FAILED);
    if (WriteFileAtomic(fileName, png->Data(), png->Size()) != QZRES_OK) return ErrorResult(QZRES_FAILED);
    return QZRES_OK;
}

void TQZTexture::Release()
{
    pixelData_.reset();
    rtSurface_.reset();
    texture_.reset();
    surface_.reset();
    format_ = 0;
    renderTarget_ = false;
}

bool TQZTexture::TakeRestoreFailed()
{
    bool failed = restoreFailed_;
    restoreFailed_ = false;
    return failed;
}

TQZTexturePixelData* TQZTexture::PixelData()
{
    if (!pixelData_) pixelData_ = std::make_unique<TQZTexturePixelData>(this);
    return pixelData_.get();
}

void TQZTexture::OnLostDevice()
{
    if (!renderTarget_ || !texture_) return;
    if (pixelData_ && pixelData_->Locked()) pixelData_->Unlock();
    if (rtSurface_) rtSurface_->AttachDevice(nullptr);
    texture_.reset();
    surface_.reset();
    markedForRecreation_ = true;
}

void TQZTexture::OnResetDevice()
{
    if (!markedForRecreation_) return;
    markedForRecreation_ = false;
    int32_t w = width, h = height;
    if (CreateD3DRenderTarget(w, h) != QZRES_OK) {
        restoreFailed_ = true;
        renderTarget_ = true;
        width = w;
        height = h;
    }
}

// ---------------------------------------------------------------- drawing

TQZRectF TQZTexture::TextureCoords(const TQZRect& s) const
{
    return {float(offsetX_ + s.left) * texelWidth_, float(offsetY_ + s.top) * texelHeight_,
            float(offsetX_ + s.right) * texelWidth_, float(offsetY_ + s.bottom) * texelHeight_};
}

void TQZTexture::Draw(const TQZRect& dest, TQZColour colour) { DrawPart(GetRect(), dest, colour); }

void TQZTexture::DrawPart(const TQZRect& source, const TQZRect& dest, TQZColour colour)
{
    TQZRenderCache* cache = CurrentRenderCache();
    if (!cache) return;
    cache->SetTexture(this);
    cache->AddQuad(dest, colour, TextureCoords(source));
}

void TQZTexture::DrawWhole(const TQZRect& dest, TQZColour colour)
{
    TQZRenderCache* cache = CurrentRenderCache();
    if (!cache) return;
    cache->SetTexture(this);
    cache->AddQuad(dest, colour, {0.0f, 0.0f, 1.0f, 1.0f});
}

void TQZTexture::DrawNineSlice(const TQZRect& d, const TQZRect& b, bool drawCentre, TQZColour colour,
                               const TQZRect& s)
{
    // Corners unscaled.
    DrawPart({s.left, s.top, s.left + b.left, s.top + b.top}, {d.left, d.top, d.left + b.left, d.top + b.top}, colour);
    DrawPart({s.right - b.right, s.top, s.right, s.top + b.top}, {d.right - b.right, d.top, d.right, d.top + b.top},
             colour);
    DrawPart({s.left, s.bottom - b.bottom, s.left + b.left, s.bottom},
             {d.left, d.bottom - b.bottom, d.left + b.left, d.bottom}, colour);
    DrawPart({s.right - b.right, s.bottom - b.bottom, s.right, s.bottom},
             {d.right - b.right, d.bottom - b.bottom, d.right, d.bottom}, colour);
    // Edges stretched.
    DrawPart({s.left + b.left, s.top, s.right - b.right, s.top + b.top},
             {d.left + b.left, d.top, d.right - b.right, d.top + b.top}, colour);
    DrawPart({s.left, s.top + b.top, s.left + b.left, s.bottom - b.bottom},
             {d.left, d.top + b.top, d.left + b.left, d.bottom - b.bottom}, colour);
    DrawPart({s.right - b.right, s.top + b.top, s.right, s.bottom - b.bottom},
             {d.right - b.right, d.top + b.top, d.right, d.bottom - b.bottom}, colour);
    DrawPart({s.left + b.left, s.bottom - b.bottom, s.right - b.right, s.bottom},
             {d.left + b.left, d.bottom - b.bottom, d.right - b.right, d.bottom}, colour);
    if (drawCentre)
        DrawPart({s.left + b.left, s.top + b.top, s.right - b.right, s.bottom - b.bottom},
                 {d.left + b.left, d.top + b.top, d.right - b.right, d.bottom - b.bottom}, colour);
}

void TQZTexture::DrawNineSlice(const TQZRect& inner, const TQZRect& dest, bool drawCentre, TQZColour colour)
{
    if (colour < 0x01000000u) return;
    DrawNineSlice(dest, {inner.left, inner.top, width - inner.right, height - inner.bottom}, drawCentre, colour,
                  GetRect());
}

void TQZTexture::DrawScaled(const TQZRect& source, TQZPoint position, TQZColour colour, float xScale, float yScale)
{
    if (xScale == 0.0f || yScale == 0.0f || width < 1 || height < 1) return;
    TQZRenderCache* cache = CurrentRenderCache();
    if (!cache) return;
    float sw = float(width) * xScale, sh = float(height) * yScale;
    TQZRectF tc{float(source.left - position.x) / sw, float(source.top - position.y) / sh,
                float(source.right - position.x) / sw, float(source.bottom - position.y) / sh};
    cache->SetTexture(this);
    cache->AddQuad(source, colour, tc);
}

void TQZTexture::DrawRotated(const TQZRect& source, const TQZRect& dest, TQZColour colour, float angle)
{
    TQZPointF centre{float(dest.left + dest.right) / 2.0f, float(dest.top + dest.bottom) / 2.0f};
    AddRotatedQuad(source, dest, colour, angle, centre);
}

void TQZTexture::DrawRotated(const TQZRect& source, const TQZRect& dest, TQZColour colour, float angle,
                             TQZPointF pivot)
{
    AddRotatedQuad(source, dest, colour, angle, pivot);
}

void TQZTexture::AddRotatedQuad(const TQZRect& source, const TQZRect& d, TQZColour colour, float angle,
                                TQZPointF pivot)
{
    TQZRenderCache* cache = CurrentRenderCache();
    if (!cache) return;
    const float c = std::cos(angle), s = std::sin(angle);
    const TQZRectF tc = TextureCoords(source);
    const float xs[4] = {float(d.left), float(d.right), float(d.right), float(d.left)};
    const float ys[4] = {float(d.top), float(d.top), float(d.bottom), float(d.bottom)};
    const float us[4] = {tc.left, tc.right, tc.right, tc.left};
    const float vs[4] = {tc.top, tc.top, tc.bottom, tc.bottom};
    TQZD3DVertex v[4];
    for (int i = 0; i < 4; ++i) {
        float dx = xs[i] - pivot.x, dy = ys[i] - pivot.y;
        v[i].x = pivot.x + dx * c - dy * s - 0.5f;
        v[i].y = pivot.y + dx * s + dy * c - 0.5f;
        v[i].z = 0;
        v[i].rhw = 1;
        v[i].diffuse = v[i].specular = colour;
        v[i].u = us[i];
        v[i].v = vs[i];
    }
    const uint16_t idx[6] = {0, 1, 2, 0, 2, 3};
    cache->SetTexture(this);
    cache->AddVertices(4, 6, v, idx, 2);
}

int32_t TQZTexture::DrawRectOutline(const TQZRect& r, TQZColour colour)
{
    if (r.left >= r.right || r.top >= r.bottom) return ErrorResult(QZRES_BADARG);
    if (!texture_) return ErrorResult(QZRES_FAILED);
    TQZTexturePixelData* pd = PixelData();
    // A caller already holding the lock keeps it.
    const bool lockHere = !pd->Locked();
    if (lockHere && pd->Lock(0) != QZRES_OK) return ErrorResult(QZRES_FAILED);
    const TQZRect edges[4] = {{r.left, r.top, r.right, r.top + 1},
                              {r.left, r.bottom - 1, r.right, r.bottom},
                              {r.left, r.top + 1, r.left + 1, r.bottom - 1},
                              {r.right - 1, r.top + 1, r.right, r.bottom - 1}};
    for (const TQZRect& e : edges) {
        const TQZRect cut{std::max(e.left, 0), std::max(e.top, 0), std::min(e.right, width),
                          std::min(e.bottom, height)};
        if (cut.left < cut.right && cut.top < cut.bottom) (void)pd->FillRect(cut, colour);
    }
    if (lockHere) pd->Unlock();
    return QZRES_OK;
}

// ---------------------------------------------------------------- sub-rectangles

void TQZTextureSubrect::SetRect(TQZTexture* parent, const TQZRect& rect)
{
    rect_ = rect;
    texture_ = parent ? parent->DeviceTexture() : nullptr;
    surface_ = parent ? parent->DeviceSurface() : nullptr;
    format_ = parent ? parent->Format() : 0;
    width = rect.Width();
    height = rect.Height();
    offsetX_ = rect.left;
    offsetY_ = rect.top;
    int32_t pw = parent ? parent->GetWidth() : 0, ph = parent ? parent->GetHeight() : 0;
    texelWidth_ = pw > 0 ? 1.0f / float(pw) : 0.0f;
    texelHeight_ = ph > 0 ? 1.0f / float(ph) : 0.0f;
}

void TQZTextureSubrect::Release()
{
    pixelData_.reset();
    texture_.reset();
    surface_.reset();
    format_ = 0;
}

// ---------------------------------------------------------------- pixel data

uint32_t BlendPixel(uint32_t source, uint32_t dest)
{
    uint32_t a = source >> 24;
    uint32_t out = 0xFF000000u;
    for (int s = 0; s < 24; s += 8) {
        uint32_t c = (((source >> s) & 0xFF) * a + ((dest >> s) & 0xFF) * (255 - a)) >> 8;
        out |= c << s;
    }
    return out;
}

TQZTexturePixelData::~TQZTexturePixelData()
{
    if (Locked()) Unlock();
}

int32_t TQZTexturePixelData::Lock(int32_t mode)
{
    std::shared_ptr<sg::Texture> tex = texture_ ? texture_->DeviceTexture() : nullptr;
    if (!tex || Locked()) return ErrorResult(QZRES_FAILED);
    // A sub-rectangle locks its own part of the parent's texture.
    sg::Rect part{0, 0, tex->Width(), tex->Height()};
    if (auto* sub = dynamic_cast<TQZTextureSubrect*>(texture_)) {
        const TQZRect& r = sub->SubRect();
        part = {r.left, r.top, r.right, r.bottom};
    }
    sg::LockedRect lr;
    if (tex->LockRect(0, lr, &part, mode == 1 ? sg::kLockReadOnly : 0) != sg::kOk) return ErrorResult(QZRES_FAILED);
    pitch_ = lr.pitch;
    bits_ = static_cast<uint8_t*>(lr.bits);
    locked_ = std::move(tex);
    return QZRES_OK;
}

int32_t TQZTexturePixelData::Unlock()
{
    if (!locked_) return ErrorResult(QZRES_FAILED);
    (void)locked_->UnlockRect(0);  // fails only when not locked, and it was locked above
    locked_.reset();
    pitch_ = 0;
    bits_ = nullptr;
    return QZRES_OK;
}

bool TQZTexturePixelData::Inside(const TQZRect& r) const
{
    return r.left >= 0 && r.top >= 0 && r.right <= texture_->GetWidth() && r.bottom <= texture_->GetHeight() &&
           r.left <= r.right && r.top <= r.bottom;
}

uint32_t TQZTexturePixelData::GetPixel(int32_t x, int32_t y) const
{
    if (!Locked() || x < 0 || y < 0 || x >= texture_->GetWidth() || y >= texture_->GetHeight()) return 0;
    return At(x, y);
}

void TQZTexturePixelData::SetPixel(int32_t x, int32_t y, uint32_t value)
{
    if (!Locked() || x < 0 || y < 0 || x >= texture_->GetWidth() || y >= texture_->GetHeight()) return;
    At(x, y) = value;
}

int32_t TQZTexturePixelData::Clear(uint32_t value) { return FillRect(texture_->GetRect(), value); }

int32_t TQZTexturePixelData::FillRect(const TQZRect& r, uint32_t value)
{
    if (!Locked() || !Inside(r)) return ErrorResult(QZRES_BADARG);
    for (int32_t y = r.top; y < r.bottom; ++y)
        for (int32_t x = r.left; x < r.right; ++x) At(x, y) = value;
    return QZRES_OK;
}

int32_t TQZTexturePixelData::CopyScaled(TQZTexturePixelData* source, const TQZRect& sr, const TQZRect& dr)
{
    if (!source || !Locked() || !source->Locked() || !source->Inside(sr) || !Inside(dr))
        return ErrorResult(QZRES_FAILED);
    // An empty source has no pixel to give a non-empty destination.
    if ((sr.Width() == 0 || sr.Height() == 0) && dr.Width() > 0 && dr.Height() > 0) return ErrorResult(QZRES_FAILED);
    const double sx = dr.Width() ? double(sr.Width()) / dr.Width() : 0.0;
    const double sy = dr.Height() ? double(sr.Height()) / dr.Height() : 0.0;
    for (int32_t y = dr.top; y < dr.bottom; ++y) {
        int32_t ry = std::min(sr.top + int32_t((y - dr.top) * sy), sr.bottom - 1);
        for (int32_t x = dr.left; x < dr.right; ++x) {
            int32_t rx = std::min(sr.left + int32_t((x - dr.left) * sx), sr.right - 1);
            At(x, y) = source->At(rx, ry);
        }
    }
    return QZRES_OK;
}

int32_t TQZTexturePixelData::CopyResampled(TQZTexturePixelData* source, const TQZRect& sr, const TQZRect& dr)
{
    if (!source || !Locked() || !source->Locked() || !source->Inside(sr) || !Inside(dr))
        return ErrorResult(QZRES_FAILED);
    if (sr.Width() == dr.Width() && sr.Height() == dr.Height()) return CopyScaled(source, sr, dr);
    if ((sr.Width() == 0 || sr.Height() == 0) && dr.Width() > 0 && dr.Height() > 0) return ErrorResult(QZRES_FAILED);
    const double sx = dr.Width() ? double(sr.Width()) / dr.Width() : 0.0;
    const double sy = dr.Height() ? double(sr.Height()) / dr.Height() : 0.0;
    for (int32_t y = dr.top; y < dr.bottom; ++y) {
        double fy = sr.top + (y - dr.top) * sy;
        int32_t y0 = std::min(int32_t(fy), sr.bottom - 1), y1 = std::min(y0 + 1, sr.bottom - 1);
        double wy = fy - std::floor(fy);
        for (int32_t x = dr.left; x < dr.right; ++x) {
            double fx = sr.left + (x - dr.left) * sx;
            int32_t x0 = std::min(int32_t(fx), sr.right - 1), x1 = std::min(x0 + 1, sr.right - 1);
            double wx = fx - std::floor(fx);
            uint32_t p[4] = {source->At(x0, y0), source->At(x1, y0), source->At(x0, y1), source->At(x1, y1)};
            uint32_t out = 0;
            for (int s = 0; s < 32; s += 8) {
                double v = ((p[0] >> s) & 0xFF) * (1 - wx) * (1 - wy) + ((p[1] >> s) & 0xFF) * wx * (1 - wy) +
                           ((p[2] >> s) & 0xFF) * (1 - wx) * wy + ((p[3] >> s) & 0xFF) * wx * wy;
                // Rounded, not truncated: weights that sum to 1 only nearly would
                // otherwise turn a uniform 255 into 254.
                out |= uint32_t(std::clamp(int32_t(std::lround(v)), 0, 255)) << s;
            }
            At(x, y) = out;
        }
    }
    return QZRES_OK;
}

int32_t TQZTexturePixelData::CopyTransformed(TQZTexturePixelData* source, const TQZRect& sr, const TQZRect& dr,
                                             TQZPixelFunction function)
{
    if (!source || !function || !Locked() || !source->Locked() || !source->Inside(sr) || !Inside(dr))
        return ErrorResult(QZRES_FAILED);
    if ((sr.Width() == 0 || sr.Height() == 0) && dr.Width() > 0 && dr.Height() > 0) return ErrorResult(QZRES_FAILED);
    const double sx = dr.Width() ? double(sr.Width()) / dr.Width() : 0.0;
    const double sy = dr.Height() ? double(sr.Height()) / dr.Height() : 0.0;
    for (int32_t y = dr.top; y < dr.bottom; ++y) {
        int32_t ry = std::min(sr.top + int32_t(std::lround((y - dr.top) * sy)), sr.bottom - 1);
        for (int32_t x = dr.left; x < dr.right; ++x) {
            int32_t rx = std::min(sr.left + int32_t(std::lround((x - dr.left) * sx)), sr.right - 1);
            At(x, y) = function(source->At(rx, ry), At(x, y));
        }
    }
    return QZRES_OK;
}
