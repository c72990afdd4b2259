#include "clTableReport.h"

#include "UIBidButton.h"
#include "UIBidding.h"
#include "UIAdminConsole.h"
#include "UIButton.h"
#include "UIChatWindow.h"
#include "UIEditBox.h"
#include "UICardset.h"
#include "UIGameBoard.h"
#include "UIImageTile.h"
#include "UILabel.h"
#include "UITutorial.h"
#include "mgrSession.h"
#include "mgrStates.h"
#include "sessionTricks.h"
#include "stateBidding.h"
#include "stateTable.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace {
TQZPoint Centre(const TQZRect& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

void Buttons(TGUIWindow* w, std::ostringstream& out)
{
    if (!w || !w->IsVisible()) return;
    // What the panel has put together so far: its suit and trick count.
    if (auto* panel = dynamic_cast<TUIBidding*>(w))
        out << "selected " << panel->selectedSuit << ' ' << panel->selectedCount << '\n';
    if (auto* b = dynamic_cast<TUIBidButton*>(w)) {
        const TQZPoint c = Centre(b->GetScreenRect());
        out << "bid " << b->value << ' ' << c.x << ' ' << c.y << ' ' << (b->IsEnabled() ? 1 : 0) << '\n';
        return;
    }
    if (!w->IsEnabled()) return;
    if (auto* tile = dynamic_cast<TUIImageTile*>(w)) {
        const TQZPoint c = Centre(tile->GetScreenRect());
        out << "tile " << tile->commandId << ' ' << c.x << ' ' << c.y << ' ' << tile->highlight << ' '
            << (tile->image ? 1 : 0) << '\n';
    }
    if (auto* b = dynamic_cast<TGUIButton*>(w); b && b->commandId != 0 && b->mouseEnabled) {
        const TQZPoint c = Centre(b->GetScreenRect());
        out << "button " << b->commandId << ' ' << c.x << ' ' << c.y << '\n';
    }
    for (int32_t i = 1; i <= w->ChildCount(); ++i) Buttons(w->GetChild(i), out);
}

// The cards of the seat's hand where they are drawn: the middle of the part
// of each that shows (a fanned card is partly under its neighbour).
void Cards(TGUIWindow* w, TSeat seat, std::ostringstream& out)
{
    if (!w || !w->IsVisible()) return;
    if (auto* set = dynamic_cast<TUICardset*>(w); set && set->seat == seat && set->interactive) {
        const int32_t n = set->Count();
        // Later positions drawn on top (the usual fan) or earlier ones.
        const bool laterOnTop = n < 2 || set->DrawOrder(n) == n;
        for (int32_t p = 1; p <= n; ++p) {
            const TQZRect r = set->CalcCardPositions(p);
            int32_t left = r.left, right = r.right;
            if (laterOnTop && p < n) right = std::min(right, set->CalcCardPositions(p + 1).left);
            if (!laterOnTop && p > 1) left = std::max(left, set->CalcCardPositions(p - 1).right);
            if (right <= left) left = r.left, right = r.right;
            out << "card " << p << ' ' << (left + right) / 2 << ' ' << (r.top + r.bottom) / 2 << ' ' << set->GetCardMark(p)
                << '\n';
        }
        return;
    }
    for (int32_t i = 1; i <= w->ChildCount(); ++i) Cards(w->GetChild(i), seat, out);
}
void Box(const char* name, const TQZRect& r, std::ostringstream& out)
{
    out << "box " << name << ' ' << r.left << ' ' << r.top << ' ' << r.right << ' ' << r.bottom << '\n';
}

// Where the top seat's name and cards and the bidding panel stand, for
// scripts that check the table's layout on the real window.
void Boxes(TState* current, std::ostringstream& out)
{
    auto* table = dynamic_cast<TStateTable*>(current);
    const TUIGameBoard* board = table ? table->Board() : nullptr;
    if (!board) return;
    for (TSeat s = 1; s <= 4; ++s) {
        if (board->SeatPosition(s) != BOARD_TOP) continue;
        if (const TUILabel* name = board->NameLabel(s); name && name->IsVisible())
            Box("topname", name->GetScreenRect(), out);
        if (const TUICardset* hand = board->GetSeatCards(s); hand && hand->IsVisible())
            for (int32_t p = 1; p <= hand->Count(); ++p) Box("topcard", hand->CalcCardPositions(p), out);
    }
    // The panel once it has faded in: a frame of it then shows it whole.
    if (auto* bidding = dynamic_cast<TStateBidding*>(current))
        if (const TUIBidding* panel = bidding->Panel();
            panel && panel->IsVisible() && panel->GetAlpha() >= panel->maxAlpha && !panel->UseFadePicture())
            Box("panel", panel->GetScreenRect(), out);
}
// The windows over the screens: a script waits for them to open or close
// before its next key, which they would otherwise take or miss.
void Overlays(std::ostringstream& out)
{
    TGUIWindow* root = StateEngine ? StateEngine->RootWindow() : nullptr;
    if (!root) return;
    for (int32_t i = 1; i <= root->ChildCount(); ++i) {
        TGUIWindow* w = root->GetChild(i);
        if (!w || !w->IsVisible()) continue;
        if (auto* tutorial = dynamic_cast<TUITutorial*>(w)) {
            const bool whole = tutorial->GetAlpha() >= tutorial->maxAlpha;
            out << "tutorial " << tutorial->Page().id << ' ' << tutorial->Page().page << ' ' << (whole ? 1 : 0) << '\n';
            Buttons(tutorial, out);
        } else if (auto* console = dynamic_cast<TUIAdminConsole*>(w)) {
            // Typed keys reach it once its entry has the focus.
            const bool typing = console->Entry() && console->Entry()->IsFocused();
            out << "console 1 " << (typing ? 1 : 0) << '\n';
        } else if (auto* chat = dynamic_cast<TUIChatWindow*>(w)) {
            out << "chat " << (chat->Active() ? 1 : 0) << ' ' << chat->Messages().size() << '\n';
        }
    }
}
}  // namespace

TTableReport::TTableReport()
{
    if (const char* value = std::getenv("VANTOREL_TABLE_REPORT")) file_ = value;
}

std::string TTableReport::Text()
{
    std::ostringstream out;
    TState* current = StateEngine ? StateEngine->Current() : nullptr;
    out << "state " << (StateEngine ? StateEngine->CurrentId() : 0) << '\n';
    out << "depth " << (StateEngine ? StateEngine->Depth() : 0) << '\n';
    if (Session) {
        const TSession& s = *Session;
        out << "status " << int32_t(s.Status()) << '\n';
        out << "local " << int32_t(s.LocalSeat()) << '\n';
        // Nobody is to play while a complete trick waits to be gathered: the
        // table takes no card then, though the winner leads next.
        const bool canPlay = s.Status() == STATUS_PLAYING && !s.Tricks().TrickComplete();
        out << "toplay " << int32_t(canPlay ? s.Tricks().SeatToPlay() : 0) << '\n';
        out << "bidder " << int32_t(s.Status() == STATUS_BIDDING ? s.Bidding().CurrentBidder() : 0) << '\n';
        out << "declarer " << int32_t(s.Bidding().IsComplete() ? s.Bidding().HighBidder() : 0) << '\n';
        out << "trick " << s.Tricks().Current() << '\n';
        out << "score " << s.Score(1) << ' ' << s.Score(2) << '\n';
        out << "hand " << s.HandOf(s.LocalSeat()).ToText() << '\n';
        out << "moving " << (s.MoveInProgress() ? 1 : 0) << '\n';
        out << "prompt " << s.Prompt() << '\n';
    }
    if (current) {
        Buttons(current->Window(), out);
        if (Session) Cards(current->Window(), Session->LocalSeat(), out);
        Boxes(current, out);
    }
    Overlays(out);
    return out.str();
}

void TTableReport::FrameDone()
{
    if (!Active()) return;
    std::string text = Text();
    if (text == last_) return;
    last_ = text;
    // Whole or not at all: the reader never sees half a report.
    const std::string temp = file_ + ".new";
    if (std::FILE* f = std::fopen(temp.c_str(), "wb")) {
        const bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
        if (std::fclose(f) == 0 && ok) std::rename(temp.c_str(), file_.c_str());
    }
}
