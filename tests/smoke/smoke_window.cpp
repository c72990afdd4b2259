// Opens a real window, draws one frame from the CPU and presents it through
// the window's streaming texture, saves what the window shows, and checks
// typed keys and a refused close through the real event loop.
// Exit codes: 0 drawn and checked, 1 wrong pixels, 77 no display.
#include "qz7window.h"
#include "osDesktop.h"
#include "osWindow.h"

#include <SDL.h>
#include <cstdio>
#include <vector>

namespace os = plat::os;

namespace {
constexpr int32_t kWidth = 640, kHeight = 400;

uint32_t Argb(uint32_t r, uint32_t g, uint32_t b) { return 0xFF000000u | (r << 16) | (g << 8) | b; }

// A gradient backdrop, a checkered "card" and a solid bar.
std::vector<uint32_t> Scene()
{
    std::vector<uint32_t> px(size_t(kWidth) * kHeight);
    for (int32_t y = 0; y < kHeight; ++y) {
        for (int32_t x = 0; x < kWidth; ++x) {
            uint32_t c = Argb(0, uint32_t(40 + y * 100 / kHeight), uint32_t(20 + x * 60 / kWidth));
            if (x >= 100 && x < 200 && y >= 100 && y < 240) c = ((x / 10 + y / 10) % 2) ? Argb(255, 255, 255) : Argb(200, 0, 0);
            if (x >= 300 && x < 600 && y >= 320 && y < 360) c = Argb(240, 200, 40);
            px[size_t(y) * kWidth + size_t(x)] = c;
        }
    }
    return px;
}

struct Painter {
    std::vector<uint32_t> scene = Scene();
    int painted = 0;
    bool Paint(TQZWindow* w, int64_t)
    {
        if (os::PresentPixels(w->Handle(), scene.data(), kWidth * 4, kWidth, kHeight)) ++painted;
        return false;  // the default handling validates
    }
};
}  // namespace

int main(int argc, char** argv)
{
    const char* out = argc > 1 ? argv[1] : "smoke-window.bmp";
    os::SelectWindowBackEnd(os::WindowBackEnd::Sdl);
    if (os::ActiveWindowBackEnd() != os::WindowBackEnd::Sdl) {
        std::fprintf(stderr, "no display: smoke skipped\n");
        return 77;
    }
    FrameworkStart("smoke");
    int result = 1;
    {
        Painter painter;
        TQZWindow window("Vantorel Qar", QZWS_SIZING | QZWS_MAXBOX, kWidth, kHeight);
        window.onPaint = MakeMethod<&Painter::Paint>(&painter);
        for (int frame = 0; frame < 300 && painter.painted < 3; ++frame) {
            PumpFrame();
            window.Invalidate();
        }
        std::vector<uint32_t> shown;
        int32_t w = 0, h = 0;
        if (painter.painted > 0 && os::ReadPresentedFrame(window.Handle(), shown, w, h) && w == kWidth && h == kHeight &&
            os::SavePresentedFrame(window.Handle(), out)) {
            const std::vector<uint32_t>& want = painter.scene;
            const int32_t probes[][2] = {{5, 5}, {105, 105}, {115, 105}, {450, 340}, {630, 390}};
            result = 0;
            for (auto& p : probes) {
                size_t i = size_t(p[1]) * kWidth + size_t(p[0]);
                if ((shown[i] & 0xFFFFFF) != (want[i] & 0xFFFFFF)) {
                    std::fprintf(stderr, "pixel %d,%d: %08x, expected %08x\n", p[0], p[1], shown[i], want[i]);
                    result = 1;
                }
            }
        } else {
            std::fprintf(stderr, "no frame could be shown or read back (painted %d)\n", painter.painted);
        }
        // Input through the real event loop: a typed capital and a close
        // that the confirmation refuses.
        SDL_Event key{};
        key.type = SDL_KEYDOWN;
        key.key.windowID = SDL_GetWindowID(static_cast<SDL_Window*>(os::SdlWindowOf(window.Handle())));
        key.key.keysym.sym = SDLK_q;
        key.key.keysym.scancode = SDL_SCANCODE_Q;
        key.key.keysym.mod = KMOD_LSHIFT;
        SDL_PushEvent(&key);
        os::SetMessageBoxHandler([](const os::MessageBoxRequest&) { return os::BoxAnswer::Cancel; });
        window.Close(true);
        PumpFrame();
        uint32_t typed = GetKeyboard()->ReadKey();
        if (typed != 'Q' || window.Closed() || !window.HandleExists()) {
            std::fprintf(stderr, "input: read %08x, closed %d\n", typed, int(window.Closed()));
            result = 1;
        }
    }
    FrameworkStop();
    if (result == 0) std::printf("smoke window: frame shown and saved to %s\n", out);
    return result;
}
