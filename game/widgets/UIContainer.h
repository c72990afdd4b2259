// A badge-shaped background for a group of widgets (the continue bar and the
// lobby's seat rows build on it).
#pragma once

#include "arcqz7gui.h"
#include "clRenderer.h"

class TUIContainer : public TGUIWindow {
public:
    TUIContainer(const TQZRect& rect, TGUIWindow* parent, int32_t style);
    void Draw(const TQZRect& rect) override;

    int32_t style;

private:
    TRenderer renderer_;
};

TUIContainer* MakeUIContainer(const TQZRect& rect, TGUIWindow* parent, int32_t style);
