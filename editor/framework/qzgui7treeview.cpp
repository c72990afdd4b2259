#include "qz7videochoice.h"
#include "qzgui7treeview.h"

#include <algorithm>

void TQZGUITreeView::InitDefaults()
{
    TQZGUICustomList::InitDefaults();
    nodes_.clear();
    rows_.clear();
    expandedDefault = true;
}

int32_t TQZGUITreeView::NodeIndex(int32_t id) const
{
    for (size_t i = 0; i < nodes_.size(); ++i) {
        if (nodes_[i].id == id) return int32_t(i);
    }
    return -1;
}

void TQZGUITreeView::AddNode(int32_t id, int32_t parentId, const std::string& text)
{
    nodes_.push_back({id, parentId, text, expandedDefault});
    dirty_ = true;
}

void TQZGUITreeView::RemoveNode(int32_t id)
{
    std::vector<int32_t> gone{id};
    for (size_t i = 0; i < gone.size(); ++i) {
        for (const TQZTreeNode& n : nodes_) {
            if (n.parentId == gone[i] && n.id != gone[i] &&
                std::find(gone.begin(), gone.end(), n.id) == gone.end())
                gone.push_back(n.id);
        }
    }
    std::erase_if(nodes_, [&](const TQZTreeNode& n) { return std::find(gone.begin(), gone.end(), n.id) != gone.end(); });
    dirty_ = true;
}

void TQZGUITreeView::ClearNodes()
{
    nodes_.clear();
    dirty_ = true;
}

void TQZGUITreeView::SetExpanded(int32_t id, bool flag)
{
    const int32_t i = NodeIndex(id);
    if (i < 0 || nodes_[size_t(i)].expanded == flag) return;
    nodes_[size_t(i)].expanded = flag;
    dirty_ = true;
}

bool TQZGUITreeView::IsExpanded(int32_t id) const
{
    const int32_t i = NodeIndex(id);
    return i >= 0 && nodes_[size_t(i)].expanded;
}

void TQZGUITreeView::RebuildRows()
{
    rows_.clear();
    for (const TQZTreeNode& n : nodes_) {
        int32_t depth = 1;
        if (n.parentId != 0) {
            auto parent = std::find_if(rows_.begin(), rows_.end(), [&](const Row& r) { return r.node.id == n.parentId; });
            if (parent == rows_.end() || !parent->node.expanded) continue;
            depth = parent->depth + 1;
        }
        Row row{n, depth, 0};
        row.children = int32_t(std::count_if(nodes_.begin(), nodes_.end(),
                                             [&](const TQZTreeNode& c) { return c.parentId == n.id && c.id != n.id; }));
        rows_.push_back(row);
    }
    dirty_ = false;
    MarkItemsChanged();
}

void TQZGUITreeView::Update()
{
    if (dirty_) {
        const int32_t selectedId = SelectedNodeId();
        RebuildRows();
        if (selectedId != 0) SelectNodeId(selectedId);
    }
    TQZGUICustomList::Update();
}

std::string TQZGUITreeView::ItemText(int32_t index) const
{
    return index >= 0 && index < ItemCount() ? rows_[size_t(index)].node.text : std::string();
}

int32_t TQZGUITreeView::SelectedNodeId() const
{
    const int32_t s = Selected();
    return s >= 0 && s < ItemCount() ? rows_[size_t(s)].node.id : 0;
}

void TQZGUITreeView::SelectNodeId(int32_t id)
{
    for (int32_t i = 0; i < ItemCount(); ++i) {
        if (rows_[size_t(i)].node.id == id) {
            SetSelected(i);
            return;
        }
    }
    SetSelected(-1);
}

int32_t TQZGUITreeView::ContentWidth() const
{
    int32_t widest = 1;
    const int32_t visible = GetWidth() - 2 * RowSpacing();
    for (const Row& r : rows_) widest = MaxOf(widest, MaxOf(r.depth * Indent() + TextWidth(r.node.text) + 4, visible));
    return widest;
}

TQZRect TQZGUITreeView::ExpanderBox(int32_t index, const TQZRect& row) const
{
    const int32_t size = RowHeight() > 15 ? 14 : 7;
    const int32_t depth = index >= 0 && index < ItemCount() ? rows_[size_t(index)].depth : 1;
    return CentredRect(row.left + depth * Indent() - Indent() / 2 + 1, (row.top + row.bottom) / 2 + 1, size, size);
}

void TQZGUITreeView::ItemClick(int32_t index, TQZPoint point)
{
    Root()->SetFocus(this);
    const TQZRect row = RowRectAt(index);
    const TQZRect local{0, 0, row.right - row.left, row.bottom - row.top};
    if (index == Selected() || PointInRect(point, ExpanderBox(index, local))) {
        SetExpanded(rows_[size_t(index)].node.id, !rows_[size_t(index)].node.expanded);
        return;
    }
    SetSelected(index);
}

bool TQZGUITreeView::HandleKey(uint32_t key)
{
    if (Enabled() && HasFocus() && (key == 0x1000025 || key == 0x1000027)) {
        if (int32_t id = SelectedNodeId(); id != 0) SetExpanded(id, key == 0x1000027);
        return true;
    }
    return TQZGUICustomList::HandleKey(key);
}

void TQZGUITreeView::MouseMove(TQZPoint point)
{
    TQZGUICustomList::MouseMove(point);
    pointer_ = point;
    Invalidate(true);
}

void TQZGUITreeView::DrawRow(int32_t index, const TQZRect& w)
{
    TQZVideo* video = GetVideo();
    if (!video) return;
    const Row& row = rows_[size_t(index)];
    const bool selected = index == Selected();
    if (selected) {
        video->FillRect(w, GetThemeColor(6));
    } else if (index == HoverRow()) {
        video->FillRect(w, GetThemeColor(7));
    }
    const int32_t indent = Indent();
    DrawText({w.left + row.depth * indent + 2, w.top, w.right + row.depth * indent, w.bottom}, row.node.text,
             QZFD_ALIGN_LEFT | QZFD_ALIGN_MIDDLE, GetThemeColor(selected ? 4 : 0));
    const TQZRect box = ExpanderBox(index, w);
    const TQZRect screen = GetScreenRect();
    const bool over = PointInRect({pointer_.x + screen.left, pointer_.y + screen.top}, box);
    const TQZColour c = GetThemeColor(over ? 4 : 2);
    const bool big = box.right - box.left == 14;
    const int32_t m = big ? 6 : 3, n = big ? 3 : 2, t = big ? 2 : 1;
    video->FillRect({box.left + n, box.top + m, box.right - n, box.bottom - m}, c);
    if (row.children > 0) video->DrawFrame(box, c, t, c);
    if (!row.node.expanded) video->FillRect({box.left + m, box.top + n, box.right - m, box.bottom - n}, c);
}
