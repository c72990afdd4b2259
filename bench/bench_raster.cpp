// The CPU rasterizer against SDL's software renderer, single-threaded, on a
// 1280 x 800 target: textured quads copied, alpha-blended (point and
// bilinear) and a card-table frame. Quad sides include widths that are not a
// multiple of eight (10, 100, 252), where the vector loops end in a tail.
// Pixel rates are items per second; frame times report their median in
// milliseconds. Run pinned to one core, e.g.
//   taskset -c 3 bench_raster --benchmark_repetitions=5
#include "benchutil.h"
#include "qz7direct3d.h"
#include "qz7video.h"
#include "qz7videochoice.h"
#include "sgSystem.h"

#include <SDL2/SDL.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
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

    explicit SoftScene(bool blend = true)
    {
        sg::PresentParameters pp;
        pp.backBufferWidth = kWidth;
        pp.backBufferHeight = kHeight;
        // Setup the unit tests prove; not checked again in a benchmark.
        (void)system->CreateDevice(0, sg::kDeviceTypeHal, nullptr, 0, pp, device);
        (void)device->SetFVF(sg::kFvfScreenVertex);
        (void)device->SetRenderState(sg::kRsAlphaBlendEnable, blend ? 1 : 0);
        (void)device->SetRenderState(sg::kRsSrcBlend, sg::kBlendSrcAlpha);
        (void)device->SetRenderState(sg::kRsDestBlend, sg::kBlendInvSrcAlpha);
        (void)device->SetTextureStageState(0, sg::kTssAlphaOp, sg::kTopModulate);
        (void)device->SetTextureStageState(0, sg::kTssColorArg2, sg::kArgDiffuse);
        (void)device->SetTextureStageState(0, sg::kTssAlphaArg2, sg::kArgDiffuse);
        (void)device->Clear(0, nullptr, sg::kClearTarget, 0xFF204020, 1, 0);
    }

    std::shared_ptr<sg::Texture> Texture(int w, int h, const std::vector<uint32_t>& texels)
    {
        std::shared_ptr<sg::Texture> t;
        // Setup the unit tests prove; not checked again in a benchmark.
        (void)device->CreateTexture(w, h, 1, 0, sg::kFormatA8R8G8B8, sg::kPoolManaged, t);
        std::copy(texels.begin(), texels.end(), t->Level0().Pixels());
        return t;
    }

    void Linear(bool on)
    {
        // Setup the unit tests prove; not checked again in a benchmark.
        (void)device->SetSamplerState(0, sg::kSampMagFilter, on ? sg::kFilterLinear : sg::kFilterPoint);
        (void)device->SetSamplerState(0, sg::kSampMinFilter, on ? sg::kFilterLinear : sg::kFilterPoint);
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
    // The unit tests check what a draw returns; here only its time counts.
    (void)d.DrawIndexedPrimitiveUP(sg::kPrimitiveTriangleList, 0, uint32_t(v.size()), uint32_t(idx.size() / 3),
                                   idx.data(), sg::kFormatIndex16, v.data(), sizeof(sg::ScreenVertex));
}

// size: quad side; scale: texels per pixel in the destination (1 = unscaled);
// blend off: the texels are copied.
void SoftQuads(benchmark::State& state, bool linear, bool translucent, double scale, bool blend)
{
    const int size = int(state.range(0));
    SoftScene s(blend);
    s.Linear(linear);
    const int tex = std::max(1, int(size * scale));
    auto texture = s.Texture(tex, tex, MakeTexels(tex, tex, translucent, 7));
    (void)s.device->SetTexture(0, texture);  // setup the unit tests prove; not checked again in a benchmark
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
    SDL_Texture* Texture(int w, int h, const std::vector<uint32_t>& texels, bool linear, bool blend = true)
    {
        SDL_Texture* t = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC, w, h);
        SDL_UpdateTexture(t, nullptr, texels.data(), w * 4);
        SDL_SetTextureBlendMode(t, blend ? SDL_BLENDMODE_BLEND : SDL_BLENDMODE_NONE);
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

void SdlQuads(benchmark::State& state, bool linear, bool translucent, double scale, bool blend)
{
    const int size = int(state.range(0));
    SdlScene s;
    if (!s.renderer) {
        state.SkipWithError("no SDL software renderer");
        return;
    }
    const int tex = std::max(1, int(size * scale));
    SDL_Texture* texture = s.Texture(tex, tex, MakeTexels(tex, tex, translucent, 7), linear, blend);
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
    (void)s.device->SetTexture(0, texture);  // setup the unit tests prove; not checked again in a benchmark
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

// Sizes of what a table frame draws: a full-screen backdrop, 53 cards, 400
// glyphs from an atlas and 40 translucent panels.
struct TableShape {
    int cardW, cardH, glyphW, glyphH, panelW, panelH;
};
// The usual table, and one whose every width leaves a tail after the
// eight-pixel steps (3, 5 and 7 pixels).
constexpr TableShape kTable{100, 140, 10, 16, 120, 40};
constexpr TableShape kOddTable{99, 139, 13, 15, 119, 41};

struct TableLayout {
    TableShape shape;
    std::vector<Placement> cards, glyphs, panels;
    std::vector<uint32_t> backdrop = MakeTexels(kWidth, kHeight, false, 1);
    std::vector<uint32_t> card;
    std::vector<uint32_t> atlas = MakeTexels(256, 256, false, 3);
    explicit TableLayout(const TableShape& t)
        : shape(t), cards(Positions(std::max(t.cardW, t.cardH), 53, 21)),
          glyphs(Positions(std::max(t.glyphW, t.glyphH), 400, 22)),
          panels(Positions(std::max(t.panelW, t.panelH), 40, 23)), card(MakeTexels(t.cardW, t.cardH, false, 2))
    {
        for (uint32_t& p : backdrop) p |= 0xFF000000;
    }
    // The atlas cell of glyph i, in texture coordinates.
    float GlyphU(size_t i) const { return float(i % 16) / 16; }
    float GlyphW() const { return float(shape.glyphW) / 256; }
    float GlyphV() const { return float(shape.glyphH) / 256; }
};

double Median(std::vector<double> v)
{
    if (v.empty()) return 0;
    std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
    return v[v.size() / 2];
}

// What the draw procedure of the framework's video reads (it takes no context).
struct SoftTable {
    struct Image : TQZD3DImageClass {
        std::shared_ptr<sg::Texture> t;
        std::shared_ptr<sg::Texture> DeviceTexture() const override { return t; }
    };
    const TableLayout* layout = nullptr;
    Image backdrop, atlas;
    std::vector<std::unique_ptr<Image>> cards;

    static void Draw(TQZVideo* v);
};
SoftTable* softTable = nullptr;

void SoftTable::Draw(TQZVideo* v)
{
    SoftTable& t = *softTable;
    const TableShape& k = t.layout->shape;
    TQZRenderCache* c = v->GetRenderCache();
    c->SetTexture(&t.backdrop);
    c->AddQuad({0, 0, kWidth, kHeight}, 0xFFFFFFFF, {0, 0, 1, 1});
    for (size_t i = 0; i < t.cards.size(); ++i) {
        const Placement& p = t.layout->cards[i];
        c->SetTexture(t.cards[i].get());
        c->AddQuad({int(p.x), int(p.y), int(p.x) + k.cardW, int(p.y) + k.cardH}, 0xFFFFFFFF, {0, 0, 1, 1});
    }
    c->SetTexture(&t.atlas);
    for (size_t i = 0; i < t.layout->glyphs.size(); ++i) {
        const Placement& p = t.layout->glyphs[i];
        const float u = t.layout->GlyphU(i);
        c->AddQuad({int(p.x), int(p.y), int(p.x) + k.glyphW, int(p.y) + k.glyphH}, 0xFFFFFFE0,
                   {u, 0, u + t.layout->GlyphW(), t.layout->GlyphV()});
    }
    for (const Placement& p : t.layout->panels)
        v->FillRect({int(p.x), int(p.y), int(p.x) + k.panelW, int(p.y) + k.panelH}, 0x80102040);
}

// Through the framework: video layer, render cache, device, rasterizer.
void SoftCardTable(benchmark::State& state, bool linear, TableShape shape)
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
    const TableLayout layout(shape);
    {
        SoftTable table;
        table.layout = &layout;
        auto make = [&](SoftTable::Image& image, int w, int h, const std::vector<uint32_t>& texels) {
            // Setup the unit tests prove; not checked again in a benchmark.
            (void)device->Device()->CreateTexture(w, h, 1, 0, sg::kFormatA8R8G8B8, sg::kPoolManaged, image.t);
            std::copy(texels.begin(), texels.end(), image.t->Level0().Pixels());
            image.width = w;
            image.height = h;
        };
        make(table.backdrop, kWidth, kHeight, layout.backdrop);
        make(table.atlas, 256, 256, layout.atlas);
        for (size_t i = 0; i < layout.cards.size(); ++i) {
            table.cards.push_back(std::make_unique<SoftTable::Image>());
            make(*table.cards.back(), shape.cardW, shape.cardH, layout.card);
        }
        softTable = &table;
        video->drawProc = &SoftTable::Draw;
        std::vector<double> ms;
        for (auto _ : state) {
            auto t0 = std::chrono::steady_clock::now();
            video->Redraw();
            ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
        }
        state.counters["median_ms"] = Median(ms);
        state.counters["draw_calls"] = device->drawCalls;
        video->drawProc = nullptr;
        softTable = nullptr;
    }
    FrameworkStop();
}

void SdlCardTable(benchmark::State& state, bool linear, TableShape shape)
{
    SdlScene s;
    if (!s.renderer) {
        state.SkipWithError("no SDL software renderer");
        return;
    }
    const TableLayout layout(shape);
    SDL_Texture* backdrop = s.Texture(kWidth, kHeight, layout.backdrop, linear);
    SDL_Texture* atlas = s.Texture(256, 256, layout.atlas, linear);
    std::vector<SDL_Texture*> cards;
    for (size_t i = 0; i < layout.cards.size(); ++i)
        cards.push_back(s.Texture(shape.cardW, shape.cardH, layout.card, linear));
    std::vector<SDL_Vertex> full, glyphs, panels;
    std::vector<int> fullIdx, glyphIdx, panelIdx;
    SdlAppendQuad(full, fullIdx, 0, 0, kWidth, kHeight, 0xFFFFFFFF);
    for (size_t i = 0; i < layout.glyphs.size(); ++i) {
        const Placement& p = layout.glyphs[i];
        const float u = layout.GlyphU(i);
        SdlAppendQuad(glyphs, glyphIdx, p.x, p.y, p.x + shape.glyphW, p.y + shape.glyphH, 0xFFFFFFE0, u, 0,
                      u + layout.GlyphW(), layout.GlyphV());
    }
    for (const Placement& p : layout.panels)
        SdlAppendQuad(panels, panelIdx, p.x, p.y, p.x + shape.panelW, p.y + shape.panelH, 0x80102040);
    SDL_SetRenderDrawBlendMode(s.renderer, SDL_BLENDMODE_BLEND);
    std::vector<double> ms;
    for (auto _ : state) {
        auto t0 = std::chrono::steady_clock::now();
        SDL_RenderGeometry(s.renderer, backdrop, full.data(), 4, fullIdx.data(), 6);
        for (size_t i = 0; i < cards.size(); ++i) {
            std::vector<SDL_Vertex> v;
            std::vector<int> idx;
            const Placement& p = layout.cards[i];
            SdlAppendQuad(v, idx, p.x, p.y, p.x + shape.cardW, p.y + shape.cardH, 0xFFFFFFFF);
            SDL_RenderGeometry(s.renderer, cards[i], v.data(), 4, idx.data(), 6);
        }
        SDL_RenderGeometry(s.renderer, atlas, glyphs.data(), int(glyphs.size()), glyphIdx.data(), int(glyphIdx.size()));
        SDL_RenderGeometry(s.renderer, nullptr, panels.data(), int(panels.size()), panelIdx.data(), int(panelIdx.size()));
        SDL_RenderFlush(s.renderer);
        ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
    }
    state.counters["median_ms"] = Median(ms);
}

// Quad sides: multiples of eight and widths that end in a tail.
void Sides(benchmark::internal::Benchmark* b)
{
    for (int side : {10, 64, 100, 128, 252, 256}) b->Arg(side);
}

}  // namespace

BENCHMARK_CAPTURE(SoftQuads, point_copy, false, false, 1.0, false)->Apply(Sides);
BENCHMARK_CAPTURE(SdlQuads, point_copy, false, false, 1.0, false)->Apply(Sides);
BENCHMARK_CAPTURE(SoftQuads, point_alpha, false, false, 1.0, true)->Apply(Sides);
BENCHMARK_CAPTURE(SdlQuads, point_alpha, false, false, 1.0, true)->Apply(Sides);
BENCHMARK_CAPTURE(SoftQuads, point_translucent, false, true, 1.0, true)->Apply(Sides);
BENCHMARK_CAPTURE(SdlQuads, point_translucent, false, true, 1.0, true)->Apply(Sides);
BENCHMARK_CAPTURE(SoftQuads, point_alpha_scaled, false, false, 0.75, true)->Apply(Sides);
BENCHMARK_CAPTURE(SdlQuads, point_alpha_scaled, false, false, 0.75, true)->Apply(Sides);
BENCHMARK_CAPTURE(SoftQuads, bilinear_alpha_scaled, true, false, 0.75, true)->Apply(Sides);
BENCHMARK_CAPTURE(SdlQuads, bilinear_alpha_scaled, true, false, 0.75, true)->Apply(Sides);
BENCHMARK(SoftRotated)->Arg(64)->Arg(100)->Arg(128);
BENCHMARK(SdlRotated)->Arg(64)->Arg(100)->Arg(128);
BENCHMARK_CAPTURE(SoftCardTable, point, false, kTable)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK_CAPTURE(SdlCardTable, point, false, kTable)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK_CAPTURE(SoftCardTable, bilinear, true, kTable)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK_CAPTURE(SdlCardTable, bilinear, true, kTable)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK_CAPTURE(SoftCardTable, point_odd, false, kOddTable)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK_CAPTURE(SdlCardTable, point_odd, false, kOddTable)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK_CAPTURE(SoftCardTable, bilinear_odd, true, kOddTable)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK_CAPTURE(SdlCardTable, bilinear_odd, true, kOddTable)->Unit(benchmark::kMillisecond)->MinTime(1.0);

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nours against SDL's software renderer (median of the repetitions)\n");
    reporter.PrintPairs("Soft", "Sdl", "items_per_second", 1e6, "Mpx/s", false);
    reporter.PrintPairs("Soft", "Sdl", "median_ms", 1, "ms   ", true);
    benchmark::Shutdown();
    return 0;
}
