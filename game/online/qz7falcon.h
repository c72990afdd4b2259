// The peer-to-peer session: its state, the remote peers with their
// connections and channels, the named services, and the two steps that run
// it, Process on the main thread and DoThread on the network thread, both
// under the lock "Falcon Logic".
//
// Threads: the owner calls the session from the main thread; the network
// thread ("Network") runs DoThread and hands received datagrams to the
// peers, holding "Falcon Logic" throughout. Methods marked "any thread" take
// that lock (or their own) themselves. A TS suffix marks a method the
// network thread calls (see qz7netchannel).
#pragma once

#include "qz7netadmin.h"

#include <thread>

constexpr uint16_t kFalconPort = 6969;
// Datagrams from unknown addresses waiting for the main thread, at most,
// and at most from one address, so that a flood from a few addresses leaves
// room for everybody else.
constexpr int32_t kUnknownQueueMax = 256;
constexpr int32_t kUnknownPerAddress = 2;
// Peers a host keeps at most. Joins whose welcome is not yet answered
// (pending) hold at most kPendingJoinsMax of them. When they are all taken
// a newcomer takes the place of the pending join whose address has asked
// the most, if that address asked more than the newcomer's or the join has
// waited kPendingShelter already: a flood of joins that never complete
// cannot keep a real player out, and a real player's join is not pushed out
// before it could answer. A player that answered is never made to give way.
constexpr int32_t kPeersMax = 32;
// Freed caches are handed back to the system once this much was held.
constexpr int64_t kCacheTrimFrom = int64_t(8) << 20;
constexpr int32_t kPendingJoinsMax = 16;
constexpr uint32_t kPendingShelter = 500;

enum TQZFalconEvent { IDENTITY_CHANGE = 0, PEER_CONNECT = 1, PEER_GOODBYE = 2, PEER_DISCONNECT = 3, PEER_RELEASE = 4 };
std::string FalconEventName(TQZFalconEvent event);

class TQZFalcon;
class TQZPeer;
class TQZChannelChunk;
class TQZChannelMultipart;
class TQZPartyService;

struct TQZFalconEventRec {
    TQZFalconEvent event = IDENTITY_CHANGE;
    std::shared_ptr<TQZPeer> peer;
};

class TQZChannels : public TQZSafeArray<std::shared_ptr<TQZChannel>> {
public:
    std::shared_ptr<TQZChannel> Find(uint16_t id);
};

class TQZPeer : public TQZClass, public TQZAdminPeer {
public:
    TQZPeer(TQZFalcon* session, const std::string& address, uint16_t port);
    // Any thread: the last owner may let go anywhere; takes "Falcon Logic".
    ~TQZPeer() override;

    // Hooks, main thread: Setup when the peer is added, Process from Step.
    virtual void Setup() {}
    virtual void Process() {}
    // Either thread; takes "Falcon Logic".
    void ResetAddress(const std::string& address, uint16_t port) override;

    // What the peer's channels reach through their host (either thread,
    // under "Falcon Logic").
    TQZCriticalSection& SessionLock() override;
    void Log(const std::string& line) override;
    TQZConnection& Connection() override { return *connection_; }
    int32_t SendCarried(const TQZByteArray& message, uint16_t target) override;
    std::shared_ptr<TQZChannel> FindChannel(uint16_t id) override { return channels_.Find(id); }
    TQZPeer* AsPeer() override { return this; }
    void Abandon(const std::string& reason) override;
    [[nodiscard]] bool TakeCacheBytes(int64_t bytes) override;
    void ReturnCacheBytes(int64_t bytes) override;
    void LogRepeated(const std::string& kind, const std::string& line) override;
    // What the admin channel reaches of the session through its peer.
    TQZAdminSession& AdminSession() override;
    void Disconnect(bool goodbye) override;
    void QueueConnect() override;
    // Frees what every channel keeps of what the other end sent ahead of
    // time. Either thread; takes "Falcon Logic".
    void ReleaseCaches();
    std::string PlainAddress() override;

    TQZFalcon* Session() const { return session_; }
    TQZChannels& Channels() { return channels_; }
    template <class T> T* AddChannel(std::shared_ptr<T> channel)
    {
        channels_.Add(channel);
        return channel.get();
    }
    TQZChannelAdmin* Admin() const { return admin_; }
    TQZChannelRelay* Relay() const override { return relay_; }
    TQZChannelChunk* Chunk() const { return chunk_; }
    TQZChannelMultipart* Multipart() const { return multipart_; }

    // Any thread: atomics and the peer's own identity lock.
    bool IsConnected() const override { return connected_.load(); }
    void SetConnected(bool on) override
    {
        connected_.store(on);
        gone_.store(!on);
    }
    // Was connected and is no longer: what it sends before it joins again is
    // of no use, so none of it is kept.
    bool Gone() const { return gone_.load(); }
    TQZIdentity Identity() override;
    void SetIdentity(const TQZIdentity& identity) override;
    int32_t Salt() const override { return salt_.load(); }
    void SetSalt(int32_t salt) override { salt_.store(salt); }
    bool Answered() const override { return answered_.load(); }
    void SetAnswered(bool on) override { answered_.store(on); }
    // Wrong salts tried at this peer's identity from other addresses (host,
    // main thread under "Falcon Logic").
    TQZSaltGuesses& SaltGuesses() { return saltGuesses_; }
    uint32_t AcceptTime() const override { return acceptTime_.load(); }
    void SetAcceptTime(uint32_t time) override { acceptTime_.store(time); }
    uint32_t AckDelay() const override { return ackDelay_; }

    // The main-thread step (inside Process): loss check, every channel's
    // Process, the hook.
    void Step();
    // The network-thread step: due channel ticks; returns the next tick time.
    uint32_t TickChannels(uint32_t now);

private:
    static void RouteReceipt(void* user, uint16_t channel, int32_t sequence, TQZNetPacketState state);
    static void RouteReceive(void* user, uint16_t channel, int32_t sequence, const TQZByteArray& payload);

    TQZFalcon* session_;
    std::unique_ptr<TQZConnection> connection_;
    TQZChannels channels_;
    TQZChannelAdmin* admin_ = nullptr;
    TQZChannelRelay* relay_ = nullptr;
    TQZChannelChunk* chunk_ = nullptr;
    TQZChannelMultipart* multipart_ = nullptr;
    std::atomic<bool> connected_{false};
    std::atomic<bool> gone_{false};
    TQZCriticalSection identityLock_{"Peer Identity"};
    TQZIdentity identity_;
    std::atomic<int32_t> salt_{0};
    std::atomic<bool> answered_{false};
    std::atomic<uint32_t> acceptTime_{0};
    uint32_t ackDelay_ = 50;
    TQZSaltGuesses saltGuesses_;
};

using TQZPeerClass = std::shared_ptr<TQZPeer> (*)(TQZFalcon* session, const std::string& address, uint16_t port);

// Any thread: the list's own lock.
class TQZPeers : public TQZSafeArray<std::shared_ptr<TQZPeer>> {
public:
    explicit TQZPeers(TQZFalcon* session) : session_(session) {}
    std::shared_ptr<TQZPeer> AddPeer(const std::string& address, uint16_t port);
    std::shared_ptr<TQZPeer> FindByIdentity(const TQZIdentity& identity);
    std::shared_ptr<TQZPeer> FindByAddress(const std::string& address, uint16_t port);
    std::shared_ptr<TQZPeer> Find(const TQZPeer* peer);
    std::shared_ptr<TQZPeer> First();
    // Frees the peer not connected that was heard from longest ago; false
    // when every peer is connected.
    [[nodiscard]] bool ReleaseIdlest();
    std::vector<std::shared_ptr<TQZPeer>> ConnectedPeers();
    void SetPeerClass(TQZPeerClass make) { peerClass_ = make; }

private:
    TQZFalcon* session_;
    TQZPeerClass peerClass_ = nullptr;
};

class TQZFalconService : public TQZClass {
public:
    TQZFalconService(TQZFalcon* session, const std::string& name) : session_(session), name_(name) {}
    // Main thread under "Falcon Logic": Close, OnEvent, OnPeerAdded, Process.
    // Network thread under "Falcon Logic": OnThreadTick.
    virtual void Close() {}
    virtual void OnEvent(const TQZFalconEventRec& event) { (void)event; }
    virtual void OnPeerAdded(TQZPeer* peer) { (void)peer; }
    virtual void Process() {}
    virtual void OnThreadTick() {}
    const std::string& Name() const { return name_; }
    TQZFalcon* Session() const { return session_; }
    uint32_t lastThreadTick = 0;

protected:
    TQZFalcon* session_;
    std::string name_;
};

// Calls every service on the thread of the caller (see TQZFalconService).
class TQZFalconServices : public TQZSafeArray<std::shared_ptr<TQZFalconService>> {
public:
    std::shared_ptr<TQZFalconService> FindByName(const std::string& name);
    void Close();
    void OnEvent(const TQZFalconEventRec& event);
    void OnPeerAdded(TQZPeer* peer);
    void Process();
    void OnThreadTick();
};

using TQZServiceMaker = std::shared_ptr<TQZFalconService> (*)(TQZFalcon* session);
using TQZPeerCallback = void (*)(void* user, TQZPeer* peer);
using TQZSessionCallback = void (*)(void* user, TQZFalcon* session);
using TQZLogCallback = void (*)(void* user, const std::string& line);

class TQZFalcon : public TQZClass, public TQZAdminSession {
public:
    // Without a thread the registered network-thread class is made.
    TQZFalcon(int32_t sessionId, std::unique_ptr<TQZNetworkThread> thread);
    ~TQZFalcon() override;

    // Main thread: the owner's steps; each takes "Falcon Logic".
    [[nodiscard]] int32_t Open(const std::string& address);
    // Host mode: opens the transport for incoming joins.
    [[nodiscard]] int32_t Host();
    void Close();
    void Process();
    // Network thread: the tick of its loop; takes "Falcon Logic".
    uint32_t DoThread();

    // Any thread from here on: atomics, the identity and log locks, or
    // "Falcon Logic" taken inside.
    bool IsHost() const override;
    bool IsConnected() const override;
    TQZFalconState State() const override { return state_.load(); }
    void StateChange(TQZFalconState state) override;

    TQZIdentity LocalIdentity() override;
    void SetIdentity(const TQZIdentity& identity);
    int32_t SessionId() const override { return sessionId_; }
    void SetPort(uint16_t port) { port_ = port; }  // before Open or Host
    uint16_t Port() const { return port_; }

    // The service of the name; made, added and told of the peers there are
    // when it is missing.
    TQZFalconService* GetService(const std::string& name, TQZServiceMaker make);
    // The service "Party", made on first request (by the party unit, so the
    // session needs nothing of it).
    TQZPartyService* GetPartyService();
    void DisconnectPeer(TQZPeer* peer, bool goodbye);
    void QueueEvent(TQZFalconEvent event, TQZPeer* peer);
    void ReleaseAll();
    void ForceKick(TQZPeer* peer);
    // Host, main thread: joins whose welcome was never acknowledged within
    // kWelcomeAnswerTime are dropped with their peers, and their addresses
    // shut out for a while.
    void DropUnansweredJoins();
    // Host, under "Falcon Logic": a pending join goes with its peer.
    void DropJoin(const std::shared_ptr<TQZPeer>& peer, const std::string& reason);
    // Host, under "Falcon Logic": room for one more peer for a newcomer
    // whose address asked `joins` times lately (see kPeersMax); false when
    // there is none for it now.
    [[nodiscard]] bool MakeRoomForJoin(int32_t joins);
    void Log(const std::string& text) override;
    // A line that a flood about the source ("address:port") would repeat:
    // the first of its kind from that source in a second is written, the
    // rest are counted into one line (TQZLogThrottle).
    void LogRepeated(const std::string& kind, const std::string& source, const std::string& line);

    // The guards against hostile peers (any thread).
    TQZJoinLedger& Ledger() override { return ledger_; }
    bool ConnectedElsewhere(const TQZIdentity& identity, const TQZAdminPeer* peer) override;
    TQZCacheBudget& CacheBudget() { return cacheBudget_; }
    // Bytes for the peer's early-message caches. When the session's budget
    // is spent the peer that holds the most is cut off to make room (its
    // caches freed, its connection ended); when that is the asking peer
    // itself, false.
    [[nodiscard]] bool TakeCacheBytes(TQZPeer* peer, int64_t bytes);
    // Datagrams from unknown addresses waiting for the main thread.
    int32_t UnknownQueued();

    TQZPeers& Peers() { return peers_; }
    TQZFalconServices& Services() { return services_; }
    TQZNetworkThread* Thread() const { return thread_.get(); }
    TQZCriticalSection& Lock() { return logic_; }

    // Set before Open or Host. The peer and state callbacks run on the main
    // thread (inside Process or Close); the log callback on whichever thread
    // logs.
    void SetOnPeerConnect(TQZPeerCallback callback, void* user) { onConnect_ = callback; onConnectUser_ = user; }
    void SetOnPeerDisconnect(TQZPeerCallback callback, void* user) { onDisconnect_ = callback; onDisconnectUser_ = user; }
    void SetOnStateChange(TQZSessionCallback callback, void* user) { onState_ = callback; onStateUser_ = user; }
    void SetLogCallback(TQZLogCallback callback, void* user);

private:
    static uint32_t ThreadTick(void* user);
    static void OnUnknown(void* user, const TQZNetPacket& packet);
    void WatchCaches();
    void Unknown(const TQZNetPacket& packet);
    void QueueUnknown(const TQZNetPacket& packet, const std::string& source);
    bool PopUnknown(TQZNetPacket& packet);
    void CloseConnection();
    void DispatchEvents();

    int32_t sessionId_;
    TQZCriticalSection logic_{"Falcon Logic"};
    std::unique_ptr<TQZNetworkThread> thread_;
    TQZCriticalSection identityLock_{"Local Identity"};
    TQZIdentity identity_;
    std::atomic<TQZFalconState> state_{FS_DISCONNECTED};
    std::atomic<bool> stateChanged_{false};
    uint16_t port_ = kFalconPort;
    std::thread::id mainThread_;
    // Before the peers: their channels give their bytes back as they go.
    TQZCacheBudget cacheBudget_;
    std::atomic<bool> budgetSpentLogged_{false};
    // The most the caches held since memory was last handed back.
    int64_t cacheHigh_ = 0;
    TQZJoinLedger ledger_;
    TQZLogThrottle throttle_;
    TQZPeers peers_{this};
    TQZFalconServices services_;
    TQZSafeQueue<TQZFalconEventRec> events_;
    TQZNetQueueManager unknown_;
    // Queued datagrams by source; under unknownLock_ with the queue's pushes
    // and pops.
    TQZCriticalSection unknownLock_{"Unknown Queue"};
    std::unordered_map<std::string, int32_t> unknownFrom_;
    TQZPeerCallback onConnect_ = nullptr;
    void* onConnectUser_ = nullptr;
    TQZPeerCallback onDisconnect_ = nullptr;
    void* onDisconnectUser_ = nullptr;
    TQZSessionCallback onState_ = nullptr;
    void* onStateUser_ = nullptr;
    TQZCriticalSection logLock_{"Falcon Log"};
    TQZLogCallback log_ = nullptr;
    void* logUser_ = nullptr;
};

// Main-thread handling (inside Process, under "Falcon Logic") of a datagram
// from an unknown address: a join request at a host, or the welcome of the
// host being joined from a new address.
void AdminProcessUnknown(TQZFalcon& session, const TQZNetPacket& packet);
