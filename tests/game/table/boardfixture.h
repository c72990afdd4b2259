// A session with its own settings and timers, without any shell or video:
// the table widgets read it as they do in the game.
#pragma once

#include "arcqz7gui.h"
#include "sessionrig.h"

#include <gtest/gtest.h>

#include <memory>

namespace boardtest {

using tablerig::TTestScreen;

class TableSessionTest : public ::testing::Test, protected tablerig::TSessionRig {
protected:
    void SetUp() override { InstallSession(7); }
    void TearDown() override
    {
        root.reset();
        RemoveSession();
    }
    // A root of the given size for the widgets under test.
    TGUIWindow* Root(int32_t width, int32_t height)
    {
        root = NewRootWindow<TGUIWindow>(TQZRect{0, 0, width, height}, nullptr, 0);
        return root.get();
    }

    TGUIWindowPtr<TGUIWindow> root;
};

}  // namespace boardtest
