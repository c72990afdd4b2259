// Helpers for the device-layer and video tests: a framework run, an image
// object over a device texture, and back-buffer reading.
#pragma once

#include "qz7direct3d.h"
#include "qz7events.h"
#include "qz7video.h"

#include <gtest/gtest.h>

namespace d3dtest {

// The back buffer has no alpha channel: a pixel nothing drew on is opaque black.
constexpr uint32_t kUntouched = 0xFF000000u;

// An image over a device texture; a render-target one releases its memory
// on loss and makes it again on reset, as the texture unit does.
class TestImage : public TQZD3DImageClass {
public:
    TestImage(int32_t w, int32_t h, bool renderTarget, std::vector<std::string>* log = nullptr,
              std::string name = {})
        : renderTarget_(renderTarget), log_(log), name_(std::move(name))
    {
        width = w;
        height = h;
        Make();
    }
    void Make()
    {
        namespace sg = plat::softgpu;
        // Setup: what the test checks after it shows whether it took.
        (void)Direct3DDevice()->Device()->CreateTexture(width, height, 1, renderTarget_ ? sg::kUsageRenderTarget : 0,
                                                  sg::kFormatA8R8G8B8,
                                                  renderTarget_ ? sg::kPoolDefault : sg::kPoolManaged, texture);
    }
    std::shared_ptr<plat::softgpu::Texture> DeviceTexture() const override { return texture; }
    std::shared_ptr<plat::softgpu::Surface> DeviceSurface() const override
    {
        return texture ? std::shared_ptr<plat::softgpu::Surface>(texture, &texture->Level0()) : nullptr;
    }
    void OnLostDevice() override
    {
        if (log_) log_->push_back("lost " + name_);
        if (renderTarget_ && releaseOnLoss) texture.reset();
    }
    void OnResetDevice() override
    {
        if (log_) log_->push_back("reset " + name_);
        if (renderTarget_ && !texture) Make();
    }
    void Fill(uint32_t argb)
    {
        for (int32_t y = 0; y < height; ++y)
            for (int32_t x = 0; x < width; ++x) texture->Level0().SetPixelAt(x, y, argb);
    }

    std::shared_ptr<plat::softgpu::Texture> texture;
    bool releaseOnLoss = true;

private:
    bool renderTarget_;
    std::vector<std::string>* log_;
    std::string name_;
};

class D3DFixture : public ::testing::Test {
protected:
    void SetUp() override { FrameworkStart("Test"); }
    void TearDown() override
    {
        FrameworkStop();
        plat::softgpu::SetDisplayInfoSource(nullptr);
        SetDirect3DMissing(false);
    }

    static uint32_t BackPixel(int32_t x, int32_t y)
    {
        std::shared_ptr<plat::softgpu::Surface> back;
        Direct3DDevice()->Device()->GetBackBuffer(0, 0, back);
        return back->PixelAt(x, y);
    }
    static int32_t Channel(uint32_t argb, int shift) { return int32_t((argb >> shift) & 0xFF); }
};

}  // namespace d3dtest
