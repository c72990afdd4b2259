// Ripples: light moving slowly over a green cloth.
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
