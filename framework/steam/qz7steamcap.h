// A capability of the Steam layer: a thin, logging layer over one part of
// the service client. The layer owns its capabilities and is reached through
// the small owner interface below, so capabilities need nothing of it.
#pragma once

#include "qz7core.h"
#include "swClient.h"

#include <string>

class TQZSteamOwner {
public:
    virtual ~TQZSteamOwner() = default;
    virtual void Log(const std::string& text) = 0;
    virtual plat::steamworks::Client* Client() = 0;
};

class TQZSteamCapability : public TQZClass {
public:
    TQZSteamCapability(TQZSteamOwner* owner, const std::string& name);

    // Runs once every capability exists; the base only logs.
    virtual void PostCreate();
    // name + ": " + text to the owner's log.
    void Log(const std::string& text);
    const std::string& Name() const { return name_; }

protected:
    plat::steamworks::Client* Api() { return api_; }

private:
    TQZSteamOwner* owner_;
    std::string name_;
    plat::steamworks::Client* api_;
};

// A user id as text: its decimal form.
inline std::string SteamIdText(uint64_t id) { return std::to_string(id); }
// Reads a decimal user id; false for anything else, for 0 and for a value
// beyond 64 bits.
bool ParseSteamId(const std::string& text, uint64_t& id);
// A name from a fixed record field that may lack its terminator.
template <size_t N> std::string SteamFieldText(const char (&field)[N])
{
    size_t length = 0;
    while (length < N && field[length]) ++length;
    return std::string(field, length);
}
