#include "engine/SimdPath.h"
#include "tools/lab/AudioAnalysis.h"
#include "tools/lab/StringRig.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace tovalin;
using namespace tovalin::lab;

TEST (StringVoice, APluckedStringRingsAndDecays)
{
    for (int s = 0; s < StringCount; ++s)
    {
        StringRig rig (s);
        rig.play (0, 100);
        const auto y = rig.render (EngineSampleRate * 3);
        const double early = rms (y, 4410, 4410), late = rms (y, (size_t) EngineSampleRate * 2, 4410);
        EXPECT_GT (early, 1e-4) << s;
        EXPECT_LT (late, early) << s;
        EXPECT_GT (late, early * 1e-3) << "still ringing after 2 s, string " << s;
        const double t60 = decayTimeT60 (y, openStringFrequency (s), EngineSampleRate, 22050, 8, 8192);
        EXPECT_GT (t60, 1.0) << s;
        EXPECT_LT (t60, 30.0) << s;
    }
}

TEST (StringVoice, AReleasedStringIsSilentAfter50MsAndIdle)
{
    StringRig rig (2);
    rig.play (3, 100);
    rig.render (EngineSampleRate / 2);
    rig.release();
    const auto y = rig.render (2205 + 200);
    EXPECT_TRUE (rig.voice->idle);
    for (size_t i = 2205; i < y.size(); ++i)
        ASSERT_EQ (y[i], 0.0f) << i;
    EXPECT_FALSE (rig.voice->pluck || rig.voice->fretting || rig.voice->damping || rig.voice->touch);

    // Idle voices are skipped: no samples, the buffer untouched.
    std::vector<float> buffer (64, 0.25f);
    EXPECT_FALSE (rig.voice->render (64, buffer.data(), 0));
    EXPECT_TRUE (std::all_of (buffer.begin(), buffer.end(), [] (float v) { return v == 0.25f; }));
    EXPECT_FALSE (rig.voice->render (0, buffer.data(), 0));
}

TEST (StringVoice, TheReleaseFadeHalvesAt25Ms)
{
    StringRig rig (1);
    rig.play (0, 100);
    rig.render (EngineSampleRate);
    // Free ringing, then the same string released: the ratio is the fade.
    StringRig twin (1);
    twin.play (0, 100);
    twin.render (EngineSampleRate);
    twin.release();
    const auto free = rig.render (2205);
    const auto faded = twin.render (2205);
    const double atHalf = rms (faded, 1000, 200) / rms (free, 1000, 200);
    EXPECT_NEAR (atHalf, 0.5, 0.08);
    EXPECT_LT (rms (faded, 2000, 200) / rms (free, 2000, 200), 0.05);
}

TEST (StringVoice, GainChangesCrossfadeAndTinyOnesAreIgnored)
{
    StringRig rig (3);
    // An idle voice takes its gain at once.
    rig.params.velocityGain = 0.5f;
    rig.voice->updateGain();
    EXPECT_FLOAT_EQ (rig.voice->currentGain(), rig.params.volumeFactor * 0.5f);
    EXPECT_FALSE (rig.voice->gainFading);

    rig.play (0, 100);
    rig.render (1000);
    const float before = rig.voice->currentGain();
    rig.params.velocityGain += 0.00005f / rig.params.volumeFactor;
    rig.voice->updateGain();
    EXPECT_FALSE (rig.voice->gainFading) << "a change of 0.0001 or less is ignored";

    rig.params.velocityGain = 0.1f;
    rig.voice->updateGain();
    EXPECT_TRUE (rig.voice->gainFading);
    rig.render (1102);
    const float mid = rig.voice->currentGain();
    const float target = rig.params.volumeFactor * 0.1f;
    EXPECT_NEAR ((mid - before) / (target - before), 0.5, 0.03);
    rig.render (4410 - 1102);
    EXPECT_FALSE (rig.voice->gainFading);
    EXPECT_EQ (rig.voice->currentGain(), target);
}

TEST (StringVoice, FretsOnHarmonicNodesDropThoseModesFromThePluck)
{
    StringRig rig (0);
    struct Case
    {
        int fret, divisor;
    };
    for (const Case c : {Case{12, 2}, Case{7, 3}, Case{5, 4}})
    {
        rig.voice->setFret (c.fret);
        rig.model->refreshPluckInput();
        for (int i = 0; i < rig.model->modeCount; ++i)
        {
            const bool node = (i + 1) % c.divisor == 0;
            if (node)
                ASSERT_EQ (rig.model->pluckInput[i], 0.0f) << "fret " << c.fret << " mode " << i + 1;
            else
                ASSERT_EQ (rig.model->pluckInput[i], rig.model->inputGain[i] * rig.model->pluckShapeRest[i]);
        }
    }
    rig.voice->setFret (3);
    rig.model->refreshPluckInput();
    for (int i = 0; i < rig.model->modeCount; ++i)
        ASSERT_EQ (rig.model->pluckShape[i], rig.model->pluckShapeRest[i]) << "restored, mode " << i + 1;
}

TEST (StringVoice, ALetRingStringDecaysFreelyAndTwoVoicesAdd)
{
    StringRig a (4), b (4);
    a.play (2, 90);
    b.play (2, 90);
    a.render (EngineSampleRate / 2);
    b.render (EngineSampleRate / 2);
    EXPECT_FALSE (a.voice->pluck) << "the pluck has finished";
    a.voice->fretting.reset();
    b.voice->fretting.reset();
    std::vector<float> sum (4096, 0.0f), one (4096, 0.0f);
    a.voice->render (4096, sum.data(), 0);
    b.voice->render (4096, sum.data(), 0);
    StringRig c (4);
    c.play (2, 90);
    c.render (EngineSampleRate / 2);
    c.voice->fretting.reset();
    c.voice->render (4096, one.data(), 0);
    for (size_t i = 0; i < one.size(); ++i)
        ASSERT_NEAR (sum[i], 2.0f * one[i], 1e-7f + 1e-5f * std::abs (one[i]));
}

// Interleaved rendering of several voices gives exactly the samples of rendering them
// one after another, including voices that fall idle inside the run.
TEST (StringVoice, InterleavedRenderingEqualsOneAfterAnother)
{
    auto makeSet = []
    {
        std::vector<std::unique_ptr<StringRig>> rigs;
        for (int s = 0; s < StringCount; ++s)
        {
            rigs.push_back (std::make_unique<StringRig> (s));
            rigs.back()->play (s, 40 + 15 * s);
        }
        rigs[2]->render (3000);
        rigs[2]->release(); // goes idle 2205 samples into the run
        return rigs;
    };
    auto a = makeSet(), b = makeSet();
    std::vector<float> sequential (4096, 0.0f), interleaved (4096, 0.0f);
    for (auto& rig : a)
        rig->voice->render (4096, sequential.data(), 0);
    StringVoice* voices[StringCount];
    for (int s = 0; s < StringCount; ++s)
        voices[s] = b[(size_t) s]->voice.get();
    EXPECT_TRUE (renderVoices (voices, 6, 4096, interleaved.data(), 0));
    EXPECT_EQ (sequential, interleaved);
    EXPECT_TRUE (b[2]->voice->idle);
}

TEST (StringVoice, HarderPlucksAreLouder)
{
    double previous = 0;
    for (int level : {10, 60, 127})
    {
        StringRig rig (2);
        rig.play (0, level);
        const auto y = rig.render (EngineSampleRate / 2);
        const double r = rms (y, 2000, 8000);
        EXPECT_GT (r, previous) << level;
        previous = r;
    }
}

TEST (StringVoice, APalmTouchDampsAndAHarmonicTouchLeavesTheHarmonic)
{
    StringRig open (1), palm (1);
    open.play (0, 100);
    palm.play (0, 100);
    palm.palmTouch();
    const auto y0 = open.render (EngineSampleRate * 2);
    const auto y1 = palm.render (EngineSampleRate * 2);
    const double f0 = openStringFrequency (1);
    const double openT60 = decayTimeT60 (y0, f0, EngineSampleRate, 8192, 8, 8192);
    const double palmT60 = decayTimeT60 (y1, f0, EngineSampleRate, 8192, 8, 8192);
    EXPECT_LT (palmT60, 0.5 * openT60) << "open " << openT60 << " s, palm " << palmT60 << " s";

    // Touching at fret 12 over the open string leaves the octave harmonic ringing.
    StringPreferences octave;
    octave.harmonics = 1;
    StringRig harmonic (1, 2, {}, octave);
    harmonic.play (0, 100);
    harmonic.harmonicTouch (0);
    const auto yh = harmonic.render (EngineSampleRate);
    const double fundamental = windowedMagnitude (yh, 22050, 16384, f0, EngineSampleRate);
    const double second = windowedMagnitude (yh, 22050, 16384, 2 * f0, EngineSampleRate);
    EXPECT_GT (second, 10.0 * fundamental);
}

// The fast sample loop against a plain scalar model of the same algorithm.
namespace
{
struct ScalarVoice
{
    const StringModel& m;
    std::vector<float> x, xp;
    explicit ScalarVoice (const StringModel& model)
        : m (model), x ((size_t) model.modeCount, 0.0f), xp ((size_t) model.modeCount, 0.0f)
    {
    }

    // Single precision, mode by mode, the output summed in four partial sums (modes
    // i = 0, 1, 2, 3 mod 4) added lanes 1 and 0, then 2, then 3.
    float dot (const Vector<float>& v) const
    {
        float lanes[4] = {0, 0, 0, 0};
        for (int i = 0; i < m.modeCount; ++i)
            lanes[i % 4] += x[(size_t) i] * v[i];
        return ((lanes[1] + lanes[0]) + lanes[2]) + lanes[3];
    }

    // One free-ringing sample.
    float step()
    {
        float lanes[4] = {0, 0, 0, 0};
        for (int i = 0; i < m.modeCount; ++i)
        {
            const float v = m.a1[i] * x[(size_t) i] + m.a2[i] * xp[(size_t) i];
            xp[(size_t) i] = x[(size_t) i];
            x[(size_t) i] = v;
            lanes[i % 4] += v * m.modes.outputWeight[i];
        }
        return ((lanes[1] + lanes[0]) + lanes[2]) + lanes[3];
    }
};
} // namespace

TEST (StringVoice, TheFastLoopsMatchAScalarReference)
{
    // The 4-wide path sums in the reference's order; the 8- and 16-wide paths (where
    // the processor has them) only differ by rounding.
    for (const int width : {4, 8, 16})
    {
        if (width > StringVoice::widestModalWidth())
            continue;
        const bool wide = width > 4;
        for (int s : {0, 3, 5})
        {
            StringRig rig (s);
            rig.voice->modalWidth = width;
            rig.play (0, 100);
            // Run the pluck to its end with the real forces, then compare free ringing
            // from the same state, sample by sample.
            rig.render (EngineSampleRate / 4);
            rig.voice->fretting.reset();
            ASSERT_FALSE (rig.voice->pluck);
            ScalarVoice reference (*rig.model);
            for (int i = 0; i < rig.model->modeCount; ++i)
            {
                reference.x[(size_t) i] = rig.voice->state[i];
                reference.xp[(size_t) i] = rig.voice->previousState[i];
            }
            rig.voice->twangLevel = 0;
            rig.voice->tensionIncrease = 0;
            // Rounding differences grow slowly in resonators this close to the unit
            // circle; 512 samples keep them small while any wrong term shows at once.
            std::vector<float> fast (wide ? 512 : 4096, 0.0f);
            rig.voice->render ((int) fast.size(), fast.data(), 0);
            const float gain = rig.voice->currentGain();
            double worst = 0, scale = 0;
            for (size_t n = 0; n < fast.size(); ++n)
            {
                const double expected = gain * reference.step();
                worst = std::max (worst, std::abs (expected - fast[n]));
                scale = std::max (scale, std::abs (expected));
            }
            EXPECT_LE (worst, (wide ? 1e-4 : 1e-6) * scale) << "string " << s << ", " << width << "-wide";
            // The displacement at a point is a sum with much cancellation: measure its
            // error against the size of the terms.
            const double expectedDot = reference.dot (rig.model->pluckShape);
            double terms = 0;
            for (int i = 0; i < rig.model->modeCount; ++i)
                terms += std::abs ((double) reference.x[(size_t) i] * rig.model->pluckShape[i]);
            EXPECT_NEAR (modalDot (rig.voice->state.data(), rig.model->pluckShape.data(), rig.model->modeCount),
                         expectedDot, (wide ? 1e-4 : 1e-6) * terms);
        }
    }
}

TEST (StringVoice, TheChosenSimdPathSetsTheWidthOfVoicesBuiltAfterwards)
{
    const SimdPath before = activeSimdPath();
    for (SimdPath path : {SimdPath::sse2, SimdPath::avx2, SimdPath::avx512})
    {
        EXPECT_EQ (simdPathFromName (simdPathName (path)), path);
        if ((int) path > (int) widestSimdPath())
        {
            EXPECT_FALSE (selectSimdPath (path)) << simdPathName (path);
            EXPECT_EQ (activeSimdPath(), before);
            continue;
        }
        ASSERT_TRUE (selectSimdPath (path));
        StringRig rig (2);
        EXPECT_EQ (rig.voice->modalWidth, StringVoice::modalWidthOf (path)) << simdPathName (path);
        // Every path plays the string.
        rig.play (0, 100);
        std::vector<float> out (2048, 0.0f);
        rig.voice->render ((int) out.size(), out.data(), 0);
        float peak = 0;
        for (float v : out)
            peak = std::max (peak, std::abs (v));
        EXPECT_GT (peak, 0.0f) << simdPathName (path);
    }
    EXPECT_FALSE (simdPathFromName ("avx"));
    EXPECT_FALSE (simdPathFromName (""));
    selectSimdPath (before);
}
