// The about screen: title, version and date, the logo and the credits.
#pragma once

#include "mgrStates.h"

class TAboutGUI : public TStateGUI {
public:
    TAboutGUI(TState* owner, TGUIWindow* layout);
    bool Arrange() override;
    void Draw(const TQZRect& rect) override;

private:
    TGUIWindow* block_ = nullptr;
};

class TStateAbout : public TState {
public:
    void CreateGUI() override;
    void HandleEvent(int32_t commandId) override;
};
