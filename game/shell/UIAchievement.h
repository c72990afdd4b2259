// One achievement in two roles: the pop-up that slides in at the top right
// when it is unlocked, stays a few seconds and fades out, and the tile of
// the achievements screen's list that flashes when clicked; and the small
// badge with only its icon. Both read the achievement's record from the
// achievements manager each time they draw.
#pragma once

#include "UIAnim.h"

#include <array>
#include <string>

struct TAchieveRec;

class TUIAchievement : public TUIAnim {
public:
    // Lengths of the pop-up's phases 1 to 5 in seconds (8 s in all); phase
    // 6 follows them.
    static constexpr std::array<float, 5> kPhaseLengths = {1.3f, 0.6f, 2.5f, 3.0f, 0.6f};
    static constexpr float kClickFlash = 0.6f;

    TUIAchievement(int32_t id, TGUIWindow* parent, const TQZRect& rect, bool popup);
    static TUIAchievement* Create(int32_t id, TGUIWindow* parent, const TQZRect& rect, bool popup);

    void Click() override;
    void Update() override;
    bool Arrange() override;
    void Draw(const TQZRect& rect) override;

    int32_t Phase() const;
    float PhaseProgress() const;
    // The time its phases follow, in seconds (its stopwatch's).
    virtual float Now() const { return ElapsedSeconds(); }

    // What the plate writes: "Hidden" for a hidden achievement still locked.
    std::string TitleText() const;
    std::string DescriptionText() const;

    int32_t AchievementId() const { return achievementId_; }
    bool Popup() const { return popup_; }
    int32_t StackIndex() const { return stackIndex_; }
    float ClickTime() const { return clickTime_; }

private:
    int32_t RestX() const;
    void DrawPlate(const TQZRect& rect, TQZColour colour);

    int32_t achievementId_;
    bool popup_;
    bool smoked_ = false;
    bool sounded_ = false;
    float clickTime_ = 0;
    int32_t stackIndex_ = 0;
};

class TUIAchievementImage : public TGUIWindow {
public:
    TUIAchievementImage(int32_t id, TGUIWindow* parent, const TQZRect& rect);
    void Draw(const TQZRect& rect) override;
    int32_t achievementId;
};

// The achievement's record by id from the manager; nullptr without one.
const TAchieveRec* AchievementRecord(int32_t id);
// The icon's 64 x 64 cell in the icon sheets: unlocked from texture 22,
// locked from texture 27.
int32_t AchievementIconTexture(const TAchieveRec& r);
TQZRect AchievementIconCell(const TAchieveRec& r);
