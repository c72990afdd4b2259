#include "qz7direct3d.h"

#include "qz7events.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>
#include <new>

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

int32_t RoundRatio(double w, double h) { return int32_t(std::lround(10.0 * w / h)); }

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
    if (TQZDirect3DDevice* device = Direct3DDevice()) device->RemoveListener(this);
}

// ---------------------------------------------------------------- display modes

int32_t FormatBitsPerPixel(uint32_t format)
{
    switch (format) {
    case sg::kFormatX8R8G8B8: return 32;
    case sg::kFormatR5G6B5: return 16;
    case sg::kFormatA1R5G5B5: return 16;
    case sg::kFormatX1R5G5B5: return 16;
    case sg::kFormatA8R8G8B8: return 32;
    case sg::kFormatD32: return 32;
    case sg::kFormatD24X8: return 24;
    case sg::kFormatD16: return 16;
    default: return 32;
    }
}

bool TQZD3DDisplayFilters::Passes(const TQZD3DDisplayMode& mode) const
{
    for (const TQZD3DDisplayFilter& c : conditions) {
        int32_t v = c.field == 0 ? mode.width : c.field == 1 ? mode.height : c.field == 2 ? mode.bitsPerPixel
                                                                                           : mode.refreshRate;
        bool ok = c.comparison == 0 ? v >= c.value : c.comparison == 1 ? v <= c.value : v == c.value;
        if (!ok) return false;
    }
    return true;
}

TQZD3DDisplayModes::TQZD3DDisplayModes(TQZDirect3D* owner) : owner_(owner)
{
    filters = AddOwned(std::make_unique<TQZD3DDisplayFilters>());
}

void TQZD3DDisplayModes::Rebuild(uint32_t adapter)
{
    modes_.clear();
    sg::System* system = owner_->System();
    if (!system) return;
    sg::DisplayInfo info = sg::CurrentDisplayInfo();
    sg::DisplayMode current;
    system->GetAdapterDisplayMode(adapter, current);
    desktop.width = int32_t(info.desktop.width);
    desktop.height = int32_t(info.desktop.height);
    desktop.bitsPerPixel = info.desktopBitsPerPixel ? int32_t(info.desktopBitsPerPixel) : 32;
    desktop.refreshRate = info.desktop.refreshRate ? int32_t(info.desktop.refreshRate) : 60;
    desktop.format = int32_t(current.format);
    desktop.usable = 1;

    std::vector<uint32_t> formats{sg::kFormatX8R8G8B8};
    if (desktop.bitsPerPixel != 32) formats.push_back(sg::kFormatR5G6B5);
    for (uint32_t format : formats) {
        uint32_t count = system->GetAdapterModeCount(adapter, format);
        for (uint32_t i = 0; i < count; ++i) {
            sg::DisplayMode m;
            if (system->EnumAdapterModes(adapter, format, i, m) != sg::kOk) continue;
            TQZD3DDisplayMode r;
            r.width = int32_t(m.width);
            r.height = int32_t(m.height);
            r.bitsPerPixel = FormatBitsPerPixel(m.format);
            r.format = int32_t(m.format);
            r.refreshRate = int32_t(m.refreshRate);
            r.usable = system->CheckDeviceType(adapter, sg::kDeviceTypeHal, m.format, m.format, false) == sg::kOk;
            if (filters->Passes(r)) modes_.push_back(r);
        }
    }
}

int32_t TQZD3DDisplayModes::GetMode(int32_t n, TQZD3DDisplayMode& out) const
{
    if (n < 1 || n > Count()) return QZRES_BADARG;
    out = modes_[size_t(n - 1)];
    return QZRES_OK;
}

int32_t TQZD3DDisplayModes::FindClosest(int32_t width, int32_t height, int32_t bits) const
{
    for (int32_t i = 0; i < Count(); ++i) {
        const TQZD3DDisplayMode& m = modes_[size_t(i)];
        if (m.width == width && m.height == height && m.bitsPerPixel == bits) return i + 1;
    }
    if (width <= 0 || height <= 0) return 0;
    int64_t best = 9999;
    int32_t found = 0;
    for (int32_t i = 0; i < Count(); ++i) {
        const TQZD3DDisplayMode& m = modes_[size_t(i)];
        if (m.height <= 0) continue;
        int64_t s = int64_t(m.width - width) + (m.height - height);
        if (s < 0) s *= -4;  // a smaller mode costs four times as much as a larger one
        int64_t a = int64_t(std::abs(RoundRatio(width, height) - RoundRatio(m.width, m.height))) * 750;
        if (s + a < best) {
            best = s + a;
            found = i + 1;
        }
    }
    return found;
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
        if (back) device_->SetRenderTarget(0, back);
        device_->SetTexture(0, nullptr);
        device_->SetStreamSource(0, nullptr, 0, 0);
        device_->SetIndices(nullptr);
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
    SetRenderTarget(nullptr);
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

int32_t TQZDirect3DDevice::BindVertexBuffer(TQZD3DVertexBuffer* buffer)
{
    if (buffer == boundBuffer_) return QZRES_OK;
    if (!device_) return QZRES_D3D_NODEVICE;
    boundBuffer_ = buffer;
    if (!buffer) {
        device_->SetStreamSource(0, nullptr, 0, 0);
        device_->SetIndices(nullptr);
        return QZRES_OK;
    }
    device_->SetStreamSource(0, buffer->VB(), 0, uint32_t(buffer->VertexSize()));
    device_->SetIndices(buffer->IB());
    device_->SetFVF(QZFVF_SCREEN);
    return QZRES_OK;
}

void TQZDirect3DDevice::SetTextureFilter(bool linear)
{
    uint32_t filter = linear && owner_->linearFiltering ? sg::kFilterLinear : sg::kFilterPoint;
    if (device_) {
        device_->SetSamplerState(0, sg::kSampMagFilter, filter);
        device_->SetSamplerState(0, sg::kSampMinFilter, filter);
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
    device_->SetScissorRect({rect.left, rect.top, std::max(rect.left, rect.right), std::max(rect.top, rect.bottom)});
    device_->SetRenderState(sg::kRsScissorTestEnable, 1);
}

void TQZDirect3DDevice::DisableScissor()
{
    if (device_) device_->SetRenderState(sg::kRsScissorTestEnable, 0);
}

void TQZDirect3DDevice::AddListener(TQZLostDeviceListener* listener)
{
    std::lock_guard<TQZCriticalSection> hold(listenerLock_);
    listeners_.push_back(listener);
}

void TQZDirect3DDevice::RemoveListener(TQZLostDeviceListener* listener)
{
    {
        std::lock_guard<TQZCriticalSection> hold(listenerLock_);
        auto it = std::find(listeners_.begin(), listeners_.end(), listener);
        if (it != listeners_.end()) listeners_.erase(it);
    }
    // A freed object must not stay bound: its address may be reused by the
    // next one, whose bind would then be skipped.
    if (listener == boundTexture_) SetTexture(nullptr);
    if (listener == renderTarget_) SetRenderTarget(nullptr);
    if (listener == boundBuffer_) BindVertexBuffer(nullptr);
}

void TQZDirect3DDevice::SetDefaultStates()
{
    if (!device_) return;
    device_->ClearVertexShader();
    device_->SetStreamSource(0, nullptr, 0, 0);
    device_->SetTexture(0, nullptr);
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
    for (const auto& s : states) device_->SetRenderState(s.first, s.second);
    device_->SetFVF(QZFVF_SCREEN);
    const std::pair<uint32_t, uint32_t> stage[] = {
        {sg::kTssColorOp, sg::kTopModulate}, {sg::kTssColorArg1, sg::kArgTexture},
        {sg::kTssColorArg2, sg::kArgDiffuse}, {sg::kTssAlphaOp, sg::kTopModulate},
        {sg::kTssAlphaArg1, sg::kArgTexture}, {sg::kTssAlphaArg2, sg::kArgDiffuse},
    };
    for (const auto& s : stage) device_->SetTextureStageState(0, s.first, s.second);
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
    modes_ = AddOwned(std::make_unique<TQZD3DDisplayModes>(this));
    device = AddOwned(std::make_unique<TQZDirect3DDevice>(this));
    SelectAdapter(0);
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
    if (changed && device && device->IsValid()) device->Reset(device->Width(), device->Height(), device->WindowKind());
}

// ---------------------------------------------------------------- vertex buffer

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
        vb_->Unlock();
    }
    if (!indices.empty() && ib_->Lock(0, 0, &p, 0) == sg::kOk) {
        for (int32_t i = 0; i < usedIndices; ++i) {
            uint32_t v = was32 ? reinterpret_cast<const uint32_t*>(indices.data())[i]
                               : reinterpret_cast<const uint16_t*>(indices.data())[i];
            if (indices32) static_cast<uint32_t*>(p)[i] = v;
            else static_cast<uint16_t*>(p)[i] = uint16_t(v);
        }
        ib_->Unlock();
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
        DrawPending();
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
        vb_->Unlock();
        return QZRES_FAILED;
    }
    lockedVertices_ = static_cast<uint8_t*>(v);
    lockedIndices_ = static_cast<uint8_t*>(i);
    return QZRES_OK;
}

int32_t TQZD3DVertexBuffer::Unlock()
{
    if (!lockedVertices_) return QZRES_OK;
    vb_->Unlock();
    ib_->Unlock();
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

void TQZD3DVertexBuffer::OnResetDevice()
{
    if ((flags & QZVB_DYNAMIC) && !vb_ && vertexCapacity_ > 0) Allocate(vertexCapacity_, indexCapacity_);
}

// ---------------------------------------------------------------- render cache

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
    switch (c.kind) {
    case QZCMD_TEXTURE: device->SetTexture(c.texture); break;
    case QZCMD_RENDERSTATE: device->SetRenderState(uint32_t(c.args[0]), uint32_t(c.args[1])); break;
    case QZCMD_PUSHCLIP: device->ClipStack()->Push({c.args[0], c.args[1], c.args[2], c.args[3]}, true); break;
    case QZCMD_POPCLIP: device->ClipStack()->Pop(); break;
    case QZCMD_DRAW:
        if (buffer_) buffer_->Draw(c.args[0], c.args[1], c.args[2], c.args[3]);
        break;
    case QZCMD_CLEAR: device->Clear(TQZColour(c.args[0])); break;
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
