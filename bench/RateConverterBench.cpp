#include "processor/RateConverter.h"

#include "SimdContext.h"

#include <benchmark/benchmark.h>

#include <cmath>

using namespace tovalin;

namespace
{
// Cost per host sample of serving 512-sample host blocks at each rate.
void BM_ConvertBlock (benchmark::State& state)
{
    const int rate = (int) state.range (0);
    const int block = 512;
    RateConverter rc;
    rc.configure (rate, block);
    juce::AudioBuffer<float> buffer (1, block);
    long long t = 0;
    for (auto _ : state)
    {
        rc.serveBlock (buffer, block,
                       [&] (int, int n, bool, float* dest)
                       {
                           for (int i = 0; i < n; ++i, ++t)
                               dest[i] = (float) ((t * 37 % 2000) - 1000) * 0.0005f;
                       });
        benchmark::DoNotOptimize (buffer.getReadPointer (0));
    }
    state.SetItemsProcessed (state.iterations() * block);
    state.counters["ns_per_host_sample"] = benchmark::Counter (
        (double) state.iterations() * block, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
} // namespace

BENCHMARK (BM_ConvertBlock)
    ->Arg (22050)
    ->Arg (44100)
    ->Arg (48000)
    ->Arg (88200)
    ->Arg (96000)
    ->Arg (176400)
    ->Arg (192000);
