#include "clCardGraphics.h"
#include "ioCardset.h"
#include "mediafixture.h"
#include "mgrLoaders.h"
#include "qz7memory.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

namespace {

using mediatest::PngOf;
using mediatest::PixelOf;
using vqtest::Bytes;
using vqtest::PutLE32;

constexpr uint32_t kRed = 0xFFCC0000, kBlack = 0xFF101010, kMark = 0xFF00FF00;

// Two cards: the ace of spades (slot 12) and the joker (52).
TCardsFileContent TwoCards()
{
    TCardsFileContent c;
    c.width = 20;
    c.height = 30;
    c.title = "Two";
    c.author = "Tester";
    c.comments = "Just two cards";
    c.images[12] = PngOf(20, 30, kBlack, kMark);
    c.images[52] = PngOf(20, 30, kRed);
    return c;
}

Bytes Build(const TCardsFileContent& c)
{
    Bytes b;
    EXPECT_TRUE(BuildCardsFile(c, b));
    return b;
}

std::unique_ptr<TCardGraphics> LoadBytes(const Bytes& b)
{
    TQZMemory m;
    EXPECT_EQ(QZRES_OK, m.AssignBytes(b.data(), int32_t(b.size())));
    TLoaderCardset loader;
    return loader.Load(m);
}

TEST(CardsFileTest, WriterLaysOutHeaderTextsAndImagesBackToBack)
{
    TCardsFileContent c = TwoCards();
    Bytes b = Build(c);
    EXPECT_EQ(0, std::memcmp(b.data(), "Vantorel-Qar", 12));
    EXPECT_EQ(0, b[12]);
    TCardsFileInfo info;
    ASSERT_EQ(TCardsParse::Ok, ParseCardsFile(b.data(), b.size(), info));
    EXPECT_EQ(CARDS_FLAG_MARKER, info.flags);
    EXPECT_EQ(20, info.width);
    EXPECT_EQ(30, info.height);
    EXPECT_EQ("Two", info.title);
    EXPECT_EQ("Tester", info.author);
    EXPECT_EQ("Just two cards", info.comments);
    const uint32_t textEnd = 457 + 12 + 3 + 6 + 14;
    // Absent slots before the first picture point at the end of the texts.
    EXPECT_EQ(textEnd, info.images[0].offset);
    EXPECT_EQ(0u, info.images[0].size);
    EXPECT_EQ(textEnd, info.images[12].offset);
    EXPECT_EQ(uint32_t(c.images[12].size()), info.images[12].size);
    EXPECT_EQ(textEnd + info.images[12].size, info.images[13].offset);
    EXPECT_EQ(info.images[13].offset, info.images[52].offset);
    EXPECT_EQ(b.size(), size_t(info.images[52].offset + info.images[52].size));
    EXPECT_EQ(0, info.badEntries);
    EXPECT_FALSE(info.textCut);
}

TEST(CardsFileTest, WriterRefusesSizesTheReaderWouldRefuse)
{
    for (auto [w, h] : {std::pair{0, 30}, {20, 0}, {-5, 30}, {4097, 30}, {20, 4097}}) {
        TCardsFileContent c = TwoCards();
        c.width = w;
        c.height = h;
        Bytes b{1, 2, 3};
        EXPECT_FALSE(BuildCardsFile(c, b)) << w << " x " << h;
        EXPECT_TRUE(b.empty());
    }
}

TEST(CardsFileTest, BothFlagsRoundTripThroughTheFile)
{
    for (bool alignLeft : {false, true})
        for (bool optionB : {false, true}) {
            TCardsFileContent c = TwoCards();
            c.alignLeft = alignLeft;
            c.optionB = optionB;
            Bytes b = Build(c);
            TCardsFileInfo info;
            ASSERT_EQ(TCardsParse::Ok, ParseCardsFile(b.data(), b.size(), info));
            EXPECT_EQ(!alignLeft, HasFlags(info.flags, CARDS_FLAG_NOT_ALIGN_LEFT));
            EXPECT_EQ(optionB, HasFlags(info.flags, CARDS_FLAG_OPTION_B));
            EXPECT_FALSE(HasFlags(info.flags, CARDS_FLAG_OWN_INDICES));
        }
}

// A valid file changed by one edit, and what reading it must give.
struct HostileCase {
    const char* name;
    std::function<void(Bytes&)> edit;
    TCardsParse result;
};

TEST(CardsFileTest, HostileHeadersAreRefusedOrReadSafely)
{
    const HostileCase cases[] = {
        {"version 2", [](Bytes& b) { PutLE32(b, 29, 2); }, TCardsParse::NotCards},
        {"no format marker", [](Bytes& b) { PutLE32(b, 13, 0x2); }, TCardsParse::NotCards},
        {"wrong magic", [](Bytes& b) { b[0] = 'v'; }, TCardsParse::NotCards},
        {"cut inside the header", [](Bytes& b) { b.resize(456); }, TCardsParse::NotCards},
        {"width 0", [](Bytes& b) { PutLE32(b, 21, 0); }, TCardsParse::BadSize},
        {"height 0", [](Bytes& b) { PutLE32(b, 25, 0); }, TCardsParse::BadSize},
        {"width 4097", [](Bytes& b) { PutLE32(b, 21, 4097); }, TCardsParse::BadSize},
        {"negative height", [](Bytes& b) { PutLE32(b, 25, uint32_t(-96)); }, TCardsParse::BadSize},
        {"huge width", [](Bytes& b) { PutLE32(b, 21, 0x7FFFFFFF); }, TCardsParse::BadSize},
        {"width 4096 is the largest", [](Bytes& b) { PutLE32(b, 21, 4096); }, TCardsParse::Ok},
        {"byte 12 is not checked", [](Bytes& b) { b[12] = 0x7F; }, TCardsParse::Ok},
    };
    const Bytes good = Build(TwoCards());
    for (const HostileCase& c : cases) {
        Bytes b = good;
        c.edit(b);
        TCardsFileInfo info;
        EXPECT_EQ(c.result, ParseCardsFile(b.data(), b.size(), info)) << c.name;
        EXPECT_EQ(c.result != TCardsParse::NotCards, DetectCardsFile(b.data(), b.size())) << c.name;
    }
}

TEST(CardsFileTest, DirectoryEntriesPastTheFileBecomeEmptySlots)
{
    const Bytes good = Build(TwoCards());
    const size_t ace = 33 + 8 * 12;
    const HostileCase cases[] = {
        {"offset past the end", [&](Bytes& b) { PutLE32(b, ace, uint32_t(b.size()) + 1); }, TCardsParse::Ok},
        {"size past the end", [&](Bytes& b) { PutLE32(b, ace + 4, uint32_t(b.size())); }, TCardsParse::Ok},
        {"offset and size wrap 32 bits", [&](Bytes& b) {
             PutLE32(b, ace, 0xFFFFFFF0u);
             PutLE32(b, ace + 4, 0x20);
         }, TCardsParse::Ok},
        {"largest size", [&](Bytes& b) { PutLE32(b, ace + 4, 0xFFFFFFFFu); }, TCardsParse::Ok},
    };
    for (const HostileCase& c : cases) {
        Bytes b = good;
        c.edit(b);
        TCardsFileInfo info;
        ASSERT_EQ(TCardsParse::Ok, ParseCardsFile(b.data(), b.size(), info)) << c.name;
        EXPECT_EQ(0u, info.images[12].size) << c.name;
        EXPECT_EQ(1, info.badEntries) << c.name;
        EXPECT_NE(0u, info.images[52].size) << c.name;
        EXPECT_EQ("Two", info.title) << c.name;
    }
}

TEST(CardsFileTest, TextsThatRunPastTheEndAreEmptyAndThePicturesStillCount)
{
    const Bytes good = Build(TwoCards());
    struct TextCase {
        const char* name;
        std::function<void(Bytes&)> edit;
        const char* title;
        const char* author;
    } cases[] = {
        {"text offset past the end", [](Bytes& b) { PutLE32(b, 17, uint32_t(b.size())); }, "", ""},
        {"text offset wraps", [](Bytes& b) { PutLE32(b, 17, 0xFFFFFFFEu); }, "", ""},
        {"title longer than the file", [](Bytes& b) { PutLE32(b, 457, 0xFFFFFFF0u); }, "", ""},
        {"author longer than the file", [](Bytes& b) { PutLE32(b, 457 + 7, uint32_t(b.size())); }, "Two", ""},
    };
    for (const TextCase& c : cases) {
        Bytes b = good;
        c.edit(b);
        TCardsFileInfo info;
        ASSERT_EQ(TCardsParse::Ok, ParseCardsFile(b.data(), b.size(), info)) << c.name;
        EXPECT_TRUE(info.textCut) << c.name;
        EXPECT_EQ(c.title, info.title) << c.name;
        EXPECT_EQ(c.author, info.author) << c.name;
        EXPECT_EQ("", info.comments) << c.name;
        EXPECT_EQ(0, info.badEntries) << c.name;
    }
}

// The comments are the last bytes of a cardset without pictures. A length
// that claims one to four bytes more than the file holds cuts the text; the
// bytes past the end (there in memory, not in the file) are never read.
TEST(CardsFileTest, AClaimOfAFewBytesMoreThanRemainIsCutNotOverRead)
{
    TCardsFileContent content = TwoCards();
    content.images = {};
    Bytes b = Build(content);
    const size_t fileSize = b.size();
    const size_t commentsAt = 457 + 4 + 3 + 4 + 6;  // past "Two" and "Tester"
    ASSERT_EQ(fileSize, commentsAt + 4 + content.comments.size());
    b.insert(b.end(), 8, 'X');  // memory beyond the file
    for (uint32_t extra = 0; extra <= 4; ++extra) {
        PutLE32(b, commentsAt, uint32_t(content.comments.size()) + extra);
        TCardsFileInfo info;
        ASSERT_EQ(TCardsParse::Ok, ParseCardsFile(b.data(), fileSize, info)) << extra;
        EXPECT_EQ(extra != 0, info.textCut) << extra;
        EXPECT_EQ(extra == 0 ? content.comments : "", info.comments) << extra;
        EXPECT_EQ("Tester", info.author) << extra;
    }
}

class CardsLoadTest : public mediatest::DeviceFixture {};

TEST_F(CardsLoadTest, WriterThenReaderGivesTheSameCardset)
{
    auto cs = LoadBytes(Build(TwoCards()));
    ASSERT_NE(nullptr, cs);
    EXPECT_EQ(20, cs->Width());
    EXPECT_EQ(30, cs->Height());
    EXPECT_FLOAT_EQ(1.5f, cs->Aspect());
    EXPECT_EQ("Two", cs->Title);
    EXPECT_EQ("Tester", cs->Author);
    EXPECT_EQ("Just two cards", cs->Comments);
    EXPECT_TRUE(cs->AlignLeft);
    EXPECT_FALSE(cs->OptionB);
    for (int32_t i = 0; i < CARDGFX_SLOTS; ++i) EXPECT_EQ(i == 12 || i == 52, cs->HasImage(i)) << i;
    EXPECT_EQ(kMark, PixelOf(cs->GetImage(12), 0, 0));
    EXPECT_EQ(kBlack, PixelOf(cs->GetImage(12), 19, 29));
    EXPECT_EQ(kRed, PixelOf(cs->GetImage(52), 5, 5));

    // And written again from the loaded cardset, it reads back the same.
    std::unique_ptr<TQZMemory> again = WriteCardsetFile(*cs, false);
    ASSERT_NE(nullptr, again);
    TLoaderCardset loader;
    auto cs2 = loader.Load(*again);
    ASSERT_NE(nullptr, cs2);
    EXPECT_EQ("Just two cards", cs2->Comments);
    EXPECT_EQ(kMark, PixelOf(cs2->GetImage(12), 0, 0));
    EXPECT_EQ(kRed, PixelOf(cs2->GetImage(52), 5, 5));
}

TEST_F(CardsLoadTest, HeaderOnlyFileLoadsWithNoPictures)
{
    Bytes b(457, 0);
    std::memcpy(b.data(), "Vantorel-Qar", 12);
    PutLE32(b, 13, CARDS_FLAG_MARKER | CARDS_FLAG_OPTION_B);
    PutLE32(b, 17, 457);
    PutLE32(b, 21, 71);
    PutLE32(b, 25, 96);
    PutLE32(b, 29, 3);
    auto cs = LoadBytes(b);
    ASSERT_NE(nullptr, cs);
    EXPECT_EQ(71, cs->Width());
    EXPECT_EQ(96, cs->Height());
    EXPECT_TRUE(cs->OptionB);
    EXPECT_EQ("", cs->Title);
    for (int32_t i = 0; i < CARDGFX_SLOTS; ++i) EXPECT_FALSE(cs->HasImage(i));
}

TEST_F(CardsLoadTest, RefusedSizesGiveNoCardset)
{
    for (uint32_t w : {0u, 4097u, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
        Bytes b = Build(TwoCards());
        PutLE32(b, 21, w);
        EXPECT_EQ(nullptr, LoadBytes(b)) << w;
    }
}

TEST_F(CardsLoadTest, APictureThatDoesNotDecodeLeavesOnlyItsSlotEmpty)
{
    TCardsFileContent c = TwoCards();
    c.images[12] = {'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e'};
    auto cs = LoadBytes(Build(c));
    ASSERT_NE(nullptr, cs);
    EXPECT_FALSE(cs->HasImage(12));
    EXPECT_EQ(nullptr, cs->GetImage(12));
    EXPECT_TRUE(cs->HasImage(52));
}

TEST_F(CardsLoadTest, DeckOnlyWritesTheDeckAndTheJoker)
{
    TCardsFileContent c;
    c.width = 8;
    c.height = 8;
    for (auto& image : c.images) image = PngOf(8, 8, kBlack);
    auto cs = LoadBytes(Build(c));
    ASSERT_NE(nullptr, cs);
    std::unique_ptr<TQZMemory> deck = WriteCardsetFile(*cs, true);
    ASSERT_NE(nullptr, deck);
    TCardsFileInfo info;
    ASSERT_EQ(TCardsParse::Ok, ParseCardsFile(deck->Data(), size_t(deck->Size()), info));
    int written = 0;
    for (int32_t i = 0; i < 53; ++i) {
        // Spades and clubs start at the 5, diamonds and hearts at the 4.
        bool inDeck = i == 52 || i % 13 >= (i / 13 < 2 ? 3 : 2);
        EXPECT_EQ(inDeck, info.images[size_t(i)].size != 0) << i;
        written += info.images[size_t(i)].size != 0;
    }
    EXPECT_EQ(43, written);
}

TEST(ComposeTest, TextureSideDoublesFrom128AndStopsAtTheLargestCard)
{
    const std::pair<TQZPoint, int32_t> cases[] = {
        {{71, 96}, 128},    {{128, 128}, 128}, {{129, 20}, 256},        {{20, 700}, 1024},
        {{4096, 1}, 4096},  {{4097, 10}, 0},   {{0, 10}, 0},            {{10, -1}, 0},
        {{0x7FFFFFFF, 96}, 0}, {{96, INT32_MIN}, 0},
    };
    for (auto [size, side] : cases) EXPECT_EQ(side, ComposedTextureSide(size)) << size.x << " x " << size.y;
}

TEST(ComposeTest, IndexCellsFollowRankAndSuitWithTheOtherColoursForClubsAndDiamonds)
{
    EXPECT_EQ((TQZRect{0, 0, 26, 46}), IndexCellOf(0, false));             // 2 of spades
    EXPECT_EQ((TQZRect{312, 0, 338, 46}), IndexCellOf(12, false));         // ace of spades
    EXPECT_EQ((TQZRect{312, 0, 338, 46}), IndexCellOf(12, true));
    EXPECT_EQ((TQZRect{26, 4 * 46, 52, 5 * 46}), IndexCellOf(13 + 1, false));  // 3 of clubs, row 5
    EXPECT_EQ((TQZRect{26, 46, 52, 92}), IndexCellOf(13 + 1, true));
    EXPECT_EQ((TQZRect{0, 5 * 46, 26, 6 * 46}), IndexCellOf(26, false));   // 2 of diamonds, row 6
    EXPECT_EQ((TQZRect{0, 3 * 46, 26, 4 * 46}), IndexCellOf(39, false));   // hearts keep their row
    EXPECT_EQ((TQZRect{336, 0, 362, 94}), IndexCellOf(52, false));
}

class ComposeDeviceTest : public mediatest::DeviceFixture {
protected:
    // A sheet whose every cell is opaque blue and whose backing is opaque white.
    std::unique_ptr<TQZTexture> Sheet()
    {
        plat::imaging::Image img;
        (void)img.Allocate(400, 280, 0xFF0000FF);  // setup: what the test checks after it shows whether it took
        for (int32_t y = 0; y < 46; ++y)
            for (int32_t x = 362; x < 388; ++x) img.SetPixel(x, y, 0xFFFFFFFF);
        std::vector<uint8_t> png;
        // Setup: what the test checks after it shows whether it took.
        (void)plat::imaging::EncodeImage(img, plat::imaging::EncodeFormat::Png, png);
        return TQZTexture::CreateFromMemory(png.data(), int32_t(png.size()), 0);
    }
};

// The sheet is blended onto the card: an opaque source may lose a step of
// its colour to the blend's rounding.
::testing::AssertionResult IsBlue(uint32_t argb)
{
    if ((argb & 0xFFFFFF00u) == 0xFF000000u && (argb & 0xFF) >= 0xFE) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << std::hex << argb << " is not opaque blue";
}

TEST_F(ComposeDeviceTest, TallJokerCellGoesInTheTopCornersOfAShortCard)
{
    auto sheet = Sheet();
    ASSERT_NE(nullptr, sheet);
    Bytes png = PngOf(80, 130, kRed);
    auto picture = TQZTexture::CreateFromMemory(png.data(), int32_t(png.size()), 0);
    ASSERT_NE(nullptr, picture);
    auto card = ComposeCardImage(52, picture.get(), false, {80, 130}, sheet.get());
    ASSERT_NE(nullptr, card);
    EXPECT_TRUE(IsBlue(PixelOf(card.get(), 1, 1)));         // top left
    EXPECT_TRUE(IsBlue(PixelOf(card.get(), 78, 1)));        // top right
    EXPECT_EQ(kRed, PixelOf(card.get(), 1, 128));              // no bottom corners: 130 / 2 < 94
    EXPECT_EQ(kRed, PixelOf(card.get(), 40, 110));
    // A card tall enough gets all four.
    auto tall = ComposeCardImage(0, picture.get(), false, {80, 130}, sheet.get());
    ASSERT_NE(nullptr, tall);
    EXPECT_TRUE(IsBlue(PixelOf(tall.get(), 1, 128)));
    EXPECT_TRUE(IsBlue(PixelOf(tall.get(), 78, 128)));
    EXPECT_EQ(kRed, PixelOf(tall.get(), 40, 65));
}

TQZTexture* testSheet = nullptr;
TQZTexture* TestSheet() { return testSheet; }

// A file that asks for the game's indices holds pictures made for 256-pixel
// card textures (the card at the top left): composed at 256 x 256 such a
// picture keeps its pixels where they were and gets the indices in the
// corners of that square; a picture of another size is stretched over it.
TEST_F(ComposeDeviceTest, OwnIndicesComposeOnTheGamesSquareOf256)
{
    auto sheet = Sheet();
    ASSERT_NE(nullptr, sheet);
    testSheet = sheet.get();
    SetIndexSheetSource(&TestSheet);
    plat::imaging::Image img;
    (void)img.Allocate(256, 256, 0);  // setup: what the test checks after it shows whether it took
    for (int32_t y = 0; y < 256; ++y)
        for (int32_t x = 0; x < 192; ++x) img.SetPixel(x, y, x == 191 ? kMark : kRed);
    TCardsFileContent c;
    c.width = 192;
    c.height = 256;
    // Setup: what the test checks after it shows whether it took.
    (void)plat::imaging::EncodeImage(img, plat::imaging::EncodeFormat::Png, c.images[0]);
    c.images[52] = PngOf(30, 65, kRed);
    Bytes b = Build(c);
    PutLE32(b, 13, CARDS_FLAG_MARKER | CARDS_FLAG_OWN_INDICES);
    auto cs = LoadBytes(b);
    SetIndexSheetSource(nullptr);
    testSheet = nullptr;
    ASSERT_NE(nullptr, cs);
    EXPECT_EQ(192, cs->Width());
    TQZTexture* card = cs->GetImage(0);
    ASSERT_NE(nullptr, card);
    EXPECT_EQ(256, card->GetWidth());
    EXPECT_EQ(256, card->GetHeight());
    EXPECT_EQ(kMark, PixelOf(card, 191, 128)) << "the card's last column stays where it was";
    EXPECT_EQ(kRed, PixelOf(card, 100, 128));
    EXPECT_TRUE(IsBlue(PixelOf(card, 1, 1)));      // top left
    EXPECT_TRUE(IsBlue(PixelOf(card, 1, 254)));    // bottom left, at 256 - 46
    EXPECT_EQ(kRed, PixelOf(card, 1, 209));
    EXPECT_TRUE(IsBlue(PixelOf(card, 254, 1)));    // the right-hand pair lies beyond a 192-pixel card
    TQZTexture* joker = cs->GetImage(52);
    ASSERT_NE(nullptr, joker);
    EXPECT_EQ(256, joker->GetWidth());
    EXPECT_EQ(kRed, PixelOf(joker, 128, 200)) << "a smaller picture covers the square";
}

TEST_F(ComposeDeviceTest, WithoutASheetThePictureIsComposedAlone)
{
    Bytes png = PngOf(10, 10, kRed);
    auto picture = TQZTexture::CreateFromMemory(png.data(), int32_t(png.size()), 0);
    ASSERT_NE(nullptr, picture);
    auto card = ComposeCardImage(5, picture.get(), false, {30, 40}, nullptr);
    ASSERT_NE(nullptr, card);
    EXPECT_EQ(128, card->GetWidth());
    EXPECT_EQ(kRed, PixelOf(card.get(), 0, 0));
    EXPECT_EQ(kRed, PixelOf(card.get(), 29, 39));
    EXPECT_EQ(0u, PixelOf(card.get(), 30, 39));
    EXPECT_EQ(nullptr, ComposeCardImage(5, picture.get(), false, {0x7FFFFFFF, 40}, nullptr));
}

TEST_F(CardsLoadTest, RegistryFindsTheReaderAndRefusesWhatNoneKnows)
{
    vqtest::TempDir dir;
    TLoaders loaders;
    loaders.Initialize();
    Bytes good = Build(TwoCards());
    vqtest::WriteFile(dir.File("Two.cards"), std::string(good.begin(), good.end()));
    vqtest::WriteFile(dir.File("Junk.cards"), std::string(600, 'x'));
    TQZMemory m;
    ASSERT_EQ(QZRES_OK, m.AssignBytes(good.data(), int32_t(good.size())));
    EXPECT_EQ(1, loaders.FindLoader(m));
    EXPECT_NE(nullptr, loaders.LoadCardset(dir.File("Two.cards")));
    EXPECT_NE(nullptr, loaders.LoadCardset(dir.Path() + "two.CARDS")) << "names match without case";
    ASSERT_EQ(QZRES_OK, m.AssignString(std::string(600, 'x')));
    EXPECT_EQ(0, loaders.FindLoader(m));
    EXPECT_EQ(nullptr, loaders.LoadCardset(dir.File("Junk.cards")));
    EXPECT_EQ(nullptr, loaders.LoadCardset(dir.File("Missing.cards")));
}

}  // namespace
