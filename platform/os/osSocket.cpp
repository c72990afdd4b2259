#include "osSocket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

namespace plat::os {

namespace {

bool ToSockAddr(const std::string& address, uint16_t port, sockaddr_in& out)
{
    std::memset(&out, 0, sizeof(out));
    out.sin_family = AF_INET;
    out.sin_port = htons(port);
    const std::string text = address == "localhost" ? "127.0.0.1" : address;
    return inet_pton(AF_INET, text.c_str(), &out.sin_addr) == 1;
}

}  // namespace

UdpSocket::UdpSocket() : wakeFd_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

UdpSocket::~UdpSocket()
{
    Close();
    if (wakeFd_ >= 0) ::close(wakeFd_);
}

bool UdpSocket::ValidAddress(const std::string& address)
{
    sockaddr_in a;
    return ToSockAddr(address, 0, a);
}

bool UdpSocket::Bind(uint16_t port)
{
    std::lock_guard<std::mutex> guard(lock_);
    if (fd_ >= 0) ::close(fd_);
    fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    port_ = 0;
    if (fd_ < 0) return false;
    sockaddr_in a;
    std::memset(&a, 0, sizeof(a));
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_ANY);
    a.sin_port = htons(port);
    // Room for a burst while the receiving thread is busy.
    int buffer = 1 << 20;
    ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &buffer, sizeof(buffer));
    socklen_t len = sizeof(a);
    if (::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof(a)) != 0 ||
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len) != 0) {
        ::close(fd_);
        fd_ = -1;
        return false;
    }
    port_ = ntohs(a.sin_port);
    return true;
}

void UdpSocket::Close()
{
    std::lock_guard<std::mutex> guard(lock_);
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    port_ = 0;
}

bool UdpSocket::IsOpen() const
{
    std::lock_guard<std::mutex> guard(lock_);
    return fd_ >= 0;
}

uint16_t UdpSocket::LocalPort() const
{
    std::lock_guard<std::mutex> guard(lock_);
    return port_;
}

bool UdpSocket::SendTo(const std::string& address, uint16_t port, const uint8_t* data, size_t length)
{
    sockaddr_in to;
    if (!ToSockAddr(address, port, to)) return false;
    std::lock_guard<std::mutex> guard(lock_);
    if (fd_ < 0) return false;
    return ::sendto(fd_, data, length, 0, reinterpret_cast<sockaddr*>(&to), sizeof(to)) == ssize_t(length);
}

bool UdpSocket::ReceiveFrom(std::string& address, uint16_t& port, std::vector<uint8_t>& data)
{
    std::lock_guard<std::mutex> guard(lock_);
    if (fd_ < 0) return false;
    data.resize(65536);
    sockaddr_in from;
    socklen_t len = sizeof(from);
    ssize_t n = ::recvfrom(fd_, data.data(), data.size(), 0, reinterpret_cast<sockaddr*>(&from), &len);
    if (n < 0) {
        data.clear();
        return false;
    }
    data.resize(size_t(n));
    char text[INET_ADDRSTRLEN] = {0};
    ::inet_ntop(AF_INET, &from.sin_addr, text, sizeof(text));
    address = text;
    port = ntohs(from.sin_port);
    return true;
}

void UdpSocket::Wait(int32_t timeoutMs)
{
    int fd;
    {
        std::lock_guard<std::mutex> guard(lock_);
        fd = fd_;
    }
    // A socket closed while we wait only ends the wait early.
    pollfd fds[2] = {{fd, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
    ::poll(fds, 2, timeoutMs < 0 ? 0 : timeoutMs);
    if (fds[1].revents & POLLIN) {
        uint64_t count;
        ssize_t r = ::read(wakeFd_, &count, sizeof(count));
        (void)r;
    }
}

void UdpSocket::Wake()
{
    uint64_t one = 1;
    ssize_t r = ::write(wakeFd_, &one, sizeof(one));
    (void)r;
}

}  // namespace plat::os
