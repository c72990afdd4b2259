#include "UIScorefloat.h"

#include "UIScoreboard2.h"
#include "UITheme.h"
#include "arcqz7guiwidgets.h"
#include "clRenderer.h"
#include "qz7fonts.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {
constexpr int32_t kWidth = 150, kHeight = 50;

TQZRect CentredOn(TQZPoint c) { return {c.x - kWidth / 2, c.y - kHeight / 2, c.x + kWidth / 2, c.y + kHeight / 2}; }
}  // namespace

TUIScorefloat::TUIScorefloat(TGUIWindow* parent, TTeam team, int32_t points, TUIScoreboard2* scoreboard)
    : TGUIWindow(TQZRect{}, parent, 0), points_(points), scoreboard_(scoreboard), team_(team)
{
    clickThrough = true;
    start_ = {parent ? parent->GetWidth() / 2 : 0, team * 50 + 125};
    SetRect(CentredOn(start_));
}

TQZPoint TUIScorefloat::Target() const
{
    if (!scoreboard_) return start_;
    const TQZRect cell = scoreboard_->TeamScoreCell(team_);
    const TQZRect origin = GetParent() ? GetParent()->GetScreenRect() : TQZRect{};
    return {(cell.left + cell.right) / 2 - origin.left, (cell.top + cell.bottom) / 2 - origin.top};
}

void TUIScorefloat::Update()
{
    TGUIWindow::Update();
    Advance(float(UIFrameTime()) / 1000.0f);
}

void TUIScorefloat::Advance(float seconds)
{
    if (done_) return;
    UIRequestFrames();
    time_ += std::max(0.0f, seconds);
    if (phase_ == 0 && time_ >= SCOREFLOAT_WAIT) {
        time_ = 0;
        phase_ = 1;
    }
    if (phase_ == 1) {
        const float f = MinOfSingle(1.0f, time_ / SCOREFLOAT_TRAVEL);
        const TQZPoint to = Target();
        SetRect(CentredOn({start_.x + int32_t(std::lround((to.x - start_.x) * f)),
                           start_.y + int32_t(std::lround((to.y - start_.y) * f))}));
        if (time_ >= SCOREFLOAT_TRAVEL) {
            time_ = 0;
            phase_ = 2;
        }
    }
    if (phase_ == 2) {
        alpha_ = uint8_t(ClampLowWins(0, 255 - int32_t(time_ * 2 * 255), 255));
        if (time_ >= SCOREFLOAT_FADE) {
            alpha_ = 0;
            SetVisible(false);
            done_ = true;
        }
    }
}

std::string TUIScorefloat::Text() const
{
    return (points_ >= 0 ? "+" : "-") + std::to_string(std::abs(points_));
}

TQZColour TUIScorefloat::Colour() const
{
    return ColorWithAlpha(alpha_, points_ >= 0 ? SCOREFLOAT_GAIN : SCOREFLOAT_LOSS);
}

void TUIScorefloat::Draw(const TQZRect& rect)
{
    if (TQZFont* f = UIFont(UIFONT_CAPTION)) f->DrawText(rect, Text(), GUITEXT_CENTRE | GUITEXT_VCENTRE, Colour());
}
