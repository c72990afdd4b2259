// The layout record of a scene window: how its rectangle follows from its
// parent (pixels, percent, placed by the parent, or anchored to siblings),
// with the text forms scenes use for it.
#pragma once

#include "qz7core.h"
#include "qz7kvdata.h"

#include <array>
#include <string>
#include <vector>

enum TQZGUILayoutMode : int32_t {
    LayoutNone = 0,
    LayoutPixel = 1,
    LayoutRelative = 2,
    LayoutParentManaged = 3,
    LayoutAnchor = 4,
};

enum TQZGUIAnchorStyle : int32_t { anchorNone = 0, anchorMin = 1, anchorMid = 2, anchorMax = 3 };

struct TQZGUIAnchor {
    int32_t siblingID = 0;
    int32_t margin = 0;
    TQZGUIAnchorStyle style = anchorNone;
    bool operator==(const TQZGUIAnchor&) const = default;
};

constexpr int QZANCHOR_LEFT = 0, QZANCHOR_TOP = 1, QZANCHOR_RIGHT = 2, QZANCHOR_BOTTOM = 3;

struct TQZGUILayout {
    TQZGUILayoutMode mode = LayoutNone;
    TQZRect position;                      // pixels, or percent for LayoutRelative
    std::array<TQZGUIAnchor, 4> anchors;   // LayoutAnchor: left, top, right, bottom
    TQZPoint maximumSize;                  // other modes: 0 = no limit
    TQZPoint minimumSize;
    bool operator==(const TQZGUILayout&) const = default;
};

const std::vector<std::string>& LayoutModeNames();
const std::vector<std::string>& AnchorStyleNames();
// The names of the anchors as scene keys: "Anchorleft" ... "Anchorbottom".
const char* AnchorKey(int anchor);

// Reads a "Layout" object of a scene into the record: a missing mode or
// position keeps the record's; anchors (in LayoutAnchor) or the size
// limits (other modes) are replaced.
void ReadLayoutNode(const TQZKeyValue& node, TQZGUILayout& layout);
// Writes the record as a "Layout" node's children.
void WriteLayoutNode(const TQZGUILayout& layout, TQZKeyValue& node);

// The size limits of modes 0 to 2: a minimum whose x is above 0, then a
// maximum whose x is above 0, applied to the rectangle's size.
TQZRect LimitLayoutSize(const TQZRect& r, TQZPoint minimum, TQZPoint maximum);
// The point of a reference rectangle an anchor style names.
TQZPoint AnchorPoint(const TQZRect& reference, TQZGUIAnchorStyle style);
