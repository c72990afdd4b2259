#include "qz7crc.h"

#include <gtest/gtest.h>

#include <cstring>
#include <zlib.h>

namespace {

uint32_t Standard(const std::string& text)
{
    return CRC32Update(text.data(), static_cast<int32_t>(text.size()), QZCRC_START, true);
}

TEST(CRC32Test, StandardCheckValues)
{
    struct Case { const char* text; uint32_t crc; };
    const Case cases[] = {
        {"abc", 0x352441C2u},
        {"123456789", 0xCBF43926u},
        {"The quick brown fox jumps over the lazy dog", 0x414FA339u},
        {"a", 0xE8B7BE43u},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Standard(c.text), c.crc) << c.text;
        EXPECT_EQ(CRC32String(c.text, QZCRC_START, true), c.crc) << c.text;
    }
}

TEST(CRC32Test, AgreesWithZlibOnEveryByteValue)
{
    std::string bytes;
    for (int i = 0; i < 1000; ++i) bytes += static_cast<char>((i * 131 + 7) & 0xFF);
    uLong expected = crc32(0L, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size()));
    EXPECT_EQ(Standard(bytes), static_cast<uint32_t>(expected));
}

TEST(CRC32Test, NothingToHashReturnsTheStartUninverted)
{
    const uint32_t start = 0x12345678u;
    EXPECT_EQ(CRC32String("", start, true), start);
    EXPECT_EQ(CRC32Update(nullptr, 10, start, true), start);
    EXPECT_EQ(CRC32Update("abc", 0, start, true), start);
    EXPECT_EQ(CRC32Update("abc", -5, start, true), start);
    EXPECT_EQ(CRC32UpdateToIndex("abc", -1, start), start);
    EXPECT_EQ(CRC32UpdateDWords(nullptr, 3, start), start);
}

TEST(CRC32Test, ChainedCallsEqualOnePass)
{
    uint32_t ab = CRC32Update("ab", 2, QZCRC_START, false);
    EXPECT_EQ(~CRC32Update("c", 1, ab, false), 0x352441C2u);
    EXPECT_EQ(CRC32Update("c", 1, ab, true), 0x352441C2u);
    EXPECT_EQ(CRC32String("c", CRC32String("ab", QZCRC_START, false), true), 0x352441C2u);
}

TEST(CRC32Test, ToIndexCoversBytesUpToLastInclusive)
{
    EXPECT_EQ(CRC32UpdateToIndex("abc", 0, QZCRC_START), CRC32Update("a", 1, QZCRC_START, false));
    EXPECT_EQ(~CRC32UpdateToIndex("abc", 2, QZCRC_START), 0x352441C2u);
}

TEST(CRC32Test, DWordsHashTheirLittleEndianBytes)
{
    const uint32_t items[2] = {0x64636261u, 0x34333231u};  // "abcd1234"
    EXPECT_EQ(CRC32UpdateDWords(items, 1, QZCRC_START), CRC32Update("abcd1234", 8, QZCRC_START, false));
    EXPECT_EQ(CRC32UpdateDWords(items, 0, 7u), CRC32Update("abcd", 4, 7u, false));
    EXPECT_EQ(CRC32UpdateDWords(items, -1, 7u), 7u);
}

}  // namespace
