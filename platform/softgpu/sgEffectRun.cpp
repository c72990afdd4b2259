#include "sgEffectRun.h"

#include <emmintrin.h>

#include <cmath>
#include <cstring>

namespace plat::softgpu::fx {
namespace {

// ---------------------------------------------------------------- math
// Four lanes at a time in SSE2. The uniform program runs the same code on
// one value spread over the four, so a value computed once per draw equals
// the one a pixel would compute.
using V = __m128;
inline V Set(float f) { return _mm_set1_ps(f); }
inline V Select(V mask, V a, V b) { return _mm_or_ps(_mm_and_ps(mask, a), _mm_andnot_ps(mask, b)); }
inline V Abs(V x) { return _mm_and_ps(x, _mm_castsi128_ps(_mm_set1_epi32(0x7FFFFFFF))); }

constexpr float kBig = 8388608.0f;  // 2^23: every float this large is whole

inline V Floor(V x)
{
    const V c = _mm_min_ps(_mm_max_ps(x, Set(-kBig)), Set(kBig));  // NaN becomes -kBig here
    const V t = _mm_cvtepi32_ps(_mm_cvttps_epi32(c));
    const V f = _mm_sub_ps(t, _mm_and_ps(_mm_cmpgt_ps(t, c), Set(1.0f)));
    return Select(_mm_cmplt_ps(Abs(x), Set(kBig)), f, x);
}

inline V Sin(V x)
{
    // x = k pi + r with |r| <= pi / 2; sin x = (-1)^k sin r.
    const V k = Floor(_mm_add_ps(_mm_mul_ps(x, Set(0.318309886f)), Set(0.5f)));
    V r = _mm_sub_ps(x, _mm_mul_ps(k, Set(3.14159274f)));
    r = _mm_sub_ps(r, _mm_mul_ps(k, Set(-8.74227766e-8f)));
    const V odd = _mm_sub_ps(k, _mm_mul_ps(Set(2.0f), Floor(_mm_mul_ps(k, Set(0.5f)))));
    const V r2 = _mm_mul_ps(r, r);
    V p = _mm_add_ps(Set(2.75573192e-6f), _mm_mul_ps(r2, Set(-2.50521084e-8f)));
    p = _mm_add_ps(Set(-1.98412698e-4f), _mm_mul_ps(r2, p));
    p = _mm_add_ps(Set(8.33333333e-3f), _mm_mul_ps(r2, p));
    p = _mm_add_ps(Set(-1.66666667e-1f), _mm_mul_ps(r2, p));
    p = _mm_mul_ps(r, _mm_add_ps(Set(1.0f), _mm_mul_ps(r2, p)));
    const V sign = _mm_and_ps(_mm_cmpneq_ps(odd, _mm_setzero_ps()), Set(-0.0f));
    return _mm_xor_ps(p, sign);
}

inline V Cos(V x) { return Sin(_mm_add_ps(x, Set(1.57079637f))); }

inline V Exp(V x)
{
    x = _mm_min_ps(_mm_max_ps(x, Set(-87.0f)), Set(88.0f));
    const V n = Floor(_mm_add_ps(_mm_mul_ps(x, Set(1.44269504f)), Set(0.5f)));
    V r = _mm_sub_ps(x, _mm_mul_ps(n, Set(0.693359375f)));
    r = _mm_sub_ps(r, _mm_mul_ps(n, Set(-2.12194440e-4f)));
    V p = _mm_add_ps(Set(1.3981999507e-3f), _mm_mul_ps(Set(1.9875691500e-4f), r));
    p = _mm_add_ps(Set(8.3334519073e-3f), _mm_mul_ps(p, r));
    p = _mm_add_ps(Set(4.1665795894e-2f), _mm_mul_ps(p, r));
    p = _mm_add_ps(Set(1.6666665459e-1f), _mm_mul_ps(p, r));
    p = _mm_add_ps(Set(5.0000001201e-1f), _mm_mul_ps(p, r));
    p = _mm_add_ps(_mm_add_ps(_mm_mul_ps(_mm_mul_ps(p, r), r), r), Set(1.0f));
    const __m128i e = _mm_slli_epi32(_mm_add_epi32(_mm_cvttps_epi32(n), _mm_set1_epi32(127)), 23);
    return _mm_mul_ps(p, _mm_castsi128_ps(e));
}

inline V Log(V x0)
{
    const V positive = _mm_cmpgt_ps(x0, _mm_setzero_ps());
    const V x = _mm_max_ps(x0, Set(1.17549435e-38f));
    const __m128i bits = _mm_castps_si128(x);
    V e = _mm_cvtepi32_ps(_mm_sub_epi32(_mm_and_si128(_mm_srli_epi32(bits, 23), _mm_set1_epi32(255)),
                                        _mm_set1_epi32(126)));
    const V m = _mm_castsi128_ps(
        _mm_or_si128(_mm_and_si128(bits, _mm_set1_epi32(int32_t(0x807FFFFF))), _mm_set1_epi32(0x3F000000)));
    const V low = _mm_cmplt_ps(m, Set(0.707106781f));
    const V f = _mm_sub_ps(_mm_add_ps(m, _mm_and_ps(low, m)), Set(1.0f));
    e = _mm_sub_ps(e, _mm_and_ps(low, Set(1.0f)));
    const V z = _mm_mul_ps(f, f);
    V y = _mm_add_ps(_mm_mul_ps(Set(7.0376836292e-2f), f), Set(-1.1514610310e-1f));
    y = _mm_add_ps(_mm_mul_ps(y, f), Set(1.1676998740e-1f));
    y = _mm_add_ps(_mm_mul_ps(y, f), Set(-1.2420140846e-1f));
    y = _mm_add_ps(_mm_mul_ps(y, f), Set(1.4249322787e-1f));
    y = _mm_add_ps(_mm_mul_ps(y, f), Set(-1.6668057665e-1f));
    y = _mm_add_ps(_mm_mul_ps(y, f), Set(2.0000714765e-1f));
    y = _mm_add_ps(_mm_mul_ps(y, f), Set(-2.4999993993e-1f));
    y = _mm_add_ps(_mm_mul_ps(y, f), Set(3.3333331174e-1f));
    y = _mm_mul_ps(_mm_mul_ps(y, f), z);
    y = _mm_add_ps(y, _mm_sub_ps(_mm_mul_ps(Set(-2.12194440e-4f), e), _mm_mul_ps(Set(0.5f), z)));
    const V r = _mm_add_ps(_mm_add_ps(f, y), _mm_mul_ps(Set(0.693359375f), e));
    return Select(positive, r, Set(-1.0e30f));
}

inline V Pow(V x, V y)
{
    const V p = Exp(_mm_mul_ps(y, Log(x)));
    const V none = Select(_mm_cmpeq_ps(y, _mm_setzero_ps()), Set(1.0f), _mm_setzero_ps());
    return Select(_mm_cmpgt_ps(x, _mm_setzero_ps()), p, none);
}

inline V Atan2(V y, V x)
{
    const V ax = Abs(x), ay = Abs(y);
    const V hi = _mm_max_ps(ax, ay), lo = _mm_min_ps(ax, ay);
    const V a = _mm_div_ps(lo, Select(_mm_cmpgt_ps(hi, _mm_setzero_ps()), hi, Set(1.0f)));
    const V s = _mm_mul_ps(a, a);
    V p = _mm_add_ps(Set(0.05265332f), _mm_mul_ps(s, Set(-0.01172120f)));
    p = _mm_add_ps(Set(-0.11643287f), _mm_mul_ps(s, p));
    p = _mm_add_ps(Set(0.19354346f), _mm_mul_ps(s, p));
    p = _mm_add_ps(Set(-0.33262347f), _mm_mul_ps(s, p));
    V r = _mm_mul_ps(a, _mm_add_ps(Set(0.99997726f), _mm_mul_ps(s, p)));
    r = Select(_mm_cmpgt_ps(ay, ax), _mm_sub_ps(Set(1.57079637f), r), r);
    r = Select(_mm_cmplt_ps(x, _mm_setzero_ps()), _mm_sub_ps(Set(3.14159274f), r), r);
    return Select(_mm_cmplt_ps(y, _mm_setzero_ps()), _mm_sub_ps(_mm_setzero_ps(), r), r);
}

inline V Sqrt(V x) { return _mm_sqrt_ps(_mm_max_ps(x, _mm_setzero_ps())); }

inline V Fmod(V a, V b)
{
    const V nonzero = _mm_cmpneq_ps(b, _mm_setzero_ps());
    const V q = _mm_div_ps(a, Select(nonzero, b, Set(1.0f)));
    const V t = Select(_mm_cmplt_ps(q, _mm_setzero_ps()), _mm_sub_ps(_mm_setzero_ps(), Floor(_mm_sub_ps(_mm_setzero_ps(), q))),
                       Floor(q));
    return _mm_and_ps(nonzero, _mm_sub_ps(a, _mm_mul_ps(b, t)));
}

inline V Clamp(V x, V lo, V hi) { return _mm_min_ps(_mm_max_ps(x, lo), hi); }

inline V Smooth(V e0, V e1, V x)
{
    const V d = _mm_sub_ps(e1, e0);
    const V safe = Select(_mm_cmpneq_ps(d, _mm_setzero_ps()), d, Set(1.0f));
    const V t = Clamp(_mm_div_ps(_mm_sub_ps(x, e0), safe), _mm_setzero_ps(), Set(1.0f));
    return _mm_mul_ps(_mm_mul_ps(t, t), _mm_sub_ps(Set(3.0f), _mm_mul_ps(Set(2.0f), t)));
}

V Apply(Op op, V a, V b, V c)
{
    switch (op) {
    case Op::Copy: return a;
    case Op::Neg: return _mm_xor_ps(a, Set(-0.0f));
    case Op::Abs: return Abs(a);
    case Op::Floor: return Floor(a);
    case Op::Frac: return _mm_sub_ps(a, Floor(a));
    case Op::Sqrt: return Sqrt(a);
    case Op::Sin: return Sin(a);
    case Op::Cos: return Cos(a);
    case Op::Exp: return Exp(a);
    case Op::Log: return Log(a);
    case Op::Add: return _mm_add_ps(a, b);
    case Op::Sub: return _mm_sub_ps(a, b);
    case Op::Mul: return _mm_mul_ps(a, b);
    case Op::Div: return _mm_div_ps(a, b);
    case Op::Min: return _mm_min_ps(a, b);
    case Op::Max: return _mm_max_ps(a, b);
    case Op::Pow: return Pow(a, b);
    case Op::Step: return _mm_and_ps(_mm_cmpge_ps(b, a), Set(1.0f));
    case Op::Fmod: return Fmod(a, b);
    case Op::Atan2: return Atan2(a, b);
    case Op::Clamp: return Clamp(a, b, c);
    case Op::Lerp: return _mm_add_ps(a, _mm_mul_ps(_mm_sub_ps(b, a), c));
    case Op::SmoothStep: return Smooth(a, b, c);
    default: return _mm_setzero_ps();
    }
}

// ---------------------------------------------------------------- sampling
// Bilinear with 8-bit weights (0..256), wrapping at the edges: the two
// texels of a row side by side in 16-bit lanes, weighted, then the rows.
inline __m128i Bilinear(const uint32_t* r0, const uint32_t* r1, int32_t xa, int32_t xb, uint32_t wx, uint32_t wy)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i top = _mm_unpacklo_epi8(_mm_set_epi32(0, 0, int32_t(r0[xb]), int32_t(r0[xa])), zero);
    const __m128i bottom = _mm_unpacklo_epi8(_mm_set_epi32(0, 0, int32_t(r1[xb]), int32_t(r1[xa])), zero);
    const __m128i across = _mm_unpacklo_epi64(_mm_set1_epi16(int16_t(256 - wx)), _mm_set1_epi16(int16_t(wx)));
    __m128i t = _mm_mullo_epi16(top, across), b = _mm_mullo_epi16(bottom, across);
    t = _mm_srli_epi16(_mm_add_epi16(t, _mm_srli_si128(t, 8)), 8);
    b = _mm_srli_epi16(_mm_add_epi16(b, _mm_srli_si128(b, 8)), 8);
    const __m128i mixed = _mm_add_epi16(_mm_mullo_epi16(t, _mm_set1_epi16(int16_t(256 - wy))),
                                        _mm_mullo_epi16(b, _mm_set1_epi16(int16_t(wy))));
    return _mm_packus_epi16(_mm_srli_epi16(mixed, 8), zero);
}

// Four texture coordinates to four ARGB texels.
__m128i Sample4(const TextureView* view, V u, V v)
{
    if (!view || !view->pixels || view->width < 1 || view->height < 1) return _mm_setzero_si128();
    const V w = Set(float(view->width)), h = Set(float(view->height));
    V fx = _mm_sub_ps(_mm_mul_ps(u, w), Set(0.5f)), fy = _mm_sub_ps(_mm_mul_ps(v, h), Set(0.5f));
    // Into the first period, then whole texel and weight.
    fx = _mm_sub_ps(fx, _mm_mul_ps(Floor(_mm_mul_ps(fx, Set(1.0f / float(view->width)))), w));
    fy = _mm_sub_ps(fy, _mm_mul_ps(Floor(_mm_mul_ps(fy, Set(1.0f / float(view->height)))), h));
    const V cx = Floor(fx), cy = Floor(fy);
    alignas(16) int32_t x0[4], y0[4], wx[4], wy[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(x0), _mm_cvttps_epi32(cx));
    _mm_store_si128(reinterpret_cast<__m128i*>(y0), _mm_cvttps_epi32(cy));
    _mm_store_si128(reinterpret_cast<__m128i*>(wx), _mm_cvttps_epi32(_mm_mul_ps(_mm_sub_ps(fx, cx), Set(256.0f))));
    _mm_store_si128(reinterpret_cast<__m128i*>(wy), _mm_cvttps_epi32(_mm_mul_ps(_mm_sub_ps(fy, cy), Set(256.0f))));
    alignas(16) int32_t out[4];
    for (int i = 0; i < 4; ++i) {
        // Rounding may leave a coordinate a hair outside: brought back in.
        const int32_t xa = uint32_t(x0[i]) < uint32_t(view->width) ? x0[i] : 0;
        const int32_t ya = uint32_t(y0[i]) < uint32_t(view->height) ? y0[i] : 0;
        const int32_t xb = xa + 1 < view->width ? xa + 1 : 0, yb = ya + 1 < view->height ? ya + 1 : 0;
        const uint32_t ww = uint32_t(wx[i]) > 256 ? 256 : uint32_t(wx[i]);
        const uint32_t hw = uint32_t(wy[i]) > 256 ? 256 : uint32_t(wy[i]);
        out[i] = _mm_cvtsi128_si32(Bilinear(view->pixels + int64_t(ya) * view->pitch,
                                            view->pixels + int64_t(yb) * view->pitch, xa, xb, ww, hw));
    }
    return _mm_load_si128(reinterpret_cast<const __m128i*>(out));
}

// Channel k (red, green, blue, alpha) of four ARGB values as 0..1.
inline V Channel(__m128i argb, int shift)
{
    const __m128i c = _mm_and_si128(_mm_srli_epi32(argb, shift), _mm_set1_epi32(0xFF));
    return _mm_mul_ps(_mm_cvtepi32_ps(c), Set(1.0f / 255.0f));
}

const TextureView* ViewOf(const TextureView* textures, uint16_t count, uint16_t index)
{
    return index < count ? &textures[index] : nullptr;
}

inline __m128i Bytes(V v)
{
    // NaN reads as 0; 0..1 to 0..255 rounded.
    const V c = _mm_min_ps(_mm_max_ps(v, _mm_setzero_ps()), Set(1.0f));
    return _mm_cvttps_epi32(_mm_add_ps(_mm_mul_ps(c, Set(255.0f)), Set(0.5f)));
}

// ---------------------------------------------------------------- lanes
struct Lanes {
    float* base;
    const float* slots;
    float* Reg(uint16_t r) const { return base + size_t(r) * kLanes; }
};

// Four lanes of an operand: its lanes, or its one value spread.
inline V Load(const Lanes& L, const Operand& o, int32_t i)
{
    return o.varying ? _mm_loadu_ps(L.Reg(o.index) + i) : _mm_set1_ps(L.slots[o.index]);
}

}  // namespace

void RunUniform(const TechniqueProgram& t, float* slots, const TextureView* textures, uint16_t textureCount)
{
    for (const Instr& in : t.uniform) {
        const V a = Set(slots[in.a.index]), b = Set(slots[in.b.index]);
        if (in.op == Op::Sample) {
            const __m128i texel = Sample4(ViewOf(textures, textureCount, in.texture), a, b);
            slots[in.dst] = _mm_cvtss_f32(Channel(texel, 16));
            slots[in.more[0]] = _mm_cvtss_f32(Channel(texel, 8));
            slots[in.more[1]] = _mm_cvtss_f32(Channel(texel, 0));
            slots[in.more[2]] = _mm_cvtss_f32(Channel(texel, 24));
            continue;
        }
        slots[in.dst] = _mm_cvtss_f32(Apply(in.op, a, b, Set(slots[in.c.index])));
    }
}

void RunPixels(const TechniqueProgram& t, const float* slots, float* lanes, const TextureView* textures,
               uint16_t textureCount, uint32_t* out, int32_t count)
{
    const Lanes L{lanes, slots};
    for (const Instr& in : t.pixel) {
        float* d = L.Reg(in.dst);
        if (in.op == Op::Sample) {
            const TextureView* view = ViewOf(textures, textureCount, in.texture);
            float *g = L.Reg(in.more[0]), *b = L.Reg(in.more[1]), *a = L.Reg(in.more[2]);
            for (int32_t i = 0; i < kLanes; i += 4) {
                const __m128i texel = Sample4(view, Load(L, in.a, i), Load(L, in.b, i));
                _mm_storeu_ps(d + i, Channel(texel, 16));
                _mm_storeu_ps(g + i, Channel(texel, 8));
                _mm_storeu_ps(b + i, Channel(texel, 0));
                _mm_storeu_ps(a + i, Channel(texel, 24));
            }
            continue;
        }
        // One switch per operation, then the lanes: the case is known in the loop.
        switch (in.op) {
#define VQ_LANES(OP)                                                                                     \
    case OP:                                                                                             \
        for (int32_t i = 0; i < kLanes; i += 4)                                                          \
            _mm_storeu_ps(d + i, Apply(OP, Load(L, in.a, i), Load(L, in.b, i), Load(L, in.c, i)));       \
        break;
            VQ_LANES(Op::Copy) VQ_LANES(Op::Neg) VQ_LANES(Op::Abs) VQ_LANES(Op::Floor) VQ_LANES(Op::Frac)
            VQ_LANES(Op::Sqrt) VQ_LANES(Op::Sin) VQ_LANES(Op::Cos) VQ_LANES(Op::Exp) VQ_LANES(Op::Log)
            VQ_LANES(Op::Add) VQ_LANES(Op::Sub) VQ_LANES(Op::Mul) VQ_LANES(Op::Div) VQ_LANES(Op::Min)
            VQ_LANES(Op::Max) VQ_LANES(Op::Pow) VQ_LANES(Op::Step) VQ_LANES(Op::Fmod) VQ_LANES(Op::Atan2)
            VQ_LANES(Op::Clamp) VQ_LANES(Op::Lerp) VQ_LANES(Op::SmoothStep)
#undef VQ_LANES
        default: break;
        }
    }
    alignas(16) uint32_t packed[kLanes];
    for (int32_t i = 0; i < kLanes; i += 4) {
        const __m128i r = Bytes(Load(L, t.out[0], i)), g = Bytes(Load(L, t.out[1], i));
        const __m128i b = Bytes(Load(L, t.out[2], i)), a = Bytes(Load(L, t.out[3], i));
        const __m128i argb = _mm_or_si128(_mm_or_si128(_mm_slli_epi32(a, 24), _mm_slli_epi32(r, 16)),
                                          _mm_or_si128(_mm_slli_epi32(g, 8), b));
        _mm_store_si128(reinterpret_cast<__m128i*>(packed + i), argb);
    }
    std::memcpy(out, packed, size_t(count) * sizeof(uint32_t));
}

float EffectSin(float x) { return _mm_cvtss_f32(Sin(Set(x))); }
float EffectExp(float x) { return _mm_cvtss_f32(Exp(Set(x))); }
float EffectLog(float x) { return _mm_cvtss_f32(Log(Set(x))); }
float EffectAtan2(float y, float x) { return _mm_cvtss_f32(Atan2(Set(y), Set(x))); }

}  // namespace plat::softgpu::fx
