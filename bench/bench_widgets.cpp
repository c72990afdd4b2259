// The widget tree's per-frame work and the widget render cache, single
// threaded on the CPU device at 1280 x 800:
// - BM_TreeInput: a pointer move, a press and release and the tree update of
//   a tree of n windows (screens hold a few dozen; this is the worst case);
// - BM_ScreenDraw: a frame of 40 button-like widgets (nine-cell face and an
//   eight-letter caption: 17 quads each) drawn straight away (mode 0),
//   replayed from their recordings (mode 1), or recorded again every frame
//   (mode 2, what a cache whose key changed each frame would cost).
#include "arcqz7gui.h"
#include "clRenderer.h"
#include "qz7direct3d.h"
#include "qz7texture.h"
#include "qz7video.h"
#include "qz7videochoice.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace {

constexpr int32_t kWidth = 1280, kHeight = 800;

bool StartVideo()
{
    FrameworkStart("bench_widgets");
    TQZVideo* video = GetVideo();
    return video && video->SetMode(kWidth, kHeight, std::make_unique<TQZHeadlessVideoWindow>(0, 0),
                                   QZWINDOW_WINDOWED, 0) == QZRES_OK;
}

// A window that handles its commands and takes presses, like a button.
class TBenchButton : public TGUIWindow {
public:
    TBenchButton(const TQZRect& r, TGUIWindow* parent, int32_t id) : TGUIWindow(r, parent, id) { mouseEnabled = true; }
    void HandleCommand(TGUIWindow*, int32_t) override { ++handled; }
    int64_t handled = 0;
};

void BM_TreeInput(benchmark::State& state)
{
    const int32_t n = int32_t(state.range(0));
    auto root = NewRootWindow<TGUIWindow>(TQZRect{0, 0, kWidth, kHeight}, nullptr, 0);
    // Panels of ten buttons each, laid out in a grid.
    for (int32_t p = 0; p < n / 11; ++p) {
        const int32_t x = (p % 8) * 160, y = (p / 8) * 100 % kHeight;
        TBenchButton* panel = NewWindow<TBenchButton>(TQZRect{x, y, x + 150, y + 90}, root.get(), 0);
        for (int32_t b = 0; b < 10; ++b)
            NewWindow<TBenchButton>(TQZRect{(b % 5) * 30, (b / 5) * 45, (b % 5) * 30 + 28, (b / 5) * 45 + 40}, panel,
                                    b + 1);
    }
    TQZMouseEvent press{1, true, 0, 0, 0, 0};
    int32_t i = 0;
    for (auto _ : state) {
        const TQZPoint p{(i * 37) % kWidth, (i * 53) % kHeight};
        ++i;
        root->DispatchMouseMove(p, root->FindWindowAt(p));
        press.x = p.x;
        press.y = p.y;
        press.down = true;
        root->DispatchMouseButton(press);
        press.down = false;
        root->DispatchMouseButton(press);
        root->UpdateTree();
    }
    state.counters["windows"] = double(n);
}
BENCHMARK(BM_TreeInput)->Arg(100)->Arg(300)->Arg(1000)->Unit(benchmark::kMicrosecond);

void DrawButtonLike(TQZTexture* texture, const TQZRect& r)
{
    texture->DrawNineSlice(r, {4, 4, 4, 4}, true, 0xFFFFFFFF, {0, 0, 32, 32});
    for (int32_t c = 0; c < 8; ++c) {
        const int32_t x = r.left + 20 + c * 12;
        texture->DrawPart({0, 0, 8, 8}, {x, r.top + 10, x + 10, r.top + 26}, 0xFF80FFFF);
    }
}

void BM_ScreenDraw(benchmark::State& state)
{
    if (!StartVideo()) {
        state.SkipWithError("no headless video");
        return;
    }
    {
        const int64_t mode = state.range(0);
        TQZVideo* video = GetVideo();
        std::unique_ptr<TQZTexture> texture;
        if (TQZTexture::CreateRenderTarget(texture, 32, 32) != QZRES_OK) {
            state.SkipWithError("no texture");
            FrameworkStop();
            return;
        }
        std::vector<TRenderer> renderers(40);
        std::vector<TQZRect> rects;
        for (int32_t i = 0; i < 40; ++i) {
            const int32_t x = 40 + (i % 5) * 240, y = 40 + (i / 5) * 90;
            rects.push_back({x, y, x + 220, y + 70});
        }
        uint32_t frame = 0;
        for (auto _ : state) {
            ++frame;
            (void)video->BeginFrame();  // the unit tests check the frame calls; here only their time counts
            video->Clear(0xFF000000);
            for (size_t i = 0; i < rects.size(); ++i) {
                if (mode == 0) DrawButtonLike(texture.get(), rects[i]);
                else DrawCached(renderers[i], mode == 1 ? 1u : frame, [&] { DrawButtonLike(texture.get(), rects[i]); });
            }
            (void)video->EndFrame();
        }
        state.counters["quads"] = 40.0 * 17;
    }
    FrameworkStop();
}
BENCHMARK(BM_ScreenDraw)->Arg(0)->Arg(1)->Arg(2)->ArgNames({"mode"})->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
