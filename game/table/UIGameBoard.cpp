#include "UIGameBoard.h"

#include "UIAnim.h"
#include "UIAnimCardMove.h"
#include "UIAnimSmoke.h"
#include "UICardset.h"
#include "UILabel.h"
#include "UIPlayerIcon.h"
#include "UIPrompt.h"
#include "UIScoreboard2.h"
#include "UITheme.h"
#include "mgrSession.h"
#include "mgrSettings.h"

namespace {
TQZRect ParentArea(const TGUIWindow* parent)
{
    return parent ? TQZRect{0, 0, parent->GetWidth(), parent->GetHeight()} : TQZRect{};
}

TQZPoint TopLeft(const TQZRect& r) { return {r.left, r.top}; }
bool IsPlaced(const TQZRect& r) { return r.left != 0 || r.top != 0 || r.right != 0 || r.bottom != 0; }
}  // namespace

TUIGameBoard::TUIGameBoard(TGUIWindow* parent) : TGUIWindow(ParentArea(parent), parent, 0)
{
    forwardCommands = true;
    if (Session) {
        Session->SetCardMoveHook(MakeMethod<&TUIGameBoard::OnCardMove>(this));
        Session->SetCardPlayedHook(MakeMethod<&TUIGameBoard::OnCardPlayed>(this));
        hooked_ = true;
    }
    Arrange();
}

void TUIGameBoard::Destroying()
{
    // A newer board (the next screen's) may have taken the hooks already:
    // only this board's own hooks are cleared.
    if (hooked_ && Session) {
        if (Session->CardMoveHook() == MakeMethod<&TUIGameBoard::OnCardMove>(this))
            Session->SetCardMoveHook(TCardMoveHook());
        if (Session->CardPlayedHook() == MakeMethod<&TUIGameBoard::OnCardPlayed>(this))
            Session->SetCardPlayedHook(TCardPlayedHook());
    }
    hooked_ = false;
    TGUIWindow::Destroying();
}

bool TUIGameBoard::HasSessionHooks() const
{
    auto* self = const_cast<TUIGameBoard*>(this);
    return Session && Session->CardMoveHook() == MakeMethod<&TUIGameBoard::OnCardMove>(self) &&
           Session->CardPlayedHook() == MakeMethod<&TUIGameBoard::OnCardPlayed>(self);
}

int32_t TUIGameBoard::SeatPosition(TSeat seat) const { return DisplayPosition(seat, viewRotation_); }

TQZRect TUIGameBoard::SeatRect(int32_t position) const
{
    return BoardSeatRect(position, {GetWidth(), GetHeight()}, BoardCardSize());
}

bool TUIGameBoard::Arrange()
{
    SetBounds(ParentArea(GetParent()));
    FreeChildren();
    animHost_ = nullptr;
    tableCards_ = nullptr;
    prompt_ = nullptr;
    scoreboard_ = nullptr;
    hands_.fill(nullptr);
    icons_.fill(nullptr);
    names_.fill(nullptr);
    viewRotation_ = Session ? Session->ViewRotation() : 0;

    tableCards_ = NewWindow<TUICardset>(SeatRect(BOARD_TABLE), this, BoardSeatLayout(BOARD_TABLE),
                                        Session ? &Session->Deck() : nullptr);
    tableCards_->seat = CARDSET_TABLE_SEAT;
    for (TSeat s = 1; s <= 4; ++s) {
        const int32_t position = SeatPosition(s);
        const TQZRect hand = SeatRect(position);
        const TSessionPlayer* player = Session ? Session->Players().GetPlayer(s) : nullptr;
        TUICardset* set = NewWindow<TUICardset>(hand, this, BoardSeatLayout(position),
                                                player ? &player->Hand() : nullptr);
        set->seat = s;
        hands_[s - 1] = set;
        const TQZRect icon = BoardIconRect(position, hand, GetWidth());
        icons_[s - 1] = NewWindow<TUIPlayerIcon>(s, this, icon);
        if (player && !player->IsLocal())
            names_[s - 1] = MakeUILabel(player->Name(), BoardNameRect(position, hand, icon, GetWidth()), this, 0xFFFFFFFF,
                                        BOARD_NAME_FONT);
    }
    FollowSession();

    scoreboard_ = NewWindow<TUIScoreboard2>(this);
    animHost_ = NewWindow<TUIAnimHost>(this);
    const TSeat local = Session ? Session->LocalSeat() : TSeat(1);
    prompt_ = NewWindow<TUIPrompt>(this, hands_[local - 1]->GetRect());
    return true;
}

void TUIGameBoard::FollowSession()
{
    if (!Session) return;
    const TSessionStatus status = Session->Status();
    if (tableCards_) {
        tableCards_->faceUp = status == STATUS_PLAYING;
        tableCards_->spinning = status == STATUS_DEALING;
    }
    for (TSeat s = 1; s <= 4; ++s) {
        TUICardset* set = hands_[s - 1];
        const TSessionPlayer* player = Session->Players().GetPlayer(s);
        if (!set || !player) continue;
        set->faceUp = player->IsLocal();
        set->interactive = player->IsLocal();
    }
}

void TUIGameBoard::Update()
{
    TGUIWindow::Update();
    if (Session && Session->ViewRotation() != viewRotation_) {
        Arrange();
        return;
    }
    FollowSession();
}

void TUIGameBoard::PostCommand(TGUIWindow* sender, int32_t id)
{
    // A card click speaks for the seat whose hand it came from: only the
    // local player's hand may send one, whatever the set itself allowed.
    if (id > GUICMD_CARD && id <= GUICMD_CARD + CARDSET_POSITIONS) {
        for (TSeat s = 1; s <= 4; ++s) {
            if (sender != hands_[s - 1]) continue;
            const TSessionPlayer* player = Session ? Session->Players().GetPlayer(s) : nullptr;
            if (!player || !player->IsLocal()) return;
        }
    }
    TGUIWindow::PostCommand(sender, id);
}

TUICardset* TUIGameBoard::GetSeatCards(int32_t index) const
{
    if (index == 0) return tableCards_;
    return IsSeat(index) ? hands_[index - 1] : nullptr;
}

bool TUIGameBoard::IsAnimating() const { return animHost_ && animHost_->IsBusy(); }

void TUIGameBoard::StartCardMove(TQZPoint from, TQZPoint to, uint32_t timerId, bool sound, bool fadeOut, bool faceUp,
                                 TCard card, int32_t duration)
{
    if (!animHost_) return;
    TUIAnimCardMove* flight = NewWindow<TUIAnimCardMove>(animHost_, sound, fadeOut, faceUp, card, duration, to, from);
    flight->timerId = timerId;
    UIRequestFrames();
}

TQZPoint TUIGameBoard::LastPlaceOf(const TUICardset* set, TCard card)
{
    const int32_t position = set->Cards() ? set->Cards()->IndexOf(card) : 0;
    if (position > 0) return TopLeft(set->CalcCardPositions(position));
    const TQZRect last = set->CardRect(card);
    return IsPlaced(last) ? TopLeft(last) : set->GetCardOrigin();
}

void TUIGameBoard::OnCardMove(const TCardMove& move)
{
    if (!IsSeat(move.seat) || !tableCards_) return;
    // A move that completed at once has landed already: nothing flies.
    if (move.duration <= 0) return;
    TUICardset* hand = hands_[move.seat - 1];
    if (!hand) return;
    switch (move.kind) {
    case MOVE_DEAL: {
        const int32_t n = tableCards_->Count();
        const TQZPoint from =
            n > 0 ? TopLeft(tableCards_->CalcCardPositions(tableCards_->DrawOrder(n))) : tableCards_->GetCardOrigin();
        StartCardMove(from, hand->GetCardOrigin(), move.timerId, false, false, hand->IsRevealed(), move.card,
                      move.duration);
        break;
    }
    case MOVE_DISCARD:
        StartCardMove(LastPlaceOf(hand, move.card), tableCards_->GetCardOrigin(), 0, true, true,
                      tableCards_->IsRevealed(), move.card, move.duration);
        break;
    case MOVE_PLAY:
        StartCardMove(LastPlaceOf(hand, move.card), TopLeft(tableCards_->CalcCardPositions(move.seat)), 0, true,
                      false, true, move.card, move.duration);
        break;
    default: break;
    }
}

void TUIGameBoard::OnCardPlayed(TSeat seat, bool trumpedIn)
{
    if (!trumpedIn || !IsSeat(seat) || !SettingBool(kTrumpEffectKey) || !animHost_ || !tableCards_) return;
    NewWindow<TUIAnimSmoke>(animHost_, SMOKE_FAST, tableCards_->CalcCardPositions(seat));
    UIPlaySound(BOARD_SOUND_TRUMP);
}
