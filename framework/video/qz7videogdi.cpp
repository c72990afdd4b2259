#include "qz7videogdi.h"

namespace gdi = plat::gdi;

namespace {

// Corner colours (1 or 2) of gradient kinds 0-7: top-left, top-right,
// bottom-right, bottom-left.
constexpr int kCorners[8][4] = {{1, 2, 2, 1}, {1, 1, 2, 2}, {1, 2, 1, 2}, {2, 1, 2, 1},
                                {1, 2, 2, 2}, {2, 1, 2, 2}, {2, 2, 2, 1}, {2, 2, 1, 2}};

gdi::TriVertex Vertex(TQZPoint p, TQZColour c)
{
    return {p.x, p.y, uint16_t(((c >> 16) & 0xFF) * 257), uint16_t(((c >> 8) & 0xFF) * 257),
            uint16_t((c & 0xFF) * 257), uint16_t((c >> 24) * 257)};
}

}  // namespace

TQZVideoGDI* GetVideoGDI()
{
    return FrameworkStarted() ? GetInstance<TQZVideoGDI>(QZSLOT_VIDEOGDI) : nullptr;
}

TQZVideoGDI::~TQZVideoGDI() { TQZVideoGDI::Finalise(); }

void TQZVideoGDI::Initialise()
{
    TQZVideo::Initialise();
    kind_ = QZVIDEO_BACKEND_GDI;
    inPaint_ = false;
    drawDC_ = paintDC_ = nullptr;
}

void TQZVideoGDI::Finalise()
{
    backBuffer_.reset();
    windowSurface_.reset();
    drawDC_ = paintDC_ = nullptr;
    inPaint_ = false;
    TQZVideo::Finalise();
}

void TQZVideoGDI::MakeWindowSurface()
{
    TQZRect client = window_ ? window_->ClientRect() : TQZRect{};
    outputRect_ = {0, 0, client.Width(), client.Height()};
    if (!windowSurface_) windowSurface_ = std::make_unique<TQZSurfaceBitmap>();
    // A window of no size has no bitmap; BeginFrame checks Allocated.
    if (windowSurface_->GetSize() != TQZPoint{outputRect_.right, outputRect_.bottom})
        (void)windowSurface_->Allocate(outputRect_.right, outputRect_.bottom, 0);
}

int32_t TQZVideoGDI::SetModeDevice(bool)
{
    MakeWindowSurface();
    if (window_) window_->Show();
    return QZRES_OK;
}

int32_t TQZVideoGDI::SetWindowStyle(int32_t width, int32_t height, int32_t windowKind)
{
    int32_t r = TQZVideo::SetWindowStyle(width, height, windowKind);
    MakeWindowSurface();
    return r;
}

void TQZVideoGDI::UpdateClientRect()
{
    MakeWindowSurface();
    TQZVideo::UpdateClientRect();
}

int32_t TQZVideoGDI::Present()
{
    int32_t r = TQZVideo::Present();
    // What the paint left in the window's bitmap is what the window shows.
    plat::gdi::Bitmap* shown = windowSurface_ ? windowSurface_->BitmapPixels() : nullptr;
    if (window_ && shown && shown->Valid())
        window_->PresentFrame(shown->Row(0), shown->Pitch() * 4, shown->Width(), shown->Height());
    return r;
}

int32_t TQZVideoGDI::BeginFrame()
{
    (void)TQZVideo::BeginFrame();  // the base part only starts the busy timer
    if (!windowSurface_ || !windowSurface_->Allocated()) MakeWindowSurface();
    if (!windowSurface_->Allocated()) return ErrorResult(QZRES_FAILED);
    paintDC_ = drawDC_ = windowSurface_->GetDC();
    inPaint_ = true;
    if (!(flags_ & QZVIDEO_GDIDIRECT)) {
        backBuffer_ = std::make_unique<TQZSurfaceBitmap>();
        if (backBuffer_->Allocate(outputRect_.right, outputRect_.bottom, 0) == QZRES_OK)
            drawDC_ = backBuffer_->GetDC();
        else
            backBuffer_.reset();
    }
    return QZRES_OK;
}

int32_t TQZVideoGDI::EndFrame()
{
    (void)TQZVideo::EndFrame();  // the base part cannot fail
    if (backBuffer_) {
        // Both bitmaps have the window's size; only a window of no size refuses.
        (void)backBuffer_->Blit(backBuffer_->GetBounds(), windowSurface_.get(), backBuffer_->GetBounds());
        backBuffer_.reset();
        drawDC_ = paintDC_;
    }
    if (drawDC_) drawDC_->ClearClip();
    inPaint_ = false;
    return QZRES_OK;
}

bool TQZVideoGDI::GetDC(void*& dc)
{
    dc = drawDC_;
    return dc != nullptr;
}

void TQZVideoGDI::PopClip(uint8_t)
{
    if (drawDC_) drawDC_->ClearClip();  // all clipping ends: not a stack
}

void TQZVideoGDI::PushClip(const TQZRect& r)
{
    if (!drawDC_) return;
    if (r.left == r.right && r.top == r.bottom) drawDC_->ClearClip();
    else drawDC_->SetClipRect({r.left, r.top, r.right, r.bottom});
}

TQZRect TQZVideoGDI::GetClipRect()
{
    gdi::Rect r;
    if (!drawDC_ || !drawDC_->GetClipRect(r)) return {};
    return {r.left, r.top, r.right, r.bottom};
}

TQZD3DImageClass* TQZVideoGDI::GetRenderTarget()
{
    return backBuffer_ ? static_cast<TQZD3DImageClass*>(backBuffer_.get()) : windowSurface_.get();
}

int32_t TQZVideoGDI::FillRect(const TQZRect& r, TQZColour colour)
{
    if (PrepareUntextured() != QZRES_OK) return ErrorResult(QZRES_FAILED);
    drawDC_->SetBrushColor(gdi::ColorRefFromArgb(colour));
    // False only without a bitmap to draw on: then nothing is drawn.
    (void)drawDC_->FillRect({r.left, r.top, r.right, r.bottom}, gdi::ColorRefFromArgb(colour));
    return QZRES_OK;
}

int32_t TQZVideoGDI::InvertRect(const TQZRect& r)
{
    if (PrepareUntextured() != QZRES_OK) return ErrorResult(QZRES_FAILED);
    // False only without a bitmap to draw on: then nothing is drawn.
    (void)drawDC_->PatBlt(r.left, r.top, r.Width(), r.Height(), gdi::ROP_DSTINVERT);
    return QZRES_OK;
}

int32_t TQZVideoGDI::GradientTriangle(const TQZPoint (&p)[3], const TQZColour (&c)[3])
{
    return drawDC_->GradientTriangle(Vertex(p[0], c[0]), Vertex(p[1], c[1]), Vertex(p[2], c[2])) ? QZRES_OK
                                                                                                   : QZRES_FAILED;
}

int32_t TQZVideoGDI::FillGradient(const TQZRect& r, TQZColour c1, int32_t kind, TQZColour c2)
{
    if (kind >= 8) return TQZVideo::FillGradient(r, c1, kind, c2);
    if (kind < 0) return ErrorResult(QZRES_VIDEO_NOTSUPPORTED);
    if (PrepareUntextured() != QZRES_OK) return ErrorResult(QZRES_FAILED);
    const TQZPoint corner[4] = {{r.left, r.top}, {r.right, r.top}, {r.right, r.bottom}, {r.left, r.bottom}};
    TQZColour colour[4];
    for (int i = 0; i < 4; ++i) colour[i] = kCorners[kind][i] == 1 ? c1 : c2;
    // Kinds 3, 4 and 7 split along the other diagonal.
    const bool other = kind == 3 || kind == 4 || kind == 7;
    const int a[3] = {0, 1, other ? 3 : 2}, b[3] = {other ? 3 : 0, other ? 1 : 2, other ? 2 : 3};
    GradientTriangle({corner[a[0]], corner[a[1]], corner[a[2]]}, {colour[a[0]], colour[a[1]], colour[a[2]]});
    return GradientTriangle({corner[b[0]], corner[b[1]], corner[b[2]]}, {colour[b[0]], colour[b[1]], colour[b[2]]});
}

int32_t TQZVideoGDI::DrawLine(TQZPoint from, TQZPoint to, TQZColour colourFrom, TQZColour, int32_t)
{
    if (PrepareUntextured() != QZRES_OK) return ErrorResult(QZRES_FAILED);
    drawDC_->SetPenColor(gdi::ColorRefFromArgb(colourFrom));
    const gdi::Point pts[2] = {{from.x, from.y}, {to.x, to.y}};
    (void)drawDC_->Polyline(pts, 2);  // false only without a bitmap to draw on: then nothing is drawn
    return QZRES_OK;
}

int32_t TQZVideoGDI::FillTriangle(const std::vector<TQZPoint>& points, TQZColour colour)
{
    if (PrepareUntextured() != QZRES_OK) return ErrorResult(QZRES_FAILED);
    if (points.size() < 3) return ErrorResult(QZRES_BADARG);
    return GradientTriangle({points[0], points[1], points[2]}, {colour, colour, colour});
}

int32_t TQZVideoGDI::DrawFrame(const TQZRect& rect, TQZColour colour1, int32_t thickness, TQZColour colour2)
{
    if (colour1 <= 0xFFFFFFu) return QZRES_OK;
    return TQZVideo::DrawFrame(rect, colour1, thickness, colour2);
}
