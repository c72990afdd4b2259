#include "qz7steamcap.h"

#include <charconv>

TQZSteamCapability::TQZSteamCapability(TQZSteamOwner* owner, const std::string& name)
    : owner_(owner), name_(name), api_(owner ? owner->Client() : nullptr)
{
}

void TQZSteamCapability::PostCreate()
{
    Log(name_ + ".PostCreate");
}

void TQZSteamCapability::Log(const std::string& text)
{
    if (owner_) owner_->Log(name_ + ": " + text);
}

bool ParseSteamId(const std::string& text, uint64_t& id)
{
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) return false;
    uint64_t value = 0;
    const char* end = text.data() + text.size();
    auto [p, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || p != end || value == 0) return false;
    id = value;
    return true;
}
