// Preferences changed after the instrument has started take effect at once, as the
// settings panel and a restored state expect: heard in what the instrument renders.
#include "processor/TovalinPlugin.h"
#include "tests/ProcessorInternals.h"

#include "engine/FFTReal.h"
#include "tools/lab/AudioAnalysis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace tovalin;
using namespace tovalin::lab;

namespace
{
constexpr double rate = 44100.0;
constexpr int block = 256;

struct Player
{
    TovalinPlugin plugin;

    Player()
    {
        plugin.setPreference ("chordsDetectionDelay", 0);
        plugin.setPlayConfigDetails (0, 2, rate, block);
        plugin.prepareToPlay (rate, block);
        setParameter (ParameterTable::Mix, 0.0f);
        setParameter (ParameterTable::Inharmonicity, 0.0f);
        settle();
    }

    void setParameter (int id, float value) { plugin.getParameters()[id]->setValueNotifyingHost (value); }

    /** Lets the precomputation thread install what the last changes asked for. */
    void settle()
    {
        for (int i = 0; i < 5000 && ! inside (plugin).precomputationThread.isSettled(); ++i)
            juce::Thread::sleep (1);
        juce::AudioBuffer<float> buffer (2, block);
        juce::MidiBuffer none;
        const juce::ScopedLock sl (plugin.getCallbackLock());
        plugin.processBlock (buffer, none);
    }

    /** Renders seconds of audio; events are (sample, message) pairs. */
    std::vector<float> render (double seconds, std::vector<std::pair<int, juce::MidiMessage>> events = {})
    {
        std::vector<float> out;
        const int total = (int) (seconds * rate);
        juce::AudioBuffer<float> buffer (2, block);
        for (int pos = 0; pos < total; pos += block)
        {
            juce::MidiBuffer midi;
            for (const auto& [at, m] : events)
                if (at >= pos && at < pos + block)
                    midi.addEvent (m, at - pos);
            {
                const juce::ScopedLock sl (plugin.getCallbackLock());
                plugin.processBlock (buffer, midi);
            }
            out.insert (out.end(), buffer.getReadPointer (0), buffer.getReadPointer (0) + block);
        }
        return out;
    }

    /** The brightest sound: high partials that ring long enough to be measured. */
    void brighten()
    {
        setParameter (ParameterTable::Color, 0.0f);
        setParameter (ParameterTable::AttackPlace, 0.0f);
        setParameter (ParameterTable::ExcitationType, 1.0f);
        settle();
    }

    /** Silence long enough for every string and the body filter to come to rest. */
    void rest() { render (2.0); }

    /** The open low E string (channel 2 plays string 0) for a second, then released. */
    std::vector<float> lowE()
    {
        return render (1.2, {{0, juce::MidiMessage::noteOn (2, 52, (juce::uint8) 110)},
                             {(int) rate, juce::MidiMessage::noteOff (2, 52)}});
    }
};

/** Power in [lo, hi) Hz over the first 8192 samples (the attack), in dB relative to
    the power of the whole spectrum. */
double bandShareDb (const std::vector<float>& x, double lo, double hi)
{
    constexpr int n = 8192;
    FFTReal<float> fft (n);
    std::vector<float> windowed (n), spectrum (n);
    for (int i = 0; i < n; ++i)
        windowed[(size_t) i] = x[(size_t) i] * (float) (0.5 - 0.5 * std::cos (2.0 * pi * i / (n - 1)));
    fft.doFft (windowed.data(), spectrum.data());
    double band = 0.0, total = 0.0;
    for (int k = 1; k < n / 2; ++k)
    {
        const double power = (double) spectrum[(size_t) k] * spectrum[(size_t) k] +
                             (double) spectrum[(size_t) (n / 2 + k)] * spectrum[(size_t) (n / 2 + k)];
        const double f = k * rate / n;
        total += power;
        if (f >= lo && f < hi)
            band += power;
    }
    return 10.0 * std::log10 (band / total + 1e-30);
}
} // namespace

// The low E string has 160 modes at precision 2 (up to about 13 kHz) and 76 at
// precision 0 (up to about 6.5 kHz): the mode count is heard in the spectrum.
TEST (PreferenceEffect, SoundPrecisionChangedAfterStartRebuildsTheStrings)
{
    Player player;
    player.brighten();
    const auto fine = player.lowE();
    ASSERT_TRUE (player.plugin.setPreference ("performanceLevel", 0));
    player.settle();
    player.rest();
    const auto coarse = player.lowE();

    const double fineHigh = bandShareDb (fine, 8000.0, 12000.0);
    const double coarseHigh = bandShareDb (coarse, 8000.0, 12000.0);
    std::printf ("energy 8-12 kHz: precision 2 %.1f dB, precision 0 %.1f dB\n", fineHigh, coarseHigh);
    EXPECT_GT (fineHigh, -80.0);
    EXPECT_LT (coarseHigh, fineHigh - 30.0);
}

TEST (PreferenceEffect, RestoredStateRebuildsForItsSoundPrecision)
{
    Player source;
    source.brighten();
    ASSERT_TRUE (source.plugin.setPreference ("performanceLevel", 0));
    juce::MemoryBlock state;
    source.plugin.getStateInformation (state);

    Player restored;
    restored.brighten();
    const auto before = restored.lowE();
    restored.plugin.setStateInformation (state.getData(), (int) state.getSize());
    restored.settle();
    restored.rest();
    const auto after = restored.lowE();
    EXPECT_LT (bandShareDb (after, 8000.0, 12000.0), bandShareDb (before, 8000.0, 12000.0) - 30.0);

    // And both instruments at precision 0 sound the same (their strings came by
    // different paths, a rebuild and a restore, which round differently).
    source.rest();
    restored.rest();
    const auto a = source.lowE(), b = restored.lowE();
    ASSERT_EQ (a.size(), b.size());
    double difference = 0.0, peak = 0.0;
    for (size_t i = 0; i < a.size(); ++i)
    {
        difference = std::max (difference, (double) std::abs (a[i] - b[i]));
        peak = std::max (peak, (double) std::abs (a[i]));
    }
    EXPECT_GT (peak, 0.001);
    EXPECT_LT (difference, peak * 1e-3);
}

// The pitch wheel bends a fretted note up by the bend preference's range in semitones.
TEST (PreferenceEffect, BendRangeChangedAfterStartBendsThatFar)
{
    auto pitchAfterBend = [] (int range, int wheel)
    {
        Player player;
        EXPECT_TRUE (player.plugin.setPreference ("bend", range));
        player.settle();
        const auto x = player.render (1.0, {{0, juce::MidiMessage::noteOn (5, 72, (juce::uint8) 110)},
                                            {block, juce::MidiMessage::pitchWheel (1, wheel)}});
        // The fretting finger slides at a limited speed: measured once it has arrived.
        return peakFrequency (x, 30000, 8192, 150.0, 400.0, rate);
    };
    const double unbent = pitchAfterBend (3, 8192);
    for (const int range : {3, 2})
        EXPECT_NEAR (cents (pitchAfterBend (range, 16383), unbent), 100.0 * range, 5.0) << "range " << range;
    EXPECT_NEAR (cents (pitchAfterBend (0, 16383), unbent), 0.0, 1.0);
}

// With harmonics on, a note is played as a harmonic: the "harmonics" preference picks
// where the finger touches the open string: 1, at the twelfth fret (every even partial
// sounds, the octave strongest); 2, at the fifth fret (only every fourth partial: the
// octave is silenced, two octaves up sounds).
TEST (PreferenceEffect, HarmonicsPreferenceChangedAfterStartPicksTheHarmonic)
{
    double octaveOverTwoOctaves[2] = {};
    for (const int octaves : {1, 2})
    {
        Player player;
        ASSERT_TRUE (player.plugin.setPreference ("harmonics", octaves));
        player.setParameter (ParameterTable::ToggleHarmonics, 1.0f);
        player.settle();
        const auto x = player.render (1.0, {{0, juce::MidiMessage::noteOn (2, 52, (juce::uint8) 110)}});
        const double octave = windowedMagnitude (x, 4410, 16384, 82.407 * 2.0, rate);
        const double twoOctaves = windowedMagnitude (x, 4410, 16384, 82.407 * 4.0, rate);
        octaveOverTwoOctaves[octaves - 1] = 20.0 * std::log10 (octave / twoOctaves);
    }
    std::printf ("octave over two octaves: harmonics 1 %.1f dB, harmonics 2 %.1f dB\n", octaveOverTwoOctaves[0],
                 octaveOverTwoOctaves[1]);
    EXPECT_GT (octaveOverTwoOctaves[0], 0.0);
    EXPECT_LT (octaveOverTwoOctaves[1], octaveOverTwoOctaves[0] - 20.0);
}

// The latency preference is the body filter's partition: the first sound moves with it,
// and the host is told.
TEST (PreferenceEffect, LatencyChangedAfterStartReloadsTheBodyFilter)
{
    auto onset = [] (const std::vector<float>& x)
    {
        for (size_t i = 0; i < x.size(); ++i)
            if (std::abs (x[i]) > 1e-6f)
                return (int) i;
        return -1;
    };
    Player player;
    player.setParameter (ParameterTable::Mix, 0.3f);
    player.settle();
    const int latencyBefore = player.plugin.getLatencySamples();
    const int onsetBefore = onset (player.lowE());
    ASSERT_TRUE (player.plugin.setPreference ("samplesOfLatency", 1024));
    player.settle();
    player.rest();
    const int latencyAfter = player.plugin.getLatencySamples();
    const int onsetAfter = onset (player.lowE());
    EXPECT_EQ (latencyAfter - latencyBefore, 1024 - 256);
    EXPECT_EQ (onsetAfter - onsetBefore, 1024 - 256);
}
