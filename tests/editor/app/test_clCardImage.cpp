#include "clCardImage.h"
#include "editortestutil.h"

using editortest::MakeTexture;
using editortest::PixelOf;

namespace {

class CardImageTest : public editortest::VideoFixture {};

TEST(CardImage, TextureSideIsThePowerOfTwoThatHoldsTheCard)
{
    struct Case {
        TQZPoint size;
        int32_t side;
    } cases[] = {{{1, 1}, 4}, {{4, 4}, 4}, {{5, 3}, 8}, {{71, 96}, 128}, {{192, 256}, 256},
                 {{200, 250}, 256}, {{257, 10}, 512}, {{4096, 1}, 4096}, {{1 << 30, 5}, 4096}};
    for (const Case& c : cases) EXPECT_EQ(c.side, TextureSideFor(c.size)) << c.size.x << "x" << c.size.y;
}

TEST(CardImage, CardSizesFromOneTo4096AreAccepted)
{
    struct Case {
        TQZPoint size;
        bool ok;
    } cases[] = {{{1, 1}, true}, {{4096, 4096}, true}, {{0, 96}, false}, {{71, 0}, false},
                 {{-5, 96}, false}, {{4097, 96}, false}, {{71, 100000}, false}};
    for (const Case& c : cases) EXPECT_EQ(c.ok, CardSizeAcceptable(c.size)) << c.size.x << "x" << c.size.y;
}

TEST(CardImage, AspectCropCutsTheLongerWayEvenly)
{
    struct Case {
        TQZPoint picture, frame;
        TQZRect crop;
    } cases[] = {
        {{400, 200}, {100, 100}, {100, 0, 300, 200}},
        {{200, 400}, {100, 100}, {0, 100, 200, 300}},
        {{300, 300}, {50, 50}, {0, 0, 300, 300}},
        {{256, 256}, {100, 200}, {64, 0, 192, 256}},
        {{256, 256}, {0, 200}, {0, 0, 256, 256}},  // an empty frame takes the whole picture
    };
    for (const Case& c : cases) {
        const TQZRect r = AspectCropRect(c.picture, c.frame);
        EXPECT_EQ(c.crop.left, r.left);
        EXPECT_EQ(c.crop.top, r.top);
        EXPECT_EQ(c.crop.right, r.right);
        EXPECT_EQ(c.crop.bottom, r.bottom);
    }
}

TEST_F(CardImageTest, APictureOfTheTextureSideIsCopiedAsItIs)
{
    auto picture = MakeTexture(256, 256, [](int32_t x, int32_t y) { return 0xFF000000u | uint32_t(x << 8 | y); });
    auto fitted = FitToCard(picture.get(), {200, 250});
    ASSERT_NE(nullptr, fitted);
    EXPECT_EQ(256, fitted->GetWidth());
    EXPECT_EQ(PixelOf(picture.get(), 255, 3), PixelOf(fitted.get(), 255, 3));
}

TEST_F(CardImageTest, ASmallerPictureFillsTheCardAndLeavesTheRestClear)
{
    auto picture = MakeTexture(10, 20, [](int32_t, int32_t) { return 0xFF20A040u; });
    auto fitted = FitToCard(picture.get(), {71, 96});
    ASSERT_NE(nullptr, fitted);
    EXPECT_EQ(128, fitted->GetWidth());
    EXPECT_EQ(128, fitted->GetHeight());
    EXPECT_EQ(0xFF20A040u, PixelOf(fitted.get(), 70, 95));
    EXPECT_EQ(0x00000000u, PixelOf(fitted.get(), 71, 10));
    EXPECT_EQ(0x00000000u, PixelOf(fitted.get(), 10, 96));
}

// Overlay artwork is drawn at 192 x 256; new cards are often smaller or
// larger. The key must survive every fit exactly, or DrawOverlay paints it.
TEST_F(CardImageTest, KeyColouredArtFitsToTheKeyAtEverySize)
{
    auto key = MakeTexture(192, 256, [](int32_t, int32_t) { return CARDIMAGE_KEY_COLOUR; });
    for (TQZPoint size : {TQZPoint{120, 170}, TQZPoint{71, 96}, TQZPoint{300, 400}}) {
        for (bool keyed : {false, true}) {
            auto fitted = keyed ? FitKeyedToCard(key.get(), size) : FitToCard(key.get(), size);
            ASSERT_NE(nullptr, fitted);
            int32_t off = 0;
            for (int32_t y = 0; y < size.y; ++y)
                for (int32_t x = 0; x < size.x; ++x) off += PixelOf(fitted.get(), x, y) != CARDIMAGE_KEY_COLOUR;
            EXPECT_EQ(0, off) << size.x << "x" << size.y << (keyed ? " keyed" : " plain");
        }
    }
}

// Ink next to the key: a fitted pixel is either the key or ink, never a mix
// (a mix is a purple fringe that DrawOverlay would paint around the index).
TEST_F(CardImageTest, KeyedFitsNeverMixTheKeyIntoTheInk)
{
    const uint32_t black = 0xFF101010, red = 0xFFC81E32;
    auto art = MakeTexture(192, 256, [&](int32_t x, int32_t y) {
        if (x >= 20 && x < 60 && y >= 10 && y < 90) return (x / 3 + y / 5) % 2 ? black : red;
        return CARDIMAGE_KEY_COLOUR;
    });
    for (TQZPoint size : {TQZPoint{120, 170}, TQZPoint{71, 96}, TQZPoint{250, 333}}) {
        auto fitted = FitKeyedToCard(art.get(), size);
        ASSERT_NE(nullptr, fitted);
        EXPECT_EQ(TextureSideFor(size), fitted->GetWidth());
        int32_t ink = 0, mixed = 0;
        for (int32_t y = 0; y < size.y; ++y)
            for (int32_t x = 0; x < size.x; ++x) {
                const uint32_t p = PixelOf(fitted.get(), x, y);
                if (p == CARDIMAGE_KEY_COLOUR) continue;
                ++ink;
                // Ink mixes only with ink: red and blue never both above green's by much.
                const int32_t r = int32_t(p >> 16 & 0xFF), g = int32_t(p >> 8 & 0xFF), b = int32_t(p & 0xFF);
                mixed += (p >> 24) != 0xFF || std::min(r, b) - g > 0x30;
            }
        EXPECT_GT(ink, size.x * size.y / 20) << size.x << "x" << size.y;
        EXPECT_EQ(0, mixed) << size.x << "x" << size.y;
        EXPECT_EQ(CARDIMAGE_KEY_COLOUR, PixelOf(fitted.get(), size.x - 1, size.y - 1));
        EXPECT_EQ(CARDIMAGE_KEY_COLOUR, PixelOf(fitted.get(), size.x, 0)) << "outside the card: the key";
    }
}

TEST_F(CardImageTest, ResizeClearsToTransparentWhiteOutsideTheNewCard)
{
    auto card = MakeTexture(128, 128, [](int32_t, int32_t) { return 0xFF112233u; });
    auto resized = ResizeImage(card.get(), {71, 96}, {142, 192}, true);
    ASSERT_NE(nullptr, resized);
    EXPECT_EQ(256, resized->GetWidth());
    EXPECT_EQ(0xFF112233u, PixelOf(resized.get(), 141, 191));
    EXPECT_EQ(0x00FFFFFFu, PixelOf(resized.get(), 142, 191));
}

TEST_F(CardImageTest, OverlaySkipsTheKeyAndRepeatsItsEdges)
{
    // 2 x 2 overlay: the top-left pixel is the key.
    auto overlay = MakeTexture(2, 2, [](int32_t x, int32_t y) {
        return x == 0 && y == 0 ? CARDIMAGE_KEY_COLOUR : 0xFF000000u | uint32_t(x * 16 + y);
    });
    auto target = MakeTexture(4, 4, [](int32_t, int32_t) { return 0xFFFFFFFFu; });
    DrawOverlay(overlay.get(), target.get());
    EXPECT_EQ(0xFFFFFFFFu, PixelOf(target.get(), 0, 0)) << "the key leaves the target alone";
    EXPECT_EQ(0xFF000010u, PixelOf(target.get(), 1, 0));
    EXPECT_EQ(0xFF000011u, PixelOf(target.get(), 3, 3)) << "the last row and column repeat";
    EXPECT_EQ(0xFF000001u, PixelOf(target.get(), 0, 3));
}

TEST_F(CardImageTest, KeyColourReachesOnlyWhereTheSourceHasIt)
{
    auto key = MakeTexture(2, 2, [](int32_t x, int32_t) { return x == 1 ? CARDIMAGE_KEY_COLOUR : 0xFF000000u; });
    auto target = MakeTexture(4, 4, [](int32_t, int32_t) { return 0xFF445566u; });
    ApplyKeyColour(key.get(), target.get());
    EXPECT_EQ(CARDIMAGE_KEY_COLOUR, PixelOf(target.get(), 1, 1));
    EXPECT_EQ(0xFF445566u, PixelOf(target.get(), 0, 1));
    EXPECT_EQ(0xFF445566u, PixelOf(target.get(), 3, 1)) << "beyond the key source nothing changes";
}

TEST_F(CardImageTest, CameoSetsThePictureInsideABlackFrame)
{
    auto base = MakeTexture(64, 64, [](int32_t, int32_t) { return 0xFFFFFFFFu; });
    auto picture = MakeTexture(8, 8, [](int32_t, int32_t) { return 0xFF0000FFu; });
    auto target = MakeTexture(64, 64, [](int32_t, int32_t) { return 0u; });
    ComposeCameo({10, 10}, {40, 60}, base.get(), false, true, target.get(), picture.get());
    EXPECT_EQ(0xFFFFFFFFu, PixelOf(target.get(), 5, 5)) << "the margin keeps the base";
    EXPECT_EQ(0xFF000000u, PixelOf(target.get(), 9, 20)) << "one black pixel around the picture";
    EXPECT_EQ(0xFF0000FFu, PixelOf(target.get(), 10, 10));
    EXPECT_EQ(0xFF0000FFu, PixelOf(target.get(), 29, 49));
    EXPECT_EQ(0xFF000000u, PixelOf(target.get(), 30, 49));
    EXPECT_EQ(0u, PixelOf(target.get(), 45, 5)) << "outside the card the target is untouched";
}

TEST_F(CardImageTest, CameoEdgesDoNothingHarmful)
{
    auto base = MakeTexture(64, 64, [](int32_t, int32_t) { return 0xFFFFFFFFu; });
    auto picture = MakeTexture(8, 8, [](int32_t, int32_t) { return 0xFF0000FFu; });
    auto target = MakeTexture(64, 64, [](int32_t, int32_t) { return 0u; });
    // Half the card's width: the inner rectangle is empty, only the base is copied.
    ComposeCameo({20, 10}, {40, 60}, base.get(), false, true, target.get(), picture.get());
    EXPECT_EQ(0xFFFFFFFFu, PixelOf(target.get(), 20, 30));
    // No margin: the frame would lie outside the texture and is cut to it.
    ComposeCameo({0, 0}, {64, 64}, base.get(), false, true, target.get(), picture.get());
    EXPECT_EQ(0xFF0000FFu, PixelOf(target.get(), 0, 0));
    // No base: nothing at all.
    auto untouched = MakeTexture(8, 8, [](int32_t, int32_t) { return 0x12345678u; });
    ComposeCameo({1, 1}, {8, 8}, nullptr, false, true, untouched.get(), picture.get());
    EXPECT_EQ(0x12345678u, PixelOf(untouched.get(), 4, 4));
}

}  // namespace
