// An animated table backdrop written in the effect language: a deep green
// cloth under slow ripples of light, a fine grain from its texture and a
// soft vignette. The description and the effect are the texts of the
// archive's "Backdrop.json" and "Ripples.fx" nodes; Archive packs them with
// a texture the caller encodes into the bytes of an `.ice` file.
#pragma once

#include "qz7icedata.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vqbackdrop {

inline constexpr const char* kEffectName = "Ripples.fx";
inline constexpr const char* kTextureName = "Grain.png";

inline constexpr const char* kEffect = R"(// Ripples: light moving slowly over a green cloth.
float4x4 gWVP;
float4x4 gWorld;
float4x4 gWorldInverseTranspose;
texture gTex;
float4 gLuxExtra;                       // seconds, width, height, aspect

float4 gCloth = float4(0.04, 0.25, 0.13, 1);
float4 gLight = float4(0.09, 0.42, 0.24, 1);

technique Ripples
{
    float t = gLuxExtra.x * 0.35;
    float2 p = uv * 6.0;                // the backdrop keeps the aspect: uv runs further across
    float w = sin(p.x + t) + sin(p.y * 1.3 - t * 0.8) + sin((p.x + p.y) * 0.7 + t * 1.3);
    float shade = w * 0.1667 + 0.5;
    float2 d = uv / float2(max(gLuxExtra.w, 1), max(1 / gLuxExtra.w, 1)) - 0.5;
    float vignette = 1.0 - dot(d, d) * 1.2;
    float grain = tex2D(gTex, uv * 8.0).g * 0.06 - 0.03;
    float3 c = lerp(gCloth.rgb, gLight.rgb, shade) * vignette + grain;
    return float4(c, 1);
}

technique Still
{
    float2 d = uv / float2(max(gLuxExtra.w, 1), max(1 / gLuxExtra.w, 1)) - 0.5;
    return float4(gCloth.rgb * (1.0 - dot(d, d) * 1.2), 1);
}
)";

inline constexpr const char* kDescription = R"({
  "Title": "Rippled Cloth",
  "Shader": {
    "Technique": "Ripples",
    "AspectCorrect": true,
    "MaxRenderSize": "[640,400]",
    "SlowModeSlices": 4,
    "DisplayMode": "STRETCH",
    "EffectFile": "Ripples.fx",
    "Protected": false,
    "TextureFile": "Grain.png"
  }
})";

inline std::vector<uint8_t> Archive(const std::vector<uint8_t>& texturePng)
{
    TQZIceData root;
    root.SetName("Ripples");
    const std::string description = kDescription, effect = kEffect;
    root.AddChildBuffer(1, description.data(), int32_t(description.size()))->SetName("Backdrop.json");
    root.AddChildBuffer(2, effect.data(), int32_t(effect.size()))->SetName(kEffectName);
    root.AddChildBuffer(3, texturePng.data(), int32_t(texturePng.size()))->SetName(kTextureName);
    std::vector<uint8_t> out;
    if (!root.SaveToBytes(out)) out.clear();
    return out;
}

}  // namespace vqbackdrop
