#include "qz7videowindow.h"

#include "qz7direct3d.h"

#include <algorithm>

namespace os = plat::os;

void TQZHeadlessVideoWindow::SetStyle(int32_t width, int32_t height, int32_t kind, uint32_t flags)
{
    windowKind = kind;
    styleFlags = flags;
    SetClientSize(width, height);
}

void TQZHeadlessVideoWindow::UserResize(int32_t width, int32_t height)
{
    SetClientSize(width, height);
    if (onResize) onResize();
}

uint32_t TQZHeadlessVideoWindow::SetTimer(uint32_t, std::function<void(uint32_t)> handler)
{
    uint32_t id = QZ_FIRST_WINDOW_TIMER;
    auto at = timers_.begin();
    while (at != timers_.end() && at->first == id) {
        ++id;
        ++at;
    }
    timers_.insert(at, {id, std::move(handler)});
    return id;
}

void TQZHeadlessVideoWindow::KillTimer(uint32_t id)
{
    std::erase_if(timers_, [&](const auto& t) { return t.first == id; });
}

bool TQZHeadlessVideoWindow::FireTimer(uint32_t id)
{
    for (const auto& t : timers_) {
        if (t.first != id) continue;
        auto handler = t.second;  // it may kill its own timer
        if (handler) handler(id);
        return true;
    }
    return false;
}

bool TQZHeadlessVideoWindow::HasTimer(uint32_t id) const
{
    return std::any_of(timers_.begin(), timers_.end(), [&](const auto& t) { return t.first == id; });
}

std::unique_ptr<TQZVideoWindowBase> CreateHeadlessVideoWindow(int32_t width, int32_t height, int32_t windowKind,
                                                              uint32_t flags)
{
    auto w = std::make_unique<TQZHeadlessVideoWindow>(width, height);
    w->SetStyle(width, height, windowKind, flags);
    return w;
}

// ---------------------------------------------------------------- the main window


TQZVideoWindow::TQZVideoWindow(std::unique_ptr<TQZWindow> window) : window_(std::move(window))
{
    window_->onPaint = MakeMethod<&TQZVideoWindow::Paint>(this);
    window_->onResize = MakeMethod<&TQZVideoWindow::Resized>(this);
}

TQZVideoWindow::~TQZVideoWindow()
{
    window_->onPaint = {};
    window_->onResize = {};
}

void* TQZVideoWindow::Handle()
{
    return window_->HandleExists() ? reinterpret_cast<void*>(uintptr_t(window_->Handle())) : nullptr;
}

TQZRect TQZVideoWindow::ClientRect()
{
    TQZPoint size = window_->GetClientSize();
    return {0, 0, size.x, size.y};
}

void TQZVideoWindow::SetClientSize(int32_t width, int32_t height)
{
    window_->SetClientSize(width, height);
}

void TQZVideoWindow::SetStyle(int32_t width, int32_t height, int32_t windowKind, uint32_t flags)
{
    // Out of full screen before the style and size change, into it after.
    if (windowKind == QZWINDOW_WINDOWED) ApplyWindowKind(windowKind);
    window_->SetStyle(VideoWindowStyle(windowKind, flags));
    window_->SetClientSize(width, height);
    if (windowKind != QZWINDOW_WINDOWED) ApplyWindowKind(windowKind);
}

void TQZVideoWindow::ApplyWindowKind(int32_t windowKind)
{
    if (!window_->HandleExists()) return;
    os::FullScreenMode mode = os::FullScreenMode::Off;
    if (windowKind == QZWINDOW_FULLSCREEN) mode = os::FullScreenMode::Exclusive;
    else if (windowKind == QZWINDOW_BORDERLESS && window_->GetClientSize() == GetScreenSize())
        mode = os::FullScreenMode::Desktop;
    // False only for a window already gone: nothing left to change.
    (void)os::SetWindowFullScreen(window_->Handle(), mode);
}

void TQZVideoWindow::Maximise()
{
    window_->Maximize();
}

void TQZVideoWindow::Show()
{
    window_->ShowHide(false);
}

void TQZVideoWindow::Invalidate()
{
    window_->Invalidate();
}

void TQZVideoWindow::ValidateRect()
{
    if (window_->HandleExists()) os::ValidateWindow(window_->Handle());
}

void TQZVideoWindow::PresentFrame(const uint32_t* pixels, int32_t pitchBytes, int32_t width, int32_t height)
{
    // A frame a gone window cannot show is not seen; the next one follows.
    if (window_->HandleExists()) (void)os::PresentPixels(window_->Handle(), pixels, pitchBytes, width, height);
}

bool TQZVideoWindow::Paint(TQZWindow*, int64_t)
{
    if (onPaint) onPaint();
    return true;
}

void TQZVideoWindow::Resized(int32_t, int32_t)
{
    if (onResize) onResize();
}

uint32_t VideoWindowStyle(int32_t windowKind, uint32_t modeFlags)
{
    uint32_t flags = windowKind == QZWINDOW_WINDOWED ? (QZWS_SIZING | QZWS_MAXBOX) : QZWS_POPUP;
    if (modeFlags & QZVIDEO_TOPMOST) flags |= QZWS_TOPMOST;
    if (modeFlags & QZVIDEO_NOSIZEFRAME) flags &= ~QZWS_SIZING;
    return flags;
}

std::unique_ptr<TQZVideoWindowBase> CreateMainVideoWindow(int32_t width, int32_t height, int32_t windowKind,
                                                          uint32_t flags)
{
    std::unique_ptr<TQZWindow> window = CreateVideoWindow(width, height, windowKind, flags);
    if (!window) return nullptr;
    auto video = std::make_unique<TQZVideoWindow>(std::move(window));
    video->ApplyWindowKind(windowKind);
    return video;
}
