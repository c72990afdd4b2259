#include "UIAchievement.h"

#include "UIAnimSmoke.h"
#include "UITheme.h"
#include "mgrAchievements.h"
#include "qz7fonts.h"
#include "qz7texture.h"
#include "qz7video.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr int32_t kPlateTexture = 21, kIconsUnlocked = 22, kGlintTexture = 23, kIconsLocked = 27;
constexpr int32_t kPlateHeight = 49;
constexpr int32_t kSoundClick = 5, kSoundArrive = 6;
constexpr int32_t kPopupRight = 10, kPopupTop = 30, kPopupStep = 60;

bool Unlocked(const TAchieveRec& r) { return r.progress >= r.target; }
bool Hidden(const TAchieveRec& r) { return r.kind == "hidden" && !Unlocked(r); }
}  // namespace

const TAchieveRec* AchievementRecord(int32_t id) { return Achievements ? Achievements->FindAchievementById(id) : nullptr; }

int32_t AchievementIconTexture(const TAchieveRec& r) { return Unlocked(r) ? kIconsUnlocked : kIconsLocked; }

TQZRect AchievementIconCell(const TAchieveRec& r)
{
    return {r.icon.x * 64, r.icon.y * 64, r.icon.x * 64 + 64, r.icon.y * 64 + 64};
}

// ---------------------------------------------------------------- TUIAchievement

TUIAchievement::TUIAchievement(int32_t id, TGUIWindow* parent, const TQZRect& rect, bool popup)
    : TUIAnim(parent), achievementId_(id), popup_(popup)
{
    commandId = id;
    clickThrough = true;
    blocking = false;  // the game goes on under a pop-up
    mouseEnabled = !popup;
    SetBounds(rect);
    if (popup && parent)
        for (int32_t i = 1; i <= parent->ChildCount(); ++i)
            if (dynamic_cast<TUIAchievement*>(parent->GetChild(i))) ++stackIndex_;
}

TUIAchievement* TUIAchievement::Create(int32_t id, TGUIWindow* parent, const TQZRect& rect, bool popup)
{
    return NewWindow<TUIAchievement>(id, parent, rect, popup);
}

void TUIAchievement::Click()
{
    TUIAnim::Click();
    clickTime_ = Now();
    UIPlaySound(kSoundClick);
}

int32_t TUIAchievement::Phase() const
{
    const float t = Now();
    if (!popup_) return clickTime_ > 0 ? 2 : 3;
    float end = 0;
    for (size_t i = 0; i < kPhaseLengths.size(); ++i) {
        end += kPhaseLengths[i];
        if (t < end) return int32_t(i) + 1;
    }
    return 6;
}

float TUIAchievement::PhaseProgress() const
{
    const float t = Now();
    if (!popup_) return clickTime_ > 0 ? (t - clickTime_) / 0.8f : 0.0f;
    float start = 0;
    for (float length : kPhaseLengths) {
        if (t < start + length) return std::clamp((t - start) / length, 0.0f, 1.0f);
        start += length;
    }
    return 1.0f;
}

std::string TUIAchievement::TitleText() const
{
    const TAchieveRec* r = AchievementRecord(achievementId_);
    return !r ? std::string() : Hidden(*r) ? "Hidden" : r->title;
}

std::string TUIAchievement::DescriptionText() const
{
    const TAchieveRec* r = AchievementRecord(achievementId_);
    return !r ? std::string() : Hidden(*r) ? "Hidden" : r->description;
}

int32_t TUIAchievement::RestX() const
{
    const TGUIWindow* parent = GetParent();
    return (parent ? parent->GetWidth() : 0) - GetWidth() - kPopupRight;
}

void TUIAchievement::Update()
{
    TUIAnim::Update();
    if (!popup_) {
        if (clickTime_ > 0 && Now() - clickTime_ >= kClickFlash) clickTime_ = 0;
        if (clickTime_ > 0) UIRequestFrames();
        return;
    }
    UIRequestFrames();
    switch (Phase()) {
        case 1: {
            const double p = std::sin(PhaseProgress() * M_PI / 2);
            MoveTo({RestX(), int32_t(std::lround((GetHeight() + kPopupTop) * p)) + stackIndex_ * kPopupStep - GetHeight()});
            if (!sounded_) {
                sounded_ = true;
                UIPlaySound(kSoundArrive);
            }
            break;
        }
        case 2:
        case 3:
            MoveTo({RestX(), stackIndex_ * kPopupStep + kPopupTop});
            if (!smoked_) {
                smoked_ = true;
                if (auto* host = dynamic_cast<TUIAnimHost*>(GetParent())) {
                    const TQZRect r = GetRect();
                    NewWindow<TUIAnimSmoke>(host, 0, TQZRect{r.left - 10, r.top - 10, r.right + 10, r.bottom + 10});
                }
            }
            break;
        case 6:
            finished = true;
            SetVisible(false);
            break;
        default: break;
    }
}

bool TUIAchievement::Arrange()
{
    if (popup_) MoveTo({RestX(), kPopupTop});
    return true;
}

void TUIAchievement::DrawPlate(const TQZRect& rect, TQZColour colour)
{
    TQZTexture* plate = UITexture(kPlateTexture);
    if (!plate) return;
    const int32_t tw = plate->GetWidth();
    if (rect.Width() == tw) {
        plate->DrawPart({0, 0, tw, kPlateHeight}, rect, colour);
        return;
    }
    // The ends at their size, the middle stretched between them.
    plate->DrawPart({0, 0, 64, kPlateHeight}, {rect.left, rect.top, rect.left + 64, rect.bottom}, colour);
    plate->DrawPart({64, 0, tw - 64, kPlateHeight}, {rect.left + 64, rect.top, rect.right - 64, rect.bottom}, colour);
    plate->DrawPart({tw - 64, 0, tw, kPlateHeight}, {rect.right - 64, rect.top, rect.right, rect.bottom}, colour);
}

void TUIAchievement::Draw(const TQZRect& rect)
{
    const TAchieveRec* r = AchievementRecord(achievementId_);
    if (!r) return;
    const int32_t phase = Phase();
    const float progress = PhaseProgress();
    uint8_t alpha = 255;
    if (phase == 1) alpha = uint8_t(std::clamp<long>(std::lround(progress * 255), 0, 255));
    if (phase == 5) alpha = uint8_t(255 - std::clamp<long>(std::lround(progress * 255), 0, 255));
    const TQZColour c = (TQZColour(alpha) << 24) | 0xFFFFFF;

    DrawPlate(rect, c);
    if (phase == 1)
        if (TQZTexture* plate = UITexture(kPlateTexture)) {
            const int32_t cx = (rect.left + rect.right) / 2;
            plate->DrawPart({0, 64, plate->GetWidth(), 64 + kPlateHeight}, {cx - 128, rect.top, cx + 128, rect.bottom},
                            (TQZColour(alpha / 2) << 24) | 0xFFFFFF);
        }
    if (TQZTexture* icons = UITexture(AchievementIconTexture(*r)))
        icons->DrawPart(AchievementIconCell(*r), {rect.left + 6, rect.top + 6, rect.left + 38, rect.top + 38}, c);

    const int32_t width = rect.Width();
    if (!popup_ && !Unlocked(*r) && r->progress >= 1 && r->target > 0) {
        const int32_t filled = int32_t(std::lround(double(width - 46) * r->progress / r->target));
        const TQZRect bar{rect.left + 42, rect.top + 35, rect.right - 10 - std::max(0, width - filled - 52), rect.bottom - 8};
        UISetAdditiveBlending(true);
        UIFill(bar, 0x20FFFFFF);
        UISetAdditiveBlending(false);
    }
    if (phase == 2 || phase == 3)
        if (TQZFont* font = UIFont(UIFONT_BUTTON)) {
            const std::string title = TitleText();
            if (popup_) font->DrawText({rect.left + 38, rect.top, rect.right - 8, rect.bottom}, title, 0x12, c);
            else font->DrawText({rect.left + 48, rect.top, rect.right - 8, rect.bottom}, title, 0x10, c);
        }
    if (phase == 4)
        if (TQZFont* font = UIFont(UIFONT_SMALL))
            // Black on the dark plate reads only with a light edge under it.
            UIDrawShadowedText(font, {rect.left + 38, rect.top, rect.right - 8, rect.bottom}, DescriptionText(), 0x12,
                               0x90FFFFFF, 0xFF000000);
    TQZVideo* video = CurrentVideo();
    if ((phase == 2 || phase == 4) && video)
        if (TQZTexture* glint = UITexture(kGlintTexture)) {
            const float f = progress * 2;
            const int32_t gx = rect.left + int32_t(std::lround(width * f));
            const int32_t gy = rect.bottom - int32_t(std::trunc(f * kPlateHeight));
            video->PushClip(rect);
            UISetAdditiveBlending(true);
            glint->DrawRotated(glint->GetRect(), {gx - 90, gy - 32, gx + 90, gy + 32}, 0x50FFFF80, -progress);
            UISetAdditiveBlending(false);
            video->PopClip();
        }
    if (phase != 1 && phase != 5 && video)
        video->FillGradient({rect.left, rect.bottom - 1, rect.right, rect.bottom + 10}, 0x80000000, QZGRADIENT_VERTICAL,
                            0x00000000);
}

// ---------------------------------------------------------------- TUIAchievementImage

TUIAchievementImage::TUIAchievementImage(int32_t id, TGUIWindow* parent, const TQZRect& rect)
    : TGUIWindow(rect, parent, 0), achievementId(id)
{
}

void TUIAchievementImage::Draw(const TQZRect& rect)
{
    UIDrawBadge(0, rect);
    const TAchieveRec* r = AchievementRecord(achievementId);
    if (!r) return;
    if (TQZTexture* icons = UITexture(AchievementIconTexture(*r)))
        icons->DrawPart(AchievementIconCell(*r), {rect.left + 8, rect.top + 8, rect.right - 8, rect.bottom - 8},
                        0xFFFFFFFF);
}
