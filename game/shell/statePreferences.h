// The preferences: previews of the table, cardset and card back, each
// opening an image selector over its folder; a click there stores the
// choice at once.
#pragma once

#include "UIImageTile.h"
#include "mgrStates.h"

#include <string>

class TUIButton;
class TUIFrame;
class TUIImageSelector;

// What a preview tile shows.
enum TPreferenceKind : int32_t { PREFERENCE_TABLE = 0, PREFERENCE_CARDSET = 1, PREFERENCE_CARDBACK = 2 };

// The card a cardset preview shows.
constexpr int32_t PREFERENCE_CARD = 11;

// Command ids of the preferences window.
constexpr int32_t PREFCMD_RESET = -2;
constexpr int32_t PREFCMD_TABLE = -3;
constexpr int32_t PREFCMD_CARDSET = -4;
constexpr int32_t PREFCMD_CARDBACK = -5;
constexpr int32_t PREFCMD_CLOSE = -6;

// A setting, its folder and the selector's title for each kind.
struct TPreferenceChoice {
    const char* key;
    const char* folder;
    const char* title;
    const char* heading;
};
const TPreferenceChoice& PreferenceChoice(int32_t kind);

// A preview tile: draws the resource now in use instead of a thumbnail.
class TUIImagePreference : public TUIImageTile {
public:
    TUIImagePreference(const TQZRect& rect, TGUIWindow* parent, int32_t commandId, int32_t kind);
    int32_t Kind() const { return kind_; }

protected:
    void DrawImage(const TQZRect& rect) override;

private:
    int32_t kind_;
};

class TPreferenceGUI : public TStateGUI {
public:
    TPreferenceGUI(TState* owner, TGUIWindow* layout);
    bool Arrange() override;

    // Frees a selector that is open and opens one for the kind.
    void OpenSelector(int32_t kind);
    void CloseSelector();
    void ResetDefaults();
    // Each preview's caption: its setting's file name up to the first ".".
    void RefreshCaptions();

    TUIImagePreference* Preview(int32_t kind) const { return previews_[kind]; }
    TUIImageSelector* Selector() const { return selector_; }
    TUIFrame* Panel() const { return panel_; }

private:
    TQZRect SelectorRect() const;

    TUIFrame* frame_ = nullptr;
    TUIFrame* tiles_[3] = {};
    TUIImagePreference* previews_[3] = {};
    TUIButton* continue_ = nullptr;
    TUIButton* reset_ = nullptr;
    TUIFrame* panel_ = nullptr;
    TUIButton* close_ = nullptr;
    TUIImageSelector* selector_ = nullptr;
};

class TStatePreferences2 : public TState {
public:
    void CreateGUI() override;
    void HandleEvent(int32_t commandId) override;
};
