// The progress meter of the scene toolkit: a bar for a value of a maximum.
#pragma once

#include "qz7gui.h"

class TQZGUIProgressMeter : public TQZGUIWindow {
public:
    const char* ClassName() const override { return "TQZGUIProgressMeter"; }
    const TQZGUIPropertyList& Properties() const override;

    void InitDefaults() override;
    void Paint(const TQZRect& rect) override;

    float Maximum() const { return maximum_; }
    void SetMaximum(float v);
    bool TextLabel() const { return textLabel_; }
    void SetTextLabel(bool b);
    float Value() const { return value_; }
    void SetValue(float v);
    // The bar's length within the meter's inner width.
    int32_t BarLength(int32_t innerWidth) const;

private:
    float maximum_ = 1.0f, value_ = 0;
    bool textLabel_ = false;
};
