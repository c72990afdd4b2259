// Opens a real window through the video layer, draws one frame with a
// texture, a gradient, filled rectangles and text through the render cache and
// the CPU rasterizer, checks what the window shows and saves it.
// Exit codes: 0 drawn and checked, 1 wrong pixels, 77 no display.
#include "qz7direct3d.h"
#include "qz7fonts.h"
#include "qz7video.h"
#include "qz7videochoice.h"
#include "qz7videowindow.h"
#include "osWindow.h"
#include "sgCapture.h"

#include <cstdio>
#include <vector>

namespace os = plat::os;
namespace sg = plat::softgpu;

namespace {

constexpr int32_t kWidth = 640, kHeight = 400;

// A checkered card image.
struct Checker : TQZD3DImageClass {
    std::shared_ptr<sg::Texture> texture;
    Checker()
    {
        width = 32;
        height = 32;
        // Setup: what the test checks after it shows whether it took.
        (void)Direct3DDevice()->Device()->CreateTexture(32, 32, 1, 0, sg::kFormatA8R8G8B8, sg::kPoolManaged, texture);
        for (int32_t y = 0; y < 32; ++y)
            for (int32_t x = 0; x < 32; ++x)
                texture->Level0().SetPixelAt(x, y, ((x / 8 + y / 8) % 2) ? 0xFFFFFFFFu : 0xFFC80000u);
    }
    std::shared_ptr<sg::Texture> DeviceTexture() const override { return texture; }
};

Checker* checker = nullptr;
TQZFont* font = nullptr;
constexpr TQZRect kTextBox{20, 250, 620, 300};

void Draw(TQZVideo* v)
{
    v->FillGradient({0, 0, kWidth, kHeight}, 0xFF003020, QZGRADIENT_VERTICAL, 0xFF0080A0);
    TQZRenderCache* cache = v->GetRenderCache();
    cache->SetTexture(checker);
    cache->AddQuad({100, 100, 228, 228}, 0xFFFFFFFF, {0, 0, 1, 1});
    v->FillRect({300, 320, 600, 360}, 0xFFF0C828);
    v->FillRect({300, 100, 400, 200}, 0x80000000);
    if (font) font->DrawText(kTextBox, "Vantorel Qar: seven no trumps", QZTEXT_CENTER | QZTEXT_VCENTER, 0xFFFFFFFF);
}

// True when the text box holds pixels much brighter than the gradient under it.
bool TextShown(const std::vector<uint32_t>& shown)
{
    int bright = 0;
    for (int32_t y = kTextBox.top; y < kTextBox.bottom; ++y)
        for (int32_t x = kTextBox.left; x < kTextBox.right; ++x)
            if ((shown[size_t(y) * kWidth + size_t(x)] & 0xFF) > 0xE0) ++bright;
    return bright > 200;
}

}  // namespace

int main(int argc, char** argv)
{
    const char* out = argc > 1 ? argv[1] : "smoke-video.bmp";
    os::SelectWindowBackEnd(os::WindowBackEnd::Sdl);
    if (os::ActiveWindowBackEnd() != os::WindowBackEnd::Sdl) {
        std::fprintf(stderr, "no display: smoke skipped\n");
        return 77;
    }
    FrameworkStart("smoke");
    int result = 1;
    {
        TQZVideo* video = GetVideo();
        if (video->SetMode(kWidth, kHeight, nullptr, QZWINDOW_WINDOWED, 0) != QZRES_OK) {
            std::fprintf(stderr, "no video mode\n");
            FrameworkStop();
            return 1;
        }
        Checker image;
        checker = &image;
        font = GetFonts() ? GetFonts()->GetFont("Arial", 24, QZFONT_BOLD) : nullptr;
        video->drawProc = &Draw;
        auto* window = dynamic_cast<TQZVideoWindow*>(video->Window());
        for (int frame = 0; frame < 300 && video->LastFrameNumber() == 0; ++frame) {
            PumpFrame();
            video->Repaint();
        }
        std::vector<uint32_t> shown;
        int32_t w = 0, h = 0;
        if (window && os::ReadPresentedFrame(window->OsHandle(), shown, w, h) && w == kWidth && h == kHeight &&
            os::SavePresentedFrame(window->OsHandle(), out)) {
            struct Probe {
                int32_t x, y;
                uint32_t rgb;
            };
            const Probe probes[] = {{100, 100, 0xC80000}, {132, 100, 0xFFFFFF}, {227, 227, 0xC80000},
                                    {450, 340, 0xF0C828}, {5, 0, 0x003020}};
            result = 0;
            for (const Probe& p : probes) {
                uint32_t got = shown[size_t(p.y) * kWidth + size_t(p.x)] & 0xFFFFFF;
                if (got != p.rgb) {
                    std::fprintf(stderr, "pixel %d,%d: %06x, expected %06x\n", p.x, p.y, got, p.rgb);
                    result = 1;
                }
            }
            uint32_t shaded = shown[size_t(150) * kWidth + 350] & 0xFF;  // half black over the gradient
            uint32_t plain = shown[size_t(150) * kWidth + 450] & 0xFF;
            if (!(shaded < plain)) {
                std::fprintf(stderr, "no blending: %u against %u\n", shaded, plain);
                result = 1;
            }
            if (!font || !TextShown(shown)) {
                std::fprintf(stderr, "no text was drawn\n");
                result = 1;
            }
        } else {
            std::fprintf(stderr, "no frame could be shown or read back\n");
        }
        checker = nullptr;
        font = nullptr;
    }
    FrameworkStop();
    if (result == 0) std::printf("smoke video: frame shown and saved to %s\n", out);
    return result;
}
