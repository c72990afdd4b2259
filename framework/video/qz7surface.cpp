// Sections, in order: helpers (device, formats, clipping, the back-buffer
// wrapper); base (access modes, device contexts, drawing); copies (Blit and
// its methods, drawing to the screen); loading; one section per kind:
// system memory, video memory, mirrored, render targets, bitmaps; free
// functions (CreateSurface, ScreenSurface).
#include "qz7surface.h"

#include <algorithm>
#include <cstring>

#include "qz7imagedecode.h"
#include "qz7rendercache.h"
#include "qz7videostate.h"
#include "gdiContext.h"
#include "sgImageFiles.h"

namespace sg = plat::softgpu;
namespace gdi = plat::gdi;

namespace {

sg::Device* NativeDevice()
{
    TQZDirect3DDevice* device = Direct3DDevice();
    return device ? device->Device() : nullptr;
}

uint32_t FormatFor(uint32_t flags)
{
    TQZDirect3D* d3d = SingletonExists(QZSLOT_DIRECT3D) ? Direct3D() : nullptr;
    if (flags & QZSURFACE_TEXTUREFORMAT) return d3d ? d3d->textureFormat : sg::kFormatA8R8G8B8;
    return d3d && d3d->desktopFormat ? d3d->desktopFormat : sg::kFormatX8R8G8B8;
}

bool SizeFits(int64_t w, int64_t h) { return w >= 1 && h >= 1 && w <= sg::kMaxTextureSize && h <= sg::kMaxTextureSize; }

void FlushCache()
{
    if (TQZRenderCache* cache = CurrentRenderCache()) cache->FlushBatch();
}

sg::Rect ToSg(const TQZRect& r) { return {r.left, r.top, r.right, r.bottom}; }

bool InsideOf(const TQZRect& r, int32_t w, int32_t h)
{
    return r.left >= 0 && r.top >= 0 && r.right <= w && r.bottom <= h && r.left <= r.right && r.top <= r.bottom;
}

// Clips two rectangles of one size against their surfaces together, so
// that they stay the same size; rectangles of different sizes are clipped
// each to its own surface.
bool ClipTogether(TQZRect& dr, int32_t dw, int32_t dh, TQZRect& sr, int32_t sw, int32_t sh)
{
    if (dr.Width() == sr.Width() && dr.Height() == sr.Height()) {
        int32_t cut = std::max({0, -dr.left, -sr.left});
        dr.left += cut, sr.left += cut;
        cut = std::max({0, -dr.top, -sr.top});
        dr.top += cut, sr.top += cut;
        cut = std::max({0, dr.right - dw, sr.right - sw});
        dr.right -= cut, sr.right -= cut;
        cut = std::max({0, dr.bottom - dh, sr.bottom - sh});
        dr.bottom -= cut, sr.bottom -= cut;
    } else {
        TQZRect d = dr, s = sr;
        IntersectRects(d, {0, 0, dw, dh}, dr);
        IntersectRects(s, {0, 0, sw, sh}, sr);
    }
    return dr.Width() > 0 && dr.Height() > 0 && sr.Width() > 0 && sr.Height() > 0;
}

void AttachBackBuffer(std::unique_ptr<TQZD3DImageClass>& holder, std::shared_ptr<sg::Surface> surface)
{
    auto* rt = dynamic_cast<TQZSurfaceRenderTarget*>(holder.get());
    if (!rt) {
        auto made = std::make_unique<TQZSurfaceRenderTarget>();
        rt = made.get();
        holder = std::move(made);
    }
    rt->AttachDevice(std::move(surface));
}

}  // namespace

void InstallSurfaceUnit() { SetAttachRenderTargetProc(&AttachBackBuffer); }

// ---------------------------------------------------------------- base

TQZSurface::~TQZSurface()
{
    // Release is virtual; from here only the base part is left to free.
    TQZSurface::Release();
}

void TQZSurface::Allocated(int32_t w, int32_t h, uint32_t flags)
{
    width = w;
    height = h;
    flags_ = flags;
    allocated_ = true;
    lost_ = false;
}

int32_t TQZSurface::AllocateDevice(int32_t w, int32_t h, uint32_t flags, bool renderTarget)
{
    Release();
    if (!SizeFits(w, h)) return ErrorResult(QZRES_BADARG);
    sg::Device* device = NativeDevice();
    if (!device) return ErrorResult(QZRES_SURFACE_NOTMADE);
    uint32_t format = FormatFor(flags);
    std::shared_ptr<sg::Surface> s;
    int32_t r;
    if (renderTarget)
        r = device->CreateRenderTarget(uint32_t(w), uint32_t(h), format, sg::kMultiSampleNone, 0,
                                       flags & QZSURFACE_LOCKABLE, s);
    else
        r = device->CreateOffscreenPlainSurface(uint32_t(w), uint32_t(h), format,
                                                kind_ == QZSURFACE_SYSMEM ? sg::kPoolSystemMem : sg::kPoolDefault, s);
    if (r != sg::kOk) return ErrorResult(r == sg::kBadArgument ? QZRES_BADARG : QZRES_SURFACE_NOTMADE);
    surface_ = std::move(s);
    format_ = format;
    Allocated(w, h, flags);
    return QZRES_OK;
}

void TQZSurface::Touched()
{
    (void)BeginAccess(QZACCESS_NONE);  // a plain nesting step cannot fail
    EndAccess();
}

void TQZSurface::Release()
{
    stretched_.reset();
    while (accessDepth_ > 0) EndAccess();
    DropDC();
    UnlockPixels();
    surface_.reset();
    allocated_ = false;
}

bool TQZSurface::TakeDC()
{
    std::shared_ptr<sg::Surface> s = GetD3DSurface();
    if (!s || !s->HasPixels() || s->IsLocked()) return false;
    auto bitmap = std::make_unique<gdi::Bitmap>();
    if (!bitmap->Wrap(s->Pixels(), s->Width(), s->Height(), s->PitchPixels() * 4)) return false;
    dc_ = std::make_unique<gdi::DeviceContext>(bitmap.get());
    dcBitmap_ = std::move(bitmap);
    return true;
}

void TQZSurface::DropDC()
{
    dc_.reset();
    dcBitmap_.reset();
}

bool TQZSurface::LockPixels()
{
    std::shared_ptr<sg::Surface> s = GetD3DSurface();
    sg::LockedRect lr;
    if (!s || s->LockRect(lr, nullptr, 0) != sg::kOk) return false;
    pitch_ = lr.pitch;
    bits_ = static_cast<uint8_t*>(lr.bits);
    return true;
}

void TQZSurface::UnlockPixels()
{
    if (!bits_) return;
    // Fails only when not locked, and it was locked above.
    if (std::shared_ptr<sg::Surface> s = GetD3DSurface()) (void)s->UnlockRect();
    bits_ = nullptr;
    pitch_ = 0;
}

int32_t TQZSurface::BeginAccess(int32_t mode)
{
    stretched_.reset();  // the picture may change
    if (accessMode_ != QZACCESS_NONE) {
        if (mode != QZACCESS_NONE && mode != accessMode_)
            return ErrorResult(accessMode_ == QZACCESS_PLAIN ? QZRES_SURFACE_NOACCESS : QZRES_SURFACE_OTHERACCESS);
        ++accessDepth_;
        return QZRES_OK;
    }
    if (mode == QZACCESS_DC && !TakeDC()) return ErrorResult(QZRES_SURFACE_NOACCESS);
    if (mode == QZACCESS_LOCKED && !LockPixels()) return ErrorResult(QZRES_SURFACE_NOACCESS);
    ++accessDepth_;
    if (mode != QZACCESS_NONE) {
        accessMode_ = mode;
        accessStartDepth_ = accessDepth_;
    }
    return QZRES_OK;
}

int32_t TQZSurface::EndAccess()
{
    if (accessDepth_ <= 0) return ErrorResult(QZRES_FAILED);
    if (accessMode_ != QZACCESS_NONE && accessDepth_ == accessStartDepth_) {
        if (accessMode_ == QZACCESS_DC) DropDC();
        if (accessMode_ == QZACCESS_LOCKED) UnlockPixels();
        accessMode_ = QZACCESS_NONE;
        accessStartDepth_ = 0;
    }
    --accessDepth_;
    return QZRES_OK;
}

TQZDC TQZSurface::GetDC()
{
    if (!dc_ && !TakeDC()) return nullptr;
    return dc_.get();
}

void TQZSurface::ReleaseDC()
{
    if (accessMode_ != QZACCESS_DC) DropDC();
}

bool TQZSurface::GetImageDC(void*& dc)
{
    dc = GetDC();
    return dc != nullptr;
}

const plat::typeface::Typeface* TQZSurface::Font()
{
    if (!fontTried_) {
        fontTried_ = true;
        font_ = plat::typeface::Typeface::Open("Arial", 12);
    }
    return font_.get();
}

void TQZSurface::FillRect(const TQZRect& rect, TQZColour colour)
{
    TQZRect r;
    if (!IntersectRects(rect, GetBounds(), r) || r.Width() <= 0 || r.Height() <= 0) return;
    if (accessMode_ == QZACCESS_LOCKED && bits_) {
        for (int32_t y = r.top; y < r.bottom; ++y) {
            auto* row = reinterpret_cast<uint32_t*>(bits_ + ptrdiff_t(pitch_) * y);
            std::fill(row + r.left, row + r.right, colour);
        }
    } else if (dc_ && (accessMode_ == QZACCESS_DC || kind_ == QZSURFACE_BITMAP)) {
        // False only without a bitmap to draw on: then nothing is drawn.
        (void)dc_->FillRect({r.left, r.top, r.right, r.bottom}, gdi::ColorRefFromArgb(colour));
    }
}

void TQZSurface::FrameRect(const TQZRect& r, TQZColour colour)
{
    FillRect({r.left, r.top, r.right, r.top + 1}, colour);
    FillRect({r.left, r.bottom - 1, r.right, r.bottom}, colour);
    FillRect({r.left, r.top, r.left + 1, r.bottom}, colour);
    FillRect({r.right - 1, r.top, r.right, r.bottom}, colour);
}

void TQZSurface::Clear(TQZColour colour) { FillRect(GetBounds(), colour); }

void TQZSurface::SetPixel(TQZPoint p, TQZColour colour) { FillRect({p.x, p.y, p.x + 1, p.y + 1}, colour); }

void TQZSurface::Polyline(const std::vector<TQZPoint>& points, TQZColour colour)
{
    if (!dc_ || !(accessMode_ == QZACCESS_DC || kind_ == QZSURFACE_BITMAP) || points.size() < 2) return;
    std::vector<gdi::Point> pts;
    for (const TQZPoint& p : points) pts.push_back({p.x, p.y});
    gdi::ColorRef old = dc_->SetPenColor(gdi::ColorRefFromArgb(colour));
    (void)dc_->Polyline(pts.data(), pts.size());  // false only without a bitmap to draw on: then nothing is drawn
    dc_->SetPenColor(old);
}

void TQZSurface::TextOut(TQZPoint p, const std::string& text, TQZColour colour)
{
    if (!dc_ || !(accessMode_ == QZACCESS_DC || kind_ == QZSURFACE_BITMAP)) return;
    dc_->SetBkMode(gdi::BKMODE_TRANSPARENT);
    dc_->SetTextColor(gdi::ColorRefFromArgb(colour));
    dc_->SelectFont(Font());
    (void)dc_->TextOut(p.x, p.y, text);  // false only without a bitmap to draw on: then nothing is drawn
}

// ---------------------------------------------------------------- copies

int32_t TQZSurface::CopyByDC(const TQZRect& dr, TQZSurface* target, const TQZRect& sr)
{
    if (BeginAccess(QZACCESS_DC) != QZRES_OK) return ErrorResult(QZRES_FAILED);
    if (target->BeginAccess(QZACCESS_DC) != QZRES_OK) {
        EndAccess();
        return ErrorResult(QZRES_FAILED);
    }
    gdi::DeviceContext* to = target->dc_.get();
    bool ok;
    if (dr.Width() == sr.Width() && dr.Height() == sr.Height()) {
        ok = to->BitBlt(dr.left, dr.top, dr.Width(), dr.Height(), *dc_, sr.left, sr.top);
    } else {
        int32_t old = to->SetStretchBltMode(gdi::STRETCH_HALFTONE);
        ok = to->StretchBlt(dr.left, dr.top, dr.Width(), dr.Height(), *dc_, sr.left, sr.top, sr.Width(), sr.Height());
        to->SetStretchBltMode(old);
    }
    target->EndAccess();
    EndAccess();
    lastBlitMethod_ = ok ? 4 : 0;
    return ok ? QZRES_OK : ErrorResult(QZRES_FAILED);
}

void TQZSurface::KeepStretched(bool on)
{
    keepStretched_ = on;
    stretched_.reset();
}

bool TQZSurface::StretchBlit(sg::Device& device, const sg::Rect& s, sg::Surface& to, const sg::Rect& d)
{
    std::shared_ptr<sg::Surface> from = GetD3DSurface();
    if (!from) return false;
    const bool sameSize = s.Width() == d.Width() && s.Height() == d.Height();
    if (!keepStretched_ || sameSize)
        return device.StretchRect(from.get(), &s, &to, &d, sg::kFilterNone) == sg::kOk;
    // The copy has the source's format: alpha is fixed up the same way
    // whether the pixels go in one step or two.
    const TQZRect source{s.left, s.top, s.right, s.bottom};
    if (!stretched_ || stretchedFrom_ != from.get() || !(stretchedSource_ == source) ||
        stretched_->Width() != d.Width() || stretched_->Height() != d.Height()) {
        stretched_.reset();
        sg::SurfaceDesc desc = from->GetDesc();
        desc.width = uint32_t(d.Width());
        desc.height = uint32_t(d.Height());
        desc.pool = sg::kPoolSystemMem;
        desc.usage = 0;
        auto copy = std::make_shared<sg::Surface>(desc);
        if (!copy->HasPixels() || device.StretchRect(from.get(), &s, copy.get(), nullptr, sg::kFilterNone) != sg::kOk)
            return device.StretchRect(from.get(), &s, &to, &d, sg::kFilterNone) == sg::kOk;
        stretched_ = std::move(copy);
        stretchedFrom_ = from.get();
        stretchedSource_ = source;
    }
    return device.StretchRect(stretched_.get(), nullptr, &to, &d, sg::kFilterNone) == sg::kOk;
}

int32_t TQZSurface::Blit(const TQZRect& dr, TQZSurface* target, const TQZRect& sr)
{
    return BlitMethods(dr, target, sr);
}

int32_t TQZSurface::BlitMethods(const TQZRect& dr, TQZSurface* target, const TQZRect& sr)
{
    lastBlitMethod_ = 0;
    FlushCache();
    if (!target) target = ScreenSurface();
    if (!target || target == this) return ErrorResult(QZRES_FAILED);
    if (target->Kind() == QZSURFACE_BITMAP) return CopyByDC(dr, target, sr);
    if (int32_t r = target->BeginAccess(QZACCESS_PLAIN); r != QZRES_OK) return r;
    std::shared_ptr<sg::Surface> from = GetD3DSurface(), to = target->GetD3DSurface();
    enum { STRETCH = 1, LOADER = 2, LOCKED = 3 };
    std::vector<int> methods;
    switch (target->Kind()) {
    case QZSURFACE_VIDEO:
    case QZSURFACE_RENDERTARGET: methods = {STRETCH, LOADER, LOCKED}; break;
    default: methods = {LOADER, LOCKED}; break;
    }
    bool sameSize = dr.Width() == sr.Width() && dr.Height() == sr.Height();
    if (target->Kind() == QZSURFACE_VIDEO && (kind_ == QZSURFACE_RENDERTARGET || !sameSize)) methods[0] = LOADER;
    int32_t done = 0;
    for (int m : methods) {
        if (!from || !to) break;
        sg::Rect s = ToSg(sr), d = ToSg(dr);
        if (m == STRETCH) {
            sg::Device* device = NativeDevice();
            if (device && StretchBlit(*device, s, *to, d)) done = m;
        } else if (m == LOADER) {
            if (sg::LoadSurfaceFromSurface(*to, &d, *from, &s, sg::kFilterPoint, 0) == sg::kOk) done = m;
        } else if (sameSize && InsideOf(sr, from->Width(), from->Height()) &&
                   InsideOf(dr, to->Width(), to->Height()) && from->GetDesc().format == to->GetDesc().format) {
            sg::LockedRect in, out;
            if (from->LockRect(in, &s, sg::kLockReadOnly) == sg::kOk) {
                if (to->LockRect(out, &d, 0) == sg::kOk) {
                    for (int32_t y = 0; y < sr.Height(); ++y)
                        std::memcpy(static_cast<uint8_t*>(out.bits) + ptrdiff_t(out.pitch) * y,
                                    static_cast<const uint8_t*>(in.bits) + ptrdiff_t(in.pitch) * y,
                                    size_t(sr.Width()) * 4);
                    (void)to->UnlockRect();  // fails only when not locked, and it was locked above
                    done = m;
                }
                (void)from->UnlockRect();  // fails only when not locked, and it was locked above
            }
        }
        if (done) break;
    }
    if (!done) {
        target->EndAccess();
        return ErrorResult(QZRES_SURFACE_NOCOPY);
    }
    lastBlitMethod_ = done;
    FlushCache();
    target->EndAccess();
    return QZRES_OK;
}

int32_t TQZSurface::DrawToScreen()
{
    TQZSurface* screen = ScreenSurface();
    if (!screen) return ErrorResult(QZRES_FAILED);
    TQZRect b = GetBounds();
    return Blit(b, screen, b);
}

int32_t TQZSurface::DrawToScreenAt(const TQZRect& dest, const TQZRect& source)
{
    TQZSurface* screen = ScreenSurface();
    if (!screen) return ErrorResult(QZRES_FAILED);
    return Blit(dest, screen, source);
}

int32_t TQZSurface::DrawTiled(const TQZRect& rect, TQZPoint offset)
{
    TQZSurface* screen = ScreenSurface();
    if (!screen || width < 1 || height < 1) return ErrorResult(QZRES_FAILED);
    int32_t ox = ((offset.x % width) + width) % width, oy = ((offset.y % height) + height) % height;
    int32_t result = QZRES_OK;
    for (int32_t y = rect.top - oy; y < rect.bottom; y += height)
        for (int32_t x = rect.left - ox; x < rect.right; x += width) {
            TQZRect tile{x, y, x + width, y + height}, part;
            if (!IntersectRects(tile, rect, part)) continue;
            TQZRect source{part.left - x, part.top - y, part.right - x, part.bottom - y};
            if (int32_t r = Blit(part, screen, source); r != QZRES_OK) result = r;
        }
    return result;
}

// ---------------------------------------------------------------- loading

int32_t TQZSurface::LoadFromFile(const std::string& fileName)
{
    if (fileName.empty()) return ErrorResult(QZRES_BADARG);
    sg::ImageFileInfo info;
    if (sg::GetImageInfoFromFile(fileName, info) != sg::kOk) return ErrorResult(QZRES_FAILED);
    if (int32_t r = Allocate(int32_t(info.width), int32_t(info.height), flags_); r != QZRES_OK) return r;
    std::shared_ptr<sg::Surface> s = GetD3DSurface();
    if (!s || sg::LoadSurfaceFromFile(*s, nullptr, fileName, sg::kFilterLinear, 0) != sg::kOk) {
        Release();
        return ErrorResult(QZRES_FAILED);
    }
    Touched();
    return QZRES_OK;
}

int32_t TQZSurface::LoadFromFileInMemory(const void* data, int32_t length)
{
    if (!data || length < 1) return ErrorResult(QZRES_BADARG);
    sg::ImageFileInfo info;
    if (sg::GetImageInfoFromFileInMemory(data, size_t(length), info) != sg::kOk) return ErrorResult(QZRES_FAILED);
    if (int32_t r = Allocate(int32_t(info.width), int32_t(info.height), flags_); r != QZRES_OK) return r;
    std::shared_ptr<sg::Surface> s = GetD3DSurface();
    if (!s || sg::LoadSurfaceFromFileInMemory(*s, nullptr, data, size_t(length), sg::kFilterLinear, 0) != sg::kOk) {
        Release();
        return ErrorResult(QZRES_FAILED);
    }
    Touched();
    return QZRES_OK;
}

int32_t TQZSurface::LoadFromD3DSurface(std::shared_ptr<sg::Surface> surface)
{
    if (!surface) return ErrorResult(QZRES_BADARG);
    if (int32_t r = Allocate(surface->Width(), surface->Height(), flags_); r != QZRES_OK) return r;
    std::shared_ptr<sg::Surface> s = GetD3DSurface();
    if (!s || sg::LoadSurfaceFromSurface(*s, nullptr, *surface, nullptr, sg::kFilterPoint, 0) != sg::kOk)
        return ErrorResult(QZRES_FAILED);
    return QZRES_OK;
}

int32_t TQZSurface::LoadFromPixels(int32_t w, int32_t h, const std::vector<uint32_t>& pixels)
{
    if (w < 1 || h < 1 || int64_t(pixels.size()) < int64_t(w) * h) return ErrorResult(QZRES_BADARG);
    if (int32_t r = Allocate(w, h, flags_); r != QZRES_OK) return r;
    if (int32_t r = BeginAccess(QZACCESS_LOCKED); r != QZRES_OK) return r;
    for (int32_t y = 0; y < h; ++y)
        std::memcpy(bits_ + ptrdiff_t(pitch_) * y, pixels.data() + size_t(y) * size_t(w), size_t(w) * 4);
    EndAccess();
    return QZRES_OK;
}

// ---------------------------------------------------------------- system memory

int32_t TQZSurfaceSysMem::Allocate(int32_t w, int32_t h, uint32_t flags) { return AllocateDevice(w, h, flags, false); }

int32_t TQZSurfaceSysMem::Blit(const TQZRect& destRect, TQZSurface* target, const TQZRect& sourceRect)
{
    if (!target) target = ScreenSurface();
    if (!target) return ErrorResult(QZRES_FAILED);
    TQZRect dr = destRect, sr = sourceRect;
    TQZRect tb = target->GetBounds();
    if (!ClipTogether(dr, tb.right, tb.bottom, sr, width, height)) return ErrorResult(QZRES_BADARG);
    return BlitMethods(dr, target, sr);
}

void TQZSurfaceSysMem::FrameRect(const TQZRect& rect, TQZColour colour) { TQZSurface::FrameRect(rect, colour); }

// ---------------------------------------------------------------- video memory

int32_t TQZSurfaceVideo::Allocate(int32_t w, int32_t h, uint32_t flags) { return AllocateDevice(w, h, flags, false); }

int32_t TQZSurfaceVideo::Blit(const TQZRect& destRect, TQZSurface* target, const TQZRect& sourceRect)
{
    return BlitMethods(destRect, target, sourceRect);
}

void TQZSurfaceVideo::FillRect(const TQZRect& rect, TQZColour colour)
{
    if (accessMode_ == QZACCESS_DC || accessMode_ == QZACCESS_LOCKED) {
        TQZSurface::FillRect(rect, colour);
        return;
    }
    TQZRect r;
    sg::Device* device = NativeDevice();
    std::shared_ptr<sg::Surface> s = GetD3DSurface();
    if (!device || !s || !IntersectRects(rect, GetBounds(), r) || r.Width() <= 0 || r.Height() <= 0) return;
    sg::Rect area = ToSg(r);
    (void)device->ColorFill(s.get(), &area, colour);  // refused only outside the surface, clipped to it above
}

void TQZSurfaceVideo::OnLostDevice()
{
    if (!allocated_ || !surface_) return;
    while (accessDepth_ > 0) EndAccess();
    surface_.reset();
    lost_ = true;
}

void TQZSurfaceVideo::OnResetDevice()
{
    if (!lost_) return;
    int32_t w = width, h = height;
    uint32_t f = flags_;
    if (Allocate(w, h, f) != QZRES_OK) {
        width = w;
        height = h;
    }
}

// ---------------------------------------------------------------- mirrored

TQZSurfaceMirror::TQZSurfaceMirror() : TQZSurfaceVideo(QZSURFACE_MIRROR) {}
TQZSurfaceMirror::~TQZSurfaceMirror() { TQZSurfaceMirror::Release(); }

int32_t TQZSurfaceMirror::Allocate(int32_t w, int32_t h, uint32_t flags)
{
    Release();
    auto copy = std::make_unique<TQZSurfaceSysMem>();
    if (int32_t r = copy->Allocate(w, h, flags); r != QZRES_OK) return r;
    if (int32_t r = AllocateDevice(w, h, flags, false); r != QZRES_OK) return r;
    copy_ = std::move(copy);
    return QZRES_OK;
}

void TQZSurfaceMirror::Release()
{
    TQZSurface::Release();
    copy_.reset();
}

std::shared_ptr<sg::Surface> TQZSurfaceMirror::GetD3DSurface() const
{
    return copy_ ? copy_->GetD3DSurface() : nullptr;
}


void TQZSurfaceMirror::Refresh()
{
    sg::Device* device = NativeDevice();
    std::shared_ptr<sg::Surface> from = GetD3DSurface();
    // A mirror of another format is left as it was: it shows the last good copy.
    if (device && from && surface_) (void)device->UpdateSurface(from.get(), nullptr, surface_.get(), nullptr);
}

int32_t TQZSurfaceMirror::EndAccess()
{
    int32_t r = TQZSurface::EndAccess();
    if (r == QZRES_OK && accessDepth_ == 0) Refresh();
    return r;
}

void TQZSurfaceMirror::FrameRect(const TQZRect& rect, TQZColour colour)
{
    (void)BeginAccess(QZACCESS_NONE);  // nesting only: cannot fail
    TQZSurface::FrameRect(rect, colour);
    EndAccess();
}

void TQZSurfaceMirror::FillRect(const TQZRect& rect, TQZColour colour)
{
    (void)BeginAccess(QZACCESS_NONE);  // nesting only: cannot fail
    if (accessMode_ == QZACCESS_DC || accessMode_ == QZACCESS_LOCKED) {
        TQZSurface::FillRect(rect, colour);
    } else if (copy_ && copy_->BeginAccess(QZACCESS_LOCKED) == QZRES_OK) {
        // The copy takes the colour; the video surface follows at the end.
        copy_->FillRect(rect, colour);
        copy_->EndAccess();
    }
    EndAccess();
}

void TQZSurfaceMirror::Polyline(const std::vector<TQZPoint>& points, TQZColour colour)
{
    (void)BeginAccess(QZACCESS_NONE);  // nesting only: cannot fail
    TQZSurface::Polyline(points, colour);
    EndAccess();
}

void TQZSurfaceMirror::TextOut(TQZPoint point, const std::string& text, TQZColour colour)
{
    (void)BeginAccess(QZACCESS_NONE);  // nesting only: cannot fail
    TQZSurface::TextOut(point, text, colour);
    EndAccess();
}

TQZDC TQZSurfaceMirror::GetDC() { return TQZSurface::GetDC(); }

void TQZSurfaceMirror::ReleaseDC()
{
    TQZSurface::ReleaseDC();
    Refresh();
}

int32_t TQZSurfaceMirror::LoadFromD3DSurface(std::shared_ptr<sg::Surface> surface)
{
    int32_t r = TQZSurface::LoadFromD3DSurface(std::move(surface));
    if (r == QZRES_OK) Refresh();
    return r;
}

void TQZSurfaceMirror::OnLostDevice()
{
    if (!allocated_ || !surface_) return;
    surface_.reset();  // the image stays in the copy
    lost_ = true;
}

void TQZSurfaceMirror::OnResetDevice()
{
    if (!lost_) return;
    sg::Device* device = NativeDevice();
    std::shared_ptr<sg::Surface> s;
    if (!device || device->CreateOffscreenPlainSurface(uint32_t(width), uint32_t(height), format_, sg::kPoolDefault,
                                                      s) != sg::kOk)
        return;
    surface_ = std::move(s);
    lost_ = false;
    Refresh();
}

// ---------------------------------------------------------------- render targets

int32_t TQZSurfaceRenderTarget::Allocate(int32_t w, int32_t h, uint32_t flags)
{
    attached_ = false;
    return AllocateDevice(w, h, flags, true);
}

int32_t TQZSurfaceRenderTarget::Attach(std::shared_ptr<sg::Surface> surface)
{
    if (!surface) return ErrorResult(QZRES_BADARG);
    AttachDevice(std::move(surface));
    return QZRES_OK;
}

void TQZSurfaceRenderTarget::AttachDevice(std::shared_ptr<sg::Surface> surface)
{
    TQZSurface::Release();
    attached_ = true;
    if (!surface) return;
    width = surface->Width();
    height = surface->Height();
    format_ = surface->GetDesc().format;
    surface_ = std::move(surface);
    allocated_ = true;
}

void TQZSurfaceRenderTarget::OnLostDevice()
{
    if (!attached_) TQZSurfaceVideo::OnLostDevice();
}

void TQZSurfaceRenderTarget::OnResetDevice()
{
    if (!attached_) TQZSurfaceVideo::OnResetDevice();
}

// ---------------------------------------------------------------- bitmaps

TQZSurfaceBitmap::TQZSurfaceBitmap() : TQZSurface(QZSURFACE_BITMAP) {}
TQZSurfaceBitmap::~TQZSurfaceBitmap() { TQZSurfaceBitmap::Release(); }

int32_t TQZSurfaceBitmap::Allocate(int32_t w, int32_t h, uint32_t flags)
{
    Release();
    if (!SizeFits(w, h)) return ErrorResult(QZRES_BADARG);
    auto bitmap = std::make_unique<gdi::Bitmap>();
    if (!bitmap->Create(w, h, 0xFF000000u)) return ErrorResult(QZRES_SURFACE_NOTMADE);
    bitmap_ = std::move(bitmap);
    dc_ = std::make_unique<gdi::DeviceContext>(bitmap_.get());
    format_ = sg::kFormatX8R8G8B8;
    Allocated(w, h, flags);
    return QZRES_OK;
}

void TQZSurfaceBitmap::Release()
{
    accessDepth_ = 0;
    accessMode_ = QZACCESS_NONE;
    dc_.reset();
    bitmap_.reset();
    allocated_ = false;
}

int32_t TQZSurfaceBitmap::BeginAccess(int32_t)
{
    ++accessDepth_;  // the bitmap always has its device context
    return QZRES_OK;
}

TQZDC TQZSurfaceBitmap::GetDC() { return dc_.get(); }

int32_t TQZSurfaceBitmap::Blit(const TQZRect& destRect, TQZSurface* target, const TQZRect& sourceRect)
{
    if (!allocated_) return ErrorResult(QZRES_FAILED);
    if (!target) target = ScreenSurface();
    if (!target || target == this) return ErrorResult(QZRES_FAILED);
    TQZRect dr = destRect, sr = sourceRect, tb = target->GetBounds();
    if (!ClipTogether(dr, tb.right, tb.bottom, sr, width, height)) return ErrorResult(QZRES_BADARG);
    return CopyByDC(dr, target, sr);
}

int32_t TQZSurfaceBitmap::LoadFromFile(const std::string& fileName)
{
    if (fileName.empty()) return ErrorResult(QZRES_BADARG);
    if (fileName.size() > 255) return ErrorResult(QZRES_FAILED);
    int32_t w = 0, h = 0;
    std::vector<uint8_t> bytes;
    try {
        DecodeImage(fileName, w, h, bytes);
    } catch (const EQZImageError&) {
        return ErrorResult(QZRES_FAILED);
    }
    std::vector<uint32_t> pixels(size_t(w) * size_t(h));
    std::memcpy(pixels.data(), bytes.data(), pixels.size() * 4);
    return LoadFromPixels(w, h, pixels);
}

int32_t TQZSurfaceBitmap::LoadFromPixels(int32_t w, int32_t h, const std::vector<uint32_t>& pixels)
{
    if (w < 1 || h < 1 || int64_t(pixels.size()) < int64_t(w) * h) return ErrorResult(QZRES_BADARG);
    if (int32_t r = Allocate(w, h, flags_); r != QZRES_OK) return r;
    (void)BeginAccess(QZACCESS_DC);  // a bitmap always has its device context
    for (int32_t y = 0; y < h; ++y)
        std::memcpy(bitmap_->Row(y), pixels.data() + size_t(y) * size_t(w), size_t(w) * 4);
    EndAccess();
    return QZRES_OK;
}

// ---------------------------------------------------------------- free functions

std::unique_ptr<TQZSurface> CreateSurface(int32_t w, int32_t h, uint32_t flags, int32_t kind)
{
    InstallSurfaceUnit();
    if (VideoBackEnd == QZVIDEO_BACKEND_GDI) kind = QZSURFACE_BITMAP;
    else if (kind == QZSURFACE_BITMAP) kind = QZSURFACE_SYSMEM;
    std::unique_ptr<TQZSurface> s;
    if (kind != QZSURFACE_BITMAP && !Direct3DDevice()) {
        ErrorResult(QZRES_SURFACE_NOTMADE);
        return nullptr;
    }
    switch (kind) {
    case QZSURFACE_SYSMEM: s = std::make_unique<TQZSurfaceSysMem>(); break;
    case QZSURFACE_VIDEO: s = std::make_unique<TQZSurfaceVideo>(); break;
    case QZSURFACE_MIRROR: s = std::make_unique<TQZSurfaceMirror>(); break;
    case QZSURFACE_RENDERTARGET: s = std::make_unique<TQZSurfaceRenderTarget>(); break;
    case QZSURFACE_BITMAP: s = std::make_unique<TQZSurfaceBitmap>(); break;
    default: ErrorResult(QZRES_BADARG); return nullptr;
    }
    if (w > 0 && h > 0 && s->Allocate(w, h, flags) != QZRES_OK) return nullptr;
    return s;
}

std::unique_ptr<TQZSurface> CreateSurfaceFromFile(const std::string& fileName, int32_t kind)
{
    std::unique_ptr<TQZSurface> s = CreateSurface(0, 0, 0, kind);
    if (!s || s->LoadFromFile(fileName) != QZRES_OK) return nullptr;
    return s;
}

TQZSurface* ScreenSurface()
{
    InstallSurfaceUnit();
    if (TQZDirect3DDevice* device = Direct3DDevice(); device && device->IsValid())
        if (auto* s = dynamic_cast<TQZSurface*>(device->GetRenderTarget())) return s;
    if (TQZVideoFrame* frame = RunningFrame()) return dynamic_cast<TQZSurface*>(frame->FrameRenderTarget());
    return nullptr;
}
