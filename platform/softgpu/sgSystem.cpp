#include "sgSystem.h"

#include <SDL2/SDL.h>

#include <algorithm>
#include <mutex>

namespace plat::softgpu {

namespace {
std::mutex sourceLock;
std::function<DisplayInfo()> displaySource;
}  // namespace

DisplayInfo HeadlessDisplayInfo()
{
    DisplayInfo info;
    info.desktop = {1920, 1080, 60, kFormatX8R8G8B8};
    static const uint32_t sizes[][2] = {{640, 480},  {800, 600},   {1024, 768}, {1280, 720},  {1280, 800},
                                        {1280, 1024}, {1366, 768}, {1600, 900}, {1920, 1080}};
    for (uint32_t format : {kFormatX8R8G8B8, kFormatR5G6B5})
        for (const auto& s : sizes) info.modes.push_back({s[0], s[1], 60, format});
    return info;
}

bool SdlDisplayInfo(DisplayInfo& info)
{
    if (!SDL_WasInit(SDL_INIT_VIDEO)) return false;
    SDL_DisplayMode desktop;
    if (SDL_GetDesktopDisplayMode(0, &desktop) != 0 || desktop.w <= 0 || desktop.h <= 0) return false;
    info = {};
    info.desktopBitsPerPixel = SDL_BITSPERPIXEL(desktop.format) == 16 ? 16 : 32;
    info.desktop = {uint32_t(desktop.w), uint32_t(desktop.h), uint32_t(desktop.refresh_rate > 0 ? desktop.refresh_rate : 60),
                    info.desktopBitsPerPixel == 16 ? kFormatR5G6B5 : kFormatX8R8G8B8};
    const int count = SDL_GetNumDisplayModes(0);
    for (int i = 0; i < count; ++i) {
        SDL_DisplayMode m;
        if (SDL_GetDisplayMode(0, i, &m) != 0 || m.w <= 0 || m.h <= 0) continue;
        DisplayMode mode{uint32_t(m.w), uint32_t(m.h), uint32_t(m.refresh_rate > 0 ? m.refresh_rate : 60),
                         SDL_BITSPERPIXEL(m.format) == 16 ? kFormatR5G6B5 : kFormatX8R8G8B8};
        if (std::find(info.modes.begin(), info.modes.end(), mode) == info.modes.end()) info.modes.push_back(mode);
    }
    if (info.modes.empty()) info.modes.push_back(info.desktop);
    return true;
}

void SetDisplayInfoSource(std::function<DisplayInfo()> source)
{
    std::lock_guard<std::mutex> hold(sourceLock);
    displaySource = std::move(source);
}

DisplayInfo CurrentDisplayInfo()
{
    std::function<DisplayInfo()> source;
    {
        std::lock_guard<std::mutex> hold(sourceLock);
        source = displaySource;
    }
    if (source) return source();
    DisplayInfo info;
    return SdlDisplayInfo(info) ? info : HeadlessDisplayInfo();
}

std::unique_ptr<System> System::Create(uint32_t)
{
    return std::unique_ptr<System>(new System());
}

uint32_t System::GetAdapterModeCount(uint32_t adapter, uint32_t format) const
{
    if (adapter != 0) return 0;
    uint32_t n = 0;
    for (const DisplayMode& m : CurrentDisplayInfo().modes)
        if (m.format == format) ++n;
    return n;
}

int32_t System::EnumAdapterModes(uint32_t adapter, uint32_t format, uint32_t index, DisplayMode& out) const
{
    if (adapter != 0) return kInvalidCall;
    uint32_t n = 0;
    for (const DisplayMode& m : CurrentDisplayInfo().modes) {
        if (m.format != format) continue;
        if (n++ == index) {
            out = m;
            return kOk;
        }
    }
    return kInvalidCall;
}

int32_t System::GetAdapterDisplayMode(uint32_t adapter, DisplayMode& out) const
{
    if (adapter != 0) return kInvalidCall;
    out = CurrentDisplayInfo().desktop;
    return kOk;
}

int32_t System::CheckDeviceType(uint32_t adapter, uint32_t, uint32_t displayFormat, uint32_t backBufferFormat,
                                bool) const
{
    if (adapter != 0) return kInvalidCall;
    bool display = displayFormat == kFormatX8R8G8B8 || displayFormat == kFormatR5G6B5;
    bool back = backBufferFormat == kFormatX8R8G8B8 || backBufferFormat == kFormatA8R8G8B8 ||
                backBufferFormat == kFormatR5G6B5;
    return display && back ? kOk : kNotAvailable;
}

int32_t System::CheckDeviceFormat(uint32_t adapter, uint32_t, uint32_t, uint32_t usage, uint32_t,
                                  uint32_t checkFormat) const
{
    if (adapter != 0) return kInvalidCall;
    if (usage & kUsageDepthStencil) return checkFormat == kFormatD24X8 || checkFormat == kFormatD16 ? kOk : kNotAvailable;
    return IsColourFormat(checkFormat) ? kOk : kNotAvailable;
}

int32_t System::CheckDeviceMultiSampleType(uint32_t adapter, uint32_t, uint32_t, bool, uint32_t type,
                                           uint32_t* qualityLevels) const
{
    if (qualityLevels) *qualityLevels = type == kMultiSampleNone ? 1 : 0;
    if (adapter != 0) return kInvalidCall;
    return type == kMultiSampleNone ? kOk : kNotAvailable;
}

int32_t System::GetDeviceCaps(uint32_t adapter, uint32_t, DeviceCaps& out) const
{
    if (adapter != 0) return kInvalidCall;
    out = {};
    out.devCaps = kDevCapsHwTransformAndLight;
    out.textureCaps = 0;  // any size
    out.maxTextureWidth = kMaxTextureSize;
    out.maxTextureHeight = kMaxTextureSize;
    out.vertexProcessingCaps = 1;
    out.maxActiveLights = 8;
    return kOk;
}

int32_t System::CreateDevice(uint32_t adapter, uint32_t, void* window, uint32_t, PresentParameters& params,
                             std::unique_ptr<Device>& out) const
{
    out.reset();
    if (adapter != 0) return kInvalidCall;
    if (failCreations_ > 0) {
        --failCreations_;
        return kNotAvailable;
    }
    if (!SizeAllowed(params.backBufferWidth, params.backBufferHeight)) return kBadArgument;
    if (!params.windowed) {
        bool found = false;
        for (const DisplayMode& m : CurrentDisplayInfo().modes)
            found |= m.width == params.backBufferWidth && m.height == params.backBufferHeight;
        if (!found) return kInvalidCall;
    }
    if (params.backBufferFormat == kFormatUnknown) params.backBufferFormat = kFormatX8R8G8B8;
    if (!params.deviceWindow) params.deviceWindow = window;
    out = std::make_unique<Device>(params);
    return kOk;
}

}  // namespace plat::softgpu
