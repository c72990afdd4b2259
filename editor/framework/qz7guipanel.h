// The panel of the scene toolkit: a vertically scrolling form whose
// parent-managed children are placed in rows, with its own slim scroll bar.
#pragma once

#include "qz7gui.h"

// The panel's scroll bar: horizontal when wider than high.
class TQZGUIPanelScroll : public TQZGUIWindow {
public:
    const char* ClassName() const override { return "TQZGUIPanelScroll"; }
    const TQZGUIPropertyList& Properties() const override;

    void InitDefaults() override;
    void MouseDown(bool down, TQZPoint point) override;
    void MouseUp(bool released, TQZPoint point) override;
    void DragMove(TQZPoint delta) override;
    bool HandleKey(uint32_t key) override;
    void Paint(const TQZRect& rect) override;

    bool ChangeMessage() const { return changeMessage_; }
    void SetChangeMessage(bool b) { changeMessage_ = b; }
    int32_t Step() const { return step_; }
    void SetStep(int32_t v) { step_ = v; }
    int32_t Maximum() const { return maximum_; }
    void SetMaximum(int32_t v);
    int32_t Minimum() const { return minimum_; }
    void SetMinimum(int32_t v);
    int32_t Value() const { return value_; }
    void SetValue(int32_t v);
    int32_t ValueSize() const { return valueSize_; }
    void SetValueSize(int32_t v);

    bool Horizontal() const { return GetWidth() > GetHeight(); }
    int32_t TrackLength() const { return MaxOf(0, Horizontal() ? GetWidth() : GetHeight()); }
    int32_t ThumbLength() const;
    int32_t ThumbStart() const;
    // The part of the track the thumb covers, in window coordinates.
    TQZRect ThumbRect() const;

private:
    int32_t ValueHigh() const;
    void Reclamp();
    // Sets one end of the range or the value's size, then the value within it.
    void SetBound(int32_t& field, int32_t v);

    bool changeMessage_ = true;
    int32_t step_ = 1, maximum_ = 1, minimum_ = 0, value_ = 0, valueSize_ = 1;
    int32_t dragStartValue_ = 0;
};

class TQZGUIPanel : public TQZGUIWindow {
public:
    const char* ClassName() const override { return "TQZGUIPanel"; }

    void InitDefaults() override;
    void PlaceChild(TQZGUIWindow* child, const TQZGUILayout& layout, TQZRect& out) override;
    void Notify(int32_t id, TQZGUIWindow* sender) override;
    void Update() override;
    void Resized() override;
    void ChildrenChanged(TQZGUIWindow* child) override;
    void Paint(const TQZRect& rect) override;

    int32_t RowHeight() const { return rowHeight_; }
    TQZGUIPanelScroll* Scroll() const { return scroll_; }
    bool RearrangePending() const { return pending_; }

    static constexpr int32_t SCROLL_ID = -1000;

private:
    void Scrolled();

    TQZGUIPanelScroll* scroll_ = nullptr;
    int32_t rowHeight_ = 30;
    bool pending_ = true;
};
