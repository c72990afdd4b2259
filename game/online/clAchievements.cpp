#include "clAchievements.h"

#include "coreGameDiagnostics.h"
#include "mgrSession.h"
#include "mgrSettings.h"
#include "qz7text.h"

#include <algorithm>
#include <cmath>

bool ContractMadeWith(const TBid& bid, int32_t tricksTaken)
{
    // The editor's build has no misère case here.
    if (IsMisereBid(bid) && !EditorVariant()) return tricksTaken == 0;
    return tricksTaken >= bid.count;
}

namespace {

// Without a session every variable reads 0.
TTeam LocalTeam() { return Session ? TeamOfSeat(Session->LocalSeat()) : 1; }

int32_t Flag(bool value) { return value ? 1 : 0; }

bool ContractMade(const TContract& c) { return ContractMadeWith(c.bid, Session->Tricks().TricksWon(c.team)); }

int32_t HandWin()
{
    if (!Session || !Session->HasContract()) return 0;
    TContract c = Session->GetContract();
    bool made = ContractMade(c);
    return Flag(c.team == LocalTeam() ? made : !made);
}

int32_t TricksWonBySeat(TSeat seat)
{
    int32_t won = 0;
    for (int32_t n = 1; n <= Session->Tricks().Current(); ++n)
        if (Session->Tricks().GetTrick(n).winner == seat) ++won;
    return won;
}

int32_t PlayerOverbid()
{
    if (!Session) return 0;
    const TSessionBidding& b = Session->Bidding();
    TSeat me = Session->LocalSeat(), partner = PartnerOf(me);
    if (b.BidsMade(me) == 0 || b.BidsMade(partner) == 0) return 0;
    TBid mine = b.GetBid(me), theirs = b.GetBid(partner);
    return Flag(!SameBid(mine, theirs) && BidPoints(theirs) < BidPoints(mine));
}

int32_t PlayStyle()
{
    std::string style = SettingText("Game.PlayStyle");
    if (SameText(style, "Conservative")) return 0;
    if (SameText(style, "Moderate")) return 1;
    return 2;
}

}  // namespace

// ---------------------------------------------------------------- TTrigger
TTrigger::TTrigger(const std::string& name) : name_(UpperText(name)) {}

int32_t TTrigger::SyntaxError(const std::string& message, const std::string& text)
{
    std::string warning = "Syntax error " + message + " in code block \"" + text + "\"";
    if (errorSink_) errorSink_(warning);
    else ShowWarning(warning);
    return 0;
}

void TTrigger::AddVariable(const std::string& name, TTriggerFunction value)
{
    auto term = std::make_unique<TTriggerTerm>();
    term->name = UpperText(name);
    term->value = std::move(value);
    term->next = std::move(terms_);
    terms_ = std::move(term);
}

int32_t TTrigger::Evaluate(const std::string& identifier)
{
    if (identifier == "TRUE") return 1;
    if (identifier == "FALSE") return 0;
    static const char* const suits[] = {"SPADES", "CLUBS", "DIAMONDS", "HEARTS", "NO TRUMPS"};
    for (int32_t s = 0; s < 5; ++s)
        if (identifier == suits[s]) return s;
    if (identifier.empty()) return 0;
    int32_t number = TextToIntDef(identifier, -9999);
    if (number != -9999) return number;
    for (const TTriggerTerm* t = terms_.get(); t; t = t->next.get())
        if (t->name == identifier) return t->value ? t->value() : 0;
    return SyntaxError("Unrecognised identifier", identifier);
}

int32_t TTrigger::EvaluateExpression(const std::string& e)
{
    if (e.empty() || e == "TRUE") return 1;
    if (e == "FALSE") return 0;
    size_t open = e.find('(');
    if (open != std::string::npos) {
        size_t close = e.rfind(')');
        if (close == std::string::npos || close < open) return SyntaxError("Unmatched parenthesis", e);
        int32_t inner = EvaluateExpression(e.substr(open + 1, close - open - 1));
        return EvaluateExpression(e.substr(0, open) + (inner == 1 ? "TRUE" : "FALSE") + e.substr(close + 1));
    }
    // "&" splits first, so it binds loosest: A|B&C is (A|B)&C.
    for (char op : {'&', '|'}) {
        size_t at = e.find(op);
        if (at == std::string::npos) continue;
        int32_t left = EvaluateExpression(e.substr(0, at));
        int32_t right = EvaluateExpression(e.substr(at + 1));
        return op == '&' ? (left & right) : (left | right);
    }
    return Comparison(e);
}

int32_t TTrigger::Comparison(const std::string& e)
{
    size_t at = e.find_first_of("=<>!");
    if (at == std::string::npos || at == 0) return SyntaxError("Operand missing", e);
    int32_t a = Evaluate(e.substr(0, at));
    int32_t b = Evaluate(e.substr(at + 1));
    switch (e[at]) {
    case '=': return Flag(a == b);
    case '<': return Flag(a < b);
    case '>': return Flag(a > b);
    default: return Flag(a != b);
    }
}

bool TTrigger::EvaluateCondition(const std::string& condition)
{
    return EvaluateExpression(UpperText(condition)) == 1;
}

// ---------------------------------------------------------------- triggers
TTriggerGame::TTriggerGame(std::function<double()> now) : TTrigger("Game")
{
    AddVariable("WIN", [] {
        if (!Session) return 0;
        TTeam us = LocalTeam();
        return Flag(Session->Score(us) >= 500 || Session->Score(OtherTeam(us)) <= -500);
    });
    AddVariable("HANDS.LOST", [] { return Session ? Session->HandsWon(OtherTeam(LocalTeam())) : 0; });
    AddVariable("OPPONENTS.SCORE", [] { return Session ? Session->Score(OtherTeam(LocalTeam())) : 0; });
    AddVariable("AI.PLAYSTYLE", [] { return PlayStyle(); });
    AddVariable("MULTIPLAYER", [] { return Flag(Session && Session->Players().CountHumans() > 1); });
    AddVariable("HOUR", [now] {
        double days = now ? now() : 0.0;
        double fraction = days - std::floor(days);
        return ClampInt(0, static_cast<int32_t>(fraction * 24.0), 23);
    });
}

TTriggerHand::TTriggerHand() : TTrigger("Hand")
{
    AddVariable("WIN", [] { return HandWin(); });
    AddVariable("TRUMPS", [] {
        if (!Session) return 0;
        TBid bid = Session->GetContract().bid;
        return IsMisereBid(bid) ? int32_t(SUIT_NOTRUMPS) : int32_t(bid.suit);
    });
    AddVariable("TRICKS.WON", [] { return Session ? Session->Tricks().TricksWon(LocalTeam()) : 0; });
    AddVariable("TRICKS.WON.PLAYER", [] { return Session ? TricksWonBySeat(Session->LocalSeat()) : 0; });
    AddVariable("PLAYER.NOBID", [] { return Flag(Session && Session->Bidding().BidsMade(Session->LocalSeat()) == 0); });
    AddVariable("PLAYER.OVERBID", [] { return PlayerOverbid(); });
    AddVariable("CONTRACT.WIN", [] {
        return Flag(Session && TeamOfSeat(Session->Bidding().HighBidder()) == LocalTeam());
    });
}

TTriggerTrick::TTriggerTrick() : TTrigger("Trick")
{
    AddVariable("WIN", [] {
        if (!Session || Session->Tricks().Current() < 1) return 0;
        TSeat winner = TSeat(Session->Tricks().GetTrick(Session->Tricks().Current()).winner);
        return Flag(IsSeat(winner) && TeamOfSeat(winner) == LocalTeam());
    });
}

int32_t LocalHandPoints()
{
    if (!Session) return 0;
    return MaxOf(0, Session->LastHandPoints(LocalTeam()));
}

std::vector<std::string> CheckAchievementDefinitions(const std::vector<TAchievementDef>& achievements,
                                                     const std::vector<TStatisticDef>& statistics)
{
    std::vector<std::string> faults;
    std::vector<std::unique_ptr<TTrigger>> triggers;
    triggers.push_back(std::make_unique<TTriggerGame>(nullptr));
    triggers.push_back(std::make_unique<TTriggerHand>());
    triggers.push_back(std::make_unique<TTriggerTrick>());
    auto check = [&](const std::string& what, const std::string& trigger, const std::string& condition) {
        TTrigger* found = nullptr;
        for (auto& t : triggers)
            if (t->Name() == UpperText(trigger)) found = t.get();
        if (!found) {
            faults.push_back(what + ": no trigger \"" + trigger + "\"");
            return;
        }
        // Without a session every variable reads 0, but every identifier is
        // still looked up: "&" and "|" evaluate both sides.
        found->SetErrorSink([&](const std::string& error) { faults.push_back(what + ": " + error); });
        found->EvaluateCondition(condition);
        found->SetErrorSink(nullptr);
    };
    std::vector<int32_t> ids;
    for (const TAchievementDef& a : achievements) {
        std::string what = "achievement " + std::to_string(a.id);
        if (std::find(ids.begin(), ids.end(), a.id) != ids.end()) faults.push_back(what + ": id used twice");
        ids.push_back(a.id);
        if (a.target < 1) faults.push_back(what + ": target below 1");
        if (UpperText(a.condition) == "@STATISTIC") {
            bool known = false;
            for (const TStatisticDef& s : statistics) known = known || SameText(s.name, a.statistic);
            if (!known) faults.push_back(what + ": no statistic \"" + a.statistic + "\"");
        } else {
            check(what, a.trigger, a.condition);
        }
    }
    std::vector<std::string> names;
    for (const TStatisticDef& s : statistics) {
        std::string what = "statistic \"" + s.name + "\"";
        if (std::find(names.begin(), names.end(), LowerText(s.name)) != names.end())
            faults.push_back(what + ": name used twice");
        names.push_back(LowerText(s.name));
        check(what, s.trigger, UpperText(s.condition) == "$POINTS_FUNCTION" ? std::string() : s.condition);
    }
    return faults;
}
