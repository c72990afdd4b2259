// The quad vertex buffer: vertices and 16- or 32-bit indices in device
// buffers, added a quad or a batch at a time, drawn from the marks of what
// is already drawn, wrapping when full (immediate use) or growing (recording).
#pragma once

#include "qz7direct3d.h"

#include <memory>

// Vertex buffer flags.
constexpr uint32_t QZVB_DYNAMIC = 2;
constexpr uint32_t QZVB_USERMEMORY = 4;

// A vertex and index buffer pair of fixed capacity on the device.
class TQZD3DVertexBuffer : public TQZD3DVertexStream {
public:
    // nullptr when the buffers cannot be made.
    static std::unique_ptr<TQZD3DVertexBuffer> Create(TQZDirect3DDevice* device, int32_t vertexCount,
                                                      int32_t indexCount, uint32_t fvf, uint32_t flags = 0);
    ~TQZD3DVertexBuffer() override;

    [[nodiscard]] int32_t Allocate(int32_t vertexCount, int32_t indexCount);
    // Larger buffers keeping what was added (counts and marks too).
    [[nodiscard]] int32_t Grow(int32_t vertexCount, int32_t indexCount);
    [[nodiscard]] int32_t AddVertices(int32_t vertexCount, int32_t indexCount, const TQZD3DVertex* vertices, const void* indices,
                        int32_t indexSize);
    [[nodiscard]] int32_t AddQuad(const TQZRect& rect, TQZColour colour, const TQZRectF& texture);
    void Clear();
    [[nodiscard]] int32_t DrawPending();
    [[nodiscard]] int32_t Draw(int32_t firstVertex, int32_t vertexCount, int32_t firstIndex, int32_t indexCount);
    [[nodiscard]] int32_t Lock(int32_t mode);
    int32_t Unlock();
    void ReleaseBuffers();
    void OnLostDevice() override;
    void OnResetDevice() override;
    void BindStream(plat::softgpu::Device& device) const override;

    int32_t VertexSize() const;
    int32_t VerticesUsed() const { return verticesUsed_; }
    int32_t IndicesUsed() const { return indicesUsed_; }
    int32_t VertexCapacity() const { return vertexCapacity_; }
    int32_t IndexCapacity() const { return indexCapacity_; }
    int32_t DrawnVertexMark() const { return drawnVertices_; }
    bool HasBuffers() const { return vb_ != nullptr; }
    const std::shared_ptr<plat::softgpu::Buffer>& VB() const { return vb_; }
    const std::shared_ptr<plat::softgpu::Buffer>& IB() const { return ib_; }

    bool wrapWhenFull = true;
    bool advanceMarks = true;
    uint32_t flags = 0;
    bool indices32 = false;

private:
    explicit TQZD3DVertexBuffer(TQZDirect3DDevice* device) : device_(device) {}
    [[nodiscard]] int32_t Draw(int32_t firstVertex, int32_t vertexCount, int32_t firstIndex, int32_t indexCount, bool moveMarks);
    int32_t DrawUserMemory(int32_t vertexCount, int32_t indexCount, const TQZD3DVertex* vertices,
                           const void* indices, int32_t indexSize);

    std::shared_ptr<plat::softgpu::Buffer> vb_, ib_;
    TQZDirect3DDevice* device_;
    int32_t verticesUsed_ = 0, indicesUsed_ = 0;
    int32_t drawnVertices_ = 0, drawnIndices_ = 0;
    int32_t indexCapacity_ = 0, vertexCapacity_ = 0;
    uint8_t* lockedVertices_ = nullptr;
    uint8_t* lockedIndices_ = nullptr;
    uint32_t fvf_ = QZFVF_SCREEN;
};
