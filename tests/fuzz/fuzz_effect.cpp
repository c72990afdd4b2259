// The effect language on arbitrary text: a text is compiled or refused with
// a position, never followed too deep or too long, and a compiled effect
// shades a small rectangle whatever its parameters hold.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "sgEffect.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string error;
    const std::string text(reinterpret_cast<const char*>(data), size);
    auto effect = plat::softgpu::Effect::Compile(text, "fuzz", error);
    if (!effect) {
        if (error.rfind("fuzz(", 0) != 0) std::abort();
        return 0;
    }
    std::vector<uint32_t> row(9);
    for (int32_t t = 0; t < effect->TechniqueCount(); ++t) {
        if (!effect->Begin(t, 9, 3)) std::abort();
        std::vector<float> scratch = effect->NewScratch();
        for (int32_t y = 0; y < 3; ++y) effect->Shade(scratch, 0, y, 9, 0, 0, 1.0f / 9, 1.0f / 3, row.data());
    }
    return 0;
}
