// The game's caption: a resource font, optional background picture, flags for
// centring, wrapping and justifying, a shadow under the small font, a tooltip
// while the pointer is over it, and a cached drawing.
#pragma once

#include "arcqz7guiwidgets.h"
#include "clRenderer.h"

class TUILabel : public TGUILabel {
public:
    TUILabel(const std::string& caption, TQZColour colour, int32_t fontId, TGUIWindow* parent, const TQZRect& rect);

    void MouseMove(TQZPoint point, TGUIWindow* hit) override;
    void MouseLeave() override;
    void Draw(const TQZRect& rect) override;
    uint32_t TextFlags() const;

    TQZTexture* background = nullptr;  // not owned
    bool justify = false;
    TGUIWindow* tooltip = nullptr;  // not owned; shown while the pointer is over the label

private:
    int32_t fontId_;
    TRenderer renderer_;
};

TUILabel* MakeUILabel(const std::string& caption, const TQZRect& rect, TGUIWindow* parent, TQZColour colour,
                      int32_t fontId);
