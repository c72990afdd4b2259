// One seat's row in the multiplayer lobby: direction, ready tab, avatar and
// name of the seat's player, and a "Take Seat" button while a computer holds
// the seat (an open seat).
#pragma once

#include "UIContainer.h"
#include "coreGame.h"

#include <string>

class TUIButton;
class TSessionPlayer;

class TUILobbyPlayer : public TUIContainer {
public:
    // The button's command is the seat number, forwarded to the screen.
    TUILobbyPlayer(const TQZRect& rect, TSeat seat, TGUIWindow* parent);

    void Update() override;
    void Draw(const TQZRect& rect) override;

    TSeat Seat() const { return seat_; }
    TUIButton* TakeSeatButton() const { return takeSeat_; }

    // What the row writes for a player, and in which colour.
    static std::string NameText(const TSessionPlayer& player);
    static TQZColour NameColour(const TSessionPlayer& player);

private:
    TSeat seat_;
    TUIButton* takeSeat_ = nullptr;
};

TUILobbyPlayer* MakeUILobbyPlayer(const TQZRect& rect, TSeat seat, TGUIWindow* parent);
