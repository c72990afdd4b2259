// The base window of the editor's scene toolkit. A window owns its
// children, can be made from a key/value node and written back into one,
// takes any published setting by name as text, lays itself out by one of
// five modes, hit-tests the pointer, routes mouse and keys, keeps the focus
// on the root, paints through the video layer and repaints by dirty
// rectangles. Main thread only.
#pragma once

#include "qz7core.h"
#include "qz7fonts.h"
#include "qz7guilayout.h"
#include "qz7guiprops.h"
#include "qz7guitheme.h"
#include "qz7input.h"
#include "qz7kvdata.h"
#include "qz7video.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

// Option word.
constexpr uint32_t QZGUI_CANMOUSEOVER = 0x1;
constexpr uint32_t QZGUI_CANCLICK = 0x2;
constexpr uint32_t QZGUI_CANFOCUS = 0x4;
constexpr uint32_t QZGUI_CANDRAG = 0x8;
constexpr uint32_t QZGUI_ENABLED = 0x100;
constexpr uint32_t QZGUI_VISIBLE = 0x200;
constexpr uint32_t QZGUI_ALWAYSONTOP = 0x1000;
constexpr uint32_t QZGUI_NOSAVECHILDREN = 0x20000000;
constexpr uint32_t QZGUI_SAVEALL = 0x40000000;
constexpr uint32_t QZGUI_DEFAULT_OPTIONS = 0x301;

// State word.
constexpr uint32_t QZSTATE_HOVER = 0x1;
constexpr uint32_t QZSTATE_PRESSED = 0x2;
constexpr uint32_t QZSTATE_DRAGGING = 0x4;
constexpr uint32_t QZSTATE_FOCUSED = 0x8;
constexpr uint32_t QZSTATE_MUTED = 0x1000;
constexpr uint32_t QZSTATE_CHANGED = 0x10000;
constexpr uint32_t QZSTATE_REPAINT = 0x20000;

// Repaint options (all bits of a mask must be set).
constexpr uint32_t QZREPAINT_EVERYFRAME = 0x1;
constexpr uint32_t QZREPAINT_PRESSED = 0x2;
constexpr uint32_t QZREPAINT_DIRTYTARGET = 0x4;
constexpr uint32_t QZREPAINT_CLIP = 0x10000;

// TQZFontDrawFlags as a set: bit i is element i of FontDrawFlagNames.
constexpr uint32_t QZFD_ALIGN_LEFT = 0x01;
constexpr uint32_t QZFD_ALIGN_CENTRE = 0x02;
constexpr uint32_t QZFD_ALIGN_RIGHT = 0x04;
constexpr uint32_t QZFD_ALIGN_TOP = 0x08;
constexpr uint32_t QZFD_ALIGN_MIDDLE = 0x10;
constexpr uint32_t QZFD_ALIGN_BOTTOM = 0x20;
constexpr uint32_t QZFD_WORD_WRAP = 0x40;
constexpr uint32_t QZFD_WORD_JUSTIFY = 0x80;
const std::vector<std::string>& FontDrawFlagNames();

// The title of the windows a composite widget makes for itself: kept when a
// scene is rebuilt into it, never written out.
extern const char* const QZGUI_BUILTIN;

// Pointer shapes a window may ask for.
constexpr int32_t QZCURSOR_DEFAULT = 0;
constexpr int32_t QZCURSOR_IBEAM = 4;
constexpr int32_t QZCURSOR_MOVE = 7;

class TQZGUIWindow;
using TQZGUIMessageHandler = std::function<void(int32_t id, TQZGUIWindow* sender)>;
using TQZGUIMessageProc = std::function<void(int32_t id)>;
using TQZGUINotifyHandler = std::function<void(TQZGUIWindow* sender)>;

class TQZGUIWindow : public TQZClass {
public:
    TQZGUIWindow();
    ~TQZGUIWindow() override;

    // ------------------------------------------------------------ creation
    // A window of class W attached to its parent (which owns it) before its
    // class sets its defaults; with applyRect the rectangle becomes a
    // relative layout (percent of the parent).
    template <class W = TQZGUIWindow>
    static W* CreateChild(TQZGUIWindow* parent, const TQZRect& rect, const std::string& caption = {},
                          int32_t id = 0, bool applyRect = false)
    {
        auto made = std::make_unique<W>();
        W* w = made.get();
        w->Construct(parent, std::move(made), rect, caption, id, applyRect);
        return w;
    }
    // A window without a parent: the caller owns it.
    template <class W = TQZGUIWindow>
    static std::unique_ptr<W> CreateRoot(const TQZRect& rect, const std::string& caption = {}, int32_t id = 0)
    {
        auto made = std::make_unique<W>();
        made->Construct(nullptr, nullptr, rect, caption, id, false);
        return made;
    }
    // Initialises a made window from a scene node: every key is applied,
    // then AfterCreate. With a parent the parent takes it from `made`;
    // without one it stays there, with the caller.
    static TQZGUIWindow* CreateFromKeyValue(std::unique_ptr<TQZGUIWindow>& made, const TQZKeyValue& node,
                                            TQZGUIWindow* parent);

    // ------------------------------------------------------------ class
    virtual const char* ClassName() const { return "TQZGUIWindow"; }
    virtual const TQZGUIPropertyList& Properties() const;
    static const TQZGUIPropertyList& WindowProperties();

    // ------------------------------------------------------------ virtual operations
    [[nodiscard]] virtual bool SaveToKeyValue(TQZKeyValue* node);
    virtual void SetProperty(const std::string& name, const std::string& value);
    virtual void AfterCreate() {}
    virtual void ChildrenChanged(TQZGUIWindow* child) { (void)child; }
    virtual void PlaceChild(TQZGUIWindow* child, const TQZGUILayout& layout, TQZRect& out);
    virtual void CancelPress();
    virtual void MouseDown(bool down, TQZPoint point);
    virtual void MouseUp(bool released, TQZPoint point);
    virtual void Click();
    virtual void SetFocused(bool flag);
    virtual void InitDefaults() {}
    virtual bool HandleKey(uint32_t key);
    virtual void LayoutChanged() {}
    virtual void Notify(int32_t id, TQZGUIWindow* sender);
    virtual void MouseEvent(const TQZMouseEvent& event);
    virtual void DragMove(TQZPoint delta) { (void)delta; }
    virtual void DragEnd(TQZPoint delta) { (void)delta; }
    virtual void MouseLeave();
    virtual void MouseMove(TQZPoint point) { (void)point; }
    virtual void SetHover(bool flag);
    virtual bool MouseWheel(int32_t delta) { (void)delta; return false; }
    virtual void Resized();
    virtual void Update() {}
    // Lays the window out; true when its subtree is done too.
    virtual bool Relayout();
    virtual void Paint(const TQZRect& rect);
    virtual void StateChanged();
    virtual void ApplyLayout();
    virtual TQZPoint GetMinSize();
    virtual void SetVideo(TQZVideo* video);
    virtual void SetText(const std::string& text);
    virtual void SetTitle(const std::string& title);
    virtual void SetVisible(bool flag);

    // ------------------------------------------------------------ settings
    void ApplyKeyValues(const TQZKeyValue& node);
    // "key=value" items separated by commas ("visible=false,enabled=false").
    void ApplyKeyValueText(const std::string& text);

    TQZColour BGColor() const { return bgColor_; }
    void SetBGColor(TQZColour c) { bgColor_ = c; }
    TQZColour Color() const { return color_; }
    void SetColor(TQZColour c);
    int32_t ID() const { return id_; }
    void SetID(int32_t id) { id_ = id; }
    const std::string& Text() const { return text_; }
    std::string TextValue() const { return text_; }
    const std::string& Title() const { return title_; }
    std::string TitleValue() const { return title_; }
    TQZColour Theme() const { return theme_; }
    void SetTheme(TQZColour c) { theme_ = c; }
    uint32_t TextDraw() const { return textDraw_; }
    void SetTextDraw(uint32_t flags) { textDraw_ = flags; }

    uint32_t Options() const { return options_; }
    bool Option(uint32_t bit) const { return (options_ & bit) != 0; }
    void SetOption(uint32_t bit, bool on);
    bool AlwaysOnTop() const { return Option(QZGUI_ALWAYSONTOP); }
    void SetAlwaysOnTop(bool f) { SetOption(QZGUI_ALWAYSONTOP, f); }
    bool CanClick() const { return Option(QZGUI_CANCLICK); }
    void SetCanClick(bool f) { SetOption(QZGUI_CANCLICK, f); }
    bool CanDrag() const { return Option(QZGUI_CANDRAG); }
    void SetCanDrag(bool f) { SetOption(QZGUI_CANDRAG, f); }
    bool CanFocus() const { return Option(QZGUI_CANFOCUS); }
    void SetCanFocus(bool f) { SetOption(QZGUI_CANFOCUS, f); }
    bool CanMouseOver() const { return Option(QZGUI_CANMOUSEOVER); }
    void SetCanMouseOver(bool f) { SetOption(QZGUI_CANMOUSEOVER, f); }
    bool Enabled() const { return Option(QZGUI_ENABLED); }
    void SetEnabled(bool f);
    bool Visible() const { return Option(QZGUI_VISIBLE); }

    uint32_t State() const { return state_; }
    bool HasState(uint32_t bit) const { return (state_ & bit) != 0; }
    // Sets or clears state bits; a change of the low 16 bits marks the
    // window changed.
    void SetState(uint32_t bits, bool on);
    uint32_t RepaintOptions() const { return repaint_; }
    void SetRepaintOptions(uint32_t options) { repaint_ = options; }
    int32_t PointerShape() const { return pointerShape_; }
    void SetPointerShape(int32_t shape) { pointerShape_ = shape; }
    uint32_t PaintCount() const { return paintCount_; }
    TQZPoint ClientOffset() const { return clientOffset_; }
    void SetClientOffset(TQZPoint offset);
    TQZPoint DragOrigin() const { return dragOrigin_; }
    void SetDragOrigin(TQZPoint p) { dragOrigin_ = p; }

    TQZGUIMessageHandler onMessage;
    TQZGUIMessageProc messageProc;
    TQZGUINotifyHandler onNotify;

    // ------------------------------------------------------------ tree
    // Takes ownership; the child leaves a former parent first.
    TQZGUIWindow* AddChild(std::unique_ptr<TQZGUIWindow> child);
    // 2 when the child is not there; otherwise it leaves the list and is
    // freed, unless `taken` receives it.
    [[nodiscard]] int32_t RemoveChild(TQZGUIWindow* child, std::unique_ptr<TQZGUIWindow>* taken = nullptr);
    // Last to first; without `all` the built-in ("$QZ") children stay.
    void FreeChildren(bool all);
    void ClearChildren() { FreeChildren(false); }
    TQZGUIWindow* FindChildByTitle(const std::string& title) const;
    TQZGUIWindow* FindByID(int32_t id);
    TQZGUIWindow* GetChild(int32_t index) const;
    int32_t ChildCount() const { return int32_t(children_.size()); }
    int32_t IndexInParent() const;
    int32_t IndexOfChild(const TQZGUIWindow* child) const;
    TQZGUIWindow* Parent() const { return parent_; }
    TQZGUIWindow* Root();
    bool IsAncestorOf(const TQZGUIWindow* w) const;
    // Windows in paint order (AlwaysOnTop ones last) and hit order.
    std::vector<TQZGUIWindow*> PaintOrder() const;
    std::vector<TQZGUIWindow*> HitOrder() const;

    // ------------------------------------------------------------ geometry
    bool GetLayout(TQZGUILayout& out) const;
    void SetLayout(const TQZGUILayout& layout);
    bool HasLayout() const { return layout_ != nullptr; }
    TQZGUILayoutMode LayoutMode() const { return layout_ ? layout_->mode : LayoutNone; }
    void SetPosition(const TQZRect& rect);
    const TQZRect& GetPosition() const { return position_; }
    TQZRect GetScreenRect() const;
    // The screen rectangle cut by every ancestor's and the output's.
    TQZRect GetVisibleClip() const;
    int32_t GetWidth() const { return position_.right - position_.left; }
    int32_t GetHeight() const { return position_.bottom - position_.top; }
    // It and every ancestor enabled and visible.
    bool IsShownInTree() const;
    TQZFont* GetFont() const;
    void SetFont(TQZFont* font) { font_ = font; }
    TQZVideo* GetVideo() const;
    TQZColour GetColor() const { return color_; }
    TQZColour GetThemeColor(int32_t index) const;
    // The layout pass over a subtree.
    void LayoutPass();
    TQZPoint ToWindow(TQZPoint screen) const;

    // ------------------------------------------------------------ drawing
    void Invalidate(bool flag);
    void AddDirtyRect(const TQZRect& rect);
    const TQZRect& DirtyRect() const { return dirty_; }
    void FlushDirtyRect();
    void UpdateTree();
    void PaintTree();
    // Text in the window's font.
    void DrawText(const TQZRect& rect, const std::string& text, uint32_t flags, TQZColour colour) const;
    int32_t TextWidth(const std::string& text) const;
    int32_t TextHeight(const std::string& text) const;

    // ------------------------------------------------------------ input
    TQZGUIWindow* HitTest(TQZPoint screen);
    // The pointer, button, wheel and key input of the frame (on the root).
    void ProcessMouse();
    void SetFocus(TQZGUIWindow* window);
    TQZGUIWindow* Focused() { return Root()->focused_; }
    bool HasFocus() const { return HasState(QZSTATE_FOCUSED); }
    void FocusNext(bool forward);
    bool RouteKey(uint32_t key);
    // The input window the root reads (0: the main window).
    TQZWindowHandle inputWindow = 0;

protected:
    // Invalidates the old and new area of a change of position.
    void InvalidateArea(const TQZRect& screen);
    // Base painting: BGColor fill, then Text.
    void PaintBackgroundAndText(const TQZRect& rect);
    // A property that needs the owner's attention after a scene sets it.
    TQZGUILayout* LayoutRecord() { return layout_.get(); }
    void SetTextField(const std::string& text) { text_ = text; }

private:
    void Construct(TQZGUIWindow* parent, std::unique_ptr<TQZGUIWindow> self, const TQZRect& rect,
                   const std::string& caption, int32_t id, bool applyRect);
    // Attaches to the parent (handing it `self`) and sets the class defaults.
    void Initialise(TQZGUIWindow* parent, std::unique_ptr<TQZGUIWindow> self);
    void SetLayoutFromText(const std::string& value);
    void DetachFocus();
    void CollectTree(std::vector<TQZGUIWindow*>& out);
    void ProcessPointerMove(TQZPoint p, bool inside);
    void ProcessButton(const TQZMouseEvent& event);
    TQZRect ComputeLayoutRect();

    TQZColour bgColor_ = 0;
    std::vector<std::unique_ptr<TQZGUIWindow>> children_;
    TQZPoint clientOffset_;
    TQZColour color_ = 0xFF000000;
    TQZPoint dragOrigin_;
    uint32_t options_ = QZGUI_DEFAULT_OPTIONS;
    TQZGUIWindow* focused_ = nullptr;
    TQZFont* font_ = nullptr;
    int32_t id_ = 0;
    std::unique_ptr<TQZGUILayout> layout_;
    int32_t pointerShape_ = 0;
    TQZGUIWindow* parent_ = nullptr;
    TQZRect position_;
    uint32_t paintCount_ = 0;
    uint32_t repaint_ = 0;
    TQZRect dirty_;
    uint32_t state_ = QZSTATE_REPAINT;
    std::string text_;
    TQZColour theme_ = 0;
    std::string title_;
    uint32_t textDraw_ = QZFD_ALIGN_CENTRE | QZFD_ALIGN_MIDDLE;
    TQZVideo* video_ = nullptr;
    TQZPoint lastPointer_ = QZ_NOWHERE;
};

// Empty rectangles (left >= right or top >= bottom) and their union.
inline bool RectIsEmpty(const TQZRect& r) { return r.left >= r.right || r.top >= r.bottom; }
TQZRect UnionRects(const TQZRect& a, const TQZRect& b);
