// One set of cards on the table: a seat's hand or the cards in the middle,
// laid out as a fan, a column or a circle. Cards slide to their places when
// the set changes, rise under the pointer, are dimmed when they may not be
// played, and a click on one sends GUICMD_CARD + its position (1-based).
#pragma once

#include "arcqz7gui.h"
#include "clCardset.h"
#include "clRenderer.h"
#include "coreGame.h"

#include <array>
#include <cstdint>

constexpr int32_t CARDSET_FAN = 0;
constexpr int32_t CARDSET_COLUMN = 1;
constexpr int32_t CARDSET_CIRCLE = 2;
// The seat of the set in the middle of the table.
constexpr int32_t CARDSET_TABLE_SEAT = 5;
// A click on the card at position p sends GUICMD_CARD + p.
constexpr int32_t GUICMD_CARD = 2000;
constexpr float CARDSET_MAX_LIFT = 20.0f;
constexpr int32_t CARDSET_POSITIONS = 43;
constexpr int32_t CARDSET_CARDS = 53;

constexpr int32_t CARDMARK_NORMAL = 0;
constexpr int32_t CARDMARK_NOT_ALLOWED = 1;
constexpr int32_t CARDMARK_ON_TOP = 2;

// Texture of the veil over a card that may not be played.
constexpr int32_t TEXTURE_CARD_VEIL = 5;
constexpr TQZColour CARDSET_VEIL = 0xB0000000;

// The step between neighbouring cards of n in an area: for the fan and the
// column the spacing, for the circle its two radii.
TQZPoint CardsetStep(int32_t layout, TQZPoint area, TQZPoint card, int32_t count);

class TUICardset : public TGUIWindow {
public:
    // The set is the session's (or the caller's); it must outlive the widget
    // or be replaced through SetCards.
    TUICardset(const TQZRect& rect, TGUIWindow* parent, int32_t layout, const TCardset* cards);

    bool MouseDown(TQZPoint point) override;
    void MouseMove(TQZPoint point, TGUIWindow* hit) override;
    void Update() override;
    void Draw(const TQZRect& rect) override;

    // One frame's lifting and sliding after the given milliseconds; Update
    // runs it with the frame time.
    void Animate(uint32_t milliseconds);

    // Position (1-based) of the top-most card under a point relative to the
    // set; 0 when none.
    int32_t HitCard(TQZPoint point) const;
    int32_t GetCardMark(int32_t position) const;
    // The target rectangle (screen coordinates) of the card at a position.
    TQZRect CalcCardPositions(int32_t position) const;
    // The top-left (screen) at which one card stands centred in the set.
    TQZPoint GetCardOrigin() const;
    // The position drawn i-th.
    int32_t DrawOrder(int32_t i) const;
    bool IsRevealed() const;
    bool IsClickLocked() const;
    void SetClickLock(bool flag);

    // The size cards are drawn at: the video manager's, or the fallback
    // size while there is none.
    TQZPoint CardSize() const;
    int32_t Count() const;
    const TCardset* Cards() const { return cards_; }
    void SetCards(const TCardset* cards) { cards_ = cards; }
    // The sliding rectangle of a card (screen); all zero when not placed.
    TQZRect CardRect(TCard card) const;
    float Lift(int32_t position) const;
    TQZPoint Pointer() const { return pointer_; }
    int32_t ClickLock() const { return clickLock_; }

    bool spinning = false;
    int32_t seat = 0;
    bool interactive = false;
    bool faceUp = false;
    int32_t layout;

private:
    // Whether a card click may speak for the set's seat: only this
    // machine's own player's hand plays.
    bool SeatIsLocal() const;
    bool TrickPlayAccepts() const;
    // What a mark depends on beyond the position, looked up once for a set.
    struct TMarkContext {
        bool bringToFront = false;
        TCard tableBest = 0;  // the best card lying in the middle; 0 when none is judged
    };
    TMarkContext MarkContext() const;
    int32_t MarkOf(int32_t position, const TMarkContext& context) const;
    void DrawOne(int32_t position, const TQZRect& rect, TQZPoint offset, bool onTop, int32_t mark) const;
    uint32_t DrawKey(const TQZRect& rect);

    const TCardset* cards_;
    std::array<TQZRect, CARDSET_CARDS> cardRects_{};
    std::array<float, CARDSET_POSITIONS + 1> lift_{};  // index 0 unused
    TQZPoint pointer_{-1, -1};
    int32_t clickLock_ = -1;
    TRenderer renderer_;
    // Each position's mark as the frame's drawing worked it out.
    std::array<int32_t, CARDSET_POSITIONS + 1> marks_{};
};
