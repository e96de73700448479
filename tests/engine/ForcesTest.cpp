#include "engine/Forces.h"
#include "engine/GuitarConstants.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace tovalin;

namespace
{
ForcePlucking makePluck (int level = 100)
{
    static ExcitationTable table;
    return ForcePlucking (table.frictions[level], table.gestures[level], (float) EngineSampleRate);
}
} // namespace

TEST (Forces, APluckOnAStringAtRestMakesContactAtItsFourthSample)
{
    ForcePlucking pluck = makePluck();
    for (int i = 0; i < 3; ++i)
    {
        EXPECT_EQ (pluck.compute (0.0f), 0.0f);
        EXPECT_EQ (pluck.phase, 0) << i;
    }
    pluck.compute (0.0f);
    EXPECT_EQ (pluck.phase, 1);
}

TEST (Forces, APluckNeverReleasedByEnergyFinishesAfter4410Samples)
{
    // A string that moves along with the driver never loads the finger's spring, so
    // the energy never passes the threshold and the cycle ends at its limit.
    static ExcitationTable table;
    const GestureRecord& g = table.gestures[60];
    ForcePlucking pluck (table.frictions[60], g, (float) EngineSampleRate);
    double y = 0.0;
    int calls = 0;
    while (! pluck.finished && calls < 10000)
    {
        pluck.compute ((float) y);
        if (pluck.phase == 1 && y < g.maxTravel)
            y += g.driveSpeed / (double) EngineSampleRate;
        ++calls;
    }
    EXPECT_TRUE (pluck.finished);
    EXPECT_EQ (calls, 4411);
}

// A pick snaps off the string: the sample that releases still acts, the next returns 0
// and ends. A finger's flesh rolls off: its force falls steadily to 0 over its release
// time, then the pluck ends.
TEST (Forces, ReleaseByEnergyLetsGoAtOnceForAPickAndOverItsReleaseTimeForAFinger)
{
    for (const double excitation : {1.0, 0.0})
    {
        ExcitationTable table;
        table.build (excitation);
        const GestureRecord& g = table.gestures[127];
        ForcePlucking pluck (table.frictions[127], g, 44100.0f);
        int n = 0;
        // The finger drags a string that follows freely: its energy passes the threshold.
        float last = 0.0f;
        while (pluck.phase != 3 && n < 4410)
        {
            last = pluck.compute (0.0f);
            ++n;
        }
        ASSERT_EQ (pluck.phase, 3) << "released by energy before the cycle limit";
        EXPECT_FALSE (pluck.finished) << "the sample that releases still acts";
        ASSERT_GT (std::abs (last), 0.0f);
        const int rampSamples = (int) std::lround (g.releaseTime * 44100.0);
        EXPECT_EQ (rampSamples > 1, excitation == 0.0) << "only the finger lets go gradually";
        for (int i = 0; i < rampSamples; ++i)
        {
            const float f = pluck.compute (0.0f);
            EXPECT_LE (std::abs (f), std::abs (last)) << i;
            EXPECT_GT (std::abs (f), 0.0f) << i;
            last = f;
        }
        EXPECT_EQ (pluck.compute (0.0f), 0.0f);
        EXPECT_TRUE (pluck.finished);
    }
}

TEST (Forces, RestartGivesTwoFurtherCycles)
{
    ForcePlucking pluck = makePluck();
    for (int i = 0; i < 100; ++i)
        pluck.compute (0.0f);
    pluck.restart();
    EXPECT_EQ (pluck.count, 0);
    EXPECT_EQ (pluck.repeats, 1);
    int cycles = 1, calls = 0;
    int lastCount = 0;
    while (! pluck.finished && calls < 20000)
    {
        pluck.compute (0.0f);
        if (pluck.count < lastCount)
            ++cycles;
        lastCount = pluck.count;
        ++calls;
    }
    EXPECT_TRUE (pluck.finished);
    EXPECT_EQ (cycles, 2);
}

TEST (Forces, TheFretForceIsZeroForThreeSamplesThenPinches)
{
    ForceFret fret ((float) EngineSampleRate, 49000.0f);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ (fret.compute (0.001f), 0.0f) << i;
    float f = 0;
    for (int i = 0; i < 2000; ++i)
        f = fret.compute (0.001f);
    EXPECT_LT (f, 0.0f) << "a string held above the rest line is pushed back down";
    float g = 0;
    ForceFret below ((float) EngineSampleRate, 49000.0f);
    for (int i = 0; i < 2003; ++i)
        g = below.compute (-0.001f);
    EXPECT_GT (g, 0.0f);
}

TEST (Forces, ALiftedFretForceFinishesAfterItsLiftDuration)
{
    ForceFret fret ((float) EngineSampleRate, 1025.0f);
    for (int i = 0; i < 100; ++i)
        fret.compute (0.0f);
    fret.lift();
    int calls = 0;
    while (! fret.finished && calls < 30000)
    {
        fret.compute (0.0f);
        ++calls;
    }
    EXPECT_EQ (calls, 26460 + 1);
}

TEST (Forces, TheHarmonicTouchLasts10000SamplesAndThePalmStays)
{
    ForcePalm harmonic (1, (float) EngineSampleRate, 500.0f, 0.01f, 10000);
    int calls = 0;
    while (! harmonic.finished && calls < 20000)
    {
        harmonic.compute (0.0f);
        ++calls;
    }
    EXPECT_EQ (calls, 10002);

    ForcePalm palm (0, (float) EngineSampleRate, 260.0f, 0.01f, 0);
    for (int i = 0; i < 50000; ++i)
        palm.compute (0.0f);
    EXPECT_FALSE (palm.finished);
}

TEST (Forces, TheDampingForceCounts2205SamplesAndAppliesNothing)
{
    DummyDampingForce damping ((float) EngineSampleRate);
    for (int i = 0; i < 2204; ++i)
    {
        EXPECT_EQ (damping.compute (1.0f), 0.0f);
        ASSERT_FALSE (damping.finished) << i;
    }
    damping.compute (1.0f);
    EXPECT_TRUE (damping.finished);
}

TEST (Forces, TheExcitationTableBlendsFingerAndPick)
{
    ExcitationTable table;
    using X = ExcitationEndpoints;
    EXPECT_FLOAT_EQ (table.gestures[0].mass, X::fingerSoftGesture.mass);
    EXPECT_FLOAT_EQ (table.gestures[127].mass, X::fingerHardGesture.mass);
    table.build (1.0);
    EXPECT_FLOAT_EQ (table.gestures[0].mass, X::pickSoftGesture.mass);
    EXPECT_FLOAT_EQ (table.frictions[127].normalForce, X::pickHardFriction.normalForce);
    table.build (std::pow (0.5, 5)); // "Excitation type" 0.5
    EXPECT_NEAR (table.gestures[0].mass, X::pickSoftGesture.mass / 32.0 + X::fingerSoftGesture.mass * 31.0 / 32.0,
                 1e-7);
    const double mid = 63.0 / 127.0;
    const double soft = X::pickSoftFriction.normalForce / 32.0 + X::fingerSoftFriction.normalForce * 31.0 / 32.0;
    const double hard = X::pickHardFriction.normalForce / 32.0 + X::fingerHardFriction.normalForce * 31.0 / 32.0;
    EXPECT_NEAR (table.frictions[63].normalForce, hard * mid + soft * (1 - mid), 1e-4);
}
