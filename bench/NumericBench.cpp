#include "engine/Convolver.h"
#include "engine/FFTReal.h"
#include "engine/FastMath.h"
#include "engine/GuitarConstants.h"
#include "engine/SoundLibrary.h"

#include "SimdContext.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>

using namespace tovalin;

namespace
{
void fillRandom (Vector<float>& v)
{
    std::mt19937 rng (7);
    std::uniform_real_distribution<float> d (-1.0f, 1.0f);
    for (int i = 0; i < v.size(); ++i)
        v[i] = d (rng);
}

void BM_FftForward (benchmark::State& state)
{
    const int n = (int) state.range (0);
    FFTReal<float> fft (n);
    Vector<float> x (n), f (n);
    fillRandom (x);
    for (auto _ : state)
    {
        fft.doFft (x.data(), f.data());
        benchmark::DoNotOptimize (f.data());
    }
    state.SetItemsProcessed (state.iterations() * n);
}

void BM_FftInverse (benchmark::State& state)
{
    const int n = (int) state.range (0);
    FFTReal<float> fft (n);
    Vector<float> x (n), f (n);
    fillRandom (f);
    for (auto _ : state)
    {
        fft.doIfft (f.data(), x.data());
        benchmark::DoNotOptimize (x.data());
    }
    state.SetItemsProcessed (state.iterations() * n);
}

void BM_SpectrumMultiplyAdd (benchmark::State& state)
{
    const int n = (int) state.range (0);
    Vector<float> a (n), b (n), out (n);
    fillRandom (a);
    fillRandom (b);
    for (auto _ : state)
    {
        spectrumMultiplyAdd (out.data(), a.data(), b.data(), n);
        benchmark::DoNotOptimize (out.data());
    }
    state.SetItemsProcessed (state.iterations() * n / 2);
}

void BM_SinCos4 (benchmark::State& state)
{
    Vector<float> x (1024), s (1024), c (1024);
    fillRandom (x);
    for (auto _ : state)
    {
        for (int i = 0; i < 1024; i += 4)
            sinCos4 (x.data() + i, s.data() + i, c.data() + i);
        benchmark::DoNotOptimize (s.data());
    }
    state.SetItemsProcessed (state.iterations() * 1024);
}
} // namespace

BENCHMARK (BM_FftForward)->Arg (512)->Arg (4096)->Arg (65536);
BENCHMARK (BM_FftInverse)->Arg (512)->Arg (4096)->Arg (65536);
BENCHMARK (BM_SpectrumMultiplyAdd)->Arg (512)->Arg (4096);
BENCHMARK (BM_SinCos4);

namespace
{
// The body filter's cost per engine sample with the longest filter (65536 samples), at
// each latency preference: the partition count follows from it as the processor
// chooses it.
void BM_ConvolverAtLatency (benchmark::State& state)
{
    Vector<float> h (65536);
    fillRandom (h);
    for (int i = 0; i < h.size(); ++i)
        h[i] *= std::exp (-(float) i / 12000.0f);
    tovalin::Convolver c;
    const int latency = (int) state.range (0);
    c.load (h.data(), h.size(), tovalin::BodyFilterBuilder::partitionCount (h.size(), latency));
    constexpr int block = 2048;
    Vector<float> x (block), y (block);
    fillRandom (x);
    c.wake();
    for (auto _ : state)
    {
        c.setOutput (y.data(), block);
        c.process (x.data(), block);
        benchmark::DoNotOptimize (y.data());
    }
    state.SetItemsProcessed (state.iterations() * block);
    state.counters["partitions"] = (double) tovalin::BodyFilterBuilder::partitionCount (h.size(), latency);
    state.counters["realtime_x"] = benchmark::Counter ((double) state.iterations() * block / tovalin::EngineSampleRate,
                                                       benchmark::Counter::kIsRate);
}

// A guitar, room or mix change: combining the largest pair and loading it.
void BM_BodyFilterRebuild (benchmark::State& state)
{
    const tovalin::SoundLibrary library;
    tovalin::BodyFilterBuilder builder (library);
    tovalin::Convolver c;
    for (auto _ : state)
    {
        builder.build ("Zorbel's Jumbo", "Large 2", 0.5f);
        benchmark::DoNotOptimize (builder.load (256, c));
    }
}
} // namespace

BENCHMARK (BM_ConvolverAtLatency)->Arg (32)->Arg (64)->Arg (128)->Arg (256)->Arg (512)->Arg (1024);
BENCHMARK (BM_BodyFilterRebuild)->Unit (benchmark::kMillisecond);
