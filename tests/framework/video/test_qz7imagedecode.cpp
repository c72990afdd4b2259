#include "qz7imagedecode.h"

#include <gtest/gtest.h>

#include "imImage.h"
#include "testutil.h"

TEST(ImageDecodeUnit, PngGivesTopDownBgraRows)
{
    plat::imaging::Image img;
    ASSERT_TRUE(img.Allocate(3, 2, 0xFF000000));
    img.SetPixel(0, 0, 0x80112233);
    img.SetPixel(2, 1, 0xFFAABBCC);
    std::vector<uint8_t> png;
    ASSERT_TRUE(plat::imaging::EncodeImage(img, plat::imaging::EncodeFormat::Png, png));
    vqtest::TempDir dir;
    vqtest::WriteFile(dir.File("small.png"), std::string(png.begin(), png.end()));

    int32_t w = 0, h = 0;
    std::vector<uint8_t> px;
    ASSERT_TRUE(DecodeImage(dir.File("small.png"), w, h, px));
    EXPECT_EQ(w, 3);
    EXPECT_EQ(h, 2);
    ASSERT_EQ(px.size(), 24u);
    EXPECT_EQ((std::vector<uint8_t>{px.begin(), px.begin() + 4}), (std::vector<uint8_t>{0x33, 0x22, 0x11, 0x80}));
    EXPECT_EQ((std::vector<uint8_t>{px.end() - 4, px.end()}), (std::vector<uint8_t>{0xCC, 0xBB, 0xAA, 0xFF}));
}

TEST(ImageDecodeUnit, MissingOrDamagedFilesRaise)
{
    vqtest::TempDir dir;
    vqtest::WriteFile(dir.File("bad.png"), "\x89PNG\r\n\x1a\nnot really");
    int32_t w = 7, h = 7;
    std::vector<uint8_t> px;
    EXPECT_THROW(DecodeImage(dir.File("none.png"), w, h, px), EQZImageError);
    EXPECT_THROW(DecodeImage(dir.File("bad.png"), w, h, px), EQZImageError);
}
