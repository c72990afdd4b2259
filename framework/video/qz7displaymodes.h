// The display modes of an adapter as the device layer chooses among them:
// the list through the filters, the desktop's mode, and the closest mode
// to a size for full-screen devices.
#pragma once

#include "qz7core.h"
#include "sgSystem.h"

#include <vector>

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
    // The modes of the graphics system's adapters (nullptr: none).
    explicit TQZD3DDisplayModes(plat::softgpu::System* system);
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
    plat::softgpu::System* system_;
    std::vector<TQZD3DDisplayMode> modes_;
};
