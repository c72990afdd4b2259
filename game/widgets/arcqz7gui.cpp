#include "arcqz7gui.h"

#include "qz7texture.h"
#include "qz7timer.h"
#include "qz7video.h"

#include <algorithm>

namespace {

// Windows whose command queue holds something, so that a dying sender can be
// taken out of every queue without walking every tree.
std::vector<TGUIWindow*>& WindowsWithQueues()
{
    static std::vector<TGUIWindow*> list;
    return list;
}

void Unlist(TGUIWindow* window)
{
    auto& list = WindowsWithQueues();
    list.erase(std::remove(list.begin(), list.end(), window), list.end());
}

bool ClockPassed(uint32_t deadline, uint32_t now)
{
    return TickDiff(deadline, now) < 0x80000000u;
}

}  // namespace

void TGUIWindowDeleter::operator()(TGUIWindow* window) const
{
    TGUIWindow::Free(window);
}

// ---------------------------------------------------------------- life cycle

TGUIWindow::TGUIWindow(const TQZRect& rect, TGUIWindow* parent, int32_t commandId)
    : commandId(commandId), parent_(parent), rect_(rect)
{
}

TGUIWindow::~TGUIWindow()
{
    if (!tornDown_) TearDown();
}

void TGUIWindow::Created()
{
    if (parent_) parent_->AddChild(this);
    AfterCreate();
}

void TGUIWindow::Free(TGUIWindow* window)
{
    if (!window) return;
    window->TearDown();
    std::unique_ptr<TGUIWindow> gone(window);
}

void TGUIWindow::TearDown()
{
    if (tornDown_) return;
    tornDown_ = true;
    Destroying();
    DropFocusWithin();
    FreeChildren();
    queue_.clear();
    Unlist(this);
    PurgeCommandsFrom();
    if (parent_) parent_->RemoveChild(this);
    parent_ = nullptr;
    renderTarget_.reset();
}

// A focused window inside a dying subtree would leave the root pointing at
// freed memory: the focus goes first, while the tree is still whole.
void TGUIWindow::DropFocusWithin()
{
    TGUIWindow* root = GetRoot();
    if (root != this && root->focused_ && Contains(root->focused_)) root->ChangeFocus(nullptr);
    if (root == this) focused_ = nullptr;
}

// Commands this window sent may wait in any queue, in this tree or another.
void TGUIWindow::PurgeCommandsFrom()
{
    std::vector<TGUIWindow*> listed = WindowsWithQueues();
    for (TGUIWindow* w : listed) {
        auto& q = w->queue_;
        q.erase(std::remove_if(q.begin(), q.end(), [this](const auto& c) { return c.first == this; }), q.end());
        if (q.empty()) Unlist(w);
    }
}

// ---------------------------------------------------------------- tree

void TGUIWindow::AddChild(TGUIWindow* child)
{
    children_.push_back(child);
    child->AddedToParent();
}

void TGUIWindow::RemoveChild(TGUIWindow* child)
{
    if (child->IsFocused()) child->SetFocus(false);
    children_.erase(std::remove(children_.begin(), children_.end(), child), children_.end());
}

TGUIWindow* TGUIWindow::GetRoot()
{
    TGUIWindow* w = this;
    while (w->parent_) w = w->parent_;
    return w;
}

TGUIWindow* TGUIWindow::GetChild(int32_t index) const
{
    if (index < 1 || index > ChildCount()) return nullptr;
    return children_[size_t(index - 1)];
}

int32_t TGUIWindow::GetIndex() const
{
    if (!parent_) return 0;
    const auto& siblings = parent_->children_;
    auto it = std::find(siblings.begin(), siblings.end(), this);
    return it == siblings.end() ? 0 : int32_t(it - siblings.begin()) + 1;
}

bool TGUIWindow::Contains(const TGUIWindow* window) const
{
    for (const TGUIWindow* w = window; w; w = w->parent_) {
        if (w == this) return true;
    }
    return false;
}

template <class F> void TGUIWindow::EachChildLastFirst(F f)
{
    for (int32_t i = ChildCount(); i >= 1; --i) {
        if (i > ChildCount()) continue;  // a sibling went away under the walk
        f(children_[size_t(i - 1)]);
    }
}

void TGUIWindow::BringToFront(TGUIWindow* below)
{
    if (!parent_) return;
    auto& siblings = parent_->children_;
    const int32_t mine = GetIndex() - 1;
    if (!below) {
        siblings.erase(siblings.begin() + mine);
        siblings.push_back(this);
        return;
    }
    if (below->parent_ != parent_) return;
    const int32_t other = below->GetIndex() - 1;
    if (mine > other) return;
    siblings.erase(siblings.begin() + mine);
    siblings.insert(siblings.begin() + other, this);  // other moved down by one: just above it
}

void TGUIWindow::FreeChildren()
{
    while (!children_.empty()) {
        TGUIWindow* child = children_.back();
        if (child->IsFocused()) GetRoot()->ChangeFocus(nullptr);
        Free(child);  // leaves Children through RemoveChild
        if (!children_.empty() && children_.back() == child) children_.pop_back();
    }
}

void TGUIWindow::FreeChildrenExcept(const std::vector<TGUIWindow*>& keep)
{
    for (int32_t i = ChildCount(); i >= 1; --i) {
        if (i > ChildCount()) continue;
        TGUIWindow* child = children_[size_t(i - 1)];
        if (std::find(keep.begin(), keep.end(), child) != keep.end()) continue;
        // The child stays attached while it is freed, so that the focus of
        // any descendant is taken from this tree's root and not a detached one.
        Free(child);
    }
}

TGUIWindow* TGUIWindow::FindByCommandId(int32_t id)
{
    if (commandId == id) return this;
    for (TGUIWindow* child : children_) {
        if (TGUIWindow* found = child->FindByCommandId(id)) return found;
    }
    return nullptr;
}

TGUIWindow* TGUIWindow::FindWindowAt(TQZPoint point)
{
    if (!HitTest(point)) return nullptr;
    for (auto it = children_.rbegin(); it != children_.rend(); ++it) {
        if (TGUIWindow* found = (*it)->FindWindowAt(point)) return found;
    }
    return this;
}

// ---------------------------------------------------------------- state

bool TGUIWindow::IsVisible() const
{
    for (const TGUIWindow* w = this; w; w = w->parent_) {
        if (!w->visible_) return false;
    }
    return true;
}

bool TGUIWindow::IsEnabled() const
{
    for (const TGUIWindow* w = this; w; w = w->parent_) {
        if (!w->enabled_) return false;
    }
    return true;
}

bool TGUIWindow::HitTest(TQZPoint point) const
{
    return IsVisible() && !clickThrough && PointInRect(point, GetScreenRect());
}

void TGUIWindow::SetVisible(bool visible)
{
    visible_ = visible;
}

// ---------------------------------------------------------------- geometry

TQZPoint TGUIWindow::GetClientSize() const
{
    return {GetWidth() - marginLeft - marginRight, GetHeight() - marginTop - marginBottom};
}

TQZRect TGUIWindow::GetScreenRect() const
{
    if (!parent_) return rect_;
    const TQZRect p = parent_->GetScreenRect();
    return OffsetRectBy(rect_, {p.left, p.top});
}

TQZRect TGUIWindow::GetDrawRect() const
{
    if (renderTarget_) return {0, 0, GetWidth(), GetHeight()};
    if (!parent_) return rect_;
    const TQZRect p = parent_->GetDrawRect();
    return OffsetRectBy(rect_, {p.left, p.top});
}

void TGUIWindow::SetRect(const TQZRect& rect)
{
    rect_ = rect;
}

void TGUIWindow::SetBounds(const TQZRect& rect)
{
    SetRect({std::min(rect.left, rect.right), std::min(rect.top, rect.bottom), std::max(rect.left, rect.right),
             std::max(rect.top, rect.bottom)});
    for (size_t i = 0; i < children_.size(); ++i) children_[i]->ParentResized();
}

void TGUIWindow::MoveTo(TQZPoint point)
{
    SetBounds({point.x, point.y, point.x + GetWidth(), point.y + GetHeight()});
}

TQZRect TGUIWindow::PercentRect(int32_t left, int32_t top, int32_t right, int32_t bottom) const
{
    const int32_t w = GetWidth(), h = GetHeight();
    return {w * left / 100, h * top / 100, w * right / 100, h * bottom / 100};
}

// ---------------------------------------------------------------- focus

bool TGUIWindow::IsFocused() const
{
    if (focusParent && parent_) return parent_->IsFocused();
    const TGUIWindow* root = this;
    while (root->parent_) root = root->parent_;
    return root->focused_ == this;
}

void TGUIWindow::SetFocus(bool focus)
{
    if (focus == IsFocused()) return;
    if (!focus) {
        GetRoot()->ChangeFocus(nullptr);
    } else if (focusParent && parent_ && parent_->CanFocus()) {
        GetRoot()->ChangeFocus(parent_);
    } else {
        GetRoot()->ChangeFocus(this);
    }
}

TGUIWindow* TGUIWindow::GetFocused()
{
    return GetRoot()->focused_;
}

void TGUIWindow::ChangeFocus(TGUIWindow* window)
{
    TGUIWindow* root = GetRoot();
    if (window == root->focused_) return;
    if (TGUIWindow* old = root->focused_) old->LostFocus();
    root->focused_ = window;
    if (!window) return;
    if (window->CanFocus()) window->GotFocus();
    else root->focused_ = nullptr;
}

// ---------------------------------------------------------------- commands

void TGUIWindow::SendCommand(int32_t id, TGUIWindow* target)
{
    if (target) target->PostCommand(this, id);
    else if (parent_) parent_->PostCommand(this, id);
}

void TGUIWindow::PostCommand(TGUIWindow* sender, int32_t id)
{
    if (forwardCommands && parent_) {
        parent_->PostCommand(sender, id);
        return;
    }
    if (queue_.empty()) WindowsWithQueues().push_back(this);
    queue_.emplace_back(sender, id);
}

bool TGUIWindow::PopCommand(TGUIWindow*& sender, int32_t& id)
{
    if (queue_.empty()) return false;
    sender = queue_.front().first;
    id = queue_.front().second;
    queue_.pop_front();
    if (queue_.empty()) Unlist(this);
    return true;
}

void TGUIWindow::HandleCommand(TGUIWindow*, int32_t) {}

// ---------------------------------------------------------------- mouse and keys

void TGUIWindow::Press()
{
    pressed_ = true;
    if (CanFocus() || (focusParent && parent_ && parent_->CanFocus())) SetFocus(true);
}

void TGUIWindow::Click()
{
    SendCommand(commandId, nullptr);
}

bool TGUIWindow::MouseButton(const TQZMouseEvent& event)
{
    if (!IsMouseEnabled()) return false;
    const TQZRect s = GetScreenRect();
    const TQZPoint p{event.x - s.left, event.y - s.top};
    return event.down ? MouseDown(p) : MouseUp(p);
}

bool TGUIWindow::MouseDown(TQZPoint point)
{
    if (!PointInRect(point, {marginLeft, marginTop, GetWidth() - marginRight, GetHeight() - marginBottom})) {
        return false;
    }
    Press();
    return true;
}

bool TGUIWindow::MouseUp(TQZPoint point)
{
    const bool click = pressed_ && PointInRect(point, {0, 0, GetWidth(), GetHeight()});
    pressed_ = false;
    if (click) Click();
    return click;
}

void TGUIWindow::MouseLeave()
{
    if (IsPressed()) MouseUp(QZ_NOWHERE);
    if (hover_) MouseExit(QZ_NOWHERE);
}

void TGUIWindow::MouseMove(TQZPoint point, TGUIWindow* hit)
{
    const bool isHit = hit == this;
    if (isHit == hover_) return;
    if (isHit) MouseEnter(point);
    else MouseExit(point);
}

void TGUIWindow::MouseEnter(TQZPoint)
{
    hover_ = true;
}

void TGUIWindow::MouseExit(TQZPoint)
{
    hover_ = false;
}

bool TGUIWindow::MouseWheel(int32_t)
{
    return false;
}

bool TGUIWindow::KeyPress(uint32_t)
{
    return false;
}

void TGUIWindow::Update()
{
    if (clickDeadline == 0 || !ClockPassed(clickDeadline, GetTickMS())) return;
    clickDeadline = 0;
    pressed_ = false;
    Click();
}

void TGUIWindow::ClickDelayed()
{
    Press();
    clickDeadline = GetTickMS() + GUI_CLICK_DELAY_MS;
    if (clickDeadline == 0) clickDeadline = 1;  // 0 means none
}

// ---------------------------------------------------------------- dispatch

void TGUIWindow::DispatchInput()
{
    TQZMouse* mouse = GetMouse();
    if (mouse) {
        if (mouse->HasMoved()) {
            const TQZPoint p = mouse->GetPosition();
            if (mouse->HasPosition()) DispatchMouseMove(p, FindWindowAt(p));
            else DispatchMouseLeave();
            mouse->SetPreviousPosition(p);
        }
        if (mouse->HasWheel()) DispatchWheel(mouse->TakeWheel());
    }
    // One button event and one key a frame, in the order they came: a press
    // that moves the focus must not take the key typed before it.
    bool tookButton = false, tookKey = false;
    for (;;) {
        const TQZInputKind next = NextInputKind(0);
        if (next == TQZInputKind::Button && !tookButton) {
            DispatchMouseButton(mouse->PopEventFor(0));
            tookButton = true;
        } else if (next == TQZInputKind::Key && !tookKey) {
            DispatchKey(GetKeyboard()->ReadKey());
            tookKey = true;
        } else {
            break;
        }
    }
}

void TGUIWindow::DispatchMouseMove(TQZPoint point, TGUIWindow* hit)
{
    if (!IsEnabled()) return;
    if (point == QZ_NOWHERE) {
        DispatchMouseLeave();
        return;
    }
    const TQZRect s = GetScreenRect();
    MouseMove({point.x - s.left, point.y - s.top}, hit);
    EachChildLastFirst([&](TGUIWindow* c) { c->DispatchMouseMove(point, hit); });
}

void TGUIWindow::DispatchMouseLeave()
{
    MouseLeave();
    EachChildLastFirst([](TGUIWindow* c) { c->DispatchMouseLeave(); });
}

bool TGUIWindow::DispatchWheel(int32_t delta)
{
    if (!IsEnabled()) return false;
    if (MouseWheel(delta)) return true;
    for (int32_t i = ChildCount(); i >= 1; --i) {
        if (i <= ChildCount() && children_[size_t(i - 1)]->DispatchWheel(delta)) return true;
    }
    return false;
}

bool TGUIWindow::DispatchMouseButton(const TQZMouseEvent& event)
{
    if (!IsEnabled()) return false;
    if (MouseButton(event)) return true;
    if (event.down && !HitTest({event.x, event.y})) return false;
    for (int32_t i = ChildCount(); i >= 1; --i) {
        if (i <= ChildCount() && children_[size_t(i - 1)]->DispatchMouseButton(event)) return true;
    }
    return false;
}

bool TGUIWindow::DispatchKey(uint32_t key)
{
    if (!IsEnabled()) return false;
    if (KeyPress(key)) return true;
    for (int32_t i = ChildCount(); i >= 1; --i) {
        if (i <= ChildCount() && children_[size_t(i - 1)]->DispatchKey(key)) return true;
    }
    return false;
}

void TGUIWindow::UpdateTree()
{
    if (!IsEnabled()) return;
    Update();
    EachChildLastFirst([](TGUIWindow* c) { c->UpdateTree(); });
    TGUIWindow* sender = nullptr;
    int32_t id = 0;
    while (PopCommand(sender, id)) HandleCommand(sender, id);
}

// ---------------------------------------------------------------- drawing

void TGUIWindow::Draw(const TQZRect&) {}

void TGUIWindow::DrawTree()
{
    if (!IsVisible()) return;
    TQZVideo* video = CurrentVideo();
    TQZD3DImageClass* saved = nullptr;
    const bool ownTarget = renderTarget_ && video;
    if (ownTarget) {
        if (TQZRenderCache* cache = video->GetRenderCache()) cache->FlushBatch();
        saved = video->GetRenderTarget();
        // A target refused is reported inside; the window then draws where the frame does.
        (void)video->SetRenderTarget(renderTarget_.get());
        video->Clear(0);  // the picture is composed afresh every frame
    }
    Draw(GetDrawRect());
    for (size_t i = 0; i < children_.size(); ++i) children_[i]->DrawTree();
    if (ownTarget) {
        if (TQZRenderCache* cache = video->GetRenderCache()) cache->FlushBatch();
        (void)video->SetRenderTarget(saved);  // the target the frame had, which it took before
    }
    DrawAfterChildren();
}

void TGUIWindow::SetRenderTarget(std::unique_ptr<TQZTexture> target)
{
    renderTarget_ = std::move(target);
}

// ---------------------------------------------------------------- layout

void TGUIWindow::ArrangeTree()
{
    const bool atRoot = parent_ == nullptr;
    int32_t focusedId = 0;
    if (atRoot && focused_) focusedId = focused_->commandId;
    if (!Arrange()) EachChildLastFirst([](TGUIWindow* c) { c->ArrangeTree(); });
    if (atRoot && focusedId != 0) ChangeFocus(FindByCommandId(focusedId));
}

namespace {

// Cuts or widens one axis around its centre.
void SizeAround(int32_t& lo, int32_t& hi, int32_t centre, int32_t size)
{
    lo = centre - size / 2;
    hi = lo + size;
}

}  // namespace

bool TGUIWindow::Arrange()
{
    if (anchorLeft == 0 && anchorTop == 0 && anchorRight == 0 && anchorBottom == 0) return false;
    if (!parent_) return false;
    const int32_t W = parent_->GetWidth(), H = parent_->GetHeight();
    TQZRect r;
    if (anchorLeft < 0) {
        const int32_t w = -anchorLeft, h = -anchorTop;
        const int32_t x = W * anchorRight / 100, y = H * anchorBottom / 100;
        r = {x - w / 2, y - h / 2, x + w / 2 + w % 2, y + h / 2 + h % 2};
    } else {
        r = {W * anchorLeft / 100, H * anchorTop / 100, W * anchorRight / 100, H * anchorBottom / 100};
        const int32_t cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
        // A limit of 0 is no limit, for each axis on its own.
        if (minWidth > 0 && r.Width() < minWidth) SizeAround(r.left, r.right, cx, minWidth);
        if (minHeight > 0 && r.Height() < minHeight) SizeAround(r.top, r.bottom, cy, minHeight);
        if (maxWidth > 0 && r.Width() > maxWidth) SizeAround(r.left, r.right, cx, maxWidth);
        if (maxHeight > 0 && r.Height() > maxHeight) SizeAround(r.top, r.bottom, cy, maxHeight);
    }
    if (r.bottom > H) r = OffsetRectBy(r, {0, H - r.bottom});
    if (r.right > W) r = OffsetRectBy(r, {W - r.right, 0});
    if (r.top < 0) r = OffsetRectBy(r, {0, -r.top});
    if (r.left < 0) r = OffsetRectBy(r, {-r.left, 0});
    SetBounds(r);
    return false;
}
