#include "qz7files.h"
#include "qz7memory.h"
#include "testutil.h"

#include <climits>
#include <cstdint>

#include <gtest/gtest.h>

namespace {

TEST(TQZMemoryTest, XorUsesTheKeyCyclicallyAndTwiceRestores)
{
    TQZMemory m;
    ASSERT_EQ(m.AssignBytes("\x00\x00\x00\x00\x00\x00\x00", 7), QZRES_OK);
    ASSERT_EQ(m.XorWithKey("\x01\x02\x03"), QZRES_OK);
    std::vector<uint8_t> bytes;
    m.ReadBytes(0, TQZMemory::TO_END, bytes);
    EXPECT_EQ(bytes, (std::vector<uint8_t>{1, 2, 3, 1, 2, 3, 1}));
    EXPECT_EQ(QZRES_OK, m.XorWithKey("\x01\x02\x03"));
    m.ReadBytes(0, TQZMemory::TO_END, bytes);
    EXPECT_EQ(bytes, std::vector<uint8_t>(7, 0));
    EXPECT_EQ(m.XorWithKey(""), QZRES_BADARG);
    TQZMemory empty;
    EXPECT_EQ(empty.XorWithKey("k"), QZRES_FAILED);
}

TEST(TQZMemoryTest, ReadBytesAndBoundsChecks)
{
    TQZMemory m(8);
    std::vector<uint8_t> out{9};
    m.ReadBytes(10, TQZMemory::TO_END, out);
    EXPECT_TRUE(out.empty());
    m.ReadBytes(6, 100, out);
    EXPECT_EQ(out.size(), 2u);
    uint8_t buf[4];
    EXPECT_EQ(m.Read(buf, 4, 5), QZRES_BADARG);
    EXPECT_EQ(m.Read(buf, 0, 0), QZRES_BADARG);
    EXPECT_EQ(m.Write(buf, 4, 5), QZRES_BADARG);
    EXPECT_EQ(m.Write(buf, 4, -1), QZRES_BADARG);
    EXPECT_EQ(m.ReadString(6, 3), "");
    EXPECT_EQ(m.Allocate(0), QZRES_BADARG);
    EXPECT_EQ(m.Size(), 0);
}

TEST(TQZMemoryTest, LoadAndSaveFiles)
{
    vqtest::TempDir dir;
    TQZMemory m;
    EXPECT_EQ(m.LoadFromFile(dir.File("missing")), QZRES_NOFILE);
    vqtest::WriteFile(dir.File("empty"), "");
    EXPECT_EQ(m.LoadFromFile(dir.File("empty")), QZRES_FAILED);
    EXPECT_EQ(m.Size(), 0);
    EXPECT_EQ(QZRES_OK, m.AssignBytes("hello", 5));
    ASSERT_EQ(m.SaveToFile(dir.File("out.bin")), QZRES_OK);
    auto loaded = TQZMemory::CreateFromFile(dir.File("out.bin"));
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->AsString(), "hello");
    EXPECT_EQ(TQZMemory::CreateFromFile(dir.File("missing")), nullptr);
    // Saving into a folder that does not exist fails and says so.
    EXPECT_EQ(m.SaveToFile(dir.File("no/such/folder/x.bin")), QZRES_FAILED);
}

TEST(TQZMemoryStreamTest, WritingPastTheEndGrowsWithZeroGap)
{
    TQZMemory m(4);
    std::memset(m.Data(), 0xAA, 4);
    TQZMemoryStream* s = m.Stream();
    EXPECT_EQ(s, m.Stream());
    s->SetPosition(6);
    EXPECT_EQ(s->Write("\x01\x02\x03\x04", 4), 4);
    ASSERT_EQ(m.Size(), 10);
    EXPECT_EQ(m.GetByte(4), 0);
    EXPECT_EQ(m.GetByte(5), 0);
    EXPECT_EQ(m.GetDWord(6), 0x04030201u);
    s->SetPosition(8);
    uint8_t buf[8];
    EXPECT_EQ(s->Read(buf, 8), 2);
    EXPECT_EQ(s->Read(buf, 8), 0);
}

TEST(TQZMemoryTest, ResizeForOverwriteKeepsWhatItHoldsAndRefusesANegativeSize)
{
    // Each step: the new size, how many of the pattern bytes must survive.
    struct Step {
        int32_t size, kept;
    } steps[] = {{64 * 1024, 37}, {5 * 1024 * 1024, 37}, {20, 20}, {3, 3}, {3 * 1024 * 1024, 3}};
    TQZMemory m(37);
    for (int32_t i = 0; i < 37; ++i) m.SetByte(i, uint8_t(i * 7 + 1));
    for (const Step& s : steps) {
        ASSERT_EQ(m.ResizeForOverwrite(s.size), QZRES_OK) << s.size;
        ASSERT_EQ(m.Size(), s.size);
        EXPECT_TRUE(m.OwnsData());
        for (int32_t i = 0; i < s.kept; ++i) ASSERT_EQ(m.GetByte(i), uint8_t(i * 7 + 1)) << s.size << " at " << i;
        std::memset(m.Data() + s.kept, 0xEE, size_t(s.size - s.kept));  // the caller's overwrite
    }
    // A negative size is refused and leaves the bytes as they were.
    EXPECT_EQ(m.ResizeForOverwrite(-1), QZRES_BADARG);
    ASSERT_EQ(m.Size(), 3 * 1024 * 1024);
    EXPECT_EQ(m.GetByte(2), 15);
    EXPECT_EQ(m.GetByte(3 * 1024 * 1024 - 1), 0xEE);
    EXPECT_EQ(m.ResizeForOverwrite(0), QZRES_OK);
    EXPECT_EQ(m.Size(), 0);

    // Resize still zeroes what it adds, also where the storage held bytes before.
    TQZMemory z(8);
    std::memset(z.Data(), 0xAA, 8);
    ASSERT_EQ(z.Resize(2), QZRES_OK);
    ASSERT_EQ(z.Resize(8), QZRES_OK);
    for (int32_t i = 2; i < 8; ++i) EXPECT_EQ(z.GetByte(i), 0) << i;
    EXPECT_EQ(z.GetByte(1), 0xAA);
}

TEST(StreamFormsTest, WireFormsRoundTrip)
{
    TQZBytesStream s;
    WriteStreamByte(s, 0xFE);
    WriteStreamWord(s, 0x1234);
    WriteStreamDWord(s, 0xDEADBEEF);
    WriteStreamString(s, "");
    WriteStreamString(s, "abc");
    EXPECT_EQ(s.Bytes()[1], 0x34);
    EXPECT_EQ(s.Size(), 1 + 2 + 4 + 4 + 7);
    s.SetPosition(0);
    EXPECT_EQ(ReadStreamByte(s), 0xFE);
    EXPECT_EQ(ReadStreamWord(s), 0x1234);
    EXPECT_EQ(ReadStreamDWord(s), 0xDEADBEEFu);
    EXPECT_EQ(ReadStreamString(s), "");
    EXPECT_EQ(ReadStreamString(s), "abc");
    EXPECT_TRUE(StreamAtEnd(s));
    EXPECT_THROW(ReadStreamByte(s), EQZReadError);
}

TEST(StreamFormsTest, LengthsBeyondTheBytesLeftAreRefused)
{
    const std::vector<std::vector<uint8_t>> bad = {
        {0xFF, 0xFF, 0xFF, 0x7F, 'a'},  // huge length
        {0xFF, 0xFF, 0xFF, 0xFF},       // negative length
        {0x05, 0x00, 0x00, 0x00, 'a'},  // five announced, one present
        {0x05, 0x00},                   // truncated length
    };
    for (const auto& bytes : bad) {
        TQZBytesStream s(bytes);
        EXPECT_THROW(ReadStreamString(s), EQZReadError);
    }
}

TEST(StreamFormsTest, LinesEndOnlyAtCrLf)
{
    TQZBytesStream s(std::string("abc\r\ndef").data(), 8);
    EXPECT_EQ(ReadStreamLine(s), "abc");
    EXPECT_EQ(ReadStreamLine(s), "def");
    EXPECT_EQ(ReadStreamLine(s), "");
    TQZBytesStream t(std::string("abc\ndef\r").data(), 8);
    EXPECT_EQ(ReadStreamLine(t), "abc\ndef\r");
}

TEST(StreamFormsTest, TruncateCutsAtPosition)
{
    TQZMemory m;
    TQZMemoryStream* s = m.Stream();
    WriteStreamLine(*s, "one");
    WriteStreamLine(*s, "two");
    SeekStream(*s, 5);
    TruncateStream(*s);
    EXPECT_EQ(m.AsString(), "one\r\n");
}

}  // namespace

namespace {

TEST(TQZMemoryTest, FileShorterThanItsSizeLeavesTheBufferEmpty)
{
    // Kernel attribute files report a size of a page but hold a few bytes:
    // the read ends early and nothing half-loaded may stay behind.
    const std::string path = "/sys/devices/system/cpu/online";
    if (!IsFile(path) || FileSizeOf(path) <= 64) GTEST_SKIP() << "no short kernel attribute file here";
    TQZMemory m(16);
    EXPECT_EQ(m.LoadFromFile(path), QZRES_FILE_READ);
    EXPECT_EQ(m.Size(), 0);
    int32_t result = 0;
    EXPECT_EQ(TQZMemory::CreateFromFile(path, &result), nullptr);
    EXPECT_EQ(result, QZRES_FILE_READ);
}

TEST(StreamFormsTest, WritesAtAnAbsurdPositionFailWithoutTouchingMemory)
{
    TQZBytesStream bytes;
    WriteStreamDWord(bytes, 7);
    SeekStream(bytes, INT64_MAX - 1);
    EXPECT_EQ(bytes.Write("abcd", 4), 0);
    EXPECT_THROW(WriteStreamDWord(bytes, 1), std::runtime_error);
    EXPECT_EQ(bytes.Size(), 4);

    TQZMemory m(4);
    TQZMemoryStream* s = m.Stream();
    for (int64_t position : {int64_t(INT32_MAX) - 1, int64_t(INT32_MAX) + 10, INT64_MAX - 1}) {
        SeekStream(*s, position);
        EXPECT_EQ(s->Write("abcd", 4), 0) << position;
        EXPECT_EQ(m.Size(), 4) << position;
    }
}

}  // namespace

TEST(TQZMemoryTest, WriteTextStopsAtTheBuffersEnd)
{
    struct Case {
        int32_t position;
        std::string text;
        int32_t written;
        std::string after;
    } cases[] = {
        {0, "ab", 2, "ab...."}, {4, "wxyz", 2, "....wx"}, {6, "x", 0, "......"},
        {-1, "x", 0, "......"}, {2, "", 0, "......"},
    };
    for (const Case& c : cases) {
        TQZMemory m;
        ASSERT_EQ(0, m.AssignBytes("......", 6));
        EXPECT_EQ(c.written, m.WriteText(c.position, c.text)) << c.position;
        EXPECT_EQ(c.after, m.ReadString(0, 6)) << c.position;
        EXPECT_EQ(6, m.Size()) << "never grows";
    }
}
