#include "clScreenCapture.h"

#include "UIAchievement.h"
#include "mgrSession.h"
#include "mgrStates.h"
#include "qz7files.h"
#include "sgCapture.h"
#include "stateTable.h"

#include <cstdlib>
#include <string>

namespace {
// The redraw that follows paints the moment's frame; the next one is kept too,
// in case a window system paints later.
constexpr int32_t kFramesPerMoment = 2;

// The id of an achievement pop-up resting in full view (after it has slid
// in); 0 for none.
int32_t PopupShown(TGUIWindow* w)
{
    if (!w || !w->IsVisible()) return 0;
    if (auto* a = dynamic_cast<TUIAchievement*>(w); a && a->Popup() && a->Phase() == 3) return a->AchievementId();
    for (int32_t i = 1; i <= w->ChildCount(); ++i)
        if (const int32_t id = PopupShown(w->GetChild(i))) return id;
    return 0;
}
}  // namespace

TScreenCapture::TScreenCapture()
{
    if (const char* value = std::getenv("VANTOREL_CAPTURE_SCREENS")) folder_ = value;
    if (!folder_.empty() && folder_.back() != '/') folder_ += '/';
}

std::string TScreenCapture::Moment()
{
    if (!StateEngine || !Session || !StateEngine->Current()) return {};
    const TState* current = StateEngine->Current();
    const TSession& s = *Session;
    if (const int32_t id = PopupShown(StateEngine->RootWindow())) return "achievement-" + std::to_string(id);
    switch (StateEngine->CurrentId()) {
    case STATE_BIDDING: {
        // Three seats have spoken (a pass counts) and the fourth is to.
        int32_t spoken = 0;
        for (TSeat seat = 1; seat <= 4; ++seat) spoken += s.Bidding().GetBid(seat).count != BID_NOT_YET.count;
        return spoken >= 3 && !s.Bidding().IsComplete() ? "auction" : "";
    }
    case STATE_GAME: {
        if (s.Status() != STATUS_PLAYING) return {};
        // A trick half played, as its second card lands (its flight is drawn).
        if (s.Tricks().Current() >= 3 && s.Tricks().CardsPlayed() == 2) return "midtrick";
        // The table waiting for the player's card.
        const bool waiting = TStateTable::LocalHumanSeat(s.Tricks().SeatToPlay()) && !s.Tricks().TrickComplete() &&
                             !s.MoveInProgress() && current->TimeInState() > 500;
        return waiting ? "playing" : "";
    }
    // A result screen the computer continues from at once is up a frame or two.
    case STATE_HANDWIN: return current->TimeInState() > 0 ? "handwon" : "";
    case STATE_GAMEWIN: return current->TimeInState() > 0 ? "gamewon" : "";
    default: return {};
    }
}

void TScreenCapture::FrameDone()
{
    if (!Active()) return;
    if (framesLeft_ > 0 && --framesLeft_ == 0) plat::softgpu::SetFrameCaptureFolder("");
    if (framesLeft_ > 0) return;
    const std::string moment = Moment();
    if (moment.empty() || taken_.find("|" + moment + "|") != std::string::npos) return;
    taken_ += "|" + moment + "|";
    const std::string folder = folder_ + moment;
    if (!IsFolder(folder_)) (void)CreateFolder(folder_);
    if (!IsFolder(folder)) (void)CreateFolder(folder);
    plat::softgpu::SetFrameCaptureFolder(folder);
    framesLeft_ = kFramesPerMoment;
}
