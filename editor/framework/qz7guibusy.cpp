#include "qz7videochoice.h"
#include "qz7guibusy.h"

#include "qz7text.h"
#include "qz7timer.h"

#include <cmath>

const std::vector<std::string>& BusyAnimNames()
{
    static const std::vector<std::string> names = {"Circular", "Dots"};
    return names;
}

const TQZGUIPropertyList& TQZGUIBusySymbol::Properties() const
{
    using W = TQZGUIBusySymbol;
    static const TQZGUIPropertyList list = qz7props::Extend(
        WindowProperties(), {qz7props::Enumeration<W, TBusyAnim>("Anim", BusyAnimNames(), &W::Anim, &W::SetAnim)});
    return list;
}

TQZGUIBusySymbol::~TQZGUIBusySymbol()
{
    StopTimer();
}

void TQZGUIBusySymbol::InitDefaults()
{
    SetColor(GetThemeColor(4));
    SetCanMouseOver(false);
}

void TQZGUIBusySymbol::SetAnim(TBusyAnim a)
{
    anim_ = a;
    Invalidate(true);
}

void TQZGUIBusySymbol::StartTimer()
{
    TQZVideo* video = GetVideo();
    TQZVideoWindowBase* window = video ? video->Window() : nullptr;
    if (timer_ || !window) return;
    timer_ = window->SetTimer(50, [this](uint32_t) { Invalidate(true); });
    if (!timer_) return;
    timerVideo_ = video;
    timerWindow_ = window;
}

void TQZGUIBusySymbol::StopTimer()
{
    if (!timer_) return;
    // The video may have a new window by now: only the one that runs the
    // timer is told.
    if (timerVideo_ && timerVideo_->Window() == timerWindow_) timerWindow_->KillTimer(timer_);
    timer_ = 0;
    timerVideo_ = nullptr;
    timerWindow_ = nullptr;
}

void TQZGUIBusySymbol::SetVisible(bool flag)
{
    TQZGUIWindow::SetVisible(flag);
    if (flag) {
        StartTimer();
    } else {
        StopTimer();
    }
}

void TQZGUIBusySymbol::Update()
{
    if (!Visible()) return;
    if (anim_ == Dots || SecondsSinceStart() - lastStep_ >= 0.05f) Invalidate(true);
}

void TQZGUIBusySymbol::Paint(const TQZRect& r)
{
    const float t = SecondsSinceStart();
    if (anim_ == Dots) {
        PaintDots(r, t);
    } else {
        PaintCircular(r, t);
    }
}

void TQZGUIBusySymbol::PaintCircular(const TQZRect& r, float t)
{
    TQZVideo* video = GetVideo();
    if (!video) return;
    lastStep_ = t;
    const double rx = GetWidth() / 2, ry = GetHeight() / 2;
    const double a0 = double(std::lround(double(t) * 30) % 100) * 0.125;
    const bool gdi = video->BackEndKind() == QZVIDEO_BACKEND_GDI;
    for (int32_t k = 0; k < 8; ++k) {
        const double a = a0 + 0.25 * k;
        const TQZPoint outer{r.left + int32_t(std::lround(rx + rx * std::cos(a))),
                             r.top + int32_t(std::lround(ry + ry * std::sin(a)))};
        const TQZPoint inner{r.left + int32_t(std::lround(rx + rx / 3 * std::cos(a))),
                             r.top + int32_t(std::lround(ry + ry / 3 * std::sin(a)))};
        const uint8_t level = uint8_t(32 * k);
        const TQZColour c = gdi ? MakeColour(level, level, level, level) : ((Color() & 0xFFFFFF) | (uint32_t(k) << 29));
        video->DrawLine(outer, inner, c, c, 4);
    }
}

void TQZGUIBusySymbol::PaintDots(const TQZRect& r, float t)
{
    TQZVideo* video = GetVideo();
    const int32_t c = MinOf((GetWidth() - 24) / 4, 10);
    if (!video || c <= 0) return;  // too narrow for any dot
    const int32_t left = r.left + (r.right - r.left) / 2 - (4 * c + 24) / 2, top = (r.top + r.bottom - c) / 2;
    const float p = FloatMod(2.8f, t);
    for (int32_t i = 0; i < 4; ++i) {
        float f = 0;
        TQZColour colour = 0xFFA0A0A0;
        if (0.7f * float(i) <= p && p < 0.7f * float(i + 1)) {
            f = (p - 0.7f * float(i)) / 0.7f;
            const uint8_t v = uint8_t(std::trunc(255 * f + 160 * (1 - f)));
            colour = MakeColour(255, v, v, v);
        }
        const float cx = float(left + i * (c + 8)) + float(c) / 2, cy = float(top) + float(c) / 2 - 25 * f;
        const float radius = float(c) / 2 + 2 * f;
        video->FillEllipse({cx, cy}, {radius, radius}, colour);
    }
}
