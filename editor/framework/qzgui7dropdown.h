// The drop-down of the scene toolkit: closed it shows the selected item's
// text; a press opens it five rows deeper as a list view, and the next
// choice closes it again.
#pragma once

#include "qzgui7listview.h"

class TQZGUIDropdown : public TQZGUIListView {
public:
    const char* ClassName() const override { return "TQZGUIDropdown"; }

    void InitDefaults() override;
    void AfterCreate() override;
    void ApplyLayout() override;
    void MouseDown(bool down, TQZPoint point) override;
    bool HandleKey(uint32_t key) override;
    void SetFocused(bool flag) override;
    void Paint(const TQZRect& rect) override;
    void SetText(const std::string& text) override;

    bool IsOpen() const { return open_; }
    void Open();
    // Takes the selected item's text (empty for none) and restores the
    // closed rectangle.
    void Close();
    const TQZRect& ClosedRect() const { return closed_; }

    static constexpr int32_t OPEN_ROWS = 5;

private:
    bool open_ = false;
    TQZRect closed_;
};
