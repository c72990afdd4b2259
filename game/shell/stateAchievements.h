// The achievements screen: every achievement as a tile of a scrolling list,
// the details of the chosen one beside it, and the reset of all progress
// behind a confirmation.
#pragma once

#include "mgrStates.h"

#include <string>
#include <vector>

class TUIAchievement;
class TUIAchievementImage;
class TUIButton;
class TUIFrame;
class TUILabel;
class TUIProgressBar;
class TUIScrollBar;

class TAchieveGUI : public TStateGUI {
public:
    TAchieveGUI(TState* owner, TGUIWindow* layout);
    bool Arrange() override;

    // The tiles again from the manager's list (its order changes on a reset).
    void BuildList();
    // Details of achievement n (1..count); nothing is shown for another n.
    void ShowDetails(int32_t n);
    int32_t Shown() const { return shown_; }

    int32_t TileCount() const { return int32_t(tiles_.size()); }
    TUIAchievement* Tile(int32_t n) const { return n >= 1 && n <= TileCount() ? tiles_[size_t(n - 1)] : nullptr; }
    TUILabel* Title() const { return title_; }
    TUILabel* Description() const { return description_; }
    TUILabel* UnlockText() const { return unlock_; }
    TUIProgressBar* Progress() const { return progress_; }
    TUIAchievementImage* Image() const { return image_; }
    TUIScrollBar* ScrollBar() const { return scroll_; }
    TUIButton* Button(int32_t command) const;

private:
    TUIFrame* frame_ = nullptr;
    TUIFrame* list_ = nullptr;
    TUIScrollBar* scroll_ = nullptr;
    std::vector<TUIAchievement*> tiles_;
    TUILabel* title_ = nullptr;
    TUILabel* description_ = nullptr;
    TUILabel* progressLabel_ = nullptr;
    TUIProgressBar* progress_ = nullptr;
    TUILabel* unlock_ = nullptr;
    TUIAchievementImage* image_ = nullptr;
    std::vector<TUIButton*> buttons_;
    int32_t shown_ = 0;
};

class TStateAchievements : public TState {
public:
    void CreateGUI() override;
    void Enter(TState* previous, int32_t param) override;
    void HandleEvent(int32_t commandId) override;

private:
    TAchieveGUI* Gui() const;
};

// "Unlocked on %1 at %2" of an unlock time (days), date and time as the
// user files write them.
std::string UnlockedText(double unlockTime);
