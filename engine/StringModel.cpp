#include "StringModel.h"

#include "StringConstants.h"
#include "StringPrecomputation.h"

#include <cmath>
#include <cstring>

namespace tovalin
{
namespace
{
    constexpr float moverStep = 5e-6f;
    constexpr float fretMoverDepth = 0.003f;
    constexpr float touchMoverDepth = 0.05f;

    void copyRow (float* dest, const float* src, int n) noexcept
    {
        std::memcpy (dest, src, sizeof (float) * (size_t) n);
    }

    void multiply (float* out, const float* a, const float* b, int n) noexcept
    {
        for (int i = 0; i < n; ++i)
            out[i] = a[i] * b[i];
    }
} // namespace

ModalData::ModalData (int n, int frets)
    : modeCount (n), fretCount (frets), waveNumber (n), angularFrequency (n), decayTime (n), outputWeight (n)
{
}

StringModel::StringModel (int n, int frets, StringParams* params)
    : modes (n, frets), modeCount (n), fretCount (frets), a1 (n), a2 (n), fretSin (frets + ExtraFretRows, n),
      fretCos (frets + ExtraFretRows, n), fretPinSin (frets, n), fretPinCos (frets, n), pluckShapeRest (n),
      palmSinRest (n), palmCosRest (n), inputGain (n), fretShape (n), pluckShape (n), touchShape (n), fretShapeCos (n),
      touchShapeCos (n), pluckInput (n), fretInput (n), touchInput (n), twangWeight (n),
      fretMover (n, (float) EngineSampleRate, moverStep, fretMoverDepth, fretShape.data(), fretShapeCos.data(),
                 fretInput.data(), inputGain.data()),
      touchMover (n, (float) EngineSampleRate, moverStep, touchMoverDepth, touchShape.data(), touchShapeCos.data(),
                  touchInput.data(), inputGain.data())
{
    modes.params = params;
    std::memset (fretSin.data(), 0, sizeof (float) * (size_t) fretSin.rows() * (size_t) n);
    std::memset (fretCos.data(), 0, sizeof (float) * (size_t) fretCos.rows() * (size_t) n);
    std::memset (fretPinSin.data(), 0, sizeof (float) * (size_t) fretPinSin.rows() * (size_t) n);
    std::memset (fretPinCos.data(), 0, sizeof (float) * (size_t) fretPinCos.rows() * (size_t) n);

    const double L = (double) fretRatio (0) * ScaleLength;
    for (int i = 0; i < n; ++i)
        modes.waveNumber[i] = (float) ((i + 1) * 3.14159265358979323846 / L);

    setSampleRate ((float) EngineSampleRate);
    computeShapes (*this, false);
    fretMover.initSteps (modes.waveNumber.data());
    touchMover.initSteps (modes.waveNumber.data());
}

void StringModel::setSampleRate (float rate) noexcept
{
    sampleRate = rate;
    fretMover.setSampleRate (rate);
    touchMover.setSampleRate (rate);
    const float fadeSamples = 0.05f * rate;
    releaseFadeDecay = std::exp (-2.0f * std::log (99.9f) / fadeSamples);
    gainFadeGrowth = std::exp (-2.0f * std::log (0.01f) / fadeSamples);
    crossfadeLength = 2.0f * (float) std::lround (fadeSamples);
}

void StringModel::setFret (int f) noexcept
{
    fret = f;
    const bool pinned = f >= 0 && f < fretPinSin.rows();
    copyRow (fretShape.data(), pinned ? fretPinSin.row (f) : fretSin.row (f), modeCount);
    copyRow (fretShapeCos.data(), pinned ? fretPinCos.row (f) : fretCos.row (f), modeCount);
    multiply (fretInput.data(), inputGain.data(), fretShape.data(), modeCount);
    fretMover.restart();
}

bool StringModel::updatePluckShape (bool force) noexcept
{
    bool changed = false;
    if (force || pluckShapeModified)
    {
        copyRow (pluckShape.data(), pluckShapeRest.data(), modeCount);
        pluckShapeModified = 0;
        changed = true;
    }
    // Modes with a node at the fret, on which the fretting finger has no hold.
    int divisor = 0;
    if (fret == 12)
        divisor = 2;
    else if (fret == 7)
        divisor = 3;
    else if (fret == 5)
        divisor = 4;
    if (divisor != 0)
    {
        for (int i = divisor - 1; i < modeCount; i += divisor)
            pluckShape[i] = 0.0f;
        pluckShapeModified = 1;
        changed = true;
    }
    return changed;
}

void StringModel::refreshPluckInput() noexcept
{
    if (updatePluckShape (false))
        multiply (pluckInput.data(), inputGain.data(), pluckShape.data(), modeCount);
}

void StringModel::preparePalmTouch() noexcept
{
    copyRow (touchShape.data(), palmSinRest.data(), modeCount);
    copyRow (touchShapeCos.data(), palmCosRest.data(), modeCount);
    multiply (touchInput.data(), inputGain.data(), touchShape.data(), modeCount);
    touchMover.setVibrato (2.0f, 100.0f);
}

void StringModel::prepareHarmonicTouch (int f) noexcept
{
    int row = f + modes.params->harmonicFretOffset;
    if (row < 0)
        row = 0;
    if (row >= fretSin.rows())
        row = fretSin.rows() - 1;
    copyRow (touchShape.data(), fretSin.row (row), modeCount);
    copyRow (touchShapeCos.data(), fretCos.row (row), modeCount);
    multiply (touchInput.data(), inputGain.data(), touchShape.data(), modeCount);
    // Frequency 0 before the restart: restarting first would leave the oscillator
    // primed by the previous frequency, and with frequency 0 its recursion then grows
    // without bound, carrying the "still" harmonic point away along the string.
    touchMover.setVibrato (0.0f, 1.0f);
    touchMover.restart();
}

void StringModel::setVibrato (float v) noexcept
{
    const StringParams& p = *modes.params;
    const float f = v != 0.0f ? (p.vibratoMaxFrequency - 3.0f) * v + 3.0f : 0.0f;
    const float q = v < 0.5f ? 29.4f * v + 0.3f : 570.0f * v + 15.0f;
    fretMover.setVibrato (f, q);
}

void StringModel::setBend (float v) noexcept
{
    int range = modes.params->bendRange;
    const int f = fret;
    if ((f == 1 || f == 2) && v < 0.5f && f < range)
        range = f;
    const int top = std::min (f + range, 30);
    const float distance = (float) ((double) (fretRatio (f) - fretRatio (top)) * 0.648);
    fretMover.setBendTarget (distance * ((v - 0.5f) * 2.0f));
}

} // namespace tovalin

namespace tovalin
{
void StringModel::postVibrato (float amount) noexcept
{
    postedVibrato.store (amount, std::memory_order_relaxed);
    vibratoPosted.store (true, std::memory_order_release);
}

void StringModel::postBend (float value) noexcept
{
    postedBend.store (value, std::memory_order_relaxed);
    bendPosted.store (true, std::memory_order_release);
}

void StringModel::applyPosted() noexcept
{
    if (vibratoPosted.load (std::memory_order_relaxed) && vibratoPosted.exchange (false, std::memory_order_acquire))
        setVibrato (postedVibrato.load (std::memory_order_relaxed));
    if (bendPosted.load (std::memory_order_relaxed) && bendPosted.exchange (false, std::memory_order_acquire))
        setBend (postedBend.load (std::memory_order_relaxed));
}
} // namespace tovalin
