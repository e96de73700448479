#pragma once

#include <string>

namespace tovalin
{
/** The parameter values that shape the strings, each 0..1 unless named otherwise. */
struct SoundControls
{
    std::string stringType = "Nylon";
    std::string guitarType = "Corvan's Classical";
    float attackPlace = 0.5f;
    float volume = 0.5f;
    float impedance = 0.5f;
    float color = 0.5f;
    float inharmonicity = 0.5f;
    float strummingSpeed = 0.5f;
    float vibratoFrequency = 0.0f;
    float pitchBend = 0.5f;
    float vibratoMaxFrequency = 0.5f;
    float palmMuteAmount = 0.5f;
    float harmonicsAmount = 0.5f;
    float twang = 0.5f;
};

/** The two preferences the strings read. */
struct StringPreferences
{
    int bend = 1;      // semitones of upward bend, 0..3
    int harmonics = 2; // octaves of played harmonics, 1..2
};

/** A guitar's bridge admittance: frequencies from 0 Hz in equal steps. */
struct AdmittanceTable
{
    const float* frequency = nullptr;
    const float* admittance = nullptr;
    const float* extra = nullptr;
    int count = 0;
    float gain = 1.0f;
};

/** A uniform admittance of plausible magnitude, for strings that have never been given
    a guitar: |Y| = 100 in the table's units, the low-frequency level of a classical
    guitar's bridge. */
const AdmittanceTable& flatAdmittance() noexcept;

/** The derived physical parameters of one string. */
struct StringParams
{
    std::string stringSetName;
    float tension = 0, youngModulus = 0, outerDiameter = 0, coreRatio = 0, coreDiameter = 0;
    float impedanceFactor = 0, linearDensity = 0, internalDamping = 0, windingLoss = 0;
    float touchStrengthBase = 0, fretStiffness = 0;
    unsigned char nylon = 1;
    float inharmonicity = 0;
    float waveSpeed = 0;
    double waveSpeedDouble = 0;
    float palmStrength = 0, palmDepth = 0, harmonicStrength = 0, harmonicDepth = 0;
    int harmonicTouchSamples = 0;
    float vibratoMaxFrequency = 8, vibratoDepth = 0.002f;
    int harmonicFretOffset = 5;
    int bendRange = 1;
    float twangCoefficient = 0, twangDecayRatio = 1, twangScale = 0;
    int strumSamples = 0;
    float pitchFactor = 0;
    float volumeFactor = 0;
    float velocityGain = 1;
    float pluckPosition = 0;
    const float* admittanceFrequency = nullptr;
    const float* admittance = nullptr;
    const float* admittanceExtra = nullptr;
    int admittanceCount = 0;
    float admittanceStep = 1, admittanceStepInverse = 1;
    float guitarGain = 0;
    int stringIndex = 0;

    /** Y(f) by linear interpolation, clamped at both ends. */
    float admittanceAt (float frequency) const noexcept;
};

/** Recomputes every derived field of params from the controls, the preferences and
    the guitar's admittance (nullptr: an unknown guitar keeps the previous table). */
void recomputeParams (StringParams& params, const SoundControls& controls, const StringPreferences& preferences,
                      const AdmittanceTable* guitar);

/** Only the touch, vibrato, bend and harmonic fields (palm and harmonic strength and
    depth, the harmonic's touch time and fret offset, the vibrato's rate and depth, the
    bend range): what the bend and harmonics preferences change. */
void recomputeEffectParams (StringParams& params, const SoundControls& controls,
                            const StringPreferences& preferences) noexcept;

/** Only the volume factor. */
void recomputeVolume (StringParams& params, float volume) noexcept;

} // namespace tovalin
