// The device layer over the software graphics device: the Direct3D singleton
// (adapter and capabilities), its device (creation, present parameters,
// default states, scenes, render targets, the scissor clip stack, loss and
// reset with listeners) and the image base of textures and surfaces. The
// display modes are in qz7displaymodes, the quad vertex buffer in
// qz7quadbuffer and the render cache in qz7rendercache, above this.
#pragma once

#include "qz7core.h"
#include "qz7displaymodes.h"
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

// Vertex formats: pre-transformed screen vertices, lit vertices.
constexpr uint32_t QZFVF_SCREEN = 0x1C4;
constexpr uint32_t QZFVF_LITVERTEX = 0x152;

// The 32-byte pre-transformed vertex every 2-D draw uses.
using TQZD3DVertex = plat::softgpu::ScreenVertex;

class TQZDirect3D;
class TQZDirect3DDevice;

// Everything that holds device memory hears of loss and reset. The
// constructor joins the device's listener list (creating the Direct3D
// singleton when the framework runs); the destructor leaves the device it
// joined, which forgets its listeners when it goes first. It looks up no
// singleton: it may run while the Direct3D object is being torn down.
class TQZLostDeviceListener : public TQZClass {
public:
    TQZLostDeviceListener();
    ~TQZLostDeviceListener() override;
    virtual void OnLostDevice() = 0;
    virtual void OnResetDevice() = 0;
    TQZDirect3DDevice* JoinedDevice() const { return joined_; }

private:
    friend class TQZDirect3DDevice;
    TQZDirect3DDevice* joined_ = nullptr;
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

// What the device binds of a vertex buffer (the quad buffer of
// qz7quadbuffer): stream 0, the index buffer and the vertex format.
class TQZD3DVertexStream : public TQZLostDeviceListener {
public:
    virtual void BindStream(plat::softgpu::Device& device) const = 0;
};

// Wraps a device surface (the back buffer) in the framework's render-target
// surface object without owning its memory: makes the object when the holder
// is empty, else attaches the new surface to it (nullptr releases it). The
// surface unit installs its own; until then a plain image object does it.
using TQZAttachRenderTargetProc = void (*)(std::unique_ptr<TQZD3DImageClass>& holder,
                                           std::shared_ptr<plat::softgpu::Surface> surface);
void SetAttachRenderTargetProc(TQZAttachRenderTargetProc proc);

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

// ---------------------------------------------------------------- device
class TQZDirect3DDevice : public TQZClass {
public:
    explicit TQZDirect3DDevice(TQZDirect3D* owner);
    ~TQZDirect3DDevice() override;

    [[nodiscard]] int32_t CreateDevice(uint32_t adapter, void* window, int32_t width, int32_t height, int32_t windowKind);
    [[nodiscard]] int32_t Reset(int32_t width, int32_t height, int32_t windowKind);
    void ReleaseDevice();
    bool TestDevice();
    [[nodiscard]] int32_t Restore();
    bool IsValid() const { return device_ != nullptr; }
    [[nodiscard]] int32_t BeginScene();
    [[nodiscard]] int32_t EndScene();
    [[nodiscard]] int32_t Present();
    [[nodiscard]] int32_t Clear(TQZColour colour);
    int32_t SetRenderState(uint32_t state, uint32_t value);
    int32_t SetColorWriteMask(bool alpha, bool red, bool green, bool blue);
    int32_t SetTexture(TQZD3DImageClass* texture);
    TQZD3DImageClass* BoundTexture() const { return boundTexture_; }
    int32_t BindVertexBuffer(TQZD3DVertexStream* buffer);
    TQZD3DVertexStream* BoundVertexBuffer() const { return boundBuffer_; }
    void SetTextureFilter(bool linear);
    bool LinearFiltering() const { return linearFiltering_; }
    TQZD3DImageClass* GetRenderTarget();
    [[nodiscard]] int32_t SetRenderTarget(TQZD3DImageClass* surface);
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
    TQZD3DVertexStream* boundBuffer_ = nullptr;
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
    [[nodiscard]] int32_t SelectAdapter(uint32_t index);
    [[nodiscard]] int32_t CreateDevice(void* window, int32_t width, int32_t height, int32_t windowKind);
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
