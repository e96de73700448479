#include "StringVoice.h"

#include "ForcesInline.h"
#include "SimdPath.h"

#include <immintrin.h>

namespace tovalin
{
namespace
{
    // ((v1 + v0) + v2) + v3, in registers: a round trip through memory would make the
    // processor wait for the store before the first addition.
    inline float sumLanes (__m128 v) noexcept
    {
        __m128 sum = _mm_add_ss (_mm_shuffle_ps (v, v, 1), v);
        sum = _mm_add_ss (sum, _mm_movehl_ps (v, v));
        sum = _mm_add_ss (sum, _mm_shuffle_ps (v, v, 3));
        return _mm_cvtss_f32 (sum);
    }
} // namespace

float modalDot (const float* a, const float* b, int n) noexcept
{
    __m128 acc = _mm_setzero_ps();
    for (int i = 0; i < n; i += 4)
        acc = _mm_add_ps (acc, _mm_mul_ps (_mm_load_ps (a + i), _mm_load_ps (b + i)));
    return sumLanes (acc);
}

StringVoice::StringVoice (int n, StringModel* m)
    : modeCount (n), previousState (n), state (n), modalWidth (modalWidthOf (activeSimdPath())), model (m)
{
}

StringModel* StringVoice::setModel (StringModel* newModel) noexcept
{
    StringModel* old = model;
    model = newModel;
    return old;
}

void StringVoice::reset() noexcept
{
    state.clear();
    previousState.clear();
    fretting.reset();
    pluck.reset();
    damping.reset();
    touch.reset();
    pluckDisplacement = fretDisplacement = dampingDisplacement = touchDisplacement = 0;
    twangInput = twangLevel = tensionIncrease = 0;
    output = 0;
    releaseFade = model->releaseFadeStart;
    gainFade = model->gainFadeStart;
    gainFadeCount = 0;
    gainFading = 0;
    gainFrom = gainTo = gain;
    gainDelta = 0;
    pluckForce = fretForce = dampingForce = touchForce = 0;
}

void StringVoice::stop() noexcept
{
    idle = 1;
    if (gainFading)
    {
        gainFading = 0;
        gain = gainTo;
    }
}

void StringVoice::updateGain() noexcept
{
    const StringParams& p = *model->modes.params;
    const float target = p.volumeFactor * p.velocityGain;
    if (idle)
    {
        gain = target;
        gainFading = 0;
        return;
    }
    const float difference = target - gain;
    if (difference > 0.0001f || difference < -0.0001f)
    {
        gainFadeCount = 0;
        gainFading = 1;
        gainFrom = gain;
        gainTo = target;
        gainDelta = difference;
        gainFade = model->gainFadeStart;
    }
}

namespace
{
    /** The model's arrays, read once: the update's stores could otherwise alias the
        vectors' own pointers, which the compiler would then load again for every group
        of modes. */
    struct ModelArrays
    {
        explicit ModelArrays (const StringModel& m) noexcept
            : a1 (m.a1.data()), a2 (m.a2.data()), pluckInput (m.pluckInput.data()), fretInput (m.fretInput.data()),
              touchInput (m.touchInput.data()), twangWeight (m.twangWeight.data()),
              outputWeight (m.modes.outputWeight.data()), pluckShape (m.pluckShape.data()),
              fretShape (m.fretShape.data()), touchShape (m.touchShape.data())
        {
        }
        const float *a1, *a2, *pluckInput, *fretInput, *touchInput, *twangWeight, *outputWeight;
        const float *pluckShape, *fretShape, *touchShape;
    };
} // namespace

// One modal update, four modes at a time, returning the new bridge output (step 9).
// It also forms the next sample's contact displacements (steps 1 to 3) from the new
// state while it is in registers: the same four-lane sums as modalDot, so the result
// is identical whenever the shapes stay put until the next sample.
template <bool Pluck, bool Fret, bool Touch, bool Twang>
float StringVoice::updateModes (float* nextDots) noexcept
{
    const int modes = modeCount;
    const StringModel& m = *model;
    float* x = state.data();
    float* xp = previousState.data();
    const ModelArrays c (m);
    const __m128 fp = _mm_set1_ps (pluckForce);
    const __m128 ff = _mm_set1_ps (fretForce);
    const __m128 ft = _mm_set1_ps (touchForce);
    const __m128 dt = _mm_set1_ps (tensionIncrease);
    __m128 out = _mm_setzero_ps();
    __m128 pluckDot = _mm_setzero_ps(), fretDot = _mm_setzero_ps(), touchDot = _mm_setzero_ps();
    for (int i = 0; i < modes; i += 4)
    {
        const __m128 xi = _mm_load_ps (x + i);
        __m128 v = _mm_add_ps (_mm_mul_ps (_mm_load_ps (c.a1 + i), xi),
                               _mm_mul_ps (_mm_load_ps (c.a2 + i), _mm_load_ps (xp + i)));
        if (Pluck)
            v = _mm_add_ps (v, _mm_mul_ps (_mm_load_ps (c.pluckInput + i), fp));
        if (Fret)
            v = _mm_add_ps (v, _mm_mul_ps (_mm_load_ps (c.fretInput + i), ff));
        if (Touch)
            v = _mm_add_ps (v, _mm_mul_ps (_mm_load_ps (c.touchInput + i), ft));
        if (Twang)
            v = _mm_add_ps (v, _mm_mul_ps (_mm_mul_ps (_mm_load_ps (c.twangWeight + i), dt), xi));
        _mm_store_ps (xp + i, v);
        out = _mm_add_ps (out, _mm_mul_ps (v, _mm_load_ps (c.outputWeight + i)));
        if (Pluck)
            pluckDot = _mm_add_ps (pluckDot, _mm_mul_ps (v, _mm_load_ps (c.pluckShape + i)));
        if (Fret)
            fretDot = _mm_add_ps (fretDot, _mm_mul_ps (v, _mm_load_ps (c.fretShape + i)));
        if (Touch)
            touchDot = _mm_add_ps (touchDot, _mm_mul_ps (v, _mm_load_ps (c.touchShape + i)));
    }
    if (Pluck)
        nextDots[0] = sumLanes (pluckDot);
    if (Fret)
        nextDots[1] = sumLanes (fretDot);
    if (Touch)
        nextDots[2] = sumLanes (touchDot);
    return sumLanes (out);
}

#if defined(__x86_64__) || defined(__i386__)
#if defined(__GNUC__) && ! defined(__clang__)
// GCC 12's own AVX-512 intrinsics trip its uninitialised-value warnings.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
__attribute__ ((target ("avx2,fma"))) inline __m128 fold (__m256 v) noexcept
{
    return _mm_add_ps (_mm256_castps256_ps128 (v), _mm256_extractf128_ps (v, 1));
}

// The same update eight modes at a time, with fused multiply-adds, for processors
// that have them; a last group of four runs on the 4-wide path. Sums then fold the
// eight lanes onto four, so results differ from the 4-wide path only by rounding.
template <bool Pluck, bool Fret, bool Touch, bool Twang>
__attribute__ ((target ("avx2,fma"))) float StringVoice::updateModesWide (float* nextDots) noexcept
{
    const int modes = modeCount;
    const StringModel& m = *model;
    float* x = state.data();
    float* xp = previousState.data();
    const ModelArrays c (m);
    const __m256 fp = _mm256_set1_ps (pluckForce);
    const __m256 ff = _mm256_set1_ps (fretForce);
    const __m256 ft = _mm256_set1_ps (touchForce);
    const __m256 dt = _mm256_set1_ps (tensionIncrease);
    __m256 out = _mm256_setzero_ps();
    __m256 pluckDot = _mm256_setzero_ps(), fretDot = _mm256_setzero_ps(), touchDot = _mm256_setzero_ps();
    int i = 0;
    for (; i + 8 <= modes; i += 8)
    {
        const __m256 xi = _mm256_load_ps (x + i);
        __m256 v = _mm256_mul_ps (_mm256_load_ps (c.a2 + i), _mm256_load_ps (xp + i));
        v = _mm256_fmadd_ps (_mm256_load_ps (c.a1 + i), xi, v);
        if (Pluck)
            v = _mm256_fmadd_ps (_mm256_load_ps (c.pluckInput + i), fp, v);
        if (Fret)
            v = _mm256_fmadd_ps (_mm256_load_ps (c.fretInput + i), ff, v);
        if (Touch)
            v = _mm256_fmadd_ps (_mm256_load_ps (c.touchInput + i), ft, v);
        if (Twang)
            v = _mm256_fmadd_ps (_mm256_mul_ps (_mm256_load_ps (c.twangWeight + i), dt), xi, v);
        _mm256_store_ps (xp + i, v);
        out = _mm256_fmadd_ps (v, _mm256_load_ps (c.outputWeight + i), out);
        if (Pluck)
            pluckDot = _mm256_fmadd_ps (v, _mm256_load_ps (c.pluckShape + i), pluckDot);
        if (Fret)
            fretDot = _mm256_fmadd_ps (v, _mm256_load_ps (c.fretShape + i), fretDot);
        if (Touch)
            touchDot = _mm256_fmadd_ps (v, _mm256_load_ps (c.touchShape + i), touchDot);
    }
    __m128 out4 = fold (out), pluck4 = fold (pluckDot), fret4 = fold (fretDot), touch4 = fold (touchDot);
    if (i < modes)
    {
        const __m128 xi = _mm_load_ps (x + i);
        __m128 v = _mm_add_ps (_mm_mul_ps (_mm_load_ps (c.a1 + i), xi),
                               _mm_mul_ps (_mm_load_ps (c.a2 + i), _mm_load_ps (xp + i)));
        if (Pluck)
            v = _mm_add_ps (v, _mm_mul_ps (_mm_load_ps (c.pluckInput + i), _mm_set1_ps (pluckForce)));
        if (Fret)
            v = _mm_add_ps (v, _mm_mul_ps (_mm_load_ps (c.fretInput + i), _mm_set1_ps (fretForce)));
        if (Touch)
            v = _mm_add_ps (v, _mm_mul_ps (_mm_load_ps (c.touchInput + i), _mm_set1_ps (touchForce)));
        if (Twang)
            v = _mm_add_ps (
                v, _mm_mul_ps (_mm_mul_ps (_mm_load_ps (c.twangWeight + i), _mm_set1_ps (tensionIncrease)), xi));
        _mm_store_ps (xp + i, v);
        out4 = _mm_add_ps (out4, _mm_mul_ps (v, _mm_load_ps (c.outputWeight + i)));
        if (Pluck)
            pluck4 = _mm_add_ps (pluck4, _mm_mul_ps (v, _mm_load_ps (c.pluckShape + i)));
        if (Fret)
            fret4 = _mm_add_ps (fret4, _mm_mul_ps (v, _mm_load_ps (c.fretShape + i)));
        if (Touch)
            touch4 = _mm_add_ps (touch4, _mm_mul_ps (v, _mm_load_ps (c.touchShape + i)));
    }
    if (Pluck)
        nextDots[0] = sumLanes (pluck4);
    if (Fret)
        nextDots[1] = sumLanes (fret4);
    if (Touch)
        nextDots[2] = sumLanes (touch4);
    return sumLanes (out4);
}

// Sixteen modes at a time on processors with AVX-512; the last 4, 8 or 12 modes run
// masked. Sums fold the sixteen lanes onto four.
__attribute__ ((target ("avx512f"))) inline float sumLanes16 (__m512 v) noexcept
{
    // Lane j of the four: (v[j] + v[j + 4]) + (v[j + 8] + v[j + 12]).
    const __m256 low = _mm512_castps512_ps256 (v);
    const __m256 high = _mm256_castpd_ps (_mm512_extractf64x4_pd (_mm512_castps_pd (v), 1));
    const __m128 four = _mm_add_ps (_mm_add_ps (_mm256_castps256_ps128 (low), _mm256_extractf128_ps (low, 1)),
                                    _mm_add_ps (_mm256_castps256_ps128 (high), _mm256_extractf128_ps (high, 1)));
    return sumLanes (four);
}

namespace
{
    struct Sums16
    {
        __m512 out, pluck, fret, touch;
    };

    struct Inputs16
    {
        const float *a1, *a2, *pluckInput, *fretInput, *touchInput, *twangWeight, *outputWeight;
        const float *pluckShape, *fretShape, *touchShape;
        __m512 fp, ff, ft, dt;
    };

    template <bool Pluck, bool Fret, bool Touch, bool Twang>
    __attribute__ ((target ("avx512f"))) inline void step16 (const Inputs16& in, float* x, float* xp, int i,
                                                             __mmask16 k, Sums16& sums) noexcept
    {
        const __m512 xi = _mm512_maskz_load_ps (k, x + i);
        __m512 v = _mm512_mul_ps (_mm512_maskz_load_ps (k, in.a2 + i), _mm512_maskz_load_ps (k, xp + i));
        v = _mm512_fmadd_ps (_mm512_maskz_load_ps (k, in.a1 + i), xi, v);
        if (Pluck)
            v = _mm512_fmadd_ps (_mm512_maskz_load_ps (k, in.pluckInput + i), in.fp, v);
        if (Fret)
            v = _mm512_fmadd_ps (_mm512_maskz_load_ps (k, in.fretInput + i), in.ff, v);
        if (Touch)
            v = _mm512_fmadd_ps (_mm512_maskz_load_ps (k, in.touchInput + i), in.ft, v);
        if (Twang)
            v = _mm512_fmadd_ps (_mm512_mul_ps (_mm512_maskz_load_ps (k, in.twangWeight + i), in.dt), xi, v);
        _mm512_mask_store_ps (xp + i, k, v);
        sums.out = _mm512_fmadd_ps (v, _mm512_maskz_load_ps (k, in.outputWeight + i), sums.out);
        if (Pluck)
            sums.pluck = _mm512_fmadd_ps (v, _mm512_maskz_load_ps (k, in.pluckShape + i), sums.pluck);
        if (Fret)
            sums.fret = _mm512_fmadd_ps (v, _mm512_maskz_load_ps (k, in.fretShape + i), sums.fret);
        if (Touch)
            sums.touch = _mm512_fmadd_ps (v, _mm512_maskz_load_ps (k, in.touchShape + i), sums.touch);
    }
} // namespace

template <bool Pluck, bool Fret, bool Touch, bool Twang>
__attribute__ ((target ("avx512f"))) float StringVoice::updateModes16 (float* nextDots) noexcept
{
    const int modes = modeCount;
    const StringModel& m = *model;
    float* x = state.data();
    float* xp = previousState.data();
    const Inputs16 in{m.a1.data(),
                      m.a2.data(),
                      m.pluckInput.data(),
                      m.fretInput.data(),
                      m.touchInput.data(),
                      m.twangWeight.data(),
                      m.modes.outputWeight.data(),
                      m.pluckShape.data(),
                      m.fretShape.data(),
                      m.touchShape.data(),
                      _mm512_set1_ps (pluckForce),
                      _mm512_set1_ps (fretForce),
                      _mm512_set1_ps (touchForce),
                      _mm512_set1_ps (tensionIncrease)};
    // Two independent sets of sums, so that consecutive groups do not wait on each
    // other's multiply-add.
    Sums16 even{_mm512_setzero_ps(), _mm512_setzero_ps(), _mm512_setzero_ps(), _mm512_setzero_ps()};
    Sums16 odd = even;
    int i = 0;
    for (; i + 32 <= modes; i += 32)
    {
        step16<Pluck, Fret, Touch, Twang> (in, x, xp, i, (__mmask16) 0xFFFF, even);
        step16<Pluck, Fret, Touch, Twang> (in, x, xp, i + 16, (__mmask16) 0xFFFF, odd);
    }
    for (; i < modes; i += 16)
    {
        const int left = modes - i;
        const __mmask16 k = left >= 16 ? (__mmask16) 0xFFFF : (__mmask16) ((1u << left) - 1u);
        step16<Pluck, Fret, Touch, Twang> (in, x, xp, i, k, odd);
    }
    if (Pluck)
        nextDots[0] = sumLanes16 (_mm512_add_ps (even.pluck, odd.pluck));
    if (Fret)
        nextDots[1] = sumLanes16 (_mm512_add_ps (even.fret, odd.fret));
    if (Touch)
        nextDots[2] = sumLanes16 (_mm512_add_ps (even.touch, odd.touch));
    return sumLanes16 (_mm512_add_ps (even.out, odd.out));
}

#if defined(__GNUC__) && ! defined(__clang__)
#pragma GCC diagnostic pop
#endif
#else
template <bool Pluck, bool Fret, bool Touch, bool Twang>
float StringVoice::updateModesWide (float* nextDots) noexcept
{
    return updateModes<Pluck, Fret, Touch, Twang> (nextDots);
}

template <bool Pluck, bool Fret, bool Touch, bool Twang>
float StringVoice::updateModes16 (float* nextDots) noexcept
{
    return updateModes<Pluck, Fret, Touch, Twang> (nextDots);
}

#endif

int StringVoice::modalWidthOf (SimdPath path) noexcept
{
    return path == SimdPath::avx512 ? 16 : path == SimdPath::avx2 ? 8 : 4;
}

int StringVoice::widestModalWidth() noexcept { return modalWidthOf (widestSimdPath()); }

template <int Width>
float StringVoice::updateModesWith (int key, float* nextDots) noexcept
{
#define TOVALIN_UPDATE(P, F, T, W)                                                                                     \
    (Width == 16  ? updateModes16<P, F, T, W> (nextDots)                                                               \
     : Width == 8 ? updateModesWide<P, F, T, W> (nextDots)                                                             \
                  : updateModes<P, F, T, W> (nextDots))
    switch (key)
    {
        case 0:
            return TOVALIN_UPDATE (false, false, false, false);
        case 1:
            return TOVALIN_UPDATE (false, false, false, true);
        case 2:
            return TOVALIN_UPDATE (false, false, true, false);
        case 3:
            return TOVALIN_UPDATE (false, false, true, true);
        case 4:
            return TOVALIN_UPDATE (false, true, false, false);
        case 5:
            return TOVALIN_UPDATE (false, true, false, true);
        case 6:
            return TOVALIN_UPDATE (false, true, true, false);
        case 7:
            return TOVALIN_UPDATE (false, true, true, true);
        case 8:
            return TOVALIN_UPDATE (true, false, false, false);
        case 9:
            return TOVALIN_UPDATE (true, false, false, true);
        case 10:
            return TOVALIN_UPDATE (true, false, true, false);
        case 11:
            return TOVALIN_UPDATE (true, false, true, true);
        case 12:
            return TOVALIN_UPDATE (true, true, false, false);
        case 13:
            return TOVALIN_UPDATE (true, true, false, true);
        case 14:
            return TOVALIN_UPDATE (true, true, true, false);
        default:
            return TOVALIN_UPDATE (true, true, true, true);
    }
#undef TOVALIN_UPDATE
}

float StringVoice::updateModesFor (bool p, bool f, bool t, bool w, float* nextDots) noexcept
{
    const int key = (p ? 8 : 0) | (f ? 4 : 0) | (t ? 2 : 0) | (w ? 1 : 0);
    switch (modalWidth)
    {
        case 16:
            return updateModesWith<16> (key, nextDots);
        case 8:
            return updateModesWith<8> (key, nextDots);
        default:
            return updateModesWith<4> (key, nextDots);
    }
}

void StringVoice::beginRun() noexcept
{
    // Mover settings posted by other threads take effect between runs.
    model->applyPosted();
    pluckDotReady = fretDotReady = touchDotReady = false;
}

void StringVoice::renderSample (float* out) noexcept
{
    computeForces();
    finishSample (out);
}

void StringVoice::computeForces() noexcept
{
    if (beginForces())
        fretting->solveOwnContact();
    completeForces();
}

bool StringVoice::beginForces() noexcept
{
    StringModel& m = *model;
    const int n = modeCount;
    const float* x = state.data();
    if (pluck)
        pluckDisplacement = pluckDotReady ? nextDots[0] : modalDot (x, m.pluckShape.data(), n);
    if (fretting)
        fretDisplacement = fretDotReady ? nextDots[1] : modalDot (x, m.fretShape.data(), n);
    if (touch && ! damping)
        touchDisplacement = touchDotReady ? nextDots[2] : modalDot (x, m.touchShape.data(), n);

    if (pluck)
    {
        pluckForce = pluck->compute (pluckDisplacement);
        twangInput = pluck->energyDrop;
    }
    else
        twangInput = 0.0f;
    twangLevel = m.twangDecay * twangLevel + twangInput;
    if (! pluck)
        tensionIncrease = m.twangTension * twangLevel;

    fretContactPending = fretting && fretting->begin (fretDisplacement);
    return fretContactPending;
}

void StringVoice::completeForces() noexcept
{
    if (fretting)
    {
        if (fretContactPending)
            fretting->finish();
        fretForce = fretting->result;
    }
    if (damping)
        dampingForce = damping->compute (dampingDisplacement);
    if (touch)
        touchForce = touch->compute (touchDisplacement);
}

void StringVoice::finishSample (float* out) noexcept
{
    StringModel& m = *model;
    const bool hasPluck = pluck.has_value(), hasFret = fretting.has_value(), hasTouch = touch.has_value();
    output = updateModesFor (hasPluck, hasFret, hasTouch, tensionIncrease != 0.0f, nextDots);
    // The update wrote the new state over the one before last: the two swap roles,
    // which spares copying the current state aside.
    state.swap (previousState);
    output = (m.twangGain * twangLevel + 1.0f) * output;

    if (damping)
    {
        const float f = releaseFade;
        output = f / (f + 1.0f) * output;
        releaseFade = m.releaseFadeDecay * f;
    }

    if (gainFading)
    {
        ++gainFadeCount;
        if (m.crossfadeLength > (float) gainFadeCount)
        {
            const float f = gainFade;
            gain = f / (f + 1.0f) * gainDelta + gainFrom;
            gainFade = m.gainFadeGrowth * f;
        }
        else
        {
            gainFading = 0;
            gain = gainTo;
        }
    }

    *out += gain * output;

    const int fretSteps = m.fretMover.stepCount, touchSteps = m.touchMover.stepCount;
    if (fretting)
        m.fretMover.advance();
    if (touch)
        m.touchMover.advance();
    pluckDotReady = hasPluck;
    fretDotReady = hasFret && m.fretMover.stepCount == fretSteps;
    touchDotReady = hasTouch && m.touchMover.stepCount == touchSteps;

    if (pluck && pluck->finished)
        pluck.reset();
    if (fretting && fretting->finished)
        fretting.reset();
    if (damping && damping->finished)
    {
        damping.reset();
        idle = 1;
        reset();
        return;
    }
    if (touch && touch->finished)
        touch.reset();
}

bool StringVoice::render (int count, float* buffer, int offset) noexcept
{
    if (idle || count <= 0)
        return false;
    beginRun();
    int j = 0;
    while (j < count && ! idle)
        renderSample (buffer + offset + j++);
    return j > 0;
}

bool renderVoices (StringVoice* const* voices, int voiceCount, int count, float* buffer, int offset) noexcept
{
    // Sample by sample across the sounding voices: each voice's force solve waits on
    // its own last update, so the processor overlaps one voice's latency with another
    // voice's work. Every voice adds into each sample in the same order as rendering
    // them one after another, so the sum is the same to the bit.
    StringVoice* active[8];
    int n = 0;
    for (int v = 0; v < voiceCount && n < 8; ++v)
        if (voices[v] != nullptr && ! voices[v]->idle)
        {
            voices[v]->beginRun();
            active[n++] = voices[v];
        }
    if (n == 0 || count <= 0)
        return false;
    for (int j = 0; j < count; ++j)
    {
        float* out = buffer + offset + j;
        // All force solves first: they are short dependent chains, independent from
        // voice to voice; the fretting fingers' contact solves run side by side. Then
        // the modal updates that wait for them.
        ForceFret::ContactSolve contacts[8];
        int pending = 0;
        for (int v = 0; v < n; ++v)
            if (active[v]->beginForces())
                contacts[pending++] = {&*active[v]->fretting};
        ForceFret::solveContacts (contacts, pending);
        for (int v = 0; v < n; ++v)
            active[v]->completeForces();
        int stillActive = 0;
        for (int v = 0; v < n; ++v)
        {
            StringVoice* voice = active[v];
            voice->finishSample (out);
            if (! voice->idle)
                active[stillActive++] = voice;
        }
        n = stillActive;
        if (n == 0)
            break;
    }
    return true;
}

} // namespace tovalin
