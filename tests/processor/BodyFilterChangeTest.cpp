#include "processor/TovalinPlugin.h"
#include "tests/ProcessorInternals.h"
#include "tools/lab/AudioAnalysis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <vector>

using namespace tovalin;
using namespace tovalin::lab;
using P = ParameterTable;

namespace
{
constexpr double rate = 44100.0;
constexpr int block = 256;
constexpr double noteOff = 0.5, length = 2.0;
const double f0 = 110.0; // the open A string

double decibels (double x) { return 20.0 * std::log10 (x + 1e-20); }

struct Change
{
    int id;
    float value;
    bool notifyingHost; // setValueNotifyingHost (an editor's path) or setValue (automation)
};

/** A running instrument (prepared, blocks played) changed through the host's parameter
    calls, then an open A played for half a second: the mono output from the note on. */
std::vector<float> playAfter (const std::vector<Change>& changes, bool recomputesStrings = false)
{
    TovalinPlugin plugin;
    plugin.setPlayConfigDetails (0, 1, rate, block);
    plugin.prepareToPlay (rate, block);
    const int installsBefore = inside (plugin).precomputationThread.installCount();
    const int* installs = recomputesStrings ? &installsBefore : nullptr;
    juce::AudioBuffer<float> buffer (1, block);
    juce::MidiBuffer none;
    for (int i = 0; i < 8; ++i)
        plugin.processBlock (buffer, none);
    for (const auto& c : changes)
    {
        auto* p = plugin.getParameters()[c.id];
        if (c.notifyingHost)
            p->setValueNotifyingHost (c.value);
        else
            p->setValue (c.value);
    }
    for (int i = 0; i < 8; ++i)
        plugin.processBlock (buffer, none);
    // A new guitar also brings the strings its bridge: they are recomputed, and the note
    // is played once they are live, so that each run renders the same samples.
    const auto deadline = juce::Time::getMillisecondCounter() + 20000;
    while (installs != nullptr && inside (plugin).precomputationThread.installCount() <= *installs &&
           juce::Time::getMillisecondCounter() < deadline)
    {
        juce::Thread::sleep (1);
        plugin.processBlock (buffer, none);
    }

    std::vector<float> out;
    const int latency = plugin.getLatencySamples();
    for (int start = 0; start < (int) (length * rate) + latency; start += block)
    {
        juce::MidiBuffer midi;
        if (start == 0)
            midi.addEvent (juce::MidiMessage::noteOn (3, 57, (juce::uint8) 100), 0);
        if (start <= (int) (noteOff * rate) && (int) (noteOff * rate) < start + block)
            midi.addEvent (juce::MidiMessage::noteOff (3, 57), (int) (noteOff * rate) - start);
        plugin.processBlock (buffer, midi);
        out.insert (out.end(), buffer.getReadPointer (0), buffer.getReadPointer (0) + block);
    }
    out.erase (out.begin(), out.begin() + latency);
    return out;
}

size_t at (double seconds) { return (size_t) (seconds * rate); }

/** The tail after the note is released (the room), dB. */
double tailLevel (const std::vector<float>& y) { return decibels (rms (y, at (noteOff + 0.3), at (0.8))); }

/** The tail against the note, dB. */
double tailAgainstNote (const std::vector<float>& y) { return tailLevel (y) - decibels (rms (y, at (0.05), at (0.4))); }

/** The first sixteen partials' levels against the fundamental, dB. */
std::vector<double> partialProfile (const std::vector<float>& y)
{
    const WindowedSegment s (y, (size_t) (0.05 * rate), 16384, rate);
    std::vector<double> levels;
    for (int n = 1; n <= 16; ++n)
        levels.push_back (decibels (s.magnitude (s.peakFrequency ((n - 0.3) * f0, (n + 0.3) * f0))));
    for (size_t n = levels.size(); n-- > 0;)
        levels[n] -= levels[0];
    return levels;
}
} // namespace

// "Room type" and "Mix", changed through the host while the instrument runs, rebuild
// the body filter: a large room rings on after the note, more of it rings louder.
TEST (BodyFilterChange, RoomAndMixChangesAreHeardInTheTail)
{
    const auto small = playAfter ({{P::Mix, 1.0f, true}, {P::RoomType, 0.0f, false}});
    const auto large = playAfter ({{P::Mix, 1.0f, true}, {P::RoomType, 1.0f, false}});
    const auto largeLittleMix = playAfter ({{P::RoomType, 1.0f, true}, {P::Mix, 0.0f, false}});
    std::printf (
        "tail against the note: Small 1 %.1f dB, Large 2 %.1f dB; tail of Large 2 at Mix 1 / 0: %.1f / %.1f dB\n",
        tailAgainstNote (small), tailAgainstNote (large), tailLevel (large), tailLevel (largeLittleMix));
    EXPECT_GT (tailAgainstNote (large) - tailAgainstNote (small), 10.0) << "the larger room rings longer";
    EXPECT_GT (tailLevel (large) - tailLevel (largeLittleMix), 8.0) << "Mix sets how much of the room is heard";
}

// "Guitar type" changed through the host brings that guitar's body: the partials'
// balance differs from one guitar to another.
TEST (BodyFilterChange, AGuitarChangeIsHeardInTheSpectrum)
{
    const float jumbo = 7.0f / 8.0f, flamenco = 1.0f / 8.0f;
    const auto oneGuitar = partialProfile (playAfter ({{P::GuitarType, flamenco, true}}, true));
    const auto other = partialProfile (playAfter ({{P::GuitarType, jumbo, false}}, true));
    double largest = 0;
    for (size_t n = 0; n < oneGuitar.size(); ++n)
        largest = std::max (largest, std::abs (other[n] - oneGuitar[n]));
    std::printf ("largest difference in a partial's level: %.1f dB\n", largest);
    EXPECT_GT (largest, 6.0);
}
