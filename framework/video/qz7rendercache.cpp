#include "qz7rendercache.h"

std::unique_ptr<TQZRenderCache> TQZRenderCache::Create(int32_t quadCapacity, bool immediate)
{
    std::unique_ptr<TQZRenderCache> cache(new TQZRenderCache());
    if (quadCapacity < 1) return nullptr;
    cache->buffer_ = TQZD3DVertexBuffer::Create(Direct3DDevice(), quadCapacity * 4, quadCapacity * 6, QZFVF_SCREEN);
    if (!cache->buffer_ || !cache->buffer_->HasBuffers()) return nullptr;
    cache->SetImmediate(immediate);
    return cache;
}

TQZRenderCache::~TQZRenderCache()
{
    ReleaseBuffers();
}

void TQZRenderCache::SetImmediate(bool immediate)
{
    immediate_ = immediate;
    if (buffer_) {
        buffer_->wrapWhenFull = immediate;
        buffer_->advanceMarks = immediate;
    }
}

void TQZRenderCache::BeginCache()
{
    if (immediate_) Clear();
    currentTexture_ = UnknownTexture();
}

void TQZRenderCache::EndCache()
{
    FlushBatch();
}

void TQZRenderCache::Clear()
{
    if (buffer_) buffer_->Clear();
    commands_.clear();
    currentTexture_ = UnknownTexture();
    quads_ = batchQuads_ = batchFirstIndex_ = batchFirstVertex_ = 0;
}

void TQZRenderCache::Replay()
{
    const std::vector<TQZRenderCommand> list = commands_;
    for (const TQZRenderCommand& c : list) Execute(c);
}

void TQZRenderCache::ReleaseBuffers()
{
    buffer_.reset();
    commands_.clear();
    commands_.shrink_to_fit();
}

void TQZRenderCache::Append(const TQZRenderCommand& command)
{
    if (command.kind != QZCMD_DRAW && batchQuads_ > 0) FlushBatch();
    if (immediate_) Execute(command);
    else commands_.push_back(command);
}

void TQZRenderCache::Execute(const TQZRenderCommand& c)
{
    TQZDirect3DDevice* device = Direct3DDevice();
    if (!device) return;
    // A command that fails costs this frame's pixels only; a lost device
    // shows at Present and the next BeginScene.
    switch (c.kind) {
    case QZCMD_TEXTURE: device->SetTexture(c.texture); break;
    case QZCMD_RENDERSTATE: device->SetRenderState(uint32_t(c.args[0]), uint32_t(c.args[1])); break;
    case QZCMD_PUSHCLIP: device->ClipStack()->Push({c.args[0], c.args[1], c.args[2], c.args[3]}, true); break;
    case QZCMD_POPCLIP: device->ClipStack()->Pop(); break;
    case QZCMD_DRAW:
        if (buffer_) (void)buffer_->Draw(c.args[0], c.args[1], c.args[2], c.args[3]);
        break;
    case QZCMD_CLEAR: (void)device->Clear(TQZColour(c.args[0])); break;
    default: break;
    }
}

void TQZRenderCache::FlushBatch()
{
    if (batchQuads_ <= 0 || !buffer_) return;
    TQZRenderCommand draw;
    draw.kind = QZCMD_DRAW;
    draw.args[0] = batchFirstVertex_;
    draw.args[1] = buffer_->VerticesUsed() - batchFirstVertex_;
    draw.args[2] = batchFirstIndex_;
    draw.args[3] = buffer_->IndicesUsed() - batchFirstIndex_;
    batchQuads_ = 0;
    batchFirstVertex_ = buffer_->VerticesUsed();
    batchFirstIndex_ = buffer_->IndicesUsed();
    Append(draw);
}

void TQZRenderCache::SetTexture(TQZD3DImageClass* texture)
{
    if (texture == currentTexture_) return;
    currentTexture_ = texture;
    TQZRenderCommand c;
    c.kind = QZCMD_TEXTURE;
    c.texture = texture;
    Append(c);
}

void TQZRenderCache::SetRenderState(uint32_t state, uint32_t value)
{
    TQZRenderCommand c;
    c.kind = QZCMD_RENDERSTATE;
    c.args[0] = int32_t(state);
    c.args[1] = int32_t(value);
    Append(c);
}

void TQZRenderCache::SetRenderStates(std::initializer_list<std::pair<uint32_t, uint32_t>> pairs)
{
    for (const auto& p : pairs) SetRenderState(p.first, p.second);
}

void TQZRenderCache::PushClip(const TQZRect& rect)
{
    TQZRenderCommand c;
    c.kind = QZCMD_PUSHCLIP;
    c.args[0] = rect.left;
    c.args[1] = rect.top;
    c.args[2] = rect.right;
    c.args[3] = rect.bottom;
    Append(c);
}

void TQZRenderCache::PopClip(uint8_t flag)
{
    TQZRenderCommand c;
    c.kind = QZCMD_POPCLIP;
    c.args[0] = flag;
    Append(c);
}

void TQZRenderCache::AddClear(TQZColour colour)
{
    TQZRenderCommand c;
    c.kind = QZCMD_CLEAR;
    c.args[0] = int32_t(colour);
    Append(c);
}

int32_t TQZRenderCache::Added(int32_t result, int32_t quads, const std::function<int32_t()>& again)
{
    if (result == QZRES_D3D_BUFFERFULL && growable) {
        const int32_t capacity = QuadCapacity() + 128;
        if (buffer_->Grow(capacity * 4, capacity * 6) != QZRES_OK) return result;
        result = again();
    }
    if (result == QZRES_D3D_BUFFERWRAPPED) batchFirstVertex_ = batchFirstIndex_ = 0;
    if (result == QZRES_OK || result == QZRES_D3D_BUFFERWRAPPED) {
        quads_ += quads;
        batchQuads_ += quads;
    }
    return result;
}

int32_t TQZRenderCache::AddQuad(const TQZRect& rect, TQZColour colour, const TQZRectF& texture)
{
    if (!buffer_) return QZRES_FAILED;
    auto add = [&] { return buffer_->AddQuad(rect, colour, texture); };
    return Added(add(), 1, add);
}

int32_t TQZRenderCache::AddVertices(int32_t vertexCount, int32_t indexCount, const TQZD3DVertex* vertices,
                                    const void* indices, int32_t indexSize)
{
    if (!buffer_) return QZRES_FAILED;
    auto add = [&] { return buffer_->AddVertices(vertexCount, indexCount, vertices, indices, indexSize); };
    return Added(add(), vertexCount / 4 + vertexCount % 4, add);
}
