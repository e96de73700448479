#include "StringParams.h"

#include "StringConstants.h"
#include "StringSets.h"

#include <cmath>

namespace tovalin
{
namespace
{
    constexpr float singlePi = 3.14159265358979323846f;
    const float flatFrequencies[2] = {0.0f, 5000.0f};
    const float flatValues[2] = {100.0f, 100.0f};
    const float flatExtra[2] = {0.0f, 0.0f};
    const AdmittanceTable flat = {flatFrequencies, flatValues, flatExtra, 2, 1.0f};
} // namespace

const AdmittanceTable& flatAdmittance() noexcept { return flat; }

float StringParams::admittanceAt (float f) const noexcept
{
    const int n = admittanceCount;
    if (n <= 0)
        return 0.0f;
    if (f >= admittanceFrequency[n - 1])
        return admittance[n - 1];
    if (f <= admittanceFrequency[0])
        return admittance[0];
    const int i = (int) (f / admittanceStep);
    if (i >= n - 1)
        return admittance[n - 1];
    return admittance[i] + (f - admittanceFrequency[i]) * (admittance[i + 1] - admittance[i]) / admittanceStep;
}

void recomputeVolume (StringParams& p, float volume) noexcept
{
    const float k = volume > 0.5f ? 2.4f : 5.0f;
    p.volumeFactor = std::exp ((volume - 0.5f) * k) * p.guitarGain;
}

void recomputeEffectParams (StringParams& p, const SoundControls& c, const StringPreferences& prefs) noexcept
{
    const float base = p.touchStrengthBase * 0.5f;
    p.palmStrength = std::exp ((c.palmMuteAmount - 0.5f) * 3.0f) * base;
    p.palmDepth = std::exp ((c.palmMuteAmount - 0.5f) * 2.0f) * 0.01f;
    p.harmonicStrength = std::exp ((c.harmonicsAmount + 0.25f) * 1.74f) * base;
    p.harmonicDepth = std::exp ((c.harmonicsAmount + 0.25f) * 1.16f) * 0.01f;
    p.harmonicTouchSamples = 10000;
    p.vibratoMaxFrequency = c.vibratoMaxFrequency * 3.0f + 6.0f;
    p.vibratoDepth = c.vibratoMaxFrequency * 0.0025f;
    p.harmonicFretOffset = prefs.harmonics == 1 ? 12 : 5;
    p.bendRange = prefs.bend;
}

void recomputeParams (StringParams& p, const SoundControls& c, const StringPreferences& prefs,
                      const AdmittanceTable* guitar)
{
    const int s = p.stringIndex;

    // String set and material values.
    p.stringSetName = c.stringType;
    p.nylon = c.stringType == "Nylon" ? 1 : 0;
    const StringSetRow& r = stringSetFor (c.stringType).rows[s];
    p.tension = r.tension;
    p.youngModulus = r.youngModulus / StringSetModulusScale;
    p.outerDiameter = r.outerDiameter;
    p.coreRatio = r.coreRatio;
    p.windingLoss = r.windingLoss;
    p.touchStrengthBase = r.touchStrengthBase;
    p.fretStiffness = r.fretStiffness;
    p.twangScale = r.twangScale;
    p.impedanceFactor = std::exp ((c.impedance - 0.5f) * 7.56f) * 14.09f;

    // The string's own loss grows with the mode number, so it is what mellows a note as
    // it rings. "Color" scales it twentyfold either way of its default, evenly over the
    // whole travel (an exponent that only acted above the middle left half the control
    // doing nothing).
    constexpr float colorSpan = 5.9914646f; // ln 400
    const float u = p.nylon ? 8.8f : 10.4f;
    p.internalDamping = std::exp ((c.color - 0.5f) * colorSpan) * r.dampingBase * u;

    p.waveSpeed = waveSpeedFloat (s);
    p.waveSpeedDouble = waveSpeed (s);
    p.linearDensity = p.tension / (p.waveSpeed * p.waveSpeed);
    p.coreDiameter = p.coreRatio * p.outerDiameter;

    const float D = p.outerDiameter;
    p.twangCoefficient = p.youngModulus * 1000.0f * singlePi * D * D * (0.2f * p.twangScale) / (p.tension * 5.184f);
    p.twangCoefficient *= c.twang;

    float a;
    if (p.nylon)
        a = s <= 3 ? c.inharmonicity * 0.773f : 0.0f;
    else
        a = c.inharmonicity * 0.7f;
    const double d = p.coreDiameter;
    p.inharmonicity = (float) (p.youngModulus * 0.001 * std::pow ((double) singlePi, 3.0) * d * d * d * d * a /
                               (p.tension * 64.0 * ScaleLength * ScaleLength));

    p.pitchFactor = 1.0f;
    p.pluckPosition = c.attackPlace * 0.15f + 0.05f;

    // An unknown guitar keeps the previous table; a string that never had one gets a
    // plausible table rather than none to read.
    if (guitar == nullptr && p.admittanceCount < 1)
        guitar = &flatAdmittance();
    if (guitar != nullptr)
    {
        p.admittanceFrequency = guitar->frequency;
        p.admittance = guitar->admittance;
        p.admittanceExtra = guitar->extra;
        p.admittanceCount = guitar->count;
        p.guitarGain = guitar->gain;
        if (guitar->count >= 2)
        {
            p.admittanceStep = guitar->frequency[1] - guitar->frequency[0];
            p.admittanceStepInverse = 1.0f / p.admittanceStep;
        }
    }

    recomputeVolume (p, c.volume);

    recomputeEffectParams (p, c, prefs);
    p.twangDecayRatio = std::exp (-(c.twang - 0.5f)) * 50.0f;
    p.strumSamples = (int) std::lround ((0.06 - 0.04 * c.strummingSpeed) * EngineSampleRate);
}

} // namespace tovalin
