float4 gTint = float4(0.5, 0.2, 0.1, 1);
texture gTex;
technique T { float2 p = uv * 3; return lerp(gTint, tex2D(gTex, p), step(0.5, frac(p.x))); }
