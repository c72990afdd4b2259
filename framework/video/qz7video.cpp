// Sections, in order: globals (the current video, statistics text, the
// window and work-area procedures, gradient corners); base (the video
// layer's life, modes, frames, the paint path, shapes, filtering, the render
// cache, statistics); Direct3D back end (device modes, the back buffer,
// frames, clipping, the untextured shapes, render targets).
#include "qz7video.h"

#include "qz7events.h"
#include "qz7text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>

namespace sg = plat::softgpu;

bool ShowVideoStatistics = false;
const char* const QZPAINT_EXCEPTION_NOTE = "\r\n(note: stack trace inaccurate as exception raised in response to WM_PAINT)\r\n";

namespace {

TQZVideo* currentVideo = nullptr;

// The units below the video see the same frame through qz7videostate.
void SetCurrentVideo(TQZVideo* video)
{
    currentVideo = video;
    SetRunningFrame(video);
}
TQZStatisticsTextProc statisticsText = nullptr;

TQZPoint MaxClientArea()
{
    return GetMaxClientSize(QZWS_SIZING | QZWS_MAXBOX);
}

TQZCreateVideoWindowProc createWindow = &CreateMainVideoWindow;
TQZWorkAreaProc workArea = &MaxClientArea;


// Corner colours (1 or 2) of gradient kinds 0-7: top-left, top-right, bottom-right, bottom-left.
constexpr int kGradientCorners[8][4] = {{1, 2, 2, 1}, {1, 1, 2, 2}, {1, 2, 1, 2}, {2, 1, 2, 1},
                                        {1, 2, 2, 2}, {2, 1, 2, 2}, {2, 2, 2, 1}, {2, 2, 1, 2}};

TQZD3DVertex ScreenVertex(float x, float y, TQZColour colour)
{
    return {x - 0.5f, y - 0.5f, 0, 1, colour, colour, 0, 0};
}

}  // namespace

void SetCreateVideoWindowProc(TQZCreateVideoWindowProc proc) { createWindow = proc ? proc : &CreateMainVideoWindow; }
void SetWorkAreaProc(TQZWorkAreaProc proc) { workArea = proc ? proc : &MaxClientArea; }

void SetStatisticsTextProc(TQZStatisticsTextProc proc) { statisticsText = proc; }

TQZVideo* CurrentVideo() { return currentVideo; }

// ---------------------------------------------------------------- base

TQZVideo::~TQZVideo()
{
    if (currentVideo == this) SetCurrentVideo(nullptr);
    if (!pendingPaintException_.empty() && FrameworkStarted())
        RemoveHandler(QZEVENT_FRAME, MakeMethod<&TQZVideo::RaisePaintException>(this));
}

void TQZVideo::Initialise()
{
    outputRect_ = {};
    window_.reset();
    drawProc = nullptr;
    drawMethod = {};
    resizeProc = nullptr;
    resizeMethod = {};
    repaintMode = 0;
    pendingPaintException_.clear();
    smoothedFrameTime_ = 0;
    busyTimer = CreateTimer(true);
    frameTimer = CreateTimer(true);
}

void TQZVideo::Finalise()
{
    window_.reset();
    outputRect_ = {};
}

bool TQZVideo::IsReady()
{
    return window_ && window_->Handle();
}

int32_t TQZVideo::SetMode(int32_t width, int32_t height, std::unique_ptr<TQZVideoWindowBase> window,
                          int32_t windowKind, uint32_t flags)
{
    if (IsReady() && !(flags & QZVIDEO_NODEVICE)) Finalise();  // a second SetMode replaces the window
    if (width == 0 && height == 0) {
        if (windowKind == QZWINDOW_WINDOWED) {
            TQZPoint area = workArea();
            width = area.x;
            height = area.y;
            flags |= QZVIDEO_MAXIMISE;
        } else {
            sg::DisplayInfo info = sg::CurrentDisplayInfo();
            width = int32_t(info.desktop.width);
            height = int32_t(info.desktop.height);
        }
    }
    flags_ = flags;
    const bool created = !window;
    if (window) {
        window_ = std::move(window);
        window_->SetClientSize(width, height);
    } else {
        window_ = createWindow(width, height, windowKind, flags);
    }
    if (!window_) return QZRES_FAILED;
    windowKind_ = windowKind;
    if (flags & QZVIDEO_MAXIMISE) window_->Maximise();
    window_->onPaint = [this] { HandlePaint(); };
    window_->onResize = [this] { UpdateClientRect(); };
    if (frameTimer) frameTimer->Start();
    TQZRect client = window_->ClientRect();
    outputRect_ = {0, 0, client.Width(), client.Height()};
    return SetModeDevice(created);
}

int32_t TQZVideo::SetWindowStyle(int32_t width, int32_t height, int32_t windowKind)
{
    if (!window_) return QZRES_FAILED;
    window_->SetStyle(width, height, windowKind, flags_);
    windowKind_ = windowKind;
    return QZRES_OK;
}

int32_t TQZVideo::Present()
{
    if (busyTimer) busyTimer->Stop();
    EventManager()->SetState(QZAPPSTATE_WAIT_VSYNC);
    return QZRES_OK;
}

int32_t TQZVideo::BeginFrame()
{
    if (busyTimer) busyTimer->Start();
    EventManager()->SetState(QZAPPSTATE_RENDERING);
    SetCurrentVideo(this);
    return QZRES_OK;
}

int32_t TQZVideo::EndFrame()
{
    if (ShowVideoStatistics && InFrame()) DrawStatistics();
    LeaveFrame();
    return QZRES_OK;
}

void TQZVideo::LeaveFrame()
{
    if (currentVideo == this) SetCurrentVideo(nullptr);
}

bool TQZVideo::GetDC(void*& dc)
{
    dc = nullptr;
    return false;
}

int32_t TQZVideo::Clear(TQZColour colour)
{
    return FillRect(outputRect_, colour);
}

int32_t TQZVideo::FillRect(const TQZRect&, TQZColour) { return QZRES_VIDEO_NOTSUPPORTED; }
int32_t TQZVideo::InvertRect(const TQZRect&) { return QZRES_VIDEO_NOTSUPPORTED; }
int32_t TQZVideo::DrawLine(TQZPoint, TQZPoint, TQZColour, TQZColour, int32_t) { return QZRES_VIDEO_NOTSUPPORTED; }
int32_t TQZVideo::FillTriangle(const std::vector<TQZPoint>&, TQZColour) { return QZRES_VIDEO_NOTSUPPORTED; }
int32_t TQZVideo::SetRenderTarget(TQZD3DImageClass*) { return QZRES_VIDEO_NOTSUPPORTED; }

int32_t TQZVideo::FillGradient(const TQZRect& r, TQZColour c1, int32_t kind, TQZColour c2)
{
    const int32_t cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
    switch (kind) {
    case 8:
        FillGradient({r.left, r.top, cx, r.bottom}, c1, 0, c2);
        return FillGradient({cx, r.top, r.right, r.bottom}, c2, 0, c1);
    case 9:
        FillGradient({r.left, r.top, r.right, cy}, c1, 1, c2);
        return FillGradient({r.left, cy, r.right, r.bottom}, c2, 1, c1);
    case 10:
        FillGradient({r.left, r.top, cx, cy}, c1, 4, c2);
        FillGradient({cx, r.top, r.right, cy}, c1, 5, c2);
        FillGradient({r.left, cy, cx, r.bottom}, c1, 6, c2);
        return FillGradient({cx, cy, r.right, r.bottom}, c1, 7, c2);
    default: return QZRES_VIDEO_NOTSUPPORTED;
    }
}

void TQZVideo::HandlePaint()
{
    if (repaintMode == 0) Redraw();
}

void TQZVideo::UpdateClientRect()
{
    if (window_) {
        TQZRect client = window_->ClientRect();
        outputRect_ = {0, 0, client.Width(), client.Height()};
    }
    if (resizeProc) resizeProc(this);
    if (resizeMethod) resizeMethod(this);
    if (repaintMode == 1) Redraw();
}

int32_t TQZVideo::RaisePaintException(void*)
{
    std::string text = pendingPaintException_ + QZPAINT_EXCEPTION_NOTE;
    pendingPaintException_.clear();
    RemoveHandler(QZEVENT_FRAME, MakeMethod<&TQZVideo::RaisePaintException>(this));
    throw std::runtime_error(text);
}

bool TQZVideo::Redraw()
{
    if (!drawProc && !drawMethod) return false;
    if (InFrame()) return true;  // a frame is already running
    frameNumber_ = FrameCounter();
    if (BeginFrame() != QZRES_OK) return false;
    if (window_) window_->ValidateRect();
    try {
        if (drawProc) drawProc(this);
        if (drawMethod) drawMethod(this);
    } catch (const std::exception& e) {
        if (repaintMode != 0) {
            (void)EndFrame();  // the frame ends before the exception leaves, so the next one can run
            throw;
        }
        // Exceptions never leave a paint request: the next pump raises it again.
        bool armed = !pendingPaintException_.empty();
        pendingPaintException_ = e.what();
        if (!armed) AddHandler(QZEVENT_FRAME, MakeMethod<&TQZVideo::RaisePaintException>(this), QZHANDLER_ONESHOT);
    }
    // The frame was handled: a device lost on the way refuses the next BeginFrame.
    (void)EndFrame();
    (void)Present();
    return true;
}

void TQZVideo::Repaint()
{
    if (repaintMode == 0) {
        if (window_) window_->Invalidate();
    } else {
        Redraw();
    }
}

int32_t TQZVideo::DrawFrame(const TQZRect& r, TQZColour colour1, int32_t t, TQZColour colour2)
{
    FillRect({r.left, r.top, r.right, r.top + t}, colour1);
    FillRect({r.left, r.top + t, r.left + t, r.bottom}, colour1);
    FillRect({r.right - t, r.top + t, r.right, r.bottom}, colour2);
    return FillRect({r.left + t, r.bottom - t, r.right - t, r.bottom}, colour2);
}

int32_t TQZVideo::DrawRoundRect(const TQZRect& r, TQZColour colour, int32_t t)
{
    static constexpr int32_t kIndent[6] = {6, 4, 3, 2, 1, 1};
    if (t < 0 || r.left >= r.right || r.top >= r.bottom) return QZRES_BADARG;
    for (int32_t i = 0; i < 6; ++i) {
        const int32_t k = kIndent[i];
        if (t == 0 || i < t) {
            DrawLine({r.left + k, r.top + i}, {r.right - k, r.top + i}, colour, colour, 1);
            DrawLine({r.left + k, r.bottom - i - 1}, {r.right - k, r.bottom - i - 1}, colour, colour, 1);
        } else {
            const int32_t e = i == t ? 1 : 0;
            FillRect({r.left + k, r.top + i, r.left + k + t + e, r.top + i + 1}, colour);
            FillRect({r.left + k, r.bottom - i - 1, r.left + k + t + e, r.bottom - i}, colour);
            FillRect({r.right - k - t - e, r.top + i, r.right - k, r.top + i + 1}, colour);
            FillRect({r.right - k - t - e, r.bottom - i - 1, r.right - k, r.bottom - i}, colour);
        }
    }
    if (t == 0) return FillRect({r.left, r.top + 6, r.right, r.bottom - 6}, colour);
    FillRect({r.left, r.top + 6, r.left + t, r.bottom - 6}, colour);
    return FillRect({r.right - t, r.top + 6, r.right, r.bottom - 6}, colour);
}

int32_t TQZVideo::FillEllipse(TQZPointF c, TQZPointF radii, TQZColour colour)
{
    if (kind_ == QZVIDEO_BACKEND_GDI) return QZRES_VIDEO_GDI_UNSUPPORTED;
    if (PrepareUntextured() != QZRES_OK) return QZRES_FAILED;
    const int32_t n = ClampInt(16, int32_t(std::lround(std::min(radii.x, radii.y) * 0.25f)), 36);
    std::vector<TQZD3DVertex> v;
    v.reserve(size_t(n) + 1);
    v.push_back(ScreenVertex(c.x, c.y, colour));
    for (int32_t j = 0; j < n; ++j) {
        const double a = M_PI + 2.0 * M_PI * j / n;
        v.push_back(ScreenVertex(c.x + float(std::cos(a)) * radii.x, c.y + float(std::sin(a)) * radii.y, colour));
    }
    std::vector<uint16_t> indices;
    indices.reserve(size_t(n) * 3);
    for (int32_t j = 1; j < n; ++j) indices.insert(indices.end(), {0, uint16_t(j), uint16_t(j + 1)});
    indices.insert(indices.end(), {0, uint16_t(n), 1});
    GetRenderCache()->AddVertices(int32_t(v.size()), int32_t(indices.size()), v.data(), indices.data(), 2);
    return QZRES_OK;
}

bool TQZVideo::GetLinearFilter()
{
    if (kind_ != QZVIDEO_BACKEND_DX9) return false;
    TQZDirect3DDevice* d = Direct3DDevice();
    return d && d->LinearFiltering();
}

void TQZVideo::SetLinearFilter(bool flag)
{
    if (kind_ != QZVIDEO_BACKEND_DX9 || flag == GetLinearFilter()) return;
    TQZDirect3DDevice* d = Direct3DDevice();
    if (!d) return;
    if (TQZRenderCache* c = GetRenderCache()) c->FlushBatch();
    d->SetTextureFilter(flag);
}


void TQZVideo::SelectRenderCache(TQZRenderCache* cache)
{
    if (cache == selectedCache_) return;
    if (TQZRenderCache* old = GetRenderCache()) old->EndCache();
    selectedCache_ = cache;
    if (TQZRenderCache* now = GetRenderCache()) now->BeginCache();
}

void TQZVideo::DrawStatistics()
{
    int32_t draws = 0, triangles = 0;
    if (kind_ == QZVIDEO_BACKEND_DX9)
        if (TQZDirect3DDevice* d = Direct3DDevice()) {
            draws = d->drawCalls;
            triangles = d->triangles;
        }
    const double frameSeconds = frameTimer ? frameTimer->Elapsed() : 0.0;
    smoothedFrameTime_ = float(0.2 * frameSeconds + 0.8 * smoothedFrameTime_);
    if (frameTimer) frameTimer->Start();
    const int32_t w = GetWidth();
    FillRect({w - 160, 0, w, 96}, 0xFF000000);
    FillRect({w - 159, 0, w, 95}, draws > 0 || kind_ == QZVIDEO_BACKEND_GDI ? 0xFFFFFFFF : MakeColour(255, 200, 200, 200));
    if (smoothedFrameTime_ <= 0 || !statisticsText) return;
    const double busy = busyTimer ? busyTimer->Elapsed() : 0.0;
    char line[64];
    const TQZRect rows[4] = {{w - 160, 0, w - 4, 24}, {w - 160, 24, w - 4, 48}, {w - 160, 48, w - 4, 72},
                             {w - 160, 72, w - 4, 96}};
    std::snprintf(line, sizeof line, "%ldfps", std::lround(1.0 / smoothedFrameTime_));
    statisticsText(this, rows[0], line);
    std::snprintf(line, sizeof line, "%.2f%% CPU busy", frameSeconds > 0 ? busy / frameSeconds : 0.0);
    statisticsText(this, rows[1], line);
    statisticsText(this, rows[2], IntToString(draws) + " draw calls");
    statisticsText(this, rows[3], SizeToText(int64_t(triangles / smoothedFrameTime_)) + " tri/s");
}

// ---------------------------------------------------------------- Direct3D back end

TQZVideoDX9::~TQZVideoDX9()
{
    Finalise();
}

void TQZVideoDX9::Initialise()
{
    TQZVideo::Initialise();
    kind_ = QZVIDEO_BACKEND_DX9;
    defaultCache_.reset();
    selectedCache_ = nullptr;
}

void TQZVideoDX9::Finalise()
{
    selectedCache_ = nullptr;
    defaultCache_.reset();
    if (TQZDirect3DDevice* d = Direct3DDevice())
        if (d->IsValid()) d->ReleaseDevice();
    TQZVideo::Finalise();
}

bool TQZVideoDX9::IsReady()
{
    TQZDirect3DDevice* d = Direct3DDevice();
    return d && d->IsValid();
}

int32_t TQZVideoDX9::SetModeDevice(bool windowCreatedHere)
{
    TQZDirect3D* d3d = Direct3D();
    if (!d3d || !d3d->device) return QZRES_D3D_NODIRECT3D;
    if (flags_ & QZVIDEO_NOVSYNC) d3d->SetVSync(false);
    if (flags_ & QZVIDEO_NODEVICE) return QZRES_OK;
    TQZRect client = window_->ClientRect();
    int32_t r = d3d->CreateDevice(window_->Handle(), client.Width(), client.Height(), windowKind_);
    if (r != QZRES_OK) {
        if (windowCreatedHere) window_.reset();
        return r == QZRES_D3D_NOFULLSCREENMODE ? QZRES_FAILED : r;
    }
    // Frames go to whatever window the video holds when they are presented.
    d3d->device->Device()->SetPresentSink([this](const uint32_t* pixels, int32_t pitch, int32_t w, int32_t h) {
        if (window_) window_->PresentFrame(pixels, pitch, w, h);
    });
    defaultCache_ = TQZRenderCache::Create(128, true);
    if (!defaultCache_) return QZRES_FAILED;
    TakeBackBufferSize();
    window_->Show();
    return QZRES_OK;
}

void TQZVideoDX9::TakeBackBufferSize()
{
    TQZDirect3DDevice* d = Direct3DDevice();
    if (!d || !d->IsValid()) return;
    outputRect_ = {0, 0, int32_t(d->Parameters().backBufferWidth), int32_t(d->Parameters().backBufferHeight)};
}

void TQZVideoDX9::UnbindTarget()
{
    if (TQZRenderCache* c = GetRenderCache()) c->EndCache();
    if (TQZDirect3DDevice* d = Direct3DDevice()) {
        d->SetTexture(nullptr);
        d->BindVertexBuffer(nullptr);
    }
}

void TQZVideoDX9::BindTarget(bool resetStates)
{
    if (TQZDirect3DDevice* d = Direct3DDevice()) {
        d->BindVertexBuffer(nullptr);
        if (resetStates) d->SetDefaultStates();
    }
    if (TQZRenderCache* c = GetRenderCache()) c->BeginCache();
}

int32_t TQZVideoDX9::SetWindowStyle(int32_t width, int32_t height, int32_t windowKind)
{
    int32_t r = TQZVideo::SetWindowStyle(width, height, windowKind);
    if (r != QZRES_OK || (flags_ & QZVIDEO_NODEVICE)) return r;
    TQZDirect3DDevice* d = Direct3DDevice();
    if (!d) return QZRES_D3D_NODEVICE;
    r = d->Reset(width, height, windowKind);
    TakeBackBufferSize();
    return r;
}

int32_t TQZVideoDX9::Present()
{
    (void)TQZVideo::Present();  // the base part only stops the busy timer
    if (flags_ & QZVIDEO_NODEVICE) return QZRES_OK;
    TQZDirect3DDevice* d = Direct3DDevice();
    return d && d->Present() == QZRES_OK ? QZRES_OK : QZRES_FAILED;
}

int32_t TQZVideoDX9::BeginFrame()
{
    TQZDirect3DDevice* d = Direct3DDevice();
    if (!d || d->BeginScene() != QZRES_OK) return QZRES_FAILED;
    (void)TQZVideo::BeginFrame();  // the base part only starts the busy timer
    if (TQZRenderCache* c = GetRenderCache()) c->BeginCache();
    return QZRES_OK;
}

int32_t TQZVideoDX9::EndFrame()
{
    if (ShowVideoStatistics && InFrame()) DrawStatistics();
    if (TQZRenderCache* c = GetRenderCache()) c->EndCache();
    int32_t r = QZRES_OK;
    if (TQZDirect3DDevice* d = Direct3DDevice()) r = d->EndScene();
    LeaveFrame();
    return r;
}

bool TQZVideoDX9::GetDC(void*& dc)
{
    dc = nullptr;
    TQZD3DImageClass* target = GetRenderTarget();
    return target && target->GetImageDC(dc);
}

void TQZVideoDX9::ReleaseDC(void* dc)
{
    if (TQZD3DImageClass* target = GetRenderTarget()) target->ReleaseImageDC(dc);
}

int32_t TQZVideoDX9::Clear(TQZColour colour)
{
    TQZRenderCache* c = GetRenderCache();
    if (!c) return QZRES_FAILED;
    c->AddClear(colour);
    return QZRES_OK;
}

void TQZVideoDX9::PopClip(uint8_t flag)
{
    if (TQZRenderCache* c = GetRenderCache()) c->PopClip(flag);
}

void TQZVideoDX9::PushClip(const TQZRect& rect)
{
    if (TQZRenderCache* c = GetRenderCache()) c->PushClip(rect);
}

int32_t TQZVideoDX9::PrepareUntextured()
{
    TQZRenderCache* c = GetRenderCache();
    if (!c) return QZRES_FAILED;
    c->FlushBatch();
    c->SetTexture(nullptr);
    return QZRES_OK;
}

int32_t TQZVideoDX9::FillRect(const TQZRect& rect, TQZColour colour)
{
    if (PrepareUntextured() != QZRES_OK) return QZRES_FAILED;
    GetRenderCache()->AddQuad(rect, colour, {0, 0, 1, 1});
    return QZRES_OK;
}

int32_t TQZVideoDX9::InvertRect(const TQZRect& rect)
{
    if (PrepareUntextured() != QZRES_OK) return QZRES_FAILED;
    TQZRenderCache* c = GetRenderCache();
    c->SetRenderStates({{sg::kRsSrcBlend, sg::kBlendInvDestColor}, {sg::kRsDestBlend, sg::kBlendInvDestColor}});
    c->AddQuad(rect, 0xFFFFFFFF, {0, 0, 0, 0});
    c->SetRenderStates({{sg::kRsSrcBlend, sg::kBlendSrcAlpha}, {sg::kRsDestBlend, sg::kBlendInvSrcAlpha}});
    return QZRES_OK;
}

int32_t TQZVideoDX9::FillGradient(const TQZRect& r, TQZColour c1, int32_t kind, TQZColour c2)
{
    if (kind >= 8) return TQZVideo::FillGradient(r, c1, kind, c2);
    if (kind < 0) return QZRES_VIDEO_NOTSUPPORTED;
    if (PrepareUntextured() != QZRES_OK) return QZRES_FAILED;
    const int* corner = kGradientCorners[kind];
    auto colour = [&](int i) { return corner[i] == 1 ? c1 : c2; };
    const TQZD3DVertex v[4] = {ScreenVertex(float(r.left), float(r.top), colour(0)),
                               ScreenVertex(float(r.right), float(r.top), colour(1)),
                               ScreenVertex(float(r.right), float(r.bottom), colour(2)),
                               ScreenVertex(float(r.left), float(r.bottom), colour(3))};
    static const uint16_t usual[6] = {0, 1, 2, 0, 2, 3};
    static const uint16_t across[6] = {0, 1, 3, 3, 1, 2};
    const bool other = kind == 3 || kind == 4 || kind == 7;
    GetRenderCache()->AddVertices(4, 6, v, other ? across : usual, 2);
    return QZRES_OK;
}

int32_t TQZVideoDX9::DrawLine(TQZPoint from, TQZPoint to, TQZColour colourFrom, TQZColour colourTo, int32_t width)
{
    if (PrepareUntextured() != QZRES_OK) return QZRES_FAILED;
    const bool steep = std::abs(to.y - from.y) > std::abs(to.x - from.x);
    if ((steep && to.y < from.y) || (!steep && to.x < from.x)) {
        std::swap(from, to);
        std::swap(colourFrom, colourTo);
    }
    const float dx = steep ? float(width) : 0, dy = steep ? 0 : float(width);
    const TQZD3DVertex v[4] = {ScreenVertex(float(from.x), float(from.y), colourFrom),
                               ScreenVertex(float(to.x), float(to.y), colourTo),
                               ScreenVertex(float(to.x) + dx, float(to.y) + dy, colourTo),
                               ScreenVertex(float(from.x) + dx, float(from.y) + dy, colourFrom)};
    static const uint16_t indices[6] = {0, 1, 2, 0, 2, 3};
    GetRenderCache()->AddVertices(4, 6, v, indices, 2);
    return QZRES_OK;
}

int32_t TQZVideoDX9::FillTriangle(const std::vector<TQZPoint>& points, TQZColour colour)
{
    if (points.size() < 3) return QZRES_BADARG;
    if (PrepareUntextured() != QZRES_OK) return QZRES_FAILED;
    const TQZD3DVertex v[3] = {ScreenVertex(float(points[0].x), float(points[0].y), colour),
                               ScreenVertex(float(points[1].x), float(points[1].y), colour),
                               ScreenVertex(float(points[2].x), float(points[2].y), colour)};
    static const uint16_t indices[3] = {0, 1, 2};
    GetRenderCache()->AddVertices(3, 3, v, indices, 2);
    return QZRES_OK;
}

TQZRect TQZVideoDX9::GetClipRect()
{
    TQZDirect3DDevice* d = Direct3DDevice();
    return d ? d->GetClipRect() : TQZRect{};
}

bool TQZVideoDX9::InFrame()
{
    TQZDirect3DDevice* d = Direct3DDevice();
    return d && d->InScene();
}

TQZD3DImageClass* TQZVideoDX9::GetRenderTarget()
{
    TQZDirect3DDevice* d = Direct3DDevice();
    return d ? d->GetRenderTarget() : nullptr;
}

int32_t TQZVideoDX9::SetRenderTarget(TQZD3DImageClass* surface)
{
    if (TQZRenderCache* c = GetRenderCache()) c->FlushBatch();
    TQZDirect3DDevice* d = Direct3DDevice();
    return d ? d->SetRenderTarget(surface) : QZRES_D3D_NODEVICE;
}

void TQZVideoDX9::UpdateClientRect()
{
    TQZDirect3DDevice* d = Direct3DDevice();
    if (window_ && d && d->IsValid() && !(flags_ & QZVIDEO_NODEVICE)) {
        TQZRect client = window_->ClientRect();
        (void)d->Reset(client.Width(), client.Height(), windowKind_);  // a failed reset is retried by the next frame
        TakeBackBufferSize();
    } else if (window_) {
        TQZRect client = window_->ClientRect();
        outputRect_ = {0, 0, client.Width(), client.Height()};
    }
    if (resizeProc) resizeProc(this);
    if (resizeMethod) resizeMethod(this);
    if (repaintMode == 1) Redraw();
}
