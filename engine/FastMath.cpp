#include "FastMath.h"

namespace tovalin
{
namespace
{
    struct Reduced
    {
        __m128 x;         // reduced argument in [-pi/4, pi/4]
        __m128i j;        // octant index, even
        __m128 inputSign; // sign bit of the original argument
    };

    inline Reduced reduce (__m128 x) noexcept
    {
        const __m128 signMask = _mm_castsi128_ps (_mm_set1_epi32 ((int) 0x80000000));
        Reduced r;
        r.inputSign = _mm_and_ps (x, signMask);
        x = _mm_andnot_ps (signMask, x);

        __m128 y = _mm_mul_ps (x, _mm_set1_ps (1.27323954473516f)); // 4 / pi
        __m128i j = _mm_cvttps_epi32 (y);
        j = _mm_add_epi32 (j, _mm_set1_epi32 (1));
        j = _mm_and_si128 (j, _mm_set1_epi32 (~1));
        y = _mm_cvtepi32_ps (j);

        // x - y * pi/4 with pi/4 split in three single-precision parts.
        x = _mm_sub_ps (x, _mm_mul_ps (y, _mm_set1_ps (0.78515625f)));
        x = _mm_sub_ps (x, _mm_mul_ps (y, _mm_set1_ps (2.4187564849853515625e-4f)));
        x = _mm_sub_ps (x, _mm_mul_ps (y, _mm_set1_ps (3.77489497744594108e-8f)));
        r.x = x;
        r.j = j;
        return r;
    }

    inline __m128 cosPolynomial (__m128 z) noexcept
    {
        __m128 p = _mm_set1_ps (2.443315711809948e-5f);
        p = _mm_add_ps (_mm_mul_ps (p, z), _mm_set1_ps (-1.388731625493765e-3f));
        p = _mm_add_ps (_mm_mul_ps (p, z), _mm_set1_ps (4.166664568298827e-2f));
        p = _mm_mul_ps (_mm_mul_ps (p, z), z);
        p = _mm_sub_ps (p, _mm_mul_ps (z, _mm_set1_ps (0.5f)));
        return _mm_add_ps (p, _mm_set1_ps (1.0f));
    }

    inline __m128 sinPolynomial (__m128 z, __m128 x) noexcept
    {
        __m128 p = _mm_set1_ps (-1.9515295891e-4f);
        p = _mm_add_ps (_mm_mul_ps (p, z), _mm_set1_ps (8.3321608736e-3f));
        p = _mm_add_ps (_mm_mul_ps (p, z), _mm_set1_ps (-1.6666654611e-1f));
        p = _mm_mul_ps (_mm_mul_ps (p, z), x);
        return _mm_add_ps (p, x);
    }

    inline __m128 select (__m128 mask, __m128 ifSet, __m128 ifClear) noexcept
    {
        return _mm_or_ps (_mm_and_ps (mask, ifSet), _mm_andnot_ps (mask, ifClear));
    }
} // namespace

__m128 sin4 (__m128 x) noexcept
{
    const Reduced r = reduce (x);
    const __m128 flip = _mm_castsi128_ps (_mm_slli_epi32 (_mm_and_si128 (r.j, _mm_set1_epi32 (4)), 29));
    const __m128 useCos =
        _mm_castsi128_ps (_mm_cmpeq_epi32 (_mm_and_si128 (r.j, _mm_set1_epi32 (2)), _mm_set1_epi32 (2)));
    const __m128 z = _mm_mul_ps (r.x, r.x);
    const __m128 y = select (useCos, cosPolynomial (z), sinPolynomial (z, r.x));
    return _mm_xor_ps (y, _mm_xor_ps (r.inputSign, flip));
}

void sinCos4 (__m128 x, __m128& sines, __m128& cosines) noexcept
{
    const Reduced r = reduce (x);
    const __m128 z = _mm_mul_ps (r.x, r.x);
    const __m128 c = cosPolynomial (z);
    const __m128 s = sinPolynomial (z, r.x);

    const __m128 sinFlip = _mm_castsi128_ps (_mm_slli_epi32 (_mm_and_si128 (r.j, _mm_set1_epi32 (4)), 29));
    const __m128 sinUsesCos =
        _mm_castsi128_ps (_mm_cmpeq_epi32 (_mm_and_si128 (r.j, _mm_set1_epi32 (2)), _mm_set1_epi32 (2)));
    sines = _mm_xor_ps (select (sinUsesCos, c, s), _mm_xor_ps (r.inputSign, sinFlip));

    // The cosine takes the other polynomial, and its sign from (j - 2), inverted.
    const __m128i jm2 = _mm_sub_epi32 (r.j, _mm_set1_epi32 (2));
    const __m128 cosFlip = _mm_castsi128_ps (_mm_slli_epi32 (_mm_andnot_si128 (jm2, _mm_set1_epi32 (4)), 29));
    cosines = _mm_xor_ps (select (sinUsesCos, s, c), cosFlip);
}

void sin4 (const float* x, float* out) noexcept { _mm_storeu_ps (out, sin4 (_mm_loadu_ps (x))); }

void sinCos4 (const float* x, float* sines, float* cosines) noexcept
{
    __m128 s, c;
    sinCos4 (_mm_loadu_ps (x), s, c);
    _mm_storeu_ps (sines, s);
    _mm_storeu_ps (cosines, c);
}

} // namespace tovalin
