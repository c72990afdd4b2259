#include "qz7netsession.h"

#include "osRandom.h"

#include <algorithm>

void WriteIdentity(TQZNetWriter& w, const TQZIdentity& identity)
{
    const size_t length = std::min(identity.name.size(), kIdentityTextMax);
    w.U8(uint8_t(length));
    w.Bytes(reinterpret_cast<const uint8_t*>(identity.name.data()), length);
    w.Zero(kIdentityTextMax - length);
    w.Bytes(identity.guid.data(), identity.guid.size());
}

TQZIdentity ReadIdentity(TQZNetReader& r)
{
    TQZIdentity identity;
    const size_t length = std::min<size_t>(r.U8(), kIdentityTextMax);
    TQZByteArray text = r.Bytes(kIdentityTextMax);
    if (text.size() == kIdentityTextMax) identity.name.assign(text.begin(), text.begin() + ptrdiff_t(length));
    TQZByteArray guid = r.Bytes(16);
    if (guid.size() == 16) std::copy(guid.begin(), guid.end(), identity.guid.begin());
    return identity;
}

TQZIdentity MakeIdentity(const std::string& name)
{
    TQZIdentity identity;
    identity.name = name.substr(0, kIdentityTextMax);
    for (size_t i = 0; i < identity.guid.size(); i += 4) {
        const uint32_t v = plat::os::SystemRandom32();
        for (size_t k = 0; k < 4; ++k) identity.guid[i + k] = uint8_t(v >> (8 * k));
    }
    return identity;
}

std::string FalconStateName(TQZFalconState state)
{
    switch (state) {
    case FS_DISCONNECTED: return "Disconnected";
    case FS_HOST_READY: return "Listening (Host)";
    case FS_HOST_CONNECTED: return "Connected (Host)";
    case FS_CLIENT_CONNECTING: return "Connecting";
    case FS_CLIENT_CONNECTED: return "Connected";
    case FS_SEARCH_HOST: return "Searching (Host)";
    case FS_SEARCH_CLIENT: return "Searching (Outbound)";
    }
    return "Unknown";
}
