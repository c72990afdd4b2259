#include "qzlux7effects.h"

#include "qz7texture.h"
#include "sgEffect.h"

#include <cstdio>

namespace sg = plat::softgpu;

namespace {
std::string Hex8(int32_t v)
{
    char text[16];
    std::snprintf(text, sizeof text, "%08X", uint32_t(v));
    return text;
}
}  // namespace

ELuxCompileException::ELuxCompileException(const std::string& message) : std::runtime_error(message)
{
    const size_t open = message.find('(');
    if (open == std::string::npos) return;
    const size_t close = message.find(')', open);
    if (close == std::string::npos) return;
    int line = 0, column = 0;
    char tail = 0;
    const std::string inside = message.substr(open + 1, close - open - 1);
    if (std::sscanf(inside.c_str(), "%d , %d%c", &line, &column, &tail) == 2) {
        line_ = line;
        column_ = column;
    }
}

std::unique_ptr<TQZLuxEffect> TQZLuxEffect::Create(const void* bytes, int32_t size, void*,
                                                   const std::string& technique)
{
    std::unique_ptr<TQZLuxEffect> effect(new TQZLuxEffect());
    effect->technique = technique;
    effect->Compile(bytes, size);  // raises: the object goes with the unwinding
    return effect;
}

TQZLuxEffect::~TQZLuxEffect() = default;

void TQZLuxEffect::Compile(const void* bytes, int32_t size)
{
    effect_.reset();
    technique_ = -1;
    hWVP = hWorld = hWorldInverseTranspose = hTex = hLuxExtra = -1;
    std::string errors;
    const std::string_view text(static_cast<const char*>(bytes), bytes && size > 0 ? size_t(size) : 0);
    std::shared_ptr<sg::Effect> compiled = sg::Effect::Compile(text, "effect", errors);
    if (compiled && !technique.empty() && compiled->TechniqueIndex(technique) < 0) {
        errors = "effect(1,1): error: the effect has no technique '" + technique + "'";
        compiled.reset();
    }
    if (!compiled) {
        const std::string what = errors.empty() ? "Failed HResult code $" + Hex8(QZRES_FAILED) : errors;
        throw ELuxCompileException("Error Compiling D3D FX Shader: \"" + what + "\"");
    }
    effect_ = std::move(compiled);
    technique_ = technique.empty() ? 0 : effect_->TechniqueIndex(technique);
    hWVP = effect_->ParameterIndex("gWVP");
    hWorld = effect_->ParameterIndex("gWorld");
    hWorldInverseTranspose = effect_->ParameterIndex("gWorldInverseTranspose");
    hTex = effect_->ParameterIndex("gTex");
    hLuxExtra = effect_->ParameterIndex("gLuxExtra");
}

bool TQZLuxEffect::SetMatrix(int32_t handle, const float* values)
{
    return effect_ && values && effect_->SetFloats(handle, values, 16);
}

bool TQZLuxEffect::SetVector(int32_t handle, float x, float y, float z, float w)
{
    const float v[4] = {x, y, z, w};
    std::vector<float> now;
    if (!effect_ || !effect_->GetFloats(handle, now) || now.empty() || now.size() > 4) return false;
    return effect_->SetFloats(handle, v, int32_t(now.size()));
}

bool TQZLuxEffect::SetTexture(int32_t handle, TQZTexture* texture)
{
    return effect_ && effect_->SetTexture(handle, texture ? texture->DeviceTexture() : nullptr);
}

int32_t TQZLuxEffect::Draw(const TQZRect& dest, const TQZRectF& uv)
{
    TQZDirect3DDevice* device = Direct3DDevice();
    if (!effect_ || !device || !device->Device()) return QZRES_D3D_NODEVICE;
    if (!device->TestDevice()) return QZRES_D3D_DEVICELOST;
    device->CountDraw(2);
    const sg::Rect r{dest.left, dest.top, dest.right, dest.bottom};
    const int32_t result = device->Device()->DrawEffect(*effect_, technique_, r, uv.left, uv.top, uv.right, uv.bottom);
    return result == sg::kOk ? QZRES_OK : QZRES_FAILED;
}

// The CPU device keeps nothing of an effect's in its own memory: loss and
// reset leave it as it is. A texture parameter holds its device texture,
// which the texture object makes anew after a reset, so it is set again
// by whoever draws.
void TQZLuxEffect::OnLostDevice() {}
void TQZLuxEffect::OnResetDevice() {}
