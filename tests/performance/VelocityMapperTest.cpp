#include "performance/VelocityMapper.h"
#include "engine/FFTReal.h"
#include "tools/lab/AudioAnalysis.h"
#include "tools/lab/StringRig.h"

#include <gtest/gtest.h>

#include <juce_core/juce_core.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <thread>

using namespace tovalin;

namespace
{
float massAt (const VelocityMapper& m, int velocity)
{
    FrictionRecord f;
    GestureRecord g;
    m.recordsFor (velocity, f, g);
    return g.mass;
}

float levelMass (const VelocityMapper& m, int level) { return m.excitation().gestures[level].mass; }

void setPoints (VelocityMapper& m, std::initializer_list<std::pair<int, int>> points)
{
    juce::XmlElement e ("Preset");
    for (auto [id, value] : points)
    {
        auto* p = e.createNewChildElement ("VelocityPoint");
        p->setAttribute ("id", id);
        p->setAttribute ("value", value);
    }
    m.readPoints (e);
}
} // namespace

TEST (VelocityMapper, TheDefaultCurveRunsFromSoftestToHardest)
{
    VelocityMapper m;
    m.rebuildExcitation (0.3); // a mix of finger and pick, so records differ in every field
    const float soft = levelMass (m, 0), hard = levelMass (m, 127);
    for (int v = 0; v <= 126; ++v)
    {
        const double t = (double) ((float) v / 126.0f);
        EXPECT_FLOAT_EQ (massAt (m, v), (float) (hard * t + soft * (1 - t))) << v;
    }
    EXPECT_EQ (massAt (m, 126), hard);
    EXPECT_EQ (massAt (m, 127), hard);
}

TEST (VelocityMapper, CurvesOfSeveralShapes)
{
    VelocityMapper m;
    setPoints (m, {{0, 0}, {64, 127}, {127, 127}});
    for (int v = 63; v <= 127; ++v)
        EXPECT_EQ (massAt (m, v), levelMass (m, 127)) << v;

    setPoints (m, {{40, 90}});
    for (int v : {0, 39, 40, 41, 127})
        EXPECT_EQ (massAt (m, v), levelMass (m, 90)) << v;

    setPoints (m, {{0, 0}, {10, 30}, {11, 100}, {127, 127}});
    EXPECT_EQ (massAt (m, 10), levelMass (m, 30)) << "a one-velocity segment takes its own point";
    EXPECT_EQ (massAt (m, 11), levelMass (m, 100));
}

TEST (VelocityMapper, InvalidPointsAreSkippedAndTheDefaultReturns)
{
    VelocityMapper m;
    juce::XmlElement e ("Preset");
    e.createNewChildElement ("VelocityPoint")->setAttribute ("id", 200);
    e.getChildElement (0)->setAttribute ("value", 5);
    e.createNewChildElement ("VelocityPoint")->setAttribute ("id", 20);    // no value
    e.createNewChildElement ("VelocityPoint")->setAttribute ("value", 20); // no id
    auto* negative = e.createNewChildElement ("VelocityPoint");
    negative->setAttribute ("id", 3);
    negative->setAttribute ("value", 128);
    m.readPoints (e);
    EXPECT_EQ (m.getPoints(), (std::map<int, int>{{0, 0}, {127, 127}}));

    juce::XmlElement twice ("Preset");
    for (int value : {50, 70})
    {
        auto* p = twice.createNewChildElement ("VelocityPoint");
        p->setAttribute ("id", 64);
        p->setAttribute ("value", value);
    }
    m.readPoints (twice);
    EXPECT_EQ (m.getPoints(), (std::map<int, int>{{64, 50}})) << "a repeated id keeps its first value";
}

// After any edit the tables equal what a full rebuild makes from the points.
TEST (VelocityMapper, EditsKeepTheTablesEqualToAFullRebuild)
{
    VelocityMapper m;
    m.rebuildExcitation (0.7);
    auto matchesRebuild = [&]
    {
        VelocityMapper fresh;
        fresh.rebuildExcitation (0.7);
        juce::XmlElement e ("Preset");
        m.writePoints (e);
        fresh.readPoints (e);
        for (int v = 0; v < 128; ++v)
        {
            FrictionRecord f1, f2;
            GestureRecord g1, g2;
            m.recordsFor (v, f1, g1);
            fresh.recordsFor (v, f2, g2);
            if (g1.mass != g2.mass || f1.normalForce != f2.normalForce || g1.amplitude != g2.amplitude)
                return false;
        }
        return true;
    };
    m.addPoint (40, 100);
    EXPECT_TRUE (matchesRebuild());
    m.addPoint (90, 20);
    EXPECT_TRUE (matchesRebuild());
    m.movePoint (40, 50, 110);
    EXPECT_TRUE (matchesRebuild());
    m.addPoint (50, 3); // an existing velocity keeps its point, and the tables follow the map
    EXPECT_EQ (m.getPoints().at (50), 110);
    EXPECT_TRUE (matchesRebuild());
    EXPECT_TRUE (m.removePoint (90));
    EXPECT_TRUE (matchesRebuild());

    // Removing the first point leaves 0 .. the new first at the new first's level.
    EXPECT_TRUE (m.removePoint (0));
    for (int v = 0; v <= 50; ++v)
        EXPECT_EQ (massAt (m, v), levelMass (m, 110)) << v;
    EXPECT_TRUE (matchesRebuild());

    setPoints (m, {{30, 30}});
    EXPECT_FALSE (m.removePoint (30)) << "the only point stays";
    EXPECT_EQ (m.getPoints().size(), 1u);
}

TEST (VelocityMapper, PointsAreWrittenInOrderIdBeforeValue)
{
    VelocityMapper m;
    m.addPoint (64, 90);
    juce::XmlElement e ("Preset");
    m.writePoints (e);
    ASSERT_EQ (e.getNumChildElements(), 3);
    EXPECT_EQ (e.getChildElement (1)->getIntAttribute ("id"), 64);
    EXPECT_EQ (e.getChildElement (1)->getAttributeName (0), juce::String ("id"));
    EXPECT_EQ (e.getChildElement (1)->getAttributeName (1), juce::String ("value"));
    EXPECT_EQ (e.getChildElement (2)->getIntAttribute ("id"), 127);
}

TEST (VelocityMapper, TellsThePresetLibraryOfEdits)
{
    struct Mark : ModifiedNotifier
    {
        int count = 0;
        void markModified() override { ++count; }
    } mark;
    VelocityMapper m;
    m.setModifiedNotifier (&mark);
    m.addPoint (30, 40);
    m.movePoint (30, 31, 41);
    m.removePoint (31);
    EXPECT_EQ (mark.count, 3);
    setPoints (m, {{0, 5}});
    EXPECT_EQ (mark.count, 3) << "reading points is loading, not editing";
}

// A pluck on the audio thread never sees a record half old and half new.
TEST (VelocityMapper, APluckNeverReadsATornRecord)
{
    VelocityMapper m;
    m.rebuildExcitation (0.5);
    FrictionRecord softF, hardF;
    GestureRecord softG, hardG;
    setPoints (m, {{0, 0}});
    m.recordsFor (64, softF, softG);
    setPoints (m, {{0, 127}});
    m.recordsFor (64, hardF, hardG);

    std::atomic<bool> stop{false};
    std::atomic<long> torn{0}, reads{0};
    std::thread audio (
        [&]
        {
            while (! stop)
            {
                FrictionRecord f;
                GestureRecord g;
                m.recordsFor (64, f, g);
                const bool soft =
                    g.mass == softG.mass && g.amplitude == softG.amplitude && f.normalForce == softF.normalForce;
                const bool hard =
                    g.mass == hardG.mass && g.amplitude == hardG.amplitude && f.normalForce == hardF.normalForce;
                if (! soft && ! hard)
                    ++torn;
                ++reads;
            }
        });
    for (int i = 0; i < 20000; ++i)
        setPoints (m, {{0, (i % 2) * 127}});
    stop = true;
    audio.join();
    EXPECT_EQ (torn.load(), 0);
    EXPECT_GT (reads.load(), 0);
}

namespace
{
/** An open G plucked with the records the mapper gives velocity v. */
std::vector<float> pluck (const VelocityMapper& m, int velocity)
{
    lab::StringRig rig (3);
    FrictionRecord f;
    GestureRecord g;
    m.recordsFor (velocity, f, g);
    rig.voice->pluck.emplace (f, g, rig.voice->sampleRate);
    rig.params.velocityGain = g.amplitude * g.amplitude;
    rig.voice->updateGain();
    rig.fretOnly (0);
    return rig.render (22050);
}

/** Spectral centroid (Hz) of the first 8192 samples. */
double centroid (const std::vector<float>& x)
{
    constexpr int n = 8192;
    std::vector<float> in (x.begin(), x.begin() + n), spectrum (n);
    FFTReal<float> fft (n);
    fft.doFft (in.data(), spectrum.data());
    double weighted = 0, total = 0;
    for (int k = 1; k < n / 2; ++k)
    {
        const double magnitude = std::hypot ((double) spectrum[(size_t) k], (double) spectrum[(size_t) (n / 2 + k)]);
        weighted += magnitude * k * 44100.0 / n;
        total += magnitude;
    }
    return weighted / total;
}
} // namespace

// Through the default curve a harder key plucks louder, with the finger and with the
// pick, by several dB at every step. The timbre stays that of the technique: the
// records of the soft and hard ends differ mostly in strength, so the spectral
// centroid moves little (the figures are printed for the record).
TEST (VelocityMapper, HarderKeysPluckLouder)
{
    for (double blend : {0.0, 1.0})
    {
        VelocityMapper m;
        m.rebuildExcitation (blend);
        double lastLevel = -1e9, lowest = 1e9, highest = 0;
        std::printf ("%s:", blend == 0.0 ? "finger" : "pick");
        for (int velocity : {10, 40, 70, 100, 127})
        {
            const std::vector<float> y = pluck (m, velocity);
            const double level = 20.0 * std::log10 (lab::rms (y, 0, y.size()));
            const double c = centroid (y);
            std::printf ("  v%d %.1f dB %.0f Hz", velocity, level, c);
            EXPECT_GT (level, lastLevel + 3.0) << blend << " " << velocity;
            lastLevel = level;
            if (velocity >= 40) // the softest pick barely sounds
            {
                lowest = std::min (lowest, c);
                highest = std::max (highest, c);
            }
        }
        std::printf ("\n");
        EXPECT_LT (highest / lowest, 1.2) << "the same technique at every strength";
    }
}
