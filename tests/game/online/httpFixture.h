// Shared by the HTTP service and version check tests: loopback never goes
// through a proxy, and the main thread's queue is drained until a condition
// holds, waking whenever a worker queues something.
#pragma once

#include "qz7core.h"
#include "testutil.h"

#include <chrono>

namespace vqtest {

struct NoProxy {
    ScopedEnv lower{"no_proxy", "127.0.0.1,localhost"};
    ScopedEnv upper{"NO_PROXY", "127.0.0.1,localhost"};
};

// Runs queued main-thread work until done() holds; false after the deadline.
template <class F> bool PumpUntil(F done, int timeoutMs = 20000)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    ProcessSynchronize();
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        WaitForQueuedWork(50);
        ProcessSynchronize();
    }
    return true;
}

}  // namespace vqtest
