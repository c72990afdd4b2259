// The render cache the video layer draws through: commands (texture,
// render states, clips, draws, clears) over a quad buffer, executed at once
// (immediate) or recorded and replayed later (the widgets' caches).
#pragma once

#include "qz7direct3d.h"
#include "qz7quadbuffer.h"

#include <functional>
#include <memory>
#include <vector>

constexpr int32_t QZCMD_TEXTURE = 0;
constexpr int32_t QZCMD_RENDERSTATE = 1;
constexpr int32_t QZCMD_PUSHCLIP = 2;
constexpr int32_t QZCMD_POPCLIP = 3;
constexpr int32_t QZCMD_DRAW = 4;
constexpr int32_t QZCMD_CLEAR = 5;

// One drawing command: a kind and four arguments; a texture command carries
// its object beside them, as a pointer does not fit a 32-bit argument.
struct TQZRenderCommand {
    int32_t kind = 0;
    int32_t args[4] = {};
    TQZD3DImageClass* texture = nullptr;
};

class TQZRenderCache : public TQZClass {
public:
    // nullptr when the vertex buffer cannot be made.
    static std::unique_ptr<TQZRenderCache> Create(int32_t quadCapacity, bool immediate = false);
    ~TQZRenderCache() override;

    virtual void BeginCache();
    virtual void EndCache();
    virtual void Clear();
    virtual void Replay();
    virtual void ReleaseBuffers();

    void SetImmediate(bool immediate);
    bool Immediate() const { return immediate_; }
    void SetTexture(TQZD3DImageClass* texture);
    void SetRenderState(uint32_t state, uint32_t value);
    void SetRenderStates(std::initializer_list<std::pair<uint32_t, uint32_t>> pairs);
    void PushClip(const TQZRect& rect);
    void PopClip(uint8_t flag = 0);
    void AddClear(TQZColour colour);
    int32_t AddQuad(const TQZRect& rect, TQZColour colour, const TQZRectF& texture);
    int32_t AddVertices(int32_t vertexCount, int32_t indexCount, const TQZD3DVertex* vertices, const void* indices,
                        int32_t indexSize);
    void FlushBatch();

    const std::vector<TQZRenderCommand>& Commands() const { return commands_; }
    int32_t QuadCount() const { return quads_; }
    int32_t BatchQuads() const { return batchQuads_; }
    int32_t QuadCapacity() const { return buffer_ ? buffer_->VertexCapacity() / 4 : 0; }
    TQZD3DVertexBuffer* Buffer() const { return buffer_.get(); }
    // The value of the current texture before anything is known.
    static TQZD3DImageClass* UnknownTexture() { return reinterpret_cast<TQZD3DImageClass*>(uintptr_t(1)); }
    TQZD3DImageClass* CurrentTexture() const { return currentTexture_; }

    bool growable = false;

private:
    TQZRenderCache() = default;
    void Append(const TQZRenderCommand& command);
    void Execute(const TQZRenderCommand& command);
    // Grows a full growable buffer and adds again; counts what was added.
    int32_t Added(int32_t result, int32_t quads, const std::function<int32_t()>& again);

    std::vector<TQZRenderCommand> commands_;
    bool immediate_ = false;
    TQZD3DImageClass* currentTexture_ = UnknownTexture();
    int32_t quads_ = 0, batchQuads_ = 0;
    int32_t batchFirstIndex_ = 0, batchFirstVertex_ = 0;
    std::unique_ptr<TQZD3DVertexBuffer> buffer_;
};
