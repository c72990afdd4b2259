#include "qz7events.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> calls;

int32_t ProcA(void*) { calls.push_back("A"); return 0; }
int32_t ProcB(void*) { calls.push_back("B"); return 0; }
int32_t ProcRemoveMe(void*) { calls.push_back("R"); return QZEVENT_REMOVE_ME; }
int32_t ProcRefire(void*)
{
    calls.push_back("F");
    EventManager()->Fire(2, nullptr);
    return 0;
}
int32_t ProcRearm(void*)
{
    calls.push_back("Re");
    EventManager()->AddHandler(4, &ProcRearm, QZHANDLER_ONESHOT);
    return 0;
}
int32_t ProcRemoveSelf(void*)
{
    calls.push_back("S");
    EventManager()->RemoveHandler(4, &ProcRemoveSelf);
    return 0;
}
int32_t ProcRemoveNext(void*)
{
    calls.push_back("N");
    EventManager()->RemoveHandler(4, &ProcB);
    return 0;
}

class EventsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        calls.clear();
        bus = std::make_unique<TQZEventManager>();
    }
    std::unique_ptr<TQZEventManager> bus;
};

TEST_F(EventsTest, HandlersRunInOrderOfAdding)
{
    EventManager()->AddHandler(2, &ProcA, QZHANDLER_PERSISTENT);
    EventManager()->AddHandler(2, &ProcB, QZHANDLER_PERSISTENT);
    EventManager()->Fire(2, nullptr);
    EXPECT_EQ(calls, (std::vector<std::string>{"A", "B"}));
    EventManager()->ClearEvent(2);
}

TEST_F(EventsTest, OneShotThatRefiresItsEventIsCalledOnceAndRemoved)
{
    bus->AddHandler(2, &ProcRefire, QZHANDLER_ONESHOT);
    // The nested firing inside ProcRefire goes through the global bus, so
    // run this one on the global bus too.
    EventManager()->AddHandler(2, &ProcRefire, QZHANDLER_ONESHOT);
    EventManager()->Fire(2, nullptr);
    EXPECT_EQ(calls, std::vector<std::string>{"F"});
    EXPECT_EQ(EventManager()->HandlerCount(2), 0);
}

TEST_F(EventsTest, PersistentReturningRemoveMeIsGoneAfterItsCall)
{
    bus->AddHandler(4, &ProcRemoveMe, QZHANDLER_PERSISTENT);
    bus->AddHandler(4, &ProcA, QZHANDLER_PERSISTENT);
    bus->Fire(4, nullptr);
    bus->Fire(4, nullptr);
    EXPECT_EQ(calls, (std::vector<std::string>{"R", "A", "A"}));
    EXPECT_EQ(bus->HandlerCount(4), 1);
}

TEST_F(EventsTest, SameProcedureTwiceRemoveTakesTheFirst)
{
    bus->AddHandler(4, &ProcA, QZHANDLER_ONESHOT);
    bus->AddHandler(4, &ProcA, QZHANDLER_PERSISTENT);
    EXPECT_EQ(bus->RemoveHandler(4, &ProcA), 0);
    EXPECT_EQ(bus->HandlerCount(4), 1);
    bus->Fire(4, nullptr);
    bus->Fire(4, nullptr);
    // The persistent twin stayed.
    EXPECT_EQ(calls, (std::vector<std::string>{"A", "A"}));
    EXPECT_EQ(bus->RemoveHandler(4, &ProcB), 1);
}

TEST_F(EventsTest, OneShotFiringDoesNotRemoveItsPersistentTwin)
{
    bus->AddHandler(4, &ProcA, QZHANDLER_PERSISTENT);
    bus->AddHandler(4, &ProcA, QZHANDLER_ONESHOT);
    bus->Fire(4, nullptr);
    bus->Fire(4, nullptr);
    EXPECT_EQ(calls, (std::vector<std::string>{"A", "A", "A"}));
}

TEST_F(EventsTest, HandlersMayRemoveThemselvesOrTheNextDuringTheWalk)
{
    EventManager()->ClearEvent(4);
    EventManager()->AddHandler(4, &ProcRemoveSelf, QZHANDLER_PERSISTENT);
    EventManager()->AddHandler(4, &ProcRemoveNext, QZHANDLER_PERSISTENT);
    EventManager()->AddHandler(4, &ProcB, QZHANDLER_PERSISTENT);
    EventManager()->AddHandler(4, &ProcA, QZHANDLER_PERSISTENT);
    EventManager()->Fire(4, nullptr);
    EXPECT_EQ(calls, (std::vector<std::string>{"S", "N", "A"}));
    EXPECT_EQ(EventManager()->HandlerCount(4), 2);
    EventManager()->ClearEvent(4);
}

TEST_F(EventsTest, OneShotThatRearmsRunsOncePerFiring)
{
    EventManager()->ClearEvent(4);
    EventManager()->AddHandler(4, &ProcRearm, QZHANDLER_ONESHOT);
    EventManager()->AddHandler(4, &ProcA, QZHANDLER_PERSISTENT);
    EventManager()->Fire(4, nullptr);
    EXPECT_EQ(calls, (std::vector<std::string>{"Re", "A"}));
    EventManager()->Fire(4, nullptr);
    EXPECT_EQ(calls, (std::vector<std::string>{"Re", "A", "A", "Re"}));
    EventManager()->ClearEvent(4);
}

struct Listener {
    int hits = 0;
    void* last = nullptr;
    int32_t OnEvent(void* p)
    {
        ++hits;
        last = p;
        return 0;
    }
};

TEST_F(EventsTest, MethodsMatchByObjectAndParameterIsPassed)
{
    Listener a, b;
    bus->AddHandler(7, MakeMethod<&Listener::OnEvent>(&a), QZHANDLER_PERSISTENT);
    bus->AddHandler(7, MakeMethod<&Listener::OnEvent>(&b), QZHANDLER_PERSISTENT);
    EXPECT_EQ(bus->RemoveHandler(7, MakeMethod<&Listener::OnEvent>(&b)), 0);
    int param = 5;
    bus->Fire(7, &param);
    EXPECT_EQ(a.hits, 1);
    EXPECT_EQ(a.last, &param);
    EXPECT_EQ(b.hits, 0);
}

std::vector<int>* freed = nullptr;
struct Dying : TQZClass {
    explicit Dying(int i) : id(i) {}
    ~Dying() override
    {
        freed->push_back(id);
        EventManager()->RemoveAutoFree(this);  // ignored during the flush
    }
    int id;
};

TEST_F(EventsTest, AutoFreeAtShutdownNewestFirstAndEventCleared)
{
    std::vector<int> log;
    freed = &log;
    auto* keep = new Dying(99);
    EventManager()->AddAutoFree(new Dying(1));
    EventManager()->AddAutoFree(keep);
    EventManager()->AddAutoFree(new Dying(2));
    EventManager()->RemoveAutoFree(keep);
    EventManager()->AddHandler(QZEVENT_SHUTDOWN, &ProcA, QZHANDLER_PERSISTENT);
    EventManager()->Fire(QZEVENT_SHUTDOWN, nullptr);
    EXPECT_EQ(log, (std::vector<int>{2, 1}));
    EXPECT_EQ(EventManager()->HandlerCount(QZEVENT_SHUTDOWN), 0);
    EXPECT_EQ(EventManager()->AutoFreeCount(), 0u);
    delete keep;
    freed = nullptr;
}

}  // namespace
