// Named worker threads and named recursive locks. Work for the main thread
// is queued (never waited for) and run by the frame pump.
#pragma once

#include "qz7core.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

class TQZCriticalSection {
public:
    // The name is a label for diagnostics only.
    explicit TQZCriticalSection(const std::string& name = std::string()) { (void)name; }
    virtual ~TQZCriticalSection() = default;
    TQZCriticalSection(const TQZCriticalSection&) = delete;
    TQZCriticalSection& operator=(const TQZCriticalSection&) = delete;

    virtual void Acquire() { mutex_.lock(); }
    virtual void Release() { mutex_.unlock(); }
    void Enter() { mutex_.lock(); }
    void Leave() { mutex_.unlock(); }
    bool TryEnter() { return mutex_.try_lock(); }

    // Standard lockable names, so std::lock_guard and std::unique_lock work.
    void lock() { Enter(); }
    void unlock() { Leave(); }
    bool try_lock() { return TryEnter(); }

private:
    std::recursive_mutex mutex_;
};

using TQZLock = std::lock_guard<TQZCriticalSection>;

// A worker thread running the virtual Execute. Subclasses poll Terminated()
// and leave Execute when it is set. A subclass must stop the thread
// (TerminateAndWait) in its own destructor, before its members go.
class TQZThread : public TQZClass {
public:
    explicit TQZThread(const std::string& name);
    ~TQZThread() override;

    // Starts the thread once; further calls do nothing.
    void Start();
    void Terminate() { terminated_.store(true, std::memory_order_release); }
    bool Terminated() const { return terminated_.load(std::memory_order_acquire); }
    bool Started() const { return started_; }
    bool Finished() const { return finished_.load(std::memory_order_acquire); }
    // Waits until Execute has returned (at once when never started).
    void WaitFor();
    void TerminateAndWait();
    const std::string& Name() const { return name_; }
    // What ended Execute by an exception (empty when it returned normally);
    // read it once Finished() is true. The exception stays in the thread
    // instead of ending the process.
    const std::string& ExecuteError() const { return executeError_; }

    // Runs the work on the main thread at its next frame pump.
    static void Queue(std::function<void()> work) { QueueForMainThread(std::move(work)); }

    // Makes a thread and, unless suspended, starts it.
    template <class T, class... A> static std::unique_ptr<T> Create(bool suspended, A&&... args)
    {
        auto t = std::make_unique<T>(std::forward<A>(args)...);
        if (!suspended) t->Start();
        return t;
    }

    uint32_t statistics[4] = {0, 0, 0, 0};
    TQZCriticalSection statisticsLock{"QZThread Statistics"};

protected:
    virtual void Execute() = 0;

private:
    std::string name_;
    std::thread thread_;
    bool started_ = false;
    std::atomic<bool> terminated_{false};
    std::atomic<bool> finished_{false};
    std::string executeError_;
};
