// The permanent background of the root window: the table cloth below a top
// bar with the "Menu" button and a status (or credit) line.
#pragma once

#include "arcqz7gui.h"
#include "clRenderer.h"

#include <string>

class TUIButton;

// The credit line of the top bar.
constexpr const char* kTableCredit = "Version 1.90 Release";
constexpr int32_t kTableTopBar = 22;

class TUITable : public TGUIWindow {
public:
    explicit TUITable(TGUIWindow* parent);

    // Commands go to the window of the current screen, so the "Menu" button
    // (and Escape) reaches whichever screen is showing.
    void PostCommand(TGUIWindow* sender, int32_t id) override;
    bool Arrange() override;
    void Draw(const TQZRect& rect) override;

    void SetStatus(const std::string& text) { status = text; }
    TUIButton* MenuButton() const { return menuButton_; }

    std::string credit;
    // The table caption (the game flow's "TABLE_CAPTION" event) shows here,
    // in place of the credit line.
    std::string status;

private:
    TUIButton* menuButton_ = nullptr;
    TRenderer renderer_;
};
