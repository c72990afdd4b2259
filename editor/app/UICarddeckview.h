// The editor's view of the cardset being edited: the 53 slots in a
// scrolling grid, a selected slot, and image files dropped from the desktop
// onto a slot, handed to the owner.
#pragma once

#include "qz7gui.h"

#include <functional>
#include <memory>
#include <string>

class TCardGraphics;
class TQZDragDrop;
class TQZGUIScrollBar;
class TQZWindow;

constexpr int32_t DECKVIEW_SLOTS = 53;
constexpr int32_t DECKVIEW_GAP = 5;
// Space kept clear between an empty slot's captions and its edges.
constexpr int32_t DECKVIEW_TEXT_MARGIN = 4;
// The font file of the slot captions and the name it is registered under.
extern const char* const kDeckViewFontFile;
extern const char* const kDeckViewFontFace;

using TCardDropCallback = std::function<void(int32_t slot, const std::string& file)>;

class TUICardDeckView : public TQZGUIWindow {
public:
    TUICardDeckView();
    ~TUICardDeckView() override;
    const char* ClassName() const override { return "TUICardDeckView"; }
    void InitDefaults() override;
    void LayoutChanged() override;
    void MouseDown(bool down, TQZPoint point) override;
    bool MouseWheel(int32_t delta) override;
    void Paint(const TQZRect& rect) override;

    // The cardset shown (not owned; nullptr shows empty slots).
    void SetCardset(TCardGraphics* cardset);
    TCardGraphics* Cardset() const { return cardset_; }
    void SetCardSize(TQZPoint size);
    TQZPoint CardSize() const { return cardSize_; }
    void SetSelected(int32_t slot);
    int32_t Selected() const { return selected_; }
    bool DragHover() const { return hover_; }
    // Columns of the grid at the view's width, at least one.
    int32_t Columns() const;
    // The slot's rectangle in view coordinates before scrolling.
    TQZRect SlotRect(int32_t slot) const;
    // The slot under a point in view coordinates (scrolling applied); -1 for none.
    int32_t HitCard(TQZPoint point) const;
    void UpdateScrollBar();
    TQZGUIScrollBar* ScrollBar() const { return scroll_; }
    int32_t ScrollValue() const;

    // Drops onto the window the view lives in; without a window of the
    // platform (headless) nothing is registered and Drag* are called directly.
    void AttachDropTarget(TQZWindow* window);
    TQZDragDrop* DropTarget() const { return drop_.get(); }
    TCardDropCallback onCardDropped;

    // The drop target's handlers, in window client coordinates.
    void DragOver(TQZPoint point);
    void DragLeave();
    void DragDrop(TQZPoint point, const std::vector<std::string>& files);

private:
    TQZPoint ScreenToView(TQZPoint screen) const;
    void PlaceDropTarget();

    TCardGraphics* cardset_ = nullptr;
    TQZPoint cardSize_{71, 96};
    std::unique_ptr<TQZDragDrop> drop_;
    int32_t selected_ = 0;
    bool hover_ = false;
    TQZGUIScrollBar* scroll_ = nullptr;
};



