// Shader effects: an effect text compiled for the CPU device (the effect
// language of docs/effects.md in place of the graphics card's), the handles
// of the five parameters the framework sets ("gWVP", "gWorld",
// "gWorldInverseTranspose", "gTex", "gLuxExtra") and lighting defaults.
// Main thread only: the effect belongs to the device.
#pragma once

#include "qz7core.h"
#include "qz7direct3d.h"

#include <array>
#include <memory>
#include <stdexcept>
#include <string>

namespace plat::softgpu {
class Effect;
}
class TQZTexture;

enum TQZLuxLightType { LIGHTING_NONE, LIGHTING_GOURAUD, LIGHTING_PHONG };

// A compile error: the message, and the line and column of the first
// position in parentheses found in it (1, 1 when there is none).
class ELuxCompileException : public std::runtime_error {
public:
    explicit ELuxCompileException(const std::string& message);
    int32_t Line() const { return line_; }
    int32_t Column() const { return column_; }

private:
    int32_t line_ = 1, column_ = 1;
};

using TQZLuxColour = std::array<float, 4>;  // alpha, red, green, blue

class TQZLuxEffect : public TQZLostDeviceListener {
public:
    // Compiles the text; a text that does not compile raises
    // ELuxCompileException and no object is made. The effect has no include
    // files: the include handler is not used. An empty technique name takes
    // the effect's first technique; a name it lacks is a compile error.
    static std::unique_ptr<TQZLuxEffect> Create(const void* bytes, int32_t size, void* includeHandler,
                                                const std::string& technique);
    ~TQZLuxEffect() override;

    // Compiles the text anew (raises ELuxCompileException on failure, the
    // previous effect then gone).
    void Compile(const void* bytes, int32_t size);

    // The parameters by handle (-1: the effect does not declare it). A
    // matrix is 16 floats, row by row.
    bool SetMatrix(int32_t handle, const float* values);
    bool SetVector(int32_t handle, float x, float y, float z, float w);
    bool SetTexture(int32_t handle, TQZTexture* texture);

    // Draws the technique over the rectangle of the current render target,
    // texture coordinates from the corners of uv. 0, or a result code.
    int32_t Draw(const TQZRect& dest, const TQZRectF& uv);

    void OnLostDevice() override;
    void OnResetDevice() override;

    plat::softgpu::Effect* Effect() const { return effect_.get(); }
    int32_t TechniqueIndex() const { return technique_; }

    TQZLuxColour ambient{1.0f, 0.1f, 0.1f, 0.1f};
    TQZLuxColour diffuse{1.0f, 0.9f, 0.9f, 0.9f};
    TQZLuxColour specular{1.0f, 1.0f, 1.0f, 1.0f};
    // Further defaults: the light's direction and the specular power.
    std::array<float, 3> lightDirection{0.0f, 0.0f, 1.0f};
    float specularPower = 16.0f;
    TQZLuxLightType lighting = LIGHTING_NONE;
    std::string technique;

    int32_t hWVP = -1, hWorld = -1, hWorldInverseTranspose = -1, hTex = -1, hLuxExtra = -1;

private:
    TQZLuxEffect() = default;

    std::shared_ptr<plat::softgpu::Effect> effect_;
    int32_t technique_ = -1;
};
