// Payloads straight into a channel's receive path: the first byte picks the
// channel (admin, relay, chunk, multipart, party, game) and the side.
#include "netsim.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0) return 0;
    static const uint16_t kChannels[] = {CHANNEL_ADMIN,     CHANNEL_RELAY, CHANNEL_CHUNK,
                                         CHANNEL_MULTIPART, CHANNEL_PARTY, CHANNEL_GAME};
    // One joined pair for the whole run, party and game channels in place.
    static nettest::TPair pair(1, 1000, {.keepLog = false, .keepDeliveries = false, .party = true});
    const uint16_t id = kChannels[(data[0] & 0x7F) % 6];
    TQZFalcon& side = *((data[0] & 0x80) ? pair.client : pair.host).session;
    std::shared_ptr<TQZPeer> peer = side.Peers().First();
    if (!peer) return 0;
    std::shared_ptr<TQZChannel> channel = peer->FindChannel(id);
    if (!channel) return 0;
    {
        TQZLock hold(side.Lock());
        channel->OnReceiveTS(TQZByteArray(data + 1, data + size));
    }
    pair.Step(2);
    pair.Heal();
    return 0;
}
