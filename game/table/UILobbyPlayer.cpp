#include "UILobbyPlayer.h"

#include "UIAvatar.h"
#include "UIButton.h"
#include "UITheme.h"
#include "clVideoDraw.h"
#include "mgrSession.h"
#include "mgrVideo.h"
#include "qz7fonts.h"
#include "qz7texture.h"

namespace {
constexpr TQZColour kOpenColour = 0xFFC0C0C0;
constexpr TQZColour kLocalColour = 0xFFFFFF00;
constexpr TQZColour kOtherColour = 0xFFFFFFFF;
constexpr uint32_t kNameFlags = 0x11;

// Without a session every seat reads as open.
TSessionPlayer* PlayerAt(TSeat seat) { return Session ? Session->Players().GetPlayer(seat) : nullptr; }
}  // namespace

TUILobbyPlayer::TUILobbyPlayer(const TQZRect& rect, TSeat seat, TGUIWindow* parent)
    : TUIContainer(rect, parent, 0), seat_(seat)
{
    forwardCommands = true;
    const int32_t w = rect.Width(), h = rect.Height();
    takeSeat_ = NewWindow<TUIButton>("Take Seat", TQZRect{w - 140, 10, w - 10, h - 10}, this, int32_t(seat));
}

TUILobbyPlayer* MakeUILobbyPlayer(const TQZRect& rect, TSeat seat, TGUIWindow* parent)
{
    return NewWindow<TUILobbyPlayer>(rect, seat, parent);
}

std::string TUILobbyPlayer::NameText(const TSessionPlayer& player)
{
    return player.IsAI() ? std::string("Computer (Open)") : player.Name();
}

TQZColour TUILobbyPlayer::NameColour(const TSessionPlayer& player)
{
    if (player.IsAI()) return kOpenColour;
    return player.IsLocal() ? kLocalColour : kOtherColour;
}

void TUILobbyPlayer::Update()
{
    TUIContainer::Update();
    const TSessionPlayer* player = PlayerAt(seat_);
    const TSessionPlayer* local = Session ? Session->Players().LocalPlayer() : nullptr;
    takeSeat_->SetVisible(!player || player->IsAI());
    // A player who is ready stays where they are.
    takeSeat_->SetEnabled(!local || !local->Continued());
}

void TUILobbyPlayer::Draw(const TQZRect& rect)
{
    const TSessionPlayer* player = PlayerAt(seat_);
    const bool open = !player || player->IsAI();
    UIDrawBadge(0, rect);
    UIDrawBadge(player && player->IsLocal() ? 2 : 1, {rect.left + 4, rect.top + 4, rect.right - 4, rect.bottom - 4});
    TVideoDraw* draw = Video ? Video->Draw() : nullptr;
    if (draw) {
        const int32_t rotation = Session ? Session->ViewRotation() : 0;
        draw->DrawIconRow3(seat_ + rotation - 1, {rect.left + 12, rect.top + 12, rect.left + 64, rect.top + 44});
    }
    if (!open) {
        const TQZRect tab = player->Continued() ? TQZRect{64, 0, 115, 22} : TQZRect{64, 32, 115, 54};
        if (TQZTexture* t = UITexture(UITEX_ONOFF))
            t->DrawPart(tab, {rect.left + 12, rect.top + 52, rect.left + 64, rect.top + 74}, 0xFFFFFFFF);
    }
    const TQZRect well{rect.left + 70, rect.top + 8, rect.left + 142, rect.top + 80};
    UIDrawBadge(1, well);
    DrawAvatar(player, {well.left + 4, well.top + 4, well.right - 4, well.bottom - 4}, 0xFFFFFFFF);
    if (TQZFont* f = UIFont(UIFONT_BUTTON))
        f->DrawText({rect.left + 148, rect.top + 8, rect.right - 8, rect.bottom - 8},
                    player ? NameText(*player) : std::string("Computer (Open)"), kNameFlags,
                    player ? NameColour(*player) : kOpenColour);
}
