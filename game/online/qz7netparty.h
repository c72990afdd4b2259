// The party service: the host's list of the players in a party, with party
// ids, link figures and the changes reported to the owner; clients keep the
// copy the host sends on the party channel.
#pragma once

#include "qz7falcon.h"

constexpr size_t kPartyMemberSize = 72;
constexpr size_t kPartyUpdateHead = 12;
constexpr uint32_t kPartyScanInterval = 1000;
constexpr uint32_t kPartyGoodbyeRemoval = 2000;
constexpr uint32_t kPartyDisconnectRemoval = 12000;

constexpr uint32_t PARTY_FLAG_HOST = 0x1;
constexpr uint32_t PARTY_FLAG_LEADER = 0x2;
constexpr uint32_t PARTY_FLAG_POOR_LINK = 0x10;
constexpr uint32_t PARTY_FLAG_NOT_CONNECTED = 0x4000;
constexpr uint32_t PARTY_FLAG_LEAVING = 0x8000;

enum TQZPartyEvent {
    PARTY_PENDING = 1,
    PARTY_JOINED = 2,
    PARTY_LEAVE = 3,
    PARTY_DISCONNECT = 4,
    PARTY_LEAD_CHANGED = 5,
    PARTY_DISBANDED = 6
};
enum TQZPartyState { PARTY_OPEN = 0, PARTY_CLOSED = 1, PARTY_FULL = 2 };
enum TQZPartyMessage { PARTY_MSG_UPDATE = 1, PARTY_MSG_WELCOME = 2 };

struct TQZPartyMember {
    uint8_t partyId = 0;
    TQZIdentity identity;
    uint32_t flags = 0;
    int32_t rtt = 0;
    int32_t quality = 100;
    std::weak_ptr<TQZPeer> peer;
    uint32_t removalTime = 0;
    bool Present() const { return (flags & (PARTY_FLAG_NOT_CONNECTED | PARTY_FLAG_LEAVING)) == 0; }
};
void WritePartyMember(TQZNetWriter& w, const TQZPartyMember& member);
TQZPartyMember ReadPartyMember(TQZNetReader& r);

struct TQZPartyChange {
    uint8_t event = 0;
    uint8_t partyId = 0;
    bool operator==(const TQZPartyChange&) const = default;
};
std::string PartyChangeText(const TQZPartyChange& change);

struct TQZPartyPending {
    int32_t ticket = 0;
    uint8_t partyId = 0;
    const TQZPeer* peer = nullptr;
};

using TQZPartyChangeCallback = void (*)(void* user, const TQZPartyChange& change);
using TQZPartyListCallback = void (*)(void* user);

class TQZPartyService : public TQZFalconService {
public:
    explicit TQZPartyService(TQZFalcon* session);

    // The session's calls: main thread, except OnThreadTick (network
    // thread), all under "Falcon Logic".
    void Close() override;
    void OnEvent(const TQZFalconEventRec& event) override;
    void OnPeerAdded(TQZPeer* peer) override;
    void Process() override;
    void OnThreadTick() override;

    // Any thread: the service's own lock "Party Service".
    TQZPartyMember GetMember(uint8_t partyId);
    std::shared_ptr<TQZPeer> GetMemberPeer(uint8_t partyId);
    int32_t MemberCount();
    std::vector<TQZPartyMember> Members();
    [[nodiscard]] int32_t SetMaxPartySize(int32_t size);
    int32_t MaxPartySize();
    void SetPartyState(TQZPartyState state);
    TQZPartyState PartyState();
    uint8_t LocalPartyId();
    void AddChangeEvent(uint8_t event, uint8_t partyId);

    // Set before the session runs; called on the main thread inside Process.
    void SetOnChange(TQZPartyChangeCallback callback, void* user) { onChange_ = callback; onChangeUser_ = user; }
    void SetOnListChanged(TQZPartyListCallback callback, void* user) { onList_ = callback; onListUser_ = user; }

private:
    static void OnPartyReceive(void* user, TQZChannel* channel, const TQZByteArray& payload);
    static void OnPartyReceipt(void* user, TQZChannel* channel, const TReceiptRec& receipt);
    void ReceiveUpdate(TQZNetReader& r, TQZPeer* from);
    uint8_t AllocateId();
    void AddMember(const std::shared_ptr<TQZPeer>& peer);
    void SendWelcome(TQZPartyMember& member, const std::shared_ptr<TQZPeer>& peer);
    void MemberLeaves(size_t index, bool goodbye);
    void Scan();
    void SendUpdate();
    void Sort();
    void Reset();
    int32_t PresentCount();
    int32_t FindByPeer(const TQZPeer* peer);

    TQZCriticalSection lock_{"Party Service"};
    std::vector<TQZPartyMember> members_;
    std::vector<TQZPartyPending> pending_;
    std::vector<TQZPartyChange> outgoing_;
    std::vector<TQZPartyChange> incoming_;
    uint8_t localId_ = 0;
    int32_t maxSize_ = 4;
    TQZPartyState state_ = PARTY_OPEN;
    bool needsUpdate_ = true;
    uint32_t lastScan_ = 0;
    bool scanNow_ = false;
    bool changed_ = false;
    TQZPartyChangeCallback onChange_ = nullptr;
    void* onChangeUser_ = nullptr;
    TQZPartyListCallback onList_ = nullptr;
    void* onListUser_ = nullptr;
};
