// Effects: small per-pixel programs written in the effect language
// (docs/effects.md) that the CPU device evaluates over a rectangle, in place
// of the shader effects a graphics card would run. An effect declares its
// parameters (values, matrices and textures the program sets by name) and
// one or more techniques, each an expression of the pixel's colour.
#pragma once

#include "sgEffectCompile.h"
#include "sgEffectRun.h"
#include "sgResources.h"
#include "sgTypes.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace plat::softgpu {

class Effect {
public:
    // nullptr when the text is not a valid effect; the error then reads
    // "<name>(<line>,<column>): error: <what>".
    static std::shared_ptr<Effect> Compile(std::string_view text, const std::string& sourceName, std::string& error);

    // -1 for a name the effect does not declare.
    int32_t ParameterIndex(std::string_view name) const;
    int32_t TechniqueIndex(std::string_view name) const;
    int32_t TechniqueCount() const { return int32_t(program_.techniques.size()); }
    const std::string& TechniqueName(int32_t index) const { return program_.techniques[size_t(index)].name; }

    // Floats of a value or matrix parameter (16 for a matrix, row by row);
    // false for a texture, an unknown index or a wrong count (a count of 1
    // fills every component).
    [[nodiscard]] bool SetFloats(int32_t parameter, const float* values, int32_t count);
    bool GetFloats(int32_t parameter, std::vector<float>& out) const;
    [[nodiscard]] bool SetTexture(int32_t parameter, std::shared_ptr<Texture> texture);

    // Starts a draw of the technique over a rectangle of the given size: the
    // parameters and textures as they are now. False for no such technique.
    [[nodiscard]] bool Begin(int32_t technique, int32_t width, int32_t height);
    // Working lanes for Shade: one per thread shading at the same time.
    std::vector<float> NewScratch() const;
    // The colours (ARGB) of count pixels of row y of the rectangle from
    // column x: a pixel at (px, py) from the rectangle's corner has the
    // texture coordinate (u0 + (px + 0.5) du, v0 + (py + 0.5) dv). Rows may
    // be shaded by several threads at once, each with its own scratch.
    void Shade(std::vector<float>& scratch, int32_t x, int32_t y, int32_t count, float u0, float v0, float du,
               float dv, uint32_t* out) const;

private:
    Effect() = default;

    fx::CompiledEffect program_;
    std::vector<float> slots_;
    std::vector<std::shared_ptr<Texture>> textures_;
    std::vector<fx::TextureView> views_;
    int32_t technique_ = -1;
};

}  // namespace plat::softgpu
