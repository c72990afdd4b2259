// A headless video of 128 x 96 for the texture, surface and font tests, with
// frames run from a lambda and back-buffer pixels read back.
#pragma once

#include "qz7video.h"
#include "qz7videochoice.h"
#include "imImage.h"
#include "d3dtestutil.h"

#include <functional>

namespace mediatest {

class VideoFixture : public d3dtest::D3DFixture {
protected:
    TQZVideo* video = nullptr;

    void SetUp() override
    {
        D3DFixture::SetUp();
        video = GetVideo();
        ASSERT_NE(nullptr, video);
        ASSERT_EQ(QZRES_OK, video->SetMode(128, 96, std::make_unique<TQZHeadlessVideoWindow>(0, 0),
                                           QZWINDOW_WINDOWED, 0));
    }

    // One frame: cleared to opaque black, then drawn with the function.
    bool Frame(const std::function<void(TQZVideo*)>& draw)
    {
        static std::function<void(TQZVideo*)> current;
        current = draw;
        video->drawProc = [](TQZVideo* v) {
            v->Clear(0xFF000000);
            current(v);
        };
        return video->Redraw();
    }

    // PNG bytes of an image built by the caller.
    static std::vector<uint8_t> Png(const plat::imaging::Image& img)
    {
        std::vector<uint8_t> out;
        // Setup: what the test checks after it shows whether it took.
        (void)plat::imaging::EncodeImage(img, plat::imaging::EncodeFormat::Png, out);
        return out;
    }
};

}  // namespace mediatest
