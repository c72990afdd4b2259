// The Images capability: keeps the avatar images the Players capability asks
// for, each fetched from the client once. Main thread only.
#pragma once

#include "qz7steamcap.h"

#include <map>
#include <vector>

struct TQZSteamImage {
    int32_t id = 0;
    uint32_t width = 0, height = 0;
    std::vector<uint8_t> rgba;
};

class TQZSteamCapImages : public TQZSteamCapability {
public:
    explicit TQZSteamCapImages(TQZSteamOwner* owner) : TQZSteamCapability(owner, "Images") {}

    // The image, fetched on first request; none when the client has none.
    const TQZSteamImage* Fetch(int32_t id);
    const TQZSteamImage* Find(int32_t id) const;
    size_t Count() const { return images_.size(); }

private:
    std::map<int32_t, TQZSteamImage> images_;
};
