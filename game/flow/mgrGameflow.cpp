#include "mgrGameflow.h"

#include "clCardset.h"
#include "clShellLinks.h"
#include "coreGameDiagnostics.h"
#include "mgrAudio.h"
#include "mgrSession.h"
#include "mgrSettings.h"
#include "qz7files.h"


TGameflow* Gameflow = nullptr;

void RegisterGameflowManager()
{
    RegisterManagerClass<TGameflow, &Gameflow>(MGR_GAMEFLOW, DomainBit(MGR_SESSION), "Game flow control");
}

namespace {
std::string EventName(const std::string& name) { return name.substr(0, kEventNameLength); }

// The order the screens are registered in.
constexpr int32_t kRegistrationOrder[] = {1, 2, 3, 5, 6, 7, 8, 9, 10, 11, 12, 4, 17, 14, 15, 16, 18, 20};
}  // namespace

int32_t SeatRotation(TSeat localSeat)
{
    static constexpr int32_t rotation[4] = {0, 3, 2, 1};
    return IsSeat(localSeat) ? rotation[localSeat - 1] : 0;
}

void SetTableCaption(const std::string& text)
{
    if (Gameflow) Gameflow->Trigger("TABLE_CAPTION", std::make_unique<TEventStringWrapper>(text));
}

void TGameflow::Initialize() { table_.clear(); }

void TGameflow::Subscribe(const std::string& name, TGameEventHandler handler)
{
    const std::string key = EventName(name);
    for (const TSubscription& s : table_)
        if (s.kind == 0 && s.name == key && s.objectHandler.SameMethod(handler)) return;
    table_.push_back({key, 0, handler, {}});
}

void TGameflow::SubscribeText(const std::string& name, TGameTextHandler handler)
{
    const std::string key = EventName(name);
    for (const TSubscription& s : table_)
        if (s.kind == 1 && s.name == key && s.textHandler.SameMethod(handler)) return;
    table_.push_back({key, 1, {}, handler});
}

void TGameflow::Unsubscribe(const std::string& name, TGameEventHandler handler)
{
    const std::string key = EventName(name);
    std::erase_if(table_, [&](const TSubscription& s) {
        return s.kind == 0 && s.name == key && s.objectHandler == handler;
    });
}

void TGameflow::UnsubscribeText(const std::string& name, TGameTextHandler handler)
{
    const std::string key = EventName(name);
    std::erase_if(table_, [&](const TSubscription& s) {
        return s.kind == 1 && s.name == key && s.textHandler == handler;
    });
}

void TGameflow::Dispatch(const std::string& name, TQZClass* payload)
{
    AdminLog("EVENT TRIGGERED: " + name);
    const std::string key = EventName(name);
    // Handlers may subscribe or unsubscribe while this runs.
    const std::vector<TSubscription> copy = table_;
    const auto* text = dynamic_cast<TEventStringWrapper*>(payload);
    for (const TSubscription& s : copy) {
        if (s.name != key) continue;
        if (s.kind == 0)
            s.objectHandler(payload);
        else
            s.textHandler(text ? text->text : std::string());
    }
}

void TGameflow::Trigger(const std::string& name, TQZClass* payload) { Dispatch(name, payload); }

void TGameflow::Trigger(const std::string& name, std::unique_ptr<TEventStringWrapper> payload)
{
    Dispatch(name, payload.get());
}

void TGameflow::TriggerTutorial(const std::string& name, int32_t number)
{
    Trigger("TUTORIAL", std::make_unique<TEventStringWrapper>(name + " " + std::to_string(number)));
}

void TGameflow::RegisterStates(const TStateClassTable& table)
{
    if (!StateEngine) return;
    for (int32_t id : kRegistrationOrder)
        if (table.classes[id]) (void)StateEngine->RegisterState(id, table.classes[id]);  // the table's ids are in range
}

void TGameflow::SetViewSeat()
{
    if (!Session) return;
    TSessionPlayer* local = Session->Players().LocalPlayer();
    Session->SetViewRotation(local ? SeatRotation(local->SeatId()) : 0);
}

void TGameflow::ResetForNewGame()
{
    if (!Session) return;
    Session->Players().Reset();
    SetViewSeat();
    if (StateEngine) StateEngine->PopUntil(STATE_MENU);
    Session->NewGame(TSeat(RandomBetween(1, 4)));
}

void TGameflow::NewGame(bool keep)
{
    if (!Session) return;
    if (Session->Governor().Authority())
        Session->Governor().Submit(std::make_unique<TActionNewGame>(TSeat(RandomBetween(1, 4))));
    // A refusal (no game screen registered, as in the editor) is logged inside.
    if (StateEngine && StateEngine->CurrentId() != STATE_GAME) (void)StateEngine->PushById(STATE_GAME, keep, 0);
    if (!IsMultiplayerActive()) {
        Session->Players().Reset();
        SetViewSeat();
    }
}

void TGameflow::NewHand()
{
    if (!Session || !Session->Governor().Authority()) return;
    TCardset deck;
    deck.FillDeck();
    deck.Shuffle();
    Session->Governor().Submit(std::make_unique<TActionNewHand>(deck.ToText()));
}

void TGameflow::Discard(TCard card, TSeat seat)
{
    if (Session) Session->Governor().Submit(std::make_unique<TActionDiscard>(seat, card));
}

void TGameflow::PlayCard(TCard card, TSeat seat)
{
    if (Session) Session->Governor().Submit(std::make_unique<TActionPlaycard>(seat, card));
}

void TGameflow::ContinueGame(TSeat seat)
{
    if (!Session) return;
    TSessionPlayer* player = Session->Players().GetPlayer(seat);
    if (!player || player->Continued()) return;
    Session->Governor().Submit(std::make_unique<TActionContinue>(seat));
}

bool TGameflow::SaveGame()
{
    if (!Session) return true;
    const std::string file = UserFolder() + "Savedgame.txt";
    saveFailed_ = false;
    if (Session->GameInProgress() && !IsMultiplayerActive()) {
        AdminLog("Saving game");
        saveFailed_ = !Session->SaveGame(file);
        if (saveFailed_) AdminLog("The game could not be saved to " + file);
    } else {
        AdminLog("Saved game data deleted");
        // A saved game left behind would be resumed at the next start.
        saveFailed_ = IsFile(file) && RemoveFile(file) != 0;
        if (saveFailed_) AdminLog("The saved game could not be deleted: " + file);
    }
    return !saveFailed_;
}

void TGameflow::LoadGame()
{
    if (!Session) return;
    const std::string file = UserFolder() + "Savedgame.txt";
    if (!IsFile(file)) return;
    AdminLog("Loading saved game");
    // A file that does not load says why itself and leaves the session as it was.
    (void)Session->LoadGame(file);
}

void TGameflow::PlayMultiplayerAlert()
{
    if (Audio && SettingBool("Audio.Multiplayer.Alert") && IsMultiplayerActive()) Audio->PlaySound(7, false);
}
