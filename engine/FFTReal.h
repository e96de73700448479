#pragma once

#include "Vector.h"

#include <vector>

namespace tovalin
{
template <typename T>
class FFTReal;

/** Real-input FFT of a power-of-two length N (128 to 65536).

    Spectrum layout: f[0] is the real DC bin, f[N/2] the real Nyquist bin, and for
    k = 1..N/2-1, f[k] is the real part and f[N/2 + k] the imaginary part of bin k.
    The forward transform uses exp(-i...), the inverse is not normalised (it returns
    N times the signal).

    Built once per length (allocates); doFft, doIfft and rescale do not allocate and
    may run on the audio thread. One instance must not be used by two threads at once. */
template <>
class FFTReal<float>
{
public:
    explicit FFTReal (int length);

    int length() const noexcept { return n; }

    /** x: N real samples; f: N values in the spectrum layout. x and f must not overlap. */
    void doFft (const float* x, float* f) noexcept;

    /** f: N values in the spectrum layout; x receives N times the signal. */
    void doIfft (const float* f, float* x) noexcept;

    /** Multiplies the N values of x by 1/N. */
    void rescale (float* x) const noexcept;

private:
    void complexTransform (float* re, float* im) const noexcept;

    int n;                            // real length
    int half;                         // complex length n/2
    std::vector<int> bitReverse;      // half entries
    Vector<float> stageCos, stageSin; // per-stage twiddles, concatenated
    Vector<float> postCos, postSin;   // exp(-2 pi i k / n) for k < half
    Vector<float> workRe, workIm;
};

/** out = a x b, bin by bin in the spectrum layout of a length-n transform. */
void spectrumMultiply (float* out, const float* a, const float* b, int n) noexcept;

/** out += a x b, bin by bin in the spectrum layout of a length-n transform. */
void spectrumMultiplyAdd (float* out, const float* a, const float* b, int n) noexcept;

/** out[i] += a x b[i] for i < count: the same results as spectrumMultiplyAdd on each,
    in one pass (sixteen bins at a time where the processor has AVX-512). */
void spectrumMultiplyAddEach (float* const* out, const float* a, const float* const* b, int count, int n) noexcept;

} // namespace tovalin
