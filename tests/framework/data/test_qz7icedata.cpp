#include "qz7icedata.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>
#include <random>
#include <zlib.h>

// The largest single request made of operator new since the last reset: the
// peak a load costs is bounded by what it asks for at once.
namespace {
std::atomic<size_t> largestAllocation{0};

void* Allocate(size_t n)
{
    size_t seen = largestAllocation.load();
    while (n > seen && !largestAllocation.compare_exchange_weak(seen, n)) {
    }
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}
}  // namespace

void* operator new(size_t n) { return Allocate(n); }
void* operator new[](size_t n) { return Allocate(n); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }

namespace {

constexpr uint32_t kMagic = QZICE_MAGIC;
constexpr uint32_t kNamed = QZICE_MAGIC | QZICE_FLAG_NAME;
constexpr uint32_t kPacked = QZICE_MAGIC | QZICE_FLAG_COMPRESSED;

// Hand-made archive bytes.
struct Ice {
    std::string bytes;
    Ice& U32(uint32_t v)
    {
        for (int i = 0; i < 4; ++i) bytes += static_cast<char>((v >> (8 * i)) & 0xFF);
        return *this;
    }
    Ice& Raw(const std::string& s)
    {
        bytes += s;
        return *this;
    }
    Ice& Head(uint32_t flags, uint32_t id, uint32_t size, uint32_t count)
    {
        return U32(flags).U32(id).U32(size).U32(count);
    }
};

std::string Zlib(const std::string& data)
{
    uLongf n = compressBound(static_cast<uLong>(data.size()));
    std::string out(n, '\0');
    compress2(reinterpret_cast<Bytef*>(out.data()), &n, reinterpret_cast<const Bytef*>(data.data()),
              static_cast<uLong>(data.size()), Z_DEFAULT_COMPRESSION);
    out.resize(n);
    return out;
}

std::string RandomBytes(size_t n, uint32_t seed)
{
    std::mt19937 gen(seed);
    std::string s(n, '\0');
    for (char& c : s) c = static_cast<char>(gen() & 0xFF);
    return s;
}

std::string TextLike(size_t n)
{
    static const char* words[] = {"trump ", "bid ", "seven ", "hearts ", "kitty ", "joker ", "misere "};
    std::string s;
    for (size_t i = 0; s.size() < n; ++i) s += words[(i * 7 + i / 3) % 7];
    s.resize(n);
    return s;
}

std::string DataOf(const TQZIceData& node)
{
    return node.Data().AsString();
}

bool Load(TQZIceData& node, const std::string& bytes)
{
    return node.LoadFromBytes(bytes.data(), static_cast<int64_t>(bytes.size()));
}

std::string Save(TQZIceData& node)
{
    std::vector<uint8_t> out;
    EXPECT_TRUE(node.SaveToBytes(out));
    return std::string(out.begin(), out.end());
}

TQZIceData* AddText(TQZIceData& parent, uint32_t id, const std::string& text)
{
    return parent.AddChildBuffer(id, text.data(), static_cast<int32_t>(text.size()));
}

// ---------------------------------------------------------------- round trip
TEST(TQZIceDataTest, TreeRoundTripsThroughAFile)
{
    vqtest::TempDir dir;
    TQZIceData root;
    root.SetName("Textures");
    AddText(root, 1, "raw bytes")->SetName("first");
    TQZIceData* packed = AddText(root, 7, TextLike(5000));
    packed->SetCompressed(true);
    packed->SetName("packed");
    AddText(*packed, 3, RandomBytes(300, 1))->SetName("Backdrop.json");
    AddText(root, 2, "");
    ASSERT_TRUE(root.SaveToFile(dir.File("a.ice")));

    auto back = TQZIceData::CreateFromFile(dir.File("a.ice"));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->Name(), "Textures");
    ASSERT_EQ(back->ChildCount(), 3);
    EXPECT_EQ(back->IdAt(1), 1u);
    EXPECT_EQ(back->IdAt(2), 7u);
    EXPECT_EQ(back->IdAt(3), 2u);
    EXPECT_EQ(DataOf(*back->GetChild(1)), "raw bytes");
    TQZIceData* p = back->GetChildById(7);
    EXPECT_EQ(p->Parent(), back.get());
    EXPECT_TRUE(p->IsCompressed());
    EXPECT_EQ(p->Header().dataSize, 5000);
    EXPECT_EQ(DataOf(*p), TextLike(5000));
    EXPECT_EQ(DataOf(*p->GetChild(1)), RandomBytes(300, 1));
    EXPECT_EQ(back->FindByName("Backdrop.json"), p->GetChild(1));
    EXPECT_EQ(back->GetChildById(2)->Data().Size(), 0);
    // Written again, the same bytes come out.
    EXPECT_EQ(Save(*back), Save(root));
}

TEST(TQZIceDataTest, NodeLayoutIsLittleEndianWithOptionalNameAndData)
{
    TQZIceData root;
    root.SetId(0x01020304);
    ASSERT_EQ(QZRES_OK, root.Data().AssignBytes("xyz", 3));
    EXPECT_EQ(Save(root), Ice().Head(kMagic, 0x01020304, 3, 0).Raw("xyz").bytes);

    root.SetName("nm");
    EXPECT_EQ(Save(root), Ice().Head(kNamed, 0x01020304, 3, 0).U32(2).Raw("nm").Raw("xyz").bytes);

    // An empty name writes no name field and clears the flag.
    root.SetName("");
    AddText(root, 5, "c");
    EXPECT_EQ(Save(root), Ice().Head(kMagic, 0x01020304, 3, 1).Raw("xyz").Head(kMagic, 5, 1, 0).Raw("c").bytes);
}

// ---------------------------------------------------------------- compression
TEST(TQZIceDataTest, WriterCompressesOnlyWhenItPays)
{
    struct Case { const char* what; std::string data; bool ask; bool packed; };
    const Case cases[] = {
        {"31 bytes are never compressed", std::string(31, 'a'), true, false},
        {"32 zero bytes save too little", std::string(32, '\0'), true, false},
        {"compressible text", TextLike(1000), true, true},
        {"random bytes do not shrink", RandomBytes(1000, 2), true, false},
        {"not asked", TextLike(1000), false, false},
    };
    for (const Case& c : cases) {
        TQZIceData node;
        ASSERT_EQ(QZRES_OK, node.Data().AssignBytes(c.data.data(), static_cast<int32_t>(c.data.size())));
        node.SetCompressed(c.ask);
        std::string bytes = Save(node);
        EXPECT_EQ(node.IsCompressed(), c.packed) << c.what;
        std::string z = Zlib(c.data);
        std::string stored = c.packed ? Ice().U32(static_cast<uint32_t>(z.size())).Raw(z).bytes : c.data;
        uint32_t flags = c.packed ? kPacked : kMagic;
        EXPECT_EQ(bytes, Ice().Head(flags, 0, static_cast<uint32_t>(c.data.size()), 0).Raw(stored).bytes) << c.what;
        TQZIceData back;
        ASSERT_TRUE(Load(back, bytes)) << c.what;
        EXPECT_EQ(DataOf(back), c.data) << c.what;
    }
}

TEST(TQZIceDataTest, CompressionIsKeptOnlyWhenItSavesMoreThan32Bytes)
{
    // Random bytes followed by zeros: each added zero grows the data by one
    // byte and the stream by far less, so every saving is met on the way.
    std::string head = RandomBytes(200, 3);
    int checked = 0;
    for (int zeros = 0; zeros < 200; ++zeros) {
        std::string data = head + std::string(static_cast<size_t>(zeros), '\0');
        int64_t saving = static_cast<int64_t>(data.size()) - static_cast<int64_t>(Zlib(data).size());
        if (saving != 32 && saving != 33) continue;
        TQZIceData node;
        ASSERT_EQ(QZRES_OK, node.Data().AssignBytes(data.data(), static_cast<int32_t>(data.size())));
        node.SetCompressed(true);
        std::string bytes = Save(node);
        EXPECT_EQ(node.IsCompressed(), saving == 33) << "saving " << saving;
        EXPECT_EQ(bytes.size(), saving == 33 ? 16 + 4 + data.size() - 33 : 16 + data.size());
        ++checked;
    }
    EXPECT_GE(checked, 2);
}

TEST(TQZIceDataTest, StoredStreamEqualsChunkedDeflation)
{
    // Files from elsewhere deflate 16384 bytes at a time; one pass must give
    // the very same bytes.
    std::string data = TextLike(100000) + RandomBytes(50000, 4) + TextLike(70000);
    z_stream zs{};
    ASSERT_EQ(deflateInit(&zs, Z_DEFAULT_COMPRESSION), Z_OK);
    std::string chunked;
    unsigned char out[16384];
    for (size_t at = 0; at < data.size() || zs.avail_in > 0;) {
        size_t n = std::min<size_t>(16384, data.size() - at);
        zs.next_in = reinterpret_cast<Bytef*>(data.data() + at);
        zs.avail_in = static_cast<uInt>(n);
        at += n;
        int flush = at == data.size() ? Z_FINISH : Z_NO_FLUSH;
        do {
            zs.next_out = out;
            zs.avail_out = sizeof out;
            deflate(&zs, flush);
            chunked.append(reinterpret_cast<char*>(out), sizeof out - zs.avail_out);
        } while (zs.avail_out == 0);
        if (flush == Z_FINISH) break;
    }
    deflateEnd(&zs);

    TQZIceData node;
    ASSERT_EQ(QZRES_OK, node.Data().AssignBytes(data.data(), static_cast<int32_t>(data.size())));
    node.SetCompressed(true);
    std::string bytes = Save(node);
    EXPECT_EQ(bytes.substr(20), chunked);
}

TEST(TQZIceDataTest, HighlyCompressedDataStillLoads)
{
    // Zeros deflate close to the format's limit ratio: must not be taken for a lie.
    std::string zeros(8 << 20, '\0');
    TQZIceData node;
    ASSERT_EQ(QZRES_OK, node.Data().AssignBytes(zeros.data(), static_cast<int32_t>(zeros.size())));
    node.SetCompressed(true);
    std::string bytes = Save(node);
    EXPECT_LT(bytes.size(), 10000u);
    TQZIceData back;
    ASSERT_TRUE(Load(back, bytes));
    EXPECT_EQ(back.Data().Size(), 8 << 20);
}

// ---------------------------------------------------------------- children
TEST(TQZIceDataTest, NextFreeIdIsTheSmallestUnusedFromOne)
{
    struct Case { std::vector<uint32_t> ids; uint32_t next; };
    const Case cases[] = {{{}, 1}, {{1, 2, 4}, 3}, {{4, 2, 1}, 3}, {{2, 3}, 1}, {{1, 2, 3}, 4}, {{0, 1}, 2}};
    for (const Case& c : cases) {
        TQZIceData node;
        for (uint32_t id : c.ids) AddText(node, id, "x");
        EXPECT_EQ(node.NextFreeId(), c.next);
    }
}

struct TrackedNode : TQZIceData {
    explicit TrackedNode(bool& freed) : freed_(freed) {}
    ~TrackedNode() override { freed_ = true; }
    bool& freed_;
};

TEST(TQZIceDataTest, AddingATakenIdFreesTheOldChildAndAppendsTheNewOne)
{
    TQZIceData root;
    bool freed = false;
    root.AddChild(1, std::make_unique<TrackedNode>(freed));
    AddText(root, 2, "two");
    TQZIceData* fresh = AddText(root, 1, "new one");
    EXPECT_TRUE(freed);
    ASSERT_EQ(root.ChildCount(), 2);
    EXPECT_EQ(root.GetChild(1)->GetId(), 2u);
    EXPECT_EQ(root.GetChild(2), fresh);
    EXPECT_EQ(fresh->Parent(), &root);
    EXPECT_EQ(root.IndexOfId(1), 2);
    EXPECT_EQ(root.IndexOfId(9), 0);

    freed = false;
    root.AddChild(3, std::make_unique<TrackedNode>(freed));
    EXPECT_TRUE(root.DeleteChild(3));
    EXPECT_TRUE(freed);
    EXPECT_FALSE(root.DeleteChild(3));
    EXPECT_FALSE(root.HasChild(3));
}

TEST(TQZIceDataTest, ReadDataCopiesAtMostTheDataSize)
{
    TQZIceData root;
    ASSERT_EQ(QZRES_OK, root.Data().AssignBytes("own", 3));
    TQZMemory memory;
    ASSERT_EQ(QZRES_OK, memory.AssignBytes("child data", 10));
    root.AddChildMemory(4, memory);
    char buf[32] = {};
    EXPECT_EQ(root.ReadData(4, buf, 5), QZRES_OK);
    EXPECT_EQ(std::string(buf, 5), "child");
    EXPECT_EQ(root.ReadData(4, buf, 32), QZRES_OK);
    EXPECT_EQ(std::string(buf, 10), "child data");
    EXPECT_EQ(root.ReadData(0, buf, 32), QZRES_OK);
    EXPECT_EQ(std::string(buf, 3), "own");
    EXPECT_NE(root.ReadData(9, buf, 32), QZRES_OK);
    EXPECT_NE(root.ReadData(4, nullptr, 32), QZRES_OK);
}

TEST(TQZIceDataTest, NamesAreFoundExactlyAndDepthFirst)
{
    TQZIceData root;
    TQZIceData* a = AddText(root, 1, "");
    a->SetName("a");
    AddText(*a, 1, "")->SetName("deep");
    AddText(root, 2, "")->SetName("deep");
    AddText(root, 3, "")->SetName("Deep");
    EXPECT_EQ(root.IdOfName("deep"), 2u);
    EXPECT_EQ(root.IdOfName("Deep"), 3u);
    EXPECT_EQ(root.IdOfName("DEEP"), 0u);
    EXPECT_EQ(root.FindByName("deep"), a->GetChild(1));
    EXPECT_EQ(root.FindByName(""), &root);
    EXPECT_EQ(root.FindByName("none"), nullptr);
}

TEST(TQZIceDataTest, ResetEmptiesTheNode)
{
    TQZIceData root;
    root.SetName("n");
    root.SetId(5);
    root.SetCompressed(true);
    AddText(root, 1, "c");
    ASSERT_EQ(QZRES_OK, root.Data().AssignBytes("data", 4));
    root.DataStream()->SetPosition(3);
    root.Reset();
    EXPECT_EQ(root.Header().flags, kMagic);
    EXPECT_EQ(root.GetId(), 0u);
    EXPECT_EQ(root.Name(), "");
    EXPECT_EQ(root.ChildCount(), 0);
    EXPECT_EQ(root.Data().Size(), 0);
    EXPECT_EQ(root.DataStream()->Position(), 0);
}

// ---------------------------------------------------------------- reading
TEST(TQZIceDataTest, LaterChildWithTheSameIdReplacesTheEarlierOne)
{
    std::string bytes = Ice()
                            .Head(kMagic, 0, 0, 3)
                            .Head(kMagic, 1, 1, 0).Raw("a")
                            .Head(kMagic, 2, 1, 0).Raw("b")
                            .Head(kMagic, 1, 1, 0).Raw("c")
                            .bytes;
    TQZIceData root;
    ASSERT_TRUE(Load(root, bytes));
    ASSERT_EQ(root.ChildCount(), 2);
    EXPECT_EQ(DataOf(*root.GetChild(1)), "b");
    EXPECT_EQ(DataOf(*root.GetChild(2)), "c");
    EXPECT_EQ(root.Header().childCount, 3);
}

// A stream that is neither of the framework's memory streams.
class PlainStream : public TQZStream {
public:
    explicit PlainStream(std::string bytes) : bytes_(std::move(bytes)) {}
    int64_t Read(void* destination, int64_t count) override
    {
        int64_t n = std::min<int64_t>(count, Remaining());
        if (n <= 0) return 0;
        std::memcpy(destination, bytes_.data() + position_, static_cast<size_t>(n));
        position_ += n;
        return n;
    }
    int64_t Write(const void*, int64_t) override { return 0; }
    int64_t Size() const override { return static_cast<int64_t>(bytes_.size()); }
    void SetSize(int64_t) override {}

private:
    std::string bytes_;
};

TEST(TQZIceDataTest, NodesAreReadOneAfterAnotherFromAStream)
{
    std::string bytes = Ice().Head(kMagic, 1, 2, 0).Raw("ab").Head(kNamed, 2, 0, 0).U32(1).Raw("n").bytes;
    TQZBytesStream memoryStream(bytes.data(), bytes.size());
    PlainStream plainStream(bytes);
    for (TQZStream* stream : {static_cast<TQZStream*>(&memoryStream), static_cast<TQZStream*>(&plainStream)}) {
        TQZIceData node;
        ASSERT_TRUE(node.ReadNode(*stream));
        EXPECT_EQ(DataOf(node), "ab");
        EXPECT_EQ(stream->Position(), 18);
        ASSERT_TRUE(node.ReadNode(*stream));
        EXPECT_EQ(node.GetId(), 2u);
        EXPECT_EQ(node.Name(), "n");
        EXPECT_EQ(node.Data().Size(), 0);
        EXPECT_EQ(stream->Position(), static_cast<int64_t>(bytes.size()));
        // At the end nothing is read and nothing moves.
        EXPECT_FALSE(node.ReadNode(*stream));
        EXPECT_EQ(node.Name(), "n");
        EXPECT_EQ(stream->Position(), static_cast<int64_t>(bytes.size()));
    }
}

TEST(TQZIceDataTest, ANodeCanBeReadFromTheDataItIsAboutToReplace)
{
    TQZIceData inner;
    inner.SetName("inner");
    AddText(inner, 3, TextLike(100));
    std::string archive = Save(inner);

    TQZIceData root;
    AddText(root, 1, archive);
    ASSERT_TRUE(root.ReadNode(*root.GetChild(1)->DataStream()));
    EXPECT_EQ(root.Name(), "inner");
    ASSERT_EQ(root.ChildCount(), 1);
    EXPECT_EQ(DataOf(*root.GetChild(1)), TextLike(100));

    ASSERT_EQ(QZRES_OK, root.Data().AssignBytes(archive.data(), static_cast<int32_t>(archive.size())));
    ASSERT_TRUE(root.ReadNode(*root.DataStream()));
    EXPECT_EQ(Save(root), archive);
}

std::string Nested(int levels)
{
    Ice ice;
    for (int i = 0; i < levels; ++i) ice.Head(kMagic, 1, 0, 1);
    return ice.Head(kMagic, 1, 0, 0).bytes;
}

TEST(TQZIceDataTest, DamagedArchivesFailAndLeaveTheNodeAsItWas)
{
    std::string text = TextLike(2000);
    std::string z = Zlib(text);
    std::string corrupt = z;
    corrupt[z.size() / 2] = static_cast<char>(corrupt[z.size() / 2] ^ 0x55);
    corrupt[z.size() / 2 + 1] = static_cast<char>(corrupt[z.size() / 2 + 1] ^ 0x55);
    const uint32_t big = 0x7FFFFFF0;
    struct Case { const char* what; std::string bytes; };
    const Case cases[] = {
        {"15 bytes", Ice().Head(kMagic, 0, 0, 0).bytes.substr(0, 15)},
        {"wrong magic", Ice().Head(0xED1D, 0, 0, 0).bytes},
        {"magic bytes swapped", Ice().Head(0x1CED, 0, 0, 0).bytes},
        {"name longer than the file", Ice().Head(kNamed, 0, 0, 0).U32(5).Raw("abcd").bytes},
        {"negative name length", Ice().Head(kNamed, 0, 0, 0).U32(0xFFFFFFFF).Raw("abcd").bytes},
        {"data longer than the file", Ice().Head(kMagic, 0, 5, 0).Raw("abcd").bytes},
        {"negative data size", Ice().Head(kMagic, 0, 0xFFFFFFFF, 0).bytes},
        {"huge raw data size", Ice().Head(kMagic, 0, big, 0).Raw("abcd").bytes},
        {"packed length past the end", Ice().Head(kPacked, 0, 2000, 0).U32(uint32_t(z.size() + 1)).Raw(z).bytes},
        {"packed length negative", Ice().Head(kPacked, 0, 2000, 0).U32(0x80000000).Raw(z).bytes},
        {"inflated size beyond any deflate ratio", Ice().Head(kPacked, 0, big, 0).U32(uint32_t(z.size())).Raw(z).bytes},
        {"stream ends before the data size", Ice().Head(kPacked, 0, 2001, 0).U32(uint32_t(z.size())).Raw(z).bytes},
        {"corrupt stream", Ice().Head(kPacked, 0, 2000, 0).U32(uint32_t(corrupt.size())).Raw(corrupt).bytes},
        {"truncated stream", Ice().Head(kPacked, 0, 2000, 0).U32(uint32_t(z.size() / 2)).Raw(z.substr(0, z.size() / 2)).bytes},
        {"more children than bytes", Ice().Head(kMagic, 0, 0, 2).Head(kMagic, 1, 0, 0).Raw(std::string(15, 'x')).bytes},
        {"huge child count", Ice().Head(kMagic, 0, 0, big).Head(kMagic, 1, 0, 0).bytes},
        {"negative child count", Ice().Head(kMagic, 0, 0, 0xFFFFFFFF).bytes},
        {"child with a wrong header", Ice().Head(kMagic, 0, 0, 2).Head(kMagic, 1, 0, 0).Head(0, 2, 0, 0).bytes},
        {"grandchild cut short", Ice().Head(kMagic, 0, 0, 1).Head(kMagic, 1, 0, 1).Head(kMagic, 1, 8, 0).Raw("1234").bytes},
        {"nested too deep", Nested(QZICE_MAX_DEPTH + 1)},
    };
    for (const Case& c : cases) {
        TQZIceData node;
        node.SetName("kept");
        ASSERT_EQ(QZRES_OK, node.Data().AssignBytes("old", 3));
        AddText(node, 4, "child");
        EXPECT_FALSE(Load(node, c.bytes)) << c.what;
        EXPECT_EQ(node.Name(), "kept") << c.what;
        EXPECT_EQ(DataOf(node), "old") << c.what;
        ASSERT_EQ(node.ChildCount(), 1) << c.what;
        EXPECT_EQ(DataOf(*node.GetChild(1)), "child") << c.what;

        TQZBytesStream stream(c.bytes.data(), c.bytes.size());
        stream.SetPosition(0);
        EXPECT_FALSE(node.ReadNode(stream)) << c.what;
        EXPECT_EQ(stream.Position(), 0) << c.what;
        EXPECT_EQ(node.Name(), "kept") << c.what;
    }
}

TEST(TQZIceDataTest, DeepestAllowedNestingLoadsAndOneMoreIsNotWritten)
{
    TQZIceData root;
    ASSERT_TRUE(Load(root, Nested(QZICE_MAX_DEPTH)));
    TQZIceData* leaf = &root;
    for (int i = 0; i < QZICE_MAX_DEPTH; ++i) leaf = leaf->GetChild(1);
    ASSERT_NE(leaf, nullptr);
    EXPECT_EQ(Save(root), Nested(QZICE_MAX_DEPTH));

    AddText(*leaf, 1, "too deep");
    std::vector<uint8_t> out;
    EXPECT_FALSE(root.SaveToBytes(out));
}

TEST(TQZIceDataTest, InflationStopsOnceTheDataSizeHasArrived)
{
    std::string text = TextLike(2000);
    std::string z = Zlib(text);
    TQZIceData node;
    ASSERT_TRUE(Load(node, Ice().Head(kPacked, 0, 1500, 0).U32(uint32_t(z.size())).Raw(z).bytes));
    EXPECT_EQ(DataOf(node), text.substr(0, 1500));
}

// A header may claim up to 1032 times its compressed bytes (deflate's best
// ratio); the buffer grows only as the stream proves the data is there.
TEST(TQZIceDataTest, AClaimedSizeCostsNothingUntilTheDataProvesIt)
{
    std::string junk = RandomBytes(64 * 1024, 5);
    std::string real = Zlib(TextLike(1 << 20)) + RandomBytes(60 * 1024, 6);  // 1 MiB, then junk
    constexpr uint32_t kMiB = 1 << 20;
    struct Case {
        const char* what;
        std::string packed;
        uint32_t claimed;
        size_t mostAllocated;
    } cases[] = {
        {"64 KiB of junk claiming 64 MiB", junk, 64 * kMiB, 256 * 1024},
        {"a stream of 1 MiB claiming 60 MiB", real, 60 * kMiB, 2 * kMiB + 64 * 1024},
    };
    for (const Case& c : cases) {
        std::string bytes = Ice().Head(kPacked, 0, c.claimed, 0).U32(uint32_t(c.packed.size())).Raw(c.packed).bytes;
        TQZIceData node;
        largestAllocation = 0;
        EXPECT_FALSE(Load(node, bytes)) << c.what;
        EXPECT_LE(largestAllocation.load(), c.mostAllocated) << c.what;
    }
    // The same doubling still reaches a large size that is really there.
    std::string text = TextLike(3 * kMiB + 17), z = Zlib(text);
    std::string bytes = Ice().Head(kPacked, 0, uint32_t(text.size()), 0).U32(uint32_t(z.size())).Raw(z).bytes;
    TQZIceData node;
    ASSERT_TRUE(Load(node, bytes));
    EXPECT_TRUE(DataOf(node) == text);
}

// ---------------------------------------------------------------- files
TEST(TQZIceDataTest, FilesThatAreMissingShortOrForeignDoNotLoad)
{
    vqtest::TempDir dir;
    vqtest::WriteFile(dir.File("short.ice"), Ice().Head(kMagic, 0, 0, 0).bytes.substr(0, 15));
    vqtest::WriteFile(dir.File("foreign.ice"), "PK\x03\x04 not an archive at all");
    vqtest::WriteFile(dir.File("empty.ice"), "");
    for (const char* name : {"missing.ice", "short.ice", "foreign.ice", "empty.ice"}) {
        EXPECT_EQ(TQZIceData::CreateFromFile(dir.File(name)), nullptr) << name;
        TQZIceData node;
        EXPECT_FALSE(node.LoadFromFile(dir.File(name))) << name;
    }
}

TEST(TQZIceDataTest, FailedSaveReportsFalseAndKeepsTheOldFile)
{
    vqtest::TempDir dir;
    TQZIceData root;
    AddText(root, 1, "first");
    ASSERT_TRUE(root.SaveToFile(dir.File("a.ice")));
    std::string before = vqtest::ReadFile(dir.File("a.ice"));

    EXPECT_FALSE(root.SaveToFile(dir.File("no such folder/a.ice")));

    TQZIceData* leaf = &root;
    for (int i = 0; i <= QZICE_MAX_DEPTH; ++i) leaf = AddText(*leaf, 1, "x");
    EXPECT_FALSE(root.SaveToFile(dir.File("a.ice")));
    EXPECT_EQ(vqtest::ReadFile(dir.File("a.ice")), before);
}

}  // namespace
