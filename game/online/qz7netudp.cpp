#include "qz7netudp.h"

#include <unistd.h>

#include <algorithm>

namespace {

std::string HostName()
{
    char text[256] = {0};
    if (::gethostname(text, sizeof(text) - 1) != 0) return "localhost";
    return text;
}

std::unique_ptr<TQZNetworkThread> MakeUdpThread()
{
    return std::make_unique<TQZUdpNetworkThread>();
}

}  // namespace

void RegisterUdpNetworkThread()
{
    RegisterNetworkThreadClass(&MakeUdpThread);
}

TQZUdpNetworkThread::TQZUdpNetworkThread(const std::string& name)
    : name_((name.empty() ? HostName() : name).substr(0, 31))
{
}

TQZUdpNetworkThread::~TQZUdpNetworkThread()
{
    Stop();
}

int32_t TQZUdpNetworkThread::Host(uint16_t port)
{
    if (!socket_.Bind(port)) return QZRES_FAILED;
    Start();
    return QZRES_OK;
}

int32_t TQZUdpNetworkThread::Connect(const std::string& address, uint16_t port, TQZNetPacket& remote)
{
    if (!plat::os::UdpSocket::ValidAddress(address)) return QZRES_BADARG;
    if (!socket_.IsOpen() && !socket_.Bind(0)) return QZRES_FAILED;
    remote.address = address == "localhost" ? "127.0.0.1" : address;
    remote.port = port;
    Start();
    return QZRES_OK;
}

void TQZUdpNetworkThread::Close()
{
    socket_.Close();
    DoWake();
}

void TQZUdpNetworkThread::Wait(uint32_t until)
{
    int32_t timeout = int32_t(kNetMaxWait);
    if (until != kNetNoTick) timeout = std::clamp(NetTimeDiff(until, GetNetTime()), 0, int32_t(kNetMaxWait));
    socket_.Wait(timeout);
}

bool TQZUdpNetworkThread::Receive(TQZNetPacket& packet)
{
    packet.bytes.clear();
    if (!socket_.ReceiveFrom(packet.address, packet.port, packet.bytes)) return false;
    packet.time = GetNetTime();
    return true;
}

bool TQZUdpNetworkThread::Send(const TQZNetPacket& packet)
{
    return socket_.SendTo(packet.address, packet.port, packet.bytes.data(), packet.bytes.size());
}
