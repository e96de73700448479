#include "processor/TovalinPlugin.h"
#include "tests/MessagePump.h"
#include "tests/ProcessorInternals.h"
#include "tests/support/AllocationCounter.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <malloc.h>
#include <new>
#include <thread>

using namespace tovalin;
using P = ParameterTable;

namespace
{
// Sinks the deliberate allocations below, so that the compiler cannot pair and drop them.
void* volatile kept = nullptr;

// On a counting thread each allocation function is counted once per call, and on any
// other thread never.
TEST (AllocationCounter, CountsEveryAllocationFunctionOnTheCountingThreadOnly)
{
    if (! heap::allocationsAreCounted())
        GTEST_SKIP() << "allocations are counted in ordinary builds";
    const std::function<void()> allocations[] = {
        [] { std::free (kept = std::malloc (24)); },
        [] { std::free (kept = std::calloc (3, 8)); },
        [] { std::free (kept = std::realloc (nullptr, 40)); },
        []
        {
            void* p = nullptr;
            if (posix_memalign (&p, 64, 100) == 0)
                std::free (kept = p);
        },
        [] { std::free (kept = aligned_alloc (32, 64)); },
        [] { std::free (kept = memalign (64, 10)); },
        [] { std::free (kept = valloc (10)); },
        [] { delete static_cast<int*> (kept = new int (3)); },
        [] { delete[] static_cast<char*> (kept = new char[17]); },
        [] { delete static_cast<int*> (kept = new (std::nothrow) int (4)); },
        []
        {
            struct alignas (64) Wide
            {
                float lanes[16];
            };
            delete static_cast<Wide*> (kept = new Wide());
        },
        [] { kept = juce::HeapBlock<char> (100).get(); }, // JUCE's containers use malloc
    };
    for (size_t i = 0; i < std::size (allocations); ++i)
    {
        heap::resetCountedAllocations();
        std::thread ([&] { allocations[i](); }).join();
        EXPECT_EQ (heap::countedAllocations(), 0) << "function " << i << " on a thread that does not count";
        {
            const heap::CountingAllocations counting;
            allocations[i]();
        }
        EXPECT_EQ (heap::countedAllocations(), 1) << "function " << i;
    }
    heap::resetCountedAllocations();
    {
        const heap::CountingAllocations counting;
        kept = std::malloc (8);
    }
    std::free (kept);
    // Where it was: the stack, up through the test runner.
    EXPECT_NE (heap::whereCountedAllocationsWere().find ("testing::Test::Run"), std::string::npos)
        << heap::whereCountedAllocationsWere();
}

/** A host: an audio thread that runs blocks under the callback lock with every
    allocation counted, playing notes and the default set's mapped controllers and keys
    (mod wheel: vibrato; pitch wheel: bend; B2 to D#3: the mode toggles), while the test
    thread does what a host and an editor do meanwhile. */
struct RunningHost : juce::ChangeListener
{
    TovalinPlugin plugin;
    std::atomic<int> changeMessages{0};
    void changeListenerCallback (juce::ChangeBroadcaster*) override { ++changeMessages; }
    std::atomic<bool> running{true};
    const bool mapped; // the default set's controllers and keys are played too
    std::atomic<long> blocks{0};
    std::thread audio;

    explicit RunningHost (bool playMappedSources) : mapped (playMappedSources)
    {
        juce::MessageManager::getInstance()->setCurrentThreadAsMessageThread();
        plugin.addChangeListener (this); // as an editor does
        plugin.setPlayConfigDetails (0, 2, 44100, 256);
        plugin.prepareToPlay (44100, 256);
        plugin.setPreference ("chordsDetectionDelay", 300);
        audio = std::thread ([this] { run(); });
        waitForBlocks (16); // the first notes and actions have been through once
    }

    ~RunningHost() override
    {
        running = false;
        audio.join();
        plugin.removeChangeListener (this);
    }

    void run()
    {
        juce::AudioBuffer<float> buffer (2, 256);
        juce::MidiBuffer midi;
        midi.ensureSize (4096);
        const heap::CountingAllocations counting;
        for (long b = 0; running; ++b)
        {
            midi.clear();
            if (b % 8 == 0)
                for (int i = 0; i < 4; ++i)
                    midi.addEvent (juce::MidiMessage::noteOn (1, 52 + 5 * i + (int) (b / 8) % 7, (juce::uint8) 90), i);
            if (b % 8 == 5)
                for (int i = 0; i < 4; ++i)
                    midi.addEvent (juce::MidiMessage::noteOff (1, 52 + 5 * i + (int) (b / 8) % 7), 10 + i);
            if (b % 4 == 2)
                midi.addEvent (juce::MidiMessage::noteOn (3, 60 + (int) (b % 5), (juce::uint8) 80), 20);
            if (mapped)
            {
                midi.addEvent (juce::MidiMessage::controllerEvent (1, 1, (int) (b * 9 % 128)), 30);
                midi.addEvent (juce::MidiMessage::pitchWheel (1, (int) (b * 997 % 16384)), 40);
                midi.addEvent (juce::MidiMessage::controllerEvent (1, 7, (int) (b * 13 % 128)), 45);
                if (b % 6 == 3)
                {
                    const int key = 47 + (int) (b / 6) % 5;
                    midi.addEvent (juce::MidiMessage::noteOn (1, key, (juce::uint8) 100), 50);
                    midi.addEvent (juce::MidiMessage::noteOff (1, key), 120);
                }
            }
            {
                const juce::ScopedLock host (plugin.getCallbackLock());
                plugin.processBlock (buffer, midi);
            }
            ++blocks;
            // A host's callback comes at the block's pace; a little faster here.
            std::this_thread::sleep_for (std::chrono::microseconds (500));
        }
    }

    /** True when the audio thread ran count more blocks within the time allowed. */
    bool waitForBlocks (long count)
    {
        const long target = blocks + count;
        return waitUntil ([&] { return blocks >= target; });
    }

    /** Waits until the strings recomputed after a change are live. */
    bool waitForInstall (int installsBefore)
    {
        return waitUntil ([&] { return inside (plugin).precomputationThread.installCount() > installsBefore; }) &&
               waitForBlocks (4);
    }

    /** The test thread is the message thread meanwhile: what the processor posts to it
        (change messages, deferred preset loads) is delivered, as in a host. */
    static bool waitUntil (const std::function<bool()>& done)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds (60);
        while (! done())
        {
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            tovalin::test::dispatchPendingMessages();
            std::this_thread::sleep_for (std::chrono::milliseconds (1));
        }
        return true;
    }
};

struct Scenario
{
    const char* name;
    bool mappedSources; // each path alone, so that one fault cannot hide another
    std::function<void (RunningHost&)> act;
};

void PrintTo (const Scenario& scenario, std::ostream* os) { *os << scenario.name; }

void setHostParameter (TovalinPlugin& plugin, int id, float value)
{
    plugin.getParameters()[id]->setValueNotifyingHost (value);
}

class AudioThreadAllocation : public ::testing::TestWithParam<Scenario>
{
};

TEST_P (AudioThreadAllocation, NothingIsAllocatedOnTheAudioThread)
{
    if (! heap::allocationsAreCounted())
        GTEST_SKIP() << "allocations are counted in ordinary builds";
    heap::resetCountedAllocations(); // the audio thread counts from its first block
    RunningHost host (GetParam().mappedSources);
    GetParam().act (host);
    ASSERT_TRUE (host.waitForBlocks (8)) << "the audio thread stopped";
    EXPECT_EQ (heap::countedAllocations(), 0) << GetParam().name << "\n" << heap::whereCountedAllocationsWere();
}

const Scenario scenarios[] = {
    {"notes", false, [] (RunningHost& h) { EXPECT_TRUE (h.waitForBlocks (200)); }},
    {"mapped actions", true,
     [] (RunningHost& h)
     {
         EXPECT_TRUE (h.waitForBlocks (200));
         // The mapped controllers did reach their parameters.
         EXPECT_GT (h.plugin.getParameters()[P::VibratoFrequency]->getValue(), 0.0f);
         EXPECT_NE (h.plugin.getParameters()[P::PitchBend]->getValue(), 0.5f);
     }},
    {"a mapped controller reshaping the strings", true,
     [] (RunningHost& h)
     {
         // Volume (coarse) set to drive "Color", as a user's mapping set may: the strings
         // are recomputed while they play.
         auto& mapper = inside (h.plugin).actionMapper;
         mapper.addMapping (7, mapper.createAction ("Set Parameter"), true);
         ASSERT_TRUE (mapper.setMappingTarget ("Volume (coarse)", "Set Parameter", "Volume", "Color"));
         const int before = inside (h.plugin).precomputationThread.installCount();
         EXPECT_TRUE (h.waitForInstall (before));
         EXPECT_TRUE (h.waitForBlocks (100));
     }},
    {"string installs", false,
     [] (RunningHost& h)
     {
         for (int i = 0; i < 4; ++i)
         {
             const int before = inside (h.plugin).precomputationThread.installCount();
             setHostParameter (h.plugin, i % 2 == 0 ? P::Color : P::Inharmonicity, 0.2f + 0.15f * (float) i);
             ASSERT_TRUE (h.waitForInstall (before)) << "install " << i;
         }
     }},
    {"preset loads", false,
     [] (RunningHost& h)
     {
         for (int program : {3, 7, 1, 12})
         {
             h.plugin.setCurrentProgram (program);
             ASSERT_TRUE (h.waitForBlocks (24));
         }
     }},
    {"state restores", false,
     [] (RunningHost& h)
     {
         TovalinPlugin other;
         other.setCurrentProgram (5);
         setHostParameter (other, P::Color, 0.9f);
         setHostParameter (other, P::RoomType, 0.0f);
         juce::MemoryBlock theirs, ours;
         other.getStateInformation (theirs);
         h.plugin.getStateInformation (ours);
         for (int i = 0; i < 4; ++i)
         {
             const auto& chunk = i % 2 == 0 ? theirs : ours;
             h.plugin.setStateInformation (chunk.getData(), (int) chunk.getSize());
             ASSERT_TRUE (h.waitForBlocks (24));
         }
     }},
    {"volume and toggles from the host", false,
     [] (RunningHost& h)
     {
         for (int i = 0; i < 6; ++i)
         {
             setHostParameter (h.plugin, P::Volume, 0.3f + 0.1f * (float) i);
             setHostParameter (h.plugin, P::ToggleLegato, (float) (i % 2));
             setHostParameter (h.plugin, P::PitchBend, 0.1f * (float) i);
             ASSERT_TRUE (h.waitForBlocks (6));
         }
     }},
};

INSTANTIATE_TEST_SUITE_P (WhileBlocksRun, AudioThreadAllocation, ::testing::ValuesIn (scenarios),
                          [] (const auto& info)
                          {
                              std::string name;
                              for (const char* c = info.param.name; *c != 0; ++c)
                                  if (std::isalnum ((unsigned char) *c))
                                      name += *c;
                              return name;
                          });
} // namespace
