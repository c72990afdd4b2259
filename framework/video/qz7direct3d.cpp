#include "qz7direct3d.h"

#include "qz7events.h"

#include <algorithm>
#include <mutex>

namespace sg = plat::softgpu;

namespace {

bool direct3DMissing = false;

// The plain back-buffer wrapper used until the surface unit installs its own.
class TQZAttachedSurface : public TQZD3DImageClass {
public:
    std::shared_ptr<sg::Surface> surface;
    std::shared_ptr<sg::Surface> DeviceSurface() const override { return surface; }
};

void DefaultAttach(std::unique_ptr<TQZD3DImageClass>& holder, std::shared_ptr<sg::Surface> surface)
{
    if (!holder) holder = std::make_unique<TQZAttachedSurface>();
    if (auto* plain = dynamic_cast<TQZAttachedSurface*>(holder.get())) {
        plain->surface = surface;
        plain->width = surface ? surface->Width() : 0;
        plain->height = surface ? surface->Height() : 0;
    }
}

TQZAttachRenderTargetProc attachProc = &DefaultAttach;

}  // namespace

void SetAttachRenderTargetProc(TQZAttachRenderTargetProc proc) { attachProc = proc ? proc : &DefaultAttach; }

void SetDirect3DMissing(bool missing) { direct3DMissing = missing; }

TQZDirect3D* Direct3D()
{
    return FrameworkStarted() ? GetInstance<TQZDirect3D>(QZSLOT_DIRECT3D) : nullptr;
}

TQZDirect3DDevice* Direct3DDevice()
{
    if (!SingletonExists(QZSLOT_DIRECT3D)) return nullptr;
    TQZDirect3D* d3d = Direct3D();
    return d3d ? d3d->device : nullptr;
}

// ---------------------------------------------------------------- listener

TQZLostDeviceListener::TQZLostDeviceListener()
{
    if (TQZDirect3D* d3d = Direct3D())
        if (d3d->device) d3d->device->AddListener(this);
}

TQZLostDeviceListener::~TQZLostDeviceListener()
{
    if (joined_) joined_->RemoveListener(this);
}

// ---------------------------------------------------------------- clip stack

void TQZClipStack::Apply(const Entry& e)
{
    if (e.none) device_->DisableScissor();
    else device_->SetScissor(e.rect);
}

void TQZClipStack::Push(const TQZRect& rect, bool combine)
{
    if (entries_.empty()) entries_.push_back(Entry{});
    Entry next;
    if (combine) {
        const Entry current = entries_[0];
        entries_.push_back(current);
        if (current.none) {
            next.rect = rect;
            next.none = RectIsPoint(rect);
        } else {
            const TQZRect& c = current.rect;
            next.rect = {std::max(c.left, rect.left), std::max(c.top, rect.top), std::min(c.right, rect.right),
                         std::min(c.bottom, rect.bottom)};
            next.none = false;  // clips that do not meet draw nothing
        }
    } else {
        next.rect = rect;
        next.none = RectIsPoint(rect);
    }
    next.rect.right = std::max(next.rect.right, next.rect.left);
    next.rect.bottom = std::max(next.rect.bottom, next.rect.top);
    entries_[0] = next;
    Apply(next);
}

void TQZClipStack::Pop()
{
    if (entries_.size() > 1) {
        entries_[0] = entries_.back();
        entries_.pop_back();
        Apply(entries_[0]);
        return;
    }
    if (!entries_.empty()) entries_[0] = Entry{};
    device_->DisableScissor();
}

// ---------------------------------------------------------------- device

TQZDirect3DDevice::TQZDirect3DDevice(TQZDirect3D* owner) : owner_(owner)
{
    listeners_.reserve(256);
    clipStack_ = AddOwned(std::make_unique<TQZClipStack>(this));
}

TQZDirect3DDevice::~TQZDirect3DDevice()
{
    backBufferObject_.reset();
    ReleaseDevice();
    // Listeners that outlive the device have nothing left to leave.
    std::lock_guard<TQZCriticalSection> hold(listenerLock_);
    for (TQZLostDeviceListener* l : listeners_) l->joined_ = nullptr;
    listeners_.clear();
}

namespace {
// The back buffer of the display mode closest to the size asked for.
int32_t FullScreenBackBuffer(TQZD3DDisplayModes* modes, int32_t width, int32_t height, sg::PresentParameters& pp)
{
    int32_t n = modes->FindClosest(width, height, 32);
    TQZD3DDisplayMode mode;
    if (n == 0 || modes->GetMode(n, mode) != QZRES_OK) return QZRES_D3D_NOFULLSCREENMODE;
    pp.backBufferWidth = uint32_t(mode.width);
    pp.backBufferHeight = uint32_t(mode.height);
    pp.backBufferFormat = uint32_t(mode.format);
    return QZRES_OK;
}
}  // namespace

int32_t TQZDirect3DDevice::CreateDevice(uint32_t adapter, void* window, int32_t width, int32_t height,
                                        int32_t windowKind)
{
    sg::System* system = owner_->System();
    if (!system) return QZRES_D3D_NODIRECT3D;
    ReleaseDevice();

    sg::PresentParameters pp;
    if (windowKind == QZWINDOW_FULLSCREEN) {
        if (int32_t r = FullScreenBackBuffer(owner_->Modes(), width, height, pp); r != QZRES_OK) return r;
    } else {
        pp.backBufferWidth = uint32_t(std::max(width, 0));
        pp.backBufferHeight = uint32_t(std::max(height, 0));
        pp.backBufferFormat = sg::kFormatX8R8G8B8;
    }
    uint32_t depth = sg::kFormatD16;
    for (uint32_t f : {sg::kFormatD32, sg::kFormatD24X8, sg::kFormatD16}) {
        if (system->CheckDeviceFormat(adapter, sg::kDeviceTypeHal, owner_->desktopFormat, sg::kUsageDepthStencil,
                                      sg::kResourceSurface, f) == sg::kOk) {
            depth = f;
            break;
        }
    }
    // Floating-point exceptions are masked by default on this platform.
    const bool windowed = windowKind != QZWINDOW_FULLSCREEN;
    uint32_t quality = 0;
    if (system->CheckDeviceMultiSampleType(adapter, sg::kDeviceTypeHal, pp.backBufferFormat, windowed,
                                           sg::kMultiSampleNonMaskable, &quality) == sg::kOk &&
        quality >= 4) {
        pp.multiSampleType = sg::kMultiSampleNonMaskable;
        pp.multiSampleQuality = 3;
    }
    pp.backBufferCount = 1;
    pp.swapEffect = sg::kSwapDiscard;
    pp.deviceWindow = window;
    pp.windowed = windowed;
    pp.enableAutoDepthStencil = true;
    pp.autoDepthStencilFormat = depth;
    pp.presentationInterval = owner_->VSync() ? sg::kPresentIntervalOne : sg::kPresentIntervalImmediate;

    uint32_t behaviour = (owner_->hardwareTnL && !owner_->forceSoftwareVertexProcessing)
                             ? sg::kCreateHardwareVertexProcessing
                             : sg::kCreateSoftwareVertexProcessing;
    behaviour |= sg::kCreateFpuPreserve | sg::kCreateMultithreaded;
    if (system->CreateDevice(adapter, sg::kDeviceTypeHal, window, behaviour, pp, device_) != sg::kOk &&
        system->CreateDevice(adapter, sg::kDeviceTypeHal, window, sg::kCreateSoftwareVertexProcessing, pp,
                             device_) != sg::kOk)
        return QZRES_FAILED;
    params_ = pp;
    width_ = width;
    height_ = height;
    windowKind_ = windowKind;
    return Restore();
}

int32_t TQZDirect3DDevice::Reset(int32_t width, int32_t height, int32_t windowKind)
{
    if (!device_) return QZRES_D3D_NODEVICE;
    const bool wasFull = windowKind_ == QZWINDOW_FULLSCREEN, full = windowKind == QZWINDOW_FULLSCREEN;
    if (full && !wasFull) {
        if (int32_t r = FullScreenBackBuffer(owner_->Modes(), width, height, params_); r != QZRES_OK) return r;
    } else {
        params_.backBufferWidth = uint32_t(std::max(width, 0));
        params_.backBufferHeight = uint32_t(std::max(height, 0));
        if (!full && wasFull) params_.backBufferFormat = sg::kFormatX8R8G8B8;
    }
    params_.windowed = !full;
    params_.presentationInterval = owner_->VSync() ? sg::kPresentIntervalOne : sg::kPresentIntervalImmediate;
    width_ = width;
    height_ = height;
    windowKind_ = windowKind;
    return Restore();
}

void TQZDirect3DDevice::ReleaseDevice()
{
    if (!device_) return;
    if (backBufferObject_) attachProc(backBufferObject_, nullptr);
    depthStencil_.reset();
    boundTexture_ = nullptr;
    boundBuffer_ = nullptr;
    renderTarget_ = nullptr;
    resourcesLive_ = false;
    inScene_ = false;
    device_.reset();
}

bool TQZDirect3DDevice::TestDevice()
{
    if (resourcesLive_) return true;
    if (!device_) return false;
    int32_t r = device_->TestCooperativeLevel();
    if (r == sg::kOk) return true;
    if (r == sg::kDeviceNotReset) return Restore() == QZRES_OK;
    inScene_ = false;
    return false;
}

int32_t TQZDirect3DDevice::Restore()
{
    inScene_ = false;
    if (!device_) return QZRES_D3D_NODEVICE;
    if (backBufferObject_) attachProc(backBufferObject_, nullptr);
    if (resourcesLive_) NotifyLost();
    if (device_->Reset(params_) != sg::kOk) return QZRES_FAILED;  // the next frame tries again
    owner_->RefreshCaps();
    SetTextureFilter(linearFiltering_);
    NotifyReset();
    std::shared_ptr<sg::Surface> back;
    if (device_->GetBackBuffer(0, 0, back) != sg::kOk) {
        resourcesLive_ = false;
        return QZRES_OK;
    }
    if (backBufferObject_) attachProc(backBufferObject_, back);
    device_->GetDepthStencilSurface(depthStencil_);
    return QZRES_OK;
}

TQZD3DImageClass* TQZDirect3DDevice::BackBufferObject()
{
    if (!device_) return nullptr;
    if (!backBufferObject_ || !backBufferObject_->DeviceSurface()) {
        std::shared_ptr<sg::Surface> back;
        device_->GetBackBuffer(0, 0, back);
        attachProc(backBufferObject_, back);
    }
    return backBufferObject_.get();
}

void TQZDirect3DDevice::NotifyLost()
{
    resourcesLive_ = false;
    if (backBufferObject_) attachProc(backBufferObject_, nullptr);
    depthStencil_.reset();
    // The device lets go of what it holds, so the listeners' memory really goes.
    if (device_) {
        std::shared_ptr<sg::Surface> back;
        device_->GetBackBuffer(0, 0, back);
        // Refused only for arguments out of range; these are fixed.
        if (back) (void)device_->SetRenderTarget(0, back);
        (void)device_->SetTexture(0, nullptr);
        (void)device_->SetStreamSource(0, nullptr, 0, 0);
        (void)device_->SetIndices(nullptr);
    }
    renderTarget_ = nullptr;
    boundTexture_ = nullptr;
    boundBuffer_ = nullptr;
    {
        std::lock_guard<TQZCriticalSection> hold(listenerLock_);
        std::vector<TQZLostDeviceListener*> all = listeners_;
        for (auto it = all.rbegin(); it != all.rend(); ++it)
            if (std::find(listeners_.begin(), listeners_.end(), *it) != listeners_.end()) (*it)->OnLostDevice();
    }
    EventManager()->Fire(QZEVENT_DEVICELOST, nullptr);
}

void TQZDirect3DDevice::NotifyReset()
{
    resourcesLive_ = true;
    boundBuffer_ = nullptr;
    SetDefaultStates();
    {
        std::lock_guard<TQZCriticalSection> hold(listenerLock_);
        std::vector<TQZLostDeviceListener*> all = listeners_;
        for (TQZLostDeviceListener* l : all)
            if (std::find(listeners_.begin(), listeners_.end(), l) != listeners_.end()) l->OnResetDevice();
    }
    EventManager()->Fire(QZEVENT_DEVICERESET, nullptr);
}

int32_t TQZDirect3DDevice::Present()
{
    if (!TestDevice()) return QZRES_D3D_DEVICELOST;
    int32_t r = device_->Present();
    if (r == sg::kOk) return QZRES_OK;
    NotifyLost();
    return r == sg::kDeviceLost ? QZRES_D3D_DEVICELOST : QZRES_FAILED;
}

int32_t TQZDirect3DDevice::BeginScene()
{
    if (!TestDevice()) return QZRES_D3D_DEVICELOST;
    if (device_->BeginScene() != sg::kOk) return QZRES_D3D_NOSCENE;
    inScene_ = true;
    drawCalls = 0;
    triangles = 0;
    return QZRES_OK;
}

int32_t TQZDirect3DDevice::EndScene()
{
    if (!inScene_ || !device_) return QZRES_D3D_NOSCENE;
    (void)SetRenderTarget(nullptr);  // the scene ends on the back buffer even if the device refuses
    BindVertexBuffer(nullptr);
    SetTexture(nullptr);
    int32_t r = device_->EndScene();
    inScene_ = false;
    return r == sg::kOk ? QZRES_OK : QZRES_FAILED;
}

int32_t TQZDirect3DDevice::Clear(TQZColour colour)
{
    if (!device_) return QZRES_D3D_NODEVICE;
    if (!TestDevice()) return QZRES_D3D_DEVICELOST;
    uint32_t flags = renderTarget_ ? sg::kClearTarget : sg::kClearTarget | sg::kClearZBuffer;
    if (device_->Clear(0, nullptr, flags, colour, 1.0f, 0) != sg::kOk) return QZRES_FAILED;
    CountDraw(0);
    return QZRES_OK;
}

int32_t TQZDirect3DDevice::SetRenderState(uint32_t state, uint32_t value)
{
    if (!device_) return QZRES_D3D_NODEVICE;
    return device_->SetRenderState(state, value) == sg::kOk ? QZRES_OK : QZRES_FAILED;
}

int32_t TQZDirect3DDevice::SetColorWriteMask(bool alpha, bool red, bool green, bool blue)
{
    uint32_t mask = (alpha ? 8u : 0u) | (red ? 1u : 0u) | (green ? 2u : 0u) | (blue ? 4u : 0u);
    return SetRenderState(sg::kRsColorWriteEnable, mask);
}

int32_t TQZDirect3DDevice::SetTexture(TQZD3DImageClass* texture)
{
    if (texture == boundTexture_) return QZRES_OK;
    if (!device_) return QZRES_D3D_NODEVICE;
    boundTexture_ = texture;
    return device_->SetTexture(0, texture ? texture->DeviceTexture() : nullptr) == sg::kOk ? QZRES_OK : QZRES_FAILED;
}

int32_t TQZDirect3DDevice::BindVertexBuffer(TQZD3DVertexStream* buffer)
{
    if (buffer == boundBuffer_) return QZRES_OK;
    if (!device_) return QZRES_D3D_NODEVICE;
    boundBuffer_ = buffer;
    if (!buffer) {
        // Refused only for arguments out of range; these are fixed.
        (void)device_->SetStreamSource(0, nullptr, 0, 0);
        (void)device_->SetIndices(nullptr);
        return QZRES_OK;
    }
    buffer->BindStream(*device_);
    return QZRES_OK;
}

void TQZDirect3DDevice::SetTextureFilter(bool linear)
{
    uint32_t filter = linear && owner_->linearFiltering ? sg::kFilterLinear : sg::kFilterPoint;
    if (device_) {
        // Refused only for arguments out of range; these are fixed.
        (void)device_->SetSamplerState(0, sg::kSampMagFilter, filter);
        (void)device_->SetSamplerState(0, sg::kSampMinFilter, filter);
    }
    linearFiltering_ = filter == sg::kFilterLinear;
}

TQZD3DImageClass* TQZDirect3DDevice::GetRenderTarget()
{
    return renderTarget_ ? renderTarget_ : BackBufferObject();
}

int32_t TQZDirect3DDevice::SetRenderTarget(TQZD3DImageClass* surface)
{
    if (surface == renderTarget_) return QZRES_OK;
    if (!device_) return QZRES_D3D_NODEVICE;
    if (!surface || surface == backBufferObject_.get()) {
        if (!renderTarget_) return QZRES_OK;
        renderTarget_ = nullptr;
        std::shared_ptr<sg::Surface> back;
        device_->GetBackBuffer(0, 0, back);
        return device_->SetRenderTarget(0, back) == sg::kOk ? QZRES_OK : QZRES_FAILED;
    }
    std::shared_ptr<sg::Surface> s = surface->DeviceSurface();
    if (!s || !(s->GetDesc().usage & sg::kUsageRenderTarget)) return QZRES_OK;  // not a render target: ignored
    if (device_->SetRenderTarget(0, s) != sg::kOk) return QZRES_FAILED;
    renderTarget_ = surface;
    return QZRES_OK;
}

TQZRect TQZDirect3DDevice::GetClipRect() const
{
    uint32_t on = 0;
    if (!device_ || device_->GetRenderState(sg::kRsScissorTestEnable, on) != sg::kOk || !on) return {};
    sg::Rect r;
    device_->GetScissorRect(r);
    return {r.left, r.top, r.right, r.bottom};
}

void TQZDirect3DDevice::SetScissor(const TQZRect& rect)
{
    if (!device_) return;
    // Refused only for an inverted rectangle (ruled out here) or a state out
    // of range (a constant).
    (void)device_->SetScissorRect(
        {rect.left, rect.top, std::max(rect.left, rect.right), std::max(rect.top, rect.bottom)});
    (void)device_->SetRenderState(sg::kRsScissorTestEnable, 1);
}

void TQZDirect3DDevice::DisableScissor()
{
    // Refused only for arguments out of range; these are fixed.
    if (device_) (void)device_->SetRenderState(sg::kRsScissorTestEnable, 0);
}

void TQZDirect3DDevice::AddListener(TQZLostDeviceListener* listener)
{
    std::lock_guard<TQZCriticalSection> hold(listenerLock_);
    listeners_.push_back(listener);
    listener->joined_ = this;
}

void TQZDirect3DDevice::RemoveListener(TQZLostDeviceListener* listener)
{
    {
        std::lock_guard<TQZCriticalSection> hold(listenerLock_);
        auto it = std::find(listeners_.begin(), listeners_.end(), listener);
        if (it != listeners_.end()) listeners_.erase(it);
        if (listener->joined_ == this) listener->joined_ = nullptr;
    }
    // A freed object must not stay bound: its address may be reused by the
    // next one, whose bind would then be skipped.
    if (listener == boundTexture_) SetTexture(nullptr);
    if (listener == renderTarget_) (void)SetRenderTarget(nullptr);  // forgotten even if the device refuses
    if (listener == boundBuffer_) BindVertexBuffer(nullptr);
}

void TQZDirect3DDevice::SetDefaultStates()
{
    if (!device_) return;
    device_->ClearVertexShader();
    // Refused only for arguments out of range; these are fixed.
    (void)device_->SetStreamSource(0, nullptr, 0, 0);
    (void)device_->SetTexture(0, nullptr);
    boundTexture_ = nullptr;
    boundBuffer_ = nullptr;  // stream 0 is unbound: the next bind must not be skipped
    const std::pair<uint32_t, uint32_t> states[] = {
        {sg::kRsLighting, 0},
        {sg::kRsZEnable, 0},
        {sg::kRsZWriteEnable, 0},
        {sg::kRsFillMode, sg::kFillSolid},
        {sg::kRsAlphaBlendEnable, 1},
        {sg::kRsAlphaTestEnable, 0},
        {sg::kRsSrcBlend, sg::kBlendSrcAlpha},
        {sg::kRsDestBlend, sg::kBlendInvSrcAlpha},
        {sg::kRsSeparateAlphaBlendEnable, 0},
        {sg::kRsSrcBlendAlpha, sg::kBlendSrcAlpha},
        {sg::kRsDestBlendAlpha, sg::kBlendInvSrcAlpha},
        {sg::kRsBlendOpAlpha, sg::kBlendOpAdd},
    };
    // Refused only for arguments out of range; these are fixed.
    for (const auto& s : states) (void)device_->SetRenderState(s.first, s.second);
    (void)device_->SetFVF(QZFVF_SCREEN);
    const std::pair<uint32_t, uint32_t> stage[] = {
        {sg::kTssColorOp, sg::kTopModulate}, {sg::kTssColorArg1, sg::kArgTexture},
        {sg::kTssColorArg2, sg::kArgDiffuse}, {sg::kTssAlphaOp, sg::kTopModulate},
        {sg::kTssAlphaArg1, sg::kArgTexture}, {sg::kTssAlphaArg2, sg::kArgDiffuse},
    };
    // Refused only for arguments out of range; these are fixed.
    for (const auto& s : stage) (void)device_->SetTextureStageState(0, s.first, s.second);
}

// ---------------------------------------------------------------- Direct3D

TQZDirect3D::~TQZDirect3D() = default;

void TQZDirect3D::Initialise()
{
    adapterIndex = 0;
    vsync_ = true;
    forceSoftwareVertexProcessing = false;
    if (!direct3DMissing) system_ = sg::System::Create(sg::kSdkVersion);
    if (!system_) {
        initResult_ = QZRES_D3D_NODIRECT3D;
        return;
    }
    adapterCount = system_->GetAdapterCount();
    modes_ = AddOwned(std::make_unique<TQZD3DDisplayModes>(system_.get()));
    device = AddOwned(std::make_unique<TQZDirect3DDevice>(this));
    (void)SelectAdapter(0);  // without an adapter CreateDevice fails with its own result
}

int32_t TQZDirect3D::SelectAdapter(uint32_t index)
{
    if (index >= adapterCount) {
        adapterIndex = 0;
        return QZRES_BADARG;
    }
    adapterIndex = index;
    if (device && device->IsValid()) device->ReleaseDevice();
    RefreshCaps();
    return QZRES_OK;
}

void TQZDirect3D::RefreshCaps()
{
    if (!system_) return;
    modes_->Rebuild(adapterIndex);
    sg::DisplayMode current;
    system_->GetAdapterDisplayMode(adapterIndex, current);
    desktopFormat = current.format;
    textureFormat = modes_->desktop.bitsPerPixel == 16 ? sg::kFormatA1R5G5B5 : sg::kFormatA8R8G8B8;
    sg::DeviceCaps caps;
    system_->GetDeviceCaps(adapterIndex, sg::kDeviceTypeHal, caps);
    hardwareTnL = caps.vertexProcessingCaps != 0 && (caps.devCaps & sg::kDevCapsHwTransformAndLight);
    anyTextureSize = (caps.textureCaps & (sg::kTextureCapsPow2 | sg::kTextureCapsSquareOnly |
                                          sg::kTextureCapsNonPow2Conditional)) == 0;
    maxTextureWidth = int32_t(caps.maxTextureWidth);
    maxTextureHeight = int32_t(caps.maxTextureHeight);
    maxActiveLights = int32_t(caps.maxActiveLights);
    vertexShaderVersion = int32_t(caps.vertexShaderVersion);
    pixelShaderVersion = int32_t(caps.pixelShaderVersion);
    linearFiltering = system_->CheckDeviceFormat(adapterIndex, sg::kDeviceTypeHal, desktopFormat,
                                                 sg::kUsageQueryFilter, sg::kResourceTexture,
                                                 textureFormat) == sg::kOk;
}

int32_t TQZDirect3D::CreateDevice(void* window, int32_t width, int32_t height, int32_t windowKind)
{
    if (!device) return QZRES_D3D_NODIRECT3D;
    return device->CreateDevice(adapterIndex, window, width, height, windowKind);
}

void TQZDirect3D::SetVSync(bool on)
{
    bool changed = on != vsync_;
    vsync_ = on;
    // A reset that fails is tried again by the next frame's TestDevice.
    if (changed && device && device->IsValid())
        (void)device->Reset(device->Width(), device->Height(), device->WindowKind());
}
