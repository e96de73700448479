#pragma once

#include "Vector.h"

namespace tovalin
{
/** Moves a contact point along the string by rotating, per mode, the pair
    (sin k x, cos k x) by k dx: one step of dx per call.

    Audio thread: moveUp, moveDown, restart. */
class KernelMover
{
public:
    KernelMover (int modeCount, float step, float* shape, float* shapeCos, float* input, const float* gain);
    virtual ~KernelMover() = default;
    virtual void restart() noexcept { stepCount = 0; }

    /** stepAngle = k dx, and its cosine and sine, from the wave numbers. */
    void initSteps (const float* waveNumbers) noexcept;

    /** +dx, away from the bridge. */
    void moveUp() noexcept;
    /** -dx, toward the bridge. */
    void moveDown() noexcept;

    float step;
    int modeCount;
    int stepCount = 0;
    Vector<float> stepAngle, stepCos, stepSin;

protected:
    float* shape;
    float* shapeCos;
    float* input;
    const float* gain;
};

/** A contact point that follows a damped sinusoidal oscillator (vibrato) minus a
    slewed offset (bend), at most one step per sample. */
class Vibrato : public KernelMover
{
public:
    Vibrato (int modeCount, float rate, float step, float depth, float* shape, float* shapeCos, float* input,
             const float* gain);

    void setSampleRate (float rate) noexcept;

    /** Changes frequency and quality when the frequency moves by more than 0.1 Hz. */
    void setVibrato (float frequency, float quality) noexcept;
    void setDepth (float depth) noexcept;
    void setBendTarget (float target) noexcept;
    void restart() noexcept override;

    /** One sample: oscillator, bend slew, and at most one step toward the target.
        Inline, so that a still point (the usual case) costs the voice no call. */
    void advance() noexcept
    {
        if (! isStill())
            advanceMoving();
    }

    /** True when advance() does nothing. */
    bool isStill() const noexcept { return frequency == 0.0f && ! bending; }

    /** Everything that describes the point's motion, from another mover of the same size. */
    void copyMotionFrom (const Vibrato& other) noexcept;

    float sampleRate;
    float frequency = 0.0f;
    float depth;
    float quality = 100.0f;
    float bendTarget = 0.0f;
    unsigned char bending = 0;
    int stepIndex = 0;
    double bendOffset = 0.0;
    double y = 0.0, yPrevious = 0.0;
    double b1 = 1.0, b2 = 1.0;

private:
    void advanceMoving() noexcept;
    void computeCoefficients() noexcept;
    void restartOscillator() noexcept;
};

} // namespace tovalin
