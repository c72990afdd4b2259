#include "sgRaster.h"

#include <gtest/gtest.h>

#include <vector>

using namespace plat::softgpu;

namespace {

struct Canvas {
    std::vector<uint32_t> pixels = std::vector<uint32_t>(64 * 48, 0);
    std::vector<uint32_t> texels;
    RasterState st;

    Canvas(int32_t tw, int32_t th, bool linear)
    {
        for (int32_t i = 0; i < tw * th; ++i) texels.push_back(0xFF000000u | uint32_t(i * 2654435761u >> 8));
        st.target = pixels.data();
        st.targetPitch = 64;
        st.clip = {0, 0, 64, 48};
        st.texture = texels.data();
        st.texturePitch = tw;
        st.textureWidth = tw;
        st.textureHeight = th;
        st.linear = linear;
        st.addressU = st.addressV = kAddressClamp;
    }
};

ScreenVertex V(float x, float y, float u, float v, uint32_t c = 0xFFFFFFFF) { return {x, y, 0, 1, c, c, u, v}; }

}  // namespace

TEST(SoftGpuRaster, QuadRoadAndTriangleRoadPickTheSameTexels)
{
    struct Case {
        float l, t, r, b, u0, v0, u1, v1;
        int32_t tw, th;
        bool linear;
    };
    const Case cases[] = {
        {9.5f, 4.5f, 25.5f, 20.5f, 0, 0, 1, 1, 16, 16, false},        // one texel per pixel
        {9.5f, 4.5f, 41.5f, 36.5f, 0, 0, 1, 1, 16, 16, false},        // magnified twice
        {9.5f, 4.5f, 25.5f, 36.5f, 0, 0, 1, 1, 16, 16, false},        // one to one across, stretched down
        {9.5f, 4.5f, 17.5f, 12.5f, 0.5f, 0.25f, 1, 0.75f, 16, 16, false},  // a piece of the texture, one to one
        {2.5f, 1.5f, 14.5f, 13.5f, 0, 0, 1, 1, 16, 16, false},        // minified to 0.75
        {30.5f, 3.5f, 10.5f, 23.5f, 0, 0, 1, 1, 20, 20, false},       // mirrored
        {3.25f, 2.75f, 40.6f, 30.1f, 0.1f, 0.2f, 0.9f, 0.7f, 13, 7, false},
        {9.5f, 4.5f, 25.5f, 20.5f, 0, 0, 1, 1, 16, 16, true},         // bilinear on centres
        {2.5f, 1.5f, 50.5f, 40.5f, 0, 0, 1, 1, 16, 16, true},         // bilinear, magnified
    };
    for (const Case& c : cases) {
        Canvas quad(c.tw, c.th, c.linear), tris(c.tw, c.th, c.linear);
        ScreenVertex tl = V(c.l, c.t, c.u0, c.v0), tr = V(c.r, c.t, c.u1, c.v0);
        ScreenVertex br = V(c.r, c.b, c.u1, c.v1), bl = V(c.l, c.b, c.u0, c.v1);
        Rasterizer fast(quad.st);
        ASSERT_TRUE(fast.AlignedQuad(tl, tr, br, bl));
        Rasterizer slow(tris.st);
        slow.Triangle(tl, tr, br);
        slow.Triangle(tl, br, bl);
        int32_t differ = 0, drawn = 0;
        for (size_t i = 0; i < quad.pixels.size(); ++i) {
            drawn += quad.pixels[i] != 0;
            if (c.linear) {
                for (int shift = 0; shift < 32; shift += 8)
                    differ += std::abs(int32_t((quad.pixels[i] >> shift) & 0xFF) -
                                       int32_t((tris.pixels[i] >> shift) & 0xFF)) > 2;
            } else {
                differ += quad.pixels[i] != tris.pixels[i];
            }
        }
        EXPECT_EQ(0, differ) << c.l << "," << c.t << " linear " << c.linear;
        EXPECT_GE(drawn, 64);
    }
}

TEST(SoftGpuRaster, QuadRoadTakesOnlyAxisAlignedFlatQuads)
{
    Canvas c(4, 4, false);
    Rasterizer r(c.st);
    EXPECT_FALSE(r.AlignedQuad(V(0, 0, 0, 0), V(10, 1, 1, 0), V(10, 10, 1, 1), V(0, 10, 0, 1)));  // tilted
    EXPECT_FALSE(r.AlignedQuad(V(0, 0, 0, 0), V(10, 0, 1, 0), V(10, 10, 1, 1), V(0, 10, 0, 1, 0xFF000000)));
    EXPECT_FALSE(r.AlignedQuad(V(0, 0, 0, 0), V(10, 0, 1, 0.5f), V(10, 10, 1, 1), V(0, 10, 0, 1)));  // skewed texture
    for (uint32_t p : c.pixels) ASSERT_EQ(0u, p);
    // Degenerate or unusable corners: accepted, nothing drawn.
    EXPECT_TRUE(r.AlignedQuad(V(5, 5, 0, 0), V(5, 5, 1, 0), V(5, 9, 1, 1), V(5, 9, 0, 1)));
    const float huge = 1e30f;
    EXPECT_TRUE(r.AlignedQuad(V(-huge, 0, 0, 0), V(huge, 0, 1, 0), V(huge, 9, 1, 1), V(-huge, 9, 0, 1)));
    r.Triangle(V(-huge, 0, 0, 0), V(huge, 0, 1, 0), V(0, huge, 1, 1));
    for (uint32_t p : c.pixels) ASSERT_EQ(0u, p);
}

TEST(SoftGpuRaster, BlendingAgreesAcrossEveryRowLength)
{
    // Rows of 1 to 40 pixels reach the eight- and four-pixel steps and the
    // single-pixel tail; all of them must give the exact per-channel result,
    // with the alpha kept opaque on a target without alpha.
    for (bool opaque : {false, true})
    for (int32_t n = 1; n <= 40; ++n) {
        std::vector<uint32_t> target(64, 0xFF204060u), texels;
        for (int32_t i = 0; i < 64; ++i) texels.push_back(uint32_t(i * 4) << 24 | uint32_t(i * 0x030507));
        RasterState st;
        st.target = target.data();
        st.targetPitch = 64;
        st.clip = {0, 0, 64, 1};
        st.texture = texels.data();
        st.texturePitch = st.textureWidth = 64;
        st.textureHeight = 1;
        st.blend = true;
        st.srcBlend = st.srcBlendAlpha = kBlendSrcAlpha;
        st.destBlend = st.destBlendAlpha = kBlendInvSrcAlpha;
        st.opaqueTarget = opaque;
        Rasterizer r(st);
        ASSERT_TRUE(r.AlignedQuad(V(-0.5f, -0.5f, 0, 0), V(n - 0.5f, -0.5f, n / 64.0f, 0),
                                  V(n - 0.5f, 0.5f, n / 64.0f, 1), V(-0.5f, 0.5f, 0, 1)));
        for (int32_t x = 0; x < 64; ++x) {
            uint32_t expected = 0xFF204060u;
            if (x < n) {
                uint32_t s = texels[size_t(x)], a = s >> 24;
                expected = 0;
                for (int shift = 0; shift < 32; shift += 8) {
                    uint32_t t = ((s >> shift) & 0xFF) * a + ((0xFF204060u >> shift) & 0xFF) * (255 - a) + 128;
                    expected |= ((t + (t >> 8)) >> 8) << shift;
                }
                if (opaque && a != 0) expected |= 0xFF000000u;
            }
            ASSERT_EQ(expected, target[size_t(x)]) << "row of " << n << " at " << x;
        }
    }
}

// The per-pixel rule every vector road must reproduce bit for bit: opaque
// texels replace, fully transparent ones leave the destination alone, the
// rest blend and, on a target without alpha, come out opaque.
uint32_t BlendRule(uint32_t s, uint32_t d, bool opaqueTarget)
{
    const uint32_t a = s >> 24;
    if (a == 255) return s;
    if (a == 0) return d;
    uint32_t r = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        uint32_t t = ((s >> shift) & 0xFF) * a + ((d >> shift) & 0xFF) * (255 - a) + 128;
        r |= ((t + (t >> 8)) >> 8) << shift;
    }
    return opaqueTarget ? r | 0xFF000000u : r;
}

TEST(SoftGpuRaster, BlendingFollowsThePixelRuleOnEveryVectorWidth)
{
    // Texels in runs that straddle the four- and eight-pixel steps: opaque,
    // fully transparent and partly transparent runs, then every alpha mixed.
    // Destinations carry varied alpha (a target without alpha may hold any).
    std::vector<uint32_t> texels;
    for (uint32_t i = 0; i < 64; ++i) {
        const uint32_t run = (i / 5) % 3, alpha = i >= 45 ? i * 37 % 256 : run == 0 ? 255 : run == 1 ? 0 : 96 + i;
        texels.push_back(alpha << 24 | (i * 0x0B0D11u & 0xFFFFFF));
    }
    std::vector<uint32_t> original;
    for (uint32_t i = 0; i < 80; ++i) original.push_back((i * 53 % 256) << 24 | (0x204060u + i * 0x010203u));
    std::vector<bool> widths = {false};
    if (UseWideVectors(true)) widths.push_back(true);
    for (bool wide : widths)
    for (bool opaque : {false, true})
    for (int32_t start : {0, 3})
    for (int32_t n = 1; n <= 64; ++n) {
        UseWideVectors(wide);
        std::vector<uint32_t> target = original;
        RasterState st;
        st.target = target.data();
        st.targetPitch = 80;
        st.clip = {0, 0, 80, 1};
        st.texture = texels.data();
        st.texturePitch = st.textureWidth = 64;
        st.textureHeight = 1;
        st.blend = true;
        st.srcBlend = st.srcBlendAlpha = kBlendSrcAlpha;
        st.destBlend = st.destBlendAlpha = kBlendInvSrcAlpha;
        st.opaqueTarget = opaque;
        Rasterizer r(st);
        const float l = start - 0.5f, right = start + n - 0.5f;
        ASSERT_TRUE(r.AlignedQuad(V(l, -0.5f, 0, 0), V(right, -0.5f, n / 64.0f, 0), V(right, 0.5f, n / 64.0f, 1),
                                  V(l, 0.5f, 0, 1)));
        for (int32_t x = 0; x < 80; ++x) {
            const bool inside = x >= start && x < start + n;
            const uint32_t d = original[size_t(x)];
            const uint32_t expected = inside ? BlendRule(texels[size_t(x - start)], d, opaque) : d;
            ASSERT_EQ(expected, target[size_t(x)])
                << (wide ? "AVX2" : "SSE2") << " row of " << n << " from " << start << " at " << x;
        }
    }
    UseWideVectors(true);
}

TEST(SoftGpuRaster, FarTextureCoordinatesRepeatOrClampWithoutOverflow)
{
    for (uint32_t mode : {kAddressWrap, kAddressMirror}) {
        Canvas near(4, 4, false), far(4, 4, false);
        near.st.addressU = near.st.addressV = far.st.addressU = far.st.addressV = mode;
        Rasterizer a(near.st), b(far.st);
        a.AlignedQuad(V(-0.5f, -0.5f, 0, 0), V(7.5f, -0.5f, 2, 0), V(7.5f, 7.5f, 2, 2), V(-0.5f, 7.5f, 0, 2));
        b.AlignedQuad(V(-0.5f, -0.5f, 1000, 2000), V(7.5f, -0.5f, 1002, 2000), V(7.5f, 7.5f, 1002, 2002),
                      V(-0.5f, 7.5f, 1000, 2002));
        // The triangle road too, with a gradient so that it does not take the quad road.
        b.Triangle(V(20, 20, 3000, 3000), V(40, 20, 3005, 3000, 0xFFFFFFFE), V(20, 40, 3000, 3005));
        for (int32_t y = 0; y < 8; ++y)
            for (int32_t x = 0; x < 8; ++x) ASSERT_EQ(near.pixels[size_t(y * 64 + x)], far.pixels[size_t(y * 64 + x)]);
        EXPECT_NE(0u, far.pixels[size_t(25 * 64 + 25)]);
    }
    Canvas huge(4, 4, true);  // bilinear, clamped, coordinates beyond any fixed-point range
    Rasterizer r(huge.st);
    r.AlignedQuad(V(0, 0, -1e30f, 1e30f), V(8, 0, 1e30f, 1e30f), V(8, 8, 1e30f, -1e30f), V(0, 8, -1e30f, -1e30f));
    r.Triangle(V(10, 10, 0, 0, 0xFF000000), V(10.001f, 40, 1e20f, 0), V(10.002f, 10, 0, 1e20f));
    EXPECT_NE(0u, huge.pixels[3 * 64 + 3]);
}

TEST(SoftGpuRaster, BilinearRowsAgreeOnEveryVectorWidth)
{
    // Bilinear rows of widths around the four- and eight-pixel steps, at
    // scales and texel offsets that make the row begin and end at the
    // texture's edges (clamped taps) or inside it, with a vertical mix.
    if (!UseWideVectors(true)) GTEST_SKIP() << "no AVX2 here";
    struct Scale {
        double texelsPerPixel, firstTexel;
    };
    const Scale scales[] = {{0.75, 0}, {0.75, 0.3}, {1.37, -0.6}, {0.5, 2.2}, {2.0, 0.9}, {0.33, 5.0}};
    constexpr int32_t kTarget = 260;
    for (int32_t width : {1, 2, 3, 4, 5, 7, 8, 9, 15, 16, 17, 31, 100, 252})
    for (const Scale& sc : scales)
    for (float top : {0.0f, 0.4f}) {
        const int32_t tw = int32_t(width * sc.texelsPerPixel + 8), th = 3;
        std::vector<uint32_t> texels;
        for (int32_t i = 0; i < tw * th; ++i) texels.push_back(uint32_t(i + 1) * 2654435761u);
        std::vector<uint32_t> rows[2];
        for (bool wide : {false, true}) {
            UseWideVectors(wide);
            std::vector<uint32_t>& target = rows[wide];
            target.assign(kTarget * 2, 0x11223344u);
            RasterState st;
            st.target = target.data();
            st.targetPitch = kTarget;
            st.clip = {0, 0, kTarget, 2};
            st.texture = texels.data();
            st.texturePitch = st.textureWidth = tw;
            st.textureHeight = th;
            st.linear = true;
            st.addressU = st.addressV = kAddressClamp;
            Rasterizer r(st);
            const float u0 = float(sc.firstTexel / tw), u1 = float((sc.firstTexel + width * sc.texelsPerPixel) / tw);
            const float v0 = top / th, v1 = (top + 2.2f) / th;
            ASSERT_TRUE(r.AlignedQuad(V(2.5f, -0.5f, u0, v0), V(2.5f + width, -0.5f, u1, v0),
                                      V(2.5f + width, 1.5f, u1, v1), V(2.5f, 1.5f, u0, v1)));
        }
        for (size_t x = 0; x < rows[0].size(); ++x)
            ASSERT_EQ(rows[0][x], rows[1][x]) << "row of " << width << " at " << sc.texelsPerPixel << " from "
                                              << sc.firstTexel << ", v " << top << ": pixel " << x;
        ASSERT_NE(0x11223344u, rows[0][3]);
    }
    UseWideVectors(true);
}
