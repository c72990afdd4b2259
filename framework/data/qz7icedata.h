// Nodes of .ice archives: a tree of nodes, each with a numeric id, an
// optional name, a block of data that may be stored zlib-compressed, and
// child nodes, kept depth first in one little-endian file.
#pragma once

#include "qz7array.h"
#include "qz7memory.h"

#include <memory>
#include <string>
#include <vector>

constexpr uint32_t QZICE_MAGIC = 0xED1C;
constexpr uint32_t QZICE_MAGIC_MASK = 0xFFFF;
constexpr uint32_t QZICE_FLAG_NAME = 1u << 24;
constexpr uint32_t QZICE_FLAG_COMPRESSED = 1u << 27;
constexpr int32_t QZICE_HEADER_SIZE = 16;
// Smaller data is never worth compressing.
constexpr int32_t QZICE_MIN_COMPRESS = 32;
// Compression is kept only when it saves more than this many bytes.
constexpr int32_t QZICE_MIN_SAVING = 32;
// Levels of nodes below the root that a file may hold; deeper trees are
// refused by the reader and the writer alike.
constexpr int32_t QZICE_MAX_DEPTH = 64;
// Bytes of compressed data one load may inflate to, over all its nodes.
constexpr int64_t QZICE_MAX_INFLATED = int64_t(1) << 30;

// The on-disk header of a node.
struct TQZIceHeader {
    uint32_t flags = QZICE_MAGIC;
    uint32_t id = 0;
    int32_t dataSize = 0;
    int32_t childCount = 0;
};

class TQZIceReader;

class TQZIceData : public TQZClass {
public:
    TQZIceData();
    ~TQZIceData() override;
    // nullptr when the file does not load.
    static std::unique_ptr<TQZIceData> CreateFromFile(const std::string& fileName);

    // Frees the children, zeroes the header (magic kept), empties data and name.
    void Reset();

    // A load either succeeds whole or leaves the node as it was: the file is
    // read into a fresh tree that replaces this node's content only when
    // every node of it read correctly.
    [[nodiscard]] bool LoadFromFile(const std::string& fileName);
    [[nodiscard]] bool LoadFromBytes(const void* bytes, int64_t size);
    // Reads one node and its subtree from the stream's position; on success
    // the position moves past it, on failure neither node nor stream change.
    bool ReadNode(TQZStream& stream);

    // Written through a temporary file renamed over the target; false (the
    // old file untouched) when the tree is too deep or the file fails.
    [[nodiscard]] bool SaveToFile(const std::string& fileName);
    [[nodiscard]] bool SaveToBytes(std::vector<uint8_t>& out);
    // Writes the node and its subtree at the stream's position. Updates the
    // header's data size and child count, and clears the compressed flag of
    // nodes whose compression would not pay.
    bool WriteNode(TQZStream& stream);

    const std::string& Name() const { return name_; }
    void SetName(const std::string& name);
    bool IsCompressed() const { return (header_.flags & QZICE_FLAG_COMPRESSED) != 0; }
    // Asks the writer to compress; it keeps compression only when that pays.
    void SetCompressed(bool compressed);
    uint32_t GetId() const { return header_.id; }
    void SetId(uint32_t id) { header_.id = id; }
    const TQZIceHeader& Header() const { return header_; }
    TQZIceData* Parent() const { return parent_; }

    TQZIceData* GetChildById(uint32_t id) const;
    bool HasChild(uint32_t id) const { return IndexOfId(id) != 0; }
    // 1-based index of the child with the id; 0 when none.
    int32_t IndexOfId(uint32_t id) const;
    // Frees the child with the id; false when there is none.
    bool DeleteChild(uint32_t id);
    // A child already holding the id is freed; the node takes the id and is
    // appended at the end. Returns the node.
    TQZIceData* AddChild(uint32_t id, std::unique_ptr<TQZIceData> node);
    TQZIceData* AddChildMemory(uint32_t id, const TQZMemory& memory);
    TQZIceData* AddChildBuffer(uint32_t id, const void* data, int32_t count);
    // Copies min(count, data size) bytes of the data of the child with the id
    // (id 0: this node's own data); a result code as TQZMemory::Read.
    int32_t ReadData(uint32_t id, void* buffer, int32_t count) const;
    // The smallest id >= 1 that no child holds.
    uint32_t NextFreeId() const;
    // Id of the first direct child with exactly this name; 0 when none.
    uint32_t IdOfName(const std::string& name) const;
    // This node or the first match depth first; nullptr when none.
    TQZIceData* FindByName(const std::string& name);

    int32_t ChildCount() const { return children_.Count(); }
    TQZIceData* GetChild(int32_t index) const { return children_.At<TQZIceData>(index); }
    uint32_t IdAt(int32_t index) const;
    TQZMemory& Data() { return data_; }
    const TQZMemory& Data() const { return data_; }
    TQZMemoryStream* DataStream() { return data_.Stream(); }

private:
    friend class TQZIceReader;
    bool Parse(TQZIceReader& reader, int32_t depth);
    bool Write(TQZStream& stream, std::vector<uint8_t>& scratch, int32_t depth);
    // False (nothing changed) when the children cannot be taken.
    [[nodiscard]] bool TakeContent(TQZIceData& from);
    void FreeChildAt(int32_t index);

    TQZIceHeader header_;
    TQZMemory data_;
    TQZIceData* parent_ = nullptr;
    TQZArray children_{1};
    std::string name_;
};
