#include "qz7netthread.h"

namespace {

TQZNetworkThreadClass& RegisteredClass()
{
    static TQZNetworkThreadClass make = nullptr;
    return make;
}

}  // namespace

void RegisterNetworkThreadClass(TQZNetworkThreadClass make)
{
    RegisteredClass() = make;
}

std::unique_ptr<TQZNetworkThread> CreateNetworkThread()
{
    TQZNetworkThreadClass make = RegisteredClass();
    return make ? make() : nullptr;
}

TQZNetworkThread::TQZNetworkThread() : TQZThread("Network") {}

TQZNetworkThread::~TQZNetworkThread()
{
    Stop();
}

void TQZNetworkThread::QueueDatagram(const TQZNetPacket& packet)
{
    queue_.Push(packet);
    DoWake();
}

void TQZNetworkThread::RegisterReceiveTarget(const std::string& address, uint16_t port,
                                             TQZNetReceiveCallback callback, void* user)
{
    TQZNetReceiveTarget target{ClampNetAddress(address), port, callback, user};
    targets_.Lock();
    targets_.Remove(target);
    targets_.Add(target);
    targets_.Unlock();
}

void TQZNetworkThread::UnregisterReceiveTarget(const std::string& address, uint16_t port)
{
    targets_.Remove(TQZNetReceiveTarget{ClampNetAddress(address), port, nullptr, nullptr});
}

void TQZNetworkThread::Stop()
{
    if (!Finished() && Started()) {
        Terminate();
        DoWake();
    }
    WaitFor();
}

void TQZNetworkThread::SetTickCallback(TQZNetTickCallback callback, void* user)
{
    TQZLock guard(callbackLock_);
    tick_ = callback;
    tickUser_ = user;
}

void TQZNetworkThread::SetUnknownCallback(TQZNetReceiveCallback callback, void* user)
{
    TQZLock guard(callbackLock_);
    unknown_ = callback;
    unknownUser_ = user;
}

void TQZNetworkThread::Dispatch(const TQZNetPacket& packet)
{
    TQZNetReceiveCallback callback = nullptr;
    void* user = nullptr;
    {
        TQZLock guard(callbackLock_);
        callback = unknown_;
        user = unknownUser_;
    }
    targets_.Lock();
    int32_t index = targets_.IndexOf(TQZNetReceiveTarget{packet.address, packet.port, nullptr, nullptr});
    if (index >= 0) {
        TQZNetReceiveTarget target = targets_.Snapshot()[size_t(index)];
        callback = target.callback;
        user = target.user;
    }
    targets_.Unlock();
    if (callback) callback(user, packet);
}

void TQZNetworkThread::Flush()
{
    TQZNetPacket packet;
    while (queue_.Pop(packet)) (void)Send(packet);  // a datagram the transport refuses is lost, as on the wire
}

uint32_t TQZNetworkThread::Pump()
{
    uint32_t next = kNetNoTick;
    {
        std::unique_lock<TQZCriticalSection> hold;
        if (dispatchLock_) hold = std::unique_lock<TQZCriticalSection>(*dispatchLock_);
        TQZNetTickCallback tick;
        void* user;
        {
            TQZLock guard(callbackLock_);
            tick = tick_;
            user = tickUser_;
        }
        if (tick) next = tick(user);
    }
    Flush();
    TQZNetPacket packet;
    for (int32_t n = 0; n < kNetReceiveBatch && Receive(packet); ++n) {
        std::unique_lock<TQZCriticalSection> hold;
        if (dispatchLock_) hold = std::unique_lock<TQZCriticalSection>(*dispatchLock_);
        Dispatch(packet);
    }
    return next;
}

void TQZNetworkThread::Execute()
{
    while (!Terminated()) {
        uint32_t next = Pump();
        if (Terminated()) break;
        // Datagrams queued while receiving go out before the wait.
        Flush();
        Wait(next);
    }
    Clear();
}
