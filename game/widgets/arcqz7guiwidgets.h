// The plain widgets the themed and game widgets build on: a caption, a
// button, a picture, a one-line edit box, a list of strings and a scroll bar.
// They draw plainly; the game's look comes from their themed subclasses.
#pragma once

#include "arcqz7gui.h"

#include <string>
#include <vector>

class TQZFont;
class TQZTexture;
class TGUIScrollBar;

// Text flags of a font's text drawing.
constexpr uint32_t GUITEXT_CENTRE = 0x02;
constexpr uint32_t GUITEXT_RIGHT = 0x04;
constexpr uint32_t GUITEXT_VCENTRE = 0x10;
constexpr uint32_t GUITEXT_BOTTOM = 0x20;
constexpr uint32_t GUITEXT_WORDWRAP = 0x40;
constexpr uint32_t GUITEXT_JUSTIFY = 0x80;

class TGUILabel : public TGUIWindow {
public:
    TGUILabel(const std::string& caption, const TQZRect& rect, TGUIWindow* parent, int32_t commandId);

    void Draw(const TQZRect& rect) override;
    virtual void SetCaption(const std::string& text);

    const std::string& Caption() const { return caption_; }
    // The own font, else the font manager's "Arial" of size 14.
    TQZFont* GetFont() const;

    bool centreHorizontal = false;
    bool centreVertical = false;
    TQZColour colour = 0xFFFFFFFF;
    TQZFont* font = nullptr;  // not owned
    bool wordWrap = false;

protected:
    std::string caption_;
};

class TGUIButton : public TGUILabel {
public:
    TGUIButton(const std::string& caption, const TQZRect& rect, TGUIWindow* parent, int32_t commandId);
    bool KeyPress(uint32_t key) override;

    uint32_t hotKey = 0;  // 0 = none
};

class TGUIBitmap : public TGUIWindow {
public:
    TGUIBitmap(const TQZRect& rect, TGUIWindow* parent, int32_t commandId);
    void Draw(const TQZRect& rect) override;
    // Not owned; a texture shows whole until SourceRect is changed.
    void SetTexture(TQZTexture* texture);
    TQZTexture* Texture() const { return texture_; }

    TQZColour tint = 0xFFFFFFFF;
    TQZRectF sourceRect;

private:
    TQZTexture* texture_ = nullptr;
};

class TGUIEditbox : public TGUILabel {
public:
    TGUIEditbox(const std::string& caption, const TQZRect& rect, TGUIWindow* parent, int32_t commandId);

    bool KeyPress(uint32_t key) override;
    void SetCaption(const std::string& text) override;
    virtual bool IsCharAllowed(uint32_t ch) const;

    void SetMaxLength(int32_t n);
    int32_t MaxLength() const { return maxLength_; }
    void SetCursor(int32_t n);
    int32_t Cursor() const { return cursor_; }

    bool allowText = true;
    bool allowDigits = true;

private:
    void Insert(char ch);

    int32_t cursor_ = 0;
    int32_t maxLength_ = 255;
};

class TGUIListbox : public TGUILabel {
public:
    TGUIListbox(const TQZRect& rect, TGUIWindow* parent, int32_t commandId);

    void HandleCommand(TGUIWindow* sender, int32_t id) override;
    void MouseMove(TQZPoint point, TGUIWindow* hit) override;
    void Update() override;
    bool KeyPress(uint32_t key) override;
    virtual void Refresh();
    // In the list's own rectangle's coordinates (its parent's); empty for an
    // item that is not shown.
    virtual TQZRect GetItemRect(int32_t index);
    virtual void SetSelected(int32_t index);

    // The new Count.
    int32_t AddItem(const std::string& text, void* object = nullptr);
    void DeleteItem(int32_t index);
    void Clear();
    void SetTopIndex(int32_t index);
    void SetScrollBar(TGUIScrollBar* bar);
    int32_t GetVisibleCount() const;

    int32_t Count() const { return int32_t(items_.size()); }
    const std::string& Item(int32_t index) const { return items_[size_t(index)]; }
    void* Object(int32_t index) const { return objects_[size_t(index)]; }
    int32_t SelectedIndex() const { return selectedIndex_; }
    int32_t TopIndex() const { return topIndex_; }
    int32_t HoverIndex() const { return hoverIndex_; }
    TGUIScrollBar* ScrollBar() const { return scrollBar_; }

    int32_t itemSpacing = 0;

private:
    int32_t RowHeight() const;

    std::vector<std::string> items_;
    std::vector<void*> objects_;
    int32_t hoverIndex_ = -1;
    TGUIScrollBar* scrollBar_ = nullptr;
    int32_t selectedIndex_ = 0;
    int32_t topIndex_ = 0;
};

class TGUIScrollBar : public TGUIWindow {
public:
    TGUIScrollBar(const TQZRect& rect, TGUIWindow* parent, int32_t commandId);

    bool MouseDown(TQZPoint point) override;
    bool MouseUp(TQZPoint point) override;
    void MouseMove(TQZPoint point, TGUIWindow* hit) override;
    bool KeyPress(uint32_t key) override;
    // The wheel steps a shown bar that has somewhere to go: every list and
    // scrolling panel with a bar scrolls by it.
    bool MouseWheel(int32_t delta) override;
    virtual void StepBack();
    virtual void StepForward();

    void SetMin(int32_t n);
    void SetMax(int32_t n);
    void SetPosition(int32_t n);
    int32_t Min() const { return min_; }
    int32_t Max() const { return max_; }
    int32_t Position() const { return position_; }
    bool Dragging() const { return dragging_; }
    // In the bar's own rectangle's coordinates (its parent's).
    TQZRect ThumbRect() const;
    // The value a pointer at the point (relative to the bar) drags the thumb to.
    int32_t PositionAt(TQZPoint point) const;

    bool notify = true;
    int32_t step = 1;
    bool horizontal;
    int32_t thumbWidth, thumbHeight;

private:
    bool dragging_ = false;
    int32_t max_ = 100;
    int32_t min_ = 0;
    int32_t position_ = 0;
};
