#include "UITable.h"

#include "UIButton.h"
#include "UITheme.h"
#include "clVideoDraw.h"
#include "mgrStates.h"
#include "mgrVideo.h"
#include "qz7fonts.h"
#include "qz7texture.h"
#include "qz7video.h"
#include "qz7videochoice.h"

namespace {
constexpr uint32_t kEscape = 27;
constexpr TQZColour kStatusFill = 0x8080FF80;
constexpr uint32_t kBarTextFlags = 9;
}  // namespace

TUITable::TUITable(TGUIWindow* parent)
    : TGUIWindow(parent ? TQZRect{0, 0, parent->GetWidth(), parent->GetHeight()} : TQZRect{}, parent, 0)
{
    forwardCommands = true;
    menuButton_ = NewWindow<TUIButton>("Menu", TQZRect{-4, -1, 54, 23}, this, GUICMD_BACK);
    menuButton_->hotKey = kEscape;
    credit = kTableCredit;
}

void TUITable::PostCommand(TGUIWindow* sender, int32_t id)
{
    // Only a screen with a window can take it; otherwise (no engine, or a
    // screen without a window such as the minimised one) it stays here.
    TState* current = StateEngine ? StateEngine->Current() : nullptr;
    if (current && current->WindowCreated() && current->Window()) {
        current->Window()->PostCommand(sender, id);
        return;
    }
    TGUIWindow::PostCommand(sender, id);
}

bool TUITable::Arrange()
{
    if (TGUIWindow* parent = GetParent()) SetRect({0, 0, parent->GetWidth(), parent->GetHeight()});
    credit = kTableCredit;
    return true;
}

void TUITable::Draw(const TQZRect& rect)
{
    if (Video && Video->Draw())
        Video->Draw()->DrawBackdrop(0xFFFFFFFF, {rect.left, rect.top + kTableTopBar, rect.right, rect.bottom});
    TRenderKey key;
    key.Add(rect).Add(credit).Add(status);
    DrawCached(renderer_, key.Value(), [&] {
        const TQZRect bar{rect.left, rect.top, rect.right, rect.top + kTableTopBar};
        if (TQZTexture* t = UITexture(UITEX_SMOOTH)) t->Draw(bar, 0xFFFFFFFF);
        if (TQZVideo* v = GetVideo())
            v->FillGradient({rect.left, rect.top + kTableTopBar, rect.right, rect.top + kTableTopBar + 5}, 0x80000000,
                            QZGRADIENT_VERTICAL, 0x00000000);
        const std::string& text = status.empty() ? credit : status;
        if (!status.empty()) UIFill(bar, kStatusFill);
        if (TQZFont* f = UIFont(UIFONT_SMALL))
            f->DrawText({rect.left + 60, rect.top + 2, rect.right, rect.top + kTableTopBar}, text, kBarTextFlags,
                        0xFF000000);
    });
}
