#include "engine/Convolver.h"
#include "engine/FFTReal.h"
#include "engine/FastMath.h"

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
// The body filter at the default latency: a 65536-sample response in 257 partitions
// of 256, per engine sample.
void BM_ConvolverBodyFilter (benchmark::State& state)
{
    Vector<float> h (65536);
    fillRandom (h);
    for (int i = 0; i < h.size(); ++i)
        h[i] *= std::exp (-(float) i / 12000.0f);
    tovalin::Convolver c;
    c.load (h.data(), h.size(), (int) state.range (0));
    Vector<float> x (512), y (512);
    fillRandom (x);
    c.wake();
    for (auto _ : state)
    {
        c.setOutput (y.data(), 512);
        c.process (x.data(), 512);
        benchmark::DoNotOptimize (y.data());
    }
    state.SetItemsProcessed (state.iterations() * 512);
    state.counters["realtime_x"] =
        benchmark::Counter ((double) state.iterations() * 512 / 44100.0, benchmark::Counter::kIsRate);
}
} // namespace

BENCHMARK (BM_ConvolverBodyFilter)->Arg (257)->Arg (65);
