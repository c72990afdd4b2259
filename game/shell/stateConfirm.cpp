#include "stateConfirm.h"

#include "UIButton.h"
#include "UIFrame.h"
#include "UILabel.h"
#include "UITheme.h"
#include "mgrVideo.h"
#include "osWindow.h"
#include "qz7window.h"

#include <algorithm>

namespace {
constexpr int32_t kFrameWidth = 400, kFrameHeight = 150;
}

std::string ConfirmText(int32_t kind)
{
    switch (kind) {
        case CONFIRM_QUIT: return "Are you sure you want to quit?";
        case CONFIRM_ABORT_DOWNLOAD: return "This will abort download. Continue?";
        case CONFIRM_RESTART: return "Game in progress. Restart anyway?";
        case CONFIRM_RESET_ACHIEVEMENTS: return "Reset all achievements. Are you SURE?";
        case CONFIRM_LEAVE_PARTY: return "Leave party - are you sure?";
        default: return {};
    }
}

// ---------------------------------------------------------------- window

TConfirmGUI::TConfirmGUI(TState* owner, TGUIWindow* layout, const std::string& text) : TStateGUI(owner, layout)
{
    frame_ = MakeUIFrame("", TQZRect{0, 0, kFrameWidth, kFrameHeight}, this);
    TUILabel* label = MakeUILabel(text, TQZRect{20, 20, kFrameWidth - 20, 80}, frame_, 0xFFFFFFFF, UIFONT_BUTTON);
    label->centreHorizontal = true;
    label->centreVertical = true;
    label->wordWrap = true;
    NewWindow<TUIButton>("OK", TQZRect{40, 90, 180, 135}, frame_, 65534);
    TUIButton* cancel = NewWindow<TUIButton>("Cancel", TQZRect{220, 90, 360, 135}, frame_, 65533);
    Arrange();
    ChangeFocus(cancel);
}

bool TConfirmGUI::Arrange()
{
    TStateGUI::Arrange();
    const int32_t x = (GetWidth() - kFrameWidth) / 2, y = (GetHeight() - kFrameHeight) / 2;
    frame_->SetRect({x, y, x + kFrameWidth, y + kFrameHeight});
    return false;
}

// The screen underneath darkens over the first 256 ms.
void TConfirmGUI::Draw(const TQZRect& rect)
{
    const uint32_t time = Owner() ? Owner()->TimeInState() : 256;
    const uint32_t alpha = std::min<uint32_t>(time / 2, 128);
    UIFill(rect, alpha << 24);
}

// ---------------------------------------------------------------- state

void TStateConfirm::Enter(TState* previous, int32_t kind)
{
    kind_ = kind;
    TGUIWindow* layout = StateEngine ? StateEngine->LayoutWindow() : nullptr;
    if (!Window() && layout) SetWindow(NewWindow<TConfirmGUI>(this, layout, ConfirmText(kind)));
    TState::Enter(previous, kind);
    // The asking screen stays visible underneath.
    if (previous && previous->Window()) previous->Window()->SetVisible(true);
}

void TStateConfirm::HandleEvent(int32_t code)
{
    if (code == GUICMD_BACK) code = CONFIRM_CANCEL;
    if ((code != CONFIRM_OK && code != CONFIRM_CANCEL) || answered_ || !StateEngine) return;
    answered_ = true;  // a second click in the same frame answers nothing
    StateEngine->PopState(code);
}

// ---------------------------------------------------------------- minimised

void TStateMinimised::Enter(TState*, int32_t) {}

void TStateMinimised::Update()
{
    TState::Update();
    TQZWindow* window = Video ? Video->Window() : nullptr;
    if (StateEngine && StateEngine->WindowMinimised() && window && !window->Closed()) {
        // Sleep on the window's messages, then look again next frame.
        plat::os::WaitForWindowMessages(kWaitMs);
        PumpFrame();
        if (StateEngine->WindowMinimised()) return;
    }
    if (StateEngine && StateEngine->Current() == this) StateEngine->PopState();
}
