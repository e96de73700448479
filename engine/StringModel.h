#pragma once

#include "GuitarConstants.h"
#include "StringParams.h"
#include "Vector.h"
#include "Vibrato.h"

#include <atomic>
#include <string>

namespace tovalin
{
/** The mode table of one string, filled by the precomputation. */
struct ModalData
{
    ModalData (int modeCount, int fretCount);

    int modeCount;
    int fretCount;
    Vector<float> waveNumber;       // k_i = n pi / L
    Vector<float> angularFrequency; // rad/s
    Vector<float> decayTime;        // amplitude time constant, s
    Vector<float> outputWeight;     // weight of mode i in the bridge force
    StringParams* params = nullptr; // not owned
};

/** Everything about one string that does not change from sample to sample. Computed
    off the audio thread, then handed to the voice; the audio thread only uses the
    operations marked so. */
class StringModel
{
public:
    StringModel (int modeCount, int fretCount, StringParams* params);

    // Audio thread.
    void setFret (int fret) noexcept;
    bool updatePluckShape (bool force) noexcept;
    void refreshPluckInput() noexcept;
    void preparePalmTouch() noexcept;
    void prepareHarmonicTouch (int fret) noexcept;
    void setVibrato (float amount) noexcept;
    void setBend (float value) noexcept;

    /** From any thread: new "Vibrato freq." and "Pitch Bend" values for the movers,
        taken up by the audio thread at the start of the voice's next run
        (applyPosted), so that it never sees a mover half-changed. The latest value wins. */
    void postVibrato (float amount) noexcept;
    void postBend (float value) noexcept;
    /** Audio thread: applies what was posted since the last call. */
    void applyPosted() noexcept;

    // Any thread that owns the model.
    void setSampleRate (float rate) noexcept;

    float crossfadeLength = 0;
    std::string stringSetName;
    ModalData modes;
    float sampleRate = (float) EngineSampleRate;
    int modeCount;
    int fretCount;
    unsigned char pluckShapeModified = 1;
    float releaseFadeStart = 99.9f;
    float releaseFadeDecay = 0;
    float gainFadeStart = 0.01f;
    float gainFadeGrowth = 0;
    int fret = 0;
    Vector<float> a1, a2;
    float twangDecay = 0, twangTension = 0, twangGain = 0;
    Matrix<float> fretSin, fretCos;       // fretCount + 12 rows of N, at the frets' geometric positions
    Matrix<float> fretPinSin, fretPinCos; // fretCount rows: where the fretting finger holds the string
    Vector<float> pluckShapeRest, palmSinRest, palmCosRest;
    Vector<float> inputGain;
    Vector<float> fretShape, pluckShape, touchShape, fretShapeCos, touchShapeCos;
    Vector<float> pluckInput, fretInput, touchInput;
    Vector<float> twangWeight;
    Vibrato fretMover;
    Vibrato touchMover;

private:
    std::atomic<float> postedVibrato{0.0f}, postedBend{0.5f};
    std::atomic<bool> vibratoPosted{false}, bendPosted{false};

public:
    StringModel (const StringModel&) = delete;
    StringModel& operator= (const StringModel&) = delete;
};

/** The palm-mute point, 0.23 L from the bridge. */
constexpr double PalmPosition = 0.23 * 0.648;

} // namespace tovalin
