// A session with its own settings and timers, without any shell or video:
// the table widgets read it as they do in the game.
#pragma once

#include "arcqz7gui.h"
#include "clShellLinks.h"
#include "mgrSession.h"
#include "mgrSettings.h"
#include "mgrTimers.h"
#include "qz7kvdata.h"

#include <gtest/gtest.h>

#include <memory>

namespace boardtest {

class TTestScreen : public TScreenLink {
public:
    int32_t CurrentStateId() const override { return id; }
    int32_t id = 0;
};

class TableSessionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SeedRandom(7);
        Settings = &settings;
        timers.Initialize();
        Timers = &timers;
        SetScreenLink(&screen);
        session = std::make_unique<TSession>();
        session->Initialize();
        Session = session.get();
    }
    void TearDown() override
    {
        root.reset();
        Session = nullptr;
        session.reset();
        SetScreenLink(nullptr);
        Timers = nullptr;
        Settings = nullptr;
    }
    TSession& S() { return *session; }
    // A root of the given size for the widgets under test.
    TGUIWindow* Root(int32_t width, int32_t height)
    {
        root = NewRootWindow<TGUIWindow>(TQZRect{0, 0, width, height}, nullptr, 0);
        return root.get();
    }

    TQZKeyValue settings;
    TTimers timers;
    TTestScreen screen;
    std::unique_ptr<TSession> session;
    TGUIWindowPtr<TGUIWindow> root;
};

}  // namespace boardtest
