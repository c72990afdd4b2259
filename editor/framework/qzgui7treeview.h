// The tree view of the scene toolkit: nodes with a parent id, shown as rows
// of the expanded branches, with expander boxes.
#pragma once

#include "qzgui7listview.h"

struct TQZTreeNode {
    int32_t id = 0;
    int32_t parentId = 0;  // 0 at the top level
    std::string text;
    bool expanded = true;
};

class TQZGUITreeView : public TQZGUICustomList {
public:
    const char* ClassName() const override { return "TQZGUITreeView"; }

    void InitDefaults() override;
    void Update() override;
    bool HandleKey(uint32_t key) override;
    void MouseMove(TQZPoint point) override;

    int32_t ItemCount() const override { return int32_t(rows_.size()); }
    std::string ItemText(int32_t index) const override;
    void ItemClick(int32_t index, TQZPoint point) override;
    void DrawRow(int32_t index, const TQZRect& rect) override;
    int32_t ContentWidth() const override;

    // New nodes take the expanded default.
    void AddNode(int32_t id, int32_t parentId, const std::string& text);
    // The node and every node below it.
    void RemoveNode(int32_t id);
    void ClearNodes();
    void SetExpanded(int32_t id, bool flag);
    bool IsExpanded(int32_t id) const;
    bool expandedDefault = true;
    int32_t SelectedNodeId() const;
    void SelectNodeId(int32_t id);

    struct Row {
        TQZTreeNode node;
        int32_t depth = 1;
        int32_t children = 0;
    };
    const std::vector<Row>& Rows() const { return rows_; }
    void RebuildRows();
    int32_t Indent() const { return MaxOf(16, TextWidth("xx")); }
    // The expander box of a row, in the coordinates of its row rectangle.
    TQZRect ExpanderBox(int32_t index, const TQZRect& row) const;

private:
    int32_t NodeIndex(int32_t id) const;

    std::vector<TQZTreeNode> nodes_;
    std::vector<Row> rows_;
    bool dirty_ = true;
    TQZPoint pointer_ = QZ_NOWHERE;
};
