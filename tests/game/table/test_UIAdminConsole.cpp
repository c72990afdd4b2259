#include "UIAdminConsole.h"

#include "UIButton.h"
#include "UIEditBox.h"
#include "UIListbox.h"
#include "coreGameDiagnostics.h"
#include "mgrServices.h"
#include "mgrSettings.h"
#include "osClock.h"
#include "qz7kvdata.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

std::vector<std::string>* executed = nullptr;

class TRecordingService : public TMicroService {
public:
    TRecordingService() : TMicroService("TRecordingService") {}
    void Execute(const std::string& arguments) override { executed->push_back(name + " [" + arguments + "]"); }
};

class ConsoleTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        plat::os::SetClockSource([this] { return uint64_t(ms) * 1000000ull; });
        executed = &calls;
        Settings = &settings;
        services.Initialize();
        services.RegisterService([] { return std::make_unique<TRecordingService>(); }, "Echo");
        ServiceManager = &services;
        SetAdminConsole(nullptr);  // empties the backlog
        AdminLog("before the console");  // waits in the backlog
        console = NewWindow<TUIAdminConsole>(root.get(), std::vector<std::string>{"/games/game", "+connect_lobby", "42"});
    }
    void TearDown() override
    {
        root.reset();
        ServiceManager = nullptr;
        Settings = nullptr;
        executed = nullptr;
        plat::os::SetClockSource(nullptr);
    }
    std::vector<std::string> Lines() const
    {
        std::vector<std::string> out;
        for (int32_t i = 0; i < console->Log()->Count(); ++i) out.push_back(console->Log()->Item(i));
        return out;
    }
    void Key(uint32_t key)
    {
        root->DispatchKey(key);
        ms += 100;  // past a button's click delay
        root->UpdateTree();
        root->UpdateTree();
    }

    uint32_t ms = 1000;
    std::vector<std::string> calls;
    TQZKeyValue settings{"settings"};
    TServiceManager services;
    TGUIWindowPtr<TGUIWindow> root = NewRootWindow<TGUIWindow>(TQZRect{0, 0, 1280, 800}, nullptr, 0);
    TUIAdminConsole* console = nullptr;
};

TEST_F(ConsoleTest, StartsWithTheBacklogAndTheLaunchParameters)
{
    const std::vector<std::string> expected = {"Clearing 1 messages.", "before the console", "Admin console initialised.",
                                               "Launch parameters=2", "   0: \"/games/game\"",
                                               "   1: \"+connect_lobby\"", "   2: \"42\""};
    EXPECT_EQ(expected, Lines());
    EXPECT_EQ((TQZRect{20, 20, 720, 320}), console->GetRect());
    AdminLog("later");
    EXPECT_EQ("later", Lines().back());
    EXPECT_EQ(console->Log()->Count() - 1, console->Log()->SelectedIndex()) << "scrolled to the newest";
}

TEST_F(ConsoleTest, ATypedInstructionReachesTheServiceManager)
{
    console->Entry()->SetFocus(true);
    for (char c : std::string("Echo.hello")) root->DispatchKey(uint8_t(c));
    root->DispatchKey(GUIKEY_ENTER);
    root->UpdateTree();
    EXPECT_EQ((std::vector<std::string>{"ECHO [hello]"}), calls);
    EXPECT_NE(Lines().end(), std::find(Lines().begin(), Lines().end(), ">> Echo.hello"));
    EXPECT_EQ("", console->Entry()->Caption());
}

TEST_F(ConsoleTest, ALineLoggedOnAnotherThreadWaitsForTheNextUpdate)
{
    const int32_t before = console->Log()->Count();
    std::thread([] { AdminLog("from the worker"); }).join();
    EXPECT_EQ(before, console->Log()->Count());
    root->UpdateTree();
    EXPECT_EQ("from the worker", Lines().back());
}

TEST_F(ConsoleTest, TheLogKeepsFiftyOneLines)
{
    for (int i = 0; i < 60; ++i) console->AddLine("line " + std::to_string(i));
    EXPECT_EQ(51, console->Log()->Count());
    EXPECT_EQ("line 9", Lines().front());
    EXPECT_EQ("line 59", Lines().back());
}

TEST_F(ConsoleTest, F11ShowsAndHidesItAndItsEntryTakesTheFocus)
{
    console->SetVisible(false);
    Key(UICONSOLE_KEY);
    EXPECT_TRUE(console->IsVisible());
    EXPECT_TRUE(console->Entry()->IsFocused());
    EXPECT_EQ(255, console->GetAlpha()) << "opaque while in use";
    Key(UICONSOLE_KEY);
    EXPECT_FALSE(console->IsVisible());
    EXPECT_FALSE(console->Entry()->IsFocused());
}

TEST_F(ConsoleTest, DraggedAndResizedItStaysInsideAndKeepsItsPlaceInTheSettings)
{
    ASSERT_TRUE(console->MouseDown({100, 40}));  // the caption area, no child there
    EXPECT_TRUE(console->Dragging());
    console->MouseMove({130, 50}, console);
    EXPECT_EQ((TQZRect{50, 30, 750, 330}), console->GetRect());
    console->MouseMove({-900, 40}, console);  // past the left edge
    EXPECT_EQ(0, console->GetRect().left);
    console->MouseUp({0, 0});
    EXPECT_FALSE(console->Dragging());

    // The grip: its press starts the resize, its release ends it.
    EXPECT_FALSE(console->MouseDown({680, 280}));
    console->HandleCommand(console->GripButton(), UICONSOLE_GRIP);
    console->MouseMove({580, 330}, console);
    EXPECT_EQ(600, console->width);
    EXPECT_EQ(350, console->height);
    console->MouseMove({0, 0}, console);
    EXPECT_EQ(UICONSOLE_MIN_WIDTH, console->width);
    EXPECT_EQ(UICONSOLE_MIN_HEIGHT, console->height);
    console->HandleCommand(console->GripButton(), UICONSOLE_GRIP);
    EXPECT_FALSE(console->Resizing());

    const TQZRect placed = console->GetRect();
    root.reset();
    EXPECT_EQ((TQZPoint{placed.left, placed.top}), settings.GetPoint("Admin.Console.Position"));
    EXPECT_EQ((TQZPoint{350, 150}), settings.GetPoint("Admin.Console.Size"));

    root = NewRootWindow<TGUIWindow>(TQZRect{0, 0, 1280, 800}, nullptr, 0);
    console = NewWindow<TUIAdminConsole>(root.get());
    EXPECT_EQ(placed, console->GetRect());
}

}  // namespace
