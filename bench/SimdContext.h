#pragma once

// Names the SIMD path in the benchmark's context header. Choose the path with the
// TOVALIN_SIMD environment variable (sse2, avx2 or avx512).

#include "engine/SimdPath.h"

#include <benchmark/benchmark.h>

namespace
{
const bool simdPathNamed = []
{
    benchmark::AddCustomContext ("simd_path", tovalin::simdPathName (tovalin::activeSimdPath()));
    return true;
}();
} // namespace
