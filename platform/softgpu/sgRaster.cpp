// Sections, in order: fixed point and texel helpers; colour arithmetic
// (modulate, blend over, copy, the SSE2 and AVX2 row kernels); blending
// factors and write masks; texture addressing and bilinear sampling; the
// stage arguments; the rasterizer (writing a pixel, span sources, spans,
// aligned quads, row copies, triangles).
#include "sgRaster.h"

#include <emmintrin.h>
#include <immintrin.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace plat::softgpu {

namespace {

constexpr int32_t kChunk = 256;
// Texture positions are 32.32 fixed point in texels.
constexpr int64_t kOne = int64_t(1) << 32;
constexpr int64_t kHalf = kOne / 2;
constexpr int64_t kFraction = kOne - 1;
constexpr int64_t kPointBias = kOne / 512;
constexpr double kTexelScale = 4294967296.0;
constexpr int64_t kSubpixel = 256;        // vertex positions snap to 1/256 pixel
constexpr int64_t kSubpixelStep = kSubpixel;  // one pixel row in snapped units
constexpr double kCoordinateLimit = 1 << 20;

inline int64_t FloorDiv(int64_t a, int64_t b)  // b > 0
{
    int64_t q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}
// The x of an edge (snapped units) on successive pixel rows, stepped exactly:
// a whole step and a remainder carried as in long division.
struct EdgeStepper {
    int64_t x = 0, remainder = 0, step = 0, stepRemainder = 0, dy = 1;
    void Start(int64_t xa, int64_t ya, int64_t xb, int64_t yb, int64_t y)
    {
        dy = yb - ya;
        const int64_t run = (y - ya) * (xb - xa);
        const int64_t whole = FloorDiv(run, dy);
        x = xa + whole;
        remainder = run - whole * dy;
        const int64_t perRow = kSubpixelStep * (xb - xa);
        step = FloorDiv(perRow, dy);
        stepRemainder = perRow - step * dy;
    }
    void Next()
    {
        x += step;
        remainder += stepRemainder;
        if (remainder >= dy) {
            remainder -= dy;
            ++x;
        }
    }
};

// First pixel centre at or right of / below a snapped coordinate.
inline int64_t CeilPixel(int64_t snapped) { return FloorDiv(snapped + kSubpixel - 1, kSubpixel); }
// Round to nearest without a library call (the hot loops convert per row).
inline int64_t RoundToInt(double v) { return int64_t(v >= 0 ? v + 0.5 : v - 0.5); }
inline int64_t Snap(float v) { return RoundToInt(double(v) * kSubpixel); }
// Fixed-point attributes from planes that may be huge (far texture
// coordinates, slivers): held within range instead of overflowing.
inline int64_t Fixed(double v)
{
    constexpr int64_t kLimit = int64_t(1) << 48;  // far enough below overflow for 8192 steps
    if (!(v > -double(kLimit))) return -kLimit;
    if (!(v < double(kLimit))) return kLimit;
    return RoundToInt(v);
}

// A starting texture position in 32.32 texels; a repeating address mode
// first brings it into its first period, so far coordinates keep their texel.
inline int64_t TexelStart(double texel, int32_t size, uint32_t mode)
{
    if (mode != kAddressClamp && size > 0 && std::isfinite(texel)) {
        const double period = mode == kAddressMirror ? 2.0 * size : double(size);
        texel -= std::floor(texel / period) * period;
    }
    return Fixed(texel * kTexelScale);
}
inline bool Usable(float v) { return std::isfinite(v) && std::fabs(v) < kCoordinateLimit; }

// a x b / 255, rounded, for bytes.
inline uint32_t Mul8(uint32_t a, uint32_t b)
{
    uint32_t t = a * b + 128;
    return (t + (t >> 8)) >> 8;
}
inline uint32_t Channel(uint32_t c, int shift) { return (c >> shift) & 0xFF; }

inline uint32_t ModulateScalar(uint32_t s, uint32_t c)
{
    return Mul8(s >> 24, c >> 24) << 24 | Mul8(Channel(s, 16), Channel(c, 16)) << 16 |
           Mul8(Channel(s, 8), Channel(c, 8)) << 8 | Mul8(s & 0xFF, c & 0xFF);
}

inline __m128i Div255(__m128i t)
{
    t = _mm_add_epi16(t, _mm_set1_epi16(128));
    return _mm_srli_epi16(_mm_add_epi16(t, _mm_srli_epi16(t, 8)), 8);
}

void ModulateConst(uint32_t* px, int32_t n, uint32_t colour)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i c16 = _mm_unpacklo_epi8(_mm_set1_epi32(int32_t(colour)), zero);
    int32_t i = 0;
    for (; i + 4 <= n; i += 4) {
        __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(px + i));
        __m128i lo = Div255(_mm_mullo_epi16(_mm_unpacklo_epi8(p, zero), c16));
        __m128i hi = Div255(_mm_mullo_epi16(_mm_unpackhi_epi8(p, zero), c16));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(px + i), _mm_packus_epi16(lo, hi));
    }
    for (; i < n; ++i) px[i] = ModulateScalar(px[i], colour);
}

void ModulateArray(uint32_t* px, const uint32_t* colours, int32_t n)
{
    const __m128i zero = _mm_setzero_si128();
    int32_t i = 0;
    for (; i + 4 <= n; i += 4) {
        __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(px + i));
        __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(colours + i));
        __m128i lo = Div255(_mm_mullo_epi16(_mm_unpacklo_epi8(p, zero), _mm_unpacklo_epi8(c, zero)));
        __m128i hi = Div255(_mm_mullo_epi16(_mm_unpackhi_epi8(p, zero), _mm_unpackhi_epi8(c, zero)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(px + i), _mm_packus_epi16(lo, hi));
    }
    for (; i < n; ++i) px[i] = ModulateScalar(px[i], colours[i]);
}

// Two pixels in 16-bit lanes: s x sa + d x (255 - sa), every channel alpha included.
inline __m128i BlendPair(__m128i s, __m128i d)
{
    __m128i a = _mm_shufflehi_epi16(_mm_shufflelo_epi16(s, 0xFF), 0xFF);
    __m128i ia = _mm_xor_si128(a, _mm_set1_epi16(255));
    return Div255(_mm_add_epi16(_mm_mullo_epi16(s, a), _mm_mullo_epi16(d, ia)));
}

inline uint32_t BlendOverScalar(uint32_t s, uint32_t d)
{
    uint32_t a = s >> 24, ia = 255 - a, r = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        uint32_t t = Channel(s, shift) * a + Channel(d, shift) * ia + 128;
        r |= ((t + (t >> 8)) >> 8) << shift;
    }
    return r;
}

// orMask is OR-ed into every blended pixel (0xFF000000 keeps a target without
// alpha opaque); fully transparent pixels leave the destination as it was.
void BlendOver(uint32_t* dst, const uint32_t* src, int32_t n, uint32_t orMask)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i alphaMask = _mm_set1_epi32(int32_t(0xFF000000u));
    const __m128i extra = _mm_set1_epi32(int32_t(orMask));
    int32_t i = 0;
    for (; i + 4 <= n; i += 4) {
        __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
        __m128i alpha = _mm_and_si128(s, alphaMask);
        if (_mm_movemask_epi8(_mm_cmpeq_epi32(alpha, alphaMask)) == 0xFFFF) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), s);
            continue;
        }
        const __m128i clear = _mm_cmpeq_epi32(alpha, zero);
        if (_mm_movemask_epi8(clear) == 0xFFFF) continue;
        __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + i));
        __m128i lo = BlendPair(_mm_unpacklo_epi8(s, zero), _mm_unpacklo_epi8(d, zero));
        __m128i hi = BlendPair(_mm_unpackhi_epi8(s, zero), _mm_unpackhi_epi8(d, zero));
        // Fully transparent pixels blend to d exactly; extra must not touch them.
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i),
                         _mm_or_si128(_mm_packus_epi16(lo, hi), _mm_andnot_si128(clear, extra)));
    }
    for (; i < n; ++i) {
        uint32_t a = src[i] >> 24;
        if (a == 255) dst[i] = src[i];
        else if (a != 0) dst[i] = BlendOverScalar(src[i], dst[i]) | orMask;
    }
}

// A row copied, orMask OR-ed into every pixel.
void CopyRow(uint32_t* dst, const uint32_t* src, int32_t n, uint32_t orMask)
{
    if (orMask == 0) {
        std::memcpy(dst, src, size_t(n) * 4);
        return;
    }
    const __m128i extra = _mm_set1_epi32(int32_t(orMask));
    int32_t i = 0;
    for (; i + 4 <= n; i += 4)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i),
                         _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i)), extra));
    for (; i < n; ++i) dst[i] = src[i] | orMask;
}

// The same with eight pixels a step where the processor has AVX2. Everything
// AVX2 code calls is AVX2 code too, and the row's tail is done with masked
// loads and stores: legacy SSE code run while the upper register halves are
// dirty costs a state transition (or a false dependency) on many processors.
__attribute__((target("avx2"))) inline __m256i BlendPairAvx2(__m256i s16, __m256i d16)
{
    const __m256i a = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(s16, 0xFF), 0xFF);
    __m256i t = _mm256_add_epi16(_mm256_mullo_epi16(s16, a),
                                 _mm256_mullo_epi16(d16, _mm256_xor_si256(a, _mm256_set1_epi16(255))));
    t = _mm256_add_epi16(t, _mm256_set1_epi16(128));
    return _mm256_srli_epi16(_mm256_add_epi16(t, _mm256_srli_epi16(t, 8)), 8);
}

// Eight pixels s over d, extra OR-ed in but for the fully transparent ones
// (clear), which come out as d exactly.
__attribute__((target("avx2"))) inline __m256i BlendEightAvx2(__m256i s, __m256i d, __m256i clear, __m256i extra)
{
    const __m256i zero = _mm256_setzero_si256();
    // Unpacking and packing both work within 128-bit halves, so the order comes back.
    const __m256i lo = BlendPairAvx2(_mm256_unpacklo_epi8(s, zero), _mm256_unpacklo_epi8(d, zero));
    const __m256i hi = BlendPairAvx2(_mm256_unpackhi_epi8(s, zero), _mm256_unpackhi_epi8(d, zero));
    return _mm256_or_si256(_mm256_packus_epi16(lo, hi), _mm256_andnot_si256(clear, extra));
}

__attribute__((target("avx2"))) void BlendOverAvx2(uint32_t* dst, const uint32_t* src, int32_t n, uint32_t orMask)
{
    const __m256i zero = _mm256_setzero_si256();
    const __m256i alphaMask = _mm256_set1_epi32(int32_t(0xFF000000u));
    const __m256i extra = _mm256_set1_epi32(int32_t(orMask));
    int32_t i = 0;
    for (; i + 8 <= n; i += 8) {
        const __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i));
        const __m256i alpha = _mm256_and_si256(s, alphaMask);
        if (_mm256_movemask_epi8(_mm256_cmpeq_epi32(alpha, alphaMask)) == -1) {
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i), s);
            continue;
        }
        const __m256i clear = _mm256_cmpeq_epi32(alpha, zero);
        if (_mm256_movemask_epi8(clear) == -1) continue;
        const __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(dst + i));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i), BlendEightAvx2(s, d, clear, extra));
    }
    if (i < n) {
        // One to seven pixels left: lanes past the row are neither read nor written.
        const __m256i lanes = _mm256_cmpgt_epi32(_mm256_set1_epi32(n - i), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
        const __m256i s = _mm256_maskload_epi32(reinterpret_cast<const int*>(src + i), lanes);
        const __m256i d = _mm256_maskload_epi32(reinterpret_cast<const int*>(dst + i), lanes);
        const __m256i clear = _mm256_cmpeq_epi32(_mm256_and_si256(s, alphaMask), zero);
        _mm256_maskstore_epi32(reinterpret_cast<int*>(dst + i), lanes, BlendEightAvx2(s, d, clear, extra));
    }
}

using BlendRow = void (*)(uint32_t*, const uint32_t*, int32_t, uint32_t);
bool HasAvx2()
{
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
}
BlendRow blendOverRow = HasAvx2() ? &BlendOverAvx2 : &BlendOver;

// One colour over a row.
void BlendConst(uint32_t* dst, uint32_t colour, int32_t n, uint32_t orMask)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i extra = _mm_set1_epi32(int32_t(orMask));
    const __m128i s16 = _mm_unpacklo_epi8(_mm_set1_epi32(int32_t(colour)), zero);
    int32_t i = 0;
    for (; i + 4 <= n; i += 4) {
        __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + i));
        __m128i lo = BlendPair(s16, _mm_unpacklo_epi8(d, zero));
        __m128i hi = BlendPair(s16, _mm_unpackhi_epi8(d, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm_or_si128(_mm_packus_epi16(lo, hi), extra));
    }
    for (; i < n; ++i) dst[i] = BlendOverScalar(colour, dst[i]) | orMask;
}

inline uint32_t BlendFactor(uint32_t factor, uint32_t sc, uint32_t dc, uint32_t sa, uint32_t da)
{
    switch (factor) {
    case kBlendZero: return 0;
    case kBlendOne: return 255;
    case kBlendSrcColor: return sc;
    case kBlendInvSrcColor: return 255 - sc;
    case kBlendSrcAlpha: return sa;
    case kBlendInvSrcAlpha: return 255 - sa;
    case kBlendDestAlpha: return da;
    case kBlendInvDestAlpha: return 255 - da;
    case kBlendDestColor: return dc;
    case kBlendInvDestColor: return 255 - dc;
    default: return 0;
    }
}

inline uint32_t MaskBits(uint32_t writeMask)
{
    return (writeMask & kWriteBlue ? 0x000000FFu : 0) | (writeMask & kWriteGreen ? 0x0000FF00u : 0) |
           (writeMask & kWriteRed ? 0x00FF0000u : 0) | (writeMask & kWriteAlpha ? 0xFF000000u : 0);
}

inline int64_t Address(int64_t t, int32_t size, uint32_t mode)
{
    if (t >= 0 && t < size) return t;
    if (mode == kAddressClamp) return t < 0 ? 0 : (t >= size ? size - 1 : t);
    if (mode == kAddressMirror) {
        int64_t period = int64_t(size) * 2, m = ((t % period) + period) % period;
        return m < size ? m : period - 1 - m;
    }
    return ((t % size) + size) % size;
}

// Bilinear mix of four texels (a b over c d) with 8-bit fractions, in 16-bit
// lanes with 7-bit weights so that products stay within a lane.
struct BilinearWeights {
    __m128i top, bottom;  // vertical weights, every lane
    void Vertical(uint32_t fy)
    {
        const int16_t wy = int16_t(fy >> 1);
        top = _mm_set1_epi16(int16_t(128 - wy));
        bottom = _mm_set1_epi16(wy);
    }
};

inline uint32_t Bilinear(uint64_t ab, uint64_t cd, uint32_t fx, const BilinearWeights& w)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i top = _mm_unpacklo_epi8(_mm_cvtsi64_si128(int64_t(ab)), zero);
    const __m128i bottom = _mm_unpacklo_epi8(_mm_cvtsi64_si128(int64_t(cd)), zero);
    __m128i col = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(top, w.top), _mm_mullo_epi16(bottom, w.bottom)), 7);
    // Left texel in the low half weighs 128 - wx, the right one wx.
    const __m128i wx = _mm_set1_epi16(int16_t(fx >> 1));
    const __m128i weights = _mm_add_epi16(_mm_setr_epi16(128, 128, 128, 128, 0, 0, 0, 0),
                                          _mm_mullo_epi16(wx, _mm_setr_epi16(-1, -1, -1, -1, 1, 1, 1, 1)));
    col = _mm_mullo_epi16(col, weights);
    col = _mm_srli_epi16(_mm_add_epi16(col, _mm_srli_si128(col, 8)), 7);
    return uint32_t(_mm_cvtsi128_si32(_mm_packus_epi16(col, col)));
}

// A row of bilinear samples from one pair of texture rows (the sample rows do
// not change along the span), two pixels a step.
void BilinearRow(const uint32_t* top, int32_t pitch, int64_t u, int64_t du, int32_t n, const BilinearWeights& w,
                 uint32_t* out)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i full = _mm_set1_epi16(128);
    auto column = [&](int64_t at) {  // left and right texels, mixed vertically
        const uint32_t* p = top + (at >> 32);
        const __m128i t = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)), zero);
        const __m128i b = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p + pitch)), zero);
        return _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(t, w.top), _mm_mullo_epi16(b, w.bottom)), 7);
    };
    int32_t i = 0;
    for (; i + 2 <= n; i += 2, u += 2 * du) {
        const __m128i a = column(u), b = column(u + du);
        const __m128i left = _mm_unpacklo_epi64(a, b), right = _mm_unpackhi_epi64(a, b);
        const __m128i wx = _mm_unpacklo_epi64(_mm_set1_epi16(int16_t((u >> 25) & 0x7F)),
                                              _mm_set1_epi16(int16_t(((u + du) >> 25) & 0x7F)));
        __m128i mixed = _mm_add_epi16(_mm_mullo_epi16(left, _mm_sub_epi16(full, wx)), _mm_mullo_epi16(right, wx));
        mixed = _mm_srli_epi16(mixed, 7);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(mixed, mixed));
    }
    if (i < n) {
        uint64_t ab, cd;
        const uint32_t* p = top + (u >> 32);
        std::memcpy(&ab, p, 8);
        std::memcpy(&cd, p + pitch, 8);
        out[i] = Bilinear(ab, cd, uint32_t((u >> 24) & 0xFF), w);
    }
}

// The same with eight pixels a step where the processor has AVX2: four
// pixels' texel pairs per register, in the order [p0 p1 | p2 p3] that the
// 128-bit halves of unpacking and packing keep. The arithmetic is the SSE2
// row's, lane for lane, so both give the same pixels.
__attribute__((target("avx2"))) inline __m256i TexelPairsAvx2(const uint32_t* row, const int64_t* at)
{
    const __m128i lo = _mm_unpacklo_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(row + (at[0] >> 32))),
                                          _mm_loadl_epi64(reinterpret_cast<const __m128i*>(row + (at[1] >> 32))));
    const __m128i hi = _mm_unpacklo_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(row + (at[2] >> 32))),
                                          _mm_loadl_epi64(reinterpret_cast<const __m128i*>(row + (at[3] >> 32))));
    return _mm256_inserti128_si256(_mm256_castsi128_si256(lo), hi, 1);
}

// Four bilinear samples at the positions at, as 16-bit channels [p0 p1 | p2 p3].
__attribute__((target("avx2"))) inline __m256i BilinearFourAvx2(const uint32_t* top, int32_t pitch,
                                                                  const int64_t* at, __m256i wTop, __m256i wBottom)
{
    const __m256i zero = _mm256_setzero_si256();
    const __m256i t = TexelPairsAvx2(top, at), b = TexelPairsAvx2(top + pitch, at);
    const __m256i even = _mm256_srli_epi16(_mm256_add_epi16(_mm256_mullo_epi16(_mm256_unpacklo_epi8(t, zero), wTop),
                                                            _mm256_mullo_epi16(_mm256_unpacklo_epi8(b, zero), wBottom)),
                                           7);
    const __m256i odd = _mm256_srli_epi16(_mm256_add_epi16(_mm256_mullo_epi16(_mm256_unpackhi_epi8(t, zero), wTop),
                                                           _mm256_mullo_epi16(_mm256_unpackhi_epi8(b, zero), wBottom)),
                                          7);
    const __m256i left = _mm256_unpacklo_epi64(even, odd), right = _mm256_unpackhi_epi64(even, odd);
    __m256i wx = _mm256_and_si256(_mm256_srli_epi64(_mm256_setr_epi64x(at[0], at[1], at[2], at[3]), 25),
                                  _mm256_set1_epi64x(0x7F));
    wx = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(wx, 0), 0);
    const __m256i mixed = _mm256_add_epi16(_mm256_mullo_epi16(left, _mm256_sub_epi16(_mm256_set1_epi16(128), wx)),
                                           _mm256_mullo_epi16(right, wx));
    return _mm256_srli_epi16(mixed, 7);
}

__attribute__((target("avx2"))) void BilinearRowAvx2(const uint32_t* top, int32_t pitch, int64_t u, int64_t du,
                                                     int32_t n, const BilinearWeights& w, uint32_t* out)
{
    const __m256i wTop = _mm256_broadcastsi128_si256(w.top), wBottom = _mm256_broadcastsi128_si256(w.bottom);
    int64_t at[8];
    int32_t i = 0;
    for (; i + 8 <= n; i += 8, u += 8 * du) {
        for (int k = 0; k < 8; ++k) at[k] = u + du * k;
        const __m256i a = BilinearFourAvx2(top, pitch, at, wTop, wBottom);
        const __m256i b = BilinearFourAvx2(top, pitch, at + 4, wTop, wBottom);
        // Packing gives [p0 p1 p4 p5 | p2 p3 p6 p7]; the permute puts them in order.
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i),
                            _mm256_permute4x64_epi64(_mm256_packus_epi16(a, b), 0xD8));
    }
    if (i < n) {
        // One to seven pixels left: the lanes past the row repeat its last
        // position (texels known to be inside) and are not stored.
        for (int k = 0; k < 8; ++k) at[k] = u + du * std::min(k, n - i - 1);
        const __m256i a = BilinearFourAvx2(top, pitch, at, wTop, wBottom);
        const __m256i b = BilinearFourAvx2(top, pitch, at + 4, wTop, wBottom);
        const __m256i lanes = _mm256_cmpgt_epi32(_mm256_set1_epi32(n - i), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
        _mm256_maskstore_epi32(reinterpret_cast<int*>(out + i), lanes,
                               _mm256_permute4x64_epi64(_mm256_packus_epi16(a, b), 0xD8));
    }
}

using BilinearRowFn = void (*)(const uint32_t*, int32_t, int64_t, int64_t, int32_t, const BilinearWeights&,
                               uint32_t*);
BilinearRowFn bilinearRow = HasAvx2() ? &BilinearRowAvx2 : &BilinearRow;

inline uint64_t Pair(uint32_t left, uint32_t right) { return uint64_t(left) | uint64_t(right) << 32; }

inline uint32_t StageArg(uint32_t arg, uint32_t texel, uint32_t diffuse)
{
    return arg == kArgTexture ? texel : diffuse;  // stage 0: current is the diffuse colour
}

inline uint32_t StageOp(uint32_t op, uint32_t a1, uint32_t a2, uint32_t diffuse)
{
    switch (op) {
    case kTopDisable: return diffuse;
    case kTopSelectArg1: return a1;
    case kTopSelectArg2: return a2;
    default: return ModulateScalar(a1, a2);
    }
}

}  // namespace

void CopyPixels(uint32_t* dst, const uint32_t* src, int32_t n, uint32_t orMask) { CopyRow(dst, src, n, orMask); }

bool UseWideVectors(bool on)
{
    const bool wide = on && HasAvx2();
    blendOverRow = wide ? &BlendOverAvx2 : &BlendOver;
    bilinearRow = wide ? &BilinearRowAvx2 : &BilinearRow;
    return wide;
}

Rasterizer::Rasterizer(const RasterState& state) : st_(state)
{
    textured_ = st_.texture && st_.textureWidth > 0 && st_.textureHeight > 0;
    plainModulate_ = st_.colourOp == kTopModulate && st_.alphaOp == kTopModulate &&
                     ((st_.colourArg1 == kArgTexture && st_.colourArg2 != kArgTexture) ||
                      (st_.colourArg2 == kArgTexture && st_.colourArg1 != kArgTexture)) &&
                     ((st_.alphaArg1 == kArgTexture && st_.alphaArg2 != kArgTexture) ||
                      (st_.alphaArg2 == kArgTexture && st_.alphaArg1 != kArgTexture));
    orMask_ = st_.opaqueTarget ? 0xFF000000u : 0u;
    wrapPow2U_ = (st_.textureWidth & (st_.textureWidth - 1)) == 0;
    wrapPow2V_ = (st_.textureHeight & (st_.textureHeight - 1)) == 0;
    bool fullMask = (st_.writeMask & 0xF) == 0xF;
    bool copy = !st_.blend || (st_.srcBlend == kBlendOne && st_.destBlend == kBlendZero &&
                               st_.srcBlendAlpha == kBlendOne && st_.destBlendAlpha == kBlendZero);
    bool over = st_.blend && st_.srcBlend == kBlendSrcAlpha && st_.destBlend == kBlendInvSrcAlpha &&
                st_.srcBlendAlpha == kBlendSrcAlpha && st_.destBlendAlpha == kBlendInvSrcAlpha;
    writer_ = fullMask && copy ? Writer::Copy : (fullMask && over ? Writer::AlphaBlend : Writer::Generic);
    if (!st_.blend) {  // no blending: sources pass through whatever the factors say
        st_.srcBlend = st_.srcBlendAlpha = kBlendOne;
        st_.destBlend = st_.destBlendAlpha = kBlendZero;
    }
}

void Rasterizer::Write(uint32_t* dst, const uint32_t* src, int32_t n) const
{
    switch (writer_) {
    case Writer::Copy: CopyRow(dst, src, n, orMask_); return;
    case Writer::AlphaBlend: blendOverRow(dst, src, n, orMask_); return;
    case Writer::Generic: break;
    }
    const uint32_t keep = MaskBits(st_.writeMask) & ~(st_.opaqueTarget ? 0xFF000000u : 0u);
    for (int32_t i = 0; i < n; ++i) {
        uint32_t s = src[i], d = dst[i], sa = s >> 24, da = st_.opaqueTarget ? 255 : d >> 24, r = 0;
        for (int shift = 0; shift < 32; shift += 8) {
            uint32_t sc = Channel(s, shift), dc = Channel(d, shift);
            bool alpha = shift == 24;
            uint32_t fs = BlendFactor(alpha ? st_.srcBlendAlpha : st_.srcBlend, sc, dc, sa, da);
            uint32_t fd = BlendFactor(alpha ? st_.destBlendAlpha : st_.destBlend, sc, dc, sa, da);
            r |= std::min<uint32_t>(255, Mul8(sc, fs) + Mul8(dc, fd)) << shift;
        }
        dst[i] = (r & keep) | (d & ~keep);
    }
}

const uint32_t* Rasterizer::Source(const Span& s, int32_t offset, int32_t n, uint32_t* texels, uint32_t* diffuse,
                                   uint32_t* out)
{
    const uint32_t* diff = nullptr;
    if (s.gouraud) {
        int64_t c[4];
        for (int k = 0; k < 4; ++k) c[k] = s.c[k] + s.dc[k] * offset;
        for (int32_t i = 0; i < n; ++i) {
            uint32_t v = 0;
            for (int k = 0; k < 4; ++k) {
                int64_t ch = (c[k] + 0x8000) >> 16;
                v |= uint32_t(ch < 0 ? 0 : (ch > 255 ? 255 : ch)) << (24 - 8 * k);
                c[k] += s.dc[k];
            }
            diffuse[i] = v;
        }
        diff = diffuse;
    }

    const uint32_t* tex = nullptr;
    if (textured_) {
        const int32_t w = st_.textureWidth, h = st_.textureHeight;
        int64_t u = s.u + s.du * offset, v = s.v + s.dv * offset;
        // Bilinear sampling exactly on texel centres, one texel per pixel,
        // reads single texels: the point road gives the same result.
        const bool centred = s.du == kOne && s.dv == 0 && ((u - kHalf) & kFraction) == 0 &&
                             ((v - kHalf) & kFraction) == 0;
        if (!st_.linear || centred) {
            // Point sampling: a position a hair below a texel edge counts as on
            // it, so that every road through the same numbers picks one texel.
            u += kPointBias;
            v += kPointBias;
            int64_t uLast = u + s.du * (n - 1), vLast = v + s.dv * (n - 1);
            bool inside = std::min(u, uLast) >= 0 && (std::max(u, uLast) >> 32) < w && std::min(v, vLast) >= 0 &&
                          (std::max(v, vLast) >> 32) < h;
            if (inside && s.dv == 0) {
                const uint32_t* row = st_.texture + (v >> 32) * st_.texturePitch;
                if (s.du == kOne) {
                    tex = row + (u >> 32);
                } else {
                    for (int32_t i = 0; i < n; ++i, u += s.du) texels[i] = row[u >> 32];
                    tex = texels;
                }
            } else if (inside) {
                for (int32_t i = 0; i < n; ++i, u += s.du, v += s.dv)
                    texels[i] = st_.texture[(v >> 32) * st_.texturePitch + (u >> 32)];
                tex = texels;
            } else {
                for (int32_t i = 0; i < n; ++i, u += s.du, v += s.dv) {
                    int64_t tx = (wrapPow2U_ && st_.addressU == kAddressWrap) ? ((u >> 32) & (w - 1))
                                                                              : Address(u >> 32, w, st_.addressU);
                    int64_t ty = (wrapPow2V_ && st_.addressV == kAddressWrap) ? ((v >> 32) & (h - 1))
                                                                              : Address(v >> 32, h, st_.addressV);
                    texels[i] = st_.texture[ty * st_.texturePitch + tx];
                }
                tex = texels;
            }
        } else {
            // Bilinear: the four texels around the sample point, half a texel up and left.
            u -= kHalf;
            v -= kHalf;
            const int32_t pitch = st_.texturePitch;
            BilinearWeights weights;
            weights.Vertical(uint32_t((v >> 24) & 0xFF));
            // One texel pair with the address mode applied where the taps leave the texture.
            auto sample = [&](int64_t su, int64_t sv) {
                const int64_t x0 = su >> 32, y0 = sv >> 32;
                const uint32_t fx = uint32_t((su >> 24) & 0xFF);
                if (x0 >= 0 && x0 + 1 < w && y0 >= 0 && y0 + 1 < h) {
                    const uint32_t* p = st_.texture + y0 * pitch + x0;
                    uint64_t ab, cd;
                    std::memcpy(&ab, p, 8);
                    std::memcpy(&cd, p + pitch, 8);
                    return Bilinear(ab, cd, fx, weights);
                }
                const int64_t xa = Address(x0, w, st_.addressU), xb = Address(x0 + 1, w, st_.addressU);
                const uint32_t* ra = st_.texture + Address(y0, h, st_.addressV) * pitch;
                const uint32_t* rb = st_.texture + Address(y0 + 1, h, st_.addressV) * pitch;
                return Bilinear(Pair(ra[xa], ra[xb]), Pair(rb[xa], rb[xb]), fx, weights);
            };
            const int64_t firstRow = v >> 32;
            if (s.dv == 0 && s.du > 0 && firstRow >= 0 && firstRow + 1 < h) {
                // Along a row: the edges one by one, the middle (both taps inside) two at a time.
                const int64_t limit = int64_t(w - 1) << 32;
                int64_t lo = u >= 0 ? 0 : (-u + s.du - 1) / s.du;
                int64_t hi = u >= limit ? 0 : (limit - u + s.du - 1) / s.du;
                lo = std::min<int64_t>(lo, n);
                hi = std::clamp<int64_t>(hi, lo, n);
                for (int64_t i = 0; i < lo; ++i) texels[i] = sample(u + s.du * i, v);
                bilinearRow(st_.texture + firstRow * pitch, pitch, u + s.du * lo, s.du, int32_t(hi - lo), weights,
                            texels + lo);
                for (int64_t i = hi; i < n; ++i) texels[i] = sample(u + s.du * i, v);
            } else {
                for (int32_t i = 0; i < n; ++i, u += s.du, v += s.dv) {
                    if (s.dv != 0) weights.Vertical(uint32_t((v >> 24) & 0xFF));
                    texels[i] = sample(u, v);
                }
            }
            tex = texels;
        }
    }

    if (plainModulate_) {
        if (!tex) {
            if (diff) return diff;
            std::fill(out, out + n, s.colour);
            return out;
        }
        if (!diff && s.colour == 0xFFFFFFFF) return tex;
        if (tex != out) std::memcpy(out, tex, size_t(n) * 4);
        if (diff) ModulateArray(out, diff, n);
        else ModulateConst(out, n, s.colour);
        return out;
    }
    for (int32_t i = 0; i < n; ++i) {
        uint32_t t = tex ? tex[i] : 0xFFFFFFFFu, d = diff ? diff[i] : s.colour;
        uint32_t colour = StageOp(st_.colourOp, StageArg(st_.colourArg1, t, d), StageArg(st_.colourArg2, t, d), d);
        uint32_t alpha = st_.colourOp == kTopDisable
                             ? d
                             : StageOp(st_.alphaOp, StageArg(st_.alphaArg1, t, d), StageArg(st_.alphaArg2, t, d), d);
        out[i] = (colour & 0x00FFFFFF) | (alpha & 0xFF000000);
    }
    return out;
}

void Rasterizer::DrawSpan(const Span& s)
{
    uint32_t* dst = st_.target + int64_t(s.y) * st_.targetPitch + s.x;
    if (!textured_ && !s.gouraud && plainModulate_) {
        uint32_t a = s.colour >> 24;
        if (writer_ == Writer::Copy || (writer_ == Writer::AlphaBlend && a == 255)) {
            std::fill(dst, dst + s.count, s.colour | orMask_);
            return;
        }
        if (writer_ == Writer::AlphaBlend) {
            if (a != 0) BlendConst(dst, s.colour, s.count, orMask_);
            return;
        }
    }
    alignas(16) uint32_t texels[kChunk];
    alignas(16) uint32_t diffuse[kChunk];
    alignas(16) uint32_t out[kChunk];
    for (int32_t offset = 0; offset < s.count; offset += kChunk) {
        int32_t n = std::min(kChunk, s.count - offset);
        Write(dst + offset, Source(s, offset, n, texels, diffuse, out), n);
    }
}

bool Rasterizer::AlignedQuad(const ScreenVertex& tl, const ScreenVertex& tr, const ScreenVertex& br,
                             const ScreenVertex& bl)
{
    if (st_.cull != kCullNone) return false;
    if (!(tl.y == tr.y && bl.y == br.y && tl.x == bl.x && tr.x == br.x)) return false;
    if (tl.diffuse != tr.diffuse || tl.diffuse != br.diffuse || tl.diffuse != bl.diffuse) return false;
    if (textured_ && !(tl.u == bl.u && tr.u == br.u && tl.v == tr.v && bl.v == br.v)) return false;
    if (!Usable(tl.x) || !Usable(tr.x) || !Usable(tl.y) || !Usable(bl.y)) return true;  // nothing drawable
    if (tl.x == tr.x || tl.y == bl.y) return true;

    int64_t xs = CeilPixel(Snap(std::min(tl.x, tr.x))), xe = CeilPixel(Snap(std::max(tl.x, tr.x)));
    int64_t ys = CeilPixel(Snap(std::min(tl.y, bl.y))), ye = CeilPixel(Snap(std::max(tl.y, bl.y)));
    xs = std::max<int64_t>(xs, st_.clip.left);
    xe = std::min<int64_t>(xe, st_.clip.right);
    ys = std::max<int64_t>(ys, st_.clip.top);
    ye = std::min<int64_t>(ye, st_.clip.bottom);
    if (xs >= xe || ys >= ye) return true;

    Span s;
    s.x = int32_t(xs);
    s.count = int32_t(xe - xs);
    s.colour = tl.diffuse;
    double dudx = 0, dvdy = 0, u0 = 0, v0 = 0;
    if (textured_) {
        dudx = (double(tr.u) - tl.u) * st_.textureWidth / (double(tr.x) - tl.x);
        dvdy = (double(bl.v) - tl.v) * st_.textureHeight / (double(bl.y) - tl.y);
        u0 = double(tl.u) * st_.textureWidth;
        v0 = double(tl.v) * st_.textureHeight;
        s.u = TexelStart(u0 + (double(xs) - tl.x) * dudx, st_.textureWidth, st_.addressU);
        s.du = Fixed(dudx * kTexelScale);
    }
    // Rows step in 32.32 fixed point; the destination two rows ahead is
    // fetched early, as rows of small quads start cold.
    int64_t v = TexelStart(v0 + (double(ys) - tl.y) * dvdy, st_.textureHeight, st_.addressV);
    const int64_t dv = Fixed(dvdy * kTexelScale);
    if (CopyRows(s, v, dv, ys, ye)) return true;
    for (int64_t y = ys; y < ye; ++y, v += dv) {
        if (y + 2 < ye) {
            const char* ahead = reinterpret_cast<const char*>(st_.target + (y + 2) * st_.targetPitch + s.x);
            for (int32_t off = 0; off < s.count * 4; off += 64) _mm_prefetch(ahead + off, _MM_HINT_T0);
        }
        s.y = int32_t(y);
        if (textured_) s.v = v;
        DrawSpan(s);
    }
    return true;
}

bool Rasterizer::CopyRows(const Span& s, int64_t v, int64_t dv, int64_t ys, int64_t ye)
{
    // Texels one to one along each row, inside the texture, white diffuse and
    // a plain or alpha-blended write: each row goes straight from the texture.
    if (!textured_ || !plainModulate_ || s.colour != 0xFFFFFFFF || writer_ == Writer::Generic || s.du != kOne)
        return false;
    if (st_.linear && (((s.u - kHalf) & kFraction) != 0 || ((v - kHalf) & kFraction) != 0 || dv != kOne))
        return false;  // bilinear off texel centres
    const int64_t x0 = (s.u + kPointBias) >> 32;
    const int64_t vFirst = v + kPointBias, vLast = v + dv * (ye - ys - 1) + kPointBias;
    if (x0 < 0 || x0 + s.count > st_.textureWidth || std::min(vFirst, vLast) < 0 ||
        (std::max(vFirst, vLast) >> 32) >= st_.textureHeight)
        return false;
    const uint32_t* texture = st_.texture + x0;
    for (int64_t y = ys; y < ye; ++y, v += dv) {
        uint32_t* dst = st_.target + y * st_.targetPitch + s.x;
        if (y + 2 < ye) {
            const char* ahead = reinterpret_cast<const char*>(dst + 2 * st_.targetPitch);
            for (int32_t off = 0; off < s.count * 4; off += 64) _mm_prefetch(ahead + off, _MM_HINT_T0);
        }
        const uint32_t* row = texture + ((v + kPointBias) >> 32) * st_.texturePitch;
        if (writer_ == Writer::Copy) CopyRow(dst, row, s.count, orMask_);
        else blendOverRow(dst, row, s.count, orMask_);
    }
    return true;
}

void Rasterizer::Triangle(const ScreenVertex& a, const ScreenVertex& b, const ScreenVertex& c)
{
    const ScreenVertex* v[3] = {&a, &b, &c};
    for (const ScreenVertex* p : v)
        if (!Usable(p->x) || !Usable(p->y)) return;
    double x0 = a.x, y0 = a.y;
    double e1x = double(b.x) - x0, e1y = double(b.y) - y0, e2x = double(c.x) - x0, e2y = double(c.y) - y0;
    double det = e1x * e2y - e2x * e1y;  // > 0: clockwise on screen (y grows downwards)
    if (det == 0) return;
    if ((st_.cull == kCullCounterClockwise && det < 0) || (st_.cull == kCullClockwise && det > 0)) return;

    // Attribute planes: value at (x, y) = base + dx (x - x0) + dy (y - y0).
    auto plane = [&](double va, double vb, double vc, double& dx, double& dy) {
        dx = ((vb - va) * e2y - (vc - va) * e1y) / det;
        dy = ((vc - va) * e1x - (vb - va) * e2x) / det;
    };
    double dudx = 0, dudy = 0, dvdx = 0, dvdy = 0;
    const double tw = st_.textureWidth, th = st_.textureHeight;
    if (textured_) {
        plane(a.u * tw, b.u * tw, c.u * tw, dudx, dudy);
        plane(a.v * th, b.v * th, c.v * th, dvdx, dvdy);
    }
    bool gouraud = a.diffuse != b.diffuse || a.diffuse != c.diffuse;
    double cdx[4] = {}, cdy[4] = {}, cbase[4] = {};
    if (gouraud) {
        for (int k = 0; k < 4; ++k) {
            int shift = 24 - 8 * k;
            cbase[k] = Channel(a.diffuse, shift);
            plane(cbase[k], Channel(b.diffuse, shift), Channel(c.diffuse, shift), cdx[k], cdy[k]);
        }
    }

    // Edges in snapped coordinates, vertices sorted from top to bottom.
    int64_t X[3], Y[3];
    for (int i = 0; i < 3; ++i) {
        X[i] = Snap(v[i]->x);
        Y[i] = Snap(v[i]->y);
    }
    int o[3] = {0, 1, 2};
    std::sort(o, o + 3, [&](int p, int q) { return Y[p] < Y[q]; });
    const int64_t xt = X[o[0]], yt = Y[o[0]], xm = X[o[1]], ym = Y[o[1]], xb = X[o[2]], yb = Y[o[2]];
    if (yt == yb) return;
    int64_t side = (xm - xt) * (yb - yt) - (xb - xt) * (ym - yt);  // > 0: middle vertex right of the long edge
    if (side == 0) return;

    int64_t rowStart = std::max<int64_t>(CeilPixel(yt), st_.clip.top);
    int64_t rowEnd = std::min<int64_t>(CeilPixel(yb), st_.clip.bottom);
    Span s;
    s.colour = a.diffuse;
    s.gouraud = gouraud;
    s.du = Fixed(dudx * kTexelScale);
    s.dv = Fixed(dvdx * kTexelScale);
    for (int k = 0; k < 4; ++k) s.dc[k] = Fixed(cdx[k] * 65536.0);
    if (rowStart >= rowEnd) return;
    EdgeStepper longEdge, shortEdge;
    longEdge.Start(xt, yt, xb, yb, rowStart * kSubpixel);
    bool upper = rowStart * kSubpixel < ym;
    if (upper) shortEdge.Start(xt, yt, xm, ym, rowStart * kSubpixel);
    else shortEdge.Start(xm, ym, xb, yb, rowStart * kSubpixel);
    for (int64_t py = rowStart; py < rowEnd; ++py, longEdge.Next(), shortEdge.Next()) {
        const int64_t y = py * kSubpixel;
        if (upper && y >= ym) {  // past the middle vertex: the lower short edge
            upper = false;
            shortEdge.Start(xm, ym, xb, yb, y);
        }
        int64_t left = side > 0 ? longEdge.x : shortEdge.x, right = side > 0 ? shortEdge.x : longEdge.x;
        int64_t xs = std::max<int64_t>(CeilPixel(left), st_.clip.left);
        int64_t xe = std::min<int64_t>(CeilPixel(right), st_.clip.right);
        if (xs >= xe) continue;
        double dx = double(xs) - x0, dy = double(py) - y0;
        s.x = int32_t(xs);
        s.y = int32_t(py);
        s.count = int32_t(xe - xs);
        if (textured_) {
            s.u = TexelStart(a.u * tw + dudx * dx + dudy * dy, st_.textureWidth, st_.addressU);
            s.v = TexelStart(a.v * th + dvdx * dx + dvdy * dy, st_.textureHeight, st_.addressV);
        }
        if (gouraud)
            for (int k = 0; k < 4; ++k) s.c[k] = Fixed((cbase[k] + cdx[k] * dx + cdy[k] * dy) * 65536.0);
        DrawSpan(s);
    }
}

}  // namespace plat::softgpu
