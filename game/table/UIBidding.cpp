#include "UIBidding.h"

#include "GameTextHelpers.h"
#include "UIBidButton.h"
#include "UIBoardLayout.h"
#include "UIButton.h"
#include "UIPrompt.h"
#include "UITheme.h"
#include "clVideoDraw.h"
#include "mgrGameflow.h"
#include "mgrSession.h"
#include "mgrVideo.h"

#include <algorithm>
#include <memory>

namespace {

constexpr TQZRect kButtonArea{10, 185, 625, 350};
constexpr TQZColour kRowFill = 0xFFEAEAEA;
constexpr TQZColour kPanelGround = 0xFF3A434B;

// The cell of row r and column c inside the button area.
TQZRect Cell(int32_t row, int32_t column)
{
    return {125 * column, 45 * row + 25, 125 * column + 115, 45 * row + 60};
}

TQZRect SeatRow(const TQZRect& r, TSeat seat)
{
    const int32_t top = r.top + 32 * (seat - 1) + 47;
    return {r.left + 7, top, r.right - 7, top + 32};
}

TQZRect Square(TQZPoint centre, int32_t side)
{
    return {centre.x - side / 2, centre.y - side / 2, centre.x - side / 2 + side, centre.y - side / 2 + side};
}

}  // namespace

TUIBidding::TUIBidding(TGUIWindow* parent) : TUIFrame("Bidding", {0, 0, BIDDING_WIDTH, BIDDING_HEIGHT}, parent)
{
    forwardCommands = false;
    buttonArea_ = NewWindow<TGUIWindow>(kButtonArea, this, 0);
    buttonArea_->forwardCommands = true;
    const auto check = MakeMethod<&TUIBidding::OnCheck>(this);
    const auto click = MakeMethod<&TUIBidding::OnBidButton>(this);
    for (int32_t s = SUIT_SPADES; s <= SUIT_NOTRUMPS; ++s)
        suitButtons_[size_t(s)] = NewWindow<TUIBidButton>(SuitName(TSuit(s)), buttonArea_, check, s, click, s, Cell(0, s));
    for (int32_t i = 0; i < 5; ++i)
        trickButtons_[size_t(i)] = NewWindow<TUIBidButton>(FormatNumbered("%1 tricks", {std::to_string(i + 6)}),
                                                           buttonArea_, check, i + 6, click, -1, Cell(1, i));
    misereButton_ = NewWindow<TUIBidButton>("Misere", buttonArea_, check, BIDVALUE_MISERE, click, ICON_MISERE, Cell(2, 4));
    const int32_t w = BIDDING_WIDTH;
    placeBidButton_ = MakeUIButton("Place Bid", {w / 2 - 150, 112, w / 2 - 10, 160}, buttonArea_, BIDCMD_PLACE);
    passButton_ = MakeUIButton("Pass", {w / 2 + 10, 112, w / 2 + 150, 160}, buttonArea_, BIDCMD_PASS);
    SetShown(true);
}

TQZRect BiddingPanelRect(TQZPoint board, TQZPoint card)
{
    constexpr int32_t kGap = 4;
    const int32_t x = (board.x - BIDDING_WIDTH) / 2;
    int32_t y = std::min((board.y - BIDDING_HEIGHT) / 2 - 40, board.y - BIDDING_HEIGHT - 170) - 10;
    const TQZRect top = BoardSeatRect(BOARD_TOP, board, card);
    const TQZRect bottom = BoardSeatRect(BOARD_BOTTOM, board, card);
    const TQZRect prompt = TUIPrompt::PromptRect(bottom);
    const int32_t floor = prompt.top > top.bottom && prompt.bottom <= bottom.top ? prompt.top : bottom.top;
    y = std::max(y, top.bottom + kGap);
    const int32_t height = std::clamp(floor - kGap - y, BIDDING_MIN_HEIGHT, BIDDING_HEIGHT);
    return {x, y, x + BIDDING_WIDTH, y + height};
}

bool TUIBidding::Arrange()
{
    if (TGUIWindow* parent = GetParent())
        SetRect(BiddingPanelRect({parent->GetWidth(), parent->GetHeight()}, BoardCardSize()));
    Refresh();
    return true;
}

bool TUIBidding::IsLocalTurn() const
{
    if (!Session || Session->Status() != STATUS_BIDDING) return false;
    const TSessionBidding& auction = Session->Bidding();
    if (auction.IsComplete()) return false;
    const TSessionPlayer* player = Session->Players().GetPlayer(auction.CurrentBidder());
    return player && player->IsLocal() && !player->IsComputerControlled();
}

bool TUIBidding::MayPlace(const TBid& bid) const
{
    if (!Session || !IsValidBid(bid) || bid.count == 1) return false;
    if (IsMisereBid(bid) && !Session->MisereAllowed()) return false;
    return BidPoints(Session->Bidding().WinningBid()) < BidPoints(bid);
}

std::string TUIBidding::PromptText() const
{
    if (!Session) return std::string();
    const TSessionBidding& auction = Session->Bidding();
    if (auction.IsComplete()) {
        const TSeat seat = auction.CurrentBidder();
        const TSessionPlayer* player = Session->Players().GetPlayer(seat);
        return FormatNumbered("%1 WINS: %2", {player ? player->Name() : std::string(), BidText(auction.GetBid(seat))});
    }
    return IsLocalTurn() ? "Place your bid" : "Waiting for other player...";
}

void TUIBidding::Refresh()
{
    const int32_t high = Session ? BidPoints(Session->Bidding().WinningBid()) : 0;
    const bool misere = Session && Session->MisereAllowed();
    TBid composed = ComposedBid();
    for (int32_t s = SUIT_SPADES; s <= SUIT_NOTRUMPS; ++s)
        suitButtons_[size_t(s)]->SetEnabled(high < BidPoints(MakeBid(TSuit(s), 10)));
    for (int32_t i = 0; i < 5; ++i)
        trickButtons_[size_t(i)]->SetEnabled(high < BidPoints(MakeBid(TSuit(selectedSuit), i + 6)) &&
                                             !IsMisereBid(composed));
    // Misere is offered only where the game allows it: a client follows the host.
    misereButton_->SetVisible(misere);
    misereButton_->SetEnabled(misere && high < BidPoints(BID_MISERE));
    const bool placeable = MayPlace(composed);
    if (!placeable) selectedCount = 0;
    placeBidButton_->SetEnabled(placeable && !locked_);
    passButton_->SetEnabled(!locked_);

    const bool local = IsLocalTurn();
    if (local && !buttonArea_->IsVisible() && Gameflow) Gameflow->PlayMultiplayerAlert();
    buttonArea_->SetVisible(local);
    lastPoints_ = BidPoints(ComposedBid());
    if (Session) Session->SetPrompt(PromptText());
}

void TUIBidding::Lock(bool flag)
{
    locked_ = flag;
    placeBidButton_->SetEnabled(!flag && MayPlace(ComposedBid()));
    passButton_->SetEnabled(!flag);
}

void TUIBidding::SelectSuit(TSuit suit)
{
    if (!IsSuit(suit)) return;
    selectedSuit = suit;
    Refresh();
}

void TUIBidding::OnBidButton(int32_t value)
{
    if (value >= SUIT_SPADES && value <= SUIT_NOTRUMPS) {
        selectedSuit = value;
        if (selectedCount == 5) selectedCount = 0;
    } else if (value >= 6 && value <= 10) {
        selectedCount = value;
    } else if (value == BIDVALUE_MISERE) {
        selectedSuit = SUIT_NOTRUMPS;
        selectedCount = 5;
    }
    Refresh();
}

void TUIBidding::Submit(const TBid& bid)
{
    const TSeat seat = Session->Bidding().CurrentBidder();
    Session->Governor().Submit(std::make_unique<TActionBid>(seat, kBidOrigin, bid));
    Lock(true);
}

void TUIBidding::HandleCommand(TGUIWindow* sender, int32_t id)
{
    // A command that arrives when it may not bid (a key on a hidden button,
    // a second press before the turn moves on) is dropped.
    const bool mayBid = IsLocalTurn() && !locked_;
    if (id == BIDCMD_PLACE && mayBid && MayPlace(ComposedBid())) Submit(ComposedBid());
    else if (id == BIDCMD_PASS && mayBid) Submit(MakeBid(SUIT_NOTRUMPS, 1));
    else TUIFrame::HandleCommand(sender, id);
    Refresh();
}

void TUIBidding::Update()
{
    TUIFrame::Update();
    // Faded in, the panel draws straight to the screen: through its picture
    // the blended rows and buttons would stay part transparent for good.
    if (UseFadePicture() && Shown() && GetAlpha() >= maxAlpha) SetFadePicture(false);
    if (BidPoints(ComposedBid()) != lastPoints_ || buttonArea_->IsVisible() != IsLocalTurn()) {
        if (lastPoints_ == BidPoints(BID_MISERE)) selectedCount = 0;
        Refresh();
        Lock(false);
    }
    TGUIWindow* focused = GetFocused();
    if (!focused || !focused->CanFocus()) {
        if (placeBidButton_->CanFocus()) placeBidButton_->SetFocus(true);
        else if (TGUIWindow* pass = FindByCommandId(BIDCMD_PASS); pass && pass->CanFocus()) pass->SetFocus(true);
    }
}

void TUIBidding::Draw(const TQZRect& rect)
{
    // The panel stands over the kitty and the middle of the table: a solid
    // ground under its translucent body keeps them from showing through its
    // rows and buttons.
    UIFill(AdjustRect(rect, 4, 4, -4, -4), kPanelGround);
    TUIFrame::Draw(rect);
    TVideoDraw* draw = Video ? Video->Draw() : nullptr;
    if (!Session || !draw) return;
    const TSessionBidding& auction = Session->Bidding();
    const TSeat current = auction.CurrentBidder();
    TRenderKey key;
    key.Add(rect).Add(current);
    for (TSeat s = 1; s <= 4; ++s) key.Add(auction.BidText(s, &Session->Players()));
    DrawCached(renderer_, key.Value(), [&] {
        DrawSeparator(44);
        DrawSeparator(175);
        for (TSeat s = 1; s <= 4; ++s) {
            const TQZRect row = SeatRow(rect, s);
            draw->Fill(kRowFill, row);
            const TQZPoint centre{row.left + 16, row.top + 16};
            if (s == current) draw->DrawIcon(5, Square(centre, 24));
            else draw->DrawIcon(TVideoDraw::BidIcon(auction.GetBid(s)), Square(centre, 16));
            DrawTeamMarker(TeamOfSeat(s), row);
            DrawText({40, 32 * (s - 1) + 50}, auction.BidText(s, &Session->Players()));
        }
    });
    if (IsSeat(current)) draw->DrawAnimatedBorder(0xFF000000, SeatRow(rect, current));
    DrawText({12, 184}, Session->Prompt());
}
