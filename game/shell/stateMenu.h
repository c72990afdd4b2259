// The main menu: the first screen after start-up and the hub from which
// every other screen is reached, over a wave of the shuffled deck.
#pragma once

#include "clCardset.h"
#include "mgrStates.h"

#include <string>

class TUIButton;

// The card wave and the logo, drawn behind the menu's buttons.
// Where the menu's waving fan of cards stands: the step between cards and
// the base line of the wave (which swings 20 pixels either way).
struct TMenuFan {
    int32_t step = 0;
    int32_t base = 0;
};
// The fan spans the width with its last card whole at the right edge. Its
// line stays where the width puts it unless the title (bottom given) would
// cover the wave; then the fan sits in the middle of the room between the
// title and the first row of buttons.
TMenuFan MenuFanLayout(int32_t width, TQZPoint card, int32_t cards, int32_t titleBottom, int32_t buttonsTop);

class TMainMenuAnim : public TGUIWindow {
public:
    TMainMenuAnim(TGUIWindow* parent, const TCardset* deck);
    void Update() override;
    void Draw(const TQZRect& rect) override;
    bool Arrange() override;

    int32_t counter = 1;
    TMenuFan fan;

private:
    const TCardset* deck_;
    uint32_t elapsed_ = 0;
};

class TMainMenuGUI : public TStateGUI {
public:
    TMainMenuGUI(TState* owner, TGUIWindow* layout);
    bool Arrange() override;
    void Update() override;
    // Which buttons are enabled, and where the focus goes.
    void RefreshButtons();
    TUIButton* Button(int32_t command) const;
    const TMainMenuAnim* Anim() const { return anim_; }
    const TGUIWindow* Title() const { return title_; }

private:
    void PlaceButtons();
    // "Continue Game" with a game in progress, else "Start New Game".
    void FocusFirstChoice();

    TCardset deck_;
    TMainMenuAnim* anim_ = nullptr;
    TGUIWindow* title_ = nullptr;
    TUIButton* store_ = nullptr;
    TUIButton* multiplayerWarning_ = nullptr;
};

class TStateMenu : public TState {
public:
    void CreateGUI() override;
    void Enter(TState* previous, int32_t param) override;
    void Leave(TState* next) override;
    void HandleEvent(int32_t commandId) override;

    int32_t pendingKind = 0;  // 4 quit, 5 new game

private:
    void Quit();
    void StartNewGame();
};

// Opens an address from a hand-editable setting: only http and https
// addresses reach the desktop's opener; anything else (or nothing) is
// refused with a log line. True when it was handed on.
[[nodiscard]] bool OpenWebSetting(const std::string& key);
// Whether the setting names an address at all: the buttons that open one are
// disabled without it.
bool WebSettingConfigured(const std::string& key);
