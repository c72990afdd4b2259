#include "qz7videochoice.h"
#include "qzgui7flow.h"

const std::vector<std::string>& FlowStyleNames()
{
    static const std::vector<std::string> names = {"flowVertical", "flowHorizontal"};
    return names;
}

const TQZGUIPropertyList& TQZGUIFlow::Properties() const
{
    using W = TQZGUIFlow;
    namespace p = qz7props;
    static const TQZGUIPropertyList list = p::Extend(
        WindowProperties(),
        {p::Boolean<W>("Border", &W::Border, &W::SetBorder, false),
         p::Enumeration<W, TFlowStyle>("FlowStyle", FlowStyleNames(), &W::FlowStyle, &W::SetFlowStyle),
         p::Integer<W>("MinChildHeight", &W::MinChildHeight, &W::SetMinChildHeight, true, 12),
         p::Integer<W>("MinChildWidth", &W::MinChildWidth, &W::SetMinChildWidth, true, 12),
         p::Integer<W>("Padding", &W::Padding, &W::SetPadding, true, 0)});
    return list;
}

void TQZGUIFlow::SetBorder(bool b)
{
    border_ = b;
    Invalidate(true);
}

void TQZGUIFlow::SetFlowStyle(TFlowStyle s)
{
    style_ = s;
    LayoutPass();
}

void TQZGUIFlow::SetMinChildHeight(int32_t v)
{
    minHeight_ = v;
    LayoutPass();
}

void TQZGUIFlow::SetMinChildWidth(int32_t v)
{
    minWidth_ = v;
    LayoutPass();
}

void TQZGUIFlow::SetPadding(int32_t v)
{
    padding_ = v;
    LayoutPass();
}

std::vector<std::pair<TQZGUIWindow*, TQZRect>> TQZGUIFlow::Arrange()
{
    std::vector<std::pair<TQZGUIWindow*, TQZRect>> placed;
    std::vector<TQZPoint> sizes;
    int32_t widest = 12, tallest = 12;
    for (int32_t i = 0; i < ChildCount(); ++i) {
        TQZGUIWindow* c = GetChild(i);
        if (c->LayoutMode() != LayoutParentManaged) continue;
        const TQZPoint m = c->GetMinSize();
        const TQZPoint size{MaxOf(m.x, minWidth_), MaxOf(m.y, minHeight_)};
        widest = MaxOf(widest, padding_ + size.x);
        tallest = MaxOf(tallest, padding_ + size.y);
        placed.push_back({c, {}});
        sizes.push_back(size);
    }
    TQZPoint at{padding_, padding_};
    for (size_t i = 0; i < placed.size(); ++i) {
        const TQZPoint s = sizes[i];
        if (style_ == flowVertical) {
            placed[i].second = {at.x, at.y, widest, at.y + s.y};
            at.y += s.y + padding_;
        } else {
            placed[i].second = {at.x, at.y, at.x + s.x, tallest};
            at.x += s.x + padding_;
        }
    }
    return placed;
}

void TQZGUIFlow::PlaceChild(TQZGUIWindow* child, const TQZGUILayout& layout, TQZRect& out)
{
    bool found = false;
    for (const auto& [c, r] : Arrange()) {
        if (c == child) {
            out = r;
            found = true;
        } else {
            // One child placed moves the others: the flow is one arrangement.
            c->SetPosition(r);
        }
    }
    if (!found) TQZGUIWindow::PlaceChild(child, layout, out);
}

TQZPoint TQZGUIFlow::GetMinSize()
{
    const auto placed = Arrange();
    if (placed.empty()) return {12, 12};
    const TQZRect& last = placed.back().second;
    return {last.right + padding_, last.bottom + padding_};
}

void TQZGUIFlow::Paint(const TQZRect& r)
{
    PaintBackgroundAndText(r);
    if (border_) {
        if (TQZVideo* video = GetVideo()) video->DrawFrame(r, Color(), 1, Color());
    }
}
