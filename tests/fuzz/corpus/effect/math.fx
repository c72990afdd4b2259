float4x4 gWVP;
technique M { float4 v = mul(float4(pos, 0, 1), gWVP); return float4(pow(abs(v.x), 0.5), atan2(v.y, v.x), fmod(v.z, 0.3), smoothstep(0, 1, length(uv))); }
