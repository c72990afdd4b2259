// Running a compiled technique: the uniform program once per draw, the
// pixel program over a block of pixels at a time, each operation over all
// the block's lanes at once so that the loops stay short and vectorised.
#pragma once

#include "sgEffectCompile.h"

#include <cstdint>

namespace plat::softgpu::fx {

// Pixels evaluated together; a row is cut into blocks of this many.
constexpr int32_t kLanes = 64;

struct TextureView {
    const uint32_t* pixels = nullptr;  // ARGB; nullptr reads transparent black
    int32_t pitch = 0;                 // in pixels
    int32_t width = 0, height = 0;
};

// The technique's uniform results, written into the slots.
void RunUniform(const TechniqueProgram& t, float* slots, const TextureView* textures, uint16_t textureCount);

// lanes holds t.registers x kLanes floats with the input registers filled;
// the first count pixels' colours go to out as ARGB.
void RunPixels(const TechniqueProgram& t, const float* slots, float* lanes, const TextureView* textures,
               uint16_t textureCount, uint32_t* out, int32_t count);

// The math the programs use, for tests: the same approximations in one lane.
float EffectSin(float x);
float EffectExp(float x);
float EffectLog(float x);
float EffectAtan2(float y, float x);

}  // namespace plat::softgpu::fx
