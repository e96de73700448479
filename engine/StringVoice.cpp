#include "StringVoice.h"

#include <emmintrin.h>

namespace tovalin
{
namespace
{
    inline float sumLanes (__m128 v) noexcept
    {
        alignas (16) float lanes[4];
        _mm_store_ps (lanes, v);
        return ((lanes[1] + lanes[0]) + lanes[2]) + lanes[3];
    }
} // namespace

float modalDot (const float* a, const float* b, int n) noexcept
{
    __m128 acc = _mm_setzero_ps();
    for (int i = 0; i < n; i += 4)
        acc = _mm_add_ps (acc, _mm_mul_ps (_mm_load_ps (a + i), _mm_load_ps (b + i)));
    return sumLanes (acc);
}

StringVoice::StringVoice (int n, StringModel* m) : modeCount (n), previousState (n), state (n), model (m) {}

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

// One modal update, four modes at a time, returning the new bridge output (step 9).
// It also forms the next sample's contact displacements (steps 1 to 3) from the new
// state while it is in registers: the same four-lane sums as modalDot, so the result
// is identical whenever the shapes stay put until the next sample.
template <bool Pluck, bool Fret, bool Touch, bool Twang>
float StringVoice::updateModes (float* nextDots) noexcept
{
    const StringModel& m = *model;
    float* x = state.data();
    float* xp = previousState.data();
    const __m128 fp = _mm_set1_ps (pluckForce);
    const __m128 ff = _mm_set1_ps (fretForce);
    const __m128 ft = _mm_set1_ps (touchForce);
    const __m128 dt = _mm_set1_ps (tensionIncrease);
    __m128 out = _mm_setzero_ps();
    __m128 pluckDot = _mm_setzero_ps(), fretDot = _mm_setzero_ps(), touchDot = _mm_setzero_ps();
    for (int i = 0; i < modeCount; i += 4)
    {
        const __m128 xi = _mm_load_ps (x + i);
        __m128 v = _mm_add_ps (_mm_mul_ps (_mm_load_ps (m.a1.data() + i), xi),
                               _mm_mul_ps (_mm_load_ps (m.a2.data() + i), _mm_load_ps (xp + i)));
        if (Pluck)
            v = _mm_add_ps (v, _mm_mul_ps (_mm_load_ps (m.pluckInput.data() + i), fp));
        if (Fret)
            v = _mm_add_ps (v, _mm_mul_ps (_mm_load_ps (m.fretInput.data() + i), ff));
        if (Touch)
            v = _mm_add_ps (v, _mm_mul_ps (_mm_load_ps (m.touchInput.data() + i), ft));
        if (Twang)
            v = _mm_add_ps (v, _mm_mul_ps (_mm_mul_ps (_mm_load_ps (m.twangWeight.data() + i), dt), xi));
        _mm_store_ps (xp + i, xi);
        _mm_store_ps (x + i, v);
        out = _mm_add_ps (out, _mm_mul_ps (v, _mm_load_ps (m.modes.outputWeight.data() + i)));
        if (Pluck)
            pluckDot = _mm_add_ps (pluckDot, _mm_mul_ps (v, _mm_load_ps (m.pluckShape.data() + i)));
        if (Fret)
            fretDot = _mm_add_ps (fretDot, _mm_mul_ps (v, _mm_load_ps (m.fretShape.data() + i)));
        if (Touch)
            touchDot = _mm_add_ps (touchDot, _mm_mul_ps (v, _mm_load_ps (m.touchShape.data() + i)));
    }
    if (Pluck)
        nextDots[0] = sumLanes (pluckDot);
    if (Fret)
        nextDots[1] = sumLanes (fretDot);
    if (Touch)
        nextDots[2] = sumLanes (touchDot);
    return sumLanes (out);
}

float StringVoice::updateModesFor (bool p, bool f, bool t, bool w, float* nextDots) noexcept
{
    const int key = (p ? 8 : 0) | (f ? 4 : 0) | (t ? 2 : 0) | (w ? 1 : 0);
    switch (key)
    {
        case 0: return updateModes<false, false, false, false> (nextDots);
        case 1: return updateModes<false, false, false, true> (nextDots);
        case 2: return updateModes<false, false, true, false> (nextDots);
        case 3: return updateModes<false, false, true, true> (nextDots);
        case 4: return updateModes<false, true, false, false> (nextDots);
        case 5: return updateModes<false, true, false, true> (nextDots);
        case 6: return updateModes<false, true, true, false> (nextDots);
        case 7: return updateModes<false, true, true, true> (nextDots);
        case 8: return updateModes<true, false, false, false> (nextDots);
        case 9: return updateModes<true, false, false, true> (nextDots);
        case 10: return updateModes<true, false, true, false> (nextDots);
        case 11: return updateModes<true, false, true, true> (nextDots);
        case 12: return updateModes<true, true, false, false> (nextDots);
        case 13: return updateModes<true, true, false, true> (nextDots);
        case 14: return updateModes<true, true, true, false> (nextDots);
        default: return updateModes<true, true, true, true> (nextDots);
    }
}

bool StringVoice::render (int count, float* buffer, int offset) noexcept
{
    if (idle || count <= 0)
        return false;

    StringModel& m = *model;
    const int n = modeCount;
    // The displacements formed by the last update, valid while no shape has moved.
    float nextDots[3] = { 0, 0, 0 };
    bool pluckDotReady = false, fretDotReady = false, touchDotReady = false;
    int j = 0;
    for (; j < count && ! idle; ++j)
    {
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

        if (fretting)
            fretForce = fretting->compute (fretDisplacement);
        if (damping)
            dampingForce = damping->compute (dampingDisplacement);
        if (touch)
            touchForce = touch->compute (touchDisplacement);

        const bool hasPluck = pluck.has_value(), hasFret = fretting.has_value(), hasTouch = touch.has_value();
        output = updateModesFor (hasPluck, hasFret, hasTouch, tensionIncrease != 0.0f, nextDots);
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

        buffer[offset + j] += gain * output;

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
            ++j;
            break;
        }
        if (touch && touch->finished)
            touch.reset();
    }
    return j > 0;
}

} // namespace tovalin
