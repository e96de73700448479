#pragma once

// The per-sample steps of the fretting finger and the pads, inline for the voice's
// sample loop, which calls them for every sounding string at every sample.

#include "Forces.h"

#include <cmath>

#include <emmintrin.h>

namespace tovalin
{
__attribute__ ((always_inline)) inline void PadPair::advanceTargets (bool append) noexcept
{
    const __m128d t1 = _mm_load_pd (target[1]), t2 = _mm_load_pd (target[2]), t3 = _mm_load_pd (target[3]);
    _mm_store_pd (target[0], t1);
    _mm_store_pd (target[1], t2);
    _mm_store_pd (target[2], t3);
    if (append)
    {
        // Pad A swings about +restH, pad B about -restH (adding -h is subtracting h).
        const __m128d next = _mm_sub_pd (_mm_mul_pd (_mm_set1_pd (trajectoryE), t3), t2);
        _mm_store_pd (target[3], _mm_add_pd (next, _mm_set_pd (-restH, restH)));
    }
}

__attribute__ ((always_inline)) inline void PadPair::predictBoth (double* q) const noexcept
{
    // Pad A in the low lane, pad B in the high lane: the same arithmetic as predict().
    const __m128d t3 = _mm_load_pd (target[3]), t2 = _mm_load_pd (target[2]);
    const __m128d t1 = _mm_load_pd (target[1]), t0 = _mm_load_pd (target[0]);
    const __m128d p0 = _mm_load_pd (pos[0]), p1 = _mm_load_pd (pos[1]), p2 = _mm_load_pd (pos[2]);
    __m128d v = _mm_sub_pd (_mm_mul_pd (_mm_set1_pd (11), t3), _mm_mul_pd (_mm_set1_pd (18), t2));
    v = _mm_add_pd (v, _mm_mul_pd (_mm_set1_pd (9), t1));
    v = _mm_sub_pd (v, _mm_mul_pd (_mm_set1_pd (2), t0));
    __m128d p = _mm_mul_pd (v, _mm_set1_pd (gammaV));
    p = _mm_add_pd (p, _mm_mul_pd (_mm_set1_pd (gamma1), p0));
    p = _mm_add_pd (p, _mm_mul_pd (_mm_set1_pd (gamma2), p1));
    p = _mm_add_pd (p, _mm_mul_pd (_mm_set1_pd (gamma3), p2));
    p = _mm_add_pd (p, _mm_mul_pd (_mm_set1_pd (gammaA), t3));
    _mm_store_pd (q, p);
}

__attribute__ ((always_inline)) inline void PadPair::movePads (const double* q) noexcept
{
    // A moves to qA + phi FA, B to qB - phi FB: B's force enters negated, exactly.
    const __m128d signedForce = _mm_xor_pd (_mm_load_pd (force), _mm_set_pd (-0.0, 0.0));
    const __m128d moved = _mm_add_pd (_mm_load_pd (q), _mm_mul_pd (_mm_set1_pd (phi), signedForce));
    _mm_store_pd (pos[2], _mm_load_pd (pos[1]));
    _mm_store_pd (pos[1], _mm_load_pd (pos[0]));
    _mm_store_pd (pos[0], moved);
}

inline bool ForceFret::begin (float yIn) noexcept
{
    result = 0.0f;
    if (finished)
        return false;
    const double y = yIn;

    if (lifting)
    {
        if (pressing)
        {
            count = 0;
            pressing = 0;
        }
        if (count >= liftDuration)
        {
            finished = 1;
            return false;
        }
        pendingY = y;
        pads.predictBoth (q);
        appendAfterContact = false;
        return true;
    }

    if (count == 0)
        y1 = y2 = y;
    if (count == 3 && ! pressing)
    {
        pressing = 1;
        pads.startTrajectories (std::abs (y) + 5e-5, 0.0025, std::abs (y) + 5e-5);
    }
    if (pressing && count > 0)
    {
        pendingY = y;
        pads.predictBoth (q);
        appendAfterContact = count < 3 + pads.trajectorySteps;
        return true;
    }
    y2 = y1;
    y1 = y;
    ++count;
    result = (float) (pads.force[1] - pads.force[0]);
    return false;
}

inline void ForceFret::finish() noexcept
{
    pads.movePads (q);
    pads.advanceTargets (appendAfterContact);
    y2 = y1;
    y1 = pendingY;
    ++count;
    result = (float) (pads.force[1] - pads.force[0]);
}

} // namespace tovalin
