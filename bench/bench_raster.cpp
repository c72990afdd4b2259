// The CPU rasterizer against SDL's software renderer, single-threaded, on a
// 1280 x 800 target: alpha-blended textured quads (point and bilinear) and a
// card-table frame. Pixel rates are items per second; frame times report
// their median in milliseconds.
#include "qz7direct3d.h"
#include "qz7video.h"
#include "qz7videochoice.h"
#include "sgSystem.h"

#include <SDL2/SDL.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <cmath>
#include <random>
#include <vector>

namespace sg = plat::softgpu;

namespace {

constexpr int kWidth = 1280, kHeight = 800;
constexpr int kQuadsPerDraw = 64;

// Texels with a shape: opaque inside, a soft edge, transparent corners (like
// sprites, cards and glyphs); or every texel half transparent.
std::vector<uint32_t> MakeTexels(int w, int h, bool translucent, uint32_t seed)
{
    std::vector<uint32_t> t(size_t(w) * h);
    std::mt19937 rng(seed);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            double dx = (x + 0.5) / w - 0.5, dy = (y + 0.5) / h - 0.5, d = std::sqrt(dx * dx + dy * dy);
            uint32_t a = translucent ? 128u : d < 0.4 ? 255u : d < 0.5 ? uint32_t((0.5 - d) * 2550) : 0u;
            t[size_t(y) * w + x] = a << 24 | (rng() & 0xFFFFFF);
        }
    return t;
}

struct Placement {
    float x, y;
};

std::vector<Placement> Positions(int size, int count, uint32_t seed)
{
    std::mt19937 rng(seed);
    std::vector<Placement> p;
    for (int i = 0; i < count; ++i)
        p.push_back({float(rng() % uint32_t(kWidth - size)), float(rng() % uint32_t(kHeight - size))});
    return p;
}

// ---------------------------------------------------------------- our device

struct SoftScene {
    std::unique_ptr<sg::System> system = sg::System::Create(sg::kSdkVersion);
    std::unique_ptr<sg::Device> device;

    SoftScene()
    {
        sg::PresentParameters pp;
        pp.backBufferWidth = kWidth;
        pp.backBufferHeight = kHeight;
        system->CreateDevice(0, sg::kDeviceTypeHal, nullptr, 0, pp, device);
        device->SetFVF(sg::kFvfScreenVertex);
        device->SetRenderState(sg::kRsAlphaBlendEnable, 1);
        device->SetRenderState(sg::kRsSrcBlend, sg::kBlendSrcAlpha);
        device->SetRenderState(sg::kRsDestBlend, sg::kBlendInvSrcAlpha);
        device->SetTextureStageState(0, sg::kTssAlphaOp, sg::kTopModulate);
        device->SetTextureStageState(0, sg::kTssColorArg2, sg::kArgDiffuse);
        device->SetTextureStageState(0, sg::kTssAlphaArg2, sg::kArgDiffuse);
        device->Clear(0, nullptr, sg::kClearTarget, 0xFF204020, 1, 0);
    }

    std::shared_ptr<sg::Texture> Texture(int w, int h, const std::vector<uint32_t>& texels)
    {
        std::shared_ptr<sg::Texture> t;
        device->CreateTexture(w, h, 1, 0, sg::kFormatA8R8G8B8, sg::kPoolManaged, t);
        std::copy(texels.begin(), texels.end(), t->Level0().Pixels());
        return t;
    }

    void Linear(bool on)
    {
        device->SetSamplerState(0, sg::kSampMagFilter, on ? sg::kFilterLinear : sg::kFilterPoint);
        device->SetSamplerState(0, sg::kSampMinFilter, on ? sg::kFilterLinear : sg::kFilterPoint);
    }
};

// Quads as the video layer builds them: corners moved by -0.5.
void AppendQuad(std::vector<sg::ScreenVertex>& v, std::vector<uint16_t>& idx, float l, float t, float r, float b,
                uint32_t colour, float u0 = 0, float v0 = 0, float u1 = 1, float v1 = 1)
{
    uint16_t base = uint16_t(v.size());
    v.push_back({l - 0.5f, t - 0.5f, 0, 1, colour, colour, u0, v0});
    v.push_back({r - 0.5f, t - 0.5f, 0, 1, colour, colour, u1, v0});
    v.push_back({r - 0.5f, b - 0.5f, 0, 1, colour, colour, u1, v1});
    v.push_back({l - 0.5f, b - 0.5f, 0, 1, colour, colour, u0, v1});
    for (uint16_t i : {0, 1, 2, 0, 2, 3}) idx.push_back(uint16_t(base + i));
}

void Draw(sg::Device& d, const std::vector<sg::ScreenVertex>& v, const std::vector<uint16_t>& idx)
{
    d.DrawIndexedPrimitiveUP(sg::kPrimitiveTriangleList, 0, uint32_t(v.size()), uint32_t(idx.size() / 3), idx.data(),
                             sg::kFormatIndex16, v.data(), sizeof(sg::ScreenVertex));
}

// size: quad side; scale: texels per pixel in the destination (1 = unscaled)
void SoftQuads(benchmark::State& state, bool linear, bool translucent, double scale)
{
    const int size = int(state.range(0));
    SoftScene s;
    s.Linear(linear);
    const int tex = std::max(1, int(size * scale));
    auto texture = s.Texture(tex, tex, MakeTexels(tex, tex, translucent, 7));
    s.device->SetTexture(0, texture);
    std::vector<sg::ScreenVertex> v;
    std::vector<uint16_t> idx;
    for (const Placement& p : Positions(size, kQuadsPerDraw, 11))
        AppendQuad(v, idx, p.x, p.y, p.x + size, p.y + size, 0xFFFFFFFF);
    for (auto _ : state) Draw(*s.device, v, idx);
    state.SetItemsProcessed(int64_t(state.iterations()) * kQuadsPerDraw * size * size);
}

// ---------------------------------------------------------------- SDL's software renderer

struct SdlScene {
    SDL_Surface* surface = nullptr;
    SDL_Renderer* renderer = nullptr;
    std::vector<SDL_Texture*> textures;

    SdlScene()
    {
        surface = SDL_CreateRGBSurfaceWithFormat(0, kWidth, kHeight, 32, SDL_PIXELFORMAT_ARGB8888);
        renderer = SDL_CreateSoftwareRenderer(surface);
        SDL_SetRenderDrawColor(renderer, 0x20, 0x40, 0x20, 0xFF);
        SDL_RenderClear(renderer);
        SDL_RenderFlush(renderer);
    }
    ~SdlScene()
    {
        for (SDL_Texture* t : textures) SDL_DestroyTexture(t);
        if (renderer) SDL_DestroyRenderer(renderer);
        if (surface) SDL_FreeSurface(surface);
    }
    SDL_Texture* Texture(int w, int h, const std::vector<uint32_t>& texels, bool linear)
    {
        SDL_Texture* t = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC, w, h);
        SDL_UpdateTexture(t, nullptr, texels.data(), w * 4);
        SDL_SetTextureBlendMode(t, SDL_BLENDMODE_BLEND);
        SDL_SetTextureScaleMode(t, linear ? SDL_ScaleModeLinear : SDL_ScaleModeNearest);
        textures.push_back(t);
        return t;
    }
};

void SdlAppendQuad(std::vector<SDL_Vertex>& v, std::vector<int>& idx, float l, float t, float r, float b,
                   uint32_t colour, float u0 = 0, float v0 = 0, float u1 = 1, float v1 = 1)
{
    SDL_Color c{uint8_t(colour >> 16), uint8_t(colour >> 8), uint8_t(colour), uint8_t(colour >> 24)};
    int base = int(v.size());
    v.push_back({{l, t}, c, {u0, v0}});
    v.push_back({{r, t}, c, {u1, v0}});
    v.push_back({{r, b}, c, {u1, v1}});
    v.push_back({{l, b}, c, {u0, v1}});
    for (int i : {0, 1, 2, 0, 2, 3}) idx.push_back(base + i);
}

void SdlQuads(benchmark::State& state, bool linear, bool translucent, double scale)
{
    const int size = int(state.range(0));
    SdlScene s;
    if (!s.renderer) {
        state.SkipWithError("no SDL software renderer");
        return;
    }
    const int tex = std::max(1, int(size * scale));
    SDL_Texture* texture = s.Texture(tex, tex, MakeTexels(tex, tex, translucent, 7), linear);
    std::vector<SDL_Vertex> v;
    std::vector<int> idx;
    for (const Placement& p : Positions(size, kQuadsPerDraw, 11))
        SdlAppendQuad(v, idx, p.x, p.y, p.x + size, p.y + size, 0xFFFFFFFF);
    for (auto _ : state) {
        SDL_RenderGeometry(s.renderer, texture, v.data(), int(v.size()), idx.data(), int(idx.size()));
        SDL_RenderFlush(s.renderer);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * kQuadsPerDraw * size * size);
}

// Quads turned by 30 degrees (fanned cards): the triangle road.
void RotatedCorners(float cx, float cy, float size, float out[4][2])
{
    const float c = std::cos(0.5236f), sn = std::sin(0.5236f), h = size / 2;
    const float corner[4][2] = {{-h, -h}, {h, -h}, {h, h}, {-h, h}};
    for (int i = 0; i < 4; ++i) {
        out[i][0] = cx + corner[i][0] * c - corner[i][1] * sn;
        out[i][1] = cy + corner[i][0] * sn + corner[i][1] * c;
    }
}

void SoftRotated(benchmark::State& state)
{
    const int size = int(state.range(0));
    SoftScene s;
    auto texture = s.Texture(size, size, MakeTexels(size, size, false, 7));
    s.device->SetTexture(0, texture);
    std::vector<sg::ScreenVertex> v;
    std::vector<uint16_t> idx;
    const float uv[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    for (const Placement& p : Positions(size * 2, kQuadsPerDraw, 11)) {
        float k[4][2];
        RotatedCorners(p.x + size, p.y + size, float(size), k);
        uint16_t base = uint16_t(v.size());
        for (int i = 0; i < 4; ++i) v.push_back({k[i][0], k[i][1], 0, 1, 0xFFFFFFFF, 0xFFFFFFFF, uv[i][0], uv[i][1]});
        for (uint16_t i : {0, 1, 2, 0, 2, 3}) idx.push_back(uint16_t(base + i));
    }
    for (auto _ : state) Draw(*s.device, v, idx);
    state.SetItemsProcessed(int64_t(state.iterations()) * kQuadsPerDraw * size * size);
}

void SdlRotated(benchmark::State& state)
{
    const int size = int(state.range(0));
    SdlScene s;
    if (!s.renderer) {
        state.SkipWithError("no SDL software renderer");
        return;
    }
    SDL_Texture* texture = s.Texture(size, size, MakeTexels(size, size, false, 7), false);
    std::vector<SDL_Vertex> v;
    std::vector<int> idx;
    const float uv[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    for (const Placement& p : Positions(size * 2, kQuadsPerDraw, 11)) {
        float k[4][2];
        RotatedCorners(p.x + size, p.y + size, float(size), k);
        int base = int(v.size());
        for (int i = 0; i < 4; ++i) v.push_back({{k[i][0], k[i][1]}, {255, 255, 255, 255}, {uv[i][0], uv[i][1]}});
        for (int i : {0, 1, 2, 0, 2, 3}) idx.push_back(base + i);
    }
    for (auto _ : state) {
        SDL_RenderGeometry(s.renderer, texture, v.data(), int(v.size()), idx.data(), int(idx.size()));
        SDL_RenderFlush(s.renderer);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * kQuadsPerDraw * size * size);
}

// ---------------------------------------------------------------- the card table

struct TableLayout {
    std::vector<Placement> cards = Positions(140, 53, 21);
    std::vector<Placement> glyphs = Positions(16, 400, 22);
    std::vector<Placement> panels = Positions(120, 40, 23);
    std::vector<uint32_t> backdrop = MakeTexels(kWidth, kHeight, false, 1);
    std::vector<uint32_t> card = MakeTexels(100, 140, false, 2);
    std::vector<uint32_t> atlas = MakeTexels(256, 256, false, 3);
    TableLayout()
    {
        for (uint32_t& t : backdrop) t |= 0xFF000000;
    }
};

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// Through the framework: video layer, render cache, device, rasterizer.
void SoftCardTable(benchmark::State& state, bool linear)
{
    FrameworkStart("bench");
    TQZVideo* video = GetVideo();
    // A headless window: the frame is measured up to the present, not the copy a window makes of it.
    if (video->SetMode(kWidth, kHeight, std::make_unique<TQZHeadlessVideoWindow>(kWidth, kHeight), QZWINDOW_WINDOWED,
                       0) != QZRES_OK) {
        state.SkipWithError("no video");
        FrameworkStop();
        return;
    }
    TQZDirect3DDevice* device = Direct3DDevice();
    device->SetTextureFilter(linear);
    struct Image : TQZD3DImageClass {
        std::shared_ptr<sg::Texture> t;
        std::shared_ptr<sg::Texture> DeviceTexture() const override { return t; }
    };
    static TableLayout layout;
    static Image backdrop, atlas;
    static std::vector<std::unique_ptr<Image>> cards;
    auto make = [&](Image& image, int w, int h, const std::vector<uint32_t>& texels) {
        device->Device()->CreateTexture(w, h, 1, 0, sg::kFormatA8R8G8B8, sg::kPoolManaged, image.t);
        std::copy(texels.begin(), texels.end(), image.t->Level0().Pixels());
        image.width = w;
        image.height = h;
    };
    make(backdrop, kWidth, kHeight, layout.backdrop);
    make(atlas, 256, 256, layout.atlas);
    cards.clear();
    for (int i = 0; i < 53; ++i) {
        cards.push_back(std::make_unique<Image>());
        make(*cards.back(), 100, 140, layout.card);
    }
    video->drawProc = [](TQZVideo* v) {
        TQZRenderCache* c = v->GetRenderCache();
        c->SetTexture(&backdrop);
        c->AddQuad({0, 0, kWidth, kHeight}, 0xFFFFFFFF, {0, 0, 1, 1});
        for (int i = 0; i < 53; ++i) {
            const Placement& p = layout.cards[size_t(i)];
            c->SetTexture(cards[size_t(i)].get());
            c->AddQuad({int(p.x), int(p.y), int(p.x) + 100, int(p.y) + 140}, 0xFFFFFFFF, {0, 0, 1, 1});
        }
        c->SetTexture(&atlas);
        for (size_t i = 0; i < layout.glyphs.size(); ++i) {
            const Placement& p = layout.glyphs[i];
            float u = float(i % 16) / 16, w = 10.0f / 256;
            c->AddQuad({int(p.x), int(p.y), int(p.x) + 10, int(p.y) + 16}, 0xFFFFFFE0, {u, 0, u + w, 16.0f / 256});
        }
        for (const Placement& p : layout.panels)
            v->FillRect({int(p.x), int(p.y), int(p.x) + 120, int(p.y) + 40}, 0x80102040);
    };
    std::vector<double> ms;
    for (auto _ : state) {
        auto t0 = std::chrono::steady_clock::now();
        video->Redraw();
        ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
    }
    state.counters["median_ms"] = Median(ms);
    state.counters["draw_calls"] = device->drawCalls;
    cards.clear();
    backdrop.t.reset();
    atlas.t.reset();
    FrameworkStop();
}

void SdlCardTable(benchmark::State& state, bool linear)
{
    SdlScene s;
    if (!s.renderer) {
        state.SkipWithError("no SDL software renderer");
        return;
    }
    static TableLayout layout;
    SDL_Texture* backdrop = s.Texture(kWidth, kHeight, layout.backdrop, linear);
    SDL_Texture* atlas = s.Texture(256, 256, layout.atlas, linear);
    std::vector<SDL_Texture*> cards;
    for (int i = 0; i < 53; ++i) cards.push_back(s.Texture(100, 140, layout.card, linear));
    std::vector<SDL_Vertex> full, glyphs, panels;
    std::vector<int> fullIdx, glyphIdx, panelIdx;
    SdlAppendQuad(full, fullIdx, 0, 0, kWidth, kHeight, 0xFFFFFFFF);
    for (size_t i = 0; i < layout.glyphs.size(); ++i) {
        const Placement& p = layout.glyphs[i];
        float u = float(i % 16) / 16, w = 10.0f / 256;
        SdlAppendQuad(glyphs, glyphIdx, p.x, p.y, p.x + 10, p.y + 16, 0xFFFFFFE0, u, 0, u + w, 16.0f / 256);
    }
    for (const Placement& p : layout.panels) SdlAppendQuad(panels, panelIdx, p.x, p.y, p.x + 120, p.y + 40, 0x80102040);
    SDL_SetRenderDrawBlendMode(s.renderer, SDL_BLENDMODE_BLEND);
    std::vector<double> ms;
    for (auto _ : state) {
        auto t0 = std::chrono::steady_clock::now();
        SDL_RenderGeometry(s.renderer, backdrop, full.data(), 4, fullIdx.data(), 6);
        for (int i = 0; i < 53; ++i) {
            std::vector<SDL_Vertex> v;
            std::vector<int> idx;
            const Placement& p = layout.cards[size_t(i)];
            SdlAppendQuad(v, idx, p.x, p.y, p.x + 100, p.y + 140, 0xFFFFFFFF);
            SDL_RenderGeometry(s.renderer, cards[size_t(i)], v.data(), 4, idx.data(), 6);
        }
        SDL_RenderGeometry(s.renderer, atlas, glyphs.data(), int(glyphs.size()), glyphIdx.data(), int(glyphIdx.size()));
        SDL_RenderGeometry(s.renderer, nullptr, panels.data(), int(panels.size()), panelIdx.data(), int(panelIdx.size()));
        SDL_RenderFlush(s.renderer);
        ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
    }
    state.counters["median_ms"] = Median(ms);
}

}  // namespace

BENCHMARK_CAPTURE(SoftQuads, point_alpha, false, false, 1.0)->Arg(64)->Arg(128)->Arg(256);
BENCHMARK_CAPTURE(SdlQuads, point_alpha, false, false, 1.0)->Arg(64)->Arg(128)->Arg(256);
BENCHMARK_CAPTURE(SoftQuads, point_translucent, false, true, 1.0)->Arg(64)->Arg(128)->Arg(256);
BENCHMARK_CAPTURE(SdlQuads, point_translucent, false, true, 1.0)->Arg(64)->Arg(128)->Arg(256);
BENCHMARK_CAPTURE(SoftQuads, point_alpha_scaled, false, false, 0.75)->Arg(64)->Arg(128)->Arg(256);
BENCHMARK_CAPTURE(SdlQuads, point_alpha_scaled, false, false, 0.75)->Arg(64)->Arg(128)->Arg(256);
BENCHMARK_CAPTURE(SoftQuads, bilinear_alpha_scaled, true, false, 0.75)->Arg(64)->Arg(128)->Arg(256);
BENCHMARK_CAPTURE(SdlQuads, bilinear_alpha_scaled, true, false, 0.75)->Arg(64)->Arg(128)->Arg(256);
BENCHMARK(SoftRotated)->Arg(64)->Arg(128);
BENCHMARK(SdlRotated)->Arg(64)->Arg(128);
BENCHMARK_CAPTURE(SoftCardTable, point, false)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK_CAPTURE(SdlCardTable, point, false)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK_CAPTURE(SoftCardTable, bilinear, true)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK_CAPTURE(SdlCardTable, bilinear, true)->Unit(benchmark::kMillisecond)->MinTime(1.0);

namespace {

// Console output as usual, then each of our figures against SDL's.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs) {
            std::string name = r.benchmark_name();
            auto it = r.counters.find("items_per_second");
            auto median = r.counters.find("median_ms");
            if (it != r.counters.end()) rates_[name] = it->second;
            if (median != r.counters.end()) medians_[name] = median->second;
        }
    }
    void Finalize() override
    {
        ConsoleReporter::Finalize();
        std::printf("\nours against SDL's software renderer\n");
        for (const auto& [name, rate] : rates_) {
            if (name.rfind("Soft", 0) != 0) continue;
            auto other = rates_.find("Sdl" + name.substr(4));
            if (other != rates_.end() && other->second > 0)
                std::printf("  %-40s %8.0f Mpx/s  %8.0f Mpx/s  x%.2f\n", name.c_str(), rate / 1e6, other->second / 1e6,
                            rate / other->second);
        }
        for (const auto& [name, ms] : medians_) {
            if (name.rfind("Soft", 0) != 0) continue;
            auto other = medians_.find("Sdl" + name.substr(4));
            if (other != medians_.end() && ms > 0)
                std::printf("  %-40s median %6.2f ms  %6.2f ms  x%.2f\n", name.c_str(), ms, other->second,
                            other->second / ms);
        }
    }

private:
    std::map<std::string, double> rates_, medians_;
};

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
