#include "sessionGovernor.h"

#include "qz7memory.h"
#include "clShellLinks.h"
#include "coreGameDiagnostics.h"
#include "mgrSettings.h"


std::string ActionTypeName(TGovernActionType type)
{
    static const char* const kNames[] = {"ACTION_NULL",    "ACTION_NEWGAME",  "ACTION_NEWHAND", "ACTION_BID",
                                         "ACTION_DISCARD", "ACTION_PLAYCARD", "ACTION_CONTINUE"};
    return type >= 0 && type <= 6 ? kNames[type] : "ACTION_" + std::to_string(int32_t(type));
}

// ---------------------------------------------------------------- governor
void TSessionGovernor::Submit(std::unique_ptr<TGovernAction> action)
{
    if (!action) return;
    if (IsMultiplayerActive() && !MultiplayerLink().IsHost()) {
        MultiplayerLink().SubmitAction(*action);
        return;
    }
    Enqueue(std::move(action));
}

void TSessionGovernor::Enqueue(std::unique_ptr<TGovernAction> action, bool fromHost)
{
    if (!action) return;
    if (fromHost) {
        action->SetDecided();
    } else if (!action->Acceptable(session_)) {
        if (action->Origin() != 0) Refuse(*action, "not acceptable now");
        return;
    }
    queue_.push_back(std::move(action));
}

void TSessionGovernor::Refuse(const TGovernAction& action, const std::string& reason)
{
    const std::string line = "Dropped: " + action.Describe(session_) + " (" + reason + ")";
    // Another player's requests can come as a flood.
    if (action.Origin() != 0) MultiplayerLink().LogRefusal(action.Origin(), line);
    else AdminLog(line);
    if (action.Origin() != 0 && IsMultiplayerHost())
        MultiplayerLink().SendToPlayer(action.Origin(), GAMEMSG_ACTION_REFUSED, PackRefusal(action, reason));
}

std::vector<uint8_t> PackRefusal(const TGovernAction& action, const std::string& reason)
{
    TQZBytesStream stream;
    WriteStreamString(stream, reason);
    const std::vector<uint8_t> bytes = action.SaveTo();
    WriteStreamBuffer(stream, bytes.data(), int64_t(bytes.size()));
    return stream.Bytes();
}

bool UnpackRefusal(const std::vector<uint8_t>& bytes, std::string& reason, std::unique_ptr<TGovernAction>& action)
{
    TQZBytesStream stream(bytes);
    try {
        reason = ReadStreamString(stream);
    } catch (const EQZReadError&) {
        return false;
    }
    const size_t used = size_t(stream.Position());
    action = TSessionGovernor::DecodeGovernAction(std::vector<uint8_t>(bytes.begin() + ptrdiff_t(used), bytes.end()));
    return action != nullptr;
}

void TSessionGovernor::ProcessQueue()
{
    while (!queue_.empty()) {
        TGovernAction* head = queue_.front().get();
        if (!head->IsReady(session_)) {
            if (!head->IsStale(session_)) return;
            std::unique_ptr<TGovernAction> stale = std::move(queue_.front());
            queue_.pop_front();
            Refuse(*stale, "out of turn");
            continue;
        }
        std::unique_ptr<TGovernAction> action = std::move(queue_.front());
        queue_.pop_front();
        if (!action->Decided() && !action->IsLegal(session_)) {
            Refuse(*action, "not legal");
            continue;
        }
        if (IsMultiplayerHost()) MultiplayerLink().BroadcastAction(*action);
        action->Execute(session_);
        std::vector<TGovernListener> listeners = listeners_;
        for (const auto& l : listeners) l(action.get());
    }
}

void TSessionGovernor::RemoveActions(TGovernActionType type)
{
    for (auto it = queue_.begin(); it != queue_.end();) {
        if (type == ACTION_NULL || (*it)->Type() == type) it = queue_.erase(it);
        else ++it;
    }
}

int32_t TSessionGovernor::CountActions(TGovernActionType type) const
{
    int32_t n = 0;
    for (const auto& a : queue_) n += a->Type() == type ? 1 : 0;
    return n;
}

int32_t TSessionGovernor::CountActions(TGovernActionType type, TSeat seat) const
{
    int32_t n = 0;
    for (const auto& a : queue_) n += (a->Type() == type && a->Seat() == seat) ? 1 : 0;
    return n;
}

bool TSessionGovernor::IsQueued(const TGovernAction& action) const
{
    for (const auto& a : queue_)
        if (a.get() != &action && a->Type() == action.Type() && action.SameAs(*a)) return true;
    return false;
}

void TSessionGovernor::AddListener(TGovernListener listener) { listeners_.push_back(listener); }

void TSessionGovernor::RemoveListener(TGovernListener listener)
{
    std::erase_if(listeners_, [&](const TGovernListener& l) { return l == listener; });
}

void TSessionGovernor::RegisterHandlers()
{
    MultiplayerLink().RegisterHandler(GAMEMSG_ACTION_SUBMITTED,
                                      [this](const std::vector<uint8_t>& b, int32_t sender) { OnClientAction(b, sender); });
    MultiplayerLink().RegisterHandler(GAMEMSG_ACTION_BROADCAST,
                                      [this](const std::vector<uint8_t>& b, int32_t) { OnHostBroadcast(b); });
}

void TSessionGovernor::OnClientAction(const std::vector<uint8_t>& bytes, int32_t senderPartyId)
{
    std::unique_ptr<TGovernAction> action = DecodeGovernAction(bytes);
    if (!action) return;
    // Only the host starts games and deals, whatever seat a new game names.
    action->SetOrigin(senderPartyId);
    if (action->Type() == ACTION_NEWGAME || action->Type() == ACTION_NEWHAND) {
        Refuse(*action, "only the host starts games and deals");
        return;
    }
    if (!action->SentBySeatOwner(session_, senderPartyId)) {
        Refuse(*action, "party " + std::to_string(senderPartyId) + " does not own seat " + std::to_string(action->Seat()));
        return;
    }
    Submit(std::move(action));
}

void TSessionGovernor::OnHostBroadcast(const std::vector<uint8_t>& bytes)
{
    if (std::unique_ptr<TGovernAction> action = DecodeGovernAction(bytes)) Enqueue(std::move(action), true);
}

std::unique_ptr<TGovernAction> TSessionGovernor::DecodeGovernAction(const std::vector<uint8_t>& bytes)
{
    std::unique_ptr<TGovernAction> action;
    try {
        TGovernAction probe(ACTION_NULL, 0);
        probe.LoadFrom(bytes);
        switch (probe.Type()) {
        case ACTION_NEWGAME: action = std::make_unique<TActionNewGame>(); break;
        case ACTION_NEWHAND: action = std::make_unique<TActionNewHand>(); break;
        case ACTION_BID: action = std::make_unique<TActionBid>(); break;
        case ACTION_DISCARD: action = std::make_unique<TActionDiscard>(); break;
        case ACTION_PLAYCARD: action = std::make_unique<TActionPlaycard>(); break;
        case ACTION_CONTINUE: action = std::make_unique<TActionContinue>(); break;
        default:
            AdminLog("Dropped game action of unknown type " + std::to_string(int32_t(probe.Type())));
            return nullptr;
        }
        action->LoadFrom(bytes);
    } catch (const EQZReadError&) {
        AdminLog("Dropped game action: message too short");
        return nullptr;
    }
    if (!action->HasValidFields()) {
        AdminLog("Dropped game action: bad values in " + ActionTypeName(action->Type()));
        return nullptr;
    }
    return action;
}
