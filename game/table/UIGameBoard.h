// The card table of the game screens: the table cards in the middle, the
// four seats around it (hand, player icon, name), the scoreboard at the
// bottom left and the prompt line above the local player's hand. It reads
// the session every frame and follows it through the session's two hooks,
// flying every card the session moves.
//
// Card clicks (GUICMD_CARD + position) pass through the board to the screen
// that owns it, from the local player's hand only.
#pragma once

#include "UIBoardLayout.h"
#include "arcqz7gui.h"
#include "coreGame.h"

#include <array>

class TUIAnimHost;
class TUICardset;
class TUILabel;
class TUIPlayerIcon;
class TUIPrompt;
class TUIScoreboard2;
struct TCardMove;

// The setting that turns the smoke of a trump played on.
constexpr const char* kTrumpEffectKey = "Video.Effects.TrumpPlay";
constexpr int32_t BOARD_SOUND_TRUMP = 8;
constexpr int32_t BOARD_NAME_FONT = 2;

class TUIGameBoard : public TGUIWindow {
public:
    // Covers the parent, takes the session's hooks and lays itself out.
    explicit TUIGameBoard(TGUIWindow* parent);

    void Destroying() override;
    bool Arrange() override;
    void Update() override;
    void PostCommand(TGUIWindow* sender, int32_t id) override;

    // The table's set for 0, the seat's hand for 1-4; nullptr otherwise.
    TUICardset* GetSeatCards(int32_t index) const;
    // A flight or effect that holds up the game is running.
    bool IsAnimating() const;
    // A card flying between two screen points (top-left of the card); the
    // timer, when not 0, fires as the flight ends.
    void StartCardMove(TQZPoint from, TQZPoint to, uint32_t timerId, bool sound, bool fadeOut, bool faceUp,
                       TCard card, int32_t duration);

    // Where a seat sits on this board: 1 bottom .. 4 right.
    int32_t SeatPosition(TSeat seat) const;
    // The rectangle of a display position on this board.
    TQZRect SeatRect(int32_t position) const;
    // The session's hooks lead to this board.
    bool HasSessionHooks() const;

    int32_t ViewRotation() const { return viewRotation_; }
    TUIAnimHost* AnimHost() const { return animHost_; }
    TUICardset* TableCards() const { return tableCards_; }
    TUIPrompt* Prompt() const { return prompt_; }
    TUIScoreboard2* Scoreboard() const { return scoreboard_; }
    TUIPlayerIcon* PlayerIcon(TSeat seat) const { return IsSeat(seat) ? icons_[seat - 1] : nullptr; }
    // nullptr for the local player's seat, which has no name label.
    TUILabel* NameLabel(TSeat seat) const { return IsSeat(seat) ? names_[seat - 1] : nullptr; }

    // The session's hooks.
    void OnCardMove(const TCardMove& move);
    void OnCardPlayed(TSeat seat, bool trumpedIn);

private:
    // The hands' and the table's faces and clicks follow the session.
    void FollowSession();
    // The card's place in a set as it was last drawn: the card has left the
    // set by the time the session tells of its move.
    static TQZPoint LastPlaceOf(const TUICardset* set, TCard card);

    TUIAnimHost* animHost_ = nullptr;
    TUICardset* tableCards_ = nullptr;
    int32_t viewRotation_ = 0;
    std::array<TUICardset*, 4> hands_{};
    std::array<TUIPlayerIcon*, 4> icons_{};
    std::array<TUILabel*, 4> names_{};
    TUIPrompt* prompt_ = nullptr;
    TUIScoreboard2* scoreboard_ = nullptr;
    bool hooked_ = false;
};
