#include "tools/lab/AudioAnalysis.h"
#include "tools/lab/StringRig.h"

#include <gtest/gtest.h>

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
    return peakFrequency (y, 8192, window, expected * 0.96, expected * 1.04, EngineSampleRate);
}
} // namespace

// Note 52, the open low E, sounds at 82.41 Hz; the others follow E A D G B E.
TEST (StringPitch, OpenStringsSoundAtTheirNominalPitch)
{
    const double nominal[6] = {82.41, 110.0, 146.83, 196.0, 246.94, 329.63};
    for (const char* set : {"Nylon", "Steel"})
        for (int level = 0; level < 3; ++level)
            for (int s = 0; s < 6; ++s)
            {
                StringRig rig (s, level, withoutInharmonicity (set));
                const double f = measuredFundamental (rig, 0, openStringFrequency (s), 32768);
                EXPECT_NEAR (cents (f, openStringFrequency (s)), 0.0, 0.5)
                    << set << " string " << s << " level " << level;
                EXPECT_NEAR (f, nominal[s], 0.01 * nominal[s] / 100.0 + 0.01) << s;
            }
}

// Every fretted note against equal temperament, at every sound precision and with
// both string sets.
TEST (StringPitch, FrettedNotesStayNearEqualTemperament)
{
    for (int level = 0; level < 3; ++level)
        for (int s = 0; s < 6; ++s)
            for (int fret = 1; fret < StringFretCount[s]; ++fret)
            {
                StringRig rig (s, level, withoutInharmonicity ("Steel"));
                const double expected = openStringFrequency (s) * std::pow (2.0, fret / 12.0);
                const double f = measuredFundamental (rig, fret, expected, 16384);
                EXPECT_NEAR (cents (f, expected), 0.0, 12.0)
                    << "string " << s << " fret " << fret << " level " << level;
            }
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
