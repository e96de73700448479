// The audio thread never waits for a lock another thread holds: mapped controllers,
// keys and the pitch wheel run their actions inside blocks while host automation, the
// precomputation thread or a state save hold the processor's locks.
#include "processor/TovalinPlugin.h"
#include "tests/ProcessorInternals.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

using namespace tovalin;
using Clock = std::chrono::steady_clock;

namespace
{
constexpr int block = 256;

struct MappedHost
{
    TovalinPlugin plugin;
    juce::AudioBuffer<float> buffer{2, block};

    MappedHost()
    {
        plugin.setPlayConfigDetails (0, 2, 44100, block);
        plugin.prepareToPlay (44100, block);
        // Besides the default set (mod wheel: vibrato, pitch wheel: bend, keys B2 to D#3:
        // the toggles), controllers that change the guitar, the room and the excitation.
        mapController (20, "Guitar type");
        mapController (21, "Room type");
        mapController (22, "Excitation type");
        mapController (23, "Twang");
    }

    void mapController (int controller, const juce::String& parameterName)
    {
        auto action = inside (plugin).actionMapper.createAction ("Set Parameter");
        action->setTarget (parameterName);
        ASSERT_EQ (action->getTarget(), parameterName);
        inside (plugin).actionMapper.addMapping (controller, std::move (action), false);
    }

    float value (int id) const { return plugin.getParameters()[id]->getValue(); }

    /** One block as a host plays it; returns its wall time in milliseconds. */
    double timedBlock (juce::MidiBuffer& midi)
    {
        const auto start = Clock::now();
        {
            const juce::ScopedLock sl (plugin.getCallbackLock());
            plugin.processBlock (buffer, midi);
        }
        return std::chrono::duration<double, std::milli> (Clock::now() - start).count();
    }

    /** Blocks full of mapped events: every controller moves to step's value. */
    static juce::MidiBuffer mappedEvents (int step)
    {
        juce::MidiBuffer midi;
        const int v = (step * 7) % 128;
        midi.addEvent (juce::MidiMessage::controllerEvent (1, 1, v), 0);
        midi.addEvent (juce::MidiMessage::pitchWheel (1, v * 128), 10);
        midi.addEvent (juce::MidiMessage::noteOn (1, 47 + step % 5, (juce::uint8) 100), 20); // a toggle key
        midi.addEvent (juce::MidiMessage::noteOff (1, 47 + step % 5), 30);
        for (int cc = 20; cc <= 23; ++cc)
            midi.addEvent (juce::MidiMessage::controllerEvent (1, cc, v), 40 + cc);
        midi.addEvent (juce::MidiMessage::noteOn (2 + step % 6, 60 + step % 5, (juce::uint8) 90), 100);
        return midi;
    }
};

/** Holds a lock on its own thread until released. */
class Holder
{
public:
    explicit Holder (std::function<void (std::atomic<bool>& held, std::atomic<bool>& release)> body)
        : thread ([this, body] { body (held, release); })
    {
        while (! held)
            std::this_thread::yield();
    }
    ~Holder()
    {
        release = true;
        thread.join();
    }

private:
    std::atomic<bool> held{false}, release{false};
    std::thread thread;
};

template <typename Lock>
std::function<void (std::atomic<bool>&, std::atomic<bool>&)> holding (Lock& lock)
{
    return [&lock] (std::atomic<bool>& held, std::atomic<bool>& release)
    {
        const juce::ScopedLock sl (lock);
        held = true;
        while (! release)
            std::this_thread::sleep_for (std::chrono::milliseconds (1));
    };
}
} // namespace

TEST (AudioThreadWait, MappedEventsNeverWaitForALockHeldElsewhere)
{
    struct Case
    {
        const char* lock;
        std::function<juce::CriticalSection&(TovalinPlugin&)> get;
    };
    const Case cases[] = {
        {"parameter lock",
         [] (TovalinPlugin& p) -> juce::CriticalSection& { return inside (p).parameters.parameterLock; }},
        {"strings lock", [] (TovalinPlugin& p) -> juce::CriticalSection& { return inside (p).stringsLock; }},
        {"body filter lock", [] (TovalinPlugin& p) -> juce::CriticalSection& { return inside (p).bodyFilterLock; }},
    };
    for (const Case& c : cases)
    {
        MappedHost host;
        double longest = 0.0;
        const int steps = 40;
        {
            Holder holder (holding (c.get (host.plugin)));
            for (int step = 0; step < steps; ++step)
            {
                auto midi = MappedHost::mappedEvents (step);
                longest = std::max (longest, host.timedBlock (midi));
            }
        }
        // Every block ran while the lock was held (the holder let go only now), and none
        // took long: on a loaded machine a block is a few milliseconds, a wait would
        // have been unbounded.
        EXPECT_LT (longest, 150.0) << c.lock;

        // What the blocks asked for arrives: with the parameter lock held, the changes
        // were handed off and are applied once it is free. (With the other locks held,
        // a block may have fallen into a moment of suspended processing while a body
        // filter was loaded, and a host drops such a block's events.)
        auto settle = [&host]
        {
            for (int i = 0; i < 100; ++i)
            {
                host.plugin.runHandedOffWork();
                juce::MidiBuffer none;
                host.timedBlock (none);
            }
        };
        settle();
        if (std::string (c.lock) == "parameter lock")
        {
            const float last = (float) (((steps - 1) * 7) % 128) / 127.0f;
            for (int id : {ParameterTable::VibratoFrequency, ParameterTable::Twang, ParameterTable::ExcitationType,
                           ParameterTable::GuitarType})
                EXPECT_NEAR (host.value (id), last, 1e-6f) << c.lock << ", parameter " << id;
        }
        // And the mapped controllers still drive their parameters afterwards.
        auto midi = MappedHost::mappedEvents (5);
        host.timedBlock (midi);
        settle();
        for (int id : {ParameterTable::VibratoFrequency, ParameterTable::Twang, ParameterTable::ExcitationType,
                       ParameterTable::GuitarType})
            EXPECT_NEAR (host.value (id), 35.0f / 127.0f, 1e-6f) << c.lock << ", parameter " << id;
    }
}

// While a block runs a mapped change of guitar, room or excitation, the block does not
// build the body filter or the pluck records itself (that allocates and takes locks):
// they are rebuilt between blocks, and the change is then heard.
TEST (AudioThreadWait, MappedGuitarChangeRebuildsTheBodyFilterOutsideTheBlock)
{
    MappedHost host;
    const int builds = host.plugin.bodyFilterBuildCount();
    juce::MidiBuffer midi;
    midi.addEvent (juce::MidiMessage::controllerEvent (1, 20, 127), 0);
    host.timedBlock (midi);
    // Whether the precomputation thread took the hand-over already or this call does
    // it, the filter is built once, before the next block.
    host.plugin.runHandedOffWork();
    EXPECT_EQ (host.plugin.bodyFilterBuildCount(), builds + 1);
    EXPECT_EQ (inside (host.plugin).parameters.get (ParameterTable::GuitarType).getText(),
               TovalinPlugin::guitarChoices()[8]);
}
