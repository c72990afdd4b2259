// Helpers of the editor's tests: the framework on the headless window back
// end with a video of its own size, and textures filled pixel by pixel.
#pragma once

#include "qz7texture.h"
#include "qz7videochoice.h"
#include "qz7videowindow.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace editortest {

class VideoFixture : public ::testing::Test {
protected:
    TQZVideo* video = nullptr;
    void SetUp() override
    {
        FrameworkStart("Test");
        video = GetVideo();
        ASSERT_NE(nullptr, video);
        ASSERT_EQ(QZRES_OK, video->SetMode(320, 240, std::make_unique<TQZHeadlessVideoWindow>(0, 0),
                                           QZWINDOW_WINDOWED, 0));
    }
    void TearDown() override { FrameworkStop(); }
};

// A texture of the size whose pixels come from the function.
inline std::unique_ptr<TQZTexture> MakeTexture(int32_t w, int32_t h, const std::function<uint32_t(int32_t, int32_t)>& f)
{
    auto t = std::make_unique<TQZTexture>();
    if (t->CreateD3DTexture(w, h) != QZRES_OK) return nullptr;
    TQZTexturePixelData* px = t->PixelData();
    if (px->Lock(0) != QZRES_OK) return nullptr;
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) px->SetPixel(x, y, f(x, y));
    px->Unlock();
    return t;
}

inline uint32_t PixelOf(TQZTexture* t, int32_t x, int32_t y)
{
    TQZTexturePixelData* px = t->PixelData();
    if (px->Lock(1) != QZRES_OK) return 0xDEADBEEF;
    const uint32_t v = px->GetPixel(x, y);
    px->Unlock();
    return v;
}

}  // namespace editortest
