#include "qz7nethttp.h"

#include "qz7events.h"

#include <curl/curl.h>

#include <chrono>
#include <mutex>

namespace {

constexpr long kConnectTimeoutSeconds = 30;
// A transfer slower than a byte a second for this long ends on its own, so a
// request nobody aborts still ends.
constexpr long kStallSeconds = 60;
constexpr int kPollMilliseconds = 1000;

void GlobalInit()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

CURLM* Multi(void* handle) { return static_cast<CURLM*>(handle); }

}  // namespace

// The client's callbacks, on the worker thread during a transfer.
struct TQZHTTPClientHooks {
    static size_t OnWrite(char* data, size_t size, size_t count, void* user)
    {
        auto* self = static_cast<TQZHTTPService*>(user);
        size_t bytes = size * count;
        int64_t limit = self->maxBytes_.load(std::memory_order_acquire);
        if (int64_t(self->body_->size() + bytes) > limit) {
            self->tooLarge_ = true;
            return 0;  // fails the transfer
        }
        if (self->body_->empty()) {
            // The headers are in: the announced size is known before the
            // first byte is counted.
            curl_off_t length = -1;
            curl_easy_getinfo(static_cast<CURL*>(self->easy_), CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
            if (length > 0) self->announced_.store(int64_t(length), std::memory_order_release);
        }
        self->body_->insert(self->body_->end(), data, data + bytes);
        self->received_.fetch_add(int64_t(bytes), std::memory_order_acq_rel);
        self->NotifyProgress();
        return bytes;
    }
    static int OnTransfer(void* user, curl_off_t downloadTotal, curl_off_t, curl_off_t, curl_off_t)
    {
        auto* self = static_cast<TQZHTTPService*>(user);
        if (downloadTotal > 0) self->announced_.store(int64_t(downloadTotal), std::memory_order_release);
        return self->abort_.load(std::memory_order_acquire) ? 1 : 0;
    }
};

TQZHTTPService::TQZHTTPService() : TQZThread("HTTP Service"), creator_(std::this_thread::get_id())
{
    GlobalInit();
    multi_ = curl_multi_init();
    Start();
}

TQZHTTPService::~TQZHTTPService()
{
    {
        std::lock_guard<std::mutex> g(lock_);
        onComplete_ = nullptr;
        onProgress_ = nullptr;
    }
    alive_->alive.store(false, std::memory_order_release);
    Stop();
    if (multi_) curl_multi_cleanup(Multi(multi_));
}

void TQZHTTPService::Wake()
{
    if (multi_) curl_multi_wakeup(Multi(multi_));
}

void TQZHTTPService::Stop()
{
    {
        std::lock_guard<std::mutex> g(lock_);
        Terminate();
        abort_.store(true, std::memory_order_release);
    }
    changed_.notify_all();
    Wake();
    WaitFor();
}

bool TQZHTTPService::Request(const std::string& method, const std::string& url)
{
    {
        std::unique_lock<std::mutex> g(lock_);
        changed_.wait(g, [this] { return state_ != HTTP_STARTING || Terminated(); });
    }
    if (State() == HTTP_DONE) Reset();
    {
        std::lock_guard<std::mutex> g(lock_);
        if (state_ != HTTP_IDLE || Terminated() || Finished() || url.empty()) return false;
        method_ = method.empty() ? "GET" : method;
        url_ = url;
        last_ = TResult{};
        received_.store(0, std::memory_order_release);
        announced_.store(0, std::memory_order_release);
        abort_.store(false, std::memory_order_release);
        requestGeneration_ = generation_.load(std::memory_order_acquire);
        state_ = HTTP_RUNNING;
        pending_ = true;
    }
    changed_.notify_all();
    return true;
}

void TQZHTTPService::Reset()
{
    std::unique_lock<std::mutex> g(lock_);
    if (state_ == HTTP_RUNNING) {
        // Never torn down under the transfer: it ends first.
        abort_.store(true, std::memory_order_release);
        Wake();
        changed_.wait(g, [this] { return state_ != HTTP_RUNNING; });
    }
    if (state_ != HTTP_DONE) return;
    generation_.fetch_add(1, std::memory_order_acq_rel);
    state_ = HTTP_IDLE;
    method_ = "GET";
    url_.clear();
    last_ = TResult{};
    received_.store(0, std::memory_order_release);
    announced_.store(0, std::memory_order_release);
}

void TQZHTTPService::Abort()
{
    {
        std::lock_guard<std::mutex> g(lock_);
        if (state_ != HTTP_RUNNING) return;
        abort_.store(true, std::memory_order_release);
    }
    Wake();
}

void TQZHTTPService::Wait(bool stop)
{
    {
        std::unique_lock<std::mutex> g(lock_);
        bool pump = std::this_thread::get_id() == creator_ && EventManager()->HandlerCount(QZEVENT_FRAME) > 0;
        while (state_ == HTTP_RUNNING && !Finished()) {
            if (!pump) {
                changed_.wait(g, [this] { return state_ != HTTP_RUNNING; });
                break;
            }
            // Keeps the window answering while the request runs.
            g.unlock();
            PumpFrame();
            g.lock();
            changed_.wait_for(g, std::chrono::milliseconds(10), [this] { return state_ != HTTP_RUNNING; });
        }
    }
    if (stop) Stop();
}

int32_t TQZHTTPService::State() const
{
    std::lock_guard<std::mutex> g(lock_);
    return state_;
}

bool TQZHTTPService::IsBusy() const
{
    int32_t s = State();
    return s == HTTP_RUNNING || s == HTTP_STARTING || s == HTTP_BUSY;
}

bool TQZHTTPService::Succeeded() const
{
    std::lock_guard<std::mutex> g(lock_);
    return last_.succeeded;
}

std::vector<uint8_t> TQZHTTPService::Response() const
{
    std::lock_guard<std::mutex> g(lock_);
    return state_ == HTTP_RUNNING ? std::vector<uint8_t>() : last_.body;
}

std::string TQZHTTPService::ResponseText() const
{
    std::vector<uint8_t> body = Response();
    return std::string(body.begin(), body.end());
}

int64_t TQZHTTPService::ContentLength() const
{
    std::lock_guard<std::mutex> g(lock_);
    if (state_ == HTTP_RUNNING) return announced_.load(std::memory_order_acquire);
    return int64_t(last_.body.size());
}

std::string TQZHTTPService::ErrorText() const
{
    std::lock_guard<std::mutex> g(lock_);
    return last_.error;
}

int32_t TQZHTTPService::StatusCode() const
{
    std::lock_guard<std::mutex> g(lock_);
    return last_.status;
}

void TQZHTTPService::SetOnComplete(TCallback callback)
{
    std::lock_guard<std::mutex> g(lock_);
    onComplete_ = std::move(callback);
}

void TQZHTTPService::SetOnProgress(TCallback callback)
{
    std::lock_guard<std::mutex> g(lock_);
    onProgress_ = std::move(callback);
}

void TQZHTTPService::SetCertificateAuthorities(const std::string& pem)
{
    std::lock_guard<std::mutex> g(lock_);
    pem_ = pem;
}

// ---------------------------------------------------------------- worker
void TQZHTTPService::Execute()
{
    {
        std::lock_guard<std::mutex> g(lock_);
        if (state_ == HTTP_STARTING) state_ = HTTP_IDLE;
    }
    changed_.notify_all();
    for (;;) {
        std::string method, url, pem;
        uint64_t generation = 0;
        {
            std::unique_lock<std::mutex> g(lock_);
            changed_.wait(g, [this] { return pending_ || Terminated(); });
            if (Terminated()) break;
            pending_ = false;
            method = method_;
            url = url_;
            pem = pem_;
            generation = requestGeneration_;
        }
        TResult result = Perform(method, url, pem);
        TCallback done;
        {
            std::lock_guard<std::mutex> g(lock_);
            last_ = std::move(result);
            state_ = HTTP_DONE;
            // Decided with the state: whoever sees the request done and then
            // stops the worker still gets its completion.
            if (!Terminated()) done = onComplete_;
        }
        changed_.notify_all();
        Deliver(done, generation);
    }
    // Whatever was asked for has ended: nobody waits for it forever.
    {
        std::lock_guard<std::mutex> g(lock_);
        pending_ = false;
        if (state_ == HTTP_RUNNING || state_ == HTTP_STARTING) state_ = HTTP_DONE;
    }
    changed_.notify_all();
}

void TQZHTTPService::Deliver(const TCallback& callback, uint64_t generation)
{
    if (!callback) return;
    if (inWorker_.load(std::memory_order_acquire)) {
        callback(this);
        return;
    }
    std::shared_ptr<TAlive> alive = alive_;
    QueueForMainThread([this, alive, callback, generation] {
        if (!alive->alive.load(std::memory_order_acquire)) return;
        if (generation_.load(std::memory_order_acquire) != generation) return;
        callback(this);
    });
}

void TQZHTTPService::NotifyProgress()
{
    TCallback progress;
    uint64_t generation = 0;
    {
        std::lock_guard<std::mutex> g(lock_);
        progress = onProgress_;
        generation = requestGeneration_;
    }
    if (!progress) return;
    if (inWorker_.load(std::memory_order_acquire)) {
        progress(this);
        return;
    }
    // One queued notice at a time: the main thread reads the latest figures.
    if (progressQueued_.exchange(true, std::memory_order_acq_rel)) return;
    std::shared_ptr<TAlive> alive = alive_;
    QueueForMainThread([this, alive, progress, generation] {
        if (!alive->alive.load(std::memory_order_acquire)) return;
        progressQueued_.store(false, std::memory_order_release);
        if (generation_.load(std::memory_order_acquire) != generation) return;
        progress(this);
    });
}

TQZHTTPService::TResult TQZHTTPService::Perform(const std::string& method, const std::string& url,
                                                const std::string& pem)
{
    TResult result;
    CURL* easy = curl_easy_init();
    if (!easy || !multi_) {
        if (easy) curl_easy_cleanup(easy);
        result.error = "Unable to create the HTTP client";
        return result;
    }
    std::vector<uint8_t> body;
    body_ = &body;
    easy_ = easy;
    tooLarge_ = false;
    char errorBuffer[CURL_ERROR_SIZE] = {0};
    curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_1);
    if (method == "HEAD") curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
    else if (method != "GET") curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, method.c_str());
    // Addresses come from settings and from servers' replies: only the web.
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_USERAGENT, "Vantorel Qar");
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, kStallSeconds);
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, errorBuffer);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &TQZHTTPClientHooks::OnWrite);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, &TQZHTTPClientHooks::OnTransfer);
    curl_easy_setopt(easy, CURLOPT_XFERINFODATA, this);
    if (!pem.empty()) {
        curl_blob blob{const_cast<char*>(pem.data()), pem.size(), CURL_BLOB_COPY};
        curl_easy_setopt(easy, CURLOPT_CAINFO_BLOB, &blob);
    }

    CURLcode code = CURLE_OK;
    bool finished = false;
    curl_multi_add_handle(Multi(multi_), easy);
    while (!finished && !abort_.load(std::memory_order_acquire)) {
        int running = 0;
        curl_multi_perform(Multi(multi_), &running);
        int queued = 0;
        while (CURLMsg* message = curl_multi_info_read(Multi(multi_), &queued)) {
            if (message->msg == CURLMSG_DONE && message->easy_handle == easy) {
                code = message->data.result;
                finished = true;
            }
        }
        if (!finished) curl_multi_poll(Multi(multi_), nullptr, 0, kPollMilliseconds, nullptr);
    }
    long status = 0;
    curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
    result.status = int32_t(status);
    if (!finished || code == CURLE_ABORTED_BY_CALLBACK) result.error = "Request aborted";
    else if (tooLarge_) result.error = "Response too large";
    else if (code != CURLE_OK) result.error = errorBuffer[0] ? errorBuffer : curl_easy_strerror(code);
    else if (status < 200 || status > 299) result.error = "HTTP status " + std::to_string(status);
    else {
        result.succeeded = true;
        result.error = "OK";
        result.body = std::move(body);
    }
    curl_multi_remove_handle(Multi(multi_), easy);
    curl_easy_cleanup(easy);
    body_ = nullptr;
    easy_ = nullptr;
    return result;
}
