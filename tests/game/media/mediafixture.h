// A headless video device for the media tests, and small image fixtures:
// PNG bytes of plain or patterned pictures, and pixel reads of textures.
#pragma once

#include "imImage.h"
#include "qz7core.h"
#include "qz7texture.h"
#include "qz7video.h"
#include "qz7videochoice.h"
#include "sgSystem.h"

#include <gtest/gtest.h>

#include <vector>

namespace mediatest {

class DeviceFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        FrameworkStart("Test");
        TQZVideo* video = GetVideo();
        ASSERT_NE(nullptr, video);
        ASSERT_EQ(QZRES_OK, video->SetMode(128, 96, std::make_unique<TQZHeadlessVideoWindow>(0, 0),
                                           QZWINDOW_WINDOWED, 0));
    }
    void TearDown() override
    {
        FrameworkStop();
        plat::softgpu::SetDisplayInfoSource(nullptr);
    }
};

// A w x h picture of one colour, with the top-left pixel marked when asked.
inline std::vector<uint8_t> PngOf(int32_t w, int32_t h, uint32_t argb, uint32_t corner = 0)
{
    plat::imaging::Image img;
    (void)img.Allocate(w, h, argb);  // setup: what the test checks after it shows whether it took
    if (corner) img.SetPixel(0, 0, corner);
    std::vector<uint8_t> out;
    // Setup: what the test checks after it shows whether it took.
    (void)plat::imaging::EncodeImage(img, plat::imaging::EncodeFormat::Png, out);
    return out;
}

inline uint32_t PixelOf(TQZTexture* t, int32_t x, int32_t y)
{
    TQZTexturePixelData* d = t->PixelData();
    if (d->Lock(1) != QZRES_OK) return 0xDEADBEEF;
    uint32_t v = d->GetPixel(x, y);
    d->Unlock();
    return v;
}

}  // namespace mediatest
