// The effect language compiled: every value split into its float
// components, each component either uniform (the same for every pixel of a
// draw: parameters, literals and what is made of them only) or varying (one
// value per pixel, kept in lanes). A technique becomes a uniform program run
// once per draw and a pixel program run over the pixels' lanes.
#pragma once

#include "sgEffectParse.h"

#include <cstdint>
#include <string>
#include <vector>

namespace plat::softgpu::fx {

enum class Op : uint8_t {
    Copy, Add, Sub, Mul, Div, Neg, Min, Max, Abs, Floor, Frac, Sqrt, Sin, Cos, Exp, Log, Pow, Step, Fmod, Atan2,
    Clamp, Lerp, SmoothStep, Sample
};

// A uniform slot or (varying) a lane register.
struct Operand {
    uint16_t index = 0;
    bool varying = false;
};

struct Instr {
    Op op = Op::Copy;
    uint16_t dst = 0;
    Operand a, b, c;
    // Sample: the texture's number, and the green, blue and alpha results
    // (red goes to dst).
    uint16_t texture = 0;
    uint16_t more[3] = {0, 0, 0};
};

// Lane registers the pixel program starts with: the texture coordinate and
// the position within the drawn rectangle (pixel centres).
constexpr uint16_t REG_U = 0, REG_V = 1, REG_X = 2, REG_Y = 3, REG_INPUTS = 4;
// Uniform slots every effect starts with: the drawn rectangle's size.
constexpr uint16_t SLOT_WIDTH = 0, SLOT_HEIGHT = 1, SLOT_BUILTINS = 2;

struct TechniqueProgram {
    std::string name;
    std::vector<Instr> uniform;  // results in uniform slots
    std::vector<Instr> pixel;    // results in lane registers
    uint16_t registers = REG_INPUTS;
    Operand out[4];              // red, green, blue, alpha
};

struct ParameterInfo {
    std::string name;
    TypeName type = TypeName::None;
    uint16_t slot = 0;     // first uniform slot (floats and matrices)
    uint16_t texture = 0;  // textures: the texture's number
};

struct CompiledEffect {
    std::vector<ParameterInfo> parameters;
    std::vector<float> uniforms;  // initial values of every slot
    uint16_t textures = 0;
    std::vector<TechniqueProgram> techniques;
};

// False with the first error found.
[[nodiscard]] bool CompileEffectSource(const EffectSource& source, CompiledEffect& out, SourceError& error);

}  // namespace plat::softgpu::fx
