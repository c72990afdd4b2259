// Game messages from a peer into a shared game under way, as its game
// channel delivers them: the host takes them as from its client, the client
// as from its host. The input is a run of messages, each a side byte (bit 0:
// to the client), a 16-bit little-endian length and that many bytes; the
// game goes on between them. With VQ_FUZZ_SEEDS naming a folder, the
// messages of the live game are written there as seeds instead.
#include "mgrMultiplayer.h"
#include "mpMessages.h"
#include "mptable.h"
#include "sessionGovernor.h"

#include <cstdlib>
#include <fstream>

namespace {
using mptest::TPeerRig;

struct TGame {
    mptest::TSharedGame shared{1};
    TPeerRig* host = nullptr;
    TPeerRig* client = nullptr;
    bool playing = false;
    int32_t inputs = 0;

    TGame()
    {
        host = &shared.AddHost({.seed = 3, .expectPeople = 2});
        client = &shared.AddClient({.seed = 3, .name = "Client"}, "client");
        for (TPeerRig* rig : {host, client}) rig->keepLog = false;
        playing = shared.RunUntil(120000, [this] { return Playing(*host) && Playing(*client); });
    }
    static bool Playing(TPeerRig& rig) { return rig.session.Status() == STATUS_PLAYING; }
    bool Usable() const
    {
        return playing && host->multiplayer.IsMultiplayer() && client->multiplayer.IsMultiplayer() &&
               host->table.gamesWon == 0 && inputs < 500;
    }
    void Deliver(TPeerRig& rig, const std::vector<uint8_t>& message)
    {
        TPeerRig::TScope scope(rig);
        TQZFalcon* falcon = rig.multiplayer.GetFalcon();
        std::shared_ptr<TQZPeer> peer = falcon ? falcon->Peers().First() : nullptr;
        std::shared_ptr<TQZChannel> channel = peer ? peer->FindChannel(CHANNEL_GAME) : nullptr;
        if (channel) channel->Deliver(message);
    }
};

std::unique_ptr<TGame>& GameSlot()
{
    static std::unique_ptr<TGame> game;
    return game;
}

TGame& Game()
{
    std::unique_ptr<TGame>& game = GameSlot();
    if (!game || !game->Usable()) {
        game.reset();
        game = std::make_unique<TGame>();
        // The game goes at exit before the statics it registered with.
        static const bool once = (std::atexit([] { GameSlot().reset(); }), true);
        (void)once;
    }
    return *game;
}

void WriteSeed(const std::string& folder, const std::string& name, bool toClient, int32_t id,
               const std::vector<uint8_t>& body)
{
    const std::vector<uint8_t> message = PrependMessageID(id, body);
    std::string bytes(1, char(toClient ? 1 : 0));
    bytes += char(message.size() & 0xFF);
    bytes += char((message.size() >> 8) & 0xFF);
    bytes.append(message.begin(), message.end());
    std::ofstream(folder + "/" + name, std::ios::binary) << bytes;
}

// Messages each side could have been sent at this point of the game.
void WriteSeeds(TGame& game, const std::string& folder)
{
    TPeerRig::TScope scope(*game.host);
    TQZKeyValue tree("samegameQar");
    game.host->session.SaveTo(&tree);
    WriteSeed(folder, "session_update", true, GAMEMSG_SESSION_UPDATE, tree.SaveToBytes());
    const TSeat seat = game.host->session.Tricks().SeatToPlay();
    const TCardset hand = game.host->session.HandOf(seat);
    const TActionPlaycard play(seat, hand.Count() > 0 ? hand.Get(1) : TCard(0));
    WriteSeed(folder, "play_submitted", false, GAMEMSG_ACTION_SUBMITTED, play.SaveTo());
    WriteSeed(folder, "play_broadcast", true, GAMEMSG_ACTION_BROADCAST, play.SaveTo());
    WriteSeed(folder, "bid_submitted", false, GAMEMSG_ACTION_SUBMITTED, TActionBid(seat, "", {SUIT_HEARTS, 7}).SaveTo());
    WriteSeed(folder, "continue_broadcast", true, GAMEMSG_ACTION_BROADCAST, TActionContinue(seat).SaveTo());
    WriteSeed(folder, "chat_to_host", false, GAMEMSG_CHAT, PackChatLine(2, "hello", "Client"));
    WriteSeed(folder, "chat_to_client", true, GAMEMSG_CHAT, PackChatLine(1, "hi", "Player"));
    WriteSeed(folder, "help", false, GAMEMSG_HELP, {});
    WriteSeed(folder, "welcome", true, GAMEMSG_LOBBY_WELCOME, PackLobbyWelcome("Test lobby"));
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TGame& game = Game();
    if (!game.playing) std::abort();  // the shared game never reached its first trick
    if (const char* folder = std::getenv("VQ_FUZZ_SEEDS")) WriteSeeds(game, folder);
    ++game.inputs;
    size_t at = 0;
    while (size - at >= 3) {
        const bool toClient = data[at] & 1;
        const size_t length = std::min<size_t>(size_t(data[at + 1]) | size_t(data[at + 2]) << 8, size - at - 3);
        game.Deliver(toClient ? *game.client : *game.host, std::vector<uint8_t>(data + at + 3, data + at + 3 + length));
        at += 3 + length;
        game.shared.Run(20);
    }
    game.shared.Run(200);
    return 0;
}
