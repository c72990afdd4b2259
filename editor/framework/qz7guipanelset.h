// The panel set of the scene toolkit: tabbed pages. The pages are the
// children of "PanelArea"; "PanelButtons" holds one tab button per page,
// made again whenever the number of pages changes.
#pragma once

#include "qz7guibutton.h"

class TQZGUIPanelSet : public TQZGUIWindow {
public:
    const char* ClassName() const override { return "TQZGUIPanelSet"; }

    void InitDefaults() override;
    void Update() override;

    TQZGUIWindow* Buttons() const { return buttons_; }
    TQZGUIWindow* Area() const { return area_; }
    int32_t PageCount() const { return area_ ? area_->ChildCount() : 0; }
    int32_t CurrentPage() const { return current_; }
    // Clamped to the pages; the page's tab is marked and only it shows.
    void SelectPage(int32_t index);
    // Makes the tab buttons again when their number is not the pages'.
    void RebuildTabs();

private:
    TQZGUIWindow* buttons_ = nullptr;
    TQZGUIWindow* area_ = nullptr;
    int32_t current_ = 0;
    bool pending_ = true;
};
