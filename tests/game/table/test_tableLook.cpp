// The card-table widgets drawn on the generated assets on the headless
// device: a hand with a card that may not be played, the other seats, the
// trick, a card in flight and the bidding panel. With VQ_TABLE_FRAMES set
// to a folder the frames are written there as PNG files to look at.
#include "UIAnim.h"
#include "UIAnimCardMove.h"
#include "UIBidButton.h"
#include "UIBidding.h"
#include "UIButton.h"
#include "UICardset.h"
#include "UIContinueBar.h"
#include "UILobbyPlayer.h"
#include "UIPrompt.h"

#include "clVideoDraw.h"
#include "sgCapture.h"
#include "mgrAudio.h"
#include "mgrLoaders.h"
#include "mgrResources.h"
#include "mgrVideo.h"
#include "osWindow.h"
#include "qz7direct3d.h"
#include "qz7video.h"
#include "qz7videochoice.h"
#include "tablefixture.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

class LookTest : public tabletest::TableFixture {
public:
    void SetUp() override
    {
        TableFixture::SetUp();
        std::filesystem::current_path(VQ_RUNTIME_DIR);
        plat::os::SelectWindowBackEnd(plat::os::WindowBackEnd::Headless);
        FrameworkStart("Vantorel Qar");
        ResetManagerRegistry();
        RegisterSettingsManager();
        RegisterLoadersManager();
        RegisterAudioManager();
        RegisterResourcesManager();
        RegisterVideoManager();
        CreateManagers();
        ASSERT_NE(nullptr, Video);
        const TQZRect client = Video->ClientRect();
        root->SetRect(client);
        cards = Video->CardSize();
    }
    void TearDown() override
    {
        root.reset();
        ResetManagerRegistry();
        FrameworkStop();
        plat::os::ResetWindowSystem();
        plat::os::SelectWindowBackEnd(plat::os::WindowBackEnd::Automatic);
        std::filesystem::current_path(old);
        TableFixture::TearDown();
    }

    void Frame(const std::string& name)
    {
        TQZVideo* video = GetVideo();
        ASSERT_EQ(QZRES_OK, video->BeginFrame());
        video->Clear(0xFF000000);
        Video->Draw()->DrawBackdrop(0xFFFFFFFF, root->GetRect());
        root->DrawTree();
        ASSERT_EQ(QZRES_OK, video->EndFrame());
        if (const char* folder = std::getenv("VQ_TABLE_FRAMES")) Save(std::string(folder) + "/" + name + ".png");
    }
    static uint32_t Pixel(int32_t x, int32_t y)
    {
        std::shared_ptr<plat::softgpu::Surface> back;
        Direct3DDevice()->Device()->GetBackBuffer(0, 0, back);
        return back->PixelAt(x, y);
    }
    // Mean brightness (0..255) of a rectangle of the frame.
    static double Brightness(const TQZRect& r)
    {
        double sum = 0;
        int32_t n = 0;
        for (int32_t y = r.top; y < r.bottom; ++y)
            for (int32_t x = r.left; x < r.right; ++x, ++n) {
                const uint32_t p = Pixel(x, y);
                sum += ((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF);
            }
        return n ? sum / n / 3 : 0;
    }
    static void Save(const std::string& path)
    {
        std::shared_ptr<plat::softgpu::Surface> back;
        Direct3DDevice()->Device()->GetBackBuffer(0, 0, back);
        (void)plat::softgpu::WritePng(*back, path);  // a look, not a check
    }

    TUICardset* Hand(TSeat seat, const TQZRect& rect, int32_t layout)
    {
        auto* set = NewWindow<TUICardset>(rect, root.get(), layout, &S().HandOf(seat));
        set->seat = seat;
        set->faceUp = set->interactive = seat == 1;
        set->Animate(16);
        return set;
    }

    vqtest::TempDir home;
    vqtest::ScopedEnv env{"VANTOREL_DATA_HOME", home.Path()};
    vqtest::ScopedEnv audio{"SDL_AUDIODRIVER", "dummy"};
    std::filesystem::path old = std::filesystem::current_path();
    TQZPoint cards;
};

TEST_F(LookTest, TrickPlayDimsTheCardsThatMayNotBePlayed)
{
    // Ten cards a seat dealt round from the deck in order; seat 4 leads its first club.
    TCardset deck;
    deck.FillDeck();
    TCardset hands[4];
    for (int32_t i = 1; i <= 40; ++i) hands[(i - 1) % 4].Add(deck.Get(i));
    StartPlay(4, {SUIT_HEARTS, 6}, {hands[0], hands[1], hands[2], hands[3]});
    TCard lead = 0;
    for (int32_t i = 1; i <= S().HandOf(4).Count() && lead == 0; ++i)
        if (CardSuit(S().HandOf(4).Get(i)) == SUIT_CLUBS) lead = S().HandOf(4).Get(i);
    ASSERT_NE(0, lead);
    Play(4, lead);
    S().FinishMoves();

    const int32_t w = root->GetWidth(), h = root->GetHeight();
    const int32_t r = std::clamp(w / 4, 200, 400);
    TUICardset* bottom = Hand(1, {std::max(250, w / 2 - r), h - cards.y - 10, std::max(250, w / 2 - r) + 2 * r, h - 10},
                              CARDSET_FAN);
    Hand(2, {10, 50, cards.x + 10, h - h / 4 - 30}, CARDSET_COLUMN);
    Hand(3, {std::max(250, w / 2 - r), 25, std::max(250, w / 2 - r) + 2 * r, cards.y + 25}, CARDSET_FAN);
    Hand(4, {w - cards.x - 10, h / 4 + 30, w - 10, h - 50}, CARDSET_COLUMN);
    auto* table = NewWindow<TUICardset>(TQZRect{w / 2 - cards.x, h / 2 - cards.y, w / 2 + cards.x, h / 2 + cards.y},
                                        root.get(), CARDSET_CIRCLE, &S().Deck());
    table->seat = CARDSET_TABLE_SEAT;
    table->faceUp = true;
    auto* host = NewWindow<TUIAnimHost>(root.get());
    NewWindow<TUIAnimCardMove>(host, false, false, false, TCard(5), 1000,
                               TQZPoint{w / 2 - cards.x / 2, h / 2 - cards.y / 2}, TQZPoint{w - 200, 100});
    ms += 300;
    Frame("trick");

    // A club may be played and is bright; a card of another suit is veiled.
    int32_t allowed = 0, barred = 0;
    for (int32_t p = 1; p <= S().HandOf(1).Count(); ++p)
        (bottom->GetCardMark(p) == CARDMARK_NOT_ALLOWED ? barred : allowed) = p;
    ASSERT_NE(0, allowed);
    ASSERT_NE(0, barred);
    auto strip = [&](int32_t p) {
        const TQZRect c = bottom->CalcCardPositions(p);
        return TQZRect{c.left + 2, c.top + 40, c.left + 10, c.top + 60};
    };
    EXPECT_GT(Brightness(strip(allowed)), 2.5 * Brightness(strip(barred)));
}

TEST_F(LookTest, BiddingPanelGreysWhatCannotBeBid)
{
    SetSetting("Variation.Misere", "true");  // the settings manager's tree from here on
    screen.id = STATE_BIDDING;
    Auction(3, {{SUIT_CLUBS, 10}, {SUIT_NOTRUMPS, 1}});
    S().SetStatus(STATUS_BIDDING);
    auto* panel = NewWindow<TUIBidding>(root.get());
    panel->Arrange();
    panel->SelectSuit(SUIT_HEARTS);
    panel->AdvanceFade(2000);  // faded in
    Frame("bidding");
    auto centre = [](TGUIWindow* window) {
        const TQZRect s = window->GetScreenRect();
        return TQZRect{s.left + 40, s.top + 12, s.left + 60, s.top + 24};
    };
    // Spades cannot beat ten clubs; hearts can.
    EXPECT_GT(Brightness(centre(panel->SuitButton(SUIT_HEARTS))),
              1.3 * Brightness(centre(panel->SuitButton(SUIT_SPADES))));
    // Misere (250 points) cannot beat it either, but the game plays it: shown, greyed.
    EXPECT_TRUE(panel->MisereButton()->IsVisible());
    EXPECT_GT(Brightness(centre(panel->SuitButton(SUIT_HEARTS))),
              1.3 * Brightness(centre(panel->MisereButton())));
}

// The lobby's seat rows (this player, a ready remote player, two open seats)
// over a continue bar: the ready tab of a ready player is not the one of a
// player still choosing.
TEST_F(LookTest, LobbyRowsShowWhoIsReady)
{
    const TSeat local = S().Players().LocalPlayer()->SeatId();
    const TSeat remote = local % 4 + 1;
    S().Players().LocalPlayer()->SetName("Lou");
    S().Players().GetPlayer(remote)->MakeRemote(2, TPlayerGUID{1}, "Remy");
    S().Players().GetPlayer(remote)->SetContinue(true);
    TUILobbyPlayer* rows[5] = {};
    for (TSeat s = 1; s <= 4; ++s) {
        const int32_t top = 40 + s * 94 - 59 + (s >= 3 ? 30 : 0);
        rows[s] = MakeUILobbyPlayer({340, top, 900, top + 88}, s, root.get());
    }
    MakeUIContinueBar(root.get());
    root->UpdateTree();
    Frame("lobby");
    auto tab = [&](TSeat s) {
        const TQZRect r = rows[s]->GetScreenRect();
        return TQZRect{r.left + 14, r.top + 54, r.left + 62, r.top + 72};
    };
    auto green = [&](const TQZRect& r) {
        double sum = 0;
        for (int32_t y = r.top; y < r.bottom; ++y)
            for (int32_t x = r.left; x < r.right; ++x) sum += (Pixel(x, y) >> 8) & 0xFF;
        return sum / (r.Width() * r.Height());
    };
    EXPECT_NE(green(tab(local)), green(tab(remote)));
    const TSeat open = remote % 4 + 1;
    EXPECT_TRUE(rows[open]->TakeSeatButton()->IsVisible());
    EXPECT_FALSE(rows[remote]->TakeSeatButton()->IsVisible());
}

TEST_F(LookTest, ALongPromptIsWrittenWholeWithinItsLine)
{
    // The hand's result with two long names, over a hand 512 pixels wide.
    S().Players().GetPlayer(1)->SetName("Bartholomew");
    S().Players().GetPlayer(3)->SetName("Maximiliane");
    S().SetPrompt(S().Players().TeamName(1) + ": Misere failed! 250 points lost!");
    auto* prompt = NewWindow<TUIPrompt>(root.get(), TQZRect{256, 600, 768, 700});
    prompt->Advance(10000);
    Frame("prompt-long");
    const TQZRect r = prompt->GetScreenRect();
    // White text reaches neither end of the line.
    auto white = [&](int32_t x) {
        int32_t n = 0;
        for (int32_t y = r.top; y < r.bottom; ++y) {
            const uint32_t p = Pixel(x, y);
            n += ((p >> 16) & 0xFF) > 200 && ((p >> 8) & 0xFF) > 200 && (p & 0xFF) > 200 ? 1 : 0;
        }
        return n;
    };
    int32_t first = r.right, last = r.left;
    for (int32_t x = r.left; x < r.right; ++x)
        if (white(x) > 0) first = std::min(first, x), last = x;
    ASSERT_LT(first, last) << "written";
    // Cut off, it would run to both ends.
    EXPECT_GE(first - r.left, 4);
    EXPECT_GE(r.right - 1 - last, 4);
}

}  // namespace
