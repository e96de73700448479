#include "FFTReal.h"

#include "SimdPath.h"

#include <cassert>
#include <cmath>
#include <stdexcept>

#include <immintrin.h>

namespace tovalin
{
namespace
{
    constexpr double twoPi = 6.283185307179586476925286766559;

    bool isPowerOfTwo (int v) { return v > 0 && (v & (v - 1)) == 0; }
} // namespace

FFTReal<float>::FFTReal (int length)
    : n (length), half (length / 2), stageCos (std::max (1, length / 2)), stageSin (std::max (1, length / 2)),
      postCos (std::max (1, length / 2)), postSin (std::max (1, length / 2)), workRe (std::max (1, length / 2)),
      workIm (std::max (1, length / 2))
{
    if (! isPowerOfTwo (length) || length < 16)
        throw std::invalid_argument ("FFTReal: length must be a power of two of at least 16");

    int bits = 0;
    while ((1 << bits) < half)
        ++bits;
    bitReverse.resize ((size_t) half);
    for (int i = 0; i < half; ++i)
    {
        int r = 0;
        for (int b = 0; b < bits; ++b)
            if (i & (1 << b))
                r |= 1 << (bits - 1 - b);
        bitReverse[(size_t) i] = r;
    }

    // Stage with span s (butterfly distance) keeps its s twiddles at offset s - 1.
    for (int span = 1; span < half; span <<= 1)
        for (int j = 0; j < span; ++j)
        {
            const double angle = -twoPi * j / (2.0 * span);
            stageCos[span - 1 + j] = (float) std::cos (angle);
            stageSin[span - 1 + j] = (float) std::sin (angle);
        }

    for (int k = 0; k < half; ++k)
    {
        const double angle = -twoPi * k / n;
        postCos[k] = (float) std::cos (angle);
        postSin[k] = (float) std::sin (angle);
    }
}

namespace
{
    // One radix-2 stage of span 4 (four butterflies at a time).
    inline void butterfliesFour (float* re, float* im, int m, const float* wc, const float* ws) noexcept
    {
        const __m128 c = _mm_loadu_ps (wc), s = _mm_loadu_ps (ws);
        for (int b = 0; b < m; b += 8)
        {
            float *ar = re + b, *ai = im + b, *cr = ar + 4, *ci = ai + 4;
            const __m128 xr = _mm_load_ps (cr), xi = _mm_load_ps (ci);
            const __m128 tr = _mm_sub_ps (_mm_mul_ps (xr, c), _mm_mul_ps (xi, s));
            const __m128 ti = _mm_add_ps (_mm_mul_ps (xr, s), _mm_mul_ps (xi, c));
            const __m128 yr = _mm_load_ps (ar), yi = _mm_load_ps (ai);
            _mm_store_ps (cr, _mm_sub_ps (yr, tr));
            _mm_store_ps (ci, _mm_sub_ps (yi, ti));
            _mm_store_ps (ar, _mm_add_ps (yr, tr));
            _mm_store_ps (ai, _mm_add_ps (yi, ti));
        }
    }

    // One radix-2 stage of span 8 or more, eight butterflies at a time: the same
    // products and sums per element as four at a time, so the same bits.
    __attribute__ ((target ("avx"))) void butterfliesWide (float* re, float* im, int m, int span, const float* wc,
                                                           const float* ws) noexcept
    {
        for (int b = 0; b < m; b += 2 * span)
        {
            float *ar = re + b, *ai = im + b, *cr = ar + span, *ci = ai + span;
            for (int j = 0; j < span; j += 8)
            {
                const __m256 c = _mm256_loadu_ps (wc + j), s = _mm256_loadu_ps (ws + j);
                const __m256 xr = _mm256_loadu_ps (cr + j), xi = _mm256_loadu_ps (ci + j);
                const __m256 tr = _mm256_sub_ps (_mm256_mul_ps (xr, c), _mm256_mul_ps (xi, s));
                const __m256 ti = _mm256_add_ps (_mm256_mul_ps (xr, s), _mm256_mul_ps (xi, c));
                const __m256 yr = _mm256_loadu_ps (ar + j), yi = _mm256_loadu_ps (ai + j);
                _mm256_storeu_ps (cr + j, _mm256_sub_ps (yr, tr));
                _mm256_storeu_ps (ci + j, _mm256_sub_ps (yi, ti));
                _mm256_storeu_ps (ar + j, _mm256_add_ps (yr, tr));
                _mm256_storeu_ps (ai + j, _mm256_add_ps (yi, ti));
            }
        }
    }

    // Four elements in reverse order: v[3], v[2], v[1], v[0].
    inline __m128 reversed (__m128 v) noexcept { return _mm_shuffle_ps (v, v, _MM_SHUFFLE (0, 1, 2, 3)); }
} // namespace

// In-place forward complex FFT (decimation in time) of bit-reversed split data.
void FFTReal<float>::complexTransform (float* re, float* im) const noexcept
{
    const int m = half;
    const bool wideButterflies = activeSimdPath() != SimdPath::sse2;

    // Spans 1 and 2 together as radix-4 butterflies.
    for (int b = 0; b < m; b += 4)
    {
        const float r0 = re[b] + re[b + 1], i0 = im[b] + im[b + 1];
        const float r1 = re[b] - re[b + 1], i1 = im[b] - im[b + 1];
        const float r2 = re[b + 2] + re[b + 3], i2 = im[b + 2] + im[b + 3];
        const float r3 = re[b + 2] - re[b + 3], i3 = im[b + 2] - im[b + 3];
        re[b] = r0 + r2;
        im[b] = i0 + i2;
        re[b + 2] = r0 - r2;
        im[b + 2] = i0 - i2;
        // twiddle -i for the odd output
        re[b + 1] = r1 + i3;
        im[b + 1] = i1 - r3;
        re[b + 3] = r1 - i3;
        im[b + 3] = i1 + r3;
    }

    int span = 4;
    if (wideButterflies && m > 8)
    {
        butterfliesFour (re, im, m, stageCos.data() + 3, stageSin.data() + 3);
        for (span = 8; span < m; span <<= 1)
            butterfliesWide (re, im, m, span, stageCos.data() + span - 1, stageSin.data() + span - 1);
        return;
    }
    for (; span < m; span <<= 1)
    {
        const float* wc = stageCos.data() + span - 1;
        const float* ws = stageSin.data() + span - 1;
        for (int b = 0; b < m; b += 2 * span)
        {
            float* ar = re + b;
            float* ai = im + b;
            float* cr = ar + span;
            float* ci = ai + span;
            for (int j = 0; j < span; j += 4)
            {
                const __m128 c = _mm_loadu_ps (wc + j);
                const __m128 s = _mm_loadu_ps (ws + j);
                const __m128 xr = _mm_load_ps (cr + j);
                const __m128 xi = _mm_load_ps (ci + j);
                const __m128 tr = _mm_sub_ps (_mm_mul_ps (xr, c), _mm_mul_ps (xi, s));
                const __m128 ti = _mm_add_ps (_mm_mul_ps (xr, s), _mm_mul_ps (xi, c));
                const __m128 yr = _mm_load_ps (ar + j);
                const __m128 yi = _mm_load_ps (ai + j);
                _mm_store_ps (cr + j, _mm_sub_ps (yr, tr));
                _mm_store_ps (ci + j, _mm_sub_ps (yi, ti));
                _mm_store_ps (ar + j, _mm_add_ps (yr, tr));
                _mm_store_ps (ai + j, _mm_add_ps (yi, ti));
            }
        }
    }
}

void FFTReal<float>::doFft (const float* x, float* f) noexcept
{
    const int m = half;
    float* re = workRe.data();
    float* im = workIm.data();
    const int* rev = bitReverse.data();

    // Pack even samples as real and odd samples as imaginary parts.
    for (int i = 0; i < m; ++i)
    {
        const int r = rev[i];
        re[r] = x[2 * i];
        im[r] = x[2 * i + 1];
    }

    complexTransform (re, im);

    // Split the packed transform into the real signal's spectrum.
    f[0] = re[0] + im[0];
    f[m] = re[0] - im[0];
    // Four bins at a time (k, ..., k + 3 against m - k, ..., m - k - 3), with the
    // same operations as one at a time below.
    int k = 1;
    const __m128 halfOf = _mm_set1_ps (0.5f), minusHalf = _mm_set1_ps (-0.5f), sign = _mm_set1_ps (-0.0f);
    for (; k + 4 <= m; k += 4)
    {
        const __m128 zr = _mm_loadu_ps (re + k), zi = _mm_loadu_ps (im + k);
        const __m128 yr = reversed (_mm_loadu_ps (re + m - k - 3));
        const __m128 yi = _mm_xor_ps (reversed (_mm_loadu_ps (im + m - k - 3)), sign);
        const __m128 er = _mm_mul_ps (halfOf, _mm_add_ps (zr, yr)), ei = _mm_mul_ps (halfOf, _mm_add_ps (zi, yi));
        const __m128 dr = _mm_sub_ps (zr, yr), di = _mm_sub_ps (zi, yi);
        const __m128 orr = _mm_mul_ps (halfOf, di), oi = _mm_mul_ps (minusHalf, dr);
        const __m128 c = _mm_loadu_ps (postCos.data() + k), s = _mm_loadu_ps (postSin.data() + k);
        _mm_storeu_ps (f + k, _mm_add_ps (er, _mm_sub_ps (_mm_mul_ps (orr, c), _mm_mul_ps (oi, s))));
        _mm_storeu_ps (f + m + k, _mm_add_ps (ei, _mm_add_ps (_mm_mul_ps (orr, s), _mm_mul_ps (oi, c))));
    }
    for (; k < m; ++k)
    {
        const float zr = re[k], zi = im[k];
        const float yr = re[m - k], yi = -im[m - k]; // conj Z[m-k]
        const float er = 0.5f * (zr + yr), ei = 0.5f * (zi + yi);
        // O = (Z - conj Z[m-k]) / (2i)
        const float dr = zr - yr, di = zi - yi;
        const float orr = 0.5f * di, oi = -0.5f * dr;
        const float c = postCos[k], s = postSin[k];
        f[k] = er + (orr * c - oi * s);
        f[m + k] = ei + (orr * s + oi * c);
    }
}

void FFTReal<float>::doIfft (const float* f, float* x) noexcept
{
    const int m = half;
    float* re = workRe.data();
    float* im = workIm.data();
    const int* rev = bitReverse.data();

    // Rebuild 2 Z[k] = (X[k] + conj X[m-k]) + i W^-k (X[k] - conj X[m-k]), then
    // invert with the forward kernel on swapped real and imaginary parts.
    {
        const float x0 = f[0], xm = f[m];
        const int r = rev[0];
        // k = 0: E = (X0 + Xm), O = (X0 - Xm); stored swapped (imag first).
        im[r] = x0 + xm;
        re[r] = x0 - xm;
    }
    int k = 1;
    const __m128 sign = _mm_set1_ps (-0.0f);
    alignas (16) float zrs[4], zis[4];
    for (; k + 4 <= m; k += 4)
    {
        // The same operations as one bin at a time below, four bins at once.
        const __m128 ar = _mm_loadu_ps (f + k), ai = _mm_loadu_ps (f + m + k);
        const __m128 br = reversed (_mm_loadu_ps (f + m - k - 3));
        const __m128 bi = _mm_xor_ps (reversed (_mm_loadu_ps (f + 2 * m - k - 3)), sign);
        const __m128 er = _mm_add_ps (ar, br), ei = _mm_add_ps (ai, bi);
        const __m128 dr = _mm_sub_ps (ar, br), di = _mm_sub_ps (ai, bi);
        const __m128 c = _mm_loadu_ps (postCos.data() + k);
        const __m128 s = _mm_xor_ps (_mm_loadu_ps (postSin.data() + k), sign);
        const __m128 orr = _mm_sub_ps (_mm_mul_ps (dr, c), _mm_mul_ps (di, s));
        const __m128 oi = _mm_add_ps (_mm_mul_ps (dr, s), _mm_mul_ps (di, c));
        _mm_store_ps (zrs, _mm_sub_ps (er, oi));
        _mm_store_ps (zis, _mm_add_ps (ei, orr));
        for (int j = 0; j < 4; ++j)
        {
            const int r = rev[k + j];
            re[r] = zis[j];
            im[r] = zrs[j];
        }
    }
    for (; k < m; ++k)
    {
        const float ar = f[k], ai = f[m + k];
        const float br = f[m - k], bi = -f[2 * m - k]; // conj X[m-k]
        const float er = ar + br, ei = ai + bi;
        const float dr = ar - br, di = ai - bi;
        const float c = postCos[k], s = -postSin[k]; // W^-k
        const float orr = dr * c - di * s, oi = dr * s + di * c;
        const float zr = er - oi, zi = ei + orr; // E + i O
        const int r = rev[k];
        re[r] = zi;
        im[r] = zr;
    }

    complexTransform (re, im);

    int i = 0;
    for (; i + 4 <= m; i += 4)
    {
        const __m128 a = _mm_load_ps (im + i), b = _mm_load_ps (re + i);
        _mm_storeu_ps (x + 2 * i, _mm_unpacklo_ps (a, b));
        _mm_storeu_ps (x + 2 * i + 4, _mm_unpackhi_ps (a, b));
    }
    for (; i < m; ++i)
    {
        x[2 * i] = im[i];
        x[2 * i + 1] = re[i];
    }
}

void FFTReal<float>::rescale (float* x) const noexcept
{
    const float scale = 1.0f / (float) n;
    for (int i = 0; i < n; ++i)
        x[i] *= scale;
}

namespace
{
    template <bool accumulate>
    inline void multiplyBins4 (float* out, const float* a, const float* b, int h, int from, int to) noexcept
    {
        for (int k = from; k < to; k += 4)
        {
            const __m128 ar = _mm_load_ps (a + k), ai = _mm_load_ps (a + h + k);
            const __m128 br = _mm_load_ps (b + k), bi = _mm_load_ps (b + h + k);
            __m128 re = _mm_sub_ps (_mm_mul_ps (ar, br), _mm_mul_ps (ai, bi));
            __m128 im = _mm_add_ps (_mm_mul_ps (ar, bi), _mm_mul_ps (ai, br));
            if (accumulate)
            {
                re = _mm_add_ps (re, _mm_load_ps (out + k));
                im = _mm_add_ps (im, _mm_load_ps (out + h + k));
            }
            _mm_store_ps (out + k, re);
            _mm_store_ps (out + h + k, im);
        }
    }

    /** Bins 8 .. h - 1, eight at a time (h a multiple of 8). */
    template <bool accumulate>
    __attribute__ ((target ("avx"))) void multiplyBins8 (float* out, const float* a, const float* b, int h) noexcept
    {
        for (int k = 8; k < h; k += 8)
        {
            const __m256 ar = _mm256_loadu_ps (a + k), ai = _mm256_loadu_ps (a + h + k);
            const __m256 br = _mm256_loadu_ps (b + k), bi = _mm256_loadu_ps (b + h + k);
            __m256 re = _mm256_sub_ps (_mm256_mul_ps (ar, br), _mm256_mul_ps (ai, bi));
            __m256 im = _mm256_add_ps (_mm256_mul_ps (ar, bi), _mm256_mul_ps (ai, br));
            if (accumulate)
            {
                re = _mm256_add_ps (re, _mm256_loadu_ps (out + k));
                im = _mm256_add_ps (im, _mm256_loadu_ps (out + h + k));
            }
            _mm256_storeu_ps (out + k, re);
            _mm256_storeu_ps (out + h + k, im);
        }
    }

    /** All bins sixteen at a time (h a multiple of 16), for several spectra against
        one: out[i] += a x b[i]. The products and sums stay separate operations, as on
        the narrower paths (no contraction into fused ones), so each bin gets the same
        bits. Slot 0 holds two real bins, DC and Nyquist (at h), which the complex
        arithmetic would mix: they are put right afterwards. */
#if defined(__clang__)
    __attribute__ ((target ("avx512f"))) void
#else
    __attribute__ ((target ("avx512f"), optimize ("fp-contract=off"))) void
#endif
    multiplyAddBins16 (float* const* out, const float* a, const float* const* b, int count, int h) noexcept
    {
#if defined(__clang__)
#pragma clang fp contract(off)
#endif
        for (int i = 0; i < count; ++i)
        {
            float* o = out[i];
            const float* bi = b[i];
            const float dc = o[0], nyquist = o[h];
            for (int k = 0; k < h; k += 16)
            {
                const __m512 ar = _mm512_loadu_ps (a + k), ai = _mm512_loadu_ps (a + h + k);
                const __m512 br = _mm512_loadu_ps (bi + k), bim = _mm512_loadu_ps (bi + h + k);
                const __m512 re = _mm512_sub_ps (_mm512_mul_ps (ar, br), _mm512_mul_ps (ai, bim));
                const __m512 im = _mm512_add_ps (_mm512_mul_ps (ar, bim), _mm512_mul_ps (ai, br));
                _mm512_storeu_ps (o + k, _mm512_add_ps (re, _mm512_loadu_ps (o + k)));
                _mm512_storeu_ps (o + h + k, _mm512_add_ps (im, _mm512_loadu_ps (o + h + k)));
            }
            o[0] = dc + a[0] * bi[0];
            o[h] = nyquist + a[h] * bi[h];
        }
    }

    bool wideBins() noexcept { return activeSimdPath() != SimdPath::sse2; }

    bool widestBins() noexcept { return activeSimdPath() == SimdPath::avx512; }

    template <bool accumulate>
    inline void multiplySpectra (float* out, const float* a, const float* b, int n) noexcept
    {
        const int h = n / 2;
        if (accumulate)
        {
            out[0] += a[0] * b[0];
            out[h] += a[h] * b[h];
        }
        else
        {
            out[0] = a[0] * b[0];
            out[h] = a[h] * b[h];
        }
        const int scalarEnd = h < 4 ? h : 4;
        for (int k = 1; k < scalarEnd; ++k)
        {
            const float re = a[k] * b[k] - a[h + k] * b[h + k];
            const float im = a[k] * b[h + k] + a[h + k] * b[k];
            if (accumulate)
            {
                out[k] += re;
                out[h + k] += im;
            }
            else
            {
                out[k] = re;
                out[h + k] = im;
            }
        }
        if (h >= 16 && wideBins())
        {
            // Bins 4..7 four at a time, then eight at a time: the same products and sums
            // per bin (no fused multiply-add), so the result does not depend on the path.
            multiplyBins4<accumulate> (out, a, b, h, 4, 8);
            multiplyBins8<accumulate> (out, a, b, h);
        }
        else
            multiplyBins4<accumulate> (out, a, b, h, 4, h);
    }
} // namespace

void spectrumMultiply (float* out, const float* a, const float* b, int n) noexcept
{
    multiplySpectra<false> (out, a, b, n);
}

void spectrumMultiplyAdd (float* out, const float* a, const float* b, int n) noexcept
{
    multiplySpectra<true> (out, a, b, n);
}

void spectrumMultiplyAddEach (float* const* out, const float* a, const float* const* b, int count, int n) noexcept
{
    const int h = n / 2;
    if (h < 32 || ! widestBins())
    {
        for (int i = 0; i < count; ++i)
            spectrumMultiplyAdd (out[i], a, b[i], n);
        return;
    }
    multiplyAddBins16 (out, a, b, count, h);
}

} // namespace tovalin
