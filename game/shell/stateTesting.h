// A developer's test screen: an image selector that three buttons point at
// the tables, the cardsets or the card backs.
#pragma once

#include "mgrStates.h"

class TUIImageSelector;

class TTestingGUI : public TStateGUI {
public:
    TTestingGUI(TState* owner, TGUIWindow* layout);
    bool Arrange() override;
    // Frees the selector and makes one for the setting and folder.
    void ShowSelector(const char* key, const char* folder);
    TUIImageSelector* Selector() const { return selector_; }

private:
    TQZRect SelectorRect() const;

    TGUIWindow* outer_ = nullptr;
    TGUIWindow* inner_ = nullptr;
    TUIImageSelector* selector_ = nullptr;
};

class TStateTesting : public TState {
public:
    void CreateGUI() override;
    void HandleEvent(int32_t commandId) override;
};
