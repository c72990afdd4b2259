// A button whose caption steps through a list of options on each click.
#pragma once

#include "UIButton.h"

#include <vector>

class TUICycleButton : public TUIButton {
public:
    TUICycleButton(const std::string& caption, const TQZRect& rect, TGUIWindow* parent, int32_t commandId);

    void Click() override;
    void Draw(const TQZRect& rect) override;
    // Added unless already in the list.
    void AddOption(const std::string& text);
    // The caption's place in the options, -1 when it is none of them.
    int32_t GetSelectedIndex() const;
    const std::vector<std::string>& Options() const { return options_; }

private:
    std::vector<std::string> options_;
};

TUICycleButton* MakeUICycleButton(const std::string& caption, const TQZRect& rect, TGUIWindow* parent,
                                  int32_t commandId);
