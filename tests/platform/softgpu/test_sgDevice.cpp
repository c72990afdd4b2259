#include "sgSystem.h"

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace plat::softgpu;

namespace {

struct Fixture {
    std::unique_ptr<System> system = System::Create(kSdkVersion);
    std::unique_ptr<Device> device;
    std::shared_ptr<Surface> back;

    // A back buffer with an alpha channel, so that tests see what blending does to it.
    explicit Fixture(uint32_t w = 64, uint32_t h = 48, uint32_t format = kFormatA8R8G8B8)
    {
        PresentParameters pp;
        pp.backBufferWidth = w;
        pp.backBufferHeight = h;
        pp.backBufferFormat = format;
        EXPECT_EQ(kOk, system->CreateDevice(0, kDeviceTypeHal, nullptr, 0, pp, device));
        device->GetBackBuffer(0, 0, back);
        // Setup: what the test checks after it shows whether it took.
        (void)device->SetFVF(kFvfScreenVertex);
        (void)device->SetRenderState(kRsAlphaBlendEnable, 1);
        (void)device->SetRenderState(kRsSrcBlend, kBlendSrcAlpha);
        (void)device->SetRenderState(kRsDestBlend, kBlendInvSrcAlpha);
        (void)device->SetTextureStageState(0, kTssAlphaOp, kTopModulate);
        (void)device->SetTextureStageState(0, kTssColorArg2, kArgDiffuse);
        (void)device->SetTextureStageState(0, kTssAlphaArg2, kArgDiffuse);
    }

    // A quad on whole pixel edges, moved by -0.5 as the video layer does.
    void Quad(float l, float t, float r, float b, uint32_t colour, float u0 = 0, float v0 = 0, float u1 = 1,
              float v1 = 1, uint32_t colour2 = 0)
    {
        uint32_t c2 = colour2 ? colour2 : colour;
        ScreenVertex v[4] = {{l - 0.5f, t - 0.5f, 0, 1, colour, colour, u0, v0},
                             {r - 0.5f, t - 0.5f, 0, 1, c2, c2, u1, v0},
                             {r - 0.5f, b - 0.5f, 0, 1, c2, c2, u1, v1},
                             {l - 0.5f, b - 0.5f, 0, 1, colour, colour, u0, v1}};
        const uint16_t idx[6] = {0, 1, 2, 0, 2, 3};
        EXPECT_EQ(kOk, device->DrawIndexedPrimitiveUP(kPrimitiveTriangleList, 0, 4, 2, idx, kFormatIndex16, v,
                                                      sizeof(ScreenVertex)));
    }

    std::shared_ptr<Texture> MakeTexture(int32_t w, int32_t h, const std::vector<uint32_t>& texels)
    {
        std::shared_ptr<Texture> t;
        EXPECT_EQ(kOk, device->CreateTexture(w, h, 1, 0, kFormatA8R8G8B8, kPoolManaged, t));
        LockedRect lr;
        EXPECT_EQ(kOk, t->LockRect(0, lr, nullptr, 0));
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x)
                static_cast<uint32_t*>(lr.bits)[y * (lr.pitch / 4) + x] = texels[size_t(y * w + x)];
        (void)t->UnlockRect(0);  // setup: what the test checks after it shows whether it took
        return t;
    }

    uint32_t At(int32_t x, int32_t y) const { return back->PixelAt(x, y); }
    int32_t CountNot(uint32_t value) const
    {
        int32_t n = 0;
        for (int32_t y = 0; y < back->Height(); ++y)
            for (int32_t x = 0; x < back->Width(); ++x) n += At(x, y) != value;
        return n;
    }
};

}  // namespace

TEST(SoftGpuDevice, SizesOutsideTheLimitAreRefusedWithBadArgument)
{
    Fixture f;
    const uint32_t sizes[][2] = {{0, 1}, {1, 0}, {8193, 1}, {1, 8193}, {0xFFFFFFFFu, 4}};
    for (const auto& s : sizes) {
        std::shared_ptr<Texture> t;
        std::shared_ptr<Surface> sf;
        EXPECT_EQ(kBadArgument, f.device->CreateTexture(s[0], s[1], 1, 0, kFormatA8R8G8B8, kPoolManaged, t));
        EXPECT_EQ(nullptr, t);
        EXPECT_EQ(kBadArgument, f.device->CreateOffscreenPlainSurface(s[0], s[1], kFormatX8R8G8B8, kPoolSystemMem, sf));
        EXPECT_EQ(kBadArgument, f.device->CreateRenderTarget(s[0], s[1], kFormatX8R8G8B8, 0, 0, true, sf));
        EXPECT_EQ(nullptr, sf);
        PresentParameters pp;
        pp.backBufferWidth = s[0];
        pp.backBufferHeight = s[1];
        std::unique_ptr<Device> d;
        EXPECT_EQ(kBadArgument, f.system->CreateDevice(0, kDeviceTypeHal, nullptr, 0, pp, d));
        EXPECT_EQ(kBadArgument, f.device->Reset(pp));
    }
    std::shared_ptr<Texture> edge;
    EXPECT_EQ(kOk, f.device->CreateTexture(8192, 1, 1, 0, kFormatA8R8G8B8, kPoolManaged, edge));
    EXPECT_EQ(8192, edge->Width());
}

TEST(SoftGpuDevice, QuadsLandExactlyOnTheirPixels)
{
    Fixture f;
    // Setup: what the test checks after it shows whether it took.
    (void)f.device->Clear(0, nullptr, kClearTarget, 0xFF000000, 1, 0);
    f.Quad(10, 5, 20, 15, 0xFFFF0000);
    for (int32_t y = 0; y < 48; ++y)
        for (int32_t x = 0; x < 64; ++x) {
            bool inside = x >= 10 && x < 20 && y >= 5 && y < 15;
            ASSERT_EQ(inside ? 0xFFFF0000u : 0xFF000000u, f.At(x, y)) << x << "," << y;
        }
}

TEST(SoftGpuDevice, GeneralTrianglesCoverTheSamePixelsAsTheQuadRoad)
{
    // A gradient quad takes the triangle road, a flat one the quad road; both
    // must cover the same pixels for fractional corners too.
    const float rects[][4] = {{3.25f, 2.5f, 17.75f, 9.5f}, {0.5f, 0.5f, 1.5f, 1.5f}, {-4, -3, 6.6f, 7.2f},
                              {60.1f, 40.9f, 70, 50}};
    for (const auto& r : rects) {
        Fixture flat, shaded;
        flat.Quad(r[0], r[1], r[2], r[3], 0xFFFFFFFF);
        shaded.Quad(r[0], r[1], r[2], r[3], 0xFFFFFFFF, 0, 0, 1, 1, 0xFFFFFFFE);
        for (int32_t y = 0; y < 48; ++y)
            for (int32_t x = 0; x < 64; ++x)
                ASSERT_EQ(flat.At(x, y) != 0, shaded.At(x, y) != 0) << r[0] << " at " << x << "," << y;
        EXPECT_GT(flat.CountNot(0), 0);
    }
}

TEST(SoftGpuDevice, SharedEdgesAreNeitherDoubledNorMissed)
{
    // A fan of triangles with fractional corners, added with ONE + ONE: every
    // covered pixel receives exactly one triangle.
    Fixture f;
    // Setup: what the test checks after it shows whether it took.
    (void)f.device->SetRenderState(kRsSrcBlend, kBlendOne);
    (void)f.device->SetRenderState(kRsDestBlend, kBlendOne);
    const float cx = 31.3f, cy = 23.7f;
    const float ring[][2] = {{5.2f, 3.1f}, {30.5f, 1.5f}, {58.7f, 6.2f}, {61.1f, 30.5f},
                             {40.3f, 45.9f}, {12.5f, 44.5f}, {2.2f, 25.0f}};
    std::vector<ScreenVertex> v;
    v.push_back({cx, cy, 0, 1, 0x01010101, 0, 0, 0});
    for (const auto& p : ring) v.push_back({p[0], p[1], 0, 1, 0x01010101, 0, 0, 0});
    std::vector<uint16_t> idx;
    for (uint16_t i = 1; i <= 7; ++i) {
        idx.push_back(0);
        idx.push_back(i);
        idx.push_back(uint16_t(i == 7 ? 1 : i + 1));
    }
    ASSERT_EQ(kOk, f.device->DrawIndexedPrimitiveUP(kPrimitiveTriangleList, 0, uint32_t(v.size()), 7, idx.data(),
                                                    kFormatIndex16, v.data(), sizeof(ScreenVertex)));
    int32_t covered = 0;
    for (int32_t y = 0; y < 48; ++y)
        for (int32_t x = 0; x < 64; ++x) {
            uint32_t p = f.At(x, y);
            ASSERT_TRUE(p == 0 || p == 0x01010101) << x << "," << y << " " << std::hex << p;
            covered += p != 0;
        }
    EXPECT_GT(covered, 1500);
    // The centre of the polygon is covered: no gap along the spokes.
    EXPECT_EQ(0x01010101u, f.At(31, 24));
    EXPECT_EQ(0x01010101u, f.At(31, 23));
}

TEST(SoftGpuDevice, PointSamplingPicksTexelsOneToOneAndMagnified)
{
    Fixture f;
    std::vector<uint32_t> texels(16);
    for (uint32_t i = 0; i < 16; ++i) texels[i] = 0xFF000000u | (i * 0x0F0F0F);
    auto tex = f.MakeTexture(4, 4, texels);
    (void)f.device->SetTexture(0, tex);  // setup: what the test checks after it shows whether it took
    f.Quad(10, 10, 14, 14, 0xFFFFFFFF);
    f.Quad(20, 20, 28, 28, 0xFFFFFFFF);
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 4; ++x) EXPECT_EQ(texels[size_t(y * 4 + x)], f.At(10 + x, 10 + y));
    for (int32_t y = 0; y < 8; ++y)
        for (int32_t x = 0; x < 8; ++x) EXPECT_EQ(texels[size_t((y / 2) * 4 + x / 2)], f.At(20 + x, 20 + y));
    // Half of the texture, (0.5, 0) .. (1, 0.5), drawn 1:1.
    f.Quad(40, 10, 42, 12, 0xFFFFFFFF, 0.5f, 0, 1, 0.5f);
    EXPECT_EQ(texels[2], f.At(40, 10));
    EXPECT_EQ(texels[7], f.At(41, 11));
}

TEST(SoftGpuDevice, TextureIsModulatedByDiffuse)
{
    Fixture f;
    // Setup: what the test checks after it shows whether it took.
    (void)f.device->SetRenderState(kRsAlphaBlendEnable, 0);
    auto tex = f.MakeTexture(1, 1, {0xFF808080});
    (void)f.device->SetTexture(0, tex);  // setup: what the test checks after it shows whether it took
    f.Quad(0, 0, 8, 1, 0x80FF4000);
    EXPECT_EQ(0x80802000u, f.At(0, 0));
    EXPECT_EQ(0x80802000u, f.At(7, 0));
    // Setup: what the test checks after it shows whether it took.
    (void)f.device->SetTexture(0, nullptr);  // no texture: the diffuse colour alone
    f.Quad(0, 1, 8, 2, 0x12345678);
    EXPECT_EQ(0x12345678u, f.At(3, 1));
}

TEST(SoftGpuDevice, BlendFactorsCombineSourceAndDestination)
{
    struct Case {
        uint32_t src, dst, factorSrc, factorDst, expected;
    };
    const Case cases[] = {
        {0x80FF0000, 0xFF0000FF, kBlendSrcAlpha, kBlendInvSrcAlpha, 0xBF80007F},
        {0x40102030, 0x10203040, kBlendOne, kBlendOne, 0x50305070},
        {0xFFFFFFFF, 0xFF804020, kBlendInvDestColor, kBlendZero, 0x007FBFDF},
        {0xFF808080, 0xFF804020, kBlendZero, kBlendSrcColor, 0xFF402010},
        {0xFF808080, 0xFF804020, kBlendDestColor, kBlendZero, 0xFF402010},
        {0x00FFFFFF, 0xFF804020, kBlendInvSrcAlpha, kBlendSrcAlpha, 0x00FFFFFF},
        {0xFFFFFFFF, 0xFF804020, kBlendInvDestColor, kBlendInvDestColor, 0x00BFEFFB},
        {0x80FFFFFF, 0x80000000, kBlendDestAlpha, kBlendInvDestAlpha, 0x80808080},
    };
    for (const Case& c : cases) {
        Fixture f(8, 8);
        // Setup: what the test checks after it shows whether it took.
        (void)f.device->Clear(0, nullptr, kClearTarget, c.dst, 1, 0);
        (void)f.device->SetRenderState(kRsSrcBlend, c.factorSrc);
        (void)f.device->SetRenderState(kRsDestBlend, c.factorDst);
        f.Quad(0, 0, 8, 8, c.src);
        uint32_t got = f.At(3, 3);
        for (int shift = 0; shift < 32; shift += 8) {
            int32_t g = (got >> shift) & 0xFF, e = (c.expected >> shift) & 0xFF;
            EXPECT_LE(std::abs(g - e), 1) << std::hex << c.src << " over " << c.dst << " got " << got;
        }
    }
}

TEST(SoftGpuDevice, TargetsWithoutAlphaStayOpaque)
{
    Fixture f(16, 8, kFormatX8R8G8B8);
    EXPECT_EQ(0xFF000000u, f.At(0, 0));  // made opaque black
    // Setup: what the test checks after it shows whether it took.
    (void)f.device->Clear(0, nullptr, kClearTarget, 0x00102030, 1, 0);
    EXPECT_EQ(0xFF102030u, f.At(1, 1));
    f.Quad(0, 0, 4, 4, 0x80FFFFFF);  // blended over
    EXPECT_EQ(0xFF, int(f.At(2, 2) >> 24));
    EXPECT_NEAR(int((f.At(2, 2) >> 16) & 0xFF), 0x88, 1);
    // Setup: what the test checks after it shows whether it took.
    (void)f.device->SetRenderState(kRsAlphaBlendEnable, 0);
    f.Quad(4, 0, 8, 4, 0x40FFFFFF);  // written as it is
    EXPECT_EQ(0xFFFFFFFFu, f.At(5, 1));
    // Setup: what the test checks after it shows whether it took.
    (void)f.device->SetRenderState(kRsAlphaBlendEnable, 1);
    (void)f.device->SetRenderState(kRsSrcBlend, kBlendDestAlpha);  // destination alpha reads 0xFF
    (void)f.device->SetRenderState(kRsDestBlend, kBlendZero);
    f.Quad(8, 0, 12, 4, 0x20406080);
    EXPECT_EQ(0xFF406080u, f.At(9, 1));
    auto tex = f.MakeTexture(1, 1, {0x00000000});
    // Setup: what the test checks after it shows whether it took.
    (void)f.device->SetTexture(0, tex);
    (void)f.device->SetRenderState(kRsAlphaBlendEnable, 0);
    f.Quad(12, 0, 16, 4, 0xFFFFFFFF);  // a fully transparent texel copied in
    EXPECT_EQ(0xFF000000u, f.At(13, 1));
}

TEST(SoftGpuDevice, WriteMaskAndScissorLimitWhatIsWritten)
{
    Fixture f;
    // Setup: what the test checks after it shows whether it took.
    (void)f.device->Clear(0, nullptr, kClearTarget, 0x11223344, 1, 0);
    (void)f.device->SetRenderState(kRsColorWriteEnable, kWriteRed | kWriteAlpha);
    (void)f.device->SetRenderState(kRsScissorTestEnable, 1);
    (void)f.device->SetScissorRect({4, 4, 8, 6});
    f.Quad(0, 0, 64, 48, 0xFFAABBCC);
    EXPECT_EQ(0xFFAA3344u, f.At(4, 4));
    EXPECT_EQ(0xFFAA3344u, f.At(7, 5));
    EXPECT_EQ(0x11223344u, f.At(8, 5));
    EXPECT_EQ(0x11223344u, f.At(4, 6));
    EXPECT_EQ(0x11223344u, f.At(3, 4));
    // Clear honours the scissor rectangle too.
    // Setup: what the test checks after it shows whether it took.
    (void)f.device->Clear(0, nullptr, kClearTarget, 0, 1, 0);
    EXPECT_EQ(0u, f.At(5, 5));
    EXPECT_EQ(0x11223344u, f.At(0, 0));
}

TEST(SoftGpuDevice, BilinearFilteringBlendsNeighboursAndHonoursAddressing)
{
    Fixture f;
    // Setup: what the test checks after it shows whether it took.
    (void)f.device->SetRenderState(kRsAlphaBlendEnable, 0);
    (void)f.device->SetSamplerState(0, kSampMagFilter, kFilterLinear);
    (void)f.device->SetSamplerState(0, kSampMinFilter, kFilterLinear);
    auto tex = f.MakeTexture(2, 1, {0xFF000000, 0xFFFFFFFF});
    // Setup: what the test checks after it shows whether it took.
    (void)f.device->SetTexture(0, tex);
    (void)f.device->SetSamplerState(0, kSampAddressU, kAddressClamp);
    f.Quad(0, 0, 8, 1, 0xFFFFFFFF);  // 4 pixels per texel
    EXPECT_EQ(0xFF000000u, f.At(0, 0));  // clamped left edge stays black
    EXPECT_EQ(0xFFFFFFFFu, f.At(7, 0));
    uint32_t prev = 0;
    for (int32_t x = 0; x < 8; ++x) {
        uint32_t g = f.At(x, 0) & 0xFF;
        EXPECT_GE(g, prev);
        prev = g;
    }
    int32_t mid = f.At(3, 0) & 0xFF;  // centre 3.5 px -> texel position 0.875 - 0.5
    EXPECT_NEAR(mid, 96, 2);
    // Setup: what the test checks after it shows whether it took.
    (void)f.device->SetSamplerState(0, kSampAddressU, kAddressWrap);
    f.Quad(0, 1, 8, 2, 0xFFFFFFFF);
    // Wrapping blends the left edge with the far right texel.
    EXPECT_NEAR(int32_t(f.At(0, 1) & 0xFF), 96, 2);
}

TEST(SoftGpuDevice, GradientsInterpolateDiffuse)
{
    Fixture f;
    // Setup: what the test checks after it shows whether it took.
    (void)f.device->SetRenderState(kRsAlphaBlendEnable, 0);
    f.Quad(0, 0, 64, 4, 0xFF000000, 0, 0, 1, 1, 0xFFFFFFFF);
    int32_t prev = -1;
    for (int32_t x = 0; x < 64; ++x) {
        int32_t g = f.At(x, 2) & 0xFF;
        EXPECT_GE(g, prev);
        prev = g;
    }
    EXPECT_LE(f.At(0, 2) & 0xFF, 4u);
    EXPECT_GE(f.At(63, 2) & 0xFF, 250u);
    EXPECT_NEAR(int32_t(f.At(32, 2) & 0xFF), 130, 3);
}

TEST(SoftGpuDevice, LossReportsLostThenNotResetAndResetWaitsForDefaultPoolObjects)
{
    Fixture f;
    std::shared_ptr<Texture> managed, target;
    // Setup: what the test checks after it shows whether it took.
    (void)f.device->CreateTexture(4, 4, 1, 0, kFormatA8R8G8B8, kPoolManaged, managed);
    (void)f.device->CreateTexture(4, 4, 1, kUsageRenderTarget, kFormatA8R8G8B8, kPoolDefault, target);
    EXPECT_EQ(1, f.device->LiveDefaultPoolObjects());
    EXPECT_EQ(kOk, f.device->TestCooperativeLevel());
    f.device->SimulateDeviceLoss();
    EXPECT_EQ(kDeviceLost, f.device->Present());
    EXPECT_EQ(kDeviceLost, f.device->TestCooperativeLevel());
    EXPECT_EQ(kDeviceNotReset, f.device->TestCooperativeLevel());
    PresentParameters pp = f.device->Parameters();
    pp.backBufferWidth = 32;
    EXPECT_EQ(kInvalidCall, f.device->Reset(pp));
    target.reset();
    EXPECT_EQ(kOk, f.device->Reset(pp));
    EXPECT_EQ(kOk, f.device->TestCooperativeLevel());
    std::shared_ptr<Surface> back;
    f.device->GetBackBuffer(0, 0, back);
    EXPECT_EQ(32, back->Width());
    EXPECT_EQ(kOk, f.device->Present());
}

TEST(SoftGpuDevice, PresentHandsTheBackBufferToTheSink)
{
    Fixture f(16, 8);
    // Setup: what the test checks after it shows whether it took.
    (void)f.device->Clear(0, nullptr, kClearTarget, 0xFF336699, 1, 0);
    uint32_t seen = 0;
    int32_t w = 0, pitch = 0;
    f.device->SetPresentSink([&](const uint32_t* px, int32_t p, int32_t width, int32_t) {
        seen = px[5];
        w = width;
        pitch = p;
    });
    EXPECT_EQ(kOk, f.device->Present());
    EXPECT_EQ(0xFF336699u, seen);
    EXPECT_EQ(16, w);
    EXPECT_EQ(64, pitch);
    EXPECT_EQ(0xFF336699u, f.At(3, 3));  // headless readers still see the frame
}

TEST(SoftGpuDevice, BuffersCheckRangesAndDrawsCount)
{
    Fixture f;
    std::shared_ptr<Buffer> vb, ib;
    ASSERT_EQ(kOk, f.device->CreateVertexBuffer(4 * 32, kUsageWriteOnly, kFvfScreenVertex, kPoolManaged, vb));
    ASSERT_EQ(kOk, f.device->CreateIndexBuffer(12 * 2, kUsageWriteOnly, kFormatIndex16, kPoolManaged, ib));
    void* p = nullptr;
    EXPECT_EQ(kInvalidCall, vb->Lock(64, 128, &p, 0));
    ASSERT_EQ(kOk, vb->Lock(0, 0, &p, kLockDiscard));
    ScreenVertex v[4] = {{-0.5f, -0.5f, 0, 1, 0xFFFFFFFF, 0, 0, 0},
                         {3.5f, -0.5f, 0, 1, 0xFFFFFFFF, 0, 0, 0},
                         {3.5f, 3.5f, 0, 1, 0xFFFFFFFF, 0, 0, 0},
                         {-0.5f, 3.5f, 0, 1, 0xFFFFFFFF, 0, 0, 0}};
    std::memcpy(p, v, sizeof v);
    (void)vb->Unlock();  // setup: what the test checks after it shows whether it took
    ASSERT_EQ(kOk, ib->Lock(0, 0, &p, 0));
    const uint16_t idx[12] = {0, 1, 2, 0, 2, 3, 0, 1, 9, 0, 2, 3};
    std::memcpy(p, idx, sizeof idx);
    // Setup: what the test checks after it shows whether it took.
    (void)ib->Unlock();
    (void)f.device->SetStreamSource(0, vb, 0, 32);
    (void)f.device->SetIndices(ib);
    EXPECT_EQ(kOk, f.device->DrawIndexedPrimitive(kPrimitiveTriangleList, 0, 0, 4, 0, 2));
    EXPECT_EQ(16, f.CountNot(0));
    // Vertex 9 does not exist: that triangle is refused, the other drawn.
    EXPECT_EQ(kInvalidCall, f.device->DrawIndexedPrimitive(kPrimitiveTriangleList, 0, 0, 4, 6, 2));
    // Reading past the index buffer is refused outright.
    EXPECT_EQ(kInvalidCall, f.device->DrawIndexedPrimitive(kPrimitiveTriangleList, 0, 0, 4, 6, 3));
    EXPECT_EQ(2, f.device->DrawCallCount());
    EXPECT_EQ(4, f.device->TriangleCount());
}

TEST(SoftGpuDevice, StretchRectCopiesScalesAndRefusesOverlap)
{
    Fixture f;
    std::shared_ptr<Surface> src, dst;
    // Setup: what the test checks after it shows whether it took.
    (void)f.device->CreateOffscreenPlainSurface(2, 2, kFormatA8R8G8B8, kPoolSystemMem, src);
    (void)f.device->CreateRenderTarget(8, 8, kFormatA8R8G8B8, 0, 0, true, dst);
    src->SetPixelAt(0, 0, 1);
    src->SetPixelAt(1, 0, 2);
    src->SetPixelAt(0, 1, 3);
    src->SetPixelAt(1, 1, 4);
    Rect whole{0, 0, 4, 4};
    EXPECT_EQ(kOk, f.device->StretchRect(src.get(), nullptr, dst.get(), &whole, kFilterNone));
    EXPECT_EQ(1u, dst->PixelAt(1, 1));
    EXPECT_EQ(2u, dst->PixelAt(2, 0));
    EXPECT_EQ(4u, dst->PixelAt(3, 3));
    Rect a{0, 0, 4, 4}, b{2, 2, 6, 6}, outside{0, 0, 9, 9};
    EXPECT_EQ(kInvalidCall, f.device->StretchRect(dst.get(), &a, dst.get(), &b, kFilterNone));
    EXPECT_EQ(kInvalidCall, f.device->StretchRect(src.get(), nullptr, dst.get(), &outside, kFilterNone));
}

TEST(SoftGpuSystem, ModesComeFromTheFixedListOrTheInstalledSource)
{
    auto sys = System::Create(kSdkVersion);
    uint32_t n = sys->GetAdapterModeCount(0, kFormatX8R8G8B8);
    EXPECT_GE(n, 5u);
    DisplayMode m;
    EXPECT_EQ(kOk, sys->EnumAdapterModes(0, kFormatX8R8G8B8, 0, m));
    EXPECT_EQ(640u, m.width);
    EXPECT_EQ(kInvalidCall, sys->EnumAdapterModes(0, kFormatX8R8G8B8, n, m));
    SetDisplayInfoSource([] {
        DisplayInfo info;
        info.desktop = {2560, 1440, 144, kFormatX8R8G8B8};
        info.modes = {{2560, 1440, 144, kFormatX8R8G8B8}};
        return info;
    });
    EXPECT_EQ(1u, sys->GetAdapterModeCount(0, kFormatX8R8G8B8));
    EXPECT_EQ(kOk, sys->GetAdapterDisplayMode(0, m));
    EXPECT_EQ(2560u, m.width);
    PresentParameters pp;
    pp.backBufferWidth = 1024;
    pp.backBufferHeight = 768;
    pp.windowed = false;
    std::unique_ptr<Device> d;
    EXPECT_EQ(kInvalidCall, sys->CreateDevice(0, kDeviceTypeHal, nullptr, 0, pp, d));
    SetDisplayInfoSource(nullptr);
    EXPECT_EQ(kOk, sys->CreateDevice(0, kDeviceTypeHal, nullptr, 0, pp, d));
}

TEST(SoftGpuSystem, ModesComeFromSdlWhileItsVideoRuns)
{
    DisplayInfo info;
    ASSERT_FALSE(SdlDisplayInfo(info));  // no SDL video: the fixed list answers
    EXPECT_EQ(HeadlessDisplayInfo().modes.size(), CurrentDisplayInfo().modes.size());
    SDL_setenv("SDL_VIDEODRIVER", "dummy", 1);
    ASSERT_EQ(0, SDL_InitSubSystem(SDL_INIT_VIDEO));
    ASSERT_TRUE(SdlDisplayInfo(info));
    EXPECT_GT(info.desktop.width, 0u);
    ASSERT_FALSE(info.modes.empty());
    EXPECT_EQ(info.desktop.width, CurrentDisplayInfo().desktop.width);
    auto sys = System::Create(kSdkVersion);
    EXPECT_EQ(uint32_t(info.modes.size()), sys->GetAdapterModeCount(0, kFormatX8R8G8B8) +
                                                sys->GetAdapterModeCount(0, kFormatR5G6B5));
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    EXPECT_FALSE(SdlDisplayInfo(info));
}
