#pragma once

#include <cmath>

#include <emmintrin.h>

namespace tovalin
{
/** Four single-precision sines (Cephes polynomial, about 1e-7 absolute error for |x| below 8192). */
__m128 sin4 (__m128 x) noexcept;

/** Four sines and four cosines of the same arguments. */
void sinCos4 (__m128 x, __m128& sines, __m128& cosines) noexcept;

/** Array forms: four values from x into out. */
void sin4 (const float* x, float* out) noexcept;
void sinCos4 (const float* x, float* sines, float* cosines) noexcept;

/** The double-precision library functions on a float argument, rounded to float,
    so that tables built from them do not depend on the float library's accuracy. */
inline float sinf (float x) noexcept { return (float) std::sin ((double) x); }
inline float cosf (float x) noexcept { return (float) std::cos ((double) x); }
inline float expf (float x) noexcept { return (float) std::exp ((double) x); }

} // namespace tovalin
