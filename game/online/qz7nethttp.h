// The HTTP service: a worker thread named "HTTP Service" that performs one
// HTTP or HTTPS request at a time, keeps the body in memory, counts the bytes
// as they arrive and hands its completion and progress to the main thread.
//
// Every request ends: an abort or the service's destruction ends a running
// transfer at once, and the completion still comes (as a failure) unless the
// service is gone or was reset. Queued callbacks of a service that is gone,
// or of a request given up by Reset, never run.
#pragma once

#include "qz7threads.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

enum TQZHTTPState : int32_t {
    HTTP_IDLE = 0,
    HTTP_RUNNING = 1,
    HTTP_DONE = 2,
    HTTP_STARTING = 3,
    HTTP_BUSY = 4,
};

// Requests, resets, aborts, waits and the setters: the main thread. The
// getters: any thread, each under the service's lock or atomic. Callbacks:
// the main thread, or the worker when asked.
class TQZHTTPService : public TQZThread {
public:
    using TCallback = std::function<void(TQZHTTPService* service)>;

    TQZHTTPService();
    ~TQZHTTPService() override;

    // Queues the request; false while another runs, after Stop, or for an
    // empty address. A finished request is reset first.
    [[nodiscard]] bool Request(const std::string& method, const std::string& url);
    // Back to idle, forgetting the last result. A running request is aborted
    // and waited for first, and its completion is not delivered.
    void Reset();
    // Ends the running request; it completes as failed ("Request aborted").
    void Abort();
    // Waits until the running request has ended, pumping frames meanwhile
    // when called on the creating thread while a frame pump is installed;
    // then, when asked, ends the worker.
    void Wait(bool stop);

    int32_t State() const;
    bool IsBusy() const;
    bool Succeeded() const;
    // The body of the last request (empty while one runs, or after a failure).
    std::vector<uint8_t> Response() const;
    std::string ResponseText() const;
    // When idle or done the body's size; while running the size the server
    // announced (0 while unknown).
    int64_t ContentLength() const;
    int64_t Received() const { return received_.load(std::memory_order_acquire); }
    // "OK", the transfer's error, or the HTTP status of a refused request.
    std::string ErrorText() const;
    int32_t StatusCode() const;

    void SetOnComplete(TCallback callback);
    void SetOnProgress(TCallback callback);
    // True: callbacks run on the worker thread instead of the main thread.
    void SetRunCallbacksInWorker(bool inWorker) { inWorker_.store(inWorker, std::memory_order_release); }
    // PEM certificates trusted instead of the system's store (empty: the
    // system's store). Applies to the next request.
    void SetCertificateAuthorities(const std::string& pem);
    // Bodies beyond this size fail the request instead of filling memory.
    void SetMaxResponseBytes(int64_t bytes) { maxBytes_.store(bytes, std::memory_order_release); }
    static constexpr int64_t kDefaultMaxResponseBytes = int64_t(512) << 20;

protected:
    void Execute() override;

private:
    struct TAlive {
        std::atomic<bool> alive{true};
    };
    struct TResult {
        bool succeeded = false;
        int32_t status = 0;
        std::string error;
        std::vector<uint8_t> body;
    };
    TResult Perform(const std::string& method, const std::string& url, const std::string& pem);
    void Deliver(const TCallback& callback, uint64_t generation);
    void Stop();
    void Wake();
    void NotifyProgress();
    friend struct TQZHTTPClientHooks;

    mutable std::mutex lock_;
    std::condition_variable changed_;  // the request and done events
    int32_t state_ = HTTP_STARTING;
    bool pending_ = false;
    std::string method_ = "GET";
    std::string url_;
    std::string pem_;
    uint64_t requestGeneration_ = 0;
    TResult last_;
    TCallback onComplete_;
    TCallback onProgress_;

    std::atomic<uint64_t> generation_{0};
    std::atomic<int64_t> received_{0};
    std::atomic<int64_t> announced_{0};
    std::atomic<int64_t> maxBytes_{kDefaultMaxResponseBytes};
    std::atomic<bool> abort_{false};
    std::atomic<bool> inWorker_{false};
    std::atomic<bool> progressQueued_{false};
    std::shared_ptr<TAlive> alive_ = std::make_shared<TAlive>();
    void* multi_ = nullptr;  // the client's multi handle: its wake-up is safe from any thread
    std::vector<uint8_t>* body_ = nullptr;  // worker only, during a transfer
    void* easy_ = nullptr;                  // worker only, during a transfer
    bool tooLarge_ = false;                 // worker only
    std::thread::id creator_;
};
