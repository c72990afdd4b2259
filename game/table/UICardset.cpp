#include "UICardset.h"

#include "UITheme.h"
#include "clCardGraphics.h"
#include "clShellLinks.h"
#include "clVideoDraw.h"
#include "coreGameDiagnostics.h"
#include "mgrResources.h"
#include "mgrSession.h"
#include "mgrSettings.h"
#include "mgrVideo.h"
#include "qz7texture.h"
#include "qz7timer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr double kTwoPi = 6.283185307179586;

bool IsPlaced(const TQZRect& r)
{
    return r.left != 0 || r.top != 0 || r.right != 0 || r.bottom != 0;
}

// One edge towards its target by at most step.
int32_t Towards(int32_t value, int32_t target, int32_t step)
{
    if (value < target) return std::min(value + step, target);
    return std::max(value - step, target);
}

int32_t FloatBits(float value)
{
    int32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

}  // namespace

TQZPoint CardsetStep(int32_t layout, TQZPoint area, TQZPoint card, int32_t count)
{
    const int32_t spread = std::max(9, count);
    switch (layout) {
    case CARDSET_FAN:
        return {std::min((area.x - card.x) / spread, card.x / 2), 0};
    case CARDSET_COLUMN:
        return {0, std::min((area.y - card.y) / spread, card.y / 2)};
    default:
        return {card.x * 10 / 20, card.y * 7 / 20};
    }
}

TUICardset::TUICardset(const TQZRect& rect, TGUIWindow* parent, int32_t layout, const TCardset* cards)
    : TGUIWindow(rect, parent, 0), layout(layout), cards_(cards)
{
    mouseEnabled = true;
    forwardCommands = true;
}

TQZPoint TUICardset::CardSize() const
{
    if (Video) return Video->CardSize();
    return {CARDGFX_FALLBACK_WIDTH, CARDGFX_FALLBACK_HEIGHT};
}

int32_t TUICardset::Count() const
{
    return cards_ ? std::min(cards_->Count(), CARDSET_POSITIONS) : 0;
}

TQZRect TUICardset::CardRect(TCard card) const
{
    return card >= 0 && card < CARDSET_CARDS ? cardRects_[size_t(card)] : TQZRect{};
}

float TUICardset::Lift(int32_t position) const
{
    return position >= 1 && position <= CARDSET_POSITIONS ? lift_[size_t(position)] : 0.0f;
}

// ---------------------------------------------------------------- geometry

TQZRect TUICardset::CalcCardPositions(int32_t position) const
{
    const TQZPoint card = CardSize();
    const TQZRect screen = GetScreenRect();
    const int32_t n = Count();
    const TQZPoint step = CardsetStep(layout, {screen.Width(), screen.Height()}, card, n);
    TQZPoint block;
    if (layout == CARDSET_CIRCLE) block = {3 * card.x, 3 * card.y};
    else block = {(n - 1) * step.x + card.x, (n - 1) * step.y + card.y};
    const int32_t left = screen.left + (screen.Width() - block.x) / 2;
    const int32_t top = screen.top + (screen.Height() - block.y) / 2;
    const int32_t lift = int32_t(std::lround(Lift(position)));

    TQZPoint at;
    if (layout == CARDSET_FAN) {
        at = {left + (position - 1) * step.x, top - lift};
    } else if (layout == CARDSET_COLUMN) {
        at = {left + lift, top + (position - 1) * step.y};
    } else {
        const int32_t slots = std::max(4, std::min(n, 50));
        const double base = spinning ? double(GetTickMS() % 12566) / 200.0 : 0.2;
        int32_t k = position + (Session ? Session->ViewRotation() : 0);
        if (k > 4) k -= 4;
        k -= 1;
        const double a = k * kTwoPi / slots + base;
        at = {left + block.x / 3 + int32_t(std::lround(0.1 - std::sin(a) * step.x)),
              top + block.y / 3 + int32_t(std::lround(std::cos(a) * step.y + 0.1))};
    }
    return {at.x, at.y, at.x + card.x, at.y + card.y};
}

TQZPoint TUICardset::GetCardOrigin() const
{
    const TQZPoint card = CardSize();
    const TQZRect s = GetScreenRect();
    return {s.left + (s.Width() - card.x) / 2, s.top + (s.Height() - card.y) / 2};
}

int32_t TUICardset::DrawOrder(int32_t i) const
{
    if (layout == CARDSET_CIRCLE) return i;
    TCardGraphics* cardset = Resources ? Resources->GetCardset() : nullptr;
    // Left-aligned corner indices stay visible when the left card is at the bottom.
    const bool alignLeft = cardset ? cardset->AlignLeft : true;
    return alignLeft ? i : Count() - i + 1;
}

int32_t TUICardset::HitCard(TQZPoint point) const
{
    const TQZRect s = GetScreenRect();
    const TQZPoint at{point.x + s.left, point.y + s.top};
    for (int32_t i = Count(); i >= 1; --i) {
        const int32_t p = DrawOrder(i);
        if (cards_->Get(p) == 0) continue;
        if (PointInRect(at, CalcCardPositions(p))) return p;
    }
    return 0;
}

// ---------------------------------------------------------------- marks

TUICardset::TMarkContext TUICardset::MarkContext() const
{
    TMarkContext c;
    c.bringToFront = SettingBool("Cards.BringToFront");
    if (seat != CARDSET_TABLE_SEAT || !cards_ || !Session || Session->Status() != STATUS_PLAYING) return c;
    const TSessionTricks& tricks = Session->Tricks();
    // Empty slots hold 0, which would count as a card: judge only what lies there.
    TCardset played;
    for (int32_t i = 1; i <= Count(); ++i)
        if (cards_->Get(i) != 0) played.Add(cards_->Get(i));
    c.tableBest = played.BestCard(tricks.CurrentTrump(), tricks.LedSuit(), tricks.IsMisere());
    return c;
}

int32_t TUICardset::MarkOf(int32_t position, const TMarkContext& context) const
{
    if (position < 1 || position > Count()) return CARDMARK_NORMAL;
    int32_t mark = CARDMARK_NORMAL;
    if (context.bringToFront && Lift(position) == CARDSET_MAX_LIFT) mark = CARDMARK_ON_TOP;
    const TCard card = cards_->Get(position);
    if (seat == 0 || card == 0 || !Session || Session->Status() != STATUS_PLAYING) return mark;
    const TSessionTricks& tricks = Session->Tricks();
    if (seat == CARDSET_TABLE_SEAT) return card == context.tableBest ? CARDMARK_ON_TOP : CARDMARK_NOT_ALLOWED;
    if (tricks.CardsPlayed() > 0 && !IsLegalPlay(card, *cards_, tricks.LedSuit(), tricks.CurrentTrump()))
        return CARDMARK_NOT_ALLOWED;
    return mark;
}

int32_t TUICardset::GetCardMark(int32_t position) const
{
    if (position < 1 || position > Count()) return CARDMARK_NORMAL;
    return MarkOf(position, MarkContext());
}

bool TUICardset::IsRevealed() const
{
    return faceUp || SettingBool("Debug.Reveal");
}

// ---------------------------------------------------------------- click lock

bool TUICardset::IsClickLocked() const
{
    return clickLock_ >= 0 && Session && Session->OutOfPlay().Count() == clickLock_;
}

void TUICardset::SetClickLock(bool flag)
{
    clickLock_ = flag && Session ? Session->OutOfPlay().Count() : -1;
}

// ---------------------------------------------------------------- input

void TUICardset::MouseMove(TQZPoint point, TGUIWindow* hit)
{
    TGUIWindow::MouseMove(point, hit);
    pointer_ = {-1, -1};
    if (hit == this && interactive) pointer_ = point;
}

bool TUICardset::SeatIsLocal() const
{
    if (!IsSeat(seat)) return true;  // the table set or a set of no seat
    if (!Session) return false;
    const TSessionPlayer* player = Session->Players().GetPlayer(TSeat(seat));
    return player && player->IsLocal();
}

bool TUICardset::TrickPlayAccepts() const
{
    if (IsClickLocked() || !Session) return false;
    const TSessionTricks& tricks = Session->Tricks();
    return tricks.SeatToPlay() == seat && !tricks.TrickComplete() && !Session->MoveInProgress();
}

bool TUICardset::MouseDown(TQZPoint point)
{
    const bool result = TGUIWindow::MouseDown(point);
    if (!interactive || !cards_) return result;
    const int32_t hit = HitCard(point);
    if (hit == 0 || GetCardMark(hit) == CARDMARK_NOT_ALLOWED || !SeatIsLocal()) return result;
    const int32_t state = CurrentStateId();
    if (state == STATE_GAME) {
        if (!TrickPlayAccepts()) return result;
        SendCommand(GUICMD_CARD + hit);
        SetClickLock(true);
    } else {
        SendCommand(GUICMD_CARD + hit);
        AdminLog("ActiveStateiD=" + std::to_string(state));
    }
    return result;
}

// ---------------------------------------------------------------- per frame

void TUICardset::Update()
{
    TGUIWindow::Update();
    Animate(UIFrameTime());
}

void TUICardset::Animate(uint32_t milliseconds)
{
    const float s = float(milliseconds) / 6.0f;
    if (interactive) {
        int32_t hit = pointer_.x == -1 && pointer_.y == -1 ? 0 : HitCard(pointer_);
        if (GetCardMark(hit) == CARDMARK_NOT_ALLOWED) hit = 0;
        for (int32_t i = 1; i <= CARDSET_POSITIONS; ++i) {
            float& lift = lift_[size_t(i)];
            lift += i == hit ? s : -s / 3.0f;
            lift = ClampSingle(0.0f, lift, CARDSET_MAX_LIFT);
        }
    }
    if (spinning) return;
    std::array<TQZRect, CARDSET_CARDS> next{};
    const int32_t step = int32_t(s * 1.5f + 0.99f);
    for (int32_t i = 1; i <= Count(); ++i) {
        const TCard card = cards_->Get(i);
        if (card < 0 || card >= CARDSET_CARDS) continue;
        const TQZRect target = CalcCardPositions(i);
        const TQZRect& now = cardRects_[size_t(card)];
        if (!IsPlaced(now)) {
            next[size_t(card)] = target;
            continue;
        }
        next[size_t(card)] = {Towards(now.left, target.left, step), Towards(now.top, target.top, step),
                              Towards(now.right, target.right, step), Towards(now.bottom, target.bottom, step)};
    }
    cardRects_ = next;  // a card that left the set is forgotten
}

// ---------------------------------------------------------------- drawing

uint32_t TUICardset::DrawKey(const TQZRect& rect)
{
    // The marks of the frame, worked out once for the key and the drawing.
    const TMarkContext context = MarkContext();
    for (int32_t i = 1; i <= CARDSET_POSITIONS; ++i) marks_[size_t(i)] = i <= Count() ? MarkOf(i, context) : 0;
    if (spinning) return renderer_.Key() + 1;
    TRenderKey key;
    const TQZPoint card = CardSize();
    key.Add(rect).Add(IsRevealed()).Add(IsClickLocked()).Add(Count()).Add(card.x).Add(card.y);
    for (const TQZRect& r : cardRects_) key.Add(r);
    key.Add(int32_t(reinterpret_cast<uintptr_t>(cards_)));
    for (int32_t i = 1; i <= Count(); ++i) key.Add(cards_->Get(i));
    for (float lift : lift_) key.Add(FloatBits(lift));
    key.Add(int32_t(reinterpret_cast<uintptr_t>(UITexture(TEXTURE_CARDBACK))));
    key.Add(SettingText("Video.Cardface"));
    for (int32_t i = 1; i <= Count(); ++i) key.Add(marks_[size_t(i)]);
    return key.Value();
}

void TUICardset::DrawOne(int32_t position, const TQZRect& rect, TQZPoint offset, bool onTop, int32_t mark) const
{
    TVideoDraw* draw = Video ? Video->Draw() : nullptr;
    if (!draw) return;
    const TQZPoint at{rect.left + offset.x, rect.top + offset.y};
    const float lift = Lift(position);
    if (onTop) draw->DrawCardShadow(0xFFFFFFFF, at);
    else if (lift > 0) draw->DrawCardShadow(ColorWithAlpha(uint8_t(std::lround(lift * 10)), 0xFF000000), at);
    draw->DrawCard(at, cards_->Get(position), 0xFFFFFFFF, IsRevealed());
    const bool dimmed = !onTop && mark == CARDMARK_NOT_ALLOWED && IsRevealed();
    if (dimmed || IsClickLocked())
        if (TQZTexture* veil = UITexture(TEXTURE_CARD_VEIL))
            veil->Draw({at.x, at.y, at.x + rect.Width(), at.y + rect.Height()}, CARDSET_VEIL);
}

void TUICardset::Draw(const TQZRect& rect)
{
    if (!cards_) return;
    const TQZRect screen = GetScreenRect();
    const TQZPoint offset{rect.left - screen.left, rect.top - screen.top};
    DrawCached(renderer_, DrawKey(rect), [&] {
        int32_t onTop = 0;
        TQZRect onTopRect;
        for (int32_t i = 1; i <= Count(); ++i) {
            const int32_t p = DrawOrder(i);
            const TCard card = cards_->Get(p);
            if (card == 0) continue;
            TQZRect r = CalcCardPositions(p);
            if (!spinning && IsPlaced(CardRect(card))) r = CardRect(card);
            const int32_t mark = marks_[size_t(p)];
            if (mark == CARDMARK_ON_TOP) {
                onTop = p;
                onTopRect = r;
                continue;
            }
            DrawOne(p, r, offset, false, mark);
        }
        if (onTop != 0) DrawOne(onTop, onTopRect, offset, true, marks_[size_t(onTop)]);
    });
}
