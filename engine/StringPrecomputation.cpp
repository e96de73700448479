#include "StringPrecomputation.h"

#include "FastMath.h"
#include "Intonation.h"
#include "StringConstants.h"
#include "StringModel.h"

#include <cmath>
#include <cstring>

namespace tovalin
{
namespace
{
    constexpr double pi = 3.14159265358979323846;

    /** out[i] = sin(k_i x) (and cos), four modes at a time. */
    void fillShape (const float* k, float x, int n, float* sines, float* cosines)
    {
        int i = 0;
        alignas (16) float angles[4], s[4], c[4];
        for (; i + 4 <= n; i += 4)
        {
            for (int j = 0; j < 4; ++j)
                angles[j] = k[i + j] * x;
            sinCos4 (angles, s, c);
            for (int j = 0; j < 4; ++j)
            {
                sines[i + j] = s[j];
                if (cosines != nullptr)
                    cosines[i + j] = c[j];
            }
        }
        for (; i < n; ++i)
        {
            sines[i] = tovalin::sinf (k[i] * x);
            if (cosines != nullptr)
                cosines[i] = tovalin::cosf (k[i] * x);
        }
    }
} // namespace

void computeModes (StringModel& model)
{
    ModalData& m = model.modes;
    const StringParams& p = *m.params;
    const int n = m.modeCount;

    const double c = (double) p.pitchFactor * p.waveSpeedDouble;
    const float cf = (float) c;
    const double L = ScaleLength;
    const double f0 = c / (2.0 * L);
    const double B = p.inharmonicity;
    const double mu = p.linearDensity;
    const double T = p.tension;
    const double E = p.youngModulus;
    const double D = p.outerDiameter;
    const double d = p.coreDiameter;
    const double eta = p.internalDamping;
    const double Z = p.impedanceFactor;
    const bool wound = p.coreRatio != 1.0f;

    for (int i = 0; i < n; ++i)
    {
        const int modeNumber = i + 1;
        const double k = m.waveNumber[i];
        const double omega = std::sqrt (1.0 + (B * 0.419904 / (pi * pi)) * k * k) * k * cf;
        m.angularFrequency[i] = (float) omega;

        const double harmonic = modeNumber * f0;
        const double Y = std::abs (p.admittanceAt ((float) harmonic));
        const double bridgeLoss = Y * 1e-5 * mu * c * Z / (modeNumber * pi);
        const double airLoss = (D / 1000.0 * 2.0 * pi * std::sqrt (omega * 2.07088e-5 * 0.5) + 1.0807078728348888e-4) /
                               (mu * 2.0 * pi * harmonic);
        const double internalLoss = mu * 4.0 * pi * pi * E * (pi * d * d * d * d * 0.015625 / 1000.0) * eta *
                                    modeNumber * modeNumber * f0 * f0 / (T * T);
        double windingLoss = 0.0;
        if (wound && harmonic < 10000.0)
        {
            const double h = harmonic;
            windingLoss =
                (0.278305822 * h * h - 3.6102172e-5 * h * h * h + 838.942785 * h + 781375.822) * 1e-10 * p.windingLoss;
        }
        m.decayTime[i] = (float) (2.0 / (omega * (bridgeLoss + airLoss + internalLoss + windingLoss)));
        m.outputWeight[i] = (float) (omega * omega / (k * (double) cf * (double) cf));
    }
}

void computeShapes (StringModel& model, bool shapesOnly)
{
    const int n = model.modeCount;
    const float* k = model.modes.waveNumber.data();
    const StringParams* p = model.modes.params;
    const float pluckPosition = p != nullptr ? p->pluckPosition : 0.0f;

    fillShape (k, pluckPosition, n, model.pluckShapeRest.data(), nullptr);
    fillShape (k, (float) PalmPosition, n, model.palmSinRest.data(), model.palmCosRest.data());

    if (! shapesOnly)
        for (int j = 0; j < model.fretSin.rows(); ++j)
            fillShape (k, (float) ((double) fretRatio (j) * ScaleLength), n, model.fretSin.row (j),
                       model.fretCos.row (j));

    // Every string the instrument builds has its calibrated row (checked when the table
    // is compiled); only a model outside that set (a benchmark's mode count, a model
    // whose params are not yet filled in) keeps the frets' geometric positions.
    const auto c = p != nullptr ? fretCompensation (p->nylon != 0, p->stringIndex, n) : std::nullopt;
    const FretCompensation pins = c.value_or (FretCompensation{});
    computeFretPins (model, pins.offset, pins.octaveOffset);
}

void computeFretPins (StringModel& model, float offset, float octaveOffset)
{
    const int n = model.modeCount;
    const float* k = model.modes.waveNumber.data();
    for (int j = 0; j < model.fretPinSin.rows(); ++j)
    {
        const double geometric = (double) fretRatio (j) * ScaleLength;
        if (j == 0)
        {
            fillShape (k, (float) geometric, n, model.fretPinSin.row (j), model.fretPinCos.row (j));
            continue;
        }
        if (j != OctaveFret)
        {
            fillShape (k, (float) (geometric - offset), n, model.fretPinSin.row (j), model.fretPinCos.row (j));
            continue;
        }
        // At the octave the even modes have their node under the finger and stay
        // unheld; the odd modes, symmetric about the middle, take the moved point.
        float* sines = model.fretPinSin.row (j);
        float* cosines = model.fretPinCos.row (j);
        fillShape (k, (float) (geometric - octaveOffset), n, sines, cosines);
        for (int i = 1; i < n; i += 2)
        {
            sines[i] = model.fretSin.row (j)[i];
            cosines[i] = model.fretCos.row (j)[i];
        }
    }
}

void computeCoefficients (StringModel& model)
{
    const int n = model.modeCount;
    const StringParams& p = *model.modes.params;
    const double rate = EngineSampleRate;
    const double mu = p.linearDensity;

    for (int i = 0; i < n; ++i)
    {
        const double tau = model.modes.decayTime[i];
        const double omega = model.modes.angularFrequency[i];
        const double r = std::exp (-1.0 / (tau * rate));
        model.a1[i] = (float) (2.0 * std::cos (omega / rate) * r);
        model.a2[i] = (float) -std::exp (-2.0 / (tau * rate));
        model.inputGain[i] = (float) (std::sin (omega / rate) * r / (mu * rate * omega));
        model.pluckInput[i] = model.inputGain[i] * model.pluckShape[i];
        model.fretInput[i] = model.inputGain[i] * model.fretShape[i];
        model.touchInput[i] = model.inputGain[i] * model.touchShape[i];
        const float k = model.modes.waveNumber[i];
        model.twangWeight[i] = model.inputGain[i] * k * k;
    }

    double sum = 0.0;
    for (int i = 0; i < std::min (n, 8); ++i)
        sum += model.modes.decayTime[i];
    const double meanDecay = sum / 8.0;
    model.twangDecay = (float) std::exp (-(double) p.twangDecayRatio / (meanDecay * rate));
    model.twangTension = p.twangCoefficient / 1.5f;
    model.twangGain = model.twangTension / p.tension;
}

void applyControls (StringModel& model, const SoundControls& controls)
{
    model.setVibrato (controls.vibratoFrequency);
    model.fretMover.setDepth (model.modes.params->vibratoDepth);
    model.setBend (controls.pitchBend);
}

void copyPlayingState (StringModel& to, const StringModel& from)
{
    const size_t bytes = sizeof (float) * (size_t) to.modeCount;
    to.fret = from.fret;
    to.fretMover.copyMotionFrom (from.fretMover);
    to.touchMover.copyMotionFrom (from.touchMover);
    std::memcpy (to.fretShape.data(), from.fretShape.data(), bytes);
    std::memcpy (to.fretShapeCos.data(), from.fretShapeCos.data(), bytes);
    std::memcpy (to.touchShape.data(), from.touchShape.data(), bytes);
    std::memcpy (to.touchShapeCos.data(), from.touchShapeCos.data(), bytes);
    to.updatePluckShape (true);
}

} // namespace tovalin
