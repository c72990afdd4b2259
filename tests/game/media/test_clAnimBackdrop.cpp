// Animated backdrops: the archive and its description, protected effects,
// missing parts, and drawing: straight, stretched from the maximum render
// size, tiled, and in slow-mode bands; the game's table draws one.
#include "backdropfixture.h"
#include "clAnimBackdrop.h"
#include "mediafixture.h"
#include "qz7direct3d.h"
#include "qz7icedata.h"
#include "qz7memory.h"
#include "qzlux7effects.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <map>

namespace {

using Nodes = std::map<std::string, std::string>;

// An `.ice` archive of named nodes.
std::string Archive(const Nodes& nodes)
{
    TQZIceData root;
    root.SetName("Backdrop");
    uint32_t id = 1;
    for (const auto& [name, bytes] : nodes) root.AddChildBuffer(id++, bytes.data(), int32_t(bytes.size()))->SetName(name);
    std::vector<uint8_t> out;
    EXPECT_TRUE(root.SaveToBytes(out));
    return std::string(out.begin(), out.end());
}

std::string Png(int32_t w, int32_t h, uint32_t argb)
{
    std::vector<uint8_t> b = mediatest::PngOf(w, h, argb);
    return std::string(b.begin(), b.end());
}

// The colour of the texture coordinate: red = u, green = v (both 0..1 per 255).
constexpr const char* kUvEffect = "technique Uv { return float4(uv.x, uv.y, 0, 1); }\n"
                                  "technique Blue { return float4(0, 0, 1, 1); }";

std::string Description(const std::string& shader)
{
    return "{ \"Title\": \"Test\", \"Shader\": { \"EffectFile\": \"fx\"" + shader + " } }";
}

class BackdropTest : public mediatest::DeviceFixture {
protected:
    std::unique_ptr<TAnimatedBackdrop> Load(const Nodes& nodes, const std::string& name = "test.ice")
    {
        vqtest::WriteFile(dir.File(name), Archive(nodes));
        return TAnimatedBackdrop::Create(dir.File(name));
    }
    static uint32_t BackPixel(int32_t x, int32_t y)
    {
        std::shared_ptr<plat::softgpu::Surface> back;
        Direct3DDevice()->Device()->GetBackBuffer(0, 0, back);
        return back->PixelAt(x, y);
    }
    static int32_t Red(uint32_t argb) { return int32_t((argb >> 16) & 0xFF); }
    static int32_t Green(uint32_t argb) { return int32_t((argb >> 8) & 0xFF); }
    void Draw(TAnimatedBackdrop& b, const TQZRect& rect, double seconds = 0)
    {
        ASSERT_EQ(QZRES_OK, Direct3DDevice()->BeginScene());
        EXPECT_EQ(QZRES_OK, b.Draw(rect, seconds));
        ASSERT_EQ(QZRES_OK, Direct3DDevice()->EndScene());
    }

    vqtest::TempDir dir;
};

TEST_F(BackdropTest, DescriptionKeysAreReadInto)
{
    auto b = Load({{"Backdrop.json", Description(", \"Technique\": \"Blue\", \"AspectCorrect\": true, "
                                                 "\"MaxRenderSize\": \"[64,48]\", \"SlowModeSlices\": 3, "
                                                 "\"DisplayMode\": \"tilehorizontal\", \"TextureFile\": \"t\"")},
                   {"fx", kUvEffect},
                   {"t", Png(4, 4, 0xFF123456)}},
                  "lower.ice");
    ASSERT_NE(nullptr, b);
    EXPECT_FALSE(b->Still());
    EXPECT_EQ("Test", b->title);
    EXPECT_EQ("Blue", b->technique);
    EXPECT_TRUE(b->aspectCorrect);
    EXPECT_EQ((TQZPoint{64, 48}), b->maxRenderSize);
    EXPECT_EQ(3, b->slowModeSlices);
    EXPECT_EQ(BACKDROP_TILE_HORIZONTAL, b->displayMode);
    ASSERT_NE(nullptr, b->Texture());
    EXPECT_EQ(4, b->Texture()->GetWidth());
    EXPECT_EQ(1, b->Effect()->TechniqueIndex());

    struct Case {
        const char* mode;
        int32_t expected;
    };
    for (const Case& c : {Case{"TILE", BACKDROP_TILE}, Case{"Tile", BACKDROP_TILE}, Case{"stretch", BACKDROP_STRETCH},
                          Case{"sideways", BACKDROP_STRETCH}}) {
        auto m = Load({{"Backdrop.json", Description(std::string(", \"DisplayMode\": \"") + c.mode + "\"")},
                       {"fx", kUvEffect}});
        ASSERT_NE(nullptr, m);
        EXPECT_EQ(c.expected, m->displayMode) << c.mode;
        EXPECT_EQ((TQZPoint{4096, 4096}), m->maxRenderSize) << "the default";
        EXPECT_EQ(nullptr, m->Texture()) << "no texture named";
    }
}

TEST_F(BackdropTest, SizesFromTheFileAreHeldToWhatCanBeDrawn)
{
    auto b = Load({{"Backdrop.json", Description(", \"MaxRenderSize\": \"[0,99999]\", \"SlowModeSlices\": -4")},
                   {"fx", kUvEffect}});
    ASSERT_NE(nullptr, b);
    EXPECT_EQ((TQZPoint{1, BACKDROP_MAX_RENDER_SIDE}), b->maxRenderSize);
    EXPECT_EQ(0, b->slowModeSlices);
}

TEST_F(BackdropTest, MissingPartsFailOrAreLeftOut)
{
    EXPECT_EQ(nullptr, Load({{"fx", kUvEffect}})) << "no Backdrop.json";
    EXPECT_EQ(nullptr, Load({{"Backdrop.json", Description("")}})) << "no effect node";
    EXPECT_EQ(nullptr, Load({{"Backdrop.json", Description("")}, {"fx", "technique T { return nope; }"}}))
        << "an effect that does not compile";
    EXPECT_EQ(nullptr, Load({{"Backdrop.json", Description(", \"Technique\": \"Missing\"")}, {"fx", kUvEffect}}));
    vqtest::WriteFile(dir.File("junk.ice"), "not an archive");
    EXPECT_EQ(nullptr, TAnimatedBackdrop::Create(dir.File("junk.ice")));
    auto b = Load({{"Backdrop.json", Description(", \"TextureFile\": \"gone.png\"")}, {"fx", kUvEffect}});
    ASSERT_NE(nullptr, b) << "a missing texture node is no failure";
    EXPECT_EQ(nullptr, b->Texture());
}

TEST_F(BackdropTest, ProtectedEffectsAreDescrambledWithTheStoredKey)
{
    TQZMemory scrambled;
    ASSERT_EQ(QZRES_OK, scrambled.AssignString(kUvEffect));
    ASSERT_EQ(QZRES_OK, scrambled.XorWithKey(TAnimatedBackdrop::ProtectionKey()));
    const std::string key = TAnimatedBackdrop::ProtectionKey();
    EXPECT_EQ(16u, key.size());
    EXPECT_NE(nullptr, Load({{"Backdrop.json", Description(", \"Protected\": true")}, {"fx", scrambled.AsString()}}));
    EXPECT_EQ(nullptr, Load({{"Backdrop.json", Description(", \"Protected\": false")}, {"fx", scrambled.AsString()}}));
}

TEST_F(BackdropTest, DrawnStraightWhenItFitsAndStretchedFromTheRenderSize)
{
    auto b = Load({{"Backdrop.json", Description("")}, {"fx", kUvEffect}});
    ASSERT_NE(nullptr, b);
    Draw(*b, {0, 0, 128, 96});
    EXPECT_EQ(1, Red(BackPixel(0, 0)));   // u of the first pixel centre: 0.5 / 128
    EXPECT_EQ(254, Red(BackPixel(127, 95)));
    EXPECT_EQ(254, Green(BackPixel(127, 95)));

    auto small = Load({{"Backdrop.json", Description(", \"MaxRenderSize\": \"[32,24]\"")}, {"fx", kUvEffect}});
    ASSERT_NE(nullptr, small);
    Draw(*small, {0, 0, 128, 96});
    // Rendered 32 x 24, stretched four times: neighbours share a texel's colour.
    EXPECT_NEAR(Red(BackPixel(64, 48)), 128, 6);
    EXPECT_NEAR(Green(BackPixel(64, 48)), 128, 8);
    EXPECT_LT(Red(BackPixel(2, 2)), 12);
    EXPECT_GT(Red(BackPixel(125, 93)), 243);
}

TEST_F(BackdropTest, TiledBothWaysOrAcross)
{
    auto tiled = Load({{"Backdrop.json", Description(", \"MaxRenderSize\": \"[32,24]\", \"DisplayMode\": \"tile\"")},
                       {"fx", kUvEffect}});
    ASSERT_NE(nullptr, tiled);
    Draw(*tiled, {0, 0, 128, 96});
    EXPECT_EQ(BackPixel(5, 5), BackPixel(37, 29)) << "the tile repeats across and down";
    EXPECT_EQ(BackPixel(31, 23), BackPixel(127, 95));
    EXPECT_GT(Red(BackPixel(31, 5)), Red(BackPixel(32, 5)));

    auto across = Load(
        {{"Backdrop.json", Description(", \"MaxRenderSize\": \"[32,24]\", \"DisplayMode\": \"TILEHORIZONTAL\"")},
         {"fx", kUvEffect}});
    ASSERT_NE(nullptr, across);
    Draw(*across, {0, 0, 128, 96});
    EXPECT_EQ(BackPixel(5, 50), BackPixel(37, 50)) << "repeated across";
    EXPECT_LT(Green(BackPixel(5, 10)), Green(BackPixel(5, 80))) << "stretched down";
}

TEST_F(BackdropTest, SlowModeRendersOneBandAFrameAfterAWholeFirstFrame)
{
    const std::string fx = "float4 gLuxExtra;\ntechnique T { return float4(gLuxExtra.x, 0, 0, 1); }";
    auto b = Load({{"Backdrop.json", Description(", \"SlowModeSlices\": 4")}, {"fx", fx}});
    ASSERT_NE(nullptr, b);
    b->SetSlowMode(true);
    Draw(*b, {0, 0, 128, 96}, 0.2);
    for (int32_t y : {0, 30, 60, 95}) EXPECT_EQ(51, Red(BackPixel(10, y))) << "the whole first frame, row " << y;
    Draw(*b, {0, 0, 128, 96}, 0.6);  // the first band only
    EXPECT_EQ(153, Red(BackPixel(10, 0)));
    EXPECT_EQ(153, Red(BackPixel(10, 23)));
    EXPECT_EQ(51, Red(BackPixel(10, 24)));
    EXPECT_EQ(1, b->NextSlice());
    Draw(*b, {0, 0, 128, 96}, 1.0);  // the second
    EXPECT_EQ(153, Red(BackPixel(10, 0)));
    EXPECT_EQ(255, Red(BackPixel(10, 47)));
    EXPECT_EQ(51, Red(BackPixel(10, 48)));
    b->SetSlowMode(false);
    Draw(*b, {0, 0, 128, 96}, 0.0);
    EXPECT_EQ(0, Red(BackPixel(10, 90)));
}

TEST_F(BackdropTest, TheFixtureBackdropMovesWithTime)
{
    auto b = Load({{"Backdrop.json", vqbackdrop::kDescription},
                   {vqbackdrop::kEffectName, vqbackdrop::kEffect},
                   {vqbackdrop::kTextureName, Png(16, 16, 0xFF808080)}});
    ASSERT_NE(nullptr, b);
    EXPECT_EQ("Rippled Cloth", b->title);
    Draw(*b, {0, 0, 128, 96}, 1.0);
    const uint32_t early = BackPixel(64, 48);
    Draw(*b, {0, 0, 128, 96}, 3.0);
    const uint32_t later = BackPixel(64, 48);
    EXPECT_NE(early, later);
    EXPECT_GT(Green(later), Red(later)) << "a green cloth";
}

TEST_F(BackdropTest, StillImagesStayStill)
{
    vqtest::WriteFile(dir.File("still.png"), Png(8, 8, 0xFF00FF00));
    auto b = TAnimatedBackdrop::Create(dir.File("still.png"));
    ASSERT_NE(nullptr, b);
    EXPECT_TRUE(b->Still());
    EXPECT_TRUE(b->aspectCorrect);
    EXPECT_NE(nullptr, b->Image());
    EXPECT_EQ(QZRES_FAILED, b->Draw({0, 0, 8, 8}, 0)) << "a still image is drawn by the table";
}

}  // namespace
