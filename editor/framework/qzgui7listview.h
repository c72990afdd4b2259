// Item widgets of the scene toolkit: the scrolling list base (rows, header,
// selection, keys, wheel, scroll bars and a short scroll animation) and the
// list view, whose items are columns split by a separator.
#pragma once

#include "qz7guiscrollbar.h"

class TQZGUICustomList : public TQZGUIWindow {
public:
    const char* ClassName() const override { return "TQZGUICustomList"; }
    const TQZGUIPropertyList& Properties() const override;
    static const TQZGUIPropertyList& ListProperties();

    void InitDefaults() override;
    void MouseDown(bool down, TQZPoint point) override;
    void MouseMove(TQZPoint point) override;
    void MouseLeave() override;
    bool MouseWheel(int32_t delta) override;
    bool HandleKey(uint32_t key) override;
    void Update() override;
    void Resized() override;
    void Paint(const TQZRect& rect) override;
    void SetText(const std::string& text) override;

    // The list's own operations.
    virtual int32_t ItemCount() const { return 0; }
    virtual std::string ItemText(int32_t index) const { (void)index; return {}; }
    virtual int32_t RowHeight() const;
    virtual TQZRect RowRect(int32_t index) const;
    // A press on a row, the point in row coordinates.
    virtual void ItemClick(int32_t index, TQZPoint point);
    virtual void SelectionChanged() {}
    virtual void DrawHeader(const TQZRect& rect);
    virtual void DrawRow(int32_t index, const TQZRect& rect) { (void)index; (void)rect; }
    virtual int32_t ContentWidth() const { return MaxOf(1, GetWidth() - 2 * RowSpacing()); }

    std::string Header() const { return header_; }
    void SetHeader(const std::string& h);
    int32_t MessageOnChange() const { return messageOnChange_; }
    void SetMessageOnChange(int32_t v) { messageOnChange_ = v; }

    int32_t Selected() const { return selected_; }
    void SetSelected(int32_t index);
    int32_t TopRow() const { return top_; }
    void ScrollTo(int32_t row);
    int32_t HoverRow() const { return hover_; }
    int32_t VisibleRows() const;
    int32_t LastVisibleRow() const;
    int32_t RowAt(TQZPoint point) const;
    int32_t IndexOfText(const std::string& text) const;
    int32_t RowSpacing() const { return 3; }
    int32_t HeaderHeight() const { return header_.empty() ? 0 : RowHeight(); }
    float ScrollAnimation() const { return animation_; }
    // The rows and scroll bars after a change of the items or the size.
    void Rebuild();
    TQZGUIScrollBar* VerticalBar() const { return vertical_; }
    TQZGUIScrollBar* HorizontalBar() const { return horizontal_; }

    static constexpr int32_t BAR = 12;

protected:
    // A row's rectangle in window coordinates, visible or not.
    TQZRect RowRectAt(int32_t index) const;
    void MarkItemsChanged() { itemsChanged_ = true; }

private:
    void BarMoved(TQZGUIWindow* sender);

    std::string header_;
    int32_t messageOnChange_ = 0;
    int32_t selected_ = 0, hover_ = -1, top_ = 0;
    int32_t lastCount_ = -1;
    bool itemsChanged_ = true, rebuilding_ = false;
    float animation_ = 0;
    uint32_t lastTick_ = 0;
    TQZGUIScrollBar* vertical_ = nullptr;
    TQZGUIScrollBar* horizontal_ = nullptr;
};

class TQZGUIListView : public TQZGUICustomList {
public:
    const char* ClassName() const override { return "TQZGUIListView"; }
    const TQZGUIPropertyList& Properties() const override;
    static const TQZGUIPropertyList& ListViewProperties();

    void InitDefaults() override;
    void Update() override;

    int32_t ItemCount() const override { return int32_t(items_.size()); }
    std::string ItemText(int32_t index) const override;
    void DrawHeader(const TQZRect& rect) override;
    void DrawRow(int32_t index, const TQZRect& rect) override;
    int32_t ContentWidth() const override;

    bool AutoScroll() const { return autoScroll_; }
    void SetAutoScroll(bool b) { autoScroll_ = b; }
    char Separator() const { return separator_; }
    void SetSeparator(char c);

    // With AutoScroll the list scrolls to a new last item.
    void AddItem(const std::string& text);
    void SetItem(int32_t index, const std::string& text);
    void DeleteItem(int32_t index);
    void ClearItems();
    const std::string& Item(int32_t index) const { return items_[size_t(index)]; }
    // At most 101 fields: the separator is looked for 100 times at most.
    std::vector<std::string> Fields(const std::string& text) const;
    const std::vector<int32_t>& ColumnWidths() const { return columns_; }
    void MeasureColumns();

private:
    void DrawFields(const std::vector<std::string>& fields, const TQZRect& rect, TQZColour colour);

    std::vector<std::string> items_;
    std::vector<int32_t> columns_;
    bool autoScroll_ = false, columnMode_ = true, measure_ = true;
    char separator_ = '|';
};
