// Whole datagrams from a peer: the header parser, the connection's receive
// processing and the routing to every channel, and the handling of datagrams
// from unknown addresses at a host and at a joining client.
#include "netfuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    netfuzz::TFuzzPair& pair = netfuzz::Pair();
    TQZNetHeader header;
    ReadNetHeader(data, size, header);
    TQZNetPacket packet{"client", 0, 0, TQZByteArray(data, data + size)};
    if (auto peer = pair.host->Peers().First()) {
        packet.port = peer->Connection().Port();
        TQZLock hold(pair.host->Lock());
        peer->Connection().OnDatagram(packet);
    }
    packet.address = "stranger";
    {
        TQZLock hold(pair.host->Lock());
        AdminProcessUnknown(*pair.host, packet);
    }
    pair.Step(2);
    pair.Heal();
    return 0;
}
