#include "Vibrato.h"

#include "FastMath.h"

#include <cmath>

namespace tovalin
{
KernelMover::KernelMover (int n, float dx, float* s, float* c, float* in, const float* g)
    : step (dx), modeCount (n), stepAngle (n), stepCos (n), stepSin (n), shape (s), shapeCos (c), input (in), gain (g)
{
}

void KernelMover::initSteps (const float* k) noexcept
{
    int i = 0;
    for (; i + 4 <= modeCount; i += 4)
    {
        for (int j = 0; j < 4; ++j)
            stepAngle[i + j] = k[i + j] * step;
        sinCos4 (stepAngle.data() + i, stepSin.data() + i, stepCos.data() + i);
    }
    for (; i < modeCount; ++i)
    {
        stepAngle[i] = k[i] * step;
        stepSin[i] = tovalin::sinf (stepAngle[i]);
        stepCos[i] = tovalin::cosf (stepAngle[i]);
    }
}

namespace
{
    // The shape, its cosine partner, the input row, the gains and the step tables are
    // separate arrays: said so (restrict parameters), the compiler updates several
    // modes at a time, with the same operations on each, so the same results.
    // direction +1 steps up the string, -1 down.
    template <int direction>
    void rotateShapes (float* __restrict shape, float* __restrict shapeCos, float* __restrict input,
                       const float* __restrict gain, const float* __restrict stepCos, const float* __restrict stepSin,
                       int n) noexcept
    {
        for (int i = 0; i < n; ++i)
        {
            const float s = shape[i], c = shapeCos[i];
            if (direction > 0)
            {
                shapeCos[i] = stepCos[i] * c - stepSin[i] * s;
                shape[i] = stepSin[i] * c + stepCos[i] * s;
            }
            else
            {
                shapeCos[i] = stepCos[i] * c + stepSin[i] * s;
                shape[i] = stepCos[i] * s - stepSin[i] * c;
            }
            input[i] = gain[i] * shape[i];
        }
    }
} // namespace

void KernelMover::moveUp() noexcept
{
    ++stepCount;
    rotateShapes<1> (shape, shapeCos, input, gain, stepCos.data(), stepSin.data(), modeCount);
}

void KernelMover::moveDown() noexcept
{
    --stepCount;
    rotateShapes<-1> (shape, shapeCos, input, gain, stepCos.data(), stepSin.data(), modeCount);
}

Vibrato::Vibrato (int n, float rate, float dx, float d, float* s, float* c, float* in, const float* g)
    : KernelMover (n, dx, s, c, in, g), sampleRate (rate), depth (d)
{
}

void Vibrato::setSampleRate (float rate) noexcept
{
    sampleRate = rate;
    computeCoefficients();
}

void Vibrato::computeCoefficients() noexcept
{
    const double w = 2.0 * 3.14159265358979323846 * frequency / sampleRate;
    b1 = std::exp (-w / (2.0 * quality)) * 2.0 * std::cos (w);
    b2 = -std::exp (-w / quality);
}

void Vibrato::restartOscillator() noexcept
{
    computeCoefficients();
    const double w = 2.0 * 3.14159265358979323846 * frequency / sampleRate;
    yPrevious = 0.0;
    y = depth * std::exp (-w / (2.0 * quality)) * std::sin (w);
}

void Vibrato::setVibrato (float f, float q) noexcept
{
    if (std::abs (f - frequency) <= 0.1f)
        return;
    const float previousQuality = quality;
    frequency = f;
    quality = q;
    if (previousQuality > q)
        computeCoefficients();
    else
        restartOscillator();
}

void Vibrato::setDepth (float d) noexcept
{
    depth = d;
    restartOscillator();
}

void Vibrato::setBendTarget (float t) noexcept
{
    bendTarget = t;
    bending = 1;
}

void Vibrato::restart() noexcept
{
    stepIndex = 0;
    bendOffset = 0.0;
    restartOscillator();
    stepCount = 0;
}

void Vibrato::advanceMoving() noexcept
{
    const double next = b1 * y + b2 * yPrevious;
    yPrevious = y;
    y = next;

    const double h = step / 2.0;
    if (bendTarget - h > bendOffset)
        bendOffset += step;
    if (bendOffset > bendTarget + h)
        bendOffset -= step;
    if (std::abs (bendOffset) <= h && bendTarget == 0.0f)
        bending = 0;

    const float target = (float) (y - bendOffset);
    const int n = stepIndex;
    if (target - (float) n * step >= 0.0f)
    {
        moveUp();
        stepIndex = n + 1;
    }
    else if ((float) (n - 1) * step - target >= 0.0f)
    {
        moveDown();
        stepIndex = n - 1;
    }
}

void Vibrato::copyMotionFrom (const Vibrato& o) noexcept
{
    frequency = o.frequency;
    depth = o.depth;
    quality = o.quality;
    bendTarget = o.bendTarget;
    bending = o.bending;
    bendOffset = o.bendOffset;
    stepIndex = o.stepIndex;
    stepCount = o.stepCount;
    y = o.y;
    yPrevious = o.yPrevious;
    b1 = o.b1;
    b2 = o.b2;
}

} // namespace tovalin
