// A session with its own settings and timers and a settable screen id, made
// the game's globals while a test runs, without any shell or video: the one
// setup the table tests' fixtures share.
#pragma once

#include "clShellLinks.h"
#include "mgrSession.h"
#include "mgrSettings.h"
#include "mgrTimers.h"
#include "qz7kvdata.h"

#include <cstdint>
#include <memory>

namespace tablerig {

class TTestScreen : public TScreenLink {
public:
    int32_t CurrentStateId() const override { return id; }
    int32_t id = 0;
};

struct TSessionRig {
    void InstallSession(uint32_t seed)
    {
        SeedRandom(seed);
        Settings = &settings;
        timers.Initialize();
        Timers = &timers;
        SetScreenLink(&screen);
        session = std::make_unique<TSession>();
        session->Initialize();
        Session = session.get();
    }
    void RemoveSession()
    {
        Session = nullptr;
        session.reset();
        SetScreenLink(nullptr);
        Timers = nullptr;
        Settings = nullptr;
    }
    TSession& S() { return *session; }

    TQZKeyValue settings;
    TTimers timers;
    TTestScreen screen;
    std::unique_ptr<TSession> session;
};

}  // namespace tablerig
