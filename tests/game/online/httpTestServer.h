// A tiny HTTP (and, with a certificate, HTTPS) server on the loopback
// interface for tests: fixed routes, each answered at once, held back at a
// gate the test opens, stalled after a part, or never answered at all.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vqtest {

enum class Reply {
    Normal,     // headers and body at once
    Gated,      // headers and the first `split` bytes, then the rest once the gate opens
    StallAfter, // headers and the first `split` bytes, then nothing
    Silent,     // reads the request and never answers
    Trickle,    // headers and the first `split` bytes, then `split` more each time a gate opens
};

struct Route {
    int status = 200;
    std::string body;
    Reply reply = Reply::Normal;
    size_t split = 0;
};

// A self-signed certificate for 127.0.0.1 and "localhost", made with
// OpenSSL, in PEM form.
struct TestCertificate {
    std::string certificatePem;
    std::string keyPem;
};
TestCertificate MakeSelfSignedCertificate();

class HttpTestServer {
public:
    // With a certificate the server speaks TLS.
    explicit HttpTestServer(const TestCertificate* tls = nullptr);
    ~HttpTestServer();
    HttpTestServer(const HttpTestServer&) = delete;
    HttpTestServer& operator=(const HttpTestServer&) = delete;

    void SetRoute(const std::string& path, const Route& route);
    // "http://127.0.0.1:port" + path (https with TLS).
    std::string Url(const std::string& path) const;
    uint16_t Port() const { return port_; }

    // Blocks until this many requests have been read (or the time is up).
    bool WaitForRequests(size_t count, int timeoutMs = 20000);
    std::vector<std::string> RequestedPaths();
    // Connections whose TLS handshake failed.
    size_t FailedHandshakes();
    void OpenGate();
    void Stop();

private:
    void AcceptLoop();
    void Serve(int fd);

    struct Tls;
    Tls* tls_ = nullptr;
    int listenFd_ = -1;
    int wake_[2] = {-1, -1};
    uint16_t port_ = 0;
    std::thread acceptor_;
    std::mutex lock_;
    std::condition_variable changed_;
    std::map<std::string, Route> routes_;
    std::vector<std::string> requested_;
    std::vector<int> open_;
    std::vector<std::thread> workers_;
    size_t failedHandshakes_ = 0;
    bool gateOpen_ = false;
    size_t gatesOpened_ = 0;
    bool stopping_ = false;
};

}  // namespace vqtest
