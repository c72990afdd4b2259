// Whole datagrams from a peer: the header parser, the connection's receive
// processing and the routing to every channel, and the handling of datagrams
// from unknown addresses at a host and at a joining client.
#include "netsim.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // One joined pair for the whole run, party and game channels in place.
    static nettest::TPair pair(1, 1000, {.keepLog = false, .keepDeliveries = false, .party = true});
    TQZNetHeader header;
    (void)ReadNetHeader(data, size, header);
    TQZNetPacket packet{"client", 0, 0, TQZByteArray(data, data + size)};
    if (auto peer = pair.host.session->Peers().First()) {
        packet.port = peer->Connection().Port();
        TQZLock hold(pair.host.session->Lock());
        peer->Connection().OnDatagram(packet);
    }
    packet.address = "stranger";
    {
        TQZLock hold(pair.host.session->Lock());
        AdminProcessUnknown(*pair.host.session, packet);
    }
    pair.Step(2);
    pair.Heal();
    return 0;
}
