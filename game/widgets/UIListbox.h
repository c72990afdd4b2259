// The game's list box: grey rows in the list font with the selected one
// marked, a scroll bar at the right, and a cached drawing.
#pragma once

#include "UIScrollBar.h"
#include "clRenderer.h"

class TUIListBox : public TGUIListbox {
public:
    TUIListBox(const TQZRect& rect, TGUIWindow* parent, int32_t commandId);

    void AfterCreate() override;
    void SetRect(const TQZRect& rect) override;
    void Draw(const TQZRect& rect) override;
    // What a row shows of its item.
    std::string ShownText(int32_t index) const;

    TUIScrollBar* ScrollBarWidget() const { return scrollBarWidget_; }

    TQZColour itemColour = 0xFF000000;
    bool hideExtensions = true;  // file names without their extension

private:
    void PlaceScrollBar();

    TUIScrollBar* scrollBarWidget_ = nullptr;
    TRenderer renderer_;
};

TUIListBox* MakeUIListBox(const TQZRect& rect, TGUIWindow* parent, int32_t commandId);
