// The device layer over the software graphics device: the Direct3D singleton
// (adapter, display modes, capabilities), its device (creation, present
// parameters, default states, scenes, render targets, scissor clipping, loss
// and reset with listeners), the quad vertex buffer and the render cache that
// the video layer draws through.
#pragma once

#include "qz7core.h"
#include "qz7threads.h"
#include "sgSystem.h"

#include <memory>
#include <vector>

// ---------------------------------------------------------------- results
constexpr int32_t QZRES_VIDEO_NOTSUPPORTED = 5;
constexpr int32_t QZRES_D3D_NODIRECT3D = 10241;
constexpr int32_t QZRES_D3D_NOFULLSCREENMODE = 10242;
constexpr int32_t QZRES_D3D_NODEVICE = 10243;
constexpr int32_t QZRES_D3D_DEVICELOST = 10244;
constexpr int32_t QZRES_D3D_NOSCENE = 10245;
constexpr int32_t QZRES_D3D_OUTOFMEMORY = 10247;
constexpr int32_t QZRES_D3D_BUFFERFULL = 10248;
constexpr int32_t QZRES_D3D_BUFFERWRAPPED = 10249;

// Window kinds of creation and reset.
constexpr int32_t QZWINDOW_WINDOWED = 0;
constexpr int32_t QZWINDOW_BORDERLESS = 1;
constexpr int32_t QZWINDOW_FULLSCREEN = 2;

// Vertex buffer flags.
constexpr uint32_t QZVB_DYNAMIC = 2;
constexpr uint32_t QZVB_USERMEMORY = 4;

constexpr uint32_t QZFVF_SCREEN = 0x1C4;
constexpr uint32_t QZFVF_LITVERTEX = 0x152;

// The 32-byte pre-transformed vertex every 2-D draw uses.
using TQZD3DVertex = plat::softgpu::ScreenVertex;

class TQZDirect3D;
class TQZDirect3DDevice;

// Everything that holds device memory hears of loss and reset. The
// constructor joins the device's listener list (creating the Direct3D
// singleton when the framework runs); the destructor leaves it.
class TQZLostDeviceListener : public TQZClass {
public:
    TQZLostDeviceListener();
    ~TQZLostDeviceListener() override;
    virtual void OnLostDevice() = 0;
    virtual void OnResetDevice() = 0;
};

// Base of textures and surfaces: a size, and the device objects drawing and
// render-target switching need. The texture unit overrides DeviceTexture,
// the surface unit DeviceSurface.
class TQZD3DImageClass : public TQZLostDeviceListener {
public:
    int32_t width = 0, height = 0;

    virtual TQZPoint GetSize() { return {width, height}; }
    // The device texture bound when this image is drawn; none by default.
    virtual std::shared_ptr<plat::softgpu::Texture> DeviceTexture() const { return nullptr; }
    // The device surface of a surface object (render targets included).
    virtual std::shared_ptr<plat::softgpu::Surface> DeviceSurface() const { return nullptr; }
    // A device context over the image's pixels, where the surface unit offers one.
    virtual bool GetImageDC(void*& dc)
    {
        dc = nullptr;
        return false;
    }
    virtual void ReleaseImageDC(void*) {}
    void OnLostDevice() override {}
    void OnResetDevice() override {}
};

// Wraps a device surface (the back buffer) in the framework's render-target
// surface object without owning its memory: makes the object when the holder
// is empty, else attaches the new surface to it (nullptr releases it). The
// surface unit installs its own; until then a plain image object does it.
using TQZAttachRenderTargetProc = void (*)(std::unique_ptr<TQZD3DImageClass>& holder,
                                           std::shared_ptr<plat::softgpu::Surface> surface);
void SetAttachRenderTargetProc(TQZAttachRenderTargetProc proc);

// ---------------------------------------------------------------- display modes
struct TQZD3DDisplayMode {
    int32_t width = 0, height = 0, bitsPerPixel = 0, format = 0, refreshRate = 0, usable = 0;
};
static_assert(sizeof(TQZD3DDisplayMode) == 24);

int32_t FormatBitsPerPixel(uint32_t format);

struct TQZD3DDisplayFilter {
    int32_t field = 0;       // 0 width, 1 height, 2 bits per pixel, 3 refresh rate
    int32_t comparison = 0;  // 0 at least, 1 at most, 2 equal
    int32_t value = 0;
};

class TQZD3DDisplayFilters : public TQZClass {
public:
    std::vector<TQZD3DDisplayFilter> conditions;
    bool Passes(const TQZD3DDisplayMode& mode) const;
};

class TQZD3DDisplayModes : public TQZClass {
public:
    explicit TQZD3DDisplayModes(TQZDirect3D* owner);
    // Enumerates the adapter's modes through the filters.
    void Rebuild(uint32_t adapter);
    int32_t Count() const { return int32_t(modes_.size()); }
    // 1-based; out of range: 2.
    int32_t GetMode(int32_t n, TQZD3DDisplayMode& out) const;
    // 1-based index of the best mode for the size, 0 when none scores below 9999.
    int32_t FindClosest(int32_t width, int32_t height, int32_t bits) const;
    // Tests and the window helper: replace the list.
    void SetModes(std::vector<TQZD3DDisplayMode> modes) { modes_ = std::move(modes); }

    TQZD3DDisplayFilters* filters;
    bool desktopOnly = true;
    TQZD3DDisplayMode desktop;

private:
    TQZDirect3D* owner_;
    std::vector<TQZD3DDisplayMode> modes_;
};

// ---------------------------------------------------------------- clip stack
// (0, 0, 0, 0)-like rectangles mean no clipping. Two clips that do not meet
// leave an empty clip that draws nothing (not "no clipping").
class TQZClipStack : public TQZClass {
public:
    explicit TQZClipStack(TQZDirect3DDevice* device) : device_(device) {}
    void Push(const TQZRect& rect, bool combine);
    void Pop();
    TQZRect Current() const { return entries_.empty() ? TQZRect{} : entries_[0].rect; }
    bool Clipping() const { return !entries_.empty() && !entries_[0].none; }
    int32_t SavedCount() const { return entries_.empty() ? 0 : int32_t(entries_.size()) - 1; }
    void Reset() { entries_.clear(); }

private:
    struct Entry {
        TQZRect rect;
        bool none = true;
    };
    void Apply(const Entry& e);
    TQZDirect3DDevice* device_;
    std::vector<Entry> entries_;  // [0] current, then the saved ones
};

class TQZD3DVertexBuffer;

// ---------------------------------------------------------------- device
class TQZDirect3DDevice : public TQZClass {
public:
    explicit TQZDirect3DDevice(TQZDirect3D* owner);
    ~TQZDirect3DDevice() override;

    int32_t CreateDevice(uint32_t adapter, void* window, int32_t width, int32_t height, int32_t windowKind);
    int32_t Reset(int32_t width, int32_t height, int32_t windowKind);
    void ReleaseDevice();
    bool TestDevice();
    int32_t Restore();
    bool IsValid() const { return device_ != nullptr; }
    int32_t BeginScene();
    int32_t EndScene();
    int32_t Present();
    int32_t Clear(TQZColour colour);
    int32_t SetRenderState(uint32_t state, uint32_t value);
    int32_t SetColorWriteMask(bool alpha, bool red, bool green, bool blue);
    int32_t SetTexture(TQZD3DImageClass* texture);
    TQZD3DImageClass* BoundTexture() const { return boundTexture_; }
    int32_t BindVertexBuffer(TQZD3DVertexBuffer* buffer);
    TQZD3DVertexBuffer* BoundVertexBuffer() const { return boundBuffer_; }
    void SetTextureFilter(bool linear);
    bool LinearFiltering() const { return linearFiltering_; }
    TQZD3DImageClass* GetRenderTarget();
    int32_t SetRenderTarget(TQZD3DImageClass* surface);
    TQZRect GetClipRect() const;
    void SetScissor(const TQZRect& rect);
    void DisableScissor();
    void AddListener(TQZLostDeviceListener* listener);
    void RemoveListener(TQZLostDeviceListener* listener);
    int32_t ListenerCount() const { return int32_t(listeners_.size()); }
    void SetDefaultStates();

    // Counted by every draw and clear, zeroed by BeginScene.
    void CountDraw(int32_t triangles)
    {
        ++drawCalls;
        this->triangles += triangles;
    }

    plat::softgpu::Device* Device() const { return device_.get(); }
    TQZClipStack* ClipStack() const { return clipStack_; }
    TQZD3DImageClass* BackBufferObject();
    bool ResourcesLive() const { return resourcesLive_; }
    bool InScene() const { return inScene_; }
    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    int32_t WindowKind() const { return windowKind_; }
    const plat::softgpu::PresentParameters& Parameters() const { return params_; }

    int32_t drawCalls = 0;
    int32_t triangles = 0;

private:
    void NotifyLost();
    void NotifyReset();

    TQZDirect3D* owner_;
    std::vector<TQZLostDeviceListener*> listeners_;
    TQZCriticalSection listenerLock_{"Direct3DDevice.Listener"};
    TQZD3DImageClass* boundTexture_ = nullptr;
    TQZD3DVertexBuffer* boundBuffer_ = nullptr;
    std::shared_ptr<plat::softgpu::Surface> depthStencil_;
    std::unique_ptr<TQZD3DImageClass> backBufferObject_;
    TQZClipStack* clipStack_;
    int32_t width_ = 0, height_ = 0, windowKind_ = 0;
    std::unique_ptr<plat::softgpu::Device> device_;
    plat::softgpu::PresentParameters params_;
    bool resourcesLive_ = false;
    TQZD3DImageClass* renderTarget_ = nullptr;
    bool inScene_ = false;
    bool linearFiltering_ = false;
};

// ---------------------------------------------------------------- Direct3D
class TQZDirect3D : public TQZClassSingleton {
public:
    ~TQZDirect3D() override;
    void Initialise() override;
    int32_t InitResult() const { return initResult_; }
    int32_t SelectAdapter(uint32_t index);
    int32_t CreateDevice(void* window, int32_t width, int32_t height, int32_t windowKind);
    void RefreshCaps();
    void SetVSync(bool on);
    bool VSync() const { return vsync_; }
    bool IsValid() const { return device && device->IsValid(); }

    plat::softgpu::System* System() const { return system_.get(); }
    TQZD3DDisplayModes* Modes() const { return modes_; }

    uint32_t adapterIndex = 0;
    uint32_t adapterCount = 0;
    bool hardwareTnL = false;
    bool anyTextureSize = false;
    bool linearFiltering = false;
    int32_t maxTextureWidth = 0, maxTextureHeight = 0;
    int32_t maxActiveLights = 0, vertexShaderVersion = 0, pixelShaderVersion = 0;
    TQZDirect3DDevice* device = nullptr;
    bool forceSoftwareVertexProcessing = false;
    uint32_t desktopFormat = 0;
    uint32_t textureFormat = plat::softgpu::kFormatA8R8G8B8;

private:
    int32_t initResult_ = QZRES_OK;
    std::unique_ptr<plat::softgpu::System> system_;
    TQZD3DDisplayModes* modes_ = nullptr;
    bool vsync_ = true;
};

// The Direct3D singleton (slot 10), created on first use; nullptr outside the
// framework's run.
TQZDirect3D* Direct3D();
// The device object when the singleton exists (it may hold no device yet).
TQZDirect3DDevice* Direct3DDevice();
// Test switch: the next Initialise finds no Direct3D (result 10241).
void SetDirect3DMissing(bool missing);

// ---------------------------------------------------------------- vertex buffer
class TQZD3DVertexBuffer : public TQZLostDeviceListener {
public:
    // nullptr when the buffers cannot be made.
    static std::unique_ptr<TQZD3DVertexBuffer> Create(TQZDirect3DDevice* device, int32_t vertexCount,
                                                      int32_t indexCount, uint32_t fvf, uint32_t flags = 0);
    ~TQZD3DVertexBuffer() override;

    int32_t Allocate(int32_t vertexCount, int32_t indexCount);
    // Larger buffers keeping what was added (counts and marks too).
    int32_t Grow(int32_t vertexCount, int32_t indexCount);
    int32_t AddVertices(int32_t vertexCount, int32_t indexCount, const TQZD3DVertex* vertices, const void* indices,
                        int32_t indexSize);
    int32_t AddQuad(const TQZRect& rect, TQZColour colour, const TQZRectF& texture);
    void Clear();
    int32_t DrawPending();
    int32_t Draw(int32_t firstVertex, int32_t vertexCount, int32_t firstIndex, int32_t indexCount);
    int32_t Lock(int32_t mode);
    int32_t Unlock();
    void ReleaseBuffers();
    void OnLostDevice() override;
    void OnResetDevice() override;

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
    int32_t Draw(int32_t firstVertex, int32_t vertexCount, int32_t firstIndex, int32_t indexCount, bool moveMarks);
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

// ---------------------------------------------------------------- render cache
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
