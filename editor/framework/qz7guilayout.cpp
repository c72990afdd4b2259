#include "qz7guilayout.h"

#include "qz7guiprops.h"
#include "qz7text.h"

const std::vector<std::string>& LayoutModeNames()
{
    static const std::vector<std::string> names = {"LayoutNone", "LayoutPixel", "LayoutRelative",
                                                   "LayoutParentManaged", "LayoutAnchor"};
    return names;
}

const std::vector<std::string>& AnchorStyleNames()
{
    static const std::vector<std::string> names = {"anchorNone", "anchorMin", "anchorMid", "anchorMax"};
    return names;
}

const char* AnchorKey(int anchor)
{
    static const char* const keys[4] = {"Anchorleft", "Anchortop", "Anchorright", "Anchorbottom"};
    return anchor >= 0 && anchor < 4 ? keys[anchor] : "";
}

void ReadLayoutNode(const TQZKeyValue& node, TQZGUILayout& layout)
{
    if (node.HasPath("Layoutmode")) {
        int32_t mode = EnumValueOf(LayoutModeNames(), node.GetValue("Layoutmode"));
        if (mode >= 0) layout.mode = TQZGUILayoutMode(mode);
    }
    if (node.HasPath("Position")) layout.position = TextToRect(node.GetValue("Position"), layout.position);
    if (layout.mode == LayoutAnchor) {
        for (int a = 0; a < 4; ++a) {
            const std::string key = AnchorKey(a);
            TQZGUIAnchor anchor;
            if (node.HasPath(key)) {
                int32_t style = EnumValueOf(AnchorStyleNames(), node.GetValue(key + ".Anchorstyle"));
                anchor.style = style >= 0 ? TQZGUIAnchorStyle(style) : anchorNone;
                anchor.siblingID = TextToInt(node.GetValue(key + ".SiblingID"));
                anchor.margin = TextToInt(node.GetValue(key + ".Margin"));
            }
            layout.anchors[size_t(a)] = anchor;
        }
    } else {
        layout.minimumSize = TextToPoint(node.GetValue("MinimumSize"), {0, 0});
        layout.maximumSize = TextToPoint(node.GetValue("MaximumSize"), {0, 0});
    }
}

void WriteLayoutNode(const TQZGUILayout& layout, TQZKeyValue& node)
{
    const int32_t mode = int32_t(layout.mode);
    node.SetString("LayoutMode", mode >= 0 && mode < 5 ? LayoutModeNames()[size_t(mode)] : "LayoutNone");
    node.SetString("Position", RectToText(layout.position));
    if (layout.mode == LayoutAnchor) {
        for (int a = 0; a < 4; ++a) {
            const TQZGUIAnchor& anchor = layout.anchors[size_t(a)];
            if (anchor.style == anchorNone) continue;
            const std::string key = AnchorKey(a);
            node.SetInt(key + ".SiblingID", anchor.siblingID);
            node.SetInt(key + ".Margin", anchor.margin);
            node.SetString(key + ".AnchorStyle", AnchorStyleNames()[size_t(anchor.style)]);
        }
        return;
    }
    if (layout.minimumSize.x != 0 || layout.minimumSize.y != 0)
        node.SetString("MinimumSize", PointToText(layout.minimumSize));
    if (layout.maximumSize.x != 0 || layout.maximumSize.y != 0)
        node.SetString("MaximumSize", PointToText(layout.maximumSize));
}

TQZRect LimitLayoutSize(const TQZRect& r, TQZPoint minimum, TQZPoint maximum)
{
    int32_t w = r.right - r.left, h = r.bottom - r.top;
    if (minimum.x > 0) {
        w = MaxOf(w, minimum.x);
        h = MaxOf(h, minimum.y);
    }
    if (maximum.x > 0) {
        w = MinOf(w, maximum.x);
        h = MinOf(h, maximum.y);
    }
    return {r.left, r.top, r.left + w, r.top + h};
}

TQZPoint AnchorPoint(const TQZRect& r, TQZGUIAnchorStyle style)
{
    switch (style) {
    case anchorMin: return {r.left, r.top};
    case anchorMid: return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    case anchorMax: return {r.right, r.bottom};
    default: return {0, 0};
    }
}
