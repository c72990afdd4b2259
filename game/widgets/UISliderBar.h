// A progress bar with a knob that the user drags to set the position; its
// owner reads the position, no command is sent.
#pragma once

#include "UIProgressBar.h"

class TUISliderBar : public TUIProgressBar {
public:
    TUISliderBar(const TQZRect& rect, TGUIWindow* parent, int32_t commandId);

    bool MouseDown(TQZPoint point) override;
    bool MouseUp(TQZPoint point) override;
    void MouseMove(TQZPoint point, TGUIWindow* hit) override;
    void Draw(const TQZRect& rect) override;
    // Relative to the slider.
    TQZRect ThumbRect() const;
    bool Dragging() const { return dragging_; }

private:
    bool dragging_ = false;
};

TUISliderBar* MakeUISliderBar(const TQZRect& rect, TGUIWindow* parent, int32_t commandId);
