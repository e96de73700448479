#include "engine/Convolver.h"

#include <gtest/gtest.h>

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

// Against direct convolution, for short filters (two ring slots) and long ones.
TEST (Convolver, EqualsDirectConvolution)
{
    struct Case
    {
        int length, partitions;
    };
    for (const Case c : {Case{300, 2}, Case{4096, 16}, Case{10000, 39}, Case{17, 40}})
    {
        const auto h = noise (c.length, (unsigned) c.length);
        const auto x = noise (6000, 99);
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

TEST (Convolver, RestsAfterTheTailAndWakesSeamlessly)
{
    const auto h = noise (2048, 5);
    Convolver c, reference;
    const int P = c.load (h.data(), 2048, 8);
    reference.load (h.data(), 2048, 8);
    const int a = c.partitionCount();
    // A burst of input, then silence; the tail is announced at once.
    std::vector<float> x (P * 20, 0.0f);
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
    for (int block = 1; block < 20; ++block)
    {
        c.setOutput (y.data() + block * P, P);
        c.process (x.data() + block * P, P);
        reference.setOutput (z.data() + block * P, P);
        reference.process (x.data() + block * P, P);
    }
    EXPECT_TRUE (c.isSilent());
    // Until it rests, the output is the full tail.
    for (int i = 0; i < (a + 2) * P; ++i)
        ASSERT_EQ (y[(size_t) i], z[(size_t) i]) << i;
    for (size_t i = (size_t) (a + 3) * P; i < y.size(); ++i)
        ASSERT_EQ (y[i], 0.0f);
    const long long hops = c.hopCount();
    std::vector<float> more (1024);
    c.setOutput (more.data(), 1024);
    c.process (more.data(), 1024);
    EXPECT_EQ (c.hopCount(), hops) << "no transform while resting";

    // A note during the tail continues the convolution as if nothing happened.
    Convolver d, e;
    d.load (h.data(), 2048, 8);
    e.load (h.data(), 2048, 8);
    const auto input = noise (P * 6, 8);
    std::vector<float> yd (input.size()), ye (input.size());
    d.wake();
    e.wake();
    for (int block = 0; block < 6; ++block)
    {
        if (block == 2)
            d.startTail();
        if (block == 4)
            d.wake();
        d.setOutput (yd.data() + block * P, P);
        d.process (input.data() + block * P, P);
        e.setOutput (ye.data() + block * P, P);
        e.process (input.data() + block * P, P);
    }
    EXPECT_EQ (yd, ye);
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
