#include "engine/FFTReal.h"
#include "engine/FastMath.h"
#include "engine/FloatingPointGuard.h"
#include "engine/SimdPath.h"
#include "engine/Vector.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include <xmmintrin.h>

using namespace tovalin;

namespace
{
std::vector<float> randomSignal (int n, unsigned seed)
{
    std::mt19937 rng (seed);
    std::uniform_real_distribution<float> d (-1.0f, 1.0f);
    std::vector<float> x ((size_t) n);
    for (auto& v : x)
        v = d (rng);
    return x;
}

Vector<float> toVector (const std::vector<float>& v)
{
    Vector<float> r ((int) v.size());
    for (int i = 0; i < (int) v.size(); ++i)
        r[i] = v[(size_t) i];
    return r;
}
} // namespace

TEST (VectorMatrix, EmptyShapesThrowBadSize)
{
    EXPECT_THROW (Vector<float> (0), Vector<float>::BadSize);
    EXPECT_THROW (Vector<float> (-3), Vector<float>::BadSize);
    EXPECT_THROW (Matrix<float> (0, 4), Matrix<float>::BadSize);
    EXPECT_THROW (Matrix<float> (4, 0), Matrix<float>::BadSize);
    EXPECT_NO_THROW (Matrix<float> (31, 160));
}

TEST (VectorMatrix, VectorIsAlignedAndZeroFilled)
{
    for (int size : {1, 3, 48, 160, 9000})
    {
        Vector<float> v (size);
        EXPECT_EQ (reinterpret_cast<std::uintptr_t> (v.data()) % 16, 0u);
        for (int i = 0; i < size; ++i)
            ASSERT_EQ (v[i], 0.0f);
    }
    Matrix<float> m (30, 49);
    EXPECT_EQ (reinterpret_cast<std::uintptr_t> (m.data()) % 16, 0u);
    EXPECT_EQ (m.row (2), m.data() + 2 * 49);
}

TEST (VectorMatrix, CopiesAreDeepAndViewsDoNotOwn)
{
    Vector<float> a (8);
    a[3] = 2.5f;
    Vector<float> b = a;
    b[3] = 1.0f;
    EXPECT_EQ (a[3], 2.5f);
    Vector<float> view (a.data(), 8);
    EXPECT_FALSE (view.ownsData());
    view[3] = 7.0f;
    EXPECT_EQ (a[3], 7.0f);
}

// The layout: f[0] DC, f[N/2] Nyquist, f[k] and f[N/2+k] real and imaginary parts of bin k.
TEST (FFTReal, ForwardMatchesDirectTransformInTheSpectrumLayout)
{
    const int n = 128;
    FFTReal<float> fft (n);
    const auto x = randomSignal (n, 1);
    Vector<float> in = toVector (x), f (n);
    fft.doFft (in.data(), f.data());

    const double pi = 3.14159265358979323846;
    for (int k = 0; k <= n / 2; ++k)
    {
        double re = 0, im = 0;
        for (int j = 0; j < n; ++j)
        {
            re += x[(size_t) j] * std::cos (2 * pi * k * j / n);
            im -= x[(size_t) j] * std::sin (2 * pi * k * j / n);
        }
        if (k == 0)
            EXPECT_NEAR (f[0], re, 1e-4);
        else if (k == n / 2)
            EXPECT_NEAR (f[n / 2], re, 1e-4);
        else
        {
            EXPECT_NEAR (f[k], re, 1e-4) << "bin " << k;
            EXPECT_NEAR (f[n / 2 + k], im, 1e-4) << "bin " << k;
        }
    }
}

TEST (FFTReal, RoundTripReturnsTheInputAtEverySize)
{
    for (int n = 128; n <= 65536; n *= 2)
    {
        FFTReal<float> fft (n);
        const auto x = randomSignal (n, (unsigned) n);
        Vector<float> in = toVector (x), f (n), back (n);
        fft.doFft (in.data(), f.data());
        fft.doIfft (f.data(), back.data());
        fft.rescale (back.data());
        double worst = 0;
        for (int i = 0; i < n; ++i)
            worst = std::max (worst, (double) std::abs (back[i] - x[(size_t) i]));
        EXPECT_LT (worst, 2e-5) << "n = " << n;
    }
}

TEST (FFTReal, InverseIsUnnormalised)
{
    const int n = 256;
    FFTReal<float> fft (n);
    Vector<float> in (n), f (n), back (n);
    in[5] = 1.0f;
    fft.doFft (in.data(), f.data());
    fft.doIfft (f.data(), back.data());
    EXPECT_NEAR (back[5], (float) n, 1e-3);
    EXPECT_NEAR (back[6], 0.0f, 1e-3);
}

TEST (FFTReal, RejectsLengthsThatAreNotPowersOfTwo) { EXPECT_THROW (FFTReal<float> (1000), std::invalid_argument); }

// Multiplying zero-padded spectra is linear convolution once N covers the full result.
TEST (SpectrumMultiply, EqualsDirectLinearConvolution)
{
    for (int n : {128, 512, 4096})
    {
        const int la = n / 2 - 7, lb = n / 2 + 8; // la + lb - 1 == n
        const auto a = randomSignal (la, 3), b = randomSignal (lb, 4);
        Vector<float> pa (n), pb (n), fa (n), fb (n), prod (n), y (n);
        for (int i = 0; i < la; ++i)
            pa[i] = a[(size_t) i];
        for (int i = 0; i < lb; ++i)
            pb[i] = b[(size_t) i];
        FFTReal<float> fft (n);
        fft.doFft (pa.data(), fa.data());
        fft.doFft (pb.data(), fb.data());
        spectrumMultiply (prod.data(), fa.data(), fb.data(), n);
        fft.doIfft (prod.data(), y.data());
        fft.rescale (y.data());

        double worst = 0;
        for (int k = 0; k < n; ++k)
        {
            double direct = 0;
            for (int i = std::max (0, k - lb + 1); i <= std::min (k, la - 1); ++i)
                direct += (double) a[(size_t) i] * b[(size_t) (k - i)];
            worst = std::max (worst, std::abs (direct - y[k]));
        }
        EXPECT_LT (worst, 1e-3) << "n = " << n;
    }
}

TEST (SpectrumMultiply, MultiplyAddAccumulatesOntoTheOutput)
{
    const int n = 256;
    const auto a = randomSignal (n, 5), b = randomSignal (n, 6), c = randomSignal (n, 7);
    Vector<float> va = toVector (a), vb = toVector (b), vc = toVector (c), once (n), acc = toVector (c);
    spectrumMultiply (once.data(), va.data(), vb.data(), n);
    spectrumMultiplyAdd (acc.data(), va.data(), vb.data(), n);
    for (int i = 0; i < n; ++i)
        EXPECT_NEAR (acc[i], vc[i] + once[i], 1e-6) << "index " << i;
}

// Every path (4, 8 and 16 bins at a time, one spectrum or many) gives exactly what a
// plain bin-by-bin complex multiply-add in the transform's layout gives.
TEST (SpectrumMultiply, EveryPathEqualsThePlainMultiplyAddToTheBit)
{
    const auto reference = [] (std::vector<float>& out, const std::vector<float>& a, const std::vector<float>& b)
    {
        const size_t h = a.size() / 2;
        out[0] += a[0] * b[0];
        out[h] += a[h] * b[h];
        for (size_t k = 1; k < h; ++k)
        {
            const float re = a[k] * b[k] - a[h + k] * b[h + k];
            const float im = a[k] * b[h + k] + a[h + k] * b[k];
            out[k] += re;
            out[h + k] += im;
        }
    };
    for (int n : {16, 32, 64, 256, 512, 2048})
    {
        const int count = 5;
        const auto a = randomSignal (n, 11);
        const Vector<float> va = toVector (a);
        std::vector<std::vector<float>> b, start;
        for (int i = 0; i < count; ++i)
        {
            b.push_back (randomSignal (n, 20 + (unsigned) i));
            start.push_back (randomSignal (n, 40 + (unsigned) i));
        }
        std::vector<Vector<float>> vb, one, each;
        for (int i = 0; i < count; ++i)
        {
            vb.push_back (toVector (b[(size_t) i]));
            one.push_back (toVector (start[(size_t) i]));
            each.push_back (toVector (start[(size_t) i]));
        }
        std::vector<float*> eachOut;
        std::vector<const float*> bIn;
        for (int i = 0; i < count; ++i)
        {
            eachOut.push_back (each[(size_t) i].data());
            bIn.push_back (vb[(size_t) i].data());
            spectrumMultiplyAdd (one[(size_t) i].data(), va.data(), vb[(size_t) i].data(), n);
        }
        spectrumMultiplyAddEach (eachOut.data(), va.data(), bIn.data(), count, n);

        for (int i = 0; i < count; ++i)
        {
            std::vector<float> expected = start[(size_t) i];
            reference (expected, a, b[(size_t) i]);
            for (int k = 0; k < n; ++k)
            {
                ASSERT_EQ (one[(size_t) i][k], expected[(size_t) k]) << "n " << n << " bin " << k;
                ASSERT_EQ (each[(size_t) i][k], expected[(size_t) k]) << "n " << n << " bin " << k;
            }
        }
    }
}

TEST (FastMath, Sin4AndSinCos4FollowTheLibraryOverAWideRange)
{
    double worstSin = 0, worstCos = 0, worstSinCosSin = 0;
    for (double x = -2000.0; x < 2000.0; x += 0.0137)
    {
        float in[4] = {(float) x, (float) (x * 0.5), (float) (x * 0.001), (float) (-x * 0.25)};
        float s[4], s2[4], c[4];
        sin4 (in, s);
        sinCos4 (in, s2, c);
        for (int i = 0; i < 4; ++i)
        {
            worstSin = std::max (worstSin, std::abs (s[i] - std::sin ((double) in[i])));
            worstSinCosSin = std::max (worstSinCosSin, std::abs (s2[i] - std::sin ((double) in[i])));
            worstCos = std::max (worstCos, std::abs (c[i] - std::cos ((double) in[i])));
        }
    }
    EXPECT_LT (worstSin, 2e-6);
    EXPECT_LT (worstSinCosSin, 2e-6);
    EXPECT_LT (worstCos, 2e-6);
}

TEST (FastMath, SineIsOddAndCosineIsEven)
{
    for (float x : {0.1f, 0.7853982f, 1.5707964f, 3.1415927f, 10.0f, 123.456f})
    {
        float p[4] = {x, x, x, x}, m[4] = {-x, -x, -x, -x};
        float sp[4], cp[4], sm[4], cm[4];
        sinCos4 (p, sp, cp);
        sinCos4 (m, sm, cm);
        EXPECT_EQ (sm[0], -sp[0]) << x;
        EXPECT_EQ (cm[0], cp[0]) << x;
    }
}

TEST (FastMath, ScalarWrappersRoundTheDoubleResult)
{
    EXPECT_EQ (tovalin::sinf (0.5f), (float) std::sin (0.5));
    EXPECT_EQ (tovalin::cosf (2.0f), (float) std::cos (2.0));
    EXPECT_EQ (tovalin::expf (-3.0f), (float) std::exp (-3.0));
}

namespace
{
// Opaque to the optimiser, so the faulting arithmetic really runs.
volatile float zero = 0.0f;
volatile float big = 3e38f;
volatile float tiny = 1e-38f;
} // namespace

TEST (FloatingPointGuard, ReportsANaNBlockAndOnlyThat)
{
    FloatingPointGuard guard;
    guard.enterAudioBlock();
    volatile float ok = 1.0f + big * 0.5f;
    (void) ok;
    EXPECT_FALSE (guard.hadArithmeticError());

    volatile float nan = zero / zero;
    (void) nan;
    EXPECT_TRUE (guard.hadArithmeticError());
    EXPECT_FALSE (guard.hadArithmeticError()) << "reading clears the flags";

    volatile float inf = big * 10.0f;
    (void) inf;
    EXPECT_TRUE (guard.hadArithmeticError());

    volatile float divided = 1.0f / zero;
    (void) divided;
    EXPECT_TRUE (guard.hadArithmeticError());
    guard.leaveAudioBlock();
}

TEST (FloatingPointGuard, FlushesDenormalsInsideAndRestoresTheCallersState)
{
    const unsigned int before = _mm_getcsr() & ~0x3Fu;
    volatile float outside = tiny * 0.01f;
    EXPECT_NE ((float) outside, 0.0f) << "denormals exist outside the block";

    {
        ScopedAudioBlockGuard guard;
        volatile float inside = tiny * 0.01f;
        EXPECT_EQ ((float) inside, 0.0f);
        EXPECT_EQ (_mm_getcsr() & 0x8040u, 0x8040u);
    }
    EXPECT_EQ (_mm_getcsr() & ~0x3Fu, before);
    volatile float after = tiny * 0.01f;
    EXPECT_NE ((float) after, 0.0f);
}

// The wider paths do the same operations per element as four lanes: the same bits.
TEST (FFTReal, EverySimdPathGivesTheSameBits)
{
    const SimdPath before = activeSimdPath();
    for (const int n : {16, 64, 512, 8192})
    {
        std::vector<float> in ((size_t) n);
        for (int i = 0; i < n; ++i)
            in[(size_t) i] = std::sin (0.37f * (float) i) + 0.25f * std::cos (1.91f * (float) (i * i % 97));
        std::vector<float> reference, back;
        for (SimdPath path : {SimdPath::sse2, SimdPath::avx2, SimdPath::avx512})
        {
            if (! selectSimdPath (path))
                continue;
            FFTReal<float> fft (n);
            std::vector<float> f ((size_t) n), x ((size_t) n);
            fft.doFft (in.data(), f.data());
            fft.doIfft (f.data(), x.data());
            if (reference.empty())
            {
                reference = f;
                back = x;
            }
            EXPECT_EQ (f, reference) << n << " points, " << simdPathName (path);
            EXPECT_EQ (x, back) << n << " points, " << simdPathName (path);
        }
    }
    selectSimdPath (before);
}
