#include <gtest/gtest.h>

#include "agCards.h"
#include "agTables.h"
#include "agtestutil.h"
#include "ioCardset.h"

namespace {

struct Ink {
    double r = 0, g = 0, b = 0;
    int32_t count = 0, top = 1 << 30, bottom = -1;
};

// The coloured (not white, opaque) pixels of a box of the card.
Ink InkIn(const plat::imaging::Image& image, int32_t x0, int32_t y0, int32_t x1, int32_t y1)
{
    Ink ink;
    for (int32_t y = y0; y < y1; ++y)
        for (int32_t x = x0; x < x1; ++x) {
            uint32_t p = image.Pixel(x, y);
            uint32_t a = p >> 24, r = (p >> 16) & 255, g = (p >> 8) & 255, b = p & 255;
            if (a < 250 || (r > 200 && g > 200 && b > 200)) continue;
            ink.r += r, ink.g += g, ink.b += b;
            ++ink.count;
            ink.top = std::min(ink.top, y);
            ink.bottom = std::max(ink.bottom, y);
        }
    if (ink.count) ink.r /= ink.count, ink.g /= ink.count, ink.b /= ink.count;
    return ink;
}

plat::imaging::Image Card(const ag::CardsetStyle& set, int32_t card) { return agtest::Decode(ag::CardPng(set, card)); }

}  // namespace

TEST(AssetCards, FacesAreWhiteWithADarkEdgeAndClearRoundedCorners)
{
    for (const ag::CardsetStyle& set : ag::Cardsets())
        for (int32_t card : {0, 12, 23, 50, 52}) {
            plat::imaging::Image c = Card(set, card);
            ASSERT_EQ(c.width, set.width);
            ASSERT_EQ(c.height, set.height);
            const int32_t w = c.width, h = c.height;
            for (auto [x, y] : {std::pair{0, 0}, {w - 1, 0}, {0, h - 1}, {w - 1, h - 1}})
                EXPECT_EQ(agtest::Alpha(c, x, y), 0u) << set.file << " card " << card << " corner";
            uint32_t edge = c.Pixel(w / 2, 0);
            EXPECT_EQ(edge >> 24, 255u);
            EXPECT_LT(edge & 0xFF, 90u) << "a dark edge";
            EXPECT_EQ(c.Pixel(w / 2, 3), 0xFFFFFFFFu) << "a white face inside the edge";
        }
}

TEST(AssetCards, CornerIndicesAreLargeAndRedOrBlack)
{
    const ag::CardsetStyle& basic = ag::Cardsets().front();
    struct Case {
        int32_t card;
        bool red;
    };
    for (Case k : {Case{0, false}, Case{14, false}, Case{30, true}, Case{47, true}}) {
        plat::imaging::Image c = Card(basic, k.card);
        const int32_t w = c.width, h = c.height;
        // The rank: the ink of the top-left corner above the suit.
        Ink rank = InkIn(c, 0, 0, w * 27 / 100, h * 21 / 100);
        ASSERT_GT(rank.count, 0);
        double height = rank.bottom - rank.top + 1;
        EXPECT_GT(height, h / 8.0) << "card " << k.card << ": the rank reads at a glance";
        EXPECT_LT(height, h / 4.0);
        if (k.red) {
            EXPECT_GT(rank.r, 150);
            EXPECT_LT(rank.g, 80);
        } else {
            EXPECT_LT(rank.r + rank.g + rank.b, 3 * 60.0);
        }
        // The same index turned round in the bottom-right corner.
        Ink turned = InkIn(c, w - w * 27 / 100, h - h * 21 / 100, w, h);
        EXPECT_NEAR(turned.count, rank.count, rank.count / 5);
    }
}

TEST(AssetCards, JokerIsGoldNotGrey)
{
    plat::imaging::Image joker = Card(ag::Cardsets().front(), 52);
    int32_t gold = 0;
    for (int32_t y = 0; y < joker.height; ++y)
        for (int32_t x = 0; x < joker.width; ++x) {
            uint32_t p = joker.Pixel(x, y);
            uint32_t r = (p >> 16) & 255, g = (p >> 8) & 255, b = p & 255;
            gold += (r > 170 && g > 120 && g < 200 && b < 90);
        }
    EXPECT_GT(gold, joker.width * joker.height / 50);
}

TEST(AssetCards, BacksAndTablesDecodeAtTheirSizes)
{
    const ag::CardsetStyle& basic = ag::Cardsets().front();
    ASSERT_GE(ag::Cardbacks().size(), 2u);
    for (const ag::CardbackStyle& b : ag::Cardbacks()) {
        plat::imaging::Image back = agtest::Decode(agtest::ReadRuntimeFile("Cardbacks/" + b.file));
        EXPECT_EQ(back.width, basic.width) << b.file;
        EXPECT_EQ(back.height, basic.height) << b.file;
        EXPECT_EQ(agtest::Alpha(back, 0, 0), 0u) << b.file << ": rounded corners";
        EXPECT_EQ(back.Pixel(back.width / 2, 5), 0xFFFFFFFFu) << b.file << ": a white margin";
    }
    ASSERT_GE(ag::Tables().size(), 2u);
    for (const ag::TableStyle& t : ag::Tables()) {
        plat::imaging::Image table = agtest::Decode(agtest::ReadRuntimeFile("Tables/" + t.file));
        ASSERT_EQ(table.width, ag::TABLE_WIDTH) << t.file;
        ASSERT_EQ(table.height, ag::TABLE_HEIGHT) << t.file;
        auto light = [&](int32_t x, int32_t y) {
            uint32_t p = table.Pixel(x, y);
            return ((p >> 16) & 255) + ((p >> 8) & 255) + (p & 255);
        };
        EXPECT_GT(light(960, 540), light(4, 4) + 30) << t.file << ": the vignette darkens the corners";
    }
    plat::imaging::Image icon = agtest::Decode(agtest::ReadRuntimeFile("Assets/Misc/Icon.png"));
    EXPECT_EQ(icon.width, ag::ICON_SIZE);
    EXPECT_EQ(agtest::Alpha(icon, 0, 0), 0u);
}

TEST(AssetCards, CardsetsReadBackThroughTheCardsReaderWithEveryPicture)
{
    for (const ag::CardsetStyle& set : ag::Cardsets()) {
        std::vector<uint8_t> file = agtest::ReadRuntimeFile("Cardsets/" + set.file);
        TCardsFileInfo info;
        ASSERT_EQ(ParseCardsFile(file.data(), file.size(), info), TCardsParse::Ok) << set.file;
        EXPECT_EQ(info.width, set.width);
        EXPECT_EQ(info.height, set.height);
        EXPECT_EQ(info.title, set.title);
        EXPECT_EQ(info.badEntries, 0);
        EXPECT_EQ(info.flags & CARDS_FLAG_NOT_ALIGN_LEFT, 0u) << "indices on the left: fans keep them in sight";
        for (size_t slot = 0; slot < info.images.size(); ++slot) {
            const TCardsImageEntry& e = info.images[slot];
            ASSERT_GT(e.size, 0u) << set.file << " slot " << slot;
            plat::imaging::Image picture;
            ASSERT_TRUE(plat::imaging::DecodeImage(file.data() + e.offset, e.size, picture)) << slot;
            EXPECT_EQ(picture.width, set.width);
            EXPECT_EQ(picture.height, set.height);
        }
    }
}
