// A loopback server for the HTTP fuzz target: each connection's request is
// read to its blank line, answered with the raw bytes set for it (status
// line and headers included, whatever they hold) and closed.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace fuzz {

class TRawReplyServer {
public:
    TRawReplyServer()
    {
        listen_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof a;
        if (listen_ < 0 || ::bind(listen_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
            ::listen(listen_, 8) != 0 || ::getsockname(listen_, reinterpret_cast<sockaddr*>(&a), &length) != 0)
            return;
        port_ = ntohs(a.sin_port);
        thread_ = std::thread([this] { Loop(); });
    }
    ~TRawReplyServer()
    {
        stopping_ = true;
        if (thread_.joinable()) thread_.join();
        if (listen_ >= 0) ::close(listen_);
    }
    TRawReplyServer(const TRawReplyServer&) = delete;
    TRawReplyServer& operator=(const TRawReplyServer&) = delete;

    std::string Url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(port_) + path; }
    bool Listening() const { return port_ != 0; }
    // The replies of the next connections, in order; the last one repeats.
    void SetReplies(std::vector<std::string> replies)
    {
        std::lock_guard<std::mutex> hold(lock_);
        replies_ = std::move(replies);
        served_ = 0;
    }

private:
    void Loop()
    {
        while (!stopping_) {
            pollfd p{listen_, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0) continue;
            const int fd = ::accept(listen_, nullptr, nullptr);
            if (fd < 0) continue;
            Serve(fd);
            ::close(fd);
        }
    }
    void Serve(int fd)
    {
        std::string request;
        char buffer[4096];
        while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 2000) <= 0) return;
            const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
            if (n <= 0) return;
            request.append(buffer, size_t(n));
        }
        std::string reply;
        {
            std::lock_guard<std::mutex> hold(lock_);
            if (!replies_.empty()) reply = replies_[std::min(served_++, replies_.size() - 1)];
        }
        for (size_t sent = 0; sent < reply.size();) {
            const ssize_t n = ::send(fd, reply.data() + sent, reply.size() - sent, MSG_NOSIGNAL);
            if (n <= 0) break;
            sent += size_t(n);
        }
        ::shutdown(fd, SHUT_RDWR);
    }

    int listen_ = -1;
    uint16_t port_ = 0;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
    std::mutex lock_;
    std::vector<std::string> replies_;
    size_t served_ = 0;
};

}  // namespace fuzz
