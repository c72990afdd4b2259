#include "qz7windragdrop.h"

#include "osWindow.h"

namespace {
constexpr TQZRect kAnywhere{-8192, -8192, 8192, 8192};
}  // namespace

bool TQZDropTarget::InTarget(TQZPoint p) const
{
    const TQZRect& r = owner_->targetRect;
    return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

int32_t TQZDropTarget::DragEnter(const std::vector<std::string>& files, TQZPoint)
{
    accepts = enabled && !files.empty();
    owner_->inside = accepts;
    if (!accepts) return QZDROPEFFECT_NONE;
    if (TQZWindow* w = owner_->Window()) plat::os::FocusWindow(w->Handle());
    if (owner_->onEnter) owner_->onEnter();
    return QZDROPEFFECT_COPY;
}

int32_t TQZDropTarget::DragOver(TQZPoint p)
{
    point = p;
    if (!accepts || !InTarget(p)) return QZDROPEFFECT_NONE;
    if (owner_->onOver) owner_->onOver(p);
    return QZDROPEFFECT_COPY;
}

void TQZDropTarget::DragLeave()
{
    point = {0, 0};
    if (owner_->onLeave) owner_->onLeave();
    owner_->inside = false;
}

int32_t TQZDropTarget::Drop(const std::vector<std::string>& files, TQZPoint p)
{
    point = p;
    // A drop where the drag was refused is no drop: the drag just leaves,
    // as a window system that honours the refusal would have it.
    if (accepts && !files.empty() && InTarget(p)) {
        accepts = false;
        if (owner_->onDrop) owner_->onDrop(p, files);
        owner_->inside = false;
        return QZDROPEFFECT_COPY;
    }
    accepts = false;
    if (owner_->inside) DragLeave();
    return QZDROPEFFECT_NONE;
}

TQZDragDrop::TQZDragDrop(TQZWindow* window, const TQZRect& rect)
    : targetRect(rect == TQZRect{} ? kAnywhere : rect), window_(window), target_(std::make_unique<TQZDropTarget>(this))
{
    registered_ = window_ && window_->RegisterDragDrop(target_.get());
}

TQZDragDrop::~TQZDragDrop()
{
    if (registered_ && window_ && window_->DropTarget() == target_.get()) window_->RevokeDragDrop();
}
