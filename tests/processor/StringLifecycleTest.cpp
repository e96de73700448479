#include "processor/TovalinPlugin.h"
#include "tests/ProcessorInternals.h"

#include "engine/StringConstants.h"
#include "engine/StringPrecomputation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <random>
#include <thread>

using namespace tovalin;

namespace
{
struct Host
{
    TovalinPlugin plugin;
    juce::AudioBuffer<float> buffer{2, 256};
    std::vector<float> recorded;

    Host()
    {
        plugin.setPlayConfigDetails (0, 2, 44100, 256);
        plugin.prepareToPlay (44100, 256);
    }

    /** One block as a host plays it: under the callback lock. */
    void block (juce::MidiBuffer midi = {})
    {
        const juce::ScopedLock sl (plugin.getCallbackLock());
        plugin.processBlock (buffer, midi);
        recorded.insert (recorded.end(), buffer.getReadPointer (0), buffer.getReadPointer (0) + 256);
    }

    void playOnEveryString()
    {
        juce::MidiBuffer midi;
        for (int s = 0; s < StringCount; ++s)
            midi.addEvent (juce::MidiMessage::noteOn (s + 2, OpenNoteFor (s) + 3, (juce::uint8) 100), s * 10);
        block (midi);
    }

    static int OpenNoteFor (int s) { return tovalin::OpenNote[s]; }

    /** Renders blocks in real time until the thread has installed target strings in all. */
    bool renderUntilInstallCount (int target, int maxBlocks = 2000)
    {
        for (int i = 0; i < maxBlocks; ++i)
        {
            block();
            if (inside (plugin).precomputationThread.installCount() >= target)
                return true;
            std::this_thread::sleep_for (std::chrono::microseconds (500));
        }
        return false;
    }

    bool allIdle() const
    {
        for (const auto& v : inside (plugin).voices)
            if (! v->idle)
                return false;
        return true;
    }
};

double largestStep (const std::vector<float>& y, size_t from, size_t to)
{
    double m = 0;
    for (size_t i = std::max<size_t> (from, 1); i < to && i < y.size(); ++i)
        m = std::max (m, (double) std::abs (y[i] - y[i - 1]));
    return m;
}
} // namespace

TEST (StringLifecycle, AFirstPreparationComputesEveryStringAndTheyPlay)
{
    Host host;
    for (int s = 0; s < StringCount; ++s)
    {
        const StringModel& live = *inside (host.plugin).liveModels[(size_t) s];
        EXPECT_GT (live.modes.decayTime[0], 0.1f) << s;
        EXPECT_EQ (live.modeCount, ModeCountTable[2][s]);
        EXPECT_EQ (inside (host.plugin).voices[(size_t) s]->getModel(), &live);
    }
    host.playOnEveryString();
    for (int i = 0; i < 40; ++i)
        host.block();
    EXPECT_FALSE (host.allIdle());
    double peak = 0;
    for (float v : host.recorded)
        peak = std::max (peak, (double) std::abs (v));
    EXPECT_GT (peak, 1e-3);
}

// A recompute while strings sound is installed without a click: no sample-to-sample
// step beyond what the signal already has.
TEST (StringLifecycle, ARecomputeWhileStringsSoundInstallsWithoutAClick)
{
    Host host;
    host.playOnEveryString();
    for (int i = 0; i < 100; ++i)
        host.block();
    const size_t before = host.recorded.size();
    const double ownSteps = largestStep (host.recorded, before - 25600, before);

    SoundControls c = host.plugin.currentSoundControls();
    c.color = 0.8f;
    c.attackPlace = 0.3f;
    const int installs = inside (host.plugin).precomputationThread.installCount();
    host.plugin.setSoundControls (c);
    ASSERT_TRUE (host.renderUntilInstallCount (installs + 6));
    for (int i = 0; i < 20; ++i)
        host.block();
    EXPECT_FALSE (host.allIdle()) << "the same string set keeps the notes";
    EXPECT_LE (largestStep (host.recorded, before, host.recorded.size()), 1.2 * ownSteps);
}

TEST (StringLifecycle, AStringSetChangeReleasesAllStrings)
{
    Host host;
    host.playOnEveryString();
    for (int i = 0; i < 20; ++i)
        host.block();
    ASSERT_FALSE (host.allIdle());

    SoundControls c = host.plugin.currentSoundControls();
    c.stringType = "Steel";
    const int installs = inside (host.plugin).precomputationThread.installCount();
    host.plugin.setSoundControls (c);
    ASSERT_TRUE (host.renderUntilInstallCount (installs + 1));
    for (int i = 0; i < 12; ++i) // 2205 samples of release fade
        host.block();
    EXPECT_TRUE (host.allIdle()); // (the body and room still ring for a while)
    ASSERT_TRUE (host.renderUntilInstallCount (installs + 6));
    const juce::ScopedLock sl (inside (host.plugin).stringsLock);
    for (int s = 0; s < StringCount; ++s)
        EXPECT_EQ (inside (host.plugin).liveModels[(size_t) s]->stringSetName, "Steel");
}

// Two requests 10 ms apart: whatever the thread was doing, every live string ends
// computed from the second set of values.
TEST (StringLifecycle, TwoRequestsNeverLeaveMixedValuesLive)
{
    Host host;
    SoundControls first = host.plugin.currentSoundControls();
    first.color = 0.1f;
    SoundControls second = first;
    second.color = 0.9f;
    host.plugin.setSoundControls (first);
    for (int i = 0; i < 17; ++i) // about 10 ms of blocks
    {
        host.block();
        std::this_thread::sleep_for (std::chrono::microseconds (600));
    }
    host.plugin.setSoundControls (second);
    for (int i = 0; i < 3000 && inside (host.plugin).precomputationThread.isRecomputePending(); ++i)
        host.block();
    // Let the pass that serves the second request finish and be installed.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds (10);
    bool settled = false;
    while (! settled && std::chrono::steady_clock::now() < deadline)
    {
        {
            // Read what the install writes under its lock, and let go before the next
            // block: a block takes the callback lock, which comes first in the order.
            const juce::ScopedLock sl (inside (host.plugin).stringsLock);
            settled = true;
            for (int s = 0; s < StringCount; ++s)
            {
                StringParams expected = inside (host.plugin).stringParams[(size_t) s];
                inside (host.plugin).recomputeStringParams (expected, second);
                StringModel probe (inside (host.plugin).liveModels[(size_t) s]->modeCount, StringFretCount[s],
                                   &expected);
                computeModes (probe);
                settled = settled &&
                          inside (host.plugin).liveModels[(size_t) s]->modes.decayTime[5] == probe.modes.decayTime[5];
            }
        }
        if (! settled)
        {
            host.block();
            std::this_thread::sleep_for (std::chrono::milliseconds (1));
        }
    }
    EXPECT_TRUE (settled) << "every live string is computed from the second values";
    const juce::ScopedLock sl (inside (host.plugin).stringsLock);
    for (int s = 0; s < StringCount; ++s)
    {
        StringParams p = inside (host.plugin).stringParams[(size_t) s];
        inside (host.plugin).recomputeStringParams (p, second);
        EXPECT_FLOAT_EQ (inside (host.plugin).stringParams[(size_t) s].internalDamping, p.internalDamping) << s;
    }
}

TEST (StringLifecycle, ASoundPrecisionChangeRebuildsTheStrings)
{
    Host host;
    host.plugin.setPreference ("performanceLevel", 0);
    host.plugin.buildStrings (true);
    for (int s = 0; s < StringCount; ++s)
    {
        EXPECT_EQ (inside (host.plugin).voices[(size_t) s]->modeCount, ModeCountTable[0][s]);
        EXPECT_GT (inside (host.plugin).liveModels[(size_t) s]->modes.decayTime[0], 0.1f);
    }
    const StringVoice* before = inside (host.plugin).voices[0].get();
    host.plugin.buildStrings (true); // the same level again does nothing
    EXPECT_EQ (inside (host.plugin).voices[0].get(), before);
    host.playOnEveryString();
    for (int i = 0; i < 10; ++i)
        host.block();
    EXPECT_FALSE (host.allIdle());
}

// Rendering, parameter-driven recomputes and installs on three threads at once: no
// deadlock, no fault, sound throughout.
TEST (StringLifecycle, RenderingRecomputingAndInstallingConcurrentlyIsSafe)
{
    Host host;
    std::atomic<bool> stop{false};
    std::atomic<long> blocks{0};
    std::atomic<bool> badSample{false};

    std::thread audio (
        [&]
        {
            std::mt19937 rng (5);
            juce::AudioBuffer<float> buffer (2, 128);
            while (! stop)
            {
                juce::MidiBuffer midi;
                if (rng() % 4 == 0)
                {
                    const int channel = 1 + (int) (rng() % 7);
                    const int note = 52 + (int) (rng() % 30);
                    if (rng() % 2)
                        midi.addEvent (juce::MidiMessage::noteOn (channel, note, (juce::uint8) (1 + rng() % 127)),
                                       (int) (rng() % 128));
                    else
                        midi.addEvent (juce::MidiMessage::noteOff (channel, note), (int) (rng() % 128));
                }
                {
                    const juce::ScopedLock sl (host.plugin.getCallbackLock());
                    host.plugin.processBlock (buffer, midi);
                }
                for (int i = 0; i < 128; ++i)
                    if (! std::isfinite (buffer.getSample (0, i)))
                        badSample = true;
                ++blocks;
                std::this_thread::sleep_for (std::chrono::microseconds (200));
            }
        });

    std::thread parameters (
        [&]
        {
            std::mt19937 rng (9);
            for (int i = 0; i < 60 && ! stop; ++i)
            {
                SoundControls c = host.plugin.currentSoundControls();
                c.color = (float) (rng() % 100) / 100.0f;
                c.twang = (float) (rng() % 100) / 100.0f;
                c.stringType = rng() % 5 == 0 ? (c.stringType == "Nylon" ? "Steel" : "Nylon") : c.stringType;
                host.plugin.setSoundControls (c);
                if (i % 10 == 0)
                    host.plugin.resetEngine();
                std::this_thread::sleep_for (std::chrono::milliseconds (5 + rng() % 20));
            }
        });

    parameters.join();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds (20);
    while (inside (host.plugin).precomputationThread.isRecomputePending() &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for (std::chrono::milliseconds (5));
    std::this_thread::sleep_for (std::chrono::milliseconds (100));
    stop = true;
    audio.join();

    EXPECT_FALSE (badSample);
    EXPECT_GT (blocks.load(), 100);
    EXPECT_GT (inside (host.plugin).precomputationThread.installCount(), 6);
}

// A host restoring state and automating on its own threads while the audio thread
// plays channel-1 notes and the strings are recomputed: the preferences, the
// chord-detection settings and the reported latency are read across threads while a
// restore sets them (ThreadSanitizer checks this test in the sanitizer run).
TEST (StringLifecycle, StateRestoresAndAutomationWhilePlayingAreSafe)
{
    Host host;
    juce::MemoryBlock state;
    host.plugin.getStateInformation (state);
    std::atomic<bool> stop{false};
    std::atomic<long> blocks{0};
    std::atomic<bool> badSample{false};

    std::thread audio (
        [&]
        {
            std::mt19937 rng (3);
            juce::AudioBuffer<float> buffer (2, 128);
            while (! stop)
            {
                juce::MidiBuffer midi;
                const int note = 52 + (int) (rng() % 30);
                midi.addEvent (juce::MidiMessage::noteOn (1, note, (juce::uint8) 100), (int) (rng() % 128));
                midi.addEvent (juce::MidiMessage::noteOff (1, note), 127);
                {
                    const juce::ScopedLock sl (host.plugin.getCallbackLock());
                    host.plugin.processBlock (buffer, midi);
                }
                for (int i = 0; i < 128; ++i)
                    badSample = badSample || ! std::isfinite (buffer.getSample (0, i));
                ++blocks;
            }
        });
    std::thread automation (
        [&]
        {
            std::mt19937 rng (4);
            while (! stop)
            {
                host.plugin.setParameterNotifyingHost (ParameterTable::Color, (float) (rng() % 100) / 100.0f);
                host.plugin.setParameterNotifyingHost (ParameterTable::Volume, (float) (rng() % 100) / 100.0f);
                std::this_thread::sleep_for (std::chrono::milliseconds (2));
            }
        });
    for (int i = 0; i < 40; ++i)
    {
        host.plugin.setStateInformation (state.getData(), (int) state.getSize());
        host.plugin.setPreference ("chordsDetectionDelay", i % 2 == 0 ? 0 : 256);
        std::this_thread::sleep_for (std::chrono::milliseconds (5));
    }
    stop = true;
    audio.join();
    automation.join();
    EXPECT_FALSE (badSample);
    EXPECT_GT (blocks.load(), 10);
}

// A channel-1 note at sample 100 with no chord-detection delay sounds from sample 100:
// the strings render 0..99, the gesture is applied, and they render from 100 on.
TEST (StringLifecycle, ANoteSoundsFromItsOwnSample)
{
    TovalinPlugin plugin;
    plugin.setPlayConfigDetails (0, 2, 44100, 512);
    plugin.prepareToPlay (44100, 512);
    plugin.setPreference ("chordsDetectionDelay", 0);
    juce::AudioBuffer<float> buffer (2, 512);
    juce::MidiBuffer midi;
    midi.addEvent (juce::MidiMessage::noteOn (1, 64, (juce::uint8) 110), 100);
    plugin.processBlock (buffer, midi);
    EXPECT_EQ (buffer.getMagnitude (0, 0, 100), 0.0f);
    EXPECT_GT (buffer.getMagnitude (0, 100, 412), 0.0f);
    EXPECT_EQ (inside (plugin).fingering.note[2], 64) << "note 64 is played on string 2";
    EXPECT_EQ (inside (plugin).fingering.fret[2], 2);
}

// When the last string falls silent the body filter is told that its input rests, at
// the end of the first block in which no voice rendered; a new note wakes it.
TEST (StringLifecycle, TheBodyFilterLearnsWhenTheStringsFallSilent)
{
    Host host;
    juce::MidiBuffer on, off;
    on.addEvent (juce::MidiMessage::noteOn (3, 60, (juce::uint8) 100), 0);
    off.addEvent (juce::MidiMessage::noteOff (3, 60), 0);
    host.block (on);
    host.block();
    EXPECT_FALSE (inside (host.plugin).convolver.isTailCounting());
    host.block (off);
    int blocks = 0;
    while (! host.allIdle() && blocks < 20)
    {
        host.block();
        ++blocks;
    }
    ASSERT_TRUE (host.allIdle());
    host.block();
    EXPECT_TRUE (inside (host.plugin).convolver.isTailCounting());
    host.block (on);
    EXPECT_FALSE (inside (host.plugin).convolver.isTailCounting());
}

// A block whose strings blow up resets the engine; the next block starts from silence.
TEST (StringLifecycle, AnArithmeticFaultResetsTheEngine)
{
    Host host;
    host.playOnEveryString();
    host.block();
    {
        const juce::ScopedLock sl (inside (host.plugin).stringsLock);
        StringVoice& voice = *inside (host.plugin).voices[0];
        for (int i = 0; i < voice.modeCount; ++i)
            voice.state[i] = 3e38f; // the next update overflows
    }
    host.block();
    for (const auto& v : inside (host.plugin).voices)
        EXPECT_TRUE (v->idle);
    EXPECT_EQ (inside (host.plugin).fingering.note[0], -1);
    for (size_t i = host.recorded.size() - 256; i < host.recorded.size(); ++i)
        ASSERT_TRUE (std::isfinite (host.recorded[i]));
    host.block();
    for (size_t i = host.recorded.size() - 256; i < host.recorded.size(); ++i)
        ASSERT_EQ (host.recorded[i], 0.0f);
}

// Vibrato and bend set from another thread while the strings play: the audio thread
// takes each setting up whole between runs, and the last one holds.
TEST (StringLifecycle, MoverSettingsFromAnotherThreadArriveWhole)
{
    Host host;
    host.playOnEveryString();
    std::atomic<bool> stop{false};
    std::thread audio (
        [&]
        {
            while (! stop)
            {
                host.block();
                std::this_thread::sleep_for (std::chrono::microseconds (100));
            }
        });
    for (int i = 0; i < 300; ++i)
    {
        host.plugin.setParameterNotifyingHost (ParameterTable::PitchBend, (float) (i % 11) / 10.0f);
        host.plugin.setParameterNotifyingHost (ParameterTable::VibratoFrequency, (float) (i % 7) / 6.0f);
    }
    host.plugin.setParameterNotifyingHost (ParameterTable::PitchBend, 1.0f);
    host.plugin.setParameterNotifyingHost (ParameterTable::VibratoFrequency, 0.0f);
    std::this_thread::sleep_for (std::chrono::milliseconds (20));
    stop = true;
    audio.join();
    host.block();
    const juce::ScopedLock sl (inside (host.plugin).stringsLock);
    for (int s = 0; s < StringCount; ++s)
    {
        const Vibrato& mover = inside (host.plugin).liveModels[(size_t) s]->fretMover;
        EXPECT_GT (mover.bendTarget, 0.0f) << s;
        EXPECT_EQ (mover.frequency, 0.0f) << s;
    }
}

// The first preparation loads the body filter of the preset's guitar and room: its
// partition is the reported latency, and what is heard is the string's own sound
// through the body and room, exactly that many samples later.
TEST (StringLifecycle, TheBodyFilterIsLoadedAndItsLatencyIsTheOnsetDelay)
{
    std::vector<float> response;
    auto render = [&response] (bool filtered, int& latency)
    {
        TovalinPlugin plugin;
        plugin.setPreference ("chordsDetectionDelay", 0);
        plugin.setPlayConfigDetails (0, 2, 44100, 256);
        plugin.prepareToPlay (44100, 256);
        latency = plugin.getLatencySamples();
        if (filtered)
            response.assign (inside (plugin).bodyFilterBuilder->response(),
                             inside (plugin).bodyFilterBuilder->response() + 2048);
        else
        {
            const juce::ScopedLock sl (plugin.getCallbackLock());
            inside (plugin).convolver = Convolver(); // nothing loaded: the dry string sum passes
        }
        juce::AudioBuffer<float> buffer (2, 256);
        juce::MidiBuffer midi;
        midi.addEvent (juce::MidiMessage::noteOn (2, 52, (juce::uint8) 100), 0);
        std::vector<float> out;
        for (int b = 0; b < 12; ++b)
        {
            const juce::ScopedLock sl (plugin.getCallbackLock());
            plugin.processBlock (buffer, midi);
            midi.clear();
            out.insert (out.end(), buffer.getReadPointer (0), buffer.getReadPointer (0) + 256);
        }
        return out;
    };
    int latency = 0, unused = 0;
    const std::vector<float> heard = render (true, latency);
    const std::vector<float> dry = render (false, unused);
    EXPECT_EQ (latency, 256);

    // The dry sound through the combined response (at the convolver's gain), shifted by
    // d: the error is rounding only for d = the reported latency.
    auto error = [&] (int d)
    {
        std::vector<double> expected (2048, 0.0);
        double cross = 0, power = 0;
        for (int n = 0; n < 2048; ++n)
        {
            for (int j = 0; j <= n - d; ++j)
                expected[(size_t) n] += (double) response[(size_t) j] * dry[(size_t) (n - d - j)];
            cross += expected[(size_t) n] * heard[(size_t) n];
            power += expected[(size_t) n] * expected[(size_t) n];
        }
        const double gain = cross / power;
        double worst = 0, peak = 0;
        for (int n = 0; n < 2048; ++n)
        {
            worst = std::max (worst, std::abs (gain * expected[(size_t) n] - heard[(size_t) n]));
            peak = std::max (peak, std::abs ((double) heard[(size_t) n]));
        }
        return worst / peak;
    };
    EXPECT_LT (error (latency), 1e-4);
    EXPECT_GT (error (latency - 1), 1e-2);
    EXPECT_GT (error (latency + 1), 1e-2);
}

// Changes from two threads at once never build side by side (the tried lock) and are
// never lost (the redo flag): one or two builds.
TEST (StringLifecycle, ConcurrentBodyUpdatesCollapseIntoOneOrTwoBuilds)
{
    TovalinPlugin plugin;
    plugin.setPlayConfigDetails (0, 2, 44100, 256);
    plugin.prepareToPlay (44100, 256);
    for (int round = 0; round < 10; ++round)
    {
        const int before = plugin.bodyFilterBuildCount();
        std::atomic<bool> go{false};
        auto change = [&]
        {
            while (! go)
                std::this_thread::yield();
            plugin.updateBodyAndRoom (false);
        };
        std::thread a (change), b (change);
        go = true;
        a.join();
        b.join();
        const int builds = plugin.bodyFilterBuildCount() - before;
        EXPECT_GE (builds, 1) << round;
        EXPECT_LE (builds, 2) << round;
    }
}
