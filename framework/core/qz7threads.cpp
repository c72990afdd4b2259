#include "qz7threads.h"

#include <pthread.h>

#include <exception>

TQZThread::TQZThread(const std::string& name) : name_(name) {}

TQZThread::~TQZThread()
{
    TerminateAndWait();
}

void TQZThread::Start()
{
    if (started_) return;
    started_ = true;
    thread_ = std::thread([this] {
        // Thread names are limited to 15 characters on Linux.
        pthread_setname_np(pthread_self(), name_.substr(0, 15).c_str());
        try {
            Execute();
        } catch (const std::exception& e) {
            executeError_ = e.what()[0] ? e.what() : "exception";
        } catch (...) {
            executeError_ = "exception";
        }
        finished_.store(true, std::memory_order_release);
    });
}

void TQZThread::WaitFor()
{
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
}

void TQZThread::TerminateAndWait()
{
    if (!Finished()) Terminate();
    WaitFor();
}
