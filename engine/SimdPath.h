#pragma once

#include <optional>
#include <string_view>

namespace tovalin
{
/** The instruction sets the engine's vector code can run on. Every path gives the
    same sound within single-precision rounding; the wider ones are faster. */
enum class SimdPath
{
    sse2,   // four lanes, on every x86-64 processor
    avx2,   // eight lanes with fused multiply-adds
    avx512, // sixteen lanes
};

/** The widest path this processor has. */
SimdPath widestSimdPath() noexcept;

/** The path in use: the widest, unless TOVALIN_SIMD (sse2, avx2 or avx512) or
    selectSimdPath chose a narrower one. An unknown name or a path the processor
    lacks in TOVALIN_SIMD leaves the widest, with a line on stderr. */
SimdPath activeSimdPath() noexcept;

/** Chooses the path for whatever is built afterwards (voices take it when they are
    constructed, so choose before building a processor). False, and nothing changed,
    when the processor lacks it. */
bool selectSimdPath (SimdPath path) noexcept;

const char* simdPathName (SimdPath path) noexcept;
std::optional<SimdPath> simdPathFromName (std::string_view name) noexcept;

} // namespace tovalin
