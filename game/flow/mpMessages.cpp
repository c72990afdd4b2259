#include "mpMessages.h"

void TMPMsgHandlers::Register(int32_t id, TMPMsgMethod method) { entries_.push_back({id, method, {}}); }

void TMPMsgHandlers::Register(int32_t id, TMPMsgFunction function) { entries_.push_back({id, {}, std::move(function)}); }

void TMPMsgHandlers::Unregister(int32_t id, TMPMsgMethod method)
{
    for (size_t i = entries_.size(); i-- > 0;) {
        const TEntry& e = entries_[i];
        if (e.id == id && e.method && e.method.SameMethod(method)) {
            entries_.erase(entries_.begin() + ptrdiff_t(i));
            return;
        }
    }
}

void TMPMsgHandlers::Dispatch(int32_t id, uint8_t partyId, const std::vector<uint8_t>& body) const
{
    const std::vector<TEntry> copy = entries_;
    for (const TEntry& e : copy) {
        if (e.id != id) continue;
        if (e.method) e.method(partyId, body);
        else if (e.function) e.function(partyId, body);
    }
}

int32_t TMPMsgHandlers::Count(int32_t id) const
{
    int32_t n = 0;
    for (const TEntry& e : entries_) n += e.id == id ? 1 : 0;
    return n;
}

std::vector<uint8_t> PrependMessageID(int32_t id, const std::vector<uint8_t>& body)
{
    std::vector<uint8_t> out;
    out.reserve(body.size() + 4);
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(uint32_t(id) >> (8 * i)));
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

bool SplitMessageID(const std::vector<uint8_t>& message, int32_t& id, std::vector<uint8_t>& body)
{
    if (message.size() < 4) return false;
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= uint32_t(message[size_t(i)]) << (8 * i);
    id = int32_t(v);
    body.assign(message.begin() + 4, message.end());
    return true;
}
