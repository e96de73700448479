#include "SimdPath.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace tovalin
{
namespace
{
    SimdPath detectWidest() noexcept
    {
#if defined(__x86_64__) || defined(__i386__)
        if (__builtin_cpu_supports ("avx512f"))
            return SimdPath::avx512;
        if (__builtin_cpu_supports ("avx2") && __builtin_cpu_supports ("fma"))
            return SimdPath::avx2;
#endif
        return SimdPath::sse2;
    }

    SimdPath initialPath() noexcept
    {
        const SimdPath widest = widestSimdPath();
        const char* requested = std::getenv ("TOVALIN_SIMD");
        if (requested == nullptr || *requested == '\0')
            return widest;
        const auto path = simdPathFromName (requested);
        if (! path)
        {
            std::fprintf (stderr, "TOVALIN_SIMD=%s is not one of sse2, avx2, avx512: using %s\n", requested,
                          simdPathName (widest));
            return widest;
        }
        if ((int) *path > (int) widest)
        {
            std::fprintf (stderr, "TOVALIN_SIMD=%s: this processor lacks it, using %s\n", requested,
                          simdPathName (widest));
            return widest;
        }
        return *path;
    }

    std::atomic<int>& chosenPath() noexcept
    {
        static std::atomic<int> path{(int) initialPath()};
        return path;
    }
} // namespace

SimdPath widestSimdPath() noexcept
{
    static const SimdPath widest = detectWidest();
    return widest;
}

SimdPath activeSimdPath() noexcept { return (SimdPath) chosenPath().load (std::memory_order_relaxed); }

bool selectSimdPath (SimdPath path) noexcept
{
    if ((int) path > (int) widestSimdPath())
        return false;
    chosenPath().store ((int) path, std::memory_order_relaxed);
    return true;
}

const char* simdPathName (SimdPath path) noexcept
{
    switch (path)
    {
        case SimdPath::avx512:
            return "avx512";
        case SimdPath::avx2:
            return "avx2";
        case SimdPath::sse2:
            break;
    }
    return "sse2";
}

std::optional<SimdPath> simdPathFromName (std::string_view name) noexcept
{
    for (SimdPath p : {SimdPath::sse2, SimdPath::avx2, SimdPath::avx512})
        if (name == simdPathName (p))
            return p;
    return std::nullopt;
}

} // namespace tovalin
