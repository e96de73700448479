// A long run of everything at once: dense random playing on every channel (notes,
// storms of notes, controllers, the pitch wheel, aftertouch, programs, sysex), host
// automation of every parameter from one thread, state saves and restores, preset
// changes and preset saves from another, as a host's message thread would. The output
// must stay finite and bounded, the audio thread must not allocate once it has warmed
// up nor wait long for the callback lock, and the process's memory must stay flat.
//
//   tovalin-soak [audio-minutes] [seed]   (60 minutes of audio by default)
//
// Prints a line per audio minute (peak level, worst block over its duration, the longest
// wait for the callback lock, resident memory) and exits 0 when every check held, 1 at
// the first that did not. TOVALIN_SOAK_TRACE=1 lists the slow blocks. On a machine
// shared with other work (the test run), TOVALIN_SOAK_SHARED=1 only reports the wait
// for the callback lock: a busy machine can take the core from a thread holding the
// lock, which says nothing about the code. Built in the
// ThreadSanitizer build (build-tsan/tests/tovalin-soak), it checks the same threads
// for data races.

#include "processor/TovalinPlugin.h"
#include "tests/ProcessorInternals.h"
#include "tests/TemporaryHome.h"

#include <juce_audio_basics/juce_audio_basics.h>
#include <juce_events/juce_events.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <new>
#include <pthread.h>
#include <random>
#include <sched.h>
#include <thread>
#include <unistd.h>

namespace
{
// Allocations made by the audio thread inside processBlock.
thread_local bool countingAllocations = false;
std::atomic<long long> audioThreadAllocations{0};

long long residentKilobytes()
{
    std::ifstream statm ("/proc/self/statm");
    long long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * (sysconf (_SC_PAGESIZE) / 1024);
}
} // namespace

void* operator new (std::size_t size)
{
    if (countingAllocations)
        ++audioThreadAllocations;
    if (void* p = std::malloc (size == 0 ? 1 : size))
        return p;
    throw std::bad_alloc();
}

void operator delete (void* p) noexcept { std::free (p); }
void operator delete (void* p, std::size_t) noexcept { std::free (p); }

namespace
{
using namespace tovalin;

#if defined(__SANITIZE_THREAD__) || defined(__SANITIZE_ADDRESS__)
constexpr bool underSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer) || __has_feature(address_sanitizer)
constexpr bool underSanitizer = true;
#else
constexpr bool underSanitizer = false;
#endif
#else
constexpr bool underSanitizer = false;
#endif

constexpr double rate = 44100.0;
constexpr int blockSize = 256;

/** One block's worth of random MIDI: mostly notes, everything a host may send. */
void randomMidi (std::mt19937& rng, juce::MidiBuffer& midi, long long block)
{
    auto uniform = [&] (int lo, int hi) { return std::uniform_int_distribution<int> (lo, hi) (rng); };
    auto at = [&] { return uniform (0, blockSize - 1); };
    const int channel = uniform (1, 16);
    // A storm every ten seconds or so: fifty notes in one block.
    const int notes = block % 1723 == 0 ? 50 : (uniform (0, 3) == 0 ? uniform (1, 4) : 0);
    for (int n = 0; n < notes; ++n)
    {
        const int c = uniform (0, 2) == 0 ? uniform (1, 16) : channel;
        if (uniform (0, 2) == 0)
            midi.addEvent (juce::MidiMessage::noteOff (c, uniform (0, 127)), at());
        else
            midi.addEvent (juce::MidiMessage::noteOn (c, uniform (0, 127), (juce::uint8) uniform (0, 127)), at());
    }
    switch (uniform (0, 40))
    {
        case 0:
            midi.addEvent (juce::MidiMessage::controllerEvent (channel, uniform (0, 127), uniform (0, 127)), at());
            break;
        case 1:
            midi.addEvent (juce::MidiMessage::pitchWheel (channel, uniform (0, 16383)), at());
            break;
        case 2:
            midi.addEvent (juce::MidiMessage::channelPressureChange (channel, uniform (0, 127)), at());
            break;
        case 3:
            midi.addEvent (juce::MidiMessage::aftertouchChange (channel, uniform (0, 127), uniform (0, 127)), at());
            break;
        case 4:
            midi.addEvent (juce::MidiMessage::programChange (channel, uniform (0, 127)), at());
            break;
        case 5:
        {
            const juce::uint8 sysex[] = {0x7e, 0x7f, 0x09, 0x01};
            midi.addEvent (juce::MidiMessage::createSysExMessage (sysex, (int) sizeof (sysex)), at());
            break;
        }
        case 6:
            midi.addEvent (juce::MidiMessage::controllerEvent (channel, 64, uniform (0, 1) * 127), at());
            break;
        case 7:
            midi.addEvent (juce::MidiMessage::allNotesOff (channel), at());
            break;
        default:
            break;
    }
}

void pinTo (int cpu)
{
    cpu_set_t set;
    CPU_ZERO (&set);
    CPU_SET (cpu, &set);
    pthread_setaffinity_np (pthread_self(), sizeof (set), &set);
}

struct Failure
{
    std::atomic<bool> happened{false};
    char message[256] = {};

    void report (const char* text)
    {
        if (! happened.exchange (true))
            std::snprintf (message, sizeof (message), "%s", text);
    }
};
} // namespace

int main (int argc, char** argv)
{
    double minutes = 60.0;
    unsigned long seed = 1;
    char* end = nullptr;
    if (argc > 1)
        minutes = std::strtod (argv[1], &end);
    const bool minutesOk = argc <= 1 || (end != argv[1] && *end == '\0' && minutes >= 0.1 && minutes <= 6000.0);
    if (argc > 2)
        seed = std::strtoul (argv[2], &end, 10);
    const bool seedOk = argc <= 2 || (end != argv[2] && *end == '\0');
    if (argc > 3 || ! minutesOk || ! seedOk)
    {
        std::fprintf (stderr, "usage: tovalin-soak [audio-minutes (0.1 to 6000, default 60)] [seed (default 1)]\n");
        return 2;
    }
    // Everything but the audio thread shares one core and the audio thread has the
    // other, so a slow block means waiting on another thread, not losing the core.
    const bool pinned = sysconf (_SC_NPROCESSORS_ONLN) >= 2;
    if (pinned)
        pinTo (1); // inherited by every thread started from here on
    const juce::ScopedJuceInitialiser_GUI gui;
    const TemporaryHome home; // preset saves go to a folder of the run's own

    TovalinPlugin plugin;
    plugin.setPlayConfigDetails (0, 2, rate, blockSize);
    plugin.prepareToPlay (rate, blockSize);

    Failure failure;
    std::atomic<bool> running{true};

    // Host automation, from a thread of its own: a parameter about every 5 ms; the
    // guitar, room and mix (each a body-filter rebuild) less often.
    std::thread automation (
        [&]
        {
            std::mt19937 rng (seed + 1);
            while (running)
            {
                int id = std::uniform_int_distribution<int> (0, ParameterTable::Count - 1) (rng);
                const bool rebuildsBody =
                    id == ParameterTable::GuitarType || id == ParameterTable::RoomType || id == ParameterTable::Mix;
                if (rebuildsBody && std::uniform_int_distribution<int> (0, 9) (rng) != 0)
                    id = ParameterTable::Volume;
                plugin.setParameterNotifyingHost (id, std::uniform_real_distribution<float> (0.0f, 1.0f) (rng));
                std::this_thread::sleep_for (std::chrono::milliseconds (5));
            }
        });

    // The host's message thread: saves and restores the state, changes and saves
    // presets, and runs preset loads that mapped actions asked for.
    std::thread message (
        [&]
        {
            std::mt19937 rng (seed + 2);
            juce::MemoryBlock saved;
            plugin.getStateInformation (saved);
            for (int step = 0; running; ++step)
            {
                const int what = std::uniform_int_distribution<int> (0, 9) (rng);
                if (what < 4)
                    plugin.getStateInformation (saved);
                else if (what < 6)
                    plugin.setStateInformation (saved.getData(), (int) saved.getSize());
                else if (what < 9)
                {
                    const int count = inside (plugin).presetLibrary->getNames().size();
                    inside (plugin).presetLibrary->selectIndex (
                        std::uniform_int_distribution<int> (0, count - 1) (rng));
                }
                else
                    inside (plugin).presetLibrary->save ("Soak " + juce::String (step % 3), "");
                inside (plugin).deferredPresetLoad.runPending();
                std::this_thread::sleep_for (std::chrono::milliseconds (20));
            }
        });

    if (pinned)
        pinTo (0);

    std::mt19937 rng (seed);
    juce::AudioBuffer<float> buffer (2, blockSize);
    juce::MidiBuffer midi;
    midi.ensureSize (8192);
    const long long blocksPerMinute = (long long) (60.0 * rate / blockSize);
    const long long totalBlocks = (long long) (minutes * (double) blocksPerMinute);
    const long long warmUpBlocks = std::min (blocksPerMinute, totalBlocks / 10 + 1);
    const double blockSeconds = blockSize / rate;
    long long settledMemory = 0, largestMemory = 0, allocationsBefore = 0;
    float minutePeak = 0.0f, overallPeak = 0.0f;
    double minuteWorst = 0.0, overallWorst = 0.0, minuteWait = 0.0, overallWait = 0.0;
    const auto started = std::chrono::steady_clock::now();

    std::printf ("%7s %10s %13s %15s %13s\n", "minute", "peak", "worst block", "worst wait ms", "resident MB");
    for (long long block = 0; block < totalBlocks && ! failure.happened; ++block)
    {
        midi.clear();
        randomMidi (rng, midi, block);
        // The host takes the callback lock around each block; the wait for it counts,
        // as it would in a host.
        const auto start = std::chrono::steady_clock::now();
        double lockWait = 0;
        {
            const juce::ScopedLock sl (plugin.getCallbackLock());
            lockWait = std::chrono::duration<double> (std::chrono::steady_clock::now() - start).count();
            countingAllocations = true;
            plugin.processBlock (buffer, midi);
            countingAllocations = false;
        }
        const double took = std::chrono::duration<double> (std::chrono::steady_clock::now() - start).count();
        minuteWorst = std::max (minuteWorst, took / blockSeconds);
        minuteWait = std::max (minuteWait, lockWait);
        if (std::getenv ("TOVALIN_SOAK_TRACE") != nullptr && took > 0.1 * blockSeconds)
            std::printf ("  slow block at %.3f s: %.2f ms, of which %.2f ms waiting for the callback lock\n",
                         (double) (block * blockSize) / rate, took * 1000.0, lockWait * 1000.0);

        for (int c = 0; c < buffer.getNumChannels(); ++c)
            for (int s = 0; s < blockSize; ++s)
            {
                const float v = buffer.getSample (c, s);
                if (! std::isfinite (v) || std::abs (v) > 100.0f)
                {
                    char text[160];
                    std::snprintf (text, sizeof (text), "sample %g at %.3f s", (double) v,
                                   (double) (block * blockSize + s) / rate);
                    failure.report (text);
                }
                minutePeak = std::max (minutePeak, std::abs (v));
            }

        if (block == warmUpBlocks)
        {
            settledMemory = residentKilobytes();
            allocationsBefore = audioThreadAllocations;
        }
        if ((block + 1) % blocksPerMinute == 0 || block + 1 == totalBlocks)
        {
            const long long memory = residentKilobytes();
            if (block > warmUpBlocks)
                largestMemory = std::max (largestMemory, memory);
            std::printf ("%7.1f %10.3f %13.3f %15.3f %13.1f\n", (double) (block + 1) / (double) blocksPerMinute,
                         (double) minutePeak, minuteWorst, minuteWait * 1000.0, (double) memory / 1024.0);
            std::fflush (stdout);
            overallPeak = std::max (overallPeak, minutePeak);
            overallWorst = std::max (overallWorst, minuteWorst);
            overallWait = std::max (overallWait, minuteWait);
            minutePeak = 0.0f;
            minuteWorst = 0.0;
            minuteWait = 0.0;
        }
    }

    running = false;
    automation.join();
    message.join();

    const double wall = std::chrono::duration<double> (std::chrono::steady_clock::now() - started).count();
    const long long allocations = audioThreadAllocations - allocationsBefore;
    const double growthMb = (double) (largestMemory - settledMemory) / 1024.0;
    std::printf ("%.1f audio minutes in %.1f s: peak %.3f, worst block %.3f of its duration, longest wait for "
                 "the callback lock %.3f ms, %lld audio-thread allocations after warming up, memory %+.1f MB after "
                 "warming up\n",
                 minutes, wall, (double) overallPeak, overallWorst, overallWait * 1000.0, allocations, growthMb);

    // The allocator keeps some slack as the other threads' documents come and go;
    // a leak of anything per block, per state or per preset would pass this in minutes.
    if (! failure.happened && allocations > 0)
        failure.report ("the audio thread allocated");
    // Other threads take the callback lock only for rare, short edits (a state's
    // mappings, a reset); half a block of waiting would risk a dropout. Under a
    // sanitizer everything runs many times slower, so the wait is only reported (as
    // on a shared machine).
    const bool sharedMachine = std::getenv ("TOVALIN_SOAK_SHARED") != nullptr;
    if (! failure.happened && overallWait > 0.5 * blockSeconds && ! underSanitizer && ! sharedMachine)
        failure.report ("the audio thread waited for the callback lock");
    if (! failure.happened && growthMb > 16.0)
        failure.report ("memory grew");
    if (failure.happened)
    {
        std::printf ("FAILED: %s\n", failure.message);
        return 1;
    }
    std::printf ("passed\n");
    return 0;
}
