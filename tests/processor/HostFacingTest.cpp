// What a plug-in host sees of the processor, and what a host may do to it: the
// parameters' permanent ids and reported defaults, the bus layouts, the latency, and
// calls in any order.
#include "processor/HostParameter.h"
#include "processor/TovalinPlugin.h"
#include "tests/ProcessorInternals.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

using namespace tovalin;
using P = ParameterTable;

namespace
{
/** Renders a few notes after prepareToPlay and returns channel 0. */
std::vector<float> renderNotes (TovalinPlugin& plugin, double rate = 44100, int block = 512, int blocks = 60)
{
    plugin.setPlayConfigDetails (0, 2, rate, block);
    plugin.prepareToPlay (rate, block);
    std::vector<float> out;
    juce::AudioBuffer<float> buffer (2, block);
    for (int b = 0; b < blocks; ++b)
    {
        juce::MidiBuffer midi;
        if (b == 2)
        {
            midi.addEvent (juce::MidiMessage::noteOn (1, 64, (juce::uint8) 100), 17);
            midi.addEvent (juce::MidiMessage::noteOn (3, 52, (juce::uint8) 90), 200);
        }
        if (b == 30)
            midi.addEvent (juce::MidiMessage::noteOn (1, 71, (juce::uint8) 110), 5);
        buffer.clear();
        plugin.processBlock (buffer, midi);
        out.insert (out.end(), buffer.getReadPointer (0), buffer.getReadPointer (0) + block);
    }
    return out;
}

double peak (const std::vector<float>& x)
{
    double m = 0.0;
    for (float v : x)
        m = std::max (m, (double) std::abs (v));
    return m;
}

bool allFinite (const juce::AudioBuffer<float>& b)
{
    for (int c = 0; c < b.getNumChannels(); ++c)
        for (int i = 0; i < b.getNumSamples(); ++i)
            if (! std::isfinite (b.getSample (c, i)))
                return false;
    return true;
}

struct LatencyListener : juce::AudioProcessorListener
{
    std::atomic<int> latencyChanges{0};
    void audioProcessorParameterChanged (juce::AudioProcessor*, int, float) override {}
    void audioProcessorChanged (juce::AudioProcessor*, const ChangeDetails& details) override
    {
        if (details.latencyChanged)
            ++latencyChanges;
    }
};
} // namespace

TEST (HostFacing, EveryParameterKeepsItsPermanentStringId)
{
    // Hosts store automation and saved values under these ids: they never change.
    const char* const expected[P::Count] = {"guitarType",
                                            "roomType",
                                            "stringType",
                                            "attackPlace",
                                            "volume",
                                            "impedance",
                                            "color",
                                            "inharmonicity",
                                            "mix",
                                            "excitationType",
                                            "strummingSpeed",
                                            "vibratoFrequency",
                                            "pitchBend",
                                            "toggleHarmonics",
                                            "togglePalm",
                                            "toggleLegato",
                                            "toggleSustain",
                                            "toggleChords",
                                            "vibratoMaxFrequency",
                                            "palmMuteAmount",
                                            "harmonicsAmount",
                                            "twang"};
    TovalinPlugin plugin;
    ASSERT_EQ (plugin.getParameters().size(), P::Count);
    juce::StringArray seen;
    for (int i = 0; i < P::Count; ++i)
    {
        auto* withId = dynamic_cast<juce::AudioProcessorParameterWithID*> (plugin.getParameters()[i]);
        ASSERT_NE (withId, nullptr) << i;
        EXPECT_EQ (withId->getParameterID(), juce::String (expected[i])) << plugin.getParameters()[i]->getName (64);
        seen.addIfNotAlreadyThere (withId->getParameterID());
    }
    EXPECT_EQ (seen.size(), P::Count) << "ids are unique";
}

TEST (HostFacing, TheReportedDefaultsAreWhatAFreshInstancePlays)
{
    // Hosts take the defaults for a fresh instance's values (and Ardour saves them).
    TovalinPlugin plugin;
    const ParameterTable bare{TovalinPlugin::guitarChoices(), TovalinPlugin::roomChoices()};
    int movedByStartupPreset = 0;
    for (auto* p : plugin.getParameters())
    {
        const int i = p->getParameterIndex();
        EXPECT_FLOAT_EQ (p->getDefaultValue(), p->getValue()) << p->getName (64);
        if (std::abs (bare.get (i).value - p->getValue()) > 1.0e-6f)
            ++movedByStartupPreset;
    }
    EXPECT_GT (movedByStartupPreset, 0) << "the startup preset sets values of its own";
}

TEST (HostFacing, AHostThatPushesTheReportedDefaultsChangesNothing)
{
    // A reopened session: the host creates an instance and sets every parameter to the
    // value it stored for a fresh one. The instrument must sound as before.
    TovalinPlugin untouched;
    TovalinPlugin pushed;
    for (auto* p : pushed.getParameters())
        p->setValueNotifyingHost (untouched.getParameters()[p->getParameterIndex()]->getDefaultValue());
    const auto a = renderNotes (untouched);
    const auto b = renderNotes (pushed);
    ASSERT_GT (peak (a), 1.0e-3);
    ASSERT_EQ (a.size(), b.size());
    EXPECT_EQ (a, b);
}

TEST (HostFacing, OnlyTheLayoutsWeMeanAreAccepted)
{
    using Set = juce::AudioChannelSet;
    struct Case
    {
        Set input;
        Set output;
        bool accepted;
    };
    TovalinPlugin plugin;
    for (const Case& c :
         {Case{Set::disabled(), Set::stereo(), true}, Case{Set::disabled(), Set::mono(), true},
          Case{Set::stereo(), Set::stereo(), false}, Case{Set::mono(), Set::stereo(), false},
          Case{Set::disabled(), Set::quadraphonic(), false}, Case{Set::disabled(), Set::discreteChannels (64), false},
          Case{Set::disabled(), Set::disabled(), false}})
    {
        juce::AudioProcessor::BusesLayout layout;
        if (! c.input.isDisabled())
            layout.inputBuses.add (c.input);
        layout.outputBuses.add (c.output);
        EXPECT_EQ (plugin.checkBusesLayoutSupported (layout), c.accepted)
            << c.input.getDescription() << " -> " << c.output.getDescription();
    }
    EXPECT_EQ (plugin.getTotalNumInputChannels(), 0);
    EXPECT_EQ (plugin.getTotalNumOutputChannels(), 2);
}

TEST (HostFacing, TheLatencyFollowsBothPreferencesAndTheHostIsTold)
{
    TovalinPlugin plugin;
    LatencyListener listener;
    plugin.addListener (&listener);
    plugin.setPlayConfigDetails (0, 2, 48000, 256);
    plugin.prepareToPlay (48000, 256);
    const int before = plugin.getLatencySamples();
    EXPECT_GT (before, 0);

    listener.latencyChanges = 0;
    ASSERT_TRUE (plugin.setPreference ("samplesOfLatency", 1024));
    const int largerPartition = plugin.getLatencySamples();
    EXPECT_GT (largerPartition, before) << "a larger partition is a longer delay";
    EXPECT_EQ (inside (plugin).convolver.partitionLength(), 1024);
    EXPECT_GE (listener.latencyChanges.load(), 1);

    listener.latencyChanges = 0;
    ASSERT_TRUE (plugin.setPreference ("chordsDetectionDelay", 2205)); // 50 ms
    EXPECT_NEAR (plugin.getLatencySamples() - largerPartition, 2205 * 48000.0 / 44100.0, 1.0);
    EXPECT_GE (listener.latencyChanges.load(), 1);
    plugin.removeListener (&listener);
}

TEST (HostFacing, CallsInAnyOrderNeitherCrashNorHang)
{
    TovalinPlugin plugin;
    juce::AudioBuffer<float> buffer (2, 300);
    juce::MidiBuffer midi;
    midi.addEvent (juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100), 3);

    // Before any preparation: silence.
    buffer.clear();
    plugin.processBlock (buffer, midi);
    EXPECT_EQ (buffer.getMagnitude (0, 300), 0.0f);

    // A state before preparation, release before preparation and twice.
    juce::MemoryBlock state;
    {
        TovalinPlugin other;
        other.setParameterNotifyingHost (P::StringType, 1.0f);
        other.getStateInformation (state);
    }
    plugin.setStateInformation (state.getData(), (int) state.getSize());
    plugin.releaseResources();
    plugin.releaseResources();

    // Preparations without release, with other rates and block sizes, blocks larger
    // and smaller than announced, and a rate change between two blocks.
    const double rates[] = {44100, 96000, 22050, 48000, 192000, 44100};
    const int blocks[] = {64, 4096, 1, 300, 17, 512};
    for (int k = 0; k < 6; ++k)
    {
        plugin.setPlayConfigDetails (0, 2, rates[k], blocks[k]);
        plugin.prepareToPlay (rates[k], blocks[k]);
        for (int size : {blocks[k], 1, 4096, 300})
        {
            juce::AudioBuffer<float> b (2, size);
            b.clear();
            juce::MidiBuffer m;
            m.addEvent (juce::MidiMessage::noteOn (1, 52 + size % 30, (juce::uint8) 90), size / 2);
            plugin.processBlock (b, m);
            ASSERT_TRUE (allFinite (b)) << rates[k] << " Hz, " << size;
        }
    }
    EXPECT_EQ (inside (plugin).parameters.get (P::StringType).getText(), juce::String ("Steel"));
    plugin.releaseResources();
    plugin.releaseResources();
    buffer.clear();
    plugin.processBlock (buffer, midi); // after release: no crash
    EXPECT_TRUE (allFinite (buffer));
}

TEST (HostFacing, AnInstanceIsDestroyedWhileAnotherPlays)
{
    TovalinPlugin playing;
    playing.setPlayConfigDetails (0, 2, 44100, 256);
    playing.prepareToPlay (44100, 256);
    std::atomic<bool> stop{false};
    std::atomic<int> blocksPlayed{0};
    std::atomic<bool> finite{true};
    std::thread audio (
        [&]
        {
            juce::AudioBuffer<float> b (2, 256);
            int n = 0;
            while (! stop)
            {
                juce::MidiBuffer m;
                if (n++ % 40 == 0)
                    m.addEvent (juce::MidiMessage::noteOn (1, 55 + n % 20, (juce::uint8) 100), 10);
                b.clear();
                const juce::ScopedLock sl (playing.getCallbackLock());
                playing.processBlock (b, m);
                finite = finite && allFinite (b);
                ++blocksPlayed;
            }
        });
    for (int i = 0; i < 3; ++i)
    {
        auto doomed = std::make_unique<TovalinPlugin>();
        renderNotes (*doomed, 48000, 256, 8);
        doomed.reset();
    }
    // The other instance is still playing.
    const int before = blocksPlayed.load();
    while (blocksPlayed.load() < before + 20)
        std::this_thread::yield();
    stop = true;
    audio.join();
    EXPECT_TRUE (finite.load());
}
