#include "sgEffect.h"

#include "sgEffectRun.h"

#include <algorithm>

namespace plat::softgpu {

std::shared_ptr<Effect> Effect::Compile(std::string_view text, const std::string& sourceName, std::string& error)
{
    error.clear();
    fx::EffectSource source;
    fx::SourceError where;
    std::shared_ptr<Effect> effect(new Effect());
    if (!fx::ParseEffect(text, source, where) || !fx::CompileEffectSource(source, effect->program_, where)) {
        error = sourceName + "(" + std::to_string(where.line) + "," + std::to_string(where.column) +
                "): error: " + where.message;
        return nullptr;
    }
    effect->slots_ = effect->program_.uniforms;
    effect->textures_.resize(effect->program_.textures);
    effect->views_.resize(effect->program_.textures);
    return effect;
}

int32_t Effect::ParameterIndex(std::string_view name) const
{
    for (size_t i = 0; i < program_.parameters.size(); ++i)
        if (program_.parameters[i].name == name) return int32_t(i);
    return -1;
}

int32_t Effect::TechniqueIndex(std::string_view name) const
{
    for (size_t i = 0; i < program_.techniques.size(); ++i)
        if (program_.techniques[i].name == name) return int32_t(i);
    return -1;
}

bool Effect::SetFloats(int32_t parameter, const float* values, int32_t count)
{
    if (parameter < 0 || size_t(parameter) >= program_.parameters.size() || !values) return false;
    const fx::ParameterInfo& p = program_.parameters[size_t(parameter)];
    const int32_t size = fx::ComponentsOf(p.type);
    if (p.type == fx::TypeName::Texture || (count != size && count != 1)) return false;
    for (int32_t i = 0; i < size; ++i) slots_[size_t(p.slot + i)] = values[count == 1 ? 0 : i];
    return true;
}

bool Effect::GetFloats(int32_t parameter, std::vector<float>& out) const
{
    if (parameter < 0 || size_t(parameter) >= program_.parameters.size()) return false;
    const fx::ParameterInfo& p = program_.parameters[size_t(parameter)];
    if (p.type == fx::TypeName::Texture) return false;
    out.assign(slots_.begin() + p.slot, slots_.begin() + p.slot + fx::ComponentsOf(p.type));
    return true;
}

bool Effect::SetTexture(int32_t parameter, std::shared_ptr<Texture> texture)
{
    if (parameter < 0 || size_t(parameter) >= program_.parameters.size()) return false;
    const fx::ParameterInfo& p = program_.parameters[size_t(parameter)];
    if (p.type != fx::TypeName::Texture) return false;
    textures_[p.texture] = std::move(texture);
    return true;
}

bool Effect::Begin(int32_t technique, int32_t width, int32_t height)
{
    technique_ = -1;
    if (technique < 0 || technique >= TechniqueCount()) return false;
    for (size_t i = 0; i < textures_.size(); ++i) {
        fx::TextureView v;
        if (const Texture* t = textures_[i].get()) {
            const Surface& level = t->Level0();
            v = {level.Pixels(), level.PitchPixels(), level.Width(), level.Height()};
        }
        views_[i] = v;
    }
    slots_[fx::SLOT_WIDTH] = float(width);
    slots_[fx::SLOT_HEIGHT] = float(height);
    const fx::TechniqueProgram& t = program_.techniques[size_t(technique)];
    fx::RunUniform(t, slots_.data(), views_.data(), uint16_t(views_.size()));
    technique_ = technique;
    return true;
}

std::vector<float> Effect::NewScratch() const
{
    if (technique_ < 0) return {};
    return std::vector<float>(size_t(program_.techniques[size_t(technique_)].registers) * fx::kLanes, 0.0f);
}

void Effect::Shade(std::vector<float>& scratch, int32_t x, int32_t y, int32_t count, float u0, float v0, float du,
                   float dv, uint32_t* out) const
{
    if (technique_ < 0 || count <= 0) return;
    const fx::TechniqueProgram& t = program_.techniques[size_t(technique_)];
    if (scratch.size() < size_t(t.registers) * fx::kLanes) scratch.assign(size_t(t.registers) * fx::kLanes, 0.0f);
    float* u = scratch.data() + size_t(fx::REG_U) * fx::kLanes;
    float* v = scratch.data() + size_t(fx::REG_V) * fx::kLanes;
    float* px = scratch.data() + size_t(fx::REG_X) * fx::kLanes;
    float* py = scratch.data() + size_t(fx::REG_Y) * fx::kLanes;
    const float rowY = float(y) + 0.5f, rowV = v0 + rowY * dv;
    for (int32_t done = 0; done < count; done += fx::kLanes) {
        const int32_t n = std::min(fx::kLanes, count - done);
        for (int32_t i = 0; i < fx::kLanes; ++i) {
            // Lanes past the row's end repeat its last pixel: finite inputs only.
            const float cx = float(x + done + std::min(i, n - 1)) + 0.5f;
            px[i] = cx;
            py[i] = rowY;
            u[i] = u0 + cx * du;
            v[i] = rowV;
        }
        fx::RunPixels(t, slots_.data(), scratch.data(), views_.data(), uint16_t(views_.size()), out + done, n);
    }
}

}  // namespace plat::softgpu
