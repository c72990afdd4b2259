#include <gtest/gtest.h>

#include <cmath>

#include "agFonts.h"
#include "agtestutil.h"
#include "qz7core.h"
#include "qz7fontfile.h"

namespace {

struct LoadedFont {
    TQZ7FontFile file;
    plat::imaging::Image texture;
    // The glyph's texture rectangle in pixels, as the framework rounds it.
    int32_t Left(int32_t code) const { return int32_t(std::lround(texture.width * Glyph(code).left)); }
    int32_t Top(int32_t code) const { return int32_t(std::lround(texture.height * Glyph(code).top)); }
    int32_t Right(int32_t code) const { return int32_t(std::lround(texture.width * Glyph(code).right)); }
    int32_t Bottom(int32_t code) const { return int32_t(std::lround(texture.height * Glyph(code).bottom)); }
    const TQZ7FontGlyph& Glyph(int32_t code) const { return file.glyphs[size_t(code - QZ7FONT_FIRST_CODE)]; }
    int32_t CharWidth(char c) const { return Glyph(c).advance - 2; }
};

LoadedFont Load(const std::string& name)
{
    LoadedFont f;
    std::vector<uint8_t> bytes = agtest::ReadRuntimeFile("Assets/Misc/" + name);
    EXPECT_EQ(ParseQZ7Font(bytes.data(), bytes.size(), f.file), QZRES_OK) << name;
    EXPECT_TRUE(f.file.embedded) << name;
    if (f.file.embedded && size_t(f.file.imageOffset) < bytes.size())
        // Setup: what the test checks after it shows whether it took.
        (void)plat::imaging::DecodeImage(bytes.data() + f.file.imageOffset, bytes.size() - size_t(f.file.imageOffset),
                                   f.texture);
    return f;
}

}  // namespace

TEST(AssetFonts, EveryFontLoadsWithItsLineHeightAndTexture)
{
    const std::pair<const char*, int32_t> fonts[] = {
        {"alien17.qz7", 17}, {"alien20.qz7", 20}, {"alien36.qz7", 36}, {"narrow20.qz7", 20}, {"monospace20.qz7", 20}};
    for (const auto& [name, height] : fonts) {
        LoadedFont f = Load(name);
        ASSERT_FALSE(f.texture.Empty()) << name;
        EXPECT_EQ(f.file.lineHeight, height) << name;
        for (int32_t code = 32; code < 128; ++code) {
            EXPECT_EQ(f.Right(code) - f.Left(code), f.Glyph(code).advance) << name << " glyph " << code;
            EXPECT_EQ(f.Bottom(code) - f.Top(code), height) << name << " glyph " << code;
            EXPECT_LE(f.Right(code), f.texture.width) << name;
            EXPECT_LE(f.Bottom(code), f.texture.height) << name;
        }
    }
}

TEST(AssetFonts, PrintableGlyphsHaveInkAndNoMagentaKey)
{
    for (const ag::FontSpec& spec : ag::FontSpecs()) {
        LoadedFont f = Load(spec.file);
        ASSERT_FALSE(f.texture.Empty());
        for (int32_t code = 33; code < 127; ++code) {
            uint32_t ink = 0;
            for (int32_t y = f.Top(code); y < f.Bottom(code); ++y)
                for (int32_t x = f.Left(code); x < f.Right(code); ++x) ink += agtest::Alpha(f.texture, x, y);
            EXPECT_GT(ink, 0u) << spec.file << " glyph '" << char(code) << "'";
        }
        for (int32_t y = 0; y < f.texture.height; ++y)
            for (int32_t x = 0; x < f.texture.width; ++x)
                ASSERT_NE(f.texture.Pixel(x, y), 0xFFFF00FFu) << "the colour key would cut a hole";
    }
}

TEST(AssetFonts, WidthsFollowTheFaces)
{
    LoadedFont sans = Load("alien20.qz7"), mono = Load("monospace20.qz7"), narrow = Load("narrow20.qz7");
    EXPECT_GT(sans.CharWidth('M'), sans.CharWidth('i'));
    EXPECT_EQ(mono.CharWidth('M'), mono.CharWidth('i'));
    EXPECT_GT(sans.CharWidth(' '), 0) << "spaces move the pen";
    EXPECT_LT(narrow.CharWidth('M'), sans.CharWidth('M')) << "the narrow face is condensed";
    EXPECT_EQ(sans.CharWidth(127), 0);
}
