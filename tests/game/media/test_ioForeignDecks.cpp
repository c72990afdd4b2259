// The foreign deck readers on decks written by the builders in
// foreigndecks.h: card order, colours, texts, card sizes, the joker's
// composition, the order of trial, and files that lie about their sizes.
#include "clCardGraphics.h"
#include "coreGame.h"
#include "foreigndecks.h"
#include "ioDeckReader.h"
#include "ioImage.h"
#include "ioRekoAmiga.h"
#include "ioRekoPC.h"
#include "ioRekoPCRKP.h"
#include "ioWizSolitaire.h"
#include "mediafixture.h"
#include "mgrLoaders.h"
#include "qz7memory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>

namespace {

using mediatest::PixelOf;
using mediatest::PngOf;
using vqdecks::Bytes;

std::unique_ptr<TQZMemory> MemoryOf(const Bytes& b)
{
    auto m = std::make_unique<TQZMemory>();
    EXPECT_EQ(QZRES_OK, m->AssignBytes(b.data(), int32_t(b.size())));
    return m;
}

template <class L> std::unique_ptr<TCardGraphics> LoadWith(const Bytes& b)
{
    L loader;
    return loader.Load(*MemoryOf(b));
}

int ImageCount(TCardGraphics& c)
{
    int n = 0;
    for (int i = 0; i < CARDGFX_SLOTS; ++i) n += c.HasImage(i) ? 1 : 0;
    return n;
}

// An opaque colour per file position, far enough apart to tell them apart.
uint32_t PositionColour(int position) { return 0xFF000000u | uint32_t(position * 4) << 16 | uint32_t(255 - position); }

class ForeignDeckTest : public mediatest::DeviceFixture {};

// ---------------------------------------------------------------- REKO Amiga

vqdecks::RekoAmiga Amiga(int cards)
{
    vqdecks::RekoAmiga d;
    d.cards = cards;
    for (int i = 0; i < 256; ++i) d.paletteRgb.push_back(PositionColour(i) & 0xFFFFFF);
    return d;
}

int AmigaSlot(int position)
{
    for (int slot = 0; slot < 53; ++slot)
        if (vqdecks::RekoAmigaPosition(slot) == position) return slot;
    return -1;
}

TEST_F(ForeignDeckTest, RekoAmigaMapsPositionsToSlotsAndSkipsTheRest)
{
    auto c = LoadWith<TLoaderRekoAmiga>(vqdecks::Build(Amiga(59)));
    ASSERT_NE(nullptr, c);
    EXPECT_EQ("RekoSet (Amiga)", c->Title);
    EXPECT_EQ("Not Specified", c->Author);
    EXPECT_EQ("Reko - Amiga format", c->Comments);
    EXPECT_EQ(88, c->Width());
    EXPECT_EQ(130, c->Height());
    EXPECT_EQ(53, ImageCount(*c)) << "positions 0, 1 and 55..58 name no slot";
    for (int slot = 0; slot < 52; ++slot) {
        TQZTexture* t = c->GetImage(slot);
        ASSERT_NE(nullptr, t);
        EXPECT_EQ(256, t->GetWidth());
        EXPECT_EQ(PositionColour(vqdecks::RekoAmigaPosition(slot)), PixelOf(t, 87, 129)) << "slot " << slot;
        EXPECT_EQ(0u, PixelOf(t, 88, 0)) << "only the card's own area is drawn";
    }
    // The joker is composed onto a card-sized square: position 2's colour fills it.
    EXPECT_EQ(PositionColour(2), PixelOf(c->GetImage(52), 44, 65));
}

TEST_F(ForeignDeckTest, RekoAmigaPaletteSizeFollowsPlanes)
{
    // A five-plane deck has 32 palette entries: the cards start right after
    // them, so each card shows its palette colour, not shifted bytes.
    vqdecks::RekoAmiga plain = Amiga(6);
    plain.planes = 5;
    plain.value = [](int position, int, int) { return uint8_t(position + 20); };
    auto c = LoadWith<TLoaderRekoAmiga>(vqdecks::Build(plain));
    ASSERT_NE(nullptr, c);
    for (int position : {3, 4, 5})
        EXPECT_EQ(PositionColour(position + 20), PixelOf(c->GetImage(AmigaSlot(position)), 10, 10)) << position;
}

TEST_F(ForeignDeckTest, RekoAmigaHamHoldsAndModifies)
{
    // Eight planes with HAM: 64 palette entries; a row of (control, data)
    // pairs: set from the palette, then modify blue, red and green.
    vqdecks::RekoAmiga d = Amiga(4);
    d.ham = true;
    d.paletteRgb.assign(64, 0);
    d.paletteRgb[5] = 0x102030;
    d.value = [](int, int x, int) -> uint8_t {
        switch (x) {
        case 0: return 0x00 | 5;   // palette 5
        case 1: return 0x40 | 10;  // blue := 40
        case 2: return 0x80 | 20;  // red := 80
        case 3: return 0xC0 | 63;  // green := 252
        default: return 0x40 | 1;  // blue := 4
        }
    };
    auto c = LoadWith<TLoaderRekoAmiga>(vqdecks::Build(d));
    ASSERT_NE(nullptr, c);
    TQZTexture* t = c->GetImage(AmigaSlot(3));
    ASSERT_NE(nullptr, t);
    EXPECT_EQ(0xFF102030u, PixelOf(t, 0, 7));
    EXPECT_EQ(0xFF102028u, PixelOf(t, 1, 7));
    EXPECT_EQ(0xFF502028u, PixelOf(t, 2, 7));
    EXPECT_EQ(0xFF50FC28u, PixelOf(t, 3, 7));
    EXPECT_EQ(0xFF50FC04u, PixelOf(t, 4, 7));
}

TEST_F(ForeignDeckTest, RekoAmigaOutsideTheFormatIsNotDetected)
{
    struct Case {
        const char* what;
        int width, height, planes;
        bool ham;
    };
    const Case cases[] = {
        {"87 wide", 87, 130, 8, false},  {"131 high", 88, 131, 8, false},
        {"no planes", 88, 130, 0, false}, {"nine planes", 88, 130, 9, false},
        {"HAM with 7 planes", 88, 130, 7, false},
        {"255 planes (shift overflow)", 88, 130, 255, false},
    };
    TLoaderRekoAmiga loader;
    for (const Case& k : cases) {
        vqdecks::RekoAmiga d = Amiga(0);
        d.width = k.width;
        d.height = k.height;
        d.planes = k.planes < 9 ? k.planes : 1;  // the builder cannot write a huge palette
        d.ham = k.ham || k.planes == 7;
        Bytes b = vqdecks::Build(d);
        b[20] = uint8_t(k.planes);
        EXPECT_FALSE(loader.Detect(*MemoryOf(b))) << k.what;
        EXPECT_EQ(nullptr, loader.Load(*MemoryOf(b))) << k.what;
    }
    vqdecks::RekoAmiga ham6 = Amiga(0);
    ham6.ham = true;
    ham6.planes = 6;
    EXPECT_TRUE(loader.Detect(*MemoryOf(vqdecks::Build(ham6))));
}

TEST_F(ForeignDeckTest, RekoAmigaCutShortKeepsTheWholeCards)
{
    Bytes b = vqdecks::Build(Amiga(55));
    const size_t header = 22 + 256 * 3, card = 8 * 130 * 11;
    b.resize(header + 10 * card + card / 2);  // the data ends inside position 10
    auto c = LoadWith<TLoaderRekoAmiga>(b);
    ASSERT_NE(nullptr, c);
    int expected = 0;
    for (int slot = 0; slot < 53; ++slot) {
        const bool whole = vqdecks::RekoAmigaPosition(slot) < 10;
        expected += whole ? 1 : 0;
        EXPECT_EQ(whole, c->HasImage(slot)) << "slot " << slot;
    }
    EXPECT_EQ(expected, ImageCount(*c));
}

// ---------------------------------------------------------------- REKO PC

TEST_F(ForeignDeckTest, RekoColoursAreFiveBitsEach)
{
    const std::pair<uint16_t, uint32_t> cases[] = {
        {0x0000, 0xFF000000u}, {0x7FFF, 0xFFF8F8F8u}, {0x7C00, 0xFFF80000u},
        {0x03E0, 0xFF00F800u}, {0x001F, 0xFF0000F8u}, {0x8421, 0xFF080808u},
    };
    for (auto [v, argb] : cases) EXPECT_EQ(argb, RekoColour(v)) << std::hex << v;
}

TEST_F(ForeignDeckTest, RekoPCSixteenAndEightBits)
{
    vqdecks::RekoPC d16;
    d16.pixel = [](int position, int x, int) { return uint16_t(x == 0 ? 0x7C00 : position); };
    auto c = LoadWith<TLoaderRekoPC>(vqdecks::Build(d16));
    ASSERT_NE(nullptr, c);
    EXPECT_EQ("RekoSet (PC)", c->Title);
    EXPECT_EQ("Reko - PC format", c->Comments);
    EXPECT_EQ(53, ImageCount(*c));
    for (int slot : {0, 12, 13, 38, 51}) {
        EXPECT_EQ(RekoColour(uint16_t(vqdecks::RekoPCPosition(slot))), PixelOf(c->GetImage(slot), 5, 5));
        EXPECT_EQ(0xFFF80000u, PixelOf(c->GetImage(slot), 0, 129));
    }

    vqdecks::RekoPC d8;
    d8.bits = 8;
    d8.cards = 60;  // positions 53..59 are read past
    d8.pixel = [](int, int x, int) { return uint16_t(x % 3); };
    d8.palette = [](int position, int index) { return uint16_t(index == 2 ? position : 0x001F); };
    c = LoadWith<TLoaderRekoPC>(vqdecks::Build(d8));
    ASSERT_NE(nullptr, c);
    EXPECT_EQ(53, ImageCount(*c));
    TQZTexture* sevenOfHearts = c->GetImage(3 * 13 + 5);
    EXPECT_EQ(0xFF0000F8u, PixelOf(sevenOfHearts, 0, 0));
    EXPECT_EQ(RekoColour(uint16_t(vqdecks::RekoPCPosition(3 * 13 + 5))), PixelOf(sevenOfHearts, 2, 0));
}

TEST_F(ForeignDeckTest, RekoPCOnlyEightOrSixteenBitsOfCardSize)
{
    TLoaderRekoPC loader;
    for (auto [bits, width, height, ok] : {std::tuple{8, 88, 130, true}, {16, 88, 130, true}, {24, 88, 130, false},
                                           {0, 88, 130, false}, {16, 71, 96, false}}) {
        vqdecks::RekoPC d;
        d.bits = bits == 24 || bits == 0 ? 16 : bits;
        d.cards = 0;
        d.width = width;
        d.height = height;
        Bytes b = vqdecks::Build(d);
        b[20] = uint8_t(bits);
        EXPECT_EQ(ok, loader.Detect(*MemoryOf(b))) << bits << " bits, " << width << " x " << height;
    }
}

// ---------------------------------------------------------------- REKO PC-RKP

vqdecks::RekoRkp RkpDeck(int entries)
{
    vqdecks::RekoRkp d;
    d.count = std::max(entries + 1, 54);
    d.author = "A. Painter";
    d.comments = "Drawn for tests";
    for (int position = 0; position < entries; ++position) d.entries.push_back(PngOf(40, 60, PositionColour(position)));
    return d;
}

TEST_F(ForeignDeckTest, RekoRkpTextsSizeAndEntries)
{
    auto c = LoadWith<TLoaderRekoPCRKP>(vqdecks::Build(RkpDeck(54)));
    ASSERT_NE(nullptr, c);
    EXPECT_EQ("Rekoset (PC-RKP)", c->Title);
    EXPECT_EQ("A. Painter", c->Author);
    EXPECT_EQ("Drawn for tests", c->Comments);
    EXPECT_EQ(40, c->Width());
    EXPECT_EQ(60, c->Height());
    EXPECT_EQ(53, ImageCount(*c));
    for (int slot : {0, 7, 25, 51})
        EXPECT_EQ(PositionColour(vqdecks::RekoRkpPosition(slot)), PixelOf(c->GetImage(slot), 1, 1)) << slot;
    EXPECT_EQ(PositionColour(53), PixelOf(c->GetImage(52), 20, 30)) << "the joker from position 53";
}

TEST_F(ForeignDeckTest, RekoRkpTextsEndAtZeroOr255Characters)
{
    vqdecks::RekoRkp d = RkpDeck(0);
    d.author = std::string(300, 'a');
    d.comments = "short";
    auto c = LoadWith<TLoaderRekoPCRKP>(vqdecks::Build(d));
    ASSERT_NE(nullptr, c);
    EXPECT_EQ(std::string(255, 'a'), c->Author);
    EXPECT_EQ("short", c->Comments);
}

TEST_F(ForeignDeckTest, RekoRkpDetectRange)
{
    struct Case {
        int32_t width, height;
        int64_t count;
        bool detected;
    };
    const Case cases[] = {
        {512, 512, 51, true}, {513, 60, 54, false}, {40, 513, 54, false}, {40, 60, 50, false},
        {0, 60, 54, false},   {-5, 60, 54, false},  {40, -1, 54, false},  {40, 60, 0x7FFFFFFF, true},
    };
    TLoaderRekoPCRKP loader;
    for (const Case& k : cases) {
        vqdecks::RekoRkp d;
        d.width = k.width;
        d.height = k.height;
        d.count = k.count;
        EXPECT_EQ(k.detected, loader.Detect(*MemoryOf(vqdecks::Build(d)))) << k.width << " x " << k.height;
    }
}

TEST_F(ForeignDeckTest, RekoRkpLyingCountsStopAtTheEndOfTheData)
{
    // A count of two billion entries over a file of 54: the walk ends with
    // the data instead of reading empty entries for ever.
    vqdecks::RekoRkp d = RkpDeck(54);
    d.count = 0x7FFFFFFF;
    const auto start = std::chrono::steady_clock::now();
    auto c = LoadWith<TLoaderRekoPCRKP>(vqdecks::Build(d));
    ASSERT_NE(nullptr, c);
    EXPECT_EQ(53, ImageCount(*c));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));

    // An entry whose size runs past the end gets the bytes there are.
    Bytes b = vqdecks::Build(RkpDeck(3));
    vqdecks::PutLE32(b, 1104, 0xFFFFFFF0u);
    c = LoadWith<TLoaderRekoPCRKP>(b);
    ASSERT_NE(nullptr, c);
    EXPECT_EQ(0, ImageCount(*c));
}

// The header's count (a 32-bit value at offset 28) names count - 1 entries;
// entries beyond them are not read, however many the file holds.
TEST_F(ForeignDeckTest, RekoRkpHeaderCountNamesTheEntriesRead)
{
    const struct {
        int64_t count;
        int images;
        bool joker;
    } cases[] = {
        {51, 49, false}, {54, 52, false}, {55, 53, true}, {56, 53, true}, {0x10036, 53, true},
    };
    for (const auto& k : cases) {
        vqdecks::RekoRkp d = RkpDeck(60);
        d.count = k.count;
        auto c = LoadWith<TLoaderRekoPCRKP>(vqdecks::Build(d));
        ASSERT_NE(nullptr, c) << k.count;
        EXPECT_EQ(k.images, ImageCount(*c)) << k.count;
        EXPECT_EQ(k.joker, c->HasImage(52)) << k.count;
    }
}

TEST_F(ForeignDeckTest, RekoRkpBadOrHugeEntriesLeaveTheirSlotsEmpty)
{
    vqdecks::RekoRkp d = RkpDeck(54);
    d.entries[size_t(vqdecks::RekoRkpPosition(0))] = {1, 2, 3, 4, 5};
    d.entries[size_t(vqdecks::RekoRkpPosition(1))] = PngOf(FOREIGN_PICTURE_MAX_SIDE + 1, 2, 0xFF00FF00);
    auto c = LoadWith<TLoaderRekoPCRKP>(vqdecks::Build(d));
    ASSERT_NE(nullptr, c);
    EXPECT_FALSE(c->HasImage(0));
    EXPECT_FALSE(c->HasImage(1));
    EXPECT_EQ(51, ImageCount(*c));
}

// ---------------------------------------------------------------- WizSolitaire

std::vector<vqdecks::WizSolEntry> WizEntries(int count)
{
    std::vector<vqdecks::WizSolEntry> e;
    for (int position = 0; position < count; ++position)
        e.push_back({30 + position % 2, 50, PngOf(31, 50, PositionColour(position))});
    return e;
}

TEST_F(ForeignDeckTest, WizSolitaireOrderSizesAndJoker)
{
    auto entries = WizEntries(53);
    entries[0].width = 20;  // the joker is composed at its own entry's size
    entries[0].height = 25;
    entries[52] = {33, 44, PngOf(33, 44, PositionColour(52))};
    auto c = LoadWith<TLoaderWizSol>(vqdecks::BuildWizSol(entries));
    ASSERT_NE(nullptr, c);
    EXPECT_EQ("WizSolitaire", c->Title);
    EXPECT_EQ("Unknown", c->Author);
    EXPECT_EQ("Unknown", c->Comments);
    EXPECT_EQ(33, c->Width()) << "the last entry's size";
    EXPECT_EQ(44, c->Height());
    EXPECT_EQ(53, ImageCount(*c));
    for (int slot : {0, 12, 13, 26, 51})
        EXPECT_EQ(PositionColour(vqdecks::WizSolPosition(slot)), PixelOf(c->GetImage(slot), 2, 2)) << slot;
    TQZTexture* joker = c->GetImage(52);
    EXPECT_EQ(128, joker->GetWidth());
    EXPECT_EQ(PositionColour(0), PixelOf(joker, 19, 24));
    EXPECT_EQ(0u, PixelOf(joker, 20, 24)) << "composed at 20 x 25";
}

TEST_F(ForeignDeckTest, WizSolitaireCutShortOrLyingSizes)
{
    Bytes b = vqdecks::BuildWizSol(WizEntries(53));
    b.resize(b.size() / 2);
    auto c = LoadWith<TLoaderWizSol>(b);
    ASSERT_NE(nullptr, c);
    EXPECT_GT(ImageCount(*c), 10);
    EXPECT_LT(ImageCount(*c), 53);

    auto entries = WizEntries(53);
    entries[0].width = 0x7FFFFFFF;  // a joker no texture can hold
    entries[52].width = -3;         // a card size that cannot be drawn
    c = LoadWith<TLoaderWizSol>(vqdecks::BuildWizSol(entries));
    ASSERT_NE(nullptr, c);
    EXPECT_FALSE(c->HasImage(52));
    EXPECT_EQ(CARDGFX_FALLBACK_WIDTH, c->Width());
    EXPECT_EQ(CARDGFX_FALLBACK_HEIGHT, c->Height());

    // An image size past the end yields the bytes there are (the picture
    // still decodes), and no entry follows.
    b = vqdecks::BuildWizSol(WizEntries(2));
    vqdecks::PutLE32(b, 24 + 10, 0xFFFFFFFFu);
    c = LoadWith<TLoaderWizSol>(b);
    ASSERT_NE(nullptr, c);
    EXPECT_EQ(1, ImageCount(*c));
    EXPECT_TRUE(c->HasImage(52));
}

// The card size is the last entry's, unless no texture could hold it or the
// file is far too small to back it.
TEST_F(ForeignDeckTest, WizSolitaireLastEntryDecidesTheCardSize)
{
    const struct {
        int32_t width, height;
        bool kept;
    } cases[] = {
        {33, 50, true},     {1, 1, true},       {600, 900, true},  {5000, 5000, false}, {4097, 50, false},
        {33, 4097, false},  {0, 50, false},     {33, 0, false},    {-3, 50, false},     {12, 3840, false},
    };
    for (const auto& k : cases) {
        auto entries = WizEntries(53);
        entries[52].width = k.width;
        entries[52].height = k.height;
        auto c = LoadWith<TLoaderWizSol>(vqdecks::BuildWizSol(entries));
        ASSERT_NE(nullptr, c);
        EXPECT_EQ(k.kept ? k.width : CARDGFX_FALLBACK_WIDTH, c->Width()) << k.width << " x " << k.height;
        EXPECT_EQ(k.kept ? k.height : CARDGFX_FALLBACK_HEIGHT, c->Height()) << k.width << " x " << k.height;
        EXPECT_EQ(53, ImageCount(*c)) << "the cards load whatever the size";
    }
}

// A few hundred bytes claiming a joker 12 x 3840: composing it would take a
// 4096 x 4096 texture. The deck loads, without that joker and at the game's
// own card size.
TEST_F(ForeignDeckTest, WizSolitaireSmallFileCannotAskForAHugeJoker)
{
    Bytes b = vqdecks::BuildWizSol({{12, 3840, PngOf(12, 40, 0xFF336699)}});
    ASSERT_LT(b.size(), 400u);
    auto c = LoadWith<TLoaderWizSol>(b);
    ASSERT_NE(nullptr, c);
    EXPECT_FALSE(c->HasImage(52));
    EXPECT_EQ(CARDGFX_FALLBACK_WIDTH, c->Width());
    EXPECT_EQ(CARDGFX_FALLBACK_HEIGHT, c->Height());

    // The same joker in a file whose bytes can back it is composed.
    Bytes padding(DECK_PICTURE_SIDE * 1024, 0);
    b = vqdecks::BuildWizSol({{12, 3840, PngOf(12, 40, 0xFF336699)}});
    b.insert(b.end(), padding.begin(), padding.end());
    c = LoadWith<TLoaderWizSol>(b);
    ASSERT_NE(nullptr, c);
    ASSERT_TRUE(c->HasImage(52));
    EXPECT_EQ(4096, c->GetImage(52)->GetWidth());
}

// Pictures that compress to a few bytes each stop once the deck's bytes no
// longer back their pixels; the budget is the deck's, not each picture's.
TEST_F(ForeignDeckTest, ForeignDeckPicturesStopAtTheFilesPixelBudget)
{
    const Bytes big = PngOf(FOREIGN_PICTURE_MAX_SIDE, FOREIGN_PICTURE_MAX_SIDE, 0xFF204060);
    std::vector<vqdecks::WizSolEntry> wiz;
    vqdecks::RekoRkp rkp = RkpDeck(0);
    for (int position = 0; position < 53; ++position) {
        wiz.push_back({33, 50, big});
        rkp.entries.push_back(big);
    }
    rkp.count = 55;
    const Bytes wizBytes = vqdecks::BuildWizSol(wiz), rkpBytes = vqdecks::Build(rkp);
    const int64_t side = FOREIGN_PICTURE_MAX_SIDE;
    for (const auto& [name, bytes] : {std::pair{"WizSolitaire", wizBytes}, std::pair{"PC-RKP", rkpBytes}}) {
        SCOPED_TRACE(name);
        const int64_t budget = DECK_PIXEL_FLOOR + int64_t(bytes.size()) * DECK_PIXELS_PER_BYTE;
        ASSERT_LT(budget, 53 * side * side) << "the pictures must be worth more than the file";
        auto c = name == std::string("PC-RKP") ? LoadWith<TLoaderRekoPCRKP>(bytes) : LoadWith<TLoaderWizSol>(bytes);
        ASSERT_NE(nullptr, c);
        EXPECT_GE(ImageCount(*c), 1);
        EXPECT_LE(ImageCount(*c) * side * side, budget);
    }
}

TEST(DeckPixelBudgetTest, TakesWhatIsLeftAndRefusesOverflow)
{
    TDeckPixelBudget budget(0);
    EXPECT_TRUE(budget.Allows(1024, 1024));
    EXPECT_FALSE(budget.Allows(1024, 1025));
    EXPECT_FALSE(budget.Allows(INT64_MAX, 2)) << "no overflow";
    EXPECT_TRUE(budget.Take(512, 1024));
    EXPECT_FALSE(budget.Take(512, 1025));
    EXPECT_TRUE(budget.Take(1024, 512)) << "a refused take takes nothing";
    EXPECT_FALSE(budget.Take(1, 1));
    EXPECT_TRUE(budget.Allows(1024, 1024)) << "the whole budget, not what is left";
    TDeckPixelBudget bigger(1000);
    EXPECT_TRUE(bigger.Take(1, DECK_PIXEL_FLOOR + 1000 * DECK_PIXELS_PER_BYTE));
    EXPECT_FALSE(bigger.Take(1, 1));
}

// ---------------------------------------------------------------- single picture

TEST_F(ForeignDeckTest, ImageCardSizeRoundsHalvesToEven)
{
    const std::tuple<int, int, int> cases[] = {
        {700, 1000, 168}, {1000, 700, 176}, {67, 160, 100}, {69, 160, 104}, {1, 480, 1}, {1, 1, 176},
    };
    for (auto [w, h, width] : cases) {
        EXPECT_EQ((TQZPoint{width, 240}), ImageDeckCardSize(w, h)) << w << " x " << h;
    }
}

TEST_F(ForeignDeckTest, ImageFillsTheGamesDeckOnly)
{
    auto c = LoadWith<TLoaderImage>(PngOf(70, 100, 0xFF336699));
    ASSERT_NE(nullptr, c);
    EXPECT_EQ(168, c->Width());
    EXPECT_EQ(240, c->Height());
    EXPECT_FALSE(c->AlignLeft);
    EXPECT_EQ("", c->Title);
    for (int slot = 0; slot < CARDGFX_SLOTS; ++slot) {
        EXPECT_EQ(IsCardInDeck(slot), c->HasImage(slot)) << slot;
        if (c->HasImage(slot)) {
            EXPECT_EQ(0xFF336699u, PixelOf(c->GetImage(slot), 84, 120));
        }
    }
    TLoaderImage loader;
    EXPECT_EQ(nullptr, loader.Load(*MemoryOf({0x89, 'P', 'N', 'G'}))) << "four bytes are not enough";
    EXPECT_EQ(nullptr, loader.Load(*MemoryOf({0x89, 'P', 'N', 'G', 0, 1, 2}))) << "a signature that does not decode";
    EXPECT_EQ(nullptr, loader.Load(*MemoryOf(PngOf(IMAGE_DECK_MAX_SIDE + 1, 1, 0xFF000000))));
}

// ---------------------------------------------------------------- order of trial

TEST_F(ForeignDeckTest, RegistryTriesTheFormatsInTheirOrder)
{
    TLoaders loaders;
    loaders.Initialize();
    ASSERT_EQ(6, loaders.Count());
    vqdecks::RekoPC pc;
    pc.cards = 1;
    const std::pair<Bytes, int> cases[] = {
        {vqdecks::Build(Amiga(1)), 2},        {vqdecks::Build(pc), 3},
        {vqdecks::Build(RkpDeck(0)), 4},      {vqdecks::BuildWizSol(WizEntries(1)), 5},
        {PngOf(4, 4, 0xFF000000), 6},
    };
    for (const auto& [bytes, position] : cases) {
        EXPECT_EQ(position, loaders.FindLoader(*MemoryOf(bytes)));
    }
    auto c = loaders.LoadCardsetFromMemory(*MemoryOf(vqdecks::BuildWizSol(WizEntries(53))));
    ASSERT_NE(nullptr, c);
    EXPECT_EQ("WizSolitaire", c->Title);
}

}  // namespace
