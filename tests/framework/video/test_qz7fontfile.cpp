#include "qz7fontfile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "qz7core.h"
#include "testutil.h"

namespace {

using vqtest::Bytes;
const auto Put = vqtest::PutLE32;
const auto PutFloat = vqtest::PutFloatLE;

// Header, then the glyph table, then the texture name.
Bytes NamedFont(const std::string& name = "font.png")
{
    Bytes b = {'Q', 'Z', '7', 'f'};
    Put(b, 4, 14);
    Put(b, 8, 32);
    Put(b, 12, 1920);
    Put(b, 16, 32 + 1920);
    Put(b, 20, uint32_t(name.size()));
    Put(b, 24, 3);
    Put(b, 28, 0xFFFFFFFF);
    for (uint32_t n = 0; n < 96; ++n) {
        size_t r = 32 + 20 * n;
        Put(b, r, 10 + n);
        PutFloat(b, r + 4, 0.25f);
        PutFloat(b, r + 8, 0.5f);
        PutFloat(b, r + 12, 0.75f);
        PutFloat(b, r + 16, 1.0f);
    }
    b.insert(b.end(), name.begin(), name.end());
    return b;
}

}  // namespace

TEST(QZ7FontFile, NamedAndEmbeddedTexturesAreRead)
{
    TQZ7FontFile f;
    Bytes named = NamedFont("Fonts\\Big.png");
    ASSERT_EQ(ParseQZ7Font(named.data(), named.size(), f), QZRES_OK);
    EXPECT_EQ(f.lineHeight, 14);
    EXPECT_EQ(f.lineGap, 3);
    EXPECT_FALSE(f.embedded);
    EXPECT_EQ(f.textureName, "Fonts\\Big.png");
    EXPECT_EQ(f.glyphs[0].advance, 10);
    EXPECT_EQ(f.glyphs[95].advance, 105);
    EXPECT_FLOAT_EQ(f.glyphs[33].left, 0.25f);
    EXPECT_FLOAT_EQ(f.glyphs[33].bottom, 1.0f);

    Bytes embedded = NamedFont("");
    Put(embedded, 16, 0);
    Put(embedded, 20, 32 + 1920);
    embedded.insert(embedded.end(), {1, 2, 3});
    ASSERT_EQ(ParseQZ7Font(embedded.data(), embedded.size(), f), QZRES_OK);
    EXPECT_TRUE(f.embedded);
    EXPECT_EQ(f.imageOffset, 32 + 1920);
}

TEST(QZ7FontFile, AnythingOutsideTheFileIsRefused)
{
    struct Case {
        const char* name;
        size_t at;
        uint32_t value;
    };
    const Case cases[] = {
        {"wrong magic", 0, 0x51375A66},  // "fZ7Q"
        {"glyph table ends past the file", 12, 1921 + 20},
        {"glyph table offset negative", 8, 0xFFFFFFF0},
        {"glyph table length negative", 12, 0x80000000},
        {"table offset and length overflow together", 8, 0x7FFFFFFF},
        {"texture name runs past the end", 20, 100},
        {"texture name length negative", 20, 0xFFFFFFFF},
        {"embedded image offset past the end", 20, 5000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes b = NamedFont();
        if (std::string(c.name).rfind("embedded", 0) == 0) Put(b, 16, 0);
        Put(b, c.at, c.value);
        TQZ7FontFile f;
        f.lineHeight = 99;
        EXPECT_EQ(ParseQZ7Font(b.data(), b.size(), f), QZRES_FAILED);
        EXPECT_EQ(f.lineHeight, 0);  // nothing half-read is left behind
    }
    Bytes shortHeader = {'Q', 'Z', '7', 'f', 14, 0, 0};
    TQZ7FontFile f;
    EXPECT_EQ(ParseQZ7Font(shortHeader.data(), shortHeader.size(), f), QZRES_FAILED);
    EXPECT_EQ(ParseQZ7Font(nullptr, 0, f), QZRES_FAILED);
}

// The format asks only that the declared table lie inside the file: a table
// declared shorter than 96 records is read all the same when they are there.
TEST(QZ7FontFile, AShorterDeclaredTableIsReadWhenTheRecordsLieInsideTheFile)
{
    for (uint32_t length : {0u, 20u, 1900u, 1919u}) {
        SCOPED_TRACE(length);
        Bytes b = NamedFont();
        Put(b, 12, length);
        TQZ7FontFile f;
        ASSERT_EQ(ParseQZ7Font(b.data(), b.size(), f), QZRES_OK);
        EXPECT_EQ(f.glyphs[95].advance, 105);
        EXPECT_EQ(f.textureName, "font.png");
    }
    // A short table declared near the end, inside the file, while the 96
    // records read from its offset would run past it.
    Bytes b = NamedFont();
    Put(b, 8, uint32_t(b.size() - 20));
    Put(b, 12, 20);
    TQZ7FontFile f;
    EXPECT_EQ(ParseQZ7Font(b.data(), b.size(), f), QZRES_FAILED);
    EXPECT_EQ(f.lineHeight, 0);
}

TEST(QZ7FontFile, MeasuresBeyondAnyTextureAreRefused)
{
    struct Case {
        const char* name;
        size_t at;
        uint32_t value;
        bool accepted;
    };
    const Case cases[] = {
        {"line height at the limit", 4, 8192, true},
        {"line height past the limit", 4, 8193, false},
        {"line height negative", 4, 0xFFFFFFFF, false},
        {"line gap negative, small", 24, 0xFFFFFFFE, true},
        {"line gap huge", 24, 0x7FFFFFFF, false},
        {"line gap most negative", 24, 0x80000000, false},
        {"advance below two", 32, 1, true},
        {"advance most negative", 32 + 20 * 40, 0x80000000, false},
        {"advance huge, last glyph", 32 + 20 * 95, 0x7FFFFFFF, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes b = NamedFont();
        Put(b, c.at, c.value);
        TQZ7FontFile f;
        EXPECT_EQ(ParseQZ7Font(b.data(), b.size(), f), c.accepted ? QZRES_OK : QZRES_FAILED);
        if (!c.accepted) {
            EXPECT_EQ(f.glyphs[0].advance, 0);  // nothing half-read is left behind
        }
    }
}

TEST(QZ7FontFile, TextureCoordinatesAreKeptToTheTexture)
{
    Bytes b = NamedFont();
    PutFloat(b, 32 + 4, std::numeric_limits<float>::quiet_NaN());
    PutFloat(b, 32 + 8, std::numeric_limits<float>::infinity());
    PutFloat(b, 32 + 12, 7.5f);
    PutFloat(b, 32 + 16, -2.0f);
    TQZ7FontFile f;
    ASSERT_EQ(ParseQZ7Font(b.data(), b.size(), f), QZRES_OK);
    EXPECT_EQ(f.glyphs[0].left, 0.0f);
    EXPECT_EQ(f.glyphs[0].top, 0.0f);
    EXPECT_EQ(f.glyphs[0].right, 1.0f);
    EXPECT_EQ(f.glyphs[0].bottom, 0.0f);
}

TEST(QZ7FontFile, WrittenFontReadsBackWithItsEmbeddedImage)
{
    TQZ7FontFile f;
    f.lineHeight = 20;
    f.lineGap = 2;
    for (int32_t n = 0; n < QZ7FONT_GLYPHS; ++n) {
        TQZ7FontGlyph& g = f.glyphs[size_t(n)];
        g.advance = 3 + n % 7;
        g.left = float(n) / 128.0f;
        g.top = 0.25f;
        g.right = float(n + 1) / 128.0f;
        g.bottom = 0.5f;
    }
    const uint8_t image[] = {0x89, 'P', 'N', 'G', 1, 2, 3};
    Bytes file;
    ASSERT_EQ(WriteQZ7Font(f, image, sizeof image, file), QZRES_OK);
    ASSERT_EQ(file.size(), size_t(32 + 1920 + sizeof image));

    TQZ7FontFile back;
    ASSERT_EQ(ParseQZ7Font(file.data(), file.size(), back), QZRES_OK);
    EXPECT_TRUE(back.embedded);
    EXPECT_EQ(back.lineHeight, 20);
    EXPECT_EQ(back.lineGap, 2);
    EXPECT_EQ(back.imageOffset, 32 + 1920);
    EXPECT_EQ(std::memcmp(file.data() + back.imageOffset, image, sizeof image), 0);
    for (size_t n = 0; n < size_t(QZ7FONT_GLYPHS); ++n) {
        EXPECT_EQ(back.glyphs[n].advance, f.glyphs[n].advance);
        EXPECT_EQ(back.glyphs[n].left, f.glyphs[n].left);
        EXPECT_EQ(back.glyphs[n].right, f.glyphs[n].right);
        EXPECT_EQ(back.glyphs[n].bottom, f.glyphs[n].bottom);
    }
}

TEST(QZ7FontFile, WriterRefusesWhatTheReaderWouldRefuse)
{
    const uint8_t image[] = {1};
    Bytes file;
    TQZ7FontFile f;
    f.lineHeight = 20;
    EXPECT_NE(WriteQZ7Font(f, nullptr, 0, file), QZRES_OK) << "no image";
    f.lineHeight = -1;
    EXPECT_NE(WriteQZ7Font(f, image, 1, file), QZRES_OK);
    f.lineHeight = 20;
    f.glyphs[5].advance = 100000;
    EXPECT_NE(WriteQZ7Font(f, image, 1, file), QZRES_OK);
    EXPECT_TRUE(file.empty());
}
