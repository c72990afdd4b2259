// The scroll bar of the scene toolkit: a value kept within its range less a
// page, moved by its thumb, by presses beside the thumb and by keys.
#pragma once

#include "qz7gui.h"

enum TScrollBarStyle : int32_t { scrVertical = 0, scrHorizontal = 1 };

class TQZGUIScrollBar : public TQZGUIWindow {
public:
    const char* ClassName() const override { return "TQZGUIScrollBar"; }
    const TQZGUIPropertyList& Properties() const override;

    void InitDefaults() override;
    void MouseDown(bool down, TQZPoint point) override;
    bool HandleKey(uint32_t key) override;
    void DragMove(TQZPoint delta) override;
    void Paint(const TQZRect& rect) override;

    float Coverage() const;
    int32_t InsetPixels() const { return inset_; }
    void SetInsetPixels(int32_t v);
    int32_t LargeStep() const { return largeStep_; }
    void SetLargeStep(int32_t v) { largeStep_ = v; }
    int32_t Max() const { return max_; }
    void SetMax(int32_t v);
    int32_t Min() const { return min_; }
    void SetMin(int32_t v);
    int32_t PageSize() const { return pageSize_; }
    void SetPageSize(int32_t v);
    int32_t SmallStep() const { return smallStep_; }
    void SetSmallStep(int32_t v) { smallStep_ = v; }
    TScrollBarStyle Style() const { return style_; }
    void SetStyle(TScrollBarStyle s);
    int32_t Value() const { return value_; }
    void SetValue(int32_t v);
    // Range and page at once, the value kept.
    void SetRange(int32_t min, int32_t max, int32_t pageSize);

    // Told of every change of the value.
    TQZGUINotifyHandler onValueChange;

    // Geometry in window coordinates.
    int32_t TrackLength() const;
    int32_t ThumbLength() const;
    int32_t ThumbStart() const;
    TQZRect ThumbRect() const;
    // Where a caption of that width is drawn in the screen rectangle r,
    // beside the thumb (screen coordinates too).
    TQZRect CaptionRect(const TQZRect& r, const TQZRect& thumb, int32_t textWidth) const;

private:
    bool Vertical() const { return style_ == scrVertical; }
    void Clamp();
    // Sets one end of the range or the page, then the value within them.
    void SetBound(int32_t& field, int32_t v);
    // The largest value: the range's end less a page.
    int32_t ValueHigh() const;

    int32_t inset_ = 1, largeStep_ = 20, max_ = 100, min_ = 0, pageSize_ = 20, smallStep_ = 1, value_ = 50;
    TScrollBarStyle style_ = scrVertical;
    int32_t dragDone_ = 0;     // movement already applied in this drag
    double dragCarry_ = 0;     // fraction of a step carried to the next movement
};

const std::vector<std::string>& ScrollBarStyleNames();
