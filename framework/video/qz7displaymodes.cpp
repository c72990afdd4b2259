#include "qz7displaymodes.h"

#include <cmath>
#include <cstdlib>

namespace sg = plat::softgpu;

namespace {

int32_t RoundRatio(double w, double h) { return int32_t(std::lround(10.0 * w / h)); }

}  // namespace

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

TQZD3DDisplayModes::TQZD3DDisplayModes(sg::System* system) : system_(system)
{
    filters = AddOwned(std::make_unique<TQZD3DDisplayFilters>());
}

void TQZD3DDisplayModes::Rebuild(uint32_t adapter)
{
    modes_.clear();
    sg::System* system = system_;
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
