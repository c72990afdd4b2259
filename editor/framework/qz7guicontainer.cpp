#include "qz7guicontainer.h"

const TQZGUIPropertyList& TQZGUIContainer::ContainerProperties()
{
    using W = TQZGUIContainer;
    static const TQZGUIPropertyList list = qz7props::Extend(
        WindowProperties(), {qz7props::Boolean<W>("ShowSliders", &W::ShowSliders, &W::SetShowSliders, true)});
    return list;
}

const TQZGUIPropertyList& TQZGUIContainer::Properties() const
{
    return ContainerProperties();
}

void TQZGUIContainer::InitDefaults()
{
    placing_ = true;  // the built-in windows are not content
    auto builtIn = [](TQZGUIWindow* w) {
        w->SetTitle(QZGUI_BUILTIN);
        w->SetAlwaysOnTop(true);
        w->SetCanFocus(false);
        w->SetVisible(false);
    };
    vertical_ = CreateChild<TQZGUIScrollBar>(this, {});
    vertical_->SetStyle(scrVertical);
    builtIn(vertical_);
    horizontal_ = CreateChild<TQZGUIScrollBar>(this, {});
    horizontal_->SetStyle(scrHorizontal);
    builtIn(horizontal_);
    corner_ = CreateChild<TQZGUIButton>(this, {}, "^");
    builtIn(corner_);
    vertical_->onValueChange = [this](TQZGUIWindow* s) { SlidersMoved(s); };
    horizontal_->onValueChange = [this](TQZGUIWindow* s) { SlidersMoved(s); };
    corner_->onNotify = [this](TQZGUIWindow*) { ScrollHome(); };
    SetRepaintOptions(RepaintOptions() | QZREPAINT_DIRTYTARGET | QZREPAINT_CLIP);
    SetColor(0);
    scrolling_ = true;
    placing_ = false;
}

void TQZGUIContainer::SetShowSliders(bool b)
{
    showSliders_ = b;
    UpdateSliders();
}

TQZPoint TQZGUIContainer::ContentExtent() const
{
    TQZPoint extent{1, 1};
    for (int32_t i = 0; i < ChildCount(); ++i) {
        const TQZGUIWindow* c = GetChild(i);
        if (!c->Visible() || c->Title() == QZGUI_BUILTIN) continue;
        extent.x = MaxOf(extent.x, c->GetPosition().right);
        extent.y = MaxOf(extent.y, c->GetPosition().bottom);
    }
    return extent;
}

void TQZGUIContainer::Resized()
{
    TQZGUIWindow::Resized();
    UpdateSliders();
}

void TQZGUIContainer::ChildrenChanged(TQZGUIWindow*)
{
    UpdateSliders();
}

void TQZGUIContainer::UpdateSliders()
{
    if (placing_ || !vertical_ || !horizontal_ || !corner_) return;
    placing_ = true;
    const TQZPoint extent = ContentExtent();
    const int32_t w = GetWidth(), h = GetHeight();
    const bool showV = showSliders_ && extent.y > h, showH = showSliders_ && extent.x > w;
    const int32_t viewW = MaxOf(1, w - (showV ? SLIDER : 0)), viewH = MaxOf(1, h - (showH ? SLIDER : 0));
    // Never scrolled past the content's end, nor before its start.
    TQZPoint offset = ClientOffset();
    offset.x = ClampInt(MinOf(0, viewW - extent.x), offset.x, 0);
    offset.y = ClampInt(MinOf(0, viewH - extent.y), offset.y, 0);
    SetClientOffset(offset);
    vertical_->SetRange(0, extent.y - 1, viewH);
    horizontal_->SetRange(0, extent.x - 1, viewW);
    vertical_->SetValue(-offset.y);
    horizontal_->SetValue(-offset.x);
    vertical_->SetVisible(showV);
    horizontal_->SetVisible(showH);
    corner_->SetVisible(showV && showH);
    PlaceSliders();
    placing_ = false;
}

void TQZGUIContainer::PlaceSliders()
{
    const TQZPoint o = ClientOffset();
    const int32_t w = GetWidth(), h = GetHeight();
    vertical_->SetPosition(OffsetRectBy({w - SLIDER, 0, w, h - SLIDER}, {-o.x, -o.y}));
    horizontal_->SetPosition(OffsetRectBy({0, h - SLIDER, w - SLIDER, h}, {-o.x, -o.y}));
    corner_->SetPosition(OffsetRectBy({w - SLIDER, h - SLIDER, w, h}, {-o.x, -o.y}));
}

void TQZGUIContainer::SlidersMoved(TQZGUIWindow*)
{
    if (!scrolling_ || placing_) return;
    const TQZPoint offset{-horizontal_->Value(), -vertical_->Value()};
    if (offset == ClientOffset()) return;
    placing_ = true;
    SetClientOffset(offset);
    PlaceSliders();  // the bars stay where they are on the screen
    placing_ = false;
}

void TQZGUIContainer::ScrollHome()
{
    placing_ = true;
    vertical_->SetValue(0);
    horizontal_->SetValue(0);
    SetClientOffset({0, 0});
    PlaceSliders();
    placing_ = false;
}
