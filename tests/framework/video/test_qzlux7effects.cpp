// Shader effects: the compile error's message and position, the handles of
// the five parameters, the lighting defaults, and drawing on the device.
#include "d3dtestutil.h"
#include "qz7texture.h"
#include "qz7video.h"
#include "qz7videochoice.h"
#include "qzlux7effects.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::unique_ptr<TQZLuxEffect> Make(const std::string& text, const std::string& technique = "")
{
    return TQZLuxEffect::Create(text.data(), int32_t(text.size()), nullptr, technique);
}

TEST(LuxCompileException, PositionIsTheFirstPairInParentheses)
{
    struct Case {
        const char* message;
        int32_t line, column;
    };
    const Case cases[] = {
        {"Error Compiling D3D FX Shader: \"backdrop.fx(12,7): error X3000: syntax error\"", 12, 7},
        {"no position at all", 1, 1},
        {"first (3, 4) then (5,6)", 3, 4},
        {"(abc) comes first (5,6)", 1, 1},
        {"(12) alone", 1, 1},
        {"unclosed (8,9", 1, 1},
    };
    for (const Case& c : cases) {
        ELuxCompileException e(c.message);
        EXPECT_EQ(c.line, e.Line()) << c.message;
        EXPECT_EQ(c.column, e.Column()) << c.message;
        EXPECT_EQ(std::string(c.message), e.what());
    }
}

class LuxEffectTest : public d3dtest::D3DFixture {
protected:
    void SetUp() override
    {
        D3DFixture::SetUp();
        ASSERT_EQ(QZRES_OK, GetVideo()->SetMode(64, 32, std::make_unique<TQZHeadlessVideoWindow>(0, 0),
                                                QZWINDOW_WINDOWED, 0));
    }
};

TEST_F(LuxEffectTest, CompileErrorsRaiseWithTheCompilersText)
{
    try {
        Make("technique T {\n  return float4(nope, 0, 0, 1);\n}");
        FAIL() << "no exception";
    } catch (const ELuxCompileException& e) {
        EXPECT_EQ(std::string("Error Compiling D3D FX Shader: \"effect(2,17): error: unknown name 'nope'\""),
                  e.what());
        EXPECT_EQ(2, e.Line());
        EXPECT_EQ(17, e.Column());
    }
    EXPECT_THROW(Make("technique T { return float4(1, 1, 1, 1); }", "Missing"), ELuxCompileException);
    EXPECT_THROW(Make(""), ELuxCompileException);
}

TEST_F(LuxEffectTest, HandlesDefaultsAndListeners)
{
    const int32_t listeners = Direct3DDevice()->ListenerCount();
    auto fx = Make("float4x4 gWVP; texture gTex; float4 gLuxExtra;\n"
                   "technique A { return float4(1, 0, 0, 1); }\ntechnique B { return gLuxExtra; }",
                   "B");
    ASSERT_NE(nullptr, fx);
    EXPECT_EQ(listeners + 1, Direct3DDevice()->ListenerCount()) << "the effect hears of device loss";
    EXPECT_EQ(0, fx->hWVP);
    EXPECT_EQ(1, fx->hTex);
    EXPECT_EQ(2, fx->hLuxExtra);
    EXPECT_EQ(-1, fx->hWorld);
    EXPECT_EQ(-1, fx->hWorldInverseTranspose);
    EXPECT_EQ(1, fx->TechniqueIndex());
    EXPECT_EQ((TQZLuxColour{1.0f, 0.1f, 0.1f, 0.1f}), fx->ambient);
    EXPECT_EQ((TQZLuxColour{1.0f, 0.9f, 0.9f, 0.9f}), fx->diffuse);
    EXPECT_EQ((TQZLuxColour{1.0f, 1.0f, 1.0f, 1.0f}), fx->specular);
    EXPECT_FALSE(fx->SetVector(fx->hWorld, 0, 0, 0, 0)) << "no such parameter";
    EXPECT_FALSE(fx->SetVector(fx->hTex, 0, 0, 0, 0)) << "a texture is no vector";
    fx.reset();
    EXPECT_EQ(listeners, Direct3DDevice()->ListenerCount());
}

TEST_F(LuxEffectTest, DrawsItsTechniqueOnTheRenderTarget)
{
    auto fx = Make("float4 gLuxExtra;\ntechnique T { return float4(gLuxExtra.x, uv.x, 0, 1); }");
    ASSERT_TRUE(fx->SetVector(fx->hLuxExtra, 1.0f, 0, 0, 0));
    ASSERT_EQ(QZRES_OK, Direct3DDevice()->BeginScene());
    ASSERT_EQ(QZRES_OK, fx->Draw({8, 4, 16, 12}, {0, 0, 1, 1}));
    ASSERT_EQ(QZRES_OK, Direct3DDevice()->EndScene());
    EXPECT_EQ(0xFFFF0000u | 16u << 8, BackPixel(8, 4)) << "uv.x of the first pixel centre: 1/16";
    EXPECT_EQ(0xFFFF0000u | 239u << 8, BackPixel(15, 11));
    EXPECT_EQ(d3dtest::kUntouched, BackPixel(16, 4));
}

}  // namespace
