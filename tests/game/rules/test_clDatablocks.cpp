#include "qz7memory.h"
#include "clDatablocks.h"

#include <gtest/gtest.h>

namespace {

struct Fields {
    int32_t type = 0;
    uint8_t seat = 0;
    int32_t card = 0;
    std::string text;
    TDatablock block;
    Fields()
    {
        block.AddField(&type, sizeof type);
        block.AddField(&seat, sizeof seat);
        block.AddField(&card, sizeof card);
        block.AddString(&text);
    }
};

TEST(DatablockTest, FieldsAreWrittenInOrderWithoutPadding)
{
    Fields f;
    f.type = 5;
    f.seat = 3;
    f.card = 52;
    EXPECT_EQ(f.block.WriteTo(), (std::vector<uint8_t>{5, 0, 0, 0, 3, 0x34, 0, 0, 0, 0, 0, 0, 0}));
    f.text = "ab";
    Fields g;
    g.block.ReadFrom(f.block.WriteTo());
    EXPECT_EQ(g.type, 5);
    EXPECT_EQ(g.seat, 3);
    EXPECT_EQ(g.card, 52);
    EXPECT_EQ(g.text, "ab");
}

TEST(DatablockTest, ShortOrLyingBytesChangeNothing)
{
    std::vector<std::vector<uint8_t>> bad = {
        {5, 0, 0},                                  // the first field is cut
        {5, 0, 0, 0, 3, 0x34, 0, 0, 0},             // no string length
        {5, 0, 0, 0, 3, 0x34, 0, 0, 0, 9, 0, 0, 0, 'a'},  // length beyond the bytes
        {5, 0, 0, 0, 3, 0x34, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF},
    };
    for (const auto& bytes : bad) {
        Fields f;
        f.type = 1;
        f.text = "keep";
        EXPECT_THROW(f.block.ReadFrom(bytes), EQZReadError);
        EXPECT_EQ(f.type, 1);
        EXPECT_EQ(f.seat, 0);
        EXPECT_EQ(f.text, "keep");
    }
    Fields extra;
    extra.block.ReadFrom({6, 0, 0, 0, 1, 2, 0, 0, 0, 0, 0, 0, 0, 99, 99});  // trailing bytes ignored
    EXPECT_EQ(extra.type, 6);
}

}  // namespace
