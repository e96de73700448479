#include "processor/TovalinPlugin.h"
#include "tests/ProcessorInternals.h"
#include "tests/support/AllocationCounter.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <atomic>
#include <cstdlib>
#include <new>

#include <xmmintrin.h>

using namespace tovalin;

namespace
{
juce::MidiBuffer noteOnAt (int sample, int note = 64, int channel = 1)
{
    juce::MidiBuffer m;
    m.addEvent (juce::MidiMessage::noteOn (channel, note, (juce::uint8) 100), sample);
    return m;
}

void fillWith (juce::AudioBuffer<float>& b, float v)
{
    for (int c = 0; c < b.getNumChannels(); ++c)
        juce::FloatVectorOperations::fill (b.getWritePointer (c), v, b.getNumSamples());
}

struct Processor : ::testing::Test
{
    TovalinPlugin plugin;

    void prepare (double rate, int block, int channels = 2)
    {
        plugin.setPlayConfigDetails (0, channels, rate, block);
        plugin.prepareToPlay (rate, block);
    }

    void process (juce::AudioBuffer<float>& buffer, juce::MidiBuffer midi = {}) { plugin.processBlock (buffer, midi); }
};
} // namespace

TEST_F (Processor, PresentsItselfAsAnInstrument)
{
    EXPECT_EQ (plugin.getName(), juce::String ("Tovalin"));
    EXPECT_TRUE (plugin.acceptsMidi());
    EXPECT_FALSE (plugin.producesMidi());
    EXPECT_FALSE (inside (plugin).disabled);
    EXPECT_TRUE (inside (plugin).constructed);
    EXPECT_EQ (plugin.getOutputChannelName (0), juce::String ("1"));
}

TEST_F (Processor, AnUnsupportedRateIsAcceptedButSilent)
{
    prepare (50000, 256);
    EXPECT_FALSE (inside (plugin).rateSupported);
    EXPECT_FLOAT_EQ (inside (plugin).hostSampleRate, 50000.0f);
    juce::AudioBuffer<float> buffer (2, 256);
    fillWith (buffer, 0.7f);
    process (buffer, noteOnAt (10));
    EXPECT_EQ (buffer.getMagnitude (0, 256), 0.0f);
    EXPECT_EQ (buffer.getMagnitude (1, 0, 256), 0.0f);

    prepare (48000, 256);
    EXPECT_TRUE (inside (plugin).rateSupported);
    plugin.releaseResources();
    EXPECT_TRUE (inside (plugin).rateSupported);
}

TEST_F (Processor, ABlockBeforePreparationIsSilent)
{
    juce::AudioBuffer<float> buffer (2, 64);
    fillWith (buffer, 0.3f);
    process (buffer);
    EXPECT_EQ (buffer.getMagnitude (0, 64), 0.0f);
}

TEST_F (Processor, EveryOutputChannelGetsChannelZero)
{
    for (int channels : {1, 2, 4})
    {
        prepare (96000, 128, channels);
        float loudest = 0.0f;
        for (int b = 0; b < 12; ++b) // past the body filter's latency
        {
            juce::AudioBuffer<float> buffer (channels, 128);
            fillWith (buffer, 0.25f);
            if (b == 0)
                process (buffer, noteOnAt (3));
            else
                process (buffer);
            for (int c = 1; c < channels; ++c)
                for (int i = 0; i < 128; ++i)
                    ASSERT_EQ (buffer.getSample (c, i), buffer.getSample (0, i)) << channels << " channels";
            loudest = std::max (loudest, buffer.getMagnitude (0, 0, 128));
        }
        EXPECT_GT (loudest, 0.0f) << "the note sounds";
    }
}

TEST_F (Processor, ANoteOnChannelOneIsQueuedForTheChordDetectionDelay)
{
    prepare (44100, 512);
    plugin.setPreference ("chordsDetectionDelay", 1000);
    juce::AudioBuffer<float> buffer (2, 512);
    process (buffer, noteOnAt (100));
    ASSERT_EQ (inside (plugin).guitarist.queue().size(), 1);
    EXPECT_EQ (inside (plugin).guitarist.queue().front().time, 100 + 1000 - 512);

    // A note-off before its start cancels it.
    juce::MidiBuffer off;
    off.addEvent (juce::MidiMessage::noteOff (1, 64), 0);
    process (buffer, off);
    EXPECT_TRUE (inside (plugin).guitarist.queue().empty());
}

TEST_F (Processor, WithNoDelayTheGestureIsPlayedInsideItsBlock)
{
    prepare (44100, 512);
    plugin.setPreference ("chordsDetectionDelay", 0);
    juce::AudioBuffer<float> buffer (2, 512);
    process (buffer, noteOnAt (100));
    EXPECT_TRUE (inside (plugin).guitarist.queue().empty());
}

// At 192 kHz the leftover from the previous block shortens the chunk, so events in
// the block's last samples map beyond it; they are delivered all the same, in order.
TEST_F (Processor, EventsBeyondTheChunkAreStillDelivered)
{
    prepare (192000, 64);
    plugin.setPreference ("chordsDetectionDelay", 100000);
    juce::AudioBuffer<float> buffer (2, 64);
    for (int i = 0; i < 5 && inside (plugin).rateConverter.pendingOverflow() == 0; ++i)
        process (buffer);
    ASSERT_GT (inside (plugin).rateConverter.pendingOverflow(), 0);

    juce::MidiBuffer midi;
    midi.addEvent (juce::MidiMessage::noteOn (1, 60, (juce::uint8) 90), 62);
    midi.addEvent (juce::MidiMessage::noteOn (1, 62, (juce::uint8) 90), 63);
    process (buffer, midi);
    ASSERT_EQ (inside (plugin).guitarist.queue().size(), 2);
    EXPECT_EQ (inside (plugin).guitarist.queue().at (0).note, 60);
    EXPECT_EQ (inside (plugin).guitarist.queue().at (1).note, 62);
}

// A block no longer than the leftover renders nothing; its events wait for the next one.
TEST_F (Processor, EventsOfABlockThatRendersNothingAreDeliveredNext)
{
    prepare (192000, 512);
    plugin.setPreference ("chordsDetectionDelay", 100000);
    juce::AudioBuffer<float> big (2, 509);
    process (big);
    ASSERT_GE (inside (plugin).rateConverter.pendingOverflow(), 1);

    juce::AudioBuffer<float> one (2, 1);
    process (one, noteOnAt (0, 70));
    if (inside (plugin).guitarist.queue().empty())
    {
        process (one);
        process (big);
    }
    ASSERT_EQ (inside (plugin).guitarist.queue().size(), 1);
    EXPECT_EQ (inside (plugin).guitarist.queue().front().note, 70);
}

TEST_F (Processor, BlocksLongerThanOneChunkPlaceEventsByTheirTime)
{
    prepare (44100, 512);
    plugin.setPreference ("chordsDetectionDelay", 1000000);
    juce::AudioBuffer<float> buffer (2, 20000);
    process (buffer, noteOnAt (15000));
    ASSERT_EQ (inside (plugin).guitarist.queue().size(), 1);
    EXPECT_EQ (inside (plugin).guitarist.queue().front().time, 15000 + 1000000 - 20000);
}

TEST_F (Processor, MalformedAndSystemMessagesAreIgnored)
{
    prepare (48000, 256);
    plugin.setPreference ("chordsDetectionDelay", 100000);
    juce::MidiBuffer midi;
    const juce::uint8 truncatedNoteOn[] = {0x90, 60};
    const juce::uint8 sysex[] = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
    const juce::uint8 clock[] = {0xF8};
    const juce::uint8 strayData[] = {0x40, 0x40, 0x40};
    midi.addEvent (truncatedNoteOn, 2, 1);
    midi.addEvent (sysex, 6, 2);
    midi.addEvent (clock, 1, 3);
    midi.addEvent (strayData, 3, 4);
    midi.addEvent (juce::MidiMessage::noteOn (1, 64, (juce::uint8) 1), 5);
    juce::AudioBuffer<float> buffer (2, 256);
    process (buffer, midi);
    ASSERT_EQ (inside (plugin).guitarist.queue().size(), 1);
    EXPECT_EQ (inside (plugin).guitarist.queue().front().note, 64);
}

TEST_F (Processor, TheHostsFloatingPointStateIsRestored)
{
    prepare (88200, 128);
    const unsigned int before = _mm_getcsr();
    _mm_setcsr (before & ~0x8040u);
    const unsigned int hostState = _mm_getcsr() & ~0x3Fu;
    juce::AudioBuffer<float> buffer (2, 128);
    process (buffer, noteOnAt (5));
    EXPECT_EQ (_mm_getcsr() & ~0x3Fu, hostState);
    _mm_setcsr (before);
}

TEST_F (Processor, ResetEngineClearsTheFingeringAndTheQueue)
{
    prepare (44100, 256);
    plugin.setPreference ("chordsDetectionDelay", 100000);
    juce::AudioBuffer<float> buffer (2, 256);
    process (buffer, noteOnAt (5));
    inside (plugin).fingering.setString (0, 52, 0, StringState::Single);
    plugin.resetEngine();
    EXPECT_TRUE (inside (plugin).guitarist.queue().empty());
    EXPECT_EQ (inside (plugin).fingering.note[0], -1);
    EXPECT_EQ (inside (plugin).fingering.state[0], StringState::Free);
}

TEST_F (Processor, ProcessBlockDoesNotAllocateInSteadyState)
{
    if (! heap::allocationsAreCounted())
        GTEST_SKIP() << "allocations are counted in ordinary builds";
    for (int rate : {44100, 48000, 192000, 22050})
    {
        prepare (rate, 512);
        plugin.setPreference ("chordsDetectionDelay", 300);
        juce::AudioBuffer<float> buffer (2, 512);
        juce::MidiBuffer midi;
        midi.ensureSize (1024);
        process (buffer, midi);

        for (int i = 0; i < 8; ++i)
            midi.addEvent (juce::MidiMessage::noteOn (1, 52 + i * 3, (juce::uint8) 100), i * 60);
        midi.addEvent (juce::MidiMessage::controllerEvent (1, 64, 127), 7);
        midi.addEvent (juce::MidiMessage::pitchWheel (1, 9000), 8);
        // Mapped sources of the default set: vibrato, a held mode and a latched one.
        midi.addEvent (juce::MidiMessage::controllerEvent (1, 1, 40), 9);
        midi.addEvent (juce::MidiMessage::noteOn (1, 48, (juce::uint8) 90), 10);
        midi.addEvent (juce::MidiMessage::noteOff (1, 48), 200);
        midi.addEvent (juce::MidiMessage::noteOn (1, 51, (juce::uint8) 90), 210);

        juce::AudioBuffer<float> odd (2, 1);
        heap::resetCountedAllocations();
        heap::countAllocationsOnThisThread (true);
        for (int i = 0; i < 20; ++i)
            plugin.processBlock (buffer, midi);
        for (int i = 0; i < 20; ++i)
            plugin.processBlock (odd, midi);
        heap::countAllocationsOnThisThread (false);
        EXPECT_EQ (heap::countedAllocations(), 0) << rate << "\n" << heap::whereCountedAllocationsWere();
    }
}

TEST_F (Processor, StateChunkRoundTripsAndForeignDataIsIgnored)
{
    juce::MemoryBlock state;
    plugin.getStateInformation (state);
    const auto xml = juce::AudioProcessor::getXmlFromBinary (state.getData(), (int) state.getSize());
    ASSERT_NE (xml, nullptr);
    EXPECT_TRUE (xml->hasTagName ("TovalinSettings"));
    plugin.setStateInformation (state.getData(), (int) state.getSize());

    const char garbage[] = "VC2!\xff\xff\xff\x7f<not xml";
    plugin.setStateInformation (garbage, (int) sizeof (garbage));
    plugin.setStateInformation (nullptr, 0);
    EXPECT_TRUE (inside (plugin).constructed);
}

TEST_F (Processor, PreferencesFollowTheirRangeRules)
{
    EXPECT_TRUE (plugin.setPreference ("samplesOfLatency", 300));
    EXPECT_EQ (inside (plugin).settings.samplesOfLatency, 512);
    EXPECT_TRUE (plugin.setPreference ("samplesOfLatency", 0));
    EXPECT_EQ (inside (plugin).settings.samplesOfLatency, 2);
    EXPECT_TRUE (plugin.setPreference ("harmonics", 0));
    EXPECT_EQ (inside (plugin).settings.harmonics, 1);
    EXPECT_TRUE (plugin.setPreference ("performanceLevel", 7));
    EXPECT_EQ (inside (plugin).settings.performanceLevel, 2);
    EXPECT_TRUE (plugin.setPreference ("bend", -1));
    EXPECT_EQ (inside (plugin).settings.bend, 0);
    EXPECT_TRUE (plugin.setPreference ("chordsDetectionDelay", 441));
    EXPECT_EQ (inside (plugin).guitarist.chordDetectionDelay, 441);
    EXPECT_FALSE (plugin.setPreference ("volume", 1));
}

TEST_F (Processor, ParameterChangesOnTheAudioThreadDoNotAllocate)
{
    if (! heap::allocationsAreCounted())
        GTEST_SKIP() << "allocations are counted in ordinary builds";
    prepare (44100, 256);
    juce::AudioBuffer<float> buffer (2, 256);
    process (buffer);
    const juce::ScopedLock sl (plugin.getCallbackLock()); // as a mapped action runs
    heap::resetCountedAllocations();
    heap::countAllocationsOnThisThread (true);
    for (int i = 0; i < 10; ++i)
    {
        plugin.setParameter (ParameterTable::Volume, 0.1f * (float) i);
        plugin.setParameter (ParameterTable::PitchBend, 0.05f * (float) i);
        plugin.setParameter (ParameterTable::ToggleLegato, (float) (i % 2));
        plugin.setParameter (ParameterTable::Color, 0.1f * (float) i);
    }
    heap::countAllocationsOnThisThread (false);
    EXPECT_EQ (heap::countedAllocations(), 0) << heap::whereCountedAllocationsWere();
}

TEST_F (Processor, TheReportedLatencyIsTheChordDelayAndTheBodyFilterInHostSamples)
{
    plugin.setPreference ("chordsDetectionDelay", 441); // 10 ms
    prepare (44100, 256);
    const int partition = inside (plugin).convolver.partitionLength();
    EXPECT_EQ (partition, 256); // the default latency preference
    EXPECT_EQ (plugin.getLatencySamples(), 441 + partition);
    prepare (96000, 256);
    EXPECT_NEAR (plugin.getLatencySamples(), (441 + partition) * 96000.0 / 44100.0, 1.0);
    plugin.setPreference ("chordsDetectionDelay", 0);
    EXPECT_NEAR (plugin.getLatencySamples(), partition * 96000.0 / 44100.0, 1.0);
}

// Hosts stop calling an instrument once its reported tail has passed after the last
// note: the tail must cover the string's release and the body and room's ring.
TEST_F (Processor, TailCoversTheReleaseAndTheBodyAndRoomRing)
{
    prepare (44100, 256);
    plugin.setPreference ("chordsDetectionDelay", 0);
    plugin.getParameters()[ParameterTable::Mix]->setValueNotifyingHost (1.0f);
    plugin.getParameters()[ParameterTable::RoomType]->setValueNotifyingHost (1.0f);
    const double tail = plugin.getTailLengthSeconds();
    ASSERT_GT (tail, 0.5);

    std::vector<float> out;
    juce::AudioBuffer<float> buffer (2, 256);
    const int noteOffAt = 44100 / 2;
    for (int pos = 0; pos < noteOffAt + (int) (tail * 44100.0 * 1.5); pos += 256)
    {
        juce::MidiBuffer midi;
        if (pos == 0)
            midi.addEvent (juce::MidiMessage::noteOn (2, 57, (juce::uint8) 110), 0);
        if (noteOffAt >= pos && noteOffAt < pos + 256)
            midi.addEvent (juce::MidiMessage::noteOff (2, 57), noteOffAt - pos);
        process (buffer, midi);
        out.insert (out.end(), buffer.getReadPointer (0), buffer.getReadPointer (0) + 256);
    }
    float peak = 0.0f;
    int lastAudible = 0;
    for (size_t i = 0; i < out.size(); ++i)
        peak = std::max (peak, std::abs (out[i]));
    for (size_t i = 0; i < out.size(); ++i)
        if (std::abs (out[i]) > peak * 1e-5f)
            lastAudible = (int) i;
    const int reportedEnd = noteOffAt + (int) (tail * 44100.0) + plugin.getLatencySamples() + 256;
    EXPECT_LE (lastAudible, reportedEnd);
    // Not grossly over-reported either: the ring lasts most of the reported tail.
    EXPECT_GT (lastAudible, noteOffAt + (int) (tail * 44100.0 * 0.5));
}
