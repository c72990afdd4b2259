#include "sessionTricks.h"

#include "qz7kvdata.h"
#include "qz7text.h"
#include "clShellLinks.h"

void TSessionTricks::SetContract(const TContract& contract) { contract_ = contract; }

void TSessionTricks::Reset()
{
    current_ = 0;
    for (auto& t : tricks_) t = TTrick{};
    won_[0] = won_[1] = 0;
}

void TSessionTricks::StartTrick(TSeat leader)
{
    if (current_ >= 10) return;
    ++current_;
    tricks_[current_ - 1] = TTrick{};
    tricks_[current_ - 1].leader = leader;
    if (table_) table_->ResetTable();
}

void TSessionTricks::SetCard(TSeat seat, TCard card)
{
    if (current_ < 1 || !IsSeat(seat)) return;
    tricks_[current_ - 1].cards[seat - 1] = card;
}

TTrick TSessionTricks::GetTrick(int32_t n) const { return n >= 1 && n <= 10 ? tricks_[n - 1] : TTrick{}; }

bool TSessionTricks::SitsOut(TSeat seat) const { return IsMisere() && seat == PartnerOf(contract_.declarer); }

int32_t TSessionTricks::CardsPlayed() const
{
    if (current_ < 1) return 0;
    const TTrick& t = tricks_[current_ - 1];
    if (!IsSeat(t.leader)) return 0;
    // The editor's build counts up to the first empty place, sitter or not.
    TSeat sitter = IsMisere() && !EditorVariant() ? PartnerOf(contract_.declarer) : 0;
    TSeat seat = TSeat(t.leader);
    for (int32_t i = 0; i < 4; ++i) {
        if (t.cards[seat - 1] == 0 && seat != sitter) return i;
        seat = seat == 4 ? 1 : TSeat(seat + 1);
    }
    return 4;
}

TSeat TSessionTricks::SeatToPlay() const
{
    if (current_ == 0) return 0;
    const TTrick& t = tricks_[current_ - 1];
    TSeat seat = NextSeat(TSeat(t.leader), CardsPlayed() + 1);
    // The seat that sits out is passed over as if it had played.
    while (SitsOut(seat) && CardsPlayed() < 4) seat = NextSeat(seat, 2);
    return seat;
}

TSuit TSessionTricks::LedSuit() const
{
    if (current_ < 1) return SUIT_NOTRUMPS;
    const TTrick& t = tricks_[current_ - 1];
    if (!IsSeat(t.leader)) return SUIT_NOTRUMPS;
    TCard lead = t.Card(TSeat(t.leader));
    if (lead == 0) return SUIT_NOTRUMPS;
    TSuit trump = CurrentTrump();
    if (IsMisere() && IsJoker(lead) && !EditorVariant()) {
        for (int32_t i = 2; i <= 3; ++i) {
            TCard c = t.Card(NextSeat(TSeat(t.leader), i));
            if (c != 0) return EffectiveSuit(c, trump);
        }
        return SUIT_NOTRUMPS;
    }
    return EffectiveSuit(lead, trump);
}

TSeat TSessionTricks::TrickWinner() const
{
    if (current_ < 1) return 1;
    const TTrick& t = tricks_[current_ - 1];
    // Below every strength, so the first card played always counts as
    // winning, even a joker led in misere (strength -1).
    int32_t best = -2;
    TSeat winner = IsSeat(t.leader) ? TSeat(t.leader) : TSeat(1);
    TSuit led = LedSuit();
    int32_t played = CardsPlayed();
    for (int32_t i = 1; i <= played; ++i) {
        TSeat seat = NextSeat(TSeat(t.leader), i);
        TCard c = t.Card(seat);
        if (c == 0) continue;  // the seat that sits out
        int32_t s = CardStrength(c, led, CurrentTrump(), IsMisere());
        if (s > best) {
            best = s;
            winner = seat;
        }
    }
    return winner;
}

bool TSessionTricks::CloseTrick()
{
    if (current_ < 1) return false;
    TSeat winner = TrickWinner();
    tricks_[current_ - 1].winner = winner;
    won_[TeamOfSeat(winner) - 1] += 1;
    AchievementTrigger("TRICK");
    if (current_ > 9) return true;
    StartTrick(winner);
    return false;
}

void TSessionTricks::Restore(int32_t current, const TTrick* tricks, int32_t won1, int32_t won2)
{
    current_ = current;
    for (int i = 0; i < 10; ++i) tricks_[i] = tricks[i];
    won_[0] = won1;
    won_[1] = won2;
}

namespace {
// "{a,b}" as two integers; false when either is not a number that fits.
bool PairFromText(const std::string& text, int32_t& a, int32_t& b)
{
    size_t open = text.find('{'), comma = text.find(','), close = text.find('}');
    if (open == std::string::npos || comma == std::string::npos || close == std::string::npos) return false;
    if (!(open < comma && comma < close)) return false;
    int32_t first = 0, second = 0;
    if (!TextToIntChecked(std::string_view(text).substr(open + 1, comma - open - 1), first) ||
        !TextToIntChecked(std::string_view(text).substr(comma + 1, close - comma - 1), second))
        return false;
    a = first;
    b = second;
    return true;
}
}  // namespace

std::string PairToText(int32_t a, int32_t b) { return "{" + std::to_string(a) + "," + std::to_string(b) + "}"; }

bool PairFromTextChecked(const std::string& text, int32_t& a, int32_t& b) { return PairFromText(text, a, b); }

bool TSessionTricks::LoadFrom(TQZKeyValue* node)
{
    if (!node) return false;
    int32_t current = TextToIntDef(node->GetString("current"), -1);
    if (current < 0 || current > 10) return false;
    int32_t won1 = 0, won2 = 0;
    if (!PairFromText(node->GetString("won"), won1, won2)) return false;
    // Each bounded before they are added: the sum cannot overflow.
    if (won1 < 0 || won2 < 0 || won1 > current || won2 > current || won1 + won2 > current) return false;
    TTrick loaded[10];
    for (int n = 1; n <= 10; ++n) {
        std::string text = node->GetString("trick[" + std::to_string(n) + "]");
        if (text.empty()) continue;
        TTrick t;
        if (!TrickFromTextChecked(text, t)) return false;
        if (t.leader < 0 || t.leader > 4 || t.winner < 0 || t.winner > 4) return false;
        for (TCard c : t.cards)
            if (c != 0 && !IsCardInDeck(c)) return false;
        if (n > current && !(t == TTrick{})) return false;
        if (n <= current && !IsSeat(t.leader)) return false;
        loaded[n - 1] = t;
    }
    Restore(current, loaded, won1, won2);
    return true;
}

void TSessionTricks::SaveTo(TQZKeyValue* node) const
{
    node->SetInt("current", current_);
    node->SetString("won", PairToText(won_[0], won_[1]));
    for (int n = 1; n <= 10; ++n) node->SetString("trick[" + std::to_string(n) + "]", TrickToText(tricks_[n - 1]));
}
