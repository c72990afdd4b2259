#include "sgImageFiles.h"

#include <gtest/gtest.h>

#include "imImage.h"
#include "sgSystem.h"
#include "testutil.h"

using namespace plat::softgpu;
namespace im = plat::imaging;

namespace {

struct ImageFixture {
    std::unique_ptr<System> system = System::Create(kSdkVersion);
    std::unique_ptr<Device> device;
    ImageFixture()
    {
        PresentParameters pp;
        pp.backBufferWidth = 16;
        pp.backBufferHeight = 16;
        EXPECT_EQ(kOk, system->CreateDevice(0, kDeviceTypeHal, nullptr, 0, pp, device));
    }
};

std::vector<uint8_t> Encoded(const im::Image& img, im::EncodeFormat f)
{
    std::vector<uint8_t> out;
    EXPECT_TRUE(im::EncodeImage(img, f, out));
    return out;
}

}  // namespace

TEST(ImageFiles, TexturesKeepTheImageSizeAndApplyTheColourKey)
{
    ImageFixture fx;
    im::Image img;
    ASSERT_TRUE(img.Allocate(3, 5, 0xFFFF00FF));
    img.SetPixel(1, 2, 0xFF123456);
    img.SetPixel(2, 4, 0x80FFFFFF);
    auto png = Encoded(img, im::EncodeFormat::Png);

    ImageFileInfo info;
    ASSERT_EQ(kOk, GetImageInfoFromFileInMemory(png.data(), png.size(), info));
    EXPECT_EQ(info.width, 3u);
    EXPECT_EQ(info.height, 5u);
    EXPECT_EQ(info.fileFormat, kImageFilePng);

    std::shared_ptr<Texture> tex;
    ASSERT_EQ(kOk, CreateTextureFromFileInMemory(*fx.device, png.data(), png.size(), 0, kFormatA8R8G8B8,
                                                 kPoolManaged, 0xFFFF00FF, tex));
    ASSERT_TRUE(tex);
    EXPECT_EQ(tex->Width(), 3);
    EXPECT_EQ(tex->Height(), 5);
    EXPECT_EQ(tex->Level0().PixelAt(0, 0), 0u);  // key colour: transparent black
    EXPECT_EQ(tex->Level0().PixelAt(1, 2), 0xFF123456u);
    EXPECT_EQ(tex->Level0().PixelAt(2, 4), 0x80FFFFFFu);

    std::vector<uint8_t> junk = {1, 2, 3, 4, 5};
    EXPECT_EQ(kInvalidData, CreateTextureFromFileInMemory(*fx.device, junk.data(), junk.size(), 0,
                                                          kFormatA8R8G8B8, kPoolManaged, 0, tex));
    EXPECT_FALSE(tex);
    EXPECT_EQ(kBadArgument, CreateTextureFromFileInMemory(*fx.device, nullptr, 0, 0, kFormatA8R8G8B8,
                                                          kPoolManaged, 0, tex));
}

TEST(ImageFiles, ImagesLargerThanTheDeviceAllowsAreRefused)
{
    ImageFixture fx;
    im::Image wide;
    ASSERT_TRUE(wide.Allocate(kMaxTextureSize + 1, 1, 0xFF000000));
    auto png = Encoded(wide, im::EncodeFormat::Png);
    std::shared_ptr<Texture> tex;
    EXPECT_EQ(kBadArgument, CreateTextureFromFileInMemory(*fx.device, png.data(), png.size(), 0, kFormatA8R8G8B8,
                                                          kPoolManaged, 0, tex));
    EXPECT_FALSE(tex);
}

TEST(ImageFiles, SurfacesAreFilledScaledFromFilesAndSurfaces)
{
    ImageFixture fx;
    im::Image img;
    ASSERT_TRUE(img.Allocate(2, 2, 0xFF000000));
    img.SetPixel(1, 0, 0xFFFFFFFF);
    vqtest::TempDir dir;
    auto bmp = Encoded(img, im::EncodeFormat::Bmp);
    vqtest::WriteFile(dir.File("Two.bmp"), std::string(bmp.begin(), bmp.end()));

    std::shared_ptr<Surface> s;
    ASSERT_EQ(kOk, fx.device->CreateOffscreenPlainSurface(4, 4, kFormatA8R8G8B8, kPoolSystemMem, s));
    ASSERT_EQ(kOk, LoadSurfaceFromFile(*s, nullptr, dir.Path() + "two.BMP", kFilterPoint, 0));
    EXPECT_EQ(s->PixelAt(2, 0), 0xFFFFFFFFu);
    EXPECT_EQ(s->PixelAt(3, 1), 0xFFFFFFFFu);
    EXPECT_EQ(s->PixelAt(1, 1), 0xFF000000u);
    EXPECT_EQ(s->PixelAt(3, 2), 0xFF000000u);
    EXPECT_EQ(kInvalidCall, LoadSurfaceFromFile(*s, nullptr, dir.File("none.bmp"), kFilterPoint, 0));

    std::shared_ptr<Surface> t;
    ASSERT_EQ(kOk, fx.device->CreateOffscreenPlainSurface(2, 2, kFormatA8R8G8B8, kPoolSystemMem, t));
    Rect quarter{2, 0, 4, 2};
    ASSERT_EQ(kOk, LoadSurfaceFromSurface(*t, nullptr, *s, &quarter, kFilterPoint, 0));
    EXPECT_EQ(t->PixelAt(0, 0), 0xFFFFFFFFu);
    EXPECT_EQ(t->PixelAt(1, 1), 0xFFFFFFFFu);
    Rect outside{3, 3, 5, 5};
    EXPECT_EQ(kInvalidCall, LoadSurfaceFromSurface(*t, nullptr, *s, &outside, kFilterPoint, 0));
}

TEST(ImageFiles, SavedTexturesDecodeToTheSamePixels)
{
    ImageFixture fx;
    std::shared_ptr<Texture> tex;
    ASSERT_EQ(kOk, fx.device->CreateTexture(4, 2, 1, 0, kFormatA8R8G8B8, kPoolManaged, tex));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x) tex->Level0().SetPixelAt(x, y, 0x80000000u | uint32_t(x * 50 + y));
    for (uint32_t f : {kImageFilePng, kImageFileBmp}) {
        std::vector<uint8_t> out;
        ASSERT_EQ(kOk, SaveTextureToFileInMemory(out, f, *tex));
        im::Image back;
        ASSERT_TRUE(im::DecodeImage(out.data(), out.size(), back));
        EXPECT_EQ(back.Pixel(3, 1), 0x80000097u);
    }
}
