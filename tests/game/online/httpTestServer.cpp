#include "httpTestServer.h"

#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <memory>
#include <stdexcept>

namespace vqtest {

namespace {

std::string BioText(BIO* bio)
{
    char* data = nullptr;
    long size = BIO_get_mem_data(bio, &data);
    return std::string(data, size_t(size));
}

template <class T, void (*Free)(T*)> struct Deleter {
    void operator()(T* p) const { Free(p); }
};
using KeyPtr = std::unique_ptr<EVP_PKEY, Deleter<EVP_PKEY, EVP_PKEY_free>>;
using CertPtr = std::unique_ptr<X509, Deleter<X509, X509_free>>;
using BioPtr = std::unique_ptr<BIO, Deleter<BIO, BIO_free_all>>;

void AddExtension(X509* cert, int nid, const char* value)
{
    X509V3_CTX ctx;
    X509V3_set_ctx_nodb(&ctx);
    X509V3_set_ctx(&ctx, cert, cert, nullptr, nullptr, 0);
    X509_EXTENSION* ext = X509V3_EXT_conf_nid(nullptr, &ctx, nid, value);
    if (!ext) throw std::runtime_error("certificate extension");
    X509_add_ext(cert, ext, -1);
    X509_EXTENSION_free(ext);
}

}  // namespace

TestCertificate MakeSelfSignedCertificate()
{
    KeyPtr key(EVP_EC_gen("P-256"));
    CertPtr cert(X509_new());
    if (!key || !cert) throw std::runtime_error("certificate");
    X509_set_version(cert.get(), 2);
    ASN1_INTEGER_set(X509_get_serialNumber(cert.get()), 1);
    X509_gmtime_adj(X509_getm_notBefore(cert.get()), -3600);
    X509_gmtime_adj(X509_getm_notAfter(cert.get()), 86400);
    X509_set_pubkey(cert.get(), key.get());
    X509_NAME* name = X509_get_subject_name(cert.get());
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>("127.0.0.1"), -1,
                               -1, 0);
    X509_set_issuer_name(cert.get(), name);
    AddExtension(cert.get(), NID_subject_alt_name, "IP:127.0.0.1,DNS:localhost");
    AddExtension(cert.get(), NID_basic_constraints, "critical,CA:TRUE");
    AddExtension(cert.get(), NID_key_usage, "critical,digitalSignature,keyCertSign");
    if (!X509_sign(cert.get(), key.get(), EVP_sha256())) throw std::runtime_error("certificate signature");
    BioPtr certBio(BIO_new(BIO_s_mem())), keyBio(BIO_new(BIO_s_mem()));
    PEM_write_bio_X509(certBio.get(), cert.get());
    PEM_write_bio_PrivateKey(keyBio.get(), key.get(), nullptr, nullptr, 0, nullptr, nullptr);
    return {BioText(certBio.get()), BioText(keyBio.get())};
}

struct HttpTestServer::Tls {
    SSL_CTX* ctx = nullptr;
    ~Tls()
    {
        if (ctx) SSL_CTX_free(ctx);
    }
};

namespace {

// One connection's byte pipe, plain or TLS.
class Connection {
public:
    Connection(int fd, SSL_CTX* ctx) : fd_(fd)
    {
        if (ctx) {
            ssl_ = SSL_new(ctx);
            SSL_set_fd(ssl_, fd);
        }
    }
    ~Connection()
    {
        if (ssl_) SSL_free(ssl_);
    }
    bool Handshake() { return !ssl_ || SSL_accept(ssl_) == 1; }
    long Read(char* buffer, size_t size)
    {
        return ssl_ ? SSL_read(ssl_, buffer, int(size)) : ::recv(fd_, buffer, size, 0);
    }
    bool Write(const std::string& bytes)
    {
        size_t done = 0;
        while (done < bytes.size()) {
            long n = ssl_ ? SSL_write(ssl_, bytes.data() + done, int(bytes.size() - done))
                          : ::send(fd_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
            if (n <= 0) return false;
            done += size_t(n);
        }
        return true;
    }

private:
    int fd_;
    SSL* ssl_ = nullptr;
};

std::string Reason(int status) { return status == 200 ? "OK" : status == 404 ? "Not Found" : "Status"; }

}  // namespace

HttpTestServer::HttpTestServer(const TestCertificate* tls)
{
    std::signal(SIGPIPE, SIG_IGN);  // a client that hangs up must not end the test
    if (tls) {
        tls_ = new Tls;
        tls_->ctx = SSL_CTX_new(TLS_server_method());
        BioPtr certBio(BIO_new_mem_buf(tls->certificatePem.data(), int(tls->certificatePem.size())));
        BioPtr keyBio(BIO_new_mem_buf(tls->keyPem.data(), int(tls->keyPem.size())));
        CertPtr cert(PEM_read_bio_X509(certBio.get(), nullptr, nullptr, nullptr));
        KeyPtr key(PEM_read_bio_PrivateKey(keyBio.get(), nullptr, nullptr, nullptr));
        if (!cert || !key || SSL_CTX_use_certificate(tls_->ctx, cert.get()) != 1 ||
            SSL_CTX_use_PrivateKey(tls_->ctx, key.get()) != 1)
            throw std::runtime_error("server certificate");
    }
    listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (listenFd_ < 0 || ::bind(listenFd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
        ::listen(listenFd_, 16) != 0 || ::pipe(wake_) != 0)
        throw std::runtime_error("test server socket");
    socklen_t len = sizeof a;
    ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&a), &len);
    port_ = ntohs(a.sin_port);
    acceptor_ = std::thread([this] { AcceptLoop(); });
}

HttpTestServer::~HttpTestServer()
{
    Stop();
    delete tls_;
}

void HttpTestServer::Stop()
{
    {
        std::lock_guard<std::mutex> g(lock_);
        if (stopping_) return;
        stopping_ = true;
        for (int fd : open_) ::shutdown(fd, SHUT_RDWR);
    }
    changed_.notify_all();
    char b = 1;
    (void)!::write(wake_[1], &b, 1);
    if (acceptor_.joinable()) acceptor_.join();
    for (std::thread& t : workers_) t.join();
    ::close(listenFd_);
    ::close(wake_[0]);
    ::close(wake_[1]);
}

void HttpTestServer::SetRoute(const std::string& path, const Route& route)
{
    std::lock_guard<std::mutex> g(lock_);
    routes_[path] = route;
}

std::string HttpTestServer::Url(const std::string& path) const
{
    return std::string(tls_ ? "https" : "http") + "://127.0.0.1:" + std::to_string(port_) + path;
}

bool HttpTestServer::WaitForRequests(size_t count, int timeoutMs)
{
    std::unique_lock<std::mutex> g(lock_);
    return changed_.wait_for(g, std::chrono::milliseconds(timeoutMs), [&] { return requested_.size() >= count; });
}

std::vector<std::string> HttpTestServer::RequestedPaths()
{
    std::lock_guard<std::mutex> g(lock_);
    return requested_;
}

size_t HttpTestServer::FailedHandshakes()
{
    std::lock_guard<std::mutex> g(lock_);
    return failedHandshakes_;
}

void HttpTestServer::OpenGate()
{
    {
        std::lock_guard<std::mutex> g(lock_);
        gateOpen_ = true;
        ++gatesOpened_;
    }
    changed_.notify_all();
}

void HttpTestServer::AcceptLoop()
{
    for (;;) {
        pollfd fds[2] = {{listenFd_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) continue;
        if (fds[1].revents) return;
        int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        std::lock_guard<std::mutex> g(lock_);
        if (stopping_) {
            ::close(fd);
            return;
        }
        open_.push_back(fd);
        workers_.emplace_back([this, fd] { Serve(fd); });
    }
}

void HttpTestServer::Serve(int fd)
{
    Connection c(fd, tls_ ? tls_->ctx : nullptr);
    std::string request;
    bool ok = c.Handshake();
    if (!ok) {
        std::lock_guard<std::mutex> g(lock_);
        ++failedHandshakes_;
    }
    char buffer[4096];
    while (ok && request.find("\r\n\r\n") == std::string::npos) {
        long n = c.Read(buffer, sizeof buffer);
        if (n <= 0) ok = false;
        else request.append(buffer, size_t(n));
    }
    Route route{404, "missing"};
    if (ok) {
        size_t s = request.find(' '), e = request.find(' ', s + 1);
        std::string path = request.substr(s + 1, e - s - 1);
        std::lock_guard<std::mutex> g(lock_);
        requested_.push_back(path);
        if (routes_.count(path)) route = routes_[path];
    }
    changed_.notify_all();
    if (ok && route.reply == Reply::Silent) {
        std::unique_lock<std::mutex> g(lock_);
        changed_.wait(g, [this] { return stopping_; });
        ok = false;
    }
    if (ok) {
        std::string head = "HTTP/1.1 " + std::to_string(route.status) + " " + Reason(route.status) +
                           "\r\nContent-Length: " + std::to_string(route.body.size()) +
                           "\r\nContent-Type: application/octet-stream\r\nConnection: close\r\n\r\n";
        size_t first = route.reply == Reply::Normal ? route.body.size() : route.split;
        ok = c.Write(head + route.body.substr(0, first));
        if (ok && route.reply == Reply::Trickle && route.split > 0) {
            std::unique_lock<std::mutex> g(lock_);
            size_t opened = gatesOpened_;
            for (size_t sent = first; ok && sent < route.body.size(); sent += route.split) {
                changed_.wait(g, [&] { return stopping_ || gatesOpened_ > opened; });
                ++opened;
                ok = !stopping_;
                g.unlock();
                if (ok) ok = c.Write(route.body.substr(sent, route.split));
                g.lock();
            }
        }
        if (ok && route.reply != Reply::Normal && route.reply != Reply::Trickle) {
            std::unique_lock<std::mutex> g(lock_);
            changed_.wait(g, [&] { return stopping_ || (route.reply == Reply::Gated && gateOpen_); });
            ok = !stopping_;
        }
        if (ok && route.reply == Reply::Gated) c.Write(route.body.substr(first));
    }
    std::lock_guard<std::mutex> g(lock_);
    ::shutdown(fd, SHUT_WR);
    for (size_t i = 0; i < open_.size(); ++i)
        if (open_[i] == fd) open_.erase(open_.begin() + long(i));
    ::close(fd);
}

}  // namespace vqtest
