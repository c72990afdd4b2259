// The packet transport over a UDP socket, with the real network thread.
#pragma once

#include "qz7netthread.h"
#include "osSocket.h"

class TQZUdpNetworkThread : public TQZNetworkThread {
public:
    // The name becomes the local address text (the local identity's name).
    explicit TQZUdpNetworkThread(const std::string& name = std::string());
    ~TQZUdpNetworkThread() override;

    // Both bind the socket and start the thread on first use.
    [[nodiscard]] int32_t Host(uint16_t port) override;
    [[nodiscard]] int32_t Connect(const std::string& address, uint16_t port, TQZNetPacket& remote) override;
    void Close() override;
    std::string GetLocalAddress() override { return name_; }
    bool IsOpen() override { return socket_.IsOpen(); }
    void Wait(uint32_t until) override;
    [[nodiscard]] bool Receive(TQZNetPacket& packet) override;
    [[nodiscard]] bool Send(const TQZNetPacket& packet) override;
    void Clear() override {}
    uint16_t LocalPort() const { return socket_.LocalPort(); }

protected:
    void DoWake() override { socket_.Wake(); }

private:
    plat::os::UdpSocket socket_;
    std::string name_;
};

// Makes the UDP transport the class CreateNetworkThread instantiates.
void RegisterUdpNetworkThread();
