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
template <bool Pluck, bool Fret, bool Touch, bool Twang>
float StringVoice::updateModes() noexcept
{
    const StringModel& m = *model;
    float* x = state.data();
    float* xp = previousState.data();
    const __m128 fp = _mm_set1_ps (pluckForce);
    const __m128 ff = _mm_set1_ps (fretForce);
    const __m128 ft = _mm_set1_ps (touchForce);
    const __m128 dt = _mm_set1_ps (tensionIncrease);
    __m128 out = _mm_setzero_ps();
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
    }
    return sumLanes (out);
}

float StringVoice::updateModesFor (bool p, bool f, bool t, bool w) noexcept
{
    const int key = (p ? 8 : 0) | (f ? 4 : 0) | (t ? 2 : 0) | (w ? 1 : 0);
    switch (key)
    {
        case 0:
            return updateModes<false, false, false, false>();
        case 1:
            return updateModes<false, false, false, true>();
        case 2:
            return updateModes<false, false, true, false>();
        case 3:
            return updateModes<false, false, true, true>();
        case 4:
            return updateModes<false, true, false, false>();
        case 5:
            return updateModes<false, true, false, true>();
        case 6:
            return updateModes<false, true, true, false>();
        case 7:
            return updateModes<false, true, true, true>();
        case 8:
            return updateModes<true, false, false, false>();
        case 9:
            return updateModes<true, false, false, true>();
        case 10:
            return updateModes<true, false, true, false>();
        case 11:
            return updateModes<true, false, true, true>();
        case 12:
            return updateModes<true, true, false, false>();
        case 13:
            return updateModes<true, true, false, true>();
        case 14:
            return updateModes<true, true, true, false>();
        default:
            return updateModes<true, true, true, true>();
    }
}

bool StringVoice::render (int count, float* buffer, int offset) noexcept
{
    if (idle || count <= 0)
        return false;

    StringModel& m = *model;
    const int n = modeCount;
    int j = 0;
    for (; j < count && ! idle; ++j)
    {
        const float* x = state.data();
        if (pluck)
            pluckDisplacement = modalDot (x, m.pluckShape.data(), n);
        if (fretting)
            fretDisplacement = modalDot (x, m.fretShape.data(), n);
        if (touch && ! damping)
            touchDisplacement = modalDot (x, m.touchShape.data(), n);

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

        output = updateModesFor (pluck.has_value(), fretting.has_value(), touch.has_value(), tensionIncrease != 0.0f);
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

        if (fretting)
            m.fretMover.advance();
        if (touch)
            m.touchMover.advance();

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
