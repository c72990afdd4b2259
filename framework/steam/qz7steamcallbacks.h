// The Callbacks capability: callbacks are pumped by hand once a frame and
// routed to the handler waiting for each. A handler is only called with data
// at least as long as what it expects; shorter data is logged and dropped.
//
// Threads: RunFrame and every handler run on the thread that calls RunFrame
// (the main loop); handlers may be set from any thread.
#pragma once

#include "qz7steamcap.h"

#include <cstring>
#include <functional>
#include <mutex>
#include <vector>

using TQZSteamHandler = std::function<void(const uint8_t* data, uint32_t size)>;

class TQZSteamCapCallbacks : public TQZSteamCapability {
public:
    explicit TQZSteamCapCallbacks(TQZSteamOwner* owner);

    // Ids with a fixed slot; any other id goes through the registration table.
    static bool HasSlot(int32_t id);
    // Sets (or, with an empty handler, clears) a fixed slot; the data must be
    // at least expected bytes long. False for an id without a slot.
    bool SetSlot(int32_t id, TQZSteamHandler handler, uint32_t expected);
    // The same with the record the id carries, read from the data.
    template <class T> bool SetSlotFor(int32_t id, std::function<void(const T&)> handler)
    {
        if (!handler) return SetSlot(id, nullptr, sizeof(T));
        return SetSlot(id, [handler](const uint8_t* data, uint32_t) { handler(ReadRecord<T>(data)); }, sizeof(T));
    }
    void Register(int32_t id, TQZSteamHandler handler, uint32_t expected);
    void RegisterAPICall(uint64_t call, TQZSteamHandler handler, uint32_t expected);
    size_t PendingAPICalls();

    // Pulls every callback the client has and dispatches each.
    void RunFrame();
    void Dispatch(int32_t id, const uint8_t* data, uint32_t size);

    template <class T> static T ReadRecord(const uint8_t* data)
    {
        T record;
        std::memcpy(&record, data, sizeof(T));
        return record;
    }

private:
    struct TEntry {
        int32_t id = 0;
        TQZSteamHandler handler;
        uint32_t expected = 0;
    };
    struct TCall {
        uint64_t call = 0;
        TQZSteamHandler handler;
        uint32_t expected = 0;
    };
    void DispatchAPI(const uint8_t* data, uint32_t size);
    // Calls the handler when the size will do; logs a mismatch either way.
    void Deliver(const TEntry& entry, const uint8_t* data, uint32_t size);

    std::mutex lock_;
    std::vector<TEntry> slots_;
    std::vector<TEntry> registered_;
    std::vector<TCall> calls_;
};
