#include "qz7videochoice.h"
#include "qz7guiprogress.h"

#include "qz7text.h"

#include <cmath>

const TQZGUIPropertyList& TQZGUIProgressMeter::Properties() const
{
    using W = TQZGUIProgressMeter;
    namespace p = qz7props;
    static const TQZGUIPropertyList list =
        p::Extend(WindowProperties(), {p::Float<W>("Maximum", &W::Maximum, &W::SetMaximum),
                                       p::Boolean<W>("TextLabel", &W::TextLabel, &W::SetTextLabel, false),
                                       p::Float<W>("Value", &W::Value, &W::SetValue)});
    return list;
}

void TQZGUIProgressMeter::InitDefaults()
{
    maximum_ = 1.0f;
    value_ = 0;
    textLabel_ = false;
}

void TQZGUIProgressMeter::SetMaximum(float v)
{
    maximum_ = v;
    Invalidate(true);
}

void TQZGUIProgressMeter::SetTextLabel(bool b)
{
    textLabel_ = b;
    Invalidate(true);
}

void TQZGUIProgressMeter::SetValue(float v)
{
    value_ = v;
    Invalidate(true);
}

int32_t TQZGUIProgressMeter::BarLength(int32_t innerWidth) const
{
    const double length = innerWidth - (1.0 - double(value_) / double(maximum_)) * (innerWidth - 2);
    // A value outside 0..maximum stays within the meter.
    if (!std::isfinite(length)) return 0;
    return int32_t(std::clamp(length, 0.0, double(MaxOf(0, innerWidth))));
}

void TQZGUIProgressMeter::Paint(const TQZRect& r)
{
    TQZVideo* video = GetVideo();
    if (!video) return;
    video->FillRect(r, GetThemeColor(9));
    const TQZRect inner = AdjustRect(r, 1, 1, -1, -1);
    video->FillRect(inner, GetThemeColor(2));
    if (maximum_ == 0) return;
    const int32_t right = inner.left + BarLength(inner.right - inner.left);
    const int32_t middle = (inner.top + inner.bottom) / 2;
    video->FillRect({inner.left, inner.top, right, middle}, GetThemeColor(7));
    video->FillRect({inner.left, middle, right, inner.bottom}, GetThemeColor(6));
    if (textLabel_)
        DrawText(r, FloatToTextTrim(value_) + " / " + FloatToTextTrim(maximum_),
                 QZFD_ALIGN_CENTRE | QZFD_ALIGN_MIDDLE, GetThemeColor(0));
}
