// Datagram socket stand-in: one IPv4 UDP socket with a wake-up handle, so a
// thread blocked waiting for datagrams can be woken from another thread.
#pragma once
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace plat::os {

class UdpSocket {
public:
    UdpSocket();
    ~UdpSocket();
    UdpSocket(const UdpSocket&) = delete;
    UdpSocket& operator=(const UdpSocket&) = delete;

    // Binds to the port on every local address (0 picks a free port).
    // Rebinding closes the previous socket first. False on failure.
    [[nodiscard]] bool Bind(uint16_t port);
    void Close();
    bool IsOpen() const;
    uint16_t LocalPort() const;

    // Sends one datagram to an IPv4 address in dotted form ("localhost" too).
    [[nodiscard]] bool SendTo(const std::string& address, uint16_t port, const uint8_t* data, size_t length);
    // Takes one waiting datagram without blocking; false when none.
    [[nodiscard]] bool ReceiveFrom(std::string& address, uint16_t& port, std::vector<uint8_t>& data);
    // Blocks until a datagram is readable, Wake is called or the time is up.
    void Wait(int32_t timeoutMs);
    void Wake();

    // Resolves "localhost" and dotted IPv4 texts; false for anything else.
    static bool ValidAddress(const std::string& address);

private:
    mutable std::mutex lock_;
    int fd_ = -1;
    int wakeFd_ = -1;
    uint16_t port_ = 0;
};

}  // namespace plat::os
