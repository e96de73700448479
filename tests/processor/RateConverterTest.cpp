#include "processor/RateConverter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <vector>

using namespace tovalin;

namespace
{
constexpr double pi = 3.14159265358979323846;

/** A continuous engine-rate signal handed out chunk by chunk, as the strings would. */
struct EngineSine
{
    double frequency = 1000.0;
    double amplitude = 0.5;
    long long next = 0;

    void render (int n, float* dest)
    {
        for (int i = 0; i < n; ++i, ++next)
            dest[i] = (float) (amplitude * std::sin (2.0 * pi * frequency * (double) next / RateConverter::EngineRate));
    }
};

/** Drives the converter block by block, as the processor does, and collects channel 0. */
std::vector<float> convert (int hostRate, const std::vector<int>& blockPattern, long long totalOutput, EngineSine sine,
                            long long* engineSamples = nullptr)
{
    RateConverter rc;
    rc.configure (hostRate, 512);
    std::vector<float> out;
    out.reserve ((size_t) totalOutput);
    size_t which = 0;
    juce::AudioBuffer<float> buffer (1, 16384);
    while ((long long) out.size() < totalOutput)
    {
        const int b = blockPattern[which++ % blockPattern.size()];
        buffer.setSize (1, b, false, false, true);
        buffer.clear();
        rc.serveBlock (buffer, b, [&] (int, int n, bool, float* dest) { sine.render (n, dest); });
        out.insert (out.end(), buffer.getReadPointer (0), buffer.getReadPointer (0) + b);
    }
    out.resize ((size_t) totalOutput);
    if (engineSamples != nullptr)
        *engineSamples = sine.next;
    return out;
}

struct SineFit
{
    double amplitude;
    double residualDb; // residual RMS relative to the fitted amplitude's RMS
};

/** Least-squares fit of a sin + b cos + c at a known frequency. */
SineFit fitSine (const std::vector<float>& y, size_t start, size_t count, double frequency, double rate)
{
    double m[3][3] = {}, v[3] = {};
    for (size_t i = start; i < start + count; ++i)
    {
        const double t = 2.0 * pi * frequency * (double) i / rate;
        const double basis[3] = {std::sin (t), std::cos (t), 1.0};
        for (int r = 0; r < 3; ++r)
        {
            v[r] += basis[r] * y[i];
            for (int c = 0; c < 3; ++c)
                m[r][c] += basis[r] * basis[c];
        }
    }
    // Gaussian elimination on the 3x3 normal equations.
    for (int col = 0; col < 3; ++col)
        for (int r = col + 1; r < 3; ++r)
        {
            const double f = m[r][col] / m[col][col];
            for (int c = col; c < 3; ++c)
                m[r][c] -= f * m[col][c];
            v[r] -= f * v[col];
        }
    double x[3];
    for (int r = 2; r >= 0; --r)
    {
        double s = v[r];
        for (int c = r + 1; c < 3; ++c)
            s -= m[r][c] * x[c];
        x[r] = s / m[r][r];
    }
    double residual = 0;
    for (size_t i = start; i < start + count; ++i)
    {
        const double t = 2.0 * pi * frequency * (double) i / rate;
        const double e = y[i] - (x[0] * std::sin (t) + x[1] * std::cos (t) + x[2]);
        residual += e * e;
    }
    const double amplitude = std::hypot (x[0], x[1]);
    const double residualRms = std::sqrt (residual / (double) count);
    return {amplitude, 20.0 * std::log10 (residualRms / (amplitude / std::sqrt (2.0)))};
}

const int allRates[] = {22050, 44100, 48000, 88200, 96000, 176400, 192000};
} // namespace

TEST (RateConverter, SupportsExactlyTheSevenRates)
{
    RateConverter rc;
    for (int r : allRates)
        EXPECT_TRUE (rc.configure (r, 512)) << r;
    EXPECT_TRUE (rc.configure (47999.6, 512)) << "rounded to the nearest integer";
    for (double r : {50000.0, 32000.0, 8000.0, 0.0, -44100.0, 384000.0})
    {
        EXPECT_FALSE (rc.configure (r, 512)) << r;
        EXPECT_TRUE (rc.isCopy());
    }
}

TEST (RateConverter, At44100ItIsACopy)
{
    RateConverter rc;
    rc.configure (44100, 256);
    EXPECT_EQ (rc.inputNeeded (256), 256);
    EXPECT_EQ (rc.inputNeeded (1), 1);
    juce::AudioBuffer<float> buffer (1, 64);
    EXPECT_EQ (rc.drainOverflow (buffer, 0, 64), 0);
    for (int i = 0; i < 64; ++i)
        rc.writePointer()[i] = (float) i;
    rc.process (buffer, 64, 64, 0);
    for (int i = 0; i < 64; ++i)
        EXPECT_EQ (buffer.getSample (0, i), (float) i);
}

TEST (RateConverter, At48000A512BlockNeeds471EngineSamplesAndThePrimingOnce)
{
    RateConverter rc;
    rc.configure (48000, 512);
    juce::AudioBuffer<float> buffer (1, 512);
    EXPECT_EQ (rc.inputNeeded (512), 471 + 23);
    rc.process (buffer, 471 + 23, 512, 0);
    EXPECT_TRUE (rc.isPrimed());
    const int left = rc.pendingOverflow();
    EXPECT_EQ (rc.inputNeeded (512 - left), (int) std::ceil ((512 - left) * 147.0 / 160.0));
}

TEST (RateConverter, PhaseTablesSumToOneAndAreAligned)
{
    for (const auto& spec : RateConverter::supportedRates)
    {
        if (spec.up == 1)
            continue;
        const auto table = RateConverter::makeCoefficients (spec.up, spec.taps, 1.0);
        const int N = spec.taps;
        for (int p = 0; p < spec.up; ++p)
        {
            const float* c = table.data() + p * N;
            EXPECT_NEAR (std::accumulate (c, c + N, 0.0), 1.0, 1e-4) << spec.hostRate << " phase " << p;
        }
        // Phase 0 is the pure delay at tap N/2 - 1.
        for (int k = 0; k < N; ++k)
            EXPECT_EQ (table[(size_t) k], k == N / 2 - 1 ? 1.0f : 0.0f);
        // The middle phase is symmetric about taps N/2 - 1 and N/2.
        if (spec.up % 2 == 0)
        {
            const float* mid = table.data() + (spec.up / 2) * N;
            for (int k = 0; k < N / 2; ++k)
                EXPECT_NEAR (mid[N / 2 - 1 - k], mid[N / 2 + k], 1e-6);
        }
        // Each phase peaks at the tap nearest its fractional delay.
        for (int p = 1; p < spec.up; ++p)
        {
            const float* c = table.data() + p * N;
            const int peak = (int) (std::max_element (c, c + N) - c);
            EXPECT_EQ (peak, (double) p / spec.up <= 0.5 ? N / 2 - 1 : N / 2) << spec.hostRate << " phase " << p;
        }
    }
}

TEST (RateConverter, HalfSampleInterpolatorIsAWindowedSincOfTheExpectedShape)
{
    // The 88 200 Hz table's second phase, fractional delay 0.5.
    const auto table = RateConverter::makeCoefficients (2, 24, 1.0);
    const double expected[12] = {-0.0002, 0.0008, -0.0020, 0.0045, -0.0086, 0.0153,
                                 -0.0257, 0.0415, -0.0661, 0.1084, -0.2003, 0.6326};
    for (int k = 0; k < 12; ++k)
    {
        EXPECT_NEAR (table[(size_t) (24 + k)], expected[k], 0.0005) << "tap " << k;
        EXPECT_NEAR (table[(size_t) (24 + 23 - k)], expected[k], 0.0005) << "mirrored tap " << 23 - k;
    }
}

// Any host block pattern, however odd, yields exactly the requested samples and the
// same stream: the converter's state carries across blocks and chunks without a seam.
TEST (RateConverter, OutputDoesNotDependOnTheHostBlockSizes)
{
    const std::vector<std::vector<int>> patterns = {{512}, {1}, {7, 13, 1, 255}, {64}, {4096}, {8192, 3}};
    for (int rate : allRates)
    {
        const long long total = rate / 4;
        EngineSine sine;
        const auto reference = convert (rate, patterns[0], total, sine);
        for (size_t p = 1; p < patterns.size(); ++p)
        {
            const auto other = convert (rate, patterns[p], total, sine);
            size_t firstDifference = 0;
            while (firstDifference < reference.size() && reference[firstDifference] == other[firstDifference])
                ++firstDifference;
            EXPECT_EQ (firstDifference, reference.size()) << "rate " << rate << ", pattern " << p;
        }
    }
}

// Blocks whose conversion needs more than one chunk (44 100 Hz, blocks above 9000).
TEST (RateConverter, LongBlocksAreServedInSeveralChunks)
{
    RateConverter rc;
    rc.configure (44100, 512);
    juce::AudioBuffer<float> buffer (1, 20000);
    EngineSine sine;
    std::vector<int> chunkLengths;
    const int chunks =
        rc.serveBlock (buffer, 20000,
                       [&] (int base, int n, bool, float* dest)
                       {
                           EXPECT_EQ (base, std::accumulate (chunkLengths.begin(), chunkLengths.end(), 0));
                           chunkLengths.push_back (n);
                           sine.render (n, dest);
                       });
    EXPECT_EQ (chunks, 3);
    for (int n : chunkLengths)
        EXPECT_LE (n, RateConverter::MaxChunk);
    EXPECT_EQ (sine.next, 20000);
}

TEST (RateConverter, EngineSamplesFollowTheRateRatio)
{
    for (int rate : allRates)
    {
        long long engine = 0;
        const long long blocks = 200;
        convert (rate, {333}, blocks * 333, EngineSine(), &engine);
        // Every host sample costs M/L engine samples, plus the filter's priming once.
        int taps = 0;
        for (const auto& s : RateConverter::supportedRates)
            if (s.hostRate == rate)
                taps = s.taps;
        const double expected = (double) blocks * 333 * RateConverter::EngineRate / rate + std::max (0, taps - 1);
        EXPECT_NEAR ((double) engine, expected, 2.0) << rate;
    }
}

// A block shorter than the leftover never gets more than it has room for, and
// nothing is lost: the stream equals the one served in ordinary blocks.
TEST (RateConverter, TinyBlocksTakeTheLeftoverInTurns)
{
    RateConverter rc;
    rc.configure (192000, 512);
    juce::AudioBuffer<float> big (1, 1000);
    EngineSine sine;
    for (int i = 0; i < 10 && rc.pendingOverflow() < 2; ++i)
        rc.serveBlock (big, 997 - i, [&] (int, int n, bool, float* dest) { sine.render (n, dest); });
    ASSERT_GE (rc.pendingOverflow(), 2);
    const int pending = rc.pendingOverflow();
    juce::AudioBuffer<float> one (1, 1);
    const int chunks = rc.serveBlock (one, 1, [&] (int, int, bool, float*) { FAIL() << "no chunk expected"; });
    EXPECT_EQ (chunks, 0);
    EXPECT_EQ (rc.pendingOverflow(), pending - 1);
}

// Through every rate a sine keeps its frequency and amplitude, with little distortion.
// At 22 050 Hz the band ends at 11 025 Hz and the short decimation filter starts to
// roll off early, so only the lower part of the band is held to the same measure.
TEST (RateConverter, SineKeepsFrequencyAndAmplitudeWithLowDistortion)
{
    for (int rate : allRates)
        for (double f : {100.0, 1000.0, 3000.0, 5000.0, 9000.0, 15000.0})
        {
            if (rate == 22050 && f > 3000.0)
                continue;
            EngineSine sine;
            sine.frequency = f;
            const auto y = convert (rate, {480}, rate, sine);
            const SineFit fit = fitSine (y, (size_t) rate / 4, (size_t) rate / 2, f, rate);
            EXPECT_NEAR (fit.amplitude, 0.5, 0.5 * 0.01) << rate << " Hz, " << f << " Hz sine";
            EXPECT_LT (fit.residualDb, -60.0) << rate << " Hz, " << f << " Hz sine";
        }
}

// Converting to 22 050 Hz halves the band: what lies above the host's Nyquist is
// filtered rather than folded back into the audible band.
TEST (RateConverter, DecimationTo22050AttenuatesWhatWouldAlias)
{
    EngineSine sine;
    sine.frequency = 18000.0; // would fold to 4050 Hz
    const auto y = convert (22050, {512}, 22050, sine);
    const SineFit folded = fitSine (y, 5000, 10000, 22050.0 - 18000.0, 22050);
    EXPECT_LT (20.0 * std::log10 (folded.amplitude / 0.5), -20.0);
}

TEST (RateConverter, ReleaseEmptiesAndAllowsReconfiguring)
{
    RateConverter rc;
    rc.configure (96000, 128);
    rc.release();
    EXPECT_FALSE (rc.isConfigured());
    EXPECT_EQ (rc.pendingOverflow(), 0);
    EXPECT_TRUE (rc.configure (48000, 128));
    EXPECT_TRUE (rc.isConfigured());
}
