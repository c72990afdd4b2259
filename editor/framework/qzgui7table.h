// The table of the scene toolkit: a grid of columns and rows (pixels or
// weights) that places its parent-managed children by grid coordinates,
// with boundaries that can be dragged.
#pragma once

#include "qz7guicontainer.h"

class TQZGUITable : public TQZGUIContainer {
public:
    const char* ClassName() const override { return "TQZGUITable"; }
    const TQZGUIPropertyList& Properties() const override;

    void InitDefaults() override;
    void PlaceChild(TQZGUIWindow* child, const TQZGUILayout& layout, TQZRect& out) override;
    void MouseMove(TQZPoint point) override;
    void DragMove(TQZPoint delta) override;
    void DragEnd(TQZPoint delta) override;
    void Paint(const TQZRect& rect) override;

    bool Border() const { return border_; }
    void SetBorder(bool b);
    bool CanDragColumns() const { return dragColumns_; }
    void SetCanDragColumns(bool b) { dragColumns_ = b; }
    bool CanDragRows() const { return dragRows_; }
    void SetCanDragRows(bool b) { dragRows_ = b; }
    std::string ColWidths() const;
    void SetColWidths(const std::string& text);
    bool FixedSizes() const { return fixed_; }
    void SetFixedSizes(bool b);
    int32_t Padding() const { return padding_; }
    void SetPadding(int32_t v);
    std::string RowHeights() const;
    void SetRowHeights(const std::string& text);

    const std::vector<int32_t>& Columns() const { return columns_; }
    const std::vector<int32_t>& Rows() const { return rows_; }
    // The grid point (c, r) in window coordinates.
    TQZPoint GridPoint(int32_t c, int32_t r) const;
    int32_t ActiveColumn() const { return activeColumn_; }
    int32_t ActiveRow() const { return activeRow_; }

private:
    static int32_t Sum(const std::vector<int32_t>& v);
    static int32_t Grid(const std::vector<int32_t>& sizes, int32_t n, int32_t length, bool fixed);
    // Moves boundary i of the sizes by a pointer movement.
    void DragBoundary(std::vector<int32_t>& sizes, int32_t i, int32_t movement, bool columns);

    bool border_ = false, dragColumns_ = false, dragRows_ = false, fixed_ = false;
    int32_t padding_ = 0;
    std::vector<int32_t> columns_, rows_;
    int32_t activeColumn_ = 0, activeRow_ = 0;
    TQZPoint dragDone_;
};
