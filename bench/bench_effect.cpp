// The effect language on the CPU device: the rippled-cloth backdrop of the
// tests drawn over a 1280 x 800 target, at full size and at the size its
// description asks for (640 x 400, stretched by the backdrop afterwards), on
// one thread and on the device's default (up to four). Items are pixels;
// the frame time is the time per draw.
#include "backdropfixture.h"
#include "sgEffect.h"
#include "sgSystem.h"

#include <benchmark/benchmark.h>

#include <random>
#include <string>

namespace sg = plat::softgpu;

namespace {

struct Scene {
    std::unique_ptr<sg::System> system = sg::System::Create(sg::kSdkVersion);
    std::unique_ptr<sg::Device> device;
    std::shared_ptr<sg::Effect> effect;

    Scene()
    {
        sg::PresentParameters pp;
        pp.backBufferWidth = 1280;
        pp.backBufferHeight = 800;
        // Setup the unit tests prove; not checked again in a benchmark.
        (void)system->CreateDevice(0, sg::kDeviceTypeHal, nullptr, 0, pp, device);
        std::string error;
        effect = sg::Effect::Compile(vqbackdrop::kEffect, "Ripples.fx", error);
        std::shared_ptr<sg::Texture> grain;
        // Setup the unit tests prove; not checked again in a benchmark.
        (void)device->CreateTexture(64, 64, 1, 0, sg::kFormatA8R8G8B8, sg::kPoolManaged, grain);
        sg::LockedRect lr;
        (void)grain->LockRect(0, lr, nullptr, 0);  // setup the unit tests prove; not checked again in a benchmark
        std::mt19937 rng(7);
        for (int i = 0; i < 64 * 64; ++i) static_cast<uint32_t*>(lr.bits)[i] = 0xFF000000u | (rng() & 0xFFFFFF);
        // Setup the unit tests prove; not checked again in a benchmark.
        (void)grain->UnlockRect(0);
        (void)effect->SetTexture(effect->ParameterIndex("gTex"), grain);
    }
};

void Draw(benchmark::State& state, const char* technique)
{
    Scene scene;
    const int32_t w = int32_t(state.range(0)), h = int32_t(state.range(1));
    scene.device->SetEffectThreads(int32_t(state.range(2)));
    const int32_t t = scene.effect->TechniqueIndex(technique);
    float seconds = 0;
    for (auto _ : state) {
        const float extra[4] = {seconds, float(w), float(h), float(w) / float(h)};
        // The unit tests check what these return; here only their time counts.
        (void)scene.effect->SetFloats(scene.effect->ParameterIndex("gLuxExtra"), extra, 4);
        (void)scene.device->DrawEffect(*scene.effect, t, {0, 0, w, h}, 0, 0, 1, 1);
        seconds += 1.0f / 60.0f;
    }
    state.SetItemsProcessed(state.iterations() * int64_t(w) * h);
}

void BM_RipplesBackdrop(benchmark::State& state) { Draw(state, "Ripples"); }
void BM_StillBackdrop(benchmark::State& state) { Draw(state, "Still"); }

}  // namespace

BENCHMARK(BM_RipplesBackdrop)
    ->Args({1280, 800, 1})
    ->Args({640, 400, 1})
    ->Args({1280, 800, sg::DefaultEffectThreads()})
    ->Args({640, 400, sg::DefaultEffectThreads()})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_StillBackdrop)->Args({1280, 800, 1})->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
