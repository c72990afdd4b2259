// Modules and the editor's state engine: start-up held back or not, the
// stack, the removed list freed one update later, and the engine's end.
#include "qz7states.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Every call a state receives, and its end, in one shared log.
class LoggedState : public TQZEngineState {
public:
    LoggedState(std::string name, std::vector<std::string>& log) : name_(std::move(name)), log_(log) {}
    ~LoggedState() override { log_.push_back(name_ + ".free"); }
    int32_t CreateHook(int32_t value) override
    {
        log_.push_back(name_ + ".hook " + std::to_string(value));
        return value + 1;
    }
    void Enter(TQZEngineState* previous, int32_t param) override
    {
        log_.push_back(name_ + ".enter " + NameOf(previous) + " " + std::to_string(param));
    }
    void Leave(TQZEngineState* next) override { log_.push_back(name_ + ".leave " + NameOf(next)); }
    int32_t HandleEvent(int32_t command) override
    {
        log_.push_back(name_ + ".command " + std::to_string(command));
        if (onCommand) onCommand();
        return 7;
    }
    void Update() override
    {
        log_.push_back(name_ + ".update");
        if (onUpdate) onUpdate();
        log_.push_back(name_ + ".update done");
    }
    static std::string NameOf(TQZEngineState* s)
    {
        auto* l = dynamic_cast<LoggedState*>(s);
        return l ? l->name_ : "nil";
    }

    std::function<void()> onUpdate, onCommand;

private:
    std::string name_;
    std::vector<std::string>& log_;
};

class StatesTest : public ::testing::Test {
protected:
    std::unique_ptr<LoggedState> State(const std::string& name) { return std::make_unique<LoggedState>(name, log); }
    std::vector<std::string> log;
};

TEST(ModulesTest, StartUpHeldBackWaitsForInitialise)
{
    auto started = CreateModule<TQZStateEngine>();
    EXPECT_TRUE(started->Initialised());
    SetModuleStartHeldBack(true);
    auto waiting = CreateModule<TQZStateEngine>();
    SetModuleStartHeldBack(false);
    EXPECT_FALSE(waiting->Initialised());
    ASSERT_EQ(2u, LiveModules().size());
    EXPECT_EQ(started.get(), LiveModules()[0]);
    waiting->Initialise();
    EXPECT_TRUE(waiting->Initialised());
    waiting.reset();
    EXPECT_EQ(1u, LiveModules().size()) << "a freed module leaves the list";
}

TEST_F(StatesTest, EmptyEngineForwardsNothingAndStillHonoursPopAll)
{
    auto engine = CreateModule<TQZStateEngine>();
    EXPECT_EQ(nullptr, engine->CurrentState());
    EXPECT_EQ(0, engine->ForwardCommand(5));
    EXPECT_EQ(0, engine->ForwardToState(5));
    int asked = 0;
    engine->SetPopAllRequest([&] { return ++asked > 0; });
    engine->Update();
    EXPECT_EQ(1, asked);
    EXPECT_TRUE(log.empty());
}

TEST_F(StatesTest, ForwardsGoToTheCurrentState)
{
    auto engine = CreateModule<TQZStateEngine>();
    engine->PushState(State("A"), false, 0);
    engine->PushState(State("B"), true, 3);
    EXPECT_EQ(7, engine->ForwardCommand(1000));
    EXPECT_EQ(43, engine->ForwardToState(42));
    EXPECT_EQ((std::vector<std::string>{"A.enter nil 0", "A.leave B", "B.enter A 3", "B.command 1000", "B.hook 42"}),
              log);
}

TEST_F(StatesTest, ReplacedAndPoppedStatesLiveUntilTheEndOfTheNextUpdate)
{
    auto engine = CreateModule<TQZStateEngine>();
    engine->PushState(State("A"), false, 0);
    auto b = State("B");
    LoggedState* bp = b.get();
    engine->PushState(std::move(b), false, 0);  // A replaced
    EXPECT_EQ(1, engine->Depth());
    EXPECT_EQ(1, engine->RemovedCount());
    bp->onUpdate = [&] { engine->PopState(0); };  // B ends itself
    log.clear();
    engine->Update();
    EXPECT_EQ((std::vector<std::string>{"B.update", "B.leave nil", "B.update done", "A.free", "B.free"}), log);
    EXPECT_EQ(0, engine->Depth());
    EXPECT_EQ(0, engine->RemovedCount());
}

TEST_F(StatesTest, KeptStateIsReenteredWhenTheTopOneGoes)
{
    auto engine = CreateModule<TQZStateEngine>();
    engine->PushState(State("A"), false, 0);
    engine->PushState(State("B"), true, 0);
    log.clear();
    engine->PopState(9);
    EXPECT_EQ((std::vector<std::string>{"B.leave A", "A.enter B 9"}), log);
    EXPECT_EQ("A", LoggedState::NameOf(engine->CurrentState()));
}

TEST_F(StatesTest, PopAllRequestLeavesTheCurrentOnceAndFreesEverything)
{
    auto engine = CreateModule<TQZStateEngine>();
    bool request = false;
    engine->SetPopAllRequest([&] { return request; });
    engine->PushState(State("A"), false, 0);
    engine->PushState(State("B"), true, 0);
    log.clear();
    engine->Update();
    EXPECT_EQ((std::vector<std::string>{"B.update", "B.update done"}), log);
    request = true;
    log.clear();
    engine->Update();
    EXPECT_EQ((std::vector<std::string>{"B.update", "B.update done", "B.leave nil", "A.free", "B.free"}), log);
    EXPECT_EQ(nullptr, engine->CurrentState());
}

TEST_F(StatesTest, DestroyingTheEngineLeavesTheCurrentOnceAndFreesAll)
{
    auto engine = CreateModule<TQZStateEngine>();
    engine->PushState(State("A"), false, 0);
    engine->PushState(State("B"), true, 0);
    engine->PushState(State("C"), false, 0);  // B replaced, waits on the removed list
    log.clear();
    engine.reset();
    ASSERT_EQ(4u, log.size());
    EXPECT_EQ("C.leave nil", log[0]);
    EXPECT_EQ(1, std::count(log.begin(), log.end(), "C.leave nil"));
    for (const char* freed : {"A.free", "B.free", "C.free"})
        EXPECT_EQ(1, std::count(log.begin(), log.end(), freed)) << freed;
}

}  // namespace
