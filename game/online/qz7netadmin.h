// The admin channel: join requests, the host's welcome, keep-alives that
// carry acknowledgements, the 10-second time-out and the goodbye.
//
// The channel sits below the session: it reaches its peer and the session
// only through the two interfaces here, which the session's peer and the
// session itself implement.
#pragma once

#include "qz7netchannel.h"
#include "qz7netguard.h"
#include "qz7netsession.h"

constexpr uint32_t kJoinMagic = 0x1CEDC0FF;
constexpr size_t kJoinSize = 64;
constexpr size_t kWelcomeSize = 56;
constexpr uint32_t kJoinInterval = 3500;
constexpr int32_t kJoinAttempts = 5;
constexpr uint32_t kAdminTick = 1000;
constexpr uint32_t kPeerTimeout = 10000;
constexpr uint32_t kKeepAliveIdle = 200;
constexpr int32_t kKeepAliveBatch = 8;
constexpr int32_t kImmediateAck = 16;
// A joiner that has not acknowledged the welcome by then never heard it (a
// forged sender, or gone): its peer is dropped. Long enough for two more
// joins of a real client whose welcome was lost. The time runs from the
// first acceptance: joining again does not restart it.
constexpr uint32_t kWelcomeAnswerTime = 8000;
// A repeated join is answered with the welcome again at most this often.
constexpr uint32_t kRewelcomeInterval = 1000;

enum TQZAdminKind { ADMIN_JOIN = 1, ADMIN_KEEPALIVE = 2, ADMIN_WELCOME = 3, ADMIN_GOODBYE = 4 };

struct TQZJoinRequest {
    int32_t kind = 0;
    uint32_t magic = 0;
    int32_t sessionId = 0;
    TQZIdentity identity;
    int32_t salt = 0;
};
// False when the payload is not exactly one join request.
[[nodiscard]] bool ReadJoinRequest(const TQZByteArray& payload, TQZJoinRequest& join);

struct TQZWelcome {
    TQZIdentity identity;
    int32_t salt = 0;
};
// False unless the payload holds a whole welcome.
[[nodiscard]] bool ReadWelcome(const TQZByteArray& payload, TQZWelcome& welcome);

class TQZAdminPeer;

// What the admin channel asks of the session (either thread, under "Falcon
// Logic" or taking it).
class TQZAdminSession {
public:
    virtual TQZIdentity LocalIdentity() = 0;
    virtual int32_t SessionId() const = 0;
    virtual TQZFalconState State() const = 0;
    virtual void StateChange(TQZFalconState state) = 0;
    virtual bool IsHost() const = 0;
    virtual bool IsConnected() const = 0;
    virtual void Log(const std::string& text) = 0;
    virtual TQZJoinLedger& Ledger() = 0;
    // Another peer than `peer` holds the identity and is connected.
    virtual bool ConnectedElsewhere(const TQZIdentity& identity, const TQZAdminPeer* peer) = 0;

protected:
    ~TQZAdminSession() = default;
};

// What the admin channel works of its peer's join state, beyond what a
// channel's host offers, and the session's steps that concern the peer.
class TQZAdminPeer : public TQZChannelHost {
public:
    virtual TQZAdminSession& AdminSession() = 0;
    // The session ends the peer's connection (with a goodbye heard or not).
    virtual void Disconnect(bool goodbye) = 0;
    // The session tells its owner that the peer is connected.
    virtual void QueueConnect() = 0;
    virtual void ResetAddress(const std::string& address, uint16_t port) = 0;
    // The address as "address:port": the key of the host's ledger.
    virtual std::string PlainAddress() = 0;

    virtual void SetConnected(bool on) = 0;
    virtual TQZIdentity Identity() = 0;
    virtual void SetIdentity(const TQZIdentity& identity) = 0;
    virtual int32_t Salt() const = 0;
    virtual void SetSalt(int32_t salt) = 0;
    // At a host: the joiner acknowledged the welcome, so it can hear us (a
    // join is a single datagram whose sender anyone can forge). Only an
    // answered peer counts as a player. Any thread.
    virtual bool Answered() const = 0;
    virtual void SetAnswered(bool on) = 0;
    // Accepted at a host and not yet answered.
    bool Pending() const { return IsConnected() && !Answered(); }
    // When the last join was accepted (network clock).
    virtual uint32_t AcceptTime() const = 0;
    virtual void SetAcceptTime(uint32_t time) = 0;
    virtual uint32_t AckDelay() const = 0;

protected:
    ~TQZAdminPeer() = default;
};

class TQZChannelAdmin : public TQZChannel {
public:
    explicit TQZChannelAdmin(TQZAdminPeer* peer);

    // Under "Falcon Logic": the main thread starts a join (Open), the network
    // thread repeats it from the tick; welcomes go from whichever thread
    // accepts the join.
    void StartJoin();
    void SendJoinRequest();
    void SendWelcome();
    void SendKeepAlive();
    // Any thread; both take "Falcon Logic".
    void Goodbye();
    uint32_t GetConnectTimeRemaining();
    int32_t JoinAttempts() const { return attempts_; }

    // Network thread: join requests, welcomes, keep-alives, the time-out.
    void OnReceiveTS(const TQZByteArray& payload) override;
    void OnReceiptTS(int32_t ticket, TQZNetPacketState state) override;
    void OnThreadTick() override;
    // Under "Falcon Logic", from the main thread (AdminProcessUnknown) or
    // the network thread (OnReceiveTS).
    // A welcome that reached the session from an unknown address.
    void HandleWelcome(const TQZWelcome& welcome);
    // A valid join request from this peer, known or new at the host.
    void AcceptJoin(const TQZJoinRequest& join);
    // Client, main thread: wrong salts in welcomes from unknown addresses
    // during this join; once they are spent no such welcome is followed.
    TQZSaltGuesses& WelcomeGuesses() { return welcomeGuesses_; }

private:
    void ReceiveJoin(const TQZByteArray& payload);

    // The admin channel works the peer's join state, beyond what a host offers.
    TQZAdminPeer* peer_;

    uint32_t lastJoin_ = 0;
    int32_t attempts_ = 0;
    int32_t welcomeTicket_ = 0;
    uint32_t lastWelcome_ = 0;
    TQZSaltGuesses welcomeGuesses_;
};
