// The effect language: errors with their line and column, the values a
// technique gives per pixel (inputs, parameters, functions, textures,
// matrices), its approximated math against the library's, and the device
// drawing an effect through its clip and blend states.
#include "sgEffect.h"
#include "sgEffectRun.h"
#include "sgSystem.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using namespace plat::softgpu;

namespace {

std::shared_ptr<Effect> Compiled(const std::string& text)
{
    std::string error;
    auto e = Effect::Compile(text, "test", error);
    EXPECT_NE(nullptr, e) << error;
    return e;
}

// The colour of pixel (x, y) of a w x h rectangle, texture coordinates 0..1.
uint32_t PixelOf(Effect& e, int32_t technique, int32_t w, int32_t h, int32_t x, int32_t y)
{
    std::vector<uint32_t> row(static_cast<size_t>(w));
    EXPECT_TRUE(e.Begin(technique, w, h));
    std::vector<float> scratch = e.NewScratch();
    e.Shade(scratch, 0, y, w, 0.0f, 0.0f, 1.0f / float(w), 1.0f / float(h), row.data());
    return row[size_t(x)];
}

uint32_t Grey(uint32_t v) { return 0xFF000000u | v << 16 | v << 8 | v; }

TEST(EffectLanguage, ErrorsSayWhereWithLineAndColumn)
{
    struct Case {
        const char* text;
        const char* where;
        const char* what;
    };
    const Case cases[] = {
        {"technique T { return float4(1,1,1,1) }", "(1,38)", "expected ';'"},
        {"technique T {\n  float a = b;\n  return float4(a,a,a,1);\n}", "(2,13)", "unknown name 'b'"},
        {"technique T {\n  return wobble(uv);\n}", "(2,10)", "unknown function 'wobble'"},
        {"technique T { return uv + float3(1,2,3); }", "(1,25)", "cannot be combined"},
        {"technique T { float a = 1; }", "(1,11)", "has no return"},
        {"float4 gLuxExtra;", "(1,1)", "has no technique"},
        {"/* never closed\ntechnique T { return float4(0,0,0,1); }", "(1,1)", "comment without its end"},
        {"technique T { return float4(0,0,0,1) @ }", "(1,38)", "unexpected character '@'"},
        {"float4 gLuxExtra;\ntechnique T { gLuxExtra = float4(1,1,1,1); return gLuxExtra; }", "(2,15)",
         "cannot be changed"},
        {"technique T { float a = 1; float a = 2; return float4(a,a,a,1); }", "(1,28)", "defined twice"},
        {"technique T { return float4(uv.z, 0, 0, 1); }", "(1,32)", "does not have"},
        {"technique T { return uv; }", "(1,22)", "returns a float4"},
        {"technique T { float3 c = uv; return c; }", "(1,26)", "does not fit"},
        {"texture gTex;\ntechnique T { return tex2D(gTex, 1); }", "(2,22)", "takes a texture and a float2"},
        {"float4 k = float4(1, 2);\ntechnique T { return k; }", "(1,12)", "needs 4 values"},
    };
    for (const Case& c : cases) {
        std::string error;
        EXPECT_EQ(nullptr, Effect::Compile(c.text, "test", error)) << c.text;
        EXPECT_NE(std::string::npos, error.find(std::string("test") + c.where)) << c.text << "\n" << error;
        EXPECT_NE(std::string::npos, error.find(c.what)) << c.text << "\n" << error;
    }
}

TEST(EffectLanguage, HostileTextIsRefusedNotFollowed)
{
    std::string deep = "technique T { return float4(" + std::string(5000, '(') + "1" + std::string(5000, ')') +
                       ",0,0,1); }";
    std::string error;
    EXPECT_EQ(nullptr, Effect::Compile(deep, "test", error));
    EXPECT_NE(std::string::npos, error.find("nested too deeply"));
    std::string long_ = "technique T { float a = 0;";
    for (int i = 0; i < 30000; ++i) long_ += " a = a + 1;";
    long_ += " return float4(a,a,a,1); }";
    EXPECT_EQ(nullptr, Effect::Compile(long_, "test", error));
    EXPECT_NE(std::string::npos, error.find("too large"));
    std::string many;
    for (int i = 0; i < 5000; ++i) many += "float4x4 m" + std::to_string(i) + ";\n";
    EXPECT_EQ(nullptr, Effect::Compile(many + "technique T { return float4(1,1,1,1); }", "test", error));
    EXPECT_NE(std::string::npos, error.find("too many parameters"));
    EXPECT_EQ(nullptr, Effect::Compile(std::string("technique T { return \0 }", 24), "test", error));
    const char terminated[] = "technique T { return float4(1,1,1,1); }\0junk";
    EXPECT_NE(nullptr, Effect::Compile(std::string(terminated, sizeof terminated - 1), "test", error))
        << "the text ends at a terminating zero";
}

TEST(EffectLanguage, InputsParametersAndSwizzles)
{
    auto e = Compiled(R"(
        float4 gTint = float4(0.5, 0.25, 1, 1);   // a parameter with its initial value
        float gScale;
        technique Uv { return float4(uv, 0, 1); }
        technique Pos { float2 p = pos / size; return float4(p.yx, gScale, 1); }
        technique Tint { float4 c = gTint; c *= 2; return float4(c.bgr * 0.5, c.a * 0.5); }
    )");
    ASSERT_NE(nullptr, e);
    EXPECT_EQ(3, e->TechniqueCount());
    EXPECT_EQ(1, e->TechniqueIndex("Pos"));
    EXPECT_EQ(-1, e->TechniqueIndex("pos")) << "names are exact";
    // Pixel centres: (x + 0.5) / w.
    EXPECT_EQ(0xFF000000u | 32u << 16 | 223u << 8, PixelOf(*e, 0, 4, 4, 0, 3));
    const float half = 0.5f;
    ASSERT_TRUE(e->SetFloats(e->ParameterIndex("gScale"), &half, 1));
    EXPECT_EQ(0xFF000000u | 96u << 16 | 32u << 8 | 128u, PixelOf(*e, 1, 4, 4, 0, 1));
    EXPECT_EQ(0xFFFF4080u, PixelOf(*e, 2, 1, 1, 0, 0));
    const float green[4] = {0, 1, 0, 1};
    ASSERT_TRUE(e->SetFloats(e->ParameterIndex("gTint"), green, 4));
    EXPECT_EQ(0xFF00FF00u, PixelOf(*e, 2, 1, 1, 0, 0));
    EXPECT_FALSE(e->SetFloats(e->ParameterIndex("gTint"), green, 3)) << "a wrong count";
    EXPECT_FALSE(e->SetFloats(-1, green, 1));
}

TEST(EffectLanguage, FunctionsGiveTheirValues)
{
    struct Case {
        const char* expression;  // of a float
        float value;
    };
    const Case cases[] = {
        {"abs(-0.25)", 0.25f},        {"floor(1.75) - 1", 0.0f},     {"frac(-0.25)", 0.75f},
        {"sqrt(0.25)", 0.5f},         {"min(0.2, 0.7)", 0.2f},       {"max(0.2, 0.7)", 0.7f},
        {"pow(0.25, 0.5)", 0.5f},     {"step(0.5, 0.4)", 0.0f},      {"step(0.5, 0.5)", 1.0f},
        {"fmod(2.5, 1)", 0.5f},       {"fmod(-2.5, 1)", -0.5f},      {"clamp(1.5, 0, 0.6)", 0.6f},
        {"lerp(0.2, 0.6, 0.5)", 0.4f}, {"smoothstep(0, 1, 0.5)", 0.5f}, {"saturate(-3)", 0.0f},
        {"length(float2(0.3, 0.4))", 0.5f}, {"dot(float3(1,2,3), float3(0.1,0.1,0.1))", 0.6f},
        {"distance(float2(1,1), float2(1.36,1.48))", 0.6f}, {"normalize(float2(3,4)).y", 0.8f},
        {"sin(3.14159265 / 6)", 0.5f}, {"cos(3.14159265 / 3)", 0.5f}, {"exp(log(0.6))", 0.6f},
        {"atan2(1, 1) / 3.14159265 * 2.4", 0.6f}, {"-(-0.5)", 0.5f}, {"1.0 / 4 * 2", 0.5f},
        {"2e-1 + 3.0f / 10", 0.5f},
    };
    for (const Case& c : cases) {
        // Once uniform (folded per draw) and once per pixel (added to a lane).
        auto e = Compiled(std::string("technique U { float v = ") + c.expression +
                          "; return float4(v, v, v, 1); }\ntechnique P { float v = " + c.expression +
                          " + pos.x * 0; return float4(v, v, v, 1); }");
        ASSERT_NE(nullptr, e) << c.expression;
        // Within one step of a colour byte: values on a half step may go either way.
        const double want = std::clamp(c.value, 0.0f, 1.0f) * 255.0;
        for (int technique : {0, 1}) {
            const uint32_t got = PixelOf(*e, technique, 1, 1, 0, 0);
            EXPECT_NEAR(want, double(got & 0xFF), 0.51) << c.expression;
            EXPECT_EQ(Grey(got & 0xFF), got) << c.expression;
        }
    }
}

TEST(EffectLanguage, ApproximatedMathStaysCloseToTheLibrarys)
{
    double worstSin = 0, worstExp = 0, worstLog = 0, worstAtan = 0;
    for (int i = -20000; i <= 20000; ++i) {
        const float x = float(i) * 0.01f;  // -200 .. 200
        worstSin = std::max(worstSin, std::fabs(double(fx::EffectSin(x)) - std::sin(double(x))));
        const float e = float(i) * 0.004f;  // -80 .. 80
        worstExp = std::max(worstExp, std::fabs(double(fx::EffectExp(e)) / std::exp(double(e)) - 1));
        const float l = std::exp(float(i) * 0.004f);
        worstLog = std::max(worstLog, std::fabs(double(fx::EffectLog(l)) - std::log(double(l))));
        const float a = float(i) * 0.0003f;
        worstAtan = std::max(worstAtan, std::fabs(double(fx::EffectAtan2(a, 1.5f - a)) - std::atan2(a, 1.5 - a)));
    }
    EXPECT_LT(worstSin, 2e-5);
    EXPECT_LT(worstExp, 1e-6);
    EXPECT_LT(worstLog, 1e-5);
    EXPECT_LT(worstAtan, 2e-5);
    EXPECT_LT(fx::EffectLog(0.0f), -1e29f) << "the logarithm of nothing is far below";
    EXPECT_TRUE(std::isnan(fx::EffectSin(std::nanf(""))));
}

TEST(EffectLanguage, LongChainsReuseLanesWithoutMixingThemUp)
{
    // Many live values at once, each used again at the end.
    std::string text = "technique T {";
    for (int i = 0; i < 40; ++i)
        text += " float a" + std::to_string(i) + " = pos.x * " + std::to_string(i) + " + " + std::to_string(i) + ";";
    text += " float s = 0;";
    for (int i = 0; i < 40; ++i) text += " s += a" + std::to_string(i) + ";";
    text += " return float4(s / 2000, 0, 0, 1); }";
    auto e = Compiled(text);
    ASSERT_NE(nullptr, e);
    for (int x : {0, 1, 3}) {
        double s = 0;
        for (int i = 0; i < 40; ++i) s += (x + 0.5) * i + i;
        EXPECT_EQ(0xFF000000u | uint32_t(std::lround(std::min(1.0, s / 2000) * 255)) << 16, PixelOf(*e, 0, 4, 1, x, 0))
            << x;
    }
}

TEST(EffectLanguage, MatricesMultiplyRowVectors)
{
    auto e = Compiled(R"(
        float4x4 gWVP;
        technique T { return mul(float4(0.1, 0.2, 0.3, 1), gWVP); }
    )");
    ASSERT_NE(nullptr, e);
    // Rows: x goes to blue, y to red, z to green, w to alpha.
    const float m[16] = {0, 0, 1, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1};
    ASSERT_TRUE(e->SetFloats(e->ParameterIndex("gWVP"), m, 16));
    EXPECT_EQ(0xFF000000u | 51u << 16 | 77u << 8 | 26u, PixelOf(*e, 0, 1, 1, 0, 0));
}

struct DeviceFixture {
    std::unique_ptr<System> system = System::Create(kSdkVersion);
    std::unique_ptr<Device> device;
    std::shared_ptr<Surface> back;

    DeviceFixture()
    {
        PresentParameters pp;
        pp.backBufferWidth = 16;
        pp.backBufferHeight = 8;
        pp.backBufferFormat = kFormatA8R8G8B8;
        EXPECT_EQ(kOk, system->CreateDevice(0, kDeviceTypeHal, nullptr, 0, pp, device));
        device->GetBackBuffer(0, 0, back);
        // Setup: what the test checks after it shows whether it took.
        (void)device->ColorFill(back.get(), nullptr, 0xFF0000FF);
    }
    std::shared_ptr<Texture> Checker()
    {
        std::shared_ptr<Texture> t;
        EXPECT_EQ(kOk, device->CreateTexture(2, 2, 1, 0, kFormatA8R8G8B8, kPoolManaged, t));
        LockedRect lr;
        EXPECT_EQ(kOk, t->LockRect(0, lr, nullptr, 0));
        auto* p = static_cast<uint32_t*>(lr.bits);
        const int32_t pitch = lr.pitch / 4;
        p[0] = 0xFFFF0000;
        p[1] = 0xFF00FF00;
        p[pitch] = 0xFF00FF00;
        p[pitch + 1] = 0xFFFF0000;
        (void)t->UnlockRect(0);  // setup: what the test checks after it shows whether it took
        return t;
    }
};

TEST(EffectDrawing, TexturesAreSampledAndTheClipAndBlendHonoured)
{
    DeviceFixture f;
    auto e = Compiled(R"(
        texture gTex;
        technique Copy { return tex2D(gTex, uv); }
        technique Half { return float4(1, 1, 1, 0.5); }
    )");
    ASSERT_NE(nullptr, e);
    ASSERT_TRUE(e->SetTexture(e->ParameterIndex("gTex"), f.Checker()));
    // Texel centres at pixel centres: the texels themselves, no blur.
    ASSERT_EQ(kOk, f.device->DrawEffect(*e, 0, {0, 0, 4, 4}, 0, 0, 2, 2));
    EXPECT_EQ(0xFFFF0000u, f.back->PixelAt(0, 0));
    EXPECT_EQ(0xFF00FF00u, f.back->PixelAt(1, 0));
    EXPECT_EQ(0xFFFF0000u, f.back->PixelAt(2, 0)) << "the texture repeats";
    EXPECT_EQ(0xFFFF0000u, f.back->PixelAt(3, 3));
    EXPECT_EQ(0xFF0000FFu, f.back->PixelAt(4, 0)) << "outside the rectangle";

    // Setup: what the test checks after it shows whether it took.
    (void)f.device->SetScissorRect({8, 0, 10, 8});
    (void)f.device->SetRenderState(kRsScissorTestEnable, 1);
    (void)f.device->SetRenderState(kRsAlphaBlendEnable, 1);
    (void)f.device->SetRenderState(kRsSrcBlend, kBlendSrcAlpha);
    (void)f.device->SetRenderState(kRsDestBlend, kBlendInvSrcAlpha);
    ASSERT_EQ(kOk, f.device->DrawEffect(*e, 1, {6, 0, 16, 8}, 0, 0, 1, 1));
    EXPECT_EQ(0xFF0000FFu, f.back->PixelAt(7, 3)) << "outside the scissor";
    EXPECT_EQ(0xFF8080FFu, f.back->PixelAt(8, 3) | 0xFF000000u) << "half white over blue";
    EXPECT_EQ(0xFF0000FFu, f.back->PixelAt(10, 3));
    EXPECT_EQ(kInvalidCall, f.device->DrawEffect(*e, 5, {0, 0, 4, 4}, 0, 0, 1, 1)) << "no such technique";

    const int64_t draws = f.device->DrawCallCount();
    f.device->SimulateDeviceLoss();
    EXPECT_EQ(kOk, f.device->DrawEffect(*e, 0, {0, 0, 4, 4}, 0, 0, 1, 1));
    EXPECT_EQ(draws + 1, f.device->DrawCallCount());
}

TEST(EffectDrawing, BandsOnSeveralThreadsDrawWhatOneThreadDraws)
{
    auto e = Compiled("technique T { float s = sin(pos.x * 0.1) * cos(pos.y * 0.07); return float4(s, uv, 1); }");
    ASSERT_NE(nullptr, e);
    std::vector<uint32_t> frames[2];
    for (int threads : {1, 4}) {
        std::unique_ptr<System> system = System::Create(kSdkVersion);
        std::unique_ptr<Device> device;
        PresentParameters pp;
        pp.backBufferWidth = 320;
        pp.backBufferHeight = 240;
        ASSERT_EQ(kOk, system->CreateDevice(0, kDeviceTypeHal, nullptr, 0, pp, device));
        device->SetEffectThreads(threads);
        ASSERT_EQ(kOk, device->DrawEffect(*e, 0, {3, 1, 317, 239}, 0, 0, 1, 1));
        std::shared_ptr<Surface> back;
        device->GetBackBuffer(0, 0, back);
        frames[threads == 1 ? 0 : 1].assign(back->Pixels(), back->Pixels() + 320 * 240);
    }
    EXPECT_EQ(frames[0], frames[1]);
    EXPECT_NE(frames[0][size_t(120 * 320 + 100)], frames[0][size_t(120 * 320 + 200)]);
}

}  // namespace
