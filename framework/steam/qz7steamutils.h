// The Utils capability: the application id and the client's own settings.
#pragma once

#include "qz7steamcap.h"

class TQZSteamCapUtils : public TQZSteamCapability {
public:
    explicit TQZSteamCapUtils(TQZSteamOwner* owner) : TQZSteamCapability(owner, "Utils") {}

    uint32_t AppID() { return Api() ? Api()->GetAppId() : 0; }
    void SetNotificationPosition(int32_t position)
    {
        if (Api()) Api()->SetNotificationPosition(position);
    }
};
