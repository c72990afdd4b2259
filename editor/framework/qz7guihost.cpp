#include "qz7videochoice.h"
#include "qz7guihost.h"

#include "qz7timer.h"
#include "qz7videowindow.h"

const TQZGUIPropertyList& TQZGUIHost::Properties() const
{
    using W = TQZGUIHost;
    namespace p = qz7props;
    static const TQZGUIPropertyList list = [] {
        TQZGUIPropertyList l = WindowProperties();
        // The host's own default colour.
        for (TQZGUIProperty& prop : l) {
            if (prop.name == "Color") prop.defaultValue = 0xFF204065;
        }
        return p::Extend(l, {p::Boolean<W>("CanDragVideo", &W::CanDragVideo, &W::SetCanDragVideo, false),
                             p::Cardinal<W>("FrameTime", &W::FrameTime, nullptr, false),
                             p::Boolean<W>("IsEventPrimary", &W::IsEventPrimary, nullptr, false)});
    }();
    return list;
}

TQZGUIHost::~TQZGUIHost()
{
    Unbind();
}

void TQZGUIHost::InitDefaults()
{
    SetColor(0xFF204065);
    lastTick_ = GetTickMS();
}

void TQZGUIHost::AfterCreate()
{
    if (TQZVideo* video = GetVideo(); video && !bound_) SetVideo(video);
}

void TQZGUIHost::SetVideo(TQZVideo* video)
{
    Unbind();
    TQZGUIWindow::SetVideo(video);
    if (!video) return;
    bound_ = video;
    video->resizeMethod = MakeMethod<&TQZGUIHost::VideoResized>(this);
    if (video->GetWidth() > 0) VideoResized(video);
}

void TQZGUIHost::Unbind()
{
    if (bound_ && bound_->resizeMethod == MakeMethod<&TQZGUIHost::VideoResized>(this)) bound_->resizeMethod = {};
    bound_ = nullptr;
}

bool TQZGUIHost::IsEventPrimary() const
{
    auto* self = const_cast<TQZGUIHost*>(this);
    return bound_ && bound_->resizeMethod == MakeMethod<&TQZGUIHost::VideoResized>(self);
}

void TQZGUIHost::VideoResized(TQZVideo* video)
{
    if (!video) return;
    SetPosition({0, 0, video->GetWidth(), video->GetHeight()});
    LayoutPass();
}

void TQZGUIHost::LayoutChanged()
{
    LayoutPass();
}

void TQZGUIHost::SetCanDragVideo(bool b)
{
    canDragVideo_ = b;
    SetCanDrag(b || CanDrag());
}

void TQZGUIHost::Update()
{
    const uint32_t now = GetTickMS();
    frameTime_ = TickDiff(lastTick_, now);
    lastTick_ = now;
}

void TQZGUIHost::DragMove(TQZPoint delta)
{
    if (!canDragVideo_ || (delta.x == 0 && delta.y == 0)) return;
    TQZVideo* video = GetVideo();
    auto* output = video ? dynamic_cast<TQZVideoWindow*>(video->Window()) : nullptr;
    TQZWindow* window = output ? output->MainWindow() : nullptr;
    if (!window || !window->HandleExists() || window->ShowState() == QZSHOW_MAXIMISED) return;
    if (!capturing_) {
        if (TQZMouse* mouse = GetMouse()) mouse->Capture(window->Handle());
        capturing_ = true;
    }
    plat::os::OsRect outer;
    if (!plat::os::GetWindowRect(window->Handle(), outer)) return;
    // The window moves under the pointer, so the pointer keeps its place in
    // it: the drag origin follows by itself.
    window->SetBounds({outer.left + delta.x, outer.top + delta.y, outer.right + delta.x, outer.bottom + delta.y});
}

void TQZGUIHost::DragEnd(TQZPoint)
{
    if (!capturing_) return;
    capturing_ = false;
    if (TQZMouse* mouse = GetMouse()) mouse->ReleaseCapture();
}
