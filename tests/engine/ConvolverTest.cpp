#include "engine/Convolver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

using namespace tovalin;

namespace
{
std::vector<float> noise (int n, unsigned seed)
{
    std::mt19937 rng (seed);
    std::uniform_real_distribution<float> d (-1.0f, 1.0f);
    std::vector<float> x ((size_t) n);
    for (auto& v : x)
        v = d (rng);
    return x;
}

float gainFor (const std::vector<float>& h)
{
    double e = 0;
    for (float v : h)
        e += (double) v * v;
    const double rms = std::sqrt (e / (double) h.size());
    return rms > 0 ? (float) (1.0 / (100.0 * rms)) : 1.0f;
}

/** Runs x through the convolver in calls of varying length. */
std::vector<float> run (Convolver& c, const std::vector<float>& x)
{
    std::vector<float> y (x.size(), 0.0f);
    const int sizes[] = {1, 7, 256, 100, 33, 512, 3};
    size_t pos = 0, k = 0;
    c.wake();
    while (pos < x.size())
    {
        const int n = (int) std::min<size_t> ((size_t) sizes[k++ % 7], x.size() - pos);
        c.setOutput (y.data() + pos, n);
        c.process (x.data() + pos, n);
        pos += (size_t) n;
    }
    return y;
}
} // namespace

TEST (Convolver, AnImpulseGivesTheNormalisedFilterOnePartitionLater)
{
    const auto h = noise (1000, 1);
    Convolver c;
    const int P = c.load (h.data(), (int) h.size(), 4);
    EXPECT_EQ (P, 256);
    EXPECT_EQ (c.latency(), 256);
    std::vector<float> x (3000, 0.0f);
    x[0] = 1.0f;
    const auto y = run (c, x);
    const float g = gainFor (h);
    for (int i = 0; i < P; ++i)
        ASSERT_NEAR (y[(size_t) i], 0.0f, 1e-7f);
    for (size_t i = 0; i < h.size(); ++i)
        ASSERT_NEAR (y[(size_t) P + i], g * h[i], 1e-6f) << i;
}

// Against direct convolution, for short filters (two ring slots) and long ones, cut
// into partitions of one length or into a head and longer levels.
TEST (Convolver, EqualsDirectConvolution)
{
    struct Case
    {
        int length, partitions, inputLength;
    };
    for (const Case c : {Case{300, 2, 6000}, Case{4096, 16, 6000}, Case{10000, 39, 12000}, Case{17, 40, 6000},
                         Case{4000, 125, 6000}, Case{20000, 79, 26000}})
    {
        const auto h = noise (c.length, (unsigned) c.length);
        const auto x = noise (c.inputLength, 99);
        Convolver conv;
        const int P = conv.load (h.data(), c.length, c.partitions);
        const auto y = run (conv, x);
        const float g = gainFor (h);
        double worst = 0;
        for (size_t k = (size_t) P; k < x.size(); ++k)
        {
            double direct = 0;
            const size_t m = k - (size_t) P;
            for (size_t j = 0; j < h.size() && j <= m; ++j)
                direct += (double) h[j] * x[m - j];
            worst = std::max (worst, std::abs (g * direct - y[k]));
        }
        EXPECT_LT (worst, 2e-4) << c.length << " samples in " << c.partitions << " partitions";
    }
}

// The long body filter (65536 samples at the default latency) is cut into a head of
// the latency's partitions and levels of longer ones: far fewer multiply-adds per
// sample, the same latency, and the whole response covered.
TEST (Convolver, LongFiltersGetAHeadOfShortPartitionsAndLongerOnes)
{
    for (const int latency : {32, 64, 256, 1024})
    {
        const int n = 65536, a = n / latency + 1;
        const auto h = noise (n, 3);
        Convolver c;
        ASSERT_EQ (c.load (h.data(), n, a), latency);
        ASSERT_GE (c.levelCount(), 2) << latency;
        EXPECT_EQ (c.levelBlockLength (0), latency);
        int covered = 0;
        double binsPerSample = 0;
        for (int l = 0; l < c.levelCount(); ++l)
        {
            const int B = c.levelBlockLength (l);
            if (l > 0)
            {
                EXPECT_EQ (B, 4 * c.levelBlockLength (l - 1));
            }
            EXPECT_LE (B, std::max (4096, 4 * latency)) << "a level's transforms must fit in one hop";
            covered += c.levelPartitions (l) * B;
            binsPerSample += c.levelPartitions (l) * (B + 1.0) / B;
        }
        EXPECT_GE (covered, n);
        EXPECT_LT (binsPerSample, a / 3.0) << latency << ": uniform partitions need " << a << " bins a sample";
    }
}

TEST (Convolver, RestsAfterTheTailAndWakesSeamlessly)
{
    for (const int length : {2048, 20000})
    {
        const auto h = noise (length, 5);
        Convolver c, reference;
        const int P = c.load (h.data(), length, length / 256 + 1);
        reference.load (h.data(), length, length / 256 + 1);
        const int rest = c.restHops();
        EXPECT_GE ((rest - 1) * P, length) << "the whole response plays out";
        // A burst of input, then silence; the tail is announced at once.
        const int blocks = rest + 6;
        std::vector<float> x ((size_t) (P * blocks), 0.0f);
        for (int i = 0; i < P; ++i)
            x[(size_t) i] = std::sin (0.1f * (float) i);
        std::vector<float> y (x.size()), z (x.size());
        c.wake();
        reference.wake();
        c.setOutput (y.data(), P);
        c.process (x.data(), P);
        c.startTail();
        reference.setOutput (z.data(), P);
        reference.process (x.data(), P);
        EXPECT_TRUE (c.isTailCounting());
        for (int block = 1; block < blocks; ++block)
        {
            c.setOutput (y.data() + block * P, P);
            c.process (x.data() + block * P, P);
            reference.setOutput (z.data() + block * P, P);
            reference.process (x.data() + block * P, P);
        }
        EXPECT_TRUE (c.isSilent());
        // Until it rests, the output is the full tail.
        for (int i = 0; i < (rest + 1) * P; ++i)
            ASSERT_EQ (y[(size_t) i], z[(size_t) i]) << i;
        for (size_t i = (size_t) (rest + 2) * P; i < y.size(); ++i)
            ASSERT_EQ (y[i], 0.0f);
        const long long hops = c.hopCount();
        std::vector<float> more (1024);
        c.setOutput (more.data(), 1024);
        c.process (more.data(), 1024);
        EXPECT_EQ (c.hopCount(), hops) << "no transform while resting";

        // A note during the tail continues the convolution as if nothing happened.
        Convolver d, e;
        d.load (h.data(), length, length / 256 + 1);
        e.load (h.data(), length, length / 256 + 1);
        const auto input = noise (P * 40, 8);
        std::vector<float> yd (input.size()), ye (input.size());
        d.wake();
        e.wake();
        for (int block = 0; block < 40; ++block)
        {
            if (block == 2 || block == 21)
                d.startTail();
            if (block == 4 || block == 30)
                d.wake();
            d.setOutput (yd.data() + block * P, P);
            d.process (input.data() + block * P, P);
            e.setOutput (ye.data() + block * P, P);
            e.process (input.data() + block * P, P);
        }
        EXPECT_EQ (yd, ye) << length;
    }
}

TEST (Convolver, EdgeCasesAreHandled)
{
    Convolver c;
    std::vector<float> x (64, 1.0f), y (64, 5.0f);
    c.setOutput (y.data(), 64);
    c.process (x.data(), 64);
    EXPECT_EQ (y[10], 0.0f) << "no filter yet: silence";

    const std::vector<float> zeros (500, 0.0f);
    EXPECT_GT (c.load (zeros.data(), 500, 4), 0) << "a filter without energy loads with gain 1";
    EXPECT_EQ (c.load (zeros.data(), 500, 0), c.partitionLength()) << "no partitions: nothing changes";
    const float one = 1.0f;
    EXPECT_GT (c.load (&one, 1, 1), 0) << "a one-sample filter";

    c.setOutput (nullptr, 64);
    c.wake();
    c.process (x.data(), 64); // a null output stops at once
    EXPECT_EQ (c.hopCount(), 0);
}
