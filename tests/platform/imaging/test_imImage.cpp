#include "imImage.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstring>

#include "testutil.h"

using namespace plat::imaging;

namespace {

using Bytes = std::vector<uint8_t>;

void Put16(Bytes& b, uint32_t v) { b.push_back(uint8_t(v)), b.push_back(uint8_t(v >> 8)); }
void Put32(Bytes& b, uint32_t v) { Put16(b, v & 0xFFFF), Put16(b, v >> 16); }

// 24-bit bottom-up BMP: rows are padded to four bytes, the last row first.
Bytes Bmp24(int32_t w, int32_t h, const std::vector<uint32_t>& rgbTopDown, uint32_t dataOffset = 54)
{
    Bytes b{'B', 'M'};
    uint32_t row = (uint32_t(w) * 3 + 3) & ~3u;
    Put32(b, 54 + row * uint32_t(h));
    Put32(b, 0);
    Put32(b, dataOffset);
    Put32(b, 40);
    Put32(b, uint32_t(w));
    Put32(b, uint32_t(h));
    Put16(b, 1);
    Put16(b, 24);
    for (int i = 0; i < 6; ++i) Put32(b, 0);
    for (int32_t y = h - 1; y >= 0; --y) {
        for (int32_t x = 0; x < w; ++x) {
            uint32_t c = rgbTopDown[size_t(y * w + x)];
            b.push_back(uint8_t(c)), b.push_back(uint8_t(c >> 8)), b.push_back(uint8_t(c >> 16));
        }
        for (uint32_t p = uint32_t(w) * 3; p < row; ++p) b.push_back(0);
    }
    return b;
}

// Uncompressed 24-bit TGA; bottom-up unless topDown.
Bytes Tga24(int w, int h, const std::vector<uint32_t>& rgbTopDown, bool topDown)
{
    Bytes b(18, 0);
    b[2] = 2;
    b[12] = uint8_t(w), b[13] = uint8_t(w >> 8), b[14] = uint8_t(h), b[15] = uint8_t(h >> 8);
    b[16] = 24;
    b[17] = topDown ? 0x20 : 0;
    for (int r = 0; r < h; ++r) {
        int y = topDown ? r : h - 1 - r;
        for (int x = 0; x < w; ++x) {
            uint32_t c = rgbTopDown[size_t(y * w + x)];
            b.push_back(uint8_t(c)), b.push_back(uint8_t(c >> 8)), b.push_back(uint8_t(c >> 16));
        }
    }
    return b;
}

// GIF whose LZW stream resets before every pixel, so codes stay 3 bits wide.
Bytes Gif4Colours(int w, int h, const uint32_t palette[4], const std::vector<uint8_t>& indices)
{
    Bytes b{'G', 'I', 'F', '8', '9', 'a'};
    Put16(b, uint32_t(w));
    Put16(b, uint32_t(h));
    b.push_back(0x81);  // global table of 4 entries
    b.push_back(0);
    b.push_back(0);
    for (int i = 0; i < 4; ++i)
        b.push_back(uint8_t(palette[i] >> 16)), b.push_back(uint8_t(palette[i] >> 8)),
            b.push_back(uint8_t(palette[i]));
    b.push_back(',');
    Put16(b, 0), Put16(b, 0), Put16(b, uint32_t(w)), Put16(b, uint32_t(h));
    b.push_back(0);
    b.push_back(2);  // minimum code size
    Bytes lzw;
    uint32_t acc = 0;
    int bits = 0;
    auto code = [&](uint32_t c) {
        acc |= c << bits;
        bits += 3;
        while (bits >= 8) lzw.push_back(uint8_t(acc)), acc >>= 8, bits -= 8;
    };
    for (uint8_t i : indices) code(4), code(i);
    code(5);
    if (bits) lzw.push_back(uint8_t(acc));
    b.push_back(uint8_t(lzw.size()));
    b.insert(b.end(), lzw.begin(), lzw.end());
    b.push_back(0);
    b.push_back(';');
    return b;
}

Bytes PngFrom(uint32_t format, int w, int h, const Bytes& pixels, const Bytes* colormap = nullptr,
              int colours = 0)
{
    png_image img{};
    img.version = PNG_IMAGE_VERSION;
    img.width = png_uint_32(w);
    img.height = png_uint_32(h);
    img.format = format;
    img.colormap_entries = png_uint_32(colours);
    png_alloc_size_t size = 0;
    const void* map = colormap ? colormap->data() : nullptr;
    EXPECT_TRUE(png_image_write_to_memory(&img, nullptr, &size, 0, pixels.data(), 0, map));
    Bytes out(size);
    EXPECT_TRUE(png_image_write_to_memory(&img, out.data(), &size, 0, pixels.data(), 0, map));
    out.resize(size);
    return out;
}

}  // namespace

TEST(ImageDecode, PngRgbaGivesBgraRowsFromTheTop)
{
    // 3 x 2, RGBA in the file; the first four bytes out are the top-left's B, G, R, A.
    Bytes rgba = {10, 20, 30, 40, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 200, 210, 220, 230};
    Bytes png = PngFrom(PNG_FORMAT_RGBA, 3, 2, rgba);
    Image img;
    ASSERT_TRUE(DecodeImage(png.data(), png.size(), img));
    EXPECT_EQ(img.width, 3);
    EXPECT_EQ(img.height, 2);
    ASSERT_EQ(img.pixels.size(), 24u);
    EXPECT_EQ((Bytes{img.pixels.begin(), img.pixels.begin() + 4}), (Bytes{30, 20, 10, 40}));
    EXPECT_EQ(img.Pixel(2, 1), 0xE6C8D2DCu);
}

TEST(ImageDecode, PaletteAnd24BitPngComeOutOpaque)
{
    Bytes rgb = {255, 0, 0, 0, 255, 0};
    Bytes png24 = PngFrom(PNG_FORMAT_RGB, 2, 1, rgb);
    Bytes map = {0, 0, 255, 255, 255, 0};
    Bytes idx = {1, 0};
    Bytes pngPal = PngFrom(PNG_FORMAT_RGB_COLORMAP, 2, 1, idx, &map, 2);
    Image a, b;
    ASSERT_TRUE(DecodeImage(png24.data(), png24.size(), a));
    ASSERT_TRUE(DecodeImage(pngPal.data(), pngPal.size(), b));
    EXPECT_EQ(a.Pixel(0, 0), 0xFFFF0000u);
    EXPECT_EQ(a.Pixel(1, 0), 0xFF00FF00u);
    EXPECT_EQ(b.Pixel(0, 0), 0xFFFFFF00u);
    EXPECT_EQ(b.Pixel(1, 0), 0xFF0000FFu);
}

TEST(ImageDecode, BmpTgaAndGifGiveTheSamePixels)
{
    const std::vector<uint32_t> rgb = {0xFF0000, 0x00FF00, 0x0000FF, 0x102030, 0xFFFFFF, 0x000000};
    const uint32_t palette[4] = {0xFF0000, 0x00FF00, 0x0000FF, 0x102030};
    struct Case {
        const char* name;
        Bytes data;
        int w, h;
        ImageFormat format;
    };
    const Case cases[] = {
        {"bmp 3x2 padded rows", Bmp24(3, 2, rgb), 3, 2, ImageFormat::Bmp},
        {"tga bottom-up", Tga24(3, 2, rgb, false), 3, 2, ImageFormat::Tga},
        {"tga top-down", Tga24(3, 2, rgb, true), 3, 2, ImageFormat::Tga},
        {"gif 2x2", Gif4Colours(2, 2, palette, {0, 1, 2, 3}), 2, 2, ImageFormat::Gif},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DetectFormat(c.data.data(), c.data.size()), c.format);
        ImageInfo info;
        ASSERT_TRUE(ReadImageInfo(c.data.data(), c.data.size(), info));
        EXPECT_EQ(info.width, c.w);
        EXPECT_EQ(info.height, c.h);
        Image img;
        ASSERT_TRUE(DecodeImage(c.data.data(), c.data.size(), img));
        ASSERT_EQ(img.width, c.w);
        ASSERT_EQ(img.height, c.h);
        for (int y = 0; y < c.h; ++y)
            for (int x = 0; x < c.w; ++x) {
                uint32_t want = c.format == ImageFormat::Gif ? palette[y * 2 + x] : rgb[size_t(y * c.w + x)];
                EXPECT_EQ(img.Pixel(x, y), 0xFF000000u | want) << x << "," << y;
            }
    }
}

TEST(ImageDecode, DamagedOrOversizedDataIsRefusedAndLeavesNothing)
{
    const std::vector<uint32_t> rgb(4, 0x123456);
    Bytes goodPng = PngFrom(PNG_FORMAT_RGB, 2, 2, Bytes(12, 7));
    Bytes truncatedPng(goodPng.begin(), goodPng.end() - 20);
    Bytes hugePng = goodPng;  // IHDR width at 16: 100000, CRC now wrong too
    hugePng[16] = 0, hugePng[17] = 1, hugePng[18] = 0x86, hugePng[19] = 0xA0;
    Bytes bmp = Bmp24(2, 2, rgb);
    Bytes bmpTruncated(bmp.begin(), bmp.end() - 5);
    Bytes bmpHuge = bmp;  // 20000 x 20000 with 16 bytes of pixels
    bmpHuge[18] = 0x20, bmpHuge[19] = 0x4E, bmpHuge[22] = 0x20, bmpHuge[23] = 0x4E;
    Bytes bmpOffsetPastEnd = Bmp24(2, 2, rgb, 100000);
    Bytes tgaTruncated = Tga24(3, 3, std::vector<uint32_t>(9, 1), false);
    tgaTruncated.resize(tgaTruncated.size() - 4);
    const uint32_t palette[4] = {0, 1, 2, 3};
    Bytes gifHuge = Gif4Colours(2, 2, palette, {0, 1, 2, 3});
    gifHuge[6] = 0xFF, gifHuge[7] = 0xFF, gifHuge[8] = 0xFF, gifHuge[9] = 0xFF;
    Bytes jpegHeaderOnly = {0xFF, 0xD8, 0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F', 0};
    struct Case {
        const char* name;
        Bytes data;
    };
    const Case cases[] = {
        {"empty", {}},
        {"not an image", Bytes{'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'}},
        {"png truncated", truncatedPng},
        {"png too wide", hugePng},
        {"bmp truncated", bmpTruncated},
        {"bmp too large", bmpHuge},
        {"bmp data offset past the end", bmpOffsetPastEnd},
        {"tga truncated", tgaTruncated},
        {"gif too large", gifHuge},
        {"jpeg header only", jpegHeaderOnly},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Image img;
        (void)img.Allocate(1, 1, 0xFFFFFFFF);  // setup: what the test checks after it shows whether it took
        std::string why;
        EXPECT_FALSE(DecodeImage(c.data.data(), c.data.size(), img, &why));
        EXPECT_TRUE(img.Empty());
        EXPECT_TRUE(img.pixels.empty());
        EXPECT_FALSE(why.empty());
    }
    Image img;
    EXPECT_FALSE(DecodeImage(nullptr, 100, img));
}

TEST(ImageDecode, FilesAreReadByWindowsStyleNames)
{
    vqtest::TempDir dir;
    Bytes png = PngFrom(PNG_FORMAT_RGB, 1, 1, Bytes{1, 2, 3});
    vqtest::WriteFile(dir.File("Pic.png"), std::string(png.begin(), png.end()));
    Image img;
    std::string why;
    ASSERT_TRUE(DecodeImageFile(dir.Path() + "PIC.PNG", img, &why)) << why;
    EXPECT_EQ(img.Pixel(0, 0), 0xFF010203u);
    EXPECT_FALSE(DecodeImageFile(dir.File("missing.png"), img, &why));
    EXPECT_EQ(why, "file cannot be read");
    EXPECT_FALSE(DecodeImageFile(dir.Path(), img));
}

TEST(ImageColourKey, OnlyExactMatchesBecomeTransparentBlack)
{
    Image img;
    ASSERT_TRUE(img.Allocate(3, 1, 0xFFFF00FF));
    img.SetPixel(1, 0, 0xFEFF00FF);  // differs in alpha only
    EXPECT_EQ(ApplyColourKey(img, 0xFFFF00FF), 2u);
    EXPECT_EQ(img.Pixel(0, 0), 0u);
    EXPECT_EQ(img.Pixel(1, 0), 0xFEFF00FFu);
    EXPECT_EQ(img.Pixel(2, 0), 0u);
    EXPECT_EQ(ApplyColourKey(img, 0), 0u);  // no key: transparent black stays as it is
}

TEST(ImageEncode, PngAndBmpRoundTripExactlyJpegClosely)
{
    Image img;  // JPEG blocks are 16 pixels: the odd corners stay in the first
    ASSERT_TRUE(img.Allocate(32, 16, 0xFF336699));
    img.SetPixel(0, 0, 0x80FF0000);
    img.SetPixel(31, 15, 0x00000000);
    struct Case {
        EncodeFormat format;
        Bytes magic;
        ImageFormat detected;
    };
    const Case cases[] = {
        {EncodeFormat::Png, {0x89, 'P', 'N', 'G'}, ImageFormat::Png},
        {EncodeFormat::Bmp, {'B', 'M'}, ImageFormat::Bmp},
        {EncodeFormat::Jpeg, {0xFF, 0xD8, 0xFF}, ImageFormat::Jpeg},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.format));
        Bytes out;
        ASSERT_TRUE(EncodeImage(img, c.format, out));
        ASSERT_GE(out.size(), c.magic.size());
        EXPECT_TRUE(std::equal(c.magic.begin(), c.magic.end(), out.begin()));
        EXPECT_EQ(DetectFormat(out.data(), out.size()), c.detected);
        Image back;
        ASSERT_TRUE(DecodeImage(out.data(), out.size(), back));
        ASSERT_EQ(back.width, 32);
        ASSERT_EQ(back.height, 16);
        if (c.format != EncodeFormat::Jpeg) {
            EXPECT_EQ(back.pixels, img.pixels);
            continue;
        }
        uint32_t mid = back.Pixel(20, 8);
        EXPECT_EQ(mid >> 24, 0xFFu);
        EXPECT_NEAR(int((mid >> 16) & 0xFF), 0x33, 6);
        EXPECT_NEAR(int((mid >> 8) & 0xFF), 0x66, 6);
        EXPECT_NEAR(int(mid & 0xFF), 0x99, 6);
    }
    Image empty;
    Bytes out;
    EXPECT_FALSE(EncodeImage(empty, EncodeFormat::Png, out));
}

TEST(ImageAllocate, SizesOutsideTheLimitsAreRefused)
{
    Image img;
    EXPECT_FALSE(img.Allocate(0, 5));
    EXPECT_FALSE(img.Allocate(5, -1));
    EXPECT_FALSE(img.Allocate(MAX_IMAGE_SIDE + 1, 1));
    EXPECT_FALSE(img.Allocate(MAX_IMAGE_SIDE, MAX_IMAGE_SIDE));
    EXPECT_TRUE(img.pixels.empty());
    EXPECT_TRUE(img.Allocate(2, 2, 7));
    EXPECT_EQ(img.Pixel(1, 1), 7u);
    EXPECT_EQ(img.Pixel(2, 0), 0u);  // outside reads as 0
}

TEST(ImageDecode, JpegCutShortIsRefusedLikeTheOtherFormats)
{
    Image img;
    ASSERT_TRUE(img.Allocate(64, 48, 0xFF336699));
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x) img.SetPixel(x, y, 0xFF000000u | uint32_t(x * 4) << 16 | uint32_t(y * 5));
    Bytes whole;
    ASSERT_TRUE(EncodeImage(img, EncodeFormat::Jpeg, whole));
    Image back;
    ASSERT_TRUE(DecodeImage(whole.data(), whole.size(), back));
    // Cut halfway through the scan data: the lower rows never arrived.
    size_t scan = 0;
    for (size_t i = 0; i + 1 < whole.size() && !scan; ++i)
        if (whole[i] == 0xFF && whole[i + 1] == 0xDA) scan = i;
    ASSERT_GT(scan, 0u);
    Bytes cut(whole.begin(), whole.begin() + std::ptrdiff_t((scan + whole.size()) / 2));
    std::string why;
    EXPECT_FALSE(DecodeImage(cut.data(), cut.size(), back, &why));
    EXPECT_TRUE(back.pixels.empty());
    EXPECT_FALSE(why.empty());
    // Only the end-of-image marker missing: every row is there, so it stays readable.
    Bytes noEnd(whole.begin(), whole.end() - 2);
    EXPECT_TRUE(DecodeImage(noEnd.data(), noEnd.size(), back));
}

// Data that runs out before the last row is refused whatever marker comes
// after it: an end-of-image marker, another marker, or a header that claims
// more rows than the data holds.
TEST(ImageDecode, JpegWhoseDataRunsOutBeforeTheLastRowIsRefusedWhateverFollows)
{
    auto encoded = [](int32_t w, int32_t h) {
        Image img;
        EXPECT_TRUE(img.Allocate(w, h));
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x)
                img.SetPixel(x, y, 0xFF000000u | uint32_t(x * 7 % 256) << 16 | uint32_t(y * 3 % 256) << 8 | uint32_t((x ^ y) & 0xFF));
        Bytes b;
        EXPECT_TRUE(EncodeImage(img, EncodeFormat::Jpeg, b));
        return b;
    };
    auto find = [](const Bytes& b, uint8_t marker) {
        for (size_t i = 0; i + 1 < b.size(); ++i)
            if (b[i] == 0xFF && b[i + 1] == marker) return i;
        return size_t(0);
    };
    Bytes small = encoded(64, 48);
    size_t scan = find(small, 0xDA);
    ASSERT_GT(scan, 0u);
    Bytes half(small.begin(), small.begin() + std::ptrdiff_t((scan + small.size()) / 2));
    auto with = [&](Bytes b, std::initializer_list<uint8_t> tail) {
        b.insert(b.end(), tail);
        return b;
    };
    // 640 x 480 of data under a frame header that says 8192 x 8192.
    Bytes raised = encoded(640, 480);
    size_t frame = find(raised, 0xC0);
    ASSERT_GT(frame, 0u);
    raised[frame + 5] = 0x20, raised[frame + 6] = 0x00;  // height
    raised[frame + 7] = 0x20, raised[frame + 8] = 0x00;  // width
    struct Case {
        const char* what;
        Bytes bytes;
    } cases[] = {
        {"cut short, then the end-of-image marker", with(half, {0xFF, 0xD9})},
        {"cut short, then a comment and the end-of-image marker", with(half, {0xFF, 0xFE, 0, 4, 'h', 'i', 0xFF, 0xD9})},
        {"cut short, then a restart marker", with(half, {0xFF, 0xD0})},
        {"a header raised to 8192 x 8192 over 640 x 480 data", raised},
    };
    for (const Case& c : cases) {
        Image back;
        std::string why;
        EXPECT_FALSE(DecodeImage(c.bytes.data(), c.bytes.size(), back, &why)) << c.what;
        EXPECT_TRUE(back.pixels.empty()) << c.what;
        EXPECT_FALSE(why.empty()) << c.what;
    }
    Image back;
    ASSERT_TRUE(DecodeImage(small.data(), small.size(), back)) << "the whole file still decodes";
    EXPECT_EQ(back.width, 64);
}
