#include "mgrStates.h"
#include "widgettestutil.h"

#include "coreGameDiagnostics.h"
#include "testutil.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::string>* journal = nullptr;

void Note(const std::string& line)
{
    if (journal) journal->push_back(line);
}

// A screen that writes down what happens to it.
class TLoggedState : public TState {
public:
    explicit TLoggedState(std::string name = "?") : name_(std::move(name)) {}
    ~TLoggedState() override { Note(name_ + " freed"); }
    void Enter(TState* previous, int32_t param) override
    {
        TState::Enter(previous, param);
        Note(name_ + " enter from " + NameOf(previous) + " param " + std::to_string(param));
    }
    void Leave(TState* next) override
    {
        TState::Leave(next);
        Note(name_ + " leave to " + NameOf(next));
    }
    void HandleEvent(int32_t id) override { Note(name_ + " event " + std::to_string(id)); }
    void Update() override
    {
        TState::Update();
        if (onUpdate) onUpdate(this);
    }
    static std::string NameOf(TState* s)
    {
        auto* l = dynamic_cast<TLoggedState*>(s);
        return l ? l->name_ : std::string("nothing");
    }
    void SetName(std::string name) { name_ = std::move(name); }

    std::function<void(TLoggedState*)> onUpdate;

private:
    std::string name_;
};

class TMenuState : public TLoggedState {
public:
    TMenuState() : TLoggedState("menu") {}
};
class TSpecialMenuState : public TMenuState {};
class TMinimisedState : public TLoggedState {
public:
    TMinimisedState() : TLoggedState("minimised") {}
};

std::unique_ptr<TState> Make(const std::string& name)
{
    return std::make_unique<TLoggedState>(name);
}

class StateEngineTest : public ::testing::Test {
protected:
    std::vector<std::string> log;
    std::vector<std::string> admin;
    vqtest::TempDir scratch;
    TGUIWindowPtr<TGUIWindow> root = NewRootWindow<TGUIWindow>(TQZRect{0, 0, 800, 600}, nullptr, 0);
    TGUIWindow* layout = NewWindow<TGUIWindow>(TQZRect{0, 0, 800, 600}, root.get(), 0);
    std::unique_ptr<TStateEngine> engine = std::make_unique<TStateEngine>();
    bool minimised = false, quitting = false;

    void SetUp() override
    {
        journal = &log;
        SetLogFileForTesting(scratch.File("log.txt"));
        SetAdminConsole([this](const std::string& line) { admin.push_back(line); });
        admin.clear();
        engine->Initialize();
        StateEngine = engine.get();
        engine->SetWindows(root.get(), layout);
        engine->frameTime = [] { return 16u; };
        engine->windowMinimised = [this] { return minimised; };
        engine->windowQuitting = [this] { return quitting; };
    }
    void TearDown() override
    {
        engine.reset();
        StateEngine = nullptr;
        SetAdminConsole(nullptr);
        SetLogFileForTesting("");
        journal = nullptr;
    }
    bool Logged(const std::string& line) const { return std::find(log.begin(), log.end(), line) != log.end(); }
};

}  // namespace

TEST_F(StateEngineTest, PushingWithKeepLeavesTheStateBelowAndPoppingEntersItAgain)
{
    engine->PushState(Make("A"), false);
    engine->PushState(Make("B"), true, 5);
    EXPECT_EQ(2, engine->Depth());
    engine->PopState(1000);
    engine->Update();
    EXPECT_EQ((std::vector<std::string>{"A enter from nothing param 0", "A leave to B", "B enter from A param 5",
                                         "B leave to A", "A enter from B param 1000", "B freed"}),
              log);
    EXPECT_EQ("A", TLoggedState::NameOf(engine->Current()));
}

TEST_F(StateEngineTest, PushingWithoutKeepFreesTheStateBelowAtTheEndOfTheFrame)
{
    engine->PushState(Make("A"), false);
    engine->PushState(Make("B"), false);
    EXPECT_EQ(1, engine->Depth());
    EXPECT_FALSE(Logged("A freed"));
    engine->Update();
    EXPECT_TRUE(Logged("A freed"));
    engine->PopState();
    EXPECT_EQ(nullptr, engine->Current());
    EXPECT_EQ(0, engine->CurrentId());
    engine->Update();
    EXPECT_TRUE(Logged("B freed"));
    EXPECT_EQ(0, engine->RetiredCount());
}

TEST_F(StateEngineTest, AStateMayPopItselfInItsUpdateAndRunToTheEndOfTheCall)
{
    engine->PushState(Make("A"), false);
    auto popper = std::make_unique<TLoggedState>("B");
    popper->onUpdate = [this](TLoggedState* self) {
        engine->PopState();
        self->SetName("B still running");  // the state lives until the frame ends
        Note("after pop");
    };
    engine->PushState(std::move(popper), true);
    engine->Update();
    EXPECT_EQ("after pop", log[log.size() - 2]);
    EXPECT_EQ("B still running freed", log.back());
}

TEST_F(StateEngineTest, IdOfFindsTheLowestRegisteredClassInheritanceIncluded)
{
    EXPECT_TRUE(engine->RegisterState(11, StateClass<TMenuState>()));
    EXPECT_TRUE(engine->RegisterState(9, StateClass<TMenuState>()));
    EXPECT_TRUE(engine->RegisterState(12, StateClass<TMinimisedState>()));
    EXPECT_FALSE(engine->RegisterState(0, StateClass<TMenuState>()));
    EXPECT_FALSE(engine->RegisterState(33, StateClass<TMenuState>()));

    TMenuState menu;
    TSpecialMenuState special;
    TLoggedState stranger;
    EXPECT_EQ(9, engine->IdOf(&menu));
    EXPECT_EQ(9, engine->IdOf(&special));
    EXPECT_EQ(-1, engine->IdOf(&stranger));
    EXPECT_EQ(0, engine->IdOf(nullptr));
}

TEST_F(StateEngineTest, PushByIdOfAnUnregisteredIdIsRefusedAndLogged)
{
    // Setup: what the test checks after it shows whether it took.
    (void)engine->RegisterState(11, StateClass<TMenuState>());
    EXPECT_TRUE(engine->PushById(11, false));
    for (int32_t id : {2, 4, 17, 0, 40}) {
        EXPECT_FALSE(engine->PushById(id, false)) << id;
    }
    EXPECT_EQ(1, engine->Depth());
    EXPECT_EQ(11, engine->CurrentId());
    EXPECT_FALSE(Logged("menu leave to nothing"));
    ASSERT_EQ(5u, admin.size());
    EXPECT_NE(std::string::npos, admin[0].find("id 2"));
}

TEST_F(StateEngineTest, PopUntilStopsAtTheIdOrAnEmptyStack)
{
    // Setup: what the test checks after it shows whether it took.
    (void)engine->RegisterState(11, StateClass<TMenuState>());
    (void)engine->PushById(11, false);
    engine->PushState(Make("A"), true);
    engine->PushState(Make("B"), true);
    engine->PopUntil(11);
    EXPECT_EQ(11, engine->CurrentId());
    EXPECT_EQ(1, engine->Depth());
    engine->PopUntil(3);
    EXPECT_EQ(0, engine->Depth());
}

TEST_F(StateEngineTest, AMinimisedWindowPushesTheMinimisedScreenOnce)
{
    // Setup: what the test checks after it shows whether it took.
    (void)engine->RegisterState(12, StateClass<TMinimisedState>());
    engine->PushState(Make("A"), false);
    minimised = true;
    for (int frame = 0; frame < 5; ++frame) engine->Update();
    EXPECT_EQ(2, engine->Depth());
    EXPECT_EQ(12, engine->CurrentId());
    EXPECT_EQ(1, std::count(log.begin(), log.end(), "A leave to minimised"));

    engine->minimiseHandling = false;
    engine->PopState();
    engine->Update();
    EXPECT_EQ(1, engine->Depth());
}

TEST_F(StateEngineTest, WithoutAMinimisedScreenNothingIsPushedOrLogged)
{
    engine->PushState(Make("A"), false);
    minimised = true;
    for (int frame = 0; frame < 3; ++frame) engine->Update();
    EXPECT_EQ(1, engine->Depth());
    EXPECT_TRUE(admin.empty());
}

TEST_F(StateEngineTest, TheQuitFlagClearsTheStackAndFreesEveryState)
{
    engine->PushState(Make("A"), false);
    engine->PushState(Make("B"), true);
    quitting = true;
    engine->Update();
    EXPECT_EQ(0, engine->Depth());
    EXPECT_TRUE(Logged("B leave to nothing"));
    EXPECT_TRUE(Logged("A freed"));
    EXPECT_TRUE(Logged("B freed"));
}

TEST_F(StateEngineTest, TheStatesWindowShowsItAndHandsItsCommandsToIt)
{
    NewWindow<TGUIWindow>(TQZRect{}, layout, 0);  // another child: the state window comes to the front
    engine->PushState(Make("A"), false);
    TState* a = engine->Current();
    ASSERT_NE(nullptr, a->Window());
    EXPECT_EQ(layout, a->Window()->GetParent());
    EXPECT_EQ(2, a->Window()->GetIndex());
    EXPECT_TRUE(a->Window()->IsVisible());

    TGUIWindow* button = NewWindow<TGUIWindow>(TQZRect{0, 0, 10, 10}, a->Window(), 1003);
    button->SendCommand(1003);
    engine->Update();
    EXPECT_TRUE(Logged("A event 1003"));
    EXPECT_EQ(16u, a->TimeInState());
    engine->Update();
    EXPECT_EQ(32u, a->TimeInState());

    engine->PushState(Make("B"), true);
    EXPECT_FALSE(a->Window()->IsVisible());
    root->SetBounds({0, 0, 1024, 768});
    root->ArrangeTree();
    EXPECT_EQ((TQZRect{0, 0, 1024, 768}), a->Window()->GetRect());
}

TEST_F(StateEngineTest, AWidgetTreeFreedBeforeTheStatesLeavesNoWindowToFreeTwice)
{
    engine->PushState(Make("A"), false);
    engine->PushState(Make("B"), true);
    root.reset();
    EXPECT_EQ(nullptr, engine->Current()->Window());
    EXPECT_FALSE(engine->Current()->WindowCreated());
    engine.reset();  // frees the states
    EXPECT_TRUE(Logged("A freed"));
}

// ---------------------------------------------------------------- rendering

class StateRenderTest : public widgettest::VideoFixture {};

TEST_F(StateRenderTest, RenderDrawsTheTreeAndPresentsUnlessQuitting)
{
    TStateEngine engine;
    engine.Initialize();
    auto root = NewRootWindow<TGUIWindow>(TQZRect{0, 0, 160, 120}, nullptr, 0);
    widgettest::TProbe* panel = NewWindow<widgettest::TProbe>(TQZRect{10, 10, 50, 50}, root.get(), 0);
    panel->fill = 0xFF336699;
    engine.SetWindows(root.get(), root.get());
    bool quitting = false;
    engine.windowQuitting = [&] { return quitting; };

    const int32_t before = Direct3DDevice()->Device()->PresentCount();
    engine.Render();
    EXPECT_EQ(before + 1, Direct3DDevice()->Device()->PresentCount());
    EXPECT_EQ(0xFF336699u, BackPixel(20, 20));
    EXPECT_EQ(nullptr, CurrentVideo());

    quitting = true;
    engine.Render();
    EXPECT_EQ(before + 1, Direct3DDevice()->Device()->PresentCount());
}
