#include "qz7quadbuffer.h"

#include <cstring>
#include <new>
#include <vector>

namespace sg = plat::softgpu;

std::unique_ptr<TQZD3DVertexBuffer> TQZD3DVertexBuffer::Create(TQZDirect3DDevice* device, int32_t vertexCount,
                                                                int32_t indexCount, uint32_t fvf, uint32_t flags)
{
    std::unique_ptr<TQZD3DVertexBuffer> b(new TQZD3DVertexBuffer(device));
    b->fvf_ = fvf;
    b->flags = flags;
    if (vertexCount > 0 && b->Allocate(vertexCount, indexCount) != QZRES_OK) return nullptr;
    return b;
}

TQZD3DVertexBuffer::~TQZD3DVertexBuffer()
{
    ReleaseBuffers();
}

int32_t TQZD3DVertexBuffer::VertexSize() const
{
    if (fvf_ == QZFVF_SCREEN) return 32;
    if (fvf_ == QZFVF_LITVERTEX) return 36;
    return int32_t(sg::FvfVertexSize(fvf_));
}

int32_t TQZD3DVertexBuffer::Allocate(int32_t vertexCount, int32_t indexCount)
{
    if (!device_ || !device_->IsValid()) return QZRES_D3D_NODEVICE;
    if (vertexCount <= 0 || indexCount <= 0) return QZRES_BADARG;
    ReleaseBuffers();
    // 16-bit indices cannot reach beyond 65536 vertices; larger buffers use 32-bit ones.
    if (vertexCount > 65536) indices32 = true;
    const int64_t vbytes = int64_t(vertexCount) * VertexSize(), ibytes = int64_t(indexCount) * (indices32 ? 4 : 2);
    if (vbytes > 0x40000000 || ibytes > 0x40000000) return QZRES_D3D_OUTOFMEMORY;
    const bool dynamic = (flags & QZVB_DYNAMIC) != 0;
    int32_t r;
    try {
        r = device_->Device()->CreateVertexBuffer(uint32_t(vbytes),
                                                  dynamic ? sg::kUsageDynamic | sg::kUsageWriteOnly : 0, fvf_,
                                                  dynamic ? sg::kPoolDefault : sg::kPoolManaged, vb_);
        if (r == sg::kOk)
            r = device_->Device()->CreateIndexBuffer(
                uint32_t(ibytes), dynamic ? sg::kUsageDynamic | sg::kUsageWriteOnly : sg::kUsageWriteOnly,
                indices32 ? sg::kFormatIndex32 : sg::kFormatIndex16, dynamic ? sg::kPoolDefault : sg::kPoolManaged,
                ib_);
    } catch (const std::bad_alloc&) {
        r = sg::kOutOfMemory;
    }
    if (r != sg::kOk) {
        vb_.reset();
        ib_.reset();
        if (r == sg::kOutOfMemory || r == sg::kOutOfVideoMemory) return QZRES_D3D_OUTOFMEMORY;
        return r == sg::kInvalidCall ? QZRES_BADARG : QZRES_FAILED;
    }
    vertexCapacity_ = vertexCount;
    indexCapacity_ = indexCount;
    verticesUsed_ = indicesUsed_ = drawnVertices_ = drawnIndices_ = 0;
    return QZRES_OK;
}

int32_t TQZD3DVertexBuffer::Grow(int32_t vertexCount, int32_t indexCount)
{
    Unlock();
    std::vector<uint8_t> vertices, indices;
    const bool was32 = indices32;
    if (vb_) vertices.assign(vb_->Data(), vb_->Data() + size_t(verticesUsed_) * size_t(VertexSize()));
    if (ib_) indices.assign(ib_->Data(), ib_->Data() + size_t(indicesUsed_) * (was32 ? 4 : 2));
    const int32_t used = verticesUsed_, usedIndices = indicesUsed_, dv = drawnVertices_, di = drawnIndices_;
    int32_t r = Allocate(vertexCount, indexCount);
    if (r != QZRES_OK) return r;
    void* p = nullptr;
    if (!vertices.empty() && vb_->Lock(0, 0, &p, 0) == sg::kOk) {
        std::memcpy(p, vertices.data(), vertices.size());
        (void)vb_->Unlock();  // fails only when not locked, and it was locked above
    }
    if (!indices.empty() && ib_->Lock(0, 0, &p, 0) == sg::kOk) {
        for (int32_t i = 0; i < usedIndices; ++i) {
            uint32_t v = was32 ? reinterpret_cast<const uint32_t*>(indices.data())[i]
                               : reinterpret_cast<const uint16_t*>(indices.data())[i];
            if (indices32) static_cast<uint32_t*>(p)[i] = v;
            else static_cast<uint16_t*>(p)[i] = uint16_t(v);
        }
        (void)ib_->Unlock();  // fails only when not locked, and it was locked above
    }
    verticesUsed_ = used;
    indicesUsed_ = usedIndices;
    drawnVertices_ = dv;
    drawnIndices_ = di;
    return QZRES_OK;
}

int32_t TQZD3DVertexBuffer::DrawUserMemory(int32_t vertexCount, int32_t indexCount, const TQZD3DVertex* vertices,
                                           const void* indices, int32_t indexSize)
{
    if (!device_ || !device_->Device()) return QZRES_D3D_NODEVICE;
    device_->BindVertexBuffer(nullptr);
    int32_t r = device_->Device()->DrawIndexedPrimitiveUP(
        sg::kPrimitiveTriangleList, 0, uint32_t(vertexCount), uint32_t(indexCount / 3), indices,
        indexSize == 4 ? sg::kFormatIndex32 : sg::kFormatIndex16, vertices, uint32_t(VertexSize()));
    device_->CountDraw(indexCount / 3);
    return r == sg::kOk ? QZRES_OK : QZRES_FAILED;
}

int32_t TQZD3DVertexBuffer::AddVertices(int32_t vertexCount, int32_t indexCount, const TQZD3DVertex* vertices,
                                        const void* indices, int32_t indexSize)
{
    if (vertexCount <= 0 || indexCount <= 0 || !vertices || !indices || (indexSize != 2 && indexSize != 4))
        return QZRES_BADARG;
    if (flags & QZVB_USERMEMORY) return DrawUserMemory(vertexCount, indexCount, vertices, indices, indexSize);
    if (!vb_) return QZRES_D3D_NODEVICE;
    bool wrapped = false;
    if (verticesUsed_ + vertexCount > vertexCapacity_ || indicesUsed_ + indexCount > indexCapacity_) {
        if (!wrapWhenFull) return QZRES_D3D_BUFFERFULL;
        (void)DrawPending();  // the buffer starts again either way; a failed draw costs this frame only
        Clear();
        wrapped = true;
    }
    if (vertexCount > vertexCapacity_ || indexCount > indexCapacity_) {
        if (!wrapWhenFull) return QZRES_D3D_BUFFERFULL;
        DrawUserMemory(vertexCount, indexCount, vertices, indices, indexSize);
        return QZRES_D3D_BUFFERWRAPPED;
    }
    const bool lockedHere = lockedVertices_ == nullptr;
    if (lockedHere && Lock(verticesUsed_ == 0 ? 3 : 0) != QZRES_OK) return QZRES_FAILED;
    const int32_t vsize = VertexSize();
    std::memcpy(lockedVertices_ + size_t(verticesUsed_) * size_t(vsize), vertices, size_t(vertexCount) * size_t(vsize));
    const uint32_t base = uint32_t(verticesUsed_);
    for (int32_t i = 0; i < indexCount; ++i) {
        uint32_t v = indexSize == 4 ? static_cast<const uint32_t*>(indices)[i] : static_cast<const uint16_t*>(indices)[i];
        v += base;
        if (indices32) reinterpret_cast<uint32_t*>(lockedIndices_)[indicesUsed_ + i] = v;
        else reinterpret_cast<uint16_t*>(lockedIndices_)[indicesUsed_ + i] = uint16_t(v);
    }
    verticesUsed_ += vertexCount;
    indicesUsed_ += indexCount;
    if (lockedHere) Unlock();
    return wrapped ? QZRES_D3D_BUFFERWRAPPED : QZRES_OK;
}

int32_t TQZD3DVertexBuffer::AddQuad(const TQZRect& rect, TQZColour colour, const TQZRectF& texture)
{
    const float l = float(rect.left) - 0.5f, t = float(rect.top) - 0.5f;
    const float r = float(rect.right) - 0.5f, b = float(rect.bottom) - 0.5f;
    const TQZD3DVertex v[4] = {{l, t, 0, 1, colour, colour, texture.left, texture.top},
                               {r, t, 0, 1, colour, colour, texture.right, texture.top},
                               {r, b, 0, 1, colour, colour, texture.right, texture.bottom},
                               {l, b, 0, 1, colour, colour, texture.left, texture.bottom}};
    static const uint16_t indices[6] = {0, 1, 2, 0, 2, 3};
    return AddVertices(4, 6, v, indices, 2);
}

void TQZD3DVertexBuffer::Clear()
{
    verticesUsed_ = indicesUsed_ = drawnVertices_ = drawnIndices_ = 0;
}

int32_t TQZD3DVertexBuffer::DrawPending()
{
    if (verticesUsed_ == drawnVertices_) return QZRES_OK;
    return Draw(drawnVertices_, verticesUsed_ - drawnVertices_, drawnIndices_, indicesUsed_ - drawnIndices_,
                advanceMarks);
}

int32_t TQZD3DVertexBuffer::Draw(int32_t firstVertex, int32_t vertexCount, int32_t firstIndex, int32_t indexCount)
{
    return Draw(firstVertex, vertexCount, firstIndex, indexCount, true);
}

int32_t TQZD3DVertexBuffer::Draw(int32_t firstVertex, int32_t vertexCount, int32_t firstIndex, int32_t indexCount,
                                 bool moveMarks)
{
    if (!vb_ || !device_ || !device_->Device()) return QZRES_D3D_NODEVICE;
    Unlock();
    device_->BindVertexBuffer(this);
    int32_t r = device_->Device()->DrawIndexedPrimitive(sg::kPrimitiveTriangleList, 0, uint32_t(firstVertex),
                                                        uint32_t(vertexCount), uint32_t(firstIndex),
                                                        uint32_t(indexCount / 3));
    device_->CountDraw(indexCount / 3);
    if (moveMarks) {
        drawnVertices_ = firstVertex + vertexCount;
        drawnIndices_ = firstIndex + indexCount;
    }
    return r == sg::kOk ? QZRES_OK : QZRES_FAILED;
}

int32_t TQZD3DVertexBuffer::Lock(int32_t mode)
{
    if (!vb_ || !ib_) return QZRES_FAILED;
    if (lockedVertices_) return QZRES_OK;
    uint32_t lockFlags = mode == 1 ? sg::kLockReadOnly : mode == 3 ? sg::kLockDiscard : 0;
    void* v = nullptr;
    void* i = nullptr;
    if (vb_->Lock(0, 0, &v, lockFlags) != sg::kOk) return QZRES_FAILED;
    if (ib_->Lock(0, 0, &i, lockFlags) != sg::kOk) {
        (void)vb_->Unlock();  // fails only when not locked, and it was locked above
        return QZRES_FAILED;
    }
    lockedVertices_ = static_cast<uint8_t*>(v);
    lockedIndices_ = static_cast<uint8_t*>(i);
    return QZRES_OK;
}

int32_t TQZD3DVertexBuffer::Unlock()
{
    if (!lockedVertices_) return QZRES_OK;
    // Fails only when not locked, and it was locked above.
    (void)vb_->Unlock();
    (void)ib_->Unlock();
    lockedVertices_ = lockedIndices_ = nullptr;
    return QZRES_OK;
}

void TQZD3DVertexBuffer::ReleaseBuffers()
{
    Unlock();
    if (device_ && device_->BoundVertexBuffer() == this) device_->BindVertexBuffer(nullptr);
    vb_.reset();
    ib_.reset();
    verticesUsed_ = indicesUsed_ = drawnVertices_ = drawnIndices_ = 0;
}

void TQZD3DVertexBuffer::OnLostDevice()
{
    if (!(flags & QZVB_DYNAMIC)) return;
    const int32_t v = vertexCapacity_, i = indexCapacity_;
    ReleaseBuffers();
    vertexCapacity_ = v;
    indexCapacity_ = i;
}

void TQZD3DVertexBuffer::BindStream(sg::Device& device) const
{
    // Refused only for arguments out of range; these are fixed.
    (void)device.SetStreamSource(0, vb_, 0, uint32_t(VertexSize()));
    (void)device.SetIndices(ib_);
    (void)device.SetFVF(QZFVF_SCREEN);
}

void TQZD3DVertexBuffer::OnResetDevice()
{
    // A buffer that cannot be made again answers its next add with no device.
    if ((flags & QZVB_DYNAMIC) && !vb_ && vertexCapacity_ > 0) (void)Allocate(vertexCapacity_, indexCapacity_);
}
