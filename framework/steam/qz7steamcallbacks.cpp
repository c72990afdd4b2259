#include "qz7steamcallbacks.h"

#include <algorithm>
#include <array>

namespace sw = plat::steamworks;

namespace {

constexpr std::array<int32_t, 15> kSlotIds = {
    sw::kCbPersonaChanged,    sw::kCbOverlayActivated, sw::kCbLobbyJoinRequested, sw::kCbAvatarLoaded,
    sw::kCbLobbyInvite,       sw::kCbLobbyEnter,       sw::kCbLobbyDataUpdate,    sw::kCbLobbyRoomUpdate,
    sw::kCbLobbyRemoved,      sw::kCbStatsReceived,    sw::kCbStatsStored,        sw::kCbAchievementStored,
    sw::kCbAchievementIcon,   sw::kCbSessionRequest,   sw::kCbSessionFailed};

std::string MismatchLine(int32_t id, uint32_t size, uint32_t expected)
{
    return "DispatchCallback: KID=" + std::to_string(id) + ", datasize=" + std::to_string(size) +
           " doesn't match expected=" + std::to_string(expected);
}

}  // namespace

TQZSteamCapCallbacks::TQZSteamCapCallbacks(TQZSteamOwner* owner) : TQZSteamCapability(owner, "Callbacks")
{
    for (int32_t id : kSlotIds) slots_.push_back(TEntry{id, nullptr, 0});
    // False only when signed out: then no callback comes to be dispatched.
    if (Api()) (void)Api()->ManualDispatchInit();
}

bool TQZSteamCapCallbacks::HasSlot(int32_t id)
{
    return std::find(kSlotIds.begin(), kSlotIds.end(), id) != kSlotIds.end();
}

bool TQZSteamCapCallbacks::SetSlot(int32_t id, TQZSteamHandler handler, uint32_t expected)
{
    std::lock_guard<std::mutex> guard(lock_);
    for (auto& slot : slots_)
        if (slot.id == id) {
            slot.handler = std::move(handler);
            slot.expected = expected;
            return true;
        }
    return false;
}

void TQZSteamCapCallbacks::Register(int32_t id, TQZSteamHandler handler, uint32_t expected)
{
    std::lock_guard<std::mutex> guard(lock_);
    registered_.push_back(TEntry{id, std::move(handler), expected});
}

void TQZSteamCapCallbacks::RegisterAPICall(uint64_t call, TQZSteamHandler handler, uint32_t expected)
{
    std::lock_guard<std::mutex> guard(lock_);
    calls_.push_back(TCall{call, std::move(handler), expected});
}

size_t TQZSteamCapCallbacks::PendingAPICalls()
{
    std::lock_guard<std::mutex> guard(lock_);
    return calls_.size();
}

void TQZSteamCapCallbacks::RunFrame()
{
    sw::Client* api = Api();
    if (!api) return;
    const sw::Pipe pipe = api->GetPipe();
    api->RunFrame(pipe);
    sw::CallbackView view;
    while (api->NextCallback(pipe, view)) {
        // The data belongs to the client until it is freed, so a handler
        // that pumps again cannot pull it from under this one.
        const std::vector<uint8_t> data(view.data, view.data + view.size);
        api->FreeLastCallback(pipe);
        Dispatch(view.id, data.data(), uint32_t(data.size()));
    }
}

void TQZSteamCapCallbacks::Deliver(const TEntry& entry, const uint8_t* data, uint32_t size)
{
    if (size < entry.expected) {
        // Reading a record from shorter data would run past its end.
        Log(MismatchLine(entry.id, size, entry.expected));
        return;
    }
    entry.handler(data, size);
}

void TQZSteamCapCallbacks::Dispatch(int32_t id, const uint8_t* data, uint32_t size)
{
    if (id == sw::kCbCallCompleted) {
        DispatchAPI(data, size);
        return;
    }
    if (id == sw::kCbLobbyList || id == sw::kCbLobbyCreated) return;
    TEntry entry;
    const bool fixed = HasSlot(id);
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (fixed) {
            for (const auto& slot : slots_)
                if (slot.id == id) entry = slot;
        } else {
            auto it = std::find_if(registered_.begin(), registered_.end(), [&](const TEntry& e) { return e.id == id; });
            if (it == registered_.end()) return;
            entry = *it;
        }
    }
    // Longer data is only worth a line; shorter data is refused in Deliver.
    if (!fixed && size > entry.expected) Log(MismatchLine(id, size, entry.expected));
    if (entry.handler) Deliver(entry, data, size);
}

void TQZSteamCapCallbacks::DispatchAPI(const uint8_t* data, uint32_t size)
{
    if (size < sizeof(sw::CallCompleted)) {
        Log(MismatchLine(sw::kCbCallCompleted, size, uint32_t(sizeof(sw::CallCompleted))));
        return;
    }
    const auto done = ReadRecord<sw::CallCompleted>(data);
    std::vector<uint8_t> result(done.size);
    bool failed = false;
    if (!Api()->GetCallResult(Api()->GetPipe(), done.call, result.data(), done.size, done.callbackId, failed)) return;
    TCall call;
    {
        std::lock_guard<std::mutex> guard(lock_);
        auto it = std::find_if(calls_.begin(), calls_.end(), [&](const TCall& c) { return c.call == done.call; });
        if (it == calls_.end()) {
            Log("DispatchAPI: " + std::to_string(done.call) + ", KID=" + std::to_string(done.callbackId) +
                ", datasize=" + std::to_string(done.size) + " = No callback found");
            return;
        }
        call = std::move(*it);
        calls_.erase(it);
    }
    if (done.size != call.expected)
        Log("WARNING: APIResult Data Size (" + std::to_string(done.size) + ") compared to handler function expected size (" +
            std::to_string(call.expected) + ")");
    if (done.size < call.expected) return;
    if (call.handler) call.handler(result.data(), done.size);
}
