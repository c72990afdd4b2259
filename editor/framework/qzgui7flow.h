// The flow of the scene toolkit: parent-managed children one after another,
// down or across, each at least a minimum size.
#pragma once

#include "qz7gui.h"

enum TFlowStyle : int32_t { flowVertical = 0, flowHorizontal = 1 };

const std::vector<std::string>& FlowStyleNames();

class TQZGUIFlow : public TQZGUIWindow {
public:
    const char* ClassName() const override { return "TQZGUIFlow"; }
    const TQZGUIPropertyList& Properties() const override;

    void PlaceChild(TQZGUIWindow* child, const TQZGUILayout& layout, TQZRect& out) override;
    TQZPoint GetMinSize() override;
    void Paint(const TQZRect& rect) override;

    bool Border() const { return border_; }
    void SetBorder(bool b);
    TFlowStyle FlowStyle() const { return style_; }
    void SetFlowStyle(TFlowStyle s);
    int32_t MinChildHeight() const { return minHeight_; }
    void SetMinChildHeight(int32_t v);
    int32_t MinChildWidth() const { return minWidth_; }
    void SetMinChildWidth(int32_t v);
    int32_t Padding() const { return padding_; }
    void SetPadding(int32_t v);

    // The rectangles of the parent-managed children, in their order.
    std::vector<std::pair<TQZGUIWindow*, TQZRect>> Arrange();

private:
    bool border_ = false;
    TFlowStyle style_ = flowVertical;
    int32_t minHeight_ = 12, minWidth_ = 12, padding_ = 0;
};
