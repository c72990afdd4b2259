// What the session and its admin channel both speak of: a peer's identity
// (the 48-byte record on the wire) and the session's states.
#pragma once

#include "qz7nettypes.h"

#include <array>
#include <string>

constexpr size_t kIdentitySize = 48;
constexpr size_t kIdentityTextMax = 31;

struct TQZIdentity {
    std::string name;  // at most 31 characters
    std::array<uint8_t, 16> guid{};
    // Two identities are the same peer when their GUIDs are equal.
    bool SamePeer(const TQZIdentity& other) const { return guid == other.guid; }
};
void WriteIdentity(TQZNetWriter& w, const TQZIdentity& identity);
// Reads the 48-byte record; a length byte over 31 is clamped.
TQZIdentity ReadIdentity(TQZNetReader& r);
TQZIdentity MakeIdentity(const std::string& name);

enum TQZFalconState {
    FS_DISCONNECTED = 0,
    FS_HOST_READY = 1,
    FS_HOST_CONNECTED = 2,
    FS_CLIENT_CONNECTING = 3,
    FS_CLIENT_CONNECTED = 4,
    FS_SEARCH_HOST = 5,
    FS_SEARCH_CLIENT = 6
};
std::string FalconStateName(TQZFalconState state);
