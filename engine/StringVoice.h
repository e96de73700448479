#pragma once

#include "Forces.h"
#include "SimdPath.h"
#include "StringModel.h"
#include "Vector.h"

#include <optional>

namespace tovalin
{
/** The running state of one string: two modal state vectors, the attached forces,
    the twang, the release fade and the gain crossfade.

    The forces live in slots inside the voice, so attaching one never allocates.

    Audio thread: render and every gesture operation, inside the processor's callback
    lock. setModel swaps the model between blocks (under the same lock). */
class StringVoice
{
public:
    StringVoice (int modeCount, StringModel* model);

    /** Adds up to count samples into buffer[offset...]; true if any sample was
        computed. Stops early when the voice falls idle; an idle voice is skipped
        without touching the buffer. */
    bool render (int count, float* buffer, int offset) noexcept;

    /** One sample added into *out (the voice must not be idle), for interleaved
        rendering: beginRun() before the first sample of each run. */
    void beginRun() noexcept;
    void renderSample (float* out) noexcept;
    /** renderSample in two halves: the contact displacements and forces, then the
        modal update, the output and the bookkeeping. */
    void computeForces() noexcept;
    void finishSample (float* out) noexcept;
    /** computeForces in two halves around the fretting finger's contact solve, which
        the caller runs (several voices' at once) when beginForces returns true. */
    bool beginForces() noexcept;
    void completeForces() noexcept;

    /** Zero state, no forces, fades back at their starts; idle is not changed. */
    void reset() noexcept;
    /** Idle at once; a running crossfade ends at its target. */
    void stop() noexcept;
    void activate() noexcept { idle = 0; }
    void clearTwang() noexcept { twangLevel = 0.0f; }
    void startReleaseFade() noexcept { releaseFade = model->releaseFadeStart; }
    /** Crossfades to volumeFactor * velocityGain (at once when idle). */
    void updateGain() noexcept;
    float currentGain() const noexcept { return gain; }
    void setFret (int fret) noexcept { model->setFret (fret); }
    StringModel* setModel (StringModel* newModel) noexcept;
    StringModel* getModel() const noexcept { return model; }
    void setSampleRate (float rate) noexcept { sampleRate = rate; }

    unsigned char idle = 1;
    int modeCount;
    Vector<float> previousState, state;

    std::optional<ForcePlucking> pluck;
    std::optional<ForceFret> fretting;
    std::optional<DummyDampingForce> damping;
    std::optional<ForcePalm> touch;

    float pluckDisplacement = 0, fretDisplacement = 0, dampingDisplacement = 0, touchDisplacement = 0;
    float twangInput = 0, twangLevel = 0, tensionIncrease = 0;
    float output = 0;
    float releaseFade = 0;
    float gainFade = 0;
    int gainFadeCount = 0;
    unsigned char gainFading = 0;
    float gainFrom = 0, gainTo = 0, gainDelta = 0;
    float gain = 0;
    float pluckForce = 0, fretForce = 0, dampingForce = 0, touchForce = 0;
    float sampleRate = (float) EngineSampleRate;

    /** Modes updated at once: 4 (SSE2), 8 (AVX2) or 16 (AVX-512), by the SIMD path in
        use when the voice was built; the narrower paths stay available (the tests
        compare them). */
    int modalWidth;
    static int modalWidthOf (SimdPath path) noexcept;
    /** The widest this processor has. */
    static int widestModalWidth() noexcept;

private:
    template <bool Pluck, bool Fret, bool Touch, bool Twang>
    float updateModes (float* nextDots) noexcept;
    template <bool Pluck, bool Fret, bool Touch, bool Twang>
    float updateModesWide (float* nextDots) noexcept;
    template <bool Pluck, bool Fret, bool Touch, bool Twang>
    float updateModes16 (float* nextDots) noexcept;
    template <int Width>
    float updateModesWith (int key, float* nextDots) noexcept;
    float updateModesFor (bool pluck, bool fret, bool touch, bool twang, float* nextDots) noexcept;

    StringModel* model;
    // The displacements formed by the last update, valid while no shape has moved.
    float nextDots[3] = {0, 0, 0};
    bool pluckDotReady = false, fretDotReady = false, touchDotReady = false;
    bool fretContactPending = false;
};

/** Renders the voices over buffer[offset, offset + count), interleaved sample by
    sample; the same samples as rendering them one after another. True when any voice
    rendered. */
bool renderVoices (StringVoice* const* voices, int voiceCount, int count, float* buffer, int offset) noexcept;

/** Single-precision dot product over n (a multiple of 4) with four partial sums,
    added lanes 1 and 0, then 2, then 3. */
float modalDot (const float* a, const float* b, int n) noexcept;

} // namespace tovalin
