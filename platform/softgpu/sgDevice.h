// The software graphics device: the object every draw, clear, copy and
// present of the framework goes through. It keeps render, stage and sampler
// states by number, draws indexed triangle lists of screen vertices with the
// CPU rasterizer, and presents by handing the back buffer to a sink (a window)
// or by keeping it for tests to read (headless).
#pragma once

#include "sgResources.h"
#include "sgTypes.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

namespace plat::softgpu {

class Effect;
struct RasterState;

// Effect draws smaller than this many pixels a thread stay on one thread.
constexpr int64_t kEffectPixelsPerThread = 32768;
// The processor's threads, at most four.
int32_t DefaultEffectThreads();

// Receives each presented frame: 32-bit pixels, pitch in bytes, size.
using PresentSink = std::function<void(const uint32_t* pixels, int32_t pitchBytes, int32_t width, int32_t height)>;

class Device {
public:
    // Made by System::CreateDevice.
    explicit Device(const PresentParameters& params);
    ~Device();
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;

    // ------------------------------------------------ life cycle and loss
    // kOk, kDeviceLost (right after a loss) or kDeviceNotReset (lost and
    // waiting for Reset).
    [[nodiscard]] int32_t TestCooperativeLevel();
    // Fails with kInvalidCall while a default-pool object is still alive or
    // the size is refused; the back buffer is made again at the new size and
    // every state returns to its default.
    [[nodiscard]] int32_t Reset(PresentParameters& params);
    // kDeviceLost while lost; otherwise the frame goes to the sink.
    [[nodiscard]] int32_t Present();
    const PresentParameters& Parameters() const { return params_; }

    // Test switch: the device reports loss (Present and TestCooperativeLevel
    // answer kDeviceLost, then TestCooperativeLevel answers kDeviceNotReset)
    // until Reset succeeds.
    void SimulateDeviceLoss();
    bool IsLost() const { return lost_ != LossState::None; }
    int32_t LiveDefaultPoolObjects() const { return liveDefault_->load(); }

    // A sink of its own; without one, frames go to the present router.
    void SetPresentSink(PresentSink sink) { sink_ = std::move(sink); }
    int64_t PresentCount() const { return presents_; }

    // ------------------------------------------------ objects
    [[nodiscard]] int32_t CreateTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage, uint32_t format,
                          uint32_t pool, std::shared_ptr<Texture>& out);
    [[nodiscard]] int32_t CreateOffscreenPlainSurface(uint32_t width, uint32_t height, uint32_t format, uint32_t pool,
                                        std::shared_ptr<Surface>& out);
    [[nodiscard]] int32_t CreateRenderTarget(uint32_t width, uint32_t height, uint32_t format, uint32_t multiSample,
                               uint32_t quality, bool lockable, std::shared_ptr<Surface>& out);
    [[nodiscard]] int32_t CreateVertexBuffer(uint32_t length, uint32_t usage, uint32_t fvf, uint32_t pool,
                               std::shared_ptr<Buffer>& out);
    [[nodiscard]] int32_t CreateIndexBuffer(uint32_t length, uint32_t usage, uint32_t format, uint32_t pool,
                              std::shared_ptr<Buffer>& out);
    int32_t GetBackBuffer(uint32_t swapChain, uint32_t index, std::shared_ptr<Surface>& out) const;
    int32_t GetDepthStencilSurface(std::shared_ptr<Surface>& out) const;

    // ------------------------------------------------ scene and states
    [[nodiscard]] int32_t BeginScene();
    [[nodiscard]] int32_t EndScene();
    bool InScene() const { return inScene_; }
    // rects nullptr = the whole target, else each rectangle within it; both
    // limited by the scissor rectangle when scissoring is on.
    [[nodiscard]] int32_t Clear(uint32_t count, const Rect* rects, uint32_t flags, uint32_t colour, float z, uint32_t stencil);

    [[nodiscard]] int32_t SetRenderState(uint32_t state, uint32_t value);
    int32_t GetRenderState(uint32_t state, uint32_t& value) const;
    [[nodiscard]] int32_t SetTextureStageState(uint32_t stage, uint32_t type, uint32_t value);
    int32_t GetTextureStageState(uint32_t stage, uint32_t type, uint32_t& value) const;
    [[nodiscard]] int32_t SetSamplerState(uint32_t sampler, uint32_t type, uint32_t value);
    int32_t GetSamplerState(uint32_t sampler, uint32_t type, uint32_t& value) const;
    [[nodiscard]] int32_t SetTexture(uint32_t stage, std::shared_ptr<Texture> texture);
    std::shared_ptr<Texture> GetTexture(uint32_t stage) const;
    [[nodiscard]] int32_t SetFVF(uint32_t fvf);
    uint32_t GetFVF() const { return fvf_; }
    // Programmable stages do not exist here; clearing the shader is accepted.
    int32_t ClearVertexShader() { return kOk; }
    [[nodiscard]] int32_t SetStreamSource(uint32_t stream, std::shared_ptr<Buffer> buffer, uint32_t offset, uint32_t stride);
    [[nodiscard]] int32_t SetIndices(std::shared_ptr<Buffer> buffer);
    // index 0 only; nullptr is refused (the back buffer is set by passing it).
    [[nodiscard]] int32_t SetRenderTarget(uint32_t index, std::shared_ptr<Surface> surface);
    int32_t GetRenderTarget(uint32_t index, std::shared_ptr<Surface>& out) const;
    [[nodiscard]] int32_t SetScissorRect(const Rect& rect);
    int32_t GetScissorRect(Rect& out) const;

    // ------------------------------------------------ drawing
    [[nodiscard]] int32_t DrawIndexedPrimitive(uint32_t type, int32_t baseVertex, uint32_t minIndex, uint32_t numVertices,
                                 uint32_t startIndex, uint32_t primitiveCount);
    [[nodiscard]] int32_t DrawIndexedPrimitiveUP(uint32_t type, uint32_t minIndex, uint32_t numVertices, uint32_t primitiveCount,
                                   const void* indices, uint32_t indexFormat, const void* vertices,
                                   uint32_t stride);
    [[nodiscard]] int32_t DrawPrimitiveUP(uint32_t type, uint32_t primitiveCount, const void* vertices, uint32_t stride);

    // The effect's technique over the rectangle of the render target (within
    // the scissor rectangle when that is on): texture coordinates run from
    // (u0, v0) at its top-left corner to (u1, v1) at its bottom-right, the
    // colours written as the blend and write-mask states say. Counted as a
    // draw of two triangles; a lost device draws nothing.
    [[nodiscard]] int32_t DrawEffect(Effect& effect, int32_t technique, const Rect& dest, float u0, float v0, float u1, float v1);
    // Threads an effect draw may use (1 ..); each takes a band of rows.
    void SetEffectThreads(int32_t threads) { effectThreads_ = threads < 1 ? 1 : threads; }
    int32_t EffectThreads() const { return effectThreads_; }

    // Totals since creation, for tests and the statistics panel.
    int64_t DrawCallCount() const { return drawCalls_; }
    int64_t TriangleCount() const { return triangles_; }

    // ------------------------------------------------ copies
    // Scaled copy between colour surfaces (filter kFilterNone/kFilterPoint
    // nearest, kFilterLinear bilinear); rects nullptr = whole surface.
    [[nodiscard]] int32_t StretchRect(Surface* source, const Rect* sourceRect, Surface* dest, const Rect* destRect,
                        uint32_t filter);
    [[nodiscard]] int32_t ColorFill(Surface* surface, const Rect* rect, uint32_t colour);
    // Unscaled copy; destPoint nullptr = the same position as the source.
    [[nodiscard]] int32_t UpdateSurface(Surface* source, const Rect* sourceRect, Surface* dest, const Point* destPoint);

private:
    enum class LossState { None, Lost, NotReset };
    void MakeBackBuffer();
    void DefaultStates();
    bool CurrentRasterState(RasterState& st) const;
    [[nodiscard]] int32_t DrawTriangles(const uint8_t* vertices, uint32_t vertexBytes, uint32_t stride, const void* indices,
                          bool indices32, uint32_t indexCount, int32_t baseVertex);

    PresentParameters params_;
    std::shared_ptr<std::atomic<int32_t>> liveDefault_;
    std::shared_ptr<Surface> backBuffer_, depth_, target_;
    std::array<uint32_t, kRenderStateCount> renderStates_{};
    std::array<uint32_t, kStageStateCount> stageStates_{};
    std::array<uint32_t, kSamplerStateCount> samplerStates_{};
    std::shared_ptr<Texture> texture_;
    std::shared_ptr<Buffer> stream_, indexBuffer_;
    uint32_t streamOffset_ = 0, streamStride_ = 0, fvf_ = 0;
    Rect scissor_{};
    bool inScene_ = false;
    LossState lost_ = LossState::None;
    PresentSink sink_;
    int64_t presents_ = 0, drawCalls_ = 0, triangles_ = 0;
    int32_t effectThreads_ = DefaultEffectThreads();
};

}  // namespace plat::softgpu
