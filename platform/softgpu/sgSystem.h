// The device's factory: one adapter, its display modes and capabilities, and
// device creation. The modes are SDL's while its video runs, else a fixed list.
#pragma once

#include "sgDevice.h"
#include "sgTypes.h"

#include <functional>
#include <memory>
#include <vector>

namespace plat::softgpu {

struct DisplayInfo {
    DisplayMode desktop;              // the current desktop mode
    uint32_t desktopBitsPerPixel = 32;
    std::vector<DisplayMode> modes;   // every mode the display offers
};

// The fixed list used without a display: 1920 x 1080 desktop, common modes
// from 640 x 480 up, 60 Hz, in 32 and 16 bits.
DisplayInfo HeadlessDisplayInfo();
// The first display's modes while SDL's video runs; false otherwise.
[[nodiscard]] bool SdlDisplayInfo(DisplayInfo& info);
// An installed source answers first (tests); nullptr goes back to SDL's
// displays or the fixed list.
void SetDisplayInfoSource(std::function<DisplayInfo()> source);
DisplayInfo CurrentDisplayInfo();

// Value a caller passes to System::Create; any other value still works.
constexpr uint32_t kSdkVersion = 0x80000020u;

class System {
public:
    static std::unique_ptr<System> Create(uint32_t sdkVersion);

    uint32_t GetAdapterCount() const { return 1; }
    uint32_t GetAdapterModeCount(uint32_t adapter, uint32_t format) const;
    int32_t EnumAdapterModes(uint32_t adapter, uint32_t format, uint32_t index, DisplayMode& out) const;
    int32_t GetAdapterDisplayMode(uint32_t adapter, DisplayMode& out) const;
    [[nodiscard]] int32_t CheckDeviceType(uint32_t adapter, uint32_t deviceType, uint32_t displayFormat, uint32_t backBufferFormat,
                            bool windowed) const;
    [[nodiscard]] int32_t CheckDeviceFormat(uint32_t adapter, uint32_t deviceType, uint32_t adapterFormat, uint32_t usage,
                              uint32_t resourceType, uint32_t checkFormat) const;
    // Multisampling is not offered: kNotAvailable for every type but none.
    [[nodiscard]] int32_t CheckDeviceMultiSampleType(uint32_t adapter, uint32_t deviceType, uint32_t surfaceFormat, bool windowed,
                                       uint32_t type, uint32_t* qualityLevels) const;
    int32_t GetDeviceCaps(uint32_t adapter, uint32_t deviceType, DeviceCaps& out) const;
    // Back buffer sizes 1..kMaxTextureSize (else kBadArgument); a full-screen
    // size must be one of the modes (else kInvalidCall).
    [[nodiscard]] int32_t CreateDevice(uint32_t adapter, uint32_t deviceType, void* window, uint32_t behaviourFlags,
                         PresentParameters& params, std::unique_ptr<Device>& out) const;

    // Test switch: the next device creations fail with kNotAvailable.
    void SetFailDeviceCreation(int32_t count) { failCreations_ = count; }

private:
    System() = default;
    mutable int32_t failCreations_ = 0;
};

}  // namespace plat::softgpu
