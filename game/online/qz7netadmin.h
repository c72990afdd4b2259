// The admin channel: join requests, the host's welcome, keep-alives that
// carry acknowledgements, the 10-second time-out and the goodbye.
#pragma once

#include "qz7falcon.h"

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

class TQZChannelAdmin : public TQZChannel {
public:
    explicit TQZChannelAdmin(TQZPeer* peer);

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
    TQZPeer* peer_;

    uint32_t lastJoin_ = 0;
    int32_t attempts_ = 0;
    int32_t welcomeTicket_ = 0;
    uint32_t lastWelcome_ = 0;
    TQZSaltGuesses welcomeGuesses_;
};

// Main-thread handling (inside Process, under "Falcon Logic") of a datagram
// from an unknown address: a join request at a host, or the welcome of the
// host being joined from a new address.
void AdminProcessUnknown(TQZFalcon& session, const TQZNetPacket& packet);
