// The container of the scene toolkit: a window whose content scrolls under
// two built-in scroll bars, with a corner button that scrolls back home.
#pragma once

#include "qz7guibutton.h"
#include "qz7guiscrollbar.h"

class TQZGUIContainer : public TQZGUIWindow {
public:
    const char* ClassName() const override { return "TQZGUIContainer"; }
    const TQZGUIPropertyList& Properties() const override;
    static const TQZGUIPropertyList& ContainerProperties();

    void InitDefaults() override;
    void Resized() override;
    // Children move without telling their parent: the bars follow each frame.
    void Update() override { UpdateSliders(); }
    void ChildrenChanged(TQZGUIWindow* child) override;

    bool ShowSliders() const { return showSliders_; }
    void SetShowSliders(bool b);
    bool Scrolling() const { return scrolling_; }
    void SetScrolling(bool b) { scrolling_ = b; }

    // The largest right and bottom edges of the visible content (built-in
    // windows left out), at least 1 each.
    TQZPoint ContentExtent() const;
    TQZGUIScrollBar* VerticalBar() const { return vertical_; }
    TQZGUIScrollBar* HorizontalBar() const { return horizontal_; }
    TQZGUIButton* CornerButton() const { return corner_; }
    // Scrolls home: both bars and the offset to 0.
    void ScrollHome();

    static constexpr int32_t SLIDER = 12;

private:
    void UpdateSliders();
    void SlidersMoved(TQZGUIWindow* sender);
    // Places the built-in windows at their fixed places in the visible area.
    void PlaceSliders();

    bool showSliders_ = true, scrolling_ = true, placing_ = false;
    TQZGUIScrollBar* vertical_ = nullptr;
    TQZGUIScrollBar* horizontal_ = nullptr;
    TQZGUIButton* corner_ = nullptr;
};
