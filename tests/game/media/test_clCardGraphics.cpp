#include "clCardGraphics.h"
#include "mediafixture.h"
#include "qz7direct3d.h"
#include "qz7videochoice.h"

#include <gtest/gtest.h>

namespace {

using mediatest::PngOf;

class CardGraphicsTest : public mediatest::DeviceFixture {
protected:
    static std::unique_ptr<TQZTexture> Picture(uint32_t argb)
    {
        std::vector<uint8_t> png = PngOf(10, 20, argb);
        return TQZTexture::CreateFromMemory(png.data(), int32_t(png.size()), 0);
    }
    static uint32_t BackPixel(int32_t x, int32_t y)
    {
        std::shared_ptr<plat::softgpu::Surface> back;
        Direct3DDevice()->Device()->GetBackBuffer(0, 0, back);
        return back->PixelAt(x, y);
    }
};

TEST(CardGraphicsSizeTest, ANewCardsetHasNoSizeAndSizesThatCannotBeDrawnFallBack)
{
    TCardGraphics cs;
    EXPECT_EQ(0, cs.Width());
    EXPECT_EQ(0, cs.Height());
    EXPECT_FLOAT_EQ(1.0f, cs.Aspect());
    const std::pair<TQZPoint, TQZPoint> cases[] = {
        {{71, 96}, {71, 96}}, {{100, 150}, {100, 150}}, {{0, 96}, {71, 96}},
        {{71, 0}, {71, 96}},  {{-5, 96}, {71, 96}},     {{0, 0}, {71, 96}},
    };
    for (auto [given, stored] : cases) {
        cs.SetCardSize(given.x, given.y);
        EXPECT_EQ(stored, (TQZPoint{cs.Width(), cs.Height()})) << given.x << " x " << given.y;
        EXPECT_FLOAT_EQ(float(stored.y) / float(stored.x), cs.Aspect());
        EXPECT_EQ((TQZRect{0, 0, stored.x, stored.y}), cs.CardRect());
    }
}

TEST_F(CardGraphicsTest, EmptySlotsGiveNothingAndDrawNothing)
{
    TCardGraphics cs;
    cs.SetCardSize(10, 20);
    EXPECT_EQ(nullptr, cs.GetImage(3));
    EXPECT_EQ(nullptr, cs.GetImage(-1));
    EXPECT_EQ(nullptr, cs.GetImage(53));
    EXPECT_FALSE(cs.TexturesLost());
    EXPECT_FALSE(cs.DrawCard(3, {0, 0}, 0xFFFFFFFF, {10, 20}));
    cs.SetImage(53, Picture(0xFFFF0000));  // outside the slots: freed, not kept
    EXPECT_FALSE(cs.HasImage(52));
}

TEST_F(CardGraphicsTest, DrawCardStretchesTheWholePictureToTheSizeGiven)
{
    TCardGraphics cs;
    cs.SetCardSize(10, 20);
    cs.SetImage(7, Picture(0xFFFF0000));
    bool drawn = false;
    TQZVideo* video = GetVideo();
    static TCardGraphics* current;
    static bool* result;
    current = &cs;
    result = &drawn;
    video->drawProc = [](TQZVideo* v) {
        v->Clear(0xFF000000);
        *result = current->DrawCard(7, {4, 6}, 0xFFFFFFFF, {20, 40});
    };
    ASSERT_TRUE(video->Redraw());
    EXPECT_TRUE(drawn);
    EXPECT_EQ(0xFFFF0000u, BackPixel(4, 6));
    EXPECT_EQ(0xFFFF0000u, BackPixel(23, 45));
    EXPECT_EQ(0xFF000000u, BackPixel(24, 45));
    EXPECT_EQ(0xFF000000u, BackPixel(23, 46));
    video->drawProc = nullptr;
}

TEST_F(CardGraphicsTest, APictureThatLostItsContentsMarksTheCardsetUntilItsImagesAreFreed)
{
    TCardGraphics cs;
    std::unique_ptr<TQZTexture> lost;
    ASSERT_EQ(QZRES_OK, TQZTexture::CreateRenderTarget(lost, 8, 8));
    lost->OnLostDevice();
    const int32_t max = Direct3D()->maxTextureWidth;
    Direct3D()->maxTextureWidth = 4;  // too small to make it again
    lost->OnResetDevice();
    Direct3D()->maxTextureWidth = max;
    cs.SetImage(0, std::move(lost));
    cs.SetImage(1, Picture(0xFF00FF00));
    EXPECT_NE(nullptr, cs.GetImage(1));
    EXPECT_FALSE(cs.TexturesLost());
    EXPECT_NE(nullptr, cs.GetImage(0)) << "still handed out";
    EXPECT_TRUE(cs.TexturesLost());
    cs.FreeImages();
    EXPECT_FALSE(cs.TexturesLost());
    for (int32_t i = 0; i < CARDGFX_SLOTS; ++i) EXPECT_FALSE(cs.HasImage(i));
}

}  // namespace
