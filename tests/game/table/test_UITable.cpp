#include "UITable.h"

#include "UIButton.h"
#include "coreGameDiagnostics.h"
#include "mgrStates.h"
#include "osClock.h"

#include <gtest/gtest.h>

namespace {

std::vector<int32_t>* heard = nullptr;

class TScreen : public TState {
public:
    void HandleEvent(int32_t id) override { heard->push_back(id); }
};

// A screen that never makes a window, as the minimised one.
class TWindowless : public TState {
public:
    void Enter(TState*, int32_t) override {}
};

// The root hears what the table does not pass on to a screen.
class TRecordingRoot : public TGUIWindow {
public:
    using TGUIWindow::TGUIWindow;
    void HandleCommand(TGUIWindow* sender, int32_t id) override
    {
        (void)sender;
        heard->push_back(-id);
    }
};

class TableTest : public ::testing::Test {
protected:
    uint32_t ms = 1000;
    std::vector<int32_t> events;
    TGUIWindowPtr<TRecordingRoot> root = NewRootWindow<TRecordingRoot>(TQZRect{0, 0, 640, 480}, nullptr, 0);
    TGUIWindow* layout = nullptr;
    TUITable* table = nullptr;
    std::unique_ptr<TStateEngine> engine;

    void SetUp() override
    {
        plat::os::SetClockSource([this] { return uint64_t(ms) * 1000000ull; });
        heard = &events;
        table = NewWindow<TUITable>(root.get());
        layout = NewWindow<TGUIWindow>(TQZRect{0, 0, 640, 480}, root.get(), 0);
    }
    void TearDown() override
    {
        if (engine) engine->Clear();
        root.reset();
        engine.reset();
        StateEngine = nullptr;
        heard = nullptr;
        plat::os::SetClockSource(nullptr);
    }
    void StartEngine()
    {
        engine = std::make_unique<TStateEngine>();
        engine->Initialize();
        engine->SetWindows(root.get(), layout);
        engine->frameTime = [] { return 16u; };
        engine->windowMinimised = [] { return false; };
        engine->windowQuitting = [] { return false; };
        StateEngine = engine.get();
    }
    // Escape, then frames until the delayed click and its command are through.
    void PressEscape()
    {
        root->DispatchKey(27);
        for (int i = 0; i < 4; ++i) {
            ms += 30;
            root->UpdateTree();
        }
    }
};

TEST_F(TableTest, EscapeSendsMenuFromTheButtonToTheCurrentScreen)
{
    StartEngine();
    engine->PushState(std::make_unique<TScreen>(), false);
    PressEscape();
    EXPECT_EQ((std::vector<int32_t>{GUICMD_BACK}), events);
    EXPECT_EQ(0, table->QueuedCommandCount());
}

TEST_F(TableTest, WithoutAScreenWindowTheMenuCommandStaysWithTheTable)
{
    PressEscape();  // no state engine yet
    StartEngine();
    engine->PushState(std::make_unique<TWindowless>(), false);
    PressEscape();  // a screen without a window
    // Both went the table's own way (on to its parent), none to a screen.
    EXPECT_EQ((std::vector<int32_t>{-GUICMD_BACK, -GUICMD_BACK}), events);
}

TEST_F(TableTest, ArrangeCoversTheParentAndRestoresTheCredit)
{
    root->SetRect({0, 0, 1280, 800});
    table->credit = "x";
    EXPECT_TRUE(table->Arrange());
    EXPECT_EQ((TQZRect{0, 0, 1280, 800}), table->GetRect());
    EXPECT_EQ(std::string("Version 1.90 Release"), table->credit);
}

}  // namespace
