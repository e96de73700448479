#include "tools/lab/AudioAnalysis.h"
#include "tools/lab/StringRig.h"

#include "engine/Intonation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace tovalin;
using namespace tovalin::lab;

namespace
{
SoundControls withoutInharmonicity (const char* stringType)
{
    SoundControls c;
    c.inharmonicity = 0.0f;
    c.stringType = stringType;
    return c;
}

double measuredFundamental (StringRig& rig, int fret, double expected, size_t window)
{
    rig.play (fret, 100);
    const auto y = rig.render (8192 + (int) window);
    return WindowedSegment (y, 8192, window, EngineSampleRate).peakFrequency (expected * 0.96, expected * 1.04);
}

/** The sound precisions whose strings differ: the rig's precision only picks the
    string's mode count, and some strings keep theirs across precisions. */
std::vector<int> precisionsWithDistinctModeCounts (int string)
{
    std::vector<int> levels;
    for (int level = 0; level < 3; ++level)
        if (std::none_of (levels.begin(), levels.end(),
                          [&] (int l) { return ModeCountTable[l][string] == ModeCountTable[level][string]; }))
            levels.push_back (level);
    return levels;
}
} // namespace

// Note 52, the open low E, sounds at 82.41 Hz; the others follow E A D G B E. At every
// sound precision: within 0.3 cent. An open string's pitch is its first mode's, and the
// resonators' single-precision coefficients place a low mode only to within about 0.7
// cent (the nylon low E and the steel A land about 0.27 cent off).
TEST (StringPitch, OpenStringsSoundAtTheirNominalPitch)
{
    const double nominal[6] = {82.41, 110.0, 146.83, 196.0, 246.94, 329.63};
    double worst = 0;
    for (const auto& [set, tolerance] : {std::pair{"Nylon", 0.3}, std::pair{"Steel", 0.3}})
        for (int s = 0; s < 6; ++s)
            for (int level : precisionsWithDistinctModeCounts (s))
            {
                StringRig rig (s, level, withoutInharmonicity (set));
                const double f = measuredFundamental (rig, 0, openStringFrequency (s), 32768);
                const double error = cents (f, openStringFrequency (s));
                worst = std::max (worst, std::abs (error));
                EXPECT_NEAR (error, 0.0, tolerance) << set << " string " << s << " level " << level;
                EXPECT_NEAR (f, nominal[s], 0.01 * nominal[s] / 100.0 + 0.01) << s;
            }
    std::printf ("open strings: worst %.3f cent\n", worst);
}

// Every fretted note of every string against equal temperament, within 0.35 cent, at
// every sound precision and with both string sets. Without the calibrated contact
// positions (engine/IntonationTable.inc) the notes play 1.5 to 10 cents flat.
TEST (StringPitch, FrettedNotesMatchEqualTemperament)
{
    for (const char* set : {"Nylon", "Steel"})
    {
        double worst = 0;
        for (int s = 0; s < 6; ++s)
            for (int level : precisionsWithDistinctModeCounts (s))
            {
                for (int fret = 1; fret < StringFretCount[s]; ++fret)
                {
                    StringRig rig (s, level, withoutInharmonicity (set));
                    const double expected = openStringFrequency (s) * std::pow (2.0, fret / 12.0);
                    const double error = cents (measuredFundamental (rig, fret, expected, 16384), expected);
                    worst = std::max (worst, std::abs (error));
                    EXPECT_NEAR (error, 0.0, 0.35) << set << " string " << s << " fret " << fret << " level " << level;
                }
            }
        std::printf ("%s fretted notes: worst %.3f cent\n", set, worst);
    }
}

// A missing calibration row is reported as missing, never read as a zero offset; every
// string the instrument builds has its own row.
TEST (StringPitch, EveryBuiltStringHasItsCalibrationRow)
{
    for (const bool nylon : {true, false})
        for (int level = 0; level < 3; ++level)
            for (int s = 0; s < 6; ++s)
            {
                const auto c = fretCompensation (nylon, s, ModeCountTable[level][s]);
                ASSERT_TRUE (c.has_value()) << nylon << " string " << s << " level " << level;
                EXPECT_GT (c->offset, 0.0f);
                EXPECT_GT (c->octaveOffset, c->offset);
            }
    EXPECT_FALSE (fretCompensation (false, 0, 50).has_value()) << "no such mode count";
    EXPECT_FALSE (fretCompensation (true, 6, 48).has_value()) << "no such string";
    EXPECT_FALSE (fretCompensation (true, -1, 76).has_value());
}

// With inharmonicity, partial n sits at n f0 sqrt(1 + B n^2).
TEST (StringPitch, InharmonicPartialsFollowTheStiffStringLaw)
{
    SoundControls c;
    c.stringType = "Steel";
    c.inharmonicity = 1.0f;
    for (int s : {0, 2, 5})
    {
        StringRig rig (s, 2, c);
        const double B = rig.params.inharmonicity;
        ASSERT_GT (B, 0.0);
        rig.play (0, 110);
        const auto y = rig.render (8192 + 32768);
        const double f0 = openStringFrequency (s);
        for (int n : {1, 3, 7, 12})
        {
            const double expected = n * f0 * std::sqrt (1.0 + B * n * n);
            const double f = peakFrequency (y, 8192, 32768, expected - 0.4 * f0, expected + 0.4 * f0, EngineSampleRate);
            EXPECT_NEAR (cents (f, expected), 0.0, 0.5) << "string " << s << " partial " << n;
        }
    }
    // Nylon treble strings are modelled without stiffness.
    SoundControls nylon;
    nylon.inharmonicity = 1.0f;
    StringRig treble (5, 2, nylon);
    EXPECT_EQ (treble.params.inharmonicity, 0.0f);
}

// A full bend slides the fretting point to where fret f + R would hold the string: R
// semitones up, for R = 1 to 3; back at the centre the note returns and the point stops.
TEST (StringPitch, AFullBendReachesItsRangeAndReturns)
{
    for (int range = 1; range <= 3; ++range)
    {
        StringPreferences preferences;
        preferences.bend = range;
        StringRig rig (2, 2, withoutInharmonicity ("Steel"), preferences);
        rig.play (5, 100);
        rig.render (4410);
        rig.model->setBend (1.0f);
        const auto bent = rig.render (EngineSampleRate);
        const double up = openStringFrequency (2) * std::pow (2.0, (5 + range) / 12.0);
        EXPECT_NEAR (cents (peakFrequency (bent, 22050, 16384, up * 0.96, up * 1.04, EngineSampleRate), up), 0.0, 1.0)
            << "range " << range;

        rig.model->setBend (0.5f);
        const auto back = rig.render (EngineSampleRate);
        const double rest = openStringFrequency (2) * std::pow (2.0, 5 / 12.0);
        EXPECT_NEAR (cents (peakFrequency (back, 22050, 16384, rest * 0.96, rest * 1.04, EngineSampleRate), rest), 0.0,
                     1.0);
        EXPECT_TRUE (rig.model->fretMover.isStill()) << "a centred bend costs nothing";
    }

    // Near the nut a bend down never asks for more frets than there are.
    StringPreferences wide;
    wide.bend = 3;
    StringRig nut (2, 2, withoutInharmonicity ("Steel"), wide);
    nut.play (1, 100);
    nut.model->setBend (0.0f);
    const float expected = -(float) ((double) (fretRatio (1) - fretRatio (2)) * 0.648);
    EXPECT_FLOAT_EQ (nut.model->fretMover.bendTarget, expected);
}

// Vibrato slides the fretting point around its rest position: the note's pitch swings
// at the oscillator's frequency, by what the point's depth does to the vibrating length.
TEST (StringPitch, VibratoSwingsThePitchAtItsFrequencyAndDepth)
{
    for (float amount : {0.6f, 1.0f})
    {
        StringRig rig (5, 2, withoutInharmonicity ("Steel"));
        const int fret = 5;
        rig.play (fret, 100);
        rig.render (2205);
        rig.model->setVibrato (amount);
        const Vibrato& mover = rig.model->fretMover;
        const double frequency = mover.frequency;
        ASSERT_GT (frequency, 3.0);
        const auto y = rig.render (EngineSampleRate * 2);

        const double f0 = openStringFrequency (5) * std::pow (2.0, fret / 12.0);
        const auto track = frequencyTrack (y, f0, EngineSampleRate);
        // The swing: the extremes of the track after the filter has settled.
        double lowest = 1e9, highest = 0, crossings = 0, mean = 0;
        size_t counted = 0;
        for (const auto& [t, f] : track)
            if (t > 0.2)
            {
                mean += f;
                ++counted;
            }
        mean /= (double) counted;
        bool above = false;
        for (const auto& [t, f] : track)
        {
            if (t <= 0.2)
                continue;
            lowest = std::min (lowest, f);
            highest = std::max (highest, f);
            if ((f > mean) != above)
            {
                crossings += 1;
                above = f > mean;
            }
        }
        const double measuredRate = crossings / 2.0 / (2.0 - 0.2);
        EXPECT_NEAR (measuredRate, frequency, 0.05 * frequency) << amount;

        // The point moves by the mover's depth about a vibrating length of r_f·L.
        const double length = (double) fretRatio (fret) * ScaleLength;
        const double swingCents = 1200.0 * std::log2 ((length + mover.depth) / (length - mover.depth));
        EXPECT_NEAR (cents (highest, lowest), swingCents, 0.25 * swingCents) << amount;
        std::printf ("vibrato %.1f: %.2f Hz (mover %.2f Hz), swing %.1f cents (geometry %.1f)\n", amount, measuredRate,
                     frequency, cents (highest, lowest), swingCents);
    }
}

// The mover's steps are rotations: n up and n down come back to the start, but for
// the rounding of each step's cosine and sine (about 1e-7 a step).
TEST (StringPitch, AMoverReturnsToItsStartAfterEqualStepsUpAndDown)
{
    StringRig rig (3);
    rig.play (7, 100);
    Vibrato& mover = rig.model->fretMover;
    const int n = rig.model->modeCount;
    const Vector<float>& s = rig.model->fretShape;
    const Vector<float>& c = rig.model->fretShapeCos;
    const std::vector<float> shape (s.data(), s.data() + n), shapeCos (c.data(), c.data() + n);
    constexpr int steps = 200; // 1 mm
    for (int i = 0; i < steps; ++i)
        mover.moveUp();
    EXPECT_GT (std::abs (s[1] - shape[1]), 1e-3f) << "the point did move";
    for (int i = 0; i < steps; ++i)
        mover.moveDown();
    EXPECT_EQ (mover.stepCount, 0);
    for (int i = 0; i < n; ++i)
    {
        EXPECT_NEAR (s[i], shape[(size_t) i], steps * 2e-7f) << i;
        EXPECT_NEAR (c[i], shapeCos[(size_t) i], steps * 2e-7f) << i;
    }

    // With no bend range, the bend asks for nothing.
    StringPreferences none;
    none.bend = 0;
    StringRig flat (3, 2, {}, none);
    flat.play (7, 100);
    flat.model->setBend (1.0f);
    EXPECT_EQ (flat.model->fretMover.bendTarget, 0.0f);
}

// The palm's touch point wanders along the string (2 Hz, at most 5 cm either way); the
// harmonic touch point stays where the harmonic is.
TEST (StringPitch, ThePalmWandersAndTheHarmonicTouchStaysPut)
{
    StringRig rig (1);
    rig.play (0, 100);
    rig.palmTouch();
    int lowest = 0, highest = 0;
    for (int block = 0; block < 200; ++block) // 2.3 s
    {
        rig.render (512);
        lowest = std::min (lowest, rig.model->touchMover.stepIndex);
        highest = std::max (highest, rig.model->touchMover.stepIndex);
    }
    const double step = 5e-6;
    EXPECT_LT (lowest * step, -0.02) << "toward the bridge";
    EXPECT_GT (highest * step, 0.02) << "and away from it";
    EXPECT_LE (highest * step, 0.0501);
    EXPECT_GE (lowest * step, -0.0501);

    StringRig harmonic (1);
    harmonic.play (12, 100);
    harmonic.harmonicTouch (12);
    harmonic.render (44100);
    EXPECT_EQ (harmonic.model->touchMover.stepIndex, 0);
    EXPECT_TRUE (harmonic.model->touchMover.isStill());
}
