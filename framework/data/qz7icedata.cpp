#include "qz7icedata.h"

#include "qz7files.h"

#include <algorithm>
#include <climits>
#include <unordered_map>
#include <zlib.h>

namespace {

// A deflate stream cannot expand more than 1032 to 1, so a header claiming
// more than that of its compressed bytes is lying; checked before allocating.
constexpr int64_t kMaxInflateRatio = 1032;

uint32_t GetLE(const uint8_t* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

void PutLE(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}

bool Put(TQZStream& stream, const void* bytes, int64_t count)
{
    return count <= 0 || stream.Write(bytes, count) == count;
}

// The first output buffer of an inflation; it doubles each time the stream
// fills it, up to the size the header claims. A header that lies about the
// size then costs about twice what the data really inflates to, never the
// claim.
constexpr int32_t kFirstInflateBuffer = 64 * 1024;

// Inflates exactly size bytes into out; the stream may hold more, but it
// must not be corrupt or end early. out is left empty on failure.
bool Inflate(const uint8_t* in, int64_t inCount, TQZMemory& out, int32_t size)
{
    out.Clear();
    if (size == 0) return true;
    z_stream zs{};
    if (inflateInit(&zs) != Z_OK) return false;
    zs.next_in = const_cast<Bytef*>(in);
    zs.avail_in = static_cast<uInt>(inCount);
    int32_t done = 0;
    bool ok = false;
    for (;;) {
        if (done == out.Size()) {
            int64_t grown = std::min<int64_t>(size, std::max<int64_t>(kFirstInflateBuffer, int64_t(done) * 2));
            if (out.ResizeForOverwrite(static_cast<int32_t>(grown)) != QZRES_OK) break;
        }
        zs.next_out = out.Data() + done;
        zs.avail_out = static_cast<uInt>(out.Size() - done);
        int r = inflate(&zs, Z_NO_FLUSH);
        done = out.Size() - static_cast<int32_t>(zs.avail_out);
        if (done == size) {
            ok = true;
            break;
        }
        // Ended early, corrupt, or out of input (no progress possible).
        if (r != Z_OK) break;
    }
    inflateEnd(&zs);
    if (!ok) out.Clear();
    return ok;
}

// Deflates into out, which must be able to hold at most limit bytes; the
// compressed length, or -1 when the stream does not fit (compression would
// not pay) or zlib fails. The bytes equal those of chunked deflation: the
// output of deflate does not depend on how its buffers are split.
int64_t Deflate(const uint8_t* in, int32_t size, std::vector<uint8_t>& out, int32_t limit)
{
    if (limit <= 0) return -1;
    if (out.size() < static_cast<size_t>(limit)) out.resize(static_cast<size_t>(limit));
    z_stream zs{};
    if (deflateInit(&zs, Z_DEFAULT_COMPRESSION) != Z_OK) return -1;
    zs.next_in = const_cast<Bytef*>(in);
    zs.avail_in = static_cast<uInt>(size);
    zs.next_out = out.data();
    zs.avail_out = static_cast<uInt>(limit);
    int r = deflate(&zs, Z_FINISH);
    int64_t n = r == Z_STREAM_END ? static_cast<int64_t>(zs.total_out) : -1;
    deflateEnd(&zs);
    return n;
}

}  // namespace

// A cursor over the bytes of an archive; every length taken from them is
// checked against what is left before it is used.
class TQZIceReader {
public:
    TQZIceReader(const uint8_t* bytes, int64_t size) : bytes_(bytes), size_(size) {}
    int64_t Left() const { return size_ - pos_; }
    int64_t Position() const { return pos_; }
    const uint8_t* Here() const { return bytes_ + pos_; }
    bool DWord(uint32_t& v)
    {
        if (Left() < 4) return false;
        v = GetLE(Here());
        pos_ += 4;
        return true;
    }
    // A length of count bytes that must all be present.
    bool Length(int64_t& count)
    {
        uint32_t v;
        if (!DWord(v)) return false;
        count = static_cast<int32_t>(v);
        return count >= 0 && count <= Left();
    }
    void Skip(int64_t count) { pos_ += count; }
    // Takes size bytes from what this load may still inflate.
    bool Spend(int64_t size)
    {
        if (size > budget_) return false;
        budget_ -= size;
        return true;
    }

private:
    const uint8_t* bytes_;
    int64_t size_;
    int64_t pos_ = 0;
    int64_t budget_ = QZICE_MAX_INFLATED;
};

// ---------------------------------------------------------------- life
TQZIceData::TQZIceData()
{
    Reset();
}

TQZIceData::~TQZIceData()
{
    Reset();
}

std::unique_ptr<TQZIceData> TQZIceData::CreateFromFile(const std::string& fileName)
{
    auto node = std::make_unique<TQZIceData>();
    if (!node->LoadFromFile(fileName)) return nullptr;
    return node;
}

void TQZIceData::FreeChildAt(int32_t index)
{
    // The array owns its items: adopt the child to free it.
    std::unique_ptr<TQZIceData> child(GetChild(index));
    children_.Delete(index);
    if (child) child->parent_ = nullptr;
}

void TQZIceData::Reset()
{
    for (int32_t i = children_.High(); i >= children_.Low(); --i) FreeChildAt(i);
    children_.Clear();
    header_ = TQZIceHeader{};
    data_.Clear();
    data_.Stream()->SetPosition(0);
    name_.clear();
}

bool TQZIceData::TakeContent(TQZIceData& from)
{
    // Room for every child first, so that no child can be left out below;
    // Clear keeps the room.
    const int32_t count = from.children_.Count();
    if (count > 0 && children_.Grow(children_.Low() + count - 1) != QZRES_OK) return false;
    Reset();
    header_ = from.header_;
    name_ = std::move(from.name_);
    data_.Swap(from.data_);
    for (int32_t i = from.children_.Low(); i <= from.children_.High(); ++i) {
        auto* child = from.GetChild(i);
        child->parent_ = this;
        (void)children_.Add(child);  // cannot fail: the room was made above
    }
    from.children_.Clear();
    from.Reset();
    return true;
}

// ---------------------------------------------------------------- fields
void TQZIceData::SetName(const std::string& name)
{
    name_ = name;
    if (name_.empty()) header_.flags &= ~QZICE_FLAG_NAME;
    else header_.flags |= QZICE_FLAG_NAME;
}

void TQZIceData::SetCompressed(bool compressed)
{
    if (compressed) header_.flags |= QZICE_FLAG_COMPRESSED;
    else header_.flags &= ~QZICE_FLAG_COMPRESSED;
}

// ---------------------------------------------------------------- children
int32_t TQZIceData::IndexOfId(uint32_t id) const
{
    for (int32_t i = children_.Low(); i <= children_.High(); ++i)
        if (GetChild(i)->header_.id == id) return i;
    return 0;
}

TQZIceData* TQZIceData::GetChildById(uint32_t id) const
{
    int32_t i = IndexOfId(id);
    return i ? GetChild(i) : nullptr;
}

uint32_t TQZIceData::IdAt(int32_t index) const
{
    TQZIceData* child = GetChild(index);
    return child ? child->header_.id : 0;
}

bool TQZIceData::DeleteChild(uint32_t id)
{
    int32_t i = IndexOfId(id);
    if (!i) return false;
    FreeChildAt(i);
    return true;
}

TQZIceData* TQZIceData::AddChild(uint32_t id, std::unique_ptr<TQZIceData> node)
{
    if (!node) return nullptr;
    DeleteChild(id);
    node->header_.id = id;
    node->parent_ = this;
    TQZIceData* raw = node.get();
    if (children_.Add(raw) < 0) {
        node->parent_ = nullptr;
        return nullptr;
    }
    node.release();  // owned by children_ now
    return raw;
}

TQZIceData* TQZIceData::AddChildBuffer(uint32_t id, const void* data, int32_t count)
{
    auto node = std::make_unique<TQZIceData>();
    if (count > 0 && (!data || node->data_.AssignBytes(data, count) != QZRES_OK)) return nullptr;
    return AddChild(id, std::move(node));
}

TQZIceData* TQZIceData::AddChildMemory(uint32_t id, const TQZMemory& memory)
{
    return AddChildBuffer(id, memory.Data(), memory.Size());
}

int32_t TQZIceData::ReadData(uint32_t id, void* buffer, int32_t count) const
{
    const TQZIceData* node = id == 0 ? this : GetChildById(id);
    if (!node) return ErrorResult(QZRES_BADARG);
    return node->data_.Read(buffer, std::min(count, node->data_.Size()), 0);
}

uint32_t TQZIceData::NextFreeId() const
{
    std::vector<uint32_t> ids;
    ids.reserve(static_cast<size_t>(ChildCount()));
    for (int32_t i = children_.Low(); i <= children_.High(); ++i) ids.push_back(IdAt(i));
    std::sort(ids.begin(), ids.end());
    uint32_t next = 1;
    for (uint32_t id : ids) {
        if (id == next) ++next;
        else if (id > next) break;
    }
    return next;
}

uint32_t TQZIceData::IdOfName(const std::string& name) const
{
    for (int32_t i = children_.Low(); i <= children_.High(); ++i)
        if (GetChild(i)->name_ == name) return IdAt(i);
    return 0;
}

TQZIceData* TQZIceData::FindByName(const std::string& name)
{
    if (name_ == name) return this;
    for (int32_t i = children_.Low(); i <= children_.High(); ++i)
        if (TQZIceData* found = GetChild(i)->FindByName(name)) return found;
    return nullptr;
}

// ---------------------------------------------------------------- reading
bool TQZIceData::LoadFromFile(const std::string& fileName)
{
    TQZMemory file;
    if (file.LoadFromFile(fileName) != QZRES_OK) return false;
    return LoadFromBytes(file.Data(), file.Size());
}

bool TQZIceData::LoadFromBytes(const void* bytes, int64_t size)
{
    if (!bytes || size < QZICE_HEADER_SIZE) return false;
    TQZIceReader reader(static_cast<const uint8_t*>(bytes), size);
    TQZIceData fresh;
    if (!fresh.Parse(reader, 0)) return false;
    return TakeContent(fresh);
}

bool TQZIceData::ReadNode(TQZStream& stream)
{
    int64_t start = stream.Position();
    if (start < 0 || start > stream.Size()) return false;
    const uint8_t* base = nullptr;
    int64_t available = stream.Size() - start;
    std::vector<uint8_t> copy;
    if (auto* ms = dynamic_cast<TQZMemoryStream*>(&stream)) {
        base = ms->Memory()->Data() + start;
    } else if (auto* bs = dynamic_cast<TQZBytesStream*>(&stream)) {
        base = bs->Bytes().data() + start;
    } else {
        copy.resize(static_cast<size_t>(available));
        available = std::max<int64_t>(0, stream.Read(copy.data(), available));
        stream.SetPosition(start);
        base = copy.data();
    }
    TQZIceReader reader(base, available);
    TQZIceData fresh;
    if (!fresh.Parse(reader, 0)) return false;
    // The stream may belong to a node freed below: move it first.
    stream.SetPosition(start + reader.Position());
    return TakeContent(fresh);
}

bool TQZIceData::Parse(TQZIceReader& reader, int32_t depth)
{
    if (depth > QZICE_MAX_DEPTH) return false;
    TQZIceHeader h;
    uint32_t size, count;
    if (!reader.DWord(h.flags) || !reader.DWord(h.id) || !reader.DWord(size) || !reader.DWord(count)) return false;
    if ((h.flags & QZICE_MAGIC_MASK) != QZICE_MAGIC) return false;
    h.dataSize = static_cast<int32_t>(size);
    h.childCount = static_cast<int32_t>(count);
    header_ = h;
    if (h.flags & QZICE_FLAG_NAME) {
        int64_t length;
        if (!reader.Length(length)) return false;
        SetName(std::string(reinterpret_cast<const char*>(reader.Here()), static_cast<size_t>(length)));
        reader.Skip(length);
    }
    if (h.dataSize < 0) return false;
    if (h.flags & QZICE_FLAG_COMPRESSED) {
        int64_t packed;
        if (!reader.Length(packed)) return false;
        if (h.dataSize > packed * kMaxInflateRatio || !reader.Spend(h.dataSize)) return false;
        if (!Inflate(reader.Here(), packed, data_, h.dataSize)) return false;
        reader.Skip(packed);
    } else {
        if (h.dataSize > reader.Left()) return false;
        if (h.dataSize > 0 && data_.AssignBytes(reader.Here(), h.dataSize) != QZRES_OK) return false;
        reader.Skip(h.dataSize);
    }
    // Every child takes at least a header.
    if (h.childCount < 0 || h.childCount > reader.Left() / QZICE_HEADER_SIZE) return false;
    std::vector<std::unique_ptr<TQZIceData>> read;
    read.reserve(static_cast<size_t>(h.childCount));
    std::unordered_map<uint32_t, size_t> lastOfId;
    for (int32_t i = 0; i < h.childCount; ++i) {
        auto child = std::make_unique<TQZIceData>();
        if (!child->Parse(reader, depth + 1)) return false;
        lastOfId[child->header_.id] = read.size();
        read.push_back(std::move(child));
    }
    // A later child with the same id replaces an earlier one, as adding
    // them one by one would; done in one pass to stay linear.
    for (size_t i = 0; i < read.size(); ++i) {
        if (lastOfId[read[i]->header_.id] != i) continue;
        read[i]->parent_ = this;
        if (children_.Add(read[i].get()) < 0) return false;
        read[i].release();  // owned by children_ now
    }
    return true;
}

// ---------------------------------------------------------------- writing
bool TQZIceData::SaveToBytes(std::vector<uint8_t>& out)
{
    TQZBytesStream stream;
    if (!WriteNode(stream)) return false;
    out = std::move(stream.Bytes());
    return true;
}

bool TQZIceData::SaveToFile(const std::string& fileName)
{
    std::vector<uint8_t> bytes;
    if (!SaveToBytes(bytes)) return false;
    return WriteFileAtomic(fileName, bytes.data(), static_cast<int64_t>(bytes.size())) == QZRES_OK;
}

bool TQZIceData::WriteNode(TQZStream& stream)
{
    std::vector<uint8_t> scratch;
    return Write(stream, scratch, 0);
}

bool TQZIceData::Write(TQZStream& stream, std::vector<uint8_t>& scratch, int32_t depth)
{
    // A tree the reader would refuse is not written at all.
    if (depth > QZICE_MAX_DEPTH) return false;
    header_.dataSize = data_.Size();
    header_.childCount = ChildCount();
    int64_t packed = -1;
    if (IsCompressed() && header_.dataSize >= QZICE_MIN_COMPRESS)
        packed = Deflate(data_.Data(), header_.dataSize, scratch, header_.dataSize - QZICE_MIN_SAVING - 1);
    SetCompressed(packed >= 0);

    uint8_t head[QZICE_HEADER_SIZE];
    PutLE(head, header_.flags);
    PutLE(head + 4, header_.id);
    PutLE(head + 8, static_cast<uint32_t>(header_.dataSize));
    PutLE(head + 12, static_cast<uint32_t>(header_.childCount));
    if (!Put(stream, head, sizeof head)) return false;
    uint8_t length[4];
    if (!name_.empty()) {
        if (name_.size() > INT32_MAX) return false;
        PutLE(length, static_cast<uint32_t>(name_.size()));
        if (!Put(stream, length, 4) || !Put(stream, name_.data(), static_cast<int64_t>(name_.size()))) return false;
    }
    if (packed >= 0) {
        PutLE(length, static_cast<uint32_t>(packed));
        if (!Put(stream, length, 4) || !Put(stream, scratch.data(), packed)) return false;
    } else if (!Put(stream, data_.Data(), header_.dataSize)) {
        return false;
    }
    for (int32_t i = children_.Low(); i <= children_.High(); ++i)
        if (!GetChild(i)->Write(stream, scratch, depth + 1)) return false;
    return true;
}
