#include "sgCapture.h"
#include "sgSystem.h"
#include "testutil.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <fstream>

using namespace plat::softgpu;

namespace {

uint32_t BE32(const std::vector<uint8_t>& b, size_t at)
{
    return uint32_t(b[at]) << 24 | uint32_t(b[at + 1]) << 16 | uint32_t(b[at + 2]) << 8 | b[at + 3];
}

// Reads back what EncodePng wrote: size, and the unfiltered RGBA rows.
bool DecodeOurPng(const std::vector<uint8_t>& png, uint32_t& w, uint32_t& h, std::vector<uint8_t>& rows)
{
    if (png.size() < 8 || png[1] != 'P') return false;
    std::vector<uint8_t> packed;
    for (size_t at = 8; at + 12 <= png.size();) {
        uint32_t len = BE32(png, at);
        std::string type(png.begin() + long(at) + 4, png.begin() + long(at) + 8);
        uLong crc = crc32(0L, png.data() + at + 4, uInt(len + 4));
        if (crc != BE32(png, at + 8 + len)) return false;
        if (type == "IHDR") {
            w = BE32(png, at + 8);
            h = BE32(png, at + 12);
        }
        if (type == "IDAT") packed.insert(packed.end(), png.begin() + long(at) + 8, png.begin() + long(at) + 8 + len);
        at += 12 + len;
    }
    uLongf size = uLongf(w * 4 + 1) * h;
    rows.resize(size);
    return uncompress(rows.data(), &size, packed.data(), uLong(packed.size())) == Z_OK && size == rows.size();
}

}  // namespace

TEST(SoftGpuCapture, PngHoldsThePixelsInRgbaOrder)
{
    const uint32_t px[6] = {0x80FF0000, 0xFF00FF00, 0x000000FF, 0x12345678, 0xFFFFFFFF, 0xFF000000};
    for (bool opaque : {false, true}) {
        std::vector<uint8_t> png = EncodePng(px, 3, 3, 2, opaque);
        uint32_t w = 0, h = 0;
        std::vector<uint8_t> rows;
        ASSERT_TRUE(DecodeOurPng(png, w, h, rows));
        EXPECT_EQ(3u, w);
        EXPECT_EQ(2u, h);
        for (int y = 0; y < 2; ++y) {
            EXPECT_EQ(0, rows[size_t(y) * 13]);  // filter byte
            for (int x = 0; x < 3; ++x) {
                uint32_t p = px[y * 3 + x];
                const uint8_t* q = &rows[size_t(y) * 13 + 1 + size_t(x) * 4];
                EXPECT_EQ(uint8_t(p >> 16), q[0]);
                EXPECT_EQ(uint8_t(p >> 8), q[1]);
                EXPECT_EQ(uint8_t(p), q[2]);
                EXPECT_EQ(opaque ? 0xFF : uint8_t(p >> 24), q[3]);
            }
        }
    }
}

TEST(SoftGpuCapture, FramesGoToTheRouterAndTheCaptureFolder)
{
    vqtest::TempDir dir;
    auto system = System::Create(kSdkVersion);
    PresentParameters pp;
    pp.backBufferWidth = 4;
    pp.backBufferHeight = 2;
    int window = 0;
    std::unique_ptr<Device> device;
    ASSERT_EQ(kOk, system->CreateDevice(0, kDeviceTypeHal, &window, 0, pp, device));
    // Setup: what the test checks after it shows whether it took.
    (void)device->Clear(0, nullptr, kClearTarget, 0xFF0080FF, 1, 0);
    void* seenWindow = nullptr;
    uint32_t seenPixel = 0;
    SetPresentRouter([&](void* w, const uint32_t* px, int32_t, int32_t, int32_t) {
        seenWindow = w;
        seenPixel = px[0];
    });
    SetFrameCaptureFolder(dir.Path());
    EXPECT_EQ(kOk, device->Present());
    SetFrameCaptureFolder("");
    SetPresentRouter(nullptr);
    EXPECT_EQ(&window, seenWindow);
    EXPECT_EQ(0xFF0080FFu, seenPixel);
    std::ifstream in(dir.File("frame_000001.png"), std::ios::binary);
    std::vector<uint8_t> png((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    uint32_t w = 0, h = 0;
    std::vector<uint8_t> rows;
    ASSERT_TRUE(DecodeOurPng(png, w, h, rows));
    EXPECT_EQ(4u, w);
    EXPECT_EQ(0x80, rows[2]);
    Surface depth(SurfaceDesc{kFormatD16, kResourceSurface, kUsageDepthStencil, kPoolDefault, 0, 4, 4});
    EXPECT_FALSE(WritePng(depth, dir.File("depth.png")));  // no pixels
    std::shared_ptr<Surface> back;
    device->GetBackBuffer(0, 0, back);
    EXPECT_FALSE(WritePng(*back, dir.File("missing/frame.png")));
}
