#include "qz7guipanelset.h"

void TQZGUIPanelSet::InitDefaults()
{
    buttons_ = CreateChild<TQZGUIWindow>(this, {0, 0, 100, 10}, "", 0, true);
    buttons_->SetTitle("PanelButtons");
    area_ = CreateChild<TQZGUIWindow>(this, {0, 10, 100, 100}, "", 0, true);
    area_->SetTitle("PanelArea");
    buttons_->onMessage = [this](int32_t id, TQZGUIWindow*) { SelectPage(id); };
    current_ = 0;
    pending_ = true;
}

void TQZGUIPanelSet::Update()
{
    // Pages come and go without telling the set: the count is looked at
    // every frame, and a difference rebuilds the tabs.
    if (pending_ || (buttons_ && buttons_->ChildCount() != PageCount())) RebuildTabs();
}

void TQZGUIPanelSet::RebuildTabs()
{
    pending_ = false;
    if (!buttons_ || !area_) return;
    const int32_t pages = PageCount();
    if (buttons_->ChildCount() == pages) {
        SelectPage(current_);
        return;
    }
    buttons_->FreeChildren(true);
    // With no page there is no tab to size (and nothing to divide by).
    const int32_t d = pages > 0 ? ClampInt(1, 100 / pages, 25) : 0;
    for (int32_t i = 0; i < pages; ++i) {
        TQZGUIButton* tab =
            CreateChild<TQZGUIButton>(buttons_, {d * i, 0, d * (i + 1), 100}, area_->GetChild(i)->Text(), i, true);
        // Made from the pages: never written out, never built from a scene.
        tab->SetTitle(QZGUI_BUILTIN);
    }
    SelectPage(current_);
    LayoutPass();
    Invalidate(true);
}

void TQZGUIPanelSet::SelectPage(int32_t index)
{
    const int32_t pages = PageCount();
    current_ = pages > 0 ? ClampInt(0, index, pages - 1) : 0;
    for (int32_t i = 0; i < pages; ++i) area_->GetChild(i)->SetVisible(i == current_);
    for (int32_t i = 0; i < buttons_->ChildCount(); ++i) {
        if (auto* tab = dynamic_cast<TQZGUIButton*>(buttons_->GetChild(i))) tab->SetSelected(i == current_);
    }
}
