// Sections, in order: helpers (font flag names, rectangles, node text);
// creation (construction, from a key/value node); properties (the published
// settings, layout text, writing back to a node); settings (options,
// colour, enabled, visible, text, state); tree (children, lookups, paint and
// hit order, focus on removal); geometry (layout passes, placement, screen
// rectangles, fonts, theme colours, minimum size); drawing (invalidation,
// dirty rectangles, the tree's update and paint, text); pointer (hit tests,
// moves, buttons, clicks, hover); focus and keys.
#include "qz7videochoice.h"
#include "qz7gui.h"

#include "qz7text.h"

#include <algorithm>

const char* const QZGUI_BUILTIN = "$QZ";

const std::vector<std::string>& FontDrawFlagNames()
{
    static const std::vector<std::string> names = {"QZFD_ALIGN_LEFT",   "QZFD_ALIGN_CENTRE", "QZFD_ALIGN_RIGHT",
                                                   "QZFD_ALIGN_TOP",    "QZFD_ALIGN_MIDDLE", "QZFD_ALIGN_BOTTOM",
                                                   "QZFD_WORD_WRAP",    "QZFD_WORD_JUSTIFY"};
    return names;
}

TQZRect UnionRects(const TQZRect& a, const TQZRect& b)
{
    if (RectIsEmpty(a)) return b;
    if (RectIsEmpty(b)) return a;
    return {MinOf(a.left, b.left), MinOf(a.top, b.top), MaxOf(a.right, b.right), MaxOf(a.bottom, b.bottom)};
}

namespace {

// The value of a node written as JSON text: what follows its key.
std::string NodeValueText(const TQZKeyValue& node)
{
    const std::string text = node.ToText(true);
    size_t i = 0;
    if (i < text.size() && text[i] == '"') {
        for (++i; i < text.size() && text[i] != '"'; ++i) {
            if (text[i] == '\\') ++i;
        }
        ++i;
    }
    i = text.find(':', i);
    return i == std::string::npos ? std::string() : TrimText(text.substr(i + 1));
}

TQZPoint Sub(TQZPoint a, TQZPoint b) { return {a.x - b.x, a.y - b.y}; }

}  // namespace

// ---------------------------------------------------------------- creation

TQZGUIWindow::TQZGUIWindow() = default;

TQZGUIWindow::~TQZGUIWindow()
{
    DetachFocus();
    // Last to first; a child leaves the list before it goes, so that
    // nothing freed is ever found in it.
    while (!children_.empty()) {
        std::unique_ptr<TQZGUIWindow> child = std::move(children_.back());
        children_.pop_back();
        child.reset();
    }
}

void TQZGUIWindow::Initialise(TQZGUIWindow* parent, std::unique_ptr<TQZGUIWindow> self)
{
    options_ = QZGUI_DEFAULT_OPTIONS;
    state_ = QZSTATE_REPAINT;
    color_ = 0xFF000000;
    textDraw_ = QZFD_ALIGN_CENTRE | QZFD_ALIGN_MIDDLE;
    position_ = {};
    dirty_ = {};
    if (parent && self) parent->AddChild(std::move(self));
    InitDefaults();
}

void TQZGUIWindow::Construct(TQZGUIWindow* parent, std::unique_ptr<TQZGUIWindow> self, const TQZRect& rect,
                             const std::string& caption, int32_t id, bool applyRect)
{
    Initialise(parent, std::move(self));
    id_ = id;
    position_ = rect;
    SetText(caption);
    if (applyRect) {
        TQZGUILayout layout;
        GetLayout(layout);
        layout.mode = LayoutRelative;
        layout.position = rect;
        SetLayout(layout);
    }
    AfterCreate();
}

TQZGUIWindow* TQZGUIWindow::CreateFromKeyValue(std::unique_ptr<TQZGUIWindow>& made, const TQZKeyValue& node,
                                               TQZGUIWindow* parent)
{
    TQZGUIWindow* w = made.get();
    if (!w) return nullptr;
    w->Initialise(parent, parent ? std::move(made) : nullptr);
    w->ApplyKeyValues(node);
    w->AfterCreate();
    return w;
}

// ---------------------------------------------------------------- properties

const TQZGUIPropertyList& TQZGUIWindow::WindowProperties()
{
    using W = TQZGUIWindow;
    namespace p = qz7props;
    static const TQZGUIPropertyList list = {
        p::Boolean<W>("AlwaysOnTop", &W::AlwaysOnTop, &W::SetAlwaysOnTop, false),
        p::Boolean<W>("CanClick", &W::CanClick, &W::SetCanClick, false),
        p::Boolean<W>("CanDrag", &W::CanDrag, &W::SetCanDrag, false),
        p::Boolean<W>("CanFocus", &W::CanFocus, &W::SetCanFocus, false),
        p::Boolean<W>("CanMouseOver", &W::CanMouseOver, &W::SetCanMouseOver, true),
        p::Cardinal<W>("BGColor", &W::BGColor, &W::SetBGColor, true, 0),
        p::Cardinal<W>("Color", &W::Color, &W::SetColor, true, 0xFF000000),
        p::Boolean<W>("Enabled", &W::Enabled, &W::SetEnabled, true),
        p::Integer<W>("ID", &W::ID, &W::SetID, true, 0),
        p::String<W>("Text", &W::TextValue, &W::SetText),
        p::Set<W>("TextDraw", FontDrawFlagNames(), &W::TextDraw, &W::SetTextDraw),
        p::Cardinal<W>("Theme", &W::Theme, &W::SetTheme, true, 0),
        p::String<W>("Title", &W::TitleValue, &W::SetTitle),
        p::Boolean<W>("Visible", &W::Visible, &W::SetVisible, true),
    };
    return list;
}

const TQZGUIPropertyList& TQZGUIWindow::Properties() const
{
    return WindowProperties();
}

void TQZGUIWindow::SetProperty(const std::string& name, const std::string& value)
{
    const std::string key = LowerText(name);
    if (key == "class" || key == "children") return;
    if (key == "position") {
        SetPosition(TextToRect(value, position_));
        return;
    }
    if (key == "layout") {
        SetLayoutFromText(value);
        return;
    }
    // A value that does not parse leaves the property as it was.
    if (const TQZGUIProperty* p = FindProperty(Properties(), name)) (void)SetPropertyText(*this, *p, value);
}

void TQZGUIWindow::SetLayoutFromText(const std::string& value)
{
    const std::string text = TrimText(value);
    TQZGUILayout layout;
    GetLayout(layout);
    if (text.empty() || text[0] != '{') {
        if (LowerText(text) != "parentmanaged") return;
        layout.mode = LayoutParentManaged;
        SetLayout(layout);
        return;
    }
    std::unique_ptr<TQZKeyValue> node = TQZKeyValue::CreateFromText(text);
    if (!node) return;
    ReadLayoutNode(*node, layout);
    SetLayout(layout);
}

void TQZGUIWindow::ApplyKeyValues(const TQZKeyValue& node)
{
    for (const TQZKeyValue* child : node.Children()) {
        if (SameText(child->Name(), "class") || SameText(child->Name(), "children")) continue;
        SetProperty(child->Name(), child->ChildCount() > 0 ? NodeValueText(*child) : child->Value());
    }
}

void TQZGUIWindow::ApplyKeyValueText(const std::string& text)
{
    std::vector<std::string> items;
    std::string item;
    bool quoted = false;
    for (char c : text) {
        if (c == '"') quoted = !quoted;
        if (c == ',' && !quoted) {
            items.push_back(item);
            item.clear();
        } else {
            item += c;
        }
    }
    items.push_back(item);
    for (const std::string& it : items) {
        size_t eq = it.find('=');
        if (eq == std::string::npos) continue;
        std::string key = TrimText(it.substr(0, eq)), value = TrimText(it.substr(eq + 1));
        if (!value.empty() && value[0] == '"') {
            value.erase(0, 1);
            if (!value.empty() && value.back() == '"') value.pop_back();
        }
        if (key.empty() || value.empty()) continue;
        SetProperty(key, value);
    }
}

bool TQZGUIWindow::SaveToKeyValue(TQZKeyValue* node)
{
    if (!node) return false;
    node->SetString("Class", ClassName());
    if (LayoutMode() != LayoutNone) {
        WriteLayoutNode(*layout_, *node->GetNode("Layout"));
    } else {
        node->SetString("Position", RectToText(position_));
    }
    const bool all = Option(QZGUI_SAVEALL);
    for (const TQZGUIProperty& p : Properties()) {
        if (!p.Writable()) continue;  // no text form ("?"), or read-only
        if (!all && PropertyAtDefault(*this, p)) continue;
        node->SetString(p.name, GetPropertyText(*this, p));
    }
    if (!children_.empty() && !Option(QZGUI_NOSAVECHILDREN)) {
        node->GetNode("Children")->SetValue(TQZKeyValue::ARRAY_VALUE);
        for (const auto& child : children_) {
            if (child->title_ == QZGUI_BUILTIN) continue;
            (void)child->SaveToKeyValue(node->AddArrayElement("Children", ""));  // fails only without a node
        }
    }
    return true;
}

// ---------------------------------------------------------------- settings

void TQZGUIWindow::SetOption(uint32_t bit, bool on)
{
    options_ = on ? (options_ | bit) : (options_ & ~bit);
}

void TQZGUIWindow::SetColor(TQZColour c)
{
    color_ = c;
    Invalidate(true);
}

void TQZGUIWindow::SetEnabled(bool f)
{
    if (f == Enabled()) return;
    SetOption(QZGUI_ENABLED, f);
    Invalidate(true);
}

void TQZGUIWindow::SetVisible(bool flag)
{
    if (flag == Visible()) return;
    if (!flag) Invalidate(true);  // the area it leaves
    SetOption(QZGUI_VISIBLE, flag);
    if (flag) Invalidate(true);
}

void TQZGUIWindow::SetText(const std::string& text)
{
    text_ = text;
    Invalidate(true);
}

void TQZGUIWindow::SetTitle(const std::string& title)
{
    title_ = title;
    if (LayoutMode() == LayoutParentManaged) ApplyLayout();
}

void TQZGUIWindow::SetVideo(TQZVideo* video)
{
    video_ = video;
}

void TQZGUIWindow::SetState(uint32_t bits, bool on)
{
    const uint32_t next = on ? (state_ | bits) : (state_ & ~bits);
    if ((next & 0xFFFF) != (state_ & 0xFFFF)) {
        state_ = next | QZSTATE_CHANGED;
    } else {
        state_ = next;
    }
}

void TQZGUIWindow::SetClientOffset(TQZPoint offset)
{
    if (offset == clientOffset_) return;
    clientOffset_ = offset;
    Invalidate(true);
}

// ---------------------------------------------------------------- tree

TQZGUIWindow* TQZGUIWindow::AddChild(std::unique_ptr<TQZGUIWindow> child)
{
    if (!child) return nullptr;
    TQZGUIWindow* c = child.get();
    c->parent_ = this;
    children_.push_back(std::move(child));
    ChildrenChanged(c);
    return c;
}

int32_t TQZGUIWindow::RemoveChild(TQZGUIWindow* child, std::unique_ptr<TQZGUIWindow>* taken)
{
    const int32_t i = IndexOfChild(child);
    if (i < 0) return QZRES_BADARG;
    if (child->IsShownInTree()) InvalidateArea(child->GetScreenRect());
    child->DetachFocus();
    std::unique_ptr<TQZGUIWindow> owned = std::move(children_[size_t(i)]);
    children_.erase(children_.begin() + i);
    if (taken) {
        owned->parent_ = nullptr;
        *taken = std::move(owned);
    } else {
        owned.reset();  // freed still knowing its parent: it may need its video
    }
    ChildrenChanged(nullptr);
    return QZRES_OK;
}

void TQZGUIWindow::FreeChildren(bool all)
{
    for (int32_t i = ChildCount() - 1; i >= 0; --i) {
        if (i >= ChildCount()) continue;
        TQZGUIWindow* c = children_[size_t(i)].get();
        if (all || c->title_ != QZGUI_BUILTIN) (void)RemoveChild(c);  // the child was found under it just above
    }
}

TQZGUIWindow* TQZGUIWindow::FindChildByTitle(const std::string& title) const
{
    for (const auto& c : children_) {
        if (SameText(c->title_, title)) return c.get();
    }
    return nullptr;
}

TQZGUIWindow* TQZGUIWindow::FindByID(int32_t id)
{
    if (id_ == id) return this;
    for (const auto& c : children_) {
        if (c->id_ == id) return c.get();
    }
    for (const auto& c : children_) {
        if (TQZGUIWindow* w = c->FindByID(id)) return w;
    }
    return nullptr;
}

TQZGUIWindow* TQZGUIWindow::GetChild(int32_t index) const
{
    return index >= 0 && index < ChildCount() ? children_[size_t(index)].get() : nullptr;
}

int32_t TQZGUIWindow::IndexOfChild(const TQZGUIWindow* child) const
{
    for (size_t i = 0; i < children_.size(); ++i) {
        if (children_[i].get() == child) return int32_t(i);
    }
    return -1;
}

int32_t TQZGUIWindow::IndexInParent() const
{
    return parent_ ? parent_->IndexOfChild(this) : -1;
}

TQZGUIWindow* TQZGUIWindow::Root()
{
    TQZGUIWindow* w = this;
    while (w->parent_) w = w->parent_;
    return w;
}

bool TQZGUIWindow::IsAncestorOf(const TQZGUIWindow* w) const
{
    for (const TQZGUIWindow* p = w ? w->parent_ : nullptr; p; p = p->parent_) {
        if (p == this) return true;
    }
    return false;
}

std::vector<TQZGUIWindow*> TQZGUIWindow::PaintOrder() const
{
    std::vector<TQZGUIWindow*> out;
    for (const auto& c : children_) {
        if (!c->AlwaysOnTop()) out.push_back(c.get());
    }
    for (const auto& c : children_) {
        if (c->AlwaysOnTop()) out.push_back(c.get());
    }
    return out;
}

std::vector<TQZGUIWindow*> TQZGUIWindow::HitOrder() const
{
    std::vector<TQZGUIWindow*> out;
    for (const auto& c : children_) {
        if (c->AlwaysOnTop()) out.push_back(c.get());
    }
    for (auto it = children_.rbegin(); it != children_.rend(); ++it) {
        if (!(*it)->AlwaysOnTop()) out.push_back(it->get());
    }
    return out;
}

void TQZGUIWindow::CollectTree(std::vector<TQZGUIWindow*>& out)
{
    out.push_back(this);
    for (const auto& c : children_) c->CollectTree(out);
}

void TQZGUIWindow::DetachFocus()
{
    TQZGUIWindow* root = Root();
    if (root->focused_ && (root->focused_ == this || IsAncestorOf(root->focused_))) root->focused_ = nullptr;
}

// ---------------------------------------------------------------- geometry

bool TQZGUIWindow::GetLayout(TQZGUILayout& out) const
{
    if (!layout_) {
        out = TQZGUILayout{};
        out.position = position_;
        return false;
    }
    out = *layout_;
    return true;
}

void TQZGUIWindow::SetLayout(const TQZGUILayout& layout)
{
    if (!layout_) layout_ = std::make_unique<TQZGUILayout>();
    *layout_ = layout;
    LayoutPass();
    LayoutChanged();
}

void TQZGUIWindow::LayoutPass()
{
    if (Relayout()) return;
    for (int32_t i = 0; i < ChildCount(); ++i) children_[size_t(i)]->LayoutPass();
}

bool TQZGUIWindow::Relayout()
{
    ApplyLayout();
    return false;
}

void TQZGUIWindow::ApplyLayout()
{
    if (!layout_) return;
    SetPosition(ComputeLayoutRect());
}

TQZRect TQZGUIWindow::ComputeLayoutRect()
{
    const TQZGUILayout& l = *layout_;
    TQZRect r = position_;
    switch (l.mode) {
    case LayoutNone: break;
    case LayoutPixel: r = l.position; break;
    case LayoutRelative: {
        TQZPoint size{0, 0};
        if (parent_) {
            size = {parent_->GetWidth(), parent_->GetHeight()};
        } else if (TQZVideo* v = GetVideo()) {
            size = v->GetSize();
        }
        auto pc = [](int32_t v, int32_t of) { return int32_t(int64_t(v) * of / 100); };
        r = {pc(l.position.left, size.x), pc(l.position.top, size.y), pc(l.position.right, size.x),
             pc(l.position.bottom, size.y)};
        break;
    }
    case LayoutParentManaged: (parent_ ? parent_ : this)->PlaceChild(this, l, r); break;
    case LayoutAnchor: {
        r = l.position;
        TQZPoint origin{0, 0};
        if (parent_) {
            TQZRect ps = parent_->GetScreenRect();
            origin = {ps.left + parent_->clientOffset_.x, ps.top + parent_->clientOffset_.y};
        }
        for (int a = 0; a < 4; ++a) {
            const TQZGUIAnchor& anchor = l.anchors[size_t(a)];
            if (anchor.style == anchorNone) continue;
            TQZGUIWindow* ref = Root()->FindByID(anchor.siblingID);
            if (!ref) continue;
            TQZRect sr = ref->GetScreenRect();
            TQZPoint pt = AnchorPoint(OffsetRectBy(sr, {-origin.x, -origin.y}), anchor.style);
            if (a == QZANCHOR_LEFT) r.left = pt.x + anchor.margin;
            if (a == QZANCHOR_TOP) r.top = pt.y + anchor.margin;
            if (a == QZANCHOR_RIGHT) r.right = pt.x + anchor.margin;
            if (a == QZANCHOR_BOTTOM) r.bottom = pt.y + anchor.margin;
        }
        break;
    }
    }
    if (l.mode == LayoutNone || l.mode == LayoutPixel || l.mode == LayoutRelative)
        r = LimitLayoutSize(r, l.minimumSize, l.maximumSize);
    return r;
}

void TQZGUIWindow::PlaceChild(TQZGUIWindow* child, const TQZGUILayout& layout, TQZRect& out)
{
    (void)child;
    // A side of size 0 has no percentages: its coordinates become 0.
    const int32_t w = GetWidth(), h = GetHeight();
    auto scale = [](int32_t v, int32_t size) { return size == 0 ? 0 : int32_t(int64_t(v) * 100 / size); };
    out = {scale(layout.position.left, w), scale(layout.position.top, h), scale(layout.position.right, w),
           scale(layout.position.bottom, h)};
}

void TQZGUIWindow::SetPosition(const TQZRect& rect)
{
    if (rect == position_) return;
    const bool shown = IsShownInTree();
    if (shown) InvalidateArea(GetScreenRect());
    position_ = rect;
    if (shown) InvalidateArea(GetScreenRect());
    Resized();
}

void TQZGUIWindow::Resized()
{
    // Children whose layout follows this window's size move with it.
    for (int32_t i = 0; i < ChildCount(); ++i) {
        if (children_[size_t(i)]->layout_) children_[size_t(i)]->LayoutPass();
    }
}

TQZRect TQZGUIWindow::GetScreenRect() const
{
    if (!parent_) return position_;
    TQZRect ps = parent_->GetScreenRect();
    return OffsetRectBy(position_, {ps.left + parent_->clientOffset_.x, ps.top + parent_->clientOffset_.y});
}

TQZRect TQZGUIWindow::GetVisibleClip() const
{
    TQZRect clip = GetScreenRect();
    for (const TQZGUIWindow* p = parent_; p; p = p->parent_) {
        if (!IntersectRects(clip, p->GetScreenRect(), clip)) return {};
    }
    if (TQZVideo* v = GetVideo(); v && v->GetWidth() > 0) {
        if (!IntersectRects(clip, {0, 0, v->GetWidth(), v->GetHeight()}, clip)) return {};
    }
    return clip;
}

TQZPoint TQZGUIWindow::ToWindow(TQZPoint screen) const
{
    TQZRect r = GetScreenRect();
    return {screen.x - r.left, screen.y - r.top};
}

bool TQZGUIWindow::IsShownInTree() const
{
    for (const TQZGUIWindow* w = this; w; w = w->parent_) {
        if (!w->Enabled() || !w->Visible()) return false;
    }
    return true;
}

TQZFont* TQZGUIWindow::GetFont() const
{
    if (font_) return font_;
    if (parent_) return parent_->GetFont();
    TQZFonts* fonts = FrameworkStarted() ? GetFonts() : nullptr;
    return fonts ? fonts->DefaultFont() : nullptr;
}

TQZVideo* TQZGUIWindow::GetVideo() const
{
    if (video_) return video_;
    if (parent_) return parent_->GetVideo();
    return FrameworkStarted() ? ::GetVideo() : nullptr;
}

TQZColour TQZGUIWindow::GetThemeColor(int32_t index) const
{
    TQZColour theme = QZGUI_DEFAULT_THEME;
    for (const TQZGUIWindow* w = this; w; w = w->parent_) {
        if (w->theme_ != 0) {
            theme = w->theme_;
            break;
        }
    }
    return ThemeColour(theme, index);
}

TQZPoint TQZGUIWindow::GetMinSize()
{
    if (layout_ && layout_->mode != LayoutAnchor && !(layout_->minimumSize == TQZPoint{0, 0}))
        return layout_->minimumSize;
    if (!text_.empty() && GetFont()) return {TextWidth(text_), TextHeight(text_)};
    return {0, 0};
}

// ---------------------------------------------------------------- drawing

void TQZGUIWindow::Invalidate(bool flag)
{
    if (flag && HasFlags(repaint_, QZREPAINT_DIRTYTARGET)) {
        Root()->AddDirtyRect(GetScreenRect());
        return;
    }
    state_ |= QZSTATE_REPAINT;
    // The request always travels up: a window whose bit was never cleared
    // (one made hidden, and never painted) must still reach its target.
    if (flag && parent_) parent_->Invalidate(true);
}

void TQZGUIWindow::InvalidateArea(const TQZRect& screen)
{
    TQZGUIWindow* root = Root();
    if (root == this) {
        Invalidate(false);
    } else {
        root->AddDirtyRect(screen);
    }
}

void TQZGUIWindow::AddDirtyRect(const TQZRect& rect)
{
    dirty_ = RectIsEmpty(dirty_) ? rect : UnionRects(dirty_, rect);
}

void TQZGUIWindow::FlushDirtyRect()
{
    if (!Visible()) return;
    TQZVideo* video = GetVideo();
    if (HasState(QZSTATE_REPAINT)) {
        dirty_ = position_;
        if (video) video->Repaint();
    } else if (!RectIsEmpty(dirty_) && video && video->Window()) {
        video->Window()->InvalidateRect(dirty_);
    }
}

void TQZGUIWindow::UpdateTree()
{
    if (!Enabled()) return;
    if (HasState(QZSTATE_CHANGED)) {
        state_ &= ~QZSTATE_CHANGED;
        StateChanged();
    }
    Update();
    // By index: an update may free windows of the list.
    for (int32_t i = ChildCount() - 1; i >= 0; --i) {
        if (i < ChildCount()) children_[size_t(i)]->UpdateTree();
    }
    if (HasFlags(repaint_, QZREPAINT_EVERYFRAME)) Invalidate(true);
}

void TQZGUIWindow::StateChanged()
{
    Invalidate(true);
}

void TQZGUIWindow::PaintTree()
{
    if (!Visible()) return;
    TQZVideo* video = GetVideo();
    const TQZRect screen = GetScreenRect();
    const bool clip = HasFlags(repaint_, QZREPAINT_CLIP) && video;
    if (clip) video->PushClip(screen);
    Paint(screen);
    ++paintCount_;
    for (TQZGUIWindow* c : PaintOrder()) c->PaintTree();
    if (clip) video->PopClip();
    state_ &= ~QZSTATE_REPAINT;
    dirty_ = {};
}

void TQZGUIWindow::Paint(const TQZRect& rect)
{
    PaintBackgroundAndText(rect);
}

void TQZGUIWindow::PaintBackgroundAndText(const TQZRect& rect)
{
    if (bgColor_ != 0) {
        if (TQZVideo* video = GetVideo()) video->FillRect(rect, bgColor_);
    }
    if (!text_.empty()) DrawText(rect, text_, textDraw_, GetColor());
}

void TQZGUIWindow::DrawText(const TQZRect& rect, const std::string& text, uint32_t flags, TQZColour colour) const
{
    // The fonts have no flag for the top: it is where text starts anyway.
    if (TQZFont* f = GetFont()) f->DrawText(rect, text, flags & ~QZFD_ALIGN_TOP, colour);
}

int32_t TQZGUIWindow::TextWidth(const std::string& text) const
{
    TQZFont* f = GetFont();
    return f ? f->TextWidth(text) : 0;
}

int32_t TQZGUIWindow::TextHeight(const std::string& text) const
{
    TQZFont* f = GetFont();
    return f ? f->TextHeight(text) : 0;
}

// ---------------------------------------------------------------- pointer

TQZGUIWindow* TQZGUIWindow::HitTest(TQZPoint screen)
{
    if (!Visible() || !PointInRect(screen, GetScreenRect())) return nullptr;
    for (TQZGUIWindow* c : HitOrder()) {
        if (TQZGUIWindow* hit = c->HitTest(screen)) return hit;
    }
    return CanMouseOver() ? this : nullptr;
}

void TQZGUIWindow::ProcessMouse()
{
    TQZGUIWindow* root = Root();
    if (root != this) {
        root->ProcessMouse();
        return;
    }
    TQZMouse* mouse = GetMouse();
    if (!mouse) return;
    const TQZPoint p = mouse->WindowPosition(inputWindow);
    if (!(p == lastPointer_)) {
        lastPointer_ = p;
        ProcessPointerMove(p, !(p == QZ_NOWHERE) && PointInRect(p, GetScreenRect()));
    }
    // Buttons and keys in the order they came: a click that moves the focus
    // must not take the text typed before it into the field it focuses.
    for (TQZInputKind next; (next = NextInputKind(inputWindow)) != TQZInputKind::None;) {
        if (next == TQZInputKind::Key) {
            RouteKey(GetKeyboard()->ReadKey());
        } else {
            ProcessButton(mouse->PopEventFor(inputWindow));
        }
    }
    if (mouse->HasWheel()) {
        const int32_t delta = mouse->TakeWheel();
        for (TQZGUIWindow* w = p == QZ_NOWHERE ? nullptr : HitTest(p); w; w = w->parent_) {
            if (w->IsShownInTree() && w->MouseWheel(delta)) break;
        }
    }
}

void TQZGUIWindow::ProcessPointerMove(TQZPoint p, bool inside)
{
    std::vector<TQZGUIWindow*> tree;
    CollectTree(tree);
    TQZGUIWindow* hit = inside ? HitTest(p) : nullptr;
    for (TQZGUIWindow* w : tree) {
        if (!inside) {
            w->MouseLeave();
        } else if (w != hit && w->HasState(QZSTATE_HOVER)) {
            w->SetHover(false);
        }
    }
    if (hit) {
        if (!hit->HasState(QZSTATE_HOVER)) hit->SetHover(true);
        hit->MouseMove(hit->ToWindow(p));
    }
    // A drag follows the pointer wherever it is, the host's edge included.
    if (p == QZ_NOWHERE) return;
    for (TQZGUIWindow* w : tree) {
        if (w->HasState(QZSTATE_DRAGGING)) w->DragMove(Sub(w->ToWindow(p), w->dragOrigin_));
    }
}

void TQZGUIWindow::ProcessButton(const TQZMouseEvent& event)
{
    if (event.button != 1) return;
    const TQZPoint p{event.x, event.y};
    if (event.down) {
        TQZGUIWindow* target = HitTest(p);
        if (target && target->IsShownInTree()) target->MouseEvent(event);
        return;
    }
    // A release goes to the windows it ends a press or drag of, wherever it
    // is, so that a release outside cancels; else to the window under it.
    std::vector<const TQZGUIWindow*> done;
    for (int guard = 0; guard < 64; ++guard) {
        std::vector<TQZGUIWindow*> tree;
        CollectTree(tree);
        TQZGUIWindow* next = nullptr;
        for (TQZGUIWindow* w : tree) {
            if ((w->HasState(QZSTATE_PRESSED) || w->HasState(QZSTATE_DRAGGING)) &&
                std::find(done.begin(), done.end(), w) == done.end()) {
                next = w;
                break;
            }
        }
        if (!next) break;
        done.push_back(next);
        next->MouseEvent(event);
    }
    if (!done.empty()) return;
    TQZGUIWindow* target = HitTest(p);
    if (target && target->IsShownInTree()) target->MouseEvent(event);
}

void TQZGUIWindow::MouseEvent(const TQZMouseEvent& event)
{
    if (!CanClick() && !CanDrag()) return;
    const TQZPoint p = ToWindow({event.x, event.y});
    if (event.down) {
        MouseDown(true, p);
    } else {
        MouseUp(true, p);
    }
}

void TQZGUIWindow::MouseDown(bool down, TQZPoint point)
{
    const TQZRect screen = GetScreenRect();
    const bool inside = PointInRect(point, {0, 0, GetWidth(), GetHeight()}) &&
                        PointInRect({point.x + screen.left, point.y + screen.top}, GetVisibleClip());
    if (inside && CanFocus()) Root()->SetFocus(this);
    if (CanClick() && (inside || !down)) {
        SetState(QZSTATE_PRESSED, true);
        if (HasFlags(repaint_, QZREPAINT_PRESSED)) Invalidate(true);
    }
    if (down && inside && CanDrag()) {
        SetState(QZSTATE_DRAGGING, true);
        dragOrigin_ = point;
    }
}

void TQZGUIWindow::MouseUp(bool released, TQZPoint point)
{
    if (CanDrag() && released && HasState(QZSTATE_DRAGGING)) {
        SetState(QZSTATE_DRAGGING, false);
        DragEnd(Sub(point, dragOrigin_));
        dragOrigin_ = {0, 0};
    }
    if (HasState(QZSTATE_PRESSED) && CanClick()) {
        if (HasFlags(repaint_, QZREPAINT_PRESSED)) Invalidate(true);
        if (PointInRect(point, {0, 0, GetWidth(), GetHeight()})) {
            Click();
        } else {
            CancelPress();
        }
    }
}

void TQZGUIWindow::Click()
{
    SetState(QZSTATE_PRESSED, false);
    Notify(id_, this);
}

void TQZGUIWindow::CancelPress()
{
    SetState(QZSTATE_PRESSED, false);
}

void TQZGUIWindow::Notify(int32_t id, TQZGUIWindow* sender)
{
    if (HasState(QZSTATE_MUTED)) return;
    // Copies: a handler may free this window.
    TQZGUIMessageHandler message = onMessage;
    TQZGUIMessageProc proc = messageProc;
    TQZGUINotifyHandler notify = onNotify;
    if (!message && !proc && !notify) {
        if (parent_) parent_->Notify(id, sender);
        return;
    }
    if (message) message(id, sender);
    if (proc) proc(id);
    if (notify) notify(sender);
}

void TQZGUIWindow::MouseLeave()
{
    SetHover(false);
}

void TQZGUIWindow::SetHover(bool flag)
{
    SetState(QZSTATE_HOVER, flag);
}

// ---------------------------------------------------------------- focus and keys

void TQZGUIWindow::SetFocus(TQZGUIWindow* window)
{
    TQZGUIWindow* root = Root();
    if (root != this) {
        root->SetFocus(window);
        return;
    }
    if (window == focused_) return;
    TQZGUIWindow* old = focused_;
    focused_ = window;
    if (old) old->SetFocused(false);
    if (window) window->SetFocused(true);
}

void TQZGUIWindow::SetFocused(bool flag)
{
    SetState(QZSTATE_FOCUSED, flag);
}

void TQZGUIWindow::FocusNext(bool forward)
{
    TQZGUIWindow* root = Root();
    std::vector<TQZGUIWindow*> order;
    root->CollectTree(order);
    const int32_t n = int32_t(order.size());
    int32_t start = 0;
    if (TQZGUIWindow* f = root->focused_) {
        auto it = std::find(order.begin(), order.end(), f);
        if (it != order.end()) start = int32_t(it - order.begin());
    }
    for (int32_t step = 1; step <= n; ++step) {
        int32_t i = ((start + (forward ? step : -step)) % n + n) % n;
        TQZGUIWindow* w = order[size_t(i)];
        if (w->CanFocus() && w->IsShownInTree()) {
            root->SetFocus(w);
            return;
        }
    }
}

bool TQZGUIWindow::HandleKey(uint32_t key)
{
    if (key == 9 || key == 0x10009) {
        FocusNext(key == 9);
        return true;
    }
    return false;
}

bool TQZGUIWindow::RouteKey(uint32_t key)
{
    // A hidden or disabled window takes no keys, nor do the windows inside
    // it: the screen behind a modal dialog stays quiet.
    if (!Visible() || !Enabled()) return false;
    if (HandleKey(key)) return true;
    for (int32_t i = ChildCount() - 1; i >= 0; --i) {
        if (i < ChildCount() && children_[size_t(i)]->RouteKey(key)) return true;
    }
    return false;
}
