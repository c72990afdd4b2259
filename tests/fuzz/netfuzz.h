// A host and a client joined on the in-memory transport, kept for every
// input of a fuzz run, with the game and party channels in place.
#pragma once

#include "qz7netadmin.h"
#include "qz7netchunk.h"
#include "qz7netmemory.h"
#include "qz7netmultipart.h"
#include "qz7netparty.h"

#include <memory>

namespace netfuzz {

struct TFuzzPair {
    TFuzzPair() : net(1)
    {
        net.UseAsNetClock();
        auto h = net.CreateEndpoint("host");
        auto c = net.CreateEndpoint("client");
        hostThread = h.get();
        clientThread = c.get();
        host = std::make_unique<TQZFalcon>(731, std::move(h));
        client = std::make_unique<TQZFalcon>(731, std::move(c));
        host->GetPartyService();
        client->GetPartyService();
        host->Host();
        client->Open("host");
        for (int i = 0; i < 3000 && client->State() != FS_CLIENT_CONNECTED; ++i) Step(1);
        AddGame(*host);
        AddGame(*client);
    }
    static void AddGame(TQZFalcon& s)
    {
        TQZPeer* peer = s.Peers().First().get();
        if (!peer || peer->FindChannel(CHANNEL_GAME)) return;
        auto* game = peer->AddChannel(std::make_shared<TQZChannelReliable>(peer, true, CHANNEL_GAME));
        game->SetReceiveCallback([](void*, TQZChannel*, const TQZByteArray&) {}, nullptr);
    }
    void Step(uint32_t ms)
    {
        for (uint32_t i = 0; i < ms; ++i) {
            net.Advance(1);
            host->Process();
            client->Process();
            hostThread->Pump();
            clientThread->Pump();
        }
    }
    // Keeps the pair joined whatever an input did to it.
    void Heal()
    {
        if (client->State() == FS_CLIENT_CONNECTED && host->IsConnected()) return;
        client->Close();
        host->Close();
        host->Host();
        client->Open("host");
        for (int i = 0; i < 3000 && client->State() != FS_CLIENT_CONNECTED; ++i) Step(1);
        AddGame(*host);
        AddGame(*client);
    }

    TQZMemoryNetwork net;
    TQZMemoryNetworkThread* hostThread;
    TQZMemoryNetworkThread* clientThread;
    std::unique_ptr<TQZFalcon> host, client;
};

inline TFuzzPair& Pair()
{
    static TFuzzPair pair;
    return pair;
}

}  // namespace netfuzz
