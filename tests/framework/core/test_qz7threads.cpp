#include "qz7threads.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <stdexcept>

namespace {

class Worker : public TQZThread {
public:
    Worker() : TQZThread("Worker") {}
    ~Worker() override { TerminateAndWait(); }
    std::atomic<int> runs{0};
    std::mutex m;
    std::condition_variable cv;
    bool running = false;

protected:
    void Execute() override
    {
        ++runs;
        {
            std::lock_guard<std::mutex> g(m);
            running = true;
        }
        cv.notify_all();
        while (!Terminated()) std::this_thread::yield();
    }
};

class OneShot : public TQZThread {
public:
    OneShot() : TQZThread("OneShot") {}
    ~OneShot() override { TerminateAndWait(); }

protected:
    void Execute() override { QueueForMainThread([] { ++delivered; }); }

public:
    static inline int delivered = 0;
};

TEST(TQZThreadTest, SuspendedThreadRunsOnlyWhenStarted)
{
    auto w = TQZThread::Create<Worker>(true);
    EXPECT_FALSE(w->Started());
    EXPECT_EQ(w->runs.load(), 0);
    w->Start();
    {
        std::unique_lock<std::mutex> lk(w->m);
        w->cv.wait(lk, [&] { return w->running; });
    }
    EXPECT_EQ(w->runs.load(), 1);
    w->TerminateAndWait();
    EXPECT_TRUE(w->Finished());
}

TEST(TQZThreadTest, FinishedThreadIsNotWaitedForAndQueuesToMainThread)
{
    OneShot::delivered = 0;
    auto t = TQZThread::Create<OneShot>(false);
    t->WaitFor();
    EXPECT_TRUE(t->Finished());
    EXPECT_EQ(OneShot::delivered, 0);  // not run until the main thread drains
    ProcessSynchronize();
    EXPECT_EQ(OneShot::delivered, 1);
    t->TerminateAndWait();
    t.reset();
}

TEST(TQZThreadTest, WaitForQueuedWorkWakesWhenAThreadQueues)
{
    ProcessSynchronize();
    EXPECT_FALSE(WaitForQueuedWork(0)) << "nothing queued";
    OneShot::delivered = 0;
    auto t = TQZThread::Create<OneShot>(false);
    EXPECT_TRUE(WaitForQueuedWork(20000));
    EXPECT_TRUE(WaitForQueuedWork(0)) << "the work stays queued until drained";
    ProcessSynchronize();
    EXPECT_EQ(OneShot::delivered, 1);
    t->TerminateAndWait();
}

TEST(TQZCriticalSectionTest, RecursiveOnTheOwningThread)
{
    TQZCriticalSection cs("Test");
    cs.Acquire();
    cs.Enter();
    cs.Leave();
    cs.Release();
    bool freed = false;
    std::thread other([&] {
        freed = cs.TryEnter();
        if (freed) cs.Leave();
    });
    other.join();
    EXPECT_TRUE(freed);
}

}  // namespace

namespace {

class Throwing : public TQZThread {
public:
    explicit Throwing(bool standard) : TQZThread("Throwing"), standard_(standard) {}
    ~Throwing() override { TerminateAndWait(); }

protected:
    void Execute() override
    {
        if (standard_) throw std::runtime_error("socket gone");
        throw 42;
    }

private:
    bool standard_;
};

TEST(TQZThreadTest, ExceptionInExecuteEndsOnlyTheThread)
{
    auto t = TQZThread::Create<Throwing>(false, true);
    t->WaitFor();
    EXPECT_TRUE(t->Finished());
    EXPECT_EQ(t->ExecuteError(), "socket gone");
    auto u = TQZThread::Create<Throwing>(false, false);
    u->WaitFor();
    EXPECT_EQ(u->ExecuteError(), "exception");
    auto ok = TQZThread::Create<OneShot>(false);
    ok->WaitFor();
    EXPECT_EQ(ok->ExecuteError(), "");
    ProcessSynchronize();
}

}  // namespace
