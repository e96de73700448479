#include "processor/TovalinPlugin.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <vector>

using namespace tovalin;
using P = ParameterTable;

namespace
{
/** A performance through the chord-detection queue (channel 1: a strummed chord, single
    notes, releases); with everything else the block loop takes, also single notes on
    their own strings (channels 2 to 7), the mod and pitch wheels (mapped to vibrato and
    bend) and the palm and legato keys, which act at once. */
juce::MidiBuffer performance (double rate, bool immediateEvents)
{
    juce::MidiBuffer m;
    auto at = [rate] (double seconds) { return (int) std::lround (seconds * rate); };
    for (int note : {60, 64, 67})
        m.addEvent (juce::MidiMessage::noteOn (1, note, (juce::uint8) 96), at (0.01));
    for (int note : {60, 64, 67})
        m.addEvent (juce::MidiMessage::noteOff (1, note), at (1.0));
    if (immediateEvents)
    {
        m.addEvent (juce::MidiMessage::controllerEvent (1, 1, 100), at (0.4));
        m.addEvent (juce::MidiMessage::pitchWheel (1, 12000), at (0.6));
        m.addEvent (juce::MidiMessage::pitchWheel (1, 8192), at (0.8));
        m.addEvent (juce::MidiMessage::controllerEvent (1, 1, 0), at (0.9));
        m.addEvent (juce::MidiMessage::noteOn (1, 48, (juce::uint8) 100), at (1.05)); // palm on
        m.addEvent (juce::MidiMessage::noteOn (2, 55, (juce::uint8) 110), at (1.1));
        m.addEvent (juce::MidiMessage::noteOn (3, 59, (juce::uint8) 70), at (1.3));
        m.addEvent (juce::MidiMessage::noteOn (1, 48, (juce::uint8) 100), at (1.6));  // palm off
        m.addEvent (juce::MidiMessage::noteOn (1, 47, (juce::uint8) 100), at (1.65)); // legato on
    }
    m.addEvent (juce::MidiMessage::noteOn (1, 69, (juce::uint8) 90), at (1.7));
    m.addEvent (juce::MidiMessage::noteOn (1, 71, (juce::uint8) 90), at (1.9));
    m.addEvent (juce::MidiMessage::noteOff (1, 69), at (1.95));
    m.addEvent (juce::MidiMessage::noteOff (1, 71), at (2.3));
    return m;
}

/** Mono output of the performance on a fresh instrument, in blocks of blockSize. */
std::vector<float> render (double rate, int blockSize, bool immediateEvents = true, double seconds = 3.0)
{
    TovalinPlugin plugin;
    plugin.setPreference ("chordsDetectionDelay", 441);
    plugin.getParameters()[P::StringType]->setValueNotifyingHost (1.0f);
    plugin.setPlayConfigDetails (0, 1, rate, blockSize);
    plugin.prepareToPlay (rate, blockSize);
    const juce::MidiBuffer all = performance (rate, immediateEvents);
    juce::AudioBuffer<float> buffer (1, blockSize);
    std::vector<float> out;
    for (int start = 0; start < (int) (seconds * rate); start += blockSize)
    {
        juce::MidiBuffer midi;
        midi.addEvents (all, start, blockSize, -start);
        plugin.processBlock (buffer, midi);
        out.insert (out.end(), buffer.getReadPointer (0), buffer.getReadPointer (0) + blockSize);
    }
    out.resize ((size_t) (seconds * rate));
    return out;
}

float peakOf (const std::vector<float>& x)
{
    float peak = 0;
    for (float v : x)
        peak = std::max (peak, std::abs (v));
    return peak;
}
} // namespace

// Same input, settings and block size on one machine: the same samples, bit for bit.
TEST (Determinism, TheSamePerformanceRendersTheSameSamples)
{
    for (const auto& [rate, blockSize] : {std::pair{44100.0, 256}, std::pair{48000.0, 480}})
    {
        const auto first = render (rate, blockSize), second = render (rate, blockSize);
        ASSERT_EQ (first.size(), second.size());
        ASSERT_GT (peakOf (first), 0.01f) << "the performance sounds";
        size_t differing = 0;
        for (size_t i = 0; i < first.size(); ++i)
            differing += first[i] != second[i] ? 1 : 0;
        EXPECT_EQ (differing, 0u) << rate << " Hz, blocks of " << blockSize;
    }
}

// Another block size is another input, but every event acts on its own sample: what
// still moves with the block size (playing changes and string installs take effect at a
// block's start) stays far below the sound.
TEST (Determinism, AnotherBlockSizeSoundsTheSame)
{
    const auto reference = render (44100.0, 256);
    const float peak = peakOf (reference);
    ASSERT_GT (peak, 0.01f);
    for (int blockSize : {64, 100, 1024})
    {
        const auto other = render (44100.0, blockSize);
        float difference = 0;
        for (size_t i = 0; i < reference.size(); ++i)
            difference = std::max (difference, std::abs (reference[i] - other[i]));
        EXPECT_LT (difference, peak * 1e-3f) << "blocks of " << blockSize;
    }
}

// A note sounds from its sample position in the host block, whatever the block size:
// a single note and a chord through the chord-detection queue, and a note on its own
// string's channel, which skips the queue.
TEST (Determinism, NotesSoundFromTheirSamplePosition)
{
    struct Case
    {
        const char* what;
        int channel;
        std::vector<int> notes;
        int chordDetectionDelay = 0;
    };
    auto onset = [] (const Case& c, int blockSize, int noteAt)
    {
        TovalinPlugin plugin;
        plugin.setPreference ("chordsDetectionDelay", c.chordDetectionDelay);
        plugin.setPlayConfigDetails (0, 1, 44100.0, blockSize);
        plugin.prepareToPlay (44100.0, blockSize);
        juce::AudioBuffer<float> buffer (1, blockSize);
        for (int start = 0; start < 8192; start += blockSize)
        {
            juce::MidiBuffer midi;
            if (start <= noteAt && noteAt < start + blockSize)
                for (int note : c.notes)
                    midi.addEvent (juce::MidiMessage::noteOn (c.channel, note, (juce::uint8) 96), noteAt - start);
            plugin.processBlock (buffer, midi);
            for (int i = 0; i < blockSize; ++i)
                if (std::abs (buffer.getSample (0, i)) > 1e-6f)
                    return start + i;
        }
        return -1;
    };
    const Case cases[] = {
        {"a single note on channel 1", 1, {64}},
        {"a chord on channel 1", 1, {60, 64, 67}},
        {"a single note on channel 1, 10 ms chord detection", 1, {64}, 441},
        {"a chord on channel 1, 10 ms chord detection", 1, {60, 64, 67}, 441},
        {"a note on channel 4 (the D string)", 4, {64}},
    };
    const int latency = 256; // the body filter's partition at the default latency preference
    for (const Case& c : cases)
        for (int blockSize : {64, 256, 1024})
            for (int noteAt : {441, 700})
            {
                const int heard = onset (c, blockSize, noteAt);
                // The pluck takes a few tens of samples to release the string.
                // A recognised chord may start before the detection delay has run out, but
                // never before its notes arrived.
                const bool waitsForTheDelay = c.notes.size() == 1;
                const int earliest = noteAt + latency + (waitsForTheDelay ? c.chordDetectionDelay : 0);
                EXPECT_GE (heard, earliest) << c.what << " at " << noteAt << ", blocks of " << blockSize;
                EXPECT_LE (heard, noteAt + c.chordDetectionDelay + latency + 100)
                    << c.what << " at " << noteAt << ", blocks of " << blockSize;
            }
}
