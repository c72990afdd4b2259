// The widget base window: one retained tree with a single root that takes the
// frame's input, updates itself, hands queued widget commands to their
// receivers and draws itself. Every widget and screen window derives from it.
#pragma once

#include "qz7core.h"
#include "qz7input.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <stdexcept>
#include <utility>
#include <vector>

class TQZTexture;
class TGUIWindow;

// Frees a window the way its owner does: hooks first, then the subtree.
struct TGUIWindowDeleter {
    void operator()(TGUIWindow* window) const;
};
template <class T> using TGUIWindowPtr = std::unique_ptr<T, TGUIWindowDeleter>;

// Command ids more than one screen uses.
constexpr int32_t GUICMD_BACK = 1000;
constexpr int32_t GUICMD_WINDOW_CLOSE = 1003;

// Key codes the widgets react to: a character, or QZKEY_VIRTUAL plus the
// virtual-key code.
constexpr uint32_t GUIKEY_BACKSPACE = 8;
constexpr uint32_t GUIKEY_ENTER = 13;
constexpr uint32_t GUIKEY_END = 0x01000023;
constexpr uint32_t GUIKEY_HOME = 0x01000024;
constexpr uint32_t GUIKEY_LEFT = 0x01000025;
constexpr uint32_t GUIKEY_UP = 0x01000026;
constexpr uint32_t GUIKEY_RIGHT = 0x01000027;
constexpr uint32_t GUIKEY_DOWN = 0x01000028;
constexpr uint32_t GUIKEY_DELETE = 0x0100002E;
constexpr uint32_t GUIKEY_NUMPAD0 = 0x01000060;
constexpr uint32_t GUIKEY_NUMPAD9 = 0x01000069;

// Keyboard activation shows the press this long before the click.
constexpr uint32_t GUI_CLICK_DELAY_MS = 50;

class TGUIWindow : public TQZClass {
public:
    // The window is not yet in its parent's Children: make windows through
    // NewWindow (a child owned by its parent) or NewRootWindow.
    TGUIWindow(const TQZRect& rect, TGUIWindow* parent, int32_t commandId);
    ~TGUIWindow() override;

    // ------------------------------------------------------------ virtual operations
    virtual void PostCommand(TGUIWindow* sender, int32_t id);
    virtual void AddChild(TGUIWindow* child);
    virtual void RemoveChild(TGUIWindow* child);
    virtual void Press();
    virtual void Click();
    virtual void AfterCreate() {}
    virtual void Destroying() {}
    virtual void GotFocus() {}
    virtual void LostFocus() {}
    virtual void HandleCommand(TGUIWindow* sender, int32_t id);
    virtual bool MouseButton(const TQZMouseEvent& event);
    virtual bool MouseDown(TQZPoint point);
    virtual bool MouseUp(TQZPoint point);
    virtual void MouseLeave();
    virtual void MouseMove(TQZPoint point, TGUIWindow* hit);
    virtual void MouseEnter(TQZPoint point);
    virtual void MouseExit(TQZPoint point);
    virtual bool MouseWheel(int32_t delta);
    virtual void SetRect(const TQZRect& rect);
    virtual void AddedToParent() {}
    virtual void ParentResized() {}
    virtual void Update();
    virtual void ClickDelayed();
    virtual bool KeyPress(uint32_t key);
    virtual bool Arrange();
    virtual void Draw(const TQZRect& rect);
    virtual void DrawAfterChildren() {}
    virtual void SetVisible(bool visible);

    // ------------------------------------------------------------ tree
    TGUIWindow* GetRoot();
    TGUIWindow* GetParent() const { return parent_; }
    // 1-based; nullptr out of range.
    TGUIWindow* GetChild(int32_t index) const;
    int32_t ChildCount() const { return int32_t(children_.size()); }
    // Position in the parent's Children (1-based), 0 without a parent.
    int32_t GetIndex() const;
    bool Contains(const TGUIWindow* window) const;  // itself or a descendant
    void BringToFront(TGUIWindow* below = nullptr);
    void FreeChildren();
    void FreeChildrenExcept(const std::vector<TGUIWindow*>& keep);
    TGUIWindow* FindByCommandId(int32_t id);
    TGUIWindow* FindWindowAt(TQZPoint point);

    // ------------------------------------------------------------ state
    bool IsVisible() const;
    bool IsEnabled() const;
    void SetEnabled(bool enabled) { enabled_ = enabled; }
    bool IsMouseEnabled() const { return mouseEnabled && IsVisible() && IsEnabled(); }
    bool CanFocus() const { return focusable && IsVisible() && IsEnabled(); }
    void SetFocusable(bool value) { focusable = value; }
    bool IsPressed() const { return pressed_ && IsVisible() && IsEnabled(); }
    bool IsHover() const { return hover_; }
    bool HitTest(TQZPoint point) const;

    // ------------------------------------------------------------ geometry
    const TQZRect& GetRect() const { return rect_; }
    int32_t GetWidth() const { return rect_.Width(); }
    int32_t GetHeight() const { return rect_.Height(); }
    TQZPoint GetClientSize() const;
    TQZRect GetScreenRect() const;
    TQZRect GetDrawRect() const;
    void SetBounds(const TQZRect& rect);
    void MoveTo(TQZPoint point);
    TQZRect PercentRect(int32_t left, int32_t top, int32_t right, int32_t bottom) const;

    // ------------------------------------------------------------ focus
    bool IsFocused() const;
    void SetFocus(bool focus);
    TGUIWindow* GetFocused();
    void ChangeFocus(TGUIWindow* window);

    // ------------------------------------------------------------ commands
    void SendCommand(int32_t id, TGUIWindow* target = nullptr);
    bool HasQueuedCommands() const { return !queue_.empty(); }
    int32_t QueuedCommandCount() const { return int32_t(queue_.size()); }
    // The oldest command; false when none waits.
    bool PopCommand(TGUIWindow*& sender, int32_t& id);

    // ------------------------------------------------------------ per frame, on the root
    // Input of one frame from the framework's mouse and keyboard.
    void DispatchInput();
    void DispatchMouseMove(TQZPoint point, TGUIWindow* hit);
    void DispatchMouseLeave();
    bool DispatchWheel(int32_t delta);
    bool DispatchMouseButton(const TQZMouseEvent& event);
    bool DispatchKey(uint32_t key);
    void UpdateTree();
    void DrawTree();
    void ArrangeTree();

    // ------------------------------------------------------------ render target
    // The window and its subtree draw into the target (owned) instead of the
    // screen; nullptr draws to the screen again.
    void SetRenderTarget(std::unique_ptr<TQZTexture> target);
    TQZTexture* GetRenderTarget() const { return renderTarget_.get(); }

    // Fields of the window.
    int32_t minWidth = 0, minHeight = 0, maxWidth = 0, maxHeight = 0;
    int32_t anchorLeft = 0, anchorTop = 0, anchorRight = 0, anchorBottom = 0;
    bool mouseEnabled = false;
    bool focusable = false;
    int32_t marginLeft = 0, marginTop = 0, marginRight = 0, marginBottom = 0;
    int32_t commandId = 0;
    uint32_t clickDeadline = 0;
    bool forwardCommands = false;
    bool focusParent = false;
    bool clickThrough = false;

    // Releases a window taken out of the tree (tests and owners of roots).
    static void Free(TGUIWindow* window);

protected:
    bool Pressed() const { return pressed_; }
    void SetPressed(bool pressed) { pressed_ = pressed; }
    bool Visible() const { return visible_; }

private:
    friend struct TGUIWindowDeleter;
    template <class T, class... A> friend T* NewWindow(A&&... args);
    template <class T, class... A> friend TGUIWindowPtr<T> NewRootWindow(A&&... args);

    void Created();
    // The teardown of Destroy, once: hooks, children, queued commands.
    void TearDown();
    void DropFocusWithin();
    void PurgeCommandsFrom();
    // Children by position while the list may change under the walk.
    template <class F> void EachChildLastFirst(F f);

    std::vector<TGUIWindow*> children_;
    std::deque<std::pair<TGUIWindow*, int32_t>> queue_;
    TGUIWindow* parent_;
    TGUIWindow* focused_ = nullptr;
    TQZRect rect_;
    std::unique_ptr<TQZTexture> renderTarget_;
    bool pressed_ = false;
    bool enabled_ = true;
    bool hover_ = false;
    bool visible_ = true;
    bool tornDown_ = false;
};

// Makes a window whose parent (given to its constructor) owns it from here on.
template <class T, class... A> T* NewWindow(A&&... args)
{
    std::unique_ptr<T> made = std::make_unique<T>(std::forward<A>(args)...);
    if (!made->GetParent()) throw std::logic_error("NewWindow needs a parent; use NewRootWindow");
    T* window = made.release();
    window->Created();
    return window;
}

// Makes a window without a parent: the root of a tree, owned by the caller.
template <class T, class... A> TGUIWindowPtr<T> NewRootWindow(A&&... args)
{
    std::unique_ptr<T> made = std::make_unique<T>(std::forward<A>(args)...);
    if (made->GetParent()) throw std::logic_error("NewRootWindow makes windows without a parent");
    TGUIWindowPtr<T> root(made.release());
    root->Created();
    return root;
}
